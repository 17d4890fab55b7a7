#pragma once

#include <QIcon>
#include <QImage>

namespace kr39 {

// The embedded bitmaps, by their resource number.
enum BitmapId {
    BitmapAbout = 101, // the picture of the About box
    BitmapEmptyFeedback = 102, // drag over an empty slot
    BitmapPlaceholder = 103, // a node or module picture that could not be loaded
    BitmapFiller = 104, // the slot picture of a bus filler
    BitmapFillerFeedback = 105, // drag over a bus filler
    BitmapBusSegment = 106, // the bus segment above a slot
};

// Embedded bitmap `id` (101 to 106), read from ":/bitmaps/<id>.bmp"; a null image for any
// other number. The embedded pictures never change, so they are decoded once.
QImage ResourceBitmap(int id);

// Icon 101, the program's window icon (":/icons/101.png").
QIcon ResourceIcon();

} // namespace kr39
