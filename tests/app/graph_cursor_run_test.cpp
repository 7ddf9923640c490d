// A QK live run on the simulator, then a cursor on its data: the read-out shows the simulator's
// converted value.

#include "logger/helpers.h"
#include "tests/app/doc_fixture.h"

namespace {

using namespace doc_test;
using dorvik_sim::QkModel;
using dorvik_sim::QkSensor;

class CursorOnARun : public DocTest {
protected:
    void SetUp() override {
        auto model = std::make_unique<QkModel>();
        model->liveSensors[6] = QkSensor{"Voltage", "V", -2.5f, 2.5f, 0, 1023};
        MakeQk(std::move(model));
        settings.m_recordingMode = 1;
        ASSERT_TRUE(StartAndConnect());
        ChooseQkSetup(51, 0x7F, 25);  // 20 ms
    }
};

TEST_F(CursorOnARun, TheReadoutShowsTheConvertedSample) {
    Command(ID_LOGGER_RUN);
    ASSERT_TRUE(Wait([&] { return Count(UM_RUN_ENDED) >= 1; }));
    clock.Advance(300);
    ASSERT_EQ(graph.m_plotCount, 7);
    const WORD raw = WithModel<QkModel>([](QkModel& m) { return m.rawValue(6, 10); });
    const double volts = raw * 5.0 / 1023 - 2.5;
    ASSERT_NEAR((*graph.m_plots[6].dataSet->m_y)[10], volts, 1e-9);

    // As Display cursor does: the point stored, then the cursors shown.
    graph.m_cursorPlotNumber = 7;
    graph.m_cursorPointIndex = 10;
    graph.ShowCursors();
    ASSERT_EQ(graph.m_cursorCount, 1);
    const CString main = graphFrame.GetPositionText();
    EXPECT_EQ(main.Left(4), "X = ");
    EXPECT_NE(main.Find("  Y = " + FormatValue(volts, 3, false) + " (V)"), -1) << main.GetString();
}

}  // namespace
