#pragma once
// Dialog 267: one sensor's display properties, in its first form (OK and Cancel only).

#include "platform/ui/dialog_template.h"

constexpr UINT IDD_SENSOR_PROPERTIES = 267;

const DialogTemplate& SensorPropertiesTemplate();
