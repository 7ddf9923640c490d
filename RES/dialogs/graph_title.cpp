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
            dlg::LText("Graph title", IDC_GRAPH_TITLE_LABEL, 7, 7, 150, 8),
            dlg::EditText(IDC_GRAPH_TITLE_EDIT, 7, 18, 206, 14),
            dlg::DefPushButton("OK", IDOK, 53, 41, 50, 14),
            dlg::PushButton("Cancel", IDCANCEL, 117, 41, 50, 14),
        }};
    return t;
}
