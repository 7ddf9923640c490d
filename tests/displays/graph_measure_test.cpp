// Area under the curve and the tangent, on the real control, and the tool commands through the
// document's route.

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "RES/commands.h"
#include "RES/graph_bars.h"
#include "tests/displays/graph_tool_fixture.h"

namespace graph_test {
namespace {

constexpr COLORREF kShade = 0xFFCD9B;

class GraphMeasureTest : public GraphToolFixture {};

TEST_F(GraphMeasureTest, AreaShadesBetweenTheCursorsInJoinedPolygons) {
    struct Row {
        const char* what;
        LONG a, b;
        size_t polygons;
    };
    const Row rows[] = {
        {"50 points apart", 120, 170, 1},
        {"1000 points apart, B left of A", 1300, 300, 3},
        {"on one point", 500, 500, 0},
    };
    const auto y = Make(2000, [](double i) { return 1.5 + std::sin(i / 100.0); });
    CDataTreeBrench* d = Show({}, y);
    Window(0, 2000, 0, 3);
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        Cursors(r.a, r.b);
        Command(ID_AREA);
        ASSERT_EQ(view.m_areaMode, 1);
        EXPECT_EQ(MainCheck(ID_AREA), 1);
        EXPECT_EQ(MainCheck(ID_AREA_TB), 1);
        const auto polygons = Extra();
        ASSERT_EQ(polygons.size(), r.polygons);
        const LONG lo = std::min(r.a, r.b), hi = std::max(r.a, r.b);
        double covered = static_cast<double>(lo);
        for (const auto* a : polygons) {
            const auto& sh = a->shape;
            EXPECT_EQ(a->kind, 3);
            EXPECT_EQ(sh.kind, 4);
            EXPECT_EQ(sh.fillColor, kShade);
            EXPECT_TRUE(sh.filled && sh.beneath && !sh.outline);
            ASSERT_LE(sh.x->size(), 400u);
            EXPECT_EQ(sh.y->front(), 0.0);
            EXPECT_EQ(sh.y->back(), 0.0);
            EXPECT_EQ(sh.x->front(), covered) << "each polygon starts where the last ended";
            covered = sh.x->back();
        }
        if (r.polygons) {
            EXPECT_EQ(covered, static_cast<double>(hi));
            // Under the curve every column is shaded, seams included; above it nothing is.
            const QImage image = Picture();
            SaveTestImage(image, r.polygons > 1 ? "graph_area_wide" : "graph_area");
            for (LONG i = lo + 10; i < hi - 10; i += 7) {
                const QPointF top = Pixel(static_cast<double>(i), y[static_cast<size_t>(i)]);
                const QPointF zero = Pixel(static_cast<double>(i), 0);
                const int x = static_cast<int>(std::lround(top.x()));
                EXPECT_EQ(Px(image, x, static_cast<int>((top.y() + zero.y()) / 2)), kShade) << i;
                EXPECT_NE(Px(image, x, static_cast<int>(top.y()) - 6), kShade) << i;
            }
        }
        Command(ID_AREA_TB);  // off
        EXPECT_EQ(view.m_areaMode, 0);
        EXPECT_EQ(MainCheck(ID_AREA), 0);
        EXPECT_TRUE(Extra().empty());
        EXPECT_EQ(view.m_cursorCount, 0);
    }
    EXPECT_EQ(d->m_annotations.size(), 0u);
}

TEST_F(GraphMeasureTest, TangentIsAHundredPixelsLongWhateverTheScales) {
    struct Scale {
        double x0, x1, y0, y1;
    };
    const Scale scales[] = {{0, 100, -50, 50}, {20, 60, -400, 400}, {0, 1000, -5, 5}};
    for (bool right : {false, true}) {
        for (double slope : {0.0, 1.0, -3.0}) {
            for (const Scale& sc : scales) {
                SCOPED_TRACE(testing::Message() << "slope " << slope << " X " << sc.x0 << ".."
                                                << sc.x1 << (right ? " on the right axis" : ""));
                view.HideCursors();
                view.RefreshGraph(TRUE);
                const auto y = Make(101, [&](double i) { return slope * (i - 50.0); });
                Show({}, right ? Make(101, [](double i) { return i; }) : y);
                if (right) Show(TemperatureFields(), y);
                const int plot = right ? 1 : 0;
                Window(sc.x0, sc.x1, sc.y0, sc.y1, plot + 2);
                Cursors(40, -1, static_cast<SHORT>(plot + 1));
                Command(ID_SLOPE);
                ASSERT_EQ(view.m_slopeMode, 1);
                const auto& t = State().annotations[2];
                ASSERT_TRUE(t.visible);
                ASSERT_EQ(t.shape.kind, 2);
                const QPointF p1 = Pixel((*t.shape.x)[0], (*t.shape.y)[0], plot);
                const QPointF p2 = Pixel((*t.shape.x)[1], (*t.shape.y)[1], plot);
                EXPECT_NEAR(std::hypot(p2.x() - p1.x(), p2.y() - p1.y()), 100.0, 0.5);
                const QPointF at = Pixel(40, y[40], plot);
                EXPECT_NEAR((p1.x() + p2.x()) / 2, at.x(), 0.5);
                EXPECT_NEAR((p1.y() + p2.y()) / 2, at.y(), 0.5);
                // Along the curve's own pixel direction.
                const QPointF c1 = Pixel(39, y[39], plot), c2 = Pixel(41, y[41], plot);
                const double cross =
                    (p2.x() - p1.x()) * (c2.y() - c1.y()) - (p2.y() - p1.y()) * (c2.x() - c1.x());
                EXPECT_NEAR(cross / std::hypot(c2.x() - c1.x(), c2.y() - c1.y()), 0.0, 0.5);
                Command(ID_SLOPE);
                EXPECT_FALSE(State().annotations[2].visible);
            }
        }
    }
}

TEST_F(GraphMeasureTest, TangentEdges) {
    Show({}, Make(101, [](double i) { return i; }));
    Window(0, 100, 0, 100);
    // Two cursors: slope keeps cursor A alone.
    Cursors(30, 70);
    Command(ID_SLOPE);
    EXPECT_EQ(view.m_cursorCount, 1);
    EXPECT_EQ(State().cursors[1].index, 30);
    EXPECT_TRUE(State().annotations[2].visible);
    EXPECT_EQ(MainCheck(ID_SLOPE), 1);
    // The first and the last point have no neighbours on both sides.
    for (LONG end : {0L, 100L}) {
        view.GetGraph().GetCursors().Item(2).SetLong(6, end);
        view.UpdateCursorReadout();
        EXPECT_FALSE(State().annotations[2].visible) << end;
    }
    // Area switches slope off, and the other way round.
    Command(ID_AREA);
    EXPECT_EQ(view.m_slopeMode, 0);
    EXPECT_EQ(MainCheck(ID_SLOPE), 0);
    EXPECT_EQ(view.m_areaMode, 1);
    EXPECT_EQ(view.m_cursorCount, 2);
    Command(ID_SLOPE);
    EXPECT_EQ(view.m_areaMode, 0);
    EXPECT_EQ(MainCheck(ID_AREA), 0);
    EXPECT_TRUE(Extra().empty()) << "the shading went with area mode";
    EXPECT_EQ(view.m_cursorCount, 1);
    Command(ID_SLOPE);

    // Y vs X with the X set standing still around the point: a vertical tangent.
    view.HideCursors();
    view.RefreshGraph(TRUE);
    Show({}, Make(101, [](double i) { return i; }));
    view.m_yVsX = 1;
    view.m_xAxis.dataSet = AddSet({"Volt", 0, 100, 2, 0, 0, "V"},
                                  Make(101, [](double i) { return i < 60 ? i : 60.0; }));
    view.PlotAllData(0);
    Window(0, 100, 0, 100);
    Cursors(80);
    Command(ID_SLOPE);
    const auto& t = State().annotations[2];
    ASSERT_TRUE(t.visible);
    const QPointF p1 = Pixel((*t.shape.x)[0], (*t.shape.y)[0]);
    const QPointF p2 = Pixel((*t.shape.x)[1], (*t.shape.y)[1]);
    EXPECT_NEAR(p1.x(), p2.x(), 1e-6);
    EXPECT_NEAR(std::fabs(p2.y() - p1.y()), 100.0, 0.5);
    EXPECT_TRUE(std::isfinite(p1.y()) && std::isfinite(p2.y()));
    view.m_yVsX = 0;
    view.m_xAxis.dataSet = nullptr;
}

TEST_F(GraphMeasureTest, TheDocumentPassesTheToolsOnToTheGraph) {
    Show({}, Make(101, [](double i) { return i; }));
    Window(0, 100, -1, 1000);
    auto viaDoc = [&](UINT id) { ASSERT_TRUE(doc.OnCmdMsg(id, 0, nullptr, nullptr)) << id; };
    viaDoc(ID_GRAPH_ZOOM);
    EXPECT_EQ(view.m_zoomMode, 1);
    viaDoc(ID_GRAPH_PAN);
    EXPECT_EQ(view.m_panMode, 1);
    viaDoc(ID_GRAPH_PAN);
    viaDoc(ID_SLOPE);
    EXPECT_EQ(view.m_slopeMode, 1);
    viaDoc(ID_AREA);
    EXPECT_EQ(view.m_areaMode, 1);
    viaDoc(ID_STATISTICS_TB);
    EXPECT_TRUE(frame.m_readoutText.Find("Min. = ") == 0) << frame.m_readoutText.GetString();
    viaDoc(ID_AREA);
    viaDoc(ID_SHOW_ANNOTATIONS);
    EXPECT_EQ(view.m_annotationsShown, 0);
    viaDoc(ID_SHOW_ANNOTATIONS);
    viaDoc(ID_MOVE_ANNOTATIONS);
    EXPECT_EQ(view.m_moveAnnotationMode, 1);
    viaDoc(ID_MOVE_ANNOTATIONS);
    Cursors(20);
    viaDoc(ID_GRAPH_CROP);
    EXPECT_NE(doc.m_dataList.FindByName("Cropped data"), nullptr);
    // Add, edit and delete open the caption dialog or do nothing without a cursor.
    for (UINT id : {ID_ADD_ANNOTATION, ID_EDIT_ANNOTATION_CAPTION, ID_DELETE_ANNOTATION})
        viaDoc(id);
    EXPECT_EQ(modals.Pending(), 0u);
}

}  // namespace
}  // namespace graph_test
