#include "resources/Windows1252.h"

#include "resources/CodePage1252.h"

#include <QStringList>

#include <array>
#include <utility>

namespace kr39 {

namespace {

// What a character without a byte becomes: SUB, the code page's own "no such character".
constexpr char Substitute = '\x1A';

// Characters that show nothing (zero-width spaces and joiners, direction marks, variation
// selectors, the byte order mark, tags: Unicode's default-ignorable code points). Without a byte
// of their own they are left out rather than substituted.
bool IsDefaultIgnorable(char32_t cp)
{
    static constexpr std::array<std::pair<char32_t, char32_t>, 16> ranges {{{0x034F, 0x034F},
        {0x061C, 0x061C}, {0x115F, 0x1160}, {0x17B4, 0x17B5}, {0x180B, 0x180F}, {0x200B, 0x200F},
        {0x202A, 0x202E}, {0x2060, 0x206F}, {0x3164, 0x3164}, {0xFE00, 0xFE0F}, {0xFEFF, 0xFEFF},
        {0xFFA0, 0xFFA0}, {0xFFF0, 0xFFF8}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0000, 0xE0FFF}}};
    for (const auto& [first, last] : ranges) {
        if (cp >= first && cp <= last)
            return true;
    }
    return false;
}

} // namespace

QString DecodeWindows1252(std::string_view bytes)
{
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes)
        *out++ = QChar(static_cast<char16_t>(Cp1252ToUnicode(static_cast<unsigned char>(byte))));
    return text;
}

QString DecodeForDisplay(std::string_view bytes)
{
    // One byte is one character.
    if (bytes.size() <= DisplayTextLimit)
        return DecodeWindows1252(bytes);
    return DecodeWindows1252(bytes.substr(0, DisplayTextLimit)) + QChar(0x2026);
}

QString ToolTipText(const QString& text)
{
    constexpr qsizetype kLineLength = 80;
    QString result;
    qsizetype lineStart = 0;
    bool first = true;
    for (const QString& word : text.split(QLatin1Char(' '))) {
        if (!first) {
            if (result.size() - lineStart + 1 + word.size() > kLineLength) {
                result += QLatin1Char('\n');
                lineStart = result.size();
            } else {
                result += QLatin1Char(' ');
            }
        }
        result += word;
        first = false;
    }
    return result;
}

std::string EncodeWindows1252(const QString& text)
{
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    const QChar* pos = text.constBegin();
    const QChar* const end = text.constEnd();
    while (pos != end) {
        char32_t cp = (pos++)->unicode();
        if (QChar::isHighSurrogate(cp)) {
            // A pair left unfinished at the end is dropped; a half without its partner is
            // substituted like any other character without a byte.
            if (pos == end)
                break;
            if (pos->isLowSurrogate())
                cp = QChar::surrogateToUcs4(static_cast<char16_t>(cp), (pos++)->unicode());
        }
        const int byte = UnicodeToCp1252(cp);
        if (byte >= 0)
            bytes += static_cast<char>(byte);
        else if (!IsDefaultIgnorable(cp))
            bytes += Substitute;
    }
    return bytes;
}

} // namespace kr39
