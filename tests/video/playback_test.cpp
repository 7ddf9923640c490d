// Playing a run's video on a scripted player and the virtual clock: the commands, chosen from the
// main window's Video menu and toolbar, the graph following the markers, the stopped paths, and
// the view's layout.

#include <gtest/gtest.h>

#include <QFile>
#include <QPainter>

#include "RES/commands.h"
#include "app/data_tree_view.h"
#include "app/main_frame.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_frame.h"
#include "displays/graph/graph_view.h"
#include "logger/data_tree.h"
#include "logger/precise_time.h"
#include "platform/activex/graph_model.h"
#include "platform/activex/register.h"
#include "platform/media/encoder.h"
#include "tests/support/fake_player.h"
#include "tests/support/harness.h"
#include "tests/support/user_commands.h"
#include "video/recording_video_view.h"
#include "video/video_view.h"

using namespace media;

namespace {

// An encoder that does what it is told and nothing more.
class QuietEncoder : public IMediaEncoder {
public:
    HRESULT AddSourceGroup(const CString&) override { return S_OK; }
    HRESULT RemoveSourceGroup(int) override { return S_OK; }
    HRESULT AddSource(int) override { return S_OK; }
    HRESULT RemoveSource(int, int) override { return S_OK; }
    HRESULT SetSourceInput(int, const CString&) override { return S_OK; }
    HRESULT SetProfile(const CString&) override { return S_OK; }
    HRESULT SetOption(int, bool) override { return S_OK; }
    HRESULT Start() override { return S_OK; }
    HRESULT Stop() override { return S_OK; }
    HRESULT SetLocalFileName(const CString&) override { return S_OK; }
    HRESULT Archive(int, int) override { return S_OK; }
    HRESULT SendScript(int, const CString&, const CString&) override { return S_OK; }
    HRESULT AddPreview(LONG* cookie) override {
        *cookie = 1;
        return S_OK;
    }
    HRESULT RemoveAllPreviews() override { return S_OK; }
    HRESULT SetViewProperties(LONG, QWidget* w) override {
        m_window = w;
        return S_OK;
    }
    LONG StartView(LONG) override { return m_window ? 1 : 0; }
    HRESULT StopView(LONG) override { return S_OK; }
    QWidget* GetViewWindow(LONG) const override { return m_window; }

private:
    QWidget* m_window = nullptr;
};

constexpr int kSamples = 30;

class PlaybackTest : public testing_support::HarnessTest {
protected:
    testing_support::FakePlayer fake;
    CVarnelDoc doc;
    CMainFrame mainFrame;
    CGraphFrame graphFrame;
    CWnd host;
    CGraphView graph;
    CDataTreeView tree;
    std::unique_ptr<CRecordingVideoView> recorder;
    std::unique_ptr<CVideoView> video;
    CDataTreeBrench* set = nullptr;
    QString path;

    PlaybackTest() {
        platform::RegisterActiveXControls();
        SetEncoderFactory([](const GUID&) { return std::make_unique<QuietEncoder>(); });
        // The real main window, whose Video menu and toolbar carry the commands a test uses.
        mainFrame.CreateMainWindow();
        mainFrame.SetDocument(&doc);
        mainFrame.ShowWindow(SW_SHOW);
        host.Create(nullptr, "host", WS_VISIBLE, CRect(0, 0, 820, 420), nullptr, 0);
        graph.Create(&host, CRect(0, 0, 600, 400));
        tree.Create(&host, CRect(600, 0, 820, 400), 2);
        doc.SetMainFrame(&mainFrame);
        doc.m_dataTreeView = &tree;
        tree.SetDocument(&doc);
        graph.Attach(&doc, &graphFrame);
        graph.RefreshGraph(TRUE);
        path = env.File("run.wmv").ToQString();
        EXPECT_TRUE(testing_support::WriteMarkedAsf(
            path,
            {{0, "TEXT", "5"}, {100, "TEXT", "12"}, {200, "TEXT", "40"}, {300, "TEXT", "45"}}));
    }
    ~PlaybackTest() override {
        video.reset();
        recorder.reset();
        graph.DestroyWindow();
        tree.DestroyWindow();
        host.DestroyWindow();
        mainFrame.DestroyWindow();
        SetEncoderFactory({});
        testing_support::ProcessQtEvents();
    }
    // The views, with or without a recording view, and a shown run whose video is `path`.
    void Build(bool withRecorder = true) {
        MakeViews(withRecorder);
        ShowRun();
    }
    void MakeViews(bool withRecorder = true) {
        if (withRecorder) {
            recorder = std::make_unique<CRecordingVideoView>();
            ASSERT_TRUE(recorder->Create(&host, &doc));
        }
        video = std::make_unique<CVideoView>();
        ASSERT_TRUE(video->Create(&host, &doc));
        video->OnInitialUpdate();
    }
    // A run in the data map whose video is `path`, ticked there to show on the graph.
    void ShowRun() {
        auto x = std::make_unique<CDataArray>();
        auto y = std::make_unique<CDataArray>();
        for (int i = 0; i < kSamples; ++i) {
            x->push_back(i);
            y->push_back(i * 0.5);
        }
        set = doc.AddDataBranch(doc.AddDataGroup("Exp. 1"), std::move(x), std::move(y), "A", 0, "V",
                                CPreciseDateTime(), 1, -1, 0, "", 0, 0, 1);
        ASSERT_TRUE(set);
        SetVideo(path);
        ClickRun();
        ASSERT_EQ(graph.m_plotCount, 1);
    }
    // The run's check box in the data map.
    void ClickRun() { tree.DisplayPlot(tree.FindDataSetItem(set->m_id)); }
    // A recording as Record starts it, tied to a run as a run's start ties it.
    void RecordARun() {
        Command(ID_VIDEO_RECORD);
        ASSERT_TRUE(recorder->m_recording);
        recorder->m_tiedToExperiment = true;
    }
    void SetVideo(const QString& file) {
        set->m_videoFile = CString(file);
        set->m_videoUnsaved = 1;
    }
    // The main window's toolbar button, else its Video menu item.
    void Command(UINT id) { ASSERT_TRUE(testing_support::UseCommand(mainFrame, id)); }
    LONG Shown() const { return graph.m_plots[0].pointsShown; }
    size_t ControlPoints() const {
        const auto model = std::dynamic_pointer_cast<platform::graph::GraphModel>(
            graph.GetGraph().GetGraph().GetHandle().Target());
        return model->State().plots.at(0).points->Size();
    }
    bool PlayOn() const { return mainFrame.m_videoPlayAvailable; }
    bool PauseOn() const { return mainFrame.m_videoPauseAvailable; }
    LONG State() const { return video->m_player.get_playState(); }
};

TEST_F(PlaybackTest, TheGraphFollowsTheMarkersThroughPauseAndTheEnd) {
    Build();
    Command(ID_VIDEO_PLAY);
    EXPECT_EQ(fake.Take(), (std::vector<std::string>{"open run.wmv", "play"}));
    EXPECT_TRUE(video->m_playing);
    EXPECT_TRUE(video->m_playerMode);
    EXPECT_TRUE(graph.m_playbackMode);
    EXPECT_FALSE(PlayOn());
    EXPECT_TRUE(PauseOn());
    EXPECT_EQ(Shown(), 0);

    fake.MoveTo(0);
    EXPECT_EQ(Shown(), 5);
    fake.MoveTo(150);
    EXPECT_EQ(Shown(), 12);
    EXPECT_EQ(ControlPoints(), 12u);

    // Pause freezes both; Play resumes without clearing or reloading.
    Command(ID_VIDEO_PAUSE);
    EXPECT_EQ(State(), 2);
    EXPECT_TRUE(PlayOn());
    EXPECT_FALSE(PauseOn());
    fake.position = 250;
    clock.Advance(500);
    EXPECT_EQ(Shown(), 12);
    Command(ID_PLAYBACK_PLAY);  // the toolbar's Play
    EXPECT_EQ(fake.Take(), (std::vector<std::string>{"pause", "play"}));
    EXPECT_EQ(ControlPoints(), 12u);
    clock.Advance(50);
    EXPECT_EQ(Shown(), kSamples);

    // Past the data while the video plays: the replay waits for the video.
    fake.MoveTo(300);
    EXPECT_FALSE(graph.m_playbackMode);
    EXPECT_EQ(State(), 3);
    EXPECT_TRUE(video->m_playing);

    // The video's end stops both.
    fake.End();
    clock.RunPending();
    EXPECT_EQ(State(), 1);
    EXPECT_FALSE(video->m_playing);
    EXPECT_EQ(Shown(), kSamples);
    EXPECT_EQ(ControlPoints(), size_t(kSamples));
    EXPECT_TRUE(PlayOn());
    EXPECT_FALSE(PauseOn());
    EXPECT_TRUE(video->m_playerMode) << "no device: the player stays";
}

TEST_F(PlaybackTest, PlayAfterPauseLoadsAnotherRunsVideoAnew) {
    Build();
    Command(ID_VIDEO_PLAY);
    fake.MoveTo(150);
    Command(ID_VIDEO_PAUSE);
    const QString other = env.File("other.wmv").ToQString();
    ASSERT_TRUE(testing_support::WriteMarkedAsf(other, {{0, "TEXT", "3"}}));
    SetVideo(other);
    fake.Take();
    Command(ID_VIDEO_PLAY);
    EXPECT_EQ(fake.Take(), (std::vector<std::string>{"open other.wmv", "play"}));
    EXPECT_EQ(ControlPoints(), 0u) << "the plots were cleared";
    fake.MoveTo(0);
    EXPECT_EQ(Shown(), 3);
}

TEST_F(PlaybackTest, StopBringsTheLivePictureBackWhileTheDeviceIsReady) {
    Build();
    Command(ID_VIDEO_ENABLE);
    ASSERT_TRUE(video->IsVideoDeviceReady());
    EXPECT_FALSE(video->m_playerMode);
    Command(ID_VIDEO_PLAY);
    EXPECT_TRUE(video->m_playerMode);
    EXPECT_FALSE(recorder->m_previewRunning);
    video->m_recordingStartedHere = true;
    Command(ID_VIDEO_STOP);
    EXPECT_EQ(State(), 1);
    EXPECT_FALSE(video->m_playerMode);
    EXPECT_FALSE(video->m_recordingStartedHere);
    EXPECT_FALSE(video->m_playing);
    EXPECT_EQ(Shown(), kSamples);

    // Without a device, Play comes back only outside a run: at its end.
    Command(ID_VIDEO_ENABLE);
    ASSERT_FALSE(video->IsVideoDeviceReady());
    Command(ID_VIDEO_PLAY);
    doc.m_runInProgress = 1;
    Command(ID_VIDEO_STOP);
    EXPECT_FALSE(PlayOn());
    doc.EndRun();
    Command(ID_VIDEO_PLAY);
    Command(ID_VIDEO_STOP);
    EXPECT_TRUE(PlayOn());
    EXPECT_TRUE(video->m_playerMode);
}

TEST_F(PlaybackTest, RecordWhilePlayingKeepsTheNewRecording) {
    // Record is offered while a video plays once the recording before it has ended.
    MakeViews();
    Command(ID_VIDEO_ENABLE);
    Command(ID_VIDEO_RECORD);
    ShowRun();
    Command(ID_VIDEO_PLAY);
    clock.Advance(5000);
    ASSERT_FALSE(recorder->m_recording);
    ASSERT_EQ(State(), 3);
    Command(ID_VIDEO_RECORD);
    EXPECT_EQ(State(), 1);
    EXPECT_TRUE(recorder->m_recording);
    EXPECT_TRUE(video->m_recordingStartedHere);
    clock.Advance(6000);
    EXPECT_TRUE(recorder->m_recording) << "no delayed stop armed by the player's stop";
}

TEST_F(PlaybackTest, ARecordingEndingWhileAnotherVideoPlaysLeavesThePlayerAlone) {
    MakeViews();
    Command(ID_VIDEO_ENABLE);
    RecordARun();
    ShowRun();               // an older run
    Command(ID_VIDEO_PLAY);  // its own video; the recording ends 4.5 s later
    ASSERT_EQ(State(), 3);
    ASSERT_TRUE(recorder->m_recording);
    clock.Advance(5000);
    EXPECT_FALSE(recorder->m_recording);
    EXPECT_EQ(State(), 3);
    EXPECT_FALSE(PlayOn());
    EXPECT_TRUE(PauseOn());
    EXPECT_TRUE(mainFrame.m_videoStopAvailable);
    EXPECT_FALSE(recorder->m_previewRunning) << "the player keeps the picture";
    Command(ID_VIDEO_STOP);
    EXPECT_TRUE(PlayOn());
    EXPECT_FALSE(video->m_playerMode) << "the live picture is back";
}

TEST_F(PlaybackTest, PlayDuringTheRunsOwnRecordingWaitsForItsEnd) {
    MakeViews();
    Command(ID_VIDEO_ENABLE);
    RecordARun();
    const QString recording = recorder->GetRecordedFileName().ToQString();
    ASSERT_TRUE(testing_support::WriteMarkedAsf(recording, {{0, "TEXT", "7"}}));
    ShowRun();
    SetVideo(recording);
    Command(ID_VIDEO_PLAY);
    EXPECT_TRUE(video->m_playPending);
    clock.Advance(4400);
    EXPECT_TRUE(fake.Take().empty());
    clock.Advance(300);
    EXPECT_FALSE(recorder->m_recording);
    EXPECT_EQ(fake.Take(), (std::vector<std::string>{
                               "open " + recording.section('/', -1).toStdString(), "play"}));
    EXPECT_FALSE(PlayOn());
    EXPECT_TRUE(PauseOn());
    fake.MoveTo(0);
    EXPECT_EQ(Shown(), 7);
    Command(ID_VIDEO_STOP);
    EXPECT_EQ(fake.Take(), (std::vector<std::string>{"stop"}));

    // Stop meanwhile drops the pending play. Recording greys Play; ticking the run again offers it.
    RecordARun();
    SetVideo(recorder->GetRecordedFileName().ToQString());
    ClickRun();
    ClickRun();
    Command(ID_VIDEO_PLAY);
    Command(ID_VIDEO_STOP);
    clock.Advance(5000);
    EXPECT_FALSE(video->m_playPending);
    EXPECT_TRUE(fake.Take().empty());
}

TEST_F(PlaybackTest, AVideoThatCannotBePlayedIsToldAndTheGraphReplays) {
    Build();
    // Missing, and not a video at all.
    const QString text = env.File("notes.wmv").ToQString();
    {
        QFile f(text);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("just some text\n");
    }
    for (const QString& bad : {env.File("gone.wmv").ToQString(), text}) {
        SetVideo(bad);
        modals.ExpectMessage(
            CString::Formatted(CVideoView::kCannotPlayText, bad.toUtf8().constData()), IDOK);
        Command(ID_VIDEO_PLAY);
        clock.RunPending();
        EXPECT_TRUE(fake.Take().empty());
        EXPECT_TRUE(graph.m_playbackTimerRunning) << "the graph replays its own data";
        EXPECT_TRUE(PlayOn());
        Command(ID_VIDEO_STOP);
        EXPECT_EQ(Shown(), kSamples);
    }

    // A player that fails before its first frame: the same message, and the graph replays.
    const CString cannot =
        CString::Formatted(CVideoView::kCannotPlayText, path.toUtf8().constData());
    SetVideo(path);
    Command(ID_VIDEO_PLAY);
    fake.MoveTo(0);
    modals.ExpectMessage(cannot, IDOK);
    fake.Fail("Could not decode stream.");
    clock.RunPending();
    EXPECT_EQ(State(), 1);
    EXPECT_TRUE(graph.m_playbackTimerRunning) << "the graph replays its own data";
    EXPECT_TRUE(PauseOn());
    Command(ID_VIDEO_STOP);
    EXPECT_EQ(Shown(), kSamples);
    fake.Take();

    // A failure once the video has shown itself: the same message, then the stopped path.
    Command(ID_VIDEO_PLAY);
    fake.MoveTo(0);
    fake.ShowFrame(QImage(8, 8, QImage::Format_RGB32));
    modals.ExpectMessage(cannot, IDOK);
    fake.Fail("Could not decode stream.");
    clock.RunPending();
    EXPECT_EQ(State(), 1);
    EXPECT_FALSE(graph.m_playbackTimerRunning);
    EXPECT_EQ(Shown(), kSamples);
    EXPECT_TRUE(PlayOn());
    EXPECT_FALSE(PauseOn());
    EXPECT_FALSE(video->m_playing);
}

TEST_F(PlaybackTest, WithoutARecordingViewOnlyThePlayerWorks) {
    Build(false);
    EXPECT_FALSE(testing_support::MenuCommandState(mainFrame, ID_VIDEO_RECORD).enabled);
    Command(ID_VIDEO_PLAY);
    fake.MoveTo(150);
    EXPECT_EQ(Shown(), 12);
    Command(ID_VIDEO_STOP);
    EXPECT_EQ(State(), 1);
    EXPECT_TRUE(PlayOn());
    EXPECT_TRUE(video->m_playerMode);
}

TEST_F(PlaybackTest, TheDataMapWaitsWhileAVideoPlays) {
    Build();
    Command(ID_VIDEO_PLAY);
    Command(ID_VIDEO_PAUSE);
    modals.ExpectMessage("Stop video playing first", IDOK);
    tree.OnDoubleClick();
    Command(ID_VIDEO_STOP);
    tree.OnDoubleClick();
    EXPECT_EQ(modals.Shown().size(), 1u);
}

TEST_F(PlaybackTest, ThePlayerKeepsThePicturesShapeOnBlack) {
    Build();
    video->MoveWindow(0, 0, 440, 300);
    CRect r;
    video->m_player.GetWindowRect(&r);
    video->ScreenToClient(&r);
    EXPECT_EQ(r, CRect(0, 0, 440, 300));
    video->MoveWindow(0, 0, 440, 400);
    video->m_player.GetWindowRect(&r);
    video->ScreenToClient(&r);
    EXPECT_EQ(r, CRect(0, 20, 440, 380));

    Command(ID_VIDEO_PLAY);
    QImage frame(160, 120, QImage::Format_RGB32);
    frame.fill(QColor(200, 40, 40));
    fake.ShowFrame(frame);
    EXPECT_EQ(video->m_player.Player()->FrameCount(), 1);
    const QImage image = testing_support::RenderWidget(video->GetWidget());
    testing_support::SaveTestImage(image, "video_view_player");
    EXPECT_EQ(testing_support::Px(image, 220, 10), RGB(0, 0, 0));
    EXPECT_EQ(testing_support::Px(image, 220, 390), RGB(0, 0, 0));
    // Stretched over the whole player.
    EXPECT_EQ(testing_support::Px(image, 2, 22), RGB(200, 40, 40));
    EXPECT_EQ(testing_support::Px(image, 437, 377), RGB(200, 40, 40));
    EXPECT_EQ(reinterpret_cast<CBrush*>(video->SendMessage(WM_CTLCOLORSTATIC, 0, 0))->GetColor(),
              RGB(0, 0, 0));
}

}  // namespace
