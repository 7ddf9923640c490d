// A run recorded from a simulated QK over a pseudo-terminal, saved, and opened again in a fresh
// document with its own views.

#include <fstream>

#include "models/varnel_file.h"
#include "tests/app/doc_fixture.h"

namespace {

using namespace doc_test;

// A second document with the views a project needs.
struct FreshDocument {
    CVarnelDoc doc;
    CMainFrame mainFrame;
    CGraphFrame graphFrame;
    CWnd host;
    CGraphView graph;
    CDataTreeView tree;
    FreshDocument() {
        host.Create(nullptr, "fresh", WS_VISIBLE, CRect(0, 0, 820, 420), nullptr, 0);
        graph.Create(&host, CRect(0, 0, 600, 400));
        tree.Create(&host, CRect(600, 0, 820, 400), 2);
        doc.m_mainFrame = &mainFrame;
        tree.SetDocument(&doc);
        graph.Attach(&doc, &graphFrame);
        tree.OnInitialUpdate();
    }
    ~FreshDocument() {
        graph.DestroyWindow();
        tree.DestroyWindow();
        host.DestroyWindow();
        testing_support::ProcessQtEvents();
    }
};

std::vector<const CDataTreeBrench*> Nodes(const CVarnelDoc& doc) {
    std::vector<const CDataTreeBrench*> out;
    for (int i = 0; i < doc.m_dataList.GetCount(); ++i)
        out.push_back(doc.m_dataList.GetAt(i));
    return out;
}

class ProjectRun : public DocTest {
protected:
    void SetUp() override {
        MakeQk();
        settings.m_recordingMode = 1;
        tree.SetDocument(&doc);
        doc.ClearProject(false);
        ASSERT_TRUE(StartAndConnect());
        ChooseQkSetup(51, 0x7F, 20);
    }
};

TEST_F(ProjectRun, ARecordedRunComesBackWholeInAFreshDocument) {
    Command(ID_LOGGER_RUN);
    ASSERT_TRUE(Wait([&] { return Count(UM_RUN_ENDED) >= 1; }));
    clock.Advance(300);
    ASSERT_EQ(doc.m_runInProgress, 0);
    // External 2 has no sensor: its switch is off, and nothing is recorded for it.
    ASSERT_EQ(doc.m_currentRunCount, 6);
    CDataTreeBrench* first = doc.m_currentRun[0];
    first->m_annotations.push_back({3, "peak \xE2\x82\xAC", 0.5, 90.0, 1});  // the euro sign
    doc.m_dataList.LinkDataSets(first, doc.m_currentRun[1]);
    doc.m_dataList.LinkDataSets(first, doc.m_currentRun[2]);
    ASSERT_EQ(first->m_linkCount, 2);
    graph.m_graphState = 0;
    graph.OnAddGraphToProject();
    ASSERT_EQ(doc.m_graphList.GetCount(), 1);

    const CString path = CVarnelDoc::GetProjectFolder() + "Run.vnp";
    modals.ExpectFileDialog(path);
    ASSERT_TRUE(doc.SaveProject(false));

    FreshDocument fresh;
    ASSERT_TRUE(fresh.doc.OpenProject(path));
    EXPECT_EQ(fresh.doc.m_title, "Run.vnp");
    EXPECT_EQ(fresh.doc.GetLogger()->GetReportedRateCode(), 51);
    const auto before = Nodes(doc), after = Nodes(fresh.doc);
    ASSERT_EQ(after.size(), before.size());
    std::map<DWORD, DWORD> ids;  // this document's ids -> the fresh one's
    for (size_t i = 0; i < before.size(); ++i)
        ids[before[i]->m_id] = after[i]->m_id;
    for (size_t i = 0; i < before.size(); ++i) {
        SCOPED_TRACE(i);
        const CDataTreeBrench& a = *before[i];
        const CDataTreeBrench& b = *after[i];
        EXPECT_EQ(b.m_name, a.m_name);
        ASSERT_EQ(b.IsExperiment(), a.IsExperiment());
        if (a.IsExperiment()) continue;
        EXPECT_EQ(b.m_unit, a.m_unit);
        EXPECT_EQ(b.m_startTime.GetTicks(), a.m_startTime.GetTicks());
        EXPECT_EQ(b.m_rateCode, a.m_rateCode);
        EXPECT_EQ(b.m_inputKind, a.m_inputKind);
        EXPECT_EQ(b.m_sensorId, a.m_sensorId);
        EXPECT_EQ(b.m_modelCode, a.m_modelCode);
        EXPECT_EQ(b.m_colour, a.m_colour);
        EXPECT_EQ(b.m_rangeMin, a.m_rangeMin);
        EXPECT_EQ(b.m_rangeMax, a.m_rangeMax);
        EXPECT_EQ(b.m_annotations, a.m_annotations);
        // Bit for bit.
        ASSERT_EQ(b.m_y->size(), a.m_y->size());
        EXPECT_EQ(std::memcmp(b.m_y->data(), a.m_y->data(), a.m_y->size() * sizeof(double)), 0);
        EXPECT_EQ(std::memcmp(b.m_x->data(), a.m_x->data(), a.m_x->size() * sizeof(double)), 0);
        ASSERT_EQ(b.m_linkCount, a.m_linkCount);
        for (int l = 0; l < a.m_linkCount; ++l)
            EXPECT_EQ(b.m_links[l], ids[a.m_links[l]]);
    }
    const CGraphTreeBrench& g = *doc.m_graphList.GetAt(0);
    ASSERT_EQ(fresh.doc.m_graphList.GetCount(), 1);
    const CGraphTreeBrench& h = *fresh.doc.m_graphList.GetAt(0);
    EXPECT_EQ(h.m_name, g.m_name);
    ASSERT_EQ(h.m_plotCount, g.m_plotCount);
    for (int p = 0; p < g.m_plotCount; ++p) {
        ASSERT_NE(h.m_plots[p].dataSet, nullptr);
        EXPECT_EQ(h.m_plots[p].dataSet->m_id, ids[g.m_plots[p].dataSet->m_id]);
        EXPECT_EQ(h.m_plots[p].colour, g.m_plots[p].colour);
    }
    // Opening shows the saved graph.
    EXPECT_EQ(fresh.graph.m_currentGraph, &h);
    EXPECT_EQ(fresh.graph.m_plotCount, g.m_plotCount);

    // A cut copy does not open, and the open project stays.
    std::ifstream in(path.GetString(), std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    const CString cut = CVarnelDoc::GetProjectFolder() + "Cut.vnp";
    std::ofstream(cut.GetString(), std::ios::binary)
        .write(bytes.data(), std::streamsize(bytes.size() * 2 / 3));
    modals.ExpectMessage(CVarnelDoc::kCannotOpenText, IDOK);
    EXPECT_FALSE(fresh.doc.OpenProject(cut));
    EXPECT_EQ(fresh.doc.m_title, "Run.vnp");
    EXPECT_EQ(Nodes(fresh.doc).size(), before.size());
    EXPECT_EQ(fresh.doc.m_graphList.GetCount(), 1);
}

}  // namespace
