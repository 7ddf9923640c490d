// The table in the whole program, reached as a user reaches it: edits of recorded data answered in
// the question box and kept in the saved project, the columns in step with the graph's plots, and
// the picture after scrolling sideways.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <numeric>

#include "RES/commands.h"
#include "RES/dialogs/msg_dialog.h"
#include "app/data_tree_view.h"
#include "app/main_frame.h"
#include "app/msg_dialog.h"
#include "app/varnel_app.h"
#include "app/varnel_doc.h"
#include "controls/in_place_edit.h"
#include "displays/graph/graph_view.h"
#include "displays/table/table_view.h"
#include "logger/dorvik.h"
#include "logger/settings.h"
#include "tests/support/core/logger_link.h"
#include "tests/support/core/sim_port.h"
#include "tests/support/harness.h"
#include "tests/support/user_commands.h"
#include "tools/dorvik-sim/qk_model.h"

namespace {

using testing_support::ChooseMenuCommand;

class TableProgram : public testing_support::HarnessTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(app.InitInstance());
        frame = app.GetMainFrame();
        doc = app.GetDocument();
        graph = doc->GetGraphView();
        table = doc->GetTableView();
        ASSERT_TRUE(frame && graph && table && doc->GetDataTreeView());
        // No logger is there to be found: the search at start ends in vain.
        modals.ExpectMessage(CDorvik::kConnectFailedText, IDOK);
        clock.RunPending();
        ASSERT_EQ(modals.Pending(), 0u);
        experiment = doc->AddDataGroup("Exp. 1");
        // A user's window has the focus: an editor ends when the focus leaves it.
        frame->GetWidget()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame->GetWidget()));
    }
    void TearDown() override { app.ExitInstance(); }

    // Samples 0, 1, ... one a second, of values start, start + 1, ...
    CDataTreeBrench* Add(const char* name, int count = 30, double start = 10, BYTE origin = 0) {
        auto x = std::make_shared<CDataArray>(count);
        std::iota(x->begin(), x->end(), 0.0);
        auto y = std::make_shared<CDataArray>(count);
        std::iota(y->begin(), y->end(), start);
        return doc->AddDataBranch(experiment, std::move(x), std::move(y), name, 41, "cm",
                                  CPreciseDateTime(2024, 5, 6, 7, 8, 9), origin, -1, 0, "", 255,
                                  9999999.0, -9999999.0);
    }
    std::vector<const CDataTreeBrench*> Plotted() const {
        std::vector<const CDataTreeBrench*> out;
        for (int p = 0; p < graph->m_plotCount; ++p)
            out.push_back(graph->m_plots[p].dataSet);
        return out;
    }
    std::vector<const CDataTreeBrench*> Listed() const {
        std::vector<const CDataTreeBrench*> out;
        for (int k = 0; k < table->GetColumnCount(); ++k)
            out.push_back(table->ColumnDataSet(k));
        return out;
    }
    void ShowTable() {
        QWidget* w = table->GetParentFrame()->GetWidget();
        if (!w->isVisible()) {
            ASSERT_TRUE(ChooseMenuCommand(*frame, ID_VIEW_TABLE));
        }
        ASSERT_TRUE(table->GetGrid()->GetWidget()->isVisible());
    }
    QWidget* Grid() const { return table->GetGrid()->GetWidget(); }
    QPoint Centre(int row, int col) const {
        CRect r;
        EXPECT_TRUE(table->GetGrid()->GetCellRect(row, col, &r));
        return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    void SaveAndOpenAgain(const char* name) {
        const CString path = CVarnelDoc::GetProjectFolder() + name;
        modals.ExpectFileDialog(path);
        ASSERT_TRUE(ChooseMenuCommand(*frame, ID_FILE_SAVE));
        modals.ExpectFileDialog(path);
        ASSERT_TRUE(ChooseMenuCommand(*frame, ID_FILE_OPEN));
        ASSERT_EQ(modals.Pending(), 0u);
    }

    testing_support::NoComPorts noPorts;
    CVarnelApp app;
    CMainFrame* frame = nullptr;
    CVarnelDoc* doc = nullptr;
    CGraphView* graph = nullptr;
    CTableView* table = nullptr;
    CDataTreeBrench* experiment = nullptr;
};

// ---- an edit of recorded data, and the question it asks ----

void PostKey(QWidget* to, char c) {
    const int key = c == '\r' ? int(Qt::Key_Return) : c == '\t' ? int(Qt::Key_Tab) : int(c);
    const QString text(QChar::fromLatin1(c));
    QCoreApplication::postEvent(to, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, text));
    QCoreApplication::postEvent(to, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier, text));
}

struct EditCase {
    const char* what;
    const char* early;  // typed so fast that it is on its way before the question shows
    int answer;         // how the question is answered: IDYES or IDNO clicked, or IDOK for Enter
    const char* after;  // typed once the box has gone, into the editor if one is open
    bool endAfter;      // ... then Enter
    bool escapeAfter;   // ... then Escape
    double stored;      // the value of sample 2 after the edit, and in the project opened again
    const char* onBox = "";  // typed on into the box before it is answered
};

void PrintTo(const EditCase& c, std::ostream* os) {
    *os << c.what;
}

class TableQuestion : public TableProgram, public testing::WithParamInterface<EditCase> {};

TEST_P(TableQuestion, WhatTheUserFinishedIsStoredAndKeptInTheProject) {
    const EditCase& c = GetParam();
    CDataTreeBrench* level = Add("Level", 30, 10, 1);  // recorded
    graph->ShowDataSet(level);
    ShowTable();
    table->FillGrid(0);
    ASSERT_EQ(table->GetGrid()->GetItemText(4, 2), "12");
    doc->m_modified = 0;

    QTest::mouseClick(Grid(), Qt::LeftButton, {}, Centre(4, 2));
    for (const char* k = c.early; *k; ++k)
        PostKey(Grid(), *k);
    modals.ExpectDialog(IDD_MSG_DIALOG, [&](CDialog& box) {
        EXPECT_EQ(box.GetDlgItemText(IDC_MSG_TEXT), CTableView::kChangeDataText);
        // Where the box's focus is, as a user's keys reach it.
        QWidget* focus = box.GetWidget() ? box.GetWidget()->focusWidget() : nullptr;
        for (const char* k = c.onBox; *k; ++k)
            QTest::keyClick(focus ? focus : box.GetWidget(), *k);
        if (c.answer == IDOK)
            testing_support::PressEnter(box);
        else
            testing_support::Press(box, c.answer);
    });
    QTest::keyClick(Grid(), '2');
    clock.RunPending();
    EXPECT_EQ(modals.Pending(), 0u);

    CInPlaceEdit* edit = table->GetGrid()->GetInPlaceEdit();
    const bool open = edit && !edit->IsEnded();
    if (*c.after || c.endAfter || c.escapeAfter) {
        ASSERT_TRUE(open) << "the editor stays open for the rest";
        QTest::keyClicks(edit->GetWidget(), c.after);
        if (c.endAfter) QTest::keyClick(edit->GetWidget(), Qt::Key_Return);
        if (c.escapeAfter) QTest::keyClick(edit->GetWidget(), Qt::Key_Escape);
        clock.RunPending();
    } else {
        EXPECT_FALSE(open) << "the edit ended as the user ended it, or never began";
    }
    EXPECT_EQ((*level->m_y)[2], c.stored);
    const bool changed = c.stored != 12;
    EXPECT_EQ(doc->m_modified, changed ? 1 : 0);
    if (changed) {
        // The graph follows: its plot is of the same values.
        EXPECT_EQ(graph->m_plots[0].dataSet, level);
        EXPECT_EQ(table->GetGrid()->GetItemText(4, 2), CString::Formatted("%g", c.stored));
    }

    SaveAndOpenAgain("Edited.vnp");
    const CDataTreeBrench* opened = doc->m_dataList.FindByName("Level");
    ASSERT_NE(opened, nullptr);
    ASSERT_GT(opened->GetYCount(), 2);
    EXPECT_EQ((*opened->m_y)[2], c.stored);
}

const EditCase kEditCases[] = {
    {"212 Enter typed fast, Yes clicked", "12\r", IDYES, "", false, false, 212},
    {"2, Enter on the question, then 12 Enter", "", IDOK, "12", true, false, 212},
    {"2, Yes, then 12 Escape", "", IDYES, "12", false, true, 12},
    {"21 typed fast, Yes, then 2 Enter", "1", IDYES, "2", true, false, 212},
    {"212 Tab typed fast, Yes clicked", "12\t", IDYES, "", false, false, 212},
    {"212 Enter typed fast, No", "12\r", IDNO, "", false, false, 12},
    {"2, then 12 typed into the box and Enter", "", IDOK, "", false, false, 212, "12"},
    {"21 typed fast, Enter on the question, then 2 Enter", "1", IDOK, "2", true, false, 212},
};

INSTANTIATE_TEST_SUITE_P(Answers, TableQuestion, testing::ValuesIn(kEditCases),
                         [](const testing::TestParamInfo<EditCase>& info) {
                             return "Case" + std::to_string(info.index);
                         });

// ---- the table's columns are the graph's plots ----

TEST_F(TableProgram, AfterACropTheTableListsTheCroppedData) {
    CDataTreeBrench* level = Add("Level");
    CDataTreeBrench* depth = Add("Depth");
    graph->ShowDataSet(level);
    graph->ShowDataSet(depth);
    ASSERT_EQ(Listed(), Plotted());
    graph->m_cursorPlotNumber = 1;
    graph->m_cursorPointIndex = 5;
    graph->ShowCursors();
    graph->ShowCursors();
    graph->GetGraph().GetCursors().Item(3).SetLong(6, 20);
    ASSERT_TRUE(ChooseMenuCommand(*frame, ID_GRAPH_CROP));

    ASSERT_EQ(graph->m_plotCount, 2);
    EXPECT_NE(graph->m_plots[0].dataSet, level);
    EXPECT_NE(graph->m_plots[1].dataSet, depth);
    EXPECT_EQ(Listed(), Plotted());
    EXPECT_EQ(table->GetGrid()->GetItemText(0, 2), "Cropped data");
    // The rows show the cropped values, sample by sample.
    const CDataTreeBrench* cropped = graph->m_plots[0].dataSet;
    for (int row = 2; row < 5; ++row) {
        const int sample = std::atoi(table->GetGrid()->GetItemText(row, 0).GetString());
        ASSERT_LT(sample, cropped->GetYCount());
        EXPECT_EQ(table->GetGrid()->GetItemText(row, 2),
                  CString::Formatted("%g", (*cropped->m_y)[size_t(sample)]));
    }
}

CString WriteCsv(testing_support::TempEnvironment& env, const char* name, int columns) {
    std::string text = "Time (s)";
    for (int c = 0; c < columns; ++c)
        text += ",C" + std::to_string(c) + " (V)";
    text += "\r\n";
    for (int r = 0; r < 4; ++r) {
        text += std::to_string(r);
        for (int c = 0; c < columns; ++c)
            text += "," + std::to_string(r + 10 * c);
        text += "\r\n";
    }
    const CString path = env.File(name);
    QFile out(path.ToQString());
    EXPECT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(text.data(), static_cast<qint64>(text.size()));
    return path;
}

TEST_F(TableProgram, AfterEveryCsvImportTheTableListsThePlots) {
    struct Step {
        BYTE mode;  // single, replace, add
        int columns;
        int plots;  // the graph shows afterwards
    };
    const Step steps[] = {
        {2, 2, 2},
        {2, 2, 4},
        // Replace, over and over: the graph shows the last file; so must the table, however
        // many columns the earlier files had.
        {1, 3, 3},
        {1, 3, 3},
        {1, 2, 2},
        {1, 3, 3},
        {1, 3, 3},
        {2, 2, 5},
        {0, 2, 2},
        {2, 3, 5},
    };
    int n = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(n);
        doc->GetSettings()->m_recordingMode = s.mode;
        const CString path = WriteCsv(env, (std::to_string(n++) + ".csv").c_str(), s.columns);
        modals.ExpectFileDialog(path);
        if (s.mode == 0 && doc->m_modified)
            modals.ExpectMessage(CVarnelDoc::kDataChangedText, IDNO);
        ASSERT_TRUE(ChooseMenuCommand(*frame, ID_IMPORT_CSV));
        ASSERT_EQ(modals.Pending(), 0u);
        EXPECT_EQ(graph->m_plotCount, s.plots);
        EXPECT_EQ(Listed(), Plotted());
        for (int k = 0; k < table->GetColumnCount(); ++k)
            EXPECT_EQ(table->GetGrid()->GetItemText(1, 2 + k),
                      table->ColumnDataSet(k)->m_name + " (V)");
    }
}

// A run in the replace mode takes the graph and the table over, both alike.
TEST(TableRun, AReplaceModeRunLeavesTheTableTheGraphsPlots) {
    testing_support::ScopedVirtualClock clock;
    testing_support::TempEnvironment env;
    testing_support::ModalScript modals;
    testing_support::NoComPorts noPorts;
    testing_support::SimulatedComPort qk(3, std::make_unique<dorvik_sim::QkModel>());
    CVarnelApp app;
    ASSERT_TRUE(app.InitInstance());
    CVarnelDoc* doc = app.GetDocument();
    CGraphView* graph = doc->GetGraphView();
    CTableView* table = doc->GetTableView();
    CDorvik& logger = *doc->GetLogger();
    const auto wait = [&](const std::function<bool()>& done) {
        return testing_support::RunUntil(clock, done);
    };
    ASSERT_TRUE(wait([&] {
        return logger.IsCommandQueueEmpty() && !logger.IsCommandTimerOn() &&
               !logger.IsDetectionTimerOn();
    }));
    const auto plotted = [&] {
        std::vector<const CDataTreeBrench*> out;
        for (int p = 0; p < graph->m_plotCount; ++p)
            out.push_back(graph->m_plots[p].dataSet);
        return out;
    };
    const auto listed = [&] {
        std::vector<const CDataTreeBrench*> out;
        for (int k = 0; k < table->GetColumnCount(); ++k)
            out.push_back(table->ColumnDataSet(k));
        return out;
    };
    doc->GetSettings()->m_recordingMode = 1;
    logger.SetRegimeRateCode(49);
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        logger.SetRunLength(3);
        ASSERT_TRUE(ChooseMenuCommand(*app.GetMainFrame(), ID_LOGGER_RUN));
        ASSERT_TRUE(wait([&] { return doc->m_runInProgress && doc->m_currentRunCount > 0; }));
        ASSERT_TRUE(wait([&] { return !doc->m_runInProgress; }));
        const CDataTreeBrench* experiment =
            doc->m_dataList.GetExperimentOf(doc->m_currentRun[0]->m_id);
        ASSERT_GT(graph->m_plotCount, 0);
        EXPECT_EQ(listed(), plotted());
        for (const CDataTreeBrench* d : plotted())
            EXPECT_EQ(doc->m_dataList.GetExperimentOf(d->m_id), experiment);
    }
    app.ExitInstance();
}

// ---- the picture after scrolling sideways ----

// What the screen shows of a widget: its window's backing store, with whatever the last paints
// left there (a render would paint it afresh).
QImage Shown(QWidget* w) {
    QCoreApplication::processEvents();
    const QPoint at = w->mapTo(w->window(), QPoint(0, 0));
    return w->screen()
        ->grabWindow(w->window()->winId(), at.x(), at.y(), w->width(), w->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

TEST_F(TableProgram, ScrolledSidewaysEveryHeadingStandsOverItsCellsToTheFillersEnd) {
    for (int i = 0; i < 8; ++i)
        graph->ShowDataSet(Add(("Set " + std::to_string(i)).c_str(), 30, 100 * i));
    ASSERT_EQ(table->GetColumnCount(), 8);
    ShowTable();
    CGridCtrl& grid = *table->GetGrid();
    QScrollBar* bar = nullptr;
    for (QScrollBar* b : Grid()->findChildren<QScrollBar*>())
        if (b->orientation() == Qt::Horizontal && b->isVisible()) bar = b;
    ASSERT_NE(bar, nullptr) << "eight columns do not fit";

    // The range is every column right of the fixed one, the filler included.
    int columns = 0;
    for (int col = 1; col < grid.GetColumnCount(); ++col)
        columns += grid.GetColumnWidth(col);
    EXPECT_EQ(grid.GetColumnWidth(grid.GetColumnCount() - 1), 1200);
    SCROLLINFO info;
    ASSERT_TRUE(grid.GetScrollInfo(SB_HORZ, &info));
    EXPECT_EQ(info.nMax + 1, columns);

    const auto same = [&](const char* step) {
        const QImage shown = Shown(Grid());
        const QImage fresh =
            testing_support::RenderWidget(Grid()).convertToFormat(QImage::Format_RGB32);
        const bool equal = shown == fresh;
        if (!equal) {
            testing_support::SaveTestImage(shown, "table_scrolled_shown");
            testing_support::SaveTestImage(fresh, "table_scrolled_fresh");
        }
        return equal ? testing::AssertionSuccess()
                     : testing::AssertionFailure() << step << ": the picture is stale";
    };
    ASSERT_TRUE(same("at the start"));
    const QPoint rightArrow(bar->width() - 3, bar->height() / 2);
    int steps = 0;
    for (int before = -1; grid.GetScrollPos(SB_HORZ) != before && steps < 40; ++steps) {
        before = grid.GetScrollPos(SB_HORZ);
        QTest::mouseClick(bar, Qt::LeftButton, {}, rightArrow);
        EXPECT_TRUE(same("after the right arrow")) << "step " << steps;
        // A click on the first cell shown takes the focus there.
        const CCellRange shown = grid.GetVisibleNonFixedCellRange();
        QTest::mouseClick(Grid(), Qt::LeftButton, {}, Centre(5, shown.GetMinCol()));
        EXPECT_TRUE(same("after a click on a cell")) << "step " << steps;
    }
    EXPECT_LT(steps, 40);
    testing_support::SaveTestImage(Shown(Grid()), "table_scrolled_to_the_end");

    // At the end the filler is shown, and the cells reach the client's right edge.
    CRect cells;
    const CCellRange end = grid.GetVisibleNonFixedCellRange(&cells);
    EXPECT_EQ(end.GetMaxCol(), grid.GetColumnCount() - 1);
    CRect client;
    grid.GetClientRect(&client);
    EXPECT_EQ(cells.right, client.right);

    // And back to the left, arrow by arrow, to the first data column.
    const QPoint leftArrow(2, bar->height() / 2);
    for (steps = 0; grid.GetScrollPos(SB_HORZ) > 0 && steps < 40; ++steps) {
        QTest::mouseClick(bar, Qt::LeftButton, {}, leftArrow);
        EXPECT_TRUE(same("after the left arrow")) << "step " << steps;
    }
    EXPECT_EQ(grid.GetScrollPos(SB_HORZ), 0);
}

}  // namespace
