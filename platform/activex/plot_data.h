#pragma once
// The points of one plot, immutable once written and shared with pictures of the graph. A write
// summarises them in one pass: the data ranges, whether X never decreases, and per block of
// points the first, last, minimum and maximum, so that a redraw or a hit test of ten million
// points looks at a few blocks per pixel column instead of every point.
//
// A point whose X or Y is NaN or infinite is a gap.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/activex/dispatch.h"

namespace platform::graph {

class PlotPoints {
public:
    static constexpr size_t kBlock = 64;

    PlotPoints(DoubleArray x, DoubleArray y);  // equal lengths; the caller checks
    static const std::shared_ptr<const PlotPoints>& Empty();

    size_t Size() const { return m_n; }
    const double* X() const { return m_x->data(); }
    const double* Y() const { return m_y->data(); }
    const DoubleArray& XArray() const { return m_x; }
    const DoubleArray& YArray() const { return m_y; }
    bool IsPoint(size_t i) const;  // both coordinates finite
    // X never decreases over the points with a finite X.
    bool Monotone() const { return m_monotone; }
    size_t PointCount() const { return m_points; }

    // Over the finite points; false when there are none.
    bool XRange(double& lo, double& hi) const;
    bool YRange(double& lo, double& hi) const;

    // Monotone data only: the first index whose finite X is at least x (Size() when none).
    size_t LowerBound(double x) const;

    struct Summary {
        bool any = false;
        size_t first = 0, last = 0;     // first and last finite point
        size_t minIdx = 0, maxIdx = 0;  // lowest and highest Y
        size_t count = 0;               // indexes in the range
    };
    // The points in [lo, hi).
    Summary Summarise(size_t lo, size_t hi) const;

    // The finite point whose X is nearest to x (ties to the lower index); Size() when none.
    // Monotone data by binary search, other data by a scan.
    size_t NearestByX(double x) const;

private:
    struct Block {
        double lastX;  // last finite X in the block or before it
        double minY, maxY;
        std::uint32_t minIdx, maxIdx, first, last;
        bool any;
    };
    void Include(Summary& s, size_t i) const;

    DoubleArray m_x, m_y;
    size_t m_n = 0;
    size_t m_points = 0;
    bool m_monotone = true;
    double m_xlo = 0, m_xhi = 0, m_ylo = 0, m_yhi = 0;
    std::vector<Block> m_blocks;
};

using PlotPointsPtr = std::shared_ptr<const PlotPoints>;

}  // namespace platform::graph
