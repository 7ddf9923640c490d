#include <QBuffer>
#include <QFile>
#include <QPaintEngine>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSvgRenderer>
#include <cmath>
#include <random>

#include "platform/activex/graph_render.h"
#include "platform/gdi/dc.h"
#include "tests/activex/fixture.h"

using namespace activex_test;
using testing_support::SaveTestImage;

namespace {

QRgb Rgb(COLORREF c) {
    return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}
constexpr COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 160, 0), kBlue = RGB(0, 0, 255),
                   kShade = 0xFFCD9B;

// Counts what a redraw hands to the paint device: line segments and polygon edges.
class CountingEngine : public QPaintEngine {
public:
    CountingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override {
        segments += mode == PolylineMode ? count - 1 : count;
        for (int i = 0; i < count; ++i)
            maxY = std::max(maxY, 300 - points[i].y()), minY = std::min(minY, points[i].y());
    }
    void drawLines(const QLineF*, int count) override { segments += count; }
    void drawRects(const QRectF*, int count) override { segments += 4 * count; }
    void drawTextItem(const QPointF&, const QTextItem&) override {}
    Type type() const override { return QPaintEngine::User; }
    long long segments = 0;
    double maxY = -1e9, minY = 1e9;
};

// A device of a fixed size at 96 dpi that draws through its engine `E`.
template <class E>
class EngineDevice : public QPaintDevice {
public:
    EngineDevice(int w, int h) : w(w), h(h) {}
    QPaintEngine* paintEngine() const override { return &engine; }
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
            case PdmWidth:
                return w;
            case PdmHeight:
                return h;
            case PdmDpiX:
            case PdmDpiY:
            case PdmPhysicalDpiX:
            case PdmPhysicalDpiY:
                return 96;
            case PdmDepth:
                return 32;
            case PdmDevicePixelRatio:
                return 1;
            case PdmDevicePixelRatioScaled:
                return 1 * devicePixelRatioFScale();
            default:
                return 0;
        }
    }
    int w, h;
    mutable E engine;
};

class CountingDevice : public EngineDevice<CountingEngine> {
public:
    CountingDevice() : EngineDevice(400, 300) {}
};

class GraphRenderTest : public GraphTest {
protected:
    // Axis ranges 0..10 on X and Y, no autoscale.
    GraphRenderTest() {
        for (LONG i : {1, 2}) {
            Axes().Item(i).SetDouble(3, 0);
            Axes().Item(i).SetDouble(2, 10);
        }
    }
    QPoint At(double x, double y) const { return ToPixel(x, y).toPoint(); }
};

TEST_F(GraphRenderTest, APersonCanReadTheGraphAndThePixelsSitWhereTheRangesSay) {
    VARIANT area;
    ASSERT_EQ(G().GetProperty(9003, area), S_OK);
    EXPECT_EQ(*area.parray, (std::vector<double>{40, 21, 392, 269}));

    ASSERT_EQ(graph.SetCaption("Readable graph"), S_OK);
    Axes().Item(1).SetString(-518, "Time (s)");
    Axes().Item(2).SetString(-518, "Temperature(C)");
    Axes().Item(1).GetObject(10).SetBool(13, true);  // grid at the X ticks

    // A green line with filled blue squares, shaded beneath by a polygon that keeps the line green.
    const CDispatchDriver line = AddPlot({0, 2, 4, 6, 8, 10}, {1, 3, 5, 7, 5, 3});
    line.SetLong(14, kGreen);
    line.SetShort(4, 3);
    line.SetLong(2, 3);
    line.SetLong(15, kBlue);
    // A dashed plot filled down to Y = 0.
    const CDispatchDriver filled = AddPlot({8.5, 10}, {1.5, 1.5});
    filled.SetLong(1, 2);
    filled.SetLong(14, 0);
    filled.SetLong(16, RGB(200, 230, 200));
    filled.SetLong(9020, 1);
    filled.SetDouble(0, 0);
    Plots().Item(2).SetString(3, "2");

    const CDispatchDriver shade = Add(Annotations());
    shade.SetLong(5, 3);
    shade.SetObject(3, Plots().Item(1));
    const CDispatchDriver poly = shade.GetObject(7);
    poly.SetLong(1, 4);
    poly.SetLong(4, kShade);
    poly.SetBool(5, true);
    poly.SetBool(8, false);
    poly.SetBool(11, true);
    ASSERT_EQ(Call(poly, 12, {VarArray({2.0, 2.0, 4.0, 4.0}), VarArray({0.0, 3.0, 5.0, 0.0})}),
              S_OK);
    // The tangent slot: a black segment 2 px wide.
    const CDispatchDriver tangent = Annotations().Item(3);
    tangent.SetLong(5, 3);
    tangent.GetObject(7).SetLong(1, 2);
    tangent.GetObject(7).SetLong(7, 2);
    ASSERT_EQ(Call(tangent.GetObject(7), 12, {VarArray({6.0, 9.0}), VarArray({9.0, 9.0})}), S_OK);
    tangent.SetBool(1, true);
    // A text label pinned to point 3 (6, 7) of plot 1, its box up and to the right.
    const CDispatchDriver label = Add(Annotations());
    label.SetLong(2, 0);
    label.SetLong(5, 5);
    ASSERT_EQ(Call(label, 10, {VarI4(2)}), S_OK);
    label.GetObject(6).SetLong(6, 6);
    label.GetObject(8).SetLong(2, 0);
    label.GetObject(6).SetString(1, "Peak");
    label.GetObject(6).SetLong(4, 0);
    label.SetObject(3, Plots().Item(1));
    label.SetLong(4, 3);
    label.GetObject(6).SetDouble(2, 7.5);
    label.GetObject(6).SetDouble(3, 8.5);
    // Cursor A (red) on point 1 of plot 1 at (2, 3).
    const CDispatchDriver a = Cursors().Item(2);
    a.SetLong(8, 1);
    a.SetLong(6, 1);
    a.SetBool(9, true);

    const QImage image = Render();
    SaveTestImage(image, "graph_readable");
    EXPECT_TRUE(ColourNear(image, At(3, 4), Rgb(kGreen), 2));  // the line, 3 px wide
    EXPECT_TRUE(ColourNear(image, At(3, 4) + QPoint(0, 1), Rgb(kGreen), 1));
    EXPECT_TRUE(ColourNear(image, At(8, 5), Rgb(kBlue), 2));       // a marker
    EXPECT_TRUE(ColourNear(image, At(3, 1), Rgb(kShade), 0));      // inside the shading
    EXPECT_TRUE(ColourNear(image, At(2.6, 3.6), Rgb(kGreen), 1));  // the line over the shading
    EXPECT_TRUE(ColourNear(image, At(9, 0.7), qRgb(200, 230, 200), 0));  // the fill
    EXPECT_TRUE(ColourNear(image, At(7.5, 9), Rgb(0), 1));               // the tangent
    EXPECT_TRUE(ColourNear(image, At(7.5, 8.9), Rgb(0), 1));             // the label's box
    EXPECT_TRUE(ColourNear(image, At(6.75, 7.75), Rgb(0), 2));  // its connector, toward the point
    EXPECT_TRUE(
        ColourNear(image, QPoint(At(2, 0).x(), 200), Rgb(kRed), 0));  // cursor A's vertical line
    EXPECT_TRUE(
        ColourNear(image, QPoint(300, At(0, 3).y()), Rgb(kRed), 1));  // and its horizontal line
    EXPECT_TRUE(ColourNear(image, QPoint(At(4, 0).x(), 30), qRgb(0xD0, 0xD0, 0xD0),
                           1));                            // the grid at X = 4
    EXPECT_EQ(image.pixel(2, 297) & 0xFFFFFF, 0xF0F0F0u);  // the background
}

// The marker styles the format sheet and the sensor dialog offer draw the shapes of their
// pictures: a pixel that lies inside the shape is in the marker colour, one outside it is not.
TEST_F(GraphRenderTest, OfferedMarkerStylesDrawTheShapesTheirPicturesShow) {
    struct Case {
        LONG style;
        const char* shape;
        QPoint inside, outside;  // offsets from the point, Y down
    };
    const Case cases[] = {
        {10, "filled dot", {2, 0}, {3, 3}},     {2, "filled square", {3, 3}, {5, 0}},
        {6, "filled diamond", {2, 0}, {3, 3}},  {16, "filled triangle", {2, 3}, {2, -3}},
        {9, "cross", {2, 2}, {2, 0}},           {1, "plus", {2, 0}, {2, 2}},
        {22, "triangle down", {2, -3}, {2, 3}}, {13, "small dot", {1, 0}, {3, 0}},
    };
    const CDispatchDriver plot = AddPlot({5}, {5});
    plot.SetLong(1, 0);
    plot.SetLong(15, kBlue);
    const QPoint c = At(5, 5);
    for (const Case& k : cases) {
        plot.SetLong(2, k.style);
        const QImage image = Render();
        EXPECT_TRUE(ColourNear(image, c + k.inside, Rgb(kBlue), 0)) << k.shape;
        EXPECT_FALSE(ColourNear(image, c + k.outside, Rgb(kBlue), 0)) << k.shape;
        if (k.style == 10) SaveTestImage(image, "graph_marker_dot");
    }
}

TEST_F(GraphRenderTest, ARightAxisNarrowsThePlotAreaAndTheRectangleSaysSo) {
    const CDispatchDriver right = Add(Axes());
    right.GetObject(10).SetBool(4, true);
    right.GetObject(10).SetBool(3, false);
    right.GetObject(12).SetBool(4, true);
    right.GetObject(12).SetBool(3, false);
    right.SetString(-518, "Light(lux)");
    right.SetDouble(3, 0);
    right.SetDouble(2, 100);
    VARIANT area;
    ASSERT_EQ(G().GetProperty(9003, area), S_OK);
    EXPECT_EQ(*area.parray,
              (std::vector<double>{40, 21, 392, 269}));  // not drawn yet: own scale off
    right.SetBool(13, true);
    ASSERT_EQ(G().GetProperty(9003, area), S_OK);
    EXPECT_EQ(*area.parray, (std::vector<double>{40, 21, 355, 269}));  // W - 85 wide
    const CDispatchDriver p = AddPlot({0, 10}, {0, 100});
    p.SetObject(13, right);
    p.SetLong(14, kBlue);
    const QImage image = Render();
    SaveTestImage(image, "graph_right_axis");
    EXPECT_TRUE(ColourNear(image, At(5, 5), Rgb(kBlue), 1));
}

TEST_F(GraphRenderTest, ALogAxisDrawsLogarithmicOnlyAboveZero) {
    const CDispatchDriver y = Axes().Item(2);
    y.SetBool(1, true);
    y.SetDouble(2, 1000);
    y.SetDouble(3, 1);
    const CDispatchDriver p = AddPlot({0, 5, 10}, {1, 10, 1000});
    p.SetLong(14, kRed);
    QImage image = Render();
    SaveTestImage(image, "graph_log_axis");
    // Y = 10 is a third of the way up on 1..1000.
    EXPECT_TRUE(ColourNear(
        image,
        QPoint(At(5, 0).x(),
               static_cast<int>(std::lround(PlotArea().bottom() - PlotArea().height() / 3))),
        Rgb(kRed), 1));
    y.SetDouble(3, 0);  // drawn linear now; the flag is kept
    EXPECT_TRUE(y.GetBool(1));
    image = Render();
    EXPECT_TRUE(ColourNear(
        image,
        QPoint(At(5, 0).x(), static_cast<int>(std::lround(PlotArea().bottom() -
                                                          PlotArea().height() * 10 / 1000))),
        Rgb(kRed), 1));
}

TEST_F(GraphRenderTest, BarsAreCentredOnTheirPointsAsWideAsTheBarWidth) {
    ASSERT_EQ(graph.LoadStyle(ProgramFile("BarGraphStyle.cwx")), S_OK);
    const CDispatchDriver p = AddPlot({1, 3, 5}, {4, 8, 2});
    p.SetLong(14, 0);
    p.SetLong(16, kBlue);
    Axes().Item(1).SetDouble(3, -2);
    Axes().Item(1).SetDouble(9031, 2);
    const QImage image = Render();
    SaveTestImage(image, "graph_bars");
    auto at = [&](double x, double y) { return ToPixel(x, y, -2, 10).toPoint(); };
    const auto blue = [&](double x, double y) {
        return (image.pixel(at(x, y)) & 0xFFFFFF) == (Rgb(kBlue) & 0xFFFFFF);
    };
    EXPECT_TRUE(blue(0.2, 2) && blue(1.8, 2));  // first bar: 0..2, height 4
    EXPECT_FALSE(blue(1, 5));
    EXPECT_TRUE(blue(2.2, 7) && blue(3.8, 7));  // second: 2..4, height 8
    EXPECT_TRUE(blue(4.2, 1) && blue(5.8, 1));  // third: 4..6, height 2
    EXPECT_FALSE(blue(4.2, 3));
    EXPECT_FALSE(blue(-0.5, 1));  // nothing before the first bar
    EXPECT_FALSE(blue(6.5, 1));   // nor after the last
}

// An axis whose labels are converted (°F over stored °C) stands its bars on the value shown as 0.
TEST_F(GraphRenderTest, BarsStandOnTheZeroTheAxisShows) {
    ASSERT_EQ(graph.LoadStyle(ProgramFile("BarGraphStyle.cwx")), S_OK);
    const CDispatchDriver p = AddPlot({1, 3, 5}, {8, 3, 6});
    p.SetLong(14, 0);
    p.SetLong(16, kBlue);
    Axes().Item(1).SetDouble(3, -2);
    Axes().Item(1).SetDouble(9031, 2);
    Axes().Item(2).SetString(11, "+-5");  // a label reads v - 5: 0 at v = 5
    const QImage image = Render();
    SaveTestImage(image, "graph_bars_shown_zero");
    auto at = [&](double x, double y) { return ToPixel(x, y, -2, 10).toPoint(); };
    const auto blue = [&](double x, double y) {
        return (image.pixel(at(x, y)) & 0xFFFFFF) == (Rgb(kBlue) & 0xFFFFFF);
    };
    EXPECT_TRUE(blue(1, 6.5));   // 5..8 rises from the shown zero
    EXPECT_FALSE(blue(1, 2.5));  // not from the stored 0
    EXPECT_TRUE(blue(3, 4));     // 3..5 hangs below it
    EXPECT_FALSE(blue(3, 1.5));
    EXPECT_FALSE(blue(3, 6));
}

TEST_F(GraphRenderTest, DecimationBoundsTheSegmentsAndKeepsASingleSpike) {
    const size_t n = 1000000;
    std::vector<double> x(n), y(n);
    for (size_t i = 0; i < n; ++i)
        x[i] = 10.0 * static_cast<double>(i) / n, y[i] = 2 + std::sin(i * 1e-4);
    y[654321] = 9.5;  // one extreme sample
    AddPlot(x, y);
    CountingDevice device;
    {
        QPainter p(&device);
        Control().Render(p, QRectF(0, 0, 400, 300), QSizeF(400, 300));
    }
    EXPECT_LE(device.engine.segments,
              4 * PlotArea().width() + 400);  // the axes and grid add a little
    EXPECT_NEAR(device.engine.minY, ToPixel(0, 9.5).y(),
                1.0);  // the spike's column reaches its pixel
    const QImage image = Render();
    EXPECT_TRUE(ColourNear(image, At(6.54321, 9.5), qRgb(0, 0, 0), 1));

    // Y against X: successive points on one pixel merge.
    ASSERT_EQ(Call(Plots(), 259), S_OK);
    std::vector<double> cx(100000), cy(100000);
    for (size_t i = 0; i < cx.size(); ++i)
        cx[i] = 5 + 4 * std::cos(i * 2 * M_PI / cx.size()),
        cy[i] = 5 + 4 * std::sin(i * 2 * M_PI / cx.size());
    AddPlot(cx, cy);
    CountingDevice circle;
    {
        QPainter p(&circle);
        Control().Render(p, QRectF(0, 0, 400, 300), QSizeF(400, 300));
    }
    EXPECT_LE(circle.engine.segments, 4 * PlotArea().width() + 400);
}

TEST_F(GraphRenderTest, ASmoothCurveDecimatedMatchesTheFullDrawing) {
    const size_t n = 10000;
    std::vector<double> x(n), y(n);
    for (size_t i = 0; i < n; ++i)
        x[i] = 10.0 * i / (n - 1), y[i] = 5 + 4 * std::sin(x[i]);
    AddPlot(x, y);
    const QImage image = Render();
    // Every column of the plot area shows the curve within a pixel of where it lies.
    const QRectF area = PlotArea();
    for (int px = 41; px < area.right() - 1; px += 7) {
        const double v = (px - area.left()) / area.width() * 10;
        const int py = static_cast<int>(std::lround(ToPixel(0, 5 + 4 * std::sin(v)).y()));
        EXPECT_TRUE(ColourNear(image, QPoint(px, py), qRgb(0, 0, 0), 1)) << px;
    }
}

TEST_F(GraphRenderTest, GapsBreakTheLine) {
    const double nan = std::nan("");
    const CDispatchDriver p = AddPlot({0, 2, 4, 6, 8}, {5, 5, nan, 5, 5});
    p.SetLong(14, kRed);
    const QImage image = Render();
    EXPECT_TRUE(ColourNear(image, At(1, 5), Rgb(kRed), 1));
    EXPECT_FALSE(ColourNear(image, At(4, 5), Rgb(kRed), 1));
    EXPECT_TRUE(ColourNear(image, At(7, 5), Rgb(kRed), 1));

    // A point between two gaps is drawn, though it has no line.
    const CDispatchDriver lone = AddPlot({1, 3, 5, 7, 9}, {2, nan, 2, nan, 2});
    lone.SetLong(14, kBlue);
    const QImage points = Render();
    for (double x : {1, 5, 9})
        EXPECT_TRUE(ColourNear(points, At(x, 2), Rgb(kBlue), 1)) << x;
    EXPECT_FALSE(ColourNear(points, At(3, 2), Rgb(kBlue), 1));
}

TEST_F(GraphRenderTest, AStepInXPastTheBreakStepBreaksTheLine) {
    // X 0..10 with none between 4 and 6: a few points, drawn one by one, and 100 000, drawn from
    // the column summaries; their steps are 1 and 0.0001 apart from the missing stretch.
    struct Case {
        const char* name;
        double spacing;
        double breakStep;
        bool joined;  // the line crosses the missing stretch
    } cases[] = {
        {"sparse, breaking", 1, 1.5, false},
        {"sparse, joining every point", 1, 0, true},
        {"sparse, a step within the break step", 1, 2.5, true},
        {"dense, breaking", 1e-4, 1.5e-4, false},
        {"dense, joining every point", 1e-4, 0, true},
    };
    for (const Case& c : cases) {
        std::vector<double> x, y;
        for (long i = 0; i * c.spacing <= 10 + 1e-9; ++i) {
            const double v = static_cast<double>(i) * c.spacing;
            if (v > 4 + 1e-9 && v < 6 - 1e-9) continue;
            x.push_back(v);
            y.push_back(5);
        }
        const CDispatchDriver p = AddPlot(x, y);
        p.SetLong(14, kRed);
        ASSERT_EQ(p.SetDouble(9022, c.breakStep), S_OK) << c.name;
        const QImage image = Render();
        EXPECT_TRUE(ColourNear(image, At(2, 5), Rgb(kRed), 1)) << c.name;
        EXPECT_EQ(ColourNear(image, At(5, 5), Rgb(kRed), 1), c.joined) << c.name;
        EXPECT_TRUE(ColourNear(image, At(8, 5), Rgb(kRed), 1)) << c.name;
        ASSERT_EQ(Call(Plots(), 257, {VarI4(1)}), S_OK);
    }
    const CDispatchDriver p = AddPlot({0, 1}, {5, 5});
    for (double bad : {-1.0, std::nan(""), HUGE_VAL})
        EXPECT_EQ(p.SetDouble(9022, bad), E_INVALIDARG) << bad;
}

// A line drawn against another set's values breaks where its sample numbers skip, whatever
// order its X come in; the numbers go with the points, appended with them.
TEST_F(GraphRenderTest, BreakKeysJudgeTheStepInsteadOfX) {
    struct Case {
        const char* name;
        std::vector<double> x;
        std::vector<double> keys;  // of the points, in two parts as a run appends them
        size_t firstPart;
        bool joined;  // between X 4 and 6
    } cases[] = {
        {"rising X, keys skip", {0, 2, 4, 6, 8, 10}, {0, 1, 2, 4, 5, 6}, 6, false},
        {"rising X, keys in a row", {0, 2, 4, 6, 8, 10}, {0, 1, 2, 3, 4, 5}, 6, true},
        {"falling X, keys skip", {10, 8, 6, 4, 2, 0}, {0, 1, 2, 4, 5, 6}, 6, false},
        {"falling X, keys in a row", {10, 8, 6, 4, 2, 0}, {0, 1, 2, 3, 4, 5}, 6, true},
        {"appended, keys skip", {0, 2, 4, 6, 8, 10}, {0, 1, 2, 4, 5, 6}, 3, false},
        {"appended, keys in a row", {0, 2, 4, 6, 8, 10}, {0, 1, 2, 3, 4, 5}, 3, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<double> y(c.x.size(), 5);
        const auto part = [](const std::vector<double>& v, size_t from, size_t to) {
            return std::vector<double>(v.begin() + long(from), v.begin() + long(to));
        };
        const CDispatchDriver p = AddPlot(part(c.x, 0, c.firstPart), part(y, 0, c.firstPart));
        p.SetLong(14, kRed);
        // X steps of 2 would break every segment: the keys decide.
        ASSERT_EQ(p.SetDouble(9022, 1.5), S_OK);
        ASSERT_EQ(Call(p, 9023, {VarArray(part(c.keys, 0, c.firstPart))}), S_OK);
        if (c.firstPart < c.x.size()) {
            const size_t n = c.x.size();
            ASSERT_EQ(
                Call(p, 9021,
                     {VarArray(part(c.x, c.firstPart, n)), VarArray(part(y, c.firstPart, n))}),
                S_OK);
            ASSERT_EQ(Call(p, 9023, {VarArray(part(c.keys, c.firstPart, n))}), S_OK);
        }
        const QImage image = Render();
        EXPECT_TRUE(ColourNear(image, At(3, 5), Rgb(kRed), 1));
        EXPECT_EQ(ColourNear(image, At(5, 5), Rgb(kRed), 1), c.joined);
        EXPECT_TRUE(ColourNear(image, At(7, 5), Rgb(kRed), 1));
        ASSERT_EQ(Call(Plots(), 257, {VarI4(1)}), S_OK);
    }

    // New points forget the old keys; more keys than points are refused.
    const CDispatchDriver p = AddPlot({0, 2, 4, 6}, {5, 5, 5, 5});
    p.SetLong(14, kRed);
    ASSERT_EQ(p.SetDouble(9022, 2.5), S_OK);
    ASSERT_EQ(Call(p, 9023, {VarArray({0.0, 1.0, 9.0, 10.0})}), S_OK);
    EXPECT_FALSE(ColourNear(Render(), At(3, 5), Rgb(kRed), 1));
    ASSERT_EQ(Call(p, 21, {VarArray({0.0, 2.0, 4.0, 6.0}), VarArray({5.0, 5.0, 5.0, 5.0})}), S_OK);
    EXPECT_TRUE(ColourNear(Render(), At(3, 5), Rgb(kRed), 1)) << "judged on X again";
    EXPECT_EQ(Call(p, 9023, {VarArray({0.0, 1.0, 2.0, 3.0, 4.0})}), E_INVALIDARG);
}

TEST_F(GraphRenderTest, ThePictureScalesPrintsAsVectorsAndGoesToSvg) {
    const size_t n = 1000000;
    std::vector<double> x(n), y(n);
    for (size_t i = 0; i < n; ++i)
        x[i] = 10.0 * i / n, y[i] = 5 + 3 * std::sin(i * 1e-5);
    const CDispatchDriver p = AddPlot(x, y);
    p.SetLong(14, kRed);
    graph.SetCaption("Printed");

    // Printing: white background, the control laid out at the page's proportions.
    G().SetLong(9001, RGB(255, 255, 255));
    const CCWPicture picture(graph.GetPicture());
    ASSERT_FALSE(picture.IsNull());
    EXPECT_EQ(picture.GetWidth(), 400);
    EXPECT_EQ(picture.GetHeight(), 300);
    G().SetLong(9001, 0xF0F0F0);  // the picture keeps what it was taken with

    QImage twice(800, 600, QImage::Format_RGB32);
    twice.fill(Qt::magenta);
    {
        QPainter painter(&twice);
        CDC dc(&painter);
        ASSERT_TRUE(picture.Render(dc, CRect(0, 0, 800, 600)));
    }
    SaveTestImage(twice, "graph_picture_2x");
    EXPECT_EQ(twice.pixel(2, 2) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(twice.pixel(797, 597) & 0xFFFFFF, 0xFFFFFFu);
    const double v = 5 + 3 * std::sin(5e5 * 1e-5);
    EXPECT_TRUE(ColourNear(twice, At(5, v) * 2, Rgb(kRed), 2));

    const QString pdf = env.File("graph.pdf").ToQString();
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setResolution(600);
        printer.setPageSize(
            QPageSize(QSizeF(4615 / 600.0 * 25.4, 6623 / 600.0 * 25.4), QPageSize::Millimeter));
        printer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter(&printer);
        CDC dc(&painter, true);
        ASSERT_TRUE(picture.Render(dc, CRect(0, 0, 4615, 6623)));
    }
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_FALSE(bytes.contains("/Subtype /Image"));
    EXPECT_FALSE(bytes.contains("/Subtype/Image"));
    EXPECT_LT(bytes.size(), 2 * 1024 * 1024);

    const QByteArray svg = picture.Svg();
    QSvgRenderer renderer(svg);
    ASSERT_TRUE(renderer.isValid());
    QImage fromSvg(400, 300, QImage::Format_RGB32);
    fromSvg.fill(Qt::magenta);
    {
        QPainter painter(&fromSvg);
        renderer.render(&painter, QRectF(0, 0, 400, 300));
    }
    SaveTestImage(fromSvg, "graph_svg");
    bool reddish = false;
    for (int dy = -2; dy <= 2; ++dy) {
        const QColor c = fromSvg.pixelColor(At(5, v) + QPoint(0, dy));
        if (c.red() > 180 && c.green() < 140 && c.blue() < 140) reddish = true;
    }
    EXPECT_TRUE(reddish);
}

}  // namespace

namespace {

using platform::graph::PlotPoints;

// Rising X with NaN gaps, one a long run, and with `backStep` a point whose X goes back.
void Series(size_t n, bool backStep, std::vector<double>& x, std::vector<double>& y) {
    x.resize(n);
    y.resize(n);
    for (size_t i = 0; i < n; ++i) {
        x[i] = 10.0 * static_cast<double>(i) / static_cast<double>(n);
        y[i] = 5 + 3 * std::sin(static_cast<double>(i) * 3e-4) + std::sin(static_cast<double>(i));
        if (i % 1009 == 0) y[i] = std::nan("");
    }
    for (size_t i = n / 2; i < n / 2 + 5000 && i < n; ++i)
        x[i] = std::nan("");
    if (backStep) x[n / 3] = 1;
}

QImage RenderPicture(const CCWPicture& picture, int scale = 1) {
    QImage image(400 * scale, 300 * scale, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    picture.Render(painter, QRectF(0, 0, image.width(), image.height()));
    return image;
}

}  // namespace

TEST_F(GraphRenderTest, AppendsInChunksDrawScaleAndSnapLikeOneWrite) {
    for (LONG i : {1, 2})
        Axes().Item(i).SetBool(9, true);
    const CDispatchDriver cursor = Cursors().Item(2);
    struct Row {
        const char* name;
        bool backStep;
        std::vector<size_t> chunks;  // repeated to the end
    };
    const Row rows[] = {
        {"in one", false, {300000}},
        {"small", false, {1000}},
        {"uneven", false, {1, 63, 4097, 70000}},
        {"x steps back", true, {5000, 17}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        std::vector<double> x, y;
        Series(300000, r.backStep, x, y);
        auto ranges = [&] {
            std::vector<double> out;
            for (LONG i : {1, 2})
                out.push_back(Axes().Item(i).GetDouble(3)),
                    out.push_back(Axes().Item(i).GetDouble(2));
            return out;
        };
        auto showCursor = [&] {
            cursor.SetLong(8, 1);
            cursor.SetBool(9, true);
        };
        ASSERT_EQ(Call(Plots(), 259), S_OK);
        CDispatchDriver plot = AddPlot(x, y);
        showCursor();
        const std::vector<double> wholeRanges = ranges();
        const QImage whole = Render(), wholeTwice = Render(400, 300, 2);

        ASSERT_EQ(Call(Plots(), 259), S_OK);
        plot = AddPlot({}, {});
        showCursor();
        std::optional<CCWPicture> early;
        size_t earlySize = 0;
        LONG snapped = -1;
        for (size_t at = 0, k = 0; at < x.size(); ++k) {
            const size_t m = std::min(r.chunks[k % r.chunks.size()], x.size() - at);
            ASSERT_EQ(Call(plot, 9021,
                           {VarArray(std::vector<double>(x.begin() + at, x.begin() + at + m)),
                            VarArray(std::vector<double>(y.begin() + at, y.begin() + at + m))}),
                      S_OK);
            at += m;
            // The cursor snaps to the last point once there is one, and then keeps it.
            for (size_t i = at; snapped < 0 && i-- > 0;)
                if (std::isfinite(x[i]) && std::isfinite(y[i])) snapped = static_cast<LONG>(i);
            EXPECT_EQ(cursor.GetLong(6), snapped);
            if (!early && at >= x.size() / 4)
                early = CCWPicture(graph.GetPicture()), earlySize = at;
        }
        EXPECT_EQ(ranges(), wholeRanges);
        EXPECT_EQ(cursor.GetDouble(1), x[static_cast<size_t>(snapped)]);
        cursor.SetLong(6, static_cast<LONG>(x.size() - 1));  // where one write put it
        EXPECT_EQ(Render(), whole);
        EXPECT_EQ(Render(400, 300, 2), wholeTwice);

        // The picture taken on the way shows what was there then.
        ASSERT_TRUE(early);
        const QImage earlyImage = RenderPicture(*early);
        ASSERT_EQ(Call(Plots(), 259), S_OK);
        AddPlot(std::vector<double>(x.begin(), x.begin() + earlySize),
                std::vector<double>(y.begin(), y.begin() + earlySize));
        showCursor();
        cursor.SetLong(6, snapped);
        EXPECT_EQ(earlyImage, RenderPicture(CCWPicture(graph.GetPicture())));
    }
}

namespace {

// Points that make summaries work hard, for a plot area 352 px wide showing X 0..10: columns of
// 0 to 400 points with unevenly spaced X, points on and just before each column's left edge that
// are the extremes of their columns, repeated X, level columns whose extremes tie, NaN and
// infinite X and Y, and a gap across several columns.
void Tricky(std::vector<double>& x, std::vector<double>& y) {
    std::mt19937 rng(5);
    auto uniform = [&](double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(rng);
    };
    const double nan = std::nan(""), inf = HUGE_VAL;
    auto edge = [](int c) { return (static_cast<double>(40 + c) - 40) / (392 - 40) * 10; };
    double before = 5;  // the last Y of the column before
    for (int c = 0; c < 352; ++c) {
        const double lo = edge(c), hi = edge(c + 1);
        const double level = c % 2 ? 7 : 3;
        // Each column's extremes at its two ends, unless stretches tie them.
        x.push_back(std::nextafter(lo, -inf)), y.push_back(before);
        x.push_back(lo), y.push_back(c % 4 < 2 ? level - 3.1 : level + 3.1);
        before = c % 3 ? level + 3.1 : level - 3.1;
        const int count = c % 37 == 5 ? 0 : static_cast<int>(rng() % 400);
        const double spread = c % 5 == 0 ? 0 : uniform(0, 2.9);
        double at = lo;
        for (int k = 0; k < count; ++k) {
            if (rng() % 5)
                at = std::min(std::nextafter(hi, -inf), at + uniform(0, 2 * (hi - lo) / count));
            x.push_back(at);
            switch (rng() % 11) {
                case 0:
                    y.push_back(level);  // in a column of spread 0, ties both extremes
                    break;
                case 1:
                    y.push_back(rng() % 2 ? nan : -inf);
                    break;
                default:
                    y.push_back(level + uniform(-spread, spread));
                    break;
            }
            if (rng() % 97 == 0) x.back() = nan;
        }
    }
    for (size_t i = x.size() / 2; i < x.size() / 2 + 3000; ++i)
        y[i] = nan;
}

}  // namespace

// Whatever summaries a redraw uses, it draws what a scan of every point draws: as a line, filled
// and as bars, at two resolutions.
class SummaryRenderTest : public GraphRenderTest {
protected:
    void ExpectDrawnAsByAScan(const std::vector<double>& x, const std::vector<double>& y,
                              double xmin, double xmax) {
        using Method = PlotPoints::Method;
        const CDispatchDriver plot = AddPlot(x, y);
        Axes().Item(1).SetDouble(3, xmin);
        Axes().Item(1).SetDouble(2, xmax);
        for (const std::string look : {"line", "fill", "bars"}) {
            SCOPED_TRACE(look);
            if (look == "fill") plot.SetLong(9020, 1);
            if (look == "bars") {
                ASSERT_EQ(graph.LoadStyle(ProgramFile("BarGraphStyle.cwx")), S_OK);
            }
            auto pictures = [&](Method m) {
                PlotPoints::UseMethod(m);
                std::vector<QImage> out{Render(), Render(400, 300, 2.5)};
                PlotPoints::UseMethod(Method::Summaries);
                return out;
            };
            const std::vector<QImage> scan = pictures(Method::Scan);
            EXPECT_EQ(pictures(Method::Summaries), scan);
            EXPECT_EQ(pictures(Method::Blocks), scan);
            if (look == "line") last = scan[0];
        }
    }
    QImage last;
};

TEST_F(SummaryRenderTest, ALongSeriesInAViewOffTheBlockEdges) {
    std::vector<double> x, y;
    Series(2000000, false, x, y);
    ExpectDrawnAsByAScan(x, y, 0.37, 9.1);
}

TEST_F(SummaryRenderTest, PointsOnColumnEdgesGapsAndTies) {
    ASSERT_EQ(PlotArea(), QRectF(QPointF(40, 21), QPointF(392, 269)));  // the edges Tricky knows
    std::vector<double> x, y;
    Tricky(x, y);
    double lastX = -HUGE_VAL;  // X never decreases, so the summaries are what draws
    for (double v : x)
        if (std::isfinite(v)) {
            ASSERT_GE(v, lastX);
            lastX = v;
        }
    ExpectDrawnAsByAScan(x, y, 0, 10);
    SaveTestImage(last, "graph_tricky_points");
}

namespace {

// Records the box of every text drawn.
class TextEngine : public QPaintEngine {
public:
    TextEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawTextItem(const QPointF& p, const QTextItem& item) override {
        texts.push_back(
            {QRectF(p.x(), p.y() - item.ascent(), item.width(), item.ascent() + item.descent()),
             item.text()});
    }
    Type type() const override { return QPaintEngine::User; }
    std::vector<std::pair<QRectF, QString>> texts;
};

using TextDevice = EngineDevice<TextEngine>;

}  // namespace

TEST_F(GraphRenderTest, EveryLabelAndCaptionIsWholeInsideTheImageAndClearOfTheOthers) {
    const QString yCaption = "Relative humidity(%RH)", title = "Greenhouse, north bed";
    struct Row {
        const char* name;
        double xmin, xmax, ymin, ymax;
        bool rightAxis;
    };
    const Row rows[] = {
        {"round", 0, 10, 0, 10, false},
        {"wide numbers", -12345.6, 987654.3, -0.00123, 0.00456, false},
        {"right axis", 0.37, 9.1, 950, 1050, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        graph.SetCaption(title.toStdString().c_str());
        Axes().Item(1).SetString(-518, "Time (s)");
        Axes().Item(2).SetString(-518, yCaption.toStdString().c_str());
        Axes().Item(1).SetDouble(3, r.xmin), Axes().Item(1).SetDouble(2, r.xmax);
        Axes().Item(2).SetDouble(3, r.ymin), Axes().Item(2).SetDouble(2, r.ymax);
        if (r.rightAxis) {
            const CDispatchDriver right = Add(Axes());
            right.GetObject(10).SetBool(4, true);
            right.GetObject(12).SetBool(4, true);
            right.SetString(-518, "Light(lux)");
            right.SetDouble(3, -5000), right.SetDouble(2, 125000);
            right.SetBool(13, true);
        }
        SaveTestImage(Render(), (std::string("graph_labels_") + r.name).c_str());
        for (const QSize size : {QSize(180, 140), QSize(260, 200), QSize(400, 300), QSize(555, 333),
                                 QSize(1000, 600)}) {
            SCOPED_TRACE(size.width());
            TextDevice device(size.width(), size.height());
            {
                QPainter p(&device);
                Control().Render(p, QRectF(QPointF(0, 0), size), size);
            }
            const auto& texts = device.engine.texts;
            const QRectF image(QPointF(0, 0), size);
            size_t labels = 0;
            for (size_t i = 0; i < texts.size(); ++i) {
                const auto& [box, text] = texts[i];
                EXPECT_TRUE(image.adjusted(-0.5, -0.5, 0.5, 0.5).contains(box))
                    << text.toStdString() << " at " << box.x() << "," << box.y() << " "
                    << box.width() << "x" << box.height();
                for (size_t j = 0; j < i; ++j)
                    EXPECT_FALSE(box.adjusted(0.5, 0.5, -0.5, -0.5).intersects(texts[j].first))
                        << text.toStdString() << " over " << texts[j].second.toStdString();
                labels +=
                    text != yCaption && text != title && text != "Time (s)" && text != "Light(lux)";
            }
            EXPECT_GE(labels, 3u);
            // The captions fit these widths whole.
            for (const QString& caption : {yCaption, title, QString("Time (s)")})
                EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [&](const auto& t) {
                    return t.second == caption;
                })) << caption.toStdString();
        }
    }
    // The plot area is framed on all four sides.
    const QImage image = Render();
    const QRect area = PlotArea().toRect();
    for (const QPoint at :
         {QPoint(area.center().x(), area.top()), QPoint(area.right(), area.center().y()),
          QPoint(area.center().x(), area.bottom()), QPoint(area.left(), area.center().y())})
        EXPECT_TRUE(ColourNear(image, at, qRgb(0, 0, 0), 1)) << at.x() << "," << at.y();
}

TEST_F(GraphRenderTest, WideYLabelsKeepClearOfEveryAxisLineAndItsTicks) {
    enum Extra { kNone, kSecondLeft, kRight };
    const struct {
        const char* name;
        Extra extra;
    } rows[] = {{"one axis", kNone}, {"two left axes", kSecondLeft}, {"right axis", kRight}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        ASSERT_EQ(Axes().Item(2).SetString(11, ".##"), S_OK);
        Axes().Item(2).SetDouble(3, 0), Axes().Item(2).SetDouble(2, 1400);
        if (r.extra != kNone) {
            const CDispatchDriver more = Add(Axes());
            if (r.extra == kRight) {
                more.GetObject(10).SetBool(4, true);
                more.GetObject(10).SetBool(3, false);
            }
            ASSERT_EQ(more.SetString(11, ".##"), S_OK);
            more.SetDouble(3, -1400), more.SetDouble(2, 1400);
            more.SetBool(13, true);
        }
        const QImage image = Render();
        SaveTestImage(image, (std::string("graph_wide_y_labels_") + r.name).c_str());
        // Axis lines run the plot's whole height; their ticks point into the plot.
        const QRect area = PlotArea().toRect();
        std::vector<std::pair<double, double>> columns;
        for (int x = 0; x < image.width(); ++x) {
            bool line = true;
            for (int y = area.top() + 1; y < area.bottom() && line; ++y)
                line = qGray(image.pixel(x, y)) < 128;
            if (line && x <= area.left()) columns.emplace_back(x, x + 4);
            if (line && x >= area.right()) columns.emplace_back(x - 4, x);
        }
        // The first right axis is the plot's right frame.
        ASSERT_EQ(columns.size(), r.extra == kSecondLeft ? 3u : 2u);
        TextDevice device(image.width(), image.height());
        {
            QPainter p(&device);
            Control().Render(p, QRectF(image.rect()), QSizeF(image.size()));
        }
        int wide = 0;
        for (const auto& [box, text] : device.engine.texts) {
            if (!text.endsWith(".00")) continue;
            wide += text.size() >= 7;
            for (const auto& [from, to] : columns)
                EXPECT_TRUE(box.right() < from || box.left() > to + 1)
                    << text.toStdString() << " at " << box.left() << ".." << box.right()
                    << " over the column " << from << ".." << to;
        }
        EXPECT_GT(wide, 0);
        Axes().Item(2).SetString(11, "");
        while (Axes().Count() > 2)
            ASSERT_EQ(Call(Axes(), 257, {VarI4(3)}), S_OK);
    }
}

// The pixels of one image whose colour the other shows nowhere within a pixel of them.
static int Unmatched(const QImage& a, const QImage& b) {
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            bool near = false;
            for (int dy = -1; dy <= 1 && !near; ++dy)
                for (int dx = -1; dx <= 1 && !near; ++dx)
                    near = b.valid(x + dx, y + dy) && b.pixel(x + dx, y + dy) == a.pixel(x, y);
            n += !near;
        }
    return n;
}

// Dense lines written straight into a 32-bit image look as the painter draws them elsewhere.
TEST_F(GraphRenderTest, ADenseLineInAThirtyTwoBitImageMatchesThePaintersDrawing) {
    std::vector<double> x, y;
    Series(300000, false, x, y);
    AddPlot(x, y).SetLong(14, kRed);
    std::vector<double> y2(y.size());
    for (size_t i = 0; i < y.size(); ++i)
        y2[i] = 10.5 - y[i];  // partly above the plot area
    AddPlot(x, y2).SetLong(14, kBlue);
    Axes().Item(1).SetDouble(3, 0.37);
    Axes().Item(1).SetDouble(2, 9.1);
    struct Case {
        const char* name;
        double scale;
        QRect clip;  // the caller's own clip, if any
    };
    const Case cases[] = {
        {"plain", 1, {}}, {"scaled", 2.5, {}}, {"clipped", 1, {90, 40, 150, 170}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto draw = [&](QImage::Format format) {
            QImage image(static_cast<int>(430 * c.scale), static_cast<int>(320 * c.scale), format);
            image.fill(Qt::magenta);
            QPainter p(&image);
            if (!c.clip.isEmpty()) p.setClipRect(c.clip);
            Control().Render(p, QRectF(QPointF(20, 10) * c.scale, QSizeF(400, 300) * c.scale),
                             QSizeF(400, 300));
            p.end();
            return image.convertToFormat(QImage::Format_RGB32);
        };
        const QImage painted = draw(QImage::Format_RGB888);
        for (QImage::Format f : {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied}) {
            const QImage written = draw(f);
            EXPECT_EQ(Unmatched(written, painted), 0);
            EXPECT_EQ(Unmatched(painted, written), 0);
        }
    }
}

// Dense lines that go into the image together keep their order: where they cover each other,
// the later plot shows, and each shows where only it lies.
TEST_F(GraphRenderTest, DenseLinesWrittenTogetherShowTheLaterPlotOnTop) {
    const size_t n = 200000;
    const struct {
        COLORREF colour;
        double mid, half;  // a band of noise about mid
    } bands[] = {{kRed, 5, 3}, {kBlue, 5, 1.5}, {kGreen, 5.75, 0.5}};
    std::vector<double> x(n);
    for (size_t i = 0; i < n; ++i)
        x[i] = 10.0 * static_cast<double>(i) / n;
    for (const auto& b : bands) {
        std::vector<double> y(n);
        for (size_t i = 0; i < n; ++i)
            y[i] = b.mid + b.half * (i % 2 ? 1 : -1) * (0.9 + 0.1 * std::sin(i * 0.01));
        AddPlot(x, y).SetLong(14, b.colour);
    }
    const QImage image = Render();
    SaveTestImage(image, "graph_dense_bands");
    for (double at : {1.0, 5.0, 9.0}) {
        SCOPED_TRACE(at);
        EXPECT_EQ(image.pixel(At(at, 2.5)), Rgb(kRed));
        EXPECT_EQ(image.pixel(At(at, 7.5)), Rgb(kRed));
        EXPECT_EQ(image.pixel(At(at, 4)), Rgb(kBlue));
        EXPECT_EQ(image.pixel(At(at, 6.5)), Rgb(kBlue));
        EXPECT_EQ(image.pixel(At(at, 5.75)), Rgb(kGreen));
        EXPECT_NE(image.pixel(At(at, 1.5)), Rgb(kRed));  // below every band
    }
}
