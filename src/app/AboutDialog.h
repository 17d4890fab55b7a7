#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace kr39 {

// frmAbout: title, version, description (string 1036) and the copyright text; OK, Enter and
// Escape close it.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* owner);

private:
    void Load();

    QLabel* m_picIcon = nullptr;
    QLabel* m_lblTitle = nullptr;
    QLabel* m_lblVersion = nullptr;
    QLabel* m_lblDescription = nullptr;
    QLabel* m_lblDisclaimer = nullptr;
    QPushButton* m_cmdOK = nullptr;
};

} // namespace kr39
