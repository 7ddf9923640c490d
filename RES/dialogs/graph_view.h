#pragma once
// Form 140: the graph window, one graph control filling it.

#include "platform/ui/dialog_template.h"

constexpr UINT IDD_GRAPH_VIEW = 140;
constexpr UINT IDC_GRAPH = 1000;

const DialogTemplate& GraphViewTemplate();
