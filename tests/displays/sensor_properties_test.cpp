// The sensor display properties dialog on one channel record, through the modal script.

#include <QComboBox>
#include <QWidget>

#include "RES/dialogs/sensor_properties.h"
#include "app/varnel_doc.h"
#include "displays/sensor_properties_dialog.h"
#include "logger/dorvik.h"
#include "logger/settings.h"
#include "platform/activex/register.h"
#include "tests/support/harness.h"

namespace {

using testing_support::Press;
using testing_support::SetChecked;

CComboBox& Combo(CDialog& d, UINT id) {
    return *dynamic_cast<CComboBox*>(d.GetDlgItem(static_cast<int>(id)));
}

void Select(CDialog& d, UINT id, int entry) {
    Combo(d, id).SetCurSel(entry);
    platform::NotifyParent(Combo(d, id).GetWidget(), CBN_SELCHANGE);
}

// Types into an edit and leaves it.
void Enter(CDialog& d, UINT id, const char* text) {
    testing_support::TypeText(d, static_cast<int>(id), text);
    platform::NotifyParent(d.GetDlgItem(static_cast<int>(id))->GetWidget(), EN_KILLFOCUS);
}

bool Enabled(CDialog& d, UINT id) {
    return d.GetDlgItem(static_cast<int>(id))->IsWindowEnabled();
}

class SensorPropertiesTest : public testing_support::HarnessTest {
protected:
    SensorPropertiesTest() : doc([](CSettings*) { return std::unique_ptr<CDorvik>(); }) {
        platform::RegisterActiveXControls();
        record.color = RGB(255, 0, 0);
        record.minimum = 0;
        record.maximum = 50;
    }
    // Opens the dialog on `record` for a sensor; `act` works it and presses a button.
    // The colour picker's answers follow, in order.
    INT_PTR Open(BOOL external, int id, const std::function<void(CDialog&)>& act,
                 std::vector<testing_support::ColorAnswer> colours = {}) {
        CSensorPropertiesDialog dialog;
        dialog.SetChannelRecord(&record);
        dialog.SetLaunchContext(&doc);
        dialog.SetSensor(external, id);
        modals.ExpectDialog(IDD_SENSOR_PROPERTIES, act);
        for (const auto& c : colours)
            modals.ExpectColor(c.colour, c.answer, c.opensAt);
        const INT_PTR result = dialog.DoModal();
        changed = dialog.IsChanged();
        return result;
    }

    CVarnelDoc doc;
    CSettings& settings = *doc.GetSettings();
    LaunchChannelStruct record;
    BOOL changed = FALSE;
};

TEST_F(SensorPropertiesTest, LineAndMarkersAreNeverBothOff) {
    Open(FALSE, 2, [](CDialog& d) {
        EXPECT_EQ(d.GetWindowText(), "Sensor display properties");
        SetChecked(d, IDC_PROP_LINE_VISIBLE, false);
        EXPECT_EQ(d.IsDlgButtonChecked(IDC_PROP_MARKER_VISIBLE), BST_CHECKED);
        for (UINT id :
             {IDC_PROP_LINE_COLOR, IDC_PROP_LINE_PICKER, IDC_PROP_LINE_STYLE, IDC_PROP_LINE_WEIGHT})
            EXPECT_FALSE(Enabled(d, id)) << id;
        Press(d, IDOK);
    });
    EXPECT_EQ(record.lineVisible, 0u);
    EXPECT_EQ(record.markerVisible, 1u);
    EXPECT_EQ(record.markerStyle, 10);

    Open(FALSE, 2, [](CDialog& d) {
        SetChecked(d, IDC_PROP_MARKER_VISIBLE, false);
        EXPECT_EQ(d.IsDlgButtonChecked(IDC_PROP_LINE_VISIBLE), BST_CHECKED);
        EXPECT_TRUE(Enabled(d, IDC_PROP_LINE_WEIGHT));
        Press(d, IDOK);
    });
    EXPECT_EQ(record.lineVisible, 1u);
    EXPECT_EQ(record.markerVisible, 0u);
    EXPECT_EQ(record.markerStyle, 0);
}

TEST_F(SensorPropertiesTest, StylesWeightsAndMarkersFromTheirPictureLists) {
    record.lineWidth = 5;
    Open(FALSE, 2, [](CDialog& d) {
        const std::pair<UINT, int> lists[] = {
            {IDC_PROP_LINE_STYLE, 2}, {IDC_PROP_LINE_WEIGHT, 3}, {IDC_PROP_MARKER_STYLE, 8}};
        for (auto [id, count] : lists) {
            auto* box = qobject_cast<QComboBox*>(Combo(d, id).GetWidget());
            ASSERT_EQ(box->count(), count) << id;
            for (int i = 0; i < count; ++i)
                EXPECT_FALSE(box->itemIcon(i).isNull()) << id << " " << i;
        }
        EXPECT_EQ(Combo(d, IDC_PROP_LINE_WEIGHT).GetCurSel(), 2);
        EXPECT_EQ(Combo(d, IDC_PROP_MARKER_STYLE).GetCurSel(), 0) << "markers off: first entry";
        // The second line style fixes the weight.
        Select(d, IDC_PROP_LINE_STYLE, 1);
        EXPECT_EQ(Combo(d, IDC_PROP_LINE_WEIGHT).GetCurSel(), 0);
        EXPECT_FALSE(Enabled(d, IDC_PROP_LINE_WEIGHT));
        SetChecked(d, IDC_PROP_MARKER_VISIBLE, true);
        Select(d, IDC_PROP_MARKER_STYLE, 6);
        Press(d, IDOK);
    });
    EXPECT_EQ(record.lineStyle, 4);
    EXPECT_EQ(record.lineWidth, 1);
    EXPECT_EQ(record.markerVisible, 1u);
    EXPECT_EQ(record.markerStyle, 22);
    EXPECT_TRUE(changed);

    // Opened again: style 4 shows as the second entry with the weight fixed.
    Open(FALSE, 2, [](CDialog& d) {
        EXPECT_EQ(Combo(d, IDC_PROP_LINE_STYLE).GetCurSel(), 1);
        EXPECT_FALSE(Enabled(d, IDC_PROP_LINE_WEIGHT));
        EXPECT_EQ(Combo(d, IDC_PROP_MARKER_STYLE).GetCurSel(), 6);
        Select(d, IDC_PROP_LINE_STYLE, 0);
        Select(d, IDC_PROP_LINE_WEIGHT, 1);
        Press(d, IDOK);
    });
    EXPECT_EQ(record.lineStyle, 1);
    EXPECT_EQ(record.lineWidth, 3);

    // Markers switched on from style 0 take the first style.
    record.markerVisible = 0;
    record.markerStyle = 0;
    Open(FALSE, 2, [](CDialog& d) {
        SetChecked(d, IDC_PROP_MARKER_VISIBLE, true);
        Press(d, IDOK);
    });
    EXPECT_EQ(record.markerStyle, 10);
}

TEST_F(SensorPropertiesTest, TheRangeIsTypedInTheChosenUnitAndKeptInTheBaseUnit) {
    struct Case {
        const char* what;
        BOOL external;
        int id;
        BYTE temperatureUnit, pressureUnit;
        double lo, hi;
        const char* shownLo;
        const char* shownHi;
        UINT edit;
        const char* typed;
        double wantLo, wantHi;
        bool refused = false;
    };
    const Case cases[] = {
        {"212 F as max", FALSE, 4, 1, 0, 0, 50, "32.00", "122.00", IDC_PROP_MAX, "212", 0, 100},
        {"pressure in psi", FALSE, 6, 0, 1, 100, 200, "14.50", "29.01", IDC_PROP_MIN, "14.503770",
         100, 200},
        {"external type 18 in psi", TRUE, 18, 0, 1, 0, 10, "0.00", "1.45", IDC_PROP_MAX,
         "2.9007540", 0, 20},
        {"external pH, type 6, not as pressure", TRUE, 6, 1, 1, 0, 14, "0.00", "14.00",
         IDC_PROP_MAX, "12", 0, 12},
        {"external light, type 4, not as temperature", TRUE, 4, 1, 1, 0, 130, "0.00", "130.00",
         IDC_PROP_MIN, "10", 10, 130},
        {"minimum abc", FALSE, 2, 0, 0, 10, 50, "10.00", "50.00", IDC_PROP_MIN, "abc", 10, 50,
         true},
        {"minimum 12abc", FALSE, 2, 0, 0, 10, 50, "10.00", "50.00", IDC_PROP_MIN, "12abc", 10, 50,
         true},
        {"minimum 0.0", FALSE, 2, 0, 0, 10, 50, "10.00", "50.00", IDC_PROP_MIN, "0.0", 0, 50},
        {"maximum x", FALSE, 2, 0, 0, 0, 50, "0.00", "50.00", IDC_PROP_MAX, "x", 0, 50, true},
        {"maximum 150 by a minimum of 0.00", FALSE, 2, 0, 0, 0, 50, "0.00", "50.00", IDC_PROP_MAX,
         "150", 0, 150},
        {"maximum below the minimum", FALSE, 2, 0, 0, 10, 50, "10.00", "50.00", IDC_PROP_MAX, "5",
         10, 50, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        settings.m_temperatureUnit = c.temperatureUnit;
        settings.m_pressureUnit = c.pressureUnit;
        record.minimum = c.lo;
        record.maximum = c.hi;
        Open(c.external, c.id, [&](CDialog& d) {
            EXPECT_EQ(d.GetDlgItemText(IDC_PROP_MIN), c.shownLo);
            EXPECT_EQ(d.GetDlgItemText(IDC_PROP_MAX), c.shownHi);
            Enter(d, c.edit, c.typed);
            if (c.refused) {
                EXPECT_EQ(d.GetDlgItemText(static_cast<int>(c.edit)),
                          c.edit == IDC_PROP_MIN ? c.shownLo : c.shownHi)
                    << "shown again";
            }
            Press(d, IDOK);
        });
        EXPECT_NEAR(record.minimum, c.wantLo, 1e-6);
        EXPECT_NEAR(record.maximum, c.wantHi, 1e-6);
    }
}

TEST_F(SensorPropertiesTest, CancelLeavesTheRecordAsItWas) {
    record.autoScale = 0;
    const LaunchChannelStruct before = record;
    Open(FALSE, 4,
         [](CDialog& d) {
             SetChecked(d, IDC_PROP_LINE_VISIBLE, false);
             Select(d, IDC_PROP_LINE_STYLE, 1);
             SetChecked(d, IDC_PROP_AUTO_SCALE, true);
             EXPECT_FALSE(Enabled(d, IDC_PROP_MIN));
             EXPECT_FALSE(Enabled(d, IDC_PROP_MAX));
             SetChecked(d, IDC_PROP_AUTO_SCALE, false);
             Enter(d, IDC_PROP_MAX, "99");
             auto& dialog = dynamic_cast<CSensorPropertiesDialog&>(d);
             dialog.OnPickColor(false);
             EXPECT_EQ(dialog.GetEdited().markerColor, RGB(1, 2, 3));
             Press(d, IDCANCEL);
         },
         {{RGB(1, 2, 3), IDOK}});
    EXPECT_EQ(record, before);
}

TEST_F(SensorPropertiesTest, TheColourButtonsPickTheLineAndMarkerColours) {
    Open(FALSE, 2,
         [](CDialog& d) {
             auto& dialog = dynamic_cast<CSensorPropertiesDialog&>(d);
             auto click = [&](UINT id) {
                 dynamic_cast<CWButton*>(d.GetDlgItem(static_cast<int>(id)))->ClickByKey();
             };
             click(IDC_PROP_LINE_PICKER);
             click(IDC_PROP_MARKER_PICKER);
             EXPECT_EQ(dialog.GetEdited().markerColor, 0);
             click(IDC_PROP_MARKER_PICKER);
             Press(d, IDOK);
         },
         // Each opens at the colour it edits.
         {{0x123456, IDOK, RGB(255, 0, 0)}, {0, IDCANCEL, 0}, {0x654321, IDOK, 0}});
    EXPECT_EQ(record.color, 0x123456);
    EXPECT_EQ(record.markerColor, 0x654321);
    EXPECT_TRUE(changed);
}

}  // namespace
