#pragma once
// The function numbers of the Bluetooth kernel device's requests: what the stack interface sends
// and what the driver takes, and the little-endian fields of their records.

#include "platform/base/types.h"

enum : DWORD {
    IOCTL_PORT_OPEN = 0x101,
    IOCTL_PORT_EVENT_MASK = 0x102,
    IOCTL_PORT_CLOSE = 0x103,
    IOCTL_PORT_CHECK_CONNECTION = 0x104,
    IOCTL_PORT_READ = 0x10D,
    IOCTL_PORT_WRITE = 0x10E,
    IOCTL_RFCOMM_ALLOCATE_SCN = 0x110,
    IOCTL_RFCOMM_FREE_SCN = 0x111,
    BTKRNL_IOCTL_PORT_RESULT = 0x11A,
    IOCTL_BTM_SET_SECURITY_LEVEL = 0x22D,
    IOCTL_BTM_ALLOCATE_SECURITY_INDEX = 0x231,
    IOCTL_BTM_RELEASE_SECURITY_INDEX = 0x232,
    IOCTL_GET_VERSION = 0x1FF,
};

namespace platform::bt {

inline WORD Word(const BYTE* p) {
    return WORD(p[0] | p[1] << 8);
}
inline DWORD Dword(const BYTE* p) {
    return DWORD(p[0]) | DWORD(p[1]) << 8 | DWORD(p[2]) << 16 | DWORD(p[3]) << 24;
}
inline void PutWord(BYTE* p, WORD v) {
    p[0] = BYTE(v);
    p[1] = BYTE(v >> 8);
}
inline void PutDword(BYTE* p, DWORD v) {
    for (int i = 0; i < 4; ++i)
        p[i] = BYTE(v >> (8 * i));
}

}  // namespace platform::bt
