#pragma once
// Dialog 288: the four meters' kinds and sensors, in its first form (OK and Cancel only).

#include "platform/ui/dialog_template.h"

constexpr UINT IDD_METER_SETTINGS = 288;

const DialogTemplate& MeterSettingsTemplate();
