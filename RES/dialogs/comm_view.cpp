#include "RES/dialogs/comm_view.h"

const DialogTemplate& CommViewTemplate() {
    static const DialogTemplate t = {IDD_COMM_VIEW,         "",       0, 0, 20, 20,
                                     WS_CHILD | DS_SETFONT, "Tahoma", 8, {}};
    return t;
}
