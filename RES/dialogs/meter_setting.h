#pragma once
// Dialog 288: the kind and the sensor of each of the four meters.

#include "platform/ui/dialog_template.h"

constexpr UINT IDD_METER_SETTING = 288;
constexpr UINT IDC_METER_NAME_FIRST = 4947;  // "Meter 1".."Meter 4": 4947..4950
constexpr UINT IDC_METER_TYPE_LABEL = 4951;
constexpr UINT IDC_METER_SENSOR_LABEL = 4952;
constexpr UINT IDC_METER_TYPE_FIRST = 3989;    // 3989..3992
constexpr UINT IDC_METER_SENSOR_FIRST = 3993;  // 3993..3996

const DialogTemplate& MeterSettingTemplate();
