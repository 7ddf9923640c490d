// The whole program with the test camera and a simulated QK, at real time: Enable Video, Record
// from the toolbar, a run (and a second one, which ends the recording), the first replayed with
// its video, Save As; and the device switched on again at the next start.

#include <gtest/gtest.h>

#include <algorithm>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMouseEvent>
#include <QThread>
#include <QTreeWidget>

#include "RES/commands.h"
#include "RES/dialogs/video_view.h"
#include "app/data_tree_view.h"
#include "app/varnel_app.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_view.h"
#include "experiment/setup_view.h"
#include "logger/data_tree.h"
#include "logger/dorvik.h"
#include "logger/settings.h"
#include "platform/activex/wmp_player.h"
#include "platform/media/player_engine.h"
#include "platform/mediafile/asf_script.h"
#include "tests/support/core/logger_link.h"
#include "tests/support/core/sim_port.h"
#include "tests/support/harness.h"
#include "tests/support/user_commands.h"
#include "tools/dorvik-sim/qk_model.h"
#include "video/recording_video_view.h"
#include "video/video_view.h"

namespace {

class VideoRun : public testing_support::HarnessTest {
protected:
    VideoRun() { qputenv("VARNEL_MEDIA_TEST_SOURCES", "1"); }
    ~VideoRun() override { qunsetenv("VARNEL_MEDIA_TEST_SOURCES"); }

    bool Wait(const std::function<bool()>& done) { return testing_support::RunUntil(clock, done); }
    // Time passes at the real pace, the pipeline's and the program's timers together.
    void Pass(int ms) {
        testing_support::RunUntil(
            clock, [] { return false; }, std::chrono::milliseconds(ms));
    }
    static bool Enabled(CMainFrame* frame, UINT id) {
        CCmdUI ui;
        ui.m_nID = id;
        ui.DoUpdate(frame, TRUE);
        return ui.m_enabled;
    }
    static std::vector<media::AsfScriptCommand> Markers(const CString& path) {
        std::vector<media::AsfScriptCommand> markers;
        QString error;
        EXPECT_TRUE(media::ReadAsfScriptCommandsFromFile(path.ToQString(), markers, &error))
            << path.GetString() << ": " << error.toStdString();
        return markers;
    }

    // A click on the data set's box in the data tree, which shows or hides it on the graph.
    static void ClickBox(CDataTreeView& tree, const CDataTreeBrench* set) {
        const HTREEITEM item = tree.FindDataSetItem(set->m_id);
        ASSERT_TRUE(item);
        for (HTREEITEM p = item; p; p = tree.GetTreeCtrl().GetParentItem(p))
            tree.Expand(p);
        auto* w = qobject_cast<QTreeWidget*>(tree.GetTreeCtrl().GetWidget());
        ASSERT_TRUE(w);
        const QRect r = w->visualItemRect(reinterpret_cast<QTreeWidgetItem*>(item));
        ASSERT_TRUE(r.isValid());
        const QPoint at(r.left() + 6, r.center().y());
        const QPoint global = w->viewport()->mapToGlobal(at);
        QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(w->viewport(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(w->viewport(), &release);
    }

    testing_support::NoComPorts noPorts;
    testing_support::SimulatedComPort qk{3, std::make_unique<dorvik_sim::QkModel>()};
};

TEST_F(VideoRun, ARunRecordedFromTheToolbarKeepsItsMarkersInTheSavedCopy) {
    CString temp, saved;
    std::vector<media::AsfScriptCommand> recorded;
    {
        CVarnelApp app;
        ASSERT_TRUE(app.InitInstance());
        CMainFrame* frame = app.GetMainFrame();
        CVarnelDoc* doc = app.GetDocument();
        CVideoView* video = doc->GetVideoView();
        ASSERT_NE(video, nullptr);
        EXPECT_FALSE(video->IsVideoDeviceReady()) << "the device starts off";
        ASSERT_TRUE(Wait([&] { return frame->GetMessageText() == "Dorvik QK was detected"; }));
        ASSERT_TRUE(Wait([&] { return doc->GetLogger()->IsCommandQueueEmpty(); }));

        ASSERT_TRUE(testing_support::ChooseMenuCommand(*frame, ID_VIDEO_ENABLE));
        ASSERT_TRUE(video->IsVideoDeviceReady());
        EXPECT_EQ(frame->m_videoToggleCaption, "Disable video");
        EXPECT_TRUE(Enabled(frame, ID_VIDEO_RECORD));
        EXPECT_TRUE(Enabled(frame, ID_PLAYBACK_RECORD));

        // The toolbar's Record button, as the Video menu's.
        ASSERT_TRUE(testing_support::UseCommand(*frame, ID_PLAYBACK_RECORD));
        ASSERT_TRUE(video->IsRecording());
        temp = video->GetRecordedFileName();
        EXPECT_TRUE(temp.ToQString().startsWith(CRecordingVideoView::TempFolder().ToQString()));
        EXPECT_FALSE(Enabled(frame, ID_VIDEO_RECORD));
        EXPECT_TRUE(Enabled(frame, ID_VIDEO_STOP));

        CSetupView* setup = doc->GetSetupView();
        ASSERT_NE(setup, nullptr);
        // Temperature and Sound at 10/s for 20 samples, as the set-up window would send them.
        for (int k = 0; k < CSetupView::kSensors; ++k)
            setup->GetSwitch(k).SetValue((0x03 >> CSetupView::kQkChannels[k]) & 1);
        setup->ApplySensorSelection(0, FALSE);
        doc->GetLogger()->SetRegimeRateCode(49);
        doc->GetLogger()->SetRunLength(20);
        ASSERT_TRUE(testing_support::UseCommand(*frame, ID_LOGGER_RUN));
        ASSERT_TRUE(Wait([&] { return doc->m_runInProgress == 1 && doc->m_currentRunCount > 0; }));
        CDataTreeBrench* first = doc->m_currentRun[0];
        EXPECT_EQ(first->m_videoFile, temp) << "the run names the recording";
        ASSERT_TRUE(Wait([&] { return doc->m_runInProgress == 0; }));
        const LONG samples = first->GetYCount();
        EXPECT_EQ(samples, 20);
        const std::vector<CDataTreeBrench*> firstSets(doc->m_currentRun,
                                                      doc->m_currentRun + doc->m_currentRunCount);

        // A second run in the same recording stops it and keeps no video; the first keeps the
        // file, whose markers end with the first run's count.
        doc->GetLogger()->SetRunLength(5);
        modals.ExpectMessage(CVarnelDoc::kTwoExperimentsText, IDOK);
        ASSERT_TRUE(testing_support::UseCommand(*frame, ID_LOGGER_RUN));
        ASSERT_TRUE(
            Wait([&] { return doc->m_runInProgress == 1 && doc->m_currentRun[0] != first; }));
        CDataTreeBrench* second = doc->m_currentRun[0];
        EXPECT_FALSE(video->IsRecording()) << "the recording is off by the time the user is told";
        ASSERT_TRUE(Wait([&] { return modals.Pending() == 0; }));
        EXPECT_TRUE(Enabled(frame, ID_VIDEO_RECORD)) << "a new recording can start";
        EXPECT_TRUE(Enabled(frame, ID_PLAYBACK_RECORD));
        EXPECT_FALSE(Enabled(frame, ID_VIDEO_STOP));
        EXPECT_TRUE(video->IsVideoDeviceReady()) << "the live picture goes on";
        ASSERT_TRUE(Wait([&] { return doc->m_runInProgress == 0; }));
        EXPECT_EQ(second->GetYCount(), 5) << "the run went on without video";
        const std::vector<CDataTreeBrench*> secondSets(doc->m_currentRun,
                                                       doc->m_currentRun + doc->m_currentRunCount);
        EXPECT_TRUE(second->m_videoFile.IsEmpty());
        EXPECT_EQ(first->m_videoFile, temp);
        ASSERT_TRUE(QFile::exists(temp.ToQString()));

        // "1" at the tie, then the counts of the tied run as it grows, none past its end.
        recorded = Markers(temp);
        ASSERT_GE(recorded.size(), 20u);
        EXPECT_EQ(recorded.front().text, "1");
        size_t end = 0;
        for (size_t i = 1; i < recorded.size(); ++i) {
            EXPECT_EQ(recorded[i].type, "TEXT");
            EXPECT_GE(recorded[i].timeMs, recorded[i - 1].timeMs) << i;
            EXPECT_GE(recorded[i].text.toInt(), recorded[i - 1].text.toInt()) << i;
            EXPECT_LE(recorded[i].text.toInt(), samples) << i;
            if (!end && recorded[i].text.toInt() == samples) end = i;
        }
        EXPECT_GT(end, 5u) << "the tied run's own count is written as it grows";
        EXPECT_EQ(recorded.back().text.toInt(), samples);
        // Nothing more is written once the recording is off.
        Pass(1500);
        EXPECT_EQ(Markers(temp).size(), recorded.size());

        // The first experiment replays with its video, each marker moving the graph to its
        // count, and nothing of the second run on the graph.
        CGraphView* graph = doc->GetGraphView();
        ASSERT_NE(graph, nullptr);
        ASSERT_NE(doc->m_dataTreeView, nullptr);
        for (const CDataTreeBrench* set : secondSets)
            if (set->m_shown) ClickBox(*doc->m_dataTreeView, set);
        for (const CDataTreeBrench* set : firstSets)
            if (!set->m_shown) ClickBox(*doc->m_dataTreeView, set);
        ASSERT_EQ(graph->m_plotCount, int(firstSets.size()));
        EXPECT_EQ(doc->GetCurrentRunVideoPath(), temp);
        struct Fired {
            LONG count;
            qint64 position;
            bool inStep;
        };
        std::vector<Fired> fired;
        std::vector<LONG> states;
        using namespace platform::player;
        auto& sinks = video->GetEventSinks();
        sinks.Clear();
        sinks.On(IDC_VIDEO_PLAYER, kPlayStateChange, [&](LONG s) {
            states.push_back(s);
            video->OnPlayStateChange(s);
        });
        sinks.On(IDC_VIDEO_PLAYER, kScriptCommand, [&](const CString& type, const CString& p) {
            video->OnScriptCommand(type, p);
            const LONG count = p.ToQString().toInt();
            bool inStep = graph->m_plotCount == int(firstSets.size());
            for (int i = 0; i < graph->m_plotCount; ++i) {
                const PlotRecordStruct& r = graph->m_plots[i];
                inStep = inStep && r.dataSet &&
                         std::count(firstSets.begin(), firstSets.end(), r.dataSet) == 1 &&
                         r.pointsShown == std::min(count, r.dataSet->GetYCount());
            }
            fired.push_back({count, video->m_player.Player()->Engine()->Position(), inStep});
        });
        sinks.On(IDC_VIDEO_PLAYER, kMediaError,
                 [&](const CString& t) { ADD_FAILURE() << t.GetString(); });
        ASSERT_TRUE(testing_support::UseCommand(*frame, ID_PLAYBACK_PLAY));
        EXPECT_TRUE(video->m_playerMode);
        // The player's own threads need the Qt loop, as a user's session runs it.
        QElapsedTimer t;
        t.start();
        while (states.empty() || states.back() != kStopped) {
            ASSERT_LT(t.elapsed(), 30000) << "the replay never ended";
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QThread::msleep(5);
            clock.Advance(10);
        }
        ASSERT_EQ(fired.size(), recorded.size());
        for (size_t i = 0; i < fired.size(); ++i) {
            EXPECT_EQ(fired[i].count, recorded[i].text.toInt()) << i;
            // Markers past the last frame fire at the stream's end, within a frame of theirs.
            EXPECT_GE(fired[i].position + 40, recorded[i].timeMs) << i;
            EXPECT_LE(fired[i].position, recorded[i].timeMs + 300) << i;
            EXPECT_TRUE(fired[i].inStep) << "the graph is not at count " << fired[i].count;
        }
        for (int i = 0; i < graph->m_plotCount; ++i)
            EXPECT_EQ(graph->m_plots[i].pointsShown, samples);
        for (const CDataTreeBrench* set : secondSets)
            EXPECT_FALSE(set->m_shown);
        EXPECT_FALSE(video->m_playerMode) << "the live picture is back";

        const CString project = CVarnelDoc::GetProjectFolder() + "Bench.vnp";
        modals.ExpectFileDialog(project);
        ASSERT_TRUE(testing_support::UseCommand(*frame, ID_FILE_SAVE_AS));
        EXPECT_EQ(modals.Pending(), 0u);
        saved = CVarnelDoc::GetProjectFolder() + "Bench - Video 1.wmv";
        ASSERT_TRUE(QFile::exists(saved.ToQString()));
        EXPECT_EQ(first->m_videoFile, "Bench - Video 1.wmv");

        // Closing with the device on: the temporary recording goes, the saved copy stays.
        frame->SendMessage(WM_CLOSE);
        EXPECT_EQ(app.m_pMainWnd, nullptr);
        app.ExitInstance();
    }
    EXPECT_FALSE(QFile::exists(temp.ToQString()));
    const auto copied = Markers(saved);
    ASSERT_EQ(copied.size(), recorded.size());
    for (size_t i = 0; i < copied.size(); ++i) {
        EXPECT_EQ(copied[i].text, recorded[i].text) << i;
        EXPECT_EQ(copied[i].timeMs, recorded[i].timeMs) << i;
    }
    EXPECT_EQ(CSettings().m_videoQuality, 32) << "the device was on at closing";
}

TEST_F(VideoRun, ADeviceOnAtClosingComesOnAtTheNextStartAndOneSwitchedOffStaysOff) {
    {
        CVarnelApp app;
        ASSERT_TRUE(app.InitInstance());
        CMainFrame* frame = app.GetMainFrame();
        ASSERT_TRUE(testing_support::ChooseMenuCommand(*frame, ID_VIDEO_ENABLE));
        CVideoView* video = app.GetDocument()->GetVideoView();
        video->SetQualityCode(23);  // as the Video properties dialog does
        ASSERT_TRUE(video->IsVideoDeviceReady());
        frame->SendMessage(WM_CLOSE);
        app.ExitInstance();
    }
    EXPECT_EQ(CSettings().m_videoQuality, 23);
    {
        CVarnelApp app;
        ASSERT_TRUE(app.InitInstance());
        CMainFrame* frame = app.GetMainFrame();
        CVideoView* video = app.GetDocument()->GetVideoView();
        EXPECT_TRUE(video->IsVideoDeviceReady());
        EXPECT_EQ(video->GetQualityCode(), 32) << "each start records at 32";
        EXPECT_EQ(frame->m_videoToggleCaption, "Disable video");
        EXPECT_TRUE(Enabled(frame, ID_VIDEO_RECORD));
        ASSERT_TRUE(testing_support::ChooseMenuCommand(*frame, ID_VIDEO_ENABLE));
        EXPECT_FALSE(video->IsVideoDeviceReady());
        frame->SendMessage(WM_CLOSE);
        app.ExitInstance();
    }
    EXPECT_EQ(CSettings().m_videoQuality, 0);
    CVarnelApp app;
    ASSERT_TRUE(app.InitInstance());
    EXPECT_FALSE(app.GetDocument()->GetVideoView()->IsVideoDeviceReady());
    EXPECT_EQ(app.GetMainFrame()->m_videoToggleCaption, "Enable video");
    EXPECT_FALSE(Enabled(app.GetMainFrame(), ID_VIDEO_RECORD));
    app.ExitInstance();
}

}  // namespace
