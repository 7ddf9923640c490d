#include "video/video_quality.h"

#include "RES/dialogs/video_quality.h"

CVideoQuality::CVideoQuality(CWnd* parent) : CDialog(VideoQualityTemplate(), parent) {}

BOOL CVideoQuality::OnInitDialog() {
    CDialog::OnInitDialog();
    SetWindowText("Video properties");
    SetDlgItemText(IDOK, "OK");
    SetDlgItemText(IDCANCEL, "Cancel");
    SetDlgItemText(IDC_QUALITY_GROUP, "Video quality");
    SetDlgItemText(IDC_OPTIONS_GROUP, "Options");
    SetDlgItemText(IDC_QUALITY_HIGH, "High");
    SetDlgItemText(IDC_QUALITY_NORMAL, "Normal");
    SetDlgItemText(IDC_QUALITY_LOW, "Low");
    SetDlgItemText(IDC_CONTENT_AV, "Audio & Video");
    SetDlgItemText(IDC_CONTENT_AUDIO, "Audio only");
    SetDlgItemText(IDC_CONTENT_VIDEO, "Video only");
    for (UINT id : {IDC_QUALITY_HIGH, IDC_QUALITY_NORMAL, IDC_QUALITY_LOW, IDC_CONTENT_AV,
                    IDC_CONTENT_AUDIO, IDC_CONTENT_VIDEO})
        CheckDlgButton(int(id), BST_UNCHECKED);
    const int units = m_code % 10, tens = m_code / 10 * 10;
    if (units == 3) CheckDlgButton(IDC_QUALITY_HIGH, BST_CHECKED);
    if (units == 2) CheckDlgButton(IDC_QUALITY_NORMAL, BST_CHECKED);
    if (units == 1) CheckDlgButton(IDC_QUALITY_LOW, BST_CHECKED);
    if (tens == 10) CheckDlgButton(IDC_CONTENT_AUDIO, BST_CHECKED);
    if (tens == 20) CheckDlgButton(IDC_CONTENT_VIDEO, BST_CHECKED);
    if (tens == 30) CheckDlgButton(IDC_CONTENT_AV, BST_CHECKED);
    UpdateCaptions(IDC_CONTENT_AV);
    UpdateCaptions(IDC_CONTENT_AUDIO);
    UpdateCaptions(IDC_CONTENT_VIDEO);
    return TRUE;
}

void CVideoQuality::UpdateCaptions(UINT content) {
    if (IsDlgButtonChecked(int(content)) != BST_CHECKED) return;
    static const struct {
        UINT content;
        const char* high;
        const char* normal;
        const char* low;
    } rates[] = {{IDC_CONTENT_AV, " (12KBps)", " (5KBps)", " (3KBps)"},
                 {IDC_CONTENT_AUDIO, " (3KBps)", " (2KBps)", " (1.5KBps)"},
                 {IDC_CONTENT_VIDEO, " (12KBps)", " (6KBps)", " (4KBps)"}};
    for (const auto& r : rates) {
        if (r.content != content) continue;
        SetDlgItemText(IDC_QUALITY_HIGH, CString("High") + r.high);
        SetDlgItemText(IDC_QUALITY_NORMAL, CString("Normal") + r.normal);
        SetDlgItemText(IDC_QUALITY_LOW, CString("Low") + r.low);
    }
}

BOOL CVideoQuality::OnCommand(WPARAM wParam, LPARAM lParam) {
    const UINT id = LOWORD(wParam);
    const BOOL handled = CDialog::OnCommand(wParam, lParam);
    if (HIWORD(wParam) == BN_CLICKED &&
        (id == IDC_CONTENT_AV || id == IDC_CONTENT_AUDIO || id == IDC_CONTENT_VIDEO))
        UpdateCaptions(id);
    return handled;
}

void CVideoQuality::OnOK() {
    const auto on = [this](UINT id) { return IsDlgButtonChecked(int(id)) == BST_CHECKED ? 1 : 0; };
    m_code =
        WORD(3 * on(IDC_QUALITY_HIGH) + 2 * on(IDC_QUALITY_NORMAL) + on(IDC_QUALITY_LOW) +
             30 * on(IDC_CONTENT_AV) + 20 * on(IDC_CONTENT_VIDEO) + 10 * on(IDC_CONTENT_AUDIO));
    CDialog::OnOK();
}
