#include <gtest/gtest.h>

#include <QListWidget>

#include "platform/ui/check_list_box.h"
#include "tests/support/harness.h"

namespace {

const DialogTemplate kTemplate = {
    903,
    "Checks",
    0,
    0,
    120,
    100,
    DS_MODALFRAME | WS_CAPTION,
    "Tahoma",
    8,
    {dlg::ListBox(20, 5, 5, 100, 80, LBS_OWNERDRAWFIXED | LBS_HASSTRINGS)}};

class ChecksDialog : public CDialog {
public:
    ChecksDialog() : CDialog(kTemplate) {}
    CCheckListBox list;
    void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, 20, list); }
};

class CheckListBox : public testing_support::HarnessTest {};

// Attached to a template's list box: every item has a box, whichever face added it, and a box
// the user ticks reads back as checked.
TEST_F(CheckListBox, AttachedToATemplatesListBox) {
    ChecksDialog d;
    ASSERT_TRUE(d.Create());
    auto* plain = dynamic_cast<CListBox*>(d.GetDlgItem(20));
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(d.list.AddString(" COM1"), 0);
    EXPECT_EQ(plain->AddString(" COM4"), 1);
    EXPECT_EQ(d.list.GetCount(), 2);
    EXPECT_EQ(d.list.GetCheck(0), 0);
    EXPECT_EQ(d.list.GetCheck(1), 0);

    d.list.SetCheck(1, 1);
    EXPECT_EQ(d.list.GetCheck(0), 0);
    EXPECT_EQ(d.list.GetCheck(1), 1);
    d.list.SetCheck(1, 7);  // no such state: unchanged
    EXPECT_EQ(d.list.GetCheck(1), 1);
    d.list.SetCheck(5, 1);  // no such item
    EXPECT_EQ(d.list.GetCheck(5), LB_ERR);
    EXPECT_EQ(d.list.GetCheck(-1), LB_ERR);

    auto* widget = qobject_cast<QListWidget*>(d.list.GetWidget());
    ASSERT_NE(widget, nullptr);
    for (int i = 0; i < widget->count(); ++i)
        EXPECT_TRUE(widget->item(i)->flags() & Qt::ItemIsUserCheckable) << i;
    widget->item(0)->setCheckState(Qt::Checked);
    widget->item(1)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(d.list.GetCheck(0), 1);
    EXPECT_EQ(d.list.GetCheck(1), 0);
    d.DestroyWindow();
}

TEST_F(CheckListBox, MadeByItself) {
    CWnd parent;
    ASSERT_TRUE(parent.CreateMessageTarget());
    CCheckListBox list;
    ASSERT_TRUE(
        list.Create(WS_CHILD | WS_VISIBLE | LBS_HASSTRINGS, CRect(0, 0, 100, 80), &parent, 7));
    list.AddString("one");
    list.InsertString(0, "zero");
    list.SetCheck(0, 2);
    EXPECT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.GetCheck(0), 2);
    EXPECT_EQ(list.GetCheck(1), 0);
    CString text;
    list.GetText(1, text);
    EXPECT_EQ(text, "one");
}

}  // namespace
