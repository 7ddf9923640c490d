// The graph's tool commands reach the graph view from wherever they are given.

#include "app/varnel_doc.h"
#include "displays/graph/graph_view.h"

void CVarnelDoc::OnGraphZoom() {
    if (CGraphView* graph = GetGraphView()) graph->OnZoomMode();
}

void CVarnelDoc::OnGraphPan() {
    if (CGraphView* graph = GetGraphView()) graph->OnPanMode();
}

void CVarnelDoc::OnGraphCrop() {
    if (CGraphView* graph = GetGraphView()) graph->OnCropData();
}

void CVarnelDoc::OnGraphSlope() {
    if (CGraphView* graph = GetGraphView()) graph->OnSlope();
}

void CVarnelDoc::OnGraphArea() {
    if (CGraphView* graph = GetGraphView()) graph->OnArea();
}

void CVarnelDoc::OnGraphStatistics() {
    if (CGraphView* graph = GetGraphView()) graph->OnStatistics();
}

void CVarnelDoc::OnShowAnnotations() {
    if (CGraphView* graph = GetGraphView()) graph->OnShowAnnotations();
}

void CVarnelDoc::OnAddAnnotation() {
    if (CGraphView* graph = GetGraphView()) graph->OnAddAnnotation();
}

void CVarnelDoc::OnMoveAnnotations() {
    if (CGraphView* graph = GetGraphView()) graph->OnMoveAnnotationMode();
}

void CVarnelDoc::OnEditAnnotationCaption() {
    if (CGraphView* graph = GetGraphView()) graph->OnEditAnnotationCommand();
}

void CVarnelDoc::OnDeleteAnnotation() {
    if (CGraphView* graph = GetGraphView()) graph->OnDeleteAnnotationCommand();
}
