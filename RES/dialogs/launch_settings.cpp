#include "RES/dialogs/launch_settings.h"

#include "platform/ui/styles.h"

namespace {

constexpr const char* kPictures[7] = {
    "mode=picture;stretch=1;picture=pictures/temperature.xpm",
    "mode=picture;stretch=1;picture=pictures/light.xpm",
    "mode=picture;stretch=1;picture=pictures/humidity.xpm",
    "mode=picture;stretch=1;picture=pictures/pressure.xpm",
    "mode=picture;stretch=1;picture=pictures/sound.xpm",
    "mode=picture;stretch=1;picture=pictures/external1.xpm",
    "mode=picture;stretch=1;picture=pictures/external2.xpm",
};

}  // namespace

const DialogTemplate& LaunchSettingsTemplate() {
    static const DialogTemplate t = [] {
        DialogTemplate d{
            IDD_LAUNCH_SETTINGS,
            "Launch settings",
            0,
            0,
            330,
            246,
            DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU,
            "Tahoma",
            8,
            {}};
        auto add = [&d](DialogItem item) { d.items.push_back(std::move(item)); };
        add(dlg::RadioButton("Meter", IDC_LAUNCH_METER, 10, 7, 45, 10, WS_TABSTOP | WS_GROUP));
        add(dlg::RadioButton("Graph", IDC_LAUNCH_GRAPH, 60, 7, 45, 10));
        add(dlg::RadioButton("Timing", IDC_LAUNCH_TIMING, 110, 7, 45, 10));

        add(dlg::GroupBox("Sensor and display settings", IDC_LAUNCH_SENSORS_GROUP, 7, 22, 200,
                          150));
        for (short k = 0; k < 7; ++k) {
            const short y = static_cast<short>(34 + 19 * k);
            add(dlg::Control(kPictures[k], kLaunchPictureIds[k], "CWButton", 0, 14, y, 22, 16));
            add(dlg::Control("mode=switch", kLaunchSwitchIds[k], "CWButton", WS_TABSTOP, 42,
                             static_cast<short>(y + 2), 24, 12));
            add(dlg::Disabled(dlg::Control("Properties", IDC_LAUNCH_PROPERTIES_FIRST + k,
                                           "CWButton", WS_TABSTOP, 72, static_cast<short>(y + 2),
                                           46, 12)));
        }
        add(dlg::Disabled(
            dlg::ComboBox(IDC_LAUNCH_EXTERNAL1, 124, 131, 78, 120, CBS_DROPDOWNLIST | WS_VSCROLL)));
        add(dlg::Disabled(
            dlg::ComboBox(IDC_LAUNCH_EXTERNAL2, 124, 150, 78, 120, CBS_DROPDOWNLIST | WS_VSCROLL)));

        add(dlg::GroupBox("Time settings", IDC_LAUNCH_TIME_GROUP, 212, 22, 112, 52));
        add(dlg::LText("Rate :", IDC_LAUNCH_RATE_LABEL, 218, 36, 44, 8));
        add(dlg::ComboBox(IDC_LAUNCH_RATE, 262, 34, 58, 120, CBS_DROPDOWNLIST | WS_VSCROLL));
        add(dlg::LText("Recording time :", IDC_LAUNCH_TIME_LABEL, 218, 56, 44, 8));
        add(dlg::ComboBox(IDC_LAUNCH_TIME, 262, 54, 58, 120, CBS_DROPDOWNLIST | WS_VSCROLL));

        add(dlg::GroupBox("Graph options", IDC_LAUNCH_GRAPH_GROUP, 212, 78, 112, 82));
        add(dlg::CheckBox("Bar graph", IDC_LAUNCH_BAR_GRAPH, 218, 90, 100, 10));
        add(dlg::CheckBox("Scroll run", IDC_LAUNCH_SCROLL_RUN, 218, 102, 100, 10));
        add(dlg::PushButton("X Axis settings", IDC_LAUNCH_X_AXIS, 218, 115, 100, 13));
        add(dlg::CheckBox("Single graph mode", IDC_LAUNCH_SINGLE_GRAPH, 218, 132, 100, 10));
        add(dlg::Disabled(dlg::ComboBox(IDC_LAUNCH_SINGLE_GRAPH_LIST, 218, 144, 100, 100,
                                        CBS_DROPDOWNLIST | WS_VSCROLL)));

        add(dlg::Hidden(
            dlg::GroupBox("Meter settings", IDC_LAUNCH_METER_GROUP, 212, 164, 112, 58)));
        add(dlg::Hidden(dlg::LText("Meter type", IDC_LAUNCH_METER_TYPE_LABEL, 218, 176, 40, 8)));
        add(dlg::Hidden(dlg::ComboBox(IDC_LAUNCH_METER_TYPE, 260, 174, 60, 100)));
        add(dlg::Hidden(dlg::CheckBox("Four meters", IDC_LAUNCH_LAYOUT, 218, 192, 60, 10)));
        add(dlg::Hidden(dlg::PushButton("Advanced", IDC_LAUNCH_ADVANCED, 270, 204, 50, 13)));

        add(dlg::Hidden(
            dlg::GroupBox("Timing Settings", IDC_LAUNCH_TIMING_GROUP, 212, 164, 112, 36)));
        add(dlg::Hidden(
            dlg::PushButton("Timing Wizard", IDC_LAUNCH_TIMING_WIZARD, 218, 178, 100, 14)));

        add(dlg::GroupBox("Project settings", IDC_LAUNCH_PROJECT_GROUP, 7, 176, 200, 30));
        add(dlg::LText("Recording mode", IDC_LAUNCH_RECORDING_LABEL, 14, 190, 60, 8));
        add(dlg::ComboBox(IDC_LAUNCH_RECORDING_MODE, 80, 188, 120, 60));

        add(dlg::DefPushButton("OK", IDOK, 208, 226, 55, 14));
        add(dlg::PushButton("Cancel", IDCANCEL, 269, 226, 55, 14));
        return d;
    }();
    return t;
}
