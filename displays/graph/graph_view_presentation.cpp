// The graph view's title and single-axis mode.

#include "app/data_tree_view.h"
#include "app/main_frame.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_view.h"
#include "logger/settings.h"
#include "platform/base/log.h"

void CGraphView::ToggleSingleAxisMode() {
    CSettings* settings = Settings();
    if (!settings) return;
    settings->m_singleAxis = settings->m_singleAxis ? 0 : 1;
    if (!settings->Save()) qCWarning(lcGraph, "the settings could not be saved");
    if (CMainFrame* frame = MainFrame()) frame->m_singleAxisOn = settings->m_singleAxis ? 1 : 0;
    RefreshGraph(TRUE);
}

void CGraphView::SetGraphTitle(const CString& title) {
    m_graph.SetCaption(title);
    if (!m_currentGraph) return;
    m_currentGraph->m_name = title;
    CDataTreeView* tree = m_doc ? m_doc->GetDataTreeView() : nullptr;
    if (!tree) return;
    if (HTREEITEM item = tree->FindGraphItem(m_currentGraph->m_item))
        tree->GetTreeCtrl().SetItemText(item, title);
}
