#include "RES/dialogs/graph_format.h"

namespace {
constexpr DWORD kPageStyle = DS_SETFONT | WS_CHILD | WS_CAPTION;
}  // namespace

const DialogTemplate& FormatLinesTemplate() {
    static const DialogTemplate t = {
        IDD_FORMAT_LINES,
        "Lines",
        0,
        0,
        281,
        175,
        kPageStyle,
        "Tahoma",
        8,
        {
            dlg::LText("Select plot :", IDC_FORMAT_SELECT_LABEL, 7, 9, 50, 8),
            dlg::ComboBox(IDC_FORMAT_ENTRIES, 60, 7, 150, 100, CBS_DROPDOWNLIST | WS_VSCROLL),
        }};
    return t;
}

const DialogTemplate& FormatScaleTemplate() {
    static const DialogTemplate t = {
        IDD_FORMAT_SCALE,
        "Scale",
        0,
        0,
        278,
        183,
        kPageStyle,
        "Tahoma",
        8,
        {
            dlg::LText("Select plot :", IDC_FORMAT_SELECT_LABEL, 7, 9, 50, 8),
            dlg::ComboBox(IDC_FORMAT_ENTRIES, 60, 7, 150, 100, CBS_DROPDOWNLIST | WS_VSCROLL),
            dlg::CheckBox("Auto scale", IDC_FORMAT_AUTOSCALE, 7, 30, 80, 10),
            dlg::LText("Min :", IDC_FORMAT_MIN_LABEL, 7, 50, 30, 8),
            dlg::EditText(IDC_FORMAT_MIN, 40, 48, 80, 12),
            dlg::LText("Max :", IDC_FORMAT_MAX_LABEL, 7, 68, 30, 8),
            dlg::EditText(IDC_FORMAT_MAX, 40, 66, 80, 12),
        }};
    return t;
}
