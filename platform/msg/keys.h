#pragma once
// Virtual key codes, and their translation from Qt's keys.

#include "platform/base/types.h"

constexpr UINT VK_LBUTTON = 0x01;
constexpr UINT VK_RBUTTON = 0x02;
constexpr UINT VK_CANCEL = 0x03;
constexpr UINT VK_MBUTTON = 0x04;
constexpr UINT VK_BACK = 0x08;
constexpr UINT VK_TAB = 0x09;
constexpr UINT VK_RETURN = 0x0D;
constexpr UINT VK_SHIFT = 0x10;
constexpr UINT VK_CONTROL = 0x11;
constexpr UINT VK_MENU = 0x12;
constexpr UINT VK_ESCAPE = 0x1B;
constexpr UINT VK_SPACE = 0x20;
constexpr UINT VK_PRIOR = 0x21;
constexpr UINT VK_NEXT = 0x22;
constexpr UINT VK_END = 0x23;
constexpr UINT VK_HOME = 0x24;
constexpr UINT VK_LEFT = 0x25;
constexpr UINT VK_UP = 0x26;
constexpr UINT VK_RIGHT = 0x27;
constexpr UINT VK_DOWN = 0x28;
constexpr UINT VK_INSERT = 0x2D;
constexpr UINT VK_DELETE = 0x2E;
constexpr UINT VK_F1 = 0x70;
constexpr UINT VK_F2 = 0x71;
constexpr UINT VK_F12 = 0x7B;

namespace platform {

// The virtual key of a Qt key (Qt::Key), 0 when it has none. Letters and digits keep their ASCII
// upper-case codes, as on Windows.
UINT VirtualKeyFromQt(int qtKey);
// The Qt key for a virtual key, for tests that type keys; 0 when it has none.
int QtKeyFromVirtualKey(UINT vk);

// Whether a key is held now, as the program asks GetKeyState: tests set it, the window layer sets
// it from each input event's modifiers.
void SetKeyStateForInput(bool shift, bool control);

}  // namespace platform

// High bit set (negative) while the key is down.
SHORT GetKeyState(int vk);
