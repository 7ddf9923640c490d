#include "platform/activex/graph_layout.h"

#include <algorithm>
#include <cmath>

namespace platform::graph {

double AxisMap::ToPixel(double v) const {
    if (log) {
        if (!(v > 0)) return p0 - (p1 - p0) * 1000;  // far past the low end
        return p0 + (std::log10(v) - std::log10(vmin)) / (std::log10(vmax) - std::log10(vmin)) *
                        (p1 - p0);
    }
    return p0 + (v - vmin) / (vmax - vmin) * (p1 - p0);
}

double AxisMap::FromPixel(double p) const {
    const double t = (p - p0) / (p1 - p0);
    if (log) return std::pow(10.0, std::log10(vmin) + t * (std::log10(vmax) - std::log10(vmin)));
    return vmin + t * (vmax - vmin);
}

AxisMap GraphLayout::X(const GraphState& s) const {
    const Axis& a = s.axes.front();
    return AxisMap{a.min, a.max, a.DrawnLog(), plot.left(), plot.right()};
}

AxisMap GraphLayout::Y(const Axis& a) const {
    return AxisMap{a.min, a.max, a.DrawnLog(), plot.bottom(), plot.top()};
}

GraphLayout ComputeLayout(const GraphState& s, QSizeF size) {
    GraphLayout l;
    l.size = size;
    for (size_t i = 1; i < s.axes.size(); ++i) {
        const Axis& a = s.axes[i];
        if (!a.ownScale) continue;
        if (a.ticks.nearSide) l.leftAxes.push_back(i);
        if (a.ticks.farSide) l.rightAxes.push_back(i);
    }
    const double left =
        kLeftMargin + kAxisWidth * static_cast<double>(std::max<size_t>(l.leftAxes.size(), 1) - 1);
    const double right = kRightMargin + kAxisWidth * static_cast<double>(l.rightAxes.size());
    const double w = std::max(0.0, size.width() - left - right);
    const double h = std::max(0.0, size.height() - kTopMargin - kBottomMargin);
    l.plot = QRectF(left, kTopMargin, w, h);
    return l;
}

}  // namespace platform::graph
