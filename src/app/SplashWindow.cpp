#include "app/SplashWindow.h"

#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include "app/AppIdentity.h"
#include "app/Logo.h"
#include "app/ResourceStrings.h"

namespace kr39 {

namespace {

QFont ArialFont(double points, bool bold = false, bool italic = false)
{
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

} // namespace

void LogoImage::paintEvent(QPaintEvent*)
{
    // Drawn at the first paint, which runs while the start-up step waits for its timer.
    if (m_picture.size() != size())
        m_picture = PaintLogo(size());
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_picture);
}

SplashWindow::SplashWindow(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::StrongFocus);
    // Client area 7920 x 4800 twips, light grey.
    setFixedSize(TwipsToPixels(7920), TwipsToPixels(4800));
    setAutoFillBackground(true);
    QPalette grey = palette();
    grey.setColor(QPalette::Window, QColor(224, 224, 224));
    setPalette(grey);

    m_frame = new QFrame(this);
    m_frame->setObjectName(QStringLiteral("Frame1"));
    m_frame->setFrameShape(QFrame::Box);
    m_frame->setFrameShadow(QFrame::Sunken);
    m_frame->setGeometry(0, 0, TwipsToPixels(7920), TwipsToPixels(4770));

    m_logo = new LogoImage(m_frame);
    m_logo->setObjectName(QStringLiteral("imgLogo"));
    m_logo->setGeometry(TwipsToPixels(120), TwipsToPixels(120), TwipsToPixels(7680), TwipsToPixels(4530));

    const int right = TwipsToPixels(7680);
    AddLabel("lblCompanyProduct", 24, 18, right - 40, 40, ArialFont(18, true, true));
    AddLabel(
        "lblPlatform", 250, 96, right - 266, 30, ArialFont(15.75, true), Qt::AlignRight | Qt::AlignVCenter);
    AddLabel("lblVersion", 250, 128, right - 266, 24, ArialFont(12, true), Qt::AlignRight | Qt::AlignVCenter);
    AddLabel("lblWarning", 250, 160, right - 266, 18, ArialFont(8.25), Qt::AlignRight | Qt::AlignVCenter);
    AddLabel("lblTrademark", 24, 236, right - 40, 16, ArialFont(8.25));
    AddLabel("lblCompany", 24, 254, right - 40, 16, ArialFont(8.25));
    m_copyright = AddLabel("lblCopyright", 24, 272, right - 40, 16, ArialFont(8.25));

    QPalette red = findChild<QLabel*>(QStringLiteral("lblCompanyProduct"))->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    findChild<QLabel*>(QStringLiteral("lblCompanyProduct"))->setPalette(red);

    m_timer1.setObjectName(QStringLiteral("Timer1"));
    m_timer1.setSingleShot(true);
    m_timer1.setInterval(DisplayMilliseconds);
    connect(&m_timer1, &QTimer::timeout, this, &SplashWindow::CloseSplash);

    m_frame->installEventFilter(this);
    for (QLabel* label : m_frame->findChildren<QLabel*>())
        label->installEventFilter(this);
}

QLabel* SplashWindow::AddLabel(
    const char* name, int x, int y, int width, int height, const QFont& font, Qt::Alignment alignment)
{
    auto* label = new QLabel(m_logo);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(x, y, width, height);
    label->setFont(font);
    label->setAlignment(alignment);
    return label;
}

void SplashWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_loaded) {
        m_loaded = true;
        Load();
    }
}

void SplashWindow::Load()
{
    findChild<QLabel*>(QStringLiteral("lblVersion"))->setText(VersionText());
    findChild<QLabel*>(QStringLiteral("lblCompanyProduct"))->setText(AppTitleText());
    findChild<QLabel*>(QStringLiteral("lblPlatform"))->setText(QStringLiteral("Win 2000 / Win XP"));
    m_copyright->setText(LegalCopyright());
    findChild<QLabel*>(QStringLiteral("lblCompany"))->setText(CompanyName());
    findChild<QLabel*>(QStringLiteral("lblTrademark"))->setText(LegalTrademarks());
    findChild<QLabel*>(QStringLiteral("lblWarning"))->setText(QStringLiteral("KR39 DeviceNet use only"));

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    activateWindow();
    setFocus();
    m_timer1.start();
}

void SplashWindow::CloseSplash()
{
    if (m_ended)
        return;
    m_ended = true;
    m_timer1.stop();
    emit Finished();
    close();
}

bool SplashWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease
        || event->type() == QEvent::MouseButtonDblClick) {
        // The copyright label takes the click and does nothing with it.
        if (watched == m_copyright)
            return true;
        if (event->type() == QEvent::MouseButtonRelease) {
            auto* widget = static_cast<QWidget*>(watched);
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (widget->rect().contains(mouse->position().toPoint())) {
                CloseSplash();
                return true;
            }
        }
        return false;
    }
    return QWidget::eventFilter(watched, event);
}

void SplashWindow::keyPressEvent(QKeyEvent* event)
{
    // Keys that produce a character (letters, digits, punctuation, Space, Enter, Escape,
    // Backspace) end the splash; Shift, arrows and function keys produce none.
    if (!event->text().isEmpty()) {
        CloseSplash();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace kr39
