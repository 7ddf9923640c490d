// The widget side of CWnd: widgets, geometry, visibility, focus, painting, scroll bars and the
// mouse capture.

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QVariant>
#include <QWidget>
#include <algorithm>

#include "platform/gdi/objects.h"
#include "platform/msg/wnd.h"
#include "platform/win/placement.h"
#include "platform/win/scroll_bars.h"
#include "platform/win/system.h"
#include "platform/win/widget_bridge.h"

namespace {

QRect ToQRect(const RECT& r) {
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

// A window's rectangle is its frame's, title bar included, as on Windows: Qt positions a window by
// its frame but sizes it by its client area.
void PlaceFrame(QWidget* w, const QRect& frame) {
    const QRect outer = w->frameGeometry(), inner = w->geometry();
    const int extraX = outer.width() - inner.width(), extraY = outer.height() - inner.height();
    w->resize(std::max(frame.width() - extraX, 0), std::max(frame.height() - extraY, 0));
    w->move(frame.topLeft());
}

// Tool tips and pop-ups have no frame of the window manager's: their rectangle is their own.
bool HasWindowFrame(const QWidget* w) {
    const Qt::WindowType type = w->windowType();
    return (type == Qt::Window || type == Qt::Dialog) &&
           !(w->windowFlags() & Qt::FramelessWindowHint);
}

// Until the window manager has framed a window, its frame's size is unknown: the frame rectangle
// asked for is applied once more when it is known. The rectangle waits in a property of the
// window, watched by one filter for all windows.
constexpr char kPendingFrame[] = "varnelPendingFrame";
constexpr char kPendingClient[] = "varnelPendingClient";
constexpr char kMaximisedFramed[] = "varnelMaximisedFramed";
constexpr char kRestoring[] = "varnelRestoring";

class PendingFrameFilter : public QObject {
public:
    static PendingFrameFilter& Instance() {
        static PendingFrameFilter filter;
        return filter;
    }
    void Watch(QWidget* w, const QRect& frame) {
        w->setProperty(kPendingFrame, frame);
        w->setProperty(kPendingClient, w->size());
        w->installEventFilter(this);
    }
    void Forget(QWidget* w) {
        w->setProperty(kPendingFrame, QVariant());
        w->setProperty(kPendingClient, QVariant());
        w->setProperty(kMaximisedFramed, QVariant());
        w->setProperty(kRestoring, QVariant());
        w->removeEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        const QEvent::Type t = e->type();
        auto* w = static_cast<QWidget*>(watched);
        if (w->property(platform::kReassertingState).toBool()) return false;
        // Shown maximised before its frame was known, the window was given the frame's size for
        // its client, and that is what the window manager restores it to. It is left as the
        // window manager maximised it (a placement now would restore it), and takes the frame
        // asked for only once the user restores it after the window manager has answered.
        if (w->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
            if (w->isVisible() && w->frameGeometry() != w->geometry())
                w->setProperty(kMaximisedFramed, true);
            return false;
        }
        if (w->property(kMaximisedFramed).toBool()) {
            if (w->windowState() != Qt::WindowNoState) return false;
            const QRect frame = w->property(kPendingFrame).toRect();
            // Watched on while the window passes through this state on its way back to
            // maximised (a native window made again is maximised anew).
            w->setProperty(kMaximisedFramed, QVariant());
            w->setProperty(kRestoring, true);
            // Placed again as the window manager answers: the frame it draws around a restored
            // window becomes known only some time after the restore.
            const QPointer<QWidget> restored(w);
            auto place = [this, restored, frame] {
                if (!restored || restored->windowState() != Qt::WindowNoState) return;
                if (restored->frameGeometry() != frame)
                    PlaceFrame(restored, frame);
                else if (restored->property(kPendingFrame).isValid())
                    Forget(restored);
            };
            QMetaObject::invokeMethod(w, place, Qt::QueuedConnection);
            for (int ms : {100, 300, 700, 1500})
                QTimer::singleShot(ms, w, place);
            return false;
        }
        if (w->property(kRestoring).toBool()) return false;
        if (t != QEvent::Move && t != QEvent::Resize && t != QEvent::Show) return false;
        if (!w->isVisible() || w->frameGeometry().size() == w->size()) return false;
        const QRect frame = w->property(kPendingFrame).toRect();
        const bool resizedSince = w->property(kPendingClient).toSize() != w->size();
        Forget(w);
        // A size someone else gave the window since (the user) stays.
        if (resizedSince) return false;
        // Not from inside the window system's own geometry event, and only while no one resized
        // the window in between.
        const QSize client = w->size();
        QMetaObject::invokeMethod(
            w,
            [w, frame, client] {
                if (w->size() == client) PlaceFrame(w, frame);
            },
            Qt::QueuedConnection);
        return false;
    }
};

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

const platform::WindowWidgetSide& CWnd::WidgetSide() {
    static const platform::WindowWidgetSide side = {
        [](CWnd& wnd) { wnd.ReleaseWidget(); },
        [](CWnd& wnd, bool notify) {
            if (!g_capture || g_capture != wnd.m_hWnd) return;
            if (notify) {
                ReleaseCaptureOf(wnd.m_hWnd, nullptr);
                return;
            }
            g_capture = nullptr;
            if (QWidget* w = wnd.GetWidget(); w && QWidget::mouseGrabber() == w) w->releaseMouse();
        },
        [](QWidget* parentWidget, const CREATESTRUCT& cs) -> QWidget* {
            auto* widget = new platform::WndWidget(parentWidget);
            if (cs.style & WS_POPUP) {
                // A tool window shows on top without taking the focus from the program's windows.
                if (cs.dwExStyle & WS_EX_TOOLWINDOW) {
                    widget->setWindowFlags(Qt::ToolTip);
                    widget->setFocusPolicy(Qt::NoFocus);
                } else {
                    widget->setWindowFlags(Qt::Window | Qt::FramelessWindowHint |
                                           (cs.dwExStyle & WS_EX_TOPMOST ? Qt::WindowStaysOnTopHint
                                                                         : Qt::WindowFlags()));
                }
                widget->setAttribute(Qt::WA_ShowWithoutActivating);
            }
            return widget;
        },
        [](CWnd& wnd) { platform::TagSubclass(wnd.GetWidget(), wnd.m_hWnd); },
        [](CWnd& wnd) {
            if (QWidget* w = wnd.GetWidget(); w && w->isWindow())
                w->setWindowTitle(wnd.m_text.ToQString());
        },
        [](CWnd& wnd, bool redraw) {
            QWidget* w = wnd.GetWidget();
            if (!w) return;
            if (wnd.m_font && wnd.m_font->GetSafeHandle())
                w->setFont(platform::FontFromLogFont(wnd.m_font->LogFont()));
            if (redraw) w->update();
        },
    };
    return side;
}

QWidget* CWnd::GetWidget() const {
    return m_widget.data();
}

CWnd* CWnd::FromWidget(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->parentWidget())
        if (CWnd* wnd = FromHandlePermanent(platform::HandleOfWidget(w))) return wnd;
    return nullptr;
}

void CWnd::SetWidget(QWidget* widget, bool owned) {
    platform::InstallWindowWidgetSide(&WidgetSide());
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

BOOL CWnd::CreateEx(DWORD exStyle, LPCTSTR className, LPCTSTR windowName, DWORD style,
                    const RECT& rect, CWnd* parent, UINT id) {
    if (m_hWnd) return FALSE;
    m_exStyle = exStyle;
    return Create(className, windowName, style, rect, parent, id);
}

BOOL CWnd::Create(LPCTSTR className, LPCTSTR windowName, DWORD style, const RECT& rect,
                  CWnd* parent, UINT id) {
    if (m_hWnd) return FALSE;
    platform::InstallWindowWidgetSide(&WidgetSide());
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
        platform::PlaceWidget(widget, ToQRect(rect));
        widget->setEnabled(!(style & WS_DISABLED));
    }
    m_rect = rect;
    m_enabled = !(style & WS_DISABLED);
    // Only our own windows take our scroll bars. A control of Qt's shows its own (an edit, a
    // list) or none (a combo's closed box): ours would stand over it at the size it was made with.
    if ((style & (WS_HSCROLL | WS_VSCROLL)) && dynamic_cast<platform::WndWidget*>(widget)) {
        m_scrollBars = platform::MakeWindowScrollBars(this);
        if (style & WS_HSCROLL) m_scrollBars->Show(SB_HORZ, true);
        if (style & WS_VSCROLL) m_scrollBars->Show(SB_VERT, true);
    }
    SetWindowText(cs.lpszName);
    const platform::WindowWatch watch(*this);
    PreSubclassWindow();
    if (SendMessage(WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        if (watch.Alive()) DestroyWindow();
        return FALSE;
    }
    if (style & WS_VISIBLE)
        ShowWindow(SW_SHOW);
    else if (QWidget* w = GetWidget(); w && !w->isWindow())
        w->hide();  // else it shows with its parent
    return TRUE;
}

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL) {
    m_rect = CRect(x, y, x + width, y + height);
    if (QWidget* w = GetWidget(); w && w->isWindow() && HasWindowFrame(w)) {
        PendingFrameFilter::Instance().Forget(w);
        const QRect frame(x, y, std::max(width, 0), std::max(height, 0));
        PlaceFrame(w, frame);
        if (w->frameGeometry().size() == w->size()) PendingFrameFilter::Instance().Watch(w, frame);
    } else if (w) {
        platform::PlaceWidget(w, QRect(x, y, std::max(width, 0), std::max(height, 0)));
    } else
        SendMessage(WM_SIZE, 0, MAKELPARAM(static_cast<WORD>(width), static_cast<WORD>(height)));
}

void CWnd::MoveWindow(const RECT* rect, BOOL repaint) {
    if (rect)
        MoveWindow(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top,
                   repaint);
}

BOOL CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags) {
    CRect r;
    if (QWidget* w = GetWidget(); w && !w->isWindow()) {
        // In the widget's own parent, which for an MDI child is the MDI area, not its frame.
        const QRect g = platform::AskedRect(w);
        r = CRect(g.x(), g.y(), g.x() + g.width(), g.y() + g.height());
    } else {
        GetWindowRect(&r);
        if (CWnd* p = GetParent(); p && !w) p->ScreenToClient(&r);
    }
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

BOOL CWnd::SetScrollInfo(int bar, LPSCROLLINFO info, BOOL) {
    if (!info || (bar != SB_HORZ && bar != SB_VERT)) return FALSE;
    if (!m_scrollBars) m_scrollBars = platform::MakeWindowScrollBars(this);
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
    if (!m_scrollBars) m_scrollBars = platform::MakeWindowScrollBars(this);
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

void CWnd::ScrollWindow(int dx, int dy, LPCRECT rect, LPCRECT clip) {
    // The window repaints what would move instead of moving it: both where the scrolled part was
    // and where it lands, which can lie outside the scrolled rectangle (a grid scrolls the cells
    // right of a column over that column).
    CRect client;
    GetClientRect(&client);
    CRect area = rect ? CRect(*rect) : client;
    CRect landed = area;
    landed.OffsetRect(dx, dy);
    area.UnionRect(CRect(area), landed);
    area.IntersectRect(CRect(area), clip ? CRect(*clip) : client);
    InvalidateRect(&area, FALSE);
}

// ---- mouse capture ----

CWnd* CWnd::SetCapture() {
    CWnd* old = GetCapture();
    if (old == this) return old;
    if (old) ReleaseCaptureOf(old->m_hWnd, m_hWnd);
    if (!m_hWnd) return old;
    platform::InstallWindowWidgetSide(&WidgetSide());
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
    if (QWidget* w = GetWidget(); w && w->isWindow() && HasWindowFrame(w)) {
        const QRect f = w->frameGeometry();
        *rect = CRect(f.left(), f.top(), f.left() + f.width(), f.top() + f.height());
    } else if (QWidget* w = GetWidget()) {
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
            case SW_SHOWNORMAL:
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

BOOL ReleaseCapture() {
    ReleaseCaptureOf(g_capture, nullptr);
    return TRUE;
}
