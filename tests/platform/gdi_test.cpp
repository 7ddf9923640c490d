#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QImage>
#include <QPainter>
#include <QStyleOptionViewItem>
#include <functional>
#include <vector>

#include "platform/gdi/dc.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "tests/support/harness.h"

namespace {

using testing_support::RenderWidget;
using testing_support::SaveTestImage;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kGreen = RGB(0, 160, 0);

using testing_support::Px;

// Draws on a white image through a DC on a painter and returns the picture.
QImage Draw(int width, int height, const std::function<void(CDC&)>& draw, bool printing = false) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    {
        CDC dc(&painter, printing);
        draw(dc);
    }
    painter.end();
    return image;
}

// The bounding box of the pixels that differ from `background`.
QRect Ink(const QImage& image, COLORREF background) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (Px(image, x, y) != background) box |= QRect(x, y, 1, 1);
    return box;
}

TEST(Gdi, ShapesFollowTheWindowsPixelRules) {
    CPen black(PS_SOLID, 1, kBlack);
    CBrush blue(kBlue), green(kGreen);
    COLORREF bkAfterFill = 0;
    const QImage image = Draw(40, 20, [&](CDC& dc) {
        dc.FillSolidRect(2, 2, 5, 4, kRed);
        bkAfterFill = dc.GetBkColor();
        dc.SelectObject(&black);
        dc.SelectObject(&blue);
        dc.MoveTo(10, 1);
        dc.LineTo(20, 1);
        dc.Rectangle(10, 4, 16, 10);
        dc.FrameRect(CRect(22, 2, 28, 8), &green);
        const POINT tri[] = {{30, 12}, {38, 12}, {30, 19}};
        dc.Polygon(tri, 3);
    });
    SaveTestImage(image, "gdi_shapes");
    // FillSolidRect covers right and bottom exclusive, and leaves its colour as the background.
    EXPECT_EQ(Px(image, 2, 2), kRed);
    EXPECT_EQ(Px(image, 6, 5), kRed);
    EXPECT_EQ(Px(image, 7, 2), kWhite);
    EXPECT_EQ(Px(image, 2, 6), kWhite);
    EXPECT_EQ(bkAfterFill, kRed);
    // A line leaves out its last pixel.
    EXPECT_EQ(Px(image, 10, 1), kBlack);
    EXPECT_EQ(Px(image, 19, 1), kBlack);
    EXPECT_EQ(Px(image, 20, 1), kWhite);
    // A rectangle: outline on the first and last row and column inside it, brush within.
    EXPECT_EQ(Px(image, 10, 4), kBlack);
    EXPECT_EQ(Px(image, 15, 9), kBlack);
    EXPECT_EQ(Px(image, 16, 9), kWhite);
    EXPECT_EQ(Px(image, 15, 10), kWhite);
    EXPECT_EQ(Px(image, 13, 7), kBlue);
    // A frame is one unit wide and leaves the inside alone.
    EXPECT_EQ(Px(image, 22, 2), kGreen);
    EXPECT_EQ(Px(image, 27, 7), kGreen);
    EXPECT_EQ(Px(image, 25, 5), kWhite);
    EXPECT_EQ(Px(image, 28, 5), kWhite);
    // A polygon is filled and outlined.
    EXPECT_EQ(Px(image, 32, 14), kBlue);
    EXPECT_EQ(Px(image, 30, 15), kBlack);
}

TEST(Gdi, MappingModesAndOriginsPlaceLogicalUnits) {
    CDC probe;
    EXPECT_EQ(probe.SetMapMode(MM_TEXT), 0) << "a DC without a device refuses";
    const QImage image = Draw(60, 60, [&](CDC& dc) {
        dc.SetWindowOrg(10, 10);
        dc.SetViewportOrg(5, 0);
        dc.FillSolidRect(10, 10, 2, 2, kRed);  // lands at (5, 0)
        EXPECT_EQ(dc.SetWindowExt(3, 3), CSize(1, 1)) << "extents count only in MM_ANISOTROPIC";
        EXPECT_EQ(dc.GetWindowExt(), CSize(1, 1));

        dc.SetMapMode(MM_ANISOTROPIC);
        dc.SetWindowOrg(0, 0);
        dc.SetViewportOrg(20, 20);
        dc.SetWindowExt(100, 100);
        dc.SetViewportExt(30, 30);
        dc.FillSolidRect(0, 0, 100, 100, kBlue);  // (20, 20) to (50, 50)
        POINT p[2] = {{100, 50}, {-100, 0}};
        dc.LPtoDP(p, 2);
        EXPECT_EQ(p[0].x, 50);
        EXPECT_EQ(p[0].y, 35);
        EXPECT_EQ(p[1].x, -10);
        dc.DPtoLP(p, 2);
        EXPECT_EQ(p[0].x, 100);
        EXPECT_EQ(p[1].x, -100);
        CRect clip;
        EXPECT_EQ(dc.GetClipBox(&clip), SIMPLEREGION);
        EXPECT_EQ(clip, CRect(-67, -67, 133, 133));  // the 60 x 60 image in logical units

        EXPECT_EQ(dc.SetMapMode(MM_TEXT), MM_ANISOTROPIC);
        EXPECT_EQ(dc.GetViewportExt(), CSize(1, 1));
    });
    SaveTestImage(image, "gdi_mapping");
    EXPECT_EQ(Px(image, 5, 0), kRed);
    EXPECT_EQ(Px(image, 6, 1), kRed);
    EXPECT_EQ(Px(image, 7, 2), kWhite);
    EXPECT_EQ(Px(image, 20, 20), kBlue);
    EXPECT_EQ(Px(image, 49, 49), kBlue);
    EXPECT_EQ(Px(image, 50, 50), kWhite);
    EXPECT_EQ(Px(image, 19, 30), kWhite);
}

TEST(Gdi, PathsWithCurvesAreStrokedAndFilled) {
    CPen black(PS_SOLID, 1, kBlack);
    CBrush red(kRed);
    BOOL reused = TRUE;
    const QImage image = Draw(60, 50, [&](CDC& dc) {
        dc.SelectObject(&black);
        dc.SelectObject(&red);
        dc.BeginPath();
        dc.MoveTo(10, 10);
        dc.LineTo(50, 10);
        const POINT curve[] = {{60, 25}, {60, 25}, {50, 40}};
        dc.PolyBezierTo(curve, 3);
        dc.LineTo(10, 40);  // left open: filling closes it
        dc.EndPath();
        EXPECT_TRUE(dc.StrokeAndFillPath());
        reused = dc.StrokeAndFillPath();
        // What a path records is not drawn by itself.
        dc.BeginPath();
        dc.MoveTo(0, 48);
        dc.LineTo(60, 48);
        dc.AbortPath();
    });
    SaveTestImage(image, "gdi_path");
    EXPECT_FALSE(reused) << "a path is used once";
    EXPECT_EQ(Px(image, 30, 25), kRed);
    EXPECT_EQ(Px(image, 53, 25), kRed) << "inside the curve";
    EXPECT_EQ(Px(image, 30, 10), kBlack);
    EXPECT_EQ(Px(image, 10, 25), kBlack) << "the closing edge is stroked";
    EXPECT_EQ(Px(image, 58, 25), kWhite);
    EXPECT_EQ(Px(image, 30, 45), kWhite);
    EXPECT_EQ(Px(image, 30, 48), kWhite);
}

TEST(Gdi, TextIsPlacedByItsFlagsAndMeasured) {
    CFont font;
    LOGFONT lf;
    lf.lfHeight = -16;
    ASSERT_TRUE(font.CreateFontIndirect(&lf));
    CSize extent;
    CRect calc(0, 0, 0, 0);
    const CRect box(10, 10, 190, 50);
    const QImage image = Draw(200, 100, [&](CDC& dc) {
        dc.SelectObject(&font);
        extent = dc.GetTextExtent("Varnel");
        dc.DrawText("Varnel", &calc, DT_CALCRECT | DT_SINGLELINE);
        dc.SetTextColor(kBlue);
        dc.SetBkMode(TRANSPARENT);
        CRect r = box;
        dc.DrawText("Varnel", &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        // Opaque text fills behind itself with the background colour, and only there.
        dc.SetBkMode(OPAQUE);
        dc.SetBkColor(kRed);
        CRect below(10, 60, 190, 95);
        dc.DrawText("&Right", &below, DT_RIGHT | DT_SINGLELINE);
    });
    SaveTestImage(image, "gdi_text");
    EXPECT_GT(extent.cx, 30);
    EXPECT_GE(extent.cy, 16);
    EXPECT_EQ(calc.Width(), extent.cx);
    EXPECT_EQ(calc.Height(), extent.cy);

    QImage top = image.copy(0, 0, 200, 55);
    const QRect ink = Ink(top, kWhite);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_NEAR(ink.center().x(), 100, 3) << "centred across";
    EXPECT_NEAR(ink.center().y(), 30, 4) << "centred down";
    EXPECT_LE(ink.width(), extent.cx);

    const QRect red = Ink(image.copy(0, 56, 200, 44), kWhite).translated(0, 56);
    EXPECT_EQ(red.right(), 189) << "right-aligned: the opaque box ends at the rectangle";
    EXPECT_EQ(red.top(), 60);
    EXPECT_LT(red.width(), 100);
}

TEST(Gdi, EdgesUseTheSystemColoursAndAdjustTheRectangle) {
    CRect r(5, 5, 25, 15);
    CRect sunken(30, 5, 50, 15);
    const QImage image = Draw(60, 20, [&](CDC& dc) {
        dc.DrawEdge(&r, EDGE_RAISED, BF_RECT | BF_ADJUST);
        dc.DrawEdge(&sunken, BDR_SUNKENINNER, BF_RECT);
    });
    SaveTestImage(image, "gdi_edges");
    EXPECT_EQ(r, CRect(7, 7, 23, 13));
    EXPECT_EQ(Px(image, 10, 5), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(Px(image, 10, 6), GetSysColor(COLOR_3DHIGHLIGHT));
    EXPECT_EQ(Px(image, 10, 14), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(Px(image, 10, 13), GetSysColor(COLOR_3DSHADOW));
    EXPECT_EQ(Px(image, 5, 14), GetSysColor(COLOR_3DDKSHADOW)) << "the bottom-left corner is dark";
    EXPECT_EQ(Px(image, 35, 5), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(Px(image, 49, 10), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(Px(image, 40, 10), kWhite);
}

TEST(Gdi, FocusRectangleInvertsEveryOtherPixelAndUndoesItself) {
    auto focus = [](int times, bool printing) {
        return Draw(
            20, 20,
            [&](CDC& dc) {
                dc.FillSolidRect(2, 2, 16, 16, kRed);
                for (int i = 0; i < times; ++i)
                    dc.DrawFocusRect(CRect(2, 2, 18, 18));
            },
            printing);
    };
    const QImage once = focus(1, false);
    SaveTestImage(once, "gdi_focus");
    int inverted = 0;
    for (int x = 2; x < 18; ++x) {
        const COLORREF c = Px(once, x, 2);
        EXPECT_TRUE(c == kRed || c == RGB(0, 255, 255)) << x;
        inverted += c != kRed;
    }
    EXPECT_EQ(inverted, 8);
    EXPECT_EQ(Px(once, 10, 10), kRed);
    EXPECT_EQ(focus(2, false), focus(0, false));
    EXPECT_EQ(focus(1, true), focus(0, false)) << "not printed";
}

TEST(Gdi, MemoryDcDrawsOnItsBitmapAndCopiesIt) {
    CDC mem;
    ASSERT_TRUE(mem.CreateCompatibleDC(nullptr));
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateCompatibleBitmap(&mem, 10, 8));
    CBitmap* stock = mem.SelectObject(&bitmap);
    ASSERT_NE(stock, nullptr);
    mem.FillSolidRect(0, 0, 10, 8, kBlue);
    mem.FillSolidRect(2, 3, 1, 1, kRed);
    EXPECT_FALSE(bitmap.DeleteObject()) << "selected bitmaps stay";
    CRect clip;
    mem.GetClipBox(&clip);
    EXPECT_EQ(clip, CRect(0, 0, 10, 8));

    const QImage image = Draw(30, 30, [&](CDC& dc) {
        EXPECT_TRUE(dc.BitBlt(5, 6, 10, 8, &mem, 0, 0, SRCCOPY));
        EXPECT_FALSE(mem.BitBlt(0, 0, 1, 1, &dc, 0, 0, SRCCOPY)) << "only a memory DC is a source";
    });
    EXPECT_EQ(Px(image, 5, 6), kBlue);
    EXPECT_EQ(Px(image, 7, 9), kRed);
    EXPECT_EQ(Px(image, 14, 13), kBlue);
    EXPECT_EQ(Px(image, 15, 13), kWhite);

    EXPECT_EQ(mem.SelectObject(stock), &bitmap);
    EXPECT_TRUE(bitmap.DeleteObject());

    // A bitmap that goes while selected leaves the DC drawing on nothing, safely.
    auto gone = std::make_unique<CBitmap>();
    gone->CreateCompatibleBitmap(&mem, 4, 4);
    mem.SelectObject(gone.get());
    gone.reset();
    mem.FillSolidRect(0, 0, 4, 4, kRed);
    EXPECT_EQ(mem.GetCurrentBitmap(), nullptr);
}

TEST(Gdi, HandlesNameTheirDcAndAttachSharesItsState) {
    QImage image(10, 10, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    HDC hdc = nullptr;
    {
        CDC dc(&painter, true);
        hdc = dc.GetSafeHdc();
        EXPECT_EQ(CDC::FromHandle(hdc), &dc);
        CDC shared;
        ASSERT_TRUE(shared.Attach(hdc));
        shared.SetTextColor(kRed);
        EXPECT_EQ(dc.GetTextColor(), kRed);
        EXPECT_TRUE(shared.IsPrinting());
        EXPECT_EQ(shared.Detach(), hdc);
        EXPECT_EQ(dc.Detach(), nullptr) << "a DC keeps its own device";
    }
    EXPECT_EQ(CDC::FromHandle(hdc), nullptr);
    CDC late;
    EXPECT_FALSE(late.Attach(hdc));
}

// A window that paints a square and remembers what it was asked.
class PaintedWindow : public CWnd {
public:
    std::vector<CString> calls;
    CDC* eraseDc = nullptr;
    CDC* paintDc = nullptr;
    BOOL OnEraseBkgnd(CDC* dc) override {
        calls.push_back("erase");
        eraseDc = dc;
        dc->FillSolidRect(CRect(0, 0, 40, 30), kBlue);
        return TRUE;
    }
    void OnPaint() override {
        CPaintDC dc(this);
        calls.push_back("paint");
        paintDc = &dc;
        EXPECT_FALSE(dc.m_ps.fErase);
        dc.FillSolidRect(10, 10, 5, 5, kRed);
        CClientDC client(this);  // shares the painter during the paint
        client.FillSolidRect(20, 10, 5, 5, kGreen);
    }
};

TEST(Gdi, WindowsPaintThroughPaintDcsAfterErasing) {
    testing_support::ScopedVirtualClock clock;
    PaintedWindow wnd;
    ASSERT_TRUE(wnd.Create(nullptr, "", WS_VISIBLE, CRect(0, 0, 40, 30), nullptr, 1));
    testing_support::ProcessQtEvents();
    wnd.calls.clear();
    const QImage image = RenderWidget(wnd.GetWidget());
    SaveTestImage(image, "gdi_window_paint");
    ASSERT_EQ(wnd.calls, (std::vector<CString>{"erase", "paint"}));
    EXPECT_EQ(wnd.eraseDc, wnd.paintDc) << "the erase draws on the paint DC";
    EXPECT_EQ(Px(image, 1, 1), kBlue);
    EXPECT_EQ(Px(image, 12, 12), kRed);
    EXPECT_EQ(Px(image, 22, 12), kGreen);

    // Outside a paint a client DC measures text but cannot draw: it asks for a repaint.
    testing_support::ProcessQtEvents();
    wnd.calls.clear();
    {
        CClientDC dc(&wnd);
        EXPECT_GT(dc.GetTextExtent("W").cx, 0);
        CRect clip;
        dc.GetClipBox(&clip);
        EXPECT_EQ(clip, CRect(0, 0, 40, 30));
        dc.FillSolidRect(0, 0, 5, 5, kRed);
    }
    testing_support::ProcessQtEvents();
    EXPECT_FALSE(wnd.calls.empty()) << "the lost drawing is repainted";

    // A paint DC made outside a paint draws nothing and does not fail.
    wnd.calls.clear();
    wnd.SendMessage(WM_PAINT);
    EXPECT_EQ(wnd.calls, (std::vector<CString>{"erase", "paint"}));
    wnd.DestroyWindow();
}

// An owner-drawn combo that fills each item with a colour from its index and records the calls.
class SwatchCombo : public CComboBox {
public:
    struct Call {
        int item;
        UINT state;
        CRect rect;
    };
    std::vector<Call> calls;
    void DrawItem(LPDRAWITEMSTRUCT dis) override {
        calls.push_back({static_cast<int>(dis->itemID), dis->itemState, CRect(dis->rcItem)});
        CDC* dc = CDC::FromHandle(dis->hDC);
        ASSERT_NE(dc, nullptr);
        dc->FillSolidRect(&dis->rcItem, static_cast<int>(dis->itemID) == 1 ? kRed : kBlue);
    }
    void MeasureItem(LPMEASUREITEMSTRUCT mis) override { mis->itemHeight = 21; }
};

const DialogTemplate kComboDialog = {
    950,
    "Colours",
    0,
    0,
    120,
    60,
    WS_CAPTION,
    "Tahoma",
    8,
    {dlg::ComboBox(20, 5, 5, 80, 60, CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS)}};

TEST(Gdi, OwnerDrawnItemsAreDrawnByTheSubclassingWindow) {
    testing_support::ScopedVirtualClock clock;
    CDialog dialog(kComboDialog);
    ASSERT_TRUE(dialog.Create(nullptr));
    SwatchCombo combo;
    ASSERT_TRUE(combo.SubclassDlgItem(20, &dialog));
    combo.AddString("a");
    combo.AddString("b");
    combo.SetCurSel(1);

    auto* widget = qobject_cast<QComboBox*>(combo.GetWidget());
    ASSERT_NE(widget, nullptr);
    const QImage box = RenderWidget(widget);
    SaveTestImage(box, "gdi_owner_draw_box");
    ASSERT_EQ(combo.calls.size(), 1u);
    EXPECT_EQ(combo.calls[0].item, 1);
    EXPECT_TRUE(combo.calls[0].state & ODS_COMBOBOXEDIT);
    const CPoint mid = combo.calls[0].rect.CenterPoint();
    EXPECT_EQ(Px(box, mid.x, mid.y), kRed);

    // The list items: the delegate draws through the combo's DrawItem and takes its height.
    combo.calls.clear();
    QAbstractItemView* view = widget->view();
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.rect = QRect(0, 0, 50, 21);
    option.state |= QStyle::State_Selected;
    QImage item(50, 21, QImage::Format_RGB32);
    item.fill(Qt::white);
    {
        QPainter painter(&item);
        view->itemDelegate()->paint(&painter, option, widget->model()->index(0, 0));
    }
    ASSERT_EQ(combo.calls.size(), 1u);
    EXPECT_EQ(combo.calls[0].item, 0);
    EXPECT_EQ(combo.calls[0].state & ODS_SELECTED, ODS_SELECTED);
    EXPECT_EQ(Px(item, 25, 10), kBlue);
    EXPECT_EQ(view->itemDelegate()->sizeHint(option, widget->model()->index(0, 0)).height(), 21);

    // An empty combo still draws its box, with item -1.
    combo.ResetContent();
    combo.calls.clear();
    RenderWidget(widget);
    ASSERT_EQ(combo.calls.size(), 1u);
    EXPECT_EQ(combo.calls[0].item, -1);
    dialog.DestroyWindow();
}

}  // namespace
