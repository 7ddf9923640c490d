#pragma once
// The "Format graph" sheet's pages: 2047 Scale and 2046 Lines.

#include "platform/ui/dialog_template.h"

constexpr UINT IDD_GRAPH_FORMAT_SCALES = 2047;
constexpr UINT IDD_GRAPH_FORMAT_LINES = 2046;
constexpr UINT IDC_FORMAT_SELECT_LABEL = 3929;
constexpr UINT IDC_FORMAT_ENTRIES = 1089;

const DialogTemplate& GraphFormatScalesTemplate();
const DialogTemplate& GraphFormatLinesTemplate();
