#pragma once
// The timing wizard in its first form: one page with Finish and Cancel. Its two pages come with
// the wizard's own work.

#include "platform/ui/dialog_template.h"

constexpr UINT IDD_TIMING_TYPE = 4914;
constexpr UINT IDC_TIMING_FINISH = 4929;
// What a wizard returns when it ends by Finish.
constexpr int ID_WIZFINISH = 12325;

const DialogTemplate& TimingWizardTemplate();
