#include "displays/meter/meter_view.h"

#include <QPalette>
#include <QWidget>
#include <cmath>

#include "RES/dialogs/meter_view.h"
#include "app/varnel_doc.h"
#include "experiment/setup_view.h"
#include "logger/settings.h"
#include "models/sensor_units.h"
#include "platform/gdi/gdi.h"
#include "platform/ui/styles.h"

namespace {

constexpr COLORREF kBlue = 0xFF0000;
constexpr UINT kPanelIds[CMeterView::kMeters] = {IDC_METER_PANEL_1, IDC_METER_PANEL_2,
                                                 IDC_METER_PANEL_3, IDC_METER_PANEL_4};
constexpr DISPID kValue = 257, kAxis = 258, kAxisRange = 14, kAxisScale = 9, kAxisUnit = 11,
                 kLampText = 3;

}  // namespace

BEGIN_MESSAGE_MAP(CMeterView, CFormView)
ON_COMMAND(ID_METER_FOUR, OnFourMeters)
ON_COMMAND_RANGE(ID_METER_ANALOG, ID_METER_DIGITAL, OnMeterKind)
ON_COMMAND_RANGE(IDC_METER_LABEL_FIRST, IDC_METER_LABEL_FIRST + 3, OnSelectPanel)
ON_COMMAND_RANGE(CMeterView::IDC_DIGITS_FIRST, CMeterView::IDC_DIGITS_FIRST + 3, OnSelectPanel)
END_MESSAGE_MAP()

CMeterView::CMeterView() : CFormView(MeterViewTemplate()) {}

IMPLEMENT_DYNCREATE(CMeterView, CFormView)

CMeterView::~CMeterView() {
    if (m_doc && m_doc->m_meterView == this) m_doc->m_meterView = nullptr;
}

int CMeterView::OnCreate(LPCREATESTRUCT cs) {
    if (CFormView::OnCreate(cs) == -1) return -1;
    m_doc = dynamic_cast<CVarnelDoc*>(GetDocument());
    for (UINT i = 0; i < kMeters; ++i) {
        if (!m_knob[i].SubclassDlgItem(IDC_METER_KNOB_FIRST + i, this) ||
            !m_slide[i].SubclassDlgItem(IDC_METER_SLIDE_FIRST + i, this) ||
            !m_lamp[i].SubclassDlgItem(IDC_METER_LAMP_FIRST + i, this) ||
            !m_label[i].SubclassDlgItem(IDC_METER_LABEL_FIRST + i, this) ||
            !m_group[i].SubclassDlgItem(kPanelIds[i], this))
            return -1;
    }
    if (!m_separator1.SubclassDlgItem(IDC_METER_SEPARATOR_1, this) ||
        !m_separator2.SubclassDlgItem(IDC_METER_SEPARATOR_2, this))
        return -1;
    // Every control of the view writes its text in blue.
    if (QWidget* w = GetWidget()) {
        QPalette p = w->palette();
        const QColor blue(GetRValue(kBlue), GetGValue(kBlue), GetBValue(kBlue));
        p.setColor(QPalette::WindowText, blue);
        p.setColor(QPalette::Text, blue);
        p.setColor(QPalette::ButtonText, blue);
        w->setPalette(p);
    }
    // A mouse down on a knob, a lamp or a slide selects its meter's panel.
    for (UINT first : {IDC_METER_KNOB_FIRST, IDC_METER_LAMP_FIRST, IDC_METER_SLIDE_FIRST})
        GetEventSinks().OnRange(first, first + 3, DISPID_MOUSEDOWN,
                                [this, first](UINT id, SHORT, SHORT, LONG, LONG) {
                                    ShowPanel(static_cast<int>(id - first), FALSE);
                                });
    return 0;
}

CSettings* CMeterView::Settings() const {
    return m_doc ? m_doc->GetSettings() : nullptr;
}

CSetupView* CMeterView::SetupView() const {
    return m_doc ? m_doc->GetSetupView() : nullptr;
}

CMeterFrame* CMeterView::MeterFrame() const {
    return dynamic_cast<CMeterFrame*>(GetParentFrame());
}

int CMeterView::SensorCode(int meter) const {
    return m_doc ? m_doc->m_meterChannels[meter] : -1;
}

int CMeterView::GetDisplayMode() const {
    const CSettings* s = Settings();
    const int mode = s ? s->m_meterViewValue : kFourMeters;
    return mode >= 0 && mode <= kFourMeters ? mode : kFourMeters;
}

// ---- the first update

void CMeterView::OnUpdate(CView*, LPARAM, CObject*) {
    if (m_doc) m_doc->m_meterView = this;
    if (m_initialised) return;
    CreateDigits();
    m_initialised = 1;
    m_captionFont.CreatePointFont(103, "Arial");
    for (CStatic& label : m_label)
        label.SetFont(&m_captionFont);
    CRect client;
    GetClientRect(&client);
    if (client.Width() > 0 && client.Height() > 0) LayoutMeters();
}

void CMeterView::CreateDigits() {
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    for (int i = 0; i < kMeters; ++i) {
        CDigistring& d = m_digits[static_cast<size_t>(i)];
        if (!d.Create("", WS_CHILD | WS_VISIBLE | SS_NOTIFY, CRect(0, 0, 0, 0), this,
                      IDC_DIGITS_FIRST + static_cast<UINT>(i)))
            continue;
        d.ModifyDigiStyle(DS_STYLE14, DS_SMOOTH);
        d.SetText(CentreText(""));  // blank until a reading comes
        d.SetBackColor(face);
        d.SetColor(face, kBlue);
        d.ShowWindow(SW_HIDE);
    }
}

// ---- layout

void CMeterView::OnSize(UINT type, int cx, int cy) {
    CFormView::OnSize(type, cx, cy);
    if (m_initialised) Layout(cx, cy);
}

void CMeterView::LayoutMeters() {
    CRect client;
    GetClientRect(&client);
    Layout(client.Width(), client.Height());
}

void CMeterView::HideMeter(int meter) {
    const auto i = static_cast<size_t>(meter);
    m_knob[i].ShowWindow(SW_HIDE);
    m_slide[i].ShowWindow(SW_HIDE);
    m_lamp[i].ShowWindow(SW_HIDE);
    if (m_digits[i].GetSafeHwnd()) m_digits[i].ShowWindow(SW_HIDE);
    m_label[i].ShowWindow(SW_HIDE);
}

// Shows the control of `kind` for the meter and hides the one shown so far.
void CMeterView::ShowKind(int meter, BYTE kind) {
    const auto i = static_cast<size_t>(meter);
    switch (m_shownKind[i]) {
        case kAnalog:
            m_knob[i].ShowWindow(SW_HIDE);
            break;
        case kBar:
            m_slide[i].ShowWindow(SW_HIDE);
            break;
        case kChange:
            m_lamp[i].ShowWindow(SW_HIDE);
            break;
        case kDigital:
            if (m_digits[i].GetSafeHwnd()) m_digits[i].ShowWindow(SW_HIDE);
            m_label[i].ShowWindow(SW_HIDE);
            break;
        default:
            break;
    }
    switch (kind) {
        case kAnalog:
            m_knob[i].ShowWindow(SW_SHOW);
            break;
        case kBar:
            m_slide[i].ShowWindow(SW_SHOW);
            break;
        case kChange:
            m_lamp[i].ShowWindow(SW_SHOW);
            break;
        case kDigital:
            if (m_digits[i].GetSafeHwnd()) m_digits[i].ShowWindow(SW_SHOW);
            m_label[i].ShowWindow(SW_SHOW);
            break;
        default:
            break;
    }
    m_shownKind[i] = kind;
}

void CMeterView::Layout(int w, int h) {
    m_panel[0] = CRect(0, 0, w / 2 - 6, h / 2);
    m_panel[1] = CRect(w / 2 + 7, 0, w - 3, h / 2);
    m_panel[2] = CRect(0, h / 2 + 5, w / 2 - 6, h - 10);
    m_panel[3] = CRect(w / 2 + 7, h / 2 + 5, w - 3, h - 10);
    for (int i = 0; i < kMeters; ++i) {
        const CRect& p = m_panel[static_cast<size_t>(i)];
        m_group[static_cast<size_t>(i)].MoveWindow(p.left + 5, p.top + (i < 2 ? 5 : 11),
                                                   p.Width() - 10, p.Height() - (i < 2 ? 10 : 16),
                                                   FALSE);
    }

    int mode = GetDisplayMode();
    const bool fourFit = w >= kFourMinWidth && h >= kFourMinHeight;
    if (CMeterFrame* frame = MeterFrame()) frame->m_fourMetersEnabled = fourFit ? 1 : 0;
    if (!fourFit && mode == kFourMeters) mode = kAnalog;
    m_layoutMode = mode;

    for (int i = 0; i < kMeters; ++i) {
        HideMeter(i);
        m_group[static_cast<size_t>(i)].ShowWindow(SW_HIDE);
    }
    switch (mode) {
        case kAnalog:
            m_knob[0].MoveWindow(30, 30, w - 60, h - 60, FALSE);
            break;
        case kBar:
            m_slide[0].MoveWindow(w / 4 - 10, 20, 3 * w / 4 + 10 - (w / 4 - 10), h - 40, FALSE);
            break;
        case kChange:
            m_lamp[0].MoveWindow(17, 17, w - 34, h - 34, FALSE);
            break;
        case kDigital: {
            const int top = 2 * (h / 8), bottom = 11 * (h / 16);
            if (m_digits[0].GetSafeHwnd())
                m_digits[0].MoveWindow(20, top, w - 40, bottom - top, FALSE);
            m_label[0].MoveWindow(20, bottom, w - 40, 30, FALSE);
            break;
        }
        default:
            break;
    }
    if (mode != kFourMeters) {
        for (BYTE& shown : m_shownKind)
            shown = kNone;
        ShowKind(0, static_cast<BYTE>(mode));
        // A single meter has no panels to select.
        if (m_selectedPanel != -1) DeselectAll();
    } else {
        const int digitTop = 2 * ((h / 2) / 8), digitBottom = 11 * ((h / 2) / 16);
        for (int i = 0; i < kMeters; ++i) {
            const auto k = static_cast<size_t>(i);
            const CRect& p = m_panel[k];
            const int pw = p.Width(), ph = p.Height();
            m_knob[k].MoveWindow(p.left + pw / 10, p.top + ph / 10, pw - 2 * (pw / 10),
                                 ph - 2 * (ph / 10), FALSE);
            const int slideLeft = p.left + w / 15 - 8, slideRight = p.right - w / 15 + 8;
            m_slide[k].MoveWindow(slideLeft, p.top + 20, slideRight - slideLeft, ph - 40, FALSE);
            m_lamp[k].MoveWindow(p.left + 3, p.top + 5, pw - 11, ph - 10, FALSE);
            if (m_digits[k].GetSafeHwnd())
                m_digits[k].MoveWindow(p.left + 20, p.top + digitTop, pw - 40,
                                       digitBottom - digitTop, FALSE);
            m_label[k].MoveWindow(p.left + 20, p.top + digitBottom, pw - 40, 30, FALSE);
            m_group[k].ShowWindow(SW_SHOW);
            m_shownKind[k] = kNone;
            ShowKind(i, m_kind[k]);
        }
    }
    if (CMeterFrame* frame = MeterFrame()) frame->UpdateToolbar();
    Invalidate();
}

// ---- readings, sensors and ranges

CString CMeterView::CentreText(CString text) {
    for (bool front = true; text.GetLength() < 6; front = !front)
        text = front ? " " + text : text + " ";
    return text;
}

CString CMeterView::FormatReading(double value) {
    return CentreText(CString::Formatted("%.1f", value));
}

void CMeterView::ShowReadings(double r1, double r2, double r3, double r4) {
    const double readings[kMeters] = {r1, r2, r3, r4};
    const CSettings* settings = Settings();
    for (int i = 0; i < kMeters; ++i) {
        const auto k = static_cast<size_t>(i);
        KeepRangeInChosenUnit(i);
        double v = readings[i];
        CString unit;
        if (settings) {
            const int code = SensorCode(i);
            if (code >= 0 && code < CSettings::kSensorSlots)
                unit = settings->m_sensorSlots[code].unit;
            v = ToDisplayUnit(*settings, SensorQuantityOfCode(*settings, code), v, &unit);
        }
        if (!std::isfinite(v)) continue;
        double lo = m_min[k], hi = m_max[k];
        if (v <= 0) {
            if (v < lo) lo = 1.2 * v;
            if (v > hi) hi = 0.8 * v;
        } else {
            if (v < lo) lo = 0.8 * v;
            if (v > hi) hi = 1.2 * v;
        }
        if (lo != m_min[k] || hi != m_max[k]) SetRange(i, lo, hi, unit);
        m_knob[k].SetValue(v);
        m_slide[k].SetValue(v);
        // White at the minimum, red at the maximum; a range of no width stays white.
        int step = 0;
        if (m_max[k] > m_min[k]) {
            step = static_cast<int>((v - m_min[k]) * 256 / (m_max[k] - m_min[k]));
            step = std::clamp(step, 0, 255);
        }
        m_lamp[k].SetBackColor(RGB(255, 255 - step, 255 - step));
        if (m_digits[k].GetSafeHwnd()) m_digits[k].SetText(FormatReading(v));
    }
}

void CMeterView::SetRange(int meter, double minimum, double maximum, const CString& unit) {
    const auto k = static_cast<size_t>(meter);
    for (const CDispatchDriver& axis :
         {m_knob[k].GetDriver().GetObject(kAxis), m_slide[k].GetDriver().GetObject(kAxis)}) {
        const VARIANT range[] = {VarR8(minimum), VarR8(maximum)};
        axis.InvokeMethod(kAxisRange, range);
        axis.SetBool(kAxisScale, true);
        axis.SetString(kAxisUnit, unit);
    }
    m_min[k] = minimum;
    m_max[k] = maximum;
    if (const CSettings* settings = Settings())
        m_rangeUnit[k] = ChosenUnitOf(*settings, m_rangeQuantity[k]);
}

void CMeterView::KeepRangeInChosenUnit(int meter) {
    const CSettings* settings = Settings();
    if (!settings) return;
    const auto k = static_cast<size_t>(meter);
    const SensorQuantity q = m_rangeQuantity[k];
    const int unit = ChosenUnitOf(*settings, q);
    if (unit == m_rangeUnit[k]) return;
    const int code = SensorCode(meter);
    CString text = code >= 0 && code < CSettings::kSensorSlots ? settings->m_sensorSlots[code].unit
                                                               : CString();
    ToDisplayUnit(*settings, q, 0, &text);
    SetRange(meter, ConvertBetweenUnits(q, m_min[k], m_rangeUnit[k], unit),
             ConvertBetweenUnits(q, m_max[k], m_rangeUnit[k], unit), text);
}

void CMeterView::SetMeterCaption(int meter, const CString& caption) {
    const auto k = static_cast<size_t>(meter);
    m_knob[k].GetDriver().GetObject(kAxis).SetString(DISPID_CAPTION, caption);
    m_slide[k].GetDriver().SetString(DISPID_CAPTION, caption);
    m_lamp[k].GetDriver().SetString(kLampText, caption);
    m_label[k].SetWindowText(caption);
}

void CMeterView::SetMeterSensor(int meter, int code) {
    if (meter < 0 || meter >= kMeters) return;
    const auto k = static_cast<size_t>(meter);
    m_rangeQuantity[k] = SensorQuantity::Other;
    SetRange(meter, 0, 10, CString());
    const CSettings* settings = Settings();
    // Only the eight sensor records exist: any other code leaves the meter at 0..10.
    if (!settings || code < 0 || code >= CSettings::kSensorSlots) return;
    const SensorInfoStruct& record = settings->m_sensorSlots[code];
    const SensorQuantity q = SensorQuantityOfCode(*settings, code);
    CString unit = record.unit;
    // The records keep their ranges in Celsius and kPa; a scale labelled in another unit shows
    // that unit's numbers.
    m_rangeQuantity[k] = q;
    SetRange(meter, ToDisplayUnit(*settings, q, record.minimum, &unit),
             ToDisplayUnit(*settings, q, record.maximum), unit);
    SetMeterCaption(meter, CString::Formatted("%s (%s)", record.name, unit));
}

void CMeterView::ApplyUnitSettings() {
    const CSettings* settings = Settings();
    if (!settings) return;
    double readings[kMeters] = {};
    for (int i = 0; i < kMeters; ++i) {
        const int code = SensorCode(i);
        if (code < 0 || code >= CSettings::kSensorSlots) continue;
        const SensorInfoStruct& record = settings->m_sensorSlots[code];
        CString unit = record.unit;
        ToDisplayUnit(*settings, SensorQuantityOfCode(*settings, code), 0, &unit);
        SetMeterCaption(i, CString::Formatted("%s (%s)", record.name, unit));
        if (m_doc && m_doc->GetLogger()) m_doc->GetMeterReading(i, readings[i]);
    }
    ShowReadings(readings[0], readings[1], readings[2], readings[3]);
}

// ---- panels and commands

void CMeterView::DeselectAll() {
    for (BYTE& s : m_selected)
        s = 0;
    m_selectedPanel = -1;
    Invalidate();
    if (!m_doc) return;
    bool same = true;
    for (int i = 1; i < kMeters; ++i)
        same = same && m_doc->m_meterChannels[i] == m_doc->m_meterChannels[0];
    if (!same)
        if (CSetupView* setup = SetupView()) setup->ShowMeterSensors(FALSE);
}

void CMeterView::ShowPanel(int panel, BOOL deselect) {
    if (m_layoutMode != kFourMeters || panel < 0 || panel >= kMeters) {
        DeselectAll();
        return;
    }
    const bool wasSelected = m_selected[static_cast<size_t>(panel)] != 0;
    DeselectAll();
    CSetupView* setup = SetupView();
    if (setup) setup->ShowMeterSensors(TRUE);
    if (!wasSelected && !deselect) {
        m_selected[static_cast<size_t>(panel)] = 1;
        m_selectedPanel = panel;
        if (setup) setup->ShowMeterSensor(panel);
    }
    Invalidate();
}

void CMeterView::OnLButtonDown(UINT, CPoint point) {
    if (m_layoutMode == kFourMeters) {
        for (int i = 0; i < kMeters; ++i) {
            const CRect& p = m_panel[static_cast<size_t>(i)];
            if (!p.PtInRect(point)) continue;
            // The lower panels begin below the gap between the rows.
            if (i >= 2 && point.y - p.top <= 10) continue;
            ShowPanel(i, FALSE);
            return;
        }
    }
    ShowPanel(-1, TRUE);
}

void CMeterView::OnSelectPanel(UINT id) {
    const UINT first = id >= IDC_METER_LABEL_FIRST && id < IDC_METER_LABEL_FIRST + 4
                           ? IDC_METER_LABEL_FIRST
                           : IDC_DIGITS_FIRST;
    ShowPanel(static_cast<int>(id - first), FALSE);
}

void CMeterView::OnMeterKind(UINT id) {
    const auto kind = static_cast<BYTE>(id - ID_METER_ANALOG);
    if (m_selectedPanel >= 0 && m_selectedPanel < kMeters) {
        m_kind[static_cast<size_t>(m_selectedPanel)] = kind;
        ShowKind(m_selectedPanel, kind);
        Invalidate();
        return;
    }
    if (CSettings* s = Settings()) s->m_meterViewValue = kind;
    LayoutMeters();
}

void CMeterView::OnFourMeters() {
    if (m_selectedPanel != -1) {
        ShowPanel(-1, TRUE);
        return;
    }
    if (CSettings* s = Settings()) s->m_meterViewValue = kFourMeters;
    for (int i = 0; i < kMeters; ++i) {
        m_kind[static_cast<size_t>(i)] = static_cast<BYTE>(i);
        m_shownKind[static_cast<size_t>(i)] = kNone;
    }
    if (CSetupView* setup = SetupView()) setup->ShowMeterSensors(TRUE);
    if (m_doc) {
        for (int i = 0; i < kMeters; ++i) {
            m_doc->m_meterChannels[i] = m_doc->m_meterChannels[0];
            SetMeterSensor(i, m_doc->m_meterChannels[i]);
        }
    }
    LayoutMeters();
}

// ---- drawing

void CMeterView::OnDraw(CDC* dc) {
    if (m_selectedPanel < 0 || m_selectedPanel >= kMeters) return;
    // A 2-pixel blue frame just inside the selected panel's group box.
    CRect box;
    const auto k = static_cast<size_t>(m_selectedPanel);
    const CRect& p = m_panel[k];
    box = CRect(p.left + 5, p.top + (m_selectedPanel < 2 ? 5 : 11), p.right - 5, p.bottom - 5);
    box.DeflateRect(2, 2);
    CBrush blue(kBlue);
    dc->FrameRect(&box, &blue);
    box.DeflateRect(1, 1);
    dc->FrameRect(&box, &blue);
}
