#include "platform/msg/wnd.h"

#include <algorithm>
#include <unordered_map>

#include "platform/msg/message_loop.h"

namespace {

std::unordered_map<HWND, CWnd*>& Handles() {
    static std::unordered_map<HWND, CWnd*> handles;
    return handles;
}

HWND NewHandle() {
    static std::uintptr_t next = 0x1000;
    next += 4;
    return reinterpret_cast<HWND>(next);
}

const platform::WindowWidgetSide* g_widgetSide = nullptr;

}  // namespace

void platform::InstallWindowWidgetSide(const WindowWidgetSide* side) {
    g_widgetSide = side;
}

const CWnd CWnd::wndTop, CWnd::wndBottom, CWnd::wndTopMost, CWnd::wndNoTopMost;

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

CWnd::CWnd() = default;

CWnd::~CWnd() {
    *m_alive = false;
    if (m_hWnd && g_widgetSide) g_widgetSide->dropCapture(*this, false);
    if (m_hWnd) {
        // Destroyed by deletion: no handlers run any more, but nothing is left behind either.
        platform::MessageLoop::Current().StopTimers(m_hWnd);
        for (HWND child : std::vector<HWND>(m_children))
            if (CWnd* c = FromHandlePermanent(child)) c->DestroyWindow();
        Unlink();
    }
    if (g_widgetSide) g_widgetSide->releaseWidget(*this);
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
    if (!hwnd) return nullptr;
    auto it = Handles().find(hwnd);
    return it == Handles().end() ? nullptr : it->second;
}

void CWnd::RegisterWindow(CWnd* parent, UINT id) {
    m_hWnd = NewHandle();
    Handles()[m_hWnd] = this;
    m_id = id;
    m_parent = parent ? parent->m_hWnd : nullptr;
    if (parent) parent->m_children.push_back(m_hWnd);
}

void CWnd::Unlink() {
    if (CWnd* parent = FromHandlePermanent(m_parent)) {
        auto& c = parent->m_children;
        c.erase(std::remove(c.begin(), c.end(), m_hWnd), c.end());
    }
    Handles().erase(m_hWnd);
    m_hWnd = nullptr;
    m_parent = nullptr;
    m_children.clear();
}

BOOL CWnd::CreateMessageTarget(CWnd* parent, UINT id) {
    if (m_hWnd) return FALSE;
    RegisterWindow(parent, id);
    return TRUE;
}

QWidget* CWnd::MakeWidget(QWidget* parentWidget, const CREATESTRUCT& cs) {
    return g_widgetSide ? g_widgetSide->makeWidget(parentWidget, cs) : nullptr;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
    CWnd* item = parent ? parent->GetDlgItem(static_cast<int>(id)) : nullptr;
    if (!item || m_hWnd) return FALSE;
    // This object becomes a second face of the control: it shares the widget but owns nothing,
    // and is destroyed with the control's parent. GetDlgItem still finds the control first.
    RegisterWindow(parent, id);
    m_widget = item->m_widget;
    m_ownsWidget = false;
    m_style = item->m_style;
    m_attachedTo = item->m_hWnd;
    if (!m_widget.isNull() && g_widgetSide) g_widgetSide->tagSubclass(*this);
    PreSubclassWindow();
    return TRUE;
}

void CWnd::PreSubclassWindow() {}

BOOL CWnd::DestroyWindow() {
    if (!m_hWnd) return FALSE;
    const platform::WindowWatch watch(*this);
    SendMessage(WM_DESTROY);
    if (watch.Gone()) return TRUE;  // deleted by its own OnDestroy
    for (HWND child : std::vector<HWND>(m_children))
        if (CWnd* c = FromHandlePermanent(child)) c->DestroyWindow();
    platform::MessageLoop::Current().StopTimers(watch.Handle());
    if (g_widgetSide) g_widgetSide->dropCapture(*this, true);
    Unlink();
    if (g_widgetSide) g_widgetSide->releaseWidget(*this);
    std::weak_ptr<bool> alive = m_alive;
    platform::MessageLoop::Current().Post([this, alive] {
        if (auto a = alive.lock(); a && *a) PostNcDestroy();
    });
    return TRUE;
}

LRESULT CWnd::SendMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    return WindowProc(msg, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!m_hWnd) return FALSE;
    return ::PostMessage(m_hWnd, msg, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (msg == WM_COMMAND) return OnCommand(wParam, lParam);
    if (DispatchMapMessage(msg, wParam, lParam, result)) return result;
    return DefWindowProc(msg, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    const CPoint pt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    const UINT flags = static_cast<UINT>(wParam);
    switch (msg) {
        case WM_CREATE:
            return OnCreate(reinterpret_cast<LPCREATESTRUCT>(lParam));
        case WM_DESTROY:
            OnDestroy();
            return 0;
        case WM_CLOSE:
            OnClose();
            return 0;
        case WM_TIMER:
            OnTimer(wParam);
            return 0;
        case WM_SIZE:
            OnSize(flags, LOWORD(static_cast<DWORD_PTR>(lParam)),
                   HIWORD(static_cast<DWORD_PTR>(lParam)));
            return 0;
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_ERASEBKGND:
            return OnEraseBkgnd(reinterpret_cast<CDC*>(wParam));
        case WM_SHOWWINDOW:
            OnShowWindow(static_cast<BOOL>(wParam), static_cast<UINT>(lParam));
            return 0;
        case WM_LBUTTONDOWN:
            OnLButtonDown(flags, pt);
            return 0;
        case WM_LBUTTONUP:
            OnLButtonUp(flags, pt);
            return 0;
        case WM_LBUTTONDBLCLK:
            OnLButtonDblClk(flags, pt);
            return 0;
        case WM_RBUTTONDOWN:
            OnRButtonDown(flags, pt);
            return 0;
        case WM_RBUTTONUP:
            OnRButtonUp(flags, pt);
            return 0;
        case WM_MOUSEMOVE:
            OnMouseMove(flags, pt);
            return 0;
        case WM_MOUSEWHEEL:
            return OnMouseWheel(LOWORD(wParam), GET_WHEEL_DELTA_WPARAM(wParam), pt);
        case WM_KEYDOWN:
            OnKeyDown(flags, static_cast<UINT>(lParam & 0xFFFF), 0);
            return 0;
        case WM_KEYUP:
            OnKeyUp(flags, static_cast<UINT>(lParam & 0xFFFF), 0);
            return 0;
        case WM_CHAR:
            OnChar(flags, static_cast<UINT>(lParam & 0xFFFF), 0);
            return 0;
        case WM_SETFOCUS:
            OnSetFocus(reinterpret_cast<CWnd*>(wParam));
            return 0;
        case WM_KILLFOCUS:
            OnKillFocus(reinterpret_cast<CWnd*>(wParam));
            return 0;
        case WM_HSCROLL:
            OnHScroll(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<CScrollBar*>(lParam));
            return 0;
        case WM_VSCROLL:
            OnVScroll(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<CScrollBar*>(lParam));
            return 0;
        case WM_SETFONT: {
            m_font = reinterpret_cast<CFont*>(wParam);
            if (!m_widget.isNull() && g_widgetSide) g_widgetSide->showFont(*this, lParam != 0);
            return 0;
        }
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(m_font);
        default:
            return 0;
    }
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM) {
    const UINT id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    return OnCmdMsg(id, code, nullptr, nullptr);
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapseMs, void*) {
    if (!m_hWnd || id == 0) return 0;
    return platform::MessageLoop::Current().StartTimer(m_hWnd, id, elapseMs) ? id : 0;
}

BOOL CWnd::KillTimer(UINT_PTR id) {
    return m_hWnd && platform::MessageLoop::Current().StopTimer(m_hWnd, id);
}

CWnd* CWnd::GetParent() const {
    return FromHandlePermanent(m_parent);
}
CWnd* CWnd::GetOwner() const {
    return m_owner ? FromHandlePermanent(m_owner) : GetParent();
}
void CWnd::SetOwner(CWnd* owner) {
    m_owner = owner ? owner->m_hWnd : nullptr;
}

CWnd* CWnd::GetDlgItem(int id) const {
    for (HWND h : m_children) {
        CWnd* c = FromHandlePermanent(h);
        if (c && c->m_id == static_cast<UINT>(id)) return c;
    }
    return nullptr;
}

int CWnd::SetDlgCtrlID(int id) {
    const int old = static_cast<int>(m_id);
    m_id = static_cast<UINT>(id);
    return old;
}

CWnd* CWnd::GetTopLevelParent() const {
    const CWnd* w = this;
    while (CWnd* p = w->GetParent())
        w = p;
    return const_cast<CWnd*>(w);
}

std::vector<CWnd*> CWnd::GetChildren() const {
    std::vector<CWnd*> out;
    for (HWND h : m_children)
        if (CWnd* c = FromHandlePermanent(h)) out.push_back(c);
    return out;
}

void CWnd::SetWindowText(LPCTSTR text) {
    m_text = text ? text : "";
    // A face attached to a template's control keeps one text with it.
    if (CWnd* item = GetAttachedItem(); item && item != this) item->SetWindowText(text);
    if (!m_widget.isNull() && g_widgetSide) g_widgetSide->showText(*this);
}

CString CWnd::GetWindowText() const {
    if (CWnd* item = GetAttachedItem(); item && item != this) return item->GetWindowText();
    return m_text;
}

void CWnd::GetWindowText(CString& text) const {
    text = GetWindowText();
}

int CWnd::GetWindowText(LPTSTR buffer, int maxCount) const {
    if (!buffer || maxCount <= 0) return 0;
    const CString t = GetWindowText();
    const int n = std::min(t.GetLength(), maxCount - 1);
    std::copy_n(t.GetString(), n, buffer);
    buffer[n] = '\0';
    return n;
}

int CWnd::GetWindowTextLength() const {
    return GetWindowText().GetLength();
}

// ---- fonts ----

void CWnd::SetFont(CFont* font, BOOL redraw) {
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw);
}

CFont* CWnd::GetFont() const {
    return reinterpret_cast<CFont*>(const_cast<CWnd*>(this)->SendMessage(WM_GETFONT));
}

// ---- scroll bars ----

int CWnd::OnCreate(LPCREATESTRUCT) {
    return 0;
}
void CWnd::OnDestroy() {}
void CWnd::OnClose() {
    DestroyWindow();
}
void CWnd::PostNcDestroy() {}
void CWnd::OnSize(UINT, int, int) {}
void CWnd::OnPaint() {}
BOOL CWnd::OnEraseBkgnd(CDC*) {
    return FALSE;
}
void CWnd::OnTimer(UINT_PTR) {}
void CWnd::OnShowWindow(BOOL, UINT) {}
void CWnd::OnLButtonDown(UINT, CPoint) {}
void CWnd::OnLButtonUp(UINT, CPoint) {}
void CWnd::OnLButtonDblClk(UINT, CPoint) {}
void CWnd::OnRButtonDown(UINT, CPoint) {}
void CWnd::OnRButtonUp(UINT, CPoint) {}
void CWnd::OnMouseMove(UINT, CPoint) {}
BOOL CWnd::OnMouseWheel(UINT, short, CPoint) {
    return FALSE;
}
void CWnd::OnKeyDown(UINT, UINT, UINT) {}
void CWnd::OnKeyUp(UINT, UINT, UINT) {}
void CWnd::OnChar(UINT, UINT, UINT) {}
void CWnd::OnSetFocus(CWnd*) {}
void CWnd::OnKillFocus(CWnd*) {}
void CWnd::OnHScroll(UINT, UINT, CScrollBar*) {}
void CWnd::OnVScroll(UINT, UINT, CScrollBar*) {}

BOOL IsWindow(HWND hwnd) {
    return CWnd::FromHandlePermanent(hwnd) != nullptr;
}

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CWnd* w = CWnd::FromHandlePermanent(hwnd);
    return w ? w->SendMessage(msg, wParam, lParam) : 0;
}

BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!CWnd::FromHandlePermanent(hwnd)) return FALSE;
    platform::MessageLoop::Current().Post([hwnd, msg, wParam, lParam] {
        if (CWnd* w = CWnd::FromHandlePermanent(hwnd)) w->SendMessage(msg, wParam, lParam);
    });
    return TRUE;
}
