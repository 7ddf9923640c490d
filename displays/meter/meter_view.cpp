#include "displays/meter/meter_view.h"

#include "app/varnel_doc.h"

IMPLEMENT_DYNCREATE(CMeterFrame, CChildFrame)
IMPLEMENT_DYNCREATE(CMeterView, CView)

CMeterView::~CMeterView() {
    if (m_doc && m_doc->m_meterView == this) m_doc->m_meterView = nullptr;
}

int CMeterView::OnCreate(LPCREATESTRUCT cs) {
    if (CView::OnCreate(cs) == -1) return -1;
    m_doc = dynamic_cast<CVarnelDoc*>(GetDocument());
    if (m_doc) m_doc->m_meterView = this;
    return 0;
}
