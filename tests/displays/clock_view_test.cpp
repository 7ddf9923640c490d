// The clock view on the virtual clock and its local time: layout, ticking, hiding, a timer that
// cannot be made, and the digits' colours.

#include "RES/dialogs/clock_view.h"
#include "app/varnel_doc.h"
#include "displays/clock/clock_view.h"
#include "logger/dorvik.h"
#include "logger/settings.h"
#include "platform/activex/register.h"
#include "tests/support/harness.h"

namespace {

using testing_support::Px;

std::string Text(const CRect& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

class ClockViewTest : public testing_support::HarnessTest {
protected:
    ClockViewTest() : doc([](CSettings*) { return std::unique_ptr<CDorvik>(); }) {
        platform::RegisterActiveXControls();
        SYSTEMTIME at{};
        at.wYear = 2026;
        at.wMonth = 3;
        at.wDay = 14;
        at.wHour = 23;
        at.wMinute = 59;
        at.wSecond = 58;
        at.wMilliseconds = 500;
        clock.SetLocalTime(at);
        host.Create(nullptr, "host", WS_VISIBLE, CRect(0, 0, 700, 500), nullptr, 0);
        view.Create(&host, &doc);
    }
    ~ClockViewTest() override {
        view.DestroyWindow();
        host.DestroyWindow();
        testing_support::ProcessQtEvents();
    }
    void Start(int w, int h) {
        view.MoveWindow(0, 0, w, h);
        view.OnInitialUpdate();
    }
    CRect RectOf(CWnd& control) {
        CRect r;
        control.GetWindowRect(&r);
        view.ScreenToClient(&r);
        return r;
    }
    bool Ticking() { return clock.IsTimerRunning(view.m_hWnd, CClockView::kTimer); }

    CVarnelDoc doc;
    CWnd host;
    CClockView view;
};

TEST_F(ClockViewTest, TheFirstUpdatePlacesTheDigitsAndTheButtonAndShowsTheTime) {
    Start(600, 300);
    EXPECT_TRUE(view.IsReady());
    EXPECT_EQ(doc.GetClockView(), &view);
    EXPECT_EQ(Text(RectOf(view.GetDigits())), "60,200,540,250");
    EXPECT_EQ(Text(RectOf(view.GetButton())), "200,37,400,175");
    EXPECT_EQ(view.GetDigits().GetDlgCtrlID(), 4925);
    EXPECT_TRUE(view.GetDigits().IsWindowVisible());
    EXPECT_EQ(view.GetDigits().GetText(), "23:59:58");
    EXPECT_EQ(view.GetDigits().GetDigiStyle(), DS_SMOOTH);
    EXPECT_TRUE(Ticking());
    EXPECT_EQ(clock.Period(view.m_hWnd, CClockView::kTimer), 1000u);
    // The button is the picture button of the form.
    const auto* button = dynamic_cast<const CWButton*>(view.GetButton().GetControl());
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->State()->mode, 3);

    // Midnight: each tick shows the time of day again.
    clock.Advance(1000);
    EXPECT_EQ(view.GetDigits().GetText(), "23:59:59");
    clock.Advance(1000);
    EXPECT_EQ(view.GetDigits().GetText(), "00:00:00");
}

TEST_F(ClockViewTest, AHiddenClockStopsAndShowingItAgainRestartsWithTheTimeAtOnce) {
    Start(600, 300);
    view.MoveWindow(0, 0, 0, 0);
    EXPECT_FALSE(view.IsTimerRunning());
    EXPECT_FALSE(Ticking());
    clock.Advance(5000);
    EXPECT_EQ(view.GetDigits().GetText(), "23:59:58") << "a hidden clock does not tick";
    view.MoveWindow(0, 0, 400, 200);
    EXPECT_TRUE(view.IsTimerRunning());
    EXPECT_TRUE(Ticking());
    EXPECT_EQ(view.GetDigits().GetText(), "00:00:03");
    EXPECT_EQ(Text(RectOf(view.GetDigits())), "40,132,360,165");
}

TEST_F(ClockViewTest, ATimerThatCannotBeMadeIsReportedOnceEachTime) {
    clock.SetTimerFailure([](HWND, UINT_PTR id) { return id == CClockView::kTimer; });
    modals.ExpectMessage("SetTimer failed", IDOK);
    Start(600, 300);
    EXPECT_EQ(modals.Pending(), 0u);
    EXPECT_TRUE(view.IsTimerRunning()) << "the flag is set either way";
    view.MoveWindow(0, 0, 500, 300);
    EXPECT_EQ(modals.Shown().size(), 1u) << "a running clock does not try again";
    // Hidden and shown again, it tries again.
    view.MoveWindow(0, 0, 0, 0);
    EXPECT_FALSE(view.IsTimerRunning());
    clock.SetTimerFailure(nullptr);
    view.MoveWindow(0, 0, 500, 300);
    EXPECT_TRUE(Ticking());
    EXPECT_EQ(modals.Shown().size(), 1u);
}

TEST_F(ClockViewTest, TheDigitsAreBlueOnWhite) {
    clock.SetLocalTime(SYSTEMTIME{2026, 1, 0, 1, 0, 0, 0, 0});
    Start(600, 300);
    ASSERT_EQ(view.GetDigits().GetText(), "00:00:00");
    const QImage image = testing_support::RenderWidget(view.GetWidget());
    testing_support::SaveTestImage(image, "clock_view_midnight");
    for (QPoint corner : {QPoint(1, 1), QPoint(598, 1), QPoint(1, 298), QPoint(598, 298)})
        EXPECT_EQ(Px(image, corner.x(), corner.y()), RGB(255, 255, 255));
    // The left edge of the first "0": half-way up its upper half, a little inside the cell.
    const CRect d = RectOf(view.GetDigits());
    int lit = 0;
    for (int x = d.left; x < d.left + d.Width() / 8; ++x)
        lit += Px(image, x, d.top + d.Height() / 4) == RGB(0, 97, 198);
    EXPECT_GT(lit, 0) << "a lit segment of the first digit";
    // The digits' own background is white too.
    EXPECT_EQ(Px(image, d.left + 1, d.top + 1), RGB(255, 255, 255));
}

}  // namespace
