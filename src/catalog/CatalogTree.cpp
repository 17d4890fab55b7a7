#include "catalog/CatalogTree.h"

#include <QHeaderView>
#include <QMouseEvent>

#include "catalog/Catalog.h"
#include "resources/Windows1252.h"

namespace kr39 {

namespace {

// The node's text as the catalog's bytes, kept beside the decoded text shown on screen so
// that a press hands the station rules exactly the bytes of the file.
constexpr int BytesRole = Qt::UserRole + 1;

} // namespace

CatalogTree::CatalogTree(QWidget* parent)
    : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("tvCatalog"));
    setColumnCount(1);
    setHeaderHidden(true);
    setRootIsDecorated(true);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setDefaultDropAction(Qt::CopyAction);
    setAcceptDrops(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Long entries are read by scrolling sideways, not cut off: the column is as wide as its
    // widest entry.
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
}

QTreeWidgetItem* CatalogTree::AddNode(QTreeWidgetItem* parent, const std::string& textBytes)
{
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
    // The text is shown, and as a tooltip too, up to a few hundred characters.
    item->setText(0, DecodeForDisplay(textBytes));
    item->setToolTip(0, ToolTipText(item->text(0)));
    item->setData(0, BytesRole, QByteArray(textBytes.data(), static_cast<qsizetype>(textBytes.size())));
    // A node can be dragged but nothing can be dropped on it.
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled);
    return item;
}

void CatalogTree::Fill(const Catalog& catalog)
{
    clear();
    m_dragText.clear();
    m_dragTextBytes.clear();

    QTreeWidgetItem* root = nullptr;
    for (const CatalogGroup& group : catalog.Groups) {
        if (group.Code == BusNodeTypeCode) {
            // The root always shows the bus node's part number, whatever its line says.
            if (!root) {
                root = AddNode(nullptr, std::string(RootNodeText));
                root->setData(0, KeyRole, QStringLiteral("r"));
            }
        } else if (root) {
            QTreeWidgetItem* node = AddNode(root, group.Caption);
            node->setData(0, KeyRole, QStringLiteral("r") + DecodeWindows1252(group.Code));
        }
    }

    for (int i = 0; i < catalog.ModuleLineCount && i < CatalogCapacity; ++i) {
        const CatalogEntry& entry = catalog.Entries[static_cast<std::size_t>(i)];
        if (entry.TypeCode == BusNodeTypeCode)
            continue; // bus nodes have no node of their own
        QTreeWidgetItem* group = FindNode(QStringLiteral("r") + DecodeWindows1252(entry.TypeCode));
        if (!group || group == root)
            continue;
        AddNode(group, entry.PartNo + ' ' + entry.Description);
    }

    expandAll();
}

QTreeWidgetItem* CatalogTree::FindNode(const QString& key) const
{
    QTreeWidgetItem* root = topLevelItemCount() > 0 ? topLevelItem(0) : nullptr;
    if (!root)
        return nullptr;
    if (root->data(0, KeyRole).toString() == key)
        return root;
    for (int i = 0; i < root->childCount(); ++i) {
        QTreeWidgetItem* child = root->child(i);
        if (child->data(0, KeyRole).toString() == key)
            return child;
    }
    return nullptr;
}

void CatalogTree::mousePressEvent(QMouseEvent* event)
{
    // Any button: remember the node under the pointer, or nothing on empty space; the tree's
    // own press handling (selection, the start of a drag) goes on as usual.
    const QTreeWidgetItem* item = itemAt(event->position().toPoint());
    if (item) {
        m_dragText = item->text(0);
        m_dragTextBytes = item->data(0, BytesRole).toByteArray().toStdString();
    } else {
        m_dragText.clear();
        m_dragTextBytes.clear();
    }
    QTreeWidget::mousePressEvent(event);
}

void CatalogTree::startDrag(Qt::DropActions supportedActions)
{
    // Always a copy: a move would let the item view delete the dragged node after the drop.
    if (supportedActions & Qt::CopyAction)
        QTreeWidget::startDrag(Qt::CopyAction);
}

} // namespace kr39
