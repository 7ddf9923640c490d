#include "RES/dialogs/select_camera_driver.h"

const DialogTemplate& SelectCameraDriverTemplate() {
    static const DialogTemplate t = {
        IDD_SELECT_CAMERA_DRIVER,
        "Select Video Device",
        0,
        0,
        220,
        56,
        DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU,
        "Tahoma",
        8,
        {
            dlg::LText("Camera Driver :", IDC_CAMERA_LABEL, 7, 9, 55, 8),
            dlg::ComboBox(IDC_CAMERA_LIST, 64, 7, 149, 80, CBS_DROPDOWNLIST | WS_VSCROLL),
            dlg::DefPushButton("OK", IDOK, 110, 35, 48, 14),
            dlg::PushButton("Cancel", IDCANCEL, 165, 35, 48, 14),
        }};
    return t;
}
