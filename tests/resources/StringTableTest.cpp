#include "resources/StringTable.h"
#include "resources/NumberConversion.h"

#include "../TestSupport.h"

#include <clocale>
#include <cstdlib>
#include <optional>

#include "catalog/Catalog.h"

using namespace kr39;

namespace {

// Sets a variable, or removes it when `value` is null; on Windows an empty value removes it too.
void SetEnv(const char* name, const char* value)
{
#ifdef _WIN32
    _putenv_s(name, value != nullptr ? value : "");
#else
    value != nullptr ? ::setenv(name, value, 1) : ::unsetenv(name);
#endif
}

} // namespace

TEST(StringTable, LanguageFromTheFirstLocaleVariableThatIsSetAndNoTextOutsideTheTable)
{
    for (const char* german : {"de", "de_DE", "de_CH.UTF-8", "de_AT", "de_LU@euro", "de_LI", "de:en"})
        EXPECT_EQ(LanguageFromLocaleName(german), Language::German) << german;
    for (const char* other : {"", "C", "en_GB.UTF-8", "en:de", "de_BE", "dex", "nl_DE"})
        EXPECT_EQ(LanguageFromLocaleName(other), Language::English) << other;

    SetEnv("LANGUAGE", "");
    SetEnv("LC_ALL", "de_DE.UTF-8");
    SetEnv("LC_MESSAGES", "en_US.UTF-8");
    EXPECT_EQ(ResString(IdsErrorTitle), "Fehler");
    SetEnv("LANGUAGE", "fr");
    EXPECT_EQ(UserLanguage(), Language::English);
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"})
        SetEnv(name, nullptr);
    SetEnv("LANG", "de_CH.UTF-8");
    EXPECT_EQ(UserLanguage(), Language::German);
    SetEnv("LANG", nullptr);
    EXPECT_EQ(ResString(IdsErrorTitle), "Error");
    EXPECT_FALSE(LookupString(999, Language::English));
    EXPECT_FALSE(LookupString(1037, Language::German));
}

#ifndef _WIN32 // locales are built with localedef
namespace {

// LC_NUMERIC switched to a German locale (decimal comma): an installed one, or else one built
// into the test's folder from the system's locale sources.
class GermanNumbers : public kr39test::TempDir {
protected:
    void TearDown() override
    {
        std::setlocale(LC_NUMERIC, "C");
        SetEnv("LOCPATH", nullptr);
        TempDir::TearDown();
    }
    static bool Use(const char* name)
    {
        return std::setlocale(LC_NUMERIC, name) != nullptr
            && std::string(std::localeconv()->decimal_point) == ",";
    }
};

} // namespace

// The numbers of the data files are read alike under every locale (the window sets the
// user's locale, under which a C library conversion would take "1.5" for 1).
TEST_F(GermanNumbers, AreReadAsUnderAnyOtherLocale)
{
    bool active = false;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_AT.UTF-8", "de_DE"})
        active = active || Use(name);
    const auto build = "localedef -i de_DE -f UTF-8 '" + (dir / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
    if (!active && std::system(build.c_str()) == 0) {
        SetEnv("LOCPATH", dir.c_str());
        active = Use("de_DE.UTF-8");
    }
    if (!active)
        GTEST_SKIP() << "no German locale and none could be built (localedef, package locales)";
    EXPECT_EQ(LeadingNumber("2.5"), 2.5);
    EXPECT_EQ(LenientToInt16("1.5"), 2);
    EXPECT_EQ(StrictToInt16("3.5"), 4);
    EXPECT_EQ(StrictToInt16("2,5"), std::nullopt);
    const auto catalog = ParseCatalog("00 root\r\n01 A\r\n<STARTMODULES>\r\n01 1.5 2.5 DI x\r\n");
    ASSERT_TRUE(catalog.Ok()) << catalog.Error().Describe();
    EXPECT_EQ(catalog->Entries[0].Inputs, 2);
    EXPECT_EQ(catalog->Entries[0].Outputs, 2);
}

#endif

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
            {"1 0", none, 10}, {" - 1 2x", none, -12}, {"12-3", none, 12}, {"1E", none, 1}, {"008", 8, 8},
            {"-.5", 0, 0}, {"1e400", none, none}, {"1e-400", 0, 0}, {"-1e99999999999999999999", none, none},
            {"0.00001e5", 1, 1}, {"0." + std::string(400, '0') + "1e402", 10, 10},
            {"+1E0000000009223372036854775807+81", none, none}, {"1e-9223372036854775808", 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE("\"" + c.Text.substr(0, 20) + "\"");
        const auto strict = StrictToInt16(c.Text);
        const auto lenient = LenientToInt16(c.Text);
        EXPECT_EQ(strict.has_value() ? std::optional<int>(*strict) : none, c.Strict);
        EXPECT_EQ(lenient.has_value() ? std::optional<int>(*lenient) : none, c.Lenient);
    }
}
