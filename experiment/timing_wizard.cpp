#include "experiment/timing_wizard.h"

#include "app/varnel_doc.h"
#include "logger/settings.h"

BEGIN_MESSAGE_MAP(CTimingWizard, CDialog)
ON_BN_CLICKED(IDC_TIMING_FINISH, OnFinish)
END_MESSAGE_MAP()

CTimingWizard::CTimingWizard(LPCTSTR caption, CVarnelDoc* doc, CWnd* parent, BYTE mode)
    : CDialog(TimingWizardTemplate(), parent), m_mode(mode), m_caption(caption), m_doc(doc) {}

BOOL CTimingWizard::OnInitDialog() {
    CDialog::OnInitDialog();
    SetWindowText(m_caption);
    return TRUE;
}

void CTimingWizard::OnFinish() {
    if (m_writeBack && m_doc) {
        CSettings& s = *m_doc->GetSettings();
        s.m_timingDistance1 = m_parametersPage.m_distance1;
        s.m_timingDistance2 = m_parametersPage.m_distance2;
        s.m_timingMethod = m_parametersPage.m_method;
        s.m_timingMeasurement = static_cast<BYTE>(m_typePage.m_measurement);
    }
    EndDialog(ID_WIZFINISH);
}
