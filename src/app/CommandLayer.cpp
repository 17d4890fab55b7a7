#include "app/CommandLayer.h"

#include <QAction>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

#include "app/AppIdentity.h"
#include "app/Logo.h"
#include "app/ResourceStrings.h"

namespace kr39 {

namespace {

QAction* MakeAction(QObject* parent, const char* name, const char* textId, const char* tooltipId = nullptr)
{
    auto* action = new QAction(QLatin1String(textId), parent);
    action->setObjectName(QLatin1String(name));
    if (tooltipId)
        action->setToolTip(QLatin1String(tooltipId));
    action->setMenuRole(QAction::NoRole);
    return action;
}

QAction* AddSeparator(QMenu* menu, const char* name)
{
    QAction* separator = menu->addSeparator();
    separator->setObjectName(QLatin1String(name));
    return separator;
}

} // namespace

CommandLayer::CommandLayer(QMainWindow* window)
    : QObject(window)
    , m_window(window)
{
    setObjectName(QStringLiteral("CommandLayer"));
    mnuFileNew = MakeAction(window, "mnuFileNew", "1001", "1013");
    mnuFileOpen = MakeAction(window, "mnuFileOpen", "1002", "1014");
    mnuFileSave = MakeAction(window, "mnuFileSave", "1004", "1015");
    mnuFileSaveAs = MakeAction(window, "mnuFileSaveAs", "1005");
    mnuFileGenerate = MakeAction(window, "mnuFileGenerate", "1006", "1006");
    mnuFileExit = MakeAction(window, "mnuFileExit", "1009");
    mnuHelpContents = MakeAction(window, "mnuHelpContents", "1011");
    mnuHelpAbout = MakeAction(window, "mnuHelpAbout", "1012");
    // The usual keys of the File commands and of Help.
    mnuFileNew->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    mnuFileOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuFileSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuFileSaveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    mnuHelpContents->setShortcut(QKeySequence(Qt::Key_F1));
    BuildMenus();
    BuildToolbar();
}

void CommandLayer::BuildMenus()
{
    QMenuBar* bar = m_window->menuBar();
    bar->setObjectName(QStringLiteral("mnuMenuBar"));
    bar->setNativeMenuBar(false);

    mnuFile = bar->addMenu(QStringLiteral("1000"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuFile->addAction(mnuFileNew);
    mnuFile->addAction(mnuFileOpen);
    AddSeparator(mnuFile, "mnuFileBar0");
    mnuFile->addAction(mnuFileSave);
    mnuFile->addAction(mnuFileSaveAs);
    AddSeparator(mnuFile, "mnuFileBar1");
    mnuFile->addAction(mnuFileGenerate);
    AddSeparator(mnuFile, "mnuFileBar3");
    // There is no recent-files list: its entries and their separator stay hidden.
    for (int i = 1; i <= 3; ++i) {
        QAction* recent = mnuFile->addAction(QString());
        recent->setObjectName(QStringLiteral("mnuFileMRU_%1").arg(i));
        recent->setVisible(false);
    }
    AddSeparator(mnuFile, "mnuFileBar4")->setVisible(false);
    mnuFile->addAction(mnuFileExit);

    mnuHelp = bar->addMenu(QStringLiteral("1010"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuHelp->addAction(mnuHelpContents);
    AddSeparator(mnuHelp, "mnuHelpBar0");
    mnuHelp->addAction(mnuHelpAbout);
}

void CommandLayer::BuildToolbar()
{
    tbToolBar = new QToolBar(m_window);
    tbToolBar->setObjectName(QStringLiteral("tbToolBar"));
    tbToolBar->setMovable(false);
    tbToolBar->setFloatable(false);
    tbToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    tbToolBar->setIconSize(QSize(16, 16));
    tbToolBar->toggleViewAction()->setVisible(false);
    tbToolBar->setContextMenuPolicy(Qt::PreventContextMenu);
    // 420 twips high, as designed.
    tbToolBar->setFixedHeight(TwipsToPixels(420));
    m_window->addToolBar(Qt::TopToolBarArea, tbToolBar);

    struct Button {
        QAction* Action;
        const char* Key;
        const char* ImageKey;
    };
    const Button buttons[] = {
        {mnuFileNew, "Neu", "New"},
        {mnuFileOpen,
            "\xC3\x96"
            "ffnen",
            "Open"},
        {mnuFileSave, "Speichern", "Save"},
        {nullptr, "", ""},
        {mnuFileGenerate, "Generieren", "Crdfle13"},
    };
    int index = 0;
    for (const Button& button : buttons) {
        ++index;
        QAction* action = button.Action;
        if (!action) {
            action = tbToolBar->addSeparator();
        } else {
            action->setIcon(ToolbarImage(QLatin1String(button.ImageKey)));
            tbToolBar->addAction(action);
        }
        QWidget* widget = tbToolBar->widgetForAction(action);
        if (widget) {
            widget->setObjectName(QStringLiteral("tbToolBar_%1").arg(index));
            widget->setProperty("Key", QString::fromUtf8(button.Key));
            widget->setProperty("ImageKey", QLatin1String(button.ImageKey));
        }
    }
}

QWidget* CommandLayer::ToolbarButton(int index) const
{
    return tbToolBar->findChild<QWidget*>(QStringLiteral("tbToolBar_%1").arg(index));
}

QString CommandLayer::Caption(const QString& currentFile) const
{
    return AppTitleText() + QStringLiteral(" - ") + (currentFile.isEmpty() ? Res(IdsUnknown) : currentFile);
}

void CommandLayer::UpdateCommandState(bool modified, const QString& currentFile)
{
    // The toolbar buttons 3 and 5 are the same actions as the menu entries.
    mnuFileSave->setEnabled(modified);
    mnuFileGenerate->setEnabled(!currentFile.isEmpty());
    m_window->setWindowTitle(Caption(currentFile));
}

} // namespace kr39
