#include "displays/clock/clock_view.h"

#include "app/varnel_doc.h"

CClockView::~CClockView() {
    if (m_doc && m_doc->m_clockView == this) m_doc->m_clockView = nullptr;
}

BOOL CClockView::Create(CWnd* parent, CVarnelDoc* doc) {
    if (!CWnd::Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), parent,
                      AFX_IDW_PANE_FIRST))
        return FALSE;
    SetDocument(doc);
    m_doc = doc;
    doc->m_clockView = this;
    return TRUE;
}
