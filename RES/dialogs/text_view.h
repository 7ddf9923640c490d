#pragma once
// Form 4912: the workbook's notes pane.

#include "platform/ui/dialog_template.h"

constexpr UINT IDD_TEXT_VIEW = 4912;
constexpr UINT IDC_NOTES_EDIT = 3978;

const DialogTemplate& TextViewTemplate();
