#pragma once
// Dialogs 2046 and 2047: the Lines and Scale pages of the "Format graph" sheet.

#include "platform/ui/dialog_template.h"

constexpr UINT IDD_FORMAT_LINES = 2046;
constexpr UINT IDD_FORMAT_SCALE = 2047;
constexpr UINT IDC_FORMAT_SELECT_LABEL = 3929;
constexpr UINT IDC_FORMAT_ENTRIES = 1089;
constexpr UINT IDC_FORMAT_AUTOSCALE = 1096;
constexpr UINT IDC_FORMAT_MIN_LABEL = 1181;
constexpr UINT IDC_FORMAT_MIN = 1019;
constexpr UINT IDC_FORMAT_MAX_LABEL = 1182;
constexpr UINT IDC_FORMAT_MAX = 1020;

const DialogTemplate& FormatLinesTemplate();
const DialogTemplate& FormatScaleTemplate();
