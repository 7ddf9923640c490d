// The meters of the whole program started with units chosen in an earlier session: shown with a
// simulated QK, their scales read in those units.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <memory>

#include "RES/commands.h"
#include "app/main_frame.h"
#include "app/varnel_app.h"
#include "app/varnel_doc.h"
#include "displays/meter/meter_view.h"
#include "experiment/setup_view.h"
#include "logger/dorvik.h"
#include "logger/helpers.h"
#include "logger/settings.h"
#include "platform/activex/instruments.h"
#include "tests/support/core/logger_link.h"
#include "tests/support/core/sim_port.h"
#include "tests/support/harness.h"
#include "tests/support/user_commands.h"
#include "tools/dorvik-sim/qk_model.h"

namespace {

class MeterUnitsProgram : public testing_support::HarnessTest {
protected:
    testing_support::NoComPorts noPorts;
    bool Wait(const std::function<bool()>& done) { return testing_support::RunUntil(clock, done); }
};

TEST_F(MeterUnitsProgram, AfterARestartTheMetersReadInTheSavedUnits) {
    {
        // The earlier session: Fahrenheit and millibars. The settings file lies in the program's
        // data folder, which its start names.
        QCoreApplication::setOrganizationName("Mercant Systems");
        CSettings saved;
        saved.m_temperatureUnit = 1;
        saved.m_pressureUnit = 5;
        ASSERT_TRUE(saved.Save());
    }
    testing_support::SimulatedComPort qk{3, std::make_unique<dorvik_sim::QkModel>()};
    CVarnelApp app;
    ASSERT_TRUE(app.InitInstance());
    CVarnelDoc* doc = app.GetDocument();
    CMeterView* meters = doc->GetMeterView();
    ASSERT_NE(meters, nullptr);
    ASSERT_TRUE(Wait([&] { return doc->GetLogger()->IsConnected(); }));
    // The meters, as the user shows them.
    ASSERT_TRUE(testing_support::UseCommand(*app.GetMainFrame(), ID_METERS_TB));
    ASSERT_TRUE(Wait([&] {
        const CSetupView* setup = doc->GetSetupView();
        return setup && setup->m_meterMode && doc->GetLogger()->IsCommandQueueEmpty();
    }));
    const CSettings& s = *doc->GetSettings();
    ASSERT_EQ(s.m_temperatureUnit, 1);
    // Every meter starts on the temperature sensor, its range in Fahrenheit.
    const double lo = ConvertTemperatureValue(s.m_sensorSlots[4].minimum, 1);
    const double hi = ConvertTemperatureValue(s.m_sensorSlots[4].maximum, 1);
    for (int m = 0; m < CMeterView::kMeters; ++m) {
        SCOPED_TRACE(m);
        EXPECT_EQ(meters->GetLabel(m).GetWindowText(),
                  "Temperature (\xC2\xB0"
                  "F)");
        const auto& knob = *dynamic_cast<const CWGauge*>(meters->GetKnob(m).GetControl())->State();
        EXPECT_NEAR(knob.min, lo, 1e-6);
        EXPECT_NEAR(knob.max, hi, 1e-6);
        EXPECT_EQ(knob.unit,
                  "\xC2\xB0"
                  "F");
    }
    app.ExitInstance();
}

}  // namespace
