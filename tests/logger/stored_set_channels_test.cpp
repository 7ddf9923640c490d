// A QK's stored set is read and converted by the sensors it was recorded with, whatever is
// plugged into the inputs now: end to end against the simulated QK over a pseudo-terminal.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "logger/calibration.h"
#include "tests/logger/dorvik_fixture.h"
#include "tests/support/core/sim_port.h"
#include "tools/dorvik-sim/qk_model.h"

namespace {

using namespace dorvik_test;
using dorvik_sim::QkModel;
using dorvik_sim::QkSensor;
using dorvik_sim::QkStoredSet;

constexpr int kCom = 12;
constexpr BYTE kSet = 1;
constexpr WORD kSamples = 200;
constexpr double kSecondsPerSample = 0.05;

const QkSensor kNoSensor{"No Sensor", "", 0, 0, 0, 1023};
const QkSensor kVoltage{"Voltage", "V", -2.5f, 2.5f, 0, 1023};
const QkSensor kPulse{"Heart rate", "bpm", 0, 5, 0, 1023};

class StoredSetDorvik : public CDorvik {
public:
    using CDorvik::CDorvik;
    BOOL Connect() override { return TRUE; }  // the test opens its own link
    // The header read of the memory survey that comes before the user's choice.
    void QueueSurveyOf(BYTE set) {
        CommandParametersStruct command;
        command.code = QK_COMMAND_READ_MEMORY;
        command.setIndex = set;
        AppendCommand(command);
    }
};

// A pulse of 75 beats a minute on a baseline, at 20 samples a second.
WORD Raw(int channel, DWORD sample) {
    if (channel < 5) return WORD(channel * 50 + sample % 100);
    return WORD(500 + 200 * std::sin(2 * std::numbers::pi * double(sample) / 16));
}

class StoredSetChannels : public testing_support::SimulatedQkTest<StoredSetDorvik> {
protected:
    StoredSetChannels() : SimulatedQkTest(kCom) {}

    void SetUp() override {
        SimulatedQkTest::SetUp();
        if (HasFatalFailure()) return;
        ConnectQk();
    }
};

// The inputs' sensors now and when the set was recorded, in every combination that matters: an
// input empty now but used then, used now but empty then, and a pulse sensor on one side only.
TEST_F(StoredSetChannels, AreDecidedAndConvertedByTheSetsOwnSensors) {
    struct Case {
        const char* name;
        int input;  // QK channel 5 or 6
        QkSensor live;
        QkSensor stored;
        std::vector<std::string> reads;
        bool pulse;  // converted as a heart rate
    };
    const Case cases[] = {
        {"B empty now, voltage then", 6, kNoSensor, kVoltage, {"CA", "CG"}, false},
        {"B empty now, pulse then", 6, kNoSensor, kPulse, {"CA", "CG"}, true},
        {"B voltage now, empty then", 6, kVoltage, kNoSensor, {"CA"}, false},
        {"A pulse now, voltage then", 5, kPulse, kVoltage, {"CA", "CF"}, false},
        {"A voltage now, pulse then", 5, kVoltage, kPulse, {"CA", "CF"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int slot = CDorvik::ChannelToSlot(c.input);
        QkStoredSet set = dorvik_sim::MakeStoredSet(BYTE(1 | 1 << c.input), kSamples, Raw);
        set.period[0] = 16, set.period[1] = 50;  // 0.05 s
        set.sensors[5] = set.sensors[6] = kNoSensor;
        set.sensors[size_t(c.input)] = c.stored;
        Qk([&](QkModel& m) {
            m.liveSensors[5] = m.liveSensors[6] = kNoSensor;
            m.liveSensors[size_t(c.input)] = c.live;
            m.storedSets[kSet] = set;
            m.commands.clear();
        });

        // What is plugged in now, read as on connecting.
        dorvik->QueueReadSensorInfo(255, 5);
        dorvik->QueueReadSensorInfo(255, 6);
        dorvik->StartCommandTimer(100);
        ASSERT_TRUE(QueueDone());
        ASSERT_EQ(settings.m_sensorSlots[slot].absent, c.live.name == "No Sensor" ? 1 : 0);
        ASSERT_EQ(settings.m_sensorSlots[slot].type == 3, c.live.name == "Heart rate");

        // The user chose the set.
        host.messages.clear();
        dorvik->QueueSurveyOf(kSet);
        for (BYTE part : {0, 2, 5, 6})
            dorvik->QueueReadSensorInfo(kSet, part);
        dorvik->QueueReadDataHeader(kSet);
        dorvik->StartCommandTimer(100);
        ASSERT_TRUE(Wait([&] { return host.Count(UM_RUN_ENDED) >= 1; }));
        EXPECT_TRUE(QueueDone());
        EXPECT_EQ(DataReads(), c.reads);
        EXPECT_EQ(host.Count(UM_RUN_ENDED), 1u);
        EXPECT_TRUE(prompts.Shown().empty());
        const BYTE count = dorvik->GetChannelCount(CDorvik::kStoredRun);
        ASSERT_EQ(count, c.reads.size());
        if (count < 2) continue;

        ChannelDescriptionStruct input;
        ASSERT_TRUE(dorvik->GetChannelDescription(1, CDorvik::kStoredRun, input));
        EXPECT_EQ(input.channel, c.input);
        EXPECT_EQ(input.kindName, CString(c.stored.name.c_str()));
        ASSERT_TRUE(input.x && input.y);
        ASSERT_EQ(input.y->size(), kSamples);
        CHeartRateDetector pulse;
        int beats = 0;
        for (DWORD i = 0; i < kSamples; ++i) {
            const double raw = set.samples[size_t(c.input)][i];
            const double expected =
                c.pulse ? pulse.Add(raw, i, kSecondsPerSample) : raw * 5 / 1023 - 2.5;
            beats += expected > 0;
            ASSERT_NEAR((*input.y)[i], expected, 1e-9) << "sample " << i;
        }
        if (c.pulse) {
            EXPECT_GT(beats, 50) << "the rate is known for the last seconds";
            EXPECT_NEAR(input.y->back(), 75, 1);
        }
    }
}

}  // namespace
