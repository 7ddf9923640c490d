// The document's side of video recording.
#include <algorithm>

#include "app/varnel_doc.h"
#include "logger/data_tree.h"
#include "video/recording_video_view.h"
#include "video/video_quality.h"
#include "video/video_view.h"

void CVarnelDoc::AttachVideoToRuns() {
    CRecordingVideoView* recorder = m_recordingVideoView;
    if (!recorder || !recorder->m_recording || !m_runInProgress || m_currentRunCount == 0) return;
    if (recorder->m_tiedToExperiment) {
        // The file belongs to the experiment tied first; the new runs keep no video.
        for (WORD i = 0; i < m_currentRunCount; ++i)
            if (m_currentRun[i] && m_currentRun[i]->m_videoFile == recorder->GetRecordedFileName())
                m_currentRun[i]->m_videoFile.Empty();
        if (m_videoView) m_videoView->m_recordingStartedHere = false;
        PostUserMessage(kTwoExperimentsText);
        return;
    }
    for (WORD i = 0; i < m_currentRunCount; ++i)
        if (m_currentRun[i] && m_currentRun[i]->m_videoFile.IsEmpty()) {
            m_currentRun[i]->m_videoFile = recorder->GetRecordedFileName();
            m_currentRun[i]->m_identityValue = recorder->GetQualityCode();
        }
    recorder->m_tiedToExperiment = true;
    recorder->SendSyncMarker(1);
}

LONG CVarnelDoc::GetMaxSampleCount() const {
    LONG most = 0;
    for (WORD i = 0; i < m_currentRunCount; ++i)
        if (m_currentRun[i]) most = std::max<LONG>(most, m_currentRun[i]->GetYCount());
    return most;
}

void CVarnelDoc::OnVideoRecord() {
    if (m_videoView) m_videoView->OnRecord();
}

void CVarnelDoc::OnVideoStop() {
    if (m_videoView) m_videoView->OnStop();
}

void CVarnelDoc::OnVideoProperties() {
    if (!m_videoView) return;
    CVideoQuality dialog;
    dialog.SetCode(m_videoView->GetQualityCode());
    if (dialog.DoModal() == IDOK) m_videoView->SetQualityCode(dialog.GetCode());
}

void CVarnelDoc::OnVideoEnable() {
    if (m_videoView) m_videoView->InitVideoDevice(true);
}

void CVarnelDoc::OnSelectVideoDevice() {
    if (m_recordingVideoView) m_recordingVideoView->SelectVideoDevice();
}
