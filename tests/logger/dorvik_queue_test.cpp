// The command queue on the virtual clock: when commands go out, when they are given up, what the
// user sees meanwhile.

#include <gtest/gtest.h>

#include "tests/logger/dorvik_fixture.h"

namespace {

using namespace dorvik_test;

class CommandQueue : public DorvikTest {
protected:
    // Send times of the frames with these letters.
    std::vector<ULONGLONG> SendTimes(const std::string& letters) const {
        std::vector<ULONGLONG> times;
        for (const RecordingPort::Write& w : port->writes)
            if (w.bytes.size() == 8 && std::string(w.bytes.begin(), w.bytes.begin() + 2) == letters)
                times.push_back(w.time);
        return times;
    }
};

TEST_F(CommandQueue, SendsOnEveryTickUntilAnsweredOrTriedTenTimes) {
    struct Case {
        UINT period;
        int answerAfterSend;  // 0: never
        std::vector<ULONGLONG> sends;
        ULONGLONG removedAt;
    };
    const Case cases[] = {
        {100, 1, {0}, 100},
        {50, 3, {0, 50, 100}, 150},
        {200, 9, {0, 200, 400, 600, 800, 1000, 1200, 1400, 1600}, 1800},
        {100, 0, {0, 100, 200, 300, 400, 500, 600, 700, 800}, 900},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "period " << c.period << ", answer " << c.answerAfterSend);
        MakeDorvik();
        Identify();
        const ULONGLONG start = clock.Now();
        dorvik->QueueQKSetDate();
        dorvik->StartCommandTimer(c.period);
        ULONGLONG removedAt = 0;
        bool answered = false;
        while (clock.Now() - start < 3000 && removedAt == 0) {
            if (!answered && c.answerAfterSend > 0 &&
                SendTimes("BF").size() == size_t(c.answerAfterSend)) {
                Feed(Token("ACK"));
                answered = true;
            }
            clock.Advance(10);
            if (dorvik->IsCommandQueueEmpty()) removedAt = clock.Now() - start;
        }
        std::vector<ULONGLONG> sends = SendTimes("BF");
        for (ULONGLONG& t : sends)
            t -= start;
        EXPECT_EQ(sends, c.sends);
        EXPECT_EQ(removedAt, c.removedAt);
        EXPECT_EQ(dorvik->IsCommandFailed(), c.answerAfterSend == 0);
        EXPECT_FALSE(dorvik->IsCommandTimerOn());
        EXPECT_FALSE(clock.IsTimerRunning(host.GetSafeHwnd(), CDorvik::kCommandTimer));
    }
}

TEST_F(CommandQueue, TheNextCommandGoesOutOneTickAfterTheAnsweredOneIsRemoved) {
    Identify();
    dorvik->QueueQKSetDate();
    dorvik->QueueQKSetTime();
    dorvik->StartCommandTimer(100);
    ASSERT_EQ(port->Letters(), std::vector<std::string>{"BF"});
    Feed(Token("ACK"));
    clock.Advance(100);  // removes "BF"
    EXPECT_EQ(dorvik->GetQueuedCommandCount(), 1u);
    EXPECT_EQ(port->writes.size(), 1u);
    clock.Advance(100);
    EXPECT_EQ(port->Letters(), (std::vector<std::string>{"BF", "BG"}));
    EXPECT_EQ(LastWrite(), Bytes({'B', 'G', 9, 26, 53, 0, 0, BYTE('B' + 'G' + 9 + 26 + 53)}));
    EXPECT_EQ(clock.Period(host.GetSafeHwnd(), CDorvik::kCommandTimer), 100u);
}

TEST_F(CommandQueue, ALateAnswerDoesNotAnswerTheNextCommandBeforeItIsSent) {
    Identify();
    dorvik->QueueQKSetDate();
    dorvik->QueueQKSetTime();
    dorvik->StartCommandTimer(100);
    clock.Advance(100);  // "BF" again
    Feed(Token("ACK"));
    clock.Advance(100);  // "BF" removed
    Feed(Token("ACK"));  // the answer to its second try
    clock.Advance(100);
    EXPECT_EQ(port->Letters(), (std::vector<std::string>{"BF", "BF", "BG"}));
    EXPECT_FALSE(dorvik->IsCommandAnswered());
    EXPECT_EQ(dorvik->GetQueuedCommandCount(), 1u);
}

TEST_F(CommandQueue, AnEmptyQueueStopsTheTimerAndTheNextStartSendsAtOnce) {
    Identify();
    dorvik->StartCommandTimer(50);
    EXPECT_TRUE(dorvik->IsCommandTimerOn());
    clock.Advance(50);
    EXPECT_FALSE(dorvik->IsCommandTimerOn());
    dorvik->QueueQKStop();
    dorvik->StartCommandTimer(200);
    EXPECT_EQ(port->Letters(), std::vector<std::string>{"AQ"});
    EXPECT_EQ(clock.Period(host.GetSafeHwnd(), CDorvik::kCommandTimer), 200u);
}

TEST_F(CommandQueue, AStartWhileRunningKeepsTheAnsweredHeadAndItsPeriod) {
    Identify();
    dorvik->QueueQKSetDate();
    dorvik->StartCommandTimer(100);
    Feed(Token("ACK"));
    dorvik->QueueQKSetTime();
    dorvik->StartCommandTimer(50);
    EXPECT_EQ(clock.Period(host.GetSafeHwnd(), CDorvik::kCommandTimer), 100u);
    clock.Advance(300);
    EXPECT_EQ(port->Letters(), (std::vector<std::string>{"BF", "BG", "BG"}))
        << "the answered \"BF\" is not sent again";
}

TEST_F(CommandQueue, TheFirstTryShowsItsProgressText) {
    struct Case {
        std::function<void(CDorvik&)> queue;
        const char* text;
    };
    const Case cases[] = {
        {[](CDorvik& d) { d.QueueQKTiming(); }, "Run"},
        {[](CDorvik& d) { d.QueueWriteLoggingRegime(41, 7, 10, 1); }, "Run"},
        {[](CDorvik& d) { d.QueueWriteLoggingRegime(41, 7, 10, 0); }, "Setup Dorvik"},
        {[](CDorvik& d) { d.QueueSetup(7, 41, 10); }, "Setup Dorvik"},
        {[](CDorvik& d) { d.QueueQKTimingDownload(1, 0, 9); }, "Download"},
        {[](CDorvik& d) { d.QueueQKStop(); }, "Stopping Dorvik"},
        {[](CDorvik& d) { d.QueueStop(); }, "Stopping Dorvik"},
        {[](CDorvik& d) { d.QueueReadSensorInfo(255, 0); }, "Reading sensors information - 14%"},
        {[](CDorvik& d) { d.QueueReadSensorInfo(255, 5); }, "Reading sensors information - 85%"},
        {[](CDorvik& d) { d.QueueReadSensorInfo(255, 6); }, "Reading sensors information - 100%"},
        {[](CDorvik& d) { d.QueueQKReadData(2, 4, 0, 9); }, "Download - 66%"},
        {[](CDorvik& d) { d.QueueReadMemory(); }, "Read memory - 25%"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        MakeDorvik();
        Identify();
        dorvik->SetHeaderReadOrder(2, {0, 4, 6});
        c.queue(*dorvik);
        dorvik->StartCommandTimer(100);
        EXPECT_EQ(dorvik->GetProgressText(), c.text);
        EXPECT_EQ(dorvik->GetStatusBarText(), c.text);
    }
    // Later tries leave the text alone; codes without a text leave the last one.
    dorvik->StopCommandTimer();
    dorvik->QueueQKSetDate();
    dorvik->StartCommandTimer(100);
    EXPECT_EQ(dorvik->GetProgressText(), "Read memory - 25%");
}

TEST_F(CommandQueue, FourHeaderReadsLetTheUserChooseOnceAfterTheFourth) {
    Identify();
    dorvik->QueueReadMemory();
    dorvik->StartCommandTimer(100);
    // Sets 0 and 2 answer their first request; 1 and 3 never answer.
    Bytes header(24, 0);
    header[13] = 1;
    size_t seen = port->writes.size() - 1;
    for (int tick = 0; tick < 100 && !dorvik->IsCommandQueueEmpty(); ++tick) {
        if (port->writes.size() > seen) {
            seen = port->writes.size();
            const Bytes& frame = LastWrite();
            ASSERT_EQ(std::string(frame.begin(), frame.begin() + 2), "BA");
            const BYTE set = frame[2];
            if ((set == 0 || set == 2) && !dorvik->IsCommandAnswered()) Feed(DataAnswer(header));
        }
        EXPECT_EQ(host.Count(UM_SELECT_DOWNLOAD), 0u);
        clock.Advance(100);
    }
    EXPECT_EQ(host.Count(UM_SELECT_DOWNLOAD), 1u);
    EXPECT_EQ(host.messages.back().message, UM_SELECT_DOWNLOAD);
    EXPECT_EQ(dorvik->headers.size(), 2u);
    EXPECT_TRUE(dorvik->plannedSets.empty()) << "a survey only keeps the headers";
    EXPECT_NE(dorvik->GetDataSetHeader(0).mode, 3);
    EXPECT_EQ(dorvik->GetDataSetHeader(1).mode, 3);
    EXPECT_NE(dorvik->GetDataSetHeader(2).mode, 3);
    EXPECT_EQ(dorvik->GetDataSetHeader(3).mode, 3);
    EXPECT_FALSE(dorvik->IsCommandTimerOn()) << "stopped before the document's dialog";
}

TEST_F(CommandQueue, AnUnansweredSensorReadEndsTheConnectionAttempt) {
    Identify();
    dorvik->QueueReadSensorInfo(255, 0);
    dorvik->QueueReadSensorInfo(255, 2);
    dorvik->StartCommandTimer(100);
    EXPECT_TRUE(dorvik->IsSensorReadQueued());
    EXPECT_TRUE(dorvik->IsSensorReadUnderWay());
    prompts.ExpectMessage(CDorvik::kConnectFailedText, IDOK);
    clock.Advance(900);
    EXPECT_EQ(dorvik->GetDetectionState(), 0);
    EXPECT_EQ(prompts.Shown().size(), 1u);
    EXPECT_FALSE(port->open) << "the link is closed";
    EXPECT_FALSE(dorvik->IsSensorReadQueued());
    EXPECT_FALSE(dorvik->IsSensorReadUnderWay());
    EXPECT_TRUE(dorvik->IsCommandQueueEmpty());
    EXPECT_FALSE(dorvik->IsCommandTimerOn());
    EXPECT_EQ(port->writes.size(), 9u);
}

TEST_F(CommandQueue, TheLastSensorReadAnsweredEndsTheSensorRead) {
    Identify();
    dorvik->QueueReadSensorInfo(255, 6);
    dorvik->StartCommandTimer(100);
    Feed(SensorAnswer(Bytes(20, 0)));
    EXPECT_TRUE(dorvik->IsSensorReadUnderWay());
    clock.Advance(100);
    EXPECT_FALSE(dorvik->IsSensorReadUnderWay());
    EXPECT_FALSE(dorvik->IsCommandFailed());
}

TEST_F(CommandQueue, DataReadsAbortTheDownloadWhenGivenUpOrStopped) {
    Identify();
    dorvik->QueueQKReadData(0, 0, 0, 9);
    dorvik->StartCommandTimer(100);
    // Each try waits for the answer's time on the wire and a margin.
    clock.Advance(3000);
    EXPECT_EQ(dorvik->aborts, 1);
    EXPECT_EQ(port->writes.size(), 9u);

    port->writes.clear();
    dorvik->SetDownloadStop(true);
    dorvik->QueueQKReadData(0, 1, 0, 9);
    dorvik->StartCommandTimer(100);
    EXPECT_EQ(dorvik->aborts, 2);
    EXPECT_TRUE(port->writes.empty());
}

TEST_F(CommandQueue, SendersDoNothingUntilALoggerIsConnected) {
    dorvik->QueueQKSetDate();
    dorvik->QueueReadSensorInfo(255, 0);
    dorvik->StartCommandTimer(100);
    // The sensor read that never went out ends the connection attempt.
    prompts.ExpectMessage(CDorvik::kConnectFailedText, IDOK);
    clock.Advance(2000);
    EXPECT_TRUE(port->writes.empty());
    port->open = true;
    dorvik->SendQKSnapshot();
    EXPECT_TRUE(port->writes.empty());
    dorvik->SendQKStatusRequest();  // the identification request goes out regardless
    EXPECT_EQ(port->Letters(), std::vector<std::string>{"AA"});
}

TEST_F(CommandQueue, StopCommandTimerEmptiesTheQueueAndMarksABasicStopDone) {
    Identify();
    dorvik->QueueStop();
    dorvik->QueueQKSetDate();
    dorvik->StartCommandTimer(100);
    EXPECT_EQ(dorvik->GetCurrentCommand().code, COMMAND_STOP);
    dorvik->StopCommandTimer();
    EXPECT_TRUE(dorvik->IsCommandQueueEmpty());
    EXPECT_EQ(dorvik->GetCurrentCommand().code, COMMAND_STOPPED);
    EXPECT_FALSE(clock.IsTimerRunning(host.GetSafeHwnd(), CDorvik::kCommandTimer));
}

TEST_F(CommandQueue, ATimerThatCannotStartIsReportedAfterTheHandler) {
    clock.SetTimerFailure([](HWND, UINT_PTR id) { return id == CDorvik::kCommandTimer; });
    Identify();
    // The external sensors changed: the answer machine queues two reads and starts the timer.
    Feed({0xAA, 0x02});
    EXPECT_EQ(port->Letters(), std::vector<std::string>{"AJ"});
    EXPECT_TRUE(prompts.Shown().empty()) << "no box from inside the answer machine";
    EXPECT_FALSE(dorvik->IsCommandTimerOn());
    prompts.ExpectMessage("SetTimer failed", IDOK);
    clock.RunPending();
    EXPECT_EQ(prompts.Shown().size(), 1u);
}

// The logger object has no window of its own: it tells the user through the installed prompt,
// after the handler, and only logs what it cannot tell anyone.
TEST_F(CommandQueue, MessagesReachTheInstalledPromptOrElseTheLog) {
    {
        testing_support::PromptRecorder prompt;
        clock.SetTimerFailure([](HWND, UINT_PTR id) { return id == CDorvik::kCommandTimer; });
        Identify();
        EXPECT_FALSE(dorvik->QueueSetup(0x01, 64, CDorvik::kMaxRunLength + 1));
        Feed({0xAA, 0x02});  // the answer machine queues sensor reads: the timer fails
        EXPECT_TRUE(prompt.texts.empty());
        clock.RunPending();
        EXPECT_EQ(prompt.texts,
                  (std::vector<CString>{CString::Formatted(CDorvik::kRunTooLongText,
                                                           unsigned(CDorvik::kMaxRunLength)),
                                        "SetTimer failed"}));
        EXPECT_TRUE(prompts.Shown().empty());
    }
    CUserPrompt* application = GetUserPrompt();
    InstallUserPrompt(nullptr);
    testing_support::LogCapture log("varnel.logger");
    EXPECT_EQ(ShowMessage("Nobody to tell", 4), 0);
    InstallUserPrompt(application);
    ASSERT_EQ(log.messages.size(), 1u);
    EXPECT_TRUE(log.messages[0].contains("Nobody to tell"));
}

TEST_F(CommandQueue, BeginRunMakesArraysTheDocumentCanTakeOver) {
    Identify();
    dorvik->BeginRun(3, CDorvik::kLiveRun);
    ASSERT_EQ(host.Count(UM_NEW_EXPERIMENT), 1u);
    EXPECT_EQ(host.messages.back().wParam, kNewExperimentTag);
    EXPECT_EQ(host.messages.back().lParam, CDorvik::kLiveRun);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NE(dorvik->GetRunX(i), nullptr);
        EXPECT_NE(dorvik->GetRunY(i), nullptr);
    }
    EXPECT_EQ(dorvik->GetRunX(3), nullptr);
    EXPECT_EQ(dorvik->GetRateInformation().intervalSeconds, 1.0);

    CDataArray* y = dorvik->GetRunY(1);
    CDataArrayPtr taken = dorvik->TakeRunY(1);
    EXPECT_EQ(taken.get(), y);
    EXPECT_EQ(dorvik->GetRunY(1), y) << "appends go on through the kept pointer";
    dorvik->ForgetRunArrays();
    EXPECT_EQ(dorvik->GetRunY(1), nullptr);
    EXPECT_EQ(dorvik->GetRunX(0), nullptr);
}

}  // namespace
