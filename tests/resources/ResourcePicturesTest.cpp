// The embedded bitmaps checked pixel by pixel against their description.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QtEndian>

#include <functional>

#include "resources/ResourcePictures.h"
#include "resources/Windows1252.h"

namespace {

const QRgb White = qRgb(255, 255, 255);
const QRgb Black = qRgb(0, 0, 0);
const QRgb Crimson = qRgb(184, 7, 73);
const QRgb QuestionGrey = qRgb(99, 90, 90);

bool OnFrame(int x, int y, int w, int h)
{
    return x == 0 || y == 0 || x == w - 1 || y == h - 1;
}

// White with the bus bar of the filler: column 6 black, 7 to 11 crimson, 12 black.
QRgb Filler(int x)
{
    if (x == 6 || x == 12)
        return Black;
    if (x >= 7 && x <= 11)
        return Crimson;
    return White;
}

struct BitmapCase {
    int Id;
    int Width;
    int Height;
    int BitsPerPixel;
    std::function<QRgb(int x, int y)> Expected; // not used for 103, which has its own test
};

class ResourceBitmap : public testing::TestWithParam<BitmapCase> { };

TEST_P(ResourceBitmap, HasItsSizeDepthAndPixels)
{
    const BitmapCase& c = GetParam();
    QFile file(QStringLiteral(":/bitmaps/%1.bmp").arg(c.Id));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_GE(bytes.size(), 54);
    EXPECT_EQ(bytes.left(2), QByteArray("BM"));
    EXPECT_EQ(qFromLittleEndian<quint16>(bytes.constData() + 28), c.BitsPerPixel);
    EXPECT_EQ(qFromLittleEndian<quint32>(bytes.constData() + 30), 0u) << "uncompressed";

    const QImage image = kr39::ResourceBitmap(c.Id);
    ASSERT_EQ(image.size(), QSize(c.Width, c.Height));
    for (int y = 0; y < c.Height; ++y)
        for (int x = 0; x < c.Width; ++x)
            ASSERT_EQ(image.pixel(x, y), c.Expected(x, y)) << "bitmap " << c.Id << " at " << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(Station, ResourceBitmap,
    testing::Values(
        BitmapCase {102, 70, 80, 4, [](int x, int y) { return OnFrame(x, y, 70, 80) ? Black : White; }},
        BitmapCase {104, 70, 80, 24, [](int x, int) { return Filler(x); }},
        BitmapCase {105, 70, 80, 24, [](int x, int y) { return OnFrame(x, y, 70, 80) ? Black : Filler(x); }},
        BitmapCase {106, 7, 40, 24, [](int x, int) { return x == 0 || x == 6 ? Black : Crimson; }}),
    [](const testing::TestParamInfo<BitmapCase>& info) { return "Bitmap" + std::to_string(info.param.Id); });

TEST(ResourceBitmap, PlaceholderHasDottedFrameAndQuestionMark)
{
    QFile file(QStringLiteral(":/bitmaps/103.bmp"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_GE(bytes.size(), 54);
    EXPECT_EQ(qFromLittleEndian<quint16>(bytes.constData() + 28), 4) << "16 colours";

    const QImage image = kr39::ResourceBitmap(kr39::BitmapPlaceholder);
    ASSERT_EQ(image.size(), QSize(70, 80));
    // Along each edge the pixels alternate, starting black at both corners.
    auto dotted
        = [](int pos, int length) { return std::min(pos, length - 1 - pos) % 2 == 0 ? Black : White; };
    for (int x = 0; x < 70; ++x) {
        ASSERT_EQ(image.pixel(x, 0), dotted(x, 70)) << x;
        ASSERT_EQ(image.pixel(x, 79), dotted(x, 70)) << x;
    }
    for (int y = 0; y < 80; ++y) {
        ASSERT_EQ(image.pixel(0, y), dotted(y, 80)) << y;
        ASSERT_EQ(image.pixel(69, y), dotted(y, 80)) << y;
    }
    // Inside the frame: white, and the grey question mark within columns 25-40, rows 28-50.
    int grey = 0;
    int left = 70, right = -1, top = 80, bottom = -1;
    for (int y = 1; y < 79; ++y) {
        for (int x = 1; x < 69; ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (pixel == White)
                continue;
            ASSERT_EQ(pixel, QuestionGrey) << x << "," << y;
            ++grey;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    EXPECT_GT(grey, 60);
    EXPECT_GE(left, 25);
    EXPECT_LE(right, 40);
    EXPECT_GE(top, 28);
    EXPECT_LE(bottom, 50);
    // A question mark: a dot below a gap below the hook.
    EXPECT_EQ(image.pixel(32, 49), QuestionGrey);
    EXPECT_EQ(image.pixel(32, 46), White);
    EXPECT_EQ(image.pixel(32, 40), QuestionGrey);
}

TEST(ResourceBitmap, AboutPictureIconAndUnknownNumbers)
{
    EXPECT_EQ(kr39::ResourceBitmap(kr39::BitmapAbout).size(), QSize(36, 36));
    EXPECT_FALSE(kr39::ResourceIcon().isNull());
    EXPECT_TRUE(kr39::ResourceBitmap(100).isNull());
    EXPECT_TRUE(kr39::ResourceBitmap(107).isNull());
}

TEST(Windows1252, DecodesForDisplayAndEncodesBackUnchanged)
{
    std::string all;
    for (int c = 1; c < 256; ++c)
        all += static_cast<char>(c);
    const QString text = kr39::DecodeWindows1252(all);
    EXPECT_EQ(text.size(), 255);
    EXPECT_EQ(kr39::DecodeWindows1252("\x80"), QString(QChar(0x20AC)));
    EXPECT_EQ(kr39::DecodeWindows1252("Ausg\xe4nge"), QString::fromUtf8("Ausgänge"));
    EXPECT_EQ(kr39::EncodeWindows1252(text), all);
}

} // namespace
