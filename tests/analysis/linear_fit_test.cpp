// The least-squares line: the numbers against closed forms, the equation texts, and the reading of
// a data set's range against time and against another data set. The series are read with their
// bounds checked, so a read past either series throws and fails the test.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <vector>

#include "analysis/linear_fit.h"

namespace {

using Series = std::vector<double>;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

CDataTreeBrench MakeSet(Series x, Series y) {
    CDataTreeBrench d;
    d.m_x = std::make_shared<CDataArray>(std::move(x));
    d.m_y = std::make_shared<CDataArray>(std::move(y));
    return d;
}

Series Numbers(int n, double from = 0, double step = 1) {
    Series s(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        s[static_cast<size_t>(i)] = from + step * i;
    return s;
}

Series Line(const Series& x, double slope, double intercept) {
    Series y;
    for (double v : x)
        y.push_back(slope * v + intercept);
    return y;
}

TEST(LinearFit, ExactLinesGiveTheirSlopeInterceptAndEquation) {
    struct Case {
        const char* what;
        Series y;
        double interval;
        double slope, intercept;
        const char* equation;
    };
    const Case cases[] = {
        {"y = 2x + 1 over half seconds", {1, 2, 3, 4}, 0.5, 2, 1, "2X+1"},
        {"two points", {5, 7}, 1, 2, 5, "2X+5"},
        {"through 0", {0, 1.5, 3}, 1, 1.5, 0, "1.5X"},
        {"flat", {3, 3, 3, 3}, 1, 0, 3, "3"},
        {"zero", {0, 0, 0}, 1, 0, 0, "0, "},
        {"positive signs", {3.5, 4.75, 6, 7.25}, 1, 1.25, 3.5, "1.25X+3.5"},
        {"negative signs", {-2, -6, -10, -14}, 5, -0.8, -2, "-0.8X-2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Series samples = Numbers(static_cast<int>(c.y.size()));
        const CDataTreeBrench set = MakeSet(samples, c.y);
        LinearFitSeries fit;
        ASSERT_TRUE(ComputeLinearFit(set, nullptr, -1, -1, c.interval, fit));
        EXPECT_EQ(fit.line.slope, c.slope);
        EXPECT_EQ(fit.line.intercept, c.intercept);
        EXPECT_EQ(fit.line.count, static_cast<int>(c.y.size()));
        EXPECT_EQ(fit.equation, c.equation);
        // The line is given at the data set's own sample numbers.
        EXPECT_EQ(*fit.x, samples);
        Series expected;
        for (double s : samples)
            expected.push_back(c.slope * (s * c.interval) + c.intercept);
        EXPECT_EQ(*fit.y, expected);
    }
    EXPECT_EQ(FormatFitEquation(1.25, 3.5), "1.25X+3.5");
    EXPECT_EQ(FormatFitEquation(-0.8, -2), "-0.8X-2");
}

TEST(LinearFit, NoiseThatCancelsLeavesTheLine) {
    // +d, -d, -d, +d sums to 0 against 1 and against x over each group of four.
    const Series x = Numbers(400);
    Series y = Line(x, 0.75, -4);
    const double d[] = {0.3, -0.3, -0.3, 0.3};
    for (size_t i = 0; i < y.size(); ++i)
        y[i] += d[i % 4];
    LineFitStruct fit;
    ASSERT_TRUE(FitLine(x, y, fit));
    EXPECT_NEAR(fit.slope, 0.75, 1e-10);
    EXPECT_NEAR(fit.intercept, -4, 1e-10);
    EXPECT_EQ(fit.count, 400);
}

TEST(LinearFit, XFarFromZeroKeepsItsDigits) {
    const Series x = Numbers(100, 1e8, 0.5);
    Series y;
    for (double v : x)
        y.push_back(3 * (v - 1e8) + 7);
    LineFitStruct fit;
    ASSERT_TRUE(FitLine(x, y, fit));
    EXPECT_NEAR(fit.slope, 3, 1e-9);
    EXPECT_NEAR(fit.slope * 1e8 + fit.intercept, 7, 1e-6);

    // The raw-sum formula n*Sxx - Sx^2 loses the same slope to cancellation.
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (size_t i = 0; i < x.size(); ++i) {
        sx += x[i], sy += y[i], sxx += x[i] * x[i], sxy += x[i] * y[i];
    }
    const double n = static_cast<double>(x.size());
    const double rawSlope = (n * sxy - sx * sy) / (n * sxx - sx * sx);
    EXPECT_GT(std::fabs(rawSlope - 3), 1e-6) << "the raw sums would have done: " << rawSlope;
}

TEST(LinearFit, EqualXGiveTheMeanAsAConstant) {
    // Y against an X data set that stands still: a vertical run of points.
    const CDataTreeBrench set = MakeSet(Numbers(5), {1, 2, 4, 8, 10});
    const CDataTreeBrench xSet = MakeSet(Numbers(5), {2.5, 2.5, 2.5, 2.5, 2.5});
    LinearFitSeries fit;
    ASSERT_TRUE(ComputeLinearFit(set, &xSet, 0, 4, 1, fit));
    EXPECT_EQ(fit.line.slope, 0);
    EXPECT_EQ(fit.line.intercept, 5);
    EXPECT_EQ(*fit.y, Series(5, 5.0));
    EXPECT_EQ(fit.equation, "5");
}

TEST(LinearFit, PairsThatAreNotNumbersStayOut) {
    // Two gaps in y: the line of the other points, still given at every sample.
    Series y = Line(Numbers(8), -1.5, 6);
    y[2] = kNaN;
    y[5] = std::numeric_limits<double>::infinity();
    const CDataTreeBrench set = MakeSet(Numbers(8), y);
    LinearFitSeries fit;
    ASSERT_TRUE(ComputeLinearFit(set, nullptr, -1, -1, 1, fit));
    EXPECT_EQ(fit.line.count, 6);
    EXPECT_EQ(fit.line.slope, -1.5);
    EXPECT_EQ(fit.line.intercept, 6);
    EXPECT_EQ(*fit.y, Line(Numbers(8), -1.5, 6));

    // A sample number that is not a number has no place on the line.
    const CDataTreeBrench gapX = MakeSet({0, kNaN, 2, 4}, {1, 2, 3, 5});
    ASSERT_TRUE(ComputeLinearFit(gapX, nullptr, -1, -1, 1, fit));
    EXPECT_EQ(*fit.x, (Series{0, 2, 4}));
    EXPECT_EQ(*fit.y, (Series{1, 3, 5}));

    // One finite pair is no line.
    const CDataTreeBrench one = MakeSet(Numbers(3), {kNaN, 2, kNaN});
    EXPECT_FALSE(ComputeLinearFit(one, nullptr, -1, -1, 1, fit));
    EXPECT_EQ(fit.x, nullptr);
}

TEST(LinearFit, RangesAreOrderedClampedAndNeedTwoPoints) {
    const Series y = Line(Numbers(10), 2, -3);
    const CDataTreeBrench set = MakeSet(Numbers(10), y);
    struct Case {
        int first, last;
        bool fits;
        double firstX;
        size_t count;
    };
    const Case cases[] = {
        {-1, -1, true, 0, 10},  // everything
        {0, 10, true, 0, 10},   // a series length as last index
        {7, 3, true, 3, 5},     // reversed
        {4, 5, true, 4, 2},     // two points
        {6, 6, false, 0, 0},    // one point
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.first << ".." << c.last);
        LinearFitSeries fit;
        ASSERT_EQ(ComputeLinearFit(set, nullptr, c.first, c.last, 1, fit), c.fits);
        if (!c.fits) continue;
        ASSERT_EQ(fit.x->size(), c.count);
        EXPECT_EQ(fit.x->front(), c.firstX);
        EXPECT_EQ(fit.equation, "2X-3");
    }
    LinearFitSeries fit;
    EXPECT_FALSE(ComputeLinearFit(MakeSet({0}, {4}), nullptr, -1, -1, 1, fit));
    EXPECT_FALSE(ComputeLinearFit(MakeSet({}, {}), nullptr, -1, -1, 1, fit));
    EXPECT_FALSE(ComputeLinearFit(CDataTreeBrench(), nullptr, -1, -1, 1, fit));
}

TEST(LinearFit, YAgainstXIsAlignedBySampleNumber) {
    // At sample s the X data set holds 0.5 s and the data set 3 s - 2: y = 6x - 2 when the two
    // are read at the same sample. Reading them index by index would give another line.
    auto xAt = [](double s) { return 0.5 * s; };
    auto yAt = [](double s) { return 3 * s - 2; };
    auto make = [](int from, int n, const Series& missing, auto value) {
        Series samples, values;
        for (double s : Numbers(n, from)) {
            if (std::find(missing.begin(), missing.end(), s) != missing.end()) continue;
            samples.push_back(s);
            values.push_back(value(s));
        }
        return MakeSet(samples, values);
    };
    struct Case {
        const char* what;
        int setFrom, setCount, xFrom, xCount;
        Series setMissing, xMissing;
        Series resultX;  // the sample numbers of the pairs
    };
    const Case cases[] = {
        {"X starts 5 later", 0, 20, 5, 20, {}, {}, Numbers(15, 5)},
        {"X starts 5 earlier", 5, 20, 0, 20, {}, {}, Numbers(15, 5)},
        {"X shorter", 0, 20, 0, 12, {}, {}, Numbers(12)},
        {"data set shorter", 0, 9, 0, 30, {}, {}, Numbers(9)},
        {"both offset and shorter", 3, 10, 0, 40, {}, {}, Numbers(10, 3)},
        // A sample either set lacks is no pair; the later ones still meet their own.
        {"X lacks samples", 0, 8, 0, 8, {}, {2, 5}, {0, 1, 3, 4, 6, 7}},
        {"the data set lacks samples", 0, 8, 0, 8, {1, 6}, {}, {0, 2, 3, 4, 5, 7}},
        {"both lack some", 0, 8, 0, 8, {4}, {1}, {0, 2, 3, 5, 6, 7}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const CDataTreeBrench set = make(c.setFrom, c.setCount, c.setMissing, yAt);
        const CDataTreeBrench xSet = make(c.xFrom, c.xCount, c.xMissing, xAt);
        LinearFitSeries fit;
        ASSERT_TRUE(ComputeLinearFit(set, &xSet, -1, -1, 1, fit));
        EXPECT_EQ(*fit.x, c.resultX);
        EXPECT_NEAR(fit.line.slope, 6, 1e-12);
        EXPECT_NEAR(fit.line.intercept, -2, 1e-12);
        for (size_t k = 0; k < fit.x->size(); ++k)
            EXPECT_NEAR((*fit.y)[k], 6 * xAt((*fit.x)[k]) - 2, 1e-9);
    }
}

TEST(LinearFit, SeriesOfUnequalLengthAreNotReadPastTheirEnd) {
    // A project file may hold a data set whose sample numbers and values differ in number.
    const CDataTreeBrench shortX = MakeSet(Numbers(6), Line(Numbers(10), 1, 1));
    const CDataTreeBrench shortY = MakeSet(Numbers(10), Line(Numbers(6), 1, 1));
    LinearFitSeries fit;
    for (const CDataTreeBrench* set : {&shortX, &shortY}) {
        ASSERT_TRUE(ComputeLinearFit(*set, nullptr, 0, 9, 1, fit));
        EXPECT_EQ(*fit.x, Numbers(6));
    }
    // The same in Y against X, on either side.
    const CDataTreeBrench full = MakeSet(Numbers(10), Line(Numbers(10), 2, 0));
    for (const CDataTreeBrench* x : {&shortX, &shortY}) {
        ASSERT_TRUE(ComputeLinearFit(full, x, 0, 9, 1, fit));
        EXPECT_EQ(fit.x->size(), 6u);
        ASSERT_TRUE(ComputeLinearFit(*x, &full, 0, 9, 1, fit));
        EXPECT_EQ(fit.x->size(), 6u);
    }
    // X data set shorter than the range, its values shorter still.
    const CDataTreeBrench tiny = MakeSet(Numbers(3), {1});
    EXPECT_FALSE(ComputeLinearFit(full, &tiny, 0, 9, 1, fit));
}

TEST(LinearFit, TheEquationShownIsRedoneOnlyWhereAUnitChangesTheLine) {
    // A QK's temperature (input kind 0) or pressure (kind 4) series, one sample a second.
    const auto sensor = [](Series x, Series y, WORD kind, const char* comment = "") {
        CDataTreeBrench d = MakeSet(std::move(x), std::move(y));
        d.m_modelCode = 100;
        d.m_inputKind = kind;
        d.m_rateCode = 41;
        d.m_comment = comment;
        return d;
    };
    // A fit of 20 + t °C, as it was made and saved.
    const CDataTreeBrench air = sensor(Numbers(5), Line(Numbers(5), 1, 20), 0, "f(x) = 1X+20");
    const CDataTreeBrench squares = sensor(Numbers(5), {0, 1, 4, 9, 16}, 2);
    const CDataTreeBrench pressure = sensor(Numbers(5), Line(Numbers(5), 1, 100), 4);
    // Light made against that pressure: y = x kPa = x psi / 0.1450377.
    const CDataTreeBrench light = sensor(Numbers(5), Line(Numbers(5), 1, 100), 2, "f(x) = 1X");
    const CDataTreeBrench note = sensor(Numbers(5), Line(Numbers(5), 1, 20), 0, "Warm-up");
    struct Case {
        const char* what;
        const CDataTreeBrench* fit;
        const CDataTreeBrench* x;
        int temperatureUnit, pressureUnit;
        const char* shown;
    };
    const Case cases[] = {
        {"°C: as made", &air, nullptr, 0, 0, "f(x) = 1X+20"},
        {"°F: 1.8 x 1 and 1.8 x 20 + 32", &air, nullptr, 1, 0, "f(x) = 1.8X+68"},
        {"°F against values that do not line it up: as made", &air, &squares, 1, 0, "f(x) = 1X+20"},
        {"psi on the X axis: 1 / 0.1450377", &light, &pressure, 0, 1, "f(x) = 6.895X"},
        {"no equation", &note, nullptr, 1, 0, "Warm-up"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShownFitEquation(*c.fit, c.x, c.temperatureUnit, c.pressureUnit),
                  CString(c.shown))
            << c.what;
}

}  // namespace
