#include "displays/sensor_properties_dialog.h"

#include "RES/dialogs/sensor_properties.h"

CSensorPropertiesDialog::CSensorPropertiesDialog(CWnd* parent)
    : CDialog(SensorPropertiesTemplate(), parent) {}
