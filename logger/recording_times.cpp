#include "logger/recording_times.h"

#include <cmath>

namespace recording_times {
namespace {

struct Rate {
    const char* label;
    WORD code;
    double interval;
};

constexpr Rate kQkRates[] = {
    {"Every hour", 33, 3600},
    {"Every 30 minutes", 34, 1800},
    {"Every 15 minutes", 35, 900},
    {"Every 5 minutes", 36, 300},
    {"Every minute", 37, 60},
    {"Every 30 seconds", 38, 30},
    {"Every 15 seconds", 39, 15},
    {"Every 5 seconds", 40, 5},
    {"Every second", 41, 1},
    {"5/s", 48, 0.2},
    {"10/s", 49, 0.1},
    {"20/s", 50, 0.05},
    {"50/s", 51, 0.02},
};
constexpr Rate kBasicRates[] = {
    {"Every 30 minutes", 1, 1800}, {"Every 10 minutes", 2, 600}, {"Every 2 minutes", 4, 120},
    {"Every minute", 8, 60},       {"Every 10 seconds", 16, 10}, {"Every 2 seconds", 32, 2},
    {"Every second", 64, 1},       {"10/s", 128, 0.1},
};

struct PeriodEntry {
    const char* label;
    double seconds;
};

constexpr PeriodEntry kQkPeriods[] = {
    {"10 Seconds", 10},   {"20 Seconds", 20},   {"50 Seconds", 50},  {"100 Seconds", 100},
    {"3 Minutes", 180},   {"10 Minutes", 600},  {"15 Minutes", 900}, {"30 Minutes", 1800},
    {"1 Hours", 3600},    {"2 Hours", 7200},    {"4 Hours", 14400},  {"8 Hours", 28800},
    {"16 Hours", 57600},  {"1 Day", 86400},     {"3 Days", 259200},  {"10 Days", 864000},
    {"20 Days", 1728000}, {"40 Days", 3456000},
};
constexpr PeriodEntry kBasicPeriods[] = {
    {"1 Minute", 60},   {"10 Minute", 600},   {"30 Minute", 1800},
    {"1 Hour", 3600},   {"10 Hours", 36000},  {"24 Hours", 86400},
    {"3 Days", 259200}, {"30 Days", 2592000}, {"60 Days", 5184000},
};

constexpr int kQkRange[][2] = {{11, 17}, {10, 16}, {9, 15}, {7, 14}, {5, 12}, {4, 11}, {3, 10},
                               {2, 8},   {0, 6},   {0, 4},  {0, 3},  {0, 2},  {0, 1}};
// [rate index][sensors - 1]: the last index; the first is the row's.
constexpr int kBasicFirst[] = {3, 2, 1, 0, 0, 0, 0, 0};
constexpr int kBasicLast[][7] = {
    {8, 8, 7, 7, 7, 6, 6}, {7, 6, 6, 6, 6, 6, 6}, {6, 6, 6, 5, 5, 5, 5}, {6, 5, 5, 5, 5, 4, 4},
    {4, 4, 3, 3, 3, 3, 3}, {3, 3, 3, 3, 2, 2, 2}, {3, 3, 2, 2, 1, 1, 1}, {1, 0, 0, 0, 0, 0, 0},
};

template <class T, size_t N>
constexpr int Count(const T (&)[N]) {
    return static_cast<int>(N);
}

const Rate* RateAt(bool qk, int index) {
    if (index < 0 || index >= RateCount(qk)) return nullptr;
    return qk ? &kQkRates[index] : &kBasicRates[index];
}

const PeriodEntry* PeriodAt(bool qk, int index) {
    if (index < 0 || index >= PeriodCount(qk)) return nullptr;
    return qk ? &kQkPeriods[index] : &kBasicPeriods[index];
}

}  // namespace

int RateCount(bool qk) {
    return qk ? Count(kQkRates) : Count(kBasicRates);
}

CString RateLabel(bool qk, int index) {
    const Rate* r = RateAt(qk, index);
    return r ? CString(r->label) : CString();
}

double RateInterval(bool qk, int index) {
    const Rate* r = RateAt(qk, index);
    return r ? r->interval : RateAt(qk, 0)->interval;
}

int RateCodeToIndex(bool qk, WORD code) {
    for (int i = 0; i < RateCount(qk); ++i)
        if (RateAt(qk, i)->code == code) return i;
    return 0;
}

WORD RateIndexToCode(bool qk, int index) {
    const Rate* r = RateAt(qk, index);
    if (r) return r->code;
    return qk ? WORD(41) : WORD(1);
}

int PeriodCount(bool qk) {
    return qk ? Count(kQkPeriods) : Count(kBasicPeriods);
}

CString PeriodLabel(bool qk, int index) {
    const PeriodEntry* p = PeriodAt(qk, index);
    return p ? CString(p->label) : CString();
}

double Period(bool qk, int index) {
    const PeriodEntry* p = PeriodAt(qk, index);
    return p ? p->seconds : 0;
}

void RecordingTimeRange(bool qk, int rateIndex, int sensorCount, int& first, int& last) {
    if (qk) {
        if (rateIndex < 0 || rateIndex >= Count(kQkRange)) rateIndex = 0;
        first = kQkRange[rateIndex][0];
        last = kQkRange[rateIndex][1];
        return;
    }
    first = 0;
    last = 8;
    if (rateIndex < 0 || rateIndex >= Count(kBasicFirst) || sensorCount < 1 || sensorCount > 7)
        return;
    first = kBasicFirst[rateIndex];
    last = kBasicLast[rateIndex][sensorCount - 1];
}

int RecordingTimeIndex(bool qk, LONG runLength, int rateIndex) {
    const double t = static_cast<double>(runLength) * RateInterval(qk, rateIndex);
    for (int i = 0; i < PeriodCount(qk); ++i)
        if (Period(qk, i) == t) {
            int first = 0, last = 0;
            RecordingTimeRange(qk, rateIndex, 1, first, last);
            return i - first;
        }
    return 0;
}

LONG RunLength(bool qk, int periodIndex, int rateIndex) {
    return static_cast<LONG>(std::trunc(Period(qk, periodIndex) / RateInterval(qk, rateIndex)));
}

}  // namespace recording_times
