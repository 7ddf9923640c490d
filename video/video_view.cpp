#include "video/video_view.h"

#include <QDir>
#include <QFile>

#include "app/main_frame.h"
#include "app/varnel_doc.h"
#include "logger/helpers.h"
#include "logger/settings.h"
#include "platform/base/log.h"
#include "video/recording_video_view.h"

IMPLEMENT_DYNCREATE(CVideoFrame, CChildFrame)
IMPLEMENT_DYNCREATE(CVideoView, CFormView)

CVideoView::~CVideoView() {
    if (m_doc && m_doc->m_videoView == this) m_doc->m_videoView = nullptr;
}

int CVideoView::OnCreate(LPCREATESTRUCT cs) {
    if (CFormView::OnCreate(cs) == -1) return -1;
    m_doc = dynamic_cast<CVarnelDoc*>(GetDocument());
    if (m_doc) m_doc->m_videoView = this;
    return OnCreatePlayer();
}

CRecordingVideoView* CVideoView::Recorder() const {
    return m_recordingView ? m_recordingView : (m_doc ? m_doc->m_recordingVideoView : nullptr);
}

void CVideoView::OnInitialUpdate() {
    if (!m_doc) return;
    PreparePlayback();
    m_recordingView = m_doc->m_recordingVideoView;
    m_doc->m_videoView = this;
    m_initialised = true;
    if (m_doc->m_mainFrame && m_doc->m_mainFrame->GetSafeHwnd()) {
        CRect client;
        m_doc->m_mainFrame->GetClientRect(&client);
        m_doc->LayoutStandardWindows(client.Width(), client.Height());
    }
    if (CSettings* s = m_doc->GetSettings(); s && s->m_videoQuality != 0) InitVideoDevice(false);
    m_doc->OpenStartupProject();
}

void CVideoView::OnRecord() {
    OnStop();
    if (CRecordingVideoView* r = Recorder(); r && r->m_deviceReady) {
        r->StartRecording();
        m_recordingStartedHere = r->m_recording;
    }
}

void CVideoView::OnStop() {
    // Stopping the player comes back here through the graph's stop: the outer call finishes.
    if (m_stopping) return;
    m_stopping = true;
    if (m_doc) {
        m_doc->EnableVideoStop(FALSE);
        m_doc->EnableVideoPause(FALSE);
    }
    m_playing = false;
    StopPlayer();
    CRecordingVideoView* r = Recorder();
    if (!r || !r->m_deviceReady) {
        m_playerMode = true;
        if (m_doc && !m_doc->m_runInProgress) m_doc->EnableVideoPlay(TRUE);
    } else {
        // The live picture comes back; a recording ends now, so that the file is as long as
        // the user recorded.
        m_playerMode = false;
        r->RequestStop(true, false);
        r->StopPreview();
        r->StartPreview();
        m_recordingStartedHere = false;
    }
    Relayout();
    m_stopping = false;
}

void CVideoView::InitVideoDevice(int tell) {
    CRecordingVideoView* r = Recorder();
    if (!r) return;
    if (!r->m_deviceReady) {
        r->InitDevice();
        if (!r->m_deviceReady) {
            m_playerMode = true;
            if (tell) ShowMessage(kCannotInitText, 0);
        } else {
            m_playerMode = false;
        }
    } else {
        r->ShutDownDevice();
        m_playerMode = true;
    }
    Relayout();
}

void CVideoView::SetQualityCode(WORD code) {
    m_qualityCode = code;
    if (CRecordingVideoView* r = Recorder()) r->LoadProfile(code);
}

WORD CVideoView::GetQualityCode() const {
    // Without a recording view the code is only kept.
    const CRecordingVideoView* r = Recorder();
    return r ? r->GetQualityCode() : m_qualityCode;
}

BYTE CVideoView::GetVideoOnCode() const {
    const CRecordingVideoView* r = Recorder();
    return r && r->m_encoderRunning ? BYTE(r->GetQualityCode()) : 0;
}

CString CVideoView::GetRecordedFileName() const {
    const CRecordingVideoView* r = Recorder();
    return r && r->m_deviceReady ? r->GetRecordedFileName() : CString();
}

bool CVideoView::IsVideoDeviceReady() const {
    const CRecordingVideoView* r = Recorder();
    return r && r->m_deviceReady;
}

bool CVideoView::IsRecording() const {
    const CRecordingVideoView* r = Recorder();
    return r && r->m_recording;
}

void CVideoView::SetVideoRect(int left, int top, int right, int bottom) {
    m_videoRect = CRect(left, top, right, bottom);
    Relayout();
}

void CVideoView::Relayout() {
    CRecordingVideoView* r = Recorder();
    CFrameWnd* mine = GetParentFrame();
    CFrameWnd* theirs = r ? r->GetParentFrame() : nullptr;
    const CRect& v = m_videoRect;
    const auto place = [](CFrameWnd* frame, bool show, const CRect& at) {
        if (!frame) return;
        frame->ShowWindow(show ? SW_SHOW : SW_HIDE);
        frame->SetWindowPos(nullptr, at.left, at.top, at.Width(), at.Height(),
                            SWP_NOZORDER | SWP_FRAMECHANGED);
    };
    if (m_playerMode) {
        place(theirs, false, CRect(0, 0, 0, 0));
        place(mine, true, v);
    } else {
        place(mine, false, CRect(0, 0, 0, 0));
        place(theirs, true, v);
    }
}

void CVideoView::DeleteTempVideoFiles() {
    if (CRecordingVideoView* r = Recorder()) {
        r->DeleteTempFiles();
        return;
    }
    const QDir dir((GetDataRoot() + "Temp Data").ToQString());
    for (const QString& name : dir.entryList({"*.wmv"}, QDir::Files))
        if (!QFile::remove(dir.filePath(name)))
            qCWarning(lcVideo, "%s could not be deleted", qPrintable(dir.filePath(name)));
}
