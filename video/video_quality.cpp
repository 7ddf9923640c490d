#include "video/video_quality.h"

#include "RES/dialogs/video_quality.h"

BEGIN_MESSAGE_MAP(CVideoQuality, CDialog)
ON_BN_CLICKED(IDC_CONTENT_AUDIO_VIDEO, OnAudioVideo)
ON_BN_CLICKED(IDC_CONTENT_AUDIO, OnAudioOnly)
ON_BN_CLICKED(IDC_CONTENT_VIDEO, OnVideoOnly)
END_MESSAGE_MAP()

CVideoQuality::CVideoQuality(CWnd* parent) : CDialog(VideoQualityTemplate(), parent) {}

void CVideoQuality::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, IDOK, m_ok);
    DDX_Control(dx, IDCANCEL, m_cancel);
    DDX_Control(dx, IDC_QUALITY_GROUP, m_qualityGroup);
    DDX_Control(dx, IDC_OPTIONS_GROUP, m_optionsGroup);
    DDX_Control(dx, IDC_QUALITY_HIGH, m_high);
    DDX_Control(dx, IDC_QUALITY_NORMAL, m_normal);
    DDX_Control(dx, IDC_QUALITY_LOW, m_low);
    DDX_Control(dx, IDC_CONTENT_AUDIO_VIDEO, m_audioVideo);
    DDX_Control(dx, IDC_CONTENT_AUDIO, m_audio);
    DDX_Control(dx, IDC_CONTENT_VIDEO, m_video);
}

BOOL CVideoQuality::OnInitDialog() {
    CDialog::OnInitDialog();
    SetWindowText("Video properties");
    m_ok.SetWindowText("OK");
    m_cancel.SetWindowText("Cancel");
    m_qualityGroup.SetWindowText("Video quality");
    m_optionsGroup.SetWindowText("Options");
    m_high.SetWindowText("High");
    m_normal.SetWindowText("Normal");
    m_low.SetWindowText("Low");
    m_audioVideo.SetWindowText("Audio && Video");  // a lone & would underline the space
    m_audio.SetWindowText("Audio only");
    m_video.SetWindowText("Video only");
    for (CButton* radio : {&m_high, &m_normal, &m_low, &m_audioVideo, &m_audio, &m_video})
        radio->SetCheck(BST_UNCHECKED);
    const int units = m_code % 10;
    const int tens = m_code - units;
    if (units == 3) m_high.SetCheck(BST_CHECKED);
    if (units == 2) m_normal.SetCheck(BST_CHECKED);
    if (units == 1) m_low.SetCheck(BST_CHECKED);
    if (tens == 10) m_audio.SetCheck(BST_CHECKED);
    if (tens == 20) m_video.SetCheck(BST_CHECKED);
    if (tens == 30) m_audioVideo.SetCheck(BST_CHECKED);
    OnAudioVideo();
    OnAudioOnly();
    OnVideoOnly();
    return TRUE;
}

void CVideoQuality::SetRates(const CButton& content, const char* high, const char* normal,
                             const char* low) {
    if (content.GetCheck() != BST_CHECKED) return;
    m_high.SetWindowText(CString("High") + high);
    m_normal.SetWindowText(CString("Normal") + normal);
    m_low.SetWindowText(CString("Low") + low);
}

void CVideoQuality::OnAudioVideo() {
    SetRates(m_audioVideo, " (12KBps)", " (5KBps)", " (3KBps)");
}

void CVideoQuality::OnAudioOnly() {
    SetRates(m_audio, " (3KBps)", " (2KBps)", " (1.5KBps)");
}

void CVideoQuality::OnVideoOnly() {
    SetRates(m_video, " (12KBps)", " (6KBps)", " (4KBps)");
}

void CVideoQuality::OnOK() {
    auto on = [](const CButton& b) { return b.GetCheck() == BST_CHECKED ? 1 : 0; };
    m_code = static_cast<WORD>(3 * on(m_high) + 2 * on(m_normal) + on(m_low) +
                               30 * on(m_audioVideo) + 20 * on(m_video) + 10 * on(m_audio));
    CDialog::OnOK();
}
