// The graph's pointer tools from their buttons and menu items: where the cursors start, pan and
// zoom.

#include <cmath>
#include <cstdlib>
#include <string>

#include "RES/commands.h"
#include "RES/graph_bars.h"
#include "logger/helpers.h"
#include "tests/displays/graph_view_fixture.h"
#include "tests/support/user_commands.h"

namespace graph_test {
namespace {

constexpr const char* kNoPlot = "No plot is displayed";

class GraphToolsTest : public GraphViewTest {
protected:
    GraphToolsTest() : GraphViewTest(true) { SizeView(600, 400); }
    CDataTreeBrench* Show(const SetFields& f, std::vector<double> y) {
        CDataTreeBrench* d = AddSet(f, std::move(y));
        view.PlotAllData(Add(d));
        return d;
    }
    // The graph's or the main window's toolbar button, else the menu item.
    void Command(UINT id) {
        CFrameWnd& bars = testing_support::ToolbarButtonState(frame, id).present
                              ? static_cast<CFrameWnd&>(frame)
                              : mainFrame;
        ASSERT_TRUE(testing_support::UseCommand(bars, id));
    }
    void Window(double x0, double x1, double y0, double y1) {
        view.SetAxisRange(1, x0, x1, FALSE, TRUE);
        view.SetAxisRange(2, y0, y1, FALSE, TRUE);
    }
    const platform::graph::Cursor& CursorA() const { return State().cursors[1]; }
    const platform::graph::Cursor& CursorB() const { return State().cursors[2]; }
    template <class F>
    static std::vector<double> Make(size_t n, F f) {
        std::vector<double> y(n);
        for (size_t i = 0; i < n; ++i)
            y[i] = f(static_cast<double>(i));
        return y;
    }
    int FrameCheck(UINT id) {
        CCmdUI ui;
        ui.m_nID = id;
        EXPECT_TRUE(ui.DoUpdate(&frame, TRUE));
        return ui.m_checked;
    }
    int MainCheck(UINT id) {
        CCmdUI ui;
        ui.m_nID = id;
        EXPECT_TRUE(ui.DoUpdate(&mainFrame, TRUE));
        return ui.m_checked;
    }
};

TEST_F(GraphToolsTest, DisplayCursorStartsInsideTheWindow) {
    struct Row {
        const char* what;
        std::vector<double> y;
        std::vector<double> xSet;  // not empty: Y versus X against this set
        double x0, x1, y0, y1;
        LONG expected;  // -1: "No plot is displayed"
    };
    const auto ramp = Make(101, [](double i) { return i; });
    const auto vee = Make(101, [](double i) { return std::abs(i - 50.0); });
    const auto sine = Make(2000, [](double i) { return std::sin(i / 100.0); });
    const Row rows[] = {
        {"sine, middle inside", sine, {}, 500, 1500, -2, 2, 1000},
        {"middle above the Y window: the nearest inside, the left first",
         vee,
         {},
         0,
         100,
         10,
         20,
         39},
        {"nothing inside the Y window keeps the middle", ramp, {}, 0, 100, 1000, 2000, 50},
        {"the window right of the data", ramp, {}, 200, 300, 0, 100, -1},
        {"a narrow window", ramp, {}, 10.5, 20.5, -5, 500, 15},
        {"Y vs X, X descending, middle inside", ramp, Make(101, [](double i) { return 100.0 - i; }),
         0, 100, -1, 1000, 50},
        {"Y vs X, X descending, middle outside", ramp,
         Make(101, [](double i) { return 100.0 - i; }), 0, 100, 70, 90, 71},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        view.HideCursors();
        view.RefreshGraph(TRUE);
        view.m_yVsX = 0;
        view.m_xAxis.dataSet = nullptr;
        Show({}, r.y);
        if (!r.xSet.empty()) {
            CDataTreeBrench* xs = AddSet({"Volt", 0, 100, 2, 0, 0, "V"}, r.xSet);
            view.m_yVsX = 1;
            view.m_xAxis.dataSet = xs;
            view.PlotAllData(0);
        }
        Window(r.x0, r.x1, r.y0, r.y1);
        if (r.expected < 0) modals.ExpectMessage(kNoPlot, IDOK);
        Command(ID_GV_DISPLAY_CURSOR);
        EXPECT_EQ(modals.Pending(), 0u);
        if (r.expected < 0) {
            EXPECT_EQ(view.m_cursorCount, 0);
            continue;
        }
        ASSERT_EQ(view.m_cursorCount, 1);
        EXPECT_TRUE(CursorA().visible);
        EXPECT_EQ(CursorA().index, r.expected);
        const double y = r.y[static_cast<size_t>(r.expected)];
        const double x = r.xSet.empty() ? static_cast<double>(r.expected)
                                        : r.xSet[static_cast<size_t>(r.expected)];
        if (r.y0 < 1000) {
            EXPECT_GT(y, r.y0);
            EXPECT_LT(y, r.y1);
            EXPECT_GE(x, r.x0);
            EXPECT_LE(x, r.x1);
        }
        Command(ID_GV_DISPLAY_CURSOR);  // shown: hides it
        EXPECT_EQ(view.m_cursorCount, 0);
        EXPECT_FALSE(CursorA().visible);
    }
}

TEST_F(GraphToolsTest, DisplayCursorWithoutPlot) {
    for (UINT id : {ID_GV_DISPLAY_CURSOR, ID_GV_SECOND_CURSOR})
        EXPECT_FALSE(testing_support::ToolbarButtonState(frame, id).enabled) << id;
    // Their handlers refuse all the same.
    modals.ExpectMessage(kNoPlot, IDOK);
    ASSERT_TRUE(view.OnCmdMsg(ID_GV_DISPLAY_CURSOR, 0, nullptr, nullptr));
    EXPECT_EQ(modals.Pending(), 0u);
    EXPECT_EQ(view.m_cursorCount, 0);
    ASSERT_TRUE(view.OnCmdMsg(ID_GV_SECOND_CURSOR, 0, nullptr, nullptr));
    EXPECT_EQ(view.m_cursorCount, 0);
}

TEST_F(GraphToolsTest, SecondCursorStartsRightOfTheFirst) {
    Show({}, Make(101, [](double i) { return i; }));
    Window(0, 100, -1, 1000);
    view.m_cursorPlotNumber = 1;
    view.m_cursorPointIndex = 20;
    view.ShowCursors();
    ASSERT_EQ(view.m_cursorCount, 1);
    Command(ID_GV_SECOND_CURSOR);
    ASSERT_EQ(view.m_cursorCount, 2);
    EXPECT_TRUE(CursorB().visible);
    EXPECT_EQ(CursorB().index, 60) << "the middle between cursor A and the window's right end";
    EXPECT_EQ(CursorA().index, 20);
    EXPECT_EQ(frame.GetPositionText(), "dX = 40.000 (s) dY = 40 (lux)");

    Command(ID_GV_SECOND_CURSOR);  // both shown: B goes
    EXPECT_EQ(view.m_cursorCount, 1);
    EXPECT_FALSE(CursorB().visible);
    EXPECT_TRUE(CursorA().visible);

    // Cursor A on a curve whose name is no plot number (a prediction's is empty).
    view.GetGraph().GetPlots().Item(1).SetString(3, "");
    modals.ExpectMessage(kNoPlot, IDOK);
    Command(ID_GV_SECOND_CURSOR);
    EXPECT_EQ(modals.Pending(), 0u);
    EXPECT_EQ(view.m_cursorCount, 1);
    EXPECT_FALSE(CursorB().visible);
}

TEST_F(GraphToolsTest, PanAndZoomExcludeEachOther) {
    Show({}, Make(101, [](double i) { return i; }));
    for (bool cursors : {false, true}) {
        SCOPED_TRACE(cursors ? "with cursors" : "without cursors");
        view.HideCursors();
        if (cursors) {
            view.m_cursorPlotNumber = 1;
            view.m_cursorPointIndex = 3;
            view.ShowCursors();
        }
        const LONG plain = cursors ? 2 : 1;
        struct Step {
            UINT id;
            LONG track;
            int pan, zoom;
        };
        const Step steps[] = {
            {ID_GV_PAN, 3, 1, 0},        {ID_GV_ZOOM, 6, 0, 1},    {ID_GRAPH_PAN, 3, 1, 0},
            {ID_GRAPH_PAN, plain, 0, 0}, {ID_GRAPH_ZOOM, 6, 0, 1}, {ID_GV_ZOOM, plain, 0, 0},
        };
        for (const Step& s : steps) {
            SCOPED_TRACE(s.id);
            Command(s.id);
            EXPECT_EQ(view.GetGraph().GetTrackMode(), s.track);
            EXPECT_EQ(view.m_panMode, s.pan);
            EXPECT_EQ(view.m_zoomMode, s.zoom);
            EXPECT_EQ(FrameCheck(ID_GV_PAN), s.pan);
            EXPECT_EQ(FrameCheck(ID_GV_ZOOM), s.zoom);
            EXPECT_EQ(MainCheck(ID_GRAPH_PAN), s.pan);
            EXPECT_EQ(MainCheck(ID_GRAPH_ZOOM), s.zoom);
        }
        // Leaving both, as the cursor display does.
        Command(ID_GV_PAN);
        view.LeavePanZoomModes();
        EXPECT_EQ(view.GetGraph().GetTrackMode(), plain);
        EXPECT_EQ(FrameCheck(ID_GV_PAN), 0);
        EXPECT_EQ(MainCheck(ID_GRAPH_PAN), 0);
    }
}

TEST_F(GraphToolsTest, CropKeepsTheStretchBetweenTheCursors) {
    struct Row {
        const char* what;
        LONG a, b;           // b < 0: one cursor
        size_t shortSecond;  // not 0: a second plot of this many points
        size_t first, last;  // the kept stretch of plot 1
    };
    const Row rows[] = {
        {"one cursor: to the end", 30, -1, 0, 30, 100},
        {"two cursors", 30, 60, 0, 30, 60},
        {"cursor B left of A", 60, 30, 0, 30, 60},
        {"From X only on the first of two plots", 30, -1, 20, 30, 100},
    };
    const double interval = RateInfo(41).intervalSeconds;
    HTREEITEM runItem = tree.AddProjectItem("Run 1");
    tree.AddDataSetItem(runItem, "Light");
    tree.BindExperimentItem(experiment->m_id, runItem);
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        view.HideCursors();
        view.RefreshGraph(TRUE);
        const auto y = Make(101, [](double i) { return i * 2.0 + 1.0; });
        CDataTreeBrench* old = Show({}, y);
        CDataTreeBrench* second = r.shortSecond
                                      ? Show({"Sound", 41, 100, 3, 0, 0, "dB"},
                                             Make(r.shortSecond, [](double i) { return i; }))
                                      : nullptr;
        view.m_cursorPlotNumber = 1;
        view.m_cursorPointIndex = r.a;
        view.ShowCursors();
        if (r.b >= 0) {
            view.ShowCursors();
            view.GetGraph().GetCursors().Item(3).SetLong(6, r.b);
        }
        tree.GetTreeCtrl().Expand(runItem, TVE_EXPAND);
        Command(ID_GRAPH_CROP);

        EXPECT_EQ(tree.GetTreeCtrl().GetItemState(runItem, TVIS_EXPANDED), 0u)
            << "the old experiment is collapsed";
        EXPECT_EQ(view.m_cursorCount, 0);
        EXPECT_FALSE(CursorA().visible);
        CDataTreeBrench* group = doc.m_dataList.FindByName("Cropped data");
        ASSERT_NE(group, nullptr);
        EXPECT_TRUE(group->IsExperiment());
        CDataTreeBrench* cropped = view.m_plots[0].dataSet;
        ASSERT_NE(cropped, old);
        EXPECT_EQ(cropped->m_name, "Run 1 - Light");
        EXPECT_EQ(doc.m_dataList.GetExperimentOf(cropped->m_id), group);
        const size_t n = r.last - r.first + 1;
        EXPECT_EQ(*cropped->m_x, Make(n, [](double i) { return i; }));
        EXPECT_EQ(*cropped->m_y, std::vector<double>(y.begin() + static_cast<long>(r.first),
                                                     y.begin() + static_cast<long>(r.last) + 1));
        EXPECT_EQ(ControlX(0), *cropped->m_x);
        const CPreciseTimeSpan offset = cropped->m_startTime - old->m_startTime;
        EXPECT_NEAR(static_cast<double>(offset.GetTicks()) / CPreciseTimeSpan::kTicksPerSecond,
                    static_cast<double>(r.first) * interval, 1e-6);
        EXPECT_EQ(cropped->m_rateCode, old->m_rateCode);
        EXPECT_EQ(tree.GetCheckState(old->m_id), 1);
        EXPECT_EQ(tree.GetCheckState(cropped->m_id), 2);
        EXPECT_EQ(view.GetAxisMaximum(1), static_cast<double>(n - 1)) << "autoscaled";
        if (second) {
            EXPECT_EQ(view.m_plots[1].dataSet, second) << "no From X there: unchanged";
        }
        int named = 0;
        for (int i = 0; i < doc.m_dataList.GetCount(); ++i)
            named += doc.m_dataList.GetAt(i)->m_name == "Cropped data";
        EXPECT_EQ(named, 1) << "a second crop reuses the group";
    }
}

TEST_F(GraphToolsTest, CropRefusedChangesNothing) {
    for (const char* what : {"Y vs X", "no data map", "no cursor"}) {
        SCOPED_TRACE(what);
        view.HideCursors();
        view.RefreshGraph(TRUE);
        view.m_yVsX = 0;
        view.m_xAxis.dataSet = nullptr;
        doc.m_dataTreeView = &tree;
        CDataTreeBrench* old = Show({}, Make(50, [](double i) { return i; }));
        if (std::string(what) == "Y vs X") {
            view.m_yVsX = 1;
            view.m_xAxis.dataSet =
                AddSet({"Volt", 0, 100, 2, 0, 0, "V"}, Make(50, [](double i) { return i; }));
            view.PlotAllData(0);
        }
        if (std::string(what) != "no cursor") {
            view.m_cursorPlotNumber = 1;
            view.m_cursorPointIndex = 10;
            view.ShowCursors();
        }
        const bool enabled = std::string(what) == "no data map";
        EXPECT_EQ(testing_support::MenuCommandState(mainFrame, ID_GRAPH_CROP).enabled, enabled)
            << "Graph > Crop";
        if (enabled) doc.m_dataTreeView = nullptr;
        const int nodes = doc.m_dataList.GetCount();
        if (enabled) Command(ID_GRAPH_CROP);
        EXPECT_EQ(doc.m_dataList.GetCount(), nodes);
        EXPECT_EQ(view.m_plots[0].dataSet, old);
        EXPECT_EQ(*old->m_x, Make(50, [](double i) { return i; }));
    }
    doc.m_dataTreeView = &tree;
}

TEST_F(GraphToolsTest, StatisticsOfTheCursorsPlot) {
    struct Row {
        const char* what;
        int plots;
        LONG a, b;        // a < 0: no cursor; b < 0: one cursor
        int first, last;  // -1: nothing written
        bool message;
    };
    const Row rows[] = {
        {"one cursor: all points", 1, 5, -1, 0, 9, false},
        {"two cursors in reverse order: the stretch", 1, 7, 2, 2, 7, false},
        {"no cursor, one plot: all points", 1, -1, -1, 0, 9, false},
        {"no cursor, two plots", 2, -1, -1, -1, -1, true},
    };
    const std::vector<double> y = {4, 1, 3, 8, 2, 6, 5, 9, 0, 7};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        view.HideCursors();
        view.RefreshGraph(TRUE);
        frame.SetReadoutText("");
        CDataTreeBrench* d = Show({}, y);
        if (r.plots == 2) Show({"Sound", 41, 100, 3, 0, 0, "dB"}, y);
        if (r.a >= 0) {
            view.m_cursorPlotNumber = 1;
            view.m_cursorPointIndex = r.a;
            view.ShowCursors();
        }
        if (r.b >= 0) {
            view.ShowCursors();
            view.GetGraph().GetCursors().Item(3).SetLong(6, r.b);
        }
        if (r.message) modals.ExpectMessage("Use the cursor to select a curve", IDOK);
        Command(ID_STATISTICS);
        EXPECT_EQ(modals.Pending(), 0u);
        EXPECT_EQ(frame.m_readoutText,
                  r.first < 0 ? CString() : d->GetStatisticsText(0, 0, r.first, r.last));
        if (r.first == 2) {
            EXPECT_EQ(frame.m_readoutText, "Min. = 2, Max. = 9, Average = 5.50, Std. Dev. = 2.74");
        }
    }
    // A cursor on a curve that is no plot (a prediction) measures nothing.
    view.HideCursors();
    view.RefreshGraph(TRUE);
    Show({}, y);
    view.m_cursorPlotNumber = 1;
    view.m_cursorPointIndex = 3;
    view.ShowCursors();
    view.GetGraph().GetPlots().Item(1).SetString(3, "");
    frame.SetReadoutText("");
    // The Statistics button is on the Simple level's toolbar.
    mainFrame.ShowAdvancedToolbar(false);
    mainFrame.ShowSimpleToolbar(true);
    Command(ID_STATISTICS_TB);
    EXPECT_EQ(frame.m_readoutText, "");
}

}  // namespace
}  // namespace graph_test
