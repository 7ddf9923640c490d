#include "RES/dialogs/timing_wizard.h"

#include "platform/ui/styles.h"

const DialogTemplate& TimingWizardTemplate() {
    static const DialogTemplate t = {
        IDD_TIMING_TYPE,
        "Timing Wizard",
        0,
        0,
        200,
        60,
        DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU,
        "Tahoma",
        8,
        {
            dlg::DefPushButton("Finish", IDC_TIMING_FINISH, 40, 38, 50, 14),
            dlg::PushButton("Cancel", IDCANCEL, 110, 38, 50, 14),
        }};
    return t;
}
