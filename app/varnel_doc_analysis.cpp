// The document's analysis commands: the choice of plot and range on the graph, the fit, and the
// result's way into the project, the graph and the table.

#include "app/varnel_doc_analysis.h"

#include <climits>
#include <cstdlib>

#include "analysis/linear_fit.h"
#include "app/data_tree_view.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_view.h"
#include "displays/table/table_view.h"
#include "logger/helpers.h"

namespace {

// The data map's picture of a computed series, normal and selected.
constexpr int kResultImage = 10;
constexpr WORD kFittedLineOrigin = 3;
// Range marks of a data set whose display range is not set yet.
constexpr double kUnsetRangeLow = 9999999.0;
constexpr double kUnsetRangeHigh = -9999999.0;
// A sensor index that leaves the range marks as given.
constexpr WORD kNoSensorRange = 255;

struct ChosenRange {
    CDataTreeBrench* dataSet = nullptr;
    int first = 0;
    int last = 0;
};

// A plot's name is its one-based number; anything else reads as 0.
int PlotNumber(const CString& name) {
    char* end = nullptr;
    const long n = std::strtol(name, &end, 10);
    return n > 0 && n < INT_MAX ? static_cast<int>(n) : 0;
}

// The data set under the first cursor and the stretch the cursors mark; false without a placed
// cursor on a plot that has a data set.
bool ChooseByCursors(CGraphView& graph, ChosenRange& out) {
    const bool placed = graph.m_cursorAPlot == 0 || graph.m_cursorAPlot == 1;
    if (graph.m_cursorCount == 0 || !placed) return false;
    const CDispatchDriver cursors = graph.GetGraph().GetCursors();
    const CDispatchDriver cursorA = cursors.Item(2);
    const int index = PlotNumber(cursorA.GetObject(8).GetString(3)) - 1;
    if (index < 0 || index >= graph.m_plotCount || index >= CGraphView::kMaxPlots) return false;
    CDataTreeBrench* set = graph.m_plots[index].dataSet;
    if (!set) return false;
    out.dataSet = set;
    if (graph.m_cursorCount == 2) {
        out.first = cursorA.GetLong(6);
        out.last = cursors.Item(3).GetLong(6);
    } else {
        out.first = 0;
        out.last = set->GetXCount();
    }
    return true;
}

}  // namespace

CDataTreeBrench* RunAnalysisFunction(CVarnelDoc* doc, WORD code) {
    if (!doc || code != kAnalysisLinearFit) return nullptr;
    CGraphView* graph = doc->GetGraphView();
    if (!graph) return nullptr;
    if (graph->m_predictMode) {
        if (ShowMessage(CVarnelDoc::kEndPredictText, 4) != IDYES) return nullptr;
        graph->TogglePredictMode();
    }

    ChosenRange chosen;
    if (!ChooseByCursors(*graph, chosen)) {
        CDataTreeBrench* only = graph->m_plotCount == 1 ? graph->m_plots[0].dataSet : nullptr;
        if (!only) {
            ShowMessage(kSelectPlotText, 0);
            return nullptr;
        }
        chosen = {only, 0, only->GetXCount()};
    }

    CDataTreeBrench* xSet = graph->m_yVsX ? graph->m_xAxis.dataSet : nullptr;
    CDataTreeBrench* result = LinearFit(doc, chosen.dataSet, xSet, chosen.first, chosen.last);
    if (!result) {
        ShowMessage(kAnalysisFailedText, 0);
        return nullptr;
    }
    result->m_derived = 1;
    doc->m_dataList.LinkDataSets(chosen.dataSet, result);
    BOOL added = FALSE;
    const SHORT plot = graph->AddPlot(result, PlotRecordStruct::kNoChannel, TRUE, added, FALSE, -1);
    // A full graph refuses the plot; the project and the table still take the line.
    if (added) graph->PlotAllData(plot);
    if (CTableView* table = doc->GetTableView()) {
        table->AddDataSetColumns(result);
        table->FillGrid(-1);
    }
    if (graph->m_graphState < 2) graph->m_graphState = 2;
    return result;
}

CDataTreeBrench* LinearFit(CVarnelDoc* doc, CDataTreeBrench* dataSet, CDataTreeBrench* xDataSet,
                           int first, int last) {
    if (!doc || !dataSet) return nullptr;
    const CDataTreeView* tree = doc->GetDataTreeView();
    const DWORD group = tree ? tree->m_fitGroupId : 0;
    if (group == 0) return nullptr;
    const CString name = CString::Formatted(
        "%s(%s - %s)", "Linear", doc->m_dataList.GetExperimentName(dataSet->m_id), dataSet->m_name);
    LinearFitSeries fit;
    if (!ComputeLinearFit(*dataSet, xDataSet, first, last,
                          RateInfo(dataSet->m_rateCode).intervalSeconds, fit))
        return nullptr;
    CDataTreeBrench* result = AddResultSeries(
        doc, group, std::move(fit.x), std::move(fit.y), name, dataSet->m_rateCode, dataSet->m_unit,
        dataSet->m_startTime, kFittedLineOrigin, -1, dataSet->m_identityValue, dataSet->m_videoFile,
        dataSet->m_inputKind, dataSet->m_sensorId, dataSet->m_modelCode);
    if (!result) return nullptr;
    result->m_comment = CString::Formatted("%s %s", kFitEquationPrefix, fit.equation);
    return result;
}

CDataTreeBrench* AddResultSeries(CVarnelDoc* doc, DWORD groupId, CDataArrayPtr x, CDataArrayPtr y,
                                 const CString& name, WORD rateCode, const CString& unit,
                                 const CPreciseDateTime& startTime, WORD originCode,
                                 SHORT secondValue, WORD identityValue, const CString& videoFile,
                                 WORD inputKind, BYTE sensorId, BYTE modelCode) {
    if (!doc) return nullptr;
    CDataTreeBrench* group = doc->m_dataList.FindById(groupId);
    if (!group || !group->IsExperiment()) return nullptr;
    CDataTreeBrench* result = doc->AddDataBranch(
        group, std::move(x), std::move(y), name, rateCode, unit, startTime, originCode, secondValue,
        identityValue, videoFile, kNoSensorRange, kUnsetRangeLow, kUnsetRangeHigh);
    if (!result) return nullptr;
    result->m_inputKind = inputKind;
    result->m_sensorId = sensorId;
    result->m_modelCode = modelCode;
    if (CDataTreeView* tree = doc->GetDataTreeView())
        tree->SetItemImage(result->m_id, kResultImage);
    return result;
}
