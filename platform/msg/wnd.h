#pragma once
// CWnd: a message target, with or without a Qt widget. Its handle is registered while the window
// exists; everything that reaches a window later (timers, posted messages, widget events) looks the
// handle up again, so a window that was destroyed or deleted in between is simply not found.
//
// Message targets belong to the widget-free core; everything that touches a widget is built in
// the UI library (wnd_widget.cpp), which the core reaches only through platform::WindowWidgetSide.

#include <QPointer>
#include <memory>
#include <vector>

#include "platform/base/geometry.h"
#include "platform/msg/cmdtarget.h"
#include "platform/msg/keys.h"
#include "platform/msg/messages.h"
#include "platform/msg/scroll_info.h"

class CDC;
class CFont;
class CScrollBar;
class QWidget;
namespace platform {
struct WindowWidgetSide;
}

struct CREATESTRUCT {
    CString lpszName;
    CString lpszClass;
    DWORD style = 0;
    DWORD dwExStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    HWND hwndParent = nullptr;
    UINT id = 0;
};
using LPCREATESTRUCT = CREATESTRUCT*;

constexpr LONG GET_X_LPARAM(LPARAM l) {
    return static_cast<SHORT>(LOWORD(static_cast<DWORD_PTR>(l)));
}
constexpr LONG GET_Y_LPARAM(LPARAM l) {
    return static_cast<SHORT>(HIWORD(static_cast<DWORD_PTR>(l)));
}
constexpr SHORT GET_WHEEL_DELTA_WPARAM(WPARAM w) {
    return static_cast<SHORT>(HIWORD(w));
}
constexpr int WHEEL_DELTA = 120;

class CWnd : public CCmdTarget {
    DECLARE_DYNAMIC(CWnd)
    CWnd();
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // Null until the window is created, and again after it is destroyed.
    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }
    static CWnd* FromHandle(HWND hwnd) { return FromHandlePermanent(hwnd); }
    static CWnd* FromHandlePermanent(HWND hwnd);
    static CWnd* FromWidget(const QWidget* widget);

    // ---- creation and destruction ----
    // A window without a widget: it takes timers and messages only.
    BOOL CreateMessageTarget(CWnd* parent = nullptr, UINT id = 0);
    // A child or top-level window with a plain widget (or the control a subclass makes).
    // WS_POPUP makes a top-level window owned by the parent, placed in screen coordinates; with
    // WS_EX_TOOLWINDOW it is never activated.
    BOOL Create(LPCTSTR className, LPCTSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                UINT id);
    BOOL CreateEx(DWORD exStyle, LPCTSTR className, LPCTSTR windowName, DWORD style,
                  const RECT& rect, CWnd* parent, UINT id);
    // Sends WM_DESTROY, destroys the child windows, stops the timers and lets the widget go. The
    // widget is deleted after the current event has been handled, so a window may be destroyed
    // (and its object deleted) from inside one of its own handlers.
    virtual BOOL DestroyWindow();
    // Attaches this object to the control `id` of a window built from a template. It draws the
    // control's owner-drawn items from then on, and gets every message of a control that passes
    // them on (a window of a class of the program's own, a combo's edit).
    virtual BOOL SubclassDlgItem(UINT id, CWnd* parent);
    // Called once the window has its widget: on Create before WM_CREATE, and on SubclassDlgItem.
    virtual void PreSubclassWindow();

    // ---- messages ----
    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // WM_COMMAND: a menu command or a control's notification, routed by OnCmdMsg.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);

    // ---- timers ----
    // Returns the id, or 0 when the timer could not be made (also when the window is not created).
    UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs, void* timerProc = nullptr);
    BOOL KillTimer(UINT_PTR id);

    // ---- the window tree ----
    CWnd* GetParent() const;
    CWnd* GetOwner() const;
    void SetOwner(CWnd* owner);
    CWnd* GetDlgItem(int id) const;
    int GetDlgCtrlID() const { return static_cast<int>(m_id); }
    int SetDlgCtrlID(int id);
    CWnd* GetTopLevelParent() const;
    std::vector<CWnd*> GetChildren() const;

    // ---- text, geometry and state (on the widget when there is one) ----
    // Controls show their text their own way; a plain window keeps it, a top-level one shows it
    // as its title.
    virtual void SetWindowText(LPCTSTR text);
    virtual CString GetWindowText() const;
    void GetWindowText(CString& text) const;
    int GetWindowText(LPTSTR buffer, int maxCount) const;
    int GetWindowTextLength() const;
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
    void MoveWindow(const RECT* rect, BOOL repaint = TRUE);
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags);
    void GetClientRect(RECT* rect) const;
    void GetWindowRect(RECT* rect) const;  // in screen coordinates
    void ScreenToClient(POINT* point) const;
    void ScreenToClient(RECT* rect) const;
    void ClientToScreen(POINT* point) const;
    void ClientToScreen(RECT* rect) const;
    BOOL ShowWindow(int cmd);
    BOOL IsWindowVisible() const;
    BOOL EnableWindow(BOOL enable = TRUE);
    BOOL IsWindowEnabled() const;
    CWnd* SetFocus();
    static CWnd* GetFocus();
    void Invalidate(BOOL erase = TRUE);
    void InvalidateRect(const RECT* rect, BOOL erase = TRUE);
    void UpdateWindow();
    DWORD GetStyle() const { return m_style; }
    DWORD GetExStyle() const { return m_exStyle; }
    // Refuses (FALSE) when the two sets share a bit, as the program's controls require.
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT flags = 0);
    // The extended styles are kept for the window's own drawing to follow; the same refusal.
    BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT flags = 0);
    // The window of the program that is active now (its top-level window), or null.
    static CWnd* GetForegroundWindow();

    // WM_SETFONT: the window draws its text in the font from then on; the font must outlive that
    // use, as on Windows.
    void SetFont(CFont* font, BOOL redraw = TRUE);
    CFont* GetFont() const;

    // ---- scroll bars (bar SB_HORZ or SB_VERT) ----
    // A window made with WS_HSCROLL / WS_VSCROLL shows the bar from the start; ShowScrollBar shows
    // and hides it. Setting the range or position never shows or hides a bar.
    BOOL SetScrollInfo(int bar, LPSCROLLINFO info, BOOL redraw = TRUE);
    BOOL GetScrollInfo(int bar, LPSCROLLINFO info, UINT mask = SIF_ALL) const;
    int SetScrollPos(int bar, int pos, BOOL redraw = TRUE);
    int GetScrollPos(int bar) const;
    void SetScrollRange(int bar, int minPos, int maxPos, BOOL redraw = TRUE);
    void GetScrollRange(int bar, int* minPos, int* maxPos) const;
    // The highest position the bar takes (the range's end less a page).
    int GetScrollLimit(int bar) const;
    void ShowScrollBar(UINT bar, BOOL show = TRUE);
    void EnableScrollBarCtrl(int bar, BOOL enable = TRUE) { ShowScrollBar(bar, enable); }
    // For the widget layer: places the bars after the widget was resized.
    void LayoutScrollBars();
    // Moves the client area's picture; here the area is repainted instead.
    void ScrollWindow(int dx, int dy, LPCRECT rect = nullptr, LPCRECT clip = nullptr);

    // ---- mouse capture ----
    CWnd* SetCapture();
    static CWnd* GetCapture();

    QWidget* GetWidget() const;
    // For an object attached by SubclassDlgItem: the control made from the template.
    CWnd* GetAttachedItem() const { return FromHandlePermanent(m_attachedTo); }

    // The z-order places of SetWindowPos.
    static const CWnd wndTop, wndBottom, wndTopMost, wndNoTopMost;

    // ---- handlers; the defaults do nothing ----
    virtual int OnCreate(LPCREATESTRUCT cs);
    virtual void OnDestroy();
    virtual void OnClose();
    // Runs after the window is destroyed, once the current event has been handled; a window that
    // deletes itself does it here.
    virtual void PostNcDestroy();
    virtual void OnSize(UINT type, int cx, int cy);
    virtual void OnPaint();
    virtual BOOL OnEraseBkgnd(CDC* dc);
    virtual void OnTimer(UINT_PTR id);
    virtual void OnShowWindow(BOOL show, UINT status);
    virtual void OnLButtonDown(UINT flags, CPoint point);
    virtual void OnLButtonUp(UINT flags, CPoint point);
    virtual void OnLButtonDblClk(UINT flags, CPoint point);
    virtual void OnRButtonDown(UINT flags, CPoint point);
    virtual void OnRButtonUp(UINT flags, CPoint point);
    virtual void OnMouseMove(UINT flags, CPoint point);
    virtual BOOL OnMouseWheel(UINT flags, short delta, CPoint screenPoint);
    virtual void OnKeyDown(UINT vk, UINT repeat, UINT flags);
    virtual void OnKeyUp(UINT vk, UINT repeat, UINT flags);
    virtual void OnChar(UINT ch, UINT repeat, UINT flags);
    virtual void OnSetFocus(CWnd* oldWnd);
    virtual void OnKillFocus(CWnd* newWnd);
    // WM_HSCROLL / WM_VSCROLL; `bar` is null for the window's own scroll bars.
    virtual void OnHScroll(UINT code, UINT pos, CScrollBar* bar);
    virtual void OnVScroll(UINT code, UINT pos, CScrollBar* bar);

protected:
    // Makes the widget of this window under the parent's widget. The default is a plain widget that
    // passes its events to the handlers above; controls, dialogs and frames make their own.
    virtual QWidget* MakeWidget(QWidget* parentWidget, const CREATESTRUCT& cs);
    // Gives the window its widget: an owned one goes with the window.
    void SetWidget(QWidget* widget, bool owned);
    // Registers the handle and links the window under its parent; the first step of every creation.
    void RegisterWindow(CWnd* parent, UINT id);
    void SetStyleBits(DWORD style) { m_style = style; }

private:
    static const platform::WindowWidgetSide& WidgetSide();
    void ReleaseWidget();
    void Unlink();

    UINT m_id = 0;
    DWORD m_style = 0;
    DWORD m_exStyle = 0;
    CFont* m_font = nullptr;
    platform::WindowScrollBarsPtr m_scrollBars{nullptr, nullptr};
    HWND m_parent = nullptr;
    HWND m_owner = nullptr;
    HWND m_attachedTo = nullptr;
    std::vector<HWND> m_children;
    QPointer<QWidget> m_widget;
    bool m_ownsWidget = false;
    // Without a widget the window keeps its own text and rectangle.
    CString m_text;
    CRect m_rect;
    bool m_visible = false;
    bool m_enabled = true;
    // Cleared when the object is deleted, so a deferred PostNcDestroy never reaches a dead object.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

namespace platform {

// The widget side of every window, in the UI library. A window gets a widget or the mouse capture
// only through that library, which installs this table first; a message target never needs it.
struct WindowWidgetSide {
    // Lets the window's widget go; an owned one is deleted once the current event is handled.
    void (*releaseWidget)(CWnd& wnd);
    // Drops the mouse capture if the window holds it; `notify` sends it WM_CAPTURECHANGED.
    void (*dropCapture)(CWnd& wnd, bool notify);
    QWidget* (*makeWidget)(QWidget* parentWidget, const CREATESTRUCT& cs);
    // The window shares its widget with a template's control from now on.
    void (*tagSubclass)(CWnd& wnd);
    // The window's text and font reach its widget.
    void (*showText)(CWnd& wnd);
    void (*showFont)(CWnd& wnd, bool redraw);
};
void InstallWindowWidgetSide(const WindowWidgetSide* side);

}  // namespace platform

namespace platform {

// Whether a window outlived a call that may destroy or delete it (its own handlers may do either).
// Made before the call, it tells afterwards whether the same object still has the same handle;
// a window that had no handle counts as gone.
class WindowWatch {
public:
    explicit WindowWatch(const CWnd& wnd) : m_wnd(&wnd), m_hWnd(wnd.m_hWnd) {}
    bool Alive() const { return m_hWnd && CWnd::FromHandlePermanent(m_hWnd) == m_wnd; }
    bool Gone() const { return !Alive(); }
    // The window while it is alive, else null.
    CWnd* Window() const { return Alive() ? CWnd::FromHandlePermanent(m_hWnd) : nullptr; }
    HWND Handle() const { return m_hWnd; }

private:
    const CWnd* m_wnd;
    HWND m_hWnd;
};

}  // namespace platform

BOOL IsWindow(HWND hwnd);
LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
