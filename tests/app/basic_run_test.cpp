// Logger > Run on a simulated basic logger, and a hang-up in the middle of a run on either model.

#include "tests/app/doc_fixture.h"

namespace {

using namespace doc_test;
using dorvik_sim::BasicModel;
using dorvik_sim::QkModel;

class BasicRun : public DocTest {
protected:
    void Start(BYTE rate, WORD length, BYTE mask = 0x07) {
        MakeBasic();
        WithModel<BasicModel>([&](BasicModel& m) {
            m.rateCode = rate;
            m.runLength = length;
            m.mask = mask;
        });
        settings.m_recordingMode = 1;
        ASSERT_TRUE(StartAndConnect());
    }
    size_t Runs() {
        return WithModel<BasicModel>([](BasicModel& m) { return m.CountOf(0xAA); });
    }
};

TEST_F(BasicRun, RunRecordsOneDataSetPerChannelUntilItsLength) {
    Start(128, 10);  // 0.1 s
    const int number = CVarnelDoc::GetExperimentCounter();
    Command(ID_LOGGER_RUN);
    EXPECT_EQ(doc.m_waitingForStatus, 1);
    ASSERT_TRUE(Wait([&] { return Count(UM_RUN_ENDED) >= 1; }));
    clock.Advance(500);
    EXPECT_EQ(Runs(), 1u);
    EXPECT_EQ(Count(UM_RUN_ENDED), 1);
    EXPECT_EQ(doc.m_runInProgress, 0);
    EXPECT_EQ(mainFrame.m_loggerKind, 0u) << "a basic logger is never the larger model";
    CDataTreeBrench* experiment = doc.m_dataList.FindByName(CString::Formatted("Exp. %d", number));
    ASSERT_NE(experiment, nullptr);
    EXPECT_EQ(experiment->m_modelCode, 0);
    const auto sets = DataSetsOf(experiment);
    ASSERT_EQ(sets.size(), 3u);
    for (int ch = 0; ch < 3; ++ch) {
        SCOPED_TRACE(ch);
        EXPECT_EQ(sets[size_t(ch)]->m_inputKind, ch);
        ASSERT_EQ(sets[size_t(ch)]->GetYCount(), 10);
        for (DWORD s = 0; s < 10; ++s)
            EXPECT_DOUBLE_EQ((*sets[size_t(ch)]->m_y)[s], logger.RawToValue(ch, BYTE(30 * ch + s)));
    }
}

TEST_F(BasicRun, AOneMillisecondRunGoesOutOnceAndItsStoredRunIsDownloaded) {
    Start(255, 40, 0x01);
    const int number = CVarnelDoc::GetExperimentCounter();
    Command(ID_LOGGER_RUN);
    // The run, then the download that its end asks for.
    ASSERT_TRUE(Wait([&] { return doc.m_currentDownload != nullptr && Count(UM_RUN_ENDED) >= 2; },
                     std::chrono::seconds(30)));
    clock.Advance(500);
    EXPECT_EQ(Runs(), 1u);
    EXPECT_EQ(WithModel<BasicModel>([](BasicModel& m) { return m.CountOf(0x55); }), 1u);
    CDataTreeBrench* stored = doc.m_dataList.FindByName(CString::Formatted("Exp. %d", number + 1));
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(doc.m_currentDownload, stored);
    ASSERT_EQ(DataSetsOf(stored).size(), 1u);
    EXPECT_EQ(DataSetsOf(stored)[0]->GetYCount(), 40);
}

TEST_F(BasicRun, ARunWithoutChannelsSendsNothing) {
    Start(128, 10, 0x00);
    modals.ExpectMessage(CVarnelDoc::kNoSensorsText, IDOK);
    Command(ID_LOGGER_RUN);
    ASSERT_TRUE(Wait([&] { return modals.Pending() == 0; }));
    clock.Advance(500);
    EXPECT_EQ(Runs(), 0u);
    EXPECT_EQ(doc.m_commandTimerOn, 0);
}

TEST_F(BasicRun, SendSetupSendsNoQkFrameToABasicLogger) {
    Start(128, 10);
    Command(ID_LOGGER_SEND_SETUP);
    clock.Advance(1000);
    ASSERT_TRUE(Wait([&] { return doc.m_commandTimerOn == 0; }));
    EXPECT_EQ(WithModel<BasicModel>([](BasicModel& m) { return m.setups.size(); }), 0u);
    EXPECT_EQ(Runs(), 0u);
}

// ---- a hang-up mid-run

class HangUp : public DocTest {
protected:
    // Runs until the logger hangs up after its `records`th record: the loss is told once and the
    // run ends once. What the line still held when it went may be lost with it; what came is kept
    // on each of the `channels` channels.
    void RunIntoHangUp(int records, int channels) {
        modals.ExpectMessage(CDorvik::kLinkLostText, IDOK);
        Command(ID_LOGGER_RUN);
        ASSERT_TRUE(Wait([&] { return Count(UM_RUN_ENDED) >= 1; }));
        clock.Advance(2500);
        EXPECT_EQ(modals.Pending(), 0u);
        EXPECT_EQ(modals.Shown().size(), 1u);
        EXPECT_EQ(Count(UM_RUN_ENDED), 1);
        EXPECT_EQ(doc.m_runInProgress, 0);
        ASSERT_EQ(doc.m_currentRunCount, channels);
        const int kept = doc.m_currentRun[0]->GetYCount();
        EXPECT_GE(kept, records - 1);
        EXPECT_LE(kept, records);
        for (int i = 0; i < channels; ++i)
            EXPECT_EQ(doc.m_currentRun[i]->GetYCount(), kept) << i;
    }
    // Each data set's samples, x then y, of the experiment with this number.
    std::vector<CDataArray> SamplesOf(int number) const {
        std::vector<CDataArray> samples;
        if (const CDataTreeBrench* e =
                doc.m_dataList.FindByName(CString::Formatted("Exp. %d", number)))
            for (const CDataTreeBrench* set : DataSetsOf(e))
                samples.insert(samples.end(), {*set->m_x, *set->m_y});
        return samples;
    }
    // The logger is back, made by `reconnect`, and runs `length` samples: that run is the next
    // experiment with `channels` data sets, and experiment `number`, cut short by the hang-up,
    // still holds every sample it had.
    void ComesBackAndRunsAgain(int number, int channels, int length,
                               const std::function<void()>& reconnect) {
        const std::vector<CDataArray> before = SamplesOf(number);
        ASSERT_EQ(before.size(), size_t(2 * channels));
        sim.reset();
        reconnect();
        comm.counts.clear();
        Command(ID_LOGGER_RUN);
        ASSERT_TRUE(Wait([&] { return Count(UM_RUN_ENDED) >= 1; }));
        clock.Advance(500);
        CDataTreeBrench* next =
            doc.m_dataList.FindByName(CString::Formatted("Exp. %d", number + 1));
        ASSERT_NE(next, nullptr);
        ASSERT_EQ(DataSetsOf(next).size(), size_t(channels));
        for (const CDataTreeBrench* set : DataSetsOf(next))
            EXPECT_EQ(set->GetYCount(), length) << set->m_name;
        EXPECT_EQ(SamplesOf(number), before);
    }
};

TEST_F(HangUp, AQkRunKeepsItsSamplesEndsOnceTellsOnceAndTheNextRunIsANewExperiment) {
    MakeQk();
    WithModel<QkModel>([](QkModel& m) { m.hangUpAfterRecords = 12; });
    ASSERT_TRUE(StartAndConnect());
    ChooseQkSetup(51, 0x7F, 100);
    const int number = CVarnelDoc::GetExperimentCounter();
    // Six: External 2 has no sensor, so its switch is off.
    RunIntoHangUp(12, 6);
    if (HasFatalFailure()) return;
    ComesBackAndRunsAgain(number, 6, 5, [&] {
        MakeQk();
        WithModel<QkModel>([](QkModel& m) { m.hangUpAfterRecords = -1; });
        logger.SetRunLength(5);
    });
}

TEST_F(HangUp, ABasicRunKeepsItsSamplesEndsOnceTellsOnceAndTheNextRunIsANewExperiment) {
    MakeBasic();
    WithModel<BasicModel>([](BasicModel& m) {
        m.rateCode = 128;
        m.runLength = 50;
        m.hangUpAfterRecords = 6;
    });
    ASSERT_TRUE(StartAndConnect());
    const int number = CVarnelDoc::GetExperimentCounter();
    RunIntoHangUp(6, 3);
    if (HasFatalFailure()) return;
    ComesBackAndRunsAgain(number, 3, 5, [&] {
        MakeBasic();
        WithModel<BasicModel>([](BasicModel& m) {
            m.rateCode = 128;
            m.runLength = 5;
        });
    });
}

}  // namespace
