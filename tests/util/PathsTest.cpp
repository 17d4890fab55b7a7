#include "util/Paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using namespace kr39;

TEST(StationBaseName, TakesNameAfterLastSeparatorLessExtension)
{
    EXPECT_EQ(StationBaseName("/home/u/Line4.CSE"), "Line4");
    EXPECT_EQ(StationBaseName("C:\\Data\\Line4.CSE"), "Line4");
    EXPECT_EQ(StationBaseName("Line4"), "Line4");
    EXPECT_EQ(StationBaseName("Line4.CONF"), "Line4");
    EXPECT_EQ(StationBaseName("a.b.CSE"), "a.b");
    EXPECT_EQ(StationBaseName("/dir.x/L"), "L");
    EXPECT_EQ(StationBaseName(""), "");
}

TEST(FindNoCase, FindsAnySpellingAndPrefersExact)
{
    const auto dir = fs::temp_directory_path() / "kr39-paths-test";
    fs::remove_all(dir);
    fs::create_directories(dir / "Modules");
    EXPECT_EQ(FindNoCase(dir, "modules"), dir / "Modules");
    fs::create_directories(dir / "modules");
    EXPECT_EQ(FindNoCase(dir, "modules"), dir / "modules");
    EXPECT_EQ(FindNoCase(dir, "absent"), dir / "absent");
    EXPECT_EQ(FindNoCase(dir / "missing-dir", "x"), dir / "missing-dir" / "x");
    fs::remove_all(dir);
}
