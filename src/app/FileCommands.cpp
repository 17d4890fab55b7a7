#include "app/FileCommands.h"

#include <QApplication>
#include <QDate>
#include <QDesktopServices>
#include <QFile>
#include <QLocale>
#include <QProgressBar>
#include <QUrl>

#include <algorithm>

#include "app/AppIdentity.h"
#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "app/ResourceStrings.h"
#include "app/StatusBar.h"
#include "config/StationFile.h"
#include "eds/EdsGenerator.h"
#include "util/Paths.h"

namespace kr39 {

std::filesystem::path ToPath(const QString& name)
{
    const QByteArray bytes = QFile::encodeName(name);
    return std::filesystem::path(std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

QString FromPath(const std::string& nativePath)
{
    return QFile::decodeName(QByteArray::fromStdString(nativePath));
}

FileCommands::FileCommands(MainWindow& window)
    : QObject(&window)
    , m_window(window)
    , m_helpFile(HelpFileName())
    , m_programDir(ProgramDir())
{
    setObjectName(QStringLiteral("FileCommands"));
}

void FileCommands::ShowError(int stringId)
{
    MessageBox::Show(&m_window, AppTitleText(), Res(static_cast<StringId>(stringId)), MessageBox::Icon::None);
}

void FileCommands::Open()
{
    const QString name = FileDialog::GetOpenFileName(&m_window, ToQtFilter(Res(IdsConfigFilter)));
    if (name.isEmpty())
        return;

    const OpenResult result = OpenStation(m_window.m_station, m_window.m_catalog, ToPath(name));
    switch (result.Outcome) {
    case OpenOutcome::Opened:
        // The slots come back normalized, fillers included.
        m_window.UpdateCommandState();
        m_window.DrawStation();
        break;
    case OpenOutcome::LoadError:
        ShowError(IdsLoadError);
        m_window.mnuFileNew_Click();
        break;
    case OpenOutcome::PartNoNotFound:
        m_window.mnuFileNew_Click();
        m_window.UpdateCommandState();
        m_window.DrawStation();
        // Set after the last redraw, which resets the panel, so it stays until the next one.
        m_window.sbStatusBar()->SetPanelText(1, Res(IdsPartNoNotFound));
        break;
    }
}

void FileCommands::Save()
{
    Station& station = m_window.m_station;
    std::filesystem::path path;
    if (station.CurrentFile.empty()) {
        const QString name
            = FileDialog::GetSaveFileName(&m_window, QString(), ToQtFilter(Res(IdsConfigFilter)));
        if (name.isEmpty())
            return;
        path = ToPath(name);
    } else {
        path = std::filesystem::path(station.CurrentFile);
    }

    const Result<void> saved = SaveStation(station, path);
    // The station keeps the chosen name even when writing fails, so caption and Generate
    // follow it either way.
    m_window.UpdateCommandState();
    if (!saved)
        ShowError(IdsSaveError);
}

void FileCommands::SaveAs()
{
    const QString name = FileDialog::GetSaveFileName(&m_window, QString(), ToQtFilter(Res(IdsConfigFilter)));
    if (name.isEmpty())
        return;
    m_window.m_station.CurrentFile = ToPath(name).string();
    Save();
    m_window.UpdateCommandState();
}

namespace {

// Drives pbStation and pbBox from the generator's progress, repainting at once since the run
// holds the user-interface thread.
class ProgressBars : public GenerateProgress {
public:
    ProgressBars(QProgressBar* station, QProgressBar* box)
        : m_station(station)
        , m_box(box)
    {
    }
    void StationProgress(int percent) override { Set(m_station, percent); }
    void BoxProgress(int percent) override { Set(m_box, percent); }
    void Reset()
    {
        Set(m_station, 0);
        Set(m_box, 0);
    }

private:
    static void Set(QProgressBar* bar, int percent)
    {
        percent = std::clamp(percent, 0, 100);
        if (bar->value() == percent)
            return;
        bar->setValue(percent);
        if (bar->isVisible())
            bar->repaint();
    }

    QProgressBar* m_station;
    QProgressBar* m_box;
};

} // namespace

void FileCommands::Generate()
{
    const Station& station = m_window.m_station;
    ProgressBars bars(m_window.pbStation(), m_window.pbBox());

    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QString date = QLocale().toString(QDate::currentDate(), QLocale::ShortFormat);
    Result<std::string> text
        = ExpandStationEds(MakeGenerateInput(station, m_window.m_modulesDir, ToCodePage(date)), &bars);
    if (text)
        m_window.sbStatusBar()->SetPanelText(1, QStringLiteral("Status: OK"));
    bars.Reset();
    QApplication::restoreOverrideCursor();
    if (!text) {
        ShowError(IdsGenerateError);
        return;
    }

    // The station file's name without folder and extension is proposed, and fills <FILENAME>
    // in the file's own code page.
    const QString currentFile = FromPath(station.CurrentFile);
    const QString baseName = FromPath(StationBaseName(station.CurrentFile));
    const QString name = FileDialog::GetSaveFileName(&m_window, baseName, ToQtFilter(Res(IdsEdsFilter)));
    if (name.isEmpty())
        return;
    if (!FillInFileName(text.Value(), ToCodePage(currentFile)) || !WriteEdsFile(ToPath(name), text.Value()))
        ShowError(IdsGenerateError);
}

std::filesystem::path FileCommands::HelpFilePath() const
{
    return m_programDir / ToPath(m_helpFile);
}

void FileCommands::HelpContents()
{
    if (m_helpFile.isEmpty()) {
        MessageBox::Show(
            &m_window, m_window.windowTitle(), Res(IdsNoHelpFile), MessageBox::Icon::Information);
        return;
    }
    const QString path = QFile::decodeName(QByteArray::fromStdString(HelpFilePath().string()));
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
        MessageBox::Show(&m_window, AppTitleText(),
            QStringLiteral("No program could be started to show the help file %1.").arg(path),
            MessageBox::Icon::None);
    }
}

} // namespace kr39
