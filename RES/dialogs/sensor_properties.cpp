#include "RES/dialogs/sensor_properties.h"

const DialogTemplate& SensorPropertiesTemplate() {
    static const DialogTemplate t = [] {
        DialogTemplate d{IDD_SENSOR_PROPERTIES,
                         "Sensor display properties",
                         0,
                         0,
                         236,
                         176,
                         DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU,
                         "Tahoma",
                         8,
                         {}};
        const DWORD swatch = CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS;
        auto& i = d.items;
        i.push_back(dlg::GroupBox("Plot", IDC_PROP_PLOT_GROUP, 6, 4, 224, 100));
        i.push_back(dlg::GroupBox("Line", IDC_PROP_LINE_GROUP, 12, 14, 104, 86));
        i.push_back(dlg::CheckBox("Visible", IDC_PROP_LINE_VISIBLE, 18, 26, 60, 10));
        i.push_back(dlg::LText("Color :", IDC_PROP_LINE_COLOR_LABEL, 18, 42, 30, 10));
        i.push_back(dlg::ComboBox(IDC_PROP_LINE_COLOR, 50, 40, 44, 60, swatch));
        i.push_back(
            dlg::Control("...", IDC_PROP_LINE_PICKER, "CWButton", WS_TABSTOP, 96, 40, 14, 13));
        i.push_back(dlg::LText("Style :", IDC_PROP_LINE_STYLE_LABEL, 18, 60, 30, 10));
        i.push_back(dlg::ComboBox(IDC_PROP_LINE_STYLE, 50, 58, 60, 60));
        i.push_back(dlg::LText("Weight :", IDC_PROP_WEIGHT_LABEL, 18, 78, 30, 10));
        i.push_back(dlg::ComboBox(IDC_PROP_LINE_WEIGHT, 50, 76, 60, 60));
        i.push_back(dlg::GroupBox("Markers", IDC_PROP_MARKER_GROUP, 120, 14, 104, 86));
        i.push_back(dlg::CheckBox("Visible", IDC_PROP_MARKER_VISIBLE, 126, 26, 60, 10));
        i.push_back(dlg::LText("Color :", IDC_PROP_MARKER_COLOR_LABEL, 126, 42, 30, 10));
        i.push_back(dlg::ComboBox(IDC_PROP_MARKER_COLOR, 158, 40, 44, 60, swatch));
        i.push_back(
            dlg::Control("...", IDC_PROP_MARKER_PICKER, "CWButton", WS_TABSTOP, 204, 40, 14, 13));
        i.push_back(dlg::LText("Style :", IDC_PROP_MARKER_STYLE_LABEL, 126, 60, 30, 10));
        i.push_back(dlg::ComboBox(IDC_PROP_MARKER_STYLE, 158, 58, 60, 90));
        i.push_back(dlg::GroupBox("Scale", IDC_PROP_SCALE_GROUP, 6, 108, 224, 42));
        i.push_back(dlg::CheckBox("Auto scale", IDC_PROP_AUTO_SCALE, 12, 120, 60, 10));
        i.push_back(dlg::LText("Min :", IDC_PROP_MIN_LABEL, 80, 121, 20, 10));
        i.push_back(dlg::EditText(IDC_PROP_MIN, 100, 119, 40, 12));
        i.push_back(dlg::LText("Max :", IDC_PROP_MAX_LABEL, 150, 121, 20, 10));
        i.push_back(dlg::EditText(IDC_PROP_MAX, 170, 119, 40, 12));
        i.push_back(dlg::DefPushButton("OK", IDOK, 120, 156, 50, 14));
        i.push_back(dlg::PushButton("Cancel", IDCANCEL, 178, 156, 50, 14));
        return d;
    }();
    return t;
}
