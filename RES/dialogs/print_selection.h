#pragma once
// Dialog 213: File > Print, what to print.

#include "platform/ui/dialog_template.h"

constexpr UINT IDD_PRINT_SELECTION = 213;
constexpr UINT IDC_PRINT_ALL_DATA = 214;
constexpr UINT IDC_PRINT_GRAPH = 1151;
constexpr UINT IDC_PRINT_TABLE = 1153;
constexpr UINT IDC_PRINT_FROM = 1148;
constexpr UINT IDC_PRINT_TO = 1149;
constexpr UINT IDC_PRINT = 1191;
constexpr UINT IDC_PRINT_FROM_LABEL = 1192;
constexpr UINT IDC_PRINT_TO_LABEL = 1193;
constexpr UINT IDC_PRINT_RANGE_GROUP = 1194;
constexpr UINT IDC_PRINT_FROM_DATE = 4000;
constexpr UINT IDC_PRINT_TO_DATE = 4002;
constexpr UINT IDC_PRINT_TO_TIME = 4003;
constexpr UINT IDC_PRINT_FROM_TIME = 4004;

const DialogTemplate& PrintSelectionTemplate();
