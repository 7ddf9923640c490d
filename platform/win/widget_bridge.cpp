#include "platform/win/widget_bridge.h"

#include <QCloseEvent>
#include <QDialog>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QVariant>
#include <QWheelEvent>

#include "platform/msg/keys.h"
#include "platform/msg/message_pos.h"
#include "platform/msg/wnd.h"
#include "platform/win/system.h"

namespace platform {
namespace {

const PaintContext* g_paint = nullptr;
constexpr const char* kSubclassProperty = "varnelSubclassHwnd";

CWnd* Target(const QWidget* widget) {
    return CWnd::FromHandlePermanent(HandleOfWidget(widget));
}

UINT MouseFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods) {
    UINT f = 0;
    if (buttons & Qt::LeftButton) f |= MK_LBUTTON;
    if (buttons & Qt::RightButton) f |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton) f |= MK_MBUTTON;
    if (mods & Qt::ShiftModifier) f |= MK_SHIFT;
    if (mods & Qt::ControlModifier) f |= MK_CONTROL;
    SetKeyStateForInput(mods & Qt::ShiftModifier, mods & Qt::ControlModifier);
    return f;
}

LPARAM PointParam(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(static_cast<SHORT>(x)),
                      static_cast<WORD>(static_cast<SHORT>(y)));
}

}  // namespace

void TagWidget(QWidget* widget, HWND hwnd) {
    if (widget)
        widget->setProperty(kHandleProperty, QVariant::fromValue(reinterpret_cast<quintptr>(hwnd)));
}

HWND HandleOfWidget(const QWidget* widget) {
    if (!widget) return nullptr;
    return reinterpret_cast<HWND>(widget->property(kHandleProperty).value<quintptr>());
}

void TagSubclass(QWidget* widget, HWND hwnd) {
    if (widget)
        widget->setProperty(kSubclassProperty,
                            QVariant::fromValue(reinterpret_cast<quintptr>(hwnd)));
}

CWnd* SubclassOfWidget(const QWidget* widget) {
    if (!widget) return nullptr;
    const auto h = reinterpret_cast<HWND>(widget->property(kSubclassProperty).value<quintptr>());
    if (CWnd* attached = CWnd::FromHandlePermanent(h)) return attached;
    return Target(widget);
}

const PaintContext* CurrentPaint() {
    return g_paint;
}

bool ForwardPaint(QWidget* widget, const CRect& rect) {
    CWnd* wnd = Target(widget);
    if (!wnd) return false;
    PaintContext ctx{widget, rect};
    const PaintContext* outer = g_paint;
    g_paint = &ctx;
    wnd->SendMessage(WM_PAINT);
    g_paint = outer;
    return true;
}

bool ForwardMouse(QWidget* widget, QMouseEvent* e, UINT msg) {
    CWnd* wnd = Target(widget);
    if (!wnd) return false;
    const QPoint p = e->position().toPoint();
    const QPoint g = e->globalPosition().toPoint();
    SetMessagePos(g.x(), g.y());
    const HWND hwnd = wnd->m_hWnd;
    SetMouseWindow(wnd);
    // Windows asks the window for its cursor before each move, unless a window has the capture.
    if (msg == WM_MOUSEMOVE && !CWnd::GetCapture()) {
        wnd->SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd),
                         MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        wnd = CWnd::FromHandlePermanent(hwnd);
        if (!wnd) return false;
    }
    // Windows reports the buttons held after the event; Qt's buttons() already is that.
    wnd->SendMessage(msg, MouseFlags(e->buttons(), e->modifiers()), PointParam(p.x(), p.y()));
    return true;
}

UINT CharOfKey(const QKeyEvent* e) {
    switch (e->key()) {
        case Qt::Key_Backspace:
            return 8;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return 9;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return 13;
        case Qt::Key_Escape:
            return 27;
        default: {
            const QString text = e->text();
            if (!text.isEmpty() && text.at(0).unicode() >= 0x20) return text.at(0).unicode();
            return 0;
        }
    }
}

bool ForwardKeyPress(CWnd* w, QKeyEvent* e) {
    if (!w) return false;
    const HWND hwnd = w->m_hWnd;
    SetKeyStateForInput(e->modifiers() & Qt::ShiftModifier, e->modifiers() & Qt::ControlModifier);
    const UINT vk = VirtualKeyFromQt(e->key());
    const UINT repeat = 1;
    if (vk) w->SendMessage(WM_KEYDOWN, vk, repeat);
    // The key handler may have destroyed the window.
    w = CWnd::FromHandlePermanent(hwnd);
    if (!w) return false;
    if (const UINT ch = CharOfKey(e)) w->SendMessage(WM_CHAR, ch, repeat);
    return CWnd::FromHandlePermanent(hwnd) != nullptr;
}

bool ForwardKeyRelease(CWnd* w, QKeyEvent* e) {
    if (!w) return false;
    const HWND hwnd = w->m_hWnd;
    SetKeyStateForInput(e->modifiers() & Qt::ShiftModifier, e->modifiers() & Qt::ControlModifier);
    if (const UINT vk = VirtualKeyFromQt(e->key())) w->SendMessage(WM_KEYUP, vk, 1);
    return CWnd::FromHandlePermanent(hwnd) != nullptr;
}

bool PassToSubclass(CWnd* wnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (!wnd || msg == WM_CREATE || msg == WM_DESTROY) return false;
    CWnd* subclass = SubclassOfWidget(wnd->GetWidget());
    if (!subclass || subclass == wnd) return false;
    if (msg == WM_SIZE) {
        // The subclass keeps its own scroll bars on the widget, and so its own client area.
        subclass->LayoutScrollBars();
        CRect client;
        subclass->GetClientRect(&client);
        lParam = PointParam(client.Width(), client.Height());
    }
    result = subclass->SendMessage(msg, wParam, lParam);
    return true;
}

WndWidget::WndWidget(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
}

void WndWidget::paintEvent(QPaintEvent* e) {
    const QRect r = e->rect();
    ForwardPaint(this, CRect(r.left(), r.top(), r.right() + 1, r.bottom() + 1));
}

void WndWidget::resizeEvent(QResizeEvent*) {
    if (CWnd* w = Target(this)) {
        w->LayoutScrollBars();
        CRect client;
        w->GetClientRect(&client);
        w->SendMessage(WM_SIZE, 0, PointParam(client.Width(), client.Height()));
    }
}

void WndWidget::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton)
        ForwardMouse(this, e, WM_LBUTTONDOWN);
    else if (e->button() == Qt::RightButton)
        ForwardMouse(this, e, WM_RBUTTONDOWN);
}

void WndWidget::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton)
        ForwardMouse(this, e, WM_LBUTTONUP);
    else if (e->button() == Qt::RightButton)
        ForwardMouse(this, e, WM_RBUTTONUP);
}

void WndWidget::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton)
        ForwardMouse(this, e, WM_LBUTTONDBLCLK);
    else
        mousePressEvent(e);
}

void WndWidget::mouseMoveEvent(QMouseEvent* e) {
    ForwardMouse(this, e, WM_MOUSEMOVE);
}

void WndWidget::wheelEvent(QWheelEvent* e) {
    CWnd* w = Target(this);
    if (!w) return;
    const QPoint g = e->globalPosition().toPoint();
    const UINT keys = MouseFlags(e->buttons(), e->modifiers());
    const int delta = e->angleDelta().y();
    w->SendMessage(
        WM_MOUSEWHEEL,
        MAKEWPARAM(static_cast<WORD>(keys), static_cast<WORD>(static_cast<SHORT>(delta))),
        PointParam(g.x(), g.y()));
}

void WndWidget::keyPressEvent(QKeyEvent* e) {
    CWnd* w = Target(this);
    // Inside a dialog Escape is the dialog's Cancel, from a property page too, unless the window
    // asks for every key.
    if (e->key() == Qt::Key_Escape && window() != this && qobject_cast<QDialog*>(window()) &&
        !(w && (w->SendMessage(WM_GETDLGCODE) & DLGC_WANTALLKEYS))) {
        e->ignore();
        return;
    }
    if (w) ForwardKeyPress(w, e);
}

void WndWidget::keyReleaseEvent(QKeyEvent* e) {
    ForwardKeyRelease(Target(this), e);
}

void WndWidget::focusInEvent(QFocusEvent*) {
    if (CWnd* w = Target(this)) w->SendMessage(WM_SETFOCUS);
}

void WndWidget::focusOutEvent(QFocusEvent*) {
    if (CWnd* w = Target(this)) w->SendMessage(WM_KILLFOCUS);
}

void WndWidget::closeEvent(QCloseEvent* e) {
    e->ignore();  // the window's OnClose decides
    if (CWnd* w = Target(this)) w->SendMessage(WM_CLOSE);
}

}  // namespace platform
