#pragma once
// CControlToolTip: a small pop-up that shows a hint, of one or more lines, next to one control
// while the mouse is over it (by default only while the left button is held down there).

#include "platform/gdi/dc.h"
#include "platform/msg/wnd.h"

class CControlToolTip : public CWnd {
public:
    CControlToolTip();
    ~CControlToolTip() override;

    // Makes the tip for `control`, replacing an earlier one, and starts watching the mouse.
    BOOL Create(CWnd* control);
    using CWnd::Create;
    void Destroy();

    void SetText(LPCTSTR text);
    const CString& GetText() const { return m_strText; }
    // 0: at the control's top-left corner, 1: just below the control, 2: just above it.
    void SetPosition(int mode);
    int GetPosition() const { return m_nPosition; }
    // With `own` set the tip paints its own background colour and text colour.
    void SetColours(BOOL own, COLORREF background);
    void SetTextColour(COLORREF colour);
    // With the condition set the tip shows only while the chosen button is held down:
    // SetKey(1) the left button, SetKey(0) the right one.
    void SetMouseKeyCondition(BOOL condition);
    void SetKey(int key);
    // The tip's size in its client coordinates.
    const CRect& GetTextRect() const { return m_rectText; }
    CWnd* GetControl() const { return FromHandlePermanent(m_hControl); }

    void OnPaint() override;
    void OnTimer(UINT_PTR id) override;
    void OnDestroy() override;

private:
    void Measure();
    // Shows the tip at its place beside the control, or hides it when it has no text.
    void Position();

    // The control by its handle, so that a control that goes first is simply not found.
    HWND m_hControl = nullptr;
    CString m_strText;
    CRect m_rectText;
    int m_nPosition = 0;
    COLORREF m_crText;
    COLORREF m_crBackground;
    BOOL m_bOwnColours = FALSE;
    BOOL m_bMouseKeyCondition = TRUE;
    int m_nKey = 1;
};
