// The logger object against the simulated QK over a pseudo-terminal, at real time: the real
// serial link and termios layer, the receive timer, the command queue and the answer machine.

#include <gtest/gtest.h>

#include <cstring>

#include "tests/logger/dorvik_fixture.h"
#include "tests/support/core/sim_port.h"
#include "tools/dorvik-sim/qk_model.h"

namespace {

using namespace dorvik_test;
using dorvik_sim::QkModel;
using dorvik_sim::RegimeReply;
using testing_support::SimulatedComPort;

constexpr int kCom = 9;

// Run record fields as the decoding reads them.
int SampleNumber(const Bytes& r) {
    return (r[0] & 63) * 16 + (r[1] >> 4) - 1;
}
int RawOfChannel0(const Bytes& r) {
    return (r[7] & 3) * 256 + r[2];
}
int RawOfChannel2(const Bytes& r) {
    return ((r[7] >> 4) & 3) * 256 + r[4];
}

class QkLink : public testing_support::SimulatedQkTest<WatchedDorvik> {
protected:
    explicit QkLink(BYTE variant = QkModel::kFullVariant)
        : SimulatedQkTest(kCom, std::make_unique<QkModel>(variant)) {}

    void SetUp() override {
        SimulatedQkTest::SetUp();
        if (HasFatalFailure()) return;
        dorvik->Create(&host);
        OpenQkLink();
    }

    void Identify() {
        dorvik->SendToDorvik(Bytes(CDorvik::kWakeBlockSize, 0));
        dorvik->SendQKStatusRequest();
        ASSERT_TRUE(Wait([&] { return dorvik->IsQKModel(); }));
        EXPECT_EQ(Qk([](QkModel& m) { return m.zeroBytesSkipped; }), CDorvik::kWakeBlockSize);
    }
    // Starts a run as the document's Run command does on a QK.
    void StartRun(WORD rateCode, BYTE mask, WORD length) {
        dorvik->QueueWriteLoggingRegime(rateCode, mask, length, 1);
        dorvik->StartCommandTimer(50);
    }
};

class QkVariantLink : public QkLink, public testing::WithParamInterface<BYTE> {
protected:
    QkVariantLink() : QkLink(GetParam()) {}
};

TEST_P(QkVariantLink, IdentifiesTheVariantWithItsChannels) {
    Identify();
    const BYTE variant = GetParam();
    const BYTE enabled = variant == QkModel::kTimerVariant ? 0x60
                         : variant == QkModel::kVariant81  ? 0x67
                                                           : 0x7F;
    for (int ch = 0; ch < 7; ++ch)
        EXPECT_EQ(dorvik->GetLiveChannel(ch).enabled, (enabled >> ch) & 1) << ch;
    EXPECT_EQ(dorvik->IsTimerVariant(), variant == QkModel::kTimerVariant);
    EXPECT_EQ(dorvik->HasChannel3(), variant == QkModel::kFullVariant);
    EXPECT_EQ(host.Count(UM_LOGGER_IDENTIFIED), 1u);
}

INSTANTIATE_TEST_SUITE_P(Variants, QkVariantLink,
                         testing::Values(QkModel::kFullVariant, QkModel::kVariant81,
                                         QkModel::kTimerVariant));

TEST_F(QkLink, TheFirstCommandsSetTheClockAndReadTheSensors) {
    Identify();
    dorvik->QueueQKSetDate();
    dorvik->QueueQKSetTime();
    for (BYTE ch : {0, 2, 5, 6})
        dorvik->QueueReadSensorInfo(255, ch);
    dorvik->StartCommandTimer(100);
    ASSERT_TRUE(QueueDone());
    EXPECT_FALSE(dorvik->IsCommandFailed());
    EXPECT_EQ(Qk([](QkModel& m) { return m.Letters(); }),
              (std::vector<std::string>{"AA", "BF", "BG", "AJ", "AJ", "AJ", "AJ"}));
    EXPECT_EQ(Qk([](QkModel& m) { return Bytes(m.dateSet, m.dateSet + 3); }), Bytes({26, 3, 14}));
    EXPECT_EQ(Qk([](QkModel& m) { return Bytes(m.timeSet, m.timeSet + 3); }), Bytes({9, 26, 53}));
    ASSERT_EQ(dorvik->sensorInfos.size(), 4u);
    const char* names[] = {"Temperature", "Light", "Voltage", "No Sensor"};
    for (size_t i = 0; i < 4; ++i) {
        const Bytes& body = dorvik->sensorInfos[i].body;
        EXPECT_EQ(dorvik->sensorInfos[i].channel, BYTE(i < 2 ? i * 2 : i + 3));
        EXPECT_EQ(std::string(body.begin() + 16, body.begin() + 16 + long(strlen(names[i]))),
                  names[i]);
    }
    EXPECT_FALSE(dorvik->IsSensorReadUnderWay());
}

TEST_F(QkLink, ASetUpIsWrittenAndStartsNoRun) {
    Identify();
    dorvik->QueueWriteLoggingRegime(40, 0x07, 100, 0);
    dorvik->StartCommandTimer(50);
    ASSERT_TRUE(QueueDone());
    EXPECT_FALSE(dorvik->IsCommandFailed());
    const auto regimes = Qk([](QkModel& m) { return m.regimes; });
    ASSERT_EQ(regimes.size(), 1u);
    EXPECT_TRUE(regimes[0].checksumOk);
    EXPECT_FALSE(regimes[0].startsRun);
    EXPECT_EQ(regimes[0].mask, 0x07);
    EXPECT_EQ(regimes[0].runLength, 100);
    EXPECT_FALSE(Qk([](QkModel& m) { return m.running; }));
}

TEST_F(QkLink, ARunStreamsItsRecordsInOrderUntilItsLength) {
    for (RegimeReply reply : {RegimeReply::None, RegimeReply::Ack}) {
        SCOPED_TRACE(int(reply));
        host.messages.clear();
        dorvik->runRecords.clear();
        Qk([&](QkModel& m) { m.regimeReply = reply; });
        if (!dorvik->IsQKModel()) Identify();
        StartRun(51, 0x05, 25);  // 20 ms
        // The run-end record after the last sample ends nothing more.
        ASSERT_TRUE(Wait([&] {
            return host.Count(UM_RUN_ENDED) >= 1 && !Qk([](QkModel& m) { return m.running; }) &&
                   sim.line.PendingOutput() == 0 && dorvik->GetBufferedCount() == 0;
        })) << dorvik->runRecords.size()
            << " records";
        EXPECT_EQ(host.Count(UM_RUN_ENDED), 1u);
        EXPECT_EQ(Qk([](QkModel& m) { return m.CountOf("BD"); }),
                  reply == RegimeReply::None ? 1u : 2u);
        ASSERT_EQ(dorvik->runRecords.size(), 25u);
        for (int i = 0; i < 25; ++i) {
            const Bytes& r = dorvik->runRecords[size_t(i)];
            EXPECT_EQ(SampleNumber(r), i);
            EXPECT_EQ(RawOfChannel0(r), i);
            EXPECT_EQ(RawOfChannel2(r), 200 + i);
        }
        EXPECT_EQ(host.Count(UM_NEW_EXPERIMENT), 1u);
        EXPECT_EQ(dorvik->GetSampleCounter(), 24u);
        EXPECT_FALSE(dorvik->IsCommandFailed());
    }
}

TEST_F(QkLink, AStopIsAcknowledgedAndEndsTheRun) {
    Identify();
    StartRun(51, 0x01, 1000);
    ASSERT_TRUE(Wait([&] { return dorvik->runRecords.size() >= 5; }));
    dorvik->QueueQKStop();
    dorvik->StartCommandTimer(100);
    ASSERT_TRUE(Wait([&] { return host.Count(UM_RUN_ENDED) == 1; }));
    EXPECT_EQ(dorvik->GetCurrentCommand().code, QK_COMMAND_STOP);
    EXPECT_TRUE(dorvik->IsCommandAnswered());
    EXPECT_FALSE(Qk([](QkModel& m) { return m.running; }));
    const size_t records = dorvik->runRecords.size();
    RunUntil(
        clock, [] { return false; }, std::chrono::milliseconds(150));
    EXPECT_LE(dorvik->runRecords.size(), records + 1) << "nothing after the stop but one in flight";
}

TEST_F(QkLink, ARegimeRefusedWithChecksumFailedStartsAgainFromBD) {
    Identify();
    Qk([](QkModel& m) { m.regimeReplies = {RegimeReply::Cks}; });
    StartRun(51, 0x01, 5);
    ASSERT_TRUE(Wait([&] { return host.Count(UM_RUN_ENDED) >= 1; }));
    EXPECT_EQ(Qk([](QkModel& m) { return m.CountOf("BD"); }), 2u);
    EXPECT_EQ(Qk([](QkModel& m) { return m.regimes.size(); }), 2u);
    EXPECT_EQ(dorvik->runRecords.size(), 5u);
}

TEST_F(QkLink, FaultsOnTheLineCostRetriesButNoAnswer) {
    struct Case {
        const char* name;
        std::function<void(QkModel&)> fault;
    };
    const Case cases[] = {
        {"bad checksums", [](QkModel& m) { m.corruptAnswerChecksums = 2; }},
        {"a token",
         [](QkModel& m) {
             m.tokenAnswers = {"NAK", "INV"};
         }},
        {"silence", [](QkModel& m) { m.ignoreCommands = 2; }},
        {"late answers", [](QkModel& m) { m.answerDelay = std::chrono::milliseconds(120); }},
        {"duplicated answers", [](QkModel& m) { m.duplicateAnswers = true; }},
        {"garbage",
         [](QkModel& m) {
             m.garbageBeforeAnswer = {0x01, 'S', 0x00, 0xAA, 0x07};
         }},
    };
    Identify();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dorvik->sensorInfos.clear();
        Qk([&](QkModel& m) {
            m.answerDelay = std::chrono::milliseconds(0);
            m.duplicateAnswers = false;
            c.fault(m);
        });
        dorvik->QueueReadSensorInfo(255, 0);
        dorvik->QueueReadSensorInfo(255, 2);
        dorvik->StartCommandTimer(100);
        ASSERT_TRUE(QueueDone());
        EXPECT_FALSE(dorvik->IsCommandFailed());
        // Every description went to its own channel, in order.
        std::vector<BYTE> channels;
        for (const auto& info : dorvik->sensorInfos)
            if (channels.empty() || channels.back() != info.channel)
                channels.push_back(info.channel);
        EXPECT_EQ(channels, Bytes({0, 2}));
        for (const auto& info : dorvik->sensorInfos) {
            const char* name = info.channel == 0 ? "Temperature" : "Light";
            EXPECT_EQ(
                std::string(info.body.begin() + 16, info.body.begin() + 16 + long(strlen(name))),
                name);
        }
        // Late copies come in before the next case.
        RunUntil(
            clock, [] { return false; }, std::chrono::milliseconds(400));
    }
}

TEST_F(QkLink, TheSnapshotReachesTheMeters) {
    Identify();
    dorvik->SendQKSnapshot();
    ASSERT_TRUE(Wait([&] { return host.Count(UM_UPDATE_METERS) == 1; }));
    ASSERT_EQ(dorvik->snapshots.size(), 1u);
    const Bytes& s = dorvik->snapshots[0];
    ASSERT_EQ(s.size(), 17u);
    EXPECT_EQ(s[0], 'C');
    for (int ch = 0; ch < 7; ++ch)
        EXPECT_EQ(((s[1 + 2 * ch] << 8) | s[2 + 2 * ch]) >> 6, ch == 3 ? 44 : 100 * ch) << ch;
}

TEST_F(QkLink, StoredSetsAreSurveyedAndReadByChannel) {
    Qk([](QkModel& m) {
        dorvik_sim::QkStoredSet set;
        set.mask = 0x05;
        set.sampleCount = 50;
        for (int ch : {0, 2})
            for (WORD i = 0; i < 50; ++i)
                set.samples[size_t(ch)].push_back(WORD(ch * 300 + i));
        m.storedSets[2] = set;
    });
    Identify();
    dorvik->QueueReadMemory();
    dorvik->StartCommandTimer(100);
    ASSERT_TRUE(Wait([&] { return host.Count(UM_SELECT_DOWNLOAD) == 1; }));
    ASSERT_EQ(dorvik->headers.size(), 1u);
    EXPECT_EQ(dorvik->headers[0].first, 2);
    for (int set : {0, 1, 3})
        EXPECT_EQ(dorvik->GetDataSetHeader(set).mode, 3) << set;

    dorvik->QueueQKReadData(2, 2, 0, 49);
    dorvik->StartCommandTimer(100);
    ASSERT_TRUE(QueueDone());
    ASSERT_EQ(dorvik->setData.size(), 1u);
    const Bytes& data = dorvik->setData[0];
    ASSERT_EQ(data.size(), 100u);
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(((data[size_t(2 * i)] << 8) | data[size_t(2 * i + 1)]) >> 6, 600 + i) << i;
}

TEST_F(QkLink, ATimingRunHandsOnItsEventsUntilTheStop) {
    Identify();
    dorvik->QueueQKTiming();
    dorvik->StartCommandTimer(50);
    ASSERT_TRUE(Wait([&] { return Qk([](QkModel& m) { return m.timing; }); }));
    Qk([](QkModel& m) {
        m.QueueTimingEvent(1, 1000);
        m.QueueTimingEvent(0, 0x4E414B00);  // a count that spells "NAK"
        m.QueueTimingEvent(2, 0x4E414C00);
    });
    ASSERT_TRUE(Wait([&] { return dorvik->timingEvents.size() == 3; }));
    EXPECT_EQ(dorvik->timingEvents[1], Bytes({0, 'N', 'A', 'K', 0}));
    dorvik->QueueQKStop();
    dorvik->StartCommandTimer(100);
    ASSERT_TRUE(Wait([&] { return host.Count(UM_RUN_ENDED) == 1; }));
    EXPECT_EQ(dorvik->timingEvents.size(), 3u);
    EXPECT_EQ(dorvik->GetLiveChannel(5).enabled, 1);
    EXPECT_EQ(dorvik->GetChannelList()[0], 5);
}

TEST_F(QkLink, AHangUpMidRunEndsTheRunAndTellsTheUser) {
    Identify();
    Qk([](QkModel& m) { m.hangUpAfterRecords = 4; });
    prompts.ExpectMessage(CDorvik::kLinkLostText, IDOK);
    StartRun(51, 0x01, 100);
    ASSERT_TRUE(Wait([&] { return host.Count(UM_RUN_ENDED) == 1; }));
    EXPECT_GE(dorvik->runRecords.size(), 3u);  // the last may die in the line with it
    EXPECT_LE(dorvik->runRecords.size(), 4u);
    EXPECT_FALSE(dorvik->IsConnected());
    EXPECT_TRUE(dorvik->GetSerialPort().IsLinkLost());
    EXPECT_FALSE(dorvik->IsCommandTimerOn());
    EXPECT_EQ(prompts.Shown().size(), 1u) << "shown once the receive tick had returned";
    // Told once.
    RunUntil(
        clock, [] { return false; }, std::chrono::milliseconds(100));
    EXPECT_EQ(host.Count(UM_RUN_ENDED), 1u);
}

}  // namespace
