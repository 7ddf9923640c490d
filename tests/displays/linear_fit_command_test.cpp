// Analysis > Linear fit on the graph, the data map and the table: which plot and range the cursors
// choose, what the user is told, and the data set the fit adds.

#include "app/varnel_doc_analysis.h"
#include "tests/displays/table_view_fixture.h"

namespace {

using table_test::TableViewTest;

constexpr COLORREF kDerivedColour = 0x3C2A1B;

class LinearFitCommand : public TableViewTest {
protected:
    LinearFitCommand() {
        doc.AddFitGroup();
        fitGroup = tree.m_fitGroupId;
        doc.GetSettings()->m_plotColors[7] = kDerivedColour;
    }

    // Cursor A (and B unless `b` is -1) on plot `plot` (1-based), as Display cursor leaves them.
    void PlaceCursors(int plot, LONG a, LONG b) {
        const CDispatchDriver cursors = view.GetGraph().GetCursors();
        for (auto [cursor, index] : {std::pair{2L, a}, std::pair{3L, b}}) {
            if (index < 0) continue;
            ASSERT_EQ(cursors.Item(cursor).SetProperty(8, VarI4(plot)), S_OK);
            ASSERT_EQ(cursors.Item(cursor).SetLong(6, index), S_OK);
        }
        view.m_cursorCount = b < 0 ? 1 : 2;
        view.m_cursorAPlot = 0;
    }
    CDataTreeBrench* Run() { return RunAnalysisFunction(&doc, kAnalysisLinearFit); }
    // The data sets of the "Linear fit" group.
    std::vector<CDataTreeBrench*> Fits() const {
        std::vector<CDataTreeBrench*> out;
        for (CDataTreeBrench* d = doc.m_dataList.GetNextDataSet(fitGroup); d;
             d = doc.m_dataList.GetNextDataSet(d->m_id))
            out.push_back(d);
        return out;
    }

    DWORD fitGroup = 0;
};

// ---- the choice of data set and range ----

struct ChoiceCase {
    const char* what;
    std::vector<const char*> shown;  // data sets shown in order; "" a plot without data set
    int predictAnswer = 0;           // the answer to "End Predict mode?"; 0 not in predict mode
    int cursorPlot = 0;              // the cursors' plot, 1-based; 0 no cursor
    LONG a = 0, b = -1;              // their point indexes; b -1 for cursor A alone
    const char* plotName = nullptr;  // the name the cursors' plot is given instead of its number
    SHORT placement = 0;             // cursor A's placement state
    const char* message = nullptr;   // the message that ends the command, if any
    const char* fitted = nullptr;    // the data set fitted, over firstX .. firstX + count - 1
    double firstX = 0;
    size_t count = 0;
};

void PrintTo(const ChoiceCase& c, std::ostream* os) {
    *os << c.what;
}

class LinearFitChoice : public LinearFitCommand, public testing::WithParamInterface<ChoiceCase> {};

TEST_P(LinearFitChoice, TheCursorsOrTheOnlyPlotChooseWhatIsFitted) {
    const ChoiceCase& c = GetParam();
    CDataTreeBrench* dot = AddGapped({4}, {1.5}, 0, "Dot");
    for (const char* name : c.shown) {
        if (*name) {
            view.ShowDataSet(doc.m_dataList.FindByName(name));
        } else {
            BOOL added = FALSE;
            view.AddPlot(nullptr, 0, TRUE, added, FALSE, -1);
        }
    }
    ASSERT_NE(dot, nullptr);
    ASSERT_EQ(view.m_plotCount, static_cast<SHORT>(c.shown.size()));
    if (c.cursorPlot) PlaceCursors(c.cursorPlot, c.a, c.b);
    if (c.placement) view.m_cursorAPlot = c.placement;
    if (c.plotName) view.GetGraph().GetPlots().Item(c.cursorPlot).SetString(3, c.plotName);
    if (c.predictAnswer) {
        view.m_predictMode = 1;
        modals.ExpectMessage(CVarnelDoc::kEndPredictText, c.predictAnswer);
    }
    if (c.message) modals.ExpectMessage(c.message, IDOK);
    const int nodes = doc.m_dataList.GetCount();

    CDataTreeBrench* result = Run();

    EXPECT_EQ(modals.Pending(), 0u);
    EXPECT_EQ(view.m_predictMode, c.predictAnswer == IDNO ? 1 : 0);
    if (!c.fitted) {
        EXPECT_EQ(result, nullptr);
        EXPECT_EQ(doc.m_dataList.GetCount(), nodes) << "the project is unchanged";
        EXPECT_EQ(view.m_plotCount, static_cast<SHORT>(c.shown.size()));
        return;
    }
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(result->m_name, CString("Linear(Exp. 1 - ") + c.fitted + ")");
    ASSERT_EQ(result->m_x->size(), c.count);
    EXPECT_EQ(result->m_x->front(), c.firstX);
    EXPECT_EQ(Fits(), std::vector<CDataTreeBrench*>{result});
}

// The shown data sets run 0..29 (Temp 20 + i, Light 100 + i); Dot holds one sample.
INSTANTIATE_TEST_SUITE_P(
    Cases, LinearFitChoice,
    testing::Values(
        ChoiceCase{.what = "predict mode ended by Yes",
                   .shown = {"Light"},
                   .predictAnswer = IDYES,
                   .fitted = "Light",
                   .count = 30},
        ChoiceCase{.what = "predict mode kept by No", .shown = {"Light"}, .predictAnswer = IDNO},
        ChoiceCase{
            .what = "one plot, no cursor", .shown = {"Light"}, .fitted = "Light", .count = 30},
        ChoiceCase{.what = "two cursors in reverse order",
                   .shown = {"Light"},
                   .cursorPlot = 1,
                   .a = 20,
                   .b = 5,
                   .fitted = "Light",
                   .firstX = 5,
                   .count = 16},
        ChoiceCase{.what = "one cursor",
                   .shown = {"Light"},
                   .cursorPlot = 1,
                   .a = 12,
                   .fitted = "Light",
                   .count = 30},
        ChoiceCase{.what = "cursors on the second plot",
                   .shown = {"Temp", "Light"},
                   .cursorPlot = 2,
                   .a = 2,
                   .b = 6,
                   .fitted = "Light",
                   .firstX = 2,
                   .count = 5},
        ChoiceCase{.what = "cursor plot named 9",
                   .shown = {"Light"},
                   .cursorPlot = 1,
                   .a = 3,
                   .b = 8,
                   .plotName = "9",
                   .fitted = "Light",
                   .count = 30},
        ChoiceCase{.what = "cursor plot without a number",
                   .shown = {"Light"},
                   .cursorPlot = 1,
                   .a = 3,
                   .b = 8,
                   .plotName = "",
                   .fitted = "Light",
                   .count = 30},
        ChoiceCase{.what = "cursor not placed",
                   .shown = {"Light"},
                   .cursorPlot = 1,
                   .a = 3,
                   .b = 8,
                   .placement = -1,
                   .fitted = "Light",
                   .count = 30},
        ChoiceCase{
            .what = "two plots, no cursor", .shown = {"Temp", "Light"}, .message = kSelectPlotText},
        ChoiceCase{.what = "two plots, cursor plot named 9",
                   .shown = {"Temp", "Light"},
                   .cursorPlot = 1,
                   .a = 1,
                   .b = 4,
                   .plotName = "9",
                   .message = kSelectPlotText},
        ChoiceCase{.what = "no plot", .shown = {}, .message = kSelectPlotText},
        ChoiceCase{.what = "a plot without data set", .shown = {""}, .message = kSelectPlotText},
        ChoiceCase{.what = "one sample", .shown = {"Dot"}, .message = kAnalysisFailedText},
        ChoiceCase{.what = "two cursors on one point",
                   .shown = {"Light"},
                   .cursorPlot = 1,
                   .a = 7,
                   .b = 7,
                   .message = kAnalysisFailedText}));

// ---- the result ----

TEST_F(LinearFitCommand, TheResultCarriesTheFittedSetsFields) {
    light->m_identityValue = 7;
    light->m_videoFile = "clip.wmv";
    light->m_sensorId = 5;
    doc.m_modified = 0;

    CDataTreeBrench* result = LinearFit(&doc, light, nullptr, 9, 4);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(Fits(), std::vector<CDataTreeBrench*>{result});
    EXPECT_EQ(doc.m_dataList.GetExperimentOf(result->m_id)->m_id, fitGroup);
    EXPECT_EQ(result->m_name, "Linear(Exp. 1 - Light)");
    EXPECT_EQ(result->m_originCode, 3);
    EXPECT_EQ(result->m_secondValue, -1);
    EXPECT_EQ(result->m_identityValue, 7);
    EXPECT_EQ(result->m_rateCode, 41);
    EXPECT_EQ(result->m_unit, "lux");
    EXPECT_EQ(result->m_startTime, light->m_startTime);
    EXPECT_EQ(result->m_videoFile, "clip.wmv");
    EXPECT_EQ(result->m_inputKind, 2);
    EXPECT_EQ(result->m_sensorId, 5);
    EXPECT_EQ(result->m_modelCode, 100);
    EXPECT_EQ(result->m_rangeMin, 9999999.0);
    EXPECT_EQ(result->m_rangeMax, -9999999.0);
    EXPECT_EQ(result->m_comment, "f(x) = 1X+100");
    EXPECT_EQ(*result->m_x, Ramp(6, 4));
    EXPECT_EQ(*result->m_y, Ramp(6, 104));
    EXPECT_EQ(doc.m_modified, 1);

    // The data map: under "Linear fit", with the picture of a computed series.
    CTreeCtrl& t = tree.GetTreeCtrl();
    HTREEITEM item = tree.FindDataSetItem(result->m_id);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(t.GetItemText(t.GetParentItem(item)), "Linear fit");
    int image = 0, selected = 0;
    ASSERT_TRUE(t.GetItemImage(item, image, selected));
    EXPECT_EQ(image, 10);
    EXPECT_EQ(selected, 10);
}

TEST_F(LinearFitCommand, TheCommandShowsTheLineOnTheGraphAndInTheTable) {
    view.ShowDataSet(light);
    PlaceCursors(1, 4, 9);
    CDataTreeBrench* result = Run();
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(result->m_derived, 1);
    EXPECT_TRUE(result->HasLink(light->m_id));
    EXPECT_TRUE(light->HasLink(result->m_id));

    // The graph: a plot in the colour for derived data, holding the line.
    const int p = view.FindPlotByDataSet(result->m_id);
    ASSERT_EQ(p, 1);
    EXPECT_EQ(view.m_plots[p].colour, kDerivedColour);
    EXPECT_EQ(ControlX(p), *result->m_x);
    EXPECT_EQ(ControlY(p), *result->m_y);

    // The table: a column of its own.
    ASSERT_EQ(table.GetColumnCount(), 2);
    EXPECT_EQ(table.GetColumn(1).dataSet, result);
}

TEST_F(LinearFitCommand, EachFitAddsADataSetAndMarksASavedGraphChanged) {
    view.ShowDataSet(light);
    PlaceCursors(1, 0, 9);
    const std::pair<BYTE, BYTE> marks[] = {{0, 2}, {1, 2}, {2, 2}, {3, 3}, {4, 4}};
    for (auto [before, after] : marks) {
        view.m_graphState = before;
        ASSERT_NE(Run(), nullptr);
        EXPECT_EQ(view.m_graphState, after) << int(before);
    }
    const std::vector<CDataTreeBrench*> fits = Fits();
    ASSERT_EQ(fits.size(), std::size(marks));
    for (const CDataTreeBrench* f : fits)
        EXPECT_EQ(f->m_name, "Linear(Exp. 1 - Light)");
}

TEST_F(LinearFitCommand, InYAgainstXTheGraphsXDataSetIsTheX) {
    // Light against Temp: 100 + i against 20 + i.
    view.ShowDataSet(light);
    view.m_yVsX = 1;
    view.m_xAxis.dataSet = temperature;
    CDataTreeBrench* result = Run();
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(result->m_comment, "f(x) = 1X+80");
    EXPECT_EQ(*result->m_x, Ramp(30, 0));
}

TEST_F(LinearFitCommand, WithoutTheLinearFitGroupNothingIsAdded) {
    view.ShowDataSet(light);
    tree.m_fitGroupId = 0;
    const int nodes = doc.m_dataList.GetCount();
    modals.ExpectMessage(kAnalysisFailedText, IDOK);
    EXPECT_EQ(Run(), nullptr);
    EXPECT_EQ(doc.m_dataList.GetCount(), nodes);
    EXPECT_EQ(view.m_plotCount, 1);
    EXPECT_EQ(table.GetColumnCount(), 1);
}

TEST_F(LinearFitCommand, AgainstATemperatureTheEquationTakesItsUnitToo) {
    // Light, 100 + i, against Temp, 20 + i: 1X+80 in °C; in °F x = (xF - 32) / 1.8, so
    // y = 0.5556 xF + 80 - 17.778.
    doc.GetSettings()->m_temperatureUnit = 1;
    view.ShowDataSet(light);
    view.m_yVsX = 1;
    view.m_xAxis.dataSet = temperature;
    CDataTreeBrench* fit = Run();
    ASSERT_NE(fit, nullptr);
    EXPECT_EQ(fit->m_comment, "f(x) = 1X+80");
    EXPECT_EQ(frame.m_readoutText, "f(x) = 0.556X+62.222");
}

// Set to 32..68 F (0..20 C) by the user, the temperature axis keeps its range, and the line
// fitted to it is drawn on that same range: under the same labels a range of its own would show it
// off the data.
TEST_F(LinearFitCommand, TheLineIsDrawnOnTheScaleItsSourceShows) {
    doc.GetSettings()->m_temperatureUnit = 1;
    view.ShowDataSet(temperature);
    view.ShowDataSet(light);
    view.SetAxisRange(2, 0, 20, FALSE, TRUE);
    PlaceCursors(1, 10, 20);
    CDataTreeBrench* fit = Run();
    ASSERT_NE(fit, nullptr);
    const int p = view.FindPlotByDataSet(fit->m_id);
    ASSERT_EQ(p, 2);
    EXPECT_EQ(view.GetAxisMinimum(p + 2), 0);
    EXPECT_EQ(view.GetAxisMaximum(p + 2), 20);
    EXPECT_EQ(view.GetAxisMinimum(2), 0);
    EXPECT_EQ(view.GetAxisMaximum(2), 20);
    doc.GetSettings()->m_temperatureUnit = 0;
}

}  // namespace
