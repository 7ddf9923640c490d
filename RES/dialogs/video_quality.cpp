#include "RES/dialogs/video_quality.h"

const DialogTemplate& VideoQualityTemplate() {
    static const DialogTemplate t = {
        IDD_VIDEO_QUALITY,
        "A/V file format",
        0,
        0,
        220,
        96,
        DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU,
        "Tahoma",
        8,
        {
            dlg::DefPushButton("OK", IDOK, 163, 7, 50, 14),
            dlg::PushButton("Cancel", IDCANCEL, 163, 24, 50, 14),
            dlg::GroupBox("Video quality", IDC_QUALITY_GROUP, 7, 7, 76, 60),
            dlg::RadioButton("High", IDC_QUALITY_HIGH, 13, 20, 68, 10, WS_GROUP | WS_TABSTOP),
            dlg::RadioButton("Normal", IDC_QUALITY_NORMAL, 13, 34, 68, 10),
            dlg::RadioButton("Low", IDC_QUALITY_LOW, 13, 48, 68, 10),
            dlg::GroupBox("Options", IDC_OPTIONS_GROUP, 88, 7, 70, 60),
            dlg::RadioButton("Audio && Video", IDC_CONTENT_AUDIO_VIDEO, 94, 20, 62, 10,
                             WS_GROUP | WS_TABSTOP),
            dlg::RadioButton("Audio only", IDC_CONTENT_AUDIO, 94, 34, 62, 10),
            dlg::RadioButton("Video only", IDC_CONTENT_VIDEO, 94, 48, 62, 10),
        }};
    return t;
}
