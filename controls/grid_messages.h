#pragma once
// The messages by which the grid tells its owner (the table view) of edits, clipboard actions,
// the Delete key and scrolling. A cell travels in a parameter as a value (PackCellID), so nothing
// is left for the owner to free.

#include "controls/grid_cell.h"
#include "platform/msg/messages.h"

// wParam: the cell that was empty and now holds a text.
constexpr UINT UM_GRID_CELL_FILLED = 6005;
// wParam: the cell whose text changed.
constexpr UINT UM_GRID_CELL_CHANGED = 6006;
// lParam: the non-empty cell about to be typed over or cut.
constexpr UINT UM_GRID_CELL_OVERWRITTEN = 6007;
// wParam: the header cell (row 0 or 1, column 2 or later) double-clicked.
constexpr UINT UM_GRID_HEADER_DBLCLK = 6008;
// Ctrl+X, the Cut command, or a drag that ended as a move.
constexpr UINT UM_GRID_CUT = 6010;
// wParam: the COleDataObject, valid during the call; lParam: the target cell (row 2 or later).
constexpr UINT UM_GRID_PASTE = 6011;
// The Delete key with at least one cell selected.
constexpr UINT UM_GRID_DELETE = 6012;
// wParam: the cell; lParam: the start character (1 mouse, 13 Enter, else the typed character).
// The result is the owner's answer.
constexpr UINT UM_GRID_EDIT_REQUEST = 6013;
// lParam: the sample the owner should show in the first non-fixed row.
constexpr UINT UM_GRID_SHOW_ROW = 6023;

// The table view's names for the same messages.
constexpr UINT UM_GRID_VALUE_ENTERED = UM_GRID_CELL_FILLED;
constexpr UINT UM_GRID_VALUE_CHANGED = UM_GRID_CELL_CHANGED;
constexpr UINT UM_GRID_SCROLL_ROW = UM_GRID_SHOW_ROW;

static_assert(sizeof(WPARAM) >= 8 && sizeof(LPARAM) >= 8, "a cell packs into 64 bits");

// Row in the low and column in the high 32 bits.
constexpr LPARAM PackCellID(const CCellID& cell) {
    return static_cast<LPARAM>(
        static_cast<std::uint64_t>(static_cast<std::uint32_t>(cell.row)) |
        (static_cast<std::uint64_t>(static_cast<std::uint32_t>(cell.col)) << 32));
}
constexpr CCellID UnpackCellID(std::uint64_t packed) {
    return CCellID(static_cast<int>(static_cast<std::uint32_t>(packed & 0xFFFFFFFFu)),
                   static_cast<int>(static_cast<std::uint32_t>(packed >> 32)));
}

// WM_NOTIFY codes of the grid's notices to its owner (an NM_GRIDVIEW) and of its editors' end of
// edit (a GV_DISPINFO).
constexpr int GVN_SELCHANGING = -100;     // the focus is about to leave the cell
constexpr int GVN_SELCHANGED = -101;      // the focus reached the cell
constexpr int GVN_BEGINLABELEDIT = -105;  // the cell's text is about to change
constexpr int GVN_ENDLABELEDIT = -106;    // the cell's text changed; from an editor: the edit ended
constexpr int GVN_BEGINDRAG = -109;       // a drag starts from the cell

struct NM_GRIDVIEW {
    NMHDR hdr;
    int iRow = 0;
    int iColumn = 0;
};

struct GV_DISPINFO {
    NMHDR hdr;
    GV_ITEM item;
};
