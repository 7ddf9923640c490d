#include "app/message_dialog.h"

#include "RES/dialogs/message_dialog.h"
#include "logger/logger_messages.h"

CMessageDialog::CMessageDialog(CWnd* parent) : CDialog(MessageDialogTemplate(), parent) {}

void CMessageDialog::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, IDOK, m_close);
    DDX_Control(dx, IDCANCEL, m_cancel);
    DDX_Control(dx, IDC_MESSAGE_TEXT, m_message);
}

BOOL CMessageDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    SetWindowText("Status");
    m_close.SetWindowText("Close");
    m_cancel.SetWindowText("Cancel");
    return TRUE;
}

void CMessageDialog::SetMessage(const CString& text) {
    if (m_message.m_hWnd) m_message.SetWindowText(text);
}

void CMessageDialog::OnOK() {
    ::SendMessage(m_notifyWindow, UM_STATUS_MESSAGE, 0, 0);
}

void CMessageDialog::OnCancel() {
    OnOK();
}
