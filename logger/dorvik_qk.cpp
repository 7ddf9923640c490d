// The QK model's command frames and the answer machine that takes both models' answers apart.
//
// Each state says how many bytes it needs and waits for them, so an answer split across receive
// ticks is taken whole; only a data read's answer is taken as it arrives (dorvik_download.cpp). The
// machine starts over (state 1) only on a lead byte it does not know, a bad checksum or length, a
// status token, or a new command sent while it was inside the answer to the last one.

#include <algorithm>

#include "logger/dorvik.h"
#include "logger/logger_messages.h"
#include "logger/settings.h"
#include "platform/msg/message_loop.h"

namespace {

constexpr BYTE kBasicLead = 0xEB;
constexpr BYTE kBasicAnswer = 0x90;
constexpr BYTE kHeaderAnswerLength = 25;  // 24 bytes and the checksum
constexpr BYTE kDateTimeAnswerLength = 7;
constexpr BYTE kRunRecordLength = 13;  // 12 bytes and the checksum
constexpr BYTE kTimingRecordLength = 5;

qk::DateTime DateTimeOf(const SYSTEMTIME& t) {
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

}  // namespace

// ---- senders

void CDorvik::SendQKFrame(BYTE commandId, DWORD expectedLength, const qk::Frame& frame) {
    // A late answer to the last command must not be taken for this one's: what has come of it
    // is dropped, and the new answer is read from its own "S".
    if (m_answerState == WAIT_FOR_QK_ANSWER || m_answerState == WAIT_FOR_QK_ANSWER_LENGTH) {
        m_ring.Clear();
        ResetAnswerMachine();
    }
    m_regimeReplyPending = 0;
    m_currentCommand.code = commandId;
    m_commandAnswerLength = expectedLength;
    m_expectedQKLength = expectedLength;
    SendToDorvik(frame.data(), DWORD(frame.size()));
}

void CDorvik::SendStatusQuery() {
    if (m_qkModel) {
        SendQKStatusRequest();
    } else if (m_connected) {
        const BYTE request[] = {kBasicLead, 0x92, 0xF0};
        SendToDorvik(request, sizeof request);
    }
}

void CDorvik::SendQKStatusRequest() {
    // Also sent while no logger is known: it is the identification request.
    SendQKFrame(QK_COMMAND_STATUS_REQUEST, 4, qk::MakeFrame('A', 'A'));
}

void CDorvik::SendQKSnapshot() {
    if (!m_connected) return;
    SendQKFrame(QK_COMMAND_SNAPSHOT, 18, qk::MakeFrame('A', 'S'));
}

void CDorvik::SendQKReadSensorInfo() {
    if (!m_connected) return;
    m_sensorReadUnderWay = 1;
    SendQKFrame(QK_COMMAND_READ_SENSOR_INFO, 3,
                qk::MakeFrame('A', 'J', m_currentCommand.setIndex, m_currentCommand.channel));
}

void CDorvik::SendQKReadDataHeader() {
    if (!m_connected) return;
    // A header read of the memory survey keeps its own code: its answer is only kept.
    const BYTE id = m_currentCommand.code == QK_COMMAND_READ_MEMORY ? QK_COMMAND_READ_MEMORY
                                                                    : QK_COMMAND_READ_DATA_HEADER;
    SendQKFrame(id, 3, qk::MakeFrame('B', 'A', m_currentCommand.setIndex));
}

void CDorvik::SendQKSetDate() {
    if (!m_connected) return;
    const SYSTEMTIME now = LocalTimeNow();
    SendQKFrame(QK_COMMAND_SET_DATE, 3,
                qk::MakeFrame('B', 'F', BYTE(now.wYear - 2000), BYTE(now.wMonth), BYTE(now.wDay)));
}

void CDorvik::SendQKSetTime() {
    if (!m_connected) return;
    const SYSTEMTIME now = LocalTimeNow();
    SendQKFrame(QK_COMMAND_SET_TIME, 3,
                qk::MakeFrame('B', 'G', BYTE(now.wHour), BYTE(now.wMinute), BYTE(now.wSecond)));
}

void CDorvik::RefuseCurrentCommand() {
    // Given up on the next tick, as an unanswered command is.
    m_commandTries = kCommandTryLimit;
}

void CDorvik::SendQKReadData() {
    if (!m_connected) return;
    const CommandParametersStruct& c = m_currentCommand;
    // The answer goes into the run arrays as it arrives, so the ring does not bound its length.
    if (c.channel >= kChannels || qk::DataAnswerLength(c.firstSample, c.lastSample) == 0) {
        RefuseCurrentCommand();
        return;
    }
    SendQKFrame(QK_COMMAND_READ_DATA, 3,
                qk::MakeFrame('C', char('A' + c.channel), c.setIndex, HIBYTE(c.firstSample),
                              LOBYTE(c.firstSample), HIBYTE(c.lastSample), LOBYTE(c.lastSample)));
    NoteSetDataRequest();
}

void CDorvik::SendQKPreWriteLoggingRegime() {
    if (!m_connected) return;
    SendQKFrame(QK_COMMAND_PRE_WRITE_LOGGING_REGIME, 3, qk::MakeFrame('B', 'D'));
}

void CDorvik::SetChannelsFromMask(BYTE mask) {
    for (int ch = 0; ch < kChannels; ++ch) {
        bool on = (mask >> ch) & 1;
        if (ch >= 5 && m_liveChannels[ch].kindName == "sense sensor") on = false;
        m_liveChannels[ch].enabled = on ? 1 : 0;
    }
    m_channelCount = 0;
    std::fill(std::begin(m_channelList), std::end(m_channelList), BYTE(0));
    for (BYTE ch = 0; ch < kChannels; ++ch)
        if (m_liveChannels[ch].enabled) m_channelList[m_channelCount++] = ch;
}

void CDorvik::SendQKWriteLoggingRegime() {
    if (!m_connected) return;
    const CommandParametersStruct c = m_currentCommand;
    if (c.mask != m_mask) SendToHost(UM_SENSORS_CHANGED);
    m_rateCode = c.rateCode;
    m_rateInfo = RateInfo(c.rateCode);
    m_runLength = c.runLength;
    m_mask = c.mask;
    SetChannelsFromMask(c.mask);
    m_runRequested = c.runFlag == 1 ? 1 : 0;
    const qk::RegimeFrame frame = qk::MakeRegimeFrame(DateTimeOf(LocalTimeNow()), c.runFlag == 1,
                                                      c.rateCode, c.mask, c.runLength);
    SendToDorvik(frame.data(), DWORD(frame.size()));
    // A logger may answer the frame, or say nothing: its silence counts as yes.
    m_regimeReplyPending = 1;
    m_regimeReplyDeadline = GetTickCount64() + kRegimeReplyWaitMs;
}

void CDorvik::SendQKClearMemory() {
    if (!m_connected) return;
    SendQKFrame(QK_COMMAND_CLEAR_MEMORY, 3, qk::MakeFrame('A', 'Q', 1));
}

void CDorvik::SendQKStop() {
    if (!m_connected) return;
    SendQKFrame(QK_COMMAND_STOP, 3, qk::MakeFrame('A', 'Q', 0));
}

void CDorvik::SendQKTiming() {
    if (!m_connected) return;
    m_channelCount = 0;
    m_channelList[0] = 5;
    m_channelList[1] = 6;
    m_liveChannels[5].enabled = 1;
    m_liveChannels[6].enabled = 1;
    m_timingRequested = 1;
    SendQKFrame(QK_COMMAND_TIMING, 5, qk::MakeFrame('A', 'K', 1));
}

void CDorvik::SendQKTimingDownload() {
    if (!m_connected) return;
    const CommandParametersStruct& c = m_currentCommand;
    SendQKFrame(QK_COMMAND_TIMING_DOWNLOAD, 5,
                qk::MakeFrame('C', 'S', c.setIndex, HIBYTE(c.firstSample), LOBYTE(c.firstSample),
                              HIBYTE(c.lastSample), LOBYTE(c.lastSample)));
}

// ---- the answer machine

void CDorvik::ResetAnswerMachine() {
    m_answerState = WAIT_FOR_ANSWER;
    m_expectedQKLength = 1;
    m_expectedBasicLength = 1;
    m_answerLengthField = 0;
    m_setDataStarted = 0;
    m_setDataDiscard = 0;
}

void CDorvik::SomethingInSerialBufferFunction() {
    if (m_busy) return;
    struct Busy {
        BYTE& flag;
        explicit Busy(BYTE& f) : flag(f) { flag = 1; }
        ~Busy() { flag = 0; }
    } busy(m_busy);
    while (HandleAnswer()) {
    }
}

bool CDorvik::HandleAnswer() {
    switch (m_answerState) {
        case WAIT_FOR_ANSWER:
            return OnWaitForAnswer();
        case BASIC_PREFIX:
            return OnBasicPrefix();
        case BASIC_STATUS:
            return OnBasicStatus();
        case BASIC_DOWNLOAD:
            return OnBasicDownload();
        case BASIC_RUN_RECORD:
            return OnBasicRunRecord();
        case BASIC_FAST_RECORD:
            return OnBasicFastRecord();
        case BASIC_LIVE_ANSWER:
            return OnBasicLiveAnswer();
        case WAIT_FOR_QK_ANSWER:
            return OnQKAnswer();
        case WAIT_FOR_QK_ANSWER_LENGTH:
            return OnQKAnswerLength();
        case QK_STRING_TYPE_SENSOR_CHANGE:
            return OnQKRecordType();
        case QK_RUN_RECORD:
            return OnQKRunRecord();
        case QK_TIMING_RECORD:
            return OnQKTimingRecord();
        case QK_TIMING_STREAM:
            return OnQKTimingStream();
        case WAIT_FOR_START_TIMING_DOWNLOAD_DATA:
            return OnStartTimingDownload();
        case WAIT_FOR_TIMING_DOWNLOAD_DATA:
            return OnTimingDownloadData();
        default:
            ResetAnswerMachine();
            return true;
    }
}

qk::StatusMatch CDorvik::ReadQKStatus(DWORD offset, BYTE& code) {
    code = qk::QK_NO_STATUS;
    const DWORD count = m_ring.Count();
    if (count < offset) return qk::StatusMatch::NeedMore;
    BYTE bytes[3] = {};
    const DWORD available = std::min<DWORD>(3, count - offset);
    m_ring.PeekBytes(offset, bytes, available);
    const qk::StatusMatch match = qk::MatchStatus(bytes, available, code);
    if (match == qk::StatusMatch::Token) {
        m_lastQKStatus = code;
        m_ring.Take(offset + 3);
    } else if (match == qk::StatusMatch::NoToken) {
        m_lastQKStatus = qk::QK_NO_STATUS;
    }
    return match;
}

bool CDorvik::OnWaitForAnswer() {
    BYTE lead = 0;
    if (!m_ring.Take(1, &lead)) return false;
    switch (lead) {
        case kBasicLead:
            m_answerState = BASIC_PREFIX;
            m_expectedBasicLength = 1;
            break;
        case qk::kAnswerLead:
            m_expectedQKLength = m_commandAnswerLength;
            m_answerLengthField = 0;
            switch (m_currentCommand.code) {
                case QK_COMMAND_TIMING_DOWNLOAD:
                    m_answerState = WAIT_FOR_START_TIMING_DOWNLOAD_DATA;
                    break;
                case QK_COMMAND_READ_SENSOR_INFO:
                    m_answerState = WAIT_FOR_QK_ANSWER_LENGTH;
                    break;
                case QK_COMMAND_TIMING:
                    m_answered = 1;
                    m_sampleCounter = 0;
                    m_answerState = QK_TIMING_STREAM;
                    m_expectedQKLength = 2;
                    break;
                default:
                    m_answerState = WAIT_FOR_QK_ANSWER;
                    break;
            }
            break;
        case qk::kRecordLead:
            m_answerState = QK_STRING_TYPE_SENSOR_CHANGE;
            m_expectedQKLength = 1;
            m_expectedBasicLength = 1;
            break;
        default:
            ResetAnswerMachine();
            break;
    }
    return true;
}

bool CDorvik::OnBasicPrefix() {
    BYTE b = 0;
    if (!m_ring.Take(1, &b)) return false;
    if (b == kBasicLead) {
        // EB EB 90: the second lead may begin the record.
    } else if (b != kBasicAnswer) {
        ResetAnswerMachine();
    } else if (m_livePollPending) {
        m_answerState = BASIC_LIVE_ANSWER;
        m_expectedBasicLength = 8;
    } else if (m_basicFastMode) {
        m_answerState = BASIC_FAST_RECORD;
        m_expectedBasicLength = 8;
    } else {
        m_answerState = BASIC_STATUS;
        m_expectedBasicLength = 12;
    }
    return true;
}

bool CDorvik::OnQKAnswer() {
    // Inside a data read's answer the samples follow: they are not read as a token.
    if (m_setDataStarted) return OnQKSetDataAnswer();
    // After a length field the body follows: it is not read as a token.
    if (m_answerLengthField == 0) {
        BYTE code = 0;
        switch (ReadQKStatus(0, code)) {
            case qk::StatusMatch::NeedMore:
                return false;
            case qk::StatusMatch::Token:
                ResetAnswerMachine();
                OnQKStatus(code);
                return true;
            case qk::StatusMatch::NoToken:
                break;
        }
        const CommandParametersStruct& c = m_currentCommand;
        if ((c.code == QK_COMMAND_READ_DATA_HEADER || c.code == QK_COMMAND_READ_MEMORY) &&
            m_expectedQKLength != kHeaderAnswerLength) {
            m_expectedQKLength = kHeaderAnswerLength;
            return true;
        }
        if (c.code == QK_COMMAND_READ_DATE_TIME && m_expectedQKLength != kDateTimeAnswerLength) {
            m_expectedQKLength = kDateTimeAnswerLength;
            return true;
        }
        if (c.code == QK_COMMAND_READ_DATA) return OnQKSetDataAnswer();
    }
    if (m_expectedQKLength == 0 || m_expectedQKLength > CReceiveRing::kCapacity) {
        // The ring could never hold it.
        ResetAnswerMachine();
        return true;
    }
    if (m_ring.Count() < m_expectedQKLength) return false;
    std::vector<BYTE> bytes;
    DWORD sum = 0;
    TakeBytes(m_expectedQKLength, bytes, sum);
    // A sensor description's checksum counts its length field.
    const DWORD checksumStart = qk::kAnswerLead + m_answerLengthField;
    ResetAnswerMachine();
    OnQKData(bytes, checksumStart);
    return true;
}

void CDorvik::OnQKData(const std::vector<BYTE>& bytes, DWORD checksumStart) {
    const DWORD length = DWORD(bytes.size()) - 1;  // without the checksum
    const BYTE* body = bytes.data();
    const CommandParametersStruct c = m_currentCommand;
    if (qk::Checksum(body, length, checksumStart) != bytes.back()) return;
    m_answered = 1;
    switch (c.code) {
        case QK_COMMAND_READ_SENSOR_INFO:
            DecodeSensorInfo(body, length, c.channel, c.setIndex);
            break;
        case QK_COMMAND_READ_DATA_HEADER: {
            if (c.setIndex >= kStoredSets) break;
            ParseDataHeader(c.setIndex, body, length);
            m_chosenSet = c.setIndex;
            if (m_dataSetHeaders[c.setIndex].kind == 5)
                StartTimingSetDownload(c.setIndex);
            else
                PlanSetDownload(c.setIndex);
            break;
        }
        case QK_COMMAND_READ_DATE_TIME:
            // A date and time that nothing uses.
            break;
        case QK_COMMAND_READ_MEMORY:
            if (c.setIndex < kStoredSets) ParseDataHeader(c.setIndex, body, length);
            break;
        default:
            if (length >= 1 && body[0] == 'C') {
                DecodeQKSnapshot(body, length);
                SendToHost(UM_UPDATE_METERS);
            } else if (length >= 2 && body[0] == 'V') {
                OnQKIdentification(body[1]);
            }
            break;
    }
}

void CDorvik::OnQKStatus(BYTE code) {
    const BYTE command = m_currentCommand.code;
    if (m_regimeReplyPending && command == QK_COMMAND_PRE_WRITE_LOGGING_REGIME) {
        OnRegimeReply(code);
        return;
    }
    switch (code) {
        case qk::QK_STATUS_WRITE_DATA_NOW:
            // Only "BD" asks for the frame; from anything else it would carry stale values.
            if (command == QK_COMMAND_PRE_WRITE_LOGGING_REGIME) SendQKWriteLoggingRegime();
            break;
        case qk::QK_STATUS_ACKNOWLEDGE:
            m_answered = 1;
            if (command == QK_COMMAND_STOP) EndRunOnPort();
            break;
        default:
            // Unanswered: sent again on the next tick of the command timer.
            break;
    }
}

void CDorvik::OnRegimeReply(BYTE code) {
    m_regimeReplyPending = 0;
    // Any other reply refuses the frame: "BD" goes out again on the next tick, as a try.
    if (code == qk::QK_STATUS_ACKNOWLEDGE) m_answered = 1;
}

void CDorvik::CheckRegimeReplyTime() {
    if (!m_regimeReplyPending || GetTickCount64() < m_regimeReplyDeadline) return;
    m_regimeReplyPending = 0;
    m_answered = 1;
}

bool CDorvik::OnQKAnswerLength() {
    BYTE code = 0;
    switch (ReadQKStatus(0, code)) {
        case qk::StatusMatch::NeedMore:
            return false;
        case qk::StatusMatch::Token:
            ResetAnswerMachine();  // unanswered: the read goes out again
            return true;
        case qk::StatusMatch::NoToken:
            break;
    }
    BYTE field[2];
    if (!m_ring.Take(2, field)) return false;
    const DWORD length = (DWORD(field[0]) << 8) | field[1];
    // It counts itself and the checksum: anything shorter, or longer than the ring, is no length.
    if (length < 3 || length - 2 > CReceiveRing::kCapacity) {
        ResetAnswerMachine();
        return true;
    }
    m_answerLengthField = length;
    m_expectedQKLength = length - 2;
    m_answerState = WAIT_FOR_QK_ANSWER;
    return true;
}

bool CDorvik::OnQKRecordType() {
    BYTE type = 0;
    if (!m_ring.Take(1, &type)) return false;
    switch (type) {
        case 0:
            ResetAnswerMachine();
            EndRunOnPort();
            break;
        case 1:
            m_expectedQKLength = kRunRecordLength;
            m_answerState = QK_RUN_RECORD;
            break;
        case 2:
            // The external sensors changed.
            ResetAnswerMachine();
            if (m_setDownloadFinished) {
                QueueReadSensorInfo(kLiveChannels, 5);
                QueueReadSensorInfo(kLiveChannels, 6);
                StartCommandTimer(100);
            }
            break;
        default:
            ResetAnswerMachine();
            break;
    }
    return true;
}

void CDorvik::EndRunOnPort() {
    if (m_runOnPort || m_runRequested || m_timingRequested) SendToHost(UM_RUN_ENDED);
}

bool CDorvik::OnQKRunRecord() {
    BYTE record[kRunRecordLength];
    if (!m_ring.Take(kRunRecordLength, record)) return false;
    ResetAnswerMachine();
    if (qk::Checksum(record, 12, qk::kRecordLead + 1) == record[12]) StoreQKSample(record);
    return true;
}

bool CDorvik::OnQKTimingRecord() {
    // The stop's "SACK" ends the stream. A record starts with its state (0 to 3), never with "S",
    // so a tick count that happens to spell a token is not taken for one.
    if (m_ring.Count() >= 1 && m_ring.Peek(0) == qk::kAnswerLead) {
        BYTE code = 0;
        switch (ReadQKStatus(1, code)) {
            case qk::StatusMatch::NeedMore:
                return false;
            case qk::StatusMatch::Token:
                ResetAnswerMachine();
                if (code == qk::QK_STATUS_ACKNOWLEDGE) {
                    m_answered = 1;
                    SendToHost(UM_RUN_ENDED);
                }
                return true;
            case qk::StatusMatch::NoToken:
                break;
        }
    }
    BYTE record[kTimingRecordLength];
    if (!m_ring.Take(kTimingRecordLength, record)) return false;
    m_answerState = QK_TIMING_STREAM;
    m_expectedQKLength = 2;
    StoreTimingEvent(record);
    return true;
}

bool CDorvik::OnQKTimingStream() {
    if (m_ring.Count() < 2) return false;
    if (m_ring.Peek(0) == qk::kRecordLead) {
        const BYTE type = m_ring.Peek(1);
        if (type == 0) {
            m_ring.Take(2);
            ResetAnswerMachine();
            SendToHost(UM_RUN_ENDED);
            return true;
        }
        if (type == 2) {
            m_ring.Take(2);
            return true;
        }
    } else {
        BYTE code = 0;
        switch (ReadQKStatus(0, code)) {
            case qk::StatusMatch::NeedMore:
                return false;
            case qk::StatusMatch::Token:
                // "NAK": the logger ended the stream. "ACK" answers a stop sent before the
                // first gate event.
                ResetAnswerMachine();
                if (code == qk::QK_STATUS_ACKNOWLEDGE) {
                    m_answered = 1;
                    SendToHost(UM_RUN_ENDED);
                }
                return true;
            case qk::StatusMatch::NoToken:
                break;
        }
    }
    m_answerState = QK_TIMING_RECORD;
    m_expectedQKLength = kTimingRecordLength;
    return true;
}

// ---- identification

void CDorvik::OnQKIdentification(BYTE variant) {
    const bool first = !m_qkModel;
    m_detectionState = 1;
    m_connected = 1;
    m_timerVariant = 0;

    struct InternalSensor {
        int channel;
        int slot;
        const char* name;
        const char* unit;
        double minimum, maximum, gain, offset;
    };
    static constexpr InternalSensor kInternal[] = {
        {1, 7, "Sound", "db", 50, 105.2, 0.10802195450098, 50},
        {3, 5, "Humidity", "%", 0, 100, 0.5, 0},
        {4, 6, "Pressure", "KPa", 0, 200, 0.2, 0},
    };
    for (const InternalSensor& s : kInternal) {
        for (ChannelInfoStruct* records : {m_liveChannels, m_storedChannels}) {
            ChannelInfoStruct& r = records[s.channel];
            r.name = s.name;
            r.kindName = s.name;
            r.unit = s.unit;
            r.minimum = s.minimum;
            r.maximum = s.maximum;
            r.gain = s.gain;
            r.offset = s.offset;
            r.channelIndex = static_cast<BYTE>(s.channel);
            r.enabled = 1;
            r.absent = 0;
        }
        if (m_settings) {
            SensorInfoStruct& slot = m_settings->m_sensorSlots[s.slot];
            slot.name = s.name;
            slot.unit = s.unit;
            slot.minimum = s.minimum;
            slot.maximum = s.maximum;
            slot.factor = s.gain;
            slot.offset = s.offset;
        }
    }
    const BYTE soundOn = (m_mask >> 1) & 1;
    m_liveChannels[1].enabled = soundOn;
    m_storedChannels[1].enabled = soundOn;
    SetQKModelFlagsOfMainWindow();

    if (first) {
        m_mask = 0x7F;
        for (int ch = 0; ch < kChannels; ++ch)
            m_liveChannels[ch].enabled = m_storedChannels[ch].enabled = 1;
        m_rateCode = 41;
        m_runLength = 10;
    }

    auto enable = [this](int ch, BYTE on) {
        m_liveChannels[ch].enabled = on;
        m_storedChannels[ch].enabled = on;
    };
    switch (variant) {
        case 0x82:  // the timer variant: the two inputs only
            m_timerVariant = 1;
            for (int ch = 0; ch <= 4; ++ch)
                enable(ch, 0);
            m_hasChannel3 = m_hasChannel4 = 0;
            break;
        case 0x81:  // without humidity and pressure
            enable(3, 0);
            enable(4, 0);
            m_hasChannel3 = m_hasChannel4 = 0;
            if (first) m_mask = 0x67;
            break;
        default:
            enable(3, (m_mask >> 3) & 1);
            enable(4, (m_mask >> 4) & 1);
            m_hasChannel3 = m_hasChannel4 = 1;
            break;
    }
    m_qkModel = 1;
    ResetAnswerMachine();
    SendToHost(UM_LOGGER_IDENTIFIED, 1);
}
