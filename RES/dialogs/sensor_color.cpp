#include "RES/dialogs/sensor_color.h"

const DialogTemplate& SensorColorTemplate() {
    static const DialogTemplate t = [] {
        DialogTemplate d{IDD_SENSOR_COLOR,
                         "Sensor color settings dialog",
                         0,
                         0,
                         250,
                         130,
                         DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU,
                         "Tahoma",
                         8,
                         {}};
        static const char* const kNames[8] = {"Temperature", "Light",    "Humidity",
                                              "Pressure",    "Sound",    "External 1",
                                              "External 2",  "Functions"};
        // Slots 0 to 3 on the left, 4 to 7 on the right.
        for (int i = 0; i < 8; ++i) {
            const auto x = static_cast<short>(i < 4 ? 8 : 128);
            const auto y = static_cast<short>(10 + 22 * (i % 4));
            d.items.push_back(dlg::LText(kNames[i], kSensorColorLabels[i], x, y + 2, 46, 10));
            d.items.push_back(
                dlg::ComboBox(kSensorColorCombos[i], static_cast<short>(x + 48), y, 50, 60,
                              CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS));
            d.items.push_back(dlg::Control("...", kSensorColorPickers[i], "CWButton", WS_TABSTOP,
                                           static_cast<short>(x + 100), y, 14, 13));
        }
        d.items.push_back(
            dlg::PushButton("Restore defaults", IDC_SENSOR_COLOR_DEFAULTS, 8, 108, 70, 14));
        d.items.push_back(dlg::DefPushButton("OK", IDOK, 136, 108, 50, 14));
        d.items.push_back(dlg::PushButton("Cancel", IDCANCEL, 192, 108, 50, 14));
        return d;
    }();
    return t;
}
