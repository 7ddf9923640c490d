#pragma once
// Start and stop of the Bluetooth stack interface, counted: every port and channel object starts it
// when made and stops it when destroyed, and the interface is up while the count is above zero.
//
// The first start opens the kernel device "\\.\BTKRNL", asks its version (which picks the request
// codes) and clears the port table; a first start after a full stop clears the stopped flag, so
// its readers work. The last stop ends every reader's wait (it closes their connections on the
// device), joins the readers, bounded, and closes the device.
//
// All starts and stops come from the GUI thread; the reader threads only read the device handle,
// the version and the stopped flag.

#include <mutex>

#include "platform/base/types.h"

// Adds one to the count and returns the new count.
DWORD sdk_init();
// Takes one from the count; a stop without a start traces "sdk_close - sdk_init mismatch!" and
// changes nothing.
void sdk_close();

// The number of starts not yet matched by a stop.
DWORD BtSdkStartCount();

// Windows version classes: 0 unsupported, 1-3 the 9x family, 4 NT 4.0, 5 NT 5.0, 6 NT 5.1 and
// later.
int BtGetOsClass();
// The version this system reports: NT 6.1. Tests may pretend another (platform 1: 9x, 2: NT;
// `ok` false: the query fails).
void BtSetOsVersion(DWORD platformId, DWORD major, DWORD minor, bool ok = true);

// A handle of the kernel device by the version class, or INVALID_HANDLE_VALUE.
HANDLE BtKrnlOpen();
// The driver's version on `device`: the 0x002A code first, then 0xEC54; 0 when both fail.
DWORD BtKrnlGetVersion(HANDLE device);
// The request code of a function for a driver version.
DWORD BtIoctlCode(DWORD version, DWORD function);

// Process-wide state of the interface.
HANDLE BtSdkDevice();
DWORD BtSdkDriverVersion();
bool BtSdkStopped();
// The port-list lock.
std::mutex& BtPortListLock();

// Whether the kernel device can be opened here.
bool BtSdkPresent();
