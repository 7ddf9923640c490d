#include <gtest/gtest.h>

#include <QComboBox>
#include <QImage>

#include "controls/color_combo_ex.h"
#include "platform/ui/dialog.h"
#include "tests/controls/draw_item.h"
#include "tests/support/harness.h"

namespace {

using testing_support::SaveTestImage;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

using testing_support::Px;

constexpr DWORD kComboStyle = CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VSCROLL;

// One item drawn on a white 30 x 20 picture.
QImage DrawItem(CColorComboEx& combo, int item, UINT state) {
    QImage image(30, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    controls_test::DrawComboItem(combo, image, item, state);
    return image;
}

// How many pixels of the inner swatch's top edge the focus rectangle inverted.
int Inverted(const QImage& image, COLORREF fill) {
    int n = 0;
    for (int x = 2; x < 28; ++x)
        n += Px(image, x, 2) == (fill ^ 0xFFFFFF);
    return n;
}

TEST(ColorCombo, ItemsAreSwatchesInABlackFrameWithTheFocusWhenSelected) {
    CColorComboEx combo;
    combo.m_arColors.insert(combo.m_arColors.begin(), RGB(0, 97, 198));
    struct Case {
        int item;
        UINT state;
        COLORREF fill;
        bool focus;
    };
    const Case cases[] = {
        {0, ODS_SELECTED, RGB(0, 97, 198), true},
        {1, 0, RGB(255, 0, 0), false},
        {1, ODS_SELECTED | ODS_FOCUS, RGB(255, 0, 0), true},
        // No item (an empty combo's box) and items beyond the colours: frame and focus only.
        {-1, ODS_SELECTED | ODS_COMBOBOXEDIT, kWhite, true},
        {-1, 0, kWhite, false},
        {7, ODS_SELECTED, kWhite, true},
        {1000000, 0, kWhite, false},
        // The "Automatic" entry, filled with the number of colours held.
        {16, 0, RGB(2, 0, 0), false},
    };
    for (const Case& c : cases) {
        const QImage image = DrawItem(combo, c.item, c.state);
        SaveTestImage(
            image,
            ("color_combo_item_" + std::to_string(c.item) + "_" + std::to_string(c.state)).c_str());
        EXPECT_EQ(Px(image, 1, 1), kBlack) << c.item;
        EXPECT_EQ(Px(image, 28, 18), kBlack) << c.item;
        EXPECT_EQ(Px(image, 15, 1), kBlack) << c.item;
        EXPECT_EQ(Px(image, 0, 0), kWhite) << c.item;
        EXPECT_EQ(Px(image, 3, 16), c.fill) << c.item;  // below any "Automatic" text
        EXPECT_EQ(Inverted(image, c.fill), c.focus ? 13 : 0) << c.item;
    }
}

TEST(ColorCombo, AFreshComboShowsOneRedSwatchSelected) {
    testing_support::ScopedVirtualClock clock;
    CWnd parent;
    ASSERT_TRUE(parent.Create(nullptr, "", 0, CRect(0, 0, 200, 100), nullptr, 0));
    CColorComboEx combo;
    ASSERT_TRUE(
        combo.Create(kComboStyle | WS_CHILD | WS_VISIBLE, CRect(10, 10, 110, 34), &parent, 1091));
    EXPECT_EQ(combo.GetCount(), 1);
    EXPECT_EQ(combo.GetCurSel(), 0);
    const QImage image = testing_support::RenderWidget(combo.GetWidget());
    SaveTestImage(image, "color_combo_fresh");
    EXPECT_EQ(Px(image, 30, image.height() / 2), RGB(255, 0, 0));

    // As the dialogs set a colour: empty, insert it first, one item, select it.
    combo.ResetContent();
    EXPECT_NE(Px(testing_support::RenderWidget(combo.GetWidget()), 30, image.height() / 2),
              RGB(255, 0, 0))
        << "an empty combo draws no swatch, safely";
    combo.m_arColors.insert(combo.m_arColors.begin(), RGB(0, 160, 0));
    combo.AddString("");
    combo.SetCurSel(0);
    EXPECT_EQ(Px(testing_support::RenderWidget(combo.GetWidget()), 30, image.height() / 2),
              RGB(0, 160, 0));
    parent.DestroyWindow();
}

const DialogTemplate kLineDialog = {
    960, "Line",     0,        0, 120,
    50,  WS_CAPTION, "Tahoma", 8, {dlg::ComboBox(1091, 5, 5, 60, 80, kComboStyle)}};

TEST(ColorCombo, SubclassedFromATemplateItFillsAndDrawsItsItems) {
    testing_support::ScopedVirtualClock clock;
    CDialog dialog(kLineDialog);
    ASSERT_TRUE(dialog.Create(nullptr));
    CColorComboEx combo;
    combo.m_arColors = {RGB(0, 0, 255), RGB(255, 255, 0)};
    ASSERT_TRUE(combo.SubclassDlgItem(1091, &dialog));
    EXPECT_EQ(combo.GetCount(), 2);
    EXPECT_EQ(combo.GetCurSel(), 0);
    QWidget* widget = combo.GetWidget();
    const QImage image = testing_support::RenderWidget(widget);
    SaveTestImage(image, "color_combo_dialog");
    EXPECT_EQ(Px(image, 20, image.height() / 2), RGB(0, 0, 255));
    combo.SetCurSel(1);
    EXPECT_EQ(Px(testing_support::RenderWidget(widget), 20, image.height() / 2), RGB(255, 255, 0));
    dialog.DestroyWindow();
}

}  // namespace
