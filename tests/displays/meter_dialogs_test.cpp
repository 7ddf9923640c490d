// The meter settings dialog and the sensor colour settings, through the modal script.

#include <QTest>
#include <QWidget>

#include "RES/commands.h"
#include "RES/dialogs/meter_setting.h"
#include "RES/dialogs/sensor_color.h"
#include "app/main_frame.h"
#include "app/varnel_doc.h"
#include "displays/meter/meter_setting_dialog.h"
#include "displays/sensor_color_settings_dialog.h"
#include "experiment/setup_view.h"
#include "logger/dorvik.h"
#include "logger/settings.h"
#include "platform/activex/register.h"
#include "tests/support/harness.h"
#include "tests/support/user_commands.h"

namespace {

using testing_support::Press;
using testing_support::Px;

CComboBox& Combo(CDialog& d, UINT id) {
    auto* combo = dynamic_cast<CComboBox*>(d.GetDlgItem(static_cast<int>(id)));
    EXPECT_NE(combo, nullptr) << id;
    return *combo;
}

CString Selected(CDialog& d, UINT id) {
    CString text;
    CComboBox& combo = Combo(d, id);
    combo.GetLBText(combo.GetCurSel(), text);
    return text;
}

class MeterSettingDialogTest : public testing_support::HarnessTest {};

TEST_F(MeterSettingDialogTest, DefaultsAChoiceKeptAndAStrangeMask) {
    CMeterSettingDialog dialog;
    modals.ExpectDialog(IDD_METER_SETTING, [](CDialog& d) {
        static const char* const kinds[] = {"Analog meter", "Bar meter", "Change meter",
                                            "Digital meter"};
        for (UINT i = 0; i < 4; ++i) {
            EXPECT_EQ(Selected(d, IDC_METER_TYPE_FIRST + i), kinds[i]);
            EXPECT_EQ(Selected(d, IDC_METER_SENSOR_FIRST + i), "Temperature");
            EXPECT_EQ(Combo(d, IDC_METER_SENSOR_FIRST + i).GetCount(), 7);
            EXPECT_EQ(d.GetDlgItemText(static_cast<int>(IDC_METER_NAME_FIRST + i)),
                      CString::Formatted("Meter %u", i + 1));
        }
        EXPECT_EQ(d.GetDlgItemText(IDC_METER_TYPE_LABEL), "Meter type");
        EXPECT_EQ(d.GetDlgItemText(IDC_METER_SENSOR_LABEL), "Sensor type");
        Combo(d, IDC_METER_SENSOR_FIRST + 2).SetCurSel(4);  // "Sound"
        Combo(d, IDC_METER_TYPE_FIRST + 2).SetCurSel(0);
        Press(d, IDOK);
    });
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_sensorMask[2], 128);
    EXPECT_EQ(dialog.m_meterType[2], 0);
    EXPECT_EQ(dialog.m_sensorMask[0], 16);

    dialog.m_sensorMask[1] = 8;  // no entry stands for it
    modals.ExpectDialog(IDD_METER_SETTING, [](CDialog& d) {
        EXPECT_EQ(Selected(d, IDC_METER_SENSOR_FIRST + 2), "Sound");
        EXPECT_EQ(Selected(d, IDC_METER_TYPE_FIRST + 2), "Analog meter");
        EXPECT_EQ(Selected(d, IDC_METER_SENSOR_FIRST + 1), "Temperature");
        Press(d, IDCANCEL);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.m_sensorMask[2], 128);
}

class SensorColorTest : public testing_support::HarnessTest {
protected:
    SensorColorTest() : doc([](CSettings*) { return std::unique_ptr<CDorvik>(); }) {
        platform::RegisterActiveXControls();
        host.Create(nullptr, "host", WS_VISIBLE, CRect(0, 0, 100, 100), nullptr, 0);
        setup.Create(&host, CRect(0, 0, 10, 10), 3);
        setup.SetDocument(&doc);
        // The real main window, whose File menu has the command.
        main.CreateMainWindow();
        main.SetDocument(&doc);
        main.ShowWindow(SW_SHOW);
        for (int i = 0; i < 8; ++i)
            settings.m_plotColors[i] = RGB(10 * i, 20, 30);
    }
    ~SensorColorTest() override {
        main.DestroyWindow();
        setup.DestroyWindow();
        host.DestroyWindow();
        testing_support::ProcessQtEvents();
    }
    static CSensorColorSettingsDialog& Colours(CDialog& d) {
        return dynamic_cast<CSensorColorSettingsDialog&>(d);
    }
    static void Pick(CDialog& d, int slot) {
        CCWButton& picker = Colours(d).GetPicker(slot);
        QTest::mouseClick(picker.GetWidget(), Qt::LeftButton);
    }
    std::vector<COLORREF> Stored() const {
        return {settings.m_plotColors, settings.m_plotColors + 8};
    }
    void Run() { ASSERT_TRUE(testing_support::ChooseMenuCommand(main, ID_SENSOR_COLOR_SETTINGS)); }

    CVarnelDoc doc;
    CMainFrame main;
    CSettings& settings = *doc.GetSettings();
    CWnd host;
    CSetupView setup;
};

TEST_F(SensorColorTest, CancelKeepsTheSettingsEvenAfterRestoreDefaults) {
    const std::vector<COLORREF> before = Stored();
    modals.ExpectDialog(IDD_SENSOR_COLOR, [](CDialog& d) {
        EXPECT_EQ(d.GetWindowText(), "Sensor color settings dialog");
        EXPECT_EQ(Colours(d).GetCombo(3).m_arColors.at(0), RGB(30, 20, 30));
        EXPECT_EQ(Colours(d).GetCombo(3).GetCount(), 1);
        Press(d, IDC_SENSOR_COLOR_DEFAULTS);
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(Colours(d).GetCombo(i).m_arColors.at(0),
                      CSensorColorSettingsDialog::kDefaultColors[i]);
        EXPECT_EQ(Colours(d).GetCombo(0).m_arColors.at(0), RGB(255, 0, 0));
        Press(d, IDCANCEL);
    });
    Run();
    EXPECT_EQ(Stored(), before);
    EXPECT_EQ(setup.m_sensorColorsApplied, 0);
}

TEST_F(SensorColorTest, APickerCancelledKeepsTheSlot) {
    modals.ExpectDialog(IDD_SENSOR_COLOR, [](CDialog& d) {
        Pick(d, 5);
        EXPECT_EQ(Colours(d).GetCombo(5).m_arColors.at(0), RGB(50, 20, 30));
        Press(d, IDOK);
    });
    modals.ExpectColor(0, IDCANCEL, RGB(50, 20, 30));
    Run();
    EXPECT_EQ(settings.m_plotColors[5], RGB(50, 20, 30));
    EXPECT_EQ(modals.Pending(), 0u);
}

TEST_F(SensorColorTest, APickedColourShowsInItsSwatchAndOkStoresAndSavesIt) {
    const COLORREF picked = 0x123456;
    modals.ExpectDialog(IDD_SENSOR_COLOR, [&](CDialog& d) {
        Pick(d, 0);
        CColorComboEx& combo = Colours(d).GetCombo(0);
        EXPECT_EQ(combo.m_arColors.at(0), picked);
        EXPECT_EQ(combo.GetCount(), 1);
        EXPECT_EQ(combo.GetCurSel(), 0);
        const QImage swatch = testing_support::RenderWidget(combo.GetWidget());
        testing_support::SaveTestImage(swatch, "sensor_color_swatch");
        EXPECT_EQ(Px(swatch, swatch.width() / 4, swatch.height() / 2), picked);
        Press(d, IDOK);
    });
    modals.ExpectColor(picked);
    Run();
    EXPECT_EQ(settings.m_plotColors[0], picked);
    EXPECT_EQ(settings.m_plotColors[1], RGB(10, 20, 30));
    EXPECT_EQ(setup.m_sensorColorsApplied, 1);
    CSettings saved;
    EXPECT_EQ(saved.m_plotColors[0], picked);
}

}  // namespace
