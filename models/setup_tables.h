#pragma once
// The sampling tables of both logger models: rate lists, recording times and the ranges a rate
// allows. Shared by the set-up window and the launch settings. No widget here.

#include <vector>

#include "platform/base/cstring.h"

namespace setup_tables {

// The allowed recording-time entries for a rate, both ends inclusive.
struct Range {
    int first = 0;
    int last = 0;
    bool operator==(const Range&) const = default;
};

int RateCount(bool qk);
// "" outside the list.
CString RateLabel(bool qk, int index);
// Any code outside the model's table gives index 0.
int RateCodeToIndex(bool qk, int code);
// QK: an index outside the table gives 41. Basic: 2 to the power of the index (index 0 outside).
int RateIndexToCode(bool qk, int index);
// Sampling interval of a rate index in milliseconds; every listed interval is a whole number of
// them, so run lengths come out exact. An index outside the table takes entry 0's.
long RateIntervalMs(bool qk, int index);
double RateInterval(bool qk, int index);

int RecordingTimeCount(bool qk);
CString RecordingTimeLabel(bool qk, int index);
// In seconds; 0 outside the table.
long RecordingTimePeriod(bool qk, int index);

// QK: by the rate alone. Basic: by the rate and the number of selected sensors; with no sensor or
// more than seven, or a rate outside the table, `preset` stays.
Range RecordingTimeRange(bool qk, int rateIndex, int sensors, Range preset);
// Samples in the period of entry `period` at rate index `rateIndex`, truncated.
unsigned long RunLengthFor(bool qk, int period, int rateIndex);
// The run lengths of the entries `range` offers at `rateIndex`.
std::vector<unsigned long> RunLengths(bool qk, Range range, int rateIndex);
// The list entry of a run length: the period equal to run length x interval, less the first
// entry of the rate's range. No equal period gives 0; the result is kept within 0..lastEntry.
int RecordingTimeIndex(bool qk, unsigned long runLength, int rateIndex, int lastEntry);

// The length of a run of `runLength` samples at `rateIndex` in the lists' words: "10 Seconds",
// "1 Minute", "90 Minutes", "0.5 Seconds".
CString RunLengthLabel(bool qk, unsigned long runLength, int rateIndex);

// What a recording-time list shows: the entries `range` offers at `rateIndex`, and, when no
// entry holds `runLength` samples, that length as an entry of its own, in its place by duration,
// so that the list shows what will be recorded. `selected` is the entry holding `runLength`; a
// length of 0 adds nothing and selects the first entry.
struct RecordingTimeList {
    std::vector<CString> labels;
    std::vector<unsigned long> lengths;
    int selected = 0;
    // -1 when every entry is a standard one.
    int own = -1;
};
RecordingTimeList RecordingTimes(bool qk, Range range, int rateIndex, unsigned long runLength);

}  // namespace setup_tables
