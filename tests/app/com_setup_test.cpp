#include <gtest/gtest.h>

#include <QListWidget>
#include <memory>
#include <set>
#include <vector>

#include "RES/dialogs/com_setup.h"
#include "RES/dialogs/msg_dialog.h"
#include "app/com_setup.h"
#include "app/varnel_app.h"
#include "app/varnel_doc.h"
#include "logger/dorvik.h"
#include "logger/logger_messages.h"
#include "logger/serial_port.h"
#include "logger/settings.h"
#include "tests/support/harness.h"

namespace {

// A link that is open until it is closed.
class FakeLink : public CSerialPort {
public:
    bool open = true;
    BOOL IsOpen() const override { return open; }
    void Close() override { open = false; }
};

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
        : CDorvik(settings, std::make_unique<FakeLink>()) {}

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
    FakeLink& Link() { return static_cast<FakeLink&>(GetSerialPort()); }
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
TEST(ComSetupDocument, TheApplicationMakesItsDocumentWithAnIdleLogger) {
    testing_support::TempEnvironment env;
    CVarnelApp app;
    EXPECT_EQ(app.GetDocument(), nullptr);
    ASSERT_TRUE(app.InitInstance());
    CVarnelDoc* doc = app.GetDocument();
    ASSERT_NE(doc, nullptr);
    CDorvik* logger = doc->GetLogger();
    ASSERT_NE(logger, nullptr);
    EXPECT_EQ(logger->GetSettings(), doc->GetSettings());
    EXPECT_EQ(logger->GetHostWindow(), nullptr);
    EXPECT_FALSE(logger->IsReceiveTimerOn());
    EXPECT_FALSE(logger->GetSerialPort().IsOpen());
    EXPECT_EQ(logger->GetDetectionState(), 0);
    app.ExitInstance();
}

}  // namespace
