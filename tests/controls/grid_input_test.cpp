#include <gtest/gtest.h>

#include <QWheelEvent>

#include "platform/base/registry.h"
#include "platform/win/system.h"
#include "tests/controls/grid_fixture.h"

namespace {

using grid_testing::GridTest;
using grid_testing::Message;

class GridInput : public GridTest {
protected:
    void SetUp() override {
        SetUpGrid(2, 600, 300);
        Fill(1000, 100);
        rows = grid.m_nWindowRows;
        lastShownRow = rows + 1;
    }
    std::vector<LPARAM> Asked() {
        std::vector<LPARAM> out;
        for (const Message& m : owner.Of(UM_GRID_SHOW_ROW))
            out.push_back(m.lParam);
        return out;
    }
    int rows = 0, lastShownRow = 0;
};

TEST_F(GridInput, ArrowsMoveTheFocusInsideTheWindowAndAskForMoreAtItsEdges) {
    FocusOn(5, 2);
    Key(Qt::Key_Right);
    EXPECT_EQ(grid.GetFocusCell(), CCellID(5, 3));
    Key(Qt::Key_Left);
    Key(Qt::Key_Left);
    Key(Qt::Key_Left);  // not into the fixed column
    EXPECT_EQ(grid.GetFocusCell(), CCellID(5, 1));
    Key(Qt::Key_Up);
    EXPECT_EQ(grid.GetFocusCell(), CCellID(4, 1));
    Key(Qt::Key_Down);
    EXPECT_EQ(grid.GetFocusCell(), CCellID(5, 1));
    EXPECT_TRUE(Asked().empty());
    // The focus left and reached each cell, with notices.
    EXPECT_FALSE(owner.Notices(GVN_SELCHANGING).empty());
    EXPECT_EQ(owner.Notices(GVN_SELCHANGED).back().row, 5);

    // Up from the first data row and down from the last shown row move the owner's window.
    FocusOn(2, 2);
    Key(Qt::Key_Up);
    FocusOn(lastShownRow, 2);
    Key(Qt::Key_Down);
    EXPECT_EQ(Asked(), (std::vector<LPARAM>{99, 100}));
    EXPECT_EQ(grid.GetFocusCell(), CCellID(lastShownRow, 2));

    // At the last sample nothing more is asked.
    Fill(1000, 999);
    owner.log.clear();
    Key(Qt::Key_Down);
    EXPECT_TRUE(Asked().empty());
}

TEST_F(GridInput, PagingKeysAskForWindowsInsideTheData) {
    FocusOn(5, 2);
    Key(Qt::Key_PageDown);
    Key(Qt::Key_PageUp);
    Fill(1000, 990);
    Key(Qt::Key_PageDown);  // near the end: the last sample, not past it
    Key(Qt::Key_End);
    Key(Qt::Key_Home);
    Fill(1000, 3);
    Key(Qt::Key_PageUp);
    EXPECT_EQ(Asked(), (std::vector<LPARAM>{100 + rows, 100, 999, 999, 0, 0}));
    EXPECT_EQ(grid.GetFocusCell(), CCellID(5, 2));  // paging never moves the focus
    Fill(0, 0);
    owner.log.clear();
    Key(Qt::Key_End);
    EXPECT_EQ(Asked(), (std::vector<LPARAM>{0}));
}

TEST_F(GridInput, TabWrapsToTheNextRowAndTheNextSampleWindow) {
    const int lastDataCol = grid.GetFirstReadOnlyColumn() - 2;
    FocusOn(5, lastDataCol - 1);
    Key(Qt::Key_Tab);
    EXPECT_EQ(grid.GetFocusCell(), CCellID(5, lastDataCol));
    Key(Qt::Key_Tab);
    EXPECT_EQ(grid.GetFocusCell(), CCellID(6, 2));
    Key(Qt::Key_Backtab, Qt::ShiftModifier);  // back from the first data column
    EXPECT_EQ(grid.GetFocusCell(), CCellID(5, grid.GetColumnCount() - 2));

    FocusOn(lastShownRow, lastDataCol);
    Key(Qt::Key_Tab);
    EXPECT_EQ(grid.GetFocusCell(), CCellID(lastShownRow, 2));
    EXPECT_EQ(Asked(), (std::vector<LPARAM>{101}));

    // In the last window the last cell stays where it is.
    Fill(1000, 1000 - rows + 1);
    owner.log.clear();
    FocusOn(lastShownRow, lastDataCol);
    Key(Qt::Key_Tab);
    EXPECT_EQ(grid.GetFocusCell(), CCellID(lastShownRow, lastDataCol));
    EXPECT_TRUE(Asked().empty());
}

TEST_F(GridInput, DeleteReportsOnlyASelection) {
    grid.SetFocusCell(5, 2);
    grid.SetSelectedRange(-1, -1, -1, -1);
    Key(Qt::Key_Delete);
    EXPECT_TRUE(owner.Of(UM_GRID_DELETE).empty());
    grid.SetSelectedRange(5, 2, 6, 3);
    Key(Qt::Key_Delete);
    EXPECT_EQ(owner.Of(UM_GRID_DELETE).size(), 1u);
    EXPECT_EQ(grid.GetItemText(5, 2), "103.2");  // the owner decides; the grid changes nothing
}

TEST_F(GridInput, TypedCharactersAndClicksOnTheFocusRequestEdits) {
    FocusOn(4, 2);
    for (char c : {'5', '-', 'x', '=', ',', '[', ']', '*', '/', '\\', '\''})
        Type(c);
    std::vector<LPARAM> chars;
    for (const Message& m : owner.Of(UM_GRID_EDIT_REQUEST)) {
        EXPECT_EQ(m.Cell(), CCellID(4, 2));
        chars.push_back(m.lParam);
    }
    EXPECT_EQ(chars, (std::vector<LPARAM>{'5', '-', 'x'}));

    // The first click takes the focus there, the second asks for the edit with start code 1.
    owner.log.clear();
    Click(Centre(7, 3));
    EXPECT_EQ(grid.GetFocusCell(), CCellID(7, 3));
    EXPECT_TRUE(owner.Of(UM_GRID_EDIT_REQUEST).empty());
    Click(Centre(7, 3));
    const auto asked = owner.Of(UM_GRID_EDIT_REQUEST);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].Cell(), CCellID(7, 3));
    EXPECT_EQ(asked[0].lParam, 1);
    // Each click on a cell is also told as a command with the grid's id, after the click.
    clock.RunPending();
    const auto commands = owner.Of(WM_COMMAND);
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(LOWORD(commands[0].wParam), 100);
    EXPECT_EQ(reinterpret_cast<HWND>(commands[0].lParam), grid.m_hWnd);
}

TEST_F(GridInput, DraggingTheMouseSelectsABlock) {
    const QPoint from = Centre(3, 2), to = Centre(6, 3);
    QTest::mousePress(W(), Qt::LeftButton, Qt::NoModifier, from);
    Move(Centre(4, 2), Qt::LeftButton);
    Move(to, Qt::LeftButton);
    QTest::mouseRelease(W(), Qt::LeftButton, Qt::NoModifier, to);
    EXPECT_EQ(grid.GetSelectedCellRange(), CCellRange(3, 2, 6, 3));
    EXPECT_EQ(grid.GetFocusCell(), CCellID(6, 3));
    EXPECT_EQ(CWnd::GetCapture(), nullptr);

    // A click on a column header selects the column's data rows.
    Click(Centre(1, 3));
    EXPECT_EQ(grid.GetSelectedCellRange(), CCellRange(2, 3, 60, 3));
}

TEST_F(GridInput, DraggingADividerSizesTheColumnAndDoubleClickFitsIt) {
    CRect header;
    ASSERT_TRUE(grid.GetCellRect(0, 2, &header));
    const QPoint divider(header.right, header.top + 5);
    Move(divider);
    EXPECT_EQ(grid.GetMouseMode(), MOUSE_OVER_COL_DIVIDE);
    EXPECT_EQ(W()->cursor().shape(), Qt::SizeHorCursor);
    QTest::mousePress(W(), Qt::LeftButton, Qt::NoModifier, divider);
    EXPECT_EQ(grid.GetMouseMode(), MOUSE_SIZING_COL);
    Move(divider + QPoint(35, 0), Qt::LeftButton);
    QTest::mouseRelease(W(), Qt::LeftButton, Qt::NoModifier, divider + QPoint(35, 0));
    EXPECT_EQ(grid.GetColumnWidth(2), divider.x() + 35 - header.left);
    EXPECT_EQ(grid.GetMouseMode(), MOUSE_NOTHING);

    // Over the divider again, a double click sizes the column to its widest text.
    grid.SetItemText(9, 2, "a much longer text than the others");
    ASSERT_TRUE(grid.GetCellRect(0, 2, &header));
    Move(QPoint(header.right - 1, header.top + 5));
    QTest::mouseDClick(W(), Qt::LeftButton, Qt::NoModifier,
                       QPoint(header.right - 1, header.top + 5));
    CClientDC dc(&grid);
    EXPECT_EQ(grid.GetColumnWidth(2), grid.GetCellExtent(9, 2, &dc).cx);
}

TEST_F(GridInput, WheelNotchesScrollByTheDesktopsLines) {
    auto wheel = [this](int delta) {
        const QPoint at = Centre(5, 2);
        QWheelEvent e(at, W()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(W(), &e);
        clock.RunPending();
    };
    EXPECT_EQ(grid.GetRowsPerWheelNotch(), 3u);
    wheel(-120);  // one notch towards the user: three lines down
    EXPECT_EQ(Asked(), (std::vector<LPARAM>{101, 102, 103}));
    owner.log.clear();
    wheel(240);
    EXPECT_EQ(Asked(), (std::vector<LPARAM>{102, 101, 100, 99, 98, 97}));

    // The desktop's setting is read again when it changes.
    CRegKey desktop;
    ASSERT_EQ(desktop.Create(HKEY_CURRENT_USER, "Control Panel\\Desktop"), ERROR_SUCCESS);
    desktop.SetStringValue("WheelScrollLines", "1");
    grid.SendMessage(WM_SETTINGCHANGE);
    owner.log.clear();
    wheel(-120);
    EXPECT_EQ(Asked(), (std::vector<LPARAM>{98}));
    desktop.SetStringValue("WheelScrollLines", "-1");  // a page a notch
    grid.SendMessage(WM_SETTINGCHANGE);
    owner.log.clear();
    wheel(-120);
    EXPECT_EQ(Asked(), (std::vector<LPARAM>{98 + rows}));
}

TEST_F(GridInput, InListModeAHeaderClickSortsTheRowsAndAClickSelectsOneRow) {
    grid.SetListMode(TRUE);
    grid.SetSingleRowSelection(TRUE);
    // Rows 2 .. 60 get the values 0 .. 58 out of order; the sample 157 holds 00.
    for (int row = 2; row <= 60; ++row)
        grid.SetItemText(row, 2, CString::Formatted("%02d", row * 7 % 59));

    struct Case {
        int col;
        BOOL ascending;
        const char* first;  // column 2's text in the first data row
        const char* last;
    };
    const Case clicks[] = {{2, TRUE, "00", "58"}, {2, FALSE, "58", "00"}, {3, TRUE, "14", "07"}};
    for (const Case& c : clicks) {
        Click(Centre(0, c.col));
        EXPECT_EQ(grid.GetSortColumn(), c.col);
        EXPECT_EQ(grid.GetSortAscending(), c.ascending);
        EXPECT_EQ(grid.GetItemText(2, 2), c.first) << c.col << c.ascending;
        EXPECT_EQ(grid.GetItemText(60, 2), c.last) << c.col << c.ascending;
    }
    // Whole rows moved: column 3 sorts by the samples again.
    EXPECT_EQ(grid.GetItemText(2, 3), "100.3");
    EXPECT_EQ(grid.GetItemText(59, 0), "157");
    EXPECT_EQ(grid.GetItemText(59, 2), "00");

    // A click selects its whole row, and Shift does not stretch it to more rows.
    Click(Centre(5, 2));
    EXPECT_EQ(grid.GetSelectedCellRange(), CCellRange(5, 1, 5, grid.GetColumnCount() - 1));
    Click(Centre(8, 3), Qt::ShiftModifier);
    EXPECT_EQ(grid.GetSelectedCellRange(), CCellRange(8, 1, 8, grid.GetColumnCount() - 1));
}

TEST_F(GridInput, DoubleClickOnADataSetHeaderTellsTheOwnerWhichCell) {
    QTest::mouseDClick(W(), Qt::LeftButton, Qt::NoModifier, Centre(1, 3));
    QTest::mouseDClick(W(), Qt::LeftButton, Qt::NoModifier, Centre(0, 1));  // not a data-set column
    const auto clicks = owner.Of(UM_GRID_HEADER_DBLCLK);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].Cell(), CCellID(1, 3));
    EXPECT_EQ(clicks[0].lParam, 0);
}

}  // namespace
