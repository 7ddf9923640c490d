#include "tests/activex/fixture.h"

#include <QDir>
#include <QPainter>

#include "platform/activex/register.h"

namespace activex_test {

void Recorder::Listen(CEventSinkHost& host, UINT id, std::initializer_list<DISPID> events) {
    // Handlers bind by arity, so one for every arity the controls use.
    for (DISPID e : events) {
        auto record = [this, e](std::vector<std::string> args) {
            std::string s = std::to_string(e) + "(";
            for (size_t i = 0; i < args.size(); ++i)
                s += (i ? "," : "") + args[i];
            log.push_back(s + ")");
        };
        auto& sinks = host.GetEventSinks();
        sinks.On(id, e, [record]() { record({}); });
        sinks.On(id, e, [record](VARIANT& a) { record({Text(a)}); });
        sinks.On(id, e, [record](VARIANT& a, VARIANT& b) { record({Text(a), Text(b)}); });
        sinks.On(id, e, [record](VARIANT& a, VARIANT& b, VARIANT& c) {
            record({Text(a), Text(b), Text(c)});
        });
        sinks.On(id, e, [record](VARIANT& a, VARIANT& b, VARIANT& c, VARIANT& d) {
            record({Text(a), Text(b), Text(c), Text(d)});
        });
        sinks.On(id, e, [record](VARIANT& a, VARIANT& b, VARIANT& c, VARIANT& d, VARIANT& f) {
            record({Text(a), Text(b), Text(c), Text(d), Text(f)});
        });
        sinks.On(id, e,
                 [record](VARIANT& a, VARIANT& b, VARIANT& c, VARIANT& d, VARIANT& f, VARIANT& g) {
                     record({Text(a), Text(b), Text(c), Text(d), Text(f), Text(g)});
                 });
    }
}

std::vector<DISPID> Recorder::Ids() const {
    std::vector<DISPID> out;
    for (const std::string& s : log)
        out.push_back(std::stoi(s.substr(0, s.find('('))));
    return out;
}

GraphTest::GraphTest() {
    platform::RegisterActiveXControls();
    host.Create(nullptr, "host", WS_VISIBLE, CRect(0, 0, 420, 320), nullptr, 0);
    graph.Create(CRect(0, 0, 400, 300), &host, 1000);
    events.Listen(host, 1000, {-605, -606, -607, -601, -602, 5, 8, 11, 14, 9050});
}

GraphTest::~GraphTest() {
    graph.DestroyWindow();
    host.DestroyWindow();
    testing_support::ProcessQtEvents();
}

CDispatchDriver GraphTest::AddPlot(std::vector<double> x, std::vector<double> y) {
    CDispatchDriver p = Add(Plots());
    EXPECT_EQ(SetPoints(p, std::move(x), std::move(y)), S_OK);
    return p;
}

QImage GraphTest::Render(int w, int h, double scale) {
    QImage image(static_cast<int>(w * scale), static_cast<int>(h * scale), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter p(&image);
    Control().Render(p, QRectF(0, 0, image.width(), image.height()), QSizeF(w, h));
    return image;
}

QRectF GraphTest::PlotArea() const {
    VARIANT area;
    EXPECT_EQ(G().GetProperty(9003, area), S_OK);
    const std::vector<double>& r = *area.parray;
    return QRectF(QPointF(r[0], r[1]), QPointF(r[2], r[3]));
}

QPointF GraphTest::ToPixel(double x, double y, double xmin, double xmax) const {
    const QRectF a = PlotArea();
    return QPointF(a.left() + (x - xmin) / (xmax - xmin) * a.width(),
                   a.bottom() - y / 10 * a.height());
}

CString ProgramFile(const char* name) {
    // The test output folder is inside the build folder, where the executable lives.
    return CString(QDir::cleanPath(QString(VARNEL_TEST_OUTPUT_DIR) + "/../" + name));
}

bool ColourNear(const QImage& image, QPoint at, QRgb colour, int radius) {
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx) {
            const QPoint q = at + QPoint(dx, dy);
            if (image.rect().contains(q) && (image.pixel(q) & 0xFFFFFF) == (colour & 0xFFFFFF))
                return true;
        }
    return false;
}

int CountColour(const QImage& image, const QRect& area, QRgb colour) {
    int n = 0;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF)) ++n;
    return n;
}

}  // namespace activex_test
