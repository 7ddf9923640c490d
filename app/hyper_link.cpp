#include "app/hyper_link.h"

#include <QApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>

#include "platform/gdi/gdi.h"
#include "platform/msg/keys.h"
#include "platform/ui/modal_host.h"
#include "platform/ui/shell.h"

COLORREF CHyperLink::s_link = RGB(0, 0, 255);
COLORREF CHyperLink::s_active = RGB(128, 0, 128);
COLORREF CHyperLink::s_visited = RGB(128, 0, 128);
COLORREF CHyperLink::s_hover = RGB(255, 0, 0);
HCURSOR CHyperLink::s_cursor = nullptr;

namespace {

// A label has no window procedure of its own: its mouse, key and focus events are handed to the
// link as the messages Windows would send.
class LinkEvents : public QObject {
public:
    LinkEvents(QObject* parent, HWND link) : QObject(parent), m_link(link) {}

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        CWnd* link = CWnd::FromHandlePermanent(m_link);
        if (!link) return false;
        auto mouse = [&](UINT msg) {
            const QPoint p = static_cast<QMouseEvent*>(e)->position().toPoint();
            platform::SetMouseWindow(link);
            link->SendMessage(msg, 0,
                              MAKELPARAM(static_cast<WORD>(p.x()), static_cast<WORD>(p.y())));
            return true;
        };
        switch (e->type()) {
            case QEvent::MouseMove:
                return mouse(WM_MOUSEMOVE);
            case QEvent::MouseButtonPress:
                return static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton &&
                       mouse(WM_LBUTTONDOWN);
            case QEvent::MouseButtonRelease:
                return static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton &&
                       mouse(WM_LBUTTONUP);
            case QEvent::Leave:
                // Leaving: a move outside the client area.
                link->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(0xFFFF, 0xFFFF));
                return false;
            case QEvent::KeyPress:
                // Space opens the link; other keys keep their usual meaning (Tab moves on).
                if (static_cast<QKeyEvent*>(e)->key() != Qt::Key_Space) return false;
                link->SendMessage(WM_KEYDOWN, VK_SPACE);
                return true;
            case QEvent::FocusIn:
                link->SendMessage(WM_SETFOCUS);
                return false;
            case QEvent::FocusOut:
                link->SendMessage(WM_KILLFOCUS);
                return false;
            default:
                return false;
        }
    }

private:
    HWND m_link;
};

}  // namespace

CHyperLink::CHyperLink() = default;
CHyperLink::~CHyperLink() = default;

void CHyperLink::SetColours(COLORREF link, COLORREF active, COLORREF visited, COLORREF hover) {
    s_link = link;
    s_active = active;
    s_visited = visited;
    s_hover = hover == static_cast<COLORREF>(-1) ? GetSysColor(COLOR_HIGHLIGHT) : hover;
}

void CHyperLink::SetLinkCursor(HCURSOR cursor) {
    s_cursor = cursor;
}

COLORREF CHyperLink::GetTextColour() const {
    if (m_hover && (m_style & kUseHover)) return s_hover;
    if (m_pressed && !(m_style & kNoActiveColour)) return s_active;
    if (m_visited) return s_visited;
    return s_link;
}

void CHyperLink::PreSubclassWindow() {
    CStatic::PreSubclassWindow();
    if (m_url.IsEmpty()) m_url = GetWindowText();
    if (GetWindowText().IsEmpty()) CStatic::SetWindowText(m_url);
    if (QWidget* w = GetWidget()) {
        w->setMouseTracking(true);
        w->setFocusPolicy(Qt::StrongFocus);
        w->installEventFilter(new LinkEvents(w, m_hWnd));
    }
    MakeLinkFont();
    PositionWindow();
    if (!s_cursor && !(m_style & kNoHandCursor)) s_cursor = LoadCursor(nullptr, IDC_HAND);
    m_toolTip.Create(this);
    m_toolTip.AddTool(this, m_url);
    Repaint();
}

void CHyperLink::SetURL(const CString& url) {
    m_url = url;
    if (!GetSafeHwnd()) return;
    const bool shown = IsShown();
    if (shown) ShowWindow(SW_HIDE);
    if (GetWindowText().IsEmpty()) CStatic::SetWindowText(url);
    PositionWindow();
    m_toolTip.UpdateTipText(url, this);
    if (shown) ShowWindow(SW_SHOW);
}

void CHyperLink::SetWindowText(LPCTSTR text) {
    if (!GetSafeHwnd()) return CStatic::SetWindowText(text);
    const bool shown = IsShown();
    if (shown) ShowWindow(SW_HIDE);
    CStatic::SetWindowText(text);
    PositionWindow();
    if (shown) ShowWindow(SW_SHOW);
}

bool CHyperLink::IsShown() const {
    const QWidget* w = GetWidget();
    return w && !w->isHidden();
}

void CHyperLink::SetVisited(BOOL visited) {
    m_visited = visited ? TRUE : FALSE;
    if (GetSafeHwnd()) Repaint();
}

BOOL CHyperLink::ModifyLinkStyle(DWORD remove, DWORD add, BOOL redraw) {
    if (remove & add) return FALSE;
    const DWORD old = m_style;
    m_style = (m_style & ~remove) | add;
    if (redraw && GetSafeHwnd()) {
        if ((old ^ m_style) & kUnderline) MakeLinkFont();
        if (add & kAutoSize) PositionWindow();
        if (remove & kUseHover) Repaint();
    }
    return TRUE;
}

void CHyperLink::MakeLinkFont() {
    if (QWidget* w = GetWidget()) {
        QFont f = w->font();
        f.setUnderline((m_style & kUnderline) != 0);
        w->setFont(f);
    }
}

void CHyperLink::Repaint() {
    QWidget* w = GetWidget();
    if (!w) return;
    const COLORREF c = GetTextColour();
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, QColor(GetRValue(c), GetGValue(c), GetBValue(c)));
    w->setPalette(p);
    w->setAutoFillBackground(false);
    w->update();
}

void CHyperLink::PositionWindow() {
    QWidget* w = GetWidget();
    if (!w || !(m_style & kAutoSize)) return;
    const QFontMetrics metrics(w->font());
    const QSize text = metrics.size(Qt::TextSingleLine, GetWindowText().ToQString());
    const QRect old = w->geometry();
    QRect r = old;
    const DWORD style = GetStyle();
    if (style & SS_CENTERIMAGE) {
        r.setTop(old.top() + (old.height() - text.height()) / 2);
        r.setHeight(text.height());
    } else {
        r.setHeight(text.height());
    }
    const DWORD type = style & SS_TYPEMASK;
    if (type == SS_CENTER) {
        r.setLeft(old.left() + (old.width() - text.width()) / 2);
        r.setWidth(text.width());
    } else if (type == SS_RIGHT) {
        r.setLeft(old.right() + 1 - text.width());
        r.setWidth(text.width());
    } else {
        r.setWidth(text.width());
    }
    MoveWindow(r.left(), r.top(), r.width(), r.height());
}

LRESULT CHyperLink::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    // The whole client area answers the mouse, and the link shows its own pointer.
    if (msg == WM_MOUSEMOVE && s_cursor) ::SetCursor(s_cursor);
    return CStatic::WindowProc(msg, wParam, lParam);
}

void CHyperLink::OnMouseMove(UINT, CPoint point) {
    CRect client;
    GetClientRect(&client);
    const bool inside = client.PtInRect(point);
    if (inside && !m_hover) {
        m_hover = TRUE;
        Repaint();
        SetCapture();
    } else if (!inside && m_hover) {
        m_hover = FALSE;
        ReleaseCapture();
        Repaint();
    }
}

void CHyperLink::OnLButtonDown(UINT, CPoint) {
    if (m_style & kGetFocusOnClick) SetFocus();
    if (m_style & kDownClick) FollowLink();
    m_pressed = TRUE;
}

void CHyperLink::OnLButtonUp(UINT, CPoint) {
    if (m_pressed && !(m_style & kDownClick)) FollowLink();
}

void CHyperLink::OnSetFocus(CWnd*) {
    m_pressed = TRUE;
    Repaint();
}

void CHyperLink::OnKillFocus(CWnd*) {
    m_hover = FALSE;
    m_pressed = FALSE;
    Repaint();
}

void CHyperLink::OnKeyDown(UINT vk, UINT repeat, UINT flags) {
    if (vk == VK_SPACE)
        FollowLink();
    else
        CStatic::OnKeyDown(vk, repeat, flags);
}

INT_PTR CHyperLink::ShellOpen(const CString& url) {
    return reinterpret_cast<INT_PTR>(ShellExecute(nullptr, "open", url, nullptr, nullptr, SW_SHOW));
}

bool CHyperLink::FollowLink() {
    // The desktop's own open is the only one there is: no second command line to try.
    const INT_PTR result = ShellOpen(m_url);
    if (result > 32) {
        SetVisited(TRUE);
        return true;
    }
    QApplication::beep();
    AfxMessageBox(ErrorText(static_cast<int>(result)), MB_ICONEXCLAMATION | MB_OK);
    return false;
}

CString CHyperLink::ErrorText(int code) {
    const char* text = nullptr;
    switch (code) {
        case 0:
            text = "The operating system is out\nof memory or resources.";
            break;
        case 2:
            text = "The specified file was not found.";
            break;
        case 3:
            text = "The specified path was not found.";
            break;
        case 5:
            text = "The operating system denied\naccess to the specified file.";
            break;
        case 8:
            text = "There was not enough memory to complete the operation.";
            break;
        case 11:
            text = "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
            break;
        case 26:
            text = "A sharing violation occurred. ";
            break;
        case 27:
            text = "The filename association is\nincomplete or invalid.";
            break;
        case 28:
            text = "The DDE transaction could not\nbe completed because the request timed out.";
            break;
        case 29:
            text = "The DDE transaction failed.";
            break;
        case 30:
            text =
                "The DDE transaction could not\nbe completed because other DDE "
                "transactions\nwere being processed.";
            break;
        case 31:
            text = "There is no application associated\nwith the given filename extension.";
            break;
        case 32:
            text = "The specified dynamic-link library was not found.";
            break;
        default:
            return CString("Can't open link:\n\n") +
                   CString::Formatted("Unknown Error (%d) occurred.", code);
    }
    return CString("Can't open link:\n\n") + text;
}
