#include "experiment/html_doc_view.h"

#include <QDir>
#include <QFileInfo>
#include <QToolBar>

#include "RES/workbook_toolbars.h"
#include "app/main_frame.h"
#include "app/varnel_doc.h"
#include "logger/helpers.h"
#include "platform/base/paths.h"
#include "platform/ui/styles.h"
#include "platform/win/standard_ids.h"

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

CString CHtmlDocView::LaunchFilePath(const CString& worksheetPath, BOOL qk) {
    return ::LaunchFilePath(worksheetPath, qk ? 1 : 0);
}

BOOL CHtmlDocView::LaunchFileExists(CString worksheetPath, BOOL qk, CString* launchPath) {
    const QString wanted = LaunchFilePath(worksheetPath, qk).ToQString();
    QString found;
    if (QFileInfo(wanted).isFile()) {
        found = wanted;
    } else {
        const QFileInfo info(wanted);
        const QStringList names = info.dir().entryList(QDir::Files | QDir::Hidden, QDir::Name);
        for (const QString& name : names)
            if (name.compare(info.fileName(), Qt::CaseInsensitive) == 0) {
                found = info.dir().filePath(name);
                break;
            }
    }
    if (launchPath) *launchPath = found.isEmpty() ? CString() : CString(found);
    return found.isEmpty() ? FALSE : TRUE;
}

void CHtmlDocView::SetLaunchFile(BOOL found, const CString& path) {
    m_launchPath = found ? path : CString();
    if (auto* frame = dynamic_cast<CHtmlDocFrame*>(GetParentFrame()))
        frame->m_launchAvailable = found;
    if (m_doc && m_doc->m_mainFrame) m_doc->m_mainFrame->m_launchAvailable = found;
}
