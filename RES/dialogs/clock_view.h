#pragma once
// Form 4913: the clock. The view places its button and its digits itself.

#include "platform/ui/dialog_template.h"

constexpr UINT IDD_CLOCK_VIEW = 4913;
constexpr UINT IDC_CLOCK_BUTTON = 4041;

const DialogTemplate& ClockViewTemplate();
