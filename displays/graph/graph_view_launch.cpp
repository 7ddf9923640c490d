// The graph's side of a worksheet launch: the plots the next run adds with the look the launch
// file gave them, and the bar graph switch the launch sets.

#include "app/varnel_doc.h"
#include "displays/graph/graph_frame.h"
#include "displays/graph/graph_view.h"
#include "displays/table/table_view.h"
#include "logger/data_tree.h"
#include "logger/helpers.h"
#include "logger/settings.h"
#include "platform/win/message_loop.h"

void CGraphView::ResetLivePlots() {
    m_livePlotCount = 0;
    m_liveYvsX = 0;
    m_xAxisIsSensor = 0;
    const CSettings* s = Settings();
    for (int i = 0; i <= kMaxPlots; ++i) {
        LivePlotStruct& r = i < kMaxPlots ? m_livePlots[i] : m_liveXAxis;
        r = LivePlotStruct();
        r.position = static_cast<SHORT>(i < kMaxPlots ? i : -1);
        if (s) r.line = s->m_lineRecords[i < kMaxPlots ? i : CSettings::kLineRecords - 1];
    }
}

void CGraphView::OnBarGraph() {
    m_barGraph = m_barGraph ? 0 : 1;
    if (m_frame) m_frame->m_barGraph = m_barGraph;
}

void CGraphView::AddLaunchPlots() {
    if (!m_doc) return;
    const WORD recordingMode = Settings() ? Settings()->m_recordingMode : 1;
    if (recordingMode != 2) RefreshGraph(TRUE);
    bool missing = false;
    for (int i = 0; i < m_livePlotCount && i < kMaxPlots; ++i) {
        const LivePlotStruct& live = m_livePlots[i];
        CDataTreeBrench* dataSet = live.position >= 0 && live.position < m_doc->m_currentRunCount
                                       ? m_doc->m_currentRun[live.position]
                                       : nullptr;
        if (!dataSet) {
            missing = true;
            continue;
        }
        BOOL tableChanged = FALSE;
        const SHORT p =
            AddPlot(dataSet, static_cast<WORD>(live.position), FALSE, tableChanged, TRUE, -1);
        if (tableChanged && m_doc->GetTableView())
            m_doc->GetTableView()->AddDataSetColumns(dataSet);
        if (p < 0 || p >= m_plotCount || m_plots[p].dataSet != dataSet) continue;
        PlotRecordStruct& r = m_plots[p];
        r.pointsShown = 0;
        r.TakeLineRow(live.line);
        if (recordingMode == 2 && Settings()) r.colour = Settings()->m_lineRecords[p].lineColor;
        r.yAutoscale = live.autoScale;
        r.yMin = live.minimum;
        r.yMax = live.maximum;
        ApplyPlotStyle(p);
        ApplyYAxisSettings(p);
    }
    // The run starts in the logger's timer path: the user is told once it has returned.
    if (missing) platform::MessageLoop::Current().Post([] { ShowMessage(kMissingSensorsText, 0); });
}
