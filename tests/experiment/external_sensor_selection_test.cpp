// The external sensor type choice: the list sorted by name, the current type shown, OK and Cancel.

#include <QTest>

#include "RES/dialogs/external_sensor_selection.h"
#include "experiment/external_sensor_selection_dialog.h"
#include "logger/settings.h"
#include "platform/ui/controls.h"
#include "tests/support/harness.h"

namespace {

using namespace testing_support;

struct ExternalSensorSelection : ::testing::Test {
    TempEnvironment env;
    ModalScript modals;
    CSettings settings;

    static CComboBox* Combo(CDialog& d) {
        return dynamic_cast<CComboBox*>(d.GetDlgItem(int(IDC_EXTERNAL_SENSOR_TYPE)));
    }
    static std::vector<CString> Items(CDialog& d) {
        std::vector<CString> items;
        CComboBox* c = Combo(d);
        for (int i = 0; c && i < c->GetCount(); ++i) {
            CString t;
            c->GetLBText(i, t);
            items.push_back(t);
        }
        return items;
    }
    static CString Shown(CDialog& d) {
        CString t;
        if (Combo(d)->GetCurSel() >= 0) Combo(d)->GetLBText(Combo(d)->GetCurSel(), t);
        return t;
    }
    static int IndexOf(const std::vector<CString>& items, const char* text) {
        for (size_t i = 0; i < items.size(); ++i)
            if (items[i] == text) return int(i);
        return -1;
    }
};

TEST_F(ExternalSensorSelection, SortsByNameAndKeepsTheCurrentType) {
    std::vector<CString> items;
    CString shown;
    CString title;
    modals.ExpectDialog(IDD_EXTERNAL_SENSOR_SELECTION, [&](CDialog& d) {
        items = Items(d);
        shown = Shown(d);
        title = d.GetWindowText();
        EXPECT_EQ(d.GetDlgItem(IDC_EXTERNAL_SENSOR_LABEL)->GetWindowText(), "External Sensor :");
        // Choose pH.
        const int ph = IndexOf(items, "pH (pH)");
        ASSERT_GE(ph, 0);
        Combo(d)->SetCurSel(ph);
        d.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_EXTERNAL_SENSOR_TYPE, CBN_SELCHANGE),
                      reinterpret_cast<LPARAM>(Combo(d)->GetSafeHwnd()));
        Press(d, IDOK);
    });
    CExternalSensorSelectionDialog dialog;
    const BYTE current = 3;
    dialog.SetSensorTable(settings.m_sensorTypes, current);
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(title, "External sensor selection");
    ASSERT_EQ(items.size(), 20u);
    EXPECT_EQ(shown, settings.m_sensorTypes[current].name + " (" +
                         settings.m_sensorTypes[current].unit + ")");
    for (size_t i = 1; i < items.size(); ++i)
        EXPECT_LE(items[i - 1].CompareNoCase(items[i]), 0) << i;
    const int ph = IndexOf(items, "pH (pH)");
    EXPECT_GT(ph, 0);
    EXPECT_TRUE(items[ph - 1].Find("Oxygen") == 0) << items[ph - 1];
    EXPECT_TRUE(items[ph + 1].Find("Pressure 0 - 10") == 0) << items[ph + 1];
    EXPECT_LT(IndexOf(items, "Current ±2.5 (A)"), IndexOf(items, "Current ±250 (mA)"));
    EXPECT_EQ(settings.m_sensorTypes[dialog.GetSelection()].name, "pH");
}

TEST_F(ExternalSensorSelection, EqualNamesKeepTheirOrderAndCancelKeepsTheType) {
    SensorInfoStruct table[CExternalSensorSelectionDialog::kTypes];
    for (int i = 0; i < CExternalSensorSelectionDialog::kTypes; ++i) {
        table[i].name.Format("Type %02d", 19 - i);
        table[i].unit = "u";
    }
    table[4].name = "same";
    table[9].name = "Same";
    modals.ExpectDialog(IDD_EXTERNAL_SENSOR_SELECTION, [&](CDialog& d) {
        EXPECT_EQ(Shown(d), "Same (u)");
        Combo(d)->SetCurSel(5);
        d.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_EXTERNAL_SENSOR_TYPE, CBN_SELCHANGE),
                      reinterpret_cast<LPARAM>(Combo(d)->GetSafeHwnd()));
        Press(d, IDCANCEL);
    });
    CExternalSensorSelectionDialog dialog;
    dialog.SetSensorTable(table, 9);
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    const auto& entries = dialog.GetEntries();
    ASSERT_EQ(entries.size(), 20u);
    EXPECT_EQ(entries[0].type, 4);
    EXPECT_EQ(entries[1].type, 9);
    EXPECT_EQ(entries[2].type, 19);  // "Type 00"
    EXPECT_EQ(dialog.GetSelection(), 9);
}

TEST_F(ExternalSensorSelection, NoTableShowsAnEmptyList) {
    modals.ExpectDialog(IDD_EXTERNAL_SENSOR_SELECTION, [&](CDialog& d) {
        EXPECT_EQ(Combo(d)->GetCount(), 0);
        Press(d, IDOK);
    });
    CExternalSensorSelectionDialog dialog;
    dialog.SetSensorTable(nullptr, 7);
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.GetSelection(), 7);
}

}  // namespace
