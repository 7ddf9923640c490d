#include "RES/dialogs/external_sensor_selection.h"

const DialogTemplate& ExternalSensorSelectionTemplate() {
    static const DialogTemplate t = {
        IDD_EXTERNAL_SENSOR_SELECTION,
        "External sensor selection",
        0,
        0,
        220,
        62,
        DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU,
        "Tahoma",
        8,
        {
            dlg::LText("External Sensor :", IDC_EXTERNAL_SENSOR_LABEL, 7, 9, 70, 10),
            dlg::ComboBox(IDC_EXTERNAL_SENSOR_TYPE, 80, 7, 133, 120, CBS_DROPDOWNLIST | WS_VSCROLL),
            dlg::DefPushButton("OK", IDOK, 109, 41, 50, 14),
            dlg::PushButton("Cancel", IDCANCEL, 163, 41, 50, 14),
        }};
    return t;
}
