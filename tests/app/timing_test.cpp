// The photogate timing mode on the real program: the layout it takes, the wizard that the
// command opens, and the parameter dialog that a timing launch without the wizard shows.

#include <gtest/gtest.h>

#include <QFile>
#include <QWidget>
#include <functional>
#include <memory>

#include "RES/commands.h"
#include "RES/dialogs/timing_wizard.h"
#include "app/varnel_app.h"
#include "app/varnel_doc.h"
#include "experiment/setup_view.h"
#include "experiment/timing_wizard.h"
#include "logger/dorvik.h"
#include "logger/serial_port.h"
#include "logger/settings.h"
#include "tests/support/core/sim_port.h"
#include "tests/support/harness.h"
#include "tests/support/user_commands.h"

namespace {

using testing_support::Press;

CPropertyPage& Page(CDialog& d) {
    auto& sheet = dynamic_cast<CPropertySheet&>(d);
    EXPECT_TRUE(sheet.GetActivePage());
    return *sheet.GetActivePage();
}

class TimingTest : public ::testing::Test {
protected:
    TimingTest() {
        EXPECT_TRUE(app.InitInstance());
        doc = app.GetDocument();
        frame = app.GetMainFrame();
        // A QK answered, as detection tells the main window: the timing commands are its.
        frame->SetModelFlags(TRUE, 1);
    }
    ~TimingTest() override { app.ExitInstance(); }
    void Command(UINT id) { ASSERT_TRUE(testing_support::UseCommand(*frame, id)); }
    CSettings& S() const { return *doc->GetSettings(); }
    bool SetupShown() const {
        QWidget* w = doc->GetSetupView()->GetParentFrame()->GetWidget();
        return w && !w->isHidden();
    }

    testing_support::ScopedVirtualClock clock;
    testing_support::TempEnvironment env;
    testing_support::NoComPorts noPorts;
    // A port where no logger answers: the program's search for one waits on the clock.
    testing_support::SimulatedComPort silent{2, CDorvik::kBasicBaudRate};
    testing_support::ModalScript modals;
    CVarnelApp app;
    CVarnelDoc* doc = nullptr;
    CMainFrame* frame = nullptr;
};

TEST_F(TimingTest, TheCommandSwitchesTheLayoutAndOpensTheWizard) {
    const struct {
        const char* name;
        LONG videoHidden;
        LONG tableOn;
    } rows[] = {{"video shown", 0, 4}, {"video hidden", 1, 2}};
    for (const auto& r : rows) {
        S().m_videoHidden = r.videoHidden;
        S().m_graphMode = 3;
        S().m_tableMode = 1;
        // Cancel in the wizard leaves timing on.
        modals.ExpectDialog(IDD_PROPERTY_SHEET, [](CDialog& d) { Press(d, IDCANCEL); });
        Command(ID_TIMING_TB);
        EXPECT_EQ(doc->m_timingMode, 1) << r.name;
        EXPECT_EQ(S().m_tableMode, r.tableOn) << r.name;
        EXPECT_FALSE(SetupShown()) << r.name;
        EXPECT_EQ(frame->m_timingModeOn, 1) << r.name;
        EXPECT_EQ(frame->m_metersButtonAvailable, 0) << r.name;

        Command(ID_LOGGER_SETUP);  // off: no wizard
        EXPECT_EQ(doc->m_timingMode, 0) << r.name;
        EXPECT_EQ(S().m_tableMode, r.videoHidden ? 1 : 0) << r.name;
        EXPECT_TRUE(SetupShown()) << r.name;
        EXPECT_EQ(frame->m_timingModeOn, 0) << r.name;
        EXPECT_EQ(frame->m_metersButtonAvailable, 1) << r.name;
    }
    EXPECT_EQ(modals.Pending(), 0u);
}

TEST_F(TimingTest, FinishWritesTheFourValues) {
    S().m_timingMeasurement = 0;
    S().m_timingMethod = 0;
    S().m_timingDistance1 = 3.0;
    S().m_timingDistance2 = 20.0;
    modals.ExpectDialog(IDD_PROPERTY_SHEET, [](CDialog& d) {
        auto& sheet = dynamic_cast<CPropertySheet&>(d);
        EXPECT_EQ(sheet.GetCaption(), "Timing Wizard");
        EXPECT_EQ(sheet.GetActiveIndex(), 0);
        EXPECT_EQ(Page(d).IsDlgButtonChecked(IDC_TIMING_TIME), 1u);
        Press(Page(d), IDC_TIMING_VELOCITY);
        Press(d, ID_WIZNEXT);
        ASSERT_EQ(sheet.GetActiveIndex(), 1);
        CPropertyPage& method = Page(d);
        Press(method, IDC_TIMING_TWO_GATES);
        EXPECT_EQ(method.GetDlgItemText(IDC_TIMING_LABEL), "Distance :");
        EXPECT_EQ(method.GetDlgItemText(IDC_TIMING_LENGTH), "20");
        testing_support::TypeText(method, IDC_TIMING_LENGTH, "2.5");
        Press(d, CTimingWizard::kFinishId);
    });
    Command(ID_TIMING_WIZARD);
    EXPECT_EQ(S().m_timingMeasurement, 1);
    EXPECT_EQ(S().m_timingMethod, 1);
    EXPECT_DOUBLE_EQ(S().m_timingDistance2, 2.5);
    EXPECT_DOUBLE_EQ(S().m_timingDistance1, 3.0);
    EXPECT_EQ(doc->m_timingMode, 0) << "the wizard alone changes no mode";

    modals.ExpectDialog(IDD_PROPERTY_SHEET, [](CDialog& d) {
        Press(Page(d), IDC_TIMING_ACCELERATION);
        Press(d, IDCANCEL);
    });
    EXPECT_FALSE(doc->RunTimingWizard(0));
    EXPECT_EQ(S().m_timingMeasurement, 1) << "Cancel stores nothing";
}

QByteArray FileBytes(const CString& path) {
    QFile f(path.ToQString());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST_F(TimingTest, FinishOnPageOneStoresThePresetsAndSavesThem) {
    S().m_timingMeasurement = 1;
    S().m_timingMethod = 2;
    S().m_timingDistance1 = 3.0;
    S().m_timingDistance2 = 20.0;
    ASSERT_TRUE(S().Save());
    const QByteArray before = FileBytes(S().m_filePath);

    // Cancel, Escape and the close box: nothing stored, nothing written.
    const std::function<void(CDialog&)> cancels[] = {
        [](CDialog& d) {
            Press(Page(d), IDC_TIMING_TIME);
            Press(d, IDCANCEL);
        },
        [](CDialog& d) { testing_support::PressEscape(d); },
        [](CDialog& d) { testing_support::PressCloseBox(d); },
    };
    for (const auto& cancel : cancels) {
        modals.ExpectDialog(IDD_PROPERTY_SHEET, cancel);
        EXPECT_FALSE(doc->RunTimingWizard(0));
        EXPECT_EQ(S().m_timingMeasurement, 1);
        EXPECT_EQ(FileBytes(S().m_filePath), before);
    }

    modals.ExpectDialog(IDD_PROPERTY_SHEET, [](CDialog& d) {
        Press(Page(d), IDC_TIMING_TIME);
        Press(d, CTimingWizard::kFinishId);
    });
    EXPECT_TRUE(doc->RunTimingWizard(0));
    EXPECT_EQ(S().m_timingMeasurement, 0);
    EXPECT_EQ(S().m_timingMethod, 2);
    EXPECT_DOUBLE_EQ(S().m_timingDistance2, 20.0);
    EXPECT_NE(FileBytes(S().m_filePath), before);
    EXPECT_EQ(FileBytes(S().m_filePath),
              QByteArray(reinterpret_cast<const char*>(S().GetFileBytes().data()),
                         static_cast<int>(S().GetFileBytes().size())));
}

TEST_F(TimingTest, TheWizardIsRefusedDuringARun) {
    S().m_timingMeasurement = 1;
    doc->m_runInProgress = 1;
    modals.ExpectMessage(CVarnelDoc::kRunningText, IDOK);
    Command(ID_TIMING_WIZARD);
    EXPECT_EQ(modals.Pending(), 0u);
    EXPECT_EQ(S().m_timingMeasurement, 1);
    doc->m_runInProgress = 0;
}

TEST_F(TimingTest, WithoutTheCommandTheParameterDialogEditsTheDistancesOnly) {
    const struct {
        const char* name;
        BYTE measurement;
        bool dialog;
    } rows[] = {{"time: nothing asked", 0, false}, {"velocity, one gate", 1, true}};
    for (const auto& r : rows) {
        S().m_timingMeasurement = r.measurement;
        S().m_timingMethod = 0;
        S().m_timingDistance1 = 3.0;
        if (r.dialog)
            modals.ExpectDialog(IDD_TIMING_LAUNCH_PARAMETER, [](CDialog& d) {
                EXPECT_EQ(d.GetDlgItemText(IDC_TIMING_LABEL), "Width :");
                EXPECT_EQ(d.GetDlgItemText(IDC_TIMING_LENGTH), "3");
                testing_support::TypeText(d, IDC_TIMING_LENGTH, "1.255");
                Press(d, IDOK);
            });
        doc->ToggleTimingMode(FALSE);
        EXPECT_EQ(doc->m_timingMode, 1) << r.name;
        EXPECT_EQ(modals.Pending(), 0u) << r.name;
        EXPECT_DOUBLE_EQ(S().m_timingDistance1, r.dialog ? 1.255 : 3.0) << r.name;
        if (r.dialog) {
            const std::vector<BYTE> saved = S().GetFileBytes();
            EXPECT_EQ(FileBytes(S().m_filePath),
                      QByteArray(reinterpret_cast<const char*>(saved.data()),
                                 static_cast<int>(saved.size())))
                << "OK saves the settings";
        }
        EXPECT_EQ(S().m_timingMeasurement, r.measurement) << r.name;
        EXPECT_EQ(S().m_timingMethod, 0) << r.name;
        doc->ToggleTimingMode(FALSE);
        EXPECT_EQ(doc->m_timingMode, 0) << r.name;
    }
}

// A QK timer: its gates are all it measures.
class TimerDorvik : public CDorvik {
public:
    explicit TimerDorvik(CSettings* settings) : CDorvik(settings) {
        m_qkModel = 1;
        m_timerVariant = 1;
    }
};

TEST(TimingMode, ATimerVariantKeepsItOn) {
    testing_support::ScopedVirtualClock clock;
    testing_support::TempEnvironment env;
    testing_support::ModalScript modals;
    CVarnelDoc doc([](CSettings* s) { return std::make_unique<TimerDorvik>(s); });
    doc.ToggleTimingMode(FALSE);
    EXPECT_EQ(doc.m_timingMode, 1);
    modals.ExpectDialog(IDD_PROPERTY_SHEET, [](CDialog& d) { Press(d, IDCANCEL); });
    doc.ToggleTimingMode(TRUE);
    EXPECT_EQ(doc.m_timingMode, 1);
}

TEST(TimingLength, IsShownWithTwoDecimalsAndReadsNonsenseAsZero) {
    EXPECT_EQ(FormatLength(2.5), "2.5");
    EXPECT_EQ(FormatLength(3.0), "3");
    EXPECT_EQ(FormatLength(1.256), "1.26");
    EXPECT_DOUBLE_EQ(ParseLength("abc"), 0.0);
    EXPECT_DOUBLE_EQ(ParseLength("4.75"), 4.75);
    EXPECT_TRUE(UsesSecondDistance(0, 0));
    EXPECT_TRUE(UsesSecondDistance(1, 1));
    EXPECT_FALSE(UsesSecondDistance(1, 0));
    EXPECT_FALSE(UsesSecondDistance(2, 1));
}

}  // namespace
