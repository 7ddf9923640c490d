#include "displays/graph/annotation_caption_dialog.h"

#include "RES/dialogs/annotation_caption.h"

BEGIN_MESSAGE_MAP(CAnnotationCaptionDialog, CDialog)
ON_EN_CHANGE(IDC_ANNOTATION_CAPTION_EDIT, OnCaptionChanged)
END_MESSAGE_MAP()

CAnnotationCaptionDialog::CAnnotationCaptionDialog(CWnd* parent)
    : CDialog(AnnotationCaptionTemplate(), parent) {}

BOOL CAnnotationCaptionDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    SetWindowText("Edit annotation caption");
    SetDlgItemText(IDOK, "OK");
    SetDlgItemText(IDCANCEL, "Cancel");
    // Filling the box raises a change that copies the caption back unchanged.
    SetDlgItemText(IDC_ANNOTATION_CAPTION_EDIT, m_caption);
    return TRUE;
}

void CAnnotationCaptionDialog::OnCaptionChanged() {
    m_caption = GetDlgItemText(IDC_ANNOTATION_CAPTION_EDIT);
}
