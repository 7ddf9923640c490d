// The grid's layout, drawing and scroll bars.

#include <algorithm>

#include "controls/grid_ctrl.h"
#include "controls/memdc.h"
#include "platform/win/system.h"

namespace {

// A cell holds data, never a mnemonic: an "&" in it is shown as it is.
constexpr UINT kCellTextFlags = DT_NOPREFIX;

}  // namespace

// ---- geometry ----

CCellID CGridCtrl::GetTopLeftNonFixedCell() const {
    const int scroll = GetScrollPos(SB_HORZ);
    int column = m_nFixedCols, right = 0;
    while (right < scroll && column < GetColumnCount() - 1)
        right += GetColumnWidth(column++);
    // Columns start at the fixed ones' edge, so a position between two column edges shows the
    // later column first; near the end that would leave the last column short of the client's
    // right edge. Step back while the columns from here on do not fill the client.
    CRect client;
    GetClientRect(&client);
    const int room = client.right - GetFixedColumnWidth();
    int rest = 0;
    for (int col = column; col < GetColumnCount(); ++col)
        rest += GetColumnWidth(col);
    while (column > m_nFixedCols && rest < room)
        rest += GetColumnWidth(--column);
    return {m_nFixedRows, column};
}

CCellRange CGridCtrl::GetVisibleNonFixedCellRange(LPRECT pRect) const {
    CRect client;
    GetClientRect(&client);
    const CCellID topLeft = GetTopLeftNonFixedCell();

    int bottom = GetFixedRowHeight();
    int i = topLeft.row;
    for (; i < GetRowCount(); ++i) {
        bottom += GetRowHeight(i);
        if (bottom >= client.bottom) {
            bottom = client.bottom;
            break;
        }
    }
    const int maxRow = std::min(i, GetRowCount() - 1);

    int right = GetFixedColumnWidth();
    i = topLeft.col;
    for (; i < GetColumnCount(); ++i) {
        right += GetColumnWidth(i);
        if (right >= client.right) {
            right = client.right;
            break;
        }
    }
    const int maxCol = std::min(i, GetColumnCount() - 1);

    if (pRect) *pRect = CRect(0, 0, right, bottom);
    return {topLeft.row, topLeft.col, maxRow, maxCol};
}

CCellRange CGridCtrl::GetUnobstructedNonFixedCellRange() const {
    CRect client;
    GetClientRect(&client);
    const CCellID topLeft = GetTopLeftNonFixedCell();

    int bottom = GetFixedRowHeight();
    int i = topLeft.row;
    for (; i < GetRowCount(); ++i) {
        bottom += GetRowHeight(i);
        if (bottom >= client.bottom) break;
    }
    int maxRow = std::min(i, GetRowCount() - 1);
    if (maxRow > 0 && bottom > client.bottom) --maxRow;

    int right = GetFixedColumnWidth();
    i = topLeft.col;
    for (; i < GetColumnCount(); ++i) {
        right += GetColumnWidth(i);
        if (right >= client.right) break;
    }
    int maxCol = std::min(i, GetColumnCount() - 1);
    if (maxCol > 0 && right > client.right) --maxCol;
    return {topLeft.row, topLeft.col, maxRow, maxCol};
}

BOOL CGridCtrl::GetCellOrigin(int nRow, int nCol, LPPOINT p) const {
    if (!p || !IsValid(nRow, nCol)) return FALSE;
    CCellID topLeft;
    if (nCol >= m_nFixedCols || nRow >= m_nFixedRows) topLeft = GetTopLeftNonFixedCell();
    if ((nRow >= m_nFixedRows && nRow < topLeft.row) ||
        (nCol >= m_nFixedCols && nCol < topLeft.col))
        return FALSE;

    p->x = 0;
    if (nCol < m_nFixedCols) {
        for (int i = 0; i < nCol; ++i)
            p->x += GetColumnWidth(i);
    } else {
        for (int i = 0; i < m_nFixedCols; ++i)
            p->x += GetColumnWidth(i);
        for (int i = topLeft.col; i < nCol; ++i)
            p->x += GetColumnWidth(i);
    }
    p->y = 0;
    if (nRow < m_nFixedRows) {
        for (int i = 0; i < nRow; ++i)
            p->y += GetRowHeight(i);
    } else {
        for (int i = 0; i < m_nFixedRows; ++i)
            p->y += GetRowHeight(i);
        for (int i = topLeft.row; i < nRow; ++i)
            p->y += GetRowHeight(i);
    }
    return TRUE;
}

BOOL CGridCtrl::GetCellRect(int nRow, int nCol, LPRECT pRect) const {
    CPoint origin;
    if (!pRect || !GetCellOrigin(nRow, nCol, &origin)) return FALSE;
    pRect->left = origin.x;
    pRect->top = origin.y;
    pRect->right = origin.x + GetColumnWidth(nCol) - 1;
    pRect->bottom = origin.y + GetRowHeight(nRow) - 1;
    return TRUE;
}

BOOL CGridCtrl::GetTextRect(int nRow, int nCol, LPRECT pRect) const {
    // Cells carry no pictures here, so the text has the whole cell.
    return GetCellRect(nRow, nCol, pRect);
}

BOOL CGridCtrl::GetCellRangeRect(const CCellRange& cellRange, LPRECT lpRect) const {
    CPoint minOrigin, maxOrigin;
    if (!lpRect || !GetCellOrigin(cellRange.GetMinRow(), cellRange.GetMinCol(), &minOrigin))
        return FALSE;
    if (!GetCellOrigin(cellRange.GetMaxRow(), cellRange.GetMaxCol(), &maxOrigin)) return FALSE;
    lpRect->left = minOrigin.x;
    lpRect->top = minOrigin.y;
    lpRect->right = maxOrigin.x + GetColumnWidth(cellRange.GetMaxCol()) - 1;
    lpRect->bottom = maxOrigin.y + GetRowHeight(cellRange.GetMaxRow()) - 1;
    return TRUE;
}

CCellID CGridCtrl::GetCellFromPt(CPoint point, BOOL bAllowFixedCellCheck) const {
    const CCellID topLeft = GetTopLeftNonFixedCell();
    CCellID cell;

    const int fixedColWidth = GetFixedColumnWidth();
    if (point.x < 0 || (!bAllowFixedCellCheck && point.x < fixedColWidth)) {
        cell.col = -1;
    } else if (point.x < fixedColWidth) {
        int x = 0, col = 0;
        while (col < m_nFixedCols) {
            x += GetColumnWidth(col);
            if (x > point.x) break;
            ++col;
        }
        cell.col = col;
    } else {
        int x = fixedColWidth, col = topLeft.col;
        while (col < GetColumnCount()) {
            x += GetColumnWidth(col);
            if (x > point.x) break;
            ++col;
        }
        cell.col = col >= GetColumnCount() ? -1 : col;
    }

    const int fixedRowHeight = GetFixedRowHeight();
    if (point.y < 0 || (!bAllowFixedCellCheck && point.y < fixedRowHeight)) {
        cell.row = -1;
    } else if (point.y < fixedRowHeight) {
        int y = 0, row = 0;
        while (row < m_nFixedRows) {
            y += GetRowHeight(row);
            if (y > point.y) break;
            ++row;
        }
        cell.row = row;
    } else {
        int y = fixedRowHeight, row = topLeft.row;
        while (row < GetRowCount()) {
            y += GetRowHeight(row);
            if (y > point.y) break;
            ++row;
        }
        cell.row = row >= GetRowCount() ? -1 : row;
    }
    return cell;
}

BOOL CGridCtrl::IsCellVisible(int nRow, int nCol) const {
    if (!IsWindow(m_hWnd) || !IsValid(nRow, nCol)) return FALSE;
    CCellID topLeft;
    if (nCol >= m_nFixedCols || nRow >= m_nFixedRows) {
        topLeft = GetTopLeftNonFixedCell();
        if (nCol >= m_nFixedCols && nCol < topLeft.col) return FALSE;
        if (nRow >= m_nFixedRows && nRow < topLeft.row) return FALSE;
    }
    CRect client;
    GetClientRect(&client);
    if (nCol >= m_nFixedCols) {
        int x = GetFixedColumnWidth();
        for (int i = topLeft.col; i < nCol; ++i) {
            if (x >= client.right) return FALSE;
            x += GetColumnWidth(i);
        }
        if (x >= client.right) return FALSE;
    }
    if (nRow >= m_nFixedRows) {
        int y = GetFixedRowHeight();
        for (int i = topLeft.row; i < nRow; ++i) {
            if (y >= client.bottom) return FALSE;
            y += GetRowHeight(i);
        }
        if (y >= client.bottom) return FALSE;
    }
    return TRUE;
}

BOOL CGridCtrl::InvalidateCellRect(const CCellID& cell) {
    if (!IsWindow(m_hWnd) || !m_bAllowDraw || !IsValid(cell) || !IsCellVisible(cell.row, cell.col))
        return FALSE;
    CRect rect;
    if (!GetCellRect(cell.row, cell.col, &rect)) return FALSE;
    ++rect.right;
    ++rect.bottom;
    InvalidateRect(&rect, TRUE);
    return TRUE;
}

BOOL CGridCtrl::RedrawCell(int nRow, int nCol, CDC* pDC) {
    if (!m_bAllowDraw || !IsCellVisible(nRow, nCol)) return FALSE;
    CRect rect;
    if (!GetCellRect(nRow, nCol, &rect)) return FALSE;
    if (!pDC) {
        // Painting happens in the window's paint: the cell is brought up to date there.
        ++rect.right;
        ++rect.bottom;
        InvalidateRect(&rect, TRUE);
        return TRUE;
    }
    if (IsCellFixed(nRow, nCol)) return DrawFixedCell(pDC, nRow, nCol, rect, TRUE);
    const BOOL drawn = DrawCell(pDC, nRow, nCol, rect, TRUE);
    CPen pen(PS_SOLID, 0, m_crGridColour);
    CPen* oldPen = pDC->SelectObject(&pen);
    if (m_nGridLines == GVL_BOTH || m_nGridLines == GVL_HORZ) {
        pDC->MoveTo(rect.left, rect.bottom);
        pDC->LineTo(rect.right + 1, rect.bottom);
    }
    if (m_nGridLines == GVL_BOTH || m_nGridLines == GVL_VERT) {
        pDC->MoveTo(rect.right, rect.top);
        pDC->LineTo(rect.right, rect.bottom + 1);
    }
    if (oldPen) pDC->SelectObject(oldPen);
    return drawn;
}

BOOL CGridCtrl::RedrawRow(int row) {
    BOOL ok = TRUE;
    for (int col = 0; col < GetColumnCount(); ++col)
        ok = RedrawCell(row, col) && ok;
    return ok;
}

BOOL CGridCtrl::RedrawColumn(int col) {
    BOOL ok = TRUE;
    for (int row = 0; row < GetRowCount(); ++row)
        ok = RedrawCell(row, col) && ok;
    return ok;
}

BOOL CGridCtrl::RedrawRange(const CCellRange& range) {
    if (!m_bAllowDraw || !IsWindow(m_hWnd)) return FALSE;
    const CCellRange visible = range.Intersect(GetVisibleNonFixedCellRange());
    if (!visible.IsValid()) return FALSE;
    CRect rect;
    if (!GetCellRangeRect(visible, &rect)) return FALSE;
    ++rect.right;
    ++rect.bottom;
    InvalidateRect(&rect, TRUE);
    return TRUE;
}

// ---- sizes to contents ----

int CGridCtrl::GetFixedCellTextWidth(int nRow, int nCol, CDC* pDC) {
    // As DrawFixedCell draws it at its widest: semi-bold, inside its edge and its margins.
    LOGFONT lf = *GetItemFont(nRow, nCol);
    lf.lfWeight = FW_SEMIBOLD;
    CFont font;
    font.CreateFontIndirect(&lf);
    CFont* old = pDC->SelectObject(&font);
    const int text = pDC->GetTextExtent(GetItemText(nRow, nCol)).cx;
    if (old) pDC->SelectObject(old);
    return text + 2 * m_nMargin + 4;
}

CSize CGridCtrl::GetCellExtent(int nRow, int nCol, CDC* pDC) {
    LOGFONT lf = *GetItemFont(nRow, nCol);
    if (IsCellFixed(nRow, nCol)) lf.lfWeight = FW_SEMIBOLD;
    CFont font;
    font.CreateFontIndirect(&lf);
    CFont* old = pDC->SelectObject(&font);
    CSize size = pDC->GetTextExtent(GetItemText(nRow, nCol));
    if (old) pDC->SelectObject(old);
    size.cx += 4 * m_nMargin;
    size.cy += 2 * m_nMargin;
    return size;
}

BOOL CGridCtrl::AutoSizeColumn(int nCol) {
    if (nCol < 0 || nCol >= m_nCols) return FALSE;
    CClientDC dc(this);
    int width = 0;
    for (int row = 0; row < m_nRows; ++row)
        width = std::max<int>(width, GetCellExtent(row, nCol, &dc).cx);
    m_arColWidths[static_cast<size_t>(nCol)] = width;
    ResetScrollBars();
    return TRUE;
}

BOOL CGridCtrl::AutoSizeRow(int nRow) {
    if (nRow < 0 || nRow >= m_nRows) return FALSE;
    CClientDC dc(this);
    int height = 0;
    for (int col = 0; col < m_nCols; ++col)
        height = std::max<int>(height, GetCellExtent(nRow, col, &dc).cy);
    m_arRowHeights[static_cast<size_t>(nRow)] = height;
    ResetScrollBars();
    return TRUE;
}

void CGridCtrl::AutoSizeColumns() {
    for (int col = 0; col < m_nCols; ++col)
        AutoSizeColumn(col);
}

void CGridCtrl::AutoSizeRows() {
    for (int row = 0; row < m_nRows; ++row)
        AutoSizeRow(row);
}

void CGridCtrl::AutoSize() {
    CClientDC dc(this);
    std::fill(m_arColWidths.begin(), m_arColWidths.end(), 0);
    std::fill(m_arRowHeights.begin(), m_arRowHeights.end(), 0);
    for (int row = 0; row < m_nRows; ++row) {
        for (int col = 0; col < m_nCols; ++col) {
            const CSize size = GetCellExtent(row, col, &dc);
            int& w = m_arColWidths[static_cast<size_t>(col)];
            int& h = m_arRowHeights[static_cast<size_t>(row)];
            w = std::max<int>(w, size.cx);
            h = std::max<int>(h, size.cy);
        }
    }
    if (m_bAllowDraw) {
        ResetScrollBars();
        Invalidate();
    }
}

void CGridCtrl::ExpandColumnsToFit() {
    if (m_nCols <= 0) return;
    CRect client;
    GetClientRect(&client);
    const long difference = client.Width() - GetVirtualWidth();
    const long each = difference / m_nCols;
    for (int col = 0; col < m_nCols; ++col)
        m_arColWidths[static_cast<size_t>(col)] += static_cast<int>(each);
    const long rest = difference % m_nCols;
    for (int col = 0; col < std::abs(static_cast<int>(rest)); ++col)
        m_arColWidths[static_cast<size_t>(col)] += rest > 0 ? 1 : -1;
    if (m_bAllowDraw) Invalidate();
}

void CGridCtrl::ExpandRowsToFit() {
    if (m_nRows <= 0) return;
    CRect client;
    GetClientRect(&client);
    const long difference = client.Height() - GetVirtualHeight();
    const long each = difference / m_nRows;
    for (int row = 0; row < m_nRows; ++row)
        m_arRowHeights[static_cast<size_t>(row)] += static_cast<int>(each);
    const long rest = difference % m_nRows;
    for (int row = 0; row < std::abs(static_cast<int>(rest)); ++row)
        m_arRowHeights[static_cast<size_t>(row)] += rest > 0 ? 1 : -1;
    if (m_bAllowDraw) Invalidate();
}

void CGridCtrl::ExpandToFit() {
    ExpandColumnsToFit();
    ExpandRowsToFit();
    ExpandColumnsToFit();
}

// ---- scroll bars ----

void CGridCtrl::ResetScrollBars() {
    if (!m_bAllowDraw || !IsWindow(m_hWnd) || !GetWidget()) return;
    CRect rect;
    GetClientRect(&rect);
    if (rect.IsRectEmpty()) return;
    // As if no bar were shown: the bars are chosen afresh.
    if (m_nBarState & 2)
        rect.right += GetSystemMetrics(SM_CXVSCROLL) + GetSystemMetrics(SM_CXBORDER);
    if (m_nBarState & 1)
        rect.bottom += GetSystemMetrics(SM_CYHSCROLL) + GetSystemMetrics(SM_CYBORDER);
    rect.left += GetFixedColumnWidth();
    rect.top += GetFixedRowHeight();

    auto show = [this](int bar, bool on) {
        const int bit = bar == SB_HORZ ? 1 : 2;
        m_nBarState = on ? (m_nBarState | bit) : (m_nBarState & ~bit);
        ShowScrollBar(bar, on);
    };
    if (rect.left >= rect.right || rect.top >= rect.bottom) {
        show(SB_HORZ, false);
        show(SB_VERT, false);
        return;
    }

    CRect visible(GetFixedColumnWidth(), GetFixedRowHeight(), rect.right, rect.bottom);
    const CRect virt(GetFixedColumnWidth(), GetFixedRowHeight(), GetVirtualWidth(),
                     GetVirtualHeight());
    if (virt.Height() > visible.Height()) visible.right -= GetSystemMetrics(SM_CXVSCROLL);
    if (virt.Width() > visible.Width()) visible.bottom -= GetSystemMetrics(SM_CYHSCROLL);

    if (visible.Height() < virt.Height()) {
        m_nVScrollMax = virt.Height() - 1;
        show(SB_VERT, true);
    } else {
        m_nVScrollMax = 0;
        show(SB_VERT, false);
    }
    if (visible.Width() < virt.Width()) {
        m_nHScrollMax = virt.Width() - 1;
        show(SB_HORZ, true);
    } else {
        m_nHScrollMax = 0;
        show(SB_HORZ, false);
    }

    SCROLLINFO si;
    si.fMask = SIF_PAGE | SIF_RANGE;
    si.nPage = m_nHScrollMax > 0 ? static_cast<UINT>(visible.Width()) : 0;
    si.nMin = 0;
    si.nMax = m_nHScrollMax;
    SetScrollInfo(SB_HORZ, &si, TRUE);

    m_nWindowRows = GetVisibleNonFixedCellRange().GetRowSpan();

    // The vertical bar stands for the owner's samples, a window of rows at a time.
    SCROLLINFO vi;
    vi.fMask = SIF_PAGE | SIF_RANGE | SIF_POS | SIF_TRACKPOS;
    vi.nMin = 0;
    vi.nPage = 1;
    if (m_nSampleCount <= m_nWindowRows) {
        vi.nMax = m_nWindowRows;
        vi.nPos = vi.nTrackPos = 0;
        SetScrollInfo(SB_VERT, &vi, FALSE);
    } else {
        vi.nMax = m_nSampleCount + 1 - m_nWindowRows;
        vi.nPos = vi.nTrackPos = m_nFirstShownSample;
        SetScrollInfo(SB_VERT, &vi, TRUE);
    }
}

void CGridCtrl::SetRedraw(BOOL bAllowDraw, BOOL bResetScrollBars) {
    if (bAllowDraw && !m_bAllowDraw && GetWidget()) Invalidate();
    m_bAllowDraw = bAllowDraw;
    if (bResetScrollBars) ResetScrollBars();
}

void CGridCtrl::OnSize(UINT nType, int cx, int cy) {
    // Showing or hiding a bar resizes the client area again.
    static bool inside = false;
    if (inside || !IsWindow(m_hWnd)) return;
    inside = true;
    SetFocus();
    CWnd::OnSize(nType, cx, cy);
    ResetScrollBars();
    inside = false;
}

void CGridCtrl::OnHScroll(UINT nSBCode, UINT, CScrollBar*) {
    if (GetFocus() != this) SetFocus();
    m_TitleTip.Hide();
    const int scrollPos = GetScrollPos(SB_HORZ);
    const CCellID topLeft = GetTopLeftNonFixedCell();
    CRect rect;
    GetClientRect(&rect);
    switch (nSBCode) {
        case SB_LINERIGHT:
            if (scrollPos < m_nHScrollMax) {
                const int xScroll = GetColumnWidth(topLeft.col);
                SetScrollPos(SB_HORZ, scrollPos + xScroll);
                if (GetScrollPos(SB_HORZ) == scrollPos) break;
                rect.left = GetFixedColumnWidth() + xScroll;
                ScrollWindow(-xScroll, 0, &rect);
                rect.left = rect.right - xScroll;
                InvalidateRect(&rect);
            }
            break;
        case SB_LINELEFT:
            if (scrollPos > 0 && topLeft.col > GetFixedColumnCount()) {
                // To the previous column's edge: at the end the position can lie past the first
                // shown column's edge, and a column's width back would show the same columns.
                const int xScroll = GetColumnWidth(topLeft.col - 1);
                int edge = 0;
                for (int col = m_nFixedCols; col < topLeft.col - 1; ++col)
                    edge += GetColumnWidth(col);
                SetScrollPos(SB_HORZ, edge);
                rect.left = GetFixedColumnWidth();
                ScrollWindow(xScroll, 0, &rect);
                rect.right = rect.left + xScroll;
                InvalidateRect(&rect);
            }
            break;
        case SB_PAGERIGHT:
            if (scrollPos < m_nHScrollMax) {
                rect.left = GetFixedColumnWidth();
                SetScrollPos(SB_HORZ, std::min(m_nHScrollMax, scrollPos + rect.Width()));
                InvalidateRect(&rect);
            }
            break;
        case SB_PAGELEFT:
            if (scrollPos > 0) {
                rect.left = GetFixedColumnWidth();
                SetScrollPos(SB_HORZ, std::max(0, scrollPos - rect.Width()));
                InvalidateRect(&rect);
            }
            break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK: {
            SCROLLINFO si;
            GetScrollInfo(SB_HORZ, &si, SIF_TRACKPOS);
            SetScrollPos(SB_HORZ, si.nTrackPos);
            if (!(GetTopLeftNonFixedCell() == topLeft)) {
                rect.left = GetFixedColumnWidth();
                InvalidateRect(&rect);
            }
            break;
        }
        case SB_LEFT:
            if (scrollPos > 0) {
                SetScrollPos(SB_HORZ, 0);
                Invalidate();
            }
            break;
        case SB_RIGHT:
            if (scrollPos < m_nHScrollMax) {
                SetScrollPos(SB_HORZ, m_nHScrollMax);
                Invalidate();
            }
            break;
        default:
            break;
    }
}

void CGridCtrl::OnVScroll(UINT nSBCode, UINT, CScrollBar*) {
    if (GetFocus() != this) SetFocus();
    m_TitleTip.Hide();
    switch (nSBCode) {
        case SB_LINEDOWN:
            if (m_nFirstShownSample + 1 < m_nSampleCount) ShowRow(m_nFirstShownSample + 1);
            break;
        case SB_LINEUP:
            if (m_nFirstShownSample > 0) ShowRow(m_nFirstShownSample - 1);
            break;
        case SB_PAGEDOWN:
            ShowRow(m_nFirstShownSample + m_nWindowRows <= m_nSampleCount
                        ? m_nFirstShownSample + m_nWindowRows
                        : m_nSampleCount);
            break;
        case SB_PAGEUP:
            ShowRow(std::max(0, m_nFirstShownSample - m_nWindowRows));
            break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK: {
            SCROLLINFO si;
            GetScrollInfo(SB_VERT, &si, SIF_TRACKPOS);
            ShowRow(si.nTrackPos);
            break;
        }
        case SB_TOP:
            SetScrollPos(SB_VERT, 0);
            Invalidate();
            break;
        case SB_BOTTOM:
            SetScrollPos(SB_VERT, m_nVScrollMax);
            Invalidate();
            break;
        default:
            break;
    }
}

void CGridCtrl::EnsureVisible(int nRow, int nCol) {
    if (!IsValid(nRow, nCol) || !GetWidget()) return;
    CWnd* hadFocus = GetFocus();
    // Only columns scroll: the rows are always the first non-fixed ones, and the vertical bar
    // pages the owner's samples instead, so stepping it could never bring a row into view.
    auto stepRight = [this] {
        const int before = GetScrollPos(SB_HORZ);
        SendMessage(WM_HSCROLL, SB_LINERIGHT, 0);
        return GetScrollPos(SB_HORZ) != before;
    };
    auto stepLeft = [this] {
        const int before = GetScrollPos(SB_HORZ);
        SendMessage(WM_HSCROLL, SB_LINELEFT, 0);
        return GetScrollPos(SB_HORZ) != before;
    };
    if (nCol >= m_nFixedCols) {
        CCellRange visible = GetVisibleNonFixedCellRange();
        while (nCol > visible.GetMaxCol() && stepRight())
            visible = GetVisibleNonFixedCellRange();
        while (nCol < visible.GetMinCol() && stepLeft())
            visible = GetVisibleNonFixedCellRange();
        CRect cell, client;
        GetClientRect(&client);
        while (GetCellRect(nRow, nCol, &cell) && cell.right > client.right &&
               cell.left > GetFixedColumnWidth() && stepRight()) {
        }
    }
    if (hadFocus && hadFocus != this && IsWindow(hadFocus->m_hWnd)) hadFocus->SetFocus();
}

// ---- painting ----

BOOL CGridCtrl::OnEraseBkgnd(CDC*) {
    return TRUE;
}

void CGridCtrl::OnPaint() {
    CPaintDC dc(this);
    if (m_bDoubleBuffer) {
        CMemDC memDC(&dc);
        OnDraw(&memDC);
    } else {
        OnDraw(&dc);
    }
}

void CGridCtrl::OnDraw(CDC* pDC) {
    CRect clip;
    if (pDC->GetClipBox(&clip) == NULLREGION) return;

    // The background.
    CRect visRect;
    const CCellRange visCells = GetVisibleNonFixedCellRange(&visRect);
    const int fixedColWidth = GetFixedColumnWidth();
    const int fixedRowHeight = GetFixedRowHeight();
    {
        CBrush fixedBack(GetFixedBkColor()), textBack(GetTextBkColor()), back(GetBkColor());
        if (clip.left < fixedColWidth && clip.top < visRect.bottom) {
            const CRect r(clip.left, clip.top, fixedColWidth, visRect.bottom);
            pDC->FillRect(&r, &fixedBack);
        }
        if (clip.top < fixedRowHeight && clip.right > fixedColWidth && clip.left < visRect.right) {
            const CRect r(fixedColWidth - 1, clip.top, visRect.right, fixedRowHeight);
            pDC->FillRect(&r, &fixedBack);
        }
        CRect cells;
        if (cells.IntersectRect(visRect, clip)) {
            const CRect r(std::max<LONG>(fixedColWidth, cells.left),
                          std::max<LONG>(fixedRowHeight, cells.top), cells.right, cells.bottom);
            pDC->FillRect(&r, &textBack);
        }
        if (visRect.right < clip.right) {
            const CRect r(visRect.right, clip.top, clip.right, clip.bottom);
            pDC->FillRect(&r, &back);
        }
        if (visRect.bottom < clip.bottom && clip.left < visRect.right) {
            const CRect r(clip.left, visRect.bottom, visRect.right, clip.bottom);
            pDC->FillRect(&r, &back);
        }
    }

    const int minRow = visCells.GetMinRow(), maxRow = visCells.GetMaxRow();
    const int minCol = visCells.GetMinCol(), maxCol = visCells.GetMaxCol();
    CRect rect;

    // Fixed rows by fixed columns.
    rect.bottom = -1;
    for (int row = 0; row < m_nFixedRows; ++row) {
        rect.top = rect.bottom + 1;
        rect.bottom = rect.top + GetRowHeight(row) - 1;
        rect.right = -1;
        for (int col = 0; col < m_nFixedCols; ++col) {
            rect.left = rect.right + 1;
            rect.right = rect.left + GetColumnWidth(col) - 1;
            DrawFixedCell(pDC, row, col, rect);
        }
    }
    // Non-fixed rows by fixed columns.
    rect.bottom = fixedRowHeight - 1;
    for (int row = minRow; row <= maxRow; ++row) {
        rect.top = rect.bottom + 1;
        rect.bottom = rect.top + GetRowHeight(row) - 1;
        if (rect.top > clip.bottom) break;
        if (rect.bottom < clip.top) continue;
        rect.right = -1;
        for (int col = 0; col < m_nFixedCols; ++col) {
            rect.left = rect.right + 1;
            rect.right = rect.left + GetColumnWidth(col) - 1;
            if (rect.left > clip.right) break;
            if (rect.right < clip.left) continue;
            DrawFixedCell(pDC, row, col, rect);
        }
    }
    // Fixed rows by non-fixed columns.
    rect.bottom = -1;
    for (int row = 0; row < m_nFixedRows; ++row) {
        rect.top = rect.bottom + 1;
        rect.bottom = rect.top + GetRowHeight(row) - 1;
        if (rect.top > clip.bottom) break;
        if (rect.bottom < clip.top) continue;
        rect.right = fixedColWidth - 1;
        for (int col = minCol; col <= maxCol; ++col) {
            rect.left = rect.right + 1;
            rect.right = rect.left + GetColumnWidth(col) - 1;
            if (rect.left > clip.right) break;
            if (rect.right < clip.left) continue;
            DrawFixedCell(pDC, row, col, rect);
        }
    }
    // The data cells.
    rect.bottom = fixedRowHeight - 1;
    for (int row = minRow; row <= maxRow; ++row) {
        rect.top = rect.bottom + 1;
        rect.bottom = rect.top + GetRowHeight(row) - 1;
        if (rect.top > clip.bottom) break;
        if (rect.bottom < clip.top) continue;
        rect.right = fixedColWidth - 1;
        for (int col = minCol; col <= maxCol; ++col) {
            rect.left = rect.right + 1;
            rect.right = rect.left + GetColumnWidth(col) - 1;
            if (rect.left > clip.right) break;
            if (rect.right < clip.left) continue;
            DrawCell(pDC, row, col, rect);
        }
    }

    CPen pen(PS_SOLID, 0, m_crGridColour);
    CPen* oldPen = pDC->SelectObject(&pen);
    if (m_nGridLines == GVL_BOTH || m_nGridLines == GVL_VERT) {
        int x = fixedColWidth;
        for (int col = minCol; col <= maxCol; ++col) {
            x += GetColumnWidth(col);
            pDC->MoveTo(x - 1, fixedRowHeight);
            pDC->LineTo(x - 1, visRect.bottom);
        }
    }
    if (m_nGridLines == GVL_BOTH || m_nGridLines == GVL_HORZ) {
        int y = fixedRowHeight;
        for (int row = minRow; row <= maxRow; ++row) {
            y += GetRowHeight(row);
            pDC->MoveTo(fixedColWidth, y - 1);
            pDC->LineTo(visRect.right, y - 1);
        }
    }
    pDC->SelectStockObject(NULL_PEN);
    (void)oldPen;

    // The line that follows a divider being dragged.
    if (m_bTrackerShown) pDC->FillSolidRect(&m_TrackerRect, RGB(0, 0, 0));
}

BOOL CGridCtrl::DrawFixedCell(CDC* pDC, int nRow, int nCol, CRect rect, BOOL) {
    if (!m_bAllowDraw) return FALSE;
    GV_ITEM item;
    item.mask = GVIF_TEXT | GVIF_FORMAT | GVIF_IMAGE | GVIF_BKCLR | GVIF_FGCLR;
    item.row = nRow;
    item.col = nCol;
    if (!GetItem(&item)) return FALSE;

    const bool printing = pDC->IsPrinting();
    if (!printing) {
        CRect fill = rect;
        ++fill.right;
        ++fill.bottom;
        pDC->FillSolidRect(&fill, item.crBkClr == CLR_DEFAULT ? GetFixedBkColor() : item.crBkClr);
    }
    pDC->SetTextColor(item.crFgClr == CLR_DEFAULT ? GetFixedTextColor() : item.crFgClr);

    const CCellID focus = GetFocusCell();
    const bool inFocusLine = focus.row == nRow || focus.col == nCol;
    LOGFONT lf = *GetItemFont(nRow, nCol);
    if (inFocusLine) lf.lfWeight = FW_SEMIBOLD;
    CFont font;
    font.CreateFontIndirect(&lf);
    CFont* oldFont = pDC->SelectObject(&font);

    if (!printing && IsValid(focus) && inFocusLine) {
        ++rect.right;
        ++rect.bottom;
        pDC->DrawEdge(&rect, BDR_SUNKENINNER, BF_RECT);
        rect.DeflateRect(1, 1);
    } else {
        CPen light(PS_SOLID, 1, GetSysColor(COLOR_3DHIGHLIGHT));
        CPen dark(PS_SOLID, 1, GetSysColor(COLOR_3DDKSHADOW));
        CPen* oldPen = pDC->SelectObject(&light);
        pDC->MoveTo(rect.left, rect.top);
        pDC->LineTo(rect.right, rect.top);
        pDC->LineTo(rect.right, rect.bottom);
        pDC->SelectObject(&dark);
        pDC->MoveTo(rect.left, rect.top);
        pDC->LineTo(rect.left, rect.bottom);
        pDC->LineTo(rect.right, rect.bottom);
        if (oldPen) pDC->SelectObject(oldPen);
        rect.DeflateRect(1, 1);
    }

    pDC->SetBkMode(TRANSPARENT);
    rect.DeflateRect(m_nMargin, 0);
    pDC->DrawText(item.szText, &rect, item.nFormat | kCellTextFlags);
    if (oldFont) pDC->SelectObject(oldFont);
    return TRUE;
}

BOOL CGridCtrl::DrawCell(CDC* pDC, int nRow, int nCol, CRect rect, BOOL bEraseBk) {
    if (!m_bAllowDraw) return FALSE;
    GV_ITEM item;
    item.mask = GVIF_TEXT | GVIF_FORMAT | GVIF_STATE | GVIF_IMAGE | GVIF_BKCLR | GVIF_FGCLR;
    item.row = nRow;
    item.col = nCol;
    if (!GetItem(&item)) return FALSE;

    const COLORREF textBk = item.crBkClr == CLR_DEFAULT ? GetTextBkColor() : item.crBkClr;
    const COLORREF text = item.crFgClr == CLR_DEFAULT ? GetTextColor() : item.crFgClr;
    const bool printing = pDC->IsPrinting();
    CPen* oldPen = pDC->GetCurrentPen();
    CBrush* oldBrush = pDC->GetCurrentBrush();
    pDC->SetBkMode(TRANSPARENT);

    // The cell's rectangle includes its right and bottom edges; fills leave them out.
    CRect area = rect;
    ++area.right;
    ++area.bottom;
    if ((item.state & GVIS_FOCUSED) && !printing) {
        if (bEraseBk) pDC->FillSolidRect(&area, textBk);
        pDC->SelectStockObject(BLACK_PEN);
        pDC->SelectStockObject(NULL_BRUSH);
        pDC->Rectangle(&rect);
        pDC->SetTextColor(text);
        rect.DeflateRect(1, 1);
    } else if ((item.state & GVIS_SELECTED) && !printing) {
        pDC->FillSolidRect(&area, GetSysColor(COLOR_HIGHLIGHT));
        pDC->SetTextColor(GetSysColor(COLOR_HIGHLIGHTTEXT));
    } else {
        if (bEraseBk) pDC->FillSolidRect(&area, textBk);
        pDC->SetTextColor(text);
    }
    if ((item.state & GVIS_DROPHILITED) && !printing) {
        pDC->SelectStockObject(BLACK_PEN);
        pDC->SelectStockObject(NULL_BRUSH);
        pDC->Rectangle(&rect);
    }

    CFont font;
    font.CreateFontIndirect(GetItemFont(nRow, nCol));
    CFont* oldFont = pDC->SelectObject(&font);
    rect.DeflateRect(m_nMargin, 0);
    pDC->DrawText(item.szText, &rect, item.nFormat | kCellTextFlags);
    if (oldFont) pDC->SelectObject(oldFont);
    if (oldPen) pDC->SelectObject(oldPen);
    if (oldBrush) pDC->SelectObject(oldBrush);
    return TRUE;
}
