#include <gtest/gtest.h>

#include "controls/grid_ctrl.h"
#include "tests/support/harness.h"

namespace {

class GridModel : public ::testing::Test {
protected:
    testing_support::ScopedVirtualClock clock;
    CGridCtrl grid;

    // The table view's set-up, without a window.
    void TableSetUp() {
        grid.SetColumnCount(3);
        grid.SetFirstReadOnlyColumn(3);
        grid.SetRowCount(61);
        grid.SetFixedRowCount(2);
        grid.SetFixedColumnCount(1);
    }
};

TEST_F(GridModel, TableSetUpMakesOnlyTheTimeColumnReadOnlyAndInsertsMoveTheLimit) {
    TableSetUp();
    EXPECT_EQ(grid.GetRowCount(), 61);
    EXPECT_EQ(grid.GetColumnCount(), 3);
    EXPECT_EQ(grid.GetFixedRowCount(), 2);
    EXPECT_EQ(grid.GetFixedColumnCount(), 1);
    for (int row : {2, 30, 60}) {
        EXPECT_EQ(grid.GetItemState(row, 1), GVIS_READONLY) << row;
        EXPECT_EQ(grid.GetItemState(row, 0), 0u) << row;
        EXPECT_EQ(grid.GetItemState(row, 2), 0u) << row;
    }
    EXPECT_EQ(grid.InsertColumn("A", DT_LEFT, 2), 2);
    EXPECT_EQ(grid.GetFirstReadOnlyColumn(), 4);
    EXPECT_EQ(grid.InsertColumn("B", DT_LEFT, 2), 2);
    EXPECT_EQ(grid.GetFirstReadOnlyColumn(), 5);
    EXPECT_EQ(grid.GetItemText(0, 2), "B");
    EXPECT_EQ(grid.GetItemText(0, 3), "A");
    EXPECT_TRUE(grid.IsCellEditable(5, 2));
    EXPECT_FALSE(grid.IsCellEditable(5, 1));
    EXPECT_EQ(grid.GetItemFormat(40, 2), static_cast<UINT>(DT_LEFT));

    // Past the end is refused; -1 appends.
    EXPECT_EQ(grid.InsertColumn("X", DT_LEFT, grid.GetColumnCount()), -1);
    EXPECT_EQ(grid.InsertColumn("Z", DT_LEFT, -1), 5);
    EXPECT_EQ(grid.GetColumnCount(), 6);
}

TEST_F(GridModel, CountsShrinkWithTheFocusAndFixedCounts) {
    TableSetUp();
    EXPECT_TRUE(grid.SetRowCount(61));
    EXPECT_EQ(grid.GetRowCount(), 61);

    grid.SetFocusCell(50, 2);
    grid.SetSelectedRange(20, 2, 40, 2);
    EXPECT_TRUE(grid.SetRowCount(30));
    EXPECT_EQ(grid.GetFocusCell(), CCellID(-1, -1));
    EXPECT_EQ(grid.GetSelectedCellRange(), CCellRange(20, 2, 29, 2));  // the cells that are left
    EXPECT_TRUE(grid.SetRowCount(1));
    EXPECT_EQ(grid.GetFixedRowCount(), 1);

    // Growing the fixed count grows the grid.
    EXPECT_TRUE(grid.SetFixedColumnCount(5));
    EXPECT_EQ(grid.GetColumnCount(), 5);
}

TEST_F(GridModel, DeletingColumnsMovesTheFocusAndLimits) {
    TableSetUp();
    grid.InsertColumn("A", DT_LEFT, 2);
    grid.InsertColumn("B", DT_LEFT, 3);
    grid.SetFocusCell(10, 3);
    EXPECT_TRUE(grid.DeleteColumn(2));
    EXPECT_EQ(grid.GetFocusCell(), CCellID(10, 2));
    EXPECT_EQ(grid.GetItemText(0, 2), "B");
    EXPECT_EQ(grid.GetFirstReadOnlyColumn(), 4);
    EXPECT_TRUE(grid.DeleteColumn(2));
    EXPECT_EQ(grid.GetFocusCell(), CCellID(-1, -1));
    EXPECT_TRUE(grid.DeleteColumn(0));
    EXPECT_EQ(grid.GetFixedColumnCount(), 0);
    EXPECT_FALSE(grid.DeleteColumn(grid.GetColumnCount()));

    EXPECT_TRUE(grid.DeleteNonFixedRows());
    EXPECT_EQ(grid.GetRowCount(), 2);
    EXPECT_TRUE(grid.DeleteAllItems());
    EXPECT_EQ(grid.GetRowCount(), 0);
    EXPECT_EQ(grid.GetColumnCount(), 0);
    EXPECT_EQ(grid.GetFixedRowCount(), 0);
}

TEST_F(GridModel, StatesFontsAndModifiedFlags) {
    TableSetUp();
    // The selected-cell record follows the selected bit.
    grid.SetItemState(5, 2, GVIS_SELECTED);
    grid.SetItemState(7, 0, GVIS_SELECTED | GVIS_MODIFIED);
    EXPECT_EQ(grid.GetSelectedCount(), 2);
    EXPECT_EQ(grid.GetSelectedCellRange(), CCellRange(5, 0, 7, 2));
    grid.SetItemState(5, 2, 0);
    EXPECT_EQ(grid.GetSelectedCellRange(), CCellRange(7, 0, 7, 0));
    EXPECT_EQ(grid.GetNextItem(CCellID(2, 0), GVNI_BELOW | GVNI_SELECTED), CCellID(7, 0));
    EXPECT_EQ(grid.GetNextItem(CCellID(7, 0), GVNI_BELOW | GVNI_SELECTED), CCellID(-1, -1));

    // A missing cell's font is the default font.
    EXPECT_EQ(grid.GetItemFont(500, 500), &grid.GetDefaultFont());
    LOGFONT big;
    big.lfHeight = -20;
    grid.SetGridFont(&big);
    EXPECT_EQ(grid.GetItemFont(9, 2)->lfHeight, -20);
    LOGFONT out;
    grid.GetGridFont(&out);
    EXPECT_EQ(out.lfHeight, -20);

    struct Step {
        BOOL flag;
        int row, col;
        BOOL gridAfter, cellAfter;
    };
    const Step steps[] = {
        {TRUE, 4, 2, TRUE, TRUE},    // a cell's bit sets the grid's flag too
        {FALSE, 4, 2, TRUE, FALSE},  // clearing the cell keeps the grid's flag
        {TRUE, 4, 2, TRUE, TRUE},
        {FALSE, -1, -1, FALSE, FALSE},  // clearing the grid's flag clears every cell
    };
    for (const Step& s : steps) {
        grid.SetModified(s.flag, s.row, s.col);
        EXPECT_EQ(grid.GetModified(), s.gridAfter);
        EXPECT_EQ(grid.GetModified(4, 2), s.cellAfter);
    }
    EXPECT_FALSE(grid.GetItemState(7, 0) & GVIS_MODIFIED);
}

TEST_F(GridModel, SortingMovesWholeRows) {
    TableSetUp();
    EXPECT_FALSE(CGridCtrl(2, 3, 2, 1).SortTextItems(1, TRUE));  // nothing below the headers

    grid.SetRowCount(7);
    const char* names[] = {"pear", "Apple", "fig", "apple", "kiwi"};
    for (int i = 0; i < 5; ++i) {
        grid.SetItemText(2 + i, 2, names[i]);
        grid.SetItemText(2 + i, 0, CString::Formatted("%d", i));
        grid.SetRowHeight(2 + i, 10 + i);
    }
    grid.SetItemText(0, 2, "header");
    grid.SetFocusCell(3, 2);
    EXPECT_TRUE(grid.SortTextItems(2, TRUE));
    const char* ascending[] = {"Apple", "apple", "fig", "kiwi", "pear"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(grid.GetItemText(2 + i, 2), ascending[i]);
    // The rows went whole: the other column and the height came along.
    EXPECT_EQ(grid.GetItemText(2, 0), "1");
    EXPECT_EQ(grid.GetRowHeight(2), 11);
    EXPECT_EQ(grid.GetItemText(0, 2), "header");
    EXPECT_EQ(grid.GetFocusCell(), CCellID(-1, -1));

    EXPECT_TRUE(grid.SortTextItems(2, FALSE));
    const char* descending[] = {"pear", "kiwi", "fig", "apple", "Apple"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(grid.GetItemText(2 + i, 2), descending[i]);
}

}  // namespace
