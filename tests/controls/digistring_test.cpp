#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

#include "controls/digistring.h"
#include "tests/support/harness.h"

namespace {

using testing_support::RenderWidget;
using testing_support::SaveTestImage;

constexpr COLORREF kOn = RGB(0, 255, 0);
constexpr COLORREF kOff = RGB(0, 52, 0);
constexpr COLORREF kBack = RGB(0, 0, 0);

using testing_support::Px;

// A display that shows its characters and counts its paints.
class Digits : public CDigistring {
public:
    int paints = 0;
    const std::vector<CDigiChar>& Chars() {
        BuildString();
        return m_CharArray;
    }
    void OnPaint() override {
        ++paints;
        CDigistring::OnPaint();
    }
};

class DigitDisplay : public ::testing::Test {
protected:
    testing_support::ScopedVirtualClock clock;

    QImage Render(const char* text, DWORD style, int width, int height) {
        Digits d;
        EXPECT_TRUE(d.Create("", 0, CRect(0, 0, width, height), nullptr, 4925));
        d.ModifyDigiStyle(~style, style);
        d.SetText(text);
        QImage image = RenderWidget(d.GetWidget());
        d.DestroyWindow();
        return image;
    }
};

// A point of a character cell in design units, on the picture of a display scaled by `scale`.
COLORREF At(const QImage& image, int cellLeftUnits, double x, double y, int scale) {
    return Px(image, static_cast<int>((cellLeftUnits + x) * scale), static_cast<int>(y * scale));
}

TEST_F(DigitDisplay, SegmentsLightAsTheirMasksSay) {
    // Design points inside particular segments of a character, worked out from the shapes.
    struct Case {
        const char* text;
        DWORD style;
        double x, y;
        bool lit;
    };
    const Case cases[] = {
        {"1", 0, 40.5, 24, true},  // upper right
        {"1", 0, 40.5, 58, true},  // lower right
        {"1", 0, 7.5, 24, false},  // upper left
        {"1", 0, 24, 7.5, false},  // top
        {"7", 0, 24, 7.5, true},
        {"-", 0, 24, 41, true},     // middle
        {"-", 0, 24, 74.5, false},  // bottom
        {"2", 0, 7.5, 58, true},    // lower left
        {"2", 0, 40.5, 58, false},  // lower right
        {"A", 0, 24, 7.5, true},    // 14 segments whatever the style: top
        {"A", 0, 24, 74.5, false},  // bottom
        {"A", 0, 7.5, 22, true},    // upper-left outer
        {"A", 0, 24, 25, false},    // upper centre
        {"T", 0, 24, 25, true},
        {"T", 0, 24, 57, true},             // lower centre
        {"X", 0, 13, 24, true},             // upper-left diagonal
        {"X", 0, 35, 58, true},             // lower-right diagonal
        {"1", DS_STYLE14, 40.5, 24, true},  // upper-right outer
        {"-", DS_STYLE14, 14, 41, true},    // middle left
        {"-", DS_STYLE14, 34, 41, true},    // middle right
        {"8", DS_SMOOTH, 24, 41, true},
        {"1", DS_SMOOTH, 24, 41, false},
    };
    for (const Case& c : cases) {
        const QImage image = Render(c.text, c.style, 49 * 4, 83 * 4);
        EXPECT_EQ(At(image, 0, c.x, c.y, 4), c.lit ? kOn : kOff)
            << c.text << " style " << c.style << " at " << c.x << ", " << c.y;
    }
}

// The point of a segment's outline polygon farthest inside it, where neither the outline pen nor
// the fitted curves reach.
QPointF InnerPoint(const CDigiSegment& segment) {
    QPolygonF outline;
    for (const POINT& p : segment.points)
        outline << QPointF(p.x, p.y);
    const QRectF box = outline.boundingRect();
    QPointF best;
    double bestDepth = -1;
    for (double y = box.top(); y <= box.bottom(); y += 0.5) {
        for (double x = box.left(); x <= box.right(); x += 0.5) {
            const QPointF p(x, y);
            if (!outline.containsPoint(p, Qt::OddEvenFill)) continue;
            double depth = 1e9;
            for (int i = 0; i < outline.size(); ++i) {
                const QPointF a = outline[i], b = outline[(i + 1) % outline.size()];
                const QPointF ab = b - a;
                const double len2 = QPointF::dotProduct(ab, ab);
                const double t =
                    len2 > 0 ? std::clamp(QPointF::dotProduct(p - a, ab) / len2, 0.0, 1.0) : 0;
                const QPointF q = a + t * ab - p;
                depth = std::min(depth, std::sqrt(QPointF::dotProduct(q, q)));
            }
            if (depth > bestDepth) bestDepth = depth, best = p;
        }
    }
    return best;
}

TEST_F(DigitDisplay, EveryCharacterShowsItsMaskInEveryStyle) {
    const char* text = "-0123456789 ABCDEFGHIJKLMNOPQRSTUVWXYZ*+.:";
    for (DWORD style : {DWORD{0}, DS_STYLE14, DS_SMOOTH, DS_SMOOTH | DS_STYLE14}) {
        Digits d;
        d.ModifyDigiStyle(0, style);
        d.SetText(text);
        int units = 0;
        for (const CDigiChar& ch : d.Chars())
            units += ch.GetWidth();
        constexpr int kScale = 4;
        const QImage image = Render(text, style, units * kScale, 83 * kScale);
        SaveTestImage(image, ("digits_all_style" + std::to_string(style)).c_str());
        int left = 0, checked = 0;
        for (const CDigiChar& ch : d.Chars()) {
            const auto& segments = ch.GetSegments();
            for (size_t n = 0; n < segments.size(); ++n) {
                const QPointF mid = InnerPoint(segments[n]);
                const bool lit = ch.GetSegMask() & (1u << n);
                EXPECT_EQ(At(image, left, mid.x(), mid.y(), kScale), lit ? kOn : kOff)
                    << "style " << style << " char at " << left << " segment " << n;
                ++checked;
            }
            left += ch.GetWidth();
        }
        EXPECT_EQ(checked, 12 * (style & DS_STYLE14 ? 14 : 7) + 28 * 14 + 2 * 3);
    }
}

TEST_F(DigitDisplay, TwelveThirtyFourFillsTheControlWithMixedOutlines) {
    Digits d;
    d.SetText("12:34");
    int units = 0;
    for (const CDigiChar& ch : d.Chars())
        units += ch.GetWidth();
    EXPECT_EQ(units, 214);
    EXPECT_EQ(d.Chars().size(), 5u);

    const QImage image = Render("12:34", 0, 214 * 4, 83 * 4);
    SaveTestImage(image, "digits_12_34");
    // Colon dots (cell from 98 units): upper and lower lit, the decimal point unlit.
    EXPECT_EQ(At(image, 98, 8.5, 27.5, 4), kOn);
    EXPECT_EQ(At(image, 98, 8.5, 54.5, 4), kOn);
    EXPECT_EQ(At(image, 98, 8.5, 72.5, 4), kOff);
    // The lower edge of the top segment is outlined in a 3:1 mix with the background: unlit in
    // "1", lit in "2".
    EXPECT_EQ(At(image, 0, 24, 11, 4), RGB(0, 39, 0));
    EXPECT_EQ(At(image, 49, 24, 11, 4), RGB(0, 191, 0));
    // Stretched to the whole client area: the last character reaches the right edge.
    EXPECT_EQ(At(image, 165, 40.5, 24, 4), kOn);
    EXPECT_EQ(Px(image, 0, 0), kBack);
}

TEST_F(DigitDisplay, FittedSizingCentresWithEqualMargins) {
    const QImage fitted = Render("12:34", 0, 428, 166);  // two pixels per unit both ways
    const QImage wide = Render("12:34", DS_SZ_PROP, 600, 166);
    const QImage tall = Render("12:34", DS_SZ_PROP, 428, 300);
    SaveTestImage(wide, "digits_fitted_wide");
    EXPECT_EQ(wide.copy(86, 0, 428, 166), fitted);
    EXPECT_EQ(wide.copy(0, 0, 86, 166), wide.copy(514, 0, 86, 166)) << "both margins empty";
    for (int x : {0, 85, 514, 599})
        EXPECT_EQ(Px(wide, x, 83), kBack);
    EXPECT_EQ(tall.copy(0, 67, 428, 166), fitted);
    EXPECT_EQ(Px(tall, 214, 66), kBack);
    EXPECT_EQ(Px(tall, 214, 233), kBack);
}

TEST_F(DigitDisplay, TextIsUpperCasedAndOtherBytesTakeNoRoom) {
    EXPECT_EQ(Render("abc", 0, 300, 83), Render("ABC", 0, 300, 83));
    // A degree sign (two bytes above 127) and characters without a shape show nothing.
    EXPECT_EQ(Render("1\xC2\xB0/2#,3", 0, 300, 83), Render("123", 0, 300, 83));
    Digits d;
    EXPECT_EQ(d.DefineChar('a'), nullptr);
    EXPECT_EQ(d.DefineChar(static_cast<char>(0xB5)), nullptr);
    EXPECT_EQ(d.DefineChar(static_cast<char>(0xFF)), nullptr);
    ASSERT_NE(d.DefineChar('Z'), nullptr);
    EXPECT_EQ(d.DefineChar('Z')->GetSegMask(), 0x240C);
    EXPECT_EQ(d.DefineChar(':')->GetWidth(), 18);
}

TEST_F(DigitDisplay, EmptyTextOrClientPaintsOnlyTheBackground) {
    Digits d;
    ASSERT_TRUE(d.Create("", 0, CRect(0, 0, 120, 60), nullptr, 1));
    d.SetBackColor(RGB(255, 255, 255));
    d.SetText("");
    const QImage image = RenderWidget(d.GetWidget());
    SaveTestImage(image, "digits_empty");
    for (int y = 0; y < image.height(); y += 7)
        for (int x = 0; x < image.width(); x += 7)
            ASSERT_EQ(Px(image, x, y), RGB(255, 255, 255));

    Digits none;
    ASSERT_TRUE(none.Create("", 0, CRect(0, 0, 0, 0), nullptr, 2));
    none.SetText("12:34");
    none.SendMessage(WM_PAINT);  // no room and no paint in progress: nothing to do, no harm
    EXPECT_EQ(none.paints, 1);
}

TEST_F(DigitDisplay, SettingsChangeOnlyWhenTheyDiffer) {
    Digits d;
    ASSERT_TRUE(d.Create("", WS_VISIBLE, CRect(0, 0, 200, 80), nullptr, 1));
    d.SetText("12:34");
    testing_support::ProcessQtEvents();
    const int painted = d.paints;
    ASSERT_GT(painted, 0);
    d.SetText("12:34");
    d.SetColor(kOff, kOn);
    d.SetBackColor(kBack);
    testing_support::ProcessQtEvents();
    EXPECT_EQ(d.paints, painted) << "equal settings do not repaint";
    d.SetText("12:35");
    testing_support::ProcessQtEvents();
    EXPECT_GT(d.paints, painted);

    EXPECT_EQ(d.GetDigiStyle(), 0u);
    EXPECT_FALSE(d.ModifyDigiStyle(DS_STYLE14, DS_STYLE14));
    EXPECT_FALSE(d.ModifyDigiStyle(DS_SMOOTH | DS_SZ_PROP, DS_SZ_PROP));
    EXPECT_EQ(d.GetDigiStyle(), 0u);
    EXPECT_TRUE(d.ModifyDigiStyle(DS_STYLE14, DS_SMOOTH));  // as the clock sets it
    EXPECT_EQ(d.GetDigiStyle(), DS_SMOOTH);
    d.DestroyWindow();
}

// Outlines that the shape tables never hold still draw within their points.
TEST(DigitOutline, CurveRunsOfAnyLengthAndPlaceAreBounded) {
    struct Probe : CDigiChar {
        using CDigiChar::DrawOutline;
    };
    const CDigiSegment odd[] = {
        {{{10, 10}, {40, 10}, {40, 70}, {10, 70}},
         {PT_MOVETO, PT_BEZIERTO, PT_BEZIERTO, PT_BEZIERTO}},  // run at the end
        {{{10, 10}, {40, 10}, {40, 70}, {10, 70}},
         {PT_BEZIERTO, PT_BEZIERTO, PT_LINETO, PT_LINETO}},  // run at the start
        {{{10, 10}, {40, 10}, {40, 70}, {10, 70}},
         {PT_MOVETO, PT_BEZIERTO, PT_LINETO, PT_LINETO}},  // run of one
        {{{10, 10}}, {PT_BEZIERTO}},
        {{{10, 10}, {40, 10}}, {PT_MOVETO}},  // fewer types than points
    };
    int index = 0;
    for (const CDigiSegment& segment : odd) {
        QImage image(49, 83, QImage::Format_RGB32);
        image.fill(Qt::black);
        QPainter painter(&image);
        {
            CDC dc(&painter);
            CBrush white(RGB(255, 255, 255));
            dc.SelectObject(&white);
            dc.BeginPath();
            Probe::DrawOutline(segment, &dc, CDoubleRect{0, 0, 49, 83}, 49);
            dc.EndPath();
            dc.StrokeAndFillPath();
        }
        painter.end();
        if (index < 3) {
            EXPECT_EQ(Px(image, 25, 40), RGB(255, 255, 255)) << index;
        }
        EXPECT_EQ(Px(image, 45, 78), RGB(0, 0, 0)) << index;
        ++index;
    }
}

}  // namespace
