#include "video/video_view.h"

#include <QDir>
#include <QFile>

#include "app/varnel_doc.h"
#include "logger/helpers.h"

CVideoView::~CVideoView() {
    if (m_doc && m_doc->m_videoView == this) m_doc->m_videoView = nullptr;
}

BOOL CVideoView::Create(CWnd* parent, CVarnelDoc* doc) {
    if (!CWnd::Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), parent,
                      AFX_IDW_PANE_FIRST))
        return FALSE;
    SetDocument(doc);
    m_doc = doc;
    doc->m_videoView = this;
    return TRUE;
}

void CVideoView::DeleteTempVideoFiles() {
    const QDir dir((GetDataRoot() + "Temp Data").ToQString());
    for (const QString& name : dir.entryList({"*.wmv"}, QDir::Files))
        if (!QFile::remove(dir.filePath(name)))
            qWarning("varnel.video: %s could not be deleted", qPrintable(dir.filePath(name)));
}
