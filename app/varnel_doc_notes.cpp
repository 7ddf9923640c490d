// The document's notes commands: the workbook's notes pane does the work.

#include "app/varnel_doc.h"
#include "experiment/html_doc_view.h"
#include "experiment/text_view.h"

void CVarnelDoc::OnNewTextDocument() {
    if (m_textView && !m_textView->SaveModified()) return;
    if (m_textView) m_textView->NewText();
    if (m_htmlDocView) m_htmlDocView->ShowTextPane();
}

void CVarnelDoc::OnOpenTextDocument() {
    if (m_textView) m_textView->LoadText();
}

void CVarnelDoc::OnSaveTextDocument() {
    if (m_textView) m_textView->SaveText();
}

void CVarnelDoc::OnPrintText() {
    if (m_textView) m_textView->PrintText();
}
