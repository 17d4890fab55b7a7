#include "config/StationFile.h"

#include "catalog/Catalog.h"
#include "util/FileIo.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using namespace kr39;

namespace {

Catalog TestCatalog()
{
    Catalog catalog;
    catalog.Entries[0] = CatalogEntry {"NODE", "DeviceNet node", "00", 1, 2};
    catalog.Entries[1] = CatalogEntry {"DI16", "16 inputs", "01", 16, 0};
    catalog.Entries[2] = CatalogEntry {"DO8\xE4", "8 outputs \xFC\x62", "02", 0, 8};
    catalog.ModuleLineCount = 3;
    return catalog;
}

// The 17 lines of a file: slot 0 and the given part numbers, "None" for the rest.
std::string FileText(std::vector<std::string> lines, const std::string& end = "\r\n")
{
    lines.resize(StationFileLines, "None");
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
        NewStation(station, catalog);
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

    void ExpectNewStation() const
    {
        EXPECT_EQ(station.Slots[0].PartNo, "NODE");
        for (int slot = 1; slot < SlotCount; ++slot) {
            EXPECT_EQ(station.Slots[static_cast<std::size_t>(slot)].PartNo, "None") << slot;
            EXPECT_EQ(station.Slots[static_cast<std::size_t>(slot)].Inputs, 0) << slot;
        }
        EXPECT_EQ(station.CurrentFile, "");
        EXPECT_FALSE(station.Modified);
    }

    Catalog catalog = TestCatalog();
    Station station;
    fs::path dir;
};

} // namespace

TEST_F(StationFile, WritesSeventeenLinesWithNoneForFillers)
{
    ASSERT_EQ(DropModule(station, catalog, 3, "DI16 x").Outcome, DropOutcome::Placed);
    ASSERT_EQ(DropModule(station, catalog, 8, "DO8\xE4 x").Outcome, DropOutcome::Placed);
    ASSERT_EQ(station.Slots[1].PartNo, "Bus");
    EXPECT_EQ(SerializeStation(station.Slots),
        FileText({"NODE", "None", "None", "DI16", "None", "None", "None", "None", "DO8\xE4"}));
}

TEST_F(StationFile, RoundTripRestoresFillersAndTakesDataFromTheCatalog)
{
    ASSERT_EQ(DropModule(station, catalog, 7, "DO8\xE4 x").Outcome, DropOutcome::Placed);
    ASSERT_EQ(DropModule(station, catalog, 16, "DI16 x").Outcome, DropOutcome::Placed);
    const auto path = dir / "Line4.CSE";
    ASSERT_TRUE(SaveStation(station, path).Ok());
    EXPECT_FALSE(station.Modified);
    EXPECT_EQ(station.CurrentFile, path.string());
    const auto saved = station.Slots;

    Station opened;
    opened.Slots[7].Description = "stale";
    opened.Slots[2] = SlotRecord {"None", "stale", 9, 9};
    opened.Modified = true;
    const auto result = OpenStation(opened, catalog, path);
    ASSERT_EQ(result.Outcome, OpenOutcome::Opened) << result.Detail.Describe();
    EXPECT_EQ(opened.CurrentFile, path.string());
    EXPECT_FALSE(opened.Modified);
    for (int slot = 0; slot < SlotCount; ++slot) {
        const auto i = static_cast<std::size_t>(slot);
        EXPECT_EQ(opened.Slots[i].PartNo, saved[i].PartNo) << slot;
        EXPECT_EQ(opened.Slots[i].Description, saved[i].Description) << slot;
        EXPECT_EQ(opened.Slots[i].Inputs, saved[i].Inputs) << slot;
        EXPECT_EQ(opened.Slots[i].Outputs, saved[i].Outputs) << slot;
    }
    EXPECT_EQ(opened.Slots[6].PartNo, "Bus");
    EXPECT_EQ(opened.Slots[7].Description, "8 outputs \xFC\x62");
    // What was saved is read back byte for byte.
    EXPECT_EQ(SerializeStation(opened.Slots), Read(path));
}

namespace {

struct OddFile {
    std::string Name;
    std::string Text;
    OpenOutcome Outcome;
    int Line; // the line the failure names
};

void PrintTo(const OddFile& c, std::ostream* os)
{
    *os << c.Name;
}

class OpenOddFile : public StationFile, public ::testing::WithParamInterface<OddFile> { };

} // namespace

TEST_P(OpenOddFile, FollowsTheReadingRules)
{
    const auto path = dir / "odd.CSE";
    Write(path, GetParam().Text);
    ASSERT_EQ(DropModule(station, catalog, 2, "DI16 x").Outcome, DropOutcome::Placed);
    const auto result = OpenStation(station, catalog, path);
    EXPECT_EQ(result.Outcome, GetParam().Outcome) << result.Detail.Describe();
    if (GetParam().Outcome == OpenOutcome::Opened) {
        EXPECT_EQ(station.CurrentFile, path.string());
        EXPECT_EQ(station.Slots[2].PartNo, "DI16");
        EXPECT_EQ(station.Slots[1].PartNo, "Bus");
    } else {
        ExpectNewStation();
        EXPECT_EQ(result.Detail.File, path.string());
        EXPECT_EQ(result.Detail.Line, GetParam().Line);
        EXPECT_NE(result.Detail.What, "");
    }
    // Reading never changes the file.
    EXPECT_EQ(Read(path), GetParam().Text);
}

const std::string kSixteen
    = FileText({"NODE", "None", "DI16"}).substr(0, FileText({"NODE", "None", "DI16"}).size() - 6);

INSTANTIATE_TEST_SUITE_P(Files, OpenOddFile,
    ::testing::Values(OddFile {"Plain", FileText({"NODE", "None", "DI16"}), OpenOutcome::Opened, 0},
        OddFile {"EighteenLines", FileText({"NODE", "None", "DI16"}) + "garbage\r\n", OpenOutcome::Opened, 0},
        OddFile {
            "ManyMoreLines", FileText({"NODE", "None", "DI16"}) + "x\r\n\r\nNone\n", OpenOutcome::Opened, 0},
        OddFile {"NoFinalLineEnd", kSixteen + "None", OpenOutcome::Opened, 0},
        OddFile {"BareLineFeeds", FileText({"NODE", "None", "DI16"}, "\n"), OpenOutcome::Opened, 0},
        OddFile {"SixteenLines", kSixteen, OpenOutcome::LoadError, 0},
        OddFile {"Empty", "", OpenOutcome::LoadError, 0},
        OddFile {"EmptyLine", FileText({"NODE", "None", "DI16", ""}), OpenOutcome::PartNoNotFound, 4},
        OddFile {"LowerCaseNone", FileText({"NODE", "None", "DI16", "none"}), OpenOutcome::PartNoNotFound, 4},
        OddFile {"LeadingBlank", FileText({"NODE", " None", "DI16"}), OpenOutcome::PartNoNotFound, 2},
        OddFile {"TrailingBlank", FileText({"NODE", "None", "DI16 "}), OpenOutcome::PartNoNotFound, 3},
        OddFile {"BusLine", FileText({"NODE", "Bus", "DI16"}), OpenOutcome::PartNoNotFound, 2},
        OddFile {"UnknownNode", FileText({"NODE2", "None", "DI16"}), OpenOutcome::PartNoNotFound, 1},
        OddFile {
            "CarriageReturnsOnly", FileText({"NODE", "None", "DI16"}, "\r"), OpenOutcome::PartNoNotFound, 1},
        // Lines are read one by one: the unknown part number comes before the missing lines.
        OddFile {"ShortWithUnknown", "NODE\r\nXYZ\r\n", OpenOutcome::PartNoNotFound, 2}),
    [](const auto& info) { return info.param.Name; });

TEST_F(StationFile, FirstLineMayNameAnyModule)
{
    const auto path = dir / "a.CSE";
    Write(path, FileText({"DI16", "DI16"}));
    ASSERT_EQ(OpenStation(station, catalog, path).Outcome, OpenOutcome::Opened);
    EXPECT_EQ(station.Slots[0].PartNo, "DI16");
    EXPECT_EQ(station.Slots[0].Inputs, 16);
}

TEST_F(StationFile, UnreadableFilesGiveALoadError)
{
    for (const auto& path : {dir / "missing.CSE", dir}) {
        ASSERT_EQ(DropModule(station, catalog, 2, "DI16 x").Outcome, DropOutcome::Placed);
        const auto result = OpenStation(station, catalog, path);
        EXPECT_EQ(result.Outcome, OpenOutcome::LoadError) << path;
        EXPECT_EQ(result.Detail.File, path.string());
        ExpectNewStation();
    }
}

TEST_F(StationFile, SearchesAFullCatalogToItsEnd)
{
    Catalog full;
    full.Entries[0] = CatalogEntry {"NODE", "node", "00", 0, 0};
    for (int i = 1; i < CatalogCapacity; ++i)
        full.Entries[static_cast<std::size_t>(i)] = CatalogEntry {"P" + std::to_string(i), "m", "01", 1, 1};
    full.ModuleLineCount = CatalogCapacity;
    const auto path = dir / "full.CSE";
    Write(path, FileText({"NODE", "P255"}));
    ASSERT_EQ(OpenStation(station, full, path).Outcome, OpenOutcome::Opened);
    EXPECT_EQ(station.Slots[1].PartNo, "P255");
    Write(path, FileText({"NODE", "P256"}));
    const auto missing = OpenStation(station, full, path);
    EXPECT_EQ(missing.Outcome, OpenOutcome::PartNoNotFound);
    EXPECT_EQ(missing.Detail.Line, 2);
    EXPECT_NE(missing.Detail.What.find("P256"), std::string::npos);
}

TEST_F(StationFile, FailedSaveKeepsTheOldFileByteForByte)
{
    const auto path = dir / "keep.CSE";
    const std::string old = "old contents\r\nwith \xE4 bytes\r\n";
    Write(path, old);
    ASSERT_EQ(DropModule(station, catalog, 4, "DI16 x").Outcome, DropOutcome::Placed);
    for (const char* step : {"create", "write", "flush", "close", "rename"}) {
        SetWriteFaultHookForTesting([&](std::string_view s) { return s != step; });
        const auto result = SaveStation(station, path);
        EXPECT_FALSE(result.Ok()) << step;
        EXPECT_EQ(result.Error().File, path.string()) << step;
        EXPECT_TRUE(station.Modified) << step;
        EXPECT_EQ(station.CurrentFile, path.string()) << step;
        EXPECT_EQ(Read(path), old) << step;
        EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1) << step;
    }
    SetWriteFaultHookForTesting(nullptr);
    ASSERT_TRUE(SaveStation(station, path).Ok());
    EXPECT_FALSE(station.Modified);
    EXPECT_EQ(Read(path), SerializeStation(station.Slots));
}

TEST_F(StationFile, SaveToAFolderOrAMissingFolderFails)
{
    fs::create_directories(dir / "target.CSE");
    for (const auto& path : {dir / "target.CSE", dir / "no" / "such.CSE"}) {
        station.Modified = true;
        EXPECT_FALSE(SaveStation(station, path).Ok()) << path;
        EXPECT_TRUE(station.Modified);
    }
    EXPECT_TRUE(fs::is_directory(dir / "target.CSE"));
    EXPECT_TRUE(fs::is_empty(dir / "target.CSE"));
}

TEST_F(StationFile, SaveToAFullDeviceFailsAndLeavesTheDevice)
{
    const fs::path full = "/dev/full";
    if (!fs::is_character_file(full))
        GTEST_SKIP() << "no /dev/full here";
    station.Modified = true;
    EXPECT_FALSE(SaveStation(station, full).Ok());
    EXPECT_TRUE(station.Modified);
    EXPECT_TRUE(fs::is_character_file(full));
}
