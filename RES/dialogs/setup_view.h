#pragma once
// Form 4910: the logger set-up window: rate, recording time and the seven sensor switches.

#include "platform/ui/dialog_template.h"

constexpr UINT IDD_SETUP_VIEW = 4910;
constexpr UINT IDC_SETUP_RATE = 3989;
constexpr UINT IDC_SETUP_TIME = 3990;
constexpr UINT IDC_SETUP_RATE_LABEL = 3995;
constexpr UINT IDC_SETUP_TIME_LABEL = 3996;
constexpr UINT IDC_SWITCH_TEMPERATURE = 3975;
constexpr UINT IDC_SWITCH_LIGHT = 3976;
constexpr UINT IDC_SWITCH_HUMIDITY = 3977;
constexpr UINT IDC_SWITCH_PRESSURE = 3978;
constexpr UINT IDC_SWITCH_SOUND = 3986;
constexpr UINT IDC_SWITCH_EXTERNAL1 = 3987;
constexpr UINT IDC_SWITCH_EXTERNAL2 = 3988;
constexpr UINT IDC_PICTURE_TEMPERATURE = 3979;
constexpr UINT IDC_PICTURE_LIGHT = 3980;
constexpr UINT IDC_PICTURE_HUMIDITY = 3981;
constexpr UINT IDC_PICTURE_SOUND = 3982;
constexpr UINT IDC_PICTURE_PRESSURE = 3983;
constexpr UINT IDC_PICTURE_EXTERNAL1 = 3984;
constexpr UINT IDC_PICTURE_EXTERNAL2 = 3985;

const DialogTemplate& SetupViewTemplate();
