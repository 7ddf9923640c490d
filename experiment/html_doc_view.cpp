#include "experiment/html_doc_view.h"

#include "app/varnel_doc.h"

IMPLEMENT_DYNCREATE(CHtmlDocFrame, CChildFrame)
IMPLEMENT_DYNCREATE(CHtmlDocView, CView)

CHtmlDocView::~CHtmlDocView() {
    if (m_doc && m_doc->m_htmlDocView == this) m_doc->m_htmlDocView = nullptr;
}

int CHtmlDocView::OnCreate(LPCREATESTRUCT cs) {
    if (CView::OnCreate(cs) == -1) return -1;
    m_doc = dynamic_cast<CVarnelDoc*>(GetDocument());
    if (m_doc) m_doc->m_htmlDocView = this;
    return 0;
}
