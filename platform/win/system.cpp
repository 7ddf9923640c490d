#include "platform/win/system.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <cstdlib>

#include "platform/base/registry.h"
#include "platform/msg/wnd.h"

namespace {

QPointer<QWidget> g_mouseWidget;
HCURSOR g_cursor = nullptr;
CRect g_clip;
bool g_clipped = false;

Qt::CursorShape ShapeOf(HCURSOR cursor) {
    switch (reinterpret_cast<std::uintptr_t>(cursor)) {
        case 32513:
            return Qt::IBeamCursor;
        case 32514:
            return Qt::WaitCursor;
        case 32515:
            return Qt::CrossCursor;
        case 32642:
            return Qt::SizeFDiagCursor;
        case 32643:
            return Qt::SizeBDiagCursor;
        case 32644:
            return Qt::SizeHorCursor;
        case 32645:
            return Qt::SizeVerCursor;
        case 32646:
            return Qt::SizeAllCursor;
        case 32648:
            return Qt::ForbiddenCursor;
        case 32649:
            return Qt::PointingHandCursor;
        default:
            return Qt::ArrowCursor;
    }
}

}  // namespace

int GetSystemMetrics(int index) {
    switch (index) {
        case SM_CXSCREEN:
        case SM_CYSCREEN: {
            const QScreen* screen = QGuiApplication::primaryScreen();
            if (!screen) return 0;
            return index == SM_CXSCREEN ? screen->geometry().width() : screen->geometry().height();
        }
        case SM_CXVSCROLL:
        case SM_CYHSCROLL:
            return 17;
        case SM_CXBORDER:
        case SM_CYBORDER:
            return 1;
        default:
            return 0;
    }
}

BOOL SystemParametersInfo(UINT action, UINT, void* param, UINT) {
    if (action == SPI_GETWORKAREA && param) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (!screen) return FALSE;
        const QRect a = screen->availableGeometry();
        *static_cast<RECT*>(param) =
            CRect(a.left(), a.top(), a.left() + a.width(), a.top() + a.height());
        return TRUE;
    }
    if (action != SPI_GETWHEELSCROLLLINES || !param) return FALSE;
    UINT lines = static_cast<UINT>(std::max(0, QApplication::wheelScrollLines()));
    CRegKey key;
    CString text;
    if (key.Open(HKEY_CURRENT_USER, "Control Panel\\Desktop") == ERROR_SUCCESS &&
        key.QueryStringValue("WheelScrollLines", text) == ERROR_SUCCESS) {
        // Windows keeps it as decimal text; "-1" (or any larger value) means a page per notch.
        char* end = nullptr;
        const long long v = std::strtoll(text.GetString(), &end, 10);
        if (end != text.GetString()) lines = static_cast<UINT>(v);
    }
    *static_cast<UINT*>(param) = lines;
    return TRUE;
}

HCURSOR LoadCursor(void* instance, LPCTSTR name) {
    const auto id = reinterpret_cast<std::uintptr_t>(name);
    if (instance || id < 32512 || id > 32649) return nullptr;
    return reinterpret_cast<HCURSOR>(id);
}

HCURSOR SetCursor(HCURSOR cursor) {
    const HCURSOR old = g_cursor;
    g_cursor = cursor;
    QWidget* target = nullptr;
    if (CWnd* capture = CWnd::GetCapture()) target = capture->GetWidget();
    if (!target) target = g_mouseWidget.data();
    if (target) {
        if (cursor)
            target->setCursor(ShapeOf(cursor));
        else
            target->setCursor(Qt::BlankCursor);
    }
    return old;
}

HCURSOR GetCursor() {
    return g_cursor;
}

namespace {

std::function<POINT()>& CursorPosSource() {
    static std::function<POINT()> source;
    return source;
}

std::function<SHORT(int)>& AsyncKeyStateSource() {
    static std::function<SHORT(int)> source;
    return source;
}

}  // namespace

void platform::SetCursorPosSource(std::function<POINT()> source) {
    CursorPosSource() = std::move(source);
}

void platform::SetAsyncKeyStateSource(std::function<SHORT(int)> source) {
    AsyncKeyStateSource() = std::move(source);
}

SHORT GetAsyncKeyState(int vk) {
    if (AsyncKeyStateSource()) return AsyncKeyStateSource()(vk);
    constexpr SHORT kDown = static_cast<SHORT>(0x8000);
    const Qt::MouseButtons buttons = QGuiApplication::mouseButtons();
    switch (vk) {
        case VK_LBUTTON:
            return buttons & Qt::LeftButton ? kDown : 0;
        case VK_RBUTTON:
            return buttons & Qt::RightButton ? kDown : 0;
        case VK_MBUTTON:
            return buttons & Qt::MiddleButton ? kDown : 0;
        default:
            return GetKeyState(vk) < 0 ? kDown : 0;
    }
}

BOOL GetCursorPos(LPPOINT point) {
    if (!point) return FALSE;
    if (CursorPosSource()) {
        *point = CursorPosSource()();
        return TRUE;
    }
    const QPoint p = QCursor::pos();
    point->x = p.x(), point->y = p.y();
    return TRUE;
}

BOOL SetCursorPos(int x, int y) {
    QCursor::setPos(x, y);
    return TRUE;
}

BOOL ClipCursor(LPCRECT rect) {
    g_clipped = rect != nullptr;
    g_clip = rect ? CRect(*rect) : CRect();
    return TRUE;
}

BOOL GetClipCursor(LPRECT rect) {
    if (!rect) return FALSE;
    if (g_clipped) {
        *rect = g_clip;
    } else {
        const QScreen* screen = QGuiApplication::primaryScreen();
        const QRect g = screen ? screen->geometry() : QRect();
        *rect = CRect(g.left(), g.top(), g.left() + g.width(), g.top() + g.height());
    }
    return TRUE;
}

CWaitCursor::CWaitCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}
CWaitCursor::~CWaitCursor() {
    QApplication::restoreOverrideCursor();
}

namespace platform {
void SetMouseWindow(CWnd* wnd) {
    g_mouseWidget = wnd ? wnd->GetWidget() : nullptr;
}
}  // namespace platform
