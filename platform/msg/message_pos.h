#pragma once
// The position of the last mouse message, in screen coordinates, as GetMessagePos gives it: x in
// the low word, y in the high word. Windows and controls set it from each mouse event.

#include "platform/base/types.h"

DWORD GetMessagePos();

namespace platform {
void SetMessagePos(int screenX, int screenY);
}  // namespace platform
