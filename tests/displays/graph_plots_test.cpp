// Adding plots, their axes and links, and writing a data set to the control.

#include "tests/displays/graph_view_fixture.h"

namespace graph_test {
namespace {

using platform::graph::GraphState;

TEST_F(GraphViewTest, AddPlotRefusesByResultAndLeavesTheAddedFlagClear) {
    ASSERT_NE(view.GetGraph().GetGraphControl(), nullptr);
    EXPECT_EQ(view.GetDlgItem(1000), view.GetGraph().GetGraphControl()) << "the form's control";
    CDataTreeBrench* a = AddSet({1, 2});
    BOOL added = FALSE;
    EXPECT_EQ(Add(a, &added), 0);
    EXPECT_TRUE(added);
    EXPECT_EQ(Add(a, &added), 0) << "a shown data set gives its position";
    EXPECT_FALSE(added);
    EXPECT_EQ(view.m_plotCount, 1);

    for (int i = 1; i < 8; ++i)
        EXPECT_EQ(Add(AddSet({double(i)}), &added), i);
    EXPECT_EQ(Add(AddSet({9}), &added), 0) << "a ninth data set";
    EXPECT_FALSE(added);
    EXPECT_EQ(view.m_plots[0].dataSet, a);
    EXPECT_EQ(view.m_plotCount, 8);
    EXPECT_EQ(ControlPlots(), 8);
}

TEST_F(GraphViewTest, ABarGraphTakesOneDataSet) {
    view.m_barGraph = 1;
    BOOL added = FALSE;
    EXPECT_EQ(Add(AddSet({1, 2, 3}), &added), 0);
    EXPECT_TRUE(added);
    EXPECT_EQ(Add(AddSet({4, 5, 6}), &added), 0);
    EXPECT_FALSE(added);
    EXPECT_EQ(view.m_plotCount, 1);
}

TEST_F(GraphViewTest, NewPlotsAreNamedByPositionOnTheirOwnAxisAndTemperaturesShareOne) {
    CDataTreeBrench* t1 = AddSet(TemperatureFields("T1"), {20, 21});
    CDataTreeBrench* light = AddSet({5, 6});
    CDataTreeBrench* t2 = AddSet(TemperatureFields("T2"), {22, 23});
    EXPECT_EQ(Add(t1), 0);
    EXPECT_EQ(Add(light), 1);
    EXPECT_EQ(Add(t2), 2);

    const GraphState& s = State();
    ASSERT_EQ(s.plots.size(), 3u);
    ASSERT_EQ(s.axes.size(), 4u);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(s.plots[k].name, CString::Formatted("%d", k + 1));
        EXPECT_EQ(s.plots[k].axis, s.axes[k + 1].id) << "plot " << k + 1 << " on axis item k+1";
        EXPECT_FALSE(s.plots[k].flag12);
        EXPECT_EQ(view.m_plots[k].plotNumber, k + 1);
    }
    // Linked both ways; the light plot stays alone.
    EXPECT_EQ(view.m_plots[2].linkCount, 1);
    EXPECT_EQ(view.m_plots[2].links[0], 0);
    EXPECT_EQ(view.m_plots[0].linkCount, 1);
    EXPECT_EQ(view.m_plots[0].links[0], 2);
    EXPECT_EQ(view.m_plots[1].linkCount, 0);
    // A recorded sensor takes its sensor's colour; others the colour of their place.
    EXPECT_EQ(view.m_plots[0].colour, doc.GetSettings()->m_plotColors[0]);
    EXPECT_EQ(view.m_plots[1].colour, doc.GetSettings()->m_lineRecords[1].lineColor);
    EXPECT_EQ(view.m_plots[1].yMin, 999999.0);
    EXPECT_EQ(view.m_plots[1].yMax, -999999.0);
    EXPECT_EQ(view.FindTemperaturePlot(), 2);
    EXPECT_EQ(view.FindPlotBySensor(2), 1);
    EXPECT_EQ(view.FindPlotByDataSet(t1->m_id), 0);
}

// A plot that joins an earlier plot's scale shows none of its own: the right-hand scale goes to
// the first later plot that joined none. A basic logger's run: both inputs hold conductivity
// sensors (type 0), then Light.
TEST_F(GraphViewTest, TheRightHandScaleGoesToTheFirstPlotOfAnotherQuantity) {
    const SetFields ext1{"Input A: Conductivity", 41, 0, 0, 0, -1, "mS"};
    const SetFields ext2{"Input B: Conductivity", 41, 0, 1, 0, -1, "mS"};
    const SetFields light{"Light", 41, 0, 2, 255, -1, "lx"};
    struct Case {
        std::vector<SetFields> plots;
        int right;  // the axis item that shows the right-hand scale, 0 none
    } cases[] = {
        {{ext1, ext2, light}, 4},
        {{ext1, light, ext2}, 3},
        {{ext1, ext2}, 0},
        {{light, ext1}, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.plots.size() * 10 + c.right);
        view.RefreshGraph(TRUE);
        for (const SetFields& f : c.plots)
            view.ShowDataSet(AddSet(f, {1, 2, 3}));
        const GraphState& s = State();
        ASSERT_EQ(s.axes.size(), c.plots.size() + 1);
        for (size_t a = 2; a < s.axes.size(); ++a)
            EXPECT_EQ(s.axes[a].ownScale, int(a) + 1 == c.right) << "axis item " << a + 1;
        EXPECT_EQ(view.m_rightAxis, c.right ? c.right : 3);
    }
    // Without the first input the second one's plot comes first; Light keeps the right scale.
    view.RefreshGraph(TRUE);
    view.ShowDataSet(AddSet(ext1, {1, 2, 3}));
    view.ShowDataSet(AddSet(ext2, {1, 2, 3}));
    view.ShowDataSet(AddSet(light, {1, 2, 3}));
    view.RemovePlot(view.m_plots[0].dataSet->m_id, 0);
    EXPECT_TRUE(State().axes[2].ownScale) << "Light, now plot 2";
    EXPECT_EQ(view.m_rightAxis, 3);
}

TEST_F(GraphViewTest, LinkListsHoldEightAtMostWithoutDuplicatesOrSelf) {
    PlotRecordStruct r;
    EXPECT_FALSE(r.AddLink(3, 3));
    for (int i = 0; i < 8; ++i)
        EXPECT_TRUE(r.AddLink(i + 10, 3));
    EXPECT_FALSE(r.AddLink(20, 3)) << "a ninth link";
    EXPECT_FALSE(r.AddLink(10, 3));
    EXPECT_EQ(r.linkCount, 8);
    r.RemoveLink(12);
    EXPECT_EQ(r.linkCount, 7);
    EXPECT_EQ(r.links[2], 13);
    EXPECT_EQ(r.links[7], -1);
}

TEST_F(GraphViewTest, SingleAxisModeRefusesWhatDoesNotFitAndForceClearsTheGraph) {
    doc.GetSettings()->m_singleAxis = 1;
    const SetFields ext2{"Ext 2", 41, 100, 6, 3, 0, "V"};
    CDataTreeBrench* light = AddSet({1, 2});
    CDataTreeBrench* external = AddSet(ext2, {3, 4});
    BOOL added = TRUE;
    EXPECT_EQ(Add(light, &added), 0) << "refused with the plot count";
    EXPECT_FALSE(added);
    EXPECT_EQ(Add(external, &added), 0);
    EXPECT_TRUE(added);
    EXPECT_EQ(Add(AddSet({5}), &added), 1) << "refused with the plot count";
    EXPECT_FALSE(added);

    // Forced, a data set that does not fit the last plot clears the graph first.
    EXPECT_EQ(Add(light, &added, TRUE), 0);
    EXPECT_TRUE(added);
    EXPECT_EQ(view.m_plotCount, 1);
    EXPECT_EQ(view.m_plots[0].dataSet, light);
    EXPECT_EQ(ControlPlots(), 1);

    // A plot shown before the mode was switched on, under a last plot it does not fit: forced
    // again, it keeps its place and nothing is cleared.
    doc.GetSettings()->m_singleAxis = 0;
    view.RefreshGraph(TRUE);
    ASSERT_EQ(Add(light), 0);
    ASSERT_EQ(Add(external), 1);
    doc.GetSettings()->m_singleAxis = 1;
    EXPECT_EQ(Add(light, &added, TRUE), 0);
    EXPECT_FALSE(added);
    EXPECT_EQ(view.m_plotCount, 2);
    EXPECT_EQ(view.m_plots[0].dataSet, light);
    EXPECT_EQ(ControlPlots(), 2);
}

struct CaptionCase {
    WORD rate;
    const char* xCaption;
    const char* xFormat;
};

TEST_F(GraphViewTest, PlotAllDataWritesCaptionsFormatsAndArrays) {
    for (const CaptionCase c :
         {CaptionCase{41, "Time(s)", "*1.000"}, CaptionCase{0, "Samples", "*1"},
          CaptionCase{51, "Time(s)", "*0.020"}}) {
        SCOPED_TRACE(c.rate);
        view.RefreshGraph(TRUE);
        SetFields fields;
        fields.rate = c.rate;
        CDataTreeBrench* d = AddSet(fields, {1.5, 2.5, 4.0, 3.0});
        ASSERT_EQ(Add(d), 0);
        view.PlotAllData(0);
        const GraphState& s = State();
        EXPECT_EQ(ControlX(0), *d->m_x);
        EXPECT_EQ(ControlY(0), *d->m_y);
        EXPECT_EQ(s.axes[0].caption, c.xCaption);
        EXPECT_EQ(s.axes[0].format.Text(), c.xFormat);
        EXPECT_EQ(s.axes[1].caption, "Light(lux)");
        EXPECT_EQ(s.axes[1].format.Text(), "*1.00");
        EXPECT_EQ(s.plots[0].lineColor, view.m_plots[0].colour);
        EXPECT_EQ(d->m_shown, 1);
        EXPECT_EQ(tree.GetCheckState(d->m_id), 2);
        EXPECT_DOUBLE_EQ(s.axes[0].min, 0);
        EXPECT_DOUBLE_EQ(s.axes[0].max, 3);
    }
}

TEST_F(GraphViewTest, YAgainstAShorterXSetLeavesTheSamplesItLacksOpen) {
    CDataTreeBrench* xs = AddSet({10, 20, 30});
    CDataTreeBrench* ys = AddSet({1, 2, 3, 4, 5});
    ASSERT_EQ(Add(ys), 0);
    view.m_yVsX = 1;
    view.m_xAxis.dataSet = xs;
    view.PlotAllData(0);
    const std::vector<double> x = ControlX(0);
    ASSERT_EQ(x.size(), 5u);
    EXPECT_EQ(std::vector<double>(x.begin(), x.begin() + 3), (std::vector<double>{10, 20, 30}));
    EXPECT_TRUE(std::isnan(x[3]) && std::isnan(x[4])) << "samples 3 and 4 have no X";
    EXPECT_EQ(ControlY(0), (std::vector<double>{1, 2, 3, 4, 5}));
    EXPECT_DOUBLE_EQ(State().axes[0].min, 10);
    EXPECT_DOUBLE_EQ(State().axes[0].max, 30);
    EXPECT_TRUE(doc.m_graphList.GetCount() == 0);
}

// A bar is as wide as the first step and centred on its sample; the X axis takes in the end
// bars whole. The control gets the samples as they are.
TEST_F(GraphViewTest, BarsAreAsWideAsTheFirstStepAndTheAxisHoldsThemWhole) {
    view.m_barGraph = 1;
    struct Case {
        std::vector<double> x;
        double width, lo, hi;
    } cases[] = {
        {{10, 12, 14}, 2, 9, 15},
        {{10, 12}, 2, 9, 13},
        {{10}, 1, 9.5, 10.5},  // no step: a unit-wide bar
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x.size());
        view.RefreshGraph(TRUE);
        CDataTreeBrench* d = AddSet(std::vector<double>(c.x.size(), 1.0));
        *d->m_x = c.x;
        ASSERT_EQ(Add(d), 0);
        view.PlotAllData(0);
        view.ApplyAxisScales(0, FALSE, 0);
        EXPECT_DOUBLE_EQ(State().axes[0].barWidth, c.width);
        EXPECT_EQ(State().axes[0].format.Text(), "*1") << "whole sample numbers";
        EXPECT_EQ(ControlX(0), c.x);
        EXPECT_DOUBLE_EQ(view.GetAxisMinimum(1), c.lo);
        EXPECT_DOUBLE_EQ(view.GetAxisMaximum(1), c.hi);
    }
}

TEST_F(GraphViewTest, PlotAllDataRefusesAPositionAtTheCount) {
    ASSERT_EQ(Add(AddSet({1, 2})), 0);
    const CString before = view.GetGraph().GetGraphControl()->Dump();
    view.PlotAllData(1);
    view.PlotAllData(-1);
    EXPECT_EQ(view.GetGraph().GetGraphControl()->Dump(), before);
}

TEST_F(GraphViewTest, RefreshGraphKeepsThePlotsInUseOrClearsTheControl) {
    CDataTreeBrench* a = AddSet({1, 2, 3});
    ASSERT_EQ(Add(a), 0);
    ASSERT_EQ(Add(AddSet({4, 5, 6})), 1);
    view.PlotAllData(0);
    view.PlotAllData(1);
    view.m_plots[2].channel = 5;
    view.m_plots[2].yAutoscale = 0;

    view.RefreshGraph(FALSE);
    EXPECT_EQ(view.m_plotCount, 2);
    EXPECT_EQ(view.m_plots[0].dataSet, a);
    EXPECT_EQ(ControlPlots(), 2);
    EXPECT_EQ(ControlY(0), *a->m_y);
    EXPECT_EQ(view.m_plots[2].yAutoscale, 1) << "a free record is reset";
    EXPECT_EQ(view.m_graphState, 4);

    view.RefreshGraph(TRUE);
    EXPECT_EQ(view.m_plotCount, 0);
    const GraphState& s = State();
    EXPECT_EQ(s.plots.size(), 0u);
    ASSERT_EQ(s.axes.size(), 2u);
    EXPECT_DOUBLE_EQ(s.axes[0].min, 0);
    EXPECT_DOUBLE_EQ(s.axes[0].max, 10);
    EXPECT_EQ(s.axes[0].caption, "");
    EXPECT_EQ(s.axes[1].caption, "");
    EXPECT_EQ(view.m_rightAxis, 3);
    EXPECT_EQ(a->m_shown, 0);
    EXPECT_EQ(tree.GetCheckState(a->m_id), 1);
    EXPECT_FALSE(mainFrame.IsCommandEnabled(ID_GRAPH_PROPERTIES));
}

}  // namespace
}  // namespace graph_test

namespace graph_test {
namespace {

TEST_F(GraphViewTest, AnAxisRangeGoesToEveryLinkedPlotAndMarksTheLookChanged) {
    ASSERT_EQ(Add(AddSet(TemperatureFields("T1"), {1, 2})), 0);
    ASSERT_EQ(Add(AddSet({3, 4})), 1);
    ASSERT_EQ(Add(AddSet(TemperatureFields("T2"), {5, 6})), 2);
    view.m_graphState = 1;
    view.SetAxisRange(4, -2, 8, FALSE, TRUE);
    EXPECT_EQ(view.m_graphState, 2);
    for (int axis : {2, 4}) {
        EXPECT_DOUBLE_EQ(view.GetAxisMinimum(axis), -2) << axis;
        EXPECT_DOUBLE_EQ(view.GetAxisMaximum(axis), 8) << axis;
        EXPECT_EQ(view.m_plots[axis - 2].yAutoscale, 0);
        EXPECT_EQ(view.m_plots[axis - 2].yMin, -2);
    }
    EXPECT_EQ(view.m_plots[1].yAutoscale, 1) << "the light plot is not linked";

    view.m_xAxis.axisName = "Samples";
    view.SetAxisRange(1, 0, 250, TRUE, TRUE);
    EXPECT_EQ(State().axes[0].spacing, 25);
    EXPECT_EQ(view.m_xAxis.yMax, 250);
}

TEST_F(GraphViewTest, SensorColoursCaptionsAndTheReadoutLine) {
    const CSettings& s = *doc.GetSettings();
    struct Case {
        BYTE model, kind, derived;
        int index;  // -1: no colour
    };
    for (const Case& c :
         {Case{100, 0, 0, 0}, Case{100, 1, 0, 4}, Case{100, 5, 0, 5}, Case{100, 7, 0, -1},
          Case{0, 4, 0, 0}, Case{0, 0, 0, 5}, Case{0, 3, 0, -1}, Case{0, 8, 0, -1},
          Case{0, 3, 1, 7}, Case{100, 2, 1, 7}})
        EXPECT_EQ(view.GetSensorColour(c.model, c.kind, c.derived),
                  c.index < 0 ? 0u : s.m_plotColors[c.index])
            << int(c.model) << "/" << int(c.kind) << "/" << int(c.derived);

    doc.GetSettings()->m_temperatureUnit = 1;
    CDataTreeBrench* t = AddSet(TemperatureFields(), {20, 25});
    t->m_comment = "y = 2x + 1";
    CDataTreeBrench* light = AddSet({1, 2});
    CDataTreeBrench* other = AddSet({3, 4});
    EXPECT_EQ(view.ShowDataSet(t), 0);
    EXPECT_EQ(frame.m_readoutShown, 1);
    EXPECT_EQ(frame.m_readoutText, "y = 2x + 1");
    view.ShowTreeItemChildren(experiment->m_id);
    ASSERT_EQ(view.m_plotCount, 3);
    EXPECT_EQ(view.m_plots[2].dataSet, other);
    EXPECT_EQ(State().axes[1].caption,
              "Temp(\xC2\xB0"
              "F)");
    EXPECT_EQ(State().axes[1].format.Text(), "*1.8+32.##");
    EXPECT_EQ(frame.m_readoutShown, 0) << "the last data set shown has no extra text";

    light->m_name = "Lamp";
    view.UpdatePlotCaption(light->m_id);
    EXPECT_EQ(State().axes[2].caption, "Lamp(lux)");
    view.RefreshGraph(TRUE);
    EXPECT_EQ(frame.m_readoutShown, 0);
    EXPECT_EQ(light->m_shown, 0);
}

}  // namespace
}  // namespace graph_test
