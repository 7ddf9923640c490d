// Graph printing: the graph's picture, laid out at the page's proportions, drawn as vectors on
// one page.

#include "displays/graph/graph_view.h"
#include "platform/gdi/printer.h"

namespace {

constexpr DISPID kBackground = 9001, kCursorVisible = 9;
constexpr LONG kPrintCursor = 1;
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
    // it was (a style's background, a cursor hidden before).
    CDispatchDriver graph = m_graph.GetGraph();
    const LONG background = graph.GetLong(kBackground);
    CDispatchDriver cursor = m_graph.GetCursors().Item(kPrintCursor);
    const bool cursorShown = cursor.GetBool(kCursorVisible);
    graph.SetLong(kBackground, static_cast<LONG>(RGB(255, 255, 255)));
    cursor.SetBool(kCursorVisible, false);

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
    cursor.SetBool(kCursorVisible, cursorShown);
}
