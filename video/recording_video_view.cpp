#include "video/recording_video_view.h"

#include "app/varnel_doc.h"

CRecordingVideoView::~CRecordingVideoView() {
    if (m_doc && m_doc->m_recordingVideoView == this) m_doc->m_recordingVideoView = nullptr;
}

BOOL CRecordingVideoView::Create(CWnd* parent, CVarnelDoc* doc) {
    if (!CWnd::Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), parent,
                      AFX_IDW_PANE_FIRST))
        return FALSE;
    SetDocument(doc);
    m_doc = doc;
    doc->m_recordingVideoView = this;
    return TRUE;
}
