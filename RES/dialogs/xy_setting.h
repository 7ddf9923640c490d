#pragma once
// Dialog 259: the X axis source of the Y versus X graph.

#include "platform/ui/dialog_template.h"

constexpr UINT IDD_XY_SETTING = 259;
constexpr UINT IDC_XY_LABEL = 3990;
constexpr UINT IDC_XY_PLOTS = 1148;

const DialogTemplate& XYSettingTemplate();
