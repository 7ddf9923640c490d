// Live meters end to end: a simulated logger on a pseudo-terminal, the real serial layer, the
// logger object, the communication view, the document and the meter view.

#include "RES/commands.h"
#include "RES/dialogs/option_dialogs.h"
#include "displays/meter/meter_view.h"
#include "logger/helpers.h"
#include "models/sensor_units.h"
#include "platform/activex/instruments.h"
#include "tests/app/doc_fixture.h"

namespace {

using namespace doc_test;
using dorvik_sim::BasicModel;

class MeterLive : public DocTest {
protected:
    void SetUp() override {
        settings.m_temperatureUnit = 1;  // Fahrenheit
        settings.m_pressureUnit = 1;     // psi
        meters.Create(&host, &doc);
        meters.OnInitialUpdate();
        meters.MoveWindow(0, 0, 600, 400);
        const int codes[4] = {4, 2, 6, 7};  // temperature, light, pressure, sound
        for (int i = 0; i < 4; ++i) {
            doc.m_meterChannels[i] = codes[i];
            meters.SetMeterSensor(i, codes[i]);
        }
    }
    void TearDown() override { meters.DestroyWindow(); }

    // What meter i shows of the logger's latest live value of its sensor.
    double Expected(int meter) {
        const int code = doc.m_meterChannels[meter];
        return ToDisplayUnit(settings, SensorQuantityOfCode(settings, code),
                             logger.GetLiveValue(code));
    }
    void ExpectEveryMeterShowsItsSensor() {
        for (int i = 0; i < 4; ++i) {
            SCOPED_TRACE(testing::Message() << "meter " << i + 1);
            const double v = Expected(i);
            EXPECT_NEAR(meters.GetKnob(i).GetValue(), v, 1e-9);
            EXPECT_NEAR(meters.GetSlide(i).GetValue(), v, 1e-9);
            EXPECT_EQ(meters.GetDigits(i).GetText(), CMeterView::FormatReading(v));
            EXPECT_LE(meters.GetMinimum(i), v);
            EXPECT_GE(meters.GetMaximum(i), v);
        }
    }

    CMeterView meters;
};

TEST_F(MeterLive, ABasicLoggersLiveReadingsReachEveryMeterInTheChosenUnits) {
    MakeBasic();
    WithModel<BasicModel>([](BasicModel& m) {
        m.rawValue = [](int channel, DWORD) { return BYTE(40 + 25 * channel); };
    });
    ASSERT_TRUE(StartAndConnect());
    // The set-up the meters send: temperature at one sample a second.
    setup.m_sensorMask = 16;
    setup.m_rateCode = 64;
    setup.m_runLength = 600;
    doc.IssueLoggerCommand(CVarnelDoc::kCommandLiveReadings);
    ASSERT_TRUE(Wait([&] { return !doc.m_commandTimerOn && logger.IsCommandQueueEmpty(); }));
    EXPECT_EQ(WithModel<BasicModel>([](BasicModel& m) { return m.rateCode; }), 64);
    doc.StartLiveTimer();
    ASSERT_EQ(doc.m_liveTimerOn, 1);
    const int before = Count(UM_UPDATE_METERS);
    clock.Advance(CVarnelDoc::kLiveTimerPeriod + 10);
    ASSERT_TRUE(Wait([&] { return Count(UM_UPDATE_METERS) > before; }));
    ASSERT_NE(logger.GetLiveValue(4), 0.0);
    ExpectEveryMeterShowsItsSensor();
    doc.StopLiveTimer();
}

TEST_F(MeterLive, ShownMetersGoLiveThroughTheSetUpWindow) {
    MakeBasic();
    WithModel<BasicModel>([](BasicModel& m) {
        m.rawValue = [](int channel, DWORD) { return BYTE(40 + 25 * channel); };
        m.mask = 0x07;
        m.rateCode = 16;
    });
    settings.m_meterMode = 1;
    // Nobody but the logger's answers and the set-up window starts anything here.
    ASSERT_TRUE(StartAndConnect());
    ASSERT_TRUE(Wait([&] { return doc.m_liveTimerOn == 1; }));
    EXPECT_TRUE(setup.m_meterMode);
    EXPECT_EQ(WithModel<BasicModel>([](BasicModel& m) { return m.rateCode; }), 64);
    EXPECT_EQ(WithModel<BasicModel>([](BasicModel& m) { return m.mask; }), 16);
    for (int code : doc.m_meterChannels)
        EXPECT_EQ(code, 4);
    const int before = Count(UM_UPDATE_METERS);
    clock.Advance(CVarnelDoc::kLiveTimerPeriod + 10);
    ASSERT_TRUE(Wait([&] { return Count(UM_UPDATE_METERS) > before; }));
    ASSERT_NE(logger.GetLiveValue(4), 0.0);
    ExpectEveryMeterShowsItsSensor();
}

TEST_F(MeterLive, AQkSnapshotReachesEveryMeter) {
    MakeQk();
    ASSERT_TRUE(StartAndConnect());
    const int before = Count(UM_UPDATE_METERS);
    logger.SendQKSnapshot();
    ASSERT_TRUE(Wait([&] { return Count(UM_UPDATE_METERS) > before; }));
    ExpectEveryMeterShowsItsSensor();
}

// The unit settings chosen through the menu, as a user chooses them.
void ChooseUnits(testing_support::ModalScript& modals, int temperature, int pressure) {
    modals.ExpectDialog(IDD_UNIT_SETTINGS, [=](CDialog& d) {
        dynamic_cast<CComboBox&>(*d.GetDlgItem(IDC_TEMPERATURE_UNIT)).SetCurSel(temperature);
        dynamic_cast<CComboBox&>(*d.GetDlgItem(IDC_PRESSURE_UNIT)).SetCurSel(pressure);
        d.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_TEMPERATURE_UNIT, CBN_SELCHANGE));
        d.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_PRESSURE_UNIT, CBN_SELCHANGE));
        testing_support::Press(d, IDOK);
    });
}

const platform::instruments::GaugeState& Gauge(CActiveXWrapper& w) {
    return *dynamic_cast<const CWGauge*>(w.GetControl())->State();
}

// Every kind of meter reads its scale in the unit its caption names: the analog knob's and the
// bar's axes, and the change lamp, whose colour is the reading's place within the range.
TEST_F(MeterLive, EveryKindOfMeterShowsItsRangeInTheChosenUnits) {
    settings.m_meterMode = 1;
    const CString deg = "\xC2\xB0";
    struct Case {
        int temperatureUnit, pressureUnit;
        CString temperature, pressure;  // the unit texts
        double tLo, tHi, tReading;      // the -10..40 C record, and 0 C, in that unit
        double pHi;                     // the 109.52 kPa maximum in that unit
    };
    const Case cases[] = {
        {1, 5, deg + "F", "mBar", 14, 104, 32, 1095.2},
        {2, 1, deg + "K", "psi", 263.15, 313.15, 273.15, 109.52 * 0.1450377},
        {0, 0, deg + "C", "kPa", -10, 40, 0, 109.52},
    };
    // Temperature on meter 1, pressure on meter 3; the logger's latest readings are 0.
    doc.m_meterChannels[2] = 6;
    meters.SetMeterSensor(2, 6);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.temperature + " " + c.pressure);
        ChooseUnits(modals, c.temperatureUnit, c.pressureUnit);
        Command(ID_UNIT_SETTINGS);
        ASSERT_EQ(settings.m_temperatureUnit, c.temperatureUnit);
        EXPECT_EQ(meters.GetLabel(0).GetWindowText(), "Temperature (" + c.temperature + ")");
        EXPECT_EQ(meters.GetLabel(2).GetWindowText(), "Pressure (" + c.pressure + ")");
        struct Meter {
            int meter;
            double lo, hi, reading;
            CString unit;
            COLORREF lamp;
        };
        // 0 C is a fifth of the way up, in any unit; a pressure of 0 widens the minimum to 0.
        for (const Meter& m :
             {Meter{0, c.tLo, c.tHi, c.tReading, c.temperature, RGB(255, 204, 204)},
              Meter{2, 0, c.pHi, 0, c.pressure, RGB(255, 255, 255)}}) {
            SCOPED_TRACE(m.meter);
            for (CActiveXWrapper* w : {static_cast<CActiveXWrapper*>(&meters.GetKnob(m.meter)),
                                       static_cast<CActiveXWrapper*>(&meters.GetSlide(m.meter))}) {
                EXPECT_NEAR(Gauge(*w).min, m.lo, 1e-6);
                EXPECT_NEAR(Gauge(*w).max, m.hi, 1e-6);
                EXPECT_EQ(Gauge(*w).unit, m.unit);
                EXPECT_NEAR(Gauge(*w).value, m.reading, 1e-9);
            }
            EXPECT_EQ(static_cast<COLORREF>(
                          meters.GetLamp(m.meter).GetDriver().GetLong(DISPID_BACKCOLOR)),
                      m.lamp);
            EXPECT_EQ(meters.GetDigits(m.meter).GetText(), CMeterView::FormatReading(m.reading));
        }
    }

    // A range a reading widened keeps its width through a change of unit.
    meters.ShowReadings(60, 0, 0, 0);
    ASSERT_NEAR(meters.GetMaximum(0), 72, 1e-9);
    ChooseUnits(modals, 1, 0);
    Command(ID_UNIT_SETTINGS);
    EXPECT_NEAR(meters.GetMaximum(0), 72 * 1.8 + 32, 1e-6);
    EXPECT_NEAR(meters.GetMinimum(0), 14, 1e-6);

    // After a restart the saved units reach the meters as their sensors are set.
    CVarnelDoc again([](CSettings*) { return std::unique_ptr<CDorvik>(); });
    ASSERT_EQ(again.GetSettings()->m_temperatureUnit, 1);
    CMeterView fresh;
    fresh.Create(&host, &again);
    fresh.OnInitialUpdate();
    again.m_meterChannels[0] = 4;
    fresh.SetMeterSensor(0, 4);
    EXPECT_NEAR(Gauge(fresh.GetKnob(0)).min, 14, 1e-6);
    EXPECT_NEAR(Gauge(fresh.GetKnob(0)).max, 104, 1e-6);
    fresh.DestroyWindow();
}

TEST_F(MeterLive, LiveReadingsLieOnTheScaleOfTheChosenUnit) {
    settings.m_meterMode = 1;
    settings.m_temperatureUnit = 1;
    MakeQk();
    // Mid-scale readings, within the temperature record's range.
    WithModel<dorvik_sim::QkModel>(
        [](dorvik_sim::QkModel& m) { m.rawValue = [](int, DWORD) { return WORD(256); }; });
    ASSERT_TRUE(StartAndConnect());
    for (int i = 0; i < 4; ++i) {
        doc.m_meterChannels[i] = 4;
        meters.SetMeterSensor(i, 4);
    }
    const int before = Count(UM_UPDATE_METERS);
    logger.SendQKSnapshot();
    ASSERT_TRUE(Wait([&] { return Count(UM_UPDATE_METERS) > before; }));
    // The record as the connected logger describes its sensor, in Fahrenheit.
    const double lo = ConvertTemperatureValue(settings.m_sensorSlots[4].minimum, 1);
    const double hi = ConvertTemperatureValue(settings.m_sensorSlots[4].maximum, 1);
    const double v = Expected(0);
    ASSERT_GT(v, lo) << "a reading within the record's range";
    ASSERT_LT(v, hi);
    EXPECT_NEAR(meters.GetMinimum(0), lo, 1e-6);
    EXPECT_NEAR(meters.GetMaximum(0), hi, 1e-6);
    EXPECT_NEAR(Gauge(meters.GetKnob(0)).value, v, 1e-9);
}

}  // namespace
