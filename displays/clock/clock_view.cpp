#include "displays/clock/clock_view.h"

#include "app/varnel_doc.h"

IMPLEMENT_DYNCREATE(CClockView, CView)

CClockView::~CClockView() {
    if (m_doc && m_doc->m_clockView == this) m_doc->m_clockView = nullptr;
}

int CClockView::OnCreate(LPCREATESTRUCT cs) {
    if (CView::OnCreate(cs) == -1) return -1;
    m_doc = dynamic_cast<CVarnelDoc*>(GetDocument());
    if (m_doc) m_doc->m_clockView = this;
    return 0;
}
