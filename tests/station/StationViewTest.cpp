// The station view: its elements, DrawStation on the station's edge cases, drag feedback,
// drops and double-clicks on the slot widgets.
#include <gtest/gtest.h>

#include <QDir>
#include <QDragEnterEvent>
#include <QLabel>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "catalog/CatalogTree.h"
#include "resources/ResourcePictures.h"
#include "station/StationView.h"

namespace {

using kr39::Station;
using kr39::StationView;

const QColor NodeColour(10, 20, 30);

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
        modules = std::filesystem::path(dir.path().toStdString());
        station.Slots[0] = {"NODE1", "The bus node", 2, 3};
        for (int i = 1; i < kr39::SlotCount; ++i)
            station.Slots[static_cast<std::size_t>(i)] = {"None", "", 0, 0};
        for (int mask = 0; mask < 16; ++mask)
            WritePicture(QStringLiteral("NODE1_%1.bmp").arg(mask, 2, 10, QLatin1Char('0')),
                QColor(NodeColour.red(), NodeColour.green(), mask), QSize(502, 80));
    }

    // A picture file of one colour; every file gets its own colour so that tests can tell
    // which file an element shows.
    QColor WritePicture(const QString& name, QColor colour = QColor(), QSize size = QSize(70, 80))
    {
        if (!colour.isValid())
            colour = QColor(200, static_cast<int>(colours.size()) * 7 % 256, 100);
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        EXPECT_TRUE(image.save(dir.filePath(name), "BMP"));
        colours[name] = colour.rgb();
        return colour;
    }

    // Module files "<pn>a.bmp" and "<pn>b.bmp".
    void WriteModulePictures(const std::string& partNo)
    {
        WritePicture(QString::fromStdString(partNo) + "a.bmp");
        WritePicture(QString::fromStdString(partNo) + "b.bmp");
    }

    void Put(std::vector<Slot> content, bool normalize = true)
    {
        for (const Slot& s : content) {
            station.Slots[static_cast<std::size_t>(s.Index)]
                = {s.PartNo, "Desc " + s.PartNo, s.Inputs, s.Outputs};
            if (kr39::KindOf(s.PartNo) == kr39::SlotKind::Module)
                WriteModulePictures(s.PartNo);
        }
        if (normalize)
            kr39::NormalizeSlots(station.Slots);
    }

    void Draw() { view.DrawStation(station, modules); }

    // The name of the picture file that element picVexaIO(slot) shows, "" for none, "103" ...
    // for a resource bitmap.
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
    std::filesystem::path modules;
    std::map<QString, QRgb> colours;
    Station station;
    StationView view;
};

TEST_F(StationViewTest, DesignedStateBeforeTheFirstRedraw)
{
    EXPECT_EQ(view.objectName(), "picVexaConf");
    EXPECT_EQ(view.sizeHint(), QSize(585, 617));
    EXPECT_EQ(view.palette().color(QPalette::Window), QColor(Qt::white));
    for (int i = 1; i <= 16; ++i) {
        EXPECT_EQ(Text("lblSlot", i), QString::number(i - 1));
        EXPECT_TRUE(Visible("lblSlot", i));
        EXPECT_FALSE(Visible("lblMod", i));
        EXPECT_FALSE(view.Picture(i)->HasPicture());
        EXPECT_FALSE(view.BusSegment(i)->HasPicture());
    }
    EXPECT_EQ(view.findChild<QLabel*>("lblTotInputs")->text(), "0");
    // The captions carry the numbers of their strings for the window's text pass.
    for (auto [name, id] : {std::pair {"lblTotInp", "1034"}, std::pair {"lblTotOut", "1035"}}) {
        const auto* label = view.findChild<QLabel*>(name);
        ASSERT_TRUE(label) << name;
        EXPECT_EQ(label->text(), id);
        EXPECT_EQ(label->property("Tag").toString(), id);
        EXPECT_TRUE(label->alignment() & Qt::AlignRight);
    }
    EXPECT_EQ(Label("lblMod", 1)->palette().color(QPalette::WindowText), QColor(255, 0, 0));
}

struct Place {
    const char* Name;
    QRect Geometry;
};

TEST_F(StationViewTest, ElementsSitAtTheirDesignedPlaces)
{
    // Columns from left to right hold branches 1, 3, 4 and 2; 15 twips are one pixel.
    const std::vector<Place> places = {
        {"picVexaIO_0", {40, 8, 502, 80}},
        {"picVexaIO_1", {40, 128, 70, 80}},
        {"picVexaIO_5", {472, 128, 70, 80}},
        {"picVexaIO_9", {184, 128, 70, 80}},
        {"picVexaIO_14", {328, 248, 70, 80}},
        {"imgBus_1", {46, 88, 7, 40}},
        {"lblSlot_7", {496, 400, 17, 17}},
        {"lblMod_10", {240, 248, 17, 17}},
        {"lblModPN_16", {296, 568, 137, 17}},
        {"lblModPN_1", {8, 208, 137, 17}},
        {"lblModDesc_1", {16, 224, 137, 17}}, // the one description that is not under its part number
        {"lblModDesc_2", {8, 344, 137, 17}},
        {"lblModPN_0", {224, 88, 137, 17}},
        {"lblTotInp", {8, 8, 57, 17}},
        {"lblTotOutputs", {72, 24, 25, 17}},
    };
    for (const Place& p : places) {
        const auto* widget = view.findChild<QWidget*>(p.Name);
        ASSERT_TRUE(widget) << p.Name;
        EXPECT_EQ(widget->geometry(), p.Geometry) << p.Name;
    }
    // The slot number and the module number lie in front of the slot picture.
    view.resize(view.sizeHint());
    EXPECT_EQ(view.childAt(Label("lblSlot", 3)->geometry().center()), Label("lblSlot", 3));
    Put({{3, "M3"}});
    Draw();
    EXPECT_EQ(view.childAt(Label("lblMod", 3)->geometry().topLeft() + QPoint(1, 1)), Label("lblMod", 3));
    EXPECT_EQ(view.childAt(Label("lblSlot", 3)->geometry().center()), view.Picture(3));
}

struct DrawCase {
    const char* Name;
    std::vector<Slot> Content;
    const char* NodeFile;
    std::map<int, QString> Pictures; // slot -> file shown ("104" for the filler)
    std::map<int, int> ModuleNumbers; // slot -> number shown in red
};

class StationDrawCase : public StationViewTest, public testing::WithParamInterface<DrawCase> { };

TEST_P(StationDrawCase, PicturesVariantsAndModuleNumbers)
{
    Put(GetParam().Content);
    Draw();
    EXPECT_EQ(Shown(0), GetParam().NodeFile);
    for (int i = 1; i <= 16; ++i) {
        const auto picture = GetParam().Pictures.find(i);
        const QString expected = picture == GetParam().Pictures.end() ? "" : picture->second;
        EXPECT_EQ(Shown(i), expected) << "slot " << i;
        // Every occupied position carries the bus segment above it.
        EXPECT_EQ(view.BusSegment(i)->Image() == kr39::ResourceBitmap(106), !expected.isEmpty()) << i;
        EXPECT_EQ(view.BusSegment(i)->HasPicture(), !expected.isEmpty()) << i;

        const auto number = GetParam().ModuleNumbers.find(i);
        const bool isModule = number != GetParam().ModuleNumbers.end();
        EXPECT_EQ(Visible("lblMod", i), isModule) << i;
        EXPECT_EQ(Visible("lblSlot", i), !isModule) << i;
        if (isModule) {
            EXPECT_EQ(Text("lblMod", i), QString::number(number->second)) << i;
            const std::string& partNo = station.Slots[static_cast<std::size_t>(i)].PartNo;
            EXPECT_EQ(Text("lblModPN", i).toStdString(), partNo);
            EXPECT_EQ(Text("lblModDesc", i).toStdString(), "Desc " + partNo);
        } else {
            EXPECT_EQ(Text("lblModPN", i), "") << i;
            EXPECT_EQ(Text("lblModDesc", i), "") << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Station, StationDrawCase,
    testing::Values(DrawCase {"ModuleInSlot3", {{3, "M3"}}, "NODE1_01.bmp",
                        {{1, "104"}, {2, "104"}, {3, "M3a.bmp"}}, {{3, 1}}},
        DrawCase {"SuccessorOccupiedGivesB", {{3, "M3"}, {4, "M4"}}, "NODE1_01.bmp",
            {{1, "104"}, {2, "104"}, {3, "M3b.bmp"}, {4, "M4a.bmp"}}, {{3, 1}, {4, 2}}},
        DrawCase {"LastOfBranchIgnoresNextBranch", {{4, "M4"}, {5, "M5"}}, "NODE1_03.bmp",
            {{1, "104"}, {2, "104"}, {3, "104"}, {4, "M4a.bmp"}, {5, "M5a.bmp"}}, {{4, 1}, {5, 2}}},
        DrawCase {"FillerCountsAsOccupied", {{2, "M2"}, {4, "M4"}}, "NODE1_01.bmp",
            {{1, "104"}, {2, "M2b.bmp"}, {3, "104"}, {4, "M4a.bmp"}}, {{2, 1}, {4, 2}}},
        DrawCase {"NumbersInSlotOrderNotScreenOrder", {{2, "M2"}, {6, "M6"}, {13, "M13"}}, "NODE1_11.bmp",
            {{1, "104"}, {2, "M2a.bmp"}, {5, "104"}, {6, "M6a.bmp"}, {13, "M13a.bmp"}},
            {{2, 1}, {6, 2}, {13, 3}}},
        DrawCase {"AllFourBranches", {{1, "A"}, {5, "B"}, {9, "C"}, {16, "D"}}, "NODE1_15.bmp",
            {{1, "Aa.bmp"}, {5, "Ba.bmp"}, {9, "Ca.bmp"}, {13, "104"}, {14, "104"}, {15, "104"},
                {16, "Da.bmp"}},
            {{1, 1}, {5, 2}, {9, 3}, {16, 4}}},
        // Only "None" and "Bus" exactly are empty and filler; their lower-case spellings and
        // the empty part number are modules with pictures of those names.
        DrawCase {"LowerCaseNoneAndBusAreModules", {{1, "none"}, {2, "bus"}, {3, ""}}, "NODE1_01.bmp",
            {{1, "noneb.bmp"}, {2, "busb.bmp"}, {3, "a.bmp"}}, {{1, 1}, {2, 2}, {3, 3}}}),
    [](const testing::TestParamInfo<DrawCase>& info) { return std::string(info.param.Name); });

TEST_F(StationViewTest, MissingOrBrokenPicturesShowThePlaceholder)
{
    Put({{1, "M1"}, {2, "M2"}, {3, "M3"}, {4, "M4"}});
    std::filesystem::remove(modules / "M1b.bmp");
    QFile broken(dir.filePath("M2b.bmp"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("BM this is not a picture");
    broken.close();
    std::filesystem::remove(modules / "NODE1_01.bmp");
    // A part number that would name a file outside the folder counts as missing.
    station.Slots[3].PartNo = "../M3";
    WritePicture("../M3b.bmp");

    Draw();
    EXPECT_EQ(Shown(0), "103");
    EXPECT_EQ(Shown(1), "103");
    EXPECT_EQ(Shown(2), "103");
    EXPECT_EQ(Shown(3), "103");
    EXPECT_EQ(Shown(4), "M4a.bmp");
    // Everything else of those slots is drawn as usual.
    EXPECT_EQ(Text("lblModPN", 0), "NODE1");
    EXPECT_EQ(Text("lblModPN", 1), "M1");
    EXPECT_EQ(Text("lblModDesc", 2), "Desc M2");
    EXPECT_EQ(Text("lblMod", 3), "3");
    EXPECT_EQ(Text("lblMod", 4), "4");
    QFile::remove(dir.filePath("../M3b.bmp"));
}

TEST_F(StationViewTest, EveryRedrawReadsThePicturesFromDiskAgain)
{
    Put({{1, "M1"}});
    Draw();
    EXPECT_EQ(Shown(1), "M1a.bmp");
    const QColor replaced(1, 2, 3);
    WritePicture("M1a.bmp", replaced);
    Draw();
    EXPECT_EQ(view.Picture(1)->Image().pixel(5, 5), replaced.rgb());
    std::filesystem::remove(modules / "M1a.bmp");
    Draw();
    EXPECT_EQ(Shown(1), "103");
}

TEST_F(StationViewTest, PictureOfAnotherFormatOrLetterCaseIsFound)
{
    Put({{1, "M1"}});
    QImage png(70, 80, QImage::Format_RGB32);
    png.fill(QColor(9, 8, 7));
    ASSERT_TRUE(png.save(dir.filePath("M1a.bmp"), "PNG"));
    std::filesystem::remove(modules / "NODE1_01.bmp");
    WritePicture("node1_01.BMP", QColor(4, 5, 6), QSize(502, 80));
    Draw();
    EXPECT_EQ(view.Picture(1)->Image().pixel(5, 5), QColor(9, 8, 7).rgb());
    EXPECT_EQ(view.Picture(0)->Image().pixel(5, 5), QColor(4, 5, 6).rgb());
}

TEST_F(StationViewTest, TotalsAndTexts)
{
    Put({{1, "M1", 16, 0}, {4, "M4", 0, 8}, {5, "M5", 32767, 1}});
    station.Slots[1].Description = "<b>Ausg\xe4nge</b>";
    Draw();
    // Texts are decoded from Windows-1252 and never taken for markup.
    EXPECT_EQ(Text("lblModDesc", 1), QString::fromUtf8("<b>Ausgänge</b>"));
    EXPECT_EQ(Label("lblModDesc", 1)->textFormat(), Qt::PlainText);
    // 2 + 16 + 0 + 32767 would leave the 16-bit range: that addition is skipped.
    EXPECT_EQ(station.TotalInputs, 18);
    EXPECT_EQ(station.TotalOutputs, 3 + 8 + 1);
    EXPECT_EQ(view.findChild<QLabel*>("lblTotInputs")->text(), "18");
    EXPECT_EQ(view.findChild<QLabel*>("lblTotOutputs")->text(), "12");
}

TEST_F(StationViewTest, LargePicturesAreShownAtTheirOwnSizeFromTheTopLeftAndClipped)
{
    // A 100 x 100 picture: left half blue, right half green. The 70 x 80 element shows its
    // top-left part unscaled.
    QImage big(100, 100, QImage::Format_RGB32);
    big.fill(Qt::blue);
    for (int y = 0; y < 100; ++y)
        for (int x = 50; x < 100; ++x)
            big.setPixel(x, y, qRgb(0, 255, 0));
    Put({{1, "M1"}});
    ASSERT_TRUE(big.save(dir.filePath("M1a.bmp"), "BMP"));
    Draw();
    view.resize(view.sizeHint());
    const QImage shot = view.Picture(1)->grab().toImage();
    ASSERT_EQ(shot.size() / shot.devicePixelRatio(), QSize(70, 80));
    EXPECT_EQ(shot.pixel(10, 10), qRgb(0, 0, 255));
    EXPECT_EQ(shot.pixel(49, 79), qRgb(0, 0, 255));
    EXPECT_EQ(shot.pixel(50, 10), qRgb(0, 255, 0));
    EXPECT_EQ(shot.pixel(69, 79), qRgb(0, 255, 0));
    EXPECT_EQ(view.Picture(1)->size(), QSize(70, 80));
}

// --- Drag and drop -----------------------------------------------------------------------

QMimeData* CatalogDragData()
{
    auto* data = new QMimeData;
    data->setData(kr39::CatalogTree::DragMimeType, QByteArray());
    return data;
}

enum class Target { Image, Label };

struct FeedbackCase {
    const char* Name;
    const char* PartNo; // of slot 3
    Target On;
    QString OnEnter; // what image 3 shows after the drag enters
    QString OnLeave; // ... and after it leaves
};

class DragFeedback : public StationViewTest, public testing::WithParamInterface<FeedbackCase> { };

TEST_P(DragFeedback, FollowsTheKindOfTheSlot)
{
    const FeedbackCase& c = GetParam();
    Put({{3, c.PartNo}}, false);
    if (std::string(c.PartNo) == "Bus")
        station.Slots[4] = {"M4", "", 0, 0};
    WriteModulePictures("M4");
    Draw();
    QWidget* target = c.On == Target::Image ? static_cast<QWidget*>(view.Picture(3)) : Label("lblSlot", 3);
    QSignalSpy dropped(&view, &StationView::SlotDropped);
    std::unique_ptr<QMimeData> data(CatalogDragData());

    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton, {});
    QCoreApplication::sendEvent(target, &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(enter.dropAction(), Qt::CopyAction) << "the source's proposal is kept";
    EXPECT_EQ(Shown(3), c.OnEnter);

    QDragMoveEvent move(QPoint(6, 6), Qt::CopyAction, data.get(), Qt::LeftButton, {});
    QCoreApplication::sendEvent(target, &move);
    EXPECT_TRUE(move.isAccepted());
    EXPECT_EQ(Shown(3), c.OnEnter);

    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(target, &leave);
    EXPECT_EQ(Shown(3), c.OnLeave);

    QCoreApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(6, 6), Qt::CopyAction, data.get(), Qt::LeftButton, {});
    QCoreApplication::sendEvent(target, &drop);
    EXPECT_TRUE(drop.isAccepted());
    ASSERT_EQ(dropped.count(), 1);
    EXPECT_EQ(dropped.at(0).at(0).toInt(), 3);
    EXPECT_EQ(Shown(3), c.OnLeave) << "no feedback left behind by the drop";
    // The view changes no slot itself.
    EXPECT_EQ(station.Slots[3].PartNo, c.PartNo);
}

INSTANTIATE_TEST_SUITE_P(Station, DragFeedback,
    testing::Values(FeedbackCase {"EmptyImage", "None", Target::Image, "102", ""},
        FeedbackCase {"EmptyLabel", "None", Target::Label, "102", ""},
        FeedbackCase {"FillerImage", "Bus", Target::Image, "105", "104"},
        FeedbackCase {"FillerLabel", "Bus", Target::Label, "105", "104"},
        FeedbackCase {"ModuleImage", "M3", Target::Image, "M3a.bmp", "M3a.bmp"}),
    [](const testing::TestParamInfo<FeedbackCase>& info) { return std::string(info.param.Name); });

TEST_F(StationViewTest, OnlySlotsOneToSixteenTakeDropsFromTheCatalog)
{
    Draw();
    QSignalSpy dropped(&view, &StationView::SlotDropped);
    std::unique_ptr<QMimeData> catalogDrag(CatalogDragData());
    QMimeData fileDrag;
    fileDrag.setUrls({QUrl::fromLocalFile("/tmp/x.bmp")});

    auto tryDrop = [&](QWidget* target, const QMimeData* data) {
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(target, &enter);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(target, &drop);
        return enter.isAccepted() || drop.isAccepted();
    };
    EXPECT_FALSE(tryDrop(view.Picture(0), catalogDrag.get()));
    EXPECT_FALSE(view.Picture(0)->acceptDrops());
    EXPECT_FALSE(tryDrop(view.Picture(5), &fileDrag)) << "a drag from outside the program";
    EXPECT_FALSE(Label("lblMod", 5)->acceptDrops());
    EXPECT_FALSE(view.BusSegment(5)->acceptDrops());
    EXPECT_EQ(dropped.count(), 0);

    for (int i = 1; i <= 16; ++i) {
        EXPECT_TRUE(tryDrop(view.Picture(i), catalogDrag.get())) << i;
        EXPECT_TRUE(tryDrop(Label("lblSlot", i), catalogDrag.get())) << i;
    }
    ASSERT_EQ(dropped.count(), 32);
    EXPECT_EQ(dropped.at(31).at(0).toInt(), 16);
}

} // namespace
