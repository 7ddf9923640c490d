#include "platform/ui/tree_ctrl.h"

#include <QHeaderView>
#include <QTreeWidget>

namespace {

enum Role { kData = Qt::UserRole + 1, kImage, kSelectedImage, kStateImage };

HTREEITEM Handle(QTreeWidgetItem* item) {
    return reinterpret_cast<HTREEITEM>(item);
}

bool Contains(QTreeWidgetItem* parent, QTreeWidgetItem* wanted) {
    for (int i = 0; i < parent->childCount(); ++i)
        if (parent->child(i) == wanted || Contains(parent->child(i), wanted)) return true;
    return false;
}

}  // namespace

BOOL CTreeCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create(WC_TREEVIEW, "", style, rect, parent, id);
}

QWidget* CTreeCtrl::MakeWidget(QWidget* parentWidget, const CREATESTRUCT&) {
    auto* tree = new QTreeWidget(parentWidget);
    tree->setColumnCount(1);
    tree->header()->hide();
    return tree;
}

QTreeWidget* CTreeCtrl::Tree() const {
    return qobject_cast<QTreeWidget*>(GetWidget());
}

// Handles are checked against the tree, so a stale one does nothing.
QTreeWidgetItem* CTreeCtrl::Item(HTREEITEM h) const {
    QTreeWidget* tree = Tree();
    if (!tree || !h || h == TVI_ROOT || h == TVI_LAST) return nullptr;
    auto* wanted = reinterpret_cast<QTreeWidgetItem*>(h);
    return Contains(tree->invisibleRootItem(), wanted) ? wanted : nullptr;
}

HTREEITEM CTreeCtrl::InsertItem(LPCTSTR text, HTREEITEM parent, HTREEITEM after) {
    return InsertItem(text, 0, 0, parent, after);
}

HTREEITEM CTreeCtrl::InsertItem(LPCTSTR text, int image, int selectedImage, HTREEITEM parent,
                                HTREEITEM) {
    QTreeWidget* tree = Tree();
    if (!tree) return nullptr;
    QTreeWidgetItem* p = parent == TVI_ROOT ? tree->invisibleRootItem() : Item(parent);
    if (!p) return nullptr;
    auto* item = new QTreeWidgetItem(p, QStringList(QString::fromUtf8(text ? text : "")));
    item->setData(0, kImage, image);
    item->setData(0, kSelectedImage, selectedImage);
    item->setData(0, kStateImage, 0);
    item->setData(0, kData, QVariant::fromValue<qulonglong>(0));
    return Handle(item);
}

BOOL CTreeCtrl::DeleteItem(HTREEITEM h) {
    QTreeWidgetItem* item = Item(h);
    if (!item) return FALSE;
    delete item;
    return TRUE;
}

BOOL CTreeCtrl::DeleteAllItems() {
    QTreeWidget* tree = Tree();
    if (!tree) return FALSE;
    tree->clear();
    return TRUE;
}

UINT CTreeCtrl::GetCount() const {
    QTreeWidget* tree = Tree();
    if (!tree) return 0;
    UINT n = 0;
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        ++n;
    return n;
}

HTREEITEM CTreeCtrl::GetRootItem() const {
    QTreeWidget* tree = Tree();
    return tree && tree->topLevelItemCount() ? Handle(tree->topLevelItem(0)) : nullptr;
}

HTREEITEM CTreeCtrl::GetChildItem(HTREEITEM h) const {
    QTreeWidgetItem* item = Item(h);
    return item && item->childCount() ? Handle(item->child(0)) : nullptr;
}

HTREEITEM CTreeCtrl::GetNextSiblingItem(HTREEITEM h) const {
    QTreeWidgetItem* item = Item(h);
    if (!item) return nullptr;
    QTreeWidgetItem* p = item->parent() ? item->parent() : Tree()->invisibleRootItem();
    const int i = p->indexOfChild(item);
    return i + 1 < p->childCount() ? Handle(p->child(i + 1)) : nullptr;
}

HTREEITEM CTreeCtrl::GetParentItem(HTREEITEM h) const {
    QTreeWidgetItem* item = Item(h);
    return item ? Handle(item->parent()) : nullptr;
}

CString CTreeCtrl::GetItemText(HTREEITEM h) const {
    QTreeWidgetItem* item = Item(h);
    return item ? CString(item->text(0)) : CString();
}

BOOL CTreeCtrl::SetItemText(HTREEITEM h, LPCTSTR text) {
    QTreeWidgetItem* item = Item(h);
    if (!item) return FALSE;
    item->setText(0, QString::fromUtf8(text ? text : ""));
    return TRUE;
}

DWORD_PTR CTreeCtrl::GetItemData(HTREEITEM h) const {
    QTreeWidgetItem* item = Item(h);
    return item ? static_cast<DWORD_PTR>(item->data(0, kData).toULongLong()) : 0;
}

BOOL CTreeCtrl::SetItemData(HTREEITEM h, DWORD_PTR data) {
    QTreeWidgetItem* item = Item(h);
    if (!item) return FALSE;
    item->setData(0, kData, QVariant::fromValue<qulonglong>(data));
    return TRUE;
}

BOOL CTreeCtrl::GetItemImage(HTREEITEM h, int& image, int& selectedImage) const {
    QTreeWidgetItem* item = Item(h);
    if (!item) return FALSE;
    image = item->data(0, kImage).toInt();
    selectedImage = item->data(0, kSelectedImage).toInt();
    return TRUE;
}

BOOL CTreeCtrl::SetItemImage(HTREEITEM h, int image, int selectedImage) {
    QTreeWidgetItem* item = Item(h);
    if (!item) return FALSE;
    item->setData(0, kImage, image);
    item->setData(0, kSelectedImage, selectedImage);
    return TRUE;
}

UINT CTreeCtrl::GetItemState(HTREEITEM h, UINT mask) const {
    QTreeWidgetItem* item = Item(h);
    if (!item) return 0;
    UINT state = INDEXTOSTATEIMAGEMASK(item->data(0, kStateImage).toUInt());
    if (item->isExpanded()) state |= TVIS_EXPANDED;
    return state & mask;
}

BOOL CTreeCtrl::SetItemState(HTREEITEM h, UINT state, UINT mask) {
    QTreeWidgetItem* item = Item(h);
    if (!item) return FALSE;
    if (mask & TVIS_STATEIMAGEMASK) {
        const UINT image = (state & TVIS_STATEIMAGEMASK) >> 12;
        item->setData(0, kStateImage, image);
        // The state pictures are the check box: 2 ticked, 1 unticked, 0 none.
        if (image == 0)
            item->setData(0, Qt::CheckStateRole, QVariant());
        else
            item->setCheckState(0, image == 2 ? Qt::Checked : Qt::Unchecked);
    }
    if (mask & TVIS_EXPANDED) item->setExpanded(state & TVIS_EXPANDED);
    return TRUE;
}

BOOL CTreeCtrl::Expand(HTREEITEM h, UINT code) {
    QTreeWidgetItem* item = Item(h);
    if (!item) return FALSE;
    item->setExpanded(code == TVE_EXPAND);
    return TRUE;
}

BOOL CTreeCtrl::SelectItem(HTREEITEM h) {
    QTreeWidget* tree = Tree();
    QTreeWidgetItem* item = Item(h);
    if (!tree || (h && !item)) return FALSE;
    tree->setCurrentItem(item);
    return TRUE;
}

HTREEITEM CTreeCtrl::GetSelectedItem() const {
    QTreeWidget* tree = Tree();
    return tree && tree->currentItem() ? Handle(tree->currentItem()) : nullptr;
}
