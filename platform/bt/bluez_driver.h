#pragma once
// The Bluetooth kernel device "\\.\BTKRNL" as a user-space driver on BlueZ's RFCOMM sockets. It
// takes the stack interface's request records (function numbers in requests.h, device type 0x002A)
// and reports version 0x30004, so the block write layout is used.
//
// What the driver does with them:
// - the device opens only when the kernel gives RFCOMM sockets and an adapter exists;
// - PORT_OPEN hands out a handle 1..20, not reused before its PORT_CLOSE. The connection is made
//   by the first PORT_RESULT after the event mask is set, that is on the port's reader thread:
//   an SDP look-up of the Serial Port Profile when the channel is 0 or one this driver handed
//   out, BT_SECURITY from the channel's security record, then the connect;
// - PORT_RESULT waits: connected gives CONNECTED, a failed connect, a hang-up, an error or the end
//   of the stream gives CONNECT_ERR, data gives RXCHAR; a dead link fails the next wait, and
//   PORT_CLOSE ends a waiting call with failure. Nothing is reported before the first event mask,
//   and nothing that happens before it is lost;
// - PORT_READ does not wait; PORT_WRITE takes every byte within about a second or fails;
// - ALLOCATE_SCN/FREE_SCN keep a table of channels 1..30; security indexes 1..255 keep their level
//   per channel.
// Failed requests set ERROR_INVALID_HANDLE (no such port) or ERROR_GEN_FAILURE.

#include <array>
#include <memory>

#include "platform/base/types.h"
#include "platform/bt/requests.h"
#include "platform/comm/device_io.h"

namespace platform::bt {

constexpr DWORD kDriverVersion = 0x30004;
constexpr DWORD kDeviceType = 0x002A;
constexpr DWORD kWriteLimitMs = 1000;
constexpr DWORD kConnectLimitMs = 30000;

constexpr DWORD ControlCode(DWORD deviceType, DWORD function) {
    return (deviceType << 16) | (function << 2);
}

// A device address in the settings' order, as bluetoothctl prints it: most significant byte
// first. BlueZ's bdaddr_t holds the same bytes reversed.
using Address = std::array<BYTE, 6>;

// "00:11:22:33:44:55" to the settings' bytes; false for anything else.
bool ParseAddress(const char* text, BYTE out[6]);
// The bdaddr_t bytes of a settings address and back (the same reversal both ways).
Address ReverseAddress(const Address& address);

// Where the driver gets its sockets: RFCOMM in the program, a stand-in in tests.
class SocketFactory {
public:
    virtual ~SocketFactory() = default;
    // The kernel gives RFCOMM sockets and an adapter exists.
    virtual bool Available() = 0;
    // The remote's Serial Port Profile channel (1..30), 0 when it has none or cannot be asked.
    virtual int LookUpSerialPortChannel(const Address& address) = 0;
    // A connected stream socket, or -1. `security` is a BT_SECURITY level. Gives up when
    // `abortFd` becomes readable.
    virtual int Connect(const Address& address, int channel, int security, int abortFd) = 0;
};

std::shared_ptr<SocketFactory> MakeRfcommSocketFactory();
// Replaces the driver's factory (null: RFCOMM again). Ports already open keep the sockets they
// have.
void SetSocketFactory(std::shared_ptr<SocketFactory> factory);

// A new handle on the driver, or null with ERROR_FILE_NOT_FOUND when Bluetooth is not available.
std::unique_ptr<DeviceHandle> OpenBlueZDevice();

}  // namespace platform::bt
