#include "resources/Windows1252.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace kr39 {
namespace {

QString Text(const std::u16string& units)
{
    return QString(reinterpret_cast<const QChar*>(units.data()), static_cast<qsizetype>(units.size()));
}

// Bytes 0x80-0x9F by the code page; its five gaps are the C1 controls of the same number.
constexpr std::array<char16_t, 32> HighCharacters {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020,
    0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C,
    0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

TEST(Windows1252, EveryByteIsOneCharacter)
{
    std::string bytes;
    std::u16string expected;
    for (int byte = 0; byte < 256; ++byte) {
        bytes += static_cast<char>(byte);
        expected += byte >= 0x80 && byte < 0xA0 ? HighCharacters[static_cast<std::size_t>(byte - 0x80)]
                                                : static_cast<char16_t>(byte);
    }
    EXPECT_EQ(DecodeWindows1252(bytes), Text(expected));
}

} // namespace
} // namespace kr39
