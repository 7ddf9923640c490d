// The user's way to commands that the tests take: menu items and toolbar buttons in real frames,
// refused with the reason when a user could not use them. The bars dock in any frame.

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QToolBar>

#include "platform/ui/bars.h"
#include "platform/win/frame.h"
#include "tests/support/harness.h"
#include "tests/support/user_commands.h"

namespace {

constexpr UINT ID_PICTURED = 3860;  // has a picture
constexpr UINT ID_SPARE = 134;      // the blank picture of the spare slots
constexpr UINT ID_UNDRAWN = 9001;   // no picture at all
constexpr UINT ID_ITEM = 9002;
constexpr UINT ID_IN_CLOSED = 9003;  // in a sub-menu that is greyed
constexpr UINT ID_TOP_BAR = 9004;

int g_runs = 0;
BOOL g_enabled = TRUE;

class ToolFrame : public CMDIChildWnd {
public:
    CToolBar bottom, top;
    void OnRun() { ++g_runs; }
    void OnUpdate(CCmdUI* ui) {
        ui->Enable(g_enabled);
        ui->SetCheck(1);
    }

protected:
    int OnCreate(LPCREATESTRUCT cs) override {
        if (CMDIChildWnd::OnCreate(cs) == -1) return -1;
        static const ToolbarTemplate down{500, {ID_PICTURED, ID_SPARE, ID_UNDRAWN}};
        static const ToolbarTemplate up{501, {ID_TOP_BAR}};
        const DWORD style = WS_CHILD | WS_VISIBLE | CBRS_TOOLTIPS;
        return bottom.CreateEx(this, TBSTYLE_FLAT, style | CBRS_BOTTOM, AFX_IDW_TOOLBAR) &&
                       bottom.LoadToolBar(down) &&
                       top.CreateEx(this, TBSTYLE_FLAT, style | CBRS_TOP, AFX_IDW_TOOLBAR) &&
                       top.LoadToolBar(up)
                   ? 0
                   : -1;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(ToolFrame, CMDIChildWnd)
ON_COMMAND(ID_PICTURED, OnRun)
ON_COMMAND(ID_UNDRAWN, OnRun)
ON_COMMAND(ID_SPARE, OnRun)
ON_COMMAND(ID_ITEM, OnRun)
ON_COMMAND(ID_IN_CLOSED, OnRun)
ON_UPDATE_COMMAND_UI(ID_PICTURED, OnUpdate)
ON_UPDATE_COMMAND_UI(ID_ITEM, OnUpdate)
END_MESSAGE_MAP()

const MenuTemplate& Menu() {
    static const MenuTemplate menu{
        1, {{"&Tools", 0, {{"&Item\tCtrl+I", ID_ITEM}, {"Closed", 0, {{"Inner", ID_IN_CLOSED}}}}}}};
    return menu;
}

class UserCommandsTest : public testing_support::HarnessTest {
protected:
    UserCommandsTest() {
        g_runs = 0;
        g_enabled = TRUE;
        main.Create(nullptr, "main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 600, 400),
                    nullptr, &Menu());
        child.Create(nullptr, "child", WS_CHILD | WS_VISIBLE, CRect(0, 0, 400, 300), &main);
        pane.Create(&child, &doc);
        child.SetActiveView(&pane, FALSE);
        main.GetMenu()->GetSubMenu(0)->EnableMenuItem(1, MF_BYPOSITION | MF_GRAYED);
        main.DrawMenuBar();
        main.MDIActivate(&child);
        testing_support::ProcessQtEvents();
    }
    ~UserCommandsTest() override {
        main.DestroyWindow();
        testing_support::ProcessQtEvents();
    }

    CDocument doc;
    CMDIFrameWnd main;
    ToolFrame child;
    CView pane;
};

TEST_F(UserCommandsTest, AUsableButtonOrItemIsClickedAndItsCommandRuns) {
    const testing_support::CommandState button =
        testing_support::ToolbarButtonState(child, ID_PICTURED);
    EXPECT_TRUE(button.Usable()) << button.problem;
    EXPECT_TRUE(button.visible && button.enabled && button.checked && button.picture);
    EXPECT_EQ(button.where, "toolbar 500, button 1");
    EXPECT_TRUE(testing_support::PressToolbarButton(child, ID_PICTURED));
    EXPECT_EQ(g_runs, 1);

    const testing_support::CommandState item = testing_support::MenuCommandState(main, ID_ITEM);
    EXPECT_TRUE(item.Usable()) << item.problem;
    EXPECT_TRUE(item.checked);
    EXPECT_EQ(item.where, "Tools > Item");
    EXPECT_TRUE(testing_support::ChooseMenuCommand(child, ID_ITEM)) << "through the main window";
    EXPECT_EQ(g_runs, 2);
}

TEST_F(UserCommandsTest, ATopAndABottomBarTakeRoomAroundThePane) {
    QToolBar* up = child.top.Bar();
    QToolBar* down = child.bottom.Bar();
    ASSERT_TRUE(up && down);
    QWidget* paneWidget = pane.GetWidget();
    EXPECT_GT(up->height(), 0);
    EXPECT_GT(down->height(), 0);
    const QPoint paneTop = paneWidget->mapTo(child.GetWidget(), QPoint(0, 0));
    const QPoint downTop = down->mapTo(child.GetWidget(), QPoint(0, 0));
    EXPECT_LE(up->mapTo(child.GetWidget(), QPoint(0, up->height())).y(), paneTop.y());
    EXPECT_GE(downTop.y(), paneTop.y() + paneWidget->height());
}

TEST_F(UserCommandsTest, WhatAUserCannotUseFailsWithTheReasonAndDoesNotRun) {
    struct Case {
        const char* name;
        std::function<bool()> use;
        const char* reason;
    };
    const Case cases[] = {
        {"blank picture", [&] { return testing_support::PressToolbarButton(child, ID_SPARE); },
         "Toolbar command 134 (toolbar 500, button 2): the button has no picture"},
        {"no picture file", [&] { return testing_support::PressToolbarButton(child, ID_UNDRAWN); },
         "no picture"},
        {"greyed button",
         [&] {
             g_enabled = FALSE;
             return testing_support::PressToolbarButton(child, ID_PICTURED);
         },
         "the button is greyed"},
        {"hidden bar",
         [&] {
             child.bottom.Bar()->hide();
             return testing_support::PressToolbarButton(child, ID_PICTURED);
         },
         "its toolbar is not shown"},
        {"not on any bar", [&] { return testing_support::PressToolbarButton(child, ID_ITEM); },
         "no toolbar button of the frame has it"},
        {"greyed item",
         [&] {
             g_enabled = FALSE;
             return testing_support::ChooseMenuCommand(main, ID_ITEM);
         },
         "Menu command 9002 (Tools > Item): the item is greyed"},
        {"in a greyed sub-menu",
         [&] { return testing_support::ChooseMenuCommand(main, ID_IN_CLOSED); },
         "the menu Tools > Closed is greyed"},
        {"on no menu", [&] { return testing_support::ChooseMenuCommand(main, ID_PICTURED); },
         "no menu item has it"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_enabled = TRUE;
        child.bottom.Bar()->show();
        bool used = true;
        EXPECT_NONFATAL_FAILURE(used = c.use(), c.reason);
        EXPECT_FALSE(used);
        EXPECT_EQ(g_runs, 0);
    }
}

}  // namespace
