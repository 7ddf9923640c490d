// Live meters end to end: a simulated logger on a pseudo-terminal, the real serial layer, the
// logger object, the communication view, the document and the meter view.

#include "displays/meter/meter_view.h"
#include "models/sensor_units.h"
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

}  // namespace
