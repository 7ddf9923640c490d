// Workbook > Launch settings: the dialog's modes, switches, lists and sub-dialogs through the modal
// script, the launch file it reads and writes, and the document's two commands.

#include <QFile>

#include "RES/dialogs/launch_settings.h"
#include "RES/dialogs/meter_setting.h"
#include "RES/dialogs/meter_settings.h"
#include "RES/dialogs/sensor_properties.h"
#include "RES/dialogs/timing_wizard.h"
#include "RES/dialogs/x_axis_setup.h"
#include "displays/graph/x_axis_setup_dialog.h"
#include "displays/meter/meter_setting_dialog.h"
#include "displays/sensor_properties_dialog.h"
#include "experiment/html_doc_view.h"
#include "experiment/launch_settings_dialog.h"
#include "experiment/timing_wizard.h"
#include "platform/ui/controls.h"
#include "tests/app/doc_fixture.h"

namespace {

using namespace doc_test;
using Dialog = CLaunchSettingsDialog;

// A logger whose model the test sets; it never connects.
class ModelDorvik : public CDorvik {
public:
    explicit ModelDorvik(CSettings* settings)
        : CDorvik(settings, std::make_unique<dorvik_test::RecordingPort>()) {}
    void SetQk(bool qk) { m_qkModel = qk ? 1 : 0; }
};

constexpr int kTemperature = 0, kLight = 1, kHumidity = 2, kSound = 4, kExternal1 = 5,
              kExternal2 = 6;

class LaunchSettings : public DocTest {
protected:
    LaunchSettings() : DocTest([](CSettings* s) { return std::make_unique<ModelDorvik>(s); }) {}

    CString path = env.File("Lesson.qdr");

    // Runs the dialog for `qk` on `path`; `action` acts in it and ends it.
    INT_PTR Run(bool qk, const std::function<void(Dialog&)>& action) {
        modals.ExpectDialog(IDD_LAUNCH_SETTINGS,
                            [&](CDialog& d) { action(static_cast<Dialog&>(d)); });
        Dialog dialog;
        dialog.SetDocument(&doc);
        dialog.SetSensorTable(settings.m_sensorTypes, settings.m_externalSensor1,
                              settings.m_externalSensor2);
        dialog.SetLaunchPath(path);
        dialog.SetModel(qk);
        const INT_PTR result = dialog.DoModal();
        EXPECT_EQ(modals.Pending(), 0u);
        return result;
    }
    static void Click(CCWButton& button) {
        static_cast<CWButton*>(button.GetControl())->ClickByKey();
    }
    static CComboBox* Combo(CDialog& d, UINT id) {
        return dynamic_cast<CComboBox*>(d.GetDlgItem(int(id)));
    }
    static CString Shown(CDialog& d, UINT id) {
        CComboBox* c = Combo(d, id);
        CString text;
        if (c && c->GetCurSel() >= 0) c->GetLBText(c->GetCurSel(), text);
        return text;
    }
    // The user's choice of entry `index` in a combo.
    static void Choose(CDialog& d, UINT id, int index) {
        CComboBox* c = Combo(d, id);
        ASSERT_NE(c, nullptr);
        ASSERT_TRUE(c->IsWindowEnabled());
        c->SetCurSel(index);
        d.SendMessage(WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                      reinterpret_cast<LPARAM>(c->GetSafeHwnd()));
    }
    static bool Enabled(CDialog& d, UINT id) { return d.GetDlgItem(int(id))->IsWindowEnabled(); }
    static bool Visible(CDialog& d, UINT id) { return d.GetDlgItem(int(id))->IsWindowVisible(); }
    static std::vector<int> SwitchesOn(Dialog& d) {
        std::vector<int> on;
        for (int k = 0; k < Dialog::kSensors; ++k)
            if (d.m_switches[k].GetValue()) on.push_back(k);
        return on;
    }
    std::vector<BYTE> FileBytes() const {
        QFile f(path.ToQString());
        if (!f.open(QIODevice::ReadOnly)) return {};
        const QByteArray all = f.readAll();
        return {all.begin(), all.end()};
    }
    CLaunchHeader ReadBack() const {
        CLaunchHeader h;
        EXPECT_TRUE(h.LoadFromFile(path));
        return h;
    }
};

}  // namespace

TEST_F(LaunchSettings, WithoutAFileTheGraphPresetsOfTheModelShow) {
    struct Case {
        bool qk;
        WORD rate;
        LONG runLength;
        const char* rateText;
        const char* timeText;
    } cases[] = {{true, 41, 100, "Every second", "100 Seconds"},
                 {false, 64, 60, "Every second", "1 Minute"}};
    for (const Case& c : cases) {
        Run(c.qk, [&](Dialog& d) {
            EXPECT_EQ(d.m_mode, Dialog::kGraphMode);
            EXPECT_EQ(d.IsDlgButtonChecked(IDC_LAUNCH_GRAPH), BST_CHECKED);
            EXPECT_EQ(d.m_rateCode, c.rate);
            EXPECT_EQ(d.m_runLength, c.runLength);
            EXPECT_EQ(Shown(d, IDC_LAUNCH_RATE), c.rateText);
            EXPECT_EQ(Shown(d, IDC_LAUNCH_TIME), c.timeText);
            EXPECT_EQ(SwitchesOn(d), std::vector<int>{kTemperature});
            EXPECT_EQ(d.m_sensorCount, 1);
            EXPECT_EQ(Shown(d, IDC_LAUNCH_RECORDING_MODE), "Replace");
            EXPECT_EQ(Visible(d, IDC_LAUNCH_TIMING), c.qk);
            EXPECT_EQ(d.GetDlgItemText(IDC_LAUNCH_TIME_LABEL), "Recording time :");
            // The external pictures name the chosen types on the basic model only.
            EXPECT_EQ(d.m_pictureTips[kTemperature], "Temperature");
            EXPECT_EQ(d.m_pictureTips[kExternal1], c.qk ? "External 1" : "Conductivity");
            Click(d.m_switches[kExternal1]);
            CComboBox* types = Combo(d, IDC_LAUNCH_EXTERNAL1);
            Choose(d, IDC_LAUNCH_EXTERNAL1, types->FindStringExact(-1, "pH"));
            EXPECT_EQ(d.m_externalType1, 6);
            EXPECT_EQ(d.m_pictureTips[kExternal1], c.qk ? "External 1" : "pH");
            testing_support::Press(d, IDCANCEL);
        });
        EXPECT_FALSE(QFile::exists(path.ToQString())) << "Cancel writes nothing";
    }
}

TEST_F(LaunchSettings, GraphSwitchesCountTheSensorsAndKeepTheLastOne) {
    Run(true, [&](Dialog& d) {
        Click(d.m_switches[kTemperature]);
        EXPECT_TRUE(d.m_switches[kTemperature].GetValue()) << "the last sensor stays on";
        EXPECT_EQ(d.m_sensorCount, 1);

        const LaunchChannelStruct soundDefaults = d.m_channels[kSound];
        Click(d.m_switches[kSound]);
        EXPECT_EQ(d.m_sensorCount, 2);
        EXPECT_TRUE(Enabled(d, IDC_LAUNCH_PROPERTIES_FIRST + kSound));
        EXPECT_EQ(d.m_channels[kSound].selected, 1u);
        Click(d.m_switches[kSound]);
        EXPECT_EQ(d.m_sensorCount, 1);
        EXPECT_FALSE(Enabled(d, IDC_LAUNCH_PROPERTIES_FIRST + kSound));
        EXPECT_EQ(d.m_channels[kSound], soundDefaults);

        Choose(d, IDC_LAUNCH_RECORDING_MODE, 2);
        testing_support::SetChecked(d, IDC_LAUNCH_BAR_GRAPH, true);
        EXPECT_EQ(Shown(d, IDC_LAUNCH_RECORDING_MODE), "Replace");
        EXPECT_FALSE(Enabled(d, IDC_LAUNCH_RECORDING_MODE));
        EXPECT_EQ(d.m_recordingMode, 1);
        testing_support::Press(d, IDCANCEL);
    });
}

TEST_F(LaunchSettings, TheSingleGraphListStandsForChannelsOfTheModel) {
    struct Case {
        bool qk;
        std::vector<int> channels;  // Temperature, Sound, External 1
    } cases[] = {{true, {0, 1, 5}}, {false, {3, 6, 0}}};
    for (const Case& c : cases) {
        Run(c.qk, [&](Dialog& d) {
            Click(d.m_switches[kSound]);
            Click(d.m_switches[kExternal1]);
            testing_support::SetChecked(d, IDC_LAUNCH_SINGLE_GRAPH, true);
            EXPECT_EQ(d.m_singleGraphChannels, c.channels);
            EXPECT_EQ(Combo(d, IDC_LAUNCH_SINGLE_GRAPH_LIST)->GetCount(), 3);
            Choose(d, IDC_LAUNCH_SINGLE_GRAPH_LIST, 1);
            EXPECT_EQ(d.m_singleGraphChannel, c.channels[1]);
            // Light comes before Sound in the list; Sound stays the choice.
            Click(d.m_switches[kLight]);
            EXPECT_EQ(d.m_singleGraphSelection, 2);
            EXPECT_EQ(d.m_singleGraphChannel, c.channels[1]);
            EXPECT_EQ(Shown(d, IDC_LAUNCH_SINGLE_GRAPH_LIST), "Sound");
            testing_support::SetChecked(d, IDC_LAUNCH_SINGLE_GRAPH, false);
            EXPECT_EQ(d.m_singleGraphMode, 0u);
            EXPECT_FALSE(Enabled(d, IDC_LAUNCH_SINGLE_GRAPH_LIST));
            testing_support::Press(d, IDCANCEL);
        });
    }
}

TEST_F(LaunchSettings, MeterModeChoosesOneSensorAndItsInput) {
    Run(true, [&](Dialog& d) {
        testing_support::Press(d, IDC_LAUNCH_METER);
        EXPECT_EQ(SwitchesOn(d), std::vector<int>{kTemperature});
        EXPECT_TRUE(Visible(d, IDC_LAUNCH_METER_TYPE));
        EXPECT_FALSE(Visible(d, IDC_LAUNCH_ADVANCED));
        EXPECT_FALSE(Enabled(d, IDC_LAUNCH_RATE));
        Click(d.m_switches[kLight]);
        EXPECT_EQ(SwitchesOn(d), std::vector<int>{kLight});
        EXPECT_EQ(d.m_meterSensor, 4);
        Click(d.m_switches[kExternal2]);
        EXPECT_EQ(SwitchesOn(d), std::vector<int>{kExternal2});
        EXPECT_EQ(d.m_meterSensor, 2);
        EXPECT_TRUE(Enabled(d, IDC_LAUNCH_EXTERNAL2));
        EXPECT_FALSE(Enabled(d, IDC_LAUNCH_EXTERNAL1));
        Click(d.m_switches[kExternal2]);
        EXPECT_EQ(SwitchesOn(d), std::vector<int>{kExternal2}) << "a click keeps the choice";
        testing_support::Press(d, IDCANCEL);
    });
}

TEST_F(LaunchSettings, ThePropertiesButtonsOpenTheSensorsRecord) {
    settings.m_externalSensor1 = 9;
    struct Seen {
        LaunchChannelStruct* record;
        WORD type;
        BOOL external;
    };
    std::vector<Seen> seen;
    Dialog* dialog = nullptr;
    Run(true, [&](Dialog& d) {
        dialog = &d;
        Click(d.m_switches[kHumidity]);
        Click(d.m_switches[kExternal1]);
        modals.ExpectDialog(IDD_SENSOR_PROPERTIES, [&](CDialog& p) {
            auto& props = static_cast<CSensorPropertiesDialog&>(p);
            seen.push_back({props.GetChannelRecord(), static_cast<WORD>(props.GetSensorId()),
                            props.IsExternal()});
            testing_support::Press(p, IDOK);
        });
        Click(d.m_propertyButtons[kHumidity]);
        EXPECT_EQ(d.m_propertiesChanged, 0u) << "OK without a change";
        modals.ExpectDialog(IDD_SENSOR_PROPERTIES, [&](CDialog& p) {
            auto& props = static_cast<CSensorPropertiesDialog&>(p);
            seen.push_back({props.GetChannelRecord(), static_cast<WORD>(props.GetSensorId()),
                            props.IsExternal()});
            testing_support::Press(p, IDC_PROP_MARKER_VISIBLE);
            testing_support::Press(p, IDOK);
        });
        Click(d.m_propertyButtons[kExternal1]);
        EXPECT_EQ(d.m_propertiesChanged, 1u);
        testing_support::Press(d, IDCANCEL);
    });
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].record, &dialog->m_channels[kHumidity]);
    EXPECT_EQ(seen[0].type, 5);
    EXPECT_FALSE(seen[0].external);
    EXPECT_EQ(seen[1].record, &dialog->m_channels[kExternal1]);
    EXPECT_EQ(seen[1].type, 9);
    EXPECT_TRUE(seen[1].external);
}

TEST_F(LaunchSettings, TheXAxisSensorLosesItsPlaceWhenSwitchedOff) {
    std::vector<BYTE> given;
    Run(true, [&](Dialog& d) {
        Click(d.m_switches[kSound]);
        modals.ExpectDialog(IDD_X_AXIS_SETUP, [&](CDialog& p) {
            auto& x = static_cast<CXAxisSetupDisplayProperties&>(p);
            given.assign(x.m_sensorBits, x.m_sensorBits + x.m_count);
            auto* list = dynamic_cast<CComboBox*>(p.GetDlgItem(IDC_XAXIS_MEASUREMENT));
            ASSERT_EQ(list->GetCount(), 3);
            CString name;
            list->GetLBText(2, name);
            EXPECT_EQ(name, "Sound");
            list->SetCurSel(2);  // after "Time", temperature, then sound
            platform::NotifyParent(list->GetWidget(), CBN_SELCHANGE);
            testing_support::Press(p, IDOK);
        });
        testing_support::Press(d, IDC_LAUNCH_X_AXIS);
        Click(d.m_switches[kSound]);
        testing_support::Press(d, IDOK);
    });
    EXPECT_EQ(given, (std::vector<BYTE>{16, 128})) << "in the QK order";
    const CLaunchHeader h = ReadBack();
    EXPECT_EQ(h.m_channels[7].sensorBit, 128);
    EXPECT_EQ(h.m_channels[7].index, -1);
}

TEST_F(LaunchSettings, TheTimingWizardsValuesAreTakenOnFinishOnly) {
    const std::vector<BYTE> before = settings.GetFileBytes();
    Run(true, [&](Dialog& d) {
        testing_support::Press(d, IDC_LAUNCH_TIMING);
        EXPECT_FALSE(Enabled(d, kLaunchSwitchIds[0]));
        EXPECT_FALSE(Enabled(d, IDC_LAUNCH_SINGLE_GRAPH));
        EXPECT_TRUE(Enabled(d, IDC_LAUNCH_BAR_GRAPH));
        modals.ExpectDialog(IDD_PROPERTY_SHEET, [&](CDialog& p) {
            auto& w = static_cast<CTimingWizard&>(p);
            EXPECT_EQ(w.m_writeBack, 0);
            EXPECT_EQ(w.m_parametersPage.m_distance2, 20.0);
            w.m_typePage.m_measurement = 1;
            w.m_typePage.UpdateData(FALSE);  // as if chosen on the shown page
            w.m_parametersPage.m_method = 2;
            w.m_parametersPage.m_distance1 = 4.5;
            testing_support::Press(p, CTimingWizard::kFinishId);
        });
        testing_support::Press(d, IDC_LAUNCH_TIMING_WIZARD);
        modals.ExpectDialog(IDD_PROPERTY_SHEET, [&](CDialog& p) {
            static_cast<CTimingWizard&>(p).m_parametersPage.m_distance1 = 9;
            testing_support::Press(p, IDCANCEL);
        });
        testing_support::Press(d, IDC_LAUNCH_TIMING_WIZARD);
        EXPECT_EQ(d.m_timingMeasurement, 1);
        EXPECT_EQ(d.m_timingMethod, 2);
        EXPECT_EQ(d.m_distance1, 4.5);
        testing_support::Press(d, IDOK);
    });
    EXPECT_EQ(settings.GetFileBytes(), before) << "the settings stay as they were";
    const CLaunchHeader h = ReadBack();
    EXPECT_EQ(h.m_kind, CLaunchHeader::kTiming);
    EXPECT_EQ(h.m_timingMeasurement, 1);
    EXPECT_EQ(h.m_distance1, 4.5);
    EXPECT_EQ(h.m_distance2, 20.0);
}

TEST_F(LaunchSettings, EachModesFileComesBackWhenOpenedAgain) {
    struct Case {
        const char* name;
        std::function<void(Dialog&)> edit;
        std::function<void(Dialog&)> check;
        WORD kind;
    } cases[] = {
        {"graph",
         [&](Dialog& d) {
             Click(d.m_switches[kHumidity]);
             Choose(d, IDC_LAUNCH_RATE, 10);  // "10/s"
             Choose(d, IDC_LAUNCH_TIME, 2);
             testing_support::SetChecked(d, IDC_LAUNCH_SCROLL_RUN, true);
             testing_support::SetChecked(d, IDC_LAUNCH_SINGLE_GRAPH, true);
             Choose(d, IDC_LAUNCH_SINGLE_GRAPH_LIST, 1);
             Choose(d, IDC_LAUNCH_RECORDING_MODE, 2);
         },
         [&](Dialog& d) {
             EXPECT_EQ(d.m_mode, Dialog::kGraphMode);
             EXPECT_EQ(SwitchesOn(d), (std::vector<int>{kTemperature, kHumidity}));
             EXPECT_EQ(Shown(d, IDC_LAUNCH_RATE), "10/s");
             EXPECT_EQ(Shown(d, IDC_LAUNCH_TIME), "50 Seconds");
             EXPECT_EQ(d.IsDlgButtonChecked(IDC_LAUNCH_SCROLL_RUN), BST_CHECKED);
             EXPECT_EQ(d.IsDlgButtonChecked(IDC_LAUNCH_SINGLE_GRAPH), BST_CHECKED);
             EXPECT_EQ(Shown(d, IDC_LAUNCH_SINGLE_GRAPH_LIST), "Humidity");
             EXPECT_EQ(Shown(d, IDC_LAUNCH_RECORDING_MODE), "Add");
         },
         CLaunchHeader::kGraph},
        {"meter",
         [&](Dialog& d) {
             testing_support::Press(d, IDC_LAUNCH_METER);
             Click(d.m_switches[kSound]);
             Choose(d, IDC_LAUNCH_METER_TYPE, 2);
             testing_support::SetChecked(d, IDC_LAUNCH_LAYOUT, true);
             modals.ExpectDialog(IDD_METER_SETTINGS, [](CDialog& p) {
                 Choose(p, IDC_METER_SENSOR_FIRST + 3, 4);  // the sensor of mask 128
                 testing_support::Press(p, IDOK);
             });
             testing_support::Press(d, IDC_LAUNCH_ADVANCED);
         },
         [&](Dialog& d) {
             EXPECT_EQ(d.m_mode, Dialog::kMeterMode);
             EXPECT_EQ(SwitchesOn(d), std::vector<int>{kSound});
             EXPECT_EQ(Shown(d, IDC_LAUNCH_METER_TYPE), "Change meter");
             EXPECT_TRUE(Visible(d, IDC_LAUNCH_ADVANCED));
             EXPECT_EQ(d.m_meterSensors[3], 128);
         },
         CLaunchHeader::kSnapshot},
        {"timing", [&](Dialog& d) { testing_support::Press(d, IDC_LAUNCH_TIMING); },
         [&](Dialog& d) {
             EXPECT_EQ(d.m_mode, Dialog::kTimingMode);
             EXPECT_TRUE(Visible(d, IDC_LAUNCH_TIMING_WIZARD));
         },
         CLaunchHeader::kTiming},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CLaunchHeader written;
        Run(true, [&](Dialog& d) {
            c.edit(d);
            testing_support::Press(d, IDOK);
        });
        const std::vector<BYTE> bytes = FileBytes();
        CLaunchHeader h = ReadBack();
        EXPECT_EQ(h.m_kind, c.kind);
        EXPECT_EQ(h.GetFileBytes(c.kind), bytes) << "as the writer writes it";
        Run(true, [&](Dialog& d) {
            c.check(d);
            testing_support::Press(d, IDCANCEL);
        });
        EXPECT_EQ(FileBytes(), bytes) << "Cancel leaves the file";
        Run(true, [&](Dialog& d) { testing_support::Press(d, IDOK); });
        EXPECT_EQ(FileBytes(), bytes) << "OK writes back what was read";
    }
}

// A file's recording time that no entry holds (written elsewhere, or by another version) shows
// as an entry of its own, and OK writes it back as it was.
TEST_F(LaunchSettings, ALengthNoEntryHoldsShowsAsItsOwnAndOkKeepsIt) {
    const struct {
        bool qk;
        LONG length;
        const char* own;
        int standard;  // an entry of the list with the own one in it
        const char* standardText;
        LONG standardLength;
    } cases[] = {{true, 90, "90 Seconds", 4, "100 Seconds", 100},
                 {false, 10, "10 Seconds", 1, "1 Minute", 60}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.qk ? "QK" : "basic");
        QFile::remove(path.ToQString());
        Run(c.qk, [&](Dialog& d) { testing_support::Press(d, IDOK); });
        CLaunchHeader h = ReadBack();
        h.m_runLength = c.length;
        ASSERT_TRUE(h.SaveToFile(path, CLaunchHeader::kGraph));
        const std::vector<BYTE> bytes = FileBytes();

        Run(c.qk, [&](Dialog& d) {
            EXPECT_EQ(Shown(d, IDC_LAUNCH_TIME), c.own);
            testing_support::Press(d, IDOK);
        });
        EXPECT_EQ(ReadBack().m_runLength, c.length);
        EXPECT_EQ(FileBytes(), bytes) << "OK writes back what was read";

        Run(c.qk, [&](Dialog& d) {
            Choose(d, IDC_LAUNCH_TIME, c.standard);
            EXPECT_EQ(Shown(d, IDC_LAUNCH_TIME), c.standardText);
            testing_support::Press(d, IDOK);
        });
        EXPECT_EQ(ReadBack().m_runLength, c.standardLength);
    }
}

TEST_F(LaunchSettings, FilesThatCannotBeReadOrWrittenAreReported) {
    // A corrupt file: reported, graph presets, the file as it was until OK.
    const std::vector<BYTE> corrupt = {5, 'J', 'u', 'n', 'k', '!', 1, 2};
    {
        QFile f(path.ToQString());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(reinterpret_cast<const char*>(corrupt.data()), qint64(corrupt.size()));
    }
    modals.ExpectMessage("The launch file \"Lesson.qdr\" cannot be read: it is not a launch file.",
                         IDOK);
    Run(true, [&](Dialog& d) {
        EXPECT_EQ(d.m_mode, Dialog::kGraphMode);
        EXPECT_EQ(d.m_rateCode, 41);
        EXPECT_EQ(FileBytes(), corrupt);
        testing_support::Press(d, IDCANCEL);
    });
    EXPECT_EQ(FileBytes(), corrupt);

    // A count that the switches do not match: bit 8 has no switch.
    CLaunchHeader odd;
    {
        LaunchChannelStruct channels[8];
        channels[7].index = -1;
        const BYTE bits[7] = {16, 8};
        odd = CLaunchHeader(channels, 41, 100, 2, bits, 0, 0, 0, 0, 1, 1, 0, -1, 0);
        ASSERT_TRUE(odd.SaveToFile(path, 2));
    }
    const std::vector<BYTE> oddBytes = FileBytes();
    bool stayedOpen = false;
    Run(true, [&](Dialog& d) {
        modals.ExpectMessage(Dialog::kErrorCreatingText, IDOK);
        testing_support::Press(d, IDOK);
        stayedOpen = !d.IsEnded();
        testing_support::Press(d, IDCANCEL);
    });
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(FileBytes(), oddBytes);

    // A folder that cannot hold the file.
    QFile blocker(env.File("blocker").ToQString());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    path = env.File("blocker/Lesson.qdr");
    stayedOpen = false;
    Run(true, [&](Dialog& d) {
        modals.ExpectMessage(Dialog::kErrorCreatingText, IDOK);
        testing_support::Press(d, IDOK);
        stayedOpen = !d.IsEnded();
        testing_support::Press(d, IDCANCEL);
    });
    EXPECT_TRUE(stayedOpen);
}

TEST_F(LaunchSettings, TheCommandsWriteBesideTheWorksheetAndLaunchFollowsTheLogger) {
    static_cast<ModelDorvik&>(logger).SetQk(true);
    CHtmlDocView workbook;
    ASSERT_TRUE(workbook.Create(&host, &doc));
    // Without a worksheet both are greyed.
    for (UINT id : {ID_LAUNCH_SETTINGS, ID_LAUNCH_SETTINGS_QK})
        EXPECT_FALSE(testing_support::MenuCommandState(mainFrame, id).enabled) << id;

    // Workbook > Open Worksheet, as a user opens one.
    const CString lesson = env.File("Lesson.htm");
    QFile page(lesson.ToQString());
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.close();
    modals.ExpectFileDialog(lesson);
    Command(ID_OPEN_WORKSHEET);
    ASSERT_EQ(workbook.m_worksheetPath, lesson);
    struct Case {
        UINT command;
        const char* file;
        BOOL launch;
    } cases[] = {{ID_LAUNCH_SETTINGS, "Lesson.hdr", FALSE},
                 {ID_LAUNCH_SETTINGS_QK, "Lesson.qdr", TRUE}};
    for (const Case& c : cases) {
        CString launchPath;
        BOOL qk = FALSE;
        modals.ExpectDialog(IDD_LAUNCH_SETTINGS, [&](CDialog& d) {
            launchPath = static_cast<Dialog&>(d).GetLaunchPath();
            qk = static_cast<Dialog&>(d).IsQKModel();
            testing_support::Press(d, IDOK);
        });
        Command(c.command);
        EXPECT_EQ(launchPath, env.File(c.file)) << c.file;
        EXPECT_EQ(qk, c.command == ID_LAUNCH_SETTINGS_QK);
        EXPECT_TRUE(QFile::exists(launchPath.ToQString()));
        EXPECT_EQ(mainFrame.m_launchAvailable, c.launch) << c.file;
        EXPECT_EQ(workbook.m_launchPath, c.launch ? env.File("Lesson.qdr") : CString());
    }
    workbook.DestroyWindow();
}

TEST(LaunchFilePath, OnlyTheNamesOwnSuffixIsReplaced) {
    EXPECT_EQ(CHtmlDocView::LaunchFilePath("/w/Lesson.htm", FALSE), "/w/Lesson.hdr");
    EXPECT_EQ(CHtmlDocView::LaunchFilePath("/w/Lesson.htm", TRUE), "/w/Lesson.qdr");
    EXPECT_EQ(CHtmlDocView::LaunchFilePath("/w.x/Lesson", TRUE), "/w.x/Lesson.qdr");
    EXPECT_EQ(CHtmlDocView::LaunchFilePath("/w/a.b.mht", FALSE), "/w/a.b.hdr");
}
