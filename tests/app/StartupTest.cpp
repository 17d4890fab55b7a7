// Start-up order, the splash, the catalog failure and the window placement.
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QScreen>

#include "GuiTest.h"
#include "app/Program.h"
#include "app/SplashWindow.h"
#include "app/WindowPlacement.h"

namespace fs = std::filesystem;
using namespace kr39;
using namespace kr39::test;

namespace {

class Startup : public GuiTest {
protected:
    void StoreSettings(const char* left, const char* top, const char* width, const char* height)
    {
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("KR39"),
            QStringLiteral("KR39 Standard EDS Generator"));
        settings.beginGroup(QStringLiteral("Settings"));
        settings.setValue(QStringLiteral("MainLeft"), QLatin1String(left));
        settings.setValue(QStringLiteral("MainTop"), QLatin1String(top));
        settings.setValue(QStringLiteral("MainWidth"), QLatin1String(width));
        settings.setValue(QStringLiteral("MainHeight"), QLatin1String(height));
    }

    QString Stored(const char* key)
    {
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("KR39"),
            QStringLiteral("KR39 Standard EDS Generator"));
        return settings.value(QStringLiteral("Settings/") + QLatin1String(key)).toString();
    }
};

TEST_F(Startup, SplashFirstThenHiddenWindowThenCatalogAndNewStationThenVisibleWindow)
{
    Program program(ShippedModules());
    program.Start();
    SplashWindow* splash = program.Splash();
    MainWindow* window = program.Window();
    ASSERT_TRUE(splash && window);
    EXPECT_TRUE(splash->isVisible());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(splash->findChild<QLabel*>("lblVersion")->text(), "Version 1.0.6");
    EXPECT_EQ(splash->findChild<QLabel*>("lblCompanyProduct")->text(), "KR39 Standard EDS Generator");
    EXPECT_EQ(splash->findChild<QLabel*>("lblPlatform")->text(), "Win 2000 / Win XP");
    EXPECT_EQ(splash->findChild<QLabel*>("lblWarning")->text(), "KR39 DeviceNet use only");
    // Texts were applied while loading; the caption waits for the start-up step.
    EXPECT_EQ(window->findChild<QMenu*>("mnuFile")->title(), "&File");
    EXPECT_EQ(window->windowTitle(), "KR39 Standard EDS Generator");

    ASSERT_TRUE(WaitFor([&] { return window->IsInitialized(); }, 1000));
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(splash->isVisible());
    EXPECT_EQ(window->m_station.Slots[0].PartNo, "KR39NODE000001");
    EXPECT_EQ(window->windowTitle(), "KR39 Standard EDS Generator - Unknown");

    splash->CloseSplash();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(WaitFor([&] { return program.Splash() == nullptr; }, 1000));
}

TEST_F(Startup, CatalogFailureShowsInitializationErrorAndEndsWithStatusOne)
{
    Program program(Temp() / "modules");
    int status = -1;
    QObject::connect(&program, &Program::Ended, [&](int s) { status = s; });
    bool shown = false;
    program.Start();
    QObject::connect(program.Splash(), &SplashWindow::Finished, [&] { shown = true; });
    ASSERT_TRUE(WaitFor([&] { return status != -1; }, 1000));
    EXPECT_EQ(status, 1);
    ASSERT_EQ(MessageBox::History().size(), 1);
    EXPECT_EQ(MessageBox::History()[0].Text, "Initialization error!");
    EXPECT_EQ(MessageBox::History()[0].Title, "Error");
    EXPECT_EQ(MessageBox::History()[0].Kind, MessageBox::Icon::Critical);
    EXPECT_TRUE(WaitFor([&] { return program.Splash() == nullptr; }, 1000));
    EXPECT_FALSE(shown);
    EXPECT_FALSE(program.Window()->isVisible());
}

TEST_F(Startup, SplashEndsByItself)
{
    SplashWindow splash;
    bool finished = false;
    QObject::connect(&splash, &SplashWindow::Finished, [&] { finished = true; });
    splash.setAttribute(Qt::WA_DeleteOnClose, false);
    splash.show();
    QTest::qWait(SplashWindow::DisplayMilliseconds - 500);
    EXPECT_FALSE(finished);
    EXPECT_TRUE(WaitFor([&] { return finished; }, 2000));
    EXPECT_FALSE(splash.isVisible());
}

struct SplashInput {
    const char* Name; // a control to click, or empty for a key
    int Key;
    bool Ends;
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
    if (*input.Name) {
        auto* control = splash.findChild<QWidget*>(QLatin1String(input.Name));
        ASSERT_NE(control, nullptr);
        QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(2, 2));
    } else {
        QTest::keyClick(&splash, static_cast<Qt::Key>(input.Key));
    }
    EXPECT_EQ(finished, input.Ends ? 1 : 0);
    EXPECT_EQ(splash.isVisible(), !input.Ends);
}

INSTANTIATE_TEST_SUITE_P(Inputs, SplashEnding,
    ::testing::Values(SplashInput {"imgLogo", 0, true}, SplashInput {"lblVersion", 0, true},
        SplashInput {"Frame1", 0, true}, SplashInput {"lblCompany", 0, true},
        SplashInput {"lblCompanyProduct", 0, true}, SplashInput {"lblPlatform", 0, true},
        SplashInput {"lblWarning", 0, true}, SplashInput {"lblTrademark", 0, true},
        SplashInput {"lblCopyright", 0, false}, SplashInput {"", Qt::Key_A, true},
        SplashInput {"", Qt::Key_Return, true}, SplashInput {"", Qt::Key_Escape, true},
        SplashInput {"", Qt::Key_Space, true}, SplashInput {"", Qt::Key_Backspace, true},
        SplashInput {"", Qt::Key_5, true}, SplashInput {"", Qt::Key_Shift, false},
        SplashInput {"", Qt::Key_Left, false}, SplashInput {"", Qt::Key_F1, false}),
    [](const auto& info) {
        return *info.param.Name ? std::string(info.param.Name) : "Key" + std::to_string(info.param.Key);
    });

TEST_F(Startup, FirstRunUsesTheDefaultPlacementGrownToTheMinimumSize)
{
    auto window = LoadedWindow();
    window->show();
    EXPECT_EQ(window->pos(), QPoint(67, 67));
    EXPECT_EQ(window->width(), 909); // 6500 twips widened to 13635
    EXPECT_GE(window->height(), 662);
}

TEST_F(Startup, PlacementIsStoredOnCloseAndRestored)
{
    StoreSettings("1500", "750", "15000", "12000");
    {
        auto window = LoadedWindow();
        window->show();
        EXPECT_EQ(window->pos(), QPoint(100, 50));
        EXPECT_EQ(window->size(), QSize(1000, 800));
        window->move(30, 40);
        window->resize(1200, 900);
        window->close();
    }
    EXPECT_EQ(Stored("MainLeft"), "450");
    EXPECT_EQ(Stored("MainTop"), "600");
    EXPECT_EQ(Stored("MainWidth"), "18000");
    EXPECT_EQ(Stored("MainHeight"), "13500");
}

TEST_F(Startup, MinimizedCloseKeepsTheStoredPlacement)
{
    StoreSettings("1500", "750", "15000", "12000");
    auto window = LoadedWindow();
    window->show();
    window->move(300, 300);
    window->showMinimized();
    ASSERT_TRUE(WaitFor([&] { return window->isMinimized(); }, 1000));
    window->close();
    EXPECT_EQ(Stored("MainLeft"), "1500");
    EXPECT_EQ(Stored("MainWidth"), "15000");
}

TEST_F(Startup, ValuesThatAreNoNumbersFallBackToTheirDefaults)
{
    EXPECT_EQ(PlacementValue(" 1005 ", 1000), 1005);
    EXPECT_EQ(PlacementValue("-60", 1000), -60);
    EXPECT_EQ(PlacementValue("abc", 1000), 1000);
    EXPECT_EQ(PlacementValue("12x", 6500), 6500);
    EXPECT_EQ(PlacementValue("nan", 6500), 6500);
    EXPECT_EQ(PlacementValue("1e30", 6500), 6500);

    StoreSettings("left", "750", "wide", "12000");
    const WindowPlacement placement = ReadWindowPlacement();
    EXPECT_EQ(placement.Left, 1000);
    EXPECT_EQ(placement.Top, 750);
    EXPECT_EQ(placement.Width, 6500);
    EXPECT_EQ(placement.Height, 12000);
}

TEST_F(Startup, APlacementOffEveryScreenIsMovedOntoThePrimaryScreen)
{
    const QList<QRect> screens {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    const QRect primary = screens[0];
    // Partly visible: kept as stored.
    EXPECT_EQ(PlacementToPixels({-1500, 150, 15000, 15000}, screens, primary), QRect(-100, 10, 1000, 1000));
    EXPECT_EQ(PlacementToPixels({30000, 150, 15000, 15000}, screens, primary), QRect(2000, 10, 1000, 1000));
    // Entirely off every screen.
    EXPECT_EQ(PlacementToPixels({60000, 150, 15000, 15000}, screens, primary), QRect(0, 0, 1000, 1000));
    EXPECT_EQ(PlacementToPixels({-30000, -30000, 15000, 15000}, screens, primary), QRect(0, 0, 1000, 1000));
}

// The built program, run as the user starts it, reports its outcome by its exit status.
class BuiltProgram : public Startup {
protected:
    int Run(const fs::path& folder, QString* errors)
    {
        const fs::path program = folder / "kr39eds";
        fs::copy_file(fs::path(KR39_BIN_DIR) / "kr39eds", program);
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QLatin1String(StartupProbeVariable), QStringLiteral("1"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_temp.path());
        process.setProcessEnvironment(env);
        process.start(QString::fromStdString(program.string()), {});
        EXPECT_TRUE(process.waitForFinished(20000));
        *errors = QString::fromUtf8(process.readAllStandardError());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
};

TEST_F(BuiltProgram, EndsWithStatusOneWhenTheCatalogIsMissing)
{
    QString errors;
    EXPECT_EQ(Run(Temp(), &errors), 1);
    EXPECT_TRUE(errors.contains("Error: Initialization error!")) << errors.toStdString();
}

TEST_F(BuiltProgram, StartsOnTheShippedLibrary)
{
    fs::copy(ShippedModules(), Temp() / "modules");
    QString errors;
    EXPECT_EQ(Run(Temp(), &errors), 0);
    EXPECT_FALSE(errors.contains("Initialization error!")) << errors.toStdString();
}

} // namespace
