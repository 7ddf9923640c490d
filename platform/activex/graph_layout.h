#pragma once
// Where the parts of the graph go at a logical size, and the mapping of axis values to pixels.
// The plot area sits 40 px from the left (more when several Y axes are drawn there), 14 px from
// the top, 31 px from the bottom and 5 px from the right, 45 px while a Y axis is drawn on the
// right: (W - 45) x (H - 45) at (40, 14) without a right axis.

#include <QRectF>
#include <QSizeF>
#include <vector>

#include "platform/activex/graph_model.h"

namespace platform::graph {

constexpr double kLeftMargin = 40, kTopMargin = 14, kBottomMargin = 31, kRightMargin = 5,
                 kAxisWidth = 40;

struct AxisMap {
    double vmin = 0, vmax = 1;
    bool log = false;
    double p0 = 0, p1 = 1;  // pixels of vmin and vmax
    double ToPixel(double v) const;
    double FromPixel(double p) const;
};

struct GraphLayout {
    QSizeF size;
    QRectF plot;
    std::vector<size_t> leftAxes, rightAxes;  // indexes into the axes, nearest the plot first
    AxisMap X(const GraphState& s) const;
    AxisMap Y(const Axis& axis) const;
};

GraphLayout ComputeLayout(const GraphState& s, QSizeF size);

}  // namespace platform::graph
