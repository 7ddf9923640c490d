// The user-interface levels: each shows its own toolbars, arranges the standard windows and
// rebuilds the menu bar from menu 152 less what the level leaves out.

#include "RES/commands.h"
#include "RES/main_menu.h"
#include "app/main_frame.h"
#include "app/option_dialogs.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_frame.h"
#include "displays/graph/graph_view.h"
#include "displays/meter/meter_view.h"
#include "experiment/html_doc_view.h"
#include "logger/dorvik.h"
#include "logger/settings.h"
#include "platform/base/log.h"
#include "platform/msg/standard_ids.h"

namespace {

// One removal: by command, or by position inside the top-level pop-up `top` (-1: the bar itself).
struct Removal {
    UINT command;
    int top;
    int position;
};

constexpr Removal ByCommand(UINT id) {
    return {id, 0, 0};
}
constexpr Removal ByPosition(int top, int position) {
    return {0, top, position};
}

const Removal kBasic[] = {
    ByPosition(-1, 6),  // Analysis
    ByPosition(-1, 4),  // Video
    ByCommand(ID_NEW_PROJECT),
    ByCommand(ID_IMPORT_CSV),
    ByCommand(ID_SENSOR_COLOR_SETTINGS),
    ByCommand(ID_VIEW_DATA_MAP),
    ByCommand(ID_VIEW_VIDEO),
    ByCommand(ID_VIEW_VIDEO_MAIN),
    ByPosition(1, 4),  // the View separator
    ByCommand(ID_GRAPH_PAUSE),
    ByCommand(ID_GRAPH_ADD_TO_PROJECT),
    ByCommand(ID_GRAPH_PREDICTION),
    ByCommand(ID_GRAPH_PAN),
    ByCommand(ID_GRAPH_CROP),
    ByCommand(ID_GRAPH_COPY),
    ByCommand(ID_GRAPH_SCROLL_RUN),
    ByCommand(ID_SINGLE_AXIS),
    ByPosition(3, 1),  // Workbook > Launch settings
    ByPosition(4, 4),  // Logger > Recording Mode
    ByCommand(ID_SEND_SETUP),
    ByCommand(ID_LOGGER_SETUP),
};

const Removal kSimple[] = {
    ByPosition(-1, 6),  // Analysis
    ByCommand(ID_NEW_PROJECT),
    ByCommand(ID_IMPORT_CSV),
    ByCommand(ID_SENSOR_COLOR_SETTINGS),
    ByCommand(ID_VIEW_DATA_MAP),
    ByCommand(ID_GRAPH_ADD_TO_PROJECT),
    ByCommand(ID_GRAPH_PAN),
    ByCommand(ID_GRAPH_CROP),
    ByCommand(ID_GRAPH_COPY),
    ByCommand(ID_GRAPH_SCROLL_RUN),
    ByCommand(ID_SINGLE_AXIS),
    ByPosition(3, 1),  // Workbook > Launch settings
    ByPosition(4, 4),  // the Video separator
    ByCommand(ID_SEND_SETUP),
    ByCommand(ID_LOGGER_SETUP),
};

void Remove(CMenu& bar, const Removal& r) {
    if (r.command) {
        bar.DeleteMenu(r.command, MF_BYCOMMAND);
    } else if (r.top < 0) {
        bar.RemoveMenu(static_cast<UINT>(r.position), MF_BYPOSITION);
    } else if (CMenu* popup = bar.GetSubMenu(r.top)) {
        popup->RemoveMenu(static_cast<UINT>(r.position), MF_BYPOSITION);
    }
}

bool Contains(const CMenu& menu, UINT id) {
    return menu.GetMenuState(id, MF_BYCOMMAND) != kMenuError;
}

// The pop-up "Select external sensor" (External 1 and 2) and the position of its owner's item.
struct Place {
    CMenu* owner = nullptr;
    int position = -1;
};

Place FindSensorPopup(const CMenu& bar) {
    for (int top = 0; top < bar.GetMenuItemCount(); ++top) {
        CMenu* popup = bar.GetSubMenu(top);
        if (!popup) continue;
        for (int i = 0; i < popup->GetMenuItemCount(); ++i) {
            CMenu* sub = popup->GetSubMenu(i);
            if (sub && Contains(*sub, ID_EXTERNAL_SENSOR_1)) return {popup, i};
        }
    }
    return {};
}

void RemoveSensorPopup(CMenu& bar) {
    const Place p = FindSensorPopup(bar);
    if (p.owner) p.owner->RemoveMenu(static_cast<UINT>(p.position), MF_BYPOSITION);
}

// Puts a fresh "Select external sensor" back before Comm setup, which every level keeps.
void RestoreSensorPopup(CMenu& bar) {
    if (FindSensorPopup(bar).owner) return;
    CMenu fresh;
    fresh.LoadMenu(MainMenuTemplate());
    const Place source = FindSensorPopup(fresh);
    if (!source.owner) return;
    CString text;
    source.owner->GetMenuString(static_cast<UINT>(source.position), text, MF_BYPOSITION);
    CMenu* sub = source.owner->GetSubMenu(source.position);
    for (int top = 0; top < bar.GetMenuItemCount(); ++top) {
        CMenu* popup = bar.GetSubMenu(top);
        if (!popup) continue;
        for (int i = 0; i < popup->GetMenuItemCount(); ++i)
            if (popup->GetMenuItemID(i) == ID_COMM_SETUP) {
                popup->InsertMenu(static_cast<UINT>(i), MF_BYPOSITION | MF_POPUP, sub, text);
                return;
            }
    }
}

}  // namespace

void CVarnelDoc::ApplyUserInterfaceMode(BYTE level, BYTE previous, BYTE keepLayout) {
    if (level > 2) return;
    CMainFrame* frame = MainFrame();
    if (frame) {
        frame->ShowBasicToolbar(level == 0);
        frame->ShowSimpleToolbar(level == 1);
        frame->ShowAdvancedToolbar(level == 2);
    }
    if (CGraphView* graph = GetGraphView())
        if (CGraphFrame* graphFrame = graph->GetFrame()) {
            graphFrame->ShowBasicToolbar(level == 0);
            graphFrame->ShowSimpleToolbar(level == 1);
            graphFrame->ShowAdvancedToolbar(level == 2);
        }
    if (m_htmlDocView)
        if (auto* workbook = dynamic_cast<CHtmlDocFrame*>(m_htmlDocView->GetParentFrame())) {
            workbook->ShowWorkbookToolbar(level == 2);
            workbook->ShowWorkbookToolbar2(level != 2);
        }

    CSettings& s = *m_settings;
    if (level == 0 && s.m_videoHidden == 0) ToggleVideoWindow();
    if (level < 2) {
        if (!keepLayout) {
            if (s.m_meterMode != 3) {
                if (s.m_workbookMode == 3) OnDisplayWorkbook();
                s.m_meterViewValue = 4;
                OnDisplayMeters();
            } else if (s.m_meterViewValue != 4) {
                s.m_meterViewValue = 4;
                if (m_meterView) m_meterView->LayoutMeters();
            }
        }
        if (s.m_dataMapMode != 0) OnDisplayDataMap();
        if (s.m_singleAxis)
            if (CGraphView* graph = GetGraphView()) graph->ToggleSingleAxisMode();
    } else if (s.m_dataMapMode == 0) {
        OnDisplayDataMap();
    }
    RebuildMenus(level, previous);
}

void CVarnelDoc::RebuildMenus(BYTE level, BYTE previous) {
    if (level == previous || level > 2) return;
    BuildMenuBar(level);
}

void CVarnelDoc::BuildMenuBar(BYTE level) {
    CMainFrame* frame = MainFrame();
    if (!frame) return;
    CMenu& bar = frame->GetMainMenu();
    while (bar.GetMenuItemCount() > 0)
        bar.RemoveMenu(0, MF_BYPOSITION);
    CMenu fresh;
    fresh.LoadMenu(MainMenuTemplate());
    for (int i = 0; i < fresh.GetMenuItemCount(); ++i) {
        CString text;
        fresh.GetMenuString(static_cast<UINT>(i), text, MF_BYPOSITION);
        bar.AppendMenu(MF_POPUP, fresh.GetSubMenu(i), text);
    }
    // The model's item goes by identity below; the tables' positions hold for a fresh menu.
    auto apply = [&bar](const auto& table) {
        for (const Removal& r : table)
            Remove(bar, r);
    };
    // Advanced keeps the whole menu, Logger > Setup too, as it has at start-up.
    if (level == 0)
        apply(kBasic);
    else if (level == 1)
        apply(kSimple);
    if (m_logger->IsQKModel()) RemoveSensorPopup(bar);
    frame->DrawMenuBar();
}

void CVarnelDoc::RemoveModelMenuItem(BYTE flag) {
    CMainFrame* frame = MainFrame();
    if (!frame) return;
    if (flag)
        RemoveSensorPopup(frame->GetMainMenu());
    else
        RestoreSensorPopup(frame->GetMainMenu());
    frame->DrawMenuBar();
}

void CVarnelDoc::OnUserInterfaceSettings() {
    CUserInterfaceDialog dialog(MainFrame());
    const BYTE old = m_settings->m_interfaceLevel;
    dialog.SetLevel(old);
    if (dialog.DoModal() != IDOK) return;
    const BYTE level = dialog.GetLevel();
    ApplyUserInterfaceMode(level, old, 0);
    m_settings->m_interfaceLevel = level;
    if (!m_settings->Save()) qCWarning(lcDoc, "the settings could not be saved");
}
