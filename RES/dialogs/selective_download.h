#pragma once
// Dialog 276: the choice of a data set stored in the QK logger.

#include "platform/ui/dialog_template.h"

constexpr UINT IDD_SELECTIVE_DOWNLOAD = 276;
constexpr UINT IDC_DOWNLOAD_ROW_FIRST = 2018;  // the rows' radio buttons, 2018..2021
constexpr UINT IDC_DOWNLOAD_TIME_HEADING = 4052;
constexpr UINT IDC_DOWNLOAD_TYPE_HEADING = 4053;
constexpr UINT IDC_DOWNLOAD_SAMPLES_HEADING = 4054;
constexpr UINT IDC_DOWNLOAD_TIME_FIRST = 4055;     // 4055..4058
constexpr UINT IDC_DOWNLOAD_TYPE_FIRST = 4059;     // 4059..4062
constexpr UINT IDC_DOWNLOAD_SAMPLES_FIRST = 4063;  // 4063..4066
constexpr UINT IDC_DOWNLOAD_NO_DATA = 4067;

const DialogTemplate& SelectiveDownloadTemplate();
