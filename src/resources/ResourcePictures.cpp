#include "resources/ResourcePictures.h"

#include <array>

namespace kr39 {

QImage ResourceBitmap(int id)
{
    constexpr int first = BitmapAbout;
    constexpr int last = BitmapBusSegment;
    if (id < first || id > last)
        return {};
    static const std::array<QImage, last - first + 1> images = [] {
        std::array<QImage, last - first + 1> loaded;
        for (int n = first; n <= last; ++n)
            loaded[n - first] = QImage(QStringLiteral(":/bitmaps/%1.bmp").arg(n));
        return loaded;
    }();
    return images[id - first];
}

QIcon ResourceIcon()
{
    return QIcon(QStringLiteral(":/icons/101.png"));
}

} // namespace kr39
