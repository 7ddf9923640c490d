#pragma once
// A table view beside the graph view and the data map of the graph fixture, in its own window
// sized to show 20 data rows, with "Exp. 1": three recorded data sets of 30 samples, the first a
// temperature.

#include <QApplication>
#include <QTest>
#include <numeric>

#include "displays/table/table_view.h"
#include "tests/displays/graph_view_fixture.h"

namespace table_test {

class TableViewTest : public graph_test::GraphViewTest {
protected:
    TableViewTest() {
        experiment->m_name = "Exp. 1";
        tableHost.Create(nullptr, "table", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 500, 400),
                         nullptr, 0);
        table.Create(&tableHost, &doc);
        table.OnInitialUpdate();
        ShowRows(20);
        temperature = AddSet(graph_test::TemperatureFields(), Ramp(30, 20.0));
        light = AddSet(graph_test::SetFields{"Light", 41, 100, 2, 0, 1, "lux"}, Ramp(30, 100.0));
        sound = AddSet(graph_test::SetFields{"Sound", 41, 100, 1, 0, 1, "dB"}, Ramp(30, 50.0));
    }
    ~TableViewTest() override {
        table.DestroyWindow();
        tableHost.DestroyWindow();
    }

    // Sizes the window so that the grid shows exactly `rows` data rows.
    void ShowRows(int rows) {
        CGridCtrl* g = table.GetGrid();
        ASSERT_NE(g, nullptr);
        const int h = g->GetRowHeight(2);
        for (int extra = 0; extra < h; ++extra) {
            const int cy = g->GetRowHeight(0) + g->GetRowHeight(1) + rows * h + extra;
            table.MoveWindow(0, 0, 600, cy);
            if (table.GetVisibleRows() == rows) return;
        }
        FAIL() << "no height shows " << rows << " rows";
    }

    static std::vector<double> Ramp(int n, double start, double step = 1.0) {
        std::vector<double> y(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            y[static_cast<size_t>(i)] = start + step * i;
        return y;
    }

    // A data set with sample numbers of its own, added to `group` (the experiment by default).
    CDataTreeBrench* AddGapped(std::vector<double> x, std::vector<double> y, WORD origin = 0,
                               const char* name = "CSV", CDataTreeBrench* group = nullptr) {
        CDataTreeBrench* g = group ? group : experiment;
        CDataTreeBrench* d = doc.m_dataList.InsertDataSet(
            g->m_id, std::make_shared<CDataArray>(std::move(x)),
            std::make_shared<CDataArray>(std::move(y)), name, 41, "V",
            CPreciseDateTime(2000, 1, 1, 12, 0, 0), origin, 0, 0, "", 9999999, -9999999, 0);
        d->m_inputKind = 1;
        d->m_modelCode = 0;
        tree.AddDataSetItem(d->m_id, d->m_name);
        return d;
    }

    CGridCtrl& G() { return *table.GetGrid(); }
    CString Cell(int row, int col) { return G().GetItemText(row, col); }
    QWidget* W() { return G().GetWidget(); }

    CWnd tableHost;
    CTableView table;
    CDataTreeBrench* temperature = nullptr;
    CDataTreeBrench* light = nullptr;
    CDataTreeBrench* sound = nullptr;
};

}  // namespace table_test
