#pragma once
// Help > About.

#include "app/hyper_link.h"
#include "platform/ui/dialog.h"

class CAboutDlg : public CDialog {
public:
    static constexpr const char* kVersionText = "Varnel Version 3.3.11";
    explicit CAboutDlg(CWnd* parent = nullptr);
    // The installed README, as a file: address.
    static CString ReadmeAddress();

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnOkButton() { EndDialog(IDOK); }
    DECLARE_MESSAGE_MAP()

private:
    CHyperLink m_link;
    CButton m_ok;
    CStatic m_version;
    CStatic m_notice;
};
