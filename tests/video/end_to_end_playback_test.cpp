// A run from the simulated QK recorded with its video on the test sources, played back with the
// graph following the recording's markers; then saved, a new project, opened, and played again.
// Real time throughout.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QThread>

#include "RES/commands.h"
#include "platform/activex/wmp_player.h"
#include "tests/app/doc_fixture.h"
#include "video/recording_video_view.h"
#include "video/video_view.h"

namespace {

using namespace doc_test;
using namespace platform::player;

class PlaybackEndToEnd : public DocTest {
protected:
    void SetUp() override {
        qputenv("VARNEL_MEDIA_TEST_SOURCES", "1");
        MakeQk();
        setup.m_rateCode = 49;  // 10 samples a second
        setup.m_sensorMask = 0x03;
        setup.m_runLength = 30;
        settings.m_recordingMode = 1;
        tree.SetDocument(&doc);
        doc.ClearProject(false);
        recorder = std::make_unique<CRecordingVideoView>();
        ASSERT_TRUE(recorder->Create(&host, &doc));
        video = std::make_unique<CVideoView>();
        ASSERT_TRUE(video->Create(&host, &doc));
        video->OnInitialUpdate();
        video->MoveWindow(600, 0, 220, 180);
        auto& sinks = video->GetEventSinks();
        sinks.Clear();
        sinks.On(1130, kPlayStateChange, [this](LONG s) {
            states.push_back(s);
            video->OnPlayStateChange(s);
        });
        sinks.On(1130, kScriptCommand, [this](const CString& type, const CString& p) {
            video->OnScriptCommand(type, p);
            const LONG count = p.ToQString().toInt();
            for (int i = 0; i < graph.m_plotCount; ++i) {
                const PlotRecordStruct& r = graph.m_plots[i];
                if (r.dataSet && r.pointsShown != std::min(count, r.dataSet->GetYCount()))
                    wrong.push_back(count);
            }
            markers.push_back(count);
        });
        sinks.On(1130, kMediaError, [this](const CString& t) {
            errors.push_back(t.ToQString());
            video->OnMediaError(t);
        });
        ASSERT_TRUE(StartAndConnect());
    }
    void TearDown() override {
        video.reset();
        recorder.reset();
        qunsetenv("VARNEL_MEDIA_TEST_SOURCES");
    }
    // Play, and wait for the video's end.
    void PlayToTheEnd() {
        states.clear();
        markers.clear();
        wrong.clear();
        errors.clear();
        Command(ID_VIDEO_PLAY);
        QElapsedTimer t;
        t.start();
        while (states.empty() || states.back() != kStopped) {
            ASSERT_LT(t.elapsed(), 30000) << "the video never ended";
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QThread::msleep(5);
            clock.Advance(10);
            if (!pictured && markers.size() >= 8) {
                // For a person: the graph and the video area half way.
                pictured = true;
                const QImage g = testing_support::RenderWidget(graph.GetWidget());
                const QImage v = testing_support::RenderWidget(video->GetWidget());
                QImage both(g.width() + v.width(), std::max(g.height(), v.height()),
                            QImage::Format_RGB32);
                both.fill(Qt::white);
                QPainter p(&both);
                p.drawImage(0, 0, g);
                p.drawImage(g.width(), 0, v);
                p.end();
                testing_support::SaveTestImage(both, "playback_mid_way");
            }
        }
        EXPECT_TRUE(errors.empty()) << errors.front().toStdString();
        EXPECT_GE(markers.size(), 10u);
        EXPECT_TRUE(wrong.empty())
            << "the plots did not show the counts at " << wrong.size() << " markers";
        for (int i = 0; i < graph.m_plotCount; ++i)
            EXPECT_EQ(graph.m_plots[i].pointsShown, graph.m_plots[i].dataSet->GetYCount());
        EXPECT_TRUE(mainFrame.m_videoPlayAvailable);
        EXPECT_FALSE(mainFrame.m_videoPauseAvailable);
        EXPECT_FALSE(video->m_playerMode) << "the live picture is back";
    }

    // What a user does to see the opened run on the graph.
    void ShowTheRun() {
        const CDataTreeBrench* last = tree.GetLastExperiment(doc.m_dataList);
        ASSERT_TRUE(last);
        if (graph.m_plotCount == 0) graph.ShowTreeItemChildren(last->m_id);
    }

    std::unique_ptr<CRecordingVideoView> recorder;
    std::unique_ptr<CVideoView> video;
    std::vector<LONG> states, markers, wrong;
    std::vector<QString> errors;
    bool pictured = false;
};

TEST_F(PlaybackEndToEnd, ARecordedRunPlaysBackBeforeAndAfterSaving) {
    Command(ID_VIDEO_ENABLE);
    ASSERT_TRUE(video->IsVideoDeviceReady());
    Command(ID_VIDEO_RECORD);
    ASSERT_TRUE(recorder->m_recording);
    Command(ID_LOGGER_RUN);
    ASSERT_TRUE(Wait([&] { return Count(UM_RUN_ENDED) >= 1; }));
    clock.Advance(300);
    ASSERT_EQ(doc.m_runInProgress, 0);
    ASSERT_GE(graph.m_plotCount, 1);
    const CString recorded = graph.m_plots[0].dataSet->m_videoFile;
    ASSERT_FALSE(recorded.IsEmpty()) << "the run names its video";
    Command(ID_VIDEO_STOP);
    PlayToTheEnd();

    // Saved, a new project, and the saved one opened: its copy plays the same way.
    const CString path = CVarnelDoc::GetProjectFolder() + "Played.vnp";
    modals.ExpectFileDialog(path);
    Command(ID_FILE_SAVE_AS);
    ASSERT_TRUE(QFile::exists(path.ToQString()));
    Command(ID_NEW_PROJECT);
    modals.ExpectFileDialog(path);
    Command(ID_FILE_OPEN);
    ASSERT_EQ(modals.Pending(), 0u);
    ShowTheRun();
    ASSERT_GE(graph.m_plotCount, 1);
    EXPECT_EQ(graph.m_plots[0].dataSet->m_videoFile, "Played - Video 1.wmv");
    const CString copy = doc.GetCurrentRunVideoPath();
    EXPECT_TRUE(QFile::exists(copy.ToQString())) << copy.GetString();
    PlayToTheEnd();

    // Without the copy, its name is dropped and the graph replays by itself.
    Command(ID_NEW_PROJECT);
    ASSERT_TRUE(QFile::remove(copy.ToQString()));
    modals.ExpectFileDialog(path);
    Command(ID_FILE_OPEN);
    ShowTheRun();
    ASSERT_GE(graph.m_plotCount, 1);
    EXPECT_TRUE(graph.m_plots[0].dataSet->m_videoFile.IsEmpty());
    Command(ID_VIDEO_PLAY);
    EXPECT_TRUE(graph.m_playbackTimerRunning);
}

}  // namespace
