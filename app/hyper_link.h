#pragma once
// CHyperLink: a static text that is a web link: underlined in the link colours, a hand pointer,
// the address as its tooltip, opened by a click or the space bar with the desktop's browser.

#include "platform/ui/controls.h"
#include "platform/ui/tooltip_ctrl.h"
#include "platform/win/system.h"

class CHyperLink : public CStatic {
public:
    // Style bits.
    static constexpr DWORD kUnderline = 1;
    static constexpr DWORD kUseHover = 2;
    static constexpr DWORD kAutoSize = 4;
    static constexpr DWORD kDownClick = 8;
    static constexpr DWORD kGetFocusOnClick = 16;
    static constexpr DWORD kNoHandCursor = 32;
    static constexpr DWORD kNoActiveColour = 64;
    static constexpr DWORD kDefaultStyle = kUnderline | kAutoSize | kGetFocusOnClick;

    CHyperLink();
    ~CHyperLink() override;

    void SetURL(const CString& url);
    CString GetURL() const { return m_url; }
    void SetWindowText(LPCTSTR text) override;
    void SetVisited(BOOL visited = TRUE);
    BOOL GetVisited() const { return m_visited; }
    // Refused (FALSE) when the two sets share a bit.
    BOOL ModifyLinkStyle(DWORD remove, DWORD add, BOOL redraw = TRUE);
    DWORD GetLinkStyle() const { return m_style; }

    // Shared by every link of the program; a hover colour of -1 is the system's highlight.
    static void SetColours(COLORREF link, COLORREF active, COLORREF visited,
                           COLORREF hover = static_cast<COLORREF>(-1));
    static COLORREF GetLinkColour() { return s_link; }
    static COLORREF GetActiveColour() { return s_active; }
    static COLORREF GetVisitedColour() { return s_visited; }
    static COLORREF GetHoverColour() { return s_hover; }
    static void SetLinkCursor(HCURSOR cursor);
    static HCURSOR GetLinkCursor() { return s_cursor; }

    // The colour the text is drawn in now.
    COLORREF GetTextColour() const;
    BOOL IsHovering() const { return m_hover; }
    BOOL IsPressed() const { return m_pressed; }
    CToolTipCtrl& GetToolTip() { return m_toolTip; }
    // Opens the address; a failure is told to the user. True when it opened.
    bool FollowLink();

    // "Can't open link:\n\n" and the text for a ShellExecute failure code.
    static CString ErrorText(int code);

protected:
    void PreSubclassWindow() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnMouseMove(UINT flags, CPoint point) override;
    void OnLButtonDown(UINT flags, CPoint point) override;
    void OnLButtonUp(UINT flags, CPoint point) override;
    void OnSetFocus(CWnd* oldWnd) override;
    void OnKillFocus(CWnd* newWnd) override;
    void OnKeyDown(UINT vk, UINT repeat, UINT flags) override;
    // The desktop's open; a test stands in for it.
    virtual INT_PTR ShellOpen(const CString& url);

private:
    bool IsShown() const;
    void MakeLinkFont();
    void PositionWindow();
    // The text colour and font onto the widget.
    void Repaint();

    BOOL m_pressed = FALSE;
    BOOL m_hover = FALSE;
    BOOL m_visited = FALSE;
    DWORD m_style = kDefaultStyle;
    CString m_url;
    CToolTipCtrl m_toolTip;

    static COLORREF s_link;
    static COLORREF s_active;
    static COLORREF s_visited;
    static COLORREF s_hover;
    static HCURSOR s_cursor;
};
