#pragma once
// The standard scroll bars of a window (WS_HSCROLL, WS_VSCROLL). They sit along the right and
// bottom edges inside the window's widget, and the client area is what they leave free. The
// window keeps their range, page and position; the user's actions on a bar become WM_HSCROLL and
// WM_VSCROLL messages, and the bar's thumb moves only when the window sets the position (or while
// the user drags it), as on Windows.

#include <QPointer>
#include <array>
#include <memory>

#include "platform/base/geometry.h"
#include "platform/msg/scroll_info.h"

class CWnd;
class QScrollBar;
class QWidget;

namespace platform {

class WindowScrollBars {
public:
    explicit WindowScrollBars(CWnd* owner) : m_owner(owner) {}
    WindowScrollBars(const WindowScrollBars&) = delete;
    WindowScrollBars& operator=(const WindowScrollBars&) = delete;
    ~WindowScrollBars();

    // bar: SB_HORZ or SB_VERT. The position is kept within nMin .. nMax - nPage + 1.
    void SetInfo(int bar, const SCROLLINFO& info);
    SCROLLINFO Info(int bar) const { return m_info[Index(bar)]; }
    // Returns whether the client area changed.
    bool Show(int bar, bool show);
    bool IsShown(int bar) const { return m_shown[Index(bar)]; }
    // The client area of a widget of this size.
    CRect Client(int width, int height) const;
    // Places the bars along the widget's edges (after a resize).
    void Layout();

private:
    static int Index(int bar) { return bar == 1 ? 1 : 0; }
    void Mirror(int index);
    QScrollBar* Make(int index);
    void OnAction(int index, int action);
    void OnReleased(int index);

    CWnd* m_owner;
    std::array<SCROLLINFO, 2> m_info{};
    std::array<bool, 2> m_shown{false, false};
    std::array<QPointer<QScrollBar>, 2> m_bars;
};

WindowScrollBarsPtr MakeWindowScrollBars(CWnd* owner);

}  // namespace platform
