#pragma once
// The graph control's interaction: mouse and key input in the track modes, turned into the
// control's events and gestures. Widget-free; the control feeds it input in client pixels.
//
// Order of events: a press in the plot area raises -605, then at most one element event (14 on
// a label or shape, else 5 on a plot), then 8, then the mode's drag may begin (in modes 3 and 6
// only -605). A move raises -606, then the drag's step. A release finishes the drag first (the
// zoom applied, the final 9050 or 11) and then raises -607. The second press of a double click
// raises -605 and -601 only. Presses outside the plot area raise only the mouse events.
//
// A handler may call back into the control, even remove the object being dragged or destroy the
// control: the gesture then ends quietly. Every entry returns false once the control is gone;
// the caller must then touch nothing of it.

#include <QPointF>
#include <QRectF>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/activex/graph_model.h"

namespace platform::graph {

// Raises one event; false when the control is gone afterwards.
using RaiseEvent = std::function<bool(DISPID, std::vector<VARIANT>&)>;

// Buttons as the events give them: 1 left, 2 right, 4 middle. Shift state: 1 Shift, 2 Ctrl, 4 Alt.
constexpr SHORT kLeftButton = 1, kRightButton = 2, kMiddleButton = 4;

class GraphInteraction {
public:
    explicit GraphInteraction(GraphModel& model) : m_model(model) {}

    bool Press(const RaiseEvent& raise, SHORT button, SHORT shift, QPointF pos, bool doubleClick);
    bool Move(const RaiseEvent& raise, SHORT buttons, SHORT shift, QPointF pos);
    bool Release(const RaiseEvent& raise, SHORT button, SHORT shift, QPointF pos);
    bool Key(const RaiseEvent& raise, SHORT& key, SHORT shift);

    std::optional<QRectF> RubberBand() const;
    bool Dragging() const { return m_drag != Drag::None; }

private:
    enum class Drag { None, Cursor, Pan, Zoom, Label };
    bool DragStep(const RaiseEvent& raise, QPointF pos, bool tracking);
    bool DragTargetValid() const;
    void Pan(QPointF pos);

    GraphModel& m_model;
    Drag m_drag = Drag::None;
    LONG m_mode = 1;
    int m_cursor = 0;
    ObjectId m_cursorPlot = 0;
    ObjectId m_annotation = 0;
    QPointF m_start, m_current;
    std::vector<Axis> m_startAxes;
};

}  // namespace platform::graph
