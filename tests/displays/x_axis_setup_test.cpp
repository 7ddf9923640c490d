// The X axis properties dialog on a launch's X-axis record, through the modal script.

#include <QComboBox>

#include "RES/dialogs/x_axis_setup.h"
#include "displays/graph/x_axis_setup_dialog.h"
#include "platform/activex/register.h"
#include "platform/ui/controls.h"
#include "tests/support/harness.h"

namespace {

using testing_support::Press;

CComboBox& Combo(CDialog& d, UINT id) {
    return *dynamic_cast<CComboBox*>(d.GetDlgItem(static_cast<int>(id)));
}

void Select(CDialog& d, UINT id, int entry) {
    Combo(d, id).SetCurSel(entry);
    platform::NotifyParent(Combo(d, id).GetWidget(), CBN_SELCHANGE);
}

void Enter(CDialog& d, UINT id, const char* text) {
    testing_support::TypeText(d, static_cast<int>(id), text);
    platform::NotifyParent(d.GetDlgItem(static_cast<int>(id))->GetWidget(), EN_KILLFOCUS);
}

void SetAuto(CDialog& d, bool on) {
    testing_support::SetChecked(d, IDC_XAXIS_AUTO_SCALE, on);
}

class XAxisSetupTest : public testing_support::HarnessTest {
protected:
    XAxisSetupTest() {
        platform::RegisterActiveXControls();
        record.index = -1;
        record.autoScale = 0;
        record.minimum = 0;
        record.maximum = 100;
        record.color = RGB(0, 0, 255);
    }
    INT_PTR Open(WORD rate, const std::function<void(CDialog&)>& act,
                 std::vector<testing_support::ColorAnswer> colours = {}) {
        CXAxisSetupDisplayProperties dialog;
        const BYTE bits[2] = {16, 128};
        dialog.SetSensors(bits, 2, rate, &record);
        dialog.SetChannels({{"Temperature", -20, 120}, {"Sound", 40, 110}});
        modals.ExpectDialog(IDD_X_AXIS_SETUP, act);
        for (const auto& c : colours)
            modals.ExpectColor(c.colour, c.answer, c.opensAt);
        return dialog.DoModal();
    }
    LaunchChannelStruct record;
};

TEST_F(XAxisSetupTest, AChannelTurnsAutoScaleOnWithAFractionOfItsRange) {
    Open(41, [](CDialog& d) {
        EXPECT_EQ(d.GetWindowText(), "X Axis Properties");
        ASSERT_EQ(Combo(d, IDC_XAXIS_MEASUREMENT).GetCount(), 3);
        EXPECT_EQ(Combo(d, IDC_XAXIS_MEASUREMENT).GetCurSel(), 0) << "Time";
        Select(d, IDC_XAXIS_MEASUREMENT, 2);
        EXPECT_EQ(d.IsDlgButtonChecked(IDC_XAXIS_AUTO_SCALE), BST_CHECKED);
        EXPECT_FALSE(d.GetDlgItem(IDC_XAXIS_MIN)->IsWindowEnabled());
        EXPECT_EQ(d.GetDlgItemText(IDC_XAXIS_MIN), "6.00");
        EXPECT_EQ(d.GetDlgItemText(IDC_XAXIS_MAX), "16.50");
        Press(d, IDOK);
    });
    EXPECT_EQ(record.index, 1);
    EXPECT_EQ(record.sensorBit, 128);
    EXPECT_EQ(record.autoScale, 1u);
    EXPECT_DOUBLE_EQ(record.minimum, 6);
    EXPECT_DOUBLE_EQ(record.maximum, 16.5);
}

TEST_F(XAxisSetupTest, TypedLimitsAreWholeNumbersInTheRatesUnit) {
    struct Case {
        const char* what;
        WORD rate;
        short index;
        UINT edit;
        const char* typed;
        double wantMin, wantMax;
        const char* shownAgain;  // a refused text: what the edit shows instead
    };
    const Case cases[] = {
        {"a channel, letters", 41, 0, IDC_XAXIS_MIN, "abc", 5, 100, "5.00"},
        {"a channel, trailing letters", 41, 0, IDC_XAXIS_MIN, "12abc", 5, 100, "5.00"},
        {"a channel, 0", 41, 0, IDC_XAXIS_MIN, "0", 0, 100, nullptr},
        {"a channel, 0.0", 41, 0, IDC_XAXIS_MIN, "0.0", 0, 100, nullptr},
        {"time in ms, 1.5 s", 255, -1, IDC_XAXIS_MAX, "1.5", 5, 1500, nullptr},
        {"time in s at 2 s", 32, -1, IDC_XAXIS_MAX, "20", 5, 10, nullptr},
        {"an unknown rate", 3, -1, IDC_XAXIS_MAX, "20", 5, 100, "0.00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        record.index = c.index;
        record.autoScale = 0;
        record.minimum = 5;
        record.maximum = 100;
        Open(c.rate, [&](CDialog& d) {
            Enter(d, c.edit, c.typed);
            if (c.shownAgain) {
                EXPECT_EQ(d.GetDlgItemText(static_cast<int>(c.edit)), c.shownAgain);
            }
            Press(d, IDOK);
        });
        EXPECT_DOUBLE_EQ(record.minimum, c.wantMin);
        EXPECT_DOUBLE_EQ(record.maximum, c.wantMax);
    }
}

TEST_F(XAxisSetupTest, TheLimitsAreShownAgainInTheRatesUnit) {
    record.maximum = 1500;
    Open(255, [](CDialog& d) {
        EXPECT_EQ(d.GetDlgItemText(IDC_XAXIS_MAX), "1.50");
        Enter(d, IDC_XAXIS_MIN, "not a number");
        EXPECT_EQ(d.GetDlgItemText(IDC_XAXIS_MIN), "0.00") << "shown again";
        Press(d, IDOK);
    });
    EXPECT_DOUBLE_EQ(record.maximum, 1500) << "an edit left as shown keeps its value";
}

TEST_F(XAxisSetupTest, AutomaticTimeRangeFollowsTheScrollingWindow) {
    struct Case {
        WORD rate;
        double max;
    };
    for (const Case& c :
         {Case{32, 5}, Case{255, 10000}, Case{51, 500}, Case{16, 10}, Case{3, 10}}) {
        record.index = -1;
        record.autoScale = 1;
        Open(c.rate, [](CDialog& d) { Press(d, IDOK); });
        EXPECT_DOUBLE_EQ(record.minimum, 0) << c.rate;
        EXPECT_DOUBLE_EQ(record.maximum, c.max) << c.rate;
    }
}

TEST_F(XAxisSetupTest, ThePickersColourComesFirstCancelKeepsTheRecord) {
    Open(41,
         [](CDialog& d) {
             dynamic_cast<CWButton*>(d.GetDlgItem(IDC_XAXIS_PICKER))->ClickByKey();
             CColorComboEx& combo = static_cast<CXAxisSetupDisplayProperties&>(d).GetColorCombo();
             EXPECT_EQ(combo.GetCurSel(), 0);
             EXPECT_EQ(combo.m_arColors.at(0), RGB(1, 2, 3));
             Press(d, IDOK);
         },
         {{RGB(1, 2, 3), IDOK, RGB(0, 0, 255)}});
    EXPECT_EQ(record.color, static_cast<LONG>(RGB(1, 2, 3)));

    const LaunchChannelStruct before = record;
    Open(41,
         [](CDialog& d) {
             dynamic_cast<CWButton*>(d.GetDlgItem(IDC_XAXIS_PICKER))->ClickByKey();
             Select(d, IDC_XAXIS_MEASUREMENT, 1);
             SetAuto(d, false);
             Enter(d, IDC_XAXIS_MAX, "77");
             Press(d, IDCANCEL);
         },
         {{RGB(9, 9, 9), IDCANCEL, RGB(1, 2, 3)}});
    EXPECT_EQ(record, before);
}

}  // namespace
