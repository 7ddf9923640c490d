// Logger > Run on a simulated QK over a pseudo-terminal, through the document, the communication
// view and the real serial layer, into the data map and the graph.

#include "tests/app/doc_fixture.h"

namespace {

using namespace doc_test;
using dorvik_sim::QkModel;
using dorvik_sim::QkSensor;

constexpr WORD kRate20ms = 51;
constexpr WORD kLength = 25;

// What the logger object makes of channel `ch`'s raw reading, with the sensors set below.
double Expected(int ch, double raw) {
    switch (ch) {
        case 5:
            return raw * 100 / 1023;
        case 6:
            return raw * 5 / 1023 - 2.5;
        default:
            return dorvik_test::QkOwnChannelValue(ch, raw);
    }
}

class QkRun : public DocTest {
protected:
    void SetUp() override {
        auto model = std::make_unique<QkModel>();
        model->liveSensors[5] = QkSensor{"Temperature",
                                         "\xDF"
                                         "C",
                                         0,
                                         100,
                                         0,
                                         1023};
        model->liveSensors[6] = QkSensor{"Voltage", "V", -2.5f, 2.5f, 0, 1023};
        MakeQk(std::move(model));
        settings.m_recordingMode = 1;
        ASSERT_TRUE(StartAndConnect());
        ChooseQkSetup(kRate20ms, 0x7F, kLength);
    }
    WORD Raw(int ch, DWORD sample) {
        return WithModel<QkModel>([&](QkModel& m) { return m.rawValue(ch, sample); });
    }
};

TEST_F(QkRun, RunMakesAnExperimentWithEveryChannelPlottedUntilTheRunLength) {
    const int number = CVarnelDoc::GetExperimentCounter();
    Command(ID_LOGGER_RUN);
    EXPECT_EQ(doc.m_pendingCommand, CVarnelDoc::kCommandRun);
    EXPECT_EQ(doc.m_commandTimerOn, 1);
    // After each tick the graph shows exactly what the data sets hold so far.
    bool shown = true;
    ASSERT_TRUE(Wait([&] {
        shown = shown && PlotsShowTheirSamples();
        return Count(UM_RUN_ENDED) >= 1;
    }));
    EXPECT_TRUE(shown);
    clock.Advance(300);
    EXPECT_EQ(Count(UM_RUN_ENDED), 1);
    EXPECT_EQ(Count(UM_NEW_EXPERIMENT), 1);
    EXPECT_EQ(doc.m_runInProgress, 0);
    EXPECT_EQ(doc.m_commandTimerOn, 0);
    EXPECT_EQ(mainFrame.m_runEnded, 1);
    EXPECT_EQ(graphFrame.m_runEnded, 1);
    EXPECT_EQ(mainFrame.m_loggerKind, 1u);

    // The regime written is the set-up's.
    const auto regimes = WithModel<QkModel>([](QkModel& m) { return m.regimes; });
    ASSERT_EQ(regimes.size(), 1u);
    EXPECT_TRUE(regimes[0].checksumOk);
    EXPECT_TRUE(regimes[0].startsRun);
    EXPECT_EQ(regimes[0].mask, 0x7F);
    EXPECT_EQ(regimes[0].runLength, kLength);
    EXPECT_DOUBLE_EQ(QkModel::PeriodMs(regimes[0].timer), 20);

    const CDataTreeBrench* experiment =
        doc.m_dataList.FindByName(CString::Formatted("Exp. %d", number));
    ASSERT_NE(experiment, nullptr);
    EXPECT_EQ(experiment->m_modelCode, 100);
    EXPECT_EQ(CVarnelDoc::GetExperimentCounter(), number + 1);
    const auto sets = DataSetsOf(experiment);
    ASSERT_EQ(sets.size(), 7u);
    ASSERT_EQ(graph.m_plotCount, 7);
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE(i);
        const CDataTreeBrench& d = *sets[size_t(i)];
        EXPECT_EQ(doc.m_currentRun[i], &d);
        EXPECT_EQ(d.m_inputKind, i);  // in channel order
        EXPECT_EQ(d.m_modelCode, 100);
        EXPECT_EQ(d.m_rateCode, kRate20ms);
        ASSERT_EQ(d.GetYCount(), kLength);
        for (DWORD s = 0; s < kLength; ++s)
            EXPECT_NEAR((*d.m_y)[s], Expected(i, Raw(i, s)), 1e-9) << s;
        EXPECT_EQ(graph.m_plots[i].dataSet, &d);
        EXPECT_EQ(graph.m_plots[i].pointsShown, kLength);
        EXPECT_NE(tree.FindDataSetItem(d.m_id), nullptr);
    }
    EXPECT_TRUE(PlotsShowTheirSamples());
    EXPECT_TRUE(
        tree.GetTreeCtrl().GetItemState(tree.FindExperimentItem(experiment->m_id), TVIS_EXPANDED) &
        TVIS_EXPANDED);

    testing_support::SaveTestImage(testing_support::RenderWidget(graph.GetWidget()),
                                   "qk_run_graph.png");
}

TEST_F(QkRun, StopEndsTheRunAndKeepsTheSamples) {
    logger.SetRunLength(1000);
    Command(ID_LOGGER_RUN);
    ASSERT_TRUE(
        Wait([&] { return doc.m_currentRunCount == 7 && doc.m_currentRun[0]->GetYCount() >= 10; }));
    Command(ID_LOGGER_STOP);
    ASSERT_TRUE(Wait([&] { return Count(UM_RUN_ENDED) >= 1; }));
    clock.Advance(300);
    EXPECT_EQ(Count(UM_RUN_ENDED), 1);
    EXPECT_EQ(WithModel<QkModel>([](QkModel& m) { return m.CountOf("AQ"); }), 1u);
    const DWORD kept = static_cast<DWORD>(doc.m_currentRun[0]->GetYCount());
    EXPECT_GE(kept, 10u);
    EXPECT_LT(kept, 1000u);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(doc.m_currentRun[i]->GetYCount(), int(kept));
    EXPECT_FALSE(WithModel<QkModel>([](QkModel& m) { return m.running; }));
}

TEST_F(QkRun, SendSetupWritesTheRegimeAndStartsNothing) {
    ChooseQkSetup(kRate20ms, 0x25, kLength);
    Command(ID_LOGGER_SEND_SETUP);
    ASSERT_TRUE(Wait([&] {
        return WithModel<QkModel>([](QkModel& m) { return m.regimes.size(); }) == 1 &&
               logger.IsCommandQueueEmpty();
    }));
    clock.Advance(500);
    const auto regimes = WithModel<QkModel>([](QkModel& m) { return m.regimes; });
    ASSERT_EQ(regimes.size(), 1u);
    EXPECT_FALSE(regimes[0].startsRun);
    EXPECT_EQ(regimes[0].mask, 0x25);
    EXPECT_EQ(regimes[0].runLength, kLength);
    EXPECT_FALSE(WithModel<QkModel>([](QkModel& m) { return m.running; }));
    EXPECT_EQ(Count(UM_NEW_EXPERIMENT), 0);
    EXPECT_EQ(doc.m_runInProgress, 0);
    EXPECT_EQ(logger.GetLiveChannel(0).enabled, 1);
    EXPECT_EQ(logger.GetLiveChannel(1).enabled, 0);
}

}  // namespace
