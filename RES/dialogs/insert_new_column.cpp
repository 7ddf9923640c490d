#include "RES/dialogs/insert_new_column.h"

const DialogTemplate& InsertNewColumnTemplate() {
    static const DialogTemplate t = {
        IDD_INSERT_NEW_COLUMN,
        "Insert manual column",
        0,
        0,
        186,
        62,
        DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU,
        "Tahoma",
        8,
        {
            dlg::LText("Column Title :", IDC_COLUMN_TITLE_LABEL, 7, 9, 50, 8),
            dlg::EditText(IDC_COLUMN_TITLE, 60, 7, 65, 13),
            dlg::LText("Column Unit :", IDC_COLUMN_UNIT_LABEL, 7, 30, 50, 8),
            dlg::EditText(IDC_COLUMN_UNIT, 60, 28, 40, 13),
            dlg::DefPushButton("OK", IDOK, 131, 7, 48, 14),
            dlg::PushButton("Cancel", IDCANCEL, 131, 26, 48, 14),
        }};
    return t;
}
