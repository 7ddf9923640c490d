#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <functional>

#include "controls/memdc.h"
#include "tests/support/harness.h"

namespace {

// A scene with lines, a filled shape, a curve and text, drawn relative to the DC it gets.
void Scene(CDC& dc) {
    CPen pen(PS_SOLID, 1, RGB(200, 0, 0));
    CBrush brush(RGB(0, 90, 200));
    CFont font;
    LOGFONT lf;
    lf.lfHeight = -14;
    font.CreateFontIndirect(&lf);
    dc.SelectObject(&pen);
    dc.SelectObject(&brush);
    dc.SelectObject(&font);
    dc.Rectangle(5, 5, 60, 40);
    dc.MoveTo(0, 70);
    dc.LineTo(119, 45);
    dc.BeginPath();
    dc.MoveTo(70, 10);
    const POINT curve[] = {{110, 0}, {120, 40}, {80, 40}};
    dc.PolyBezierTo(curve, 3);
    dc.EndPath();
    dc.StrokeAndFillPath();
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(RGB(0, 120, 0));
    CRect text(0, 50, 120, 80);
    dc.DrawText("Dorvik 42", &text, DT_CENTER | DT_SINGLELINE | DT_VCENTER);
    dc.SelectStockObject(BLACK_PEN);
    dc.SelectStockObject(WHITE_BRUSH);
    dc.SelectStockObject(DEFAULT_GUI_FONT);
}

QImage Paint(const std::function<void(CDC&)>& draw, bool printing = false) {
    QImage image(120, 80, QImage::Format_RGB32);
    image.fill(QColor(250, 250, 210));
    QPainter painter(&image);
    {
        CDC dc(&painter, printing);
        dc.SetBkColor(RGB(250, 250, 210));
        draw(dc);
    }
    painter.end();
    return image;
}

TEST(MemDC, DrawingThroughItGivesTheSamePixels) {
    const QImage direct = Paint(Scene);
    const QImage buffered = Paint([](CDC& dc) {
        CMemDC mem(&dc);
        Scene(*mem);
    });
    testing_support::SaveTestImage(direct, "memdc_direct");
    testing_support::SaveTestImage(buffered, "memdc_buffered");
    EXPECT_EQ(buffered, direct);

    // Over part of the target, with its own origin: inside the same, outside untouched.
    const QImage part = Paint([](CDC& dc) {
        const CRect r(30, 20, 100, 70);
        CMemDC mem(&dc, &r);
        Scene(mem);
    });
    EXPECT_EQ(part.copy(30, 20, 70, 50), direct.copy(30, 20, 70, 50));
    EXPECT_EQ(part.pixel(10, 10), QColor(250, 250, 210).rgb());

    // A logical origin on the target is kept.
    const QImage shifted = Paint([](CDC& dc) {
        dc.SetWindowOrg(-10, -5);
        CMemDC mem(&dc);
        Scene(mem);
    });
    EXPECT_EQ(shifted.copy(10, 5, 110, 75), direct.copy(0, 0, 110, 75));
}

TEST(MemDC, OnAPrinterItDrawsStraightOnTheTarget) {
    CDC* seen = nullptr;
    bool printing = false;
    const QImage printed = Paint(
        [&](CDC& dc) {
            CMemDC mem(&dc);
            printing = mem.IsPrinting();
            seen = CDC::FromHandle(mem.GetSafeHdc());
            Scene(mem);
        },
        true);
    EXPECT_TRUE(printing);
    EXPECT_NE(seen, nullptr) << "it shares the printer's DC";
    EXPECT_EQ(printed, Paint(Scene, true));
}

}  // namespace
