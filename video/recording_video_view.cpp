#include "video/recording_video_view.h"

#include <fcntl.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>

#include "app/main_frame.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_view.h"
#include "logger/helpers.h"
#include "logger/precise_time.h"
#include "logger/settings.h"
#include "platform/base/log.h"
#include "platform/msg/message_loop.h"
#include "platform/ui/modal_host.h"
#include "platform/win/doc_template.h"
#include "video/select_camera_driver_dialog.h"
#include "video/video_view.h"

IMPLEMENT_DYNCREATE(CRecordingVideoFrame, CChildFrame)
IMPLEMENT_DYNCREATE(CRecordingVideoView, CView)

using namespace media;

namespace {

CPreciseDateTime (*s_now)() = &CPreciseDateTime::GetCurrentTime;

// Creates the file only when no file has the name, so a recording that runs already name is
// never emptied.
// 0, or the errno of the failure.
int CreateNew(const CString& path) {
    const int fd = ::open(path.ToQString().toLocal8Bit().constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return errno;
    ::close(fd);
    return 0;
}

const char* ProfileName(WORD code) {
    switch (code) {
        case 11:
            return "AudioLowQuality.prx";
        case 12:
            return "AudioMediumQuality.prx";
        case 13:
            return "AudioHighQuality.prx";
        case 21:
            return "VideoLowQuality.prx";
        case 22:
            return "VideoMediumQuality.prx";
        case 23:
            return "VideoHighQuality.prx";
        case 31:
            return "AVLowQuality.prx";
        case 32:
            return "AVMediumQuality.prx";
        case 33:
            return "AVHighQuality.prx";
        default:
            return nullptr;
    }
}

}  // namespace

void CRecordingVideoView::SetClockForTesting(CPreciseDateTime (*now)()) {
    s_now = now ? now : &CPreciseDateTime::GetCurrentTime;
}

CString CRecordingVideoView::TempFolder() {
    return GetDataRoot() + "Temp Data/";
}

CRecordingVideoView::~CRecordingVideoView() {
    // The window is gone: its timers with it.
    m_markerTimerRunning = false;
    if (m_encoder) {
        RequestStop(true, true);
        StopPreview();
        StopEncoder();
        m_encoder->RemoveSource(kSourceAudio, 0);
        m_encoder->RemoveSource(kSourceVideo, 0);
        m_encoder->RemoveSource(kSourceScript, 0);
        if (m_encoder->GetViewWindow(m_previewCookie))
            m_encoder->SetViewProperties(m_previewCookie, nullptr);
        m_encoder->RemoveAllPreviews();
        m_encoder->RemoveSourceGroup(0);
        m_encoder.reset();
    }
    if (m_doc && m_doc->m_recordingVideoView == this) m_doc->m_recordingVideoView = nullptr;
}

BOOL CRecordingVideoView::Create(CWnd* parent, CVarnelDoc* doc) {
    CCreateContext context;
    context.m_pCurrentDoc = doc;
    return CView::Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), parent,
                         AFX_IDW_PANE_FIRST, &context);
}

int CRecordingVideoView::OnCreate(LPCREATESTRUCT cs) {
    if (CView::OnCreate(cs) == -1) return -1;
    m_doc = dynamic_cast<CVarnelDoc*>(GetDocument());
    if (!m_doc) return 0;
    m_doc->m_recordingVideoView = this;
    SetToggleCaption(true);
    HRESULT hr = S_OK;
    m_encoder = CreateEncoder(CLSID_WMEncoder, IID_IWMEncoder, &hr);
    if (!m_encoder) {
        qCWarning(lcVideo, "no encoder (0x%08lx)", static_cast<unsigned long>(hr));
        return 0;
    }
    m_encoder->AddSourceGroup("SGAV");
    if (SUCCEEDED(m_encoder->AddSource(kSourceVideo)))
        m_encoder->SetSourceInput(kSourceVideo, m_videoDeviceInput);
    if (SUCCEEDED(m_encoder->AddSource(kSourceAudio)))
        m_encoder->SetSourceInput(kSourceAudio, kDefaultAudioInput);
    if (SUCCEEDED(m_encoder->AddSource(kSourceScript)))
        m_encoder->SetSourceInput(kSourceScript, "UserScript://");
    m_videoPresent = m_audioPresent = true;
    LoadProfile(32);
    m_encoder->AddPreview(&m_previewCookie);
    m_encoder->SetOption(0, false);
    return 0;
}

void CRecordingVideoView::OnInitialUpdate() {
    if (m_doc && m_doc->m_mainFrame) {
        CRect r;
        m_doc->m_mainFrame->GetClientRect(&r);
        m_doc->LayoutStandardWindows(r.Width(), r.Height());
    }
}

QWidget* CRecordingVideoView::PreviewWindow() const {
    return GetWidget();
}

void CRecordingVideoView::SetToggleCaption(bool enable) {
    if (m_doc && m_doc->m_mainFrame)
        m_doc->m_mainFrame->m_videoToggleCaption = enable ? "Enable video" : "Disable video";
}

bool CRecordingVideoView::StartTimer(UINT id, UINT period, bool& running) {
    running = SetTimer(id, period) != 0;
    if (!running) {
        // Shown after the handler: a modal box inside the logger's timers would re-enter them.
        const UINT icon = id == kStopTimer ? 0 : MB_ICONSTOP;
        platform::MessageLoop::Current().Post(
            [icon] { MessageBox(nullptr, "SetTimer failed", "Error", MB_OK | icon); });
    }
    return running;
}

void CRecordingVideoView::KillTimerFlag(UINT id, bool& running) {
    if (running) KillTimer(id);
    running = false;
}

void CRecordingVideoView::LoadProfile(WORD code) {
    m_qualityCode = code;
    RequestStop(true, false);
    StopPreview();
    StopEncoder();
    if (!m_encoder) return;
    if (const char* name = ProfileName(code)) {
        const int content = code / 10;
        m_previewWanted = content != 1;
        m_markerPeriod = content == 1 ? 500 : 100;
        if (content == 1) {
            RemoveVideo();
            AddAudio();
        } else if (content == 2) {
            AddVideo();
            RemoveAudio();
        } else if (code == 32) {
            AddAudio();
            AddVideo();
        } else {
            AddVideo();
            AddAudio();
        }
        m_encoder->SetProfile(GetExeFolder() + "Video Profiles/" + name);
    }
    if (m_deviceInitialised) {
        StartEncoder();
        StartPreview();
    }
}

void CRecordingVideoView::AddVideo() {
    if (m_videoPresent || FAILED(m_encoder->AddSource(kSourceVideo))) return;
    m_encoder->SetSourceInput(kSourceVideo, m_videoDeviceInput);
    m_previewCookie = -1;
    m_encoder->AddPreview(&m_previewCookie);
    m_videoPresent = true;
}

void CRecordingVideoView::RemoveVideo() {
    if (!m_videoPresent) return;
    m_encoder->RemoveAllPreviews();
    m_previewCookie = -1;
    if (SUCCEEDED(m_encoder->RemoveSource(kSourceVideo, 0))) m_videoPresent = false;
}

void CRecordingVideoView::AddAudio() {
    if (m_audioPresent || FAILED(m_encoder->AddSource(kSourceAudio))) return;
    m_encoder->SetSourceInput(kSourceAudio, kDefaultAudioInput);
    m_audioPresent = true;
}

void CRecordingVideoView::RemoveAudio() {
    if (m_audioPresent && SUCCEEDED(m_encoder->RemoveSource(kSourceAudio, 0)))
        m_audioPresent = false;
}

void CRecordingVideoView::StartEncoder() {
    if (m_encoderRunning || !m_encoder) return;
    if (SUCCEEDED(m_encoder->Start())) {
        m_deviceReady = true;
        if (m_doc) m_doc->EnableVideoRecord(TRUE);
        SetToggleCaption(false);
        m_encoderRunning = true;
    } else {
        m_deviceReady = false;
        SetToggleCaption(true);
        if (m_doc) m_doc->EnableVideoRecord(FALSE);
    }
}

void CRecordingVideoView::StopEncoder() {
    if (!m_encoderRunning) return;
    m_encoder->Stop();
    m_deviceReady = false;
    m_encoderRunning = false;
    if (m_doc) m_doc->EnableVideoRecord(FALSE);
}

void CRecordingVideoView::StartPreview() {
    if (!m_encoderRunning || m_previewRunning || !m_previewWanted) return;
    QWidget* comm = nullptr;
    if (m_doc)
        if (CWnd* view = reinterpret_cast<CWnd*>(m_doc->GetCommView())) comm = view->GetWidget();
    m_encoder->SetViewProperties(m_previewCookie, comm);
    m_encoder->StartView(m_previewCookie);
    m_encoder->StopView(m_previewCookie);
    m_previewWindow = PreviewWindow();
    m_encoder->SetViewProperties(m_previewCookie, m_previewWindow);
    m_encoder->SetViewProperties(m_previewCookie, m_previewWindow);
    m_previewRunning = m_encoder->StartView(m_previewCookie) == 1;
}

void CRecordingVideoView::StopPreview() {
    if (!m_previewRunning) return;
    m_encoder->StopView(m_previewCookie);
    m_previewRunning = false;
}

void CRecordingVideoView::StartRecording() {
    if (!m_encoder || !m_doc) return;
    const CString folder = TempFolder();
    // A folder that cannot be made says why when the first file in it is not.
    QDir().mkpath(folder.ToQString());
    CString path, tried;
    int error = 0;
    const CString stamp = s_now().FormatFileStamp(m_doc->GetSettings()->m_dateStyle);
    for (int n = -1; n < 99 && path.IsEmpty(); ++n) {
        const CString name = n < 0 ? folder + stamp + ".wmv"
                                   : CString::Formatted("%s%s~%d%s", folder.GetString(),
                                                        stamp.GetString(), n, ".wmv");
        error = CreateNew(name);
        if (!error) path = name;
        if (n < 0) tried = name;
        if (error && error != EEXIST) break;
    }
    if (path.IsEmpty()) {
        // Recording on into the previous output would tie the new runs to a file of the last one.
        qCWarning(lcVideo, "no recording file can be made in %s", qPrintable(folder.ToQString()));
        LogSaveError("CRecordingVideoView::StartRecording",
                     tried + ": " + CString(std::strerror(error)));
        const CString text = CString::Formatted(kNoFileText, folder.GetString());
        platform::MessageLoop::Current().Post([text] { ShowMessage(text, 0); });
        return;
    }
    m_doc->EnableVideoPlay(FALSE);
    m_doc->EnableVideoPause(FALSE);
    m_doc->EnableVideoRecord(FALSE);
    m_doc->EnableVideoStop(TRUE);
    m_encoder->Archive(kArchiveLocal, kArchiveStop);
    for (int option = 0; option < 3; ++option)
        m_encoder->SetOption(option, false);
    m_encoder->SetLocalFileName(path);
    m_recordingPath = path;
    if (FAILED(m_encoder->Archive(kArchiveLocal, kArchiveStart)))
        LogArchiveError("CRecordingVideoView::StartRecording");
    m_recording = true;
    m_doc->AttachVideoToRuns();
}

void CRecordingVideoView::LogArchiveError(const char* where) const {
    const CString why = m_encoder->GetArchiveError();
    LogSaveError(where, why.IsEmpty() ? m_recordingPath + ": not written" : why);
}

void CRecordingVideoView::SendSyncMarker(int value) {
    if (value == 1 && !m_markerTimerRunning)
        StartTimer(kMarkerTimer, UINT(m_markerPeriod), m_markerTimerRunning);
    if (m_tiedToExperiment && m_encoder)
        m_encoder->SendScript(0, "TEXT", CString::Formatted("%d", value));
}

bool CRecordingVideoView::RequestStop(bool immediate, bool closing) {
    if (!m_doc) return false;
    if (!closing && !m_recording) {
        CGraphView* graph = m_doc->GetGraphView();
        if (graph && graph->m_plotCount > 0 && !m_doc->m_runInProgress)
            m_doc->EnableVideoPlay(TRUE);
        if (m_deviceReady) m_doc->EnableVideoRecord(TRUE);
        return false;
    }
    if (immediate)
        StopRecording(closing);
    else if (!m_stopTimerRunning)
        StartTimer(kStopTimer, kStopDelay, m_stopTimerRunning);
    return true;
}

CString CRecordingVideoView::ScratchName() const {
    const CString folder = TempFolder();
    QDir().mkpath(folder.ToQString());
    if (!QFile::exists((folder + "tmp.wmv").ToQString())) return folder + "tmp.wmv";
    for (int n = 0; n <= 998; ++n) {
        const CString name = CString::Formatted("%stmp~%d%s", folder.GetString(), n, ".wmv");
        if (!QFile::exists(name.ToQString())) return name;
    }
    return CString();
}

void CRecordingVideoView::StopRecording(bool closing) {
    // A stop already waiting would end the next recording.
    KillTimerFlag(kStopTimer, m_stopTimerRunning);
    if (!m_encoder) return;
    if (FAILED(m_encoder->Archive(kArchiveLocal, kArchiveStop)))
        LogArchiveError("CRecordingVideoView::StopRecording");
    KillTimerFlag(kMarkerTimer, m_markerTimerRunning);
    m_encoder->Archive(kArchiveLocal, kArchiveStop);
    StopEncoder();
    m_recording = false;
    m_encoder->SetLocalFileName(ScratchName());
    if (!m_tiedToExperiment) {
        m_discardPath = m_recordingPath;
        if (!m_discardPath.IsEmpty() && QFile::exists(m_discardPath.ToQString()) &&
            !QFile::remove(m_discardPath.ToQString()))
            qCWarning(lcVideo, "%s could not be deleted", m_discardPath.GetString());
    }
    m_tiedToExperiment = false;
    m_recording = false;
    if (!closing && m_doc) {
        StartEncoder();
        // A video playing or paused meanwhile keeps the picture and its Play, Pause and Stop.
        const CVideoView* player = m_doc->GetVideoView();
        if (player && player->m_playerMode) {
            m_doc->EnableVideoRecord(TRUE);
            return;
        }
        StartPreview();
        if (!m_doc->m_runInProgress) m_doc->EnableVideoPlay(TRUE);
        m_doc->EnableVideoPause(FALSE);
        m_doc->EnableVideoRecord(TRUE);
        m_doc->EnableVideoStop(FALSE);
    }
}

void CRecordingVideoView::InitDevice() {
    if (m_encoderRunning) return;
    m_deviceInitialised = true;
    LoadProfile(m_qualityCode);
    if (m_previewWanted && m_encoder) {
        m_previewWindow = PreviewWindow();
        m_encoder->SetViewProperties(m_previewCookie, m_previewWindow);
        m_previewRunning = m_encoder->StartView(m_previewCookie) == 1;
    }
    StartPreview();
}

void CRecordingVideoView::ShutDownDevice() {
    if (!m_encoderRunning) return;
    RequestStop(true, false);
    StopPreview();
    StopEncoder();
    RemoveVideo();
    RemoveAudio();
    // Last: a recording's end above starts the encoder again, which captions "Disable video".
    SetToggleCaption(true);
}

void CRecordingVideoView::OnSize(UINT type, int cx, int cy) {
    CView::OnSize(type, cx, cy);
    m_resizeCount = 0;
    if (!m_previewRunning) return;
    if (!m_relayoutTimerRunning)
        StartTimer(kRelayoutTimer, kRelayoutDelay, m_relayoutTimerRunning);
    else
        m_resizeCount = 1;
}

void CRecordingVideoView::OnRelayoutTimer() {
    if (m_resizeCount == 0) {
        StopPreview();
        StartPreview();
        KillTimerFlag(kRelayoutTimer, m_relayoutTimerRunning);
    }
    m_resizeCount = 0;
}

void CRecordingVideoView::OnTimer(UINT_PTR id) {
    switch (id) {
        case kMarkerTimer:
            if (m_doc) SendSyncMarker(int(m_doc->GetMaxSampleCount()));
            break;
        case kStopTimer:
            KillTimerFlag(kStopTimer, m_stopTimerRunning);
            StopRecording(false);
            break;
        case kRelayoutTimer:
            OnRelayoutTimer();
            break;
        default:
            CView::OnTimer(id);
    }
}

void CRecordingVideoView::DeleteTempFiles() {
    const QDir dir(TempFolder().ToQString());
    for (const QString& name : dir.entryList({"*.wmv"}, QDir::Files)) {
        const QString path = dir.filePath(name);
        // On Linux an unlinked file being written is lost: the running recording stays.
        if (m_recording && path == m_recordingPath.ToQString()) continue;
        if (!QFile::remove(path)) qCWarning(lcVideo, "%s could not be deleted", qPrintable(path));
    }
}

void CRecordingVideoView::SelectVideoDevice() {
    if (m_recording) {
        ShowMessage(kStopFirstText, 0);
        return;
    }
    CVideoView* video = m_doc ? m_doc->GetVideoView() : nullptr;
    const bool wasOn = m_encoderRunning && video;
    if (wasOn) video->InitVideoDevice(true);
    CSelectCameraDriverDialog dialog(true, true, nullptr);
    const INT_PTR code = dialog.DoModal();
    if (code == 2) {
        // Cancel leaves the camera and microphone as they were: a device switched on by Cancel
        // would surprise the user, and the device in use stays the one chosen before.
        if (wasOn) video->InitVideoDevice(true);
        return;
    }
    if (code == 1) {
        m_videoDeviceInput = "Device://" + dialog.GetSelectedName();
        if (FAILED(m_encoder ? m_encoder->SetSourceInput(kSourceVideo, m_videoDeviceInput)
                             : E_FAIL)) {
            m_videoDeviceInput = kDefaultVideoInput;
            if (m_encoder) m_encoder->SetSourceInput(kSourceVideo, m_videoDeviceInput);
        }
    } else if (code == 99) {
        m_videoDeviceInput = kDefaultVideoInput;
        if (m_encoder) m_encoder->SetSourceInput(kSourceVideo, m_videoDeviceInput);
    } else {
        return;
    }
    if (video) video->InitVideoDevice(true);
}
