#include "resources/NumberConversion.h"

#include <cmath>
#include <cstdlib>
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

} // namespace

double LeadingNumber(std::string_view text)
{
    std::size_t consumed = 0;
    const auto number = ScanNumber(text, true, consumed);
    if (number.empty())
        return 0.0;
    return std::strtod(number.c_str(), nullptr);
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
    return RoundToInt16(std::strtod(number.c_str(), nullptr));
}

std::optional<std::int16_t> LenientToInt16(std::string_view text)
{
    return RoundToInt16(LeadingNumber(text));
}

} // namespace kr39
