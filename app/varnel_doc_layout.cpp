// The document's tiling of the standard windows and its display commands. The rules are the pure
// functions of display_layout; here they meet the settings, the main frame and the views.

#include <QMdiArea>

#include "app/data_tree_view.h"
#include "app/main_frame.h"
#include "app/varnel_doc.h"
#include "displays/clock/clock_view.h"
#include "displays/graph/graph_view.h"
#include "displays/meter/meter_view.h"
#include "displays/table/table_view.h"
#include "experiment/html_doc_view.h"
#include "experiment/setup_view.h"
#include "logger/dorvik.h"
#include "logger/settings.h"
#include "models/display_layout.h"
#include "video/video_view.h"

namespace dl = display_layout;

namespace {

dl::Modes ModesOf(const CSettings& s) {
    return {s.m_graphMode, s.m_tableMode,    s.m_videoMode, s.m_dataMapMode,
            s.m_meterMode, s.m_workbookMode, s.m_clockMode};
}

void StoreModes(CSettings& s, const dl::Modes& m) {
    s.m_graphMode = m.graph;
    s.m_tableMode = m.table;
    s.m_videoMode = m.video;
    s.m_dataMapMode = m.dataMap;
    s.m_meterMode = m.meters;
    s.m_workbookMode = m.workbook;
    s.m_clockMode = m.clock;
}

dl::Fields FieldsOf(const CMainFrame& f) {
    dl::Fields out;
    out.graphInMain = f.m_graphShown;
    out.tableInMain = f.m_tableShown;
    out.videoInMain = f.m_videoInMainWindow;
    out.metersShown = f.m_metersShown;
    out.dataMapShown = f.m_dataMapShown;
    out.workbookInMain = f.m_workbookShown;
    out.timing = f.m_timingModeOn;
    out.videoWindowAvailable = f.m_videoWindowAvailable;
    out.videoWindowShown = f.m_videoWindowShown;
    out.metersActive = f.m_metersActive;
    return out;
}

void StoreFields(CMainFrame& f, const dl::Fields& in) {
    f.m_graphShown = in.graphInMain;
    f.m_tableShown = in.tableInMain;
    f.m_videoInMainWindow = in.videoInMain;
    f.m_metersShown = in.metersShown;
    f.m_dataMapShown = in.dataMapShown;
    f.m_workbookShown = in.workbookInMain;
    f.m_timingModeOn = in.timing;
    f.m_videoWindowAvailable = in.videoWindowAvailable;
    f.m_videoWindowShown = in.videoWindowShown;
}

}  // namespace

CView* CVarnelDoc::StandardView(int window) const {
    switch (window) {
        case dl::kGraph:
            return GetGraphView();
        case dl::kTable:
            return m_tableView;
        case dl::kVideo:
            return m_videoView;
        case dl::kDataMap:
            return GetDataTreeView();
        case dl::kMeters:
            return m_meterView;
        case dl::kWorkbook:
            return m_htmlDocView;
        case dl::kClock:
            return m_clockView;
        case dl::kSetup:
            return GetSetupView();
        default:
            return nullptr;
    }
}

void CVarnelDoc::ShowStandardView(int window, bool show) {
    CView* view = StandardView(window);
    if (!view || !view->GetSafeHwnd()) return;
    // Only a view in a frame of its own is a standard window that the layout places.
    CFrameWnd* frame = view->GetParentFrame();
    if (!frame) return;
    view->ShowWindow(show ? SW_SHOW : SW_HIDE);
    frame->ShowWindow(show ? SW_SHOW : SW_HIDE);
}

void CVarnelDoc::LayoutStandardWindows(int cx, int cy) {
    CMainFrame* main = MainFrame();
    if (main) main->RecalcLayout();
    const BYTE level = m_settings->m_interfaceLevel;
    const dl::Layout layout =
        dl::ComputeLayout(ModesOf(*m_settings), cx, cy, level, m_timingMode != 0);
    if (main && layout.dataMapMenuCheck)
        main->GetMainMenu().CheckMenuItem(
            ID_VIEW_DATA_MAP,
            MF_BYCOMMAND | (*layout.dataMapMenuCheck ? MF_CHECKED : MF_UNCHECKED));
    for (int w = 0; w < dl::kWindowCount; ++w) {
        const auto& placement = layout.windows[w];
        if (!placement) continue;
        const dl::Rect& r = placement->rect;
        CView* view = StandardView(w);
        // The set-up view is placed once it is ready, as its own controls need.
        if (w == dl::kSetup) {
            CSetupView* setup = GetSetupView();
            if (!setup || !setup->m_ready) continue;
        }
        PlaceFrame(view, r.x, r.y, r.cx, r.cy, false);
        ShowStandardView(w, placement->shown);
    }
    if (layout.videoRect && m_videoView) {
        const dl::Rect& r = *layout.videoRect;
        m_videoView->SetVideoRect(CRect(r.x, r.y, r.x + r.cx, r.y + r.cy));
    }
}

void CVarnelDoc::LayoutToMainFrame() {
    CMainFrame* main = MainFrame();
    if (!main || !main->GetSafeHwnd()) return;
    const CSize area = main->GetLayoutArea();
    LayoutStandardWindows(area.cx, area.cy + 53);
}

void CVarnelDoc::ApplyDisplayModes() {
    const CSettings& s = *m_settings;
    const std::pair<int, LONG> shown[] = {
        {dl::kGraph, s.m_graphMode},  {dl::kTable, s.m_tableMode},
        {dl::kVideo, s.m_videoMode},  {dl::kDataMap, s.m_dataMapMode},
        {dl::kMeters, s.m_meterMode}, {dl::kWorkbook, s.m_workbookMode}};
    for (const auto& [window, mode] : shown)
        ShowStandardView(window, mode != 0);
    LayoutToMainFrame();
    if (s.m_meterMode != 0)
        if (CSetupView* setup = GetSetupView()) setup->SetMeterMode(TRUE);
    UpdateDisplayFlags();
}

void CVarnelDoc::UpdateDisplayFlags() {
    dl::State state;
    state.modes = ModesOf(*m_settings);
    state.videoHidden = m_settings->m_videoHidden != 0;
    state.timing = m_timingMode != 0;
    CMainFrame* main = MainFrame();
    if (main) state.fields = FieldsOf(*main);
    dl::UpdateDisplayFlags(state);
    StoreModes(*m_settings, state.modes);
    if (main) StoreFields(*main, state.fields);
    SetMetersCheck(state.fields.metersActive);
}

void CVarnelDoc::SetMetersCheck(bool on) {
    CMainFrame* main = MainFrame();
    if (!main || !main->GetSafeHwnd()) return;
    main->RecalcLayout();
    main->SetMetersCheck(on);
}

void CVarnelDoc::ShowMeterWindow(bool show, LONG mode) {
    dl::State state;
    state.modes = ModesOf(*m_settings);
    CMainFrame* main = MainFrame();
    if (main) state.fields = FieldsOf(*main);
    CSetupView* setup = GetSetupView();
    state.setupMeterMode = setup && setup->m_meterMode;
    std::vector<dl::Effect> effects;
    dl::ShowMeterWindow(state, effects, show, mode);
    StoreModes(*m_settings, state.modes);
    if (main) StoreFields(*main, state.fields);
    for (const dl::Effect& e : effects) {
        if (e.kind == dl::Effect::kShow || e.kind == dl::Effect::kHide)
            ShowStandardView(e.window, e.kind == dl::Effect::kShow);
        else if (setup)
            setup->SetMeterMode(e.kind == dl::Effect::kMeterModeOn);
    }
}

void CVarnelDoc::RunDisplayCommand(int command) {
    CMainFrame* main = MainFrame();
    auto read = [&] {
        dl::State state;
        state.modes = ModesOf(*m_settings);
        if (main) state.fields = FieldsOf(*main);
        state.videoHidden = m_settings->m_videoHidden != 0;
        state.timing = m_timingMode != 0;
        CSetupView* setup = GetSetupView();
        state.setupMeterMode = setup && setup->m_meterMode;
        return state;
    };
    dl::State state = read();
    const bool timerVariant = m_logger && m_logger->IsTimerVariant();
    const dl::Transition t =
        dl::RunCommand(state, static_cast<dl::Command>(command), m_runInProgress != 0, timerVariant,
                       m_settings->m_interfaceLevel);
    switch (t.outcome) {
        case dl::Transition::kNothing:
            return;
        case dl::Transition::kRunning:
            ShowMessage(kRunningText, 0);
            return;
        case dl::Transition::kLayoutOnly:
            LayoutToMainFrame();
            return;
        case dl::Transition::kChanged:
            break;
    }
    if (t.timingOff) {
        ToggleTimingMode(TRUE);
        m_timingMode = 0;
    }
    StoreModes(*m_settings, state.modes);
    m_settings->m_videoHidden = state.videoHidden ? 1 : 0;
    if (main) {
        StoreFields(*main, state.fields);
        if (main->m_metersActive != static_cast<BOOL>(state.fields.metersActive))
            SetMetersCheck(state.fields.metersActive);
    }
    CSetupView* setup = GetSetupView();
    for (const dl::Effect& e : t.effects) {
        switch (e.kind) {
            case dl::Effect::kShow:
            case dl::Effect::kHide:
                ShowStandardView(e.window, e.kind == dl::Effect::kShow);
                break;
            case dl::Effect::kMeterModeOn:
            case dl::Effect::kMeterModeOff:
                if (setup) setup->SetMeterMode(e.kind == dl::Effect::kMeterModeOn);
                break;
            case dl::Effect::kMenuCheck:
            case dl::Effect::kMenuUncheck:
                if (main)
                    main->GetMainMenu().CheckMenuItem(
                        ID_VIEW_DATA_MAP,
                        MF_BYCOMMAND |
                            (e.kind == dl::Effect::kMenuCheck ? MF_CHECKED : MF_UNCHECKED));
                break;
        }
    }
    if (t.applyModes)
        ApplyDisplayModes();
    else
        LayoutToMainFrame();
}

void CVarnelDoc::OnDisplayGraph() {
    RunDisplayCommand(static_cast<int>(dl::Command::kGraph));
}
void CVarnelDoc::OnDisplayTable() {
    RunDisplayCommand(static_cast<int>(dl::Command::kTable));
}
void CVarnelDoc::OnDisplayMeters() {
    RunDisplayCommand(static_cast<int>(dl::Command::kMeters));
}
void CVarnelDoc::OnDisplayWorkbook() {
    RunDisplayCommand(static_cast<int>(dl::Command::kWorkbook));
}
void CVarnelDoc::OnDisplayVideoMain() {
    RunDisplayCommand(static_cast<int>(dl::Command::kVideoMain));
}
void CVarnelDoc::OnDisplayDataMap() {
    RunDisplayCommand(static_cast<int>(dl::Command::kDataMap));
}
void CVarnelDoc::ToggleVideoWindow() {
    RunDisplayCommand(static_cast<int>(dl::Command::kVideoWindow));
}
