// The values the generator fills in: the EDS date and the file name in Windows-1252.
#include "eds/EdsValues.h"

#include <gtest/gtest.h>

#include "util/FileSystem.h"

#include <ctime>

using namespace kr39;

namespace {

struct DateCase {
    const char* Name;
    const char* Given;
    const char* Written; // nullptr: refused
    friend void PrintTo(const DateCase& c, std::ostream* os) { *os << c.Name; }
};

class DateOption : public ::testing::TestWithParam<DateCase> { };

TEST_P(DateOption, TakesTheTwoFormsOfRealDays)
{
    const auto& c = GetParam();
    EXPECT_EQ(ParseDateOption(c.Given).value_or("(refused)"), c.Written ? c.Written : "(refused)");
}

INSTANTIATE_TEST_SUITE_P(Forms, DateOption,
    ::testing::Values(DateCase {"Iso", "2026-12-06", "12-06-2026"},
        DateCase {"Eds", "12-06-2026", "12-06-2026"}, DateCase {"LeapDay", "2024-02-29", "02-29-2024"},
        DateCase {"LeapDay2000", "02-29-2000", "02-29-2000"},
        DateCase {"NoLeapDay1900", "1900-02-29", nullptr}, DateCase {"NoLeapDay2026", "02-29-2026", nullptr},
        DateCase {"April31", "2026-04-31", nullptr}, DateCase {"Month13", "2026-13-01", nullptr},
        DateCase {"DayZero", "12-00-2026", nullptr}, DateCase {"YearZero", "0000-01-01", nullptr},
        DateCase {"YearOne", "0001-01-01", "01-01-0001"}, DateCase {"German", "06.12.2026", nullptr},
        DateCase {"Signs", "+026-12-06", nullptr}, DateCase {"Trailing", "2026-12-06 ", nullptr},
        DateCase {"Empty", "", nullptr}, DateCase {"MixedForms", "2026-12-2026", nullptr}),
    [](const auto& info) { return info.param.Name; });

TEST(EdsDate, TodayIsTheLocalDateAsMonthDayYear)
{
    const auto local = [] {
        const std::time_t now = std::time(nullptr);
        const std::tm date = kr39::os::LocalTime(now);
        char text[16];
        std::strftime(text, sizeof text, "%m-%d-%Y", &date);
        return std::string(text);
    };
    const auto before = local();
    const auto today = TodayEdsDate();
    EXPECT_TRUE(today == before || today == local()) << today; // midnight may pass in between
}

struct NameCase {
    const char* Name;
    std::string Native; // UTF-8, as the file system spells it
    std::string Written; // Windows-1252
    friend void PrintTo(const NameCase& c, std::ostream* os) { *os << c.Name; }
};

class FileNameText : public ::testing::TestWithParam<NameCase> { };

TEST_P(FileNameText, IsWindows1252WithoutQuotesOrControls)
{
    EXPECT_EQ(EdsFileNameText(GetParam().Native), GetParam().Written);
}

// Octal escapes, which end after three digits, keep the letters after a byte apart from it.
INSTANTIATE_TEST_SUITE_P(Names, FileNameText,
    ::testing::Values(NameCase {"Ascii", "Line 4 (A&B) $x", "Line 4 (A&B) $x"},
        NameCase {"Latin1", "S\303\274d", "S\374d"}, NameCase {"QuotesBecomeUnderscores", "\"A\"", "_A_"},
        NameCase {"Cp1252Extras", "\342\202\254 \342\200\234x\342\200\235 \305\223", "\200 \223x\224 \234"},
        NameCase {"NotInCp1252", "\346\227\245\346\234\254-\330\271", "?\?-?"},
        NameCase {"Emoji", "a\360\237\230\200b", "a?b"},
        NameCase {"ControlCharacters", "a\tb\032c\177d\302\205e", "a_b_c_d_e"},
        NameCase {"NotUtf8", "a\374b\342\202", "a?b??"}, NameCase {"OverlongSlash", "a\300\257b", "a??b"},
        NameCase {"Surrogate", "a\355\240\200b", "a???b"}, NameCase {"Empty", "", ""}),
    [](const auto& info) { return info.param.Name; });

} // namespace
