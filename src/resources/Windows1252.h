#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace kr39 {

// The data files are single-byte Windows-1252 text and the core keeps their bytes unchanged;
// the widgets decode them only for display, one character per byte (see CodePage1252.h).
QString DecodeWindows1252(std::string_view bytes);

// The bytes decoded for a label, a tree node or a tooltip. A text longer than DisplayTextLimit
// characters is cut there and ends in "…", so a huge description costs no more to show than a
// long one.
inline constexpr std::size_t DisplayTextLimit = 300;
QString DecodeForDisplay(std::string_view bytes);

// A text as a tooltip: broken at blanks into lines of about 80 characters (a word longer than
// that stays whole).
QString ToolTipText(const QString& text);

} // namespace kr39
