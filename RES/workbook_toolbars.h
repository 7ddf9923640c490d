#pragma once
// The workbook frame's toolbars 253 (Advanced level) and 292 (Basic and Simple): the same buttons,
// different pictures.

#include "platform/ui/bars.h"

const ToolbarTemplate& WorkbookToolbarTemplate();
const ToolbarTemplate& WorkbookToolbar2Template();
