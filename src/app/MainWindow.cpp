#include "app/MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QToolBar>

#include <exception>
#include <new>

#include "app/AboutDialog.h"
#include "app/AppIdentity.h"
#include "app/CommandLayer.h"
#include "app/Dialogs.h"
#include "app/FileCommands.h"
#include "app/Logo.h"
#include "app/MainLayout.h"
#include "app/ResourceStrings.h"
#include "app/SplashWindow.h"
#include "app/StatusBar.h"
#include "app/WindowPlacement.h"
#include "catalog/CatalogTree.h"
#include "station/StationView.h"

namespace kr39 {

namespace {

QProgressBar* MakeProgressBar(QWidget* parent, const char* name)
{
    auto* bar = new QProgressBar(parent);
    bar->setObjectName(QLatin1String(name));
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    bar->resize(TwipsToPixels(ProgressWidth), TwipsToPixels(ProgressHeight));
    return bar;
}

// Runs a command; a failure that escapes it ends the command silently.
template <class Handler> void RunCommand(MainWindow* window, Handler handler)
{
    try {
        (window->*handler)();
    } catch (const std::exception&) {
    }
}

} // namespace

MainWindow::MainWindow(std::filesystem::path modulesDir, QWidget* parent)
    : QMainWindow(parent)
    , m_modulesDir(std::move(modulesDir))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(AppTitleText());

    m_commands = new CommandLayer(this);
    m_files = new FileCommands(*this);
    m_statusBar = new StatusBar(this);
    setStatusBar(m_statusBar);

    m_tvCatalog = new CatalogTree(this);

    // The station view in the work area: 8775 x 9255 twips.
    m_picVexaConf = new StationView(this);
    m_picVexaConf->setGeometry(0, 0, TwipsToPixels(StationViewWidth), TwipsToPixels(StationViewHeight));
    // Failures inside a drop or a removal end that step silently, like a command's.
    connect(m_picVexaConf, &StationView::SlotDropped, this, [this](int slot) {
        try {
            picVexaIO_DragDrop(slot);
        } catch (const std::exception&) {
        }
    });
    connect(m_picVexaConf, &StationView::SlotDoubleClicked, this, [this](int slot) {
        try {
            picVexaIO_DblClick(slot);
        } catch (const std::exception&) {
        }
    });

    m_pbStation = MakeProgressBar(this, "pbStation");
    m_pbBox = MakeProgressBar(this, "pbBox");
    // The progress bars keep clear of the date and time panels whenever those move.
    m_statusBar->Panel(4)->installEventFilter(this);
    m_statusBar->Panel(5)->installEventFilter(this);

    const CommandLayer& c = *m_commands;
    connect(c.mnuFileNew, &QAction::triggered, this, [this] { RunCommand(this, &MainWindow::NewCommand); });
    connect(c.mnuFileOpen, &QAction::triggered, this,
        [this] { RunCommand(this, &MainWindow::mnuFileOpen_Click); });
    connect(c.mnuFileSave, &QAction::triggered, this,
        [this] { RunCommand(this, &MainWindow::mnuFileSave_Click); });
    connect(c.mnuFileSaveAs, &QAction::triggered, this,
        [this] { RunCommand(this, &MainWindow::mnuFileSaveAs_Click); });
    connect(c.mnuFileGenerate, &QAction::triggered, this,
        [this] { RunCommand(this, &MainWindow::mnuFileGenerate_Click); });
    connect(c.mnuFileExit, &QAction::triggered, this,
        [this] { RunCommand(this, &MainWindow::mnuFileExit_Click); });
    connect(c.mnuHelpContents, &QAction::triggered, this,
        [this] { RunCommand(this, &MainWindow::mnuHelpContents_Click); });
    connect(c.mnuHelpAbout, &QAction::triggered, this,
        [this] { RunCommand(this, &MainWindow::mnuHelpAbout_Click); });

    m_init.setObjectName(QStringLiteral("Init"));
    m_init.setInterval(10);
    connect(&m_init, &QTimer::timeout, this, &MainWindow::Init_Timer);

    Load();
}

MainWindow::~MainWindow() = default;

void MainWindow::Load()
{
    ApplyResourceStrings(this);
    setWindowIcon(AppIcon());
    RestoreWindowPlacement(this);
    m_init.start();
}

void MainWindow::Init_Timer()
{
    m_init.stop();
    if (LoadCatalog()) {
        m_initialized = true;
        mnuFileNew_Click();
        if (isVisible())
            update();
        emit Initialized();
    } else {
        Unload(1);
    }
}

bool MainWindow::LoadCatalog()
{
    QString detail;
    try {
        Result<Catalog> loaded = kr39::LoadCatalog(m_modulesDir);
        if (loaded) {
            m_catalog = std::move(loaded.Value());
            m_tvCatalog->Fill(m_catalog);
            return true;
        }
        detail = DetailText(loaded.Error());
    } catch (const std::bad_alloc&) {
        detail = OutOfMemoryText();
    }
    // The splash may end while the message is open; the window stays hidden all the same.
    m_initFailed = true;
    MessageBox::Show(isVisible() ? this : nullptr, Res(IdsErrorTitle), Res(IdsInitializationError),
        MessageBox::Icon::Critical, detail);
    return false;
}

void MainWindow::setVisible(bool visible)
{
    if (visible && m_initFailed)
        return;
    QMainWindow::setVisible(visible);
}

void MainWindow::SetSplash(SplashWindow* splash)
{
    m_splash = splash;
}

void MainWindow::Unload(int exitStatus)
{
    m_exitStatus = exitStatus;
    close();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // A modified station is saved or given up first; Cancel keeps the window open.
    if (!m_files->MayDiscardStation()) {
        event->ignore();
        return;
    }
    if (m_splash)
        m_splash->close();
    SaveWindowPlacement(this);
    event->accept();
    m_init.stop();
    emit Unloaded(m_exitStatus);
}

void MainWindow::DrawStation()
{
    m_picVexaConf->DrawStation(m_station, m_modulesDir);
    m_statusBar->SetPanelText(1, QStringLiteral("Status:"));
}

void MainWindow::UpdateCommandState()
{
    m_commands->UpdateCommandState(m_station.Modified, FromPath(m_station.CurrentFile));
}

void MainWindow::mnuFileNew_Click()
{
    NewStation(m_station, m_catalog);
    UpdateCommandState();
    DrawStation();
}

void MainWindow::NewCommand()
{
    if (m_files->MayDiscardStation())
        mnuFileNew_Click();
}

void MainWindow::mnuFileOpen_Click()
{
    m_files->Open();
}

void MainWindow::mnuFileSave_Click()
{
    m_files->Save();
}

void MainWindow::mnuFileSaveAs_Click()
{
    m_files->SaveAs();
}

void MainWindow::mnuFileGenerate_Click()
{
    m_files->Generate();
}

void MainWindow::mnuFileExit_Click()
{
    close();
}

void MainWindow::mnuHelpContents_Click()
{
    m_files->HelpContents();
}

void MainWindow::mnuHelpAbout_Click()
{
    AboutDialog about(this);
    about.exec();
}

void MainWindow::picVexaIO_DragDrop(int slot)
{
    // The drop takes the bytes of the pressed node; the station rules place the module (or
    // find nothing to place) and normalize the slots.
    const DropResult result = DropModule(m_station, m_catalog, slot, m_tvCatalog->DragTextBytes());
    if (result.Outcome == DropOutcome::Nothing)
        return;
    DrawStation();
    UpdateCommandState();
}

void MainWindow::picVexaIO_DblClick(int slot)
{
    if (!RemoveModule(m_station, slot))
        return;
    DrawStation();
    UpdateCommandState();
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    LayoutPass();
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // The first showing lays the window out with the bar heights it really has.
    LayoutPass();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Move || event->type() == QEvent::Resize)
        LayoutPass();
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::LayoutPass()
{
    if (isMinimized() || m_inLayout)
        return;
    // The pass may resize the window; the nested pass that follows lays it out completely.
    struct Guard {
        bool& Flag;
        ~Guard() { Flag = false; }
    } guard {m_inLayout};
    m_inLayout = true;

    const int menuHeight = menuWidget() && !menuWidget()->isHidden() ? menuWidget()->height() : 0;
    const int toolBarHeight = m_commands->tbToolBar->isHidden() ? 0 : m_commands->tbToolBar->height();
    const int statusHeight = m_statusBar->isHidden() ? 0 : m_statusBar->height();

    // The minimum size: 13635 twips wide, toolbar + work area + status bar high.
    const QSize minimum(TwipsToPixels(MinimumWindowWidth),
        menuHeight + toolBarHeight + statusHeight + TwipsToPixels(MinimumClientHeight(0, 0)));
    if (minimumSize() != minimum)
        setMinimumSize(minimum);
    if (width() < minimum.width() || height() < minimum.height()) {
        // A size forced on the window from outside (the minimum above normally prevents it): it
        // grows back once the layouts busy with the small size have finished, since a resize in
        // the middle of them leaves the status bar laid out for the small size. The pass that
        // follows the resize lays the window out.
        QTimer::singleShot(0, this, [this] { resize(size().expandedTo(minimumSize())); });
        return;
    }

    MainLayoutInput input;
    input.ClientWidth = width() * TwipsPerPixel;
    input.ClientHeight = (height() - menuHeight) * TwipsPerPixel;
    input.ToolBarHeight = toolBarHeight * TwipsPerPixel;
    input.StatusBarHeight = statusHeight * TwipsPerPixel;
    // Panels 4 and 5 as the room they take in the bar, with the spacing before panel 5 and the
    // size grip after it, so that the progress bars stay clear of the date and time.
    const QLabel* panel4 = m_statusBar->Panel(4);
    const QLabel* panel5 = m_statusBar->Panel(5);
    const int panel4Left = panel4->mapTo(m_statusBar, QPoint(0, 0)).x();
    const int panel5Left = panel5->mapTo(m_statusBar, QPoint(0, 0)).x();
    const bool placed = panel4Left > 0 && panel5Left > panel4Left;
    input.Panel4Width = (placed ? panel5Left - panel4Left : panel4->width()) * TwipsPerPixel;
    input.Panel5Width = (placed ? m_statusBar->width() - panel5Left : panel5->width()) * TwipsPerPixel;
    const auto layout = ComputeMainLayout(input);
    if (!layout)
        return;

    const auto place = [menuHeight](QWidget* widget, const TwipsRect& rect) {
        widget->setGeometry(TwipsToPixels(rect.Left), menuHeight + TwipsToPixels(rect.Top),
            TwipsToPixels(rect.Width), TwipsToPixels(rect.Height));
    };
    place(m_tvCatalog, layout->Catalog);
    place(m_picVexaConf, layout->Station);
    place(m_pbBox, layout->BoxProgress);
    place(m_pbStation, layout->StationProgress);
    m_pbBox->raise();
    m_pbStation->raise();
}

void MainWindow::paintEvent(QPaintEvent* event)
{
    QMainWindow::paintEvent(event);
    if (m_initialized && !m_readyReported && isVisible()) {
        m_readyReported = true;
        emit Ready();
    }
}

} // namespace kr39
