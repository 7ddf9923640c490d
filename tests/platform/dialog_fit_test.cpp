// Dialogs built from templates: units from the dialog font, texts that grow rather than being cut,
// one-line combo boxes, and the place a dialog opens at.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include "platform/ui/text_fit.h"
#include "platform/win/widget_bridge.h"
#include "tests/support/harness.h"

namespace {

QRect Pixels(const DialogItem& item) {
    const CRect r = platform::DluToPixels(item.x, item.y, item.cx, item.cy);
    return QRect(r.left, r.top, r.Width(), r.Height());
}

QString Shown(QWidget* w) {
    if (auto* label = qobject_cast<QLabel*>(w)) return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->text();
    return {};
}

TEST(DialogUnits, FollowTheDialogFontAsWindowsComputesThem) {
    for (double scale : {1.0, 1.25}) {
        testing_support::ScopedDialogFontScale font(scale);
        const QFontMetrics metrics(platform::DialogFont());
        const int alphabet =
            metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
        const platform::DialogBaseUnits units = platform::GetDialogBaseUnits();
        EXPECT_EQ(units.cx, (alphabet / 26 + 1) / 2) << scale;
        EXPECT_EQ(units.cy, metrics.height()) << scale;
        if (scale == 1.0) {
            // The templates' own font has these, so pixel layouts made for it fit too.
            EXPECT_EQ(units.cx, 6);
            EXPECT_EQ(units.cy, 13);
        } else {
            EXPECT_GT(units.cx, 6);
            EXPECT_GT(units.cy, 13);
        }
        const DialogTemplate t{903, "Units", 0, 0, 200, 90, WS_POPUP | WS_CAPTION, "Tahoma", 8, {}};
        CDialog dialog(t);
        ASSERT_TRUE(dialog.Create());
        EXPECT_EQ(dialog.GetWidget()->size(),
                  QSize((200 * units.cx + 2) / 4, (90 * units.cy + 4) / 8));
        dialog.DestroyWindow();
    }
}

// A group box with a left-aligned text beside an edit, a right-aligned text after an edit and a
// button, and below it a wrapping text with an edit to its right.
const DialogTemplate kFitTemplate = {904,
                                     "Fit",
                                     0,
                                     0,
                                     200,
                                     120,
                                     WS_POPUP | WS_CAPTION,
                                     "Tahoma",
                                     8,
                                     {
                                         dlg::GroupBox("Group", 20, 5, 5, 150, 60),
                                         dlg::LText("Short", 21, 10, 17, 40, 8),
                                         dlg::EditText(22, 100, 15, 50, 12),
                                         dlg::EditText(24, 10, 31, 30, 12),
                                         dlg::RText("Short", 23, 90, 33, 40, 8),
                                         dlg::PushButton("OK", 25, 60, 47, 30, 14),
                                         dlg::LText("Short", 26, 10, 75, 60, 8),
                                         dlg::EditText(27, 75, 73, 50, 12),
                                     }};

class DialogTexts : public testing_support::HarnessTest {
protected:
    void SetUp() override { ASSERT_TRUE(dialog.Create()); }
    void TearDown() override { dialog.DestroyWindow(); }
    QWidget* Item(int id) { return dialog.GetDlgItem(id)->GetWidget(); }
    const DialogItem& Design(int id) {
        for (const DialogItem& item : kFitTemplate.items)
            if (static_cast<int>(item.id) == id) return item;
        return kFitTemplate.items.front();
    }
    // No control overlaps another but the group box it lies in, or leaves the dialog or the box.
    void ExpectClear(int id) {
        QWidget* w = Item(id);
        EXPECT_TRUE(dialog.GetWidget()->rect().contains(w->geometry())) << id;
        if (Pixels(Design(20)).contains(Pixels(Design(id)))) {
            EXPECT_TRUE(Item(20)->geometry().contains(w->geometry())) << id;
        }
        for (const DialogItem& other : kFitTemplate.items) {
            if (other.id == UINT(id) || other.id == 20) continue;
            EXPECT_FALSE(Item(int(other.id))->geometry().intersects(w->geometry()))
                << id << " over " << other.id;
        }
    }
    CDialog dialog{kFitTemplate};
};

TEST_F(DialogTexts, GrowIntoTheRoomTheyHaveElseShowShortenedWithATooltip) {
    const CString lengthy = "A translated text far too long for any room this dialog has to offer";
    enum Outcome { kFits, kGrows, kShortened };
    const struct {
        int id;
        CString text;
        Outcome outcome;
        const char* edge;  // what stays: "left", "right", "top" edge, "centre", or "" nothing
    } rows[] = {
        {21, "Short", kFits, "left"},
        {21, "Recording time :", kGrows, "left"},
        {21, lengthy, kShortened, "left"},
        {23, "Recording time :", kGrows, "right"},
        {23, lengthy, kShortened, "right"},
        {25, "Properties", kGrows, "centre"},
        {25, lengthy, kShortened, ""},  // takes the room on both sides, even or not
        {26, "Recording time : of the run, in seconds", kGrows, "top"},
        {26, lengthy + " " + lengthy, kShortened, "top"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.text.GetString());
        CWnd* control = dialog.GetDlgItem(r.id);
        QWidget* w = control->GetWidget();
        const QRect asked = Pixels(Design(r.id));
        control->SetWindowText(r.text);
        EXPECT_EQ(control->GetWindowText(), r.text);
        ExpectClear(r.id);
        const QRect g = w->geometry();
        // A left-aligned label that fits gives up the room right of its text.
        const bool trims = r.id == 21 || r.id == 26;
        auto own = [&](const QRect& now) {
            return trims ? now.topLeft() == asked.topLeft() && now.height() == asked.height() &&
                               now.width() < asked.width() &&
                               now.width() >= w->fontMetrics().horizontalAdvance(Shown(w))
                         : now == asked;
        };
        if (r.outcome == kFits) {
            EXPECT_TRUE(own(g)) << g.width() << " of " << asked.width();
        }
        if (r.outcome == kGrows) {
            EXPECT_TRUE(g.contains(asked) && g != asked);
            EXPECT_EQ(Shown(w), r.text.ToQString());
            EXPECT_TRUE(w->toolTip().isEmpty());
        }
        if (r.outcome == kShortened) {
            EXPECT_TRUE(Shown(w).endsWith(QChar(0x2026))) << Shown(w).toStdString();
            EXPECT_EQ(testing_support::ShownTooltip(w), r.text.ToQString());
        }
        const std::string edge = r.edge;
        const int kept = edge.empty()      ? 0
                         : edge == "left"  ? g.left() - asked.left()
                         : edge == "right" ? g.right() - asked.right()
                         : edge == "top"   ? g.top() - asked.top()
                                           : g.center().x() - asked.center().x();
        EXPECT_LE(std::abs(kept), edge == "centre" ? 1 : 0) << "the " << edge << " edge moved";
        control->SetWindowText("Short");
        EXPECT_TRUE(own(w->geometry())) << "back to its own rectangle";
        EXPECT_EQ(Shown(w), "Short");
        EXPECT_TRUE(w->toolTip().isEmpty());
    }
}

TEST_F(DialogTexts, AShortenedTextGivesBackTheProgramsTooltipAndMakesWayForANeighbour) {
    CWnd* label = dialog.GetDlgItem(21);
    QWidget* w = label->GetWidget();
    w->setToolTip("the program's own");
    label->SetWindowText("A text that needs more than the room up to the edit");
    EXPECT_NE(w->toolTip(), "the program's own");
    label->SetWindowText("Short");
    EXPECT_EQ(w->toolTip(), "the program's own");

    // Grown into the free room, it gives way to a neighbour the program moves there.
    label->SetWindowText("Recording time :");
    const QRect grown = w->geometry();
    ASSERT_GT(grown.width(), Pixels(Design(21)).width());
    CWnd* edit = dialog.GetDlgItem(22);
    const QRect asked = Pixels(Design(21));
    edit->MoveWindow(asked.right() + 3, asked.top(), 30, asked.height());
    EXPECT_FALSE(w->geometry().intersects(edit->GetWidget()->geometry()));
    EXPECT_EQ(w->toolTip(), "Recording time :");
    edit->MoveWindow(Pixels(Design(22)).left(), Pixels(Design(22)).top(), 50, 20);
    EXPECT_EQ(w->geometry(), grown) << "and takes the room again once it is free";
}

// A drop list 100 units high beside a narrow one with a neighbour at its right, a simple combo,
// and a plain text below the tall one's box.
const DialogTemplate kComboTemplate = {
    905,
    "Combos",
    0,
    0,
    200,
    120,
    WS_POPUP | WS_CAPTION,
    "Tahoma",
    8,
    {
        dlg::ComboBox(30, 10, 10, 80, 100, CBS_DROPDOWNLIST | WS_VSCROLL),
        dlg::LText("Below", 31, 10, 28, 60, 8),
        dlg::ComboBox(32, 100, 10, 40, 60),
        dlg::EditText(33, 150, 10, 40, 12),
        dlg::ComboBox(34, 100, 40, 80, 60, CBS_SIMPLE),
    }};

class ComboDialog : public CDialog {
public:
    ComboDialog() : CDialog(kComboTemplate) {}
    CComboBox face;
    void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, 30, face); }
};

TEST(ComboBoxes, AreOneLineHighWithTheRestOfTheirRectangleTheirList) {
    testing_support::ScopedVirtualClock clock;
    ComboDialog dialog;
    ASSERT_TRUE(dialog.Create());
    auto& tall = *static_cast<CComboBox*>(dialog.GetDlgItem(30));
    auto* box = qobject_cast<QComboBox*>(tall.GetWidget());
    for (int i = 0; i < 20; ++i)
        tall.AddString(CString::Formatted("Entry %d", i));
    dialog.ShowWindow(SW_SHOW);
    const QRect asked = Pixels(kComboTemplate.items[0]);
    const int line = box->sizeHint().height();
    EXPECT_EQ(box->geometry(), QRect(asked.topLeft(), QSize(asked.width(), line)));
    EXPECT_FALSE(box->geometry().intersects(dialog.GetDlgItem(31)->GetWidget()->geometry()));
    CRect dropped;
    tall.GetDroppedControlRect(&dropped);
    EXPECT_EQ(dropped.Height(), asked.height());
    EXPECT_EQ(box->maxVisibleItems(), (asked.height() - line) / tall.GetItemHeight(0));
    // Both faces of the control know its heights; moving it keeps the box one line high.
    EXPECT_EQ(dialog.face.GetItemHeight(-1), line);
    dialog.face.SetWindowPos(nullptr, 20, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_EQ(box->geometry(), QRect(20, 20, asked.width(), line));
    dialog.face.GetDroppedControlRect(&dropped);
    EXPECT_EQ(dropped.Height(), asked.height());
    tall.SetItemHeight(-1, 30);
    EXPECT_EQ(box->height(), 30);
    // A simple combo shows its list in its rectangle.
    EXPECT_EQ(dialog.GetDlgItem(34)->GetWidget()->geometry(), Pixels(kComboTemplate.items[4]));

    // A box too narrow for its entries grows as far as its neighbour; what it still cannot show
    // ends in an ellipsis, whole in the tooltip.
    auto& narrow = *static_cast<CComboBox*>(dialog.GetDlgItem(32));
    auto* small = qobject_cast<QComboBox*>(narrow.GetWidget());
    narrow.AddString("One");
    narrow.AddString("Every 30 minutes, all day long");
    narrow.SetCurSel(0);
    testing_support::ProcessQtEvents();
    const QRect edit = dialog.GetDlgItem(33)->GetWidget()->geometry();
    EXPECT_GT(small->width(), Pixels(kComboTemplate.items[2]).width());
    EXPECT_EQ(small->geometry().right() + 1, edit.left() - 0) << "up to the neighbour";
    EXPECT_TRUE(testing_support::ShownTooltip(small).isEmpty());
    narrow.SetCurSel(1);
    EXPECT_EQ(testing_support::ShownTooltip(small), "Every 30 minutes, all day long");
    // The open list shows what the box shortens whole; the program's dropped width still holds.
    narrow.ShowDropDown(TRUE);
    ASSERT_TRUE(narrow.GetDroppedState());
    EXPECT_GT(small->view()->viewport()->width(),
              small->fontMetrics().horizontalAdvance("Every 30 minutes, all day long"));
    narrow.ShowDropDown(FALSE);
    narrow.SetDroppedWidth(600);
    EXPECT_EQ(narrow.GetDroppedWidth(), 600);
    narrow.ShowDropDown(TRUE);
    EXPECT_GE(small->view()->width(), 600);
    narrow.ShowDropDown(FALSE);
    narrow.ResetContent();
    testing_support::ProcessQtEvents();
    EXPECT_EQ(small->width(), Pixels(kComboTemplate.items[2]).width());
    dialog.DestroyWindow();
}

// Where a dialog opens: centred on its owner's window, kept on the screen's work area, or at the
// offset its template gives from the owner's client area.
TEST(DialogPlacement, CentredOnTheOwnerOnTheScreenOrAtTheTemplatesOffset) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const DialogTemplate centred{
        906, "Centred", 0, 0, 100, 60, WS_POPUP | WS_CAPTION | DS_CENTER, "Tahoma", 8, {}};
    const DialogTemplate placed{907,      "Placed", 20, 10, 100, 60, WS_POPUP | WS_CAPTION,
                                "Tahoma", 8,        {}};
    const struct {
        const char* name;
        QRect owner;
        const DialogTemplate* t;
        std::function<QPoint(const QRect& owner, const QSize& size)> expected;
    } rows[] = {
        {"on the owner", QRect(100, 80, 400, 300), &centred,
         [](const QRect& o, const QSize& s) {
             return o.center() - QPoint(s.width() / 2, s.height() / 2);
         }},
        {"kept on the screen", QRect(area.right() - 50, area.bottom() - 40, 200, 150), &centred,
         [&](const QRect&, const QSize& s) {
             return QPoint(area.right() - s.width(), area.bottom() - s.height());
         }},
        {"at its offset", QRect(100, 80, 400, 300), &placed,
         [](const QRect& o, const QSize&) {
             return o.topLeft() + QPoint(platform::DluToPixelX(20), platform::DluToPixelY(10));
         }},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        CWnd owner;
        ASSERT_TRUE(owner.Create(
            nullptr, "Owner", WS_POPUP | WS_VISIBLE,
            CRect(r.owner.left(), r.owner.top(), r.owner.right() + 1, r.owner.bottom() + 1),
            nullptr, 0));
        CDialog dialog(*r.t, &owner);
        ASSERT_TRUE(dialog.Create());
        QWidget* w = dialog.GetWidget();
        EXPECT_EQ(w->pos(), r.expected(owner.GetWidget()->frameGeometry(), w->size()));
        dialog.DestroyWindow();
        owner.DestroyWindow();
    }
}

// A dialog's title bar: the buttons its style asks for, and room for its whole caption.
TEST(DialogFrame, HasTheButtonsItsStyleAsksForAndRoomForItsTitle) {
    constexpr Qt::WindowFlags kMin = Qt::WindowMinimizeButtonHint;
    constexpr Qt::WindowFlags kMax = Qt::WindowMaximizeButtonHint;
    constexpr Qt::WindowFlags kClose = Qt::WindowCloseButtonHint;
    const struct {
        const char* caption;
        short cx;
        DWORD style;
        Qt::WindowFlags shown;
        bool widened;
    } rows[] = {
        {"Modal", 120, DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, kClose, false},
        {"Plain", 120, WS_POPUP | WS_CAPTION, {}, false},
        {"Sizable", 120, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX,
         kMin | kMax | kClose, false},
        {"A caption far longer than the dialog under it", 60,
         DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, kClose, true},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.caption);
        const DialogTemplate t{908, r.caption, 0, 0, r.cx, 40, r.style, "Tahoma", 8, {}};
        CDialog dialog(t);
        ASSERT_TRUE(dialog.Create());
        QWidget* w = dialog.GetWidget();
        EXPECT_EQ(w->windowFlags() & (kMin | kMax | kClose), r.shown);
        const int designed = platform::DluToPixelX(r.cx);
        EXPECT_GE(w->width(), platform::TitleBarWidth(r.caption));
        EXPECT_EQ(w->width() > designed, r.widened) << w->width() << " against " << designed;
        // A caption set later widens it too.
        dialog.SetWindowText("Another caption, also much longer than the dialog is wide");
        EXPECT_GE(w->width(), platform::TitleBarWidth(
                                  "Another caption, also much longer than the dialog is wide"));
        EXPECT_GT(platform::TitleBarWidth(r.caption),
                  QFontMetrics(QGuiApplication::font()).horizontalAdvance(r.caption));
        dialog.DestroyWindow();
    }
}

// Every caption path reads "&" as Windows does: "&x" is an underlined x, "&&" an ampersand.
TEST(Captions, ReadAmpersandsAsWindowsDoesOnEveryKindOfControl) {
    const DialogTemplate t{909,
                           "Captions",
                           0,
                           0,
                           200,
                           120,
                           WS_POPUP | WS_CAPTION,
                           "Tahoma",
                           8,
                           {
                               dlg::PushButton("Audio && Video", 40, 5, 5, 90, 14),
                               dlg::CheckBox("Audio && Video", 41, 5, 22, 90, 10),
                               dlg::RadioButton("Audio && Video", 42, 5, 36, 90, 10),
                               dlg::GroupBox("Audio && Video", 43, 100, 5, 95, 40),
                               dlg::LText("Audio && Video", 44, 5, 50, 90, 8),
                               dlg::GroupBox("&Options", 45, 100, 50, 95, 40),
                               dlg::LText("&Rate :", 46, 5, 64, 90, 8),
                           }};
    CDialog dialog(t);
    ASSERT_TRUE(dialog.Create());
    // What a user reads on each: Qt's buttons and group boxes take mnemonics, labels do not.
    auto read = [&](int id) {
        QWidget* w = dialog.GetDlgItem(id)->GetWidget();
        if (auto* label = qobject_cast<QLabel*>(w)) return label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            return platform::WithoutMnemonics(button->text());
        if (auto* group = qobject_cast<QGroupBox*>(w))
            return platform::WithoutMnemonics(group->title());
        return QString();
    };
    for (int id : {40, 41, 42, 43, 44})
        EXPECT_EQ(read(id), "Audio & Video") << id;
    EXPECT_EQ(read(45), "Options");
    EXPECT_EQ(read(46), "Rate :");
    // The program reads back what it set.
    EXPECT_EQ(CString(dialog.GetDlgItem(43)->GetWindowText()), "Audio && Video");
    dialog.DestroyWindow();
}

// A label's empty right part is room for the box beside it, which the group box holds tight; a
// longer label text takes that room back.
const DialogTemplate kLabelledComboTemplate = {
    906,
    "Labelled",
    0,
    0,
    160,
    60,
    WS_POPUP | WS_CAPTION,
    "Tahoma",
    8,
    {
        dlg::GroupBox("Time settings", 50, 5, 5, 110, 30),
        dlg::LText("Rate :", 51, 10, 18, 44, 8),
        dlg::ComboBox(52, 54, 16, 58, 100, CBS_DROPDOWNLIST | WS_VSCROLL),
    }};

TEST(ComboBoxes, GrowIntoTheRoomALabelsTextLeavesAndGiveItBack) {
    testing_support::ScopedVirtualClock clock;
    CDialog dialog(kLabelledComboTemplate);
    ASSERT_TRUE(dialog.Create());
    auto& rate = *static_cast<CComboBox*>(dialog.GetDlgItem(52));
    for (const char* entry : {"Every second", "Every 10 seconds", "Every 30 minutes"})
        rate.AddString(entry);
    rate.SetCurSel(2);
    dialog.ShowWindow(SW_SHOW);
    auto* box = qobject_cast<QComboBox*>(rate.GetWidget());
    auto* label = qobject_cast<QLabel*>(dialog.GetDlgItem(51)->GetWidget());
    const QRect asked = Pixels(kLabelledComboTemplate.items[2]);
    const int text = label->x() + label->fontMetrics().horizontalAdvance("Rate :");
    EXPECT_LT(box->x(), asked.left()) << "the box grows into the label's free part";
    EXPECT_GT(box->x(), text) << "and stays clear of its text";
    EXPECT_TRUE(dialog.GetDlgItem(50)->GetWidget()->geometry().contains(box->geometry()));

    dialog.GetDlgItem(51)->SetWindowText("Rate of samples :");
    EXPECT_EQ(label->text(), "Rate of samples :");
    EXPECT_FALSE(label->geometry().intersects(box->geometry()));
    EXPECT_GE(box->x(), asked.left() - 1);
    dialog.DestroyWindow();
}

}  // namespace
