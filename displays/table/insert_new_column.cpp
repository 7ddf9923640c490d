#include "displays/table/insert_new_column.h"

#include "RES/dialogs/insert_new_column.h"

CInsertNewColumn::CInsertNewColumn(CWnd* parent) : CDialog(InsertNewColumnTemplate(), parent) {}

BOOL CInsertNewColumn::OnInitDialog() {
    CDialog::OnInitDialog();
    static const char* const captions[] = {"Insert manual column", "Change column title",
                                           "Change column title and unit"};
    SetWindowText(captions[m_mode < 3 ? m_mode : 0]);
    if (auto* title = dynamic_cast<CEdit*>(GetDlgItem(IDC_COLUMN_TITLE))) {
        title->SetLimitText(kTitleLength);
        title->SetWindowText(m_presetTitle);
    }
    if (auto* unit = dynamic_cast<CEdit*>(GetDlgItem(IDC_COLUMN_UNIT))) {
        unit->SetLimitText(kUnitLength);
        unit->SetWindowText(m_presetUnit);
        unit->EnableWindow(m_mode != 1);
    }
    return TRUE;
}

void CInsertNewColumn::OnOK() {
    m_title = GetDlgItemText(IDC_COLUMN_TITLE);
    m_unit = GetDlgItemText(IDC_COLUMN_UNIT);
    CDialog::OnOK();
}
