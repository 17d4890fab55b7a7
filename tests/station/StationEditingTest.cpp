// Placing and removing modules in the main window: presses in the catalog tree, synthetic drops
// on the slot widgets, double-clicks on the slot pictures, and what follows each of them.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fstream>
#include <memory>
#include <string>

#include "../support/GuiTest.h"
#include "app/CommandLayer.h"
#include "app/MainWindow.h"
#include "app/StatusBar.h"
#include "catalog/CatalogTree.h"
#include "station/StationView.h"

namespace {

using kr39::MainWindow;

// Two groups, one caption with a blank and one without.
const char* const CatalogText = "00 KR39NODE000001\r\n"
                                "01 Digital inputs\r\n"
                                "02 Outputs\r\n"
                                "<STARTMODULES>\r\n"
                                "00 002 000 KR39NODE000001 The bus node\r\n"
                                "01 008 000 DI8 8 inputs\r\n"
                                "01 016 000 DI16 16 inputs\r\n";

class StationEditingTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        modules = std::filesystem::path(dir.path().toStdString());
        std::ofstream(modules / "pn.dat", std::ios::binary) << CatalogText;
        QImage picture(70, 80, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        for (const char* pn : {"DI8", "DI16"})
            for (const char* variant : {"a", "b"})
                picture.save(dir.filePath(QString("%1%2.bmp").arg(pn, variant)), "BMP");

        window = std::make_unique<MainWindow>(modules);
        window->show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return window->IsInitialized(); }));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        tree = window->tvCatalog();
        view = window->picVexaConf();
        ASSERT_TRUE(tree && view);
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
        ASSERT_TRUE(target && kr39::test::SendDrag(target, QEvent::Drop));
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

    bool SaveEnabled() const { return window->Commands()->mnuFileSave->isEnabled(); }

    QTemporaryDir dir;
    std::filesystem::path modules;
    std::unique_ptr<MainWindow> window;
    kr39::CatalogTree* tree = nullptr;
    kr39::StationView* view = nullptr;
};

struct DropCase {
    const char* Name;
    const char* Press; // the tree node pressed before the drop
    int Slot;
    bool OnLabel;
    std::string Branch1; // slots 1-4 afterwards
    bool Modified;
    bool Redraw;
    friend void PrintTo(const DropCase& c, std::ostream* os) { *os << c.Name; }
};

class DropOnSlot : public StationEditingTest, public testing::WithParamInterface<DropCase> { };

TEST_P(DropOnSlot, PlacesWhatDragTextNames)
{
    const DropCase& c = GetParam();
    PressInTree(c.Press);
    MarkStatus();
    DropOn(c.Slot, c.OnLabel);
    EXPECT_EQ(PartNos(1, 4), c.Branch1);
    EXPECT_EQ(PartNos(5, 16), kr39::test::Repeat(12, "None", " ").substr(0, 59));
    EXPECT_EQ(window->m_station.Modified, c.Modified);
    EXPECT_EQ(SaveEnabled(), c.Modified);
    EXPECT_EQ(Redrawn(), c.Redraw);
}

INSTANTIATE_TEST_SUITE_P(Station, DropOnSlot,
    testing::Values(
        DropCase {"SlotNumberLabelActsAsItsSlot", "DI16", 2, true, "Bus DI16 None None", true, true},
        DropCase {"RootPressDoesNothing", "r", 3, false, "None None None None", false, false},
        DropCase {"GroupWithBlankOnlyRedraws", "r01", 3, false, "None None None None", false, true}),
    [](const testing::TestParamInfo<DropCase>& info) { return std::string(info.param.Name); });

TEST_F(StationEditingTest, DropReplacesAnOccupiedSlotAndDragTextStays)
{
    PressInTree("DI8");
    DropOn(4);
    ASSERT_EQ(PartNos(1, 4), "Bus Bus Bus DI8");
    EXPECT_EQ(view->findChild<QLabel*>("lblTotInputs")->text(), "10");

    PressInTree("DI16");
    DropOn(4);
    EXPECT_EQ(PartNos(1, 4), "Bus Bus Bus DI16");
    EXPECT_EQ(window->m_station.Slots[4].Inputs, 16);
    EXPECT_EQ(view->findChild<QLabel*>("lblModPN_4")->text(), "DI16");
    EXPECT_EQ(view->findChild<QLabel*>("lblTotInputs")->text(), "18");

    // A second drop without a new press places the same module again; on a filler too.
    DropOn(2);
    EXPECT_EQ(PartNos(1, 4), "Bus DI16 Bus DI16");
    EXPECT_EQ(tree->DragText(), "DI16 16 inputs");
    EXPECT_EQ(view->findChild<QLabel*>("lblMod_4")->text(), "2");
}

TEST_F(StationEditingTest, DoubleClickRemovesAndFreesTheFillers)
{
    PressInTree("DI8");
    DropOn(7);
    ASSERT_EQ(PartNos(5, 8), "Bus Bus DI8 None");
    window->m_station.Modified = false;

    // The bus node cannot be removed: nothing happens, not even a redraw.
    MarkStatus();
    DoubleClick(view->Picture(0));
    EXPECT_FALSE(window->m_station.Modified);
    EXPECT_FALSE(Redrawn());

    // A slot-number label does not handle double-clicks, nor does any button but the left.
    DoubleClick(view->findChild<QWidget*>("lblSlot_5"));
    DoubleClick(view->Picture(7), Qt::RightButton);
    EXPECT_FALSE(window->m_station.Modified);

    // A filler that is still needed stays, but the station counts as changed.
    DoubleClick(view->Picture(5));
    EXPECT_EQ(PartNos(5, 8), "Bus Bus DI8 None");
    EXPECT_TRUE(window->m_station.Modified);
    EXPECT_TRUE(Redrawn());

    DoubleClick(view->Picture(7));
    EXPECT_EQ(PartNos(5, 8), "None None None None");
    EXPECT_FALSE(view->Picture(5)->HasPicture());
    EXPECT_FALSE(view->findChild<QLabel*>("lblMod_7")->isVisibleTo(view));
    EXPECT_TRUE(SaveEnabled());

    // An empty slot: nothing changes in the slots, the station counts as changed.
    window->m_station.Modified = false;
    MarkStatus();
    DoubleClick(view->Picture(12));
    EXPECT_EQ(PartNos(9, 12), "None None None None");
    EXPECT_TRUE(window->m_station.Modified);
    EXPECT_TRUE(Redrawn());
}

} // namespace

namespace {

// A real drag with the mouse: press on a module node, move onto a slot picture, release. It
// needs a platform with drag and drop (CTest runs it once more under xvfb-run); the offscreen
// platform ends every drag at once.
TEST_F(StationEditingTest, MouseDragFromTheTreeOntoASlot)
{
    if (QGuiApplication::platformName() == "offscreen")
        GTEST_SKIP() << "no drag and drop on the offscreen platform";
    QTreeWidgetItem* node = tree->FindNode("r01")->child(0);
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
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->m_station.Slots[6].PartNo == "DI8"; }, 2000));
    EXPECT_EQ(PartNos(5, 8), "Bus DI8 None None");
    EXPECT_EQ(tree->FindNode("r01")->childCount(), 2) << "the dragged node stays in the tree";
}

} // namespace
