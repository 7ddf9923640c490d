// The graph view's cursors and the read-out they give: cursor A is the control's cursor 2, cursor
// B its cursor 3. Every index the read-out takes from the control is checked against the data
// set before it is used: a stale plot or point leaves the read-out as it was.

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "analysis/linear_fit.h"
#include "app/main_frame.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_frame.h"
#include "displays/graph/graph_view.h"
#include "displays/table/table_view.h"
#include "logger/data_tree.h"
#include "logger/helpers.h"
#include "logger/settings.h"
#include "models/graph_axis.h"

namespace {

constexpr LONG kCursorA = 2, kCursorB = 3;
constexpr DISPID kCursorX = 1, kCursorY = 9040, kCursorIndex = 6, kCursorPlot = 8,
                 kCursorVisible = 9, kSetActiveCursor = 21;

struct CursorState {
    double x = 0, y = 0;
    LONG index = -1;
    int plot = 0;  // the 1-based number its plot's name gives, 0 when unsnapped
};

CursorState ReadCursor(const CCWGraph& graph, LONG item) {
    const CDispatchDriver c = graph.GetCursors().Item(item);
    CursorState s;
    s.x = c.GetDouble(kCursorX);
    s.y = c.GetDouble(kCursorY);
    s.index = c.GetLong(kCursorIndex);
    const CDispatchDriver plot = c.GetObject(kCursorPlot);
    if (!plot.IsNull()) s.plot = std::atoi(plot.GetString(3).GetString());
    return s;
}

bool InRange(LONG index, size_t size) {
    return index >= 0 && static_cast<size_t>(index) < size;
}

// Converts a temperature or pressure value to the document's unit; the unit text either way.
double ToDisplay(const CDataTreeBrench* d, double v, const CSettings* s, CString& unit) {
    CString expression;
    const int t = s ? s->m_temperatureUnit : 0, p = s ? s->m_pressureUnit : 0;
    if (IsTemperatureSensor(d)) return ConvertTemperature(v, t, expression, unit);
    if (IsPressureSensor(d)) return ConvertPressure(v, p, expression, unit);
    unit = d->m_unit;
    return v;
}

}  // namespace

void CGraphView::HideCursors() {
    CDispatchDriver cursors = m_graph.GetCursors();
    for (LONG c : {kCursorA, kCursorB}) {
        CDispatchDriver cur = cursors.Item(c);
        cur.SetBool(kCursorVisible, false);
        cur.SetProperty(kCursorPlot, VarI4(0));
    }
    if (m_barGraph) m_graph.GetAnnotations().Item(1).SetBool(1, false);
    m_cursorCount = 0;
    m_cursorAPlot = -1;
    m_cursorBPlot = -1;
    // The measuring tools end with the cursors they measure by.
    if (m_areaMode || m_slopeMode) {
        m_areaMode = 0;
        m_slopeMode = 0;
        if (CMainFrame* main = MainFrame()) main->m_areaModeOn = main->m_slopeModeOn = 0;
        ClearToolAnnotations();
    }
    UpdateCropAvailable();
    // Predict mode keeps its drawing mode.
    if (!m_moveAnnotationMode && !m_predictMode) m_graph.SetTrackMode(1);
    if (m_frame) {
        m_frame->m_secondCursorEnabled = FALSE;
        m_frame->SetPositionText("Position : ");
    }
}

void CGraphView::ShowCursors() {
    if (m_cursorAPlot != -1 && m_cursorAPlot == m_cursorBPlot) {
        HideCursors();
        return;
    }
    m_graph.SetTrackMode(2);
    CDispatchDriver plots = m_graph.GetPlots();
    const LONG plotsOnControl = plots.Count();
    if (plotsOnControl == 0) return;
    CDispatchDriver cursors = m_graph.GetCursors();
    if (m_cursorAPlot == -1) {
        // The stored point must name a plot that shows data; anything else places no cursor.
        const int n = m_cursorPlotNumber;
        if (n < 1 || n > m_plotCount || n > plotsOnControl) return;
        CDispatchDriver a = cursors.Item(kCursorA);
        a.SetProperty(kCursorPlot, VarI4(n));
        a.SetLong(kCursorIndex, m_cursorPointIndex);
        a.SetBool(kCursorVisible, true);
        m_cursorAPlot = 0;
        m_cursorAIndex = m_cursorPointIndex;
        m_cursorCount = 1;
        if (!m_barGraph) {
            const VARIANT one = VarI4(1);
            m_graph.GetGraph().InvokeMethod(kSetActiveCursor, {&one, 1});
        }
        if (m_frame) m_frame->m_secondCursorEnabled = TRUE;
    } else if (m_cursorAPlot == 0 && m_cursorBPlot == -1) {
        // Cursor B starts at the last point of cursor A's plot.
        const CursorState a = ReadCursor(m_graph, kCursorA);
        if (a.plot < 1 || a.plot > m_plotCount || a.plot > plotsOnControl) return;
        const PlotRecordStruct& r = m_plots[a.plot - 1];
        const CDataTreeBrench* ds = r.dataSet;
        if (!ds || ds->IsExperiment()) return;
        const LONG last =
            std::min<LONG>(static_cast<LONG>(std::min(ds->m_x->size(), ds->m_y->size())),
                           r.pointsShown) -
            1;
        if (last < 0) return;
        CDispatchDriver b = cursors.Item(kCursorB);
        b.SetProperty(kCursorPlot, VarI4(a.plot));
        b.SetLong(kCursorIndex, last);
        b.SetBool(kCursorVisible, true);
        m_cursorBPlot = 0;
        m_cursorCount = 2;
    }
    UpdateCropAvailable();
    UpdateCursorReadout();
}

void CGraphView::OnCursorMoved(LONG, double, double, LONG, bool) {
    if (m_cursorCount > 0) UpdateCursorReadout();
}

CString CGraphView::ReadoutComment(const CDataTreeBrench& ds) const {
    const CSettings* s = Settings();
    return ShownFitEquation(ds, m_yVsX ? m_xAxis.dataSet : nullptr, s ? s->m_temperatureUnit : 0,
                            s ? s->m_pressureUnit : 0);
}

void CGraphView::UpdateCursorReadout() {
    CursorState a = ReadCursor(m_graph, kCursorA);
    CursorState b = ReadCursor(m_graph, kCursorB);
    const int n = a.plot;
    // A plot name that is no current plot (stale, or a prediction's) reads nothing.
    if (n < 1 || n > m_plotCount || n > kMaxPlots) return;
    const CDataTreeBrench* ds = m_plots[n - 1].dataSet;
    if (!ds || ds->IsExperiment()) return;
    const size_t count = std::min(ds->m_x->size(), ds->m_y->size());
    // A point the data set does not hold (its arrays changed under the plot) reads nothing.
    if (!InRange(a.index, count)) return;
    m_cursorAIndex = a.index;
    if (m_barGraph) {
        // The bar's own sample, in the data set's values.
        a.x = (*ds->m_x)[static_cast<size_t>(a.index)];
        a.y = (*ds->m_y)[static_cast<size_t>(a.index)];
        const CSettings* st = Settings();
        HighlightBar(
            *ds->m_x, *ds->m_y, n, a.index,
            FromShownValue(ds, 0.0, st ? st->m_temperatureUnit : 0, st ? st->m_pressureUnit : 0));
    }
    if (m_cursorCount == 2 && b.plot != n) {
        // Cursor B joins cursor A's plot, at its own index or at the plot's last point.
        if (count == 0) return;
        const LONG index = InRange(b.index, count) ? b.index : static_cast<LONG>(count) - 1;
        CDispatchDriver cb = m_graph.GetCursors().Item(kCursorB);
        cb.SetProperty(kCursorPlot, VarI4(n));
        cb.SetLong(kCursorIndex, index);
        b = ReadCursor(m_graph, kCursorB);
    }

    const CSettings* s = Settings();
    const int tUnit = s ? s->m_temperatureUnit : 0, pUnit = s ? s->m_pressureUnit : 0;
    const CDataTreeBrench* xSet = m_yVsX ? m_xAxis.dataSet : nullptr;
    const bool yVsX = xSet && !xSet->IsExperiment();
    const bool time = !yVsX && m_xAxis.axisName == "Time";
    CString xCaption =
        time ? GetTimeUnitCaption(m_xAxis.timeFormat) : CString::Formatted("(%s)", "Samples");
    CString unit;
    a.y = ToDisplay(ds, a.y, s, unit);
    b.y = ToDisplay(ds, b.y, s, unit);
    const CString yUnit = "(" + unit + ")";
    CString xUnit;
    if (yVsX) {
        a.x = ToDisplay(xSet, a.x, s, xUnit);
        b.x = ToDisplay(xSet, b.x, s, xUnit);
        xCaption = CString::Formatted("(%s)", xUnit.GetString());
    }

    CString line, slope, analysis;
    const RateInfoStruct ri = RateInfo(ds->m_rateCode);
    if (m_cursorCount == 1) {
        if (time) {
            const CString t =
                FormatTimeAxis(ds->m_startTime, ri.intervalSeconds, ri.unitInterval,
                               m_xAxis.timeFormat, FALSE, 1, static_cast<LONG>(a.x), 0);
            line.Format("X = %s %s  Y = %s %s", t.GetString(), xCaption.GetString(),
                        FormatValue(a.y, 3, false).GetString(), yUnit.GetString());
        } else {
            line.Format("X = %s %s Y = %s %s", FormatValue(a.x, yVsX ? 4 : 3, false).GetString(),
                        xCaption.GetString(), FormatValue(a.y, 3, false).GetString(),
                        yUnit.GetString());
        }
        if (m_slopeMode && InRange(a.index, count)) {
            DrawSlopeLine(n - 1, a.index);
            const int i = static_cast<int>(a.index);
            if (yVsX) {
                // Each neighbour's X is the X set's value of its own sample number.
                const size_t points = std::min(ds->m_x->size(), ds->m_y->size());
                CDataArray paired(std::min(points, static_cast<size_t>(i) + 2), std::nan(""));
                for (size_t k : {static_cast<size_t>(i) - 1, static_cast<size_t>(i) + 1})
                    if (k < paired.size())
                        paired[k] = graph_axis::ValueAtSample(
                            xSet->m_x->data(), xSet->m_y->data(),
                            std::min(xSet->m_x->size(), xSet->m_y->size()), (*ds->m_x)[k]);
                slope = ds->GetSlopeTextXY(i, &paired, xUnit, xSet, tUnit, pUnit);
            } else {
                slope = ds->GetSlopeText(i, tUnit, pUnit);
            }
        }
    } else if (m_cursorCount == 2) {
        if (time) {
            const CString t = FormatTimeAxis(ds->m_startTime, ri.intervalSeconds, ri.unitInterval,
                                             m_xAxis.timeFormat, FALSE, 2, static_cast<LONG>(a.x),
                                             static_cast<LONG>(b.x));
            line.Format("dX = %s %s dY = %s %s", t.GetString(), xCaption.GetString(),
                        FormatValue(b.y - a.y, 4, false).GetString(), yUnit.GetString());
        } else if (yVsX) {
            line.Format("dX = %s %s dY = %s %s", FormatValue(b.x - a.x, 5, false).GetString(),
                        xCaption.GetString(), FormatValue(b.y - a.y, 4, false).GetString(),
                        yUnit.GetString());
        } else {
            line.Format("X = %s %s Y = %s %s", FormatValue(b.x - a.x, 4, false).GetString(),
                        xCaption.GetString(), FormatValue(b.y - a.y, 4, false).GetString(),
                        yUnit.GetString());
        }
        if (m_areaMode && !yVsX && InRange(a.index, count) && InRange(b.index, count)) {
            ShadeArea(*ds->m_x, *ds->m_y, a.index, b.index, n);
            analysis = ds->GetAreaText(tUnit, pUnit, static_cast<int>(a.index),
                                       static_cast<int>(b.index), nullptr);
        }
    } else {
        return;
    }
    if (time && m_doc && m_doc->m_tableView)
        m_doc->m_tableView->OnGraphCursorMoved(ds->m_id, static_cast<LONG>(a.x),
                                               m_cursorCount == 2 ? static_cast<LONG>(b.x) : -1);

    if (!m_areaMode) {
        CString main = line + slope;
        // A sample's comment is its experiment's text at the sample number under cursor A.
        if (const CDataTreeBrench* experiment =
                m_doc ? m_doc->m_dataList.GetExperimentOf(ds->m_id) : nullptr;
            experiment && InRange(a.index, count)) {
            const double sample = (*ds->m_x)[static_cast<size_t>(a.index)];
            const auto& texts = experiment->m_experimentTexts;
            if (sample >= 0 && sample < static_cast<double>(texts.size())) {
                const CString& comment = texts[static_cast<size_t>(sample)];
                if (!comment.IsEmpty()) main = line + "   " + "Comment:" + " " + comment;
            }
        }
        if (m_frame) m_frame->SetPositionText(main);
        analysis = ReadoutComment(*ds);
    }
    SetReadoutText(analysis);
}
