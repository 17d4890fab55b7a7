#include "app/FileCommands.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QProgressBar>
#include <QStringDecoder>
#include <QStringList>
#include <QUrl>

#include <algorithm>
#include <new>

#include "app/AppIdentity.h"
#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "app/ResourceStrings.h"
#include "app/StatusBar.h"
#include "config/StationFile.h"
#include "eds/EdsCheck.h"
#include "eds/EdsGenerator.h"
#include "eds/EdsValues.h"
#include "resources/Windows1252.h"
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

QString DetailText(const Failure& failure)
{
    // File names are the platform's (UTF-8); quoted file content is Windows-1252.
    const std::string text = failure.Describe();
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString decoded = utf8(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    return utf8.hasError() ? FromCodePage(text) : decoded;
}

QString OutOfMemoryText()
{
    return UiText("There is not enough memory for this operation.",
        "Für diesen Vorgang ist nicht genug Arbeitsspeicher frei.");
}

FileCommands::FileCommands(MainWindow& window)
    : QObject(&window)
    , m_window(window)
    , m_helpFile(HelpFileName())
    , m_programDir(ProgramDir())
{
    setObjectName(QStringLiteral("FileCommands"));
}

void FileCommands::ShowError(int stringId, const QString& detail)
{
    MessageBox::Show(
        &m_window, AppTitleText(), Res(static_cast<StringId>(stringId)), MessageBox::Icon::None, detail);
}

QString FileCommands::StartFolder() const
{
    const std::string& currentFile = m_window.m_station.CurrentFile;
    if (!currentFile.empty())
        return QFileInfo(FromPath(currentFile)).absolutePath();
    return FileDialog::LastFolder();
}

bool FileCommands::MayDiscardStation()
{
    if (!m_window.m_station.Modified)
        return true;
    const MessageBox::Answer answer = MessageBox::AskSave(&m_window, AppTitleText(),
        UiText("Save changes to the station?", "Änderungen an der Station speichern?"));
    switch (answer) {
    case MessageBox::Answer::Save:
        return Save() && !m_window.m_station.Modified;
    case MessageBox::Answer::Discard:
        return true;
    default:
        return false;
    }
}

void FileCommands::Open()
{
    if (!MayDiscardStation())
        return;
    const QString name
        = FileDialog::GetOpenFileName(&m_window, ToQtFilter(Res(IdsConfigFilter)), StartFolder());
    if (!name.isEmpty())
        OpenFile(ToPath(name));
}

void FileCommands::OpenFile(const std::filesystem::path& path)
{
    OpenResult result;
    try {
        result = OpenStation(m_window.m_station, m_window.m_catalog, path);
    } catch (const std::bad_alloc&) {
        ShowError(IdsLoadError, OutOfMemoryText());
        m_window.mnuFileNew_Click();
        return;
    }
    switch (result.Outcome) {
    case OpenOutcome::Opened:
        // The slots come back normalized, fillers included.
        m_window.UpdateCommandState();
        m_window.DrawStation();
        break;
    case OpenOutcome::LoadError:
        ShowError(IdsLoadError, DetailText(result.Detail));
        m_window.mnuFileNew_Click();
        break;
    case OpenOutcome::PartNoNotFound:
        m_window.mnuFileNew_Click();
        m_window.UpdateCommandState();
        m_window.DrawStation();
        // Set after the last redraw, which resets the panel, so it stays until the next one;
        // the tooltip names the part number and the line.
        m_window.sbStatusBar()->SetPanelText(1, Res(IdsPartNoNotFound), DetailText(result.Detail));
        break;
    }
}

bool FileCommands::Save()
{
    const std::string& currentFile = m_window.m_station.CurrentFile;
    if (currentFile.empty())
        return SaveAs();
    return SaveTo(std::filesystem::path(currentFile));
}

bool FileCommands::SaveAs()
{
    const QString name
        = FileDialog::GetSaveFileName(&m_window, QString(), ToQtFilter(Res(IdsConfigFilter)), StartFolder());
    if (name.isEmpty())
        return false;
    return SaveTo(ToPath(name));
}

bool FileCommands::SaveTo(const std::filesystem::path& path)
{
    Station& station = m_window.m_station;
    // The station is named after the file only once the file is written.
    const std::string previousFile = station.CurrentFile;
    QString detail;
    bool saved = false;
    try {
        const Result<void> result = SaveStation(station, path);
        saved = result.Ok();
        if (!saved)
            detail = DetailText(result.Error());
    } catch (const std::bad_alloc&) {
        detail = OutOfMemoryText();
    }
    if (!saved)
        station.CurrentFile = previousFile;
    m_window.UpdateCommandState();
    if (!saved)
        ShowError(IdsSaveError, detail);
    return saved;
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
    try {
        GenerateEds();
    } catch (const std::bad_alloc&) {
        ShowError(IdsGenerateError, OutOfMemoryText());
    }
}

void FileCommands::GenerateEds()
{
    const Station& station = m_window.m_station;
    ProgressBars bars(m_window.pbStation(), m_window.pbBox());

    Result<std::string> text = Failure {};
    {
        // The hourglass ends with the run, however it ends; the run itself puts both progress
        // bars back to 0.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        struct RunEnd {
            ~RunEnd() { QApplication::restoreOverrideCursor(); }
        } runEnd;
        text = ExpandStationEds(MakeGenerateInput(station, m_window.m_modulesDir, TodayEdsDate()), &bars);
        if (text)
            m_window.sbStatusBar()->SetPanelText(1, QStringLiteral("Status: OK"));
    }
    if (!text) {
        ShowError(IdsGenerateError, DetailText(text.Error()));
        return;
    }

    // The station file's name without folder and extension is proposed, and fills <FILENAME>.
    const QString baseName = FromPath(StationBaseName(station.CurrentFile));
    const QString name
        = FileDialog::GetSaveFileName(&m_window, baseName, ToQtFilter(Res(IdsEdsFilter)), StartFolder());
    if (name.isEmpty())
        return;
    if (const Result<void> filled = FillInFileName(text.Value(), station.CurrentFile); !filled) {
        ShowError(IdsGenerateError, DetailText(filled.Error()));
        return;
    }
    if (const Result<void> written = WriteEdsFile(ToPath(name), text.Value()); !written) {
        ShowError(IdsGenerateError, DetailText(written.Error()));
        return;
    }
    ReportEdsCheck(name, text.Value());
}

// The new file judged by the EDS rules: warnings counted in the status bar, errors shown with
// their first lines, so that a library that makes invalid EDS files is seen at once.
void FileCommands::ReportEdsCheck(const QString& fileName, const std::string& text)
{
    const auto findings = CheckEds(text);
    const int warnings = CountFindings(findings, Severity::Warning);
    if (warnings > 0) {
        m_window.sbStatusBar()->SetPanelText(
            1, QStringLiteral("Status: OK (%1 warning%2)").arg(warnings).arg(warnings == 1 ? "" : "s"));
    }
    if (CountFindings(findings, Severity::Error) == 0)
        return;
    constexpr int shownLines = 10;
    QStringList lines;
    const std::string file = ToPath(fileName).filename().string();
    for (const auto& finding : findings) {
        if (finding.Level == Severity::Error && lines.size() < shownLines)
            lines << DecodeWindows1252(FormatFinding(file, finding));
    }
    MessageBox::Show(&m_window, AppTitleText(),
        QStringLiteral("The EDS file was written, but it breaks the EDS rules:\n\n")
            + lines.join(QLatin1Char('\n')),
        MessageBox::Icon::Critical);
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
    const QString path = FromPath(HelpFilePath().string());
    // A viewer started for a file that is not there often shows nothing at all.
    if (!QFileInfo(path).isFile()) {
        MessageBox::Show(&m_window, AppTitleText(),
            UiText("The help file %1 could not be found.", "Die Hilfedatei %1 wurde nicht gefunden.")
                .arg(path),
            MessageBox::Icon::None);
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
        MessageBox::Show(&m_window, AppTitleText(),
            UiText("No program could be started to show the help file %1.",
                "Es konnte kein Programm gestartet werden, das die Hilfedatei %1 anzeigt.")
                .arg(path),
            MessageBox::Icon::None);
    }
}

} // namespace kr39
