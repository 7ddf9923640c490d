#include "RES/dialogs/text_view.h"

#include "platform/ui/styles.h"

const DialogTemplate& TextViewTemplate() {
    static const DialogTemplate t = {
        IDD_TEXT_VIEW,
        "",
        0,
        0,
        320,
        100,
        WS_CHILD,
        "Tahoma",
        8,
        {
            dlg::EditText(IDC_NOTES_EDIT, 0, 0, 320, 100,
                          ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL),
        }};
    return t;
}
