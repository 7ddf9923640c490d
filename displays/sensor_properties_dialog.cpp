#include "displays/sensor_properties_dialog.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "RES/dialogs/sensor_properties.h"
#include "RES/plot_style_bitmaps.h"
#include "app/varnel_doc.h"
#include "logger/settings.h"
#include "models/sensor_units.h"
#include "platform/ui/color_dialog.h"

namespace {

constexpr LONG kSolid = 1, kSecondStyle = 4;
constexpr COLORREF kWhite = RGB(255, 255, 255);

}  // namespace

BEGIN_MESSAGE_MAP(CSensorPropertiesDialog, CDialog)
ON_CBN_SELCHANGE(IDC_PROP_LINE_STYLE, OnLineStyle)
ON_CBN_SELCHANGE(IDC_PROP_LINE_WEIGHT, OnLineWeight)
ON_CBN_SELCHANGE(IDC_PROP_MARKER_STYLE, OnMarkerStyle)
ON_BN_CLICKED(IDC_PROP_LINE_VISIBLE, OnLineVisible)
ON_BN_CLICKED(IDC_PROP_MARKER_VISIBLE, OnMarkerVisible)
ON_BN_CLICKED(IDC_PROP_AUTO_SCALE, OnAutoScale)
ON_EN_KILLFOCUS(IDC_PROP_MIN, OnMinimumDone)
ON_EN_KILLFOCUS(IDC_PROP_MAX, OnMaximumDone)
END_MESSAGE_MAP()

CSensorPropertiesDialog::CSensorPropertiesDialog(CWnd* parent)
    : CDialog(SensorPropertiesTemplate(), parent) {}

void CSensorPropertiesDialog::SetChannelRecord(LaunchChannelStruct* record) {
    m_record = record;
    if (record) m_edit = *record;
}

void CSensorPropertiesDialog::SetSensor(BOOL external, int id) {
    m_external = external;
    m_sensorId = id;
}

int CSensorPropertiesDialog::MarkerEntry(LONG code) {
    for (int i = 0; i < kMarkerStyles; ++i)
        if (kMarkerCodes[i] == code) return i;
    return -1;
}

bool CSensorPropertiesDialog::ParseNumber(const CString& text, double& value) {
    const std::string s = text.str();
    const size_t first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return false;
    const size_t last = s.find_last_not_of(" \t");
    const std::string body = s.substr(first, last - first + 1);
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(body.c_str(), &end);
    if (end != body.c_str() + body.size() || errno == ERANGE || !std::isfinite(v)) return false;
    value = v;
    return true;
}

void CSensorPropertiesDialog::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_PROP_LINE_COLOR, m_lineColor);
    DDX_Control(dx, IDC_PROP_MARKER_COLOR, m_markerColor);
    DDX_Control(dx, IDC_PROP_LINE_STYLE, m_lineStyle);
    DDX_Control(dx, IDC_PROP_LINE_WEIGHT, m_lineWeight);
    DDX_Control(dx, IDC_PROP_MARKER_STYLE, m_markerStyle);
    DDX_Control(dx, IDC_PROP_LINE_PICKER, m_linePicker);
    DDX_Control(dx, IDC_PROP_MARKER_PICKER, m_markerPicker);
}

void CSensorPropertiesDialog::BuildPictureCombo(CComboBoxEx& combo, CImageList& list, UINT bitmap,
                                                int width, int count) {
    CBitmap strip;
    if (list.GetImageCount() == 0 && strip.LoadBitmap(bitmap)) {
        list.Create(width, strip.GetSize().cy, ILC_COLOR | ILC_MASK, count, 1);
        list.Add(&strip, kWhite);
    }
    combo.SetImageList(&list);
    combo.ResetContent();
    for (int i = 0; i < count; ++i) {
        COMBOBOXEXITEM item;
        item.mask = CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
        item.iItem = i;
        item.iImage = item.iSelectedImage = i;
        combo.InsertItem(&item);
    }
    combo.SetCurSel(0);
}

BOOL CSensorPropertiesDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    SetWindowText("Sensor display properties");
    SetDlgItemText(IDOK, "OK");
    SetDlgItemText(IDCANCEL, "Cancel");
    SetDlgItemText(IDC_PROP_PLOT_GROUP, "Plot");
    SetDlgItemText(IDC_PROP_LINE_GROUP, "Line");
    SetDlgItemText(IDC_PROP_MARKER_GROUP, "Markers");
    SetDlgItemText(IDC_PROP_LINE_VISIBLE, "Visible");
    SetDlgItemText(IDC_PROP_MARKER_VISIBLE, "Visible");
    SetDlgItemText(IDC_PROP_LINE_COLOR_LABEL, "Color :");
    SetDlgItemText(IDC_PROP_MARKER_COLOR_LABEL, "Color :");
    SetDlgItemText(IDC_PROP_LINE_STYLE_LABEL, "Style :");
    SetDlgItemText(IDC_PROP_MARKER_STYLE_LABEL, "Style :");
    SetDlgItemText(IDC_PROP_WEIGHT_LABEL, "Weight :");
    SetDlgItemText(IDC_PROP_SCALE_GROUP, "Scale");
    SetDlgItemText(IDC_PROP_AUTO_SCALE, "Auto scale");
    SetDlgItemText(IDC_PROP_MIN_LABEL, "Min :");
    SetDlgItemText(IDC_PROP_MAX_LABEL, "Max :");

    RegisterPlotStyleBitmaps();
    BuildPictureCombo(m_lineStyle, m_lineStyleImages, IDB_LINE_STYLES, 83, 2);
    BuildPictureCombo(m_lineWeight, m_lineWeightImages, IDB_LINE_WEIGHTS, 80, 3);
    BuildPictureCombo(m_markerStyle, m_markerStyleImages, IDB_MARKER_STYLES, 60, kMarkerStyles);

    GetEventSinks().On(IDC_PROP_LINE_PICKER, DISPID_CLICK, [this] { OnPickColor(true); });
    GetEventSinks().On(IDC_PROP_MARKER_PICKER, DISPID_CLICK, [this] { OnPickColor(false); });

    ShowColor(m_lineColor, static_cast<COLORREF>(m_edit.color));
    ShowColor(m_markerColor, static_cast<COLORREF>(m_edit.markerColor));
    CheckDlgButton(IDC_PROP_LINE_VISIBLE, m_edit.lineVisible ? BST_CHECKED : BST_UNCHECKED);
    m_lineWeight.SetCurSel(std::clamp((m_edit.lineWidth - 1) / 2, 0, 2));
    if (m_edit.lineStyle == kSecondStyle) {
        m_lineStyle.SetCurSel(1);
        m_lineWeight.SetCurSel(0);
    } else {
        m_lineStyle.SetCurSel(0);
    }
    EnableLineControls(m_edit.lineVisible != 0);
    CheckDlgButton(IDC_PROP_MARKER_VISIBLE, m_edit.markerVisible ? BST_CHECKED : BST_UNCHECKED);
    if (const int entry = MarkerEntry(m_edit.markerStyle); entry >= 0)
        m_markerStyle.SetCurSel(entry);
    CheckDlgButton(IDC_PROP_AUTO_SCALE, m_edit.autoScale ? BST_CHECKED : BST_UNCHECKED);
    GetDlgItem(IDC_PROP_MIN)->EnableWindow(!m_edit.autoScale);
    GetDlgItem(IDC_PROP_MAX)->EnableWindow(!m_edit.autoScale);
    ShowRange();
    return TRUE;
}

void CSensorPropertiesDialog::ShowColor(CColorComboEx& combo, COLORREF color) {
    combo.ResetContent();
    if (combo.m_arColors.empty()) combo.m_arColors.resize(1);
    combo.m_arColors[0] = color;
    combo.AddString("");
    combo.SetCurSel(0);
    combo.Invalidate();
}

// The second line style has a fixed weight.
void CSensorPropertiesDialog::EnableLineControls(BOOL enable) {
    m_lineColor.EnableWindow(enable);
    m_linePicker.EnableWindow(enable);
    m_lineStyle.EnableWindow(enable);
    m_lineWeight.EnableWindow(enable && m_edit.lineStyle != kSecondStyle);
}

void CSensorPropertiesDialog::ShowRange() {
    const CSettings* settings = m_doc ? m_doc->GetSettings() : nullptr;
    const SensorQuantity q = SensorQuantityOf(m_external, m_sensorId);
    double lo = m_edit.minimum, hi = m_edit.maximum;
    if (settings) {
        lo = ToDisplayUnit(*settings, q, lo);
        hi = ToDisplayUnit(*settings, q, hi);
    }
    m_shownMin = CString::Formatted("%.2f", lo);
    m_shownMax = CString::Formatted("%.2f", hi);
    SetDlgItemText(IDC_PROP_MIN, m_shownMin);
    SetDlgItemText(IDC_PROP_MAX, m_shownMax);
}

void CSensorPropertiesDialog::OnLineStyle() {
    if (m_lineStyle.GetCurSel() == 1) {
        m_edit.lineStyle = kSecondStyle;
        m_lineWeight.SetCurSel(0);
    } else {
        m_edit.lineStyle = kSolid;
    }
    m_lineWeight.EnableWindow(m_edit.lineStyle != kSecondStyle &&
                              IsDlgButtonChecked(IDC_PROP_LINE_VISIBLE));
    OnLineWeight();
    m_changed = TRUE;
}

void CSensorPropertiesDialog::OnLineWeight() {
    const int entry = std::max(m_lineWeight.GetCurSel(), 0);
    m_edit.lineWidth = static_cast<WORD>(2 * entry + 1);
}

// Line and markers are never both off: clearing the last one turns the other on.
void CSensorPropertiesDialog::OnLineVisible() {
    const bool line = IsDlgButtonChecked(IDC_PROP_LINE_VISIBLE) == BST_CHECKED;
    if (!line && IsDlgButtonChecked(IDC_PROP_MARKER_VISIBLE) != BST_CHECKED) {
        CheckDlgButton(IDC_PROP_MARKER_VISIBLE, BST_CHECKED);
        m_edit.markerVisible = 1;
        m_edit.markerStyle = kMarkerCodes[std::max(m_markerStyle.GetCurSel(), 0)];
    }
    EnableLineControls(line);
    m_edit.lineVisible = line ? 1 : 0;
}

void CSensorPropertiesDialog::OnMarkerVisible() {
    const bool markers = IsDlgButtonChecked(IDC_PROP_MARKER_VISIBLE) == BST_CHECKED;
    if (!markers && IsDlgButtonChecked(IDC_PROP_LINE_VISIBLE) != BST_CHECKED) {
        CheckDlgButton(IDC_PROP_LINE_VISIBLE, BST_CHECKED);
        m_edit.lineVisible = 1;
        EnableLineControls(TRUE);
    }
    m_edit.markerVisible = markers ? 1 : 0;
    m_edit.markerStyle = markers ? kMarkerCodes[std::max(m_markerStyle.GetCurSel(), 0)] : 0;
}

void CSensorPropertiesDialog::OnMarkerStyle() {
    const int entry = m_markerStyle.GetCurSel();
    if (entry >= 0 && entry < kMarkerStyles) m_edit.markerStyle = kMarkerCodes[entry];
}

void CSensorPropertiesDialog::OnAutoScale() {
    const bool on = IsDlgButtonChecked(IDC_PROP_AUTO_SCALE) == BST_CHECKED;
    m_edit.autoScale = on ? 1 : 0;
    GetDlgItem(IDC_PROP_MIN)->EnableWindow(!on);
    GetDlgItem(IDC_PROP_MAX)->EnableWindow(!on);
}

void CSensorPropertiesDialog::TakeRangeEdit(bool minimum) {
    double typed = 0;
    const CString text = GetDlgItemText(static_cast<int>(minimum ? IDC_PROP_MIN : IDC_PROP_MAX));
    if (text == (minimum ? m_shownMin : m_shownMax)) return;
    const CSettings* settings = m_doc ? m_doc->GetSettings() : nullptr;
    if (ParseNumber(text, typed)) {
        const double value =
            settings ? FromDisplayUnit(*settings, SensorQuantityOf(m_external, m_sensorId), typed)
                     : typed;
        const double lo = minimum ? value : m_edit.minimum;
        const double hi = minimum ? m_edit.maximum : value;
        if (std::isfinite(value) && hi > lo) {
            (minimum ? m_edit.minimum : m_edit.maximum) = value;
            (minimum ? m_shownMin : m_shownMax) = text;
            return;
        }
    }
    ShowRange();
}

void CSensorPropertiesDialog::OnMinimumDone() {
    TakeRangeEdit(true);
}

void CSensorPropertiesDialog::OnMaximumDone() {
    TakeRangeEdit(false);
}

void CSensorPropertiesDialog::OnPickColor(bool line) {
    CColorDialog picker(static_cast<COLORREF>(line ? m_edit.color : m_edit.markerColor), 0, this);
    if (picker.DoModal() != IDOK) return;
    const COLORREF color = picker.GetColor();
    if (line) {
        m_edit.color = static_cast<LONG>(color);
        ShowColor(m_lineColor, color);
        m_changed = TRUE;
    } else {
        m_edit.markerColor = static_cast<LONG>(color);
        ShowColor(m_markerColor, color);
    }
}

void CSensorPropertiesDialog::OnOK() {
    // A range typed but not yet left counts as left.
    if (!m_edit.autoScale) {
        TakeRangeEdit(true);
        TakeRangeEdit(false);
    }
    if (m_record) *m_record = m_edit;
    CDialog::OnOK();
}
