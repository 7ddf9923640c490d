// The graph view's measuring tools: the area under the curve between the cursors, shaded in
// polygons on the control, and the tangent at cursor A. Both work in pixels of the plot area, so a
// shading seam or a tangent looks the same whatever the axis scales.

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "app/main_frame.h"
#include "displays/graph/graph_view.h"
#include "logger/data_tree.h"
#include "models/graph_axis.h"

namespace {

constexpr LONG kTangentSlot = 3;
constexpr DISPID kAnnVisible = 1, kAnnCoords = 2, kAnnPlot = 3, kAnnKind = 5, kAnnShape = 7;
constexpr DISPID kShapeKind = 1, kShapeFill = 4, kShapeFilled = 5, kShapeLineStyle = 6,
                 kShapeWidth = 7, kShapeOutline = 8, kShapeBeneath = 11, kShapeCoords = 12;
constexpr LONG kShadeColour = 0xFFCD9B;
// A polygon holds at most this many points, its two closing points included.
constexpr size_t kMaxPolygonPoints = 400;
constexpr double kTangentPixels = 100.0;

}  // namespace

bool CGraphView::PixelScales(int position, double& kx, double& ky) const {
    if (position < 0 || position >= kMaxPlots) return false;
    VARIANT area;
    if (FAILED(m_graph.GetGraph().GetProperty(platform::graph::id::kPlotArea, area))) return false;
    DoubleArray r;
    if (FAILED(platform::coerce::Array(area, r)) || !r || r->size() != 4) return false;
    const double w = (*r)[2] - (*r)[0], h = (*r)[3] - (*r)[1];
    if (!(w >= 1.0) || !(h >= 1.0)) return false;
    const CDispatchDriver plots = m_graph.GetPlots();
    if (position + 1 > plots.Count()) return false;
    const CDispatchDriver yAxis = plots.Item(position + 1).GetObject(13);
    if (yAxis.IsNull()) return false;
    kx = (GetAxisMaximum(1) - GetAxisMinimum(1)) / w;
    ky = (yAxis.GetDouble(2) - yAxis.GetDouble(3)) / h;
    return std::isfinite(kx) && std::isfinite(ky) && kx > 0 && ky > 0;
}

bool CGraphView::PointAt(int position, LONG point, double& x, double& y) const {
    if (position < 0 || position >= kMaxPlots || position >= m_plotCount || point < 0) return false;
    const CDataTreeBrench* ds = m_plots[position].dataSet;
    if (!ds || ds->IsExperiment()) return false;
    const auto k = static_cast<size_t>(point);
    if (k >= ds->m_x->size() || k >= ds->m_y->size()) return false;
    x = (*ds->m_x)[k];
    y = (*ds->m_y)[k];
    const CDataTreeBrench* xSet = m_yVsX ? m_xAxis.dataSet : nullptr;
    if (xSet && !xSet->IsExperiment()) {
        // Drawn against the X set's value at the same sample number.
        x = graph_axis::ValueAtSample(xSet->m_x->data(), xSet->m_y->data(),
                                      std::min(xSet->m_x->size(), xSet->m_y->size()), x);
    }
    return std::isfinite(x) && std::isfinite(y);
}

void CGraphView::ClearToolAnnotations() {
    CDispatchDriver anns = m_graph.GetAnnotations();
    if (!m_barGraph && anns.Count() >= kTangentSlot)
        anns.Item(kTangentSlot).SetBool(kAnnVisible, false);
    const LONG keep = m_barGraph ? 1 : kTangentSlot;
    for (LONG n = anns.Count(); n > keep; --n) {
        const VARIANT index = VarI4(n);
        if (FAILED(anns.InvokeMethod(257, {&index, 1}))) break;
    }
}

void CGraphView::OnArea() {
    CMainFrame* main = MainFrame();
    if (m_areaMode) {
        m_areaMode = 0;
        if (main) main->m_areaModeOn = 0;
        SetReadoutText("");
        ClearToolAnnotations();
        HideCursors();
        PlaceAnnotations();
        return;
    }
    if (m_slopeMode) OnSlope();
    m_areaMode = 1;
    if (main) main->m_areaModeOn = 1;
    if (m_cursorCount == 0) {
        OnDisplayCursor();
        OnToggleSecondCursor();
    } else if (m_cursorCount == 1) {
        OnToggleSecondCursor();
    }
    // Without two cursors there is no stretch to measure: the mode does not stay on.
    if (m_cursorCount != 2) {
        m_areaMode = 0;
        if (main) main->m_areaModeOn = 0;
        return;
    }
    UpdateCursorReadout();
}

void CGraphView::OnSlope() {
    CMainFrame* main = MainFrame();
    if (m_slopeMode) {
        m_slopeMode = 0;
        if (main) main->m_slopeModeOn = 0;
        ClearToolAnnotations();
        HideCursors();
        return;
    }
    if (m_areaMode) OnArea();
    m_slopeMode = 1;
    if (main) main->m_slopeModeOn = 1;
    if (m_cursorCount == 0)
        OnDisplayCursor();
    else if (m_cursorCount == 2)
        HideSecondCursor();  // exactly one cursor, where cursor A already stands
    if (m_cursorCount != 1) {
        m_slopeMode = 0;
        if (main) main->m_slopeModeOn = 0;
        return;
    }
    UpdateCursorReadout();
}

void CGraphView::ShadeArea(const std::vector<double>& xs, const std::vector<double>& ys, LONG first,
                           LONG last, int plotNumber) {
    ClearToolAnnotations();
    if (first > last) std::swap(first, last);
    const LONG count = static_cast<LONG>(std::min(xs.size(), ys.size()));
    first = std::max<LONG>(first, 0);
    last = std::min<LONG>(last, count - 1);
    // One point (or none) encloses no area.
    if (last - first < 1) return;
    CDispatchDriver anns = m_graph.GetAnnotations();
    auto a = static_cast<size_t>(first);
    const auto end = static_cast<size_t>(last);
    while (a < end) {
        // Neighbouring polygons share point b, each closed down to Y = 0 at both ends.
        const size_t b = std::min(end, a + kMaxPolygonPoints - 3);
        std::vector<double> px{xs[a]}, py{0.0};
        for (size_t i = a; i <= b; ++i) {
            px.push_back(xs[i]);
            py.push_back(ys[i]);
        }
        px.push_back(xs[b]);
        py.push_back(0.0);
        if (FAILED(anns.InvokeMethod(258))) return;
        DrawShadePolygon(px, py, anns.Count(), plotNumber);
        a = b;
    }
}

void CGraphView::DrawShadePolygon(const std::vector<double>& x, const std::vector<double>& y,
                                  LONG index, int plotNumber) {
    if (x.size() < 2 || x.size() != y.size()) return;
    CDispatchDriver ann = m_graph.GetAnnotations().Item(index);
    CDispatchDriver shape = ann.GetObject(kAnnShape);
    if (shape.IsNull()) return;
    shape.SetLong(kShapeKind, 4);
    ann.SetLong(kAnnCoords, 0);
    const VARIANT coords[2] = {VarArray(x), VarArray(y)};
    shape.InvokeMethod(kShapeCoords, coords);
    shape.SetBool(kShapeOutline, false);
    shape.SetBool(kShapeBeneath, true);
    shape.SetBool(kShapeFilled, true);
    shape.SetLong(kShapeFill, kShadeColour);
    ann.SetLong(kAnnKind, 3);
    ann.SetProperty(kAnnPlot, VarI4(plotNumber));
}

void CGraphView::DrawSlopeLine(int position, LONG point) {
    double x0, y0, x1, y1, xm, ym, kx, ky;
    if (!PointAt(position, point - 1, x0, y0) || !PointAt(position, point + 1, x1, y1) ||
        !PointAt(position, point, xm, ym) || !PixelScales(position, kx, ky)) {
        ClearToolAnnotations();
        return;
    }
    // Along the pixel direction of the neighbours' chord: a vertical tangent is drawn too.
    const double dxp = (x1 - x0) / kx, dyp = (y1 - y0) / ky;
    const double length = std::hypot(dxp, dyp);
    if (!(length > 0) || !std::isfinite(length)) {
        ClearToolAnnotations();
        return;
    }
    const double half = kTangentPixels / 2.0;
    const double ux = dxp / length * half * kx, uy = dyp / length * half * ky;
    DrawTangentSegment(xm - ux, ym - uy, xm + ux, ym + uy, position + 1);
}

void CGraphView::DrawTangentSegment(double x1, double y1, double x2, double y2, int plotNumber) {
    CDispatchDriver anns = m_graph.GetAnnotations();
    if (m_barGraph || anns.Count() < kTangentSlot) return;
    CDispatchDriver ann = anns.Item(kTangentSlot);
    CDispatchDriver shape = ann.GetObject(kAnnShape);
    ann.SetLong(kAnnCoords, 0);
    shape.SetLong(kShapeLineStyle, 0);
    shape.SetLong(kShapeWidth, 2);
    shape.SetLong(kShapeKind, 2);
    const VARIANT coords[2] = {VarArray(std::vector<double>{x1, x2}),
                               VarArray(std::vector<double>{y1, y2})};
    shape.InvokeMethod(kShapeCoords, coords);
    ann.SetProperty(kAnnPlot, VarI4(plotNumber));
    ann.SetBool(kAnnVisible, true);
}
