#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "tests/support/harness.h"

namespace {

using testing_support::ModalScript;

const DialogTemplate kTemplate = {901,
                                  "Sample",
                                  0,
                                  0,
                                  200,
                                  90,
                                  DS_MODALFRAME | WS_CAPTION | WS_SYSMENU,
                                  "Tahoma",
                                  8,
                                  {
                                      dlg::LText("Name:", 10, 7, 7, 40, 8),
                                      dlg::EditText(11, 50, 5, 100, 12),
                                      dlg::CheckBox("Remember", 12, 7, 22, 80, 10),
                                      dlg::RadioButton("One", 13, 7, 36, 40, 10, WS_GROUP),
                                      dlg::RadioButton("Two", 14, 50, 36, 40, 10),
                                      dlg::ComboBox(15, 100, 36, 60, 60),
                                      dlg::Hidden(dlg::PushButton("Secret", 16, 7, 55, 50, 14)),
                                      dlg::DefPushButton("OK", IDOK, 90, 70, 50, 14),
                                      dlg::PushButton("Cancel", IDCANCEL, 145, 70, 50, 14),
                                  }};

class SampleDialog : public CDialog {
public:
    SampleDialog() : CDialog(kTemplate) {}
    CString name = "first";
    int remember = 0;
    int choice = 0;
    int comboChanges = 0;
    BOOL OnInitDialog() override {
        auto* combo = static_cast<CComboBox*>(GetDlgItem(15));
        combo->AddString("alpha");
        combo->AddString("beta");
        return CDialog::OnInitDialog();
    }
    void DoDataExchange(CDataExchange* dx) override {
        DDX_Text(dx, 11, name);
        DDX_Check(dx, 12, remember);
        DDX_Radio(dx, 13, choice);
    }
    void OnComboChange() { ++comboChanges; }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(SampleDialog, CDialog)
ON_CBN_SELCHANGE(15, OnComboChange)
END_MESSAGE_MAP()

class Modal : public testing_support::HarnessTest {};

TEST_F(Modal, AnsweredMessageBoxReturnsItsButton) {
    modals.ExpectMessage("Save changes?", IDNO).ExpectMessage("SetTimer failed", IDOK);
    EXPECT_EQ(MessageBox(nullptr, "Save changes?", "Varnel", MB_YESNOCANCEL), IDNO);
    EXPECT_EQ(MessageBox(nullptr, "SetTimer failed", "Error", MB_OK | MB_ICONERROR), IDOK);
    EXPECT_EQ(modals.Pending(), 0u);
}

TEST(ModalScript, UnexpectedModalsFailTheTestWithTheirText) {
    testing_support::ScopedVirtualClock clock;
    EXPECT_NONFATAL_FAILURE(
        {
            ModalScript script;
            EXPECT_EQ(MessageBox(nullptr, "Nobody expects me", "Varnel", MB_YESNO), IDNO);
        },
        "Nobody expects me");
    EXPECT_NONFATAL_FAILURE(
        {
            ModalScript script;
            SampleDialog d;
            EXPECT_EQ(d.DoModal(), IDCANCEL);
        },
        "Unexpected dialog 901");
    EXPECT_NONFATAL_FAILURE(
        {
            ModalScript script;
            script.ExpectMessage("never", IDOK);
        },
        "never shown");
}

TEST_F(Modal, DialogFromTemplateHasItsControlsAndExchangesData) {
    SampleDialog d;
    d.name = "Dorvik";
    modals.ExpectDialog(901, [](CDialog& dialog) {
        EXPECT_EQ(dialog.GetDlgItemText(10), "Name:");
        EXPECT_EQ(dialog.GetDlgItemText(11), "Dorvik");  // from the member
        EXPECT_EQ(dialog.GetDlgItemText(IDOK), "OK");
        EXPECT_EQ(dialog.GetWindowText(), "Sample");
        EXPECT_TRUE(dialog.GetDlgItem(IDOK)->IsWindowVisible());
        EXPECT_FALSE(dialog.GetDlgItem(16)->IsWindowVisible());
        // Control places follow the dialog units: (90, 70) is (135, 114) pixels.
        CRect r;
        dialog.GetDlgItem(IDOK)->GetWindowRect(&r);
        dialog.ScreenToClient(&r);
        EXPECT_EQ(r, CRect(135, 114, 210, 137));
        EXPECT_EQ(ModalScript::DialogText(dialog), "Name:");

        testing_support::TypeText(dialog, 11, "QK");
        testing_support::SetChecked(dialog, 12, true);
        testing_support::Press(dialog, 14);  // the second radio
        EXPECT_EQ(dialog.IsDlgButtonChecked(13), 0u);
        auto* combo = static_cast<CComboBox*>(dialog.GetDlgItem(15));
        EXPECT_EQ(combo->GetCount(), 2);
        EXPECT_EQ(combo->GetCurSel(), CB_ERR);
        combo->SetCurSel(1);  // the program's own change sends nothing
        testing_support::Press(dialog, IDOK);
    });
    EXPECT_EQ(d.DoModal(), IDOK);
    EXPECT_EQ(d.name, "QK");
    EXPECT_EQ(d.remember, 1);
    EXPECT_EQ(d.choice, 1);
    EXPECT_EQ(d.comboChanges, 0);
    EXPECT_EQ(d.m_hWnd, nullptr);  // destroyed after the modal run
}

TEST_F(Modal, EscapeAndTheCloseBoxCancel) {
    for (int way = 0; way < 2; ++way) {
        SampleDialog d;
        modals.ExpectDialog(901, [way](CDialog& dialog) {
            testing_support::TypeText(dialog, 11, "changed");
            if (way == 0)
                testing_support::PressEscape(dialog);
            else
                testing_support::PressCloseBox(dialog);
        });
        EXPECT_EQ(d.DoModal(), IDCANCEL);
        EXPECT_EQ(d.name, "first");
    }
}

// A modeless box whose Close button makes its owner destroy and delete it, from inside the
// button's own handler.
constexpr UINT UM_BOX_CLOSED = WM_USER + 50;

class StatusBox : public CDialog {
public:
    explicit StatusBox(CWnd* owner) : CDialog(kTemplate), m_owner(owner) {}
    void OnOK() override { m_owner->SendMessage(UM_BOX_CLOSED); }

private:
    CWnd* m_owner;
};

class Owner : public CWnd {
public:
    Owner() { CreateMessageTarget(); }
    std::unique_ptr<StatusBox> box;
    LRESULT OnBoxClosed(WPARAM, LPARAM) {
        box->DestroyWindow();
        box.reset();
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(Owner, CWnd)
ON_MESSAGE(UM_BOX_CLOSED, OnBoxClosed)
END_MESSAGE_MAP()

TEST_F(Modal, ModelessDialogDeletedFromItsOwnHandler) {
    Owner owner;
    owner.box = std::make_unique<StatusBox>(&owner);
    ASSERT_TRUE(owner.box->Create());
    owner.box->ShowWindow(SW_SHOW);
    owner.box->SetDlgItemText(10, "Working");
    static_cast<CButton*>(owner.box->GetDlgItem(IDOK))->Click();
    EXPECT_EQ(owner.box, nullptr);
    clock.RunPending();
    testing_support::ProcessQtEvents();
}

TEST_F(Modal, DialogRendersIntoAnImage) {
    SampleDialog d;
    ASSERT_TRUE(d.Create());
    d.ShowWindow(SW_SHOW);
    const QImage image = testing_support::RenderWidget(d.GetWidget());
    EXPECT_EQ(image.width(), platform::DluToPixelX(200));
    const CString path = testing_support::SaveTestImage(image, "sample_dialog");
    EXPECT_TRUE(QFile::exists(path.ToQString()));
    d.DestroyWindow();
}

}  // namespace
