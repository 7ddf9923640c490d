#pragma once
// The timing wizard's pages 4914 (measurement) and 102 (method), and dialog 286 (Timing
// parameter).

#include "platform/ui/dialog_template.h"

constexpr UINT IDD_TIMING_TYPE = 4914;
constexpr UINT IDD_TIMING_PARAMETERS = 102;
constexpr UINT IDD_TIMING_LAUNCH_PARAMETER = 286;
// Page 1.
constexpr UINT IDC_TIMING_TIME = 2018;
constexpr UINT IDC_TIMING_VELOCITY = 2019;
constexpr UINT IDC_TIMING_ACCELERATION = 2020;
constexpr UINT IDC_TIMING_QUESTION = 4047;
// Page 2 and dialog 286.
constexpr UINT IDC_TIMING_ONE_GATE = 2018;
constexpr UINT IDC_TIMING_TWO_GATES = 2019;
constexpr UINT IDC_TIMING_EXTRA = 4044;
constexpr UINT IDC_TIMING_LABEL = 4045;
constexpr UINT IDC_TIMING_UNIT = 4049;
constexpr UINT IDC_TIMING_LAUNCH_UNIT = 4074;
constexpr UINT IDC_TIMING_LENGTH = 1088;
constexpr UINT IDC_TIMING_PICTURE = 4046;

const DialogTemplate& TimingTypeTemplate();
const DialogTemplate& TimingParametersTemplate();
const DialogTemplate& TimingLaunchParameterTemplate();
