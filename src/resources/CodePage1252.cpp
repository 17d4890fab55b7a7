#include "resources/CodePage1252.h"

#include <array>

namespace kr39 {

namespace {

// Unicode code points of bytes 0x80..0x9F; 0 where the code page defines none.
constexpr std::array<char32_t, 32> Cp1252High {0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0, 0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013,
    0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};

} // namespace

char32_t Cp1252ToUnicode(unsigned char byte)
{
    if (byte < 0x80 || byte >= 0xA0)
        return byte;
    const char32_t cp = Cp1252High[byte - 0x80U];
    return cp != 0 ? cp : byte;
}

int UnicodeToCp1252(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<int>(cp);
    if (cp <= 0x9F)
        return Cp1252High[cp - 0x80U] == 0 ? static_cast<int>(cp) : -1;
    for (std::size_t i = 0; i < Cp1252High.size(); ++i) {
        if (Cp1252High[i] == cp)
            return static_cast<int>(0x80 + i);
    }
    return -1;
}

} // namespace kr39
