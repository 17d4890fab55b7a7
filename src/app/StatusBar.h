#pragma once

#include <QDateTime>
#include <QStatusBar>
#include <QTimer>

#include <array>

class QLabel;

namespace kr39 {

// sbStatusBar: five panels. Panel 1 holds the status text and takes the width left over;
// panels 2 and 3 are empty (2100 twips); panel 4 shows the date (900), panel 5 the time (600),
// both kept current.
class StatusBar : public QStatusBar {
    Q_OBJECT
public:
    static constexpr int PanelCount = 5;

    explicit StatusBar(QWidget* parent = nullptr);

    // Panels are numbered 1 to 5. The tooltip (none when empty) goes with the text.
    void SetPanelText(int panel, const QString& text, const QString& toolTip = QString());
    QString PanelText(int panel) const;
    QLabel* Panel(int panel) const;

    // Shows the date and time of `now` in the locale's short formats.
    void ShowClock(const QDateTime& now);

private:
    std::array<QLabel*, PanelCount> m_panels {};
    QTimer m_clock;
};

} // namespace kr39
