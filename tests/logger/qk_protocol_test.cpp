#include <gtest/gtest.h>

#include <vector>

#include "logger/qk_protocol.h"
#include "logger/receive_ring.h"

namespace {

using Bytes = std::vector<BYTE>;

TEST(QkProtocol, FramesCarryLettersParametersAndTheChecksumOfTheSeven) {
    struct Case {
        qk::Frame frame;
        Bytes expected;
    };
    const Case cases[] = {
        {qk::MakeFrame('A', 'A'), {'A', 'A', 0, 0, 0, 0, 0, 0x82}},
        {qk::MakeFrame('A', 'J', 255, 6), {'A', 'J', 255, 6, 0, 0, 0, BYTE(0x41 + 0x4A + 255 + 6)}},
        {qk::MakeFrame('C', 'G', 3, 0x12, 0x34, 0xFF, 0xFE),
         {'C', 'G', 3, 0x12, 0x34, 0xFF, 0xFE, BYTE(0x43 + 0x47 + 3 + 0x12 + 0x34 + 0xFF + 0xFE)}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Bytes(c.frame.begin(), c.frame.end()), c.expected);
        EXPECT_TRUE(qk::IsFrameValid(c.frame));
    }
    qk::Frame bad = qk::MakeFrame('B', 'D');
    ++bad[7];
    EXPECT_FALSE(qk::IsFrameValid(bad));
}

TEST(QkProtocol, StatusTokensMatchWholeOrWaitForTheirLastBytes) {
    struct Case {
        const char* bytes;
        qk::StatusMatch match;
        BYTE code;
    };
    const Case cases[] = {
        {"ACK", qk::StatusMatch::Token, qk::QK_STATUS_ACKNOWLEDGE},
        {"NAK", qk::StatusMatch::Token, qk::QK_STATUS_NOT_ACKNOWLEDGE},
        {"CKS", qk::StatusMatch::Token, qk::QK_STATUS_CHECKSUM_FAILED},
        {"INV", qk::StatusMatch::Token, qk::QK_STATUS_INVALID_COMMAND},
        {"WDN", qk::StatusMatch::Token, qk::QK_STATUS_WRITE_DATA_NOW},
        {"INM", qk::StatusMatch::Token, qk::QK_STATUS_INSUFFICIENT_MEMORY},
        {"DSO", qk::StatusMatch::Token, qk::QK_STATUS_DATA_SET_OPEN},
        {"ACKxyz", qk::StatusMatch::Token, qk::QK_STATUS_ACKNOWLEDGE},  // data that spells one
        {"", qk::StatusMatch::NeedMore, 0},
        {"A", qk::StatusMatch::NeedMore, 0},
        {"IN", qk::StatusMatch::NeedMore, 0},
        {"V", qk::StatusMatch::NoToken, 0},
        {"AB", qk::StatusMatch::NoToken, 0},
        {"ACX", qk::StatusMatch::NoToken, 0},
    };
    for (const Case& c : cases) {
        BYTE code = 99;
        const size_t n = std::char_traits<char>::length(c.bytes);
        EXPECT_EQ(qk::MatchStatus(reinterpret_cast<const BYTE*>(c.bytes), n, code), c.match)
            << c.bytes;
        EXPECT_EQ(code, c.code) << c.bytes;
    }
}

TEST(QkProtocol, TheRegimeFrameHoldsDateRunFlagTimerBytesMaskAndLength) {
    const qk::DateTime now{2026, 3, 14, 9, 26, 53};
    const qk::RegimeFrame run = qk::MakeRegimeFrame(now, true, 51, 0x25, 500);
    Bytes expected = {26, 3, 14, 9, 26, 53, 0x10, 0, 0,    0,    0,
                      0,  0, 0,  1, 16, 20, 0,    0, 0x25, 0x01, 0xF4};
    BYTE sum = 0;
    for (BYTE b : expected)
        sum = BYTE(sum + b);
    expected.push_back(sum);
    EXPECT_EQ(Bytes(run.begin(), run.end()), expected);

    const qk::RegimeFrame setup = qk::MakeRegimeFrame(now, false, 36, 0x7F, 10);
    EXPECT_EQ(setup[6], 0x20);
    EXPECT_EQ(setup[15], 33);
    EXPECT_EQ(setup[16], 44);
    EXPECT_EQ(setup[21], 10);
}

TEST(QkProtocol, RateCodesGiveSecondsAndTimerBytesBothWays) {
    struct Case {
        WORD code;
        double seconds;
        BYTE timer0, timer1;
    };
    const Case cases[] = {{33, 3600, 46, 16}, {35, 900, 35, 132}, {41, 1, 32, 1},
                          {48, 0.2, 16, 200}, {51, 0.02, 16, 20}, {42, 1, 32, 1},
                          {255, 1, 32, 1}};
    for (const Case& c : cases) {
        const qk::Rate& rate = qk::RateOfCode(c.code);
        EXPECT_EQ(rate.seconds, c.seconds) << c.code;
        EXPECT_EQ(rate.timer[0], c.timer0) << c.code;
        EXPECT_EQ(rate.timer[1], c.timer1) << c.code;
        // The timer bytes are a period field of the same length.
        EXPECT_DOUBLE_EQ(qk::DecodePeriod(rate.timer[0], rate.timer[1]), c.seconds) << c.code;
    }
    EXPECT_EQ(qk::RateCodeOfSeconds(0.05), 50);
    EXPECT_EQ(qk::RateCodeOfSeconds(3600), 33);
    EXPECT_EQ(qk::RateCodeOfSeconds(2), 0);
    EXPECT_DOUBLE_EQ(qk::DecodePeriod(0x03, 0xE8), 0.001);  // microseconds
}

TEST(QkProtocol, DataAnswerLengthsNeedThirtyTwoBits) {
    EXPECT_EQ(qk::DataAnswerLength(5, 5), 3u);
    EXPECT_EQ(qk::DataAnswerLength(0, 7998), 15999u);
    EXPECT_EQ(qk::DataAnswerLength(0, 40000), 80003u);
    EXPECT_EQ(qk::DataAnswerLength(0, 0xFFFF), 131073u);
    EXPECT_EQ(qk::DataAnswerLength(6, 5), 0u);
}

TEST(ReceiveRing, WrapsAndNeverOverwritesUnreadBytes) {
    CReceiveRing ring;
    Bytes block(15000);
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = BYTE(i * 7);
    EXPECT_EQ(ring.Put(block.data(), DWORD(block.size())), 15000u);
    EXPECT_TRUE(ring.Take(14000));
    // Across the end of the slots.
    Bytes more(3000);
    for (size_t i = 0; i < more.size(); ++i)
        more[i] = BYTE(i + 1);
    EXPECT_EQ(ring.Put(more.data(), DWORD(more.size())), 3000u);
    EXPECT_LT(ring.WriteIndex(), ring.ReadIndex());
    EXPECT_EQ(ring.Count(), 4000u);
    EXPECT_EQ(ring.Peek(999), BYTE(14999 * 7));
    EXPECT_EQ(ring.Peek(1000), 1);

    // Full: one slot stays free and the rest is refused.
    Bytes flood(20000, 0xEE);
    EXPECT_EQ(ring.Put(flood.data(), DWORD(flood.size())), CReceiveRing::kCapacity - 4000);
    EXPECT_EQ(ring.Count(), CReceiveRing::kCapacity);
    EXPECT_EQ(ring.Free(), 0u);
    EXPECT_EQ(ring.Put(flood.data(), 1), 0u);

    Bytes out(1001);
    DWORD sum = 0;
    ASSERT_TRUE(ring.Take(1001, out.data(), &sum));
    EXPECT_EQ(out[999], BYTE(14999 * 7)) << "the oldest bytes survive the flood";
    EXPECT_EQ(out[1000], 1);
    DWORD expected = 0;
    for (BYTE b : out)
        expected += b;
    EXPECT_EQ(sum, expected);

    // Reads take nothing when fewer bytes are buffered than asked for.
    CReceiveRing small;
    const BYTE two[] = {1, 2};
    small.Put(two, 2);
    EXPECT_FALSE(small.Take(3));
    EXPECT_EQ(small.Count(), 2u);
    BYTE peek[3];
    EXPECT_FALSE(small.PeekBytes(0, peek, 3));
    BYTE all[8];
    EXPECT_EQ(small.TakeUpTo(all, 8, &sum), 2u);
    EXPECT_EQ(sum, 3u);
    EXPECT_EQ(small.Count(), 0u);
}

}  // namespace
