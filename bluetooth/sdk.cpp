#include "bluetooth/sdk.h"

#include <atomic>

namespace {
// All starts and stops come from the GUI thread; atomic all the same, it costs nothing.
std::atomic<DWORD> g_startCount{0};
}  // namespace

DWORD sdk_init() {
    return ++g_startCount;
}

void sdk_close() {
    DWORD count = g_startCount.load();
    while (count > 0 && !g_startCount.compare_exchange_weak(count, count - 1)) {
    }
}

DWORD BtSdkStartCount() {
    return g_startCount.load();
}
