#include "platform/activex/graph_layout.h"

#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

namespace platform::graph {
namespace {

constexpr double kLabelGap = 3;    // between an axis line and its labels
constexpr double kCaptionGap = 6;  // between captions on one row
constexpr double kTickRoom = 6;    // the next axis's tick marks, which point into this strip

// The widest tick label of a Y axis whose line is `height` px long.
double WidestLabel(const Axis& a, double height, const QFontMetricsF& fm) {
    if (!a.ticks.labels || height <= 1) return 0;
    const TickSet t = ChooseTicks(a.format, a.min, a.max, height, 30, a.spacing, a.DrawnLog());
    double w = 0;
    for (double v : t.major)
        w = std::max(w, fm.horizontalAdvance(a.format.TickLabel(v, t.decimals).ToQString()));
    return w;
}

// The x offsets of the axis lines on one side from the plot's edge, nearest first, and the total
// width. A strip holds its axis's labels clear of the next axis's ticks and of the image edge.
std::vector<double> Strips(const GraphState& s, const std::vector<size_t>& axes, double height,
                           const QFontMetricsF& fm, double& total) {
    std::vector<double> at;
    total = 0;
    for (size_t k = 0; k < axes.size(); ++k) {
        at.push_back(total);
        const double beyond = k + 1 < axes.size() ? kTickRoom : 1;
        total += std::max(kAxisWidth,
                          std::ceil(kLabelGap + WidestLabel(s.axes[axes[k]], height, fm) + beyond));
    }
    return at;
}

QRectF Inside(QRectF r, QSizeF size) {
    r.moveLeft(std::clamp(r.left(), 0.0, std::max(0.0, size.width() - r.width())));
    r.moveTop(std::clamp(r.top(), 0.0, std::max(0.0, size.height() - r.height())));
    return r;
}

bool Overlaps(const QRectF& r, const std::vector<QRectF>& taken) {
    for (const QRectF& t : taken)
        if (t.adjusted(-2, -1, 2, 1).intersects(r)) return true;
    return false;
}

// Where strip k ends away from the plot.
double OuterEdge(const std::vector<double>& at, size_t k, double total) {
    return k + 1 < at.size() ? at[k + 1] : total;
}

}  // namespace

double AxisMap::LogToPixel(double v) const {
    if (!(v > 0)) return p0 - (p1 - p0) * 1000;  // far past the low end
    return p0 +
           (std::log10(v) - std::log10(vmin)) / (std::log10(vmax) - std::log10(vmin)) * (p1 - p0);
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

QFont GraphFont(const GraphState& s) {
    QFont f("DejaVu Sans");
    // Points at the control's 96-dpi logical resolution; the painter's scale does the rest.
    f.setPixelSize(std::max(1, static_cast<int>(std::lround(s.style.fontSize * 96.0 / 72.0))));
    return f;
}

std::vector<AxisPlace> DrawnAxes(const GraphState& s, const GraphLayout& layout) {
    std::vector<AxisPlace> out;
    const Axis& x = s.axes.front();
    if (x.ownScale && x.ticks.nearSide) out.push_back({&x, false, false, layout.plot.bottom()});
    for (size_t k = 0; k < layout.leftAxes.size(); ++k)
        out.push_back(
            {&s.axes[layout.leftAxes[k]], true, false, layout.plot.left() - layout.leftAt[k]});
    for (size_t k = 0; k < layout.rightAxes.size(); ++k)
        out.push_back(
            {&s.axes[layout.rightAxes[k]], true, true, layout.plot.right() + layout.rightAt[k]});
    return out;
}

std::vector<TickLabel> PlaceTickLabels(const GraphState& s, const GraphLayout& layout,
                                       const AxisPlace& d, const QFontMetricsF& fm,
                                       std::vector<QRectF>& taken) {
    std::vector<TickLabel> out;
    const Axis& a = *d.axis;
    if (!a.ticks.labels) return out;
    const QRectF& area = layout.plot;
    const AxisMap m = d.vertical ? layout.Y(a) : layout.X(s);
    const double len = d.vertical ? area.height() : area.width();
    const TickSet t =
        ChooseTicks(a.format, a.min, a.max, len, d.vertical ? 30 : 60, a.spacing, a.DrawnLog());
    const double h = fm.height();
    for (double v : t.major) {
        const double px = m.ToPixel(v);
        const QString text = a.format.TickLabel(v, t.decimals).ToQString();
        const double w = fm.horizontalAdvance(text);
        QRectF r;
        if (!d.vertical) {
            r = QRectF(px - w / 2, d.at + kLabelGap, w, h);
        } else {
            r = QRectF(d.far ? d.at + kLabelGap : d.at - kLabelGap - w, px - h / 2, w, h);
            // The lowest label stays above the X axis's labels.
            if (r.bottom() > area.bottom() + kLabelGap - 1)
                r.moveBottom(area.bottom() + kLabelGap - 1);
        }
        r = Inside(r, layout.size);
        if (Overlaps(r, taken)) continue;
        taken.push_back(r);
        out.push_back({v, r, text});
    }
    return out;
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
    const QFontMetricsF fm(GraphFont(s));
    const double h = fm.height();
    const double W = size.width(), H = size.height();

    // Bottom: the X labels, then a row for the X caption.
    const double bottom = std::min(kMaxBottomMargin, std::ceil(kLabelGap + h + h + 2));
    const double plotBottom = std::max(0.0, H - bottom);
    const double rowHeight = std::max(kTopMargin, std::ceil(h) + 1);

    // The Y axes' strips, sized to their labels at the tallest plot area the captions allow.
    const double tallest = plotBottom - rowHeight - std::ceil(h / 2);
    double leftStrips = 0, rightStrips = 0;
    l.leftAt = Strips(s, l.leftAxes, tallest, fm, leftStrips);
    l.rightAt = Strips(s, l.rightAxes, tallest, fm, rightStrips);
    const double left = l.leftAxes.empty() ? kLeftMargin : leftStrips;

    // Right: the right axes' strips, and room for the X labels past the plot's right edge. The
    // labels depend on the width, so settle it in a few rounds.
    double right = kRightMargin + rightStrips;
    const Axis& xAxis = s.axes.front();
    if (xAxis.ownScale && xAxis.ticks.nearSide && xAxis.ticks.labels) {
        for (int round = 0; round < 3; ++round) {
            const double width = W - right - left;
            if (width <= 1) break;
            const AxisMap xm{xAxis.min, xAxis.max, xAxis.DrawnLog(), left, left + width};
            const TickSet t = ChooseTicks(xAxis.format, xAxis.min, xAxis.max, width, 60,
                                          xAxis.spacing, xAxis.DrawnLog());
            double over = 0;
            for (double v : t.major) {
                const double w =
                    fm.horizontalAdvance(xAxis.format.TickLabel(v, t.decimals).ToQString());
                over = std::max(over, xm.ToPixel(v) + w / 2 + 1 - W);
            }
            if (over <= 0) break;
            right = std::min(right + std::ceil(over), std::max(right, W - left - 1));
        }
    }
    const double plotWidth = std::max(0.0, W - left - right);

    // Top: rows of captions, each caption whole unless wider than the image.
    auto whole = [&](const CString& caption) {
        const QString full = caption.ToQString();
        const double avail = std::max(0.0, W - 4);
        return fm.horizontalAdvance(full) <= avail ? full
                                                   : fm.elidedText(full, Qt::ElideRight, avail);
    };
    std::vector<std::vector<std::pair<double, double>>> rows(1);
    auto place = [&](const CString& caption, COLORREF colour, double x, int align) {
        if (caption.IsEmpty()) return;
        const QString text = whole(caption);
        const double w = fm.horizontalAdvance(text);
        double x0 = align < 0 ? x : align > 0 ? x - w : x - w / 2;
        x0 = std::clamp(x0, 2.0, std::max(2.0, W - 2 - w));
        size_t row = 0;
        for (;; ++row) {
            if (row == rows.size()) rows.emplace_back();
            bool free = true;
            for (const auto& [a, b] : rows[row])
                if (x0 < b + kCaptionGap && a < x0 + w + kCaptionGap) free = false;
            if (free) break;
        }
        rows[row].emplace_back(x0, x0 + w);
        l.captions.push_back(
            {QRectF(x0, static_cast<double>(row) * rowHeight + (rowHeight - h) / 2, w, h), text,
             colour});
    };
    for (size_t k = 0; k < l.leftAxes.size(); ++k) {
        const Axis& a = s.axes[l.leftAxes[k]];
        if (a.captionSides.nearSide)
            place(a.caption, a.captionColor, std::max(0.0, left - OuterEdge(l.leftAt, k, left)) + 2,
                  -1);
    }
    for (size_t k = 0; k < l.rightAxes.size(); ++k) {
        const Axis& a = s.axes[l.rightAxes[k]];
        if (a.captionSides.farSide)
            place(a.caption, a.captionColor,
                  std::min(W, W - right + OuterEdge(l.rightAt, k, rightStrips)) - 2, 1);
    }
    place(s.caption, RGB(0, 0, 0), left + plotWidth / 2, 0);
    const double top = static_cast<double>(rows.size()) * rowHeight + std::ceil(h / 2);

    l.plot = QRectF(left, top, plotWidth, std::max(0.0, plotBottom - top));
    if (xAxis.ownScale && xAxis.captionSides.nearSide && !xAxis.caption.IsEmpty()) {
        const QString text = whole(xAxis.caption);
        const double w = fm.horizontalAdvance(text);
        const double x0 = std::clamp(left + plotWidth / 2 - w / 2, 2.0, std::max(2.0, W - 2 - w));
        l.captions.push_back(
            {QRectF(x0, std::max(0.0, H - h - 1), w, h), text, xAxis.captionColor});
    }
    return l;
}

}  // namespace platform::graph
