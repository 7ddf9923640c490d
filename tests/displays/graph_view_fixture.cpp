#include "tests/displays/graph_view_fixture.h"

#include <numeric>

#include "logger/dorvik.h"
#include "platform/activex/register.h"

namespace graph_test {

GraphViewTest::GraphViewTest(bool inFrames)
    : doc([](CSettings*) { return std::unique_ptr<CDorvik>(); }) {
    platform::RegisterActiveXControls();
    host.Create(nullptr, "host", WS_VISIBLE, CRect(0, 0, 820, 420), nullptr, 0);
    if (inFrames) {
        EXPECT_TRUE(mainFrame.CreateMainWindow());
        mainFrame.SetDocument(&doc);
        mainFrame.ShowWindow(SW_SHOW);
        EXPECT_TRUE(frame.Create(nullptr, "Varnel", 0x00CF4000, CRect(0, 0, 600, 460), &mainFrame));
        view.Create(&frame, CRect(0, 0, 600, 400), AFX_IDW_PANE_FIRST);
        view.SetDocument(&doc);
        frame.SetActiveView(&view, FALSE);
        frame.ShowAdvancedToolbar(true);
        frame.ShowWindow(SW_SHOW);
        mainFrame.MDIActivate(&frame);
        testing_support::ProcessQtEvents();
    } else {
        view.Create(&host, CRect(0, 0, 600, 400));
    }
    tree.Create(&host, CRect(600, 0, 820, 400), 2);
    doc.m_mainFrame = &mainFrame;
    doc.m_dataTreeView = &tree;
    view.Attach(&doc, &frame);
    view.RefreshGraph(TRUE);
    experiment = doc.m_dataList.AddExperiment("Run 1");
}

GraphViewTest::~GraphViewTest() {
    view.DestroyWindow();
    tree.DestroyWindow();
    host.DestroyWindow();
    if (mainFrame.GetSafeHwnd()) mainFrame.DestroyWindow();
    testing_support::ProcessQtEvents();
}

void GraphViewTest::SizeView(int w, int h) {
    EXPECT_TRUE(testing_support::SizeFrameForView(frame, view, w, h)) << w << " x " << h;
}

CDataTreeBrench* GraphViewTest::AddSet(const SetFields& f, std::vector<double> y) {
    auto x = std::make_unique<CDataArray>(y.size());
    std::iota(x->begin(), x->end(), 0.0);
    CDataTreeBrench* d = doc.m_dataList.InsertDataSet(
        experiment->m_id, std::move(x), std::make_unique<CDataArray>(std::move(y)), f.name, f.rate,
        f.unit, CPreciseDateTime(2000, 1, 1, 12, 0, 0), 1, f.second, 0, "", 9999999, -9999999,
        f.kind);
    d->m_modelCode = f.model;
    d->m_sensorId = f.sensor;
    tree.AddDataSetItem(d->m_id, d->m_name);
    return d;
}

void GraphViewTest::Append(CDataTreeBrench* set, const std::vector<double>& y) {
    for (double v : y) {
        set->m_x->push_back(static_cast<double>(set->m_x->size()));
        set->m_y->push_back(v);
    }
}

SHORT GraphViewTest::Add(CDataTreeBrench* set, BOOL* addedOut, BOOL force, WORD channel) {
    BOOL added = FALSE;
    const SHORT p = view.AddPlot(set, channel, force, added, FALSE, -1);
    if (addedOut) *addedOut = added;
    return p;
}

std::shared_ptr<platform::graph::GraphModel> GraphViewTest::Model() const {
    return std::dynamic_pointer_cast<platform::graph::GraphModel>(
        view.GetGraph().GetGraph().GetHandle().Target());
}

std::vector<double> GraphViewTest::ControlX(int p) const {
    const auto& pts = *State().plots.at(static_cast<size_t>(p)).points;
    return pts.Size() ? std::vector<double>(pts.X(), pts.X() + pts.Size()) : std::vector<double>();
}

std::vector<double> GraphViewTest::ControlY(int p) const {
    const auto& pts = *State().plots.at(static_cast<size_t>(p)).points;
    return pts.Size() ? std::vector<double>(pts.Y(), pts.Y() + pts.Size()) : std::vector<double>();
}

std::vector<double> GraphViewTest::First(const CDataArray& a, size_t n) {
    return std::vector<double>(a.begin(),
                               a.begin() + static_cast<std::ptrdiff_t>(std::min(n, a.size())));
}

}  // namespace graph_test
