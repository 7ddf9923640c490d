// The set-up window on a document whose logger state the test sets: the switches on both
// models, rate and recording-time choices, the layout and the external inputs.

#include "RES/dialogs/setup_view.h"
#include "RES/commands.h"
#include "RES/dialogs/external_sensor_selection.h"
#include "RES/dialogs/meter_view.h"
#include "displays/meter/meter_view.h"
#include "experiment/external_sensor_selection_dialog.h"
#include "models/setup_tables.h"
#include "tests/app/doc_fixture.h"

#include <QTest>

namespace {

using namespace doc_test;
using dorvik_test::RecordingPort;

class SetupDorvik : public CDorvik {
public:
    SetupDorvik(CSettings* settings, std::unique_ptr<RecordingPort> link)
        : CDorvik(settings, std::move(link)) {}
    BOOL Connect() override {
        m_commandQueue.clear();
        m_connected = 1;
        m_detectionTimerOn = 0;
        return TRUE;
    }
    void Model(bool qk) {
        m_connected = 1;
        m_qkModel = qk;
    }
    // QK: live channels; basic: the sensor codes of the report.
    void Channels(std::vector<BYTE> list) {
        m_channelCount = BYTE(list.size());
        std::copy(list.begin(), list.end(), m_channelList);
        m_mask = 0;
        for (ChannelInfoStruct& c : m_liveChannels)
            c.enabled = 0;
        for (BYTE ch : list) {
            if (m_qkModel) m_liveChannels[ch].enabled = 1;
            m_mask |= BYTE(m_qkModel ? 1 << ch : 1 << ch);
        }
    }
    void Regime(WORD rate, DWORD length) {
        m_rateCode = rate;
        m_runLength = length;
    }
    void Present(bool humidity, bool pressure) {
        m_hasChannel3 = humidity;
        m_hasChannel4 = pressure;
    }
};

class SetupViewTest : public DocTest {
protected:
    SetupViewTest()
        : DocTest([](CSettings* s) {
              return std::make_unique<SetupDorvik>(s, std::make_unique<RecordingPort>());
          }) {}
    SetupDorvik& fake = static_cast<SetupDorvik&>(*doc.GetLogger());
    RecordingPort& port = static_cast<RecordingPort&>(doc.GetLogger()->GetSerialPort());

    // A logger of `qk` model that has answered with `channels` at `rate`.
    void Answered(bool qk, std::vector<BYTE> channels, WORD rate, DWORD length) {
        fake.Model(qk);
        fake.Present(true, true);
        fake.Channels(std::move(channels));
        fake.Regime(rate, length);
        setup.UpdateControls();
        port.writes.clear();
    }
    bool On(int sensor) { return setup.GetSwitch(sensor).GetValue(); }
    // A user's click: the switch toggles, then raises Click.
    void Click(int sensor) {
        static_cast<CWButton*>(setup.GetSwitch(sensor).GetControl())->ClickByKey();
    }
    void Choose(CComboBox& combo, UINT id, int index) {
        combo.SetCurSel(index);
        setup.SendMessage(WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                          reinterpret_cast<LPARAM>(combo.GetSafeHwnd()));
    }
    std::vector<CString> Items(CComboBox& combo) {
        std::vector<CString> items;
        for (int i = 0; i < combo.GetCount(); ++i) {
            CString t;
            combo.GetLBText(i, t);
            items.push_back(t);
        }
        return items;
    }
};

TEST_F(SetupViewTest, QkClicksWriteTheLoggerObjectAndSendNothing) {
    Answered(true, {0}, 41, 100);  // Temperature alone
    EXPECT_TRUE(On(CSetupView::kTemperature));
    EXPECT_EQ(setup.m_selectedCount, 1);

    // The only sensor stays on.
    Click(CSetupView::kTemperature);
    EXPECT_TRUE(On(CSetupView::kTemperature));
    EXPECT_TRUE(logger.GetLiveChannel(0).enabled);

    Click(CSetupView::kSound);
    EXPECT_TRUE(On(CSetupView::kSound));
    EXPECT_TRUE(logger.GetLiveChannel(1).enabled);
    EXPECT_EQ(logger.GetMask(), 0x03);
    EXPECT_EQ(setup.m_sensorMask, 0x03);
    EXPECT_EQ(setup.m_selectedCount, 2);
    EXPECT_TRUE(port.writes.empty());
}

TEST_F(SetupViewTest, QkAbsentHumidityAndPressureAreOffAndDisabled) {
    fake.Model(true);
    fake.Present(false, false);
    fake.Channels({0, 3, 4});
    setup.UpdateControls();
    for (int k : {CSetupView::kHumidity, CSetupView::kPressure}) {
        EXPECT_FALSE(On(k)) << k;
        EXPECT_FALSE(setup.GetSwitch(k).IsWindowEnabled()) << k;
        EXPECT_FALSE(setup.GetPicture(k).IsWindowEnabled()) << k;
    }
}

TEST_F(SetupViewTest, QkRateChoiceOffersItsRecordingTimes) {
    Answered(true, {0}, 41, 100);
    Choose(setup.GetRateCombo(), IDC_SETUP_RATE, 0);  // "Every hour"
    const auto items = Items(setup.GetTimeCombo());
    ASSERT_FALSE(items.empty());
    EXPECT_EQ(items.front(), "8 Hours");
    EXPECT_EQ(items.back(), "40 Days");
    EXPECT_EQ(logger.GetRegimeRateCode(), 33);
    EXPECT_EQ(logger.GetRunLength(), 8u);
    EXPECT_EQ(setup.GetTimeCombo().GetCurSel(), 0);

    Choose(setup.GetRateCombo(), IDC_SETUP_RATE, 9);  // "5/s"
    Choose(setup.GetTimeCombo(), IDC_SETUP_TIME, 1);  // "20 Seconds"
    EXPECT_EQ(logger.GetRegimeRateCode(), 48);
    EXPECT_EQ(logger.GetRunLength(), 100u);
    EXPECT_EQ(setup.m_runLength, 100u);
    EXPECT_TRUE(port.writes.empty());
}

TEST_F(SetupViewTest, BasicClickGoesBackUntilTheReportAndSendsTheSetup) {
    Answered(false, {4}, 64, 600);  // Temperature alone, every second
    Click(CSetupView::kLight);
    EXPECT_FALSE(On(CSetupView::kLight));
    EXPECT_EQ(setup.m_sensorMask, 16 + 4);
    EXPECT_EQ(doc.m_pendingCommand, CVarnelDoc::kCommandLiveReadings);
    // The report shows the new state.
    fake.Channels({2, 4});
    setup.UpdateControls();
    EXPECT_TRUE(On(CSetupView::kLight));

    // The only sensor cannot go off, and nothing is asked.
    Answered(false, {2}, 64, 600);
    doc.m_pendingCommand = 0;
    Click(CSetupView::kLight);
    EXPECT_TRUE(On(CSetupView::kLight));
    EXPECT_EQ(doc.m_pendingCommand, 0);
}

TEST_F(SetupViewTest, BasicSixthSensorCutsTheRecordingTime) {
    Answered(false, {0, 1, 2, 4, 5}, 1, 1440);  // every 30 minutes, "30 Days"
    ASSERT_EQ(setup.GetTimeCombo().GetCurSel(), 4);
    Click(CSetupView::kPressure);
    EXPECT_EQ(setup.m_runLength, 144u);  // "3 Days"
}

TEST_F(SetupViewTest, BasicRateChoiceKeepsTheSavedIndexAndSendsTheFirstTime) {
    Answered(false, {4}, 64, 600);
    const int saved = setup.GetRateCombo().GetCurSel();
    Choose(setup.GetRateCombo(), IDC_SETUP_RATE, 2);  // "Every 2 minutes"
    EXPECT_EQ(setup.GetRateCombo().GetCurSel(), saved);
    EXPECT_EQ(setup.m_rateCode, 4);
    EXPECT_EQ(setup.m_runLength, setup_tables::RunLengthFor(false, 1, 2));
    EXPECT_EQ(doc.m_pendingCommand, CVarnelDoc::kCommandLiveReadings);
}

TEST_F(SetupViewTest, QkExternalSlotsNameTheirPicturesAndGatesDisableTheirInputs) {
    struct Case {
        const char* name;
        BYTE absent, photogate, gateInput;
        bool enabled;
    } cases[] = {{"Photogate", 0, 1, 0, false},
                 {"Voltage", 0, 0, 0, true},
                 {"No Sensor", 1, 0, 0, false},
                 {"Gate", 0, 0, 1, false}};
    for (const Case& c : cases) {
        for (int input = 0; input < 2; ++input) {
            SensorInfoStruct& slot = settings.m_sensorSlots[input];
            slot.name = c.name;
            slot.absent = c.absent;
            slot.photogate = c.photogate;
            slot.gateInput = c.gateInput;
        }
        Answered(true, {0}, 41, 100);
        for (int input : {CSetupView::kExternal1, CSetupView::kExternal2}) {
            SCOPED_TRACE(testing::Message() << c.name << " on input " << input);
            EXPECT_EQ(setup.GetToolTipText(input), c.name);
            EXPECT_EQ(bool(setup.GetSwitch(input).IsWindowEnabled()), c.enabled);
            EXPECT_EQ(bool(setup.GetPicture(input).IsWindowEnabled()), c.enabled);
        }
    }
}

TEST_F(SetupViewTest, ARealDoubleClickEndsAsItsFirstClickLeftTheSwitch) {
    Answered(true, {0}, 41, 100);
    QWidget* w = setup.GetSwitch(CSetupView::kSound).GetControl()->GetWidget();
    // As Qt delivers a double click: press, release, the double click, release.
    const QPoint at = w->rect().center();
    QTest::mouseClick(w, Qt::LeftButton, {}, at);
    QTest::mouseDClick(w, Qt::LeftButton, {}, at);
    QTest::mouseRelease(w, Qt::LeftButton, {}, at);
    EXPECT_TRUE(On(CSetupView::kSound));
    EXPECT_TRUE(logger.GetLiveChannel(1).enabled);
    EXPECT_EQ(setup.m_selectedCount, 2);
    EXPECT_TRUE(port.writes.empty());
}

// However small or large its pane, the view lays itself out inside it, and the sensor pictures
// stay square.
TEST_F(SetupViewTest, LayoutFillsItsPaneAndKeepsThePicturesSquare) {
    for (const CSize size : {CSize(300, 400), CSize(227, 263), CSize(181, 203), CSize(456, 900)}) {
        SCOPED_TRACE(std::to_string(size.cx) + " x " + std::to_string(size.cy));
        setup.MoveWindow(0, 0, size.cx, size.cy);
        auto rect = [&](CWnd& w) {
            CRect r;
            w.GetWindowRect(&r);
            setup.ScreenToClient(&r);
            return r;
        };
        const CRect pane(0, 0, size.cx, size.cy);
        auto inside = [&](const CRect& r) {
            return r.left >= 0 && r.top >= 0 && r.right <= pane.right && r.bottom <= pane.bottom;
        };
        const int row = (size.cy - 60) / 4;
        for (int k = 0; k < CSetupView::kSensors; ++k) {
            const CRect picture = rect(setup.GetPicture(k));
            EXPECT_TRUE(inside(picture)) << k;
            EXPECT_TRUE(inside(rect(setup.GetSwitch(k)))) << k;
            EXPECT_EQ(picture.Width(), picture.Height()) << k;
            EXPECT_GE(picture.Width(), std::min(row - 2, 33)) << k << " as large as its row allows";
        }
        // The rows go down the pane: Pressure's picture is in the last of four.
        const CRect pressure = rect(setup.GetPicture(CSetupView::kPressure));
        EXPECT_GE(pressure.top, 60 + 3 * row);
        EXPECT_LE(pressure.bottom, 60 + 4 * row);
        EXPECT_EQ(rect(setup.GetPicture(CSetupView::kExternal2)).right, size.cx - 10);
        const CRect rate = rect(setup.GetRateCombo());
        EXPECT_TRUE(inside(rate));
        // A narrow combo may grow over the margin to show its entries, never out of the pane.
        EXPECT_GE(rate.right, size.cx - 10);
        EXPECT_GE(rate.left, rect(*setup.GetDlgItem(IDC_SETUP_RATE_LABEL)).right)
            << "beside the label";
    }
}

TEST_F(SetupViewTest, BasicDoubleClickOnAnExternalPictureChoosesItsType) {
    Answered(false, {4}, 64, 600);
    modals.ExpectDialog(IDD_EXTERNAL_SENSOR_SELECTION, [](CDialog& d) {
        auto* combo = dynamic_cast<CComboBox*>(d.GetDlgItem(int(IDC_EXTERNAL_SENSOR_TYPE)));
        ASSERT_NE(combo, nullptr);
        const int ph = combo->FindStringExact(-1, "pH (pH)");
        ASSERT_GE(ph, 0);
        combo->SetCurSel(ph);
        d.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_EXTERNAL_SENSOR_TYPE, CBN_SELCHANGE),
                      reinterpret_cast<LPARAM>(combo->GetSafeHwnd()));
        testing_support::Press(d, IDOK);
    });
    setup.OnPictureDblClick(0);
    EXPECT_EQ(settings.m_externalSensor1, 6);
    EXPECT_EQ(settings.m_sensorSlots[0].name, "pH");
    EXPECT_EQ(setup.GetToolTipText(CSetupView::kExternal1), "pH");
    CSettings reread;
    EXPECT_EQ(reread.m_externalSensor1, 6);
}

TEST_F(SetupViewTest, SwitchColoursFollowTheSettings) {
    settings.m_plotColors[4] = RGB(1, 2, 3);
    setup.ApplySensorColors();
    for (int k = 0; k < CSetupView::kSensors; ++k) {
        const auto* state = static_cast<CWButton*>(setup.GetSwitch(k).GetControl())->State();
        ASSERT_NE(state, nullptr);
        EXPECT_EQ(state->onColor, settings.m_plotColors[CSetupView::kColorIndexes[k]]) << k;
    }
}

}  // namespace

namespace {

class SetupMeterMode : public SetupViewTest {};

TEST_F(SetupMeterMode, BasicEntrySetsTheLiveSetupOnceAtTheLiveRate) {
    Answered(false, {4, 2}, 16, 600);
    settings.m_meterMode = 1;
    setup.SetMeterMode(TRUE);
    EXPECT_EQ(setup.m_sensorMask, 16);
    EXPECT_EQ(setup.m_rateCode, 64);
    EXPECT_EQ(setup.m_runLength, 600u);
    EXPECT_EQ(doc.m_pendingCommand, CVarnelDoc::kCommandLiveReadings);
    EXPECT_FALSE(setup.GetRateCombo().IsWindowEnabled());
    EXPECT_TRUE(On(CSetupView::kTemperature));

    setup.SetMeterMode(FALSE);
    Answered(false, {4}, 64, 600);
    doc.m_pendingCommand = 0;
    setup.SetMeterMode(TRUE);
    EXPECT_EQ(doc.m_pendingCommand, 0);
    // Shown meters keep the lists disabled.
    setup.EnableControls(TRUE);
    EXPECT_FALSE(setup.GetRateCombo().IsWindowEnabled());
    EXPECT_FALSE(setup.GetTimeCombo().IsWindowEnabled());
}

TEST_F(SetupMeterMode, SwitchesChooseTheMetersSensor) {
    Answered(false, {4}, 64, 600);
    settings.m_meterMode = 1;
    setup.SetMeterMode(TRUE);
    // No meter selected: all four take the sensor, and the old switch goes off.
    Click(CSetupView::kSound);
    EXPECT_TRUE(On(CSetupView::kSound));
    EXPECT_FALSE(On(CSetupView::kTemperature));
    for (int code : doc.m_meterChannels)
        EXPECT_EQ(code, 7);
}

TEST_F(SetupMeterMode, AClickChoosesTheSelectedMetersSensorOnly) {
    CMeterView meters;
    meters.Create(&host, &doc);
    meters.OnInitialUpdate();
    Answered(false, {4}, 64, 600);
    settings.m_meterMode = 1;
    setup.SetMeterMode(TRUE);
    meters.OnSelectPanel(IDC_METER_LABEL_FIRST + 2);
    ASSERT_EQ(meters.GetSelectedPanel(), 2);
    Click(CSetupView::kSound);
    EXPECT_TRUE(On(CSetupView::kSound));
    EXPECT_FALSE(On(CSetupView::kTemperature));
    EXPECT_EQ(std::vector<int>(doc.m_meterChannels, doc.m_meterChannels + 4),
              (std::vector<int>{4, 4, 7, 4}));
    meters.DestroyWindow();
}

TEST_F(SetupMeterMode, QkMetersTakeThePluggedInExternals) {
    struct Case {
        bool slot0, slot1;
        int code;  // every meter's, no meter being selected
        int on;
    } cases[] = {{true, true, 1, CSetupView::kExternal2},
                 {true, false, 0, CSetupView::kExternal1},
                 {false, true, 1, CSetupView::kExternal2},
                 {false, false, 4, CSetupView::kTemperature}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.slot0 << c.slot1);
        settings.m_sensorSlots[0].absent = c.slot0 ? 0 : 1;
        settings.m_sensorSlots[1].absent = c.slot1 ? 0 : 1;
        // No channel list: what the switches show is step 7's alone.
        Answered(true, {}, 41, 100);
        settings.m_meterMode = 1;
        setup.SetMeterMode(TRUE);  // the entry: the live timer, nothing else
        setup.UpdateControls();    // the logger's next answer
        for (int code : doc.m_meterChannels)
            EXPECT_EQ(code, c.code);
        for (int k = 0; k < CSetupView::kSensors; ++k)
            EXPECT_EQ(On(k), k == c.on) << k;
        setup.m_meterMode = 0;
        settings.m_meterMode = 0;
    }
}

TEST_F(SetupMeterMode, LeavingReReadsTheSensors) {
    struct Case {
        bool qk;
        UINT period;
    } cases[] = {{true, 50}, {false, 100}};
    for (const Case& c : cases) {
        Answered(c.qk, {0}, c.qk ? 41 : 64, 600);
        setup.m_meterMode = 1;
        const size_t before = logger.GetQueuedCommandCount();
        setup.SetMeterMode(FALSE);
        // The sensor read (QK) or status query (basic) waits in the logger's queue.
        EXPECT_GT(logger.GetQueuedCommandCount(), before) << c.qk;
        EXPECT_EQ(setup.m_meterMode, 0);
        // The controls wait for the logger's answer.
        EXPECT_FALSE(setup.GetRateCombo().IsWindowEnabled());
    }
}

TEST_F(SetupViewTest, ExternalCommandsOpenTheDialogForTheirInput) {
    Answered(false, {4}, 64, 600);
    for (UINT id : {ID_EXTERNAL_SENSOR_1, ID_EXTERNAL_SENSOR_2}) {
        BYTE shownType = 255;
        modals.ExpectDialog(IDD_EXTERNAL_SENSOR_SELECTION, [&](CDialog& d) {
            shownType = static_cast<CExternalSensorSelectionDialog&>(d).GetSelection();
            testing_support::Press(d, IDCANCEL);
        });
        const BYTE before1 = settings.m_externalSensor1, before2 = settings.m_externalSensor2;
        Command(id);
        EXPECT_EQ(modals.Pending(), 0u);
        EXPECT_EQ(shownType, id == ID_EXTERNAL_SENSOR_1 ? before1 : before2);
        EXPECT_EQ(settings.m_externalSensor1, before1);
        EXPECT_EQ(settings.m_externalSensor2, before2);
    }
}

}  // namespace
