// The "Download Progress" box that the document keeps open while a download runs.

#include <gtest/gtest.h>

#include <functional>

#include "RES/dialogs/fetch_progress_dialog.h"
#include "experiment/fetch_progress_dialog.h"
#include "platform/ui/progress_ctrl.h"
#include "tests/support/harness.h"

namespace {

class FetchProgress : public testing_support::HarnessTest {};

TEST_F(FetchProgress, ShowsThePercentOfItsTotal) {
    CFetchProgressDialog dialog;
    ASSERT_TRUE(dialog.Create());
    EXPECT_EQ(dialog.GetWindowText(), "Download Progress");
    EXPECT_EQ(dialog.GetDlgItemText(IDCANCEL), "Cancel");
    EXPECT_EQ(dialog.GetDlgItemText(IDC_FETCH_TEXT), "Downloading... Please wait");
    auto* bar = dynamic_cast<CProgressCtrl*>(dialog.GetDlgItem(IDC_FETCH_PROGRESS));
    ASSERT_NE(bar, nullptr);

    dialog.SetProgress(5);
    EXPECT_EQ(bar->GetPos(), 0) << "nothing before a total";
    struct Case {
        DWORD total, done;
        int percent;
    };
    const Case cases[] = {{8, 3, 37}, {8, 8, 100}, {0, 0, 0}, {0, 1, 100}, {400000, 399999, 99}};
    for (const Case& c : cases) {
        dialog.SetTotal(c.total);
        dialog.SetProgress(c.done);
        EXPECT_EQ(bar->GetPos(), c.percent) << c.total << " " << c.done;
        EXPECT_EQ(dialog.GetDlgItemText(IDC_FETCH_PERCENT), CString::Formatted("%d%%", c.percent));
    }
    int lower = -1, upper = -1;
    bar->GetRange(lower, upper);
    EXPECT_EQ(lower, 0);
    EXPECT_EQ(upper, 100);
}

TEST_F(FetchProgress, CancelHidesTheBoxAndSetsTheFlagButLeavesTheBoxToItsOwner) {
    const std::function<void(CDialog&)> presses[] = {
        [](CDialog& d) { testing_support::Press(d, IDCANCEL); },
        [](CDialog& d) { testing_support::PressEscape(d); },
        [](CDialog& d) { testing_support::PressCloseBox(d); },
    };
    for (const auto& press : presses) {
        BYTE cancel = 0;
        CFetchProgressDialog dialog;
        ASSERT_TRUE(dialog.Create());
        dialog.SetCancelFlag(&cancel);
        dialog.SetTotal(4);
        dialog.ShowWindow(SW_SHOW);
        press(dialog);
        EXPECT_EQ(cancel, 1);
        EXPECT_FALSE(dialog.IsWindowVisible());
        EXPECT_FALSE(dialog.IsActive());
        testing_support::ProcessQtEvents();
        clock.RunPending();
        ASSERT_NE(dialog.m_hWnd, nullptr) << "still there for its owner";
        dialog.SetProgress(3);
        EXPECT_EQ(dialog.GetDlgItemText(IDC_FETCH_PERCENT), "0%") << "no progress after Cancel";
        // Enter has no OK to press: the box stays.
        testing_support::PressEnter(dialog);
        EXPECT_FALSE(dialog.IsEnded());
    }
}

}  // namespace
