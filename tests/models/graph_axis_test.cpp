// Pairing a plotted set's points with the values of the set drawn as X, by sample number.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "models/graph_axis.h"

namespace {

constexpr double kNone = -1e300;  // stands for NaN in the tables: NaN never compares equal

std::vector<double> Shown(std::vector<double> v) {
    for (double& d : v)
        if (std::isnan(d)) d = kNone;
    return v;
}

TEST(XValuesBySample, EachPointTakesTheXSetValueOfItsOwnSampleNumber) {
    const double nan = std::nan("");
    struct Case {
        const char* name;
        std::vector<double> xSamples, xValues;
        std::vector<double> samples;  // of the plotted set
        std::vector<double> expected;
    } cases[] = {
        {"complete sets", {0, 1, 2, 3}, {10, 11, 12, 13}, {0, 1, 2, 3}, {10, 11, 12, 13}},
        // Before the fix, every point after X's gap took the next sample's X.
        {"X lacks sample 1", {0, 2, 3}, {10, 12, 13}, {0, 1, 2, 3}, {10, kNone, 12, 13}},
        {"Y lacks sample 1", {0, 1, 2, 3}, {10, 11, 12, 13}, {0, 2, 3}, {10, 12, 13}},
        {"both lack some",
         {0, 1, 4, 5, 7},
         {10, 11, 14, 15, 17},
         {1, 2, 4, 7, 8},
         {11, kNone, 14, 17, kNone}},
        {"X cropped to start at 3", {3, 4, 5}, {23, 24, 25}, {0, 3, 5}, {kNone, 23, 25}},
        {"fractions are truncated", {0, 1, 2}, {10, 11, 12}, {0.4, 1.9, 2.5}, {10, 11, 12}},
        {"no sample number", {0, 1}, {10, 11}, {-1, nan, 1}, {kNone, kNone, 11}},
        {"empty X set", {}, {}, {0, 1}, {kNone, kNone}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<double> x =
            graph_axis::XValuesBySample(c.xSamples.data(), c.xValues.data(), c.xSamples.size(),
                                        c.samples.data(), 0, c.samples.size());
        EXPECT_EQ(Shown(x), c.expected);
        // A tail, as a run's refresh appends it, reads as the same part of the whole.
        for (size_t from = 0; from < c.samples.size(); ++from) {
            const std::vector<double> tail =
                graph_axis::XValuesBySample(c.xSamples.data(), c.xValues.data(), c.xSamples.size(),
                                            c.samples.data(), from, c.samples.size());
            EXPECT_EQ(Shown(tail),
                      std::vector<double>(c.expected.begin() + long(from), c.expected.end()))
                << "from " << from;
        }
        // One point looked up alone agrees.
        for (size_t i = 0; i < c.samples.size(); ++i)
            EXPECT_EQ(Shown({graph_axis::ValueAtSample(c.xSamples.data(), c.xValues.data(),
                                                       c.xSamples.size(), c.samples[i])}),
                      std::vector<double>{c.expected[i]})
                << "point " << i;
    }
}

TEST(XValuesBySample, ALongSetWithGapsPairsEveryPoint) {
    // Every seventh sample missing from X and every fifth from Y: the searches past the first
    // gap must still land on the right entries.
    std::vector<double> xs, xv, ys;
    for (int s = 0; s < 5000; ++s) {
        if (s % 7 != 3) xs.push_back(s), xv.push_back(1000.0 + s);
        if (s % 5 != 1) ys.push_back(s);
    }
    const std::vector<double> x =
        graph_axis::XValuesBySample(xs.data(), xv.data(), xs.size(), ys.data(), 0, ys.size());
    ASSERT_EQ(x.size(), ys.size());
    for (size_t i = 0; i < ys.size(); ++i) {
        const int s = static_cast<int>(ys[i]);
        if (s % 7 == 3)
            EXPECT_TRUE(std::isnan(x[i])) << s;
        else
            EXPECT_EQ(x[i], 1000.0 + s) << s;
    }
}

}  // namespace
