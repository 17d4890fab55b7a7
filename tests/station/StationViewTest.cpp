// The station view: DrawStation on the station's edge cases, drag feedback and drops; then placing
// and removing modules in the main window: presses in the catalog tree, synthetic drops on the slot
// widgets, double-clicks on the slot pictures, and what follows each of them.
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QSignalSpy>
#include <QTimer>

#include <map>
#include <vector>

#include "../support/GuiTest.h"
#include "app/StatusBar.h"
#include "resources/ResourcePictures.h"
#include "station/StationView.h"

namespace {

using kr39::StationView;

// A drag (from the catalog tree unless `data` is given) entering `target`, then moving over it,
// leaving it or dropping on it; tells whether the entry kept its proposed copy action and the
// last event was taken.
bool SendDrag(QWidget* target, QEvent::Type last, const QMimeData* data = nullptr)
{
    QMimeData catalog;
    catalog.setData(kr39::CatalogTree::DragMimeType, QByteArray());
    data = data ? data : &catalog;
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(target, &enter);
    const bool accepted = enter.isAccepted() && enter.dropAction() == Qt::CopyAction;
    QDragMoveEvent move(QPoint(6, 6), Qt::CopyAction, data, Qt::LeftButton, {});
    QDragLeaveEvent leave;
    QDropEvent drop(QPointF(6, 6), Qt::CopyAction, data, Qt::LeftButton, {});
    QEvent* event = last == QEvent::DragMove ? static_cast<QEvent*>(&move)
        : last == QEvent::DragLeave          ? static_cast<QEvent*>(&leave)
                                             : &drop;
    QCoreApplication::sendEvent(target, event);
    return accepted && (last == QEvent::DragLeave || event->isAccepted());
}

struct Slot {
    int Index;
    std::string PartNo;
    std::int16_t Inputs = 0;
    std::int16_t Outputs = 0;
};

class StationViewTest : public kr39::test::GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
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
        EXPECT_TRUE(image.save(m_temp.filePath(name), "BMP"));
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

    void Draw() { view.DrawStation(station, Temp()); }

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

    std::map<QString, QRgb> colours;
    kr39::Station station;
    StationView view;
};

TEST_F(StationViewTest, ElementsSitAtTheirPlacesWithPicturesVariantsModuleNumbersTextsAndTotals)
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

    Put({{3, "M3", 16, 0}, {4, "M4", 0, 8}, {6, "B", 32767, 1}, {9, "C"}, {16, "D"}});
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
    // 2 + 16 + 0 + 32767 would leave the 16-bit range: that addition is skipped.
    EXPECT_EQ(station.TotalInputs, 18);
    EXPECT_EQ(station.TotalOutputs, 3 + 8 + 1);
    EXPECT_EQ(view.findChild<QLabel*>("lblTotInputs")->text(), "18");
    EXPECT_EQ(view.findChild<QLabel*>("lblTotOutputs")->text(), "12");
    // Texts are shown as they are, never as markup.
    station.Slots[3].Description = "<b>Ausg\xe4nge</b>";
    Draw();
    EXPECT_EQ(Text("lblModDesc", 3), QString::fromUtf8("<b>Ausgänge</b>"));
    EXPECT_EQ(Label("lblModDesc", 3)->textFormat(), Qt::PlainText);
}

TEST_F(StationViewTest, MissingOrBrokenPicturesShowThePlaceholderAndRedrawsReadTheDiskAgain)
{
    Put({{1, "M1"}, {2, "M2"}, {3, "M3"}, {4, "M4"}});
    Draw();
    EXPECT_EQ(Shown(1), "M1b.bmp");
    std::filesystem::remove(m_temp.filePath("M1b.bmp").toStdString());
    kr39::test::WriteBytes(m_temp.filePath("M2b.bmp").toStdString(), "BM this is not a picture");
    QFile::rename(
        m_temp.filePath("NODE1_01.bmp"), m_temp.filePath("node1_01.BMP")); // letter case does not matter
    // A part number that would name a file outside the folder counts as missing.
    station.Slots[3].PartNo = "../M3";
    WritePicture("../M3b.bmp");
    Draw();
    QFile::remove(m_temp.filePath("../M3b.bmp"));
    EXPECT_EQ(QStringList({Shown(0), Shown(1), Shown(2), Shown(3), Shown(4)}),
        QStringList({"NODE1_01.bmp", "103", "103", "103", "M4a.bmp"}));
    // Everything else of those slots is drawn as usual.
    EXPECT_EQ(Text("lblModPN", 1), "M1");
    EXPECT_EQ(Text("lblMod", 3), "3");
}

TEST_F(StationViewTest, LargePicturesAreShownUnscaledFromTheTopLeftAndClipped)
{
    QImage big(100, 100, QImage::Format_RGB32);
    big.fill(Qt::blue);
    QPainter(&big).fillRect(50, 0, 50, 100, Qt::green);
    Put({{1, "M1"}});
    ASSERT_TRUE(big.save(m_temp.filePath("M1a.bmp"), "BMP"));
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
    for (int i = 1; i <= 16; ++i) {
        EXPECT_TRUE(SendDrag(view.Picture(i), QEvent::Drop)) << i;
        EXPECT_TRUE(SendDrag(Label("lblSlot", i), QEvent::Drop)) << i;
    }
    ASSERT_EQ(dropped.count(), 32); // none from the refused drags
    EXPECT_EQ(dropped.at(31).at(0).toInt(), 16);
}

// --- Editing in the main window ---------------------------------------------------------

class StationEditingTest : public kr39::test::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        tree = window->tvCatalog();
        view = window->picVexaConf();
    }

    // A left press on the tree node of a key ("r", "r01") or of a module's part number.
    void PressInTree(const QString& what)
    {
        QTreeWidgetItem* node = tree->FindNode(what);
        for (QTreeWidgetItemIterator it(tree); *it && !node; ++it)
            node = (*it)->text(0).startsWith(what + " ") ? *it : nullptr;
        ASSERT_TRUE(node);
        const QPoint pos = tree->visualItemRect(node).center();
        QTest::mousePress(tree->viewport(), Qt::LeftButton, {}, pos);
        QTest::mouseRelease(tree->viewport(), Qt::LeftButton, {}, pos);
    }

    // A drag from the catalog entering the slot widget and dropping there.
    void DropOn(int slot, bool onLabel = false)
    {
        QWidget* target
            = onLabel ? view->findChild<QWidget*>(QString("lblSlot_%1").arg(slot)) : view->Picture(slot);
        ASSERT_TRUE(target && SendDrag(target, QEvent::Drop));
    }

    void DoubleClick(QWidget* target, Qt::MouseButton button = Qt::LeftButton)
    {
        QMouseEvent event(QEvent::MouseButtonDblClick, QPointF(3, 3), target->mapToGlobal(QPointF(3, 3)),
            button, button, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &event);
    }

    // Any redraw puts "Status:" back into panel 1.
    void MarkStatus() { window->sbStatusBar()->SetPanelText(1, "Status: OK"); }
    bool Redrawn() const { return window->sbStatusBar()->PanelText(1) == "Status:"; }

    std::string PartNos(int from, int to) const
    {
        std::string text;
        for (int i = from; i <= to; ++i)
            text += (i > from ? " " : "") + window->m_station.Slots[static_cast<std::size_t>(i)].PartNo;
        return text;
    }

    kr39::CatalogTree* tree = nullptr;
    kr39::StationView* view = nullptr;
};

TEST_F(StationEditingTest, APressChoosesWhatTheDropsPlaceAndADoubleClickRemoves)
{
    // A press on the root places nothing; one on a group only redraws.
    PressInTree("r");
    MarkStatus();
    DropOn(3);
    EXPECT_FALSE(Redrawn());
    PressInTree("r01"); // a caption with a blank
    DropOn(3);
    EXPECT_TRUE(Redrawn());
    EXPECT_EQ(PartNos(1, 16), kr39::test::Repeat(16, "None", " ").substr(0, 79));
    EXPECT_FALSE(window->m_station.Modified);

    PressInTree("KR39DI16DC24");
    DropOn(4);
    EXPECT_EQ(PartNos(1, 4), "Bus Bus Bus KR39DI16DC24");
    EXPECT_EQ(view->findChild<QLabel*>("lblTotInputs")->text(), "4");

    // A second drop without a new press places the same module again; on a filler's number too.
    DropOn(2, true);
    EXPECT_EQ(PartNos(1, 4), "Bus KR39DI16DC24 Bus KR39DI16DC24");
    EXPECT_TRUE(Action("mnuFileSave")->isEnabled());
    EXPECT_EQ(tree->DragText(), "KR39DI16DC24 16 DI 24 V DC, 3 ms");
    EXPECT_EQ(view->findChild<QLabel*>("lblMod_4")->text(), "2");

    // A drop replaces a module; a double-click removes it and frees its fillers.
    PressInTree("KR39DI08DC24");
    DropOn(4);
    ASSERT_EQ(PartNos(1, 4), "Bus KR39DI16DC24 Bus KR39DI08DC24");
    window->m_station.Modified = false;

    // The bus node cannot be removed: nothing happens, not even a redraw.
    MarkStatus();
    DoubleClick(view->Picture(0));
    EXPECT_FALSE(window->m_station.Modified);
    EXPECT_FALSE(Redrawn());

    // A slot-number label does not handle double-clicks, nor does any button but the left.
    DoubleClick(view->findChild<QWidget*>("lblSlot_5"));
    DoubleClick(view->Picture(4), Qt::RightButton);
    EXPECT_FALSE(window->m_station.Modified);

    DoubleClick(view->Picture(4));
    EXPECT_EQ(PartNos(1, 4), "Bus KR39DI16DC24 None None");
    EXPECT_FALSE(view->Picture(3)->HasPicture()); // redrawn
    EXPECT_TRUE(Action("mnuFileSave")->isEnabled());
}

// A real drag with the mouse: press on a module node, move onto a slot picture, release. It
// needs a platform with drag and drop (CTest runs it once more under xvfb-run); the offscreen
// platform ends every drag at once.
TEST_F(StationEditingTest, MouseDragFromTheTreeOntoASlot)
{
    if (QGuiApplication::platformName() == "offscreen")
        GTEST_SKIP() << "no drag and drop on the offscreen platform";
    QTreeWidgetItem* node = tree->FindNode("r01")->child(0);
    const int entries = tree->FindNode("r01")->childCount();
    const QPoint start = tree->visualItemRect(node).center();
    QWidget* target = view->Picture(6);
    const QPoint end = target->mapTo(window.get(), target->rect().center());

    // The drag runs its own event loop; the pointer moves on to the slot and lets go from there.
    QTest::mousePress(tree->viewport(), Qt::LeftButton, {}, start);
    QTimer::singleShot(50, [&] {
        QTest::mouseMove(window.get(), end);
        QTimer::singleShot(50, [&] { QTest::mouseRelease(window.get(), Qt::LeftButton, {}, end); });
    });
    for (int dx : {30, 60}) {
        const QPointF pos = start + QPoint(dx, 0);
        QMouseEvent move(QEvent::MouseMove, pos, tree->viewport()->mapToGlobal(pos), Qt::NoButton,
            Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(tree->viewport(), &move);
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->m_station.Slots[6].PartNo == "KR39DI08DC24"; }, 2000));
    EXPECT_EQ(PartNos(5, 8), "Bus KR39DI08DC24 None None");
    EXPECT_EQ(tree->FindNode("r01")->childCount(), entries) << "the dragged node stays in the tree";
}

} // namespace
