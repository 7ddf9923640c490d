#include "platform/activex/plot_data.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace platform::graph {

PlotPoints::PlotPoints(DoubleArray x, DoubleArray y) : m_x(std::move(x)), m_y(std::move(y)) {
    if (!m_x) m_x = std::make_shared<const std::vector<double>>();
    if (!m_y) m_y = std::make_shared<const std::vector<double>>();
    m_n = std::min(m_x->size(), m_y->size());
    const double* xs = m_x->data();
    const double* ys = m_y->data();
    const double inf = std::numeric_limits<double>::infinity();
    double lastX = -inf;
    m_xlo = m_ylo = inf;
    m_xhi = m_yhi = -inf;
    m_blocks.resize((m_n + kBlock - 1) / kBlock);
    for (size_t b = 0; b < m_blocks.size(); ++b) {
        Block blk{lastX, inf, -inf, 0, 0, 0, 0, false};
        const size_t end = std::min(m_n, (b + 1) * kBlock);
        for (size_t i = b * kBlock; i < end; ++i) {
            const double xv = xs[i], yv = ys[i];
            if (std::isfinite(xv)) {
                if (xv < lastX) m_monotone = false;
                lastX = xv;
            }
            if (!std::isfinite(xv) || !std::isfinite(yv)) continue;
            ++m_points;
            const auto idx = static_cast<std::uint32_t>(i);
            if (!blk.any) blk.first = idx;
            blk.any = true;
            blk.last = idx;
            if (yv < blk.minY) blk.minY = yv, blk.minIdx = idx;
            if (yv > blk.maxY) blk.maxY = yv, blk.maxIdx = idx;
            m_xlo = std::min(m_xlo, xv), m_xhi = std::max(m_xhi, xv);
        }
        blk.lastX = lastX;
        if (blk.any) m_ylo = std::min(m_ylo, blk.minY), m_yhi = std::max(m_yhi, blk.maxY);
        m_blocks[b] = blk;
    }
}

const std::shared_ptr<const PlotPoints>& PlotPoints::Empty() {
    static const std::shared_ptr<const PlotPoints> empty =
        std::make_shared<const PlotPoints>(nullptr, nullptr);
    return empty;
}

bool PlotPoints::IsPoint(size_t i) const {
    return i < m_n && std::isfinite((*m_x)[i]) && std::isfinite((*m_y)[i]);
}

bool PlotPoints::XRange(double& lo, double& hi) const {
    if (!m_points) return false;
    lo = m_xlo, hi = m_xhi;
    return true;
}

bool PlotPoints::YRange(double& lo, double& hi) const {
    if (!m_points) return false;
    lo = m_ylo, hi = m_yhi;
    return true;
}

size_t PlotPoints::LowerBound(double x) const {
    // Blocks' last finite X never decreases on monotone data.
    auto it = std::partition_point(m_blocks.begin(), m_blocks.end(),
                                   [x](const Block& b) { return b.lastX < x; });
    if (it == m_blocks.end()) return m_n;
    const size_t b = static_cast<size_t>(it - m_blocks.begin());
    const double* xs = X();
    const size_t end = std::min(m_n, (b + 1) * kBlock);
    for (size_t i = b * kBlock; i < end; ++i)
        if (std::isfinite(xs[i]) && xs[i] >= x) return i;
    return end;
}

void PlotPoints::Include(Summary& s, size_t i) const {
    if (!IsPoint(i)) return;
    const double yv = (*m_y)[i];
    if (!s.any) {
        s.any = true;
        s.first = s.minIdx = s.maxIdx = i;
    } else {
        if (yv < (*m_y)[s.minIdx]) s.minIdx = i;
        if (yv > (*m_y)[s.maxIdx]) s.maxIdx = i;
    }
    s.last = i;
}

PlotPoints::Summary PlotPoints::Summarise(size_t lo, size_t hi) const {
    Summary s;
    hi = std::min(hi, m_n);
    if (lo >= hi) return s;
    s.count = hi - lo;
    size_t i = lo;
    for (; i < hi && i % kBlock; ++i)
        Include(s, i);
    const double* ys = Y();
    for (; i + kBlock <= hi; i += kBlock) {
        const Block& b = m_blocks[i / kBlock];
        if (!b.any) continue;
        if (!s.any) {
            s.any = true;
            s.first = b.first;
            s.minIdx = b.minIdx;
            s.maxIdx = b.maxIdx;
        } else {
            if (b.minY < ys[s.minIdx]) s.minIdx = b.minIdx;
            if (b.maxY > ys[s.maxIdx]) s.maxIdx = b.maxIdx;
        }
        s.last = b.last;
    }
    for (; i < hi; ++i)
        Include(s, i);
    return s;
}

size_t PlotPoints::NearestByX(double x) const {
    if (!m_points || !std::isfinite(x)) return m_n;
    const double* xs = X();
    if (!m_monotone) {
        size_t best = m_n;
        double bestD = std::numeric_limits<double>::infinity();
        for (size_t i = 0; i < m_n; ++i) {
            if (!IsPoint(i)) continue;
            const double d = std::fabs(xs[i] - x);
            if (d < bestD) bestD = d, best = i;
        }
        return best;
    }
    size_t after = LowerBound(x);
    while (after < m_n && !IsPoint(after))
        ++after;
    size_t before = std::min(LowerBound(x), m_n);
    size_t found = m_n;
    while (before > 0) {
        --before;
        if (IsPoint(before)) {
            found = before;
            break;
        }
    }
    if (found == m_n) return after;
    if (after >= m_n) return found;
    return (x - xs[found] <= xs[after] - x) ? found : after;
}

}  // namespace platform::graph
