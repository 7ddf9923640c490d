#pragma once
// The document with its real views on a test frame: graph, data map, set-up and communication
// view, on the harness's virtual clock. A simulated logger, when a test makes one, is on COM 11
// and is the only port there is.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

#include "app/data_tree_view.h"
#include "app/main_frame.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_frame.h"
#include "displays/graph/graph_view.h"
#include "experiment/comm_view.h"
#include "experiment/setup_view.h"
#include "logger/dorvik.h"
#include "logger/logger_messages.h"
#include "logger/settings.h"
#include "platform/activex/graph_model.h"
#include "platform/activex/register.h"
#include "tests/logger/dorvik_fixture.h"
#include "tests/support/core/sim_port.h"
#include "tests/support/harness.h"
#include "tests/support/user_commands.h"
#include "tools/dorvik-sim/basic_model.h"
#include "tools/dorvik-sim/qk_model.h"

namespace doc_test {

constexpr int kCom = 11;

// Counts the logger's messages on their way to the document.
class CountingCommView : public CCommView {
public:
    std::map<UINT, int> counts;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg >= 6000 && msg < 6100) ++counts[msg];
        return CCommView::WindowProc(msg, wParam, lParam);
    }
};

class DocTest : public testing_support::HarnessTest {
protected:
    testing_support::NoComPorts noPorts;
    std::unique_ptr<testing_support::SimulatedComPort> sim;
    CVarnelDoc doc;
    CMainFrame mainFrame;
    CGraphFrame graphFrame;
    CWnd host;
    CGraphView graph;
    CDataTreeView tree;
    CSetupView setup;
    CountingCommView comm;
    CSettings& settings = *doc.GetSettings();
    CDorvik& logger = *doc.GetLogger();

    DocTest() : DocTest(CVarnelDoc::LoggerFactory()) {
        settings.m_comNumber = kCom;
        settings.m_rememberPort = 1;
    }
    // With the logger `makeLogger` makes; the views are wired to the document, the search not
    // started.
    explicit DocTest(const CVarnelDoc::LoggerFactory& makeLogger) : doc(makeLogger) {
        platform::RegisterActiveXControls();
        // The real main window, whose menus and toolbars carry the commands a test chooses.
        mainFrame.CreateMainWindow();
        mainFrame.SetDocument(&doc);
        mainFrame.ShowWindow(SW_SHOW);
        host.Create(nullptr, "host", WS_VISIBLE, CRect(0, 0, 820, 420), nullptr, 0);
        graph.Create(&host, CRect(0, 0, 600, 400));
        tree.Create(&host, CRect(600, 0, 820, 400), 2);
        setup.Create(&host, CRect(0, 0, 227, 263), 3);  // its pane in an 800 x 600 window
        doc.SetMainFrame(&mainFrame);
        doc.m_dataTreeView = &tree;
        graph.Attach(&doc, &graphFrame);
        graph.RefreshGraph(TRUE);
        setup.SetDocument(&doc);
        setup.OnInitialUpdate();
    }
    ~DocTest() override {
        comm.DestroyWindow();
        setup.DestroyWindow();
        graph.DestroyWindow();
        tree.DestroyWindow();
        host.DestroyWindow();
        mainFrame.DestroyWindow();
        testing_support::ProcessQtEvents();
    }

    void MakeQk(std::unique_ptr<dorvik_sim::QkModel> model = nullptr) {
        sim = std::make_unique<testing_support::SimulatedComPort>(
            kCom, model ? std::move(model) : std::make_unique<dorvik_sim::QkModel>());
        ASSERT_TRUE(sim->line.IsReady()) << sim->line.ErrorText();
    }
    void MakeBasic() {
        sim = std::make_unique<testing_support::SimulatedComPort>(
            kCom, std::make_unique<dorvik_sim::BasicModel>());
        ASSERT_TRUE(sim->line.IsReady()) << sim->line.ErrorText();
    }
    template <class M, class F>
    auto WithModel(F&& f) {
        return sim->line.WithModelAs<M>(std::forward<F>(f));
    }
    // The communication view's first update starts the search; true once a logger is connected
    // and its first commands are done.
    bool StartAndConnect() {
        if (!comm.Create(&host, &doc, 4)) return false;
        comm.OnInitialUpdate();
        return Wait([&] {
            return logger.IsConnected() && logger.IsCommandQueueEmpty() &&
                   !logger.IsDetectionTimerOn();
        });
    }
    bool Wait(const std::function<bool()>& done,
              std::chrono::milliseconds patience = std::chrono::seconds(20)) {
        return dorvik_test::RunUntil(clock, done, patience);
    }
    // A QK set-up as the set-up window leaves it in the logger object: the switches of the
    // channels in `mask` on, the rate and the run length. Run and Send Setup take it from there.
    void ChooseQkSetup(WORD rate, BYTE mask, DWORD length) {
        for (int k = 0; k < CSetupView::kSensors; ++k)
            setup.GetSwitch(k).SetValue((mask >> CSetupView::kQkChannels[k]) & 1);
        setup.ApplySensorSelection(0, FALSE);
        logger.SetRegimeRateCode(rate);
        logger.SetRunLength(length);
    }
    // The main window's toolbar button, else its menu item.
    void Command(UINT id) { ASSERT_TRUE(testing_support::UseCommand(mainFrame, id)); }
    int Count(UINT message) { return comm.counts[message]; }

    std::vector<CDataTreeBrench*> DataSetsOf(const CDataTreeBrench* experiment) const {
        std::vector<CDataTreeBrench*> out;
        for (CDataTreeBrench* d = doc.m_dataList.GetNextDataSet(experiment->m_id); d;
             d = doc.m_dataList.GetNextDataSet(d->m_id))
            out.push_back(d);
        return out;
    }
    std::shared_ptr<platform::graph::GraphModel> Model() const {
        return std::dynamic_pointer_cast<platform::graph::GraphModel>(
            graph.GetGraph().GetGraph().GetHandle().Target());
    }
    std::vector<double> ControlY(int position) const {
        const auto& pts = *Model()->State().plots.at(static_cast<size_t>(position)).points;
        return pts.Size() ? std::vector<double>(pts.Y(), pts.Y() + pts.Size())
                          : std::vector<double>();
    }
    // Every plot's control points are its data set's first points-shown samples.
    ::testing::AssertionResult PlotsShowTheirSamples() const {
        for (int p = 0; p < graph.m_plotCount; ++p) {
            const PlotRecordStruct& r = graph.m_plots[p];
            if (!r.dataSet) continue;
            const CDataArray& y = *r.dataSet->m_y;
            const size_t n = std::min<size_t>(static_cast<size_t>(r.pointsShown), y.size());
            if (ControlY(p) != std::vector<double>(y.begin(), y.begin() + std::ptrdiff_t(n)))
                return ::testing::AssertionFailure() << "plot " << p;
        }
        return ::testing::AssertionSuccess();
    }
};

}  // namespace doc_test
