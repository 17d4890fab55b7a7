#include "app/Logo.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "resources/ResourcePictures.h"

namespace kr39 {

namespace {

void PaintModule(QPainter& painter, const QRectF& box, const QColor& face)
{
    painter.setPen(QPen(QColor(60, 60, 60), 1.2));
    painter.setBrush(face);
    painter.drawRoundedRect(box, 2, 2);
    // The terminal row at the front of the module.
    painter.setBrush(QColor(235, 235, 235));
    const double rowTop = box.top() + box.height() * 0.62;
    painter.drawRect(QRectF(box.left() + 3, rowTop, box.width() - 6, box.height() * 0.28));
    painter.setBrush(QColor(90, 90, 90));
    const int terminals = 4;
    for (int i = 0; i < terminals; ++i) {
        const double x = box.left() + 6 + i * (box.width() - 12) / (terminals - 1) - 2;
        painter.drawEllipse(QRectF(x, rowTop + box.height() * 0.08, 4, 4));
    }
    // Status LEDs.
    painter.setBrush(QColor(40, 170, 60));
    painter.drawEllipse(QRectF(box.left() + 5, box.top() + 6, 5, 5));
    painter.setBrush(QColor(230, 180, 30));
    painter.drawEllipse(QRectF(box.left() + 13, box.top() + 6, 5, 5));
}

QPixmap PaintIconPixmap(int side)
{
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const double s = side / 32.0;
    painter.setPen(QPen(QColor(40, 40, 40), 1.0 * s));
    painter.setBrush(QColor(200, 30, 30));
    painter.drawRoundedRect(QRectF(2 * s, 4 * s, 12 * s, 24 * s), 2 * s, 2 * s);
    painter.setBrush(QColor(90, 110, 140));
    painter.drawRoundedRect(QRectF(15 * s, 8 * s, 7 * s, 20 * s), 1.5 * s, 1.5 * s);
    painter.drawRoundedRect(QRectF(23 * s, 8 * s, 7 * s, 20 * s), 1.5 * s, 1.5 * s);
    painter.setPen(Qt::white);
    QFont font(QStringLiteral("Arial"));
    font.setBold(true);
    font.setPixelSize(static_cast<int>(7 * s));
    painter.setFont(font);
    painter.drawText(QRectF(2 * s, 4 * s, 12 * s, 24 * s), Qt::AlignCenter, QStringLiteral("K\nR"));
    return pixmap;
}

// A 16 x 16 picture drawn by `paint` on a transparent pixmap, at twice the size for
// high-density screens.
template <class Paint> QIcon DrawnIcon(Paint paint)
{
    QIcon icon;
    for (int scale : {1, 2}) {
        QPixmap pixmap(16 * scale, 16 * scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(scale, scale);
        paint(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

void PaintPage(QPainter& p)
{
    QPainterPath page;
    page.moveTo(3.5, 1.5);
    page.lineTo(9.5, 1.5);
    page.lineTo(12.5, 4.5);
    page.lineTo(12.5, 14.5);
    page.lineTo(3.5, 14.5);
    page.closeSubpath();
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(Qt::white);
    p.drawPath(page);
    p.drawLine(QPointF(9.5, 1.5), QPointF(9.5, 4.5));
    p.drawLine(QPointF(9.5, 4.5), QPointF(12.5, 4.5));
}

void PaintFolder(QPainter& p)
{
    p.setPen(QPen(QColor(140, 100, 20), 1));
    p.setBrush(QColor(240, 200, 90));
    p.drawRect(QRectF(1.5, 4.5, 12, 9));
    p.drawRect(QRectF(1.5, 2.5, 5, 2));
    p.setBrush(QColor(250, 220, 120));
    QPainterPath flap;
    flap.moveTo(3.5, 7.5);
    flap.lineTo(15.0, 7.5);
    flap.lineTo(13.5, 13.5);
    flap.lineTo(1.5, 13.5);
    flap.closeSubpath();
    p.drawPath(flap);
}

void PaintDisk(QPainter& p)
{
    p.setPen(QPen(QColor(30, 40, 90), 1));
    p.setBrush(QColor(60, 90, 170));
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1, 1);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 1.5, 7, 5));
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(QRectF(4.5, 9.5, 7, 5));
}

void PaintCardFile(QPainter& p)
{
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(QColor(235, 235, 210));
    p.drawRect(QRectF(3.5, 1.5, 11, 9));
    p.setBrush(QColor(250, 250, 235));
    p.drawRect(QRectF(1.5, 5.5, 11, 9));
    p.setPen(QPen(QColor(200, 30, 30), 1));
    for (double y : {8.5, 10.5, 12.5})
        p.drawLine(QPointF(3.5, y), QPointF(10.5, y));
}

void PaintPrinter(QPainter& p)
{
    p.setPen(QPen(QColor(70, 70, 70), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 1.5, 7, 5));
    p.setBrush(QColor(170, 170, 170));
    p.drawRect(QRectF(1.5, 6.5, 13, 6));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 10.5, 7, 4));
}

} // namespace

QIcon ToolbarImage(const QString& key)
{
    if (key == QLatin1String("New"))
        return DrawnIcon(PaintPage);
    if (key == QLatin1String("Open"))
        return DrawnIcon(PaintFolder);
    if (key == QLatin1String("Save"))
        return DrawnIcon(PaintDisk);
    if (key == QLatin1String("Crdfle13"))
        return DrawnIcon(PaintCardFile);
    if (key == QLatin1String("Print"))
        return DrawnIcon(PaintPrinter);
    return QIcon();
}

QPixmap PaintLogo(QSize size)
{
    QPixmap pixmap(size);
    pixmap.fill(QColor(224, 224, 224));
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);

    const double w = size.width();
    const double h = size.height();

    // A soft panel behind the station drawing.
    QLinearGradient panel(0, 0, 0, h);
    panel.setColorAt(0.0, QColor(250, 250, 250));
    panel.setColorAt(1.0, QColor(205, 212, 222));
    painter.setPen(QPen(QColor(160, 160, 170), 1));
    painter.setBrush(panel);
    painter.drawRoundedRect(QRectF(0.5, 0.5, w - 1, h - 1), 6, 6);

    // A red band at the top, behind the product name.
    QLinearGradient band(0, 0, w, 0);
    band.setColorAt(0.0, QColor(255, 255, 255, 0));
    band.setColorAt(0.55, QColor(200, 30, 30, 40));
    band.setColorAt(1.0, QColor(200, 30, 30, 110));
    painter.setPen(Qt::NoPen);
    painter.setBrush(band);
    painter.drawRect(QRectF(1, h * 0.04, w - 2, h * 0.14));

    // The station: the DIN rail, the bus node and four modules of one branch.
    const double railY = h * 0.62;
    painter.setPen(QPen(QColor(120, 120, 120), 1));
    painter.setBrush(QColor(180, 180, 185));
    painter.drawRect(QRectF(w * 0.04, railY, w * 0.46, h * 0.035));

    const QRectF node(w * 0.06, h * 0.27, w * 0.11, h * 0.42);
    painter.setPen(QPen(QColor(60, 60, 60), 1.2));
    painter.setBrush(QColor(200, 30, 30));
    painter.drawRoundedRect(node, 3, 3);
    painter.setPen(Qt::white);
    QFont nodeFont(QStringLiteral("Arial"));
    nodeFont.setBold(true);
    nodeFont.setPixelSize(static_cast<int>(h * 0.07));
    painter.setFont(nodeFont);
    painter.drawText(node.adjusted(0, 0, 0, -node.height() * 0.35), Qt::AlignCenter, QStringLiteral("KR39"));

    const QColor faces[]
        = {QColor(90, 110, 140), QColor(90, 110, 140), QColor(70, 140, 110), QColor(150, 120, 70)};
    for (int i = 0; i < 4; ++i) {
        const QRectF module(node.right() + 4 + i * (w * 0.075 + 4), h * 0.33, w * 0.075, h * 0.36);
        PaintModule(painter, module, faces[i]);
    }

    // The DeviceNet line leaving the node.
    QPainterPath cable;
    cable.moveTo(node.center().x(), node.bottom());
    cable.cubicTo(node.center().x(), h * 0.85, w * 0.25, h * 0.80, w * 0.42, h * 0.86);
    painter.setPen(QPen(QColor(40, 60, 160), 3, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(cable);
    return pixmap;
}

QIcon AppIcon()
{
    const QIcon icon = ResourceIcon();
    if (!icon.isNull())
        return icon;
    QIcon drawn;
    for (int side : {16, 32, 48})
        drawn.addPixmap(PaintIconPixmap(side));
    return drawn;
}

QPixmap AboutPicture(QSize size)
{
    const QImage bitmap = ResourceBitmap(BitmapAbout);
    if (!bitmap.isNull())
        return QPixmap::fromImage(bitmap.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    return AppIcon().pixmap(size);
}

} // namespace kr39
