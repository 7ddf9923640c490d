#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <cstring>

#include "controls/text_rotator.h"
#include "tests/support/harness.h"

namespace {

using testing_support::SaveTestImage;

constexpr COLORREF kPaper = RGB(255, 255, 255);
constexpr COLORREF kPicture = RGB(200, 220, 255);

using testing_support::Px;

// Dark pixels in a part of the picture (half-open rectangle).
int Ink(const QImage& image, const CRect& r) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            n += qGray(image.pixel(x, y)) < 100;
    return n;
}

class Rotator : public ::testing::Test {
protected:
    Rotator() : image(400, 400, QImage::Format_RGB32) {
        image.fill(Qt::white);
        painter.begin(&image);
        dc = std::make_unique<CDC>(&painter);
        LOGFONT lf;
        lf.lfHeight = -20;
        std::strcpy(lf.lfFaceName, "DejaVu Sans");
        font.CreateFontIndirect(&lf);
        dc->SelectObject(&font);
        block = CSize(dc->GetTextExtent("WWWWWW").cx, 2 * dc->GetTextExtent("W").cy);
    }
    ~Rotator() override {
        dc.reset();
        painter.end();
    }
    QImage Picture(CTextRotator& rotator, const char* name) {
        image.fill(Qt::white);
        EXPECT_TRUE(rotator.Draw(0, 0));
        QImage copy = image.copy();
        SaveTestImage(copy, name);
        return copy;
    }

    QImage image;
    QPainter painter;
    std::unique_ptr<CDC> dc;
    CFont font;
    CSize block;
};

TEST_F(Rotator, TurnsTheLinesClockwise) {
    CTextRotator rotator(dc.get(), "WWWWWW\nW");
    rotator.SetColours(kPaper, RGB(0, 0, 0));
    const int w = block.cx, h = block.cy;
    struct Case {
        int angle;
        CSize size;
        CRect longLine;  // a stretch only the first line reaches
        CRect noInk;     // where the short second line leaves nothing
        const char* name;
    };
    const Case cases[] = {
        {0, {w, h}, {w * 3 / 4, 0, w, h / 2}, {w / 2, h / 2, w, h}, "label_rotated_0"},
        {90, {h, w}, {h / 2, w * 3 / 4, h, w}, {0, w / 2, h / 2, w}, "label_rotated_90"},
        {180, {w, h}, {0, h / 2, w / 4, h}, {0, 0, w / 2, h / 2}, "label_rotated_180"},
        {270, {h, w}, {0, 0, h / 2, w / 4}, {h / 2, 0, h, w / 2}, "label_rotated_270"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(rotator.Render(c.angle)) << c.angle;
        EXPECT_EQ(rotator.GetAngle(), c.angle);
        EXPECT_EQ(rotator.GetRect(), CRect(0, 0, c.size.cx, c.size.cy)) << c.angle;
        const QImage picture = Picture(rotator, c.name);
        EXPECT_GT(Ink(picture, c.longLine), 0) << c.angle;
        EXPECT_EQ(Ink(picture, c.noInk), 0) << c.angle;
        // Nothing beyond the picture.
        EXPECT_EQ(Ink(picture, CRect(c.size.cx, 0, 400, 400)), 0) << c.angle;
        EXPECT_EQ(Ink(picture, CRect(0, c.size.cy, 400, 400)), 0) << c.angle;
    }
}

TEST_F(Rotator, PlacesThePictureAndEtchesLinesBesideIt) {
    const CRect area(10, 10, 310, 110);
    struct Case {
        int h, v;
    };
    for (const Case c : {Case{1, 2}, Case{2, 1}, Case{0, 0}}) {
        CTextRotator rotator(dc.get(), "Title", c.h, c.v);
        rotator.SetColours(kPicture, RGB(0, 0, 0));
        rotator.SetEtchedLines(TRUE);
        ASSERT_TRUE(rotator.Render(0));
        const CRect r = rotator.GetRect();
        image.fill(Qt::white);
        ASSERT_TRUE(rotator.DrawAligned(area));
        SaveTestImage(image,
                      ("label_aligned_" + std::to_string(c.h) + std::to_string(c.v)).c_str());
        const int freeX = area.Width() - r.Width(), freeY = area.Height() - r.Height();
        const int x = area.left + (c.h == 1 ? freeX / 2 : c.h == 2 ? freeX : 0);
        const int y = area.top + (c.v == 1 ? freeY / 2 : c.v == 2 ? freeY : 0);
        EXPECT_EQ(Px(image, x, y), kPicture) << c.h << c.v;
        EXPECT_EQ(Px(image, x + r.Width() - 1, y + r.Height() - 1), kPicture);
        EXPECT_NE(Px(image, x - 1, y + 1), kPicture) << "left of the picture";
        EXPECT_NE(Px(image, x + r.Width(), y + 1), kPicture) << "right of the picture";
        const int mid = y + r.Height() / 2;
        const COLORREF etch = GetSysColor(COLOR_3DSHADOW);
        if (x - 6 > area.left) {
            EXPECT_EQ(Px(image, area.left, mid), etch);
            EXPECT_EQ(Px(image, x - 7, mid), etch);
            EXPECT_EQ(Px(image, x - 6, mid), kPaper);
        }
        if (x + r.Width() + 6 < area.right) {
            EXPECT_EQ(Px(image, x + r.Width() + 5, mid), kPaper);
            EXPECT_EQ(Px(image, x + r.Width() + 6, mid), etch);
            EXPECT_EQ(Px(image, area.right - 1, mid), etch);
            EXPECT_EQ(Px(image, area.right, mid), kPaper);
        }
    }
}

TEST_F(Rotator, AnEmptyTextRendersNothing) {
    CTextRotator rotator(dc.get(), "");
    EXPECT_FALSE(rotator.Render(90));
    EXPECT_FALSE(rotator.Draw(0, 0));
    EXPECT_FALSE(rotator.DrawAligned(CRect(0, 0, 100, 100)));
    CTextRotator odd(dc.get(), "W");
    EXPECT_FALSE(odd.Render(45));
    EXPECT_TRUE(odd.Render(270));
    EXPECT_FALSE(odd.Render(45)) << "a failed render leaves no earlier picture behind";
    EXPECT_FALSE(odd.Draw(0, 0));
}

}  // namespace
