#pragma once
// System metrics and parameters that the program's layouts ask for, and the cursor and mouse
// capture calls.

#include <functional>

#include "platform/base/geometry.h"

class CWnd;

// ---- metrics ----
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CXVSCROLL = 2;
constexpr int SM_CYHSCROLL = 3;
constexpr int SM_CXBORDER = 5;
constexpr int SM_CYBORDER = 6;
// The sizes of the standard Windows look at 96 dots per inch, so that layouts come out the same
// everywhere; the screen's size is the primary screen's.
int GetSystemMetrics(int index);

// ---- parameters ----
constexpr UINT SPI_GETWORKAREA = 0x0030;
constexpr UINT SPI_GETWHEELSCROLLLINES = 0x0068;
constexpr UINT WHEEL_PAGESCROLL = 0xFFFFFFFF;
// SPI_GETWHEELSCROLLLINES: the lines one wheel notch scrolls, into *(UINT*)param: the
// "WheelScrollLines" value (decimal text) under HKEY_CURRENT_USER "Control Panel\Desktop" when
// it is there, else the desktop's own setting (3 unless the desktop says otherwise).
// SPI_GETWORKAREA: the primary screen less the desktop's panels, into *(RECT*)param.
BOOL SystemParametersInfo(UINT action, UINT uiParam, void* param, UINT winIni);

// ---- cursors ----
struct HICON__;
using HCURSOR = HICON__*;
// The standard cursors, as LoadCursor(nullptr, IDC_...) names them.
inline const LPCTSTR IDC_ARROW = reinterpret_cast<LPCTSTR>(32512);
inline const LPCTSTR IDC_IBEAM = reinterpret_cast<LPCTSTR>(32513);
inline const LPCTSTR IDC_WAIT = reinterpret_cast<LPCTSTR>(32514);
inline const LPCTSTR IDC_CROSS = reinterpret_cast<LPCTSTR>(32515);
inline const LPCTSTR IDC_SIZENWSE = reinterpret_cast<LPCTSTR>(32642);
inline const LPCTSTR IDC_SIZENESW = reinterpret_cast<LPCTSTR>(32643);
inline const LPCTSTR IDC_SIZEWE = reinterpret_cast<LPCTSTR>(32644);
inline const LPCTSTR IDC_SIZENS = reinterpret_cast<LPCTSTR>(32645);
inline const LPCTSTR IDC_SIZEALL = reinterpret_cast<LPCTSTR>(32646);
inline const LPCTSTR IDC_NO = reinterpret_cast<LPCTSTR>(32648);
inline const LPCTSTR IDC_HAND = reinterpret_cast<LPCTSTR>(32649);
// Only the standard cursors exist: the instance must be null; others give null.
HCURSOR LoadCursor(void* instance, LPCTSTR name);
// Shows the cursor over the window that has the mouse capture, else over the window whose mouse
// message is being handled (or was last). Returns the cursor set before.
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();
BOOL GetCursorPos(LPPOINT point);
// High bit set (negative) while the key or mouse button (VK_LBUTTON, VK_RBUTTON, VK_MBUTTON) is
// held now, whatever input the program has handled so far.
SHORT GetAsyncKeyState(int vk);
BOOL SetCursorPos(int x, int y);
// Keeping the cursor inside a rectangle is not offered by the desktop here: it is remembered
// (GetClipCursor) and has no other effect.
BOOL ClipCursor(LPCRECT rect);
BOOL GetClipCursor(LPRECT rect);

// The wait cursor over the whole program for its lifetime.
class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};

// ---- mouse capture ----
// The window that has the mouse capture gets the mouse messages until it releases it; the
// window that loses it gets WM_CAPTURECHANGED.
BOOL ReleaseCapture();

namespace platform {
// The window layer names the window whose mouse message it is forwarding.
void SetMouseWindow(CWnd* wnd);
// Tests answer for the mouse: where the cursor is (GetCursorPos) and what GetAsyncKeyState
// reports. An empty function returns to the desktop's answers.
void SetCursorPosSource(std::function<POINT()> source);
void SetAsyncKeyStateSource(std::function<SHORT(int vk)> source);
}  // namespace platform
