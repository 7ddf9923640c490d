#include "bluetooth/sdk.h"

#include <atomic>

#include "bluetooth/rfcomm_api.h"
#include "bluetooth/trace.h"
#include "platform/bt/requests.h"
#include "platform/comm/comm.h"
#include "platform/comm/device_io.h"

namespace {

constexpr DWORD kFileFlagDeleteOnClose = 0x04000000;

std::atomic<DWORD> g_startCount{0};
std::atomic<HANDLE> g_device{INVALID_HANDLE_VALUE};
std::atomic<DWORD> g_driverVersion{0};
std::atomic<bool> g_stopped{false};

struct OsVersion {
    DWORD platformId = 2;
    DWORD major = 6;
    DWORD minor = 1;
    bool ok = true;
};
OsVersion g_osVersion;

HANDLE OpenDevice(const char* name, DWORD flags) {
    return CreateFile(name, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, flags,
                      nullptr);
}

bool VersionWith(HANDLE device, DWORD deviceType, DWORD* version) {
    BYTE reply[4] = {};
    DWORD returned = 0;
    if (!DeviceIoControl(device, (deviceType << 16) | (IOCTL_GET_VERSION << 2), nullptr, 0, reply,
                         sizeof reply, &returned, nullptr) ||
        returned != 4)
        return false;
    *version =
        DWORD(reply[0]) | DWORD(reply[1]) << 8 | DWORD(reply[2]) << 16 | DWORD(reply[3]) << 24;
    return true;
}

void FirstStart() {
    g_stopped = false;
    const HANDLE device = BtKrnlOpen();
    g_device = device;
    g_driverVersion = BtKrnlGetVersion(device);
    RfcClearPortTable();
}

void LastStop() {
    g_stopped = true;
    const HANDLE device = g_device.exchange(INVALID_HANDLE_VALUE);
    RfcEndReaders(device);
    if (device != INVALID_HANDLE_VALUE) CloseHandle(device);
    g_driverVersion = 0;
}

}  // namespace

DWORD sdk_init() {
    const DWORD count = ++g_startCount;
    if (count == 1) FirstStart();
    return count;
}

void sdk_close() {
    if (g_startCount == 0) {
        LogMsg(1, "sdk_close - sdk_init mismatch!");
        return;
    }
    if (--g_startCount == 0) LastStop();
}

DWORD BtSdkStartCount() {
    return g_startCount.load();
}

void BtSetOsVersion(DWORD platformId, DWORD major, DWORD minor, bool ok) {
    g_osVersion = {platformId, major, minor, ok};
}

int BtGetOsClass() {
    const OsVersion& v = g_osVersion;
    if (!v.ok) return 0;
    if (v.platformId == 1) {
        if (v.major == 4 && v.minor == 10) return 2;
        if (v.major == 4 && v.minor == 90) return 3;
        return 1;
    }
    if (v.platformId != 2) return 0;
    if (v.major < 4 || (v.major == 4 && v.minor != 0)) return 0;
    if (v.major == 4) return 4;
    if (v.major == 5 && v.minor == 0) return 5;
    return 6;
}

HANDLE BtKrnlOpen() {
    const int osClass = BtGetOsClass();
    if (osClass >= 1 && osClass <= 3) {
        HANDLE h = OpenDevice("\\\\.\\BTKRNL", kFileFlagDeleteOnClose);
        if (h == INVALID_HANDLE_VALUE) h = OpenDevice("\\\\.\\BTKRNL.VXD", kFileFlagDeleteOnClose);
        return h;
    }
    if (osClass >= 4) return OpenDevice("\\\\.\\BTKRNL", 0);
    return INVALID_HANDLE_VALUE;
}

DWORD BtKrnlGetVersion(HANDLE device) {
    if (device == INVALID_HANDLE_VALUE) return 0;
    DWORD version = 0;
    if (!VersionWith(device, 0x002A, &version)) VersionWith(device, 0xEC54, &version);
    return version;
}

DWORD BtIoctlCode(DWORD version, DWORD function) {
    const DWORD deviceType = version < 0x30002 ? 0xEC54 : 0x002A;
    return (deviceType << 16) | (function << 2);
}

HANDLE BtSdkDevice() {
    return g_device.load();
}

DWORD BtSdkDriverVersion() {
    return g_driverVersion.load();
}

bool BtSdkStopped() {
    return g_stopped.load();
}

std::mutex& BtPortListLock() {
    static std::mutex lock;
    return lock;
}

bool BtSdkPresent() {
    const HANDLE device = BtKrnlOpen();
    if (device == INVALID_HANDLE_VALUE) return false;
    CloseHandle(device);
    return true;
}
