// A photogate timing run on a simulated QK timer, through the document and the real serial
// layer: the gate events become the measurement the timing settings ask for.

#include <algorithm>
#include <vector>

#include "RES/dialogs/selective_download.h"
#include "RES/dialogs/timing_wizard.h"
#include "experiment/timing_wizard.h"
#include "tests/app/doc_fixture.h"

namespace {

using namespace doc_test;
using dorvik_sim::QkModel;
using dorvik_sim::QkSensor;

// The simulator answers at the line's real rate; a loaded machine may take a while.
constexpr std::chrono::seconds kPatience{60};

// 2-microsecond ticks.
DWORD Ticks(double seconds) {
    return static_cast<DWORD>(seconds / 2e-6 + 0.5);
}

// The logger's memory: one timing set, a pass from gate 1 to gate 2 in 0.8 s.
const std::vector<dorvik_sim::QkTimingEvent> kStoredEvents = {
    {1, Ticks(1.0)}, {0, Ticks(1.05)}, {2, Ticks(1.8)}, {0, Ticks(1.85)}};

class TimingRun : public DocTest {
protected:
    void SetUp() override {
        auto model = std::make_unique<QkModel>(QkModel::kTimerVariant);
        model->liveSensors[5] = model->liveSensors[6] = QkSensor{"Photogate", "V", 0, 5, 0, 1023};
        model->storedSets[0] = dorvik_sim::MakeTimingSet(kStoredEvents);
        MakeQk(std::move(model));
        settings.m_timingMeasurement = 1;
        settings.m_timingMethod = 1;
        settings.m_timingDistance1 = 3.0;
        settings.m_timingDistance2 = 50.0;
        // Timing mode comes on with the timer; a velocity asks for its length.
        modals.ExpectDialog(IDD_TIMING_LAUNCH_PARAMETER, [](CDialog& d) {
            EXPECT_EQ(d.GetDlgItemText(IDC_TIMING_LENGTH), "50");
            testing_support::Press(d, IDOK);
        });
        ASSERT_TRUE(StartAndConnect());
        ASSERT_TRUE(Wait([&] { return modals.Pending() == 0; }, kPatience));
        EXPECT_EQ(doc.m_timingMode, 1);
    }
};

TEST_F(TimingRun, TheGateEventsBecomeTheChosenMeasurement) {
    struct Event {
        BYTE state;
        double at;
    };
    const struct {
        const char* name;
        BYTE measurement, method;
        double distance1;
        std::vector<Event> events;
        const char* setName;  // nullptr: not checked
        std::vector<double> values;
        double tolerance;
    } rows[] = {
        {"velocity between gates, both ways",
         1,
         1,
         3.0,
         {{1, 2.0}, {0, 2.05}, {2, 2.5}, {0, 2.55}, {2, 5.0}, {0, 5.05}, {1, 5.5}, {0, 5.55}},
         "Velocity",
         {1.0, -1.0},
         1e-9},
        {"time between gates, both ways",
         0,
         1,
         3.0,
         {{1, 2.0}, {0, 2.05}, {2, 2.5}, {0, 2.55}, {2, 5.0}, {0, 5.05}, {1, 5.5}, {0, 5.55}},
         nullptr,
         {0.5, 0.5},
         1e-9},
        {"acceleration at one gate",
         2,
         0,
         2.0,
         {{1, 1.0}, {0, 1.02}, {1, 1.5}, {0, 1.51}},
         nullptr,
         {2.02},
         0.01},
        {"a collision: each gate its own velocity",
         1,
         2,
         5.0,
         {{1, 1.0}, {0, 1.05}, {2, 2.0}, {0, 2.1}},
         "Velocity 1",
         {1.0},
         1e-9},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        settings.m_timingMeasurement = r.measurement;
        settings.m_timingMethod = r.method;
        settings.m_timingDistance1 = r.distance1;
        const int number = CVarnelDoc::GetExperimentCounter();
        const int ended = Count(UM_RUN_ENDED);
        Command(ID_LOGGER_RUN);
        ASSERT_TRUE(Wait([&] { return WithModel<QkModel>([](QkModel& m) { return m.timing; }); }));
        WithModel<QkModel>([&](QkModel& m) {
            for (const Event& e : r.events)
                m.QueueTimingEvent(e.state, Ticks(e.at));
            m.EndTimingRun();
            return 0;
        });
        ASSERT_TRUE(Wait([&] { return Count(UM_RUN_ENDED) > ended; }, kPatience));
        clock.Advance(500);
        EXPECT_EQ(Count(UM_RUN_ENDED), ended + 1) << "the end record ends the run once";
        CDataTreeBrench* experiment =
            doc.m_dataList.FindByName(CString::Formatted("Exp. %d", number));
        ASSERT_NE(experiment, nullptr);
        const auto sets = DataSetsOf(experiment);
        ASSERT_GE(sets.size(), 1u);
        if (r.setName) {
            EXPECT_EQ(sets[0]->m_name, r.setName);
            EXPECT_EQ(sets[0]->m_unit, "m/s");
        }
        ASSERT_EQ(sets[0]->GetYCount(), static_cast<int>(r.values.size()));
        for (size_t i = 0; i < r.values.size(); ++i)
            EXPECT_NEAR((*sets[0]->m_y)[i], r.values[i], r.tolerance) << i;
        if (r.method == 2) {
            ASSERT_EQ(sets.size(), 2u);
            EXPECT_EQ(sets[1]->m_name, "Velocity 2");
            ASSERT_EQ(sets[1]->GetYCount(), 1);
            EXPECT_NEAR((*sets[1]->m_y)[0], 0.5, 1e-9);
        }
    }
    const auto timingModes = WithModel<QkModel>([](QkModel& m) {
        return std::count_if(m.commands.begin(), m.commands.end(), [](const auto& c) {
            return c.letters[0] == 'A' && c.letters[1] == 'K';
        });
    });
    EXPECT_EQ(timingModes, 4) << "AK for each run";
}

// The timing wizard between two timing runs: the next Run finds the logger on its port again and
// runs, with no failure told.
TEST_F(TimingRun, TheWizardBetweenTwoRunsLeavesTheNextRunItsLogger) {
    settings.m_timingMeasurement = 0;
    settings.m_timingMethod = 1;
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        if (run == 1) {
            modals.ExpectDialog(IDD_PROPERTY_SHEET, [](CDialog& d) {
                testing_support::Press(d, CTimingWizard::kFinishId);
            });
            Command(ID_TIMING_WIZARD);
            ASSERT_EQ(modals.Pending(), 0u);
        }
        const int ended = Count(UM_RUN_ENDED);
        Command(ID_LOGGER_RUN);
        ASSERT_TRUE(Wait([&] { return WithModel<QkModel>([](QkModel& m) { return m.timing; }); },
                         kPatience));
        EXPECT_TRUE(logger.IsConnected());
        WithModel<QkModel>([&](QkModel& m) {
            for (const auto& e : kStoredEvents)
                m.QueueTimingEvent(e.state, e.ticks);
            m.EndTimingRun();
            return 0;
        });
        ASSERT_TRUE(Wait([&] { return Count(UM_RUN_ENDED) > ended; }, kPatience));
        clock.Advance(2000);
        EXPECT_TRUE(logger.IsConnected());
        EXPECT_EQ(Count(UM_RUN_ENDED), ended + 1);
    }
}

}  // namespace

namespace {

// A stored timing set read back through the restricted wizard: Acceleration at one gate cannot
// come from it, so the wizard turns it into Time between gates, and the download gives that.
TEST_F(TimingRun, AStoredSetIsReadForWhatItCanGive) {
    settings.m_timingMeasurement = 2;
    settings.m_timingMethod = 0;
    modals.ExpectDialog(IDD_SELECTIVE_DOWNLOAD,
                        [](CDialog& d) { testing_support::Press(d, IDOK); });
    modals.ExpectDialog(IDD_PROPERTY_SHEET, [](CDialog& d) {
        EXPECT_EQ(dynamic_cast<CTimingWizard&>(d).m_mode, 1);
        testing_support::Press(d, CTimingWizard::kFinishId);
    });
    const int number = CVarnelDoc::GetExperimentCounter();
    Command(ID_LOGGER_DOWNLOAD);
    ASSERT_TRUE(
        Wait([&] { return doc.m_dataList.FindByName(CString::Formatted("Exp. %d", number)); },
             kPatience));
    clock.Advance(500);
    EXPECT_EQ(settings.m_timingMeasurement, 0);
    EXPECT_EQ(settings.m_timingMethod, 1);
    const auto sets = DataSetsOf(doc.m_dataList.FindByName(CString::Formatted("Exp. %d", number)));
    ASSERT_EQ(sets.size(), 1u);
    ASSERT_EQ(sets[0]->GetYCount(), 1);
    EXPECT_NEAR((*sets[0]->m_y)[0], 0.8, 1e-9);
}

}  // namespace
