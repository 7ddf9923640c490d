// The timing walkthrough of the README on the real program: the simulator command, started as a
// person starts it (--variant timer --passes N), on its pseudo-terminal; timing mode comes on with
// the timer, the set-up window goes, and Run plays the cart's passes into velocities.

#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QWidget>

#include "RES/commands.h"
#include "RES/dialogs/timing_wizard.h"
#include "app/data_tree_view.h"
#include "app/varnel_app.h"
#include "app/varnel_doc.h"
#include "experiment/setup_view.h"
#include "logger/dorvik.h"
#include "logger/settings.h"
#include "tests/support/core/logger_link.h"
#include "tests/support/core/sim_port.h"
#include "tests/support/harness.h"
#include "tests/support/user_commands.h"

namespace {

using testing_support::Press;

constexpr std::chrono::seconds kPatience{60};

TEST(TimerSimCommand, PlaysItsPassesIntoVelocitiesAndEndsTheRunOnce) {
    testing_support::ScopedVirtualClock clock;
    testing_support::TempEnvironment env;
    testing_support::NoComPorts noPorts;
    testing_support::ModalScript modals;

    QProcess sim;
    sim.start(VARNEL_TEST_OUTPUT_DIR "/../tools/dorvik-sim/dorvik-sim",
              {"--variant", "timer", "--passes", "2"});
    ASSERT_TRUE(sim.waitForStarted(10000)) << sim.errorString().toStdString();
    QString banner;
    while (!banner.contains('\n') && sim.waitForReadyRead(10000))
        banner += QString::fromUtf8(sim.readLine());
    const QRegularExpressionMatch path = QRegularExpression(" at (\\S+)").match(banner);
    ASSERT_TRUE(path.hasMatch()) << banner.toStdString();
    testing_support::ScopedEnv com1("VARNEL_COM1", path.captured(1).toUtf8().constData());

    CVarnelApp app;
    ASSERT_TRUE(app.InitInstance());
    CVarnelDoc* doc = app.GetDocument();
    CSettings& s = *doc->GetSettings();
    s.m_timingMeasurement = 1;  // Velocity
    s.m_timingMethod = 1;       // between gates
    s.m_timingDistance2 = 20;
    // The timer comes on in timing mode and asks for the distance between its gates.
    modals.ExpectDialog(IDD_TIMING_LAUNCH_PARAMETER, [](CDialog& d) {
        EXPECT_EQ(d.GetDlgItemText(IDC_TIMING_LENGTH), "20");
        testing_support::TypeText(d, IDC_TIMING_LENGTH, "50");
        Press(d, IDOK);
    });
    ASSERT_TRUE(testing_support::RunUntil(
        clock,
        [&] {
            const CDorvik& logger = *doc->GetLogger();
            return doc->m_timingMode == 1 && modals.Pending() == 0 &&
                   logger.IsCommandQueueEmpty() && !logger.IsSensorReadUnderWay();
        },
        kPatience));
    EXPECT_EQ(s.m_timingDistance2, 50);
    QWidget* setupFrame = doc->GetSetupView()->GetParentFrame()->GetWidget();
    EXPECT_TRUE(setupFrame == nullptr || setupFrame->isHidden());

    const int number = CVarnelDoc::GetExperimentCounter();
    ASSERT_TRUE(testing_support::ChooseMenuCommand(*app.GetMainFrame(), ID_LOGGER_RUN));
    // Passes at 2 s and 5 s of the run, each a velocity of 0.5 m over 0.5 s; then AA 00.
    CDataTreeBrench* velocity = nullptr;
    QString said = banner;
    const bool ended = testing_support::RunUntil(
        clock,
        [&] {
            if (sim.waitForReadyRead(1)) said += QString::fromUtf8(sim.readAll());
            const CDataTreeBrench* e =
                doc->m_dataList.FindByName(CString::Formatted("Exp. %d", number));
            velocity = e ? doc->m_dataList.GetNextDataSet(e->m_id) : nullptr;
            return velocity && velocity->GetYCount() == 2 && doc->m_runInProgress == 0;
        },
        kPatience);
    ASSERT_TRUE(ended) << said.toStdString() << (velocity ? velocity->GetYCount() : -1);
    clock.Advance(500);
    EXPECT_EQ(velocity->m_name, "Velocity");
    EXPECT_EQ(velocity->m_unit, "m/s");
    EXPECT_EQ(velocity->GetYCount(), 2);
    for (int i = 0; i < 2; ++i)
        EXPECT_NEAR((*velocity->m_y)[size_t(i)], 1.0, 1e-9) << i;

    said += QString::fromUtf8(sim.readAll());
    EXPECT_EQ(said.count("gate event at"), 8) << said.toStdString();
    EXPECT_EQ(said.count("timing run ended (AA 00)"), 1) << said.toStdString();

    app.ExitInstance();
    sim.terminate();
    sim.waitForFinished(5000);
}

}  // namespace
