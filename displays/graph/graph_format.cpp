#include "displays/graph/graph_format.h"

#include <cstdlib>

#include "RES/dialogs/graph_format.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_view.h"
#include "displays/sensor_properties_dialog.h"
#include "logger/data_tree.h"
#include "logger/helpers.h"
#include "logger/settings.h"

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
END_MESSAGE_MAP()

CGraphFormatScales::CGraphFormatScales() : CPropertyPage(FormatScaleTemplate()) {}

BOOL CGraphFormatScales::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    SetDlgItemText(IDC_FORMAT_SELECT_LABEL, "Select plot :");
    SetDlgItemText(IDC_FORMAT_AUTOSCALE, "Auto scale");
    SetDlgItemText(IDC_FORMAT_MIN_LABEL, "Min :");
    SetDlgItemText(IDC_FORMAT_MAX_LABEL, "Max :");
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
    x.minimum = v.GetAxisMinimum(1) + (v.m_barGraph ? 1.0 : 0.0);
    x.maximum = v.GetAxisMaximum(1);
    x.timeCode = v.m_xAxis.timeFormat;
    combo->AddString(EntryText(v, 0));
    m_records.push_back(x);
    for (int p = 0; p < v.m_plotCount; ++p) {
        GraphScaleInfoStruct r;
        const PlotRecordStruct& plot = v.m_plots[p];
        r.autoScale = plot.yAutoscale ? TRUE : FALSE;
        r.minimum = v.GetAxisMinimum(p + 2);
        r.maximum = v.GetAxisMaximum(p + 2);
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
    for (UINT id : {IDC_FORMAT_MIN, IDC_FORMAT_MAX})
        if (CWnd* edit = GetDlgItem(id)) edit->EnableWindow(!r.autoScale);
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
    for (UINT id : {IDC_FORMAT_MIN, IDC_FORMAT_MAX})
        if (CWnd* edit = GetDlgItem(id)) edit->EnableWindow(!on);
    for (int i = 0; i < r.linkCount && i < 8; ++i)
        if (r.links[i] > 0 && r.links[i] < static_cast<int>(m_records.size()))
            m_records[static_cast<size_t>(r.links[i])].autoScale = on;
}

void CGraphFormatScales::TakeLimit(UINT editId, bool maximum) {
    if (m_shown < 0) return;
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

void CGraphFormatScales::OnOK() {
    if (!m_view || m_records.empty()) return;
    TakeLimit(IDC_FORMAT_MIN, false);
    TakeLimit(IDC_FORMAT_MAX, true);
    CGraphView& v = *m_view;
    if (CVarnelDoc* doc = v.GetDoc()) doc->m_modified = 1;
    v.m_graphState = std::max<BYTE>(v.m_graphState, 2);
    const GraphScaleInfoStruct& x = m_records[0];
    if (x.autoScale) {
        v.ApplyAxisScales(0, FALSE, 0);
        v.m_xAxis.yAutoscale = v.m_savedXAxis.yAutoscale = 1;
    } else {
        const double lo = x.minimum - (v.m_barGraph ? 1.0 : 0.0);
        v.SetAxisRange(1, lo, x.maximum, FALSE, TRUE);
        v.m_savedXAxis.yAutoscale = 0;
        v.m_savedXAxis.yMin = lo;
        v.m_savedXAxis.yMax = x.maximum;
    }
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
    }
    if (CVarnelDoc* doc = v.GetDoc()) doc->m_formatScaleSettings = TRUE;
}

// ---- Lines ----

CGraphFormatLines::CGraphFormatLines() : CPropertyPage(FormatLinesTemplate()) {}

BOOL CGraphFormatLines::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    SetDlgItemText(IDC_FORMAT_SELECT_LABEL, "Select plot :");
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
    x.lineStyle = -1;
    x.lineWidth = 0xFFFF;
    x.lineVisible = TRUE;
    x.markerStyle = -1;
    m_records.push_back(x);
    for (int p = 0; p < v.m_plotCount; ++p) {
        const PlotRecordStruct& r = v.m_plots[p];
        combo->AddString(EntryText(v, p + 1));
        m_records.push_back({r.colour, r.lineStyle, r.lineWidth, TRUE, r.markerColour, r.pointStyle,
                             r.pointsSwitch ? TRUE : FALSE});
    }
    combo->SetCurSel(0);
    ShowEntry(0);
}

void CGraphFormatLines::ShowEntry(int) {}

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
