#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <filesystem>

#include "app/MainWindow.h"
#include "app/SplashWindow.h"
#include "resources/StringTable.h"

class QApplication;
class QCoreApplication;

namespace kr39 {

// The start-up procedure: the splash is shown, the main window is loaded hidden, and the main
// window becomes visible when the splash ends. Ended reports the program's exit status once
// the main window has been unloaded.
class Program : public QObject {
    Q_OBJECT
public:
    explicit Program(std::filesystem::path modulesDir, QObject* parent = nullptr);
    ~Program() override;

    // A station file that the main window opens as Open does once its start-up step has read
    // the catalog. Set before Start.
    void SetStationFile(std::filesystem::path station) { m_stationFile = std::move(station); }

    // Shows the splash, loads the main window hidden and lets the splash paint once.
    void Start();

    SplashWindow* Splash() const { return m_splash; }
    MainWindow* Window() const { return m_window; }

signals:
    void Ended(int exitStatus);

private:
    QPointer<SplashWindow> m_splash;
    QPointer<MainWindow> m_window;
    std::filesystem::path m_modulesDir;
    std::filesystem::path m_stationFile;
};

// The program's arguments (the program name first): none, or one station file to open, which
// is made absolute. Anything else (more arguments, an option) is a usage error: false.
// Main prints the usage and returns 2.
bool StationArgument(const QStringList& arguments, std::filesystem::path& station);

// Names the environment variable of the start-up probe. When it is set, message boxes are
// answered at once (their text goes to standard error), the splash ends as soon as the
// catalog is read, and the program quits right after the main window's first redraw.
inline constexpr char StartupProbeVariable[] = "KR39EDS_QUIT_WHEN_READY";

// In German, Qt's own texts (dialog buttons, file dialogs, shortcut names) are loaded from Qt's
// translations (qtbase_de in QLibraryInfo::TranslationsPath). Returns whether a translation was
// installed; without the translation files Qt's texts stay English.
bool InstallQtTranslation(QCoreApplication& app, Language language);

// The program's entry: runs until the main window is unloaded and returns the exit status.
int Main(QApplication& app);

} // namespace kr39
