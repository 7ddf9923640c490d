#pragma once
// The modeless "Status" box that the document keeps open during logger operations.

#include "platform/ui/dialog.h"

class CMessageDialog : public CDialog {
public:
    explicit CMessageDialog(CWnd* parent = nullptr);

    // The window told (UM_STATUS_MESSAGE, 0, 0) when the user presses Close.
    void SetNotifyWindow(HWND window) { m_notifyWindow = window; }
    void SetMessage(const CString& text);

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    // Close does not close the box: its owner destroys it on the message, maybe before this
    // returns.
    void OnOK() override;
    // Escape would only hide the box and leave its owner holding a box nobody sees: it is Close.
    void OnCancel() override;

private:
    CButton m_close;
    CButton m_cancel;
    CStatic m_message;
    HWND m_notifyWindow = nullptr;
};
