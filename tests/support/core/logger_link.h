#pragma once
// A logger object linked to a simulated logger over a pseudo-terminal, at real time, with a host
// window standing in for the communication view: the start of every end-to-end test of the link.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "logger/dorvik.h"
#include "logger/serial_port.h"
#include "logger/settings.h"
#include "platform/msg/message_loop.h"
#include "platform/msg/wnd.h"
#include "tests/support/core/harness.h"
#include "tests/support/core/sim_port.h"
#include "tools/dorvik-sim/line.h"
#include "tools/dorvik-sim/qk_model.h"

namespace testing_support {

struct HostMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Stands in for the communication view: records the logger's messages and routes its timers.
class HostWindow : public CWnd {
public:
    CDorvik* dorvik = nullptr;
    std::vector<HostMessage> messages;
    std::function<void(UINT)> onMessage;

    size_t Count(UINT message) const {
        size_t n = 0;
        for (const HostMessage& m : messages)
            n += m.message == message;
        return n;
    }
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnTimer(UINT_PTR id) override;
};

// Runs the virtual clock with the real one, in 10 ms steps, until `done` holds; false when
// `patience` ran out. The virtual clock never runs ahead of the real one, and when the machine is
// too busy to keep up it skips time rather than firing a burst of timers, as a real loop does.
bool RunUntil(platform::VirtualClock& clock, const std::function<bool()>& done,
              std::chrono::milliseconds patience = std::chrono::seconds(20));

// A logger object of class D (made from the settings) and a simulated logger on a COM number
// that the settings name. SetUp makes both; the test creates the object when it is ready.
template <class D>
class SimulatedLoggerTest : public CoreHarnessTest {
protected:
    SimulatedLoggerTest(int com, std::unique_ptr<dorvik_sim::Model> model)
        : sim(com, std::move(model)) {}

    SimulatedComPort sim;
    CSettings settings{env.File("Settings.vns")};
    HostWindow host;
    std::unique_ptr<D> dorvik;

    void SetUp() override {
        ASSERT_TRUE(sim.line.IsReady()) << sim.line.ErrorText();
        ASSERT_TRUE(host.CreateMessageTarget());
        settings.m_comNumber = sim.comNumber;
        dorvik = std::make_unique<D>(&settings);
        host.dorvik = dorvik.get();
    }
    void TearDown() override {
        host.onMessage = nullptr;
        host.dorvik = nullptr;
        dorvik.reset();
    }
    bool Wait(const std::function<bool()>& done) { return RunUntil(clock, done); }
    // Lets `ms` pass with the link running, whatever comes.
    void Settle(int ms) {
        RunUntil(
            clock, [] { return false; }, std::chrono::milliseconds(ms));
    }
    bool QueueDone() {
        return Wait([&] { return dorvik->IsCommandQueueEmpty() && !dorvik->IsCommandTimerOn(); });
    }
    // What detection does on a QK's ticks: the link open at 19200 baud and receiving.
    void OpenQkLink() {
        CSerialPort& link = dorvik->GetSerialPort();
        link.SetBaudRate(19200);
        ASSERT_EQ(link.SetOpen(true), 1);
        dorvik->StartReceiveTimer();
        ASSERT_TRUE(Wait([&] { return sim.line.ProgramBaudRate() == 19200; }));
    }
};

// The same with a simulated QK, which the test reaches through Qk().
template <class D>
class SimulatedQkTest : public SimulatedLoggerTest<D> {
protected:
    explicit SimulatedQkTest(int com, std::unique_ptr<dorvik_sim::QkModel> model =
                                          std::make_unique<dorvik_sim::QkModel>())
        : SimulatedLoggerTest<D>(com, std::move(model)) {}

    template <class F>
    auto Qk(F&& f) {
        return this->sim.line.template WithModelAs<dorvik_sim::QkModel>(std::forward<F>(f));
    }
    // The object made on the host, the link open and the QK identified on it.
    void ConnectQk() {
        this->dorvik->Create(&this->host);
        this->OpenQkLink();
        if (this->HasFatalFailure()) return;
        this->dorvik->SendQKStatusRequest();
        ASSERT_TRUE(this->Wait([&] { return this->dorvik->IsQKModel(); }));
    }
    // The data reads ("C" commands) the QK was sent, in order.
    std::vector<std::string> DataReads() {
        std::vector<std::string> out;
        for (const std::string& l : Qk([](dorvik_sim::QkModel& m) { return m.Letters(); }))
            if (l[0] == 'C') out.push_back(l);
        return out;
    }
};

}  // namespace testing_support
