// The photogate timing mode: the layout it takes, and the wizard and dialog that set up a timing
// run.

#include <QtGlobal>

#include "app/main_frame.h"
#include "app/varnel_doc.h"
#include "experiment/timing_wizard.h"
#include "logger/dorvik.h"
#include "logger/settings.h"
#include "platform/base/log.h"

void CVarnelDoc::ToggleTimingMode(BOOL fromCommand) {
    CSettings& s = *m_settings;
    if (s.m_graphMode != 3 && s.m_tableMode != 3) OnDisplayGraph();
    // A timer-variant logger measures gates only: timing stays on.
    m_timingMode = (m_timingMode && !m_logger->IsTimerVariant()) ? 0 : 1;
    // A table in the main area keeps it: nothing else would fill it.
    if (s.m_tableMode != 3) s.m_tableMode = s.m_videoHidden ? 2 : 4;
    CMainFrame* frame = MainFrame();
    if (m_timingMode) {
        if (frame) {
            frame->m_timingModeOn = 1;
            frame->m_metersButtonAvailable = 0;
        }
    } else {
        if (frame) frame->m_timingModeOn = 0;
        if (s.m_tableMode == 4) s.m_tableMode = 0;
        if (s.m_tableMode == 2) s.m_tableMode = 1;
        if (s.m_graphMode == 4) s.m_graphMode = 0;
        if (frame) frame->m_metersButtonAvailable = 1;
    }
    ApplyDisplayModes();
    if (fromCommand) {
        if (m_timingMode) RunTimingWizard(0);
    } else if (s.m_timingMeasurement != 0 && m_timingMode) {
        EditTimingParameters();
    }
}

void CVarnelDoc::OnTimingWizard() {
    // A run's data sets keep the names and units of its first event: a new measurement now would
    // file accelerations under "Velocity".
    if (m_runInProgress) {
        ShowMessage(kRunningText, 0);
        return;
    }
    RunTimingWizard(0);
}

bool CVarnelDoc::RunTimingWizard(BYTE mode) {
    const CSettings& s = *m_settings;
    CTimingWizard wizard("Timing Wizard", this, MainFrame(), mode);
    wizard.m_typePage.m_measurement = s.m_timingMeasurement;
    wizard.m_parametersPage.m_method = s.m_timingMethod;
    wizard.m_parametersPage.m_distance1 = s.m_timingDistance1;
    wizard.m_parametersPage.m_distance2 = s.m_timingDistance2;
    wizard.m_writeBack = 1;
    return wizard.DoModal() != IDCANCEL;
}

void CVarnelDoc::EditTimingParameters() {
    CSettings& s = *m_settings;
    CTimingLaunchParameterDialog dialog(MainFrame());
    dialog.m_measurement = s.m_timingMeasurement;
    dialog.m_method = s.m_timingMethod;
    dialog.m_distance1 = s.m_timingDistance1;
    dialog.m_distance2 = s.m_timingDistance2;
    if (dialog.DoModal() != IDOK) return;
    s.m_timingDistance1 = dialog.m_distance1;
    s.m_timingDistance2 = dialog.m_distance2;
    if (!s.Save()) qCWarning(lcDoc, "the settings could not be saved");
}
