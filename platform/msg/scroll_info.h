#pragma once
// What a window keeps of its standard scroll bars (WS_HSCROLL, WS_VSCROLL) without a widget: the
// records of SetScrollInfo and the owner of the bars, which the UI library makes
// (platform/win/scroll_bars.h).

#include <memory>

#include "platform/base/types.h"

struct SCROLLINFO {
    UINT cbSize = sizeof(SCROLLINFO);
    UINT fMask = 0;
    int nMin = 0;
    int nMax = 0;
    UINT nPage = 0;
    int nPos = 0;
    int nTrackPos = 0;
};
using LPSCROLLINFO = SCROLLINFO*;
using LPCSCROLLINFO = const SCROLLINFO*;

constexpr UINT SIF_RANGE = 0x0001;
constexpr UINT SIF_PAGE = 0x0002;
constexpr UINT SIF_POS = 0x0004;
constexpr UINT SIF_DISABLENOSCROLL = 0x0008;
constexpr UINT SIF_TRACKPOS = 0x0010;
constexpr UINT SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;

namespace platform {

class WindowScrollBars;
// A window's bars are freed through the function that made them, so that a message target, which
// never has any, needs nothing of the widget library.
using WindowScrollBarsPtr = std::unique_ptr<WindowScrollBars, void (*)(WindowScrollBars*)>;

}  // namespace platform
