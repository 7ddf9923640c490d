#include "controls/control_tooltip.h"

#include <QWidget>

#include "platform/win/system.h"

namespace {

constexpr UINT_PTR kWatchTimer = 1;
constexpr UINT kWatchPeriodMs = 100;

CFont* GuiFont() {
    return static_cast<CFont*>(platform::StockObject(DEFAULT_GUI_FONT));
}

}  // namespace

CControlToolTip::CControlToolTip()
    : m_crText(GetSysColor(COLOR_INFOTEXT)), m_crBackground(GetSysColor(COLOR_INFOBK)) {}

CControlToolTip::~CControlToolTip() {
    Destroy();
}

BOOL CControlToolTip::Create(CWnd* control) {
    Destroy();
    if (!control || !control->GetSafeHwnd()) return FALSE;
    m_hControl = control->GetSafeHwnd();
    // A child of the control in the window tree, so that it goes when the control goes.
    if (!CreateEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "ControlToolTip", nullptr, WS_POPUP | WS_BORDER,
                  CRect(0, 0, 0, 0), control, 0)) {
        m_hControl = nullptr;
        return FALSE;
    }
    SetText(m_strText);
    SetTimer(kWatchTimer, kWatchPeriodMs);
    return TRUE;
}

void CControlToolTip::Destroy() {
    m_hControl = nullptr;
    if (!m_hWnd) return;
    ShowWindow(SW_HIDE);
    KillTimer(kWatchTimer);
    DestroyWindow();
}

void CControlToolTip::SetText(LPCTSTR text) {
    m_strText = text ? text : "";
    if (!m_hWnd) return;
    Measure();
    if (IsWindowVisible()) Position();
}

void CControlToolTip::Measure() {
    CClientDC dc(this);
    CFont* old = dc.SelectObject(GuiFont());
    CSize size = dc.GetTextExtent(m_strText);
    int lines = 1;
    for (int i = 0; i < m_strText.GetLength(); ++i)
        lines += m_strText[i] == '\n';
    if (lines > 1) {
        int widest = 0;
        int start = 0;
        for (int i = 0; i <= m_strText.GetLength(); ++i) {
            if (i < m_strText.GetLength() && m_strText[i] != '\n') continue;
            widest = std::max<int>(widest, dc.GetTextExtent(m_strText.Mid(start, i - start)).cx);
            start = i + 1;
        }
        size.cx = widest;
        size.cy = dc.GetTextExtent("", 0).cy * lines;
    }
    if (old) dc.SelectObject(old);
    m_rectText = CRect(0, 0, size.cx + 4, size.cy + 4);
}

void CControlToolTip::SetPosition(int mode) {
    if (mode < 0 || mode > 2) return;
    m_nPosition = mode;
    if (m_hWnd && IsWindowVisible()) Position();
}

void CControlToolTip::SetColours(BOOL own, COLORREF background) {
    m_bOwnColours = own;
    if (own) m_crBackground = background;
    if (m_hWnd) Invalidate();
}

void CControlToolTip::SetTextColour(COLORREF colour) {
    m_crText = colour;
    if (m_hWnd && m_bOwnColours) Invalidate();
}

void CControlToolTip::SetMouseKeyCondition(BOOL condition) {
    m_bMouseKeyCondition = condition;
}

void CControlToolTip::SetKey(int key) {
    m_nKey = key;
}

void CControlToolTip::Position() {
    CWnd* control = GetControl();
    if (!control || m_strText.IsEmpty()) {
        ShowWindow(SW_HIDE);
        return;
    }
    CRect client;
    control->GetClientRect(&client);
    CPoint at(0, m_nPosition == 1 ? client.Height() : m_nPosition == 2 ? -m_rectText.Height() : 0);
    control->ClientToScreen(&at);
    SetWindowPos(&wndTop, at.x, at.y, m_rectText.Width(), m_rectText.Height(),
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    Invalidate();
    UpdateWindow();
}

void CControlToolTip::OnTimer(UINT_PTR id) {
    if (id != kWatchTimer) return;
    CWnd* control = GetControl();
    if (!control) {
        // The control went first: nothing is left to watch.
        ShowWindow(SW_HIDE);
        KillTimer(kWatchTimer);
        m_hControl = nullptr;
        return;
    }
    CRect area;
    control->GetWindowRect(&area);
    POINT cursor{};
    GetCursorPos(&cursor);
    const bool over = cursor.x >= area.left && cursor.x <= area.right && cursor.y >= area.top &&
                      cursor.y <= area.bottom;
    const bool keyHeld =
        !m_bMouseKeyCondition || GetAsyncKeyState(m_nKey == 0 ? VK_RBUTTON : VK_LBUTTON) < 0;
    if (over && keyHeld) {
        CWnd* parent = control->GetParent();
        CWnd* foreground = GetForegroundWindow();
        const bool active =
            parent && foreground &&
            (foreground == parent ||
             (parent->GetWidget() && foreground->GetWidget() == parent->GetWidget()->window()));
        if (!IsWindowVisible() && active)
            Position();
        else if (IsWindowVisible() && !active)
            ShowWindow(SW_HIDE);
    } else if (IsWindowVisible()) {
        ShowWindow(SW_HIDE);
    }
}

// Also when the control takes the tip with it.
void CControlToolTip::OnDestroy() {
    ShowWindow(SW_HIDE);
    m_hControl = nullptr;
}

void CControlToolTip::OnPaint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    dc.FillSolidRect(&client, m_bOwnColours ? m_crBackground : GetSysColor(COLOR_INFOBK));
    // The border a pop-up of this kind has on its frame.
    CBrush frame(GetSysColor(COLOR_WINDOWFRAME));
    dc.FrameRect(&client, &frame);
    CFont* old = dc.SelectObject(GuiFont());
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(m_bOwnColours ? m_crText : RGB(0, 0, 0));
    CRect text = m_rectText;
    text.DeflateRect(2, 2);
    dc.DrawText(m_strText, &text, 0);
    if (old) dc.SelectObject(old);
}
