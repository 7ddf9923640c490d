#pragma once
// A graph view and a data map in a host window, on a document without a logger, with data sets
// made to order. The control is observed through its own model.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app/data_tree_view.h"
#include "app/main_frame.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_frame.h"
#include "displays/graph/graph_view.h"
#include "logger/data_tree.h"
#include "logger/settings.h"
#include "platform/activex/graph_model.h"
#include "tests/support/harness.h"

namespace graph_test {

struct SetFields {
    const char* name = "Light";
    WORD rate = 41;
    BYTE model = 100;
    WORD kind = 2;  // a QK's light sensor
    BYTE sensor = 0;
    SHORT second = 0;  // non-zero: a recorded sensor, in its sensor colour and sharing axes
    const char* unit = "lux";
};
// A QK's own temperature sensor as a run records it.
inline SetFields TemperatureFields(const char* name = "Temp") {
    return {name, 41, 100, 0, 0, 1, "C"};
}

class GraphViewTest : public testing_support::HarnessTest {
protected:
    // In frames, the view is the pane of a real graph frame in a real main window, whose
    // toolbars and menus reach its commands as a user does; else it lies in a plain host window.
    explicit GraphViewTest(bool inFrames = false);
    ~GraphViewTest() override;
    // Sizes the graph frame so that the view gets this client size (in frames only).
    void SizeView(int w, int h);

    CDataTreeBrench* AddSet(const SetFields& fields, std::vector<double> y);
    CDataTreeBrench* AddSet(std::vector<double> y) { return AddSet(SetFields{}, std::move(y)); }
    // Appends samples to a data set as a run does.
    static void Append(CDataTreeBrench* set, const std::vector<double>& y);
    SHORT Add(CDataTreeBrench* set, BOOL* addedOut = nullptr, BOOL force = FALSE,
              WORD channel = 65535);

    std::shared_ptr<platform::graph::GraphModel> Model() const;
    const platform::graph::GraphState& State() const { return Model()->State(); }
    int ControlPlots() const { return static_cast<int>(State().plots.size()); }
    std::vector<double> ControlX(int position) const;
    std::vector<double> ControlY(int position) const;
    // The data set's first n samples.
    static std::vector<double> First(const CDataArray& a, size_t n);

    CVarnelDoc doc;
    CMainFrame mainFrame;
    CGraphFrame frame;
    CWnd host;
    CGraphView view;
    CDataTreeView tree;
    CDataTreeBrench* experiment = nullptr;
};

}  // namespace graph_test
