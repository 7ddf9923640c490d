// A live run on the simulated QK over a pseudo-terminal, at real time, decoded for real: the
// sensor descriptions give the gains, the run records fill the arrays the document takes over.

#include <gtest/gtest.h>

#include <map>

#include "tests/logger/dorvik_fixture.h"
#include "tests/support/core/sim_port.h"
#include "tools/dorvik-sim/qk_model.h"

namespace {

using namespace dorvik_test;
using dorvik_sim::QkModel;
using dorvik_sim::QkSensor;
using testing_support::SimulatedComPort;

constexpr int kCom = 11;
constexpr WORD kRunLength = 25;

class LiveDorvik : public CDorvik {
public:
    using CDorvik::CDorvik;
    SYSTEMTIME LocalTimeNow() const override { return {2026, 3, 6, 14, 9, 26, 53, 0}; }
    // The test opens its own link: no port search.
    BOOL Connect() override { return TRUE; }
};

// What the document keeps of a run: the arrays it took, by the logger's channel.
struct TakenChannel {
    ChannelDescriptionStruct description;
    CDataArrayPtr x, y;
};

class QkLiveRun : public testing_support::SimulatedLoggerTest<LiveDorvik> {
protected:
    QkLiveRun() : SimulatedLoggerTest(kCom, std::make_unique<QkModel>()) {}

    std::map<int, TakenChannel> taken;

    void SetUp() override {
        SimulatedLoggerTest::SetUp();
        if (HasFatalFailure()) return;
        sim.line.WithModelAs<QkModel>([](QkModel& m) {
            m.liveSensors[5] = QkSensor{"Temperature",
                                        "\xDF"
                                        "F",
                                        32,
                                        212,
                                        0,
                                        1023};
            m.liveSensors[6] = QkSensor{"Voltage", "V", -2.5f, 2.5f, 0, 1023};
        });
        // The document's side of UM_NEW_EXPERIMENT: a data set per channel, taking its arrays.
        host.onMessage = [this](UINT message) {
            if (message != UM_NEW_EXPERIMENT) return;
            const BYTE kind = BYTE(host.messages.back().lParam);
            for (int i = 0; i < dorvik->GetChannelCount(kind); ++i) {
                TakenChannel channel;
                ASSERT_TRUE(dorvik->GetChannelDescription(i, kind, channel.description)) << i;
                channel.x = dorvik->TakeRunX(i);
                channel.y = dorvik->TakeRunY(i);
                ASSERT_EQ(channel.x.get(), channel.description.x);
                ASSERT_EQ(channel.y.get(), channel.description.y);
                taken[channel.description.channel] = std::move(channel);
            }
        };
        dorvik->Create(&host);
        OpenQkLink();
        if (HasFatalFailure()) return;

        // Found, and its sensors read as on connecting.
        dorvik->SendToDorvik(Bytes(CDorvik::kWakeBlockSize, 0));
        dorvik->SendQKStatusRequest();
        ASSERT_TRUE(Wait([&] { return dorvik->IsQKModel(); }));
        for (BYTE ch : {0, 2, 5, 6})
            dorvik->QueueReadSensorInfo(255, ch);
        dorvik->StartCommandTimer(100);
        ASSERT_TRUE(Wait([&] { return dorvik->IsCommandQueueEmpty(); }));
        ASSERT_EQ(host.Count(UM_LOGGER_ANSWERED), 1u);
    }
    void Run(WORD length) {
        ASSERT_TRUE(dorvik->QueueWriteLoggingRegime(51, 0x7F, length, 1));  // 20 ms
        dorvik->StartCommandTimer(50);
        // Ended by the record at the last sample; the logger's run-end record follows.
        ASSERT_TRUE(Wait([&] { return host.Count(UM_RUN_ENDED) >= 1; }));
    }
    // The value the logger object should make of channel `ch`'s raw reading.
    static double Expected(int ch, double raw) {
        switch (ch) {
            case 5: {
                const double fahrenheit = 32 + raw * 180 / 1023;
                return (fahrenheit - 32) * 5 / 9;
            }
            case 6:
                return raw * 5 / 1023 - 2.5;
            default:
                return QkOwnChannelValue(ch, raw);
        }
    }
    WORD Raw(int ch, DWORD sample) {
        return sim.line.WithModelAs<QkModel>([&](QkModel& m) { return m.rawValue(ch, sample); });
    }
};

TEST_F(QkLiveRun, At20msTheRunArraysHoldTheConvertedSamplesUntilTheRunLength) {
    Run(kRunLength);
    EXPECT_EQ(host.Count(UM_NEW_EXPERIMENT), 1u);
    ASSERT_EQ(taken.size(), 7u);
    for (auto& [ch, channel] : taken) {
        SCOPED_TRACE(ch);
        ASSERT_EQ(channel.x->size(), kRunLength);
        ASSERT_EQ(channel.y->size(), kRunLength);
        for (DWORD i = 0; i < kRunLength; ++i) {
            EXPECT_EQ((*channel.x)[i], i);
            EXPECT_NEAR((*channel.y)[i], Expected(ch, Raw(ch, i)), 1e-9) << i;
        }
    }
    EXPECT_EQ(taken[5].description.name, "Input A: Temperature");
    EXPECT_EQ(taken[5].description.unit, "°C");
    EXPECT_EQ(taken[6].description.name, "Input B: Voltage ±2.5");
    EXPECT_EQ(taken[6].description.sensorId, 11);
    EXPECT_EQ(taken[2].description.name, "Light 0 - 130");

    // Nothing comes after the end.
    RunUntil(
        clock, [] { return false; }, std::chrono::milliseconds(150));
    EXPECT_EQ(taken[0].x->size(), kRunLength);
    EXPECT_EQ(host.Count(UM_NEW_EXPERIMENT), 1u);
    EXPECT_FALSE(dorvik->IsRunActive());
}

TEST_F(QkLiveRun, ARunWhoseFirstRecordIsLostStartsAtItsSecond) {
    sim.line.WithModelAs<QkModel>([](QkModel& m) { m.corruptRecordChecksums = 1; });
    Run(kRunLength);
    EXPECT_EQ(host.Count(UM_NEW_EXPERIMENT), 1u);
    ASSERT_EQ(taken.size(), 7u);
    const CDataArray& x = *taken[4].x;
    ASSERT_EQ(x.size(), kRunLength - 1u);
    EXPECT_EQ(x.front(), 1);
    EXPECT_EQ(x.back(), kRunLength - 1);
    EXPECT_NEAR(taken[4].y->front(), Expected(4, Raw(4, 1)), 1e-9);
}

}  // namespace
