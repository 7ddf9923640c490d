#include "models/display_layout.h"

#include <algorithm>

namespace display_layout {

namespace {

Rect Sized(int x, int y, int cx, int cy) {
    return {x, y, std::max(cx, 0), std::max(cy, 0)};
}

}  // namespace

Layout ComputeLayout(const Modes& m, int cx, int cy, int level, bool timing) {
    Layout out;
    cx = std::max(cx, 0);
    const int h = std::max(cy - 53, 0);
    const Rect zero;
    auto put = [&](Window w, Rect r, bool shown) { out.windows[w] = Placement{r, shown}; };

    int left = 0, mainWidth = 5 * cx / 7;
    if (m.dataMap >= 1) {
        put(kDataMap, Sized(0, 0, cx / 7, h), true);
        left = cx / 7 + 1;
        mainWidth = 4 * cx / 7 - 1;
        if (level == 2) out.dataMapMenuCheck = true;
    } else if (level == 2) {
        out.dataMapMenuCheck = false;
    }
    const int x = 5 * cx / 7 + 1, width = 2 * cx / 7 - 1;
    const Rect main = Sized(left, 0, mainWidth, h), rightTop = Sized(x, 0, width, h / 2),
               rightBottom = Sized(x, h / 2, width, h / 2), rightFull = Sized(x, 0, width, h);
    auto byMode = [&](LONG mode) -> std::optional<Rect> {
        switch (mode) {
            case 1:
                return rightTop;
            case 2:
                return rightFull;
            case 3:
                return main;
            case 4:
                return rightBottom;
            default:
                return std::nullopt;
        }
    };
    auto place = [&](Window w, LONG mode, std::initializer_list<LONG> used) {
        if (mode == 0) {
            put(w, zero, false);
        } else if (std::find(used.begin(), used.end(), mode) != used.end()) {
            put(w, *byMode(mode), true);
        }
    };

    put(kSetup, timing ? zero : rightBottom, !timing);
    place(kGraph, m.graph, {1, 3, 4});
    place(kClock, m.clock, {1});
    place(kMeters, m.meters, {1, 3});
    place(kWorkbook, m.workbook, {3});
    place(kTable, m.table, {1, 2, 3, 4});
    if (m.video == 1 || m.video == 3) {
        put(kVideo, *byMode(m.video), true);
        out.videoRect = *byMode(m.video);
    }
    // A window of mode 0 takes no room, the data map and the video too.
    if (m.video == 0) put(kVideo, zero, false);
    if (m.dataMap == 0) put(kDataMap, zero, false);
    return out;
}

namespace {

class Runner {
public:
    Runner(State& s, std::vector<Effect>& e) : s(s), m(s.modes), f(s.fields), e(e) {}

    void Show(Window w) { e.push_back({Effect::kShow, w}); }
    void Hide(Window w) { e.push_back({Effect::kHide, w}); }
    void HideMetersIfShown() {
        if (m.meters != 0) ShowMeterWindow(s, e, false, 0);
    }
    LONG TimingOr(LONG withTiming, LONG without) const { return s.timing ? withTiming : without; }

    void Graph() {
        f.metersActive = false;
        m.table = TimingOr(4, 0);
        HideMetersIfShown();
        if (m.workbook == 3) {
            m.graph = 1;
            m.video = 0;
            f.videoInMain = false;
            Hide(kVideo);
        } else {
            f.tableInMain = f.workbookInMain = false;
            m.workbook = 0;
            Hide(kWorkbook);
            HideMetersIfShown();
            m.clock = 0;
            if (s.videoHidden) {
                Show(kTable);
                m.table = TimingOr(2, 1);
            } else if (m.video == 3) {
                m.video = 1;
                f.videoInMain = false;
            }
            m.graph = 3;
            f.graphInMain = true;
        }
        Show(kGraph);
    }

    void Table() {
        f.metersActive = false;
        m.graph = TimingOr(4, 0);
        if (m.workbook == 3) {
            m.table = TimingOr(2, 1);
            m.graph = 0;
            f.graphInMain = false;
            Hide(kGraph);
            HideMetersIfShown();
            f.videoInMain = false;
            m.video = 0;
            Hide(kVideo);
            return;
        }
        f.graphInMain = f.workbookInMain = false;
        m.workbook = 0;
        Hide(kWorkbook);
        HideMetersIfShown();
        m.clock = 0;
        if (s.videoHidden) {
            Show(kGraph);
            if (s.timing) {
                m.clock = 1;
                m.graph = 4;
            } else {
                m.graph = 1;
            }
        } else if (m.video == 3) {
            m.video = 1;
            f.videoInMain = false;
        }
        Show(kTable);
        m.table = 3;
        f.tableInMain = true;
    }

    void Meters(Transition& t) {
        if (s.timing) {
            t.timingOff = true;
            s.timing = false;
            f.timing = false;
        }
        m.table = 0;
        Hide(kTable);
        f.tableInMain = false;
        m.graph = 0;
        f.graphInMain = false;
        Hide(kGraph);
        if (m.workbook == 3) {
            f.videoInMain = false;
            m.video = 0;
            Hide(kVideo);
            if (m.meters != 1) ShowMeterWindow(s, e, true, 1);
            return;
        }
        f.metersActive = true;
        f.workbookInMain = false;
        m.workbook = 0;
        Hide(kWorkbook);
        if (s.videoHidden) {
            m.clock = 1;
            m.video = 0;
        } else if (m.video == 3) {
            m.video = 1;
            f.videoInMain = false;
        }
        ShowMeterWindow(s, e, true, 3);
    }

    void Workbook() {
        if (m.workbook != 3) {
            f.metersActive = false;
            f.workbookInMain = true;
            m.workbook = 3;
            Show(kWorkbook);
            if (m.meters == 3 && !s.videoHidden) ShowMeterWindow(s, e, false, 0);
            if (m.graph == 3 && !s.videoHidden) {
                m.graph = 0;
                Hide(kGraph);
            }
            if (m.table == 3) {
                if (s.timing) {
                    m.table = 4;
                } else if (!s.videoHidden) {
                    m.table = 0;
                    Hide(kTable);
                }
            }
            if (s.videoHidden) {
                if (s.timing) {
                    m.table = 2;
                } else if (m.table == 3) {
                    m.table = 1;
                    m.graph = 0;
                    Show(kTable);
                } else if (m.meters == 3) {
                    m.meters = 1;
                    m.graph = 0;
                    m.table = 0;
                    Show(kMeters);
                } else {
                    m.graph = 1;
                    m.table = 0;
                    Show(kGraph);
                }
            } else if (m.video == 3) {
                m.video = 1;
                f.videoInMain = false;
            } else {
                m.graph = 0;
            }
            f.graphInMain = f.tableInMain = f.metersShown = false;
            m.clock = 0;
            return;
        }
        f.workbookInMain = false;
        m.workbook = 0;
        Hide(kWorkbook);
        if (m.table == 1) {
            m.table = 3;
            f.tableInMain = true;
            (s.videoHidden ? m.graph : m.video) = 1;
        } else if (m.meters == 1) {
            m.meters = 3;
            f.metersShown = true;
            (s.videoHidden ? m.clock : m.video) = 1;
        } else {
            m.graph = 3;
            f.graphInMain = true;
            (s.videoHidden ? m.table : m.video) = 1;
        }
    }

    void VideoMain() {
        if (m.video != 3) {
            f.tableInMain = false;
            m.table = TimingOr(4, 0);
            if (m.workbook == 3) {
                m.video = 1;
                m.table = TimingOr(4, 0);
                Hide(kTable);
                m.graph = 0;
                f.graphInMain = false;
                Hide(kGraph);
                m.meters = 0;
                f.metersShown = false;
                Hide(kMeters);
            } else {
                HideMetersIfShown();
                m.clock = 0;
                f.workbookInMain = false;
                m.workbook = 0;
                Hide(kWorkbook);
                m.graph = 1;
                Show(kGraph);
                f.graphInMain = false;
                f.videoInMain = true;
                Show(kVideo);
                m.video = 3;
            }
            return;
        }
        f.metersActive = false;
        m.graph = 3;
        Show(kGraph);
        f.graphInMain = true;
        HideMetersIfShown();
        f.workbookInMain = false;
        m.workbook = 0;
        Hide(kWorkbook);
        f.tableInMain = false;
        m.table = TimingOr(4, 0);
        Hide(kTable);
        m.video = 1;
        f.videoInMain = false;
        Show(kVideo);
    }

    void DataMap(int level) {
        const bool show = m.dataMap == 0;
        m.dataMap = show ? 2 : 0;
        if (level == 2) e.push_back({show ? Effect::kMenuCheck : Effect::kMenuUncheck, kDataMap});
        f.dataMapShown = show;
    }

    void VideoWindow() {
        if (m.video > 0) {
            if (m.graph > 0) {
                if (m.graph == 3) {
                    m.table = TimingOr(2, 1);
                } else if (s.timing) {
                    m.graph = 4;
                    m.clock = 1;
                } else {
                    m.graph = 1;
                }
            } else if (m.table > 0) {
                if (m.table == 3) {
                    m.clock = 1;
                    m.graph = TimingOr(4, 0);
                } else {
                    m.graph = 1;
                    m.table = 3;
                }
            } else if (m.meters > 0) {
                m.clock = 1;
            } else {
                m.graph = 1;
            }
            s.videoHidden = true;
            m.video = 0;
            f.videoWindowAvailable = f.videoWindowShown = false;
        } else {
            if (m.graph == 1) m.graph = 0;
            if (m.table == 1)
                m.table = 0;
            else if (m.table == 2)
                m.table = 4;
            s.videoHidden = false;
            m.video = 1;
            f.videoWindowAvailable = f.videoWindowShown = true;
            m.clock = 0;
        }
    }

private:
    State& s;
    Modes& m;
    Fields& f;
    std::vector<Effect>& e;
};

}  // namespace

void ShowMeterWindow(State& s, std::vector<Effect>& effects, bool show, LONG mode) {
    if (show) {
        s.modes.meters = mode;
        effects.push_back({Effect::kShow, kMeters});
        if (mode == 3) s.fields.metersShown = true;
        if (!s.setupMeterMode) {
            s.setupMeterMode = true;
            effects.push_back({Effect::kMeterModeOn, kSetup});
        }
        return;
    }
    s.modes.meters = 0;
    s.setupMeterMode = false;
    effects.push_back({Effect::kMeterModeOff, kSetup});
    effects.push_back({Effect::kHide, kMeters});
    s.fields.metersShown = false;
}

namespace {
Transition Only(Transition::Outcome outcome) {
    Transition t;
    t.outcome = outcome;
    return t;
}
}  // namespace

Transition RunCommand(State& s, Command command, bool running, bool timerVariant, int level) {
    Transition t;
    Runner run(s, t.effects);
    switch (command) {
        case Command::kGraph:
            if (s.modes.graph == 3) return Only(Transition::kLayoutOnly);
            run.Graph();
            break;
        case Command::kTable:
            if (s.modes.table == 3) return Only(Transition::kLayoutOnly);
            run.Table();
            break;
        case Command::kMeters:
            if (timerVariant) return Only(Transition::kNothing);
            if (s.modes.meters == 3) return Only(Transition::kLayoutOnly);
            if (running) return Only(Transition::kRunning);
            run.Meters(t);
            break;
        case Command::kWorkbook:
            run.Workbook();
            break;
        case Command::kVideoMain:
            run.VideoMain();
            break;
        case Command::kDataMap:
            run.DataMap(level);
            break;
        case Command::kVideoWindow:
            run.VideoWindow();
            t.applyModes = true;
            break;
    }
    return t;
}

void UpdateDisplayFlags(State& s) {
    Modes& m = s.modes;
    Fields& f = s.fields;
    f.graphInMain = m.graph == 3;
    f.tableInMain = m.table == 3;
    f.videoInMain = m.video >= 2;
    f.dataMapShown = m.dataMap >= 1;
    f.metersShown = m.meters >= 1;
    f.metersActive = f.metersShown;
    if (f.metersShown) m.clock = s.videoHidden ? 1 : 0;
    f.timing = s.timing;
    f.workbookInMain = m.workbook == 3;
    f.videoWindowAvailable = f.videoWindowShown = !s.videoHidden;
}

}  // namespace display_layout
