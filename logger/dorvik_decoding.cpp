// Turning the QK's records, snapshots and sensor descriptions into channel records and values.
//
// Not built yet beyond the run's bounds: a run record starts the run at its first sample and ends
// it at the run length; its values, the snapshot, the sensor descriptions and the timing events
// are still dropped.

#include "logger/dorvik.h"
#include "logger/logger_messages.h"

void CDorvik::StoreQKSample(const BYTE* record) {
    const int sample = (record[0] & 63) * 16 + (record[1] >> 4) - 1;
    if (sample < 0) return;
    m_sampleCounter = DWORD(sample);
    if (sample == 0) {
        m_startTime = CPreciseDateTime(LocalTimeNow());
        BeginRun(m_channelCount, kLiveRun);
    }
    if (DWORD(sample) + 1 == m_runLength) SendToHost(UM_RUN_ENDED);
}

void CDorvik::DecodeSensorInfo(const BYTE* /*body*/, DWORD /*length*/, BYTE /*channel*/,
                               BYTE /*setIndex*/) {}

void CDorvik::DecodeQKSnapshot(const BYTE* /*body*/, DWORD /*length*/) {}

void CDorvik::StoreTimingEvent(const BYTE* /*record*/) {}

void CDorvik::StoreBasicRunRecord(const BYTE* /*record*/) {}

void CDorvik::StoreLiveValues(const BYTE* /*record*/) {}

double CDorvik::RawToValue(int /*channel*/, BYTE /*raw*/) {
    return 0;
}
