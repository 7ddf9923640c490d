// The basic Dorvik's calibrations. The curves between their fixed points are our own: the
// probes are linear enough there for a tenth of a degree.

#include "logger/calibration.h"

#include <algorithm>
#include <cmath>

namespace calibration {

// The external probe, -10 to 110 degrees: fixed points at both ends and around the middle, linear
// between them.
const double kTemperatureTableA[kTableSize] = {
    -10.0, -10.0, -10.0, -10.0, -10.0, -10.0, -10.0, -10.0, -9.5,  -9.0,  -8.5,  -8.0,  -7.5,
    -7.0,  -6.5,  -6.0,  -5.5,  -5.0,  -4.5,  -4.0,  -3.5,  -3.0,  -2.4,  -1.9,  -1.4,  -0.9,
    -0.4,  0.1,   0.6,   1.1,   1.6,   2.1,   2.6,   3.1,   3.6,   4.1,   4.6,   5.1,   5.6,
    6.1,   6.6,   7.1,   7.6,   8.1,   8.6,   9.1,   9.6,   10.1,  10.6,  11.1,  11.7,  12.2,
    12.7,  13.2,  13.7,  14.2,  14.7,  15.2,  15.7,  16.2,  16.7,  17.2,  17.7,  18.2,  18.7,
    19.2,  19.7,  20.2,  20.7,  21.2,  21.7,  22.2,  22.7,  23.2,  23.7,  24.2,  24.7,  25.2,
    25.8,  26.3,  26.8,  27.3,  27.8,  28.3,  28.8,  29.3,  29.8,  30.3,  30.8,  31.3,  31.8,
    32.3,  32.8,  33.3,  33.8,  34.3,  34.8,  35.3,  35.8,  36.3,  36.8,  37.3,  37.8,  38.3,
    38.8,  39.3,  39.9,  40.4,  40.9,  41.4,  41.9,  42.4,  42.9,  43.4,  43.9,  44.4,  44.9,
    45.4,  45.9,  46.4,  46.9,  47.3,  47.7,  48.1,  48.5,  48.9,  49.3,  49.8,  50.3,  50.8,
    51.3,  51.8,  52.3,  52.8,  53.3,  53.8,  54.3,  54.8,  55.3,  55.8,  56.3,  56.8,  57.3,
    57.8,  58.3,  58.8,  59.3,  59.8,  60.2,  60.7,  61.2,  61.7,  62.2,  62.7,  63.2,  63.7,
    64.2,  64.7,  65.2,  65.7,  66.2,  66.7,  67.2,  67.7,  68.2,  68.7,  69.2,  69.7,  70.2,
    70.7,  71.2,  71.7,  72.2,  72.7,  73.2,  73.7,  74.2,  74.7,  75.2,  75.7,  76.2,  76.7,
    77.2,  77.7,  78.2,  78.7,  79.2,  79.7,  80.1,  80.6,  81.1,  81.6,  82.1,  82.6,  83.1,
    83.6,  84.1,  84.6,  85.1,  85.6,  86.1,  86.6,  87.1,  87.6,  88.1,  88.6,  89.1,  89.6,
    90.1,  90.6,  91.1,  91.6,  92.1,  92.6,  93.1,  93.6,  94.1,  94.6,  95.1,  95.6,  96.1,
    96.6,  97.1,  97.6,  98.1,  98.6,  99.1,  99.6,  100.0, 100.5, 101.0, 101.5, 102.0, 102.5,
    103.0, 103.5, 104.0, 104.5, 105.0, 105.5, 106.0, 106.5, 107.0, 107.5, 108.0, 108.5, 109.0,
    109.5, 110.0, 110.0, 110.0, 110.0, 110.0, 110.0, 110.0, 110.0};

// The logger's own temperature sensor, falling with the raw value; filled in as table A.
const double kTemperatureTableB[kTableSize] = {
    40.0, 40.0, 40.0, 40.0, 40.0, 40.0, 40.0, 40.0, 39.9, 39.7, 39.6, 39.4, 39.3, 39.2, 39.0,
    38.9, 38.7, 38.6, 38.4, 38.3, 38.2, 38.0, 37.9, 37.7, 37.6, 37.5, 37.3, 37.2, 37.0, 36.9,
    36.7, 36.6, 36.5, 36.3, 36.2, 36.0, 35.9, 35.8, 35.6, 35.5, 35.3, 35.2, 35.0, 34.9, 34.8,
    34.6, 34.5, 34.3, 34.2, 34.1, 33.9, 33.8, 33.6, 33.5, 33.3, 33.2, 33.1, 32.9, 32.8, 32.6,
    32.5, 32.4, 32.2, 32.1, 31.9, 31.8, 31.6, 31.5, 31.4, 31.2, 31.1, 30.9, 30.8, 30.7, 30.5,
    30.4, 30.2, 30.1, 29.9, 29.8, 29.7, 29.5, 29.4, 29.2, 29.1, 29.0, 28.8, 28.7, 28.5, 28.4,
    28.2, 28.1, 28.0, 27.8, 27.7, 27.5, 27.4, 27.3, 27.1, 27.0, 26.8, 26.7, 26.5, 26.4, 26.3,
    26.1, 26.0, 25.8, 25.7, 25.6, 25.4, 25.3, 25.1, 25.0, 24.8, 24.7, 24.6, 24.4, 24.3, 24.1,
    24.0, 23.7, 23.5, 23.2, 23.0, 22.7, 22.3, 22.0, 21.8, 21.5, 21.3, 21.0, 20.8, 20.6, 20.3,
    20.1, 19.8, 19.6, 19.4, 19.1, 18.9, 18.6, 18.4, 18.2, 17.9, 17.7, 17.4, 17.2, 17.0, 16.7,
    16.5, 16.2, 16.0, 15.8, 15.5, 15.3, 15.0, 14.8, 14.6, 14.3, 14.1, 13.9, 13.6, 13.4, 13.1,
    12.9, 12.7, 12.4, 12.2, 11.9, 11.7, 11.5, 11.2, 11.0, 10.7, 10.5, 10.3, 10.0, 9.8,  9.5,
    9.3,  9.1,  8.8,  8.6,  8.3,  8.1,  7.9,  7.6,  7.4,  7.1,  6.9,  6.7,  6.4,  6.2,  5.9,
    5.7,  5.5,  5.2,  5.0,  4.7,  4.5,  4.3,  4.0,  3.8,  3.5,  3.3,  3.1,  2.8,  2.6,  2.3,
    2.1,  1.9,  1.6,  1.4,  1.1,  0.9,  0.7,  0.4,  0.2,  -0.0, -0.3, -0.5, -0.8, -1.0, -1.2,
    -1.5, -1.7, -2.0, -2.2, -2.4, -2.7, -2.9, -3.2, -3.4, -3.6, -3.9, -4.1, -4.4, -4.6, -4.8,
    -5.1, -5.3, -5.6, -5.8, -6.0, -6.3, -6.5, -6.8, -7.0, -7.4, -7.7, -8.0, -8.4, -8.8, -9.0,
    -10.5};

// The thermocouple's raw readings (in units of 4 x raw) at every 10 degrees from 0: its EMF
// curve scaled to the input's gain.
const DWORD kThermocoupleBreakpoints[kBreakpointCount] = {
    0,   7,   13,  20,  27,  33,  40,  47,  54,  61,  68,  74,  81,  88,  95,  101, 108,
    115, 121, 128, 134, 141, 148, 154, 161, 168, 174, 181, 188, 195, 201, 208, 215, 222,
    229, 236, 243, 250, 257, 264, 271, 278, 285, 292, 299, 306, 313, 320, 327, 334, 341,
    348, 355, 362, 369, 376, 383, 390, 397, 404, 411, 418, 425, 432, 439, 446, 453, 460,
    467, 474, 481, 488, 494, 501, 508, 515, 522, 529, 535, 542, 549, 556, 563, 569, 576,
    583, 589, 596, 603, 609, 616, 622, 629, 636, 642, 649, 655, 662, 668, 675, 681, 687,
    694, 700, 707, 713, 719, 726, 732, 738, 744, 751, 757, 763, 769, 775, 782, 788, 794,
    800, 806, 812, 818, 824, 830, 836, 842, 847, 853, 859, 865, 871, 876, 882, 888, 893};

// Segment k runs to breakpoint k + 1, at 10 (k + 1) degrees, with the slope of the segment after
// it; offsets rounded to three decimals, slopes to five.
const double kThermocoupleSlopes[kSegmentCount] = {
    1.66667, 1.42857, 1.42857, 1.66667, 1.42857, 1.42857, 1.42857, 1.42857, 1.42857, 1.66667,
    1.42857, 1.42857, 1.42857, 1.66667, 1.42857, 1.42857, 1.66667, 1.42857, 1.66667, 1.42857,
    1.42857, 1.66667, 1.42857, 1.42857, 1.66667, 1.42857, 1.42857, 1.42857, 1.66667, 1.42857,
    1.42857, 1.42857, 1.42857, 1.42857, 1.42857, 1.42857, 1.42857, 1.42857, 1.42857, 1.42857,
    1.42857, 1.42857, 1.42857, 1.42857, 1.42857, 1.42857, 1.42857, 1.42857, 1.42857, 1.42857,
    1.42857, 1.42857, 1.42857, 1.42857, 1.42857, 1.42857, 1.42857, 1.42857, 1.42857, 1.42857,
    1.42857, 1.42857, 1.42857, 1.42857, 1.42857, 1.42857, 1.42857, 1.42857, 1.42857, 1.42857,
    1.66667, 1.42857, 1.42857, 1.42857, 1.42857, 1.42857, 1.66667, 1.42857, 1.42857, 1.42857,
    1.42857, 1.66667, 1.42857, 1.42857, 1.66667, 1.42857, 1.42857, 1.66667, 1.42857, 1.66667,
    1.42857, 1.42857, 1.66667, 1.42857, 1.66667, 1.42857, 1.66667, 1.42857, 1.66667, 1.66667,
    1.42857, 1.66667, 1.42857, 1.66667, 1.66667, 1.42857, 1.66667, 1.66667, 1.66667, 1.42857,
    1.66667, 1.66667, 1.66667, 1.66667, 1.42857, 1.66667, 1.66667, 1.66667, 1.66667, 1.66667,
    1.66667, 1.66667, 1.66667, 1.66667, 1.66667, 2.0,     1.66667, 1.66667, 1.66667, 1.66667,
    2.0,     1.66667, 1.66667, 2.0,     1.66667, 1.66667, 1.51381};

const double kThermocoupleOffsets[kSegmentCount] = {
    1.667,    1.429,    1.429,    -5.0,     2.857,    2.857,    2.857,    2.857,    2.857,
    -13.333,  4.286,    4.286,    4.286,    -18.333,  5.714,    5.714,    -21.667,  7.143,
    -23.333,  8.571,    8.571,    -26.667,  10.0,     10.0,     -30.0,    11.429,   11.429,
    11.429,   -35.0,    12.857,   12.857,   12.857,   12.857,   12.857,   12.857,   12.857,
    12.857,   12.857,   12.857,   12.857,   12.857,   12.857,   12.857,   12.857,   12.857,
    12.857,   12.857,   12.857,   12.857,   12.857,   12.857,   12.857,   12.857,   12.857,
    12.857,   12.857,   12.857,   12.857,   12.857,   12.857,   12.857,   12.857,   12.857,
    12.857,   12.857,   12.857,   12.857,   12.857,   12.857,   12.857,   -103.333, 14.286,
    14.286,   14.286,   14.286,   14.286,   -111.667, 15.714,   15.714,   15.714,   15.714,
    -118.333, 17.143,   17.143,   -121.667, 18.571,   18.571,   -125.0,   20.0,     -126.667,
    21.429,   21.429,   -130.0,   22.857,   -131.667, 24.286,   -133.333, 25.714,   -135.0,
    -135.0,   28.571,   -136.667, 30.0,     -138.333, -138.333, 32.857,   -140.0,   -140.0,
    -140.0,   37.143,   -141.667, -141.667, -141.667, -141.667, 42.857,   -143.333, -143.333,
    -143.333, -143.333, -143.333, -143.333, -143.333, -143.333, -143.333, -143.333, -424.0,
    -141.667, -141.667, -141.667, -141.667, -432.0,   -140.0,   -140.0,   -436.0,   -138.333,
    -138.333, 0.0};

int FindSegment(double x) {
    const DWORD* end = kThermocoupleBreakpoints + kBreakpointCount;
    const auto i = static_cast<int>(
        std::lower_bound(kThermocoupleBreakpoints, end, x,
                         [](DWORD breakpoint, double value) { return breakpoint < value; }) -
        kThermocoupleBreakpoints);
    return i == 0 ? 0 : i - 1;
}

double ThermocoupleValue(BYTE raw) {
    const double x = 4.0 * raw;
    const int k = FindSegment(x);
    return x * kThermocoupleSlopes[k] + kThermocoupleOffsets[k];
}

double SoundLevel(BYTE raw) {
    return raw > 0 ? 20 * std::log10(double(raw)) + 56 : 0;
}

double FahrenheitToCelsius(double fahrenheit) {
    return (fahrenheit - 32) * 5 / 9;
}

}  // namespace calibration

// ---- heart rate

void CHeartRateDetector::Reset() {
    *this = CHeartRateDetector();
}

double CHeartRateDetector::Add(double raw, DWORD sample, double secondsPerSample) {
    if (sample == 0) Reset();
    std::copy(m_values + 1, m_values + kHistory, m_values);
    m_values[kHistory - 1] = raw;
    if (m_count < kHistory) ++m_count;
    if (m_count < kHistory) return 0;

    auto average = [this](int first) {
        double sum = 0;
        for (int i = first; i < first + kWindow; ++i)
            sum += m_values[i];
        return sum / kWindow;
    };
    const double oldest = average(0);
    const double middle = average(1);
    const double newest = average(2);
    if (newest < middle && middle >= oldest) {
        m_havePeak = true;
        m_peak = middle;
    } else if (newest > middle && middle <= oldest && m_havePeak &&
               m_peak - middle >= kMinimumSwing) {
        // Each peak gives one beat, however ragged the trough after it.
        m_havePeak = false;
        OnBeat(sample);
    }

    if (!(secondsPerSample > 0) || sample * secondsPerSample <= kSettlingSeconds ||
        m_intervals.empty())
        return 0;
    double sum = 0;
    for (double interval : m_intervals)
        sum += interval;
    const double mean = sum / double(m_intervals.size());
    return 60 / mean / secondsPerSample;
}

void CHeartRateDetector::OnBeat(DWORD sample) {
    if (!m_haveBeat) {
        m_haveBeat = true;
        m_lastBeat = sample;
        return;
    }
    const double interval = double(sample - m_lastBeat);
    if (!m_intervals.empty()) {
        double sum = 0;
        for (double i : m_intervals)
            sum += i;
        const double mean = sum / double(m_intervals.size());
        if (interval < mean / 2 || interval > mean * 1.5) {
            if (++m_rejections < kRejectionsToRestart) {
                // A beat too soon is noise: the next one is measured from the last good one.
                if (interval > mean * 1.5) m_lastBeat = sample;
                return;
            }
            m_intervals.clear();
        }
    }
    m_rejections = 0;
    m_intervals.push_back(interval);
    if (m_intervals.size() > kIntervalsKept) m_intervals.pop_front();
    m_lastBeat = sample;
}
