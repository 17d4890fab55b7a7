#include "config/StationFile.h"

#include "catalog/Catalog.h"
#include "util/FileIo.h"

#include "../TestSupport.h"

#include <chrono>

using namespace kr39;
using kr39test::Repeat;

namespace {

// The lines of a file: the given part numbers, then "None" up to line `count`, each ended by `end`.
std::string FileText(std::vector<std::string> lines, const std::string& end = "\r\n", std::size_t count = 17)
{
    lines.resize(count, "None");
    std::string text;
    for (const auto& line : lines)
        text += line + end;
    return text;
}

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
    int Line; // the line a failure names; -1: not checked
};

void PrintTo(const OddFile& c, std::ostream* os)
{
    *os << c.Name;
}

class OpenFile : public StationFile, public ::testing::WithParamInterface<OddFile> { };

} // namespace

TEST_F(StationFile, RoundTripWritesNoneForFillersAndRestoresThem)
{
    DropModule(station, catalog, 8, "DO8\xE4 x");
    const auto path = dir / "Line4.CSE";
    ASSERT_TRUE(SaveStation(station, path).Ok());
    EXPECT_FALSE(station.Modified);
    EXPECT_EQ(station.CurrentFile, path.string());
    EXPECT_EQ(Read("Line4.CSE"),
        FileText({"NODE", "None", "DI16", "None", "None", "None", "None", "None", "DO8\xE4"}));

    Station opened;
    opened.Slots[3] = SlotRecord {"None", "stale", 9, 9};
    opened.Modified = true;
    const auto result = OpenStation(opened, catalog, path);
    ASSERT_EQ(result.Outcome, OpenOutcome::Opened) << result.Detail.Describe();
    EXPECT_EQ(opened.CurrentFile, path.string());
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
        EXPECT_EQ(station.Slots[2].Inputs, 16);
        EXPECT_FALSE(station.Modified);
    } else {
        ExpectNewStation();
        EXPECT_EQ(result.Detail.File, path.string());
        EXPECT_FALSE(result.Detail.What.empty());
        if (GetParam().Line >= 0)
            EXPECT_EQ(result.Detail.Line, GetParam().Line);
    }
    EXPECT_EQ(Read("odd.CSE"), GetParam().Text);
}

const std::string kGood = FileText({"NODE", "None", "DI16"});

INSTANTIATE_TEST_SUITE_P(Files, OpenFile,
    ::testing::Values(OddFile {"EighteenLines", kGood + "x\r\n", OpenOutcome::Opened, 0},
        OddFile {"ManyLinesTheRestIgnored", kGood + Repeat(100000, "garbage \x01"), OpenOutcome::Opened, 0},
        OddFile {"NoFinalLineEnd", FileText({"NODE", "None", "DI16"}) + "None", OpenOutcome::Opened, 0},
        OddFile {"BareLineFeeds", FileText({"NODE", "None", "DI16"}, "\n"), OpenOutcome::Opened, 0},
        OddFile {"SixteenLines", FileText({"NODE", "None", "DI16"}, "\r\n", 16), OpenOutcome::LoadError, 0},
        OddFile {"Empty", "", OpenOutcome::LoadError, 0},
        OddFile {"EmptyLine", FileText({"NODE", "None", "DI16", ""}), OpenOutcome::PartNoNotFound, 4},
        OddFile {"LowerCaseNone", FileText({"NODE", "none", "DI16"}), OpenOutcome::PartNoNotFound, 2},
        OddFile {"LeadingBlank", FileText({"NODE", " None", "DI16"}), OpenOutcome::PartNoNotFound, 2},
        OddFile {"TrailingBlank", FileText({"NODE", "None", "DI16 "}), OpenOutcome::PartNoNotFound, 3},
        OddFile {"BusLine", FileText({"NODE", "Bus", "DI16"}), OpenOutcome::PartNoNotFound, 2},
        OddFile {"CarriageReturnsOnly", FileText({"NODE", "None"}, "\r"), OpenOutcome::PartNoNotFound, 1},
        OddFile {"Truncated", FileText({"NODE"}, "\r\n", 16) + "No", OpenOutcome::PartNoNotFound, 17},
        OddFile {"TruncatedBeforeLastLine", FileText({"NODE"}, "\r\n", 16) + "None\r",
            OpenOutcome::PartNoNotFound, 17},
        OddFile {"Binary", std::string("\x00\xFF\x01\xFE\r\n\x80\x7F", 8) + Repeat(17, "\x01\x02"),
            OpenOutcome::PartNoNotFound, 1},
        OddFile {
            "NulInPartNumber", FileText({"NODE", std::string("DI16\0x", 6)}), OpenOutcome::PartNoNotFound, 2},
        OddFile {
            "MegabyteLine", FileText({"NODE", std::string(1 << 20, 'K')}), OpenOutcome::PartNoNotFound, 2},
        OddFile {"MegabyteOfLineEnds", std::string(1 << 20, '\n'), OpenOutcome::PartNoNotFound, 1},
        // Lines are read one by one: the unknown part number comes before the missing lines.
        OddFile {"ShortWithUnknown", "NODE\r\nXYZ\r\n", OpenOutcome::PartNoNotFound, 2}),
    [](const auto& info) { return info.param.Name; });

TEST_F(StationFile, WhatIsNoFileOrTooLargeGivesALoadError)
{
    fs::create_directories(dir / "folder.CSE");
    // A wrongly chosen file of gigabytes is refused at once instead of filling memory.
    std::ofstream(dir / "huge.CSE").close();
    fs::resize_file(dir / "huge.CSE", std::uintmax_t {4} << 30);
    for (const auto& path :
        {dir / "missing.CSE", dir / "folder.CSE", fs::path("/dev/null"), dir / "huge.CSE"}) {
        SCOPED_TRACE(path);
        DropModule(station, catalog, 2, "DI16 x");
        const auto start = std::chrono::steady_clock::now();
        const auto result = OpenStation(station, catalog, path);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
        EXPECT_EQ(result.Outcome, OpenOutcome::LoadError);
        EXPECT_EQ(result.Detail.File, path.string());
        ExpectNewStation();
    }
}

TEST_F(StationFile, SearchesAFullCatalogToItsEnd)
{
    for (int i = 3; i < CatalogCapacity; ++i)
        catalog.Entries[static_cast<std::size_t>(i)]
            = CatalogEntry {"P" + std::to_string(i), "m", "01", 1, 1};
    Write("full.CSE", FileText({"NODE", "P255"}));
    ASSERT_EQ(OpenStation(station, catalog, dir / "full.CSE").Outcome, OpenOutcome::Opened);
    EXPECT_EQ(station.Slots[1].PartNo, "P255");
    Write("full.CSE", FileText({"NODE", "P256"}));
    const auto missing = OpenStation(station, catalog, dir / "full.CSE");
    EXPECT_EQ(missing.Outcome, OpenOutcome::PartNoNotFound);
    EXPECT_NE(missing.Detail.What.find("\"P256\""), std::string::npos);
}

TEST_F(StationFile, FailedSaveKeepsTheOldFileByteForByte)
{
    const std::string old = "old contents\r\nwith \xE4 bytes\r\n";
    Write("keep.CSE", old);
    Write("readonly.CSE", old);
    fs::permissions(
        dir / "readonly.CSE", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::create_directories(dir / "folder.CSE");
    Write("folder.CSE/inside", "kept");
    // A device like /dev/full inside the test's folder: a fault that renamed over it would
    // replace this node, never the machine's.
    const auto full = dir / "dev" / "full";
    const bool haveFull = kr39test::MakeFullDevice(full);
    const std::pair<std::string, fs::path> cases[]
        = {{"create", dir / "keep.CSE"}, {"write", dir / "keep.CSE"}, {"flush", dir / "keep.CSE"},
            {"close", dir / "keep.CSE"}, {"rename", dir / "keep.CSE"}, {"", dir / "folder.CSE"},
            {"", dir / "no" / "such.CSE"}, {"", dir / "readonly.CSE"}, {"", full}};
    for (const auto& [step, target] : cases) {
        SCOPED_TRACE(step + " " + target.string());
        if (target == full && !haveFull)
            continue;
        SetWriteFaultHookForTesting([&](std::string_view s) { return s != step; });
        station.Modified = true;
        const auto result = SaveStation(station, target);
        ASSERT_FALSE(result.Ok());
        EXPECT_EQ(result.Error().File, target.string());
        EXPECT_FALSE(result.Error().What.empty());
        EXPECT_TRUE(station.Modified);
        EXPECT_EQ(station.CurrentFile, target.string());
        EXPECT_EQ(Read("keep.CSE"), old);
        EXPECT_EQ(Read("readonly.CSE"), old);
        if (target == full) {
            EXPECT_NE(result.Error().What.find("No space"), std::string::npos) << result.Error().What;
            EXPECT_TRUE(fs::is_character_file(full));
        }
    }
    EXPECT_EQ(Read("folder.CSE/inside"), "kept");
    EXPECT_EQ(kr39test::EntriesIn(dir), 4u) << "no temporary file, no new folder";
    EXPECT_EQ(kr39test::EntriesIn(dir / "dev"), haveFull ? 1u : 0u);
}
