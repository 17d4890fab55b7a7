// Saves pictures of a composed station into the build folder so that people can look at them:
// modules in all four branches, fillers, a " C " module at its branch end and a module whose
// picture files are missing. The run with QT_SCALE_FACTOR=2 shows the view on a high-DPI screen.
#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QTest>

#include <filesystem>
#include <memory>

#include "app/MainWindow.h"
#include "catalog/CatalogTree.h"
#include "resources/ResourcePictures.h"
#include "station/StationView.h"

namespace {

namespace fs = std::filesystem;

TEST(StationScreenshot, ComposedStationOnTheShippedLibrary)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const fs::path modules = fs::path(dir.path().toStdString()) / "modules";
    fs::copy(fs::path(KR39_SOURCE_DIR) / "modules", modules, fs::copy_options::recursive);
    // One module without its pictures.
    fs::remove(modules / "KR39AI04RTDa.bmp");
    fs::remove(modules / "KR39AI04RTDb.bmp");

    auto window = std::make_unique<kr39::MainWindow>(modules);
    window->resize(1000, 760);
    window->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->IsInitialized(); }));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));

    const std::pair<int, const char*> drops[] = {
        {1, "KR39DI08DC24 x"},
        {2, "KR39DI16DC24 x"},
        {4, "KR39DO08DC24 x"}, // branch 1 with a filler
        {5, "KR39SER01 x"}, // " C ": goes to slot 8, slots 5-7 become fillers
        {10, "KR39AI04RTD x"},
        {11, "KR39AI04U10 x"}, // branch 3: filler, missing picture, module
        {13, "KR39AO04I20 x"},
        {14, "KR39CNT02 x"},
        {15, "KR39PS24 x"},
        {16, "KR39DO04RLY x"},
    };
    for (auto [slot, dragText] : drops)
        ASSERT_EQ(kr39::DropModule(window->m_station, window->m_catalog, slot, dragText).Outcome,
            kr39::DropOutcome::Placed);
    window->DrawStation();
    window->UpdateCommandState();
    QTest::qWait(50);

    kr39::StationView* view = window->picVexaConf();
    EXPECT_EQ(view->Picture(10)->Image(), kr39::ResourceBitmap(kr39::BitmapPlaceholder));
    EXPECT_EQ(view->Picture(5)->Image(), kr39::ResourceBitmap(kr39::BitmapFiller));
    EXPECT_EQ(view->Picture(8)->Image().size(), QSize(70, 80));
    EXPECT_EQ(view->Picture(0)->Image().size(), QSize(502, 80));
    EXPECT_EQ(view->findChild<QLabel*>("lblMod_16")->text(), "10");

    const QString suffix = qEnvironmentVariable("QT_SCALE_FACTOR").isEmpty()
        ? QString()
        : QStringLiteral("-x%1").arg(qEnvironmentVariable("QT_SCALE_FACTOR"));
    const QString folder = QStringLiteral(KR39_BIN_DIR "/../screenshots");
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_TRUE(window->grab().save(folder + "/station-window" + suffix + ".png"));
    EXPECT_TRUE(view->grab().save(folder + "/station-view" + suffix + ".png"));
}

} // namespace
