#pragma once
// Dialog 265: the launch file of a worksheet (mode, sensors, rate and recording time, graph, meter
// and project settings, the timing wizard).

#include "platform/ui/dialog_template.h"

constexpr UINT IDD_LAUNCH_SETTINGS = 265;
constexpr UINT IDC_LAUNCH_METER = 2018;
constexpr UINT IDC_LAUNCH_GRAPH = 2019;
constexpr UINT IDC_LAUNCH_TIMING = 2020;
constexpr UINT IDC_LAUNCH_SENSORS_GROUP = 4038;
// Per sensor, in colour-index order (Temperature, Light, Humidity, Pressure, Sound, External 1,
// External 2).
constexpr UINT kLaunchSwitchIds[7] = {4012, 4013, 4014, 4015, 4023, 4024, 4025};
constexpr UINT kLaunchPictureIds[7] = {4008, 4009, 4010, 4011, 4020, 4021, 4022};
constexpr UINT IDC_LAUNCH_PROPERTIES_FIRST = 4031;  // 4031..4037
constexpr UINT IDC_LAUNCH_PROPERTIES_LAST = 4037;
constexpr UINT IDC_LAUNCH_EXTERNAL1 = 4006;
constexpr UINT IDC_LAUNCH_EXTERNAL2 = 4005;
constexpr UINT IDC_LAUNCH_TIME_GROUP = 4029;
constexpr UINT IDC_LAUNCH_RATE_LABEL = 4016;
constexpr UINT IDC_LAUNCH_RATE = 4017;
constexpr UINT IDC_LAUNCH_TIME_LABEL = 4018;
constexpr UINT IDC_LAUNCH_TIME = 4019;
constexpr UINT IDC_LAUNCH_GRAPH_GROUP = 4028;
constexpr UINT IDC_LAUNCH_BAR_GRAPH = 1006;
constexpr UINT IDC_LAUNCH_SCROLL_RUN = 4007;
constexpr UINT IDC_LAUNCH_X_AXIS = 1129;
constexpr UINT IDC_LAUNCH_SINGLE_GRAPH = 4958;
constexpr UINT IDC_LAUNCH_SINGLE_GRAPH_LIST = 4959;
constexpr UINT IDC_LAUNCH_METER_GROUP = 4027;
constexpr UINT IDC_LAUNCH_METER_TYPE_LABEL = 4030;
constexpr UINT IDC_LAUNCH_METER_TYPE = 3989;
constexpr UINT IDC_LAUNCH_ADVANCED = 4945;
constexpr UINT IDC_LAUNCH_LAYOUT = 4946;
constexpr UINT IDC_LAUNCH_PROJECT_GROUP = 4039;
constexpr UINT IDC_LAUNCH_RECORDING_LABEL = 4040;
constexpr UINT IDC_LAUNCH_RECORDING_MODE = 3990;
constexpr UINT IDC_LAUNCH_TIMING_GROUP = 4041;
constexpr UINT IDC_LAUNCH_TIMING_WIZARD = 4073;

const DialogTemplate& LaunchSettingsTemplate();
