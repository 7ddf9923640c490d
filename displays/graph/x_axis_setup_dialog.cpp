#include "displays/graph/x_axis_setup_dialog.h"

#include <cmath>

#include "RES/dialogs/x_axis_setup.h"
#include "displays/sensor_properties_dialog.h"
#include "logger/helpers.h"
#include "platform/ui/color_dialog.h"

namespace {

constexpr short kTime = -1;

// Rates whose scrolling window shows ten seconds, so the automatic time range does too.
bool TenSecondWindow(WORD code) {
    return code == 32 || code == 64 || code == 128 || code == 255 || (code >= 41 && code <= 51);
}

CString BitName(BYTE bit) {
    switch (bit) {
        case 16:
            return "Temperature";
        case 4:
            return "Light";
        case 32:
            return "Humidity";
        case 64:
            return "Pressure";
        case 128:
            return "Sound";
        case 1:
            return "External 1";
        case 2:
            return "External 2";
        default:
            return "";
    }
}

}  // namespace

BEGIN_MESSAGE_MAP(CXAxisSetupDisplayProperties, CDialog)
ON_CBN_SELCHANGE(IDC_XAXIS_MEASUREMENT, OnMeasurement)
ON_BN_CLICKED(IDC_XAXIS_AUTO_SCALE, OnAutoScale)
ON_EN_KILLFOCUS(IDC_XAXIS_MIN, OnMinimumDone)
ON_EN_KILLFOCUS(IDC_XAXIS_MAX, OnMaximumDone)
END_MESSAGE_MAP()

CXAxisSetupDisplayProperties::CXAxisSetupDisplayProperties(CWnd* parent)
    : CDialog(XAxisSetupTemplate(), parent) {}

void CXAxisSetupDisplayProperties::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_XAXIS_COLOR, m_color);
    DDX_Control(dx, IDC_XAXIS_PICKER, m_picker);
}

CXAxisSetupDisplayProperties::Channel CXAxisSetupDisplayProperties::ChannelAt(int i) const {
    if (i >= 0 && i < static_cast<int>(m_channels.size()))
        return m_channels[static_cast<size_t>(i)];
    Channel c;
    if (i >= 0 && i < m_count) c.name = BitName(m_sensorBits[i]);
    return c;
}

BOOL CXAxisSetupDisplayProperties::OnInitDialog() {
    CDialog::OnInitDialog();
    if (m_record) m_edit = *m_record;
    if (m_edit.index < kTime || m_edit.index >= m_count) m_edit.index = kTime;
    SetWindowText("X Axis Properties");
    SetDlgItemText(IDC_XAXIS_MEASUREMENT_LABEL, "Select measurment : ");
    SetDlgItemText(IDC_XAXIS_COLOR_LABEL, "Color :");
    SetDlgItemText(IDC_XAXIS_AUTO_SCALE, "Auto scale");
    SetDlgItemText(IDC_XAXIS_MAX_LABEL, "Max :");
    SetDlgItemText(IDC_XAXIS_MIN_LABEL, "Min :");
    SetDlgItemText(IDCANCEL, "Cancel");
    SetDlgItemText(IDOK, "OK");
    if (auto* list = dynamic_cast<CComboBox*>(GetDlgItem(IDC_XAXIS_MEASUREMENT))) {
        list->ResetContent();
        list->AddString("Time");
        for (int i = 0; i < m_count; ++i)
            list->AddString(ChannelAt(i).name);
    }
    GetEventSinks().On(IDC_XAXIS_PICKER, DISPID_CLICK, [this] { OnPickColor(); });
    UpdateControls();
    return TRUE;
}

void CXAxisSetupDisplayProperties::ShowColor(COLORREF color) {
    m_color.ResetContent();
    if (m_color.m_arColors.empty()) m_color.m_arColors.resize(1);
    m_color.m_arColors[0] = color;
    m_color.AddString("");
    m_color.SetCurSel(0);
    m_color.Invalidate();
}

void CXAxisSetupDisplayProperties::UpdateControls() {
    ShowColor(static_cast<COLORREF>(m_edit.color));
    if (auto* list = dynamic_cast<CComboBox*>(GetDlgItem(IDC_XAXIS_MEASUREMENT)))
        list->SetCurSel(m_edit.index + 1);
    CheckDlgButton(IDC_XAXIS_AUTO_SCALE, m_edit.autoScale ? BST_CHECKED : BST_UNCHECKED);
    GetDlgItem(IDC_XAXIS_MIN)->EnableWindow(!m_edit.autoScale);
    GetDlgItem(IDC_XAXIS_MAX)->EnableWindow(!m_edit.autoScale);
    ShowRange();
}

void CXAxisSetupDisplayProperties::ShowRange() {
    const RateInfoStruct rate = RateInfo(m_rateCode);
    if (m_edit.index == kTime) {
        if (m_edit.autoScale) {
            m_edit.minimum = 0;
            m_edit.maximum = TenSecondWindow(m_rateCode) && rate.intervalSeconds > 0
                                 ? std::floor(10.0 / rate.intervalSeconds)
                                 : 10.0;
        }
        const double d = rate.timeUnit == kTimeUnitMilliseconds ? 1000.0 : 1.0;
        m_shownMin = CString::Formatted("%.2f", m_edit.minimum * rate.unitInterval / d);
        m_shownMax = CString::Formatted("%.2f", m_edit.maximum * rate.unitInterval / d);
    } else {
        if (m_edit.autoScale) {
            const Channel c = ChannelAt(m_edit.index);
            m_edit.minimum = 0.15 * c.minimum;
            m_edit.maximum = 0.15 * c.maximum;
        }
        m_shownMin = CString::Formatted("%.2f", m_edit.minimum);
        m_shownMax = CString::Formatted("%.2f", m_edit.maximum);
    }
    SetDlgItemText(IDC_XAXIS_MIN, m_shownMin);
    SetDlgItemText(IDC_XAXIS_MAX, m_shownMax);
}

void CXAxisSetupDisplayProperties::OnMeasurement() {
    auto* list = dynamic_cast<CComboBox*>(GetDlgItem(IDC_XAXIS_MEASUREMENT));
    if (!list) return;
    const int sel = list->GetCurSel();
    if (sel < 0 || sel > m_count) return;
    m_edit.index = static_cast<short>(sel - 1);
    // Time has no sensor of its own.
    m_edit.sensorBit = sel == 0 ? 0 : m_sensorBits[sel - 1];
    m_edit.autoScale = 1;
    UpdateControls();
}

void CXAxisSetupDisplayProperties::OnAutoScale() {
    const bool on = IsDlgButtonChecked(IDC_XAXIS_AUTO_SCALE) == BST_CHECKED;
    m_edit.autoScale = on ? 1 : 0;
    GetDlgItem(IDC_XAXIS_MIN)->EnableWindow(!on);
    GetDlgItem(IDC_XAXIS_MAX)->EnableWindow(!on);
    if (on) ShowRange();
}

void CXAxisSetupDisplayProperties::TakeRangeEdit(bool minimum) {
    double typed = 0;
    const CString text = GetDlgItemText(static_cast<int>(minimum ? IDC_XAXIS_MIN : IDC_XAXIS_MAX));
    double& field = minimum ? m_edit.minimum : m_edit.maximum;
    // An edit left as shown keeps the value it shows rounded.
    if (text == (minimum ? m_shownMin : m_shownMax)) return;
    if (!CSensorPropertiesDialog::ParseNumber(text, typed)) {
        ShowRange();
        return;
    }
    if (m_edit.index != kTime) {
        field = typed;
        (minimum ? m_shownMin : m_shownMax) = text;
        return;
    }
    // An unknown rate has no interval to count samples by.
    const RateInfoStruct rate = RateInfo(m_rateCode);
    if (rate.unitInterval <= 0) {
        ShowRange();
        return;
    }
    field = typed / rate.unitInterval * (rate.timeUnit == kTimeUnitMilliseconds ? 1000.0 : 1.0);
    (minimum ? m_shownMin : m_shownMax) = text;
}

void CXAxisSetupDisplayProperties::OnMinimumDone() {
    TakeRangeEdit(true);
}

void CXAxisSetupDisplayProperties::OnMaximumDone() {
    TakeRangeEdit(false);
}

void CXAxisSetupDisplayProperties::OnPickColor() {
    CColorDialog picker(static_cast<COLORREF>(m_edit.color), 0, this);
    if (picker.DoModal() != IDOK) return;
    m_edit.color = static_cast<LONG>(picker.GetColor());
    ShowColor(static_cast<COLORREF>(m_edit.color));
}

void CXAxisSetupDisplayProperties::OnOK() {
    // A range typed but not yet left counts as left.
    if (!m_edit.autoScale) {
        TakeRangeEdit(true);
        TakeRangeEdit(false);
    }
    if (m_record) *m_record = m_edit;
    CDialog::OnOK();
}
