#include "RES/dialogs/video_quality.h"

const DialogTemplate& VideoQualityTemplate() {
    static const DialogTemplate t = {
        IDD_VIDEO_QUALITY,
        "A/V file format",
        0,
        0,
        200,
        110,
        DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU,
        "Tahoma",
        8,
        {
            dlg::GroupBox("Options", IDC_OPTIONS_GROUP, 7, 7, 90, 70),
            dlg::RadioButton("Audio & Video", IDC_CONTENT_AV, 14, 20, 78, 10,
                             WS_GROUP | WS_TABSTOP),
            dlg::RadioButton("Audio only", IDC_CONTENT_AUDIO, 14, 36, 78, 10),
            dlg::RadioButton("Video only", IDC_CONTENT_VIDEO, 14, 52, 78, 10),
            dlg::GroupBox("Video quality", IDC_QUALITY_GROUP, 103, 7, 90, 70),
            dlg::RadioButton("High", IDC_QUALITY_HIGH, 110, 20, 78, 10, WS_GROUP | WS_TABSTOP),
            dlg::RadioButton("Normal", IDC_QUALITY_NORMAL, 110, 36, 78, 10),
            dlg::RadioButton("Low", IDC_QUALITY_LOW, 110, 52, 78, 10),
            dlg::DefPushButton("OK", IDOK, 90, 88, 48, 14, WS_GROUP),
            dlg::PushButton("Cancel", IDCANCEL, 145, 88, 48, 14),
        }};
    return t;
}
