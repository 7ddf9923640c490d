#include "RES/dialogs/graph_view.h"

const DialogTemplate& GraphViewTemplate() {
    // The view sizes the control to its client area.
    static const DialogTemplate t = {IDD_GRAPH_VIEW,
                                     "",
                                     0,
                                     0,
                                     320,
                                     200,
                                     WS_CHILD | DS_SETFONT,
                                     "Tahoma",
                                     8,
                                     {{IDC_GRAPH, "CWGraph", "", 0, 0, 320, 200, WS_TABSTOP}}};
    return t;
}
