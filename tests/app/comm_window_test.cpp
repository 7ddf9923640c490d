// The communication window is never seen: its frame is as small as its view, where it started.

#include <gtest/gtest.h>

#include <QMdiArea>
#include <QMdiSubWindow>

#include "app/varnel_app.h"
#include "app/varnel_doc.h"
#include "experiment/comm_view.h"
#include "tests/support/core/sim_port.h"
#include "tests/support/harness.h"

namespace {

class CommWindow : public testing_support::HarnessTest {
protected:
    testing_support::NoComPorts noPorts;
    CVarnelApp app;
};

TEST_F(CommWindow, TakesOnePixelOfTheMainWindowWhereverItIsRaised) {
    ASSERT_TRUE(app.InitInstance());
    CCommView* comm = app.GetDocument()->GetCommView();
    ASSERT_TRUE(comm);
    CFrameWnd* frame = comm->GetParentFrame();
    ASSERT_TRUE(frame);
    auto* sub = qobject_cast<QMdiSubWindow*>(frame->GetWidget());
    ASSERT_TRUE(sub);
    // The main window raises its current child when it is activated, as after a pop-up closes.
    sub->mdiArea()->setActiveSubWindow(sub);
    EXPECT_EQ(sub->geometry(), QRect(0, 0, 1, 1));
    EXPECT_EQ(comm->GetWidget()->size(), QSize(1, 1));
    app.ExitInstance();
}

}  // namespace
