// Writes PNGs of the splash, the About box and the main window with a composed station (modules
// in all four branches, fillers and a missing picture) into the build folder, for people to look at.
#include <QDir>
#include <QImage>
#include <QTimer>

#include "GuiTest.h"
#include "app/AboutDialog.h"
#include "app/SplashWindow.h"

using namespace kr39;
using namespace kr39::test;

namespace {

// Saves the widget's picture and checks that it shows more than one colour.
void Save(QWidget* widget, const char* name)
{
    const QImage image = widget->grab().toImage();
    ASSERT_FALSE(image.isNull()) << name;
    QDir().mkpath(QStringLiteral(KR39_SCREENSHOT_DIR));
    EXPECT_TRUE(image.save(QStringLiteral(KR39_SCREENSHOT_DIR "/") + QLatin1String(name))) << name;
    bool varied = false;
    for (int y = 0; y < image.height() && !varied; y += 7)
        for (int x = 0; x < image.width() && !varied; x += 7)
            varied = image.pixel(x, y) != image.pixel(0, 0);
    EXPECT_TRUE(varied) << name;
}

TEST_F(GuiTest, ScreenshotsOfSplashAboutAndComposedStation)
{
    SplashWindow splash;
    splash.setAttribute(Qt::WA_DeleteOnClose, false);
    splash.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&splash));
    Save(&splash, "splash.png");
    splash.CloseSplash();

    // Modules in branches 1, 2, 3 and 4 (fillers before slots 3, 7 and 16); one picture missing.
    const std::filesystem::path modules = Temp() / "modules";
    std::filesystem::copy(ShippedModules(), modules);
    std::filesystem::remove(modules / "KR39AI04U10a.bmp");
    auto window = LoadedWindow(modules);
    Place(*window, 3, "KR39DI08DC24");
    Place(*window, 4, "KR39DO08DC24");
    Place(*window, 7, "KR39AI04U10");
    Place(*window, 9, "KR39DI16DC24");
    Place(*window, 16, "KR39AI04U10");
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QTest::qWait(50);
    Save(window.get(), "main-window.png");

    bool saved = false;
    QTimer::singleShot(50, [&] {
        auto* about = qobject_cast<AboutDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(about, nullptr);
        Save(about, "about.png");
        saved = true;
        about->accept();
    });
    window->mnuHelpAbout_Click();
    EXPECT_TRUE(saved);
}

} // namespace
