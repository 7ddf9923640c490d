#pragma once
// Workbook > Launch settings: prepares the launch file that goes with a worksheet. The dialog
// reads the file at its path on opening and, on OK, writes the file of its mode: a meter
// (snapshot), graph or photogate timing set-up. A file it cannot write keeps it open.

#include <vector>

#include "logger/launch_header.h"
#include "platform/activex/event_sink.h"
#include "platform/activex/instruments.h"
#include "platform/ui/dialog.h"

class CVarnelDoc;
class CComboBox;
struct SensorInfoStruct;

class CLaunchSettingsDialog : public CDialog, public CEventSinkHost {
public:
    enum Mode { kMeterMode = 0, kGraphMode = 1, kTimingMode = 2 };
    static constexpr int kSensors = 7;
    static constexpr const char* kErrorCreatingText = "Error creating file";
    // In colour-index order: Temperature, Light, Humidity, Pressure, Sound, External 1, External 2.
    static constexpr BYTE kSensorBits[kSensors] = {16, 4, 32, 64, 128, 1, 2};
    static constexpr BYTE kQkChannels[kSensors] = {0, 2, 3, 4, 1, 5, 6};
    // Positions in the basic bit order 1, 2, 4, 16, 32, 64, 128.
    static constexpr BYTE kBasicChannels[kSensors] = {3, 2, 4, 5, 6, 0, 1};

    explicit CLaunchSettingsDialog(CWnd* parent = nullptr);

    void SetDocument(CVarnelDoc* doc) { m_doc = doc; }
    // The sensor-type table (20 types) and the types chosen for the two external inputs.
    void SetSensorTable(const SensorInfoStruct* table, BYTE externalType1, BYTE externalType2);
    void SetLaunchPath(const CString& path) { m_launchPath = path; }
    void SetModel(BOOL qk) { m_qk = qk ? 1 : 0; }

    const CString& GetLaunchPath() const { return m_launchPath; }
    BOOL IsQKModel() const { return m_qk; }

    // ---- the set-up being edited
    int m_mode = kGraphMode;
    WORD m_rateCode = 41;
    LONG m_runLength = 100;
    WORD m_sensorCount = 1;
    BYTE m_sensorBits[kSensors] = {16};
    DWORD m_barGraph = 0;
    DWORD m_scrollRun = 0;
    DWORD m_propertiesChanged = 0;
    LaunchChannelStruct m_channels[CLaunchHeader::kChannels];
    WORD m_recordingMode = 1;  // "Replace"
    DWORD m_singleGraphMode = 0;
    short m_singleGraphSelection = -1;
    int m_singleGraphChannel = -1;  // the channel the selection stands for; -1 none yet
    BYTE m_externalType1 = 0;
    BYTE m_externalType2 = 0;
    BYTE m_meterSensor = 16;
    WORD m_meterType = 4;  // "All meters"
    DWORD m_fourMeterLayout = 0;
    BYTE m_meterTypes[4] = {0, 1, 2, 3};
    BYTE m_meterSensors[4] = {16, 16, 16, 16};
    BYTE m_timingMethod = 0;
    BYTE m_timingMeasurement = 0;
    double m_distance1 = 3.0;
    double m_distance2 = 20.0;

    // The sensors' switches, pictures and display-properties buttons, in colour-index order.
    CCWButton m_switches[kSensors];
    CCWButton m_pictures[kSensors];
    CCWButton m_propertyButtons[kSensors];
    // The tool tip of each picture.
    CString m_pictureTips[kSensors];
    // The channel each entry of the single-graph list stands for.
    std::vector<int> m_singleGraphChannels;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(CDataExchange* dx) override;

    void OnMeterMode();
    void OnGraphMode();
    void OnTimingMode();
    void OnSwitchClick(int sensor);
    void OnPropertiesButton(UINT id);
    void OnBarGraph();
    void OnScrollRun();
    void OnXAxisSettings();
    void OnSingleGraphMode();
    void OnSingleGraphChoice();
    void OnAdvanced();
    void OnLayoutToggle();
    void OnTimingWizard();
    void OnRateChange();
    void OnRecordingTimeChange();
    void OnExternal1Change();
    void OnExternal2Change();
    void OnMeterTypeChange();
    void OnRecordingModeChange();
    DECLARE_MESSAGE_MAP()

private:
    LaunchChannelStruct DefaultChannel(int sensor) const;
    static LaunchChannelStruct DefaultXAxis();
    void PresetGraph();
    // A file that cannot be read is reported and leaves the presets.
    void ReadLaunchFile();
    void ApplyMode();
    void UpdateTimeControls();
    void FillRateList();
    // The list for the rate, with `runLength` as an entry of its own when no standard one holds
    // it; returns the entry that holds it.
    int FillRecordingTimes(WORD rateCode, LONG runLength = 0);
    void FillExternalCombos();
    void UpdateExternalTips();
    void RebuildSensorList();
    void RebuildSingleGraphList();
    bool WriteLaunchFile();
    bool Switch(int sensor) const;
    void SetSwitch(int sensor, bool on);
    int SwitchesOn() const;
    CString SensorName(int sensor) const;
    CComboBox* Combo(UINT id) const;
    void ShowItem(UINT id, bool show);
    void EnableItem(UINT id, bool enable);
    void SelectType(UINT comboId, BYTE type);
    int RateIndex() const;

    CVarnelDoc* m_doc = nullptr;
    const SensorInfoStruct* m_sensorTable = nullptr;
    CString m_launchPath;
    BOOL m_qk = FALSE;
    // The run length of each entry of the recording-time list.
    std::vector<LONG> m_runLengths;
};
