// The video view's playback half: the player in the video rectangle, the Play and Pause
// commands, and the player's events that move the graph.

#include <QFileInfo>
#include <utility>

#include "RES/dialogs/video_view.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_view.h"
#include "logger/helpers.h"
#include "platform/activex/register.h"
#include "platform/base/log.h"
#include "platform/gdi/dc.h"
#include "platform/mediafile/asf_script.h"
#include "platform/mediafile/script_schedule.h"
#include "platform/msg/message_loop.h"
#include "video/recording_video_view.h"
#include "video/video_view.h"

namespace {

// Whether the player can be given the file: there, and an ASF file whose header reads.
bool CanPlay(const CString& path, QString& why) {
    if (!QFileInfo(path.ToQString()).isFile()) {
        why = "no such file";
        return false;
    }
    std::vector<media::AsfScriptCommand> commands;
    return media::ReadAsfScriptCommandsFromFile(path.ToQString(), commands, &why);
}

// After the handler that found it, as the other messages of the document are shown.
void TellCannotPlay(const CString& path) {
    const CString text = CString::Formatted(CVideoView::kCannotPlayText, path.GetString());
    platform::MessageLoop::Current().Post([text] { ShowMessage(text, 0); });
}

}  // namespace

CVideoView::CVideoView() : CFormView(VideoViewTemplate()) {
    // The template's player is one of the registered controls, wherever a video view is made.
    static const bool registered = (platform::RegisterActiveXControls(), true);
    (void)registered;
}

int CVideoView::OnCreatePlayer() {
    if (!m_player.SubclassDlgItem(IDC_VIDEO_PLAYER, this)) return -1;
    using namespace platform::player;
    platform::EventSinkTable& sinks = GetEventSinks();
    sinks.On(IDC_VIDEO_PLAYER, kPlayStateChange, [this](LONG state) { OnPlayStateChange(state); });
    sinks.On(IDC_VIDEO_PLAYER, kScriptCommand,
             [this](const CString& type, const CString& parameter) {
                 OnScriptCommand(type, parameter);
             });
    sinks.On(IDC_VIDEO_PLAYER, kMediaError, [this](const CString& text) { OnMediaError(text); });
    return 0;
}

void CVideoView::PreparePlayback() {
    if (m_backgroundBrush.GetSafeHandle() == nullptr)
        m_backgroundBrush.CreateSolidBrush(RGB(0, 0, 0));
}

void CVideoView::OnPlay() {
    CRecordingVideoView* r = Recorder();
    if (r && r->m_deviceReady) r->RequestStop(false, false);
    if (m_doc) {
        m_doc->EnableVideoPlay(FALSE);
        m_doc->EnableVideoRecord(FALSE);
        m_doc->EnableVideoPause(TRUE);
        m_doc->EnableVideoStop(TRUE);
    }
    m_currentVideoPath = m_doc ? m_doc->GetCurrentRunVideoPath() : CString();
    if (m_currentVideoPath.IsEmpty()) {
        ReplayGraph();
        return;
    }
    // The run's own recording gets its header and markers when it ends.
    if (r && r->m_recording && r->m_recordingPath == m_currentVideoPath) {
        m_playPending = true;
        if (!SetTimer(kPendingPlayTimer, kPendingPlayPeriod, nullptr)) m_playPending = false;
        if (m_playPending) return;
    }
    // A paused video resumes only while it is still the current run's.
    const bool resume = m_player.get_playState() == platform::player::kPaused &&
                        m_loadedVideoPath == m_currentVideoPath;
    QString why;
    if (!resume && !CanPlay(m_currentVideoPath, why)) {
        qCWarning(lcVideo, "%s: %s", m_currentVideoPath.GetString(), qPrintable(why));
        TellCannotPlay(m_currentVideoPath);
        m_currentVideoPath.Empty();
        ReplayGraph();
        return;
    }
    PlayLoaded(resume);
}

void CVideoView::PlayLoaded(bool resume) {
    CGraphView* graph = m_doc ? m_doc->GetGraphView() : nullptr;
    m_replayAfterStop = false;
    if (!resume) {
        if (graph) graph->ClearGraphPlots();
        m_framesAtLoad = FramesShown();
        m_loadedVideoPath = m_currentVideoPath;
        m_player.put_URL(m_currentVideoPath);
    }
    if (graph) graph->SetPlaybackMode(TRUE);
    m_player.ShowWindow(SW_SHOW);
    m_player.SetWindowPos(&wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    CRecordingVideoView* r = Recorder();
    if (r && r->m_deviceReady) r->StopPreview();
    m_playerMode = true;
    Relayout();
    m_playing = true;
    m_player.get_controls().play();
}

void CVideoView::ReplayGraph() {
    if (!m_doc) return;
    if (CGraphView* graph = m_doc->GetGraphView()) {
        if (graph->m_playbackFinished) {
            m_doc->StopGraphReplay();
            graph->ClearGraphPlots();
            graph->StartPlayback();
        } else {
            m_doc->StopGraphReplay();
            m_doc->StartGraphReplay();
        }
    }
    m_doc->EnableVideoPlay(TRUE);
    m_doc->EnableVideoPause(TRUE);
    m_doc->EnableVideoRecord(TRUE);
    m_doc->EnableVideoStop(TRUE);
}

void CVideoView::OnPause() {
    CGraphView* graph = m_doc ? m_doc->GetGraphView() : nullptr;
    if (!graph || !graph->m_playbackMode) return;
    if (m_currentVideoPath.IsEmpty()) m_doc->PauseGraphReplay();
    if (m_playing) m_player.get_controls().pause();
    m_doc->EnableVideoPause(FALSE);
    m_doc->EnableVideoPlay(TRUE);
}

void CVideoView::StopPlayer() {
    if (m_playPending) {
        KillTimer(kPendingPlayTimer);
        m_playPending = false;
    }
    if (!m_currentVideoPath.IsEmpty())
        m_player.get_controls().stop();
    else if (m_doc)
        m_doc->StopGraphReplay();
}

void CVideoView::OnTimer(UINT_PTR id) {
    if (id != kPendingPlayTimer) {
        CFormView::OnTimer(id);
        return;
    }
    const CRecordingVideoView* r = Recorder();
    if (r && r->m_recording) return;
    KillTimer(kPendingPlayTimer);
    if (!m_playPending) return;
    m_playPending = false;
    // The recording's end gave Play back and took Pause: the play goes on.
    if (m_doc) {
        m_doc->EnableVideoPlay(FALSE);
        m_doc->EnableVideoRecord(FALSE);
        m_doc->EnableVideoPause(TRUE);
        m_doc->EnableVideoStop(TRUE);
    }
    QString why;
    if (!CanPlay(m_currentVideoPath, why)) {
        qCWarning(lcVideo, "%s: %s", m_currentVideoPath.GetString(), qPrintable(why));
        TellCannotPlay(m_currentVideoPath);
        m_currentVideoPath.Empty();
        ReplayGraph();
        return;
    }
    PlayLoaded(false);
}

void CVideoView::OnScriptCommand(const CString&, const CString& parameter) {
    if (CGraphView* graph = m_doc ? m_doc->GetGraphView() : nullptr)
        graph->SyncToVideoPosition(media::ScriptParameterValue(parameter));
}

void CVideoView::OnPlayStateChange(LONG state) {
    if (state != platform::player::kStopped) return;
    m_playerMode = true;
    if (CGraphView* graph = m_doc ? m_doc->GetGraphView() : nullptr) graph->OnPlaybackStop();
    Relayout();
    OnStop();
    if (std::exchange(m_replayAfterStop, false)) {
        m_currentVideoPath.Empty();
        m_loadedVideoPath.Empty();
        ReplayGraph();
    }
}

void CVideoView::OnMediaError(const CString& text) {
    // The stopped state follows and ends the replay.
    const CString path = m_loadedVideoPath.IsEmpty() ? m_currentVideoPath : m_loadedVideoPath;
    qCWarning(lcVideo, "%s: %s", path.GetString(), text.GetString());
    TellCannotPlay(path);
    m_replayAfterStop = m_playing && FramesShown() == m_framesAtLoad;
}

int CVideoView::FramesShown() const {
    const CWMPControl* player = m_player.Player();
    return player ? player->FrameCount() : 0;
}

void CVideoView::OnSize(UINT type, int cx, int cy) {
    CFormView::OnSize(type, cx, cy);
    if (!m_initialised || !m_player.GetSafeHwnd()) return;
    const double fit = cx * m_aspectRatio;
    const int h = fit <= cy ? static_cast<int>(fit) : cy;
    const int top = (cy - h) / 2;
    m_player.MoveWindow(0, top, cx, h);
}

void CVideoView::OnDraw(CDC* dc) {
    CRect client;
    GetClientRect(&client);
    PreparePlayback();
    dc->FillRect(&client, &m_backgroundBrush);
}

BOOL CVideoView::OnEraseBkgnd(CDC* dc) {
    OnDraw(dc);
    return TRUE;
}

LRESULT CVideoView::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CTLCOLORSTATIC) {
        PreparePlayback();
        return reinterpret_cast<LRESULT>(&m_backgroundBrush);
    }
    return CFormView::WindowProc(msg, wParam, lParam);
}
