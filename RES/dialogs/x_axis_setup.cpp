#include "RES/dialogs/x_axis_setup.h"

#include "platform/ui/styles.h"

const DialogTemplate& XAxisSetupTemplate() {
    static const DialogTemplate t = [] {
        DialogTemplate d{
            IDD_X_AXIS_SETUP,
            "X Axis Properties",
            0,
            0,
            200,
            112,
            DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU,
            "Tahoma",
            8,
            {}};
        const DWORD swatch = CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS;
        auto& i = d.items;
        i.push_back(dlg::LText("Select measurment : ", IDC_XAXIS_MEASUREMENT_LABEL, 8, 8, 80, 10));
        i.push_back(dlg::ComboBox(IDC_XAXIS_MEASUREMENT, 90, 6, 100, 80, CBS_DROPDOWNLIST));
        i.push_back(dlg::LText("Color :", IDC_XAXIS_COLOR_LABEL, 8, 28, 40, 10));
        i.push_back(dlg::ComboBox(IDC_XAXIS_COLOR, 90, 26, 44, 60, swatch));
        i.push_back(dlg::Control("...", IDC_XAXIS_PICKER, "CWButton", WS_TABSTOP, 136, 26, 14, 13));
        i.push_back(dlg::CheckBox("Auto scale", IDC_XAXIS_AUTO_SCALE, 8, 48, 60, 10));
        i.push_back(dlg::LText("Min :", IDC_XAXIS_MIN_LABEL, 8, 68, 20, 10));
        i.push_back(dlg::EditText(IDC_XAXIS_MIN, 30, 66, 50, 12));
        i.push_back(dlg::LText("Max :", IDC_XAXIS_MAX_LABEL, 100, 68, 20, 10));
        i.push_back(dlg::EditText(IDC_XAXIS_MAX, 122, 66, 50, 12));
        i.push_back(dlg::DefPushButton("OK", IDOK, 40, 92, 50, 14));
        i.push_back(dlg::PushButton("Cancel", IDCANCEL, 110, 92, 50, 14));
        return d;
    }();
    return t;
}
