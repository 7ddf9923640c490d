// The bar graph and the Y versus X graph on the real view and control; the X source through the
// modal script on dialog 259.

#include <QComboBox>
#include <QPainter>
#include <cmath>

#include "RES/dialogs/xy_setting.h"
#include "displays/graph/xy_setting_dialog.h"
#include "platform/ui/property_sheet.h"
#include "tests/displays/graph_view_fixture.h"
#include "tests/displays/table_view_fixture.h"
#include "tests/support/user_commands.h"

namespace {

using graph_test::GraphViewTest;
using graph_test::SetFields;

constexpr COLORREF kHighlight = 0xFFCD9B;

class PresentationTest : public GraphViewTest {
protected:
    PresentationTest() : GraphViewTest(true) { SizeView(600, 400); }
    // A button of the graph's toolbar, as a user presses it.
    void Press(UINT id) { ASSERT_TRUE(testing_support::PressToolbarButton(frame, id)); }
    // Shows a data set as the user does from the data map.
    SHORT Show(CDataTreeBrench* d) { return static_cast<SHORT>(view.ShowDataSet(d)); }
    const platform::graph::Annotation& Highlight() const { return State().annotations.at(0); }
    void PlaceCursorA(int plotNumber, LONG index) {
        view.m_cursorPlotNumber = static_cast<SHORT>(plotNumber);
        view.m_cursorPointIndex = index;
        view.ShowCursors();
    }
    QImage Render() {
        QImage image(600, 400, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        view.GetGraph().GetGraphControl()->Render(painter, QRectF(0, 0, 600, 400),
                                                  QSizeF(600, 400));
        return image;
    }
    QPointF ToPixel(double x, double y) const {
        VARIANT area;
        EXPECT_EQ(view.GetGraph().GetGraph().GetProperty(9003, area), S_OK);
        const std::vector<double>& r = *area.parray;
        const auto& xa = State().axes.at(0);
        const auto& ya = State().YAxisOf(State().plots.at(0));
        return {r[0] + (x - xa.min) / (xa.max - xa.min) * (r[2] - r[0]),
                r[3] - (y - ya.min) / (ya.max - ya.min) * (r[3] - r[1])};
    }
};

TEST_F(PresentationTest, BarGraphShowsOneSetAndComesBack) {
    CDataTreeBrench* a = AddSet({1, 2, 3});
    CDataTreeBrench* b = AddSet(SetFields{"Sound", 41, 100, 1}, {4, 5, 6, 7});
    CDataTreeBrench* c = AddSet(SetFields{"Humid", 41, 100, 3}, {8, 9});
    for (auto* d : {a, b, c})
        Show(d);
    ASSERT_EQ(view.m_plotCount, 3);
    PlaceCursorA(2, 1);

    Press(2091);
    EXPECT_EQ(view.m_barGraph, 1);
    EXPECT_TRUE(frame.m_barGraph);
    EXPECT_TRUE(State().style.bar);
    ASSERT_EQ(view.m_plotCount, 1);
    EXPECT_EQ(view.m_plots[0].dataSet, b) << "cursor A's plot";
    EXPECT_EQ(ControlY(0), *b->m_y);
    EXPECT_FALSE(State().cursors[0].visible) << "cursor item 1 hidden";

    // Off: the standard style, the kept set drawn again; on again without a cursor: plot 1.
    view.OnBarGraph();
    EXPECT_EQ(view.m_barGraph, 0);
    EXPECT_FALSE(frame.m_barGraph);
    EXPECT_FALSE(State().style.bar);
    ASSERT_EQ(view.m_plotCount, 1);
    EXPECT_EQ(view.m_plots[0].dataSet, b);
    EXPECT_EQ(ControlY(0), *b->m_y);
    Show(a);
    view.OnBarGraph();
    ASSERT_EQ(view.m_plotCount, 1);
    EXPECT_EQ(view.m_plots[0].dataSet, b);

    // Showing another set in bar mode replaces the bar.
    Show(c);
    ASSERT_EQ(view.m_plotCount, 1);
    EXPECT_EQ(view.m_plots[0].dataSet, c);
}

TEST_F(PresentationTest, BarGraphWithoutPlotsAndInPredictMode) {
    view.OnBarGraph();
    EXPECT_TRUE(State().style.bar);
    EXPECT_EQ(view.m_plotCount, 0);
    view.OnBarGraph();

    Show(AddSet({1, 2, 3}));
    view.TogglePredictMode();
    modals.ExpectMessage(CVarnelDoc::kEndPredictText, IDNO);
    view.OnBarGraph();
    EXPECT_EQ(view.m_barGraph, 0);
    EXPECT_EQ(view.m_predictMode, 1);
    modals.ExpectMessage(CVarnelDoc::kEndPredictText, IDYES);
    view.OnBarGraph();
    EXPECT_EQ(view.m_barGraph, 1);
    EXPECT_EQ(view.m_predictMode, 0);
    EXPECT_EQ(view.m_plotCount, 1);
}

// The highlight covers the bar as drawn, centred on its sample and one sample wide, in front of
// the bars; an index outside the set hides it.
TEST_F(PresentationTest, HighlightIsTheDrawnBar) {
    struct Case {
        std::vector<double> y;
        LONG index;
        std::vector<double> x;  // expected corners, empty: hidden
    };
    const Case cases[] = {
        {{3, 5, 7, 4, 6}, 2, {1.5, 1.5, 2.5, 2.5}}, {{3, 5, 7, 4, 6}, 0, {-0.5, -0.5, 0.5, 0.5}},
        {{3, 5, 7, 4, 6}, 4, {3.5, 3.5, 4.5, 4.5}}, {{3, 5, 7, 4, 6}, 5, {}},
        {{8}, 0, {-0.5, -0.5, 0.5, 0.5}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.index);
        CDataTreeBrench* d = AddSet(k.y);
        if (!view.m_barGraph) view.OnBarGraph();
        Show(d);
        view.HighlightBar(*d->m_x, *d->m_y, 1, k.index, 0.0);
        EXPECT_EQ(Highlight().visible, !k.x.empty());
        if (k.x.empty()) continue;
        EXPECT_EQ(*Highlight().shape.x, k.x);
        const double top = k.y[static_cast<size_t>(k.index)];
        EXPECT_EQ(*Highlight().shape.y, (std::vector<double>{0, top, top, 0}));
        EXPECT_EQ(Highlight().shape.fillColor, kHighlight);
        EXPECT_TRUE(Highlight().shape.filled);
    }
}

TEST_F(PresentationTest, BarPixels) {
    CDataTreeBrench* d = AddSet(SetFields{"Temp", 41, 100, 0, 0, 1, "C"}, {3, 5, 7, 4, 6});
    Show(d);
    view.OnBarGraph();
    ASSERT_EQ(view.m_plotCount, 1);
    PlaceCursorA(1, 2);
    EXPECT_TRUE(Highlight().visible);
    const QImage image = Render();
    testing_support::SaveTestImage(image, "graph_bar_highlight");
    const COLORREF fill = view.m_plots[0].colour;
    const auto& ya = State().YAxisOf(State().plots.at(0));
    const double low = ya.min + (ya.max - ya.min) / 20;
    // Every sample's bar stands on its sample, both sides of it; the end bars show whole.
    EXPECT_EQ(State().axes.at(0).min, -0.5);
    EXPECT_EQ(State().axes.at(0).max, 4.5);
    for (int k = 0; k < 5; ++k)
        for (double side : {-0.4, 0.4}) {
            SCOPED_TRACE(k + side);
            const QPoint at = ToPixel(k + side, low).toPoint();
            const COLORREF want = k == 2 ? kHighlight : fill;
            EXPECT_EQ(testing_support::Px(image, at.x(), at.y()), want);
        }
}

class YvsXTest : public PresentationTest {
protected:
    void Choose(int item, int answer = IDOK) {
        modals.ExpectDialog(IDD_XY_SETTING, [=, this](CDialog& dlg) {
            auto* combo = dynamic_cast<CComboBox*>(dlg.GetDlgItem(IDC_XY_PLOTS));
            ASSERT_NE(combo, nullptr);
            texts.clear();
            for (int i = 0; i < combo->GetCount(); ++i) {
                CString t;
                combo->GetLBText(i, t);
                texts.push_back(t);
            }
            initial = combo->GetCurSel();
            caption = dlg.GetWindowText();
            combo->SetCurSel(item);
            testing_support::Press(dlg, answer);
        });
        Press(2105);
    }
    std::vector<CString> texts;
    int initial = -1;
    CString caption;
};

TEST_F(YvsXTest, NothingToOffer) {
    modals.ExpectMessage(CXYSettingDialog::kNothingText, IDOK);
    view.OnYvsXGraph(FALSE);
    EXPECT_EQ(view.m_yVsX, 0);
}

TEST_F(YvsXTest, OtherSetsAgainstTheChosenOneAndBackToTime) {
    CDataTreeBrench* a = AddSet({1, 2, 3, 4});
    CDataTreeBrench* b = AddSet(SetFields{"Sound", 41, 100, 1}, {10, 20, 30, 40});
    CDataTreeBrench* c = AddSet(SetFields{"Humid", 41, 100, 3}, {5, 6, 7, 8});
    for (auto* d : {a, b, c})
        Show(d);

    Choose(1, IDCANCEL);
    EXPECT_EQ(caption, "Y vs X setting dialog");
    EXPECT_EQ(texts, (std::vector<CString>{"Run 1 : Light", "Run 1 : Sound", "Run 1 : Humid"}));
    EXPECT_EQ(initial, 0);
    EXPECT_EQ(view.m_yVsX, 0);
    EXPECT_EQ(view.m_plotCount, 3);

    Choose(1);
    EXPECT_EQ(view.m_yVsX, 1);
    EXPECT_TRUE(frame.m_yVsX);
    EXPECT_EQ(view.m_xAxis.dataSet, b);
    ASSERT_EQ(view.m_plotCount, 2);
    EXPECT_EQ(view.m_plots[0].dataSet, a);
    EXPECT_EQ(view.m_plots[1].dataSet, c);
    EXPECT_EQ(ControlX(0), *b->m_y);
    EXPECT_EQ(ControlY(0), *a->m_y);
    EXPECT_EQ(ControlX(1), *b->m_y);

    // Leaving: everything against time again, the old X set too.
    Press(2105);  // in the mode, the command leaves it
    EXPECT_EQ(view.m_yVsX, 0);
    EXPECT_FALSE(frame.m_yVsX);
    ASSERT_EQ(view.m_plotCount, 3);
    EXPECT_EQ(view.m_plots[0].dataSet, b);
    EXPECT_EQ(ControlX(0), *b->m_x);

    Choose(2);
    EXPECT_EQ(view.m_xAxis.dataSet, c);
    view.OnYvsXGraph(FALSE);
    Choose(2, IDCANCEL);
    EXPECT_EQ(initial, 0) << "no X set any more";
}

// Present channels come first, then the plotted sets; the current X set is preselected.
TEST_F(YvsXTest, ChannelsThenPlottedSets) {
    CDataTreeBrench* a = AddSet({1, 2, 3});
    CDataTreeBrench* b = AddSet(SetFields{"Sound", 41, 100, 1}, {3, 2, 1});
    Show(a);
    Show(b);
    view.m_yVsX = 1;
    view.m_xAxis.dataSet = b;
    const SensorListItemStruct sensors[2] = {{0, "Temperature", "C", 0}, {3, "Light", "lux", 0}};
    CXYSettingDialog dialog(&view);
    dialog.SetSensorList(sensors, 2);
    dialog.SetDocument(&doc);
    modals.ExpectDialog(IDD_XY_SETTING, [&](CDialog& d) {
        auto* combo = dynamic_cast<CComboBox*>(d.GetDlgItem(IDC_XY_PLOTS));
        std::vector<CString> items;
        for (int i = 0; i < combo->GetCount(); ++i) {
            CString t;
            combo->GetLBText(i, t);
            items.push_back(t);
        }
        EXPECT_EQ(items, (std::vector<CString>{"Online : Temperature", "Online : Light",
                                               "Run 1 : Light", "Run 1 : Sound"}));
        EXPECT_EQ(combo->GetCurSel(), 3);
        EXPECT_EQ(d.GetDlgItemText(IDC_XY_LABEL), "Select X axis plot :");
        combo->SetCurSel(1);
        testing_support::Press(d, IDOK);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_selection, 1);
    EXPECT_EQ(dialog.m_dataSetIds, (std::vector<DWORD>{a->m_id, b->m_id}));
}

// The X axis labels the X set's values in its shown unit, not the time axis' seconds: at 10
// samples a second those would read a tenth of the values.
TEST_F(YvsXTest, XAxisLabelsTheXSetInItsUnit) {
    CDataTreeBrench* t = AddSet(SetFields{"Temperature", 49, 100, 0, 0, 1,
                                          "\xC2\xB0"
                                          "C"},
                                {-10, 0, 13});
    CDataTreeBrench* air = AddSet(SetFields{"Pressure", 49, 100, 4, 0, 1, "kPa"}, {99, 100, 101});
    Show(t);
    Show(air);
    ASSERT_NE(State().axes.at(0).format.Apply(13), 13) << "against time first";
    Choose(0);
    ASSERT_EQ(view.m_xAxis.dataSet, t);
    const auto& x = State().axes.at(0);
    EXPECT_DOUBLE_EQ(x.format.Apply(13), 13);
    EXPECT_EQ(x.caption,
              "Temperature(\xC2\xB0"
              "C)");
    EXPECT_LE(x.min, -10);
    EXPECT_GE(x.max, 13);

    doc.GetSettings()->m_temperatureUnit = 1;
    view.UpdateAxisCaptions(-1);
    EXPECT_DOUBLE_EQ(State().axes.at(0).format.Apply(10), 50);  // 10 degrees C is 50 F
    EXPECT_EQ(State().axes.at(0).caption,
              "Temperature(\xC2\xB0"
              "F)");
    // A rename keeps the unit shown.
    t->m_name = "Water temp";
    view.UpdatePlotCaption(t->m_id);
    EXPECT_EQ(State().axes.at(0).caption,
              "Water temp(\xC2\xB0"
              "F)");
    EXPECT_DOUBLE_EQ(State().axes.at(0).format.Apply(10), 50);
    doc.GetSettings()->m_temperatureUnit = 0;
}

TEST_F(YvsXTest, LeavingWithPlotsOff) {
    CDataTreeBrench* a = AddSet({1, 2, 3});
    CDataTreeBrench* b = AddSet(SetFields{"Sound", 41, 100, 1}, {3, 2, 1});
    Show(a);
    Show(b);
    Choose(0);
    ASSERT_EQ(view.m_yVsX, 1);
    view.OnYvsXGraph(TRUE);
    EXPECT_EQ(view.m_yVsX, 0);
    EXPECT_EQ(view.m_plotCount, 0);
}

}  // namespace

namespace {

TEST_F(PresentationTest, SavedGraphsSwitchBarModeAndKeepToOneAxis) {
    CDataTreeBrench* t1 = AddSet(graph_test::TemperatureFields("T1"), {20, 21, 22});
    CDataTreeBrench* light = AddSet({1, 2, 3});
    CDataTreeBrench* t2 = AddSet(graph_test::TemperatureFields("T2"), {30, 31, 32});
    Show(t1);
    Show(light);
    Show(t2);
    view.OnAddGraphToProject();
    const DWORD standard = view.m_currentGraph->m_item;
    view.RefreshGraph(TRUE);
    view.OnBarGraph();
    Show(light);
    view.OnAddGraphToProject();
    const DWORD bars = view.m_currentGraph->m_item;
    view.OnBarGraph();
    ASSERT_EQ(view.m_barGraph, 0);

    // A bar graph from a standard one: bar mode first.
    view.ShowSavedGraph(bars);
    EXPECT_EQ(view.m_barGraph, 1);
    EXPECT_TRUE(State().style.bar);
    ASSERT_EQ(view.m_plotCount, 1);
    EXPECT_EQ(view.m_plots[0].dataSet, light);
    view.ShowSavedGraph(standard);
    EXPECT_EQ(view.m_barGraph, 0);
    EXPECT_EQ(view.m_plotCount, 3);

    // One axis: the light plot is of another kind, the second temperature stays.
    doc.GetSettings()->m_singleAxis = 1;
    view.ShowSavedGraph(standard);
    ASSERT_EQ(view.m_plotCount, 2);
    EXPECT_EQ(view.m_plots[0].dataSet, t1);
    EXPECT_EQ(view.m_plots[1].dataSet, t2);

    // Predict mode: No leaves everything as it is.
    view.TogglePredictMode();
    modals.ExpectMessage(CVarnelDoc::kEndPredictText, IDNO);
    view.ShowSavedGraph(bars);
    EXPECT_EQ(view.m_barGraph, 0);
    EXPECT_EQ(view.m_plotCount, 2);
}

// The graph toolbar's buttons reach their handlers.
TEST_F(PresentationTest, ViewCommands) {
    Show(AddSet({1, 2, 3}));
    bool opened = false;
    modals.ExpectDialog(IDD_PROPERTY_SHEET, [&](CDialog& d) {
        opened = true;
        EXPECT_EQ(d.GetWindowText(), "Format graph");
        testing_support::Press(d, IDCANCEL);
    });
    Press(3891);
    EXPECT_TRUE(opened);
    Press(3903);
    ASSERT_NE(view.m_currentGraph, nullptr) << "added to the project";
    Press(3870);
    EXPECT_EQ(view.m_cursorCount, 1);
    Press(2130);
    EXPECT_EQ(view.m_cursorCount, 2);
    Press(2082);
    EXPECT_EQ(view.m_panMode, 1);
    Press(2083);
    EXPECT_EQ(view.m_zoomMode, 1);
    EXPECT_EQ(view.m_panMode, 0);
    Press(2083);
    view.m_plots[0].yAutoscale = 0;
    Press(3899);
    EXPECT_EQ(view.m_plots[0].yAutoscale, 1);
    Press(3901);
    EXPECT_EQ(view.m_predictMode, 1) << "Pause/Continue enters predict mode";
    EXPECT_EQ(view.m_paused, 1);
    Press(3900);
    EXPECT_EQ(view.m_predictionCount, 2);
    Press(2110);
    EXPECT_EQ(view.m_eraseMode, 1);
    Press(3901);
    EXPECT_EQ(view.m_paused, 0);
    view.TogglePredictMode();
    Press(2091);
    EXPECT_EQ(view.m_barGraph, 1);
}

class LaunchPlotsTest : public PresentationTest {
protected:
    // A run of three channels, as the document lists it at a run's start.
    void Run() {
        doc.m_currentRunCount = 0;
        for (const char* name : {"Temp", "Light", "Sound"}) {
            CDataTreeBrench* d = AddSet(SetFields{name, 41, 100, 2}, {1, 2, 3});
            doc.m_currentRun[doc.m_currentRunCount++] = d;
        }
    }
};

TEST_F(LaunchPlotsTest, LiveRecordsBecomePlotsWithTheirLook) {
    Show(AddSet({5, 6}));
    view.ResetPlotSettings();
    view.m_livePlotCount = 3;
    view.m_livePlots[0].channel = 2;
    view.m_livePlots[0].colour = RGB(1, 2, 3);
    view.m_livePlots[0].lineWidth = 3;
    view.m_livePlots[0].yAutoscale = 0;
    view.m_livePlots[0].yMin = -5;
    view.m_livePlots[0].yMax = 50;
    view.m_livePlots[1].channel = 7;  // not in the run
    view.m_livePlots[2].channel = 0;
    Run();
    doc.GetSettings()->m_recordingMode = 1;
    view.AddLaunchPlots();
    ASSERT_EQ(view.m_plotCount, 2) << "cleared first, the missing channel skipped";
    EXPECT_EQ(view.m_plots[0].dataSet, doc.m_currentRun[2]);
    EXPECT_EQ(view.m_plots[0].colour, RGB(1, 2, 3));
    EXPECT_EQ(view.m_plots[0].lineWidth, 3);
    EXPECT_EQ(view.m_plots[0].yAutoscale, 0);
    EXPECT_DOUBLE_EQ(view.m_plots[0].yMax, 50);
    EXPECT_EQ(view.m_plots[1].dataSet, doc.m_currentRun[0]);
    modals.ExpectMessage("Missing external sensors. Please connect sensors according to workbook",
                         IDOK);
    clock.RunPending();
    EXPECT_EQ(modals.Pending(), 0u);

    // Adding to the shown plots: kept, and the colour of the plot's own place.
    doc.GetSettings()->m_recordingMode = 2;
    view.m_livePlotCount = 1;
    Run();
    view.AddLaunchPlots();
    ASSERT_EQ(view.m_plotCount, 3);
    EXPECT_EQ(view.m_plots[2].colour, doc.GetSettings()->m_lineRecords[2].lineColor);
}

// A live X channel: the run's other channels are drawn against its samples.
TEST_F(LaunchPlotsTest, LiveChannelsAgainstALiveChannel) {
    view.ResetPlotSettings();
    view.m_liveYvsX = 1;
    view.m_yVsX = 1;
    view.m_liveXAxis.channel = 1;
    view.m_livePlotCount = 2;
    view.m_livePlots[0].channel = 0;
    view.m_livePlots[1].channel = 2;
    Run();
    (*doc.m_currentRun[1]->m_y) = {7, 8, 9};
    view.AddLaunchPlots();
    view.PlotRecordingData(doc.m_currentRun, doc.m_currentRunCount);
    ASSERT_EQ(view.m_plotCount, 2);
    EXPECT_EQ(view.m_yVsX, 1);
    EXPECT_EQ(view.m_xAxis.dataSet, doc.m_currentRun[1]);
    view.PlotNewPoints();
    EXPECT_EQ(ControlX(0), (std::vector<double>{7, 8, 9}));
    EXPECT_EQ(ControlX(1), (std::vector<double>{7, 8, 9}));

    // The logger's sensors change: the mode is left with the plots off.
    view.OnYvsXGraph(TRUE);
    EXPECT_EQ(view.m_yVsX, 0);
    EXPECT_EQ(view.m_liveYvsX, 0);
    EXPECT_EQ(view.m_livePlotCount, 0);
    EXPECT_EQ(view.m_plotCount, 0);
}

}  // namespace

namespace {

class BarTableTest : public table_test::TableViewTest {};

// The table follows the bar graph: one set, the one the bars show.
TEST_F(BarTableTest, TheTableShowsTheBarsSetAlone) {
    for (auto* d : {temperature, light, sound})
        view.ShowDataSet(d);
    ASSERT_EQ(doc.GetTableView(), &table);
    EXPECT_EQ(table.GetColumnCount(), 3);
    view.m_cursorPlotNumber = 2;
    view.m_cursorPointIndex = 3;
    view.ShowCursors();
    view.OnBarGraph();
    ASSERT_EQ(table.GetColumnCount(), 1);
    EXPECT_EQ(table.GetColumn(0).dataSet, light);
}

}  // namespace
