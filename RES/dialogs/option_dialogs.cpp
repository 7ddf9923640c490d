#include "RES/dialogs/option_dialogs.h"

namespace {

constexpr DWORD kModal =
    DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;

}  // namespace

const DialogTemplate& CsvSettingsTemplate() {
    static const DialogTemplate t = {
        IDD_CSV_SETTINGS,
        "Export file settings",
        0,
        0,
        170,
        63,
        kModal,
        "Tahoma",
        8,
        {
            dlg::DefPushButton("OK", IDOK, 29, 42, 50, 14),
            dlg::PushButton("Cancel", IDCANCEL, 91, 42, 50, 14),
            dlg::CheckBox("Ignore regional settings", IDC_IGNORE_REGIONAL, 14, 14, 142, 10),
        }};
    return t;
}

const DialogTemplate& UnitSettingsTemplate() {
    static const DialogTemplate t = {
        IDD_UNIT_SETTINGS,
        "Unit settings",
        0,
        0,
        186,
        74,
        kModal,
        "Tahoma",
        8,
        {
            dlg::DefPushButton("OK", IDOK, 129, 7, 50, 14),
            dlg::PushButton("Cancel", IDCANCEL, 129, 24, 50, 14),
            dlg::LText("Temperature units", IDC_TEMPERATURE_LABEL, 7, 7, 110, 8),
            dlg::ComboBox(IDC_TEMPERATURE_UNIT, 7, 17, 110, 60),
            dlg::LText("Pressure units:", IDC_PRESSURE_LABEL, 7, 38, 110, 8),
            dlg::ComboBox(IDC_PRESSURE_UNIT, 7, 48, 110, 80),
        }};
    return t;
}

const DialogTemplate& UserInterfaceTemplate() {
    static const DialogTemplate t = {
        IDD_USER_INTERFACE,
        "User interface setting",
        0,
        0,
        149,
        78,
        kModal,
        "Tahoma",
        8,
        {
            dlg::DefPushButton("OK", IDOK, 92, 7, 50, 14),
            dlg::PushButton("Cancel", IDCANCEL, 92, 24, 50, 14),
            dlg::RadioButton("Basic", IDC_LEVEL_BASIC, 14, 10, 70, 10, WS_GROUP | WS_TABSTOP),
            dlg::RadioButton("Simple", IDC_LEVEL_SIMPLE, 14, 28, 70, 10),
            dlg::RadioButton("Advanced", IDC_LEVEL_ADVANCED, 14, 46, 70, 10),
        }};
    return t;
}

const DialogTemplate& StoragePathTemplate() {
    static const DialogTemplate t = {
        IDD_STORAGE_PATH,
        "Set storage folder path",
        0,
        0,
        283,
        74,
        kModal,
        "Tahoma",
        8,
        {
            dlg::DefPushButton("OK", IDOK, 87, 50, 50, 14),
            dlg::PushButton("Cancel", IDCANCEL, 147, 50, 50, 14),
            dlg::EditText(IDC_STORAGE_PATH, 7, 16, 209, 14, ES_AUTOHSCROLL | ES_READONLY),
            dlg::PushButton("Browse", IDC_STORAGE_BROWSE, 226, 16, 50, 14),
        }};
    return t;
}
