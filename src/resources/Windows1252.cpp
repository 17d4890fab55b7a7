#include "resources/Windows1252.h"

#include "resources/CodePage1252.h"

#include <QStringList>

namespace kr39 {

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

} // namespace kr39
