// Editing, the clipboard and drag and drop of the grid. The grid reports what the user means to
// do; the owner decides whether the table may change.

#include <algorithm>

#include "controls/grid_ctrl.h"
#include "controls/in_place_edit.h"
#include "models/grid_text.h"
#include "platform/msg/message_loop.h"

namespace {

constexpr int kFirstDataRow = 2;
constexpr int kFirstDataColumn = 2;
constexpr UINT kFormatEdited = DT_LEFT | DT_VCENTER | DT_SINGLELINE;

}  // namespace

// ---- editing ----

LRESULT CGridCtrl::OnEditCell(int nRow, int nCol, UINT nChar) {
    if (!GetOwner()) return 0;
    return SendToOwner(UM_GRID_EDIT_REQUEST, static_cast<WPARAM>(PackCellID(CCellID(nRow, nCol))),
                       static_cast<LPARAM>(nChar));
}

void CGridCtrl::CreateInPlaceEditControl(const CRect& rect, DWORD dwStyle, UINT nID, int nRow,
                                         int nCol, LPCTSTR szText, int nChar) {
    if (m_pInPlaceEdit) {
        if (!m_pInPlaceEdit->IsEnded()) m_pInPlaceEdit->EndEdit();
        // The old editor may be the one whose handler runs now: it goes once that has returned.
        std::shared_ptr<CInPlaceEdit> old(std::move(m_pInPlaceEdit));
        platform::MessageLoop::Current().Post([old] {});
    }
    m_pInPlaceEdit =
        std::make_unique<CInPlaceEdit>(this, rect, dwStyle, nID, nRow, nCol,
                                       CString(szText ? szText : ""), static_cast<UINT>(nChar));
}

void CGridCtrl::OnEndEditCell(int nRow, int nCol, const CString& str) {
    const CString current = GetItemText(nRow, nCol);
    if (current == str) return;
    SetModified(TRUE, nRow, nCol);
    SetItemFormat(nRow, nCol, kFormatEdited);
    SetItemText(nRow, nCol, str);
    if (GetOwner())
        SendToOwner(current.IsEmpty() ? UM_GRID_CELL_FILLED : UM_GRID_CELL_CHANGED,
                    static_cast<WPARAM>(PackCellID(CCellID(nRow, nCol))), 0);
}

void CGridCtrl::SetSelectedCellsText(const CString& text) {
    const CCellRange sel = GetSelectedCellRange();
    if (!IsValid(sel)) return;
    for (int row = std::max(sel.GetMinRow(), kFirstDataRow); row <= sel.GetMaxRow(); ++row) {
        for (int col = sel.GetMinCol(); col <= sel.GetMaxCol(); ++col) {
            SendMessageToParent(row, col, GVN_BEGINLABELEDIT);
            if (GetOwner() && !GetItemText(row, col).IsEmpty())
                SendToOwner(UM_GRID_CELL_OVERWRITTEN, 0, PackCellID(CCellID(row, col)));
            SetItemText(row, col, text);
            SetModified(TRUE, row, col);
            SendMessageToParent(row, col, GVN_ENDLABELEDIT);
            RedrawCell(row, col);
        }
    }
}

// ---- clipboard ----

CString CGridCtrl::BuildClipboardText(const CCellRange& range) const {
    CString text;
    auto shown = [](CString s) { return s.IsEmpty() ? CString(" ") : s; };
    // A block that starts at the first data row carries its columns' headings.
    if (range.GetMinRow() == kFirstDataRow) {
        for (int col = range.GetMinCol(); col <= range.GetMaxCol(); ++col) {
            text += shown(GetItemText(1, col));
            if (col != range.GetMaxCol()) text += "\t";
        }
        text += "\n";
    }
    for (int row = range.GetMinRow(); row <= range.GetMaxRow(); ++row) {
        for (int col = range.GetMinCol(); col <= range.GetMaxCol(); ++col) {
            const CGridCell* cell = GetCell(row, col);
            if (cell && (cell->state & GVIS_SELECTED)) text += shown(GetItemText(row, col));
            if (col != range.GetMaxCol()) text += "\t";
        }
        if (row != range.GetMaxRow()) text += "\n";
    }
    return text;
}

std::unique_ptr<COleDataSource> CGridCtrl::CopyTextFromGrid() {
    const CCellRange sel = GetSelectedCellRange();
    if (!IsValid(sel)) return nullptr;
    std::string block = BuildClipboardText(sel).str();
    block += '\0';
    auto source = std::make_unique<COleDataSource>();
    source->CacheGlobalData(CF_TEXT, std::move(block));
    return source;
}

void CGridCtrl::OnEditCopy() {
    if (auto source = CopyTextFromGrid()) source->SetClipboard();
}

void CGridCtrl::OnEditCut() {
    SendToOwner(UM_GRID_CUT, 0, 0);
}

void CGridCtrl::CutSelectedCells() {
    if (!IsEditable()) return;
    const CCellRange sel = GetSelectedCellRange();
    if (!IsValid(sel)) return;
    for (int row = sel.GetMinRow(); row <= sel.GetMaxRow(); ++row)
        for (int col = std::max(sel.GetMinCol(), kFirstDataColumn); col <= sel.GetMaxCol(); ++col)
            if (GetOwner() && !GetItemText(row, col).IsEmpty())
                SendToOwner(UM_GRID_CELL_OVERWRITTEN, 0, PackCellID(CCellID(row, col)));
    OnEditCopy();
    CutSelectedText();
}

void CGridCtrl::CutSelectedText() {
    if (!IsEditable()) return;
    const auto selected = m_SelectedCellMap;
    for (const auto& [key, cell] : selected) {
        if (!IsCellEditable(cell.row, cell.col)) continue;
        SendMessageToParent(cell.row, cell.col, GVN_BEGINLABELEDIT);
        EmptyCell(GetCell(cell.row, cell.col), cell.row, cell.col);
        SetModified(TRUE, cell.row, cell.col);
        SendMessageToParent(cell.row, cell.col, GVN_ENDLABELEDIT);
    }
    if (GetWidget()) Invalidate();
}

void CGridCtrl::OnEditPaste() {
    if (!IsEditable()) return;
    CCellID cell = GetFocusCell();
    if (!IsValid(cell)) cell = GetTopLeftNonFixedCell();
    if (!IsValid(cell)) return;
    COleDataObject data;
    if (!data.AttachClipboard()) return;
    PasteTextToGrid(cell, &data);
}

void CGridCtrl::OnEditSelectAll() {
    SelectAllCells();
}

BOOL CGridCtrl::PasteTextToGrid(CCellID cell, COleDataObject* pDataObject) {
    cell.row = std::max(cell.row, kFirstDataRow);
    if (!pDataObject || !IsValid(cell) || !IsCellEditable(cell.row, cell.col) ||
        !pDataObject->IsDataAvailable(CF_TEXT))
        return FALSE;
    SendToOwner(UM_GRID_PASTE, reinterpret_cast<WPARAM>(pDataObject), PackCellID(cell));
    return TRUE;
}

BOOL CGridCtrl::IsNumericPaste(const CString& text) {
    return grid_text::IsNumericText(text.str());
}

BOOL CGridCtrl::PasteTextToCells(int nRow, int nCol, COleDataObject* pDataObject) {
    std::string block;
    if (!pDataObject || !pDataObject->GetData(CF_TEXT, block)) return FALSE;
    // Text from another program need not end in NUL: the block's size bounds it, and a NUL
    // before the end ends it.
    if (const size_t nul = block.find('\0'); nul != std::string::npos) block.resize(nul);

    const platform::WindowWatch watch(*this);
    // Without a window of its own the grid cannot be deleted by a handler.
    auto gone = [&] { return watch.Handle() && watch.Gone(); };
    int j = 0;
    size_t start = 0;
    while (start <= block.size()) {
        const size_t end = block.find('\n', start);
        const std::string_view line(block.data() + start,
                                    (end == std::string::npos ? block.size() : end) - start);
        start = end == std::string::npos ? block.size() + 1 : end + 1;
        if (!IsNumericPaste(CString(line))) continue;
        const std::vector<CString> fields = grid_text::SplitFields(line);
        for (size_t k = 0; k < fields.size(); ++k) {
            const int row = nRow + j, col = nCol + static_cast<int>(k);
            CString text = fields[k];
            text.Trim();
            // A blank field or line leaves its cell as it is.
            if (text.IsEmpty() || !IsValid(row, col) || !IsCellEditable(row, col)) continue;
            const CString old = GetItemText(row, col);
            SendMessageToParent(row, col, GVN_BEGINLABELEDIT);
            SetItemText(row, col, text);
            SetItemFormat(row, col, kFormatEdited);
            SetModified(TRUE, row, col);
            SendMessageToParent(row, col, GVN_ENDLABELEDIT);
            SetItemState(row, col, GetItemState(row, col) & ~GVIS_SELECTED);
            if (text != old && GetOwner())
                SendToOwner(old.IsEmpty() ? UM_GRID_CELL_FILLED : UM_GRID_CELL_CHANGED,
                            static_cast<WPARAM>(PackCellID(CCellID(row, col))), 0);
            if (gone()) return TRUE;
        }
        ++j;
    }
    if (GetWidget()) Invalidate();
    return TRUE;
}

// ---- commands ----

void CGridCtrl::OnUpdateEditCopy(CCmdUI* pCmdUI) {
    const CCellRange sel = GetSelectedCellRange();
    pCmdUI->Enable(sel.Count() > 0 && IsValid(sel));
}

void CGridCtrl::OnUpdateEditCut(CCmdUI* pCmdUI) {
    const CCellRange sel = GetSelectedCellRange();
    pCmdUI->Enable(IsEditable() && sel.Count() > 0 && IsValid(sel));
}

void CGridCtrl::OnUpdateEditPaste(CCmdUI* pCmdUI) {
    CCellID cell = GetFocusCell();
    cell.row = std::max(cell.row, kFirstDataRow);
    COleDataObject data;
    pCmdUI->Enable(IsValid(cell) && IsCellEditable(cell.row, cell.col) && data.AttachClipboard() &&
                   data.IsDataAvailable(CF_TEXT));
}

void CGridCtrl::OnUpdateEditSelectAll(CCmdUI* pCmdUI) {
    pCmdUI->Enable(m_bEnableSelection);
}

// ---- drag and drop ----

std::unique_ptr<CImageList> CGridCtrl::CreateDragImage(CPoint* pHotSpot) {
    const CCellID cell = GetFocusCell();
    if (!IsValid(cell)) return nullptr;
    const int width = GetColumnWidth(cell.col), height = GetRowHeight(cell.row);
    auto list = std::make_unique<CImageList>();
    if (!list->Create(width, height, ILC_COLOR | ILC_MASK, 1, 1)) return nullptr;
    // A cell's rectangle holds its last pixel.
    const CRect rect(0, 0, width - 1, height - 1);
    if (pHotSpot) *pHotSpot = rect.BottomRight();

    CDC memDC;
    CBitmap bitmap;
    if (!memDC.CreateCompatibleDC(nullptr) || !bitmap.CreateCompatibleBitmap(&memDC, width, height))
        return nullptr;
    CBitmap* old = memDC.SelectObject(&bitmap);
    DrawCell(&memDC, cell.row, cell.col, rect, TRUE);
    memDC.SelectObject(old);
    list->Add(&bitmap, GetTextBkColor());
    return list;
}

void CGridCtrl::OnBeginDrag() {
    if (!m_bAllowDragAndDrop) return;
    auto source = CopyTextFromGrid();
    if (!source) return;
    const CCellID topLeft = GetSelectedCellRange().GetTopLeft();
    SendMessageToParent(topLeft.row, topLeft.col, GVN_BEGINDRAG);
    const platform::WindowWatch watch(*this);
    m_MouseMode = MOUSE_DRAGGING;
    const DROPEFFECT effect = source->DoDragDrop(DROPEFFECT_COPY | DROPEFFECT_MOVE);
    if (watch.Gone()) return;
    // The drag took the button's release with it.
    if (m_MouseMode == MOUSE_DRAGGING) m_MouseMode = MOUSE_NOTHING;
    if (effect & DROPEFFECT_MOVE) OnEditCut();
}

DROPEFFECT CGridCtrl::OnDragEnter(COleDataObject* pDataObject, DWORD dwKeyState, CPoint point) {
    if (!m_bAllowDragAndDrop || !pDataObject || !pDataObject->IsDataAvailable(CF_TEXT))
        return DROPEFFECT_NONE;
    m_LastDragOverCell = GetCellFromPt(point, FALSE);
    if (!IsValid(m_LastDragOverCell) ||
        !IsCellEditable(m_LastDragOverCell.row, m_LastDragOverCell.col))
        return DROPEFFECT_NONE;
    SetItemState(m_LastDragOverCell.row, m_LastDragOverCell.col,
                 GetItemState(m_LastDragOverCell.row, m_LastDragOverCell.col) | GVIS_DROPHILITED);
    RedrawCell(m_LastDragOverCell.row, m_LastDragOverCell.col);
    return (dwKeyState & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}

DROPEFFECT CGridCtrl::OnDragOver(COleDataObject* pDataObject, DWORD dwKeyState, CPoint point) {
    if (!m_bAllowDragAndDrop || !IsEditable() || !pDataObject ||
        !pDataObject->IsDataAvailable(CF_TEXT))
        return DROPEFFECT_NONE;
    const CCellID cell = GetCellFromPt(point, FALSE);
    if (!IsValid(cell)) {
        OnDragLeave();
        m_LastDragOverCell = CCellID();
        return DROPEFFECT_NONE;
    }
    if (!IsCellEditable(cell.row, cell.col)) return DROPEFFECT_NONE;
    // Neither the time column nor the filler takes values.
    if (cell.col == 1 || cell.col + 1 >= m_nFirstReadOnlyColumn) return DROPEFFECT_NONE;
    if (!(cell == m_LastDragOverCell)) {
        if (IsValid(m_LastDragOverCell)) {
            SetItemState(
                m_LastDragOverCell.row, m_LastDragOverCell.col,
                GetItemState(m_LastDragOverCell.row, m_LastDragOverCell.col) & ~GVIS_DROPHILITED);
            RedrawCell(m_LastDragOverCell.row, m_LastDragOverCell.col);
        }
        m_LastDragOverCell = cell;
        SetItemState(cell.row, cell.col, GetItemState(cell.row, cell.col) | GVIS_DROPHILITED);
        RedrawCell(cell.row, cell.col);
    }
    return (dwKeyState & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}

void CGridCtrl::OnDragLeave() {
    if (!IsValid(m_LastDragOverCell)) return;
    SetItemState(m_LastDragOverCell.row, m_LastDragOverCell.col,
                 GetItemState(m_LastDragOverCell.row, m_LastDragOverCell.col) & ~GVIS_DROPHILITED);
    RedrawCell(m_LastDragOverCell.row, m_LastDragOverCell.col);
}

BOOL CGridCtrl::OnDrop(COleDataObject* pDataObject, DROPEFFECT, CPoint) {
    const CCellID cell = m_LastDragOverCell;
    if (!m_bAllowDragAndDrop || !IsCellEditable(cell.row, cell.col)) return FALSE;
    if (cell.col == 1 || cell.col + 1 >= m_nFirstReadOnlyColumn) return FALSE;
    m_MouseMode = MOUSE_NOTHING;
    OnDragLeave();
    return PasteTextToGrid(cell, pDataObject);
}
