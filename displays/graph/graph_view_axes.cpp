// The graph view's axes: ranges, the Y axes of new plots, the scaling of a run and of a finished
// graph, and the settings that put a stored graph's look back on the control.

#include <algorithm>

#include "app/main_frame.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_frame.h"
#include "displays/graph/graph_view.h"
#include "logger/data_tree.h"
#include "logger/helpers.h"
#include "logger/settings.h"
#include "models/graph_axis.h"

double CGraphView::GetAxisMinimum(int axis) const {
    return AxisItem(axis).GetDouble(3);
}

double CGraphView::GetAxisMaximum(int axis) const {
    return AxisItem(axis).GetDouble(2);
}

void CGraphView::PutAxisRange(int axis, double lo, double hi) {
    if (!(hi > lo)) return;
    CDispatchDriver a = AxisItem(axis);
    a.SetBool(9, false);
    a.SetDouble(3, lo);
    a.SetDouble(2, hi);
}

void CGraphView::SetAxisMinimum(int axis, double value, BOOL autoscale) {
    SetAxisRange(axis, value, GetAxisMaximum(axis), autoscale, TRUE);
}

void CGraphView::SetAxisMaximum(int axis, double value, BOOL autoscale) {
    SetAxisRange(axis, GetAxisMinimum(axis), value, autoscale, TRUE);
}

void CGraphView::SetAxisRange(int axis, double lo, double hi, BOOL autoscale, BOOL) {
    PutAxisRange(axis, lo, hi);
    m_graphState = std::max<BYTE>(m_graphState, 2);
    if (axis == 1) {
        m_xAxis.yAutoscale = autoscale ? 1 : 0;
        m_xAxis.yMin = lo;
        m_xAxis.yMax = hi;
        if (m_xAxis.axisName == "Samples") {
            const double width = hi - lo;
            AxisItem(1).SetDouble(
                9030, width >= 11 ? static_cast<double>(static_cast<LONG>(width / 10)) : 1.0);
        }
    } else if (axis >= 2 && axis - 2 < m_plotCount) {
        PlotRecordStruct& r = m_plots[axis - 2];
        auto store = [&](PlotRecordStruct& rec) {
            rec.yAutoscale = autoscale ? 1 : 0;
            rec.yMin = lo;
            rec.yMax = hi;
        };
        store(r);
        for (int i = 0; i < r.linkCount; ++i) {
            const int l = r.links[i];
            if (l < 0 || l >= m_plotCount) continue;
            PutAxisRange(l + 2, lo, hi);
            store(m_plots[l]);
        }
    }
    PlaceAnnotations();
    if (m_barGraph) LayoutBars();
}

void CGraphView::SetupYAxis(int axis, COLORREF colour) {
    if (axis < 1 || axis > m_graph.GetAxes().Count()) return;
    CDispatchDriver a = AxisItem(axis);
    const auto c = static_cast<LONG>(colour);
    a.SetLong(5, c);
    a.SetLong(17, c);
    CDispatchDriver labels = a.GetObject(10);
    labels.SetLong(19, c);
    labels.SetLong(20, c);
}

void CGraphView::AddYAxis(BOOL ownAxis) {
    CDispatchDriver axes = m_graph.GetAxes();
    VARIANT made;
    axes.InvokeMethod(258, {}, &made);
    const LONG n = axes.Count();
    CDispatchDriver a = axes.Item(n);
    for (DISPID side : {10, 12}) {
        CDispatchDriver sides = a.GetObject(side);
        sides.SetBool(4, true);
        sides.SetBool(3, false);
    }
    CDispatchDriver plots = m_graph.GetPlots();
    SetupYAxis(n, static_cast<COLORREF>(plots.Item(plots.Count()).GetLong(14)));
    a.SetBool(13, ownAxis != FALSE);
}

void CGraphView::ApplyAxisScales(LONG n, BOOL scrolling, int p) {
    const bool scrollRun = m_doc && m_doc->m_scrollRun;
    if (scrolling) {
        if (n == -1) {
            PutAxisRange(1, 0, 10);
            s_lastSampleCount = 0;
            return;
        }
        if (m_yVsX) {
            const CDataTreeBrench* xs = m_xAxis.dataSet;
            if (!xs || xs->IsExperiment()) return;
            double lo = 9999999, hi = -999999;
            graph_axis::ColumnExtremes(xs->m_y->data(), xs->m_y->size(), 0, n, lo, hi);
            m_xAxis.yMin = lo;
            m_xAxis.yMax = hi;
            PutAxisRange(1, lo, hi);
            return;
        }
        if (p < 0 || p >= m_plotCount) return;
        const PlotRecordStruct& r = m_plots[p];
        if (r.pointsShown <= 0 || !r.dataSet) {
            PutAxisRange(1, 0, 10);
            return;
        }
        const int window = graph_axis::ScrollWindow(r.dataSet->m_rateCode);
        // The run's range in sample numbers; in bar mode the axis reaches half a bar past it.
        const double half = BarHalfWidth();
        const graph_axis::Range current{GetAxisMinimum(1) + half, GetAxisMaximum(1) - half};
        s_lastSampleCount = n;
        const auto range =
            graph_axis::ScrollingXRange(n, window, current, scrollRun, m_barGraph != 0);
        if (range) PutAxisRange(1, range->lo - half, range->hi + half);
        return;
    }

    if (m_plotCount < 1) return;
    double lo = 9999999, hi = -99999999;
    if (m_yVsX) {
        const CDataTreeBrench* xs = m_xAxis.dataSet;
        if (!xs || xs->IsExperiment()) return;
        graph_axis::ColumnExtremes(xs->m_y->data(), xs->m_y->size(), 0, xs->GetYCount(), lo, hi);
    } else if (m_plots[0].pointsShown <= 0) {
        lo = 0, hi = 10;
    } else {
        int best = 0;
        for (int i = 1; i < m_plotCount; ++i)
            if (m_plots[i].dataSet && m_plots[best].pointsShown < m_plots[i].dataSet->GetYCount())
                best = i;
        const CDataTreeBrench* ds = m_plots[best].dataSet;
        if (ds && !ds->IsExperiment()) {
            graph_axis::ColumnExtremes(ds->m_x->data(), ds->m_x->size(), 0, ds->GetXCount(), lo,
                                       hi);
        }
        if (lo > hi) lo = 0, hi = 10;
        // The end bars stand half outside their samples.
        const double half = BarHalfWidth();
        lo -= half, hi += half;
    }
    // One sample still needs a range to draw on.
    if (!(hi > lo)) hi = lo + 1;
    m_xAxis.yMin = lo;
    m_xAxis.yMax = hi;
    PutAxisRange(1, lo, hi);
    if (m_barGraph) LayoutBars();
    PlaceAnnotations();
}

void CGraphView::ScaleAxisToData(int axis, LONG first, LONG last, int mode) {
    const int p = axis - 2;
    if (p < 0 || p >= m_plotCount) return;
    PlotRecordStruct& r = m_plots[p];
    CDataTreeBrench* ds = r.dataSet;
    if (!ds || ds->IsExperiment() || ds->GetYCount() == 0) return;
    double lo = mode == 0 ? ds->m_rangeMin : r.yMin;
    double hi = mode == 0 ? ds->m_rangeMax : r.yMax;
    if (last == 0) last = ds->GetYCount();
    graph_axis::ColumnExtremes(ds->m_y->data(), ds->m_y->size(), first, last, lo, hi);
    r.lastScaled = std::min<LONG>(last, ds->GetYCount());
    for (int i = 0; i < r.linkCount; ++i) {
        const int l = r.links[i];
        const CDataTreeBrench* linked = l >= 0 && l < kMaxPlots ? m_plots[l].dataSet : nullptr;
        if (!linked || linked->IsExperiment()) continue;
        graph_axis::ColumnExtremes(linked->m_y->data(), linked->m_y->size(), first,
                                   linked->GetYCount(), lo, hi);
        // Linked plots share one scale: each takes in the others' ranges, as they take in its.
        if (mode == 0 && linked->m_rangeMin <= linked->m_rangeMax) {
            lo = std::min(lo, linked->m_rangeMin);
            hi = std::max(hi, linked->m_rangeMax);
        }
    }
    if (mode == 0) {
        ds->m_rangeMin = lo;
        ds->m_rangeMax = hi;
        graph_axis::AddMargin(lo, hi);
    } else if (!(hi > lo)) {
        graph_axis::AddMargin(lo, hi);
    }
    PutAxisRange(axis, lo, hi);
    // One scale for all its plots: the scale shown may be a linked plot's axis.
    for (int i = 0; i < r.linkCount; ++i) {
        const int l = r.links[i];
        if (l >= 0 && l < m_plotCount && l != p && m_plots[l].yAutoscale)
            PutAxisRange(l + 2, lo, hi);
    }
    PlaceAnnotations();
}

void CGraphView::OnAutoscale() {
    for (int p = 0; p < m_plotCount; ++p) {
        ScaleAxisToData(p + 2, 0, 0, 0);
        m_plots[p].yAutoscale = 1;
    }
    ApplyAxisScales(0, FALSE, 0);
    m_xAxis.yAutoscale = 1;
}

// ---- stored settings ----

void CGraphView::ApplyPlotStyle(int p) {
    if (p < 0 || p >= m_plotCount) return;
    const PlotRecordStruct& r = m_plots[p];
    CDispatchDriver plot = PlotItem(p);
    plot.SetLong(14, static_cast<LONG>(r.colour));
    if (m_barGraph) plot.SetLong(16, static_cast<LONG>(r.colour));
    plot.SetShort(4, static_cast<SHORT>(std::clamp<int>(r.lineWidth, 1, 20)));
    plot.SetLong(1, std::clamp<LONG>(r.lineStyle, 0, 4));
    plot.SetLong(2, r.pointsSwitch && !m_barGraph ? std::clamp<LONG>(r.pointStyle, 0, 22) : 0);
    plot.SetLong(15, static_cast<LONG>(r.markerColour));
    plot.SetLong(9020, r.fillSwitch ? r.fillValue : 0);
}

void CGraphView::ApplyYAxisSettings(int p) {
    if (p < 0 || p >= m_plotCount) return;
    const PlotRecordStruct& r = m_plots[p];
    // A stored range that is empty (the "none yet" values of a new plot) is never put on the
    // axis: the axis follows the data instead.
    if (!r.yAutoscale && r.yMin < r.yMax)
        PutAxisRange(p + 2, r.yMin, r.yMax);
    else
        ScaleAxisToData(p + 2, 0, 0, 0);
    AxisItem(p + 2).SetString(11, YFormat(r.decimals));
}

void CGraphView::ApplyXAxisSettings() {
    if (!m_xAxis.yAutoscale && m_xAxis.yMin < m_xAxis.yMax)
        PutAxisRange(1, m_xAxis.yMin, m_xAxis.yMax);
    else
        ApplyAxisScales(0, FALSE, 0);
    AxisItem(1).SetString(11, m_xLabelFormat);
}

void CGraphView::ApplyGraphSettings() {
    for (int p = 0; p < m_plotCount; ++p) {
        ApplyPlotStyle(p);
        ApplyYAxisSettings(p);
    }
    ApplyXAxisSettings();
    UpdateAxisCaptions(-1);
}

// ---- services ----

void CGraphView::SetReadoutText(const CString& text) {
    if (m_frame) m_frame->SetReadoutText(text);
}

namespace {

// The label format and caption of an axis that shows `ds` in the unit the user chose; false for
// a set that has no choice of unit.
bool UnitAxisLook(const CDataTreeBrench* ds, const CSettings* s, int decimals, CString& format,
                  CString& caption) {
    CString expression, unitText;
    if (IsTemperatureSensor(ds)) {
        const int unit = s ? s->m_temperatureUnit : 0;
        ConvertTemperature(0, unit, expression, unitText);
        // The labels must agree with the table and meters, which add the whole 273.15.
        if (unit == 2) expression = "+273.15";
    } else if (IsPressureSensor(ds)) {
        ConvertPressure(0, s ? s->m_pressureUnit : 0, expression, unitText);
    } else {
        return false;
    }
    format = expression + "." + CString(std::string(std::clamp(decimals, 0, 15), '#'));
    caption = ds->m_name + "(" + unitText + ")";
    return true;
}

}  // namespace

void CGraphView::UpdateAxisCaptions(int position) {
    const int from = position < 0 ? 0 : position;
    const int to = position < 0 ? m_plotCount - 1 : position;
    CSettings* s = Settings();
    for (int p = from; p <= to && p < m_plotCount; ++p) {
        CString format, caption;
        if (!UnitAxisLook(m_plots[p].dataSet, s, m_plots[p].decimals, format, caption)) continue;
        CDispatchDriver axis = AxisItem(p + 2);
        axis.SetString(11, format);
        axis.SetString(DISPID_CAPTION, caption);
    }
    if (position < 0) UpdateXSetAxis();
    if (m_cursorCount > 0) UpdateCursorReadout();
}

void CGraphView::UpdateXSetAxis() {
    const CDataTreeBrench* xs = m_yVsX ? m_xAxis.dataSet : nullptr;
    if (!xs || xs->IsExperiment()) return;
    CString caption;
    if (!UnitAxisLook(xs, Settings(), m_xAxis.decimals, m_xLabelFormat, caption)) {
        // The X set's own values: no time scale left over from the time axis.
        m_xLabelFormat = YFormat(m_xAxis.decimals);
        caption = xs->m_name + "(" + xs->m_unit + ")";
    }
    CDispatchDriver axis = AxisItem(1);
    axis.SetString(11, m_xLabelFormat);
    axis.SetString(DISPID_CAPTION, caption);
}

void CGraphView::UpdatePlotCaption(DWORD id) {
    for (int p = 0; p < m_plotCount; ++p) {
        const CDataTreeBrench* ds = m_plots[p].dataSet;
        if (!ds || ds->m_id != id) continue;
        AxisItem(p + 2).SetString(DISPID_CAPTION, ds->m_name + "(" + ds->m_unit + ")");
        UpdateAxisCaptions(p);
    }
    const CDataTreeBrench* xs = m_xAxis.dataSet;
    if (m_yVsX && xs && xs->m_id == id) UpdateXSetAxis();
}

void CGraphView::LayoutBars() {
    const CDataTreeBrench* ds = m_plotCount >= 1 ? m_plots[0].dataSet : nullptr;
    if (!m_barGraph || !ds || ds->IsExperiment()) return;
    AxisItem(1).SetDouble(9031, graph_axis::BarWidth(ds->m_x->data(), ds->m_x->size()));
    if (m_cursorCount > 0) UpdateCursorReadout();
}

double CGraphView::BarHalfWidth() const {
    const CDataTreeBrench* ds = m_plotCount >= 1 ? m_plots[0].dataSet : nullptr;
    if (!m_barGraph || !ds || ds->IsExperiment()) return 0;
    return graph_axis::BarWidth(ds->m_x->data(), ds->m_x->size()) / 2;
}

void CGraphView::EnableGraphCommands(BOOL on) {
    if (m_frame) {
        m_frame->m_propertiesEnabled = m_frame->m_exportEnabled = m_frame->m_autoscaleEnabled =
            m_frame->m_addGraphEnabled = m_frame->m_cursorEnabled = on;
    }
    if (CMainFrame* f = MainFrame())
        for (UINT id :
             {ID_GRAPH_PROPERTIES, ID_GRAPH_ADD_TO_PROJECT, ID_GRAPH_COPY, ID_GRAPH_EXPORT})
            f->SetCommandEnabled(id, on);
}
