#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "platform/msg/message_pos.h"
#include "tests/activex/fixture.h"

using namespace activex_test;

namespace {

class GraphInteractionTest : public GraphTest {
protected:
    GraphInteractionTest() {
        for (LONG i : {1, 2}) {
            Axes().Item(i).SetDouble(3, 0);
            Axes().Item(i).SetDouble(2, 10);
        }
        widget = Control().GetWidget();
        area = PlotArea();
    }
    QPointF At(double x, double y) const {
        return QPointF(area.left() + x / 10 * area.width(), area.bottom() - y / 10 * area.height());
    }
    QRectF area;
    void Send(QEvent::Type type, QPointF pos, Qt::MouseButton button, Qt::MouseButtons held,
              Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QMouseEvent e(type, pos, widget->mapToGlobal(pos), button, held, mods);
        QApplication::sendEvent(widget, &e);
    }
    void Press(QPointF p, Qt::MouseButton b = Qt::LeftButton,
               Qt::KeyboardModifiers m = Qt::NoModifier) {
        Send(QEvent::MouseButtonPress, p, b, b, m);
    }
    void MoveTo(QPointF p, Qt::MouseButtons held = Qt::LeftButton) {
        Send(QEvent::MouseMove, p, Qt::NoButton, held);
    }
    void Release(QPointF p, Qt::MouseButton b = Qt::LeftButton) {
        Send(QEvent::MouseButtonRelease, p, b, Qt::NoButton);
    }
    void DoubleClick(QPointF p) {
        Send(QEvent::MouseButtonDblClick, p, Qt::LeftButton, Qt::LeftButton);
    }
    // A plot with points at X = 0, 1, ... 10 on the line Y = X.
    CDispatchDriver Diagonal() {
        std::vector<double> x, y;
        for (int i = 0; i <= 10; ++i)
            x.push_back(i), y.push_back(i);
        return AddPlot(x, y);
    }
    QWidget* widget = nullptr;
};

TEST_F(GraphInteractionTest, APressOnAPlotRaisesMouseDownThenThePlotThenTheArea) {
    Diagonal();
    Press(At(3, 3.05), Qt::LeftButton, Qt::ShiftModifier);
    Release(At(3, 3.05));
    ASSERT_EQ(events.log.size(), 4u);
    EXPECT_EQ(events.log[0], CString::Formatted("-605(1,1,%d,%d)", At(3, 3.05).toPoint().x(),
                                                At(3, 3.05).toPoint().y())
                                 .str());
    EXPECT_EQ(events.log[1], "5(1,1,3,3,0,3)");  // the point's own values, 0-based indexes
    EXPECT_EQ(events.Ids(), (std::vector<DISPID>{-605, 5, 8, -607}));
    EXPECT_EQ(events.log[2].substr(0, 8), "8(1,1,3,");

    // Elsewhere in the plot area: no plot event; the right button gives the same order.
    events.Clear();
    Press(At(8, 1), Qt::RightButton);
    Release(At(8, 1), Qt::RightButton);
    EXPECT_EQ(events.Ids(), (std::vector<DISPID>{-605, 8, -607}));
    EXPECT_EQ(events.log[1].substr(0, 6), "8(2,0,");

    // The axis strips raise only the mouse events.
    events.Clear();
    Press(QPointF(20, 100));
    MoveTo(QPointF(20, 120));
    Release(QPointF(20, 120));
    EXPECT_EQ(events.Ids(), (std::vector<DISPID>{-605, -606, -607}));

    // The second press of a double click gives -605 and -601 only, and keeps its position.
    events.Clear();
    Press(At(5, 1));
    Release(At(5, 1));
    DoubleClick(At(5, 1));
    Release(At(5, 1));
    EXPECT_EQ(events.Ids(), (std::vector<DISPID>{-605, 8, -607, -605, -601, -607}));
    const QPoint global = widget->mapToGlobal(At(5, 1).toPoint());
    EXPECT_EQ(LOWORD(GetMessagePos()), global.x());
    EXPECT_EQ(HIWORD(GetMessagePos()), global.y());

    // Where plots overlap, the highest-numbered one under the press wins, not merely the last.
    Diagonal();
    AddPlot({0, 10}, {9, 9});
    events.Clear();
    Press(At(3, 3.05));
    Release(At(3, 3.05));
    EXPECT_EQ(events.log[1], "5(1,0,3,3,1,3)");
}

TEST_F(GraphInteractionTest, ALabelOrShapeWinsOverThePlotBeneathIt) {
    Diagonal();
    const CDispatchDriver label = Add(Annotations());
    label.GetObject(6).SetString(1, "here");
    label.GetObject(6).SetDouble(2, 5);
    label.GetObject(6).SetDouble(3, 5);
    label.SetObject(3, Plots().Item(1));
    Press(At(5, 5));
    Release(At(5, 5));
    EXPECT_EQ(events.Ids(), (std::vector<DISPID>{-605, 14, 8, -607}));
    EXPECT_EQ(events.log[1], "14(1,0,5,5,0,3)");
}

TEST_F(GraphInteractionTest, DraggingACursorSnapsToDataAndReportsTrackingThenTheEnd) {
    std::vector<double> x, y;
    for (int i = 0; i <= 100; ++i)
        x.push_back(0.1 * i), y.push_back(std::sin(0.1 * i) + 5);
    const CDispatchDriver plot = AddPlot(x, y);
    ASSERT_EQ(graph.SetTrackMode(2), S_OK);
    const CDispatchDriver b = Cursors().Item(3);
    b.SetObject(8, plot);
    b.SetLong(6, 20);
    b.SetBool(9, true);
    Press(At(2.02, 1));
    MoveTo(At(6.31, 1));
    Release(At(6.31, 1));
    EXPECT_EQ(events.Ids(), (std::vector<DISPID>{-605, 8, -606, 9050, 9050, -607}));
    EXPECT_EQ(events.log[3].back(), ')');
    EXPECT_NE(events.log[3].find(",63,T)"), std::string::npos);
    EXPECT_NE(events.log[4].find(",63,F)"), std::string::npos);
    EXPECT_EQ(b.GetDouble(1), x[63]);  // a data X, bit for bit
    EXPECT_EQ(b.GetLong(6), 63);
    EXPECT_NE(Control().Dump().Find("active=2"), -1);

    // Writes of the cursor raise nothing.
    events.Clear();
    b.SetLong(6, 10);
    b.SetDouble(1, 4);
    EXPECT_TRUE(events.log.empty());
}

TEST_F(GraphInteractionTest, OnATieBIsGrabbedBeforeAAndAOverTheExtraCursor) {
    const CDispatchDriver plot = Diagonal();
    ASSERT_EQ(graph.SetTrackMode(2), S_OK);
    // Cursor items 1, 2, 3 are the extra cursor, A and B; all on the same point.
    for (LONG item : {1, 2, 3}) {
        Cursors().Item(item).SetObject(8, plot);
        Cursors().Item(item).SetLong(6, 4);
    }
    struct Row {
        std::vector<LONG> shown;
        const char* grabbed;
    };
    for (const Row& r : {Row{{1, 2, 3}, "9050(2,"}, Row{{1, 2}, "9050(1,"}, Row{{1}, "9050(0,"}}) {
        SCOPED_TRACE(r.grabbed);
        for (LONG item : {1, 2, 3})
            Cursors().Item(item).SetBool(
                9, std::find(r.shown.begin(), r.shown.end(), item) != r.shown.end());
        events.Clear();
        Press(At(4, 1));
        Release(At(4, 1));
        ASSERT_EQ(events.Ids(), (std::vector<DISPID>{-605, 8, 9050, -607}));
        EXPECT_EQ(events.log[2].substr(0, 7), r.grabbed);
    }
}

TEST_F(GraphInteractionTest, PanAndZoomSetEveryAxisAndEndAutoscale) {
    Diagonal();
    Axes().Item(1).SetBool(9, true);
    Axes().Item(1).SetDouble(3, 0);  // a put ends autoscale; set it again for the gesture
    Axes().Item(1).SetBool(9, true);
    ASSERT_EQ(graph.SetTrackMode(3), S_OK);
    // About a fifth of the plot area right and down, in whole pixels.
    const QPointF by(std::round(area.width() / 5), std::round(area.height() / 5));
    const double dx = by.x() / area.width() * 10, dy = by.y() / area.height() * 10;
    Press(QPointF(200, 100));
    MoveTo(QPointF(200, 100) + by);
    Release(QPointF(200, 100) + by);
    EXPECT_EQ(events.Ids(), (std::vector<DISPID>{-605, -606, -607}));
    // The ranges keep their widths; the shift is within a pixel, as the labels at the new
    // range may widen the plot area by a few pixels.
    EXPECT_NEAR(Axes().Item(1).GetDouble(3), -dx, 0.03);
    EXPECT_NEAR(Axes().Item(1).GetDouble(2) - Axes().Item(1).GetDouble(3), 10, 1e-9);
    EXPECT_NEAR(Axes().Item(2).GetDouble(3), dy, 0.03);
    EXPECT_NEAR(Axes().Item(2).GetDouble(2) - Axes().Item(2).GetDouble(3), 10, 1e-9);
    EXPECT_FALSE(Axes().Item(1).GetBool(9));

    ASSERT_EQ(graph.SetTrackMode(6), S_OK);
    for (LONG i : {1, 2})
        Axes().Item(i).SetDouble(3, -1e6), Axes().Item(i).SetDouble(2, 10),
            Axes().Item(i).SetDouble(3, 0);
    Press(At(2, 8));
    MoveTo(At(4, 6));
    EXPECT_TRUE(Control().RubberBand().has_value());
    Release(At(6, 4));
    EXPECT_FALSE(Control().RubberBand().has_value());
    EXPECT_NEAR(Axes().Item(1).GetDouble(3), 2, 1e-9);
    EXPECT_NEAR(Axes().Item(1).GetDouble(2), 6, 1e-9);
    EXPECT_NEAR(Axes().Item(2).GetDouble(3), 4, 1e-9);
    EXPECT_NEAR(Axes().Item(2).GetDouble(2), 8, 1e-9);
    // A band under 4 x 4 pixels changes nothing.
    Press(QPointF(200, 100));
    Release(QPointF(202, 150));
    EXPECT_NEAR(Axes().Item(1).GetDouble(3), 2, 1e-9);
}

TEST_F(GraphInteractionTest, ALabelDragEndsBeforeMouseUpSoTheHandlerReadsTheMovedLabel) {
    const CDispatchDriver plot = Diagonal();
    ASSERT_EQ(graph.SetTrackMode(9), S_OK);
    const CDispatchDriver label = Add(Annotations());
    label.GetObject(6).SetString(1, "drag me");
    label.GetObject(6).SetDouble(2, 5);
    label.GetObject(6).SetDouble(3, 8);
    label.SetObject(3, plot);
    // The view re-places its labels at -607: what it sees then must be the moved label.
    std::vector<double> seenAtMouseUp;
    host.GetEventSinks().Clear();
    host.GetEventSinks().On(1000, -607, [&](SHORT, SHORT, LONG, LONG) {
        seenAtMouseUp = {label.GetObject(6).GetDouble(2), label.GetObject(6).GetDouble(3)};
        events.log.push_back("-607()");
    });
    events.Listen(host, 1000, {-605, -606, 8, 11, 14});
    Press(At(5, 8));
    MoveTo(At(6, 7));
    MoveTo(At(7, 6));
    Release(At(7, 6));
    EXPECT_EQ(events.Ids(), (std::vector<DISPID>{-605, 14, 8, -606, 11, -606, 11, 11, -607}));
    EXPECT_EQ(events.log[4], "11(3,0,T)");
    EXPECT_EQ(events.log[7], "11(3,0,F)");
    ASSERT_EQ(seenAtMouseUp.size(), 2u);
    EXPECT_NEAR(seenAtMouseUp[0], 7, 1e-9);
    EXPECT_NEAR(seenAtMouseUp[1], 6, 1e-9);
    // Kept inside the plot area.
    Press(At(7, 6));
    MoveTo(QPointF(600, -50));
    Release(QPointF(600, -50));
    EXPECT_NEAR(label.GetObject(6).GetDouble(2), 10, 1e-9);
    EXPECT_NEAR(label.GetObject(6).GetDouble(3), 10, 1e-9);
}

TEST_F(GraphInteractionTest, KeysRaiseKeyDownWithTheCodeByReferenceAndMoveNothing) {
    Diagonal();
    host.GetEventSinks().Clear();
    std::vector<int> codes;
    host.GetEventSinks().On(1000, -602, [&](SHORT& key, SHORT shift) {
        codes.push_back(key);
        codes.push_back(shift);
        key = 0;
    });
    const CString before = Control().Dump();
    QKeyEvent e(QEvent::KeyPress, Qt::Key_Right, Qt::ControlModifier);
    QApplication::sendEvent(widget, &e);
    EXPECT_EQ(codes, (std::vector<int>{static_cast<int>(VK_RIGHT), 2}));
    EXPECT_EQ(Control().Dump(), before);
}

TEST_F(GraphInteractionTest, AHandlerMayRemoveTheDraggedPlotOrDestroyTheControl) {
    const CDispatchDriver plot = Diagonal();
    ASSERT_EQ(graph.SetTrackMode(2), S_OK);
    const CDispatchDriver a = Cursors().Item(2);
    a.SetObject(8, plot);
    a.SetLong(6, 5);
    a.SetBool(9, true);
    bool removed = false;
    host.GetEventSinks().Clear();
    host.GetEventSinks().On(1000, 9050, [&](LONG, double, double, LONG, bool) {
        events.log.push_back("9050()");
        if (!removed) removed = SUCCEEDED(Call(Plots(), 257, {VarI4(1)}));
    });
    events.Listen(host, 1000, {-605, -606, -607, 5, 8});
    Press(At(5, 1));
    MoveTo(At(6, 1));
    MoveTo(At(7, 1));
    Release(At(7, 1));
    EXPECT_TRUE(removed);
    EXPECT_EQ(events.Ids(), (std::vector<DISPID>{-605, 8, -606, 9050, -606, -607}));
    EXPECT_FALSE(a.GetBool(9));

    // A handler that destroys the whole control in the middle of a press.
    host.GetEventSinks().Clear();
    host.GetEventSinks().On(1000, -605,
                            [&](SHORT, SHORT, LONG, LONG) { Control().DestroyWindow(); });
    Press(At(5, 5));
    Release(At(5, 5));
    EXPECT_EQ(graph.SetTrackMode(1), RPC_E_DISCONNECTED);
}

}  // namespace
