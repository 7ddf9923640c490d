#include "RES/dialogs/about.h"

const DialogTemplate& AboutTemplate() {
    static const DialogTemplate t = {
        IDD_ABOUT,
        "About",
        0,
        0,
        220,
        100,
        DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU,
        "Tahoma",
        8,
        {
            dlg::LText("", IDC_ABOUT_LOGO, 7, 7, 32, 32),
            dlg::LText("Varnel", IDC_ABOUT_VERSION, 46, 10, 160, 10),
            dlg::LText("", IDC_ABOUT_NOTICE, 46, 26, 160, 30),
            dlg::LText("", IDC_ABOUT_LINK, 46, 60, 160, 10),
            dlg::DefPushButton("OK", IDC_ABOUT_OK, 163, 79, 50, 14),
        }};
    return t;
}
