#pragma once
// Dialog 258: the sensor type plugged into an external input of the basic logger.

#include "platform/ui/dialog_template.h"

constexpr UINT IDD_EXTERNAL_SENSOR_SELECTION = 258;
constexpr UINT IDC_EXTERNAL_SENSOR_TYPE = 3989;
constexpr UINT IDC_EXTERNAL_SENSOR_LABEL = 3993;

const DialogTemplate& ExternalSensorSelectionTemplate();
