#include "controls/in_place_list.h"

#include <algorithm>
#include <memory>

#include "controls/in_place_edit.h"
#include "platform/gdi/dc.h"
#include "platform/msg/keys.h"
#include "platform/win/system.h"

namespace {

bool EndsOnRelease(UINT nChar) {
    return nChar == VK_TAB || nChar == VK_RETURN || nChar == VK_ESCAPE;
}

}  // namespace

// ---- CComboEdit ----

void CComboEdit::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
    if (LeavesCellByKey(nChar) && GetKeyState(VK_CONTROL) < 0) {
        if (CWnd* owner = GetOwner()) owner->SendMessage(WM_KEYDOWN, nChar, nRepCnt);
        return;
    }
    // These end the edit when released; pressed, the widgets would move the focus on or hand
    // them to the grid.
    if (EndsOnRelease(nChar)) return;
    CEdit::OnKeyDown(nChar, nRepCnt, nFlags);
}

void CComboEdit::OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) {
    if (EndsOnRelease(nChar)) {
        if (CWnd* owner = GetOwner()) owner->SendMessage(WM_KEYUP, nChar, nRepCnt);
        return;
    }
    CEdit::OnKeyUp(nChar, nRepCnt, nFlags);
}

void CComboEdit::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) {
    if (EndsOnRelease(nChar)) return;
    CEdit::OnChar(nChar, nRepCnt, nFlags);
}

void CComboEdit::OnKillFocus(CWnd* pNewWnd) {
    CEdit::OnKillFocus(pNewWnd);
    if (auto* list = dynamic_cast<CInPlaceList*>(GetOwner())) list->EndEdit();
}

// ---- CInPlaceList ----

CInPlaceList* CInPlaceList::Open(CWnd* parent, const CRect& rect, DWORD dwStyle, UINT nID, int nRow,
                                 int nColumn, const std::vector<CString>& items,
                                 const CString& sInitText, UINT nFirstChar) {
    if (!parent) return nullptr;
    std::unique_ptr<CInPlaceList> list(new CInPlaceList(nRow, nColumn, sInitText, nFirstChar));
    if (!list->Make(parent, rect, dwStyle, nID, items)) return nullptr;
    return list.release();  // deleted by PostNcDestroy
}

CInPlaceList::CInPlaceList(int nRow, int nColumn, const CString& sInitText, UINT nFirstChar)
    : m_sInitText(sInitText),
      m_nRow(nRow),
      m_nColumn(nColumn),
      m_bExitOnArrows(nFirstChar != VK_LBUTTON),
      m_nFirstChar(nFirstChar) {}

CInPlaceList::~CInPlaceList() {
    // Gone without its edit ending: nothing is reported.
    m_bEnded = TRUE;
    if (m_hWnd) DestroyWindow();
}

BOOL CInPlaceList::Make(CWnd* parent, CRect rect, DWORD dwStyle, UINT nID,
                        const std::vector<CString>& items) {
    // The rectangle holds the dropped list too, as a combo's does.
    const int nHeight = rect.Height();
    rect.bottom += m_nNumLines * nHeight + GetSystemMetrics(SM_CYHSCROLL);
    const DWORD style = dwStyle | WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_BORDER | CBS_AUTOHSCROLL;
    if (!Create(style, rect, parent, nID)) return FALSE;

    for (const CString& item : items)
        AddString(item);

    // The list is as wide as its widest item, in the font it shows them in.
    CClientDC dc(this);
    CFont* font = parent->GetFont();
    CFont* oldFont = font ? dc.SelectObject(font) : nullptr;
    int nWidth = 0;
    for (const CString& item : items)
        nWidth = std::max<int>(nWidth, dc.GetTextExtent(item).cx);
    nWidth += GetSystemMetrics(SM_CXVSCROLL) + dc.GetTextExtent(" ").cx * 2;
    if (oldFont) dc.SelectObject(oldFont);
    if (nWidth > rect.Width()) {
        rect.right = rect.left + nWidth;
        MoveWindow(&rect);
    }

    SetFont(font);
    SetItemHeight(-1, static_cast<UINT>(nHeight));
    SetItemHeight(0, static_cast<UINT>(nHeight));
    SetDroppedWidth(static_cast<UINT>(nWidth));
    ShowText(m_sInitText);

    if ((dwStyle & 0x3) != CBS_DROPDOWN) {
        SetFocus();
        return TRUE;
    }
    m_edit.SubclassDlgItem(IDC_COMBOEDIT, this);
    m_edit.SetFocus();
    StartEditByChar(m_edit, m_sInitText, m_nFirstChar);
    return TRUE;
}

void CInPlaceList::ShowText(const CString& text) {
    const int index = FindStringExact(-1, text);
    if (index != CB_ERR)
        SetCurSel(index);
    else
        SetWindowText(text);
}

void CInPlaceList::Leave(UINT nChar) {
    m_nLastChar = nChar;
    if (CWnd* parent = GetParent()) parent->SetFocus();
}

void CInPlaceList::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
    if (LeavesCellByKey(nChar) && (m_bExitOnArrows || GetKeyState(VK_CONTROL) < 0)) {
        Leave(nChar);
        return;
    }
    // These end the edit when released; pressed, the widgets would move the focus on or hand
    // them to the grid.
    if (EndsOnRelease(nChar)) return;
    CComboBox::OnKeyDown(nChar, nRepCnt, nFlags);
}

void CInPlaceList::OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) {
    if (nChar == VK_ESCAPE) ShowText(m_sInitText);
    if (EndsOnRelease(nChar)) {
        Leave(nChar);
        return;
    }
    CComboBox::OnKeyUp(nChar, nRepCnt, nFlags);
}

void CInPlaceList::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) {
    if (EndsOnRelease(nChar)) return;
    CComboBox::OnChar(nChar, nRepCnt, nFlags);
}

void CInPlaceList::OnKillFocus(CWnd* pNewWnd) {
    CComboBox::OnKillFocus(pNewWnd);
    // A drop-down's edit ends it instead; its own list keeps the focus with it.
    if ((GetStyle() & 0x3) != CBS_DROPDOWNLIST || GetFocus() == this) return;
    EndEdit();
}

void CInPlaceList::EndEdit() {
    if (m_bEnded || !m_hWnd) return;
    m_bEnded = TRUE;
    SendEndOfEdit(*this, m_nRow, m_nColumn, m_nLastChar);
}

void CInPlaceList::PostNcDestroy() {
    delete this;
}
