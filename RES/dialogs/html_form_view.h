#pragma once
// Form 4911: the workbook's worksheet pane, a browser with Back and Forward below it.

#include "platform/ui/dialog_template.h"

constexpr UINT IDD_HTML_FORM_VIEW = 4911;
constexpr UINT IDC_WORKSHEET_BROWSER = 3976;
constexpr UINT IDC_WORKSHEET_BACK = 1997;
constexpr UINT IDC_WORKSHEET_FORWARD = 1996;

const DialogTemplate& HtmlFormViewTemplate();
