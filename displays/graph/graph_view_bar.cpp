// The bar graph: one data set drawn as bars under the bar style, the bar under cursor A
// highlighted.

#include <algorithm>
#include <cstdlib>

#include "app/main_frame.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_frame.h"
#include "displays/graph/graph_view.h"
#include "displays/table/table_view.h"
#include "logger/data_tree.h"
#include "logger/helpers.h"
#include "models/graph_axis.h"
#include "platform/base/log.h"

namespace {

constexpr DISPID kLoadStyle = 514, kCursorVisible = 9, kCursorPlot = 8;
constexpr DISPID kAnnVisible = 1, kAnnPlot = 3, kAnnKind = 5, kAnnShape = 7;
constexpr DISPID kShapeKind = 1, kShapeFill = 4, kShapeFilled = 5, kShapeCoordinates = 12;
constexpr COLORREF kHighlight = 0xFFCD9B;

}  // namespace

void CGraphView::LoadGraphStyle(const char* fileName) {
    const VARIANT path = VarStr(GetExeFolder() + fileName);
    if (FAILED(m_graph.GetGraph().InvokeMethod(kLoadStyle, {&path, 1})))
        qCWarning(lcGraph, "the style %s could not be loaded", fileName);
}

void CGraphView::OnBarGraph() {
    if (!m_barGraph && m_predictMode) {
        if (ShowMessage(CVarnelDoc::kEndPredictText, 4) != IDYES) return;
        TogglePredictMode();
    }
    CDataTreeBrench* kept = nullptr;
    if (!m_barGraph) {
        // Cursor A's plot, else plot 1.
        int n = 1;
        if (m_cursorCount > 0) {
            const CDispatchDriver plot = m_graph.GetCursors().Item(2).GetObject(kCursorPlot);
            if (!plot.IsNull()) n = std::atoi(plot.GetString(3).GetString());
        }
        if (n >= 1 && n <= m_plotCount)
            kept = m_plots[n - 1].dataSet;
        else if (m_plotCount >= 1)
            kept = m_plots[0].dataSet;
    } else if (m_plotCount >= 1) {
        kept = m_plots[0].dataSet;
    }
    LeavePanZoomModes();
    RefreshGraph(TRUE);
    HideCursors();
    const bool on = !m_barGraph;
    m_barGraph = on ? 1 : 0;
    LoadGraphStyle(on ? "BarGraphStyle.cwx" : "StandardGraphStyle.cwx");
    m_graph.GetCursors().Item(1).SetBool(kCursorVisible, !on);
    if (m_frame) m_frame->m_barGraph = on;
    CRect client;
    GetClientRect(&client);
    m_graph.MoveWindow(0, 0, client.Width(), client.Height());
    if (kept && !kept->IsExperiment()) {
        if (CTableView* table = m_doc ? m_doc->GetTableView() : nullptr) {
            table->SetupGrid(RateInfo(kept->m_rateCode));
            table->AddDataSetColumns(kept);
            table->FillGrid(-1);
        }
        BOOL added = FALSE;
        const SHORT p = AddPlot(kept, kept->m_originCode, TRUE, added, FALSE, -1);
        if (added) PlotAllData(p);
    }
}

void CGraphView::HighlightBar(const std::vector<double>& x, const std::vector<double>& y,
                              int plotNumber, LONG index, double base) {
    CDispatchDriver slot = m_graph.GetAnnotations().Item(1);
    const size_t count = std::min(x.size(), y.size());
    if (index < 0 || static_cast<size_t>(index) >= count) {
        slot.SetBool(kAnnVisible, false);
        return;
    }
    const auto k = static_cast<size_t>(index);
    // The bar as the control draws it, centred on its sample.
    const double half = graph_axis::BarWidth(x.data(), count) / 2;
    const double left = x[k] - half, right = x[k] + half, top = y[k];
    slot.SetLong(kAnnKind, 3);
    slot.SetProperty(kAnnPlot, VarI4(plotNumber));
    CDispatchDriver shape = slot.GetObject(kAnnShape);
    shape.SetLong(kShapeKind, 4);
    shape.SetLong(kShapeFill, static_cast<LONG>(kHighlight));
    shape.SetBool(kShapeFilled, true);
    const VARIANT corners[2] = {VarArray(std::vector<double>{left, left, right, right}),
                                VarArray(std::vector<double>{base, top, top, base})};
    shape.InvokeMethod(kShapeCoordinates, corners);
    slot.SetBool(kAnnVisible, true);
}
