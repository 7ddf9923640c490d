#pragma once
// System error codes, as the Windows calls report them, and the calling thread's last error.

#include "platform/base/types.h"

constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_INVALID_FUNCTION = 1;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;
constexpr LONG ERROR_ACCESS_DENIED = 5;
constexpr LONG ERROR_INVALID_HANDLE = 6;
constexpr LONG ERROR_GEN_FAILURE = 31;
constexpr LONG ERROR_SHARING_VIOLATION = 32;
constexpr LONG ERROR_NOT_SUPPORTED = 50;
constexpr LONG ERROR_INVALID_PARAMETER = 87;
constexpr LONG ERROR_MORE_DATA = 234;
constexpr LONG ERROR_NO_MORE_ITEMS = 259;
constexpr LONG ERROR_TIMEOUT = 1460;
constexpr LONG ERROR_PRIVILEGE_NOT_HELD = 1314;
constexpr LONG ERROR_DEVICE_REMOVED = 1617;

// Per thread, as on Windows.
DWORD GetLastError();
void SetLastError(DWORD error);
