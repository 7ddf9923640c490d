#include "platform/activex/graph_model.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/activex/graph_layout.h"
#include "platform/activex/graph_picture.h"

namespace platform::graph {
namespace {

namespace co = platform::coerce;

struct CallView {
    WORD kind;
    std::span<const VARIANT> args;
    VARIANT* result;
};

template <class Get, class Set>
HRESULT Property(const CallView& c, Get get, Set set) {
    if (c.kind == DISPATCH_PROPERTYGET) {
        if (!c.args.empty()) return DISP_E_BADPARAMCOUNT;
        *c.result = get();
        return S_OK;
    }
    if (c.kind == DISPATCH_PROPERTYPUT) {
        if (c.args.size() != 1) return DISP_E_BADPARAMCOUNT;
        return set(c.args[0]);
    }
    return DISP_E_MEMBERNOTFOUND;
}

template <class Get>
HRESULT ReadOnly(const CallView& c, Get get) {
    if (c.kind != DISPATCH_PROPERTYGET) return DISP_E_MEMBERNOTFOUND;
    if (!c.args.empty()) return DISP_E_BADPARAMCOUNT;
    *c.result = get();
    return S_OK;
}

template <class F>
HRESULT Method(const CallView& c, size_t argc, F f) {
    if (c.kind != DISPATCH_METHOD) return DISP_E_MEMBERNOTFOUND;
    if (c.args.size() != argc) return DISP_E_BADPARAMCOUNT;
    return f();
}

HRESULT BoolProp(const CallView& c, bool& field) {
    return Property(
        c, [&] { return VarBool(field); },
        [&](const VARIANT& v) {
            bool b;
            const HRESULT hr = co::Bool(v, b);
            if (SUCCEEDED(hr)) field = b;
            return hr;
        });
}

template <class Valid>
HRESULT I4Prop(const CallView& c, LONG& field, Valid valid) {
    return Property(
        c, [&] { return VarI4(field); },
        [&](const VARIANT& v) {
            LONG l;
            if (const HRESULT hr = co::I4(v, l); FAILED(hr)) return hr;
            if (!valid(l)) return E_INVALIDARG;
            field = l;
            return S_OK;
        });
}

HRESULT ColorProp(const CallView& c, COLORREF& field) {
    return Property(
        c, [&] { return VarI4(static_cast<LONG>(field)); },
        [&](const VARIANT& v) {
            COLORREF col;
            const HRESULT hr = co::Color(v, col);
            if (SUCCEEDED(hr)) field = col;
            return hr;
        });
}

HRESULT StringProp(const CallView& c, CString& field) {
    return Property(
        c, [&] { return VarStr(field); },
        [&](const VARIANT& v) {
            CString s;
            const HRESULT hr = co::String(v, s);
            if (SUCCEEDED(hr)) field = s;
            return hr;
        });
}

bool InRange(LONG v, LONG lo, LONG hi) {
    return v >= lo && v <= hi;
}

// The range rule: a put of one end past the other moves the other by the old width, so that
// max > min always holds; both ends put in either order end exactly where they were put.
HRESULT PutRangeEnd(Axis& a, bool isMax, double v) {
    const double width = a.max - a.min;
    double lo = a.min, hi = a.max;
    if (isMax) {
        hi = v;
        if (hi <= lo) lo = hi - width;
        if (!std::isfinite(lo)) return E_INVALIDARG;
        if (!(hi > lo)) lo = std::nextafter(hi, -std::numeric_limits<double>::infinity());
    } else {
        lo = v;
        if (lo >= hi) hi = lo + width;
        if (!std::isfinite(hi)) return E_INVALIDARG;
        if (!(hi > lo)) hi = std::nextafter(lo, std::numeric_limits<double>::infinity());
    }
    if (!std::isfinite(lo) || !std::isfinite(hi)) return E_INVALIDARG;
    a.min = lo, a.max = hi;
    a.autoscale = false;
    return S_OK;
}

HRESULT ArrayPair(std::span<const VARIANT> args, DoubleArray& x, DoubleArray& y) {
    if (const HRESULT hr = co::Array(args[0], x); FAILED(hr)) return hr;
    if (const HRESULT hr = co::Array(args[1], y); FAILED(hr)) return hr;
    if (x->size() != y->size() || x->size() > std::numeric_limits<std::uint32_t>::max())
        return E_INVALIDARG;
    return S_OK;
}

CString Hex(COLORREF c) {
    return CString::Formatted("%06X", static_cast<unsigned>(c));
}

}  // namespace

// ---- GraphState ----

const Plot* GraphState::FindPlot(ObjectId id) const {
    for (const Plot& p : plots)
        if (p.id == id) return &p;
    return nullptr;
}

const Axis* GraphState::FindAxis(ObjectId id) const {
    for (const Axis& a : axes)
        if (a.id == id) return &a;
    return nullptr;
}

const Axis& GraphState::YAxisOf(const Plot& plot) const {
    const Axis* a = FindAxis(plot.axis);
    return a && a != &axes.front() ? *a : axes[1];
}

int GraphState::PlotIndex(ObjectId id) const {
    for (size_t i = 0; i < plots.size(); ++i)
        if (plots[i].id == id) return static_cast<int>(i);
    return -1;
}

// ---- GraphModel ----

std::shared_ptr<GraphModel> GraphModel::Create() {
    return std::shared_ptr<GraphModel>(new GraphModel());
}

GraphModel::GraphModel() {
    m_refs[kGraphId] = {Kind::Graph, kGraphId};
    m_refs[kPlotsId] = {Kind::Plots, kPlotsId};
    m_refs[kAxesId] = {Kind::Axes, kAxesId};
    m_refs[kCursorsId] = {Kind::Cursors, kCursorsId};
    m_refs[kAnnotationsId] = {Kind::Annotations, kAnnotationsId};
    m_s.axes.push_back(MakeAxis(true));
    m_s.axes.push_back(MakeAxis(true));
    for (Cursor& c : m_s.cursors)
        c.id = NewId(Kind::Cursor, 0);
    ResetAnnotationSlots();
}

ObjectId GraphModel::NewId(Kind kind, ObjectId owner, int span) {
    const ObjectId id = m_nextId;
    m_nextId += static_cast<ObjectId>(span);
    m_refs[id] = {kind, owner ? owner : id};
    return id;
}

void GraphModel::ForgetObject(ObjectId id, int span) {
    for (int i = 0; i < span; ++i)
        m_refs.erase(id + static_cast<ObjectId>(i));
}

Axis GraphModel::MakeAxis(bool ownScale) {
    Axis a;
    a.id = NewId(Kind::Axis, 0, 3);
    a.ticksId = a.id + 1;
    a.captionId = a.id + 2;
    m_refs[a.ticksId] = {Kind::Ticks, a.id};
    m_refs[a.captionId] = {Kind::AxisCaption, a.id};
    a.ownScale = ownScale;
    return a;
}

Annotation GraphModel::MakeAnnotation(bool visible) {
    Annotation a;
    a.id = NewId(Kind::Annotation, 0, 4);
    a.captionId = a.id + 1;
    a.shapeId = a.id + 2;
    a.connectorId = a.id + 3;
    m_refs[a.captionId] = {Kind::Caption, a.id};
    m_refs[a.shapeId] = {Kind::Shape, a.id};
    m_refs[a.connectorId] = {Kind::Connector, a.id};
    a.visible = visible;
    return a;
}

void GraphModel::ResetAnnotationSlots() {
    for (const Annotation& a : m_s.annotations)
        ForgetObject(a.id, 4);
    m_s.annotations.clear();
    // The cursor labels and the tangent; a bar graph has only the highlight slot.
    const int slotCount = m_s.style.bar ? 1 : 3;
    for (int i = 0; i < slotCount; ++i)
        m_s.annotations.push_back(MakeAnnotation(false));
}

DispatchHandle GraphModel::Handle(ObjectId id) {
    return DispatchHandle(weak_from_this(), id);
}

Plot* GraphModel::MutablePlot(ObjectId id) {
    return const_cast<Plot*>(m_s.FindPlot(id));
}
Axis* GraphModel::MutableAxis(ObjectId id) {
    return const_cast<Axis*>(m_s.FindAxis(id));
}

void GraphModel::Changed() {
    if (onChange) onChange();
}

HRESULT GraphModel::InvokeObject(ObjectId objectId, DISPID id, WORD kind,
                                 std::span<const VARIANT> args, VARIANT* result) {
    VARIANT scratch;
    const Call call{id, kind, args, result ? result : &scratch};
    auto it = m_refs.find(objectId);
    if (it == m_refs.end()) return RPC_E_DISCONNECTED;
    const Ref ref = it->second;
    HRESULT hr = DISP_E_MEMBERNOTFOUND;
    switch (ref.kind) {
        case Kind::Graph:
            hr = GraphCall(call);
            break;
        case Kind::Plots:
        case Kind::Axes:
        case Kind::Cursors:
        case Kind::Annotations:
            hr = CollectionCall(ref.kind, call);
            break;
        case Kind::Plot:
            hr = PlotCall(*MutablePlot(objectId), call);
            break;
        case Kind::Axis:
            hr = AxisCall(*MutableAxis(objectId), call);
            break;
        case Kind::Ticks:
            hr = TicksCall(MutableAxis(ref.owner)->ticks, call);
            break;
        case Kind::AxisCaption:
            hr = TicksCall(MutableAxis(ref.owner)->captionSides, call);
            break;
        case Kind::Cursor:
            for (Cursor& cur : m_s.cursors)
                if (cur.id == objectId) hr = CursorCall(cur, call);
            break;
        case Kind::Annotation:
        case Kind::Caption:
        case Kind::Shape:
        case Kind::Connector: {
            Annotation* a = nullptr;
            for (Annotation& x : m_s.annotations)
                if (x.id == ref.owner) a = &x;
            if (!a) return RPC_E_DISCONNECTED;
            if (ref.kind == Kind::Annotation)
                hr = AnnotationCall(*a, call);
            else if (ref.kind == Kind::Caption)
                hr = CaptionCall(a->caption, call);
            else if (ref.kind == Kind::Shape)
                hr = ShapeCall(a->shape, call);
            else
                hr = ConnectorCall(*a, call);
            break;
        }
    }
    if (SUCCEEDED(hr) && kind != DISPATCH_PROPERTYGET) Changed();
    return hr;
}

// ---- the graph object ----

HRESULT GraphModel::GraphCall(const Call& call) {
    const CallView c{call.kind, call.args, call.result};
    switch (call.id) {
        case id::kTrackMode:
            return I4Prop(c, m_s.trackMode, [](LONG v) {
                return v == 0 || v == 1 || v == 2 || v == 3 || v == 6 || v == 9;
            });
        case id::kPlots:
            return ReadOnly(c, [&] { return VarObject(Handle(kPlotsId)); });
        case id::kAxes:
            return ReadOnly(c, [&] { return VarObject(Handle(kAxesId)); });
        case id::kCursors:
            return ReadOnly(c, [&] { return VarObject(Handle(kCursorsId)); });
        case id::kAnnotations:
            return ReadOnly(c, [&] { return VarObject(Handle(kAnnotationsId)); });
        case DISPID_CAPTION:
            return StringProp(c, m_s.caption);
        case id::kClearData:
            return Method(c, 0, [&] {
                for (Plot& p : m_s.plots)
                    p.points = PlotPoints::Empty();
                for (Cursor& cur : m_s.cursors)
                    if (cur.plot) cur.index = -1;
                Autoscale();
                return S_OK;
            });
        case id::kSetActiveCursor:
            return Method(c, 1, [&] {
                LONG k;
                if (const HRESULT hr = co::I4(c.args[0], k); FAILED(hr)) return hr;
                if (!InRange(k, 0, 2)) return E_INVALIDARG;
                m_s.activeCursor = k;
                return S_OK;
            });
        case id::kLoadStyle:
            return Method(c, 1, [&] {
                CString path;
                if (const HRESULT hr = co::String(c.args[0], path); FAILED(hr)) return hr;
                GraphStyle style;
                if (!LoadGraphStyle(path, style)) return E_INVALIDARG;
                m_s.style = style;
                m_s.background = style.background;
                ResetAnnotationSlots();
                return S_OK;
            });
        case id::kBackground:
            return ColorProp(c, m_s.background);
        case id::kPicture:
            return ReadOnly(c, [&] {
                auto picture = std::make_shared<GraphPicture>(m_s, m_client);
                return VarObject(
                    DispatchHandle::Owning(std::move(picture), GraphPicture::kObjectId));
            });
        case id::kPlotArea:
            return ReadOnly(c, [&] {
                const QRectF r = ComputeLayout(m_s, m_client).plot;
                return VarArray(std::vector<double>{r.left(), r.top(), r.right(), r.bottom()});
            });
        default:
            return DISP_E_MEMBERNOTFOUND;
    }
}

// ---- collections ----

HRESULT GraphModel::CollectionCall(Kind kind, const Call& call) {
    const CallView c{call.kind, call.args, call.result};
    auto count = [&]() -> LONG {
        switch (kind) {
            case Kind::Plots:
                return static_cast<LONG>(m_s.plots.size());
            case Kind::Axes:
                return static_cast<LONG>(m_s.axes.size());
            case Kind::Cursors:
                return static_cast<LONG>(m_s.cursors.size());
            default:
                return static_cast<LONG>(m_s.annotations.size());
        }
    };
    auto itemId = [&](LONG i) -> ObjectId {
        const auto k = static_cast<size_t>(i - 1);
        switch (kind) {
            case Kind::Plots:
                return m_s.plots[k].id;
            case Kind::Axes:
                return m_s.axes[k].id;
            case Kind::Cursors:
                return m_s.cursors[k].id;
            default:
                return m_s.annotations[k].id;
        }
    };
    auto indexArg = [&](LONG& i) -> HRESULT {
        if (const HRESULT hr = co::I4(c.args[0], i); FAILED(hr)) return hr;
        return InRange(i, 1, count()) ? S_OK : DISP_E_BADINDEX;
    };
    switch (call.id) {
        case id::kItem: {
            if (c.kind != DISPATCH_PROPERTYGET) return DISP_E_MEMBERNOTFOUND;
            if (c.args.size() != 1) return DISP_E_BADPARAMCOUNT;
            LONG i;
            if (const HRESULT hr = indexArg(i); FAILED(hr)) return hr;
            *c.result = VarObject(Handle(itemId(i)));
            return S_OK;
        }
        case id::kCount:
            return ReadOnly(c, [&] { return VarI4(count()); });
        case id::kRemove:
            if (kind == Kind::Cursors) return DISP_E_MEMBERNOTFOUND;
            return Method(c, 1, [&] {
                LONG i;
                if (const HRESULT hr = indexArg(i); FAILED(hr)) return hr;
                const auto k = static_cast<size_t>(i - 1);
                if (kind == Kind::Plots) {
                    RemovePlotAt(k);
                } else if (kind == Kind::Axes) {
                    if (i < 3) return E_INVALIDARG;  // the X axis and the first Y axis stay
                    const ObjectId gone = m_s.axes[k].id;
                    ForgetObject(gone, 3);
                    m_s.axes.erase(m_s.axes.begin() + static_cast<std::ptrdiff_t>(k));
                    for (Plot& p : m_s.plots)
                        if (p.axis == gone) p.axis = m_s.axes[1].id;
                    Autoscale();
                } else {
                    ForgetObject(m_s.annotations[k].id, 4);
                    m_s.annotations.erase(m_s.annotations.begin() + static_cast<std::ptrdiff_t>(k));
                }
                return S_OK;
            });
        case id::kAdd:
            if (kind == Kind::Cursors) return DISP_E_MEMBERNOTFOUND;
            return Method(c, 0, [&] {
                ObjectId added;
                if (kind == Kind::Plots) {
                    Plot p;
                    p.id = NewId(Kind::Plot, 0);
                    p.axis = m_s.axes[1].id;
                    added = p.id;
                    m_s.plots.push_back(std::move(p));
                } else if (kind == Kind::Axes) {
                    m_s.axes.push_back(MakeAxis(false));
                    added = m_s.axes.back().id;
                } else {
                    m_s.annotations.push_back(MakeAnnotation(true));
                    added = m_s.annotations.back().id;
                }
                *c.result = VarObject(Handle(added));
                return S_OK;
            });
        case id::kRemoveAll:
            if (kind != Kind::Plots) return DISP_E_MEMBERNOTFOUND;
            return Method(c, 0, [&] {
                while (!m_s.plots.empty())
                    RemovePlotAt(m_s.plots.size() - 1);
                return S_OK;
            });
        default:
            return DISP_E_MEMBERNOTFOUND;
    }
}

void GraphModel::RemovePlotAt(size_t index) {
    const ObjectId gone = m_s.plots[index].id;
    ForgetObject(gone, 1);
    m_s.plots.erase(m_s.plots.begin() + static_cast<std::ptrdiff_t>(index));
    // Nothing keeps a stale index into a plot that is gone.
    for (Cursor& cur : m_s.cursors)
        if (cur.plot == gone) {
            cur.plot = 0;
            cur.visible = false;
            cur.index = -1;
            cur.xPut = cur.yPut = false;
        }
    for (Annotation& a : m_s.annotations)
        if (a.plot == gone) {
            a.plot = 0;
            a.visible = false;
        }
    Autoscale();
}

HRESULT GraphModel::ResolvePlotArg(const VARIANT& v, bool allowNone, ObjectId& out) const {
    if (v.vt == VT_DISPATCH) {
        if (v.pdispVal.IsNull()) {
            if (!allowNone) return E_INVALIDARG;
            out = 0;
            return S_OK;
        }
        if (!v.pdispVal.SameTarget(this) || !m_s.FindPlot(v.pdispVal.ObjectId()))
            return E_INVALIDARG;
        out = v.pdispVal.ObjectId();
        return S_OK;
    }
    LONG n;
    if (const HRESULT hr = co::I4(v, n); FAILED(hr)) return hr;
    if (n == 0 && allowNone) {
        out = 0;
        return S_OK;
    }
    if (!InRange(n, 1, static_cast<LONG>(m_s.plots.size()))) return DISP_E_BADINDEX;
    out = m_s.plots[static_cast<size_t>(n - 1)].id;
    return S_OK;
}

// ---- plot ----

HRESULT GraphModel::PlotCall(Plot& p, const Call& call) {
    const CallView c{call.kind, call.args, call.result};
    switch (call.id) {
        case 1:
            return I4Prop(c, p.lineStyle, [](LONG v) { return InRange(v, 0, 4); });
        case 2:
            return I4Prop(c, p.marker, [](LONG v) { return InRange(v, 0, 22); });
        case 3:
            return StringProp(c, p.name);
        case 4:
            return Property(
                c, [&] { return VarI2(p.width); },
                [&](const VARIANT& v) {
                    SHORT w;
                    if (const HRESULT hr = co::I2(v, w); FAILED(hr)) return hr;
                    if (w < 1 || w > 20) return E_INVALIDARG;
                    p.width = w;
                    return S_OK;
                });
        case 12:
            return BoolProp(c, p.flag12);
        case 13:
            return Property(
                c, [&] { return VarObject(Handle(m_s.YAxisOf(p).id)); },
                [&](const VARIANT& v) {
                    ObjectId axis = 0;
                    if (v.vt == VT_DISPATCH) {
                        const Axis* a = v.pdispVal.SameTarget(this)
                                            ? m_s.FindAxis(v.pdispVal.ObjectId())
                                            : nullptr;
                        if (!a || a == &m_s.axes.front()) return E_INVALIDARG;
                        axis = a->id;
                    } else {
                        LONG n;
                        if (const HRESULT hr = co::I4(v, n); FAILED(hr)) return hr;
                        if (!InRange(n, 2, static_cast<LONG>(m_s.axes.size()))) return E_INVALIDARG;
                        axis = m_s.axes[static_cast<size_t>(n - 1)].id;
                    }
                    p.axis = axis;
                    Autoscale();
                    return S_OK;
                });
        case 14:
            return ColorProp(c, p.lineColor);
        case 15:
            return ColorProp(c, p.markerColor);
        case 16:
            return ColorProp(c, p.fillColor);
        case 9020:
            return I4Prop(c, p.fill, [](LONG) { return true; });
        case 9022:
            return Property(
                c, [&] { return VarR8(p.breakStep); },
                [&](const VARIANT& v) {
                    double d;
                    if (const HRESULT hr = co::FiniteR8(v, d); FAILED(hr)) return hr;
                    if (d < 0) return E_INVALIDARG;
                    p.breakStep = d;
                    return S_OK;
                });
        case 9023:
            return Method(c, 1, [&] {
                DoubleArray keys;
                if (const HRESULT hr = co::Array(c.args[0], keys); FAILED(hr)) return hr;
                if (!p.breakKeys) p.breakKeys = std::make_shared<std::vector<double>>();
                if (keys->size() >
                    p.points->Size() - std::min(p.points->Size(), p.breakKeys->size()))
                    return E_INVALIDARG;
                p.breakKeys->insert(p.breakKeys->end(), keys->begin(), keys->end());
                return S_OK;
            });
        case 19:
            return Method(c, 0, [&] {
                p.points = PlotPoints::Empty();
                p.breakKeys.reset();
                for (Cursor& cur : m_s.cursors)
                    if (cur.plot == p.id) cur.index = -1;
                Autoscale();
                return S_OK;
            });
        case 21:
            return Method(c, 2, [&] {
                DoubleArray x, y;
                if (const HRESULT hr = ArrayPair(c.args, x, y); FAILED(hr)) return hr;
                p.points = std::make_shared<const PlotPoints>(std::move(x), std::move(y));
                p.breakKeys.reset();
                for (Cursor& cur : m_s.cursors)
                    if (cur.plot == p.id) SnapCursor(cur, p.id);
                Autoscale();
                return S_OK;
            });
        case 9021:
            return Method(c, 2, [&] {
                DoubleArray x, y;
                if (const HRESULT hr = ArrayPair(c.args, x, y); FAILED(hr)) return hr;
                if (x->size() > PlotPoints::kMaxPoints - p.points->Size()) return E_INVALIDARG;
                p.points = p.points->Appended(x->data(), y->data(), x->size());
                for (Cursor& cur : m_s.cursors)
                    if (cur.plot == p.id) SnapCursor(cur, p.id);
                Autoscale();
                return S_OK;
            });
        default:
            return DISP_E_MEMBERNOTFOUND;
    }
}

// ---- axis ----

HRESULT GraphModel::AxisCall(Axis& a, const Call& call) {
    const CallView c{call.kind, call.args, call.result};
    auto rangeEnd = [&](bool isMax) {
        return Property(
            c, [&] { return VarR8(isMax ? a.max : a.min); },
            [&](const VARIANT& v) {
                double d;
                if (const HRESULT hr = co::FiniteR8(v, d); FAILED(hr)) return hr;
                return PutRangeEnd(a, isMax, d);
            });
    };
    switch (call.id) {
        case 1:
            return BoolProp(c, a.logarithmic);
        case 2:
            return rangeEnd(true);
        case 3:
            return rangeEnd(false);
        case 5:
            return ColorProp(c, a.color);
        case 9:
            return Property(
                c, [&] { return VarBool(a.autoscale); },
                [&](const VARIANT& v) {
                    bool b;
                    if (const HRESULT hr = co::Bool(v, b); FAILED(hr)) return hr;
                    a.autoscale = b;
                    if (b) Autoscale();
                    return S_OK;
                });
        case 10:
            return ReadOnly(c, [&] { return VarObject(Handle(a.ticksId)); });
        case 11:
            return Property(
                c, [&] { return VarStr(a.format.Text()); },
                [&](const VARIANT& v) {
                    CString s;
                    if (const HRESULT hr = co::String(v, s); FAILED(hr)) return hr;
                    return NumberFormat::Parse(s, a.format) ? S_OK : E_INVALIDARG;
                });
        case 12:
            return ReadOnly(c, [&] { return VarObject(Handle(a.captionId)); });
        case 13:
            return BoolProp(c, a.ownScale);
        case 17:
            return ColorProp(c, a.captionColor);
        case DISPID_CAPTION:
            return StringProp(c, a.caption);
        case 9030:
        case 9031: {
            double& field = call.id == 9030 ? a.spacing : a.barWidth;
            return Property(
                c, [&] { return VarR8(field); },
                [&](const VARIANT& v) {
                    double d;
                    if (const HRESULT hr = co::FiniteR8(v, d); FAILED(hr)) return hr;
                    if (call.id == 9030 ? d < 0 : d <= 0) return E_INVALIDARG;
                    field = d;
                    return S_OK;
                });
        }
        default:
            return DISP_E_MEMBERNOTFOUND;
    }
}

HRESULT GraphModel::TicksCall(TicksLook& t, const Call& call) {
    const CallView c{call.kind, call.args, call.result};
    switch (call.id) {
        case 3:
            return BoolProp(c, t.nearSide);
        case 4:
            return BoolProp(c, t.farSide);
        case 9:
            return BoolProp(c, t.ticks);
        case 10:
            return BoolProp(c, t.labels);
        case 12:
            return BoolProp(c, t.minor);
        case 13:
            return BoolProp(c, t.grid);
        case 14:
            return BoolProp(c, t.minorGrid);
        case 19:
            return ColorProp(c, t.color);
        case 20:
            return ColorProp(c, t.minorColor);
        default:
            return DISP_E_MEMBERNOTFOUND;
    }
}

// ---- cursor ----

void GraphModel::PlaceCursorAt(Cursor& cur, const Plot& plot, size_t index) {
    cur.index = static_cast<LONG>(index);
    cur.x = plot.points->X()[index];
    cur.y = plot.points->Y()[index];
}

// Snaps to `plot`, keeping the point index when it is a point there, else the last point.
void GraphModel::SnapCursor(Cursor& cur, ObjectId plot) {
    const Plot* p = m_s.FindPlot(plot);
    cur.plot = plot;
    cur.xPut = cur.yPut = false;
    const PlotPoints& pts = *p->points;
    if (cur.index >= 0 && pts.IsPoint(static_cast<size_t>(cur.index))) {
        PlaceCursorAt(cur, *p, static_cast<size_t>(cur.index));
        return;
    }
    for (size_t i = pts.Size(); i > 0; --i)
        if (pts.IsPoint(i - 1)) {
            PlaceCursorAt(cur, *p, i - 1);
            return;
        }
    cur.index = -1;
}

HRESULT GraphModel::CursorCall(Cursor& cur, const Call& call) {
    const CallView c{call.kind, call.args, call.result};
    const Plot* plot = cur.plot ? m_s.FindPlot(cur.plot) : nullptr;
    switch (call.id) {
        case 1:
            return Property(
                c, [&] { return VarR8(cur.x); },
                [&](const VARIANT& v) {
                    double d;
                    if (const HRESULT hr = co::FiniteR8(v, d); FAILED(hr)) return hr;
                    if (plot) {
                        const size_t i = plot->points->NearestByX(d);
                        if (i >= plot->points->Size()) return E_INVALIDARG;
                        PlaceCursorAt(cur, *plot, i);
                    } else {
                        cur.x = d;
                        cur.xPut = true;
                    }
                    return S_OK;
                });
        case 9040:
            return Property(
                c, [&] { return VarR8(cur.y); },
                [&](const VARIANT& v) {
                    double d;
                    if (const HRESULT hr = co::FiniteR8(v, d); FAILED(hr)) return hr;
                    if (plot) return E_INVALIDARG;
                    cur.y = d;
                    cur.yPut = true;
                    return S_OK;
                });
        case 6:
            return Property(
                c, [&] { return VarI4(cur.index); },
                [&](const VARIANT& v) {
                    LONG i;
                    if (const HRESULT hr = co::I4(v, i); FAILED(hr)) return hr;
                    if (!plot || i < 0 || !plot->points->IsPoint(static_cast<size_t>(i)))
                        return DISP_E_BADINDEX;
                    PlaceCursorAt(cur, *plot, static_cast<size_t>(i));
                    return S_OK;
                });
        case 8:
            return Property(
                c, [&] { return VarObject(plot ? Handle(plot->id) : DispatchHandle()); },
                [&](const VARIANT& v) {
                    ObjectId target;
                    if (const HRESULT hr = ResolvePlotArg(v, true, target); FAILED(hr)) return hr;
                    if (target) {
                        SnapCursor(cur, target);
                    } else {
                        cur.plot = 0;
                        cur.index = -1;
                        cur.xPut = cur.yPut = false;
                    }
                    return S_OK;
                });
        case 9:
            return BoolProp(c, cur.visible);
        default:
            return DISP_E_MEMBERNOTFOUND;
    }
}

// ---- annotation and its parts ----

HRESULT GraphModel::AnnotationCall(Annotation& a, const Call& call) {
    const CallView c{call.kind, call.args, call.result};
    switch (call.id) {
        case 1:
            return BoolProp(c, a.visible);
        case 2:
            return I4Prop(c, a.coordMode, [](LONG v) { return v == 0; });
        case 3:
            return Property(
                c, [&] { return VarObject(a.plot ? Handle(a.plot) : DispatchHandle()); },
                [&](const VARIANT& v) {
                    ObjectId target;
                    if (const HRESULT hr = ResolvePlotArg(v, true, target); FAILED(hr)) return hr;
                    a.plot = target;
                    return S_OK;
                });
        case 4:
            return I4Prop(c, a.point, [](LONG) { return true; });
        case 5:
            return I4Prop(c, a.kind, [](LONG v) { return v == 3 || v == 5; });
        case 6:
            return ReadOnly(c, [&] { return VarObject(Handle(a.captionId)); });
        case 7:
            return ReadOnly(c, [&] { return VarObject(Handle(a.shapeId)); });
        case 8:
            return ReadOnly(c, [&] { return VarObject(Handle(a.connectorId)); });
        case 10:
            return Method(c, 1, [&] {
                LONG k;
                if (const HRESULT hr = co::I4(c.args[0], k); FAILED(hr)) return hr;
                if (k != 1 && k != 2) return E_INVALIDARG;
                a.attachment = k;
                return S_OK;
            });
        default:
            return DISP_E_MEMBERNOTFOUND;
    }
}

HRESULT GraphModel::CaptionCall(Caption& cap, const Call& call) {
    const CallView c{call.kind, call.args, call.result};
    auto coord = [&](double& field) {
        return Property(
            c, [&] { return VarR8(field); },
            [&](const VARIANT& v) {
                double d;
                const HRESULT hr = co::FiniteR8(v, d);
                if (SUCCEEDED(hr)) field = d;
                return hr;
            });
    };
    switch (call.id) {
        case 1:
            return StringProp(c, cap.text);
        case 2:
            return coord(cap.x);
        case 3:
            return coord(cap.y);
        case 4:
            return I4Prop(c, cap.frame, [](LONG v) { return v == 0 || v == 1; });
        case 6:
            return I4Prop(c, cap.anchor, [](LONG) { return true; });
        default:
            return DISP_E_MEMBERNOTFOUND;
    }
}

HRESULT GraphModel::ShapeCall(Shape& s, const Call& call) {
    const CallView c{call.kind, call.args, call.result};
    switch (call.id) {
        case 1:
            return I4Prop(c, s.kind, [](LONG v) { return v == 2 || v == 4; });
        case 4:
            return ColorProp(c, s.fillColor);
        case 5:
            return BoolProp(c, s.filled);
        case 8:
            return BoolProp(c, s.outline);
        case 11:
            return BoolProp(c, s.beneath);
        case 6:
            return I4Prop(c, s.lineStyle, [](LONG v) { return InRange(v, 0, 2); });
        case 7:
            return I4Prop(c, s.width, [](LONG v) { return InRange(v, 1, 20); });
        case 12:
            return Method(c, 2, [&] {
                DoubleArray x, y;
                if (const HRESULT hr = ArrayPair(c.args, x, y); FAILED(hr)) return hr;
                s.x = std::move(x);
                s.y = std::move(y);
                return S_OK;
            });
        default:
            return DISP_E_MEMBERNOTFOUND;
    }
}

HRESULT GraphModel::ConnectorCall(Annotation& a, const Call& call) {
    const CallView c{call.kind, call.args, call.result};
    if (call.id == 2) return I4Prop(c, a.head, [](LONG v) { return InRange(v, 0, 2); });
    return DISP_E_MEMBERNOTFOUND;
}

// ---- autoscale ----

void GraphModel::Autoscale() {
    for (size_t i = 0; i < m_s.axes.size(); ++i) {
        Axis& a = m_s.axes[i];
        if (!a.autoscale) continue;
        double lo = std::numeric_limits<double>::infinity(), hi = -lo;
        for (const Plot& p : m_s.plots) {
            if (i > 0 && &m_s.YAxisOf(p) != &a) continue;
            double plo, phi;
            if (i == 0 ? p.points->XRange(plo, phi) : p.points->YRange(plo, phi)) {
                lo = std::min(lo, plo);
                hi = std::max(hi, phi);
            }
        }
        if (!(hi >= lo)) continue;
        if (hi == lo) lo -= 1, hi += 1;
        a.min = lo, a.max = hi;
    }
}

// ---- gestures ----

bool GraphModel::DragCursor(int index, QPointF pos) {
    Cursor& cur = m_s.cursors[static_cast<size_t>(index)];
    const GraphLayout layout = ComputeLayout(m_s, m_client);
    const AxisMap xm = layout.X(m_s);
    const Plot* plot = cur.plot ? m_s.FindPlot(cur.plot) : nullptr;
    if (!plot) {
        const AxisMap ym = layout.Y(m_s.axes[1]);
        const QPointF clamped(std::clamp(pos.x(), layout.plot.left(), layout.plot.right()),
                              std::clamp(pos.y(), layout.plot.top(), layout.plot.bottom()));
        cur.x = xm.FromPixel(clamped.x());
        cur.y = ym.FromPixel(clamped.y());
        Changed();
        return true;
    }
    const PlotPoints& pts = *plot->points;
    size_t best = pts.Size();
    if (pts.Monotone()) {
        best = pts.NearestByX(xm.FromPixel(pos.x()));
    } else {
        const AxisMap ym = layout.Y(m_s.YAxisOf(*plot));
        double bestD = std::numeric_limits<double>::infinity();
        for (size_t i = 0; i < pts.Size(); ++i) {
            if (!pts.IsPoint(i)) continue;
            const double dx = xm.ToPixel(pts.X()[i]) - pos.x(),
                         dy = ym.ToPixel(pts.Y()[i]) - pos.y();
            const double d = dx * dx + dy * dy;
            if (d < bestD) bestD = d, best = i;
        }
    }
    if (best >= pts.Size()) return false;
    PlaceCursorAt(cur, *plot, best);
    Changed();
    return true;
}

void GraphModel::SetAxisRanges(const std::vector<std::pair<double, double>>& ranges) {
    for (size_t i = 0; i < ranges.size() && i < m_s.axes.size(); ++i) {
        const auto [lo, hi] = ranges[i];
        if (!std::isfinite(lo) || !std::isfinite(hi) || !(hi > lo)) continue;
        m_s.axes[i].min = lo;
        m_s.axes[i].max = hi;
        m_s.axes[i].autoscale = false;
    }
    Changed();
}

void GraphModel::MoveCaptionTo(ObjectId annotation, double x, double y) {
    for (Annotation& a : m_s.annotations)
        if (a.id == annotation && std::isfinite(x) && std::isfinite(y)) {
            a.caption.x = x;
            a.caption.y = y;
        }
    Changed();
}

// ---- dump ----

CString GraphModel::Dump() const {
    CString out;
    const GraphState& s = m_s;
    out.AppendFormat("graph track=%d caption=\"%s\" background=%s style=%s/%s/%s/%s/%d active=%d\n",
                     static_cast<int>(s.trackMode), s.caption, Hex(s.background),
                     s.style.bar ? "bar" : "standard", Hex(s.style.background),
                     Hex(s.style.plotBackground), Hex(s.style.grid), s.style.fontSize,
                     static_cast<int>(s.activeCursor));
    auto ticks = [](const TicksLook& t) {
        return CString::Formatted("%d%d%d%d%d%d%d/%s/%s", t.nearSide, t.farSide, t.ticks, t.labels,
                                  t.minor, t.grid, t.minorGrid, Hex(t.color), Hex(t.minorColor));
    };
    for (const Plot& p : s.plots)
        out.AppendFormat(
            "plot %u line=%d marker=%d name=\"%s\" width=%d f12=%d axis=%u colours=%s/%s/%s "
            "fill=%d break=%.17g points=%zu@%p\n",
            p.id, static_cast<int>(p.lineStyle), static_cast<int>(p.marker), p.name,
            static_cast<int>(p.width), p.flag12, p.axis, Hex(p.lineColor), Hex(p.markerColor),
            Hex(p.fillColor), static_cast<int>(p.fill), p.breakStep, p.points->Size(),
            static_cast<const void*>(p.points.get()));
    for (const Axis& a : s.axes)
        out.AppendFormat(
            "axis %u log=%d range=%.17g..%.17g colour=%s auto=%d ticks=%s caption-sides=%s "
            "format=\"%s\" own=%d "
            "caption=\"%s\"/%s spacing=%.17g bar-width=%.17g\n",
            a.id, a.logarithmic, a.min, a.max, Hex(a.color), a.autoscale, ticks(a.ticks),
            ticks(a.captionSides), a.format.Text(), a.ownScale, a.caption, Hex(a.captionColor),
            a.spacing, a.barWidth);
    for (const Cursor& c : s.cursors)
        out.AppendFormat("cursor %u x=%.17g y=%.17g index=%d plot=%u visible=%d put=%d%d\n", c.id,
                         c.x, c.y, static_cast<int>(c.index), c.plot, c.visible, c.xPut, c.yPut);
    for (const Annotation& a : s.annotations)
        out.AppendFormat(
            "annotation %u visible=%d mode=%d plot=%u point=%d kind=%d attach=%d head=%d "
            "caption=\"%s\"@%.17g,%.17g "
            "frame=%d anchor=%d shape=%d/%s/%d%d%d/%d/%d/%zu@%p\n",
            a.id, a.visible, static_cast<int>(a.coordMode), a.plot, static_cast<int>(a.point),
            static_cast<int>(a.kind), static_cast<int>(a.attachment), static_cast<int>(a.head),
            a.caption.text, a.caption.x, a.caption.y, static_cast<int>(a.caption.frame),
            static_cast<int>(a.caption.anchor), static_cast<int>(a.shape.kind),
            Hex(a.shape.fillColor), a.shape.filled, a.shape.outline, a.shape.beneath,
            static_cast<int>(a.shape.lineStyle), static_cast<int>(a.shape.width),
            a.shape.x ? a.shape.x->size() : 0, static_cast<const void*>(a.shape.x.get()));
    return out;
}

}  // namespace platform::graph
