#include "logger/serial_port.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "bluetooth/sdk.h"
#include "logger/settings.h"
#include "platform/base/cstring.h"
#include "platform/base/log.h"
#include "platform/comm/comm.h"

namespace {

// {00001101-0000-1000-8000-00805F9B34FB}
constexpr GUID kSerialPortProfileGuid = {
    0x00001101, 0x0000, 0x1000, {0x80, 0x00, 0x00, 0x80, 0x5F, 0x9B, 0x34, 0xFB}};
constexpr const char* kSecurityServiceName = "Mercant Tessmark";

}  // namespace

CSerialPort::CSerialPort() = default;

CSerialPort::~CSerialPort() {
    // The settings may already be gone: close whatever is open.
    if (m_comHandle != INVALID_HANDLE_VALUE) CloseHandle(m_comHandle);
    if (IsConnectionOpen()) CRfCommPort::Close();
}

LONG CSerialPort::CommunicationType() const {
    return m_settings ? m_settings->m_communicationType : -1;
}

BOOL CSerialPort::SetOpen(bool open) {
    if (open) {
        if (IsOpen()) return 0;
        const BOOL result = Open(m_baudRate);
        // The chosen port survives a crash.
        if (m_settings && !m_settings->Save())
            qCWarning(lcLogger) << "the settings could not be saved";
        return result;
    }
    if (IsOpen()) Close();
    if (CommunicationType() == kBluetooth) m_open = FALSE;
    return 0;
}

BOOL CSerialPort::Open(DWORD /*baudRate*/) {
    switch (CommunicationType()) {
        case kComPort:
            return OpenComPort(m_baudRate, 8, NOPARITY, ONESTOPBIT);
        case kBluetooth:
            return OpenBluetooth();
        default:
            return 0;
    }
}

BOOL CSerialPort::OpenComPort(DWORD baudRate, BYTE byteSize, BYTE parity, BYTE stopBits) {
    Close();
    if (!m_settings) return 0;
    m_linkLost = false;
    const CString name = CString::Formatted("\\\\.\\COM%d", int(m_settings->m_comNumber));
    HANDLE handle = CreateFile(name.GetString(), GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        m_lastError = GetLastError();
        return 0;
    }
    DCB dcb;
    bool ok = GetCommState(handle, &dcb);
    if (ok) {
        dcb.BaudRate = baudRate;
        dcb.ByteSize = byteSize;
        dcb.Parity = parity;
        dcb.StopBits = stopBits;
        dcb.fOutxCtsFlow = 0;
        dcb.fOutxDsrFlow = 0;
        dcb.fDsrSensitivity = 0;
        dcb.fOutX = 0;
        dcb.fInX = 0;
        dcb.fDtrControl = DTR_CONTROL_DISABLE;
        dcb.fRtsControl = RTS_CONTROL_DISABLE;
        ok = SetCommState(handle, &dcb);
    }
    if (ok) {
        COMMTIMEOUTS timeouts;
        timeouts.ReadIntervalTimeout = 0;
        timeouts.ReadTotalTimeoutMultiplier = 0;
        timeouts.ReadTotalTimeoutConstant = kIoTimeoutMs;
        timeouts.WriteTotalTimeoutMultiplier = 0;
        timeouts.WriteTotalTimeoutConstant = kIoTimeoutMs;
        ok = SetCommTimeouts(handle, &timeouts);
    }
    if (!ok) {
        // Not a serial port, or not one that takes these settings.
        m_lastError = GetLastError();
        CloseHandle(handle);
        return 0;
    }
    SetCommMask(handle, kCommEventMask);
    PurgeComm(handle, PURGE_TXCLEAR | PURGE_RXCLEAR);
    m_comHandle = handle;
    return 1;
}

BOOL CSerialPort::OpenBluetooth() {
    m_linkLost = false;
    m_serviceGuid = kSerialPortProfileGuid;
    m_channel.AssignChannel(&m_serviceGuid, m_settings->m_serverChannel, "");
    if (!m_channel.SetSecurityLevel(kSecurityServiceName, 0, false)) return 0;
    const DWORD result =
        OpenClient(m_channel.GetServerChannel(), m_settings->m_btAddress, CRfCommPort::kDefaultMtu);
    m_open = result == kSuccess ? TRUE : FALSE;
    {
        std::lock_guard lock(m_receiveLock);
        m_receiveCount = 0;
    }
    return m_open;
}

BOOL CSerialPort::IsOpen() const {
    if (CommunicationType() == kBluetooth) return m_open;
    return m_comHandle != INVALID_HANDLE_VALUE;
}

void CSerialPort::Close() {
    if (CommunicationType() == kBluetooth) CRfCommPort::Close();
    if (m_comHandle != INVALID_HANDLE_VALUE) {
        CloseHandle(m_comHandle);
        m_comHandle = INVALID_HANDLE_VALUE;
    }
}

void CSerialPort::LoseLink(DWORD error) {
    if (m_comHandle != INVALID_HANDLE_VALUE) {
        CloseHandle(m_comHandle);
        m_comHandle = INVALID_HANDLE_VALUE;
    }
    m_lastError = error;
    m_linkLost = true;
}

bool CSerialPort::CheckLinkLoss(DWORD error) {
    if (error != DWORD(ERROR_DEVICE_REMOVED)) return false;
    LoseLink(error);
    return true;
}

void CSerialPort::SetBaudRate(DWORD baudRate) {
    m_baudRate = baudRate;
    if (CommunicationType() != kComPort || m_comHandle == INVALID_HANDLE_VALUE) return;
    DCB dcb;
    if (!GetCommState(m_comHandle, &dcb)) {
        CheckLinkLoss(GetLastError());
        return;
    }
    dcb.BaudRate = baudRate;
    if (!SetCommState(m_comHandle, &dcb)) CheckLinkLoss(GetLastError());
}

DWORD CSerialPort::GetBytesWaiting() {
    switch (CommunicationType()) {
        case kComPort: {
            if (m_comHandle == INVALID_HANDLE_VALUE) return 0;
            DWORD errors = 0;
            COMSTAT status;
            if (!ClearCommError(m_comHandle, &errors, &status)) {
                CheckLinkLoss(GetLastError());
                return 0;
            }
            return status.cbInQue;
        }
        case kBluetooth: {
            std::lock_guard lock(m_receiveLock);
            return m_receiveCount;
        }
        default:
            return 0;
    }
}

DWORD CSerialPort::Read(void* buffer, WORD length) {
    switch (CommunicationType()) {
        case kComPort: {
            if (m_comHandle == INVALID_HANDLE_VALUE || !buffer) return 0;
            DWORD read = 0;
            if (!ReadFile(m_comHandle, buffer, length, &read, nullptr)) {
                CheckLinkLoss(GetLastError());
                return 0;
            }
            return read;
        }
        case kBluetooth: {
            if (!buffer) return 0;
            std::lock_guard lock(m_receiveLock);
            if (length < m_receiveCount) {
                std::memcpy(buffer, m_receiveBuffer + m_receiveOffset, length);
                m_receiveOffset += length;
                m_receiveCount -= length;
                return length;
            }
            const WORD count = m_receiveCount;
            std::memcpy(buffer, m_receiveBuffer + m_receiveOffset, count);
            m_receiveOffset = 0;
            m_receiveCount = 0;
            return count;
        }
        default:
            return 0;
    }
}

DWORD CSerialPort::Receive(void* buffer, WORD length) {
    return Read(buffer, length);
}

DWORD CSerialPort::Write(const void* buffer, WORD length) {
    switch (CommunicationType()) {
        case kComPort: {
            if (m_comHandle == INVALID_HANDLE_VALUE || !buffer) return 0;
            using Clock = std::chrono::steady_clock;
            const Clock::time_point deadline =
                Clock::now() + std::chrono::milliseconds(kWriteAllLimitMs);
            const auto* bytes = static_cast<const BYTE*>(buffer);
            DWORD sent = 0;
            while (sent < length) {
                DWORD written = 0;
                if (!WriteFile(m_comHandle, bytes + sent, length - sent, &written, nullptr)) {
                    LoseLink(GetLastError());
                    return sent + written;
                }
                sent += written;
                if (sent < length && Clock::now() >= deadline) {
                    // A frame that cannot go out whole leaves the logger out of step.
                    LoseLink(ERROR_TIMEOUT);
                    return sent;
                }
            }
            return sent;
        }
        case kBluetooth: {
            if (!buffer) return 0;
            using Clock = std::chrono::steady_clock;
            const Clock::time_point deadline =
                Clock::now() + std::chrono::milliseconds(kWriteAllLimitMs);
            const auto* bytes = static_cast<const BYTE*>(buffer);
            WORD sent = 0;
            while (sent < length) {
                WORD written = 0;
                const DWORD result =
                    CRfCommPort::Write(bytes + sent, WORD(length - sent), &written);
                sent += std::min<WORD>(written, WORD(length - sent));
                if (result != kSuccess) {
                    // Not open is no loss: the link was never there or was closed on purpose.
                    if (result != kNotOpen) LoseLink(ERROR_GEN_FAILURE);
                    return sent;
                }
                if (sent < length && Clock::now() >= deadline) {
                    // Half a frame leaves the logger out of step, as over a COM port.
                    LoseLink(ERROR_TIMEOUT);
                    return sent;
                }
                if (written == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            return sent;
        }
        default:
            return 0;
    }
}

DWORD CSerialPort::Send(const void* buffer, WORD length) {
    switch (CommunicationType()) {
        case kComPort:
            return Write(buffer, length);
        case kBluetooth:
            return m_connected.load() ? Write(buffer, length) : 0;
        default:
            return 0;
    }
}

DWORD CSerialPort::GetDroppedByteCount() const {
    std::lock_guard lock(m_receiveLock);
    return m_droppedBytes;
}

void CSerialPort::OnDataReceived(const void* data, WORD length) {
    if (!data || length == 0) return;
    std::lock_guard lock(m_receiveLock);
    if (m_receiveOffset + m_receiveCount + length > kReceiveBufferSize) {
        std::memmove(m_receiveBuffer, m_receiveBuffer + m_receiveOffset, m_receiveCount);
        m_receiveOffset = 0;
    }
    const WORD room = kReceiveBufferSize - m_receiveOffset - m_receiveCount;
    const WORD take = std::min(length, room);
    std::memcpy(m_receiveBuffer + m_receiveOffset + m_receiveCount, data, take);
    m_receiveCount += take;
    m_droppedBytes += length - take;
}

void CSerialPort::OnEventReceived(DWORD eventBits) {
    if (eventBits & kEventConnected) m_connected = true;
    if (eventBits & kEventConnectError) {
        m_connected = false;
        m_linkLost = true;
    }
}

BOOL CSerialPort::ModemBit(DWORD bit) {
    if (CommunicationType() != kComPort || m_comHandle == INVALID_HANDLE_VALUE) return 0;
    DWORD status = 0;
    if (!GetCommModemStatus(m_comHandle, &status)) {
        CheckLinkLoss(GetLastError());
        return 0;
    }
    return (status & bit) ? 1 : 0;
}

BOOL CSerialPort::GetCTS() {
    return ModemBit(MS_CTS_ON);
}
BOOL CSerialPort::GetDSR() {
    return ModemBit(MS_DSR_ON);
}
BOOL CSerialPort::GetRing() {
    return ModemBit(MS_RING_ON);
}
BOOL CSerialPort::GetRLSD() {
    return ModemBit(MS_RLSD_ON);
}

void CSerialPort::Escape(DWORD function) {
    if (CommunicationType() != kComPort || m_comHandle == INVALID_HANDLE_VALUE) return;
    if (!EscapeCommFunction(m_comHandle, function)) CheckLinkLoss(GetLastError());
}

void CSerialPort::SetDTR(bool on) {
    Escape(on ? SETDTR : CLRDTR);
}
void CSerialPort::SetRTS(bool on) {
    Escape(on ? SETRTS : CLRRTS);
}
void CSerialPort::SetBreak(bool on) {
    Escape(on ? SETBREAK : CLRBREAK);
}

BOOL CSerialPort::IsBluetoothSdkPresent() {
    return BtSdkPresent() ? TRUE : FALSE;
}
