#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetricsF>
#include <QImage>
#include <cmath>
#include <memory>

#include "controls/control_tooltip.h"
#include "platform/win/system.h"
#include "tests/support/harness.h"

namespace {

using testing_support::RenderWidget;
using testing_support::SaveTestImage;

using testing_support::Px;

// A window with one control, the mouse and the active window under the test's control.
class ControlTip : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(parent.Create(nullptr, "", WS_VISIBLE, CRect(100, 100, 400, 300), nullptr, 0));
        ASSERT_TRUE(other.Create(nullptr, "", WS_VISIBLE, CRect(500, 100, 600, 200), nullptr, 0));
        control = std::make_unique<CWnd>();
        ASSERT_TRUE(control->Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(20, 30, 120, 60),
                                    &parent, 7));
        platform::SetCursorPosSource([this] { return cursor; });
        platform::SetAsyncKeyStateSource([this](int vk) -> SHORT {
            const bool down = (vk == VK_LBUTTON && left) || (vk == VK_RBUTTON && right);
            return down ? static_cast<SHORT>(0x8000) : 0;
        });
        Activate(&parent);
    }
    void TearDown() override {
        platform::SetCursorPosSource({});
        platform::SetAsyncKeyStateSource({});
        tip.Destroy();
        control.reset();
        other.DestroyWindow();
        parent.DestroyWindow();
    }
    static void Activate(CWnd* wnd) { QApplication::setActiveWindow(wnd->GetWidget()); }
    CRect ControlOnScreen() const {
        CRect r;
        control->GetWindowRect(&r);
        return r;
    }
    CRect TipOnScreen() const {
        CRect r;
        tip.GetWindowRect(&r);
        return r;
    }
    // Over the control with the left button down, the parent active: the tip shows.
    void ShowTip() {
        cursor = ControlOnScreen().CenterPoint();
        left = true;
        clock.Advance(100);
        ASSERT_TRUE(tip.IsWindowVisible());
    }

    testing_support::ScopedVirtualClock clock;
    CWnd parent, other;
    std::unique_ptr<CWnd> control;
    CControlToolTip tip;
    POINT cursor{0, 0};
    bool left = false, right = false;
};

TEST_F(ControlTip, MeasuresItsTextInTheGuiFont) {
    ASSERT_TRUE(tip.Create(control.get()));
    const QFontMetricsF fm(platform::FontFromLogFont(
        static_cast<CFont*>(platform::StockObject(DEFAULT_GUI_FONT))->LogFont()));
    auto width = [&fm](const char* s) {
        return static_cast<int>(std::ceil(fm.horizontalAdvance(QString::fromUtf8(s))));
    };
    const int line = static_cast<int>(std::ceil(fm.height()));
    struct Case {
        const char* text;
        int width, height;
    };
    const Case cases[] = {
        {"Start the logger", width("Start the logger"), line},
        {"Wide first line here\nshort", width("Wide first line here"), 2 * line},
        {"ab\nmuch longer second line", width("much longer second line"), 2 * line},
        {"Ends in a break\n", width("Ends in a break"), 2 * line},
    };
    for (const Case& c : cases) {
        tip.SetText(c.text);
        EXPECT_EQ(tip.GetTextRect(), CRect(0, 0, c.width + 4, c.height + 4)) << c.text;
    }
}

TEST_F(ControlTip, SitsAtTheCornerBelowOrAboveTheControl) {
    ASSERT_TRUE(tip.Create(control.get()));
    tip.SetText("Hint");
    ShowTip();
    const CRect c = ControlOnScreen();
    const int height = tip.GetTextRect().Height();
    EXPECT_EQ(TipOnScreen(),
              CRect(c.left, c.top, c.left + tip.GetTextRect().Width(), c.top + height));
    tip.SetPosition(1);
    EXPECT_EQ(TipOnScreen().TopLeft(), CPoint(c.left, c.bottom));
    tip.SetPosition(2);
    EXPECT_EQ(TipOnScreen().TopLeft(), CPoint(c.left, c.top - height));
    tip.SetPosition(3);
    EXPECT_EQ(tip.GetPosition(), 2);
    EXPECT_EQ(TipOnScreen().TopLeft(), CPoint(c.left, c.top - height));
    // A text of two lines resizes a tip that shows.
    tip.SetText("Hint\nsecond line");
    EXPECT_EQ(TipOnScreen().Height(), tip.GetTextRect().Height());
    EXPECT_GT(tip.GetTextRect().Height(), height);
    SaveTestImage(RenderWidget(tip.GetWidget()), "tooltip_two_lines");
}

TEST_F(ControlTip, ShowsAndHidesOnTheMouseWithinATick) {
    struct Case {
        const char* what;
        bool condition;
        int key;
        int dx, dy;  // from the control's top-left corner
        bool left, right, parentActive;
        bool shown;
    };
    const CRect c(20, 30, 120, 60);  // the control's size
    const Case cases[] = {
        {"left held over it", true, 1, 10, 10, true, false, true, true},
        {"on its bottom-right edge", true, 1, c.Width(), c.Height(), true, false, true, true},
        {"released", true, 1, 10, 10, false, false, true, false},
        {"moved out", true, 1, c.Width() + 1, 10, true, false, true, false},
        {"parent inactive", true, 1, 10, 10, true, false, false, false},
        {"no condition, hovering", false, 1, 10, 10, false, false, true, true},
        {"no condition, outside", false, 1, -1, 10, false, false, true, false},
        {"right key, left held", true, 0, 10, 10, true, false, true, false},
        {"right key, right held", true, 0, 10, 10, false, true, true, true},
    };
    ASSERT_TRUE(tip.Create(control.get()));
    tip.SetText("Hint");
    for (const Case& k : cases) {
        // From a tip that shows, and from one that is hidden.
        for (const bool from : {true, false}) {
            tip.SetMouseKeyCondition(TRUE);
            tip.SetKey(1);
            Activate(&parent);
            if (from) {
                ShowTip();
            } else {
                tip.ShowWindow(SW_HIDE);
            }
            tip.SetMouseKeyCondition(k.condition);
            tip.SetKey(k.key);
            const CRect screen = ControlOnScreen();
            cursor = {screen.left + k.dx, screen.top + k.dy};
            left = k.left, right = k.right;
            Activate(k.parentActive ? &parent : &other);
            clock.Advance(100);
            EXPECT_EQ(tip.IsWindowVisible() != FALSE, k.shown)
                << k.what << (from ? " (shown)" : "");
        }
    }
}

TEST_F(ControlTip, PaintsItsOwnColoursOrTheInfoColours) {
    ASSERT_TRUE(tip.Create(control.get()));
    tip.SetText("Hint");
    ShowTip();
    const CRect r = tip.GetTextRect();
    QImage image = RenderWidget(tip.GetWidget());
    SaveTestImage(image, "tooltip_info_colours");
    EXPECT_EQ(Px(image, r.Width() - 2, r.Height() - 2), GetSysColor(COLOR_INFOBK));
    tip.SetColours(TRUE, RGB(0, 96, 0));
    tip.SetTextColour(RGB(255, 255, 0));
    image = RenderWidget(tip.GetWidget());
    SaveTestImage(image, "tooltip_own_colours");
    EXPECT_EQ(Px(image, r.Width() - 2, r.Height() - 2), RGB(0, 96, 0));
    EXPECT_EQ(Px(image, 1, r.Height() / 2), RGB(0, 96, 0));
    // Some of the text shows in its colour (blended at its edges).
    bool yellow = false;
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            yellow |= GetRValue(Px(image, x, y)) > 160;
    EXPECT_TRUE(yellow);
    // Off again: the colour given is kept but not used.
    tip.SetColours(FALSE, RGB(255, 0, 0));
    EXPECT_EQ(Px(RenderWidget(tip.GetWidget()), r.Width() - 2, r.Height() - 2),
              GetSysColor(COLOR_INFOBK));
}

TEST_F(ControlTip, AnEmptyTextShowsNothing) {
    ASSERT_TRUE(tip.Create(control.get()));
    cursor = ControlOnScreen().CenterPoint();
    left = true;
    clock.Advance(100);
    EXPECT_FALSE(tip.IsWindowVisible());
}

TEST_F(ControlTip, AControlThatGoesFirstLeavesTheTipQuiet) {
    ASSERT_TRUE(tip.Create(control.get()));
    tip.SetText("Hint");
    ShowTip();
    control.reset();
    clock.Advance(300);
    EXPECT_FALSE(tip.IsWindowVisible());
    EXPECT_EQ(tip.GetControl(), nullptr);
    EXPECT_EQ(clock.NextDue(), -1) << "no timer left running";
    tip.SetText("Still safe");
    tip.SetPosition(1);
    testing_support::ProcessQtEvents();
}

}  // namespace
