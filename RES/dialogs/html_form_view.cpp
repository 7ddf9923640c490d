#include "RES/dialogs/html_form_view.h"

const DialogTemplate& HtmlFormViewTemplate() {
    static const DialogTemplate t = {
        IDD_HTML_FORM_VIEW,
        "",
        0,
        0,
        320,
        200,
        WS_CHILD | DS_SETFONT,
        "Tahoma",
        8,
        {{IDC_WORKSHEET_BROWSER, "WebBrowser", "", 0, 0, 320, 180, WS_TABSTOP},
         {IDC_WORKSHEET_BACK, "CWButton", "mode=picture;stretch=1;picture=pictures/back.xpm", 80,
          184, 26, 13, WS_TABSTOP},
         {IDC_WORKSHEET_FORWARD, "CWButton", "mode=picture;stretch=1;picture=pictures/forward.xpm",
          214, 184, 26, 13, WS_TABSTOP}}};
    return t;
}
