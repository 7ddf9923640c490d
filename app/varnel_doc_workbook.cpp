// The workbook's commands: the document passes each to the workbook view or one of its panes.

#include "app/varnel_doc.h"
#include "experiment/html_doc_view.h"
#include "logger/settings.h"

void CVarnelDoc::OnOpenWorksheetTb() {
    if (m_htmlDocView) m_htmlDocView->OpenWorksheet();
}

void CVarnelDoc::OnOpenWorksheet() {
    // The menu's Open Worksheet shows the workbook first when it is hidden.
    if (m_settings && m_settings->m_workbookMode == 0) OnDisplayWorkbook();
    if (m_htmlDocView) m_htmlDocView->OpenWorksheet();
}

void CVarnelDoc::OnWorkbookSplitView() {
    if (m_htmlDocView) m_htmlDocView->ToggleTextPane();
}

void CVarnelDoc::OnWorkbookPrint() {
    if (m_htmlFormView) m_htmlFormView->Print();
}

void CVarnelDoc::OnWorkbookCopy() {
    if (m_htmlDocView) m_htmlDocView->Copy();
}

void CVarnelDoc::OnWorkbookPaste() {
    if (m_htmlDocView) m_htmlDocView->Paste();
}
