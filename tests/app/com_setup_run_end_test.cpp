// Dropping the logger from the communication set-up dialog ends a run on it once, through the
// logger object, so that the logger knows the run is over.

#include <gtest/gtest.h>

#include <memory>

#include "RES/dialogs/com_setup.h"
#include "app/com_setup.h"
#include "app/varnel_app.h"
#include "app/varnel_doc.h"
#include "logger/dorvik.h"
#include "logger/logger_messages.h"
#include "logger/serial_port.h"
#include "logger/settings.h"
#include "tests/logger/dorvik_fixture.h"
#include "tests/support/core/sim_port.h"
#include "tests/support/harness.h"

namespace {

using dorvik_test::OpenLink;

// A QK connected on COM 3 whose live run has begun. The search that "Try to connect" starts is
// the real one, over that one port, where no logger answers.
class RunningDorvik : public CDorvik {
public:
    explicit RunningDorvik(CSettings* settings) : CDorvik(settings, std::make_unique<OpenLink>()) {}

    BOOL IsComPortAvailable(int port) override { return port == 3; }
    void SetHost(CWnd* host) { m_hostWindow = host->GetSafeHwnd(); }
    void BeginLiveRun() {
        static_cast<OpenLink&>(GetSerialPort()).open = true;
        m_connected = 1;
        m_qkModel = 1;
        m_channelCount = 1;
        BeginRun(1, kLiveRun);
    }
};

class TestApp : public CVarnelApp {
public:
    TestApp() {
        m_document = std::make_unique<CVarnelDoc>(
            [](CSettings* settings) { return std::make_unique<RunningDorvik>(settings); });
    }
};

class ComSetupRunEnd : public testing_support::HarnessTest {
protected:
    testing_support::NoComPorts noPorts;
    TestApp app;
    dorvik_test::HostWindow host;  // routes the logger's timers, as the communication view does
    CSettings& settings = *app.GetDocument()->GetSettings();
    RunningDorvik& logger = static_cast<RunningDorvik&>(*app.GetDocument()->GetLogger());

    void SetUp() override {
        ASSERT_TRUE(host.CreateMessageTarget());
        host.dorvik = &logger;
        logger.SetHost(&host);
        settings.m_comNumber = 3;
    }
    void TearDown() override { host.dorvik = nullptr; }
    void Press(int button) {
        modals.ExpectDialog(IDD_COM_SETUP,
                            [button](CDialog& d) { testing_support::Press(d, button); });
        CComSetup dialog;
        dialog.DoModal();
        EXPECT_EQ(modals.Pending(), 0u);
    }
};

TEST_F(ComSetupRunEnd, TryToConnectAndWorkOfflineEndTheRunOnce) {
    struct Case {
        const char* name;
        int button;
        bool searching;
    };
    for (const Case& c :
         {Case{"Try to connect", IDOK, true}, Case{"Work offline", IDC_COM_WORK_OFFLINE, false}}) {
        SCOPED_TRACE(c.name);
        logger.BeginLiveRun();
        host.messages.clear();
        Press(c.button);
        EXPECT_EQ(host.Count(UM_RUN_ENDED), 1u);
        EXPECT_FALSE(logger.IsRunActive());
        EXPECT_FALSE(logger.IsConnected());
        EXPECT_FALSE(logger.IsQKModel());
        EXPECT_EQ(logger.IsDetectionTimerOn(), c.searching);
        // Nor do the search's changes of port, nor its end.
        if (c.searching) modals.ExpectMessage(CDorvik::kConnectFailedText, IDOK);
        clock.Advance(1000);
        EXPECT_EQ(modals.Pending(), 0u);
        EXPECT_FALSE(logger.IsDetectionTimerOn());
        EXPECT_EQ(host.Count(UM_RUN_ENDED), 1u);
    }
}

// Going offline while a search is under way stops the search: nothing opens a port behind the
// user's back or reports that no logger was found.
TEST_F(ComSetupRunEnd, WorkOfflineStopsASearchUnderWay) {
    Press(IDOK);
    ASSERT_TRUE(logger.IsDetectionTimerOn());
    Press(IDC_COM_WORK_OFFLINE);
    EXPECT_FALSE(logger.IsDetectionTimerOn());
    EXPECT_FALSE(logger.GetSerialPort().IsOpen());
    clock.Advance(3000);
    EXPECT_EQ(modals.Shown().size(), 2u) << "the two set-up dialogs only";
}

}  // namespace
