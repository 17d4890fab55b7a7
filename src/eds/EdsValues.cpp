#include "eds/EdsValues.h"

#include "resources/CodePage1252.h"
#include "util/FileSystem.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <ctime>

namespace kr39 {

namespace {

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// The digits of `text` from `pos` on, exactly `count` of them; -1 when one is no digit.
int Digits(std::string_view text, std::size_t pos, std::size_t count)
{
    int value = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        if (i >= text.size() || text[i] < '0' || text[i] > '9')
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

constexpr char32_t Invalid = 0xFFFFFFFF;

// Decodes one UTF-8 sequence at `pos` and advances past it; a byte that starts no valid
// sequence (overlong forms and surrogates included) gives Invalid and is skipped alone.
char32_t NextCodePoint(std::string_view text, std::size_t& pos)
{
    const auto lead = static_cast<unsigned char>(text[pos++]);
    if (lead < 0x80)
        return lead;
    int extra = 0;
    char32_t cp = 0;
    char32_t least = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1, cp = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, cp = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, cp = lead & 0x07, least = 0x10000;
    } else {
        return Invalid;
    }
    if (pos + static_cast<std::size_t>(extra) > text.size())
        return Invalid;
    for (int i = 0; i < extra; ++i) {
        const auto next = static_cast<unsigned char>(text[pos + static_cast<std::size_t>(i)]);
        if ((next & 0xC0) != 0x80)
            return Invalid;
        cp = (cp << 6) | (next & 0x3F);
    }
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return Invalid;
    pos += static_cast<std::size_t>(extra);
    return cp;
}

char ToCp1252(char32_t cp)
{
    if (cp < 0x20 || (cp >= 0x7F && cp <= 0x9F) || cp == U'"')
        return '_';
    if (cp < 0x7F || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<char>(cp);
    const int byte = UnicodeToCp1252(cp);
    return byte < 0 ? '?' : static_cast<char>(byte);
}

} // namespace

bool IsCalendarDate(int year, int month, int day)
{
    static constexpr std::array<int, 12> days {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1)
        return false;
    const int last = days[static_cast<std::size_t>(month - 1)] + (month == 2 && IsLeapYear(year) ? 1 : 0);
    return day <= last;
}

std::string EdsDate(int year, int month, int day)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d-%02d-%04d", month, day, year);
    return text;
}

std::string TodayEdsDate()
{
    const std::tm local = os::LocalTime(std::time(nullptr));
    return EdsDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

std::optional<std::string> ParseDateOption(std::string_view text)
{
    if (text.size() != 10)
        return std::nullopt;
    int year = -1, month = -1, day = -1;
    if (text[4] == '-' && text[7] == '-') { // YYYY-MM-DD
        year = Digits(text, 0, 4), month = Digits(text, 5, 2), day = Digits(text, 8, 2);
    } else if (text[2] == '-' && text[5] == '-') { // mm-dd-yyyy
        month = Digits(text, 0, 2), day = Digits(text, 3, 2), year = Digits(text, 6, 4);
    }
    if (!IsCalendarDate(year, month, day))
        return std::nullopt;
    return EdsDate(year, month, day);
}

std::string EdsFileNameText(std::string_view baseName)
{
    std::string out;
    out.reserve(baseName.size());
    for (std::size_t pos = 0; pos < baseName.size();) {
        const char32_t cp = NextCodePoint(baseName, pos);
        out += cp == Invalid ? '?' : ToCp1252(cp);
    }
    return out;
}

} // namespace kr39
