// The logger object over Bluetooth, end to end: VARNEL_BLUETOOTH, the port search, the serial
// link, the stack interface and the BlueZ device, whose connections are sockets to the simulated
// QK. Real time, as over a COM port.

#include <bluetooth/bluetooth.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "bluetooth/rfcomm_api.h"
#include "bluetooth/sdk.h"
#include "platform/bt/bluez_driver.h"
#include "tests/logger/dorvik_fixture.h"
#include "tests/support/core/sim_port.h"
#include "tools/dorvik-sim/qk_model.h"

namespace {

using namespace dorvik_test;
using dorvik_sim::Line;
using dorvik_sim::QkModel;
using platform::bt::Address;
using testing_support::ScopedEnv;

constexpr const char* kBluetoothMissingText = "Bluetooth is not available on this computer.";

// Every connection the driver makes is a new socket to the same simulated logger.
class SimulatorFactory : public platform::bt::SocketFactory {
public:
    struct Connection {
        Address address;
        int channel;
        int security;
    };
    explicit SimulatorFactory(Line& line) : m_line(line) {}

    bool Available() override { return available; }
    int LookUpSerialPortChannel(const Address& /*address*/) override {
        std::lock_guard lock(m_mutex);
        ++m_lookUps;
        return 3;
    }
    int Connect(const Address& address, int channel, int security, int /*abortFd*/) override {
        {
            std::lock_guard lock(m_mutex);
            m_connections.push_back({address, channel, security});
        }
        if (refuse) return -1;
        int pair[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return -1;
        m_line.AttachSocket(pair[1]);
        return pair[0];
    }
    std::vector<Connection> Connections() {
        std::lock_guard lock(m_mutex);
        return m_connections;
    }
    int LookUps() {
        std::lock_guard lock(m_mutex);
        return m_lookUps;
    }

    std::atomic<bool> available{true};
    std::atomic<bool> refuse{false};

private:
    Line& m_line;
    std::mutex m_mutex;
    std::vector<Connection> m_connections;
    int m_lookUps = 0;
};

struct TakenChannel {
    ChannelDescriptionStruct description;
    CDataArrayPtr x, y;
};

class LoggerOverBluetooth : public testing_support::CoreHarnessTest {
protected:
    // Only a Bluetooth search could find anything; a COM logger is there to show none is made.
    testing_support::NoComPorts noPorts;
    testing_support::SimulatedComPort comLogger{1, std::make_unique<QkModel>()};
    ScopedEnv target{"VARNEL_BLUETOOTH", "00:11:22:33:44:55,5"};
    Line line{std::make_unique<QkModel>(), Line::OverSocket{}};
    std::shared_ptr<SimulatorFactory> factory = std::make_shared<SimulatorFactory>(line);
    CSettings settings{env.File("Settings.vns")};
    HostWindow host;
    std::unique_ptr<WatchedDorvik> dorvik;
    std::map<int, TakenChannel> taken;

    void SetUp() override {
        ASSERT_TRUE(line.IsReady()) << line.ErrorText();
        ASSERT_EQ(BtSdkStartCount(), 0u);
        platform::bt::SetSocketFactory(factory);
        ASSERT_TRUE(host.CreateMessageTarget());
        // The document's side of a new experiment: it takes the run's arrays.
        host.onMessage = [this](UINT message) {
            if (message != UM_NEW_EXPERIMENT) return;
            const BYTE kind = BYTE(host.messages.back().lParam);
            for (int i = 0; i < dorvik->GetChannelCount(kind); ++i) {
                TakenChannel channel;
                ASSERT_TRUE(dorvik->GetChannelDescription(i, kind, channel.description));
                channel.x = dorvik->TakeRunX(i);
                channel.y = dorvik->TakeRunY(i);
                taken[channel.description.channel] = std::move(channel);
            }
        };
    }
    void TearDown() override {
        host.onMessage = nullptr;
        host.dorvik = nullptr;
        dorvik.reset();
        EXPECT_EQ(BtSdkStartCount(), 0u);
        EXPECT_EQ(RfcRunningReaders(), 0) << "a reader outlived the last stop";
        platform::bt::SetSocketFactory(nullptr);
    }
    // A logger object that searches at once, as at start-up.
    void Start() {
        dorvik = std::make_unique<WatchedDorvik>(&settings);
        dorvik->searchPorts = true;
        host.dorvik = dorvik.get();
        dorvik->Create(&host);
    }
    bool Wait(const std::function<bool()>& done) { return RunUntil(clock, done); }
    void RunFor(int ms) {
        RunUntil(
            clock, [] { return false; }, std::chrono::milliseconds(ms));
    }
    bool Found() {
        return dorvik->IsQKModel() && !dorvik->IsDetectionTimerOn() &&
               dorvik->IsCommandQueueEmpty() && !dorvik->IsCommandTimerOn();
    }
    void StartRun(WORD length) {
        ASSERT_TRUE(dorvik->QueueWriteLoggingRegime(51, 0x7F, length, 1));  // 20 ms
        dorvik->StartCommandTimer(50);
    }
    bool ComLoggerUntouched() {
        return comLogger.line.Received().empty() && comLogger.line.LostInput() == 0;
    }
};

TEST_F(LoggerOverBluetooth, FindsTheQKAndRecordsALiveRun) {
    Start();
    ASSERT_TRUE(Wait([&] { return Found(); }));
    EXPECT_FALSE(dorvik->IsCommandFailed());
    const auto c = factory->Connections();
    ASSERT_EQ(c.size(), 1u) << "one candidate";
    EXPECT_EQ(c[0].address, (Address{0x00, 0x11, 0x22, 0x33, 0x44, 0x55}));
    EXPECT_EQ(c[0].channel, 5);
    EXPECT_EQ(c[0].security, BT_SECURITY_LOW);
    EXPECT_EQ(factory->LookUps(), 0);
    EXPECT_TRUE(ComLoggerUntouched());
    // Whatever reached the QK before its identification was answered, it was found at once.
    EXPECT_EQ(line.WithModelAs<QkModel>([](QkModel& m) { return m.CountOf("AA"); }), 1u);

    const WORD length = 25;
    StartRun(length);
    ASSERT_TRUE(Wait([&] { return host.Count(UM_RUN_ENDED) >= 1; }));
    RunFor(300);
    EXPECT_EQ(host.Count(UM_RUN_ENDED), 1u) << "a run ends once";
    EXPECT_EQ(host.Count(UM_NEW_EXPERIMENT), 1u);
    ASSERT_EQ(taken.size(), 7u);
    for (auto& [ch, channel] : taken) {
        SCOPED_TRACE(ch);
        ASSERT_EQ(channel.x->size(), length);
        ASSERT_EQ(channel.y->size(), length);
        for (DWORD i = 0; i < length; ++i)
            EXPECT_EQ((*channel.x)[i], i);
    }
    // The raw readings arrive whole: the fourth channel is half its raw value.
    for (DWORD i = 0; i < length; ++i) {
        const WORD raw = line.WithModelAs<QkModel>([&](QkModel& m) { return m.rawValue(3, i); });
        EXPECT_DOUBLE_EQ((*taken[3].y)[i], raw * 0.5) << i;
    }
    EXPECT_FALSE(dorvik->IsRunActive());
    EXPECT_EQ(dorvik->GetSerialPort().GetDroppedByteCount(), 0u);
    EXPECT_FALSE(dorvik->GetSerialPort().IsLinkLost());
}

TEST_F(LoggerOverBluetooth, AHangUpMidRunEndsTheRunOnceAndASearchReconnects) {
    Start();
    ASSERT_TRUE(Wait([&] { return Found(); }));
    line.WithModelAs<QkModel>([](QkModel& m) { m.hangUpAfterRecords = 4; });
    prompts.ExpectMessage(CDorvik::kLinkLostText, IDOK);
    StartRun(100);
    ASSERT_TRUE(Wait([&] { return host.Count(UM_RUN_ENDED) == 1; }));
    RunFor(150);
    EXPECT_EQ(host.Count(UM_RUN_ENDED), 1u);
    EXPECT_EQ(prompts.Shown().size(), 1u);
    EXPECT_GE(dorvik->runRecords.size(), 3u);  // the last may die with the link
    EXPECT_LE(dorvik->runRecords.size(), 4u);
    EXPECT_FALSE(dorvik->IsConnected());
    EXPECT_TRUE(dorvik->GetSerialPort().IsLinkLost());
    EXPECT_FALSE(dorvik->IsCommandTimerOn());

    // The user asks again: a new connection to the same logger.
    line.WithModelAs<QkModel>([](QkModel& m) {
        m.hangUpAfterRecords = -1;
        m.commands.clear();
    });
    dorvik->Connect();
    ASSERT_TRUE(Wait([&] { return Found(); }));
    EXPECT_EQ(factory->Connections().size(), 2u);
    EXPECT_FALSE(dorvik->GetSerialPort().IsLinkLost());
    EXPECT_EQ(line.WithModelAs<QkModel>([](QkModel& m) { return m.CountOf("AA"); }), 1u);
}

TEST_F(LoggerOverBluetooth, ALoggerThatDoesNotAnswerIsTriedOnceAndNoComPort) {
    factory->refuse = true;
    prompts.ExpectMessage(CDorvik::kConnectFailedText, IDOK);
    Start();
    ASSERT_TRUE(Wait([&] { return dorvik->GetDetectionState() == 0; }));
    RunFor(800);
    EXPECT_EQ(prompts.Shown().size(), 1u);
    EXPECT_EQ(factory->Connections().size(), 1u);
    EXPECT_FALSE(dorvik->IsDetectionTimerOn());
    EXPECT_TRUE(ComLoggerUntouched());

    // The set-up dialog's chosen COM ports do not count either: the one candidate again.
    factory->refuse = false;
    dorvik->ClearCandidatePorts();
    dorvik->AppendCandidatePort(1);
    dorvik->SetDetectionState(3);
    dorvik->ConnectToNextPort();
    ASSERT_TRUE(Wait([&] { return Found(); }));
    EXPECT_EQ(factory->Connections().size(), 2u);
    EXPECT_TRUE(ComLoggerUntouched());
}

TEST_F(LoggerOverBluetooth, WithoutBluetoothTheSearchSaysSoOnce) {
    struct Case {
        const char* what;
        bool real;
    };
    for (const Case c : {Case{"no adapter", false}, Case{"this machine", true}}) {
        SCOPED_TRACE(c.what);
        if (c.real) {
            platform::bt::SetSocketFactory(nullptr);
            if (platform::bt::MakeRfcommSocketFactory()->Available()) continue;
        } else {
            factory->available = false;
        }
        EXPECT_FALSE(CSerialPort::IsBluetoothSdkPresent());
        const size_t shown = prompts.Shown().size();
        prompts.ExpectMessage(kBluetoothMissingText, IDOK);
        Start();
        ASSERT_TRUE(Wait([&] { return prompts.Shown().size() == shown + 1; }));
        RunFor(800);
        EXPECT_EQ(prompts.Shown().size(), shown + 1);
        EXPECT_FALSE(dorvik->IsDetectionTimerOn());
        EXPECT_EQ(dorvik->GetDetectionState(), 0);
        EXPECT_TRUE(factory->Connections().empty());
        EXPECT_TRUE(ComLoggerUntouched());
        host.dorvik = nullptr;
        dorvik.reset();
    }
}

}  // namespace
