#pragma once
// One loop interface with two engines: the Qt event loop in the program, and a virtual clock in
// tests. Timers belong to a window handle and an id; a timer whose window is gone never fires.

#include <functional>
#include <memory>

#include "platform/base/systemtime.h"
#include "platform/base/types.h"

namespace platform {

class MessageLoop {
public:
    virtual ~MessageLoop() = default;

    // Starts or restarts the timer (hwnd, id). False when it could not be made.
    bool StartTimer(HWND hwnd, UINT_PTR id, UINT periodMs);
    virtual bool StopTimer(HWND hwnd, UINT_PTR id) = 0;
    virtual void StopTimers(HWND hwnd) = 0;
    virtual bool IsTimerRunning(HWND hwnd, UINT_PTR id) const = 0;
    // Runs the task after the current handler has returned, in posting order.
    virtual void Post(std::function<void()> task) = 0;
    // Milliseconds since an arbitrary start: what GetTickCount reports.
    virtual ULONGLONG TickCount() const = 0;

    // Tests make chosen timers fail to start, as SetTimer does when the system is out of them.
    void SetTimerFailure(std::function<bool(HWND, UINT_PTR)> fails) { m_fails = std::move(fails); }

    // The loop in use. The Qt engine is made on first use when none was installed.
    static MessageLoop& Current();
    // Installs a loop (tests install a virtual clock); nullptr returns to the Qt engine.
    static void Install(MessageLoop* loop);

protected:
    virtual bool DoStartTimer(HWND hwnd, UINT_PTR id, UINT periodMs) = 0;
    // Delivers a timer tick to its window, if the window still exists.
    static void DeliverTimer(HWND hwnd, UINT_PTR id);

private:
    std::function<bool(HWND, UINT_PTR)> m_fails;
};

// The Qt engine: timers are precise QTimers, posted tasks are queued events of the Qt loop.
std::unique_ptr<MessageLoop> MakeQtMessageLoop();

// The virtual clock: time moves only when Advance is called. Timers fire in time order, once per
// period; timers due at the same moment fire in the order they were started; a timer stopped by
// another's handler does not fire. Posted tasks run after each handler.
class VirtualClock : public MessageLoop {
public:
    VirtualClock();
    ~VirtualClock() override;

    void Advance(ULONGLONG ms);
    // Runs the posted tasks (and any they post) without moving time.
    void RunPending();
    ULONGLONG Now() const { return m_now; }
    ULONGLONG TickCount() const override { return m_now; }
    // Milliseconds until the next timer is due, or -1 when none runs.
    LONGLONG NextDue() const;
    UINT Period(HWND hwnd, UINT_PTR id) const;
    // From now on GetLocalTime reads `at` plus the virtual time passed since this call, until the
    // clock goes.
    void SetLocalTime(const SYSTEMTIME& at);

    bool StopTimer(HWND hwnd, UINT_PTR id) override;
    void StopTimers(HWND hwnd) override;
    bool IsTimerRunning(HWND hwnd, UINT_PTR id) const override;
    void Post(std::function<void()> task) override;

protected:
    bool DoStartTimer(HWND hwnd, UINT_PTR id, UINT periodMs) override;

private:
    struct Timer;
    struct State;
    std::unique_ptr<State> m_state;
    ULONGLONG m_now = 0;
    // The local time at m_localBase, in milliseconds since 1970 as if it were UTC.
    long long m_localSeconds = 0;
    ULONGLONG m_localBase = 0;
    bool m_localTimeSet = false;
};

}  // namespace platform

// The Windows names.
ULONGLONG GetTickCount64();
DWORD GetTickCount();
