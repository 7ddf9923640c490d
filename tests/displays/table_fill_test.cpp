// The table's columns, its paged fill, the time column, scrolling on the real grid, the refresh
// timer and what a data set that left the list does to it.

#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "app/data_tree_view.h"
#include "tests/displays/table_view_fixture.h"

namespace {

using table_test::TableViewTest;

class TableFill : public TableViewTest {
protected:
    // Rows 2.. as "sample|time|values..." for a compact comparison.
    std::vector<CString> Rows(int from, int to, int lastCol) {
        std::vector<CString> out;
        for (int row = from; row <= to; ++row) {
            CString line;
            for (int col = 0; col <= lastCol; ++col)
                line += (col ? "|" : "") + Cell(row, col);
            out.push_back(line);
        }
        return out;
    }
};

TEST_F(TableFill, APageOfThirtySamplesFromTheLastPageOrAChosenSample) {
    ASSERT_EQ(table.AddDataSetColumns(light), 0);
    table.FillGrid(-1);
    // 30 samples in 20 rows: the last page starts at 30 - 20 + 2.
    EXPECT_EQ(table.GetTopSample(), 12);
    EXPECT_EQ(G().m_nFirstShownSample, 12);
    EXPECT_EQ(G().m_nSampleCount, 30);
    EXPECT_EQ(Cell(2, 0), "12");
    EXPECT_EQ(Cell(2, 1), "12");
    EXPECT_EQ(Cell(2, 2), "112");
    EXPECT_EQ(Cell(19, 0), "29");
    EXPECT_EQ(Cell(19, 2), "129");
    for (int row = 20; row < CTableView::kGridRows; ++row)
        EXPECT_EQ(Cell(row, 0) + Cell(row, 1) + Cell(row, 2), "") << row;

    table.FillGrid(5);
    EXPECT_EQ(Cell(2, 0), "5");
    EXPECT_EQ(Cell(2, 2), "105");
    EXPECT_EQ(Cell(21, 0), "24");
    // Rows past what the window shows stay empty.
    EXPECT_EQ(Cell(22, 0), "");
    // Past the end: the last page.
    table.FillGrid(30);
    EXPECT_EQ(table.GetTopSample(), 12);
}

TEST_F(TableFill, GapsShowEmptyCellsAndEverySampleStaysReachable) {
    std::vector<double> x = {0, 1, 2};
    for (int s = 5; s <= 40; ++s)
        x.push_back(s);
    std::vector<double> y(x.size());
    for (size_t i = 0; i < x.size(); ++i)
        y[i] = 1000 + x[i];
    CDataTreeBrench* gapped = AddGapped(x, y);

    // Alone: the count is its last sample number + 1, not its point count.
    ASSERT_EQ(table.AddDataSetColumns(gapped), 0);
    table.FillGrid(0);
    EXPECT_EQ(G().m_nSampleCount, 41);
    EXPECT_EQ(Rows(4, 7, 2), (std::vector<CString>{"2|2|1002", "3|3|", "4|4|", "5|5|1005"}));
    table.FillGrid(-1);
    EXPECT_EQ(Cell(19, 0), "40");
    EXPECT_EQ(Cell(19, 2), "1040");

    // With the complete set: both are shown, row by row.
    ASSERT_EQ(table.AddDataSetColumns(light), 1);
    table.FillGrid(0);
    EXPECT_EQ(Rows(5, 6, 3), (std::vector<CString>{"3|3||103", "4|4||104"}));
    table.FillGrid(-1);
    EXPECT_EQ(Rows(17, 19, 3), (std::vector<CString>{"38|38|1038|", "39|39|1039|", "40|40|1040|"}));
}

TEST_F(TableFill, ALastSampleOnThePagesEdgeAndATallTableFillEveryRow) {
    // x ends exactly at the page's last sample: the walk stops at the array's end.
    CDataTreeBrench* shortSet = AddGapped({0, 3, 21}, {7, 8, 9}, 0, "Few");
    table.AddDataSetColumns(shortSet);
    table.FillGrid(2);
    EXPECT_EQ(Cell(21, 0), "21");
    EXPECT_EQ(Cell(21, 2), "9");

    CDataTreeBrench* longSet =
        AddSet(graph_test::SetFields{"Long", 41, 100, 2, 0, 1, "V"}, Ramp(100, 0));
    table.RemoveDataSet(shortSet->m_id);
    table.AddDataSetColumns(longSet);
    ShowRows(59);
    table.FillGrid(0);
    EXPECT_EQ(Cell(60, 0), "58");
    EXPECT_EQ(Cell(60, 2), "58");
}

TEST_F(TableFill, TemperaturesShowInTheChosenUnitWhileTheDataStayInCelsius) {
    table.AddDataSetColumns(temperature);
    table.FillGrid(0);
    EXPECT_EQ(Cell(1, 2),
              "Temp (\xC2\xB0"
              "C)");
    EXPECT_EQ(Cell(2, 2), "20");
    doc.GetSettings()->m_temperatureUnit = 1;
    table.ApplyUnitSettings();
    EXPECT_EQ(Cell(1, 2),
              "Temp (\xC2\xB0"
              "F)");
    EXPECT_EQ(Cell(2, 2), "68");
    EXPECT_EQ(Cell(3, 2), "69.8");
    EXPECT_EQ((*temperature->m_y)[0], 20.0);
}

TEST_F(TableFill, ColumnsOfExperimentsFitsAndTheirLimits) {
    // The first set brings the Comment column of its experiment.
    ASSERT_EQ(table.AddDataSetColumns(light), 0);
    EXPECT_EQ(G().GetColumnCount(), 5);
    EXPECT_EQ(Cell(0, 2), "Exp. 1");
    EXPECT_EQ(Cell(1, 2), "Light (lux)");
    EXPECT_EQ(Cell(0, 3), "Exp. 1");
    EXPECT_EQ(Cell(1, 3), "Comment");
    // The given widths are the least; a heading wider than its column widens it.
    EXPECT_GE(G().GetColumnWidth(2), 70);
    EXPECT_GE(G().GetColumnWidth(3), 85);
    EXPECT_EQ(G().GetColumnWidth(4), 1200);
    ASSERT_EQ(table.AddDataSetColumns(sound), 1);
    EXPECT_EQ(Cell(1, 3), "Sound (dB)");
    EXPECT_EQ(Cell(1, 4), "Comment");

    // A set of another experiment: the Comment column goes.
    CDataTreeBrench* other = doc.m_dataList.AddExperiment("Exp. 2");
    CDataTreeBrench* foreign = AddGapped({0, 1}, {5, 6}, 0, "Other", other);
    ASSERT_EQ(table.AddDataSetColumns(foreign), 2);
    EXPECT_EQ(Cell(0, 4), "Exp. 2");
    EXPECT_EQ(Cell(1, 5), "");
    EXPECT_EQ(table.GetCommentExperiment(), nullptr);

    // Eight at most.
    for (int k = 3; k < 8; ++k)
        ASSERT_EQ(table.AddDataSetColumns(temperature), k);
    EXPECT_EQ(table.AddDataSetColumns(light), -1);
    EXPECT_EQ(table.GetColumnCount(), 8);

    // Removing the middle one shifts the rest left; removing the only one leaves the bare table.
    table.RemoveDataSet(foreign->m_id);
    EXPECT_EQ(table.GetColumnCount(), 7);
    EXPECT_EQ(Cell(1, 3), "Sound (dB)");
    EXPECT_EQ(Cell(1, 4),
              "Temp (\xC2\xB0"
              "C)");
    EXPECT_FALSE(table.RemoveDataSet(foreign->m_id));
    table.RemoveDataSet(light->m_id);
    table.RemoveDataSet(sound->m_id);
    table.RemoveDataSet(temperature->m_id);
    EXPECT_EQ(table.GetColumnCount(), 0);
    EXPECT_EQ(G().GetColumnCount(), 3);
    EXPECT_EQ(table.GetRateRecord().intervalSeconds, 1.0);
    EXPECT_EQ(table.GetTimeUnitText(), "s");
    EXPECT_FALSE(table.RemoveDataSet(light->m_id));
}

TEST_F(TableFill, FitsHaveNoCommentsAndBarModeShowsOneSet) {
    doc.AddFitGroup();
    CDataTreeBrench* fits = doc.m_dataList.GetAt(doc.m_dataList.IndexOfId(tree.m_fitGroupId));
    ASSERT_NE(fits, nullptr);
    CDataTreeBrench* fit = AddGapped({0, 1, 2}, {1, 2, 3}, 3, "Fit", fits);
    ASSERT_EQ(table.AddDataSetColumns(fit), 0);
    EXPECT_EQ(G().GetColumnCount(), 4);
    EXPECT_EQ(Cell(1, 3), "");
    EXPECT_EQ(table.GetCommentExperiment(), nullptr);

    table.RemoveDataSet(fit->m_id);
    view.m_barGraph = 1;
    EXPECT_EQ(table.AddDataSetColumns(light), 0);
    EXPECT_EQ(table.AddDataSetColumns(sound), -1);
    view.m_barGraph = 0;
}

TEST_F(TableFill, RenamesRewriteTheHeaderRows) {
    table.AddDataSetColumns(light);
    light->m_name = "Lamp";
    experiment->m_name = "Morning";
    table.UpdateColumnTitle(light->m_id);
    table.RefreshColumnNames();
    EXPECT_EQ(Cell(0, 2), "Morning");
    EXPECT_EQ(Cell(1, 2), "Lamp (lux)");
}

struct TimeCase {
    WORD rate;
    const char* format;
    SHORT decimals;
    const char* header;
};

TEST_F(TableFill, TheTimeFormatFollowsTheInterval) {
    const TimeCase cases[] = {
        {50, "%.2f", 2, "Time (s)"},                // 0.05 s
        {4, "%02d:%02d", 0, "Time (h:m:s)"},        // 120 s
        {33, "%02d:%02d:%02d", 0, "Time (h:m:s)"},  // 3600 s
        {0, "%.0f", 0, "Samples"},
    };
    for (const TimeCase& c : cases) {
        table.SetupGrid(RateInfo(c.rate));
        table.SetRate(c.rate, TRUE);
        EXPECT_EQ(table.GetTimeFormat(), c.format) << c.rate;
        EXPECT_EQ(table.GetTimeDecimals(), c.decimals) << c.rate;
        EXPECT_EQ(Cell(1, 1), c.header) << c.rate;
    }
    // Below a tenth of a microsecond the format is kept.
    table.SetupGrid(RateInfoStruct{0.05, 0.05, 3});
    table.SetupGrid(RateInfoStruct{1e-8, 1e-8, 3});
    EXPECT_EQ(table.GetTimeFormat(), "%.2f");
}

// A photogate timing run has no time base (rate 0): its passes are numbered from 0, as its
// sample numbers, the graph's samples axis and the export count them.
TEST_F(TableFill, ARunWithoutATimeBaseNumbersItsSamplesFromZero) {
    CDataTreeBrench* velocity = AddGapped({0, 1, 2}, {1, -1, 0.5}, 1, "Velocity");
    velocity->m_rateCode = 0;
    table.SetupGrid(RateInfo(0));
    ASSERT_EQ(table.AddDataSetColumns(velocity), 0);
    table.FillGrid(0);
    EXPECT_EQ(Cell(1, 1), "Samples");
    EXPECT_EQ(Rows(2, 5, 2), (std::vector<CString>{"0|0|1", "1|1|-1", "2|2|0.5", "||"}));
}

TEST_F(TableFill, TimeUnitsSetTheColumnWidthFactorAndHeader) {
    struct UnitCase {
        WORD unit;
        int width;
        double factor;
        const char* text;
    };
    const UnitCase cases[] = {{1, 65, 1e6, "\xC2\xB5"}, {2, 65, 1000, "ms"}, {3, 55, 1, "s"},
                              {4, 55, 1, "m"},          {5, 70, 1, "h:m:s"}, {6, 100, 1, "Date"},
                              {7, 55, 1, "Date"}};
    table.SetRate(41, FALSE);
    for (const UnitCase& c : cases) {
        table.SetTimeUnit(c.unit);
        EXPECT_GE(G().GetColumnWidth(1), c.width) << c.unit;
        EXPECT_EQ(table.GetTimeFactor(), c.factor) << c.unit;
        EXPECT_EQ(Cell(1, 1), CString("Time (") + c.text + ")") << c.unit;
    }
}

TEST_F(TableFill, AMillisecondRunPastTenSecondsSwitchesToSeconds) {
    // 50/s in ms: 0.02 s a sample.
    CDataTreeBrench* fast = AddGapped({}, {}, 1, "Fast");
    fast->m_rateCode = 51;
    table.SetupGrid(RateInfo(51));
    table.AddDataSetColumns(fast);
    table.SetTimeUnit(2);
    for (int i = 0; i < 400; ++i) {
        fast->m_x->push_back(i);
        fast->m_y->push_back(i);
    }
    table.FillGrid(0);
    EXPECT_EQ(table.GetTimeUnit(), 2);  // 8 s
    EXPECT_EQ(Cell(3, 1), "20");
    for (int i = 400; i < 600; ++i) {
        fast->m_x->push_back(i);
        fast->m_y->push_back(i);
    }
    table.FillGrid(0);
    EXPECT_EQ(table.GetTimeUnit(), 3);
    EXPECT_EQ(Cell(1, 1), "Time (s)");
    EXPECT_EQ(Cell(3, 1), "0.02");
}

// ---- scrolling on the real grid ----

class TableScroll : public TableViewTest {
protected:
    void SetUp() override {
        big = AddSet(graph_test::SetFields{"Big", 41, 100, 2, 0, 1, "V"}, Ramp(1000, 0));
        table.AddDataSetColumns(big);
        table.AddDataSetColumns(light);
        table.FillGrid(0);
        tableHost.GetWidget()->show();
        tableHost.GetWidget()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(tableHost.GetWidget()));
        G().SetFocus();
        G().SetFocusCell(2, 2);
        testing_support::ProcessQtEvents();
    }
    void Wheel(int notches) {
        const QPoint at(100, 100);
        QWheelEvent e(at, W()->mapToGlobal(at), QPoint(), QPoint(0, -120 * notches), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(W(), &e);
        clock.RunPending();
    }
    QScrollBar* Bar(Qt::Orientation o) {
        for (QScrollBar* bar : W()->findChildren<QScrollBar*>())
            if (bar->orientation() == o) return bar;
        return nullptr;
    }
    void ExpectTop(int sample) {
        EXPECT_EQ(table.GetTopSample(), sample);
        EXPECT_EQ(Cell(2, 0), CString::Formatted("%d", sample));
        EXPECT_EQ(Cell(2, 2), CString::Formatted("%d", sample));
    }
    CDataTreeBrench* big = nullptr;
};

TEST_F(TableScroll, KeysWheelAndThumbRefillThePage) {
    QTest::keyClick(W(), Qt::Key_PageDown);
    ExpectTop(20);
    QTest::keyClick(W(), Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(Cell(2, 0).IsEmpty(), false);
    const int top = table.GetTopSample();
    EXPECT_GE(top, 980);
    EXPECT_EQ(Cell(2 + 999 - top, 0), "999");
    QTest::keyClick(W(), Qt::Key_Home, Qt::ControlModifier);
    ExpectTop(0);
    Wheel(2);
    ExpectTop(2 * static_cast<int>(G().GetRowsPerWheelNotch()));

    // Down from the last shown row moves the page by one.
    table.FillGrid(100);
    G().SetFocusCell(2 + table.GetVisibleRows() - 1, 2);
    QTest::keyClick(W(), Qt::Key_Down);
    ExpectTop(101);

    QScrollBar* bar = Bar(Qt::Vertical);
    ASSERT_NE(bar, nullptr);
    bar->setSliderDown(true);
    bar->setSliderPosition(500);
    bar->setSliderDown(false);
    ExpectTop(500);
    EXPECT_EQ(bar->value(), 500);
}

TEST_F(TableScroll, ARefreshKeepsTheUsersHorizontalPosition) {
    for (int k = 0; k < 6; ++k)
        table.AddDataSetColumns(sound);
    table.FillGrid(0);
    EXPECT_EQ(G().GetScrollPos(SB_HORZ), 0);
    G().SendMessage(WM_HSCROLL, SB_RIGHT, 0);
    const int position = G().GetScrollPos(SB_HORZ);
    ASSERT_GT(position, 0);
    table.StartRefreshTimer();
    clock.Advance(CTableView::kRefreshPeriod);
    EXPECT_EQ(G().GetScrollPos(SB_HORZ), position);
    table.StopRefreshTimer();
}

// ---- the run and the lifetime of data sets ----

TEST_F(TableFill, ARunsNewSamplesAppearAtTheBottomUntilTheTimerStops) {
    CDataTreeBrench* run = AddGapped({}, {}, 1, "Run");
    table.AddDataSetColumns(run);
    table.StartRefreshTimer();
    EXPECT_TRUE(table.IsRefreshTimerRunning());
    for (int tick = 0; tick < 10; ++tick) {
        for (int i = 0; i < 5; ++i) {
            run->m_x->push_back(static_cast<double>(run->m_x->size()));
            run->m_y->push_back(static_cast<double>(run->m_y->size()) / 2);
        }
        clock.Advance(CTableView::kRefreshPeriod);
        const int last = 5 * (tick + 1) - 1;
        const int top = table.GetTopSample();
        EXPECT_EQ(Cell(2 + last - top, 0), CString::Formatted("%d", last)) << tick;
        EXPECT_EQ(Cell(2 + last - top, 2), FormatValue(last / 2.0, 4, false)) << tick;
    }
    run->m_x->push_back(50);
    run->m_y->push_back(1);
    table.StopRefreshTimer();
    EXPECT_FALSE(table.IsRefreshTimerRunning());
    EXPECT_EQ(Cell(2 + 50 - table.GetTopSample(), 0), "50");
    EXPECT_FALSE(clock.IsTimerRunning(table.m_hWnd, CTableView::kRefreshTimer));
}

TEST_F(TableFill, ATimerThatCannotStartIsToldAfterTheHandlerReturns) {
    clock.SetTimerFailure([](HWND, UINT_PTR id) { return id == CTableView::kRefreshTimer; });
    table.StartRefreshTimer();
    EXPECT_FALSE(table.IsRefreshTimerRunning());
    EXPECT_TRUE(modals.Shown().empty());
    modals.ExpectMessage("SetTimer failed", IDOK);
    clock.RunPending();
    EXPECT_EQ(modals.Pending(), 0u);
    clock.SetTimerFailure({});
}

TEST_F(TableFill, ASetRemovedBehindTheTablesBackEmptiesItsColumn) {
    table.AddDataSetColumns(light);
    table.AddDataSetColumns(sound);
    table.StartRefreshTimer();
    doc.m_dataList.Remove(light->m_id);
    light = nullptr;
    clock.Advance(CTableView::kRefreshPeriod);
    EXPECT_EQ(Cell(2 + 29 - table.GetTopSample(), 2), "");
    EXPECT_EQ(Cell(2 + 29 - table.GetTopSample(), 3), "79");
    table.StopRefreshTimer();
}

TEST_F(TableFill, TheGridIsDrawnWithItsLineColourAtTheColumnEdges) {
    table.AddDataSetColumns(light);
    table.FillGrid(0);
    G().SendMessage(WM_HSCROLL, SB_LEFT, 0);
    const QImage image = testing_support::RenderWidget(W());
    testing_support::SaveTestImage(image, "table_view");
    // The fixed column ends at 40, then the time, data and comment columns.
    const int y = G().GetRowHeight(0) + G().GetRowHeight(1) + G().GetRowHeight(2) / 2 +
                  G().GetRowHeight(2) * 3;
    int edge = G().GetColumnWidth(0);
    for (int col = 1; col <= 3; ++col) {
        edge += G().GetColumnWidth(col);
        bool found = false;
        for (int x = edge - 2; x <= edge + 1; ++x)
            found = found || testing_support::Px(image, x, y) == CTableView::kGridLineColour;
        EXPECT_TRUE(found) << edge;
    }
}

// Every heading shows whole, on screen and on the printed page: it ends before the line that ends
// its column.
TEST_F(TableFill, EveryHeadingFitsItsColumnOnScreenAndOnPaper) {
    CDataTreeBrench* distance =
        AddSet(graph_test::SetFields{"Distance", 41, 0, 13, 0, 1, "m"}, Ramp(30, 0.5, 0.01));
    CDataTreeBrench* temp = AddSet(graph_test::TemperatureFields("Temperature"), Ramp(30, 20.0));
    for (CDataTreeBrench* set : {temp, distance, light})
        table.AddDataSetColumns(set);
    table.SetTimeUnit(5);  // "Time (h:m:s)"
    table.FillGrid(0);
    const int columns = G().GetColumnCount();
    auto expectHeadingsFit = [&](const testing_support::RecordingDevice& page, const char* where) {
        std::vector<double> edges;
        for (const QLineF& l : page.lines)
            if (std::abs(l.dx()) < 0.5 && std::abs(l.dy()) > 0.5) edges.push_back(l.x1());
        std::sort(edges.begin(), edges.end());
        int checked = 0;
        for (int row = 0; row < CTableView::kFixedRows; ++row)
            for (int col = 1; col < columns; ++col) {
                const QString heading = Cell(row, col).ToQString();
                if (heading.isEmpty()) continue;
                for (const auto& t : page.texts) {
                    if (t.text != heading) continue;
                    const auto edge = std::upper_bound(edges.begin(), edges.end(), t.at.x() + 0.5);
                    ASSERT_NE(edge, edges.end()) << where << ": " << heading.toStdString();
                    EXPECT_LE(t.at.x() + t.width, *edge) << where << ": " << heading.toStdString();
                    ++checked;
                    break;
                }
            }
        EXPECT_GE(checked, 6) << where << ": the headings were drawn";
    };

    // Straight onto the device, not through the grid's off-screen image, to see its texts.
    G().SetDoubleBuffering(FALSE);
    testing_support::RecordingDevice screen(W()->width(), W()->height(), 96);
    W()->render(&screen);
    G().SetDoubleBuffering(TRUE);
    expectHeadingsFit(screen, "screen");

    const std::vector<double> x = Ramp(30, 0), y = Ramp(30, 1);
    const std::vector<GridPrintColumn> printed(3, GridPrintColumn{x, y});
    TimeColumnFormat format;
    format.m_nMode = 5;
    G().SetPrintSource(printed.data(), 3, 1.0, format, nullptr, 0);
    testing_support::RecordingDevice paper(2480, 3508, 300);
    {
        QPainter painter(&paper);
        CDC dc(&painter, true);
        CPrintInfo info;
        int endRow = 0;
        G().OnBeginPrinting(&dc, &info, endRow, 0, 29);
        info.m_nCurPage = 1;
        G().OnPrint(&dc, &info, "Table", endRow, 0, nullptr);
        G().OnEndPrinting(&dc, &info);
    }
    expectHeadingsFit(paper, "paper");
}

}  // namespace
