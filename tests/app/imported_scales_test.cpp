// Imported columns in the whole program, seen on the graph control's picture: each quantity is
// drawn on a scale of its own unit, a fit on its source's, and a Y-versus-X graph pairs points by
// sample number and leaves a missing sample open.

#include <gtest/gtest.h>

#include <QFile>
#include <QPainter>
#include <cmath>
#include <map>

#include "RES/commands.h"
#include "RES/dialogs/xy_setting.h"
#include "RES/graph_bars.h"
#include "app/data_tree_view.h"
#include "app/main_frame.h"
#include "app/varnel_app.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_frame.h"
#include "displays/graph/graph_view.h"
#include "logger/dorvik.h"
#include "logger/settings.h"
#include "models/graph_axis.h"
#include "models/graph_tree.h"
#include "platform/activex/graph_control.h"
#include "platform/activex/graph_layout.h"
#include "platform/activex/graph_model.h"
#include "platform/ui/controls.h"
#include "tests/support/core/sim_port.h"
#include "tests/support/harness.h"
#include "tests/support/user_commands.h"

namespace {

namespace pg = platform::graph;

// What the control drew and where its parts went.
struct Picture {
    QImage image;
    const pg::GraphState* state = nullptr;
    pg::GraphLayout layout;

    // The Y scale drawn on the left strip (`far` false) or the right one; null when none is.
    const pg::Axis* Scale(bool far) const {
        for (const pg::AxisPlace& a : pg::DrawnAxes(*state, layout))
            if (a.vertical && a.far == far) return a.axis;
        return nullptr;
    }
    int ScaleCount() const {
        int n = 0;
        for (const pg::AxisPlace& a : pg::DrawnAxes(*state, layout))
            n += a.vertical ? 1 : 0;
        return n;
    }
    // Whether a pixel within `r` of the point has about the colour.
    bool ColourNear(QPointF at, COLORREF c, int r = 2) const {
        for (int dy = -r; dy <= r; ++dy)
            for (int dx = -r; dx <= r; ++dx) {
                const QPoint p = at.toPoint() + QPoint(dx, dy);
                if (!image.rect().contains(p)) continue;
                const QRgb px = image.pixel(p);
                if (std::abs(qRed(px) - int(GetRValue(c))) < 48 &&
                    std::abs(qGreen(px) - int(GetGValue(c))) < 48 &&
                    std::abs(qBlue(px) - int(GetBValue(c))) < 48)
                    return true;
            }
        return false;
    }
};

class ImportedScales : public testing_support::HarnessTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(app.InitInstance());
        frame = app.GetMainFrame();
        doc = app.GetDocument();
        graph = doc->GetGraphView();
        tree = doc->GetDataTreeView();
        ASSERT_TRUE(frame && graph && tree);
        // No logger is there to be found: the search at start ends in vain.
        modals.ExpectMessage(CDorvik::kConnectFailedText, IDOK);
        clock.RunPending();
        ASSERT_EQ(modals.Pending(), 0u);
    }
    void TearDown() override { app.ExitInstance(); }

    void Import(const char* name, const std::string& bytes) {
        const CString path = env.File(name);
        QFile out(path.ToQString());
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes.data(), static_cast<qint64>(bytes.size()));
        out.close();
        modals.ExpectFileDialog(path);
        // The single-measurement mode asks before it clears; none of these projects is kept.
        if (doc->GetSettings()->m_recordingMode == 0 && doc->m_modified)
            modals.ExpectMessage(CVarnelDoc::kDataChangedText, IDNO);
        ASSERT_TRUE(testing_support::ChooseMenuCommand(*frame, ID_IMPORT_CSV));
        ASSERT_EQ(modals.Pending(), 0u);
    }
    const pg::GraphState& State() const {
        const auto model = std::dynamic_pointer_cast<pg::GraphModel>(
            doc->GetGraphView()->GetGraph().GetGraph().GetHandle().Target());
        EXPECT_TRUE(model);
        return model->State();
    }
    Picture Take(const std::string& name) const {
        Picture p;
        const CCWPicture picture(doc->GetGraphView()->GetGraph().GetPicture());
        const QSize size(static_cast<int>(picture.GetWidth()),
                         static_cast<int>(picture.GetHeight()));
        p.image = QImage(size, QImage::Format_RGB32);
        p.image.fill(Qt::white);
        QPainter painter(&p.image);
        picture.Render(painter, QRectF(QPointF(0, 0), QSizeF(size)));
        painter.end();
        testing_support::SaveTestImage(p.image, name.c_str());
        p.state = &State();
        p.layout = pg::ComputeLayout(*p.state, QSizeF(size));
        return p;
    }
    // The data set drawn by control plot `k` (0-based).
    const CDataTreeBrench* SetOf(size_t k) const { return doc->GetGraphView()->m_plots[k].dataSet; }

    // Every point of plot `k` lies on the picture at its X and at its value read on `scale`,
    // in the plot's colour.
    void ExpectOnScale(const Picture& p, size_t k, const pg::Axis& scale) const {
        const pg::Plot& plot = p.state->plots.at(k);
        const pg::AxisMap xm = p.layout.X(*p.state);
        const pg::AxisMap ym = p.layout.Y(scale);
        const double* xs = plot.points->X();
        const double* ys = plot.points->Y();
        ASSERT_GT(plot.points->Size(), 0u);
        for (size_t i = 0; i < plot.points->Size(); ++i) {
            if (!std::isfinite(xs[i]) || !std::isfinite(ys[i])) continue;
            const QPointF at(xm.ToPixel(xs[i]), ym.ToPixel(ys[i]));
            EXPECT_TRUE(p.layout.plot.adjusted(-1, -1, 1, 1).contains(at))
                << "point " << i << " of " << SetOf(k)->m_name << " is off the scale";
            auto drawnAt = [&](QPointF q) {
                return p.ColourNear(q, plot.lineColor) ||
                       (plot.marker != 0 && p.ColourNear(q, plot.markerColor));
            };
            // A point on the frame's side may sit under an axis tick: a little way along its
            // line towards the next point is as telling.
            const size_t next = i + 1 < plot.points->Size() ? i + 1 : i - 1;
            const QPointF along =
                at + (QPointF(xm.ToPixel(xs[next]), ym.ToPixel(ys[next])) - at) / 4;
            const bool onSide = std::min(std::fabs(at.x() - p.layout.plot.left()),
                                         std::fabs(at.x() - p.layout.plot.right())) < 6;
            EXPECT_TRUE(drawnAt(at) || (onSide && std::isfinite(along.x()) && drawnAt(along)))
                << "point " << i << " of " << SetOf(k)->m_name << " is not drawn at " << ys[i]
                << " on " << scale.caption;
        }
    }

    // In the graph's plot order, the first unit's plots lie on the left scale, under the first
    // plot's caption; the second unit's on the right one, under the caption of its first plot;
    // a later unit's plots on a scale not shown, whose range is theirs alone. Every curve's
    // points are where the scale it lies on puts their values.
    // `covered` plots lie under others drawn on them (a fit over its points): only their scale
    // is checked.
    void ExpectEachOnItsScale(const std::string& file, const std::string& when,
                              CString* left = nullptr, CString* right = nullptr,
                              const std::vector<size_t>& covered = {}, bool exactRange = true) {
        SCOPED_TRACE(when);
        const CGraphView* view = doc->GetGraphView();
        const auto n = static_cast<size_t>(view->m_plotCount);
        std::vector<CString> units;
        std::vector<size_t> group(n);
        for (size_t k = 0; k < n; ++k) {
            const CString& u = SetOf(k)->m_unit;
            const auto it = std::find(units.begin(), units.end(), u);
            group[k] = static_cast<size_t>(it - units.begin());
            if (it == units.end()) units.push_back(u);
        }
        const Picture p = Take("imported scales " + file + ", " + when);
        ASSERT_EQ(p.ScaleCount(), static_cast<int>(std::min<size_t>(units.size(), 2)));
        if (left) *left = p.Scale(false) ? p.Scale(false)->caption : CString();
        if (right) *right = p.Scale(true) ? p.Scale(true)->caption : CString();
        for (size_t g = 0; g < units.size(); ++g) {
            SCOPED_TRACE(units[g].GetString());
            std::vector<size_t> members;
            for (size_t k = 0; k < n; ++k)
                if (group[k] == g) members.push_back(k);
            const pg::Axis* scale = g < 2 ? p.Scale(g == 1) : nullptr;
            if (g < 2) {
                ASSERT_NE(scale, nullptr);
                const CDataTreeBrench* head = SetOf(members[0]);
                EXPECT_EQ(scale->caption, head->m_name + "(" + head->m_unit + ")");
            } else {
                scale = &p.state->YAxisOf(p.state->plots.at(members[0]));
                for (bool far : {false, true})
                    EXPECT_NE(p.Scale(far), scale) << "a third quantity's scale is not shown";
            }
            double lo = HUGE_VAL, hi = -HUGE_VAL;
            for (size_t k : members) {
                SCOPED_TRACE(SetOf(k)->m_name.GetString());
                const pg::Axis& own = p.state->YAxisOf(p.state->plots.at(k));
                EXPECT_EQ(own.min, scale->min);
                EXPECT_EQ(own.max, scale->max);
                if (std::find(covered.begin(), covered.end(), k) == covered.end())
                    ExpectOnScale(p, k, *scale);
                for (double v : *SetOf(k)->m_y)
                    lo = std::min(lo, v), hi = std::max(hi, v);
            }
            // The scale reaches over its own plots, with the usual margin, and no further (a
            // set keeps the range it was last drawn over, so a plot taken off leaves its own).
            EXPECT_LE(scale->min, lo);
            EXPECT_GE(scale->max, hi);
            graph_axis::AddMargin(lo, hi);
            if (exactRange) {
                EXPECT_DOUBLE_EQ(scale->min, lo);
                EXPECT_DOUBLE_EQ(scale->max, hi);
            }
        }
    }

    testing_support::NoComPorts noPorts;
    CVarnelApp app;
    CMainFrame* frame = nullptr;
    CVarnelDoc* doc = nullptr;
    CGraphView* graph = nullptr;
    CDataTreeView* tree = nullptr;
};

// A file of `columns` ("Name (unit)") whose column c holds base[c] + step[c] * row, 6 rows.
std::string Columns(const std::vector<std::string>& columns, const std::vector<double>& base,
                    const std::vector<double>& step) {
    std::string out = "Time (s)";
    for (const std::string& c : columns)
        out += "," + c;
    out += "\r\n";
    for (int row = 0; row < 6; ++row) {
        out += std::to_string(row);
        for (size_t c = 0; c < columns.size(); ++c)
            out += "," + std::string(CString::Formatted("%g", base[c] + step[c] * row).GetString());
        out += "\r\n";
    }
    return out;
}

struct ScaleCase {
    const char* name;
    std::vector<std::string> columns;
    std::vector<double> base, step;
    CString left, right;  // the captions of the scales shown after the import
};

void PrintTo(const ScaleCase& c, std::ostream* out) {
    *out << c.name;
}

const ScaleCase kScaleCases[] = {
    {"one unit", {"Ch1 (V)", "Ch2 (V)", "Ch3 (V)"}, {1, 4, 7}, {0.2, 0.2, 0.38}, "Ch1(V)", ""},
    {"two units", {"Temp (C)", "Volt (V)"}, {20, 1}, {1.5, 0.4}, "Temp(C)", "Volt(V)"},
    {"two units taking turns",
     {"Volt (V)", "Temp (C)", "Supply (V)"},
     {1, 20, 6},
     {0.4, 1.5, 0.2},
     "Volt(V)",
     "Temp(C)"},
    {"a third quantity",
     {"Temp (C)", "Volt (V)", "Light (%)", "Supply (V)"},
     {20, 1, 40, 6},
     {1.5, 0.4, 5, 0.2},
     "Temp(C)",
     "Volt(V)"},
    {"a phone's sensors in one unit",
     {"Acceleration x (m/s^2)", "Absolute acceleration (m/s^2)"},
     {-0.5, 9.6},
     {0.2, 0.08},
     "Acceleration x(m/s^2)",
     ""},
};

class ScalesOfImports : public ImportedScales, public testing::WithParamInterface<ScaleCase> {};

TEST_P(ScalesOfImports, EachCurveLiesAtItsValuesOnTheScaleShownForIt) {
    const ScaleCase& c = GetParam();
    Import("columns.csv", Columns(c.columns, c.base, c.step));
    ASSERT_EQ(graph->m_plotCount, static_cast<int>(c.columns.size()));
    CString left, right;
    ExpectEachOnItsScale(c.name, "imported", &left, &right);
    EXPECT_EQ(left, c.left);
    EXPECT_EQ(right, c.right);

    // Unticked in the data map and ticked again: the first column comes back last.
    const CDataTreeBrench* first = SetOf(0);
    tree->DisplayPlot(tree->FindDataSetItem(first->m_id));
    ASSERT_EQ(graph->m_plotCount, static_cast<int>(c.columns.size()) - 1);
    ExpectEachOnItsScale(c.name, "unticked", nullptr, nullptr, {}, false);
    tree->DisplayPlot(tree->FindDataSetItem(first->m_id));
    ASSERT_EQ(graph->m_plots[graph->m_plotCount - 1].dataSet, first);
    ExpectEachOnItsScale(c.name, "ticked again");

    // Kept as a graph of the project, saved, and shown again after New and Open.
    ASSERT_TRUE(testing_support::ChooseMenuCommand(*frame, ID_GRAPH_ADD_TO_PROJECT));
    const CString path = CVarnelDoc::GetProjectFolder() + "Scales.vnp";
    modals.ExpectFileDialog(path);
    ASSERT_TRUE(testing_support::ChooseMenuCommand(*frame, ID_FILE_SAVE));
    ASSERT_TRUE(testing_support::ChooseMenuCommand(*frame, ID_NEW_PROJECT));
    ASSERT_EQ(doc->GetGraphView()->m_plotCount, 0);
    modals.ExpectFileDialog(path);
    ASSERT_TRUE(testing_support::ChooseMenuCommand(*frame, ID_FILE_OPEN));
    ASSERT_EQ(modals.Pending(), 0u);
    ASSERT_EQ(doc->GetGraphView()->m_plotCount, static_cast<int>(c.columns.size()));
    ExpectEachOnItsScale(c.name, "opened");
}

INSTANTIATE_TEST_SUITE_P(Files, ScalesOfImports, testing::ValuesIn(kScaleCases),
                         [](const testing::TestParamInfo<ScaleCase>& info) {
                             std::string name;
                             for (char ch : std::string(info.param.name))
                                 name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                             return name;
                         });

// A fitted line lies on the scale of the curve it fits, the left one's and the right one's, and
// stays there when the project is opened again.
TEST_F(ImportedScales, AFitLiesOnTheScaleOfTheCurveItFits) {
    Import("fit.csv", Columns({"Temp (C)", "Volt (V)"}, {20, 1}, {0.5, 0.4}));
    ASSERT_EQ(graph->m_plotCount, 2);
    for (LONG plot : {1, 2}) {
        // Both cursors on the curve, as Display cursor and a drag leave them.
        const CDispatchDriver cursors = graph->GetGraph().GetCursors();
        for (auto [cursor, index] : {std::pair{2L, 0L}, std::pair{3L, 5L}}) {
            ASSERT_EQ(cursors.Item(cursor).SetProperty(8, VarI4(plot)), S_OK);
            ASSERT_EQ(cursors.Item(cursor).SetLong(6, index), S_OK);
        }
        graph->m_cursorCount = 2;
        graph->m_cursorAPlot = static_cast<SHORT>(plot - 1);
        ASSERT_TRUE(testing_support::UseCommand(*frame, ID_LINEAR_FIT));
    }
    ASSERT_EQ(graph->m_plotCount, 4);
    EXPECT_EQ(SetOf(2)->m_comment, "f(x) = 0.5X+20");
    EXPECT_EQ(SetOf(3)->m_comment, "f(x) = 0.4X+1");
    graph->HideCursors();
    CString left, right;
    ExpectEachOnItsScale("fit", "fitted", &left, &right, {0, 1});
    EXPECT_EQ(left, "Temp(C)");
    EXPECT_EQ(right, "Volt(V)");
    for (size_t fit : {2u, 3u}) {
        const size_t source = fit - 2;
        const pg::GraphState& state = State();
        EXPECT_EQ(state.YAxisOf(state.plots[fit]).min, state.YAxisOf(state.plots[source]).min);
        EXPECT_EQ(state.YAxisOf(state.plots[fit]).max, state.YAxisOf(state.plots[source]).max);
    }

    ASSERT_TRUE(testing_support::ChooseMenuCommand(*frame, ID_GRAPH_ADD_TO_PROJECT));
    const CString path = CVarnelDoc::GetProjectFolder() + "Fit scales.vnp";
    modals.ExpectFileDialog(path);
    ASSERT_TRUE(testing_support::ChooseMenuCommand(*frame, ID_FILE_SAVE));
    ASSERT_TRUE(testing_support::ChooseMenuCommand(*frame, ID_NEW_PROJECT));
    modals.ExpectFileDialog(path);
    ASSERT_TRUE(testing_support::ChooseMenuCommand(*frame, ID_FILE_OPEN));
    ASSERT_EQ(modals.Pending(), 0u);
    ASSERT_EQ(doc->GetGraphView()->m_plotCount, 4);
    ExpectEachOnItsScale("fit", "opened", nullptr, nullptr, {0, 1});
}

// A graph kept by an earlier version links every imported plot to one scale; shown from the
// project it is drawn by today's rule, and what is saved keeps its layout.
TEST_F(ImportedScales, AGraphSavedWithAllImportsLinkedShowsEachUnitOnItsScale) {
    Import("old.csv", Columns({"Temp (C)", "Volt (V)", "Supply (V)"}, {20, 1, 6}, {1.5, 0.4, 0.2}));
    ASSERT_TRUE(testing_support::ChooseMenuCommand(*frame, ID_GRAPH_ADD_TO_PROJECT));
    CGraphTreeBrench* saved = graph->m_currentGraph;
    ASSERT_NE(saved, nullptr);
    for (int p = 0; p < 3; ++p) {
        PlotRecordStruct& r = saved->m_plots[p];
        r.ClearLinks();
        for (int q = 0; q < 3; ++q)
            if (q != p) r.AddLink(q, p);
    }
    const DWORD item = saved->m_item;
    graph->RefreshGraph(TRUE);
    tree->DisplayGraph(tree->FindGraphItem(item));
    ASSERT_EQ(graph->m_plotCount, 3);
    CString left, right;
    ExpectEachOnItsScale("old", "shown", &left, &right);
    EXPECT_EQ(left, "Temp(C)");
    EXPECT_EQ(right, "Volt(V)");
}

// Y versus X pairs each point with the X set's value of its own sample number; a sample either
// set lacks leaves the line open there, as on the time axis.
TEST_F(ImportedScales, YVersusXPairsBySampleAndLeavesAMissingSampleOpen) {
    const double nan = std::nan("");
    struct Case {
        const char* name;
        const char* file;
        std::vector<double> x;  // of the Temp curve's points, against Volt
        std::vector<std::pair<double, double>> drawn, open;  // midpoints (Volt, Temp)
    } cases[] = {
        {"Temp lacks sample 2",
         "Time (s),Temp (C),Volt (V)\n0,20,1\n1,22,2\n2,#N/A,4\n3,26,7\n4,28,11\n5,30,16\n",
         {1, 2, 7, 11, 16},
         {{1.5, 21}, {9, 27}, {13.5, 29}},
         {{4.5, 24}}},
        {"Volt lacks sample 2",
         "Time (s),Temp (C),Volt (V)\n0,20,1\n1,22,2\n2,24,#N/A\n3,26,7\n4,28,11\n5,30,16\n",
         {1, 2, nan, 7, 11, 16},
         {{1.5, 21}, {9, 27}, {13.5, 29}},
         {{4.5, 24}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        graph->RefreshGraph(TRUE);
        Import("pairs.csv", c.file);
        ASSERT_EQ(graph->m_plotCount, 2);
        modals.ExpectDialog(IDD_XY_SETTING, [](CDialog& dlg) {
            auto* combo = dynamic_cast<CComboBox*>(dlg.GetDlgItem(IDC_XY_PLOTS));
            ASSERT_NE(combo, nullptr);
            CString text;
            combo->GetLBText(1, text);
            EXPECT_EQ(text, "pairs.csv : Volt");
            combo->SetCurSel(1);
            testing_support::Press(dlg, IDOK);
        });
        ASSERT_TRUE(testing_support::UseCommand(*graph->GetFrame(), ID_GV_Y_VS_X));
        ASSERT_EQ(modals.Pending(), 0u);
        ASSERT_EQ(graph->m_yVsX, 1);
        ASSERT_EQ(graph->m_plotCount, 1);
        ASSERT_EQ(SetOf(0)->m_name, "Temp");

        const Picture p = Take(std::string("imported y vs x, ") + c.name);
        const pg::Plot& plot = p.state->plots.at(0);
        std::vector<double> x(plot.points->X(), plot.points->X() + plot.points->Size());
        ASSERT_EQ(x.size(), c.x.size());
        for (size_t i = 0; i < x.size(); ++i)
            EXPECT_TRUE(x[i] == c.x[i] || (std::isnan(x[i]) && std::isnan(c.x[i]))) << i;
        const pg::Axis* scale = p.Scale(false);
        ASSERT_NE(scale, nullptr);
        ExpectOnScale(p, 0, *scale);
        const pg::AxisMap xm = p.layout.X(*p.state), ym = p.layout.Y(*scale);
        for (auto [vx, vy] : c.drawn)
            EXPECT_TRUE(p.ColourNear({xm.ToPixel(vx), ym.ToPixel(vy)}, plot.lineColor))
                << "no line at " << vx << ", " << vy;
        for (auto [vx, vy] : c.open)
            EXPECT_FALSE(p.ColourNear({xm.ToPixel(vx), ym.ToPixel(vy)}, plot.lineColor))
                << "a line across the missing sample at " << vx << ", " << vy;

        // Back to time, for the next file.
        ASSERT_TRUE(testing_support::UseCommand(*graph->GetFrame(), ID_GV_Y_VS_X));
        ASSERT_EQ(graph->m_yVsX, 0);
    }
}

}  // namespace
