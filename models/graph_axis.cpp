#include "models/graph_axis.h"

#include <algorithm>
#include <cmath>

namespace graph_axis {

void ColumnExtremes(const double* column, size_t size, LONG first, LONG last, double& lo,
                    double& hi) {
    const auto end =
        static_cast<size_t>(std::clamp<LONGLONG>(last, 0, static_cast<LONGLONG>(size)));
    for (size_t i = static_cast<size_t>(std::max<LONG>(first, 0)); i < end; ++i) {
        const double v = column[i];
        if (v > hi) hi = v;
        if (v < lo) lo = v;
    }
}

void AddMargin(double& lo, double& hi) {
    hi = hi > 0 ? hi / 0.9 : hi * 0.9;
    lo = lo > 0 ? lo * 0.9 : lo / 0.9;
    if (!(hi > lo)) lo = -1, hi = 1;
}

int ScrollWindow(WORD rateCode) {
    const bool fast = rateCode == 32 || rateCode == 64 || rateCode == 128 || rateCode == 255 ||
                      (rateCode >= 41 && rateCode <= 51);
    if (!fast) return 10;
    const double interval = [&] {
        switch (rateCode) {
            case 32:
                return 2.0;
            case 41:
            case 64:
                return 1.0;
            case 48:
                return 0.2;
            case 49:
            case 128:
                return 0.1;
            case 50:
                return 0.05;
            case 51:
                return 0.02;
            case 255:
                return 0.001;
            default:
                return 0.0;  // 42-47 have no time base
        }
    }();
    if (interval <= 0) return 10;
    // The small step keeps 10 / 0.02 from landing just under 500.
    return static_cast<int>(10.0 / interval + 1e-9);
}

std::optional<Range> ScrollingXRange(int n, int window, Range current, bool scrollRun, bool bar) {
    const double w = window;
    auto sliding = [&]() -> Range {
        return n <= window ? Range{0, w} : Range{double(n - 1 - window), double(n - 1)};
    };
    if (bar) {
        if (scrollRun) return sliding();
        if (n < window) return Range{0, w};
        if (n >= current.hi) return Range{current.lo, 2.0 * n};
        return std::nullopt;
    }
    std::optional<Range> r;
    if (n < window) r = Range{0, w};
    if (n >= current.hi) r = scrollRun ? sliding() : Range{current.lo, 2.0 * n};
    return r;
}

double BarWidth(const double* x, size_t n) {
    const double w = n >= 2 ? x[1] - x[0] : 0;
    return std::isfinite(w) && w > 0 ? w : 1;
}

PlaybackRate PlaybackRateFor(WORD code) {
    switch (code) {
        case 16:
            return {10000, 1};
        case 32:
            return {2000, 1};
        case 39:
            return {15000, 1};
        case 48:
            return {200, 1};
        case 40:
        case 49:
        case 128:
            return {200, 2};
        case 50:
            return {200, 4};
        case 51:
            return {200, 10};
        case 255:
            return {200, 200};
        default:
            // 0, 1, 2, 4, 8, 33-38, 41, 64, and codes of imported files the table lacks.
            return {1000, 1};
    }
}

CString GetTimeUnitCaption(int code) {
    static const char* const kUnits[] = {"\xC2\xB5", "ms", "s", "mm:ss", "hh:mm:ss", "Date"};
    if (code < 1 || code > 6) return "()";
    return CString("(") + kUnits[code - 1] + ")";
}

double DaysSince1899(const CPreciseDateTime& start) {
    if (start.GetStatus() != CPreciseDateTime::valid) return 0;
    const CPreciseDateTime epoch(1899, 12, 30, 0, 0, 0);
    const LONGLONG seconds = (start - epoch).GetTicks() / CPreciseTimeSpan::kTicksPerSecond;
    return static_cast<double>(seconds) / 86400.0;
}

CString TimeAxisLabelFormat(const CPreciseDateTime& start, double intervalSeconds,
                            double intervalUnits, int timeMode) {
    const double d = DaysSince1899(start);
    switch (timeMode) {
        case 4:
            return CString::Formatted("nn:ss*%.10f+%.10f", intervalSeconds / 86400.0, d);
        case 5:
            return CString::Formatted("hh:nn:ss*%.10f+%.10f", intervalUnits / 24.0, d);
        case 6:
            return CString::Formatted("%s hh:nn:ss*%.10f+%.10f", "dd-mm-yy",
                                      intervalSeconds / 86400.0, d);
        default:
            return CString::Formatted("*%.3f", intervalUnits);
    }
}

CPreciseDateTime SampleToDateTime(LONG sample, const CPreciseDateTime& start,
                                  double intervalSeconds, WORD timeMode) {
    double t = sample * intervalSeconds;
    t += start.GetHour() * 3600 + start.GetMinute() * 60 + start.GetSecond();
    // Whole seconds added to the base date carry hours past 24 (and negative times) into the
    // days as setting hour, minute and second one by one would.
    const auto whole = std::isfinite(t) ? static_cast<LONGLONG>(std::clamp(t, -1e11, 1e11)) : 0;
    CPreciseDateTime result(timeMode == 6 ? start.GetYear() : 1601,
                            timeMode == 6 ? start.GetMonth() : 1,
                            timeMode == 6 ? start.GetDay() : 1, 0, 0, 0);
    result = result + CPreciseTimeSpan(whole * CPreciseTimeSpan::kTicksPerSecond);
    return result;
}

namespace {

// The position of sample number k (whole) in an ascending column, or `count` when it is not there;
// `hint` is tried first, then the position k itself (a set with no gap before k).
size_t FindSample(const double* samples, size_t count, double k, size_t hint) {
    if (hint < count && std::trunc(samples[hint]) == k) return hint;
    if (k < static_cast<double>(count)) {
        const auto at = static_cast<size_t>(k);
        if (std::trunc(samples[at]) == k) return at;
    }
    const double* end = samples + count;
    const double* it =
        std::lower_bound(samples, end, k, [](double s, double v) { return std::trunc(s) < v; });
    return it != end && std::trunc(*it) == k ? static_cast<size_t>(it - samples) : count;
}

}  // namespace

double ValueAtSample(const double* samples, const double* values, size_t count, double sample) {
    const double k = std::trunc(sample);
    if (!std::isfinite(k) || k < 0) return std::nan("");
    const size_t at = FindSample(samples, count, k, count);
    return at < count ? values[at] : std::nan("");
}

std::vector<double> XValuesBySample(const double* xSetSamples, const double* xSetValues,
                                    size_t xSetCount, const double* sampleNumbers, size_t from,
                                    size_t to) {
    std::vector<double> x;
    x.reserve(to > from ? to - from : 0);
    size_t next = 0;  // successive points usually take successive entries
    for (size_t i = from; i < to; ++i) {
        const double k = std::trunc(sampleNumbers[i]);
        const size_t at =
            std::isfinite(k) && k >= 0 ? FindSample(xSetSamples, xSetCount, k, next) : xSetCount;
        if (at < xSetCount) {
            x.push_back(xSetValues[at]);
            next = at + 1;
        } else {
            x.push_back(std::nan(""));
        }
    }
    return x;
}

CString TimeValueText(const CPreciseDateTime& start, double intervalSeconds, double intervalUnits,
                      int timeMode, int valueMode, LONG first, LONG second) {
    if (valueMode == 2) {
        const double span = (second - first) * intervalSeconds;
        const auto s = static_cast<LONGLONG>(std::fabs(span));
        if (timeMode == 4)
            return CString::Formatted("%02d:%02d", static_cast<int>(s / 60),
                                      static_cast<int>(s % 60));
        if (timeMode == 5 || timeMode == 6)
            return CString::Formatted("%02d:%02d:%02d", static_cast<int>(s / 3600),
                                      static_cast<int>(s % 3600 / 60), static_cast<int>(s % 60));
        return CString::Formatted("%.3f", (second - first) * intervalUnits);
    }
    if (timeMode >= 4 && timeMode <= 6) {
        const CPreciseDateTime t = SampleToDateTime(first, start, intervalSeconds, 6);
        if (timeMode == 4) return CString::Formatted("%02d:%02d", t.GetMinute(), t.GetSecond());
        if (timeMode == 5)
            return CString::Formatted("%02d:%02d:%02d", t.GetHour(), t.GetMinute(), t.GetSecond());
        return CString::Formatted("%02d-%02d-%02d %02d:%02d:%02d", t.GetDay(), t.GetMonth(),
                                  t.GetYear() % 100, t.GetHour(), t.GetMinute(), t.GetSecond());
    }
    return CString::Formatted("%.3f", first * intervalUnits);
}

std::optional<Promotion> PromoteTimeAxis(WORD code, double span, double intervalSeconds,
                                         double intervalUnits, const CPreciseDateTime& start) {
    if (code == 2 && span >= 1.0)
        return Promotion{3, CString::Formatted("*%f", 0.001 * intervalUnits)};
    if (code == 4 && span >= 216000.0)
        return Promotion{5, CString::Formatted("hh:nn:ss*%.10f+%.10f", intervalSeconds / 86400.0,
                                               DaysSince1899(start))};
    if (code == 5 && span >= 5184000.0)
        return Promotion{6, TimeAxisLabelFormat(start, intervalSeconds, intervalUnits, 6)};
    return std::nullopt;
}

int HitTestRegion(int x, int y, int w, int h, int axisCount) {
    if (y > h - 45) return 1;
    if (x < 40 && y < h) return 2;
    if (w - 45 < x && x < w && y < h - 45 && axisCount > 2) return 3;
    return 0;
}

Pointer PointerFor(int region, const PointerModes& m) {
    switch (region) {
        case 1:
            return Pointer::kSizeWE;
        case 2:
        case 3:
            return Pointer::kSizeNS;
        default:
            break;
    }
    if (m.pan) return Pointer::kSizeAll;
    if (m.zoom) return Pointer::kZoom243;
    if (!m.predict && !m.moveAnnotation) return Pointer::kArrow;
    if (m.moveAnnotation) return m.annotationSelected ? Pointer::kMove291 : Pointer::kMove292;
    return m.erase ? Pointer::kErase264 : Pointer::kPredict181;
}

}  // namespace graph_axis
