// The logger object: construction, the command queue and its timer, receiving into the ring, the
// run arrays and the messages to the host window.

#include "logger/dorvik.h"

#include <algorithm>
#include <exception>

#include "analysis/timing_measurement.h"
#include "logger/logger_messages.h"
#include "logger/main_window_link.h"
#include "logger/serial_port.h"
#include "logger/settings.h"
#include "logger/user_prompt.h"
#include "platform/base/log.h"
#include "platform/msg/message_loop.h"
#include "platform/msg/wnd.h"

CDorvik::CDorvik(CSettings* settings, std::unique_ptr<CSerialPort> port)
    : m_serialPort(port ? std::move(port) : std::make_unique<CSerialPort>()), m_settings(settings) {
    m_serialPort->SetSettings(settings);
    EnumerateBluetoothComPorts(m_bluetoothPorts);
}

CDorvik::~CDorvik() {
    // The host may outlive the object; its timers must not reach a dead one.
    if (CWnd* host = Host()) {
        for (UINT_PTR id : {kReceiveTimer, kDetectionTimer, kCommandTimer, kDownloadTimer})
            host->KillTimer(id);
    }
}

void CDorvik::Create(CWnd* host) {
    m_hostWindow = host ? host->GetSafeHwnd() : nullptr;
    Initialize();
}

void CDorvik::Initialize() {
    m_ring.Clear();
    m_busy = 0;
    m_detectionTick = 0;
    m_regimeReplyPending = 0;
    ResetAnswerMachine();
    Connect();
}

CWnd* CDorvik::Host() const {
    return m_hostWindow ? CWnd::FromHandle(m_hostWindow) : nullptr;
}

LRESULT CDorvik::SendToHost(UINT message, WPARAM wParam, LPARAM lParam) {
    // However it ended, nothing more goes into the run's arrays: the document owns them now.
    if (message == UM_RUN_ENDED) m_runActive = m_runRequested = m_timingRequested = m_runOnPort = 0;
    if (!m_hostWindow || !IsWindow(m_hostWindow)) return 0;
    return ::SendMessage(m_hostWindow, message, wParam, lParam);
}

void CDorvik::PostUserMessage(const CString& text) {
    platform::MessageLoop::Current().Post([text] { ShowMessage(text, 0); });
}

void CDorvik::PostTimerFailure(bool errorIcon) {
    platform::MessageLoop::Current().Post([errorIcon] {
        const UINT type = errorIcon ? MB_ICONERROR : MB_OK;
        if (CUserPrompt* prompt = GetUserPrompt())
            prompt->MessageBox("SetTimer failed", "Error", type);
        else
            qCWarning(lcLogger) << "SetTimer failed";
    });
}

void CDorvik::ReportTimingMismatch() {
    if (m_timingMismatchReported) return;
    m_timingMismatchReported = true;
    PostUserMessage(kTimingMismatchMessage);
}

void CDorvik::ShowStatusBarText(const CString& text) {
    m_statusBarText = text;
    if (CMainWindowLink* link = GetMainWindowLink()) link->ShowStatusBarText(text);
}

void CDorvik::SetQKModelFlagsOfMainWindow() {
    if (CMainWindowLink* link = GetMainWindowLink()) link->SetModelFlags(1, 1);
}

SYSTEMTIME CDorvik::LocalTimeNow() const {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return now;
}

// ---- the command queue

namespace {

CommandParametersStruct Command(BYTE code) {
    CommandParametersStruct command;
    command.code = code;
    return command;
}

}  // namespace

void CDorvik::QueueStatusQuery() {
    AppendCommand(Command(COMMAND_STATUS_QUERY));
}

void CDorvik::QueueRun() {
    AppendCommand(Command(COMMAND_RUN));
}

bool CDorvik::QueueSetup(BYTE mask, WORD rateCode, DWORD runLength) {
    if (runLength > kMaxRunLength) {
        PostUserMessage(CString::Formatted(kRunTooLongText, unsigned(kMaxRunLength)));
        return false;
    }
    CommandParametersStruct command = Command(COMMAND_SETUP);
    command.mask = mask;
    command.rateCode = rateCode;
    command.runLength = static_cast<WORD>(runLength);
    AppendCommand(command);
    return true;
}

void CDorvik::QueueDownload() {
    AppendCommand(Command(COMMAND_DOWNLOAD));
}

void CDorvik::QueueStop() {
    AppendCommand(Command(COMMAND_STOP));
}

void CDorvik::QueueSensorQuery() {
    AppendCommand(Command(COMMAND_SENSOR_QUERY));
}

void CDorvik::QueueReadSensorInfo(BYTE setIndex, BYTE channel) {
    CommandParametersStruct command = Command(QK_COMMAND_READ_SENSOR_INFO);
    command.setIndex = setIndex;
    command.channel = channel;
    AppendCommand(command);
    m_sensorReadQueued = 1;
}

void CDorvik::QueueReadLiveSensorInfo() {
    // The timer variant has no fixed sensors on channels 0 to 4.
    if (!m_timerVariant) {
        QueueReadSensorInfo(kLiveChannels, 0);
        QueueReadSensorInfo(kLiveChannels, 2);
    }
    QueueReadSensorInfo(kLiveChannels, 5);
    QueueReadSensorInfo(kLiveChannels, 6);
}

void CDorvik::QueueReadDataHeader(BYTE setIndex) {
    CommandParametersStruct command = Command(QK_COMMAND_READ_DATA_HEADER);
    command.setIndex = setIndex;
    AppendCommand(command);
}

void CDorvik::QueueQKSetDate() {
    AppendCommand(Command(QK_COMMAND_SET_DATE));
}

void CDorvik::QueueQKSetTime() {
    AppendCommand(Command(QK_COMMAND_SET_TIME));
}

void CDorvik::QueueQKReadData(BYTE setIndex, BYTE channel, WORD firstSample, WORD lastSample) {
    CommandParametersStruct command = Command(QK_COMMAND_READ_DATA);
    command.setIndex = setIndex;
    command.channel = channel;
    command.firstSample = firstSample;
    command.lastSample = lastSample;
    AppendCommand(command);
}

bool CDorvik::QueueWriteLoggingRegime(WORD rateCode, BYTE mask, DWORD runLength, BYTE runFlag) {
    // A live run's records could not number its samples; a stored one's are read in 16 bits.
    const DWORD limit = runFlag == 1 ? kMaxQKLiveRunLength : kMaxRunLength;
    if (runLength > limit) {
        PostUserMessage(CString::Formatted(kRunTooLongText, unsigned(limit)));
        return false;
    }
    CommandParametersStruct command = Command(QK_COMMAND_PRE_WRITE_LOGGING_REGIME);
    command.rateCode = rateCode;
    command.mask = mask;
    command.runLength = static_cast<WORD>(runLength);
    command.runFlag = runFlag;
    AppendCommand(command);
    return true;
}

void CDorvik::QueueReadMemory() {
    for (BYTE set = 0; set < kStoredSets; ++set) {
        CommandParametersStruct command = Command(QK_COMMAND_READ_MEMORY);
        command.setIndex = set;
        AppendCommand(command);
    }
}

void CDorvik::QueueQKClearMemory() {
    AppendCommand(Command(QK_COMMAND_CLEAR_MEMORY));
}

void CDorvik::QueueQKStop() {
    AppendCommand(Command(QK_COMMAND_STOP));
}

void CDorvik::QueueQKTiming() {
    AppendCommand(Command(QK_COMMAND_TIMING));
}

void CDorvik::QueueQKTimingDownload(BYTE setIndex, WORD firstSample, WORD lastSample) {
    CommandParametersStruct command = Command(QK_COMMAND_TIMING_DOWNLOAD);
    command.setIndex = setIndex;
    command.firstSample = firstSample;
    command.lastSample = lastSample;
    AppendCommand(command);
}

void CDorvik::StartCommandTimer(UINT periodMs) {
    m_commandFailed = 0;
    // A fresh start of the tries while a command is under way would send an answered head again.
    if (m_commandTimerOn) return;
    m_answered = 0;
    m_commandTries = 0;
    OnCommandTimer();
    CWnd* host = Host();
    if (host && host->SetTimer(kCommandTimer, periodMs))
        m_commandTimerOn = 1;
    else
        PostTimerFailure(false);
}

void CDorvik::StopCommandTimer() {
    m_commandQueue.clear();
    if (m_commandTimerOn) {
        if (CWnd* host = Host()) host->KillTimer(kCommandTimer);
        m_commandTimerOn = 0;
        if (m_currentCommand.code == COMMAND_STOP) m_currentCommand.code = COMMAND_STOPPED;
    }
    m_sensorReadUnderWay = 0;
    m_regimeReplyPending = 0;
}

void CDorvik::ShowFirstTryProgress(const CommandParametersStruct& command) {
    auto percent = [](int value) { return FormatValue(value, 3, false) + "%"; };
    CString text;
    switch (command.code) {
        case COMMAND_RUN:
        case QK_COMMAND_TIMING:
            text = "Run";
            break;
        case QK_COMMAND_PRE_WRITE_LOGGING_REGIME:
            text = command.runFlag == 1 ? "Run" : "Setup Dorvik";
            break;
        case COMMAND_SETUP:
            text = "Setup Dorvik";
            break;
        case COMMAND_DOWNLOAD:
        case QK_COMMAND_TIMING_DOWNLOAD:
            text = "Download";
            break;
        case COMMAND_STOP:
        case QK_COMMAND_STOP:
            text = "Stopping Dorvik";
            break;
        case QK_COMMAND_READ_SENSOR_INFO:
            text = "Reading sensors information - " + percent((command.channel + 1) * 100 / 7);
            break;
        case QK_COMMAND_READ_DATA: {
            int done = 0;
            if (command.setIndex < kStoredSets) {
                const DataSetHeaderStruct& header = m_dataSetHeaders[command.setIndex];
                const int count = std::min<int>(header.channelCount, kChannels);
                for (int i = 0; i < count; ++i) {
                    if (header.readOrder[i] == command.channel) {
                        done = (i + 1) * 100 / count;
                        break;
                    }
                }
            }
            text = CString("Download") + " - " + percent(done);
            break;
        }
        case QK_COMMAND_READ_MEMORY:
            text = "Read memory - " + percent((command.setIndex + 1) * 100 / 4);
            break;
        default:
            return;
    }
    m_progressText = text;
    ShowStatusBarText(text);
}

void CDorvik::OnCommandTimer() {
    // While the logger may still answer the regime frame, the ticks neither send nor count.
    if (m_regimeReplyPending) {
        CheckRegimeReplyTime();
        if (m_regimeReplyPending) return;
    }
    // A data read's answer takes its time on the wire: until it is overdue the ticks neither
    // count nor send it again.
    if (m_commandTries > 0 && m_commandTries < kCommandTryLimit && !m_answered &&
        m_currentCommand.code == QK_COMMAND_READ_DATA && !m_commandQueue.empty() &&
        IsSetDataAnswerAwaited())
        return;
    ++m_commandTries;
    // What came before the head's first try was a late answer to the command before it.
    if (m_commandTries == 1) m_answered = 0;
    // An empty queue falls through and stops the timer.
    if (m_commandTries < kCommandTryLimit && !m_answered && !m_commandQueue.empty()) {
        m_currentCommand = m_commandQueue.front();
        if (m_commandTries == 1) ShowFirstTryProgress(m_currentCommand);
        switch (m_currentCommand.code) {
            case COMMAND_STATUS_QUERY:
                SendStatusQuery();
                break;
            case COMMAND_RUN:
                SendRun();
                break;
            case COMMAND_SETUP:
                SendSetup();
                break;
            case COMMAND_DOWNLOAD:
                // The stored run streams once asked for: asking again would restart it.
                if (m_commandTries == 1) {
                    StartDownloadTimer();
                    SendDownload();
                }
                break;
            case COMMAND_STOP:
                SendStop();
                break;
            case COMMAND_SENSOR_QUERY:
                SendSensorQuery();
                break;
            case QK_COMMAND_READ_SENSOR_INFO:
                SendQKReadSensorInfo();
                break;
            case QK_COMMAND_READ_DATA_HEADER:
            case QK_COMMAND_READ_MEMORY:
                SendQKReadDataHeader();
                break;
            case QK_COMMAND_SET_DATE:
                SendQKSetDate();
                break;
            case QK_COMMAND_SET_TIME:
                SendQKSetTime();
                break;
            case QK_COMMAND_READ_DATA:
                if (m_downloadStop) {
                    AbortSetDownload();
                    return;
                }
                SendQKReadData();
                break;
            case QK_COMMAND_PRE_WRITE_LOGGING_REGIME:
                SendQKPreWriteLoggingRegime();
                break;
            case QK_COMMAND_CLEAR_MEMORY:
                SendQKClearMemory();
                break;
            case QK_COMMAND_STOP:
                SendQKStop();
                break;
            case QK_COMMAND_TIMING:
                SendQKTiming();
                break;
            case QK_COMMAND_TIMING_DOWNLOAD:
                SendQKTimingDownload();
                m_commandTries = 100;  // sent once: the records stream until the set is read
                break;
            default:
                break;
        }
        return;
    }

    bool selectDownload = false;
    if (!m_commandQueue.empty()) {
        const CommandParametersStruct done = m_commandQueue.front();
        m_commandQueue.pop_front();
        if (!m_answered) {
            if (done.code == QK_COMMAND_READ_SENSOR_INFO) {
                StopCommandTimer();
                m_sensorReadQueued = 0;
                m_detectionState = 0;
                DetectLogger();
            }
            m_commandFailed = 1;
            if (done.code == QK_COMMAND_READ_DATA) AbortSetDownload();
            // The chosen set's header: the download cannot start.
            if (done.code == QK_COMMAND_READ_DATA_HEADER) EndDownloadWithoutData(true);
            if (done.code == QK_COMMAND_PRE_WRITE_LOGGING_REGIME) {
                m_runRequested = 0;  // no run comes of it
                PostUserMessage(kRegimeRefusedText);
            }
        }
        if (done.code == QK_COMMAND_READ_MEMORY) {
            if (!m_answered && done.setIndex < kStoredSets)
                m_dataSetHeaders[done.setIndex].mode = 3;
            selectDownload = done.setIndex == kStoredSets - 1;
        } else if (done.code == QK_COMMAND_READ_SENSOR_INFO && done.channel == kChannels - 1) {
            m_sensorReadUnderWay = 0;
        }
    }
    if (!m_commandQueue.empty()) {
        m_commandTries = 0;
        m_answered = 0;
    } else {
        StopCommandTimer();
    }
    // Last: the document lets the user choose a set in a dialog, and nothing of this tick may be
    // left to do underneath it.
    if (selectDownload) SendToHost(UM_SELECT_DOWNLOAD);
}

// ---- receiving

void CDorvik::StartReceiveTimer() {
    if (m_receiveTimerOn) return;
    CWnd* host = Host();
    if (host && host->SetTimer(kReceiveTimer, kReceivePeriodMs))
        m_receiveTimerOn = 1;
    else
        PostTimerFailure(false);
}

void CDorvik::OnOnCommCommPort() {
    try {
        if (m_serialPort->IsLinkLost()) {
            if (!m_linkLossHandled) {
                m_linkLossHandled = 1;
                OnLinkLost();
            }
            return;
        }
        m_linkLossHandled = 0;
        if (m_serialPort->IsOpen()) {
            // Only what the ring can hold: the rest waits in the driver's buffer.
            const DWORD take =
                std::min<DWORD>({m_serialPort->GetBytesWaiting(), m_ring.Free(), DWORD(0xFFFF)});
            if (take > 0) {
                std::vector<BYTE> bytes(take);
                const DWORD got = m_serialPort->Receive(bytes.data(), static_cast<WORD>(take));
                m_ring.Put(bytes.data(), std::min(got, take));
            }
        }
        if (m_ring.Count() > 0) SomethingInSerialBufferFunction();
        CheckRegimeReplyTime();
    } catch (const std::exception& e) {
        // The next tick reads again, and a lost link has its own path.
        qCWarning(lcLogger) << "receive tick failed:" << e.what();
    }
}

DWORD CDorvik::AcceptReceivedBytes(const BYTE* bytes, DWORD count) {
    const DWORD taken = m_ring.Put(bytes, count);
    SomethingInSerialBufferFunction();
    return taken;
}

void CDorvik::OnLinkLost() {
    const bool wasConnected = m_connected != 0;
    StopCommandTimer();
    m_ring.Clear();
    ResetAnswerMachine();
    m_connected = 0;
    // Nothing of a download may be left to fail it again later.
    StopDownloadTimer();
    if (!wasConnected) return;  // a port being probed: detection moves on by itself
    // A basic logger's next idle status would end the run again, and its next run not count
    // from 0.
    m_sampleCounter = 0;
    if (m_setDownloadFinished)
        SendToHost(UM_RUN_ENDED);
    else
        EndDownloadWithoutData(false);  // with its own RUN_ENDED; told of the link, not a failure
    PostUserMessage(kLinkLostText);
}

bool CDorvik::SkipBytes(DWORD count, DWORD* sum) {
    return m_ring.Take(count, nullptr, sum);
}

bool CDorvik::TakeBytes(DWORD count, std::vector<BYTE>& bytes, DWORD& sum) {
    if (m_ring.Count() < count) return false;
    bytes.resize(count);
    return m_ring.Take(count, bytes.data(), &sum);
}

DWORD CDorvik::CopyBytes(BYTE* buffer, DWORD& fill, DWORD total) {
    if (!buffer || fill >= total) return 0;
    DWORD sum = 0;
    fill += m_ring.TakeUpTo(buffer + fill, total - fill, &sum);
    return sum;
}

// ---- sending

void CDorvik::SendToDorvik(const CString& text) {
    SendToDorvik(reinterpret_cast<const BYTE*>(text.GetString()), DWORD(text.GetLength()));
}

void CDorvik::SendToDorvik(const BYTE* bytes, DWORD count) {
    if (!bytes || !m_serialPort->IsOpen()) return;
    try {
        for (DWORD sent = 0; sent < count;) {
            const WORD part = static_cast<WORD>(std::min<DWORD>(count - sent, 0xFFFF));
            m_serialPort->Send(bytes + sent, part);
            sent += part;
        }
    } catch (const std::exception& e) {
        // The command queue sends again, and a lost link has its own path.
        qCWarning(lcLogger) << "send failed:" << e.what();
    }
}

// ---- the run

void CDorvik::BeginRun(BYTE channelCount, BYTE runKind) {
    const int pairs = std::min<int>(channelCount, kRunPairs);
    for (int i = 0; i < kRunPairs; ++i) {
        if (i < pairs) {
            m_ownedRunX[i] = std::make_unique<CDataArray>();
            m_ownedRunY[i] = std::make_unique<CDataArray>();
        } else {
            m_ownedRunX[i].reset();
            m_ownedRunY[i].reset();
        }
        m_runX[i] = m_ownedRunX[i];
        m_runY[i] = m_ownedRunY[i];
    }
    m_sampleCounter = 0;
    m_runOnPort = runKind == kLiveRun || runKind == kLiveTimingRun;
    m_rateInfo = RateInfo(GetRateCode(runKind));
    m_runActive = 1;
    m_runRequested = 0;
    m_timingRequested = 0;
    m_runChannelCount = static_cast<BYTE>(pairs);
    std::copy(m_channelList, m_channelList + pairs, m_runChannels);
    m_timingMismatchReported = false;
    for (CHeartRateDetector& detector : m_heartRate)
        detector.Reset();
    SendToHost(UM_NEW_EXPERIMENT, kNewExperimentTag, runKind);
}

CDataArray* CDorvik::GetRunX(int pair) const {
    return pair >= 0 && pair < kRunPairs ? m_runX[pair].lock().get() : nullptr;
}

CDataArray* CDorvik::GetRunY(int pair) const {
    return pair >= 0 && pair < kRunPairs ? m_runY[pair].lock().get() : nullptr;
}

CDataArrayPtr CDorvik::TakeRunX(int pair) {
    return pair >= 0 && pair < kRunPairs ? std::move(m_ownedRunX[pair]) : nullptr;
}

CDataArrayPtr CDorvik::TakeRunY(int pair) {
    return pair >= 0 && pair < kRunPairs ? std::move(m_ownedRunY[pair]) : nullptr;
}

void CDorvik::ForgetRunArrays() {
    for (int i = 0; i < kRunPairs; ++i) {
        m_ownedRunX[i].reset();
        m_ownedRunY[i].reset();
        m_runX[i].reset();
        m_runY[i].reset();
    }
}

WORD CDorvik::GetRateCode(BYTE runKind) const {
    // Gate times have no time base; the regime's rate is the set-up's, not theirs.
    if (runKind == kLiveTimingRun) return 0;
    if (m_qkModel && (runKind == kStoredRun || runKind == kStoredTimingRun) &&
        m_chosenSet < kStoredSets)
        return m_dataSetHeaders[m_chosenSet].rateCode;
    return m_rateCode;
}

BYTE CDorvik::GetChannelCount(BYTE runKind) const {
    if (m_qkModel && (runKind == kStoredRun || runKind == kStoredTimingRun) &&
        m_chosenSet < kStoredSets)
        return m_dataSetHeaders[m_chosenSet].channelCount;
    return m_channelCount;
}
