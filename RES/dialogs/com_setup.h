#pragma once
// Dialog 166: Logger > Communication setup.

#include "platform/ui/dialog_template.h"

constexpr UINT IDD_COM_SETUP = 166;
constexpr UINT IDC_COM_SELECT_PORT = 4980;
constexpr UINT IDC_COM_PORT_LIST = 1054;
constexpr UINT IDC_COM_WORK_OFFLINE = 1129;
// "Try to connect" is IDOK, Cancel IDCANCEL.

const DialogTemplate& ComSetupTemplate();
