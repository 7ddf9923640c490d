#pragma once
// Dialog 231: the X axis of a prepared graph.

#include "platform/ui/dialog_template.h"

constexpr UINT IDD_X_AXIS_SETUP = 231;
constexpr UINT IDC_XAXIS_AUTO_SCALE = 1096;
constexpr UINT IDC_XAXIS_MEASUREMENT = 2053;
constexpr UINT IDC_XAXIS_COLOR = 2055;
constexpr UINT IDC_XAXIS_PICKER = 2057;
constexpr UINT IDC_XAXIS_MIN = 2060;
constexpr UINT IDC_XAXIS_MAX = 2062;
constexpr UINT IDC_XAXIS_MEASUREMENT_LABEL = 3922;
constexpr UINT IDC_XAXIS_COLOR_LABEL = 3950;
constexpr UINT IDC_XAXIS_MIN_LABEL = 3951;
constexpr UINT IDC_XAXIS_MAX_LABEL = 3952;

const DialogTemplate& XAxisSetupTemplate();
