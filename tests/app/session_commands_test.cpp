// What a user can reach, step by step through a session of the real program: start-up without a
// logger and with a simulated QK, a run, a video recording with a download made during it, and a
// level switch and back. Every state is read from the menus and toolbars after their update pass,
// and every step is taken through them.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QTest>
#include <QUrl>
#include <optional>
#include <vector>

#include "RES/commands.h"
#include "RES/dialogs/option_dialogs.h"
#include "RES/dialogs/selective_download.h"
#include "RES/graph_bars.h"
#include "app/data_tree_view.h"
#include "app/varnel_app.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_view.h"
#include "experiment/setup_view.h"
#include "logger/dorvik.h"
#include "platform/ui/shell.h"
#include "tests/support/core/logger_link.h"
#include "tests/support/core/sim_port.h"
#include "tests/support/harness.h"
#include "tests/support/user_commands.h"
#include "tools/dorvik-sim/basic_model.h"
#include "tools/dorvik-sim/qk_model.h"
#include "video/video_view.h"

namespace {

using testing_support::ChooseMenuCommand;
using testing_support::CommandState;

// The QK holds one stored run: Temperature and Sound, 20 samples.
std::unique_ptr<dorvik_sim::QkModel> QkWithAStoredRun() {
    auto qk = std::make_unique<dorvik_sim::QkModel>();
    qk->storedSets[0] =
        dorvik_sim::MakeStoredSet(0x03, 20, [](int ch, DWORD s) { return WORD(ch * 100 + s * 7); });
    qk->storedSets[0]->kind = 1;
    return qk;
}

class Session : public testing_support::HarnessTest {
protected:
    Session() { qputenv("VARNEL_MEDIA_TEST_SOURCES", "1"); }
    ~Session() override {
        if (app) app->ExitInstance();
        qunsetenv("VARNEL_MEDIA_TEST_SOURCES");
    }

    void Start() {
        app = std::make_unique<CVarnelApp>();
        ASSERT_TRUE(app->InitInstance());
        frame = app->GetMainFrame();
        doc = app->GetDocument();
    }
    bool Wait(const std::function<bool()>& done) { return testing_support::RunUntil(clock, done); }
    bool LoggerIdle() {
        CDorvik& logger = *doc->GetLogger();
        return Wait([&] {
            return logger.IsCommandQueueEmpty() && !logger.IsCommandTimerOn() &&
                   !logger.IsDetectionTimerOn();
        });
    }
    // Where a user finds the command: its menu item, else its button on the frame's toolbar.
    CommandState Seen(UINT id) {
        const CommandState menu = testing_support::MenuCommandState(*frame, id);
        return menu.present ? menu : testing_support::ToolbarButtonState(*frame, id);
    }
    // The set-up window's switches and lists as a user can use them.
    bool SetupUsable() {
        CSetupView* setup = doc->GetSetupView();
        return setup && setup->GetRateCombo().IsWindowEnabled() &&
               setup->GetTimeCombo().IsWindowEnabled() &&
               setup->GetSwitch(CSetupView::kTemperature).IsWindowEnabled() &&
               setup->GetSwitch(CSetupView::kLight).IsWindowEnabled();
    }
    // Chooses the QK's stored run in Logger > Download and waits for its experiment.
    CDataTreeBrench* Download() {
        modals.ExpectDialog(IDD_SELECTIVE_DOWNLOAD, [](CDialog& d) {
            testing_support::Press(d, IDC_DOWNLOAD_ROW_FIRST);
            testing_support::Press(d, IDOK);
        });
        const CDataTreeBrench* before = doc->m_currentDownload;
        if (!ChooseMenuCommand(*frame, ID_LOGGER_DOWNLOAD)) return nullptr;
        const bool done = Wait([&] {
            return doc->m_currentDownload != before && !doc->m_runInProgress &&
                   modals.Pending() == 0;
        });
        EXPECT_TRUE(done && LoggerIdle()) << "the download did not end";
        return done ? doc->m_currentDownload : nullptr;
    }
    void ChooseLevel(int button) {
        modals.ExpectDialog(IDD_USER_INTERFACE, [button](CDialog& d) {
            testing_support::Press(d, button);
            testing_support::Press(d, IDOK);
        });
        ChooseMenuCommand(*frame, ID_USER_INTERFACE_SETTINGS);
        EXPECT_EQ(modals.Pending(), 0u);
    }

    struct Step {
        const char* name;
        std::function<void()> take;
        std::vector<UINT> usable, greyed, absent;
        std::vector<std::pair<UINT, bool>> checks;
        std::optional<bool> setup;     // the set-up window usable
        const char* status = nullptr;  // the status bar's message
        const char* videoToggle = "Enable video";
    };
    void Check(const Step& s) {
        SCOPED_TRACE(s.name);
        for (UINT id : s.usable) {
            const CommandState c = Seen(id);
            EXPECT_TRUE(c.Usable()) << id << " " << c.where << ": " << c.problem;
        }
        for (UINT id : s.greyed) {
            const CommandState c = Seen(id);
            EXPECT_TRUE(c.visible && !c.enabled) << id << " " << c.where << " should be greyed";
        }
        for (UINT id : s.absent)
            EXPECT_FALSE(Seen(id).visible) << id << " " << Seen(id).where << " should be gone";
        for (auto [id, on] : s.checks) {
            const CommandState c = Seen(id);
            EXPECT_EQ(c.checked, on) << id << " " << c.where;
        }
        if (s.setup) {
            EXPECT_EQ(SetupUsable(), *s.setup) << "the set-up window's switches and lists";
        }
        if (s.status) {
            EXPECT_EQ(frame->GetMessageText(), CString(s.status));
        }
        if (const CommandState toggle = Seen(ID_VIDEO_ENABLE); toggle.present) {
            EXPECT_NE(toggle.where.find(s.videoToggle), std::string::npos) << toggle.where;
        }
    }

    testing_support::NoComPorts noPorts;
    std::unique_ptr<testing_support::SimulatedComPort> qk;
    std::unique_ptr<CVarnelApp> app;
    CMainFrame* frame = nullptr;
    CVarnelDoc* doc = nullptr;
};

// Run and Download, Stop: each on the Logger menu and the main toolbar.
const std::vector<UINT> kRun = {ID_RUN_TB, ID_LOGGER_RUN, ID_DOWNLOAD_TB, ID_LOGGER_DOWNLOAD};
const std::vector<UINT> kStop = {ID_STOP_TB, ID_LOGGER_STOP};

std::vector<UINT> Ids(std::initializer_list<std::vector<UINT>> groups) {
    std::vector<UINT> out;
    for (const auto& g : groups)
        out.insert(out.end(), g.begin(), g.end());
    return out;
}

TEST_F(Session, EachStepLeavesTheCommandsAUserExpects) {
    const Step noLogger{
        "start-up, no logger",
        [&] {
            // No port to try.
            modals.ExpectMessage(CDorvik::kConnectFailedText, IDOK);
            ASSERT_TRUE(Wait([&] { return modals.Pending() == 0; }));
        },
        Ids({kRun,
             {ID_CONNECT, ID_SEND_SETUP, ID_LOGGER_SETUP, ID_EXTERNAL_SENSOR_1,
              ID_EXTERNAL_SENSOR_2, ID_VIDEO_ENABLE, ID_VIDEO_PROPERTIES}}),
        Ids({kStop,
             {ID_SEND_SETUP_TB, ID_TIMING_TB, ID_TIMING_WIZARD, ID_VIDEO_RECORD, ID_VIDEO_PLAY,
              ID_VIDEO_STOP, ID_VIDEO_PAUSE, ID_PLAYBACK_RECORD, ID_PLAYBACK_PLAY, ID_PLAYBACK_STOP,
              ID_PLAYBACK_PAUSE, ID_LINEAR_FIT, ID_AREA_TB, ID_GRAPH_EXPORT}}),
        {},
        {{ID_VIEW_GRAPH, true}, {ID_VIEW_DATA_MAP, true}, {ID_VIEW_METERS, false}},
        false};
    Start();
    noLogger.take();
    Check(noLogger);
    app->ExitInstance();
    app.reset();

    qk = std::make_unique<testing_support::SimulatedComPort>(3, QkWithAStoredRun());
    Start();
    CDorvik& logger = *doc->GetLogger();
    const Step steps[] = {
        {"start-up, a QK found",
         [&] { ASSERT_TRUE(LoggerIdle()); },
         Ids({kRun,
              {ID_SEND_SETUP_TB, ID_SEND_SETUP, ID_TIMING_TB, ID_TIMING_WIZARD, ID_CONNECT,
               ID_VIDEO_ENABLE}}),
         Ids({kStop, {ID_VIDEO_RECORD, ID_VIDEO_PLAY, ID_PLAYBACK_PLAY}}),
         // The QK finds its external sensors itself.
         {ID_EXTERNAL_SENSOR_1, ID_EXTERNAL_SENSOR_2},
         {},
         true,
         "Dorvik QK was detected"},
        {"Video > Enable video",
         [&] { ChooseMenuCommand(*frame, ID_VIDEO_ENABLE); },
         {ID_VIDEO_RECORD, ID_PLAYBACK_RECORD, ID_VIDEO_ENABLE, ID_VIDEO_PROPERTIES},
         {ID_VIDEO_PLAY, ID_VIDEO_STOP, ID_VIDEO_PAUSE, ID_PLAYBACK_STOP},
         {},
         {},
         true,
         nullptr,
         "Disable video"},
        {"Logger > Run, during the run",
         [&] {
             // Temperature at 10/s for a minute, as the set-up window would send them.
             logger.SetRegimeRateCode(49);
             logger.SetRunLength(600);
             ChooseMenuCommand(*frame, ID_LOGGER_RUN);
             ASSERT_TRUE(Wait([&] {
                 return doc->m_runInProgress && doc->m_currentRun[0] &&
                        doc->m_currentRun[0]->GetYCount() > 3;
             }));
         },
         Ids({kStop, {ID_VIDEO_RECORD, ID_PLAYBACK_RECORD}}),
         {ID_VIDEO_PLAY, ID_PLAYBACK_PLAY, ID_VIDEO_PAUSE, ID_VIDEO_STOP, ID_PLAYBACK_STOP},
         {},
         {},
         std::nullopt,
         "Run",
         "Disable video"},
        {"Logger > Stop, after the run",
         [&] {
             ChooseMenuCommand(*frame, ID_LOGGER_STOP);
             ASSERT_TRUE(Wait([&] { return !doc->m_runInProgress; }));
         },
         Ids({kRun,
              {ID_VIDEO_PLAY, ID_PLAYBACK_PLAY, ID_VIDEO_RECORD, ID_LINEAR_FIT, ID_AREA_TB,
               ID_GRAPH_EXPORT}}),
         Ids({kStop, {ID_VIDEO_PAUSE, ID_VIDEO_STOP}}),
         {},
         {},
         true,
         CMainFrame::kIdleText,
         "Disable video"},
        {"Video > Record, during the recording",
         [&] { ChooseMenuCommand(*frame, ID_VIDEO_RECORD); },
         Ids({kRun, {ID_VIDEO_STOP, ID_PLAYBACK_STOP}}),
         {ID_VIDEO_RECORD, ID_PLAYBACK_RECORD, ID_VIDEO_PLAY, ID_PLAYBACK_PLAY, ID_VIDEO_PAUSE},
         {},
         {},
         std::nullopt,
         nullptr,
         "Disable video"},
        {"Logger > Download, during the recording",
         [&] { ASSERT_NE(Download(), nullptr); },
         Ids({kRun, {ID_VIDEO_STOP, ID_PLAYBACK_STOP}}),
         Ids({kStop, {ID_VIDEO_RECORD, ID_VIDEO_PLAY, ID_PLAYBACK_PLAY}}),
         {},
         {},
         true,
         nullptr,
         "Disable video"},
        {"Video > Stop, after the recording",
         [&] { ChooseMenuCommand(*frame, ID_VIDEO_STOP); },
         {ID_VIDEO_RECORD, ID_PLAYBACK_RECORD, ID_VIDEO_PLAY, ID_PLAYBACK_PLAY},
         {ID_VIDEO_STOP, ID_PLAYBACK_STOP, ID_VIDEO_PAUSE, ID_PLAYBACK_PAUSE},
         {},
         {},
         true,
         nullptr,
         "Disable video"},
        {"the data map: one of the graph's two plots unticked",
         [&] {
             CGraphView* graph = doc->GetGraphView();
             ASSERT_EQ(graph->m_plotCount, 2) << "the download's Temperature and Sound";
             CDataTreeBrench* kept = graph->m_plots[0].dataSet;
             const DWORD gone = graph->m_plots[1].dataSet->m_id;
             doc->m_dataTreeView->DisplayPlot(doc->m_dataTreeView->FindDataSetItem(gone));
             ASSERT_EQ(graph->m_plotCount, 1);
             EXPECT_EQ(graph->m_plots[0].dataSet, kept);
             EXPECT_EQ(kept->m_shown, 1) << "the plot left stays ticked";
             // The graph's own Export to Excel button, and the menu's, export what is left.
             CFrameWnd& graphFrame = *graph->GetParentFrame();
             std::vector<QString> opened;
             platform::SetShellOpener([&](const QUrl& url) {
                 opened.push_back(url.toLocalFile());
                 return true;
             });
             EXPECT_TRUE(testing_support::PressToolbarButton(graphFrame, ID_GV_EXPORT));
             EXPECT_TRUE(ChooseMenuCommand(*frame, ID_GRAPH_EXPORT));
             platform::SetShellOpener({});
             EXPECT_EQ(opened.size(), 2u);
         },
         {ID_LINEAR_FIT, ID_GRAPH_EXPORT, ID_AREA_TB, ID_SLOPE, ID_GRAPH_PROPERTIES, ID_GRAPH_COPY,
          ID_VIDEO_PLAY},
         {},
         {},
         {},
         true,
         nullptr,
         "Disable video"},
        {"File > User interface settings > Simple",
         [&] { ChooseLevel(IDC_LEVEL_SIMPLE); },
         // The meters take the main area; a QK sends them nothing, so it still records.
         Ids({kRun, {ID_METERS_TB, ID_VIEW_GRAPH, ID_VIDEO_ENABLE}}),
         {ID_CONNECT, ID_VIDEO_RECORD, ID_VIDEO_PLAY},
         {ID_LINEAR_FIT, ID_SEND_SETUP, ID_LOGGER_SETUP, ID_NEW_PROJECT, ID_SEND_SETUP_TB},
         {{ID_VIEW_METERS, true}, {ID_METERS_TB, true}, {ID_VIEW_GRAPH, false}},
         std::nullopt,
         nullptr,
         "Disable video"},
        {"Advanced again, then View > Display graph",
         [&] {
             ChooseLevel(IDC_LEVEL_ADVANCED);
             ChooseMenuCommand(*frame, ID_VIEW_GRAPH);
             ASSERT_TRUE(LoggerIdle());
         },
         // Advanced after a switch has what it has at start-up, Logger > Setup too.
         Ids({kRun,
              {ID_SEND_SETUP_TB, ID_SEND_SETUP, ID_LOGGER_SETUP, ID_CONNECT, ID_LINEAR_FIT,
               ID_VIDEO_RECORD, ID_VIDEO_PLAY, ID_NEW_PROJECT}}),
         Ids({kStop, {ID_VIDEO_STOP}}),
         {ID_EXTERNAL_SENSOR_1, ID_EXTERNAL_SENSOR_2},
         {{ID_VIEW_GRAPH, true}, {ID_VIEW_METERS, false}},
         true,
         "Dorvik QK was detected",
         "Disable video"},
    };
    for (const Step& s : steps) {
        s.take();
        Check(s);
    }
}

TEST_F(Session, ADownloadDuringARecordingKeepsNoVideoAndTheNextRunTakesIt) {
    qk = std::make_unique<testing_support::SimulatedComPort>(3, QkWithAStoredRun());
    Start();
    ASSERT_TRUE(LoggerIdle());
    ASSERT_TRUE(ChooseMenuCommand(*frame, ID_VIDEO_ENABLE));
    ASSERT_TRUE(ChooseMenuCommand(*frame, ID_VIDEO_RECORD));
    const CString recording = doc->GetVideoView()->GetRecordedFileName();
    ASSERT_FALSE(recording.IsEmpty());

    const auto videosOf = [&](const CDataTreeBrench* experiment) {
        std::vector<CString> files;
        for (const CDataTreeBrench* d = doc->m_dataList.GetNextDataSet(experiment->m_id); d;
             d = doc->m_dataList.GetNextDataSet(d->m_id))
            files.push_back(d->m_videoFile);
        return files;
    };
    const CDataTreeBrench* stored = Download();
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(videosOf(stored), (std::vector<CString>{"", ""})) << "recorded before the video";

    // At the stored run's rate, which keeps the project as it is.
    CDorvik& logger = *doc->GetLogger();
    logger.SetRegimeRateCode(logger.GetReportedRateCode());
    logger.SetRunLength(3);
    ASSERT_TRUE(ChooseMenuCommand(*frame, ID_LOGGER_RUN));
    ASSERT_TRUE(Wait([&] { return doc->m_runInProgress && doc->m_currentRunCount > 0; }));
    const CDataTreeBrench* live = doc->m_dataList.GetExperimentOf(doc->m_currentRun[0]->m_id);
    ASSERT_TRUE(Wait([&] { return !doc->m_runInProgress; }));
    ASSERT_TRUE(ChooseMenuCommand(*frame, ID_VIDEO_STOP));
    ASSERT_NE(live, nullptr);
    for (const CString& file : videosOf(live))
        EXPECT_EQ(file, recording) << "the run recorded with the video takes it";
    EXPECT_EQ(videosOf(stored), (std::vector<CString>{"", ""}));
    EXPECT_TRUE(QFile::exists(recording.ToQString())) << "tied to the run, the recording stays";
}

// The meters of a QK: it is not asked for live readings, so nothing holds the logger while they
// are shown, and the set-up chosen before them is there again after them.
TEST_F(Session, AQkRecordsFromTheMetersAndGetsItsSetupBackAfterThem) {
    qk = std::make_unique<testing_support::SimulatedComPort>(3, QkWithAStoredRun());
    Start();
    ASSERT_TRUE(LoggerIdle());
    CSetupView& setup = *doc->GetSetupView();
    const auto click = [&](int sensor) {
        QWidget* w = setup.GetSwitch(sensor).GetControl()->GetWidget();
        QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
    };
    const auto choose = [](CComboBox& combo, int index) {
        auto* box = qobject_cast<QComboBox*>(combo.GetWidget());
        ASSERT_TRUE(box && box->isEnabled());
        box->setCurrentIndex(index);
        Q_EMIT box->activated(index);
    };
    // Light and External 1 alone, at "5/s" for "20 Seconds".
    for (int k : {CSetupView::kTemperature, CSetupView::kSound, CSetupView::kHumidity,
                  CSetupView::kPressure})
        if (setup.GetSwitch(k).GetValue()) click(k);
    choose(setup.GetRateCombo(), 9);
    choose(setup.GetTimeCombo(), 1);
    const auto switches = [&] {
        std::vector<bool> on;
        for (int k = 0; k < CSetupView::kSensors; ++k)
            on.push_back(setup.GetSwitch(k).GetValue());
        return on;
    };
    const std::vector<bool> chosen = switches();
    const int rate = setup.GetRateCombo().GetCurSel(), time = setup.GetTimeCombo().GetCurSel();
    const WORD rateCode = doc->GetLogger()->GetRegimeRateCode();
    const DWORD runLength = doc->GetLogger()->GetRunLength();

    ASSERT_TRUE(ChooseMenuCommand(*frame, ID_VIEW_METERS));
    ASSERT_TRUE(LoggerIdle());
    for (UINT id : kRun) {
        const CommandState c = Seen(id);
        EXPECT_TRUE(c.Usable()) << id << " " << c.where << ": " << c.problem;
    }
    // A run from there records the set-up, not the meters' sensor.
    ASSERT_TRUE(ChooseMenuCommand(*frame, ID_LOGGER_RUN));
    ASSERT_TRUE(Wait([&] { return doc->m_runInProgress && doc->m_currentRunCount > 0; }));
    std::vector<CString> names;
    for (int i = 0; i < doc->m_currentRunCount; ++i)
        names.push_back(doc->m_currentRun[i]->m_name);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_TRUE(names[0].Find("Light") == 0 && names[1].Find("Input A") == 0)
        << names[0].GetString() << ", " << names[1].GetString();
    ASSERT_TRUE(ChooseMenuCommand(*frame, ID_LOGGER_STOP));
    ASSERT_TRUE(Wait([&] { return !doc->m_runInProgress; }));
    ASSERT_TRUE(LoggerIdle());

    if (!Seen(ID_VIEW_GRAPH).checked) {
        ASSERT_TRUE(ChooseMenuCommand(*frame, ID_VIEW_GRAPH));
    }
    if (Seen(ID_VIEW_METERS).checked) {
        ASSERT_TRUE(ChooseMenuCommand(*frame, ID_VIEW_METERS));
    }
    ASSERT_TRUE(LoggerIdle());
    EXPECT_EQ(switches(), chosen);
    EXPECT_EQ(setup.GetRateCombo().GetCurSel(), rate);
    EXPECT_EQ(setup.GetTimeCombo().GetCurSel(), time);
    EXPECT_EQ(doc->GetLogger()->GetRegimeRateCode(), rateCode);
    EXPECT_EQ(doc->GetLogger()->GetRunLength(), runLength);
}

// The meters put a basic logger on live readings of Temperature; hiding them sends back the
// set-up it had, so the switches and lists show it again.
TEST_F(Session, ABasicLoggerGetsItsSetupBackAfterTheMeters) {
    auto model = std::make_unique<dorvik_sim::BasicModel>();
    model->mask = 0x07;
    model->rateCode = 8;
    model->runLength = 480;
    qk = std::make_unique<testing_support::SimulatedComPort>(3, std::move(model));
    Start();
    ASSERT_TRUE(LoggerIdle());
    CSetupView& setup = *doc->GetSetupView();
    const auto seen = [&] {
        std::vector<int> state;
        for (int k = 0; k < CSetupView::kSensors; ++k)
            state.push_back(setup.GetSwitch(k).GetValue());
        state.push_back(setup.GetRateCombo().GetCurSel());
        state.push_back(setup.GetTimeCombo().GetCurSel());
        return state;
    };
    const auto onTheLogger = [&] {
        return qk->line.WithModelAs<dorvik_sim::BasicModel>([](dorvik_sim::BasicModel& m) {
            return std::vector<int>{m.mask, m.rateCode, int(m.runLength)};
        });
    };
    const std::vector<int> before = seen();
    ASSERT_EQ(onTheLogger(), (std::vector<int>{0x07, 8, 480}));

    ASSERT_TRUE(ChooseMenuCommand(*frame, ID_VIEW_METERS));
    ASSERT_TRUE(Wait([&] { return onTheLogger() == std::vector<int>{0x10, 64, 600}; }));
    ASSERT_TRUE(LoggerIdle());
    // Back to the graph, as the meters leave the main area.
    ASSERT_TRUE(ChooseMenuCommand(*frame, ID_VIEW_GRAPH));
    ASSERT_FALSE(setup.m_meterMode);
    ASSERT_TRUE(Wait([&] { return onTheLogger() == std::vector<int>{0x07, 8, 480}; }));
    ASSERT_TRUE(LoggerIdle());
    EXPECT_EQ(seen(), before);
}

}  // namespace
