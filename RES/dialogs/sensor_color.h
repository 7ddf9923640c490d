#pragma once
// Dialog 294: the plot colour of each sensor kind.

#include "platform/ui/dialog_template.h"

constexpr UINT IDD_SENSOR_COLOR = 294;
constexpr UINT IDC_SENSOR_COLOR_DEFAULTS = 4978;

// Per slot, in slot order: the label, the colour combo and the picker button.
constexpr UINT kSensorColorLabels[8] = {4964, 4958, 4959, 4960, 4965, 4966, 4967, 4968};
constexpr UINT kSensorColorCombos[8] = {4969, 1092, 1093, 1094, 1095, 1096, 1097, 1098};
constexpr UINT kSensorColorPickers[8] = {4970, 4971, 4972, 4973, 4974, 4975, 4976, 4977};

const DialogTemplate& SensorColorTemplate();
