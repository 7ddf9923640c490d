#include "models/setup_tables.h"

#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

using namespace setup_tables;

TEST(SetupTables, RateListsOfBothModels) {
    const char* qk[] = {"Every hour",
                        "Every 30 minutes",
                        "Every 15 minutes",
                        "Every 5 minutes",
                        "Every minute",
                        "Every 30 seconds",
                        "Every 15 seconds",
                        "Every 5 seconds",
                        "Every second",
                        "5/s",
                        "10/s",
                        "20/s",
                        "50/s"};
    const int qkCodes[] = {33, 34, 35, 36, 37, 38, 39, 40, 41, 48, 49, 50, 51};
    const double qkIntervals[] = {3600, 1800, 900, 300, 60, 30, 15, 5, 1, 0.2, 0.1, 0.05, 0.02};
    ASSERT_EQ(RateCount(true), 13);
    for (int i = 0; i < 13; ++i) {
        EXPECT_STREQ(RateLabel(true, i), qk[i]) << i;
        EXPECT_EQ(RateIndexToCode(true, i), qkCodes[i]) << i;
        EXPECT_EQ(RateCodeToIndex(true, qkCodes[i]), i) << i;
        EXPECT_DOUBLE_EQ(RateInterval(true, i), qkIntervals[i]) << i;
    }
    const char* basic[] = {
        "Every 30 minutes", "Every 10 minutes", "Every 2 minutes", "Every minute",
        "Every 10 seconds", "Every 2 seconds",  "Every second",    "10/s"};
    const double basicIntervals[] = {1800, 600, 120, 60, 10, 2, 1, 0.1};
    ASSERT_EQ(RateCount(false), 8);
    for (int i = 0; i < 8; ++i) {
        EXPECT_STREQ(RateLabel(false, i), basic[i]) << i;
        EXPECT_EQ(RateIndexToCode(false, i), 1 << i) << i;
        EXPECT_EQ(RateCodeToIndex(false, 1 << i), i) << i;
        EXPECT_DOUBLE_EQ(RateInterval(false, i), basicIntervals[i]) << i;
    }
    // Codes outside the tables.
    EXPECT_EQ(RateCodeToIndex(true, 42), 0);
    EXPECT_EQ(RateCodeToIndex(false, 3), 0);
    EXPECT_EQ(RateCodeToIndex(true, 255), 0);
    EXPECT_EQ(RateCodeToIndex(false, 255), 0);
    EXPECT_EQ(RateIndexToCode(true, 13), 41);
    EXPECT_EQ(RateIndexToCode(true, -1), 41);
}

TEST(SetupTables, RecordingTimeRanges) {
    struct Case {
        bool qk;
        int rate;
        int sensors;
        const char* first;
        const char* last;
    } cases[] = {
        {true, 0, 0, "8 Hours", "40 Days"},        {true, 9, 0, "10 Seconds", "3 Minutes"},
        {true, 12, 0, "10 Seconds", "20 Seconds"}, {false, 0, 1, "1 Hour", "60 Days"},
        {false, 0, 6, "1 Hour", "3 Days"},         {false, 7, 2, "1 Minute", "1 Minute"},
    };
    for (const Case& c : cases) {
        const Range r = RecordingTimeRange(c.qk, c.rate, c.sensors, {0, 0});
        EXPECT_STREQ(RecordingTimeLabel(c.qk, r.first), c.first) << c.rate << "/" << c.sensors;
        EXPECT_STREQ(RecordingTimeLabel(c.qk, r.last), c.last) << c.rate << "/" << c.sensors;
    }
    // No sensor, or more than seven: the caller's preset stays.
    EXPECT_EQ(RecordingTimeRange(false, 0, 0, {0, 8}), (Range{0, 8}));
    EXPECT_EQ(RecordingTimeRange(false, 0, 8, {0, 8}), (Range{0, 8}));
}

TEST(SetupTables, RunLengthsAreExact) {
    // "5/s": the intervals are not exact in binary, the counts must still be.
    const Range r = RecordingTimeRange(true, 9, 0, {});
    EXPECT_EQ(RunLengths(true, r, 9), (std::vector<unsigned long>{50, 100, 250, 500, 900}));
    EXPECT_EQ(RunLengthFor(true, 1, 11), 400u);  // 20 s at 20/s
    EXPECT_EQ(RunLengthFor(false, 0, 7), 600u);  // 1 minute at 10/s
    EXPECT_EQ(RunLengthFor(false, 6, 0), 144u);  // 3 days every 30 minutes
}

TEST(SetupTables, RecordingTimeIndex) {
    struct Case {
        bool qk;
        unsigned long runLength;
        int rate;
        int lastEntry;
        int expected;
    } cases[] = {
        {true, 8, 0, 6, 0},                              // 8 hours hourly: the first entry
        {true, 40 * 24, 0, 6, 6}, {true, 100, 9, 4, 1},  // 20 s at 5/s
        {true, 99, 9, 4, 0},                             // no equal period
        {true, 1, 0, 6, 0},                              // 1 hour hourly lies below the range
        {true, 900, 9, 2, 2},                            // beyond the last entry
        {false, 144, 0, 3, 3},                           // 3 days every 30 minutes
        {false, 600, 7, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RecordingTimeIndex(c.qk, c.runLength, c.rate, c.lastEntry), c.expected)
            << c.qk << " " << c.runLength << " " << c.rate;
}

// A list shows what will be recorded: the standard entry holding the length, or the length as an
// entry of its own, in its place by duration.
TEST(SetupTables, RecordingTimesShowTheLengthToBeRecorded) {
    const struct {
        const char* name;
        bool qk;
        int rateIndex;
        unsigned long length;
        int selected;
        int own;            // -1: none
        const char* label;  // of the selected entry
    } rows[] = {
        {"basic, a standard entry", false, 6, 60, 0, -1, "1 Minute"},
        {"basic, ten samples a second apart", false, 6, 10, 0, 0, "10 Seconds"},
        {"basic, between two entries", false, 6, 1200, 2, 2, "20 Minutes"},
        {"basic, past the last entry", false, 6, 7200, 4, 4, "2 Hours"},
        {"QK, a standard entry", true, 8, 100, 3, -1, "100 Seconds"},
        {"QK, between two entries", true, 8, 90, 3, 3, "90 Seconds"},
        {"QK, below a second", true, 12, 25, 0, 0, "0.5 Seconds"},
        {"QK, a standard period outside the rate's range", true, 0, 1, 0, 0, "1 Hour"},
        {"no length", true, 8, 0, 0, -1, "10 Seconds"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        const Range range = RecordingTimeRange(r.qk, r.rateIndex, 1, {0, r.qk ? 16 : 8});
        const RecordingTimeList list = RecordingTimes(r.qk, range, r.rateIndex, r.length);
        const size_t standard = static_cast<size_t>(range.last - range.first + 1);
        ASSERT_EQ(list.labels.size(), list.lengths.size());
        EXPECT_EQ(list.labels.size(), standard + (r.own >= 0 ? 1 : 0));
        EXPECT_EQ(list.own, r.own);
        ASSERT_EQ(list.selected, r.selected);
        EXPECT_EQ(list.labels[size_t(r.selected)], r.label);
        if (r.length) {
            EXPECT_EQ(list.lengths[size_t(r.selected)], r.length);
        }
        EXPECT_TRUE(std::is_sorted(list.lengths.begin(), list.lengths.end()));
        // The standard entries are all there, in their order.
        std::vector<unsigned long> rest = list.lengths;
        if (list.own >= 0) rest.erase(rest.begin() + list.own);
        EXPECT_EQ(rest, RunLengths(r.qk, range, r.rateIndex));
    }
}

TEST(SetupTables, RunLengthLabelsTakeTheLargestWholeUnit) {
    const struct {
        bool qk;
        int rateIndex;
        unsigned long length;
        const char* label;
    } rows[] = {
        {false, 6, 1, "1 Second"},     {false, 6, 120, "2 Minutes"},  {false, 6, 90, "90 Seconds"},
        {false, 0, 2, "1 Hour"},       {true, 0, 48, "2 Days"},       {true, 0, 25, "25 Hours"},
        {true, 12, 75, "1.5 Seconds"}, {true, 11, 1, "0.05 Seconds"}, {true, 9, 3, "0.6 Seconds"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(RunLengthLabel(r.qk, r.length, r.rateIndex), r.label) << r.length;
}
