#pragma once
// The workbook's notes pane: one multi-line edit in which the student writes beside the worksheet.

#include "platform/ui/controls.h"
#include "platform/ui/form_view.h"

class CVarnelDoc;

class CTextView : public CFormView {
    DECLARE_DYNCREATE(CTextView)

public:
    CTextView();
    CEdit& GetEdit() { return m_edit; }

    // Empty while the notes have no file yet.
    CString m_textPath;

protected:
    int OnCreate(LPCREATESTRUCT cs) override;

private:
    CEdit m_edit;
    CVarnelDoc* m_doc = nullptr;
};
