// File > Import CSV File in the whole program: the file dialog and the questions answered by the
// script, the result seen in the data map, the graph and the table.

#include <gtest/gtest.h>

#include <set>

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
#include "logger/helpers.h"
#include "logger/settings.h"
#include "platform/activex/graph_model.h"
#include "platform/activex/graph_render.h"
#include "platform/ui/shell.h"
#include "tests/support/core/sim_port.h"
#include "tests/support/harness.h"
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
        // No logger is there to be found: the search at start ends in vain.
        modals.ExpectMessage(CDorvik::kConnectFailedText, IDOK);
        clock.RunPending();
        ASSERT_EQ(modals.Pending(), 0u);
    }
    void TearDown() override { app.ExitInstance(); }

    CString Write(const char* name, const std::string& bytes) {
        const CString path = env.File(name);
        QFile out(path.ToQString());
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes.data(), static_cast<qint64>(bytes.size()));
        return path;
    }
    // File > Import CSV File, as a user chooses it.
    void ChooseImport() { testing_support::ChooseMenuCommand(*frame, ID_IMPORT_CSV); }
    void Import(const CString& path) {
        modals.ExpectFileDialog(path);
        ChooseImport();
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
    ChooseImport();
    EXPECT_EQ(Now(), before);
    modals.ExpectFileDialog(path).ExpectMessage(CVarnelDoc::kDataChangedText, IDNO);
    ChooseImport();
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
    ChooseImport();
    EXPECT_EQ(Now(), before);
    modals.ExpectFileDialog(seconds)
        .ExpectMessage(CVarnelDoc::kRateChangedText, IDYES)
        .ExpectFileDialog("");
    ChooseImport();
    EXPECT_EQ(Now(), before);
    EXPECT_EQ(doc->GetLogger()->GetReportedRateCode(), 49);

    // Yes, saved: cleared, then imported.
    const CString saved = env.File("kept.vnp");
    modals.ExpectFileDialog(seconds)
        .ExpectMessage(CVarnelDoc::kRateChangedText, IDYES)
        .ExpectFileDialog(saved);
    ChooseImport();
    EXPECT_TRUE(QFile::exists(saved.ToQString()));
    EXPECT_EQ(Experiment("tenths.csv"), nullptr);
    ASSERT_EQ(DataSets().size(), 1u);
    EXPECT_EQ(DataSets()[0]->m_rateCode, 41);
    EXPECT_EQ(doc->GetLogger()->GetReportedRateCode(), 41);

    // No: cleared without saving.
    modals.ExpectFileDialog(path).ExpectMessage(CVarnelDoc::kRateChangedText, IDNO);
    ChooseImport();
    EXPECT_EQ(Experiment("seconds.csv"), nullptr);
    EXPECT_EQ(Now(), before);
    EXPECT_EQ(modals.Pending(), 0u);
}

TEST_F(CsvImportProgram, PredictModeQuestion) {
    const CString path = Write("tenths.csv", kTenthSeconds);
    graph->TogglePredictMode();
    ASSERT_TRUE(graph->m_predictMode);
    modals.ExpectMessage(CVarnelDoc::kEndPredictText, IDNO);
    ChooseImport();
    EXPECT_TRUE(graph->m_predictMode);
    EXPECT_TRUE(DataSets().empty());

    modals.ExpectMessage(CVarnelDoc::kEndPredictText, IDYES).ExpectFileDialog(path);
    ChooseImport();
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
        ChooseImport();
    }
    // Too many columns for the project.
    std::string wide = "Time (s)";
    for (int i = 0; i < CVarnelDoc::kMaxProjectBranches; ++i)
        wide += ",A (V)";
    wide += "\n0,1\n";
    modals.ExpectFileDialog(Write("wide.csv", wide)).ExpectMessage(CVarnelDoc::kNoRoomText, IDOK);
    ChooseImport();

    const CString missing = env.File("missing.csv");
    modals.ExpectFileDialog(missing).ExpectMessage(CString("Cannot open the file ") + missing + ".",
                                                   IDOK);
    ChooseImport();
    // A cancelled file dialog.
    modals.ExpectFileDialog("");
    ChooseImport();

    EXPECT_TRUE(DataSets().empty());
    EXPECT_EQ(graph->m_plotCount, 0);
    EXPECT_EQ(doc->m_modified, 0);
    EXPECT_EQ(modals.Pending(), 0u);

    // One data row: no step, rate code 0.
    Import(Write("one.csv", "Time (s),A (V)\n5,1\n"));
    ASSERT_EQ(DataSets().size(), 1u);
    EXPECT_EQ(DataSets()[0]->m_rateCode, 0);
}

// Times that step at none of the logger's rates are numbered as samples, and the user is told
// once; a step within the tolerance of a rate takes it.
TEST_F(CsvImportProgram, AStepOfNoRateGivesTheSamplesAxisAndSaysSo) {
    struct Case {
        const char* name;
        std::string bytes;
        bool told;
        WORD rate;
        const char* xCaption;
    } cases[] = {
        {"half.csv", "Time (s),Force (N),Mass (g)\n0,1,9\n0.5,2,9\n1,#N/A,9\n1.5,4,9\n", true, 0,
         "Samples"},
        {"half ms.csv", "Time (ms),Force (N)\n0,1\n500,2\n1000,3\n", true, 0, "Samples"},
        {"unreadable.csv", "Time (s),Force (N)\nstart,1\n0.1,2\n", true, 0, "Samples"},
        {"seven digits.csv", "Time (s),Force (N)\n0,1\n0.1000001,2\n0.2000002,3\n", false, 49,
         "Time(s)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        graph->RefreshGraph(TRUE);
        modals.ExpectFileDialog(Write(c.name, c.bytes));
        if (c.told) modals.ExpectMessage(CVarnelDoc::kCsvStepText, IDOK);
        // A rate unlike the last import's asks first; No clears without saving.
        if (doc->GetLogger()->GetReportedRateCode() != 255 &&
            doc->GetLogger()->GetReportedRateCode() != c.rate)
            modals.ExpectMessage(CVarnelDoc::kRateChangedText, IDNO);
        ChooseImport();
        EXPECT_EQ(modals.Pending(), 0u);
        CDataTreeBrench* experiment = Experiment(c.name);
        ASSERT_NE(experiment, nullptr);
        CDataTreeBrench* force = doc->m_dataList.GetNextDataSet(experiment->m_id);
        ASSERT_NE(force, nullptr);
        EXPECT_EQ(force->m_rateCode, c.rate);
        EXPECT_EQ(doc->GetLogger()->GetReportedRateCode(), c.rate);
        EXPECT_EQ(graph->GetGraph().GetAxes().Item(1).GetString(-518), c.xCaption);
        EXPECT_EQ(table->GetGrid()->GetItemText(1, 1), c.rate ? "Time (s)" : "Samples");
        // The table's samples are numbered as the graph's axis numbers them: from 0.
        if (!c.rate) {
            for (int r = 0; r < 2; ++r)
                EXPECT_EQ(table->GetGrid()->GetItemText(2 + r, 1), CString::Formatted("%d", r));
        }
    }
}

// A missing value is a gap in the imported data set, and the graph's line leaves it open.
TEST_F(CsvImportProgram, AMissingValueLeavesAGapInTheLine) {
    Import(Write("gap.csv", "Time (s),Force (N)\n0,1\n1,2\n2,#N/A\n3,4\n4,\n5,6\n6,7\n"));
    const std::vector<CDataTreeBrench*> sets = DataSets();
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(*sets[0]->m_x, (CDataArray{0, 1, 3, 5, 6}));
    ASSERT_EQ(graph->m_plotCount, 1);

    const auto model = std::dynamic_pointer_cast<platform::graph::GraphModel>(
        graph->GetGraph().GetGraph().GetHandle().Target());
    ASSERT_TRUE(model);
    const platform::graph::GraphState& state = model->State();
    ASSERT_EQ(state.plots.size(), 1u);
    const platform::graph::Plot& plot = state.plots[0];
    const platform::graph::GraphLayout layout =
        platform::graph::ComputeLayout(state, QSizeF(600, 400));
    const platform::graph::Trace trace = platform::graph::TracePlot(
        plot, layout.X(state), layout.Y(state.YAxisOf(plot)), layout.plot, 1);
    // Samples 0-1, 3 alone and 5-6: the lone sample draws no line, only the two runs do.
    std::vector<std::vector<double>> runs;
    size_t k = 0;
    for (const auto& run : trace.runs) {
        runs.emplace_back();
        for (size_t i = 0; i < run.size(); ++i)
            runs.back().push_back(plot.points->X()[trace.runIndexes[k++]]);
    }
    EXPECT_EQ(runs, (std::vector<std::vector<double>>{{0, 1}, {3}, {5, 6}}));
    testing_support::SaveTestImage(testing_support::RenderWidget(graph->GetWidget()),
                                   "csv_import_gap");
}

TEST_F(CsvImportProgram, ImportedCurvesAreDrawnInTheColoursOfTheirPlaces) {
    // The columns come from no sensor of ours; in the same colour they could not be told apart.
    Import(Write("three.csv", "Time (s),A (V),B (V),C (V)\n0,1,2,3\n1,2,3,4\n"));
    ASSERT_EQ(graph->m_plotCount, 3);
    const auto model = std::dynamic_pointer_cast<platform::graph::GraphModel>(
        graph->GetGraph().GetGraph().GetHandle().Target());
    ASSERT_TRUE(model);
    const platform::graph::GraphState& state = model->State();
    ASSERT_EQ(state.plots.size(), 3u);
    const CSettings& settings = *doc->GetSettings();
    std::set<COLORREF> drawn;
    for (int p = 0; p < 3; ++p) {
        SCOPED_TRACE(p);
        const COLORREF place = settings.m_lineRecords[p].lineColor;
        EXPECT_EQ(graph->m_plots[p].colour, place);
        EXPECT_EQ(state.plots[size_t(p)].lineColor, place);
        drawn.insert(state.plots[size_t(p)].lineColor);
    }
    EXPECT_EQ(drawn.size(), 3u);

    // Removing the first moves the others up into the colours of their new places.
    graph->RemovePlot(graph->m_plots[0].dataSet->m_id, 0);
    ASSERT_EQ(graph->m_plotCount, 2);
    for (int p = 0; p < 2; ++p)
        EXPECT_EQ(graph->m_plots[p].colour, settings.m_lineRecords[p].lineColor) << p;
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

// Files from other programs and desktops, each as the user finds it: the data sets with their
// samples and values, the times their rate gives them, and what the user is told. A refused file
// is refused before anything is asked, and the project stays as it was.
TEST_F(CsvImportProgram, FilesFromOtherProgramsReadRightOrSayWhy) {
    struct SetStruct {
        const char* name;
        const char* unit;
        CDataArray samples;
        CDataArray values;
    };
    struct Case {
        const char* name;
        std::string bytes;
        CString message;  // empty: nothing is said
        double step;      // seconds from one sample to the next; 0: numbered
        std::vector<SetStruct> sets;
        const char* list = ",";  // the desktop's list separator and decimal symbol
        const char* decimal = ".";
    };
    // Windows-1252, ";" between fields and decimal commas, as a decimal-comma desktop exports.
    const std::string europe =
        "Zeit (s);Temperatur (\xB0"
        "C);Spannung (V)\r\n0;20,0;3,3\r\n1;20,5;3,4\r\n";
    const std::vector<SetStruct> europeSets = {{"Temperatur",
                                                "\xC2\xB0"
                                                "C",
                                                {0, 1},
                                                {20, 20.5}},
                                               {"Spannung", "V", {0, 1}, {3.3, 3.4}}};
    const CString micro = CString::Formatted(CVarnelDoc::kCsvUnitNumberedText, "\xC2\xB5s");
    const CString minutes = CString::Formatted(CVarnelDoc::kCsvUnitAsSecondsText, "min");
    const Case cases[] = {
        {"jump.csv",
         "Time (s),Temp (C)\n0,20\n1,21\n2,22\n3,23\n10,30\n11,31\n12,32\n",
         "",
         1,
         {{"Temp", "C", {0, 1, 2, 3, 10, 11, 12}, {20, 21, 22, 23, 30, 31, 32}}}},
        {"two and a half.csv",
         "Time (s),Temp (C)\n0,20\n1,21\n2,22\n4.5,23\n",
         CVarnelDoc::kCsvStepText,
         0,
         {{"Temp", "C", {0, 1, 2, 3}, {20, 21, 22, 23}}}},
        {"no unit.csv",
         "Time,Force (N)\n0,1\n0.5,2\n",
         CVarnelDoc::kCsvStepText,
         0,
         {{"Force", "N", {0, 1}, {1, 2}}}},
        {"europe.csv", europe, "", 1, europeSets},
        {"europe at home.csv", europe, "", 1, europeSets, ";", ","},
        {"tenths.csv",
         "Zeit (s);Druck (kPa)\r\n0;101,5\r\n0,1;101,6\r\n0,2;101,7\r\n",
         "",
         0.1,
         {{"Druck", "kPa", {0, 1, 2}, {101.5, 101.6, 101.7}}}},
        {"points.csv",
         "Time (s);Force (N)\n0.0;1.5\n0.1;2.5\n",
         "",
         0.1,
         {{"Force", "N", {0, 1}, {1.5, 2.5}}}},
        {"text only.csv", "Time (s);Note\n0;start\n1;stop\n", CVarnelDoc::kNoDataRowsText, 0, {}},
        {"trailing.csv",
         "Time (s),Temp (C),Volt (V),\r\n0,1,2,\r\n1,2,3,\r\n",
         "",
         1,
         {{"Temp", "C", {0, 1}, {1, 2}}, {"Volt", "V", {0, 1}, {2, 3}}}},
        {"micro.csv",
         "Time (\xC2\xB5s),Force (N)\n0,1\n20000,2\n40000,3\n",
         micro,
         0,
         {{"Force", "N", {0, 1, 2}, {1, 2, 3}}}},
        {"minutes.csv",
         "Time (min),Force (N)\n0,1\n1,2\n2,3\n",
         minutes,
         1,
         {{"Force", "N", {0, 1, 2}, {1, 2, 3}}}},
        {"excel.csv",
         "Time (s),\"Force, left (N)\",Light (%)\r\n0,1.5,40\r\n0.1,2,41\r\n0.2,,42\r\n",
         "",
         0.1,
         {{"Force, left", "N", {0, 1}, {1.5, 2}}, {"Light", "%", {0, 1, 2}, {40, 41, 42}}}},
        {"bom.csv",
         "\xEF\xBB\xBFTime (s),Temperature (\xC2\xB0"
         "C)\r\n0,21.5\r\n1,22\r\n",
         "",
         1,
         {{"Temperature",
           "\xC2\xB0"
           "C",
           {0, 1},
           {21.5, 22}}}},
        {"units.csv",
         "Time (s),Winkel (\xC2\xB0),L\xC3\xA4nge (\xC2\xB5m)\n0,90,5\n1,45,6\n",
         "",
         1,
         {{"Winkel", "\xC2\xB0", {0, 1}, {90, 45}}, {"L\xC3\xA4nge", "\xC2\xB5m", {0, 1}, {5, 6}}}},
        {"midnight.csv",
         "Time (hh:mm:ss),T (C)\n23:59:58,1\n23:59:59,2\n00:00:00,3\n00:00:01,4\n",
         "",
         1,
         {{"T", "C", {0, 1, 2, 3}, {1, 2, 3, 4}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        doc->m_listSeparator = c.list;
        doc->m_decimalSymbol = c.decimal;
        graph->RefreshGraph(TRUE);
        const Seen before = Now();
        const WORD rate = [&]() -> WORD {
            for (WORD code = 1; code <= 255; ++code)
                if (c.step && RateInfo(code).intervalSeconds == c.step) return code;
            return 0;
        }();
        modals.ExpectFileDialog(Write(c.name, c.bytes));
        if (!c.message.IsEmpty()) modals.ExpectMessage(c.message, IDOK);
        const WORD reported = doc->GetLogger()->GetReportedRateCode();
        // A rate unlike the last import's asks first; No clears without saving.
        if (!c.sets.empty() && reported != 255 && reported != rate)
            modals.ExpectMessage(CVarnelDoc::kRateChangedText, IDNO);
        ChooseImport();
        EXPECT_EQ(modals.Pending(), 0u);
        CDataTreeBrench* experiment = Experiment(c.name);
        if (c.sets.empty()) {
            EXPECT_EQ(experiment, nullptr);
            EXPECT_EQ(Now(), before);
            continue;
        }
        ASSERT_NE(experiment, nullptr);
        size_t k = 0;
        for (CDataTreeBrench* d = doc->m_dataList.GetNextDataSet(experiment->m_id); d;
             d = doc->m_dataList.GetNextDataSet(d->m_id), ++k) {
            ASSERT_LT(k, c.sets.size());
            const SetStruct& e = c.sets[k];
            EXPECT_EQ(d->m_name, CString(e.name));
            EXPECT_EQ(d->m_unit, CString(e.unit));
            EXPECT_EQ(*d->m_x, e.samples) << e.name;
            ASSERT_EQ(d->m_y->size(), e.values.size());
            for (size_t i = 0; i < e.values.size(); ++i)
                EXPECT_DOUBLE_EQ((*d->m_y)[i], e.values[i]) << e.name << " " << i;
            EXPECT_EQ(d->m_rateCode, rate);
        }
        EXPECT_EQ(k, c.sets.size());
        EXPECT_EQ(graph->m_plotCount, static_cast<int>(c.sets.size()));
    }
}

}  // namespace
