#pragma once
// Dialog 273: the program's message box.

#include "platform/ui/dialog_template.h"

constexpr UINT IDD_MSG_DIALOG = 273;
constexpr UINT IDC_MSG_DELETE = 3;
constexpr UINT IDC_MSG_SAVE = 4;
constexpr UINT IDC_MSG_TEXT = 4927;
constexpr UINT IDC_MSG_DONT_SHOW = 4928;
// The buttons IDOK, IDCANCEL, IDYES and IDNO keep their system ids.

const DialogTemplate& MsgDialogTemplate();
