#include "RES/dialogs/x_axis_setup.h"

#include "platform/ui/styles.h"

const DialogTemplate& XAxisSetupTemplate() {
    static const DialogTemplate t = {
        IDD_X_AXIS_SETUP,
        "X Axis settings",
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
