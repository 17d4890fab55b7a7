// kr39eds-cli check, check-library and generate's date and file name, end to end on the
// shipped module library: the EDS of a full station is the same in every locale and passes the
// checker.
#include "../TestSupport.h"

#include <sys/wait.h>

#include <cstdlib>
#include <ctime>
#include <regex>

using kr39test::ReadBytes;
using kr39test::WriteBytes;

namespace {

const fs::path kModules = fs::path(KR39_SOURCE_DIR) / "modules";

// Slot 0 and sixteen modules of the shipped library.
const std::string kFullStation
    = "KR39NODE000001\r\nKR39DI08DC24\r\nKR39DI16DC24\r\nKR39DI04AC230\r\n"
      "KR39DO08DC24\r\nKR39DO16DC24\r\nKR39DO04RLY\r\nKR39AI04U10\r\nKR39AI04I20\r\n"
      "KR39AI04RTD\r\nKR39AI02TC\r\nKR39AO02U10\r\nKR39AO04I20\r\nKR39CNT02\r\n"
      "KR39SER01\r\nKR39PS24\r\nKR39DI08DC24\r\n";

using kr39test::Outcome;
const auto Quote = &kr39test::ShellQuote;
class EdsCli : public kr39test::TempDir {
protected:
    // Runs the program with `env` (assignments for env(1)) in front and --modules `modules`.
    Outcome Exec(const std::vector<std::string>& args, const std::string& env = "LC_ALL=C",
        const fs::path& modules = kModules)
    {
        std::string command
            = "env " + env + " " + Quote(KR39_CLI_PATH) + " --modules " + Quote(modules.string());
        for (const auto& arg : args)
            command += " " + Quote(arg);
        return kr39test::RunShell(command, dir);
    }
    std::string Station(const std::string& name = "Line4.CSE")
    {
        Write(name, kFullStation);
        return (dir / name).string();
    }
};

std::string Today()
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%m-%d-%Y", &local);
    return text;
}

} // namespace

TEST_F(EdsCli, CheckPrintsCompilerLinesAndASummaryAndExitsByTheErrors)
{
    Write("good.eds",
        "[File]\nDescText = \"x\"; $ \xB0\nCreateDate = 12-06-2026;\nCreateTime = 00:00:00;\n"
        "Revision = 1.0;\n[Device]\nVendCode = 1; VendName = \"v\"; ProdType = 12;\n"
        "ProdTypeStr = \"t\"; ProdCode = 1; MajRev = 1; MinRev = 1; ProdName = \"p\";\n");
    auto run = Exec({"check", (dir / "good.eds").string()});
    EXPECT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(run.Out,
        (dir / "good.eds").string() + ":2: warning: a byte outside ASCII; EDS files are ASCII text\n"
            + "1 file checked: 0 errors, 1 warning\n");

    Write("bad.eds", "[File]\nCreateDate = 12/06/26;\n");
    run = Exec({"check", "DIR-does-not-matter", (dir / "good.eds").string(), (dir / "bad.eds").string()});
    EXPECT_EQ(run.Exit, 1);
    EXPECT_NE(run.Out.find("DIR-does-not-matter:0: error: cannot read the file"), std::string::npos)
        << run.Out;
    EXPECT_NE(run.Out.find(
                  (dir / "bad.eds").string() + ":2: error: CreateDate \"12/06/26\" is no date mm-dd-yyyy\n"),
        std::string::npos)
        << run.Out;
    EXPECT_TRUE(std::regex_search(run.Out, std::regex("\n3 files checked: [0-9]+ errors, 1 warning\n$")))
        << run.Out;

    run = Exec({"check"});
    EXPECT_EQ(run.Exit, 2);
    EXPECT_NE(run.Err.find("Usage: kr39eds-cli"), std::string::npos);
}

TEST_F(EdsCli, CheckLibraryPassesTheShippedLibraryAndFailsABrokenCopy)
{
    auto run = Exec({"check-library"});
    EXPECT_EQ(run.Exit, 0) << run.Out;
    EXPECT_EQ(run.Out, "module library " + kModules.string() + " checked: 0 errors, 0 warnings\n");

    fs::copy(kModules, dir / "mods");
    fs::remove(dir / "mods" / "KR39PS24a.bmp");
    run = Exec({"check-library"}, "LC_ALL=C", dir / "mods");
    EXPECT_EQ(run.Exit, 1);
    EXPECT_EQ(run.Out,
        (dir / "mods" / "KR39PS24a.bmp").string() + ":0: error: the picture is missing\nmodule library "
            + (dir / "mods").string() + " checked: 1 error, 0 warnings\n");
}

// The forms of the date are the core's (DateOption); here: a refused one is a usage error.
TEST_F(EdsCli, ADateInNeitherFormIsAUsageError)
{
    const auto run = Exec({"generate", Station(), "--date", "06.12.2026"});
    EXPECT_EQ(run.Exit, 2);
    EXPECT_NE(run.Err.find("not a date YYYY-MM-DD or mm-dd-yyyy"), std::string::npos) << run.Err;
    EXPECT_FALSE(fs::exists(dir / "Line4.EDS"));
}

// The locales are built into a folder of the test's own (LOCPATH); without localedef and the
// locale sources the test is skipped.
TEST_F(EdsCli, TheEdsOfAFullStationIsTheSameInEveryLocaleAndPassesTheChecker)
{
    const auto station = Station();
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
    auto run = Exec({"generate", station, "-o", (dir / "C.EDS").string()});
    ASSERT_EQ(run.Exit, 0) << run.Err;
    const auto reference = Read("C.EDS");
    EXPECT_NE(reference.find("CreateDate = " + Today() + ";"), std::string::npos);
    EXPECT_TRUE(std::all_of(reference.begin(), reference.end(), [](char c) { return (c & 0x80) == 0; }));
    for (const auto& locale : locales) {
        SCOPED_TRACE(locale);
        const auto out = dir / (locale + ".EDS");
        const std::string env
            = "LOCPATH=" + Quote(locpath.string()) + " LC_ALL=" + locale + " LANG=" + locale;
        run = Exec({"generate", station, "-o", out.string()}, env);
        ASSERT_EQ(run.Exit, 0) << run.Err;
        EXPECT_EQ(ReadBytes(out), reference);
    }
    run = Exec({"check", (dir / "C.EDS").string()});
    EXPECT_EQ(run.Exit, 0) << run.Out;
    EXPECT_EQ(run.Out, "1 file checked: 0 errors, 0 warnings\n");
}
