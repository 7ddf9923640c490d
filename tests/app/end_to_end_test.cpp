#include <gtest/gtest.h>

#include "app/varnel_app.h"
#include "app/varnel_doc.h"
#include "logger/dorvik.h"
#include "logger/settings.h"
#include "tests/support/core/logger_link.h"
#include "tests/support/core/sim_port.h"
#include "tests/support/harness.h"
#include "tools/dorvik-sim/basic_model.h"
#include "tools/dorvik-sim/qk_model.h"

namespace {

// The whole program over pseudo-terminals: a silent port first, then the logger.
class EndToEnd : public testing_support::HarnessTest {
protected:
    testing_support::NoComPorts noPorts;
    testing_support::SimulatedComPort silent{2, CDorvik::kBasicBaudRate};

    bool Wait(const std::function<bool()>& done) { return testing_support::RunUntil(clock, done); }
    static bool Enabled(CMainFrame* frame, UINT id) {
        CCmdUI ui;
        ui.m_nID = id;
        ui.DoUpdate(frame, TRUE);
        return ui.m_enabled;
    }
};

TEST_F(EndToEnd, AQKIsFoundShownAndFoundFirstOnTheNextStart) {
    testing_support::SimulatedComPort qk{3, std::make_unique<dorvik_sim::QkModel>()};
    {
        CVarnelApp app;
        ASSERT_TRUE(app.InitInstance());
        CMainFrame* frame = app.GetMainFrame();
        EXPECT_FALSE(Enabled(frame, ID_SEND_SETUP_TB));
        ASSERT_TRUE(Wait([&] { return frame->GetMessageText() == "Dorvik QK was detected"; }));
        EXPECT_TRUE(Enabled(frame, ID_SEND_SETUP_TB));
        EXPECT_TRUE(Enabled(frame, ID_TIMING_TB));
        EXPECT_FALSE(silent.line.Received().empty()) << "the silent port was probed first";
        ASSERT_TRUE(Wait([&] { return app.GetDocument()->GetLogger()->IsCommandQueueEmpty(); }));
        frame->SendMessage(WM_CLOSE);
        EXPECT_EQ(app.m_pMainWnd, nullptr);
        app.ExitInstance();
    }
    const CSettings saved;
    EXPECT_EQ(saved.m_comNumber, 3);
    EXPECT_NE(saved.m_rememberPort, 0);

    silent.line.TakeReceived();
    CVarnelApp second;
    ASSERT_TRUE(second.InitInstance());
    CMainFrame* frame = second.GetMainFrame();
    ASSERT_TRUE(Wait([&] { return frame->GetMessageText() == "Dorvik QK was detected"; }));
    EXPECT_TRUE(silent.line.Received().empty()) << "the remembered port is tried first";
    second.ExitInstance();
}

TEST_F(EndToEnd, ABasicLoggerIsShownAndSendSetupStaysGreyed) {
    testing_support::SimulatedComPort basic{3, std::make_unique<dorvik_sim::BasicModel>()};
    CVarnelApp app;
    ASSERT_TRUE(app.InitInstance());
    CMainFrame* frame = app.GetMainFrame();
    ASSERT_TRUE(Wait([&] { return frame->GetMessageText() == "Dorvik V.4 was detected"; }));
    EXPECT_FALSE(Enabled(frame, ID_SEND_SETUP_TB));
    EXPECT_FALSE(Enabled(frame, ID_TIMING_TB));
    app.ExitInstance();
}

}  // namespace
