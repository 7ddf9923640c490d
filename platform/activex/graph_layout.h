#pragma once
// Where the parts of the graph go at a logical size, and the mapping of axis values to pixels.
//
// The plot area is framed on four sides. Left of it, a strip per Y axis drawn there (40 px, or
// wider where the axis's labels need it); right of it, the same for the right axes, and room for
// half the last X tick label. Above it, rows of captions (as many as the captions need so none is
// cut) and half a label height for the top Y tick label; below it, the X tick labels and the X
// caption, 45 px at most so that the X axis stays in the bottom 45 px.

#include <QFont>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <vector>

#include "platform/activex/graph_model.h"

class QFontMetricsF;

namespace platform::graph {

constexpr double kLeftMargin = 40, kTopMargin = 14, kRightMargin = 5, kAxisWidth = 40,
                 kMaxBottomMargin = 45;

struct AxisMap {
    double vmin = 0, vmax = 1;
    bool log = false;
    double p0 = 0, p1 = 1;  // pixels of vmin and vmax
    // Inline for a linear axis: a redraw maps a few points per pixel column.
    double ToPixel(double v) const {
        return log ? LogToPixel(v) : p0 + (v - vmin) / (vmax - vmin) * (p1 - p0);
    }
    double LogToPixel(double v) const;
    double FromPixel(double p) const;
};

// A text the graph draws outside the plot area, and its box.
struct PlacedText {
    QRectF box;
    QString text;
    COLORREF colour = 0;
};

struct GraphLayout {
    QSizeF size;
    QRectF plot;
    std::vector<size_t> leftAxes, rightAxes;  // indexes into the axes, nearest the plot first
    std::vector<double> leftAt, rightAt;      // each one's line: px out from the plot's edge
    std::vector<PlacedText> captions;         // the graph's and the axes' captions
    AxisMap X(const GraphState& s) const;
    AxisMap Y(const Axis& axis) const;
};

// The font of the graph at its logical resolution.
QFont GraphFont(const GraphState& s);

GraphLayout ComputeLayout(const GraphState& s, QSizeF size);

// One axis as drawn: vertical for a Y axis, `far` for one right of the plot, `at` the x of a Y
// axis line or the y of the X axis line.
struct AxisPlace {
    const Axis* axis;
    bool vertical;
    bool far;
    double at;
};
// The axes drawn, the X axis first, then the Y axes nearest the plot first.
std::vector<AxisPlace> DrawnAxes(const GraphState& s, const GraphLayout& layout);

// The tick labels of an axis: inside the image, and none over a box in `taken`, which gets
// theirs (a label that would overlap is left out).
struct TickLabel {
    double value;
    QRectF box;
    QString text;
};
std::vector<TickLabel> PlaceTickLabels(const GraphState& s, const GraphLayout& layout,
                                       const AxisPlace& place, const QFontMetricsF& fm,
                                       std::vector<QRectF>& taken);

}  // namespace platform::graph
