// Analysis > Linear fit in the whole program: from the menu and the toolbar through the main frame
// and the document, into the data map, the graph and the table.

#include <gtest/gtest.h>

#include <QToolButton>
#include <numeric>

#include "app/data_tree_view.h"
#include "app/main_frame.h"
#include "app/varnel_app.h"
#include "app/varnel_doc.h"
#include "app/varnel_doc_analysis.h"
#include "displays/graph/graph_frame.h"
#include "displays/graph/graph_view.h"
#include "displays/table/table_view.h"
#include "logger/dorvik.h"
#include "logger/settings.h"
#include "platform/msg/standard_ids.h"
#include "tests/support/core/sim_port.h"
#include "tests/support/harness.h"
#include "tests/support/user_commands.h"

namespace {

constexpr COLORREF kDerivedColour = 0x102030;

class LinearFitProgram : public testing_support::HarnessTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(app.InitInstance());
        frame = app.GetMainFrame();
        doc = app.GetDocument();
        graph = doc->GetGraphView();
        table = doc->GetTableView();
        tree = doc->GetDataTreeView();
        ASSERT_TRUE(frame && graph && table && tree);
        // The data map made the group at its first update.
        ASSERT_NE(tree->m_fitGroupId, 0u);
        ASSERT_EQ(doc->m_modified, 0);
        doc->GetSettings()->m_plotColors[7] = kDerivedColour;
    }
    void TearDown() override {
        if (!exited) app.ExitInstance();
    }

    // A data set as an import of a CSV file adds it: y = slope * sample + intercept.
    CDataTreeBrench* Import(const char* name, int n, double slope, double intercept) {
        if (!imported) imported = doc->AddDataGroup("Import 1");
        auto x = std::make_shared<CDataArray>(static_cast<size_t>(n));
        std::iota(x->begin(), x->end(), 0.0);
        auto y = std::make_shared<CDataArray>();
        for (double s : *x)
            y->push_back(slope * s + intercept);
        return doc->AddDataBranch(imported, std::move(x), std::move(y), name, 41, "V",
                                  CPreciseDateTime(2024, 5, 6, 7, 8, 9), 0, -1, 0, "", 255,
                                  9999999.0, -9999999.0);
    }
    // Both cursors on plot 1, as Display cursor and a drag leave them.
    void PlaceCursors(LONG a, LONG b) {
        const CDispatchDriver cursors = graph->GetGraph().GetCursors();
        for (auto [cursor, index] : {std::pair{2L, a}, std::pair{3L, b}}) {
            ASSERT_EQ(cursors.Item(cursor).SetProperty(8, VarI4(1)), S_OK);
            ASSERT_EQ(cursors.Item(cursor).SetLong(6, index), S_OK);
        }
        graph->m_cursorCount = 2;
        graph->m_cursorAPlot = 0;
    }
    bool Enabled(UINT id) const {
        CCmdUI ui;
        ui.m_nID = id;
        ui.DoUpdate(frame, TRUE);
        return ui.m_enabled;
    }
    std::vector<CDataTreeBrench*> Fits() const {
        std::vector<CDataTreeBrench*> out;
        for (CDataTreeBrench* d = doc->m_dataList.GetNextDataSet(tree->m_fitGroupId); d;
             d = doc->m_dataList.GetNextDataSet(d->m_id))
            out.push_back(d);
        return out;
    }

    testing_support::NoComPorts noPorts;
    // A port where no logger answers: the program's search for one waits on the clock.
    testing_support::SimulatedComPort silent{2, CDorvik::kBasicBaudRate};
    CVarnelApp app;
    CMainFrame* frame = nullptr;
    CVarnelDoc* doc = nullptr;
    CGraphView* graph = nullptr;
    CTableView* table = nullptr;
    CDataTreeView* tree = nullptr;
    CDataTreeBrench* imported = nullptr;
    bool exited = false;
};

TEST_F(LinearFitProgram, TheMenuAndToolbarCommandFitsTheStretchBetweenTheCursors) {
    EXPECT_FALSE(Enabled(ID_LINEAR_FIT)) << "an empty graph has nothing to fit";
    CDataTreeBrench* voltage = Import("Voltage", 40, 0.5, 2);
    ASSERT_NE(voltage, nullptr);
    graph->ShowDataSet(voltage);
    PlaceCursors(30, 10);
    EXPECT_TRUE(Enabled(ID_LINEAR_FIT));
    frame->SetMetersCheck(TRUE);
    EXPECT_FALSE(Enabled(ID_LINEAR_FIT)) << "not while the meters are live";
    frame->SetMetersCheck(FALSE);

    ASSERT_TRUE(testing_support::UseCommand(*frame, ID_LINEAR_FIT));

    const std::vector<CDataTreeBrench*> fits = Fits();
    ASSERT_EQ(fits.size(), 1u);
    CDataTreeBrench* fit = fits[0];
    EXPECT_EQ(fit->m_name, "Linear(Import 1 - Voltage)");
    EXPECT_EQ(fit->m_comment, "f(x) = 0.5X+2");
    EXPECT_EQ(fit->m_derived, 1);
    EXPECT_EQ(fit->m_x->front(), 10);
    EXPECT_EQ(fit->m_x->back(), 30);
    // The data map shows it under "Linear fit"; the graph in the colour for derived data; the
    // table beside the data fitted.
    CTreeCtrl& t = tree->GetTreeCtrl();
    HTREEITEM item = tree->FindDataSetItem(fit->m_id);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(t.GetItemText(t.GetParentItem(item)), "Linear fit");
    ASSERT_EQ(graph->m_plotCount, 2);
    EXPECT_EQ(graph->m_plots[1].dataSet, fit);
    EXPECT_EQ(graph->m_plots[1].colour, kDerivedColour);
    ASSERT_EQ(table->GetColumnCount(), 2);
    EXPECT_EQ(table->GetColumn(1).dataSet, fit);
    EXPECT_EQ(table->GetGrid()->GetItemText(0, 3), "Linear fit");

    // The toolbar's button is the same command.
    CToolBar& bar = frame->GetAdvancedToolbar();
    const int button = bar.CommandToIndex(ID_LINEAR_FIT);
    ASSERT_GE(button, 0);
    frame->UpdateToolbars();
    ASSERT_TRUE(bar.IsButtonEnabled(button));
    bar.Button(button)->click();
    EXPECT_EQ(Fits().size(), 2u);
}

TEST_F(LinearFitProgram, AFullGraphLeavesTheLineToTheProjectAndTheTable) {
    CDataTreeBrench* first = nullptr;
    for (int k = 0; k < CGraphView::kMaxPlots; ++k) {
        CDataTreeBrench* set = Import("Input", 12, k + 1, 0);
        if (!first) first = set;
        BOOL added = FALSE;
        const SHORT p = graph->AddPlot(set, 65535, TRUE, added, FALSE, -1);
        ASSERT_TRUE(added);
        graph->PlotAllData(p);
    }
    table->AddDataSetColumns(first);
    PlaceCursors(2, 7);

    ASSERT_TRUE(testing_support::UseCommand(*frame, ID_LINEAR_FIT));

    ASSERT_EQ(Fits().size(), 1u);
    CDataTreeBrench* fit = Fits()[0];
    EXPECT_EQ(fit->m_comment, "f(x) = 1X");
    EXPECT_EQ(graph->m_plotCount, CGraphView::kMaxPlots);
    EXPECT_EQ(graph->FindPlotByDataSet(fit->m_id), -1);
    ASSERT_EQ(table->GetColumnCount(), 2);
    EXPECT_EQ(table->GetColumn(1).dataSet, fit);
}

TEST_F(LinearFitProgram, AFittedLineIsReadOutSavedAndBackUnderLinearFitInAFreshProgram) {
    CDataTreeBrench* voltage = Import("Voltage", 40, 0.5, 2);
    graph->ShowDataSet(voltage);
    PlaceCursors(10, 30);
    ASSERT_TRUE(testing_support::UseCommand(*frame, ID_LINEAR_FIT));
    ASSERT_EQ(Fits().size(), 1u);
    ASSERT_EQ(graph->m_plotCount, 2);

    // A cursor on the fitted line shows its equation as the analysis line.
    graph->HideCursors();
    graph->m_cursorPlotNumber = 2;
    graph->m_cursorPointIndex = 5;
    graph->ShowCursors();
    graph->UpdateCursorReadout();
    ASSERT_NE(graph->GetFrame(), nullptr);
    EXPECT_EQ(graph->GetFrame()->m_readoutText, "f(x) = 0.5X+2");
    // On the data fitted, which has no comment, there is none.
    graph->HideCursors();
    graph->m_cursorPlotNumber = 1;
    graph->ShowCursors();
    graph->UpdateCursorReadout();
    EXPECT_EQ(graph->GetFrame()->m_readoutText, "");

    const CString path = CVarnelDoc::GetProjectFolder() + "Fit.vnp";
    modals.ExpectFileDialog(path);
    ASSERT_TRUE(doc->SaveProject(true));
    const std::vector<double> x = *Fits()[0]->m_x, y = *Fits()[0]->m_y;
    app.ExitInstance();
    exited = true;

    CVarnelApp second;
    ASSERT_TRUE(second.InitInstance());
    CVarnelDoc* fresh = second.GetDocument();
    CDataTreeView* map = fresh->GetDataTreeView();
    ASSERT_TRUE(fresh->OpenProject(path));
    ASSERT_NE(map->m_fitGroupId, 0u);
    CDataTreeBrench* fit = fresh->m_dataList.GetNextDataSet(map->m_fitGroupId);
    ASSERT_NE(fit, nullptr);
    EXPECT_EQ(fresh->m_dataList.GetNextDataSet(fit->m_id), nullptr) << "one fitted line";
    EXPECT_EQ(fit->m_name, "Linear(Import 1 - Voltage)");
    EXPECT_EQ(fit->m_comment, "f(x) = 0.5X+2");
    EXPECT_EQ(fit->m_derived, 1);
    EXPECT_EQ(fit->m_originCode, 3);
    EXPECT_EQ(*fit->m_x, x);
    EXPECT_EQ(*fit->m_y, y);
    CTreeCtrl& t = map->GetTreeCtrl();
    HTREEITEM item = map->FindDataSetItem(fit->m_id);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(t.GetItemText(t.GetParentItem(item)), "Linear fit");
    EXPECT_EQ(t.GetItemText(item), "Linear(Import 1 - Voltage)");
    // The fit still links to the data it was made from.
    ASSERT_EQ(fit->m_linkCount, 1);
    const CDataTreeBrench* source = fresh->m_dataList.FindById(fit->m_links[0]);
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(source->m_name, "Voltage");
    second.ExitInstance();
}

// A QK's pressure run, its fit and the graph of both, saved and opened in a fresh program: the
// fitted line reads as the pressure it fits, on that pressure's scale, in every unit.
TEST_F(LinearFitProgram, AReopenedFitIsDrawnOnItsSourcesScaleInItsSourcesUnit) {
    CDataTreeBrench* run = doc->AddDataGroup("Exp. 1");
    auto x = std::make_shared<CDataArray>();
    auto y = std::make_shared<CDataArray>();
    for (int i = 0; i < 20; ++i) {
        x->push_back(i);
        y->push_back(100 + 0.5 * i);
    }
    // As a run adds it: origin 1, input 4 with the sensor's range 0..400 kPa, model "d".
    CDataTreeBrench* pressure =
        doc->AddDataBranch(run, std::move(x), std::move(y), "Pressure", 41, "KPa",
                           CPreciseDateTime(2024, 5, 6, 7, 8, 9), 1, -1, 0, "", 4, 0, 400);
    ASSERT_NE(pressure, nullptr);
    pressure->m_modelCode = 100;
    graph->ShowDataSet(pressure);
    ASSERT_TRUE(testing_support::ChooseMenuCommand(*frame, ID_LINEAR_FIT));
    ASSERT_EQ(graph->m_plotCount, 2);
    graph->OnAddGraphToProject();
    const CString path = CVarnelDoc::GetProjectFolder() + "Pressure.vnp";
    modals.ExpectFileDialog(path);
    ASSERT_TRUE(testing_support::ChooseMenuCommand(*frame, ID_FILE_SAVE));
    ASSERT_EQ(modals.Pending(), 0u);
    app.ExitInstance();
    exited = true;

    CVarnelApp second;
    ASSERT_TRUE(second.InitInstance());
    CVarnelDoc* fresh = second.GetDocument();
    modals.ExpectFileDialog(path);
    ASSERT_TRUE(testing_support::ChooseMenuCommand(*second.GetMainFrame(), ID_FILE_OPEN));
    ASSERT_EQ(modals.Pending(), 0u);
    CGraphView* shown = fresh->GetGraphView();
    ASSERT_EQ(shown->m_plotCount, 2);
    const CDataTreeBrench* source = shown->m_plots[0].dataSet;
    const CDataTreeBrench* fit = shown->m_plots[1].dataSet;
    ASSERT_TRUE(source && fit);
    EXPECT_EQ(fit->m_modelCode, 100);
    EXPECT_EQ(fit->m_unit, "KPa");
    const CDispatchDriver axes = shown->GetGraph().GetAxes();
    struct Case {
        BYTE unit;  // the settings' pressure unit
        const char* caption;
        const char* format;
    } cases[] = {
        {0, "Linear(Exp. 1 - Pressure)(kPa)", ".##"},
        {1, "Linear(Exp. 1 - Pressure)(psi)", "*0.1450377.##"},
        {5, "Linear(Exp. 1 - Pressure)(mBar)", "*10.##"},
    };
    for (const Case& c : cases) {
        fresh->GetSettings()->m_pressureUnit = c.unit;
        shown->UpdateAxisCaptions(-1);
        EXPECT_EQ(axes.Item(3).GetString(-518), c.caption);
        EXPECT_EQ(axes.Item(3).GetString(11), c.format) << c.caption;
        EXPECT_EQ(axes.Item(2).GetString(11), c.format) << "the same as the data it fits";
    }
    // One scale for both: the data's range (100..109.5) and the sensor's stored one (140..260),
    // with the margin: 90..288.89.
    for (int a : {2, 3}) {
        EXPECT_NEAR(shown->GetAxisMinimum(a), 90, 1e-9) << a;
        EXPECT_NEAR(shown->GetAxisMaximum(a), 260 / 0.9, 1e-9) << a;
    }
    second.ExitInstance();
}

}  // namespace
