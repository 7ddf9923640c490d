// The standard windows tiled in the real program: start-up, a resize and the View commands.

#include <gtest/gtest.h>

#include <QMainWindow>
#include <QMdiSubWindow>
#include <QTest>

#include "app/data_tree_view.h"
#include "app/varnel_app.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_view.h"
#include "displays/meter/meter_view.h"
#include "displays/table/table_view.h"
#include "experiment/setup_view.h"
#include "logger/dorvik.h"
#include "logger/settings.h"
#include "models/display_layout.h"
#include "tests/support/core/sim_port.h"
#include "tests/support/harness.h"
#include "tests/support/user_commands.h"
#include "video/video_view.h"

namespace {

namespace dl = display_layout;

class WindowLayoutTest : public ::testing::Test {
protected:
    WindowLayoutTest() {
        app.InitInstance();
        main = app.GetMainFrame();
        doc = app.GetDocument();
        testing_support::ProcessQtEvents();
    }
    ~WindowLayoutTest() override { app.ExitInstance(); }

    // The frame of a view, where it stands in the main frame's area, and whether it is shown.
    static dl::Placement Where(CView* view) {
        QWidget* frame = view->GetParentFrame()->GetWidget();
        const QRect g = frame->geometry();
        return {{g.x(), g.y(), g.width(), g.height()}, frame->isVisibleTo(frame->parentWidget())};
    }
    ::testing::AssertionResult At(CView* view, const dl::Layout& layout, dl::Window w) const {
        const dl::Placement got = Where(view);
        const dl::Placement& want = *layout.windows[w];
        if (got.shown != want.shown)
            return ::testing::AssertionFailure() << "window " << w << " shown " << got.shown;
        if (want.shown && !(got.rect == want.rect))
            return ::testing::AssertionFailure()
                   << "window " << w << " at " << got.rect.x << ", " << got.rect.y << ", "
                   << got.rect.cx << ", " << got.rect.cy;
        return ::testing::AssertionSuccess();
    }
    dl::Layout Expected() const {
        const CSize area = main->GetLayoutArea();
        const CSettings& s = *doc->GetSettings();
        return dl::ComputeLayout({s.m_graphMode, s.m_tableMode, s.m_videoMode, s.m_dataMapMode,
                                  s.m_meterMode, s.m_workbookMode, s.m_clockMode},
                                 area.cx, area.cy + 53, s.m_interfaceLevel, doc->m_timingMode);
    }

    testing_support::TempEnvironment env;
    testing_support::NoComPorts noPorts;
    // A port where no logger answers: the program's search for one waits on the clock.
    testing_support::SimulatedComPort silent{2, CDorvik::kBasicBaudRate};
    testing_support::ScopedVirtualClock clock;
    testing_support::ModalScript modals;
    CVarnelApp app;
    CMainFrame* main = nullptr;
    CVarnelDoc* doc = nullptr;
};

TEST_F(WindowLayoutTest, StartUpTilesByTheDefaultModes) {
    EXPECT_TRUE(main->IsAutoLayout()) << "the graph view's first update allows re-tiling";
    const CSize area = main->GetLayoutArea();
    ASSERT_GT(area.cx, 400);
    const dl::Layout l = Expected();
    EXPECT_TRUE(At(doc->GetGraphView(), l, dl::kGraph));
    EXPECT_TRUE(At(doc->GetDataTreeView(), l, dl::kDataMap));
    EXPECT_TRUE(At(doc->GetVideoView(), l, dl::kVideo));
    EXPECT_TRUE(At(doc->GetSetupView(), l, dl::kSetup));
    EXPECT_TRUE(At(doc->GetTableView(), l, dl::kTable));
    EXPECT_TRUE(At(doc->GetMeterView(), l, dl::kMeters));
    EXPECT_EQ(Where(doc->GetGraphView()).rect.x, area.cx / 7 + 1);
    EXPECT_TRUE(Where(doc->GetGraphView()).shown);
    EXPECT_FALSE(Where(doc->GetTableView()).shown);
    const int right = 5 * area.cx / 7 + 1;
    EXPECT_EQ(doc->GetVideoView()->GetVideoRect(),
              CRect(right, 0, right + 2 * area.cx / 7 - 1, area.cy / 2));
    EXPECT_TRUE(main->m_graphShown);
    EXPECT_TRUE(main->m_dataMapShown);
    EXPECT_TRUE(main->m_videoWindowShown);
    testing_support::SaveTestImage(testing_support::RenderWidget(main->GetWidget()),
                                   "window-layout-startup");
}

TEST_F(WindowLayoutTest, AResizeAndTheViewCommandsReTile) {
    // A window system may resize later: the test waits for it.
    const CSize before = main->GetLayoutArea();
    main->GetWidget()->resize(1000, 700);
    ASSERT_TRUE(QTest::qWaitFor([&] { return main->GetLayoutArea().cx != before.cx; }, 5000));
    testing_support::ProcessQtEvents();
    EXPECT_TRUE(At(doc->GetGraphView(), Expected(), dl::kGraph)) << "after a resize";

    ASSERT_TRUE(testing_support::UseCommand(*main, ID_VIEW_TABLE));
    EXPECT_EQ(doc->GetSettings()->m_tableMode, 3);
    EXPECT_EQ(doc->GetSettings()->m_graphMode, 0);
    EXPECT_TRUE(main->m_tableShown);
    EXPECT_TRUE(At(doc->GetTableView(), Expected(), dl::kTable));
    EXPECT_FALSE(Where(doc->GetGraphView()).shown);

    ASSERT_TRUE(testing_support::UseCommand(*main, ID_DATA_MAP_TB));
    EXPECT_FALSE(main->m_dataMapShown);
    EXPECT_FALSE(Where(doc->GetDataTreeView()).shown);
    EXPECT_FALSE(main->GetMainMenu().GetMenuState(ID_VIEW_DATA_MAP, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(At(doc->GetTableView(), Expected(), dl::kTable)) << "the main area widens";

    ASSERT_TRUE(testing_support::UseCommand(*main, ID_GRAPH_TB));
    EXPECT_TRUE(At(doc->GetGraphView(), Expected(), dl::kGraph));
    EXPECT_TRUE(main->m_graphShown);

    doc->m_runInProgress = 1;
    modals.ExpectMessage(CVarnelDoc::kRunningText, IDOK);
    ASSERT_TRUE(testing_support::UseCommand(*main, ID_METERS_TB));
    EXPECT_EQ(doc->GetSettings()->m_meterMode, 0);
    doc->m_runInProgress = 0;
    ASSERT_TRUE(testing_support::UseCommand(*main, ID_METERS_TB));
    EXPECT_EQ(doc->GetSettings()->m_meterMode, 3);
    EXPECT_TRUE(doc->GetSetupView()->m_meterMode);
    EXPECT_TRUE(main->m_metersActive);
    EXPECT_TRUE(At(doc->GetMeterView(), Expected(), dl::kMeters));
    EXPECT_EQ(modals.Pending(), 0u);
}

}  // namespace
