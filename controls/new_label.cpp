#include "controls/new_label.h"

#include <algorithm>

#include "controls/text_rotator.h"
#include "platform/gdi/fonts.h"
#include "platform/ui/shell.h"
#include "platform/win/widget_bridge.h"

namespace {

constexpr UINT_PTR kTextBlinkTimer = 1;
constexpr UINT_PTR kBackgroundBlinkTimer = 2;
// Windows' timers run no faster.
constexpr UINT kShortestPeriodMs = 10;

}  // namespace

CNewLabel::CNewLabel()
    : m_crBk(GetSysColor(COLOR_BTNFACE)),
      m_crHighlight(GetSysColor(COLOR_BTNFACE)),
      m_crText(GetSysColor(COLOR_WINDOWTEXT)),
      m_crSavedText(m_crText),
      m_crHover(GetSysColor(COLOR_HIGHLIGHT)) {
    static_cast<CFont*>(platform::StockObject(DEFAULT_GUI_FONT))->GetLogFont(&m_lf);
    m_font.CreateFontIndirect(&m_lf);
    m_brBk.CreateSolidBrush(m_crBk);
}

CNewLabel::~CNewLabel() {
    m_tooltip.Destroy();
}

QWidget* CNewLabel::MakeWidget(QWidget* parentWidget, const CREATESTRUCT&) {
    auto* widget = new platform::WndWidget(parentWidget);
    widget->setFocusPolicy(Qt::NoFocus);
    return widget;
}

void CNewLabel::PreSubclassWindow() {
    CStatic::PreSubclassWindow();
    CWnd::SetFont(&m_font, FALSE);
    // The text a template gave the control is the label's own.
    if (m_strText.IsEmpty()) m_strText = CWnd::GetWindowText();
    if (m_bTooltip) SetTooltip(TRUE);
}

void CNewLabel::Redraw() {
    if (!m_hWnd) return;
    Invalidate();
    UpdateWindow();
}

// ---- colours ----

COLORREF CNewLabel::GetBkColor() const {
    return m_bSysBk ? GetSysColor(COLOR_BTNFACE) : m_crBk;
}

COLORREF CNewLabel::GetTextColor() const {
    return m_bSysText ? GetSysColor(COLOR_WINDOWTEXT) : m_crText;
}

void CNewLabel::RebuildBrush() {
    m_brBk.DeleteObject();
    m_brBk.CreateSolidBrush(GetBkColor());
}

void CNewLabel::SetBkColor(COLORREF colour) {
    m_crBk = colour;
    m_bSysBk = FALSE;
    RebuildBrush();
    Redraw();
}

void CNewLabel::SetSysBkColor() {
    m_bSysBk = TRUE;
    RebuildBrush();
    Redraw();
}

void CNewLabel::SetHighlightColor(COLORREF colour) {
    m_crHighlight = colour;
    m_bSysHighlight = FALSE;
    Redraw();
}

void CNewLabel::SetSysHighlightColor() {
    m_bSysHighlight = TRUE;
    Redraw();
}

void CNewLabel::SetTextColor(COLORREF colour) {
    m_crText = m_crSavedText = colour;
    m_bSysText = FALSE;
    Redraw();
}

void CNewLabel::SetSysTextColor() {
    m_bSysText = TRUE;
    Redraw();
}

void CNewLabel::SetHoverColor(COLORREF colour) {
    m_crHover = colour;
    Redraw();
}

COLORREF CNewLabel::CurrentTextColour() const {
    return m_bHover ? m_crHover : GetTextColor();
}

// ---- font ----

void CNewLabel::RebuildFont() {
    m_font.DeleteObject();
    m_font.CreateFontIndirect(&m_lf);
    if (m_hWnd) CWnd::SetFont(&m_font, FALSE);
    Redraw();
}

void CNewLabel::SetFontBold(BOOL bold) {
    m_lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    RebuildFont();
}

void CNewLabel::SetFontItalic(BOOL italic) {
    m_lf.lfItalic = italic ? 1 : 0;
    RebuildFont();
}

void CNewLabel::SetFontUnderline(BOOL underline) {
    m_lf.lfUnderline = underline ? 1 : 0;
    RebuildFont();
}

void CNewLabel::SetFontName(LPCTSTR name) {
    SetLogFontFaceName(m_lf, name);
    RebuildFont();
}

void CNewLabel::SetFontSize(int height) {
    m_lf.lfHeight = height;
    RebuildFont();
}

// ---- blinking ----

void CNewLabel::FlashText(BOOL on, UINT periodMs) {
    KillTimer(kTextBlinkTimer);
    m_bFlashText = on;
    m_bTextHidden = FALSE;
    if (on) SetTimer(kTextBlinkTimer, std::max(periodMs, kShortestPeriodMs));
    ShowText(Displayed());
    Redraw();
}

void CNewLabel::FlashBackground(BOOL on, UINT periodMs) {
    KillTimer(kBackgroundBlinkTimer);
    m_bFlashBk = on;
    m_bBkToggled = FALSE;
    if (on) SetTimer(kBackgroundBlinkTimer, std::max(periodMs, kShortestPeriodMs));
    Redraw();
}

void CNewLabel::OnTimer(UINT_PTR id) {
    if (id == kTextBlinkTimer) {
        m_bTextHidden = !m_bTextHidden;
        ShowText(Displayed());
        Redraw();
    } else if (id == kBackgroundBlinkTimer) {
        m_bBkToggled = !m_bBkToggled;
        Redraw();
    }
}

// ---- picture, cursor, link, frame ----

void CNewLabel::SetBitmap(int id) {
    m_bitmap.reset();
    if (id != -1) {
        auto bitmap = std::make_unique<CBitmap>();
        if (bitmap->LoadBitmap(static_cast<UINT>(id))) m_bitmap = std::move(bitmap);
    }
    Redraw();
}

void CNewLabel::SetBitmapStretch(BOOL stretch) {
    m_bStretch = stretch;
    Redraw();
}

void CNewLabel::SetLinkCursor(UINT id) {
    m_hCursor =
        id ? LoadCursor(nullptr, reinterpret_cast<LPCTSTR>(static_cast<UINT_PTR>(id))) : nullptr;
}

void CNewLabel::SetLink(BOOL link) {
    m_bLink = link;
}

void CNewLabel::SetSunken(BOOL sunken) {
    if (sunken)
        ModifyStyleEx(0, WS_EX_CLIENTEDGE);
    else
        ModifyStyleEx(WS_EX_CLIENTEDGE, 0);
    Redraw();
}

void CNewLabel::SetBorder(BOOL border) {
    if (border)
        ModifyStyle(0, WS_BORDER);
    else
        ModifyStyle(WS_BORDER, 0);
    Redraw();
}

void CNewLabel::SetTransparent(BOOL transparent) {
    if (transparent)
        ModifyStyleEx(0, WS_EX_TRANSPARENT);
    else
        ModifyStyleEx(WS_EX_TRANSPARENT, 0);
    Redraw();
}

void CNewLabel::SetDefaultPainting(BOOL plain) {
    m_bDefaultPainting = plain;
    Redraw();
}

// ---- text ----

CString CNewLabel::Displayed() const {
    if (m_bTextHidden) return CString();
    return m_bPassword ? CString(kPasswordMask) : m_strText;
}

void CNewLabel::ShowText(const CString& shown) {
    m_bGuard = TRUE;
    CStatic::SetWindowText(shown);
    m_bGuard = FALSE;
}

void CNewLabel::SetText(LPCTSTR text) {
    m_strText = text ? text : "";
    ShowText(Displayed());
    Redraw();
}

void CNewLabel::SetWindowText(LPCTSTR text) {
    if (m_bGuard) {
        CStatic::SetWindowText(text);
        return;
    }
    SetText(text);
}

CString CNewLabel::GetWindowText() const {
    return m_bGuard ? m_strText : CStatic::GetWindowText();
}

void CNewLabel::SetPasswordMode(BOOL password) {
    m_bPassword = password;
    ShowText(Displayed());
    Redraw();
}

void CNewLabel::SetAlignment(UINT bits) {
    m_nAlignment = bits;
    const DWORD type = bits & kAlignCentre ? SS_CENTER : bits & kAlignRight ? SS_RIGHT : SS_LEFT;
    ModifyStyle(SS_TYPEMASK | SS_CENTERIMAGE, 0);
    ModifyStyle(0, type | (bits & kAlignMiddle ? SS_CENTERIMAGE : 0));
    Redraw();
}

void CNewLabel::SetRotation(int angle) {
    m_nAngle = angle;
    Redraw();
}

// ---- tooltip ----

void CNewLabel::SetTooltip(BOOL on) {
    m_bTooltip = on;
    if (on && m_hWnd) {
        m_tooltip.SetText(m_strTooltip);
        m_tooltip.Create(this);
    } else {
        m_tooltip.Destroy();
    }
}

void CNewLabel::SetTooltipText(LPCTSTR text) {
    m_strTooltip = text ? text : "";
    m_tooltip.SetText(m_strTooltip);
}

void CNewLabel::SetTooltipPosition(int mode) {
    m_tooltip.SetPosition(mode);
}

void CNewLabel::SetTooltipKeyCondition(BOOL condition) {
    m_tooltip.SetMouseKeyCondition(condition);
}

void CNewLabel::SetTooltipKey(int key) {
    m_tooltip.SetKey(key);
}

// ---- messages ----

LRESULT CNewLabel::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_SETCURSOR:
            if (m_hCursor) {
                ::SetCursor(m_hCursor);
                return TRUE;
            }
            break;
        case WM_ENABLE:
            Redraw();
            return 0;
        case OCM_CTLCOLORSTATIC:
            if (CDC* dc = reinterpret_cast<CDC*>(wParam)) {
                dc->SetTextColor(CurrentTextColour());
                dc->SetBkColor(GetBkColor());
            }
            return reinterpret_cast<LRESULT>(&m_brBk);
        default:
            break;
    }
    return CStatic::WindowProc(msg, wParam, lParam);
}

BOOL CNewLabel::OnEraseBkgnd(CDC*) {
    return TRUE;
}

void CNewLabel::OnMouseMove(UINT, CPoint point) {
    CRect client;
    GetClientRect(&client);
    const bool inside = client.PtInRect(point);
    if (inside && !m_bHover) {
        // Held until the mouse leaves, so that the leaving is seen.
        m_bHover = TRUE;
        SetCapture();
        if (m_hCursor) ::SetCursor(m_hCursor);
        Redraw();
    } else if (!inside && m_bHover) {
        m_bHover = FALSE;
        if (GetCapture() == this) ReleaseCapture();
        Redraw();
    }
}

void CNewLabel::OnLButtonDown(UINT, CPoint) {
    if (!m_bLink) return;
    ShellExecute(m_hWnd, "open", m_strText.GetString(), nullptr, nullptr, SW_SHOWNORMAL);
}

void CNewLabel::PaintPlain(CDC& dc, const CRect& client) {
    // As a plain static: the colours come back from the control-colour message.
    dc.SetBkMode(OPAQUE);
    auto* brush = reinterpret_cast<CBrush*>(SendMessage(
        OCM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(&dc), reinterpret_cast<LPARAM>(m_hWnd)));
    if (brush) dc.FillRect(&client, brush);
    CRect text = client;
    const DWORD type = GetStyle() & SS_TYPEMASK;
    const UINT format = DT_WORDBREAK | PrefixFlag() |
                        (type == SS_CENTER  ? DT_CENTER
                         : type == SS_RIGHT ? DT_RIGHT
                                            : DT_LEFT);
    dc.DrawText(Displayed(), &text, format);
}

void CNewLabel::OnPaint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    CFont* oldFont = dc.SelectObject(&m_font);
    if (m_bDefaultPainting) {
        PaintPlain(dc, client);
        if (oldFont) dc.SelectObject(oldFont);
        return;
    }

    // The frame the styles ask for, drawn inside the window.
    CRect inner = client;
    if (GetStyle() & WS_BORDER) {
        CBrush frame(GetSysColor(COLOR_WINDOWFRAME));
        dc.FrameRect(&inner, &frame);
        inner.DeflateRect(1, 1);
    }
    if (GetExStyle() & WS_EX_CLIENTEDGE) dc.DrawEdge(&inner, EDGE_SUNKEN, BF_RECT | BF_ADJUST);

    const COLORREF background = m_bBkToggled
                                    ? (m_bSysHighlight ? GetSysColor(COLOR_BTNFACE) : m_crHighlight)
                                    : GetBkColor();
    if (!(GetExStyle() & WS_EX_TRANSPARENT) || m_bBkToggled) dc.FillSolidRect(&inner, background);

    if (m_bitmap) {
        CDC memory;
        if (memory.CreateCompatibleDC(&dc)) {
            CBitmap* old = memory.SelectObject(m_bitmap.get());
            const CSize size = m_bitmap->GetSize();
            if (m_bStretch)
                dc.StretchBlt(inner.left, inner.top, inner.Width(), inner.Height(), &memory, 0, 0,
                              size.cx, size.cy, SRCCOPY);
            else
                dc.BitBlt(inner.left + (inner.Width() - size.cx) / 2,
                          inner.top + (inner.Height() - size.cy) / 2, size.cx, size.cy, &memory, 0,
                          0, SRCCOPY);
            if (old) memory.SelectObject(old);
        }
    }

    const CString text = Displayed();
    if (!text.IsEmpty()) {
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(CurrentTextColour());
        const int h = m_nAlignment & kAlignCentre ? 1 : m_nAlignment & kAlignRight ? 2 : 0;
        const int v = m_nAlignment & kAlignMiddle ? 1 : m_nAlignment & kAlignBottom ? 2 : 0;
        if (m_nAngle) {
            CTextRotator rotator(&dc, text, h, v);
            rotator.SetColours(background, CurrentTextColour());
            if (rotator.Render(m_nAngle)) rotator.DrawAligned(inner);
        } else {
            UINT format = DT_WORDBREAK | PrefixFlag() |
                          (h == 1   ? DT_CENTER
                           : h == 2 ? DT_RIGHT
                                    : DT_LEFT);
            CRect box = inner;
            if (v) {
                CRect measure = inner;
                dc.DrawText(text, &measure, format | DT_CALCRECT);
                const int spare = std::max<int>(0, inner.Height() - measure.Height());
                box.top += v == 1 ? spare / 2 : spare;
            }
            dc.DrawText(text, &box, format);
        }
    }
    if (oldFont) dc.SelectObject(oldFont);
}
