#include "displays/graph/graph_format.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "RES/dialogs/graph_format.h"
#include "RES/plot_style_bitmaps.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_view.h"
#include "displays/sensor_properties_dialog.h"
#include "logger/data_tree.h"
#include "logger/helpers.h"
#include "logger/settings.h"
#include "platform/base/log.h"
#include "platform/gdi/objects.h"
#include "platform/ui/color_dialog.h"
#include "platform/ui/date_time_ctrl.h"

namespace {

CString EntryText(const CGraphView& view, int entry) {
    if (entry == 0) {
        const CDataTreeBrench* xs = view.m_yVsX ? view.m_xAxis.dataSet : nullptr;
        if (xs) return "X : " + xs->m_name;
        return view.GetGraph().GetAxes().Item(1).GetString(DISPID_CAPTION);
    }
    const CDataTreeBrench* d = view.m_plots[entry - 1].dataSet;
    return d ? d->m_name : CString();
}

// The data set whose unit an entry's limits are shown in, if any.
const CDataTreeBrench* EntrySet(const CGraphView& view, int entry) {
    if (entry == 0) return view.m_yVsX ? view.m_xAxis.dataSet : nullptr;
    return view.m_plots[entry - 1].dataSet;
}

}  // namespace

// ---- Scale ----

BEGIN_MESSAGE_MAP(CGraphFormatScales, CPropertyPage)
ON_CBN_SELCHANGE(IDC_FORMAT_ENTRIES, OnSelectEntry)
ON_BN_CLICKED(IDC_FORMAT_AUTOSCALE, OnAutoScale)
ON_EN_KILLFOCUS(IDC_FORMAT_MIN, OnMinimumDone)
ON_EN_KILLFOCUS(IDC_FORMAT_MAX, OnMaximumDone)
ON_BN_CLICKED(IDC_FORMAT_LOGARITHMIC, OnLogarithmic)
ON_BN_CLICKED(IDC_FORMAT_GRID, OnGridLines)
END_MESSAGE_MAP()

CGraphFormatScales::CGraphFormatScales() : CPropertyPage(FormatScaleTemplate()) {}

BOOL CGraphFormatScales::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    SetDlgItemText(IDC_FORMAT_SELECT_LABEL, "Select plot :");
    SetDlgItemText(IDC_FORMAT_AUTOSCALE, "Auto scale");
    SetDlgItemText(IDC_FORMAT_MIN_LABEL, "Min :");
    SetDlgItemText(IDC_FORMAT_MAX_LABEL, "Max :");
    SetDlgItemText(IDC_FORMAT_LOGARITHMIC, "Logarithmic scale");
    SetDlgItemText(IDC_FORMAT_GRID, "Grid lines");
    LoadEntries();
    return TRUE;
}

void CGraphFormatScales::LoadEntries() {
    auto* combo = static_cast<CComboBox*>(GetDlgItem(IDC_FORMAT_ENTRIES));
    if (!combo || !m_view) return;
    combo->ResetContent();
    m_records.clear();
    const CGraphView& v = *m_view;
    GraphScaleInfoStruct x;
    x.autoScale = v.m_xAxis.yAutoscale ? TRUE : FALSE;
    x.minimum = v.GetAxisMinimum(1) + v.BarHalfWidth();
    x.maximum = v.GetAxisMaximum(1);
    x.timeCode = v.m_xAxis.timeFormat;
    const CDispatchDriver xAxis = v.GetGraph().GetAxes().Item(1);
    x.gridLines = xAxis.GetObject(10).GetBool(13) ? TRUE : FALSE;
    x.logarithmic = xAxis.GetBool(1) ? TRUE : FALSE;
    if (const CDataTreeBrench* first = v.m_plotCount > 0 ? v.m_plots[0].dataSet : nullptr) {
        m_start = first->m_startTime;
        m_intervalSeconds = RateInfo(first->m_rateCode).intervalSeconds;
        m_lastSample = first->GetXCount() > 0 ? static_cast<LONG>(first->m_x->back()) : 0;
    }
    combo->AddString(EntryText(v, 0));
    m_records.push_back(x);
    for (int p = 0; p < v.m_plotCount; ++p) {
        GraphScaleInfoStruct r;
        const PlotRecordStruct& plot = v.m_plots[p];
        r.autoScale = plot.yAutoscale ? TRUE : FALSE;
        r.minimum = v.GetAxisMinimum(p + 2);
        r.maximum = v.GetAxisMaximum(p + 2);
        const CDispatchDriver axis = v.GetGraph().GetAxes().Item(p + 2);
        r.gridLines = axis.GetObject(10).GetBool(13) ? TRUE : FALSE;
        r.logarithmic = axis.GetBool(1) ? TRUE : FALSE;
        r.timeCode = plot.labelValue;
        r.linkCount = plot.linkCount;
        for (int i = 0; i < plot.linkCount && i < 8; ++i)
            r.links[i] = static_cast<SHORT>(plot.links[i] + 1);
        combo->AddString(EntryText(v, p + 1));
        m_records.push_back(r);
    }
    const int entry =
        m_selected >= 0 && m_selected < static_cast<int>(m_records.size()) ? m_selected : 0;
    combo->SetCurSel(entry);
    ShowEntry(entry);
}

double CGraphFormatScales::ToDisplay(int entry, double v) const {
    const CSettings* s = m_view->GetDoc() ? m_view->GetDoc()->GetSettings() : nullptr;
    const int t = s ? s->m_temperatureUnit : 0, p = s ? s->m_pressureUnit : 0;
    if (entry == 0 && !m_view->m_yVsX && m_view->m_xAxis.axisName == "Time" &&
        m_view->m_plots[0].dataSet) {
        const RateInfoStruct ri = RateInfo(m_view->m_plots[0].dataSet->m_rateCode);
        const double factor = RateUnitFactor(ri.timeUnit, m_view->m_xAxis.timeFormat);
        // A unit the factor table lacks: the limits are sample numbers.
        return factor != 0 ? v * ri.unitInterval * factor : v;
    }
    const CDataTreeBrench* d = EntrySet(*m_view, entry);
    if (IsTemperatureSensor(d)) return ConvertTemperatureValue(v, t);
    if (IsPressureSensor(d)) return ConvertPressureValue(v, p);
    return v;
}

double CGraphFormatScales::FromDisplay(int entry, double v) const {
    const CSettings* s = m_view->GetDoc() ? m_view->GetDoc()->GetSettings() : nullptr;
    const int t = s ? s->m_temperatureUnit : 0, p = s ? s->m_pressureUnit : 0;
    if (entry == 0 && !m_view->m_yVsX && m_view->m_xAxis.axisName == "Time" &&
        m_view->m_plots[0].dataSet) {
        const RateInfoStruct ri = RateInfo(m_view->m_plots[0].dataSet->m_rateCode);
        const double factor = RateUnitFactor(ri.timeUnit, m_view->m_xAxis.timeFormat);
        const double per = ri.unitInterval * factor;
        return per != 0 ? v / per : v;
    }
    const CDataTreeBrench* d = EntrySet(*m_view, entry);
    if (IsTemperatureSensor(d)) return ConvertTemperatureToCelsius(v, t);
    if (IsPressureSensor(d)) return ConvertPressureToKPa(v, p);
    return v;
}

void CGraphFormatScales::ShowEntry(int entry) {
    if (entry < 0 || entry >= static_cast<int>(m_records.size())) return;
    m_shown = entry;
    const GraphScaleInfoStruct& r = m_records[static_cast<size_t>(entry)];
    CheckDlgButton(IDC_FORMAT_AUTOSCALE, r.autoScale ? 1 : 0);
    CheckDlgButton(IDC_FORMAT_LOGARITHMIC, r.logarithmic ? 1 : 0);
    CheckDlgButton(IDC_FORMAT_GRID, r.gridLines ? 1 : 0);
    const bool pickers = UsesPickers(entry);
    for (UINT id : {IDC_FORMAT_MIN, IDC_FORMAT_MAX})
        if (CWnd* edit = GetDlgItem(id)) {
            edit->EnableWindow(!r.autoScale);
            edit->ShowWindow(pickers ? SW_HIDE : SW_SHOW);
        }
    for (UINT id :
         {IDC_FORMAT_MIN_DATE, IDC_FORMAT_MIN_TIME, IDC_FORMAT_MAX_DATE, IDC_FORMAT_MAX_TIME})
        if (CWnd* picker = GetDlgItem(id)) {
            picker->EnableWindow(!r.autoScale);
            picker->ShowWindow(pickers ? SW_SHOW : SW_HIDE);
        }
    if (pickers) ShowPickers(r);
    SetDlgItemText(IDC_FORMAT_MIN, CString::Formatted("%.2f", ToDisplay(entry, r.minimum)));
    SetDlgItemText(IDC_FORMAT_MAX, CString::Formatted("%.2f", ToDisplay(entry, r.maximum)));
}

void CGraphFormatScales::OnSelectEntry() {
    // Leaving an entry commits its limits, as the edits losing the focus would.
    TakeLimit(IDC_FORMAT_MIN, false);
    TakeLimit(IDC_FORMAT_MAX, true);
    auto* combo = static_cast<CComboBox*>(GetDlgItem(IDC_FORMAT_ENTRIES));
    if (combo) ShowEntry(combo->GetCurSel());
}

void CGraphFormatScales::OnAutoScale() {
    if (m_shown < 0) return;
    const BOOL on = IsDlgButtonChecked(IDC_FORMAT_AUTOSCALE) ? TRUE : FALSE;
    GraphScaleInfoStruct& r = m_records[static_cast<size_t>(m_shown)];
    r.autoScale = on;
    for (UINT id : {IDC_FORMAT_MIN, IDC_FORMAT_MAX, IDC_FORMAT_MIN_DATE, IDC_FORMAT_MIN_TIME,
                    IDC_FORMAT_MAX_DATE, IDC_FORMAT_MAX_TIME})
        if (CWnd* edit = GetDlgItem(id)) edit->EnableWindow(!on);
    for (int i = 0; i < r.linkCount && i < 8; ++i)
        if (r.links[i] > 0 && r.links[i] < static_cast<int>(m_records.size()))
            m_records[static_cast<size_t>(r.links[i])].autoScale = on;
}

void CGraphFormatScales::TakeLimit(UINT editId, bool maximum) {
    if (m_shown < 0 || UsesPickers(m_shown)) return;
    const CString text = GetDlgItemText(editId);
    double parsed = 0;
    if (!CSensorPropertiesDialog::ParseNumber(text, parsed)) {
        // Not a number: the limit stays, and shows again.
        const GraphScaleInfoStruct& r = m_records[static_cast<size_t>(m_shown)];
        SetDlgItemText(editId, CString::Formatted(
                                   "%.2f", ToDisplay(m_shown, maximum ? r.maximum : r.minimum)));
        return;
    }
    const double value = FromDisplay(m_shown, parsed);
    GraphScaleInfoStruct& r = m_records[static_cast<size_t>(m_shown)];
    const double before = maximum ? r.maximum : r.minimum;
    if (value == before || CString::Formatted("%.2f", ToDisplay(m_shown, before)) == text) return;
    (maximum ? r.maximum : r.minimum) = value;
    for (int i = 0; i < r.linkCount && i < 8; ++i)
        if (r.links[i] > 0 && r.links[i] < static_cast<int>(m_records.size())) {
            GraphScaleInfoStruct& linked = m_records[static_cast<size_t>(r.links[i])];
            (maximum ? linked.maximum : linked.minimum) = value;
            linked.autoScale = FALSE;
        }
}

void CGraphFormatScales::OnMinimumDone() {
    TakeLimit(IDC_FORMAT_MIN, false);
}

void CGraphFormatScales::OnMaximumDone() {
    TakeLimit(IDC_FORMAT_MAX, true);
}

void CGraphFormatScales::OnLogarithmic() {
    if (m_shown >= 0)
        m_records[static_cast<size_t>(m_shown)].logarithmic =
            IsDlgButtonChecked(IDC_FORMAT_LOGARITHMIC) ? TRUE : FALSE;
}

void CGraphFormatScales::OnGridLines() {
    if (m_shown >= 0)
        m_records[static_cast<size_t>(m_shown)].gridLines =
            IsDlgButtonChecked(IDC_FORMAT_GRID) ? TRUE : FALSE;
}

bool CGraphFormatScales::UsesPickers(int entry) const {
    if (entry != 0 || !m_view || m_view->m_yVsX || m_records.empty()) return false;
    const WORD code = m_records[0].timeCode;
    return code >= 4 && code <= 6;
}

CPreciseDateTime CGraphFormatScales::SampleTime(double sample) const {
    // A limit far outside any recording (or none at all) is shown at the recording's ends.
    double seconds = sample * m_intervalSeconds;
    if (!std::isfinite(seconds)) seconds = 0;
    seconds = std::clamp(seconds, -2.0e9, 2.0e9);
    return m_start + CPreciseTimeSpan(0, 0, 0, static_cast<int>(seconds));
}

void CGraphFormatScales::ShowPickers(const GraphScaleInfoStruct& r) {
    const auto put = [&](UINT dateId, UINT timeId, double sample) {
        SYSTEMTIME t{};
        if (!SampleTime(sample).GetAsSystemTime(t)) return;
        for (UINT id : {dateId, timeId})
            if (auto* picker = dynamic_cast<CDateTimeCtrl*>(GetDlgItem(static_cast<int>(id))))
                picker->SetTime(&t);
    };
    put(IDC_FORMAT_MIN_DATE, IDC_FORMAT_MIN_TIME, r.minimum);
    put(IDC_FORMAT_MAX_DATE, IDC_FORMAT_MAX_TIME, r.maximum);
}

CPreciseDateTime CGraphFormatScales::ReadPickers(bool maximum) {
    SYSTEMTIME date{}, time{};
    auto* d = dynamic_cast<CDateTimeCtrl*>(
        GetDlgItem(static_cast<int>(maximum ? IDC_FORMAT_MAX_DATE : IDC_FORMAT_MIN_DATE)));
    auto* t = dynamic_cast<CDateTimeCtrl*>(
        GetDlgItem(static_cast<int>(maximum ? IDC_FORMAT_MAX_TIME : IDC_FORMAT_MIN_TIME)));
    if (!d || !t || d->GetTime(&date) != GDT_VALID || t->GetTime(&time) != GDT_VALID)
        return m_start;
    CPreciseDateTime at(date.wYear, date.wMonth, date.wDay, time.wHour, time.wMinute, time.wSecond);
    const CPreciseDateTime first = SampleTime(0), last = SampleTime(m_lastSample);
    if ((at - first).GetTicks() < 0) at = first;
    if ((at - last).GetTicks() > 0) at = last;
    return at;
}

void CGraphFormatScales::ClampPickers() {
    // Each pair shows what it stands for once kept within the recording.
    for (bool maximum : {false, true}) {
        SYSTEMTIME t{};
        if (!ReadPickers(maximum).GetAsSystemTime(t)) continue;
        // Named arrays: a list chosen by ?: would outlive the array behind it.
        static constexpr UINT kMinIds[] = {IDC_FORMAT_MIN_DATE, IDC_FORMAT_MIN_TIME};
        static constexpr UINT kMaxIds[] = {IDC_FORMAT_MAX_DATE, IDC_FORMAT_MAX_TIME};
        for (UINT id : maximum ? kMaxIds : kMinIds)
            if (auto* picker = dynamic_cast<CDateTimeCtrl*>(GetDlgItem(static_cast<int>(id))))
                picker->SetTime(&t);
    }
}

LRESULT CGraphFormatScales::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NOTIFY && lParam &&
        reinterpret_cast<const NMHDR*>(lParam)->code == DTN_DATETIMECHANGE) {
        ClampPickers();
        return 0;
    }
    return CPropertyPage::WindowProc(msg, wParam, lParam);
}

void CGraphFormatScales::OnOK() {
    if (!m_view || m_records.empty()) return;
    TakeLimit(IDC_FORMAT_MIN, false);
    TakeLimit(IDC_FORMAT_MAX, true);
    CGraphView& v = *m_view;
    if (CVarnelDoc* doc = v.GetDoc()) doc->m_modified = 1;
    v.m_graphState = std::max<BYTE>(v.m_graphState, 2);
    GraphScaleInfoStruct& x = m_records[0];
    if (UsesPickers(0)) {
        if (m_intervalSeconds > 0) {
            const auto samples = [&](const CPreciseDateTime& t) {
                return static_cast<double>(static_cast<LONGLONG>(
                    static_cast<double>((t - m_start).GetTotalSeconds()) / m_intervalSeconds));
            };
            const CPreciseDateTime lo = ReadPickers(false);
            CPreciseDateTime hi = ReadPickers(true);
            // A maximum not after the minimum gives a day from the minimum.
            if (!((hi - lo).GetTotalSeconds() > 0)) hi = lo + CPreciseTimeSpan(1, 0, 0, 0);
            x.minimum = samples(lo);
            x.maximum = samples(hi);
        } else {
            x.minimum = 0;
            x.maximum = 1;
        }
    }
    if (x.autoScale) {
        v.ApplyAxisScales(0, FALSE, 0);
        v.m_xAxis.yAutoscale = v.m_savedXAxis.yAutoscale = 1;
    } else {
        const double lo = x.minimum - v.BarHalfWidth();
        v.SetAxisRange(1, lo, x.maximum, FALSE, TRUE);
        v.m_savedXAxis.yAutoscale = 0;
        v.m_savedXAxis.yMin = lo;
        v.m_savedXAxis.yMax = x.maximum;
    }
    CDispatchDriver axes = v.GetGraph().GetAxes();
    axes.Item(1).GetObject(10).SetBool(13, x.gridLines != 0);
    axes.Item(1).SetBool(1, x.logarithmic != 0);
    v.m_xAxis.grid = v.m_savedXAxis.grid = x.gridLines ? 1 : 0;
    for (int p = 0; p < v.m_plotCount && p + 1 < static_cast<int>(m_records.size()); ++p) {
        const GraphScaleInfoStruct& r = m_records[static_cast<size_t>(p + 1)];
        PlotRecordStruct& format = v.m_format[p];
        if (r.autoScale) {
            v.ScaleAxisToData(p + 2, 0, 0, 0);
            v.m_plots[p].yAutoscale = format.yAutoscale = 1;
        } else {
            v.SetAxisRange(p + 2, r.minimum, r.maximum, FALSE, TRUE);
            format.yAutoscale = 0;
            format.yMin = r.minimum;
            format.yMax = r.maximum;
        }
        axes.Item(p + 2).GetObject(10).SetBool(13, r.gridLines != 0);
        axes.Item(p + 2).SetBool(1, r.logarithmic != 0);
        v.m_plots[p].grid = format.grid = r.gridLines ? 1 : 0;
    }
    if (CVarnelDoc* doc = v.GetDoc()) doc->m_formatScaleSettings = TRUE;
}

// ---- Lines ----

namespace {

constexpr LONG kSecondStyle = 4;

int MarkerItem(LONG code) {
    for (int i = 0; i < 8; ++i)
        if (CGraphFormatLines::kMarkerCodes[i] == code) return i;
    return -1;
}

}  // namespace

BEGIN_MESSAGE_MAP(CGraphFormatLines, CPropertyPage)
ON_CBN_SELCHANGE(IDC_FORMAT_ENTRIES, OnSelectEntry)
ON_CBN_SELCHANGE(IDC_FORMAT_LINE_STYLE, OnLineStyle)
ON_CBN_SELCHANGE(IDC_FORMAT_WEIGHT, OnWeight)
ON_CBN_SELCHANGE(IDC_FORMAT_MARKER_STYLE, OnMarkerStyle)
ON_BN_CLICKED(IDC_FORMAT_LINE_VISIBLE, OnLineVisible)
ON_BN_CLICKED(IDC_FORMAT_MARKER_VISIBLE, OnMarkerVisible)
ON_BN_CLICKED(IDC_FORMAT_RESTORE, OnRestoreDefaults)
END_MESSAGE_MAP()

CGraphFormatLines::CGraphFormatLines() : CPropertyPage(FormatLinesTemplate()) {}

void CGraphFormatLines::DoDataExchange(CDataExchange* dx) {
    CPropertyPage::DoDataExchange(dx);
    DDX_Control(dx, IDC_FORMAT_LINE_COLOR, m_lineColor);
    DDX_Control(dx, IDC_FORMAT_MARKER_COLOR, m_markerColor);
    DDX_Control(dx, IDC_FORMAT_LINE_STYLE, m_lineStyle);
    DDX_Control(dx, IDC_FORMAT_WEIGHT, m_weight);
    DDX_Control(dx, IDC_FORMAT_MARKER_STYLE, m_markerStyle);
    DDX_Control(dx, IDC_FORMAT_LINE_PICKER, m_linePicker);
    DDX_Control(dx, IDC_FORMAT_MARKER_PICKER, m_markerPicker);
}

BOOL CGraphFormatLines::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    SetDlgItemText(IDC_FORMAT_SELECT_LABEL, "Select plot :");
    SetDlgItemText(IDC_FORMAT_LINE_GROUP, "Line :");
    SetDlgItemText(IDC_FORMAT_LINE_VISIBLE, "Visible");
    SetDlgItemText(IDC_FORMAT_LINE_COLOR_LABEL, "Color :");
    SetDlgItemText(IDC_FORMAT_LINE_STYLE_LABEL, "Style :");
    SetDlgItemText(IDC_FORMAT_WEIGHT_LABEL, "Weight :");
    SetDlgItemText(IDC_FORMAT_MARKER_GROUP, "Markers :");
    SetDlgItemText(IDC_FORMAT_MARKER_VISIBLE, "Visible");
    SetDlgItemText(IDC_FORMAT_MARKER_COLOR_LABEL, "Color :");
    SetDlgItemText(IDC_FORMAT_MARKER_STYLE_LABEL, "Style :");
    SetDlgItemText(IDC_FORMAT_RESTORE, "Restore defaults");
    RegisterPlotStyleBitmaps();
    CSensorPropertiesDialog::BuildPictureCombo(m_lineStyle, m_lineStyleImages, IDB_LINE_STYLES, 83,
                                               2);
    CSensorPropertiesDialog::BuildPictureCombo(m_weight, m_weightImages, IDB_LINE_WEIGHTS, 80, 3);
    CSensorPropertiesDialog::BuildPictureCombo(m_markerStyle, m_markerImages, IDB_MARKER_STYLES, 60,
                                               8);
    GetEventSinks().On(IDC_FORMAT_LINE_PICKER, DISPID_CLICK, [this] { OnPickColor(true); });
    GetEventSinks().On(IDC_FORMAT_MARKER_PICKER, DISPID_CLICK, [this] { OnPickColor(false); });
    LoadEntries();
    return TRUE;
}

void CGraphFormatLines::LoadEntries() {
    auto* combo = static_cast<CComboBox*>(GetDlgItem(IDC_FORMAT_ENTRIES));
    if (!combo || !m_view) return;
    combo->ResetContent();
    m_records.clear();
    const CGraphView& v = *m_view;
    combo->AddString(EntryText(v, 0));
    GraphLinesInfoStruct x;
    const CDispatchDriver labels = v.GetGraph().GetAxes().Item(1).GetObject(10);
    x.lineColor = x.markerColor = static_cast<COLORREF>(labels.GetLong(19));
    x.lineStyle = -1;
    x.lineWidth = 0xFFFF;
    x.lineVisible = TRUE;
    x.markerStyle = -1;
    m_records.push_back(x);
    for (int p = 0; p < v.m_plotCount; ++p) {
        const PlotRecordStruct& r = v.m_plots[p];
        combo->AddString(EntryText(v, p + 1));
        m_records.push_back({r.colour, r.lineStyle == 0 ? 1 : r.lineStyle, r.lineWidth,
                             r.lineStyle != 0, r.markerColour, r.pointStyle,
                             r.pointsSwitch ? TRUE : FALSE});
    }
    combo->SetCurSel(0);
    ShowEntry(0);
}

GraphLinesInfoStruct* CGraphFormatLines::Shown() {
    return m_shown >= 0 && m_shown < static_cast<int>(m_records.size())
               ? &m_records[static_cast<size_t>(m_shown)]
               : nullptr;
}

void CGraphFormatLines::ShowColor(CColorComboEx& combo, COLORREF colour) {
    if (!combo.GetSafeHwnd()) return;
    combo.ResetContent();
    combo.m_arColors.assign(1, colour);
    combo.AddString("");
    combo.SetCurSel(0);
    combo.Invalidate();
}

void CGraphFormatLines::EnableLine(bool on) {
    for (UINT id : {IDC_FORMAT_LINE_COLOR, IDC_FORMAT_LINE_PICKER, IDC_FORMAT_LINE_STYLE})
        if (CWnd* w = GetDlgItem(id)) w->EnableWindow(on);
    const GraphLinesInfoStruct* r = Shown();
    if (CWnd* w = GetDlgItem(IDC_FORMAT_WEIGHT))
        w->EnableWindow(on && !(r && r->lineStyle == kSecondStyle));
}

void CGraphFormatLines::EnableMarkers(bool on) {
    for (UINT id : {IDC_FORMAT_MARKER_COLOR, IDC_FORMAT_MARKER_PICKER, IDC_FORMAT_MARKER_STYLE})
        if (CWnd* w = GetDlgItem(id)) w->EnableWindow(on);
}

void CGraphFormatLines::ShowEntry(int entry) {
    if (entry < 0 || entry >= static_cast<int>(m_records.size())) return;
    m_shown = entry;
    const GraphLinesInfoStruct& r = m_records[static_cast<size_t>(entry)];
    ShowColor(m_lineColor, r.lineColor);
    ShowColor(m_markerColor, r.markerColor);
    const bool plot = entry > 0;
    SetDlgItemText(IDC_FORMAT_LINE_GROUP, plot ? "Line" : "X Axis");
    for (UINT id : {IDC_FORMAT_LINE_VISIBLE, IDC_FORMAT_LINE_STYLE_LABEL, IDC_FORMAT_LINE_STYLE,
                    IDC_FORMAT_WEIGHT_LABEL, IDC_FORMAT_WEIGHT})
        if (CWnd* w = GetDlgItem(id)) w->ShowWindow(plot ? SW_SHOW : SW_HIDE);
    if (!plot) {
        CheckDlgButton(IDC_FORMAT_LINE_VISIBLE, BST_CHECKED);
        CheckDlgButton(IDC_FORMAT_MARKER_VISIBLE, BST_UNCHECKED);
        for (UINT id : {IDC_FORMAT_LINE_COLOR, IDC_FORMAT_LINE_PICKER})
            if (CWnd* w = GetDlgItem(id)) w->EnableWindow(TRUE);
        EnableMarkers(false);
        if (CWnd* w = GetDlgItem(IDC_FORMAT_MARKER_VISIBLE)) w->EnableWindow(FALSE);
        return;
    }
    if (CWnd* w = GetDlgItem(IDC_FORMAT_MARKER_VISIBLE)) w->EnableWindow(TRUE);
    CheckDlgButton(IDC_FORMAT_LINE_VISIBLE, r.lineVisible ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_FORMAT_MARKER_VISIBLE, r.markerVisible ? BST_CHECKED : BST_UNCHECKED);
    m_weight.SetCurSel(std::clamp((static_cast<int>(r.lineWidth) - 1) / 2, 0, 2));
    if (r.lineStyle == kSecondStyle) {
        m_lineStyle.SetCurSel(1);
        m_weight.SetCurSel(0);
    } else {
        m_lineStyle.SetCurSel(0);
    }
    if (const int item = MarkerItem(r.markerStyle); item >= 0) m_markerStyle.SetCurSel(item);
    EnableLine(r.lineVisible != 0);
    EnableMarkers(r.markerVisible != 0);
}

void CGraphFormatLines::OnSelectEntry() {
    auto* combo = static_cast<CComboBox*>(GetDlgItem(IDC_FORMAT_ENTRIES));
    if (combo) ShowEntry(combo->GetCurSel());
}

void CGraphFormatLines::OnLineStyle() {
    GraphLinesInfoStruct* r = Shown();
    if (!r || m_shown == 0) return;
    if (m_lineStyle.GetCurSel() == 1) {
        r->lineStyle = kSecondStyle;
        m_weight.SetCurSel(0);
    } else {
        r->lineStyle = 1;
    }
    if (CWnd* w = GetDlgItem(IDC_FORMAT_WEIGHT)) w->EnableWindow(r->lineStyle != kSecondStyle);
    OnWeight();
}

void CGraphFormatLines::OnWeight() {
    if (GraphLinesInfoStruct* r = Shown(); r && m_shown > 0)
        r->lineWidth = static_cast<WORD>(std::max(m_weight.GetCurSel(), 0) * 2 + 1);
}

void CGraphFormatLines::OnMarkerStyle() {
    const int item = m_markerStyle.GetCurSel();
    if (GraphLinesInfoStruct* r = Shown(); r && m_shown > 0 && item >= 0 && item < 8)
        r->markerStyle = kMarkerCodes[item];
}

void CGraphFormatLines::OnLineVisible() {
    GraphLinesInfoStruct* r = Shown();
    if (!r || m_shown == 0) return;
    const bool line = IsDlgButtonChecked(IDC_FORMAT_LINE_VISIBLE) != 0;
    r->lineVisible = line;
    EnableLine(line);
    // A plot always keeps its line or its markers.
    if (!line && !IsDlgButtonChecked(IDC_FORMAT_MARKER_VISIBLE)) {
        CheckDlgButton(IDC_FORMAT_MARKER_VISIBLE, BST_CHECKED);
        OnMarkerVisible();
    }
}

void CGraphFormatLines::OnMarkerVisible() {
    GraphLinesInfoStruct* r = Shown();
    if (!r || m_shown == 0) return;
    const bool markers = IsDlgButtonChecked(IDC_FORMAT_MARKER_VISIBLE) != 0;
    r->markerVisible = markers;
    EnableMarkers(markers);
    if (markers) {
        OnMarkerStyle();
        return;
    }
    r->markerStyle = 0;
    if (!IsDlgButtonChecked(IDC_FORMAT_LINE_VISIBLE)) {
        CheckDlgButton(IDC_FORMAT_LINE_VISIBLE, BST_CHECKED);
        OnLineVisible();
    }
}

void CGraphFormatLines::OnPickColor(bool line) {
    GraphLinesInfoStruct* r = Shown();
    if (!r) return;
    CColorDialog picker(line ? r->lineColor : r->markerColor, 0, this);
    if (picker.DoModal() != IDOK) return;
    (line ? r->lineColor : r->markerColor) = picker.GetColor();
    ShowColor(line ? m_lineColor : m_markerColor, picker.GetColor());
}

void CGraphFormatLines::OnRestoreDefaults() {
    // On the sheet's copies only: a Cancel afterwards must leave the graph and settings alone.
    if (!m_settings || m_records.empty()) return;
    const int keep = m_shown;
    m_records[0] = GraphLinesInfoStruct();
    for (size_t i = 1; i < m_records.size(); ++i) {
        const int p = static_cast<int>(i) - 1;
        GraphLinesInfoStruct r;
        r.lineColor = p < CSettings::kPlotColors ? m_settings->m_plotColors[p] : 0;
        r.lineStyle = 1;
        r.lineWidth = 1;
        r.lineVisible = TRUE;
        if (const CDataTreeBrench* d = m_view ? m_view->m_plots[p].dataSet : nullptr)
            r.lineColor = m_view->PlotColour(d, r.lineColor);
        m_records[i] = r;
    }
    m_restored = true;
    if (auto* combo = static_cast<CComboBox*>(GetDlgItem(IDC_FORMAT_ENTRIES)))
        combo->SetCurSel(keep);
    ShowEntry(keep);
}

void CGraphFormatLines::OnOK() {
    if (!m_view || m_records.empty()) return;
    CGraphView& v = *m_view;
    if (CVarnelDoc* doc = v.GetDoc()) doc->m_modified = 1;
    v.m_graphState = std::max<BYTE>(v.m_graphState, 2);
    if (m_restored && m_settings) m_settings->ResetLineRecords(true);
    const COLORREF xColour = m_records[0].lineColor;
    v.SetupYAxis(1, xColour);
    v.m_xAxis.colour = v.m_savedXAxis.colour = xColour;
    if (m_settings) m_settings->m_lineRecords[CSettings::kLineRecords - 1].lineColor = xColour;
    CDispatchDriver plots = v.GetGraph().GetPlots();
    for (int i = 1; i < static_cast<int>(m_records.size()) && i <= v.m_plotCount; ++i) {
        GraphLinesInfoStruct& r = m_records[static_cast<size_t>(i)];
        PlotRecordStruct& plot = v.m_plots[i - 1];
        PlotRecordStruct& format = v.m_format[i - 1];
        CDispatchDriver item = plots.Item(i);
        item.SetLong(14, static_cast<LONG>(r.lineColor));
        if (v.m_barGraph) item.SetLong(16, static_cast<LONG>(r.lineColor));
        plot.colour = format.colour = r.lineColor;
        v.SetupYAxis(i + 1, r.lineColor);
        if (!r.lineVisible && !r.markerVisible) r.lineVisible = TRUE;
        if (!v.m_barGraph) {
            item.SetLong(1, r.lineVisible ? r.lineStyle : 0);
            item.SetShort(4, static_cast<SHORT>(r.lineWidth));
            item.SetLong(15, static_cast<LONG>(r.markerColor));
            item.SetLong(2, r.markerVisible ? r.markerStyle : 0);
            for (PlotRecordStruct* rec : {&plot, &format}) {
                // The record keeps no visibility of its line: a hidden line is style 0.
                rec->lineStyle = r.lineVisible ? r.lineStyle : 0;
                rec->lineWidth = r.lineWidth;
                rec->markerColour = r.markerColor;
                rec->pointStyle = r.markerStyle;
            }
        }
        plot.pointsSwitch = format.pointsSwitch = r.markerVisible ? 1 : 0;
        if (m_settings && i - 1 < CSettings::kLineRecords - 1) m_settings->m_lineRecords[i - 1] = r;
    }
    if (CVarnelDoc* doc = v.GetDoc()) doc->m_formatLineSettings = TRUE;
    if (m_settings && !m_settings->Save()) qCWarning(lcGraph, "the settings could not be saved");
}

// ---- the sheet ----

CGraphFormatProperty::CGraphFormatProperty(LPCTSTR caption, CWnd* parent)
    : CPropertySheet(caption, parent) {
    AddPage(&m_scales);
    AddPage(&m_lines);
}

BOOL CGraphFormatProperty::OnInitDialog() {
    CPropertySheet::OnInitDialog();
    SetTabText(0, "Scale");
    SetTabText(1, "Lines");
    SetDlgItemText(IDCANCEL, "Cancel");
    SetDlgItemText(IDOK, "OK");
    return TRUE;
}

// ---- the view's right click on a strip, and the Properties command ----

void CGraphView::OpenFormatSheet(int entry) {
    if (m_plotCount < 1) return;
    CGraphFormatProperty sheet("Format graph", this);
    sheet.m_psh.dwFlags |= PSH_NOAPPLYNOW;
    sheet.m_scales.SetGraphView(this, entry);
    sheet.m_lines.SetGraphView(this);
    sheet.m_lines.SetSettings(Settings());
    m_formatSheetOpen = 1;
    sheet.DoModal();
    m_formatSheetOpen = 0;
}
