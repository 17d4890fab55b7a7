#pragma once

#include <QObject>
#include <QString>

#include <filesystem>

namespace kr39 {

class MainWindow;

// The window side of the File and Help commands: dialogs, message boxes, status texts and the
// order of redraw and command state around the core operations.
class FileCommands : public QObject {
    Q_OBJECT
public:
    explicit FileCommands(MainWindow& window);

    void Open();
    // Open without the dialog: the station file `path`, with Open's messages on failure.
    void OpenFile(const std::filesystem::path& path);
    void Save();
    void SaveAs();
    void Generate();
    void HelpContents();

    // The help file and the folder it is looked for in (the program folder).
    void SetHelpFile(const QString& fileName) { m_helpFile = fileName; }
    void SetProgramDir(const std::filesystem::path& dir) { m_programDir = dir; }
    std::filesystem::path HelpFilePath() const;

private:
    void ShowError(int stringId);

    MainWindow& m_window;
    QString m_helpFile;
    std::filesystem::path m_programDir;
};

// A path chosen in a dialog as the core takes it, and back.
std::filesystem::path ToPath(const QString& name);
QString FromPath(const std::string& nativePath);

} // namespace kr39
