#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <filesystem>

#include "catalog/Catalog.h"
#include "station/Station.h"

class QProgressBar;

namespace kr39 {

class CatalogTree;
class CommandLayer;
class FileCommands;
class SplashWindow;
class StationView;
class StatusBar;

// frmMain: the thin shell that holds the catalog, the station and the controls. The commands
// live in CommandLayer (actions, menus, toolbar, command state) and FileCommands (Open, Save,
// Save As, Generate, Help); the layout pass in MainLayout.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // Loads the window hidden: texts, icon, stored placement, and the 10 ms Init timer.
    explicit MainWindow(std::filesystem::path modulesDir, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The station being edited and what it is built from.
    kr39::Catalog m_catalog;
    kr39::Station m_station;
    std::filesystem::path m_modulesDir;

    // Redraws the station (and computes its totals); status panel 1 then reads "Status:".
    void DrawStation();
    // Save and Generate enabled by the station state, caption naming the station file.
    void UpdateCommandState();

    void mnuFileNew_Click();
    void mnuFileOpen_Click();
    void mnuFileSave_Click();
    void mnuFileSaveAs_Click();
    void mnuFileGenerate_Click();
    void mnuFileExit_Click();
    void mnuHelpContents_Click();
    void mnuHelpAbout_Click();

    // A drop from the catalog tree on slot 1..16 places the module named by the tree's DragText.
    void picVexaIO_DragDrop(int slot);
    // A double-click on the picture of slot 0..16 removes its module (slot 0: nothing).
    void picVexaIO_DblClick(int slot);

    // Reads the catalog and fills the tree; on failure shows the initialization error.
    bool LoadCatalog();

    // The splash that is still open while the window loads; closed with the window.
    void SetSplash(SplashWindow* splash);
    // True once the Init step has run and succeeded.
    bool IsInitialized() const { return m_initialized; }

    // Once the catalog could not be read the window is never shown.
    void setVisible(bool visible) override;

    // One layout pass over the current window size.
    void LayoutPass();

    CommandLayer* Commands() const { return m_commands; }
    FileCommands* Files() const { return m_files; }
    StatusBar* sbStatusBar() const { return m_statusBar; }
    CatalogTree* tvCatalog() const { return m_tvCatalog; }
    StationView* picVexaConf() const { return m_picVexaConf; }
    QProgressBar* pbStation() const { return m_pbStation; }
    QProgressBar* pbBox() const { return m_pbBox; }

signals:
    // The window has been unloaded; the program ends with this status.
    void Unloaded(int exitStatus);
    // The start-up step has read the catalog and made the first station.
    void Initialized();
    // The visible window finished its first redraw after the catalog was read.
    void Ready();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Load();
    void Init_Timer();
    void Unload(int exitStatus);
    // The New command as the user gives it: a modified station may be saved first.
    void NewCommand();

    CommandLayer* m_commands = nullptr;
    FileCommands* m_files = nullptr;
    StatusBar* m_statusBar = nullptr;
    CatalogTree* m_tvCatalog = nullptr;
    StationView* m_picVexaConf = nullptr;
    QProgressBar* m_pbStation = nullptr;
    QProgressBar* m_pbBox = nullptr;
    QTimer m_init;
    QPointer<SplashWindow> m_splash;
    int m_exitStatus = 0;
    bool m_initialized = false;
    bool m_initFailed = false;
    bool m_readyReported = false;
    bool m_inLayout = false;
};

} // namespace kr39
