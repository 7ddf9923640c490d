// The answer machine fed byte by byte as the ring would get them: every kind of QK answer, split
// anywhere, back to back; tokens, checksums and the regime frame's reply; lengths beyond 16 bits.

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/logger/dorvik_fixture.h"

namespace {

using namespace dorvik_test;

class AnswerMachine : public DorvikTest {
protected:
    std::string Letters(const Bytes& frame) const {
        return frame.size() == 8 ? std::string(frame.begin(), frame.begin() + 2) : std::string();
    }
    size_t CountOf(const std::string& letters) const {
        size_t n = 0;
        for (const std::string& l : port->Letters())
            n += l == letters;
        return n;
    }
};

struct AnswerCase {
    const char* name;
    bool identify;                          // a QK known first
    std::function<void(CDorvik&)> command;  // what is sent
    Bytes answer;
    std::function<bool(const WatchedDorvik&, const HostWindow&)> done;
    bool single = true;  // one answer: nothing is acted on before its last byte
};

TEST_F(AnswerMachine, EveryAnswerKindIsTakenWholeHoweverItIsSplit) {
    Bytes snapshot = {'C'};
    for (int i = 0; i < 16; ++i)
        snapshot.push_back(BYTE(i * 9));
    Bytes sensor(16, 0);
    for (BYTE b : Text("Light\rlx\r"))
        sensor.push_back(b);
    Bytes tokenLike = sensor;
    tokenLike[0] = 'A', tokenLike[1] = 'C', tokenLike[2] = 'K';
    Bytes header(24, 0);
    header[13] = 1;
    Bytes data = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0, 0x11, 0x22};
    const Bytes timingRecord1 = {1, 0, 0, 0x10, 0x00};
    const Bytes timingRecord2 = {3, 'N', 'A', 'K', 0x00};  // a count that spells a token

    const AnswerCase cases[] = {
        {"identification", false, [](CDorvik& d) { d.SendQKStatusRequest(); }, Identification(0x80),
         [](const WatchedDorvik& d, const HostWindow& h) {
             return d.IsQKModel() && d.IsConnected() && h.Count(UM_LOGGER_IDENTIFIED) == 1;
         }},
        {"snapshot", true, [](CDorvik& d) { d.SendQKSnapshot(); }, DataAnswer(snapshot),
         [&](const WatchedDorvik& d, const HostWindow& h) {
             return d.snapshots.size() == 1 && d.snapshots[0] == snapshot &&
                    h.Count(UM_UPDATE_METERS) == 1;
         }},
        {"sensor description", true,
         [](CDorvik& d) {
             d.QueueReadSensorInfo(255, 2);
             d.StartCommandTimer(100);
         },
         SensorAnswer(sensor),
         [&](const WatchedDorvik& d, const HostWindow&) {
             return d.sensorInfos.size() == 1 && d.sensorInfos[0].channel == 2 &&
                    d.sensorInfos[0].setIndex == 255 && d.sensorInfos[0].body == sensor &&
                    d.IsCommandAnswered();
         }},
        {"sensor description whose body spells a token", true,
         [](CDorvik& d) {
             d.QueueReadSensorInfo(1, 6);
             d.StartCommandTimer(100);
         },
         SensorAnswer(tokenLike),
         [&](const WatchedDorvik& d, const HostWindow&) {
             return d.sensorInfos.size() == 1 && d.sensorInfos[0].body == tokenLike;
         }},
        {"stored-set header", true,
         [](CDorvik& d) {
             d.QueueReadDataHeader(1);
             d.StartCommandTimer(100);
         },
         DataAnswer(header),
         [&](const WatchedDorvik& d, const HostWindow&) {
             return d.headers.size() == 1 && d.headers[0].first == 1 &&
                    d.headers[0].second == header && d.plannedSets == std::vector<BYTE>{1};
         }},
        {"data read", true,
         [](CDorvik& d) {
             d.QueueQKReadData(0, 3, 10, 14);
             d.StartCommandTimer(100);
         },
         DataAnswer(data),
         [&](const WatchedDorvik& d, const HostWindow&) {
             return d.setData.size() == 1 && d.setData[0] == data && d.IsCommandAnswered();
         }},
        {"data read of one sample", true,
         [](CDorvik& d) {
             d.QueueQKReadData(0, 1, 7, 7);
             d.StartCommandTimer(100);
         },
         DataAnswer({0xAB, 0xC0}),
         [&](const WatchedDorvik& d, const HostWindow&) {
             return d.setData.size() == 1 && d.setData[0] == Bytes({0xAB, 0xC0}) &&
                    d.IsCommandAnswered();
         }},
        {"acknowledged stop", true,
         [](CDorvik& d) {
             const Bytes record = RunRecord(0);  // a run to stop
             d.AcceptReceivedBytes(record.data(), DWORD(record.size()));
             d.QueueQKStop();
             d.StartCommandTimer(100);
         },
         Token("ACK"),
         [](const WatchedDorvik& d, const HostWindow& h) {
             return d.IsCommandAnswered() && h.Count(UM_RUN_ENDED) == 1;
         }},
        {"run record", true, [](CDorvik&) {}, RunRecord(0),
         [](const WatchedDorvik& d, const HostWindow& h) {
             return d.runRecords.size() == 1 && h.Count(UM_NEW_EXPERIMENT) == 1;
         }},
        {"run end",
         true,
         [](CDorvik& d) {
             const Bytes record = RunRecord(0);  // a run to end
             d.AcceptReceivedBytes(record.data(), DWORD(record.size()));
         },
         {0xAA, 0x00},
         [](const WatchedDorvik&, const HostWindow& h) { return h.Count(UM_RUN_ENDED) == 1; }},
        {"timing stream", true,
         [](CDorvik& d) {
             d.QueueQKTiming();
             d.StartCommandTimer(50);
         },
         Cat({{'S'}, timingRecord1, {0xAA, 0x02}, timingRecord2, Token("ACK")}),
         [&](const WatchedDorvik& d, const HostWindow& h) {
             return d.timingEvents == std::vector<Bytes>{timingRecord1, timingRecord2} &&
                    h.Count(UM_RUN_ENDED) == 1;
         },
         false},
        {"answers and records back to back", true,
         [](CDorvik& d) {
             d.QueueQKSetDate();
             d.StartCommandTimer(100);
         },
         Cat({Token("ACK"), RunRecord(0), RunRecord(1, 0x22), RunRecord(2, 0x33), {0xAA, 0x00}}),
         [](const WatchedDorvik& d, const HostWindow& h) {
             return d.IsCommandAnswered() && d.runRecords.size() == 3 &&
                    d.runRecords[1][2] == 0x22 && d.runRecords[2][2] == 0x33 &&
                    h.Count(UM_RUN_ENDED) == 1 && h.Count(UM_NEW_EXPERIMENT) == 1;
         },
         false},
    };

    for (const AnswerCase& c : cases) {
        const size_t n = c.answer.size();
        // 0: whole; 1..n-1: split there; n: byte by byte.
        for (size_t split = 0; split <= n; ++split) {
            SCOPED_TRACE(testing::Message() << c.name << ", split " << split);
            MakeDorvik();
            if (c.identify) Identify();
            c.command(*dorvik);
            if (split == 0) {
                Feed(c.answer);
            } else if (split < n) {
                Feed(Bytes(c.answer.begin(), c.answer.begin() + ptrdiff_t(split)));
                if (c.single) {
                    EXPECT_FALSE(c.done(*dorvik, host)) << "acted on part of it";
                }
                Feed(Bytes(c.answer.begin() + ptrdiff_t(split), c.answer.end()));
            } else {
                for (size_t i = 0; i < n; ++i) {
                    if (c.single && i > 0) {
                        ASSERT_FALSE(c.done(*dorvik, host)) << "at byte " << i;
                    }
                    Feed({c.answer[i]});
                }
            }
            EXPECT_TRUE(c.done(*dorvik, host));
            EXPECT_EQ(dorvik->GetAnswerState(), WAIT_FOR_ANSWER);
            EXPECT_EQ(dorvik->GetBufferedCount(), 0u);
        }
    }
}

TEST_F(AnswerMachine, TokensAndBadChecksumsLeaveTheCommandToBeSentAgain) {
    Bytes header(24, 0);
    Bytes badHeader = DataAnswer(header);
    ++badHeader.back();
    Bytes badSensor = SensorAnswer(Bytes(20, 1));
    ++badSensor.back();
    struct Case {
        const char* name;
        bool sensorRead;
        Bytes answer;
    };
    const Case cases[] = {
        {"NAK", false, Token("NAK")},
        {"CKS", false, Token("CKS")},
        {"INV", false, Token("INV")},
        {"INM", false, Token("INM")},
        {"DSO", false, Token("DSO")},
        {"bad header checksum", false, badHeader},
        {"NAK to a sensor read", true, Token("NAK")},
        {"bad sensor checksum", true, badSensor},
        {"garbage", false, {0x01, 0x02, 0x55, 0xFF}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeDorvik();
        Identify();
        if (c.sensorRead)
            dorvik->QueueReadSensorInfo(255, 0);
        else
            dorvik->QueueReadDataHeader(0);
        dorvik->StartCommandTimer(100);
        Feed(c.answer);
        EXPECT_FALSE(dorvik->IsCommandAnswered());
        EXPECT_EQ(dorvik->GetAnswerState(), WAIT_FOR_ANSWER);
        clock.Advance(100);
        EXPECT_EQ(port->writes.size(), 2u);
        EXPECT_EQ(port->writes[0].bytes, port->writes[1].bytes);
        // The answer to the second try is taken.
        Feed(c.sensorRead ? SensorAnswer(Bytes(20, 1)) : DataAnswer(header));
        EXPECT_TRUE(dorvik->IsCommandAnswered());
    }
}

TEST_F(AnswerMachine, APartialAnswerIsDroppedWhenTheCommandGoesOutAgain) {
    Identify();
    dorvik->QueueReadDataHeader(2);
    dorvik->StartCommandTimer(100);
    // The first answer stops short, with bytes that would start answers and records.
    Feed({'S', 1, 2, 'S', 0xAA, 0xEB, 7});
    clock.Advance(100);
    ASSERT_EQ(port->writes.size(), 2u);
    Bytes header(24, 0);
    header[0] = 26;
    Feed(DataAnswer(header));
    ASSERT_EQ(dorvik->headers.size(), 1u);
    EXPECT_EQ(dorvik->headers[0].second, header);
}

TEST_F(AnswerMachine, IdentificationSetsTheChannelsOfEachVariant) {
    struct Case {
        BYTE variant;
        BYTE mask;
        BYTE enabled;  // bit n: channel n enabled in both record sets
        bool timer;
        bool extraChannels;
    };
    const Case cases[] = {
        {0x80, 0x7F, 0x7F, false, true},
        {0x81, 0x67, 0x67, false, false},
        {0x82, 0x7F, 0x60, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.variant));
        MakeDorvik();
        dorvik->SendQKStatusRequest();
        Feed(Identification(c.variant));
        ASSERT_TRUE(dorvik->IsQKModel());
        EXPECT_EQ(dorvik->GetMask(), c.mask);
        EXPECT_EQ(dorvik->GetRegimeRateCode(), 41);
        EXPECT_EQ(dorvik->GetRunLength(), 10u);
        EXPECT_EQ(dorvik->IsTimerVariant(), c.timer);
        EXPECT_EQ(dorvik->HasChannel3(), c.extraChannels);
        EXPECT_EQ(dorvik->HasChannel4(), c.extraChannels);
        for (int ch = 0; ch < 7; ++ch) {
            EXPECT_EQ(dorvik->GetLiveChannel(ch).enabled, (c.enabled >> ch) & 1) << ch;
            EXPECT_EQ(dorvik->GetStoredChannel(ch).enabled, (c.enabled >> ch) & 1) << ch;
        }
        ASSERT_EQ(host.Count(UM_LOGGER_IDENTIFIED), 1u);
        EXPECT_EQ(host.messages.back().wParam, 1u);
    }
    // The fixed internal sensors.
    struct Internal {
        int channel, slot;
        const char* name;
        const char* unit;
        double minimum, maximum, gain, offset;
    };
    const Internal internal[] = {{1, 7, "Sound", "db", 50, 105.2, 0.10802195450098, 50},
                                 {3, 5, "Humidity", "%", 0, 100, 0.5, 0},
                                 {4, 6, "Pressure", "KPa", 0, 200, 0.2, 0}};
    for (const Internal& s : internal) {
        for (const ChannelInfoStruct* r :
             {&dorvik->GetLiveChannel(s.channel), &dorvik->GetStoredChannel(s.channel)}) {
            EXPECT_EQ(r->name, s.name);
            EXPECT_EQ(r->unit, s.unit);
            EXPECT_EQ(r->minimum, s.minimum);
            EXPECT_EQ(r->maximum, s.maximum);
            EXPECT_EQ(r->gain, s.gain);
            EXPECT_EQ(r->offset, s.offset);
            EXPECT_EQ(r->channelIndex, s.channel);
        }
        EXPECT_EQ(settings.m_sensorSlots[s.slot].name, s.name);
        EXPECT_EQ(settings.m_sensorSlots[s.slot].unit, s.unit);
        EXPECT_EQ(settings.m_sensorSlots[s.slot].factor, s.gain);
    }
}

TEST_F(AnswerMachine, ALaterIdentificationTakesTheInternalChannelsFromTheMask) {
    Identify(0x80);
    dorvik->QueueWriteLoggingRegime(41, 0x05, 10, 0);
    dorvik->StartCommandTimer(50);
    Feed(Token("WDN"));
    Feed(Token("ACK"));
    dorvik->SendQKStatusRequest();
    Feed(Identification(0x80));
    EXPECT_EQ(dorvik->GetMask(), 0x05);
    EXPECT_FALSE(dorvik->GetLiveChannel(1).enabled);
    EXPECT_FALSE(dorvik->GetLiveChannel(3).enabled);
    EXPECT_FALSE(dorvik->GetLiveChannel(4).enabled);
    EXPECT_TRUE(dorvik->GetLiveChannel(0).enabled);
}

TEST_F(AnswerMachine, WriteDataNowSendsTheRegimeFrameAndTakesTheRegime) {
    Identify();
    dorvik->QueueWriteLoggingRegime(51, 0x25, 500, 1);
    dorvik->StartCommandTimer(50);
    ASSERT_EQ(port->Letters(), std::vector<std::string>{"BD"});
    EXPECT_EQ(LastWrite(), Bytes({'B', 'D', 0, 0, 0, 0, 0, 'B' + 'D'}));
    Feed(Token("WDN"));
    ASSERT_EQ(port->writes.size(), 2u);
    Bytes frame = {26, 3, 14, 9, 26, 53, 0x10, 0, 0,    0,    0,
                   0,  0, 0,  1, 16, 20, 0,    0, 0x25, 0x01, 0xF4};
    frame.push_back(Sum8(frame));
    EXPECT_EQ(LastWrite(), frame);
    EXPECT_EQ(host.Count(UM_SENSORS_CHANGED), 1u);
    EXPECT_EQ(dorvik->GetRegimeRateCode(), 51);
    EXPECT_EQ(dorvik->GetRunLength(), 500u);
    EXPECT_EQ(dorvik->GetMask(), 0x25);
    EXPECT_EQ(dorvik->GetRegimeChannelCount(), 3);
    EXPECT_EQ(Bytes(dorvik->GetChannelList(), dorvik->GetChannelList() + 3), Bytes({0, 2, 5}));
    EXPECT_FALSE(dorvik->IsCommandAnswered()) << "not before the logger had the frame";

    // The same regime again: no sensor change; a set-up frame.
    MakeDorvik();
    Identify();
    dorvik->QueueWriteLoggingRegime(36, 0x7F, 10, 0);
    dorvik->StartCommandTimer(50);
    Feed(Token("WDN"));
    EXPECT_EQ(host.Count(UM_SENSORS_CHANGED), 0u);
    EXPECT_EQ(LastWrite()[6], 0x20);
    EXPECT_EQ(LastWrite()[15], 33);
    EXPECT_EQ(LastWrite()[16], 44);
}

TEST_F(AnswerMachine, TheRegimeFramesReplyDecidesWhetherItWasTaken) {
    struct Case {
        const char* name;
        Bytes reply;  // empty: none
        bool accepted;
    };
    const Case cases[] = {
        {"ACK", Token("ACK"), true},  {"silence", {}, true},        {"CKS", Token("CKS"), false},
        {"NAK", Token("NAK"), false}, {"INM", Token("INM"), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeDorvik();
        Identify();
        dorvik->QueueWriteLoggingRegime(41, 0x7F, 10, 1);
        dorvik->StartCommandTimer(50);
        Feed(Token("WDN"));
        const ULONGLONG frameSent = clock.Now();
        if (!c.reply.empty()) Feed(c.reply);
        // While the logger may still answer, "BD" is not sent again.
        while (dorvik->IsWaitingForRegimeReply() && clock.Now() - frameSent < 1000)
            clock.Advance(10);
        EXPECT_EQ(CountOf("BD"), 1u);
        if (c.reply.empty()) {
            EXPECT_GE(clock.Now() - frameSent, CDorvik::kRegimeReplyWaitMs);
        }
        EXPECT_EQ(dorvik->IsCommandAnswered(), c.accepted);
        clock.Advance(50);
        if (c.accepted) {
            EXPECT_TRUE(dorvik->IsCommandQueueEmpty());
            EXPECT_EQ(CountOf("BD"), 1u);
        } else {
            EXPECT_EQ(CountOf("BD"), 2u) << "the command starts again from \"BD\"";
            EXPECT_EQ(dorvik->GetCommandTries(), 2);
            Feed(Token("WDN"));
            Feed(Token("ACK"));
            EXPECT_TRUE(dorvik->IsCommandAnswered());
        }
    }
}

TEST_F(AnswerMachine, RunRecordsThatFollowTheFrameAtOnceAreHandedOn) {
    Identify();
    dorvik->QueueWriteLoggingRegime(51, 0x01, 100, 1);
    dorvik->StartCommandTimer(50);
    Feed(Token("WDN"));
    Feed(Cat({RunRecord(0), RunRecord(1)}));
    EXPECT_EQ(dorvik->runRecords.size(), 2u);
    EXPECT_TRUE(dorvik->IsWaitingForRegimeReply());
    clock.Advance(200);
    EXPECT_TRUE(dorvik->IsCommandAnswered());
}

TEST_F(AnswerMachine, ARegimeRefusedOnEveryTryIsReportedAfterTheHandler) {
    Identify();
    dorvik->QueueWriteLoggingRegime(41, 0x7F, 10, 1);
    dorvik->StartCommandTimer(50);
    for (int i = 0; i < 100 && dorvik->GetCommandTries() < 9; ++i) {
        if (Letters(LastWrite()) == "BD") {
            Feed(Token("WDN"));
            Feed(Token("CKS"));
        }
        clock.Advance(10);
    }
    ASSERT_EQ(dorvik->GetCommandTries(), 9);
    if (Letters(LastWrite()) == "BD") {
        Feed(Token("WDN"));
        Feed(Token("CKS"));
    }
    EXPECT_EQ(CountOf("BD"), 9u);
    // The tenth tick gives up; the user hears of it once the handler has returned.
    dorvik->OnCommandTimer();
    EXPECT_TRUE(dorvik->IsCommandFailed());
    EXPECT_TRUE(prompts.Shown().empty());
    prompts.ExpectMessage(CDorvik::kRegimeRefusedText, IDOK);
    clock.RunPending();
    EXPECT_EQ(prompts.Shown().size(), 1u);
}

TEST_F(AnswerMachine, DataReadsLongerThanTheRingAreTakenAsTheyArrive) {
    // 2 x 40001 bytes and the checksum: five times what the ring holds.
    Identify();
    dorvik->QueueQKReadData(0, 2, 100, 40100);
    dorvik->StartCommandTimer(100);
    ASSERT_EQ(port->writes.size(), 1u);
    Bytes data(2 * 40001);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = BYTE((i * 13 + 1) & 0x3F);
    const Bytes answer = DataAnswer(data);
    // Parts that fill the ring nearly to the top: each is taken before the next comes.
    constexpr size_t kPart = CReceiveRing::kCapacity - 1;
    for (size_t at = 0; at < answer.size(); at += kPart) {
        const size_t part = std::min(kPart, answer.size() - at);
        ASSERT_EQ(dorvik->AcceptReceivedBytes(answer.data() + at, DWORD(part)), part);
    }
    EXPECT_TRUE(dorvik->IsCommandAnswered());
    ASSERT_EQ(dorvik->setData.size(), 1u);
    EXPECT_EQ(dorvik->setData[0], data);
    EXPECT_EQ(dorvik->GetAnswerState(), WAIT_FOR_ANSWER);

    // A read of nothing is given up at once.
    MakeDorvik();
    Identify();
    dorvik->QueueQKReadData(0, 2, 9, 8);
    dorvik->StartCommandTimer(100);
    EXPECT_TRUE(port->writes.empty());
    clock.Advance(100);
    EXPECT_TRUE(dorvik->IsCommandFailed());
    EXPECT_EQ(dorvik->aborts, 1);
}

// A receive tick takes from the link no more than the ring has room for; the rest waits there.
TEST_F(AnswerMachine, AReceiveTickTakesOnlyTheRingsFreeSpaceFromTheLink) {
    settings.m_communicationType = 1;  // the link's own buffer, filled by hand
    port->SetSettings(&settings);
    Identify();
    dorvik->QueueReadSensorInfo(255, 0);
    dorvik->StartCommandTimer(100);
    const Bytes body(15998, 0x11);  // the longest answer the ring can hold
    const Bytes answer = SensorAnswer(body);
    Feed(Bytes(answer.begin(), answer.end() - 900));  // 900 places left free
    const Bytes rest = Cat({Bytes(answer.end() - 900, answer.end()), RunRecord(0)});
    port->OnDataReceived(rest.data(), WORD(rest.size()));
    dorvik->OnOnCommCommPort();
    EXPECT_EQ(port->GetBytesWaiting(), 15u);
    dorvik->OnOnCommCommPort();
    ASSERT_EQ(dorvik->sensorInfos.size(), 1u);
    EXPECT_EQ(dorvik->sensorInfos[0].body, body);
    EXPECT_EQ(dorvik->runRecords.size(), 1u);  // nothing was lost
}

// A link that fails is left to the queue's retry and the next tick, but leaves a trace.
TEST_F(AnswerMachine, ALinkFailureIsLoggedAndTheNextTickRunsNormally) {
    settings.m_communicationType = 1;  // the link's own buffer, filled by hand
    port->SetSettings(&settings);
    testing_support::LogCapture log("varnel.logger");
    port->failingSends = 1;
    dorvik->SendQKStatusRequest();
    EXPECT_TRUE(port->writes.empty());
    ASSERT_EQ(log.messages.size(), 1u);
    EXPECT_TRUE(log.messages[0].contains("send failed")) << log.messages[0].toStdString();

    dorvik->SendQKStatusRequest();
    ASSERT_EQ(port->writes.size(), 1u);
    const Bytes answer = Identification(0x80);
    port->OnDataReceived(answer.data(), WORD(answer.size()));
    port->failingReceives = 1;
    dorvik->OnOnCommCommPort();
    EXPECT_FALSE(dorvik->IsQKModel());
    ASSERT_EQ(log.messages.size(), 2u);
    EXPECT_TRUE(log.messages[1].contains("receive failed")) << log.messages[1].toStdString();
    dorvik->OnOnCommCommPort();
    EXPECT_TRUE(dorvik->IsQKModel());
    EXPECT_EQ(log.messages.size(), 2u);
}

TEST_F(AnswerMachine, ASensorLengthFieldOutOfRangeIsNoAnswer) {
    for (WORD length : {WORD(0), WORD(2), WORD(0xFFFF)}) {
        SCOPED_TRACE(length);
        MakeDorvik();
        Identify();
        dorvik->QueueReadSensorInfo(255, 0);
        dorvik->StartCommandTimer(100);
        Feed({'S', BYTE(length >> 8), BYTE(length), 1, 2, 3});
        EXPECT_FALSE(dorvik->IsCommandAnswered());
        EXPECT_EQ(dorvik->GetAnswerState(), WAIT_FOR_ANSWER);
        EXPECT_TRUE(dorvik->sensorInfos.empty());
    }
}

TEST_F(AnswerMachine, AStatusNeedsItsThreeBytesAndKeepsTheLastOneSeen) {
    Identify();
    dorvik->QueueQKSetDate();
    dorvik->StartCommandTimer(100);
    Feed({'S', 'N', 'A'});
    EXPECT_EQ(dorvik->GetAnswerState(), WAIT_FOR_QK_ANSWER) << "waits for the rest";
    EXPECT_EQ(dorvik->GetBufferedCount(), 2u);
    Feed({'K'});
    EXPECT_EQ(dorvik->GetLastQKStatus(), qk::QK_STATUS_NOT_ACKNOWLEDGE);
    EXPECT_FALSE(dorvik->IsCommandAnswered());
    clock.Advance(100);
    Feed({'S', 'A'});
    EXPECT_FALSE(dorvik->IsCommandAnswered()) << "a stale status is not acted on";
    Feed({'C', 'K'});
    EXPECT_TRUE(dorvik->IsCommandAnswered());
    EXPECT_EQ(dorvik->GetLastQKStatus(), qk::QK_STATUS_ACKNOWLEDGE);
}

TEST_F(AnswerMachine, TheSensorChangeRecordReadsTheInputsUnlessADownloadRuns) {
    Identify();
    Feed({0xAA, 0x02});
    EXPECT_EQ(dorvik->GetQueuedCommandCount(), 2u);
    EXPECT_EQ(LastWrite(), Bytes({'A', 'J', 255, 5, 0, 0, 0, BYTE('A' + 'J' + 255 + 5)}));
    EXPECT_TRUE(dorvik->IsCommandTimerOn());
}

TEST_F(AnswerMachine, ATimingHeaderTurnsIntoOneTimingDownload) {
    Identify();
    dorvik->QueueReadDataHeader(3);
    dorvik->StartCommandTimer(100);
    Bytes header(24, 0);
    header[13] = 5;
    header[23] = 12;
    Feed(DataAnswer(header));
    EXPECT_TRUE(dorvik->plannedSets.empty());
    EXPECT_EQ(Letters(LastWrite()), "CS");
    EXPECT_EQ(LastWrite(), Bytes({'C', 'S', 3, 0, 0, 0, 11, BYTE('C' + 'S' + 3 + 11)}));
    EXPECT_EQ(dorvik->GetCurrentCommand().code, QK_COMMAND_TIMING_DOWNLOAD);
}

}  // namespace
