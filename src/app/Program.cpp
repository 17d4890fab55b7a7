#include "app/Program.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTimer>
#include <QTranslator>

#include <cstdio>

#include "app/Dialogs.h"
#include "app/FileCommands.h"
#include "app/MainWindow.h"
#include "app/SplashWindow.h"
#include "util/Paths.h"

namespace kr39 {

Program::Program(std::filesystem::path modulesDir, QObject* parent)
    : QObject(parent)
    , m_modulesDir(std::move(modulesDir))
{
}

Program::~Program()
{
    delete m_window;
    delete m_splash;
}

void Program::Start()
{
    // 1. The splash, shown modeless; its load step starts its 3-second timer.
    m_splash = new SplashWindow();
    m_splash->show();

    // 2. The main window, loaded without being shown.
    m_window = new MainWindow(m_modulesDir);
    m_window->SetSplash(m_splash);
    connect(m_splash, &SplashWindow::Finished, m_window, &QWidget::show);
    connect(m_window, &MainWindow::Unloaded, this, &Program::Ended);
    if (!m_stationFile.empty()) {
        connect(m_window, &MainWindow::Initialized, m_window,
            [window = m_window, station = m_stationFile] { window->Files()->OpenFile(station); });
    }

    // 3. Let the splash paint, then return to the event loop. While the start-up step waits
    // for its timer, the hidden main window gets its native window and its layout, so that
    // showing it later costs little.
    QCoreApplication::processEvents();
    QTimer::singleShot(0, m_window, [window = m_window] {
        if (window && !window->isVisible()) {
            window->ensurePolished();
            window->winId();
        }
    });
}

bool InstallQtTranslation(QCoreApplication& app, Language language)
{
    if (language != Language::German)
        return false;
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))
        || !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    return true;
}

bool StationArgument(const QStringList& arguments, std::filesystem::path& station)
{
    station.clear();
    if (arguments.size() <= 1)
        return true;
    if (arguments.size() > 2 || arguments[1].isEmpty() || arguments[1].startsWith(QLatin1Char('-')))
        return false;
    std::error_code ec;
    station = std::filesystem::absolute(ToPath(arguments[1]), ec);
    if (ec)
        station = ToPath(arguments[1]);
    return true;
}

int Main(QApplication& app)
{
    InstallQtTranslation(app, UserLanguage());

    std::filesystem::path station;
    if (!StationArgument(QCoreApplication::arguments(), station)) {
        std::fprintf(stderr, "Usage: kr39eds [STATION.CSE]\n");
        return 2;
    }

    // The program ends when the main window is unloaded, not when the splash closes.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setApplicationName(QStringLiteral("KR39 Standard EDS Generator"));

    const bool probe = qEnvironmentVariableIsSet(StartupProbeVariable);
    if (probe)
        MessageBox::SetAutoAnswer(true);

    Program program(DefaultModulesDir());
    program.SetStationFile(station);
    QObject::connect(&program, &Program::Ended, &app, [](int status) { QCoreApplication::exit(status); });
    program.Start();
    if (probe) {
        MainWindow* window = program.Window();
        QObject::connect(window, &MainWindow::Ready, &app, [] { QCoreApplication::exit(0); });
        // The splash ends as soon as the start-up step has read the catalog.
        const auto endSplash = [&program] {
            if (program.Splash())
                program.Splash()->CloseSplash();
        };
        QObject::connect(window, &MainWindow::Initialized, &app, endSplash);
        // The step may already have run while the splash was being painted.
        if (window->IsInitialized())
            endSplash();
    }
    const int status = app.exec();
    if (probe) {
        for (const auto& shown : MessageBox::History())
            std::fprintf(stderr, "%s: %s\n", qUtf8Printable(shown.Title), qUtf8Printable(shown.Text));
    }
    return status;
}

} // namespace kr39
