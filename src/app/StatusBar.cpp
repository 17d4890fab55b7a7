#include "app/StatusBar.h"

#include <QLabel>
#include <QLocale>

#include "app/AppIdentity.h"

namespace kr39 {

StatusBar::StatusBar(QWidget* parent)
    : QStatusBar(parent)
{
    setObjectName(QStringLiteral("sbStatusBar"));
    setSizeGripEnabled(true);
    constexpr std::array<int, PanelCount> widths {0, 2100, 2100, 900, 600};
    for (int i = 0; i < PanelCount; ++i) {
        auto* panel = new QLabel(this);
        panel->setObjectName(QStringLiteral("sbStatusBar_Panel%1").arg(i + 1));
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setTextFormat(Qt::PlainText);
        if (i == 0) {
            addWidget(panel, 1);
        } else {
            panel->setMinimumWidth(TwipsToPixels(widths[static_cast<std::size_t>(i)]));
            panel->setAlignment(i >= 3 ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
            addWidget(panel, 0);
        }
        m_panels[static_cast<std::size_t>(i)] = panel;
    }
    m_panels[0]->setText(QStringLiteral("Status:"));

    m_clock.setObjectName(QStringLiteral("sbStatusBarClock"));
    m_clock.setInterval(1000);
    connect(&m_clock, &QTimer::timeout, this, [this] { ShowClock(QDateTime::currentDateTime()); });
    m_clock.start();
    ShowClock(QDateTime::currentDateTime());
}

void StatusBar::SetPanelText(int panel, const QString& text, const QString& toolTip)
{
    if (QLabel* label = Panel(panel)) {
        label->setText(text);
        label->setToolTip(toolTip);
    }
}

QString StatusBar::PanelText(int panel) const
{
    const QLabel* label = Panel(panel);
    return label ? label->text() : QString();
}

QLabel* StatusBar::Panel(int panel) const
{
    if (panel < 1 || panel > PanelCount)
        return nullptr;
    return m_panels[static_cast<std::size_t>(panel - 1)];
}

void StatusBar::ShowClock(const QDateTime& now)
{
    const QLocale locale;
    const QString date = locale.toString(now.date(), QLocale::ShortFormat);
    // Hours and minutes in the locale's order; seconds are left out.
    QString timeFormat = locale.timeFormat(QLocale::ShortFormat);
    timeFormat.remove(QStringLiteral(":ss")).remove(QStringLiteral(".ss"));
    const QString time = locale.toString(now.time(), timeFormat);
    if (m_panels[3]->text() != date)
        m_panels[3]->setText(date);
    if (m_panels[4]->text() != time)
        m_panels[4]->setText(time);
}

} // namespace kr39
