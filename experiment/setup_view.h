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

    void OnInitialUpdate() override;

    WORD m_rateCode = 41;
    BYTE m_sensorMask = 0x7F;
    DWORD m_runLength = 100;
    // The initial update has run.
    BYTE m_ready = 0;
    BYTE m_controlsEnabled = 0;
    BYTE m_meterMode = 0;
    int m_updateCount = 0;
};
