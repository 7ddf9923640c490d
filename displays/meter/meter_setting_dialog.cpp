#include "displays/meter/meter_setting_dialog.h"

#include "RES/dialogs/meter_setting.h"

namespace {

const char* const kKinds[] = {"Analog meter", "Bar meter", "Change meter", "Digital meter"};
const char* const kSensorNames[CMeterSettingDialog::kSensors] = {
    "Temperature", "Light", "Humidity", "Pressure", "Sound", "External 1", "External 2"};

CComboBox* Combo(CDialog& dialog, UINT id) {
    return dynamic_cast<CComboBox*>(dialog.GetDlgItem(static_cast<int>(id)));
}

}  // namespace

CMeterSettingDialog::CMeterSettingDialog(CWnd* parent) : CDialog(MeterSettingTemplate(), parent) {}

int CMeterSettingDialog::SensorIndex(BYTE mask) {
    for (int i = 0; i < kSensors; ++i)
        if (kSensorMasks[i] == mask) return i;
    return 0;
}

BOOL CMeterSettingDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    static const char* const kNames[] = {"Meter 1", "Meter 2", "Meter 3", "Meter 4"};
    for (UINT i = 0; i < kMeters; ++i)
        SetDlgItemText(static_cast<int>(IDC_METER_NAME_FIRST + i), kNames[i]);
    SetDlgItemText(IDC_METER_TYPE_LABEL, "Meter type");
    SetDlgItemText(IDC_METER_SENSOR_LABEL, "Sensor type");
    SetDlgItemText(IDOK, "OK");
    SetDlgItemText(IDCANCEL, "Cancel");
    for (UINT i = 0; i < kMeters; ++i) {
        if (CComboBox* kind = Combo(*this, IDC_METER_TYPE_FIRST + i)) {
            kind->ResetContent();
            for (const char* text : kKinds)
                kind->AddString(text);
            kind->SetCurSel(m_meterType[i]);
        }
        if (CComboBox* sensor = Combo(*this, IDC_METER_SENSOR_FIRST + i)) {
            sensor->ResetContent();
            for (const char* text : kSensorNames)
                sensor->AddString(text);
            sensor->SetCurSel(SensorIndex(m_sensorMask[i]));
        }
    }
    return TRUE;
}

void CMeterSettingDialog::OnOK() {
    for (UINT i = 0; i < kMeters; ++i) {
        if (CComboBox* sensor = Combo(*this, IDC_METER_SENSOR_FIRST + i)) {
            const int index = sensor->GetCurSel();
            m_sensorMask[i] = kSensorMasks[index >= 0 && index < kSensors ? index : 0];
        }
        if (CComboBox* kind = Combo(*this, IDC_METER_TYPE_FIRST + i)) {
            const int index = kind->GetCurSel();
            if (index >= 0) m_meterType[i] = static_cast<WORD>(index);
        }
    }
    CDialog::OnOK();
}
