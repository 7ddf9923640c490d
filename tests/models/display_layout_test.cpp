#include "models/display_layout.h"

#include <gtest/gtest.h>

#include <string>

namespace {

namespace dl = display_layout;

dl::Modes M(LONG graph, LONG table, LONG video, LONG dataMap, LONG meters, LONG workbook,
            LONG clock) {
    return {graph, table, video, dataMap, meters, workbook, clock};
}

const dl::Modes kDefault = M(3, 0, 1, 2, 0, 0, 0);

dl::Placement P(int x, int y, int cx, int cy, bool shown = true) {
    return {{x, y, cx, cy}, shown};
}

::testing::AssertionResult Placed(const dl::Layout& l, dl::Window w, const dl::Placement& want) {
    const auto& got = l.windows[w];
    if (!got) return ::testing::AssertionFailure() << "window " << w << " not placed";
    const dl::Rect& r = got->rect;
    if (r == want.rect && got->shown == want.shown) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "window " << w << ": (" << r.x << ", " << r.y << ", "
                                         << r.cx << ", " << r.cy << ") shown " << got->shown;
}

TEST(DisplayLayout, SeventhsOfTheAreaByMode) {
    // 700 x 353: h 300, the right column at 501, 199 wide, its top half 150 high.
    dl::Layout l = dl::ComputeLayout(kDefault, 700, 353, 2, false);
    EXPECT_TRUE(Placed(l, dl::kDataMap, P(0, 0, 100, 300)));
    EXPECT_TRUE(Placed(l, dl::kGraph, P(101, 0, 399, 300)));
    EXPECT_TRUE(Placed(l, dl::kVideo, P(501, 0, 199, 150)));
    EXPECT_TRUE(Placed(l, dl::kSetup, P(501, 150, 199, 150)));
    EXPECT_TRUE(Placed(l, dl::kTable, P(0, 0, 0, 0, false)));
    EXPECT_TRUE(Placed(l, dl::kMeters, P(0, 0, 0, 0, false)));
    EXPECT_EQ(l.videoRect, (dl::Rect{501, 0, 199, 150}));
    EXPECT_EQ(l.dataMapMenuCheck, true);

    // The data map hidden: the main area is 5/7 wide; the menu check follows at level 2 only.
    l = dl::ComputeLayout(M(3, 2, 3, 0, 0, 0, 1), 700, 353, 2, false);
    EXPECT_TRUE(Placed(l, dl::kGraph, P(0, 0, 500, 300)));
    EXPECT_TRUE(Placed(l, dl::kVideo, P(0, 0, 500, 300)));
    EXPECT_EQ(l.videoRect, (dl::Rect{0, 0, 500, 300}));
    EXPECT_TRUE(Placed(l, dl::kTable, P(501, 0, 199, 300)));
    EXPECT_TRUE(Placed(l, dl::kClock, P(501, 0, 199, 150)));
    EXPECT_TRUE(Placed(l, dl::kDataMap, P(0, 0, 0, 0, false)));
    EXPECT_EQ(l.dataMapMenuCheck, false);
    EXPECT_FALSE(dl::ComputeLayout(kDefault, 700, 353, 0, false).dataMapMenuCheck);

    // Modes the window does not use leave it where it is; the right bottom and meters in main.
    l = dl::ComputeLayout(M(2, 4, 2, 1, 3, 0, 0), 700, 353, 1, false);
    EXPECT_FALSE(l.windows[dl::kGraph]);
    EXPECT_FALSE(l.windows[dl::kVideo]);
    EXPECT_FALSE(l.videoRect);
    EXPECT_TRUE(Placed(l, dl::kTable, P(501, 150, 199, 150)));
    EXPECT_TRUE(Placed(l, dl::kMeters, P(101, 0, 399, 300)));
}

TEST(DisplayLayout, ModeZeroTimingAndATinyArea) {
    const dl::Layout l = dl::ComputeLayout(M(0, 0, 0, 0, 0, 0, 0), 700, 353, 2, true);
    for (int w = 0; w < dl::kWindowCount; ++w)
        EXPECT_TRUE(Placed(l, static_cast<dl::Window>(w), P(0, 0, 0, 0, false))) << w;

    // Below 53 px of height or 7 px of width nothing is negative.
    const dl::Layout tiny = dl::ComputeLayout(kDefault, 0, 10, 2, false);
    for (const auto& p : tiny.windows)
        if (p) {
            EXPECT_TRUE(p->rect.cx >= 0 && p->rect.cy >= 0);
        }
    EXPECT_TRUE(Placed(tiny, dl::kGraph, P(1, 0, 0, 0)));
}

// graphInMain, tableInMain, videoInMain, metersShown, dataMapShown, workbookInMain, timing,
// video window available, video window shown, meters active.
std::string Bits(const dl::Fields& f) {
    std::string s;
    for (bool b :
         {f.graphInMain, f.tableInMain, f.videoInMain, f.metersShown, f.dataMapShown,
          f.workbookInMain, f.timing, f.videoWindowAvailable, f.videoWindowShown, f.metersActive})
        s += b ? '1' : '0';
    return s;
}

TEST(DisplayCommands, TransitionTable) {
    using C = dl::Command;
    using T = dl::Transition;
    struct Row {
        const char* name;
        dl::Modes modes;
        bool option, timing, running, timerVariant;
        C command;
        T::Outcome outcome;
        dl::Modes after;
        const char* fields;
    };
    const Row rows[] = {
        {"graph already in the main area", kDefault, false, false, false, false, C::kGraph,
         T::kLayoutOnly, kDefault, "1000100110"},
        {"workbook in", kDefault, false, false, false, false, C::kWorkbook, T::kChanged,
         M(0, 0, 1, 2, 0, 3, 0), "0000110110"},
        {"workbook out", M(0, 0, 1, 2, 0, 3, 0), false, false, false, false, C::kWorkbook,
         T::kChanged, kDefault, "1000100110"},
        {"workbook out to the table, video hidden", M(0, 1, 0, 2, 0, 3, 0), true, false, false,
         false, C::kWorkbook, T::kChanged, M(1, 3, 0, 2, 0, 0, 0), "0100100000"},
        {"video into the main area", kDefault, false, false, false, false, C::kVideoMain,
         T::kChanged, M(1, 0, 3, 2, 0, 0, 0), "0010100110"},
        {"video out of the main area", M(1, 0, 3, 2, 0, 0, 0), false, false, false, false,
         C::kVideoMain, T::kChanged, kDefault, "1000100110"},
        {"display video off", kDefault, false, false, false, false, C::kVideoWindow, T::kChanged,
         M(3, 1, 0, 2, 0, 0, 0), "1000100000"},
        {"display video on", M(3, 1, 0, 2, 0, 0, 0), true, false, false, false, C::kVideoWindow,
         T::kChanged, kDefault, "1000100110"},
        {"meters during a run", kDefault, false, false, true, false, C::kMeters, T::kRunning,
         kDefault, "1000100110"},
        {"meters on a timer variant", kDefault, false, false, false, true, C::kMeters, T::kNothing,
         kDefault, "1000100110"},
        {"meters", kDefault, false, false, false, false, C::kMeters, T::kChanged,
         M(0, 0, 1, 2, 3, 0, 0), "0001100111"},
        {"meters end timing", kDefault, false, true, false, false, C::kMeters, T::kChanged,
         M(0, 0, 1, 2, 3, 0, 0), "0001100111"},
        {"graph pushes the table to the right bottom in timing", M(0, 3, 1, 2, 0, 0, 0), false,
         true, false, false, C::kGraph, T::kChanged, M(3, 4, 1, 2, 0, 0, 0), "1000101110"},
        {"table with the video hidden in timing", M(3, 2, 0, 2, 0, 0, 0), true, true, false, false,
         C::kTable, T::kChanged, M(4, 3, 0, 2, 0, 0, 1), "0100101000"},
        {"data map shown", M(3, 0, 1, 0, 0, 0, 0), false, false, false, false, C::kDataMap,
         T::kChanged, kDefault, "1000100110"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        dl::State s;
        s.modes = r.modes;
        s.videoHidden = r.option;
        s.timing = r.timing;
        dl::UpdateDisplayFlags(s);
        ASSERT_EQ(s.modes, r.modes);
        const dl::Transition t = dl::RunCommand(s, r.command, r.running, r.timerVariant, 2);
        EXPECT_EQ(t.outcome, r.outcome);
        EXPECT_EQ(s.modes, r.after);
        EXPECT_EQ(Bits(s.fields), r.fields);
        EXPECT_EQ(t.timingOff, r.command == C::kMeters && r.timing);
        if (r.command == C::kVideoWindow) {
            EXPECT_EQ(s.videoHidden, !r.option);
        }
    }
}

TEST(DisplayCommands, MeterWindowAndSetupMeterMode) {
    dl::State s;
    s.modes = kDefault;
    std::vector<dl::Effect> e;
    dl::ShowMeterWindow(s, e, true, 3);
    dl::ShowMeterWindow(s, e, true, 1);  // already in meter mode: the set-up view is left alone
    EXPECT_EQ(s.modes.meters, 1);
    EXPECT_TRUE(s.fields.metersShown);
    dl::ShowMeterWindow(s, e, false, 3);
    EXPECT_EQ(s.modes.meters, 0);
    EXPECT_FALSE(s.fields.metersShown);
    using E = dl::Effect;
    EXPECT_EQ(e, (std::vector<E>{{E::kShow, dl::kMeters},
                                 {E::kMeterModeOn, dl::kSetup},
                                 {E::kShow, dl::kMeters},
                                 {E::kMeterModeOff, dl::kSetup},
                                 {E::kHide, dl::kMeters}}));

    // Shown meters put the clock beside them when the video is hidden.
    s.modes = M(0, 0, 0, 0, 3, 0, 0);
    s.videoHidden = true;
    dl::UpdateDisplayFlags(s);
    EXPECT_EQ(s.modes.clock, 1);
    EXPECT_TRUE(s.fields.metersActive);
}

}  // namespace
