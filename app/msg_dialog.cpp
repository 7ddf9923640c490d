#include "app/msg_dialog.h"

#include "RES/dialogs/msg_dialog.h"
#include "platform/ui/modal_host.h"
#include "platform/win/frame.h"

BEGIN_MESSAGE_MAP(CMsgDialog, CDialog)
ON_BN_CLICKED(IDC_MSG_DELETE, OnDelete)
ON_BN_CLICKED(IDC_MSG_SAVE, OnSave)
ON_BN_CLICKED(IDYES, OnYes)
ON_BN_CLICKED(IDNO, OnNo)
ON_BN_CLICKED(IDC_MSG_DONT_SHOW, OnDontShowAgain)
END_MESSAGE_MAP()

CMsgDialog::CMsgDialog(const CString& text, UINT buttonSet, CWnd* parent)
    : CDialog(MsgDialogTemplate(), parent), m_buttonSet(buttonSet), m_text(text) {}

void CMsgDialog::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, IDC_MSG_DELETE, m_delete);
    DDX_Control(dx, IDC_MSG_SAVE, m_save);
    DDX_Control(dx, IDYES, m_yes);
    DDX_Control(dx, IDOK, m_ok);
    DDX_Control(dx, IDNO, m_no);
    DDX_Control(dx, IDCANCEL, m_cancel);
    DDX_Control(dx, IDC_MSG_DONT_SHOW, m_dontShow);
    DDX_Control(dx, IDC_MSG_TEXT, m_textStatic);
}

BOOL CMsgDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    SetWindowText("Varnel");
    m_yes.SetWindowText("Yes");
    m_ok.SetWindowText("OK");
    m_no.SetWindowText("No");
    m_cancel.SetWindowText("Cancel");
    m_delete.SetWindowText("Delete");
    m_save.SetWindowText("Save");

    // The places of the shown buttons, in client pixels, by button set.
    struct Place {
        CButton* button;
        CRect rect;
    };
    std::vector<Place> shown;
    switch (m_buttonSet) {
        case MSG_SET_YESNOCANCEL:
            shown = {{&m_yes, {80, 88, 156, 111}},
                     {&m_no, {177, 88, 252, 111}},
                     {&m_cancel, {274, 88, 350, 111}}};
            break;
        case MSG_SET_YESNO:
            shown = {{&m_yes, {128, 88, 204, 111}}, {&m_no, {225, 88, 301, 111}}};
            break;
        case MSG_SET_SAVEDELETECANCEL:
            shown = {{&m_delete, {80, 88, 156, 111}},
                     {&m_cancel, {177, 88, 252, 111}},
                     {&m_save, {274, 88, 350, 111}}};
            break;
        default:
            shown = {{&m_ok, {177, 88, 252, 111}}};
            break;
    }
    for (CButton* b : {&m_delete, &m_save, &m_yes, &m_ok, &m_no, &m_cancel})
        b->ShowWindow(SW_HIDE);
    for (const Place& p : shown) {
        p.button->ShowWindow(SW_SHOW);
        // In the dialog font's pixels, so that the buttons stay below the text at any size.
        p.button->MoveWindow(platform::FontPixelsX(p.rect.left), platform::FontPixelsY(p.rect.top),
                             platform::FontPixelsX(p.rect.Width()),
                             platform::FontPixelsY(p.rect.Height()), TRUE);
    }
    m_textStatic.SetWindowText(m_text);
    // Enter answers with the set's default, which starts with the focus; the template's OK is
    // hidden in the other sets.
    const int defaultId = DefaultButton();
    SetDefID(static_cast<UINT>(defaultId));
    GotoDlgCtrl(GetDlgItem(defaultId));
    return FALSE;
}

int CMsgDialog::DefaultButton() const {
    switch (m_buttonSet) {
        case MSG_SET_YESNOCANCEL:
        case MSG_SET_YESNO:
            return IDYES;
        case MSG_SET_SAVEDELETECANCEL:
            return static_cast<int>(IDC_MSG_SAVE);  // never Delete: Enter must not throw data away
        default:
            return IDOK;
    }
}

// The dialog's OK command is its default button, whichever the set shows.
void CMsgDialog::OnOK() {
    switch (DefaultButton()) {
        case IDYES:
            OnYes();
            break;
        case IDC_MSG_SAVE:
            OnSave();
            break;
        default:
            m_result = IDOK;
            EndDialog(IDOK);
    }
}

void CMsgDialog::OnCancel() {
    m_result = IDCANCEL;
    EndDialog(IDCANCEL);
}

void CMsgDialog::OnDelete() {
    m_result = IDMSG_DELETE;
    EndDialog(IDOK);
}

void CMsgDialog::OnSave() {
    m_result = IDMSG_SAVE;
    EndDialog(IDOK);
}

void CMsgDialog::OnYes() {
    m_result = IDYES;
    EndDialog(IDOK);
}

void CMsgDialog::OnNo() {
    m_result = IDNO;
    EndDialog(IDCANCEL);
}

void CMsgDialog::OnDontShowAgain() {
    m_showAgain = m_dontShow.GetCheck() == BST_CHECKED ? FALSE : TRUE;
}

BYTE CMsgDialogPrompt::ShowMessage(const CString& text, UINT buttonSet, BOOL& showAgain) {
    CMsgDialog dialog(text, buttonSet, AfxGetMainWnd());
    dialog.DoModal();
    showAgain = dialog.m_showAgain;
    return static_cast<BYTE>(dialog.m_result);
}

int CMsgDialogPrompt::MessageBox(const CString& text, const CString& caption, UINT type) {
    return ::MessageBox(AfxGetMainWnd(), text, caption, type);
}
