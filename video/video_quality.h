#pragma once
// The Video properties dialog: content (tens) and quality (units) as one code, 32 by default.

#include "platform/ui/dialog.h"

class CVideoQuality : public CDialog {
public:
    explicit CVideoQuality(CWnd* parent = nullptr);
    void SetCode(WORD code) { m_code = code; }
    WORD GetCode() const { return m_code; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    void UpdateCaptions(UINT content);
    WORD m_code = 32;
};
