#pragma once
// The photogate timing wizard, in its first form: it carries the measurement (0 time, 1 velocity,
// 2 acceleration), the method (0 one gate, 1 two gates, 2 the extra method) and the two lengths in
// centimetres, and Finish ends it with ID_WIZFINISH, storing them in the settings when asked to.

#include "RES/dialogs/timing_wizard.h"
#include "platform/ui/dialog.h"

class CVarnelDoc;

class CTimingWizard : public CDialog {
public:
    // `mode` 1: run for a stored timing data set being downloaded.
    CTimingWizard(LPCTSTR caption, CVarnelDoc* doc, CWnd* parent, BYTE mode);

    struct {
        WORD m_measurement = 0;
    } m_typePage;
    struct {
        BYTE m_method = 0;
        double m_distance1 = 3.0;
        double m_distance2 = 3.0;
    } m_parametersPage;
    // Finish stores the four values in the document's settings.
    BYTE m_writeBack = 1;
    BYTE m_mode = 0;

protected:
    BOOL OnInitDialog() override;
    void OnFinish();
    DECLARE_MESSAGE_MAP()

private:
    CString m_caption;
    CVarnelDoc* m_doc;
};
