// The simulated QK seen from a raw COM port: its frames, answers, run stream and faults.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/comm/comm.h"
#include "tests/support/core/harness.h"
#include "tests/support/core/sim_port.h"
#include "tools/dorvik-sim/qk_model.h"

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<BYTE>;
using Clock = std::chrono::steady_clock;
using dorvik_sim::Line;
using dorvik_sim::QkModel;
using dorvik_sim::RegimeReply;
using testing_support::SimulatedComPort;

constexpr auto kPatience = 10s;

BYTE Sum8(const Bytes& bytes, DWORD start = 0) {
    for (BYTE b : bytes)
        start += b;
    return BYTE(start);
}
Bytes Frame(const char* letters, Bytes params = {}) {
    Bytes f = {BYTE(letters[0]), BYTE(letters[1])};
    params.resize(5, 0);
    f.insert(f.end(), params.begin(), params.end());
    f.push_back(Sum8(f));
    return f;
}
Bytes Token(const char* token) {
    return {'S', BYTE(token[0]), BYTE(token[1]), BYTE(token[2])};
}

class SimQk : public testing_support::RawPortTest {
protected:
    SimQk() : RawPortTest(11, std::make_unique<QkModel>(), 19200) {}

    template <class F>
    auto Qk(F&& f) {
        return sim.line.WithModelAs<QkModel>(std::forward<F>(f));
    }
};

TEST_F(SimQk, SkipsTheWakeBlockAndIdentifiesItsVariant) {
    Write(Bytes(100, 0));
    Write(Frame("AA"));
    const Bytes answer = {'S', 'V', 0x80, 0, Sum8({'V', 0x80, 0}, 'S')};
    EXPECT_EQ(Read(answer.size()), answer);
    EXPECT_EQ(Qk([](QkModel& m) { return m.zeroBytesSkipped; }), 100u);
}

TEST_F(SimQk, RefusesBadFramesAndDropsAStalledOne) {
    Bytes bad = Frame("AA");
    ++bad[7];
    Write(bad);
    EXPECT_EQ(Read(4), Token("CKS"));
    Write(Frame("ZZ"));
    EXPECT_EQ(Read(4), Token("INV"));
    Write({'B', 'F', 1});
    Read(0, 150ms);
    Write(Frame("BF", {26, 3, 14}));
    EXPECT_EQ(Read(4), Token("ACK"));
    EXPECT_EQ(Qk([](QkModel& m) { return Bytes(m.dateSet, m.dateSet + 3); }), Bytes({26, 3, 14}));
}

TEST_F(SimQk, DescribesASensorWithItsLengthAndChecksum) {
    Write(Frame("AJ", {255, 2}));
    Bytes answer = Read(3);
    ASSERT_GE(answer.size(), 3u);
    const DWORD length = DWORD(answer[1]) << 8 | answer[2];
    const Bytes rest = Read(length - 2 - (answer.size() - 3));
    answer.insert(answer.end(), rest.begin(), rest.end());
    ASSERT_EQ(answer.size(), length + 1) << "the length counts itself, the body and the checksum";
    const Bytes body(answer.begin() + 3, answer.end() - 1);
    EXPECT_EQ(answer.back(), Sum8(body, 'S' + length));
    EXPECT_EQ(std::string(body.begin() + 16, body.end()), "Light\rlx\r");
    EXPECT_EQ(Bytes(body.begin() + 12, body.begin() + 16), Bytes({0, 0, 0xFF, 0xC0}));
}

TEST_F(SimQk, ARegimeThatStartsARunStreamsNumberedRecordsAndTheEnd) {
    struct Case {
        RegimeReply reply;
        Bytes replyBytes;
        bool runs;
    };
    const Case cases[] = {{RegimeReply::None, {}, true},
                          {RegimeReply::Ack, Token("ACK"), true},
                          {RegimeReply::Cks, Token("CKS"), false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.reply));
        Qk([&](QkModel& m) { m.regimeReply = c.reply; });
        Write(Frame("BD"));
        EXPECT_EQ(Read(4), Token("WDN"));
        Bytes regime = {26, 3, 14, 9, 26, 53, 0x10, 0, 0,    0, 0,
                        0,  0, 0,  1, 16, 20, 0,    0, 0x01, 0, 5};
        regime.push_back(Sum8(regime));
        const Clock::time_point sent = Clock::now();
        Write(regime);
        if (!c.runs) {
            EXPECT_EQ(Read(4), c.replyBytes);
            EXPECT_TRUE(Read(0, 100ms).empty());
            continue;
        }
        const Bytes got = Read(c.replyBytes.size() + 5 * 15 + 2);
        EXPECT_GE(Clock::now() - sent, 5 * 20ms - 5ms);
        ASSERT_EQ(got.size(), c.replyBytes.size() + 5 * 15 + 2);
        EXPECT_EQ(Bytes(got.begin(), got.begin() + ptrdiff_t(c.replyBytes.size())), c.replyBytes);
        for (int i = 0; i < 5; ++i) {
            const Bytes r(got.begin() + ptrdiff_t(c.replyBytes.size() + 15 * size_t(i)),
                          got.begin() + ptrdiff_t(c.replyBytes.size() + 15 * size_t(i) + 15));
            EXPECT_EQ(r[0], 0xAA);
            EXPECT_EQ(r[1], 0x01);
            EXPECT_EQ((r[2] & 63) * 16 + (r[3] >> 4), i + 1) << "numbered from 1";
            EXPECT_EQ(r[14], Sum8(Bytes(r.begin() + 2, r.begin() + 14), 0xAA + 0x01));
            EXPECT_EQ(r[4], i) << "channel 0's raw value";
        }
        EXPECT_EQ(Bytes(got.end() - 2, got.end()), Bytes({0xAA, 0x00}));
    }
}

TEST_F(SimQk, InjectsFaultsIntoItsAnswers) {
    const Bytes ack = Token("ACK");
    struct Case {
        const char* name;
        std::function<void(QkModel&)> fault;
        Bytes expected;  // what the "BF" gets
        std::chrono::milliseconds notBefore;
    };
    const Case cases[] = {
        {"token", [](QkModel& m) { m.tokenAnswers = {"DSO"}; }, Token("DSO"), 0ms},
        {"silence", [](QkModel& m) { m.ignoreCommands = 1; }, {}, 0ms},
        {"late", [](QkModel& m) { m.answerDelay = 200ms; }, ack, 200ms},
        {"duplicated",
         [](QkModel& m) { m.duplicateAnswers = true; },
         {'S', 'A', 'C', 'K', 'S', 'A', 'C', 'K'},
         0ms},
        {"garbage",
         [](QkModel& m) {
             m.garbageBeforeAnswer = {1, 2, 3};
         },
         {1, 2, 3, 'S', 'A', 'C', 'K'},
         0ms},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Qk([&](QkModel& m) {
            m.answerDelay = 0ms;
            m.duplicateAnswers = false;
            c.fault(m);
        });
        const Clock::time_point sent = Clock::now();
        Write(Frame("BF", {26, 1, 1}));
        const Bytes got = c.expected.empty() ? Read(0, 300ms) : Read(c.expected.size());
        EXPECT_EQ(got, c.expected);
        EXPECT_GE(Clock::now() - sent, c.notBefore);
    }
    // A bad checksum on a data answer.
    Qk([](QkModel& m) {
        m.answerDelay = 0ms;
        m.duplicateAnswers = false;
        m.corruptAnswerChecksums = 1;
    });
    Write(Frame("AA"));
    EXPECT_EQ(Read(5), Bytes({'S', 'V', 0x80, 0, BYTE(Sum8({'V', 0x80, 0}, 'S') + 1)}));
}

TEST_F(SimQk, ServesStoredSetsAndTimingEvents) {
    Qk([](QkModel& m) {
        dorvik_sim::QkStoredSet set;
        set.mask = 0x09;
        set.sampleCount = 3;
        set.samples[0] = {1, 2, 1023};
        set.samples[3] = {7, 8, 255};
        m.storedSets[1] = set;
        dorvik_sim::QkStoredSet timing;
        timing.kind = 5;
        timing.sampleCount = 2;
        timing.events = {{1, 0x01020304}, {0, 0x0A0B0C0D}};
        m.storedSets[3] = timing;
    });
    Write(Frame("BA", {1}));
    const Bytes header = Read(26);
    ASSERT_EQ(header.size(), 26u);
    EXPECT_EQ(header[1 + 19], 0x09);
    EXPECT_EQ(header[1 + 23], 3);
    Write(Frame("BA", {2}));
    EXPECT_EQ(Read(4), Token("NAK"));

    Write(Frame("CA", {1, 0, 1, 0, 2}));
    const Bytes data = {0, 0x80, 0xFF, 0xC0};
    EXPECT_EQ(Read(6), Bytes({'S', 0, 0x80, 0xFF, 0xC0, Sum8(data, 'S')}));
    Write(Frame("CD", {1, 0, 0, 0, 2}));
    const Bytes eightBit = {7, 0, 8, 0, 255, 0};
    EXPECT_EQ(Read(8), Bytes({'S', 7, 0, 8, 0, 255, 0, Sum8(eightBit, 'S')}));
    Write(Frame("CB", {1, 0, 0, 0, 2}));  // a channel the set has not
    EXPECT_EQ(Read(4), Token("NAK"));

    Write(Frame("CS", {3, 0, 0, 0, 1}));
    const Bytes events = {1, 1, 2, 3, 4, 0, 0x0A, 0x0B, 0x0C, 0x0D};
    Bytes expected = {'S'};
    expected.insert(expected.end(), events.begin(), events.end());
    expected.push_back(Sum8(events, 'S'));
    EXPECT_EQ(Read(12), expected);

    Write(Frame("AQ", {1}));
    EXPECT_EQ(Read(4), Token("ACK"));
    Write(Frame("BA", {1}));
    EXPECT_EQ(Read(4), Token("NAK")) << "the memory was cleared";
}

TEST_F(SimQk, TimingModeSendsQueuedEventsAndItsEnd) {
    Write(Frame("AK", {1}));
    EXPECT_EQ(Read(1), Bytes({'S'}));
    Qk([](QkModel& m) {
        m.QueueTimingEvent(3, 0x00000100);
        m.EndTimingRun();
    });
    EXPECT_EQ(Read(7), Bytes({3, 0, 0, 1, 0, 0xAA, 0x00}));
    EXPECT_FALSE(Qk([](QkModel& m) { return m.timing; }));
}

TEST_F(SimQk, HangsUpAfterTheChosenRecord) {
    Qk([](QkModel& m) { m.hangUpAfterRecords = 2; });
    Write(Frame("BD"));
    EXPECT_EQ(Read(4), Token("WDN"));
    Bytes regime = {26, 3, 14, 9, 26, 53, 0x10, 0, 0, 0, 0, 0, 0, 0, 1, 16, 20, 0, 0, 0x01, 0, 50};
    regime.push_back(Sum8(regime));
    Write(regime);
    EXPECT_TRUE(Line::WaitFor([&] { return sim.line.IsHungUp(); }, kPatience));
    EXPECT_EQ(Qk([](QkModel& m) { return m.recordsSent; }), 2u);
}

}  // namespace
