#include "RES/dialogs/video_quality.h"

const DialogTemplate& VideoQualityTemplate() {
    static const DialogTemplate t = {
        IDD_VIDEO_QUALITY,
        "A/V file format",
        0,
        0,
        200,
        96,
        DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU,
        "Tahoma",
        8,
        {
            dlg::DefPushButton("OK", IDOK, 143, 7, 50, 14),
            dlg::PushButton("Cancel", IDCANCEL, 143, 24, 50, 14),
            dlg::GroupBox("Video quality", IDC_QUALITY_GROUP, 7, 7, 62, 60),
            dlg::RadioButton("High", IDC_QUALITY_HIGH, 13, 20, 54, 10, WS_GROUP | WS_TABSTOP),
            dlg::RadioButton("Normal", IDC_QUALITY_NORMAL, 13, 34, 54, 10),
            dlg::RadioButton("Low", IDC_QUALITY_LOW, 13, 48, 54, 10),
            dlg::GroupBox("Options", IDC_OPTIONS_GROUP, 74, 7, 64, 60),
            dlg::RadioButton("Audio && Video", IDC_CONTENT_AUDIO_VIDEO, 80, 20, 56, 10,
                             WS_GROUP | WS_TABSTOP),
            dlg::RadioButton("Audio only", IDC_CONTENT_AUDIO, 80, 34, 56, 10),
            dlg::RadioButton("Video only", IDC_CONTENT_VIDEO, 80, 48, 56, 10),
        }};
    return t;
}
