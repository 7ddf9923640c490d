#pragma once
// ShellExecute: hands a document or an address to the desktop, which opens it in the program the
// user chose for it.

#include <QUrl>
#include <functional>

#include "platform/base/types.h"

struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;

// ShellExecute's results: above 32 is success.
constexpr int SE_ERR_FNF = 2;
constexpr int SE_ERR_NOASSOC = 31;
constexpr int SE_ERR_SUCCESS = 33;

// Opens `file` (a local path, or an address with a scheme) with the verb "open" (or none). Returns
// 33 on success, 2 for a local file that does not exist, 31 when nothing takes the address (the
// desktop fails, or names no program for the local file's type). Parameters and folder are not
// used: the desktop takes the address alone.
HINSTANCE ShellExecute(HWND hwnd, LPCTSTR operation, LPCTSTR file, LPCTSTR parameters,
                       LPCTSTR directory, int showCmd);

namespace platform {

// Tests replace the desktop with a recorder; it returns whether the address was taken. An empty
// function returns to the desktop.
void SetShellOpener(std::function<bool(const QUrl&)> opener);

}  // namespace platform
