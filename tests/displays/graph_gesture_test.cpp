// Mouse gestures on the real control: a pan drag, a zoom band, and drawing and erasing
// predictions.

#include <QTest>
#include <cmath>

#include "RES/graph_bars.h"
#include "logger/settings.h"
#include "tests/displays/graph_tool_fixture.h"

namespace graph_test {
namespace {

class GraphGestureTest : public GraphToolFixture {
protected:
    GraphGestureTest() {
        data = Show({}, std::vector<double>(101, 0.5));
        Window(0, 100, -1, 1);
    }
    QWidget* Control() const { return view.GetGraph().GetWidget(); }
    void Drag(QPoint from, QPoint to) {
        QTest::mousePress(Control(), Qt::LeftButton, {}, from);
        QTest::mouseMove(Control(), (from + to) / 2);
        QTest::mouseMove(Control(), to);
        QTest::mouseRelease(Control(), Qt::LeftButton, {}, to);
    }
    void Click(QPoint at, Qt::MouseButton b = Qt::LeftButton) {
        QTest::mousePress(Control(), b, {}, at);
        QTest::mouseRelease(Control(), b, {}, at);
    }
    // A point of the plot area in client pixels, from fractions of its width and height.
    QPoint At(double fx, double fy) const {
        const QRectF a = PlotArea();
        return QPointF(a.left() + fx * a.width(), a.top() + fy * a.height()).toPoint();
    }
    QPointF LabelOffset() const {
        for (const auto* a : Extra())
            if (a->kind == 5) {
                const size_t i = static_cast<size_t>(a->point);
                return Pixel(a->caption.x, a->caption.y) - Pixel((*data->m_x)[i], (*data->m_y)[i]);
            }
        ADD_FAILURE() << "no label";
        return {};
    }
    COLORREF PlotColour(int k) const { return doc.GetSettings()->m_plotColors[k]; }
    CDataTreeBrench* data = nullptr;
};

TEST_F(GraphGestureTest, PanDragAndZoomBandMoveTheAxesAndTheLabelsFollow) {
    data->m_annotations = {{50, "Mid"}};
    view.PlaceAnnotations();
    Command(ID_GV_PAN);
    ASSERT_EQ(view.GetGraph().GetTrackMode(), 3);
    Drag(At(0.5, 0.5), At(0.5, 0.5) + QPoint(40, -30));
    // The plot area the drag moved over (its labels may have changed width on the way).
    double kx = 100 / PlotArea().width(), ky = 2 / PlotArea().height();
    EXPECT_NEAR(view.GetAxisMinimum(1), -40 * kx, kx);
    EXPECT_NEAR(view.GetAxisMaximum(1), 100 - 40 * kx, kx);
    EXPECT_NEAR(view.GetAxisMinimum(2), -1 - 30 * ky, ky);
    EXPECT_NEAR(view.GetAxisMaximum(2), 1 - 30 * ky, ky);
    EXPECT_NEAR(LabelOffset().x(), 50 / std::sqrt(2.0), 1.0) << "placed again at the mouse up";
    EXPECT_NEAR(LabelOffset().y(), -50 / std::sqrt(2.0), 1.0);

    Window(0, 100, -1, 1);
    kx = 100 / PlotArea().width(), ky = 2 / PlotArea().height();
    Command(ID_GV_ZOOM);
    ASSERT_EQ(view.GetGraph().GetTrackMode(), 6);
    Drag(At(0.25, 0.25), At(0.75, 0.5));
    EXPECT_NEAR(view.GetAxisMinimum(1), 25, kx);
    EXPECT_NEAR(view.GetAxisMaximum(1), 75, kx);
    EXPECT_NEAR(view.GetAxisMinimum(2), 0, ky);
    EXPECT_NEAR(view.GetAxisMaximum(2), 0.5, ky);
    EXPECT_NEAR(LabelOffset().x(), 50 / std::sqrt(2.0), 1.0);
    EXPECT_NEAR(LabelOffset().y(), -50 / std::sqrt(2.0), 1.0);
    Command(ID_GV_ZOOM);
    EXPECT_EQ(view.GetGraph().GetTrackMode(), 1);
}

TEST_F(GraphGestureTest, PredictionsAreDrawnErasedAndKeepTheirColoursCycling) {
    view.OnAddPrediction();  // enters predict mode, paused, with the first prediction
    ASSERT_EQ(view.m_predictMode, 1);
    // Three predictions, each a level line across the plot.
    const double levels[] = {0.1, 0.3, 0.45};
    for (int k = 0; k < 3; ++k) {
        if (k) view.OnAddPrediction();
        Click(At(0.2, levels[k]));
        Click(At(0.8, levels[k]));
        EXPECT_EQ(view.m_predictions[k].x.size(), 2u) << k;
    }
    ASSERT_EQ(ControlPlots(), 4);
    EXPECT_EQ(State().plots[1].lineColor, PlotColour(7));
    EXPECT_EQ(State().plots[3].lineColor, PlotColour(5));

    // A left click on the measured plot's line adds no point.
    Click(At(0.5, 0.25));  // Y 0.5 on a -1..1 axis
    EXPECT_EQ(view.m_predictions[2].x.size(), 2u);

    Command(ID_GV_ERASE_PREDICTION);
    EXPECT_EQ(view.GetGraph().GetTrackMode(), 1);
    EXPECT_EQ(FrameCheck(ID_GV_ERASE_PREDICTION), 1);
    Click(At(0.5, 0.25));  // the measured plot: nothing removed
    EXPECT_EQ(view.m_predictionCount, 3);
    Click(At(0.5, levels[1]));  // the middle prediction
    ASSERT_EQ(view.m_predictionCount, 2);
    EXPECT_EQ(view.m_removedPredictions, 1);
    EXPECT_EQ(ControlPlots(), 3);
    EXPECT_EQ(view.m_predictions[1].plot, 3) << "renumbered as the control did";
    Command(ID_GV_ERASE_PREDICTION);
    EXPECT_EQ(view.GetGraph().GetTrackMode(), 0);

    // The newest is still drawable on its new plot.
    Click(At(0.9, 0.7));
    EXPECT_EQ(view.m_predictions[1].x.size(), 3u);
    EXPECT_EQ(ControlX(2), view.m_predictions[1].x);

    // Colours go on from where they were, past the first and round again.
    const int expected[] = {4, 3, 2, 1, 0};
    for (int c : expected) {
        view.OnAddPrediction();
        EXPECT_EQ(State().plots.back().lineColor, PlotColour(c)) << c;
    }
    ASSERT_EQ(view.m_predictionCount, 7);
    view.RemovePredictionPlot(static_cast<LONG>(State().plots.size()));
    view.RemovePredictionPlot(static_cast<LONG>(State().plots.size()));
    view.OnAddPrediction();
    EXPECT_EQ(State().plots.back().lineColor, PlotColour(7)) << "(7 - 5 - 3) taken in 0..7";

    // Every prediction erased: a right click takes nothing from anywhere.
    Command(ID_GV_ERASE_PREDICTION);
    while (view.m_predictionCount > 0)
        view.RemovePredictionPlot(view.m_predictions[view.m_predictionCount - 1].plot);
    view.RemovePredictionPlot(2);  // none left there: nothing happens
    Command(ID_GV_ERASE_PREDICTION);
    Click(At(0.5, 0.7), Qt::RightButton);
    EXPECT_EQ(view.m_predictionCount, 0);
    EXPECT_EQ(ControlPlots(), 1);

    // Continue ends erase mode and runs the display; a click then draws nothing.
    Command(ID_GV_ERASE_PREDICTION);
    view.OnPauseContinue();
    EXPECT_EQ(view.m_eraseMode, 0);
    EXPECT_EQ(FrameCheck(ID_GV_ERASE_PREDICTION), 0);
    EXPECT_EQ(view.m_scrollTimerRunning, 1);
    Click(At(0.5, 0.7));
    EXPECT_EQ(view.m_predictionCount, 0);
    view.TogglePredictMode();
    view.StopScrollTimer();
}

}  // namespace
}  // namespace graph_test
