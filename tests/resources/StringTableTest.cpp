#include "resources/StringTable.h"
#include "resources/NumberConversion.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

using namespace kr39;

TEST(StringTable, LanguageFromTheFirstLocaleVariableThatIsSetAndNoTextOutsideTheTable)
{
    for (const char* german : {"de", "de_DE", "de_CH.UTF-8", "de_AT", "de_LU@euro", "de_LI", "de:en"})
        EXPECT_EQ(LanguageFromLocaleName(german), Language::German) << german;
    for (const char* other : {"", "C", "en_GB.UTF-8", "en:de", "de_BE", "dex", "nl_DE"})
        EXPECT_EQ(LanguageFromLocaleName(other), Language::English) << other;

    setenv("LANGUAGE", "", 1);
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    setenv("LC_MESSAGES", "en_US.UTF-8", 1);
    EXPECT_EQ(ResString(IdsErrorTitle), "Fehler");
    setenv("LANGUAGE", "fr", 1);
    EXPECT_EQ(UserLanguage(), Language::English);
    unsetenv("LANGUAGE");
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");
    setenv("LANG", "de_CH.UTF-8", 1);
    EXPECT_EQ(UserLanguage(), Language::German);
    unsetenv("LANG");
    EXPECT_EQ(ResString(IdsErrorTitle), "Error");
    EXPECT_FALSE(LookupString(999, Language::English));
    EXPECT_FALSE(LookupString(1037, Language::German));
}

TEST(NumberConversion, StrictAndLenientReadings)
{
    struct Case {
        std::string Text;
        std::optional<int> Strict, Lenient;
    };
    const std::optional<int> none;
    const Case cases[]
        = {{"1000", 1000, 1000}, {" 1036 ", 1036, 1036}, {"+7", 7, 7}, {"-5", -5, -5}, {"5.", 5, 5},
            {"\t7\t", 7, 7}, {"2.5", 2, 2}, {"3.5", 4, 4}, {"-2.5", -2, -2}, {"0.5", 0, 0}, {".5", 0, 0},
            {"1e3", 1000, 1000}, {"32767", 32767, 32767}, {"-32768", -32768, -32768}, {"32767.5", none, none},
            {"32768", none, none}, {"99999", none, none}, {std::string(100000, '9'), none, none},
            {"", none, 0}, {"   ", none, 0}, {"-", none, 0}, {"abc", none, 0}, {"1019abc", none, 1019},
            {"1 0", none, 10}, {" - 1 2x", none, -12}, {"12-3", none, 12}, {"1E", none, 1}, {"008", 8, 8}};
    for (const auto& c : cases) {
        SCOPED_TRACE("\"" + c.Text.substr(0, 20) + "\"");
        const auto strict = StrictToInt16(c.Text);
        const auto lenient = LenientToInt16(c.Text);
        EXPECT_EQ(strict.has_value() ? std::optional<int>(*strict) : none, c.Strict);
        EXPECT_EQ(lenient.has_value() ? std::optional<int>(*lenient) : none, c.Lenient);
    }
}
