#pragma once
// The one renderer of the graph control: the widget, images, printers, pictures and SVG all paint
// through RenderGraph. It lays out at the logical size and scales to the target, so a print keeps
// vector lines and text. Plots are decimated per device-pixel column of the target.

#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <optional>
#include <vector>

#include "platform/activex/graph_layout.h"
#include "platform/activex/graph_model.h"

class QPainter;

namespace platform::graph {

void RenderGraph(QPainter& painter, const GraphState& s, const QRectF& target, QSizeF logical,
                 const std::optional<QRectF>& rubberBand = std::nullopt);

// What a plot draws at a device resolution of `columnsPerPixel` device columns per logical pixel:
// runs of connected points (a gap starts a new run) and the points that carry markers.
struct Trace {
    std::vector<std::vector<QPointF>> runs;
    std::vector<size_t> runIndexes;  // point index of each vertex, runs flattened
    std::vector<QPointF> markers;
    std::vector<size_t> markerIndexes;
    bool dense = false;
};
Trace TracePlot(const Plot& plot, const AxisMap& xm, const AxisMap& ym, const QRectF& plotArea,
                double columnsPerPixel);

// The topmost plot drawn within 4 px of `pos`, and its point nearest `pos`.
struct PlotHit {
    int plot = -1;  // 0-based
    size_t point = 0;
};
std::optional<PlotHit> HitTestPlots(const GraphState& s, const GraphLayout& layout, QPointF pos);

// The topmost text label or shape under `pos`: its 0-based index.
std::optional<size_t> HitTestAnnotations(const GraphState& s, const GraphLayout& layout,
                                         QPointF pos);
// The box of a text label, or none when it draws nothing.
std::optional<QRectF> LabelBox(const GraphState& s, const GraphLayout& layout, const Annotation& a);
// The axes an annotation's coordinates are in.
const Axis& AnnotationYAxis(const GraphState& s, const Annotation& a);

// The pixel of a drawn cursor, or none when it draws nothing.
std::optional<QPointF> CursorPoint(const GraphState& s, const GraphLayout& layout, const Cursor& c);

}  // namespace platform::graph
