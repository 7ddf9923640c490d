#pragma once
// CTitleTip: a small pop-up over a cell that shows the cell's whole text when it does not fit.
// It follows the mouse while the mouse stays over the cell, and hands every other mouse action to
// the window beneath once it has hidden itself.

#include "platform/gdi/dc.h"
#include "platform/msg/wnd.h"

class CTitleTip : public CWnd {
public:
    CTitleTip() = default;
    ~CTitleTip() override;

    BOOL Create(CWnd* pParentWnd);
    using CWnd::Create;
    // rectTitle: the text's place in the parent's client area; the mouse may move inside
    // hoverRect (the title rect without one) while the tip shows.
    void Show(CRect rectTitle, LPCTSTR lpszTitleText, int xoffset = 0,
              LPCRECT lpHoverRect = nullptr, const LOGFONT* lpLogFont = nullptr);
    void Hide();
    BOOL IsShown() const { return IsWindowVisible(); }
    const CString& GetText() const { return m_strText; }

    void OnPaint() override;
    void OnMouseMove(UINT nFlags, CPoint point) override;
    void OnLButtonDown(UINT nFlags, CPoint point) override;
    void OnLButtonUp(UINT nFlags, CPoint point) override;
    void OnLButtonDblClk(UINT nFlags, CPoint point) override;
    void OnRButtonDown(UINT nFlags, CPoint point) override;
    void OnRButtonUp(UINT nFlags, CPoint point) override;
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;

private:
    // Hides the tip and sends the mouse message on to the window beneath the point (tip
    // coordinates), in that window's coordinates.
    void PassOn(UINT msg, UINT nFlags, CPoint point);

    CWnd* m_pParentWnd = nullptr;
    CRect m_rectHover;  // tip coordinates
    CString m_strText;
    LOGFONT m_LogFont;
    bool m_bHasFont = false;
    bool m_bButtonPassed = false;  // a press went on to the window beneath, so will its release
};
