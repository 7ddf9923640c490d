#include "RES/dialogs/graph_title.h"

const DialogTemplate& GraphTitleTemplate() {
    static const DialogTemplate t = {
        IDD_GRAPH_TITLE,
        "Graph title",
        0,
        0,
        220,
        62,
        DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU,
        "Tahoma",
        8,
        {
            dlg::LText("Graph title", IDC_GRAPH_TITLE_LABEL, 7, 7, 206, 10),
            dlg::EditText(IDC_GRAPH_TITLE_EDIT, 7, 19, 206, 14),
            dlg::DefPushButton("OK", IDOK, 109, 41, 50, 14),
            dlg::PushButton("Cancel", IDCANCEL, 163, 41, 50, 14),
        }};
    return t;
}
