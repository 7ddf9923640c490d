#pragma once
// The picture of the graph (member 9002): a snapshot of the control when taken. It shares the
// point arrays, so taking it copies no points, and renders through the control's one renderer,
// as vectors on any device.

#include <QByteArray>
#include <QRectF>

#include "platform/activex/graph_model.h"

class CDC;
class QPainter;
struct RECT;

namespace platform::graph {

class GraphPicture : public DispatchTarget {
public:
    static constexpr ObjectId kObjectId = 1;
    GraphPicture(GraphState state, QSizeF logical)
        : m_state(std::move(state)), m_logical(logical) {}

    HRESULT InvokeObject(ObjectId objectId, DISPID id, WORD kind, std::span<const VARIANT> args,
                         VARIANT* result) override;

    QSizeF LogicalSize() const { return m_logical; }
    void Render(QPainter& painter, const QRectF& target) const;
    void Render(CDC& dc, const RECT& target) const;
    // The vector form for the clipboard, at the logical size.
    QByteArray Svg() const;

private:
    GraphState m_state;
    QSizeF m_logical;
};

}  // namespace platform::graph
