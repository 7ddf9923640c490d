#include "platform/activex/graph_control.h"

#include <QFocusEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWidget>

#include "platform/activex/event_sink.h"
#include "platform/activex/graph_picture.h"
#include "platform/activex/graph_render.h"
#include "platform/gdi/dc.h"
#include "platform/msg/keys.h"
#include "platform/msg/message_pos.h"
#include "platform/win/widget_bridge.h"

namespace platform::activex {
namespace {

// The graph's widget. It keeps the mouse pointer the host sets, and finds its control through the
// handle at every event, so an event after the control is gone does nothing.
class GraphWidget : public QWidget {
public:
    explicit GraphWidget(QWidget* parent) : QWidget(parent) {
        setFocusPolicy(Qt::StrongFocus);
        setMouseTracking(true);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    CWGraph* Control() const {
        return dynamic_cast<CWGraph*>(CWnd::FromHandlePermanent(HandleOfWidget(this)));
    }
    void Note(QMouseEvent* e) {
        const QPoint g = e->globalPosition().toPoint();
        SetMessagePos(g.x(), g.y());
    }
    // The graph is drawn into an image of the widget's pixels and then shown: in a plain image
    // the dense traces of long runs go straight into the pixels, where on the widget every
    // column of them would go through the painter. The picture is the same either way.
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        CWGraph* g = Control();
        if (!g) {
            p.fillRect(rect(), palette().window());
            return;
        }
        const qreal ratio = devicePixelRatioF();
        const QSize pixels = (QSizeF(size()) * ratio).toSize();
        if (m_frame.size() != pixels) m_frame = QImage(pixels, QImage::Format_RGB32);
        m_frame.setDevicePixelRatio(ratio);
        QPainter frame(&m_frame);
        g->Render(frame, QRectF(rect()), QSizeF(size()));
        frame.end();
        p.drawImage(QPointF(0, 0), m_frame);
    }
    void mousePressEvent(QMouseEvent* e) override {
        Note(e);
        if (CWGraph* g = Control())
            g->MouseDown(ButtonCode(e->button()), ShiftState(e->modifiers()), e->position(), false);
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override {
        Note(e);
        if (CWGraph* g = Control())
            g->MouseDown(ButtonCode(e->button()), ShiftState(e->modifiers()), e->position(), true);
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        Note(e);
        if (CWGraph* g = Control())
            g->MouseMove(ButtonCode(e->buttons()), ShiftState(e->modifiers()), e->position());
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        Note(e);
        if (CWGraph* g = Control())
            g->MouseUp(ButtonCode(e->button()), ShiftState(e->modifiers()), e->position());
    }
    void keyPressEvent(QKeyEvent* e) override {
        const UINT vk = VirtualKeyFromQt(e->key());
        if (CWGraph* g = Control(); g && vk)
            g->KeyDown(static_cast<SHORT>(vk), ShiftState(e->modifiers()));
        else
            QWidget::keyPressEvent(e);
    }
    void resizeEvent(QResizeEvent*) override {
        if (CWGraph* g = Control())
            g->SendMessage(WM_SIZE, 0,
                           MAKELPARAM(static_cast<WORD>(width()), static_cast<WORD>(height())));
    }
    bool focusNextPrevChild(bool) override { return false; }

private:
    QImage m_frame;  // kept between paints while the size stays
};

}  // namespace
}  // namespace platform::activex

using platform::graph::GraphModel;

CWGraph::CWGraph() = default;
CWGraph::~CWGraph() {
    if (m_hWnd) DestroyWindow();
}

BOOL CWGraph::Create(const RECT& rect, CWnd* parent, UINT id, DWORD style) {
    return CWnd::Create("CWGraph", "", style, rect, parent, id);
}

QWidget* CWGraph::MakeWidget(QWidget* parentWidget, const CREATESTRUCT&) {
    return new platform::activex::GraphWidget(parentWidget);
}

int CWGraph::OnCreate(LPCREATESTRUCT cs) {
    m_model = GraphModel::Create();
    m_model->SetClientSize(QSizeF(cs->cx, cs->cy));
    const platform::WindowWatch self(*this);
    m_model->onChange = [self] {
        if (CWnd* w = self.Window()) w->Invalidate(FALSE);
    };
    m_interaction = std::make_unique<platform::graph::GraphInteraction>(*m_model);
    return 0;
}

void CWGraph::OnDestroy() {
    // Handles to the graph's objects go stale with the window.
    m_interaction.reset();
    if (m_model) m_model->onChange = nullptr;
    m_model.reset();
}

void CWGraph::OnSize(UINT, int cx, int cy) {
    if (m_model) m_model->SetClientSize(QSizeF(cx, cy));
    Invalidate(FALSE);
}

DispatchHandle CWGraph::GetDispatch() const {
    return m_model ? m_model->Graph() : DispatchHandle();
}

void CWGraph::Render(QPainter& painter, const QRectF& target, QSizeF logical) const {
    if (!m_model) return;
    if (logical.isEmpty()) logical = m_model->ClientSize();
    platform::graph::RenderGraph(painter, m_model->State(), target, logical, RubberBand());
}

void CWGraph::Render(CDC& dc, const RECT& target) const {
    if (QPainter* p = dc.GetPainter())
        Render(*p, QRectF(target.left, target.top, target.right - target.left,
                          target.bottom - target.top));
}

CString CWGraph::Dump() const {
    return m_model ? m_model->Dump() : CString();
}

std::optional<QRectF> CWGraph::RubberBand() const {
    return m_interaction ? m_interaction->RubberBand() : std::nullopt;
}

platform::graph::RaiseEvent CWGraph::Raiser() {
    const platform::WindowWatch self(*this);
    return [self, this](DISPID id, std::vector<VARIANT>& args) { return Raise(self, id, args); };
}

// Each entry keeps its own copy of the raiser: a handler may delete this object.
void CWGraph::MouseDown(SHORT button, SHORT shift, QPointF pos, bool doubleClick) {
    if (!m_interaction || !IsWindowEnabled()) return;
    const auto raise = Raiser();
    m_interaction->Press(raise, button, shift, pos, doubleClick);
}

void CWGraph::MouseMove(SHORT buttons, SHORT shift, QPointF pos) {
    if (!m_interaction || !IsWindowEnabled()) return;
    const auto raise = Raiser();
    m_interaction->Move(raise, buttons, shift, pos);
}

void CWGraph::MouseUp(SHORT button, SHORT shift, QPointF pos) {
    if (!m_interaction || !IsWindowEnabled()) return;
    const auto raise = Raiser();
    m_interaction->Release(raise, button, shift, pos);
}

void CWGraph::KeyDown(SHORT key, SHORT shift) {
    if (!m_interaction || !IsWindowEnabled()) return;
    const auto raise = Raiser();
    // A handler that sets the code to 0 would stop the control's own key action; it has none.
    m_interaction->Key(raise, key, shift);
}

// ---- CCWGraph ----

BOOL CCWGraph::Create(const RECT& rect, CWnd* parent, UINT id, DWORD style) {
    return CreateControl(std::make_unique<CWGraph>(), "CWGraph", rect, parent, id, style);
}

HRESULT CCWGraph::LoadStyle(const CString& path) const {
    const VARIANT arg = VarStr(path);
    return InvokeMethod(514, std::span<const VARIANT>(&arg, 1));
}

// ---- CCWPicture ----

namespace {
std::shared_ptr<platform::graph::GraphPicture> PictureOf(const CDispatchDriver& d) {
    return std::dynamic_pointer_cast<platform::graph::GraphPicture>(d.GetHandle().Target());
}
}  // namespace

bool CCWPicture::Render(CDC& dc, const RECT& target) const {
    const auto p = PictureOf(*this);
    if (!p) return false;
    p->Render(dc, target);
    return true;
}

bool CCWPicture::Render(QPainter& painter, const QRectF& target) const {
    const auto p = PictureOf(*this);
    if (!p) return false;
    p->Render(painter, target);
    return true;
}

QByteArray CCWPicture::Svg() const {
    const auto p = PictureOf(*this);
    return p ? p->Svg() : QByteArray();
}
