// Finding a port on which a logger answers and telling which model it is.
//
// The remembered port first; else the ports chosen in the communication set-up dialog; else every
// COM number from 1 up. Each port gets seven ticks of timer 2003 (700 ms): ticks 0 to 3 probe for
// the basic model at 2400 baud, ticks 4 to 6 for the QK at 19200, tick 7 moves on. The answer
// machine marks the logger identified; the next tick queues the model's first commands. Over
// Bluetooth the paired logger is the one candidate and gets the same seven ticks.

#include "logger/dorvik.h"
#include "logger/logger_messages.h"
#include "logger/serial_port.h"
#include "logger/settings.h"
#include "platform/base/log.h"
#include "platform/comm/comm.h"
#include "platform/comm/port_list.h"
#include "platform/msg/wnd.h"

namespace {

constexpr short kEndOfCandidates = -1;
// Where the port number is left when the chosen ports ran out.
constexpr short kAfterCandidates = 17;
constexpr short kLastComPort = 255;
constexpr const char* kBluetoothMissingText = "Bluetooth is not available on this computer.";

bool OverBluetooth(const CSettings* settings) {
    return settings && settings->m_communicationType == CSerialPort::kBluetooth;
}

}  // namespace

BOOL CDorvik::Connect() {
    LeavePort();
    m_portNumber = 0;
    // A list left from an earlier search would try stale ports, or end at its end marker at once.
    m_candidatePorts.clear();
    if (m_settings && m_settings->m_rememberPort && !OverBluetooth(m_settings) &&
        IsComPortAvailable(m_settings->m_comNumber)) {
        m_detectionState = 2;
        ConnectToComm(m_settings->m_comNumber);
    } else {
        m_detectionState = 3;
        ConnectToNextPort();
    }
    return TRUE;
}

BOOL CDorvik::IsComPortAvailable(int port) {
    m_portOpenError = ERROR_FILE_NOT_FOUND;
    if (port < 0 || port > kLastComPort || m_bluetoothPorts[port]) return FALSE;
    const CString name = CString::Formatted("\\\\.\\COM%d", port);
    HANDLE handle = CreateFile(name.GetString(), 0, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        m_portOpenError = GetLastError();
        if (m_portOpenError == ERROR_PRIVILEGE_NOT_HELD)
            qCWarning(lcLogger,
                      "COM%d (%s) cannot be opened: permission denied; the user must be in the "
                      "group that owns the device (usually dialout)",
                      port, platform::ComPortDevice(port).GetString());
        else if (m_portOpenError != ERROR_FILE_NOT_FOUND)
            qCInfo(lcLogger, "COM%d (%s) cannot be opened: error %u", port,
                   platform::ComPortDevice(port).GetString(), unsigned(m_portOpenError));
        return FALSE;
    }
    m_portOpenError = ERROR_SUCCESS;
    CloseHandle(handle);
    return TRUE;
}

void CDorvik::ConnectToNextPort() {
    bool found = false;
    short port = 0;
    bool allBusy = false;
    if (OverBluetooth(m_settings)) {
        // The one candidate is the paired logger: no COM port is looked at, and the end marker
        // says it was tried.
        if (!CSerialPort::IsBluetoothSdkPresent()) {
            m_candidatePorts.clear();
            m_detectionState = 0;
            EndSearch(kBluetoothMissingText);
            return;
        }
        const bool tried =
            !m_candidatePorts.empty() && m_candidatePorts.front() == kEndOfCandidates;
        m_candidatePorts.assign(1, kEndOfCandidates);
        if (!tried) {
            ConnectToComm(m_settings->m_comNumber);
            return;
        }
    } else if (!m_candidatePorts.empty()) {
        while (!found && !m_candidatePorts.empty()) {
            port = m_candidatePorts.front();
            m_candidatePorts.erase(m_candidatePorts.begin());
            if (port != kEndOfCandidates) {
                found = IsComPortAvailable(port);
                if (m_candidatePorts.empty()) m_candidatePorts.push_back(kEndOfCandidates);
            } else {
                m_portNumber = kAfterCandidates;
            }
        }
    } else {
        const bool fromStart = m_portNumber == 0;
        int held = 0;
        int refused = 0;
        while (!found && m_portNumber <= kLastComPort) {
            ++m_portNumber;
            found = IsComPortAvailable(m_portNumber);
            if (found) break;
            if (m_portOpenError == ERROR_ACCESS_DENIED)
                ++held;
            else if (m_portOpenError != ERROR_FILE_NOT_FOUND)
                ++refused;
        }
        port = m_portNumber;
        // On Windows some COM port always exists; here a machine may have none, or only ports
        // this user may not open, and neither is "busy".
        allBusy = fromStart && m_portNumber > kLastComPort && held > 0 && refused == 0;
    }
    if (found) {
        ConnectToComm(port);
        return;
    }
    m_detectionState = 0;
    if (m_settings) {
        m_settings->m_rememberPort = 0;
        if (!m_settings->Save()) qCWarning(lcLogger) << "the settings could not be saved";
    }
    // Also when no port could even be opened: the search has ended, and the user hears of it.
    EndSearch(allBusy ? kAllPortsBusyText : kConnectFailedText);
}

void CDorvik::ConnectToComm(short port) {
    StartReceiveTimer();
    KillDetectionTimer();
    LeavePort();
    if (m_settings) m_settings->m_comNumber = static_cast<BYTE>(port);
    m_serialPort->SetBaudRate(kBasicBaudRate);
    m_serialPort->SetOpen(true);
    m_detectionTick = 0;
    StartDetectionTimer();
    SendBasicStatusRequest();
}

void CDorvik::StartDetectionTimer() {
    CWnd* host = Host();
    if (host && host->SetTimer(kDetectionTimer, kDetectionPeriodMs))
        m_detectionTimerOn = 1;
    else
        PostTimerFailure(true);
}

void CDorvik::KillDetectionTimer() {
    if (!m_detectionTimerOn) return;
    if (CWnd* host = Host()) host->KillTimer(kDetectionTimer);
    m_detectionTimerOn = 0;
}

void CDorvik::LeavePort() {
    if (m_serialPort->IsOpen()) m_serialPort->SetOpen(false);
    // The commands under way were for the logger on it.
    StopCommandTimer();
    // A run asked for and not begun is over too: the document stops waiting for it.
    if (m_runOnPort || m_runRequested || m_timingRequested) {
        m_sampleCounter = 0;
        SendToHost(UM_RUN_ENDED);
    }
    m_basicFastMode = 0;
    m_livePollPending = 0;
    m_basicStopSent = 0;
    m_connected = 0;
    m_ring.Clear();
    ResetAnswerMachine();
}

void CDorvik::Disconnect() {
    KillDetectionTimer();
    StopCommandTimer();
    StopDownloadTimer();
    ResetAnswerMachine();
    // The document's run ends here, once: leaving the port must not end it again.
    if (m_setDownloadFinished)
        SendToHost(UM_RUN_ENDED);
    else
        EndDownloadWithoutData(false);  // the user's choice, no failure
    // A basic logger's next idle status would end it again.
    m_sampleCounter = 0;
    LeavePort();
    m_qkModel = 0;
}

void CDorvik::EndSearch(const CString& text) {
    KillDetectionTimer();
    LeavePort();
    m_version = 7;
    PostUserMessage(text);
}

void CDorvik::DetectLogger() {
    switch (m_detectionState) {
        case 1: {
            KillDetectionTimer();
            if (m_settings) {
                m_settings->m_rememberPort = 1;
                if (!m_settings->Save()) qCWarning(lcLogger) << "the settings could not be saved";
            }
            CString text;
            if (!m_qkModel) {
                text = CString::Formatted("%s%d %s", "Dorvik V.", int(m_version), "was detected");
                SendToHost(UM_LOGGER_IDENTIFIED, 0);
                QueueSensorQuery();
            } else {
                text = "Dorvik QK was detected";
                QueueQKSetDate();
                QueueQKSetTime();
                QueueReadLiveSensorInfo();
            }
            StartCommandTimer(100);
            ShowStatusBarText(text);
            break;
        }
        case 0:
            EndSearch(kConnectFailedText);
            break;
        default:
            ++m_detectionTick;
            if (m_detectionTick <= 3) {
                // The basic model is probed whether or not a logger was connected before.
                SendBasicStatusRequest();
            } else if (m_detectionTick <= 6) {
                if (m_detectionTick == 4) {
                    m_serialPort->SetBaudRate(kQKBaudRate);
                    SendToDorvik(m_wakeBlock);
                }
                SendQKStatusRequest();
            } else {
                LeavePort();
                m_detectionTick = 0;
                ConnectToNextPort();
            }
            break;
    }
}
