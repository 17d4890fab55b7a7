// Runs the built kr39eds-cli on files made in a temporary folder: what each command writes, its
// exit code (0 done, 1 failed, 2 bad arguments), and files left alone on failure.
#include "../TestSupport.h"

#include <sys/wait.h>

#include <cstdlib>
#include <functional>
#include <regex>

using kr39test::ReadBytes;
using kr39test::WriteBytes;

namespace {

const std::string kCatalog = "00 root\r\n01 Digital inputs\r\n02 Counters\r\n<STARTMODULES>\r\n"
                             "01 016 000 DI16 16 inputs\r\n"
                             "00 008 004 NODE DeviceNet node\r\n"
                             "02 002 002 CNT Counter C 24 V\r\n"
                             "01 004 000 DI\xC4 4 inputs \xE4\xF6\xFC\r\n";

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

std::string Quote(const std::string& text)
{
    return "'" + std::regex_replace(text, std::regex("'"), "'\\''") + "'";
}

struct Outcome {
    int Exit = -1;
    std::string Out;
    std::string Err;
};

class Cli : public kr39test::TempDir {
protected:
    void SetUp() override
    {
        TempDir::SetUp();
        fs::create_directories(dir / "mods");
        Write("mods/pn.dat", kCatalog);
        Write("mods/KR39NODE000001.dat",
            "<IOMODULEDESCRIPTION>\r\nInput1 = <INPUTNO>;\r\nDate = <DATESTRING>;\r\n");
        Write("mods/DI16.dat", "<START>\r\nParam1 = <BOXNO>Filter\r\n");
        station = (dir / "s.CSE").string();
    }

    // Runs the program in `language`; "S" in `args` stands for the station file, a leading "DIR"
    // for the test's folder. With `modules` set, --modules names the test's module folder.
    Outcome Exec(std::vector<std::string> args, const std::string& language = "en", bool modules = true,
        const std::string& program = KR39_CLI_PATH)
    {
        if (modules)
            args.insert(args.begin(), {"--modules", (dir / "mods").string()});
        std::string command = "env LANGUAGE=" + language + " LC_ALL=C " + Quote(program);
        for (auto& arg : args)
            command += " "
                + Quote(arg == "S"                 ? station
                        : arg.rfind("DIR", 0) == 0 ? dir.string() + arg.substr(3)
                                                   : arg);
        command += " >" + Quote((dir / "out").string()) + " 2>" + Quote((dir / "err").string());
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Read("out"), Read("err")};
    }

    std::string station;
};

} // namespace

TEST_F(Cli, CatalogNewPlaceRemoveShow)
{
    auto run = Exec({"catalog"});
    EXPECT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(run.Out,
        "DI16\t01\t16\t0\t16 inputs\nNODE\t00\t8\t4\tDeviceNet node\nCNT\t02\t2\t2\tCounter C 24 V\n"
        "DI\xC4\t01\t4\t0\t4 inputs \xE4\xF6\xFC\n");

    ASSERT_EQ(Exec({"new", "S"}).Exit, 0);
    EXPECT_EQ(ReadBytes(station), StationText({"NODE"}));
    run = Exec({"place", "S", "3", "DI16"});
    ASSERT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(run.Out + run.Err, "");
    // The option may also follow the command.
    ASSERT_EQ(Exec({"place", "S", "6", "CNT", "--modules", "DIR/mods"}, "en", false).Exit, 0);
    ASSERT_EQ(Exec({"place", "S", "16", "DI\xC4"}).Exit, 0);
    ASSERT_EQ(Exec({"remove", "S", "16"}).Exit, 0);
    EXPECT_EQ(ReadBytes(station),
        StationText({"NODE", "None", "None", "DI16", "None", "None", "None", "None", "CNT"}));

    run = Exec({"show", "S"});
    EXPECT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(run.Out,
        "0\tNODE\t-\t8\t4\tDeviceNet node\n1\tBus\t-\t0\t0\t\n2\tBus\t-\t0\t0\t\n3\tDI16\t1\t16\t0\t16 "
        "inputs\n"
        "4\tNone\t-\t0\t0\t\n5\tBus\t-\t0\t0\t\n6\tBus\t-\t0\t0\t\n7\tBus\t-"
        "\t0\t0\t\n8\tCNT\t2\t2\t2\tCounter C 24 V\n"
        "9\tNone\t-\t0\t0\t\n10\tNone\t-\t0\t0\t\n11\tNone\t-\t0\t0\t\n12\tNone\t-\t0\t0\t\n13\tNone\t-"
        "\t0\t0\t\n"
        "14\tNone\t-\t0\t0\t\n15\tNone\t-\t0\t0\t\n16\tNone\t-\t0\t0\t\nTotalInputs\t26\nTotalOutputs\t6\n");
}

TEST_F(Cli, GenerateWritesBesideTheStationOrWhereToldAndModulesAreFoundBesideTheProgram)
{
    WriteBytes(station, StationText({"NODE", "DI16"}));
    auto run = Exec({"generate", "S", "--date", "06.12.2026"});
    ASSERT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(run.Out, (dir / "s.EDS").string() + "\n");
    EXPECT_EQ(run.Err, "");
    EXPECT_EQ(Read("s.EDS"), "\r\nParam1= Box 01 Filter\r\n\r\nInput1 = 24;\r\nDate = 06.12.2026;\r\n");

    // Without --modules the folder "modules" beside the program is used, in any letter case.
    const auto program = dir / "bin" / "kr39eds-cli";
    fs::create_directories(dir / "bin");
    fs::copy(dir / "mods", dir / "bin" / "Modules");
    fs::copy_file(KR39_CLI_PATH, program);
    Write("Other.EDS", "old");
    run = Exec({"generate", "-o", "DIR/Other.EDS", "S"}, "en", false, program.string());
    ASSERT_EQ(run.Exit, 0) << run.Err;
    // Without --date the date is today's, in some short format.
    EXPECT_TRUE(std::regex_match(
        Read("Other.EDS"), std::regex("[^]*Input1 = 24;\r\nDate = [0-9][0-9./-]+[0-9];\r\n")))
        << Read("Other.EDS");
}

namespace {

struct Failing {
    std::string Name;
    std::function<void(const fs::path& dir)> Prepare;
    std::vector<std::string> Args;
    std::string Language;
    std::string Message; // the first line on stderr
    std::string Where; // a part of the second line
    friend void PrintTo(const Failing& c, std::ostream* os) { *os << c.Name; }
};

class CliFailure : public Cli, public ::testing::WithParamInterface<Failing> { };

const std::string kGood = StationText({"NODE", "None", "DI16"});

void Nothing(const fs::path&) { }

} // namespace

// Exit 1, the message and what went wrong where on stderr, nothing on stdout, files untouched.
TEST_P(CliFailure, ReportsAndLeavesTheFilesAlone)
{
    const auto& c = GetParam();
    WriteBytes(station, kGood);
    c.Prepare(dir);
    const auto before = Read("s.CSE");
    const auto run = Exec(c.Args, c.Language);
    EXPECT_EQ(run.Exit, 1);
    EXPECT_EQ(LineOf(run.Err), c.Message) << run.Err;
    EXPECT_NE(LineOf(run.Err, 1).find(c.Where), std::string::npos) << run.Err;
    EXPECT_EQ(run.Out, "");
    EXPECT_EQ(Read("s.CSE"), before);
    EXPECT_FALSE(fs::exists(dir / "s.EDS"));
}

INSTANTIATE_TEST_SUITE_P(Commands, CliFailure,
    ::testing::Values(
        Failing {"PlaceUnknownPartNo", Nothing, {"place", "S", "2", "di16"}, "en",
            "Status: PartNo not found!!!", "pn.dat: part number \"di16\" is not in the catalog"},
        Failing {"RemoveOnUnknownPartNo",
            [](const fs::path& d) { WriteBytes(d / "s.CSE", "NODE\r\nnone\r\n" + kGood); },
            {"remove", "S", "3"}, "de_AT", "Status: Art.Nr. nicht gefunden!!!",
            "s.CSE, line 2: part number \"none\""},
        Failing {"ShowShortFile", [](const fs::path& d) { WriteBytes(d / "s.CSE", "NODE\r\nNone\r\n"); },
            {"show", "S"}, "de", "Fehler beim laden!!!", "s.CSE: the file has 2 lines"},
        Failing {"NewIntoFolder", Nothing, {"new", "DIR"}, "de", "Fehler beim speichern!!!", "folder"},
        Failing {"CatalogWithBadLine",
            [](const fs::path& d) {
                WriteBytes(d / "mods" / "pn.dat", kCatalog + "03 001 000 X unknown group\r\n");
            },
            {"place", "S", "2", "DI16"}, "de_CH", "Initialisierungsfehler!",
            "pn.dat, line 9: type code \"03\" names no group: \"03 001 000 X unknown group\""},
        Failing {"NoCatalog", [](const fs::path& d) { fs::remove(d / "mods" / "pn.dat"); }, {"catalog"}, "en",
            "Initialization error!", "mods/pn.dat: file not found"},
        Failing {"NewWithoutBusNode",
            [](const fs::path& d) {
                WriteBytes(d / "mods" / "pn.dat", "00\r\n01 A\r\n<STARTMODULES>\r\n01 001 000 DI x\r\n");
            },
            {"new", "DIR/t.CSE"}, "en", "Initialization error!", ""},
        Failing {"GenerateWithoutBoxTag",
            [](const fs::path& d) { WriteBytes(d / "mods" / "DI16.dat", "<START>\r\nParam1 = 0\r\n"); },
            {"generate", "S"}, "de", "Fehler beim generieren!!!",
            "/DI16.dat, line 2: a parameter line holds no \"<BOXNO>\""},
        Failing {"GenerateIntoMissingFolder", Nothing, {"generate", "S", "-o", "DIR/no/x.EDS"}, "en",
            "Error when generating data!!!", "x.EDS"}),
    [](const auto& info) { return info.param.Name; });

TEST_F(Cli, BadArgumentsExitWithTwoAndTheUsage)
{
    WriteBytes(station, kGood);
    const std::vector<std::vector<std::string>> cases = {{}, {"frobnicate"}, {"place", "S", "0", "DI16"},
        {"place", "S", "17", "DI16"}, {"place", "S", "x", "DI16"}, {"place", "S", "2"}, {"remove", "S", "0"},
        {"show", "S", "extra"}, {"catalog", "--bogus"}, {"new"}, {"generate"}};
    for (const auto& args : cases) {
        const auto run = Exec(args);
        SCOPED_TRACE(args.empty() ? "(none)" : args[0] + " ... " + args.back());
        EXPECT_EQ(run.Exit, 2);
        EXPECT_NE(run.Err.find("Usage: kr39eds-cli"), std::string::npos) << run.Err;
        EXPECT_EQ(run.Out, "");
        EXPECT_EQ(ReadBytes(station), kGood);
    }
    const auto help = Exec({"--help"});
    EXPECT_EQ(help.Exit, 0);
    EXPECT_NE(help.Out.find("kr39eds-cli"), std::string::npos);
}
