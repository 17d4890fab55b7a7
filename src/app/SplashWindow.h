#pragma once

#include <QPixmap>
#include <QTimer>
#include <QWidget>

class QFrame;
class QLabel;

namespace kr39 {

// imgLogo: the logo picture of the splash.
class LogoImage : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_picture;
};

// frmSplash: shown first, ended by its 3-second timer, a click on one of its controls (not the
// copyright label) or a character key. Ending it emits Finished once and closes the window.
class SplashWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int DisplayMilliseconds = 3000;

    explicit SplashWindow(QWidget* parent = nullptr);

    // Ends the splash: stops the timer, emits Finished (the main window is shown) and closes.
    void CloseSplash();
    bool IsEnded() const { return m_ended; }

signals:
    void Finished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Load();
    QLabel* AddLabel(const char* name, int x, int y, int width, int height, const QFont& font,
        Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter);

    QFrame* m_frame = nullptr;
    LogoImage* m_logo = nullptr;
    QLabel* m_copyright = nullptr;
    QTimer m_timer1;
    bool m_loaded = false;
    bool m_ended = false;
};

} // namespace kr39
