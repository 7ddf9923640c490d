// The graph view's saved graphs, the showing of data sets and saved graphs, and the removal of a
// plot.

#include <algorithm>

#include "app/data_tree_view.h"
#include "app/main_frame.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_frame.h"
#include "displays/graph/graph_view.h"
#include "displays/table/table_view.h"
#include "logger/data_tree.h"
#include "logger/helpers.h"
#include "logger/settings.h"

void CGraphView::OnAddGraphToProject() {
    if (!m_doc) return;
    CString name = m_graph.GetCaption();
    switch (m_graphState) {
        case 1:
            return;
        case 2:
            if (m_currentGraph) {
                name = m_graph.GetCaption();
                ForgetSavedGraph();
            }
            break;
        case 3:
            if (ShowMessage("Do you want to update saved graph?", 4) == IDYES && m_currentGraph) {
                name = m_currentGraph->m_name;
                ForgetSavedGraph();
            }
            break;
        default:
            break;
    }
    if (name.IsEmpty()) name = CString::Formatted("%s %d", "Graph", s_graphCounter++);

    CDataTreeView* tree = m_doc->m_dataTreeView;
    if (m_currentGraph) {
        // Kept after a No: another saved graph is shown from now on.
        if (tree) tree->SetGraphCheckState(m_currentGraph->m_item, 1);
        m_currentGraph->m_shown = 0;
    }
    const DWORD item = m_doc->m_graphList.NewItem();
    if (tree) tree->AddGraphItem(item, name, m_yVsX);
    m_doc->m_graphList.AddGraph(item, name, m_plots, m_plotCount, m_xAxis, m_yVsX, m_barGraph);
    m_currentGraph = m_doc->m_graphList.FindByItem(item);

    if (tree) tree->ExpandGraphs();
    m_graph.SetCaption(name);
    m_graphState = 1;
    m_currentGraph->m_shown = 1;
    if (tree) tree->SetGraphCheckState(item, 2);
}

void CGraphView::ForgetSavedGraph() {
    if (!m_currentGraph || !m_doc) return;
    const DWORD item = m_currentGraph->m_item;
    if (m_doc->m_dataTreeView) m_doc->m_dataTreeView->DeleteGraphItem(item);
    m_doc->m_graphList.RemoveGraph(item);
    m_currentGraph = nullptr;
}

void CGraphView::RemovePlot(DWORD dataSetId, int index) {
    if (index == -1) index = FindPlotByDataSet(dataSetId);
    if (index < 0 || index >= m_plotCount) return;
    CDataTreeBrench* removed = m_plots[index].dataSet;

    for (int i = 0; i < kMaxPlots; ++i)
        m_plots[i].RemoveLink(index);
    if (index < m_plotCount - 1) {
        for (int i = index; i < m_plotCount - 1; ++i) {
            m_plots[i] = m_plots[i + 1];
            PlotRecordStruct& r = m_plots[i];
            const GraphLinesInfoStruct& row = LineRow(i);
            const COLORREF own = r.colour;
            r.TakeLineRow(row);
            // A sensor's colour goes with its data set; others take the place's colour.
            if (r.dataSet && !TakesPlaceColour(r.dataSet)) r.colour = own;
        }
    }
    --m_plotCount;
    m_plots[m_plotCount] = PlotRecordStruct();
    m_plots[m_plotCount].TakeLineRow(LineRow(m_plotCount));
    for (PlotRecordStruct& r : m_plots)
        for (int i = 0; i < r.linkCount; ++i)
            if (r.links[i] >= index) --r.links[i];

    if (removed && m_doc && m_doc->m_dataList.FindById(removed->m_id))
        SetDataSetShown(removed, FALSE);
    if (m_cursorAPlot == index) HideCursors();

    // Rebuilt from the records: the control's plots and axes follow the new numbering.
    const SHORT count = m_plotCount;
    RefreshGraph(FALSE);
    ClearControl();
    for (int p = 0; p < count; ++p) {
        AttachControlPlot(p);
        m_plots[p].grid = p == 0;
        m_plots[p].pointsShown = 0;
    }
    PlaceRightScale();
    for (int p = 0; p < count; ++p)
        PlotAllData(p);
    if (count >= 1) {
        ApplyGraphSettings();
        SetPlayEnabled(TRUE);
        // The refresh greyed what works on a graph with data: the plots left still have it.
        EnableGraphCommands(TRUE);
    }
}

int CGraphView::ShowDataSet(CDataTreeBrench* ds) {
    if (!ds) return -1;
    if (m_barGraph && m_plotCount >= 1) RefreshGraph(TRUE);
    BOOL added = FALSE;
    const SHORT pos = AddPlot(ds, ds->m_originCode, TRUE, added, FALSE, -1);
    PlotAllData(pos);
    if (CTableView* table = added && m_doc ? m_doc->GetTableView() : nullptr) {
        table->AddDataSetColumns(ds);
        table->FillGrid(-1);
    }
    return pos;
}

namespace {

bool IsExternal(const CDataTreeBrench* d) {
    return (d->m_modelCode == 100 && (d->m_inputKind == 5 || d->m_inputKind == 6)) ||
           (d->m_modelCode == 0 && (d->m_inputKind == 0 || d->m_inputKind == 1));
}

}  // namespace

bool CGraphView::SharesSingleAxis(const CDataTreeBrench* d, const CDataTreeBrench* last) {
    if (!d || !last) return false;
    if (d->m_inputKind == last->m_inputKind) return true;
    if (IsTemperatureSensor(d) && IsTemperatureSensor(last)) return true;
    return IsExternal(d) && d->m_sensorId == last->m_sensorId;
}

void CGraphView::ShowExperiment(DWORD graphItem) {
    if (!m_doc) return;
    CGraphTreeBrench* g = m_doc->m_graphList.FindByItem(graphItem);
    if (!g) return;
    if (m_predictMode) {
        if (ShowMessage(CVarnelDoc::kEndPredictText, 4) != IDYES) return;
        TogglePredictMode();
    }
    RefreshGraph(TRUE);
    if ((g->m_barGraph != 0) != (m_barGraph != 0)) OnBarGraph();
    const bool single = Settings() && Settings()->m_singleAxis;
    // Records whose data set is gone are left out; their links would point elsewhere.
    int count = 0;
    bool dropped = false;
    for (int i = 0; i < g->m_plotCount && i < kMaxPlots; ++i) {
        const CDataTreeBrench* d = g->m_plots[i].dataSet;
        if (!d) {
            dropped = true;
            continue;
        }
        // One axis: only plots of the first one's kind.
        if (single && count > 0 && !SharesSingleAxis(d, m_plots[count - 1].dataSet)) {
            dropped = true;
            continue;
        }
        m_plots[count] = g->m_plots[i];
        m_plots[count].pointsShown = 0;
        ++count;
    }
    m_plotCount = static_cast<SHORT>(count);
    for (int p = 0; p < count; ++p) {
        if (dropped) m_plots[p].ClearLinks();
        AttachControlPlot(p);
    }
    RelinkSensorlessPlots();
    PlaceRightScale();
    m_xAxis = g->m_xAxis;
    m_yVsX = g->m_yVsX && m_xAxis.dataSet;
    if (m_frame) m_frame->m_yVsX = m_yVsX ? TRUE : FALSE;
    if (CMainFrame* main = MainFrame()) main->m_areaAvailable = m_yVsX ? 0 : 1;
    m_barGraph = g->m_barGraph ? 1 : 0;
    for (int p = 0; p < count; ++p)
        PlotAllData(p);
    ApplyGraphSettings();
    if (count > 0) EnableGraphCommands(TRUE);
    m_graph.SetCaption(g->m_name);
    m_currentGraph = g;
    g->m_shown = 1;
    m_graphState = 1;
    if (m_doc->m_dataTreeView) m_doc->m_dataTreeView->SetGraphCheckState(graphItem, 2);
}

void CGraphView::ShowTreeItemChildren(DWORD experimentId) {
    if (!m_doc) return;
    const int first = m_doc->m_dataList.IndexOfId(experimentId);
    if (first < 0) return;
    for (int i = first + 1; i < m_doc->m_dataList.GetCount(); ++i) {
        CDataTreeBrench* ds = m_doc->m_dataList.GetAt(i);
        if (ds->IsExperiment()) break;
        ShowDataSet(ds);
    }
}
