#include "analysis/linear_fit.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "analysis/index_range.h"
#include "logger/helpers.h"

namespace {

bool Finite(double x, double y) {
    return std::isfinite(x) && std::isfinite(y);
}

// The samples a data set holds in both its series.
int SampleCount(const CDataTreeBrench& set) {
    return std::min(set.GetXCount(), set.GetYCount());
}

// The whole part of a first sample number; none when it cannot be one.
std::optional<long long> WholePart(double x) {
    if (!std::isfinite(x) || std::fabs(x) > 9.0e15) return std::nullopt;
    return static_cast<long long>(std::trunc(x));
}

constexpr double kLineTolerance = 1e-9;

// Whether the chosen units show the data set's values as other numbers.
bool Converts(const CDataTreeBrench* set, int temperatureUnit, int pressureUnit) {
    return set && (ToShownValue(set, 0, temperatureUnit, pressureUnit) != 0 ||
                   ToShownValue(set, 1, temperatureUnit, pressureUnit) != 1);
}

}  // namespace

bool FitLine(std::span<const double> x, std::span<const double> y, LineFitStruct& fit) {
    fit = LineFitStruct();
    const size_t n = std::min(x.size(), y.size());
    double sumX = 0, sumY = 0;
    int count = 0;
    bool allSameX = true;
    double firstX = 0;
    for (size_t i = 0; i < n; ++i) {
        if (!Finite(x[i], y[i])) continue;
        if (count == 0)
            firstX = x[i];
        else if (x[i] != firstX)
            allSameX = false;
        sumX += x[i];
        sumY += y[i];
        ++count;
    }
    fit.count = count;
    if (count < 2) return false;
    const double meanX = sumX / count;
    const double meanY = sumY / count;
    if (allSameX) {
        // A vertical run of points: the best constant is their mean.
        fit.slope = 0;
        fit.intercept = meanY;
    } else {
        double sxx = 0, sxy = 0;
        for (size_t i = 0; i < n; ++i) {
            if (!Finite(x[i], y[i])) continue;
            const double dx = x[i] - meanX;
            sxx += dx * dx;
            sxy += dx * (y[i] - meanY);
        }
        fit.slope = sxx > 0 ? sxy / sxx : 0;
        fit.intercept = meanY - fit.slope * meanX;
    }
    return std::isfinite(fit.slope) && std::isfinite(fit.intercept);
}

CString FormatFitEquation(double slope, double intercept) {
    if (slope == 0 && intercept == 0) return "0, ";
    if (slope == 0) return FormatValue(intercept, 3, false);
    if (intercept == 0) return FormatValue(slope, 3, false) + "X";
    return FormatValue(slope, 3, false) + "X" + FormatValue(intercept, 3, true);
}

bool ComputeLinearFit(const CDataTreeBrench& set, const CDataTreeBrench* xSet, int first, int last,
                      double interval, LinearFitSeries& out) {
    out = LinearFitSeries();
    if (set.IsExperiment() || (xSet && xSet->IsExperiment())) return false;
    const int count = SampleCount(set);
    ClampIndexRange(first, last, count);
    const int xCount = xSet ? SampleCount(*xSet) : 0;
    if (xSet) ClampIndexRange(first, last, xCount);
    if (last - first + 1 < 2) return false;

    const CDataArray& ys = *set.m_y;
    // Where each index of the range reads: pairs (x, y) and the result's X entry.
    std::vector<double> px, py, resultX;
    if (!xSet) {
        const CDataArray& xs = *set.m_x;
        for (int i = first; i <= last; ++i) {
            const auto k = static_cast<size_t>(i);
            px.push_back(xs.at(k) * interval);
            py.push_back(ys.at(k));
            resultX.push_back(xs.at(k));
        }
    } else {
        // Sample number s is index s - p of the data set and s - q of the X data set.
        const auto p = WholePart(set.m_x->at(0));
        const auto q = WholePart(xSet->m_x->at(0));
        if (!p || !q) return false;
        const long long m = std::min(*p, *q);
        const long long a = *p - m;  // into the X data set
        const long long b = *q - m;  // into the data set
        long long end = last;
        if (b + end >= count) end -= b;
        if (a + end >= xCount) end -= a;
        const CDataArray& xys = *xSet->m_y;
        for (long long i = first; i <= end; ++i) {
            px.push_back(xys.at(static_cast<size_t>(a + i)));
            py.push_back(ys.at(static_cast<size_t>(b + i)));
            resultX.push_back(static_cast<double>(a + i));
        }
    }

    if (!FitLine(px, py, out.line)) return false;
    const double s = out.line.slope, c = out.line.intercept;
    auto rx = std::make_shared<CDataArray>();
    auto ry = std::make_shared<CDataArray>();
    for (size_t k = 0; k < px.size(); ++k) {
        if (!std::isfinite(px[k])) continue;
        rx->push_back(resultX[k]);
        ry->push_back(s * px[k] + c);
    }
    if (rx->size() < 2) return false;
    out.x = std::move(rx);
    out.y = std::move(ry);
    out.equation = FormatFitEquation(s, c);
    return true;
}

CString ShownFitEquation(const CDataTreeBrench& fit, const CDataTreeBrench* xSet,
                         int temperatureUnit, int pressureUnit) {
    const CString& made = fit.m_comment;
    if (fit.IsExperiment() || made.Find(kFitEquationPrefix) != 0) return made;
    if (xSet && xSet->IsExperiment()) return made;
    if (!Converts(&fit, temperatureUnit, pressureUnit) &&
        !Converts(xSet, temperatureUnit, pressureUnit))
        return made;
    const CDataArray& xs = *fit.m_x;
    const CDataArray& ys = *fit.m_y;
    const double interval = RateInfo(fit.m_rateCode).intervalSeconds;
    std::vector<double> px, py;
    for (size_t k = 0; k < std::min(xs.size(), ys.size()); ++k) {
        double x = xs[k] * interval;
        if (xSet) {
            // The line's x entries index the X data set's values.
            const double whole = std::trunc(xs[k]);
            if (!(whole >= 0 && whole < xSet->GetYCount())) continue;
            x = ToShownValue(xSet, (*xSet->m_y)[static_cast<size_t>(whole)], temperatureUnit,
                             pressureUnit);
        }
        px.push_back(x);
        py.push_back(ToShownValue(&fit, ys[k], temperatureUnit, pressureUnit));
    }
    LineFitStruct line;
    if (!FitLine(px, py, line)) return made;
    // The line must pass through every point, to the rounding of the conversion.
    double largest = 0, spread = 0;
    for (size_t k = 0; k < px.size(); ++k) {
        if (!Finite(px[k], py[k])) continue;
        const double expected = line.slope * px[k] + line.intercept;
        const double scale =
            std::fabs(py[k]) + std::fabs(line.slope * px[k]) + std::fabs(line.intercept);
        if (std::fabs(py[k] - expected) > kLineTolerance * scale) return made;
        largest = std::max(largest, std::fabs(py[k]));
        spread = std::max(spread, std::fabs(px[k] - px[0]));
    }
    // That rounding leaves no term where the line has none.
    if (std::fabs(line.intercept) <= kLineTolerance * largest) line.intercept = 0;
    if (std::fabs(line.slope) * spread <= kLineTolerance * largest) line.slope = 0;
    return CString::Formatted("%s %s", kFitEquationPrefix,
                              FormatFitEquation(line.slope, line.intercept));
}
