#include "app/Dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

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
    int PendingAnswers = 0;
    bool AutoAnswer = false;
    QList<MessageBox::Shown> History;
};

MessageBoxSeam& BoxSeam()
{
    static MessageBoxSeam seam;
    return seam;
}

} // namespace

QString FileDialog::GetOpenFileName(QWidget* parent, const QString& filter)
{
    return Answer(parent, Request {false, QString(), filter});
}

QString FileDialog::GetSaveFileName(QWidget* parent, const QString& proposedName, const QString& filter)
{
    return Answer(parent, Request {true, proposedName, filter});
}

QString FileDialog::Answer(QWidget* parent, const Request& request)
{
    auto& seam = FileSeam();
    if (!seam.PendingNames.isEmpty()) {
        seam.History.append(request);
        return seam.PendingNames.takeFirst();
    }
    if (seam.NonInteractive) {
        seam.History.append(request);
        return QString();
    }
    if (request.Save)
        return QFileDialog::getSaveFileName(parent, QString(), request.ProposedName, request.Filter);
    return QFileDialog::getOpenFileName(parent, QString(), QString(), request.Filter);
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

void MessageBox::Show(QWidget* parent, const QString& title, const QString& text, Icon icon)
{
    auto& seam = BoxSeam();
    if (seam.PendingAnswers > 0 || seam.AutoAnswer) {
        if (seam.PendingAnswers > 0)
            --seam.PendingAnswers;
        seam.History.append(Shown {title, text, icon});
        return;
    }
    QMessageBox box(parent);
    box.setWindowTitle(title);
    box.setText(text);
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
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

void MessageBox::SetNextAnswer()
{
    ++BoxSeam().PendingAnswers;
}

void MessageBox::SetAutoAnswer(bool on)
{
    BoxSeam().AutoAnswer = on;
}

const QList<MessageBox::Shown>& MessageBox::History()
{
    return BoxSeam().History;
}

void MessageBox::ClearHistory()
{
    BoxSeam().History.clear();
    BoxSeam().PendingAnswers = 0;
}

} // namespace kr39
