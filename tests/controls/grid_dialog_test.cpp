#include <gtest/gtest.h>

#include <QTest>

#include "controls/grid_ctrl.h"
#include "platform/base/exceptions.h"
#include "tests/support/harness.h"

namespace {

constexpr UINT kGridId = 1000;

const DialogTemplate kGridTemplate = {
    904,
    "Grid",
    0,
    0,
    200,
    120,
    DS_MODALFRAME | WS_CAPTION,
    "Tahoma",
    8,
    {dlg::Control("", kGridId, GRIDCTRL_CLASSNAME, WS_BORDER | WS_TABSTOP, 5, 5, 190, 110)}};

class GridDialog : public CDialog {
public:
    GridDialog() : CDialog(kGridTemplate) {}
    CGridCtrl grid;
    void DoDataExchange(CDataExchange* dx) override { DDX_GridControl(dx, kGridId, grid); }
};

class GridInDialog : public testing_support::HarnessTest {};

TEST_F(GridInDialog, TheTemplatesItemBecomesAWorkingGridAndAMissingOneThrows) {
    GridDialog d;
    ASSERT_TRUE(d.Create());
    CGridCtrl& grid = d.grid;
    ASSERT_NE(grid.m_hWnd, nullptr);
    ASSERT_EQ(grid.GetWidget(), d.GetDlgItem(kGridId)->GetWidget());
    bool hasTip = false;
    for (CWnd* child : grid.GetChildren())
        hasTip |= dynamic_cast<CTitleTip*>(child) != nullptr;
    EXPECT_TRUE(hasTip);

    grid.SetColumnCount(3);
    grid.SetRowCount(4);
    grid.SetFixedRowCount(1);
    grid.SetFixedColumnCount(1);
    grid.SetFixedBkColor(RGB(200, 30, 30));
    d.ShowWindow(SW_SHOW);
    ASSERT_TRUE(QTest::qWaitForWindowActive(d.GetWidget()));

    // The item's paint, clicks and size reach the grid.
    const QImage image = testing_support::RenderWidget(grid.GetWidget());
    EXPECT_EQ(image.pixel(3, 3), qRgb(200, 30, 30));
    CRect cell;
    ASSERT_TRUE(grid.GetCellRect(2, 1, &cell));
    QTest::mouseClick(grid.GetWidget(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(cell.CenterPoint().x, cell.CenterPoint().y));
    EXPECT_EQ(grid.GetFocusCell(), CCellID(2, 1));
    int low = 0, high = 0;
    grid.GetScrollRange(SB_HORZ, &low, &high);
    EXPECT_EQ(high, 0);
    d.GetDlgItem(kGridId)->MoveWindow(0, 0, grid.GetFixedColumnWidth() + 30,
                                      grid.GetFixedRowHeight() + 30);
    grid.GetScrollRange(SB_HORZ, &low, &high);
    EXPECT_GT(high, 0);

    CGridCtrl unplaced;
    CDataExchange dx(&d, FALSE);
    EXPECT_THROW(DDX_GridControl(&dx, 999, unplaced), CNotSupportedException);
    d.DestroyWindow();
}

}  // namespace
