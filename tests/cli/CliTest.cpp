// Runs the built kr39eds-cli on files made in a temporary folder: what each command writes, its
// exit code (0 done, 1 failed, 2 bad arguments), and files left alone on failure; check,
// check-library and generate end to end on the shipped module library.
#include "../TestSupport.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <functional>
#include <regex>

using kr39test::StationText;
using kr39test::WriteBytes;

namespace {

const std::string kCatalog = "00 root\r\n01 Digital inputs\r\n02 Counters\r\n<STARTMODULES>\r\n"
                             "01 016 000 DI16 16 inputs\r\n"
                             "00 008 004 NODE DeviceNet node\r\n"
                             "02 002 002 CNT Counter C 24 V\r\n"
                             "01 004 000 DI\xC4 4 inputs \xE4\xF6\xFC\r\n";

// `text` quoted for a POSIX shell.
std::string Quote(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
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

    // Runs the program in English and the C locale unless `env` (assignments for env(1)) says
    // otherwise; "S" in `args` stands for the station file, a leading "DIR" for the test's folder.
    // --modules names `modules` unless it is empty.
    Outcome Exec(std::vector<std::string> args, const std::string& env = "",
        const std::string& modules = "DIR/mods", const std::string& program = KR39_CLI_PATH)
    {
        if (!modules.empty())
            args.insert(args.begin(), {"--modules", modules});
        // A command that waits for ever fails the test instead of stopping the suite.
        std::string command = "timeout -s KILL 120 env LANGUAGE=en LC_ALL=C " + env + " " + Quote(program);
        for (auto& arg : args)
            command += " "
                + Quote(arg == "S"                 ? station
                        : arg.rfind("DIR", 0) == 0 ? dir.string() + arg.substr(3)
                                                   : arg);
        return RunShell(command);
    }

    // Runs `command` in the shell, its output and errors caught in files "out" and "err".
    Outcome RunShell(const std::string& command) const
    {
        const int status = std::system(
            (command + " >" + Quote((dir / "out").string()) + " 2>" + Quote((dir / "err").string())).c_str());
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
    run = Exec({"place", "S", "3", "DI16"});
    ASSERT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(run.Out + run.Err, "");
    // The option may also follow the command.
    ASSERT_EQ(Exec({"place", "S", "6", "CNT", "--modules", "DIR/mods"}, "", "").Exit, 0);
    ASSERT_EQ(Exec({"place", "S", "16", "DI\xC4"}).Exit, 0);
    ASSERT_EQ(Exec({"remove", "S", "16"}).Exit, 0);
    EXPECT_EQ(
        Read("s.CSE"), StationText({"NODE", "None", "None", "DI16", "None", "None", "None", "None", "CNT"}));

    run = Exec({"show", "S"});
    EXPECT_EQ(run.Exit, 0) << run.Err;
    std::string empty;
    for (int slot = 9; slot <= 16; ++slot)
        empty += std::to_string(slot) + "\tNone\t-\t0\t0\t\n";
    EXPECT_EQ(run.Out,
        "0\tNODE\t-\t8\t4\tDeviceNet node\n1\tBus\t-\t0\t0\t\n2\tBus\t-\t0\t0\t\n"
        "3\tDI16\t1\t16\t0\t16 inputs\n4\tNone\t-\t0\t0\t\n5\tBus\t-\t0\t0\t\n6\tBus\t-\t0\t0\t\n"
        "7\tBus\t-\t0\t0\t\n8\tCNT\t2\t2\t2\tCounter C 24 V\n"
            + empty + "TotalInputs\t26\nTotalOutputs\t6\n");
}

TEST_F(Cli, GenerateWritesBesideTheStationOrWhereToldAndModulesAreFoundBesideTheProgram)
{
    WriteBytes(station, StationText({"NODE", "DI16"}));
    auto run = Exec({"generate", "S", "--date", "2026-12-06"});
    ASSERT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(run.Out, (dir / "s.EDS").string() + "\n");
    EXPECT_EQ(run.Err, "");
    EXPECT_EQ(Read("s.EDS"), "\r\nParam1= Box 01 Filter\r\n\r\nInput1 = 24;\r\nDate = 12-06-2026;\r\n");

    // Without --modules the folder "modules" beside the program is used, in any letter case.
    const auto program = dir / "bin" / "kr39eds-cli";
    fs::create_directories(dir / "bin");
    fs::copy(dir / "mods", dir / "bin" / "Modules");
    fs::copy_file(KR39_CLI_PATH, program);
    Write("Other.EDS", "old");
    run = Exec({"generate", "-o", "DIR/Other.EDS", "S"}, "", "", program.string());
    ASSERT_EQ(run.Exit, 0) << run.Err;
    // Without --date the date is today's, as mm-dd-yyyy.
    EXPECT_TRUE(std::regex_match(
        Read("Other.EDS"), std::regex("[^]*Input1 = 24;\r\nDate = [01][0-9]-[0-3][0-9]-2[0-9]{3};\r\n")))
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

// Writes `text` to the file `name` of the test's folder before the command runs.
std::function<void(const fs::path&)> Writing(const std::string& name, const std::string& text)
{
    return [=](const fs::path& d) { WriteBytes(d / name, text); };
}

// A catalog module and a station placing it whose part number is a path to EVIL.dat in the
// test's folder, which exists: generation must not read it.
void EvilPartNo(const fs::path& d, const std::string& partNo)
{
    WriteBytes(d / "mods" / "pn.dat", kCatalog + "01 001 000 " + partNo + " evil\r\n");
    WriteBytes(d / "s.CSE", StationText({"NODE", partNo}));
    WriteBytes(d / "EVIL.dat", "<START>\r\nParam1 = <BOXNO>evil\r\n");
}

} // namespace

// Exit 1, the message and what went wrong where on stderr, nothing on stdout, files untouched.
TEST_P(CliFailure, ReportsAndLeavesTheFilesAlone)
{
    const auto& c = GetParam();
    WriteBytes(station, kGood);
    c.Prepare(dir);
    const auto before = Read("s.CSE");
    const auto run = Exec(c.Args, "LANGUAGE=" + c.Language);
    EXPECT_EQ(run.Exit, 1);
    EXPECT_EQ(run.Err.substr(0, run.Err.find('\n')), c.Message) << run.Err;
    EXPECT_NE(run.Err.find(c.Where, c.Message.size()), std::string::npos) << run.Err;
    EXPECT_EQ(run.Out, "");
    EXPECT_EQ(Read("s.CSE"), before);
    EXPECT_FALSE(fs::exists(dir / "s.EDS"));
    EXPECT_FALSE(fs::exists(dir / "EVIL.EDS"));
}

INSTANTIATE_TEST_SUITE_P(Commands, CliFailure,
    ::testing::Values(
        Failing {"PlaceUnknownPartNo", Nothing, {"place", "S", "2", "di16"}, "en",
            "Status: PartNo not found!!!", "pn.dat: part number \"di16\" is not in the catalog"},
        Failing {"RemoveOnUnknownPartNo", Writing("s.CSE", "NODE\r\nnone\r\n" + kGood), {"remove", "S", "3"},
            "de_AT", "Status: Art.Nr. nicht gefunden!!!", "s.CSE, line 2: part number \"none\""},
        Failing {"NewIntoNamedPipe", [](const fs::path& d) { ::mkfifo((d / "p.CSE").c_str(), 0666); },
            {"new", "DIR/p.CSE"}, "en", "Error when saving data!!!",
            "p.CSE: cannot write: the name is a named pipe"},
        Failing {"GenerateIntoNamedPipe", [](const fs::path& d) { ::mkfifo((d / "p.EDS").c_str(), 0666); },
            {"generate", "S", "-o", "DIR/p.EDS"}, "en", "Error when generating data!!!",
            "p.EDS: cannot write: the name is a named pipe"},
        Failing {"OpenNamedPipe", [](const fs::path& d) { ::mkfifo((d / "p.CSE").c_str(), 0666); },
            {"show", "DIR/p.CSE"}, "en", "Error when loading data!!!", "p.CSE: not a regular file"},
        Failing {"NameWithControlCharacters", Nothing, {"new", "DIR/no\n\x1B[2J/x.CSE"}, "en",
            "Error when saving data!!!", "/no\\x0A\\x1B[2J/x.CSE: cannot write: the folder does not exist"},
        Failing {"GenerateOverTheStationFile", Nothing, {"generate", "S", "-o", "DIR/./s.CSE"}, "en",
            "Error when generating data!!!", "s.CSE: this is the station file"},
        // A station file named *.EDS: its EDS file would be the station file itself.
        Failing {"GenerateBesideAStationNamedEds", Writing("Line4.EDS", kGood), {"generate", "DIR/Line4.EDS"},
            "en", "Error when generating data!!!",
            "/Line4.EDS: this is the station file; the EDS file must be another file"},
        Failing {"PlaceBusNode", Nothing, {"place", "S", "2", "NODE"}, "en", "Status: PartNo not found!!!",
            "pn.dat: part number \"NODE\" is no module; slots 1 to 16 take modules"},
        Failing {"PlaceNoneFromTheCatalog", Writing("mods/pn.dat", kCatalog + "01 000 000 None empty\r\n"),
            {"place", "S", "2", "None"}, "en", "Status: PartNo not found!!!", "\"None\" is no module"},
        Failing {"GenerateWithAnAbsolutePartNo",
            [](const fs::path& d) { EvilPartNo(d, (d / "EVIL").string()); }, {"generate", "S"}, "en",
            "Error when generating data!!!", "...\" holds a path separator"},
        Failing {"GenerateWithAPartNoLeavingTheFolder", [](const fs::path& d) { EvilPartNo(d, "../EVIL"); },
            {"generate", "S"}, "en", "Error when generating data!!!",
            "part number \"../EVIL\" holds a path separator"},
        Failing {"CatalogWithBadLine", Writing("mods/pn.dat", kCatalog + "03 001 000 X unknown group\r\n"),
            {"place", "S", "2", "DI16"}, "de_CH", "Initialisierungsfehler!",
            "pn.dat, line 9: type code \"03\" names no group: \"03 001 000 X unknown group\""},
        Failing {"NewWithoutBusNode",
            Writing("mods/pn.dat", "00\r\n01 A\r\n<STARTMODULES>\r\n01 001 000 DI x\r\n"),
            {"new", "DIR/t.CSE"}, "en", "Initialization error!", ""},
        Failing {"GenerateWithoutBoxTag", Writing("mods/DI16.dat", "<START>\r\nParam1 = 0\r\n"),
            {"generate", "S"}, "de", "Fehler beim generieren!!!",
            "/DI16.dat, line 2: a parameter line holds no \"<BOXNO>\""}),
    [](const auto& info) { return info.param.Name; });

TEST_F(Cli, BadArgumentsExitWithTwoAndTheUsage)
{
    WriteBytes(station, kGood);
    const std::vector<std::vector<std::string>> cases = {{}, {"frobnicate"}, {"place", "S", "0", "DI16"},
        {"place", "S", "17", "DI16"}, {"place", "S", "x", "DI16"}, {"place", "S", "2"}, {"remove", "S", "0"},
        {"show", "S", "extra"}, {"catalog", "--bogus"}, {"new"}, {"generate"}, {"generate", "S", "-o", ""},
        {"generate", "S", "--date", "06.12.2026"}, {"check"}};
    for (const auto& args : cases) {
        const auto run = Exec(args);
        SCOPED_TRACE(args.empty() ? "(none)" : args[0] + " ... " + args.back());
        EXPECT_EQ(run.Exit, 2);
        EXPECT_NE(run.Err.find("Usage: kr39eds-cli"), std::string::npos) << run.Err;
        EXPECT_EQ(run.Out, "");
        EXPECT_EQ(Read("s.CSE"), kGood);
    }
    const auto help = Exec({"--help"});
    EXPECT_EQ(help.Exit, 0);
    EXPECT_NE(help.Out.find("kr39eds-cli"), std::string::npos);
}

// Commands that change one station at once are taken one after the other: every change stays.
TEST_F(Cli, EightPlacesAtOnceKeepAllEightModules)
{
    ASSERT_EQ(Exec({"new", "S"}).Exit, 0);
    std::string script;
    for (int slot = 1; slot <= 8; ++slot)
        script += Quote(KR39_CLI_PATH) + " --modules " + Quote((dir / "mods").string()) + " place "
            + Quote(station) + " " + std::to_string(slot) + " DI16 || echo failed & ";
    Write("script", script + "wait");
    const auto run = RunShell("timeout -s KILL 120 sh " + Quote((dir / "script").string()));
    EXPECT_EQ(run.Exit, 0);
    EXPECT_EQ(run.Out + run.Err, "");
    EXPECT_EQ(
        Read("s.CSE"), StationText({"NODE", "DI16", "DI16", "DI16", "DI16", "DI16", "DI16", "DI16", "DI16"}));
}

namespace {

// Runs the program with `args`, its output into `output`, and gives its peak memory
// (resident, in MiB) and exit code.
std::pair<long, int> PeakMemory(const std::vector<std::string>& args, const fs::path& output)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::vector<char*> argv {const_cast<char*>(KR39_CLI_PATH)};
        for (const auto& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        ::freopen(output.c_str(), "w", stdout);
        ::freopen(output.c_str(), "w", stderr);
        ::execv(KR39_CLI_PATH, argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage {};
    ::wait4(pid, &status, 0, &usage);
    return {usage.ru_maxrss / 1024, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

// `head`, then 60 MB of line feeds, written piece by piece: a child forked while this process
// held them would count them in its peak (and the address sanitizer keeps freed memory).
void WriteWithLineFeeds(const fs::path& path, const std::string& head)
{
    std::ofstream out(path, std::ios::binary);
    out << head;
    const std::string lineFeeds(1 << 20, '\n');
    for (int i = 0; i < 60; ++i)
        out << lineFeeds;
}

} // namespace

// A station needs its 17 lines and nothing after them; a catalog is gone through line by line.
TEST_F(Cli, LargeFilesCostLittleMoreMemoryThanTheirSize)
{
    // What the program takes anyway (much more under the address sanitizer).
    WriteBytes(station, kGood);
    const auto [baseMiB, baseExit]
        = PeakMemory({"--modules", (dir / "mods").string(), "show", station}, dir / "out");
    ASSERT_EQ(baseExit, 0);

    WriteWithLineFeeds(station, kGood);
    const auto [showMiB, showExit]
        = PeakMemory({"--modules", (dir / "mods").string(), "show", station}, dir / "out");
    EXPECT_EQ(showExit, 0);
    EXPECT_LT(showMiB - baseMiB, 20) << "the file was read past its 17 lines";

    WriteWithLineFeeds(dir / "mods" / "pn.dat", "00 root\r\n01 A\r\n");
    const auto [catalogMiB, catalogExit]
        = PeakMemory({"--modules", (dir / "mods").string(), "catalog"}, dir / "out");
    EXPECT_EQ(catalogExit, 1);
    EXPECT_LT(catalogMiB - baseMiB, 100) << "a list of all lines costs ten times the file";
}

// Memory running out is the operation's message, not an abort.
TEST_F(Cli, MemoryRunningOutIsTheOperationsMessage)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#else
    WriteBytes(
        dir / "mods" / "pn.dat", "00 root\r\n01 A\r\n<STARTMODULES>\r\n" + std::string(60u << 20, 'x'));
    const auto run = RunShell("ulimit -v 50000; LANGUAGE=en LC_ALL=C " + Quote(KR39_CLI_PATH) + " --modules "
        + Quote((dir / "mods").string()) + " catalog");
    EXPECT_EQ(run.Exit, 1);
    EXPECT_EQ(run.Err, "Initialization error!\nnot enough memory\n");
#endif
}

namespace {

const std::string kShipped = (fs::path(KR39_SOURCE_DIR) / "modules").string();

// Slot 0 and sixteen modules of the shipped library.
const std::string kFullStation
    = "KR39NODE000001\r\nKR39DI08DC24\r\nKR39DI16DC24\r\nKR39DI04AC230\r\n"
      "KR39DO08DC24\r\nKR39DO16DC24\r\nKR39DO04RLY\r\nKR39AI04U10\r\nKR39AI04I20\r\n"
      "KR39AI04RTD\r\nKR39AI02TC\r\nKR39AO02U10\r\nKR39AO04I20\r\nKR39CNT02\r\n"
      "KR39SER01\r\nKR39PS24\r\nKR39DI08DC24\r\n";

} // namespace

TEST_F(Cli, CheckAndCheckLibraryPrintCompilerLinesAndASummaryAndExitByTheErrors)
{
    Write("good.eds",
        "[File]\nDescText = \"x\"; $ \xB0\nCreateDate = 12-06-2026;\nCreateTime = 00:00:00;\n"
        "Revision = 1.0;\n[Device]\nVendCode = 1; VendName = \"v\"; ProdType = 12;\n"
        "ProdTypeStr = \"t\"; ProdCode = 1; MajRev = 1; MinRev = 1; ProdName = \"p\";\n");
    auto run = Exec({"check", "DIR/good.eds"});
    EXPECT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(run.Out,
        (dir / "good.eds").string() + ":2: warning: a byte outside ASCII; EDS files are ASCII text\n"
            + "1 file checked: 0 errors, 1 warning\n");

    Write("bad.eds", "[File]\nCreateDate = 12/06/26;\n");
    run = Exec({"check", "DIR/missing.eds", "DIR/good.eds", "DIR/bad.eds"});
    EXPECT_EQ(run.Exit, 1);
    EXPECT_NE(
        run.Out.find((dir / "missing.eds").string() + ":0: error: cannot read the file"), std::string::npos)
        << run.Out;
    EXPECT_NE(run.Out.find(
                  (dir / "bad.eds").string() + ":2: error: CreateDate \"12/06/26\" is no date mm-dd-yyyy\n"),
        std::string::npos)
        << run.Out;
    EXPECT_TRUE(std::regex_search(run.Out, std::regex("\n3 files checked: [0-9]+ errors, 1 warning\n$")))
        << run.Out;

    // The shipped library passes, a copy without a picture fails.
    run = Exec({"check-library"}, "", kShipped);
    EXPECT_EQ(run.Exit, 0) << run.Out;
    EXPECT_EQ(run.Out, "module library " + kShipped + " checked: 0 errors, 0 warnings\n");

    fs::copy(kShipped, dir / "lib");
    fs::remove(dir / "lib" / "KR39PS24a.bmp");
    run = Exec({"check-library"}, "", "DIR/lib");
    EXPECT_EQ(run.Exit, 1);
    EXPECT_EQ(run.Out,
        (dir / "lib" / "KR39PS24a.bmp").string() + ":0: error: the picture is missing\nmodule library "
            + (dir / "lib").string() + " checked: 1 error, 0 warnings\n");
}

// The locales are built into a folder of the test's own (LOCPATH); without localedef and the
// locale sources the test is skipped.
TEST_F(Cli, TheEdsOfAFullStationIsTheSameInEveryLocale)
{
    Write("Line4.CSE", kFullStation);
    const std::vector<std::string> locales {"de_DE.UTF-8", "ja_JP.UTF-8", "ar_SA.UTF-8", "ja_JP.EUC-JP"};
    const auto locpath = dir / "locales";
    fs::create_directories(locpath);
    for (const auto& locale : locales) {
        const auto dot = locale.find('.');
        const std::string command = "localedef -i " + locale.substr(0, dot) + " -f " + locale.substr(dot + 1)
            + " " + Quote((locpath / locale).string()) + " >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0 || !fs::exists(locpath / locale))
            GTEST_SKIP() << "cannot build the locale " << locale << " (localedef, package locales)";
    }
    auto run = Exec({"generate", "DIR/Line4.CSE", "-o", "DIR/C.EDS"}, "", kShipped);
    ASSERT_EQ(run.Exit, 0) << run.Err;
    for (const auto& locale : locales) {
        SCOPED_TRACE(locale);
        run = Exec({"generate", "DIR/Line4.CSE", "-o", "DIR/" + locale + ".EDS"},
            "LANGUAGE= LOCPATH=" + Quote(locpath.string()) + " LC_ALL=" + locale + " LANG=" + locale,
            kShipped);
        ASSERT_EQ(run.Exit, 0) << run.Err;
        EXPECT_EQ(Read(locale + ".EDS"), Read("C.EDS"));
    }
}
