#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>

#include "app/varnel_app.h"
#include "tests/support/harness.h"

namespace {

// The program starts with an empty main frame titled "Varnel" and ends when it is closed.
TEST(Startup, MainFrameOpensAndClosingEndsTheLoop) {
    testing_support::TempEnvironment env;
    CVarnelApp app;
    ASSERT_TRUE(app.InitInstance());
    CWnd* frame = app.m_pMainWnd;
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->GetWindowText(), "Varnel");
    EXPECT_TRUE(frame->IsWindowVisible());
    QTimer::singleShot(0, [frame] { frame->GetWidget()->close(); });
    EXPECT_EQ(app.Run(), 0);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
}

}  // namespace
