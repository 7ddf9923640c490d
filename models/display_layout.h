#pragma once
// The tiling of the standard windows and the rules of the display commands, as pure functions of
// the display modes. Nothing here touches a window: the document applies the results.
//
// Display modes: 0 hidden, 1 right top, 2 right full height, 3 main area, 4 right bottom.

#include <optional>
#include <vector>

#include "platform/base/types.h"

namespace display_layout {

enum Window { kGraph, kTable, kVideo, kDataMap, kMeters, kWorkbook, kClock, kSetup, kWindowCount };

struct Rect {
    int x = 0, y = 0, cx = 0, cy = 0;
    bool operator==(const Rect&) const = default;
};

struct Modes {
    LONG graph = 0, table = 0, video = 0, dataMap = 0, meters = 0, workbook = 0, clock = 0;
    bool operator==(const Modes&) const = default;
};

struct Placement {
    Rect rect;
    bool shown = false;
};

struct Layout {
    // Per window, where the layout puts it; none when it leaves the window where it is.
    std::optional<Placement> windows[kWindowCount];
    // View > Display Data map's check at the advanced level; none at the others.
    std::optional<bool> dataMapMenuCheck;
    // The video picture's rectangle, when the video is placed.
    std::optional<Rect> videoRect;
};

// `cx` and `cy` are the width and height + 53 of the area the windows tile; sizes that would be
// negative (a tiny area) are 0.
Layout ComputeLayout(const Modes& modes, int cx, int cy, int level, bool timing);

// The main frame's check fields that the display commands write.
struct Fields {
    bool graphInMain = false, tableInMain = false, videoInMain = false, metersShown = false,
         dataMapShown = false, workbookInMain = false, timing = false, videoWindowAvailable = false,
         videoWindowShown = false, metersActive = false;
    bool operator==(const Fields&) const = default;
};

struct State {
    Modes modes;
    Fields fields;
    bool videoHidden = false;  // the right top goes to the graph, table or clock, not the video
    bool timing = false;
    bool setupMeterMode = false;
};

// What a command asks of the windows, in order.
struct Effect {
    enum Kind { kShow, kHide, kMeterModeOn, kMeterModeOff, kMenuCheck, kMenuUncheck } kind;
    Window window = kGraph;
    bool operator==(const Effect&) const = default;
};

enum class Command { kGraph, kTable, kMeters, kWorkbook, kVideoMain, kDataMap, kVideoWindow };

struct Transition {
    enum Outcome { kNothing, kLayoutOnly, kRunning, kChanged } outcome = kChanged;
    // The timing command must switch timing off before the effects apply.
    bool timingOff = false;
    // The command ends by applying every display mode (instead of a layout only).
    bool applyModes = false;
    std::vector<Effect> effects;
};

// Runs a display command on `state`. `level` decides the data map's menu check (advanced only).
Transition RunCommand(State& state, Command command, bool running, bool timerVariant, int level);

// `ShowMeterWindow`: the meters in `mode`, or hidden.
void ShowMeterWindow(State& state, std::vector<Effect>& effects, bool show, LONG mode);

// The check fields as the modes give them (and the clock beside shown meters).
void UpdateDisplayFlags(State& state);

}  // namespace display_layout
