#include <gtest/gtest.h>

#include <QDateTimeEdit>
#include <vector>

#include "platform/ui/date_time_ctrl.h"
#include "platform/ui/dialog.h"
#include "tests/support/harness.h"

namespace {

constexpr UINT kDate = 30, kTime = 31;

const DialogTemplate kTemplate = {
    904,
    "Pickers",
    0,
    0,
    160,
    60,
    DS_MODALFRAME | WS_CAPTION,
    "Tahoma",
    8,
    {dlg::Control("", kDate, DATETIMEPICK_CLASS, DTS_SHORTDATEFORMAT | WS_TABSTOP, 5, 5, 70, 14),
     dlg::Control("", kTime, DATETIMEPICK_CLASS, DTS_TIMEFORMAT | WS_TABSTOP, 80, 5, 70, 14)}};

class PickerDialog : public CDialog {
public:
    PickerDialog() : CDialog(kTemplate) {}
    CDateTimeCtrl date;
    std::vector<NMDATETIMECHANGE> changes;
    void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, kDate, date); }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_NOTIFY && lParam) {
            const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
            if (hdr->code == DTN_DATETIMECHANGE)
                changes.push_back(*reinterpret_cast<const NMDATETIMECHANGE*>(lParam));
        }
        return CDialog::WindowProc(msg, wParam, lParam);
    }
};

class DateTimeCtrl : public testing_support::HarnessTest {};

// The value goes in and out whole, the parts a format does not show too; a user's change reaches
// the parent with its id and the new value, the program's own changes send nothing.
TEST_F(DateTimeCtrl, KeepsTheValueAndTellsTheParentOfUserChanges) {
    PickerDialog d;
    ASSERT_TRUE(d.Create());
    auto* time = dynamic_cast<CDateTimeCtrl*>(d.GetDlgItem(kTime));
    ASSERT_NE(time, nullptr);

    const SYSTEMTIME at = {2026, 12, 0, 31, 23, 59, 30, 0};
    ASSERT_TRUE(d.date.SetTime(&at));
    SYSTEMTIME got{};
    ASSERT_EQ(d.date.GetTime(&got), GDT_VALID);
    EXPECT_EQ(got.wYear, 2026);
    EXPECT_EQ(got.wMonth, 12);
    EXPECT_EQ(got.wDay, 31);
    EXPECT_EQ(got.wDayOfWeek, 4);  // a Thursday
    EXPECT_EQ(got.wHour, 23);
    EXPECT_EQ(got.wMinute, 59);
    EXPECT_EQ(got.wSecond, 30);
    EXPECT_TRUE(d.changes.empty());

    const SYSTEMTIME impossible = {2026, 2, 0, 30, 0, 0, 0, 0};
    EXPECT_FALSE(d.date.SetTime(&impossible));
    EXPECT_FALSE(d.date.SetTime(nullptr));
    ASSERT_EQ(d.date.GetTime(&got), GDT_VALID);
    EXPECT_EQ(got.wMonth, 12);

    // The user picks another day: the time of day stays.
    auto* edit = qobject_cast<QDateTimeEdit*>(d.date.GetWidget());
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->displayFormat(), "yyyy-MM-dd");
    edit->setDate(QDate(2027, 1, 2));
    ASSERT_EQ(d.changes.size(), 1u);
    EXPECT_EQ(d.changes[0].nmhdr.idFrom, UINT_PTR{kDate});
    EXPECT_EQ(d.changes[0].dwFlags, GDT_VALID);
    EXPECT_EQ(d.changes[0].st.wYear, 2027);
    EXPECT_EQ(d.changes[0].st.wDay, 2);
    EXPECT_EQ(d.changes[0].st.wHour, 23);
    EXPECT_EQ(d.changes[0].st.wSecond, 30);

    // The time picker's own format; a 12-hour format with its marks; back to the style's.
    auto* timeEdit = qobject_cast<QDateTimeEdit*>(time->GetWidget());
    ASSERT_NE(timeEdit, nullptr);
    EXPECT_EQ(timeEdit->displayFormat(), "HH:mm:ss");
    ASSERT_TRUE(time->SetTime(&at));
    ASSERT_TRUE(time->SetFormat("hh':'mm tt"));
    EXPECT_EQ(timeEdit->displayFormat(), "hh':'mm AP");
    EXPECT_EQ(timeEdit->text(), "11:59 PM");
    ASSERT_TRUE(time->SetFormat(nullptr));
    EXPECT_EQ(timeEdit->text(), "23:59:30");
    EXPECT_EQ(d.changes.size(), 1u);
}

}  // namespace
