#include "displays/graph/graph_format_property.h"

#include "RES/dialogs/graph_format.h"
#include "displays/graph/graph_view.h"
#include "logger/data_tree.h"

namespace {

// The X axis, then each plot by its data set's name.
void FillEntries(CDialog& page, const CGraphView* view, int selected) {
    auto* combo = dynamic_cast<CComboBox*>(page.GetDlgItem(IDC_FORMAT_ENTRIES));
    if (!combo || !view) return;
    combo->AddString("X axis");
    for (int p = 0; p < view->m_plotCount; ++p) {
        const CDataTreeBrench* ds = view->m_plots[p].dataSet;
        combo->AddString(ds ? ds->m_name : CString());
    }
    combo->SetCurSel(selected);
}

}  // namespace

CGraphFormatScales::CGraphFormatScales() : CPropertyPage(GraphFormatScalesTemplate()) {}

BOOL CGraphFormatScales::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    SetDlgItemText(IDC_FORMAT_SELECT_LABEL, "Select plot :");
    FillEntries(*this, m_view, m_entry);
    return TRUE;
}

CGraphFormatLines::CGraphFormatLines() : CPropertyPage(GraphFormatLinesTemplate()) {}

BOOL CGraphFormatLines::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    SetDlgItemText(IDC_FORMAT_SELECT_LABEL, "Select plot :");
    FillEntries(*this, m_view, 0);
    return TRUE;
}

CGraphFormatProperty::CGraphFormatProperty(LPCTSTR caption, CWnd* parent)
    : CPropertySheet(caption, parent) {
    AddPage(&m_scales);
    AddPage(&m_lines);
}

BOOL CGraphFormatProperty::OnInitDialog() {
    CPropertySheet::OnInitDialog();
    SetDlgItemText(IDCANCEL, "Cancel");
    SetDlgItemText(IDOK, "OK");
    return TRUE;
}
