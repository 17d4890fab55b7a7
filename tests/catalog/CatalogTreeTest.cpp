// The catalog tree built from a catalog, and DragText set by mouse presses.
#include <gtest/gtest.h>

#include <QTest>

#include "catalog/Catalog.h"
#include "catalog/CatalogTree.h"

namespace {

// A root line that does not name the bus node, two groups, a bus node, modules with and
// without a description and a Windows-1252 description.
const char* const CatalogText = "00 Some node line\r\n01 Digital inputs\r\n02 Outputs\r\n<STARTMODULES>\r\n"
                                "01 008 000 DI8 8 inputs 24 V\r\n00 000 000 NODE1 The bus node\r\n"
                                "02 000 004 DO4 \r\n01 016 000 DI16 Eing\xe4nge \x80 16\r\n";

QStringList Texts(const QTreeWidgetItem* parent)
{
    QStringList texts;
    for (int i = 0; i < parent->childCount(); ++i)
        texts << parent->child(i)->text(0);
    return texts;
}

void Press(kr39::CatalogTree& tree, const QPoint& pos, Qt::MouseButton button)
{
    QTest::mousePress(tree.viewport(), button, {}, pos);
    QTest::mouseRelease(tree.viewport(), button, {}, pos);
}

TEST(CatalogTree, ShowsRootGroupsAndModulesInFileOrderAndAPressWithAnyButtonSetsDragText)
{
    auto catalog = kr39::ParseCatalog(CatalogText);
    ASSERT_TRUE(catalog.Ok());
    kr39::CatalogTree tree;
    tree.resize(300, 400);
    tree.Fill(catalog.Value());
    tree.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));

    ASSERT_EQ(tree.topLevelItemCount(), 1);
    QTreeWidgetItem* root = tree.topLevelItem(0);
    EXPECT_EQ(root->text(0), "KR39NODE000001");
    EXPECT_EQ(Texts(root), QStringList({"Digital inputs", "Outputs"}));
    // The bus node has no node; an empty description leaves the blank after the part number.
    EXPECT_EQ(Texts(tree.FindNode("r01")),
        QStringList({"DI8 8 inputs 24 V", QString::fromUtf8("DI16 Eingänge € 16")}));
    EXPECT_EQ(Texts(tree.FindNode("r02")), QStringList({"DO4 "}));
    for (QTreeWidgetItemIterator it(&tree); *it; ++it)
        EXPECT_TRUE((*it)->childCount() == 0 || (*it)->isExpanded()) << (*it)->text(0).toStdString();
    EXPECT_EQ(tree.dragDropMode(), QAbstractItemView::DragOnly);

    EXPECT_EQ(tree.DragText(), "");
    Press(tree, tree.visualItemRect(tree.FindNode("r01")->child(1)).center(), Qt::LeftButton);
    EXPECT_EQ(tree.DragText(), QString::fromUtf8("DI16 Eingänge € 16"));
    EXPECT_EQ(tree.DragTextBytes(), "DI16 Eing\xe4nge \x80 16"); // the catalog's own bytes
    Press(tree, tree.visualItemRect(root).center(), Qt::RightButton);
    EXPECT_EQ(tree.DragText(), "KR39NODE000001");
    // Empty space below the last node.
    const QRect last = tree.visualItemRect(tree.FindNode("r02")->child(0));
    ASSERT_LT(last.bottom() + 20, tree.viewport()->height());
    Press(tree, QPoint(last.center().x(), last.bottom() + 20), Qt::MiddleButton);
    EXPECT_EQ(tree.DragText(), "");
}

} // namespace
