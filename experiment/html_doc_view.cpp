#include "experiment/html_doc_view.h"

#include "app/varnel_doc.h"

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
