#include "RES/dialogs/setup_view.h"

namespace {
constexpr const char* kSwitch = "mode=switch;color=#00C000";
}

const DialogTemplate& SetupViewTemplate() {
    static const DialogTemplate t = {
        IDD_SETUP_VIEW,
        "",
        0,
        0,
        200,
        160,
        WS_CHILD | DS_SETFONT,
        "Tahoma",
        8,
        {
            dlg::LText("Rate :", IDC_SETUP_RATE_LABEL, 5, 6, 50, 8),
            dlg::LText("Recording time :", IDC_SETUP_TIME_LABEL, 5, 24, 50, 8),
            dlg::ComboBox(IDC_SETUP_RATE, 110, 4, 80, 120, CBS_DROPDOWNLIST | WS_VSCROLL),
            dlg::ComboBox(IDC_SETUP_TIME, 110, 22, 80, 120, CBS_DROPDOWNLIST | WS_VSCROLL),
            {IDC_PICTURE_TEMPERATURE, "CWButton",
             "mode=picture;stretch=1;picture=pictures/temperature.xpm", 7, 40, 22, 20, 0},
            {IDC_PICTURE_LIGHT, "CWButton", "mode=picture;stretch=1;picture=pictures/light.xpm", 7,
             65, 22, 20, 0},
            {IDC_PICTURE_HUMIDITY, "CWButton",
             "mode=picture;stretch=1;picture=pictures/humidity.xpm", 7, 90, 22, 20, 0},
            {IDC_PICTURE_PRESSURE, "CWButton",
             "mode=picture;stretch=1;picture=pictures/pressure.xpm", 7, 115, 22, 20, 0},
            {IDC_PICTURE_SOUND, "CWButton", "mode=picture;stretch=1;picture=pictures/sound.xpm",
             170, 40, 22, 20, 0},
            {IDC_PICTURE_EXTERNAL1, "CWButton",
             "mode=picture;stretch=1;picture=pictures/external1.xpm", 170, 65, 22, 20, 0},
            {IDC_PICTURE_EXTERNAL2, "CWButton",
             "mode=picture;stretch=1;picture=pictures/external2.xpm", 170, 90, 22, 20, 0},
            {IDC_SWITCH_TEMPERATURE, "CWButton", kSwitch, 38, 44, 16, 12, WS_TABSTOP},
            {IDC_SWITCH_LIGHT, "CWButton", kSwitch, 38, 69, 16, 12, WS_TABSTOP},
            {IDC_SWITCH_HUMIDITY, "CWButton", kSwitch, 38, 94, 16, 12, WS_TABSTOP},
            {IDC_SWITCH_PRESSURE, "CWButton", kSwitch, 38, 119, 16, 12, WS_TABSTOP},
            {IDC_SWITCH_SOUND, "CWButton", kSwitch, 146, 44, 16, 12, WS_TABSTOP},
            {IDC_SWITCH_EXTERNAL1, "CWButton", kSwitch, 146, 69, 16, 12, WS_TABSTOP},
            {IDC_SWITCH_EXTERNAL2, "CWButton", kSwitch, 146, 94, 16, 12, WS_TABSTOP},
        }};
    return t;
}
