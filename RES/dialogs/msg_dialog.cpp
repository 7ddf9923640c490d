#include "RES/dialogs/msg_dialog.h"

const DialogTemplate& MsgDialogTemplate() {
    // The buttons' places depend on the button set; the dialog moves them when it opens.
    static const DialogTemplate t = {
        IDD_MSG_DIALOG,
        "Varnel",
        0,
        0,
        285,
        73,
        DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU,
        "Tahoma",
        8,
        {
            dlg::PushButton("Delete", IDC_MSG_DELETE, 53, 54, 50, 14),
            dlg::PushButton("Save", IDC_MSG_SAVE, 183, 54, 50, 14),
            dlg::PushButton("Yes", IDYES, 53, 54, 50, 14),
            dlg::DefPushButton("OK", IDOK, 118, 54, 50, 14),
            dlg::PushButton("No", IDNO, 118, 54, 50, 14),
            dlg::PushButton("Cancel", IDCANCEL, 183, 54, 50, 14),
            dlg::Hidden(
                dlg::CheckBox("Don't show this message again", IDC_MSG_DONT_SHOW, 11, 50, 116, 8)),
            dlg::LText("", IDC_MSG_TEXT, 15, 6, 255, 41),
        }};
    return t;
}
