#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <vector>

#include "analysis/index_range.h"
#include "analysis/timing_measurement.h"
#include "platform/msg/wnd.h"
#include "tests/support/core/harness.h"

namespace {

using Series = std::vector<double>;

TEST(ClampIndexRange, OrdersAndClamps) {
    struct Case {
        int first, last, count, wantFirst, wantLast;
    };
    const Case cases[] = {
        {-1, -1, 10, 0, 9}, {2, 5, 10, 2, 5},  {5, 2, 10, 2, 5},
        {-3, 4, 10, 0, 4},  {3, 12, 10, 3, 9}, {12, 3, 10, 3, 9},
        {10, 10, 10, 0, 9}, {0, 0, 1, 0, 0},   {-1, -1, 0, 0, -1},
    };
    for (const Case& c : cases) {
        int first = c.first, last = c.last;
        ClampIndexRange(first, last, c.count);
        EXPECT_EQ(first, c.wantFirst) << c.first << " " << c.last << " " << c.count;
        EXPECT_EQ(last, c.wantLast) << c.first << " " << c.last << " " << c.count;
    }
}

struct Results {
    Series x1, y1, x2, y2;
    TimingResultPair First() { return {&x1, &y1}; }
    TimingResultPair Second() { return {&x2, &y2}; }
};

// Values compared with a relative tolerance; ordinals counted from 0.
void ExpectSeries(const Series& x, const Series& y, const Series& want, const char* what) {
    ASSERT_EQ(y.size(), want.size()) << what;
    ASSERT_EQ(x.size(), want.size()) << what;
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(x[i], static_cast<double>(i)) << what << " #" << i;
        EXPECT_NEAR(y[i], want[i], 1e-9 * std::fabs(want[i]) + 1e-12) << what << " #" << i;
    }
}

class TimingMeasurement : public testing_support::CoreHarnessTest {};

TEST_F(TimingMeasurement, EveryCode) {
    struct Case {
        const char* what;
        int code;
        Series t, g1, g2;
        double width, distance;
        Series first, second;
    };
    // clang-format off
    const Case cases[] = {
        {"0: blocked times", 0, {0, 1.0, 1.05, 2.0, 2.04}, {0, 1, 0, 1, 0}, {}, 0, 0,
         {0.05, 0.04}, {}},
        {"0: a blocking still under way is not a pass", 0, {0, 1.0, 1.05, 2.0}, {0, 1, 0, 1}, {},
         0, 0, {0.05}, {}},
        {"1: width over blocked time", 1, {0, 1.0, 1.05, 2.0}, {0, 1, 0, 1}, {}, 5, 0, {1.0}, {}},
        {"2: one pair", 2, {0, 1.00, 1.02, 1.50, 1.51}, {0, 1, 0, 1, 0}, {}, 2, 0,
         {1.0 / 0.495}, {}},
        {"2: two pairs", 2, {0, 1.00, 1.02, 1.50, 1.51, 2.00, 2.02, 2.50, 2.51},
         {0, 1, 0, 1, 0, 1, 0, 1, 0}, {}, 2, 0, {1.0 / 0.495, 1.0 / 0.495}, {}},
        {"10: gate 1 first", 10, {2.0, 2.1, 2.5, 2.6}, {1, 0, 0, 0}, {0, 0, 1, 0}, 0, 50,
         {0.5}, {}},
        {"10: gate 2 first", 10, {2.0, 2.1, 2.5, 2.6}, {0, 0, 1, 0}, {1, 0, 0, 0}, 0, 50,
         {0.5}, {}},
        {"11: gate 1 first", 11, {2.0, 2.1, 2.5, 2.6}, {1, 0, 0, 0}, {0, 0, 1, 0}, 0, 50,
         {1.0}, {}},
        {"11: gate 2 first", 11, {2.0, 2.1, 2.5, 2.6}, {0, 0, 1, 0}, {1, 0, 0, 0}, 0, 50,
         {-1.0}, {}},
        {"11: the data ends while gate 2 is blocked", 11, {2.0, 2.1, 2.5}, {1, 0, 0}, {0, 0, 1},
         0, 50, {1.0}, {}},
        {"10: two results, the last one unfinished", 10, {1, 1.1, 1.3, 1.4, 5, 5.1, 5.2},
         {1, 0, 0, 0, 1, 0, 0}, {0, 0, 1, 0, 0, 0, 1}, 0, 50, {0.3, 0.2}, {}},
        {"12: gate 1 first", 12, {1.00, 1.02, 1.50, 1.51}, {1, 0, 0, 0}, {0, 0, 1, 0}, 2, 0,
         {1.0 / 0.495}, {}},
        {"12: gate 2 first", 12, {1.00, 1.02, 1.50, 1.51}, {0, 0, 1, 0}, {1, 0, 0, 0}, 2, 0,
         {-1.0 / 0.495}, {}},
        {"12: nothing for an unfinished pass", 12, {1.00, 1.02, 1.50}, {1, 0, 0}, {0, 0, 1}, 2, 0,
         {}, {}},
        {"20: every second blocking", 20, {0, 0.1, 1, 1.1, 2, 2.1, 3, 3.1, 4},
         {1, 0, 1, 0, 1, 0, 1, 0, 1}, {}, 0, 0, {2, 2}, {}},
        {"20: a gate that stays blocked is one edge", 20, {0, 0.5, 1, 2, 2.5, 4},
         {1, 1, 0, 1, 0, 1}, {}, 0, 0, {4}, {}},
        {"21: each gate into its own pair", 21, {1.0, 1.05, 2.0, 2.025, 3.0, 3.1},
         {1, 0, 0, 0, 1, 0}, {0, 0, 1, 0, 0, 0}, 5, 0, {1.0, 0.5}, {2.0}},
        {"22: nothing", 22, {0, 1, 2}, {1, 0, 1}, {0, 1, 0}, 5, 5, {}, {}},
    };
    // clang-format on
    for (const Case& c : cases) {
        Results r;
        EXPECT_TRUE(ComputeTimingMeasurement(r.First(), r.Second(), c.t, c.g1, c.g2, c.code,
                                             c.width, c.distance))
            << c.what;
        ExpectSeries(r.x1, r.y1, c.first, c.what);
        ExpectSeries(r.x2, r.y2, c.second, c.what);
    }
    clock.RunPending();
    EXPECT_TRUE(prompts.Shown().empty());
}

TEST_F(TimingMeasurement, ZeroTimesGiveNoResultAndDoNotAdvanceTheOrdinal) {
    struct Case {
        const char* what;
        int code;
        Series t, g1, g2;
        Series first, second;
    };
    // clang-format off
    const Case cases[] = {
        {"1: a pass of no duration", 1, {1, 1, 2, 2.05}, {1, 0, 1, 0}, {}, {1.0}, {}},
        {"2: a pair with a pass of no duration", 2, {1, 1.05, 2, 2, 3, 3.05, 4, 4.025},
         {1, 0, 1, 0, 1, 0, 1, 0}, {}, {1.0 / 0.9875}, {}},
        {"11: both gates blocked at once", 11, {1, 1.1, 2, 2.1, 2.5, 2.6}, {1, 0, 1, 0, 0, 0},
         {1, 0, 0, 0, 1, 0}, {1.0}, {}},
        {"12: both gates blocked at once", 12, {1, 1.05, 2, 2.05, 3, 3.025}, {1, 0, 1, 0, 0, 0},
         {1, 0, 0, 0, 1, 0}, {1.0 / 0.9875}, {}},
        {"21: a pass of no duration at gate 2", 21, {1, 1.05, 2, 2, 3, 3.025},
         {1, 0, 0, 0, 0, 0}, {0, 0, 1, 0, 1, 0}, {1.0}, {2.0}},
    };
    // clang-format on
    for (const Case& c : cases) {
        Results r;
        ComputeTimingMeasurement(r.First(), r.Second(), c.t, c.g1, c.g2, c.code, 5, 50);
        for (double v : r.y1)
            EXPECT_TRUE(std::isfinite(v)) << c.what;
        ExpectSeries(r.x1, r.y1, c.first, c.what);
        ExpectSeries(r.x2, r.y2, c.second, c.what);
    }
    // A time of no length is a result in itself when nothing is divided by it.
    Results r;
    ComputeTimingMeasurement(r.First(), r.Second(), {1, 1.1}, {1, 0}, {1, 0}, 10, 5, 50);
    ExpectSeries(r.x1, r.y1, {0.0}, "10: both gates blocked at once");
}

TEST_F(TimingMeasurement, OnlyTheEventsEverySeriesHoldsAreRead) {
    Results r;
    // The time series runs ahead of the states: the last two events have no state yet.
    const Series t = {0, 1.0, 1.05, 2.0, 2.04, 3, 3.5};
    EXPECT_TRUE(ComputeTimingMeasurement(r.First(), r.Second(), t, {0, 1, 0, 1}, {}, 0, 0, 0));
    ExpectSeries(r.x1, r.y1, {0.05}, "states shorter");
    // The states run ahead of the times.
    Results s;
    EXPECT_TRUE(ComputeTimingMeasurement(s.First(), s.Second(), {0, 1.0, 1.05},
                                         {0, 1, 0, 1, 0, 1, 0}, {}, 0, 0, 0));
    ExpectSeries(s.x1, s.y1, {0.05}, "times shorter");
    Results g;
    EXPECT_TRUE(ComputeTimingMeasurement(g.First(), g.Second(), {2.0, 2.1}, {1, 0, 0, 0},
                                         {0, 0, 1, 0}, 11, 0, 50));
    ExpectSeries(g.x1, g.y1, {}, "two gates, times shorter");
}

// Telling the user is the caller's part: a run tells it once (see the logger's decoding tests).
TEST_F(TimingMeasurement, DataThatDoesNotFitIsReturnedAndNothingIsShown) {
    struct Case {
        const char* what;
        int code;
        bool firstPair, secondPair;
        Series g2;
    };
    const Case cases[] = {
        {"gate series of different lengths", 10, true, true, {0, 1}},
        {"gate series of different lengths", 21, true, true, {0, 1}},
        {"no first pair", 0, false, true, {}},
        {"no first pair", 22, false, true, {}},
        {"collision without a second pair", 21, true, false, {0, 1, 0}},
    };
    const Series t = {1, 1.05, 2}, g1 = {1, 0, 0};
    for (const Case& c : cases) {
        Results r;
        const TimingResultPair first = c.firstPair ? r.First() : TimingResultPair{&r.x1, nullptr};
        const TimingResultPair second = c.secondPair ? r.Second() : TimingResultPair{};
        EXPECT_FALSE(ComputeTimingMeasurement(first, second, t, g1, c.g2, c.code, 5, 50)) << c.what;
        EXPECT_TRUE(r.x1.empty() && r.y1.empty() && r.x2.empty()) << c.what;
    }
    clock.RunPending();
    EXPECT_TRUE(prompts.Shown().empty());
}

}  // namespace
