// Downloads of the QK's stored sets (one data read per channel, or one timing read) and of the
// basic model's stored run (numbered 256-byte blocks), with the download timer that watches them.
//
// Every download ends once: with its run built, or without data (REFRESH_RUN, RUN_ENDED and the
// progress closed), the user told "Download Failed" unless the user cancelled it or the link was
// lost, which is told instead. A stream that is still arriving when its download ends is
// swallowed in frame, so that none of its bytes is taken for the start of another answer.

#include <algorithm>
#include <cstring>

#include "analysis/timing_measurement.h"
#include "logger/dorvik.h"
#include "logger/logger_messages.h"
#include "logger/settings.h"
#include "platform/msg/message_loop.h"
#include "platform/msg/wnd.h"

namespace {

constexpr DWORD kHeaderLength = 24;
constexpr DWORD kTimingRecordLength = 5;
constexpr DWORD kBlockData = 256;
constexpr BYTE kKeepEnabledKind = 2;  // a set whose stored channels keep their enabled flags
constexpr BYTE kHeartRateSensor = 3;

}  // namespace

// ---- the download timer

void CDorvik::StartDownloadTimer() {
    m_lastByteTime = GetTickCount64();
    m_downloadWriteSeen = m_ring.WriteIndex();
    if (!m_downloadTimerOn) {
        CWnd* host = Host();
        if (host && host->SetTimer(kDownloadTimer, kDownloadPeriodMs))
            m_downloadTimerOn = 1;
        else
            PostTimerFailure(true);
    }
    m_downloadStop = 0;
    m_downloadFailed = 0;
    if (m_setDownloadFinished) {
        m_downloadBuffer.clear();
        m_downloadBuffer.shrink_to_fit();
    }
    m_setDownloadFinished = 0;
    m_blocksTaken = 0;
    m_blockCount = 0;
}

void CDorvik::NoteDownloadBytes() {
    if (m_ring.WriteIndex() == m_downloadWriteSeen) return;
    m_downloadWriteSeen = m_ring.WriteIndex();
    m_lastByteTime = GetTickCount64();
}

void CDorvik::OnDownloadTimer() {
    // Cancelled or failed: ended at once. The stream may still be arriving; it stays in frame and
    // its blocks are dropped from now on.
    if (!m_setDownloadFinished && (m_downloadStop || m_downloadFailed))
        EndDownloadWithoutData(m_downloadFailed != 0);
    if (GetTickCount64() - m_lastByteTime <= kDownloadSilenceMs) return;
    StopDownloadTimer();
    if (!m_setDownloadFinished) {
        ResetAnswerMachine();
        EndDownloadWithoutData(true);
    } else if (m_answerState == BASIC_DOWNLOAD || m_answerState == WAIT_FOR_TIMING_DOWNLOAD_DATA) {
        ResetAnswerMachine();  // a swallowed stream that stopped short
    }
}

void CDorvik::StopDownloadTimer() {
    if (!m_downloadTimerOn) return;
    if (CWnd* host = Host()) host->KillTimer(kDownloadTimer);
    m_downloadTimerOn = 0;
}

void CDorvik::EndDownloadWithoutData(bool tellUser) {
    m_downloadBuffer.clear();
    m_downloadBuffer.shrink_to_fit();
    m_setDownloadFinished = 1;
    SendToHost(UM_REFRESH_RUN);
    SendToHost(UM_RUN_ENDED);
    SendToHost(UM_FETCH_PROGRESS, 0, 0);
    if (tellUser) PostUserMessage(kDownloadFailedText);
    m_downloadStop = 1;
}

void CDorvik::EndEmptyDownload() {
    StopCommandTimer();
    m_downloadBuffer.clear();
    m_setDownloadFinished = 1;
    m_downloadStop = 1;  // whatever still comes of it is dropped
    SendToHost(UM_RUN_ENDED);
    PostUserMessage(kDataSetEmptyText);
}

void CDorvik::AbortSetDownload() {
    StopCommandTimer();
    // The rest of a data answer under way is swallowed, not read as new answers.
    if (m_setDataStarted)
        m_setDataDiscard = 1;
    else
        ResetAnswerMachine();
    m_setDownloadFinished = 1;
    SendToHost(UM_REFRESH_RUN);
    SendToHost(UM_RUN_ENDED);
    SendToHost(UM_FETCH_PROGRESS, 0, 0);
    if (!m_downloadStop) PostUserMessage(kDownloadFailedText);
    m_downloadStop = 1;
}

// ---- QK stored sets

void CDorvik::ParseDataHeader(BYTE setIndex, const BYTE* body, DWORD length) {
    if (setIndex >= kStoredSets || !body || length < kHeaderLength) return;
    DataSetHeaderStruct& h = m_dataSetHeaders[setIndex];
    h.startTime = CPreciseDateTime(2000 + body[0], body[1], body[2], body[3], body[4], body[5]);
    h.mode = (body[12] >> 4) & 3;
    h.kind = body[13];
    if (h.mode == 1) {
        h.periodSeconds = 1;
        h.rateCode = 0;
    } else {
        h.periodSeconds = DecodeQKPeriod(body[15], body[16]);
        h.rateCode = SecondsToRateCode(h.periodSeconds);
    }
    h.mask = body[19];
    h.sampleCount = (DWORD(body[22]) << 8) | body[23];
}

// What is plugged in now says nothing of what the set was recorded with.
bool CDorvik::IsStoredChannelAbsent(int channel) const {
    return channel >= 0 && channel < kChannels && m_storedChannels[channel].absent != 0;
}

void CDorvik::PlanSetDownload(BYTE setIndex) {
    if (setIndex >= kStoredSets) return;
    StopCommandTimer();
    // The data reads are watched by the command timer: the download timer of a block or timing
    // download that ended just before must not judge this one.
    StopDownloadTimer();
    m_downloadFailed = 0;
    m_setDownloadFinished = 0;
    m_downloadStop = 0;
    DataSetHeaderStruct& h = m_dataSetHeaders[setIndex];
    h.channelCount = 0;
    std::fill(std::begin(h.readOrder), std::end(h.readOrder), BYTE(0));
    for (int ch = 0; ch < kChannels; ++ch) {
        ChannelInfoStruct& stored = m_storedChannels[ch];
        if (h.kind != kKeepEnabledKind) stored.enabled = IsStoredChannelAbsent(ch) ? 0 : 1;
        if ((ch == 3 && !m_hasChannel3) || (ch == 4 && !m_hasChannel4)) stored.enabled = 0;
        if (stored.enabled && ((h.mask >> ch) & 1) && h.sampleCount > 0) {
            stored.read = 0;
            h.readOrder[h.channelCount++] = BYTE(ch);
        } else {
            stored.enabled = 0;
        }
    }
    // Nothing to read: a run that nothing would end, and a last sample of -1.
    if (h.channelCount == 0) {
        EndEmptyDownload();
        return;
    }
    for (int i = 0; i < h.channelCount; ++i)
        QueueQKReadData(setIndex, h.readOrder[i], 0, static_cast<WORD>(h.sampleCount - 1));
    SendToHost(UM_FETCH_PROGRESS, 1, h.channelCount);
    SendToHost(UM_FETCH_PROGRESS, 2, 0);
    // The arrays exist before the first answer can come.
    m_startTime = h.startTime;
    BeginRun(h.channelCount, kStoredRun);
    // The ticks only pace the reads: each read waits for its answer by its time on the wire.
    StartCommandTimer(100);
}

void CDorvik::StartTimingSetDownload(BYTE setIndex) {
    if (setIndex >= kStoredSets) return;
    const DataSetHeaderStruct& h = m_dataSetHeaders[setIndex];
    StopCommandTimer();
    if (h.sampleCount == 0) {
        EndEmptyDownload();
        return;
    }
    QueueQKTimingDownload(setIndex, 0, static_cast<WORD>(h.sampleCount - 1));
    // An answer that never starts is a failed download too.
    StartDownloadTimer();
    StartCommandTimer(100);
}

void CDorvik::NoteSetDataRequest() {
    DiscardPartialSetData();
    const CommandParametersStruct& c = m_currentCommand;
    const ULONGLONG bytes = 1 + qk::DataAnswerLength(c.firstSample, c.lastSample);
    m_setDataWireMs = bytes * 10 * 1000 / qk::kBaudRate;  // start, 8 data bits and stop per byte
    m_setDataRequestTime = m_setDataLastByteTime = GetTickCount64();
}

bool CDorvik::IsSetDataAnswerAwaited() const {
    if (m_downloadStop) return false;  // the tick gives the download up
    const ULONGLONG now = GetTickCount64();
    const ULONGLONG due =
        m_setDataRequestTime + m_setDataWireMs + m_setDataWireMs / 4 + kSetDataAnswerMarginMs;
    return now < due || now < m_setDataLastByteTime + kSetDataAnswerMarginMs;
}

void CDorvik::DiscardPartialSetData() {
    if (m_setDataPosition >= 0 && m_setDataPosition < kRunPairs) {
        if (const CDataArrayPtr x = m_runX[size_t(m_setDataPosition)].lock()) x->clear();
        if (const CDataArrayPtr y = m_runY[size_t(m_setDataPosition)].lock()) y->clear();
    }
    m_setDataPosition = kSetDataNotBegun;
}

bool CDorvik::OnQKSetDataAnswer() {
    const CommandParametersStruct& c = m_currentCommand;
    if (!m_setDataStarted) {
        DiscardPartialSetData();
        m_setDataStarted = 1;
        m_setDataDiscard = 0;
        m_setDataTaken = 0;
        m_setDataTotal =
            c.lastSample >= c.firstSample ? DWORD(c.lastSample - c.firstSample) + 1 : 0;
        m_setDataSum = qk::kAnswerLead;
        if (m_setDataTotal == 0) {
            ResetAnswerMachine();  // nothing was asked for
            return true;
        }
    }
    const DWORD pairs = std::min(m_ring.Count() / 2, m_setDataTotal - m_setDataTaken);
    if (pairs > 0) {
        std::vector<BYTE> bytes;
        DWORD sum = 0;
        TakeBytes(2 * pairs, bytes, sum);
        m_setDataSum += sum;
        m_setDataLastByteTime = GetTickCount64();
        if (!m_setDataDiscard) StoreQKSetData(bytes.data(), DWORD(bytes.size()));
        m_setDataTaken += pairs;
        return true;
    }
    if (m_setDataTaken < m_setDataTotal) return false;
    BYTE checksum = 0;
    if (!m_ring.Take(1, &checksum)) return false;
    m_setDataLastByteTime = GetTickCount64();
    const bool discard = m_setDataDiscard != 0;
    const bool good = checksum == BYTE(m_setDataSum);
    ResetAnswerMachine();
    if (discard) return true;
    if (good) m_answered = 1;
    EndQKSetData(good);
    return true;
}

double CDorvik::StoredValue(int channel, WORD raw, DWORD sample) {
    const bool pulse =
        (channel == 5 || channel == 6) && m_storedChannels[channel].sensorId == kHeartRateSensor;
    return pulse ? HeartRateFromRaw(channel - 5, raw, sample)
                 : QKLinearValue(m_storedChannels[channel], channel, raw);
}

void CDorvik::StoreQKSetData(const BYTE* data, DWORD length) {
    if (m_downloadStop) {
        AbortSetDownload();
        return;
    }
    const CommandParametersStruct& c = m_currentCommand;
    if (m_setDataPosition == kSetDataIgnored || m_setDownloadFinished || c.channel >= kChannels ||
        m_chosenSet >= kStoredSets)
        return;
    const DataSetHeaderStruct& h = m_dataSetHeaders[m_chosenSet];
    if (m_setDataPosition == kSetDataNotBegun) {
        int position = 0;
        for (int ch = 0; ch < c.channel; ++ch) {
            if (!m_storedChannels[ch].enabled) continue;
            if (!m_storedChannels[ch].read) {
                AbortSetDownload();  // an answer out of order
                return;
            }
            ++position;
        }
        if (!m_storedChannels[c.channel].enabled || position >= h.channelCount ||
            position >= kRunPairs) {
            m_setDataPosition = kSetDataIgnored;
            m_setDownloadFinished = 1;
            SendToHost(UM_FETCH_PROGRESS, 0, 0);
            SendToHost(UM_RUN_ENDED);
            SendToHost(UM_REFRESH_RUN);
            return;
        }
        m_setDataPosition = position;
        // An earlier answer of this channel that ended badly leaves nothing behind.
        if (const CDataArrayPtr x = m_runX[size_t(position)].lock()) x->clear();
        if (const CDataArrayPtr y = m_runY[size_t(position)].lock()) y->clear();
    }
    const CDataArrayPtr x = m_runX[size_t(m_setDataPosition)].lock();
    const CDataArrayPtr y = m_runY[size_t(m_setDataPosition)].lock();
    if (!x || !y) return;  // the document let the run go
    DWORD sample = DWORD(c.firstSample) + m_setDataTaken;
    for (DWORD i = 0; i + 1 < length; i += 2, ++sample) {
        const WORD raw = c.channel == 3 ? data[i] : WORD(((data[i] << 8) | data[i + 1]) >> 6);
        x->push_back(double(sample));
        y->push_back(StoredValue(c.channel, raw, sample));
    }
}

void CDorvik::EndQKSetData(bool good) {
    const int position = m_setDataPosition;
    if (position < 0) {
        m_setDataPosition = kSetDataNotBegun;
        return;
    }
    if (!good) {
        DiscardPartialSetData();  // sent again once its time is up
        return;
    }
    m_setDataPosition = kSetDataNotBegun;
    m_storedChannels[m_currentCommand.channel].read = 1;
    SendToHost(UM_FETCH_PROGRESS, 2, LPARAM(position + 1));
    if (position + 1 == m_dataSetHeaders[m_chosenSet].channelCount) {
        m_setDownloadFinished = 1;
        SendToHost(UM_FETCH_PROGRESS, 0, 0);
        SendToHost(UM_RUN_ENDED);
    }
}

// ---- the QK timing set: "S", 5-byte records, a checksum

bool CDorvik::OnStartTimingDownload() {
    // A token in place of the records: the set cannot be read.
    BYTE code = 0;
    switch (ReadQKStatus(0, code)) {
        case qk::StatusMatch::NeedMore:
            return false;
        case qk::StatusMatch::Token:
            ResetAnswerMachine();
            if (!m_setDownloadFinished) m_downloadFailed = 1;
            return true;
        case qk::StatusMatch::NoToken:
            break;
    }
    const CommandParametersStruct& c = m_currentCommand;
    m_timingTimes.clear();
    m_timingInputA.clear();
    m_timingInputB.clear();
    StartDownloadTimer();
    m_answered = 1;
    if (c.lastSample < c.firstSample) {
        ResetAnswerMachine();
        m_downloadFailed = 1;
        return true;
    }
    m_downloadSum = qk::kAnswerLead;
    m_downloadFill = 0;
    m_downloadPercent = 0;
    m_downloadSize = (DWORD(c.lastSample - c.firstSample) + 1) * kTimingRecordLength;
    m_downloadBuffer.assign(m_downloadSize, 0);
    m_answerState = WAIT_FOR_TIMING_DOWNLOAD_DATA;
    SendToHost(UM_FETCH_PROGRESS, 1, LPARAM(m_downloadSize));
    SendToHost(UM_FETCH_PROGRESS, 2, 0);
    return true;
}

bool CDorvik::OnTimingDownloadData() {
    NoteDownloadBytes();
    if (m_downloadFill < m_downloadSize) {
        BYTE record[kTimingRecordLength];
        DWORD sum = 0;
        if (!m_ring.Take(kTimingRecordLength, record, &sum)) return false;
        m_downloadSum += sum;
        // Once the download ended (cancelled, or given up) the records are only swallowed.
        if (!m_setDownloadFinished &&
            m_downloadBuffer.size() >= m_downloadFill + kTimingRecordLength) {
            std::memcpy(m_downloadBuffer.data() + m_downloadFill, record, kTimingRecordLength);
        }
        m_downloadFill += kTimingRecordLength;
        const DWORD percent = DWORD(ULONGLONG(m_downloadFill) * 100 / m_downloadSize);
        if (percent != m_downloadPercent && !m_setDownloadFinished) {
            m_downloadPercent = percent;
            SendToHost(UM_FETCH_PROGRESS, 2, LPARAM(m_downloadFill));
        }
        return true;
    }
    BYTE checksum = 0;
    if (!m_ring.Take(1, &checksum)) return false;
    ResetAnswerMachine();
    if (m_setDownloadFinished || m_downloadStop) {
        if (!m_setDownloadFinished) EndDownloadWithoutData(false);
        m_downloadBuffer.clear();
        return true;
    }
    if (checksum != BYTE(m_downloadSum) || m_downloadBuffer.size() != m_downloadSize) {
        m_downloadBuffer.clear();
        m_downloadFailed = 1;  // told on the download timer's next tick
        return true;
    }
    // The regime's rate stays the user's: the set-up shows it and the next run sends it.
    DataSetHeaderStruct& h = m_dataSetHeaders[m_chosenSet < kStoredSets ? m_chosenSet : 0];
    int order = 0;
    std::fill(std::begin(h.readOrder), std::end(h.readOrder), BYTE(0));
    for (BYTE ch : {BYTE(5), BYTE(6)})
        if (m_storedChannels[ch].enabled) h.readOrder[order++] = ch;
    m_setDownloadFinished = 1;
    ConvertTimingDownload(m_downloadBuffer.data(), m_downloadFill);
    h.rateCode = 0;
    const int code = TimingMeasurementCode();
    h.channelCount = code == 21 ? 2 : 1;  // a collision: each gate its own results
    BeginRun(h.channelCount, kStoredTimingRun);
    const CDataArrayPtr x[2] = {m_runX[0].lock(), m_runX[1].lock()};
    const CDataArrayPtr y[2] = {m_runY[0].lock(), m_runY[1].lock()};
    const bool fits = ComputeTimingMeasurement({x[0].get(), y[0].get()}, {x[1].get(), y[1].get()},
                                               m_timingTimes, m_timingInputA, m_timingInputB, code,
                                               m_settings ? m_settings->m_timingDistance1 : 0,
                                               m_settings ? m_settings->m_timingDistance2 : 0);
    if (!fits) ReportTimingMismatch();
    SendToHost(UM_FETCH_PROGRESS, 0, 0);
    SendToHost(UM_RUN_ENDED);
    m_downloadBuffer.clear();
    m_downloadBuffer.shrink_to_fit();
    return true;
}

void CDorvik::ConvertTimingDownload(const BYTE* records, DWORD length) {
    const bool inputA = m_storedChannels[5].enabled != 0;
    const bool inputB = m_storedChannels[6].enabled != 0;
    for (DWORD i = 0; records && i + kTimingRecordLength <= length; i += kTimingRecordLength) {
        const BYTE* r = records + i;
        const BYTE state = r[0];
        if (inputA) m_timingInputA.push_back(state == 1 || state == 3 ? 1 : 0);
        if (inputB)
            (inputA ? m_timingInputB : m_timingInputA).push_back(state == 2 || state == 3 ? 1 : 0);
        const DWORD ticks =
            (DWORD(r[1]) << 24) | (DWORD(r[2]) << 16) | (DWORD(r[3]) << 8) | DWORD(r[4]);
        m_timingTimes.push_back(ticks * 0.000002);
    }
}

// ---- the basic model's stored run: EB 90, a status record, then state 4 takes the block

bool CDorvik::OnBasicDownload() {
    NoteDownloadBytes();
    BYTE block[kBasicBlockLength];
    if (!m_ring.Take(kBasicBlockLength, block)) return false;
    ResetAnswerMachine();
    FetchData(block);
    return true;
}

void CDorvik::FetchData(const BYTE* block) {
    if (m_downloadStop || m_downloadFailed || m_setDownloadFinished) return;
    const BYTE number = block[0];
    if (number == 0 && m_blocksTaken == 0) {
        m_downloadSize = DWORD(m_channelCount) * m_runLength;
        if (m_downloadSize == 0) {
            EndEmptyDownload();
            return;
        }
        m_blockCount = (m_downloadSize + kBlockData - 1) / kBlockData;
        m_downloadFill = 0;
        m_downloadBuffer.assign(m_downloadSize, 0);
        SendToHost(UM_FETCH_PROGRESS, 1, LPARAM(m_blockCount));
    }
    if (m_downloadBuffer.size() != m_downloadSize || m_blockCount == 0) {
        m_downloadFailed = 1;
        return;
    }
    // Block numbers are one byte: the 257th block is numbered 0 again.
    if (m_blocksTaken > 0 && number == BYTE(m_blocksTaken - 1)) return;  // the one just taken
    if (number != BYTE(m_blocksTaken) || m_blocksTaken >= m_blockCount) {
        m_downloadFailed = 1;
        return;
    }
    DWORD sum = 0xEB + 0x90 + number;
    for (BYTE b : m_lastBasicStatus)
        sum += b;
    for (DWORD i = 0; i < kBlockData; ++i)
        sum += block[1 + i];
    if (BYTE(sum) != block[1 + kBlockData]) {
        m_downloadFailed = 1;
        return;
    }
    const DWORD length = std::min(kBlockData, m_downloadSize - m_downloadFill);
    std::memcpy(m_downloadBuffer.data() + m_downloadFill, block + 1, length);
    m_downloadFill += length;
    ++m_blocksTaken;
    SendToHost(UM_FETCH_PROGRESS, 2, LPARAM(m_blocksTaken));
    if (m_blocksTaken < m_blockCount) return;
    m_setDownloadFinished = 1;
    BeginRun(m_channelCount, kStoredRun);
    ConvertBlock();
    SendToHost(UM_FETCH_PROGRESS, 0, 0);
    m_downloadBuffer.clear();
    m_downloadBuffer.shrink_to_fit();
    SendToHost(UM_RUN_ENDED);
}

void CDorvik::ConvertBlock() {
    // The samples one after another, the channel-list bytes of a sample together.
    const DWORD channels = std::min<DWORD>(m_channelCount, kRunPairs);
    if (channels == 0) return;
    const DWORD samples = m_downloadFill / m_channelCount;
    for (DWORD s = 0; s < samples; ++s) {
        for (DWORD k = 0; k < channels; ++k) {
            const BYTE raw = m_downloadBuffer[s * m_channelCount + k];
            AppendToRun(
                int(k), double(s),
                BasicValue(m_channelList[k], raw, m_heartRate, s, m_rateInfo.intervalSeconds));
        }
    }
}
