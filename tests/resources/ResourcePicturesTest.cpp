// The embedded bitmaps checked pixel by pixel against their description.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QtEndian>

#include <algorithm>
#include <functional>

#include "resources/ResourcePictures.h"

namespace {

const QRgb White = qRgb(255, 255, 255);
const QRgb Black = qRgb(0, 0, 0);
const QRgb Crimson = qRgb(184, 7, 73);
const QRgb Grey = qRgb(99, 90, 90);

bool OnFrame(int x, int y)
{
    return x == 0 || y == 0 || x == 69 || y == 79;
}

// White with the bus bar of the filler: column 6 black, 7 to 11 crimson, 12 black.
QRgb Filler(int x)
{
    return x == 6 || x == 12 ? Black : x >= 7 && x <= 11 ? Crimson : White;
}

// The placeholder: a dotted frame starting black at every corner, a grey question mark
// within columns 25-40 and rows 28-50 (its dot at row 49, a gap at 46, the hook at 40).
QRgb Placeholder(int x, int y)
{
    if (OnFrame(x, y)) {
        const int pos = y == 0 || y == 79 ? std::min(x, 69 - x) : std::min(y, 79 - y);
        return pos % 2 == 0 ? Black : White;
    }
    if (x == 32 && (y == 49 || y == 40))
        return Grey;
    if (x == 32 && y == 46)
        return White;
    return x < 25 || x > 40 || y < 28 || y > 50 ? White : 0; // 0: white or grey
}

struct BitmapCase {
    int Id;
    int Width;
    int BitsPerPixel;
    std::function<QRgb(int x, int y)> Expected;
};

class ResourceBitmap : public testing::TestWithParam<BitmapCase> { };

TEST_P(ResourceBitmap, HasItsSizeDepthAndPixels)
{
    const BitmapCase& c = GetParam();
    QFile file(QStringLiteral(":/bitmaps/%1.bmp").arg(c.Id));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_GE(bytes.size(), 54);
    EXPECT_EQ(qFromLittleEndian<quint16>(bytes.constData() + 28), c.BitsPerPixel);
    EXPECT_EQ(qFromLittleEndian<quint32>(bytes.constData() + 30), 0u) << "uncompressed";
    const QImage image = kr39::ResourceBitmap(c.Id);
    const int height = c.Id == 106 ? 40 : 80;
    ASSERT_EQ(image.size(), QSize(c.Width, height));
    int grey = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < c.Width; ++x) {
            const QRgb expected = c.Expected(x, y);
            const QRgb pixel = image.pixel(x, y);
            grey += pixel == Grey;
            ASSERT_TRUE(expected ? pixel == expected : pixel == White || pixel == Grey) << x << "," << y;
        }
    EXPECT_TRUE(c.Id != 103 || grey > 60) << "the question mark";
}

INSTANTIATE_TEST_SUITE_P(Station, ResourceBitmap,
    testing::Values(BitmapCase {102, 70, 4, [](int x, int y) { return OnFrame(x, y) ? Black : White; }},
        BitmapCase {103, 70, 4, Placeholder}, BitmapCase {104, 70, 24, [](int x, int) { return Filler(x); }},
        BitmapCase {105, 70, 24, [](int x, int y) { return OnFrame(x, y) ? Black : Filler(x); }},
        BitmapCase {106, 7, 24, [](int x, int) { return x == 0 || x == 6 ? Black : Crimson; }}),
    [](const testing::TestParamInfo<BitmapCase>& info) { return "Bitmap" + std::to_string(info.param.Id); });

TEST(ResourceBitmap, AboutPictureIconAndUnknownNumbers)
{
    EXPECT_EQ(kr39::ResourceBitmap(kr39::BitmapAbout).size(), QSize(36, 36));
    EXPECT_FALSE(kr39::ResourceIcon().isNull());
    EXPECT_TRUE(kr39::ResourceBitmap(100).isNull());
    EXPECT_TRUE(kr39::ResourceBitmap(107).isNull());
}

} // namespace
