#pragma once
// The Windows time records and the calls that fill them.

#include "platform/base/types.h"

struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;  // 0 Sunday to 6 Saturday
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};

// 100-nanosecond intervals since 1601-01-01 00:00:00 UTC, in two halves.
struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

// The local time now, to the millisecond.
void GetLocalTime(SYSTEMTIME* time);

namespace platform {
// Where GetLocalTime reads the time; tests set a clock of their own (the virtual clock's). A
// null source returns to the system clock.
using LocalTimeSource = void (*)(SYSTEMTIME* time, void* context);
void SetLocalTimeSource(LocalTimeSource source, void* context = nullptr);
}  // namespace platform
// Fails (FALSE) for times beyond the signed 64-bit range, as on Windows.
BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* systemTime);
