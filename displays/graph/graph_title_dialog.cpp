#include "displays/graph/graph_title_dialog.h"

#include "RES/dialogs/graph_title.h"

CGraphTitleDialog::CGraphTitleDialog(CWnd* parent) : CDialog(GraphTitleTemplate(), parent) {}

BOOL CGraphTitleDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    SetWindowText("Graph title");
    SetDlgItemText(IDC_GRAPH_TITLE_LABEL, "Graph title");
    SetDlgItemText(IDC_GRAPH_TITLE_EDIT, m_title);
    return TRUE;
}

void CGraphTitleDialog::OnOK() {
    m_title = GetDlgItemText(IDC_GRAPH_TITLE_EDIT);
    CDialog::OnOK();
}
