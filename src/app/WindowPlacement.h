#pragma once

#include <QList>
#include <QRect>
#include <QString>

class QWidget;

namespace kr39 {

// The main window's placement in the per-user settings store: application "KR39 Standard EDS
// Generator", group "Settings", keys MainLeft, MainTop, MainWidth and MainHeight in twips.
struct WindowPlacement {
    double Left = 1000;
    double Top = 1000;
    double Width = 6500;
    double Height = 6500;
};

// Reads the stored placement; a key that is absent or holds no number gives its default.
WindowPlacement ReadWindowPlacement();
void WriteWindowPlacement(const WindowPlacement& placement);

// A stored value as a number: surrounding blanks allowed, anything else (or a value beyond any
// screen, or not finite) gives the default.
double PlacementValue(const QString& text, double defaultValue);

// The placement in pixels, moved onto `primary` when it lies entirely outside every one of
// `screens` (their available areas).
QRect PlacementToPixels(const WindowPlacement& placement, const QList<QRect>& screens, const QRect& primary);

// Applies the stored placement to a hidden top-level window: its frame's top-left corner and
// its size (menu bar included).
void RestoreWindowPlacement(QWidget* window);
// Stores the window's current placement unless it is minimized.
void SaveWindowPlacement(const QWidget* window);

} // namespace kr39
