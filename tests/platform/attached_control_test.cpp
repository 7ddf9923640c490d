#include <gtest/gtest.h>

#include "tests/support/harness.h"

namespace {

const DialogTemplate kTemplate = {
    902,
    "Faces",
    0,
    0,
    120,
    60,
    DS_MODALFRAME | WS_CAPTION,
    "Tahoma",
    8,
    {dlg::LText("Message", 10, 5, 5, 100, 10), dlg::PushButton("Close", IDOK, 5, 30, 50, 14)}};

class FacesDialog : public CDialog {
public:
    FacesDialog() : CDialog(kTemplate) {}
    CStatic text;
    CButton close;
    void DoDataExchange(CDataExchange* dx) override {
        DDX_Control(dx, 10, text);
        DDX_Control(dx, IDOK, close);
    }
};

class AttachedControls : public testing_support::HarnessTest {};

// A member attached by DDX_Control and the template's control are one control: a text set
// through either reads back through both.
TEST_F(AttachedControls, ShareOneText) {
    FacesDialog d;
    ASSERT_TRUE(d.Create());
    d.text.SetWindowText("Reading");
    EXPECT_EQ(d.GetDlgItemText(10), "Reading");
    d.SetDlgItemText(10, "Done");
    EXPECT_EQ(d.text.GetWindowText(), "Done");
    d.close.SetWindowText("Stop");
    EXPECT_EQ(d.GetDlgItemText(IDOK), "Stop");
    d.DestroyWindow();
}

}  // namespace
