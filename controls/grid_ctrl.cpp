#include "controls/grid_ctrl.h"

#include <algorithm>

#include "controls/in_place_edit.h"
#include "platform/base/exceptions.h"
#include "platform/msg/standard_ids.h"
#include "platform/ui/dialog.h"
#include "platform/win/system.h"

// ---- CGridDropTarget ----

BOOL CGridDropTarget::Register(CGridCtrl* grid) {
    if (m_bRegistered || !grid) return FALSE;
    m_pGridCtrl = grid;
    m_bRegistered = COleDropTarget::Register(grid);
    return m_bRegistered;
}

void CGridDropTarget::Revoke() {
    m_bRegistered = FALSE;
    COleDropTarget::Revoke();
}

DROPEFFECT CGridDropTarget::OnDragEnter(CWnd* wnd, COleDataObject* data, DWORD keyState,
                                        CPoint point) {
    if (!m_pGridCtrl || wnd != m_pGridCtrl) return DROPEFFECT_NONE;
    return m_pGridCtrl->OnDragEnter(data, keyState, point);
}

DROPEFFECT CGridDropTarget::OnDragOver(CWnd* wnd, COleDataObject* data, DWORD keyState,
                                       CPoint point) {
    if (!m_pGridCtrl || wnd != m_pGridCtrl) return DROPEFFECT_NONE;
    return m_pGridCtrl->OnDragOver(data, keyState, point);
}

void CGridDropTarget::OnDragLeave(CWnd* wnd) {
    if (m_pGridCtrl && wnd == m_pGridCtrl) m_pGridCtrl->OnDragLeave();
}

BOOL CGridDropTarget::OnDrop(CWnd* wnd, COleDataObject* data, DROPEFFECT effect, CPoint point) {
    if (!m_pGridCtrl || wnd != m_pGridCtrl) return FALSE;
    return m_pGridCtrl->OnDrop(data, effect, point);
}

DROPEFFECT CGridDropTarget::OnDragScroll(CWnd* wnd, DWORD keyState, CPoint) {
    if (!m_pGridCtrl || wnd != m_pGridCtrl) return DROPEFFECT_NONE;
    return (keyState & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}

// ---- construction ----

BEGIN_MESSAGE_MAP(CGridCtrl, CWnd)
ON_MESSAGE(WM_GETDLGCODE, OnGetDlgCode)
ON_MESSAGE(WM_SETFONT, OnSetFontMessage)
ON_MESSAGE(WM_GETFONT, OnGetFontMessage)
ON_MESSAGE(WM_SETCURSOR, OnSetCursorMessage)
ON_MESSAGE(WM_CAPTURECHANGED, OnCaptureChanged)
ON_MESSAGE(WM_SYSCOLORCHANGE, OnSysColorChange)
ON_MESSAGE(WM_SETTINGCHANGE, OnSettingChange)
ON_MESSAGE(WM_NOTIFY, OnNotify)
ON_COMMAND(ID_EDIT_COPY, OnEditCopyCommand)
ON_COMMAND(ID_EDIT_CUT, OnEditCutCommand)
ON_COMMAND(ID_EDIT_PASTE, OnEditPasteCommand)
ON_COMMAND(ID_EDIT_SELECT_ALL, OnEditSelectAllCommand)
ON_UPDATE_COMMAND_UI(ID_EDIT_COPY, OnUpdateEditCopy)
ON_UPDATE_COMMAND_UI(ID_EDIT_CUT, OnUpdateEditCut)
ON_UPDATE_COMMAND_UI(ID_EDIT_PASTE, OnUpdateEditPaste)
ON_UPDATE_COMMAND_UI(ID_EDIT_SELECT_ALL, OnUpdateEditSelectAll)
END_MESSAGE_MAP()

CGridCtrl::CGridCtrl(int nRows, int nCols, int nFixedRows, int nFixedCols)
    : m_crWindowText(GetSysColor(COLOR_WINDOWTEXT)),
      m_crWindowColour(GetSysColor(COLOR_WINDOW)),
      m_cr3DFace(GetSysColor(COLOR_3DFACE)),
      m_crShadow(GetSysColor(COLOR_3DSHADOW)) {
    platform::RegisterWindowClass(GRIDCTRL_CLASSNAME);
    if (CGdiObject* stock = platform::StockObject(SYSTEM_FONT))
        static_cast<CFont*>(stock)->GetLogFont(&m_Logfont);
    m_GridLogfont = m_Logfont;
    ReadRowsPerWheelNotch();

    SetRowCount(nRows);
    SetColumnCount(nCols);
    SetFixedRowCount(nFixedRows);
    SetFixedColumnCount(nFixedCols);

    SetTextColor(m_crWindowText);
    SetTextBkColor(m_crWindowColour);
    SetBkColor(RGB(255, 255, 255));
    SetFixedTextColor(m_crWindowText);
    SetFixedBkColor(m_cr3DFace);
    m_crGridColour = RGB(192, 192, 192);
}

CGridCtrl::~CGridCtrl() {
    m_pInPlaceEdit.reset();
    m_DropTarget.Revoke();
    if (m_hWnd) DestroyWindow();
}

BOOL CGridCtrl::Create(const RECT& rect, CWnd* parent, UINT nID, DWORD dwStyle) {
    if (!CWnd::Create(GRIDCTRL_CLASSNAME, nullptr, dwStyle, rect, parent, nID)) return FALSE;
    m_DropTarget.Register(this);
    if (m_bTitleTips) m_TitleTip.Create(this);
    m_arRowHeights.assign(static_cast<size_t>(m_nRows), m_nDefCellHeight);
    m_arColWidths.assign(static_cast<size_t>(m_nCols), m_nDefCellWidth);
    ResetScrollBars();
    return TRUE;
}

BOOL CGridCtrl::SubclassDlgItem(UINT nID, CWnd* parent) {
    if (!CWnd::SubclassDlgItem(nID, parent)) return FALSE;
    m_DropTarget.Register(this);
    if (m_bTitleTips) m_TitleTip.Create(this);
    return TRUE;
}

void DDX_GridControl(CDataExchange* pDX, int nIDC, CGridCtrl& rControl) {
    if (rControl.GetSafeHwnd()) return;
    if (!pDX || !rControl.SubclassDlgItem(static_cast<UINT>(nIDC), pDX->m_pDlgWnd))
        throw CNotSupportedException();
}

void CGridCtrl::PreSubclassWindow() {
    CWnd::PreSubclassWindow();
    CFont font;
    font.CreateFontIndirect(&m_Logfont);
    OnSetFontMessage(reinterpret_cast<WPARAM>(&font), 0);
    ResetScrollBars();
}

void CGridCtrl::ReadRowsPerWheelNotch() {
    UINT lines = 3;
    if (!SystemParametersInfo(SPI_GETWHEELSCROLLLINES, 0, &lines, 0)) lines = 3;
    m_nRowsPerWheelNotch = lines;
}

void CGridCtrl::SetDefaultFontMetrics(CDC* dc) {
    m_nMargin = dc->GetTextExtent(" ", 1).cx;
    TEXTMETRIC tm;
    dc->GetTextMetrics(&tm);
    m_nDefCellHeight = tm.tmHeight + tm.tmExternalLeading + 2 * m_nMargin;
    m_nDefCellWidth = tm.tmAveCharWidth * 12 + 2 * m_nMargin;
}

// ---- messages to the owner ----

LRESULT CGridCtrl::SendToOwner(UINT msg, WPARAM wParam, LPARAM lParam) {
    CWnd* owner = GetOwner();
    if (!owner || !IsWindow(owner->m_hWnd)) return 0;
    return owner->SendMessage(msg, wParam, lParam);
}

void CGridCtrl::SendMessageToParent(int nRow, int nCol, int nMessage) {
    if (!IsWindow(m_hWnd)) return;
    CWnd* owner = GetOwner();
    if (!owner || !IsWindow(owner->m_hWnd)) return;
    NM_GRIDVIEW nmgv;
    nmgv.iRow = nRow;
    nmgv.iColumn = nCol;
    nmgv.hdr.hwndFrom = m_hWnd;
    nmgv.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
    nmgv.hdr.code = nMessage;
    owner->SendMessage(WM_NOTIFY, nmgv.hdr.idFrom, reinterpret_cast<LPARAM>(&nmgv));
}

void CGridCtrl::ShowRow(int firstSample) {
    // Never a window past the data, whatever the key or bar asked for.
    firstSample = std::clamp(firstSample, 0, std::max(0, m_nSampleCount - 1));
    SendToOwner(UM_GRID_SHOW_ROW, 0, firstSample);
}

// ---- window messages ----

LRESULT CGridCtrl::OnGetDlgCode(WPARAM, LPARAM) {
    UINT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
    if (m_bHandleTabKey && GetKeyState(VK_CONTROL) >= 0) code |= DLGC_WANTTAB;
    return code;
}

LRESULT CGridCtrl::OnSetFontMessage(WPARAM wParam, LPARAM lParam) {
    auto* font = reinterpret_cast<CFont*>(wParam);
    LOGFONT lf;
    if (!font || !font->GetLogFont(&lf)) return 0;
    m_Logfont = lf;
    // The grid font is the one the cells take when their text is set.
    m_GridLogfont = lf;
    for (auto& row : m_RowData)
        for (auto& cell : row)
            if (cell) cell->lfFont = lf;
    m_Font.DeleteObject();
    m_Font.CreateFontIndirect(&m_Logfont);
    if (GetWidget()) {
        CClientDC dc(this);
        CFont* old = dc.SelectObject(&m_Font);
        SetDefaultFontMetrics(&dc);
        dc.SelectObject(old);
    }
    if (lParam || m_bAllowDraw) Invalidate();
    return 0;
}

LRESULT CGridCtrl::OnGetFontMessage(WPARAM, LPARAM) {
    return m_Font.GetSafeHandle() ? reinterpret_cast<LRESULT>(&m_Font) : 0;
}

LRESULT CGridCtrl::OnSetCursorMessage(WPARAM, LPARAM lParam) {
    if (LOWORD(static_cast<DWORD_PTR>(lParam)) != HTCLIENT) return FALSE;
    switch (m_MouseMode) {
        case MOUSE_OVER_COL_DIVIDE:
            SetCursor(LoadCursor(nullptr, IDC_SIZEWE));
            break;
        case MOUSE_OVER_ROW_DIVIDE:
            SetCursor(LoadCursor(nullptr, IDC_SIZENS));
            break;
        case MOUSE_DRAGGING:
            break;
        default:
            SetCursor(LoadCursor(nullptr, IDC_ARROW));
            break;
    }
    return TRUE;
}

LRESULT CGridCtrl::OnCaptureChanged(WPARAM, LPARAM lParam) {
    if (reinterpret_cast<HWND>(lParam) == m_hWnd) return 0;
    if (m_nTimerID) KillTimer(m_nTimerID);
    m_nTimerID = 0;
    if (m_MouseMode == MOUSE_DRAGGING) m_MouseMode = MOUSE_NOTHING;
    return 0;
}

LRESULT CGridCtrl::OnSysColorChange(WPARAM, LPARAM) {
    if (GetTextColor() == m_crWindowText) SetTextColor(GetSysColor(COLOR_WINDOWTEXT));
    if (GetTextBkColor() == m_crWindowColour) SetTextBkColor(GetSysColor(COLOR_WINDOW));
    if (GetBkColor() == m_crShadow) SetBkColor(GetSysColor(COLOR_3DSHADOW));
    if (GetFixedTextColor() == m_crWindowText) SetFixedTextColor(GetSysColor(COLOR_WINDOWTEXT));
    if (GetFixedBkColor() == m_cr3DFace) SetFixedBkColor(GetSysColor(COLOR_3DFACE));
    m_crWindowText = GetSysColor(COLOR_WINDOWTEXT);
    m_crWindowColour = GetSysColor(COLOR_WINDOW);
    m_cr3DFace = GetSysColor(COLOR_3DFACE);
    m_crShadow = GetSysColor(COLOR_3DSHADOW);
    return 0;
}

LRESULT CGridCtrl::OnSettingChange(WPARAM wParam, LPARAM lParam) {
    OnSysColorChange(wParam, lParam);
    ReadRowsPerWheelNotch();
    return 0;
}

LRESULT CGridCtrl::OnNotify(WPARAM, LPARAM lParam) {
    auto* hdr = reinterpret_cast<NMHDR*>(lParam);
    if (!hdr || hdr->idFrom != IDC_INPLACE_EDIT || hdr->code != GVN_ENDLABELEDIT) return 0;
    const GV_ITEM& item = reinterpret_cast<GV_DISPINFO*>(lParam)->item;
    if (!IsWindow(m_hWnd) || !IsValid(item.row, item.col)) return 0;
    const platform::WindowWatch watch(*this);
    OnEndEditCell(item.row, item.col, item.szText);
    if (watch.Gone()) return 0;
    InvalidateCellRect(CCellID(item.row, item.col));
    SendMessageToParent(item.row, item.col, GVN_ENDLABELEDIT);
    if (watch.Gone()) return 0;
    switch (static_cast<UINT>(item.lParam)) {
        case VK_TAB:
        case VK_DOWN:
        case VK_UP:
        case VK_RIGHT:
        case VK_LEFT:
        case VK_NEXT:
        case VK_PRIOR:
        case VK_HOME:
        case VK_END:
            OnKeyDown(static_cast<UINT>(item.lParam), 0, 0);
            break;
        default:
            break;
    }
    return 0;
}

// ---- cells ----

CGridCell* CGridCtrl::GetCell(int nRow, int nCol) const {
    if (!IsValid(nRow, nCol)) return nullptr;
    const auto& row = m_RowData[static_cast<size_t>(nRow)];
    if (static_cast<size_t>(nCol) >= row.size()) return nullptr;
    return row[static_cast<size_t>(nCol)].get();
}

CString CGridCtrl::GetItemText(int nRow, int nCol) const {
    const CGridCell* cell = GetCell(nRow, nCol);
    return cell ? cell->szText : CString();
}

BOOL CGridCtrl::SetItemText(int nRow, int nCol, LPCTSTR str) {
    CGridCell* cell = GetCell(nRow, nCol);
    if (!cell) return FALSE;
    cell->lfFont = m_GridLogfont;
    cell->szText = str ? str : "";
    return TRUE;
}

BOOL CGridCtrl::SetItemTextAndFormat(int nRow, int nCol, LPCTSTR str, UINT nFormat) {
    CGridCell* cell = GetCell(nRow, nCol);
    if (!cell) return FALSE;
    cell->lfFont = m_GridLogfont;
    cell->nFormat = nFormat;
    cell->szText = str ? str : "";
    return TRUE;
}

BOOL CGridCtrl::GetItem(GV_ITEM* pItem) const {
    if (!pItem) return FALSE;
    const CGridCell* cell = GetCell(pItem->row, pItem->col);
    if (!cell) return FALSE;
    if (pItem->mask & GVIF_TEXT) pItem->szText = GetItemText(pItem->row, pItem->col);
    if (pItem->mask & GVIF_IMAGE) pItem->iImage = cell->iImage;
    if (pItem->mask & GVIF_PARAM) pItem->lParam = cell->lParam;
    if (pItem->mask & GVIF_STATE) pItem->state = cell->state;
    if (pItem->mask & GVIF_FORMAT) pItem->nFormat = cell->nFormat;
    if (pItem->mask & GVIF_BKCLR) pItem->crBkClr = cell->crBkClr;
    if (pItem->mask & GVIF_FGCLR) pItem->crFgClr = cell->crFgClr;
    if (pItem->mask & GVIF_FONT) pItem->lfFont = cell->lfFont;
    return TRUE;
}

BOOL CGridCtrl::SetItem(const GV_ITEM* pItem) {
    if (!pItem) return FALSE;
    CGridCell* cell = GetCell(pItem->row, pItem->col);
    if (!cell) return FALSE;
    if (pItem->mask & GVIF_TEXT) cell->szText = pItem->szText;
    if (pItem->mask & GVIF_PARAM) cell->lParam = pItem->lParam;
    if (pItem->mask & GVIF_IMAGE) cell->iImage = pItem->iImage;
    if (pItem->mask & GVIF_STATE) SetItemState(pItem->row, pItem->col, pItem->state);
    if (pItem->mask & GVIF_FORMAT) cell->nFormat = pItem->nFormat;
    if (pItem->mask & GVIF_BKCLR) cell->crBkClr = pItem->crBkClr;
    if (pItem->mask & GVIF_FGCLR) cell->crFgClr = pItem->crFgClr;
    if (pItem->mask & GVIF_FONT) cell->lfFont = pItem->lfFont;
    return TRUE;
}

UINT CGridCtrl::GetItemState(int nRow, int nCol) const {
    const CGridCell* cell = GetCell(nRow, nCol);
    return cell ? cell->state : 0;
}

BOOL CGridCtrl::SetItemState(int nRow, int nCol, UINT state) {
    CGridCell* cell = GetCell(nRow, nCol);
    if (!cell) return FALSE;
    const DWORD key = CellKey(nRow, nCol);
    if ((cell->state & GVIS_SELECTED) && !(state & GVIS_SELECTED))
        m_SelectedCellMap.erase(key);
    else if (!(cell->state & GVIS_SELECTED) && (state & GVIS_SELECTED))
        m_SelectedCellMap[key] = CCellID(nRow, nCol);
    cell->state = state;
    return TRUE;
}

UINT CGridCtrl::GetItemFormat(int nRow, int nCol) const {
    const CGridCell* cell = GetCell(nRow, nCol);
    return cell ? cell->nFormat : 0;
}

BOOL CGridCtrl::SetItemFormat(int nRow, int nCol, UINT nFormat) {
    CGridCell* cell = GetCell(nRow, nCol);
    if (!cell) return FALSE;
    cell->nFormat = nFormat;
    return TRUE;
}

int CGridCtrl::GetItemImage(int nRow, int nCol) const {
    const CGridCell* cell = GetCell(nRow, nCol);
    return cell ? cell->iImage : -1;
}

BOOL CGridCtrl::SetItemImage(int nRow, int nCol, int iImage) {
    CGridCell* cell = GetCell(nRow, nCol);
    if (!cell) return FALSE;
    cell->iImage = iImage;
    return TRUE;
}

LPARAM CGridCtrl::GetItemData(int nRow, int nCol) const {
    const CGridCell* cell = GetCell(nRow, nCol);
    return cell ? cell->lParam : 0;
}

BOOL CGridCtrl::SetItemData(int nRow, int nCol, LPARAM lParam) {
    CGridCell* cell = GetCell(nRow, nCol);
    if (!cell) return FALSE;
    cell->lParam = lParam;
    return TRUE;
}

COLORREF CGridCtrl::GetItemBkColour(int nRow, int nCol) const {
    const CGridCell* cell = GetCell(nRow, nCol);
    return cell ? cell->crBkClr : 0;
}

BOOL CGridCtrl::SetItemBkColour(int nRow, int nCol, COLORREF cr) {
    CGridCell* cell = GetCell(nRow, nCol);
    if (!cell) return FALSE;
    cell->crBkClr = cr;
    return TRUE;
}

COLORREF CGridCtrl::GetItemFgColour(int nRow, int nCol) const {
    const CGridCell* cell = GetCell(nRow, nCol);
    return cell ? cell->crFgClr : 0;
}

BOOL CGridCtrl::SetItemFgColour(int nRow, int nCol, COLORREF cr) {
    CGridCell* cell = GetCell(nRow, nCol);
    if (!cell) return FALSE;
    cell->crFgClr = cr;
    return TRUE;
}

const LOGFONT* CGridCtrl::GetItemFont(int nRow, int nCol) const {
    const CGridCell* cell = GetCell(nRow, nCol);
    return cell ? &cell->lfFont : &m_Logfont;
}

BOOL CGridCtrl::SetItemFont(int nRow, int nCol, const LOGFONT* lf) {
    CGridCell* cell = GetCell(nRow, nCol);
    if (!cell || !lf) return FALSE;
    cell->lfFont = *lf;
    return TRUE;
}

void CGridCtrl::SetGridFont(const LOGFONT* lf) {
    if (!lf) return;
    m_GridLogfont = *lf;
    for (auto& row : m_RowData)
        for (auto& cell : row)
            if (cell) cell->lfFont = *lf;
    if (m_bAllowDraw) Invalidate();
}

void CGridCtrl::GetGridFont(LOGFONT* lf) const {
    if (!lf) return;
    const CGridCell* cell = GetCell(0, 0);
    *lf = cell ? cell->lfFont : m_GridLogfont;
}

BOOL CGridCtrl::IsValid(int nRow, int nCol) const {
    return nRow >= 0 && nRow < m_nRows && nCol >= 0 && nCol < m_nCols;
}

BOOL CGridCtrl::IsValid(const CCellRange& range) const {
    return range.IsValid() && range.GetMaxRow() < m_nRows && range.GetMaxCol() < m_nCols;
}

BOOL CGridCtrl::IsCellEditable(int nRow, int nCol) const {
    return IsEditable() && IsValid(nRow, nCol) && !(GetItemState(nRow, nCol) & GVIS_READONLY);
}

BOOL CGridCtrl::IsCellFixed(int nRow, int nCol) const {
    return nRow < m_nFixedRows || nCol < m_nFixedCols;
}

BOOL CGridCtrl::IsCellSelected(int nRow, int nCol) const {
    return (GetItemState(nRow, nCol) & GVIS_SELECTED) != 0;
}

void CGridCtrl::SetModified(BOOL bModified, int nRow, int nCol) {
    if (nRow >= 1 && nCol >= 1) {
        const UINT state = GetItemState(nRow, nCol);
        if (bModified) {
            SetItemState(nRow, nCol, state | GVIS_MODIFIED);
            m_bModified = TRUE;
        } else {
            SetItemState(nRow, nCol, state & ~GVIS_MODIFIED);
        }
    } else {
        m_bModified = bModified;
    }
    if (!m_bModified)
        for (auto& row : m_RowData)
            for (auto& cell : row)
                if (cell) cell->state &= ~GVIS_MODIFIED;
}

BOOL CGridCtrl::GetModified(int nRow, int nCol) const {
    if (nRow >= 1 && nCol >= 1) return (GetItemState(nRow, nCol) & GVIS_MODIFIED) ? TRUE : FALSE;
    return m_bModified;
}

std::unique_ptr<CGridCell> CGridCtrl::CreateCell(int nRow, int nCol) {
    auto cell = std::make_unique<CGridCell>();
    if (nRow >= 1 && nCol >= 0 && nCol < m_nCols)
        if (const CGridCell* above = GetCell(nRow - 1, nCol)) cell->nFormat = above->nFormat;
    cell->lfFont = m_Logfont;
    return cell;
}

void CGridCtrl::EmptyCell(CGridCell* pCell, int nRow, int nCol) {
    if (!pCell) return;
    SetItemState(nRow, nCol, 0);
    pCell->szText.Empty();
}

// ---- rows and columns ----

BOOL CGridCtrl::SetRowCount(int nRows) {
    if (nRows < 0) return FALSE;
    if (nRows == m_nRows) return TRUE;
    if (nRows < m_nFixedRows) m_nFixedRows = nRows;
    if (m_idCurrentCell.row >= nRows) SetFocusCell(-1, -1);
    const int oldRows = m_nRows;
    if (nRows < oldRows) {
        for (int row = nRows; row < oldRows; ++row)
            for (int col = 0; col < m_nCols; ++col)
                EmptyCell(GetCell(row, col), row, col);
        m_RowData.resize(static_cast<size_t>(nRows));
        m_arRowHeights.resize(static_cast<size_t>(nRows));
        m_nRows = nRows;
    } else {
        m_arRowHeights.resize(static_cast<size_t>(nRows), m_nDefCellHeight);
        m_RowData.resize(static_cast<size_t>(nRows));
        m_nRows = nRows;
        for (int row = oldRows; row < nRows; ++row) {
            auto& cells = m_RowData[static_cast<size_t>(row)];
            cells.resize(static_cast<size_t>(m_nCols));
            for (int col = 0; col < m_nCols; ++col) {
                cells[static_cast<size_t>(col)] = CreateCell(row, col);
                if (col >= m_nFirstReadOnlyColumn)
                    cells[static_cast<size_t>(col)]->state = GVIS_READONLY;
            }
            if (m_nCols > 1) cells[1]->state = GVIS_READONLY;
        }
    }
    ResetScrollBars();
    if (m_bAllowDraw && GetWidget()) Invalidate();
    return TRUE;
}

BOOL CGridCtrl::SetColumnCount(int nCols) {
    if (nCols < 0) return FALSE;
    if (nCols == m_nCols) return TRUE;
    if (nCols < m_nFixedCols) m_nFixedCols = nCols;
    if (m_idCurrentCell.col >= nCols) SetFocusCell(-1, -1);
    const int oldCols = m_nCols;
    if (nCols < oldCols) {
        for (int row = 0; row < m_nRows; ++row) {
            for (int col = nCols; col < oldCols; ++col)
                EmptyCell(GetCell(row, col), row, col);
            m_RowData[static_cast<size_t>(row)].resize(static_cast<size_t>(nCols));
        }
        m_arColWidths.resize(static_cast<size_t>(nCols));
        m_nCols = nCols;
    } else {
        m_arColWidths.resize(static_cast<size_t>(nCols), m_nDefCellWidth);
        m_nCols = nCols;
        for (int row = 0; row < m_nRows; ++row) {
            auto& cells = m_RowData[static_cast<size_t>(row)];
            cells.resize(static_cast<size_t>(nCols));
            for (int col = oldCols; col < nCols; ++col)
                cells[static_cast<size_t>(col)] = CreateCell(row, col);
        }
        if (m_nRows > 1)
            for (int col = oldCols; col < nCols; ++col)
                SetItemState(1, col, GetItemState(1, col) | GVIS_READONLY);
    }
    ResetScrollBars();
    if (m_bAllowDraw && GetWidget()) Invalidate();
    return TRUE;
}

BOOL CGridCtrl::SetFixedRowCount(int nFixedRows) {
    if (nFixedRows < 0) return FALSE;
    if (nFixedRows > GetRowCount() && !SetRowCount(nFixedRows)) return FALSE;
    if (m_idCurrentCell.row < nFixedRows) SetFocusCell(-1, -1);
    m_nFixedRows = nFixedRows;
    if (m_bAllowDraw && GetWidget()) Invalidate();
    return TRUE;
}

BOOL CGridCtrl::SetFixedColumnCount(int nFixedCols) {
    if (nFixedCols < 0) return FALSE;
    if (nFixedCols > GetColumnCount() && !SetColumnCount(nFixedCols)) return FALSE;
    if (m_idCurrentCell.col < nFixedCols) SetFocusCell(-1, -1);
    m_nFixedCols = nFixedCols;
    if (m_bAllowDraw && GetWidget()) Invalidate();
    return TRUE;
}

int CGridCtrl::InsertColumn(LPCTSTR strHeading, UINT nFormat, int nColumn) {
    if (nColumn >= m_nCols) return -1;
    SetSelectedRange(-1, -1, -1, -1);
    if (m_nRows < 1) SetRowCount(1);
    if (nColumn < 0) nColumn = m_nCols;
    m_arColWidths.insert(m_arColWidths.begin() + nColumn, 0);
    ++m_nCols;
    for (int row = 0; row < m_nRows; ++row) {
        auto& cells = m_RowData[static_cast<size_t>(row)];
        cells.insert(cells.begin() + nColumn, CreateCell(row, nColumn));
    }
    SetItemText(0, nColumn, strHeading);
    for (int row = 0; row < m_nRows; ++row)
        SetItemFormat(row, nColumn, nFormat);

    LOGFONT lf = *GetItemFont(0, nColumn);
    lf.lfWeight = FW_SEMIBOLD;
    CFont bold;
    bold.CreateFontIndirect(&lf);
    CClientDC dc(this);
    CFont* old = dc.SelectObject(&bold);
    const CSize size = dc.GetTextExtent(strHeading ? strHeading : "");
    dc.SelectObject(old);
    m_arColWidths[static_cast<size_t>(nColumn)] = size.cx + 2 * m_nMargin;

    if (m_idCurrentCell.col != -1 && nColumn < m_idCurrentCell.col) ++m_idCurrentCell.col;
    ResetScrollBars();
    ++m_nFirstReadOnlyColumn;
    if (m_bAllowDraw && GetWidget()) {
        Invalidate();
        EnsureVisible(0, nColumn);
    }
    return nColumn;
}

int CGridCtrl::InsertRow(LPCTSTR strHeading, int nRow) {
    if (nRow >= m_nRows) return -1;
    SetSelectedRange(-1, -1, -1, -1);
    if (m_nCols < 1) SetColumnCount(1);
    if (nRow < 0) nRow = m_nRows;
    m_arRowHeights.insert(m_arRowHeights.begin() + nRow, 0);
    m_RowData.insert(m_RowData.begin() + nRow, std::vector<std::unique_ptr<CGridCell>>());
    ++m_nRows;
    auto& cells = m_RowData[static_cast<size_t>(nRow)];
    cells.resize(static_cast<size_t>(m_nCols));
    for (int col = 0; col < m_nCols; ++col)
        cells[static_cast<size_t>(col)] = CreateCell(nRow, col);
    SetItemText(nRow, 0, strHeading);

    LOGFONT lf = *GetItemFont(nRow, 0);
    lf.lfWeight = FW_SEMIBOLD;
    CFont bold;
    bold.CreateFontIndirect(&lf);
    CClientDC dc(this);
    CFont* old = dc.SelectObject(&bold);
    const CSize size = dc.GetTextExtent(strHeading ? strHeading : "");
    dc.SelectObject(old);
    m_arRowHeights[static_cast<size_t>(nRow)] = size.cy;

    if (m_idCurrentCell.row != -1 && nRow < m_idCurrentCell.row) ++m_idCurrentCell.row;
    ResetScrollBars();
    if (m_bAllowDraw && GetWidget()) Invalidate();
    return nRow;
}

BOOL CGridCtrl::DeleteColumn(int nColumn) {
    if (nColumn < 0 || nColumn >= m_nCols) return FALSE;
    SetSelectedRange(-1, -1, -1, -1);
    for (int row = 0; row < m_nRows; ++row) {
        EmptyCell(GetCell(row, nColumn), row, nColumn);
        auto& cells = m_RowData[static_cast<size_t>(row)];
        cells.erase(cells.begin() + nColumn);
    }
    m_arColWidths.erase(m_arColWidths.begin() + nColumn);
    --m_nCols;
    if (nColumn < m_nFixedCols) --m_nFixedCols;
    if (nColumn == m_idCurrentCell.col)
        m_idCurrentCell = CCellID();
    else if (nColumn < m_idCurrentCell.col)
        --m_idCurrentCell.col;
    // The selected-cell keys name columns: those right of the gone one moved.
    m_SelectedCellMap.clear();
    m_PrevSelectedCellMap.clear();
    ResetScrollBars();
    --m_nFirstReadOnlyColumn;
    if (m_bAllowDraw && GetWidget()) Invalidate();
    return TRUE;
}

BOOL CGridCtrl::DeleteRow(int nRow) {
    if (nRow < 0 || nRow >= m_nRows) return FALSE;
    SetSelectedRange(-1, -1, -1, -1);
    for (int col = 0; col < m_nCols; ++col)
        EmptyCell(GetCell(nRow, col), nRow, col);
    m_RowData.erase(m_RowData.begin() + nRow);
    m_arRowHeights.erase(m_arRowHeights.begin() + nRow);
    --m_nRows;
    if (nRow < m_nFixedRows) --m_nFixedRows;
    if (nRow == m_idCurrentCell.row)
        m_idCurrentCell = CCellID();
    else if (nRow < m_idCurrentCell.row)
        --m_idCurrentCell.row;
    m_SelectedCellMap.clear();
    m_PrevSelectedCellMap.clear();
    ResetScrollBars();
    if (m_bAllowDraw && GetWidget()) Invalidate();
    return TRUE;
}

BOOL CGridCtrl::DeleteNonFixedRows() {
    const int nFixed = GetFixedRowCount();
    for (int row = GetRowCount() - 1; row >= nFixed; --row)
        DeleteRow(row);
    return TRUE;
}

BOOL CGridCtrl::DeleteAllItems() {
    m_SelectedCellMap.clear();
    m_PrevSelectedCellMap.clear();
    m_RowData.clear();
    m_arRowHeights.clear();
    m_arColWidths.clear();
    m_nRows = m_nFixedRows = m_nCols = m_nFixedCols = 0;
    m_idCurrentCell = CCellID();
    ResetScrollBars();
    if (m_bAllowDraw && GetWidget()) Invalidate();
    return TRUE;
}

int CGridCtrl::GetRowHeight(int nRow) const {
    if (nRow < 0 || nRow >= static_cast<int>(m_arRowHeights.size())) return -1;
    return m_arRowHeights[static_cast<size_t>(nRow)];
}

BOOL CGridCtrl::SetRowHeight(int nRow, int height) {
    if (nRow < 0 || nRow >= static_cast<int>(m_arRowHeights.size()) || height < 0) return FALSE;
    m_arRowHeights[static_cast<size_t>(nRow)] = height;
    return TRUE;
}

int CGridCtrl::GetColumnWidth(int nCol) const {
    if (nCol < 0 || nCol >= static_cast<int>(m_arColWidths.size())) return -1;
    return m_arColWidths[static_cast<size_t>(nCol)];
}

BOOL CGridCtrl::SetColumnWidth(int nCol, int width) {
    if (nCol < 0 || nCol >= static_cast<int>(m_arColWidths.size()) || width < 0) return FALSE;
    m_arColWidths[static_cast<size_t>(nCol)] = width;
    return TRUE;
}

int CGridCtrl::GetFixedRowHeight() const {
    int height = 0;
    for (int i = 0; i < m_nFixedRows; ++i)
        height += std::max(0, GetRowHeight(i));
    return height;
}

int CGridCtrl::GetFixedColumnWidth() const {
    int width = 0;
    for (int i = 0; i < m_nFixedCols; ++i)
        width += std::max(0, GetColumnWidth(i));
    return width;
}

long CGridCtrl::GetVirtualWidth() const {
    long width = 0;
    for (int w : m_arColWidths)
        width += w;
    return width;
}

long CGridCtrl::GetVirtualHeight() const {
    long height = 0;
    for (int h : m_arRowHeights)
        height += h;
    return height;
}

void CGridCtrl::SetGridLines(int nWhichLines) {
    m_nGridLines = nWhichLines;
    if (m_bAllowDraw && GetWidget()) Invalidate();
}

void CGridCtrl::SetListMode(BOOL bEnableListMode) {
    ResetSelectedRange();
    m_nSortColumn = -1;
    m_bListMode = bEnableListMode;
    SetSingleRowSelection(FALSE);
    if (GetWidget()) Invalidate();
}

void CGridCtrl::EnableSelection(BOOL bEnable) {
    ResetSelectedRange();
    m_bEnableSelection = bEnable;
    ResetSelectedRange();
}

// ---- sorting ----

void CGridCtrl::ExchangeRows(int a, int b) {
    std::swap(m_RowData[static_cast<size_t>(a)], m_RowData[static_cast<size_t>(b)]);
    std::swap(m_arRowHeights[static_cast<size_t>(a)], m_arRowHeights[static_cast<size_t>(b)]);
}

BOOL CGridCtrl::SortTextItems(int nCol, BOOL bAscending) {
    if (GetRowCount() <= m_nFixedRows || nCol < 0 || nCol >= GetColumnCount()) return FALSE;
    ResetSelectedRange();
    SetFocusCell(-1, -1);
    return SortTextItems(nCol, bAscending, GetFixedRowCount(), GetRowCount() - 1);
}

BOOL CGridCtrl::SortTextItems(int nCol, BOOL bAscending, int low, int high) {
    if (high <= low) return FALSE;
    int lo = low, hi = high;
    const CString pivot = GetItemText((lo + hi) / 2, nCol);
    while (lo <= hi) {
        if (bAscending) {
            while (lo < high && GetItemText(lo, nCol) < pivot)
                ++lo;
            while (hi > low && GetItemText(hi, nCol) > pivot)
                --hi;
        } else {
            while (lo < high && GetItemText(lo, nCol) > pivot)
                ++lo;
            while (hi > low && GetItemText(hi, nCol) < pivot)
                --hi;
        }
        if (lo <= hi) {
            if (GetItemText(lo, nCol) != GetItemText(hi, nCol)) ExchangeRows(lo, hi);
            ++lo;
            --hi;
        }
    }
    if (low < hi) SortTextItems(nCol, bAscending, low, hi);
    if (lo < high) SortTextItems(nCol, bAscending, lo, high);
    return TRUE;
}

BOOL CGridCtrl::SortItems(PFNLVCOMPARE pfnCompare, int nCol, BOOL bAscending, LPARAM data) {
    if (!pfnCompare || GetRowCount() <= m_nFixedRows || nCol < 0 || nCol >= GetColumnCount())
        return FALSE;
    ResetSelectedRange();
    SetFocusCell(-1, -1);
    return SortItems(pfnCompare, nCol, bAscending, data, GetFixedRowCount(), GetRowCount() - 1);
}

BOOL CGridCtrl::SortItems(PFNLVCOMPARE pfnCompare, int nCol, BOOL bAscending, LPARAM data, int low,
                          int high) {
    if (high <= low) return FALSE;
    int lo = low, hi = high;
    const LPARAM pivot = GetItemData((lo + hi) / 2, nCol);
    auto cmp = [&](int row) { return pfnCompare(GetItemData(row, nCol), pivot, data); };
    while (lo <= hi) {
        if (bAscending) {
            while (lo < high && cmp(lo) < 0)
                ++lo;
            while (hi > low && cmp(hi) > 0)
                --hi;
        } else {
            while (lo < high && cmp(lo) > 0)
                ++lo;
            while (hi > low && cmp(hi) < 0)
                --hi;
        }
        if (lo <= hi) {
            if (pfnCompare(GetItemData(lo, nCol), GetItemData(hi, nCol), data) != 0)
                ExchangeRows(lo, hi);
            ++lo;
            --hi;
        }
    }
    if (low < hi) SortItems(pfnCompare, nCol, bAscending, data, low, hi);
    if (lo < high) SortItems(pfnCompare, nCol, bAscending, data, lo, high);
    return TRUE;
}

CCellID CGridCtrl::GetNextItem(const CCellID& from, int nFlags) const {
    const UINT wanted = static_cast<UINT>(nFlags) & 0xFF;
    auto matches = [&](int row, int col) { return (GetItemState(row, col) & wanted) != 0; };
    if (!IsValid(from)) return CCellID();
    const UINT dirs = static_cast<UINT>(nFlags);
    if ((dirs & GVNI_ALL) == GVNI_ALL) {
        int row = from.row, col = from.col + 1;
        if (row <= 0) row = GetFixedRowCount();
        for (; row < GetRowCount(); ++row) {
            if (col <= 0) col = GetFixedColumnCount();
            for (; col < GetColumnCount(); ++col)
                if (matches(row, col)) return {row, col};
            col = GetFixedColumnCount();
        }
    } else if ((dirs & GVNI_AREA) == GVNI_AREA) {
        int row = from.row, col = from.col + 1;
        if (row <= 0) row = GetFixedRowCount();
        for (; row < GetRowCount(); ++row) {
            for (; col < GetColumnCount(); ++col)
                if (matches(row, col)) return {row, col};
            col = from.col;
        }
    } else if (dirs & GVNI_ABOVE) {
        for (int row = from.row - 1; row >= GetFixedRowCount(); --row)
            if (matches(row, from.col)) return {row, from.col};
    } else if (dirs & GVNI_BELOW) {
        for (int row = from.row + 1; row < GetRowCount(); ++row)
            if (matches(row, from.col)) return {row, from.col};
    } else if (dirs & GVNI_TOLEFT) {
        for (int col = from.col - 1; col >= GetFixedColumnCount(); --col)
            if (matches(from.row, col)) return {from.row, col};
    } else if (dirs & GVNI_TORIGHT) {
        for (int col = from.col + 1; col < GetColumnCount(); ++col)
            if (matches(from.row, col)) return {from.row, col};
    }
    return CCellID();
}
