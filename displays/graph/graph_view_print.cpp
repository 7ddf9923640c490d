// Graph printing: the graph's picture, laid out at the page's proportions, drawn as vectors on
// one page.

#include <utility>
#include <vector>

#include "displays/graph/graph_view.h"
#include "platform/gdi/printer.h"

namespace {

constexpr DISPID kBackground = 9001, kCursorVisible = 9;
// The control's cursor 1 and the two data cursors.
constexpr LONG kPrintCursors[] = {1, 2, 3};
constexpr DWORD kPrintFlags = 0x14000C;

}  // namespace

void CGraphView::PrintGraph() {
    CPrintDialog dialog(FALSE, kPrintFlags, this);
    dialog.m_pd.nMinPage = dialog.m_pd.nMaxPage = 1;
    if (dialog.DoModal() != IDOK) return;
    CDC dc;
    if (!dc.Attach(dialog.GetPrinterDC())) return;
    DOCINFO info;
    info.lpszDocName = "2002";
    if (dc.StartDoc(&info) <= 0) {
        dc.Detach();
        return;
    }
    dc.StartPage();
    PrintGraphPage(dc);
    dc.EndPage();
    dc.EndDoc();
    dc.Detach();
}

void CGraphView::PrintGraphPage(CDC& dc) {
    // White paper and no cursor line for the page; afterwards the look the user had, whatever
    // it was (a style's background, a cursor hidden before). Only the visibility is touched:
    // the data cursors keep their place, plot and read-out.
    CDispatchDriver graph = m_graph.GetGraph();
    const LONG background = graph.GetLong(kBackground);
    CDispatchDriver cursors = m_graph.GetCursors();
    const LONG count = cursors.Count();
    std::vector<std::pair<CDispatchDriver, bool>> shown;
    for (LONG c : kPrintCursors) {
        if (c > count) continue;
        CDispatchDriver cursor = cursors.Item(c);
        shown.emplace_back(cursor, cursor.GetBool(kCursorVisible));
        cursor.SetBool(kCursorVisible, false);
    }
    graph.SetLong(kBackground, static_cast<LONG>(RGB(255, 255, 255)));

    const int screenX = 96, screenY = 96;
    const int printerX = dc.GetDeviceCaps(LOGPIXELSX);
    const int printerY = dc.GetDeviceCaps(LOGPIXELSY);
    const double fx = dc.GetDeviceCaps(HORZSIZE) / 2.6 / 10.0;
    const double fy = dc.GetDeviceCaps(VERTSIZE) / 2.6 / 10.0;
    // The picture at the page's proportions at screen resolution, without resizing the control
    // on screen.
    const CCWPicture picture(m_graph.GetPicture());
    picture.SetWidth(static_cast<LONG>(fx * screenX));
    picture.SetHeight(static_cast<LONG>(fy * screenY));
    const CRect page(0, 0, static_cast<int>(fx * printerX), static_cast<int>(fy * printerY));
    picture.Render(dc, page);

    graph.SetLong(kBackground, background);
    for (auto& [cursor, visible] : shown)
        cursor.SetBool(kCursorVisible, visible);
}
