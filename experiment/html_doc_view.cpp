#include "experiment/html_doc_view.h"

#include <QToolBar>

#include "RES/workbook_toolbars.h"
#include "app/varnel_doc.h"
#include "logger/helpers.h"
#include "platform/base/paths.h"
#include "platform/ui/styles.h"
#include "platform/win/standard_ids.h"

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

int CHtmlDocFrame::OnCreate(LPCREATESTRUCT cs) {
    if (CChildFrame::OnCreate(cs) == -1) return -1;
    const DWORD style =
        WS_CHILD | WS_VISIBLE | CBRS_BOTTOM | CBRS_BORDER_TOP | CBRS_TOOLTIPS | CBRS_FLYBY;
    if (!m_toolbar.CreateEx(this, TBSTYLE_FLAT, style, AFX_IDW_TOOLBAR) ||
        !m_toolbar.LoadToolBar(WorkbookToolbarTemplate()))
        return -1;
    if (!m_toolbar2.CreateEx(this, TBSTYLE_FLAT, style, AFX_IDW_TOOLBAR) ||
        !m_toolbar2.LoadToolBar(WorkbookToolbar2Template()))
        return -1;
    ShowWorkbookToolbar(TRUE);
    ShowWorkbookToolbar2(FALSE);
    return 0;
}

static void ShowBar(CToolBar& bar, BOOL show) {
    if (QToolBar* b = bar.Bar()) b->setVisible(show != FALSE);
}

void CHtmlDocFrame::ShowWorkbookToolbar(BOOL show) {
    ShowBar(m_toolbar, show);
}

void CHtmlDocFrame::ShowWorkbookToolbar2(BOOL show) {
    ShowBar(m_toolbar2, show);
}

bool CHtmlDocView::LaunchFileExists(CString& path, int model) {
    path = LaunchFilePath(path, model);
    return platform::FileExists(path);
}
