#include "app/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include <cmath>

#include "app/AppIdentity.h"
#include "app/ResourceStrings.h"

namespace kr39 {

namespace {

constexpr char kGroup[] = "Settings";
// Beyond any screen: a larger value is treated as damaged and its default is used.
constexpr double kLargestTwips = 1.0e6;

QString Organization()
{
    return QStringLiteral("KR39");
}

double ReadKey(QSettings& settings, const char* key, double defaultValue)
{
    const QVariant value = settings.value(QLatin1String(key));
    if (!value.isValid())
        return defaultValue;
    return PlacementValue(value.toString(), defaultValue);
}

QString TwipsText(double twips)
{
    // The decimal text of a single-precision value, as 1005 or -60.
    return QString::number(static_cast<float>(twips), 'g', 9);
}

} // namespace

double PlacementValue(const QString& text, double defaultValue)
{
    bool ok = false;
    const float value = text.trimmed().toFloat(&ok);
    if (!ok || !std::isfinite(value) || std::fabs(value) > kLargestTwips)
        return defaultValue;
    return value;
}

WindowPlacement ReadWindowPlacement()
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, Organization(), AppTitleText());
    settings.beginGroup(QLatin1String(kGroup));
    WindowPlacement placement;
    placement.Left = ReadKey(settings, "MainLeft", placement.Left);
    placement.Top = ReadKey(settings, "MainTop", placement.Top);
    placement.Width = ReadKey(settings, "MainWidth", placement.Width);
    placement.Height = ReadKey(settings, "MainHeight", placement.Height);
    return placement;
}

void WriteWindowPlacement(const WindowPlacement& placement)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, Organization(), AppTitleText());
    settings.beginGroup(QLatin1String(kGroup));
    settings.setValue(QStringLiteral("MainLeft"), TwipsText(placement.Left));
    settings.setValue(QStringLiteral("MainTop"), TwipsText(placement.Top));
    settings.setValue(QStringLiteral("MainWidth"), TwipsText(placement.Width));
    settings.setValue(QStringLiteral("MainHeight"), TwipsText(placement.Height));
    settings.sync();
}

QRect PlacementToPixels(const WindowPlacement& placement, const QList<QRect>& screens, const QRect& primary)
{
    QRect rect(TwipsToPixels(placement.Left), TwipsToPixels(placement.Top),
        std::max(1, TwipsToPixels(placement.Width)), std::max(1, TwipsToPixels(placement.Height)));
    for (const QRect& screen : screens) {
        if (screen.intersects(rect))
            return rect;
    }
    if (!primary.isEmpty())
        rect.moveTopLeft(primary.topLeft());
    return rect;
}

void RestoreWindowPlacement(QWidget* window)
{
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.append(screen->availableGeometry());
    const QScreen* primaryScreen = QGuiApplication::primaryScreen();
    const QRect primary = primaryScreen ? primaryScreen->availableGeometry() : QRect();
    const QRect rect = PlacementToPixels(ReadWindowPlacement(), screens, primary);
    window->move(rect.topLeft());
    window->resize(rect.size());
}

void SaveWindowPlacement(const QWidget* window)
{
    if (window->isMinimized())
        return;
    const QPoint position = window->pos();
    const QSize size = window->size();
    WriteWindowPlacement(WindowPlacement {static_cast<double>(position.x()) * TwipsPerPixel,
        static_cast<double>(position.y()) * TwipsPerPixel, static_cast<double>(size.width()) * TwipsPerPixel,
        static_cast<double>(size.height()) * TwipsPerPixel});
}

} // namespace kr39
