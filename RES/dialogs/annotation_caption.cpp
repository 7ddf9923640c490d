#include "RES/dialogs/annotation_caption.h"

const DialogTemplate& AnnotationCaptionTemplate() {
    static const DialogTemplate t = {
        IDD_ANNOTATION_CAPTION,
        "New annotation caption",
        0,
        0,
        220,
        50,
        DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU,
        "Tahoma",
        8,
        {
            dlg::EditText(IDC_ANNOTATION_CAPTION_EDIT, 7, 7, 206, 14),
            dlg::DefPushButton("OK", IDOK, 109, 29, 50, 14),
            dlg::PushButton("Cancel", IDCANCEL, 163, 29, 50, 14),
        }};
    return t;
}
