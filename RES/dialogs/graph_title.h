#pragma once
// Dialog 296: the graph title.

#include "platform/ui/dialog_template.h"

constexpr UINT IDD_GRAPH_TITLE = 296;
constexpr UINT IDC_GRAPH_TITLE_LABEL = 4979;
constexpr UINT IDC_GRAPH_TITLE_EDIT = 1088;

const DialogTemplate& GraphTitleTemplate();
