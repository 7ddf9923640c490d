#include "platform/msg/message_loop.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <ctime>
#include <deque>
#include <map>
#include <utility>

#include "platform/msg/wnd.h"

namespace platform {
namespace {

MessageLoop*& Installed() {
    static MessageLoop* loop = nullptr;
    return loop;
}

class QtMessageLoop : public MessageLoop {
public:
    QtMessageLoop() { m_clock.start(); }
    ~QtMessageLoop() override {
        for (auto& [key, timer] : m_timers)
            delete timer;
    }

    bool StopTimer(HWND hwnd, UINT_PTR id) override {
        auto it = m_timers.find({hwnd, id});
        if (it == m_timers.end()) return false;
        it->second->stop();
        it->second->deleteLater();  // may be the timer whose tick is running now
        m_timers.erase(it);
        return true;
    }
    void StopTimers(HWND hwnd) override {
        for (auto it = m_timers.lower_bound({hwnd, 0});
             it != m_timers.end() && it->first.first == hwnd;) {
            it->second->stop();
            it->second->deleteLater();
            it = m_timers.erase(it);
        }
    }
    bool IsTimerRunning(HWND hwnd, UINT_PTR id) const override {
        return m_timers.count({hwnd, id}) > 0;
    }
    void Post(std::function<void()> task) override {
        QTimer::singleShot(0, &m_context, std::move(task));
    }
    ULONGLONG TickCount() const override { return static_cast<ULONGLONG>(m_clock.elapsed()); }

protected:
    bool DoStartTimer(HWND hwnd, UINT_PTR id, UINT periodMs) override {
        QTimer*& timer = m_timers[{hwnd, id}];
        if (!timer) {
            timer = new QTimer();
            timer->setTimerType(Qt::PreciseTimer);
            QObject::connect(timer, &QTimer::timeout, [hwnd, id] { DeliverTimer(hwnd, id); });
        }
        timer->start(static_cast<int>(periodMs));
        return true;
    }

private:
    QElapsedTimer m_clock;
    QObject m_context;
    std::map<std::pair<HWND, UINT_PTR>, QTimer*> m_timers;
};

}  // namespace

bool MessageLoop::StartTimer(HWND hwnd, UINT_PTR id, UINT periodMs) {
    if (m_fails && m_fails(hwnd, id)) return false;
    return DoStartTimer(hwnd, id, periodMs);
}

void MessageLoop::DeliverTimer(HWND hwnd, UINT_PTR id) {
    if (CWnd* wnd = CWnd::FromHandlePermanent(hwnd)) wnd->SendMessage(WM_TIMER, id, 0);
}

MessageLoop& MessageLoop::Current() {
    if (!Installed()) {
        static std::unique_ptr<MessageLoop> qt = MakeQtMessageLoop();
        return *qt;
    }
    return *Installed();
}

void MessageLoop::Install(MessageLoop* loop) {
    Installed() = loop;
}

std::unique_ptr<MessageLoop> MakeQtMessageLoop() {
    return std::make_unique<QtMessageLoop>();
}

// ---- the virtual clock ----

struct VirtualClock::Timer {
    HWND hwnd;
    UINT_PTR id;
    UINT period;
    ULONGLONG due;
    ULONGLONG order;  // when it was started: breaks ties between timers due together
};

struct VirtualClock::State {
    std::map<std::pair<HWND, UINT_PTR>, Timer> timers;
    std::deque<std::function<void()>> posted;
    ULONGLONG nextOrder = 0;
    bool advancing = false;
};

VirtualClock::VirtualClock() : m_state(std::make_unique<State>()) {}
VirtualClock::~VirtualClock() {
    if (m_localTimeSet) SetLocalTimeSource(nullptr);
}

void VirtualClock::SetLocalTime(const SYSTEMTIME& at) {
    std::tm t{};
    t.tm_year = at.wYear - 1900;
    t.tm_mon = at.wMonth - 1;
    t.tm_mday = at.wDay;
    t.tm_hour = at.wHour;
    t.tm_min = at.wMinute;
    t.tm_sec = at.wSecond;
    m_localSeconds = static_cast<long long>(::timegm(&t)) * 1000 + at.wMilliseconds;
    m_localBase = m_now;
    m_localTimeSet = true;
    SetLocalTimeSource(
        [](SYSTEMTIME* time, void* context) {
            const auto* clock = static_cast<const VirtualClock*>(context);
            const long long ms =
                clock->m_localSeconds + static_cast<long long>(clock->m_now - clock->m_localBase);
            const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
            std::tm local{};
            ::gmtime_r(&seconds, &local);
            time->wYear = static_cast<WORD>(local.tm_year + 1900);
            time->wMonth = static_cast<WORD>(local.tm_mon + 1);
            time->wDayOfWeek = static_cast<WORD>(local.tm_wday);
            time->wDay = static_cast<WORD>(local.tm_mday);
            time->wHour = static_cast<WORD>(local.tm_hour);
            time->wMinute = static_cast<WORD>(local.tm_min);
            time->wSecond = static_cast<WORD>(local.tm_sec);
            time->wMilliseconds = static_cast<WORD>(ms % 1000);
        },
        this);
}

bool VirtualClock::DoStartTimer(HWND hwnd, UINT_PTR id, UINT periodMs) {
    const UINT period = periodMs == 0 ? 1 : periodMs;  // a zero period fires as fast as it can
    m_state->timers[{hwnd, id}] = Timer{hwnd, id, period, m_now + period, m_state->nextOrder++};
    return true;
}

bool VirtualClock::StopTimer(HWND hwnd, UINT_PTR id) {
    return m_state->timers.erase({hwnd, id}) > 0;
}

void VirtualClock::StopTimers(HWND hwnd) {
    auto& t = m_state->timers;
    for (auto it = t.lower_bound({hwnd, 0}); it != t.end() && it->first.first == hwnd;)
        it = t.erase(it);
}

bool VirtualClock::IsTimerRunning(HWND hwnd, UINT_PTR id) const {
    return m_state->timers.count({hwnd, id}) > 0;
}

UINT VirtualClock::Period(HWND hwnd, UINT_PTR id) const {
    auto it = m_state->timers.find({hwnd, id});
    return it == m_state->timers.end() ? 0 : it->second.period;
}

LONGLONG VirtualClock::NextDue() const {
    LONGLONG best = -1;
    for (const auto& [key, t] : m_state->timers)
        if (best < 0 || static_cast<LONGLONG>(t.due - m_now) < best)
            best = static_cast<LONGLONG>(t.due - m_now);
    return best;
}

void VirtualClock::Post(std::function<void()> task) {
    m_state->posted.push_back(std::move(task));
}

void VirtualClock::RunPending() {
    while (!m_state->posted.empty()) {
        auto task = std::move(m_state->posted.front());
        m_state->posted.pop_front();
        task();
    }
}

void VirtualClock::Advance(ULONGLONG ms) {
    // A handler that advances the clock again would reorder time: the nested call does nothing, and
    // the outer one runs the posted tasks after the handler.
    if (m_state->advancing) return;
    m_state->advancing = true;
    const ULONGLONG target = m_now + ms;
    RunPending();
    for (;;) {
        const Timer* next = nullptr;
        for (const auto& [key, t] : m_state->timers)
            if (t.due <= target &&
                (!next || t.due < next->due || (t.due == next->due && t.order < next->order)))
                next = &t;
        if (!next) break;
        m_now = next->due;
        const HWND hwnd = next->hwnd;
        const UINT_PTR id = next->id;
        // Reschedule before delivery, so the handler may stop or restart its own timer.
        m_state->timers[{hwnd, id}].due += next->period;
        DeliverTimer(hwnd, id);
        RunPending();
    }
    m_now = target;
    m_state->advancing = false;
}

}  // namespace platform

ULONGLONG GetTickCount64() {
    return platform::MessageLoop::Current().TickCount();
}
DWORD GetTickCount() {
    return static_cast<DWORD>(GetTickCount64());
}
