#include "app/Dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>

#include "app/ResourceStrings.h"

namespace kr39 {

namespace {

struct FileDialogSeam {
    QList<QString> PendingNames;
    bool NonInteractive = false;
    QList<FileDialog::Request> History;
};

FileDialogSeam& FileSeam()
{
    static FileDialogSeam seam;
    return seam;
}

struct MessageBoxSeam {
    QList<MessageBox::Answer> PendingAnswers;
    bool AutoAnswer = false;
    std::function<void(const MessageBox::Shown&)> OnShown;
    QList<MessageBox::Shown> History;
};

MessageBoxSeam& BoxSeam()
{
    static MessageBoxSeam seam;
    return seam;
}

// The last folder lives in the settings store beside the window placement.
constexpr char kLastFolderKey[] = "Settings/LastFolder";

QVariant StoredLastFolder()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("KR39"), AppTitleText())
        .value(QLatin1String(kLastFolderKey));
}

void RememberFolder(const QString& fileName)
{
    if (fileName.isEmpty())
        return;
    QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("KR39"), AppTitleText())
        .setValue(QLatin1String(kLastFolderKey), QFileInfo(fileName).absolutePath());
}

// The extension of the first pattern of a Qt filter ("EDS files (*.EDS)" gives "EDS").
QString FilterExtension(const QString& filter)
{
    static const QRegularExpression pattern(QStringLiteral("\\*\\.([^\\s*?;)]+)"));
    const qsizetype open = filter.indexOf(QLatin1Char('('));
    const QRegularExpressionMatch match = pattern.match(filter, open < 0 ? 0 : open);
    return match.hasMatch() ? match.captured(1) : QString();
}

QString FirstFilter(const QString& filters)
{
    return filters.section(QStringLiteral(";;"), 0, 0);
}

} // namespace

QString WithFilterExtension(const QString& name, const QString& selectedFilter)
{
    if (name.isEmpty())
        return name;
    const QString extension = FilterExtension(selectedFilter);
    const QString fileName = name.section(QLatin1Char('/'), -1);
    if (extension.isEmpty() || fileName.isEmpty() || fileName.contains(QLatin1Char('.')))
        return name;
    return name + QLatin1Char('.') + extension;
}

QString FileDialog::GetOpenFileName(QWidget* parent, const QString& filter, const QString& folder)
{
    return Answer(parent, Request {false, QString(), filter, folder});
}

QString FileDialog::GetSaveFileName(
    QWidget* parent, const QString& proposedName, const QString& filter, const QString& folder)
{
    return Answer(parent, Request {true, proposedName, filter, folder});
}

QString FileDialog::LastFolder()
{
    const QString stored = StoredLastFolder().toString();
    return !stored.isEmpty() && QFileInfo(stored).isDir() ? stored : QDir::homePath();
}

QString FileDialog::Answer(QWidget* parent, const Request& request)
{
    auto& seam = FileSeam();
    QString name;
    if (!seam.PendingNames.isEmpty() || seam.NonInteractive) {
        seam.History.append(request);
        if (seam.PendingNames.isEmpty())
            return QString();
        name = seam.PendingNames.takeFirst();
        if (request.Save)
            name = WithFilterExtension(name, FirstFilter(request.Filter));
    } else if (request.Save) {
        QFileDialog dialog(parent);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilter(request.Filter);
        dialog.setDirectory(request.Folder);
        dialog.selectFile(request.ProposedName);
        // The dialog itself adds the extension, so that its overwrite question sees the name
        // that will be written.
        dialog.setDefaultSuffix(FilterExtension(FirstFilter(request.Filter)));
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
            [&dialog](const QString& filter) { dialog.setDefaultSuffix(FilterExtension(filter)); });
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        name = WithFilterExtension(dialog.selectedFiles().constFirst(), dialog.selectedNameFilter());
    } else {
        name = QFileDialog::getOpenFileName(parent, QString(), request.Folder, request.Filter);
    }
    RememberFolder(name);
    return name;
}

void FileDialog::SetNextFileName(const QString& name)
{
    FileSeam().PendingNames.append(name);
}

void FileDialog::SetNonInteractive(bool on)
{
    FileSeam().NonInteractive = on;
}

const QList<FileDialog::Request>& FileDialog::History()
{
    return FileSeam().History;
}

void FileDialog::ClearHistory()
{
    FileSeam().History.clear();
    FileSeam().PendingNames.clear();
}

bool MessageBox::Answered(const Shown& shown, Answer& answer)
{
    auto& seam = BoxSeam();
    if (seam.PendingAnswers.isEmpty() && !seam.AutoAnswer)
        return false;
    if (seam.OnShown)
        seam.OnShown(shown);
    seam.History.append(shown);
    if (!seam.PendingAnswers.isEmpty())
        answer = seam.PendingAnswers.takeFirst();
    return true;
}

void MessageBox::Show(
    QWidget* parent, const QString& title, const QString& text, Icon icon, const QString& detail)
{
    Answer answer = Answer::Ok;
    if (Answered(Shown {title, text, icon, detail}, answer))
        return;
    QMessageBox box(parent);
    box.setWindowTitle(title);
    box.setText(text);
    box.setInformativeText(detail);
    switch (icon) {
    case Icon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Icon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

MessageBox::Answer MessageBox::AskSave(QWidget* parent, const QString& title, const QString& text)
{
    Answer answer = Answer::Cancel;
    if (Answered(Shown {title, text, Icon::Question, QString()}, answer))
        return answer;
    QMessageBox box(parent);
    box.setWindowTitle(title);
    box.setText(text);
    box.setIcon(QMessageBox::Question);
    box.setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Save:
        return Answer::Save;
    case QMessageBox::Discard:
        return Answer::Discard;
    default:
        return Answer::Cancel;
    }
}

void MessageBox::SetNextAnswer(Answer answer)
{
    BoxSeam().PendingAnswers.append(answer);
}

void MessageBox::SetAutoAnswer(bool on)
{
    BoxSeam().AutoAnswer = on;
}

void MessageBox::SetOnShown(std::function<void(const Shown&)> hook)
{
    BoxSeam().OnShown = std::move(hook);
}

const QList<MessageBox::Shown>& MessageBox::History()
{
    return BoxSeam().History;
}

void MessageBox::ClearHistory()
{
    BoxSeam().History.clear();
    BoxSeam().PendingAnswers.clear();
    BoxSeam().OnShown = nullptr;
}

} // namespace kr39
