#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/base/number_format.h"

using platform::graph::ChooseTicks;
using platform::graph::NumberFormat;

namespace {

TEST(NumberFormatTest, LabelsFollowTheFormat) {
    struct Row {
        const char* format;
        double v;
        const char* label;
    };
    const Row rows[] = {
        {"*1.00", 3.14159, "3.14"},
        {"*1", 7.6, "8"},
        {"*0.100", 7, "0.700"},
        {"*1.8+32.##", 100, "212.00"},
        {"+273.##", 0, "273.00"},
        {"*0.1450377.##", 101.325, "14.70"},
        {"*10.", 1.234, "12"},
        {"nn:ss*0.0000115740740741+0", 75, "01:15"},
        {"nn:ss*0.0000115740740741+0", 59.9996, "01:00"},
        {"hh:nn:ss*0.0000115740740741+45000.9996527778", 45, "00:00:15"},
        {"dd-mm-yy hh:nn:ss*0.0000115740740741+45000.9996527778", 45, "16-03-23 00:00:15"},
        {"dd-mm-yy hh:nn:ss*%.10f+%.10f", 0, ""},  // see below: not a valid format
        {"*1.000000", -0.0000001, "0.000000"},     // no "-0"
        {"", 2.5, "2.5"},                          // automatic decimals from the step
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.format);
        NumberFormat f;
        if (!NumberFormat::Parse(r.format, f)) {
            EXPECT_STREQ(r.label, "");
            continue;
        }
        EXPECT_EQ(f.Label(r.v, 1), r.label);
    }
}

TEST(NumberFormatTest, AnInvalidFormatIsRefusedAndTheOldOneKept) {
    NumberFormat f;
    ASSERT_TRUE(NumberFormat::Parse("*2.0", f));
    for (const char* bad : {"*abc", "hh:nn*", "abc", "x*1", "*1+", "*1.0##", "*0", "*1e", "12"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(NumberFormat::Parse(bad, f));
        EXPECT_EQ(f.Text(), "*2.0");
    }
    for (const char* good : {"", ".##", "*1e3", "*-1+5", "hh:nn:ss", "+1.5e-3"})
        EXPECT_TRUE(NumberFormat::Parse(good, f)) << good;
}

TEST(NumberFormatTest, TicksAreRoundInLabelSpace) {
    struct Row {
        const char* format;
        double min, max, pixels, spacing;
        std::vector<std::string> labels;
    };
    const Row rows[] = {
        {"", 0, 10, 355, 0, {"0", "2", "4", "6", "8", "10"}},
        {"", 0, 1, 255, 0, {"0.0", "0.5", "1.0"}},
        // Fahrenheit labels at round Fahrenheit values, not at round Celsius ones.
        {"*1.8+32.#", 0, 100, 355, 0, {"50.0", "100.0", "150.0", "200.0"}},
        // Minutes and seconds from a one-second interval: 15 s steps over two minutes.
        {"nn:ss*0.0000115740740741+0",
         0,
         120,
         500,
         0,
         {"00:00", "00:15", "00:30", "00:45", "01:00", "01:15", "01:30", "01:45", "02:00"}},
        // A spacing in raw units wins.
        {"", 0, 10, 355, 2.5, {"0.0", "2.5", "5.0", "7.5", "10.0"}},
        // Fixed decimals keep their step while it leaves the axis two labels.
        {"*1", 0, 2, 600, 0, {"0", "1", "2"}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.format);
        NumberFormat f;
        ASSERT_TRUE(NumberFormat::Parse(r.format, f));
        const auto t = ChooseTicks(f, r.min, r.max, r.pixels, 60, r.spacing, false);
        std::vector<std::string> labels;
        for (double v : t.major)
            labels.push_back(f.TickLabel(v, t.decimals).str());
        EXPECT_EQ(labels, r.labels);
    }
    NumberFormat plain;
    const auto log = ChooseTicks(plain, 0.5, 2000, 300, 30, 0, true);
    EXPECT_EQ(log.major, (std::vector<double>{1, 10, 100, 1000}));
    // Label values far from zero, where a step of one is lost in rounding, still end.
    NumberFormat far;
    ASSERT_TRUE(NumberFormat::Parse("hh:nn:ss*0.0002+4500065277778", far));
    EXPECT_LE(ChooseTicks(far, 0, 10, 300, 30, 0, false).major.size(), 11u);
    // Far too many ticks for the spacing falls back to automatic ones.
    EXPECT_LE(ChooseTicks(plain, 0, 1e9, 300, 30, 1, false).major.size(), 11u);
}

// An axis over a span finer than its format's decimals still shows labels, with the decimals its
// step needs; coarser spans keep the format's own.
TEST(NumberFormatTest, ASpanFinerThanTheDecimalsGetsLabelsWithMoreDecimals) {
    struct Row {
        const char* format;
        double min, max;
        std::vector<std::string> labels;
    };
    const Row rows[] = {
        {".##", 0.001, 0.002, {"0.0010", "0.0012", "0.0014", "0.0016", "0.0018", "0.0020"}},
        // One label at the format's step is not a scale: the finer step wins.
        {".##", 0.001, 0.011, {"0.002", "0.004", "0.006", "0.008", "0.010"}},
        {"*1", 0, 0.5, {"0.0", "0.1", "0.2", "0.3", "0.4", "0.5"}},
        {".#", 10, 10.05, {"10.00", "10.01", "10.02", "10.03", "10.04", "10.05"}},
        {"*1.8+32.#", 20, 20.1, {"68.0", "68.1"}},
        {"*1.8+32.#", 20, 20.05, {"68.00", "68.02", "68.04", "68.06", "68.08"}},
        {".##", 0, 10, {"0.00", "2.00", "4.00", "6.00", "8.00", "10.00"}},
        {"*1000.##", 0.001, 0.002, {"1.00", "1.20", "1.40", "1.60", "1.80", "2.00"}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.format + std::string(" ") + std::to_string(r.min));
        NumberFormat f;
        ASSERT_TRUE(NumberFormat::Parse(r.format, f));
        const auto t = ChooseTicks(f, r.min, r.max, 300, 60, 0, false);
        std::vector<std::string> labels;
        for (double v : t.major)
            labels.push_back(f.TickLabel(v, t.decimals).str());
        EXPECT_EQ(labels, r.labels);
        // Outside the ticks a value keeps the format's own decimals.
        EXPECT_EQ(f.Label(r.min, 6), f.TickLabel(r.min, 0));
    }
}

// Ranges narrower than doubles resolve, or wider than they hold, once froze the painting.
TEST(NumberFormatTest, RangesBeyondDoublesGetAFewFiniteTicks) {
    struct Row {
        const char* format;
        double min, max;
    };
    const Row rows[] = {
        {"*8E-324", 0, 10},    {"+3*9.55555555555510E-324", 0, 10}, {"", 0, 5e-323},
        {"", -5e-324, 5e-324}, {"", 1, std::nextafter(1.0, 2.0)},   {"", -1.7e308, 1.7e308},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.format + std::string(" ") + std::to_string(r.max));
        NumberFormat f;
        ASSERT_TRUE(NumberFormat::Parse(r.format, f));
        const auto t = ChooseTicks(f, r.min, r.max, 300, 30, 0, false);
        EXPECT_FALSE(t.major.empty());
        EXPECT_LE(t.major.size(), 11u);
        EXPECT_TRUE(std::is_sorted(t.major.begin(), t.major.end()));
        for (double v : t.major) {
            EXPECT_TRUE(std::isfinite(v));
            EXPECT_FALSE(f.TickLabel(v, t.decimals).IsEmpty());
        }
        for (double v : t.minor)
            EXPECT_TRUE(std::isfinite(v));
    }
}

}  // namespace
