#pragma once
// Dialog 210: the modeless status box.

#include "platform/ui/dialog_template.h"

constexpr UINT IDD_MESSAGE_DIALOG = 210;
constexpr UINT IDC_MESSAGE_TEXT = 1144;
// Close is IDOK, the hidden Cancel IDCANCEL.

const DialogTemplate& MessageDialogTemplate();
