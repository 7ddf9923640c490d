// Cursors and their read-out, on the real graph control.

#include "logger/helpers.h"
#include "tests/displays/graph_view_fixture.h"

namespace graph_test {
namespace {

class GraphCursorTest : public GraphViewTest {
protected:
    CDataTreeBrench* Show(const SetFields& f, std::vector<double> y) {
        CDataTreeBrench* d = AddSet(f, std::move(y));
        const SHORT p = Add(d);
        view.PlotAllData(p);
        return d;
    }
    // Cursor A at a point of plot 1, then (when b >= 0) cursor B at point b.
    void Place(LONG a, LONG b = -1) {
        view.HideCursors();
        view.m_cursorPlotNumber = 1;
        view.m_cursorPointIndex = a;
        view.ShowCursors();
        if (b < 0) return;
        view.ShowCursors();
        view.GetGraph().GetCursors().Item(3).SetLong(6, b);
        view.UpdateCursorReadout();
    }
    CString Main() const { return frame.GetPositionText(); }
    static std::vector<double> Ramp(size_t n, double step = 1.5) {
        std::vector<double> y(n);
        for (size_t i = 0; i < n; ++i)
            y[i] = static_cast<double>(i) * step;
        return y;
    }
};

TEST_F(GraphCursorTest, CursorAThenBThenBothHidden) {
    Show({}, Ramp(10));
    view.m_cursorPlotNumber = 1;
    view.m_cursorPointIndex = 4;
    view.ShowCursors();
    EXPECT_EQ(view.m_cursorCount, 1);
    EXPECT_EQ(view.GetGraph().GetTrackMode(), 2);
    EXPECT_EQ(State().activeCursor, 1) << "method 21 with 1";
    const auto& a = State().cursors[1];
    EXPECT_TRUE(a.visible);
    EXPECT_EQ(a.index, 4);
    EXPECT_EQ(a.plot, State().plots[0].id);
    EXPECT_TRUE(frame.m_secondCursorEnabled);

    view.ShowCursors();
    EXPECT_EQ(view.m_cursorCount, 2);
    const auto& b = State().cursors[2];
    EXPECT_TRUE(b.visible);
    EXPECT_EQ(b.plot, State().plots[0].id) << "cursor B joins cursor A's plot";
    EXPECT_EQ(b.index, 9);

    view.ShowCursors();  // A and B on the same plot: both go
    EXPECT_EQ(view.m_cursorCount, 0);
    EXPECT_FALSE(State().cursors[1].visible);
    EXPECT_FALSE(State().cursors[2].visible);
    EXPECT_EQ(view.GetGraph().GetTrackMode(), 1);

    // A stored plot that is not shown places nothing.
    view.m_cursorPlotNumber = 3;
    view.ShowCursors();
    EXPECT_EQ(view.m_cursorCount, 0);
}

TEST_F(GraphCursorTest, ReadoutTexts) {
    doc.GetSettings()->m_temperatureUnit = 0;
    struct Row {
        const char* name;
        SetFields fields;
        LONG a, b;
        std::function<void()> before;
        const char* main;
        const char* analysis;
    };
    auto yVsX = [this] {
        CDataTreeBrench* xs = AddSet({"Volt", 0, 100, 2, 0, 0, "V"}, Ramp(10, 0.111111));
        view.m_yVsX = 1;
        view.m_xAxis.dataSet = xs;
        view.PlotAllData(0);
    };
    const Row rows[] = {
        {"time, one cursor", {}, 4, -1, nullptr, "X = 4.000 (s)  Y = 4.938 (lux)", ""},
        {"time, two cursors", {}, 2, 6, nullptr, "dX = 4.000 (s) dY = 4.9382 (lux)", ""},
        {"samples, one cursor",
         {"Light", 0},
         4,
         -1,
         nullptr,
         "X = 4 (Samples) Y = 4.938 (lux)",
         ""},
        {"samples, two cursors",
         {"Light", 0},
         2,
         7,
         nullptr,
         "X = 5 (Samples) Y = 6.1728 (lux)",
         ""},
        {"Y versus X, one cursor", {"Light", 0}, 4, -1, yVsX, "X = 0.4444 (V) Y = 4.938 (lux)", ""},
        {"Y versus X, two cursors",
         {"Light", 0},
         2,
         6,
         yVsX,
         "dX = 0.44444 (V) dY = 4.9382 (lux)",
         ""},
        {"bar graph",
         {"Light", 0},
         4,
         -1,
         [this] { view.m_barGraph = 1; },
         "X = 4 (Samples) Y = 4.938 (lux)",
         ""},
        {"Fahrenheit", TemperatureFields(), 2, 6,
         [this] { doc.GetSettings()->m_temperatureUnit = 1; },
         "dX = 4.000 (s) dY = 8.8888 (\xC2\xB0"
         "F)",
         ""},
        {"pressure",
         {"Pressure", 0, 100, 4, 0, 1, "kPa"},
         4,
         -1,
         [this] { doc.GetSettings()->m_pressureUnit = 4; },
         nullptr,
         ""},
        {"comment",
         {"Light", 0},
         4,
         -1,
         [this] {
             experiment->m_experimentTexts = {"", "", "", "", "boiling"};
         },
         "X = 4 (Samples) Y = 4.938 (lux)   Comment: boiling",
         ""},
        {"empty comment",
         {"Light", 0},
         3,
         -1,
         [this] {
             experiment->m_experimentTexts = {"", "", "", "", "boiling"};
         },
         "X = 3 (Samples) Y = 3.704 (lux)",
         ""},
        {"slope", {"Light", 0}, 4, -1, nullptr, nullptr, ""},
        {"fitted line",
         {"Fit", 0},
         1,
         -1,
         [this] { view.m_plots[0].dataSet->m_comment = "f(x) = 1.5x"; },
         "X = 1 (Samples) Y = 1.235 (lux)",
         "f(x) = 1.5x"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        view.RefreshGraph(TRUE);
        view.m_barGraph = 0;
        view.m_slopeMode = view.m_areaMode = 0;
        experiment->m_experimentTexts.clear();
        doc.GetSettings()->m_temperatureUnit = 0;
        doc.GetSettings()->m_pressureUnit = 0;
        view.m_yVsX = 0;
        view.m_xAxis.dataSet = nullptr;
        Show(r.fields, Ramp(10, 1.23456));
        if (r.before) r.before();
        Place(r.a, r.b);
        if (std::string(r.name) == "slope") {
            // Slope mode goes with the cursors: switched on once they stand.
            view.m_slopeMode = 1;
            view.UpdateCursorReadout();
        }
        CString main = r.main ? CString(r.main) : CString();
        if (std::string(r.name) == "pressure")
            main = "X = 4 (Samples) Y = " +
                   FormatValue(ConvertPressureValue(4 * 1.23456, 4), 3, false) + " (atm)";
        if (std::string(r.name) == "slope")
            main =
                "X = 4 (Samples) Y = 4.938 (lux)" + view.m_plots[0].dataSet->GetSlopeText(4, 0, 0);
        EXPECT_EQ(Main(), main);
        EXPECT_EQ(frame.m_readoutText, r.analysis);
    }
}

TEST_F(GraphCursorTest, AreaModeKeepsTheMainLineAndShowsTheArea) {
    CDataTreeBrench* d = Show({"Light", 0}, Ramp(10));
    Place(2, 6);
    const CString before = Main();
    view.m_areaMode = 1;
    view.UpdateCursorReadout();
    EXPECT_EQ(Main(), before);
    EXPECT_EQ(frame.m_readoutText, d->GetAreaText(0, 0, 2, 6, nullptr));
    EXPECT_EQ(frame.m_readoutShown, 1);
}

TEST_F(GraphCursorTest, StalePlotsAndPointsLeaveTheReadoutAlone) {
    CDataTreeBrench* d = Show({"Light", 0}, Ramp(10));
    Place(8);
    const CString before = Main();
    ASSERT_FALSE(before.IsEmpty());

    // A cursor on a prediction's plot: its name is past the data plots.
    view.TogglePredictMode();
    view.AddPredictionPoint(1, 1, 1);
    view.AddPredictionPoint(2, 2, 1);
    CDispatchDriver a = view.GetGraph().GetCursors().Item(2);
    a.SetProperty(8, VarI4(2));
    a.SetLong(6, 1);
    view.UpdateCursorReadout();
    EXPECT_EQ(Main(), before);
    view.TogglePredictMode();

    // The data set shorter than the plot: cursor A's point is past its data.
    Place(8);
    d->m_x->resize(5);
    d->m_y->resize(5);
    view.m_slopeMode = 1;
    view.UpdateCursorReadout();
    EXPECT_EQ(Main(), before);
    view.m_barGraph = 1;
    view.UpdateCursorReadout();
    EXPECT_EQ(Main(), before);
    view.m_barGraph = 0;
    view.m_slopeMode = 0;

    // A comment list shorter than the sample number adds no comment.
    d->m_x->resize(10);
    d->m_y->resize(10);
    experiment->m_experimentTexts = {"only"};
    Place(4);
    EXPECT_EQ(Main(), "X = 4 (Samples) Y = 6 (lux)");
}

TEST_F(GraphCursorTest, DoubleClickInThePlotArea) {
    Show({}, Ramp(10));
    CWGraph* control = view.GetGraph().GetGraphControl();
    auto doubleClick = [&] { control->MouseDown(1, 0, QPointF(300, 150), true); };
    doubleClick();
    EXPECT_EQ(view.m_cursorCount, 0) << "no cursor shown: nothing";
    Place(3);
    view.m_paused = 1;
    doubleClick();
    EXPECT_EQ(view.m_cursorCount, 1) << "paused: nothing";
    view.m_paused = 0;
    doubleClick();
    EXPECT_EQ(view.m_cursorCount, 2) << "cursor B added";
}

TEST_F(GraphCursorTest, CursorDragRenewsTheReadout) {
    Show({"Light", 0}, Ramp(10));
    Place(4);
    CWGraph* control = view.GetGraph().GetGraphControl();
    // Cursor A is grabbed where it stands: the press that starts its drag is searched for.
    CRect client;
    view.GetGraph().GetClientRect(&client);
    bool moved = false;
    for (int px = 40; px < client.Width() - 40 && !moved; ++px) {
        control->MouseDown(1, 0, QPointF(px, 150), false);
        if (control->RubberBand() || State().cursors[1].index != 4) {
            moved = true;
            break;
        }
        control->MouseMove(1, 0, QPointF(px + 60, 150));
        control->MouseUp(1, 0, QPointF(px + 60, 150));
        if (State().cursors[1].index != 4) moved = true;
    }
    ASSERT_TRUE(moved);
    const LONG index = State().cursors[1].index;
    EXPECT_EQ(Main(), "X = " + FormatValue(index, 3, false) +
                          " (Samples) Y = " + FormatValue(index * 1.5, 3, false) + " (lux)");
}

}  // namespace
}  // namespace graph_test
