#include "displays/table/table_view.h"

#include "app/varnel_doc.h"

CTableView::~CTableView() {
    if (m_doc && m_doc->m_tableView == this) m_doc->m_tableView = nullptr;
}

BOOL CTableView::Create(CWnd* parent, CVarnelDoc* doc) {
    if (!CWnd::Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), parent,
                      AFX_IDW_PANE_FIRST))
        return FALSE;
    SetDocument(doc);
    m_doc = doc;
    doc->m_tableView = this;
    return TRUE;
}
