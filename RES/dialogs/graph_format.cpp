#include "RES/dialogs/graph_format.h"

#include "platform/ui/date_time_ctrl.h"

namespace {
constexpr DWORD kPageStyle = DS_SETFONT | WS_CHILD | WS_CAPTION;
constexpr DWORD kSwatch = CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS;
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
            dlg::GroupBox("Line :", IDC_FORMAT_LINE_GROUP, 7, 26, 267, 58),
            dlg::CheckBox("Visible", IDC_FORMAT_LINE_VISIBLE, 14, 38, 50, 10),
            dlg::LText("Color :", IDC_FORMAT_LINE_COLOR_LABEL, 14, 60, 30, 8),
            dlg::ComboBox(IDC_FORMAT_LINE_COLOR, 46, 58, 44, 60, kSwatch),
            dlg::Control("...", IDC_FORMAT_LINE_PICKER, "CWButton", WS_TABSTOP, 92, 58, 14, 13),
            dlg::LText("Style :", IDC_FORMAT_LINE_STYLE_LABEL, 120, 40, 30, 8),
            dlg::ComboBox(IDC_FORMAT_LINE_STYLE, 154, 38, 100, 60),
            dlg::LText("Weight :", IDC_FORMAT_WEIGHT_LABEL, 120, 62, 30, 8),
            dlg::ComboBox(IDC_FORMAT_WEIGHT, 154, 60, 100, 60),
            dlg::GroupBox("Markers :", IDC_FORMAT_MARKER_GROUP, 7, 90, 267, 56),
            dlg::CheckBox("Visible", IDC_FORMAT_MARKER_VISIBLE, 14, 102, 50, 10),
            dlg::LText("Color :", IDC_FORMAT_MARKER_COLOR_LABEL, 14, 124, 30, 8),
            dlg::ComboBox(IDC_FORMAT_MARKER_COLOR, 46, 122, 44, 60, kSwatch),
            dlg::Control("...", IDC_FORMAT_MARKER_PICKER, "CWButton", WS_TABSTOP, 92, 122, 14, 13),
            dlg::LText("Style :", IDC_FORMAT_MARKER_STYLE_LABEL, 120, 104, 30, 8),
            dlg::ComboBox(IDC_FORMAT_MARKER_STYLE, 154, 102, 100, 90),
            dlg::PushButton("Restore defaults", IDC_FORMAT_RESTORE, 7, 154, 70, 14),
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
            dlg::Hidden(dlg::Control("", IDC_FORMAT_MIN_DATE, DATETIMEPICK_CLASS, WS_TABSTOP, 40,
                                     48, 60, 12)),
            dlg::Hidden(dlg::Control("", IDC_FORMAT_MIN_TIME, DATETIMEPICK_CLASS,
                                     WS_TABSTOP | DTS_TIMEFORMAT, 102, 48, 50, 12)),
            dlg::Hidden(dlg::Control("", IDC_FORMAT_MAX_DATE, DATETIMEPICK_CLASS, WS_TABSTOP, 40,
                                     66, 60, 12)),
            dlg::Hidden(dlg::Control("", IDC_FORMAT_MAX_TIME, DATETIMEPICK_CLASS,
                                     WS_TABSTOP | DTS_TIMEFORMAT, 102, 66, 50, 12)),
            dlg::CheckBox("Logarithmic scale", IDC_FORMAT_LOGARITHMIC, 7, 88, 100, 10),
            dlg::Hidden(dlg::CheckBox("Grid lines", IDC_FORMAT_GRID, 7, 102, 100, 10)),
        }};
    return t;
}
