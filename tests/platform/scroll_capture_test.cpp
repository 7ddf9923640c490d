#include <gtest/gtest.h>

#include <QScrollBar>
#include <QWidget>
#include <vector>

#include "platform/base/registry.h"
#include "platform/msg/wnd.h"
#include "platform/win/system.h"
#include "tests/support/harness.h"

namespace {

// A window that records its scroll, size and capture messages.
class Recorder : public CWnd {
public:
    struct Scroll {
        UINT code, pos;
    };
    std::vector<Scroll> vscrolls;
    std::vector<CSize> sizes;
    std::vector<HWND> captureChanges;
    bool followThumb = false;

    void OnVScroll(UINT code, UINT pos, CScrollBar*) override {
        vscrolls.push_back({code, pos});
        if (code == SB_LINEDOWN) SetScrollPos(SB_VERT, GetScrollPos(SB_VERT) + 1);
        if (followThumb && code == SB_THUMBTRACK) SetScrollPos(SB_VERT, static_cast<int>(pos));
    }
    void OnSize(UINT, int cx, int cy) override { sizes.emplace_back(cx, cy); }
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_CAPTURECHANGED) captureChanges.push_back(reinterpret_cast<HWND>(lParam));
        return CWnd::WindowProc(msg, wParam, lParam);
    }
};

class WindowLayer : public testing_support::HarnessTest {
protected:
    QScrollBar* VerticalBar(CWnd& w) {
        for (QScrollBar* bar : w.GetWidget()->findChildren<QScrollBar*>())
            if (bar->orientation() == Qt::Vertical) return bar;
        return nullptr;
    }
};

TEST_F(WindowLayer, ScrollBarsKeepTheWindowsPositionAndShrinkTheClientArea) {
    Recorder w;
    ASSERT_TRUE(
        w.Create(nullptr, "", WS_OVERLAPPEDWINDOW | WS_VSCROLL, CRect(0, 0, 200, 100), nullptr, 0));
    w.GetWidget()->show();
    CRect client;
    w.GetClientRect(&client);
    EXPECT_EQ(client, CRect(0, 0, 200 - GetSystemMetrics(SM_CXVSCROLL), 100));

    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = 99;
    si.nPage = 10;
    si.nPos = 500;  // kept within the range less a page
    w.SetScrollInfo(SB_VERT, &si);
    EXPECT_EQ(w.GetScrollPos(SB_VERT), 90);
    EXPECT_EQ(w.GetScrollLimit(SB_VERT), 90);
    w.SetScrollPos(SB_VERT, 20);

    // The user's actions become messages; the thumb moves only when the window moves it.
    QScrollBar* bar = VerticalBar(w);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->value(), 20);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    ASSERT_EQ(w.vscrolls.size(), 2u);
    EXPECT_EQ(w.vscrolls[0].code, SB_LINEDOWN);
    EXPECT_EQ(w.vscrolls[1].code, SB_PAGEUP);
    EXPECT_EQ(bar->value(), 21);  // line down moved it by one, page up not at all
    EXPECT_EQ(w.GetScrollPos(SB_VERT), 21);
    bar->setSliderDown(true);
    bar->setSliderPosition(60);
    EXPECT_EQ(w.vscrolls.back().code, SB_THUMBTRACK);
    EXPECT_EQ(w.vscrolls.back().pos, 60u);
    SCROLLINFO track;
    w.GetScrollInfo(SB_VERT, &track, SIF_TRACKPOS);
    EXPECT_EQ(track.nTrackPos, 60);

    // Showing the other bar resizes the client area, which the window hears of.
    w.sizes.clear();
    w.ShowScrollBar(SB_HORZ, TRUE);
    ASSERT_EQ(w.sizes.size(), 1u);
    EXPECT_EQ(w.sizes[0],
              CSize(200 - GetSystemMetrics(SM_CXVSCROLL), 100 - GetSystemMetrics(SM_CYHSCROLL)));
    EXPECT_TRUE(w.GetStyle() & WS_HSCROLL);
    w.ShowScrollBar(SB_BOTH, FALSE);
    w.GetClientRect(&client);
    EXPECT_EQ(client, CRect(0, 0, 200, 100));
    w.DestroyWindow();
}

TEST_F(WindowLayer, CaptureMovesBetweenWindowsAndTellsTheOneThatLostIt) {
    Recorder a, b;
    ASSERT_TRUE(a.Create(nullptr, "", WS_OVERLAPPEDWINDOW, CRect(0, 0, 50, 50), nullptr, 0));
    ASSERT_TRUE(b.Create(nullptr, "", WS_OVERLAPPEDWINDOW, CRect(0, 0, 50, 50), nullptr, 0));
    EXPECT_EQ(a.SetCapture(), nullptr);
    EXPECT_EQ(CWnd::GetCapture(), &a);
    EXPECT_EQ(b.SetCapture(), &a);
    EXPECT_EQ(a.captureChanges, (std::vector<HWND>{b.m_hWnd}));
    ReleaseCapture();
    EXPECT_EQ(CWnd::GetCapture(), nullptr);
    EXPECT_EQ(b.captureChanges, (std::vector<HWND>{nullptr}));
    // A window that goes takes its capture with it.
    a.SetCapture();
    a.DestroyWindow();
    EXPECT_EQ(CWnd::GetCapture(), nullptr);
    b.DestroyWindow();
}

TEST_F(WindowLayer, CursorsAndTheWheelSetting) {
    Recorder w;
    ASSERT_TRUE(w.Create(nullptr, "", WS_OVERLAPPEDWINDOW, CRect(0, 0, 50, 50), nullptr, 0));
    w.SetCapture();
    EXPECT_EQ(LoadCursor(nullptr, reinterpret_cast<LPCTSTR>(1)), nullptr);
    SetCursor(LoadCursor(nullptr, IDC_SIZEWE));
    EXPECT_EQ(w.GetWidget()->cursor().shape(), Qt::SizeHorCursor);
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    EXPECT_EQ(w.GetWidget()->cursor().shape(), Qt::ArrowCursor);
    ReleaseCapture();
    w.DestroyWindow();

    UINT lines = 0;
    ASSERT_TRUE(SystemParametersInfo(SPI_GETWHEELSCROLLLINES, 0, &lines, 0));
    EXPECT_EQ(lines, 3u);  // the desktop's own default
    CRegKey desktop;
    ASSERT_EQ(desktop.Create(HKEY_CURRENT_USER, "Control Panel\\Desktop"), ERROR_SUCCESS);
    for (auto [text, expected] :
         {std::pair{"7", 7u}, std::pair{"-1", WHEEL_PAGESCROLL}, std::pair{"junk", 3u}}) {
        desktop.SetStringValue("WheelScrollLines", text);
        SystemParametersInfo(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
        EXPECT_EQ(lines, expected) << text;
    }
}

}  // namespace
