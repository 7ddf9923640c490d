#pragma once
// Named kernel devices ("\\.\NAME") that CreateFile opens and DeviceIoControl talks to. A device
// is a user-space object registered by name; every CreateFile of the name asks its opener for a
// fresh per-handle object, so that one opener may wait in a call on its handle while others use
// theirs. CloseHandle destroys the object once no call on it is running.
//
// Failures report through the thread's last error, as on Windows.

#include <functional>
#include <memory>

#include "platform/base/errors.h"
#include "platform/base/types.h"

namespace platform {

// One open handle of a device. Control may be called on several threads at once.
class DeviceHandle {
public:
    virtual ~DeviceHandle() = default;
    // One request; false with the last error set on failure. `returned` is the count of reply
    // bytes written into `out`.
    virtual bool Control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                         DWORD* returned) = 0;
};

// Gives a new handle of the device, or null with the last error set.
using DeviceOpener = std::function<std::unique_ptr<DeviceHandle>()>;

// Registers `opener` under `name` (without the "\\.\" prefix, any case); an empty opener removes
// the name, so that the built-in device of that name, if any, is used again.
void RegisterDevice(const char* name, DeviceOpener opener);

}  // namespace platform

// Sends one request to a handle opened on a named device. `overlapped` must be null. Handles of
// COM ports fail with ERROR_INVALID_FUNCTION.
BOOL DeviceIoControl(HANDLE handle, DWORD code, const void* in, DWORD inSize, void* out,
                     DWORD outSize, DWORD* returned, void* overlapped);
