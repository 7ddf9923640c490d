#pragma once
// The one byte link between the logger object and a logger: a COM port or a Bluetooth RFCOMM
// client, chosen by the settings' communication type (0 COM port, 1 Bluetooth; any other type
// makes every operation do nothing and return 0).
//
// Threads. Everything runs on the GUI thread except OnDataReceived and OnEventReceived, which the
// Bluetooth stack calls on its reader thread of the port. The hand-over between the two is the
// 1000-byte receive buffer:
// - one lock covers the buffer, the receive offset and the receive count, and both the append
//   (OnDataReceived) and the drain (GetBytesWaiting, Read) hold it, so that no byte appended while
//   the GUI thread drains is lost or read twice;
// - an append that would pass the end of the buffer first moves the unread bytes to its start;
//   what still does not fit is dropped and counted (GetDroppedByteCount), and the logger
//   protocol recovers from the lost answer by its own time-outs;
// - the connected flag is a single atomic word.
// The stack must not call a notification once the port's destructor has started.
//
// Link loss. A COM port whose device went away (a USB adapter pulled out: EIO, ENXIO, a hang-up on
// reading, writing or the status query) or that cannot take a frame within about a second is
// closed at once, and IsLinkLost reports it until the next open, so that the logger object, which
// looks at it on its receive timer, can end a run and tell the user. A Bluetooth connection
// reported lost counts the same.

#include <atomic>
#include <mutex>

#include "bluetooth/rfcomm_port.h"
#include "platform/base/guid.h"
#include "platform/base/types.h"

class CSettings;

class CSerialPort : public CRfCommPort {
public:
    static constexpr DWORD kDefaultBaudRate = 2400;
    static constexpr WORD kReceiveBufferSize = 1000;
    // One read or write waits at most this long, so the 10 ms receive timer never stalls the GUI.
    static constexpr DWORD kIoTimeoutMs = 10;
    // A frame that has not gone out whole by then is a link error.
    static constexpr DWORD kWriteAllLimitMs = 1000;
    static constexpr DWORD kCommEventMask = 0x138;  // CTS, DSR, RLSD and ring changes
    static constexpr LONG kComPort = 0;
    static constexpr LONG kBluetooth = 1;

    CSerialPort();
    ~CSerialPort() override;

    // The settings whose communication type, COM number, Bluetooth address and server channel the
    // port reads; set before the first open. Without settings every operation returns 0.
    void SetSettings(CSettings* settings) { m_settings = settings; }

    // true: opens the link when it is closed, with the kept baud rate, and saves the settings
    // whatever the outcome; returns the open's result. An open link is left alone: 0.
    // false: closes the link; returns 0.
    BOOL SetOpen(bool open);
    // 1 when the link could be opened, else 0.
    BOOL Open(DWORD baudRate);
    // Opens "\\.\COM<n>" with the settings' COM number. Fails, leaving the port closed, when the
    // device is missing or held, or when it takes no serial state or time-outs (no serial port).
    BOOL OpenComPort(DWORD baudRate, BYTE byteSize, BYTE parity, BYTE stopBits);
    virtual BOOL IsOpen() const;
    virtual void Close();

    // Keeps the rate for the next open and sets it on an open COM port.
    void SetBaudRate(DWORD baudRate);
    DWORD GetBaudRate() const { return m_baudRate; }
    // The bytes waiting to be read: the driver's input queue, or the Bluetooth receive count.
    DWORD GetBytesWaiting();

    // One read of up to `length` bytes, waiting at most 10 ms; the count read.
    virtual DWORD Read(void* buffer, WORD length);
    virtual DWORD Receive(void* buffer, WORD length);
    // Writes all bytes, for at most about a second: COM in attempts bounded by 10 ms, Bluetooth
    // sending the rest of a short count again. A write that fails or stays short is a link loss
    // (over Bluetooth not one on a connection that is not open).
    virtual DWORD Write(const void* buffer, WORD length);
    // The logger object's only way to send: Write, over Bluetooth only while connected.
    virtual DWORD Send(const void* buffer, WORD length);

    // The link went away (see the top of this file); cleared by the next open.
    bool IsLinkLost() const { return m_linkLost.load(); }
    // The system error of the last failed open or of the link loss.
    DWORD GetLastLinkError() const { return m_lastError; }
    // Bluetooth bytes dropped because the receive buffer was full.
    DWORD GetDroppedByteCount() const;
    bool IsConnected() const { return m_connected.load(); }

    // Bluetooth reader thread.
    void OnDataReceived(const void* data, WORD length) override;
    void OnEventReceived(DWORD eventBits) override;

    // Line control of the open COM port; 0 or nothing without one.
    BOOL GetCTS();
    BOOL GetDSR();
    BOOL GetRing();
    BOOL GetRLSD();
    void SetDTR(bool on);
    void SetRTS(bool on);
    void SetBreak(bool on);

    // Whether the Bluetooth kernel device opens: RFCOMM sockets and an adapter.
    static BOOL IsBluetoothSdkPresent();

private:
    LONG CommunicationType() const;
    BOOL OpenBluetooth();
    BOOL ModemBit(DWORD bit);
    void Escape(DWORD function);
    // Closes the COM port and records the loss when `error` says the device went away.
    bool CheckLinkLoss(DWORD error);
    void LoseLink(DWORD error);

    DWORD m_baudRate = kDefaultBaudRate;
    CSettings* m_settings = nullptr;
    mutable std::mutex m_receiveLock;
    WORD m_receiveCount = 0;
    WORD m_receiveOffset = 0;
    BYTE m_receiveBuffer[kReceiveBufferSize] = {};
    DWORD m_droppedBytes = 0;
    BOOL m_open = FALSE;  // Bluetooth: a client open succeeded
    CRfCommChannel m_channel;
    GUID m_serviceGuid;
    std::atomic<bool> m_connected{false};  // Bluetooth: the stack reported the link up
    HANDLE m_comHandle = INVALID_HANDLE_VALUE;
    std::atomic<bool> m_linkLost{false};
    DWORD m_lastError = 0;
};
