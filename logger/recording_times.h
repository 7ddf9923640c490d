#pragma once
// The sampling rates and recording times a logger model offers, and which recording times go with
// a rate: the lists the set-up view and the launch settings show. A recording time is a run
// length in samples, the period divided by the rate's interval, truncated.

#include "platform/base/cstring.h"
#include "platform/base/types.h"

namespace recording_times {

int RateCount(bool qk);
CString RateLabel(bool qk, int index);
// The interval between samples, in seconds.
double RateInterval(bool qk, int index);
// QK: codes 33..41 and 48..51; basic: 2 to the power of the index. A code of no entry gives 0; an
// index of no entry gives 41 on the QK model.
int RateCodeToIndex(bool qk, WORD code);
WORD RateIndexToCode(bool qk, int index);

int PeriodCount(bool qk);
CString PeriodLabel(bool qk, int index);
double Period(bool qk, int index);

// The first and last period index offered for a rate; on the basic model it also depends on the
// number of selected sensors (1..7; other counts keep first 0, last 8).
void RecordingTimeRange(bool qk, int rateIndex, int sensorCount, int& first, int& last);
// The entry of a run length in the list of the rate's recording times: the period equal to the
// run length times the interval, less the first index of the rate's range; 0 when none is equal.
int RecordingTimeIndex(bool qk, LONG runLength, int rateIndex);
// Run length of the period at `periodIndex` for the rate.
LONG RunLength(bool qk, int periodIndex, int rateIndex);

}  // namespace recording_times
