#include "displays/graph/graph_frame.h"
#include "displays/graph/graph_view.h"
#include "platform/activex/register.h"

#include <gtest/gtest.h>

#include <QToolBar>

#include "RES/commands.h"
#include "RES/dialogs/graph_title.h"
#include "RES/graph_bars.h"
#include "tests/support/harness.h"

namespace {

class GraphFrameTest : public testing_support::HarnessTest {
protected:
    GraphFrameTest() {
        frame.Create(nullptr, "Graph", 0x00CF4000, CRect(0, 0, 600, 400), nullptr);
        frame.ShowWindow(SW_SHOW);
    }
    ~GraphFrameTest() override {
        frame.DestroyWindow();
        testing_support::ProcessQtEvents();
    }
    CCmdUI Update(UINT id) {
        CCmdUI ui;
        ui.m_nID = id;
        EXPECT_TRUE(frame.UpdateCommand(id, ui)) << id;
        return ui;
    }
    CGraphFrame frame;
};

TEST_F(GraphFrameTest, CommandStatesFollowTheFlags) {
    // A new frame: only the annotation command and the move mode are enabled.
    EXPECT_TRUE(Update(ID_GV_ADD_ANNOTATION).m_enabled);
    EXPECT_TRUE(Update(ID_GV_MOVE_ANNOTATION).m_enabled);
    for (UINT id :
         {ID_GV_PROPERTIES, ID_GV_EXPORT, ID_GV_AUTOSCALE, ID_GV_ADD_GRAPH, ID_GV_ADD_PREDICTION,
          ID_GV_DISPLAY_CURSOR, ID_GV_ERASE_PREDICTION, ID_GV_SECOND_CURSOR})
        EXPECT_FALSE(Update(id).m_enabled) << id;
    frame.m_addAnnotationEnabled = FALSE;
    EXPECT_FALSE(Update(ID_GV_ADD_ANNOTATION).m_enabled);

    // Pause\Continue: its check follows the pause flag, the bar graph greys it either way.
    for (BOOL paused : {FALSE, TRUE}) {
        frame.m_paused = paused;
        frame.m_barGraph = TRUE;
        CCmdUI ui = Update(ID_GV_PAUSE);
        EXPECT_FALSE(ui.m_enabled);
        EXPECT_EQ(ui.m_checked, paused ? 1 : 0);
        frame.m_barGraph = FALSE;
        EXPECT_TRUE(Update(ID_GV_PAUSE).m_enabled);
    }
    frame.m_zoomOn = TRUE;
    EXPECT_EQ(Update(ID_GV_ZOOM).m_checked, 1);
    CCmdUI other;
    EXPECT_FALSE(frame.UpdateCommand(ID_BLANK_BUTTON, other));

    // Through the command route, as the toolbar asks.
    CCmdUI routed;
    routed.m_nID = ID_GV_AUTOSCALE;
    frame.m_autoscaleEnabled = TRUE;
    routed.DoUpdate(&frame, TRUE);
    EXPECT_TRUE(routed.m_enabled);
}

TEST_F(GraphFrameTest, OneToolbarPerLevel) {
    struct Row {
        void (CGraphFrame::*show)(bool);
        CGraphToolbar* bar;
        int buttons;
    } rows[] = {{&CGraphFrame::ShowBasicToolbar, &frame.GetBasicToolbar(), 8},
                {&CGraphFrame::ShowSimpleToolbar, &frame.GetSimpleToolbar(), 12},
                {&CGraphFrame::ShowAdvancedToolbar, &frame.GetAdvancedToolbar(), 16}};
    for (const Row& r : rows)
        EXPECT_FALSE(r.bar->Bar()->isVisibleTo(frame.GetWidget())) << "all hidden at first";
    for (const Row& shown : rows) {
        for (const Row& r : rows)
            (frame.*r.show)(&r == &shown);
        for (const Row& r : rows)
            EXPECT_EQ(r.bar->Bar()->isVisibleTo(frame.GetWidget()), &r == &shown);
        EXPECT_EQ(shown.bar->GetCount(), shown.buttons);
    }
    EXPECT_EQ(frame.GetAdvancedToolbar().GetItemID(13), ID_GV_PAUSE);
    EXPECT_EQ(GraphCommandText(ID_GV_PAUSE), "Pause\\Continue");
    EXPECT_EQ(frame.GetInfoBar().GetCount(), 3);
}

TEST_F(GraphFrameTest, ReadoutBarShowsOneStaticAcrossTheFrame) {
    CStatic& readout = frame.GetInfoBar().m_readout;
    CStatic& position = frame.GetInfoBar().m_position;
    EXPECT_EQ(position.GetWindowText(), "Position : ");
    struct Row {
        const char* analysis;
        int width;
        bool allowed;
        bool readoutShown, positionShown;
        int staticWidth;
    } rows[] = {{"", 600, true, false, true, 590},
                {"f(x) = 2x + 1", 600, true, true, false, 590},
                {"f(x) = 2x + 1", 5, false, true, false, 0},
                {"", 300, false, false, false, 290},
                {"", 5, true, false, true, 0}};
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.analysis << " at " << r.width);
        frame.AllowPositionText(r.allowed);
        frame.SetReadoutText(r.analysis);
        frame.LayoutInfoBar(r.width);
        EXPECT_EQ(frame.m_readoutShown, r.readoutShown ? 1 : 0);
        EXPECT_EQ(readout.IsWindowVisible() != FALSE, r.readoutShown);
        EXPECT_EQ(position.IsWindowVisible() != FALSE, r.positionShown);
        CStatic& placed = r.readoutShown ? readout : position;
        CRect rect;
        placed.GetWindowRect(&rect);
        frame.GetInfoBar().ScreenToClient(&rect);
        EXPECT_EQ(rect.left, 10);
        EXPECT_EQ(rect.top, 7);
        EXPECT_EQ(rect.Width(), r.staticWidth);
        EXPECT_EQ(rect.Height(), 23);
    }
    frame.SetPositionText("X = 1.000 (Samples) Y = 2.000 (lux)");
    EXPECT_EQ(position.GetWindowText(), "X = 1.000 (Samples) Y = 2.000 (lux)");
}

TEST_F(GraphFrameTest, TitleDialog) {
    CGraphTitleDialog dialog;
    dialog.SetTitle("Cooling");
    modals.ExpectDialog(IDD_GRAPH_TITLE, [](CDialog& d) {
        EXPECT_EQ(d.GetWindowText(), "Graph title");
        EXPECT_EQ(d.GetDlgItemText(IDC_GRAPH_TITLE_LABEL), "Graph title");
        EXPECT_EQ(d.GetDlgItemText(IDC_GRAPH_TITLE_EDIT), "Cooling");
        testing_support::TypeText(d, IDC_GRAPH_TITLE_EDIT, "Heating");
        testing_support::Press(d, IDOK);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.GetTitle(), "Heating");

    modals.ExpectDialog(IDD_GRAPH_TITLE, [](CDialog& d) {
        testing_support::TypeText(d, IDC_GRAPH_TITLE_EDIT, "Lost");
        testing_support::Press(d, IDCANCEL);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.GetTitle(), "Heating");
    EXPECT_EQ(CGraphTitleDialog().GetTitle(), "");
}

TEST_F(GraphFrameTest, TheViewFillsTheFrameAndHidesThePositionWhenNarrow) {
    platform::RegisterActiveXControls();
    CGraphView view;
    ASSERT_TRUE(view.Create(&frame, CRect(0, 0, 10, 10)));
    view.Attach(nullptr, &frame);
    frame.SetActiveView(&view, FALSE);
    CStatic& position = frame.GetInfoBar().m_position;
    for (int width : {600, 399, 400}) {
        frame.MoveWindow(0, 0, width, 400);
        testing_support::ProcessQtEvents();
        CRect client, control;
        view.GetClientRect(&client);
        view.GetGraph().GetClientRect(&control);
        EXPECT_EQ(client.Width(), width);
        EXPECT_EQ(control.Size(), client.Size()) << "the control fills the view";
        EXPECT_EQ(position.IsWindowVisible() != FALSE, width >= 400) << width;
    }
    view.DestroyWindow();
}

}  // namespace
