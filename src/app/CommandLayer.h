#pragma once

#include <QObject>
#include <QString>

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;
class QToolButton;

namespace kr39 {

// The main window's commands: the actions, built once and shared by the menu bar and the
// toolbar tbToolBar. The designs carry string IDs as placeholders; ApplyResourceStrings
// replaces them.
class CommandLayer : public QObject {
    Q_OBJECT
public:
    explicit CommandLayer(QMainWindow* window);

    QAction* mnuFileNew = nullptr;
    QAction* mnuFileOpen = nullptr;
    QAction* mnuFileSave = nullptr;
    QAction* mnuFileSaveAs = nullptr;
    QAction* mnuFileGenerate = nullptr;
    QAction* mnuFileExit = nullptr;
    QAction* mnuHelpContents = nullptr;
    QAction* mnuHelpAbout = nullptr;
    QMenu* mnuFile = nullptr;
    QMenu* mnuHelp = nullptr;
    QToolBar* tbToolBar = nullptr;

    // Toolbar button by its 1-based index (4 is the separator).
    QWidget* ToolbarButton(int index) const;
    // The window caption and the enabled state of every command for a station state: Save
    // (menu and button 3) only while modified, Generate (menu and button 5) only while the
    // station has a file name; nothing else is ever disabled.
    void UpdateCommandState(bool modified, const QString& currentFile);
    QString Caption(const QString& currentFile) const;

private:
    void BuildMenus();
    void BuildToolbar();

    QMainWindow* m_window;
};

} // namespace kr39
