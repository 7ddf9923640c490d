#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QUrl>
#include <cstring>

#include "controls/new_label.h"
#include "platform/ui/shell.h"
#include "tests/support/harness.h"

namespace {

using testing_support::RenderWidget;
using testing_support::SaveTestImage;

constexpr COLORREF kBlue = RGB(0, 0, 160);
constexpr COLORREF kRed = RGB(200, 0, 0);
constexpr COLORREF kGreen = RGB(0, 180, 0);

using testing_support::Px;

class Label : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(parent.Create(nullptr, "", WS_VISIBLE, CRect(0, 0, 300, 200), nullptr, 0));
        ASSERT_TRUE(
            label.Create("Secret", WS_CHILD | WS_VISIBLE, CRect(10, 10, 170, 50), &parent, 31));
    }
    void TearDown() override { parent.DestroyWindow(); }
    // The texts the label paints.
    QString Painted() {
        testing_support::RecordingDevice recorder(160, 40, 96);
        label.GetWidget()->render(&recorder);
        return recorder.AllText();
    }
    QImage Picture(const char* name) {
        const QImage image = RenderWidget(label.GetWidget());
        SaveTestImage(image, name);
        return image;
    }

    testing_support::ScopedVirtualClock clock;
    CWnd parent;
    CNewLabel label;
};

TEST_F(Label, PasswordModePaintsTheMaskAndKeepsTheText) {
    EXPECT_EQ(Painted(), "Secret");
    label.SetPasswordMode(TRUE);
    EXPECT_EQ(Painted(), "**********");
    EXPECT_EQ(label.GetText(), "Secret");
    label.SetText("Other");
    EXPECT_EQ(Painted(), "**********");
    EXPECT_EQ(label.GetText(), "Other");
    Picture("label_password");
    label.SetPasswordMode(FALSE);
    EXPECT_EQ(Painted(), "Other");
}

TEST_F(Label, TextBlinksAtItsPeriodAndStopsShown) {
    label.FlashText(TRUE, 200);
    EXPECT_EQ(Painted(), "Secret");
    clock.Advance(199);
    EXPECT_EQ(Painted(), "Secret");
    clock.Advance(1);
    EXPECT_EQ(Painted(), "");
    EXPECT_EQ(label.GetText(), "Secret");
    clock.Advance(200);
    EXPECT_EQ(Painted(), "Secret");
    clock.Advance(200);
    EXPECT_EQ(Painted(), "");
    label.FlashText(FALSE);
    EXPECT_EQ(Painted(), "Secret");
    clock.Advance(1000);
    EXPECT_EQ(Painted(), "Secret");
    // A period of 0 runs at Windows' shortest, not in a spin.
    label.FlashText(TRUE, 0);
    EXPECT_EQ(clock.Period(label.GetSafeHwnd(), 1), 10u);
    label.FlashText(FALSE);
}

TEST_F(Label, BackgroundBlinksBetweenItsColourAndTheHighlight) {
    label.SetText("");
    label.SetBkColor(kBlue);
    label.SetHighlightColor(kRed);
    EXPECT_EQ(Px(Picture("label_background"), 5, 5), kBlue);
    label.FlashBackground(TRUE, 100);
    clock.Advance(100);
    EXPECT_EQ(Px(Picture("label_background_blink"), 5, 5), kRed);
    clock.Advance(100);
    EXPECT_EQ(Px(Picture("label_background"), 5, 5), kBlue);
    clock.Advance(100);
    label.FlashBackground(FALSE);
    EXPECT_EQ(Px(Picture("label_background"), 5, 5), kBlue);
}

TEST_F(Label, ABitmapIsCentredOrStretched) {
    QImage green(20, 10, QImage::Format_RGB32);
    green.fill(QColor(0, 180, 0));
    platform::SetBitmapResource(9401, green);
    label.SetText("");
    label.SetBkColor(kBlue);
    label.SetBitmap(9401);
    QImage image = Picture("label_bitmap_centred");
    EXPECT_EQ(Px(image, 0, 0), kBlue);
    EXPECT_EQ(Px(image, 159, 39), kBlue);
    EXPECT_EQ(Px(image, 80, 20), kGreen);
    EXPECT_EQ(Px(image, 70, 15), kGreen);
    EXPECT_EQ(Px(image, 69, 15), kBlue);
    label.SetBitmapStretch(TRUE);
    image = Picture("label_bitmap_stretched");
    EXPECT_EQ(Px(image, 0, 0), kGreen);
    EXPECT_EQ(Px(image, 159, 39), kGreen);
    label.SetBitmap(-1);
    EXPECT_EQ(Px(Picture("label_bitmap_none"), 80, 20), kBlue);
    platform::SetBitmapResource(9401, QImage());
}

TEST_F(Label, SunkenAndBorderShowOnTheWidget) {
    label.SetText("");
    label.SetBkColor(kBlue);
    label.SetSunken(TRUE);
    EXPECT_TRUE(label.GetExStyle() & WS_EX_CLIENTEDGE);
    QImage image = Picture("label_sunken");
    EXPECT_EQ(Px(image, 0, 0), GetSysColor(COLOR_3DSHADOW));
    EXPECT_EQ(Px(image, 159, 39), GetSysColor(COLOR_3DHIGHLIGHT));
    EXPECT_EQ(Px(image, 2, 2), kBlue);
    label.SetSunken(FALSE);
    label.SetBorder(TRUE);
    EXPECT_TRUE(label.GetStyle() & WS_BORDER);
    image = Picture("label_border");
    EXPECT_EQ(Px(image, 0, 0), GetSysColor(COLOR_WINDOWFRAME));
    EXPECT_EQ(Px(image, 159, 20), GetSysColor(COLOR_WINDOWFRAME));
    EXPECT_EQ(Px(image, 1, 1), kBlue);
    label.SetBorder(FALSE);
    EXPECT_EQ(Px(Picture("label_plain"), 0, 0), kBlue);
}

TEST_F(Label, ALinkClickOpensTheText) {
    std::vector<QUrl> opened;
    platform::SetShellOpener([&opened](const QUrl& url) {
        opened.push_back(url);
        return true;
    });
    label.SetText("https://example.org/dorvik?x=1");
    QTest::mouseClick(label.GetWidget(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(opened.empty()) << "not a link yet";
    label.SetLink(TRUE);
    QTest::mouseClick(label.GetWidget(), Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].toString(), "https://example.org/dorvik?x=1");
    // A local file that is not there is never handed on.
    label.SetText("/nonexistent/help.chm");
    QTest::mouseClick(label.GetWidget(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(opened.size(), 1u);
    platform::SetShellOpener({});
}

TEST_F(Label, PlainPaintingTakesItsColoursFromTheControlColourMessage) {
    label.SetText("");
    label.SetBkColor(kGreen);
    label.SetDefaultPainting(TRUE);
    EXPECT_EQ(Px(Picture("label_default_painting"), 80, 20), kGreen);
    CClientDC dc(&label);
    auto* brush = reinterpret_cast<CBrush*>(
        label.SendMessage(OCM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(&dc), 0));
    ASSERT_NE(brush, nullptr);
    EXPECT_EQ(brush->GetColor(), kGreen);
    EXPECT_EQ(dc.GetBkColor(), kGreen);
    EXPECT_EQ(dc.GetTextColor(), GetSysColor(COLOR_WINDOWTEXT));
}

TEST_F(Label, ItsTooltipShowsWhileTheButtonIsHeldOverIt) {
    POINT cursor{0, 0};
    bool left = false;
    platform::SetCursorPosSource([&cursor] { return cursor; });
    platform::SetAsyncKeyStateSource([&left](int vk) -> SHORT {
        return vk == VK_LBUTTON && left ? static_cast<SHORT>(0x8000) : 0;
    });
    QApplication::setActiveWindow(parent.GetWidget());
    label.SetTooltipText("Opens the manual");
    label.SetTooltipPosition(1);
    label.SetTooltip(TRUE);
    CRect area;
    label.GetWindowRect(&area);
    cursor = area.CenterPoint();
    left = true;
    clock.Advance(100);
    CControlToolTip& tip = label.GetTooltip();
    EXPECT_TRUE(tip.IsWindowVisible());
    CRect at;
    tip.GetWindowRect(&at);
    EXPECT_EQ(at.TopLeft(), CPoint(area.left, area.bottom));
    SaveTestImage(RenderWidget(tip.GetWidget()), "tooltip_label");
    label.SetTooltip(FALSE);
    EXPECT_FALSE(tip.GetSafeHwnd());
    platform::SetCursorPosSource({});
    platform::SetAsyncKeyStateSource({});
}

TEST_F(Label, TheFaceNameStaysTerminatedAndWhole) {
    // 30 ASCII bytes and a two-byte letter: the letter would straddle the last byte.
    const char* name = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcd\xc3\xa9xyz";
    label.SetFontName(name);
    const LOGFONT& lf = label.GetLogFont();
    EXPECT_LT(strnlen(lf.lfFaceName, LF_FACESIZE), static_cast<size_t>(LF_FACESIZE));
    EXPECT_STREQ(lf.lfFaceName, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcd");
    label.SetFontName("DejaVu Serif");
    EXPECT_STREQ(label.GetLogFont().lfFaceName, "DejaVu Serif");
    label.SetFontBold(TRUE);
    label.SetFontSize(-30);
    EXPECT_EQ(label.GetLogFont().lfWeight, FW_BOLD);
    EXPECT_EQ(label.GetLogFont().lfHeight, -30);
    Picture("label_font");
}

TEST_F(Label, HoverColoursTheTextUntilTheMouseLeaves) {
    label.SetBkColor(RGB(255, 255, 255));
    label.SetTextColor(RGB(0, 0, 0));
    label.SetHoverColor(kRed);
    label.SetFontSize(-30);
    auto hasRed = [this](const char* name) {
        const QImage image = Picture(name);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (Px(image, x, y) == kRed) return true;
        return false;
    };
    EXPECT_FALSE(hasRed("label_hover_before"));
    label.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(hasRed("label_hover"));
    label.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(static_cast<WORD>(-3), 5));
    EXPECT_FALSE(hasRed("label_hover_after"));
    EXPECT_EQ(CWnd::GetCapture(), nullptr);
}

TEST_F(Label, RotatedTextStandsUpInTheLabel) {
    label.SetText("Rotated");
    label.SetBkColor(RGB(255, 255, 255));
    label.MoveWindow(10, 10, 40, 120);
    label.SetFontSize(-16);
    label.SetAlignment(CNewLabel::kAlignCentre | CNewLabel::kAlignMiddle);
    label.SetRotation(90);
    const QImage image = Picture("label_rotation_90");
    // The text runs down the middle: ink in the centre column, none at the sides.
    int centre = 0, sides = 0;
    for (int y = 0; y < 120; ++y) {
        for (int x = 0; x < 40; ++x) {
            const bool ink = qGray(image.pixel(x, y)) < 100;
            if (x >= 12 && x < 28) centre += ink;
            if (x < 4 || x >= 36) sides += ink;
        }
    }
    EXPECT_GT(centre, 0);
    EXPECT_EQ(sides, 0);
}

}  // namespace
