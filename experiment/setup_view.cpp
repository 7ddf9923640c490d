#include "experiment/setup_view.h"

#include <QWidget>
#include <algorithm>

#include "RES/dialogs/setup_view.h"
#include "app/varnel_doc.h"
#include "displays/meter/meter_view.h"
#include "experiment/external_sensor_selection_dialog.h"
#include "logger/dorvik.h"
#include "logger/helpers.h"
#include "logger/settings.h"
#include "models/setup_tables.h"
#include "platform/base/log.h"

namespace st = setup_tables;

IMPLEMENT_DYNCREATE(CSetupView, CFormView)

const BYTE CSetupView::kCodes[kSensors] = {0, 1, 2, 4, 5, 6, 7};
const BYTE CSetupView::kBasicBits[kSensors] = {1, 2, 4, 16, 32, 64, 128};
const BYTE CSetupView::kQkChannels[kSensors] = {5, 6, 2, 0, 3, 4, 1};
const UINT CSetupView::kSwitchIds[kSensors] = {
    IDC_SWITCH_EXTERNAL1, IDC_SWITCH_EXTERNAL2, IDC_SWITCH_LIGHT, IDC_SWITCH_TEMPERATURE,
    IDC_SWITCH_HUMIDITY,  IDC_SWITCH_PRESSURE,  IDC_SWITCH_SOUND};
const UINT CSetupView::kPictureIds[kSensors] = {
    IDC_PICTURE_EXTERNAL1, IDC_PICTURE_EXTERNAL2, IDC_PICTURE_LIGHT, IDC_PICTURE_TEMPERATURE,
    IDC_PICTURE_HUMIDITY,  IDC_PICTURE_PRESSURE,  IDC_PICTURE_SOUND};
const BYTE CSetupView::kColorIndexes[kSensors] = {5, 6, 1, 0, 2, 3, 4};

namespace {
constexpr const char* kFixedTips[CSetupView::kSensors] = {
    "External 1", "External 2", "Light", "Temperature", "Humidity", "Pressure", "Sound"};
}

CSetupView::CSetupView() : CFormView(SetupViewTemplate()) {}

BOOL CSetupView::Create(CWnd* parent, const RECT& rect, UINT id) {
    return CWnd::Create(nullptr, "", WS_CHILD | WS_VISIBLE, rect, parent, id);
}

int CSetupView::OnCreate(LPCREATESTRUCT cs) {
    if (CFormView::OnCreate(cs) == -1) return -1;
    if (!m_rateLabel.SubclassDlgItem(IDC_SETUP_RATE_LABEL, this) ||
        !m_timeLabel.SubclassDlgItem(IDC_SETUP_TIME_LABEL, this) ||
        !m_rateCombo.SubclassDlgItem(IDC_SETUP_RATE, this) ||
        !m_timeCombo.SubclassDlgItem(IDC_SETUP_TIME, this))
        return -1;
    for (int k = 0; k < kSensors; ++k)
        if (!m_switches[k].SubclassDlgItem(kSwitchIds[k], this) ||
            !m_pictures[k].SubclassDlgItem(kPictureIds[k], this))
            return -1;
    auto& sinks = GetEventSinks();
    for (int k = 0; k < kSensors; ++k) {
        sinks.On(kSwitchIds[k], DISPID_CLICK, [this, k] { OnSwitchClick(k); });
        sinks.On(kSwitchIds[k], DISPID_DBLCLICK, [this, k] { OnSwitchDblClick(k); });
    }
    sinks.On(IDC_PICTURE_EXTERNAL1, DISPID_DBLCLICK, [this] { OnPictureDblClick(0); });
    sinks.On(IDC_PICTURE_EXTERNAL2, DISPID_DBLCLICK, [this] { OnPictureDblClick(1); });
    return 0;
}

BOOL CSetupView::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (HIWORD(wParam) == CBN_SELCHANGE) {
        if (LOWORD(wParam) == IDC_SETUP_RATE) {
            OnRateChange();
            return TRUE;
        }
        if (LOWORD(wParam) == IDC_SETUP_TIME) {
            OnRecordingTimeChange();
            return TRUE;
        }
    }
    return CFormView::OnCommand(wParam, lParam);
}

void CSetupView::OnInitialUpdate() {
    CFormView::OnInitialUpdate();
    OnUpdate(nullptr, 0, nullptr);
}

void CSetupView::OnUpdate(CView*, LPARAM, CObject*) {
    if (m_ready) return;
    m_doc = dynamic_cast<CVarnelDoc*>(GetDocument());
    m_rateLabel.SetWindowText("Rate :");
    m_timeLabel.SetWindowText("Recording time :");
    m_ready = 1;
    EnableControls(FALSE);
    m_lastQK = false;
    FillRateList();
    FillRecordingTimes(0);
    m_tablesBuilt = true;
    m_toolTip.Create(this);
    for (int k = 0; k < kSensors; ++k) {
        CString tip = kFixedTips[k];
        if (k <= kExternal2 && !IsQK() && m_doc) {
            const CSettings* s = m_doc->GetSettings();
            CVarnelDoc::GetExternalSensorName(tip,
                                              k == 0 ? s->m_externalSensor1 : s->m_externalSensor2);
        }
        m_toolTip.AddTool(&m_pictures[k], tip);
        m_toolTips[k] = tip;
    }
    if (CDorvik* logger = Logger()) {
        m_sensorMask = logger->GetMask();
        m_rateCode = logger->GetRegimeRateCode();
        m_runLength = logger->GetRunLength();
    }
    ApplySensorColors();
    // Counted are the applications after a change of the colours.
    m_sensorColorsApplied = 0;
    CRect client;
    GetClientRect(&client);
    LayOut(client.Width(), client.Height());
}

CDorvik* CSetupView::Logger() const {
    return m_doc ? m_doc->GetLogger() : nullptr;
}

bool CSetupView::IsQK() const {
    const CDorvik* logger = Logger();
    return logger && logger->IsQKModel();
}

bool CSetupView::MetersShown() const {
    return m_doc && m_doc->GetSettings() && m_doc->GetSettings()->m_meterMode != 0;
}

int CSetupView::SelectedMeter() const {
    CMeterView* meters = m_doc ? m_doc->GetMeterView() : nullptr;
    const int selected = meters ? meters->GetSelectedPanel() : -1;
    return selected >= 0 && selected < 4 ? selected : -1;
}

// The meters read the document's codes; without a document the view keeps its own.
int CSetupView::MeterCode(int meter) const {
    return m_doc ? m_doc->m_meterChannels[meter] : m_meterSensorCodes[meter];
}

void CSetupView::SetMeterCode(int meter, int code) {
    if (m_doc) m_doc->m_meterChannels[meter] = code;
    m_meterSensorCodes[meter] = static_cast<BYTE>(code);
}

int CSetupView::SensorOfCode(int code) {
    for (int k = 0; k < kSensors; ++k)
        if (kCodes[k] == code) return k;
    return kLight;
}

int CSetupView::SensorOfBit(int bit) {
    for (int k = 0; k < kSensors; ++k)
        if (kBasicBits[k] == bit) return k;
    return -1;
}

void CSetupView::SetToolTip(int sensor, const CString& text) {
    m_toolTips[sensor] = text;
    m_toolTip.UpdateTipText(text, &m_pictures[sensor]);
}

// ---- lists

void CSetupView::FillRateList() {
    m_rateCombo.ResetContent();
    const bool qk = IsQK();
    for (int i = 0; i < st::RateCount(qk); ++i)
        m_rateCombo.AddString(st::RateLabel(qk, i));
}

void CSetupView::FillRecordingTimes(WORD rateCode, DWORD runLength) {
    m_timeCombo.ResetContent();
    m_runLengths.clear();
    m_runLengthsRate = rateCode;
    const bool qk = IsQK();
    const int rateIndex = st::RateCodeToIndex(qk, rateCode);
    st::Range range;
    if (qk) {
        range = st::RecordingTimeRange(true, rateIndex, 0, {0, 16});
    } else {
        const CDorvik* logger = Logger();
        range = st::RecordingTimeRange(false, rateIndex,
                                       logger ? logger->GetRegimeChannelCount() : 0, {0, 8});
    }
    const st::RecordingTimeList list = st::RecordingTimes(qk, range, rateIndex, runLength);
    for (size_t i = 0; i < list.labels.size(); ++i) {
        m_timeCombo.AddString(list.labels[i]);
        m_runLengths.push_back(static_cast<DWORD>(list.lengths[i]));
    }
    m_ownTimeEntry = list.own;
    m_timeCombo.SetCurSel(list.selected);
    m_savedTimeIndex = static_cast<short>(list.selected);
}

// ---- showing the logger's state

void CSetupView::ShowExternalSlots() {
    if (!m_doc) return;
    const CSettings* s = m_doc->GetSettings();
    for (int input = 0; input < 2; ++input) {
        const SensorInfoStruct& slot = s->m_sensorSlots[input];
        SetToolTip(input, slot.name);
        const bool off = slot.absent || slot.photogate || slot.gateInput;
        m_switches[input].EnableWindow(!off);
        m_pictures[input].EnableWindow(!off);
    }
}

void CSetupView::UpdateControls() {
    CDorvik* logger = Logger();
    if (!logger) return;
    const bool qk = logger->IsQKModel();
    if (qk != m_lastQK || !m_tablesBuilt) {
        m_lastQK = qk;
        m_tablesBuilt = true;
        FillRateList();
        FillRecordingTimes(0);
    }
    EnableControls(TRUE);
    const std::pair<int, bool> present[] = {{kHumidity, logger->HasChannel3()},
                                            {kPressure, logger->HasChannel4()}};
    for (const auto& [k, on] : present) {
        if (!on) m_switches[k].SetValue(false);
        m_switches[k].EnableWindow(on);
        m_pictures[k].EnableWindow(on);
    }
    if (m_meterEntry) {
        if (m_doc) m_doc->StartLiveTimer();
        m_meterEntry = 0;
        if (qk) ShowExternalSlots();
        return;
    }
    for (auto& s : m_switches)
        s.SetValue(false);
    m_selectedCount = 0;
    // A sensor the logger lacks stays off, whatever its channel flag says.
    auto lacking = [&](int k) {
        return (k == kHumidity && !logger->HasChannel3()) ||
               (k == kPressure && !logger->HasChannel4());
    };
    if (!qk || MetersShown()) {
        m_selectedCount = logger->GetRegimeChannelCount();
        const BYTE* codes = logger->GetChannelList();
        for (int i = 0; i < m_selectedCount && i < 8; ++i)
            if (codes[i] != 3 && codes[i] <= 7 && !lacking(SensorOfCode(codes[i])))
                m_switches[SensorOfCode(codes[i])].SetValue(true);
    } else {
        for (int ch = 0; ch < CDorvik::kChannels; ++ch)
            for (int k = 0; k < kSensors; ++k)
                if (kQkChannels[k] == ch && logger->GetLiveChannel(ch).enabled && !lacking(k)) {
                    m_switches[k].SetValue(true);
                    ++m_selectedCount;
                }
    }
    const WORD rate = logger->GetRegimeRateCode();
    FillRateList();
    // The logger's own length shows, as an entry of its own when no standard one holds it.
    FillRecordingTimes(rate, logger->GetRunLength());
    const int rateIndex = st::RateCodeToIndex(qk, rate);
    if (rateIndex < m_rateCombo.GetCount()) {
        m_rateCombo.SetCurSel(rateIndex);
        m_savedRateIndex = static_cast<short>(rateIndex);
    }
    if (!qk) return;
    ShowExternalSlots();
    if (!m_meterMode) return;
    // Meter mode on the QK: the externals take the meters when they are plugged in.
    const bool slot0 = m_switches[kExternal1].IsWindowEnabled();
    const bool slot1 = m_switches[kExternal2].IsWindowEnabled();
    ClickSwitchOn(slot0 ? kExternal1 : kTemperature);
    if (slot1)
        ClickSwitchOn(kExternal2);
    else if (!slot0)
        ClickSwitchOn(kTemperature);
}

void CSetupView::EnableControls(BOOL on) {
    const bool combos = on && !MetersShown();
    m_rateCombo.EnableWindow(combos);
    m_timeCombo.EnableWindow(combos);
    for (int k : {kLight, kTemperature, kSound, kExternal1, kExternal2}) {
        m_switches[k].EnableWindow(on);
        m_pictures[k].EnableWindow(on);
    }
    if (!on)
        for (int k : {kHumidity, kPressure}) {
            m_switches[k].EnableWindow(FALSE);
            m_pictures[k].EnableWindow(FALSE);
        }
    if (on) m_controlsEnabled = 1;
}

// ---- the switches

void CSetupView::ClickSwitchOn(int sensor) {
    m_switches[sensor].SetValue(true);
    OnSwitchClick(sensor);
}

void CSetupView::OnSwitchClick(int sensor) {
    CCWButton& sw = m_switches[sensor];
    const bool on = sw.GetValue();
    // The last selected sensor stays on.
    if (m_selectedCount == 1 && !on) {
        sw.SetValue(true);
        return;
    }
    if (m_selectedCount == 0 && !on && m_meterMode) {
        sw.SetValue(true);
        return;
    }
    ApplySensorSelection(kBasicBits[sensor], on);
    // The basic logger's report shows the new state.
    if (!IsQK() && !m_meterMode) sw.SetValue(!on);
}

void CSetupView::OnSwitchDblClick(int sensor) {
    m_switches[sensor].SetValue(!m_switches[sensor].GetValue());
}

void CSetupView::OnPictureDblClick(int input) {
    if (IsQK() || !m_doc) return;
    SelectExternalSensor(input);
    const CSettings* s = m_doc->GetSettings();
    CString name;
    CVarnelDoc::GetExternalSensorName(name,
                                      input == 0 ? s->m_externalSensor1 : s->m_externalSensor2);
    SetToolTip(input, name);
}

void CSetupView::ApplySensorSelection(BYTE bit, BOOL on) {
    CDorvik* logger = Logger();
    if (!logger) return;
    if (m_meterMode && on) {
        const int selected = SelectedMeter();
        m_switches[SensorOfCode(MeterCode(selected < 0 ? 0 : selected))].SetValue(false);
        int k = SensorOfBit(bit);
        if (k < 0 || k == kLight) k = kLight;
        m_switches[k].SetValue(true);
        const int code = kCodes[k];
        CMeterView* meters = m_doc ? m_doc->GetMeterView() : nullptr;
        for (int m = 0; m < 4; ++m) {
            if (selected >= 0 && m != selected) continue;
            SetMeterCode(m, code);
            if (meters) meters->SetMeterSensor(m, code);
        }
        return;
    }
    const bool qk = logger->IsQKModel();
    BYTE mask = 0;
    if (qk) {
        short count = 0;
        for (int k = 0; k < kSensors; ++k) {
            const bool value = m_switches[k].GetValue();
            logger->SetLiveChannelEnabled(kQkChannels[k], value);
            if (value) {
                mask = static_cast<BYTE>(mask | (1u << kQkChannels[k]));
                ++count;
            }
        }
        if (m_selectedCount == 0) {
            m_rateCombo.EnableWindow(TRUE);
            m_timeCombo.EnableWindow(TRUE);
        }
        m_selectedCount = count;
    } else {
        for (int k = 0; k < kSensors; ++k)
            if (m_switches[k].GetValue()) mask = static_cast<BYTE>(mask | kBasicBits[k]);
    }
    WORD rate = logger->GetRegimeRateCode();
    if (rate == 255 && m_selectedCount == 1) rate = 128;
    DWORD length = logger->GetRunLength();
    if (on) {
        const int rateIndex = st::RateCodeToIndex(qk, m_rateCode);
        const st::Range range =
            qk ? st::RecordingTimeRange(true, rateIndex, 0, {0, 16})
               : st::RecordingTimeRange(false, rateIndex, m_selectedCount + 1, {0, 8});
        const int sel = m_timeCombo.GetCurSel();
        const DWORD longest = st::RunLengthFor(qk, range.last, rateIndex);
        if (sel >= 0 && sel < static_cast<int>(m_runLengths.size()) && m_runLengths[sel] > longest)
            length = longest;
    }
    m_sensorMask = mask;
    m_rateCode = rate;
    m_runLength = length;
    logger->SetMask(mask);
    if (!qk && m_doc) m_doc->IssueLoggerCommand(CVarnelDoc::kCommandLiveReadings);
}

void CSetupView::SelectSensorByBit(BYTE bit) {
    int k = SensorOfBit(bit);
    if (k < 0 || k == kTemperature) k = kTemperature;
    ClickSwitchOn(k);
}

// ---- rate and recording time

void CSetupView::OnRateChange() {
    const int sel = m_rateCombo.GetCurSel();
    if (sel < 0) return;
    WORD code;
    if (IsQK()) {
        code = static_cast<WORD>(st::RateIndexToCode(true, sel));
    } else {
        code = static_cast<WORD>(1u << sel);
        m_rateCombo.SetCurSel(m_savedRateIndex);
    }
    SetRate(code);
}

void CSetupView::OnRecordingTimeChange() {
    const int sel = m_timeCombo.GetCurSel();
    if (sel < 0 || sel >= static_cast<int>(m_runLengths.size())) return;
    // The entry's sample count holds at the rate the list was filled for: the logger's when it
    // showed the logger, not what the view held before the logger answered.
    if (!m_meterMode) m_rateCode = m_runLengthsRate;
    SetRunLength(m_runLengths[sel]);
}

void CSetupView::SetRate(WORD code) {
    if (m_meterMode) return;
    CDorvik* logger = Logger();
    if (!logger) return;
    m_sensorMask = logger->GetMask();
    m_rateCode = code;
    FillRecordingTimes(code);
    if (logger->IsQKModel()) logger->SetRegimeRateCode(code);
    if (!m_runLengths.empty()) SetRunLength(m_runLengths.front());
}

void CSetupView::SetRunLength(DWORD n) {
    if (m_meterMode) return;
    CDorvik* logger = Logger();
    if (!logger) return;
    m_sensorMask = logger->GetMask();
    m_runLength = n;
    if (logger->IsQKModel()) {
        const auto at = std::find(m_runLengths.begin(), m_runLengths.end(), n);
        // A length the list lacks gets its own entry; a standard one chosen retires it.
        if (at == m_runLengths.end() ||
            (m_ownTimeEntry >= 0 && at != m_runLengths.begin() + m_ownTimeEntry))
            FillRecordingTimes(m_runLengthsRate, n);
        else
            m_timeCombo.SetCurSel(static_cast<int>(at - m_runLengths.begin()));
        logger->SetRunLength(n);
    } else if (m_doc) {
        m_doc->IssueLoggerCommand(CVarnelDoc::kCommandLiveReadings);
    }
}

// ---- meter mode

void CSetupView::SetMeterMode(BOOL on) {
    CDorvik* logger = Logger();
    if (on) {
        m_rateCombo.EnableWindow(FALSE);
        m_timeCombo.EnableWindow(FALSE);
        for (auto& s : m_switches)
            s.SetValue(false);
        m_meterEntry = 1;
        m_meterMode = 1;
        m_selectedCount = 0;
        m_switches[kTemperature].SetValue(true);
        CMeterView* meters = m_doc ? m_doc->GetMeterView() : nullptr;
        for (int m = 0; m < 4; ++m) {
            SetMeterCode(m, 4);
            if (meters) meters->SetMeterSensor(m, 4);
        }
        if (logger && !logger->IsQKModel() && logger->GetRegimeRateCode() != 64) {
            if (!m_setupBeforeMeters)
                m_setupBeforeMeters = BasicSetup{logger->GetMask(), logger->GetRegimeRateCode(),
                                                 logger->GetRunLength()};
            m_sensorMask = 16;
            m_rateCode = 64;
            m_runLength = 600;
            if (m_doc) m_doc->IssueLoggerCommand(CVarnelDoc::kCommandLiveReadings);
        } else {
            UpdateControls();
        }
        m_rateCombo.EnableWindow(FALSE);
        m_timeCombo.EnableWindow(FALSE);
        return;
    }
    m_rateCombo.EnableWindow(TRUE);
    m_timeCombo.EnableWindow(TRUE);
    if (m_doc) m_doc->StopLiveTimer();
    if (logger) {
        if (logger->IsQKModel()) {
            logger->QueueReadLiveSensorInfo();
            logger->StartCommandTimer(50);
        } else if (m_setupBeforeMeters && m_doc) {
            // The logger's echo of the set-up shows it on the switches and lists.
            m_sensorMask = m_setupBeforeMeters->mask;
            m_rateCode = m_setupBeforeMeters->rateCode;
            m_runLength = m_setupBeforeMeters->runLength;
            m_doc->IssueLoggerCommand(CVarnelDoc::kCommandLiveReadings);
        } else {
            logger->QueueStatusQuery();
            logger->StartCommandTimer(100);
        }
    }
    m_setupBeforeMeters.reset();
    m_meterMode = 0;
    EnableControls(FALSE);
}

void CSetupView::ShowMeterSensor(int meter) {
    m_shownMeterSensor = meter;
    for (auto& s : m_switches)
        s.SetValue(false);
    const int code = meter >= 0 && meter < 4 ? MeterCode(meter) : 2;
    m_switches[SensorOfCode(code)].SetValue(true);
}

void CSetupView::ShowMeterSensors(BOOL single) {
    m_meterSensorsSingle = single ? 1 : 0;
    if (!single) m_shownMeterSensor = -1;
    if (single) {
        const CDorvik* logger = Logger();
        for (int k = 0; k < kSensors; ++k) {
            bool enabled = true;
            if (k == kHumidity) enabled = logger && logger->HasChannel3();
            if (k == kPressure) enabled = logger && logger->HasChannel4();
            if (k <= kExternal2 && IsQK() && m_doc) {
                const SensorInfoStruct& slot = m_doc->GetSettings()->m_sensorSlots[k];
                enabled = !(slot.absent || slot.photogate || slot.gateInput);
            }
            m_switches[k].EnableWindow(enabled);
            m_switches[k].SetValue(false);
        }
        m_switches[SensorOfCode(MeterCode(0))].SetValue(true);
        return;
    }
    for (int m = 0; m < 4; ++m)
        m_switches[SensorOfCode(MeterCode(m))].SetValue(true);
    for (auto& s : m_switches)
        s.EnableWindow(FALSE);
}

// ---- external sensors and colours

void CSetupView::SelectExternalSensor(int input) {
    if (!m_doc || input < 0 || input > 1) return;
    CSettings* s = m_doc->GetSettings();
    BYTE& chosen = input == 0 ? s->m_externalSensor1 : s->m_externalSensor2;
    CExternalSensorSelectionDialog dialog(this);
    dialog.SetSensorTable(s->m_sensorTypes, chosen);
    if (dialog.DoModal() == IDOK && dialog.GetSelection() < CSettings::kSensorTypes) {
        chosen = dialog.GetSelection();
        s->SetExternalSensor(input, chosen);
    }
    if (!s->Save()) qCWarning(lcExperiment, "the settings could not be saved");
    CMeterView* meters = m_doc->GetMeterView();
    if (!meters) return;
    // With no meter selected, every meter on that input is refreshed.
    const int selected = SelectedMeter();
    for (int m = 0; m < 4; ++m)
        if ((selected < 0 || m == selected) && MeterCode(m) == input)
            meters->SetMeterSensor(m, input);
}

void CSetupView::ApplySensorColors() {
    ++m_sensorColorsApplied;
    if (!m_doc) return;
    const CSettings* s = m_doc->GetSettings();
    for (int k = 0; k < kSensors; ++k)
        m_switches[k].SetOnColor(s->m_plotColors[kColorIndexes[k]]);
}

// ---- layout

void CSetupView::OnSize(UINT type, int cx, int cy) {
    CFormView::OnSize(type, cx, cy);
    if (m_ready) LayOut(cx, cy);
}

void CSetupView::LayOut(int w, int h) {
    // Laid out for the pane it has, however small: nothing falls outside it. The pixels are the
    // dialog font's: a larger font leaves its texts the room they need.
    const auto x = platform::FontPixelsX, y = platform::FontPixelsY;
    m_rateLabel.MoveWindow(x(7), y(9), x(78), y(13));
    m_timeLabel.MoveWindow(x(7), y(37), x(78), y(13));
    // A drop list keeps the height of its selection field, as its font gives it.
    const QWidget* field = m_rateCombo.GetWidget();
    const int box = field ? std::max(y(13), field->sizeHint().height()) : y(13);
    // In a narrow pane the combos give up width rather than cover the labels.
    const int comboLeft = std::max(w - x(130), x(90));
    const int comboWidth = std::max(w - x(10) - comboLeft, 0);
    m_rateCombo.MoveWindow(comboLeft, y(9), comboWidth, box);
    m_timeCombo.MoveWindow(comboLeft, y(37), comboWidth, box);
    const int row = std::max(h - y(60), 0) / 4;
    // The pictures are square: as tall as a row allows, never wider than their column.
    const int side = std::clamp(row - 2, 0, 33);
    const int left[4] = {kTemperature, kLight, kHumidity, kPressure};
    const int right[3] = {kSound, kExternal1, kExternal2};
    // The switches keep the height they were drawn for, less only where a row is lower, beside
    // the middle of their picture.
    const int switchHeight = std::clamp(row - 4, 0, platform::DluToPixelY(12));
    for (int r = 0; r < 4; ++r) {
        const int top = y(60) + r * row;
        const int pictureTop = top + (row - side) / 2;
        const int switchTop = top + (row - switchHeight) / 2;
        m_pictures[left[r]].MoveWindow(10, pictureTop, side, side);
        m_switches[left[r]].MoveWindow(57, switchTop, 23, switchHeight);
        if (r < 3) {
            m_pictures[right[r]].MoveWindow(w - 10 - side, pictureTop, side, side);
            m_switches[right[r]].MoveWindow(w - 80, switchTop, 23, switchHeight);
        }
    }
}
