// The axis strips, the pointer, autoscale and predict mode, through the real graph control.

#include <QTest>

#include "RES/dialogs/graph_format.h"
#include "displays/graph/graph_format.h"
#include "logger/helpers.h"
#include "tests/displays/graph_view_fixture.h"

namespace graph_test {
namespace {

using graph_axis::Pointer;

TEST(GraphHitTest, RegionsAndPointers) {
    struct Row {
        int x, y, w, h, axes;
        graph_axis::PointerModes modes;
        int region;
        Pointer pointer;
    };
    graph_axis::PointerModes pan, zoom, predict, erase, move, moved, panPredict;
    pan.pan = true;
    zoom.zoom = true;
    predict.predict = true;
    erase.predict = erase.erase = true;
    move.moveAnnotation = true;
    moved.moveAnnotation = moved.annotationSelected = true;
    panPredict.pan = panPredict.predict = true;
    const Row rows[] = {
        {300, 380, 600, 400, 2, {}, 1, Pointer::kSizeWE},
        {300, 356, 600, 400, 2, predict, 1, Pointer::kSizeWE},  // the bottom 45 px, inside
        {300, 355, 600, 400, 2, {}, 0, Pointer::kArrow},
        {20, 390, 600, 400, 3, {}, 1, Pointer::kSizeWE},
        {20, 200, 600, 400, 2, {}, 2, Pointer::kSizeNS},
        {580, 200, 600, 400, 2, {}, 0, Pointer::kArrow},  // the right strip with two axes
        {580, 200, 600, 400, 3, {}, 3, Pointer::kSizeNS},
        {555, 200, 600, 400, 3, {}, 0, Pointer::kArrow},
        {300, 200, 600, 400, 2, pan, 0, Pointer::kSizeAll},
        {300, 200, 600, 400, 2, panPredict, 0, Pointer::kSizeAll},
        {300, 200, 600, 400, 2, zoom, 0, Pointer::kZoom243},
        {300, 200, 600, 400, 2, move, 0, Pointer::kMove292},
        {300, 200, 600, 400, 2, moved, 0, Pointer::kMove291},
        {300, 200, 600, 400, 2, predict, 0, Pointer::kPredict181},
        {300, 200, 600, 400, 2, erase, 0, Pointer::kErase264},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.x << ", " << r.y << " axes " << r.axes);
        const int region = graph_axis::HitTestRegion(r.x, r.y, r.w, r.h, r.axes);
        EXPECT_EQ(region, r.region);
        EXPECT_EQ(graph_axis::PointerFor(region, r.modes), r.pointer);
    }
}

class GraphMouseTest : public GraphViewTest {
protected:
    GraphMouseTest() {
        data = AddSet({"Light", 0}, Ramp(10));
        view.PlotAllData(Add(data));
    }
    static std::vector<double> Ramp(size_t n) {
        std::vector<double> y(n);
        for (size_t i = 0; i < n; ++i)
            y[i] = static_cast<double>(i);
        return y;
    }
    QWidget* Control() const { return view.GetGraph().GetWidget(); }
    void Press(int x, int y, Qt::MouseButton b = Qt::LeftButton) {
        QTest::mousePress(Control(), b, {}, QPoint(x, y));
    }
    void Move(int x, int y) { QTest::mouseMove(Control(), QPoint(x, y)); }
    void Release(int x, int y, Qt::MouseButton b = Qt::LeftButton) {
        QTest::mouseRelease(Control(), b, {}, QPoint(x, y));
    }
    double Max(int axis) const { return view.GetAxisMaximum(axis); }
    double Min(int axis) const { return view.GetAxisMinimum(axis); }
    CDataTreeBrench* data = nullptr;
};

TEST_F(GraphMouseTest, StripsDragTheirMaximumByATenth) {
    struct Row {
        const char* name;
        int axis;
        QPoint press, first, second;
    } rows[] = {{"X strip", 1, {300, 380}, {320, 380}, {300, 380}},
                {"left strip", 2, {20, 200}, {20, 220}, {20, 200}}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const double lo = Min(r.axis), hi = Max(r.axis);
        Press(r.press.x(), r.press.y());
        Move(r.first.x(), r.first.y());
        // Right on the X strip lowers the maximum; down on a Y strip raises it.
        const double step = std::max((hi - lo) / 10, 0.1);
        const double moved = r.axis == 1 ? hi - step : hi + step;
        EXPECT_NEAR(Max(r.axis), moved, 1e-9);
        Move(r.second.x(), r.second.y());
        const double back = std::max((moved - lo) / 10, 0.1);
        EXPECT_NEAR(Max(r.axis), r.axis == 1 ? moved + back : moved - back, 1e-9);
        EXPECT_EQ(Min(r.axis), lo);
        Release(r.second.x(), r.second.y());
        const double now = Max(r.axis);
        Move(r.first.x(), r.first.y());
        EXPECT_EQ(Max(r.axis), now) << "mouse up ends the drag";
        EXPECT_EQ(view.m_axisDrag, 0);
    }
    EXPECT_EQ(view.m_plots[0].yAutoscale, 0);
    EXPECT_EQ(view.m_xAxis.yAutoscale, 0);
}

TEST_F(GraphMouseTest, AnEmptyRangeIsRefusedAndTheRightStripNeedsThreeAxes) {
    const double lo = Min(1);
    Press(100, 390);
    double last = Max(1);
    for (int x = 101; x < 200; ++x) {
        Move(x, 390);
        ASSERT_GT(Max(1), lo) << "at " << x;
        last = Max(1);
    }
    Release(200, 390);
    EXPECT_LE(last - 0.1, lo) << "the steps that would empty the axis were undone";
    EXPECT_EQ(Min(1), lo);

    // Two axes: the right strip is plot area.
    const double y = Max(2);
    Press(580, 100);
    Move(580, 150);
    Release(580, 150);
    EXPECT_EQ(Max(2), y);

    // A second plot on its own axis: the right strip drags axis 3.
    view.PlotAllData(Add(AddSet({"Sound", 0, 100, 3, 0, 0, "dB"}, Ramp(10))));
    ASSERT_EQ(view.GetGraph().GetAxes().Count(), 3);
    const double right = Max(3);
    Press(580, 100);
    Move(580, 150);
    Release(580, 150);
    EXPECT_GT(Max(3), right);
}

TEST_F(GraphMouseTest, DoubleClickOnAStripFitsItsAxis) {
    view.SetAxisRange(1, 2, 5, FALSE, TRUE);
    view.SetAxisRange(2, -3, 3, FALSE, TRUE);
    QTest::mouseDClick(Control(), Qt::LeftButton, {}, QPoint(300, 380));
    EXPECT_EQ(Min(1), 0);
    EXPECT_EQ(Max(1), 9);
    EXPECT_EQ(Min(2), -3) << "only the strip's axis";
    QTest::mouseDClick(Control(), Qt::LeftButton, {}, QPoint(20, 200));
    EXPECT_EQ(Min(2), 0);
    EXPECT_NEAR(Max(2), 10, 1e-9);
}

TEST_F(GraphMouseTest, PointerFollowsTheStripAndTheMode) {
    Move(300, 380);
    EXPECT_EQ(view.m_pointer, Pointer::kSizeWE);
    EXPECT_EQ(Control()->cursor().shape(), Qt::SizeHorCursor);
    Move(20, 100);
    EXPECT_EQ(view.m_pointer, Pointer::kSizeNS);
    view.TogglePredictMode();
    Move(300, 100);
    EXPECT_EQ(view.m_pointer, Pointer::kPredict181);
    EXPECT_EQ(Control()->cursor().shape(), Qt::BitmapCursor) << "the program's own picture";
    EXPECT_EQ(Control()->cursor().hotSpot(), QPoint(2, 29));
    view.TogglePredictMode();
    Move(300, 101);
    EXPECT_EQ(view.m_pointer, Pointer::kArrow);
}

TEST_F(GraphViewTest, AutoscaleFitsEveryAxisWithItsMargin) {
    CDataTreeBrench* up = AddSet({"Light", 0}, {2, 3, 5, 4});
    CDataTreeBrench* down = AddSet({"Sound", 0, 100, 3, 0, 0, "dB"}, {-5, -3, -2, -4});
    view.PlotAllData(Add(up));
    view.PlotAllData(Add(down));
    view.SetAxisRange(1, 1, 2, FALSE, TRUE);
    view.SetAxisRange(2, 0, 100, FALSE, TRUE);
    view.SetAxisRange(3, 7, 8, FALSE, TRUE);
    view.OnAutoscale();
    EXPECT_NEAR(view.GetAxisMinimum(2), 1.8, 1e-9);
    EXPECT_NEAR(view.GetAxisMaximum(2), 5.5556, 1e-4);
    EXPECT_NEAR(view.GetAxisMinimum(3), -5.5556, 1e-4);
    EXPECT_NEAR(view.GetAxisMaximum(3), -1.8, 1e-9);
    EXPECT_EQ(view.GetAxisMinimum(1), 0);
    EXPECT_EQ(view.GetAxisMaximum(1), 3);
    EXPECT_EQ(view.m_xAxis.yAutoscale, 1);
    EXPECT_EQ(view.m_plots[0].yAutoscale, 1);
    EXPECT_EQ(view.m_plots[1].yAutoscale, 1);
}

class PredictTest : public GraphMouseTest {
protected:
    // A click in the plot area at a control point.
    void Click(int x, int y, Qt::MouseButton b = Qt::LeftButton) {
        Press(x, y, b);
        Release(x, y, b);
    }
    const platform::graph::Plot& Prediction() const { return State().plots.back(); }
};

TEST_F(PredictTest, EnteringDrawingAndLeaving) {
    view.StartScrollTimer();
    view.OnPauseContinue();  // outside predict mode it enters it
    EXPECT_EQ(view.m_predictMode, 1);
    EXPECT_EQ(view.m_predictionCount, 1);
    EXPECT_EQ(view.GetGraph().GetTrackMode(), 0);
    EXPECT_EQ(view.m_scrollTimerRunning, 0);
    ASSERT_EQ(ControlPlots(), 2);
    EXPECT_EQ(Prediction().lineColor, doc.GetSettings()->m_plotColors[7]);
    EXPECT_EQ(Prediction().marker, 12);
    EXPECT_EQ(frame.m_predictMode, 1);
    EXPECT_EQ(frame.m_predictDrawing, 1);
    EXPECT_TRUE(frame.m_paused);
    EXPECT_EQ(mainFrame.m_graphPaused, 1);
    view.HideCursors();
    EXPECT_EQ(view.GetGraph().GetTrackMode(), 0) << "hiding the cursors keeps the drawing mode";

    // Left clicks append, a right click takes the last point back.
    Click(200, 100);
    Click(300, 150);
    Click(400, 120);
    const auto& pts = view.m_predictions[0];
    ASSERT_EQ(pts.x.size(), 3u);
    EXPECT_EQ(ControlX(1), pts.x);
    EXPECT_EQ(ControlY(1), pts.y);
    EXPECT_LT(pts.x[0], pts.x[1]);
    EXPECT_GT(pts.y[0], pts.y[1]) << "higher on screen is more";
    Click(300, 100, Qt::RightButton);
    EXPECT_EQ(pts.x.size(), 2u);
    EXPECT_EQ(ControlX(1), pts.x);
    Click(300, 100, Qt::RightButton);
    Click(300, 100, Qt::RightButton);
    EXPECT_TRUE(pts.x.empty());
    EXPECT_TRUE(ControlX(1).empty()) << "the only point removed clears the curve";
    Click(300, 100, Qt::RightButton);
    EXPECT_TRUE(pts.x.empty());
    EXPECT_TRUE(ControlX(1).empty()) << "an empty prediction stays empty, its plot cleared";

    // Six more, then the eighth is refused.
    for (int i = 0; i < 6; ++i)
        view.OnAddPrediction();
    EXPECT_EQ(view.m_predictionCount, 7);
    EXPECT_EQ(State().plots[2].lineColor, doc.GetSettings()->m_plotColors[6]);
    modals.ExpectMessage("Can't add more plots", IDOK);
    view.OnAddPrediction();
    EXPECT_EQ(view.m_predictionCount, 7);
    EXPECT_EQ(ControlPlots(), 8);

    view.TogglePredictMode();
    EXPECT_EQ(view.m_predictMode, 0);
    EXPECT_EQ(ControlPlots(), 1) << "every prediction plot removed";
    EXPECT_EQ(view.m_scrollTimerRunning, 1);
    EXPECT_EQ(frame.m_predictMode, 0);
    EXPECT_EQ(mainFrame.m_graphPaused, 0);

    // Outside predict mode a click draws nothing.
    Click(200, 100);
    EXPECT_EQ(ControlPlots(), 1);
    EXPECT_EQ(view.m_predictionCount, 0);
    view.StopScrollTimer();
}

TEST_F(PredictTest, ContinueStopsTheDrawingAndPauseResumesIt) {
    view.OnAddPrediction();  // enters predict mode
    ASSERT_EQ(view.m_predictMode, 1);
    view.OnPauseContinue();
    EXPECT_EQ(view.m_paused, 0);
    EXPECT_EQ(view.m_scrollTimerRunning, 1);
    Click(200, 100);
    EXPECT_TRUE(view.m_predictions[0].x.empty()) << "the live display runs: no drawing";
    view.OnPauseContinue();
    EXPECT_EQ(view.m_paused, 1);
    EXPECT_EQ(view.m_scrollTimerRunning, 0);
    Click(200, 100);
    EXPECT_EQ(view.m_predictions[0].x.size(), 1u);
    view.TogglePredictMode();
    view.StopScrollTimer();
}

}  // namespace
}  // namespace graph_test

namespace graph_test {
namespace {

class FormatSheetTest : public GraphMouseTest {
protected:
    // The entry the sheet opens at, as its Scale page shows it.
    int OpenedAt(int x, int y) {
        int entry = -2;
        modals.ExpectDialog(IDD_PROPERTY_SHEET, [&](CDialog& d) {
            auto& sheet = dynamic_cast<CGraphFormatProperty&>(d);
            EXPECT_EQ(sheet.GetWindowText(), "Format graph");
            EXPECT_EQ(sheet.GetDlgItem(ID_APPLY_NOW), nullptr);
            EXPECT_EQ(sheet.GetTabText(0), "Scale");
            EXPECT_EQ(sheet.GetTabText(1), "Lines");
            auto* combo = static_cast<CComboBox*>(sheet.m_scales.GetDlgItem(IDC_FORMAT_ENTRIES));
            entry = combo->GetCurSel();
            testing_support::Press(d, IDCANCEL);
        });
        Press(x, y, Qt::RightButton);
        Release(x, y, Qt::RightButton);
        EXPECT_EQ(modals.Pending(), 0u);
        return entry;
    }
};

TEST_F(FormatSheetTest, ARightClickOpensItAtTheStripsAxis) {
    EXPECT_EQ(OpenedAt(300, 380), 0);
    EXPECT_EQ(OpenedAt(20, 200), 1);
    view.PlotAllData(Add(AddSet({"Sound", 0, 100, 3, 0, 0, "dB"}, Ramp(10))));
    view.m_rightAxis = 3;
    EXPECT_EQ(OpenedAt(580, 200), 2);

    // OK with new limits sets that axis, its auto scale off.
    modals.ExpectDialog(IDD_PROPERTY_SHEET, [&](CDialog& d) {
        auto& sheet = dynamic_cast<CGraphFormatProperty&>(d);
        CDialog& page = sheet.m_scales;
        EXPECT_EQ(page.GetDlgItemText(IDC_FORMAT_AUTOSCALE), "Auto scale");
        EXPECT_EQ(page.GetDlgItemText(IDC_FORMAT_MIN_LABEL), "Min :");
        EXPECT_EQ(page.IsDlgButtonChecked(IDC_FORMAT_AUTOSCALE), 1u);
        testing_support::SetChecked(page, IDC_FORMAT_AUTOSCALE, false);
        testing_support::TypeText(page, IDC_FORMAT_MIN, "-2");
        testing_support::TypeText(page, IDC_FORMAT_MAX, "abc");  // ignored
        testing_support::Press(d, IDOK);
    });
    const double top = view.GetAxisMaximum(2);
    Press(20, 200, Qt::RightButton);
    Release(20, 200, Qt::RightButton);
    EXPECT_EQ(view.GetAxisMinimum(2), -2);
    EXPECT_NEAR(view.GetAxisMaximum(2), top, 0.005);
    EXPECT_EQ(view.m_plots[0].yAutoscale, 0);
    EXPECT_EQ(view.m_format[0].yMin, -2);
    EXPECT_TRUE(doc.m_formatScaleSettings);

    // Without a plot nothing opens.
    view.RefreshGraph(TRUE);
    Press(20, 200, Qt::RightButton);
    Release(20, 200, Qt::RightButton);
}

TEST_F(FormatSheetTest, AScaleLimitIsTakenOnlyFromAWholeNumber) {
    struct Case {
        const char* typed;
        bool taken;
        double value;
    };
    for (const Case& c : {Case{"abc", false, 0}, Case{"12abc", false, 0}, Case{"0", true, 0},
                          Case{"0.0", true, 0}, Case{"-0", true, 0}, Case{" 3.5 ", true, 3.5}}) {
        modals.ExpectDialog(IDD_PROPERTY_SHEET, [&](CDialog& d) {
            auto& sheet = dynamic_cast<CGraphFormatProperty&>(d);
            CGraphFormatScales& page = sheet.m_scales;
            const double before = page.Records().at(1).minimum;
            const CString shown = page.GetDlgItemText(IDC_FORMAT_MIN);
            testing_support::SetChecked(page, IDC_FORMAT_AUTOSCALE, false);
            testing_support::TypeText(page, IDC_FORMAT_MIN, c.typed);
            platform::NotifyParent(page.GetDlgItem(IDC_FORMAT_MIN)->GetWidget(), EN_KILLFOCUS);
            EXPECT_EQ(page.Records().at(1).minimum, c.taken ? c.value : before) << c.typed;
            if (!c.taken) {
                EXPECT_EQ(page.GetDlgItemText(IDC_FORMAT_MIN), shown) << c.typed;
            }
            testing_support::Press(d, IDCANCEL);
        });
        Press(20, 200, Qt::RightButton);
        Release(20, 200, Qt::RightButton);
        EXPECT_EQ(modals.Pending(), 0u);
    }
}

}  // namespace
}  // namespace graph_test
