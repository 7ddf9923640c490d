// The document's side of the meters and of the sensor colours.

#include "app/varnel_doc.h"
#include "displays/meter/meter_view.h"
#include "displays/sensor_color_settings_dialog.h"
#include "experiment/setup_view.h"
#include "logger/settings.h"
#include "platform/base/log.h"

void CVarnelDoc::UpdateMeters() {
    CMeterView* meters = GetMeterView();
    if (!meters || !m_logger) return;
    double values[4] = {};
    for (int i = 0; i < 4; ++i)
        GetMeterReading(i, values[i]);
    meters->ShowReadings(values[0], values[1], values[2], values[3]);
}

void CVarnelDoc::OnSensorColorSettings() {
    CSensorColorSettingsDialog dialog(AfxGetMainWnd());
    dialog.SetColors(m_settings->m_plotColors);
    if (dialog.DoModal() != IDOK) return;
    dialog.GetColors(m_settings->m_plotColors);
    if (!m_settings->Save()) qCWarning(lcDoc, "the settings could not be saved");
    if (CSetupView* setup = GetSetupView()) setup->ApplySensorColors();
}
