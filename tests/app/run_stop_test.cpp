// Stop from the moment Run is chosen, on each model and run kind, through the main window's
// toolbar and menu: before the run command goes out it calls the run off and sends nothing; after
// it, the model's stop goes out. A run stopped before its first sample leaves no experiment.

#include <algorithm>

#include "RES/dialogs/timing_wizard.h"
#include "tests/app/doc_fixture.h"

namespace {

using namespace doc_test;
using dorvik_sim::BasicModel;
using dorvik_sim::QkModel;
using dorvik_sim::QkSensor;
using testing_support::MenuCommandState;
using testing_support::ToolbarButtonState;

constexpr std::chrono::seconds kPatience{60};

class RunStop : public DocTest {
protected:
    // The toolbar's Stop and Logger > Stop, as a user finds them.
    bool StopOffered() {
        const bool button = ToolbarButtonState(mainFrame, ID_STOP_TB).enabled;
        const bool item = MenuCommandState(mainFrame, ID_LOGGER_STOP).enabled;
        EXPECT_EQ(button, item) << "the button and the menu item agree";
        return button && item;
    }
    // What a run called off or stopped before its first sample leaves: nothing to stop, the
    // status bar done with the run, no experiment and its number free for the next run.
    void ExpectNothingLeft(int number) {
        EXPECT_FALSE(StopOffered());
        EXPECT_NE(mainFrame.GetMessageText(), "Run");
        EXPECT_NE(mainFrame.GetMessageText(), "Stopping Dorvik");
        EXPECT_EQ(doc.m_runInProgress, 0);
        EXPECT_EQ(doc.m_dataList.FindByName(CString::Formatted("Exp. %d", number)), nullptr);
        EXPECT_EQ(CVarnelDoc::GetExperimentCounter(), number);
    }
    // The search a Run began has found the logger and read its sensors.
    bool SearchDone() {
        return Wait(
            [&] {
                return logger.IsConnected() && !logger.IsDetectionTimerOn() &&
                       logger.IsCommandQueueEmpty() && !logger.IsSensorReadUnderWay();
            },
            kPatience);
    }
    // Lets the logger's timers run for `ms` of the clock.
    void Let(int ms) {
        for (int t = 0; t < ms; t += 50) {
            clock.Advance(50);
            testing_support::ProcessQtEvents();
        }
    }
};

class QkRunStop : public RunStop {
protected:
    void SetUp() override {
        auto model = std::make_unique<QkModel>();
        model->liveSensors[5] = QkSensor{"Voltage", "V", -2.5f, 2.5f, 0, 1023};
        MakeQk(std::move(model));
        ASSERT_TRUE(StartAndConnect());
        ChooseQkSetup(51, 0x21, 25);
    }
};

TEST_F(QkRunStop, StopDuringTheSearchBeforeTheRunCallsItOffAndSendsNothing) {
    const int number = CVarnelDoc::GetExperimentCounter();
    EXPECT_FALSE(StopOffered());
    Command(ID_TOOLBAR_RUN);
    // A Run finds the QK again before it writes the regime.
    EXPECT_TRUE(logger.IsDetectionTimerOn());
    EXPECT_TRUE(StopOffered());
    Command(ID_TOOLBAR_STOP);
    EXPECT_EQ(mainFrame.GetMessageText(), CMainFrame::kIdleText);
    ASSERT_TRUE(SearchDone());
    Let(1000);
    EXPECT_EQ(WithModel<QkModel>([](QkModel& m) { return m.CountOf("BD") + m.CountOf("AQ"); }), 0u);
    EXPECT_TRUE(WithModel<QkModel>([](QkModel& m) { return m.regimes.empty(); }));
    ExpectNothingLeft(number);

    // The search went on undisturbed: the next Run runs.
    Command(ID_LOGGER_RUN);
    ASSERT_TRUE(Wait([&] { return Count(UM_RUN_ENDED) >= 1; }, kPatience));
    ASSERT_NE(doc.m_dataList.FindByName(CString::Formatted("Exp. %d", number)), nullptr);
    EXPECT_FALSE(StopOffered());
}

class TimingRunStop : public RunStop {
protected:
    void SetUp() override {
        auto model = std::make_unique<QkModel>(QkModel::kTimerVariant);
        model->liveSensors[5] = model->liveSensors[6] = QkSensor{"Photogate", "V", 0, 5, 0, 1023};
        MakeQk(std::move(model));
        // Time at one gate.
        settings.m_timingMethod = 0;
        settings.m_timingMeasurement = 0;
        ASSERT_TRUE(StartAndConnect());
        ASSERT_TRUE(Wait([&] { return modals.Pending() == 0; }, kPatience));
        ASSERT_EQ(doc.m_timingMode, 1);
    }
    size_t Sent(const char* letters) {
        return WithModel<QkModel>([&](QkModel& m) { return m.CountOf(letters); });
    }
};

TEST_F(TimingRunStop, StopBeforeTheFirstGateEventAtEachStage) {
    const int number = CVarnelDoc::GetExperimentCounter();

    // During the port's search: nothing goes out, no timing is asked for.
    Command(ID_TOOLBAR_RUN);
    EXPECT_TRUE(logger.IsDetectionTimerOn());
    EXPECT_TRUE(StopOffered());
    Command(ID_TOOLBAR_STOP);
    EXPECT_EQ(mainFrame.GetMessageText(), CMainFrame::kIdleText);
    ASSERT_TRUE(SearchDone());
    Let(1000);
    EXPECT_EQ(Sent("AK") + Sent("AQ"), 0u);
    ExpectNothingLeft(number);

    // Timing asked for, no gate event yet: the stop goes out and ends the wait.
    Command(ID_LOGGER_RUN);
    ASSERT_TRUE(
        Wait([&] { return WithModel<QkModel>([](QkModel& m) { return m.timing; }); }, kPatience));
    Let(1000);
    EXPECT_EQ(Count(UM_NEW_EXPERIMENT), 0);
    EXPECT_TRUE(StopOffered()) << "a run waiting for its first event can be stopped";
    Command(ID_LOGGER_STOP);
    ASSERT_TRUE(Wait([&] { return Sent("AQ") == 1 && logger.IsCommandQueueEmpty(); }, kPatience));
    Let(500);
    EXPECT_EQ(mainFrame.GetMessageText(), CMainFrame::kIdleText);
    EXPECT_FALSE(WithModel<QkModel>([](QkModel& m) { return m.timing; }));
    EXPECT_EQ(Count(UM_NEW_EXPERIMENT), 0);
    ExpectNothingLeft(number);

    // A later timing run records as ever.
    Command(ID_LOGGER_RUN);
    ASSERT_TRUE(
        Wait([&] { return WithModel<QkModel>([](QkModel& m) { return m.timing; }); }, kPatience));
    WithModel<QkModel>([](QkModel& m) {
        m.QueueTimingEvent(1, 500000);
        m.QueueTimingEvent(0, 510000);
        m.EndTimingRun();
        return 0;
    });
    ASSERT_TRUE(
        Wait([&] { return Count(UM_NEW_EXPERIMENT) == 1 && !doc.m_runInProgress; }, kPatience));
    EXPECT_NE(doc.m_dataList.FindByName(CString::Formatted("Exp. %d", number)), nullptr);
}

class BasicRunStop : public RunStop {
protected:
    void SetUp() override {
        MakeBasic();
        ASSERT_TRUE(StartAndConnect());
    }
    size_t Sent(BYTE code) {
        return WithModel<BasicModel>([&](BasicModel& m) { return m.CountOf(code); });
    }
};

TEST_F(BasicRunStop, StopBeforeTheStatusAnswerSendsNoRun) {
    const int number = CVarnelDoc::GetExperimentCounter();
    // The logger says nothing to the status query that comes before the run.
    WithModel<BasicModel>([](BasicModel& m) { return m.ignoreCommands = 3; });
    Command(ID_TOOLBAR_RUN);
    EXPECT_TRUE(StopOffered());
    Command(ID_TOOLBAR_STOP);
    EXPECT_EQ(mainFrame.GetMessageText(), CMainFrame::kIdleText);
    Let(3000);
    EXPECT_EQ(Sent(0xAA) + Sent(0x44), 0u);
    EXPECT_EQ(doc.m_commandTimerOn, 0);
    ExpectNothingLeft(number);
}

TEST_F(BasicRunStop, StopBetweenTheRunningStatusAndTheFirstSampleLeavesNoExperiment) {
    const int number = CVarnelDoc::GetExperimentCounter();
    const BYTE modified = doc.m_modified;
    // The running status (EB 90 and 12 bytes) arrives alone; its sample waits.
    sim->line.SetChunks({14}, std::chrono::milliseconds(3000));
    Command(ID_TOOLBAR_RUN);
    ASSERT_TRUE(Wait([&] { return doc.m_runInProgress == 1; }, kPatience));
    ASSERT_GT(doc.m_currentRunCount, 0);
    ASSERT_EQ(doc.m_currentRun[0]->GetYCount(), 0);
    EXPECT_TRUE(StopOffered());
    Command(ID_TOOLBAR_STOP);
    ASSERT_TRUE(Wait([&] { return Count(UM_RUN_ENDED) >= 1; }));
    sim->line.SetChunks({}, std::chrono::milliseconds(0));
    Let(3000);
    // The line's pauses hold the logger's answer back: the stop goes out until it comes.
    EXPECT_GE(Sent(0x44), 1u);
    ExpectNothingLeft(number);
    EXPECT_EQ(mainFrame.GetMessageText(), CMainFrame::kIdleText);
    EXPECT_EQ(doc.m_modified, modified);
    EXPECT_EQ(graph.m_plotCount, 0);
    EXPECT_EQ(doc.m_currentRunCount, 0);
}

}  // namespace
