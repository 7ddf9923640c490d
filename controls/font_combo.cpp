#include "controls/font_combo.h"

#include <algorithm>

#include "platform/base/log.h"

namespace {

constexpr UINT_PTR kTipTimer = 1;
constexpr UINT kTipPeriodMs = 500;
constexpr int kTipHeight = 18;
constexpr int kItemHeight = 20;

int CALLBACK_AddFont(const ENUMLOGFONTEX* elf, const NEWTEXTMETRICEX* ntm, DWORD type,
                     LPARAM data) {
    reinterpret_cast<CComboBoxFont*>(data)->AddFont(elf, ntm, type);
    return 1;
}

}  // namespace

// ---- the preview tip ----

CComboBoxFontTip::~CComboBoxFontTip() {
    if (m_hWnd) DestroyWindow();
}

BOOL CComboBoxFontTip::Create(CWnd* owner) {
    return CreateEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "ComboBoxFontTip", nullptr,
                    WS_POPUP | WS_BORDER, CRect(0, 0, 0, 0), owner, 0);
}

void CComboBoxFontTip::Show(CPoint at, const CFontObject& font) {
    if (!m_hWnd) return;
    m_strText = font.m_strFaceName;
    LOGFONT lf = font.m_elf.elfLogFont;
    lf.lfHeight = -kTipHeight;
    lf.lfWidth = 0;
    m_font.DeleteObject();
    m_font.CreateFontIndirect(&lf, font.m_strFaceName);
    CClientDC dc(this);
    CFont* old = dc.SelectObject(&m_font);
    const CSize extent = dc.GetTextExtent(m_strText);
    if (old) dc.SelectObject(old);
    SetWindowPos(&wndTop, at.x, at.y, extent.cx + 8, extent.cy + 8,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    Invalidate();
    UpdateWindow();
}

void CComboBoxFontTip::Hide() {
    if (m_hWnd && IsWindowVisible()) ShowWindow(SW_HIDE);
}

void CComboBoxFontTip::OnPaint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    CBrush background(GetSysColor(COLOR_INFOBK));
    CBrush* oldBrush = dc.SelectObject(&background);
    dc.PatBlt(client.left, client.top, client.Width(), client.Height(), PATCOPY);
    if (oldBrush) dc.SelectObject(oldBrush);
    CBrush frame(GetSysColor(COLOR_WINDOWFRAME));
    dc.FrameRect(&client, &frame);
    CFont* oldFont = m_font.GetSafeHandle() ? dc.SelectObject(&m_font) : nullptr;
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(GetSysColor(COLOR_INFOTEXT));
    dc.DrawText(m_strText, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (oldFont) dc.SelectObject(oldFont);
}

// ---- the combo ----

CComboBoxFont::CComboBoxFont(BOOL recentList) : m_bRecentList(recentList) {}

CComboBoxFont::~CComboBoxFont() {
    if (m_hWnd) DestroyWindow();
}

void CComboBoxFont::PreSubclassWindow() {
    CComboBox::PreSubclassWindow();
    Initialise();
}

void CComboBoxFont::Empty() {
    KillTimer(kTipTimer);
    ResetContent();
    m_imageList.DeleteImageList();
    if (m_tip.GetSafeHwnd()) m_tip.DestroyWindow();
    m_fonts.clear();
    m_recent.clear();
    m_bInitialised = FALSE;
}

BOOL CComboBoxFont::Initialise() {
    if (m_bInitialised) Empty();
    if (m_nImageWidth > 0 && m_nImageHeight > 0 &&
        !m_imageList.Create(m_nImageWidth, m_nImageHeight, ILC_COLOR | ILC_MASK, 2, 1))
        m_nImageWidth = m_nImageHeight = 0;
    m_tip.Create(this);

    LOGFONT lf;
    lf.lfCharSet = m_nCharSet;
    SetLogFontFaceName(lf, m_strFaceFilter.GetString());
    lf.lfPitchAndFamily = m_nPitchAndFamily;
    // Qt prints with the screen's fonts: the printer adds none of its own.
    if (m_bScreenFonts) {
        CClientDC dc(this);
        if (!EnumFontFamiliesEx(dc.GetSafeHdc(), &lf, CALLBACK_AddFont,
                                reinterpret_cast<LPARAM>(this), 0)) {
            qCWarning(lcControls) << "the fonts could not be listed";
            m_fonts.clear();
            m_recent.clear();
            return FALSE;
        }
    }
    FillItems();
    SetTimer(kTipTimer, kTipPeriodMs);
    m_bInitialised = TRUE;
    return TRUE;
}

void CComboBoxFont::AddFont(const ENUMLOGFONTEX* elf, const NEWTEXTMETRICEX* ntm, DWORD fontType) {
    if (!elf || !ntm) return;
    const CString face =
        elf->elfFullName.IsEmpty() ? CString(elf->elfLogFont.lfFaceName) : elf->elfFullName;
    auto same = [&face](const std::unique_ptr<CFontObject>& f) { return f->m_strFaceName == face; };
    if (std::any_of(m_fonts.begin(), m_fonts.end(), same) ||
        std::any_of(m_recent.begin(), m_recent.end(), same))
        return;
    auto font = std::make_unique<CFontObject>();
    font->m_dwFlags = 0;
    font->m_elf = *elf;
    font->m_strFaceName = face;
    font->m_ntm = *ntm;
    font->m_dwFontType = fontType;
    m_fonts.push_back(std::move(font));
}

const CFontObject* CComboBoxFont::GetFontAt(int item) const {
    if (item < 0) return nullptr;
    auto n = static_cast<size_t>(item);
    if (n < m_recent.size()) return std::next(m_recent.begin(), static_cast<long>(n))->get();
    n -= m_recent.size();
    return n < m_fonts.size() ? m_fonts[n].get() : nullptr;
}

void CComboBoxFont::FillItems() {
    ResetContent();
    for (const auto& font : m_recent)
        AddString(font->m_strFaceName.GetString());
    for (const auto& font : m_fonts)
        AddString(font->m_strFaceName.GetString());
    if (!m_strSelected.IsEmpty()) SelectFont(m_strSelected.GetString());
}

void CComboBoxFont::SelectFont(LPCTSTR faceName) {
    m_strSelected = faceName ? faceName : "";
    SetCurSel(FindStringExact(-1, m_strSelected.GetString()));
}

void CComboBoxFont::SetRecentColours(COLORREF background, COLORREF text) {
    m_crRecentBk = background;
    m_crRecentText = text;
    Invalidate();
}

void CComboBoxFont::SetColours(COLORREF background, COLORREF text) {
    m_crBk = background;
    m_crText = text;
    Invalidate();
}

void CComboBoxFont::OnSelEndOk() {
    m_tip.Hide();
    const CFontObject* chosen = GetFontAt(GetCurSel());
    if (!chosen) return;
    m_strSelected = chosen->m_strFaceName;
    if (!m_bRecentList) return;
    // The chosen font heads the recent list, leaving its place below or further down it.
    std::unique_ptr<CFontObject> moved;
    for (auto it = m_recent.begin(); it != m_recent.end(); ++it)
        if (it->get() == chosen) {
            moved = std::move(*it);
            m_recent.erase(it);
            break;
        }
    for (auto it = m_fonts.begin(); !moved && it != m_fonts.end(); ++it)
        if (it->get() == chosen) {
            moved = std::move(*it);
            m_fonts.erase(it);
        }
    if (!moved) return;
    moved->m_dwFlags = 1;
    m_recent.push_front(std::move(moved));
    FillItems();
}

void CComboBoxFont::MeasureItem(LPMEASUREITEMSTRUCT mis) {
    if (mis) mis->itemHeight = std::max<UINT>(kItemHeight, static_cast<UINT>(m_nImageHeight + 2));
}

void CComboBoxFont::DrawItem(LPDRAWITEMSTRUCT dis) {
    CDC* dc = dis ? CDC::FromHandle(dis->hDC) : nullptr;
    if (!dc) return;
    const CRect item(dis->rcItem);
    const CFontObject* font = GetFontAt(static_cast<int>(dis->itemID));
    const bool selected = dis->itemState & ODS_SELECTED;
    const bool recent = font && font->m_dwFlags;
    const COLORREF background = selected ? GetSysColor(COLOR_HIGHLIGHT)
                                : recent ? m_crRecentBk
                                         : m_crBk;
    const COLORREF text = selected ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                          : recent ? m_crRecentText
                                   : m_crText;
    dc->FillSolidRect(&item, background);
    if (font) {
        LOGFONT lf = font->m_elf.elfLogFont;
        lf.lfHeight = -std::max(1, std::min<int>(item.Height() - 6, 14));
        lf.lfWidth = 0;
        CFont face;
        face.CreateFontIndirect(&lf, font->m_strFaceName);
        CFont* old = dc->SelectObject(&face);
        dc->SetBkMode(TRANSPARENT);
        dc->SetTextColor(text);
        CRect area = item;
        // Room for the pictures, when the list has them.
        area.left += 2 + (m_nImageWidth > 0 ? m_nImageWidth + 2 : 0);
        dc->DrawText(font->m_strFaceName, &area,
                     DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        if (old) dc->SelectObject(old);
    }
    if (dis->itemState & ODS_FOCUS) dc->DrawFocusRect(&item);
}

void CComboBoxFont::UpdateTip() {
    if (!GetDroppedState()) {
        m_tip.Hide();
        return;
    }
    const int selection = GetCurSel();
    const int top = GetTopIndex();
    const int height = std::max(1, GetItemHeight(0));
    CRect list;
    GetDroppedListRect(&list);
    const int shown = list.Height() / height;
    const CFontObject* font = GetFontAt(selection);
    if (!font || selection < top || selection >= top + shown) {
        m_tip.Hide();
        return;
    }
    m_tip.Show(CPoint(list.left + 5, list.top + (selection - top + 1) * height), *font);
}

void CComboBoxFont::OnTimer(UINT_PTR id) {
    if (id == kTipTimer) UpdateTip();
}

void CComboBoxFont::OnDestroy() {
    Empty();
    CComboBox::OnDestroy();
}

LRESULT CComboBoxFont::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == OCM_COMMAND) {
        switch (HIWORD(wParam)) {
            case CBN_DROPDOWN:
                UpdateTip();
                break;
            case CBN_CLOSEUP:
            case CBN_KILLFOCUS:
                m_tip.Hide();
                break;
            case CBN_SELENDOK:
                OnSelEndOk();
                break;
            default:
                break;
        }
        // The parent hears of every one as well.
        return FALSE;
    }
    return CComboBox::WindowProc(msg, wParam, lParam);
}
