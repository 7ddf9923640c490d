#include "RES/dialogs/selective_download.h"

#include "platform/ui/styles.h"

const DialogTemplate& SelectiveDownloadTemplate() {
    static const DialogTemplate t = [] {
        DialogTemplate d{IDD_SELECTIVE_DOWNLOAD,
                         "Download",
                         0,
                         0,
                         260,
                         130,
                         DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU,
                         "Tahoma",
                         8,
                         {}};
        d.items.push_back(dlg::LText("Sampling time", IDC_DOWNLOAD_TIME_HEADING, 22, 8, 100, 10));
        d.items.push_back(dlg::LText("Data type", IDC_DOWNLOAD_TYPE_HEADING, 126, 8, 60, 10));
        d.items.push_back(
            dlg::LText("Number of samples", IDC_DOWNLOAD_SAMPLES_HEADING, 190, 8, 66, 10));
        for (short r = 0; r < 4; ++r) {
            const short y = static_cast<short>(24 + 16 * r);
            d.items.push_back(
                dlg::RadioButton("", IDC_DOWNLOAD_ROW_FIRST + r, 8, y, 10, 10, WS_TABSTOP));
            d.items.push_back(
                dlg::LText("", IDC_DOWNLOAD_TIME_FIRST + r, 22, y, 100, 10, SS_NOTIFY));
            d.items.push_back(
                dlg::LText("", IDC_DOWNLOAD_TYPE_FIRST + r, 126, y, 60, 10, SS_NOTIFY));
            d.items.push_back(
                dlg::LText("", IDC_DOWNLOAD_SAMPLES_FIRST + r, 190, y, 66, 10, SS_NOTIFY));
        }
        d.items.push_back(
            dlg::Hidden(dlg::CText("No data available", IDC_DOWNLOAD_NO_DATA, 40, 50, 180, 10)));
        d.items.push_back(dlg::DefPushButton("OK", IDOK, 70, 108, 50, 14));
        d.items.push_back(dlg::PushButton("Cancel", IDCANCEL, 140, 108, 50, 14));
        return d;
    }();
    return t;
}
