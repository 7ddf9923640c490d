#pragma once
// A grid set up as the table view sets it up, inside an owner of the tests' own that records every
// message the grid sends it and, like the table view, refills nothing but remembers the sample
// window the grid asks for.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>
#include <vector>

#include "controls/grid_ctrl.h"
#include "controls/grid_messages.h"
#include "tests/support/harness.h"

namespace grid_testing {

struct Message {
    UINT msg = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    int code = 0;  // WM_NOTIFY: the notice's code, row and column
    int row = -1, col = -1;
    CCellID Cell() const {
        return UnpackCellID(static_cast<std::uint64_t>(
            msg == UM_GRID_CELL_OVERWRITTEN || msg == UM_GRID_PASTE ? lParam : wParam));
    }
};

class RecordingOwner : public CWnd {
public:
    std::vector<Message> log;
    CGridCtrl* grid = nullptr;
    // Answers an edit request by opening the editor, as the table view does when it agrees.
    bool openEditor = false;
    // The paste data seen during UM_GRID_PASTE.
    std::string pasted;

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_NOTIFY) {
            const auto* nm = reinterpret_cast<const NM_GRIDVIEW*>(lParam);
            if (nm && nm->hdr.hwndFrom == (grid ? grid->m_hWnd : nullptr)) {
                Message m{msg, wParam, lParam, nm->hdr.code, nm->iRow, nm->iColumn};
                log.push_back(m);
            }
            return 0;
        }
        if ((msg >= UM_GRID_CELL_FILLED && msg <= UM_GRID_EDIT_REQUEST) ||
            msg == UM_GRID_SHOW_ROW || msg == WM_COMMAND) {
            log.push_back({msg, wParam, lParam});
            if (msg == UM_GRID_SHOW_ROW && grid)
                grid->m_nFirstShownSample = static_cast<int>(lParam);
            if (msg == UM_GRID_PASTE) {
                auto* data = reinterpret_cast<COleDataObject*>(wParam);
                if (data) data->GetData(CF_TEXT, pasted);
            }
            if (msg == UM_GRID_EDIT_REQUEST && openEditor && grid) {
                const CCellID cell = UnpackCellID(static_cast<std::uint64_t>(wParam));
                CRect rect;
                grid->GetCellRectById(cell, &rect);
                grid->CreateInPlaceEditControl(rect, ES_LEFT, IDC_INPLACE_EDIT, cell.row, cell.col,
                                               grid->GetItemText(cell.row, cell.col),
                                               static_cast<int>(lParam));
                return 1;
            }
            return 0;
        }
        return CWnd::WindowProc(msg, wParam, lParam);
    }

    std::vector<Message> Of(UINT msg) const {
        std::vector<Message> out;
        for (const Message& m : log)
            if (m.msg == msg) out.push_back(m);
        return out;
    }
    std::vector<Message> Notices(int code) const {
        std::vector<Message> out;
        for (const Message& m : log)
            if (m.msg == WM_NOTIFY && m.code == code) out.push_back(m);
        return out;
    }
    // The grid's own messages, without notices and clicks.
    std::vector<UINT> GridMessages() const {
        std::vector<UINT> out;
        for (const Message& m : log)
            if (m.msg != WM_NOTIFY && m.msg != WM_COMMAND) out.push_back(m.msg);
        return out;
    }
};

// The table view's grid: sample and time columns, `dataColumns` data columns, the filler, two
// header rows and 59 sample rows, in a window `height` pixels high.
class GridTest : public testing_support::HarnessTest {
protected:
    RecordingOwner owner;
    CGridCtrl grid;

    void SetUpGrid(int dataColumns = 2, int width = 600, int height = 300) {
        ASSERT_TRUE(owner.Create(nullptr, "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                 CRect(0, 0, width, height), nullptr, 0));
        owner.grid = &grid;
        ASSERT_TRUE(grid.Create(CRect(0, 0, width, height), &owner, 100,
                                WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP));
        grid.SetGridColor(0xFBD58C);
        grid.SetColumnCount(3);
        grid.SetFirstReadOnlyColumn(3);
        grid.SetRowCount(61);
        grid.SetFixedRowCount(2);
        grid.SetFixedColumnCount(1);
        grid.SetColumnWidth(0, 40);
        grid.SetColumnWidth(2, 1200);
        grid.SetColumnWidth(1, 55);
        grid.SetItemText(1, 1, "Time (s)");
        for (int k = 0; k < dataColumns; ++k) {
            const int col = grid.InsertColumn(CString::Formatted("Set %d", k + 1),
                                              DT_LEFT | DT_VCENTER | DT_SINGLELINE, 2 + k);
            grid.SetColumnWidth(col, 70);
            grid.SetItemText(1, col, CString::Formatted("Data %d (V)", k + 1));
        }
        // Inserting scrolls each new column into view; the tests start from the left.
        grid.SendMessage(WM_HSCROLL, SB_LEFT, 0);
        QWidget* top = owner.GetWidget();
        top->show();
        top->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(top));
        grid.SetFocus();
        testing_support::ProcessQtEvents();
    }

    // Fills the sample rows from `first` on with "r,c" texts and sets the sample window.
    void Fill(int sampleCount, int first = 0) {
        grid.m_nSampleCount = sampleCount;
        grid.m_nFirstShownSample = first;
        for (int row = 2; row < grid.GetRowCount(); ++row) {
            const int sample = first + row - 2;
            grid.SetItemText(row, 0,
                             sample < sampleCount ? CString::Formatted("%d", sample) : CString());
            for (int col = 2; col < grid.GetFirstReadOnlyColumn() - 1; ++col)
                grid.SetItemText(
                    row, col,
                    sample < sampleCount ? CString::Formatted("%d.%d", sample, col) : CString());
        }
        grid.ResetScrollBars();
    }

    QWidget* W() { return grid.GetWidget(); }

    // The centre of a cell in client coordinates.
    QPoint Centre(int row, int col) {
        CRect r;
        EXPECT_TRUE(grid.GetCellRect(row, col, &r));
        return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }

    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(W(), key, mods);
    }
    void Type(char ch) { QTest::keyClick(W(), ch); }
    void Click(QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::mouseClick(W(), Qt::LeftButton, mods, at);
    }
    // A move as the mouse makes it, with the buttons held.
    void Move(QPoint at, Qt::MouseButtons buttons = Qt::NoButton, QWidget* to = nullptr) {
        QWidget* target = to ? to : W();
        QMouseEvent e(QEvent::MouseMove, at, target->mapToGlobal(at), Qt::NoButton, buttons,
                      Qt::NoModifier);
        QApplication::sendEvent(target, &e);
    }

    void FocusOn(int row, int col) {
        grid.SetFocusCell(row, col);
        grid.SetSelectedRange(row, col, row, col);
    }
};

}  // namespace grid_testing
