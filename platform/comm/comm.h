#pragma once
// The Windows communications calls on termios: CreateFile of "\\.\COM<n>", the comm state,
// time-outs, event mask, purge, the error-and-status query, escape functions, modem status, reads,
// writes and CloseHandle. COM numbers name devices through the serial port list (port_list.h).
//
// How the Windows behaviour is kept:
// - A COM port admits one opener at a time, as the Windows serial driver does, whatever the share
//   mode: every open takes an exclusive advisory lock (flock) on the device, since root ignores the
//   terminal's own exclusive mode. A device that another program holds (the lock, or EBUSY) fails
//   with ERROR_ACCESS_DENIED; a COM number with no device with ERROR_FILE_NOT_FOUND; a device
//   whose permissions refuse this user (EACCES: not in its group, such as dialout) with
//   ERROR_PRIVILEGE_NOT_HELD.
// - The device is opened non-blocking and every wait is a poll bounded by the handle's time-outs,
//   so an open never waits for carrier and no call blocks past its time-out.
// - A device that went away (a USB adapter pulled out, the far end of a pseudo-terminal closed)
//   fails reads, writes and queries with ERROR_DEVICE_REMOVED: EIO, ENXIO, ENODEV and a hang-up.
// - A device that is no terminal opens (the number may point anywhere), but its state and time-out
//   calls fail with ERROR_INVALID_FUNCTION.
// - DTR and RTS control on a device without modem lines (a pseudo-terminal) are ignored by the
//   state call; the escape functions and the modem status report the failure.
// Handles are only valid on the thread-safe handle table of this file; a closed handle is refused
// with ERROR_INVALID_HANDLE.

#include "platform/base/errors.h"
#include "platform/base/types.h"

// ---- CreateFile ----
constexpr DWORD GENERIC_READ = 0x80000000;
constexpr DWORD GENERIC_WRITE = 0x40000000;
constexpr DWORD FILE_SHARE_READ = 0x1;
constexpr DWORD FILE_SHARE_WRITE = 0x2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;

// Opens "\\.\COM<n>" (or "COM<n>"), n from 1 to 255, or "\\.\<name>" of a registered device
// (device_io.h). Other names fail with ERROR_FILE_NOT_FOUND, overlapped I/O (FILE_FLAG_OVERLAPPED)
// with ERROR_NOT_SUPPORTED.
HANDLE CreateFile(LPCSTR name, DWORD access, DWORD shareMode, void* security, DWORD disposition,
                  DWORD flags, HANDLE templateFile);
BOOL CloseHandle(HANDLE handle);

// Both honour the handle's time-outs; a read or write that runs out of time succeeds with the
// count done so far. `overlapped` must be null.
BOOL ReadFile(HANDLE handle, void* buffer, DWORD toRead, DWORD* read, void* overlapped);
BOOL WriteFile(HANDLE handle, const void* buffer, DWORD toWrite, DWORD* written, void* overlapped);

// ---- comm state ----
constexpr BYTE NOPARITY = 0;
constexpr BYTE ODDPARITY = 1;
constexpr BYTE EVENPARITY = 2;
constexpr BYTE MARKPARITY = 3;
constexpr BYTE SPACEPARITY = 4;
constexpr BYTE ONESTOPBIT = 0;
constexpr BYTE ONE5STOPBITS = 1;
constexpr BYTE TWOSTOPBITS = 2;
constexpr DWORD DTR_CONTROL_DISABLE = 0;
constexpr DWORD DTR_CONTROL_ENABLE = 1;
constexpr DWORD DTR_CONTROL_HANDSHAKE = 2;
constexpr DWORD RTS_CONTROL_DISABLE = 0;
constexpr DWORD RTS_CONTROL_ENABLE = 1;
constexpr DWORD RTS_CONTROL_HANDSHAKE = 2;
constexpr DWORD RTS_CONTROL_TOGGLE = 3;

struct DCB {
    DWORD DCBlength = sizeof(DCB);
    DWORD BaudRate = 0;
    DWORD fBinary : 1;
    DWORD fParity : 1;  // check the parity of received bytes
    DWORD fOutxCtsFlow : 1;
    DWORD fOutxDsrFlow : 1;
    DWORD fDtrControl : 2;
    DWORD fDsrSensitivity : 1;
    DWORD fTXContinueOnXoff : 1;
    DWORD fOutX : 1;
    DWORD fInX : 1;
    DWORD fErrorChar : 1;
    DWORD fNull : 1;
    DWORD fRtsControl : 2;
    DWORD fAbortOnError : 1;
    DWORD fDummy2 : 17;
    WORD wReserved = 0;
    WORD XonLim = 0;
    WORD XoffLim = 0;
    BYTE ByteSize = 8;
    BYTE Parity = NOPARITY;
    BYTE StopBits = ONESTOPBIT;
    char XonChar = 0;
    char XoffChar = 0;
    char ErrorChar = 0;
    char EofChar = 0;
    char EvtChar = 0;
    WORD wReserved1 = 0;

    DCB()
        : fBinary(1),
          fParity(0),
          fOutxCtsFlow(0),
          fOutxDsrFlow(0),
          fDtrControl(0),
          fDsrSensitivity(0),
          fTXContinueOnXoff(0),
          fOutX(0),
          fInX(0),
          fErrorChar(0),
          fNull(0),
          fRtsControl(0),
          fAbortOnError(0),
          fDummy2(0) {}
};

// The standard rates from 50 to 4000000 baud; another rate, a byte size outside 5 to 8, DSR flow
// control, DSR sensitivity, DTR handshake or RTS toggle fail with ERROR_INVALID_PARAMETER or
// ERROR_NOT_SUPPORTED and leave the port as it was. The terminal is put in raw mode.
BOOL GetCommState(HANDLE handle, DCB* dcb);
BOOL SetCommState(HANDLE handle, const DCB* dcb);

// ---- time-outs, event mask, purge ----
constexpr DWORD MAXDWORD = 0xFFFFFFFF;

// A read ends when all bytes came, when ReadTotalTimeoutMultiplier x count +
// ReadTotalTimeoutConstant ms have passed, or when ReadIntervalTimeout ms pass between two bytes;
// an interval of MAXDWORD with both total values 0 returns at once with what has arrived. A
// write ends when all bytes went or its total time ran out. A time of 0 is no limit.
struct COMMTIMEOUTS {
    DWORD ReadIntervalTimeout = 0;
    DWORD ReadTotalTimeoutMultiplier = 0;
    DWORD ReadTotalTimeoutConstant = 0;
    DWORD WriteTotalTimeoutMultiplier = 0;
    DWORD WriteTotalTimeoutConstant = 0;
};
BOOL GetCommTimeouts(HANDLE handle, COMMTIMEOUTS* timeouts);
BOOL SetCommTimeouts(HANDLE handle, const COMMTIMEOUTS* timeouts);

constexpr DWORD EV_RXCHAR = 0x0001;
constexpr DWORD EV_RXFLAG = 0x0002;
constexpr DWORD EV_TXEMPTY = 0x0004;
constexpr DWORD EV_CTS = 0x0008;
constexpr DWORD EV_DSR = 0x0010;
constexpr DWORD EV_RLSD = 0x0020;
constexpr DWORD EV_BREAK = 0x0040;
constexpr DWORD EV_ERR = 0x0080;
constexpr DWORD EV_RING = 0x0100;
// The mask is kept for the handle; nothing here waits on it.
BOOL SetCommMask(HANDLE handle, DWORD mask);
BOOL GetCommMask(HANDLE handle, DWORD* mask);

constexpr DWORD PURGE_TXABORT = 0x1;
constexpr DWORD PURGE_RXABORT = 0x2;
constexpr DWORD PURGE_TXCLEAR = 0x4;
constexpr DWORD PURGE_RXCLEAR = 0x8;
BOOL PurgeComm(HANDLE handle, DWORD flags);

// ---- status, escape functions, modem lines ----
struct COMSTAT {
    DWORD fCtsHold : 1;
    DWORD fDsrHold : 1;
    DWORD fRlsdHold : 1;
    DWORD fXoffHold : 1;
    DWORD fXoffSent : 1;
    DWORD fEof : 1;
    DWORD fTxim : 1;
    DWORD fReserved : 25;
    DWORD cbInQue = 0;   // bytes received and not yet read
    DWORD cbOutQue = 0;  // bytes written and not yet sent

    COMSTAT()
        : fCtsHold(0),
          fDsrHold(0),
          fRlsdHold(0),
          fXoffHold(0),
          fXoffSent(0),
          fEof(0),
          fTxim(0),
          fReserved(0) {}
};
// The line errors are not reported by the terminal; `errors` is always 0.
BOOL ClearCommError(HANDLE handle, DWORD* errors, COMSTAT* status);

constexpr DWORD SETXOFF = 1;
constexpr DWORD SETXON = 2;
constexpr DWORD SETRTS = 3;
constexpr DWORD CLRRTS = 4;
constexpr DWORD SETDTR = 5;
constexpr DWORD CLRDTR = 6;
constexpr DWORD SETBREAK = 8;
constexpr DWORD CLRBREAK = 9;
BOOL EscapeCommFunction(HANDLE handle, DWORD function);
BOOL SetCommBreak(HANDLE handle);
BOOL ClearCommBreak(HANDLE handle);

constexpr DWORD MS_CTS_ON = 0x10;
constexpr DWORD MS_DSR_ON = 0x20;
constexpr DWORD MS_RING_ON = 0x40;
constexpr DWORD MS_RLSD_ON = 0x80;
BOOL GetCommModemStatus(HANDLE handle, DWORD* status);

namespace platform {

// The baud rate of a termios speed code (B2400 gives 2400), 0 for an unknown code.
DWORD BaudOfTermiosSpeed(unsigned speed);

}  // namespace platform
