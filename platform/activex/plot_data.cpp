#include "platform/activex/plot_data.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace platform::graph {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
// 64^6 points is past kMaxPoints, so no store needs a seventh level.
constexpr size_t kMaxLevels = 6;
size_t g_levelLimit = 0;

constexpr size_t BlockSize(size_t level) {
    size_t size = PlotPoints::kBlock;
    for (size_t k = 0; k < level; ++k)
        size *= PlotPoints::kBlock;
    return size;
}

bool Finite(double x, double y) {
    return std::isfinite(x) && std::isfinite(y);
}

// The summary of two neighbouring runs, `a` first; the earlier of equal extremes wins.
PlotPoints::Block Combine(const PlotPoints::Block& a, const PlotPoints::Block& b) {
    if (!a.any) return b;
    if (!b.any) return a;
    PlotPoints::Block out = a;
    out.last = b.last;
    out.lastX = b.lastX;
    if (b.minY < a.minY) out.minY = b.minY, out.minIdx = b.minIdx;
    if (b.maxY > a.maxY) out.maxY = b.maxY, out.maxIdx = b.maxIdx;
    return out;
}

}  // namespace

// One level's blocks, a field to an array: a summary reads only the extremes, a search only the
// last X, so each walks one dense array. An empty block has minY above maxY.
struct PlotPoints::Blocks {
    std::unique_ptr<double[]> minY, maxY, lastX;
    std::unique_ptr<std::uint32_t[]> minIdx, maxIdx, first, last;
    std::unique_ptr<bool[]> xFinite;
    // Where a level above exists: each block with the blocks before it (prefix) and after it
    // (suffix) under the same parent, so that a range ending or starting on a parent's edge
    // takes one summary in place of up to 63.
    std::unique_ptr<Block[]> prefix, suffix;

    void Allocate(size_t n) {
        minY.reset(new double[n]);
        maxY.reset(new double[n]);
        lastX.reset(new double[n]);
        minIdx.reset(new std::uint32_t[n]);
        maxIdx.reset(new std::uint32_t[n]);
        first.reset(new std::uint32_t[n]);
        last.reset(new std::uint32_t[n]);
        xFinite.reset(new bool[n]);
    }
    void Put(size_t j, const Block& b) {
        minY[j] = b.any ? b.minY : kInf;
        maxY[j] = b.any ? b.maxY : -kInf;
        lastX[j] = b.lastX;
        minIdx[j] = b.minIdx, maxIdx[j] = b.maxIdx, first[j] = b.first, last[j] = b.last;
        xFinite[j] = b.xFinite;
        if (prefix) prefix[j] = j % kBlock ? Combine(prefix[j - 1], b) : b;
    }
    Block Get(size_t j) const {
        return Block{lastX[j],  minY[j],  maxY[j], minIdx[j],
                     maxIdx[j], first[j], last[j], minY[j] <= maxY[j],
                     xFinite[j]};
    }
    void CopyFrom(const Blocks& o, size_t n, size_t suffixes) {
        if (prefix && o.prefix) std::copy_n(o.prefix.get(), n, prefix.get());
        if (suffix && o.suffix) std::copy_n(o.suffix.get(), suffixes, suffix.get());
        std::copy_n(o.minY.get(), n, minY.get());
        std::copy_n(o.maxY.get(), n, maxY.get());
        std::copy_n(o.lastX.get(), n, lastX.get());
        std::copy_n(o.minIdx.get(), n, minIdx.get());
        std::copy_n(o.maxIdx.get(), n, maxIdx.get());
        std::copy_n(o.first.get(), n, first.get());
        std::copy_n(o.last.get(), n, last.get());
        std::copy_n(o.xFinite.get(), n, xFinite.get());
    }
};

struct PlotPoints::Store {
    // Either the arrays as written, shared with the caller, or buffers of our own with room to
    // grow.
    DoubleArray xShared, yShared;
    std::unique_ptr<double[]> xOwn, yOwn;
    const double* x = nullptr;
    const double* y = nullptr;
    size_t capacity = 0;
    // Points summarised so far: only the snapshot of this length may write on in place.
    size_t size = 0;
    // Level k holds capacity / 64^(k+1) blocks of 64^(k+1) points; only complete ones are written.
    std::array<Blocks, kMaxLevels> levels;
    size_t levelCount = 0;

    void AllocateLevels() {
        for (levelCount = 0; levelCount < kMaxLevels && BlockSize(levelCount) <= capacity;
             ++levelCount)
            levels[levelCount].Allocate(capacity / BlockSize(levelCount));
        for (size_t k = 0; k + 1 < levelCount; ++k) {
            levels[k].prefix.reset(new Block[capacity / BlockSize(k)]);
            levels[k].suffix.reset(new Block[capacity / BlockSize(k)]);
        }
    }
};

void PlotPoints::LimitSummaryLevels(size_t levels) {
    g_levelLimit = levels;
}

PlotPoints::PlotPoints(DoubleArray x, DoubleArray y) {
    auto store = std::make_shared<Store>();
    store->xShared = x ? std::move(x) : std::make_shared<const std::vector<double>>();
    store->yShared = y ? std::move(y) : std::make_shared<const std::vector<double>>();
    store->x = store->xShared->data();
    store->y = store->yShared->data();
    store->capacity = std::min(store->xShared->size(), store->yShared->size());
    store->AllocateLevels();
    m_store = std::move(store);
    m_x = m_store->x;
    m_y = m_store->y;
    m_xlo = m_ylo = kInf;
    m_lastX = m_xhi = m_yhi = -kInf;
    Extend(0, m_store->capacity);
}

const std::shared_ptr<const PlotPoints>& PlotPoints::Empty() {
    static const std::shared_ptr<const PlotPoints> empty =
        std::make_shared<const PlotPoints>(nullptr, nullptr);
    return empty;
}

std::shared_ptr<const PlotPoints> PlotPoints::Appended(const double* x, const double* y,
                                                       size_t count) const {
    std::shared_ptr<PlotPoints> next(new PlotPoints(*this));
    if (!count) return next;
    const size_t total = m_n + count;
    Store* store = m_store.get();
    if (!store->xOwn || store->size != m_n || total > store->capacity) {
        auto grown = std::make_shared<Store>();
        grown->capacity = std::max<size_t>({total, std::min(total + total / 2, kMaxPoints), 4096});
        grown->xOwn.reset(new double[grown->capacity]);
        grown->yOwn.reset(new double[grown->capacity]);
        grown->x = grown->xOwn.get();
        grown->y = grown->yOwn.get();
        if (m_n) {
            std::memcpy(grown->xOwn.get(), m_x, m_n * sizeof(double));
            std::memcpy(grown->yOwn.get(), m_y, m_n * sizeof(double));
        }
        grown->AllocateLevels();
        // A level this store lacks has no complete block within m_n points.
        for (size_t k = 0; k < store->levelCount; ++k)
            grown->levels[k].CopyFrom(store->levels[k], m_n / BlockSize(k),
                                      m_n / BlockSize(k + 1) * kBlock);
        // The old top level gains a level above: its prefixes (it has no complete parent yet).
        if (const size_t top = store->levelCount; top && top < grown->levelCount) {
            Blocks& b = grown->levels[top - 1];
            for (size_t j = 0; j < m_n / BlockSize(top - 1); ++j)
                b.prefix[j] = j % kBlock ? Combine(b.prefix[j - 1], b.Get(j)) : b.Get(j);
        }
        grown->size = m_n;
        next->m_store = std::move(grown);
        store = next->m_store.get();
        next->m_x = store->x;
        next->m_y = store->y;
    }
    std::copy_n(x, count, store->xOwn.get() + m_n);
    std::copy_n(y, count, store->yOwn.get() + m_n);
    next->Extend(m_n, total);
    return next;
}

void PlotPoints::Extend(size_t from, size_t to) {
    Store& st = *m_store;
    const double* xs = m_x;
    const double* ys = m_y;
    // Level 0 from the start of the block that holds `from`: its earlier points count only
    // there, the statistics have them already.
    const size_t b = from / kBlock;
    double runX = b ? st.levels[0].lastX[b - 1] : -kInf;
    Block blk{runX, kInf, -kInf, 0, 0, 0, 0, false, true};
    for (size_t i = b * kBlock; i < from; ++i) {
        const double xv = xs[i], yv = ys[i];
        if (std::isfinite(xv))
            runX = xv;
        else
            blk.xFinite = false;
        if (!Finite(xv, yv)) continue;
        const auto idx = static_cast<std::uint32_t>(i);
        if (!blk.any) blk.first = idx;
        blk.any = true;
        blk.last = idx;
        if (yv < blk.minY) blk.minY = yv, blk.minIdx = idx;
        if (yv > blk.maxY) blk.maxY = yv, blk.maxIdx = idx;
    }
    for (size_t i = from; i < to; ++i) {
        const double xv = xs[i], yv = ys[i];
        blk.xFinite &= std::isfinite(xv);
        if (std::isfinite(xv)) {
            if (xv < m_lastX) m_monotone = false;
            m_lastX = runX = xv;
            if (std::isfinite(yv)) {
                ++m_points;
                const auto idx = static_cast<std::uint32_t>(i);
                if (!blk.any) blk.first = idx;
                blk.any = true;
                blk.last = idx;
                if (yv < blk.minY) blk.minY = yv, blk.minIdx = idx;
                if (yv > blk.maxY) blk.maxY = yv, blk.maxIdx = idx;
                m_xlo = std::min(m_xlo, xv), m_xhi = std::max(m_xhi, xv);
            }
        }
        if ((i + 1) % kBlock == 0) {
            blk.lastX = runX;
            if (blk.any) m_ylo = std::min(m_ylo, blk.minY), m_yhi = std::max(m_yhi, blk.maxY);
            if (st.levelCount) st.levels[0].Put(i / kBlock, blk);
            blk = Block{runX, kInf, -kInf, 0, 0, 0, 0, false, true};
        }
    }
    if (blk.any && to % kBlock)
        m_ylo = std::min(m_ylo, blk.minY), m_yhi = std::max(m_yhi, blk.maxY);

    for (size_t k = 1; k < st.levelCount; ++k) {
        const size_t size = BlockSize(k);
        Blocks& children = st.levels[k - 1];
        for (size_t j = from / size; j < to / size; ++j) {
            const size_t c0 = j * kBlock;
            Block out{children.lastX[c0 + kBlock - 1], kInf, -kInf, 0, 0, 0, 0, false, false};
            for (size_t c = c0; c < c0 + kBlock; ++c) {
                if (!(children.minY[c] <= children.maxY[c])) continue;
                if (!out.any) out.first = children.first[c];
                out.any = true;
                out.last = children.last[c];
                if (children.minY[c] < out.minY)
                    out.minY = children.minY[c], out.minIdx = children.minIdx[c];
                if (children.maxY[c] > out.maxY)
                    out.maxY = children.maxY[c], out.maxIdx = children.maxIdx[c];
            }
            st.levels[k].Put(j, out);
            Block after = children.Get(c0 + kBlock - 1);
            children.suffix[c0 + kBlock - 1] = after;
            for (size_t c = c0 + kBlock - 1; c-- > c0;)
                children.suffix[c] = after = Combine(children.Get(c), after);
        }
    }
    st.size = to;
    m_n = to;
}

size_t PlotPoints::Levels() const {
    const size_t n = m_store->levelCount;
    return g_levelLimit ? std::min(n, g_levelLimit) : n;
}

const PlotPoints::Blocks& PlotPoints::Level(size_t k) const {
    return m_store->levels[k];
}

bool PlotPoints::IsPoint(size_t i) const {
    return i < m_n && Finite(m_x[i], m_y[i]);
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

size_t PlotPoints::LowerBound(double x, size_t from) const {
    const double* xs = m_x;
    auto at = [&](size_t i) { return std::isfinite(xs[i]) && xs[i] >= x; };
    const size_t complete = m_store->levelCount ? m_n / kBlock : 0;
    const Blocks* blocks = complete ? &Level(0) : nullptr;
    // Within a complete block: halving when its X are all finite, else a scan.
    auto within = [&](size_t b, size_t lo) {
        const size_t end = (b + 1) * kBlock;
        if (blocks->xFinite[b])
            return static_cast<size_t>(
                std::partition_point(xs + lo, xs + end, [x](double v) { return v < x; }) - xs);
        for (size_t i = lo; i < end; ++i)
            if (at(i)) return i;
        return end;
    };
    size_t i = from;
    if (i < complete * kBlock && i % kBlock) {
        const size_t b = i / kBlock;
        if (blocks->lastX[b] >= x) {
            i = within(b, i);
            if (i < (b + 1) * kBlock) return i;
        }
        i = (b + 1) * kBlock;
    }
    for (; i < m_n && i / kBlock >= complete; ++i)
        if (at(i)) return i;
    if (i >= m_n) return m_n;
    // Whole blocks: widen steps from the start, then halve. Blocks' last finite X never
    // decreases on monotone data.
    for (size_t b = i / kBlock; b < complete;) {
        size_t lo = b, hi = b, step = 1;
        const double* lastX = blocks->lastX.get();
        while (hi < complete && lastX[hi] < x)
            lo = hi + 1, hi = std::min(complete, lo + step), step *= 2;
        b = static_cast<size_t>(
            std::partition_point(lastX + lo, lastX + hi, [x](double v) { return v < x; }) - lastX);
        if (b >= complete) break;
        const size_t j = within(b, b * kBlock);
        if (j < (b + 1) * kBlock) return j;
        ++b;  // its last X came from before it: not monotone after all
    }
    for (i = std::max(i, complete * kBlock); i < m_n; ++i)
        if (at(i)) return i;
    return m_n;
}

PlotPoints::Summary PlotPoints::Summarise(size_t lo, size_t hi) const {
    Summary s;
    hi = std::min(hi, m_n);
    if (lo >= hi) return s;
    s.count = hi - lo;
    const size_t levels = Levels();
    const Blocks* level[kMaxLevels] = {};
    for (size_t k = 0; k < levels; ++k)
        level[k] = &Level(k);
    const double* xs = m_x;
    const double* ys = m_y;
    // The extremes so far, kept at hand; the earliest of equals wins throughout. A block's
    // indexes are read once it is known to hold the answer.
    double lowest = kInf, highest = -kInf;
    struct Ref {
        const Blocks* blocks;  // null for a point
        size_t at;
    };
    Ref minAt{}, maxAt{}, lastAt{};
    bool any = false;
    auto point = [&](size_t i) {
        const double yv = ys[i];
        if (!Finite(xs[i], yv)) return;
        if (!any) any = true, s.first = i;
        lastAt = {nullptr, i};
        if (yv < lowest) lowest = yv, minAt = {nullptr, i};
        if (yv > highest) highest = yv, maxAt = {nullptr, i};
    };
    constexpr size_t kShift = 6;  // 64 == 1 << 6
    size_t i = lo;
    while (i < hi) {
        if (!levels || (i & (kBlock - 1)) || i + kBlock > hi) {
            point(i++);
            continue;
        }
        // The largest block that starts here and ends in the range.
        size_t k = 0, shift = kShift;
        while (k + 1 < levels && !(i & ((size_t{1} << (shift + kShift)) - 1)) &&
               i + (size_t{1} << (shift + kShift)) <= hi)
            ++k, shift += kShift;
        const Blocks& b = *level[k];
        const size_t j = i >> shift;
        if (k + 1 < levels) {
            // A run of these blocks to the parent's end, or from the parent's start to hi.
            const size_t parent = shift + kShift;
            const size_t parentEnd = ((i >> parent) + 1) << parent;
            const Block* run = nullptr;
            if (i & ((size_t{1} << parent) - 1)) {
                if (parentEnd <= hi) run = &b.suffix[j], i = parentEnd;
            } else {
                const size_t last = (hi >> shift) - 1;
                run = &b.prefix[last], i = (last + 1) << shift;
            }
            if (run) {
                if (!run->any) continue;
                if (!any) any = true, s.first = run->first;
                lastAt = {nullptr, run->last};
                if (run->minY < lowest) lowest = run->minY, minAt = {nullptr, run->minIdx};
                if (run->maxY > highest) highest = run->maxY, maxAt = {nullptr, run->maxIdx};
                continue;
            }
        }
        i += size_t{1} << shift;
        const double mn = b.minY[j], mx = b.maxY[j];
        if (!(mn <= mx)) continue;
        if (!any) any = true, s.first = b.first[j];
        lastAt = {&b, j};
        if (mn < lowest) lowest = mn, minAt = {&b, j};
        if (mx > highest) highest = mx, maxAt = {&b, j};
    }
    if (!any) return s;
    s.any = true;
    s.last = lastAt.blocks ? lastAt.blocks->last[lastAt.at] : lastAt.at;
    s.minIdx = minAt.blocks ? minAt.blocks->minIdx[minAt.at] : minAt.at;
    s.maxIdx = maxAt.blocks ? maxAt.blocks->maxIdx[maxAt.at] : maxAt.at;
    return s;
}

size_t PlotPoints::NearestByX(double x) const {
    if (!m_points || !std::isfinite(x)) return m_n;
    const double* xs = X();
    if (!m_monotone) {
        size_t best = m_n;
        double bestD = kInf;
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
