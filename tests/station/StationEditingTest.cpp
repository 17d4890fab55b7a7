// Placing and removing modules in the main window: presses in the catalog tree, synthetic drops
// on the slot widgets, double-clicks on the slot pictures, and what follows each of them.
#include <QLabel>
#include <QTimer>

#include "../support/GuiTest.h"
#include "app/StatusBar.h"
#include "station/StationView.h"

namespace {

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

    bool SaveEnabled() const { return Action("mnuFileSave")->isEnabled(); }

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
    EXPECT_FALSE(SaveEnabled());

    // A drop replaces the module of an occupied slot.
    PressInTree("KR39DI08DC24");
    DropOn(4);
    ASSERT_EQ(PartNos(1, 4), "Bus Bus Bus KR39DI08DC24");

    PressInTree("KR39DI16DC24");
    DropOn(4);
    EXPECT_EQ(PartNos(1, 4), "Bus Bus Bus KR39DI16DC24");
    EXPECT_EQ(view->findChild<QLabel*>("lblTotInputs")->text(), "4");

    // A second drop without a new press places the same module again; on a filler's number too.
    DropOn(2, true);
    EXPECT_EQ(PartNos(1, 4), "Bus KR39DI16DC24 Bus KR39DI16DC24");
    EXPECT_TRUE(SaveEnabled());
    EXPECT_EQ(tree->DragText(), "KR39DI16DC24 16 DI 24 V DC, 3 ms");
    EXPECT_EQ(view->findChild<QLabel*>("lblMod_4")->text(), "2");

    // A double-click on a module removes it and frees its fillers.
    PressInTree("KR39DI08DC24");
    DropOn(7);
    ASSERT_EQ(PartNos(5, 8), "Bus Bus KR39DI08DC24 None");
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

    DoubleClick(view->Picture(7));
    EXPECT_EQ(PartNos(5, 8), "None None None None");
    EXPECT_FALSE(view->Picture(5)->HasPicture()); // redrawn
    EXPECT_TRUE(SaveEnabled());
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
