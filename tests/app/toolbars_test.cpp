// Every command within a user's reach on the real program: at each user-interface level each
// frame shows its level's toolbar, each button of it with room, a picture and a tip, and every
// command the program binds to a menu or a button is found on one.

#include <gtest/gtest.h>

#include <QToolBar>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "RES/commands.h"
#include "RES/dialogs/option_dialogs.h"
#include "app/varnel_app.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_frame.h"
#include "displays/graph/graph_view.h"
#include "displays/meter/meter_view.h"
#include "experiment/html_doc_view.h"
#include "logger/dorvik.h"
#include "logger/settings.h"
#include "platform/msg/standard_ids.h"
#include "tests/support/core/sim_port.h"
#include "tests/support/harness.h"
#include "tests/support/user_commands.h"

namespace {

using testing_support::ChooseMenuCommand;

// The commands bound to a menu item or a toolbar button. The Run button's drop-down items
// (3915 to 3917) are reached through its arrow, not here.
const UINT kBoundCommands[] = {
    3869, 57601, 57603, 57604, 2165, 2157, 2158, 2131, 2150, 2155, 2164, 57607, 3881, 57606, 57665,
    3811, 2118, 3874, 2121, 3876, 2119, 3890, 2120, 2092, 2122, 2123, 3877, 3872, 4811, 4812, 3884,
    3961, 3962, 4810, 3963, 3886, 2156, 4808, 4815, 2000, 2153, 2144, 2145, 2146, 2147, 2148, 3856,
    2097, 2134, 2133, 2113, 2112, 2114, 2093, 2115, 2101, 2116, 2100, 2117, 2098, 2126, 2127, 2128,
    2129, 3814, 3815, 3816, 3817, 3818, 3820, 4956, 3804, 3801, 3802, 3803, 4781, 3860, 4783, 2137,
    2136, 2135, 4782, 2132, 3911, 3912, 3913, 4922, 3861, 2103, 2104, 4822, 2102, 4824, 4825, 4826,
    2107, 4828, 2161, 2138, 4068, 4069, 57664,
    // the graph window's buttons
    2140, 2141, 2083, 2082, 3899, 3870, 2130, 2091, 2105, 3891, 3903, 3898, 3901, 3900, 2110,
    // the meter window's
    2085, 2086, 2087, 2088, 2089};

class ToolbarsTest : public ::testing::Test {
protected:
    ToolbarsTest() {
        app = std::make_unique<CVarnelApp>();
        EXPECT_TRUE(app->InitInstance());
        main = app->GetMainFrame();
        clock.RunPending();
    }
    ~ToolbarsTest() override {
        if (app) app->ExitInstance();
        app.reset();
        testing_support::ProcessQtEvents();
    }

    void ChooseLevel(int id) {
        modals.ExpectDialog(IDD_USER_INTERFACE, [id](CDialog& d) {
            testing_support::Press(d, id);
            testing_support::Press(d, IDOK);
        });
        ChooseMenuCommand(*main, ID_USER_INTERFACE_SETTINGS);
    }

    // The frame's toolbars that are shown, by resource.
    static std::map<UINT, CToolBar*> ShownBars(CFrameWnd& frame) {
        std::map<UINT, CToolBar*> shown;
        for (CWnd* child : frame.GetChildren())
            if (auto* bar = dynamic_cast<CToolBar*>(child);
                bar && !dynamic_cast<CGraphInfoBar*>(bar) && bar->Bar() && !bar->Bar()->isHidden())
                shown[bar->GetResourceId()] = bar;
        return shown;
    }

    testing_support::ScopedVirtualClock clock;
    testing_support::TempEnvironment env;
    testing_support::NoComPorts noPorts;
    // A port where no logger answers: the search for one goes on while the test looks.
    testing_support::SimulatedComPort silent{2, CDorvik::kBasicBaudRate};
    testing_support::ModalScript modals;
    std::unique_ptr<CVarnelApp> app;
    CMainFrame* main = nullptr;
};

TEST_F(ToolbarsTest, EachFrameShowsItsLevelsToolbarWithPicturesAndEveryCommandIsOnOne) {
    CVarnelDoc& doc = *app->GetDocument();
    struct Window {
        const char* name;
        UINT display;  // the View command that shows it
        std::function<CFrameWnd*()> frame;
        UINT bars[3];  // the toolbar shown at Basic, Simple and Advanced
    };
    const Window windows[] = {
        {"main", 0, [&] { return static_cast<CFrameWnd*>(main); }, {288, 289, 152}},
        {"graph",
         ID_VIEW_GRAPH,
         [&] { return doc.m_graphView->GetParentFrame(); },
         {290, 291, 168}},
        {"meters",
         ID_VIEW_METERS,
         [&] { return doc.GetMeterView()->GetParentFrame(); },
         {250, 250, 250}},
        {"workbook",
         ID_VIEW_WORKBOOK,
         [&] { return doc.GetHtmlDocView()->GetParentFrame(); },
         {292, 292, 253}},
    };
    struct Level {
        const char* name;
        int level;
        UINT radio;  // 0: as the program starts
    };
    const Level levels[] = {{"advanced at start-up", 2, 0},
                            {"basic", 0, IDC_LEVEL_BASIC},
                            {"simple", 1, IDC_LEVEL_SIMPLE},
                            {"advanced after a switch", 2, IDC_LEVEL_ADVANCED}};
    std::set<UINT> reached;
    for (const Level& level : levels) {
        SCOPED_TRACE(level.name);
        if (level.radio) ChooseLevel(static_cast<int>(level.radio));
        ASSERT_EQ(doc.GetSettings()->m_interfaceLevel, level.level);
        // The workbook's command toggles it; shown, it would keep the main area.
        if (main->m_workbookShown) ChooseMenuCommand(*main, ID_VIEW_WORKBOOK);
        for (const Window& w : windows) {
            SCOPED_TRACE(w.name);
            if (w.display) ChooseMenuCommand(*main, w.display);
            CFrameWnd& frame = *w.frame();
            const std::map<UINT, CToolBar*> shown = ShownBars(frame);
            ASSERT_EQ(shown.size(), 1u);
            ASSERT_EQ(shown.begin()->first, w.bars[level.level]);
            CToolBar& bar = *shown.begin()->second;
            for (int i = 0; i < bar.GetCount(); ++i) {
                const UINT id = bar.GetItemID(i);
                if (id == ID_SEPARATOR || id == ID_BLANK_BUTTON || id == ID_SPARE_2151) continue;
                const testing_support::CommandState s =
                    testing_support::ToolbarButtonState(frame, id);
                EXPECT_TRUE(s.visible && s.picture) << id << " (" << s.where << "): " << s.problem;
                EXPECT_FALSE(bar.GetButtonTip(i).IsEmpty())
                    << id << " (" << s.where << ") has no tip";
                if (s.visible) reached.insert(id);
            }
            const QString name =
                QString("toolbar-%1-%2").arg(bar.GetResourceId()).arg(level.name).replace(' ', '-');
            testing_support::SaveTestImage(testing_support::RenderWidget(bar.Bar()),
                                           name.toUtf8().constData());
        }
        for (UINT id : kBoundCommands)
            if (testing_support::MenuCommandState(*main, id).visible) reached.insert(id);
    }
    for (UINT id : kBoundCommands)
        EXPECT_TRUE(reached.count(id)) << id << " is on no menu and no toolbar button";
}

}  // namespace
