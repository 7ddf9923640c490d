// The video view's place among the program's own windows: the player or the live picture takes
// the video rectangle, the other waits hidden.

#include <gtest/gtest.h>

#include "app/varnel_app.h"
#include "app/varnel_doc.h"
#include "tests/support/core/sim_port.h"
#include "tests/support/harness.h"
#include "video/recording_video_view.h"
#include "video/video_view.h"

namespace {

class VideoLayout : public testing_support::HarnessTest {
protected:
    testing_support::NoComPorts noPorts;
    static CRect Placed(CFrameWnd* frame) {
        CRect r;
        frame->GetWindowRect(&r);
        frame->GetParent()->ScreenToClient(&r);
        return r;
    }
    static std::string Text(const CRect& r) {
        return CString::Formatted("%d,%d,%d,%d", int(r.left), int(r.top), int(r.right),
                                  int(r.bottom))
            .str();
    }
};

TEST_F(VideoLayout, RelayoutShowsOneFrameInTheVideoRectangle) {
    CVarnelApp app;
    ASSERT_TRUE(app.InitInstance());
    CVarnelDoc* doc = app.GetDocument();
    CVideoView* video = doc->GetVideoView();
    CRecordingVideoView* recorder = doc->GetRecordingVideoView();
    ASSERT_TRUE(video && recorder);
    CFrameWnd* mine = video->GetParentFrame();
    CFrameWnd* theirs = recorder->GetParentFrame();
    ASSERT_TRUE(mine && theirs);
    EXPECT_TRUE(video->m_initialised);

    video->m_playerMode = true;
    video->SetVideoRect(CRect(10, 20, 230, 200));
    EXPECT_TRUE(mine->IsWindowVisible());
    // Placed in the frame's client area, below the bars: the same place in both modes.
    const CRect shown = Placed(mine);
    EXPECT_EQ(shown.left, 10);
    EXPECT_EQ(Text(CRect(0, 0, shown.Width(), shown.Height())), "0,0,220,180");
    EXPECT_FALSE(theirs->IsWindowVisible());
    EXPECT_EQ(Placed(theirs).Width(), 0) << Placed(theirs).Height();

    video->m_playerMode = false;
    video->Relayout();
    EXPECT_TRUE(theirs->IsWindowVisible());
    EXPECT_EQ(Text(Placed(theirs)), Text(shown));
    EXPECT_FALSE(mine->IsWindowVisible());
    EXPECT_EQ(Placed(mine).Width(), 0) << Placed(mine).Height();
    app.ExitInstance();
}

}  // namespace
