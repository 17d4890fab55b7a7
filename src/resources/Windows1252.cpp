#include "resources/Windows1252.h"

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

std::string EncodeWindows1252(const QString& text)
{
    static QStringEncoder encoder("windows-1252", QStringConverter::Flag::Stateless);
    const QByteArray bytes = encoder.isValid() ? QByteArray(encoder.encode(text)) : text.toLatin1();
    return bytes.toStdString();
}

} // namespace kr39
