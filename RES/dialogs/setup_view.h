#pragma once
// Form 4910: the experiment set-up window. Its controls come with the set-up window's own code.

#include "platform/ui/dialog_template.h"

constexpr UINT IDD_SETUP_VIEW = 4910;

const DialogTemplate& SetupViewTemplate();
