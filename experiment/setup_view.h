#pragma once
// CSetupView: the logger set-up window: which sensors are recorded, the rate and the recording
// time. A QK logger takes the choices with its next Run or Send Setup; a basic logger gets each
// change at once and the switches show what it reports back. While the meters are shown the
// switches choose the selected meter's sensor instead.

#include <array>
#include <optional>
#include <vector>

#include "platform/activex/event_sink.h"
#include "platform/activex/instruments.h"
#include "platform/ui/controls.h"
#include "platform/ui/form_view.h"
#include "platform/ui/tooltip_ctrl.h"

class CDorvik;
class CVarnelDoc;

class CSetupView : public CFormView, public CEventSinkHost {
    DECLARE_DYNCREATE(CSetupView)
public:
    // The sensors in the order of their codes (External 1, External 2, Light, Temperature,
    // Humidity, Pressure, Sound).
    static constexpr int kSensors = 7;
    static constexpr int kExternal1 = 0, kExternal2 = 1, kLight = 2, kTemperature = 3,
                         kHumidity = 4, kPressure = 5, kSound = 6;
    static const BYTE kCodes[kSensors];
    static const BYTE kBasicBits[kSensors];
    static const BYTE kQkChannels[kSensors];
    static const UINT kSwitchIds[kSensors];
    static const UINT kPictureIds[kSensors];
    static const BYTE kColorIndexes[kSensors];

    CSetupView();
    BOOL Create(CWnd* parent, const RECT& rect, UINT id = AFX_IDW_PANE_FIRST);

    void OnInitialUpdate() override;
    void OnUpdate(CView* sender, LPARAM hint, CObject* hintObject) override;
    void OnSize(UINT type, int cx, int cy) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    void ApplySensorSelection(BYTE bit, BOOL on);
    void UpdateControls();
    void EnableControls(BOOL on);
    void SetMeterMode(BOOL on);
    void ShowMeterSensor(int meter);
    void ShowMeterSensors(BOOL single);
    void SelectSensorByBit(BYTE bit);
    void SelectExternalSensor(int input);
    void ApplySensorColors();
    void SetRate(WORD code);
    void SetRunLength(DWORD n);

    // The controls' events, public for the sinks.
    void OnSwitchClick(int sensor);
    void OnSwitchDblClick(int sensor);
    void OnPictureDblClick(int input);
    void OnRateChange();
    void OnRecordingTimeChange();

    CCWButton& GetSwitch(int sensor) { return m_switches[sensor]; }
    CCWButton& GetPicture(int sensor) { return m_pictures[sensor]; }
    CComboBox& GetRateCombo() { return m_rateCombo; }
    CComboBox& GetTimeCombo() { return m_timeCombo; }
    const std::vector<DWORD>& GetRunLengths() const { return m_runLengths; }
    CString GetToolTipText(int sensor) const { return m_toolTips[sensor]; }

    // The set-up that pending command 3 and the QK's regime frame send.
    WORD m_rateCode = 41;
    BYTE m_sensorMask = 0x7F;
    DWORD m_runLength = 100;
    // The first update has run: OnSize may place the controls.
    BYTE m_ready = 0;
    BYTE m_controlsEnabled = 0;
    BYTE m_meterMode = 0;
    BYTE m_meterEntry = 0;
    short m_savedRateIndex = 0;
    short m_savedTimeIndex = 0;
    short m_selectedCount = 0;
    // The last worksheet launch was a meter (snapshot) one.
    BYTE m_snapshotLaunch = 0;
    // The meter view's last calls: the meter shown (-1 none), whether the switches choose one
    // meter's sensor (1) or show all four (0; -1 before any call), and the colour applications.
    int m_shownMeterSensor = -1;
    int m_meterSensorsSingle = -1;
    int m_sensorColorsApplied = 0;
    // Each meter's sensor code, as the switches chose it in meter mode (the document's when the
    // view has one).
    std::array<BYTE, 4> m_meterSensorCodes{4, 4, 4, 4};
    // A basic logger's set-up before the meters' live readings replaced it, sent back when the
    // meters go.
    struct BasicSetup {
        BYTE mask;
        WORD rateCode;
        DWORD runLength;
    };
    std::optional<BasicSetup> m_setupBeforeMeters;

protected:
    int OnCreate(LPCREATESTRUCT cs) override;

private:
    bool IsQK() const;
    bool MetersShown() const;
    CDorvik* Logger() const;
    int SelectedMeter() const;
    int MeterCode(int meter) const;
    void SetMeterCode(int meter, int code);
    void FillRateList();
    // The list for the rate; a `runLength` no entry holds gets an entry of its own, and the
    // entry holding it is selected.
    void FillRecordingTimes(WORD rateCode, DWORD runLength = 0);
    void SetToolTip(int sensor, const CString& text);
    void ShowExternalSlots();
    void ClickSwitchOn(int sensor);
    void LayOut(int cx, int cy);
    static int SensorOfCode(int code);
    static int SensorOfBit(int bit);

    CVarnelDoc* m_doc = nullptr;
    CStatic m_rateLabel;
    CStatic m_timeLabel;
    CComboBox m_rateCombo;
    CComboBox m_timeCombo;
    std::array<CCWButton, kSensors> m_switches;
    std::array<CCWButton, kSensors> m_pictures;
    CToolTipCtrl m_toolTip;
    std::array<CString, kSensors> m_toolTips;
    // The model the lists were last filled for.
    bool m_lastQK = false;
    bool m_tablesBuilt = false;
    std::vector<DWORD> m_runLengths;
    WORD m_runLengthsRate = 0;  // the rate code m_runLengths was counted for
    int m_ownTimeEntry = -1;    // the entry of a length no standard entry holds, or -1
};
