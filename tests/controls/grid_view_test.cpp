#include <gtest/gtest.h>

#include <QImage>

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

}  // namespace
