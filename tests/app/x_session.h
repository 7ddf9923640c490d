#pragma once
// A real X server with a window manager, for the tests of what only a real screen shows: frames,
// title bars, and what reaches the screen of windows and pop-ups. Offscreen they skip; under CI
// (which runs them on X servers of its own) a missing window manager fails them.

#include <string>

namespace testing_support {

bool WindowManagerRuns();

// Starts openbox for the rest of the program's run, when the platform is xcb and no window
// manager runs yet; it ends with the application.
void StartWindowManager();

// Why a test of the real screen cannot run here: empty when it can. `mustRun` tells whether the
// test is to fail instead of skip (an X server without a window manager under CI).
std::string WhyNoRealScreen(bool& mustRun);

}  // namespace testing_support

// In a fixture's SetUp: skips, or fails where the test must run.
#define REQUIRE_REAL_SCREEN()                                                \
    do {                                                                     \
        bool mustRun_ = false;                                               \
        const std::string why_ = testing_support::WhyNoRealScreen(mustRun_); \
        if (!why_.empty()) {                                                 \
            if (mustRun_) FAIL() << why_;                                    \
            GTEST_SKIP() << why_;                                            \
        }                                                                    \
    } while (false)
