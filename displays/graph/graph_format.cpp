// Placeholder replaced below.
#include "displays/graph/graph_view.h"

void CGraphView::OpenFormatSheet(int) {}
