#pragma once
// The caption of one graph annotation: the caller sets m_caption, shows the dialog and reads
// m_caption back after OK. The caption follows every change of the edit box.

#include "platform/ui/dialog.h"

class CAnnotationCaptionDialog : public CDialog {
public:
    explicit CAnnotationCaptionDialog(CWnd* parent = nullptr);
    BOOL OnInitDialog() override;
    void OnCaptionChanged();

    CString m_caption;

protected:
    DECLARE_MESSAGE_MAP()
};
