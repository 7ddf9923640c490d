#include "experiment/external_sensor_selection_dialog.h"

#include "RES/dialogs/external_sensor_selection.h"
#include "logger/settings.h"
#include "platform/ui/controls.h"

BEGIN_MESSAGE_MAP(CExternalSensorSelectionDialog, CDialog)
ON_CBN_SELCHANGE(IDC_EXTERNAL_SENSOR_TYPE, OnTypeChange)
END_MESSAGE_MAP()

CExternalSensorSelectionDialog::CExternalSensorSelectionDialog(CWnd* parent)
    : CDialog(ExternalSensorSelectionTemplate(), parent) {}

void CExternalSensorSelectionDialog::SetSensorTable(const SensorInfoStruct* table,
                                                    BYTE currentType) {
    m_table = table;
    m_type = currentType;
    m_givenType = currentType;
}

BOOL CExternalSensorSelectionDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    SetWindowText("External sensor selection");
    SetDlgItemText(IDC_EXTERNAL_SENSOR_LABEL, "External Sensor :");
    SetDlgItemText(IDCANCEL, "Cancel");
    SetDlgItemText(IDOK, "OK");
    m_entries.clear();
    if (!m_table) return TRUE;
    for (int i = 0; i < kTypes; ++i)
        m_entries.push_back({m_table[i].name, static_cast<BYTE>(i)});
    // Bubble passes: entries with equal names keep their order.
    for (size_t pass = 1; pass < m_entries.size(); ++pass)
        for (size_t i = 0; i + pass < m_entries.size(); ++i)
            if (m_entries[i].name.CompareNoCase(m_entries[i + 1].name) > 0)
                std::swap(m_entries[i], m_entries[i + 1]);
    auto* combo = dynamic_cast<CComboBox*>(GetDlgItem(IDC_EXTERNAL_SENSOR_TYPE));
    if (!combo) return TRUE;
    for (const EntryStruct& e : m_entries) {
        CString text = e.name + " (" + m_table[e.type].unit + ")";
        const int item = combo->AddString(text);
        if (e.type == m_type) combo->SetCurSel(item);
    }
    return TRUE;
}

void CExternalSensorSelectionDialog::OnTypeChange() {
    auto* combo = dynamic_cast<CComboBox*>(GetDlgItem(IDC_EXTERNAL_SENSOR_TYPE));
    if (!combo) return;
    const int sel = combo->GetCurSel();
    if (sel >= 0 && sel < static_cast<int>(m_entries.size())) m_type = m_entries[sel].type;
}

void CExternalSensorSelectionDialog::OnCancel() {
    // A choice made before Cancel is not kept.
    m_type = m_givenType;
    CDialog::OnCancel();
}
