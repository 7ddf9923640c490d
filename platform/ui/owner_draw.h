#pragma once
// Owner-drawn items. A control made with an owner-draw style asks its window to draw each item on
// a DC (OCM_DRAWITEM with a DRAWITEMSTRUCT) and to size it (OCM_MEASUREITEM), as Windows reflects
// WM_DRAWITEM and WM_MEASUREITEM to the control. The window asked is the one SubclassDlgItem
// attached to the control, else the control's own.

#include "platform/gdi/dc.h"
#include "platform/msg/wnd.h"

class QComboBox;
class QPainter;
class QRect;

constexpr UINT ODT_LISTBOX = 2;
constexpr UINT ODT_COMBOBOX = 3;
constexpr UINT ODT_BUTTON = 4;

constexpr UINT ODA_DRAWENTIRE = 0x1;
constexpr UINT ODA_SELECT = 0x2;
constexpr UINT ODA_FOCUS = 0x4;

constexpr UINT ODS_SELECTED = 0x1;
constexpr UINT ODS_GRAYED = 0x2;
constexpr UINT ODS_DISABLED = 0x4;
constexpr UINT ODS_CHECKED = 0x8;
constexpr UINT ODS_FOCUS = 0x10;
constexpr UINT ODS_COMBOBOXEDIT = 0x1000;

struct DRAWITEMSTRUCT {
    UINT CtlType = 0;
    UINT CtlID = 0;
    UINT itemID = 0;  // static_cast<UINT>(-1) when there is no item (an empty combo's box)
    UINT itemAction = ODA_DRAWENTIRE;
    UINT itemState = 0;
    HWND hwndItem = nullptr;
    HDC hDC = nullptr;  // CDC::FromHandle gives the DC to draw on
    RECT rcItem;
    DWORD_PTR itemData = 0;
};
using LPDRAWITEMSTRUCT = DRAWITEMSTRUCT*;

struct MEASUREITEMSTRUCT {
    UINT CtlType = 0;
    UINT CtlID = 0;
    UINT itemID = 0;
    UINT itemWidth = 0;
    UINT itemHeight = 0;
    DWORD_PTR itemData = 0;
};
using LPMEASUREITEMSTRUCT = MEASUREITEMSTRUCT*;

namespace platform {

// A combo box whose list items, and the selected item in its closed box, its window draws.
QComboBox* MakeOwnerDrawComboBox(QWidget* parent);

// Asks the window of `control` to draw item `index` (-1 for none) in `rect` with `painter`.
void DrawOwnerItem(QWidget* control, UINT ctlType, QPainter* painter, const QRect& rect, int index,
                   UINT state, DWORD_PTR data);

}  // namespace platform
