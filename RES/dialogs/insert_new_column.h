#pragma once
// Dialog 164: the table's column title (and unit).

#include "platform/ui/dialog_template.h"

constexpr UINT IDD_INSERT_NEW_COLUMN = 164;
constexpr UINT IDC_COLUMN_TITLE_LABEL = 1050;
constexpr UINT IDC_COLUMN_UNIT_LABEL = 1051;
constexpr UINT IDC_COLUMN_TITLE = 1052;
constexpr UINT IDC_COLUMN_UNIT = 1053;

const DialogTemplate& InsertNewColumnTemplate();
