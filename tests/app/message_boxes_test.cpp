#include <gtest/gtest.h>

#include <QPushButton>
#include <memory>

#include "RES/dialogs/message_dialog.h"
#include "RES/dialogs/msg_dialog.h"
#include "app/message_dialog.h"
#include "app/msg_dialog.h"
#include "logger/helpers.h"
#include "logger/logger_messages.h"
#include "tests/support/harness.h"

namespace {

using testing_support::ModalScript;

class MessageBoxes : public testing_support::HarnessTest {};

CRect ClientRectOf(CDialog& dialog, int id) {
    CRect r;
    dialog.GetDlgItem(id)->GetWindowRect(&r);
    dialog.ScreenToClient(&r);
    return r;
}

TEST_F(MessageBoxes, EachButtonSetShowsItsButtonsInPlace) {
    struct Shown {
        int id;
        CRect place;
    };
    struct Case {
        UINT set;
        std::vector<Shown> buttons;
    };
    const Case cases[] = {
        {MSG_SET_YESNOCANCEL,
         {{IDYES, {80, 88, 156, 111}},
          {IDNO, {177, 88, 252, 111}},
          {IDCANCEL, {274, 88, 350, 111}}}},
        {MSG_SET_YESNO, {{IDYES, {128, 88, 204, 111}}, {IDNO, {225, 88, 301, 111}}}},
        {MSG_SET_SAVEDELETECANCEL,
         {{IDMSG_DELETE, {80, 88, 156, 111}},
          {IDCANCEL, {177, 88, 252, 111}},
          {IDMSG_SAVE, {274, 88, 350, 111}}}},
        {MSG_SET_OK, {{IDOK, {177, 88, 252, 111}}}},
        {1, {{IDOK, {177, 88, 252, 111}}}},  // any other set is OK alone
    };
    const int all[] = {IDOK, IDCANCEL, IDMSG_DELETE, IDMSG_SAVE, IDYES, IDNO};
    for (const Case& c : cases) {
        // Every shown button ends the box with its own code.
        for (const Shown& pressed : c.buttons) {
            modals.ExpectDialog(IDD_MSG_DIALOG, [&](CDialog& dialog) {
                EXPECT_EQ(dialog.GetWindowText(), "Varnel");
                EXPECT_EQ(dialog.GetDlgItemText(IDC_MSG_TEXT), "Delete the run?");
                EXPECT_FALSE(dialog.GetDlgItem(IDC_MSG_DONT_SHOW)->IsWindowVisible());
                for (int id : all) {
                    bool shown = false;
                    for (const Shown& s : c.buttons) {
                        if (s.id != id) continue;
                        shown = true;
                        EXPECT_EQ(ClientRectOf(dialog, id), s.place)
                            << "set " << c.set << " button " << id;
                    }
                    EXPECT_EQ(bool(dialog.GetDlgItem(id)->IsWindowVisible()), shown)
                        << "set " << c.set << " button " << id;
                }
                testing_support::Press(dialog, pressed.id);
            });
            EXPECT_EQ(ShowMessage("Delete the run?", c.set), pressed.id) << "set " << c.set;
        }
    }
    EXPECT_EQ(modals.Pending(), 0u);
}

TEST_F(MessageBoxes, ButtonTextsAndTheScriptsAnswers) {
    modals.ExpectDialog(IDD_MSG_DIALOG, [](CDialog& dialog) {
        const std::pair<int, const char*> texts[] = {
            {IDYES, "Yes"},           {IDOK, "OK"},        {IDNO, "No"}, {IDCANCEL, "Cancel"},
            {IDMSG_DELETE, "Delete"}, {IDMSG_SAVE, "Save"}};
        for (const auto& [id, text] : texts)
            EXPECT_EQ(dialog.GetDlgItemText(id), text);
        testing_support::Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(ShowMessage("Data has changed. Do You Want to save it ?", MSG_SET_YESNOCANCEL),
              IDCANCEL);

    modals.ExpectMessage("Data has changed. Do You Want to save it ?", IDNO)
        .ExpectMessage("File saved", IDOK);
    EXPECT_EQ(ShowMessage("Data has changed. Do You Want to save it ?", MSG_SET_YESNOCANCEL), IDNO);
    EXPECT_EQ(ShowMessage("File saved", MSG_SET_OK), IDOK);
}

// Enter presses the set's default button, which has the focus and the default frame; Escape and
// the close box are Cancel in every set, not No.
TEST_F(MessageBoxes, EnterPressesTheDefaultEscapeAndTheCloseBoxCancel) {
    enum Key { Enter, Escape, CloseBox };
    struct Case {
        UINT set;
        Key key;
        int result;
    };
    const int kDefault[] = {IDOK, 0, 0, IDYES, IDYES, 0, IDMSG_SAVE};
    const Case cases[] = {
        {MSG_SET_OK, Enter, IDOK},
        {MSG_SET_OK, Escape, IDCANCEL},
        {MSG_SET_OK, CloseBox, IDCANCEL},
        {MSG_SET_YESNOCANCEL, Enter, IDYES},
        {MSG_SET_YESNOCANCEL, Escape, IDCANCEL},
        {MSG_SET_YESNOCANCEL, CloseBox, IDCANCEL},
        {MSG_SET_YESNO, Enter, IDYES},
        {MSG_SET_YESNO, Escape, IDCANCEL},
        {MSG_SET_YESNO, CloseBox, IDCANCEL},
        {MSG_SET_SAVEDELETECANCEL, Enter, IDMSG_SAVE},
        {MSG_SET_SAVEDELETECANCEL, Escape, IDCANCEL},
        {MSG_SET_SAVEDELETECANCEL, CloseBox, IDCANCEL},
    };
    for (const Case& c : cases) {
        modals.ExpectDialog(IDD_MSG_DIALOG, [&](CDialog& dialog) {
            const int id = kDefault[c.set];
            QWidget* focus = dialog.GetWidget()->focusWidget();
            EXPECT_EQ(focus, dialog.GetDlgItem(id)->GetWidget()) << "set " << c.set;
            for (const int shown : {IDOK, IDYES, IDMSG_SAVE, IDMSG_DELETE, IDNO, IDCANCEL}) {
                const auto* push =
                    qobject_cast<QPushButton*>(dialog.GetDlgItem(shown)->GetWidget());
                ASSERT_NE(push, nullptr);
                EXPECT_EQ(push->isDefault(), shown == id) << "set " << c.set << " button " << shown;
            }
            switch (c.key) {
                case Enter:
                    testing_support::PressEnter(dialog);
                    break;
                case Escape:
                    testing_support::PressEscape(dialog);
                    break;
                case CloseBox:
                    testing_support::PressCloseBox(dialog);
                    break;
            }
        });
        EXPECT_EQ(ShowMessage("Unable to connect to the Logger.", c.set), c.result)
            << "set " << c.set << " key " << c.key;
    }
    EXPECT_EQ(modals.Pending(), 0u);
}

// The dialog's OK command, from wherever it comes, is the set's default button too.
TEST_F(MessageBoxes, TheOKCommandIsTheDefaultButton) {
    for (const auto& [set, result] : {std::pair{MSG_SET_YESNO, IDYES}, std::pair{MSG_SET_OK, IDOK},
                                      std::pair{MSG_SET_SAVEDELETECANCEL, IDMSG_SAVE}}) {
        modals.ExpectDialog(IDD_MSG_DIALOG,
                            [](CDialog& dialog) { dialog.SendMessage(WM_COMMAND, IDOK); });
        EXPECT_EQ(ShowMessage("Go on?", set), result) << set;
    }
}

TEST_F(MessageBoxes, ShowAgainFlagFollowsTheCheckBox) {
    BOOL showAgain = FALSE;
    modals.ExpectMessage("Note", IDOK);
    EXPECT_EQ(ShowMessageEx("Note", MSG_SET_OK, showAgain), IDOK);
    EXPECT_TRUE(showAgain);

    // The box is hidden in every set; its handler still keeps the flag in step.
    modals.ExpectDialog(IDD_MSG_DIALOG, [](CDialog& dialog) {
        auto* box = static_cast<CButton*>(dialog.GetDlgItem(IDC_MSG_DONT_SHOW));
        box->Click();
        EXPECT_EQ(box->GetCheck(), BST_CHECKED);
        testing_support::Press(dialog, IDOK);
    });
    EXPECT_EQ(ShowMessageEx("Note", MSG_SET_OK, showAgain), IDOK);
    EXPECT_FALSE(showAgain);
}

// The owner of the status box, as the document keeps it: created on 1, text on 2, destroyed and
// deleted on 0, also when the 0 comes from the box's own Close button.
class StatusOwner : public CWnd {
public:
    StatusOwner() { CreateMessageTarget(); }
    std::unique_ptr<CMessageDialog> box;
    CString progress = "Reading data set 1";
    int closes = 0;

    LRESULT OnStatusMessage(WPARAM wParam, LPARAM) {
        switch (static_cast<WORD>(wParam)) {
            case 0:
                ++closes;
                if (box) {
                    box->DestroyWindow();
                    box.reset();
                }
                break;
            case 1:
                if (!box) {
                    box = std::make_unique<CMessageDialog>();
                    EXPECT_TRUE(box->Create());
                    box->SetNotifyWindow(m_hWnd);
                    box->ShowWindow(SW_SHOW);
                }
                break;
            case 2:
                if (box) box->SetMessage(progress);
                break;
        }
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(StatusOwner, CWnd)
ON_MESSAGE(UM_STATUS_MESSAGE, OnStatusMessage)
END_MESSAGE_MAP()

TEST_F(MessageBoxes, StatusBoxOpenedUpdatedAndClosedByItsOwnButton) {
    StatusOwner owner;
    owner.SendMessage(UM_STATUS_MESSAGE, 1);
    ASSERT_NE(owner.box, nullptr);
    CMessageDialog& box = *owner.box;
    EXPECT_EQ(box.GetWindowText(), "Status");
    EXPECT_TRUE(box.IsWindowVisible());
    EXPECT_EQ(box.GetDlgItemText(IDOK), "Close");
    EXPECT_FALSE(box.GetDlgItem(IDCANCEL)->IsWindowVisible());
    EXPECT_EQ(box.GetDlgItemText(IDC_MESSAGE_TEXT), "Message");

    owner.SendMessage(UM_STATUS_MESSAGE, 2);
    EXPECT_EQ(box.GetDlgItemText(IDC_MESSAGE_TEXT), "Reading data set 1");
    owner.SendMessage(UM_STATUS_MESSAGE, 1);  // at most one box
    EXPECT_EQ(owner.box.get(), &box);

    // Close tells the owner, which destroys and deletes the box inside the button's handler.
    testing_support::Press(box, IDOK);
    EXPECT_EQ(owner.box, nullptr);
    EXPECT_EQ(owner.closes, 1);
    clock.RunPending();
    testing_support::ProcessQtEvents();

    // Escape closes it the same way.
    owner.SendMessage(UM_STATUS_MESSAGE, 1);
    ASSERT_NE(owner.box, nullptr);
    testing_support::PressEscape(*owner.box);
    EXPECT_EQ(owner.box, nullptr);
    EXPECT_EQ(owner.closes, 2);
    clock.RunPending();
    testing_support::ProcessQtEvents();

    // A late progress text or close with no box open changes nothing.
    owner.SendMessage(UM_STATUS_MESSAGE, 2);
    owner.SendMessage(UM_STATUS_MESSAGE, 0);
    EXPECT_EQ(owner.box, nullptr);
    clock.RunPending();
    testing_support::ProcessQtEvents();
}

TEST_F(MessageBoxes, StatusBoxIsHiddenUntilShownAndTalksToNobodyWithoutAnOwner) {
    CMessageDialog box;
    ASSERT_TRUE(box.Create());
    EXPECT_FALSE(box.IsWindowVisible());
    box.ShowWindow(SW_SHOW);
    static_cast<CButton*>(box.GetDlgItem(IDOK))->Click();  // no notify window: nothing happens
    EXPECT_TRUE(box.IsWindowVisible());
    box.DestroyWindow();
    clock.RunPending();
    testing_support::ProcessQtEvents();
}

}  // namespace
