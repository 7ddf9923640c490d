#include <gtest/gtest.h>

#include <QImage>
#include <QScrollBar>

#include "platform/win/system.h"
#include "tests/controls/grid_fixture.h"

namespace {

using grid_testing::GridTest;
using testing_support::RenderWidget;
using testing_support::SaveTestImage;

using testing_support::Px;

using GridView = GridTest;

TEST_F(GridView, CellOriginAndHitTestAgreeWhileColumnsScroll) {
    SetUpGrid(6, 400, 300);
    Fill(100);
    const int fixedWidth = grid.GetFixedColumnWidth();
    const int fixedHeight = grid.GetFixedRowHeight();
    for (int step = 0; step < 3; ++step) {
        const CCellID topLeft = grid.GetTopLeftNonFixedCell();
        EXPECT_EQ(topLeft, CCellID(2, 1 + step));
        CPoint origin;
        ASSERT_TRUE(grid.GetCellOrigin(topLeft, &origin));
        EXPECT_EQ(origin, CPoint(fixedWidth, fixedHeight));
        // Every shown cell is found again at its own origin and its last pixel.
        const CCellRange shown = grid.GetVisibleNonFixedCellRange();
        for (int row = 0; row <= shown.GetMaxRow(); row += 3)
            for (int col = 0; col <= shown.GetMaxCol(); ++col) {
                if (col > 0 && col < topLeft.col) continue;
                CRect r;
                ASSERT_TRUE(grid.GetCellRect(row, col, &r)) << row << "," << col;
                EXPECT_EQ(grid.GetCellFromPt(r.TopLeft()), CCellID(row, col));
                EXPECT_EQ(grid.GetCellFromPt(CPoint(r.right, r.bottom)), CCellID(row, col));
            }
        // A column scrolled out to the left has no place.
        if (topLeft.col > 1) {
            EXPECT_FALSE(grid.GetCellOrigin(2, 1, &origin));
        }
        grid.SendMessage(WM_HSCROLL, SB_LINERIGHT, 0);
    }
    // Fixed cells are left out when asked.
    EXPECT_EQ(grid.GetCellFromPt(CPoint(5, 5), FALSE), CCellID(-1, -1));
    EXPECT_EQ(grid.GetCellFromPt(CPoint(5, 5)), CCellID(0, 0));
}

TEST_F(GridView, TheVerticalBarStandsForTheSampleWindow) {
    SetUpGrid(2, 600, 300);
    const int windowRows = grid.m_nWindowRows;
    ASSERT_GT(windowRows, 5);
    EXPECT_EQ(windowRows, grid.GetVisibleNonFixedCellRange().GetRowSpan());

    struct Case {
        int samples, first;
        int max, pos;
    };
    const Case cases[] = {
        {windowRows, 0, windowRows, 0},  // fits: 0 .. window rows at 0
        {3, 0, windowRows, 0},
        {1000, 250, 1000 + 1 - windowRows, 250},  // does not fit: one position per first sample
    };
    for (const Case& c : cases) {
        Fill(c.samples, c.first);
        SCROLLINFO si;
        ASSERT_TRUE(grid.GetScrollInfo(SB_VERT, &si));
        EXPECT_EQ(si.nMin, 0);
        EXPECT_EQ(si.nMax, c.max) << c.samples;
        EXPECT_EQ(si.nPage, 1u);
        EXPECT_EQ(si.nPos, c.pos);
    }
    // Scrolling asks the owner and never moves the grid's own rows.
    grid.SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
    grid.SendMessage(WM_VSCROLL, SB_PAGEDOWN, 0);
    const auto asked = owner.Of(UM_GRID_SHOW_ROW);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].lParam, 251);
    EXPECT_EQ(asked[1].lParam, 251 + windowRows);
    EXPECT_EQ(grid.GetTopLeftNonFixedCell().row, 2);

    // The wide filler column makes the horizontal bar; a grid that fits shows none.
    CRect client;
    grid.GetClientRect(&client);
    EXPECT_EQ(client.Height(), 300 - GetSystemMetrics(SM_CYHSCROLL));
    grid.SetColumnWidth(grid.GetColumnCount() - 1, 10);
    grid.ResetScrollBars();
    grid.GetClientRect(&client);
    EXPECT_EQ(client.Width(), 600 - GetSystemMetrics(SM_CXVSCROLL));
    EXPECT_EQ(client.Height(), 300);
}

TEST_F(GridView, EnsureVisibleScrollsColumnsAndLeavesRowsAlone) {
    SetUpGrid(6, 400, 200);
    Fill(100);
    // The last column comes into view by whole columns.
    const int last = grid.GetFirstReadOnlyColumn() - 2;
    grid.EnsureVisible(2, last);
    EXPECT_TRUE(grid.IsCellVisible(2, last));
    EXPECT_GT(grid.GetTopLeftNonFixedCell().col, 1);
    // A row below the window cannot be scrolled to (the bar pages samples): no endless stepping,
    // and no request to the owner.
    grid.EnsureVisible(60, 2);
    EXPECT_FALSE(grid.IsCellVisible(60, 2));
    EXPECT_TRUE(owner.Of(UM_GRID_SHOW_ROW).empty());
}

TEST_F(GridView, ColumnsFitTheirTextAndTheWindow) {
    SetUpGrid(2, 600, 300);
    grid.SetItemText(5, 2, "a rather long text for a cell");
    ASSERT_TRUE(grid.AutoSizeColumn(2));
    CClientDC dc(&grid);
    const CSize extent = grid.GetCellExtent(5, 2, &dc);
    EXPECT_EQ(grid.GetColumnWidth(2), extent.cx);
    EXPECT_GT(extent.cx, 120);

    grid.SetColumnWidth(grid.GetColumnCount() - 1, 30);
    grid.ResetScrollBars();
    grid.ExpandColumnsToFit();
    CRect client;
    grid.GetClientRect(&client);
    EXPECT_EQ(grid.GetVirtualWidth(), client.Width());
}

TEST_F(GridView, PaintsHeadersLinesFocusAndSelection) {
    SetUpGrid(2, 400, 240);
    Fill(100);
    FocusOn(3, 2);
    grid.SetSelectedRange(5, 2, 5, 3);
    grid.SetItemText(5, 2, "");
    grid.SetItemText(5, 3, "");
    const QImage image = RenderWidget(W());
    SaveTestImage(image, "grid_paint");

    CRect header, focus, selected, plain;
    ASSERT_TRUE(grid.GetCellRect(0, 3, &header));
    ASSERT_TRUE(grid.GetCellRect(3, 2, &focus));
    ASSERT_TRUE(grid.GetCellRect(5, 3, &selected));
    ASSERT_TRUE(grid.GetCellRect(8, 3, &plain));
    // Fixed cells on the 3-D face (left of their text), with their raised edge.
    EXPECT_EQ(Px(image, header.right - 3, header.top + 3), GetSysColor(COLOR_3DFACE));
    EXPECT_EQ(Px(image, header.left, header.bottom - 2), GetSysColor(COLOR_3DDKSHADOW));
    // Grid lines along each data cell's right and bottom edges.
    EXPECT_EQ(Px(image, plain.right, plain.top + 3), 0xFBD58Cu);
    EXPECT_EQ(Px(image, plain.right - 3, plain.bottom), 0xFBD58Cu);
    EXPECT_EQ(Px(image, plain.right - 3, plain.top + 3), GetSysColor(COLOR_WINDOW));
    // The focus cell is framed in black; a selected cell is filled with the highlight.
    EXPECT_EQ(Px(image, focus.left, focus.top + 3), RGB(0, 0, 0));
    EXPECT_EQ(Px(image, focus.left + 3, focus.top), RGB(0, 0, 0));
    EXPECT_EQ(Px(image, selected.left + 3, selected.top + 3), GetSysColor(COLOR_HIGHLIGHT));
    // The headers of the focus's row and column are sunken: their outer edge is dark.
    CRect rowHeader;
    ASSERT_TRUE(grid.GetCellRect(3, 0, &rowHeader));
    EXPECT_EQ(Px(image, rowHeader.left, rowHeader.top + 2), GetSysColor(COLOR_3DDKSHADOW));

    // Without lines nothing is drawn between the cells.
    grid.SetGridLines(GVL_NONE);
    const QImage bare = RenderWidget(W());
    EXPECT_EQ(Px(bare, plain.right, plain.top + 3), GetSysColor(COLOR_WINDOW));
}

TEST_F(GridView, AnEmptyGridPaintsOnlyItsBackground) {
    SetUpGrid(0, 200, 100);
    grid.DeleteAllItems();
    const QImage image = RenderWidget(W());
    for (QPoint p : {QPoint(2, 2), QPoint(100, 50), QPoint(190, 90)})
        EXPECT_EQ(Px(image, p.x(), p.y()), RGB(255, 255, 255));
}

// At every window width, wider than the filler column or not, the scroll range ends with the
// filler and the columns fill the client at every position the arrows reach.
TEST_F(GridView, ScrolledToTheEndTheColumnsReachTheRightEdgeAtEveryWidth) {
    SetUpGrid(8, 600, 200);
    Fill(100);
    for (const int width : {600, 1250, 1500, 1750}) {
        SCOPED_TRACE(width);
        owner.MoveWindow(0, 0, width, 200);
        grid.MoveWindow(0, 0, width, 200);
        grid.SendMessage(WM_HSCROLL, SB_LEFT, 0);
        testing_support::ProcessQtEvents();
        const COLORREF back = RGB(255, 0, 255);
        grid.SetBkColor(back);
        QScrollBar* bar = nullptr;
        for (QScrollBar* b : W()->findChildren<QScrollBar*>())
            if (b->orientation() == Qt::Horizontal && b->isVisible()) bar = b;
        ASSERT_NE(bar, nullptr) << "the columns fit";
        CRect client;
        grid.GetClientRect(&client);
        ASSERT_GT(client.Width(), width - 40) << "the window was not made that wide";

        int columns = 0;
        for (int col = 1; col < grid.GetColumnCount(); ++col)
            columns += grid.GetColumnWidth(col);
        SCROLLINFO info;
        ASSERT_TRUE(grid.GetScrollInfo(SB_HORZ, &info));
        EXPECT_EQ(info.nMax + 1, columns);

        // No background anywhere: the rows fill the height, the columns the width.
        const auto filled = [&](int step) {
            const QImage image = RenderWidget(W());
            for (int y = 0; y < client.bottom; y += 4)
                for (int x = grid.GetFixedColumnWidth(); x < client.right; ++x)
                    if (Px(image, x, y) == back) {
                        SaveTestImage(image, "grid_scrolled_background");
                        return testing::AssertionFailure()
                               << "step " << step << ": background at " << x << "," << y;
                    }
            return testing::AssertionSuccess();
        };
        const QPoint rightArrow(bar->width() - 3, bar->height() / 2);
        int steps = 0;
        for (int before = -1; grid.GetScrollPos(SB_HORZ) != before && steps < 40; ++steps) {
            EXPECT_TRUE(filled(steps));
            before = grid.GetScrollPos(SB_HORZ);
            QTest::mouseClick(bar, Qt::LeftButton, {}, rightArrow);
        }
        EXPECT_LT(steps, 40);
        EXPECT_EQ(grid.GetScrollPos(SB_HORZ), info.nMax + 1 - static_cast<int>(info.nPage));
        EXPECT_EQ(grid.GetVisibleNonFixedCellRange().GetMaxCol(), grid.GetColumnCount() - 1);

        // Each left arrow brings back one column, to the first.
        const QPoint leftArrow(2, bar->height() / 2);
        for (steps = 0; grid.GetScrollPos(SB_HORZ) > 0 && steps < 40; ++steps) {
            const int before = grid.GetTopLeftNonFixedCell().col;
            QTest::mouseClick(bar, Qt::LeftButton, {}, leftArrow);
            EXPECT_EQ(grid.GetTopLeftNonFixedCell().col, before - 1) << "step " << steps;
            EXPECT_TRUE(filled(steps));
        }
        EXPECT_EQ(grid.GetScrollPos(SB_HORZ), 0);
    }
}

}  // namespace
