#pragma once
// The private window messages by which the logger side reaches the document.

#include "platform/win/messages.h"

// The status box: wParam 1 opens it, 2 shows the logger object's progress text, 0 closes it.
constexpr UINT UM_STATUS_MESSAGE = 6016;
