#include "displays/graph/x_axis_setup_dialog.h"

#include "RES/dialogs/x_axis_setup.h"

CXAxisSetupDisplayProperties::CXAxisSetupDisplayProperties(CWnd* parent)
    : CDialog(XAxisSetupTemplate(), parent) {}
