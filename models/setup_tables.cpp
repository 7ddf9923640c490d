#include "models/setup_tables.h"

#include <algorithm>
#include <array>

namespace setup_tables {
namespace {

constexpr std::array<const char*, 13> kQkRateLabels = {"Every hour",
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
constexpr std::array<long, 13> kQkIntervalMs = {
    3600000, 1800000, 900000, 300000, 60000, 30000, 15000, 5000, 1000, 200, 100, 50, 20};
constexpr std::array<const char*, 8> kBasicRateLabels = {
    "Every 30 minutes", "Every 10 minutes", "Every 2 minutes", "Every minute",
    "Every 10 seconds", "Every 2 seconds",  "Every second",    "10/s"};
constexpr std::array<long, 8> kBasicIntervalMs = {1800000, 600000, 120000, 60000,
                                                  10000,   2000,   1000,   100};

constexpr std::array<const char*, 18> kQkTimeLabels = {
    "10 Seconds", "20 Seconds", "50 Seconds", "100 Seconds", "3 Minutes", "10 Minutes",
    "15 Minutes", "30 Minutes", "1 Hours",    "2 Hours",     "4 Hours",   "8 Hours",
    "16 Hours",   "1 Day",      "3 Days",     "10 Days",     "20 Days",   "40 Days"};
constexpr std::array<long, 18> kQkPeriods = {10,    20,    50,     100,    180,     600,
                                             900,   1800,  3600,   7200,   14400,   28800,
                                             57600, 86400, 259200, 864000, 1728000, 3456000};
constexpr std::array<const char*, 9> kBasicTimeLabels = {"1 Minute", "10 Minute", "30 Minute",
                                                         "1 Hour",   "10 Hours",  "24 Hours",
                                                         "3 Days",   "30 Days",   "60 Days"};
constexpr std::array<long, 9> kBasicPeriods = {60,    600,    1800,    3600,   36000,
                                               86400, 259200, 2592000, 5184000};

constexpr std::array<Range, 13> kQkRanges = {{{11, 17},
                                              {10, 16},
                                              {9, 15},
                                              {7, 14},
                                              {5, 12},
                                              {4, 11},
                                              {3, 10},
                                              {2, 8},
                                              {0, 6},
                                              {0, 4},
                                              {0, 3},
                                              {0, 2},
                                              {0, 1}}};
// Last entry by basic rate index and sensor count 1..7; the first is 3, 2, 1 for the three
// slowest rates and 0 otherwise.
constexpr int kBasicLast[8][7] = {
    {8, 8, 7, 7, 7, 6, 6}, {7, 6, 6, 6, 6, 6, 6}, {6, 6, 6, 5, 5, 5, 5}, {6, 5, 5, 5, 5, 4, 4},
    {4, 4, 3, 3, 3, 3, 3}, {3, 3, 3, 3, 2, 2, 2}, {3, 3, 2, 2, 1, 1, 1}, {1, 0, 0, 0, 0, 0, 0}};
constexpr int kBasicFirst[8] = {3, 2, 1, 0, 0, 0, 0, 0};

template <typename A>
bool InTable(const A& table, int index) {
    return index >= 0 && index < static_cast<int>(table.size());
}

}  // namespace

int RateCount(bool qk) {
    return qk ? static_cast<int>(kQkRateLabels.size()) : static_cast<int>(kBasicRateLabels.size());
}

CString RateLabel(bool qk, int index) {
    if (qk) return InTable(kQkRateLabels, index) ? kQkRateLabels[index] : "";
    return InTable(kBasicRateLabels, index) ? kBasicRateLabels[index] : "";
}

int RateCodeToIndex(bool qk, int code) {
    for (int i = 0; i < RateCount(qk); ++i)
        if (RateIndexToCode(qk, i) == code) return i;
    return 0;
}

int RateIndexToCode(bool qk, int index) {
    if (qk) {
        if (index >= 0 && index <= 8) return 33 + index;
        if (index >= 9 && index <= 12) return 39 + index;
        return 41;
    }
    return InTable(kBasicRateLabels, index) ? 1 << index : 1;
}

long RateIntervalMs(bool qk, int index) {
    if (qk) return kQkIntervalMs[InTable(kQkIntervalMs, index) ? index : 0];
    return kBasicIntervalMs[InTable(kBasicIntervalMs, index) ? index : 0];
}

double RateInterval(bool qk, int index) {
    return RateIntervalMs(qk, index) / 1000.0;
}

int RecordingTimeCount(bool qk) {
    return qk ? static_cast<int>(kQkPeriods.size()) : static_cast<int>(kBasicPeriods.size());
}

CString RecordingTimeLabel(bool qk, int index) {
    if (qk) return InTable(kQkTimeLabels, index) ? kQkTimeLabels[index] : "";
    return InTable(kBasicTimeLabels, index) ? kBasicTimeLabels[index] : "";
}

long RecordingTimePeriod(bool qk, int index) {
    if (qk) return InTable(kQkPeriods, index) ? kQkPeriods[index] : 0;
    return InTable(kBasicPeriods, index) ? kBasicPeriods[index] : 0;
}

Range RecordingTimeRange(bool qk, int rateIndex, int sensors, Range preset) {
    if (qk) return InTable(kQkRanges, rateIndex) ? kQkRanges[rateIndex] : preset;
    if (rateIndex < 0 || rateIndex >= 8 || sensors < 1 || sensors > 7) return preset;
    return {kBasicFirst[rateIndex], kBasicLast[rateIndex][sensors - 1]};
}

unsigned long RunLengthFor(bool qk, int period, int rateIndex) {
    const long long ms = 1000LL * RecordingTimePeriod(qk, period);
    return static_cast<unsigned long>(ms / RateIntervalMs(qk, rateIndex));
}

std::vector<unsigned long> RunLengths(bool qk, Range range, int rateIndex) {
    std::vector<unsigned long> lengths;
    for (int i = range.first; i <= range.last; ++i)
        lengths.push_back(RunLengthFor(qk, i, rateIndex));
    return lengths;
}

int RecordingTimeIndex(bool qk, unsigned long runLength, int rateIndex, int lastEntry) {
    const long long t = static_cast<long long>(runLength) * RateIntervalMs(qk, rateIndex);
    for (int i = 0; i < RecordingTimeCount(qk); ++i) {
        if (1000LL * RecordingTimePeriod(qk, i) != t) continue;
        int first = 0;
        if (qk && rateIndex >= 0 && rateIndex <= 7) first = kQkRanges[rateIndex].first;
        if (!qk && rateIndex >= 0 && rateIndex <= 2) first = kBasicFirst[rateIndex];
        // A period below the rate's range would select an entry before the list's start.
        return std::clamp(i - first, 0, std::max(lastEntry, 0));
    }
    return 0;
}

CString RunLengthLabel(bool qk, unsigned long runLength, int rateIndex) {
    const long long ms = static_cast<long long>(runLength) * RateIntervalMs(qk, rateIndex);
    struct Unit {
        long long ms;
        const char* one;
        const char* many;
    };
    static constexpr Unit kUnits[] = {{86400000, "Day", "Days"},
                                      {3600000, "Hour", "Hours"},
                                      {60000, "Minute", "Minutes"},
                                      {1000, "Second", "Seconds"}};
    for (const Unit& u : kUnits)
        if (ms >= u.ms && ms % u.ms == 0) {
            const long long n = ms / u.ms;
            return CString::Formatted("%lld %s", n, n == 1 ? u.one : u.many);
        }
    // Below a second, or not a whole number of them: the seconds with the decimals they need.
    CString text = CString::Formatted("%.3f", static_cast<double>(ms) / 1000.0);
    while (text.GetLength() > 1 && text[text.GetLength() - 1] == '0')
        text = text.Left(text.GetLength() - 1);
    if (text[text.GetLength() - 1] == '.') text = text.Left(text.GetLength() - 1);
    return text + " Seconds";
}

RecordingTimeList RecordingTimes(bool qk, Range range, int rateIndex, unsigned long runLength) {
    RecordingTimeList list;
    for (int i = range.first; i <= range.last; ++i) {
        list.labels.push_back(RecordingTimeLabel(qk, i));
        list.lengths.push_back(RunLengthFor(qk, i, rateIndex));
    }
    if (runLength == 0) return list;
    const auto at = std::find(list.lengths.begin(), list.lengths.end(), runLength);
    if (at != list.lengths.end()) {
        list.selected = static_cast<int>(at - list.lengths.begin());
        return list;
    }
    // Every entry's length is proportional to its duration at one rate.
    const auto place = std::lower_bound(list.lengths.begin(), list.lengths.end(), runLength);
    const int index = static_cast<int>(place - list.lengths.begin());
    list.lengths.insert(place, runLength);
    list.labels.insert(list.labels.begin() + index, RunLengthLabel(qk, runLength, rateIndex));
    list.selected = list.own = index;
    return list;
}

}  // namespace setup_tables
