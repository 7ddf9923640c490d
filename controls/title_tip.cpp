#include "controls/title_tip.h"

#include "platform/win/system.h"

CTitleTip::~CTitleTip() {
    if (m_hWnd) DestroyWindow();
}

BOOL CTitleTip::Create(CWnd* pParentWnd) {
    if (!pParentWnd || m_hWnd) return FALSE;
    m_pParentWnd = pParentWnd;
    return CreateEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "ZTitleTip", nullptr, WS_BORDER | WS_POPUP,
                    CRect(0, 0, 0, 0), pParentWnd, 0);
}

void CTitleTip::Show(CRect rectTitle, LPCTSTR lpszTitleText, int xoffset, LPCRECT lpHoverRect,
                     const LOGFONT* lpLogFont) {
    if (!m_hWnd || rectTitle.IsRectEmpty()) return;
    // The hover rectangle in tip coordinates: the tip's own origin is the title's.
    m_rectHover = lpHoverRect ? CRect(*lpHoverRect) : rectTitle;
    m_rectHover.OffsetRect(-rectTitle.left - xoffset, -rectTitle.top);
    if (IsWindowVisible() || !CWnd::GetFocus()) return;

    m_strText = CString(" ") + (lpszTitleText ? lpszTitleText : "") + " ";
    m_bHasFont = lpLogFont != nullptr;
    if (lpLogFont) m_LogFont = *lpLogFont;

    CClientDC dc(this);
    CFont font;
    CFont* oldFont = nullptr;
    if (m_bHasFont && font.CreateFontIndirect(&m_LogFont))
        oldFont = dc.SelectObject(&font);
    else if (CFont* parentFont = m_pParentWnd->GetFont())
        oldFont = dc.SelectObject(parentFont);
    const CSize size = dc.GetTextExtent(m_strText);
    if (oldFont) dc.SelectObject(oldFont);

    // Only a text that does not fit its place needs the tip.
    if (rectTitle.Width() - xoffset >= xoffset + size.cx + xoffset) return;

    CRect display = rectTitle;
    m_pParentWnd->ClientToScreen(&display);
    display.left += xoffset;
    display.right = display.left + size.cx + xoffset;
    MoveWindow(&display);
    ShowWindow(SW_SHOWNA);
    Invalidate();
    SetCapture();
}

void CTitleTip::Hide() {
    if (!m_hWnd) return;
    if (GetCapture() == this) ReleaseCapture();
    ShowWindow(SW_HIDE);
}

void CTitleTip::OnPaint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    dc.FillSolidRect(&client, GetSysColor(COLOR_INFOBK));
    CFont font;
    CFont* oldFont = nullptr;
    if (m_bHasFont && font.CreateFontIndirect(&m_LogFont))
        oldFont = dc.SelectObject(&font);
    else if (CFont* parentFont = m_pParentWnd ? m_pParentWnd->GetFont() : nullptr)
        oldFont = dc.SelectObject(parentFont);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(GetSysColor(COLOR_INFOTEXT));
    dc.TextOut(0, 0, m_strText);
    if (oldFont) dc.SelectObject(oldFont);
}

void CTitleTip::PassOn(UINT msg, UINT nFlags, CPoint point) {
    Hide();
    CWnd* target = m_pParentWnd;
    if (!target) return;
    ClientToScreen(&point);
    target->ScreenToClient(&point);
    const LPARAM at = MAKELPARAM(static_cast<WORD>(static_cast<SHORT>(point.x)),
                                 static_cast<WORD>(static_cast<SHORT>(point.y)));
    CRect client;
    target->GetClientRect(&client);
    // Outside the client area the window sees a move over its frame.
    if (msg == WM_MOUSEMOVE && !client.PtInRect(point)) msg = WM_NCMOUSEMOVE;
    target->SendMessage(msg, nFlags, at);
}

void CTitleTip::OnMouseMove(UINT nFlags, CPoint point) {
    if (m_bButtonPassed) {
        PassOn(WM_MOUSEMOVE, nFlags, point);
        return;
    }
    if (!m_rectHover.PtInRect(point)) PassOn(WM_MOUSEMOVE, nFlags, point);
}

void CTitleTip::OnLButtonDown(UINT nFlags, CPoint point) {
    m_bButtonPassed = true;
    PassOn(WM_LBUTTONDOWN, nFlags, point);
}

void CTitleTip::OnLButtonUp(UINT nFlags, CPoint point) {
    if (!m_bButtonPassed) return;
    m_bButtonPassed = false;
    PassOn(WM_LBUTTONUP, nFlags, point);
}

void CTitleTip::OnLButtonDblClk(UINT nFlags, CPoint point) {
    m_bButtonPassed = true;
    PassOn(WM_LBUTTONDBLCLK, nFlags, point);
}

void CTitleTip::OnRButtonDown(UINT nFlags, CPoint point) {
    m_bButtonPassed = true;
    PassOn(WM_RBUTTONDOWN, nFlags, point);
}

void CTitleTip::OnRButtonUp(UINT nFlags, CPoint point) {
    if (!m_bButtonPassed) return;
    m_bButtonPassed = false;
    PassOn(WM_RBUTTONUP, nFlags, point);
}

void CTitleTip::OnKeyDown(UINT nChar, UINT nRepCnt, UINT) {
    Hide();
    if (m_pParentWnd) m_pParentWnd->PostMessage(WM_KEYDOWN, nChar, nRepCnt);
}
