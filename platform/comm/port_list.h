#pragma once
// The serial port list: what the Windows registry key HARDWARE\DEVICEMAP\SERIALCOMM lists there,
// built here from the tty devices under /sys/class/tty.
//
// COM numbers follow from the device names, so they stay the same from run to run:
//
//   COM1   to COM32    /dev/ttyS0   to /dev/ttyS31    on-board UARTs (only those with a port type)
//   COM33  to COM64    /dev/ttyUSB0 to /dev/ttyUSB31  USB serial adapters       "VCP" ports
//   COM65  to COM96    /dev/ttyACM0 to /dev/ttyACM31  USB modem-class devices   "VCP" ports
//   COM97  to COM128   /dev/rfcomm0 to /dev/rfcomm31  Bluetooth serial links    "btport" ports
//   COM129 to COM255   every other tty backed by a device (ttyAMA0, ttymxc0...), in name order
//
// Any COM number from 1 to 255 can be pointed at any device path (a pseudo-terminal, a
// /dev/serial/by-id link...), which then takes that number's place, and the device drops out of its
// own place in the table:
//   - the environment variable VARNEL_COM<n>, for example VARNEL_COM3=/dev/pts/7; or
//   - a string value "COM<n>" holding the path under the registry key kComPortMapKey of
//     HKEY_LOCAL_MACHINE (the registry file's [HKEY_LOCAL_MACHINE] section, key "SYSTEM/COM Port
//     Map").
// The environment wins over the registry. An empty path removes the number from the list.
//
// Each entry has the value name that SERIALCOMM would give it: "\Device\VCP_<device>" for USB
// adapters, "\Device\btport_<device>" for Bluetooth links and "\Device\Serial_<device>" for the
// rest, so that the Windows tests on value names ("VCP", "btport") keep working. The kind of an
// overridden number follows from the device it points at (a by-id link is followed).

#include <vector>

#include "platform/base/cstring.h"

namespace platform {

enum class SerialPortKind { Plain, Vcp, Bluetooth };

struct SerialPortEntry {
    int comNumber = 0;
    CString devicePath;  // "/dev/ttyUSB0"
    CString valueName;   // "\Device\VCP_ttyUSB0"
    SerialPortKind kind = SerialPortKind::Plain;
    bool overridden = false;  // placed by the environment or the registry
    // The value's data in SERIALCOMM: "COM<n>".
    CString PortName() const { return CString::Formatted("COM%d", comNumber); }
};

constexpr const char* kComOverrideEnvPrefix = "VARNEL_COM";
constexpr const char* kComPortMapKey = "SYSTEM\\COM Port Map";
constexpr int kMaxComNumber = 255;

// Every port, in ascending COM number. `sysRoot` is the root of the sysfs tree ("/sys"); tests
// give a fake tree.
std::vector<SerialPortEntry> EnumerateSerialPorts(const CString& sysRoot = "/sys");

// The port of one COM number; false when the number names no device.
bool FindComPort(int comNumber, SerialPortEntry& entry, const CString& sysRoot = "/sys");

// The device path of a COM number, or an empty text.
CString ComPortDevice(int comNumber, const CString& sysRoot = "/sys");

}  // namespace platform
