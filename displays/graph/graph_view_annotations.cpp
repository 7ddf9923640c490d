// Captions pinned to data points. The records belong to the data sets (and so to the project); the
// control's annotations are rebuilt from them at every redraw. A label's place is kept in pixels
// (direction and length from its point), so it keeps its on-screen offset whatever the scales.

#include <cmath>
#include <cstdlib>

#include "app/main_frame.h"
#include "app/varnel_doc.h"
#include "displays/graph/annotation_caption_dialog.h"
#include "displays/graph/graph_frame.h"
#include "displays/graph/graph_view.h"
#include "logger/data_tree.h"
#include "platform/activex/graph_interaction.h"

namespace {

constexpr LONG kCursorA = 2, kCursorB = 3;
constexpr DISPID kCursorIndex = 6, kCursorPlot = 8, kCursorVisible = 9;
constexpr DISPID kAnnVisible = 1, kAnnCoords = 2, kAnnPlot = 3, kAnnPoint = 4, kAnnKind = 5,
                 kAnnCaption = 6, kAnnConnector = 8, kAnnAttach = 10;
constexpr DISPID kCaptionText = 1, kCaptionX = 2, kCaptionY = 3, kCaptionFrame = 4,
                 kCaptionAnchor = 6;
constexpr LONG kTextSlotsStart = 3;  // text annotations follow the cursor labels and the tangent
constexpr LONG kMoveLabelsMode = 9;

// The pixel offset (d, s d) of a label whose line to its point has slope s and is L/2 long.
double HalfOffset(double slope, double length) {
    return std::sqrt(length * length / (4.0 * slope * slope + 4.0));
}

}  // namespace

bool CGraphView::CursorAPoint(int& position, LONG& point) const {
    if (m_cursorCount < 1) return false;
    const CDispatchDriver a = m_graph.GetCursors().Item(kCursorA);
    const CDispatchDriver plot = a.GetObject(kCursorPlot);
    if (plot.IsNull()) return false;
    // A prediction's name is empty: no plot number, no data set.
    const int n = std::atoi(plot.GetString(3).GetString());
    if (n < 1 || n > m_plotCount || n > kMaxPlots) return false;
    double x, y;
    if (!PointAt(n - 1, a.GetLong(kCursorIndex), x, y)) return false;
    position = n - 1;
    point = a.GetLong(kCursorIndex);
    return true;
}

int CGraphView::FindAnnotation(int position, LONG point) const {
    if (position < 0 || position >= m_plotCount || position >= kMaxPlots) return -1;
    const CDataTreeBrench* ds = m_plots[position].dataSet;
    if (!ds || ds->IsExperiment()) return -1;
    for (size_t k = 0; k < ds->m_annotations.size(); ++k)
        if (ds->m_annotations[k].pointIndex == point) return static_cast<int>(k);
    return -1;
}

void CGraphView::PlaceAnnotations() {
    // The shading owns the annotation slots while area mode is on.
    if (m_areaMode) return;
    ClearToolAnnotations();
    if (m_annotationsShown)
        for (int p = 0; p < m_plotCount && p < kMaxPlots; ++p) {
            const CDataTreeBrench* ds = m_plots[p].dataSet;
            if (!ds || ds->IsExperiment()) continue;
            // Copies: drawing never changes the records, but keeps no reference into them.
            const std::vector<GraphTextAnnotation> records = ds->m_annotations;
            for (const GraphTextAnnotation& r : records)
                ShowAnnotation(r.pointIndex, p, r.caption, false);
        }
    // The tangent was cleared with the rest: the new scales give it a new place.
    if (m_slopeMode && m_cursorCount == 1) {
        int position;
        LONG point;
        if (CursorAPoint(position, point)) DrawSlopeLine(position, point);
    }
}

void CGraphView::ShowAnnotation(LONG point, int position, const CString& caption, bool isNew) {
    if (!m_annotationsShown || position < 0 || position >= m_plotCount || position >= kMaxPlots)
        return;
    CDataTreeBrench* ds = m_plots[position].dataSet;
    if (!ds || ds->IsExperiment()) return;
    if (m_graph.GetAxes().Count() < position + 2 || m_graph.GetPlots().Count() < position + 1)
        return;
    double x, y, kx, ky;
    // A record whose point the data set no longer holds is kept, but not drawn.
    if (!PointAt(position, point, x, y) || !PixelScales(position, kx, ky)) return;
    double s = 1.0, length = 100.0;
    LONG side = 0;
    if (!isNew) {
        const int k = FindAnnotation(position, point);
        if (k < 0) return;
        const GraphTextAnnotation& r = ds->m_annotations[static_cast<size_t>(k)];
        // A placement that no finite offset gives is drawn where a new label goes.
        if (std::isfinite(r.directionSlope) && std::isfinite(r.length)) {
            s = r.directionSlope;
            length = r.length;
        }
        side = r.side;
    }
    const double d = HalfOffset(s, length);
    const double sign = side == 1 ? -1.0 : 1.0;
    const double labelX = x + sign * d * kx, labelY = y + sign * s * d * ky;
    if (isNew) {
        GraphTextAnnotation r;
        r.pointIndex = point;
        r.caption = caption;
        ds->m_annotations.push_back(r);
        if (m_doc) m_doc->SetModifiedFlag(TRUE);
        PlaceAnnotations();
        return;
    }
    DrawAnnotation(position, point, caption, labelX, labelY);
}

void CGraphView::DrawAnnotation(int position, LONG point, const CString& caption, double labelX,
                                double labelY) {
    CDispatchDriver anns = m_graph.GetAnnotations();
    if (FAILED(anns.InvokeMethod(258))) return;
    CDispatchDriver ann = anns.Item(anns.Count());
    ann.SetLong(kAnnCoords, 0);
    ann.SetLong(kAnnKind, 5);
    const VARIANT pinned = VarI4(2);
    ann.InvokeMethod(kAnnAttach, {&pinned, 1});
    CDispatchDriver cap = ann.GetObject(kAnnCaption);
    cap.SetLong(kCaptionAnchor, 6);
    ann.GetObject(kAnnConnector).SetLong(2, 0);
    cap.SetString(kCaptionText, caption);
    cap.SetLong(kCaptionFrame, 0);
    ann.SetProperty(kAnnPlot, VarI4(position + 1));
    ann.SetLong(kAnnPoint, point);
    cap.SetDouble(kCaptionX, labelX);
    cap.SetDouble(kCaptionY, labelY);
}

void CGraphView::OnAddAnnotation() {
    int position;
    LONG point;
    if (CursorAPoint(position, point)) AddOrEditAnnotation(position, point);
}

void CGraphView::AddOrEditAnnotation(int position, LONG point) {
    if (FindAnnotation(position, point) >= 0) {
        OnEditAnnotationCaption(position, point);
        return;
    }
    CAnnotationCaptionDialog dialog(this);
    // An empty caption adds nothing, as an empty caption on an edit deletes.
    if (dialog.DoModal() == IDOK && !dialog.m_caption.IsEmpty())
        ShowAnnotation(point, position, dialog.m_caption, true);
}

void CGraphView::OnEditAnnotationCaption(int position, LONG point) {
    const int k = FindAnnotation(position, point);
    if (k < 0) return;
    CDataTreeBrench* ds = m_plots[position].dataSet;
    CAnnotationCaptionDialog dialog(this);
    dialog.m_caption = ds->m_annotations[static_cast<size_t>(k)].caption;
    if (dialog.DoModal() == IDOK) {
        if (dialog.m_caption.IsEmpty())
            ds->m_annotations.erase(ds->m_annotations.begin() + k);
        else
            ds->m_annotations[static_cast<size_t>(k)].caption = dialog.m_caption;
        if (m_doc) m_doc->SetModifiedFlag(TRUE);
        PlaceAnnotations();
    }
    m_graph.SetFocus();
    m_contextAnnotation = 0;
}

void CGraphView::DeleteAnnotation(int position, LONG point) {
    if (const int k = FindAnnotation(position, point); k >= 0) {
        CDataTreeBrench* ds = m_plots[position].dataSet;
        ds->m_annotations.erase(ds->m_annotations.begin() + k);
        if (m_doc) m_doc->SetModifiedFlag(TRUE);
        PlaceAnnotations();
    }
    m_graph.SetFocus();
}

void CGraphView::OnEditAnnotationCommand() {
    int position;
    LONG point;
    if (CursorAPoint(position, point)) OnEditAnnotationCaption(position, point);
}

void CGraphView::OnDeleteAnnotationCommand() {
    int position;
    LONG point;
    if (CursorAPoint(position, point)) DeleteAnnotation(position, point);
}

void CGraphView::OnFocusGraph() {
    m_graph.SetFocus();
}

void CGraphView::OnMoveAnnotationMode() {
    m_moveAnnotationMode = m_moveAnnotationMode ? 0 : 1;
    SetMoveAnnotationMode(m_moveAnnotationMode);
}

void CGraphView::SetMoveAnnotationMode(BOOL on) {
    CMainFrame* main = MainFrame();
    CDispatchDriver anns = m_graph.GetAnnotations();
    if (m_trackModeBeforeMove < 0) m_trackModeBeforeMove = m_graph.GetTrackMode();
    if (on) {
        LeavePanZoomModes();
        // The cursor labels would be dragged with the captions: out of the way meanwhile.
        for (LONG slot : {1L, 2L}) {
            const LONG cursor = slot == 1 ? kCursorA : kCursorB;
            const bool shown = m_graph.GetCursors().Item(cursor).GetBool(kCursorVisible);
            m_labelsHiddenByMove[slot - 1] =
                shown && anns.Count() >= slot && anns.Item(slot).GetBool(kAnnVisible);
            if (m_labelsHiddenByMove[slot - 1]) anns.Item(slot).SetBool(kAnnVisible, false);
        }
        m_trackModeBeforeMove = m_graph.GetTrackMode();
        m_graph.SetTrackMode(kMoveLabelsMode);
        m_moveAnnotationMode = 1;
        if (m_frame) {
            m_frameCursorBefore = m_frame->m_cursorEnabled;
            m_frameSecondCursorBefore = m_frame->m_secondCursorEnabled;
            m_frame->m_cursorEnabled = FALSE;
            m_frame->m_secondCursorEnabled = FALSE;
            m_frame->m_moveAnnotationOn = TRUE;
        }
        if (main) main->m_moveAnnotationsOn = 1;
        return;
    }
    m_moveAnnotationMode = 0;
    m_graph.SetTrackMode(m_trackModeBeforeMove);
    for (LONG slot : {1L, 2L})
        if (m_labelsHiddenByMove[slot - 1] && anns.Count() >= slot) {
            anns.Item(slot).SetBool(kAnnVisible, true);
            m_labelsHiddenByMove[slot - 1] = false;
        }
    if (m_frame) {
        m_frame->m_cursorEnabled = m_frameCursorBefore;
        m_frame->m_secondCursorEnabled = m_frameSecondCursorBefore;
        m_frame->m_moveAnnotationOn = FALSE;
    }
    if (main) main->m_moveAnnotationsOn = 0;
}

void CGraphView::OnShowAnnotations() {
    CMainFrame* main = MainFrame();
    m_annotationsShown = m_annotationsShown ? 0 : 1;
    if (main) main->m_showAnnotationsOn = m_annotationsShown;
    if (m_frame) m_frame->m_annotationsEnabled = m_annotationsShown;
    if (!m_annotationsShown) {
        ClearToolAnnotations();
        if (main)
            main->m_addAnnotationAvailable = main->m_moveAnnotationsAvailable =
                main->m_editCaptionAvailable = main->m_deleteAnnotationAvailable = 0;
        return;
    }
    PlaceAnnotations();
    const BOOL cursor = m_cursorCount > 0;
    if (main) {
        main->m_addAnnotationAvailable = 1;
        main->m_moveAnnotationsAvailable = main->m_editCaptionAvailable =
            main->m_deleteAnnotationAvailable = cursor;
    }
    if (m_frame) m_frame->m_addAnnotationEnabled = TRUE;
}

void CGraphView::OnAnnotationChanged(LONG index, LONG, bool tracking) {
    if (tracking) {
        m_annotationSelected = 1;
        return;
    }
    m_annotationSelected = 0;
    StoreAnnotationPlacement(index + 1);
}

void CGraphView::OnAnnotationMouseDown(SHORT button, SHORT, double, double, LONG, LONG index) {
    if (button == platform::graph::kLeftButton) m_elementPressed = 1;
    if (button == platform::graph::kRightButton && index > 1) m_contextAnnotation = index + 1;
}

void CGraphView::StoreAnnotationPlacement(LONG item) {
    CDispatchDriver anns = m_graph.GetAnnotations();
    if (item <= kTextSlotsStart || item > anns.Count()) return;
    const CDispatchDriver ann = anns.Item(item);
    const CDispatchDriver plot = ann.GetObject(kAnnPlot);
    if (plot.IsNull()) return;
    const int position = std::atoi(plot.GetString(3).GetString()) - 1;
    const LONG point = ann.GetLong(kAnnPoint);
    const int k = FindAnnotation(position, point);
    double x, y, kx, ky;
    if (k < 0 || !PointAt(position, point, x, y) || !PixelScales(position, kx, ky)) return;
    const CDispatchDriver cap = ann.GetObject(kAnnCaption);
    double dxp = (cap.GetDouble(kCaptionX) - x) / kx;
    const double dyp = (cap.GetDouble(kCaptionY) - y) / ky;
    const LONG side = dxp < 0 ? 1 : 0;
    // Straight above or below the point: a pixel to its side keeps the slope finite.
    if (std::fabs(dxp) < 1.0) dxp = side ? -1.0 : 1.0;
    const double s = dyp / dxp;
    const double length = std::sqrt((4.0 * s * s + 4.0) * dxp * dxp);
    if (!std::isfinite(s) || !std::isfinite(length)) return;
    GraphTextAnnotation& r = m_plots[position].dataSet->m_annotations[static_cast<size_t>(k)];
    r.directionSlope = s;
    r.length = length;
    r.side = side;
    if (m_doc) m_doc->SetModifiedFlag(TRUE);
    PlaceAnnotations();
}
