// The basic model's commands and the answer states that take its records apart.
//
// Commands are three bytes, EB 92 and a code (the set-up carries ten more); answers begin EB 90.
// A status record is 12 bytes, a run or live record one raw byte per channel 0..7. A status that
// no basic logger sends is taken for a framing error: nothing of it is adopted, and the machine
// looks for the next EB 90.

#include <algorithm>

#include "logger/dorvik.h"
#include "logger/logger_messages.h"
#include "logger/main_window_link.h"
#include "logger/settings.h"

namespace {

constexpr BYTE kLead = 0xEB;
constexpr BYTE kCommand = 0x92;

enum BasicCode : BYTE {
    CODE_STATUS = 0xF0,
    CODE_RUN = 0xAA,
    CODE_SETUP = 0x0F,
    CODE_DOWNLOAD = 0x55,
    CODE_STOP = 0x44,
    CODE_LIVE_POLL = 0xFA,
    CODE_SENSOR_QUERY = 0xC8,
};

// Only the 1 ms rate streams in fast mode; 128 (0.1 s) is a normal rate.
constexpr BYTE kFastModeRate = 255;

bool IsBasicRateCode(BYTE code) {
    return code == 255 || (code != 0 && (code & (code - 1)) == 0);
}

WORD RunLengthOf(const BYTE* status) {
    return static_cast<WORD>(status[3] << 8 | status[4]);
}

}  // namespace

// ---- senders

void CDorvik::SendBasicStatusRequest() {
    const BYTE request[] = {kLead, kCommand, CODE_STATUS};
    SendToDorvik(request, sizeof request);
}

void CDorvik::SendRun() {
    if (!m_connected) return;
    const BYTE command[] = {kLead, kCommand, CODE_RUN};
    SendToDorvik(command, sizeof command);
    m_basicStopSent = 0;
    if (m_rateCode == 255) m_oneMillisecondRun = 1;
}

void CDorvik::SendSetup() {
    if (!m_connected) return;
    const CommandParametersStruct& c = m_currentCommand;
    const SYSTEMTIME now = LocalTimeNow();
    const BYTE frame[] = {kLead,
                          kCommand,
                          CODE_SETUP,
                          c.mask,
                          static_cast<BYTE>(c.rateCode),
                          HIBYTE(c.runLength),
                          LOBYTE(c.runLength),
                          static_cast<BYTE>(now.wHour),
                          static_cast<BYTE>(now.wMinute),
                          static_cast<BYTE>(now.wSecond),
                          static_cast<BYTE>(now.wYear % 1000),
                          static_cast<BYTE>(now.wMonth),
                          static_cast<BYTE>(now.wDay)};
    SendToDorvik(frame, sizeof frame);
}

void CDorvik::SendDownload() {
    if (!m_connected) return;
    const BYTE command[] = {kLead, kCommand, CODE_DOWNLOAD};
    SendToDorvik(command, sizeof command);
}

void CDorvik::SendStop() {
    if (!m_connected) return;
    const BYTE command[] = {kLead, kCommand, CODE_STOP};
    SendToDorvik(command, sizeof command);
    m_downloadStop = 1;
    ResetAnswerMachine();
    // The run is over here too: what still comes of its stream starts nothing and adds nothing.
    m_basicStopSent = 1;
    m_sampleCounter = 0;
    m_basicFastMode = 0;
    SendToHost(UM_RUN_ENDED);
}

void CDorvik::SendSensorQuery() {
    if (!m_connected) return;
    const BYTE command[] = {kLead, kCommand, CODE_SENSOR_QUERY};
    SendToDorvik(command, sizeof command);
}

void CDorvik::SendLivePoll() {
    if (!m_connected) return;
    const BYTE command[] = {kLead, kCommand, CODE_LIVE_POLL};
    SendToDorvik(command, sizeof command);
    m_livePollPending = 1;
}

// ---- the status record

bool CDorvik::IsValidBasicStatus(const BYTE* status) {
    switch (status[0]) {
        case kBasicRunning:
        case kBasicBlockFollows:
        case kBasicIdle:
        case kBasicAcknowledged:
            break;
        default:
            return false;
    }
    const BYTE version = status[11] & 0x0F;
    return version >= 1 && version <= 4 && IsBasicRateCode(status[2]) && RunLengthOf(status) > 0;
}

void CDorvik::UpdateChannelList() {
    // Version 1: neither extra channel, 2: channel 4, 3: channel 3, 4: both.
    m_hasChannel3 = (m_version == 3 || m_version == 4) ? 1 : 0;
    m_hasChannel4 = (m_version == 2 || m_version == 4) ? 1 : 0;
    std::fill(std::begin(m_channelList), std::end(m_channelList), BYTE(0));
    m_channelCount = 0;
    for (BYTE ch = 0; ch < 8; ++ch)
        if ((m_mask >> ch) & 1) m_channelList[m_channelCount++] = ch;
}

void CDorvik::ParseStatus(const BYTE* status) {
    m_version = status[11] & 0x0F;
    if (status[2] != m_rateCode) {
        SendToHost(UM_RATE_CHANGED);
        m_rateCode = status[2];
    }
    if (status[1] != m_mask) {
        SendToHost(UM_SENSORS_CHANGED);
        m_mask = status[1];
    }
    UpdateChannelList();
    m_runLength = RunLengthOf(status);
    m_startTime =
        CPreciseDateTime(status[8] + 2000, status[9], status[10], status[5], status[6], status[7]);
}

void CDorvik::SetBasicModelFlagsOfMainWindow() {
    if (CMainWindowLink* link = GetMainWindowLink()) link->SetModelFlags(0, 0);
}

bool CDorvik::IsRepeatedStatus(int n) const {
    if (n < 1 || n > kBasicStatusLength || m_ring.Count() < DWORD(n)) return false;
    if (m_ring.Peek(0) > 4) return false;
    for (int i = 1; i < n; ++i)
        if (m_ring.Peek(DWORD(i)) != m_lastBasicStatus[i]) return false;
    return true;
}

// ---- answer states

bool CDorvik::OnBasicStatus() {
    BYTE status[kBasicStatusLength];
    if (!m_ring.PeekBytes(0, status, kBasicStatusLength)) return false;
    if (!IsValidBasicStatus(status)) {
        // Out of step: the record is no status. The machine drops bytes up to the next EB 90.
        ResetAnswerMachine();
        return true;
    }
    m_ring.Take(kBasicStatusLength);
    std::copy(std::begin(status), std::end(status), m_lastBasicStatus);
    ParseStatus(status);
    SendToHost(UM_STATUS_MESSAGE, 0, 0);
    ResetAnswerMachine();
    switch (status[0]) {
        case kBasicRunning:
            // A logger found running while no logger is connected (a port being probed), or
            // still sending after a stop, starts nothing: its records are taken apart and dropped.
            if (m_connected && !m_basicStopSent && m_sampleCounter == 0 && !m_runOnPort)
                BeginRun(m_channelCount, kLiveRun);
            if (status[2] == kFastModeRate) {
                m_basicFastMode = 1;
            } else {
                m_answerState = BASIC_RUN_RECORD;
                m_expectedBasicLength = kBasicRecordLength;
            }
            break;
        case kBasicBlockFollows:
            m_answered = 1;
            m_answerState = BASIC_DOWNLOAD;
            m_expectedBasicLength = 258;
            break;
        case kBasicIdle: {
            m_detectionState = 1;
            if (m_qkModel) {
                if (m_settings) m_settings->InitSensorTable();
                m_qkModel = 0;
            }
            SetBasicModelFlagsOfMainWindow();
            m_connected = 1;
            m_basicFastMode = 0;
            m_basicStopSent = 0;
            if (m_oneMillisecondRun) {
                m_oneMillisecondRun = 0;
                SendToHost(UM_LOGGER_COMMAND, 0, 0);
            }
            if (m_sampleCounter != 0 || m_runOnPort) {
                m_sampleCounter = 0;
                SendToHost(UM_RUN_ENDED);
            }
            const CommandParametersStruct& c = m_currentCommand;
            if (c.code == COMMAND_RUN || c.code == COMMAND_STOP ||
                (c.code == COMMAND_SETUP && c.mask == status[1] && c.rateCode == status[2] &&
                 c.runLength == RunLengthOf(status)))
                m_answered = 1;
            break;
        }
        case kBasicAcknowledged:
            SendToHost(UM_LOGGER_IDENTIFIED, 1, 0);
            m_answered = 1;
            break;
        default:
            break;
    }
    SendToHost(UM_LOGGER_ANSWERED, 0, 0);
    return true;
}

bool CDorvik::OnBasicRunRecord() {
    if (m_currentCommand.code == COMMAND_RUN && m_sampleCounter == 0) m_answered = 1;
    BYTE record[kBasicRecordLength];
    if (!m_ring.Take(kBasicRecordLength, record)) return false;
    ResetAnswerMachine();
    // The store itself ends the run at its length: one end, one message.
    if (m_connected && !m_basicStopSent) StoreBasicRunRecord(record);
    return true;
}

bool CDorvik::TakeBasicRunRecord() {
    BYTE record[kBasicRecordLength];
    if (!m_ring.Take(kBasicRecordLength, record)) return false;
    ResetAnswerMachine();
    if (m_connected && !m_basicStopSent) StoreBasicRunRecord(record);
    return true;
}

bool CDorvik::OnBasicFastRecord() {
    if (m_currentCommand.code == COMMAND_RUN && m_sampleCounter == 0) m_answered = 1;
    if (m_ring.Count() < 5) return false;
    if (IsRepeatedStatus(5)) {
        m_basicFastMode = 0;
        m_answerState = BASIC_STATUS;
        m_expectedBasicLength = kBasicStatusLength;
        // Over: the status itself, read next, must not end it a second time.
        m_sampleCounter = 0;
        if (m_connected) SendToHost(UM_RUN_ENDED);
        return true;
    }
    return TakeBasicRunRecord();
}

bool CDorvik::OnBasicLiveAnswer() {
    if (m_ring.Count() < 5) return false;
    if (IsRepeatedStatus(5)) {
        m_livePollPending = 0;
        m_answerState = BASIC_STATUS;
        m_expectedBasicLength = kBasicStatusLength;
        return true;
    }
    BYTE record[kBasicRecordLength];
    if (!m_ring.Take(kBasicRecordLength, record)) return false;
    // Answered: the next EB 90 begins a status again.
    m_livePollPending = 0;
    ResetAnswerMachine();
    StoreLiveValues(record);
    return true;
}
