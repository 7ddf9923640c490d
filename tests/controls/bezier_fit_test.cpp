#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "analysis/bezier_fit.h"
#include "controls/digistring.h"

namespace {

double InitialError(const std::vector<double>& p) {
    const int c = static_cast<int>(p.size());
    const double x[4] = {p[0], 2 * p[2] - p[0], 2 * p[c - 4] - p[c - 2], p[c - 2]};
    const double y[4] = {p[1], 2 * p[3] - p[1], 2 * p[c - 3] - p[c - 1], p[c - 1]};
    return BezierFitError(x, y, p.data(), c);
}

double FittedError(const std::vector<double>& p, BezierFitStats* stats = nullptr) {
    const int c = static_cast<int>(p.size());
    double x[4] = {p[0], 0, 0, p[c - 2]}, y[4] = {p[1], 0, 0, p[c - 1]};
    FitCubicBezier(p.data(), c, x[1], y[1], x[2], y[2], stats);
    return BezierFitError(x, y, p.data(), c);
}

// Every curve run of the smooth shapes, with the points around it, at a few display scales.
std::vector<std::vector<double>> ShapeRuns() {
    std::vector<std::vector<double>> runs;
    for (DWORD style : {DS_SMOOTH, DS_SMOOTH | DS_STYLE14}) {
        CDigistring display;
        display.ModifyDigiStyle(0, style);
        for (char ch : {'8', '*', 'B', 'W'}) {
            const auto digit = display.DefineChar(ch);
            for (const CDigiSegment& s : digit->GetSegments()) {
                for (size_t i = 1; i < s.types.size(); ++i) {
                    if (s.types[i] != PT_BEZIERTO || s.types[i - 1] == PT_BEZIERTO) continue;
                    size_t end = i;
                    while (end < s.types.size() && s.types[end] == PT_BEZIERTO)
                        ++end;
                    for (double scale : {0.5, 1.7, 6.0}) {
                        std::vector<double> run;
                        for (size_t k = i - 1; k <= end; ++k) {
                            run.push_back(s.points[k].x * scale + 3);
                            run.push_back(s.points[k].y * scale * 0.8 + 1);
                        }
                        runs.push_back(run);
                    }
                }
            }
        }
    }
    return runs;
}

TEST(BezierFit, CollinearPointsGiveAStraightCurve) {
    const std::vector<double> line = {0, 0, 1, 2, 2, 4, 3, 6, 4, 8};
    double p1x, p1y, p2x, p2y;
    FitCubicBezier(line.data(), static_cast<int>(line.size()), p1x, p1y, p2x, p2y);
    EXPECT_NEAR(p1y, 2 * p1x, 1e-9);
    EXPECT_NEAR(p2y, 2 * p2x, 1e-9);
    EXPECT_NEAR(FittedError(line), 0, 1e-4) << "zero to the precision of the parameter search";
}

TEST(BezierFit, TheFitNeverWorsensAndNeedsNoCapOnTheShapes) {
    const auto runs = ShapeRuns();
    ASSERT_GT(runs.size(), 30u);
    BezierFitStats stats;
    for (const auto& run : runs) {
        const double before = InitialError(run);
        const double after = FittedError(run, &stats);
        EXPECT_LE(after, before);
    }
    // The step limits are never reached on the shapes, so they leave those results as they were.
    EXPECT_EQ(stats.cappedSearches, 0);
    EXPECT_EQ(stats.cappedRefinements, 0);
    // A curved run is bent toward its points.
    const std::vector<double> arc = {0, 0, 1, 3, 3, 4, 5, 3, 6, 0};
    EXPECT_LT(FittedError(arc), InitialError(arc));
}

TEST(BezierFit, HostileInputEnds) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<std::vector<double>> cases = {
        {0, 0, nan, 1, 2, 2, 3, 0},
        {0, 0, 1, inf, 2, 2, 3, 0},
        {0, 0, 1e300, -1e300, 1e300, 1e300, 3, 0},
        {5, 5, 5, 5, 5, 5, 5, 5},
        {0, 0, 4, 4},
        {0, 0, 1, 1, 2},  // odd length: the last half point is ignored
    };
    BezierFitStats stats;
    for (const auto& p : cases) {
        double p1x, p1y, p2x, p2y;
        FitCubicBezier(p.data(), static_cast<int>(p.size()), p1x, p1y, p2x, p2y, &stats);
    }
    EXPECT_GT(stats.cappedSearches + stats.cappedRefinements, 0) << "not a number never converges";
    double p1x = 1, p1y = 1, p2x = 1, p2y = 1;
    FitCubicBezier(nullptr, 0, p1x, p1y, p2x, p2y);
    EXPECT_EQ(p1x, 0);
    const std::vector<double> two = {0, 0, 3, 6};
    FitCubicBezier(two.data(), 4, p1x, p1y, p2x, p2y);
    EXPECT_DOUBLE_EQ(p1x, 1);
    EXPECT_DOUBLE_EQ(p2y, 4);
}

}  // namespace
