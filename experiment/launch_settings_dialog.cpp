#include "experiment/launch_settings_dialog.h"

#include <QWidget>
#include <algorithm>

#include "RES/dialogs/launch_settings.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_view.h"
#include "displays/graph/x_axis_setup_dialog.h"
#include "displays/meter/meter_setting_dialog.h"
#include "displays/sensor_properties_dialog.h"
#include "experiment/timing_wizard.h"
#include "logger/settings.h"
#include "models/setup_tables.h"
#include "platform/base/paths.h"
#include "platform/ui/controls.h"
#include "platform/ui/modal_host.h"
#include "platform/ui/styles.h"

BEGIN_MESSAGE_MAP(CLaunchSettingsDialog, CDialog)
ON_BN_CLICKED(IDC_LAUNCH_METER, OnMeterMode)
ON_BN_CLICKED(IDC_LAUNCH_GRAPH, OnGraphMode)
ON_BN_CLICKED(IDC_LAUNCH_TIMING, OnTimingMode)
ON_BN_CLICKED(IDC_LAUNCH_BAR_GRAPH, OnBarGraph)
ON_BN_CLICKED(IDC_LAUNCH_SCROLL_RUN, OnScrollRun)
ON_BN_CLICKED(IDC_LAUNCH_X_AXIS, OnXAxisSettings)
ON_BN_CLICKED(IDC_LAUNCH_SINGLE_GRAPH, OnSingleGraphMode)
ON_CBN_SELCHANGE(IDC_LAUNCH_SINGLE_GRAPH_LIST, OnSingleGraphChoice)
ON_BN_CLICKED(IDC_LAUNCH_ADVANCED, OnAdvanced)
ON_BN_CLICKED(IDC_LAUNCH_LAYOUT, OnLayoutToggle)
ON_BN_CLICKED(IDC_LAUNCH_TIMING_WIZARD, OnTimingWizard)
ON_CBN_SELCHANGE(IDC_LAUNCH_RATE, OnRateChange)
ON_CBN_SELCHANGE(IDC_LAUNCH_TIME, OnRecordingTimeChange)
ON_CBN_SELCHANGE(IDC_LAUNCH_EXTERNAL1, OnExternal1Change)
ON_CBN_SELCHANGE(IDC_LAUNCH_EXTERNAL2, OnExternal2Change)
ON_CBN_SELCHANGE(IDC_LAUNCH_METER_TYPE, OnMeterTypeChange)
ON_CBN_SELCHANGE(IDC_LAUNCH_RECORDING_MODE, OnRecordingModeChange)
END_MESSAGE_MAP()

namespace {

constexpr int kExternal1 = 5;
constexpr int kExternal2 = 6;
// The codes the display properties convert by, records 0 to 4.
constexpr WORD kSensorCodes[5] = {4, 2, 5, 6, 7};
constexpr const char* kSensorNames[7] = {"Temperature", "Light",      "Humidity",  "Pressure",
                                         "Sound",       "External 1", "External 2"};
constexpr const char* kRecordingModes[3] = {"Single measurement", "Replace", "Add"};
constexpr const char* kMeterTypes[5] = {"Analog meter", "Bar meter", "Change meter",
                                        "Digital meter", "All meters"};
// Graph mode writes the sensors in the order the logger model reads them.
constexpr BYTE kQkOrder[7] = {16, 128, 4, 32, 64, 1, 2};
constexpr BYTE kBasicOrder[7] = {1, 2, 4, 16, 32, 64, 128};

int SensorOfBit(BYTE bit) {
    for (int k = 0; k < CLaunchSettingsDialog::kSensors; ++k)
        if (CLaunchSettingsDialog::kSensorBits[k] == bit) return k;
    return -1;
}

}  // namespace

CLaunchSettingsDialog::CLaunchSettingsDialog(CWnd* parent)
    : CDialog(LaunchSettingsTemplate(), parent) {
    for (int k = 0; k < CLaunchHeader::kChannels; ++k)
        m_channels[k].index = static_cast<short>(k);
    m_channels[CLaunchHeader::kXAxisRecord] = DefaultXAxis();
}

void CLaunchSettingsDialog::SetSensorTable(const SensorInfoStruct* table, BYTE externalType1,
                                           BYTE externalType2) {
    m_sensorTable = table;
    m_externalType1 = externalType1 < CSettings::kSensorTypes ? externalType1 : 0;
    m_externalType2 = externalType2 < CSettings::kSensorTypes ? externalType2 : 0;
}

void CLaunchSettingsDialog::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    for (int k = 0; k < kSensors; ++k) {
        DDX_Control(dx, static_cast<int>(kLaunchSwitchIds[k]), m_switches[k]);
        DDX_Control(dx, static_cast<int>(kLaunchPictureIds[k]), m_pictures[k]);
        DDX_Control(dx, static_cast<int>(IDC_LAUNCH_PROPERTIES_FIRST) + k, m_propertyButtons[k]);
    }
}

// ---- defaults

LaunchChannelStruct CLaunchSettingsDialog::DefaultChannel(int sensor) const {
    LaunchChannelStruct c;
    c.index = static_cast<short>(sensor);
    if (m_doc && sensor >= 0 && sensor < kSensors) {
        const CSettings& s = *m_doc->GetSettings();
        const GraphLinesInfoStruct& line = s.m_lineRecords[sensor];
        c.color = static_cast<LONG>(s.m_plotColors[sensor]);
        c.lineStyle = line.lineStyle;
        c.lineWidth = line.lineWidth;
        c.lineVisible = static_cast<DWORD>(line.lineVisible);
        c.markerColor = static_cast<LONG>(line.markerColor);
        c.markerStyle = line.markerStyle;
        c.markerVisible = static_cast<DWORD>(line.markerVisible);
        if (const CGraphView* graph = m_doc->GetGraphView()) {
            const auto& scale = graph->m_sensorScales[sensor];
            c.autoScale = static_cast<DWORD>(scale.autoScale);
            c.minimum = scale.minimum;
            c.maximum = scale.maximum;
        }
    }
    return c;
}

LaunchChannelStruct CLaunchSettingsDialog::DefaultXAxis() {
    LaunchChannelStruct x;
    x.selected = 1;
    x.index = -1;  // time
    x.autoScale = 1;
    x.minimum = 0.0;
    x.maximum = 10.0;
    return x;
}

void CLaunchSettingsDialog::PresetGraph() {
    m_rateCode = m_qk ? 41 : 64;
    m_runLength = m_qk ? 100 : 60;
    m_sensorCount = 1;
    std::fill(std::begin(m_sensorBits), std::end(m_sensorBits), BYTE(0));
    m_sensorBits[0] = 16;
    m_barGraph = 0;
    m_scrollRun = 0;
    for (int k = 0; k < kSensors; ++k)
        m_channels[k] = DefaultChannel(k);
    m_channels[0].selected = 1;
    m_channels[CLaunchHeader::kXAxisRecord] = DefaultXAxis();
}

// ---- start

BOOL CLaunchSettingsDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    SetWindowText("Launch settings");
    GetEventSinks().Clear();
    for (int k = 0; k < kSensors; ++k)
        GetEventSinks().On(kLaunchSwitchIds[k], DISPID_CLICK, [this, k] { OnSwitchClick(k); });
    GetEventSinks().OnRange(IDC_LAUNCH_PROPERTIES_FIRST, IDC_LAUNCH_PROPERTIES_LAST, DISPID_CLICK,
                            [this](UINT id) { OnPropertiesButton(id); });

    if (CComboBox* modes = Combo(IDC_LAUNCH_RECORDING_MODE)) {
        modes->ResetContent();
        for (const char* text : kRecordingModes)
            modes->AddString(text);
    }
    if (CComboBox* types = Combo(IDC_LAUNCH_METER_TYPE)) {
        types->ResetContent();
        for (const char* text : kMeterTypes)
            types->AddString(text);
    }
    SetDlgItemText(IDC_LAUNCH_TIME_LABEL, "Recording time :");

    m_mode = kGraphMode;
    PresetGraph();
    CheckDlgButton(IDC_LAUNCH_METER, BST_UNCHECKED);
    ReadLaunchFile();

    // The model is known now: it may have come from the file.
    ShowItem(IDC_LAUNCH_TIMING, m_qk != 0);
    if (!m_qk && m_mode == kTimingMode) m_mode = kGraphMode;
    FillExternalCombos();
    UpdateExternalTips();
    for (int k = 0; k < kSensors; ++k) {
        if (k < kExternal1) m_pictureTips[k] = kSensorNames[k];
        if (m_doc) m_switches[k].SetOnColor(m_doc->GetSettings()->m_plotColors[k]);
        if (QWidget* w = m_pictures[k].GetWidget()) w->setToolTip(m_pictureTips[k].ToQString());
    }
    if (m_mode == kMeterMode)
        for (int k = 0; k < kSensors; ++k)
            SetSwitch(k, kSensorBits[k] == m_meterSensor);
    UpdateTimeControls();
    if (CComboBox* modes = Combo(IDC_LAUNCH_RECORDING_MODE)) modes->SetCurSel(m_recordingMode);
    CheckDlgButton(IDC_LAUNCH_SINGLE_GRAPH, m_singleGraphMode ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_LAUNCH_LAYOUT, m_fourMeterLayout ? BST_CHECKED : BST_UNCHECKED);
    ApplyMode();
    if (m_singleGraphMode && m_mode == kGraphMode) RebuildSingleGraphList();
    return TRUE;
}

void CLaunchSettingsDialog::ReadLaunchFile() {
    if (m_launchPath.IsEmpty() || !platform::FileExists(m_launchPath)) return;
    CLaunchHeader h;
    // A name of neither kind: a file older than the model flag is for the model asked for.
    h.m_qkModel = m_qk;
    CString reason;
    if (!h.LoadFromFile(m_launchPath, &reason)) {
        AfxMessageBox(
            CString::Formatted("The launch file \"%s\" cannot be read: %s.",
                               platform::PathName(m_launchPath).GetString(), reason.GetString()),
            MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    const BOOL qk = h.m_qkModel ? TRUE : FALSE;
    if (qk != m_qk) {
        m_qk = qk;
        PresetGraph();
    }
    switch (h.m_kind) {
        case CLaunchHeader::kSnapshot:
            m_mode = kMeterMode;
            m_meterType = h.m_meterType;
            m_meterSensor = h.m_meterSensor;
            if (h.m_meterSensor == 1) m_externalType1 = h.m_externalType1;
            if (h.m_meterSensor == 2) m_externalType2 = h.m_externalType2;
            m_fourMeterLayout = h.m_fourMeterLayout;
            if (m_fourMeterLayout) {
                std::copy(std::begin(h.m_meterTypes), std::end(h.m_meterTypes), m_meterTypes);
                std::copy(std::begin(h.m_meterSensors), std::end(h.m_meterSensors), m_meterSensors);
            }
            break;
        case CLaunchHeader::kGraph:
            m_mode = kGraphMode;
            m_barGraph = h.m_barGraph;
            m_scrollRun = h.m_scrollRun;
            m_runLength = h.m_runLength;
            m_sensorCount = h.m_sensorCount;
            m_rateCode = h.m_rateCode;
            std::copy(std::begin(h.m_sensorBits), std::end(h.m_sensorBits), m_sensorBits);
            for (int i = 0; i < m_sensorCount; ++i) {
                if (m_sensorBits[i] == 1) m_externalType1 = h.m_externalType1;
                if (m_sensorBits[i] == 2) m_externalType2 = h.m_externalType2;
            }
            std::copy(std::begin(h.m_channels), std::end(h.m_channels), m_channels);
            m_recordingMode = h.m_recordingMode;
            m_singleGraphMode = h.m_singleGraphMode;
            m_singleGraphSelection = h.m_singleGraphSelection;
            m_singleGraphChannel = -1;
            m_propertiesChanged = h.m_propertiesChanged;
            break;
        default:
            m_mode = kTimingMode;
            m_timingMethod = h.m_timingMethod;
            m_timingMeasurement = h.m_timingMeasurement;
            m_distance1 = h.m_distance1;
            m_distance2 = h.m_distance2;
            m_barGraph = h.m_barGraph;
            m_scrollRun = h.m_scrollRun;
            break;
    }
}

void CLaunchSettingsDialog::FillExternalCombos() {
    std::vector<int> order;
    for (int t = 0; t < CSettings::kSensorTypes; ++t)
        order.push_back(t);
    if (m_sensorTable)
        std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
            return m_sensorTable[a].name.ToQString().localeAwareCompare(
                       m_sensorTable[b].name.ToQString()) < 0;
        });
    for (UINT id : {IDC_LAUNCH_EXTERNAL1, IDC_LAUNCH_EXTERNAL2}) {
        CComboBox* combo = Combo(id);
        if (!combo) continue;
        combo->ResetContent();
        for (int t : order) {
            const CString name =
                m_sensorTable ? m_sensorTable[t].name : CString::Formatted("%d", t);
            const int at = combo->AddString(name);
            combo->SetItemData(at, static_cast<DWORD_PTR>(t));
        }
    }
    SelectType(IDC_LAUNCH_EXTERNAL1, m_externalType1);
    SelectType(IDC_LAUNCH_EXTERNAL2, m_externalType2);
}

void CLaunchSettingsDialog::SelectType(UINT comboId, BYTE type) {
    CComboBox* combo = Combo(comboId);
    if (!combo) return;
    for (int i = 0; i < combo->GetCount(); ++i)
        if (combo->GetItemData(i) == type) {
            combo->SetCurSel(i);
            return;
        }
}

void CLaunchSettingsDialog::UpdateExternalTips() {
    for (int k : {kExternal1, kExternal2}) {
        const BYTE type = k == kExternal1 ? m_externalType1 : m_externalType2;
        m_pictureTips[k] =
            m_qk || !m_sensorTable ? CString(kSensorNames[k]) : m_sensorTable[type].name;
        if (QWidget* w = m_pictures[k].GetWidget()) w->setToolTip(m_pictureTips[k].ToQString());
    }
}

// ---- controls

CComboBox* CLaunchSettingsDialog::Combo(UINT id) const {
    return dynamic_cast<CComboBox*>(GetDlgItem(static_cast<int>(id)));
}

void CLaunchSettingsDialog::ShowItem(UINT id, bool show) {
    if (CWnd* item = GetDlgItem(static_cast<int>(id))) item->ShowWindow(show ? SW_SHOW : SW_HIDE);
}

void CLaunchSettingsDialog::EnableItem(UINT id, bool enable) {
    if (CWnd* item = GetDlgItem(static_cast<int>(id))) item->EnableWindow(enable ? TRUE : FALSE);
}

bool CLaunchSettingsDialog::Switch(int sensor) const {
    return m_switches[sensor].GetValue();
}

void CLaunchSettingsDialog::SetSwitch(int sensor, bool on) {
    m_switches[sensor].SetValue(on);
}

int CLaunchSettingsDialog::SwitchesOn() const {
    int n = 0;
    for (int k = 0; k < kSensors; ++k)
        n += Switch(k) ? 1 : 0;
    return n;
}

CString CLaunchSettingsDialog::SensorName(int sensor) const {
    if (sensor >= kExternal1 && !m_qk && m_sensorTable)
        return m_sensorTable[sensor == kExternal1 ? m_externalType1 : m_externalType2].name;
    return kSensorNames[sensor];
}

int CLaunchSettingsDialog::RateIndex() const {
    return setup_tables::RateCodeToIndex(m_qk, m_rateCode);
}

void CLaunchSettingsDialog::ApplyMode() {
    const bool meter = m_mode == kMeterMode, graph = m_mode == kGraphMode,
               timing = m_mode == kTimingMode;
    CheckRadioButton(IDC_LAUNCH_METER, IDC_LAUNCH_TIMING, IDC_LAUNCH_METER + m_mode);
    for (int k = 0; k < kSensors; ++k) {
        EnableItem(kLaunchSwitchIds[k], !timing);
        EnableItem(kLaunchPictureIds[k], !timing);
        EnableItem(IDC_LAUNCH_PROPERTIES_FIRST + k, graph && Switch(k));
    }
    if (meter) {
        EnableItem(IDC_LAUNCH_EXTERNAL1, m_meterSensor == 1);
        EnableItem(IDC_LAUNCH_EXTERNAL2, m_meterSensor == 2);
    } else {
        EnableItem(IDC_LAUNCH_EXTERNAL1, graph && Switch(kExternal1));
        EnableItem(IDC_LAUNCH_EXTERNAL2, graph && Switch(kExternal2));
    }
    for (UINT id : {IDC_LAUNCH_RATE_LABEL, IDC_LAUNCH_RATE, IDC_LAUNCH_TIME_LABEL, IDC_LAUNCH_TIME})
        EnableItem(id, graph);
    for (UINT id : {IDC_LAUNCH_BAR_GRAPH, IDC_LAUNCH_SCROLL_RUN, IDC_LAUNCH_X_AXIS})
        EnableItem(id, !meter);
    EnableItem(IDC_LAUNCH_SINGLE_GRAPH, graph);
    EnableItem(IDC_LAUNCH_SINGLE_GRAPH_LIST, graph && m_singleGraphMode);

    for (UINT id : {IDC_LAUNCH_METER_GROUP, IDC_LAUNCH_METER_TYPE_LABEL, IDC_LAUNCH_METER_TYPE,
                    IDC_LAUNCH_LAYOUT})
        ShowItem(id, meter);
    ShowItem(IDC_LAUNCH_ADVANCED, meter && m_fourMeterLayout);
    for (UINT id :
         {IDC_LAUNCH_PROJECT_GROUP, IDC_LAUNCH_RECORDING_LABEL, IDC_LAUNCH_RECORDING_MODE})
        ShowItem(id, !meter);
    EnableItem(IDC_LAUNCH_RECORDING_MODE, !m_barGraph);
    ShowItem(IDC_LAUNCH_TIMING_GROUP, timing);
    ShowItem(IDC_LAUNCH_TIMING_WIZARD, timing);
}

void CLaunchSettingsDialog::FillRateList() {
    CComboBox* rates = Combo(IDC_LAUNCH_RATE);
    if (!rates) return;
    rates->ResetContent();
    for (int i = 0; i < setup_tables::RateCount(m_qk); ++i)
        rates->AddString(setup_tables::RateLabel(m_qk, i));
}

int CLaunchSettingsDialog::FillRecordingTimes(WORD rateCode, LONG runLength) {
    const int rateIndex = setup_tables::RateCodeToIndex(m_qk, rateCode);
    const setup_tables::Range range =
        setup_tables::RecordingTimeRange(m_qk, rateIndex, m_sensorCount, {0, m_qk ? 16 : 8});
    const setup_tables::RecordingTimeList list = setup_tables::RecordingTimes(
        m_qk, range, rateIndex, static_cast<unsigned long>(std::max<LONG>(runLength, 0)));
    m_runLengths.clear();
    CComboBox* times = Combo(IDC_LAUNCH_TIME);
    if (times) times->ResetContent();
    for (size_t i = 0; i < list.labels.size(); ++i) {
        if (times) times->AddString(list.labels[i]);
        m_runLengths.push_back(static_cast<LONG>(list.lengths[i]));
    }
    return list.selected;
}

void CLaunchSettingsDialog::UpdateTimeControls() {
    for (int i = 0; i < m_sensorCount && i < kSensors; ++i)
        if (const int k = SensorOfBit(m_sensorBits[i]); k >= 0 && m_mode == kGraphMode)
            SetSwitch(k, true);
    FillRateList();
    if (CComboBox* rates = Combo(IDC_LAUNCH_RATE)) rates->SetCurSel(RateIndex());
    // The file's own length shows, as an entry of its own when no standard one holds it: OK
    // writes what the list shows.
    const int at = FillRecordingTimes(m_rateCode, m_runLength);
    if (CComboBox* times = Combo(IDC_LAUNCH_TIME)) times->SetCurSel(at);
    CheckDlgButton(IDC_LAUNCH_BAR_GRAPH, m_barGraph ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_LAUNCH_SCROLL_RUN, m_scrollRun ? BST_CHECKED : BST_UNCHECKED);
    if (m_barGraph) {
        m_recordingMode = 1;
        if (CComboBox* modes = Combo(IDC_LAUNCH_RECORDING_MODE)) modes->SetCurSel(1);
        EnableItem(IDC_LAUNCH_RECORDING_MODE, false);
    } else {
        EnableItem(IDC_LAUNCH_RECORDING_MODE, true);
    }
    if (m_mode == kMeterMode)
        if (CComboBox* types = Combo(IDC_LAUNCH_METER_TYPE)) types->SetCurSel(m_meterType);
}

void CLaunchSettingsDialog::RebuildSensorList() {
    const BYTE* order = m_qk ? kQkOrder : kBasicOrder;
    std::fill(std::begin(m_sensorBits), std::end(m_sensorBits), BYTE(0));
    int n = 0;
    for (int i = 0; i < kSensors; ++i)
        if (Switch(SensorOfBit(order[i]))) m_sensorBits[n++] = order[i];
}

void CLaunchSettingsDialog::RebuildSingleGraphList() {
    CComboBox* list = Combo(IDC_LAUNCH_SINGLE_GRAPH_LIST);
    if (!list) return;
    list->ResetContent();
    m_singleGraphChannels.clear();
    for (int k = 0; k < kSensors; ++k)
        if (Switch(k)) {
            list->AddString(SensorName(k));
            m_singleGraphChannels.push_back(m_qk ? kQkChannels[k] : kBasicChannels[k]);
        }
    const int n = static_cast<int>(m_singleGraphChannels.size());
    if (n == 0) return;
    if (m_singleGraphChannel < 0 && m_singleGraphSelection >= 0 && m_singleGraphSelection < n)
        m_singleGraphChannel = m_singleGraphChannels[static_cast<size_t>(m_singleGraphSelection)];
    const auto found =
        std::find(m_singleGraphChannels.begin(), m_singleGraphChannels.end(), m_singleGraphChannel);
    const int at = found == m_singleGraphChannels.end()
                       ? 0
                       : static_cast<int>(found - m_singleGraphChannels.begin());
    list->SetCurSel(at);
    m_singleGraphSelection = static_cast<short>(at);
    m_singleGraphChannel = m_singleGraphChannels[static_cast<size_t>(at)];
}

// ---- modes

void CLaunchSettingsDialog::OnMeterMode() {
    m_mode = kMeterMode;
    m_meterSensor = 16;
    for (int k = 0; k < kSensors; ++k)
        SetSwitch(k, k == 0);
    UpdateTimeControls();
    ApplyMode();
}

void CLaunchSettingsDialog::OnGraphMode() {
    m_mode = kGraphMode;
    for (int k = 0; k < kSensors; ++k) {
        m_channels[k] = DefaultChannel(k);
        SetSwitch(k, k == 0);
    }
    m_channels[0].selected = 1;
    m_sensorCount = 1;
    RebuildSensorList();
    m_propertiesChanged = 0;
    UpdateTimeControls();
    ApplyMode();
    if (m_singleGraphMode) RebuildSingleGraphList();
}

void CLaunchSettingsDialog::OnTimingMode() {
    m_mode = kTimingMode;
    m_singleGraphMode = 0;
    CheckDlgButton(IDC_LAUNCH_SINGLE_GRAPH, BST_UNCHECKED);
    ApplyMode();
}

// ---- sensors

void CLaunchSettingsDialog::OnSwitchClick(int sensor) {
    const bool on = Switch(sensor);
    if (m_mode == kMeterMode) {
        // One of seven: a click on the chosen one keeps it chosen.
        for (int k = 0; k < kSensors; ++k)
            SetSwitch(k, k == sensor);
        m_meterSensor = kSensorBits[sensor];
        EnableItem(IDC_LAUNCH_EXTERNAL1, sensor == kExternal1);
        EnableItem(IDC_LAUNCH_EXTERNAL2, sensor == kExternal2);
        return;
    }
    if (m_mode != kGraphMode) return;
    if (on) {
        ++m_sensorCount;
        m_channels[sensor].selected = 1;
    } else {
        // The last selected sensor stays on.
        if (m_sensorCount <= 1) {
            SetSwitch(sensor, true);
            return;
        }
        --m_sensorCount;
        m_channels[sensor] = DefaultChannel(sensor);
    }
    EnableItem(IDC_LAUNCH_PROPERTIES_FIRST + sensor, on);
    if (sensor == kExternal1) EnableItem(IDC_LAUNCH_EXTERNAL1, on);
    if (sensor == kExternal2) EnableItem(IDC_LAUNCH_EXTERNAL2, on);
    RebuildSensorList();
    UpdateTimeControls();
    if (m_singleGraphMode) RebuildSingleGraphList();
}

void CLaunchSettingsDialog::OnPropertiesButton(UINT id) {
    const int k = static_cast<int>(id) - static_cast<int>(IDC_LAUNCH_PROPERTIES_FIRST);
    if (k < 0 || k >= kSensors) return;
    const bool external = k >= kExternal1;
    const WORD type =
        !external ? kSensorCodes[k] : (k == kExternal1 ? m_externalType1 : m_externalType2);
    const LaunchChannelStruct before = m_channels[k];
    CSensorPropertiesDialog dialog(this);
    dialog.SetChannelRecord(&m_channels[k]);
    dialog.SetSensor(external ? TRUE : FALSE, type);
    dialog.SetLaunchContext(m_doc);
    if (dialog.DoModal() == IDOK && !(m_channels[k] == before)) m_propertiesChanged = 1;
}

void CLaunchSettingsDialog::OnExternal1Change() {
    if (CComboBox* c = Combo(IDC_LAUNCH_EXTERNAL1); c && c->GetCurSel() >= 0)
        m_externalType1 = static_cast<BYTE>(c->GetItemData(c->GetCurSel()));
    UpdateExternalTips();
}

void CLaunchSettingsDialog::OnExternal2Change() {
    if (CComboBox* c = Combo(IDC_LAUNCH_EXTERNAL2); c && c->GetCurSel() >= 0)
        m_externalType2 = static_cast<BYTE>(c->GetItemData(c->GetCurSel()));
    UpdateExternalTips();
}

// ---- rate and recording time

void CLaunchSettingsDialog::OnRateChange() {
    CComboBox* rates = Combo(IDC_LAUNCH_RATE);
    if (!rates || rates->GetCurSel() < 0) return;
    const int sel = rates->GetCurSel();
    m_rateCode = m_qk ? WORD(setup_tables::RateIndexToCode(true, sel)) : WORD(1u << sel);
    FillRecordingTimes(m_rateCode);
    if (!m_runLengths.empty()) m_runLength = m_runLengths.front();
    if (CComboBox* times = Combo(IDC_LAUNCH_TIME)) times->SetCurSel(0);
}

void CLaunchSettingsDialog::OnRecordingTimeChange() {
    CComboBox* times = Combo(IDC_LAUNCH_TIME);
    if (!times) return;
    const int sel = times->GetCurSel();
    if (sel >= 0 && sel < static_cast<int>(m_runLengths.size()))
        m_runLength = m_runLengths[static_cast<size_t>(sel)];
}

// ---- graph options

void CLaunchSettingsDialog::OnBarGraph() {
    m_barGraph = IsDlgButtonChecked(IDC_LAUNCH_BAR_GRAPH) == BST_CHECKED ? 1 : 0;
    UpdateTimeControls();
}

void CLaunchSettingsDialog::OnScrollRun() {
    m_scrollRun = IsDlgButtonChecked(IDC_LAUNCH_SCROLL_RUN) == BST_CHECKED ? 1 : 0;
}

void CLaunchSettingsDialog::OnXAxisSettings() {
    RebuildSensorList();
    CXAxisSetupDisplayProperties dialog(this);
    dialog.SetSensors(m_sensorBits, m_sensorCount, m_rateCode,
                      &m_channels[CLaunchHeader::kXAxisRecord]);
    std::vector<CXAxisSetupDisplayProperties::Channel> channels;
    for (int i = 0; i < m_sensorCount; ++i) {
        const int k = SensorOfBit(m_sensorBits[i]);
        if (k < 0) break;
        CXAxisSetupDisplayProperties::Channel c{SensorName(k)};
        // An external input's range is its sensor type's.
        if (k >= kExternal1 && !m_qk && m_sensorTable) {
            const SensorInfoStruct& type =
                m_sensorTable[k == kExternal1 ? m_externalType1 : m_externalType2];
            c.minimum = type.minimum;
            c.maximum = type.maximum;
        }
        channels.push_back(c);
    }
    dialog.SetChannels(std::move(channels));
    dialog.DoModal();
}

void CLaunchSettingsDialog::OnSingleGraphMode() {
    if (IsDlgButtonChecked(IDC_LAUNCH_SINGLE_GRAPH) == BST_CHECKED) {
        m_singleGraphMode = 1;
        EnableItem(IDC_LAUNCH_SINGLE_GRAPH_LIST, true);
        RebuildSingleGraphList();
    } else {
        m_singleGraphMode = 0;
        EnableItem(IDC_LAUNCH_SINGLE_GRAPH_LIST, false);
    }
}

void CLaunchSettingsDialog::OnSingleGraphChoice() {
    CComboBox* list = Combo(IDC_LAUNCH_SINGLE_GRAPH_LIST);
    if (!list) return;
    const int sel = list->GetCurSel();
    if (sel < 0 || sel >= static_cast<int>(m_singleGraphChannels.size())) return;
    m_singleGraphSelection = static_cast<short>(sel);
    m_singleGraphChannel = m_singleGraphChannels[static_cast<size_t>(sel)];
}

void CLaunchSettingsDialog::OnRecordingModeChange() {
    if (CComboBox* modes = Combo(IDC_LAUNCH_RECORDING_MODE); modes && modes->GetCurSel() >= 0)
        m_recordingMode = static_cast<WORD>(modes->GetCurSel());
}

// ---- meters and timing

void CLaunchSettingsDialog::OnMeterTypeChange() {
    if (CComboBox* types = Combo(IDC_LAUNCH_METER_TYPE); types && types->GetCurSel() >= 0)
        m_meterType = static_cast<WORD>(types->GetCurSel());
}

void CLaunchSettingsDialog::OnAdvanced() {
    CMeterSettingDialog dialog(this);
    for (int i = 0; i < CMeterSettingDialog::kMeters; ++i) {
        dialog.m_meterType[i] = m_meterTypes[i];
        dialog.m_sensorMask[i] = m_meterSensors[i];
    }
    if (dialog.DoModal() != IDOK) return;
    for (int i = 0; i < CMeterSettingDialog::kMeters; ++i) {
        m_meterTypes[i] = static_cast<BYTE>(dialog.m_meterType[i]);
        m_meterSensors[i] = dialog.m_sensorMask[i];
    }
}

void CLaunchSettingsDialog::OnLayoutToggle() {
    m_fourMeterLayout = m_fourMeterLayout ? 0 : 1;
    CheckDlgButton(IDC_LAUNCH_LAYOUT, m_fourMeterLayout ? BST_CHECKED : BST_UNCHECKED);
    ShowItem(IDC_LAUNCH_ADVANCED, m_mode == kMeterMode && m_fourMeterLayout);
}

void CLaunchSettingsDialog::OnTimingWizard() {
    // The launch file keeps the choice; the settings are not the wizard's to change here.
    CTimingWizard wizard("Timing Wizard", m_doc, this, 0);
    wizard.m_writeBack = 0;
    wizard.m_typePage.m_measurement = m_timingMeasurement;
    wizard.m_parametersPage.m_method = m_timingMethod;
    wizard.m_parametersPage.m_distance1 = m_distance1;
    wizard.m_parametersPage.m_distance2 = m_distance2;
    if (wizard.DoModal() != ID_WIZFINISH) return;
    m_timingMeasurement = static_cast<BYTE>(wizard.m_typePage.m_measurement);
    m_timingMethod = wizard.m_parametersPage.m_method;
    m_distance1 = wizard.m_parametersPage.m_distance1;
    m_distance2 = wizard.m_parametersPage.m_distance2;
}

// ---- the file

bool CLaunchSettingsDialog::WriteLaunchFile() {
    if (m_mode == kMeterMode) {
        const CLaunchHeader h(m_meterSensor, m_meterType, m_externalType1, m_externalType2, m_qk,
                              m_fourMeterLayout, m_meterTypes, m_meterSensors);
        return h.SaveToFile(m_launchPath, CLaunchHeader::kSnapshot);
    }
    if (m_mode == kTimingMode) {
        const CLaunchHeader h(m_timingMethod, m_timingMeasurement, m_distance1, m_distance2,
                              m_barGraph, m_scrollRun);
        return h.SaveToFile(m_launchPath, CLaunchHeader::kTiming);
    }
    RebuildSensorList();
    if (SwitchesOn() != m_sensorCount) return false;
    LaunchChannelStruct& x = m_channels[CLaunchHeader::kXAxisRecord];
    x.index = -1;
    for (int i = 0; i < m_sensorCount; ++i)
        if (x.sensorBit != 0 && m_sensorBits[i] == x.sensorBit) x.index = static_cast<short>(i);
    const CLaunchHeader h(m_channels, m_rateCode, m_runLength, m_sensorCount, m_sensorBits,
                          m_externalType1, m_externalType2, m_barGraph, m_scrollRun,
                          m_recordingMode, m_qk, m_singleGraphMode, m_singleGraphSelection,
                          m_propertiesChanged);
    return h.SaveToFile(m_launchPath, CLaunchHeader::kGraph);
}

void CLaunchSettingsDialog::OnOK() {
    // Without a worksheet there is no file to write.
    if (!m_launchPath.IsEmpty() && !WriteLaunchFile()) {
        AfxMessageBox(kErrorCreatingText, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    EndDialog(IDOK);
}
