#include "RES/dialogs/fetch_progress_dialog.h"

#include "platform/ui/progress_ctrl.h"

const DialogTemplate& FetchProgressDialogTemplate() {
    // Hidden until its owner shows it; the close box is Cancel.
    static const DialogTemplate t = {
        IDD_FETCH_PROGRESS_DIALOG,
        "Download Progress",
        0,
        0,
        216,
        74,
        DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU,
        "Tahoma",
        8,
        {
            dlg::PushButton("Cancel", IDCANCEL, 83, 53, 50, 14),
            dlg::LText("Downloading... Please wait", IDC_FETCH_TEXT, 12, 9, 192, 10),
            dlg::Control("", IDC_FETCH_PROGRESS, PROGRESS_CLASS, WS_BORDER | PBS_SMOOTH, 12, 25,
                         164, 12),
            dlg::RText("0%", IDC_FETCH_PERCENT, 180, 27, 24, 10),
        }};
    return t;
}
