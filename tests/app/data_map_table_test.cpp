// The table in the whole program: the data map's renames and deletions, File > Unit settings and
// the table's export command reach it through the main frame and the document.

#include <gtest/gtest.h>

#include <QDir>
#include <QUrl>
#include <numeric>

#include "RES/dialogs/option_dialogs.h"
#include "app/data_tree_view.h"
#include "app/main_frame.h"
#include "app/varnel_app.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_view.h"
#include "displays/table/table_view.h"
#include "logger/dorvik.h"
#include "logger/helpers.h"
#include "logger/settings.h"
#include "platform/ui/controls.h"
#include "platform/ui/shell.h"
#include "tests/support/harness.h"
#include "tests/support/sim_port.h"
#include "tests/support/user_commands.h"

namespace {

using testing_support::Press;

class DataMapTable : public testing_support::HarnessTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(app.InitInstance());
        frame = app.GetMainFrame();
        doc = app.GetDocument();
        graph = doc->GetGraphView();
        table = doc->GetTableView();
        tree = doc->GetDataTreeView();
        ASSERT_TRUE(frame && graph && table && tree);
        experiment = doc->AddDataGroup("Exp. 1");
        volts = Add("Voltage", "V");
        heat = Add("Heat", "\xC2\xB0" "C");
        // A Dorvik's temperature input.
        heat->m_modelCode = 0;
        heat->m_inputKind = 4;
        ASSERT_TRUE(IsTemperatureSensor(heat));
        graph->ShowDataSet(volts);
        graph->ShowDataSet(heat);
        ASSERT_EQ(table->GetColumnCount(), 2);
    }
    void TearDown() override { app.ExitInstance(); }

    CDataTreeBrench* Add(const char* name, const char* unit) {
        auto x = std::make_shared<CDataArray>(30);
        std::iota(x->begin(), x->end(), 0.0);
        auto y = std::make_shared<CDataArray>(*x);
        return doc->AddDataBranch(experiment, std::move(x), std::move(y), name, 41, unit,
                                  CPreciseDateTime(2024, 5, 6, 7, 8, 9), 0, -1, 0, "", 255,
                                  9999999.0, -9999999.0);
    }
    CString Cell(int row, int col) const { return table->GetGrid()->GetItemText(row, col); }

    testing_support::NoComPorts noPorts;
    // A port where no logger answers: the program's search for one waits on the clock.
    testing_support::SimulatedComPort silent{2, CDorvik::kBasicBaudRate};
    CVarnelApp app;
    CMainFrame* frame = nullptr;
    CVarnelDoc* doc = nullptr;
    CGraphView* graph = nullptr;
    CTableView* table = nullptr;
    CDataTreeView* tree = nullptr;
    CDataTreeBrench* experiment = nullptr;
    CDataTreeBrench* volts = nullptr;
    CDataTreeBrench* heat = nullptr;
};

TEST_F(DataMapTable, RenamesRetitleTheTableAndRemovalsTakeTheColumnsAway) {
    ASSERT_TRUE(tree->Rename(tree->FindDataSetItem(volts->m_id), "Supply"));
    EXPECT_EQ(Cell(1, 2), "Supply (V)");
    ASSERT_TRUE(tree->Rename(tree->FindExperimentItem(experiment->m_id), "Boiling"));
    EXPECT_EQ(Cell(0, 2), "Boiling");
    EXPECT_EQ(Cell(0, 3), "Boiling");

    // Display on a shown data set hides it from the graph and the table.
    tree->DisplayPlot(tree->FindDataSetItem(volts->m_id));
    EXPECT_EQ(graph->FindPlotByDataSet(volts->m_id), -1);
    ASSERT_EQ(table->GetColumnCount(), 1);
    EXPECT_EQ(table->GetColumn(0).dataSet, heat);

    // A deleted data set leaves no column behind to read it on the next refill.
    const DWORD heatId = heat->m_id;
    ASSERT_TRUE(tree->DeleteDataSet(tree->FindDataSetItem(heatId)));
    EXPECT_EQ(doc->m_dataList.FindById(heatId), nullptr);
    EXPECT_EQ(table->GetColumnCount(), 0);
    table->FillGrid(-1);
    EXPECT_EQ(Cell(1, 2), "");
}

TEST_F(DataMapTable, ANewOrOpenedProjectEmptiesTheTable) {
    const CString path = CVarnelDoc::GetProjectFolder() + "Two.vnp";
    modals.ExpectFileDialog(path);
    ASSERT_TRUE(doc->SaveProject(true));
    // The open replaces the data sets the table shows.
    ASSERT_TRUE(doc->OpenProject(path));
    EXPECT_EQ(table->GetColumnCount(), 0);
    table->FillGrid(-1);

    CDataTreeBrench* reopened = nullptr;
    for (int i = 0; i < doc->m_dataList.GetCount(); ++i)
        if (doc->m_dataList.GetAt(i)->m_name == "Voltage") reopened = doc->m_dataList.GetAt(i);
    ASSERT_NE(reopened, nullptr);
    graph->ShowDataSet(reopened);
    ASSERT_EQ(table->GetColumnCount(), 1);
    doc->m_modified = 0;  // no save question
    ASSERT_TRUE(testing_support::UseCommand(*frame, ID_NEW_PROJECT));
    EXPECT_EQ(doc->m_dataList.GetCount(), 1) << "only the Linear fit group";
    EXPECT_EQ(table->GetColumnCount(), 0);
}

TEST_F(DataMapTable, UnitSettingsRetitleTheTableAndExportIsTheDocumentsCommand) {
    const CString before = Cell(1, 3);
    modals.ExpectDialog(IDD_UNIT_SETTINGS, [](CDialog& d) {
        auto& t = dynamic_cast<CComboBox&>(*d.GetDlgItem(IDC_TEMPERATURE_UNIT));
        t.SetCurSel(1);
        d.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_TEMPERATURE_UNIT, CBN_SELCHANGE));
        Press(d, IDOK);
    });
    ASSERT_TRUE(testing_support::UseCommand(*frame, ID_UNIT_SETTINGS));
    EXPECT_EQ(doc->GetSettings()->m_temperatureUnit, 1);
    EXPECT_NE(Cell(1, 3), before);
    EXPECT_EQ(Cell(1, 3), "Heat (" + table->GetUnitText(heat) + ")");
    EXPECT_EQ(Cell(1, 2), "Voltage (V)");

    // 4799 is on no menu; the main frame still routes it to the table.
    std::vector<QString> opened;
    QDir().mkpath(GetDataRoot().ToQString());
    platform::SetShellOpener([&](const QUrl& url) {
        opened.push_back(url.toLocalFile());
        return true;
    });
    frame->SendMessage(WM_COMMAND, ID_TABLE_EXPORT, 0);
    platform::SetShellOpener({});
    EXPECT_EQ(opened, (std::vector<QString>{(GetDataRoot() + "tmp~0.csv").ToQString()}));
}

}  // namespace
