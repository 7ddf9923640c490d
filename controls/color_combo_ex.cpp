#include "controls/color_combo_ex.h"

namespace {

// The item that would be the "Automatic" entry; no user of the combo fills it so far.
constexpr int kAutomaticItem = 16;

}  // namespace

CColorComboEx::CColorComboEx() : m_arColors{RGB(255, 0, 0)} {}

void CColorComboEx::PreSubclassWindow() {
    for (size_t i = 0; i < m_arColors.size(); ++i)
        AddString("");
    SetCurSel(0);
    CComboBox::PreSubclassWindow();
}

void CColorComboEx::DrawItem(LPDRAWITEMSTRUCT dis) {
    CDC* dc = dis ? CDC::FromHandle(dis->hDC) : nullptr;
    if (!dc) return;
    const CRect item(dis->rcItem);
    CRect inner = item;
    inner.DeflateRect(2, 2);
    const bool selected = dis->itemState & ODS_SELECTED;
    // An empty combo draws its box with item -1; that and any item beyond the colours get only
    // the frame and the focus.
    const int n = static_cast<int>(dis->itemID);
    if (n == kAutomaticItem) {
        CBrush fill(static_cast<COLORREF>(m_arColors.size()));
        dc->FillRect(&inner, &fill);
        if (selected) dc->DrawFocusRect(&inner);
        CRect text = item;
        dc->SetTextColor(RGB(255, 255, 255));
        dc->SetBkMode(TRANSPARENT);
        dc->DrawText("Automatic", &text, DT_CENTER | DT_SINGLELINE);
    } else if (n >= 0 && n < static_cast<int>(m_arColors.size())) {
        CBrush fill(m_arColors[static_cast<size_t>(n)]);
        dc->FillRect(&inner, &fill);
        if (selected) dc->DrawFocusRect(&inner);
    } else if (selected) {
        dc->DrawFocusRect(&inner);
    }
    CRect frame = item;
    frame.DeflateRect(1, 1);
    CBrush black(RGB(0, 0, 0));
    dc->FrameRect(&frame, &black);
}
