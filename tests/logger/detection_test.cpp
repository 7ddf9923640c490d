// The port search and the model handshake against simulated loggers over pseudo-terminals, at real
// time: which ports are tried, what each is sent, what is found and remembered, and what the user
// is told when nothing answers. Only the simulated lines of a test are in the port list.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>

#include "tests/logger/dorvik_fixture.h"
#include "tests/support/core/sim_port.h"
#include "tools/dorvik-sim/basic_model.h"
#include "tools/dorvik-sim/qk_model.h"

namespace {

using namespace dorvik_test;
using dorvik_sim::BasicModel;
using dorvik_sim::QkModel;
using testing_support::ScopedEnv;
using testing_support::SimulatedComPort;

const Bytes kBasicProbe = {0xEB, 0x92, 0xF0};

Bytes Repeated(const Bytes& bytes, int times) {
    Bytes out;
    for (int i = 0; i < times; ++i)
        out.insert(out.end(), bytes.begin(), bytes.end());
    return out;
}

class Detection : public testing_support::CoreHarnessTest {
protected:
    testing_support::NoComPorts noPorts;
    CSettings settings{env.File("Settings.vns")};
    HostWindow host;
    std::unique_ptr<WatchedDorvik> dorvik;

    void SetUp() override { ASSERT_TRUE(host.CreateMessageTarget()); }
    void TearDown() override {
        host.dorvik = nullptr;
        dorvik.reset();
    }
    // A logger object that searches the ports as it does at start-up, or that waits for a
    // search to be asked for.
    void Start(bool search = true) {
        host.dorvik = nullptr;
        dorvik.reset();  // lets its port go first
        dorvik = std::make_unique<WatchedDorvik>(&settings);
        dorvik->searchPorts = search;
        host.dorvik = dorvik.get();
        host.messages.clear();
        dorvik->Create(&host);
    }
    // The set-up dialog's search of its chosen ports.
    void SearchChosen(std::initializer_list<short> ports) {
        dorvik->ClearCandidatePorts();
        for (short p : ports)
            dorvik->AppendCandidatePort(p);
        dorvik->SetDetectionState(3);
        dorvik->ConnectToNextPort();
    }
    bool Wait(const std::function<bool()>& done) { return RunUntil(clock, done); }
    bool Searching() const { return dorvik->IsDetectionTimerOn(); }
    bool QueueIdle() const { return dorvik->IsCommandQueueEmpty() && !dorvik->IsCommandTimerOn(); }
    void RunFor(int ms) {
        RunUntil(
            clock, [] { return false; }, std::chrono::milliseconds(ms));
    }
};

TEST_F(Detection, FindsTheQKPastASilentAndABusyPortAndRemembersIt) {
    SimulatedComPort silent(1, CDorvik::kBasicBaudRate);
    SimulatedComPort busy(2, CDorvik::kBasicBaudRate);
    SimulatedComPort qk(3, std::make_unique<QkModel>());
    ASSERT_TRUE(busy.line.HoldBusy(true));

    const ULONGLONG start = clock.Now();
    Start();
    ASSERT_TRUE(Wait([&] { return dorvik->IsQKModel(); }));
    const ULONGLONG found = clock.Now() - start;
    // COM1's 700 ms, then the QK's answer to the first "AA" at COM3's tick 4.
    EXPECT_GE(found, 700u + 400u);
    EXPECT_LT(found, 700u + 600u);
    ASSERT_TRUE(Wait([&] { return !Searching(); }));
    EXPECT_EQ(dorvik->GetStatusBarText(), "Dorvik QK was detected");
    ASSERT_TRUE(Wait([&] { return QueueIdle(); }));
    EXPECT_EQ(host.Count(UM_LOGGER_IDENTIFIED), 1u);
    EXPECT_FALSE(dorvik->IsCommandFailed());
    EXPECT_EQ(qk.line.WithModelAs<QkModel>([](QkModel& m) { return m.Letters(); }),
              (std::vector<std::string>{"AA", "BF", "BG", "AJ", "AJ", "AJ", "AJ"}));
    // The silent port was probed for the basic model on ticks 0 to 3, although nothing was ever
    // connected, then for the QK; the QK lost the 2400-baud probes and answered none.
    EXPECT_EQ(silent.line.Received(), Repeated(kBasicProbe, 4));
    EXPECT_EQ(silent.line.LostInput(), CDorvik::kWakeBlockSize + 3 * 8);
    EXPECT_EQ(qk.line.LostInput(), 4 * kBasicProbe.size());
    EXPECT_TRUE(busy.line.Received().empty());

    EXPECT_EQ(settings.m_comNumber, 3);
    EXPECT_NE(settings.m_rememberPort, 0);
    const CSettings reread(env.File("Settings.vns"));
    EXPECT_EQ(reread.m_comNumber, 3);
    EXPECT_NE(reread.m_rememberPort, 0);

    // The next start goes to the remembered port first.
    const size_t silentBytes = silent.line.Received().size();
    const ULONGLONG restart = clock.Now();
    Start();
    ASSERT_TRUE(Wait([&] { return dorvik->IsQKModel() && !Searching(); }));
    EXPECT_LT(clock.Now() - restart, 700u);
    EXPECT_EQ(dorvik->GetDetectionState(), 1);
    EXPECT_EQ(silent.line.Received().size(), silentBytes);
}

TEST_F(Detection, FindsABasicLoggerAt2400AndQueriesItsSensors) {
    SimulatedComPort basic(1, std::make_unique<BasicModel>());
    basic.line.WithModelAs<BasicModel>([](BasicModel& m) { m.version = 3; });
    const ULONGLONG start = clock.Now();
    Start();
    ASSERT_TRUE(Wait([&] { return dorvik->IsConnected() && !Searching() && QueueIdle(); }));
    EXPECT_LE(clock.Now() - start, 400u) << "on the first ticks";
    EXPECT_FALSE(dorvik->IsQKModel());
    EXPECT_FALSE(dorvik->IsCommandFailed()) << "the sensor query was answered";
    EXPECT_EQ(dorvik->GetStatusBarText(), "Dorvik V.3 was detected");
    EXPECT_EQ(dorvik->GetVersion(), 3);
    // Identified (0) by its idle status, then (1, 0) by the acknowledged status of the query.
    std::vector<std::pair<WPARAM, LPARAM>> identified;
    for (const HostMessage& m : host.messages)
        if (m.message == UM_LOGGER_IDENTIFIED) identified.push_back({m.wParam, m.lParam});
    EXPECT_EQ(identified, (std::vector<std::pair<WPARAM, LPARAM>>{{0, 0}, {1, 0}}));
    EXPECT_EQ(basic.line.WithModelAs<BasicModel>([](BasicModel& m) { return m.commands; }),
              Bytes({0xF0, 0xC8}))
        << "no probe once it answered";
    const std::vector<DWORD> rates = basic.line.SeenBaudRates();
    EXPECT_EQ(std::count(rates.begin(), rates.end(), CDorvik::kQKBaudRate), 0) << "never 19200";
    EXPECT_EQ(basic.line.ProgramBaudRate(), CDorvik::kBasicBaudRate);
    EXPECT_EQ(settings.m_comNumber, 1);
    EXPECT_NE(settings.m_rememberPort, 0);
}

TEST_F(Detection, ARememberedPortHeldByAnotherProgramIsSkippedForAScanFromPort1) {
    SimulatedComPort basic(1, std::make_unique<BasicModel>());
    SimulatedComPort held(2, CDorvik::kBasicBaudRate);
    ASSERT_TRUE(held.line.HoldBusy(true));
    settings.m_rememberPort = 1;
    settings.m_comNumber = 2;
    const ULONGLONG start = clock.Now();
    Start();
    ASSERT_TRUE(Wait([&] { return dorvik->IsConnected() && !Searching(); }));
    EXPECT_LE(clock.Now() - start, 400u) << "no 700 ms spent on the held port";
    EXPECT_EQ(settings.m_comNumber, 1);
    EXPECT_NE(settings.m_rememberPort, 0);
    EXPECT_TRUE(held.line.Received().empty());
}

TEST_F(Detection, TellsTheUserOnceWhenTheSearchEndsWithoutALogger) {
    SimulatedComPort first(1, CDorvik::kBasicBaudRate);
    SimulatedComPort second(2, CDorvik::kBasicBaudRate);
    SimulatedComPort held(3, CDorvik::kBasicBaudRate);
    ASSERT_TRUE(held.line.HoldBusy(true));
    struct Case {
        const char* name;
        std::initializer_list<short> ports;
        ULONGLONG atLeast, below;  // when the search ends
    };
    const Case cases[] = {
        {"two silent ports: 700 ms each", {1, 2}, 1400, 1600},
        {"a port held by another program: none could be opened", {3}, 0, 50},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        settings.m_rememberPort = 1;
        Start(false);
        const size_t shown = prompts.Shown().size();
        prompts.ExpectMessage(CDorvik::kConnectFailedText, IDOK);
        const ULONGLONG start = clock.Now();
        SearchChosen(c.ports);
        EXPECT_EQ(prompts.Shown().size(), shown) << "never from inside the search";
        ASSERT_TRUE(Wait([&] { return !Searching() && prompts.Shown().size() > shown; }));
        const ULONGLONG took = clock.Now() - start;
        EXPECT_GE(took, c.atLeast);
        EXPECT_LT(took, c.below);
        RunFor(200);
        EXPECT_EQ(prompts.Shown().size(), shown + 1) << "once";
        EXPECT_EQ(dorvik->GetDetectionState(), 0);
        EXPECT_EQ(dorvik->GetVersion(), 7);
        EXPECT_EQ(settings.m_rememberPort, 0);
        EXPECT_FALSE(dorvik->GetSerialPort().IsOpen());
    }
    EXPECT_EQ(first.line.Received(), Repeated(kBasicProbe, 4));
    EXPECT_EQ(second.line.Received(), Repeated(kBasicProbe, 4));
}

// A path this user cannot open for reading: a file without permissions, or (root passes those)
// a write-only attribute of the kernel's. Empty when there is none.
QString PathThatRefusesAccess(const testing_support::TempEnvironment& env) {
    const QString file = env.File("no-access").ToQString();
    QFile f(file);
    if (f.open(QIODevice::WriteOnly)) f.close();
    QFile::setPermissions(file, {});
    QStringList paths{file};
    for (const QString& bus : QDir("/sys/bus").entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        paths << "/sys/bus/" + bus + "/drivers_probe";
    for (const QString& path : paths) {
        const int fd = ::open(path.toLocal8Bit().constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
        if (fd >= 0) {
            ::close(fd);
        } else if (errno == EACCES) {
            return path;
        }
    }
    return {};
}

TEST_F(Detection, AScanThatOpensNoPortSaysWhy) {
    // Busy only when ports are there and another program holds them all; none at all, or one
    // the user may not open, is a failed connection with its checklist.
    const QString refusing = PathThatRefusesAccess(env);
    enum Port { Missing, Held, NoAccess, HeldAndNoAccess };
    const struct {
        const char* name;
        Port port;
        const char* text;
    } rows[] = {
        {"no port at all", Missing, CDorvik::kConnectFailedText},
        {"a port another program holds", Held, CDorvik::kAllPortsBusyText},
        {"a port without access", NoAccess, CDorvik::kConnectFailedText},
        {"one held, one without access", HeldAndNoAccess, CDorvik::kConnectFailedText},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        const bool needsRefusing = r.port == NoAccess || r.port == HeldAndNoAccess;
        if (needsRefusing && refusing.isEmpty()) {
            ADD_FAILURE() << "no path here refuses access";
            continue;
        }
        std::optional<SimulatedComPort> held;
        if (r.port == Held || r.port == HeldAndNoAccess) {
            held.emplace(4, std::make_unique<BasicModel>());
            ASSERT_TRUE(held->line.HoldBusy(true));
        }
        ScopedEnv refusingPort("VARNEL_COM9",
                               needsRefusing ? refusing.toLocal8Bit().constData() : "");
        testing_support::LogCapture log("varnel.logger");
        const size_t shown = prompts.Shown().size();
        prompts.ExpectMessage(r.text, IDOK);
        Start();
        EXPECT_FALSE(Searching()) << "no detection timer";
        EXPECT_EQ(dorvik->GetDetectionState(), 0);
        RunFor(100);
        EXPECT_EQ(prompts.Shown().size(), shown + 1);
        const bool logged =
            std::any_of(log.messages.begin(), log.messages.end(), [&](const QString& m) {
                return m.contains("COM9") && m.contains(refusing) && m.contains("dialout");
            });
        EXPECT_EQ(logged, needsRefusing) << "the port and the reason, in the logger's log";
        if (held) held->line.HoldBusy(false);
    }
}

TEST_F(Detection, ARunningLoggerIsNotIdentifiedAndStartsNoRun) {
    SimulatedComPort running(1, std::make_unique<BasicModel>());
    running.line.WithModelAs<BasicModel>([](BasicModel& m) {
        m.timeScale = 10;
        m.runLength = 1000;
        m.StartRun();
    });
    prompts.ExpectMessage(CDorvik::kConnectFailedText, IDOK);
    Start(false);
    SearchChosen({1});
    ASSERT_TRUE(Wait([&] { return !Searching(); }));
    RunFor(50);
    EXPECT_GE(running.line.WithModelAs<BasicModel>([](BasicModel& m) { return m.recordsSent; }),
              3u);
    EXPECT_EQ(host.Count(UM_NEW_EXPERIMENT), 0u);
    EXPECT_EQ(host.Count(UM_RUN_ENDED), 0u);
    EXPECT_FALSE(dorvik->IsConnected());
    EXPECT_EQ(dorvik->GetRunX(0), nullptr);
    EXPECT_EQ(prompts.Shown().size(), 1u);
}

TEST_F(Detection, ASearchByConnectForgetsTheChosenPortsOfTheLastOne) {
    SimulatedComPort first(1, std::make_unique<BasicModel>());
    SimulatedComPort second(2, std::make_unique<BasicModel>());
    Start();
    ASSERT_TRUE(Wait([&] { return dorvik->IsConnected() && !Searching(); }));
    SearchChosen({2});
    ASSERT_TRUE(Wait([&] { return dorvik->IsConnected() && !Searching(); }));
    EXPECT_EQ(settings.m_comNumber, 2);
    EXPECT_EQ(dorvik->GetCandidatePorts(), std::vector<short>{-1});
    // The end marker left behind would end the next search at once.
    settings.m_rememberPort = 0;
    dorvik->Connect();
    ASSERT_TRUE(Wait([&] { return dorvik->IsConnected() && !Searching(); }));
    EXPECT_EQ(settings.m_comNumber, 1);
    EXPECT_EQ(dorvik->GetDetectionState(), 1);
}

}  // namespace
