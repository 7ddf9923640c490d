// The set-up window's choices on their way to a simulated logger: clicks on the real switches,
// choices in the real lists, then Send Setup and Run through the document.

#include <QComboBox>
#include <QTest>
#include <algorithm>
#include <string>
#include <vector>

#include "RES/dialogs/setup_view.h"
#include "tests/app/doc_fixture.h"

namespace {

using namespace doc_test;
using dorvik_sim::BasicModel;
using dorvik_sim::QkModel;
using dorvik_sim::QkRegime;

class SetupOverTheWire : public DocTest {
protected:
    bool On(int sensor) { return setup.GetSwitch(sensor).GetValue(); }
    void MouseClick(int sensor) {
        QWidget* w = setup.GetSwitch(sensor).GetControl()->GetWidget();
        QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
    }
    void Choose(CComboBox& combo, int index) {
        auto* box = qobject_cast<QComboBox*>(combo.GetWidget());
        ASSERT_NE(box, nullptr);
        ASSERT_TRUE(box->isEnabled());
        box->setCurrentIndex(index);
        Q_EMIT box->activated(index);
    }
    std::vector<QkRegime> Regimes() {
        return WithModel<QkModel>([](QkModel& m) { return m.regimes; });
    }
    bool Running() {
        return WithModel<QkModel>([](QkModel& m) { return m.running; });
    }
    void StopRun() {
        Command(ID_LOGGER_STOP);
        ASSERT_TRUE(Wait([&] { return doc.m_runInProgress == 0 && !Running(); }));
        clock.Advance(300);
    }
};

TEST_F(SetupOverTheWire, QkChoicesGoOutWithSendSetupAndRunAndAClickDuringARunWaits) {
    MakeQk();
    settings.m_recordingMode = 1;
    ASSERT_TRUE(StartAndConnect());
    // The switches show the logger's channels: all but External 2, which has no sensor.
    for (int k = 0; k < CSetupView::kSensors; ++k)
        EXPECT_EQ(On(k), k != CSetupView::kExternal2) << k;

    ChooseQkSetup(41, 0x01, 10);  // Temperature alone
    MouseClick(CSetupView::kSound);
    Choose(setup.GetRateCombo(), 9);  // "5/s"
    Choose(setup.GetTimeCombo(), 1);  // "20 Seconds"
    ASSERT_TRUE(On(CSetupView::kSound));
    EXPECT_TRUE(Regimes().empty()) << "a QK choice sends nothing by itself";

    Command(ID_LOGGER_SEND_SETUP);
    ASSERT_TRUE(Wait([&] { return Regimes().size() == 1 && logger.IsCommandQueueEmpty(); }));
    clock.Advance(300);
    EXPECT_FALSE(Regimes()[0].startsRun);
    EXPECT_FALSE(Running());

    Command(ID_LOGGER_RUN);
    ASSERT_TRUE(Wait([&] {
        return doc.m_currentRunCount == 2 && doc.m_currentRun[1] &&
               doc.m_currentRun[1]->GetYCount() >= 2;
    }));
    auto regimes = Regimes();
    ASSERT_EQ(regimes.size(), 2u);
    for (const QkRegime& r : regimes) {
        EXPECT_TRUE(r.checksumOk);
        EXPECT_EQ(r.mask, 0x03);
        EXPECT_DOUBLE_EQ(QkModel::PeriodMs(r.timer), 200);
        EXPECT_EQ(r.runLength, 100);
    }
    EXPECT_TRUE(regimes[1].startsRun);
    EXPECT_EQ(doc.m_currentRun[0]->m_name, "Temperature");
    EXPECT_EQ(doc.m_currentRun[1]->m_name, "Sound");

    // Light during the run: the run keeps its two channels and its rate.
    MouseClick(CSetupView::kLight);
    EXPECT_TRUE(On(CSetupView::kLight));
    const int before = doc.m_currentRun[0]->GetYCount();
    ASSERT_TRUE(Wait([&] { return doc.m_currentRun[0]->GetYCount() >= before + 2; }));
    EXPECT_EQ(doc.m_currentRunCount, 2);
    EXPECT_EQ(doc.m_currentRun[1]->GetYCount(), doc.m_currentRun[0]->GetYCount());
    EXPECT_EQ(Regimes().size(), 2u);
    StopRun();
    if (HasFatalFailure()) return;

    // The next run carries the new choice.
    Command(ID_LOGGER_RUN);
    ASSERT_TRUE(Wait([&] { return doc.m_currentRunCount == 3 && Running(); }));
    regimes = Regimes();
    ASSERT_EQ(regimes.size(), 3u);
    EXPECT_EQ(regimes[2].mask, 0x07);
    EXPECT_DOUBLE_EQ(QkModel::PeriodMs(regimes[2].timer), 200);
    EXPECT_EQ(regimes[2].runLength, 100);
    StopRun();
}

TEST_F(SetupOverTheWire, BasicLightClickSendsTheSetupAndTheEchoShowsIt) {
    MakeBasic();
    WithModel<BasicModel>([](BasicModel& m) {
        m.mask = 0x10;  // Temperature alone
        m.rateCode = 64;
        m.runLength = 600;
    });
    ASSERT_TRUE(StartAndConnect());
    ASSERT_TRUE(On(CSetupView::kTemperature));
    ASSERT_FALSE(On(CSetupView::kLight));

    MouseClick(CSetupView::kLight);
    EXPECT_FALSE(On(CSetupView::kLight)) << "the switch waits for the logger's report";
    ASSERT_TRUE(Wait([&] {
        return WithModel<BasicModel>([](BasicModel& m) { return m.setups.size(); }) == 1 &&
               On(CSetupView::kLight);
    }));
    const auto setups = WithModel<BasicModel>([](BasicModel& m) { return m.setups; });
    EXPECT_EQ(setups[0][0], 0x14);
    EXPECT_EQ(setups[0][1], 64);
    EXPECT_TRUE(On(CSetupView::kTemperature));
}

TEST_F(SetupOverTheWire, ABasicRecordingTimeGoesOutWithTheRateAndSensorsTheLoggerReported) {
    MakeBasic();
    WithModel<BasicModel>([](BasicModel& m) {
        m.mask = 0x05;
        m.rateCode = 16;  // every 10 seconds
        m.runLength = 6;
    });
    ASSERT_TRUE(StartAndConnect());
    auto* box = qobject_cast<QComboBox*>(setup.GetTimeCombo().GetWidget());
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(box->itemText(1), "10 Minute");
    Choose(setup.GetTimeCombo(), 1);
    ASSERT_TRUE(Wait([&] {
        return WithModel<BasicModel>([](BasicModel& m) { return m.setups.size(); }) == 1 &&
               box->currentIndex() == 1;
    }));
    const auto sent = WithModel<BasicModel>([](BasicModel& m) { return m.setups[0]; });
    EXPECT_EQ(sent[0], 0x05);
    EXPECT_EQ(sent[1], 16);
    EXPECT_EQ(sent[2] << 8 | sent[3], 60) << "ten minutes at one sample every 10 seconds";
}

// The list's texts, and the one shown.
struct TimeList {
    std::vector<std::string> items;
    std::string shown;
};
TimeList Times(CComboBox& combo) {
    auto* box = qobject_cast<QComboBox*>(combo.GetWidget());
    TimeList list;
    for (int i = 0; box && i < box->count(); ++i)
        list.items.push_back(box->itemText(i).toStdString());
    if (box) list.shown = box->currentText().toStdString();
    return list;
}

TEST_F(SetupOverTheWire, ABasicLengthNoEntryHoldsShowsAsItsOwnAndRunRecordsIt) {
    MakeBasic();
    WithModel<BasicModel>([](BasicModel& m) {
        m.mask = 0x10;
        m.rateCode = 64;  // every second
        m.runLength = 10;
    });
    ASSERT_TRUE(StartAndConnect());
    TimeList times = Times(setup.GetTimeCombo());
    EXPECT_EQ(times.shown, "10 Seconds");
    EXPECT_EQ(times.items, (std::vector<std::string>{"10 Seconds", "1 Minute", "10 Minute",
                                                     "30 Minute", "1 Hour"}));

    // Run sends only the run: the logger records what the list shows.
    Command(ID_LOGGER_RUN);
    ASSERT_TRUE(Wait([&] { return Count(UM_RUN_ENDED) >= 1; }, std::chrono::seconds(60)));
    ASSERT_GT(doc.m_currentRunCount, 0);
    EXPECT_EQ(doc.m_currentRun[0]->GetYCount(), 10);
    EXPECT_EQ(WithModel<BasicModel>([](BasicModel& m) { return m.CountOf(0x0F); }), 0u);

    // A standard entry goes out as the set-up, and the logger's echo shows it alone.
    Choose(setup.GetTimeCombo(), 1);
    ASSERT_TRUE(Wait([&] {
        return WithModel<BasicModel>([](BasicModel& m) { return m.setups.size(); }) == 1 &&
               Times(setup.GetTimeCombo()).shown == "1 Minute";
    }));
    const auto sent = WithModel<BasicModel>([](BasicModel& m) { return m.setups[0]; });
    EXPECT_EQ(sent[2] << 8 | sent[3], 60);
    times = Times(setup.GetTimeCombo());
    EXPECT_EQ(std::count(times.items.begin(), times.items.end(), "10 Seconds"), 0);
}

TEST_F(SetupOverTheWire, AQkLengthNoEntryHoldsShowsAsItsOwnUntilAStandardOneIsChosen) {
    MakeQk();
    ASSERT_TRUE(StartAndConnect());
    // The logger object's length, as a launch file leaves it; its next answer shows it.
    ChooseQkSetup(41, 0x01, 90);
    setup.UpdateControls();
    TimeList times = Times(setup.GetTimeCombo());
    EXPECT_EQ(times.shown, "90 Seconds");
    EXPECT_EQ(times.items,
              (std::vector<std::string>{"10 Seconds", "20 Seconds", "50 Seconds", "90 Seconds",
                                        "100 Seconds", "3 Minutes", "10 Minutes", "15 Minutes"}));

    Command(ID_LOGGER_SEND_SETUP);
    ASSERT_TRUE(Wait([&] { return Regimes().size() == 1 && logger.IsCommandQueueEmpty(); }));
    EXPECT_EQ(Regimes()[0].runLength, 90) << "what the list shows goes out";

    Choose(setup.GetTimeCombo(), 4);  // "100 Seconds"
    times = Times(setup.GetTimeCombo());
    EXPECT_EQ(times.shown, "100 Seconds");
    EXPECT_EQ(std::count(times.items.begin(), times.items.end(), "90 Seconds"), 0);
    EXPECT_EQ(logger.GetRunLength(), 100u);
    clock.Advance(300);
    Command(ID_LOGGER_SEND_SETUP);
    ASSERT_TRUE(Wait([&] { return Regimes().size() == 2 && logger.IsCommandQueueEmpty(); }));
    EXPECT_EQ(Regimes()[1].runLength, 100);
}

TEST_F(SetupOverTheWire, QkViewForAPerson) {
    MakeQk();
    ASSERT_TRUE(StartAndConnect());
    setup.MoveWindow(0, 0, 240, 300);
    const QImage image = testing_support::RenderWidget(setup.GetWidget());
    EXPECT_FALSE(image.isNull());
    testing_support::SaveTestImage(image, "setup_view_qk");
}

}  // namespace
