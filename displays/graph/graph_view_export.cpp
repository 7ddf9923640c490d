#include <vector>

#include "app/varnel_doc.h"
#include "displays/graph/graph_view.h"
#include "displays/table/export_file.h"
#include "displays/table/table_view.h"
#include "logger/data_tree.h"
#include "logger/helpers.h"

void CGraphView::OnExportToExcel() {
    CVarnelDoc* doc = GetDoc();
    if (!doc || doc->m_runInProgress) return;
    std::vector<DWORD> ids;
    const CDataTreeBrench* xSet = m_yVsX ? m_xAxis.dataSet : nullptr;
    const bool yVsX = xSet && !xSet->IsExperiment();
    if (yVsX) ids.push_back(xSet->m_id);
    for (int i = 0; i < m_plotCount && i < kMaxPlots; ++i)
        if (m_plots[i].dataSet) ids.push_back(m_plots[i].dataSet->m_id);
    if (ids.empty()) return;
    const CString name = FindExportFileName(GetDataRoot());
    if (name.IsEmpty()) {
        // Every scratch name is held: say so rather than drop the export unseen.
        ShowMessage(CVarnelDoc::kExcelErrorText, 0);
        return;
    }
    doc->ExportToExcel(name, ids, yVsX ? FALSE : TRUE);
}
