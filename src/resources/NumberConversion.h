#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kr39 {

// The number at the start of a text, read as a person reads it: blanks and tabs are skipped
// wherever they stand, a sign may lead, digits with one decimal point follow, and reading
// stops at the first character that cannot continue the number. No digits give 0.
// " 8", "008", "8  " and " - 1 2x" give 8, 8, 8 and -12.
double LeadingNumber(std::string_view text);

// Rounds to the nearest integer, halves to the even neighbour; nothing when the result does
// not fit a 16-bit signed integer.
std::optional<std::int16_t> RoundToInt16(double value);

// Strict conversion: the whole text, surrounding blanks aside, must be one decimal number
// (optional sign, digits, optional fraction) that rounds into the 16-bit signed range.
std::optional<std::int16_t> StrictToInt16(std::string_view text);

// Lenient conversion: the number at the start of the text (LeadingNumber), rounded into the
// 16-bit signed range; "1019abc" gives 1019, "" and "abc" give 0; out of range gives nothing.
std::optional<std::int16_t> LenientToInt16(std::string_view text);

} // namespace kr39
