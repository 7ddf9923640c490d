#pragma once
// Form 158: the communication window, which nobody sees. It has no controls.

#include "platform/ui/dialog_template.h"

constexpr UINT IDD_COMM_VIEW = 158;

const DialogTemplate& CommViewTemplate();
