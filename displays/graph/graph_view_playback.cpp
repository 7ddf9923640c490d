// The graph's Play, Pause, Stop and Record buttons: a run with a video plays through the video
// view, whose markers move the replay; a run without one replays on the graph's own timer.

#include "app/main_frame.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_view.h"
#include "video/video_view.h"

bool CGraphView::VideoPlaying() const {
    const CVideoView* video = m_doc ? m_doc->GetVideoView() : nullptr;
    return video && video->m_playing;
}

void CGraphView::OnPlaybackPlay() {
    if (m_cursorCount > 0) HideCursors();
    if (CVideoView* video = m_doc ? m_doc->GetVideoView() : nullptr;
        video && !m_doc->GetCurrentRunVideoPath().IsEmpty()) {
        video->OnPlay();
        return;
    }
    SetPlayEnabled(FALSE);
    if (m_playbackFinished) {
        EndPlayback();
        ClearGraphPlots();
        if (!StartPlayback()) {
            SetPlayEnabled(TRUE);
            return;
        }
        SetRecordEnabled(FALSE);
    } else {
        StartPlaybackTimer();
    }
    SetPauseEnabled(TRUE);
}

void CGraphView::OnPlaybackPause() {
    CVideoView* video = m_doc ? m_doc->GetVideoView() : nullptr;
    if (video && !m_doc->GetCurrentRunVideoPath().IsEmpty()) {
        video->OnPause();
        return;
    }
    if (!m_playbackMode) return;
    SetPauseEnabled(FALSE);
    if (!(video && video->m_recordingStartedHere)) SetPlayEnabled(TRUE);
    SetRecordEnabled(FALSE);
    StopPlaybackTimer();
}

void CGraphView::OnPlaybackStop() {
    EndPlayback();
    if (CVideoView* video = m_doc ? m_doc->GetVideoView() : nullptr) {
        video->OnStop();
        return;
    }
    SetPlayEnabled(TRUE);
    SetPauseEnabled(FALSE);
}

void CGraphView::OnPlaybackRecord() {
    if (CVideoView* video = m_doc ? m_doc->GetVideoView() : nullptr;
        video && video->IsVideoDeviceReady())
        video->OnRecord();
}
