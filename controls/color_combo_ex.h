#pragma once
// CColorComboEx: an owner-drawn drop-down list whose items are colour swatches; item n shows
// colour n of the array. The template control must be an owner-drawn fixed, drop-down-list combo
// with strings.

#include <vector>

#include "platform/ui/controls.h"

class CColorComboEx : public CComboBox {
public:
    CColorComboEx();

    void DrawItem(LPDRAWITEMSTRUCT dis) override;

    // The colours the items show; callers change it and the items together.
    std::vector<COLORREF> m_arColors;

protected:
    // One empty item per colour, the first selected.
    void PreSubclassWindow() override;
};
