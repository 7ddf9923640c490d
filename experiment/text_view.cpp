#include "experiment/text_view.h"

#include "RES/dialogs/text_view.h"
#include "app/varnel_doc.h"

CTextView::CTextView() : CFormView(TextViewTemplate()) {}

IMPLEMENT_DYNCREATE(CTextView, CFormView)

int CTextView::OnCreate(LPCREATESTRUCT cs) {
    if (CFormView::OnCreate(cs) == -1) return -1;
    m_doc = dynamic_cast<CVarnelDoc*>(GetDocument());
    if (!m_edit.SubclassDlgItem(IDC_NOTES_EDIT, this)) return -1;
    return 0;
}
