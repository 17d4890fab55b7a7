// The values the generator fills in: the EDS date and the file name in Windows-1252.
#include "eds/EdsValues.h"

#include <gtest/gtest.h>

#include "util/FileSystem.h"

#include <ctime>
#include <regex>

using namespace kr39;

namespace {

struct DateCase {
    const char* Name;
    const char* Given;
    const char* Written; // nullptr: refused
};

void PrintTo(const DateCase& c, std::ostream* os)
{
    *os << c.Name;
}

class DateOption : public ::testing::TestWithParam<DateCase> { };

TEST_P(DateOption, TakesTheTwoFormsOfRealDays)
{
    const auto& c = GetParam();
    const auto date = ParseDateOption(c.Given);
    if (c.Written == nullptr)
        EXPECT_FALSE(date.has_value()) << *date;
    else
        EXPECT_EQ(date.value_or("(refused)"), c.Written);
}

INSTANTIATE_TEST_SUITE_P(Forms, DateOption,
    ::testing::Values(DateCase {"Iso", "2026-12-06", "12-06-2026"},
        DateCase {"Eds", "12-06-2026", "12-06-2026"}, DateCase {"LeapDay", "2024-02-29", "02-29-2024"},
        DateCase {"LeapDay2000", "02-29-2000", "02-29-2000"},
        DateCase {"NoLeapDay1900", "1900-02-29", nullptr}, DateCase {"NoLeapDay2026", "02-29-2026", nullptr},
        DateCase {"April31", "2026-04-31", nullptr}, DateCase {"Month13", "2026-13-01", nullptr},
        DateCase {"DayZero", "12-00-2026", nullptr}, DateCase {"YearZero", "0000-01-01", nullptr},
        DateCase {"YearOne", "0001-01-01", "01-01-0001"}, DateCase {"DayFirst", "06-12-2026", "06-12-2026"},
        DateCase {"German", "06.12.2026", nullptr}, DateCase {"Slashes", "12/06/2026", nullptr},
        DateCase {"ShortYear", "12-06-26", nullptr}, DateCase {"NoPadding", "2026-12-6", nullptr},
        DateCase {"Signs", "+026-12-06", nullptr}, DateCase {"Trailing", "2026-12-06 ", nullptr},
        DateCase {"Empty", "", nullptr}, DateCase {"MixedForms", "2026-12-2026", nullptr}),
    [](const auto& info) { return info.param.Name; });

TEST(EdsDate, TodayIsTheLocalDateAsMonthDayYear)
{
    const auto today = TodayEdsDate();
    ASSERT_TRUE(std::regex_match(today, std::regex("[01][0-9]-[0-3][0-9]-[0-9]{4}"))) << today;
    std::time_t now = std::time(nullptr);
    std::tm local = kr39::os::LocalTime(now);
    char expected[16];
    std::strftime(expected, sizeof expected, "%m-%d-%Y", &local);
    if (today != expected) { // midnight passed in between
        now = std::time(nullptr);
        local = kr39::os::LocalTime(now);
        std::strftime(expected, sizeof expected, "%m-%d-%Y", &local);
    }
    EXPECT_EQ(today, expected);
    EXPECT_EQ(EdsDate(987, 1, 2), "01-02-0987");
}

struct NameCase {
    const char* Name;
    std::string Native; // UTF-8, as the file system spells it
    std::string Written; // Windows-1252
};

void PrintTo(const NameCase& c, std::ostream* os)
{
    *os << c.Name;
}

class FileNameText : public ::testing::TestWithParam<NameCase> { };

TEST_P(FileNameText, IsWindows1252WithoutQuotesOrControls)
{
    EXPECT_EQ(EdsFileNameText(GetParam().Native), GetParam().Written);
}

INSTANTIATE_TEST_SUITE_P(Names, FileNameText,
    ::testing::Values(NameCase {"Ascii", "Line 4 (A&B) $x", "Line 4 (A&B) $x"},
        NameCase {"Latin1",
            "S\xC3\xBC"
            "d",
            "S\xFC"
            "d"},
        NameCase {"QuotesBecomeUnderscores",
            "S\xC3\xBC"
            "d \"A\"",
            "S\xFC"
            "d _A_"},
        NameCase {"Cp1252Extras", "\xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D \xC5\x93", "\x80 \x93x\x94 \x9C"},
        NameCase {"NotInCp1252",
            "\xE6\x97\xA5\xE6\x9C\xAC"
            "-\xD8\xB9",
            "?"
            "?-?"},
        NameCase {"Emoji",
            "a\xF0\x9F\x98\x80"
            "b",
            "a?b"},
        NameCase {"ControlCharacters",
            "a\tb\x1A"
            "c\x7F"
            "d\xC2\x85"
            "e",
            "a_b_c_d_e"},
        NameCase {"NotUtf8",
            "a\xFC"
            "b\xE2\x82",
            "a?b??"},
        NameCase {"OverlongSlash",
            "a\xC0\xAF"
            "b",
            "a??b"},
        NameCase {"Surrogate",
            "a\xED\xA0\x80"
            "b",
            "a???b"},
        NameCase {"Empty", "", ""}),
    [](const auto& info) { return info.param.Name; });

} // namespace
