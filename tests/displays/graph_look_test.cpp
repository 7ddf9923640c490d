// Axis captions and display units, the look of new plots and the clock time of a sample.

#include "tests/displays/graph_view_fixture.h"

namespace graph_test {
namespace {

using platform::graph::Axis;

const Axis& YAxis(const platform::graph::GraphState& s, int position) {
    return s.axes.at(position + 1);
}

TEST_F(GraphViewTest, DisplayUnitsGoIntoTheAxisFormatAndCaption) {
    CSettings& settings = *doc.GetSettings();
    CDataTreeBrench* temp = AddSet(TemperatureFields(), {100, 0});
    SetFields pressure{"Air", 41, 100, 4, 0, 1, "kPa"};
    CDataTreeBrench* air = AddSet(pressure, {101.325});
    CDataTreeBrench* light = AddSet({1, 2});
    ASSERT_EQ(Add(temp), 0);
    ASSERT_EQ(Add(air), 1);
    ASSERT_EQ(Add(light), 2);
    const CString lightFormat = YAxis(State(), 2).format.Text();
    const CString lightCaption = YAxis(State(), 2).caption;

    struct Case {
        int temperatureUnit, pressureUnit;
        int position;
        const char* format;
        double value;  // stored, in the base unit
        const char* label;
        const char* caption;
    };
    for (const Case& c : {
             Case{1, 0, 0, "*1.8+32.##", 100, "212.00",
                  "Temp(\xC2\xB0"
                  "F)"},
             Case{2, 0, 0, "+273.15.##", 0, "273.15",
                  "Temp(\xC2\xB0"
                  "K)"},
             Case{0, 1, 1, "*0.1450377.##", 100, "14.50", "Air(psi)"},
             Case{0, 5, 1, "*10.##", 101.325, "1013.25", "Air(mBar)"},
         }) {
        settings.m_temperatureUnit = static_cast<BYTE>(c.temperatureUnit);
        settings.m_pressureUnit = static_cast<BYTE>(c.pressureUnit);
        view.UpdateAxisCaptions(-1);
        const Axis& axis = YAxis(State(), c.position);
        EXPECT_EQ(axis.format.Text(), c.format) << c.format;
        EXPECT_EQ(axis.format.Label(c.value, 0), c.label) << c.format;
        EXPECT_EQ(axis.caption, c.caption);
        EXPECT_EQ(YAxis(State(), 2).format.Text(), lightFormat) << "light is no unit's business";
        EXPECT_EQ(YAxis(State(), 2).caption, lightCaption);
    }
    EXPECT_EQ((*temp->m_y)[0], 100) << "stored values stay in the base unit";
    EXPECT_EQ((*air->m_y)[0], 101.325);
}

TEST_F(GraphViewTest, ARenameReCaptionsEveryAxisOfTheSetUncut) {
    CDataTreeBrench* light = AddSet({1, 2, 3});
    ASSERT_EQ(Add(light), 0);
    ASSERT_EQ(Add(AddSet({4, 5})), 1);
    // A live plot and a shown plot can hold the same set; the view adds none twice itself.
    view.m_plots[1].dataSet = light;
    light->m_name = "A rather long name for a light sensor set";  // 41 characters
    view.UpdatePlotCaption(light->m_id);
    for (int p : {0, 1})
        EXPECT_EQ(YAxis(State(), p).caption, "A rather long name for a light sensor set(lux)") << p;
}

// A renamed temperature keeps the unit its labels are in.
TEST_F(GraphViewTest, ARenamedTemperatureKeepsItsShownUnit) {
    CDataTreeBrench* temp = AddSet(TemperatureFields(), {20, 21});
    ASSERT_EQ(Add(temp), 0);
    doc.GetSettings()->m_temperatureUnit = 1;
    view.UpdateAxisCaptions(-1);
    temp->m_name = "Water temp";
    view.UpdatePlotCaption(temp->m_id);
    EXPECT_EQ(YAxis(State(), 0).caption,
              "Water temp(\xC2\xB0"
              "F)");
    EXPECT_EQ(YAxis(State(), 0).format.Text(), "*1.8+32.##");
    doc.GetSettings()->m_temperatureUnit = 0;
}

TEST_F(GraphViewTest, RecordedPlotsOfOneInputTakeMarkerStylesInTurn) {
    std::vector<CDataTreeBrench*> sets;
    for (const char* name : {"T1", "Imported", "T2", "T3", "T4"})
        sets.push_back(AddSet(TemperatureFields(name), {20, 21, 22}));
    sets[1]->m_originCode = 0;
    for (CDataTreeBrench* s : sets)
        view.PlotAllData(Add(s, nullptr, TRUE));
    ASSERT_EQ(view.m_plotCount, 5);
    // The imported set takes a style of its own but keeps none from the recorded plots.
    const LONG expected[] = {0, 10, 10, 2, 6};
    for (int p = 0; p < 5; ++p) {
        EXPECT_EQ(view.m_plots[p].pointStyle, expected[p]) << p;
        EXPECT_EQ(view.m_plots[p].fillSwitch, 0) << p;
        if (expected[p]) {
            EXPECT_EQ(view.m_plots[p].pointsSwitch, 1) << p;
            EXPECT_EQ(view.m_plots[p].markerColour, 0u) << p;
            EXPECT_EQ(State().plots.at(p).marker, expected[p]) << p;
        }
    }
    EXPECT_EQ(view.ChooseMarkerStyle(0), 0);
}

TEST_F(GraphViewTest, SensorColourOfEveryInputKindOfBothModels) {
    CSettings& s = *doc.GetSettings();
    // Each colour index its own colour, so that a wrong index shows.
    for (int i = 0; i < 8; ++i)
        s.m_plotColors[i] = RGB(10 + i, 20 + i, 30 + i);
    // Colour index: 0 temperature, 1 light, 2 humidity, 3 pressure, 4 sound, 5 and 6 the
    // external inputs, 7 derived data; -1 none (black).
    struct Case {
        BYTE model, kind;
        int index;
    };
    const BYTE qk = 100;  // "d"
    for (const Case& c : {
             Case{qk, 0, 0}, Case{qk, 1, 4}, Case{qk, 2, 1}, Case{qk, 3, 2}, Case{qk, 4, 3},
             Case{qk, 5, 5}, Case{qk, 6, 6}, Case{qk, 7, -1},  // QK
             Case{0, 0, 5}, Case{0, 1, 6}, Case{0, 2, 1}, Case{0, 3, -1}, Case{0, 4, 0},
             Case{0, 5, 2}, Case{0, 6, 3}, Case{0, 7, 4}, Case{0, 8, -1},  // basic
         }) {
        const COLORREF want = c.index < 0 ? 0u : s.m_plotColors[c.index];
        EXPECT_EQ(view.GetSensorColor(c.model, c.kind, 0), want)
            << "model " << int(c.model) << " kind " << int(c.kind);
        EXPECT_EQ(view.GetSensorColor(c.model, c.kind, 1), s.m_plotColors[7])
            << "derived, model " << int(c.model) << " kind " << int(c.kind);
    }
}

TEST_F(GraphViewTest, SensorColourByMaskBit) {
    const CSettings& s = *doc.GetSettings();
    struct Case {
        BYTE bit;
        int index;  // -1: no colour
    };
    for (const Case& c : {Case{16, 0}, Case{4, 1}, Case{32, 2}, Case{64, 3}, Case{128, 4},
                          Case{1, 5}, Case{2, 6}, Case{0, -1}, Case{8, -1}, Case{3, -1}})
        EXPECT_EQ(view.GetSensorColorByBit(c.bit), c.index < 0 ? 0u : s.m_plotColors[c.index])
            << int(c.bit);
}

TEST(SampleToDateTime, ClockTimesWrapAtMidnightAndCarryIntoTheDate) {
    const CPreciseDateTime start(2026, 3, 31, 23, 59, 30, 500);
    struct Case {
        LONG sample;
        double interval;
        WORD mode;
        int day, hour, minute, second;
    };
    for (const Case& c : {Case{45, 1, 5, 0, 0, 0, 15}, Case{45, 1, 4, 0, 0, 0, 15},
                          Case{45, 1, 6, 1, 0, 0, 15}, Case{3, 0.5, 5, 0, 23, 59, 31},
                          Case{-40, 1, 6, 31, 23, 58, 50}, Case{86400 + 45, 1, 6, 2, 0, 0, 15}}) {
        const CPreciseDateTime t =
            CGraphView::SampleToDateTime(c.sample, start, c.interval, c.mode);
        EXPECT_EQ(t.GetHour(), c.hour) << c.sample << "/" << c.mode;
        EXPECT_EQ(t.GetMinute(), c.minute) << c.sample << "/" << c.mode;
        EXPECT_EQ(t.GetSecond(), c.second) << c.sample << "/" << c.mode;
        EXPECT_EQ(t.GetMillisecond(), 0);
        if (c.mode == 6) {
            EXPECT_EQ(t.GetDay(), c.day) << c.sample;
            EXPECT_EQ(t.GetMonth(), c.day == 31 ? 3 : 4) << c.sample;
        }
    }
}

}  // namespace
}  // namespace graph_test

namespace graph_test {
namespace {

TEST_F(GraphViewTest, AgainstAnotherSetPointsPairBySampleNumberAndGapsStay) {
    CDataTreeBrench* xSet = AddSet({10, 20, 30, 40, 50});
    CDataTreeBrench* ySet = AddSet({1, 2, 3, 4, 5, 6});
    // Cropped, imported and gapped sample numbers.
    *ySet->m_x = {1, 2.7, -1, 4, 99, std::nan("")};
    const SHORT p = Add(ySet);
    view.m_yVsX = 1;
    view.m_xAxis.dataSet = xSet;
    view.PlotAllData(p);
    const std::vector<double> x = ControlX(p);
    ASSERT_EQ(x.size(), 6u) << "every point of the set, the X set being shorter or not";
    EXPECT_EQ(x[0], 20);
    EXPECT_EQ(x[1], 30) << "truncated toward zero";
    EXPECT_TRUE(std::isnan(x[2]));
    EXPECT_EQ(x[3], 50);
    EXPECT_TRUE(std::isnan(x[4]));
    EXPECT_TRUE(std::isnan(x[5]));
    EXPECT_EQ(ControlY(p), (std::vector<double>{1, 2, 3, 4, 5, 6}));

    const std::vector<double> tail = graph_axis::XValuesBySample(
        xSet->m_x->data(), xSet->m_y->data(), 5, ySet->m_x->data(), 3, 6);
    ASSERT_EQ(tail.size(), 3u);
    EXPECT_EQ(tail[0], 50);
    EXPECT_TRUE(std::isnan(tail[1]) && std::isnan(tail[2]));
}

}  // namespace
}  // namespace graph_test
