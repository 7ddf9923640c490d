#include <gtest/gtest.h>

#include <QListWidget>
#include <functional>
#include <memory>
#include <set>
#include <vector>

#include "RES/dialogs/com_setup.h"
#include "RES/dialogs/msg_dialog.h"
#include "app/com_setup.h"
#include "app/varnel_app.h"
#include "app/varnel_doc.h"
#include "experiment/comm_view.h"
#include "logger/dorvik.h"
#include "logger/logger_messages.h"
#include "logger/serial_port.h"
#include "logger/settings.h"
#include "tests/logger/dorvik_fixture.h"
#include "tests/support/core/sim_port.h"
#include "tests/support/harness.h"
#include "tools/dorvik-sim/qk_model.h"

namespace {

using dorvik_test::OpenLink;

// The logger as the dialog sees it: the ports that can be opened are the test's, and a search
// only records what it was given, so nothing here depends on the real search.
class ScriptedDorvik : public CDorvik {
public:
    struct Search {
        std::vector<short> candidates;
        short detectionState;
        bool linkOpen;
        bool connected;
        bool qkModel;
    };

    explicit ScriptedDorvik(CSettings* settings)
        : CDorvik(settings, std::make_unique<OpenLink>()) {}

    std::set<int> freePorts;
    std::vector<Search> searches;
    std::vector<int> asked;

    BOOL IsComPortAvailable(int port) override {
        asked.push_back(port);
        return freePorts.count(port) ? TRUE : FALSE;
    }
    void ConnectToNextPort() override {
        searches.push_back({GetCandidatePorts(), GetDetectionState(),
                            GetSerialPort().IsOpen() != FALSE, IsConnected(), IsQKModel()});
    }
    // As after an identification on the settings' port.
    void Identify(bool qk, BYTE version) {
        m_connected = 1;
        m_qkModel = qk ? 1 : 0;
        m_version = version;
    }
    void SetHost(CWnd* host) { m_hostWindow = host->GetSafeHwnd(); }
    OpenLink& Link() { return static_cast<OpenLink&>(GetSerialPort()); }
};

class TestApp : public CVarnelApp {
public:
    TestApp() {
        m_document = std::make_unique<CVarnelDoc>(
            [](CSettings* settings) { return std::make_unique<ScriptedDorvik>(settings); });
    }
};

// Stands in for the communication view.
class Host : public CWnd {
public:
    int runsEnded = 0;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == UM_RUN_ENDED) ++runsEnded;
        return CWnd::WindowProc(msg, wParam, lParam);
    }
};

struct Entry {
    CString text;
    bool checked;
    bool operator==(const Entry&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Entry& e) {
    return os << '"' << e.text.GetString() << '"' << (e.checked ? " checked" : "");
}

QListWidget* PortList(CDialog& dialog) {
    CWnd* list = dialog.GetDlgItem(IDC_COM_PORT_LIST);
    return list ? qobject_cast<QListWidget*>(list->GetWidget()) : nullptr;
}

std::vector<Entry> Entries(CDialog& dialog) {
    std::vector<Entry> out;
    QListWidget* list = PortList(dialog);
    if (!list) return out;
    for (int i = 0; i < list->count(); ++i)
        out.push_back({CString(list->item(i)->text()), list->item(i)->checkState() == Qt::Checked});
    return out;
}

// Unticks the entries of these texts, as the user would.
void Untick(CDialog& dialog, std::initializer_list<const char*> texts) {
    QListWidget* list = PortList(dialog);
    ASSERT_NE(list, nullptr);
    for (const char* text : texts) {
        const auto found = list->findItems(text, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << text;
        found.front()->setCheckState(Qt::Unchecked);
    }
}

class ComSetup : public testing_support::HarnessTest {
protected:
    TestApp app;
    Host host;
    CSettings& settings = *app.GetDocument()->GetSettings();
    ScriptedDorvik& logger = static_cast<ScriptedDorvik&>(*app.GetDocument()->GetLogger());

    void SetUp() override {
        ASSERT_TRUE(host.CreateMessageTarget());
        logger.SetHost(&host);
    }
    // Connected on COM `port` of the settings, over an open link.
    void Connect(int port, bool qk, BYTE version = 1) {
        settings.m_comNumber = BYTE(port);
        logger.Link().open = true;
        logger.Identify(qk, version);
    }
    INT_PTR Run(testing_support::ModalScript::DialogAction action) {
        modals.ExpectDialog(IDD_COM_SETUP, std::move(action));
        CComSetup dialog;
        return dialog.DoModal();
    }
    std::vector<Entry> Shown(testing_support::ModalScript::DialogAction then = {}) {
        std::vector<Entry> shown;
        Run([&](CDialog& d) {
            shown = Entries(d);
            if (then) then(d);
            if (!d.IsEnded()) testing_support::Press(d, IDCANCEL);
        });
        return shown;
    }
};

TEST_F(ComSetup, TextsAndAtMostSeventeenOpenablePortsAllChecked) {
    for (int p : {0, 2, 3, 5, 8, 9, 11, 20, 30, 31, 40, 64, 97, 100, 128, 130, 200, 201, 254, 255})
        logger.freePorts.insert(p);
    std::vector<Entry> expected;
    for (int p : {0, 2, 3, 5, 8, 9, 11, 20, 30, 31, 40, 64, 97, 100, 128, 130, 200})
        expected.push_back({CString::Formatted(" COM%d", p), true});

    Run([&](CDialog& d) {
        EXPECT_EQ(d.GetWindowText(), "Communication Setup");
        EXPECT_EQ(d.GetDlgItemText(IDOK), "Try to connect");
        EXPECT_EQ(d.GetDlgItemText(IDCANCEL), "Cancel");
        EXPECT_EQ(d.GetDlgItemText(IDC_COM_WORK_OFFLINE), "Work offline");
        EXPECT_EQ(d.GetDlgItemText(IDC_COM_SELECT_PORT), "Select port:");
        EXPECT_EQ(Entries(d), expected);
        testing_support::Press(d, IDCANCEL);
    });
    // No port is tried to list it once the list is full.
    EXPECT_EQ(logger.asked.back(), 200);

    logger.freePorts = {255};
    EXPECT_EQ(Shown(), (std::vector<Entry>{{" COM255", true}}));
    logger.freePorts.clear();
    EXPECT_TRUE(Shown().empty());
}

// The logger's own port is listed by what is on it, in its place among the free ports, and only
// while it is connected on an open COM link.
TEST_F(ComSetup, TheConnectedPortIsLabelled) {
    logger.freePorts = {1, 5};
    struct Case {
        bool qk;
        BYTE version;
        const char* label;
    };
    for (const Case& c : {Case{false, 1, " COM3: Dorvik v.1 is Connected"},
                          Case{false, 4, " COM3: Dorvik v.4 is Connected"}, Case{false, 7, " COM3"},
                          Case{false, 0, " COM3"}, Case{true, 7, " COM3: Dorvik QK"}}) {
        Connect(3, c.qk, c.version);
        EXPECT_EQ(Shown(), (std::vector<Entry>{{" COM1", true}, {c.label, true}, {" COM5", true}}))
            << c.label;
    }

    const std::vector<Entry> freeOnly = {{" COM1", true}, {" COM5", true}};
    Connect(3, true);
    settings.m_communicationType = CSerialPort::kBluetooth;
    EXPECT_EQ(Shown(), freeOnly);
    settings.m_communicationType = CSerialPort::kComPort;
    logger.Link().open = false;
    EXPECT_EQ(Shown(), freeOnly);
    logger.Link().open = true;
    logger.SetConnected(false);
    EXPECT_EQ(Shown(), freeOnly);
}

// "Try to connect" drops the logger and searches exactly the ports left checked, in list order,
// whatever an earlier search left in the candidate list.
TEST_F(ComSetup, TryToConnectSearchesExactlyTheCheckedPorts) {
    logger.freePorts = {1, 2, 4, 6};
    Connect(3, true);
    EXPECT_EQ(Run([](CDialog& d) { testing_support::Press(d, IDOK); }), IDOK);
    ASSERT_EQ(logger.searches.size(), 1u);
    EXPECT_EQ(logger.searches[0].candidates, (std::vector<short>{1, 2, 3, 4, 6}));

    // An earlier search that tried its ports and failed leaves its end marker behind.
    logger.ClearCandidatePorts();
    logger.AppendCandidatePort(-1);
    Connect(3, false, 2);
    EXPECT_EQ(Run([](CDialog& d) {
                  Untick(d, {" COM2", " COM4"});
                  testing_support::Press(d, IDOK);
              }),
              IDOK);
    ASSERT_EQ(logger.searches.size(), 2u);
    const ScriptedDorvik::Search& s = logger.searches[1];
    EXPECT_EQ(s.candidates, (std::vector<short>{1, 3, 6}));
    EXPECT_EQ(s.detectionState, 3);
    EXPECT_FALSE(s.linkOpen);
    EXPECT_FALSE(s.connected);
    EXPECT_FALSE(s.qkModel);
    EXPECT_EQ(host.runsEnded, 2);
}

// With no port to try the search would go over every port: the failure is told at once.
TEST_F(ComSetup, NothingCheckedReportsTheFailureAndSearchesNothing) {
    struct Case {
        std::set<int> freePorts;
        bool connected;
    };
    for (const Case& c : {Case{{}, false}, Case{{2, 9}, true}}) {
        logger.freePorts = c.freePorts;
        logger.Link().open = true;
        logger.AppendCandidatePort(-1);
        if (c.connected) Connect(3, true);
        const int runsBefore = host.runsEnded;
        modals
            .ExpectDialog(IDD_COM_SETUP,
                          [](CDialog& d) {
                              QListWidget* list = PortList(d);
                              for (int i = 0; i < list->count(); ++i)
                                  list->item(i)->setCheckState(Qt::Unchecked);
                              testing_support::Press(d, IDOK);
                          })
            .ExpectMessage(CDorvik::kConnectFailedText, IDOK);
        CComSetup dialog;
        EXPECT_EQ(dialog.DoModal(), IDOK);
        EXPECT_EQ(modals.Pending(), 0u);
        EXPECT_TRUE(logger.searches.empty());
        EXPECT_TRUE(logger.GetCandidatePorts().empty());
        EXPECT_EQ(logger.GetDetectionState(), 0);
        EXPECT_FALSE(logger.GetSerialPort().IsOpen());
        EXPECT_FALSE(logger.IsConnected());
        EXPECT_FALSE(logger.IsQKModel());
        EXPECT_EQ(host.runsEnded, runsBefore + 1);
    }
}

// "Work offline" drops the logger without a search; Cancel changes nothing.
TEST_F(ComSetup, WorkOfflineAndCancel) {
    logger.freePorts = {1};
    logger.AppendCandidatePort(7);
    Connect(3, false, 2);
    EXPECT_EQ(Run([](CDialog& d) { testing_support::Press(d, IDCANCEL); }), IDCANCEL);
    EXPECT_TRUE(logger.GetSerialPort().IsOpen());
    EXPECT_TRUE(logger.IsConnected());
    EXPECT_EQ(host.runsEnded, 0);

    Connect(3, true);
    EXPECT_EQ(Run([](CDialog& d) { testing_support::Press(d, IDC_COM_WORK_OFFLINE); }), IDCANCEL);
    EXPECT_FALSE(logger.GetSerialPort().IsOpen());
    EXPECT_FALSE(logger.IsConnected());
    EXPECT_FALSE(logger.IsQKModel());
    EXPECT_EQ(host.runsEnded, 1);

    EXPECT_TRUE(logger.searches.empty());
    EXPECT_EQ(logger.GetCandidatePorts(), (std::vector<short>{7}));
}

// The program makes its document at start-up; its logger waits for the communication view.
// Start-up gives the logger its host, the communication view, whose first update searches.
TEST(ComSetupDocument, TheApplicationMakesItsDocumentAndTheCommViewHostsItsLogger) {
    testing_support::TempEnvironment env;
    testing_support::NoComPorts noPorts;
    CVarnelApp app;
    EXPECT_EQ(app.GetDocument(), nullptr);
    ASSERT_TRUE(app.InitInstance());
    CVarnelDoc* doc = app.GetDocument();
    ASSERT_NE(doc, nullptr);
    CDorvik* logger = doc->GetLogger();
    ASSERT_NE(logger, nullptr);
    EXPECT_EQ(logger->GetSettings(), doc->GetSettings());
    ASSERT_NE(doc->GetCommView(), nullptr);
    EXPECT_EQ(logger->GetHostWindow(), doc->GetCommView()->GetSafeHwnd());
    EXPECT_FALSE(logger->GetSerialPort().IsOpen());
    app.ExitInstance();
}

// ---- the real search over simulated loggers

// The program's logger object, given its host without the start-up search that the communication
// view's Create runs.
class HostedDorvik : public CDorvik {
public:
    using CDorvik::CDorvik;
    void SetHost(CWnd* host) { m_hostWindow = host->GetSafeHwnd(); }
};

class SearchApp : public CVarnelApp {
public:
    SearchApp() {
        m_document = std::make_unique<CVarnelDoc>(
            [](CSettings* settings) { return std::make_unique<HostedDorvik>(settings); });
    }
};

const std::vector<BYTE> kBasicProbe = {0xEB, 0x92, 0xF0};

// Five openable ports, one held by another program; only COM6 has a logger on it.
class ComSetupSearch : public testing_support::HarnessTest {
protected:
    testing_support::NoComPorts noPorts;
    testing_support::SimulatedComPort com2{2, CDorvik::kBasicBaudRate};
    testing_support::SimulatedComPort com3{3, CDorvik::kBasicBaudRate};
    testing_support::SimulatedComPort busy{4, CDorvik::kBasicBaudRate};
    testing_support::SimulatedComPort com5{5, CDorvik::kBasicBaudRate};
    testing_support::SimulatedComPort qk{6, std::make_unique<dorvik_sim::QkModel>()};
    testing_support::SimulatedComPort com8{8, CDorvik::kBasicBaudRate};
    dorvik_test::HostWindow host;  // routes the logger's timers, as the communication view does
    SearchApp app;
    CSettings& settings = *app.GetDocument()->GetSettings();
    CDorvik& logger = *app.GetDocument()->GetLogger();

    void SetUp() override {
        ASSERT_TRUE(busy.line.HoldBusy(true));
        ASSERT_TRUE(host.CreateMessageTarget());
        host.dorvik = &logger;
        static_cast<HostedDorvik&>(logger).SetHost(&host);
    }
    void TearDown() override { host.dorvik = nullptr; }
    // "Try to connect" with these entries unticked; the list as the dialog showed it. A search
    // that is to fail expects its message after the dialog.
    std::vector<Entry> TryToConnect(std::initializer_list<const char*> unticked,
                                    const char* failure = nullptr) {
        std::vector<Entry> shown;
        modals.ExpectDialog(IDD_COM_SETUP, [&](CDialog& d) {
            shown = Entries(d);
            Untick(d, unticked);
            testing_support::Press(d, IDOK);
        });
        if (failure) modals.ExpectMessage(failure, IDOK);
        CComSetup dialog;
        EXPECT_EQ(dialog.DoModal(), IDOK);
        return shown;
    }
    bool Wait(const std::function<bool()>& done) { return dorvik_test::RunUntil(clock, done); }
    bool Heard(testing_support::SimulatedComPort& port) { return !port.line.Received().empty(); }
    // A whole probe: four basic requests at 2400 baud, then the wake block and three QK
    // requests at 19200, which a silent line at 2400 loses.
    void ExpectProbed(testing_support::SimulatedComPort& port) {
        SCOPED_TRACE(port.comNumber);
        std::vector<BYTE> probes;
        for (int i = 0; i < 4; ++i)
            probes.insert(probes.end(), kBasicProbe.begin(), kBasicProbe.end());
        EXPECT_EQ(port.line.Received(), probes);
        EXPECT_EQ(port.line.LostInput(), CDorvik::kWakeBlockSize + 3 * 8);
    }
    const std::vector<Entry> kOpenable = {
        {" COM2", true}, {" COM3", true}, {" COM5", true}, {" COM6", true}, {" COM8", true}};
};

TEST_F(ComSetupSearch, TheCheckedPortsAreSearchedInListOrderUntilTheQKAnswers) {
    const ULONGLONG start = clock.Now();
    EXPECT_EQ(TryToConnect({" COM3", " COM8"}), kOpenable);
    // One port at a time, in the list's order, each for its 700 ms.
    ASSERT_TRUE(Wait([&] { return Heard(com2); }));
    EXPECT_FALSE(Heard(com5) || Heard(qk));
    ASSERT_TRUE(Wait([&] { return Heard(com5); }));
    EXPECT_FALSE(com2.line.IsSlaveOpen());
    EXPECT_FALSE(Heard(qk));
    ASSERT_TRUE(Wait([&] { return logger.IsQKModel() && !logger.IsDetectionTimerOn(); }));
    const ULONGLONG found = clock.Now() - start;
    EXPECT_GE(found, 2 * 700u + 400u) << "the QK is probed from the fifth tick";
    EXPECT_LT(found, 3 * 700u);
    ASSERT_TRUE(Wait([&] { return logger.IsCommandQueueEmpty() && !logger.IsCommandTimerOn(); }));

    EXPECT_TRUE(logger.IsConnected());
    EXPECT_FALSE(logger.IsCommandFailed());
    EXPECT_EQ(logger.GetStatusBarText(), "Dorvik QK was detected");
    for (auto* port : {&com2, &com5})
        ExpectProbed(*port);
    EXPECT_FALSE(Heard(com3) || Heard(com8) || Heard(busy));
    EXPECT_EQ(settings.m_comNumber, 6);
    EXPECT_NE(settings.m_rememberPort, 0);
    const CSettings reread;
    EXPECT_EQ(reread.m_comNumber, 6);
    EXPECT_NE(reread.m_rememberPort, 0);
    EXPECT_EQ(modals.Shown().size(), 1u) << "the set-up dialog only";
}

TEST_F(ComSetupSearch, OnlySilentPortsCheckedFailOnceAfterEachWasTried) {
    settings.m_rememberPort = 1;
    const ULONGLONG start = clock.Now();
    EXPECT_EQ(TryToConnect({" COM3", " COM6"}, CDorvik::kConnectFailedText), kOpenable);
    EXPECT_EQ(modals.Shown().size(), 1u) << "not from inside the dialog";
    ASSERT_TRUE(Wait([&] { return modals.Shown().size() == 2; }));
    const ULONGLONG took = clock.Now() - start;
    EXPECT_GE(took, 3 * 700u);
    EXPECT_LT(took, 3 * 700u + 200u);
    dorvik_test::RunUntil(
        clock, [] { return false; }, std::chrono::milliseconds(300));
    EXPECT_EQ(modals.Shown().size(), 2u) << "told once";
    EXPECT_EQ(modals.Pending(), 0u);
    EXPECT_FALSE(logger.IsDetectionTimerOn());
    EXPECT_EQ(logger.GetDetectionState(), 0);
    EXPECT_FALSE(logger.IsConnected());
    EXPECT_FALSE(logger.GetSerialPort().IsOpen());
    EXPECT_EQ(settings.m_rememberPort, 0);
    for (auto* port : {&com2, &com5, &com8})
        ExpectProbed(*port);
    EXPECT_FALSE(Heard(com3) || Heard(qk));
}

}  // namespace
