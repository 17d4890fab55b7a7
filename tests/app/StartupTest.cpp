// Start-up order, the splash, the catalog failure, the window placement, and the station named on
// the command line (kr39eds STATION.CSE), opened after start-up as Open opens it.
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>

#include "GuiTest.h"
#include "app/Program.h"
#include "app/SplashWindow.h"
#include "app/StatusBar.h"
#include "app/WindowPlacement.h"

namespace fs = std::filesystem;
using namespace kr39;
using namespace kr39::test;

namespace {

class Startup : public GuiTest {
protected:
    static constexpr const char* Keys[] = {"MainLeft", "MainTop", "MainWidth", "MainHeight"};
    static void StorePlacement(const QStringList& values)
    {
        for (int i = 0; i < 4; ++i)
            Settings().setValue(QStringLiteral("Settings/") + QLatin1String(Keys[i]), values[i]);
    }
    static QStringList Stored()
    {
        QStringList values;
        for (const char* key : Keys)
            values << Settings().value(QStringLiteral("Settings/") + QLatin1String(key)).toString();
        return values;
    }
    // Starts the program on `station` and waits for its start-up step.
    static MainWindow* Started(Program& program, const fs::path& station)
    {
        program.SetStationFile(station);
        program.Start();
        MainWindow* window = program.Window();
        EXPECT_TRUE(QTest::qWaitFor([&] { return window->IsInitialized(); }));
        return window;
    }
    // Runs the built program as the user starts it, offscreen, with this test's settings.
    int RunProgram(const QStringList& arguments, QByteArray* errors, const QString& program = {})
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QLatin1String(StartupProbeVariable), QStringLiteral("1"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_temp.path());
        process.setProcessEnvironment(env);
        process.start(program.isEmpty() ? QStringLiteral(KR39_BIN_DIR "/kr39eds") : program, arguments);
        EXPECT_TRUE(process.waitForFinished(20000));
        *errors = process.readAllStandardError();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
};

TEST_F(Startup, SplashFirstThenHiddenWindowThenCatalogAndNewStationThenWindowAfterThreeSeconds)
{
    Program program(ShippedModules());
    QElapsedTimer clock;
    clock.start();
    program.Start();
    SplashWindow* splash = program.Splash();
    MainWindow* window = program.Window();
    ASSERT_TRUE(splash && window);
    EXPECT_TRUE(splash->isVisible());
    EXPECT_EQ(splash->findChild<QLabel*>("lblVersion")->text(), "Version 1.0.6");
    EXPECT_EQ(window->windowTitle(), "KR39 Standard EDS Generator"); // the caption waits for Init

    ASSERT_TRUE(QTest::qWaitFor([&] { return window->IsInitialized(); }, 2500));
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->m_station.Slots[0].PartNo, "KR39NODE000001");
    EXPECT_EQ(window->windowTitle(), "KR39 Standard EDS Generator - Unknown");

    // The splash's timer ends it after its three seconds and shows the window.
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->isVisible(); }, 4500));
    EXPECT_GE(clock.elapsed(), 2500);
    EXPECT_TRUE(QTest::qWaitFor([&] { return program.Splash() == nullptr; }, 1000));
}

TEST_F(Startup, CatalogFailureShowsInitializationErrorAndEndsWithStatusOne)
{
    Program program(Temp() / "modules");
    int status = -1;
    QObject::connect(&program, &Program::Ended, [&](int s) { status = s; });
    bool splashEnded = false;
    MessageBox::SetOnShown([&](const MessageBox::Shown& shown) {
        EXPECT_FALSE(shown.Detail.isEmpty()); // where the catalog was looked for
        // The splash's time runs out while the message is open: the window stays hidden.
        if (program.Splash()) {
            program.Splash()->CloseSplash();
            splashEnded = true;
            EXPECT_FALSE(program.Window()->isVisible());
        }
    });
    program.Start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return status != -1; }, 2000));
    EXPECT_TRUE(splashEnded);
    ASSERT_EQ(MessageBox::History().size(), 1);
    EXPECT_EQ(MessageBox::History()[0].Kind, MessageBox::Icon::Critical);
    EXPECT_FALSE(program.Window()->isVisible());

    // The built program, started as the user starts it, shows the message and ends with status 1.
    fs::copy_file(fs::path(KR39_BIN_DIR) / "kr39eds", Temp() / "kr39eds");
    QByteArray errors;
    EXPECT_EQ(RunProgram({}, &errors, Q(Temp() / "kr39eds")), 1);
    EXPECT_TRUE(errors.contains("Error: Initialization error!"));
}

struct SplashInput {
    const char* Name;
    const char* Control; // a control to click, or empty for a key
    Qt::Key Key;
    bool Ends;
    friend void PrintTo(const SplashInput& c, std::ostream* os) { *os << c.Name; }
};

class SplashEnding : public Startup, public ::testing::WithParamInterface<SplashInput> { };

TEST_P(SplashEnding, ByClickOrCharacterKey)
{
    const SplashInput& input = GetParam();
    SplashWindow splash;
    splash.setAttribute(Qt::WA_DeleteOnClose, false);
    int finished = 0;
    QObject::connect(&splash, &SplashWindow::Finished, [&] { ++finished; });
    splash.show();
    if (*input.Control) {
        auto* control = splash.findChild<QWidget*>(QLatin1String(input.Control));
        ASSERT_NE(control, nullptr);
        QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(2, 2));
    } else {
        QTest::keyClick(&splash, input.Key);
    }
    EXPECT_EQ(finished, input.Ends ? 1 : 0);
    EXPECT_EQ(splash.isVisible(), !input.Ends);
}

INSTANTIATE_TEST_SUITE_P(Inputs, SplashEnding,
    ::testing::Values(SplashInput {"ClickOnTheLogoEnds", "imgLogo", {}, true},
        SplashInput {"ClickOnTheFrameEnds", "Frame1", {}, true},
        SplashInput {"ClickOnTheCopyrightDoesNot", "lblCopyright", {}, false},
        SplashInput {"CharacterKeyEnds", "", Qt::Key_A, true},
        SplashInput {"EscapeEnds", "", Qt::Key_Escape, true},
        SplashInput {"ShiftDoesNot", "", Qt::Key_Shift, false}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(Startup, PlacementIsRestoredAndStoredOnCloseButNotWhenMinimizedAndBadValuesFallBack)
{
    {
        auto window = LoadedWindow(); // first run: default place, grown to the minimum width
        window->show();
        EXPECT_EQ(window->pos(), QPoint(67, 67));
        EXPECT_EQ(window->width(), 909);
    }
    StorePlacement({"1500", "750", "15000", "12000"});
    {
        auto window = LoadedWindow();
        window->show();
        EXPECT_EQ(window->geometry().size(), QSize(1000, 800));
        EXPECT_EQ(window->pos(), QPoint(100, 50));
        window->move(300, 300);
        window->showMinimized();
        ASSERT_TRUE(QTest::qWaitFor([&] { return window->isMinimized(); }, 1000));
        window->close();
        EXPECT_EQ(Stored(), QStringList({"1500", "750", "15000", "12000"}));
    }
    auto window = LoadedWindow();
    window->show();
    window->move(30, 40);
    window->resize(1200, 900);
    window->close();
    EXPECT_EQ(Stored(), QStringList({"450", "600", "18000", "13500"}));

    // Bad values fall back to the defaults; a place off every screen moves to the primary one.
    EXPECT_EQ(PlacementValue(" 1005 ", 1000), 1005);
    EXPECT_EQ(PlacementValue("-60", 1000), -60);
    for (const char* bad : {"abc", "12x", "nan", "1e30"})
        EXPECT_EQ(PlacementValue(bad, 6500), 6500) << bad;
    StorePlacement({"left", "750", "wide", "12000"});
    const WindowPlacement placement = ReadWindowPlacement();
    EXPECT_EQ(QList<double>({placement.Left, placement.Top, placement.Width, placement.Height}),
        QList<double>({1000, 750, 6500, 12000}));

    const QList<QRect> screens {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    EXPECT_EQ(
        PlacementToPixels({-1500, 150, 15000, 15000}, screens, screens[0]), QRect(-100, 10, 1000, 1000));
    EXPECT_EQ(
        PlacementToPixels({30000, 150, 15000, 15000}, screens, screens[0]), QRect(2000, 10, 1000, 1000));
    EXPECT_EQ(PlacementToPixels({60000, 150, 15000, 15000}, screens, screens[0]), QRect(0, 0, 1000, 1000));
}

// --- kr39eds STATION.CSE ----------------------------------------------------------------------

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

TEST_F(Startup, TheStationNamedIsOpenedOnceTheCatalogIsReadAndAnUnknownPartNumberReported)
{
    WriteBytes(Temp() / "Line4.CSE",
        "KR39NODE000001\r\nKR39DI08DC24\r\nNone\r\nNone\r\nKR39DO08DC24\r\n" + Repeat(12, "None"));
    Program program(ShippedModules());
    MainWindow* window = Started(program, Temp() / "Line4.CSE");
    EXPECT_EQ(window->m_station.Slots[4].PartNo, "KR39DO08DC24");
    EXPECT_EQ(window->windowTitle().toStdString(),
        "KR39 Standard EDS Generator - " + (Temp() / "Line4.CSE").string());
    EXPECT_TRUE(MessageBox::History().isEmpty());

    // An unknown part number is still in the status bar once the start-up step is over.
    WriteBytes(Temp() / "Unknown.CSE", "KR39NODE000001\r\nNOSUCHPART\r\n");
    Program unknown(ShippedModules());
    window = Started(unknown, Temp() / "Unknown.CSE");
    EXPECT_EQ(window->sbStatusBar()->PanelText(1), "Status: PartNo not found!!!");
}

// The built program as the file manager starts it: a usage error ends it at once with status 2,
// a station it cannot read is Open's failure.
TEST_F(Startup, TheBuiltProgramTakesOneStationFile)
{
    QByteArray errors;
    EXPECT_EQ(RunProgram({QStringLiteral("a.CSE"), QStringLiteral("b.CSE")}, &errors), 2);
    EXPECT_TRUE(errors.contains("Usage: kr39eds [STATION.CSE]"));
    EXPECT_EQ(RunProgram({Q(Temp() / "missing.CSE")}, &errors), 0);
    EXPECT_TRUE(errors.contains("Error when loading data!!!"));
}

} // namespace
