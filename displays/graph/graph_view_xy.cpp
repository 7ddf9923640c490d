// The Y versus X graph: plots drawn against a data set the graph shows, or, at the next run,
// live channels against a live channel; and the plots a run takes from the live records.

#include <algorithm>
#include <cmath>
#include <vector>

#include "app/main_frame.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_frame.h"
#include "displays/graph/graph_view.h"
#include "displays/graph/xy_setting_dialog.h"
#include "displays/table/table_view.h"
#include "logger/data_tree.h"
#include "logger/dorvik.h"
#include "logger/helpers.h"
#include "logger/settings.h"

namespace {

constexpr DISPID kPlotBreakKeys = 9023;

}  // namespace

void CGraphView::OnViewProperties() {
    if (m_doc) m_doc->OpenGraphProperties(1);
}

void CGraphView::OnYvsXGraph(int keepPlotsOff) {
    CMainFrame* main = MainFrame();
    if (m_yVsX || m_liveYvsX) {
        std::vector<CDataTreeBrench*> shown;
        if (m_xAxis.dataSet) shown.push_back(m_xAxis.dataSet);
        for (int p = 0; p < m_plotCount; ++p)
            if (m_plots[p].dataSet) shown.push_back(m_plots[p].dataSet);
        RefreshGraph(TRUE);
        ResetPlotSettings();
        if (m_doc) m_doc->m_liveYvsX = 0;
        if (m_frame) m_frame->m_yVsX = FALSE;
        m_yVsX = 0;
        m_xAxis.dataSet = nullptr;
        m_xAxis.channel = PlotRecordStruct::kNoChannel;
        ForgetWritten();
        if (!keepPlotsOff)
            for (CDataTreeBrench* d : shown) {
                BOOL added = FALSE;
                const SHORT p = AddPlot(d, d->m_originCode, TRUE, added, FALSE, -1);
                if (added) PlotAllData(p);
            }
        if (main) main->m_areaAvailable = 1;
        return;
    }

    CXYSettingDialog dialog(this);
    SensorListItemStruct sensors[CXYSettingDialog::kMaxSensors];
    const int count = m_doc && m_doc->GetLogger() ? m_doc->GetLogger()->GetSensorList(
                                                        sensors, CXYSettingDialog::kMaxSensors)
                                                  : 0;
    dialog.SetSensorList(sensors, count);
    dialog.SetDocument(m_doc);
    if (dialog.ItemTexts().empty()) {
        ShowMessage(CXYSettingDialog::kNothingText, 0);
        return;
    }
    if (dialog.DoModal() != IDOK) return;
    const int item = dialog.m_selection;
    const int sensorCount = dialog.m_sensorCount;
    const std::vector<DWORD> ids = dialog.m_dataSetIds;
    if (item < 0) return;
    if (item >= sensorCount && item - sensorCount >= static_cast<int>(ids.size())) return;

    if (m_barGraph) OnBarGraph();
    RefreshGraph(TRUE);
    if (item < sensorCount) {
        // Live: the other channels are plotted against it when the next run starts.
        ResetPlotSettings();
        m_xSource = static_cast<SHORT>(item);
        m_liveXAxis.channel = static_cast<WORD>(item);
        m_liveYvsX = 1;
        m_yVsX = 1;
        for (int i = 0; i < sensorCount && m_livePlotCount < kMaxPlots; ++i)
            if (i != item) m_livePlots[m_livePlotCount++].channel = static_cast<WORD>(i);
        if (m_doc) m_doc->m_liveYvsX = 1;
    } else {
        CDataTreeBrench* x = m_doc ? m_doc->m_dataList.FindById(ids[item - sensorCount]) : nullptr;
        if (!x) return;
        m_xSource = 99;
        m_xAxis.channel = 99;
        m_xAxis.dataSet = x;
        m_yVsX = 1;
        ForgetWritten();
        UpdateXSetAxis();
        for (DWORD id : ids) {
            CDataTreeBrench* d = id == x->m_id ? nullptr : m_doc->m_dataList.FindById(id);
            if (!d) continue;
            BOOL added = FALSE;
            const SHORT p = AddPlot(d, d->m_originCode, TRUE, added, FALSE, -1);
            if (added) PlotAllData(p);
        }
    }
    if (m_frame) m_frame->m_yVsX = TRUE;
    if (main) main->m_areaAvailable = 0;
}

void CGraphView::AddLaunchPlots() {
    if (!m_doc) return;
    const CSettings* s = Settings();
    const bool adding = s && s->m_recordingMode == 2;
    if (!adding) RefreshGraph(TRUE);
    // PlotRecordingData takes the run's X data set from this channel.
    m_yVsX = m_liveYvsX;
    m_xAxis.channel = m_liveYvsX ? m_liveXAxis.channel : PlotRecordStruct::kNoChannel;
    if (m_liveYvsX) {
        m_xAxis.yAutoscale = m_liveXAxis.yAutoscale;
        if (m_liveXAxis.yMin < m_liveXAxis.yMax) {
            m_xAxis.yMin = m_liveXAxis.yMin;
            m_xAxis.yMax = m_liveXAxis.yMax;
        }
    }
    bool missing = false;
    for (int i = 0; i < m_livePlotCount && i < kMaxPlots; ++i) {
        const PlotRecordStruct& live = m_livePlots[i];
        CDataTreeBrench* d =
            live.channel < m_doc->m_currentRunCount ? m_doc->m_currentRun[live.channel] : nullptr;
        if (!d) {
            missing = true;
            continue;
        }
        BOOL added = FALSE;
        const SHORT p = AddPlot(d, live.channel, FALSE, added, FALSE, -1);
        if (!added || p < 0 || p >= kMaxPlots) continue;
        if (CTableView* table = m_doc->GetTableView()) table->AddDataSetColumns(d);
        PlotRecordStruct& r = m_plots[p];
        r.pointsShown = 0;
        r.colour = adding ? LineRow(p).lineColor : live.colour;
        r.lineStyle = live.lineStyle;
        r.lineWidth = live.lineWidth;
        r.pointStyle = live.pointStyle;
        r.pointsSwitch = live.pointsSwitch;
        r.markerColour = live.markerColour;
        r.yAutoscale = live.yAutoscale;
        r.yMin = live.yMin;
        r.yMax = live.yMax;
    }
    // Once per run start, and never as a modal box inside the logger's timer path.
    if (missing) PostMessage(UM_MISSING_SENSORS);
}

void CGraphView::WriteBreakKeys(CDispatchDriver& plot, const CDataTreeBrench* ds, size_t from,
                                size_t to) {
    // Against another set the X wander: the line breaks where the set's own sample numbers skip.
    const size_t n = std::min(to, ds->m_x->size());
    std::vector<double> keys(ds->m_x->data() + std::min(from, n), ds->m_x->data() + n);
    keys.resize(to > from ? to - from : 0, std::nan(""));
    const VARIANT args[1] = {VarArray(std::move(keys))};
    plot.InvokeMethod(kPlotBreakKeys, args);
}
