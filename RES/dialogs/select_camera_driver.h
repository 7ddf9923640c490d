#pragma once
// Dialog 4953: the choice of camera.

#include "platform/ui/dialog_template.h"

constexpr UINT IDD_SELECT_CAMERA_DRIVER = 4953;
constexpr UINT IDC_CAMERA_LABEL = 4954;
constexpr UINT IDC_CAMERA_LIST = 4955;

const DialogTemplate& SelectCameraDriverTemplate();
