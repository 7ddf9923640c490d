#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "platform/activex/plot_data.h"

using platform::graph::PlotPoints;
using platform::graph::PlotPointsPtr;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct Data {
    std::vector<double> x, y;
};

// Rising X with runs of gaps (NaN or infinite X or Y), repeated Y values and, when asked, a step
// back in X.
Data Sample(size_t n, bool monotone, unsigned seed) {
    std::mt19937 rng(seed);
    Data d{std::vector<double>(n), std::vector<double>(n)};
    for (size_t i = 0; i < n; ++i) {
        d.x[i] = static_cast<double>(i) * 0.5;
        d.y[i] = std::round(8 * std::sin(static_cast<double>(i) * 1e-3) +
                            std::uniform_real_distribution<double>(-2, 2)(rng));
        switch (rng() % 97) {
            case 0:
                d.y[i] = kNaN;
                break;
            case 1:
                d.x[i] = kNaN;
                break;
            case 2:
                d.y[i] = -kInf;
                break;
            default:
                break;
        }
    }
    // A long gap that spans whole blocks.
    for (size_t i = n / 3; i < std::min(n, n / 3 + 9000); ++i)
        d.y[i] = kNaN;
    if (!monotone && n > 10) d.x[n / 2] = -1;
    return d;
}

PlotPointsPtr Written(const Data& d, size_t n) {
    return std::make_shared<const PlotPoints>(
        std::make_shared<const std::vector<double>>(d.x.begin(), d.x.begin() + n),
        std::make_shared<const std::vector<double>>(d.y.begin(), d.y.begin() + n));
}

// The summary by a scan of every point.
PlotPoints::Summary Scan(const Data& d, size_t lo, size_t hi) {
    PlotPoints::Summary s;
    s.count = hi > lo ? hi - lo : 0;
    for (size_t i = lo; i < hi; ++i) {
        if (!std::isfinite(d.x[i]) || !std::isfinite(d.y[i])) continue;
        if (!s.any) s.first = s.minIdx = s.maxIdx = i;
        if (d.y[i] < d.y[s.minIdx]) s.minIdx = i;
        if (d.y[i] > d.y[s.maxIdx]) s.maxIdx = i;
        s.any = true;
        s.last = i;
    }
    if (s.any) s.minY = d.y[s.minIdx], s.maxY = d.y[s.maxIdx];
    return s;
}

void ExpectSame(const PlotPoints::Summary& a, const PlotPoints::Summary& b) {
    EXPECT_EQ(a.any, b.any);
    EXPECT_EQ(a.count, b.count);
    if (!a.any || !b.any) return;
    EXPECT_EQ(a.first, b.first);
    EXPECT_EQ(a.last, b.last);
    EXPECT_EQ(a.minIdx, b.minIdx);
    EXPECT_EQ(a.maxIdx, b.maxIdx);
    EXPECT_EQ(a.minY, b.minY);
    EXPECT_EQ(a.maxY, b.maxY);
}

// Everything a reader can ask of `p` agrees with a scan of the first n points of d.
void ExpectMatches(const PlotPoints& p, const Data& d, size_t n, unsigned seed) {
    ASSERT_EQ(p.Size(), n);
    size_t points = 0;
    double xlo = kInf, xhi = -kInf, ylo = kInf, yhi = -kInf, lastX = -kInf;
    bool monotone = true;
    for (size_t i = 0; i < n; ++i) {
        ASSERT_TRUE(p.X()[i] == d.x[i] || (std::isnan(p.X()[i]) && std::isnan(d.x[i]))) << i;
        if (std::isfinite(d.x[i])) monotone &= d.x[i] >= lastX, lastX = d.x[i];
        if (!std::isfinite(d.x[i]) || !std::isfinite(d.y[i])) continue;
        ++points;
        xlo = std::min(xlo, d.x[i]), xhi = std::max(xhi, d.x[i]);
        ylo = std::min(ylo, d.y[i]), yhi = std::max(yhi, d.y[i]);
    }
    EXPECT_EQ(p.PointCount(), points);
    EXPECT_EQ(p.Monotone(), monotone);
    double lo = 0, hi = 0;
    ASSERT_EQ(p.XRange(lo, hi), points > 0);
    if (points) {
        EXPECT_EQ(std::make_pair(lo, hi), std::make_pair(xlo, xhi));
    }
    ASSERT_EQ(p.YRange(lo, hi), points > 0);
    if (points) {
        EXPECT_EQ(std::make_pair(lo, hi), std::make_pair(ylo, yhi));
    }

    std::mt19937 rng(seed);
    auto index = [&](size_t bound) { return bound ? rng() % (bound + 1) : 0; };
    for (int k = 0; k < 60; ++k) {
        size_t a = index(n), b = index(n);
        if (k % 3 == 0) a -= a % 64, b -= b % 4096;  // on block edges
        if (a > b) std::swap(a, b);
        if (k % 3 == 1) b = std::min(n, a + rng() % 140);  // within a block or two
        SCOPED_TRACE(std::to_string(a) + ".." + std::to_string(b));
        ExpectSame(p.Summarise(a, b), Scan(d, a, b));
    }
    ExpectSame(p.Summarise(0, n), Scan(d, 0, n));
    if (!monotone) return;
    for (int k = 0; k < 50; ++k) {
        const double x = static_cast<double>(index(n)) * 0.5 - 0.25 * (k % 2);
        const size_t from = index(n);
        size_t want = from;
        while (want < n && !(std::isfinite(d.x[want]) && d.x[want] >= x))
            ++want;
        ASSERT_EQ(p.LowerBound(x, from), want) << x << " from " << from;
        // A guess near the answer, or anywhere, changes nothing.
        for (size_t guess : {want + rng() % 9 - 4, want + rng() % 41 - 20, index(n), from})
            ASSERT_EQ(p.LowerBound(x, from, guess), want)
                << x << " from " << from << " at " << guess;
    }
}

TEST(PlotPointsTest, SummariesOfAnyRangeAgreeWithAScanOfThePoints) {
    // Sizes about the edges of the first three levels of blocks.
    for (size_t n : {0, 1, 63, 64, 65, 4095, 4096, 4097, 3 * 4096 + 17, 262144 + 5}) {
        SCOPED_TRACE(n);
        const Data d = Sample(n, true, static_cast<unsigned>(n));
        ExpectMatches(*Written(d, n), d, n, 7);
    }
    const Data rough = Sample(20000, false, 3);
    ExpectMatches(*Written(rough, 20000), rough, 20000, 8);
}

TEST(PlotPointsTest, AppendsInChunksMatchOneWriteAndEarlierSnapshotsStayAsTheyWere) {
    const size_t n = 4096 * 64 + 1000;  // past a block of the third level
    struct Row {
        const char* name;
        bool monotone;
        std::vector<size_t> chunks;  // repeated until n
        size_t written;              // points written at once before the appends
    };
    const Row rows[] = {
        {"ones", true, {1}, 0},
        {"odd sizes", true, {63, 65, 1, 4097, 7}, 0},
        {"large", true, {100000}, 0},
        {"after a write", true, {5000, 3}, 70000},
        {"x steps back", false, {999, 64}, 10},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const Data d = Sample(n, r.monotone, 11);
        PlotPointsPtr p = r.written ? Written(d, r.written) : PlotPoints::Empty();
        std::vector<std::pair<PlotPointsPtr, size_t>> kept;
        size_t at = r.written;
        for (size_t k = 0; at < n; ++k) {
            const size_t m = std::min(r.chunks[k % r.chunks.size()], n - at);
            p = p->Appended(d.x.data() + at, d.y.data() + at, m);
            at += m;
            if (k == 0 || at >= kept.size() * n / 3) kept.emplace_back(p, at);
        }
        ExpectMatches(*p, d, n, 12);
        // Snapshots taken on the way read only their own points, whatever came after.
        for (const auto& [snapshot, size] : kept)
            ExpectMatches(*snapshot, d, size, 13);
        // Appending to an earlier snapshot leaves the later one alone.
        const auto& [early, size] = kept.front();
        const double other = -5;
        const PlotPointsPtr branch = early->Appended(&other, &other, 1);
        EXPECT_EQ(branch->Y()[size], -5);
        ExpectMatches(*p, d, n, 14);
        ExpectMatches(*early, d, size, 15);
    }
}

}  // namespace
