#include "video/video_view.h"

#include <QDir>
#include <QFile>

#include "app/varnel_doc.h"
#include "logger/helpers.h"
#include "platform/win/doc_template.h"

IMPLEMENT_DYNCREATE(CVideoFrame, CChildFrame)
IMPLEMENT_DYNCREATE(CVideoView, CView)

CVideoView::~CVideoView() {
    if (m_doc && m_doc->m_videoView == this) m_doc->m_videoView = nullptr;
}

BOOL CVideoView::Create(CWnd* parent, CVarnelDoc* doc) {
    CCreateContext context;
    context.m_pCurrentDoc = doc;
    return CView::Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), parent,
                         AFX_IDW_PANE_FIRST, &context);
}

int CVideoView::OnCreate(LPCREATESTRUCT cs) {
    if (CView::OnCreate(cs) == -1) return -1;
    m_doc = dynamic_cast<CVarnelDoc*>(GetDocument());
    if (m_doc) m_doc->m_videoView = this;
    return 0;
}

void CVideoView::DeleteTempVideoFiles() {
    const QDir dir((GetDataRoot() + "Temp Data").ToQString());
    for (const QString& name : dir.entryList({"*.wmv"}, QDir::Files))
        if (!QFile::remove(dir.filePath(name)))
            qWarning("varnel.video: %s could not be deleted", qPrintable(dir.filePath(name)));
}
