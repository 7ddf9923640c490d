#include "experiment/html_doc_view.h"

#include "app/main_frame.h"
#include "app/varnel_doc.h"
#include "platform/base/paths.h"

CHtmlDocView::~CHtmlDocView() {
    if (m_doc && m_doc->m_htmlDocView == this) m_doc->m_htmlDocView = nullptr;
}

BOOL CHtmlDocView::Create(CWnd* parent, CVarnelDoc* doc) {
    if (!CWnd::Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), parent,
                      AFX_IDW_PANE_FIRST))
        return FALSE;
    SetDocument(doc);
    m_doc = doc;
    doc->m_htmlDocView = this;
    return TRUE;
}

CString CHtmlDocView::LaunchFilePath(const CString& worksheetPath, BOOL qk) {
    CString folder, name;
    platform::PathSplitLast(worksheetPath, folder, name);
    const int dot = name.ReverseFind('.');
    // Only the name's own suffix: a dot in a folder name is not one.
    CString stem = dot >= 0 ? worksheetPath.Left(worksheetPath.GetLength() - name.GetLength() + dot)
                            : worksheetPath;
    return stem + (qk ? ".qdr" : ".hdr");
}

BOOL CHtmlDocView::LaunchFileExists(CString& path, BOOL qk) {
    path = LaunchFilePath(path, qk);
    return platform::FileExists(path) ? TRUE : FALSE;
}

void CHtmlDocView::SetLaunchFile(BOOL found, const CString& path) {
    m_launchPath = found ? path : CString();
    if (auto* frame = dynamic_cast<CHtmlDocFrame*>(GetParentFrame()))
        frame->m_launchAvailable = found;
    if (m_doc && m_doc->m_mainFrame) m_doc->m_mainFrame->m_launchAvailable = found;
}
