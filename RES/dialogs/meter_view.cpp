#include "RES/dialogs/meter_view.h"

const DialogTemplate& MeterViewTemplate() {
    static const DialogTemplate t = [] {
        DialogTemplate d{IDD_METER_VIEW,        "",       0, 0, 320, 200,
                         WS_CHILD | DS_SETFONT, "Tahoma", 8, {}};
        // The panels first, so that the meters lie above them.
        for (UINT id : {IDC_METER_PANEL_1, IDC_METER_PANEL_2, IDC_METER_PANEL_3, IDC_METER_PANEL_4})
            d.items.push_back(dlg::Hidden(dlg::GroupBox("", id, 0, 0, 10, 10)));
        for (UINT i = 0; i < 4; ++i) {
            d.items.push_back(
                dlg::Hidden(dlg::Control("", IDC_METER_KNOB_FIRST + i, "CWKnob", 0, 0, 0, 10, 10)));
            d.items.push_back(dlg::Hidden(
                dlg::Control("", IDC_METER_SLIDE_FIRST + i, "CWSlide", 0, 0, 0, 10, 10)));
            d.items.push_back(dlg::Hidden(dlg::Control(
                "mode=lamp;back=#FFFFFF", IDC_METER_LAMP_FIRST + i, "CWButton", 0, 0, 0, 10, 10)));
            d.items.push_back(dlg::Hidden(
                dlg::CText("", IDC_METER_LABEL_FIRST + i, 0, 0, 10, 10, SS_NOTIFY | SS_NOPREFIX)));
        }
        d.items.push_back(
            dlg::Hidden(dlg::LText("", IDC_METER_SEPARATOR_1, 0, 0, 1, 10, SS_ETCHEDHORZ)));
        d.items.push_back(
            dlg::Hidden(dlg::LText("", IDC_METER_SEPARATOR_2, 0, 0, 10, 1, SS_ETCHEDHORZ)));
        return d;
    }();
    return t;
}
