#include <gtest/gtest.h>

#include <QComboBox>

#include "controls/in_place_list.h"
#include "platform/win/system.h"
#include "tests/controls/grid_fixture.h"

namespace {

using grid_testing::GridTest;

class InPlaceList : public GridTest {
protected:
    void SetUp() override {
        SetUpGrid(2, 600, 300);
        Fill(1000, 100);
    }
    const std::vector<CString> items{"alpha", "beta", "a much longer gamma item"};

    CInPlaceList* Open(DWORD style, UINT startChar) {
        FocusOn(4, 2);
        grid.SetItemText(4, 2, "beta");
        CRect rect;
        grid.GetCellRect(4, 2, &rect);
        return CInPlaceList::Open(&grid, rect, style, IDC_INPLACE_EDIT, 4, 2, items, "beta",
                                  startChar);
    }
};

TEST_F(InPlaceList, EndsByItsKeysWithTheTextAndSizesItsListToTheItems) {
    CRect cell;
    grid.GetCellRect(4, 2, &cell);
    CInPlaceList* list = Open(CBS_DROPDOWNLIST, VK_RETURN);
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->GetWidget()->hasFocus());
    EXPECT_EQ(list->GetWindowText(), "beta");

    // The box covers the cell; the list drops four cells and a bar deep, as wide as its widest
    // item, and widens the box to it.
    int widest = 0, space = 0;
    {
        CClientDC dc(&grid);
        dc.SelectObject(grid.GetFont());
        for (const CString& item : items)
            widest = std::max<int>(widest, dc.GetTextExtent(item).cx);
        space = dc.GetTextExtent(" ").cx;
    }
    const int listWidth = widest + GetSystemMetrics(SM_CXVSCROLL) + 2 * space;
    ASSERT_GT(listWidth, cell.Width());
    CRect box, dropped;
    list->GetWindowRect(&box);
    grid.ScreenToClient(&box);
    EXPECT_EQ(box, CRect(cell.left, cell.top, cell.left + listWidth, cell.bottom));
    list->GetDroppedControlRect(&dropped);
    EXPECT_EQ(dropped.Height(), 5 * cell.Height() + GetSystemMetrics(SM_CYHSCROLL));
    EXPECT_EQ(list->GetDroppedWidth(), listWidth);
    EXPECT_EQ(list->GetItemHeight(0), cell.Height());
    EXPECT_EQ(qobject_cast<QComboBox*>(list->GetWidget())->maxVisibleItems(), 4);
    grid.SetFocus();  // losing the focus ends it
    EXPECT_TRUE(list->IsEnded());
    EXPECT_EQ(owner.Notices(GVN_ENDLABELEDIT).size(), 1u);
    const HWND gone = list->m_hWnd;
    clock.RunPending();
    EXPECT_FALSE(IsWindow(gone));

    struct Key {
        Qt::Key key;
        Qt::KeyboardModifiers mods = Qt::NoModifier;
    };
    struct Case {
        const char* name;
        DWORD style;
        UINT startChar;  // 1 for the mouse: arrows do not leave then
        std::vector<Key> keys;
        bool ended;
        const char* text;  // the cell's text after the edit
        CCellID focus;     // the grid's focus cell after it
    };
    const Case cases[] = {
        {"list: Down picks, Enter ends",
         CBS_DROPDOWNLIST,
         VK_LBUTTON,
         {{Qt::Key_Down}, {Qt::Key_Return}},
         true,
         "a much longer gamma item",
         {4, 2}},
        {"list: Tab ends and moves on",
         CBS_DROPDOWNLIST,
         VK_LBUTTON,
         {{Qt::Key_Tab}},
         true,
         "beta",
         {4, 3}},
        {"list: Down leaves when typed in",
         CBS_DROPDOWNLIST,
         VK_RETURN,
         {{Qt::Key_Down}},
         true,
         "beta",
         {5, 2}},
        {"list: Ctrl+Down leaves",
         CBS_DROPDOWNLIST,
         VK_LBUTTON,
         {{Qt::Key_Down, Qt::ControlModifier}},
         true,
         "beta",
         {5, 2}},
        {"list: Esc restores",
         CBS_DROPDOWNLIST,
         VK_LBUTTON,
         {{Qt::Key_Up}, {Qt::Key_Escape}},
         true,
         "beta",
         {4, 2}},
        {"list: Down alone picks and stays",
         CBS_DROPDOWNLIST,
         VK_LBUTTON,
         {{Qt::Key_Down}},
         false,
         "a much longer gamma item",
         {4, 2}},
        {"edit: the start character replaces",
         CBS_DROPDOWN,
         'q',
         {{Qt::Key_Z}, {Qt::Key_Return}},
         true,
         "qz",
         {4, 2}},
        {"edit: Down picks, Tab ends",
         CBS_DROPDOWN,
         VK_LBUTTON,
         {{Qt::Key_Down}, {Qt::Key_Tab}},
         true,
         "a much longer gamma item",
         {4, 3}},
        {"edit: Down leaves when typed in",
         CBS_DROPDOWN,
         VK_RETURN,
         {{Qt::Key_Down}},
         true,
         "beta",
         {5, 2}},
        {"edit: Ctrl+Up leaves",
         CBS_DROPDOWN,
         VK_LBUTTON,
         {{Qt::Key_Up, Qt::ControlModifier}},
         true,
         "beta",
         {3, 2}},
        {"edit: Esc restores", CBS_DROPDOWN, 'q', {{Qt::Key_Escape}}, true, "beta", {4, 2}},
        {"edit: Right moves the caret",
         CBS_DROPDOWN,
         VK_RETURN,
         {{Qt::Key_Right}},
         false,
         "beta",
         {4, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        owner.log.clear();
        list = Open(c.style, c.startChar);
        ASSERT_NE(list, nullptr);
        const HWND hwnd = list->m_hWnd;
        for (const Key& k : c.keys)
            QTest::keyClick(QApplication::focusWidget(), k.key, k.mods);
        EXPECT_EQ(list->IsEnded(), c.ended);
        if (!c.ended) grid.SetFocus();
        EXPECT_EQ(owner.Notices(GVN_ENDLABELEDIT).size(), 1u);
        EXPECT_EQ(grid.GetItemText(4, 2), c.text);
        EXPECT_EQ(owner.Of(UM_GRID_CELL_CHANGED).size(), CString(c.text) == "beta" ? 0u : 1u);
        EXPECT_EQ(grid.GetFocusCell(), c.focus);
        clock.RunPending();
        EXPECT_FALSE(IsWindow(hwnd));
    }
}

}  // namespace
