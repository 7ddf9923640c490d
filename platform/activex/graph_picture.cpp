#include "platform/activex/graph_picture.h"

#include <QBuffer>
#include <QPainter>
#include <QSvgGenerator>
#include <cmath>

#include "platform/activex/graph_render.h"
#include "platform/gdi/dc.h"

namespace platform::graph {

HRESULT GraphPicture::InvokeObject(ObjectId objectId, DISPID id, WORD kind,
                                   std::span<const VARIANT> args, VARIANT* result) {
    if (objectId != kObjectId) return RPC_E_DISCONNECTED;
    if (id != id::kPictureWidth && id != id::kPictureHeight) return DISP_E_MEMBERNOTFOUND;
    if (kind == DISPATCH_PROPERTYPUT) {
        // The picture is laid out again at the size given, as the control would be at it.
        if (args.size() != 1) return DISP_E_BADPARAMCOUNT;
        LONG v = 0;
        if (const HRESULT hr = platform::coerce::I4(args[0], v); FAILED(hr)) return hr;
        if (v < 1 || v > 100000) return E_INVALIDARG;
        (id == id::kPictureWidth ? m_logical.rwidth() : m_logical.rheight()) = v;
        return S_OK;
    }
    if (kind != DISPATCH_PROPERTYGET) return DISP_E_MEMBERNOTFOUND;
    if (!args.empty()) return DISP_E_BADPARAMCOUNT;
    const double v = id == id::kPictureWidth ? m_logical.width() : m_logical.height();
    if (result) *result = VarI4(static_cast<LONG>(std::lround(v)));
    return S_OK;
}

void GraphPicture::Render(QPainter& painter, const QRectF& target) const {
    RenderGraph(painter, m_state, target, m_logical);
}

void GraphPicture::Render(CDC& dc, const RECT& target) const {
    if (QPainter* p = dc.GetPainter())
        Render(*p, QRectF(target.left, target.top, target.right - target.left,
                          target.bottom - target.top));
}

QByteArray GraphPicture::Svg() const {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(m_logical.toSize());
    svg.setViewBox(QRectF(QPointF(0, 0), m_logical));
    svg.setResolution(96);
    {
        QPainter p(&svg);
        Render(p, QRectF(QPointF(0, 0), m_logical));
    }
    return bytes;
}

}  // namespace platform::graph
