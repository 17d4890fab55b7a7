#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace kr39 {

// The splash logo: a drawn KR39 station (bus node and four I/O modules) on a light panel.
QPixmap PaintLogo(QSize size);

// The toolbar pictures of the image list imlToolbarIcons by key: "New", "Open", "Save",
// "Crdfle13" (a card file, for Generate) and "Print"; drawn, so no icon theme is searched.
QIcon ToolbarImage(const QString& key);

// The program icon: icon resource 101 (a drawn one should the resource be missing).
QIcon AppIcon();

// The About box picture: bitmap resource 101 (else the program icon).
QPixmap AboutPicture(QSize size);

} // namespace kr39
