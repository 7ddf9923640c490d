#include "RES/dialogs/timing_wizard.h"

namespace {

constexpr DWORD kPage = DS_SETFONT | WS_CHILD | WS_CAPTION | DS_CONTROL;

}  // namespace

const DialogTemplate& TimingTypeTemplate() {
    static const DialogTemplate t = {
        IDD_TIMING_TYPE,
        "Measurement",
        0,
        0,
        280,
        160,
        kPage,
        "Tahoma",
        8,
        {
            dlg::LText("What do you want to measure ?", IDC_TIMING_QUESTION, 14, 10, 250, 10),
            dlg::RadioButton("Time", IDC_TIMING_TIME, 24, 30, 120, 10, WS_GROUP | WS_TABSTOP),
            dlg::RadioButton("Velocity", IDC_TIMING_VELOCITY, 24, 46, 120, 10),
            dlg::RadioButton("Acceleration", IDC_TIMING_ACCELERATION, 24, 62, 120, 10),
        }};
    return t;
}

const DialogTemplate& TimingParametersTemplate() {
    static const DialogTemplate t = {
        IDD_TIMING_PARAMETERS,
        "Method",
        0,
        0,
        280,
        160,
        kPage,
        "Tahoma",
        8,
        {
            dlg::RadioButton("At one gate", IDC_TIMING_ONE_GATE, 14, 10, 120, 10,
                             WS_GROUP | WS_TABSTOP),
            dlg::RadioButton("Between gates", IDC_TIMING_TWO_GATES, 14, 26, 120, 10),
            dlg::RadioButton("", IDC_TIMING_EXTRA, 14, 42, 120, 10),
            dlg::RText("", IDC_TIMING_LABEL, 14, 64, 50, 10),
            dlg::EditText(IDC_TIMING_LENGTH, 68, 62, 50, 14),
            dlg::LText("cm", IDC_TIMING_UNIT, 122, 64, 20, 10),
            // 180 x 120 pixels, the size the pictures are drawn at.
            dlg::Control("mode=picture", IDC_TIMING_PICTURE, "CWButton", 0, 150, 10, 120, 74),
        }};
    return t;
}

const DialogTemplate& TimingLaunchParameterTemplate() {
    static const DialogTemplate t = {
        IDD_TIMING_LAUNCH_PARAMETER,
        "Timing parameter",
        0,
        0,
        170,
        62,
        DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU,
        "Tahoma",
        8,
        {
            dlg::Hidden(dlg::RText("", IDC_TIMING_LABEL, 7, 12, 50, 10)),
            dlg::Hidden(dlg::EditText(IDC_TIMING_LENGTH, 61, 10, 50, 14)),
            dlg::Hidden(dlg::LText("cm", IDC_TIMING_LAUNCH_UNIT, 115, 12, 20, 10)),
            dlg::DefPushButton("OK", IDOK, 29, 40, 50, 14),
            dlg::PushButton("Cancel", IDCANCEL, 91, 40, 50, 14),
        }};
    return t;
}
