// Runs the built kr39eds-cli on files made in a temporary folder.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

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

std::string Quote(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string FirstLine(const std::string& text, int skip = 0)
{
    std::istringstream in(text);
    std::string line;
    for (int i = 0; i <= skip; ++i)
        std::getline(in, line);
    return line;
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

    // Runs the program with --modules set to the test's module folder, in English.
    Outcome Exec(const std::vector<std::string>& args, const std::string& language = "en",
        bool modules = true, const std::string& program = KR39_CLI_PATH)
    {
        std::string command = "env LANGUAGE=" + language + " LC_ALL=C " + Quote(program);
        if (modules)
            command += " --modules " + Quote((dir / "mods").string());
        for (const auto& arg : args)
            command += " " + Quote(arg);
        command += " >" + Quote((dir / "out").string()) + " 2>" + Quote((dir / "err").string());
        const int status = std::system(command.c_str());
        Outcome run;
        run.Exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.Out = ReadAll(dir / "out");
        run.Err = ReadAll(dir / "err");
        return run;
    }

    std::string Station(const std::vector<std::string>& partNos)
    {
        std::string text;
        for (std::size_t i = 0; i < 17; ++i)
            text += (i < partNos.size() ? partNos[i] : std::string("None")) + "\r\n";
        return text;
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
        "DI16\t01\t16\t0\t16 inputs\n"
        "NODE\t00\t8\t4\tDeviceNet node\n"
        "CNT\t02\t2\t2\tCounter C 24 V\n"
        "DI\xC4\t01\t4\t0\t4 inputs \xE4\xF6\xFC\n");
    EXPECT_EQ(run.Err, "");
}

TEST_F(CliRun, NewPlaceRemoveShow)
{
    ASSERT_EQ(Exec({"new", station}).Exit, 0);
    EXPECT_EQ(ReadAll(station), Station({"NODE"}));

    auto run = Exec({"place", station, "3", "DI16"});
    ASSERT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(run.Out + run.Err, "");
    // A counter goes to the end of its branch; the option may also follow the command.
    ASSERT_EQ(
        Exec({"place", station, "6", "CNT", "--modules", (dir / "mods").string()}, "en", false).Exit, 0);
    ASSERT_EQ(Exec({"place", station, "16", "DI\xC4"}).Exit, 0);
    EXPECT_EQ(ReadAll(station),
        Station({"NODE", "None", "None", "DI16", "None", "None", "None", "None", "CNT", "None", "None",
            "None", "None", "None", "None", "None", "DI\xC4"}));

    run = Exec({"show", station});
    EXPECT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(run.Out,
        "0\tNODE\t-\t8\t4\tDeviceNet node\n"
        "1\tBus\t-\t0\t0\t\n"
        "2\tBus\t-\t0\t0\t\n"
        "3\tDI16\t1\t16\t0\t16 inputs\n"
        "4\tNone\t-\t0\t0\t\n"
        "5\tBus\t-\t0\t0\t\n"
        "6\tBus\t-\t0\t0\t\n"
        "7\tBus\t-\t0\t0\t\n"
        "8\tCNT\t2\t2\t2\tCounter C 24 V\n"
        "9\tNone\t-\t0\t0\t\n"
        "10\tNone\t-\t0\t0\t\n"
        "11\tNone\t-\t0\t0\t\n"
        "12\tNone\t-\t0\t0\t\n"
        "13\tBus\t-\t0\t0\t\n"
        "14\tBus\t-\t0\t0\t\n"
        "15\tBus\t-\t0\t0\t\n"
        "16\tDI\xC4\t3\t4\t0\t4 inputs \xE4\xF6\xFC\n"
        "TotalInputs\t30\n"
        "TotalOutputs\t6\n");

    ASSERT_EQ(Exec({"remove", station, "8"}).Exit, 0);
    ASSERT_EQ(Exec({"remove", station, "14"}).Exit, 0); // a filler that is still needed
    EXPECT_EQ(ReadAll(station),
        Station({"NODE", "None", "None", "DI16", "None", "None", "None", "None", "None", "None", "None",
            "None", "None", "None", "None", "None", "DI\xC4"}));
    run = Exec({"show", station});
    EXPECT_EQ(FirstLine(run.Out, 5), "5\tNone\t-\t0\t0\t");
    EXPECT_EQ(FirstLine(run.Out, 14), "14\tBus\t-\t0\t0\t");
    EXPECT_EQ(FirstLine(run.Out, 16), "16\tDI\xC4\t2\t4\t0\t4 inputs \xE4\xF6\xFC");
}

TEST_F(CliRun, FindsTheModulesFolderBesideItselfInAnyLetterCase)
{
    const auto program = dir / "bin" / "kr39eds-cli";
    fs::create_directories(program.parent_path() / "Modules");
    fs::copy_file(KR39_CLI_PATH, program);
    Write(program.parent_path() / "Modules" / "pn.dat", kCatalog);
    const auto run = Exec({"catalog"}, "en", false, program.string());
    EXPECT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(FirstLine(run.Out), "DI16\t01\t16\t0\t16 inputs");
}

namespace {

struct Failing {
    std::string Name;
    std::string StationText; // what the station file holds before the run; empty: no file
    std::vector<std::string> Args; // "S" stands for the station file, "DIR" for the test's folder
    std::string Language;
    std::string Message; // the first line on stderr
    std::string Where; // a part of the second line
};

void PrintTo(const Failing& f, std::ostream* os)
{
    *os << f.Name;
}

class CliFailure : public CliRun, public ::testing::WithParamInterface<Failing> { };

std::string GoodStation()
{
    std::string text = "NODE\r\nNone\r\nDI16\r\n";
    for (int i = 0; i < 14; ++i)
        text += "None\r\n";
    return text;
}

} // namespace

TEST_P(CliFailure, ReportsAndLeavesTheFileAlone)
{
    const auto& c = GetParam();
    if (!c.StationText.empty())
        Write(station, c.StationText);
    std::vector<std::string> args;
    for (auto arg : c.Args) {
        if (arg.rfind("DIR", 0) == 0)
            arg = dir.string() + arg.substr(3);
        args.push_back(arg == "S" ? station : arg);
    }
    const auto run = Exec(args, c.Language);
    EXPECT_EQ(run.Exit, 1);
    EXPECT_EQ(FirstLine(run.Err), c.Message) << run.Err;
    const auto where = FirstLine(run.Err, 1);
    EXPECT_NE(where.find(c.Where), std::string::npos) << where;
    EXPECT_EQ(run.Out, "");
    if (c.StationText.empty())
        EXPECT_FALSE(fs::exists(station));
    else
        EXPECT_EQ(ReadAll(station), c.StationText);
}

INSTANTIATE_TEST_SUITE_P(Commands, CliFailure,
    ::testing::Values(Failing {"PlaceUnknownPartNo", GoodStation(), {"place", "S", "2", "XYZ"}, "en",
                          "Status: PartNo not found!!!", "\"XYZ\""},
        Failing {"PlaceLowerCase", GoodStation(), {"place", "S", "2", "di16"}, "en",
            "Status: PartNo not found!!!", "\"di16\""},
        Failing {"PlaceWithBlank", GoodStation(), {"place", "S", "2", "DI16 16"}, "en",
            "Status: PartNo not found!!!", "DI16 16"},
        Failing {"PlaceOnShortFile", "NODE\r\nNone\r\n", {"place", "S", "2", "DI16"}, "en",
            "Error when loading data!!!", "s.CSE"},
        Failing {
            "RemoveOnShortFile", "NODE\r\n", {"remove", "S", "2"}, "de", "Fehler beim laden!!!", "s.CSE"},
        Failing {"RemoveOnFileWithUnknownPartNo", "NODE\r\nnone\r\n" + GoodStation(), {"remove", "S", "3"},
            "de_AT", "Status: Art.Nr. nicht gefunden!!!", "s.CSE, line 2: part number \"none\""},
        Failing {"ShowMissingFile", "", {"show", "S"}, "en", "Error when loading data!!!", "s.CSE"},
        Failing {"ShowUnknownPartNo", "NODE\r\nNone\r\nX\r\n", {"show", "S"}, "en",
            "Status: PartNo not found!!!", "line 3"},
        Failing {"NewIntoMissingFolder", "", {"new", "DIR/no-such-folder/s.CSE"}, "en",
            "Error when saving data!!!", "no-such-folder"},
        Failing {"NewIntoFolder", "", {"new", "DIR"}, "de", "Fehler beim speichern!!!", ""}),
    [](const auto& info) { return info.param.Name; });

TEST_F(CliRun, CatalogFailuresAreInitializationErrors)
{
    Write(dir / "mods" / "pn.dat", kCatalog + "03 001 000 X unknown group\r\n");
    Write(station, GoodStation());
    for (const auto& args : std::vector<std::vector<std::string>> {
             {"catalog"}, {"show", station}, {"place", station, "2", "DI16"}, {"remove", station, "3"}}) {
        const auto run = Exec(args);
        EXPECT_EQ(run.Exit, 1) << args[0];
        EXPECT_EQ(FirstLine(run.Err), "Initialization error!") << args[0];
        const auto where = FirstLine(run.Err, 1);
        EXPECT_NE(where.find("pn.dat, line 9: "), std::string::npos) << where;
        EXPECT_NE(where.find("\"03 001 000 X unknown group\""), std::string::npos) << where;
        EXPECT_EQ(ReadAll(station), GoodStation());
    }
    const auto german = Exec({"catalog"}, "de_CH");
    EXPECT_EQ(FirstLine(german.Err), "Initialisierungsfehler!");

    fs::remove(dir / "mods" / "pn.dat");
    const auto missing = Exec({"new", station});
    EXPECT_EQ(missing.Exit, 1);
    EXPECT_EQ(FirstLine(missing.Err), "Initialization error!");
    EXPECT_NE(FirstLine(missing.Err, 1).find("pn.dat"), std::string::npos);
    EXPECT_EQ(ReadAll(station), GoodStation());

    // A catalog without a bus node cannot make a new station.
    Write(dir / "mods" / "pn.dat", "00\r\n01 A\r\n<STARTMODULES>\r\n01 001 000 DI x\r\n");
    const auto noNode = Exec({"new", station});
    EXPECT_EQ(noNode.Exit, 1);
    EXPECT_EQ(FirstLine(noNode.Err), "Initialization error!");
    EXPECT_EQ(ReadAll(station), GoodStation());
}

TEST_F(CliRun, FailedSaveKeepsTheDeviceAndTheFile)
{
    if (fs::is_character_file("/dev/full")) {
        const auto run = Exec({"new", "/dev/full"});
        EXPECT_EQ(run.Exit, 1);
        EXPECT_EQ(FirstLine(run.Err), "Error when saving data!!!");
        EXPECT_TRUE(fs::is_character_file("/dev/full"));
    }
    // A station file in a folder that cannot be written keeps its bytes when a place fails.
    if (::geteuid() != 0) {
        fs::create_directories(dir / "ro");
        const auto file = dir / "ro" / "s.CSE";
        Write(file, GoodStation());
        fs::permissions(dir / "ro", fs::perms::owner_read | fs::perms::owner_exec);
        const auto run = Exec({"place", file.string(), "5", "DI16"});
        fs::permissions(dir / "ro", fs::perms::owner_all);
        EXPECT_EQ(run.Exit, 1);
        EXPECT_EQ(FirstLine(run.Err), "Error when saving data!!!");
        EXPECT_EQ(ReadAll(file), GoodStation());
    }
}

namespace {

class CliUsage : public CliRun, public ::testing::WithParamInterface<std::vector<std::string>> { };

} // namespace

TEST_P(CliUsage, ExitsWithTwoAndTheUsage)
{
    Write(station, GoodStation());
    std::vector<std::string> args;
    for (const auto& arg : GetParam())
        args.push_back(arg == "S" ? station : arg);
    const auto run = Exec(args);
    EXPECT_EQ(run.Exit, 2);
    EXPECT_NE(run.Err.find("Usage: kr39eds-cli"), std::string::npos) << run.Err;
    EXPECT_EQ(run.Out, "");
    EXPECT_EQ(ReadAll(station), GoodStation());
}

INSTANTIATE_TEST_SUITE_P(Arguments, CliUsage,
    ::testing::Values(std::vector<std::string> {}, std::vector<std::string> {"frobnicate"},
        std::vector<std::string> {"place", "S", "0", "DI16"},
        std::vector<std::string> {"place", "S", "17", "DI16"},
        std::vector<std::string> {"place", "S", "x", "DI16"}, std::vector<std::string> {"place", "S", "2"},
        std::vector<std::string> {"remove", "S", "0"}, std::vector<std::string> {"remove", "S"},
        std::vector<std::string> {"show"}, std::vector<std::string> {"show", "S", "extra"},
        std::vector<std::string> {"catalog", "--bogus"}, std::vector<std::string> {"new"}));

TEST_F(CliRun, HelpGoesToStandardOutput)
{
    const auto run = Exec({"--help"});
    EXPECT_EQ(run.Exit, 0);
    for (const char* command : {"catalog", "new", "place", "remove", "show"})
        EXPECT_NE(run.Out.find(command), std::string::npos) << command;
}

TEST_F(CliRun, WorksOnTheShippedLibraryBesideItself)
{
    if (!fs::exists(fs::path(KR39_CLI_PATH).parent_path() / "modules" / "pn.dat"))
        GTEST_SKIP() << "no module library beside the program";
    const auto catalog = Exec({"catalog"}, "en", false);
    ASSERT_EQ(catalog.Exit, 0) << catalog.Err;
    // The first I/O module of the catalog: a line whose type code is not "00".
    std::istringstream lines(catalog.Out);
    std::string line;
    std::string module;
    while (module.empty() && std::getline(lines, line)) {
        const auto tab = line.find('\t');
        if (line.compare(tab + 1, 3, "00\t") != 0)
            module = line.substr(0, tab);
    }
    ASSERT_FALSE(module.empty()) << catalog.Out;
    ASSERT_EQ(Exec({"new", station}, "en", false).Exit, 0);
    ASSERT_EQ(Exec({"place", station, "6", module}, "en", false).Exit, 0);
    const auto show = Exec({"show", station}, "en", false);
    ASSERT_EQ(show.Exit, 0) << show.Err;
    EXPECT_EQ(FirstLine(show.Out, 5), "5\tBus\t-\t0\t0\t");
    EXPECT_EQ(FirstLine(show.Out, 6).rfind("6\t" + module + "\t1\t", 0), 0u) << show.Out;
}
