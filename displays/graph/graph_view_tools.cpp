// The graph view's pointer tools: where a cursor starts, the pan and zoom modes, and cropping the
// shown data sets to the stretch between the cursors.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>
#include <vector>

#include "app/data_tree_view.h"
#include "app/main_frame.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_frame.h"
#include "displays/graph/graph_view.h"
#include "logger/data_tree.h"
#include "logger/helpers.h"
#include "logger/precise_time.h"
#include "logger/settings.h"
#include "models/graph_axis.h"

namespace {

constexpr LONG kCursorA = 2;
constexpr DISPID kCursorX = 1, kCursorIndex = 6, kCursorPlot = 8;
constexpr const char* kNoPlotText = "No plot is displayed";
constexpr const char* kCroppedGroup = "Cropped data";
constexpr double kToTheEnd = -1.0;

// The plot number cursor A's plot carries in its name; 0 for a prediction or no plot.
int CursorAPlotNumber(const CCWGraph& graph) {
    const CDispatchDriver plot = graph.GetCursors().Item(kCursorA).GetObject(kCursorPlot);
    return plot.IsNull() ? 0 : std::atoi(plot.GetString(3).GetString());
}

}  // namespace

LONG CGraphView::SetupCursors(SHORT plotNumber, int mode) {
    constexpr LONG kNone = -999;
    if (m_plotCount < 1) return kNone;
    const CDispatchDriver cursorA = m_graph.GetCursors().Item(kCursorA);
    const int n = mode == 3 ? CursorAPlotNumber(m_graph) : plotNumber;
    // A name that is no current plot (a prediction's is empty) has no record to search.
    if (n < 1 || n > m_plotCount || n > kMaxPlots) return kNone;
    const PlotRecordStruct& r = m_plots[n - 1];
    const CDataTreeBrench* ds = r.dataSet;
    if (!ds || ds->IsExperiment()) return kNone;
    const CDataTreeBrench* xSet = m_yVsX ? m_xAxis.dataSet : nullptr;
    const bool yVsX = xSet && !xSet->IsExperiment();
    const CDataArray& ys = *ds->m_y;
    // Only what the control holds can carry a cursor.
    size_t count = std::min(
        {ds->m_x->size(), ys.size(), static_cast<size_t>(std::max<LONG>(r.pointsShown, 0))});
    // Against the X set each point has the X of its own sample number, or none.
    std::vector<double> paired;
    if (yVsX)
        paired = graph_axis::XValuesBySample(xSet->m_x->data(), xSet->m_y->data(),
                                             std::min(xSet->m_x->size(), xSet->m_y->size()),
                                             ds->m_x->data(), 0, count);
    const double* xs = yVsX ? paired.data() : ds->m_x->data();

    // (X, point index) in X order: the run's own order, or sorted in Y-vs-X mode.
    std::vector<std::pair<double, LONG>> pts;
    pts.reserve(count);
    for (size_t i = 0; i < count; ++i)
        if (!yVsX || std::isfinite(xs[i])) pts.emplace_back(xs[i], static_cast<LONG>(i));
    count = pts.size();
    if (count == 0) return kNone;
    if (yVsX)
        std::stable_sort(pts.begin(), pts.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });

    double lx = GetAxisMinimum(1), ux = GetAxisMaximum(1), ly = 0, uy = 0;
    LONG s = 0;
    if (mode == 3) {
        lx = cursorA.GetDouble(kCursorX);
        const int axes = m_graph.GetAxes().Count();
        const int axis = n + 1 <= axes ? n + 1 : 2;
        ly = GetAxisMinimum(axis);
        uy = GetAxisMaximum(axis);
        const LONG a = cursorA.GetLong(kCursorIndex);
        s = 0;
        for (size_t p = 0; p < count; ++p)
            if (pts[p].second == a) s = static_cast<LONG>(p);
    } else {
        ly = GetAxisMinimum(2);
        uy = GetAxisMaximum(2);
    }
    const LONG last = static_cast<LONG>(count) - 1;
    LONG i0 = s;
    while (i0 <= last && !(pts[static_cast<size_t>(i0)].first >= lx))
        ++i0;
    if (i0 > last) return kNone;
    const LONG floor = mode == 3 ? s : 0;
    LONG i1 = last;
    while (i1 > floor && pts[static_cast<size_t>(i1)].first > ux)
        --i1;
    const LONG m = i0 + (i1 - i0) / 2;

    auto yAt = [&](LONG p) { return ys[static_cast<size_t>(pts[static_cast<size_t>(p)].second)]; };
    auto inside = [&](LONG p) {
        const double x = pts[static_cast<size_t>(p)].first, y = yAt(p);
        return (yVsX || (x > lx && x < ux)) && y > ly && y < uy;
    };
    if (m < 0 || m > last) return kNone;
    const double ym = yAt(m);
    if (ym > ly && ym < uy) return pts[static_cast<size_t>(m)].second;
    for (LONG l = m - 1, rr = m + 1; l > s && rr <= last; --l, ++rr) {
        if (inside(l)) return pts[static_cast<size_t>(l)].second;
        if (inside(rr)) return pts[static_cast<size_t>(rr)].second;
    }
    return pts[static_cast<size_t>(m)].second;
}

void CGraphView::OnDisplayCursor() {
    if (m_cursorCount > 0) {
        // The shading made way for the captions while area mode lasted.
        const bool shaded = m_areaMode;
        HideCursors();
        UpdateCropAvailable();
        if (shaded) PlaceAnnotations();
        return;
    }
    LeavePanZoomModes();
    const LONG index = SetupCursors(1, 2);
    if (index == -999) {
        ShowMessage(kNoPlotText, 0);
        return;
    }
    m_cursorPointIndex = index;
    m_cursorPlotNumber = 1;
    ShowCursors();
    UpdateCropAvailable();
}

void CGraphView::UpdateCropAvailable() {
    if (CMainFrame* main = MainFrame()) main->m_cropAvailable = m_cursorCount > 0 && !m_yVsX;
}

void CGraphView::OnToggleSecondCursor() {
    if (m_cursorCount == 0) return;
    if (m_cursorCount == 1) {
        const LONG index = SetupCursors(1, 3);
        if (index == -999) {
            ShowMessage(kNoPlotText, 0);
            return;
        }
        ShowCursors();
        if (m_cursorCount == 2)
            m_graph.GetCursors().Item(kCursorA + 1).SetLong(kCursorIndex, index);
    } else {
        HideSecondCursor();
    }
    UpdateCursorReadout();
}

void CGraphView::HideSecondCursor() {
    CDispatchDriver b = m_graph.GetCursors().Item(kCursorA + 1);
    b.SetBool(9, false);
    b.SetProperty(kCursorPlot, VarI4(0));
    m_cursorBPlot = -1;
    m_cursorCount = 1;
}

void CGraphView::SetPanMode(BOOL on) {
    CMainFrame* main = MainFrame();
    m_panMode = on ? 1 : 0;
    if (m_frame) m_frame->m_panOn = on;
    if (main) main->m_panModeOn = on;
    m_graph.SetTrackMode(on ? 3 : m_cursorCount > 0 ? 2 : 1);
}

void CGraphView::SetZoomMode(BOOL on) {
    CMainFrame* main = MainFrame();
    m_zoomMode = on ? 1 : 0;
    if (m_frame) m_frame->m_zoomOn = on;
    if (main) main->m_zoomModeOn = on;
    m_graph.SetTrackMode(on ? 6 : m_cursorCount > 0 ? 2 : 1);
}

void CGraphView::OnPanMode() {
    if (m_panMode) {
        SetPanMode(FALSE);
        return;
    }
    if (m_zoomMode) SetZoomMode(FALSE);
    SetPanMode(TRUE);
}

void CGraphView::OnZoomMode() {
    if (m_zoomMode) {
        SetZoomMode(FALSE);
        return;
    }
    if (m_panMode) SetPanMode(FALSE);
    SetZoomMode(TRUE);
}

void CGraphView::OnCropData() {
    // In Y-vs-X mode the cursors' X values are no sample numbers: nothing to crop by.
    if (m_cursorCount == 0 || m_yVsX) return;
    CDispatchDriver cursors = m_graph.GetCursors();
    double fromX = cursors.Item(kCursorA).GetDouble(kCursorX);
    double toX = kToTheEnd;
    if (m_cursorCount == 2) {
        toX = cursors.Item(kCursorA + 1).GetDouble(kCursorX);
        // Cursor B left of A still means the stretch between them.
        if (toX < fromX) std::swap(fromX, toX);
    }
    bool cropped = false;
    for (int p = 0; p < m_plotCount && p < kMaxPlots; ++p)
        if (m_plots[p].dataSet && !m_plots[p].dataSet->IsExperiment())
            cropped = CropPlotData(p, fromX, toX) || cropped;
    HideCursors();
    UpdateCropAvailable();
    if (!cropped) return;
    if (m_doc && m_doc->m_dataTreeView)
        if (const CDataTreeBrench* group = m_doc->m_dataList.FindByName(kCroppedGroup))
            m_doc->m_dataTreeView->Expand(m_doc->m_dataTreeView->FindExperimentItem(group->m_id));
    // The plots now show the cropped copies; the table shows what the graph shows.
    if (m_doc) m_doc->ShowGraphDataSetsInTable();
    OnAutoscale();
}

bool CGraphView::CropPlotData(int position, double fromX, double toX) {
    if (position < 0 || position >= kMaxPlots || !m_doc) return false;
    PlotRecordStruct& r = m_plots[position];
    CDataTreeBrench* ds = r.dataSet;
    if (!ds || ds->IsExperiment()) return false;
    const CDataArray& xs = *ds->m_x;
    const CDataArray& ys = *ds->m_y;
    const size_t count = std::min(xs.size(), ys.size());
    if (count == 0) return false;
    size_t end = count - 1;
    if (toX != kToTheEnd)
        for (size_t i = 0; i < count; ++i)
            if (xs[i] == toX) {
                end = i;
                break;
            }
    size_t start = end + 1;
    for (size_t i = 0; i <= end; ++i)
        if (xs[i] == fromX) {
            start = i;
            break;
        }
    if (start > end) return false;

    CDataTreeBrench* group = m_doc->m_dataList.FindByName(kCroppedGroup);
    if (group && !group->IsExperiment()) group = nullptr;
    if (!group) group = m_doc->AddDataGroup(kCroppedGroup);
    if (!group) return false;  // no data map to hold it: the plot stays as it was

    auto newX = std::make_shared<CDataArray>(end - start + 1);
    auto newY = std::make_shared<CDataArray>(ys.begin() + static_cast<std::ptrdiff_t>(start),
                                             ys.begin() + static_cast<std::ptrdiff_t>(end) + 1);
    for (size_t i = 0; i < newX->size(); ++i)
        (*newX)[i] = static_cast<double>(i);
    const CDataTreeBrench* experiment = m_doc->m_dataList.GetExperimentOf(ds->m_id);
    const CString name = (experiment ? experiment->m_name : CString()) + " - " + ds->m_name;
    // The first kept sample's own time, so the clock times stay true after X restarts at 0.
    const double seconds = xs[start] * RateInfo(ds->m_rateCode).intervalSeconds;
    const CPreciseDateTime startTime =
        ds->m_startTime + CPreciseTimeSpan(static_cast<LONGLONG>(
                              std::llround(seconds * CPreciseTimeSpan::kTicksPerSecond)));
    constexpr WORD kNoSensorRange = 255;  // keeps the unset range as given
    CDataTreeBrench* cropped = m_doc->AddDataBranch(
        group, std::move(newX), std::move(newY), name, ds->m_rateCode, ds->m_unit, startTime, 0, -1,
        0, CString(), kNoSensorRange, 9999999.0, -9999999.0);
    if (!cropped) return false;
    cropped->m_inputKind = ds->m_inputKind;
    cropped->m_sensorId = ds->m_sensorId;
    cropped->m_modelCode = ds->m_modelCode;
    cropped->m_derived = ds->m_derived;

    if (experiment && m_doc->m_dataTreeView)
        m_doc->m_dataTreeView->GetTreeCtrl().Expand(
            m_doc->m_dataTreeView->FindExperimentItem(experiment->m_id), TVE_COLLAPSE);
    SetDataSetShown(ds, FALSE);
    SetDataSetShown(cropped, TRUE);
    r.dataSet = cropped;
    r.pointsShown = cropped->GetYCount() - 1;
    m_written[position] = Written();
    PlotAllData(position);
    return true;
}

void CGraphView::OnStatistics() {
    int n = 1;
    int first = -1, last = -1;
    if (m_cursorCount == 0) {
        if (m_plotCount > 1) {
            ShowMessage("Use the cursor to select a curve", 0);
            return;
        }
    } else {
        n = CursorAPlotNumber(m_graph);
        if (m_cursorCount == 2) {
            CDispatchDriver cursors = m_graph.GetCursors();
            first = static_cast<int>(cursors.Item(kCursorA).GetLong(kCursorIndex));
            last = static_cast<int>(cursors.Item(kCursorA + 1).GetLong(kCursorIndex));
            if (last < first) std::swap(first, last);
        }
    }
    // A name that is no current plot (a prediction's) has no data set to measure.
    if (n < 1 || n > m_plotCount || n > kMaxPlots) return;
    const CDataTreeBrench* ds = m_plots[n - 1].dataSet;
    if (!ds || ds->IsExperiment()) return;
    const CSettings* s = Settings();
    SetReadoutText(ds->GetStatisticsText(s ? s->m_temperatureUnit : 0, s ? s->m_pressureUnit : 0,
                                         first, last));
}
