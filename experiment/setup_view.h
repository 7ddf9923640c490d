#pragma once
// CSetupView: the experiment set-up window. It holds the sampling regime that runs use (rate
// code, sensor mask, run length) and the states the document reads; its controls come later.

#include "platform/ui/form_view.h"

class CDorvik;

class CSetupView : public CFormView {
    DECLARE_DYNCREATE(CSetupView)
public:
    CSetupView();
    BOOL Create(CWnd* parent, const RECT& rect, UINT id = AFX_IDW_PANE_FIRST);

    // The chosen channels become the logger's live channel enables.
    void ApplySensorSelection(CDorvik* logger) const;
    void EnableControls(BOOL enable) { m_controlsEnabled = enable ? 1 : 0; }
    void UpdateControls() { ++m_updateCount; }
    void SetMeterMode(BOOL on) { m_meterMode = on ? 1 : 0; }
    // The meter view's calls, kept until the sensor buttons show them: the meter whose sensor
    // the buttons select (-1 none), and whether they select one meter's sensor (1) or show all
    // four meters' (0; -1 before any call).
    void ShowMeterSensor(int meter) { m_shownMeterSensor = meter; }
    void ShowMeterSensors(BOOL single) {
        m_meterSensorsSingle = single ? 1 : 0;
        if (!single) m_shownMeterSensor = -1;
    }
    // The sensor buttons take the settings' colours again.
    void ApplySensorColors() { ++m_sensorColorsApplied; }

    void OnInitialUpdate() override;

    WORD m_rateCode = 41;
    BYTE m_sensorMask = 0x7F;
    DWORD m_runLength = 100;
    // The initial update has run.
    BYTE m_ready = 0;
    BYTE m_controlsEnabled = 0;
    BYTE m_meterMode = 0;
    int m_updateCount = 0;
    int m_shownMeterSensor = -1;
    int m_meterSensorsSingle = -1;
    int m_sensorColorsApplied = 0;
};
