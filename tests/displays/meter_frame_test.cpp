// The meter frame in an MDI main window: its window menu and style, its bottom toolbar, and the
// four-meter command that follows the view's size.

#include <QMdiSubWindow>
#include <QToolBar>

#include "RES/main_menu.h"
#include "app/varnel_doc.h"
#include "displays/meter/meter_view.h"
#include "logger/dorvik.h"
#include "logger/settings.h"
#include "platform/activex/register.h"
#include "tests/support/harness.h"
#include "tests/support/user_commands.h"

namespace {

class MeterFrameTest : public testing_support::HarnessTest {
protected:
    MeterFrameTest() : doc([](CSettings*) { return std::unique_ptr<CDorvik>(); }) {
        platform::RegisterActiveXControls();
        SetCommandTipLookup(&CommandTip);
        main.Create(nullptr, "main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 900, 700));
        frame.Create(nullptr, "Varnel", 0x00CF4000, CRect(0, 0, 600, 450), &main);
        view.Create(&frame, &doc);
        frame.SetActiveView(&view, FALSE);
        frame.InitialUpdateFrame(&doc, TRUE);
        testing_support::ProcessQtEvents();
    }
    ~MeterFrameTest() override {
        main.DestroyWindow();
        testing_support::ProcessQtEvents();
    }
    // Sizes the frame so that the view gets this client size.
    void SizeView(int w, int h) {
        ASSERT_TRUE(testing_support::SizeFrameForView(frame, view, w, h)) << w << " x " << h;
    }
    bool FourMetersEnabled() {
        CGraphToolbar& bar = frame.GetToolbar();
        return bar.IsButtonEnabled(bar.CommandToIndex(ID_METER_FOUR));
    }

    CVarnelDoc doc;
    CMDIFrameWnd main;
    CMeterFrame frame;
    CMeterView view;
};

TEST_F(MeterFrameTest, NoCaptionAShortWindowMenuAndTheToolbarAlongTheBottom) {
    CMenu* menu = frame.GetSystemMenu(FALSE);
    ASSERT_EQ(menu->GetMenuItemCount(), 3);
    CString first;
    menu->GetMenuString(0, first, MF_BYPOSITION);
    EXPECT_EQ(first, "&Restore");
    auto* sub = qobject_cast<QMdiSubWindow*>(frame.GetWidget());
    ASSERT_NE(sub, nullptr);
    EXPECT_TRUE(sub->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(frame.GetStyle() & (WS_CAPTION | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX),
              0u);
    EXPECT_TRUE(frame.GetStyle() & WS_SYSMENU);

    CGraphToolbar& bar = frame.GetToolbar();
    EXPECT_EQ(bar.GetDlgCtrlID(), 59392);
    std::vector<UINT> ids;
    std::vector<CString> tips;
    for (int i = 0; i < bar.GetCount(); ++i) {
        ids.push_back(bar.GetItemID(i));
        tips.push_back(bar.GetButtonTip(i));
    }
    EXPECT_EQ(ids, (std::vector<UINT>{2086, 2087, 2088, 2089, 0, 2085}));
    EXPECT_EQ(tips[0], "Analog meter");
    EXPECT_EQ(tips[5], "Four meters");
    // Below the view, across the frame's width.
    const QRect barRect = bar.GetWidget()->geometry();
    const QRect viewRect = view.GetWidget()->geometry();
    EXPECT_EQ(barRect.top(), viewRect.bottom() + 1);
    EXPECT_EQ(barRect.width(), viewRect.width());
    EXPECT_TRUE(bar.GetWidget()->isVisible());
}

TEST_F(MeterFrameTest, TheToolbarsButtonsReachTheViewAndFourMetersFollowsTheSize) {
    SizeView(600, 400);
    EXPECT_TRUE(FourMetersEnabled());
    ASSERT_TRUE(testing_support::PressToolbarButton(frame, ID_METER_BAR));
    EXPECT_EQ(doc.GetSettings()->m_meterViewValue, 1);
    EXPECT_EQ(view.GetLayoutMode(), 1);
    ASSERT_TRUE(testing_support::PressToolbarButton(frame, ID_METER_FOUR));
    EXPECT_EQ(view.GetLayoutMode(), 4);

    SizeView(271, 400);
    EXPECT_EQ(frame.m_fourMetersEnabled, 0);
    EXPECT_FALSE(FourMetersEnabled());
    EXPECT_EQ(view.GetLayoutMode(), 0);
    EXPECT_TRUE(view.GetKnob(0).IsWindowVisible());
    EXPECT_FALSE(testing_support::ToolbarButtonState(frame, ID_METER_FOUR).enabled);

    SizeView(600, 400);
    EXPECT_TRUE(FourMetersEnabled());
    EXPECT_EQ(view.GetLayoutMode(), 4);
}

}  // namespace
