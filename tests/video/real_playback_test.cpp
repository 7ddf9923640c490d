// The player control on Qt Multimedia at real time: files made by ffmpeg and by the recording
// pipeline play, show frames, raise their markers near their times and end; files that cannot be
// played are reported. The videos are 2 to 4 s long. Sound goes to no device here.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include "platform/activex/event_sink.h"
#include "platform/activex/register.h"
#include "platform/activex/wmp_player.h"
#include "platform/media/player_engine.h"
#include "platform/mediafile/asf_script.h"
#include "tests/support/harness.h"

using namespace platform::player;

namespace {

class Host : public CWnd, public CEventSinkHost {};

struct Fired {
    QString text;
    qint64 position;
};

class RealPlayerTest : public testing_support::HarnessTest {
protected:
    RealPlayerTest() {
        platform::RegisterActiveXControls();
        host.Create(nullptr, "host", WS_VISIBLE, CRect(0, 0, 320, 240), nullptr, 0);
        EXPECT_TRUE(player.Create(CRect(0, 0, 320, 240), &host, 1130));
        auto& sinks = host.GetEventSinks();
        sinks.On(1130, kPlayStateChange, [this](LONG s) { states.push_back(s); });
        sinks.On(1130, kScriptCommand, [this](const CString&, const CString& p) {
            fired.push_back({p.ToQString(), player.Player()->Engine()->Position()});
        });
        sinks.On(1130, kMediaError, [this](const CString& t) { errors.push_back(t.ToQString()); });
    }
    ~RealPlayerTest() override {
        player.DestroyWindow();
        host.DestroyWindow();
        testing_support::ProcessQtEvents();
    }
    // Real time and the virtual clock go on together, until `done` or the patience runs out.
    bool RunUntil(const std::function<bool()>& done, int patienceMs = 15000) {
        QElapsedTimer t;
        t.start();
        while (!done()) {
            if (t.elapsed() > patienceMs) return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QThread::msleep(5);
            clock.Advance(10);
        }
        return true;
    }
    // A WMV made by ffmpeg from its test sources.
    QString MakeWmv(const char* name, int seconds) {
        const QString out = env.File(name).ToQString();
        QProcess ffmpeg;
        ffmpeg.start("ffmpeg", {"-hide_banner",
                                "-loglevel",
                                "error",
                                "-f",
                                "lavfi",
                                "-i",
                                "testsrc=size=160x120:rate=10",
                                "-f",
                                "lavfi",
                                "-i",
                                "sine=frequency=440:sample_rate=22050",
                                "-t",
                                QString::number(seconds),
                                "-c:v",
                                "wmv2",
                                "-b:v",
                                "200k",
                                "-c:a",
                                "wmav2",
                                "-b:a",
                                "32k",
                                out});
        if (!ffmpeg.waitForFinished(30000) || ffmpeg.exitCode() != 0) {
            ADD_FAILURE() << "ffmpeg (package ffmpeg) could not make " << name << ": "
                          << ffmpeg.errorString().toStdString();
            return QString();
        }
        return out;
    }
    void Play(const QString& path) {
        states.clear();
        fired.clear();
        errors.clear();
        player.put_URL(CString(path));
    }
    bool Stopped() const { return !states.empty() && states.back() == kStopped; }

    Host host;
    CWMPPlayer4 player;
    std::vector<LONG> states;
    std::vector<Fired> fired;
    std::vector<QString> errors;
};

TEST(RealPlayerSetup, TheGStreamerBackendAndItsElementsAreThere) {
    qunsetenv("QT_MEDIA_BACKEND");
    media::SelectPlayerBackend();
    EXPECT_EQ(qgetenv("QT_MEDIA_BACKEND"), "gstreamer");
    qputenv("QT_MEDIA_BACKEND", "ffmpeg");
    media::SelectPlayerBackend();
    EXPECT_EQ(qgetenv("QT_MEDIA_BACKEND"), "ffmpeg") << "a choice of the user's stays";
    qputenv("QT_MEDIA_BACKEND", "gstreamer");
    EXPECT_TRUE(media::MissingPlaybackElements().isEmpty())
        << "install: " << media::MissingPlaybackElements().join(", ").toStdString();
}

TEST_F(RealPlayerTest, MarkersFireNearTheirTimesAndTheEndStops) {
    const QString file = MakeWmv("marked.wmv", 3);
    ASSERT_FALSE(file.isEmpty());
    std::vector<media::AsfScriptCommand> markers;
    for (int i = 0; i < 5; ++i)
        markers.push_back({uint32_t(i * 500), "TEXT", QString::number(i + 1)});
    ASSERT_TRUE(media::WriteAsfScriptCommands(file, markers));

    Play(file);
    EXPECT_EQ(states, std::vector<LONG>{kPlaying});
    ASSERT_TRUE(RunUntil([&] { return fired.size() >= 2; }));
    player.get_controls().pause();
    const size_t atPause = fired.size();
    QThread::msleep(600);
    QCoreApplication::processEvents();
    clock.Advance(600);
    EXPECT_EQ(fired.size(), atPause) << "nothing fires while paused";
    player.get_controls().play();
    ASSERT_TRUE(RunUntil([&] { return Stopped(); })) << "the end never came";
    EXPECT_EQ(states, (std::vector<LONG>{kPlaying, kPaused, kPlaying, kStopped}));
    EXPECT_TRUE(errors.empty()) << errors.front().toStdString();
    ASSERT_EQ(fired.size(), markers.size());
    for (size_t i = 0; i < fired.size(); ++i) {
        EXPECT_EQ(fired[i].text, markers[i].text);
        EXPECT_GE(fired[i].position, markers[i].timeMs) << i;
        EXPECT_LE(fired[i].position, markers[i].timeMs + 300) << i;
    }
    EXPECT_GT(player.Player()->FrameCount(), 5) << "frames reach the sink";
}

TEST_F(RealPlayerTest, AFileWithoutMarkersPlaysToItsEnd) {
    const QString file = MakeWmv("plain.wmv", 2);
    ASSERT_FALSE(file.isEmpty());
    Play(file);
    ASSERT_TRUE(RunUntil([&] { return Stopped(); }));
    EXPECT_TRUE(fired.empty());
    EXPECT_TRUE(errors.empty());
    EXPECT_GT(player.Player()->FrameCount(), 5);
}

TEST_F(RealPlayerTest, FilesThatCannotBePlayedAreReported) {
    const QString text = env.File("notes.wmv").ToQString();
    {
        QFile f(text);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a video\n");
    }
    for (const QString& path : {text, env.File("gone.wmv").ToQString()}) {
        Play(path);
        ASSERT_TRUE(RunUntil([&] { return Stopped(); })) << path.toStdString();
        EXPECT_EQ(errors.size(), 1u) << path.toStdString();
        EXPECT_EQ(states, (std::vector<LONG>{kPlaying, kStopped}));
    }
}

}  // namespace

// The whole path at real time on the test sources: a run recorded with its video, then played
// back with the graph following the recording's own markers.
#include "app/main_frame.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_frame.h"
#include "displays/graph/graph_view.h"
#include "logger/data_tree.h"
#include "logger/precise_time.h"
#include "video/recording_video_view.h"
#include "video/video_view.h"

namespace {

class RecordedPlaybackTest : public testing_support::HarnessTest,
                             public ::testing::WithParamInterface<int> {
protected:
    RecordedPlaybackTest() {
        qputenv("VARNEL_MEDIA_TEST_SOURCES", "1");
        platform::RegisterActiveXControls();
        host.Create(nullptr, "host", WS_VISIBLE, CRect(0, 0, 820, 420), nullptr, 0);
        graph.Create(&host, CRect(0, 0, 600, 400));
        doc.m_mainFrame = &mainFrame;
        graph.Attach(&doc, &graphFrame);
        graph.RefreshGraph(TRUE);
        recorder = std::make_unique<CRecordingVideoView>();
        EXPECT_TRUE(recorder->Create(&host, &doc));
        video = std::make_unique<CVideoView>();
        EXPECT_TRUE(video->Create(&host, &doc));
        video->OnInitialUpdate();
        video->MoveWindow(600, 0, 220, 180);
        // Every marker that reaches the graph is checked against what the plot shows.
        auto& sinks = video->GetEventSinks();
        sinks.Clear();
        sinks.On(1130, kPlayStateChange, [this](LONG s) {
            states.push_back(s);
            video->OnPlayStateChange(s);
        });
        sinks.On(1130, kScriptCommand, [this](const CString& type, const CString& p) {
            video->OnScriptCommand(type, p);
            const LONG count = p.ToQString().toInt();
            markers.push_back(count);
            shownAtMarker.push_back(graph.m_plots[0].pointsShown);
        });
        sinks.On(1130, kMediaError, [this](const CString& t) {
            errors.push_back(t.ToQString());
            video->OnMediaError(t);
        });
    }
    ~RecordedPlaybackTest() override {
        video.reset();
        recorder.reset();
        graph.DestroyWindow();
        host.DestroyWindow();
        testing_support::ProcessQtEvents();
        qunsetenv("VARNEL_MEDIA_TEST_SOURCES");
    }
    bool RunUntil(const std::function<bool()>& done, int patienceMs, CDataArray* x = nullptr,
                  CDataArray* y = nullptr) {
        QElapsedTimer t;
        t.start();
        qint64 next = 0;
        while (!done()) {
            if (t.elapsed() > patienceMs) return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QThread::msleep(5);
            clock.Advance(10);
            // A run at 10 samples a second.
            if (x && t.elapsed() >= next) {
                x->push_back(double(x->size()));
                y->push_back(double(y->size() % 7));
                next += 100;
            }
        }
        return true;
    }

    CVarnelDoc doc;
    CMainFrame mainFrame;
    CGraphFrame graphFrame;
    CWnd host;
    CGraphView graph;
    std::unique_ptr<CRecordingVideoView> recorder;
    std::unique_ptr<CVideoView> video;
    std::vector<LONG> states, markers, shownAtMarker;
    std::vector<QString> errors;
};

TEST_P(RecordedPlaybackTest, TheGraphGrowsWithTheRecordingsMarkers) {
    video->SetQualityCode(WORD(GetParam()));
    video->InitVideoDevice(true);
    ASSERT_TRUE(video->IsVideoDeviceReady());

    // A run of 2.5 s, recorded.
    doc.m_runInProgress = 1;
    CDataTreeBrench* exp = doc.m_dataList.AddExperiment("Exp. 1");
    CDataTreeBrench* set = doc.m_dataList.InsertDataSet(
        exp->m_id, std::make_unique<CDataArray>(), std::make_unique<CDataArray>(), "A", 0, "V",
        CPreciseDateTime::GetCurrentTime(), 1, -1, 0, "", 0, 1, 0);
    ASSERT_TRUE(set);
    doc.m_currentRun[0] = set;
    doc.m_currentRunCount = 1;
    video->OnRecord();
    ASSERT_TRUE(recorder->m_tiedToExperiment);
    RunUntil([] { return false; }, 2500, set->m_x.get(), set->m_y.get());
    doc.m_runInProgress = 0;
    // The user stops the recording once its markers have caught up with the run's end.
    RunUntil([] { return false; }, 300);
    BOOL added = FALSE;
    graph.AddPlot(set, 0, FALSE, added, TRUE, -1);
    ASSERT_EQ(graph.m_plotCount, 1);
    video->OnStop();
    const LONG samples = set->GetYCount();

    // Play at once: the player waits for the recording's end.
    video->OnPlay();
    ASSERT_TRUE(RunUntil([&] { return !states.empty() && states.back() == kStopped; }, 20000))
        << "the video never ended";
    EXPECT_TRUE(errors.empty()) << errors.front().toStdString();
    ASSERT_GE(markers.size(), 10u);
    for (size_t i = 0; i < markers.size(); ++i)
        EXPECT_EQ(shownAtMarker[i], std::min(markers[i], samples)) << "marker " << i;
    EXPECT_EQ(markers.back(), samples);
    EXPECT_EQ(graph.m_plots[0].pointsShown, samples);
    EXPECT_TRUE(mainFrame.m_videoPlayAvailable);
    EXPECT_FALSE(mainFrame.m_videoPauseAvailable);
    EXPECT_FALSE(video->m_playerMode) << "the live picture is back";
    EXPECT_GT(video->m_player.Player()->FrameCount(), 5) << "frames reach the sink";
}

// 32: sound and video; 22: video only.
INSTANTIATE_TEST_SUITE_P(Codes, RecordedPlaybackTest, ::testing::Values(32, 22));

}  // namespace
