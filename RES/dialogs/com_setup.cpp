#include "RES/dialogs/com_setup.h"

const DialogTemplate& ComSetupTemplate() {
    static const DialogTemplate t = {
        IDD_COM_SETUP,
        "Communication Setup",
        0,
        0,
        206,
        170,
        DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU,
        "Tahoma",
        8,
        {
            dlg::LText("Select port:", IDC_COM_SELECT_PORT, 7, 7, 120, 8),
            dlg::ListBox(IDC_COM_PORT_LIST, 7, 18, 130, 145,
                         LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT),
            dlg::DefPushButton("Try to connect", IDOK, 145, 18, 54, 14),
            dlg::PushButton("Cancel", IDCANCEL, 145, 54, 54, 14),
            dlg::PushButton("Work offline", IDC_COM_WORK_OFFLINE, 145, 36, 54, 14),
        }};
    return t;
}
