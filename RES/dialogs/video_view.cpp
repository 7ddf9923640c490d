#include "RES/dialogs/video_view.h"

const DialogTemplate& VideoViewTemplate() {
    static const DialogTemplate t = {
        IDD_VIDEO_VIEW,
        "",
        0,
        0,
        220,
        180,
        WS_CHILD | DS_SETFONT,
        "Tahoma",
        8,
        {{IDC_VIDEO_PLAYER, "{6BF52A52-394A-11D3-B153-00C04F79FAA6}",
          "uiMode=none;stretchToFit=1;autoStart=1;volume=50;enableErrorDialogs=0;URL=", 0, 0, 220,
          180, 0}}};
    return t;
}
