#include <gtest/gtest.h>

#include <vector>

#include "platform/msg/wnd.h"
#include "tests/support/core/harness.h"

namespace {

using testing_support::ScopedVirtualClock;

// A window that records what reaches it.
class Recorder : public CWnd {
public:
    explicit Recorder(std::vector<CString>* log, const char* name) : m_log(log), m_name(name) {
        CreateMessageTarget();
    }
    void OnTimer(UINT_PTR id) override {
        m_log->push_back(CString::Formatted("%s:%d@%llu", m_name, static_cast<int>(id),
                                            static_cast<unsigned long long>(GetTickCount64())));
        if (onTimer) onTimer(id);
    }
    std::function<void(UINT_PTR)> onTimer;
    std::vector<CString>* m_log;
    const char* m_name;
};

TEST(VirtualClock, TimersFireInTimeOrderOncePerPeriod) {
    ScopedVirtualClock clock;
    std::vector<CString> log;
    Recorder a(&log, "a"), b(&log, "b");
    ASSERT_EQ(a.SetTimer(1, 100), 1u);
    ASSERT_EQ(b.SetTimer(2, 40), 2u);
    clock.Advance(200);
    EXPECT_EQ(log, (std::vector<CString>{"b:2@40", "b:2@80", "a:1@100", "b:2@120", "b:2@160",
                                         "a:1@200", "b:2@200"}));
    EXPECT_EQ(clock.Now(), 200u);
}

TEST(VirtualClock, SameDueTimeFiresInTheOrderTimersWereSet) {
    ScopedVirtualClock clock;
    std::vector<CString> log;
    Recorder w(&log, "w");
    w.SetTimer(7, 50);
    w.SetTimer(3, 50);
    w.SetTimer(5, 25);
    clock.Advance(50);
    EXPECT_EQ(log, (std::vector<CString>{"w:5@25", "w:7@50", "w:3@50", "w:5@50"}));
}

TEST(VirtualClock, TimerKilledInsideAnotherHandlerDoesNotFire) {
    ScopedVirtualClock clock;
    std::vector<CString> log;
    Recorder w(&log, "w");
    w.SetTimer(1, 10);
    w.SetTimer(2, 10);
    w.onTimer = [&](UINT_PTR id) {
        if (id == 1) w.KillTimer(2);
    };
    clock.Advance(30);
    EXPECT_EQ(log, (std::vector<CString>{"w:1@10", "w:1@20", "w:1@30"}));
    EXPECT_FALSE(clock.IsTimerRunning(w.m_hWnd, 2));
}

TEST(VirtualClock, SetTimerCanBeMadeToFailAndNeedsAWindow) {
    ScopedVirtualClock clock;
    std::vector<CString> log;
    Recorder w(&log, "w");
    clock.SetTimerFailure([](HWND, UINT_PTR id) { return id == 2003; });
    EXPECT_EQ(w.SetTimer(2003, 100), 0u);
    EXPECT_EQ(w.SetTimer(6024, 10), 6024u);
    CWnd uncreated;
    EXPECT_EQ(uncreated.SetTimer(1, 10), 0u);
}

TEST(VirtualClock, TimersOfADeletedWindowNeverFire) {
    ScopedVirtualClock clock;
    std::vector<CString> log;
    auto w = std::make_unique<Recorder>(&log, "w");
    const HWND h = w->m_hWnd;
    w->SetTimer(1, 10);
    w.reset();
    clock.Advance(50);
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(clock.IsTimerRunning(h, 1));
    EXPECT_EQ(SendMessage(h, WM_USER), 0);
}

constexpr UINT UM_PING = WM_USER + 1;
constexpr UINT UM_PONG = WM_USER + 2;

class Echo : public CWnd {
public:
    Echo() { CreateMessageTarget(); }
    std::vector<CString> log;
    LRESULT OnPing(WPARAM w, LPARAM) {
        log.push_back(CString::Formatted("ping %d", static_cast<int>(w)));
        if (w > 0) {
            // Re-entrant: the nested send is handled before this one returns.
            const LRESULT r = SendMessage(UM_PING, w - 1);
            log.push_back(CString::Formatted("back %d", static_cast<int>(r)));
        }
        PostMessage(UM_PONG, w);
        log.push_back(CString::Formatted("posted %d", static_cast<int>(w)));
        return static_cast<LRESULT>(w) * 10;
    }
    LRESULT OnPong(WPARAM w, LPARAM) {
        log.push_back(CString::Formatted("pong %d", static_cast<int>(w)));
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Echo, CWnd)
ON_MESSAGE(UM_PING, OnPing)
ON_MESSAGE(UM_PONG, OnPong)
END_MESSAGE_MAP()

TEST(Messages, SendIsSynchronousAndReentrantPostComesAfter) {
    ScopedVirtualClock clock;
    Echo e;
    EXPECT_EQ(e.SendMessage(UM_PING, 1), 10);
    EXPECT_EQ(e.log, (std::vector<CString>{"ping 1", "ping 0", "posted 0", "back 0", "posted 1"}));
    clock.RunPending();
    EXPECT_EQ(e.log.size(), 7u);
    EXPECT_EQ(e.log[5], "pong 0");
    EXPECT_EQ(e.log[6], "pong 1");
}

TEST(Messages, PostedToAGoneWindowIsDropped) {
    ScopedVirtualClock clock;
    // Destroyed: the object stays and hears nothing more.
    Echo destroyed;
    destroyed.PostMessage(UM_PONG, 1);
    destroyed.DestroyWindow();
    // Deleted: a window made next (likely at the very same address) must not get its message.
    auto deleted = std::make_unique<Echo>();
    const HWND gone = deleted->m_hWnd;
    deleted->PostMessage(UM_PONG, 2);
    deleted.reset();
    Echo next;
    EXPECT_FALSE(PostMessage(gone, UM_PONG, 3));
    clock.RunPending();
    EXPECT_TRUE(destroyed.log.empty());
    EXPECT_TRUE(next.log.empty());
}

}  // namespace
