// The catalog tree built from a catalog, and DragText set by mouse presses.
#include <gtest/gtest.h>

#include <QTest>

#include "catalog/Catalog.h"
#include "catalog/CatalogTree.h"

namespace {

// A root line whose rest is not the bus node's part number, two groups (one caption with a
// blank), a bus node, modules with and without a description and a Windows-1252 description.
const char* const CatalogText = "00 Some node line\r\n"
                                "01 Digital inputs\r\n"
                                "02 Outputs\r\n"
                                "<STARTMODULES>\r\n"
                                "01 008 000 DI8 8 inputs 24 V\r\n"
                                "00 000 000 NODE1 The bus node\r\n"
                                "02 000 004 DO4 \r\n"
                                "01 016 000 DI16 Eing\xe4nge \x80 16\r\n";

kr39::Catalog TestCatalog()
{
    auto catalog = kr39::ParseCatalog(CatalogText);
    EXPECT_TRUE(catalog.Ok()) << catalog.Error().Describe();
    return catalog.Value();
}

QStringList Texts(const QTreeWidgetItem* parent)
{
    QStringList texts;
    for (int i = 0; i < parent->childCount(); ++i)
        texts << parent->child(i)->text(0);
    return texts;
}

class CatalogTreeTest : public testing::Test {
protected:
    void SetUp() override
    {
        tree.resize(300, 400);
        tree.Fill(TestCatalog());
        tree.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));
    }

    void Press(const QPoint& pos, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mousePress(tree.viewport(), button, {}, pos);
        QTest::mouseRelease(tree.viewport(), button, {}, pos);
    }
    void PressOn(const QTreeWidgetItem* item, Qt::MouseButton button = Qt::LeftButton)
    {
        Press(tree.visualItemRect(item).center(), button);
    }

    kr39::CatalogTree tree;
};

TEST_F(CatalogTreeTest, RootGroupsAndModulesInFileOrderAllExpanded)
{
    EXPECT_EQ(tree.objectName(), "tvCatalog");
    ASSERT_EQ(tree.topLevelItemCount(), 1);
    QTreeWidgetItem* root = tree.topLevelItem(0);
    EXPECT_EQ(root->text(0), "KR39NODE000001");
    EXPECT_EQ(tree.FindNode("r"), root);
    EXPECT_EQ(Texts(root), QStringList({"Digital inputs", "Outputs"}));

    QTreeWidgetItem* inputs = tree.FindNode("r01");
    QTreeWidgetItem* outputs = tree.FindNode("r02");
    ASSERT_TRUE(inputs && outputs);
    EXPECT_EQ(inputs->parent(), root);
    EXPECT_EQ(inputs->text(0), "Digital inputs");
    // The bus node has no node; an empty description leaves the blank after the part number.
    EXPECT_EQ(Texts(inputs), QStringList({"DI8 8 inputs 24 V", QString::fromUtf8("DI16 Eingänge € 16")}));
    EXPECT_EQ(Texts(outputs), QStringList({"DO4 "}));
    EXPECT_EQ(tree.FindNode("r00"), nullptr);

    for (QTreeWidgetItemIterator it(&tree); *it; ++it) {
        EXPECT_TRUE((*it)->childCount() == 0 || (*it)->isExpanded()) << (*it)->text(0).toStdString();
        EXPECT_TRUE((*it)->icon(0).isNull());
        EXPECT_FALSE((*it)->flags() & Qt::ItemIsEditable);
        EXPECT_TRUE((*it)->flags() & Qt::ItemIsDragEnabled);
    }
}

TEST_F(CatalogTreeTest, PressSetsDragTextToTheNodeUnderThePointer)
{
    EXPECT_EQ(tree.DragText(), "");
    QTreeWidgetItem* module = tree.FindNode("r01")->child(1);

    PressOn(module);
    EXPECT_EQ(tree.DragText(), QString::fromUtf8("DI16 Eingänge € 16"));
    // The catalog's own bytes come back unchanged.
    EXPECT_EQ(tree.DragTextBytes(), "DI16 Eing\xe4nge \x80 16");

    PressOn(tree.FindNode("r"), Qt::RightButton);
    EXPECT_EQ(tree.DragText(), "KR39NODE000001");
    EXPECT_EQ(tree.DragTextBytes(), "KR39NODE000001");

    PressOn(tree.FindNode("r02"), Qt::MiddleButton);
    EXPECT_EQ(tree.DragText(), "Outputs");

    // Empty space below the last node.
    const QRect last = tree.visualItemRect(tree.FindNode("r02")->child(0));
    ASSERT_LT(last.bottom() + 20, tree.viewport()->height());
    Press(QPoint(last.center().x(), last.bottom() + 20));
    EXPECT_EQ(tree.DragText(), "");
    EXPECT_EQ(tree.DragTextBytes(), "");
}

TEST_F(CatalogTreeTest, TakesNoDropsAndDragsOnlyCopies)
{
    EXPECT_FALSE(tree.acceptDrops());
    EXPECT_EQ(tree.dragDropMode(), QAbstractItemView::DragOnly);
    EXPECT_TRUE(tree.model()->mimeTypes().contains(kr39::CatalogTree::DragMimeType));
}

} // namespace
