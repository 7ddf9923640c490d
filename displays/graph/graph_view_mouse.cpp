// The graph view's handling of the control's events: the axis strips (drag, fit, format sheet),
// the pointer, the cursors' double click, and predict mode with its mouse-drawn curves.

#include <QCursor>
#include <QDir>
#include <QPixmap>
#include <QWidget>
#include <algorithm>
#include <utility>

#include "app/main_frame.h"
#include "displays/graph/graph_frame.h"
#include "displays/graph/graph_view.h"
#include "logger/helpers.h"
#include "logger/settings.h"
#include "platform/activex/graph_interaction.h"
#include "platform/ui/bars.h"

namespace {

constexpr UINT kControlId = 1000;
constexpr DISPID kPlotMarker = 2, kPlotColour = 14, kPlotFlag = 12, kPlotClear = 19, kPlotData = 21;
constexpr const char* kNoMorePlotsText = "Can't add more plots";

Qt::CursorShape ShapeOf(graph_axis::Pointer p) {
    using P = graph_axis::Pointer;
    switch (p) {
        case P::kSizeWE:
            return Qt::SizeHorCursor;
        case P::kSizeNS:
            return Qt::SizeVerCursor;
        case P::kSizeAll:
            return Qt::SizeAllCursor;
        case P::kZoom243:
            return Qt::CrossCursor;
        case P::kMove292:
            return Qt::OpenHandCursor;
        case P::kMove291:
            return Qt::ClosedHandCursor;
        case P::kPredict181:
            return Qt::PointingHandCursor;
        case P::kErase264:
            return Qt::ForbiddenCursor;
        default:
            return Qt::ArrowCursor;
    }
}

// The program's own pointers, drawn beside the toolbar pictures; Qt's shape when one is missing.
QCursor CursorOf(graph_axis::Pointer p) {
    using P = graph_axis::Pointer;
    struct Own {
        P pointer;
        int resource, hotX, hotY;
    };
    static const Own own[] = {{P::kZoom243, 243, 12, 12},
                              {P::kPredict181, 181, 2, 29},
                              {P::kErase264, 264, 3, 27},
                              {P::kMove291, 291, 16, 16},
                              {P::kMove292, 292, 16, 16}};
    for (const Own& o : own) {
        if (o.pointer != p) continue;
        const QDir folder(ToolbarPictureFolder().ToQString());
        const QPixmap picture(folder.filePath(QString("../pointers/cursor%1.xpm").arg(o.resource)));
        if (!picture.isNull()) return QCursor(picture, o.hotX, o.hotY);
    }
    return QCursor(ShapeOf(p));
}

}  // namespace

BEGIN_MESSAGE_MAP(CGraphView, CFormView)
ON_COMMAND(4825, OnSlope)
ON_COMMAND(4826, OnArea)
ON_COMMAND(2107, OnArea)
ON_COMMAND(2110, ToggleErasePrediction)
ON_COMMAND(2140, OnAddAnnotation)
ON_COMMAND(2141, OnMoveAnnotationMode)
ON_COMMAND(2142, OnAnnotationNothing)
ON_COMMAND(2143, OnFocusGraph)
ON_COMMAND(3899, OnAutoscale)
ON_COMMAND(3900, OnAddPrediction)
ON_COMMAND(3901, OnPauseContinue)
ON_COMMAND(3898, OnExportToExcel)
ON_COMMAND(3870, OnDisplayCursor)
ON_COMMAND(2130, OnToggleSecondCursor)
ON_COMMAND(2082, OnPanMode)
ON_COMMAND(3962, OnPanMode)
ON_COMMAND(2083, OnZoomMode)
ON_COMMAND(3961, OnZoomMode)
ON_COMMAND(3963, OnCropData)
ON_COMMAND(4828, OnStatistics)
ON_COMMAND(2161, OnStatistics)
ON_COMMAND(2091, OnBarGraph)
ON_COMMAND(2105, OnYvsXCommand)
ON_COMMAND(3891, OnViewProperties)
ON_COMMAND(3903, OnAddGraphToProject)
ON_COMMAND(2110, ToggleErasePrediction)
END_MESSAGE_MAP()

void CGraphView::BindControlEvents() {
    platform::EventSinkTable& sinks = GetEventSinks();
    sinks.On(kControlId, DISPID_DBLCLICK, [this] { OnDblClick(); });
    sinks.On(kControlId, DISPID_MOUSEDOWN,
             [this](SHORT b, SHORT s, LONG x, LONG y) { OnMouseDown(b, s, x, y); });
    sinks.On(kControlId, DISPID_MOUSEMOVE,
             [this](SHORT b, SHORT s, LONG x, LONG y) { OnMouseMove(b, s, x, y); });
    sinks.On(kControlId, DISPID_MOUSEUP,
             [this](SHORT b, SHORT s, LONG x, LONG y) { OnMouseUp(b, s, x, y); });
    sinks.On(kControlId, 1,
             [this](LONG& v, VARIANT& a, VARIANT& b, bool& f) { OnControlEvent1(v, a, b, f); });
    sinks.On(kControlId, 4, [this](SHORT a, SHORT b, VARIANT& c, VARIANT& d, SHORT& e, LONG& f) {
        OnControlEvent4(a, b, c, d, e, f);
    });
    sinks.On(kControlId, 5, [this](SHORT b, SHORT s, double x, double y, LONG plot, LONG point) {
        OnPlotClick(b, s, x, y, plot, point);
    });
    sinks.On(kControlId, 8,
             [this](SHORT b, SHORT s, double x, double y) { OnPlotAreaClick(b, s, x, y); });
    sinks.On(kControlId, 11,
             [this](LONG index, LONG plot, bool t) { OnAnnotationChanged(index, plot, t); });
    sinks.On(kControlId, 14, [this](SHORT b, SHORT s, double x, double y, LONG plot, LONG index) {
        OnAnnotationMouseDown(b, s, x, y, plot, index);
    });
    sinks.On(kControlId, 9050,
             [this](LONG c, double x, double y, LONG i, bool t) { OnCursorMoved(c, x, y, i, t); });
}

void CGraphView::OnControlEvent1(LONG&, VARIANT&, VARIANT&, bool&) {}
void CGraphView::OnControlEvent4(SHORT, SHORT, VARIANT&, VARIANT&, SHORT&, LONG&) {}

int CGraphView::HitTestRegion(LONG x, LONG y) const {
    CRect client;
    m_graph.GetClientRect(&client);
    return graph_axis::HitTestRegion(x, y, client.Width(), client.Height(),
                                     m_graph.GetAxes().Count());
}

void CGraphView::SetPointer(int region) {
    graph_axis::PointerModes modes;
    modes.pan = m_panMode;
    modes.zoom = m_zoomMode;
    modes.predict = m_predictMode;
    modes.moveAnnotation = m_moveAnnotationMode;
    modes.annotationSelected = m_annotationSelected;
    modes.erase = m_eraseMode;
    m_pointer = graph_axis::PointerFor(region, modes);
    if (QWidget* w = m_graph.GetWidget()) w->setCursor(CursorOf(m_pointer));
}

void CGraphView::OnMouseDown(SHORT button, SHORT, LONG x, LONG y) {
    m_downX = x;
    m_downY = y;
    m_elementPressed = 0;
    const int region = HitTestRegion(x, y);
    SetPointer(region);
    if (region == 0) {
        m_stripPressed = 0;
        return;
    }
    if (button == platform::graph::kLeftButton) {
        m_stripPressed = 1;
        m_axisDrag = 1;
        m_lastX = x;
        m_lastY = y;
        return;
    }
    OpenFormatSheet(region == 1 ? 0 : region == 2 ? 1 : m_rightAxis - 1);
}

bool CGraphView::DragAxis(int axis, bool raise) {
    const double lo = GetAxisMinimum(axis), hi = GetAxisMaximum(axis);
    const double step = std::max((hi - lo) / 10.0, 0.1);
    const double top = raise ? hi + step : hi - step;
    SetAxisMaximum(axis, top, FALSE);
    // An axis whose range would be empty gets its old range back.
    if (!(top > lo) || GetAxisMinimum(axis) != lo) {
        SetAxisRange(axis, lo, hi, FALSE, TRUE);
        return false;
    }
    return true;
}

void CGraphView::OnMouseMove(SHORT, SHORT, LONG x, LONG y) {
    SetPointer(HitTestRegion(x, y));
    if (m_axisDrag != 1) return;
    CRect client;
    m_graph.GetClientRect(&client);
    const LONG h = client.Height(), w = client.Width();
    bool moved = true;
    if (y > h - 45) {
        if (x == m_lastX) return;
        moved = DragAxis(1, x < m_lastX);
    } else if (x < 40) {
        if (y == m_lastY) return;
        moved = DragAxis(2, y > m_lastY);
    } else if (w - 45 < x && x < w && m_graph.GetAxes().Count() > 2) {
        if (y == m_lastY) return;
        moved = DragAxis(m_rightAxis, y > m_lastY);
    } else {
        return;
    }
    if (moved) {
        m_lastX = x;
        m_lastY = y;
    }
}

void CGraphView::OnMouseUp(SHORT, SHORT, LONG, LONG) {
    m_axisDrag = 0;
    PlaceAnnotations();
}

void CGraphView::OnDblClick() {
    m_graph.SetFocus();
    switch (HitTestRegion(m_downX, m_downY)) {
        case 1:
            ApplyAxisScales(0, FALSE, 0);
            return;
        case 2:
            ScaleAxisToData(2, 0, 0, 0);
            return;
        case 3:
            ScaleAxisToData(m_rightAxis, 0, 0, 0);
            return;
        default:
            break;
    }
    if (m_paused) return;
    if (m_cursorCount >= 1)
        ShowCursors();
    else
        m_cursorCount = 0;
}

void CGraphView::OnPlotClick(SHORT button, SHORT, double, double, LONG plot, LONG point) {
    m_clickedPlot = plot + 1;
    m_clickedPoint = point;
    // A press on a measured plot is no drawing click; one on a prediction is, unless erasing.
    if (plot < m_plotCount) {
        if (button == platform::graph::kLeftButton) m_elementPressed = 1;
        return;
    }
    if (m_predictMode && m_eraseMode) RemovePredictionPlot(plot + 1);
}

void CGraphView::OnPlotAreaClick(SHORT button, SHORT, double x, double y) {
    if (m_formatSheetOpen || !m_predictMode || !m_paused || m_eraseMode || m_elementPressed) return;
    AddPredictionPoint(x, y, button);
}

// ---- predict mode ----

void CGraphView::LeavePanZoomModes() {
    if (!m_panMode && !m_zoomMode) return;
    m_panMode = m_zoomMode = 0;
    m_graph.SetTrackMode(m_cursorCount > 0 ? 2 : 1);
    if (m_frame) m_frame->m_panOn = m_frame->m_zoomOn = FALSE;
    if (CMainFrame* f = MainFrame()) f->m_panModeOn = f->m_zoomModeOn = 0;
}

void CGraphView::ToggleErasePrediction() {
    if (!m_predictMode) return;
    m_eraseMode = m_eraseMode ? 0 : 1;
    m_graph.SetTrackMode(m_eraseMode ? 1 : 0);
    if (m_frame) {
        m_frame->m_eraseOn = m_eraseMode;
        m_frame->m_predictDrawing = m_eraseMode ? 0 : 1;
    }
}

void CGraphView::TogglePredictMode() {
    CMainFrame* main = MainFrame();
    if (!m_predictMode) {
        LeavePanZoomModes();
        m_predictionCount = 0;
        m_removedPredictions = 0;
        StopScrollTimer();
        m_predictMode = m_predictActive = 1;
        m_paused = 1;
        m_graph.SetTrackMode(0);
        OnAddPrediction();
        // In predict mode a user may add more predictions, from the menu or the graph's button.
        if (main) main->m_graphPaused = main->m_predictionAvailable = 1;
        if (m_frame) {
            m_frame->m_predictMode = m_frame->m_predictDrawing = 1;
            m_frame->m_paused = TRUE;
            m_frame->m_eraseEnabled = m_frame->m_addPredictionEnabled = TRUE;
        }
        return;
    }
    if (m_eraseMode) ToggleErasePrediction();
    CDispatchDriver plots = m_graph.GetPlots();
    for (int k = m_predictionCount - 1; k >= 0; --k) {
        const VARIANT index = VarI4(m_predictions[k].plot);
        plots.InvokeMethod(257, {&index, 1});
        m_predictions[k] = PredictionStruct();
    }
    m_predictionCount = 0;
    m_predictMode = m_predictActive = 0;
    m_paused = 0;
    m_graph.SetTrackMode(m_cursorCount > 0 ? 2 : 1);
    StartScrollTimer();
    if (main) main->m_graphPaused = main->m_predictionAvailable = 0;
    if (m_frame) {
        m_frame->m_predictMode = m_frame->m_predictDrawing = 0;
        m_frame->m_paused = FALSE;
        m_frame->m_eraseEnabled = m_frame->m_addPredictionEnabled = FALSE;
    }
}

void CGraphView::OnAddPrediction() {
    if (!m_predictMode) {
        TogglePredictMode();
        return;
    }
    if (m_eraseMode) return;
    if (m_predictionCount >= kMaxPredictions) {
        ShowMessage(kNoMorePlotsText, 0);
        return;
    }
    CDispatchDriver plots = m_graph.GetPlots();
    VARIANT made;
    plots.InvokeMethod(258, {}, &made);
    PredictionStruct& p = m_predictions[m_predictionCount];
    p = PredictionStruct();
    p.plot = plots.Count();
    CDispatchDriver plot = plots.Item(p.plot);
    plot.SetLong(kPlotMarker, 12);
    // The first prediction takes the last settings colour, the next ones the colours before it.
    const int colour = ((7 - m_predictionCount - m_removedPredictions) % 8 + 8) % 8;
    if (CSettings* s = Settings())
        plot.SetLong(kPlotColour, static_cast<LONG>(s->m_plotColors[colour]));
    plot.SetBool(kPlotFlag, false);
    ++m_predictionCount;
}

void CGraphView::PlotPrediction(int k) {
    const PredictionStruct& p = m_predictions[k];
    CDispatchDriver plot = m_graph.GetPlots().Item(p.plot);
    if (p.x.empty()) {
        plot.InvokeMethod(kPlotClear);
        return;
    }
    const VARIANT args[2] = {VarArray(p.x), VarArray(p.y)};
    plot.InvokeMethod(kPlotData, args);
}

void CGraphView::AddPredictionPoint(double x, double y, SHORT button) {
    // Taking a point back needs a prediction to take it from.
    if (m_predictionCount == 0 && button != platform::graph::kLeftButton) return;
    if (m_predictionCount == 0) OnAddPrediction();
    if (m_predictionCount == 0) return;
    const int k = m_predictionCount - 1;
    PredictionStruct& p = m_predictions[k];
    if (button == platform::graph::kLeftButton) {
        p.x.push_back(x);
        p.y.push_back(y);
    } else if (!p.x.empty()) {
        p.x.pop_back();
        p.y.pop_back();
    }
    PlotPrediction(k);
}

void CGraphView::OnPauseContinue() {
    if (!m_predictMode) {
        TogglePredictMode();
        return;
    }
    CMainFrame* main = MainFrame();
    if (m_paused) {
        if (main) main->m_graphPaused = 0;
        if (m_eraseMode) ToggleErasePrediction();
        if (m_frame) m_frame->m_paused = FALSE, m_frame->m_predictDrawing = 0;
        m_paused = 0;
        StartScrollTimer();
        return;
    }
    if (main) main->m_graphPaused = 1;
    StopScrollTimer();
    if (m_frame) m_frame->m_paused = TRUE, m_frame->m_predictDrawing = 1;
    m_paused = 1;
}

void CGraphView::RemovePredictionPlot(LONG plot) {
    int k = 0;
    while (k < m_predictionCount && m_predictions[k].plot != plot)
        ++k;
    if (k >= m_predictionCount) return;
    CDispatchDriver plots = m_graph.GetPlots();
    if (plot >= 1 && plot <= plots.Count()) {
        plots.Item(plot).InvokeMethod(kPlotClear);
        const VARIANT index = VarI4(plot);
        plots.InvokeMethod(257, {&index, 1});
    }
    // The control renumbers the plots after it; the records follow.
    for (int j = k; j + 1 < m_predictionCount; ++j) {
        m_predictions[j] = std::move(m_predictions[j + 1]);
        m_predictions[j].plot -= 1;
    }
    m_predictions[m_predictionCount - 1] = PredictionStruct();
    --m_predictionCount;
    ++m_removedPredictions;
}
