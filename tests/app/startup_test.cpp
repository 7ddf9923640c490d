#include <gtest/gtest.h>

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <typeinfo>

#include "app/data_tree_view.h"
#include "app/varnel_app.h"
#include "app/varnel_doc.h"
#include "displays/clock/clock_view.h"
#include "displays/graph/graph_frame.h"
#include "displays/graph/graph_view.h"
#include "displays/meter/meter_view.h"
#include "displays/table/table_view.h"
#include "experiment/comm_view.h"
#include "experiment/html_doc_view.h"
#include "experiment/setup_view.h"
#include "logger/settings.h"
#include "platform/msg/standard_ids.h"
#include "tests/support/core/sim_port.h"
#include "tests/support/harness.h"
#include "video/recording_video_view.h"
#include "video/video_view.h"

namespace {

// The program with a frame that can be made to fail to load.
class TestApp : public CVarnelApp {
public:
    int failFrame = -1;  // the standard window (by order) whose frame fails
    bool failMain = false;

protected:
    BOOL LoadFrame(CMDIChildWnd& frame, CCreateContext& context) override {
        return m_loaded++ == failFrame ? FALSE : CVarnelApp::LoadFrame(frame, context);
    }
    BOOL LoadMainFrame(CMainFrame& frame) override {
        return failMain ? FALSE : CVarnelApp::LoadMainFrame(frame);
    }

private:
    int m_loaded = 0;
};

CView* ViewOf(CMDIChildWnd* frame) {
    return frame->GetActiveView();
}

TEST(Startup, OneDocumentTenWindowsInOrderAndTheStartupPath) {
    testing_support::TempEnvironment env;
    testing_support::NoComPorts noPorts;
    // The start-up project is opened once the graph and the data map exist; there is none here.
    testing_support::ModalScript modals;
    modals.ExpectMessage(CVarnelDoc::kCannotOpenText, IDOK);
    TestApp app;
    char a0[] = "varnel", a1[] = "-style", a2[] = "fusion", a3[] = "project.vnp";
    char* argv[] = {a0, a1, a2, a3};
    app.ParseCommandLine(4, argv);
    ASSERT_TRUE(app.InitInstance());
    // The templates by resource and by the classes of document, frame and view.
    std::vector<std::vector<CString>> templates;
    for (const auto& t : app.GetDocTemplates()) {
        CString id;
        id.Format("%u", t->m_nIDResource);
        templates.push_back({id, t->m_pDocClass->m_lpszClassName, t->m_pFrameClass->m_lpszClassName,
                             t->m_pViewClass->m_lpszClassName});
    }
    EXPECT_EQ(templates, (std::vector<std::vector<CString>>{
                             {"159", "CVarnelDoc", "CMDIChildWnd", "CCommView"},
                             {"159", "CVarnelDoc", "CMDIChildWnd", "CVideoView"},
                             {"141", "CVarnelDoc", "CMDIChildWnd", "CGraphView"},
                             {"152", "CVarnelDoc", "CChildFrame", "CVarnelView"}}));
    CVarnelDoc* doc = app.GetDocument();
    EXPECT_EQ(doc->GetTitle(), "Mercant Systems");
    EXPECT_EQ(app.m_pMainWnd->GetWindowText(), "Varnel - Mercant Systems");
    EXPECT_EQ(doc->m_startupPath, "project.vnp");
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(doc->m_modified, 0);

    const std::vector<std::pair<const std::type_info*, const std::type_info*>> expected = {
        {&typeid(CGraphFrame), &typeid(CGraphView)},
        {&typeid(CChildFrame), &typeid(CDataTreeView)},
        {&typeid(CTableFrame), &typeid(CTableView)},
        {&typeid(CMeterFrame), &typeid(CMeterView)},
        {&typeid(CChildFrame), &typeid(CClockView)},
        {&typeid(CChildFrame), &typeid(CSetupView)},
        {&typeid(CRecordingVideoFrame), &typeid(CRecordingVideoView)},
        {&typeid(CHtmlDocFrame), &typeid(CHtmlDocView)},
        {&typeid(CVideoFrame), &typeid(CVideoView)},
        {&typeid(CChildFrame), &typeid(CCommView)}};
    const auto frames = app.GetStandardFrames();
    ASSERT_EQ(frames.size(), expected.size());
    for (size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(typeid(*frames[i]), *expected[i].first) << i;
        CView* view = ViewOf(frames[i]);
        ASSERT_NE(view, nullptr) << i;
        EXPECT_EQ(typeid(*view), *expected[i].second) << i;
        EXPECT_EQ(view->GetDocument(), doc) << i;
        EXPECT_EQ(frames[i]->GetParent(), app.m_pMainWnd) << i;
        EXPECT_EQ(frames[i]->m_nIDHelp, 152u) << i;
    }
    // Each view took its place in the document as it was made.
    EXPECT_EQ(doc->m_graphView, ViewOf(frames[0]));
    EXPECT_EQ(doc->m_graphView->GetFrame(), frames[0]);
    EXPECT_EQ(doc->m_dataTreeView, ViewOf(frames[1]));
    EXPECT_EQ(doc->GetTableView(), ViewOf(frames[2]));
    EXPECT_EQ(doc->GetVideoView(), ViewOf(frames[8]));
    app.ExitInstance();
}

TEST(Startup, NoArgumentsNoPathAndAFailedFrameLeavesOnlyItsWindowOut) {
    testing_support::TempEnvironment env;
    testing_support::NoComPorts noPorts;
    TestApp app;
    app.failFrame = 2;  // the table
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(app.GetDocument()->m_startupPath, "");
    const auto frames = app.GetStandardFrames();
    ASSERT_EQ(frames.size(), 9u);
    EXPECT_EQ(app.GetDocument()->GetTableView(), nullptr);
    EXPECT_NE(dynamic_cast<CMeterView*>(ViewOf(frames[2])), nullptr);

    TestApp failing;
    failing.failMain = true;
    EXPECT_FALSE(failing.InitInstance());
    EXPECT_EQ(failing.m_pMainWnd, nullptr);
    EXPECT_TRUE(failing.GetStandardFrames().empty());
}

TEST(Startup, BarsMenuAndFixedChildFrames) {
    testing_support::TempEnvironment env;
    testing_support::NoComPorts noPorts;
    TestApp app;
    // The recent-file list is read from the company's profile, four at most, gaps skipped; the
    // File menu below still lists none of them.
    app.SetRegistryKey("Mercant Systems");
    for (const char* entry : {"File1", "File3", "File5"})
        ASSERT_TRUE(app.WriteProfileString("Recent File List", entry, CString("/p/") + entry));
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(app.GetRecentFileList(), (std::vector<CString>{"/p/File1", "/p/File3"}));
    CMainFrame* frame = app.GetMainFrame();
    EXPECT_TRUE(frame->GetAdvancedToolbar().Bar()->isVisibleTo(frame->GetWidget()));
    EXPECT_FALSE(frame->GetBasicToolbar().Bar()->isVisibleTo(frame->GetWidget()));
    EXPECT_FALSE(frame->GetSimpleToolbar().Bar()->isVisibleTo(frame->GetWidget()));
    CToolBar& bar = frame->GetAdvancedToolbar();
    EXPECT_EQ(bar.GetCount(), 29);
    const int run = bar.CommandToIndex(ID_RUN_TB);
    EXPECT_EQ(run, 6);
    EXPECT_TRUE(bar.GetButtonStyle(run) & TBSTYLE_DROPDOWN);
    EXPECT_EQ(bar.GetButtonTip(run), "Run");
    EXPECT_EQ(bar.GetButtonTip(bar.CommandToIndex(ID_GRAPH_TB)), "Display multi axis Graph");

    // Every button shows its picture, not its tooltip text, and the advanced bar fits at 800 px.
    for (CToolBar* tb : {&bar, &frame->GetBasicToolbar(), &frame->GetSimpleToolbar()})
        for (int i = 0; i < tb->GetCount(); ++i) {
            if (tb->GetItemID(i) == ID_SEPARATOR) continue;
            SCOPED_TRACE(testing::Message() << "button " << tb->GetItemID(i));
            ASSERT_NE(tb->Button(i), nullptr);
            EXPECT_EQ(tb->Button(i)->icon().actualSize(QSize(20, 21)), QSize(20, 21));
        }
    EXPECT_LE(bar.Bar()->sizeHint().width(), 800);

    // Each top-level popup's ids, 0 for a separator and -1 for a popup.
    CMenu& menu = frame->GetMainMenu();
    const std::vector<std::pair<CString, std::vector<int>>> popups = {
        {"&File",
         {3869, 57601, 57603, 57604, 0, 2165, 2157, 0, 2158, 2131, 2150, 2155, 2164, 0, 57607,
          57606, 0, 57665}},
        {"&View", {3811, 2118, 2121, 2119, 2120, 2122, 0, 2123}},
        {"&Graph", {4811, 4812, 3884, 0,    3961, 3962, 4810, 3963, 3886, 0,   2156,
                    4808, 4815, 2000, 2153, 0,    2144, 2145, 2146, 2147, 2148}},
        {"&Workbook", {3856, -1, 2113, 2114, 2115, 2116, 2117}},
        {"V&ideo", {3814, 3815, 3816, 3817, 0, 3818, 3820, 4956}},
        {"&Logger", {4781, 4783, 2136, 4782, -1, 4922, 0, -1, 4822}},
        {"&Analysis", {4824, 4825, 4826, 4828, 0, 2138}},
        {"&Help", {4068, 4069, 0, 57664}}};
    ASSERT_EQ(menu.GetMenuItemCount(), 8);
    for (int i = 0; i < 8; ++i) {
        CString title;
        menu.GetMenuString(static_cast<UINT>(i), title, MF_BYPOSITION);
        EXPECT_EQ(title, popups[static_cast<size_t>(i)].first);
        std::vector<int> ids;
        CMenu* popup = menu.GetSubMenu(i);
        for (int k = 0; k < popup->GetMenuItemCount(); ++k)
            ids.push_back(static_cast<int>(popup->GetMenuItemID(k)));
        EXPECT_EQ(ids, popups[static_cast<size_t>(i)].second) << title.GetString();
    }
    CStatusBar& status = frame->GetStatusBar();
    ASSERT_EQ(status.GetCount(), 4);
    EXPECT_EQ(status.GetPaneText(0), "Ready");
    EXPECT_EQ(status.GetPaneText(1), "CAP");
    EXPECT_EQ(status.GetItemID(3), ID_INDICATOR_SCRL);
    EXPECT_FALSE(status.IsPaneEnabled(2));

    // A standard window: no caption, a system menu of Restore, separator, Close, and it stays.
    auto* clock = dynamic_cast<CChildFrame*>(app.GetStandardFrames()[4]);
    ASSERT_NE(clock, nullptr);
    EXPECT_TRUE(clock->GetWidget()->windowFlags() & Qt::FramelessWindowHint);
    CMenu* sys = clock->GetSystemMenu(FALSE);
    ASSERT_EQ(sys->GetMenuItemCount(), 3);
    EXPECT_EQ(sys->GetMenuItemID(1), 0u);
    CString close;
    sys->GetMenuString(2, close, MF_BYPOSITION);
    EXPECT_EQ(close, "&Close\tCtrl+F4");
    CView* view = clock->GetActiveView();
    clock->GetWidget()->close();
    EXPECT_TRUE(IsWindow(clock->m_hWnd));
    EXPECT_EQ(app.GetDocument()->GetClockView(), view);
    app.ExitInstance();
}

TEST(Startup, ClosingEndsTheLoop) {
    testing_support::TempEnvironment env;
    testing_support::NoComPorts noPorts;
    TestApp app;
    ASSERT_TRUE(app.InitInstance());
    CWnd* frame = app.m_pMainWnd;
    EXPECT_TRUE(frame->IsWindowVisible());
    QTimer::singleShot(0, [frame] { frame->GetWidget()->close(); });
    EXPECT_EQ(app.Run(), 0);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
}

}  // namespace
