#include "resources/Windows1252.h"

#include <QStringList>

#include <QStringDecoder>
#include <QStringEncoder>

namespace kr39 {

// The converters keep no state between calls (Stateless), so one of each serves the GUI thread.
QString DecodeWindows1252(std::string_view bytes)
{
    static QStringDecoder decoder("windows-1252", QStringConverter::Flag::Stateless);
    const auto size = static_cast<qsizetype>(bytes.size());
    if (!decoder.isValid())
        return QString::fromLatin1(bytes.data(), size);
    return decoder.decode(QByteArrayView(bytes.data(), size));
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
    static QStringEncoder encoder("windows-1252", QStringConverter::Flag::Stateless);
    const QByteArray bytes = encoder.isValid() ? QByteArray(encoder.encode(text)) : text.toLatin1();
    return bytes.toStdString();
}

} // namespace kr39
