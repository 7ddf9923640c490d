#pragma once
// Graph > Graph title: asks for the graph's title.

#include "platform/ui/dialog.h"

class CGraphTitleDialog : public CDialog {
public:
    explicit CGraphTitleDialog(CWnd* parent = nullptr);
    void SetTitle(const CString& title) { m_title = title; }
    CString GetTitle() const { return m_title; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    CString m_title;
};
