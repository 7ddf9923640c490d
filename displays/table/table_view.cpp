#include "displays/table/table_view.h"

#include "app/varnel_doc.h"

IMPLEMENT_DYNCREATE(CTableFrame, CChildFrame)
IMPLEMENT_DYNCREATE(CTableView, CView)

CTableView::~CTableView() {
    if (m_doc && m_doc->m_tableView == this) m_doc->m_tableView = nullptr;
}

int CTableView::OnCreate(LPCREATESTRUCT cs) {
    if (CView::OnCreate(cs) == -1) return -1;
    m_doc = dynamic_cast<CVarnelDoc*>(GetDocument());
    if (m_doc) m_doc->m_tableView = this;
    return 0;
}
