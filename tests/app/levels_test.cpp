// The user-interface levels on the real program: the menu bar each level leaves, the toolbars
// and windows it arranges, and the level chosen in the dialog and kept for the next start.

#include <gtest/gtest.h>

#include <QToolBar>
#include <memory>
#include <sstream>
#include <string>

#include "RES/commands.h"
#include "RES/dialogs/option_dialogs.h"
#include "app/varnel_app.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_frame.h"
#include "displays/graph/graph_view.h"
#include "experiment/html_doc_view.h"
#include "logger/dorvik.h"
#include "logger/settings.h"
#include "platform/msg/standard_ids.h"
#include "tests/support/core/sim_port.h"
#include "tests/support/harness.h"
#include "tests/support/user_commands.h"

namespace {

// Each top-level pop-up as "Title: ids", "-" for a separator and "[ids]" for a pop-up.
std::string Dump(const CMenu& menu) {
    std::ostringstream out;
    for (int i = 0; i < menu.GetMenuItemCount(); ++i) {
        if (CMenu* sub = menu.GetSubMenu(i)) {
            CString title;
            menu.GetMenuString(static_cast<UINT>(i), title, MF_BYPOSITION);
            if (i) out << (title.IsEmpty() ? " " : "\n");
            out << title.GetString() << ":";
            for (int j = 0; j < sub->GetMenuItemCount(); ++j) {
                if (CMenu* inner = sub->GetSubMenu(j)) {
                    out << " [";
                    for (int k = 0; k < inner->GetMenuItemCount(); ++k)
                        out << (k ? " " : "") << inner->GetMenuItemID(k);
                    out << "]";
                } else if (const UINT id = sub->GetMenuItemID(j)) {
                    out << " " << id;
                } else {
                    out << " -";
                }
            }
        }
    }
    return out.str();
}

const std::string kFile =
    "&File: 3869 57601 57603 57604 - 2165 2157 - 2158 2131 2150 2155 2164 - "
    "57607 57606 - 57665";
const std::string kFileLess =
    "&File: 57601 57603 57604 - 2165 - 2158 2131 2150 2164 - 57607 "
    "57606 - 57665";
const std::string kView = "&View: 3811 2118 2121 2119 2120 2122 - 2123";
const std::string kGraph =
    "&Graph: 4811 4812 3884 - 3961 3962 4810 3963 3886 - 2156 4808 4815 "
    "2000 2153 - 2144 2145 2146 2147 2148";
const std::string kWorkbook = "&Workbook: 3856 [2134 2133] 2113 2114 2115 2116 2117";
const std::string kWorkbookLess = "&Workbook: 3856 2113 2114 2115 2116 2117";
const std::string kVideo = "V&ideo: 3814 3815 3816 3817 - 3818 3820 4956";
const std::string kAnalysis = "&Analysis: 4824 4825 4826 4828 - 2138";
const std::string kHelp = "&Help: 4068 4069 - 57664";
const std::string kModes = "[3911 3912 3913]";
const std::string kSensor = "[2103 2104]";

std::string Join(std::initializer_list<std::string> parts) {
    std::string out;
    for (const std::string& p : parts)
        out += (out.empty() ? "" : "\n") + p;
    return out;
}

std::string Logger(const std::string& body) {
    return "&Logger: " + body;
}

const std::string kFull = Join(
    {kFile, kView, kGraph, kWorkbook, kVideo,
     Logger("4781 4783 2136 4782 " + kModes + " 4922 - " + kSensor + " 4822"), kAnalysis, kHelp});

std::string Basic(bool qk) {
    return Join({kFileLess, "&View: 2118 2121 2119 2120",
                 "&Graph: - 3961 4810 - 2156 4808 4815 - 2144 2145 2146 2147 2148", kWorkbookLess,
                 Logger(std::string("4781 4782 4922 -") + (qk ? "" : " " + kSensor) + " 4822"),
                 kHelp});
}

std::string Simple(bool qk) {
    return Join({kFileLess, "&View: 2118 2121 2119 2120 2122 - 2123",
                 "&Graph: 4811 4812 - 3961 4810 - 2156 4808 4815 - 2144 2145 2146 2147 2148",
                 kWorkbookLess, "V&ideo: 3814 3815 3816 3817 3818 3820 4956",
                 Logger("4781 4782 " + kModes + " 4922 -" + (qk ? "" : " " + kSensor) + " 4822"),
                 kHelp});
}

std::string Without(std::string menu, const std::string& part) {
    const size_t at = menu.find(part);
    if (at != std::string::npos) menu.erase(at, part.size());
    return menu;
}

// Advanced reached by a switch looks as it does at start-up.
std::string Advanced(bool qk) {
    return qk ? Without(kFull, " " + kSensor) : kFull;
}

class LevelsTest : public ::testing::Test {
public:
    LevelsTest() { Start(); }
    ~LevelsTest() override { Stop(); }

    void Start() {
        app = std::make_unique<CVarnelApp>();
        ASSERT_TRUE(app->InitInstance());
        doc = app->GetDocument();
        frame = app->GetMainFrame();
    }
    void Stop() {
        if (app) app->ExitInstance();
        app.reset();
    }
    std::string Menu() const { return Dump(frame->GetMainMenu()); }
    // The logger answered as this model.
    void Detect(bool qk) {
        doc->GetLogger()->SetQKModel(qk);
        doc->OnLoggerAnswered();
    }
    static bool Shown(CToolBar& bar) { return bar.Bar() && !bar.Bar()->isHidden(); }
    CSettings& S() const { return *doc->GetSettings(); }

    testing_support::ScopedVirtualClock clock;
    testing_support::TempEnvironment env;
    testing_support::NoComPorts noPorts;
    // A port where no logger answers: the program's search for one waits on the clock.
    testing_support::SimulatedComPort silent{2, CDorvik::kBasicBaudRate};
    testing_support::ModalScript modals;
    std::unique_ptr<CVarnelApp> app;
    CVarnelDoc* doc = nullptr;
    CMainFrame* frame = nullptr;
};

TEST_F(LevelsTest, EachLevelRebuildsTheMenuBarAndTheSensorItemFollowsTheModel) {
    struct Row {
        const char* name;
        std::function<void(CVarnelDoc&, LevelsTest&)> steps;
        std::string menu;
    };
    const Row rows[] = {
        {"start-up at 2 keeps menu 152 whole", [](CVarnelDoc&, LevelsTest&) {}, kFull},
        {"Basic", [](CVarnelDoc& d, LevelsTest&) { d.RebuildMenus(0, 2); }, Basic(false)},
        {"Simple", [](CVarnelDoc& d, LevelsTest&) { d.RebuildMenus(1, 2); }, Simple(false)},
        {"Advanced after a switch",
         [](CVarnelDoc& d, LevelsTest&) {
             d.RebuildMenus(0, 2);
             d.RebuildMenus(2, 0);
         },
         Advanced(false)},
        {"the same level again changes nothing",
         [](CVarnelDoc& d, LevelsTest&) {
             d.RebuildMenus(1, 2);
             d.RebuildMenus(1, 1);
         },
         Simple(false)},
        {"level 3 changes nothing", [](CVarnelDoc& d, LevelsTest&) { d.RebuildMenus(3, 2); },
         kFull},
        {"a QK", [](CVarnelDoc&, LevelsTest& t) { t.Detect(true); }, Without(kFull, " " + kSensor)},
        {"a QK twice removes one item",
         [](CVarnelDoc& d, LevelsTest& t) {
             t.Detect(true);
             d.RemoveModelMenuItem(1);
         },
         Without(kFull, " " + kSensor)},
        {"a basic logger after a QK gets it back",
         [](CVarnelDoc&, LevelsTest& t) {
             t.Detect(true);
             t.Detect(false);
         },
         kFull},
        {"Simple with a QK, then a basic logger",
         [](CVarnelDoc& d, LevelsTest& t) {
             d.RebuildMenus(1, 2);
             t.Detect(true);
             t.Detect(false);
         },
         Simple(false)},
        {"Basic with a QK",
         [](CVarnelDoc& d, LevelsTest& t) {
             t.Detect(true);
             d.RebuildMenus(0, 2);
         },
         Basic(true)},
        {"level 2 after a switch with a QK keeps Comm setup",
         [](CVarnelDoc& d, LevelsTest& t) {
             t.Detect(true);
             d.RebuildMenus(1, 2);
             d.RebuildMenus(2, 1);
         },
         Advanced(true)},
        {"a project opened at level 0 with a QK",
         [](CVarnelDoc& d, LevelsTest& t) {
             t.S().m_interfaceLevel = 0;
             t.Detect(true);
             d.ApplyUserInterfaceMode(0, 2, 1);
         },
         Basic(true)},
    };
    for (const Row& r : rows) {
        Stop();
        Start();
        r.steps(*doc, *this);
        EXPECT_EQ(Menu(), r.menu) << r.name;
    }
}

TEST_F(LevelsTest, LevelsShowTheirToolbarsAndArrangeTheWindows) {
    struct Row {
        const char* name;
        BYTE level;
        BYTE keep;
        LONG meterMode, workbookMode, meterValue;  // before
        LONG wantMeter, wantWorkbook, wantMeterValue, wantDataMap;
        LONG wantSingleAxis, wantVideoHidden;
    };
    const Row rows[] = {
        {"Basic", 0, 0, 0, 0, 1, 3, 0, 4, 0, 0, 1},
        {"Basic, layout kept", 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1},
        {"Simple", 1, 0, 0, 0, 1, 3, 0, 4, 0, 0, 0},
        {"Simple, layout kept", 1, 1, 0, 0, 1, 0, 0, 1, 0, 0, 0},
        {"Simple from the meters in the main area", 1, 0, 3, 0, 1, 3, 0, 4, 0, 0, 0},
        {"Simple from the workbook in the main area", 1, 0, 0, 3, 1, 3, 0, 4, 0, 0, 0},
        {"Advanced", 2, 0, 0, 0, 1, 0, 0, 1, 2, 1, 0},
        {"Advanced, layout kept", 2, 1, 0, 0, 1, 0, 0, 1, 2, 1, 0},
    };
    for (const Row& r : rows) {
        Stop();
        Start();
        CSettings& s = S();
        s.m_graphMode = r.workbookMode == 3 || r.meterMode == 3 ? 0 : 3;
        s.m_meterMode = r.meterMode;
        s.m_workbookMode = r.workbookMode;
        s.m_meterViewValue = static_cast<WORD>(r.meterValue);
        s.m_videoMode = 1;
        s.m_videoHidden = 0;
        // The data map as start-up shows it; Advanced is tried with it hidden.
        if (r.level == 2) doc->OnDisplayDataMap();
        s.m_singleAxis = 1;
        frame->m_singleAxisOn = 1;
        doc->ApplyUserInterfaceMode(r.level, 2, r.keep);

        EXPECT_EQ(Shown(frame->GetBasicToolbar()), r.level == 0) << r.name;
        EXPECT_EQ(Shown(frame->GetSimpleToolbar()), r.level == 1) << r.name;
        EXPECT_EQ(Shown(frame->GetAdvancedToolbar()), r.level == 2) << r.name;
        CGraphFrame* graphFrame = doc->GetGraphView()->GetFrame();
        EXPECT_EQ(Shown(graphFrame->GetBasicToolbar()), r.level == 0) << r.name;
        EXPECT_EQ(Shown(graphFrame->GetSimpleToolbar()), r.level == 1) << r.name;
        EXPECT_EQ(Shown(graphFrame->GetAdvancedToolbar()), r.level == 2) << r.name;
        auto* workbook = dynamic_cast<CHtmlDocFrame*>(doc->m_htmlDocView->GetParentFrame());
        ASSERT_TRUE(workbook);
        EXPECT_EQ(Shown(workbook->GetWorkbookToolbar()), r.level == 2) << r.name;
        EXPECT_EQ(Shown(workbook->GetWorkbookToolbar2()), r.level != 2) << r.name;
        for (CToolBar* bar : {&workbook->GetWorkbookToolbar(), &workbook->GetWorkbookToolbar2()}) {
            ASSERT_EQ(bar->GetCount(), 14);
            EXPECT_EQ(bar->GetItemID(0), ID_WORKBOOK_OPEN_TB);
            EXPECT_EQ(bar->GetItemID(13), ID_WORKBOOK_LAUNCH_TB);
        }

        EXPECT_EQ(s.m_meterMode, r.wantMeter) << r.name;
        EXPECT_EQ(s.m_workbookMode, r.wantWorkbook) << r.name;
        EXPECT_EQ(s.m_meterViewValue, r.wantMeterValue) << r.name;
        EXPECT_EQ(s.m_dataMapMode, r.wantDataMap) << r.name;
        EXPECT_EQ(frame->m_dataMapShown, r.wantDataMap != 0) << r.name;
        EXPECT_EQ(s.m_singleAxis, r.wantSingleAxis) << r.name;
        EXPECT_EQ(frame->m_singleAxisOn, r.wantSingleAxis) << r.name;
        EXPECT_EQ(s.m_videoHidden, r.wantVideoHidden) << r.name;
        EXPECT_EQ(s.m_videoMode, r.wantVideoHidden ? 0 : 1) << r.name;
    }
}

TEST_F(LevelsTest, TheDialogsChoiceIsAppliedSavedAndComesBackAtTheNextStart) {
    // Cancel: nothing changes.
    modals.ExpectDialog(IDD_USER_INTERFACE, [](CDialog& d) {
        EXPECT_EQ(d.IsDlgButtonChecked(IDC_LEVEL_ADVANCED), 1u);
        testing_support::Press(d, IDC_LEVEL_BASIC);
        testing_support::Press(d, IDCANCEL);
    });
    ASSERT_TRUE(testing_support::UseCommand(*frame, ID_USER_INTERFACE_SETTINGS));
    EXPECT_EQ(S().m_interfaceLevel, 2);
    EXPECT_EQ(Menu(), kFull);
    EXPECT_FALSE(CSettings().m_interfaceLevel != 2);

    modals.ExpectDialog(IDD_USER_INTERFACE, [](CDialog& d) {
        testing_support::Press(d, IDC_LEVEL_SIMPLE);
        testing_support::Press(d, IDOK);
    });
    ASSERT_TRUE(testing_support::UseCommand(*frame, ID_USER_INTERFACE_SETTINGS));
    EXPECT_EQ(S().m_interfaceLevel, 1);
    EXPECT_EQ(Menu(), Simple(false));
    EXPECT_TRUE(Shown(frame->GetSimpleToolbar()));
    EXPECT_EQ(CSettings().m_interfaceLevel, 1) << "saved at once";

    Stop();
    Start();
    EXPECT_EQ(S().m_interfaceLevel, 1);
    EXPECT_TRUE(Shown(frame->GetSimpleToolbar()));
    EXPECT_FALSE(Shown(frame->GetAdvancedToolbar()));
    EXPECT_EQ(Menu(), Simple(false));
}

}  // namespace
