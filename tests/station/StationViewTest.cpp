// The station view: DrawStation on the station's edge cases, drag feedback and drops.
#include <QLabel>
#include <QPainter>
#include <QSignalSpy>

#include <map>
#include <vector>

#include "../support/GuiTest.h"
#include "resources/ResourcePictures.h"
#include "station/StationView.h"

namespace {

using kr39::StationView;
using kr39::test::SendDrag;

struct Slot {
    int Index;
    std::string PartNo;
    std::int16_t Inputs = 0;
    std::int16_t Outputs = 0;
};

class StationViewTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        station.Slots[0] = {"NODE1", "The bus node", 2, 3};
        for (int i = 1; i < kr39::SlotCount; ++i)
            station.Slots[static_cast<std::size_t>(i)] = {"None", "", 0, 0};
        for (int mask = 0; mask < 16; ++mask)
            WritePicture(QStringLiteral("NODE1_%1.bmp").arg(mask, 2, 10, QLatin1Char('0')), QSize(502, 80));
    }

    // A picture file of a colour of its own, so that Shown() can tell which file an element shows.
    void WritePicture(const QString& name, QSize size = QSize(70, 80))
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(QColor(200, static_cast<int>(colours.size()) * 7 % 256, 100));
        EXPECT_TRUE(image.save(dir.filePath(name), "BMP"));
        colours[name] = image.pixel(0, 0);
    }

    // Puts modules (with pictures "<pn>a.bmp" and "<pn>b.bmp") into their slots.
    void Put(const std::vector<Slot>& content, bool normalize = true)
    {
        for (const Slot& s : content) {
            station.Slots[static_cast<std::size_t>(s.Index)]
                = {s.PartNo, "Desc " + s.PartNo, s.Inputs, s.Outputs};
            if (kr39::KindOf(s.PartNo) == kr39::SlotKind::Module)
                for (const char* variant : {"a.bmp", "b.bmp"})
                    WritePicture(QString::fromStdString(s.PartNo) + variant);
        }
        if (normalize)
            kr39::NormalizeSlots(station.Slots);
    }

    void Draw() { view.DrawStation(station, std::filesystem::path(dir.path().toStdString())); }

    // The file element picVexaIO(slot) shows: "" for none, "103" ... for a resource bitmap.
    QString Shown(int slot) const
    {
        const QImage& image = view.Picture(slot)->Image();
        if (image.isNull())
            return "";
        for (int id = 101; id <= 106; ++id)
            if (image == kr39::ResourceBitmap(id))
                return QString::number(id);
        for (const auto& [name, rgb] : colours)
            if (image.pixel(5, 5) == rgb)
                return name;
        return "?";
    }

    QLabel* Label(const char* name, int index) const
    {
        return view.findChild<QLabel*>(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index));
    }
    QString Text(const char* name, int index) const { return Label(name, index)->text(); }
    bool Visible(const char* name, int index) const { return Label(name, index)->isVisibleTo(&view); }

    QTemporaryDir dir;
    std::map<QString, QRgb> colours;
    kr39::Station station;
    StationView view;
};

TEST_F(StationViewTest, ElementsSitAtTheirDesignedPlaces)
{
    EXPECT_EQ(view.sizeHint(), QSize(585, 617));
    // Columns from left to right hold branches 1, 3, 4 and 2; 15 twips are one pixel.
    const std::pair<const char*, QRect> places[]
        = {{"picVexaIO_0", {40, 8, 502, 80}}, {"picVexaIO_5", {472, 128, 70, 80}},
            {"picVexaIO_14", {328, 248, 70, 80}}, {"imgBus_1", {46, 88, 7, 40}},
            {"lblModDesc_1", {16, 224, 137, 17}}, {"lblModPN_16", {296, 568, 137, 17}}};
    for (const auto& [name, geometry] : places)
        EXPECT_EQ(view.findChild<QWidget*>(name)->geometry(), geometry) << name;
    EXPECT_EQ(Text("lblSlot", 16), "15");
    // The slot number lies in front of the empty slot's picture.
    view.resize(view.sizeHint());
    EXPECT_EQ(view.childAt(Label("lblSlot", 3)->geometry().center()), Label("lblSlot", 3));
}

TEST_F(StationViewTest, PicturesVariantsAndModuleNumbers)
{
    Put({{3, "M3"}, {4, "M4"}, {6, "B"}, {9, "C"}, {16, "D"}});
    Draw();
    EXPECT_EQ(Shown(0), "NODE1_15.bmp");
    // slot -> file shown ("104" for the filler) and module number shown in red
    const std::map<int, std::pair<QString, int>> shown {{1, {"104", 0}}, {2, {"104", 0}}, {3, {"M3b.bmp", 1}},
        {4, {"M4a.bmp", 2}}, {5, {"104", 0}}, {6, {"Ba.bmp", 3}}, {9, {"Ca.bmp", 4}}, {13, {"104", 0}},
        {14, {"104", 0}}, {15, {"104", 0}}, {16, {"Da.bmp", 5}}};
    for (int i = 1; i <= 16; ++i) {
        const auto it = shown.find(i);
        const QString expected = it == shown.end() ? "" : it->second.first;
        const int number = it == shown.end() ? 0 : it->second.second;
        EXPECT_EQ(Shown(i), expected) << "slot " << i;
        // Every occupied position carries the bus segment above it.
        EXPECT_EQ(view.BusSegment(i)->Image(), expected.isEmpty() ? QImage() : kr39::ResourceBitmap(106))
            << i;
        EXPECT_EQ(Visible("lblMod", i), number > 0) << i;
        EXPECT_EQ(Visible("lblSlot", i), number == 0) << i;
        EXPECT_EQ(Text("lblMod", i), number > 0 ? QString::number(number) : Text("lblMod", i)) << i;
        const std::string partNo = number > 0 ? station.Slots[static_cast<std::size_t>(i)].PartNo : "";
        EXPECT_EQ(Text("lblModPN", i).toStdString(), partNo) << i;
        EXPECT_EQ(Text("lblModDesc", i).toStdString(), number > 0 ? "Desc " + partNo : "") << i;
    }
}

TEST_F(StationViewTest, MissingOrBrokenPicturesShowThePlaceholderAndRedrawsReadTheDiskAgain)
{
    Put({{1, "M1"}, {2, "M2"}, {3, "M3"}, {4, "M4"}});
    Draw();
    EXPECT_EQ(Shown(1), "M1b.bmp");
    std::filesystem::remove(dir.filePath("M1b.bmp").toStdString());
    kr39::test::WriteBytes(dir.filePath("M2b.bmp").toStdString(), "BM this is not a picture");
    QFile::rename(dir.filePath("NODE1_01.bmp"), dir.filePath("node1_01.BMP")); // letter case does not matter
    // A part number that would name a file outside the folder counts as missing.
    station.Slots[3].PartNo = "../M3";
    WritePicture("../M3b.bmp");
    Draw();
    QFile::remove(dir.filePath("../M3b.bmp"));
    EXPECT_EQ(QStringList({Shown(0), Shown(1), Shown(2), Shown(3), Shown(4)}),
        QStringList({"NODE1_01.bmp", "103", "103", "103", "M4a.bmp"}));
    // Everything else of those slots is drawn as usual.
    EXPECT_EQ(Text("lblModPN", 1), "M1");
    EXPECT_EQ(Text("lblMod", 3), "3");
}

TEST_F(StationViewTest, TotalsSkipAnOverflowAndTextsAreNoMarkup)
{
    Put({{1, "M1", 16, 0}, {4, "M4", 0, 8}, {5, "M5", 32767, 1}});
    station.Slots[1].Description = "<b>Ausg\xe4nge</b>";
    Draw();
    EXPECT_EQ(Text("lblModDesc", 1), QString::fromUtf8("<b>Ausgänge</b>"));
    EXPECT_EQ(Label("lblModDesc", 1)->textFormat(), Qt::PlainText);
    // 2 + 16 + 0 + 32767 would leave the 16-bit range: that addition is skipped.
    EXPECT_EQ(station.TotalInputs, 18);
    EXPECT_EQ(station.TotalOutputs, 3 + 8 + 1);
    EXPECT_EQ(view.findChild<QLabel*>("lblTotInputs")->text(), "18");
    EXPECT_EQ(view.findChild<QLabel*>("lblTotOutputs")->text(), "12");
}

TEST_F(StationViewTest, LargePicturesAreShownUnscaledFromTheTopLeftAndClipped)
{
    QImage big(100, 100, QImage::Format_RGB32);
    big.fill(Qt::blue);
    QPainter(&big).fillRect(50, 0, 50, 100, Qt::green);
    Put({{1, "M1"}});
    ASSERT_TRUE(big.save(dir.filePath("M1a.bmp"), "BMP"));
    Draw();
    view.resize(view.sizeHint());
    const QImage shot = view.Picture(1)->grab().toImage();
    ASSERT_EQ(shot.size() / shot.devicePixelRatio(), QSize(70, 80));
    EXPECT_EQ(shot.pixel(49, 79), qRgb(0, 0, 255));
    EXPECT_EQ(shot.pixel(50, 10), qRgb(0, 255, 0));
}

// --- Drag and drop -----------------------------------------------------------------------

TEST_F(StationViewTest, DragFeedbackFollowsTheKindOfTheSlot)
{
    // part number of slot 3, drag over its number label, image 3 while the drag is over it, after
    const std::tuple<const char*, bool, QString, QString> cases[]
        = {{"None", true, "102", ""}, {"Bus", false, "105", "104"}, {"M3", false, "M3b.bmp", "M3b.bmp"}};
    for (const auto& [partNo, onLabel, onEnter, onLeave] : cases) {
        SCOPED_TRACE(partNo);
        Put({{3, partNo}, {4, "M4"}}, false);
        Draw();
        QWidget* target = onLabel ? static_cast<QWidget*>(Label("lblSlot", 3)) : view.Picture(3);
        EXPECT_TRUE(SendDrag(target, QEvent::DragMove));
        EXPECT_EQ(Shown(3), onEnter);
        SendDrag(target, QEvent::DragLeave);
        EXPECT_EQ(Shown(3), onLeave);
        EXPECT_TRUE(SendDrag(target, QEvent::Drop));
        EXPECT_EQ(Shown(3), onLeave) << "no feedback left behind by the drop";
        EXPECT_EQ(station.Slots[3].PartNo, partNo); // the view changes no slot itself
    }
}

TEST_F(StationViewTest, OnlySlotsOneToSixteenTakeDropsAndOnlyFromTheCatalog)
{
    Draw();
    QSignalSpy dropped(&view, &StationView::SlotDropped);
    QMimeData file;
    file.setUrls({QUrl::fromLocalFile("/tmp/x.bmp")});
    EXPECT_FALSE(SendDrag(view.Picture(0), QEvent::DragLeave)) << "the node takes no drag";
    EXPECT_FALSE(SendDrag(view.Picture(5), QEvent::Drop, &file)) << "a drag from outside the program";
    EXPECT_FALSE(view.BusSegment(5)->acceptDrops());
    EXPECT_FALSE(Label("lblMod", 5)->acceptDrops());
    EXPECT_EQ(dropped.count(), 0);
    for (int i = 1; i <= 16; ++i) {
        EXPECT_TRUE(SendDrag(view.Picture(i), QEvent::Drop)) << i;
        EXPECT_TRUE(SendDrag(Label("lblSlot", i), QEvent::Drop)) << i;
    }
    ASSERT_EQ(dropped.count(), 32);
    EXPECT_EQ(dropped.at(31).at(0).toInt(), 16);
}

} // namespace
