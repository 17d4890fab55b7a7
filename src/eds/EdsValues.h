#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kr39 {

// True for a day of the Gregorian calendar in the years 1 to 9999.
bool IsCalendarDate(int year, int month, int day);

// A date in the EDS form "mm-dd-yyyy": month and day with two digits, the year with four.
std::string EdsDate(int year, int month, int day);

// Today's local date in the EDS form. It depends on the clock and the time zone only, never on
// the user's locale, so the window and the command line write the same bytes everywhere.
std::string TodayEdsDate();

// A date given by the user, "YYYY-MM-DD" or "mm-dd-yyyy", as an EDS date; nothing when the
// text has neither form or names no real day.
std::optional<std::string> ParseDateOption(std::string_view text);

// The text that "<FILENAME>" receives for a station file's base name as the file system spells
// it (UTF-8; a byte that is no UTF-8 counts as one unknown character). The result is
// Windows-1252: a character that code page cannot hold becomes '?', and the characters no
// Windows file name may contain that would break an EDS line or string (control characters and
// '"') become '_'. A name Windows accepts is written as it was.
std::string EdsFileNameText(std::string_view baseName);

} // namespace kr39
