#include "resources/StringTable.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace kr39;

TEST(StringTable, HoldsEveryIdInBothLanguages)
{
    for (int id = 1000; id <= 1036; ++id) {
        EXPECT_TRUE(LookupString(id, Language::English).has_value()) << id;
        EXPECT_TRUE(LookupString(id, Language::German).has_value()) << id;
    }
    EXPECT_FALSE(LookupString(999, Language::English));
    EXPECT_FALSE(LookupString(1037, Language::English));
    EXPECT_FALSE(LookupString(20, Language::German));
    EXPECT_FALSE(LookupString(21, Language::German));
}

TEST(StringTable, TextsThatAreEasyToGetWrong)
{
    EXPECT_EQ(*LookupString(1012, Language::German), "Inf&o ");
    EXPECT_EQ(*LookupString(1002, Language::German), "Ö&ffnen...");
    EXPECT_EQ(*LookupString(1030, Language::German), "Fehler beim speichern!!!");
    EXPECT_EQ(*LookupString(1029, Language::English), "Status: PartNo not found!!!");
    EXPECT_EQ(*LookupString(1033, Language::English), "EDS files (*.EDS)|*.EDS|All files (*.*)|*.*");
    const auto about = *LookupString(1036, Language::English);
    EXPECT_NE(about.find("files  you do NOT"), std::string_view::npos);
}

TEST(StringTable, LanguageFromLocaleName)
{
    for (const char* german : {"de", "de_DE", "de_CH.UTF-8", "de_AT", "de_LU@euro", "de_LI", "de:en"})
        EXPECT_EQ(LanguageFromLocaleName(german), Language::German) << german;
    for (const char* other : {"", "C", "POSIX", "en_GB.UTF-8", "fr_FR", "en:de", "de_BE", "dex", "nl_DE"})
        EXPECT_EQ(LanguageFromLocaleName(other), Language::English) << other;
}

TEST(StringTable, UserLanguageTakesFirstVariableThatIsSet)
{
    setenv("LANGUAGE", "", 1);
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    setenv("LC_MESSAGES", "en_US.UTF-8", 1);
    EXPECT_EQ(UserLanguage(), Language::German);
    EXPECT_EQ(ResString(IdsErrorTitle), "Fehler");
    setenv("LANGUAGE", "fr", 1);
    EXPECT_EQ(UserLanguage(), Language::English);
    unsetenv("LANGUAGE");
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");
    setenv("LANG", "de_CH.UTF-8", 1);
    EXPECT_EQ(UserLanguage(), Language::German);
    unsetenv("LANG");
    EXPECT_EQ(UserLanguage(), Language::English);
    EXPECT_EQ(ResString(IdsErrorTitle), "Error");
}
