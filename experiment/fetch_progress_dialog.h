#pragma once
// The modeless "Download Progress" box that the document keeps open while a stored set or run
// is downloaded: a bar and a percent over the total it is given, and Cancel.

#include "platform/ui/dialog.h"
#include "platform/ui/progress_ctrl.h"

class CFetchProgressDialog : public CDialog {
public:
    explicit CFetchProgressDialog(CWnd* parent = nullptr);

    // The bar runs from 0 to 100 percent of `total` (at least 1); progress is shown from now on.
    void SetTotal(DWORD total);
    // Shows done x 100 / total percent.
    void SetProgress(DWORD done);
    // The byte Cancel sets to 1. It belongs to the creator and must outlive the box.
    void SetCancelFlag(BYTE* flag) { m_cancelFlag = flag; }
    bool IsActive() const { return m_active; }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    // Cancel hides the box and tells the download; the box stays for its owner to destroy and
    // delete, so that nobody holds a box that is gone.
    void OnCancel() override;
    // There is no OK: Enter would end the box behind its owner's back.
    void OnOK() override {}

private:
    CButton m_cancel;
    CStatic m_text;
    CStatic m_percent;
    CProgressCtrl m_progress;
    DWORD m_total = 1;
    bool m_active = false;
    BYTE* m_cancelFlag = nullptr;
};
