#pragma once
// Conversions of raw sensor readings that need no logger object: the basic Dorvik's temperature
// tables and thermocouple curve, its sound level, the Fahrenheit probes, and the pulse sensor's
// heart-rate detector.

#include <deque>

#include "platform/base/types.h"

namespace calibration {

constexpr int kTableSize = 256;
constexpr int kBreakpointCount = 136;
constexpr int kSegmentCount = 137;

// Indexed by the raw byte, in degrees Celsius.
extern const double kTemperatureTableA[kTableSize];  // the -10 to 110 degree probe, rising
extern const double kTemperatureTableB[kTableSize];  // the logger's own sensor, falling
// The 0 to 1250 degree thermocouple: ascending breakpoints in units of 4 x raw, and a slope and
// an offset per segment.
extern const DWORD kThermocoupleBreakpoints[kBreakpointCount];
extern const double kThermocoupleSlopes[kSegmentCount];
extern const double kThermocoupleOffsets[kSegmentCount];

// The segment of the thermocouple curve for x (= 4 x raw): one before the first breakpoint at or
// above x (the last breakpoint's index when none is), 0 at or below the first.
int FindSegment(double x);
double ThermocoupleValue(BYTE raw);
// 20 log10(raw) + 56 decibels; 0 for raw 0.
double SoundLevel(BYTE raw);
double FahrenheitToCelsius(double fahrenheit);

}  // namespace calibration

// The heart rate of a pulse sensor, from its raw readings given once per sample in order. Beats
// are the troughs of the readings smoothed over five samples that follow a peak at least
// kMinimumSwing above them. Sample 0 starts afresh.
class CHeartRateDetector {
public:
    static constexpr int kWindow = 5;             // samples per moving average
    static constexpr int kHistory = kWindow + 2;  // three overlapping windows
    static constexpr double kMinimumSwing = 26;   // raw units, 10-bit
    static constexpr double kSettlingSeconds = 5;
    static constexpr size_t kIntervalsKept = 5;
    // Intervals outside half to one and a half times the mean are taken for noise or a missed
    // beat; this many of them in a row mean the rate itself changed.
    static constexpr int kRejectionsToRestart = 3;

    // Beats per minute so far: 0 for the first seconds of a run and until two beats are known.
    double Add(double raw, DWORD sample, double secondsPerSample);
    void Reset();

private:
    void OnBeat(DWORD sample);

    double m_values[kHistory] = {};
    int m_count = 0;
    bool m_havePeak = false;  // a peak since the last beat
    double m_peak = 0;
    bool m_haveBeat = false;
    DWORD m_lastBeat = 0;
    std::deque<double> m_intervals;  // in samples, the newest last
    int m_rejections = 0;
};
