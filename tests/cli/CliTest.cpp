// Runs the built kr39eds-cli on files made in a temporary folder.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string kCatalog = "00 root\r\n01 Digital inputs\r\n02 Counters\r\n<STARTMODULES>\r\n"
                             "01 016 000 DI16 16 inputs\r\n"
                             "00 008 004 NODE DeviceNet node\r\n"
                             "02 002 002 CNT Counter C 24 V\r\n"
                             "01 004 000 DI\xC4 4 inputs \xE4\xF6\xFC\r\n";

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Line `index` (from 0) of a text.
std::string LineOf(const std::string& text, int index = 0)
{
    std::istringstream in(text);
    std::string line;
    for (int i = 0; i <= index; ++i)
        std::getline(in, line);
    return line;
}

// A station file: the given part numbers, then "None" up to line 17.
std::string StationText(std::vector<std::string> partNos)
{
    partNos.resize(17, "None");
    std::string text;
    for (const auto& partNo : partNos)
        text += partNo + "\r\n";
    return text;
}

struct Outcome {
    int Exit = -1;
    std::string Out;
    std::string Err;
};

class CliRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path()
            / ("kr39-cli-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-"
                + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "mods");
        Write(dir / "mods" / "pn.dat", kCatalog);
        station = (dir / "s.CSE").string();
    }
    void TearDown() override { fs::remove_all(dir); }

    static void Write(const fs::path& p, const std::string& bytes)
    {
        std::ofstream(p, std::ios::binary) << bytes;
    }

    // Runs the program in `language`; "S" in `args` stands for the station file, a leading "DIR"
    // for the test's folder. With `modules` set, --modules names the test's module folder.
    Outcome Exec(std::vector<std::string> args, const std::string& language = "en", bool modules = true,
        const std::string& program = KR39_CLI_PATH)
    {
        if (modules)
            args.insert(args.begin(), {"--modules", (dir / "mods").string()});
        std::string command = "env LANGUAGE=" + language + " LC_ALL=C " + Quote(program);
        for (auto& arg : args) {
            if (arg == "S")
                arg = station;
            else if (arg.rfind("DIR", 0) == 0)
                arg = dir.string() + arg.substr(3);
            command += " " + Quote(arg);
        }
        command += " >" + Quote((dir / "out").string()) + " 2>" + Quote((dir / "err").string());
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadAll(dir / "out"), ReadAll(dir / "err")};
    }

    static std::string Quote(const std::string& text)
    {
        std::string quoted = "'";
        for (const char c : text)
            quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return quoted + "'";
    }

    fs::path dir;
    std::string station;
};

} // namespace

TEST_F(CliRun, CatalogListsEveryModuleLineInFileOrder)
{
    const auto run = Exec({"catalog"});
    EXPECT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(run.Out,
        "DI16\t01\t16\t0\t16 inputs\nNODE\t00\t8\t4\tDeviceNet node\nCNT\t02\t2\t2\tCounter C 24 V\n"
        "DI\xC4\t01\t4\t0\t4 inputs \xE4\xF6\xFC\n");
}

TEST_F(CliRun, NewPlaceRemoveShow)
{
    ASSERT_EQ(Exec({"new", "S"}).Exit, 0);
    EXPECT_EQ(ReadAll(station), StationText({"NODE"}));
    const auto placed = Exec({"place", "S", "3", "DI16"});
    ASSERT_EQ(placed.Exit, 0) << placed.Err;
    EXPECT_EQ(placed.Out + placed.Err, "");
    // A counter goes to the end of its branch; the option may also follow the command.
    ASSERT_EQ(Exec({"place", "S", "6", "CNT", "--modules", "DIR/mods"}, "en", false).Exit, 0);
    ASSERT_EQ(Exec({"place", "S", "16", "DI\xC4"}).Exit, 0);
    EXPECT_EQ(ReadAll(station),
        StationText({"NODE", "None", "None", "DI16", "None", "None", "None", "None", "CNT", "None", "None",
            "None", "None", "None", "None", "None", "DI\xC4"}));

    const auto shown = Exec({"show", "S"});
    EXPECT_EQ(shown.Exit, 0) << shown.Err;
    EXPECT_EQ(shown.Out,
        "0\tNODE\t-\t8\t4\tDeviceNet node\n1\tBus\t-\t0\t0\t\n2\tBus\t-\t0\t0\t\n3\tDI16\t1\t16\t0\t16 "
        "inputs\n"
        "4\tNone\t-\t0\t0\t\n5\tBus\t-\t0\t0\t\n6\tBus\t-\t0\t0\t\n7\tBus\t-"
        "\t0\t0\t\n8\tCNT\t2\t2\t2\tCounter C 24 V\n"
        "9\tNone\t-\t0\t0\t\n10\tNone\t-\t0\t0\t\n11\tNone\t-\t0\t0\t\n12\tNone\t-\t0\t0\t\n13\tBus\t-"
        "\t0\t0\t\n"
        "14\tBus\t-\t0\t0\t\n15\tBus\t-\t0\t0\t\n16\tDI\xC4\t3\t4\t0\t4 inputs \xE4\xF6\xFC\n"
        "TotalInputs\t30\nTotalOutputs\t6\n");

    ASSERT_EQ(Exec({"remove", "S", "8"}).Exit, 0);
    ASSERT_EQ(Exec({"remove", "S", "14"}).Exit, 0); // a filler that is still needed
    const auto after = Exec({"show", "S"}).Out;
    EXPECT_EQ(LineOf(after, 5), "5\tNone\t-\t0\t0\t");
    EXPECT_EQ(LineOf(after, 14), "14\tBus\t-\t0\t0\t");
    EXPECT_EQ(LineOf(after, 16), "16\tDI\xC4\t2\t4\t0\t4 inputs \xE4\xF6\xFC");
}

TEST_F(CliRun, FindsTheModulesFolderBesideItselfInAnyLetterCase)
{
    const auto program = dir / "bin" / "kr39eds-cli";
    fs::create_directories(program.parent_path() / "Modules");
    fs::copy_file(KR39_CLI_PATH, program);
    Write(program.parent_path() / "Modules" / "pn.dat", kCatalog);
    const auto run = Exec({"catalog"}, "en", false, program.string());
    EXPECT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(LineOf(run.Out), "DI16\t01\t16\t0\t16 inputs");
}

namespace {

struct Failing {
    std::string Name; // "Catalog...": pn.dat has a faulty line 9; "NoCatalog...": there is no pn.dat
    std::string Before; // the station file before the run; empty: no file
    std::vector<std::string> Args;
    std::string Language;
    std::string Message; // the first line on stderr
    std::string Where; // a part of the second line
};

class CliFailure : public CliRun, public ::testing::WithParamInterface<Failing> { };

const std::string kGood = StationText({"NODE", "None", "DI16"});
const std::string kBadCatalog = kCatalog + "03 001 000 X unknown group\r\n";

} // namespace

TEST_P(CliFailure, ReportsAndLeavesTheFileAlone)
{
    const auto& c = GetParam();
    if (!c.Before.empty())
        Write(station, c.Before);
    if (c.Name.rfind("Catalog", 0) == 0)
        Write(dir / "mods" / "pn.dat", kBadCatalog);
    if (c.Name.rfind("NoCatalog", 0) == 0)
        fs::remove(dir / "mods" / "pn.dat");
    if (c.Args.back() == "/dev/full" && !fs::is_character_file("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    const auto run = Exec(c.Args, c.Language);
    EXPECT_EQ(run.Exit, 1);
    EXPECT_EQ(LineOf(run.Err), c.Message) << run.Err;
    EXPECT_NE(LineOf(run.Err, 1).find(c.Where), std::string::npos) << run.Err;
    EXPECT_EQ(run.Out, "");
    EXPECT_EQ(ReadAll(station), c.Before);
    EXPECT_TRUE(!fs::exists("/dev/full") || fs::is_character_file("/dev/full"));
}

INSTANTIATE_TEST_SUITE_P(Commands, CliFailure,
    ::testing::Values(Failing {"PlaceUnknownPartNo", kGood, {"place", "S", "2", "XYZ"}, "en",
                          "Status: PartNo not found!!!", "pn.dat: part number \"XYZ\" is not in the catalog"},
        Failing {"PlaceLowerCase", kGood, {"place", "S", "2", "di16"}, "en", "Status: PartNo not found!!!",
            "\"di16\""},
        Failing {"PlaceWithBlank", kGood, {"place", "S", "2", "DI16 x"}, "en", "Status: PartNo not found!!!",
            "DI16 x"},
        Failing {"PlaceOnShortFile", "NODE\r\nNone\r\n", {"place", "S", "2", "DI16"}, "en",
            "Error when loading data!!!", "s.CSE: the file has 2 lines"},
        Failing {"RemoveOnUnknownPartNo", "NODE\r\nnone\r\n" + kGood, {"remove", "S", "3"}, "de_AT",
            "Status: Art.Nr. nicht gefunden!!!", "s.CSE, line 2: part number \"none\""},
        Failing {"ShowMissingFile", "", {"show", "S"}, "de", "Fehler beim laden!!!", "s.CSE"},
        Failing {"NewIntoMissingFolder", "", {"new", "DIR/no/s.CSE"}, "en", "Error when saving data!!!",
            "no/s.CSE"},
        Failing {"NewIntoFolder", "", {"new", "DIR"}, "de", "Fehler beim speichern!!!", "folder"},
        Failing {"NewOnFullDisk", "", {"new", "/dev/full"}, "en", "Error when saving data!!!", "/dev/full"},
        Failing {"CatalogList", "", {"catalog"}, "de_CH", "Initialisierungsfehler!",
            "pn.dat, line 9: type code \"03\" names no group: \"03 001 000 X unknown group\""},
        Failing {"CatalogPlace", kGood, {"place", "S", "2", "DI16"}, "en", "Initialization error!", "line 9"},
        Failing {
            "NoCatalogNew", "", {"new", "S"}, "en", "Initialization error!", "mods/pn.dat: file not found"}),
    [](const auto& info) { return info.param.Name; });

TEST_F(CliRun, NewNeedsABusNode)
{
    Write(dir / "mods" / "pn.dat", "00\r\n01 A\r\n<STARTMODULES>\r\n01 001 000 DI x\r\n");
    const auto run = Exec({"new", "S"});
    EXPECT_EQ(run.Exit, 1);
    EXPECT_EQ(LineOf(run.Err), "Initialization error!");
    EXPECT_FALSE(fs::exists(station));
}

namespace {

class CliUsage : public CliRun, public ::testing::WithParamInterface<std::vector<std::string>> { };

} // namespace

TEST_P(CliUsage, ExitsWithTwoAndTheUsage)
{
    Write(station, kGood);
    const auto run = Exec(GetParam());
    EXPECT_EQ(run.Exit, 2);
    EXPECT_NE(run.Err.find("Usage: kr39eds-cli"), std::string::npos) << run.Err;
    EXPECT_EQ(ReadAll(station), kGood);
}

INSTANTIATE_TEST_SUITE_P(Arguments, CliUsage,
    ::testing::Values(std::vector<std::string> {}, std::vector<std::string> {"frobnicate"},
        std::vector<std::string> {"place", "S", "0", "DI16"},
        std::vector<std::string> {"place", "S", "17", "DI16"},
        std::vector<std::string> {"place", "S", "x", "DI16"}, std::vector<std::string> {"place", "S", "2"},
        std::vector<std::string> {"remove", "S", "0"}, std::vector<std::string> {"show", "S", "extra"},
        std::vector<std::string> {"catalog", "--bogus"}, std::vector<std::string> {"new"}));
