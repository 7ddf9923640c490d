// The QK set-up a user chose, through what a lesson does in between: a stored timing set
// downloaded, CSV files imported, Basic with its meters, the graph button, Advanced again. The
// set-up window shows the choice and Run sends it.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>

#include "RES/commands.h"
#include "RES/dialogs/option_dialogs.h"
#include "RES/dialogs/selective_download.h"
#include "app/varnel_app.h"
#include "app/varnel_doc.h"
#include "experiment/setup_view.h"
#include "logger/dorvik.h"
#include "logger/settings.h"
#include "tests/support/core/logger_link.h"
#include "tests/support/core/sim_port.h"
#include "tests/support/harness.h"
#include "tests/support/user_commands.h"
#include "tools/dorvik-sim/qk_model.h"

namespace {

using dorvik_sim::QkModel;

constexpr const char* kTenths = "Time (s),Light (%)\r\n0,40\r\n0.1,41\r\n0.2,42\r\n";

std::unique_ptr<QkModel> QkWithATimingSet() {
    auto model = std::make_unique<QkModel>();
    model->liveSensors[5] = dorvik_sim::QkSensor{"Photogate", "V", 0, 5, 0, 1023};
    // A pass from gate 1 to gate 2 in 0.8 s, in 2-microsecond ticks.
    model->storedSets[0] =
        dorvik_sim::MakeTimingSet({{1, 500000}, {0, 525000}, {2, 900000}, {0, 925000}});
    return model;
}

class SetupThroughALesson : public testing_support::HarnessTest {
protected:
    bool Wait(const std::function<bool()>& done) {
        return testing_support::RunUntil(clock, done, std::chrono::seconds(60));
    }
    static std::string Shown(CComboBox& combo) {
        auto* box = qobject_cast<QComboBox*>(combo.GetWidget());
        return box ? box->currentText().toStdString() : std::string();
    }
    static void Choose(CComboBox& combo, int index) {
        auto* box = qobject_cast<QComboBox*>(combo.GetWidget());
        ASSERT_NE(box, nullptr);
        ASSERT_TRUE(box->isEnabled());
        box->setCurrentIndex(index);
        Q_EMIT box->activated(index);
    }
    void ChooseLevel(CMainFrame& frame, UINT level) {
        modals.ExpectDialog(IDD_USER_INTERFACE, [level](CDialog& d) {
            testing_support::Press(d, static_cast<int>(level));
            testing_support::Press(d, IDOK);
        });
        ASSERT_TRUE(testing_support::UseCommand(frame, ID_USER_INTERFACE_SETTINGS));
        ASSERT_EQ(modals.Pending(), 0u);
    }
    std::vector<dorvik_sim::QkRegime> Regimes() {
        return qk.line.WithModelAs<QkModel>([](QkModel& m) { return m.regimes; });
    }

    testing_support::NoComPorts noPorts;
    testing_support::SimulatedComPort qk{3, QkWithATimingSet()};
};

TEST_F(SetupThroughALesson, TheRateAndLengthChosenStayOnScreenAndOnTheWire) {
    CVarnelApp app;
    ASSERT_TRUE(app.InitInstance());
    CMainFrame& frame = *app.GetMainFrame();
    CVarnelDoc& doc = *app.GetDocument();
    CDorvik& logger = *doc.GetLogger();
    CSettings& settings = *doc.GetSettings();
    ASSERT_TRUE(Wait([&] { return frame.GetMessageText() == "Dorvik QK was detected"; }));
    ASSERT_TRUE(Wait([&] { return logger.IsCommandQueueEmpty(); }));
    CSetupView* setup = doc.GetSetupView();
    ASSERT_NE(setup, nullptr);
    settings.m_recordingMode = 2;
    // A stored set of gate times between two gates: the time between them, with no wizard.
    settings.m_timingMethod = 1;
    settings.m_timingMeasurement = 0;

    // The user's choice: every 5 seconds for 3 minutes.
    Choose(setup->GetRateCombo(), 7);
    Choose(setup->GetTimeCombo(), 2);
    ASSERT_EQ(Shown(setup->GetRateCombo()), "Every 5 seconds");
    ASSERT_EQ(Shown(setup->GetTimeCombo()), "3 Minutes");
    const auto expectTheChoice = [&](const char* when) {
        SCOPED_TRACE(when);
        EXPECT_EQ(Shown(setup->GetRateCombo()), "Every 5 seconds");
        EXPECT_EQ(Shown(setup->GetTimeCombo()), "3 Minutes");
        EXPECT_EQ(logger.GetRegimeRateCode(), 40);
        EXPECT_EQ(logger.GetRunLength(), 36u);
    };

    modals.ExpectDialog(IDD_SELECTIVE_DOWNLOAD,
                        [](CDialog& d) { testing_support::Press(d, IDOK); });
    const int downloaded = CVarnelDoc::GetExperimentCounter();
    ASSERT_TRUE(testing_support::UseCommand(frame, ID_LOGGER_DOWNLOAD));
    ASSERT_TRUE(Wait([&] {
        return doc.m_dataList.FindByName(CString::Formatted("Exp. %d", downloaded)) &&
               logger.IsCommandQueueEmpty() && !doc.m_runInProgress;
    }));
    expectTheChoice("after the timing download");

    const CString csv = env.File("tenths.csv");
    {
        QFile out(csv.ToQString());
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(kTenths);
    }
    // The first file's rate is not the download's: its data goes, unsaved.
    modals.ExpectFileDialog(csv).ExpectMessage(CVarnelDoc::kRateChangedText, IDNO);
    ASSERT_TRUE(testing_support::UseCommand(frame, ID_IMPORT_CSV));
    for (int i = 0; i < 2; ++i) {
        modals.ExpectFileDialog(csv);
        ASSERT_TRUE(testing_support::UseCommand(frame, ID_IMPORT_CSV));
    }
    ASSERT_EQ(modals.Pending(), 0u);
    expectTheChoice("after the imports");

    ChooseLevel(frame, IDC_LEVEL_BASIC);
    ASSERT_TRUE(Wait([&] { return setup->m_meterMode && logger.IsCommandQueueEmpty(); }));
    EXPECT_FALSE(setup->GetRateCombo().IsWindowEnabled()) << "greyed beside the meters";
    ASSERT_TRUE(testing_support::UseCommand(frame, ID_GRAPH_TB));
    ASSERT_TRUE(Wait([&] { return logger.IsCommandQueueEmpty() && !setup->m_meterMode; }));
    testing_support::RunUntil(
        clock, [] { return false; }, std::chrono::milliseconds(500));
    expectTheChoice("after the graph button");
    ChooseLevel(frame, IDC_LEVEL_ADVANCED);
    testing_support::RunUntil(
        clock, [] { return false; }, std::chrono::milliseconds(500));
    expectTheChoice("back at Advanced");

    // The data are kept: the rate of the run is the user's, not the imports'.
    modals.ExpectMessage(CVarnelDoc::kRateChangedText, IDNO);
    ASSERT_TRUE(testing_support::UseCommand(frame, ID_LOGGER_RUN));
    ASSERT_TRUE(Wait([&] { return Regimes().size() == 1 && doc.m_runInProgress; }));
    const dorvik_sim::QkRegime regime = Regimes()[0];
    EXPECT_TRUE(regime.startsRun);
    EXPECT_DOUBLE_EQ(QkModel::PeriodMs(regime.timer), 5000);
    EXPECT_EQ(regime.runLength, 36);
    ASSERT_TRUE(testing_support::UseCommand(frame, ID_LOGGER_STOP));
    ASSERT_TRUE(Wait([&] { return !doc.m_runInProgress && logger.IsCommandQueueEmpty(); }));
    app.ExitInstance();
}

}  // namespace
