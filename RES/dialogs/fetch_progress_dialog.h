#pragma once
// Dialog 185: the modeless download progress box.

#include "platform/ui/dialog_template.h"

constexpr UINT IDD_FETCH_PROGRESS_DIALOG = 185;
constexpr UINT IDC_FETCH_PROGRESS = 1107;
constexpr UINT IDC_FETCH_TEXT = 1108;
constexpr UINT IDC_FETCH_PERCENT = 1110;
// Cancel keeps the system id IDCANCEL.

const DialogTemplate& FetchProgressDialogTemplate();
