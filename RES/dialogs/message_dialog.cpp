#include "RES/dialogs/message_dialog.h"

const DialogTemplate& MessageDialogTemplate() {
    // A caption bar without a system menu, hidden until its owner shows it.
    static const DialogTemplate t = {
        IDD_MESSAGE_DIALOG,
        "Status",
        131,
        100,
        186,
        95,
        DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION,
        "Tahoma",
        8,
        {
            dlg::DefPushButton("Close", IDOK, 57, 74, 50, 14),
            dlg::Hidden(dlg::PushButton("Cancel", IDCANCEL, 129, 74, 50, 14)),
            dlg::CText("Message", IDC_MESSAGE_TEXT, 25, 24, 131, 24),
        }};
    return t;
}
