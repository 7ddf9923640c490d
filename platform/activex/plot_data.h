#pragma once
// The points of one plot: immutable snapshots, shared with pictures of the graph. Writing
// summarises them in one pass: the data ranges, whether X never decreases, a pyramid of block
// summaries (first, last, minimum and maximum per 64 points, per 64 such blocks, and so on), and
// for each point where the extremes of its block up to it and from it on lie. So a redraw or a hit
// test of ten million points looks at a few summaries per pixel column, never at the points
// between its edges.
//
// Appending writes into a buffer with room to spare that earlier snapshots share: they read only
// up to their own length, and a buffer that is full is copied to a larger one, leaving the earlier
// snapshots their old buffer. So an append costs what it appends (amortised), and a snapshot never
// changes.
//
// A point whose X or Y is NaN or infinite is a gap.

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/activex/dispatch.h"

namespace platform::graph {

class PlotPoints {
public:
    static constexpr size_t kBlock = 64;
    static constexpr size_t kMaxPoints = UINT32_MAX;

    PlotPoints(DoubleArray x, DoubleArray y);  // equal lengths; the caller checks
    static const std::shared_ptr<const PlotPoints>& Empty();

    // These points followed by `count` more; the total stays within kMaxPoints (the caller checks).
    std::shared_ptr<const PlotPoints> Appended(const double* x, const double* y,
                                               size_t count) const;

    size_t Size() const { return m_n; }
    const double* X() const { return m_x; }
    const double* Y() const { return m_y; }
    bool IsPoint(size_t i) const;  // both coordinates finite
    // X never decreases over the points with a finite X.
    bool Monotone() const { return m_monotone; }
    size_t PointCount() const { return m_points; }

    // Over the finite points; false when there are none.
    bool XRange(double& lo, double& hi) const;
    bool YRange(double& lo, double& hi) const;

    // Monotone data only: the first index at or after `from` whose finite X is at least x (Size()
    // when none). A `guess` within a few points of the answer (evenly spaced X make it easy) finds
    // it by looking there; otherwise the search goes down the pyramid.
    size_t LowerBound(double x, size_t from = 0, size_t guess = SIZE_MAX) const;
    // Asks the memory for what a search and summaries ending or starting at point i will read,
    // so that the reads of several pixel columns are under way at once: first by position, then,
    // once that has arrived, the extremes it names.
    void Prefetch(size_t i) const;
    void PrefetchExtremes(size_t i) const;

    struct Summary {
        bool any = false;
        size_t first = 0, last = 0;     // first and last finite point
        size_t minIdx = 0, maxIdx = 0;  // lowest and highest Y, the earliest of equals
        double minY = 0, maxY = 0;      // their Y
        size_t count = 0;               // indexes in the range
    };
    // The points in [lo, hi).
    Summary Summarise(size_t lo, size_t hi) const;

    // The finite point whose X is nearest to x (ties to the lower index); Size() when none.
    // Monotone data by binary search, other data by a scan.
    size_t NearestByX(double x) const;

    // How summaries and searches are made, to compare pictures against: everything written
    // (the default), the 64-point blocks alone with the points at their edges looked at one by
    // one, or every point looked at.
    enum class Method { Summaries, Blocks, Scan };
    static void UseMethod(Method method);

    struct Block {
        double lastX;  // last finite X in the block or before it
        double minY, maxY;
        std::uint32_t minIdx, maxIdx, first, last;
        bool any;
        bool xFinite;  // every X in the block is finite (level 0 only)
    };
    // Offsets within a point's 64-point block of the lowest and highest Y from the block's start
    // up to the point and from the point to the block's end; kNoEdge where a gap lies between.
    struct Edge {
        std::uint8_t headMin, headMax, tailMin, tailMax;
    };
    static constexpr std::uint8_t kNoEdge = 0xFF;
    struct Store;
    struct Blocks;

private:
    // Summarises points [from, to) into the store, the complete blocks of every level from the
    // one that holds `from`; the statistics take the points from `from` on.
    void Extend(size_t from, size_t to);
    const Blocks& Level(size_t k) const;
    size_t Levels() const;
    // The first complete block of level k at or after block j whose last X reaches x; the count of
    // complete blocks when none.
    size_t FirstReaching(size_t k, size_t j, double x) const;

    std::shared_ptr<Store> m_store;
    const double* m_x = nullptr;
    const double* m_y = nullptr;
    size_t m_n = 0;
    size_t m_points = 0;
    bool m_monotone = true;
    double m_lastX;  // last finite X, -inf when none
    double m_xlo, m_xhi, m_ylo, m_yhi;
};

using PlotPointsPtr = std::shared_ptr<const PlotPoints>;

}  // namespace platform::graph
