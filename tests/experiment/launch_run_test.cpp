// A worksheet's launch file, then Run, over pseudo-terminals with the simulated loggers: what the
// launch set reaches the wire, and the run's plots take the file's look.

#include <QFile>

#include "RES/commands.h"
#include "experiment/html_doc_view.h"
#include "logger/launch_header.h"
#include "tests/app/doc_fixture.h"

namespace {

using namespace doc_test;
using dorvik_sim::BasicModel;
using dorvik_sim::QkModel;
using dorvik_sim::QkSensor;

// Temperature, Sound and External 1 at `rate` for `length` samples, with their own colours and
// ranges (record r: colour 0x100000 + r, range -r .. 10 + r).
CLaunchHeader LessonFile(bool qk, WORD rate, LONG length) {
    LaunchChannelStruct ch[CLaunchHeader::kChannels] = {};
    for (int r = 0; r < CLaunchHeader::kMaxSensors; ++r) {
        ch[r].color = 0x100000 + r;
        ch[r].lineStyle = 1;
        ch[r].lineWidth = 3;
        ch[r].autoScale = 0;
        ch[r].minimum = -r;
        ch[r].maximum = 10 + r;
    }
    for (int r : {0, 4, 5})
        ch[r].selected = 1;
    ch[CLaunchHeader::kXAxisRecord].index = -1;
    ch[CLaunchHeader::kXAxisRecord].autoScale = 1;
    const BYTE bits[CLaunchHeader::kMaxSensors] = {16, 128, 1};
    return CLaunchHeader(ch, rate, length, 3, bits, 0, 0, 0, 0, 1, qk ? 1 : 0, 0, -1, 1);
}

class LaunchRun : public DocTest {
protected:
    CHtmlDocFrame workbookFrame;
    CHtmlDocView workbook;

    void OpenLesson(bool qk, WORD rate, LONG length) {
        // The workbook window, whose toolbar has Launch.
        ASSERT_TRUE(
            workbookFrame.Create(nullptr, "Varnel", 0x00CF4000, CRect(0, 0, 600, 400), &mainFrame));
        ASSERT_TRUE(workbook.Create(&workbookFrame, &doc));
        workbookFrame.SetActiveView(&workbook, FALSE);
        workbookFrame.ShowWindow(SW_SHOW);
        const CString page = env.File("Lesson.htm");
        QFile f(page.ToQString());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("<html><body>Lesson</body></html>");
        f.close();
        ASSERT_TRUE(
            LessonFile(qk, rate, length)
                .SaveToFile(env.File(qk ? "Lesson.qdr" : "Lesson.hdr"), CLaunchHeader::kGraph));
        // As the browser pane reports a page it shows: its launch file is looked for.
        workbook.OnWorksheetNavigated(page);
    }
    ~LaunchRun() override { workbook.DestroyWindow(); }
};

TEST_F(LaunchRun, AQkLessonLaunchesAndTheRunFollowsIt) {
    auto model = std::make_unique<QkModel>();
    model->liveSensors[5] = QkSensor{"Voltage", "V", -2.5f, 2.5f, 0, 1023};
    MakeQk(std::move(model));
    settings.m_recordingMode = 1;
    ASSERT_TRUE(StartAndConnect());
    OpenLesson(true, 51, 25);  // 20 ms, 25 samples
    Command(ID_WORKBOOK_LAUNCH);
    EXPECT_EQ(doc.m_launchPlots, 1);
    Command(ID_LOGGER_RUN);
    ASSERT_TRUE(Wait([&] { return Count(UM_RUN_ENDED) >= 1; }));
    clock.Advance(300);

    const auto regimes = WithModel<QkModel>([](QkModel& m) { return m.regimes; });
    ASSERT_EQ(regimes.size(), 1u);
    EXPECT_TRUE(regimes[0].startsRun);
    EXPECT_EQ(regimes[0].mask, 35);
    EXPECT_EQ(regimes[0].runLength, 25);
    EXPECT_DOUBLE_EQ(QkModel::PeriodMs(regimes[0].timer), 20);

    // Temperature, Sound, External 1: the file's colours and ranges.
    ASSERT_EQ(graph.m_plotCount, 3);
    const struct {
        int record;
        WORD channel;
    } plots[] = {{0, 0}, {4, 1}, {5, 5}};
    for (int p = 0; p < 3; ++p) {
        SCOPED_TRACE(p);
        const PlotRecordStruct& r = graph.m_plots[p];
        ASSERT_NE(r.dataSet, nullptr);
        EXPECT_EQ(r.dataSet->m_inputKind, plots[p].channel);
        EXPECT_EQ(r.colour, COLORREF(0x100000 + plots[p].record));
        EXPECT_EQ(r.lineWidth, 3);
        EXPECT_EQ(r.yAutoscale, 0);
        EXPECT_EQ(r.yMin, -plots[p].record);
        EXPECT_EQ(r.yMax, 10 + plots[p].record);
        EXPECT_EQ(r.pointsShown, 25);
    }
    EXPECT_TRUE(PlotsShowTheirSamples());
    testing_support::SaveTestImage(testing_support::RenderWidget(graph.GetWidget()),
                                   "launch_run_graph");
}

TEST_F(LaunchRun, ABasicLessonSendsItsMaskToTheLogger) {
    MakeBasic();
    ASSERT_TRUE(StartAndConnect());
    OpenLesson(false, 128, 10);
    ASSERT_TRUE(testing_support::PressToolbarButton(workbookFrame, ID_WORKBOOK_LAUNCH_TB));
    ASSERT_TRUE(Wait([&] {
        return !WithModel<BasicModel>([](BasicModel& m) { return m.setups.empty(); }) &&
               !doc.m_commandTimerOn;
    }));
    const auto setups = WithModel<BasicModel>([](BasicModel& m) { return m.setups; });
    ASSERT_EQ(setups.size(), 1u);
    EXPECT_EQ(setups[0][0], 145);
    EXPECT_EQ(setups[0][1], 128);
    EXPECT_EQ(setups[0][2] * 256 + setups[0][3], 10);
    EXPECT_EQ(doc.m_launchPlots, 1);
}

}  // namespace
