// The basic Dorvik's protocol: its records fed to the answer machine on the virtual clock, and
// runs end to end against the simulated basic Dorvik over a pseudo-terminal.

#include <gtest/gtest.h>

#include "tests/logger/dorvik_fixture.h"
#include "tests/support/core/sim_port.h"
#include "tools/dorvik-sim/basic_model.h"

namespace {

using namespace dorvik_test;
using dorvik_sim::BasicModel;
using testing_support::SimulatedComPort;

// EB 90 and a status record: state, mask, rate code, run length, start 2026-03-14 09:30:00.
Bytes Status(BYTE state, BYTE mask = 0x07, BYTE rate = 64, WORD length = 10, BYTE version = 4) {
    return {0xEB, 0x90, state, mask, rate,   BYTE(length >> 8), BYTE(length), 9, 30,
            0,    26,   3,     14,   version};
}
Bytes Body(const Bytes& status) {
    return Bytes(status.begin() + 2, status.end());
}
Bytes Raw(BYTE first = 10) {
    return {first, 20, 30, 40, 50, 60, 70, 80};
}

class BasicAnswers : public DorvikTest {
protected:
    // A basic logger connected, as after its idle status.
    void Connect(BYTE mask = 0x07, BYTE rate = 64, WORD length = 10) {
        Feed(Status(2, mask, rate, length));
        ASSERT_TRUE(dorvik->IsConnected());
        port->writes.clear();
        host.messages.clear();
    }
};

TEST_F(BasicAnswers, AnIdleStatusConnectsAndTakesTheRegime) {
    const struct {
        BYTE version;
        bool channel3, channel4;
    } versions[] = {{1, false, false}, {2, false, true}, {3, true, false}, {4, true, true}};
    for (const auto& v : versions) {
        SCOPED_TRACE(int(v.version));
        MakeDorvik();
        Feed(Status(2, 0x83, 128, 300, BYTE(0x30 | v.version)));
        EXPECT_TRUE(dorvik->IsConnected());
        EXPECT_EQ(dorvik->GetDetectionState(), 1);
        EXPECT_EQ(dorvik->GetVersion(), v.version);
        EXPECT_EQ(dorvik->HasChannel3(), v.channel3);
        EXPECT_EQ(dorvik->HasChannel4(), v.channel4);
        EXPECT_EQ(dorvik->GetMask(), 0x83);
        EXPECT_EQ(dorvik->GetRegimeRateCode(), 128);
        EXPECT_EQ(dorvik->GetRunLength(), 300u);
        EXPECT_EQ(dorvik->GetRegimeChannelCount(), 3);
        EXPECT_EQ(Bytes(dorvik->GetChannelList(), dorvik->GetChannelList() + 3), Bytes({0, 1, 7}));
        EXPECT_EQ(dorvik->GetStartTime(), CPreciseDateTime(2026, 3, 14, 9, 30, 0));
        for (UINT m : {UM_RATE_CHANGED, UM_SENSORS_CHANGED, UM_STATUS_MESSAGE, UM_LOGGER_ANSWERED})
            EXPECT_EQ(host.Count(m), 1u) << m;
        EXPECT_EQ(dorvik->GetAnswerState(), WAIT_FOR_ANSWER);
    }
}

TEST_F(BasicAnswers, ARecordNoBasicLoggerSendsIsAFramingError) {
    struct Case {
        const char* name;
        Bytes record;
    };
    const Case cases[] = {
        {"state 3", Status(3, 0x41)},
        {"state 4", Status(4, 0x41)},
        {"state 6", Status(6, 0x41)},
        {"state EB", Status(0xEB, 0x41)},
        {"version 0", Status(2, 0x41, 64, 10, 0)},
        {"version 5", Status(2, 0x41, 64, 10, 5)},
        {"rate code 3", Status(2, 0x41, 3)},
        {"rate code 0", Status(2, 0x41, 0)},
        {"run length 0", Status(2, 0x41, 64, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeDorvik();
        Connect(0x07, 64, 10);
        // Read literally, the 12 bytes after the bad record would be taken as a status too.
        Feed(Cat({c.record, Body(Status(2, 0x55, 16, 99)), Status(2, 0x0F, 32, 20)}));
        EXPECT_EQ(dorvik->GetMask(), 0x0F);
        EXPECT_EQ(dorvik->GetRegimeRateCode(), 32);
        EXPECT_EQ(dorvik->GetRunLength(), 20u);
        EXPECT_EQ(dorvik->GetVersion(), 4);
        EXPECT_EQ(host.Count(UM_LOGGER_ANSWERED), 1u) << "only the good record was a status";
        EXPECT_EQ(host.Count(UM_SENSORS_CHANGED), 1u);
        EXPECT_EQ(dorvik->GetAnswerState(), WAIT_FOR_ANSWER);
    }
}

TEST_F(BasicAnswers, ARunStartsOnlyOnAConnectedLink) {
    // 128 (0.1 s) is a normal rate: only 255 streams in fast mode.
    for (BYTE rate : {BYTE(64), BYTE(128), BYTE(255)}) {
        SCOPED_TRACE(int(rate));
        const Bytes running = Status(0, 0x07, rate);
        // Two samples of the stream: a status with each, or (fast mode) one status first.
        const Bytes stream = rate == 255 ? Cat({running, {0xEB, 0x90}, Raw(), {0xEB, 0x90}, Raw()})
                                         : Cat({running, Raw(), running, Raw()});
        // A logger found running while its port is probed.
        MakeDorvik();
        Feed(stream);
        if (rate == 255) Feed(Status(2, 0x07, rate));  // the stream ends
        EXPECT_EQ(host.Count(UM_NEW_EXPERIMENT), 0u);
        EXPECT_EQ(host.Count(UM_RUN_ENDED), 0u);
        EXPECT_EQ(dorvik->GetRunX(0), nullptr);
        EXPECT_EQ(dorvik->IsConnected(), rate == 255) << "only the idle status identifies";

        MakeDorvik();
        Connect(0x07, rate);
        Feed(Cat({running, rate == 255 ? Cat({{0xEB, 0x90}, Raw()}) : Raw()}));
        EXPECT_EQ(host.Count(UM_NEW_EXPERIMENT), 1u);
        EXPECT_NE(dorvik->GetRunX(2), nullptr);
        EXPECT_EQ(dorvik->GetRunX(3), nullptr);
        EXPECT_EQ(dorvik->IsBasicFastMode(), rate == 255);
    }
}

TEST_F(BasicAnswers, SendersWriteTheirCommandsOnlyWhenConnected) {
    dorvik->now.wYear = 2008;
    struct Case {
        const char* name;
        std::function<void(CDorvik&)> send;
        Bytes bytes;
    };
    const Case cases[] = {
        {"run", [](CDorvik& d) { d.SendRun(); }, {0xEB, 0x92, 0xAA}},
        {"download", [](CDorvik& d) { d.SendDownload(); }, {0xEB, 0x92, 0x55}},
        {"stop", [](CDorvik& d) { d.SendStop(); }, {0xEB, 0x92, 0x44}},
        {"live poll", [](CDorvik& d) { d.SendLivePoll(); }, {0xEB, 0x92, 0xFA}},
        {"sensor query", [](CDorvik& d) { d.SendSensorQuery(); }, {0xEB, 0x92, 0xC8}},
        {"status", [](CDorvik& d) { d.SendStatusQuery(); }, {0xEB, 0x92, 0xF0}},
        {"set-up",
         [](CDorvik& d) {
             d.QueueSetup(0x85, 16, 0x0102);
             d.StartCommandTimer(100);
         },
         // The local time, the year modulo 1000.
         {0xEB, 0x92, 0x0F, 0x85, 16, 0x01, 0x02, 9, 26, 53, 8, 3, 14}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.send(*dorvik);
        dorvik->StopCommandTimer();
        EXPECT_TRUE(port->writes.empty());
    }
    Connect();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        port->writes.clear();
        dorvik->StopCommandTimer();
        c.send(*dorvik);
        ASSERT_EQ(port->writes.size(), 1u);
        EXPECT_EQ(LastWrite(), c.bytes);
    }
}

TEST_F(BasicAnswers, ASetUpIsAnsweredOnlyByAnEchoOfWhatWasSent) {
    Connect();
    dorvik->QueueSetup(0x0F, 16, 50);
    dorvik->StartCommandTimer(100);
    Feed(Status(2, 0x0F, 32, 50));  // another rate code
    EXPECT_FALSE(dorvik->IsCommandAnswered());
    clock.Advance(100);
    EXPECT_EQ(port->writes.size(), 2u) << "sent again";
    Feed(Status(2, 0x0F, 16, 50));
    EXPECT_TRUE(dorvik->IsCommandAnswered());
    clock.Advance(100);
    EXPECT_TRUE(dorvik->IsCommandQueueEmpty());
    EXPECT_FALSE(dorvik->IsCommandFailed());
    EXPECT_EQ(port->writes.size(), 2u);
}

TEST_F(BasicAnswers, ALiveAnswerLeavesTheNextStatusToBeReadAsOne) {
    Connect();
    dorvik->SendLivePoll();
    EXPECT_TRUE(dorvik->IsLivePollPending());
    Feed(Cat({{0xEB, 0x90}, Raw()}));
    EXPECT_FALSE(dorvik->IsLivePollPending());
    // The echo of a new set-up, with another regime than the one kept.
    dorvik->QueueSetup(0x0F, 16, 50);
    dorvik->StartCommandTimer(100);
    Feed(Status(2, 0x0F, 16, 50));
    EXPECT_TRUE(dorvik->IsCommandAnswered());
    EXPECT_EQ(dorvik->GetMask(), 0x0F);

    // A poll that a status answers instead.
    dorvik->SendLivePoll();
    host.messages.clear();
    Feed(Status(2, 0x0F, 16, 50));
    EXPECT_FALSE(dorvik->IsLivePollPending());
    EXPECT_EQ(host.Count(UM_LOGGER_ANSWERED), 1u);
}

TEST_F(BasicAnswers, ANormalRunEndsOnceAtItsLength) {
    Connect(0x01, 64, 2);
    Feed(Cat({Status(0, 0x01, 64, 2), Raw(), Status(0, 0x01, 64, 2), Raw()}));
    EXPECT_EQ(host.Count(UM_RUN_ENDED), 1u);
    Feed(Status(2, 0x01, 64, 2));  // the logger's idle status after its last sample
    EXPECT_EQ(host.Count(UM_NEW_EXPERIMENT), 1u);
    EXPECT_EQ(host.Count(UM_RUN_ENDED), 1u);
}

TEST_F(BasicAnswers, AStopEndsTheRunAtOnceAndItsIdleStatusAnswersIt) {
    Connect();
    Feed(Cat({Status(0), Raw()}));
    ASSERT_EQ(host.Count(UM_NEW_EXPERIMENT), 1u);
    const size_t ended = host.Count(UM_RUN_ENDED);
    dorvik->QueueStop();
    dorvik->StartCommandTimer(100);
    EXPECT_EQ(LastWrite(), Bytes({0xEB, 0x92, 0x44}));
    EXPECT_EQ(host.Count(UM_RUN_ENDED), ended + 1);
    EXPECT_EQ(dorvik->GetSampleCounter(), 0u);
    // What was still on the way, then the logger's idle status.
    Feed(Cat({Status(0), Raw(), Status(2)}));
    EXPECT_EQ(host.Count(UM_NEW_EXPERIMENT), 1u) << "nothing restarts";
    EXPECT_EQ(host.Count(UM_RUN_ENDED), ended + 1);
    EXPECT_TRUE(dorvik->IsCommandAnswered());
    clock.Advance(100);
    EXPECT_EQ(port->writes.size(), 1u) << "the stop is not sent again";
}

TEST_F(BasicAnswers, AOneMillisecondRunEndsAtItsRepeatedStatusAndAsksForTheStoredRun) {
    Connect(0x01, 255, 10);
    dorvik->SendRun();
    EXPECT_TRUE(dorvik->IsOneMillisecondRun());
    Feed(Cat({Status(0, 0x01, 255), {0xEB, 0x90}, Raw(), {0xEB, 0x90}, Raw()}));
    EXPECT_TRUE(dorvik->IsBasicFastMode());
    EXPECT_EQ(host.Count(UM_NEW_EXPERIMENT), 1u);
    Feed(Status(2, 0x01, 255));
    EXPECT_FALSE(dorvik->IsBasicFastMode());
    EXPECT_EQ(host.Count(UM_RUN_ENDED), 1u);
    EXPECT_EQ(host.Count(UM_LOGGER_COMMAND), 1u);
    EXPECT_FALSE(dorvik->IsOneMillisecondRun());
    EXPECT_EQ(dorvik->GetSampleCounter(), 0u);
}

// ---- end to end

constexpr int kCom = 13;

// A search finds this logger or nothing: the port list is emptied before the simulated line
// names its number, so this base comes first.
struct WithoutComPorts {
    testing_support::NoComPorts noPorts;
};

class BasicLink : protected WithoutComPorts,
                  public testing_support::SimulatedLoggerTest<WatchedDorvik> {
protected:
    BasicLink() : SimulatedLoggerTest(kCom, std::make_unique<BasicModel>()) {}

    void SetUp() override {
        SimulatedLoggerTest::SetUp();
        if (HasFatalFailure()) return;
        settings.m_rememberPort = 1;
        dorvik->searchPorts = true;
        dorvik->Create(&host);
        ASSERT_TRUE(Wait([&] { return dorvik->IsConnected() && QueueIdle(); }));
        ASSERT_FALSE(dorvik->IsCommandFailed()) << "the sensor query was answered";
        host.messages.clear();
    }
    template <class F>
    auto Basic(F&& f) {
        return sim.line.WithModelAs<BasicModel>(std::forward<F>(f));
    }
    bool QueueIdle() const { return dorvik->IsCommandQueueEmpty() && !dorvik->IsCommandTimerOn(); }
    void SetUp(BYTE mask, BYTE rate, WORD length) {
        dorvik->QueueSetup(mask, rate, length);
        dorvik->StartCommandTimer(100);
        ASSERT_TRUE(Wait([&] { return QueueIdle(); }));
        ASSERT_FALSE(dorvik->IsCommandFailed());
        ASSERT_EQ(dorvik->GetRegimeRateCode(), rate);
    }
    // The run arrays hold `samples` samples of the enabled channels of `mask`, as the simulator
    // made them.
    void ExpectRunArrays(BYTE mask, DWORD samples) {
        int pair = 0;
        for (int ch = 0; ch < 8; ++ch) {
            if (!((mask >> ch) & 1)) continue;
            SCOPED_TRACE(ch);
            const CDataArray* x = dorvik->GetRunX(pair);
            const CDataArray* y = dorvik->GetRunY(pair);
            ++pair;
            ASSERT_NE(x, nullptr);
            ASSERT_NE(y, nullptr);
            ASSERT_EQ(x->size(), samples);
            ASSERT_EQ(y->size(), samples);
            for (DWORD i = 0; i < samples; ++i) {
                EXPECT_EQ((*x)[i], double(i));
                EXPECT_DOUBLE_EQ((*y)[i], dorvik->RawToValue(ch, BYTE(30 * ch + i))) << i;
            }
        }
        EXPECT_EQ(dorvik->GetRunX(pair), nullptr);
    }
};

TEST_F(BasicLink, ANormalRunFillsTheRunArraysAndEndsAtItsLength) {
    Basic([](BasicModel& m) { m.timeScale = 10; });
    for (BYTE rate : {BYTE(64), BYTE(128)}) {
        SCOPED_TRACE(int(rate));
        SetUp(0x85, rate, 6);
        host.messages.clear();
        const DWORD before = Basic([](BasicModel& m) { return m.recordsSent; });
        dorvik->SendRun();
        ASSERT_TRUE(Wait([&] { return host.Count(UM_RUN_ENDED) >= 1; }));
        EXPECT_EQ(host.Count(UM_NEW_EXPERIMENT), 1u);
        ExpectRunArrays(0x85, 6);
        EXPECT_FALSE(dorvik->IsBasicFastMode());
        EXPECT_EQ(dorvik->GetSampleCounter(), 0u);
        EXPECT_EQ(Basic([](BasicModel& m) { return m.recordsSent; }) - before, 6u);
    }
}

TEST_F(BasicLink, AFastRunFillsTheRunArraysAndAsksForTheStoredRun) {
    SetUp(0x03, 255, 12);
    dorvik->SendRun();
    ASSERT_TRUE(Wait([&] { return host.Count(UM_LOGGER_COMMAND) == 1; }));
    EXPECT_EQ(host.Count(UM_NEW_EXPERIMENT), 1u);
    EXPECT_EQ(host.Count(UM_RUN_ENDED), 1u);
    ExpectRunArrays(0x03, 12);
    EXPECT_FALSE(dorvik->IsBasicFastMode());
    EXPECT_TRUE(Basic([](BasicModel& m) { return m.storedRun.has_value(); }));
}

TEST_F(BasicLink, AHangUpMidRunEndsTheRunAndTellsTheUser) {
    Basic([](BasicModel& m) { m.timeScale = 10; });
    SetUp(0x03, 64, 100);
    Basic([](BasicModel& m) { m.hangUpAfterRecords = 4; });
    prompts.ExpectMessage(CDorvik::kLinkLostText, IDOK);
    dorvik->SendRun();
    ASSERT_TRUE(Wait([&] { return host.Count(UM_RUN_ENDED) == 1; }));
    ASSERT_NE(dorvik->GetRunX(0), nullptr);
    EXPECT_GE(dorvik->GetRunX(0)->size(), 3u);  // the last may die in the line with it
    EXPECT_LE(dorvik->GetRunX(0)->size(), 4u);
    EXPECT_EQ(host.Count(UM_NEW_EXPERIMENT), 1u);
    EXPECT_FALSE(dorvik->IsConnected());
    EXPECT_TRUE(dorvik->GetSerialPort().IsLinkLost());
    EXPECT_FALSE(dorvik->IsCommandTimerOn());
    EXPECT_EQ(dorvik->GetSampleCounter(), 0u) << "the next run counts from 0";
    EXPECT_EQ(prompts.Shown().size(), 1u) << "shown once the receive tick had returned";
    RunUntil(
        clock, [] { return false; }, std::chrono::milliseconds(100));
    EXPECT_EQ(host.Count(UM_RUN_ENDED), 1u);

    // The logger is plugged in again: its idle status ends nothing more, and a new run counts
    // from 0.
    SimulatedComPort again{kCom, std::make_unique<BasicModel>()};
    ASSERT_TRUE(again.line.IsReady()) << again.line.ErrorText();
    again.line.WithModelAs<BasicModel>([](BasicModel& m) {
        m.mask = 0x05;
        m.runLength = 5;
        m.timeScale = 10;
    });
    dorvik->Connect();
    ASSERT_TRUE(Wait(
        [&] { return dorvik->IsConnected() && !dorvik->IsDetectionTimerOn() && QueueIdle(); }));
    EXPECT_EQ(host.Count(UM_RUN_ENDED), 1u) << "told once";
    host.messages.clear();
    dorvik->SendRun();
    ASSERT_TRUE(Wait([&] { return host.Count(UM_RUN_ENDED) >= 1; }));
    ExpectRunArrays(0x05, 5);
}

TEST_F(BasicLink, ASetUpAfterALivePollIsConfirmed) {
    dorvik->SendLivePoll();
    ASSERT_TRUE(Wait([&] { return !dorvik->IsLivePollPending(); }));
    SetUp(0x0F, 16, 50);
    EXPECT_EQ(Basic([](BasicModel& m) { return m.setups.size(); }), 1u) << "confirmed at once";
}

TEST_F(BasicLink, LeavingThePortEndsARunStartedOnIt) {
    Basic([](BasicModel& m) { m.timeScale = 10; });
    SetUp(0x01, 64, 1000);
    dorvik->SendRun();
    ASSERT_TRUE(Wait([&] { return dorvik->GetSampleCounter() >= 2; }));
    ASSERT_EQ(host.Count(UM_NEW_EXPERIMENT), 1u);
    EXPECT_EQ(host.Count(UM_RUN_ENDED), 0u);
    // The document connects again: the same port is searched while the logger still runs.
    dorvik->Connect();
    EXPECT_EQ(host.Count(UM_RUN_ENDED), 1u);
    EXPECT_EQ(dorvik->GetSampleCounter(), 0u);
    EXPECT_FALSE(dorvik->IsConnected());
    const size_t seen = Basic([](BasicModel& m) { return m.recordsSent; });
    RunUntil(
        clock, [] { return false; }, std::chrono::milliseconds(350));
    ASSERT_GT(Basic([](BasicModel& m) { return m.recordsSent; }), seen + 1);
    EXPECT_EQ(host.Count(UM_NEW_EXPERIMENT), 1u) << "its running statuses start nothing";
    EXPECT_FALSE(dorvik->IsConnected());
    EXPECT_EQ(dorvik->GetSampleCounter(), 0u);
}

}  // namespace
