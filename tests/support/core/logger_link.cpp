#include "tests/support/core/logger_link.h"

#include <thread>

#include "logger/logger_messages.h"

namespace testing_support {

LRESULT HostWindow::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg >= 6000 && msg < 6100) {
        messages.push_back({msg, wParam, lParam});
        if (onMessage) onMessage(msg);
        return 0;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}

void HostWindow::OnTimer(UINT_PTR id) {
    if (!dorvik) return;
    switch (id) {
        case CDorvik::kReceiveTimer:
            dorvik->OnOnCommCommPort();
            break;
        case CDorvik::kDetectionTimer:
            dorvik->DetectLogger();
            break;
        case CDorvik::kCommandTimer:
            dorvik->OnCommandTimer();
            break;
        case CDorvik::kDownloadTimer:
            dorvik->OnDownloadTimer();
            break;
        default:
            break;
    }
}

bool RunUntil(platform::VirtualClock& clock, const std::function<bool()>& done,
              std::chrono::milliseconds patience) {
    using Clock = std::chrono::steady_clock;
    using Ms = std::chrono::duration<double, std::milli>;
    // A line thread may be starved for a while on a loaded machine; the clock waits for it, but
    // not for ever: a test may stall a line on purpose. On a machine short of memory the thread
    // stalls for seconds, and the logger's time-outs must not run out in virtual time meanwhile.
    constexpr double kLongestHold = 5000;
    const Clock::time_point start = Clock::now();
    Clock::time_point last = start;
    double skipped = 0;
    double held = 0;
    const ULONGLONG virtualStart = clock.Now();
    for (;;) {
        if (done()) return true;
        const Clock::time_point now = Clock::now();
        const double real = Ms(now - start).count();
        if (real > double(patience.count())) return false;
        const double step = Ms(now - last).count();
        last = now;
        if (!dorvik_sim::Line::AnyBehind()) {
            held = 0;
        } else if (held < kLongestHold) {
            held += step;
            skipped += step;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        const double lag = real - skipped - double(clock.Now() - virtualStart);
        if (lag > 50) skipped += lag - 50;
        if (lag >= 10)
            clock.Advance(10);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

}  // namespace testing_support
