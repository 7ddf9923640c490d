#include "analysis/linear_fit.h"

#include <algorithm>
#include <cmath>

#include "analysis/index_range.h"
#include "logger/helpers.h"
#include "models/graph_axis.h"

namespace {

bool Finite(double x, double y) {
    return std::isfinite(x) && std::isfinite(y);
}

// The samples a data set holds in both its series.
int SampleCount(const CDataTreeBrench& set) {
    return std::min(set.GetXCount(), set.GetYCount());
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
    if (last - first + 1 < 2) return false;

    const CDataArray& ys = *set.m_y;
    const CDataArray& xs = *set.m_x;
    // Where each index of the range reads: pairs (x, y) and the result's X entry, its sample
    // number. Against an X data set a point takes that set's value of its own sample number; one
    // the set lacks gives no pair.
    std::vector<double> px, py, resultX;
    const size_t xSetCount = xSet ? std::min(xSet->m_x->size(), xSet->m_y->size()) : 0;
    for (int i = first; i <= last; ++i) {
        const auto k = static_cast<size_t>(i);
        if (xSet) {
            px.push_back(graph_axis::ValueAtSample(xSet->m_x->data(), xSet->m_y->data(), xSetCount,
                                                   xs.at(k)));
            resultX.push_back(std::trunc(xs.at(k)));
        } else {
            px.push_back(xs.at(k) * interval);
            resultX.push_back(xs.at(k));
        }
        py.push_back(ys.at(k));
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
            // The line's x entries are sample numbers, read in the X data set.
            const double v =
                graph_axis::ValueAtSample(xSet->m_x->data(), xSet->m_y->data(),
                                          std::min(xSet->m_x->size(), xSet->m_y->size()), xs[k]);
            if (!std::isfinite(v)) continue;
            x = ToShownValue(xSet, v, temperatureUnit, pressureUnit);
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
