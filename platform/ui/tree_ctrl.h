#pragma once
// CTreeCtrl: the tree view control ("SysTreeView32") on a Qt tree widget, with item data and
// state images (the check-box pictures: 1 unticked, 2 ticked).

#include "platform/base/geometry.h"
#include "platform/msg/messages.h"
#include "platform/msg/wnd.h"

class QTreeWidget;
class QTreeWidgetItem;

struct TREEITEM_;
using HTREEITEM = TREEITEM_*;
inline const HTREEITEM TVI_ROOT = reinterpret_cast<HTREEITEM>(-0x10000);
inline const HTREEITEM TVI_LAST = reinterpret_cast<HTREEITEM>(-0x0FFFE);

constexpr const char* WC_TREEVIEW = "SysTreeView32";
constexpr UINT TVIS_EXPANDED = 0x0020;
constexpr UINT TVIS_STATEIMAGEMASK = 0xF000;
constexpr UINT TVE_COLLAPSE = 1;
constexpr UINT TVE_EXPAND = 2;
constexpr UINT INDEXTOSTATEIMAGEMASK(UINT i) {
    return i << 12;
}
constexpr int TVSIL_NORMAL = 0;
constexpr int TVSIL_STATE = 2;

// Hit-test results.
constexpr UINT TVHT_NOWHERE = 0x0001;
constexpr UINT TVHT_ONITEMICON = 0x0002;
constexpr UINT TVHT_ONITEMLABEL = 0x0004;
constexpr UINT TVHT_ONITEMSTATEICON = 0x0040;
constexpr UINT TVHT_ONITEM = TVHT_ONITEMICON | TVHT_ONITEMLABEL | TVHT_ONITEMSTATEICON;

// Notifications to the parent (WM_NOTIFY): the mouse ones carry an NMHDR; the label edits an
// NMTVDISPINFO, whose text is null when the edit was cancelled. A nonzero answer to the begin
// notification refuses the edit; to the end notification, it accepts the new text.
constexpr int NM_CLICK = -2;
constexpr int NM_DBLCLK = -3;
constexpr int NM_RCLICK = -5;
constexpr int TVN_BEGINLABELEDIT = -410;
constexpr int TVN_ENDLABELEDIT = -411;

struct TVITEM {
    UINT mask = 0;
    HTREEITEM hItem = nullptr;
    UINT state = 0;
    UINT stateMask = 0;
    LPTSTR pszText = nullptr;
    int cchTextMax = 0;
    int iImage = 0;
    int iSelectedImage = 0;
    int cChildren = 0;
    LPARAM lParam = 0;
};
struct NMTVDISPINFO {
    NMHDR hdr;
    TVITEM item;
};

class CImageList;
class QLineEdit;

class CTreeCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

    HTREEITEM InsertItem(LPCTSTR text, HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST);
    HTREEITEM InsertItem(LPCTSTR text, int image, int selectedImage, HTREEITEM parent = TVI_ROOT,
                         HTREEITEM after = TVI_LAST);
    // Deletes the item and its children.
    BOOL DeleteItem(HTREEITEM item);
    BOOL DeleteAllItems();
    UINT GetCount() const;

    HTREEITEM GetRootItem() const;
    HTREEITEM GetChildItem(HTREEITEM item) const;
    HTREEITEM GetNextSiblingItem(HTREEITEM item) const;
    HTREEITEM GetParentItem(HTREEITEM item) const;

    CString GetItemText(HTREEITEM item) const;
    BOOL SetItemText(HTREEITEM item, LPCTSTR text);
    DWORD_PTR GetItemData(HTREEITEM item) const;
    BOOL SetItemData(HTREEITEM item, DWORD_PTR data);
    BOOL GetItemImage(HTREEITEM item, int& image, int& selectedImage) const;
    BOOL SetItemImage(HTREEITEM item, int image, int selectedImage);
    // The state image (mask TVIS_STATEIMAGEMASK) and the expanded state.
    UINT GetItemState(HTREEITEM item, UINT mask) const;
    BOOL SetItemState(HTREEITEM item, UINT state, UINT mask);
    BOOL Expand(HTREEITEM item, UINT code);
    BOOL SelectItem(HTREEITEM item);
    HTREEITEM GetSelectedItem() const;

    // The pictures of the items (TVSIL_NORMAL) and of their check boxes (TVSIL_STATE); the
    // control does not own them. Returns the list it had.
    CImageList* SetImageList(CImageList* list, int type);
    CImageList* GetImageList(int type) const;
    // The item at a point of the control's client area; `flags` tells which part was hit.
    HTREEITEM HitTest(CPoint point, UINT* flags = nullptr) const;
    BOOL GetItemRect(HTREEITEM item, LPRECT rect, BOOL textOnly) const;
    // Starts editing the item's label in place (asking the parent first); the editor, or null.
    QLineEdit* EditLabel(HTREEITEM item);
    QLineEdit* GetEditControl() const;
    // Ends the edit: the parent is told the new text, or null for a cancel.
    BOOL EndEditLabelNow(BOOL cancel);

protected:
    QWidget* MakeWidget(QWidget* parentWidget, const CREATESTRUCT& cs) override;

private:
    class Events;
    void Notify(int code);
    void ShowImage(HTREEITEM item);
    QTreeWidget* Tree() const;
    QTreeWidgetItem* Item(HTREEITEM h) const;  // null for an item not in this tree
    CImageList* m_normalImages = nullptr;
    CImageList* m_stateImages = nullptr;
    QLineEdit* m_editor = nullptr;
    HTREEITEM m_editItem = nullptr;
};
