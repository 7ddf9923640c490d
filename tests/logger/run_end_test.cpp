// A run ends once. A QK's live run, whichever of its ends comes first: the record at its length,
// the logger's run-end record, or the acknowledged stop (against the simulated QK at real time).
// A download that the user's dropping of the logger cuts short (on the virtual clock).

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "tests/logger/dorvik_fixture.h"
#include "tests/support/core/sim_port.h"
#include "tools/dorvik-sim/qk_model.h"

namespace {

using namespace dorvik_test;
using dorvik_sim::QkModel;

constexpr int kCom = 13;

class QkRunEnd : public testing_support::SimulatedQkTest<WatchedDorvik> {
protected:
    QkRunEnd() : SimulatedQkTest(kCom) {}

    void SetUp() override {
        SimulatedQkTest::SetUp();
        if (HasFatalFailure()) return;
        ConnectQk();
    }
    // Everything the logger sent has been taken apart.
    bool Drained() {
        return Wait([&] {
            return !Qk([](QkModel& m) { return m.running; }) && sim.line.PendingOutput() == 0 &&
                   dorvik->GetBufferedCount() == 0;
        });
    }
    void Stop() {
        dorvik->QueueQKStop();
        dorvik->StartCommandTimer(100);
        ASSERT_TRUE(QueueDone());
        EXPECT_FALSE(dorvik->IsCommandFailed());
    }
};

TEST_F(QkRunEnd, ARunEndsOnceAtItsLengthOrWhenTheUserStopsIt) {
    struct Case {
        const char* name;
        WORD length;
        bool stop;
    };
    for (const Case& c : {Case{"at its length", 25, false}, Case{"stopped", 1000, true}}) {
        SCOPED_TRACE(c.name);
        host.messages.clear();
        dorvik->runRecords.clear();
        ASSERT_TRUE(dorvik->QueueWriteLoggingRegime(51, 0x05, c.length, 1));  // 20 ms
        dorvik->StartCommandTimer(50);
        if (c.stop) {
            ASSERT_TRUE(Wait([&] { return dorvik->runRecords.size() >= 5; }));
            Stop();
            // A logger may also close its stream with the run-end record.
            sim.line.Send({0xAA, 0x00});
        } else {
            ASSERT_TRUE(Wait([&] { return host.Count(UM_RUN_ENDED) >= 1; }));
        }
        ASSERT_TRUE(Drained());
        Settle(100);
        EXPECT_EQ(host.Count(UM_NEW_EXPERIMENT), 1u);
        EXPECT_EQ(host.Count(UM_RUN_ENDED), 1u);
        EXPECT_FALSE(dorvik->IsRunActive());
        if (!c.stop) {
            EXPECT_EQ(dorvik->runRecords.size(), c.length);
        }

        // A stop with nothing running ends nothing.
        Stop();
        EXPECT_EQ(host.Count(UM_RUN_ENDED), 1u);
    }
    EXPECT_EQ(Qk([](QkModel& m) { return m.CountOf("AQ"); }), 3u);
}

class DisconnectDuringDownload : public DorvikTest {};

TEST_F(DisconnectDuringDownload, EndsTheDownloadOnceAsCancelled) {
    Identify();
    dorvik->QueueReadDataHeader(0);
    dorvik->StartCommandTimer(100);
    Bytes header(24, 0);
    header[13] = 5;  // a timing set: its download timer watches it
    header[23] = 40;
    Feed(DataAnswer(header));
    ASSERT_EQ(port->Letters().back(), "CS");
    Feed({'S', 1, 0, 0, 0x10, 0});  // its first record arrives
    ASSERT_FALSE(dorvik->IsSetDownloadFinished());

    dorvik->Disconnect();
    EXPECT_EQ(host.Count(UM_RUN_ENDED), 1u);
    EXPECT_EQ(host.Count(UM_REFRESH_RUN), 1u);
    const auto closed = std::count_if(host.messages.begin(), host.messages.end(), [](auto& m) {
        return m.message == UM_FETCH_PROGRESS && m.wParam == 0;
    });
    EXPECT_EQ(closed, 1) << "the progress box is closed";
    EXPECT_TRUE(dorvik->IsSetDownloadFinished());
    EXPECT_FALSE(dorvik->IsDownloadTimerOn());
    EXPECT_FALSE(dorvik->IsCommandTimerOn());
    EXPECT_FALSE(dorvik->IsConnected());
    EXPECT_FALSE(dorvik->IsQKModel());
    EXPECT_FALSE(port->IsOpen());
    // Nor is it failed later, or ended again.
    clock.Advance(3000);
    EXPECT_TRUE(prompts.Shown().empty());
    EXPECT_EQ(host.Count(UM_RUN_ENDED), 1u);
    EXPECT_EQ(host.Count(UM_NEW_EXPERIMENT), 0u);
}

}  // namespace
