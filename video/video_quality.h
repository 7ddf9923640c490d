#pragma once
// Video > Video properties: what a recording holds and its quality, as one code (tens: 10 sound,
// 20 video, 30 both; units: 1 low, 2 normal, 3 high).

#include "platform/ui/dialog.h"

class CVideoQuality : public CDialog {
public:
    explicit CVideoQuality(CWnd* parent = nullptr);
    void SetCode(WORD code) { m_code = code; }
    WORD GetCode() const { return m_code; }

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnAudioVideo();
    void OnAudioOnly();
    void OnVideoOnly();
    DECLARE_MESSAGE_MAP()

private:
    // The quality captions with the data rates of the selected content.
    void SetRates(const CButton& content, const char* high, const char* normal, const char* low);

    CButton m_ok;
    CButton m_cancel;
    CButton m_qualityGroup;
    CButton m_optionsGroup;
    CButton m_high;
    CButton m_normal;
    CButton m_low;
    CButton m_audioVideo;
    CButton m_audio;
    CButton m_video;
    WORD m_code = 32;
};
