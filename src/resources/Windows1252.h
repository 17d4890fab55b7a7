#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace kr39 {

// The data files are single-byte Windows-1252 text and the core keeps their bytes unchanged;
// the widgets decode them only for display. Where the platform has no Windows-1252 converter,
// the bytes are read as Latin-1.
QString DecodeWindows1252(std::string_view bytes);

// The reverse: a text shown by the widgets back to the bytes of the data files. Characters
// that Windows-1252 cannot hold are replaced.
std::string EncodeWindows1252(const QString& text);

} // namespace kr39
