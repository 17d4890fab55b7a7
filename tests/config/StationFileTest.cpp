#include "config/StationFile.h"

#include "catalog/Catalog.h"
#include "util/FileIo.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using namespace kr39;

namespace {

// The lines of a file: the given part numbers, then "None" up to line 17, each ended by `end`.
std::string FileText(std::vector<std::string> lines, const std::string& end = "\r\n", std::size_t count = 17)
{
    lines.resize(count, "None");
    std::string text;
    for (const auto& line : lines)
        text += line + end;
    return text;
}

class StationFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path()
            / ("kr39-config-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-"
                + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        catalog.Entries[0] = CatalogEntry {"NODE", "DeviceNet node", "00", 1, 2};
        catalog.Entries[1] = CatalogEntry {"DI16", "16 inputs", "01", 16, 0};
        catalog.Entries[2] = CatalogEntry {"DO8\xE4", "8 outputs \xFC", "02", 0, 8};
        NewStation(station, catalog);
        // A station with a module in the way, so that a failed open visibly starts over.
        DropModule(station, catalog, 2, "DI16 x");
    }
    void TearDown() override
    {
        SetWriteFaultHookForTesting(nullptr);
        fs::remove_all(dir);
    }
    static void Write(const fs::path& p, const std::string& bytes)
    {
        std::ofstream(p, std::ios::binary) << bytes;
    }
    static std::string Read(const fs::path& p) { return ReadFileBytes(p).Value(); }

    Catalog catalog;
    Station station;
    fs::path dir;
};

struct OddFile {
    std::string Name;
    std::string Text;
    OpenOutcome Outcome;
    int Line; // the line the failure names
};

class OpenOddFile : public StationFile, public ::testing::WithParamInterface<OddFile> { };

} // namespace

TEST_F(StationFile, RoundTripWritesNoneForFillersAndRestoresThem)
{
    DropModule(station, catalog, 8, "DO8\xE4 x");
    const auto path = dir / "Line4.CSE";
    ASSERT_TRUE(SaveStation(station, path).Ok());
    EXPECT_FALSE(station.Modified);
    EXPECT_EQ(station.CurrentFile, path.string());
    EXPECT_EQ(
        Read(path), FileText({"NODE", "None", "DI16", "None", "None", "None", "None", "None", "DO8\xE4"}));

    Station opened;
    opened.Slots[3] = SlotRecord {"None", "stale", 9, 9};
    opened.Modified = true;
    const auto result = OpenStation(opened, catalog, path);
    ASSERT_EQ(result.Outcome, OpenOutcome::Opened) << result.Detail.Describe();
    EXPECT_EQ(opened.CurrentFile, path.string());
    EXPECT_FALSE(opened.Modified);
    for (std::size_t slot = 0; slot < SlotCount; ++slot) {
        const auto& a = opened.Slots[slot];
        const auto& b = station.Slots[slot];
        EXPECT_EQ(
            a.PartNo + "|" + a.Description + "|" + std::to_string(a.Inputs) + "|" + std::to_string(a.Outputs),
            b.PartNo + "|" + b.Description + "|" + std::to_string(b.Inputs) + "|" + std::to_string(b.Outputs))
            << slot;
    }
}

TEST_P(OpenOddFile, FollowsTheReadingRules)
{
    const auto path = dir / "odd.CSE";
    Write(path, GetParam().Text);
    const auto result = OpenStation(station, catalog, path);
    EXPECT_EQ(result.Outcome, GetParam().Outcome) << result.Detail.Describe();
    if (GetParam().Outcome == OpenOutcome::Opened) {
        EXPECT_EQ(station.CurrentFile, path.string());
        EXPECT_EQ(station.Slots[1].PartNo + station.Slots[2].PartNo + station.Slots[3].PartNo, "BusDI16None");
    } else {
        EXPECT_EQ(station.Slots[0].PartNo + station.Slots[2].PartNo, "NODENone");
        EXPECT_EQ(station.CurrentFile, "");
        EXPECT_EQ(result.Detail.File, path.string());
        EXPECT_EQ(result.Detail.Line, GetParam().Line);
    }
    EXPECT_FALSE(station.Modified);
    EXPECT_EQ(Read(path), GetParam().Text);
}

INSTANTIATE_TEST_SUITE_P(Files, OpenOddFile,
    ::testing::Values(
        OddFile {"EighteenLines", FileText({"NODE", "None", "DI16"}) + "x\r\n", OpenOutcome::Opened, 0},
        OddFile {"NoFinalLineEnd", FileText({"NODE", "None", "DI16"}) + "None", OpenOutcome::Opened, 0},
        OddFile {"BareLineFeeds", FileText({"NODE", "None", "DI16"}, "\n"), OpenOutcome::Opened, 0},
        OddFile {"SixteenLines", FileText({"NODE", "None", "DI16"}, "\r\n", 16), OpenOutcome::LoadError, 0},
        OddFile {"Empty", "", OpenOutcome::LoadError, 0},
        OddFile {"EmptyLine", FileText({"NODE", "None", "DI16", ""}), OpenOutcome::PartNoNotFound, 4},
        OddFile {"LowerCaseNone", FileText({"NODE", "none", "DI16"}), OpenOutcome::PartNoNotFound, 2},
        OddFile {"LeadingBlank", FileText({"NODE", " None", "DI16"}), OpenOutcome::PartNoNotFound, 2},
        OddFile {"TrailingBlank", FileText({"NODE", "None", "DI16 "}), OpenOutcome::PartNoNotFound, 3},
        OddFile {"BusLine", FileText({"NODE", "Bus", "DI16"}), OpenOutcome::PartNoNotFound, 2},
        OddFile {
            "CarriageReturnsOnly", FileText({"NODE", "None", "DI16"}, "\r"), OpenOutcome::PartNoNotFound, 1},
        // Lines are read one by one: the unknown part number comes before the missing lines.
        OddFile {"ShortWithUnknown", "NODE\r\nXYZ\r\n", OpenOutcome::PartNoNotFound, 2}),
    [](const auto& info) { return info.param.Name; });

TEST_F(StationFile, UnreadableFilesGiveALoadError)
{
    for (const auto& path : {dir / "missing.CSE", dir}) {
        DropModule(station, catalog, 2, "DI16 x");
        const auto result = OpenStation(station, catalog, path);
        EXPECT_EQ(result.Outcome, OpenOutcome::LoadError) << path;
        EXPECT_EQ(result.Detail.File, path.string());
        EXPECT_EQ(station.Slots[2].PartNo, "None");
    }
}

TEST_F(StationFile, SearchesAFullCatalogToItsEnd)
{
    for (int i = 3; i < CatalogCapacity; ++i)
        catalog.Entries[static_cast<std::size_t>(i)]
            = CatalogEntry {"P" + std::to_string(i), "m", "01", 1, 1};
    const auto path = dir / "full.CSE";
    Write(path, FileText({"NODE", "P255"}));
    ASSERT_EQ(OpenStation(station, catalog, path).Outcome, OpenOutcome::Opened);
    Write(path, FileText({"NODE", "P256"}));
    const auto missing = OpenStation(station, catalog, path);
    EXPECT_EQ(missing.Outcome, OpenOutcome::PartNoNotFound);
    EXPECT_NE(missing.Detail.What.find("\"P256\""), std::string::npos);
}

TEST_F(StationFile, FailedSaveKeepsTheOldFileByteForByte)
{
    const auto path = dir / "keep.CSE";
    const std::string old = "old contents\r\nwith \xE4 bytes\r\n";
    Write(path, old);
    fs::create_directories(dir / "folder.CSE");
    for (const char* step : {"create", "write", "flush", "close", "rename", "folder", "missing", "device"}) {
        SetWriteFaultHookForTesting([&](std::string_view s) { return s != step; });
        auto target = path;
        if (step == std::string("folder"))
            target = dir / "folder.CSE";
        else if (step == std::string("missing"))
            target = dir / "no" / "such.CSE";
        else if (step == std::string("device")) {
            if (!fs::is_character_file("/dev/full"))
                continue;
            target = "/dev/full";
        }
        const auto result = SaveStation(station, target);
        EXPECT_FALSE(result.Ok()) << step;
        EXPECT_EQ(result.Error().File, target.string()) << step;
        EXPECT_TRUE(station.Modified) << step;
        EXPECT_EQ(station.CurrentFile, target.string()) << step;
        EXPECT_EQ(Read(path), old) << step;
    }
    EXPECT_TRUE(fs::is_empty(dir / "folder.CSE"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
    EXPECT_TRUE(!fs::exists("/dev/full") || fs::is_character_file("/dev/full"));
}
