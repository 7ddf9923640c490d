#include "experiment/timing_wizard.h"

#include <QWidget>
#include <algorithm>
#include <cstdlib>

#include "RES/dialogs/timing_wizard.h"
#include "app/varnel_doc.h"
#include "logger/helpers.h"
#include "logger/settings.h"
#include "platform/base/log.h"
#include "platform/base/paths.h"

namespace {

constexpr const char* kStep1 = "Timing Wizard : Step 1 of 2 - Measurement";
constexpr const char* kStep2 = "Timing Wizard : Step 2 of 2 - Method";

void Show(CWnd* w, bool show) {
    if (w) w->ShowWindow(show ? SW_SHOW : SW_HIDE);
}

void Check(CDialog& d, int id, bool on) {
    if (auto* b = dynamic_cast<CButton*>(d.GetDlgItem(id))) b->SetCheck(on ? 1 : 0);
}

// Reads the length edit into the distance the choice uses, and shows it again.
void TakeLength(CDialog& d, int measurement, int method, double& first, double& second) {
    double& target = UsesSecondDistance(measurement, method) ? second : first;
    target = ParseLength(d.GetDlgItemText(IDC_TIMING_LENGTH));
    d.SetDlgItemText(IDC_TIMING_LENGTH, FormatLength(target));
}

// Shown by the choice, whether or not the dialog itself is on the screen yet.
bool LengthShown(const CDialog& d) {
    CWnd* edit = d.GetDlgItem(IDC_TIMING_LENGTH);
    return edit && edit->GetWidget() && !edit->GetWidget()->isHidden();
}

void Disable(CDialog& d, int id) {
    Check(d, id, false);
    if (CWnd* w = d.GetDlgItem(id)) w->EnableWindow(FALSE);
}

bool ForStoredSet(const CPropertyPage& page) {
    auto* wizard = dynamic_cast<CTimingWizard*>(page.GetSheet());
    return wizard && wizard->m_mode != 0;
}

// A control's rectangle in its dialog's client coordinates.
CRect ItemRect(CWnd& dialog, CWnd& item) {
    CRect r;
    item.GetWindowRect(&r);
    dialog.ScreenToClient(&r);
    return r;
}

}  // namespace

bool UsesSecondDistance(int measurement, int method) {
    return measurement == 0 || (measurement == 1 && method == 1);
}

CString FormatLength(double centimetres) {
    return FormatValue(centimetres, 2, false);
}

double ParseLength(const CString& text) {
    char* end = nullptr;
    const double v = std::strtod(text.GetString(), &end);
    return end == text.GetString() ? 0.0 : v;
}

// ---- page 1

BEGIN_MESSAGE_MAP(CTimingTypeSelectionDialog, CPropertyPage)
ON_BN_CLICKED(IDC_TIMING_TIME, OnTime)
ON_BN_CLICKED(IDC_TIMING_VELOCITY, OnVelocity)
ON_BN_CLICKED(IDC_TIMING_ACCELERATION, OnAcceleration)
END_MESSAGE_MAP()

CTimingTypeSelectionDialog::CTimingTypeSelectionDialog() : CPropertyPage(TimingTypeTemplate()) {
    m_title = kStep1;
}

BOOL CTimingTypeSelectionDialog::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    SetDlgItemText(IDC_TIMING_QUESTION, "What do you want to measure ?");
    SetDlgItemText(IDC_TIMING_TIME, "Time");
    SetDlgItemText(IDC_TIMING_VELOCITY, "Velocity");
    SetDlgItemText(IDC_TIMING_ACCELERATION, "Acceleration");
    Check(*this, IDC_TIMING_TIME, m_measurement == 0);
    Check(*this, IDC_TIMING_VELOCITY, m_measurement == 1);
    Check(*this, IDC_TIMING_ACCELERATION, m_measurement == 2);
    if (ForStoredSet(*this)) {
        if (m_measurement == 2) {
            m_measurement = 0;
            Check(*this, IDC_TIMING_TIME, true);
        }
        Disable(*this, IDC_TIMING_ACCELERATION);
    }
    return TRUE;
}

BOOL CTimingTypeSelectionDialog::OnSetActive() {
    if (CPropertySheet* sheet = GetSheet()) sheet->SetWizardButtons(PSWIZB_NEXT);
    return CPropertyPage::OnSetActive();
}

void CTimingTypeSelectionDialog::OnAcceleration() {
    m_measurement = 2;
    // Acceleration has no extra method.
    if (auto* wizard = dynamic_cast<CTimingWizard*>(GetSheet()))
        if (wizard->m_parametersPage.m_method == 2) wizard->m_parametersPage.m_method = 0;
}

// ---- page 2

BEGIN_MESSAGE_MAP(CTimingParametersDialog, CPropertyPage)
ON_BN_CLICKED(IDC_TIMING_ONE_GATE, OnOneGate)
ON_BN_CLICKED(IDC_TIMING_TWO_GATES, OnTwoGates)
ON_BN_CLICKED(IDC_TIMING_EXTRA, OnExtra)
ON_EN_KILLFOCUS(IDC_TIMING_LENGTH, OnLengthKillFocus)
END_MESSAGE_MAP()

CTimingParametersDialog::CTimingParametersDialog() : CPropertyPage(TimingParametersTemplate()) {
    m_title = kStep2;
}

int CTimingParametersDialog::Measurement() const {
    auto* wizard = dynamic_cast<CTimingWizard*>(GetSheet());
    return wizard ? wizard->m_typePage.m_measurement : 0;
}

void CTimingParametersDialog::DoDataExchange(CDataExchange* dx) {
    CPropertyPage::DoDataExchange(dx);
    DDX_Control(dx, IDC_TIMING_PICTURE, m_picture);
}

void CTimingParametersDialog::SetPicture(const CString& file) {
    if (!m_picture.GetSafeHwnd()) return;
    CDispatchDriver picture = m_picture.GetImage().GetObject(256);
    picture.SetString(1, platform::PathJoin(GetExeFolder(), file));
    // A missing file keeps the face plain; nobody is told.
    if (FAILED(picture.InvokeMethod(8)))
        qCDebug(lcExperiment, "no timing picture %s", file.GetString());
    picture.SetBool(4, false);
}

BOOL CTimingParametersDialog::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    UpdateMethodControls();
    if (ForStoredSet(*this)) {
        if (m_method != 1) {
            m_method = 1;
            UpdateMethodControls();
        }
        Disable(*this, IDC_TIMING_ONE_GATE);
        Disable(*this, IDC_TIMING_EXTRA);
    }
    return TRUE;
}

BOOL CTimingParametersDialog::OnSetActive() {
    if (Measurement() == 2 && m_method == 2) m_method = 0;
    UpdateMethodControls();
    if (CPropertySheet* sheet = GetSheet()) sheet->SetWizardButtons(PSWIZB_BACK);
    return CPropertyPage::OnSetActive();
}

BOOL CTimingParametersDialog::OnKillActive() {
    if (LengthShown(*this)) OnLengthKillFocus();
    return TRUE;
}

void CTimingParametersDialog::OnOneGate() {
    m_method = 0;
    UpdateMethodControls();
}

void CTimingParametersDialog::OnTwoGates() {
    m_method = 1;
    UpdateMethodControls();
}

void CTimingParametersDialog::OnExtra() {
    m_method = 2;
    UpdateMethodControls();
}

void CTimingParametersDialog::OnLengthKillFocus() {
    TakeLength(*this, Measurement(), m_method, m_distance1, m_distance2);
}

void CTimingParametersDialog::UpdateMethodControls() {
    const int measurement = Measurement();
    SetDlgItemText(IDC_TIMING_ONE_GATE, "At one gate");
    SetDlgItemText(IDC_TIMING_TWO_GATES, "Between gates");
    SetDlgItemText(IDC_TIMING_UNIT, "cm");
    const bool length = measurement != 0;
    Show(GetDlgItem(IDC_TIMING_LABEL), length);
    Show(GetDlgItem(IDC_TIMING_LENGTH), length);
    Show(GetDlgItem(IDC_TIMING_UNIT), length);
    Show(GetDlgItem(IDC_TIMING_EXTRA), measurement != 2);
    SetDlgItemText(IDC_TIMING_EXTRA, measurement == 0   ? "Pendulum (one gate)"
                                     : measurement == 1 ? "Collision (two gates)"
                                                        : "");
    if (measurement == 2 && m_method == 2) return;
    static constexpr const char* kPictures[3][3] = {
        {"timing wizard TV1.xpm", "timing wizard TV2.xpm", "timing wizard pendulum1.xpm"},
        {"timing wizard TV1.xpm", "timing wizard TV2.xpm", "timing wizard collision2.xpm"},
        {"timing wizard a1.xpm", "timing wizard a2.xpm", nullptr},
    };
    if (m_method <= 2 && measurement >= 0 && measurement <= 2 && kPictures[measurement][m_method])
        SetPicture(platform::PathJoin("timing_images", kPictures[measurement][m_method]));
    Check(*this, IDC_TIMING_ONE_GATE, m_method == 0);
    Check(*this, IDC_TIMING_TWO_GATES, m_method == 1);
    Check(*this, IDC_TIMING_EXTRA, m_method == 2);
    if (!length) return;
    const bool second = UsesSecondDistance(measurement, m_method);
    SetDlgItemText(IDC_TIMING_LABEL, second ? "Distance :" : "Width :");
    SetDlgItemText(IDC_TIMING_LENGTH, FormatLength(second ? m_distance2 : m_distance1));
}

// ---- the wizard

BEGIN_MESSAGE_MAP(CTimingWizard, CPropertySheet)
ON_COMMAND(CTimingWizard::kFinishId, OnFinish)
END_MESSAGE_MAP()

CTimingWizard::CTimingWizard(LPCTSTR caption, CVarnelDoc* doc, CWnd* parent, BYTE mode)
    : CPropertySheet(caption, parent), m_mode(mode), m_doc(doc) {
    AddPage(&m_typePage);
    AddPage(&m_parametersPage);
    SetWizardMode();
}

void CTimingWizard::ApplyStoredSetRestriction() {
    if (!m_mode) return;
    if (m_typePage.m_measurement == 2) m_typePage.m_measurement = 0;
    m_parametersPage.m_method = 1;
}

BOOL CTimingWizard::OnInitDialog() {
    // The caller sets the values after construction; Finish may come before page 2 is ever made.
    ApplyStoredSetRestriction();
    CPropertySheet::OnInitDialog();
    SetDlgItemText(IDCANCEL, "Cancel");
    SetDlgItemText(ID_WIZNEXT, "Next");
    SetDlgItemText(ID_WIZBACK, "Back");
    PlaceButtons();
    return TRUE;
}

void CTimingWizard::PlaceButtons() {
    CWnd* cancel = GetDlgItem(IDCANCEL);
    CWnd* back = GetDlgItem(ID_WIZBACK);
    CWnd* next = GetDlgItem(ID_WIZNEXT);
    if (!cancel || !back || !next || !GetWidget()) return;
    // Our own Finish takes the sheet's place for it.
    if (CWnd* sheetFinish = GetDlgItem(ID_WIZFINISH)) {
        sheetFinish->ShowWindow(SW_HIDE);
        sheetFinish->EnableWindow(FALSE);
    }
    CRect finish = ItemRect(*this, *cancel);
    const int width = finish.Width(), height = finish.Height(), gap = 6;
    // Cancel lands 250 px left of Finish, with Back and Next before it; the sheet grows to the
    // right where they would not fit.
    const int step = width + gap;
    const int grow = std::max(0, gap - (finish.left - kCancelShift - 2 * step));
    if (grow > 0) {
        QWidget* w = GetWidget();
        w->setFixedSize(w->width() + grow, w->height());
        finish.OffsetRect(grow, 0);
    }
    const int cancelLeft = finish.left - kCancelShift;
    cancel->MoveWindow(cancelLeft, finish.top, width, height);
    back->MoveWindow(cancelLeft - 2 * step, finish.top, width, height);
    next->MoveWindow(cancelLeft - step, finish.top, width, height);
    m_finish.Create("Finish", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, finish, this,
                    kFinishId);
    m_finish.SetFont(GetFont());
    cancel->ShowWindow(SW_SHOW);
}

void CTimingWizard::OnWizardFinish() {
    OnFinish();
}

void CTimingWizard::OnFinish() {
    if (CPropertyPage* page = GetActivePage(); page && !page->OnKillActive()) return;
    ApplyStoredSetRestriction();
    if (m_writeBack && m_doc) {
        CSettings& s = *m_doc->GetSettings();
        s.m_timingDistance1 = m_parametersPage.m_distance1;
        s.m_timingDistance2 = m_parametersPage.m_distance2;
        s.m_timingMethod = m_parametersPage.m_method;
        s.m_timingMeasurement = static_cast<BYTE>(m_typePage.m_measurement);
        if (!s.Save()) qCWarning(lcExperiment, "the settings could not be saved");
    }
    EndDialog(ID_WIZFINISH);
}

// ---- "Timing parameter"

BEGIN_MESSAGE_MAP(CTimingLaunchParameterDialog, CDialog)
ON_EN_KILLFOCUS(IDC_TIMING_LENGTH, OnLengthKillFocus)
END_MESSAGE_MAP()

CTimingLaunchParameterDialog::CTimingLaunchParameterDialog(CWnd* parent)
    : CDialog(TimingLaunchParameterTemplate(), parent) {}

BOOL CTimingLaunchParameterDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    SetDlgItemText(IDOK, "OK");
    SetDlgItemText(IDCANCEL, "Cancel");
    SetWindowText("Timing parameter");
    SetDlgItemText(IDC_TIMING_LAUNCH_UNIT, "cm");
    if (m_measurement != 1 && m_measurement != 2) return TRUE;
    if (m_measurement == 2 && m_method == 2) return TRUE;
    Show(GetDlgItem(IDC_TIMING_LAUNCH_UNIT), true);
    Show(GetDlgItem(IDC_TIMING_LABEL), true);
    Show(GetDlgItem(IDC_TIMING_LENGTH), true);
    const bool second = UsesSecondDistance(m_measurement, m_method);
    SetDlgItemText(IDC_TIMING_LABEL, second ? "Distance :" : "Width :");
    SetDlgItemText(IDC_TIMING_LENGTH, FormatLength(second ? m_distance2 : m_distance1));
    return TRUE;
}

void CTimingLaunchParameterDialog::OnLengthKillFocus() {
    TakeLength(*this, m_measurement, m_method, m_distance1, m_distance2);
}

void CTimingLaunchParameterDialog::OnOK() {
    // OK without leaving the edit still takes what was typed.
    if (LengthShown(*this)) OnLengthKillFocus();
    CDialog::OnOK();
}
