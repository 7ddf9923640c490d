#pragma once
// CNewLabel: a static text that draws itself: its own colours and font, an optional picture, a
// border, blinking text or background, a hover colour and cursor, a tooltip, a click that opens
// its text as a link, a password mask, and text turned by 90, 180 or 270 degrees.

#include "controls/control_tooltip.h"
#include "platform/gdi/dc.h"
#include "platform/ui/controls.h"
#include "platform/win/system.h"

#include <memory>

class CNewLabel : public CStatic {
public:
    // The alignment word: one horizontal and one vertical choice.
    static constexpr UINT kAlignLeft = 1;
    static constexpr UINT kAlignCentre = 2;
    static constexpr UINT kAlignRight = 4;
    static constexpr UINT kAlignTop = 8;
    static constexpr UINT kAlignMiddle = 16;
    static constexpr UINT kAlignBottom = 32;
    // What the password mode shows.
    static constexpr const char* kPasswordMask = "**********";

    CNewLabel();
    ~CNewLabel() override;

    void SetBkColor(COLORREF colour);
    void SetSysBkColor();
    void SetHighlightColor(COLORREF colour);
    void SetSysHighlightColor();
    void SetTextColor(COLORREF colour);
    void SetSysTextColor();
    void SetHoverColor(COLORREF colour);
    COLORREF GetBkColor() const;
    COLORREF GetTextColor() const;

    void SetFontBold(BOOL bold);
    void SetFontItalic(BOOL italic);
    void SetFontUnderline(BOOL underline);
    // Cut to the face a LOGFONT holds, at a character boundary.
    void SetFontName(LPCTSTR name);
    // The LOGFONT height: negative for the character height in pixels.
    void SetFontSize(int height);
    const LOGFONT& GetLogFont() const { return m_lf; }

    // Periods below 10 ms count as 10 ms.
    void FlashText(BOOL on, UINT periodMs = 500);
    void FlashBackground(BOOL on, UINT periodMs = 500);

    // A bitmap resource id; -1 for none.
    void SetBitmap(int id);
    void SetBitmapStretch(BOOL stretch);
    // The cursor shown over the label: a standard cursor's id (32649 is the hand); 0 for none.
    void SetLinkCursor(UINT id);
    void SetCursor(UINT id) { SetLinkCursor(id); }
    // A click opens the text (an address or a file) with the desktop.
    void SetLink(BOOL link);

    void SetSunken(BOOL sunken);
    void SetBorder(BOOL border);
    void SetTransparent(BOOL transparent);
    // With it set the label is painted as a plain static.
    void SetDefaultPainting(BOOL plain);

    void SetText(LPCTSTR text);
    CString GetText() const { return m_strText; }
    void SetPasswordMode(BOOL password);
    void SetAlignment(UINT bits);
    // 0, 90, 180 or 270 degrees clockwise.
    void SetRotation(int angle);

    void SetTooltip(BOOL on);
    void SetTooltipText(LPCTSTR text);
    void SetTooltipPosition(int mode);
    void SetTooltipKeyCondition(BOOL condition);
    void SetTooltipKey(int key);
    CControlToolTip& GetTooltip() { return m_tooltip; }

    void SetWindowText(LPCTSTR text) override;
    CString GetWindowText() const override;

    void OnPaint() override;
    BOOL OnEraseBkgnd(CDC* dc) override;
    void OnTimer(UINT_PTR id) override;
    void OnMouseMove(UINT flags, CPoint point) override;
    void OnLButtonDown(UINT flags, CPoint point) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    QWidget* MakeWidget(QWidget* parentWidget, const CREATESTRUCT& cs) override;
    void PreSubclassWindow() override;

private:
    void Redraw();
    void RebuildFont();
    void RebuildBrush();
    // What the window shows: the text, the mask, or nothing while a blink hides it.
    void ShowText(const CString& shown);
    CString Displayed() const;
    // As a static: without SS_NOPREFIX an "&" marks a mnemonic.
    UINT PrefixFlag() const { return GetStyle() & SS_NOPREFIX ? DT_NOPREFIX : 0; }
    COLORREF CurrentTextColour() const;
    void PaintPlain(CDC& dc, const CRect& client);

    COLORREF m_crBk;
    CBrush m_brBk;
    COLORREF m_crHighlight;
    COLORREF m_crText;
    COLORREF m_crSavedText;
    COLORREF m_crHover;
    BOOL m_bDefaultPainting = FALSE;
    BOOL m_bSysBk = TRUE;
    BOOL m_bSysHighlight = TRUE;
    BOOL m_bSysText = TRUE;
    BOOL m_bFlashText = FALSE;
    BOOL m_bFlashBk = FALSE;
    BOOL m_bLink = FALSE;
    BOOL m_bPassword = FALSE;
    int m_nAngle = 0;
    BOOL m_bTooltip = FALSE;
    BOOL m_bHover = FALSE;
    BOOL m_bTextHidden = FALSE;
    BOOL m_bBkToggled = FALSE;
    BOOL m_bStretch = FALSE;
    BOOL m_bGuard = FALSE;
    LOGFONT m_lf;
    CFont m_font;
    std::unique_ptr<CBitmap> m_bitmap;
    HCURSOR m_hCursor = nullptr;
    UINT m_nAlignment = 0;
    CString m_strText;
    CString m_strTooltip;
    CControlToolTip m_tooltip;
};
