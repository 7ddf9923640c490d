#include "displays/meter/meter_view.h"

#include "app/varnel_doc.h"

CMeterView::~CMeterView() {
    if (m_doc && m_doc->m_meterView == this) m_doc->m_meterView = nullptr;
}

BOOL CMeterView::Create(CWnd* parent, CVarnelDoc* doc) {
    if (!CWnd::Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), parent,
                      AFX_IDW_PANE_FIRST))
        return FALSE;
    SetDocument(doc);
    m_doc = doc;
    doc->m_meterView = this;
    return TRUE;
}
