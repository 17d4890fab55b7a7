#pragma once

#include <QList>
#include <QString>

#include <functional>

class QWidget;

namespace kr39 {

// File dialogs of the main window. A name preloaded with SetNextFileName is returned by the
// next dialog without showing anything, so tests never block. An empty name means "cancelled".
class FileDialog {
public:
    struct Request {
        bool Save = false;
        QString ProposedName;
        QString Filter; // Qt's filter form
        QString Folder; // where the dialog starts
    };

    // Open and save dialogs starting in `folder`. A name typed without an extension gets the
    // one of the chosen file type (".CSE" for "Configuration files (*.CSE)"), as in the
    // platform's dialogs on Windows; "All files" adds none. The chosen folder is remembered.
    static QString GetOpenFileName(QWidget* parent, const QString& filter, const QString& folder);
    static QString GetSaveFileName(
        QWidget* parent, const QString& proposedName, const QString& filter, const QString& folder);

    // The folder the last dialog was answered in, kept in the settings store; the home folder
    // before any.
    static QString LastFolder();

    // Test seam: the answer of the next dialog (empty = cancelled).
    static void SetNextFileName(const QString& name);
    // Test seam: while set, a dialog without a preloaded answer returns "cancelled" at once.
    static void SetNonInteractive(bool on);
    // Test seam: the requests that were answered, oldest first.
    static const QList<Request>& History();
    static void ClearHistory();

private:
    static QString Answer(QWidget* parent, const Request& request);
};

// `name` with the extension of the filter's first pattern ("*.EDS") appended when the file
// name after the last separator has no dot; unchanged for "*.*", "*" or an empty name.
QString WithFilterExtension(const QString& name, const QString& selectedFilter);

// Message boxes. Preloaded answers and the auto-answer mode let tests see what would have been
// shown without any window appearing.
class MessageBox {
public:
    enum class Icon { None, Information, Critical, Question };
    enum class Answer { Ok, Save, Discard, Cancel };

    struct Shown {
        QString Title;
        QString Text;
        Icon Kind = Icon::None;
        QString Detail; // the informative text below the message
    };

    // A box with an OK button; `detail` goes below the text when it is not empty.
    static void Show(QWidget* parent, const QString& title, const QString& text, Icon icon,
        const QString& detail = QString());
    // A question with Save, Discard and Cancel (Escape and the close button cancel).
    static Answer AskSave(QWidget* parent, const QString& title, const QString& text);

    // Test seam: the next box is recorded and answered with `answer` without being shown.
    static void SetNextAnswer(Answer answer = Answer::Ok);
    // Test seam: while set, every box is recorded and answered at once (a question: Cancel).
    static void SetAutoAnswer(bool on);
    // Test seam: called with each box that the seam answers, before it answers.
    static void SetOnShown(std::function<void(const Shown&)> hook);
    static const QList<Shown>& History();
    static void ClearHistory();

private:
    static bool Answered(const Shown& shown, Answer& answer);
};

} // namespace kr39
