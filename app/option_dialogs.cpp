#include "app/option_dialogs.h"

#include <iterator>

#include "RES/dialogs/option_dialogs.h"

// ---- Export file settings

BEGIN_MESSAGE_MAP(CCSVsettingDialog, CDialog)
ON_BN_CLICKED(IDC_IGNORE_REGIONAL, OnIgnoreRegional)
END_MESSAGE_MAP()

CCSVsettingDialog::CCSVsettingDialog(CWnd* parent) : CDialog(CsvSettingsTemplate(), parent) {}

void CCSVsettingDialog::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, IDOK, m_ok);
    DDX_Control(dx, IDCANCEL, m_cancel);
    DDX_Control(dx, IDC_IGNORE_REGIONAL, m_check);
}

BOOL CCSVsettingDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    SetWindowText("Export file settings");
    m_check.SetWindowText("Ignore regional settings");
    m_ok.SetWindowText("OK");
    m_cancel.SetWindowText("Cancel");
    m_check.SetCheck(m_ignoreRegional ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
}

void CCSVsettingDialog::OnIgnoreRegional() {
    m_ignoreRegional = m_check.GetCheck() == BST_CHECKED;
}

// ---- Unit settings

BEGIN_MESSAGE_MAP(CUnitSettingsDialog, CDialog)
ON_CBN_SELCHANGE(IDC_TEMPERATURE_UNIT, OnTemperatureChange)
ON_CBN_SELCHANGE(IDC_PRESSURE_UNIT, OnPressureChange)
END_MESSAGE_MAP()

CUnitSettingsDialog::CUnitSettingsDialog(CWnd* parent) : CDialog(UnitSettingsTemplate(), parent) {}

void CUnitSettingsDialog::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, IDOK, m_ok);
    DDX_Control(dx, IDCANCEL, m_cancel);
    DDX_Control(dx, IDC_TEMPERATURE_LABEL, m_temperatureLabel);
    DDX_Control(dx, IDC_TEMPERATURE_UNIT, m_temperature);
    DDX_Control(dx, IDC_PRESSURE_LABEL, m_pressureLabel);
    DDX_Control(dx, IDC_PRESSURE_UNIT, m_pressure);
}

BOOL CUnitSettingsDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    m_ok.SetWindowText("OK");
    m_cancel.SetWindowText("Cancel");
    m_temperatureLabel.SetWindowText("Temperature units");
    m_pressureLabel.SetWindowText("Pressure units:");
    SetWindowText("Unit settings");
    for (const char* unit : kTemperatureUnits)
        m_temperature.AddString(unit);
    for (const char* unit : kPressureUnits)
        m_pressure.AddString(unit);
    m_temperature.SetCurSel(m_temperatureUnit);
    m_pressure.SetCurSel(m_pressureUnit);
    return TRUE;
}

void CUnitSettingsDialog::OnTemperatureChange() {
    const int index = m_temperature.GetCurSel();
    if (index >= 0) m_temperatureUnit = static_cast<BYTE>(index);
}

void CUnitSettingsDialog::OnPressureChange() {
    const int index = m_pressure.GetCurSel();
    if (index >= 0) m_pressureUnit = static_cast<BYTE>(index);
}

// ---- User interface setting

CUserInterfaceDialog::CUserInterfaceDialog(CWnd* parent)
    : CDialog(UserInterfaceTemplate(), parent) {}

void CUserInterfaceDialog::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, IDOK, m_ok);
    DDX_Control(dx, IDCANCEL, m_cancel);
    DDX_Control(dx, IDC_LEVEL_BASIC, m_basic);
    DDX_Control(dx, IDC_LEVEL_SIMPLE, m_simple);
    DDX_Control(dx, IDC_LEVEL_ADVANCED, m_advanced);
}

BOOL CUserInterfaceDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    SetWindowText("User interface setting");
    m_basic.SetWindowText("Basic");
    m_simple.SetWindowText("Simple");
    m_advanced.SetWindowText("Advanced");
    m_ok.SetWindowText("OK");
    m_cancel.SetWindowText("Cancel");
    m_basic.SetCheck(m_level == 0);
    m_simple.SetCheck(m_level == 1);
    m_advanced.SetCheck(m_level == 2);
    return TRUE;
}

void CUserInterfaceDialog::OnOK() {
    m_level = m_basic.GetCheck() == BST_CHECKED ? 0 : m_simple.GetCheck() == BST_CHECKED ? 1 : 2;
    CDialog::OnOK();
}
