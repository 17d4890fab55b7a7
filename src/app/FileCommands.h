#pragma once

#include <QObject>
#include <QString>

#include <filesystem>
#include <string>

#include "util/Result.h"

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
    // Save and Save As report whether the station was written; a failed or cancelled save
    // leaves the station's file name as it was.
    bool Save();
    bool SaveAs();
    void Generate();
    void HelpContents();

    // Before a command replaces or closes a modified station: asks whether to save it first.
    // True when the command may go on (saved, discarded, or nothing to save).
    bool MayDiscardStation();

    // Where Open, Save As and Generate start: the station file's folder, else the last one used.
    QString StartFolder() const;

    // The help file and the folder it is looked for in (the program folder).
    void SetHelpFile(const QString& fileName) { m_helpFile = fileName; }
    void SetProgramDir(const std::filesystem::path& dir) { m_programDir = dir; }
    std::filesystem::path HelpFilePath() const;

private:
    void ShowError(int stringId, const QString& detail);
    bool SaveTo(const std::filesystem::path& path);
    void GenerateEds();
    void ReportEdsCheck(const QString& fileName, const std::string& text);

    MainWindow& m_window;
    QString m_helpFile;
    std::filesystem::path m_programDir;
};

// The where and what of a failure as the informative text of a message box.
QString DetailText(const Failure& failure);
// The informative text when an operation runs out of memory.
QString OutOfMemoryText();

// A path chosen in a dialog as the core takes it, and back.
std::filesystem::path ToPath(const QString& name);
QString FromPath(const std::string& nativePath);

} // namespace kr39
