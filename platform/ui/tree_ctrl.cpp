#include "platform/ui/tree_ctrl.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "platform/gdi/image_list.h"
#include "platform/msg/message_pos.h"

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

// Mouse presses and F2 become the control's notifications; the check box does not tick
// itself: the parent decides what a click on it means.
class CTreeCtrl::Events : public QObject {
public:
    Events(CTreeCtrl* owner, QObject* parent) : QObject(parent), m_owner(owner) {}
    bool eventFilter(QObject*, QEvent* e) override {
        switch (e->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick: {
                auto* me = static_cast<QMouseEvent*>(e);
                const QPoint g = me->globalPosition().toPoint();
                platform::SetMessagePos(g.x(), g.y());
                if (me->button() == Qt::RightButton) {
                    m_owner->Notify(NM_RCLICK);
                    return true;
                }
                if (me->button() != Qt::LeftButton) return false;
                QTreeWidget* tree = m_owner->Tree();
                if (QTreeWidgetItem* item = tree->itemAt(me->position().toPoint()))
                    tree->setCurrentItem(item);
                m_owner->Notify(e->type() == QEvent::MouseButtonDblClick ? NM_DBLCLK : NM_CLICK);
                return false;
            }
            case QEvent::KeyPress:
                if (static_cast<QKeyEvent*>(e)->key() == Qt::Key_F2) {
                    m_owner->EditLabel(m_owner->GetSelectedItem());
                    return true;
                }
                return false;
            default:
                return false;
        }
    }

private:
    CTreeCtrl* m_owner;
};

QWidget* CTreeCtrl::MakeWidget(QWidget* parentWidget, const CREATESTRUCT&) {
    auto* tree = new QTreeWidget(parentWidget);
    tree->setColumnCount(1);
    tree->header()->hide();
    // A label shows whole, as in a tree view of Windows: a pane narrower than the deepest item's
    // check box, picture and text scrolls sideways instead of eliding the text away.
    tree->header()->setStretchLastSection(false);
    tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    tree->setIconSize(QSize(16, 16));
    tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto* events = new Events(this, tree);
    tree->viewport()->installEventFilter(events);
    tree->installEventFilter(events);
    return tree;
}

void CTreeCtrl::Notify(int code) {
    CWnd* parent = GetParent();
    if (!parent) return;
    NMHDR nm;
    nm.hwndFrom = GetSafeHwnd();
    nm.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
    nm.code = code;
    parent->SendMessage(WM_NOTIFY, nm.idFrom, reinterpret_cast<LPARAM>(&nm));
}

CImageList* CTreeCtrl::SetImageList(CImageList* list, int type) {
    CImageList*& slot = type == TVSIL_STATE ? m_stateImages : m_normalImages;
    CImageList* old = slot;
    slot = list;
    if (QTreeWidget* tree = Tree())
        for (QTreeWidgetItemIterator it(tree); *it; ++it)
            ShowImage(Handle(*it));
    return old;
}

CImageList* CTreeCtrl::GetImageList(int type) const {
    return type == TVSIL_STATE ? m_stateImages : m_normalImages;
}

void CTreeCtrl::ShowImage(HTREEITEM h) {
    auto* item = reinterpret_cast<QTreeWidgetItem*>(h);
    if (!item || !m_normalImages) return;
    const QImage image = m_normalImages->GetImage(item->data(0, kImage).toInt());
    item->setIcon(0, image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image)));
}

HTREEITEM CTreeCtrl::HitTest(CPoint point, UINT* flags) const {
    QTreeWidget* tree = Tree();
    UINT hit = TVHT_NOWHERE;
    QTreeWidgetItem* item = nullptr;
    if (tree) {
        const QPoint at = tree->viewport()->mapFrom(tree, QPoint(point.x, point.y));
        item = tree->itemAt(at);
        if (item) {
            const QRect r = tree->visualItemRect(item);
            // The check box comes first, then the picture, then the text.
            const int box = item->data(0, kStateImage).toInt() != 0 ? 20 : 0;
            const int icon = m_normalImages ? 20 : 0;
            if (at.x() < r.left() + box)
                hit = TVHT_ONITEMSTATEICON;
            else if (at.x() < r.left() + box + icon)
                hit = TVHT_ONITEMICON;
            else
                hit = TVHT_ONITEMLABEL;
        }
    }
    if (flags) *flags = hit;
    return item ? Handle(item) : nullptr;
}

BOOL CTreeCtrl::GetItemRect(HTREEITEM h, LPRECT rect, BOOL) const {
    QTreeWidget* tree = Tree();
    QTreeWidgetItem* item = Item(h);
    if (!tree || !item || !rect) return FALSE;
    QRect r = tree->visualItemRect(item);
    if (!r.isValid()) return FALSE;
    r.moveTopLeft(tree->viewport()->mapTo(tree, r.topLeft()));
    *rect = CRect(r.left(), r.top(), r.right() + 1, r.bottom() + 1);
    return TRUE;
}

QLineEdit* CTreeCtrl::EditLabel(HTREEITEM h) {
    QTreeWidget* tree = Tree();
    QTreeWidgetItem* item = Item(h);
    if (!tree || !item) return nullptr;
    EndEditLabelNow(TRUE);
    CWnd* parent = GetParent();
    NMTVDISPINFO info;
    info.hdr = {GetSafeHwnd(), static_cast<UINT_PTR>(GetDlgCtrlID()), TVN_BEGINLABELEDIT};
    info.item.hItem = h;
    const std::string text = item->text(0).toStdString();
    info.item.pszText = const_cast<char*>(text.c_str());
    if (parent && parent->SendMessage(WM_NOTIFY, info.hdr.idFrom, reinterpret_cast<LPARAM>(&info)))
        return nullptr;
    m_editItem = h;
    m_editor = new QLineEdit(item->text(0), tree->viewport());
    m_editor->setGeometry(tree->visualItemRect(item));
    m_editor->selectAll();
    m_editor->show();
    m_editor->setFocus();
    QObject::connect(m_editor, &QLineEdit::returnPressed, m_editor,
                     [this] { EndEditLabelNow(FALSE); });
    return m_editor;
}

QLineEdit* CTreeCtrl::GetEditControl() const {
    return m_editor;
}

BOOL CTreeCtrl::EndEditLabelNow(BOOL cancel) {
    if (!m_editor) return FALSE;
    QLineEdit* editor = m_editor;
    const HTREEITEM h = m_editItem;
    m_editor = nullptr;
    m_editItem = nullptr;
    const std::string text = editor->text().toStdString();
    editor->hide();
    editor->deleteLater();
    QTreeWidgetItem* item = Item(h);
    if (!item) return FALSE;
    NMTVDISPINFO info;
    info.hdr = {GetSafeHwnd(), static_cast<UINT_PTR>(GetDlgCtrlID()), TVN_ENDLABELEDIT};
    info.item.hItem = h;
    info.item.pszText = cancel ? nullptr : const_cast<char*>(text.c_str());
    CWnd* parent = GetParent();
    const LRESULT accepted =
        parent ? parent->SendMessage(WM_NOTIFY, info.hdr.idFrom, reinterpret_cast<LPARAM>(&info))
               : 0;
    if (accepted && !cancel && Item(h)) item->setText(0, QString::fromStdString(text));
    return TRUE;
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
    item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable);
    ShowImage(Handle(item));
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
    ShowImage(h);
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
