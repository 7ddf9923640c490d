// File > Import CSV File in the whole program: the file dialog and the questions answered by the
// script, the result seen in the data map, the graph and the table.

#include <gtest/gtest.h>

#include <QFile>
#include <QLocale>
#include <QUrl>

#include "RES/commands.h"
#include "app/data_tree_view.h"
#include "app/main_frame.h"
#include "app/varnel_app.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_view.h"
#include "displays/table/table_view.h"
#include "logger/dorvik.h"
#include "logger/settings.h"
#include "platform/ui/shell.h"
#include "tests/support/harness.h"
#include "tests/support/sim_port.h"
#include "tests/support/user_commands.h"

namespace {

constexpr const char* kTenthSeconds =
    "Time (s),Pressure (kPa),Light (%)\r\n0,101.5,40\r\n0.1,,41\r\n0.2,102,#N/A\r\n\r\n";

class CsvImportProgram : public testing_support::HarnessTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(app.InitInstance());
        frame = app.GetMainFrame();
        doc = app.GetDocument();
        graph = doc->GetGraphView();
        table = doc->GetTableView();
        tree = doc->GetDataTreeView();
        ASSERT_TRUE(frame && graph && table && tree);
        doc->GetSettings()->m_recordingMode = 2;
    }
    void TearDown() override { app.ExitInstance(); }

    CString Write(const char* name, const std::string& bytes) {
        const CString path = env.File(name);
        QFile out(path.ToQString());
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes.data(), static_cast<qint64>(bytes.size()));
        return path;
    }
    void Import(const CString& path) {
        modals.ExpectFileDialog(path);
        ASSERT_TRUE(testing_support::UseCommand(*frame, ID_IMPORT_CSV));
    }
    std::vector<CDataTreeBrench*> DataSets() const {
        std::vector<CDataTreeBrench*> out;
        for (int i = 0; i < doc->m_dataList.GetCount(); ++i) {
            CDataTreeBrench* node = doc->m_dataList.GetAt(i);
            if (node->m_x) out.push_back(node);
        }
        return out;
    }
    CDataTreeBrench* Experiment(const char* name) const { return doc->m_dataList.FindByName(name); }
    // The project as the user sees it: data sets, plots, table columns.
    struct Seen {
        size_t dataSets;
        int plots;
        int columns;
        bool operator==(const Seen&) const = default;
    };
    Seen Now() const { return {DataSets().size(), graph->m_plotCount, table->GetColumnCount()}; }

    testing_support::NoComPorts noPorts;
    // A port where no logger answers: the program's search for one waits on the clock.
    testing_support::SimulatedComPort silent{2, CDorvik::kBasicBaudRate};
    CVarnelApp app;
    CMainFrame* frame = nullptr;
    CVarnelDoc* doc = nullptr;
    CGraphView* graph = nullptr;
    CTableView* table = nullptr;
    CDataTreeView* tree = nullptr;
};

TEST_F(CsvImportProgram, ImportAddsAnExperimentWithOnePlottedDataSetPerColumn) {
    const int columnsBefore = table->GetColumnCount();
    Import(Write("tenths.csv", kTenthSeconds));
    EXPECT_EQ(modals.Pending(), 0u);

    CDataTreeBrench* experiment = Experiment("tenths.csv");
    ASSERT_NE(experiment, nullptr);
    const std::vector<CDataTreeBrench*> sets = DataSets();
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_EQ(sets[0]->m_name, CString("Pressure"));
    EXPECT_EQ(sets[0]->m_unit, CString("kPa"));
    EXPECT_EQ(sets[1]->m_name, CString("Light"));
    EXPECT_EQ(sets[1]->m_unit, CString("%"));
    // Gaps hold no sample.
    EXPECT_EQ(*sets[0]->m_x, (CDataArray{0, 2}));
    EXPECT_EQ(*sets[0]->m_y, (CDataArray{101.5, 102}));
    EXPECT_EQ(*sets[1]->m_x, (CDataArray{0, 1}));
    for (CDataTreeBrench* set : sets) {
        EXPECT_EQ(set->m_rateCode, 49);
        EXPECT_EQ(set->m_startTime, CPreciseDateTime(2002, 7, 18, 0, 0, 0));
        EXPECT_EQ(set->m_modelCode, 100);
        EXPECT_EQ(doc->m_dataList.GetExperimentId(set->m_id), experiment->m_id);
    }
    EXPECT_EQ(doc->GetLogger()->GetReportedRateCode(), 49);
    EXPECT_EQ(graph->m_plotCount, 2);
    EXPECT_GT(table->GetColumnCount(), columnsBefore);
    EXPECT_EQ(doc->m_modified, 1);

    // Add mode and the same rate: the second file joins the first.
    Import(Write("again.csv", kTenthSeconds));
    EXPECT_NE(Experiment("tenths.csv"), nullptr);
    EXPECT_NE(Experiment("again.csv"), nullptr);
    EXPECT_EQ(DataSets().size(), 4u);
    EXPECT_EQ(graph->m_plotCount, 4);
}

TEST_F(CsvImportProgram, EqualRateByRecordingMode) {
    const CString path = Write("tenths.csv", kTenthSeconds);
    Import(path);
    const Seen one = Now();

    // Replace: the graph starts again, the data map keeps the first import.
    doc->GetSettings()->m_recordingMode = 1;
    Import(path);
    EXPECT_EQ(DataSets().size(), 4u);
    EXPECT_EQ(graph->m_plotCount, 2);

    // Single: the project is cleared first; Cancel on its question changes nothing.
    doc->GetSettings()->m_recordingMode = 0;
    const Seen before = Now();
    modals.ExpectFileDialog(path).ExpectMessage(CVarnelDoc::kDataChangedText, IDCANCEL);
    ASSERT_TRUE(testing_support::UseCommand(*frame, ID_IMPORT_CSV));
    EXPECT_EQ(Now(), before);
    modals.ExpectFileDialog(path).ExpectMessage(CVarnelDoc::kDataChangedText, IDNO);
    ASSERT_TRUE(testing_support::UseCommand(*frame, ID_IMPORT_CSV));
    EXPECT_EQ(DataSets().size(), 2u);
    EXPECT_EQ(Now(), one);
    EXPECT_EQ(modals.Pending(), 0u);
}

TEST_F(CsvImportProgram, DifferentRateAsksToSaveFirst) {
    const CString path = Write("tenths.csv", kTenthSeconds);
    const CString seconds = Write("seconds.csv", "Time (s),Force (N)\n0,1\n1,2\n2,3\n");
    Import(path);
    const Seen before = Now();

    // Cancel, and Yes with the save cancelled: nothing changes.
    modals.ExpectFileDialog(seconds).ExpectMessage(CVarnelDoc::kRateChangedText, IDCANCEL);
    ASSERT_TRUE(testing_support::UseCommand(*frame, ID_IMPORT_CSV));
    EXPECT_EQ(Now(), before);
    modals.ExpectFileDialog(seconds)
        .ExpectMessage(CVarnelDoc::kRateChangedText, IDYES)
        .ExpectFileDialog("");
    ASSERT_TRUE(testing_support::UseCommand(*frame, ID_IMPORT_CSV));
    EXPECT_EQ(Now(), before);
    EXPECT_EQ(doc->GetLogger()->GetReportedRateCode(), 49);

    // Yes, saved: cleared, then imported.
    const CString saved = env.File("kept.vnp");
    modals.ExpectFileDialog(seconds)
        .ExpectMessage(CVarnelDoc::kRateChangedText, IDYES)
        .ExpectFileDialog(saved);
    ASSERT_TRUE(testing_support::UseCommand(*frame, ID_IMPORT_CSV));
    EXPECT_TRUE(QFile::exists(saved.ToQString()));
    EXPECT_EQ(Experiment("tenths.csv"), nullptr);
    ASSERT_EQ(DataSets().size(), 1u);
    EXPECT_EQ(DataSets()[0]->m_rateCode, 41);
    EXPECT_EQ(doc->GetLogger()->GetReportedRateCode(), 41);

    // No: cleared without saving.
    modals.ExpectFileDialog(path).ExpectMessage(CVarnelDoc::kRateChangedText, IDNO);
    ASSERT_TRUE(testing_support::UseCommand(*frame, ID_IMPORT_CSV));
    EXPECT_EQ(Experiment("seconds.csv"), nullptr);
    EXPECT_EQ(Now(), before);
    EXPECT_EQ(modals.Pending(), 0u);
}

TEST_F(CsvImportProgram, PredictModeQuestion) {
    const CString path = Write("tenths.csv", kTenthSeconds);
    graph->TogglePredictMode();
    ASSERT_TRUE(graph->m_predictMode);
    modals.ExpectMessage(CVarnelDoc::kEndPredictText, IDNO);
    ASSERT_TRUE(testing_support::UseCommand(*frame, ID_IMPORT_CSV));
    EXPECT_TRUE(graph->m_predictMode);
    EXPECT_TRUE(DataSets().empty());

    modals.ExpectMessage(CVarnelDoc::kEndPredictText, IDYES).ExpectFileDialog(path);
    ASSERT_TRUE(testing_support::UseCommand(*frame, ID_IMPORT_CSV));
    EXPECT_FALSE(graph->m_predictMode);
    EXPECT_EQ(DataSets().size(), 2u);
    EXPECT_EQ(modals.Pending(), 0u);
}

TEST_F(CsvImportProgram, RefusalsChangeNothing) {
    struct Case {
        const char* name;
        std::string bytes;
        CString message;
    } cases[] = {
        {"time.csv", "Time\n0\n1\n", CVarnelDoc::kNoDataColumnsText},
        {"header.csv", "Time (s),A (V)\r\n", CVarnelDoc::kNoDataRowsText},
    };
    for (const Case& c : cases) {
        modals.ExpectFileDialog(Write(c.name, c.bytes)).ExpectMessage(c.message, IDOK);
        ASSERT_TRUE(testing_support::UseCommand(*frame, ID_IMPORT_CSV));
    }
    // Too many columns for the project.
    std::string wide = "Time (s)";
    for (int i = 0; i < CVarnelDoc::kMaxProjectBranches; ++i)
        wide += ",A (V)";
    wide += "\n0,1\n";
    modals.ExpectFileDialog(Write("wide.csv", wide)).ExpectMessage(CVarnelDoc::kNoRoomText, IDOK);
    ASSERT_TRUE(testing_support::UseCommand(*frame, ID_IMPORT_CSV));

    const CString missing = env.File("missing.csv");
    modals.ExpectFileDialog(missing).ExpectMessage(CString("Cannot open the file ") + missing + ".",
                                                   IDOK);
    ASSERT_TRUE(testing_support::UseCommand(*frame, ID_IMPORT_CSV));
    // A cancelled file dialog.
    modals.ExpectFileDialog("");
    ASSERT_TRUE(testing_support::UseCommand(*frame, ID_IMPORT_CSV));

    EXPECT_TRUE(DataSets().empty());
    EXPECT_EQ(graph->m_plotCount, 0);
    EXPECT_EQ(doc->m_modified, 0);
    EXPECT_EQ(modals.Pending(), 0u);

    // One data row: no step, rate code 0.
    Import(Write("one.csv", "Time (s),A (V)\n5,1\n"));
    ASSERT_EQ(DataSets().size(), 1u);
    EXPECT_EQ(DataSets()[0]->m_rateCode, 0);
}

TEST_F(CsvImportProgram, DateTimesGiveTheStartAndTheRate) {
    Import(Write("dated.csv", "Time (Date);T (C)\n25/12/08 10:00:00;1\n25/12/08 10:00:01;2\n"));
    ASSERT_EQ(DataSets().size(), 1u);
    EXPECT_EQ(DataSets()[0]->m_startTime, CPreciseDateTime(2008, 12, 25, 10, 0, 0));
    EXPECT_EQ(DataSets()[0]->m_rateCode, 41);
    EXPECT_EQ(DataSets()[0]->m_name, CString("T"));
}

}  // namespace

namespace {

TEST_F(CsvImportProgram, TheDataMapShowsTheImportExpanded) {
    CTreeCtrl& t = tree->GetTreeCtrl();
    t.Expand(tree->GetDataRoot(), TVE_COLLAPSE);
    ASSERT_FALSE(t.GetItemState(tree->GetDataRoot(), TVIS_EXPANDED) & TVIS_EXPANDED);
    Import(Write("tenths.csv", kTenthSeconds));
    EXPECT_TRUE(t.GetItemState(tree->GetDataRoot(), TVIS_EXPANDED) & TVIS_EXPANDED);
}

// A run exported to the spreadsheet file and imported back is the same run: names, units,
// values, gaps and sample times, with the separators of either kind of locale.
TEST_F(CsvImportProgram, OurOwnExportReadsBackAsTheSameData) {
    std::vector<QString> opened;
    platform::SetShellOpener([&](const QUrl& url) {
        opened.push_back(url.toLocalFile());
        return true;
    });
    CDataTreeBrench* run = doc->m_dataList.AddExperiment("Run 1");
    std::vector<CDataTreeBrench*> recorded;
    struct SetStruct {
        const char* name;
        const char* unit;
        CDataArray x, y;
    } sets[] = {
        {"Force, left", "N", {0, 1, 2, 3, 4}, {1.5, -2.25, 3.125, 0, 12.5}},
        {"Light", "%", {0, 2, 4}, {40, 41.5, 42}},
        {"Note \"A\"", "V", {1, 3}, {0.001, -7}},
    };
    for (const SetStruct& s : sets) {
        CDataTreeBrench* d = doc->m_dataList.InsertDataSet(
            run->m_id, std::make_shared<CDataArray>(s.x), std::make_shared<CDataArray>(s.y), s.name,
            49, s.unit, CPreciseDateTime(2010, 3, 4, 5, 6, 7), 1, 0, 0, "", 9999999, -9999999, 1);
        tree->AddDataSetItem(d->m_id, d->m_name);
        recorded.push_back(d);
    }

    for (bool decimalComma : {false, true}) {
        SCOPED_TRACE(decimalComma ? "decimal comma" : "decimal point");
        // The graph shows the run alone, not what an earlier pass imported.
        graph->RefreshGraph(TRUE);
        for (CDataTreeBrench* d : recorded)
            graph->ShowDataSet(d);
        ASSERT_EQ(graph->m_plotCount, 3);
        doc->m_listSeparator = decimalComma ? ";" : ",";
        doc->m_decimalSymbol = decimalComma ? "," : ".";
        opened.clear();
        graph->OnExportToExcel();
        ASSERT_EQ(opened.size(), 1u);
        const CString exported = CString(opened[0].toUtf8().constData());
        const CString copy = env.File(decimalComma ? "comma.csv" : "point.csv");
        ASSERT_TRUE(QFile::copy(exported.ToQString(), copy.ToQString()));
        Import(copy);
        EXPECT_EQ(modals.Pending(), 0u);
        CDataTreeBrench* back = Experiment(decimalComma ? "comma.csv" : "point.csv");
        ASSERT_NE(back, nullptr);
        size_t k = 0;
        for (CDataTreeBrench* d = doc->m_dataList.GetNextDataSet(back->m_id); d;
             d = doc->m_dataList.GetNextDataSet(d->m_id), ++k) {
            ASSERT_LT(k, std::size(sets));
            EXPECT_EQ(d->m_name, CString(sets[k].name));
            EXPECT_EQ(d->m_unit, CString(sets[k].unit));
            EXPECT_EQ(*d->m_x, sets[k].x) << sets[k].name;
            EXPECT_EQ(*d->m_y, sets[k].y) << sets[k].name;
            EXPECT_EQ(d->m_rateCode, 49);  // a sample every 0.1 s, as recorded
        }
        EXPECT_EQ(k, std::size(sets));
    }
    platform::SetShellOpener({});
}

}  // namespace
