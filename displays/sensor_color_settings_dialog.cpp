#include "displays/sensor_color_settings_dialog.h"

#include "RES/dialogs/sensor_color.h"
#include "platform/ui/color_dialog.h"

const COLORREF CSensorColorSettingsDialog::kDefaultColors[kSlots] = {
    RGB(255, 0, 0), RGB(255, 158, 62),  RGB(0, 0, 255),     RGB(128, 0, 128),
    RGB(0, 183, 0), RGB(128, 128, 255), RGB(128, 128, 192), RGB(240, 0, 240)};

BEGIN_MESSAGE_MAP(CSensorColorSettingsDialog, CDialog)
ON_BN_CLICKED(IDC_SENSOR_COLOR_DEFAULTS, OnRestoreDefaults)
END_MESSAGE_MAP()

CSensorColorSettingsDialog::CSensorColorSettingsDialog(CWnd* parent)
    : CDialog(SensorColorTemplate(), parent) {
    std::copy(std::begin(kDefaultColors), std::end(kDefaultColors), m_colors.begin());
}

void CSensorColorSettingsDialog::SetColors(const COLORREF* colors) {
    if (colors) std::copy(colors, colors + kSlots, m_colors.begin());
}

void CSensorColorSettingsDialog::GetColors(COLORREF* colors) const {
    if (colors) std::copy(m_colors.begin(), m_colors.end(), colors);
}

void CSensorColorSettingsDialog::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    for (int i = 0; i < kSlots; ++i) {
        DDX_Control(dx, static_cast<int>(kSensorColorCombos[i]), m_combos[static_cast<size_t>(i)]);
        DDX_Control(dx, static_cast<int>(kSensorColorPickers[i]),
                    m_pickers[static_cast<size_t>(i)]);
    }
}

BOOL CSensorColorSettingsDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    static const char* const kNames[kSlots] = {"Temperature", "Light",    "Humidity",
                                               "Pressure",    "Sound",    "External 1",
                                               "External 2",  "Functions"};
    SetWindowText("Sensor color settings dialog");
    for (int i = 0; i < kSlots; ++i)
        SetDlgItemText(static_cast<int>(kSensorColorLabels[i]), kNames[i]);
    SetDlgItemText(IDOK, "OK");
    SetDlgItemText(IDCANCEL, "Cancel");
    SetDlgItemText(IDC_SENSOR_COLOR_DEFAULTS, "Restore defaults");
    GetEventSinks().OnRange(
        kSensorColorPickers[0], kSensorColorPickers[kSlots - 1], DISPID_CLICK,
        [this](UINT id) { OnPickColor(static_cast<int>(id - kSensorColorPickers[0])); });
    for (int i = 0; i < kSlots; ++i)
        ShowColor(i, m_colors[static_cast<size_t>(i)]);
    return TRUE;
}

void CSensorColorSettingsDialog::ShowColor(int slot, COLORREF color) {
    CColorComboEx& combo = m_combos[static_cast<size_t>(slot)];
    combo.ResetContent();
    if (combo.m_arColors.empty()) combo.m_arColors.resize(1);
    combo.m_arColors[0] = color;
    combo.AddString("");
    combo.SetCurSel(0);
    combo.Invalidate();
    m_colors[static_cast<size_t>(slot)] = color;
}

void CSensorColorSettingsDialog::OnPickColor(int slot) {
    if (slot < 0 || slot >= kSlots) return;
    CColorDialog picker(m_colors[static_cast<size_t>(slot)], 0, this);
    if (picker.DoModal() != IDOK) return;
    ShowColor(slot, picker.GetColor());
}

void CSensorColorSettingsDialog::OnRestoreDefaults() {
    for (int i = 0; i < kSlots; ++i)
        ShowColor(i, kDefaultColors[i]);
}
