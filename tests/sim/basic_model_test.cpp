// The simulated basic Dorvik seen from a raw COM port at 2400 baud: its commands, status records,
// run streams, stored run and faults.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <vector>

#include "platform/comm/comm.h"
#include "tests/support/core/sim_port.h"
#include "tools/dorvik-sim/basic_model.h"

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<BYTE>;
using dorvik_sim::BasicModel;
using dorvik_sim::BasicStoredRun;
using dorvik_sim::Line;
using testing_support::SimulatedComPort;

constexpr auto kPatience = 10s;

Bytes Command(BYTE code, Bytes extra = {}) {
    extra.insert(extra.begin(), {0xEB, 0x92, code});
    return extra;
}
Bytes Status(BYTE state, BYTE mask, BYTE rate, WORD length, const Bytes& clock, BYTE version) {
    Bytes s = {0xEB, 0x90, state, mask, rate, BYTE(length >> 8), BYTE(length)};
    s.insert(s.end(), clock.begin(), clock.end());
    s.push_back(version);
    return s;
}
Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}
// EB 90 and the 8 raw bytes of a sample as the model's default makes them.
Bytes Record(DWORD sample) {
    Bytes r = {0xEB, 0x90};
    for (int ch = 0; ch < 8; ++ch)
        r.push_back(BYTE(30 * ch + sample));
    return r;
}

class SimBasic : public testing_support::RawPortTest {
protected:
    SimBasic() : RawPortTest(12, std::make_unique<BasicModel>(), 2400) {}

    const Bytes clock = {9, 30, 0, 26, 3, 14};

    template <class F>
    auto Basic(F&& f) {
        return sim.line.WithModelAs<BasicModel>(std::forward<F>(f));
    }
    void Setup(BYTE mask, BYTE rate, WORD length) {
        Write(Command(0x0F, {mask, rate, BYTE(length >> 8), BYTE(length), 9, 30, 0, 26, 3, 14}));
        ASSERT_EQ(Read(14), Status(2, mask, rate, length, clock, 4));
    }
};

TEST_F(SimBasic, AnswersStatusSetUpAndSensorQuery) {
    Write({0x00, 0x92, 0xEB});  // a stray byte, then a lead that begins the command
    Write({0x92, 0xF0});
    EXPECT_EQ(Read(14), Status(2, 0x07, 64, 10, clock, 4));
    Write(Command(0x0F, {0x83, 128, 0x01, 0x2C, 14, 9, 26, 26, 3, 6}));
    EXPECT_EQ(Read(14), Status(2, 0x83, 128, 300, {14, 9, 26, 26, 3, 6}, 4));
    Write(Command(0xC8));
    EXPECT_EQ(Read(14), Status(5, 0x83, 128, 300, {14, 9, 26, 26, 3, 6}, 4));
    Write(Command(0xFA));
    EXPECT_EQ(Read(10), Record(0));
    EXPECT_EQ(Basic([](BasicModel& m) { return m.commands; }), Bytes({0xF0, 0x0F, 0xC8, 0xFA}));
    EXPECT_EQ(Basic([](BasicModel& m) { return m.setups.size(); }), 1u);
}

TEST_F(SimBasic, ANormalRunSendsAStatusWithEachSampleAndIsKept) {
    Basic([](BasicModel& m) { m.timeScale = 10; });
    Setup(0x05, 64, 3);
    Write(Command(0xAA));
    const Bytes running = Status(0, 0x05, 64, 3, clock, 4);
    const Bytes got = Read(3 * 22);
    ASSERT_EQ(got.size(), 3u * 22);
    for (DWORD i = 0; i < 3; ++i) {
        const Bytes sample(got.begin() + 22 * i, got.begin() + 22 * (i + 1));
        const Bytes record = Record(i);
        EXPECT_EQ(sample, Cat({running, Bytes(record.begin() + 2, record.end())})) << i;
    }
    EXPECT_TRUE(Read(0, 150ms).empty()) << "the run ends silently";
    const auto stored = Basic([](BasicModel& m) { return m.storedRun; });
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->runLength, 3);
    EXPECT_EQ(stored->data, Bytes({0, 60, 1, 61, 2, 62})) << "channels 0 and 2 of each sample";
}

TEST_F(SimBasic, AFastRunSendsShortRecordsAndEndsWithTheIdleStatus) {
    Setup(0x01, 255, 4);
    Write(Command(0xAA));
    Bytes expected = Status(0, 0x01, 255, 4, clock, 4);
    for (DWORD i = 0; i < 4; ++i)
        expected = Cat({expected, Record(i)});
    expected = Cat({expected, Status(2, 0x01, 255, 4, clock, 4)});
    EXPECT_EQ(Read(expected.size()), expected);
    EXPECT_FALSE(Basic([](BasicModel& m) { return m.running; }));
}

TEST_F(SimBasic, AStopEndsARunAndKeepsWhatWasRecorded) {
    Basic([](BasicModel& m) { m.timeScale = 10; });
    Setup(0x01, 64, 1000);
    Write(Command(0xAA));
    Read(2 * 22);
    Write(Command(0x44));
    const Bytes idle = Status(2, 0x01, 64, 1000, clock, 4);
    ASSERT_TRUE(
        Line::WaitFor([&] { return !Basic([](BasicModel& m) { return m.running; }); }, kPatience));
    const Bytes rest = Read(0, 300ms);
    ASSERT_GE(rest.size(), idle.size());
    EXPECT_EQ(Bytes(rest.end() - ptrdiff_t(idle.size()), rest.end()), idle);
    const auto stored = Basic([](BasicModel& m) { return m.storedRun; });
    ASSERT_TRUE(stored);
    EXPECT_GE(stored->runLength, 2);
    EXPECT_EQ(stored->data.size(), stored->runLength);
}

// 3 channels of 100 samples: two blocks, the second with 44 data bytes and 212 of padding.
BasicStoredRun StoredRun() {
    BasicStoredRun run;
    run.mask = 0x07;
    run.rateCode = 16;
    run.runLength = 100;
    for (int i = 0; i < 300; ++i)
        run.data.push_back(BYTE(i * 7));
    return run;
}

TEST_F(SimBasic, ServesTheStoredRunAsNumberedBlocks) {
    sim.line.SetPacing(false);
    Basic([](BasicModel& m) { m.storedRun = StoredRun(); });
    Write(Command(0x55));
    const Bytes got = Read(2 * 272);
    ASSERT_EQ(got.size(), 2u * 272);
    const Bytes data = StoredRun().data;
    for (size_t b = 0; b < 2; ++b) {
        SCOPED_TRACE(b);
        const Bytes block(got.begin() + ptrdiff_t(272 * b), got.begin() + ptrdiff_t(272 * (b + 1)));
        EXPECT_EQ(Bytes(block.begin(), block.begin() + 14), Status(1, 0x07, 16, 100, clock, 4));
        EXPECT_EQ(block[14], b);
        const size_t length = b == 0 ? 256 : 44;
        EXPECT_TRUE(std::equal(block.begin() + 15, block.begin() + 15 + ptrdiff_t(length),
                               data.begin() + ptrdiff_t(256 * b)));
        EXPECT_TRUE(std::all_of(block.begin() + 15 + ptrdiff_t(length), block.end() - 1,
                                [](BYTE x) { return x == 0; }));
        DWORD sum = 0;
        for (size_t i = 0; i + 1 < block.size(); ++i)
            sum += block[i];
        EXPECT_EQ(block.back(), BYTE(sum));
    }
}

TEST_F(SimBasic, InjectsFaultsIntoTheDownload) {
    sim.line.SetPacing(false);
    const std::vector<Bytes> blocks = [] {
        BasicModel model;
        return model.Blocks(StoredRun());
    }();
    auto withNumber = [](Bytes block, BYTE number) {
        block.back() = BYTE(block.back() - block[14] + number);
        block[14] = number;
        return block;
    };
    Bytes badSum = blocks[1];
    ++badSum.back();
    struct Case {
        const char* name;
        std::function<void(BasicModel&)> fault;
        Bytes expected;
    };
    const Case cases[] = {
        {"bad checksum", [](BasicModel& m) { m.corruptBlock = 1; }, Cat({blocks[0], badSum})},
        {"block left out", [](BasicModel& m) { m.dropBlock = 0; }, blocks[1]},
        {"block misnumbered",
         [](BasicModel& m) {
             m.misnumberBlock = 1;
             m.misnumberAs = 0;
         },
         Cat({blocks[0], withNumber(blocks[1], 0)})},
        {"silence", [](BasicModel& m) { m.ignoreCommands = 1; }, {}},
        {"garbage",
         [](BasicModel& m) {
             m.garbageBeforeAnswer = {0xEB, 0x90, 7};
         },
         Cat({{0xEB, 0x90, 7}, blocks[0], blocks[1]})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Basic([&](BasicModel& m) {
            m = BasicModel();
            m.storedRun = StoredRun();
            c.fault(m);
        });
        Write(Command(0x55));
        EXPECT_EQ(c.expected.empty() ? Read(0, 300ms) : Read(c.expected.size()), c.expected);
        EXPECT_TRUE(Read(0, 50ms).empty());
    }
    Basic([](BasicModel& m) {
        m = BasicModel();
        m.storedRun = StoredRun();
        m.hangUpAfterBlocks = 1;
    });
    Write(Command(0x55));
    EXPECT_TRUE(Line::WaitFor([&] { return sim.line.IsHungUp(); }, kPatience));
    EXPECT_EQ(Basic([](BasicModel& m) { return m.blocksSent; }), 1u);
}

}  // namespace
