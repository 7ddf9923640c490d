// The display commands as far as the user-interface levels and the timing mode use them: each
// changes the display modes by its rules and shows or hides the windows; the tiling itself is
// the window layout's.

#include "app/data_tree_view.h"
#include "app/main_frame.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_view.h"
#include "displays/meter/meter_view.h"
#include "displays/table/table_view.h"
#include "experiment/html_doc_view.h"
#include "experiment/setup_view.h"
#include "logger/dorvik.h"
#include "logger/settings.h"
#include "video/video_view.h"

namespace {

void ShowFrameOf(CView* view, bool show) {
    if (!view || !view->GetSafeHwnd()) return;
    if (CFrameWnd* frame = view->GetParentFrame()) frame->ShowWindow(show ? SW_SHOW : SW_HIDE);
}

}  // namespace

void CVarnelDoc::SetMetersCheck(BOOL on) {
    if (CMainFrame* frame = MainFrame()) frame->SetMetersCheck(on);
}

void CVarnelDoc::ShowMeterWindow(bool show, LONG mode) {
    CMainFrame* frame = MainFrame();
    CSetupView* setup = GetSetupView();
    if (show) {
        m_settings->m_meterMode = mode;
        ShowFrameOf(m_meterView, true);
        if (mode == 3 && frame) frame->m_metersShown = 1;
        if (setup && !setup->m_meterMode) setup->SetMeterMode(TRUE);
    } else {
        m_settings->m_meterMode = 0;
        if (setup) setup->SetMeterMode(FALSE);
        ShowFrameOf(m_meterView, false);
        if (frame) frame->m_metersShown = 0;
    }
}

void CVarnelDoc::OnDisplayMeters() {
    CSettings& s = *m_settings;
    if (m_logger->IsTimerVariant()) return;
    if (s.m_meterMode == 3) return;
    if (m_runInProgress) {
        ShowMessage(kRunningText, 0);
        return;
    }
    CMainFrame* frame = MainFrame();
    if (m_timingMode) ToggleTimingMode(TRUE);
    s.m_tableMode = 0;
    ShowFrameOf(m_tableView, false);
    s.m_graphMode = 0;
    ShowFrameOf(GetGraphView(), false);
    if (frame) frame->m_tableShown = frame->m_graphShown = 0;
    if (s.m_workbookMode == 3) {
        if (frame) frame->m_videoInMainWindow = 0;
        s.m_videoMode = 0;
        ShowFrameOf(m_videoView, false);
        if (s.m_meterMode != 1) ShowMeterWindow(true, 1);
    } else {
        SetMetersCheck(TRUE);
        if (frame) frame->m_workbookShown = 0;
        s.m_workbookMode = 0;
        ShowFrameOf(m_htmlDocView, false);
        if (s.m_videoHidden) {
            s.m_clockMode = 1;
            s.m_videoMode = 0;
        } else if (s.m_videoMode == 3) {
            s.m_videoMode = 1;
            if (frame) frame->m_videoInMainWindow = 0;
        }
        ShowMeterWindow(true, 3);
    }
}

void CVarnelDoc::OnDisplayDataMap() {
    CMainFrame* frame = MainFrame();
    const bool shown = m_settings->m_dataMapMode != 0;
    m_settings->m_dataMapMode = shown ? 0 : 2;
    if (frame) {
        frame->m_dataMapShown = shown ? 0 : 1;
        if (m_settings->m_interfaceLevel == 2)
            frame->GetMainMenu().CheckMenuItem(ID_VIEW_DATA_MAP,
                                               MF_BYCOMMAND | (shown ? MF_UNCHECKED : MF_CHECKED));
    }
    ShowFrameOf(GetDataTreeView(), !shown);
}

void CVarnelDoc::OnDisplayWorkbook() {
    CSettings& s = *m_settings;
    CMainFrame* frame = MainFrame();
    const bool option = s.m_videoHidden != 0;
    if (s.m_workbookMode != 3) {
        SetMetersCheck(FALSE);
        if (frame) frame->m_workbookShown = 1;
        s.m_workbookMode = 3;
        ShowFrameOf(m_htmlDocView, true);
        if (s.m_meterMode == 3 && !option) ShowMeterWindow(false, 0);
        if (s.m_graphMode == 3 && !option) {
            s.m_graphMode = 0;
            ShowFrameOf(GetGraphView(), false);
        }
        if (s.m_tableMode == 3) {
            if (m_timingMode) {
                s.m_tableMode = 4;
            } else if (!option) {
                s.m_tableMode = 0;
                ShowFrameOf(m_tableView, false);
            }
        }
        if (option) {
            if (m_timingMode) {
                s.m_tableMode = 2;
            } else if (s.m_tableMode == 3) {
                s.m_tableMode = 1;
                s.m_graphMode = 0;
                ShowFrameOf(m_tableView, true);
            } else if (s.m_meterMode == 3) {
                s.m_meterMode = 1;
                s.m_graphMode = 0;
                s.m_tableMode = 0;
                ShowFrameOf(m_meterView, true);
            } else {
                s.m_graphMode = 1;
                s.m_tableMode = 0;
                ShowFrameOf(GetGraphView(), true);
            }
        } else if (s.m_videoMode == 3) {
            s.m_videoMode = 1;
            if (frame) frame->m_videoInMainWindow = 0;
        } else {
            s.m_graphMode = 0;
        }
        if (frame) frame->m_graphShown = frame->m_tableShown = frame->m_metersShown = 0;
        s.m_clockMode = 0;
        return;
    }
    if (frame) frame->m_workbookShown = 0;
    s.m_workbookMode = 0;
    ShowFrameOf(m_htmlDocView, false);
    if (s.m_tableMode == 1) {
        s.m_tableMode = 3;
        if (frame) frame->m_tableShown = 1;
        (option ? s.m_graphMode : s.m_videoMode) = 1;
    } else if (s.m_meterMode == 1) {
        s.m_meterMode = 3;
        if (frame) frame->m_metersShown = 1;
        (option ? s.m_clockMode : s.m_videoMode) = 1;
    } else {
        s.m_graphMode = 3;
        if (frame) frame->m_graphShown = 1;
        (option ? s.m_tableMode : s.m_videoMode) = 1;
    }
}

void CVarnelDoc::ToggleVideoWindow() {
    CSettings& s = *m_settings;
    CMainFrame* frame = MainFrame();
    if (s.m_videoMode > 0) {
        if (s.m_graphMode > 0) {
            if (s.m_graphMode == 3) {
                s.m_tableMode = m_timingMode ? 2 : 1;
            } else if (m_timingMode) {
                s.m_graphMode = 4;
                s.m_clockMode = 1;
            } else {
                s.m_graphMode = 1;
            }
        } else if (s.m_tableMode > 0) {
            if (s.m_tableMode == 3) {
                s.m_clockMode = 1;
                s.m_graphMode = m_timingMode ? 4 : 0;
            } else {
                s.m_graphMode = 1;
                s.m_tableMode = 3;
            }
        } else if (s.m_meterMode > 0) {
            s.m_clockMode = 1;
        } else {
            s.m_graphMode = 1;
        }
        s.m_videoHidden = 1;
        s.m_videoMode = 0;
        if (frame) frame->m_videoWindowAvailable = frame->m_videoWindowShown = 0;
    } else {
        if (s.m_graphMode == 1) s.m_graphMode = 0;
        if (s.m_tableMode == 1) s.m_tableMode = 0;
        if (s.m_tableMode == 2) s.m_tableMode = 4;
        s.m_videoHidden = 0;
        s.m_videoMode = 1;
        if (frame) frame->m_videoWindowAvailable = frame->m_videoWindowShown = 1;
        s.m_clockMode = 0;
    }
    ApplyDisplayModes();
}

void CVarnelDoc::ApplyDisplayModes() {
    const CSettings& s = *m_settings;
    ShowFrameOf(GetGraphView(), s.m_graphMode != 0);
    ShowFrameOf(m_tableView, s.m_tableMode != 0);
    ShowFrameOf(m_videoView, s.m_videoMode != 0);
    ShowFrameOf(GetDataTreeView(), s.m_dataMapMode != 0);
    ShowFrameOf(m_meterView, s.m_meterMode != 0);
    ShowFrameOf(m_htmlDocView, s.m_workbookMode != 0);
    ShowFrameOf(GetSetupView(), !m_timingMode);
    if (CMainFrame* frame = MainFrame(); frame && frame->GetSafeHwnd()) {
        CRect client;
        frame->GetClientRect(&client);
        LayoutStandardWindows(client.right, client.bottom);
    }
    if (s.m_meterMode != 0)
        if (CSetupView* setup = GetSetupView()) setup->SetMeterMode(TRUE);
    UpdateDisplayFlags();
}

void CVarnelDoc::UpdateDisplayFlags() {
    CSettings& s = *m_settings;
    CMainFrame* frame = MainFrame();
    if (!frame) return;
    frame->m_graphShown = s.m_graphMode == 3;
    frame->m_tableShown = s.m_tableMode == 3;
    frame->m_videoInMainWindow = s.m_videoMode >= 2;
    frame->m_dataMapShown = s.m_dataMapMode >= 1;
    frame->m_metersShown = s.m_meterMode >= 1;
    SetMetersCheck(s.m_meterMode >= 1);
    if (s.m_meterMode >= 1) s.m_clockMode = s.m_videoHidden ? 1 : 0;
    frame->m_timingModeOn = m_timingMode;
    frame->m_workbookShown = s.m_workbookMode == 3;
    frame->m_videoWindowAvailable = frame->m_videoWindowShown = s.m_videoHidden ? 0 : 1;
}
