#pragma once
// The plot colour of each sensor kind: eight slots, each a colour swatch and a button that opens
// the colour picker.

#include <array>

#include "controls/color_combo_ex.h"
#include "platform/activex/event_sink.h"
#include "platform/activex/instruments.h"
#include "platform/ui/dialog.h"

class CSensorColorSettingsDialog : public CDialog, public CEventSinkHost {
public:
    static constexpr int kSlots = 8;
    static const COLORREF kDefaultColors[kSlots];

    explicit CSensorColorSettingsDialog(CWnd* parent = nullptr);

    // Before the dialog is shown.
    void SetColors(const COLORREF* colors);
    // After OK.
    void GetColors(COLORREF* colors) const;

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnRestoreDefaults();
    // The picker of slot `slot`: the colour picker, and on OK the slot's new colour.
    void OnPickColor(int slot);

    CColorComboEx& GetCombo(int slot) { return m_combos[static_cast<size_t>(slot)]; }
    CCWButton& GetPicker(int slot) { return m_pickers[static_cast<size_t>(slot)]; }

protected:
    DECLARE_MESSAGE_MAP()

private:
    void ShowColor(int slot, COLORREF color);

    std::array<COLORREF, kSlots> m_colors{};
    std::array<CColorComboEx, kSlots> m_combos;
    std::array<CCWButton, kSlots> m_pickers;
};
