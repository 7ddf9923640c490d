#include "platform/msg/message_pos.h"

namespace {
DWORD g_messagePos = 0;
}

DWORD GetMessagePos() {
    return g_messagePos;
}

namespace platform {
void SetMessagePos(int screenX, int screenY) {
    g_messagePos = MAKELONG(static_cast<WORD>(static_cast<SHORT>(screenX)),
                            static_cast<WORD>(static_cast<SHORT>(screenY)));
}
}  // namespace platform
