#include "resources/StringTable.h"
#include "resources/NumberConversion.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

#include <clocale>
#include <cstdlib>
#include <filesystem>
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

// Switches LC_NUMERIC to a German locale (decimal comma) for the life of the object: an
// installed one, or else one built into a temporary folder from the system's locale sources.
class GermanNumbers {
public:
    GermanNumbers()
    {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_AT.UTF-8", "de_DE"})
            if (Use(name))
                return;
        m_folder = std::filesystem::temp_directory_path() / ("kr39-locale-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_folder);
        const auto command
            = "localedef -i de_DE -f UTF-8 '" + (m_folder / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
        if (std::system(command.c_str()) == 0) {
            ::setenv("LOCPATH", m_folder.c_str(), 1);
            Use("de_DE.UTF-8");
        }
    }
    ~GermanNumbers()
    {
        std::setlocale(LC_NUMERIC, "C");
        ::unsetenv("LOCPATH");
        if (!m_folder.empty())
            std::filesystem::remove_all(m_folder);
    }
    bool Active() const { return m_active; }

private:
    bool Use(const char* name)
    {
        m_active = std::setlocale(LC_NUMERIC, name) != nullptr
            && std::string(std::localeconv()->decimal_point) == ",";
        return m_active;
    }
    std::filesystem::path m_folder;
    bool m_active = false;
};

} // namespace

// The numbers of the data files are read alike under every locale (the window sets the
// user's locale, under which a C library conversion would take "1.5" for 1).
TEST(NumberConversion, ReadsAlikeUnderAGermanLocale)
{
    const GermanNumbers german;
    if (!german.Active())
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
