#pragma once
// The graph control (class "CWGraph") and its wrapper CCWGraph. The control is a child window
// with its own widget; the program drives it only by numbered members through Invoke, and it
// raises its events to its parent's sink table (CEventSinkHost).

#include <QRectF>
#include <QSizeF>
#include <memory>

#include "platform/activex/control_base.h"
#include "platform/activex/dispatch.h"
#include "platform/activex/graph_interaction.h"
#include "platform/activex/graph_model.h"

class CDC;
class QPainter;

class CWGraph : public CActiveXControl {
public:
    CWGraph();
    ~CWGraph() override;
    using CWnd::Create;
    BOOL Create(const RECT& rect, CWnd* parent, UINT id,
                DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP);

    DispatchHandle GetDispatch() const override;
    CString Dump() const override;
    // Paints the control as it is now, laid out at `logical` (the client size by default).
    void Render(QPainter& painter, const QRectF& target, QSizeF logical = QSizeF()) const;
    void Render(CDC& dc, const RECT& target) const;

    // Input, as the widget delivers it (client pixels); also for tests.
    void MouseDown(SHORT button, SHORT shift, QPointF pos, bool doubleClick);
    void MouseMove(SHORT buttons, SHORT shift, QPointF pos);
    void MouseUp(SHORT button, SHORT shift, QPointF pos);
    void KeyDown(SHORT key, SHORT shift);
    std::optional<QRectF> RubberBand() const;

protected:
    QWidget* MakeWidget(QWidget* parentWidget, const CREATESTRUCT& cs) override;
    int OnCreate(LPCREATESTRUCT cs) override;
    void OnDestroy() override;
    void OnSize(UINT type, int cx, int cy) override;

private:
    platform::graph::RaiseEvent Raiser();
    std::shared_ptr<platform::graph::GraphModel> m_model;
    std::unique_ptr<platform::graph::GraphInteraction> m_interaction;
};

// The wrapper the graph view holds.
class CCWGraph : public CActiveXWrapper {
public:
    using CWnd::Create;
    BOOL Create(const RECT& rect, CWnd* parent, UINT id,
                DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP);
    CWGraph* GetGraphControl() const { return dynamic_cast<CWGraph*>(GetControl()); }
    CDispatchDriver GetGraph() const { return GetDriver(); }

    // The members the graph view calls most, on top of Invoke.
    CDispatchDriver GetPlots() const { return GetGraph().GetObject(10); }
    CDispatchDriver GetAxes() const { return GetGraph().GetObject(11); }
    CDispatchDriver GetCursors() const { return GetGraph().GetObject(15); }
    CDispatchDriver GetAnnotations() const { return GetGraph().GetObject(39); }
    LONG GetTrackMode() const { return GetGraph().GetLong(3); }
    HRESULT SetTrackMode(LONG mode) const { return GetGraph().SetLong(3, mode); }
    CString GetCaption() const { return GetGraph().GetString(DISPID_CAPTION); }
    HRESULT SetCaption(const CString& text) const {
        return GetGraph().SetString(DISPID_CAPTION, text);
    }
    HRESULT ClearData() const { return InvokeMethod(19); }
    HRESULT LoadStyle(const CString& path) const;
    CDispatchDriver GetPicture() const { return GetGraph().GetObject(9002); }
};

// The picture (graph member 9002) drawn where the program wants it: a printer page, an image.
class CCWPicture : public CDispatchDriver {
public:
    CCWPicture() = default;
    explicit CCWPicture(const CDispatchDriver& d) : CDispatchDriver(d) {}
    LONG GetWidth() const { return GetLong(9011); }
    LONG GetHeight() const { return GetLong(9012); }
    HRESULT SetWidth(LONG width) const { return SetLong(9011, width); }
    HRESULT SetHeight(LONG height) const { return SetLong(9012, height); }
    // False when the handle names no picture.
    bool Render(CDC& dc, const RECT& target) const;
    bool Render(QPainter& painter, const QRectF& target) const;
    QByteArray Svg() const;
};
