// Bad station files and failing saves: no crash, a reason for every refusal, a new station after
// a refused file, and a file that was there before a failed save keeps every byte.
#include "catalog/Catalog.h"
#include "config/StationFile.h"
#include "station/Station.h"
#include "util/FileIo.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;
using namespace kr39;

namespace {

const Catalog& TestCatalog()
{
    static const Catalog catalog = [] {
        auto parsed
            = ParseCatalog("00 KR39 node\r\n01 Digital inputs\r\n02 Digital outputs\r\n<STARTMODULES>\r\n"
                           "00 000 000 KR39NODE000001 DeviceNet node\r\n"
                           "01 016 000 KR39DI16 16 digital inputs\r\n"
                           "02 000 004 KR39DO4 4 relay outputs\r\n");
        EXPECT_TRUE(parsed.Ok());
        return parsed.Value();
    }();
    return catalog;
}

std::string Lines(int count, const std::string& line, const std::string& end = "\r\n")
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += line + end;
    return text;
}

// A station file with the bus node and `rest` as the 16 lines of the module slots.
std::string StationText(const std::string& rest)
{
    return "KR39NODE000001\r\n" + rest;
}

class StationFileRobustness : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path()
            / ("kr39-cse-robust-" + std::to_string(::getpid()) + "-"
                + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override
    {
        SetWriteFaultHookForTesting(nullptr);
        fs::remove_all(dir);
    }
    static void Write(const fs::path& path, const std::string& bytes)
    {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string Read(const fs::path& path)
    {
        auto bytes = ReadFileBytes(path);
        return bytes ? bytes.Value() : "<unreadable: " + bytes.Error().What + ">";
    }
    // A station that differs from a new one in every way a refused file must undo.
    static Station BusyStation()
    {
        Station station;
        NewStation(station, TestCatalog());
        for (int slot = 1; slot < SlotCount; ++slot)
            station.Slots[static_cast<std::size_t>(slot)]
                = SlotRecord {"KR39DI16", "16 digital inputs", 16, 0};
        station.CurrentFile = "earlier.CSE";
        station.Modified = true;
        return station;
    }
    static void ExpectNewStation(const Station& station)
    {
        Station fresh;
        NewStation(fresh, TestCatalog());
        for (int slot = 0; slot < SlotCount; ++slot) {
            const auto& got = station.Slots[static_cast<std::size_t>(slot)];
            const auto& want = fresh.Slots[static_cast<std::size_t>(slot)];
            EXPECT_EQ(got.PartNo, want.PartNo) << "slot " << slot;
            EXPECT_EQ(got.Description, want.Description) << "slot " << slot;
            EXPECT_EQ(got.Inputs, want.Inputs) << "slot " << slot;
            EXPECT_EQ(got.Outputs, want.Outputs) << "slot " << slot;
        }
        EXPECT_EQ(station.CurrentFile, "");
        EXPECT_FALSE(station.Modified);
    }
    fs::path dir;
};

struct BadStationFile {
    std::string Name;
    std::string Bytes;
    OpenOutcome Expected;
};

void PrintTo(const BadStationFile& c, std::ostream* os)
{
    *os << c.Name;
}

class BadStationFiles : public StationFileRobustness,
                        public ::testing::WithParamInterface<BadStationFile> { };

} // namespace

TEST_P(BadStationFiles, LeaveANewStationAndSayWhy)
{
    const auto path = dir / "bad.CSE";
    Write(path, GetParam().Bytes);
    auto station = BusyStation();
    const auto result = OpenStation(station, TestCatalog(), path);
    EXPECT_EQ(result.Outcome, GetParam().Expected);
    EXPECT_FALSE(result.Detail.What.empty());
    ExpectNewStation(station);
    EXPECT_EQ(Read(path), GetParam().Bytes) << "opening must not touch the file";
}

INSTANTIATE_TEST_SUITE_P(Files, BadStationFiles,
    ::testing::Values(BadStationFile {"Empty", "", OpenOutcome::LoadError},
        BadStationFile {"Truncated", StationText(Lines(15, "None") + "No"), OpenOutcome::PartNoNotFound},
        BadStationFile {"TruncatedBeforeLastLine", StationText(Lines(14, "None") + "None\r"),
            OpenOutcome::PartNoNotFound},
        BadStationFile {"Binary", std::string("\x00\xFF\x01\xFE\r\n\x80\x7F", 8) + Lines(17, "\x01\x02"),
            OpenOutcome::PartNoNotFound},
        BadStationFile {"NulInPartNumber",
            StationText(std::string("KR39DI16\0x\r\n", 12) + Lines(15, "None")), OpenOutcome::PartNoNotFound},
        BadStationFile {"UnknownPartNumber", StationText("KR39XX99\r\n" + Lines(15, "None")),
            OpenOutcome::PartNoNotFound},
        BadStationFile {"MegabyteLine", StationText(std::string(1 << 20, 'K') + "\r\n" + Lines(15, "None")),
            OpenOutcome::PartNoNotFound},
        BadStationFile {"MegabyteOfLineEnds", std::string(1 << 20, '\n'), OpenOutcome::PartNoNotFound}),
    [](const auto& info) { return info.param.Name; });

TEST_F(StationFileRobustness, OpenRefusesWhatIsNoFile)
{
    fs::create_directories(dir / "folder.CSE");
    for (const auto& path : {dir / "missing.CSE", dir / "folder.CSE", fs::path("/dev/null")}) {
        auto station = BusyStation();
        const auto result = OpenStation(station, TestCatalog(), path);
        EXPECT_EQ(result.Outcome, OpenOutcome::LoadError) << path;
        EXPECT_FALSE(result.Detail.What.empty()) << path;
        ExpectNewStation(station);
    }
}

TEST_F(StationFileRobustness, HugeFileIsRefusedWithoutReadingIt)
{
    // A wrongly chosen file of gigabytes gives the load error at once instead of filling memory.
    const auto path = dir / "huge.CSE";
    std::ofstream(path).close();
    fs::resize_file(path, std::uintmax_t {4} << 30);
    auto station = BusyStation();
    const auto start = std::chrono::steady_clock::now();
    const auto result = OpenStation(station, TestCatalog(), path);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(result.Outcome, OpenOutcome::LoadError);
    ExpectNewStation(station);
}

TEST_F(StationFileRobustness, ManyLinesOpenAndTheRestIsIgnored)
{
    const auto path = dir / "long.CSE";
    Write(path, StationText("KR39DI16\r\n" + Lines(15, "None") + Lines(100000, "garbage \x01")));
    Station station;
    const auto result = OpenStation(station, TestCatalog(), path);
    ASSERT_EQ(result.Outcome, OpenOutcome::Opened) << result.Detail.Describe();
    EXPECT_EQ(station.Slots[1].PartNo, "KR39DI16");
    EXPECT_EQ(station.Slots[1].Inputs, 16);
}

TEST_F(StationFileRobustness, SaveToImpossiblePlacesIsReported)
{
    fs::create_directories(dir / "folder.CSE");
    Write(dir / "folder.CSE" / "inside", "kept");
    Write(dir / "readonly.CSE", "kept");
    fs::permissions(
        dir / "readonly.CSE", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    for (const auto& path : {dir / "folder.CSE", dir / "no such folder" / "x.CSE", dir / "readonly.CSE"}) {
        auto station = BusyStation();
        const auto result = SaveStation(station, path);
        EXPECT_FALSE(result.Ok()) << path;
        EXPECT_FALSE(result.Error().What.empty()) << path;
        EXPECT_TRUE(station.Modified) << path;
    }
    EXPECT_TRUE(fs::is_directory(dir / "folder.CSE"));
    EXPECT_EQ(Read(dir / "folder.CSE" / "inside"), "kept");
    EXPECT_EQ(Read(dir / "readonly.CSE"), "kept");
    EXPECT_FALSE(fs::exists(dir / "no such folder"));
}

TEST_F(StationFileRobustness, SaveOnAFullDiskIsReportedAndTheDeviceStays)
{
    // /dev/full takes the open and fails the flush. It is written in place: as root a rename
    // would replace the device node with a plain file.
    if (!fs::is_character_file("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    auto station = BusyStation();
    const auto result = SaveStation(station, "/dev/full");
    ASSERT_FALSE(result.Ok());
    EXPECT_NE(result.Error().What.find("No space"), std::string::npos) << result.Error().What;
    EXPECT_TRUE(station.Modified);
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
}
