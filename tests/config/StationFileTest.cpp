#include "config/StationFile.h"

#include "catalog/Catalog.h"
#include "util/FileIo.h"

#include "../TestSupport.h"

using namespace kr39;
using kr39test::Repeat;
using kr39test::StationText;

namespace {

std::string SlotsText(const Station& station)
{
    std::string text;
    for (const auto& s : station.Slots)
        text += s.PartNo + "|" + s.Description + "|" + std::to_string(s.Inputs) + "|"
            + std::to_string(s.Outputs) + "\n";
    return text;
}

class StationFile : public kr39test::TempDir {
protected:
    void SetUp() override
    {
        TempDir::SetUp();
        catalog.Entries[0] = CatalogEntry {"NODE", "DeviceNet node", "00", 1, 2};
        catalog.Entries[1] = CatalogEntry {"DI16", "16 inputs", "01", 16, 0};
        catalog.Entries[2] = CatalogEntry {"DO8\xE4", "8 outputs \xFC", "02", 0, 8};
        NewStation(fresh, catalog);
        // A station with a module in the way, so that a refused file visibly starts over.
        station = fresh;
        DropModule(station, catalog, 2, "DI16 x");
        station.CurrentFile = "earlier.CSE";
    }
    void TearDown() override
    {
        SetWriteFaultHookForTesting(nullptr);
        TempDir::TearDown();
    }
    void ExpectNewStation() const
    {
        EXPECT_EQ(SlotsText(station), SlotsText(fresh));
        EXPECT_EQ(station.CurrentFile, "");
        EXPECT_FALSE(station.Modified);
    }

    Catalog catalog;
    Station station, fresh;
};

struct OddFile {
    std::string Name;
    std::string Text;
    OpenOutcome Outcome;
    int Line; // the line a failure names
    friend void PrintTo(const OddFile& c, std::ostream* os) { *os << c.Name; }
};

class OpenFile : public StationFile, public ::testing::WithParamInterface<OddFile> { };

} // namespace

TEST_F(StationFile, RoundTripWritesNoneForFillersAndRestoresThem)
{
    DropModule(station, catalog, 8, "DO8\xE4 x");
    const auto path = dir / "Line4.CSE";
    ASSERT_TRUE(SaveStation(station, path).Ok());
    EXPECT_FALSE(station.Modified);
    EXPECT_EQ(Read("Line4.CSE"),
        StationText({"NODE", "None", "DI16", "None", "None", "None", "None", "None", "DO8\xE4"}));

    Station opened;
    opened.Slots[3] = SlotRecord {"None", "stale", 9, 9};
    opened.Modified = true;
    const auto result = OpenStation(opened, catalog, path);
    ASSERT_EQ(result.Outcome, OpenOutcome::Opened) << result.Detail.Describe();
    EXPECT_FALSE(opened.Modified);
    EXPECT_EQ(SlotsText(opened), SlotsText(station));
}

TEST_P(OpenFile, FollowsTheReadingRulesAndNeverTouchesTheFile)
{
    const auto path = dir / "odd.CSE";
    Write("odd.CSE", GetParam().Text);
    const auto result = OpenStation(station, catalog, path);
    ASSERT_EQ(result.Outcome, GetParam().Outcome) << result.Detail.Describe();
    if (GetParam().Outcome == OpenOutcome::Opened) {
        EXPECT_EQ(station.CurrentFile, path.string());
        EXPECT_EQ(station.Slots[1].PartNo + station.Slots[2].PartNo + station.Slots[3].PartNo, "BusDI16None");
    } else {
        ExpectNewStation();
        EXPECT_EQ(result.Detail.File, path.string());
        EXPECT_FALSE(result.Detail.What.empty());
        EXPECT_EQ(result.Detail.Line, GetParam().Line);
    }
    EXPECT_EQ(Read("odd.CSE"), GetParam().Text);
}

const std::string kGood = StationText({"NODE", "None", "DI16"});

INSTANTIATE_TEST_SUITE_P(Files, OpenFile,
    ::testing::Values(
        OddFile {"ManyLinesTheRestIgnored", kGood + Repeat(100000, "garbage \x01"), OpenOutcome::Opened, 0},
        OddFile {
            "SixteenLines", StationText({"NODE", "None", "DI16"}, "\r\n", 16), OpenOutcome::LoadError, 0},
        OddFile {"Empty", "", OpenOutcome::LoadError, 0},
        OddFile {"CarriageReturnsOnly", StationText({"NODE", "None"}, "\r"), OpenOutcome::PartNoNotFound, 1},
        OddFile {"Truncated", StationText({"NODE"}, "\r\n", 16) + "No", OpenOutcome::PartNoNotFound, 17},
        OddFile {"Binary", std::string("\x00\xFF\x01\xFE\r\n\x80\x7F", 8) + Repeat(17, "\x01\x02"),
            OpenOutcome::PartNoNotFound, 1},
        OddFile {"NulInPartNumber", StationText({"NODE", std::string("DI16\0x", 6)}),
            OpenOutcome::PartNoNotFound, 2},
        // An empty line is no part number.
        OddFile {"MegabyteOfLineEnds", std::string(1 << 20, '\n'), OpenOutcome::PartNoNotFound, 1},
        // Lines are read one by one: the unknown part number comes before the missing lines.
        OddFile {"ShortWithUnknown", "NODE\r\nXYZ\r\n", OpenOutcome::PartNoNotFound, 2}),
    [](const auto& info) { return info.param.Name; });

TEST_F(StationFile, FailedSaveKeepsTheOldFileAndTheStationChangedAndNoFileOpensAsALoadError)
{
    Write("keep.CSE", "old\r\n");
    SetWriteFaultHookForTesting([](std::string_view step) { return step != "rename"; });
    station.Modified = true;
    const auto result = SaveStation(station, dir / "keep.CSE");
    ASSERT_FALSE(result.Ok());
    EXPECT_EQ(result.Error().File, (dir / "keep.CSE").string());
    EXPECT_TRUE(station.Modified);
    EXPECT_EQ(station.CurrentFile, (dir / "keep.CSE").string());
    EXPECT_EQ(Read("keep.CSE"), "old\r\n");

    // A folder (as any name the file reading refuses) leaves a new station.
    const auto folder = OpenStation(station, catalog, dir);
    EXPECT_EQ(folder.Outcome, OpenOutcome::LoadError);
    EXPECT_EQ(folder.Detail.File, dir.string());
    ExpectNewStation();
}
