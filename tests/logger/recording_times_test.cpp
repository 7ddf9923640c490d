#include <gtest/gtest.h>

#include "logger/recording_times.h"

using namespace recording_times;

TEST(RecordingTimes, TheRangesOfARate) {
    struct Case {
        bool qk;
        WORD rateCode;
        int sensors;
        const char* first;
        const char* last;
    } cases[] = {
        {true, 33, 1, "8 Hours", "40 Days"},
        {true, 41, 1, "10 Seconds", "15 Minutes"},
        {true, 51, 3, "10 Seconds", "20 Seconds"},
        {false, 1, 1, "1 Hour", "60 Days"},
        {false, 1, 6, "1 Hour", "3 Days"},
        {false, 128, 2, "1 Minute", "1 Minute"},
        {false, 64, 0, "1 Minute", "60 Days"},  // no sensor count: the whole list
    };
    for (const Case& c : cases) {
        int first = -1, last = -1;
        RecordingTimeRange(c.qk, RateCodeToIndex(c.qk, c.rateCode), c.sensors, first, last);
        EXPECT_EQ(PeriodLabel(c.qk, first), c.first) << c.rateCode << " " << c.sensors;
        EXPECT_EQ(PeriodLabel(c.qk, last), c.last) << c.rateCode << " " << c.sensors;
    }
}

TEST(RecordingTimes, CodesIndexesAndRunLengths) {
    EXPECT_EQ(RateCodeToIndex(true, 48), 9);
    EXPECT_EQ(RateCodeToIndex(true, 42), 0);
    EXPECT_EQ(RateCodeToIndex(false, 3), 0);
    EXPECT_EQ(RateIndexToCode(true, 12), 51);
    EXPECT_EQ(RateIndexToCode(true, 13), 41);
    EXPECT_EQ(RateLabel(false, 7), "10/s");
    // "Every hour": entry 0 is "8 Hours", 8 samples.
    EXPECT_EQ(RunLength(true, 11, 0), 8);
    EXPECT_EQ(RecordingTimeIndex(true, 8, 0), 0);
    EXPECT_EQ(RecordingTimeIndex(true, 100, 8), 3);
    EXPECT_EQ(RecordingTimeIndex(true, 101, 8), 0) << "no period matches";
    EXPECT_EQ(RunLength(false, 0, 7), 600);  // a minute at 10/s
    EXPECT_EQ(RecordingTimeIndex(false, 3600, 6), 3);
}
