#pragma once
// The grid's cell addresses, its cells and the records to read or write a cell whole.

#include <algorithm>

#include "models/time_column_format.h"
#include "platform/base/cstring.h"
#include "platform/base/object.h"
#include "platform/gdi/gdi.h"

// A cell: row and column; (-1, -1) is no cell.
class CCellID {
public:
    int row = -1;
    int col = -1;

    constexpr CCellID(int nRow = -1, int nCol = -1) : row(nRow), col(nCol) {}
    constexpr bool IsValid() const { return row >= 0 && col >= 0; }
    friend bool operator==(const CCellID& a, const CCellID& b) = default;
};

// A block of cells, from the min to the max row and column, both included.
class CCellRange {
public:
    CCellRange(int minRow = -1, int minCol = -1, int maxRow = -1, int maxCol = -1) {
        Set(minRow, minCol, maxRow, maxCol);
    }
    void Set(int minRow = -1, int minCol = -1, int maxRow = -1, int maxCol = -1) {
        m_nMinRow = minRow, m_nMinCol = minCol, m_nMaxRow = maxRow, m_nMaxCol = maxCol;
    }

    // Whether the four bounds make a block at all; the grid also checks that it lies inside.
    bool IsValid() const {
        return m_nMinRow >= 0 && m_nMinCol >= 0 && m_nMaxRow >= 0 && m_nMaxCol >= 0 &&
               m_nMinRow <= m_nMaxRow && m_nMinCol <= m_nMaxCol;
    }
    bool InRange(int row, int col) const {
        return row >= m_nMinRow && row <= m_nMaxRow && col >= m_nMinCol && col <= m_nMaxCol;
    }
    bool InRange(const CCellID& cell) const { return InRange(cell.row, cell.col); }
    CCellID GetTopLeft() const { return {m_nMinRow, m_nMinCol}; }
    CCellRange Intersect(const CCellRange& rhs) const {
        return {std::max(m_nMinRow, rhs.m_nMinRow), std::max(m_nMinCol, rhs.m_nMinCol),
                std::min(m_nMaxRow, rhs.m_nMaxRow), std::min(m_nMaxCol, rhs.m_nMaxCol)};
    }

    int GetMinRow() const { return m_nMinRow; }
    void SetMinRow(int r) { m_nMinRow = r; }
    int GetMinCol() const { return m_nMinCol; }
    void SetMinCol(int c) { m_nMinCol = c; }
    int GetMaxRow() const { return m_nMaxRow; }
    void SetMaxRow(int r) { m_nMaxRow = r; }
    int GetMaxCol() const { return m_nMaxCol; }
    void SetMaxCol(int c) { m_nMaxCol = c; }
    int GetRowSpan() const { return m_nMaxRow - m_nMinRow + 1; }
    int GetColSpan() const { return m_nMaxCol - m_nMinCol + 1; }
    int Count() const { return GetRowSpan() * GetColSpan(); }

    friend bool operator==(const CCellRange& a, const CCellRange& b) = default;

private:
    int m_nMinRow, m_nMinCol, m_nMaxRow, m_nMaxCol;
};

// Cell states.
constexpr UINT GVIS_FOCUSED = 0x01;
constexpr UINT GVIS_SELECTED = 0x02;
constexpr UINT GVIS_DROPHILITED = 0x04;
constexpr UINT GVIS_READONLY = 0x08;
constexpr UINT GVIS_MODIFIED = 0x20;

// The fields a GV_ITEM carries.
constexpr UINT GVIF_TEXT = 0x01;
constexpr UINT GVIF_IMAGE = 0x02;
constexpr UINT GVIF_PARAM = 0x04;
constexpr UINT GVIF_STATE = 0x08;
constexpr UINT GVIF_BKCLR = 0x10;
constexpr UINT GVIF_FGCLR = 0x20;
constexpr UINT GVIF_FORMAT = 0x40;
constexpr UINT GVIF_FONT = 0x80;

// The directions of GetNextItem.
constexpr UINT GVNI_FOCUSED = GVIS_FOCUSED;
constexpr UINT GVNI_SELECTED = GVIS_SELECTED;
constexpr UINT GVNI_DROPHILITED = GVIS_DROPHILITED;
constexpr UINT GVNI_READONLY = GVIS_READONLY;
constexpr UINT GVNI_MODIFIED = GVIS_MODIFIED;
constexpr UINT GVNI_ABOVE = 0x100;
constexpr UINT GVNI_BELOW = 0x200;
constexpr UINT GVNI_TOLEFT = 0x400;
constexpr UINT GVNI_TORIGHT = 0x800;
constexpr UINT GVNI_AREA = GVNI_BELOW | GVNI_TORIGHT;
constexpr UINT GVNI_ALL = GVNI_BELOW | GVNI_TOLEFT | GVNI_TORIGHT;

// "Use the grid's colour".
constexpr COLORREF CLR_DEFAULT = 0xFF000000;

class CGridCell : public CObject {
public:
    UINT state = 0;
    UINT nFormat = 0;
    CString szText;
    int iImage = -1;
    COLORREF crBkClr = CLR_DEFAULT;
    COLORREF crFgClr = CLR_DEFAULT;
    LOGFONT lfFont;
    LPARAM lParam = 0;
};

// A cell read or written whole: the mask names the fields that count.
struct GV_ITEM {
    int row = 0;
    int col = 0;
    UINT mask = 0;
    UINT state = 0;
    UINT nFormat = 0;
    CString szText;
    int iImage = -1;
    COLORREF crBkClr = CLR_DEFAULT;
    COLORREF crFgClr = CLR_DEFAULT;
    LPARAM lParam = 0;
    LOGFONT lfFont;
};
using GridItemInfo = GV_ITEM;
