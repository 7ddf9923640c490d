#include "RES/dialogs/xy_setting.h"

const DialogTemplate& XYSettingTemplate() {
    static const DialogTemplate t = {
        IDD_XY_SETTING,
        "Y vs X setting dialog",
        0,
        0,
        200,
        66,
        DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU,
        "Tahoma",
        8,
        {
            dlg::LText("Select X axis plot :", IDC_XY_LABEL, 7, 7, 186, 10),
            dlg::ComboBox(IDC_XY_PLOTS, 7, 19, 186, 100, CBS_DROPDOWNLIST | WS_VSCROLL),
            dlg::DefPushButton("OK", IDOK, 89, 45, 50, 14),
            dlg::PushButton("Cancel", IDCANCEL, 143, 45, 50, 14),
        }};
    return t;
}
