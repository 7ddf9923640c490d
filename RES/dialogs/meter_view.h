#pragma once
// Form 101: the meters. The view places and shows its controls itself.

#include "platform/ui/dialog_template.h"

constexpr UINT IDD_METER_VIEW = 101;
constexpr UINT IDC_METER_SLIDE_FIRST = 4933;  // 4933..4936
constexpr UINT IDC_METER_LAMP_FIRST = 4937;   // 4937..4940
constexpr UINT IDC_METER_KNOB_FIRST = 4941;   // 4941..4944
constexpr UINT IDC_METER_LABEL_FIRST = 3992;  // 3992..3995
constexpr UINT IDC_METER_SEPARATOR_1 = 3973;
constexpr UINT IDC_METER_SEPARATOR_2 = 3974;
// The panels of meters 1 to 4.
constexpr UINT IDC_METER_PANEL_1 = 4076;
constexpr UINT IDC_METER_PANEL_2 = 4075;
constexpr UINT IDC_METER_PANEL_3 = 4078;
constexpr UINT IDC_METER_PANEL_4 = 4077;

const DialogTemplate& MeterViewTemplate();
