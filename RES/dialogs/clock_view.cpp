#include "RES/dialogs/clock_view.h"

const DialogTemplate& ClockViewTemplate() {
    static const DialogTemplate t = {
        IDD_CLOCK_VIEW,
        "",
        0,
        0,
        200,
        120,
        WS_CHILD | DS_SETFONT,
        "Tahoma",
        8,
        {{IDC_CLOCK_BUTTON, "CWButton",
          "mode=picture;stretch=0;back=#FFFFFF;picture=pictures/clock.xpm", 60, 10, 80, 50,
          WS_TABSTOP}}};
    return t;
}
