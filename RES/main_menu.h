#pragma once
// Menu 152 (the main frame's bar), pop-up menu 229 (the Run button's drop-down), the three top
// toolbars and the command tooltips.

#include "platform/base/cstring.h"
#include "platform/ui/bars.h"
#include "platform/ui/menu.h"

const MenuTemplate& MainMenuTemplate();
const MenuTemplate& RunDropDownTemplate();
const ToolbarTemplate& AdvancedToolbarTemplate();
const ToolbarTemplate& BasicToolbarTemplate();
const ToolbarTemplate& SimpleToolbarTemplate();
// The string table's tooltip of a toolbar command; empty for the others.
CString CommandTip(UINT id);
