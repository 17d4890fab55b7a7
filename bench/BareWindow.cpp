// The yardstick of the start-up measurement: a bare Qt main window, started the way kr39eds
// starts, that quits right after its first redraw.
#include <QApplication>
#include <QMainWindow>
#include <QTimer>

namespace {

class BareWindow : public QMainWindow {
protected:
    void paintEvent(QPaintEvent* event) override
    {
        QMainWindow::paintEvent(event);
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
    }
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    BareWindow window;
    window.resize(909, 731);
    window.show();
    return app.exec();
}
