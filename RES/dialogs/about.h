#pragma once
// Dialog 138: Help > About.

#include "platform/ui/dialog_template.h"

constexpr UINT IDD_ABOUT = 138;
constexpr UINT IDC_ABOUT_LOGO = 3991;
constexpr UINT IDC_ABOUT_NOTICE = 1992;
constexpr UINT IDC_ABOUT_VERSION = 1993;
constexpr UINT IDC_ABOUT_OK = 1994;
constexpr UINT IDC_ABOUT_LINK = 1995;

const DialogTemplate& AboutTemplate();
