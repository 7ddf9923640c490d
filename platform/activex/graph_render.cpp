#include "platform/activex/graph_render.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <utility>

namespace platform::graph {
namespace {

constexpr double kFar = 1e5;  // coordinates are kept this close to the plot area
constexpr double kHitDistance = 4;

QColor Colour(COLORREF c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

QPointF Bounded(const QRectF& area, double x, double y) {
    return QPointF(std::clamp(x, area.left() - kFar, area.right() + kFar),
                   std::clamp(y, area.top() - kFar, area.bottom() + kFar));
}

double DeviceScaleX(const QPainter& p) {
    const QTransform t = p.deviceTransform();
    const double s = std::hypot(t.m11(), t.m12());
    return s > 0 ? s : 1;
}

Qt::PenStyle PlotPenStyle(LONG style) {
    switch (style) {
        case 2:
            return Qt::DashLine;
        case 3:
            return Qt::DashDotLine;
        case 4:
            return Qt::DotLine;
        default:
            return Qt::SolidLine;
    }
}

double SegmentDistance(QPointF p, QPointF a, QPointF b) {
    const QPointF d = b - a;
    const double len2 = d.x() * d.x() + d.y() * d.y();
    double t = len2 > 0 ? ((p.x() - a.x()) * d.x() + (p.y() - a.y()) * d.y()) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    const QPointF q = a + t * d;
    return std::hypot(p.x() - q.x(), p.y() - q.y());
}

// The styles the program offers draw as its style pictures show them: 10 a dot, 2 a square,
// 6 a diamond, 16 a triangle, 22 a triangle upside down (all filled), 9 a cross, 1 a plus and
// 13 a small dot.
bool MarkerFilled(LONG m) {
    return m == 2 || m == 3 || m == 5 || m == 6 || m == 7 || m == 10 || m == 12 || m == 13 ||
           m == 15 || m == 16 || m == 20 || m == 22;
}

void DrawMarker(QPainter& p, LONG m, QPointF c) {
    const double r = m == 12 ? 4.5 : 3.5;
    const QRectF box(c.x() - r, c.y() - r, 2 * r, 2 * r);
    auto poly = [&](std::initializer_list<QPointF> pts) {
        QPolygonF g;
        for (QPointF q : pts)
            g << c + q * r;
        p.drawPolygon(g);
    };
    auto hexagon = [&] {
        QPolygonF g;
        for (int i = 0; i < 6; ++i)
            g << c + QPointF(std::cos(i * M_PI / 3), std::sin(i * M_PI / 3)) * r;
        p.drawPolygon(g);
    };
    auto cross = [&] {
        p.drawLine(box.topLeft(), box.bottomRight());
        p.drawLine(box.topRight(), box.bottomLeft());
    };
    auto plus = [&] {
        p.drawLine(QPointF(c.x() - r, c.y()), QPointF(c.x() + r, c.y()));
        p.drawLine(QPointF(c.x(), c.y() - r), QPointF(c.x(), c.y() + r));
    };
    switch (m) {
        case 13:
            p.drawEllipse(c, 1.5, 1.5);
            break;
        case 2:
        case 3:
        case 21:
            p.drawRect(box);
            if (m == 21) cross();
            break;
        case 4:
        case 5:
        case 10:
        case 12:
            p.drawEllipse(box);
            break;
        case 6:
        case 7:
            poly({{0, -1}, {1, 0}, {0, 1}, {-1, 0}});
            break;
        case 8:
        case 16:
            poly({{0, -1}, {1, 1}, {-1, 1}});
            break;
        case 9:
            cross();
            break;
        case 1:
        case 11:
            plus();
            break;
        case 14:
            cross();
            plus();
            break;
        case 15:
        case 22:
            poly({{0, 1}, {1, -1}, {-1, -1}});
            break;
        case 17:
            p.drawLine(QPointF(c.x() - r, c.y()), QPointF(c.x() + r, c.y()));
            break;
        case 18:
            p.drawLine(QPointF(c.x(), c.y() - r), QPointF(c.x(), c.y() + r));
            break;
        case 19:
        case 20:
            hexagon();
            break;
        default:
            break;
    }
}

void DrawMarkers(QPainter& p, const Plot& plot, const std::vector<QPointF>& points) {
    if (plot.marker <= 0) return;
    const QColor col = Colour(plot.markerColor);
    p.setPen(QPen(col, 1));
    p.setBrush(MarkerFilled(plot.marker) ? QBrush(col) : Qt::NoBrush);
    for (QPointF c : points)
        DrawMarker(p, plot.marker, c);
    p.setBrush(Qt::NoBrush);
}

// The pixel run of an annotation's or a shape's coordinates.
QPolygonF ShapePolygon(const GraphState& s, const GraphLayout& layout, const Annotation& a) {
    QPolygonF poly;
    if (!a.shape.x || !a.shape.y) return poly;
    const AxisMap xm = layout.X(s), ym = layout.Y(AnnotationYAxis(s, a));
    const size_t n = std::min(a.shape.x->size(), a.shape.y->size());
    for (size_t i = 0; i < n; ++i) {
        const double x = (*a.shape.x)[i], y = (*a.shape.y)[i];
        if (std::isfinite(x) && std::isfinite(y))
            poly << Bounded(layout.plot, xm.ToPixel(x), ym.ToPixel(y));
    }
    return poly;
}

void DrawShape(QPainter& p, const GraphState& s, const GraphLayout& layout, const Annotation& a) {
    const QPolygonF poly = ShapePolygon(s, layout, a);
    if (poly.size() < 2) return;
    if (a.shape.kind == 4) {
        p.setPen(a.shape.outline ? QPen(Qt::black, a.shape.width, Qt::SolidLine) : Qt::NoPen);
        p.setBrush(a.shape.filled ? QBrush(Colour(a.shape.fillColor)) : Qt::NoBrush);
        p.drawPolygon(poly);
        p.setBrush(Qt::NoBrush);
    } else {
        const Qt::PenStyle style = a.shape.lineStyle == 1   ? Qt::DashLine
                                   : a.shape.lineStyle == 2 ? Qt::DotLine
                                                            : Qt::SolidLine;
        p.setPen(QPen(Qt::black, a.shape.width, style, Qt::FlatCap));
        p.drawPolyline(poly);
    }
}

std::optional<QPointF> PinnedPoint(const GraphState& s, const GraphLayout& layout,
                                   const Annotation& a) {
    if (a.attachment != 2 || !a.plot) return std::nullopt;
    const Plot* plot = s.FindPlot(a.plot);
    if (!plot || a.point < 0 || !plot->points->IsPoint(static_cast<size_t>(a.point)))
        return std::nullopt;
    const auto i = static_cast<size_t>(a.point);
    return Bounded(layout.plot, layout.X(s).ToPixel(plot->points->X()[i]),
                   layout.Y(s.YAxisOf(*plot)).ToPixel(plot->points->Y()[i]));
}

void DrawLabel(QPainter& p, const GraphState& s, const GraphLayout& layout, const Annotation& a) {
    const std::optional<QRectF> box = LabelBox(s, layout, a);
    if (!box) return;
    const AxisMap xm = layout.X(s), ym = layout.Y(AnnotationYAxis(s, a));
    const QPointF at = Bounded(layout.plot, xm.ToPixel(a.caption.x), ym.ToPixel(a.caption.y));
    if (const std::optional<QPointF> pin = PinnedPoint(s, layout, a)) {
        p.setPen(QPen(Qt::black, 1));
        p.drawLine(at, *pin);
        const QPointF d = at - *pin;
        const double len = std::hypot(d.x(), d.y());
        if (a.head == 0 && len > 0) {
            const QPointF u = d / len, n(-u.y(), u.x());
            p.setBrush(Qt::black);
            p.drawPolygon(QPolygonF() << *pin << *pin + u * 8 + n * 3 << *pin + u * 8 - n * 3);
            p.setBrush(Qt::NoBrush);
        } else if (a.head == 2) {
            p.setBrush(Qt::black);
            p.drawEllipse(*pin, 2.5, 2.5);
            p.setBrush(Qt::NoBrush);
        }
    }
    if (a.caption.frame == 0) {
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(Qt::white);
        p.drawRect(*box);
        p.setBrush(Qt::NoBrush);
    }
    p.setPen(Qt::black);
    p.drawText(*box, Qt::AlignCenter, a.caption.text.ToQString());
}

void DrawGrid(QPainter& p, const GraphState& s, const GraphLayout& layout) {
    p.setPen(QPen(Colour(s.style.grid), 1));
    for (size_t i = 0; i < s.axes.size(); ++i) {
        const Axis& a = s.axes[i];
        if (!a.ticks.grid && !a.ticks.minorGrid) continue;
        const bool x = i == 0;
        const AxisMap m = x ? layout.X(s) : layout.Y(a);
        const double len = x ? layout.plot.width() : layout.plot.height();
        const TickSet t =
            ChooseTicks(a.format, a.min, a.max, len, x ? 60 : 30, a.spacing, a.DrawnLog());
        auto line = [&](double v) {
            const double px = m.ToPixel(v);
            if (x)
                p.drawLine(QPointF(px, layout.plot.top()), QPointF(px, layout.plot.bottom()));
            else
                p.drawLine(QPointF(layout.plot.left(), px), QPointF(layout.plot.right(), px));
        };
        if (a.ticks.grid)
            for (double v : t.major)
                line(v);
        if (a.ticks.minorGrid)
            for (double v : t.minor)
                line(v);
    }
}

void DrawAxis(QPainter& p, const GraphState& s, const GraphLayout& layout, const AxisPlace& d,
              const QFontMetricsF& fm, std::vector<QRectF>& taken) {
    const Axis& a = *d.axis;
    const QRectF& area = layout.plot;
    const AxisMap m = d.vertical ? layout.Y(a) : layout.X(s);
    const double len = d.vertical ? area.height() : area.width();
    p.setPen(QPen(Colour(a.color), 1));
    if (d.vertical)
        p.drawLine(QPointF(d.at, area.top()), QPointF(d.at, area.bottom()));
    else
        p.drawLine(QPointF(area.left(), d.at), QPointF(area.right(), d.at));
    const TickSet t =
        ChooseTicks(a.format, a.min, a.max, len, d.vertical ? 30 : 60, a.spacing, a.DrawnLog());
    // Tick marks point into the plot area, so labels sit right against it.
    const double inward = d.vertical ? (d.far ? -1 : 1) : -1;
    auto mark = [&](double v, double length) {
        const double px = m.ToPixel(v);
        if (d.vertical)
            p.drawLine(QPointF(d.at, px), QPointF(d.at + length * inward, px));
        else
            p.drawLine(QPointF(px, d.at), QPointF(px, d.at + length * inward));
    };
    if (a.ticks.minor) {
        p.setPen(QPen(Colour(a.ticks.minorColor), 1));
        for (double v : t.minor)
            mark(v, 2);
    }
    p.setPen(QPen(Colour(a.ticks.color), 1));
    if (a.ticks.ticks)
        for (double v : t.major)
            mark(v, 4);
    for (const TickLabel& label : PlaceTickLabels(s, layout, d, fm, taken))
        p.drawText(label.box, Qt::AlignCenter, label.text);
}

}  // namespace

const Axis& AnnotationYAxis(const GraphState& s, const Annotation& a) {
    const Plot* plot = a.plot ? s.FindPlot(a.plot) : nullptr;
    return plot ? s.YAxisOf(*plot) : s.axes[1];
}

std::optional<QRectF> LabelBox(const GraphState& s, const GraphLayout& layout,
                               const Annotation& a) {
    if (!a.visible || a.kind != 5 || a.caption.text.IsEmpty()) return std::nullopt;
    const QFontMetricsF fm(GraphFont(s));
    const QRectF text = fm.boundingRect(QRectF(0, 0, 10000, 10000), Qt::AlignLeft | Qt::AlignTop,
                                        a.caption.text.ToQString());
    const QSizeF size(text.width() + 6, text.height() + 4);
    const AxisMap xm = layout.X(s), ym = layout.Y(AnnotationYAxis(s, a));
    const QPointF at = Bounded(layout.plot, xm.ToPixel(a.caption.x), ym.ToPixel(a.caption.y));
    const std::optional<QPointF> pin = PinnedPoint(s, layout, a);
    if (!pin)
        return QRectF(at.x() - size.width() / 2, at.y() - size.height() / 2, size.width(),
                      size.height());
    // Away from the point, the corner nearest to it at the label position.
    const double left = at.x() >= pin->x() ? at.x() : at.x() - size.width();
    const double top = at.y() >= pin->y() ? at.y() : at.y() - size.height();
    return QRectF(left, top, size.width(), size.height());
}

std::optional<QPointF> CursorPoint(const GraphState& s, const GraphLayout& layout,
                                   const Cursor& c) {
    if (!c.visible) return std::nullopt;
    const Axis* yAxis = &s.axes[1];
    if (c.plot) {
        const Plot* plot = s.FindPlot(c.plot);
        if (!plot || c.index < 0 || !plot->points->IsPoint(static_cast<size_t>(c.index)))
            return std::nullopt;
        yAxis = &s.YAxisOf(*plot);
    } else if (!c.xPut || !c.yPut) {
        return std::nullopt;
    }
    return Bounded(layout.plot, layout.X(s).ToPixel(c.x), layout.Y(*yAxis).ToPixel(c.y));
}

Trace TracePlot(const Plot& plot, const AxisMap& xm, const AxisMap& ym, const QRectF& area,
                double columnsPerPixel) {
    Trace t;
    const PlotPoints& pts = *plot.points;
    const size_t n = pts.Size();
    if (!n || area.width() <= 0) return t;
    const double* xs = pts.X();
    const double* ys = pts.Y();
    auto pixel = [&](size_t i) { return Bounded(area, xm.ToPixel(xs[i]), ym.ToPixel(ys[i])); };
    const size_t columns =
        std::max<size_t>(1, static_cast<size_t>(std::ceil(area.width() * columnsPerPixel)));
    const double columnWidth = area.width() / static_cast<double>(columns);
    size_t vertices = 0;
    auto newRun = [&] {
        if (t.runs.empty() || !t.runs.back().empty()) t.runs.emplace_back();
    };
    auto addAt = [&](size_t i, QPointF q) {
        t.runs.back().push_back(q);
        t.runIndexes.push_back(i);
        ++vertices;
    };
    auto add = [&](size_t i) { addAt(i, pixel(i)); };
    // Between two successive points, the X step that breaks the line.
    const double breakStep = plot.breakStep;
    const double* keys = plot.breakKeys ? plot.breakKeys->data() : nullptr;
    const size_t keyCount = plot.breakKeys ? plot.breakKeys->size() : 0;
    auto breaks = [&](size_t a, size_t b) {
        if (breakStep <= 0) return false;
        if (a < keyCount && b < keyCount) return std::fabs(keys[b] - keys[a]) > breakStep;
        return std::fabs(xs[b] - xs[a]) > breakStep;
    };
    const bool increasing = xm.p1 > xm.p0;
    if (pts.Monotone() && increasing && !xm.log) {
        // Visible indexes, with one point beyond each side for the lines that leave the area.
        size_t i0 = pts.LowerBound(xm.FromPixel(area.left()));
        while (i0 > 0 && !pts.IsPoint(--i0)) {
        }
        size_t i1 = pts.LowerBound(xm.FromPixel(area.right()));
        while (i1 < n && !pts.IsPoint(i1))
            ++i1;
        i1 = std::min(n, i1 + 1);
        if (i0 >= i1) return t;
        if (i1 - i0 <= 2 * columns) {
            newRun();
            for (size_t i = i0; i < i1; ++i) {
                if (!pts.IsPoint(i)) {
                    newRun();
                    continue;
                }
                if (i > i0 && pts.IsPoint(i - 1) && breaks(i - 1, i)) newRun();
                add(i);
                t.markers.push_back(t.runs.back().back());
                t.markerIndexes.push_back(i);
            }
        } else {
            t.dense = true;
            newRun();
            t.runs.back().reserve(4 * columns);
            t.runIndexes.reserve(4 * columns);
            t.markers.reserve(2 * columns);
            t.markerIndexes.reserve(2 * columns);
            bool havePrevious = false;
            size_t previousLast = 0;
            size_t lo = i0;
            // Points a column, from the last one: where to look for the next edge, and what to
            // fetch for the edges a few columns on while this column is worked out.
            constexpr size_t kAhead = 4;  // columns between a fetch and its use
            size_t step = (i1 - i0) / columns;
            for (size_t k = 1; k <= kAhead + 1; ++k)
                pts.Prefetch(i0 + k * step);
            // A column's vertices go out a few columns after its summary, so that the reads of
            // its points are under way meanwhile.
            auto putColumn = [&](const PlotPoints::Summary& sum) {
                // A gap between the columns; one within a column is narrower than a pixel.
                if (havePrevious &&
                    (sum.first > previousLast + 1 || breaks(previousLast, sum.first)))
                    newRun();
                const size_t a = std::min(sum.minIdx, sum.maxIdx);
                const size_t b = std::max(sum.minIdx, sum.maxIdx);
                // The extremes' Y come with the summary, which saves reading them.
                auto extreme = [&](size_t i) {
                    return Bounded(area, xm.ToPixel(xs[i]),
                                   ym.ToPixel(i == sum.minIdx ? sum.minY : sum.maxY));
                };
                const QPointF pa = extreme(a), pb = b == a ? pa : extreme(b);
                const std::pair<size_t, QPointF> order[4] = {
                    {sum.first, sum.first == a ? pa : pixel(sum.first)},
                    {a, pa},
                    {b, pb},
                    {sum.last, sum.last == b ? pb : pixel(sum.last)}};
                size_t lastEmitted = std::numeric_limits<size_t>::max();
                for (const auto& [i, q] : order)
                    if (i != lastEmitted) addAt(i, q), lastEmitted = i;
                t.markers.push_back(sum.minIdx == a ? pa : pb);
                t.markerIndexes.push_back(sum.minIdx);
                if (sum.maxIdx != sum.minIdx) {
                    t.markers.push_back(sum.maxIdx == a ? pa : pb);
                    t.markerIndexes.push_back(sum.maxIdx);
                }
                havePrevious = true;
                previousLast = sum.last;
            };
            PlotPoints::Summary pending[kAhead];
            size_t summarised = 0;
            for (size_t c = 0; c < columns && lo < i1; ++c) {
                const size_t hi =
                    c + 1 == columns
                        ? i1
                        : std::min(
                              pts.LowerBound(xm.FromPixel(area.left() +
                                                          columnWidth * static_cast<double>(c + 1)),
                                             lo, lo + step),
                              i1);
                step = hi - lo;
                pts.Prefetch(hi + (kAhead + 1) * step);
                pts.PrefetchExtremes(hi + 2 * step);
                const PlotPoints::Summary sum = pts.Summarise(lo, hi);
                lo = hi;
                if (!sum.any) continue;
                for (size_t i : {sum.first, sum.last})
                    __builtin_prefetch(ys + i);
                for (size_t i : {sum.first, sum.minIdx, sum.maxIdx, sum.last})
                    __builtin_prefetch(xs + i);
                PlotPoints::Summary& slot = pending[summarised++ % kAhead];
                if (summarised > kAhead) putColumn(slot);
                slot = sum;
            }
            for (size_t k = summarised > kAhead ? summarised - kAhead : 0; k < summarised; ++k)
                putColumn(pending[k % kAhead]);
        }
    } else {
        // Y against X: one pass that merges successive points on the same device pixel.
        t.dense = pts.PointCount() > 2 * columns;
        newRun();
        bool have = false;
        long long px = 0, py = 0;
        for (size_t i = 0; i < n; ++i) {
            if (!pts.IsPoint(i)) {
                newRun();
                have = false;
                continue;
            }
            if (i > 0 && pts.IsPoint(i - 1) && breaks(i - 1, i)) {
                newRun();
                have = false;
            }
            const QPointF q = pixel(i);
            const auto qx = static_cast<long long>(std::floor(q.x() * columnsPerPixel));
            const auto qy = static_cast<long long>(std::floor(q.y() * columnsPerPixel));
            if (have && qx == px && qy == py) continue;
            have = true;
            px = qx, py = qy;
            add(i);
            t.markers.push_back(q);
            t.markerIndexes.push_back(i);
        }
    }
    if (!t.runs.empty() && t.runs.back().empty()) t.runs.pop_back();
    (void)vertices;
    return t;
}

namespace {

// The axis value whose label reads 0: bars and fills stand on the zero the user sees (0 °F is not
// the stored 0 °C).
double ShownZero(const Axis& a) {
    return a.format.HasPattern() ? 0.0 : a.format.Invert(0.0);
}

void DrawBars(QPainter& p, const GraphState& s, const Plot& plot, const AxisMap& xm,
              const AxisMap& ym, const QRectF& area, double columnsPerPixel) {
    const PlotPoints& pts = *plot.points;
    if (!pts.Size()) return;
    const Axis& ya = s.YAxisOf(plot);
    const double base = ym.ToPixel(std::clamp(ShownZero(ya), ya.min, ya.max));
    p.setPen(QPen(Colour(plot.lineColor), 1));
    p.setBrush(Colour(plot.fillColor));
    const Trace t = TracePlot(plot, xm, ym, area, columnsPerPixel);
    if (t.dense) {
        // One bar a column, to its extremes.
        const double cw = 1.0 / columnsPerPixel;
        double lo = base, hi = base, column = -1;
        auto flush = [&] {
            if (column >= 0)
                p.drawRect(QRectF(QPointF(column, std::min(lo, base)),
                                  QPointF(column + cw, std::max(hi, base))));
        };
        for (const auto& run : t.runs)
            for (QPointF q : run) {
                const double c = std::floor((q.x() - area.left()) / cw) * cw + area.left();
                if (c != column) {
                    flush();
                    column = c, lo = hi = q.y();
                }
                lo = std::min(lo, q.y()), hi = std::max(hi, q.y());
            }
        flush();
    } else {
        const double half = s.axes.front().barWidth / 2;
        for (size_t i = 0; i < pts.Size(); ++i) {
            if (!pts.IsPoint(i)) continue;
            const double x = pts.X()[i], y = pts.Y()[i];
            const QPointF a = Bounded(area, xm.ToPixel(x - half), ym.ToPixel(y));
            const QPointF b = Bounded(area, xm.ToPixel(x + half), base);
            p.drawRect(QRectF(a, b).normalized());
        }
    }
    p.setBrush(Qt::NoBrush);
}

struct Span {
    int x, lo, hi;  // a pixel column's rows, both ends included
};

// The device rectangle a painter clips to, or null when its clip is not one rectangle (then the
// painter draws). Rounded the way the raster engine rounds a rectangular clip.
std::optional<QRect> DeviceClip(const QPainter& p, const QTransform& w, const QRect& bounds) {
    if (!p.hasClipping()) return bounds;
    const QPainterPath path = p.clipPath();
    const QRectF box = path.boundingRect();
    QPainterPath rect;
    rect.addRect(box);
    if (path != rect) return std::nullopt;
    const QRectF d = w.mapRect(box);
    const QRect r(QPoint(qRound(d.left()), qRound(d.top())),
                  QPoint(qRound(d.right()) - 1, qRound(d.bottom()) - 1));
    return r.intersected(bounds);
}

// Where a painter in its present state would put a line of `colour` into a plain 32-bit image
// pixel for pixel, so that its spans can go straight into the scanlines: the raster engine fills
// such runs a pixel span at a time, which costs far more. None when the device, the painter's
// state or the colour asks for the engine.
struct SpanTarget {
    uchar* bits;
    qsizetype stride;
    QRect clip;
};
std::optional<SpanTarget> ImageTarget(QPainter& p, const QTransform& w, const QColor& colour) {
    QPaintDevice* device = p.device();
    if (!device || device->devType() != QInternal::Image) return std::nullopt;
    auto* image = static_cast<QImage*>(device);
    const QImage::Format format = image->format();
    if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32 &&
        format != QImage::Format_ARGB32_Premultiplied)
        return std::nullopt;
    if (colour.alpha() != 255 || image->devicePixelRatio() != 1 || p.deviceTransform() != w ||
        p.opacity() != 1 || p.compositionMode() != QPainter::CompositionMode_SourceOver)
        return std::nullopt;
    const std::optional<QRect> clip = DeviceClip(p, w, image->rect());
    if (!clip) return std::nullopt;
    // The painter writes into this very buffer; scanLine() could detach it from the engine.
    return SpanTarget{const_cast<uchar*>(std::as_const(*image).constBits()), image->bytesPerLine(),
                      *clip};
}

// The dense line of a plot, waiting to go into the image with those of the plots after it.
struct WaitingLine {
    std::vector<Span> spans;
    QRgb colour;
};

// Writes the waiting lines, later ones over earlier ones, and empties the list.
void WriteSpans(const SpanTarget& t, std::vector<WaitingLine>& lines) {
    int left = t.clip.right() + 1, right = t.clip.left() - 1;
    for (WaitingLine& line : lines) {
        auto& spans = line.spans;
        size_t kept = 0;
        for (Span s : spans) {
            s.lo = std::max(s.lo, t.clip.top()), s.hi = std::min(s.hi, t.clip.bottom());
            if (s.x >= t.clip.left() && s.x <= t.clip.right() && s.lo <= s.hi) spans[kept++] = s;
        }
        spans.resize(kept);
        // One colour: the order within a line does not matter.
        if (!std::is_sorted(spans.begin(), spans.end(),
                            [](const Span& a, const Span& b) { return a.x < b.x; }))
            std::sort(spans.begin(), spans.end(),
                      [](const Span& a, const Span& b) { return a.x < b.x; });
        if (!spans.empty())
            left = std::min(left, spans.front().x), right = std::max(right, spans.back().x);
    }
    auto column = [&](int x, int lo, int hi, QRgb src) {
        uchar* row = t.bits + static_cast<qsizetype>(lo) * t.stride + x * 4;
        for (int y = lo; y <= hi; ++y, row += t.stride)
            *reinterpret_cast<QRgb*>(row) = src;
    };
    std::vector<size_t> next(lines.size(), 0);
    if (lines.size() > 1 && lines.size() <= 64) {
        // Several lines: each pixel of a column once, in the colour of the last line over it,
        // found by going down the column through the ends of the lines' runs there. Where lines
        // cover each other, as the dense traces of a long run do, far fewer pixels are written
        // than line by line.
        struct End {
            int y;
            int line;  // + where its run starts, - 1 after it ends
        };
        std::vector<End> ends;
        int active[64] = {};
        for (int x = left; x <= right; ++x) {
            ends.clear();
            for (size_t k = 0; k < lines.size(); ++k) {
                const std::vector<Span>& spans = lines[k].spans;
                for (size_t& i = next[k]; i < spans.size() && spans[i].x == x; ++i) {
                    ends.push_back({spans[i].lo, static_cast<int>(k) + 1});
                    ends.push_back({spans[i].hi + 1, -static_cast<int>(k) - 1});
                }
            }
            std::sort(ends.begin(), ends.end(),
                      [](const End& a, const End& b) { return a.y < b.y; });
            std::uint64_t over = 0;
            for (size_t e = 0; e < ends.size();) {
                const int y = ends[e].y;
                for (; e < ends.size() && ends[e].y == y; ++e) {
                    const int k = std::abs(ends[e].line) - 1;
                    if (ends[e].line > 0 ? active[k]++ == 0 : --active[k] == 0)
                        over ^= std::uint64_t{1} << k;
                }
                if (over && e < ends.size())
                    column(x, y, ends[e].y - 1, lines[63 - std::countl_zero(over)].colour);
            }
        }
        lines.clear();
        return;
    }
    // One line (or very many, line by line): the rows that up to 16 neighbouring columns all
    // cover go in a row at a time, which keeps to the cache where a column at a time touches a
    // new line of memory per pixel; the rest per column.
    constexpr int kStrip = 16;
    for (int x0 = left; x0 <= right; x0 += kStrip)
        for (size_t k = 0; k < lines.size(); ++k) {
            const std::vector<Span>& spans = lines[k].spans;
            const QRgb src = lines[k].colour;
            size_t& i = next[k];
            while (i < spans.size() && spans[i].x < x0 + kStrip) {
                int lo = spans[i].lo, hi = spans[i].hi;
                size_t j = i + 1;
                for (; j < spans.size() && spans[j].x < x0 + kStrip &&
                       spans[j].x == spans[j - 1].x + 1;
                     ++j) {
                    const int l = std::max(lo, spans[j].lo), h = std::min(hi, spans[j].hi);
                    if (l > h) break;
                    lo = l, hi = h;
                }
                const int count = static_cast<int>(j - i);
                for (int y = lo; count > 1 && y <= hi; ++y)
                    std::fill_n(
                        reinterpret_cast<QRgb*>(t.bits + static_cast<qsizetype>(y) * t.stride) +
                            spans[i].x,
                        count, src);
                for (size_t c = i; c < j; ++c) {
                    if (count > 1) {
                        column(spans[c].x, spans[c].lo, lo - 1, src);
                        column(spans[c].x, hi + 1, spans[c].hi, src);
                    } else {
                        column(spans[c].x, spans[c].lo, spans[c].hi, src);
                    }
                }
                i = j;
            }
        }
    lines.clear();
}

// A dense line on a raster device as the pixels the stroked line would cover: per pixel column
// one run of rows (a segment into the next column lends each side half of its height), and the
// segments that cross more than two columns (`far`). Stroking every vertex instead writes a pixel
// of a solid band several times over, one at a time. False when the device or the pen asks for
// the stroke.
bool DenseSpans(QPainter& p, const Trace& t, double width, std::vector<Span>& spans,
                std::vector<QLineF>& far) {
    if (!t.dense || !p.paintEngine() || p.paintEngine()->type() != QPaintEngine::Raster)
        return false;
    const QTransform w = p.worldTransform();
    if (w.type() > QTransform::TxScale || w.m11() <= 0 || w.m22() <= 0) return false;
    if (width > 0 && (width * w.m11() > 1 || width * w.m22() > 1)) return false;

    // The mapping and flooring of QTransform and std::floor, done here for the few vertices per
    // column there are.
    const QTransform::TransformationType type = w.type();
    const double sx = w.m11(), sy = w.m22(), dx = w.dx(), dy = w.dy();
    auto map = [&](QPointF q) {
        switch (type) {
            case QTransform::TxNone:
                return q;
            case QTransform::TxTranslate:
                return QPointF(q.x() + dx, q.y() + dy);
            default:
                return QPointF(sx * q.x() + dx, sy * q.y() + dy);
        }
    };
    auto floorOf = [](double v) {
        if (!(std::abs(v) < 1e9)) return static_cast<int>(std::floor(v));
        const int i = static_cast<int>(v);
        return i - (v < i);
    };
    bool open = false;
    Span cur{};
    auto add = [&](int x, int y0, int y1) {
        const int lo = std::min(y0, y1), hi = std::max(y0, y1);
        if (open && x == cur.x) {
            cur.lo = std::min(cur.lo, lo), cur.hi = std::max(cur.hi, hi);
            return;
        }
        if (open) spans.push_back(cur);
        open = true, cur = {x, lo, hi};
    };
    size_t vertices = 0;
    for (const auto& run : t.runs)
        vertices += run.size();
    spans.reserve(vertices);
    for (const auto& run : t.runs) {
        if (run.empty()) continue;
        if (open) spans.push_back(cur), open = false;  // a gap is not bridged within a column
        QPointF a = map(run.front());
        int ax = floorOf(a.x()), ay = floorOf(a.y());
        if (run.size() == 1) add(ax, ay, ay);  // a point between two gaps
        for (size_t i = 1; i < run.size(); ++i) {
            const QPointF b = map(run[i]);
            const int bx = floorOf(b.x()), by = floorOf(b.y());
            if (ax == bx) {
                add(ax, ay, by);
            } else if (ax - bx == 1 || bx - ax == 1) {
                const int mid = floorOf((a.y() + b.y()) / 2);
                add(ax, ay, mid);
                add(bx, mid, by);
            } else {
                far.emplace_back(a, b);
            }
            a = b, ax = bx, ay = by;
        }
    }
    if (open) spans.push_back(cur);
    return true;
}

// Spans and far segments in device pixels, through the painter.
void PaintSpans(QPainter& p, const QColor& colour, const std::vector<Span>& spans,
                std::vector<QLineF> lines) {
    std::vector<QRect> rects;
    // Neighbouring columns share the rows they all cover, filled as one rectangle; what sticks
    // out is stroked, which costs less than a rectangle a row.
    auto column = [&](int x, int lo, int hi) {
        if (lo <= hi) lines.emplace_back(QPointF(x + 0.5, lo + 0.5), QPointF(x + 0.5, hi + 0.5));
    };
    for (size_t i = 0; i < spans.size();) {
        int lo = spans[i].lo, hi = spans[i].hi;
        size_t j = i + 1;
        for (; j < spans.size() && j - i < 64 && spans[j].x == spans[j - 1].x + 1; ++j) {
            const int l = std::max(lo, spans[j].lo), h = std::min(hi, spans[j].hi);
            if (l > h) break;
            lo = l, hi = h;
        }
        if (j - i < 4 || hi - lo < 8) {
            column(spans[i].x, spans[i].lo, spans[i].hi);
            ++i;
            continue;
        }
        rects.emplace_back(QPoint(spans[i].x, lo), QPoint(spans[j - 1].x, hi));
        for (size_t k = i; k < j; ++k) {
            column(spans[k].x, spans[k].lo, lo - 1);
            column(spans[k].x, hi + 1, spans[k].hi);
        }
        i = j;
    }
    p.save();
    p.setWorldTransform(QTransform());
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    if (!rects.empty()) p.drawRects(rects.data(), static_cast<int>(rects.size()));
    p.setPen(QPen(colour, 0));
    if (!lines.empty()) p.drawLines(lines.data(), static_cast<int>(lines.size()));
    p.restore();
}

void DrawFill(QPainter& p, const Plot& plot, const Trace& t, double base) {
    p.setPen(Qt::NoPen);
    p.setBrush(Colour(plot.fillColor));
    for (const auto& run : t.runs) {
        if (run.size() < 2) continue;
        QPolygonF poly;
        poly.reserve(static_cast<qsizetype>(run.size() + 2));
        poly << QPointF(run.front().x(), base);
        for (QPointF q : run)
            poly << q;
        poly << QPointF(run.back().x(), base);
        p.drawPolygon(poly);
    }
    p.setBrush(Qt::NoBrush);
}

}  // namespace

void RenderGraph(QPainter& p, const GraphState& s, const QRectF& target, QSizeF logical,
                 const std::optional<QRectF>& rubberBand) {
    if (logical.width() <= 0 || logical.height() <= 0 || target.isEmpty()) return;
    p.save();
    p.translate(target.topLeft());
    p.scale(target.width() / logical.width(), target.height() / logical.height());
    p.setRenderHint(QPainter::Antialiasing, false);
    const GraphLayout layout = ComputeLayout(s, logical);
    const QRectF& area = layout.plot;
    const double columnsPerPixel = DeviceScaleX(p);
    const QFont font = GraphFont(s);
    p.setFont(font);
    const QFontMetricsF fm(font);

    p.fillRect(QRectF(QPointF(0, 0), logical), Colour(s.background));
    p.fillRect(area, Colour(s.style.plotBackground));
    DrawGrid(p, s, layout);

    p.save();
    p.setClipRect(area);
    for (const Annotation& a : s.annotations)
        if (a.visible && a.kind == 3 && a.shape.beneath) DrawShape(p, s, layout, a);
    std::vector<Trace> traces;
    traces.reserve(s.plots.size());
    const AxisMap xm = layout.X(s);
    for (const Plot& plot : s.plots) {
        const AxisMap ym = layout.Y(s.YAxisOf(plot));
        traces.push_back(TracePlot(plot, xm, ym, area, columnsPerPixel));
        if (s.style.bar) {
            DrawBars(p, s, plot, xm, ym, area, columnsPerPixel);
        } else if (plot.fill != 0) {
            const Axis& ya = s.YAxisOf(plot);
            DrawFill(p, plot, traces.back(), ym.ToPixel(std::clamp(ShownZero(ya), ya.min, ya.max)));
        }
    }
    if (!s.style.bar) {
        // Dense lines that go straight into the image wait for each other, until a plot drawn
        // by the painter comes between.
        std::vector<WaitingLine> waiting;
        std::optional<SpanTarget> target;
        auto writeWaiting = [&] {
            if (!waiting.empty()) WriteSpans(*target, waiting);
        };
        for (size_t i = 0; i < s.plots.size(); ++i) {
            const Plot& plot = s.plots[i];
            if (plot.lineStyle == 0) continue;
            const double width = plot.lineStyle == 1 ? plot.width : 1;
            const Qt::PenStyle style = PlotPenStyle(plot.lineStyle);
            const QColor colour = Colour(plot.lineColor);
            std::vector<Span> spans;
            std::vector<QLineF> far;  // segments across more than two columns
            if (style == Qt::SolidLine && DenseSpans(p, traces[i], width, spans, far)) {
                if (const auto t = ImageTarget(p, p.worldTransform(), colour)) {
                    target = t;
                    waiting.push_back({std::move(spans), colour.rgba()});
                    if (far.empty()) continue;
                    spans.clear();
                }
                writeWaiting();
                PaintSpans(p, colour, spans, std::move(far));
                continue;
            }
            writeWaiting();
            p.setPen(QPen(colour, width, style, Qt::FlatCap, Qt::MiterJoin));
            for (const auto& run : traces[i].runs) {
                if (run.size() > 1)
                    p.drawPolyline(run.data(), static_cast<int>(run.size()));
                else if (!run.empty())
                    p.drawPoint(run.front());  // a point between two gaps
            }
        }
        writeWaiting();
        for (size_t i = 0; i < s.plots.size(); ++i)
            DrawMarkers(p, s.plots[i], traces[i].markers);
    }
    for (const Annotation& a : s.annotations)
        if (a.visible && a.kind == 3 && !a.shape.beneath) DrawShape(p, s, layout, a);
    for (const Annotation& a : s.annotations)
        if (a.visible && a.kind == 5) DrawLabel(p, s, layout, a);
    static const COLORREF cursorColours[3] = {RGB(128, 128, 128), RGB(255, 0, 0), RGB(0, 0, 255)};
    for (size_t i = 0; i < s.cursors.size(); ++i)
        if (const std::optional<QPointF> c = CursorPoint(s, layout, s.cursors[i])) {
            p.setPen(QPen(Colour(cursorColours[i]), 1));
            p.drawLine(QPointF(c->x(), area.top()), QPointF(c->x(), area.bottom()));
            p.drawLine(QPointF(area.left(), c->y()), QPointF(area.right(), c->y()));
        }
    p.restore();

    // The frame, the axes over it in their own colours, and the captions.
    p.setPen(QPen(Colour(s.axes.front().color), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(area);
    std::vector<QRectF> taken;
    for (const AxisPlace& d : DrawnAxes(s, layout))
        DrawAxis(p, s, layout, d, fm, taken);
    for (const PlacedText& c : layout.captions) {
        p.setPen(Colour(c.colour));
        p.drawText(c.box, Qt::AlignCenter, c.text);
    }
    if (rubberBand) {
        p.setPen(QPen(Qt::black, 1, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(rubberBand->normalized());
    }
    p.restore();
}

// ---- hit tests ----

std::optional<PlotHit> HitTestPlots(const GraphState& s, const GraphLayout& layout, QPointF pos) {
    const AxisMap xm = layout.X(s);
    for (size_t k = s.plots.size(); k > 0; --k) {
        const Plot& plot = s.plots[k - 1];
        const bool lines = s.style.bar || plot.lineStyle != 0;
        const bool markers = !s.style.bar && plot.marker != 0;
        if (!lines && !markers) continue;
        const AxisMap ym = layout.Y(s.YAxisOf(plot));
        // The same decimated trace as drawn, at one column a pixel.
        const Trace t = TracePlot(plot, xm, ym, layout.plot, 1);
        double best = std::numeric_limits<double>::infinity();
        size_t bestPoint = 0;
        bool hit = false;
        size_t flat = 0;
        for (const auto& run : t.runs) {
            for (size_t i = 0; i < run.size(); ++i, ++flat) {
                const QPointF q = run[i];
                const double d = std::hypot(q.x() - pos.x(), q.y() - pos.y());
                if (d < best) best = d, bestPoint = t.runIndexes[flat];
                if (lines && i > 0 && SegmentDistance(pos, run[i - 1], q) <= kHitDistance)
                    hit = true;
            }
        }
        if (markers && best <= kHitDistance + 1) hit = true;
        if (!hit && lines && t.runs.size() == 1 && t.runs.front().size() == 1 &&
            best <= kHitDistance)
            hit = true;
        if (hit) return PlotHit{static_cast<int>(k - 1), bestPoint};
    }
    return std::nullopt;
}

std::optional<size_t> HitTestAnnotations(const GraphState& s, const GraphLayout& layout,
                                         QPointF pos) {
    // Topmost first: labels, then shapes in front, then shapes beneath, each last one first.
    for (size_t k = s.annotations.size(); k > 0; --k)
        if (const auto box = LabelBox(s, layout, s.annotations[k - 1]); box && box->contains(pos))
            return k - 1;
    for (int beneath = 0; beneath < 2; ++beneath)
        for (size_t k = s.annotations.size(); k > 0; --k) {
            const Annotation& a = s.annotations[k - 1];
            if (!a.visible || a.kind != 3 || a.shape.beneath != (beneath == 1)) continue;
            const QPolygonF poly = ShapePolygon(s, layout, a);
            if (poly.size() < 2) continue;
            if (a.shape.kind == 4 && poly.containsPoint(pos, Qt::OddEvenFill)) return k - 1;
            const qsizetype segments = a.shape.kind == 4 ? poly.size() : poly.size() - 1;
            for (qsizetype i = 0; i < segments; ++i)
                if (SegmentDistance(pos, poly[i], poly[(i + 1) % poly.size()]) <= kHitDistance)
                    return k - 1;
        }
    return std::nullopt;
}

}  // namespace platform::graph
