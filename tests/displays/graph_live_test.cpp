// A live run on the virtual clock, the X window of a recording, the Y fit, the time axis, and
// replays.

#include <QImage>
#include <QPainter>

#include "models/graph_axis.h"
#include "tests/displays/graph_view_fixture.h"

namespace graph_test {
namespace {

class LiveRunTest : public GraphViewTest {
protected:
    // A run's start: the plot added keeping its settings, set up for the run, the timer started.
    CDataTreeBrench* StartRun(SetFields fields) {
        CDataTreeBrench* d = AddSet(fields, {});
        BOOL added = FALSE;
        view.AddPlot(d, 0, FALSE, added, TRUE, -1);
        CDataTreeBrench* sets[] = {d};
        view.PlotRecordingData(sets, 1);
        view.StartScrollTimer();
        return d;
    }
    double XMax() const { return view.GetAxisMaximum(1); }
    double XMin() const { return view.GetAxisMinimum(1); }
};

TEST_F(LiveRunTest, EveryTickTheControlHoldsTheSamplesShownAndStopDrawsTheLast) {
    CDataTreeBrench* d = StartRun(TemperatureFields());
    EXPECT_EQ(view.m_plots[0].channel, 88);
    EXPECT_EQ(State().axes[0].caption, "Time(s)");
    EXPECT_EQ(State().axes[1].caption,
              "Temp(\xC2\xB0"
              "C)");
    for (int tick = 0; tick < 30; ++tick) {
        std::vector<double> grown;
        for (int i = 0; i < tick % 4; ++i)
            grown.push_back(20 + (tick * 7 + i) % 11 * 0.5);
        Append(d, grown);
        clock.Advance(100);
        const auto shown = static_cast<size_t>(view.m_plots[0].pointsShown);
        ASSERT_EQ(shown, d->m_y->size()) << "tick " << tick;
        ASSERT_EQ(ControlX(0), First(*d->m_x, shown)) << "tick " << tick;
        ASSERT_EQ(ControlY(0), First(*d->m_y, shown)) << "tick " << tick;
    }
    // The same points as one write of everything.
    const auto& points = *State().plots[0].points;
    const platform::graph::PlotPoints whole(std::make_shared<std::vector<double>>(*d->m_x),
                                            std::make_shared<std::vector<double>>(*d->m_y));
    EXPECT_EQ(points.Monotone(), whole.Monotone());
    EXPECT_EQ(points.PointCount(), whole.PointCount());

    Append(d, {30, 31, 32});
    view.StopScrollTimer();
    EXPECT_EQ(ControlY(0), *d->m_y);
    EXPECT_DOUBLE_EQ(XMin(), 0);
    EXPECT_DOUBLE_EQ(XMax(), static_cast<double>(d->m_x->size() - 1)) << "scaled as finished";
    clock.Advance(1000);
    EXPECT_EQ(ControlY(0).size(), d->m_y->size());

    QImage image(600, 400, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        view.GetGraph().GetGraphControl()->Render(painter, QRectF(0, 0, 600, 400),
                                                  QSizeF(600, 400));
    }
    testing_support::SaveTestImage(image, "graph_view_live_run");
    int red = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            red += (image.pixel(x, y) & 0xFFFFFF) == 0xFF0000;
    EXPECT_GT(red, 20) << "the temperature plot is drawn in its sensor colour";
}

TEST_F(LiveRunTest, ASlowRunDoublesItsWindowAndScrollRunShowsTheLastSamples) {
    CDataTreeBrench* d = StartRun(SetFields{});
    std::vector<std::pair<int, double>> seen;
    for (int n = 1; n <= 41; ++n) {
        Append(d, {double(n)});
        clock.Advance(100);
        if (n == 9 || n == 10 || n == 19 || n == 20 || n == 40 || n == 41)
            seen.emplace_back(n, XMax());
        EXPECT_DOUBLE_EQ(XMin(), 0);
    }
    EXPECT_EQ(seen, (std::vector<std::pair<int, double>>{
                        {9, 10}, {10, 20}, {19, 20}, {20, 40}, {40, 80}, {41, 80}}));

    view.StopScrollTimer();
    view.RefreshGraph(TRUE);
    doc.m_scrollRun = TRUE;
    d = StartRun(SetFields{});
    for (int n = 1; n <= 25; ++n) {
        Append(d, {double(n)});
        clock.Advance(100);
        if (n <= 10) {
            EXPECT_DOUBLE_EQ(XMin(), 0);
            EXPECT_DOUBLE_EQ(XMax(), 10);
        } else {
            EXPECT_DOUBLE_EQ(XMin(), n - 11.0) << n;
            EXPECT_DOUBLE_EQ(XMax(), n - 1.0) << n;
        }
    }
}

TEST(GraphAxisTest, TheRecordingWindowFollowsTheRate) {
    for (const auto& [rate, window] : std::vector<std::pair<WORD, int>>{{41, 10},
                                                                        {64, 10},
                                                                        {32, 5},
                                                                        {51, 500},
                                                                        {50, 200},
                                                                        {128, 100},
                                                                        {255, 10000},
                                                                        {16, 10},
                                                                        {0, 10},
                                                                        {42, 10},
                                                                        {47, 10}})
        EXPECT_EQ(graph_axis::ScrollWindow(rate), window) << rate;
}

struct FitCase {
    std::vector<double> y;
    double lo, hi;
};

TEST_F(GraphViewTest, AYAxisIsFittedToItsDataWithAMargin) {
    for (const FitCase& c :
         {FitCase{{2, 5, 3}, 1.8, 5.0 / 0.9}, FitCase{{-5, -2}, -5.0 / 0.9, -1.8},
          FitCase{{0, 0, 0}, -1, 1}, FitCase{{-1, 4}, -1.0 / 0.9, 4.0 / 0.9}}) {
        view.RefreshGraph(TRUE);
        ASSERT_EQ(Add(AddSet(c.y)), 0);
        view.PlotAllData(0);
        EXPECT_NEAR(view.GetAxisMinimum(2), c.lo, 1e-9);
        EXPECT_NEAR(view.GetAxisMaximum(2), c.hi, 1e-9);
    }
    // A linked plot widens the fit.
    view.RefreshGraph(TRUE);
    CDataTreeBrench* t1 = AddSet(TemperatureFields("T1"), {2, 5});
    ASSERT_EQ(Add(t1), 0);
    ASSERT_EQ(Add(AddSet(TemperatureFields("T2"), {0, 10})), 1);
    view.PlotAllData(0);
    EXPECT_NEAR(view.GetAxisMinimum(2), 0, 1e-9);
    EXPECT_NEAR(view.GetAxisMaximum(2), 10 / 0.9, 1e-9);
    EXPECT_DOUBLE_EQ(t1->m_rangeMin, 0) << "the unmargined range is kept with the data set";
    EXPECT_DOUBLE_EQ(t1->m_rangeMax, 10);

    // A fixed range is put as stored; an empty one (a new plot's "none yet") never is.
    view.m_plots[0].yAutoscale = 0;
    view.ApplyYAxisSettings(0);
    EXPECT_NEAR(view.GetAxisMaximum(2), 10 / 0.9, 1e-9);
    view.m_plots[0].yMin = -3;
    view.m_plots[0].yMax = 3;
    view.ApplyYAxisSettings(0);
    EXPECT_DOUBLE_EQ(view.GetAxisMinimum(2), -3);
    EXPECT_DOUBLE_EQ(view.GetAxisMaximum(2), 3);
}

TEST(GraphAxisTest, ColumnExtremesStopAtTheColumnsEnd) {
    double lo = 100, hi = -100;
    const double column[] = {3, -2, 7};
    graph_axis::ColumnExtremes(column, 3, 0, 10, lo, hi);
    EXPECT_EQ(lo, -2);
    EXPECT_EQ(hi, 7);
}

TEST(GraphAxisTest, TimeCaptionsAndLabelFormats) {
    const char* captions[] = {"()",      "(\xC2\xB5)", "(ms)",   "(s)",
                              "(mm:ss)", "(hh:mm:ss)", "(Date)", "()"};
    for (int code = 0; code <= 7; ++code)
        EXPECT_EQ(CGraphView::GetTimeUnitCaption(code), captions[code]) << code;

    // Noon of 1 January 2000 is day 36526.5 of the control's calendar.
    const CPreciseDateTime start(2000, 1, 1, 12, 0, 0);
    EXPECT_EQ(CGraphView::FormatTimeAxis(start, 1, 1, 4, TRUE, 0, 0, 0),
              "nn:ss*0.0000115741+36526.5000000000");
    EXPECT_EQ(CGraphView::FormatTimeAxis(start, 1800, 0.5, 5, TRUE, 0, 0, 0),
              "hh:nn:ss*0.0208333333+36526.5000000000");
    EXPECT_EQ(CGraphView::FormatTimeAxis(start, 60, 1.0 / 60, 6, TRUE, 0, 0, 0),
              "dd-mm-yy hh:nn:ss*0.0006944444+36526.5000000000");
    EXPECT_EQ(CGraphView::FormatTimeAxis(start, 0.02, 0.02, 3, TRUE, 0, 0, 0), "*0.020");
    // Read-out texts: the time of a sample, and a span.
    EXPECT_EQ(CGraphView::FormatTimeAxis(start, 1, 1, 5, FALSE, 1, 45, 0), "12:00:45");
    EXPECT_EQ(CGraphView::FormatTimeAxis(start, 1, 1, 4, FALSE, 2, 10, 135), "02:05");
    EXPECT_EQ(CGraphView::FormatTimeAxis(start, 0.5, 0.5, 3, FALSE, 1, 3, 0), "1.500");
}

TEST(GraphAxisTest, TheTimeAxisIsPromotedAtItsThresholds) {
    const CPreciseDateTime start(2000, 1, 1, 12, 0, 0);
    struct Case {
        WORD code;
        double span;
        int newCode;  // 0: none
        const char* format;
    };
    for (const Case& c :
         {Case{2, 0.999, 0, ""}, Case{2, 1.0, 3, "*0.001000"}, Case{4, 215999, 0, ""},
          Case{4, 216000, 5, "hh:nn:ss*0.0000115741+36526.5000000000"}, Case{5, 5183999, 0, ""},
          Case{5, 5184000, 6, "dd-mm-yy hh:nn:ss*0.0000115741+36526.5000000000"},
          Case{3, 1e9, 0, ""}}) {
        const auto p = graph_axis::PromoteTimeAxis(c.code, c.span, 1, 1, start);
        EXPECT_EQ(p.has_value(), c.newCode != 0) << c.code << " " << c.span;
        if (!p) continue;
        EXPECT_EQ(p->code, c.newCode);
        EXPECT_EQ(p->format, c.format);
    }
}

TEST_F(LiveRunTest, ARunsTimeAxisIsLabelledInItsUnitAndMillisecondsBecomeSeconds) {
    SetFields fields;
    fields.rate = 51;
    StartRun(fields);
    EXPECT_EQ(State().axes[0].caption, "Time(s)");
    EXPECT_EQ(State().axes[0].format.Text(), "*0.020");

    view.RefreshGraph(TRUE);
    fields.rate = 255;
    CDataTreeBrench* d = StartRun(fields);
    EXPECT_EQ(State().axes[0].caption, "Time(ms)");
    EXPECT_EQ(State().axes[0].format.Text(), "*1.000");
    Append(d, std::vector<double>(999, 1.0));
    clock.Advance(100);
    EXPECT_EQ(view.m_xAxis.timeFormat, 2);
    Append(d, {1.0});
    clock.Advance(100);
    EXPECT_EQ(view.m_xAxis.timeFormat, 3) << "a second of samples";
    EXPECT_EQ(State().axes[0].caption, "Time(s)");
    EXPECT_EQ(State().axes[0].format.Text(), "*0.001000");
}

TEST_F(LiveRunTest, ALongRunSwitchesToTheDateOffsetFormat) {
    CDataTreeBrench* d = StartRun(SetFields{});
    Append(d, {1, 2});
    clock.Advance(100);
    view.m_xAxis.timeFormat = 4;
    view.PromoteTimeAxis(215999);
    EXPECT_EQ(view.m_xAxis.timeFormat, 4);
    view.PromoteTimeAxis(216000);
    EXPECT_EQ(view.m_xAxis.timeFormat, 5);
    EXPECT_EQ(State().axes[0].caption, "Time(hh:mm:ss)");
    EXPECT_EQ(State().axes[0].format.Text(), "hh:nn:ss*0.0000115741+36526.5000000000");
}

TEST(GraphAxisTest, ThePlaybackPaceFollowsTheRate) {
    struct Case {
        WORD rate;
        UINT period;
        LONG points;
    };
    for (const Case& c :
         {Case{255, 200, 200}, Case{16, 10000, 1}, Case{51, 200, 10}, Case{40, 200, 2},
          Case{39, 15000, 1}, Case{41, 1000, 1}, Case{42, 1000, 1}, Case{47, 1000, 1}}) {
        const auto pace = graph_axis::PlaybackRateFor(c.rate);
        EXPECT_EQ(pace.periodMs, c.period) << c.rate;
        EXPECT_EQ(pace.pointsPerTick, c.points) << c.rate;
    }
}

TEST_F(GraphViewTest, AReplayPausesContinuesEndsWithEverySampleAndStartsOver) {
    SetFields fields;
    fields.rate = 255;
    CDataTreeBrench* d = AddSet(fields, std::vector<double>(1000, 1.0));
    ASSERT_EQ(Add(d), 0);
    view.PlotAllData(0);
    auto shown = [&] { return ControlY(0).size(); };

    view.OnPlaybackPlay();
    EXPECT_EQ(shown(), 200u);
    EXPECT_TRUE(mainFrame.IsCommandEnabled(ID_PLAYBACK_PAUSE));
    EXPECT_FALSE(mainFrame.IsCommandEnabled(ID_PLAYBACK_PLAY));
    EXPECT_FALSE(mainFrame.IsCommandEnabled(ID_PLAYBACK_RECORD));
    EXPECT_TRUE(mainFrame.IsCommandEnabled(ID_PLAYBACK_STOP));
    clock.Advance(200);
    EXPECT_EQ(shown(), 400u);

    view.OnPlaybackPause();
    EXPECT_TRUE(mainFrame.IsCommandEnabled(ID_PLAYBACK_PLAY));
    EXPECT_FALSE(mainFrame.IsCommandEnabled(ID_PLAYBACK_PAUSE));
    clock.Advance(1000);
    EXPECT_EQ(shown(), 400u);

    view.OnPlaybackPlay();
    clock.Advance(200);
    EXPECT_EQ(shown(), 600u) << "continues where it paused";
    clock.Advance(400);
    EXPECT_EQ(shown(), 1000u);
    clock.Advance(200);
    EXPECT_EQ(view.m_playbackFinished, 1);
    EXPECT_EQ(view.m_playbackMode, 0);
    EXPECT_EQ(ControlY(0), *d->m_y) << "the end shows every sample";
    EXPECT_TRUE(mainFrame.IsCommandEnabled(ID_PLAYBACK_PLAY));
    EXPECT_FALSE(mainFrame.IsCommandEnabled(ID_PLAYBACK_PAUSE));
    clock.Advance(1000);
    EXPECT_EQ(shown(), 1000u);

    view.OnPlaybackPlay();
    EXPECT_EQ(shown(), 200u) << "Play after the end starts over";
    view.SyncToVideoPosition(650);
    EXPECT_EQ(shown(), 650u);
    view.OnPlaybackStop();
    EXPECT_EQ(ControlY(0), *d->m_y);
}

TEST_F(GraphViewTest, SlowAndUnknownRatesReplayOnePointPerPeriod) {
    for (const auto& [rate, period] : {std::pair<WORD, UINT>{16, 10000}, {42, 1000}}) {
        view.RefreshGraph(TRUE);
        SetFields fields;
        fields.rate = rate;
        ASSERT_EQ(Add(AddSet(fields, {1, 2, 3, 4, 5})), 0);
        view.OnPlaybackPlay();
        EXPECT_EQ(view.m_playbackPeriod, period);
        EXPECT_EQ(ControlY(0).size(), 1u);
        clock.Advance(period - 1);
        EXPECT_EQ(ControlY(0).size(), 1u);
        clock.Advance(1);
        EXPECT_EQ(ControlY(0).size(), 2u);
        view.OnPlaybackStop();
    }
}

TEST_F(GraphViewTest, AFailedTimerIsReportedAfterTheHandlerAndTheNextStartRetries) {
    bool fail = true;
    clock.SetTimerFailure([&](HWND, UINT_PTR) { return fail; });
    view.StartScrollTimer();
    EXPECT_EQ(view.m_scrollTimerRunning, 0);
    EXPECT_TRUE(modals.Shown().empty()) << "no modal box inside the caller's handler";
    modals.ExpectMessage("SetTimer failed", IDOK);
    clock.RunPending();
    EXPECT_EQ(modals.Pending(), 0u);

    fail = false;
    view.StartScrollTimer();
    EXPECT_EQ(view.m_scrollTimerRunning, 1);
    clock.SetTimerFailure({});
}

}  // namespace
}  // namespace graph_test
