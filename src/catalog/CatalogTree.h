#pragma once

#include <QString>
#include <QTreeWidget>

#include <string>

namespace kr39 {

struct Catalog;

// The catalog tree "tvCatalog": the root node (the bus node's part number), one node per module
// group and under it one node per I/O module, "PartNo Description". A mouse press remembers the
// text of the node under the pointer (DragText); dragging a node starts a drag whose drop on a
// slot of the station view places the module named by DragText.
class CatalogTree : public QTreeWidget {
    Q_OBJECT
public:
    // The drag data the tree offers (Qt's item-view format); the station view accepts only
    // drags that carry it, that is drags that come from a catalog tree.
    static constexpr const char* DragMimeType = "application/x-qabstractitemmodeldatalist";

    // Node keys are kept in this item data role of column 0 ("r", "r01", ...).
    static constexpr int KeyRole = Qt::UserRole;

    explicit CatalogTree(QWidget* parent = nullptr);

    // Builds the nodes from the catalog, in file order, and expands them all. Any earlier nodes
    // are removed first.
    void Fill(const Catalog& catalog);

    // The node with the given key ("r" for the root, "r" + code for a group), or nullptr.
    QTreeWidgetItem* FindNode(const QString& key) const;

    // The text of the node under the pointer at the last mouse press, "" when the press hit no
    // node or there was none yet. Shown text, decoded from the catalog's Windows-1252 bytes.
    QString DragText() const { return m_dragText; }

    // The same text as the catalog's own bytes, unchanged, as the station rules expect it.
    const std::string& DragTextBytes() const { return m_dragTextBytes; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;

private:
    QTreeWidgetItem* AddNode(QTreeWidgetItem* parent, const std::string& textBytes);

    QString m_dragText;
    std::string m_dragTextBytes;
};

} // namespace kr39
