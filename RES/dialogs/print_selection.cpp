#include "RES/dialogs/print_selection.h"

#include "platform/ui/date_time_ctrl.h"

const DialogTemplate& PrintSelectionTemplate() {
    static const DialogTemplate t = {
        IDD_PRINT_SELECTION,
        "Print selection",
        0,
        0,
        206,
        136,
        DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU,
        "Tahoma",
        8,
        {
            dlg::RadioButton("Graph", IDC_PRINT_GRAPH, 14, 10, 80, 10, WS_GROUP | WS_TABSTOP),
            dlg::RadioButton("Table", IDC_PRINT_TABLE, 14, 24, 80, 10),
            dlg::GroupBox("Table data selection", IDC_PRINT_RANGE_GROUP, 7, 40, 192, 70),
            dlg::CheckBox("Print all Data", IDC_PRINT_ALL_DATA, 16, 53, 100, 10),
            dlg::LText("From :", IDC_PRINT_FROM_LABEL, 16, 72, 30, 8),
            dlg::EditText(IDC_PRINT_FROM, 50, 70, 60, 12),
            dlg::Control("", IDC_PRINT_FROM_DATE, DATETIMEPICK_CLASS,
                         DTS_SHORTDATEFORMAT | WS_TABSTOP, 50, 70, 70, 12),
            dlg::Control("", IDC_PRINT_FROM_TIME, DATETIMEPICK_CLASS, DTS_TIMEFORMAT | WS_TABSTOP,
                         126, 70, 64, 12),
            dlg::LText("To :", IDC_PRINT_TO_LABEL, 16, 90, 30, 8),
            dlg::EditText(IDC_PRINT_TO, 50, 88, 60, 12),
            dlg::Control("", IDC_PRINT_TO_DATE, DATETIMEPICK_CLASS,
                         DTS_SHORTDATEFORMAT | WS_TABSTOP, 50, 88, 70, 12),
            dlg::Control("", IDC_PRINT_TO_TIME, DATETIMEPICK_CLASS, DTS_TIMEFORMAT | WS_TABSTOP,
                         126, 88, 64, 12),
            dlg::DefPushButton("Print", IDC_PRINT, 45, 116, 50, 14),
            dlg::PushButton("Cancel", IDCANCEL, 111, 116, 50, 14),
        }};
    return t;
}
