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
PlotPoints::Method g_method = PlotPoints::Method::Summaries;

constexpr size_t BlockSize(size_t level) {
    size_t size = PlotPoints::kBlock;
    for (size_t k = 0; k < level; ++k)
        size *= PlotPoints::kBlock;
    return size;
}

bool Finite(double x, double y) {
    return std::isfinite(x) && std::isfinite(y);
}

// How many of the values, which never decrease, lie below x: where x would go. No branch on the
// values, so the loads of a block go out together.
size_t CountBelow(const double* v, size_t n, double x) {
    size_t c = 0;
    for (size_t k = 0; k < n; ++k)
        c += v[k] < x;
    return c;
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
    std::unique_ptr<Edge[]> edges;

    void AllocateLevels() {
        edges.reset(new Edge[capacity]);
        for (levelCount = 0; levelCount < kMaxLevels && BlockSize(levelCount) <= capacity;
             ++levelCount)
            levels[levelCount].Allocate(capacity / BlockSize(levelCount));
        for (size_t k = 0; k + 1 < levelCount; ++k) {
            levels[k].prefix.reset(new Block[capacity / BlockSize(k)]);
            levels[k].suffix.reset(new Block[capacity / BlockSize(k)]);
        }
    }
};

void PlotPoints::UseMethod(Method method) {
    g_method = method;
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
        std::copy_n(store->edges.get(), m_n, grown->edges.get());
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
    bool gap = false;  // since the block's start
    for (size_t i = b * kBlock; i < from; ++i) {
        const double xv = xs[i], yv = ys[i];
        if (std::isfinite(xv))
            runX = xv;
        else
            blk.xFinite = false;
        if (!Finite(xv, yv)) {
            gap = true;
            continue;
        }
        const auto idx = static_cast<std::uint32_t>(i);
        if (!blk.any) blk.first = idx;
        blk.any = true;
        blk.last = idx;
        if (yv < blk.minY) blk.minY = yv, blk.minIdx = idx;
        if (yv > blk.maxY) blk.maxY = yv, blk.maxIdx = idx;
    }
    Edge* const edges = st.edges.get();
    for (size_t i = from; i < to; ++i) {
        const double xv = xs[i], yv = ys[i];
        blk.xFinite &= std::isfinite(xv);
        gap |= !Finite(xv, yv);
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
        const size_t base = i & ~(kBlock - 1);
        edges[i].headMin = gap ? kNoEdge : static_cast<std::uint8_t>(blk.minIdx - base);
        edges[i].headMax = gap ? kNoEdge : static_cast<std::uint8_t>(blk.maxIdx - base);
        if ((i + 1) % kBlock == 0) {
            blk.lastX = runX;
            if (blk.any) m_ylo = std::min(m_ylo, blk.minY), m_yhi = std::max(m_yhi, blk.maxY);
            if (st.levelCount) st.levels[0].Put(i / kBlock, blk);
            blk = Block{runX, kInf, -kInf, 0, 0, 0, 0, false, true};
            gap = false;
            // The block's tails, from its end back; equals take the earlier point.
            double lo = kInf, hi = -kInf;
            std::uint8_t minAt = kNoEdge, maxAt = kNoEdge;
            bool tailGap = false;
            for (size_t k = kBlock; k-- > 0;) {
                const double y = ys[base + k];
                tailGap |= !Finite(xs[base + k], y);
                if (!tailGap) {
                    if (y <= lo) lo = y, minAt = static_cast<std::uint8_t>(k);
                    if (y >= hi) hi = y, maxAt = static_cast<std::uint8_t>(k);
                }
                edges[base + k].tailMin = tailGap ? kNoEdge : minAt;
                edges[base + k].tailMax = tailGap ? kNoEdge : maxAt;
            }
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
    switch (g_method) {
        case Method::Summaries:
            return n;
        case Method::Blocks:
            return std::min<size_t>(n, 1);
        case Method::Scan:
            break;
    }
    return 0;
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

size_t PlotPoints::LowerBound(double x, size_t from, size_t guess) const {
    const double* xs = m_x;
    auto at = [&](size_t i) { return std::isfinite(xs[i]) && xs[i] >= x; };
    if (from >= m_n) return m_n;
    if (guess < m_n && g_method != Method::Scan) {
        // Monotone X: the answer is where X reaches x and the finite X before it does not.
        constexpr size_t kNear = 16;
        size_t g = std::max(guess, from);
        if (at(g)) {
            for (size_t k = 0; k < kNear; ++k, --g) {
                if (g == from) return g;
                if (!std::isfinite(xs[g - 1])) break;
                if (xs[g - 1] < x) return g;
            }
        } else {
            const size_t start = g;
            while (g < m_n && g - start < kNear && std::isfinite(xs[g]) && xs[g] < x)
                ++g;
            if (g > start) {
                // X below x from start to g, and so before it.
                if (g == m_n) return m_n;
                if (at(g)) return g;
                from = g;
            }
        }
    }
    const size_t complete = g_method != Method::Scan && m_store->levelCount ? m_n / kBlock : 0;
    size_t i = from;
    while (i / kBlock < complete) {
        const size_t b = i / kBlock, end = (b + 1) * kBlock;
        if (Level(0).lastX[b] >= x) {
            if (Level(0).xFinite[b]) {
                const size_t j = b * kBlock + CountBelow(xs + b * kBlock, kBlock, x);
                if (j < end) return std::max(i, j);
            } else {
                for (; i < end; ++i)
                    if (at(i)) return i;
            }
        }
        // Past block b; a block whose last X came from before it holds none, so go on.
        i = FirstReaching(0, b + 1, x) * kBlock;
    }
    for (; i < m_n; ++i)
        if (at(i)) return i;
    return m_n;
}

void PlotPoints::Prefetch(size_t i) const {
    if (i == 0 || i >= m_n) return;
    __builtin_prefetch(m_x + i);
    __builtin_prefetch(m_store->edges.get() + i - 1);
    __builtin_prefetch(m_store->edges.get() + i);
    const size_t b = i / kBlock;
    if (g_method != Method::Summaries || m_store->levelCount < 2 || b == 0) return;
    // A range that ends in block b may end with the blocks before it in their parent, one that
    // starts there with the blocks after it.
    const Blocks& level = Level(0);
    __builtin_prefetch(&level.prefix[b - 1]);
    if (b + 2 <= m_n / kBlock) __builtin_prefetch(&level.suffix[b + 1]);
}

void PlotPoints::PrefetchExtremes(size_t i) const {
    if (i == 0 || i >= m_n || g_method != Method::Summaries) return;
    const Edge* edges = m_store->edges.get();
    const Edge head = edges[i - 1];
    const size_t before = (i - 1) & ~(kBlock - 1);
    if (head.headMin != kNoEdge) {
        __builtin_prefetch(m_y + before + head.headMin);
        __builtin_prefetch(m_y + before + head.headMax);
    }
    const size_t base = i & ~(kBlock - 1);
    if (base + kBlock > m_n || base == i) return;
    const Edge tail = edges[i];
    if (tail.tailMin != kNoEdge) {
        __builtin_prefetch(m_y + base + tail.tailMin);
        __builtin_prefetch(m_y + base + tail.tailMax);
    }
}

size_t PlotPoints::FirstReaching(size_t k, size_t j, double x) const {
    const size_t count = m_n / BlockSize(k);
    if (j >= count) return count;
    const double* last = Level(k).lastX.get();
    size_t start = j, end = count;
    if (k + 1 < m_store->levelCount) {
        // Within j's parent, or past it when the parent ends below x: in the first parent that
        // reaches it (its last child does), or among the children of the incomplete one.
        const size_t parent = j / kBlock;
        end = std::min(count, (parent + 1) * kBlock);
        if (parent < m_n / BlockSize(k + 1) && Level(k + 1).lastX[parent] < x) {
            start = std::min(count, FirstReaching(k + 1, parent + 1, x) * kBlock);
            end = std::min(count, start + kBlock);
        }
    }
    // The top level has fewer than 64 complete blocks; a level below, at most one parent's.
    return start + CountBelow(last + start, end - start, x);
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
    const Edge* edges = g_method == Method::Summaries ? m_store->edges.get() : nullptr;
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
    auto points = [&](size_t from, size_t to) {
        for (size_t i = from; i < to; ++i)
            point(i);
    };
    // Points first..last, all of them finite, with their extremes at minIdx and maxIdx.
    auto whole = [&](size_t first, size_t last, size_t minIdx, size_t maxIdx) {
        if (!any) any = true, s.first = first;
        lastAt = {nullptr, last};
        if (ys[minIdx] < lowest) lowest = ys[minIdx], minAt = {nullptr, minIdx};
        if (ys[maxIdx] > highest) highest = ys[maxIdx], maxAt = {nullptr, maxIdx};
    };
    auto run = [&](const Block& r) {
        if (!r.any) return;
        if (!any) any = true, s.first = r.first;
        lastAt = {nullptr, r.last};
        if (r.minY < lowest) lowest = r.minY, minAt = {nullptr, r.minIdx};
        if (r.maxY > highest) highest = r.maxY, maxAt = {nullptr, r.maxIdx};
    };
    constexpr size_t kShift = 6;  // 64 == 1 << 6
    size_t i = lo;
    // The head, up to the first block edge: the tail of lo's block when the range reaches the
    // block's end.
    if (!levels) {
        points(lo, hi);
        i = hi;
    } else if (i & (kBlock - 1)) {
        const size_t edge = (i | (kBlock - 1)) + 1;
        if (edge > hi) {
            points(i, hi);
        } else if (edges && edges[i].tailMin != kNoEdge) {
            const size_t base = edge - kBlock;
            whole(i, edge - 1, base + edges[i].tailMin, base + edges[i].tailMax);
        } else {
            points(i, edge);
        }
        i = std::min(edge, hi);
    }
    // Whole blocks, each run of them as large a summary as lies within the range.
    const size_t wholeEnd = hi & ~(kBlock - 1);
    while (i < wholeEnd) {
        size_t k = 0, shift = kShift;
        while (k + 1 < levels && !(i & ((size_t{1} << (shift + kShift)) - 1)) &&
               i + (size_t{1} << (shift + kShift)) <= wholeEnd)
            ++k, shift += kShift;
        const Blocks& b = *level[k];
        const size_t j = i >> shift;
        if (k + 1 < levels) {
            // A run of these blocks to the parent's end, or from the parent's start on.
            const size_t parent = shift + kShift;
            const size_t parentEnd = ((i >> parent) + 1) << parent;
            if (i & ((size_t{1} << parent) - 1)) {
                if (parentEnd <= wholeEnd) {
                    run(b.suffix[j]);
                    i = parentEnd;
                    continue;
                }
            } else {
                const size_t last = (wholeEnd >> shift) - 1;
                run(b.prefix[last]);
                i = (last + 1) << shift;
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
    // The rest, from a block's start: the head of hi's block.
    if (i < hi) {
        if (edges && edges[hi - 1].headMin != kNoEdge)
            whole(i, hi - 1, i + edges[hi - 1].headMin, i + edges[hi - 1].headMax);
        else
            points(i, hi);
    }
    if (!any) return s;
    s.any = true;
    s.minY = lowest, s.maxY = highest;
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
