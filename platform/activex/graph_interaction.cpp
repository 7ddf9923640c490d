#include "platform/activex/graph_interaction.h"

#include <algorithm>
#include <cmath>

#include "platform/activex/graph_layout.h"
#include "platform/activex/graph_render.h"

namespace platform::graph {
namespace {

std::vector<VARIANT> MouseArgs(SHORT button, SHORT shift, QPointF pos) {
    return {VarI2(button), VarI2(shift), VarI4(static_cast<LONG>(std::lround(pos.x()))),
            VarI4(static_cast<LONG>(std::lround(pos.y())))};
}

int AnnotationIndex(const GraphState& s, ObjectId id) {
    for (size_t i = 0; i < s.annotations.size(); ++i)
        if (s.annotations[i].id == id) return static_cast<int>(i);
    return -1;
}

// Shifts a range by `pixels` of its axis' `length`, in the axis' own (maybe logarithmic) units.
std::pair<double, double> Shifted(const Axis& a, double pixels, double length) {
    if (length <= 0) return {a.min, a.max};
    if (a.DrawnLog()) {
        const double l0 = std::log10(a.min), l1 = std::log10(a.max),
                     d = (l1 - l0) * pixels / length;
        return {std::pow(10.0, l0 + d), std::pow(10.0, l1 + d)};
    }
    const double d = (a.max - a.min) * pixels / length;
    return {a.min + d, a.max + d};
}

}  // namespace

bool GraphInteraction::Press(const RaiseEvent& raise, SHORT button, SHORT shift, QPointF pos,
                             bool doubleClick) {
    {
        auto args = MouseArgs(button, shift, pos);
        if (!raise(DISPID_MOUSEDOWN, args)) return false;
    }
    if (doubleClick) {
        m_drag = Drag::None;
        std::vector<VARIANT> none;
        return raise(DISPID_DBLCLICK, none);
    }
    const GraphState& s = m_model.State();
    GraphLayout layout = ComputeLayout(s, m_model.ClientSize());
    if (!layout.plot.contains(pos)) return true;
    const LONG mode = s.trackMode;
    m_mode = mode;
    if (mode == 3 || mode == 6) {
        if (button != kLeftButton) return true;
        m_drag = mode == 3 ? Drag::Pan : Drag::Zoom;
        m_start = m_current = pos;
        m_startAxes = s.axes;
        return true;
    }
    // The element under the press: a label or shape, else a plot.
    if (const std::optional<size_t> a = HitTestAnnotations(s, layout, pos)) {
        const Annotation& ann = s.annotations[*a];
        const Axis& ya = AnnotationYAxis(s, ann);
        const LONG plot = ann.plot ? s.PlotIndex(ann.plot) : -1;
        std::vector<VARIANT> args{VarI2(button),
                                  VarI2(shift),
                                  VarR8(layout.X(s).FromPixel(pos.x())),
                                  VarR8(layout.Y(ya).FromPixel(pos.y())),
                                  VarI4(plot),
                                  VarI4(static_cast<LONG>(*a))};
        if (!raise(id::kAnnotationPress, args)) return false;
    } else if (const std::optional<PlotHit> hit = HitTestPlots(s, layout, pos)) {
        const Plot& plot = s.plots[static_cast<size_t>(hit->plot)];
        std::vector<VARIANT> args{VarI2(button),
                                  VarI2(shift),
                                  VarR8(plot.points->X()[hit->point]),
                                  VarR8(plot.points->Y()[hit->point]),
                                  VarI4(hit->plot),
                                  VarI4(static_cast<LONG>(hit->point))};
        if (!raise(id::kPlotClick, args)) return false;
    }
    {
        const GraphState& now = m_model.State();
        layout = ComputeLayout(now, m_model.ClientSize());
        std::vector<VARIANT> args{VarI2(button), VarI2(shift),
                                  VarR8(layout.X(now).FromPixel(pos.x())),
                                  VarR8(layout.Y(now.axes[1]).FromPixel(pos.y()))};
        if (!raise(id::kPlotAreaClick, args)) return false;
    }
    if (button != kLeftButton) return true;
    const GraphState& now = m_model.State();
    layout = ComputeLayout(now, m_model.ClientSize());
    m_mode = now.trackMode;
    if (m_mode == 2) {
        // The nearest drawn cursor within 4 px; B before A before the extra cursor on a tie.
        double best = 4.0 + 1e-9;
        int grabbed = -1;
        for (int i = 2; i >= 0; --i)
            if (const auto c = CursorPoint(now, layout, now.cursors[static_cast<size_t>(i)])) {
                const double d = std::fabs(c->x() - pos.x());
                if (d < best) best = d, grabbed = i;
            }
        if (grabbed >= 0) {
            m_drag = Drag::Cursor;
            m_cursor = grabbed;
            m_cursorPlot = now.cursors[static_cast<size_t>(grabbed)].plot;
            VARIANT k = VarI4(grabbed);
            m_model.InvokeObject(1, id::kSetActiveCursor, DISPATCH_METHOD,
                                 std::span<const VARIANT>(&k, 1), nullptr);
        }
    } else if (m_mode == 9) {
        for (size_t k = now.annotations.size(); k > 0; --k)
            if (const auto box = LabelBox(now, layout, now.annotations[k - 1]);
                box && box->contains(pos)) {
                m_drag = Drag::Label;
                m_annotation = now.annotations[k - 1].id;
                break;
            }
    }
    m_start = m_current = pos;
    return true;
}

bool GraphInteraction::DragTargetValid() const {
    const GraphState& s = m_model.State();
    if (s.trackMode != m_mode) return false;
    switch (m_drag) {
        case Drag::Cursor: {
            const Cursor& c = s.cursors[static_cast<size_t>(m_cursor)];
            return c.visible && c.plot == m_cursorPlot;
        }
        case Drag::Label: {
            const int i = AnnotationIndex(s, m_annotation);
            return i >= 0 && s.annotations[static_cast<size_t>(i)].visible;
        }
        case Drag::Pan:
        case Drag::Zoom:
            return s.axes.size() == m_startAxes.size();
        default:
            return false;
    }
}

void GraphInteraction::Pan(QPointF pos) {
    const GraphLayout layout = ComputeLayout(m_model.State(), m_model.ClientSize());
    std::vector<std::pair<double, double>> ranges;
    for (size_t i = 0; i < m_startAxes.size(); ++i) {
        // Dragging right shows smaller X; dragging down shows larger Y.
        if (i == 0)
            ranges.push_back(Shifted(m_startAxes[i], m_start.x() - pos.x(), layout.plot.width()));
        else
            ranges.push_back(Shifted(m_startAxes[i], pos.y() - m_start.y(), layout.plot.height()));
    }
    m_model.SetAxisRanges(ranges);
}

bool GraphInteraction::DragStep(const RaiseEvent& raise, QPointF pos, bool tracking) {
    if (m_drag == Drag::None) return true;
    if (!DragTargetValid()) {
        m_drag = Drag::None;
        m_model.SetAxisRanges({});
        return true;
    }
    m_current = pos;
    const GraphState& s = m_model.State();
    const GraphLayout layout = ComputeLayout(s, m_model.ClientSize());
    switch (m_drag) {
        case Drag::Cursor: {
            if (tracking) m_model.DragCursor(m_cursor, pos);
            const Cursor& c = m_model.State().cursors[static_cast<size_t>(m_cursor)];
            std::vector<VARIANT> args{VarI4(m_cursor), VarR8(c.x), VarR8(c.y), VarI4(c.index),
                                      VarBool(tracking)};
            return raise(id::kCursorMoved, args);
        }
        case Drag::Label: {
            const int index = AnnotationIndex(s, m_annotation);
            const Annotation& a = s.annotations[static_cast<size_t>(index)];
            if (tracking) {
                // The label stays inside the plot area.
                const QPointF at(std::clamp(pos.x(), layout.plot.left(), layout.plot.right()),
                                 std::clamp(pos.y(), layout.plot.top(), layout.plot.bottom()));
                m_model.MoveCaptionTo(a.id, layout.X(s).FromPixel(at.x()),
                                      layout.Y(AnnotationYAxis(s, a)).FromPixel(at.y()));
            }
            const Annotation& moved = m_model.State().annotations[static_cast<size_t>(index)];
            std::vector<VARIANT> args{
                VarI4(index), VarI4(moved.plot ? m_model.State().PlotIndex(moved.plot) : -1),
                VarBool(tracking)};
            return raise(id::kAnnotationChanged, args);
        }
        case Drag::Pan:
            Pan(pos);
            return true;
        case Drag::Zoom:
            m_model.SetAxisRanges({});  // repaint the band
            return true;
        default:
            return true;
    }
}

bool GraphInteraction::Move(const RaiseEvent& raise, SHORT buttons, SHORT shift, QPointF pos) {
    {
        auto args = MouseArgs(buttons, shift, pos);
        if (!raise(DISPID_MOUSEMOVE, args)) return false;
    }
    return DragStep(raise, pos, true);
}

bool GraphInteraction::Release(const RaiseEvent& raise, SHORT button, SHORT shift, QPointF pos) {
    if (button == kLeftButton && m_drag != Drag::None) {
        const Drag drag = m_drag;
        if (drag == Drag::Zoom && DragTargetValid()) {
            m_current = pos;
            const QRectF band = QRectF(m_start, pos).normalized();
            m_drag = Drag::None;
            if (band.width() >= 4 && band.height() >= 4) {
                const GraphState& s = m_model.State();
                const GraphLayout layout = ComputeLayout(s, m_model.ClientSize());
                std::vector<std::pair<double, double>> ranges;
                for (size_t i = 0; i < s.axes.size(); ++i) {
                    if (i == 0) {
                        const AxisMap m = layout.X(s);
                        ranges.emplace_back(m.FromPixel(band.left()), m.FromPixel(band.right()));
                    } else {
                        const AxisMap m = layout.Y(s.axes[i]);
                        ranges.emplace_back(m.FromPixel(band.bottom()), m.FromPixel(band.top()));
                    }
                }
                m_model.SetAxisRanges(ranges);
            } else {
                m_model.SetAxisRanges({});
            }
        } else if (drag == Drag::Pan && DragTargetValid()) {
            Pan(pos);
        } else if (drag == Drag::Cursor || drag == Drag::Label) {
            if (!DragStep(raise, pos, false)) return false;
        }
        m_drag = Drag::None;
    }
    auto args = MouseArgs(button, shift, pos);
    return raise(DISPID_MOUSEUP, args);
}

bool GraphInteraction::Key(const RaiseEvent& raise, SHORT& key, SHORT shift) {
    std::vector<VARIANT> args{VarI2(key), VarI2(shift)};
    if (!raise(DISPID_KEYDOWN, args)) return false;
    key = args[0].iVal;
    return true;
}

std::optional<QRectF> GraphInteraction::RubberBand() const {
    if (m_drag != Drag::Zoom) return std::nullopt;
    return QRectF(m_start, m_current).normalized();
}

}  // namespace platform::graph
