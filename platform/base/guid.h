#pragma once
// A GUID in the Windows layout: three fields in the processor's byte order, then eight bytes.

#include "platform/base/types.h"

struct GUID {
    DWORD Data1 = 0;
    WORD Data2 = 0;
    WORD Data3 = 0;
    BYTE Data4[8] = {};

    bool operator==(const GUID&) const = default;
};
static_assert(sizeof(GUID) == 16);
