#include "RES/dialogs/meter_settings.h"

#include "platform/ui/styles.h"

const DialogTemplate& MeterSettingsTemplate() {
    static const DialogTemplate t = {
        IDD_METER_SETTINGS,
        "Meter settings",
        0,
        0,
        200,
        60,
        DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU,
        "Tahoma",
        8,
        {
            dlg::DefPushButton("OK", IDOK, 40, 38, 50, 14),
            dlg::PushButton("Cancel", IDCANCEL, 110, 38, 50, 14),
        }};
    return t;
}
