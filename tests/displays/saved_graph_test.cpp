// Saved graphs: their project record, Add Graph to project, and removing a plot.

#include <cstring>

#include "platform/base/archive.h"
#include "platform/base/file.h"
#include "tests/displays/graph_view_fixture.h"

namespace graph_test {
namespace {

// The record's bytes, written out field by field.
struct Bytes {
    std::vector<BYTE> b;
    Bytes& u16(unsigned v) {
        b.push_back(BYTE(v & 0xFF)), b.push_back(BYTE(v >> 8 & 0xFF));
        return *this;
    }
    Bytes& u32(unsigned long v) {
        for (int i = 0; i < 4; ++i)
            b.push_back(BYTE(v >> (8 * i) & 0xFF));
        return *this;
    }
    Bytes& f64(double v) {
        BYTE raw[8];
        std::memcpy(raw, &v, 8);
        b.insert(b.end(), raw, raw + 8);
        return *this;
    }
    Bytes& str(const char* s) {
        b.push_back(BYTE(std::strlen(s)));
        b.insert(b.end(), s, s + std::strlen(s));
        return *this;
    }
};

struct PlotBytes {
    unsigned number = 9999;
    unsigned vt = 2;
    std::vector<unsigned> links;
    unsigned linkCount = ~0u;  // the links' own count unless set
    const char* axisName = "";
    void To(Bytes& out) const {
        out.u32(0).u16(number).u16(3).u32(1).str("V").u32(7).f64(5.5).f64(-1.25).u16(vt);
        if (vt == 2) out.u16(1);
        if (vt == 3) out.u32(1);
        out.u32(0x0000FF).u32(10).u32(1).u16(2).u32(1).u32(0).u32(0).str(axisName).u16(3).u16(0);
        out.u16(linkCount == ~0u ? unsigned(links.size()) : linkCount);
        for (unsigned l : links)
            out.u16(l);
    }
};

PlotRecordStruct RecordLike(CDataTreeBrench* set, std::vector<SHORT> links) {
    PlotRecordStruct r;
    r.dataSet = set;
    r.yAutoscale = 0;
    r.decimals = 3;
    r.grid = 1;
    r.unit = "V";
    r.lastScaled = 7;
    r.yMax = 5.5;
    r.yMin = -1.25;
    r.SetPlotNumber(1);
    r.colour = 0x0000FF;
    r.pointStyle = 10;
    r.pointsSwitch = 1;
    r.lineWidth = 2;
    r.lineStyle = 1;
    r.timeFormat = 3;
    for (SHORT l : links)
        r.AddLink(l, -1);
    return r;
}

std::vector<BYTE> Written(const CGraphTreeBrench& g, const std::vector<CDataTreeBrench*>& branches,
                          bool withBarFlag) {
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        WriteGraph(
            ar, g,
            [&](const CDataTreeBrench* d) {
                for (size_t i = 0; i < branches.size(); ++i)
                    if (branches[i] == d) return WORD(i);
                return WORD(9999);
            },
            withBarFlag);
        ar.Close();
    }
    return file.Bytes();
}

CGraphTreeBrench Read(const std::vector<BYTE>& bytes, const std::vector<CDataTreeBrench*>& branches,
                      bool withBarFlag, size_t* left = nullptr) {
    CMemFile file(bytes);
    CArchive ar(&file, CArchive::load);
    CGraphTreeBrench g = ReadGraph(ar, branches, withBarFlag);
    if (left) *left = ar.Remaining();
    return g;
}

TEST(SavedGraphRecordTest, TheRecordIsWrittenFieldByFieldAndReadsBack) {
    CDataTreeBrench b0, b1;
    CGraphTreeBrench g(1, 0);
    g.m_name = "Mine";
    g.m_plotCount = 2;
    g.m_plots[0] = RecordLike(&b1, {1});
    g.m_plots[1] = RecordLike(nullptr, {0});
    g.m_xAxis.axisName = "Time";
    g.m_xAxis.timeFormat = 3;
    g.m_barGraph = 1;

    // The X record is a construction record apart from its name and time code.
    Bytes want;
    want.str("Mine").u32(0).u16(2);
    PlotBytes{1, 2, {1}}.To(want);
    PlotBytes{9999, 2, {0}}.To(want);
    want.u32(1).u16(9999).u16(2).u32(0).str("").u32(0).f64(-99999999.0).f64(9999999.0).u16(0);
    want.u32(0).u32(1).u32(1).u16(1).u32(0).u32(0).u32(0).str("Time").u16(3).u16(0).u16(0);
    want.u32(1);
    EXPECT_EQ(Written(g, {&b0, &b1}, true), want.b);

    size_t left = 99;
    const CGraphTreeBrench r = Read(want.b, {&b0, &b1}, true, &left);
    EXPECT_EQ(left, 0u);
    EXPECT_EQ(r.m_name, "Mine");
    EXPECT_EQ(r.m_plotCount, 2);
    EXPECT_EQ(r.m_barGraph, 1);
    EXPECT_EQ(r.m_plots[0].dataSet, &b1);
    EXPECT_EQ(r.m_plots[1].dataSet, nullptr);
    EXPECT_EQ(r.m_plots[0].plotNumberType, VT_I2);
    EXPECT_EQ(r.m_plots[0].plotNumber, 1);
    EXPECT_EQ(r.m_plots[0].yMax, 5.5);
    EXPECT_EQ(r.m_plots[0].yMin, -1.25);
    EXPECT_EQ(r.m_plots[0].lineWidth, 2);
    EXPECT_EQ(r.m_plots[0].linkCount, 1);
    EXPECT_EQ(r.m_plots[0].links[0], 1);
    EXPECT_EQ(r.m_xAxis.axisName, "Time");
    EXPECT_EQ(r.m_xAxis.plotNumberType, VT_EMPTY);
    EXPECT_EQ(Written(r, {&b0, &b1}, true), want.b);
}

TEST(SavedGraphRecordTest, AnOldRecordWithoutPlotsOrBarFlagReadsAsAStandardGraph) {
    CGraphTreeBrench g;
    g.m_name = "Empty";
    Bytes want;
    want.str("Empty").u32(0).u16(0);
    want.u32(1).u16(9999).u16(2).u32(0).str("").u32(0).f64(-99999999.0).f64(9999999.0).u16(0);
    want.u32(0).u32(1).u32(1).u16(1).u32(0).u32(0).u32(0).str("").u16(0).u16(0).u16(0);
    EXPECT_EQ(Written(g, {}, false), want.b);
    size_t left = 99;
    const CGraphTreeBrench r = Read(want.b, {}, false, &left);
    EXPECT_EQ(left, 0u);
    EXPECT_EQ(r.m_plotCount, 0);
    EXPECT_EQ(r.m_barGraph, 0);
    EXPECT_EQ(r.m_xAxis.yAutoscale, 1);
}

TEST(SavedGraphRecordTest, DataSetNumbersOutsideTheBranchesReadRecordsWithoutDataSets) {
    CDataTreeBrench b0, b1;
    for (const auto& [number, want] : std::vector<std::pair<unsigned, CDataTreeBrench*>>{
             {0, &b0}, {1, &b1}, {2, nullptr}, {9999, nullptr}, {65535, nullptr}}) {
        Bytes in;
        in.str("G").u32(0).u16(1);
        PlotBytes{number, 2, {}}.To(in);
        PlotBytes{}.To(in);
        EXPECT_EQ(Read(in.b, {&b0, &b1}, false).m_plots[0].dataSet, want) << number;
    }
}

TEST(SavedGraphRecordTest, ACorruptCountOrVariantThrowsAndBadLinksAreDropped) {
    for (unsigned count : {9u, 0xFFFFu}) {
        Bytes in;
        in.str("G").u32(0).u16(count);
        for (int i = 0; i < 10; ++i)
            PlotBytes{}.To(in);
        EXPECT_THROW(Read(in.b, {}, false), CArchiveException) << count;
    }
    for (unsigned vt : {5u, 8u, 9u}) {
        Bytes in;
        in.str("G").u32(0).u16(1);
        PlotBytes{9999, vt, {}}.To(in);
        PlotBytes{}.To(in);
        EXPECT_THROW(Read(in.b, {}, false), CArchiveException) << vt;
    }
    // Two plots: a link must be 0 or 1, or 65535.
    struct Case {
        std::vector<unsigned> links;
        int kept;
    };
    for (const Case& c :
         {Case{{1, 65535}, 2}, Case{{2}, 0}, Case{{0, 1, 0, 1, 0, 1, 0, 1, 0}, 0}}) {
        Bytes in;
        in.str("G").u32(0).u16(2);
        PlotBytes{9999, 2, c.links}.To(in);
        PlotBytes{}.To(in);
        PlotBytes x;
        x.axisName = "after";
        x.To(in);
        size_t left = 99;
        const CGraphTreeBrench r = Read(in.b, {}, false, &left);
        EXPECT_EQ(r.m_plots[0].linkCount, c.kept);
        if (c.kept == 0) {
            EXPECT_EQ(r.m_plots[0].links[0], -1);
        }
        EXPECT_EQ(r.m_xAxis.axisName, "after") << "reading goes on";
        EXPECT_EQ(left, 0u);
    }
}

TEST_F(GraphViewTest, AddGraphToProjectByGraphState) {
    ASSERT_EQ(Add(AddSet({1, 2, 3})), 0);
    view.PlotAllData(0);
    CGraphTreeList& list = doc.m_graphList;
    const int n = CGraphView::s_graphCounter;
    const CString first = CString::Formatted("Graph %d", n);

    view.OnAddGraphToProject();  // state 4: a graph just built
    ASSERT_EQ(list.GetCount(), 1);
    CGraphTreeBrench* g = list.GetAt(0);
    EXPECT_EQ(g->m_name, first);
    EXPECT_EQ(g->m_plotCount, 1);
    EXPECT_EQ(view.GetGraph().GetCaption(), first);
    EXPECT_EQ(view.m_graphState, 1);
    EXPECT_EQ(view.m_currentGraph, g);
    EXPECT_EQ(g->m_shown, 1);
    EXPECT_EQ(tree.GetGraphCheckState(g->m_item), 2);
    EXPECT_EQ(tree.GetTreeCtrl().GetItemText(tree.GetTreeCtrl().GetChildItem(tree.GetGraphRoot())),
              first);
    EXPECT_TRUE(tree.GetTreeCtrl().GetItemState(tree.GetGraphRoot(), TVIS_EXPANDED));

    view.OnAddGraphToProject();  // state 1: unchanged
    EXPECT_EQ(list.GetCount(), 1);

    view.m_graphState = 2;  // the look changed: replaced, named by the title
    const DWORD oldItem = g->m_item;
    view.GetGraph().SetCaption("Renamed");
    view.OnAddGraphToProject();
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list.GetAt(0)->m_name, "Renamed");
    EXPECT_EQ(tree.FindGraphItem(oldItem), nullptr);
    EXPECT_EQ(list.FindByItem(oldItem), nullptr);

    view.m_graphState = 3;  // the data changed: Yes replaces it under its name
    view.GetGraph().SetCaption("Ignored");
    modals.ExpectMessage("Do you want to update saved graph?", IDYES);
    view.OnAddGraphToProject();
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list.GetAt(0)->m_name, "Renamed");

    view.m_graphState = 3;  // No: a further saved graph; the old one no longer shown
    CGraphTreeBrench* old = list.GetAt(0);
    view.GetGraph().SetCaption("");
    modals.ExpectMessage("Do you want to update saved graph?", IDNO);
    view.OnAddGraphToProject();
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.GetAt(1)->m_name, CString::Formatted("Graph %d", n + 1));
    EXPECT_EQ(old->m_shown, 0);
    EXPECT_EQ(tree.GetGraphCheckState(old->m_item), 1);
    EXPECT_EQ(tree.GetGraphCheckState(list.GetAt(1)->m_item), 2);
    EXPECT_EQ(modals.Pending(), 0u);

    // A clear unticks every saved graph.
    view.RefreshGraph(TRUE);
    EXPECT_EQ(list.GetAt(1)->m_shown, 0);
    EXPECT_EQ(tree.GetGraphCheckState(list.GetAt(1)->m_item), 1);
    EXPECT_EQ(view.m_currentGraph, nullptr);
}

TEST_F(GraphViewTest, ASavedGraphUsesItsDataSetsAndShowsThemAgain) {
    CDataTreeBrench* xs = AddSet({10, 20, 30});
    CDataTreeBrench* ys = AddSet({1, 2, 3});
    CDataTreeBrench* other = AddSet({4, 5, 6});
    ASSERT_EQ(Add(ys), 0);
    view.m_yVsX = 1;
    view.m_xAxis.dataSet = xs;
    view.PlotAllData(0);
    view.OnAddGraphToProject();
    EXPECT_TRUE(doc.m_graphList.IsDataSetUsed(ys->m_id));
    EXPECT_TRUE(doc.m_graphList.IsDataSetUsed(xs->m_id)) << "the X data set of Y versus X";
    EXPECT_FALSE(doc.m_graphList.IsDataSetUsed(other->m_id));

    const DWORD item = view.m_currentGraph->m_item;
    view.m_yVsX = 0;
    view.RefreshGraph(TRUE);
    EXPECT_EQ(ControlPlots(), 0);
    view.ShowExperiment(item);
    EXPECT_EQ(view.m_plotCount, 1);
    EXPECT_EQ(ControlX(0), *xs->m_y);
    EXPECT_EQ(ControlY(0), *ys->m_y);
    EXPECT_EQ(view.m_graphState, 1);
    EXPECT_EQ(tree.GetGraphCheckState(item), 2);
}

TEST_F(GraphViewTest, RemovingPlotTwoOfFourShiftsRelinksRecoloursAndHidesTheCursors) {
    const CSettings& s = *doc.GetSettings();
    CDataTreeBrench* t1 = AddSet(TemperatureFields("T1"), {20, 21});
    CDataTreeBrench* light = AddSet({1, 2});
    CDataTreeBrench* t2 = AddSet(TemperatureFields("T2"), {22, 23});
    SetFields sound{"Sound", 41, 100, 1, 0, 0, "dB"};
    CDataTreeBrench* noise = AddSet(sound, {50, 60, 70});
    for (CDataTreeBrench* d : {t1, light, t2, noise})
        view.PlotAllData(Add(d));
    ASSERT_EQ(view.m_plots[0].links[0], 2);
    ASSERT_EQ(view.m_plots[3].colour, s.m_lineRecords[3].lineColor);
    CDispatchDriver cursor = view.GetGraph().GetCursors().Item(2);
    cursor.SetProperty(8, VarI4(2));
    cursor.SetBool(9, true);
    view.m_cursorCount = 1;
    view.m_cursorAPlot = 1;

    view.RemovePlot(light->m_id, -1);
    ASSERT_EQ(view.m_plotCount, 3);
    EXPECT_EQ(view.m_plots[1].dataSet, t2);
    EXPECT_EQ(view.m_plots[2].dataSet, noise);
    EXPECT_EQ(view.m_plots[3].dataSet, nullptr);
    EXPECT_EQ(view.m_plots[1].colour, s.m_plotColors[0]) << "a sensor keeps its colour";
    EXPECT_EQ(view.m_plots[2].colour, s.m_lineRecords[2].lineColor) << "its new place's colour";
    EXPECT_EQ(view.m_plots[0].linkCount, 1);
    EXPECT_EQ(view.m_plots[0].links[0], 1);
    EXPECT_EQ(view.m_plots[1].links[0], 0);
    EXPECT_EQ(light->m_shown, 0);
    EXPECT_EQ(tree.GetCheckState(light->m_id), 1);
    EXPECT_EQ(view.m_cursorCount, 0);
    EXPECT_FALSE(State().cursors[1].visible);

    ASSERT_EQ(ControlPlots(), 3);
    EXPECT_EQ(State().axes.size(), 4u);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(State().plots[k].name, CString::Formatted("%d", k + 1));
        EXPECT_EQ(ControlY(k), *view.m_plots[k].dataSet->m_y);
        EXPECT_EQ(State().plots[k].lineColor, view.m_plots[k].colour);
    }
    EXPECT_EQ(State().axes[3].caption, "Sound(dB)");
    EXPECT_TRUE(mainFrame.IsCommandEnabled(ID_PLAYBACK_PLAY));
}

}  // namespace
}  // namespace graph_test
