#include "controls/in_place_edit.h"

#include "controls/grid_messages.h"
#include "platform/gdi/dc.h"
#include "platform/msg/keys.h"

CInPlaceEdit::CInPlaceEdit(CWnd* parent, const CRect& rect, DWORD dwStyle, UINT nID, int nRow,
                           int nColumn, const CString& sInitText, UINT nFirstChar)
    : m_pParent(parent),
      m_nRow(nRow),
      m_nColumn(nColumn),
      m_sInitText(sInitText),
      m_bExitOnArrows(nFirstChar != VK_LBUTTON),
      m_Rect(rect) {
    const DWORD style = WS_BORDER | WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | dwStyle;
    if (!Create(style, rect, parent, nID)) return;
    SetFont(parent->GetFont());
    SetWindowText(sInitText);
    SetFocus();
    StartEditByChar(*this, sInitText, nFirstChar);
}

bool LeavesCellByKey(UINT nChar) {
    return nChar == VK_PRIOR || nChar == VK_NEXT || nChar == VK_DOWN || nChar == VK_UP ||
           nChar == VK_RIGHT || nChar == VK_LEFT;
}

void StartEditByChar(CEdit& edit, const CString& sInitText, UINT nFirstChar) {
    switch (nFirstChar) {
        case VK_LBUTTON:
        case VK_RETURN:
            edit.SetSel(sInitText.GetLength(), -1);
            return;
        case VK_BACK:
            edit.SetSel(sInitText.GetLength(), -1);
            break;
        case VK_TAB:
        case VK_DOWN:
        case VK_UP:
        case VK_RIGHT:
        case VK_LEFT:
        case VK_NEXT:
        case VK_PRIOR:
        case VK_HOME:
        case VK_SPACE:
        case VK_END:
            edit.SetSel(0, -1);
            return;
        default:
            edit.SetSel(0, -1);
    }
    edit.SendMessage(WM_CHAR, nFirstChar);
}

CInPlaceEdit::~CInPlaceEdit() {
    // Gone without its edit ending (its grid went first): nothing is reported.
    m_bEnded = TRUE;
    if (m_hWnd) DestroyWindow();
}

void CInPlaceEdit::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
    if (LeavesCellByKey(nChar) && (m_bExitOnArrows || GetKeyState(VK_CONTROL) < 0)) {
        m_nLastChar = nChar;
        m_pParent->SetFocus();
        return;
    }
    CEdit::OnKeyDown(nChar, nRepCnt, nFlags);
}

void CInPlaceEdit::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) {
    if (nChar == VK_TAB || nChar == VK_RETURN) {
        m_nLastChar = nChar;
        m_pParent->SetFocus();
        return;
    }
    if (nChar == VK_ESCAPE) {
        SetWindowText(m_sInitText);
        m_nLastChar = nChar;
        m_pParent->SetFocus();
        return;
    }
    CEdit::OnChar(nChar, nRepCnt, nFlags);

    // Widen to the text, within the grid.
    const CString text = GetWindowText() + "  ";
    CClientDC dc(this);
    CFont* font = GetFont();
    CFont* oldFont = font ? dc.SelectObject(font) : nullptr;
    const CSize size = dc.GetTextExtent(text);
    if (oldFont) dc.SelectObject(oldFont);
    CRect parentClient;
    m_pParent->GetClientRect(&parentClient);
    if (size.cx > m_Rect.Width()) {
        m_Rect.right = std::min<LONG>(m_Rect.left + size.cx, parentClient.right);
        MoveWindow(&m_Rect);
    }
}

void CInPlaceEdit::OnKillFocus(CWnd* pNewWnd) {
    CEdit::OnKillFocus(pNewWnd);
    EndEdit();
}

void SendEndOfEdit(CWnd& editor, int nRow, int nColumn, UINT nLastChar) {
    GV_DISPINFO info;
    info.hdr.hwndFrom = editor.m_hWnd;
    info.hdr.idFrom = static_cast<UINT_PTR>(editor.GetDlgCtrlID());
    info.hdr.code = GVN_ENDLABELEDIT;
    info.item.mask = GVIF_TEXT | GVIF_PARAM;
    info.item.row = nRow;
    info.item.col = nColumn;
    info.item.szText = editor.GetWindowText();
    info.item.lParam = static_cast<LPARAM>(nLastChar);
    const platform::WindowWatch watch(editor);
    if (CWnd* owner = editor.GetOwner())
        owner->SendMessage(WM_NOTIFY, info.hdr.idFrom, reinterpret_cast<LPARAM>(&info));
    if (watch.Alive()) editor.PostMessage(WM_CLOSE);
}

void CInPlaceEdit::EndEdit() {
    if (m_bEnded || !m_hWnd) return;
    m_bEnded = TRUE;
    SendEndOfEdit(*this, m_nRow, m_nColumn, m_nLastChar);
}
