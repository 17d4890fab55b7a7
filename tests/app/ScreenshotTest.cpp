// Writes PNGs of the splash, the main window with a composed station and the About box into
// the build folder, so that anyone can look at them.
#include <QDir>
#include <QImage>
#include <QTimer>

#include "GuiTest.h"
#include "app/AboutDialog.h"
#include "app/SplashWindow.h"
#include "station/Station.h"

using namespace kr39;
using namespace kr39::test;

namespace {

QString OutputDir()
{
    const QString dir = QStringLiteral(KR39_SCREENSHOT_DIR);
    QDir().mkpath(dir);
    return dir;
}

// Saves the widget's picture and checks that it shows more than one colour.
void Save(QWidget* widget, const char* name)
{
    const QImage image = widget->grab().toImage();
    ASSERT_FALSE(image.isNull()) << name;
    const QString path = OutputDir() + QLatin1Char('/') + QLatin1String(name);
    EXPECT_TRUE(image.save(path)) << path.toStdString();
    const QRgb first = image.pixel(0, 0);
    bool varied = false;
    for (int y = 0; y < image.height() && !varied; y += 7)
        for (int x = 0; x < image.width() && !varied; x += 7)
            varied = image.pixel(x, y) != first;
    EXPECT_TRUE(varied) << name;
}

class Screenshots : public GuiTest { };

TEST_F(Screenshots, SplashMainWindowAndAbout)
{
    SplashWindow splash;
    splash.setAttribute(Qt::WA_DeleteOnClose, false);
    splash.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&splash));
    Save(&splash, "splash.png");
    EXPECT_EQ(splash.size(), QSize(528, 320));
    splash.CloseSplash();

    auto window = LoadedWindow();
    for (auto [slot, partNo] : {std::pair {1, "KR39DI08DC24"}, {3, "KR39DO08DC24"}, {6, "KR39AI04U10"}}) {
        const auto* entry = window->m_catalog.Find(partNo);
        ASSERT_NE(entry, nullptr) << partNo;
        DropModule(window->m_station, window->m_catalog, slot, entry->PartNo + " " + entry->Description);
    }
    window->DrawStation();
    window->UpdateCommandState();
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
