#pragma once

#include <QList>
#include <QString>

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
    };

    static QString GetOpenFileName(QWidget* parent, const QString& filter);
    static QString GetSaveFileName(QWidget* parent, const QString& proposedName, const QString& filter);

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

// Message boxes with an OK button. Preloaded answers and the auto-answer mode let tests see
// what would have been shown without any window appearing.
class MessageBox {
public:
    enum class Icon { None, Information, Critical };

    struct Shown {
        QString Title;
        QString Text;
        Icon Kind = Icon::None;
    };

    static void Show(QWidget* parent, const QString& title, const QString& text, Icon icon);

    // Test seam: the next box is recorded and answered with OK without being shown.
    static void SetNextAnswer();
    // Test seam: while set, every box is recorded and answered at once.
    static void SetAutoAnswer(bool on);
    static const QList<Shown>& History();
    static void ClearHistory();
};

} // namespace kr39
