#include <gtest/gtest.h>

#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>

#include <string>

#include "controls/in_place_edit.h"
#include "platform/msg/standard_ids.h"
#include "tests/controls/grid_fixture.h"

using namespace std::string_literals;

namespace {

using grid_testing::GridTest;
using grid_testing::Message;

class GridEdit : public GridTest {
protected:
    void SetUp() override {
        SetUpGrid(2, 600, 300);
        Fill(1000, 100);
    }
    QWidget* Editor() {
        CInPlaceEdit* edit = grid.GetInPlaceEdit();
        return edit ? edit->GetWidget() : nullptr;
    }
    std::vector<UINT> ChangeMessages() {
        std::vector<UINT> out;
        for (UINT m : owner.GridMessages())
            if (m == UM_GRID_CELL_FILLED || m == UM_GRID_CELL_CHANGED ||
                m == UM_GRID_CELL_OVERWRITTEN)
                out.push_back(m);
        return out;
    }
    // Data offered as another program offers it: the exact bytes, without a terminator.
    static std::unique_ptr<QMimeData> Offered(const std::string& bytes) {
        auto mime = std::make_unique<QMimeData>();
        mime->setData("text/plain", QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
        return mime;
    }
};

TEST_F(GridEdit, ATypedCharacterReplacesTheTextAndEnterReportsTheChange) {
    owner.openEditor = true;
    FocusOn(4, 2);
    Type('7');
    ASSERT_NE(Editor(), nullptr);
    EXPECT_TRUE(Editor()->hasFocus());
    EXPECT_EQ(grid.GetInPlaceEdit()->GetWindowText(), "7");
    QTest::keyClicks(Editor(), "5");
    EXPECT_EQ(grid.GetInPlaceEdit()->GetWindowText(), "75");
    QTest::keyClick(Editor(), Qt::Key_Return);

    EXPECT_EQ(grid.GetItemText(4, 2), "75");
    EXPECT_TRUE(grid.GetModified(4, 2));
    const auto changed = owner.Of(UM_GRID_CELL_CHANGED);
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(changed[0].Cell(), CCellID(4, 2));
    EXPECT_EQ(changed[0].lParam, 0);
    EXPECT_EQ(owner.Notices(GVN_ENDLABELEDIT).size(), 1u);
    EXPECT_EQ(grid.GetFocusCell(), CCellID(4, 2));
    clock.RunPending();  // the editor closes itself
    EXPECT_EQ(grid.GetInPlaceEdit()->m_hWnd, nullptr);

    // An empty cell that gets a value is filled, not changed.
    grid.SetItemText(5, 2, "");
    FocusOn(5, 2);
    Type('3');
    QTest::keyClick(Editor(), Qt::Key_Return);
    EXPECT_EQ(ChangeMessages(), (std::vector<UINT>{UM_GRID_CELL_CHANGED, UM_GRID_CELL_FILLED}));
}

TEST_F(GridEdit, EscapeRestoresTheTextAndReportsNoChange) {
    owner.openEditor = true;
    FocusOn(4, 2);
    Type('9');
    EXPECT_EQ(grid.GetInPlaceEdit()->GetWindowText(), "9");
    QTest::keyClick(Editor(), Qt::Key_Escape);
    EXPECT_EQ(grid.GetItemText(4, 2), "102.2");
    EXPECT_TRUE(ChangeMessages().empty());
    EXPECT_EQ(owner.Notices(GVN_ENDLABELEDIT).size(), 1u);  // the edit ended all the same

    // A click on the focus cell starts the editor with the caret at the end of the old text.
    Click(Centre(4, 2));
    ASSERT_NE(Editor(), nullptr);
    QTest::keyClicks(Editor(), "1");
    QTest::keyClick(Editor(), Qt::Key_Tab);
    EXPECT_EQ(grid.GetItemText(4, 2), "102.21");
    EXPECT_EQ(grid.GetFocusCell(), CCellID(4, 3));  // Tab moved on
}

TEST_F(GridEdit, DownEndsTheEditAndMovesOn) {
    owner.openEditor = true;
    FocusOn(4, 2);
    Type('4');
    QTest::keyClick(Editor(), Qt::Key_Down);
    EXPECT_EQ(grid.GetItemText(4, 2), "4");
    EXPECT_EQ(grid.GetFocusCell(), CCellID(5, 2));
    EXPECT_TRUE(W()->hasFocus());

    // On the last shown row the owner is asked for the next sample instead.
    const int last = grid.m_nWindowRows + 1;
    FocusOn(last, 2);
    Type('8');
    QTest::keyClick(Editor(), Qt::Key_Down);
    EXPECT_EQ(grid.GetFocusCell(), CCellID(last, 2));
    ASSERT_FALSE(owner.Of(UM_GRID_SHOW_ROW).empty());
    EXPECT_EQ(owner.Of(UM_GRID_SHOW_ROW).back().lParam, 101);
}

TEST_F(GridEdit, TypingOverASelectionWritesItsDataRowsAndReportsWhatItOverwrites) {
    grid.SetItemText(3, 3, "");
    grid.SetSelectedRange(1, 2, 3, 3);  // a heading row and two data rows
    grid.SetSelectedCellsText("7");

    EXPECT_EQ(grid.GetItemText(1, 2), "Data 1 (V)");
    for (const CCellID cell : {CCellID(2, 2), CCellID(2, 3), CCellID(3, 2), CCellID(3, 3)}) {
        EXPECT_EQ(grid.GetItemText(cell.row, cell.col), "7");
        EXPECT_TRUE(grid.GetModified(cell.row, cell.col));
    }
    std::vector<CCellID> overwritten;
    for (const Message& m : owner.Of(UM_GRID_CELL_OVERWRITTEN)) {
        EXPECT_EQ(m.wParam, 0u);
        overwritten.push_back(m.Cell());
    }
    EXPECT_EQ(overwritten, (std::vector<CCellID>{{2, 2}, {2, 3}, {3, 2}}));  // not the empty one
    // Each cell is bracketed by the notices of an edit.
    ASSERT_GE(owner.log.size(), 3u);
    EXPECT_EQ(owner.log[0].code, GVN_BEGINLABELEDIT);
    EXPECT_EQ(owner.log[1].msg, UM_GRID_CELL_OVERWRITTEN);
    EXPECT_EQ(owner.log[2].code, GVN_ENDLABELEDIT);
    EXPECT_EQ(owner.Notices(GVN_BEGINLABELEDIT).size(), 4u);
    EXPECT_EQ(owner.Notices(GVN_ENDLABELEDIT).size(), 4u);
    EXPECT_TRUE(owner.Of(UM_GRID_CELL_CHANGED).empty());
}

TEST_F(GridEdit, CopiesTheSelectionAsTabbedTextWithItsHeadings) {
    grid.SetItemText(3, 3, "");
    grid.SetSelectedRange(2, 2, 3, 3);
    auto source = grid.CopyTextFromGrid();
    ASSERT_NE(source, nullptr);
    const std::string expected = "Data 1 (V)\tData 2 (V)\n100.2\t100.3\n101.2\t \0"s;
    ASSERT_NE(source->GetCachedData(CF_TEXT), nullptr);
    EXPECT_EQ(*source->GetCachedData(CF_TEXT), expected);

    // From a later row there is no heading line; unselected cells of the block stay empty.
    grid.SetSelectedRange(3, 2, 3, 2);
    grid.SetItemState(4, 3, grid.GetItemState(4, 3) | GVIS_SELECTED);
    EXPECT_EQ(*grid.CopyTextFromGrid()->GetCachedData(CF_TEXT), "101.2\t\n\t102.3\0"s);

    // Ctrl+C puts it on the clipboard as plain text, without the terminator.
    FocusOn(6, 2);
    grid.SetSelectedRange(6, 2, 6, 3);
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "104.2\t104.3");
    EXPECT_TRUE(owner.GridMessages().empty());  // copying tells the owner nothing
}

TEST_F(GridEdit, PastesNumericLinesFieldByFieldAndNothingElse) {
    // A heading line, signs, exponents of both cases, two commas, a blank line, a line that is
    // not numbers, a CR LF line end, and no terminator at the end.
    const auto mime = Offered("Time\tValue\n1.5\t-2\n3e2,,1E5\r\n\n1-2\t4\n 7 ,\t8");
    COleDataObject data(mime.get());
    ASSERT_TRUE(grid.PasteTextToCells(10, 2, &data));
    EXPECT_EQ(grid.GetItemText(10, 2), "1.5");
    EXPECT_EQ(grid.GetItemText(10, 3), "-2");
    EXPECT_EQ(grid.GetItemText(11, 2), "3e2");
    EXPECT_EQ(grid.GetItemText(11, 3), "1E5");
    EXPECT_EQ(grid.GetItemText(12, 2), "110.2");  // the blank line wrote nothing
    EXPECT_EQ(grid.GetItemText(13, 2), "7");
    EXPECT_EQ(grid.GetItemText(13, 3), "8");
    EXPECT_EQ(grid.GetItemText(14, 2), "112.2");
    EXPECT_EQ(ChangeMessages(), std::vector<UINT>(6, UM_GRID_CELL_CHANGED));
    EXPECT_EQ(owner.Of(UM_GRID_CELL_CHANGED)[2].Cell(), CCellID(11, 2));

    // The read stops at the data's end or at a NUL inside it, whatever follows.
    owner.log.clear();
    grid.SetItemText(20, 2, "");
    const auto nul = Offered(std::string("9\t6\0\t5\n4", 8));
    COleDataObject withNul(nul.get());
    ASSERT_TRUE(grid.PasteTextToCells(20, 2, &withNul));
    EXPECT_EQ(grid.GetItemText(20, 2), "9");
    EXPECT_EQ(grid.GetItemText(20, 3), "6");
    EXPECT_EQ(grid.GetItemText(21, 2), "119.2");
    EXPECT_EQ(ChangeMessages(), (std::vector<UINT>{UM_GRID_CELL_FILLED, UM_GRID_CELL_CHANGED}));

    // Fields beyond the grid, or on read-only cells, are dropped.
    const auto wide = Offered("1\t2\t3\t4\t5");
    COleDataObject wideData(wide.get());
    grid.PasteTextToCells(60, 1, &wideData);
    EXPECT_EQ(grid.GetItemText(60, 1), "");
    EXPECT_EQ(grid.GetItemText(60, 2), "2");
}

TEST_F(GridEdit, PasteAndCutAreOfferedToTheOwner) {
    QGuiApplication::clipboard()->setText("5\t6");
    FocusOn(0, 2);  // a header: the paste goes to the first data row
    grid.SetFocusCell(0, 2);
    Key(Qt::Key_V, Qt::ControlModifier);
    const auto pastes = owner.Of(UM_GRID_PASTE);
    ASSERT_EQ(pastes.size(), 1u);
    EXPECT_EQ(pastes[0].Cell(), CCellID(2, 2));
    EXPECT_EQ(owner.pasted, "5\t6");
    EXPECT_EQ(grid.GetItemText(2, 2), "100.2");  // nothing pasted by the grid itself

    // Not onto a read-only cell.
    grid.SetFocusCell(5, 1);
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(owner.Of(UM_GRID_PASTE).size(), 1u);

    // Cut only tells the owner; cutting for the owner reports and empties the cells.
    FocusOn(5, 2);
    grid.SetSelectedRange(5, 1, 6, 3);
    grid.SetItemText(6, 3, "");
    Key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(owner.Of(UM_GRID_CUT).size(), 1u);
    EXPECT_EQ(grid.GetItemText(5, 2), "103.2");
    owner.log.clear();
    grid.CutSelectedCells();
    std::vector<CCellID> overwritten;
    for (const Message& m : owner.Of(UM_GRID_CELL_OVERWRITTEN))
        overwritten.push_back(m.Cell());
    EXPECT_EQ(overwritten, (std::vector<CCellID>{{5, 2}, {5, 3}, {6, 2}}));
    EXPECT_EQ(grid.GetItemText(5, 2), "");
    EXPECT_EQ(grid.GetItemText(5, 1), "");  // the time column is read-only and keeps its text
    EXPECT_EQ(QGuiApplication::clipboard()->text(), " \t103.2\t103.3\n \t104.2\t ");
    EXPECT_EQ(grid.GetSelectedCount(), 2);  // only the read-only cells stay selected
}

TEST_F(GridEdit, TheEditCommandsAreEnabledByTheSelectionAndTheClipboard) {
    auto enabled = [this](UINT id) {
        CCmdUI ui;
        ui.m_nID = id;
        ui.DoUpdate(&grid, TRUE);
        return ui.m_enabled;
    };
    grid.SetSelectedRange(-1, -1, -1, -1);
    grid.SetFocusCell(4, 2);
    QGuiApplication::clipboard()->clear();
    EXPECT_FALSE(enabled(ID_EDIT_COPY));
    EXPECT_FALSE(enabled(ID_EDIT_CUT));
    EXPECT_FALSE(enabled(ID_EDIT_PASTE));
    EXPECT_TRUE(enabled(ID_EDIT_SELECT_ALL));
    grid.SetSelectedRange(4, 2, 4, 2);
    QGuiApplication::clipboard()->setText("1");
    EXPECT_TRUE(enabled(ID_EDIT_COPY));
    EXPECT_TRUE(enabled(ID_EDIT_CUT));
    EXPECT_TRUE(enabled(ID_EDIT_PASTE));
    grid.SetFocusCell(4, 1);  // read-only: nothing to paste into
    EXPECT_FALSE(enabled(ID_EDIT_PASTE));
    grid.SetEditable(FALSE);
    EXPECT_FALSE(enabled(ID_EDIT_CUT));

    // The commands themselves run through the grid's command map.
    grid.SetEditable(TRUE);
    EXPECT_TRUE(grid.OnCmdMsg(ID_EDIT_SELECT_ALL, CN_COMMAND, nullptr, nullptr));
    EXPECT_EQ(grid.GetSelectedCellRange(), CCellRange(2, 1, 60, grid.GetColumnCount() - 1));
}

TEST_F(GridEdit, ADropBecomesAPasteOfferedToTheOwner) {
    QMimeData mime;
    mime.setText("42");
    const QPoint onData = Centre(8, 3), onTime = Centre(8, 1);
    QDragEnterEvent enter(onData, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(W(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(enter.dropAction(), Qt::MoveAction);
    EXPECT_TRUE(grid.GetItemState(8, 3) & GVIS_DROPHILITED);

    QDragMoveEvent overTime(onTime, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton,
                            Qt::ControlModifier);
    QApplication::sendEvent(W(), &overTime);
    EXPECT_FALSE(overTime.isAccepted());  // the time column takes no values
    QDragMoveEvent over(Centre(9, 2), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton,
                        Qt::ControlModifier);
    QApplication::sendEvent(W(), &over);
    EXPECT_EQ(over.dropAction(), Qt::CopyAction);
    EXPECT_FALSE(grid.GetItemState(8, 3) & GVIS_DROPHILITED);
    EXPECT_TRUE(grid.GetItemState(9, 2) & GVIS_DROPHILITED);

    QDropEvent drop(Centre(9, 2), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton,
                    Qt::ControlModifier);
    QApplication::sendEvent(W(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    const auto pastes = owner.Of(UM_GRID_PASTE);
    ASSERT_EQ(pastes.size(), 1u);
    EXPECT_EQ(pastes[0].Cell(), CCellID(9, 2));
    EXPECT_EQ(owner.pasted, "42");
    EXPECT_FALSE(grid.GetItemState(9, 2) & GVIS_DROPHILITED);
}

TEST_F(GridEdit, DraggingTheSelectionOutEndsInACutWhenItMoved) {
    std::string dragged;
    DROPEFFECT answer = DROPEFFECT_MOVE;
    platform::SetDragDropHookForTests([&](const COleDataSource& source, DWORD allowed) {
        EXPECT_EQ(allowed, DROPEFFECT_COPY | DROPEFFECT_MOVE);
        dragged = *source.GetCachedData(CF_TEXT);
        return answer;
    });
    auto drag = [&] {
        FocusOn(4, 2);
        grid.SetSelectedRange(4, 2, 5, 2);
        // A click on a selected cell of the focused grid prepares a drag; moving starts it.
        QTest::mousePress(W(), Qt::LeftButton, Qt::NoModifier, Centre(5, 2));
        EXPECT_EQ(grid.GetMouseMode(), MOUSE_PREPARE_DRAG);
        Move(Centre(5, 2) + QPoint(0, 4), Qt::LeftButton);
    };
    drag();
    EXPECT_EQ(dragged, "102.2\n103.2\0"s);
    EXPECT_EQ(owner.Of(UM_GRID_CUT).size(), 1u);
    ASSERT_EQ(owner.Notices(GVN_BEGINDRAG).size(), 1u);
    EXPECT_EQ(owner.Notices(GVN_BEGINDRAG)[0].row, 4);
    EXPECT_EQ(grid.GetMouseMode(), MOUSE_NOTHING);

    answer = DROPEFFECT_COPY;
    drag();
    EXPECT_EQ(owner.Of(UM_GRID_CUT).size(), 1u);
    platform::SetDragDropHookForTests(nullptr);
}

TEST_F(GridEdit, TheDragImageIsTheFocusCellWithItsBackgroundLeftOut) {
    CPoint hotSpot(-1, -1);
    grid.SetFocusCell(-1, -1);
    EXPECT_EQ(grid.CreateDragImage(&hotSpot), nullptr);

    grid.SetItemTextAndFormat(4, 3, "8888", DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    FocusOn(4, 3);
    const auto list = grid.CreateDragImage(&hotSpot);
    ASSERT_NE(list, nullptr);
    const int width = grid.GetColumnWidth(3), height = grid.GetRowHeight(4);
    EXPECT_EQ(list->GetImageCount(), 1);
    EXPECT_EQ(list->GetImageSize(), CSize(width, height));
    EXPECT_EQ(hotSpot, CPoint(width - 1, height - 1));
    const QImage image = list->GetImage(0);
    testing_support::SaveTestImage(image, "grid_drag_image");
    // The focus frame and the text are drawn; the text background is transparent.
    EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(width - 2, height - 2), qRgb(0, 0, 0));
    EXPECT_EQ(qAlpha(image.pixel(width - 4, height / 2)), 0);
    int textPixels = 0;
    for (int x = 2; x < width / 2; ++x)
        for (int y = 2; y < height - 2; ++y)
            textPixels += qAlpha(image.pixel(x, y)) != 0;
    EXPECT_GT(textPixels, 0);
}

TEST_F(GridEdit, TheTitleTipShowsOnlyTextsThatDoNotFit) {
    CTitleTip* tip = nullptr;
    for (CWnd* child : grid.GetChildren())
        if (auto* t = dynamic_cast<CTitleTip*>(child)) tip = t;
    ASSERT_NE(tip, nullptr);

    Move(Centre(7, 2));
    EXPECT_FALSE(tip->IsShown());
    grid.SetItemText(7, 3, "a text far too long for its cell");
    Move(Centre(7, 3));
    ASSERT_TRUE(tip->IsShown());
    EXPECT_EQ(tip->GetText(), " a text far too long for its cell ");
    EXPECT_EQ(CWnd::GetCapture(), tip);

    // Leaving the cell (the tip is wider than it) hides the tip and hands the move to the grid.
    Move(QPoint(tip->GetWidget()->width() - 1, 2), Qt::NoButton, tip->GetWidget());
    EXPECT_FALSE(tip->IsShown());
    EXPECT_EQ(CWnd::GetCapture(), nullptr);
}

}  // namespace
