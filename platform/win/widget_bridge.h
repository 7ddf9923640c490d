#pragma once
// The Qt side of a window: widgets that pass their events on to the window that owns them, found
// through its handle at each event.

#include <QWidget>

#include "platform/base/geometry.h"
#include "platform/base/types.h"

class CWnd;
class QKeyEvent;
class QMouseEvent;

namespace platform {

// The widget property that names a widget's window handle.
constexpr const char* kHandleProperty = "varnelHwnd";
void TagWidget(QWidget* widget, HWND hwnd);
HWND HandleOfWidget(const QWidget* widget);
// The window that SubclassDlgItem attached to a widget draws the widget's owner-drawn items.
void TagSubclass(QWidget* widget, HWND hwnd);
// That window while it exists, else the widget's own.
CWnd* SubclassOfWidget(const QWidget* widget);

// The widget being painted while WM_PAINT is handled, for the paint DC.
struct PaintContext {
    QWidget* widget = nullptr;
    CRect rect;  // the part to repaint
};
const PaintContext* CurrentPaint();

// Forwards one widget event to its window; each returns false when the window is gone.
bool ForwardPaint(QWidget* widget, const CRect& rect);
bool ForwardMouse(QWidget* widget, QMouseEvent* event, UINT msg);
// A key press becomes WM_KEYDOWN and, when the key types a character, WM_CHAR.
bool ForwardKeyPress(CWnd* wnd, QKeyEvent* event);
// A key release becomes WM_KEYUP.
bool ForwardKeyRelease(CWnd* wnd, QKeyEvent* event);
// The character a key press types (Backspace, Tab, Enter and Esc included), 0 for none.
UINT CharOfKey(const QKeyEvent* event);

// For a window that passes its messages on, as one whose procedure a subclass replaced: hands
// the message to the window SubclassDlgItem attached to it and returns true, or returns false
// when none is attached. Creation and destruction stay each window's own.
bool PassToSubclass(CWnd* wnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

// The plain widget of a window: every input and paint event becomes the window's message.
class WndWidget : public QWidget {
public:
    explicit WndWidget(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool focusNextPrevChild(bool) override { return false; }  // Tab is the window's key
};

}  // namespace platform
