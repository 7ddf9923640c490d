#pragma once
// A host window with a sink table that records every event, and a graph control in it.

#include <gtest/gtest.h>

#include <QImage>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/activex/event_sink.h"
#include "platform/activex/graph_control.h"
#include "tests/support/harness.h"

namespace activex_test {

class Host : public CWnd, public CEventSinkHost {};

inline std::string Text(const VARIANT& v) {
    switch (v.vt) {
        case VT_BOOL:
            return v.boolVal ? "T" : "F";
        case VT_I2:
            return std::to_string(v.iVal);
        case VT_I4:
            return std::to_string(v.lVal);
        case VT_R8:
            return CString::Formatted("%.6g", v.dblVal).str();
        case VT_BSTR:
            return "\"" + v.bstrVal.str() + "\"";
        default:
            return "?";
    }
}

// Records "id(arg,arg...)" for every event of the control ids it listens to.
class Recorder {
public:
    void Listen(CEventSinkHost& host, UINT id, std::initializer_list<DISPID> events);
    std::vector<std::string> log;
    // Only the event ids, in order.
    std::vector<DISPID> Ids() const;
    void Clear() { log.clear(); }
};

inline HRESULT Put(const CDispatchDriver& d, DISPID id, const VARIANT& v) {
    return d.SetProperty(id, v);
}
inline HRESULT Get(const CDispatchDriver& d, DISPID id, VARIANT& out) {
    return d.GetProperty(id, out);
}
inline HRESULT Call(const CDispatchDriver& d, DISPID id, std::vector<VARIANT> args = {},
                    VARIANT* result = nullptr) {
    return d.InvokeMethod(id, args, result);
}
inline CDispatchDriver Add(const CDispatchDriver& collection) {
    VARIANT r;
    EXPECT_EQ(Call(collection, 258, {}, &r), S_OK);
    return CDispatchDriver(r.pdispVal);
}
inline HRESULT SetPoints(const CDispatchDriver& plot, std::vector<double> x,
                         std::vector<double> y) {
    return Call(plot, 21, {VarArray(std::move(x)), VarArray(std::move(y))});
}

// A file the build puts beside the executable, such as a style file or pictures/<name>.
CString ProgramFile(const char* name);

class GraphTest : public testing_support::HarnessTest {
protected:
    GraphTest();
    ~GraphTest() override;
    CWGraph& Control() { return *graph.GetGraphControl(); }
    CDispatchDriver G() const { return graph.GetGraph(); }
    CDispatchDriver Plots() const { return graph.GetPlots(); }
    CDispatchDriver Axes() const { return graph.GetAxes(); }
    CDispatchDriver Cursors() const { return graph.GetCursors(); }
    CDispatchDriver Annotations() const { return graph.GetAnnotations(); }
    CDispatchDriver AddPlot(std::vector<double> x, std::vector<double> y);
    QImage Render(int w = 400, int h = 300, double scale = 1);
    // The plot area as the control reports it (member 9003).
    QRectF PlotArea() const;
    // The pixel of (x, y) on axes from 0 to 10, or the X range given.
    QPointF ToPixel(double x, double y, double xmin = 0, double xmax = 10) const;

    Host host;
    CCWGraph graph;
    Recorder events;
};

// A pixel is "near" a colour when some pixel within `radius` has it.
bool ColourNear(const QImage& image, QPoint at, QRgb colour, int radius = 1);
int CountColour(const QImage& image, const QRect& area, QRgb colour);

}  // namespace activex_test
