#include "video/recording_video_view.h"

#include "app/varnel_doc.h"

IMPLEMENT_DYNCREATE(CRecordingVideoFrame, CChildFrame)
IMPLEMENT_DYNCREATE(CRecordingVideoView, CView)

CRecordingVideoView::~CRecordingVideoView() {
    if (m_doc && m_doc->m_recordingVideoView == this) m_doc->m_recordingVideoView = nullptr;
}

int CRecordingVideoView::OnCreate(LPCREATESTRUCT cs) {
    if (CView::OnCreate(cs) == -1) return -1;
    m_doc = dynamic_cast<CVarnelDoc*>(GetDocument());
    if (m_doc) m_doc->m_recordingVideoView = this;
    return 0;
}
