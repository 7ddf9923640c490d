#include "platform/win/wnd.h"

#include <QApplication>
#include <QWidget>
#include <algorithm>
#include <unordered_map>

#include "platform/gdi/objects.h"
#include "platform/win/message_loop.h"
#include "platform/win/system.h"
#include "platform/win/widget_bridge.h"

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

QRect ToQRect(const RECT& r) {
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

HWND g_capture = nullptr;

void ReleaseCaptureOf(HWND hwnd, HWND next) {
    if (!g_capture || g_capture != hwnd) return;
    g_capture = nullptr;
    CWnd* old = CWnd::FromHandlePermanent(hwnd);
    if (!old) return;
    if (QWidget* w = old->GetWidget(); w && QWidget::mouseGrabber() == w) w->releaseMouse();
    old->SendMessage(WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(next));
}

}  // namespace

const CWnd CWnd::wndTop, CWnd::wndBottom, CWnd::wndTopMost, CWnd::wndNoTopMost;

CWnd::CWnd() = default;

CWnd::~CWnd() {
    *m_alive = false;
    if (m_hWnd && g_capture == m_hWnd) {
        g_capture = nullptr;
        if (QWidget* w = GetWidget(); w && QWidget::mouseGrabber() == w) w->releaseMouse();
    }
    if (m_hWnd) {
        // Destroyed by deletion: no handlers run any more, but nothing is left behind either.
        platform::MessageLoop::Current().StopTimers(m_hWnd);
        for (HWND child : std::vector<HWND>(m_children))
            if (CWnd* c = FromHandlePermanent(child)) c->DestroyWindow();
        Unlink();
    }
    ReleaseWidget();
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
    if (!hwnd) return nullptr;
    auto it = Handles().find(hwnd);
    return it == Handles().end() ? nullptr : it->second;
}

CWnd* CWnd::FromWidget(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->parentWidget())
        if (CWnd* wnd = FromHandlePermanent(platform::HandleOfWidget(w))) return wnd;
    return nullptr;
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

void CWnd::SetWidget(QWidget* widget, bool owned) {
    m_widget = widget;
    m_ownsWidget = owned;
    if (widget && m_hWnd) platform::TagWidget(widget, m_hWnd);
}

void CWnd::ReleaseWidget() {
    QWidget* w = m_widget.data();
    m_widget.clear();
    if (!w) return;
    if (platform::HandleOfWidget(w) == m_hWnd || !m_hWnd) platform::TagWidget(w, nullptr);
    if (m_ownsWidget) {
        w->hide();
        // Deferred: the widget may be the one whose signal or event is running now.
        w->deleteLater();
    }
    m_ownsWidget = false;
}

BOOL CWnd::CreateMessageTarget(CWnd* parent, UINT id) {
    if (m_hWnd) return FALSE;
    RegisterWindow(parent, id);
    return TRUE;
}

QWidget* CWnd::MakeWidget(QWidget* parentWidget, const CREATESTRUCT& cs) {
    auto* widget = new platform::WndWidget(parentWidget);
    if (cs.style & WS_POPUP) {
        // A tool window shows on top without taking the focus from the program's windows.
        if (cs.dwExStyle & WS_EX_TOOLWINDOW) {
            widget->setWindowFlags(Qt::ToolTip);
            widget->setFocusPolicy(Qt::NoFocus);
        } else {
            widget->setWindowFlags(
                Qt::Window | Qt::FramelessWindowHint |
                (cs.dwExStyle & WS_EX_TOPMOST ? Qt::WindowStaysOnTopHint : Qt::WindowFlags()));
        }
        widget->setAttribute(Qt::WA_ShowWithoutActivating);
    }
    return widget;
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCTSTR className, LPCTSTR windowName, DWORD style,
                    const RECT& rect, CWnd* parent, UINT id) {
    if (m_hWnd) return FALSE;
    m_exStyle = exStyle;
    return Create(className, windowName, style, rect, parent, id);
}

BOOL CWnd::Create(LPCTSTR className, LPCTSTR windowName, DWORD style, const RECT& rect,
                  CWnd* parent, UINT id) {
    if (m_hWnd) return FALSE;
    RegisterWindow(parent, id);
    m_style = style;
    CREATESTRUCT cs;
    cs.lpszClass = className ? className : "";
    cs.lpszName = windowName ? windowName : "";
    cs.style = style;
    cs.dwExStyle = m_exStyle;
    cs.x = rect.left, cs.y = rect.top, cs.cx = rect.right - rect.left,
    cs.cy = rect.bottom - rect.top;
    cs.hwndParent = m_parent;
    cs.id = id;
    QWidget* parentWidget = parent ? parent->GetWidget() : nullptr;
    QWidget* widget = MakeWidget(parentWidget, cs);
    if (widget) {
        SetWidget(widget, true);
        widget->setGeometry(ToQRect(rect));
        widget->setEnabled(!(style & WS_DISABLED));
    }
    m_rect = rect;
    m_enabled = !(style & WS_DISABLED);
    if (style & (WS_HSCROLL | WS_VSCROLL)) {
        m_scrollBars = std::make_unique<platform::WindowScrollBars>(this);
        if (style & WS_HSCROLL) m_scrollBars->Show(SB_HORZ, true);
        if (style & WS_VSCROLL) m_scrollBars->Show(SB_VERT, true);
    }
    SetWindowText(cs.lpszName);
    const HWND self = m_hWnd;
    PreSubclassWindow();
    if (SendMessage(WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        if (FromHandlePermanent(self) == this) DestroyWindow();
        return FALSE;
    }
    if (style & WS_VISIBLE)
        ShowWindow(SW_SHOW);
    else if (QWidget* w = GetWidget(); w && !w->isWindow())
        w->hide();  // else it shows with its parent
    return TRUE;
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
    platform::TagSubclass(m_widget.data(), m_hWnd);
    PreSubclassWindow();
    return TRUE;
}

void CWnd::PreSubclassWindow() {}

BOOL CWnd::DestroyWindow() {
    if (!m_hWnd) return FALSE;
    const HWND self = m_hWnd;
    SendMessage(WM_DESTROY);
    if (FromHandlePermanent(self) != this) return TRUE;  // deleted by its own OnDestroy
    for (HWND child : std::vector<HWND>(m_children))
        if (CWnd* c = FromHandlePermanent(child)) c->DestroyWindow();
    platform::MessageLoop::Current().StopTimers(self);
    ReleaseCaptureOf(self, nullptr);
    Unlink();
    ReleaseWidget();
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
            QWidget* w = GetWidget();
            if (w && m_font && m_font->GetSafeHandle())
                w->setFont(platform::FontFromLogFont(m_font->LogFont()));
            if (w && lParam) w->update();
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
    if (QWidget* w = GetWidget(); w && w->isWindow()) w->setWindowTitle(m_text.ToQString());
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

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL) {
    m_rect = CRect(x, y, x + width, y + height);
    if (QWidget* w = GetWidget())
        w->setGeometry(x, y, std::max(width, 0), std::max(height, 0));
    else
        SendMessage(WM_SIZE, 0, MAKELPARAM(static_cast<WORD>(width), static_cast<WORD>(height)));
}

void CWnd::MoveWindow(const RECT* rect, BOOL repaint) {
    if (rect)
        MoveWindow(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top,
                   repaint);
}

BOOL CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags) {
    CRect r;
    GetWindowRect(&r);
    if (CWnd* p = GetParent(); p && !(GetWidget() && GetWidget()->isWindow()))
        p->ScreenToClient(&r);
    if (!(flags & SWP_NOMOVE)) r = CRect(x, y, x + r.Width(), y + r.Height());
    if (!(flags & SWP_NOSIZE)) r.right = r.left + cx, r.bottom = r.top + cy;
    if (!(flags & (SWP_NOMOVE)) || !(flags & SWP_NOSIZE)) MoveWindow(&r);
    if (QWidget* w = GetWidget(); w && !(flags & SWP_NOZORDER)) {
        if (insertAfter == &wndBottom)
            w->lower();
        else
            w->raise();
    }
    if (flags & SWP_SHOWWINDOW) ShowWindow(SW_SHOW);
    if (flags & SWP_HIDEWINDOW) ShowWindow(SW_HIDE);
    return TRUE;
}

void CWnd::GetClientRect(RECT* rect) const {
    if (!rect) return;
    const int width = GetWidget() ? GetWidget()->width() : m_rect.Width();
    const int height = GetWidget() ? GetWidget()->height() : m_rect.Height();
    *rect = m_scrollBars ? m_scrollBars->Client(width, height) : CRect(0, 0, width, height);
}

// ---- fonts ----

void CWnd::SetFont(CFont* font, BOOL redraw) {
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw);
}

CFont* CWnd::GetFont() const {
    return reinterpret_cast<CFont*>(const_cast<CWnd*>(this)->SendMessage(WM_GETFONT));
}

// ---- scroll bars ----

BOOL CWnd::SetScrollInfo(int bar, LPSCROLLINFO info, BOOL) {
    if (!info || (bar != SB_HORZ && bar != SB_VERT)) return FALSE;
    if (!m_scrollBars) m_scrollBars = std::make_unique<platform::WindowScrollBars>(this);
    m_scrollBars->SetInfo(bar, *info);
    return TRUE;
}

BOOL CWnd::GetScrollInfo(int bar, LPSCROLLINFO info, UINT mask) const {
    if (!info || (bar != SB_HORZ && bar != SB_VERT)) return FALSE;
    const SCROLLINFO s = m_scrollBars ? m_scrollBars->Info(bar) : SCROLLINFO{};
    info->fMask = mask;
    if (mask & SIF_RANGE) info->nMin = s.nMin, info->nMax = s.nMax;
    if (mask & SIF_PAGE) info->nPage = s.nPage;
    if (mask & SIF_POS) info->nPos = s.nPos;
    if (mask & SIF_TRACKPOS) info->nTrackPos = s.nTrackPos;
    return TRUE;
}

int CWnd::SetScrollPos(int bar, int pos, BOOL redraw) {
    const int old = GetScrollPos(bar);
    SCROLLINFO si;
    si.fMask = SIF_POS;
    si.nPos = pos;
    SetScrollInfo(bar, &si, redraw);
    return old;
}

int CWnd::GetScrollPos(int bar) const {
    SCROLLINFO si;
    GetScrollInfo(bar, &si, SIF_POS);
    return si.nPos;
}

void CWnd::SetScrollRange(int bar, int minPos, int maxPos, BOOL redraw) {
    SCROLLINFO si;
    si.fMask = SIF_RANGE;
    si.nMin = minPos;
    si.nMax = maxPos;
    SetScrollInfo(bar, &si, redraw);
}

void CWnd::GetScrollRange(int bar, int* minPos, int* maxPos) const {
    SCROLLINFO si;
    GetScrollInfo(bar, &si, SIF_RANGE);
    if (minPos) *minPos = si.nMin;
    if (maxPos) *maxPos = si.nMax;
}

int CWnd::GetScrollLimit(int bar) const {
    SCROLLINFO si;
    GetScrollInfo(bar, &si, SIF_RANGE | SIF_PAGE);
    const int page = static_cast<int>(std::min<UINT>(si.nPage, 0x7FFFFFFF));
    return std::max(si.nMin, page > 0 ? si.nMax - page + 1 : si.nMax);
}

void CWnd::ShowScrollBar(UINT bar, BOOL show) {
    if (!m_scrollBars) m_scrollBars = std::make_unique<platform::WindowScrollBars>(this);
    bool changed = false;
    if (bar == SB_HORZ || bar == SB_BOTH) changed |= m_scrollBars->Show(SB_HORZ, show);
    if (bar == SB_VERT || bar == SB_BOTH) changed |= m_scrollBars->Show(SB_VERT, show);
    const DWORD bits = (bar == SB_HORZ   ? WS_HSCROLL
                        : bar == SB_VERT ? WS_VSCROLL
                                         : WS_HSCROLL | WS_VSCROLL);
    m_style = show ? (m_style | bits) : (m_style & ~bits);
    if (!changed || !GetWidget()) return;
    // The client area changed size, as a resize of the window would.
    CRect client;
    GetClientRect(&client);
    SendMessage(WM_SIZE, 0,
                MAKELPARAM(static_cast<WORD>(client.Width()), static_cast<WORD>(client.Height())));
}

void CWnd::LayoutScrollBars() {
    if (m_scrollBars) m_scrollBars->Layout();
}

void CWnd::ScrollWindow(int, int, LPCRECT rect, LPCRECT clip) {
    CRect area;
    GetClientRect(&area);
    if (rect) area = CRect(*rect);
    if (clip) area.IntersectRect(CRect(area), *clip);
    InvalidateRect(&area, FALSE);
}

// ---- mouse capture ----

CWnd* CWnd::SetCapture() {
    CWnd* old = GetCapture();
    if (old == this) return old;
    if (old) ReleaseCaptureOf(old->m_hWnd, m_hWnd);
    if (!m_hWnd) return old;
    g_capture = m_hWnd;
    // Qt already keeps the mouse for the widget a button went down on; a capture taken without
    // one (a pop-up that follows the mouse) needs a grab of its own.
    if (QWidget* w = GetWidget(); w && w->isVisible() && !QApplication::mouseButtons())
        w->grabMouse();
    return old;
}

CWnd* CWnd::GetCapture() {
    return FromHandlePermanent(g_capture);
}

void CWnd::GetWindowRect(RECT* rect) const {
    if (!rect) return;
    if (QWidget* w = GetWidget()) {
        const QPoint tl = w->mapToGlobal(QPoint(0, 0));
        *rect = CRect(tl.x(), tl.y(), tl.x() + w->width(), tl.y() + w->height());
    } else {
        *rect = m_rect;
    }
}

void CWnd::ScreenToClient(POINT* point) const {
    if (QWidget* w = GetWidget(); w && point) {
        const QPoint p = w->mapFromGlobal(QPoint(point->x, point->y));
        point->x = p.x(), point->y = p.y();
    }
}

void CWnd::ScreenToClient(RECT* rect) const {
    if (!rect) return;
    POINT tl{rect->left, rect->top}, br{rect->right, rect->bottom};
    ScreenToClient(&tl);
    ScreenToClient(&br);
    *rect = RECT{tl.x, tl.y, br.x, br.y};
}

void CWnd::ClientToScreen(POINT* point) const {
    if (QWidget* w = GetWidget(); w && point) {
        const QPoint p = w->mapToGlobal(QPoint(point->x, point->y));
        point->x = p.x(), point->y = p.y();
    }
}

void CWnd::ClientToScreen(RECT* rect) const {
    if (!rect) return;
    POINT tl{rect->left, rect->top}, br{rect->right, rect->bottom};
    ClientToScreen(&tl);
    ClientToScreen(&br);
    *rect = RECT{tl.x, tl.y, br.x, br.y};
}

BOOL CWnd::ShowWindow(int cmd) {
    const BOOL wasVisible = IsWindowVisible();
    const bool show = cmd != SW_HIDE;
    m_visible = show;
    if (QWidget* w = GetWidget()) {
        switch (cmd) {
            case SW_HIDE:
                w->hide();
                break;
            case SW_SHOWMAXIMIZED:
                w->showMaximized();
                break;
            case SW_SHOWMINIMIZED:
            case SW_MINIMIZE:
                w->showMinimized();
                break;
            case SW_RESTORE:
                w->showNormal();
                break;
            default:
                w->show();
                break;
        }
    }
    if (m_style & WS_VISIBLE && !show) m_style &= ~WS_VISIBLE;
    if (show) m_style |= WS_VISIBLE;
    return wasVisible;
}

BOOL CWnd::IsWindowVisible() const {
    if (QWidget* w = GetWidget()) return w->isVisible();
    return m_visible;
}

BOOL CWnd::EnableWindow(BOOL enable) {
    const BOOL wasDisabled = !IsWindowEnabled();
    m_enabled = enable != FALSE;
    if (QWidget* w = GetWidget()) w->setEnabled(m_enabled);
    if (m_enabled)
        m_style &= ~WS_DISABLED;
    else
        m_style |= WS_DISABLED;
    return wasDisabled;
}

BOOL CWnd::IsWindowEnabled() const {
    if (QWidget* w = GetWidget()) return w->isEnabled();
    return m_enabled;
}

CWnd* CWnd::SetFocus() {
    CWnd* old = GetFocus();
    if (QWidget* w = GetWidget()) w->setFocus(Qt::OtherFocusReason);
    return old;
}

CWnd* CWnd::GetFocus() {
    return FromWidget(QApplication::focusWidget());
}

void CWnd::Invalidate(BOOL) {
    if (QWidget* w = GetWidget()) w->update();
}

void CWnd::InvalidateRect(const RECT* rect, BOOL erase) {
    QWidget* w = GetWidget();
    if (!w) return;
    if (rect)
        w->update(ToQRect(*rect));
    else
        Invalidate(erase);
}

void CWnd::UpdateWindow() {
    if (QWidget* w = GetWidget()) w->repaint();
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT) {
    if (remove & add) return FALSE;
    const DWORD old = m_style;
    m_style = (m_style & ~remove) | add;
    if ((old ^ m_style) & WS_VISIBLE) ShowWindow(m_style & WS_VISIBLE ? SW_SHOW : SW_HIDE);
    if ((old ^ m_style) & WS_DISABLED) EnableWindow(!(m_style & WS_DISABLED));
    return TRUE;
}

BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT) {
    if (remove & add) return FALSE;
    m_exStyle = (m_exStyle & ~remove) | add;
    return TRUE;
}

CWnd* CWnd::GetForegroundWindow() {
    return FromWidget(QApplication::activeWindow());
}

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

BOOL ReleaseCapture() {
    ReleaseCaptureOf(g_capture, nullptr);
    return TRUE;
}

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
