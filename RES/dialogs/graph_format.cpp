#include "RES/dialogs/graph_format.h"

namespace {

constexpr DWORD kPage = DS_SETFONT | WS_CHILD | WS_CAPTION | DS_CONTROL;

}  // namespace

const DialogTemplate& GraphFormatScalesTemplate() {
    static const DialogTemplate t = {
        IDD_GRAPH_FORMAT_SCALES,
        "Scale",
        0,
        0,
        278,
        150,
        kPage,
        "Tahoma",
        8,
        {
            dlg::LText("Select plot :", IDC_FORMAT_SELECT_LABEL, 7, 9, 60, 8),
            dlg::ComboBox(IDC_FORMAT_ENTRIES, 70, 7, 150, 100),
        }};
    return t;
}

const DialogTemplate& GraphFormatLinesTemplate() {
    static const DialogTemplate t = {
        IDD_GRAPH_FORMAT_LINES,
        "Lines",
        0,
        0,
        281,
        150,
        kPage,
        "Tahoma",
        8,
        {
            dlg::LText("Select plot :", IDC_FORMAT_SELECT_LABEL, 7, 9, 60, 8),
            dlg::ComboBox(IDC_FORMAT_ENTRIES, 70, 7, 150, 100),
        }};
    return t;
}
