#pragma once
// Dialog 231: the X axis of a prepared graph, in its first form (OK and Cancel only).

#include "platform/ui/dialog_template.h"

constexpr UINT IDD_X_AXIS_SETUP = 231;

const DialogTemplate& XAxisSetupTemplate();
