#include "RES/dialogs/meter_setting.h"

const DialogTemplate& MeterSettingTemplate() {
    static const DialogTemplate t = [] {
        DialogTemplate d{IDD_METER_SETTING,
                         "Meter settings",
                         0,
                         0,
                         200,
                         120,
                         DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU,
                         "Tahoma",
                         8,
                         {}};
        d.items.push_back(dlg::LText("Meter type", IDC_METER_TYPE_LABEL, 50, 8, 70, 10));
        d.items.push_back(dlg::LText("Sensor type", IDC_METER_SENSOR_LABEL, 125, 8, 70, 10));
        static const char* const kNames[] = {"Meter 1", "Meter 2", "Meter 3", "Meter 4"};
        for (UINT i = 0; i < 4; ++i) {
            const auto y = static_cast<short>(22 + 18 * i);
            d.items.push_back(dlg::LText(kNames[i], IDC_METER_NAME_FIRST + i, 8, y + 2, 40, 10));
            d.items.push_back(dlg::ComboBox(IDC_METER_TYPE_FIRST + i, 50, y, 70, 80));
            d.items.push_back(dlg::ComboBox(IDC_METER_SENSOR_FIRST + i, 125, y, 68, 90));
        }
        d.items.push_back(dlg::DefPushButton("OK", IDOK, 50, 98, 50, 14));
        d.items.push_back(dlg::PushButton("Cancel", IDCANCEL, 110, 98, 50, 14));
        return d;
    }();
    return t;
}
