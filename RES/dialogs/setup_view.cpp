#include "RES/dialogs/setup_view.h"

const DialogTemplate& SetupViewTemplate() {
    static const DialogTemplate t = {IDD_SETUP_VIEW,        "",       0, 0, 200, 160,
                                     WS_CHILD | DS_SETFONT, "Tahoma", 8, {}};
    return t;
}
