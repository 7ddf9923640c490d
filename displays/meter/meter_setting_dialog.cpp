#include "displays/meter/meter_setting_dialog.h"

#include "RES/dialogs/meter_settings.h"

CMeterSettingDialog::CMeterSettingDialog(CWnd* parent) : CDialog(MeterSettingsTemplate(), parent) {}
