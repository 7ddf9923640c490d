#pragma once
// The program's modal message box: a text, one of four button sets, and the code of the button
// that ended it.

#include "logger/user_prompt.h"
#include "platform/ui/dialog.h"

// Button sets, and the program's own results beside IDOK, IDCANCEL, IDYES and IDNO.
constexpr UINT MSG_SET_OK = 0;
constexpr UINT MSG_SET_YESNOCANCEL = 3;
constexpr UINT MSG_SET_YESNO = 4;
constexpr UINT MSG_SET_SAVEDELETECANCEL = 6;
constexpr int IDMSG_DELETE = 3;
constexpr int IDMSG_SAVE = 4;

class CMsgDialog : public CDialog {
public:
    CMsgDialog(const CString& text, UINT buttonSet, CWnd* parent = nullptr);

    int m_result = IDCANCEL;  // the code of the button that ended the dialog
    BOOL m_showAgain = TRUE;  // cleared while "Don't show this message again" is checked

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;
    void OnCancel() override;
    void OnDelete();
    void OnSave();
    void OnYes();
    void OnNo();
    void OnDontShowAgain();
    int DefaultButton() const;
    DECLARE_MESSAGE_MAP()

private:
    CButton m_delete, m_save, m_yes, m_ok, m_no, m_cancel;
    CButton m_dontShow;
    CStatic m_textStatic;
    UINT m_buttonSet;
    CString m_text;
};

// The application's prompt: CMsgDialog for ShowMessage, the standard box for the rest, both over
// the main window.
class CMsgDialogPrompt : public CUserPrompt {
public:
    BYTE ShowMessage(const CString& text, UINT buttonSet, BOOL& showAgain) override;
    int MessageBox(const CString& text, const CString& caption, UINT type) override;
};
