#include <gtest/gtest.h>

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <vector>

#include "platform/win/frame.h"
#include "tests/support/harness.h"

namespace {

constexpr UINT ID_BOTH = 100;      // handled by view, document, frame and application
constexpr UINT ID_DOC = 101;       // document and application
constexpr UINT ID_APP = 102;       // application only
constexpr UINT ID_NOBODY = 103;    // no handler anywhere
constexpr UINT ID_CHECKED = 104;   // an update handler checks it
constexpr UINT ID_DISABLED = 105;  // an update handler disables it although a handler exists

std::vector<CString>* g_log = nullptr;
void Log(const char* who) {
    g_log->push_back(who);
}

class TestApp : public CWinApp {
public:
    void OnBoth() { Log("app"); }
    void OnDoc() { Log("app"); }
    void OnApp() { Log("app"); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(TestApp, CWinApp)
ON_COMMAND(ID_BOTH, OnBoth)
ON_COMMAND(ID_DOC, OnDoc)
ON_COMMAND(ID_APP, OnApp)
END_MESSAGE_MAP()

class TestDoc : public CDocument {
public:
    void OnBoth() { Log("doc"); }
    void OnDoc() { Log("doc"); }
    void OnDisabled() { Log("doc"); }
    void OnUpdateChecked(CCmdUI* ui) { ui->SetCheck(1); }
    void OnUpdateDisabled(CCmdUI* ui) { ui->Enable(FALSE); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(TestDoc, CDocument)
ON_COMMAND(ID_BOTH, OnBoth)
ON_COMMAND(ID_DOC, OnDoc)
ON_COMMAND(ID_DISABLED, OnDisabled)
ON_UPDATE_COMMAND_UI(ID_CHECKED, OnUpdateChecked)
ON_UPDATE_COMMAND_UI(ID_DISABLED, OnUpdateDisabled)
END_MESSAGE_MAP()

class TestView : public CView {
public:
    void OnBoth() { Log("view"); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(TestView, CView)
ON_COMMAND(ID_BOTH, OnBoth)
END_MESSAGE_MAP()

class TestFrame : public CMDIFrameWnd {
public:
    void OnBoth() { Log("frame"); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(TestFrame, CMDIFrameWnd)
ON_COMMAND(ID_BOTH, OnBoth)
END_MESSAGE_MAP()

const MenuTemplate kMenu = {1,
                            {{"&Test",
                              0,
                              {{"Both", ID_BOTH},
                               {"Doc", ID_DOC},
                               {nullptr},
                               {"App", ID_APP},
                               {"Nobody", ID_NOBODY},
                               {"Checked", ID_CHECKED},
                               {"Disabled", ID_DISABLED}}}}};

class Routing : public testing_support::HarnessTest {
protected:
    void SetUp() override {
        g_log = &log;
        ASSERT_TRUE(frame.Create(nullptr, "Test", WS_OVERLAPPEDWINDOW, CRect(0, 0, 400, 300),
                                 nullptr, &kMenu));
        app.m_pMainWnd = &frame;
        ASSERT_TRUE(
            child.Create(nullptr, "Child", WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 150), &frame));
        view.SetDocument(&doc);
        ASSERT_TRUE(view.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10),
                                &child, AFX_IDW_PANE_FIRST));
        child.SetActiveView(&view);
        frame.ShowWindow(SW_SHOW);
        child.MDIActivate();
        ASSERT_EQ(frame.MDIGetActive(), &child);
    }
    void TearDown() override {
        app.m_pMainWnd = nullptr;
        g_log = nullptr;
    }
    void Command(UINT id) { frame.SendMessage(WM_COMMAND, id); }

    std::vector<CString> log;
    TestApp app;
    TestDoc doc;
    TestFrame frame;
    CMDIChildWnd child;
    TestView view;
};

TEST_F(Routing, ActiveViewFirstThenDocumentThenFrameThenApplication) {
    Command(ID_BOTH);
    Command(ID_DOC);
    Command(ID_APP);
    Command(ID_NOBODY);
    EXPECT_EQ(log, (std::vector<CString>{"view", "doc", "app"}));
    log.clear();

    // Without an active child the frame's own handler comes before the application's.
    child.DestroyWindow();
    Command(ID_BOTH);
    Command(ID_DOC);
    EXPECT_EQ(log, (std::vector<CString>{"frame", "app"}));
}

TEST_F(Routing, UpdateHandlersReachTheMenuItems) {
    CMenu* popup = frame.GetMenu()->GetSubMenu(0);
    ASSERT_NE(popup, nullptr);
    frame.UpdateMenuPopup(popup);
    auto state = [&](UINT id) { return popup->GetMenuState(id, MF_BYCOMMAND); };
    EXPECT_EQ(state(ID_BOTH) & MF_GRAYED, 0u);
    EXPECT_EQ(state(ID_APP) & MF_GRAYED, 0u);
    EXPECT_NE(state(ID_NOBODY) & MF_GRAYED, 0u);  // nothing handles it
    EXPECT_NE(state(ID_CHECKED) & MF_CHECKED, 0u);
    EXPECT_NE(state(ID_DISABLED) & MF_GRAYED, 0u);

    // The Qt menu shows the same when it opens.
    auto* mw = qobject_cast<QMainWindow*>(frame.GetWidget());
    ASSERT_NE(mw, nullptr);
    const auto menus = mw->menuBar()->findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_EQ(menus.size(), 1);
    QMenu* qmenu = menus.front();
    emit qmenu->aboutToShow();
    std::map<UINT, QAction*> actions;
    for (QAction* a : qmenu->actions())
        if (!a->isSeparator()) actions[a->data().toUInt()] = a;
    ASSERT_EQ(actions.size(), 6u);
    EXPECT_TRUE(actions[ID_BOTH]->isEnabled());
    EXPECT_FALSE(actions[ID_NOBODY]->isEnabled());
    EXPECT_TRUE(actions[ID_CHECKED]->isChecked());
    EXPECT_FALSE(actions[ID_DISABLED]->isEnabled());

    // Choosing an item posts its command to the frame.
    actions[ID_DOC]->trigger();
    clock.RunPending();
    EXPECT_EQ(log, (std::vector<CString>{"doc"}));
}

TEST(Menu, ItemsByCommandAndPosition) {
    CMenu menu;
    menu.LoadMenu(kMenu);
    CMenu* popup = menu.GetSubMenu(0);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->GetMenuItemCount(), 7);
    EXPECT_EQ(popup->GetMenuItemID(2), 0u);  // the separator
    EXPECT_EQ(menu.GetMenuItemID(0), kMenuError);
    const unsigned before = menu.Revision();
    EXPECT_TRUE(menu.ModifyMenu(ID_APP, MF_BYCOMMAND | MF_STRING, ID_APP, "Renamed"));
    EXPECT_GT(menu.Revision(), before);
    CString text;
    popup->GetMenuString(3, text, MF_BYPOSITION);
    EXPECT_EQ(text, "Renamed");
    EXPECT_TRUE(menu.RemoveMenu(ID_NOBODY, MF_BYCOMMAND));
    EXPECT_EQ(popup->GetMenuItemCount(), 6);
    EXPECT_EQ(popup->GetMenuState(ID_NOBODY, MF_BYCOMMAND), kMenuError);
}

}  // namespace
