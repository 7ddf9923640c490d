// The document's Video commands that reach the recording.
#include "app/varnel_doc.h"
#include "video/recording_video_view.h"
#include "video/video_view.h"

void CVarnelDoc::OnVideoRecord() {
    if (m_videoView) m_videoView->OnRecord();
}

void CVarnelDoc::OnVideoStop() {
    if (m_videoView) m_videoView->OnStop();
}

void CVarnelDoc::OnVideoPlay() {
    if (m_videoView) m_videoView->OnPlay();
}

void CVarnelDoc::OnVideoPause() {
    if (m_videoView) m_videoView->OnPause();
}

void CVarnelDoc::OnSelectVideoDevice() {
    if (m_recordingVideoView) m_recordingVideoView->SelectVideoDevice();
}
