// A run on a simulated QK, from Logger > Run to its end, with the table beside the graph.

#include "displays/table/table_view.h"
#include "tests/app/doc_fixture.h"

namespace {

class TableRun : public doc_test::DocTest {
protected:
    void SetUp() override {
        MakeQk();
        settings.m_recordingMode = 1;
        tableHost.Create(nullptr, "table", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 400, 300),
                         nullptr, 0);
        table.Create(&tableHost, &doc);
        table.OnInitialUpdate();
        table.MoveWindow(0, 0, 400, 300);
        ASSERT_TRUE(StartAndConnect());
        ChooseQkSetup(51, 0x05, 100);  // 50 a second
    }
    void TearDown() override {
        table.DestroyWindow();
        tableHost.DestroyWindow();
    }
    CWnd tableHost;
    CTableView table;
};

TEST_F(TableRun, ARunFillsTheTableAsItGrowsAndLeavesItOnItsLastPage) {
    Command(ID_LOGGER_RUN);
    bool followed = true;
    ASSERT_TRUE(Wait([&] {
        // While the run goes, the newest sample the table was refilled with is on the last page.
        if (table.IsRefreshTimerRunning() && table.GetColumnCount() > 0) {
            const int total = table.GetGrid()->m_nSampleCount;
            followed = followed &&
                       (total == 0 || table.GetTopSample() + table.GetVisibleRows() >= total - 1);
        }
        return Count(UM_RUN_ENDED) >= 1;
    }));
    clock.Advance(300);
    EXPECT_TRUE(followed);
    EXPECT_FALSE(table.IsRefreshTimerRunning());
    ASSERT_EQ(table.GetColumnCount(), 2);
    CDataTreeBrench* first = table.ColumnDataSet(0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(table.GetGrid()->GetItemText(0, 2), doc.m_dataList.GetExperimentName(first->m_id));
    EXPECT_EQ(table.GetGrid()->GetItemText(1, 1), "Time (s)");
    const int n = first->GetYCount();
    ASSERT_EQ(n, 100);
    EXPECT_EQ(table.GetGrid()->m_nSampleCount, n);
    const int row = 2 + (n - 1) - table.GetTopSample();
    EXPECT_EQ(table.GetGrid()->GetItemText(row, 0), "99");
    EXPECT_EQ(table.GetGrid()->GetItemText(row, 1), "1.98");
    EXPECT_EQ(table.GetGrid()->GetItemText(row, 2), FormatValue(first->m_y->back(), 4, false));
}

}  // namespace
