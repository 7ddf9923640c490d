#pragma once
// The model of our graph control: plots, axes, cursors and annotations, reached by numbered
// members through Invoke. Plain C++: it draws nothing and needs no widget. The control's widget
// renders its state and turns the user's gestures into the model's gesture operations.

#include <QRectF>
#include <QSizeF>
#include <array>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/activex/dispatch.h"
#include "platform/activex/plot_data.h"
#include "platform/base/graph_style.h"
#include "platform/base/number_format.h"

namespace platform::graph {

using ObjectId = std::uint32_t;

// The member numbers of the graph control and its objects.
namespace id {
constexpr DISPID kTrackMode = 3, kPlots = 10, kAxes = 11, kCursors = 15, kAnnotations = 39;
constexpr DISPID kClearData = 19, kSetActiveCursor = 21, kLoadStyle = 514;
constexpr DISPID kBackground = 9001, kPicture = 9002, kPlotArea = 9003;
constexpr DISPID kItem = 0, kCount = 256, kRemove = 257, kAdd = 258, kRemoveAll = 259;
constexpr DISPID kPictureWidth = 9011, kPictureHeight = 9012;
// Events.
constexpr DISPID kPlotClick = 5, kPlotAreaClick = 8, kAnnotationChanged = 11, kAnnotationPress = 14;
constexpr DISPID kCursorMoved = 9050;
}  // namespace id

struct TicksLook {
    bool nearSide = true, farSide = false;
    bool ticks = true, labels = true, minor = false, grid = false, minorGrid = false;
    COLORREF color = 0, minorColor = 0;
};

struct Plot {
    ObjectId id = 0;
    LONG lineStyle = 1;  // 0 none, 1 solid, 2 dash, 3 dash-dot, 4 dot
    LONG marker = 0;     // 0 none, 1-22
    CString name;
    SHORT width = 1;
    bool flag12 = true;  // kept for the caller
    ObjectId axis = 0;   // its Y axis
    COLORREF lineColor = 0, markerColor = 0, fillColor = RGB(0xC0, 0xC0, 0xC0);
    LONG fill = 0;
    // The line breaks between two points whose X are further apart than this; 0 joins them all.
    double breakStep = 0;
    // Where given, the step is judged on these keys instead of X: a Y-versus-X line, whose X
    // wander, breaks where its sample numbers jump. Entry i goes with point i; points past the
    // end are judged on X. Only appended to, so a picture taken earlier reads the same entries.
    std::shared_ptr<std::vector<double>> breakKeys;
    PlotPointsPtr points = PlotPoints::Empty();
};

struct Axis {
    ObjectId id = 0, ticksId = 0, captionId = 0;
    bool logarithmic = false;
    double min = 0, max = 10;
    COLORREF color = 0;
    bool autoscale = false;
    TicksLook ticks;
    TicksLook captionSides;
    NumberFormat format;
    bool ownScale = false;
    COLORREF captionColor = 0;
    CString caption;
    double spacing = 0;
    double barWidth = 1;  // of each bar, centred on its point
    bool DrawnLog() const { return logarithmic && min > 0; }
};

struct Cursor {
    ObjectId id = 0;
    double x = 0, y = 0;
    LONG index = -1;
    ObjectId plot = 0;  // 0: unsnapped
    bool visible = false;
    bool xPut = false, yPut = false;  // placed while unsnapped
};

struct Caption {
    CString text;
    double x = 0, y = 0;
    LONG frame = 0;  // 0 box, 1 text only
    LONG anchor = 0;
};

struct Shape {
    LONG kind = 2;  // 2 segment, 4 polygon
    COLORREF fillColor = RGB(0xC0, 0xC0, 0xC0);
    bool filled = false, outline = true, beneath = false;
    LONG lineStyle = 0;  // 0 solid, 1 dash, 2 dot
    LONG width = 1;
    DoubleArray x, y;
};

struct Annotation {
    ObjectId id = 0, captionId = 0, shapeId = 0, connectorId = 0;
    bool visible = true;
    LONG coordMode = 0;
    ObjectId plot = 0;  // 0: axes 1 and 2
    LONG point = 0;
    LONG kind = 5;  // 3 shape, 5 text label
    Caption caption;
    Shape shape;
    LONG head = 0;        // 0 arrow, 1 none, 2 dot
    LONG attachment = 1;  // 1 label only, 2 pinned to its point
};

// Everything the control shows; copied cheaply (point arrays are shared) for a picture.
struct GraphState {
    LONG trackMode = 1;
    CString caption;
    COLORREF background = RGB(0xF0, 0xF0, 0xF0);
    GraphStyle style;
    LONG activeCursor = 0;
    std::vector<Plot> plots;
    std::vector<Axis> axes;  // [0] is the X axis
    std::array<Cursor, 3> cursors;
    std::vector<Annotation> annotations;

    const Plot* FindPlot(ObjectId id) const;
    const Axis* FindAxis(ObjectId id) const;
    const Axis& YAxisOf(const Plot& plot) const;  // axis 2 when its own is gone
    int PlotIndex(ObjectId id) const;             // 0-based, -1 when none
};

class GraphModel : public DispatchTarget, public std::enable_shared_from_this<GraphModel> {
public:
    static std::shared_ptr<GraphModel> Create();
    HRESULT InvokeObject(ObjectId objectId, DISPID id, WORD kind, std::span<const VARIANT> args,
                         VARIANT* result) override;

    DispatchHandle Graph() { return Handle(kGraphId); }
    DispatchHandle Handle(ObjectId id);
    const GraphState& State() const { return m_s; }

    // The client size the control lays out at (the widget's size).
    void SetClientSize(QSizeF size) { m_client = size; }
    QSizeF ClientSize() const { return m_client; }
    // Called after every change that alters the look.
    std::function<void()> onChange;
    // Every property of every object, one line each, for tests that check nothing changed.
    CString Dump() const;

    // ---- gestures of the user (the control's interaction calls them) ----
    // Moves a snapped cursor to its plot's point nearest `pos` (client pixels), or an unsnapped
    // one to `pos`; false when nothing moved.
    bool DragCursor(int cursor, QPointF pos);
    void SetAxisRanges(
        const std::vector<std::pair<double, double>>& ranges);  // per axis, autoscale off
    void MoveCaptionTo(ObjectId annotation, double x, double y);

private:
    GraphModel();
    static constexpr ObjectId kGraphId = 1, kPlotsId = 2, kAxesId = 3, kCursorsId = 4,
                              kAnnotationsId = 5;
    enum class Kind {
        Graph,
        Plots,
        Axes,
        Cursors,
        Annotations,
        Plot,
        Axis,
        Ticks,
        AxisCaption,
        Cursor,
        Annotation,
        Caption,
        Shape,
        Connector
    };
    struct Ref {
        Kind kind;
        ObjectId owner;
    };
    struct Call {
        DISPID id;
        WORD kind;
        std::span<const VARIANT> args;
        VARIANT* result;
    };

    HRESULT GraphCall(const Call& c);
    HRESULT CollectionCall(Kind kind, const Call& c);
    HRESULT PlotCall(Plot& p, const Call& c);
    HRESULT AxisCall(Axis& a, const Call& c);
    HRESULT TicksCall(TicksLook& t, const Call& c);
    HRESULT CursorCall(Cursor& cur, const Call& c);
    HRESULT AnnotationCall(Annotation& a, const Call& c);
    HRESULT CaptionCall(Caption& cap, const Call& c);
    HRESULT ShapeCall(Shape& s, const Call& c);
    HRESULT ConnectorCall(Annotation& a, const Call& c);

    ObjectId NewId(Kind kind, ObjectId owner, int span = 1);
    Axis MakeAxis(bool ownScale);
    Annotation MakeAnnotation(bool visible);
    void ForgetObject(ObjectId id, int span);
    void RemovePlotAt(size_t index);
    void ResetAnnotationSlots();
    // A plot object or 1-based number from an argument; 0 for "none" when allowed.
    HRESULT ResolvePlotArg(const VARIANT& v, bool allowNone, ObjectId& out) const;
    void SnapCursor(Cursor& cur, ObjectId plot);
    void PlaceCursorAt(Cursor& cur, const Plot& plot, size_t index);
    void Autoscale();
    void Changed();
    Plot* MutablePlot(ObjectId id);
    Axis* MutableAxis(ObjectId id);

    GraphState m_s;
    std::unordered_map<ObjectId, Ref> m_refs;
    ObjectId m_nextId = 100;
    QSizeF m_client{400, 300};
};

}  // namespace platform::graph
