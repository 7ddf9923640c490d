#pragma once
// A 400 x 300 graph view for the measuring and annotation tools, with the control's pixels at hand.

#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <cmath>
#include <vector>

#include "tests/displays/graph_view_fixture.h"
#include "tests/support/user_commands.h"

namespace graph_test {

using testing_support::Px;
using testing_support::SaveTestImage;

class GraphToolFixture : public GraphViewTest {
protected:
    // Wide enough for the whole Advanced toolbar.
    GraphToolFixture() : GraphViewTest(true) { SizeView(460, 300); }

    CDataTreeBrench* Show(const SetFields& f, std::vector<double> y) {
        CDataTreeBrench* d = AddSet(f, std::move(y));
        view.PlotAllData(Add(d));
        return d;
    }
    template <class F>
    static std::vector<double> Make(size_t n, F f) {
        std::vector<double> y(n);
        for (size_t i = 0; i < n; ++i)
            y[i] = f(static_cast<double>(i));
        return y;
    }
    // The graph control's picture at the view's size.
    QImage Picture() {
        CRect c;
        view.GetClientRect(&c);
        QImage image(c.Width(), c.Height(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        view.GetGraph().GetGraphControl()->Render(p, QRectF(0, 0, c.Width(), c.Height()));
        return image;
    }
    static std::vector<double> Sine(size_t n = 2000) {
        return Make(n, [](double i) { return std::sin(i / 100.0); });
    }
    // The graph's or the main window's toolbar button, else the menu item.
    void Command(UINT id) {
        CFrameWnd& bars = testing_support::ToolbarButtonState(frame, id).present
                              ? static_cast<CFrameWnd&>(frame)
                              : mainFrame;
        ASSERT_TRUE(testing_support::UseCommand(bars, id));
    }
    void Window(double x0, double x1, double y0, double y1, int yAxis = 2) {
        view.SetAxisRange(1, x0, x1, FALSE, TRUE);
        view.SetAxisRange(yAxis, y0, y1, FALSE, TRUE);
    }
    // Cursor A on `point` of 1-based plot `plot`, and cursor B on `second` when it is not -1.
    void Cursors(LONG point, LONG second = -1, SHORT plot = 1) {
        view.HideCursors();
        view.m_cursorPlotNumber = plot;
        view.m_cursorPointIndex = point;
        view.ShowCursors();
        if (second >= 0) {
            view.ShowCursors();
            view.GetGraph().GetCursors().Item(3).SetLong(6, second);
            view.UpdateCursorReadout();
        }
    }
    QRectF PlotArea() const {
        VARIANT v;
        view.GetGraph().GetGraph().GetProperty(9003, v);
        const auto& r = *v.parray;
        return QRectF(QPointF(r[0], r[1]), QPointF(r[2], r[3]));
    }
    // A point in axis units of control plot `plot` (0-based) as client pixels.
    QPointF Pixel(double x, double y, int plot = 0) const {
        const auto& s = State();
        const auto& xa = s.axes[0];
        const auto& ya = s.YAxisOf(s.plots.at(static_cast<size_t>(plot)));
        const QRectF a = PlotArea();
        return {a.left() + (x - xa.min) / (xa.max - xa.min) * a.width(),
                a.bottom() - (y - ya.min) / (ya.max - ya.min) * a.height()};
    }
    // The control's annotations after the cursor labels and the tangent.
    std::vector<const platform::graph::Annotation*> Extra() const {
        std::vector<const platform::graph::Annotation*> out;
        for (size_t k = 3; k < State().annotations.size(); ++k)
            out.push_back(&State().annotations[k]);
        return out;
    }
    int MainCheck(UINT id) {
        CCmdUI ui;
        ui.m_nID = id;
        EXPECT_TRUE(ui.DoUpdate(&mainFrame, TRUE));
        return ui.m_checked;
    }
    int FrameCheck(UINT id) {
        CCmdUI ui;
        ui.m_nID = id;
        EXPECT_TRUE(ui.DoUpdate(&frame, TRUE));
        return ui.m_checked;
    }
    int MainEnabled(UINT id) {
        CCmdUI ui;
        ui.m_nID = id;
        EXPECT_TRUE(ui.DoUpdate(&mainFrame, TRUE));
        return ui.m_enabled;
    }
};

}  // namespace graph_test
