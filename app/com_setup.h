#pragma once
// Logger > Communication setup: the ports the next search tries, or work without a logger.

#include "platform/ui/check_list_box.h"
#include "platform/ui/dialog.h"

class CVarnelDoc;

class CComSetup : public CDialog {
public:
    static constexpr int kMaxPorts = 17;
    static constexpr WORD kNoPort = 65535;

    explicit CComSetup(CWnd* parent = nullptr);

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    // "Try to connect": a new search over exactly the checked ports.
    void OnOK() override;
    void OnWorkOffline();
    // The connected port and every port that can be opened now, each checked.
    void FillPortList();
    DECLARE_MESSAGE_MAP()

private:
    // Ends the run, closes the link and forgets the logger.
    void DropConnection();

    CStatic m_selectPort;
    CCheckListBox m_portList;
    CButton m_ok;
    CButton m_cancel;
    CButton m_workOffline;
    CVarnelDoc* m_pDoc = nullptr;
    WORD m_portNumbers[kMaxPorts];  // the COM number of each list entry
};
