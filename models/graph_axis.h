#pragma once
// The arithmetic of the graph's axes: column extremes, the Y margin, the X window of a recording
// run, the bar offset, the replay pace, and the time axis' captions and label formats. No window
// code.

#include <optional>
#include <vector>

#include "logger/precise_time.h"
#include "platform/base/cstring.h"
#include "platform/base/types.h"

namespace graph_axis {

// Widens lo..hi by the values first..last-1 of a column of `size` values; `last` is clamped to
// the size, so a shorter column (the X data set of a Y-versus-X graph) is never read past its end.
void ColumnExtremes(const double* column, size_t size, LONG first, LONG last, double& lo,
                    double& hi);
// The margin of a fitted Y axis (0.9 each way); a range that is still empty becomes -1..1.
void AddMargin(double& lo, double& hi);

// Samples the X window of a recording run shows: 10, or 10 seconds' worth for the fast rates.
int ScrollWindow(WORD rateCode);

struct Range {
    double lo, hi;
};
// The X range of a recording run after `n` samples, from the axis' range before; nothing when it
// stays.
std::optional<Range> ScrollingXRange(int n, int window, Range current, bool scrollRun, bool bar);

// A bar stands centred on its sample, as wide as the first step between samples (1 when there
// is no step to take).
double BarWidth(const double* x, size_t n);

struct PlaybackRate {
    UINT periodMs;
    LONG pointsPerTick;
};
// A code the table lacks replays one point a second.
PlaybackRate PlaybackRateFor(WORD rateCode);

// "(" + the unit of time code 1..6 + ")", "()" for others. Code 1 is the micro sign.
CString GetTimeUnitCaption(int code);
// Days from 1899-12-30 to the start, to the second: the control's time origin.
double DaysSince1899(const CPreciseDateTime& start);
// The control's X label format for a time mode (4 minutes, 5 hours, 6 date), or "*%.3f" of the
// interval in display units.
CString TimeAxisLabelFormat(const CPreciseDateTime& start, double intervalSeconds,
                            double intervalUnits, int timeMode);
// The clock time of a sample: the start's time of day (whole seconds) plus the elapsed time,
// fraction of a second dropped. Modes 4 and 5 give a time of day on the base date, mode 6 a date
// from the start's; hours past 24 carry into the following days.
CPreciseDateTime SampleToDateTime(LONG sample, const CPreciseDateTime& start,
                                  double intervalSeconds, WORD timeMode);
// The value a data set (sample numbers and values, `count` of each, the numbers ascending as in
// every set) holds at a sample number; NaN when it holds none there. A set with a missing sample
// has its later values at earlier positions, so the number is looked up, not used as a position.
double ValueAtSample(const double* samples, const double* values, size_t count, double sample);
// The X coordinates of points `from` to `to` (exclusive) of a plot drawn against another data set:
// each point takes that set's value at the point's own sample number. A sample number the other
// set lacks (gapped, cropped or imported X) gives NaN, a gap; the length stays to - from.
std::vector<double> XValuesBySample(const double* xSetSamples, const double* xSetValues,
                                    size_t xSetCount, const double* sampleNumbers, size_t from,
                                    size_t to);
// A read-out text: value mode 1 the time of `first`, 2 the span from `first` to `second`.
CString TimeValueText(const CPreciseDateTime& start, double intervalSeconds, double intervalUnits,
                      int timeMode, int valueMode, LONG first, LONG second);

struct Promotion {
    WORD code;
    CString format;
};
// The coarser time label a run needs once its span (seconds) reaches the next unit's threshold.
std::optional<Promotion> PromoteTimeAxis(WORD code, double spanSeconds, double intervalSeconds,
                                         double intervalUnits, const CPreciseDateTime& start);

// The strip of the graph control under a point of its client area (width w, height h): 1 the X
// axis along the bottom 45 px, 2 the left Y axis 40 px wide, 3 the right Y axis 45 px wide (only
// with more than two axes), 0 the plot area.
int HitTestRegion(int x, int y, int w, int h, int axisCount);

// The mouse pointer over the control: the sizing arrows over the strips; in the plot area by the
// view's mode. The program's own pointers are the resources named.
enum class Pointer {
    kArrow,
    kSizeWE,
    kSizeNS,
    kSizeAll,
    kZoom243,
    kMove292,
    kMove291,
    kPredict181,
    kErase264
};
struct PointerModes {
    bool pan = false, zoom = false, predict = false, moveAnnotation = false,
         annotationSelected = false, erase = false;
};
Pointer PointerFor(int region, const PointerModes& modes);

}  // namespace graph_axis
