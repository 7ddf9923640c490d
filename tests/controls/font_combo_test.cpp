#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QImage>
#include <algorithm>
#include <cmath>
#include <set>

#include "controls/font_combo.h"
#include "tests/controls/draw_item.h"
#include "tests/support/harness.h"

namespace {

using testing_support::RenderWidget;
using testing_support::SaveTestImage;

constexpr UINT kId = 1210;
constexpr DWORD kStyle =
    CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VSCROLL | WS_CHILD | WS_VISIBLE;

using testing_support::Px;

std::vector<CString> Items(const CComboBox& combo) {
    std::vector<CString> items;
    for (int i = 0; i < combo.GetCount(); ++i) {
        CString text;
        combo.GetLBText(i, text);
        items.push_back(text);
    }
    return items;
}

std::set<CString> Families(const QStringList& list) {
    std::set<CString> out;
    for (const QString& f : list)
        out.insert(CString(f));
    return out;
}

// Notes the notifications its controls send it.
class Parent : public CWnd {
public:
    BOOL OnCommand(WPARAM wParam, LPARAM) override {
        codes.push_back(HIWORD(wParam));
        return TRUE;
    }
    std::vector<UINT> codes;
};

class FontCombo : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(parent.Create(nullptr, "", WS_VISIBLE, CRect(100, 100, 500, 400), nullptr, 0));
    }
    void TearDown() override { parent.DestroyWindow(); }
    // A combo whose dropped list shows `rows` items.
    void Make(CComboBoxFont& combo, int rows = 8) {
        ASSERT_TRUE(combo.Create(kStyle, CRect(10, 10, 250, 34 + rows * 20), &parent, kId));
        combo.SetItemHeight(-1, 24);
    }
    QImage DrawItem(CComboBoxFont& combo, int item, UINT state) {
        QImage image(200, 20, QImage::Format_RGB32);
        image.fill(Qt::black);
        controls_test::DrawComboItem(combo, image, item, state);
        return image;
    }
    void Choose(CComboBoxFont& combo, const char* face) {
        combo.SelectFont(face);
        platform::NotifyParent(combo.GetWidget(), CBN_SELENDOK);
    }

    testing_support::ScopedVirtualClock clock;
    Parent parent;
};

TEST_F(FontCombo, ListsEachFamilyOnce) {
    CComboBoxFont combo;
    Make(combo);
    const std::vector<CString> items = Items(combo);
    const std::set<CString> unique(items.begin(), items.end());
    EXPECT_EQ(unique.size(), items.size()) << "no family twice";
    EXPECT_EQ(unique, Families(QFontDatabase::families()));
    EXPECT_TRUE(unique.count("DejaVu Sans"));
    EXPECT_EQ(combo.GetFontCount(), combo.GetCount());
    EXPECT_EQ(clock.Period(combo.GetSafeHwnd(), 1), 500u);
    for (int i = 0; i < combo.GetCount(); ++i)
        EXPECT_EQ(combo.GetFontAt(i)->m_dwFontType, static_cast<DWORD>(TRUETYPE_FONTTYPE));
}

TEST_F(FontCombo, FiltersByFacePitchAndCharacterSet) {
    std::set<CString> fixed;
    for (const QString& f : QFontDatabase::families())
        if (QFontDatabase::isFixedPitch(f)) fixed.insert(CString(f));
    ASSERT_TRUE(fixed.count("DejaVu Sans Mono"));
    struct Case {
        const char* what;
        BYTE charSet;
        const char* face;
        BYTE pitch;
        std::set<CString> expected;
    };
    const Case cases[] = {
        {"one face", DEFAULT_CHARSET, "DejaVu Sans", 0, {"DejaVu Sans"}},
        {"no such face", DEFAULT_CHARSET, "No Such Face", 0, {}},
        {"fixed pitch", DEFAULT_CHARSET, "", FIXED_PITCH, fixed},
        {"Greek", GREEK_CHARSET, "", 0, Families(QFontDatabase::families(QFontDatabase::Greek))},
        {"Cyrillic", RUSSIAN_CHARSET, "", 0,
         Families(QFontDatabase::families(QFontDatabase::Cyrillic))},
    };
    for (const Case& c : cases) {
        CComboBoxFont combo;
        combo.SetCharSet(c.charSet);
        combo.SetFaceFilter(c.face);
        combo.SetPitchAndFamily(c.pitch);
        Make(combo);
        const std::vector<CString> items = Items(combo);
        EXPECT_EQ(std::set<CString>(items.begin(), items.end()), c.expected) << c.what;
        combo.DestroyWindow();
    }
}

TEST_F(FontCombo, InitialisingAgainGivesTheSameList) {
    CComboBoxFont combo;
    combo.SetImageSize(16, 12);
    Make(combo);
    const std::vector<CString> first = Items(combo);
    Choose(combo, "DejaVu Serif");
    ASSERT_EQ(combo.GetRecentCount(), 1);
    ASSERT_TRUE(combo.Initialise());
    EXPECT_EQ(Items(combo), first) << "the recent list starts again too";
    EXPECT_EQ(combo.GetRecentCount(), 0);
    EXPECT_EQ(combo.GetImageSize(), CSize(16, 12));
    EXPECT_EQ(combo.GetImageList().GetImageSize(), CSize(16, 12));
    ASSERT_TRUE(combo.Initialise());
    EXPECT_EQ(Items(combo), first);
}

TEST_F(FontCombo, SelectsOnlyTheExactName) {
    CComboBoxFont combo;
    Make(combo);
    combo.SelectFont("DejaVu Sans");
    CString text;
    ASSERT_NE(combo.GetCurSel(), CB_ERR);
    combo.GetLBText(combo.GetCurSel(), text);
    EXPECT_EQ(text, "DejaVu Sans");
    EXPECT_EQ(combo.GetSelectedFont(), "DejaVu Sans");
    combo.SelectFont("DejaVu Sans Mono");
    combo.GetLBText(combo.GetCurSel(), text);
    EXPECT_EQ(text, "DejaVu Sans Mono");
    combo.SelectFont("No Such Face");
    EXPECT_EQ(combo.GetCurSel(), CB_ERR);
}

TEST_F(FontCombo, AChosenFontHeadsTheRecentList) {
    CComboBoxFont combo;
    Make(combo);
    const int count = combo.GetCount();
    Choose(combo, "DejaVu Serif");
    Choose(combo, "DejaVu Sans Mono");
    Choose(combo, "DejaVu Serif");
    const std::vector<CString> items = Items(combo);
    ASSERT_EQ(static_cast<int>(items.size()), count) << "moved, not copied";
    EXPECT_EQ(items[0], "DejaVu Serif");
    EXPECT_EQ(items[1], "DejaVu Sans Mono");
    EXPECT_EQ(std::count(items.begin(), items.end(), CString("DejaVu Serif")), 1);
    EXPECT_EQ(combo.GetCurSel(), 0);
    EXPECT_EQ(combo.GetRecentCount(), 2);

    CComboBoxFont plain(FALSE);
    ASSERT_TRUE(plain.Create(kStyle, CRect(10, 200, 250, 300), &parent, kId + 1));
    const std::vector<CString> before = Items(plain);
    Choose(plain, "DejaVu Serif");
    EXPECT_EQ(Items(plain), before) << "without the recent list nothing moves";
}

TEST_F(FontCombo, DrawsEachFaceInItselfOnItsColours) {
    CComboBoxFont combo;
    Make(combo);
    combo.SetColours(RGB(250, 250, 210), RGB(0, 0, 90));
    combo.SetRecentColours(RGB(210, 240, 255), RGB(90, 0, 0));
    for (int i = 0; i < combo.GetCount(); ++i) {
        testing_support::RecordingDevice recorder(200, 20, 96);
        controls_test::DrawComboItem(combo, recorder, i, 0);
        const QString face = combo.GetFontAt(i)->m_strFaceName.ToQString();
        // A face that lacks some of its own name's glyphs is drawn in runs, the missing ones in a
        // fallback face; the rest is still drawn in the face itself.
        ASSERT_FALSE(recorder.texts.empty()) << face.toStdString();
        EXPECT_EQ(recorder.AllText(), face);
        EXPECT_TRUE(std::any_of(recorder.texts.begin(), recorder.texts.end(), [&](const auto& t) {
            return t.family == face;
        })) << face.toStdString();
    }
    const int serif = combo.FindStringExact(-1, "DejaVu Serif");
    QImage image = DrawItem(combo, serif, 0);
    SaveTestImage(image, "font_combo_item");
    EXPECT_EQ(Px(image, 199, 1), RGB(250, 250, 210));
    image = DrawItem(combo, serif, ODS_SELECTED | ODS_FOCUS);
    SaveTestImage(image, "font_combo_item_selected");
    EXPECT_EQ(Px(image, 197, 10), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_NE(Px(image, 1, 0), GetSysColor(COLOR_HIGHLIGHT)) << "the focus rectangle";
    Choose(combo, "DejaVu Serif");
    image = DrawItem(combo, 0, 0);
    SaveTestImage(image, "font_combo_item_recent");
    EXPECT_EQ(Px(image, 199, 1), RGB(210, 240, 255));
    SaveTestImage(RenderWidget(combo.GetWidget()), "font_combo_closed");
}

TEST_F(FontCombo, TheTipPreviewsTheHighlightedFace) {
    CComboBoxFont combo;
    Make(combo, 3);
    ASSERT_GE(combo.GetCount(), 4) << "the test needs four families";
    auto* box = static_cast<QComboBox*>(combo.GetWidget());
    combo.ShowDropDown(TRUE);
    ASSERT_TRUE(combo.GetDroppedState());
    combo.SetTopIndex(1);
    box->view()->setCurrentIndex(box->model()->index(3, 0));
    ASSERT_EQ(combo.GetTopIndex(), 1);
    ASSERT_EQ(combo.GetCurSel(), 3);
    clock.Advance(500);
    SaveTestImage(RenderWidget(box->view()), "font_combo_list");
    CComboBoxFontTip& tip = combo.GetTip();
    ASSERT_TRUE(tip.IsWindowVisible());
    CRect list;
    combo.GetDroppedListRect(&list);
    const int h = combo.GetItemHeight(0);
    const QString face = combo.GetFontAt(3)->m_strFaceName.ToQString();
    QFont font(face);
    font.setPixelSize(18);
    const QFontMetricsF fm(font);
    const int width = static_cast<int>(std::ceil(fm.horizontalAdvance(face))) + 8;
    const int height = static_cast<int>(std::ceil(fm.height())) + 8;
    CRect at;
    tip.GetWindowRect(&at);
    EXPECT_EQ(at, CRect(list.left + 5, list.top + 3 * h, list.left + 5 + width,
                        list.top + 3 * h + height));
    EXPECT_EQ(tip.GetText(), CString(face));
    EXPECT_EQ(tip.GetTipFont().LogFont().lfHeight, -18);
    const QImage picture = RenderWidget(tip.GetWidget());
    SaveTestImage(picture, "font_combo_tip");
    EXPECT_EQ(Px(picture, 2, 2), GetSysColor(COLOR_INFOBK));

    // Scrolled so that the highlighted face is out of sight: no tip.
    combo.SetTopIndex(0);
    clock.Advance(500);
    EXPECT_FALSE(tip.IsWindowVisible());
    combo.SetTopIndex(1);
    clock.Advance(500);
    EXPECT_TRUE(tip.IsWindowVisible());
    combo.ShowDropDown(FALSE);
    EXPECT_FALSE(tip.IsWindowVisible()) << "closing the list hides it at once";
    // The parent hears of the list too.
    EXPECT_NE(std::find(parent.codes.begin(), parent.codes.end(), CBN_DROPDOWN),
              parent.codes.end());
    EXPECT_EQ(parent.codes.back(), CBN_CLOSEUP);
    clock.Advance(500);
    EXPECT_FALSE(tip.IsWindowVisible());
}

}  // namespace
