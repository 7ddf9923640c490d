// The table in the whole program: the data map's renames and deletions, File > Unit settings and
// the table's export command reach it through the main frame and the document.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QUrl>
#include <numeric>

#include "RES/dialogs/option_dialogs.h"
#include "RES/dialogs/print_selection.h"
#include "app/data_tree_view.h"
#include "app/main_frame.h"
#include "app/varnel_app.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_frame.h"
#include "displays/graph/graph_view.h"
#include "displays/table/table_view.h"
#include "logger/dorvik.h"
#include "logger/helpers.h"
#include "logger/settings.h"
#include "platform/activex/graph_model.h"
#include "platform/ui/controls.h"
#include "platform/ui/shell.h"
#include "tests/support/core/sim_port.h"
#include "tests/support/harness.h"
#include "tests/support/user_commands.h"

namespace {

using testing_support::ChooseMenuCommand;
using testing_support::Press;

class DataMapTable : public testing_support::HarnessTest {
protected:
    void SetUp() override {
        Start();
        volts = Add("Voltage", "V");
        AddHeat();
        graph->ShowDataSet(volts);
        graph->ShowDataSet(heat);
        ASSERT_EQ(table->GetColumnCount(), 2);
    }
    void Start() {
        ASSERT_TRUE(app.InitInstance());
        frame = app.GetMainFrame();
        doc = app.GetDocument();
        graph = doc->GetGraphView();
        table = doc->GetTableView();
        tree = doc->GetDataTreeView();
        ASSERT_TRUE(frame && graph && table && tree);
        experiment = doc->AddDataGroup("Exp. 1");
    }
    void AddHeat() {
        heat = Add("Heat",
                   "\xC2\xB0"
                   "C");
        // A Dorvik's temperature input.
        heat->m_modelCode = 0;
        heat->m_inputKind = 4;
        ASSERT_TRUE(IsTemperatureSensor(heat));
    }
    void TearDown() override { app.ExitInstance(); }

    // Samples start, start + 1, ... one a second.
    CDataTreeBrench* Add(const char* name, const char* unit, int count = 30, double start = 0) {
        auto x = std::make_shared<CDataArray>(count);
        std::iota(x->begin(), x->end(), 0.0);
        auto y = std::make_shared<CDataArray>(count);
        std::iota(y->begin(), y->end(), start);
        return doc->AddDataBranch(experiment, std::move(x), std::move(y), name, 41, unit,
                                  CPreciseDateTime(2024, 5, 6, 7, 8, 9), 0, -1, 0, "", 255,
                                  9999999.0, -9999999.0);
    }
    CString Cell(int row, int col) const { return table->GetGrid()->GetItemText(row, col); }
    // The table's export command, as the main frame routes it; the files it opens.
    std::vector<QString> ExportTable() {
        std::vector<QString> opened;
        QDir().mkpath(GetDataRoot().ToQString());
        platform::SetShellOpener([&](const QUrl& url) {
            opened.push_back(url.toLocalFile());
            return true;
        });
        frame->SendMessage(WM_COMMAND, ID_TABLE_EXPORT, 0);
        platform::SetShellOpener({});
        return opened;
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

// What a user sees of the graph's title and first Y axis.
struct FirstAxisLook {
    CString title, caption, format, xFormat;
    double min, max;
    COLORREF colour, labels, captionColour;
    bool autoscale;
    bool operator==(const FirstAxisLook&) const = default;
    friend void PrintTo(const FirstAxisLook& l, std::ostream* os) {
        *os << "title \"" << l.title.GetString() << "\" caption \"" << l.caption.GetString()
            << "\" format \"" << l.format.GetString() << "\" X format \"" << l.xFormat.GetString()
            << "\" " << l.min << ".." << l.max << (l.autoscale ? " auto" : "") << " colours "
            << l.colour << "/" << l.labels << "/" << l.captionColour;
    }
};

class NewProjectGraph : public DataMapTable {
protected:
    void SetUp() override {
        Start();
        fresh = Look();
        AddHeat();
    }
    FirstAxisLook Look() const {
        const auto model = std::dynamic_pointer_cast<platform::graph::GraphModel>(
            graph->GetGraph().GetGraph().GetHandle().Target());
        EXPECT_TRUE(model);
        const platform::graph::GraphState& s = model->State();
        const platform::graph::Axis& a = s.axes.at(1);
        return {s.caption,      a.caption,  a.format.Text(), s.axes.at(0).format.Text(),
                a.min,          a.max,      a.color,         a.ticks.color,
                a.captionColor, a.autoscale};
    }
    FirstAxisLook fresh;
};

TEST_F(NewProjectGraph, StartsWithTheGraphOfAFreshStart) {
    doc->GetSettings()->m_temperatureUnit = 1;
    graph->ShowDataSet(heat);
    graph->SetGraphTitle("Boiling");
    const FirstAxisLook shown = Look();
    ASSERT_NE(shown.format, fresh.format) << "the axis reads in degrees Fahrenheit";
    ASSERT_NE(shown.colour, fresh.colour);
    ASSERT_EQ(shown.title, CString("Boiling"));

    doc->m_modified = 0;  // no save question
    ASSERT_TRUE(testing_support::UseCommand(*frame, ID_NEW_PROJECT));
    EXPECT_EQ(graph->m_plotCount, 0);
    EXPECT_EQ(Look(), fresh);
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
    EXPECT_EQ(ExportTable(), (std::vector<QString>{(GetDataRoot() + "tmp~0.csv").ToQString()}));
}

// Heat alone, with a port where no logger answers: the search for one goes on while commands run.
class HeatAlone : public DataMapTable {
protected:
    void SetUp() override {
        Start();
        AddHeat();
        graph->ShowDataSet(heat);
        ASSERT_EQ(table->GetColumnCount(), 1);
    }
    testing_support::SimulatedComPort silent{2, CDorvik::kBasicBaudRate};
};

TEST_F(HeatAlone, InFahrenheitWhatTheUserTypesIsStoredInCelsiusAndPrintedAsTyped) {
    modals.ExpectDialog(IDD_UNIT_SETTINGS, [](CDialog& d) {
        auto& t = dynamic_cast<CComboBox&>(*d.GetDlgItem(IDC_TEMPERATURE_UNIT));
        t.SetCurSel(1);
        d.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_TEMPERATURE_UNIT, CBN_SELCHANGE));
        Press(d, IDOK);
    });
    ASSERT_TRUE(ChooseMenuCommand(*frame, ID_UNIT_SETTINGS));
    ASSERT_EQ(doc->GetSettings()->m_temperatureUnit, 1);

    // 75 °F typed over the 35.6 °F of sample 2 is (75 - 32) x 5 / 9 = 23.89 °C.
    table->FillGrid(0);
    ASSERT_EQ(Cell(4, 2), "35.6");
    CGridCtrl& grid = *table->GetGrid();
    grid.SetItemText(4, 2, "75");
    table->SendMessage(UM_GRID_VALUE_CHANGED, PackCellID(CCellID(4, 2)));
    EXPECT_NEAR((*heat->m_y)[2], 23.888889, 1e-6);
    EXPECT_EQ(Cell(4, 2), "75");
    ASSERT_TRUE(ChooseMenuCommand(*frame, ID_VIEW_TABLE));
    testing_support::SaveTestImage(testing_support::RenderWidget(grid.GetWidget()),
                                   "table_in_fahrenheit");

    // File > Print, the table: the page shows what the table shows.
    std::vector<QString> printed;
    modals.ExpectDialog(IDD_PRINT_SELECTION, [](CDialog& d) {
        testing_support::SetChecked(d, IDC_PRINT_TABLE, true);
        Press(d, IDC_PRINT);
    });
    modals.ExpectPrint(env.File("fahrenheit.pdf"), [&] {
        testing_support::RecordingDevice page(2480, 3508, 300);
        QPainter painter(&page);
        CDC dc(&painter, true);
        CPrintInfo info;
        int endRow = 0;
        grid.OnBeginPrinting(&dc, &info, endRow, 0, 29);
        info.m_nCurPage = 1;
        grid.OnPrint(&dc, &info, "Varnel table", endRow, 0, nullptr);
        grid.OnEndPrinting(&dc, &info);
        for (const auto& t : page.SortedTexts())
            printed.push_back(t.text);
    });
    ASSERT_TRUE(ChooseMenuCommand(*frame, ID_FILE_PRINT));
    EXPECT_EQ(modals.Pending(), 0u);
    const QString heading = ("Heat (" + table->GetUnitText(heat) + ")").ToQString();
    EXPECT_NE(std::find(printed.begin(), printed.end(), heading), printed.end());
    const auto after = [&](const QString& first) {
        const auto at = std::find(printed.begin(), printed.end(), first);
        return at + 2 < printed.end() ? std::vector<QString>(at, at + 3) : std::vector<QString>();
    };
    EXPECT_EQ(after("2"), (std::vector<QString>{"2", "2", "75"}));
    EXPECT_EQ(after("3"), (std::vector<QString>{"3", "3", "37.4"}));

    // The table's export (on no menu, see above) writes it alike.
    const std::vector<QString> opened = ExportTable();
    ASSERT_EQ(opened.size(), 1u);
    QFile exported(opened[0]);
    ASSERT_TRUE(exported.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList lines = QString::fromUtf8(exported.readAll()).split('\n');
    ASSERT_GT(lines.size(), 5);
    EXPECT_EQ(lines[1], "Time (s),Heat (°F),Comment");
    EXPECT_EQ(lines[4], "2,75,");
    EXPECT_EQ(lines[5], "3,37.4,");
}

// ---- the units shown ----

struct UnitCase {
    const char* unit;
    bool pressure;
    BYTE choice;             // the settings' temperature or pressure unit
    const char* statistics;  // of 20 .. 28 °C or 100 .. 108 kPa, one a second
    const char* equation;  // the fit's, as the graph shows it: 1 °C/s + 20 °C or 1 kPa/s + 100 kPa
};

void PrintTo(const UnitCase& c, std::ostream* os) {
    *os << c.unit;
}

// Minimum, maximum and average convert as the values do; the deviation (2.7386 in °C and kPa) and
// the slope only by the factor. Numbers keep two decimals after their leading zeros.
const UnitCase kUnitCases[] = {
    {"°C", false, 0, "Min. = 20, Max. = 28, Average = 24, Std. Dev. = 2.74", "f(x) = 1X+20"},
    // 20 x 1.8 + 32 = 68, 28 x 1.8 + 32 = 82.4, 24 x 1.8 + 32 = 75.2, 2.7386 x 1.8 = 4.93
    {"°F", false, 1, "Min. = 68, Max. = 82.40, Average = 75.20, Std. Dev. = 4.93",
     "f(x) = 1.8X+68"},
    // + 273.15
    {"°K", false, 2, "Min. = 293.15, Max. = 301.15, Average = 297.15, Std. Dev. = 2.74",
     "f(x) = 1X+293.15"},
    {"kPa", true, 0, "Min. = 100, Max. = 108, Average = 104, Std. Dev. = 2.74", "f(x) = 1X+100"},
    // x 0.1450377: 14.504, 15.664, 15.0839, 0.3972
    {"psi", true, 1, "Min. = 14.50, Max. = 15.66, Average = 15.084, Std. Dev. = 0.40",
     "f(x) = 0.145X+14.504"},
    // x 7.5006156: 750.0616, 810.0665, 780.0640, 20.5413
    {"mm Hg", true, 2, "Min. = 750.062, Max. = 810.066, Average = 780.064, Std. Dev. = 20.54",
     "f(x) = 7.501X+750.062"},
    // x 0.2952998: 29.530, 31.892, 30.711, 0.8087
    {"Inches Hg", true, 3, "Min. = 29.53, Max. = 31.89, Average = 30.71, Std. Dev. = 0.81",
     "f(x) = 0.295X+29.53"},
    // x 0.0098692: 0.98692, 1.06587, 1.02640, 0.02703
    {"atm", true, 4, "Min. = 0.99, Max. = 1.066, Average = 1.026, Std. Dev. = 0.027",
     "f(x) = 0.01X+0.987"},
    // x 10
    {"mBar", true, 5, "Min. = 1000, Max. = 1080, Average = 1040, Std. Dev. = 27.39",
     "f(x) = 10X+1000"},
};

// One data set, of a Dorvik's temperature (input kind 4) or pressure (kind 6) input.
class UnitsShown : public DataMapTable, public testing::WithParamInterface<UnitCase> {
protected:
    void SetUp() override {
        Start();
        const UnitCase& c = GetParam();
        CSettings& settings = *doc->GetSettings();
        (c.pressure ? settings.m_pressureUnit : settings.m_temperatureUnit) = c.choice;
        set = c.pressure ? Add("Pressure", "kPa", 9, 100)
                         : Add("Air",
                               "\xC2\xB0"
                               "C",
                               9, 20);
        set->m_modelCode = 0;
        set->m_inputKind = c.pressure ? 6 : 4;
        graph->ShowDataSet(set);
    }
    testing_support::SimulatedComPort silent{2, CDorvik::kBasicBaudRate};
    CDataTreeBrench* set = nullptr;
};

TEST_P(UnitsShown, StatisticsAndTheFitsEquationAreInTheUnitOfTheGraph) {
    const UnitCase& c = GetParam();
    const auto* graphFrame = dynamic_cast<CGraphFrame*>(graph->GetParentFrame());
    ASSERT_NE(graphFrame, nullptr);
    ASSERT_TRUE(ChooseMenuCommand(*frame, ID_STATISTICS));
    EXPECT_EQ(graphFrame->m_readoutText, CString(c.statistics));
    ASSERT_TRUE(ChooseMenuCommand(*frame, ID_LINEAR_FIT));
    EXPECT_EQ(graphFrame->m_readoutText, CString(c.equation));
    // The project keeps the equation of the values as they are kept.
    const CDataTreeBrench* fit = doc->m_dataList.FindByName(
        CString("Linear(Exp. 1 - ") + (c.pressure ? "Pressure" : "Air") + ")");
    ASSERT_NE(fit, nullptr);
    EXPECT_EQ(fit->m_comment, c.pressure ? "f(x) = 1X+100" : "f(x) = 1X+20");
}

// In single-axis mode the fit is drawn on the axis of the data it fits. Saved with its graph and
// opened again in the unit chosen, it comes back as it was made: on that axis, in that unit, with
// no scale of its own.
TEST_P(UnitsShown, AFitOpenedAgainIsOnItsSourcesAxisInItsUnit) {
    const UnitCase& c = GetParam();
    ASSERT_TRUE(ChooseMenuCommand(*frame, ID_SINGLE_AXIS));
    ASSERT_TRUE(doc->GetSettings()->m_singleAxis);
    graph->ShowDataSet(set);
    ASSERT_TRUE(ChooseMenuCommand(*frame, ID_LINEAR_FIT));
    ASSERT_EQ(graph->m_plotCount, 2);
    const CString name = c.pressure ? "Pressure" : "Air";
    struct Look {
        CString caption, format;
        bool ownScale;
        double lo, hi;
        bool operator==(const Look&) const = default;
    };
    const auto look = [&](int axis) {
        const CDispatchDriver a = doc->GetGraphView()->GetGraph().GetAxes().Item(axis);
        return Look{a.GetString(-518), a.GetString(11), a.GetBool(13), a.GetDouble(3),
                    a.GetDouble(2)};
    };
    const Look made = look(3);
    EXPECT_EQ(made.caption, "Linear(Exp. 1 - " + name + ")(" + c.unit + ")");
    EXPECT_FALSE(made.ownScale);
    ASSERT_TRUE(ChooseMenuCommand(*frame, ID_GRAPH_ADD_TO_PROJECT));
    const CString path = CVarnelDoc::GetProjectFolder() + "Units.vnp";
    modals.ExpectFileDialog(path);
    ASSERT_TRUE(ChooseMenuCommand(*frame, ID_FILE_SAVE));
    modals.ExpectFileDialog(path);
    ASSERT_TRUE(ChooseMenuCommand(*frame, ID_FILE_OPEN));
    ASSERT_EQ(modals.Pending(), 0u);

    const CGraphView* shown = doc->GetGraphView();
    ASSERT_EQ(shown->m_plotCount, 2);
    ASSERT_TRUE(shown->m_plots[0].dataSet && shown->m_plots[1].dataSet);
    EXPECT_EQ(shown->m_plots[1].dataSet->m_unit, shown->m_plots[0].dataSet->m_unit);
    EXPECT_EQ(look(3), made);
    EXPECT_EQ(look(3).format, look(2).format);
    EXPECT_EQ(look(3).lo, look(2).lo);
    EXPECT_EQ(look(3).hi, look(2).hi);
}

INSTANTIATE_TEST_SUITE_P(EveryUnit, UnitsShown, testing::ValuesIn(kUnitCases));

}  // namespace
