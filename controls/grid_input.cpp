// The grid's focus cell and selection, and its keys, mouse, wheel and auto-scroll timer.

#include <algorithm>

#include "controls/grid_ctrl.h"
#include "platform/win/system.h"

namespace {

bool IsCtrlPressed() {
    return GetKeyState(VK_CONTROL) < 0;
}
bool IsShiftPressed() {
    return GetKeyState(VK_SHIFT) < 0;
}

constexpr UINT_PTR kAutoScrollTimer = WM_LBUTTONDOWN;

}  // namespace

// ---- focus and selection ----

CCellID CGridCtrl::SetFocusCell(int nRow, int nCol) {
    const CCellID cell(nRow, nCol);
    if (cell == m_idCurrentCell) return m_idCurrentCell;
    const CCellID prev = m_idCurrentCell;
    m_idCurrentCell = cell;

    if (IsValid(prev)) {
        SendMessageToParent(prev.row, prev.col, GVN_SELCHANGING);
        SetItemState(prev.row, prev.col, GetItemState(prev.row, prev.col) & ~GVIS_FOCUSED);
        RedrawCell(prev.row, prev.col);
        if (prev.col != m_idCurrentCell.col)
            for (int row = 0; row < m_nFixedRows; ++row)
                RedrawCell(row, prev.col);
        if (prev.row != m_idCurrentCell.row)
            for (int col = 0; col < m_nFixedCols; ++col)
                RedrawCell(prev.row, col);
    }
    if (IsValid(m_idCurrentCell)) {
        const CCellID now = m_idCurrentCell;
        SetItemState(now.row, now.col, GetItemState(now.row, now.col) | GVIS_FOCUSED);
        RedrawCell(now.row, now.col);
        if (prev.col != now.col)
            for (int row = 0; row < m_nFixedRows; ++row)
                RedrawCell(row, now.col);
        if (prev.row != now.row)
            for (int col = 0; col < m_nFixedCols; ++col)
                RedrawCell(now.row, col);
        SendMessageToParent(now.row, now.col, GVN_SELCHANGED);
    }
    return prev;
}

void CGridCtrl::SetSelectedRange(const CCellRange& range, BOOL bForceRepaint) {
    SetSelectedRange(range.GetMinRow(), range.GetMinCol(), range.GetMaxRow(), range.GetMaxCol(),
                     bForceRepaint);
}

void CGridCtrl::SetSelectedRange(int nMinRow, int nMinCol, int nMaxRow, int nMaxCol, BOOL) {
    if (!m_bEnableSelection) return;
    const CCellRange range(nMinRow, nMinCol, nMaxRow, nMaxCol);

    // Every selected cell leaves the selection; those outside the new range are repainted now.
    const auto selected = m_SelectedCellMap;
    for (const auto& [key, cell] : selected) {
        if (!IsValid(cell)) {
            m_SelectedCellMap.erase(key);
            continue;
        }
        SetItemState(cell.row, cell.col, GetItemState(cell.row, cell.col) & ~GVIS_SELECTED);
        if (!range.InRange(cell)) RedrawCell(cell.row, cell.col);
    }
    // The cells kept by a Ctrl-click come back.
    if (!GetSingleRowSelection()) {
        for (const auto& [key, cell] : m_PrevSelectedCellMap) {
            if (!IsValid(cell)) continue;
            SetItemState(cell.row, cell.col, GetItemState(cell.row, cell.col) | GVIS_SELECTED);
            RedrawCell(cell.row, cell.col);
        }
    }
    if (range.IsValid() && IsValid(range)) {
        for (int row = nMinRow; row <= nMaxRow; ++row)
            for (int col = nMinCol; col <= nMaxCol; ++col) {
                const UINT state = GetItemState(row, col);
                if (state & GVIS_SELECTED) continue;
                SetItemState(row, col, state | GVIS_SELECTED);
                RedrawCell(row, col);
            }
    }
}

void CGridCtrl::ResetSelectedRange() {
    SetSelectedRange(-1, -1, -1, -1);
    SetFocusCell(-1, -1);
}

CCellRange CGridCtrl::GetSelectedCellRange() const {
    CCellRange range(GetRowCount(), GetColumnCount(), -1, -1);
    for (const auto& [key, cell] : m_SelectedCellMap) {
        range.SetMinRow(std::min(range.GetMinRow(), cell.row));
        range.SetMinCol(std::min(range.GetMinCol(), cell.col));
        range.SetMaxRow(std::max(range.GetMaxRow(), cell.row));
        range.SetMaxCol(std::max(range.GetMaxCol(), cell.col));
    }
    return range;
}

void CGridCtrl::SelectAllCells() {
    if (!m_bEnableSelection) return;
    SetSelectedRange(m_nFixedRows, m_nFixedCols, GetRowCount() - 1, GetColumnCount() - 1);
}

void CGridCtrl::SelectColumns(CCellID currentCell) {
    if (!m_bEnableSelection || currentCell.col < m_nFixedCols || !IsValid(currentCell)) return;
    SetSelectedRange(GetFixedRowCount(), std::min(m_SelectionStartCell.col, currentCell.col),
                     GetRowCount() - 1, std::max(m_SelectionStartCell.col, currentCell.col));
}

void CGridCtrl::SelectRows(CCellID currentCell) {
    if (!m_bEnableSelection || currentCell.row < m_nFixedRows || !IsValid(currentCell)) return;
    if (GetListMode() && GetSingleRowSelection())
        SetSelectedRange(currentCell.row, GetFixedColumnCount(), currentCell.row,
                         GetColumnCount() - 1);
    else
        SetSelectedRange(std::min(m_SelectionStartCell.row, currentCell.row), GetFixedColumnCount(),
                         std::max(m_SelectionStartCell.row, currentCell.row), GetColumnCount() - 1);
}

void CGridCtrl::SelectCells(CCellID currentCell) {
    if (!m_bEnableSelection || !IsValid(currentCell)) return;
    if (currentCell.row < m_nFixedRows || currentCell.col < m_nFixedCols) return;
    if (m_SelectionStartCell.row < m_nFixedRows || m_SelectionStartCell.col < m_nFixedCols) return;
    SetSelectedRange(std::min(m_SelectionStartCell.row, currentCell.row),
                     std::min(m_SelectionStartCell.col, currentCell.col),
                     std::max(m_SelectionStartCell.row, currentCell.row),
                     std::max(m_SelectionStartCell.col, currentCell.col));
}

void CGridCtrl::OnSelecting(const CCellID& currentCell) {
    if (!m_bEnableSelection) return;
    switch (m_MouseMode) {
        case MOUSE_SELECT_ALL:
            SelectAllCells();
            break;
        case MOUSE_SELECT_COL:
            SelectColumns(currentCell);
            break;
        case MOUSE_SELECT_ROW:
            SelectRows(currentCell);
            break;
        case MOUSE_SELECT_CELLS:
            SelectCells(currentCell);
            break;
        default:
            break;
    }
}

void CGridCtrl::OnFixedColumnClick(CCellID& cell) {
    if (!IsValid(cell)) return;
    m_MouseMode = cell.row < GetFixedRowCount() ? MOUSE_SELECT_ALL : MOUSE_SELECT_ROW;
    OnSelecting(cell);
}

void CGridCtrl::OnFixedRowClick(CCellID& cell) {
    if (!IsValid(cell)) return;
    if (m_bListMode) {
        if (!m_bSortOnClick) return;
        CWaitCursor waiter;
        if (cell.col == m_nSortColumn) {
            m_bAscending = !m_bAscending;
        } else {
            m_bAscending = TRUE;
            m_nSortColumn = cell.col;
        }
        SortTextItems(m_nSortColumn, m_bAscending);
        Invalidate();
        return;
    }
    m_MouseMode = cell.col < GetFixedColumnCount() ? MOUSE_SELECT_ALL : MOUSE_SELECT_COL;
    OnSelecting(cell);
}

// ---- keys ----

void CGridCtrl::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
    if (!IsValid(m_idCurrentCell)) {
        CWnd::OnKeyDown(nChar, nRepCnt, nFlags);
        return;
    }
    // A key hides the tip, as the tip does itself for the keys it sees.
    m_TitleTip.Hide();
    const platform::WindowWatch watch(*this);
    auto gone = [&] { return watch.Gone(); };

    CCellID next = m_idCurrentCell;
    bool changeLine = false;
    const int lastDataCol = m_nFirstReadOnlyColumn - 2;
    const int firstDataCol = m_nFixedCols + 1 < lastDataCol ? m_nFixedCols + 1 : m_nFixedCols;
    const bool shift = IsShiftPressed();

    if (IsCtrlPressed()) {
        switch (nChar) {
            case 'A':
                OnEditSelectAll();
                break;
            case 'C':
                OnEditCopy();
                break;
            case 'V':
                if (GetOwner()) OnEditPaste();
                break;
            case 'X':
                if (GetOwner()) OnEditCut();
                break;
            default:
                break;
        }
        if (gone()) return;
    }

    switch (nChar) {
        case VK_DELETE: {
            const CCellRange sel = GetSelectedCellRange();
            if (IsValid(sel) && sel.Count() > 0) SendToOwner(UM_GRID_DELETE, 0, 0);
            break;
        }
        case VK_TAB:
        case VK_RETURN:
            if (!shift) {
                if (next.col < lastDataCol) {
                    ++next.col;
                } else if (next.row > m_nWindowRows) {
                    // The last shown row: the owner moves its window on by a sample.
                    if (m_nFirstShownSample <= m_nSampleCount - m_nWindowRows) {
                        ShowRow(m_nFirstShownSample + 1);
                        next.col = firstDataCol;
                        changeLine = true;
                    }
                } else {
                    ++next.row;
                    next.col = firstDataCol;
                    changeLine = true;
                }
            } else {
                if (next.col > m_nFixedCols + 1) {
                    --next.col;
                } else if (next.row > 2) {
                    --next.row;
                    next.col = GetColumnCount() - 2;
                    changeLine = true;
                } else if (m_nFirstShownSample > 0) {
                    ShowRow(m_nFirstShownSample - 1);
                    next.col = GetColumnCount() - 2;
                    changeLine = true;
                }
            }
            if (next.row > m_nWindowRows + 1) next = m_idCurrentCell;
            break;
        case VK_PRIOR:
            ShowRow(std::max(0, m_nFirstShownSample - m_nWindowRows));
            break;
        case VK_NEXT:
            ShowRow(m_nFirstShownSample + m_nWindowRows < m_nSampleCount
                        ? m_nFirstShownSample + m_nWindowRows
                        : m_nSampleCount);
            break;
        case VK_END:
            SendMessage(WM_VSCROLL, SB_BOTTOM, 0);
            if (gone()) return;
            ShowRow(m_nSampleCount);
            break;
        case VK_HOME:
            SendMessage(WM_VSCROLL, SB_TOP, 0);
            if (gone()) return;
            ShowRow(0);
            break;
        case VK_LEFT:
            if (next.col > m_nFixedCols) --next.col;
            break;
        case VK_RIGHT:
            if (next.col < GetColumnCount() - 1) ++next.col;
            break;
        case VK_UP:
            if (m_MouseMode == MOUSE_SELECT_COL || next.row == 0) break;
            if (next.row != m_nFixedRows && IsCellVisible(next.row - 1, next.col))
                --next.row;
            else if (m_nFirstShownSample > 0)
                ShowRow(m_nFirstShownSample - 1);
            break;
        case VK_DOWN:
            if (next.row >= GetRowCount() - 1) break;
            if (IsCellVisible(next.row + 1, next.col))
                ++next.row;
            else if (m_nFirstShownSample + 1 < m_nSampleCount)
                ShowRow(m_nFirstShownSample + 1);
            break;
        default:
            CWnd::OnKeyDown(nChar, nRepCnt, nFlags);
            return;
    }
    if (gone()) return;

    if (!(next == m_idCurrentCell)) {
        if (m_MouseMode == MOUSE_NOTHING) {
            m_PrevSelectedCellMap.clear();
            m_MouseMode = m_bListMode ? MOUSE_SELECT_ROW : MOUSE_SELECT_CELLS;
            if (!shift || nChar == VK_TAB) m_SelectionStartCell = next;
            OnSelecting(next);
            m_MouseMode = MOUSE_NOTHING;
        }
        SetFocusCell(next);
        if (gone()) return;
        if (!IsCellVisible(next.row, next.col)) {
            EnsureVisible(next.row, next.col);
            switch (nChar) {
                case VK_RIGHT:
                    SendMessage(WM_HSCROLL, SB_LINERIGHT, 0);
                    break;
                case VK_LEFT:
                    SendMessage(WM_HSCROLL, SB_LINELEFT, 0);
                    break;
                case VK_DOWN:
                    SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
                    break;
                case VK_UP:
                    SendMessage(WM_VSCROLL, SB_LINEUP, 0);
                    break;
                case VK_TAB:
                    if (shift) {
                        if (changeLine) {
                            SendMessage(WM_VSCROLL, SB_LINEUP, 0);
                            SetScrollPos(SB_HORZ, m_nHScrollMax);
                        } else {
                            SendMessage(WM_HSCROLL, SB_LINELEFT, 0);
                        }
                    } else if (changeLine) {
                        SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
                        SetScrollPos(SB_HORZ, 0);
                    } else {
                        SendMessage(WM_HSCROLL, SB_LINERIGHT, 0);
                    }
                    break;
                default:
                    break;
            }
            if (gone()) return;
            Invalidate();
        }
    }
}

void CGridCtrl::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) {
    if (!IsCtrlPressed() && m_MouseMode == MOUSE_NOTHING && IsValid(m_idCurrentCell)) {
        if (!m_bHandleTabKey || nChar != VK_TAB) {
            // These keys mean something else to the table and never start an edit.
            static constexpr UINT kExcluded[] = {VK_ESCAPE, VK_BACK, '\\', '*', '/', '`',
                                                 '\'',      '=',     ',',  '[', ']'};
            if (std::find(std::begin(kExcluded), std::end(kExcluded), nChar) ==
                std::end(kExcluded)) {
                const platform::WindowWatch watch(*this);
                OnEditCell(m_idCurrentCell.row, m_idCurrentCell.col, nChar);
                if (watch.Gone()) return;
            }
        }
    }
    CWnd::OnChar(nChar, nRepCnt, nFlags);
}

// ---- mouse ----

BOOL CGridCtrl::MouseOverColumnResizeArea(CPoint point) const {
    if (point.y >= GetFixedRowHeight()) return FALSE;
    const CCellID cell = GetCellFromPt(point);
    CPoint start;
    if (!GetCellOrigin(cell, &start)) return FALSE;
    const int endx = start.x + GetColumnWidth(cell.col);
    return (point.x - start.x <= m_nResizeCaptureRange && cell.col != 0) ||
           endx - point.x <= m_nResizeCaptureRange;
}

BOOL CGridCtrl::MouseOverRowResizeArea(CPoint point) const {
    if (point.x >= GetFixedColumnWidth()) return FALSE;
    const CCellID cell = GetCellFromPt(point);
    CPoint start;
    if (!GetCellOrigin(cell, &start)) return FALSE;
    const int endy = start.y + GetRowHeight(cell.row);
    return (point.y - start.y <= m_nResizeCaptureRange && cell.row != 0) ||
           endy - point.y <= m_nResizeCaptureRange;
}

void CGridCtrl::DrawTracker(const CRect& rect) {
    // Painted over the cells by OnDraw; the old place is repainted without it.
    if (m_bTrackerShown) {
        CRect old = m_TrackerRect;
        old.InflateRect(1, 1);
        InvalidateRect(&old, FALSE);
    }
    m_TrackerRect = rect;
    m_bTrackerShown = !rect.IsRectEmpty();
    if (m_bTrackerShown) InvalidateRect(&m_TrackerRect, FALSE);
}

void CGridCtrl::TrackerLineAt(CPoint point) {
    CRect client;
    GetClientRect(&client);
    if (m_MouseMode == MOUSE_SIZING_COL)
        DrawTracker(CRect(point.x, client.top, point.x + 2, client.bottom));
    else
        DrawTracker(CRect(client.left, point.y, client.right, point.y + 2));
}

void CGridCtrl::OnLButtonDown(UINT nFlags, CPoint point) {
    CWnd* oldFocus = GetFocus();
    const platform::WindowWatch watch(*this);
    auto gone = [&] { return watch.Gone(); };

    m_LeftClickDownPoint = point;
    m_LeftClickDownCell = GetCellFromPt(point);
    if (!IsValid(m_LeftClickDownCell)) return;
    m_SelectionStartCell = (nFlags & MK_SHIFT) ? m_idCurrentCell : m_LeftClickDownCell;
    SetFocus();
    if (gone()) return;

    if (m_LeftClickDownCell == m_idCurrentCell) {
        m_MouseMode = MOUSE_PREPARE_EDIT;
        return;
    }
    if (m_MouseMode != MOUSE_OVER_COL_DIVIDE && m_MouseMode != MOUSE_OVER_ROW_DIVIDE) {
        SetFocusCell(-1, -1);
        SetFocusCell(std::max(m_LeftClickDownCell.row, m_nFixedRows),
                     std::max(m_LeftClickDownCell.col, m_nFixedCols));
        if (gone()) return;
    }
    if (m_bAllowDragAndDrop && oldFocus == this &&
        (GetItemState(m_LeftClickDownCell.row, m_LeftClickDownCell.col) & GVIS_SELECTED)) {
        m_MouseMode = MOUSE_PREPARE_DRAG;
        return;
    }

    SetCapture();
    if (m_MouseMode == MOUSE_NOTHING) {
        if (m_bAllowColumnResize && MouseOverColumnResizeArea(point)) {
            SetCursor(LoadCursor(nullptr, IDC_SIZEWE));
            m_MouseMode = MOUSE_OVER_COL_DIVIDE;
        } else if (m_bAllowRowResize && MouseOverRowResizeArea(point)) {
            SetCursor(LoadCursor(nullptr, IDC_SIZENS));
            m_MouseMode = MOUSE_OVER_ROW_DIVIDE;
        }
    }

    if (m_MouseMode == MOUSE_OVER_COL_DIVIDE) {
        m_MouseMode = MOUSE_SIZING_COL;
        CPoint start;
        if (!GetCellOrigin(0, m_LeftClickDownCell.col, &start)) return;
        // Near a column's left edge the divider belongs to the column before.
        if (point.x - start.x <= m_nResizeCaptureRange)
            if (!GetCellOrigin(0, --m_LeftClickDownCell.col, &start)) return;
        TrackerLineAt(point);
        CRect clip;
        GetClientRect(&clip);
        clip.left = start.x + 1;
        ClientToScreen(&clip);
        ClipCursor(&clip);
    } else if (m_MouseMode == MOUSE_OVER_ROW_DIVIDE) {
        m_MouseMode = MOUSE_SIZING_ROW;
        CPoint start;
        if (!GetCellOrigin(m_LeftClickDownCell, &start)) return;
        if (point.y - start.y <= m_nResizeCaptureRange)
            if (!GetCellOrigin(--m_LeftClickDownCell.row, 0, &start)) return;
        TrackerLineAt(point);
        CRect clip;
        GetClientRect(&clip);
        clip.top = start.y + 1;
        ClientToScreen(&clip);
        ClipCursor(&clip);
    } else {
        m_PrevSelectedCellMap.clear();
        if (nFlags & MK_CONTROL) m_PrevSelectedCellMap = m_SelectedCellMap;
        if (m_LeftClickDownCell.row < GetFixedRowCount()) {
            OnFixedRowClick(m_LeftClickDownCell);
        } else if (m_LeftClickDownCell.col < GetFixedColumnCount()) {
            OnFixedColumnClick(m_LeftClickDownCell);
        } else {
            m_MouseMode = m_bListMode ? MOUSE_SELECT_ROW : MOUSE_SELECT_CELLS;
            OnSelecting(m_LeftClickDownCell);
        }
        if (gone()) return;
        m_nTimerID = SetTimer(kAutoScrollTimer, static_cast<UINT>(m_nTimerInterval));
    }
    m_LastMousePoint = point;
}

void CGridCtrl::OnMouseMove(UINT nFlags, CPoint point) {
    CRect client;
    GetClientRect(&client);
    if (m_MouseMode != MOUSE_DRAGGING && !client.PtInRect(point)) return;

    if (!(nFlags & MK_LBUTTON) || m_MouseMode == MOUSE_NOTHING) {
        if (m_bAllowColumnResize && MouseOverColumnResizeArea(point)) {
            if (m_MouseMode != MOUSE_OVER_COL_DIVIDE) {
                SetCursor(LoadCursor(nullptr, IDC_SIZEWE));
                m_MouseMode = MOUSE_OVER_COL_DIVIDE;
            }
        } else if (m_bAllowRowResize && MouseOverRowResizeArea(point)) {
            if (m_MouseMode != MOUSE_OVER_ROW_DIVIDE) {
                SetCursor(LoadCursor(nullptr, IDC_SIZENS));
                m_MouseMode = MOUSE_OVER_ROW_DIVIDE;
            }
        } else if (m_MouseMode != MOUSE_NOTHING) {
            SetCursor(LoadCursor(nullptr, IDC_ARROW));
            m_MouseMode = MOUSE_NOTHING;
        }
        if (m_MouseMode == MOUSE_NOTHING && m_bTitleTips) {
            const CCellID cell = GetCellFromPt(point);
            CRect textRect, cellRect;
            if (GetTextRect(cell.row, cell.col, &textRect) &&
                GetCellRect(cell.row, cell.col, &cellRect))
                m_TitleTip.Show(textRect, GetItemText(cell.row, cell.col), 0, &cellRect,
                                GetItemFont(cell.row, cell.col));
        }
        m_LastMousePoint = point;
        return;
    }

    if (!IsValid(m_LeftClickDownCell)) {
        m_LastMousePoint = point;
        return;
    }
    switch (m_MouseMode) {
        case MOUSE_SELECT_COL:
        case MOUSE_SELECT_ROW:
        case MOUSE_SELECT_CELLS: {
            const CCellID cell = GetCellFromPt(point);
            if (!IsValid(cell)) return;
            if (!(cell == GetFocusCell())) {
                OnSelecting(cell);
                if (cell.row >= m_nFixedRows && cell.col >= m_nFixedCols) SetFocusCell(cell);
            }
            break;
        }
        case MOUSE_SIZING_COL:
        case MOUSE_SIZING_ROW:
            TrackerLineAt(point);
            break;
        case MOUSE_PREPARE_DRAG:
            OnBeginDrag();
            return;
        default:
            break;
    }
    m_LastMousePoint = point;
}

void CGridCtrl::OnLButtonUp(UINT nFlags, CPoint point) {
    CWnd::OnLButtonUp(nFlags, point);
    const platform::WindowWatch watch(*this);
    auto gone = [&] { return watch.Gone(); };
    ClipCursor(nullptr);
    if (GetCapture() == this) {
        ReleaseCapture();
        KillTimer(m_nTimerID);
        m_nTimerID = 0;
    }

    if (m_MouseMode == MOUSE_PREPARE_EDIT) {
        OnEditCell(m_idCurrentCell.row, m_idCurrentCell.col, VK_LBUTTON);
        if (gone()) return;
    } else if (m_MouseMode == MOUSE_PREPARE_DRAG) {
        ResetSelectedRange();
    } else if (m_MouseMode == MOUSE_SIZING_COL) {
        DrawTracker(CRect());
        CPoint start;
        if (!(m_LeftClickDownPoint == point) && GetCellOrigin(m_LeftClickDownCell, &start)) {
            SetColumnWidth(m_LeftClickDownCell.col, point.x - start.x);
            ResetScrollBars();
            Invalidate();
        }
    } else if (m_MouseMode == MOUSE_SIZING_ROW) {
        DrawTracker(CRect());
        CPoint start;
        if (!(m_LeftClickDownPoint == point) && GetCellOrigin(m_LeftClickDownCell, &start)) {
            SetRowHeight(m_LeftClickDownCell.row, point.y - start.y);
            ResetScrollBars();
            Invalidate();
        }
    }
    m_MouseMode = MOUSE_NOTHING;
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    if (!IsValid(m_LeftClickDownCell)) return;
    if (CWnd* owner = GetOwner(); owner && IsWindow(owner->m_hWnd))
        owner->PostMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID()), 0),
                           reinterpret_cast<LPARAM>(m_hWnd));
}

void CGridCtrl::OnLButtonDblClk(UINT nFlags, CPoint point) {
    const platform::WindowWatch watch(*this);
    auto gone = [&] { return watch.Gone(); };
    if (m_MouseMode == MOUSE_OVER_COL_DIVIDE) {
        CCellID cell = GetCellFromPt(point);
        CPoint start;
        if (GetCellOrigin(0, cell.col, &start)) {
            if (point.x - start.x <= m_nResizeCaptureRange) --cell.col;
            AutoSizeColumn(cell.col);
            Invalidate();
        }
    } else if (m_MouseMode == MOUSE_OVER_ROW_DIVIDE) {
        CCellID cell = GetCellFromPt(point);
        CPoint start;
        if (GetCellOrigin(cell.row, 0, &start)) {
            if (point.y - start.y <= m_nResizeCaptureRange) --cell.row;
            AutoSizeRow(cell.row);
            Invalidate();
        }
    } else if (m_MouseMode == MOUSE_NOTHING) {
        if (IsValid(m_LeftClickDownCell) && m_LeftClickDownCell.row >= m_nFixedRows &&
            m_LeftClickDownCell.col >= m_nFixedCols) {
            OnEditCell(m_idCurrentCell.row, m_idCurrentCell.col, VK_LBUTTON);
        } else if (m_bListMode) {
            const CCellID cell = GetCellFromPt(point);
            if (IsValid(cell) && cell.row >= m_nFixedRows && cell.col < GetFixedColumnCount())
                OnEditCell(cell.row, cell.col, VK_LBUTTON);
        }
        if (gone()) return;
    }
    if (GetOwner()) {
        const CCellID cell = GetCellFromPt(point);
        if ((cell.row == 0 || cell.row == 1) && cell.col >= 2)
            SendToOwner(UM_GRID_HEADER_DBLCLK, PackCellID(cell), 0);
        if (gone()) return;
    }
    CWnd::OnLButtonDblClk(nFlags, point);
}

BOOL CGridCtrl::OnMouseWheel(UINT nFlags, short zDelta, CPoint pt) {
    if (m_nRowsPerWheelNotch != WHEEL_PAGESCROLL) {
        const int rows = zDelta * static_cast<int>(m_nRowsPerWheelNotch) / WHEEL_DELTA;
        for (int i = 0; i < std::abs(rows); ++i)
            PostMessage(WM_VSCROLL, rows < 0 ? SB_LINEDOWN : SB_LINEUP, 0);
    } else {
        const int pages = zDelta / WHEEL_DELTA;
        for (int i = 0; i < std::abs(pages); ++i)
            PostMessage(WM_VSCROLL, pages < 0 ? SB_PAGEDOWN : SB_PAGEUP, 0);
    }
    return CWnd::OnMouseWheel(nFlags, zDelta, pt);
}

void CGridCtrl::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent != kAutoScrollTimer) return;
    CPoint origin;
    if (!GetCursorPos(&origin)) return;
    ScreenToClient(&origin);
    CRect client;
    GetClientRect(&client);
    const int fixedRowHeight = GetFixedRowHeight();
    const int fixedColWidth = GetFixedColumnWidth();
    const platform::WindowWatch watch(*this);
    auto gone = [&] { return watch.Gone(); };

    CPoint pt = origin;
    if (pt.y > client.bottom) {
        SendMessage(WM_KEYDOWN, VK_DOWN, 0);
        if (gone()) return;
        pt.x = std::clamp<LONG>(pt.x, client.left, client.right);
        pt.y = client.bottom;
        OnSelecting(GetCellFromPt(pt));
    } else if (pt.y < fixedRowHeight) {
        SendMessage(WM_KEYDOWN, VK_UP, 0);
        if (gone()) return;
        pt.x = std::clamp<LONG>(pt.x, client.left, client.right);
        pt.y = fixedRowHeight + 1;
        OnSelecting(GetCellFromPt(pt));
    }
    pt = origin;
    if (pt.x > client.right) {
        SendMessage(WM_KEYDOWN, VK_RIGHT, 0);
        if (gone()) return;
        pt.y = std::clamp<LONG>(pt.y, client.top, client.bottom);
        pt.x = client.right;
        OnSelecting(GetCellFromPt(pt));
    } else if (pt.x < fixedColWidth) {
        SendMessage(WM_KEYDOWN, VK_LEFT, 0);
        if (gone()) return;
        pt.y = std::clamp<LONG>(pt.y, client.top, client.bottom);
        pt.x = fixedColWidth + 1;
        OnSelecting(GetCellFromPt(pt));
    }
}
