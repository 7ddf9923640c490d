// The look a user gives the graph's lines, in the whole program with a simulated QK: what Format
// graph keeps in the settings reaches every graph made afterwards, Restore defaults paints no
// curve black, and each prediction is drawn in a colour of its own.

#include <gtest/gtest.h>

#include <QFile>
#include <QPainter>
#include <functional>
#include <memory>

#include "RES/commands.h"
#include "RES/dialogs/graph_format.h"
#include "RES/dialogs/selective_download.h"
#include "RES/dialogs/xy_setting.h"
#include "RES/graph_bars.h"
#include "app/data_tree_view.h"
#include "app/main_frame.h"
#include "app/varnel_app.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_format.h"
#include "displays/graph/graph_view.h"
#include "logger/dorvik.h"
#include "logger/settings.h"
#include "platform/activex/graph_model.h"
#include "platform/activex/graph_render.h"
#include "platform/ui/controls.h"
#include "platform/ui/property_sheet.h"
#include "tests/support/core/logger_link.h"
#include "tests/support/core/sim_port.h"
#include "tests/support/harness.h"
#include "tests/support/user_commands.h"
#include "tools/dorvik-sim/qk_model.h"

namespace {

using platform::graph::GraphState;
using platform::graph::Plot;

constexpr LONG kSquare = 2;  // the second picture of the marker combo
constexpr QSize kPicture(600, 400);

WORD StoredRaw(int channel, DWORD sample) {
    return WORD(300 + channel * 150 + (sample % 5) * 60);
}

class GraphLooksProgram : public testing_support::HarnessTest {
protected:
    void SetUp() override {
        auto model = std::make_unique<dorvik_sim::QkModel>();
        dorvik_sim::QkStoredSet set = dorvik_sim::MakeStoredSet(0x03, 12, StoredRaw);
        set.kind = 1;  // Easy Log
        model->storedSets[0] = set;
        qk = std::make_unique<testing_support::SimulatedComPort>(3, std::move(model));
        Start();
    }
    void TearDown() override {
        if (app) app->ExitInstance();
    }
    void Start() {
        app = std::make_unique<CVarnelApp>();
        ASSERT_TRUE(app->InitInstance());
        frame = app->GetMainFrame();
        doc = app->GetDocument();
        graph = doc->GetGraphView();
        tree = doc->GetDataTreeView();
        ASSERT_TRUE(frame && graph && tree);
        ASSERT_TRUE(Wait([&] { return frame->GetMessageText() == "Dorvik QK was detected"; }));
        ASSERT_TRUE(Wait([&] { return doc->GetLogger()->IsCommandQueueEmpty(); }));
    }
    void Restart() {
        app->ExitInstance();
        app.reset();
        Start();
    }
    bool Wait(const std::function<bool()>& done) { return testing_support::RunUntil(clock, done); }
    void Use(UINT id) { ASSERT_TRUE(testing_support::UseCommand(*frame, id)); }
    void PressGraphButton(UINT id) {
        ASSERT_TRUE(testing_support::PressToolbarButton(*graph->GetParentFrame(), id));
    }
    CSettings& Settings() { return *doc->GetSettings(); }

    // Logger > Download of the one stored set: a new experiment, plotted.
    void Download() {
        const int number = CVarnelDoc::GetExperimentCounter();
        modals.ExpectDialog(IDD_SELECTIVE_DOWNLOAD,
                            [](CDialog& d) { testing_support::Press(d, IDOK); });
        Use(ID_LOGGER_DOWNLOAD);
        ASSERT_TRUE(Wait([&] {
            return CVarnelDoc::GetExperimentCounter() > number && !doc->GetFetchProgress() &&
                   doc->GetLogger()->IsCommandQueueEmpty() && graph->m_plotCount >= 1;
        }));
        clock.Advance(300);
        EXPECT_EQ(modals.Pending(), 0u);
    }
    void Import(const char* name, const std::string& bytes) {
        const CString path = env.File(name);
        QFile out(path.ToQString());
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes.data(), static_cast<qint64>(bytes.size()));
        out.close();
        modals.ExpectFileDialog(path);
        ASSERT_TRUE(testing_support::ChooseMenuCommand(*frame, ID_IMPORT_CSV));
        EXPECT_EQ(modals.Pending(), 0u);
    }

    static void Pick(CGraphFormatLines& page, UINT id, int item) {
        auto* combo = static_cast<CComboBox*>(page.GetDlgItem(static_cast<int>(id)));
        combo->SetCurSel(item);
        platform::NotifyParent(combo->GetWidget(), CBN_SELCHANGE);
    }
    // Graph > Properties, the Lines page, `act` on it, then OK.
    void OnLinesPage(const std::function<void(CGraphFormatLines&)>& act) {
        modals.ExpectDialog(IDD_PROPERTY_SHEET, [&](CDialog& d) {
            auto& sheet = dynamic_cast<CGraphFormatProperty&>(d);
            sheet.SetActivePage(1);
            act(sheet.m_lines);
            testing_support::Press(d, IDOK);
        });
        Use(ID_GRAPH_PROPERTIES);
        EXPECT_EQ(modals.Pending(), 0u);
    }

    std::shared_ptr<platform::graph::GraphModel> Model() const {
        return std::dynamic_pointer_cast<platform::graph::GraphModel>(
            graph->GetGraph().GetGraph().GetHandle().Target());
    }
    const GraphState& State() const { return Model()->State(); }
    QImage Picture(const char* name) const {
        QImage image(kPicture, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            graph->GetGraph().GetGraphControl()->Render(painter, QRectF(QPointF(), kPicture),
                                                        QSizeF(kPicture));
        }
        testing_support::SaveTestImage(image, name);
        return image;
    }
    platform::graph::Trace TraceOf(size_t p) const {
        const GraphState& s = State();
        const Plot& plot = s.plots.at(p);
        const platform::graph::GraphLayout layout =
            platform::graph::ComputeLayout(s, QSizeF(kPicture));
        return platform::graph::TracePlot(plot, layout.X(s), layout.Y(s.YAxisOf(plot)), layout.plot,
                                          1);
    }
    // A marker is drawn in its colour all round the middle sample of plot p; a bare line
    // passes through at most two of the four corners.
    ::testing::AssertionResult MarkersDrawn(size_t p, const char* name) const {
        const QImage image = Picture(name);
        const platform::graph::Trace t = TraceOf(p);
        if (t.markers.empty()) return ::testing::AssertionFailure() << "no markers to draw";
        const QPoint c = t.markers[t.markers.size() / 2].toPoint();
        const COLORREF want = State().plots.at(p).markerColor;
        for (QPoint d : {QPoint(-2, -2), QPoint(2, -2), QPoint(-2, 2), QPoint(2, 2)})
            if (testing_support::Px(image, c.x() + d.x(), c.y() + d.y()) != want)
                return ::testing::AssertionFailure() << "no marker at " << c.x() << "," << c.y();
        return ::testing::AssertionSuccess();
    }
    // Plot p's line is drawn in `want` next to the middle of its first segment.
    static bool ColourNear(const QImage& image, QPointF at, COLORREF want) {
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                if (testing_support::Px(image, int(at.x()) + dx, int(at.y()) + dy) == want)
                    return true;
        return false;
    }
    ::testing::AssertionResult LineDrawnIn(const QImage& image, size_t p, COLORREF want) const {
        const platform::graph::Trace t = TraceOf(p);
        if (t.runs.empty() || t.runs[0].size() < 2)
            return ::testing::AssertionFailure() << "plot " << p << " draws no line";
        const QPointF mid = (t.runs[0][0] + t.runs[0][1]) / 2;
        if (!ColourNear(image, mid, want))
            return ::testing::AssertionFailure()
                   << "plot " << p << " is not drawn in " << std::hex << want;
        return ::testing::AssertionSuccess();
    }

    testing_support::NoComPorts noPorts;
    std::unique_ptr<testing_support::SimulatedComPort> qk;
    std::unique_ptr<CVarnelApp> app;
    CMainFrame* frame = nullptr;
    CVarnelDoc* doc = nullptr;
    CGraphView* graph = nullptr;
    CDataTreeView* tree = nullptr;
};

TEST_F(GraphLooksProgram, TheMarkersChosenWithOkAreOnEveryNewGraph) {
    Download();
    const CString project = CVarnelDoc::GetProjectFolder() + "Looks.vnp";
    modals.ExpectFileDialog(project);
    Use(ID_FILE_SAVE);
    ASSERT_EQ(modals.Pending(), 0u);

    OnLinesPage([](CGraphFormatLines& page) {
        Pick(page, IDC_FORMAT_ENTRIES, 1);
        testing_support::SetChecked(page, IDC_FORMAT_MARKER_VISIBLE, true);
        Pick(page, IDC_FORMAT_MARKER_STYLE, 1);
    });
    ASSERT_EQ(Settings().m_lineRecords[0].markerStyle, kSquare);
    ASSERT_TRUE(Settings().m_lineRecords[0].markerVisible);
    EXPECT_TRUE(MarkersDrawn(0, "line_looks_formatted"));

    struct Path {
        const char* name;
        std::function<void()> makeGraph;
    };
    const Path paths[] = {
        {"File > Open, then the experiment ticked in the data map",
         [&] {
             // The look just chosen marked the project changed.
             modals.ExpectMessage(CVarnelDoc::kSaveBeforeOpenText, IDNO).ExpectFileDialog(project);
             Use(ID_FILE_OPEN);
             const CDataTreeBrench* experiment = tree->GetLastExperiment(doc->m_dataList);
             ASSERT_NE(experiment, nullptr);
             for (const CDataTreeBrench* d = doc->m_dataList.GetNextDataSet(experiment->m_id); d;
                  d = doc->m_dataList.GetNextDataSet(d->m_id))
                 tree->DisplayPlot(tree->FindDataSetItem(d->m_id));
         }},
        {"a download after a restart",
         [&] {
             Restart();
             Download();
         }},
        {"leaving Y vs X",
         [&] {
             modals.ExpectDialog(IDD_XY_SETTING, [](CDialog& d) {
                 auto* combo = dynamic_cast<CComboBox*>(d.GetDlgItem(IDC_XY_PLOTS));
                 combo->SetCurSel(combo->GetCount() - 1);  // a plotted data set
                 testing_support::Press(d, IDOK);
             });
             PressGraphButton(ID_GV_Y_VS_X);
             ASSERT_EQ(graph->m_yVsX, 1);
             PressGraphButton(ID_GV_Y_VS_X);
             ASSERT_EQ(graph->m_yVsX, 0);
         }},
        {"leaving the bar graph",
         [&] {
             PressGraphButton(ID_GV_BAR_GRAPH);
             ASSERT_EQ(graph->m_barGraph, 1);
             PressGraphButton(ID_GV_BAR_GRAPH);
             ASSERT_EQ(graph->m_barGraph, 0);
         }},
    };
    for (const Path& path : paths) {
        SCOPED_TRACE(path.name);
        path.makeGraph();
        EXPECT_EQ(modals.Pending(), 0u);
        ASSERT_GE(graph->m_plotCount, 1);
        EXPECT_EQ(Settings().m_lineRecords[0].markerStyle, kSquare);
        EXPECT_EQ(graph->m_plots[0].pointStyle, kSquare);
        EXPECT_EQ(State().plots.at(0).marker, kSquare);
        EXPECT_TRUE(MarkersDrawn(0, "line_looks_new_graph"));
    }
}

TEST_F(GraphLooksProgram, RestoreDefaultsGivesImportedCurvesTheColoursOfTheirPlaces) {
    Settings().m_recordingMode = 2;  // each import joins the project
    Import("two.csv", "Time (s),A (V),B (V)\n0,1,5\n1,3,4\n2,2,6\n3,4,5\n");
    ASSERT_EQ(graph->m_plotCount, 2);
    // Something the defaults undo.
    Settings().m_lineRecords[0].lineColor = RGB(1, 2, 3);
    OnLinesPage([](CGraphFormatLines& page) { testing_support::Press(page, IDC_FORMAT_RESTORE); });
    const COLORREF* defaults = Settings().m_plotColors;
    for (int i = 0; i < CSettings::kPlotColors; ++i)
        EXPECT_EQ(Settings().m_lineRecords[i].lineColor, defaults[i]) << "line record " << i;
    EXPECT_EQ(CSettings().m_lineRecords[0].lineColor, defaults[0]) << "saved";
    const QImage restored = Picture("line_looks_restored");
    for (size_t p = 0; p < 2; ++p) {
        SCOPED_TRACE(p);
        EXPECT_EQ(graph->m_plots[p].colour, defaults[p]);
        EXPECT_EQ(State().plots.at(p).lineColor, defaults[p]);
        EXPECT_EQ(State().YAxisOf(State().plots.at(p)).color, defaults[p]);
        EXPECT_TRUE(LineDrawnIn(restored, p, defaults[p]));
    }

    // A later import takes its places' colours from the settings.
    Import("later.csv", "Time (s),C (V),D (V)\n0,2,3\n1,1,4\n2,3,2\n");
    ASSERT_GE(graph->m_plotCount, 2);
    const QImage later = Picture("line_looks_later_import");
    for (int p = 0; p < graph->m_plotCount; ++p) {
        SCOPED_TRACE(p);
        EXPECT_EQ(State().plots.at(size_t(p)).lineColor, defaults[p]);
        EXPECT_TRUE(LineDrawnIn(later, size_t(p), defaults[p]));
    }
}

TEST_F(GraphLooksProgram, EachPredictionIsDrawnInAColourOfItsOwn) {
    Download();
    const int measured = graph->m_plotCount;
    const COLORREF* colours = Settings().m_plotColors;
    const COLORREF want[] = {colours[7], colours[6], colours[5]};
    const auto& xAxis = State().axes.at(0);
    const auto& yAxis = State().YAxisOf(State().plots.at(0));
    Use(ID_GRAPH_PAUSE);  // predict mode, with the first prediction
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE(k);
        if (k > 0) Use(ID_GRAPH_PREDICTION);
        ASSERT_EQ(graph->m_predictionCount, k + 1);
        EXPECT_EQ(State().plots.at(size_t(measured + k)).lineColor, want[k]);
        // Two points of each prediction, each in a band of its own.
        for (double f : {0.2, 0.8})
            graph->AddPredictionPoint(xAxis.min + f * (xAxis.max - xAxis.min),
                                      yAxis.min + (0.2 + 0.25 * k) * (yAxis.max - yAxis.min),
                                      platform::graph::kLeftButton);
    }
    const QImage image = Picture("line_looks_predictions");
    for (int k = 0; k < 3; ++k)
        EXPECT_TRUE(LineDrawnIn(image, size_t(measured + k), want[k])) << k;
}

}  // namespace
