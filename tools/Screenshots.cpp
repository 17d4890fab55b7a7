// kr39eds-screenshots: writes PNGs of the splash, the About box and the main window with a
// composed station (modules in all four branches, fillers and a missing picture) into the folder
// given, for people to look at. `make screenshots` runs it under a virtual X server when there is one.
#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <filesystem>

#include "app/AboutDialog.h"
#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "app/SplashWindow.h"
#include "station/Station.h"

namespace fs = std::filesystem;
using namespace kr39;

namespace {

bool Save(QWidget* widget, const QString& folder, const char* name)
{
    const QString path = folder + QLatin1Char('/') + QLatin1String(name);
    const bool saved = widget->grab().toImage().save(path);
    std::fprintf(stderr, "%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    return saved;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("LANGUAGE", "en");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "Usage: kr39eds-screenshots FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    // Settings and module library of this run alone; no dialog waits for a person.
    QTemporaryDir temp;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, temp.path());
    qputenv("XDG_CONFIG_HOME", temp.path().toUtf8());
    MessageBox::SetAutoAnswer(true);
    FileDialog::SetNonInteractive(true);
    bool ok = true;

    SplashWindow splash;
    splash.setAttribute(Qt::WA_DeleteOnClose, false);
    splash.show();
    ok = QTest::qWaitForWindowExposed(&splash) && Save(&splash, folder, "splash.png") && ok;
    splash.CloseSplash();

    // Modules in branches 1, 2, 3 and 4 (fillers before slots 3, 7 and 16); one picture missing.
    const fs::path modules = fs::path(temp.path().toStdString()) / "modules";
    fs::copy(fs::path(KR39_SOURCE_DIR) / "modules", modules);
    fs::remove(modules / "KR39AI04U10a.bmp");
    MainWindow window(modules);
    ok = QTest::qWaitFor([&] { return window.IsInitialized(); }) && ok;
    for (const auto& [slot, partNo] : {std::pair {3, "KR39DI08DC24"}, {4, "KR39DO08DC24"}, {7, "KR39AI04U10"},
             {9, "KR39DI16DC24"}, {16, "KR39AI04U10"}}) {
        const CatalogEntry* entry = window.m_catalog.Find(partNo);
        if (entry)
            DropModule(window.m_station, window.m_catalog, slot, entry->PartNo + " " + entry->Description);
        ok = entry && ok;
    }
    window.DrawStation();
    window.UpdateCommandState();
    window.show();
    ok = QTest::qWaitForWindowExposed(&window) && ok;
    QTest::qWait(50);
    ok = Save(&window, folder, "main-window.png") && ok;

    bool about = false;
    QTimer::singleShot(50, [&] {
        if (auto* box = qobject_cast<AboutDialog*>(QApplication::activeModalWidget())) {
            about = Save(box, folder, "about.png");
            box->accept();
        }
    });
    window.mnuHelpAbout_Click();
    return ok && about ? 0 : 1;
}
