#include "displays/graph/xy_setting_dialog.h"

#include <algorithm>

#include "RES/dialogs/xy_setting.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_view.h"
#include "logger/data_tree.h"

CXYSettingDialog::CXYSettingDialog(CWnd* parent) : CDialog(XYSettingTemplate(), parent) {}

void CXYSettingDialog::SetSensorList(const SensorListItemStruct* list, int count) {
    m_sensorCount = static_cast<SHORT>(std::clamp(count, 0, kMaxSensors));
    for (int i = 0; i < m_sensorCount; ++i)
        m_sensors[i] = list[i];
}

std::vector<CString> CXYSettingDialog::ItemTexts() {
    std::vector<CString> texts;
    m_dataSetIds.clear();
    for (int i = 0; i < m_sensorCount; ++i)
        texts.push_back(CString::Formatted("%s : %s", "Online", m_sensors[i].name.GetString()));
    CGraphView* view = m_doc ? m_doc->GetGraphView() : nullptr;
    for (int p = 0; view && p < view->m_plotCount; ++p) {
        const CDataTreeBrench* d = view->m_plots[p].dataSet;
        const CDataTreeBrench* experiment =
            d ? m_doc->m_dataList.GetExperimentOf(d->m_id) : nullptr;
        if (!experiment) continue;
        texts.push_back(experiment->m_name + " : " + d->m_name);
        m_dataSetIds.push_back(d->m_id);
    }
    return texts;
}

int CXYSettingDialog::InitialItem() const {
    CGraphView* view = m_doc ? m_doc->GetGraphView() : nullptr;
    const CDataTreeBrench* x = view && view->m_yVsX ? view->m_xAxis.dataSet : nullptr;
    for (size_t i = 0; x && i < m_dataSetIds.size(); ++i)
        if (m_dataSetIds[i] == x->m_id) return m_sensorCount + static_cast<int>(i);
    return 0;
}

void CXYSettingDialog::FillPlotList() {
    auto* combo = static_cast<CComboBox*>(GetDlgItem(IDC_XY_PLOTS));
    if (!combo) return;
    combo->ResetContent();
    for (const CString& text : ItemTexts())
        combo->AddString(text);
    combo->SetCurSel(InitialItem());
}

BOOL CXYSettingDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    SetWindowText("Y vs X setting dialog");
    SetDlgItemText(IDC_XY_LABEL, "Select X axis plot :");
    SetDlgItemText(IDOK, "OK");
    SetDlgItemText(IDCANCEL, "Cancel");
    FillPlotList();
    return TRUE;
}

void CXYSettingDialog::OnOK() {
    auto* combo = static_cast<CComboBox*>(GetDlgItem(IDC_XY_PLOTS));
    m_selection = combo ? combo->GetCurSel() : -1;
    CDialog::OnOK();
}
