// The timing wizard's pages, its button row, the stored-set restriction and the "Timing
// parameter" dialog, driven through the real sheet and pages.

#include "experiment/timing_wizard.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>
#include <functional>

#include "RES/dialogs/timing_wizard.h"
#include "logger/helpers.h"
#include "platform/activex/register.h"
#include "tests/support/harness.h"

namespace {

using testing_support::Press;
using testing_support::PressCloseBox;
using testing_support::PressEscape;
using testing_support::RenderWidget;
using testing_support::SaveTestImage;
using testing_support::TypeText;

CPropertySheet& Sheet(CDialog& d) {
    return dynamic_cast<CPropertySheet&>(d);
}
CPropertyPage& Page(CDialog& d) {
    return *Sheet(d).GetActivePage();
}
bool Shown(CDialog& d, int id) {
    CWnd* w = d.GetDlgItem(id);
    return w && w->GetWidget() && !w->GetWidget()->isHidden();
}
bool Enabled(CDialog& d, int id) {
    CWnd* w = d.GetDlgItem(id);
    return w && w->IsWindowEnabled();
}
CRect RectOf(CDialog& d, int id) {
    CRect r;
    d.GetDlgItem(id)->GetWindowRect(&r);
    d.ScreenToClient(&r);
    return r;
}

CString PictureButton(CDialog& page) {
    auto* control = dynamic_cast<CActiveXControl*>(page.GetDlgItem(IDC_TIMING_PICTURE));
    return control ? control->Dump() : CString("no picture button");
}
// The button's face is plain grey; every picture is drawn on white.
bool ShowsPicture(CDialog& page) {
    const QImage face = RenderWidget(page.GetDlgItem(IDC_TIMING_PICTURE)->GetWidget());
    return (face.pixel(face.width() / 2, face.height() / 2) & 0xFFFFFF) != 0xF0F0F0u;
}

class TimingWizardTest : public ::testing::Test {
protected:
    TimingWizardTest() { platform::RegisterActiveXControls(); }

    // Runs a wizard without a document, preset as given, and returns how it ended.
    INT_PTR Run(WORD measurement, BYTE method, BYTE mode, std::function<void(CDialog&)> action) {
        CTimingWizard wizard("Timing Wizard", nullptr, nullptr, mode);
        wizard.m_writeBack = 0;
        wizard.m_typePage.m_measurement = measurement;
        wizard.m_parametersPage.m_method = method;
        wizard.m_parametersPage.m_distance1 = 3.0;
        wizard.m_parametersPage.m_distance2 = 20.0;
        modals.ExpectDialog(IDD_PROPERTY_SHEET, std::move(action));
        const INT_PTR result = wizard.DoModal();
        measurementOut = wizard.m_typePage.m_measurement;
        methodOut = wizard.m_parametersPage.m_method;
        distance1 = wizard.m_parametersPage.m_distance1;
        distance2 = wizard.m_parametersPage.m_distance2;
        return result;
    }

    testing_support::ScopedVirtualClock clock;
    testing_support::TempEnvironment env;
    testing_support::ModalScript modals;
    WORD measurementOut = 0;
    BYTE methodOut = 0;
    double distance1 = 0, distance2 = 0;
};

TEST_F(TimingWizardTest, PageTwoFollowsTheMeasurementAndMethod) {
    const struct {
        WORD measurement;
        BYTE method;
        const char* extra;  // nullptr: hidden
        int checked;
        const char* label;  // nullptr: label, edit and unit hidden
        const char* length;
        const char* picture;
    } rows[] = {
        {0, 0, "Pendulum (one gate)", IDC_TIMING_ONE_GATE, nullptr, nullptr, "TV1"},
        {0, 1, "Pendulum (one gate)", IDC_TIMING_TWO_GATES, nullptr, nullptr, "TV2"},
        {0, 2, "Pendulum (one gate)", IDC_TIMING_EXTRA, nullptr, nullptr, "pendulum1"},
        {1, 0, "Collision (two gates)", IDC_TIMING_ONE_GATE, "Width :", "3", "TV1"},
        {1, 1, "Collision (two gates)", IDC_TIMING_TWO_GATES, "Distance :", "20", "TV2"},
        {1, 2, "Collision (two gates)", IDC_TIMING_EXTRA, "Width :", "3", "collision2"},
        {2, 0, nullptr, IDC_TIMING_ONE_GATE, "Width :", "3", "a1"},
        {2, 1, nullptr, IDC_TIMING_TWO_GATES, "Width :", "3", "a2"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message()
                     << "measurement " << r.measurement << " method " << int(r.method));
        Run(r.measurement, r.method, 0, [&](CDialog& d) {
            Press(d, ID_WIZNEXT);
            CPropertyPage& p = Page(d);
            EXPECT_EQ(Shown(p, IDC_TIMING_EXTRA), r.extra != nullptr);
            if (r.extra) {
                EXPECT_EQ(p.GetDlgItemText(IDC_TIMING_EXTRA), r.extra);
            }
            for (int id : {IDC_TIMING_ONE_GATE, IDC_TIMING_TWO_GATES, IDC_TIMING_EXTRA})
                EXPECT_EQ(p.IsDlgButtonChecked(id), id == r.checked ? 1u : 0u) << id;
            EXPECT_EQ(p.GetDlgItemText(IDC_TIMING_ONE_GATE), "At one gate");
            EXPECT_EQ(p.GetDlgItemText(IDC_TIMING_TWO_GATES), "Between gates");
            const bool length = r.label != nullptr;
            EXPECT_EQ(Shown(p, IDC_TIMING_LABEL), length);
            EXPECT_EQ(Shown(p, IDC_TIMING_LENGTH), length);
            EXPECT_EQ(Shown(p, IDC_TIMING_UNIT), length);
            EXPECT_EQ(p.GetDlgItemText(IDC_TIMING_UNIT), "cm");
            if (length) {
                EXPECT_EQ(p.GetDlgItemText(IDC_TIMING_LABEL), r.label);
                EXPECT_EQ(p.GetDlgItemText(IDC_TIMING_LENGTH), r.length);
            }
            const CString file = CString("timing_images/timing wizard ") + r.picture + ".xpm";
            EXPECT_NE(PictureButton(p).Find("picture=\"" + GetExeFolder() + file + "\""), -1)
                << PictureButton(p);
            EXPECT_TRUE(ShowsPicture(p));
            if (r.measurement == 1 && r.method == 1)
                SaveTestImage(RenderWidget(d.GetWidget()), "timing_wizard_page2");
            Press(d, CTimingWizard::kFinishId);
        });
    }
    EXPECT_EQ(modals.Pending(), 0u);
}

TEST_F(TimingWizardTest, TheLengthTypedGoesToTheDistanceTheChoiceUses) {
    const struct {
        WORD measurement;
        BYTE method;
        const char* typed;
        bool second;
        double stored;
        const char* shown;
    } rows[] = {
        {1, 1, "2.5", true, 2.5, "2.5"},  {1, 0, "2.5", false, 2.5, "2.5"},
        {1, 2, "2.5", false, 2.5, "2.5"}, {2, 0, "2.5", false, 2.5, "2.5"},
        {1, 0, "abc", false, 0, "0"},     {1, 0, "0", false, 0, "0"},
        {1, 0, "-1", false, -1, "-1"},    {1, 0, "12abc", false, 12, "12"},
        {1, 0, "2,5", false, 2, "2"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.typed);
        Run(r.measurement, r.method, 0, [&](CDialog& d) {
            Press(d, ID_WIZNEXT);
            CPropertyPage& p = Page(d);
            TypeText(p, IDC_TIMING_LENGTH, r.typed);
            p.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_TIMING_LENGTH, EN_KILLFOCUS),
                          reinterpret_cast<LPARAM>(p.GetDlgItem(IDC_TIMING_LENGTH)->m_hWnd));
            EXPECT_EQ(p.GetDlgItemText(IDC_TIMING_LENGTH), r.shown);
            Press(d, CTimingWizard::kFinishId);
        });
        EXPECT_DOUBLE_EQ(r.second ? distance2 : distance1, r.stored);
        EXPECT_DOUBLE_EQ(r.second ? distance1 : distance2, r.second ? 3.0 : 20.0);
    }
}

TEST_F(TimingWizardTest, TheButtonRowAndItsStates) {
    const INT_PTR result = Run(1, 0, 0, [](CDialog& d) {
        const int ids[] = {ID_WIZBACK, ID_WIZNEXT, IDCANCEL, CTimingWizard::kFinishId};
        CRect client;
        d.GetClientRect(&client);
        for (size_t i = 0; i < 4; ++i) {
            const CRect a = RectOf(d, ids[i]);
            EXPECT_TRUE(client.left <= a.left && a.right <= client.right) << ids[i];
            for (size_t j = i + 1; j < 4; ++j) {
                CRect both;
                EXPECT_FALSE(both.IntersectRect(a, RectOf(d, ids[j]))) << ids[i] << " " << ids[j];
            }
        }
        const CRect finish = RectOf(d, CTimingWizard::kFinishId), cancel = RectOf(d, IDCANCEL);
        EXPECT_EQ(finish.left - cancel.left, CTimingWizard::kCancelShift);
        EXPECT_EQ(finish.top, cancel.top);
        EXPECT_EQ(d.GetDlgItemText(IDCANCEL), "Cancel");
        EXPECT_EQ(d.GetDlgItemText(ID_WIZNEXT), "Next");
        EXPECT_EQ(d.GetDlgItemText(ID_WIZBACK), "Back");
        EXPECT_EQ(d.GetDlgItemText(CTimingWizard::kFinishId), "Finish");
        EXPECT_FALSE(Shown(d, ID_WIZFINISH)) << "one Finish only";

        const struct { bool back, next; } pages[] = {{false, true}, {true, false}};
        for (const auto& p : pages) {
            EXPECT_EQ(Enabled(d, ID_WIZBACK), p.back);
            EXPECT_EQ(Enabled(d, ID_WIZNEXT), p.next);
            EXPECT_TRUE(Enabled(d, CTimingWizard::kFinishId));
            if (p.next) Press(d, ID_WIZNEXT);
        }
        EXPECT_EQ(Page(d).m_title, "Timing Wizard : Step 2 of 2 - Method");
        Press(d, ID_WIZBACK);
        EXPECT_EQ(Page(d).m_title, "Timing Wizard : Step 1 of 2 - Measurement");
        EXPECT_EQ(Page(d).GetDlgItemText(IDC_TIMING_QUESTION), "What do you want to measure ?");
        Press(d, CTimingWizard::kFinishId);
    });
    EXPECT_EQ(result, ID_WIZFINISH);
}

TEST_F(TimingWizardTest, CancelEscapeAndTheCloseBoxAllCancel) {
    const std::function<void(CDialog&)> ways[] = {
        [](CDialog& d) { Press(d, IDCANCEL); },
        [](CDialog& d) { PressEscape(d); },
        [](CDialog& d) { PressCloseBox(d); },
    };
    for (const auto& way : ways)
        EXPECT_EQ(Run(0, 0, 0, way), IDCANCEL);
    EXPECT_EQ(modals.Pending(), 0u);
}

TEST_F(TimingWizardTest, AccelerationTakesPageTwoBackFromTheExtraMethod) {
    Run(1, 2, 0, [](CDialog& d) {
        Press(d, ID_WIZNEXT);
        EXPECT_EQ(Page(d).IsDlgButtonChecked(IDC_TIMING_EXTRA), 1u);
        Press(d, ID_WIZBACK);
        Press(Page(d), IDC_TIMING_ACCELERATION);
        Press(d, ID_WIZNEXT);
        CPropertyPage& p = Page(d);
        EXPECT_EQ(p.IsDlgButtonChecked(IDC_TIMING_ONE_GATE), 1u);
        EXPECT_FALSE(Shown(p, IDC_TIMING_EXTRA));
        Press(d, CTimingWizard::kFinishId);
    });
    EXPECT_EQ(measurementOut, 2);
    EXPECT_EQ(methodOut, 0);
}

TEST_F(TimingWizardTest, AStoredSetOffersTimeOrVelocityBetweenGatesOnly) {
    // Finish at once, before page 2 was ever made: the values are restricted all the same.
    Run(2, 0, 1, [](CDialog& d) {
        CPropertyPage& p = Page(d);
        EXPECT_EQ(p.IsDlgButtonChecked(IDC_TIMING_TIME), 1u);
        EXPECT_EQ(p.IsDlgButtonChecked(IDC_TIMING_ACCELERATION), 0u);
        EXPECT_FALSE(Enabled(p, IDC_TIMING_ACCELERATION));
        Press(d, CTimingWizard::kFinishId);
    });
    EXPECT_EQ(measurementOut, 0);
    EXPECT_EQ(methodOut, 1);

    Run(1, 2, 1, [](CDialog& d) {
        Press(d, ID_WIZNEXT);
        CPropertyPage& p = Page(d);
        EXPECT_EQ(p.IsDlgButtonChecked(IDC_TIMING_TWO_GATES), 1u);
        for (int id : {IDC_TIMING_ONE_GATE, IDC_TIMING_EXTRA}) {
            EXPECT_EQ(p.IsDlgButtonChecked(id), 0u) << id;
            EXPECT_FALSE(Enabled(p, id)) << id;
        }
        EXPECT_EQ(p.GetDlgItemText(IDC_TIMING_LABEL), "Distance :");
        Press(d, CTimingWizard::kFinishId);
    });
    EXPECT_EQ(measurementOut, 1);
    EXPECT_EQ(methodOut, 1);
}

TEST_F(TimingWizardTest, AMissingPictureChangesNothingAndSaysNothing) {
    CTimingWizard wizard("Timing Wizard", nullptr, nullptr, 0);
    wizard.m_writeBack = 0;
    modals.ExpectDialog(IDD_PROPERTY_SHEET, [&](CDialog& d) {
        SaveTestImage(RenderWidget(d.GetWidget()), "timing_wizard_page1");
        Press(d, ID_WIZNEXT);
        auto image = [&] {
            const CString dump = PictureButton(Page(d));
            return dump.Mid(dump.Find("image="));
        };
        const CString before = image();
        wizard.m_parametersPage.SetPicture("timing_images/none.xpm");
        EXPECT_EQ(image(), before);
        Press(d, IDCANCEL);
    });
    wizard.DoModal();
    EXPECT_EQ(modals.Pending(), 0u);
}

TEST_F(TimingWizardTest, TheParameterDialogShowsTheOneLengthNeeded) {
    const struct {
        BYTE measurement, method;
        const char* label;  // nullptr: nothing shown
        const char* length;
    } rows[] = {
        {0, 1, nullptr, nullptr}, {1, 0, "Width :", "3"}, {1, 1, "Distance :", "20"},
        {1, 2, "Width :", "3"},   {2, 0, "Width :", "3"}, {2, 1, "Width :", "3"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << int(r.measurement) << " " << int(r.method));
        CTimingLaunchParameterDialog dialog;
        dialog.m_measurement = r.measurement;
        dialog.m_method = r.method;
        dialog.m_distance1 = 3.0;
        dialog.m_distance2 = 20.0;
        modals.ExpectDialog(IDD_TIMING_LAUNCH_PARAMETER, [&](CDialog& d) {
            EXPECT_EQ(d.GetDlgItemText(IDOK), "OK");
            EXPECT_EQ(d.GetDlgItemText(IDCANCEL), "Cancel");
            const bool length = r.label != nullptr;
            EXPECT_EQ(Shown(d, IDC_TIMING_LABEL), length);
            EXPECT_EQ(Shown(d, IDC_TIMING_LENGTH), length);
            EXPECT_EQ(Shown(d, IDC_TIMING_LAUNCH_UNIT), length);
            if (!length) return Press(d, IDCANCEL);
            EXPECT_EQ(d.GetDlgItemText(IDC_TIMING_LAUNCH_UNIT), "cm");
            EXPECT_EQ(d.GetDlgItemText(IDC_TIMING_LABEL), r.label);
            EXPECT_EQ(d.GetDlgItemText(IDC_TIMING_LENGTH), r.length);
            TypeText(d, IDC_TIMING_LENGTH, "4");
            Press(d, IDOK);
        });
        const INT_PTR result = dialog.DoModal();
        if (!r.label) {
            EXPECT_EQ(result, IDCANCEL);
            continue;
        }
        EXPECT_EQ(result, IDOK);
        const bool second = r.measurement == 1 && r.method == 1;
        EXPECT_DOUBLE_EQ(dialog.m_distance1, second ? 3.0 : 4.0);
        EXPECT_DOUBLE_EQ(dialog.m_distance2, second ? 4.0 : 20.0);
    }
    EXPECT_EQ(modals.Pending(), 0u);
}

}  // namespace
