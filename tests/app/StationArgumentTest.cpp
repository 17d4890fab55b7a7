// kr39eds STATION.CSE: the station named on the command line is opened after start-up, as Open
// opens it.
#include "GuiTest.h"
#include "app/StatusBar.h"

namespace fs = std::filesystem;
using namespace kr39;
using namespace kr39::test;

namespace {

struct Arguments {
    const char* Name;
    QStringList Given; // after the program name
    bool Valid;
    const char* Station; // "" for none; relative to the working folder
    friend void PrintTo(const Arguments& c, std::ostream* os) { *os << c.Name; }
};

class StationArguments : public ::testing::TestWithParam<Arguments> { };

TEST_P(StationArguments, NoneOrOneStationFile)
{
    const Arguments& arguments = GetParam();
    fs::path station = "stale";
    EXPECT_EQ(
        StationArgument(QStringList {QStringLiteral("kr39eds")} + arguments.Given, station), arguments.Valid);
    EXPECT_EQ(station, *arguments.Station ? fs::current_path() / arguments.Station : fs::path());
}

INSTANTIATE_TEST_SUITE_P(CommandLine, StationArguments,
    ::testing::Values(Arguments {"None", {}, true, ""},
        Arguments {"RelativeFileMadeAbsolute", {"Line4.CSE"}, true, "Line4.CSE"},
        Arguments {"FileInAFolder", {"a b/Line 4.cse"}, true, "a b/Line 4.cse"},
        Arguments {"Option", {"--help"}, false, ""}, Arguments {"Empty", {""}, false, ""}),
    [](const auto& info) { return std::string(info.param.Name); });

const std::string kTwoModules
    = "KR39NODE000001\r\nKR39DI08DC24\r\nNone\r\nNone\r\nKR39DO08DC24\r\n" + Repeat(12, "None");

class OpenAtStart : public GuiTest {
protected:
    // Starts the program on `station` and waits for its start-up step.
    MainWindow* Started(Program& program, const fs::path& station)
    {
        program.SetStationFile(station);
        program.Start();
        MainWindow* window = program.Window();
        EXPECT_TRUE(QTest::qWaitFor([&] { return window->IsInitialized(); }));
        return window;
    }
};

TEST_F(OpenAtStart, TheStationIsOpenedOnceTheCatalogIsReadAndAnUnknownPartNumberReported)
{
    WriteBytes(Temp() / "Line4.CSE", kTwoModules);
    Program program(ShippedModules());
    MainWindow* window = Started(program, Temp() / "Line4.CSE");
    EXPECT_EQ(window->m_station.CurrentFile, (Temp() / "Line4.CSE").string());
    EXPECT_EQ(window->m_station.Slots[4].PartNo, "KR39DO08DC24");
    EXPECT_EQ(window->m_station.Slots[3].PartNo, "Bus"); // normalized as Open leaves it
    EXPECT_EQ(window->windowTitle().toStdString(),
        "KR39 Standard EDS Generator - " + (Temp() / "Line4.CSE").string());
    EXPECT_TRUE(MessageBox::History().isEmpty());
    EXPECT_EQ(ReadBytes(Temp() / "Line4.CSE"), kTwoModules);

    // An unknown part number is still in the status bar once the start-up step is over.
    WriteBytes(Temp() / "Unknown.CSE", "KR39NODE000001\r\nNOSUCHPART\r\n");
    Program unknown(ShippedModules());
    window = Started(unknown, Temp() / "Unknown.CSE");
    EXPECT_EQ(window->sbStatusBar()->PanelText(1), "Status: PartNo not found!!!");
}

// The built program as the file manager starts it: a usage error ends it at once with status 2,
// a station it cannot read is Open's failure.
TEST_F(OpenAtStart, TheBuiltProgramTakesOneStationFile)
{
    QByteArray errors;
    EXPECT_EQ(RunProgram({QStringLiteral("a.CSE"), QStringLiteral("b.CSE")}, &errors), 2);
    EXPECT_TRUE(errors.contains("Usage: kr39eds [STATION.CSE]"));
    EXPECT_EQ(RunProgram({Q(Temp() / "missing.CSE")}, &errors), 0);
    EXPECT_TRUE(errors.contains("Error when loading data!!!"));
}

} // namespace
