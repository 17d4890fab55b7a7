#include "resources/NumberConversion.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace kr39 {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Parses [sign] digits [. digits] [(E|e) [sign] digits] from `text`, skipping blanks when
// `skipBlanks` is set. Returns the canonical form and how many characters were consumed.
std::string ScanNumber(std::string_view text, bool skipBlanks, std::size_t& consumed)
{
    std::string number;
    std::size_t i = 0;
    auto skip = [&] {
        while (skipBlanks && i < text.size() && IsBlank(text[i]))
            ++i;
    };
    auto digits = [&] {
        bool any = false;
        for (skip(); i < text.size() && IsDigit(text[i]); skip()) {
            number += text[i++];
            any = true;
        }
        return any;
    };
    skip();
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        number += text[i++];
    bool any = digits();
    if (i < text.size() && text[i] == '.') {
        number += text[i++];
        any = digits() || any;
    }
    if (!any) {
        consumed = 0;
        return {};
    }
    consumed = i;
    // An exponent counts only when digits follow it.
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
        const auto mark = i;
        const auto kept = number.size();
        number += 'e';
        ++i;
        skip();
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            number += text[i++];
        if (digits()) {
            consumed = i;
        } else {
            number.resize(kept);
            i = mark;
        }
    }
    return number;
}

// The decimal order of a finite number text "[sign]digits[.digits][e[sign]digits]": 1 for 1 to
// 9.99, 0 for 0.1 to 0.99, and so on; very small for zero.
long long DecimalOrder(std::string_view number)
{
    const auto e = number.find('e');
    const auto mantissa = number.substr(0, e);
    long long exponent = 0;
    if (e != std::string_view::npos) {
        auto digits = number.substr(e + 1);
        const bool negative = !digits.empty() && digits[0] == '-';
        if (!digits.empty() && (digits[0] == '+' || digits[0] == '-'))
            digits.remove_prefix(1);
        // Beyond a billion the order is out of any double's range anyway; the bound keeps the
        // sum below from overflowing.
        constexpr long long kBound = 1'000'000'000;
        if (std::from_chars(digits.data(), digits.data() + digits.size(), exponent).ec != std::errc {})
            exponent = kBound;
        exponent = std::min(exponent, kBound);
        exponent = negative ? -exponent : exponent;
    }
    const auto point = std::min(mantissa.find('.'), mantissa.size());
    long long position = 0; // digits seen before the first non-zero one, counted from the point
    for (std::size_t i = 0; i < mantissa.size(); ++i) {
        if (IsDigit(mantissa[i]) && mantissa[i] != '0') {
            position = i < point ? static_cast<long long>(point - i) : -static_cast<long long>(i - point - 1);
            return position + exponent;
        }
    }
    return std::numeric_limits<long long>::min() / 2;
}

// The value of a canonical number text, read the same under every locale (strtod would take
// the decimal comma of a German locale and stop at the point).
double ToDouble(const std::string& number)
{
    std::string_view text(number);
    const bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '+' || text[0] == '-'))
        text.remove_prefix(1);
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    (void)end;
    if (ec == std::errc::result_out_of_range)
        value = DecimalOrder(text) > 0 ? HUGE_VAL : 0.0; // as strtod: too large or too small
    return negative ? -value : value;
}

} // namespace

double LeadingNumber(std::string_view text)
{
    std::size_t consumed = 0;
    const auto number = ScanNumber(text, true, consumed);
    if (number.empty())
        return 0.0;
    return ToDouble(number);
}

std::optional<std::int16_t> RoundToInt16(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double rounded = std::nearbyint(value); // the default mode rounds halves to even
    if (rounded < -32768.0 || rounded > 32767.0)
        return std::nullopt;
    return static_cast<std::int16_t>(rounded);
}

std::optional<std::int16_t> StrictToInt16(std::string_view text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    const auto core = text.substr(begin, end - begin);
    std::size_t consumed = 0;
    const auto number = ScanNumber(core, false, consumed);
    if (number.empty() || consumed != core.size())
        return std::nullopt;
    return RoundToInt16(ToDouble(number));
}

std::optional<std::int16_t> LenientToInt16(std::string_view text)
{
    return RoundToInt16(LeadingNumber(text));
}

} // namespace kr39
