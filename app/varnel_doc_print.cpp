// File > Print: what to print is asked first, then the graph or the table prints itself.

#include "app/main_frame.h"
#include "app/print_selection_dialog.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_view.h"
#include "displays/table/table_view.h"

void CVarnelDoc::OnFilePrint() {
    CGraphView* graph = GetGraphView();
    CTableView* table = GetTableView();
    const int plots = graph ? graph->m_plotCount : 0;
    const int columns = table ? table->GetColumnCount() : 0;
    if (plots < 1 && columns < 1) {
        ShowMessage(kNoDataText, 0);
        return;
    }
    CPrintSelectionDialog dialog(MainFrame());
    dialog.SetViews(graph, table);
    if (dialog.DoModal() != IDOK) return;
    if (dialog.m_printTable) {
        if (table) table->PrintTable("Varnel table", dialog.m_fromIndex, dialog.m_toIndex);
    } else if (dialog.m_printGraph) {
        if (graph) graph->PrintGraph();
    }
}
