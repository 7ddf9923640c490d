#pragma once
// The photogate timing wizard: page 1 chooses what is measured (0 time, 1 velocity,
// 2 acceleration), page 2 how the gates are used (0 one gate, 1 two gates, 2 the extra method)
// and the one length that needs, in centimetres. The "Timing parameter" dialog edits that length
// alone.

#include "platform/activex/instruments.h"
#include "platform/ui/property_sheet.h"

class CVarnelDoc;

// The length a measurement and method use: the second distance (between the gates) for Time, and
// for Velocity between two gates; the first (the flag's width) otherwise.
bool UsesSecondDistance(int measurement, int method);
// A length as the user reads and types it: two decimals, trailing zeros trimmed; text that is not
// a number reads as 0.
CString FormatLength(double centimetres);
double ParseLength(const CString& text);

class CTimingTypeSelectionDialog : public CPropertyPage {
public:
    CTimingTypeSelectionDialog();
    WORD m_measurement = 0;

protected:
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    void OnTime() { m_measurement = 0; }
    void OnVelocity() { m_measurement = 1; }
    void OnAcceleration();
    DECLARE_MESSAGE_MAP()
};

class CTimingParametersDialog : public CPropertyPage {
public:
    CTimingParametersDialog();
    // Captions, the checked method and the length shown, for the page 1 measurement.
    void UpdateMethodControls();
    // Shows a picture from the program folder; a missing file leaves the button without one.
    void SetPicture(const CString& file);
    BYTE m_method = 0;
    double m_distance1 = 3.0;
    double m_distance2 = 3.0;

protected:
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    BOOL OnKillActive() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnOneGate();
    void OnTwoGates();
    void OnExtra();
    void OnLengthKillFocus();
    DECLARE_MESSAGE_MAP()

private:
    int Measurement() const;
    CCWButton m_picture;
};

class CTimingWizard : public CPropertySheet {
public:
    static constexpr UINT kFinishId = 4929;
    // How far Cancel moves left to make room for Finish, in pixels.
    static constexpr int kCancelShift = 250;

    // `mode` 1: run for a stored timing data set being downloaded.
    CTimingWizard(LPCTSTR caption, CVarnelDoc* doc, CWnd* parent, BYTE mode);
    CTimingTypeSelectionDialog m_typePage;
    CTimingParametersDialog m_parametersPage;
    // Finish stores the four values in the document's settings (and saves them).
    BYTE m_writeBack = 1;
    BYTE m_mode = 0;

    // A stored set was recorded between two gates, for time or velocity: other choices cannot
    // be computed from it.
    void ApplyStoredSetRestriction();

protected:
    BOOL OnInitDialog() override;
    void OnWizardFinish() override;
    void OnFinish();
    DECLARE_MESSAGE_MAP()

private:
    void PlaceButtons();

    CVarnelDoc* m_doc;
    CButton m_finish;
};

class CTimingLaunchParameterDialog : public CDialog {
public:
    explicit CTimingLaunchParameterDialog(CWnd* parent = nullptr);
    BYTE m_measurement = 0;
    BYTE m_method = 0;
    double m_distance1 = 3.0;
    double m_distance2 = 3.0;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnLengthKillFocus();
    DECLARE_MESSAGE_MAP()
};
