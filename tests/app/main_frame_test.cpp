#include <gtest/gtest.h>

#include <string>

#include <QApplication>
#include <QEnterEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPrinter>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "app/varnel_app.h"
#include "app/varnel_doc.h"
#include "logger/dorvik.h"
#include "logger/main_window_link.h"
#include "logger/settings.h"
#include "logger/user_prompt.h"
#include "platform/gdi/printer.h"
#include "platform/msg/standard_ids.h"
#include "platform/ui/menu_view.h"
#include "tests/support/core/sim_port.h"
#include "tests/support/harness.h"
#include "tests/support/user_commands.h"
#include "video/recording_video_view.h"
#include "video/video_view.h"

namespace {

// A main frame whose close question's save gives a chosen result.
class SaveDoubleFrame : public CMainFrame {
public:
    bool saveResult = false;
    int saves = 0;

protected:
    bool SaveProject() override {
        ++saves;
        return saveResult;
    }
};

// The program, recording the commands that reach the application at the end of the route.
class RecordingApp : public CVarnelApp {
public:
    std::vector<UINT> commands;
    bool greySave = false;
    SaveDoubleFrame* Frame() const { return static_cast<SaveDoubleFrame*>(GetMainFrame()); }

protected:
    std::unique_ptr<CMainFrame> MakeMainFrame() override {
        return std::make_unique<SaveDoubleFrame>();
    }
    void OnAny(UINT id) { commands.push_back(id); }
    void OnUpdateSave(CCmdUI* ui) { ui->Enable(!greySave); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(RecordingApp, CVarnelApp)
ON_COMMAND_RANGE(ID_FILE_NEW, ID_FILE_OPEN, OnAny)
ON_COMMAND_RANGE(ID_FILE_SAVE, ID_FILE_SAVE, OnAny)
ON_COMMAND_RANGE(ID_FILE_PRINT, ID_FILE_PRINT, OnAny)
ON_COMMAND_RANGE(ID_NEW_PROJECT, ID_NEW_PROJECT, OnAny)
ON_COMMAND_RANGE(ID_DROP_REPLACE, ID_DROP_ADD, OnAny)
ON_UPDATE_COMMAND_UI(ID_FILE_SAVE, OnUpdateSave)
END_MESSAGE_MAP()

// The modal script, also answering pop-up menus: records which item was checked, picks one.
class PopupScript : public testing_support::ModalScript {
public:
    UINT choose = 0;
    std::vector<UINT> checked;
    int popups = 0;
    // When set, the pop-up opens for real and this closes it as a user would.
    std::function<void(QMenu&)> realMenu;
    UINT RunPopupMenu(CMenu& popup, int x, int y) override {
        ++popups;
        checked.clear();
        for (int i = 0; i < popup.GetMenuItemCount(); ++i) {
            const UINT id = popup.GetMenuItemID(i);
            if (popup.GetMenuState(id, MF_BYCOMMAND) & MF_CHECKED) checked.push_back(id);
        }
        if (!realMenu) return choose;
        QTimer::singleShot(0, [this] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget()))
                realMenu(*menu);
            else
                ADD_FAILURE() << "the pop-up did not open";
        });
        // A pop-up left open would wait for a click that never comes.
        QTimer::singleShot(3000, [] {
            if (QWidget* left = QApplication::activePopupWidget()) {
                ADD_FAILURE() << "a pop-up is still open after the drop-down closed";
                left->close();
            }
        });
        return platform::ModalHost::RunPopupMenu(popup, x, y);
    }
};

class MainFrameTest : public ::testing::Test {
protected:
    MainFrameTest() {
        modals.Install(&modals);
        EXPECT_TRUE(app.InitInstance());
        frame = app.Frame();
        doc = app.GetDocument();
    }
    ~MainFrameTest() override {
        app.ExitInstance();
        platform::ModalHost::Install(nullptr);
    }

    struct State {
        bool enabled;
        int checked;
        CString text;
    };
    State Update(UINT id) {
        CCmdUI ui;
        ui.m_nID = id;
        ui.DoUpdate(frame, TRUE);
        return {ui.m_enabled, ui.m_checked, ui.m_text.value_or("")};
    }

    testing_support::TempEnvironment env;
    testing_support::NoComPorts noPorts;
    // A port where no logger answers: the program's search for one waits on the clock.
    testing_support::SimulatedComPort silent{2, CDorvik::kBasicBaudRate};
    PopupScript modals;
    RecordingApp app;
    SaveDoubleFrame* frame = nullptr;
    CVarnelDoc* doc = nullptr;
};

TEST_F(MainFrameTest, UpdateHandlersFollowTheFlagsAndTheBusyRule) {
    struct Row {
        const char* name;
        std::function<void(CMainFrame&)> set;
        UINT id;
        bool enabled;
        int checked;
    };
    const Row rows[] = {
        {"initial Run", {}, ID_RUN_TB, true, 0},
        {"initial Stop", {}, ID_STOP_TB, false, 0},
        {"initial Send Setup", {}, ID_SEND_SETUP_TB, false, 0},
        {"initial Connect", {}, ID_CONNECT, true, 0},
        {"initial annotations", {}, ID_SHOW_ANNOTATIONS, true, 1},
        {"initial Area", {}, ID_AREA_TB, false, 0},
        {"initial video properties", {}, ID_VIDEO_PROPERTIES, true, 0},
        {"busy Run", [](CMainFrame& f) { f.SetMetersCheck(TRUE); }, ID_RUN_TB, false, 0},
        {"busy Download", [](CMainFrame& f) { f.SetMetersCheck(TRUE); }, ID_DOWNLOAD_TB, false, 0},
        {"busy Logger Download", [](CMainFrame& f) { f.SetMetersCheck(TRUE); }, 4922, false, 0},
        {"busy Send Setup", [](CMainFrame& f) { f.SetMetersCheck(TRUE); }, ID_SEND_SETUP, false, 0},
        {"busy Autoscale", [](CMainFrame& f) { f.SetMetersCheck(TRUE); }, 4810, false, 0},
        {"busy mode", [](CMainFrame& f) { f.SetMetersCheck(TRUE); }, ID_MODE_ADD, false, 0},
        {"busy Scroll Run keeps its check",
         [](CMainFrame& f) {
             f.SetMetersCheck(TRUE);
             f.m_scrollRunOn = 1;
         },
         ID_GRAPH_SCROLL_RUN, false, 1},
        {"busy Zoom keeps its check",
         [](CMainFrame& f) {
             f.SetMetersCheck(TRUE);
             f.m_zoomModeOn = 1;
         },
         ID_GRAPH_ZOOM, false, 1},
        {"running: Stop", [](CMainFrame& f) { f.m_runEnded = 0; }, ID_STOP_TB, true, 0},
        {"running: Logger Stop", [](CMainFrame& f) { f.m_runEnded = 0; }, 4782, true, 0},
        {"running and busy: Stop",
         [](CMainFrame& f) {
             f.m_runEnded = 0;
             f.SetMetersCheck(TRUE);
         },
         ID_STOP_TB, false, 0},
        {"locked: Connect", [](CMainFrame& f) { f.m_connectLocked = 1; }, ID_CONNECT, false, 0},
        {"timing logger busy: Connect",
         [](CMainFrame& f) {
             f.m_timingLogger = 1;
             f.SetMetersCheck(TRUE);
         },
         ID_CONNECT, false, 0},
        {"timing logger idle: Connect", [](CMainFrame& f) { f.m_timingLogger = 1; }, ID_CONNECT,
         true, 0},
        {"basic busy: Connect", [](CMainFrame& f) { f.SetMetersCheck(TRUE); }, ID_CONNECT, true, 0},
        {"data: Area toolbar", [](CMainFrame& f) { f.m_graphHasData = 1; }, ID_AREA_TB, true, 0},
        {"data, no area: Area",
         [](CMainFrame& f) {
             f.m_graphHasData = 1;
             f.m_areaAvailable = 0;
         },
         ID_AREA, false, 0},
        {"data, busy: Area toolbar (no busy rule)",
         [](CMainFrame& f) {
             f.m_graphHasData = 1;
             f.SetMetersCheck(TRUE);
             f.m_areaModeOn = 1;
         },
         ID_AREA_TB, true, 1},
        {"data, busy: Area menu",
         [](CMainFrame& f) {
             f.m_graphHasData = 1;
             f.SetMetersCheck(TRUE);
         },
         ID_AREA, false, 0},
        {"QK: Send Setup", [](CMainFrame& f) { f.m_loggerKind = 1; }, ID_SEND_SETUP_TB, true, 0},
        {"busy: Comm setup stays", [](CMainFrame& f) { f.SetMetersCheck(TRUE); }, ID_COMM_SETUP,
         true, 0},
        {"blank button", {}, ID_BLANK_BUTTON, false, 0},
        {"spare button", {}, ID_SPARE_2151, false, 0},
        {"File Exit: handled", {}, ID_APP_EXIT, true, 0},
        {"File Print Setup: handled", {}, ID_FILE_PRINT_SETUP, true, 0},
        {"File Save As: the document's", {}, ID_FILE_SAVE_AS, true, 0},
        {"Help About: handled", {}, ID_APP_ABOUT, true, 0},
    };
    for (const Row& r : rows) {
        SaveDoubleFrame fresh;  // the flags' initial values
        frame->m_metersActive = fresh.m_metersActive;
        frame->m_scrollRunOn = fresh.m_scrollRunOn;
        frame->m_zoomModeOn = fresh.m_zoomModeOn;
        frame->m_runEnded = fresh.m_runEnded;
        frame->m_connectLocked = fresh.m_connectLocked;
        frame->m_timingLogger = fresh.m_timingLogger;
        frame->m_graphHasData = fresh.m_graphHasData;
        frame->m_areaAvailable = fresh.m_areaAvailable;
        frame->m_areaModeOn = fresh.m_areaModeOn;
        frame->m_loggerKind = fresh.m_loggerKind;
        if (r.set) r.set(*frame);
        const State s = Update(r.id);
        EXPECT_EQ(s.enabled, r.enabled) << r.name;
        EXPECT_EQ(s.checked, r.checked) << r.name;
    }
}

TEST_F(MainFrameTest, TheVideoToggleShowsTheFramesCaptionInTheMenu) {
    CMenu* video = frame->GetMainMenu().GetSubMenu(4);
    frame->UpdateMenuPopup(video);
    CString text;
    video->GetMenuString(ID_VIDEO_ENABLE, text, MF_BYCOMMAND);
    EXPECT_EQ(text, "Enable video");
    EXPECT_FALSE(video->GetMenuState(ID_VIDEO_ENABLE, MF_BYCOMMAND) & MF_GRAYED)
        << "the document enables it at start-up";
    frame->m_videoToggleCaption = "Disable video";
    frame->m_videoToggleAvailable = 0;
    frame->UpdateMenuPopup(video);
    video->GetMenuString(ID_VIDEO_ENABLE, text, MF_BYCOMMAND);
    EXPECT_EQ(text, "Disable video");
    EXPECT_TRUE(video->GetMenuState(ID_VIDEO_ENABLE, MF_BYCOMMAND) & MF_GRAYED);
}

TEST_F(MainFrameTest, ToolbarButtonsFollowTheirCommands) {
    CToolBar& bar = frame->GetAdvancedToolbar();
    frame->UpdateToolbars();
    EXPECT_TRUE(bar.IsButtonEnabled(bar.CommandToIndex(ID_RUN_TB)));
    EXPECT_FALSE(bar.IsButtonEnabled(bar.CommandToIndex(ID_STOP_TB)));
    EXPECT_FALSE(bar.IsButtonEnabled(bar.CommandToIndex(ID_BLANK_BUTTON)));
    frame->m_runEnded = 0;
    frame->m_metersShown = 1;
    frame->UpdateToolbars();
    EXPECT_TRUE(bar.IsButtonEnabled(bar.CommandToIndex(ID_STOP_TB)));
    EXPECT_TRUE(bar.IsButtonChecked(bar.CommandToIndex(ID_METERS_TB)));
}

TEST_F(MainFrameTest, TheModelFlagsAndTheStatusTextComeFromTheLogger) {
    CMainWindowLink* link = GetMainWindowLink();
    ASSERT_EQ(link, frame);
    link->SetModelFlags(1, 1);
    EXPECT_EQ(frame->m_timingLogger, 1);
    EXPECT_TRUE(Update(ID_TIMING_TB).enabled);
    EXPECT_FALSE(Update(ID_EXTERNAL_SENSOR_1).enabled);
    link->SetModelFlags(0, 0);
    EXPECT_FALSE(Update(ID_TIMING_WIZARD).enabled);
    EXPECT_TRUE(Update(ID_EXTERNAL_SENSOR_2).enabled);
    link->ShowStatusBarText("Dorvik QK was detected");
    EXPECT_EQ(frame->GetMessageText(), "Dorvik QK was detected");
}

TEST_F(MainFrameTest, RunDropDownChecksTheRecordingModeAndRoutesTheChoice) {
    const struct {
        int mode;
        std::vector<UINT> checked;
    } rows[] = {{0, {ID_DROP_SINGLE}}, {1, {ID_DROP_REPLACE}}, {2, {ID_DROP_ADD}}, {7, {}}};
    NMTOOLBAR nm{};
    nm.hdr.idFrom = AFX_IDW_TOOLBAR;
    nm.hdr.code = static_cast<int>(TBN_DROPDOWN);
    nm.iItem = static_cast<int>(ID_RUN_TB);
    for (const auto& r : rows) {
        doc->GetSettings()->m_recordingMode = static_cast<BYTE>(r.mode);
        frame->SendMessage(WM_NOTIFY, AFX_IDW_TOOLBAR, reinterpret_cast<LPARAM>(&nm));
        EXPECT_EQ(modals.checked, r.checked) << r.mode;
    }
    EXPECT_EQ(modals.popups, 4);
    // Another button's arrow opens nothing.
    nm.iItem = static_cast<int>(ID_STOP_TB);
    frame->OnRunDropDown(&nm);
    EXPECT_EQ(modals.popups, 4);

    // The choice reaches the document, which takes it as the recording mode.
    const std::pair<UINT, BYTE> choices[] = {
        {ID_DROP_ADD, 2}, {ID_DROP_SINGLE, 0}, {ID_DROP_REPLACE, 1}};
    for (const auto& [choice, mode] : choices) {
        modals.choose = choice;
        nm.iItem = static_cast<int>(ID_RUN_TB);
        frame->OnRunDropDown(&nm);
        EXPECT_EQ(doc->GetSettings()->m_recordingMode, mode) << choice;
    }

    modals.choose = 0;
    frame->SetDocument(nullptr);
    frame->OnRunDropDown(&nm);
    EXPECT_TRUE(modals.checked.empty());
    frame->SetDocument(doc);
}

// For tests that let Qt's event loop run: the program's timers (the port search among them) wait
// for a virtual clock that nobody advances. What earlier programs in this process left in Qt's
// queue (their loggers post texts for the user) runs first, with nobody to tell.
struct OnAStoppedClock {
    OnAStoppedClock() {
        CUserPrompt* prompt = GetUserPrompt();
        InstallUserPrompt(nullptr);
        QCoreApplication::sendPostedEvents();
        InstallUserPrompt(prompt);
    }
    testing_support::ScopedVirtualClock clock;
};
class MainFrameEventTest : public OnAStoppedClock, public MainFrameTest {};

TEST_F(MainFrameEventTest, AClickOnTheRunArrowOpensTheModePopupAndItsChoiceIsRouted) {
    CToolBar& bar = frame->GetAdvancedToolbar();
    QToolButton* run = bar.Button(bar.CommandToIndex(ID_RUN_TB));
    ASSERT_NE(run, nullptr);
    ASSERT_TRUE(run->isEnabled());
    doc->GetSettings()->m_recordingMode = 1;
    modals.choose = ID_DROP_ADD;
    // The arrow is the strip at the button's right edge.
    const int arrow = run->style()->pixelMetric(QStyle::PM_MenuButtonIndicator, nullptr, run);
    QTest::mouseClick(run, Qt::LeftButton, {},
                      QPoint(run->width() - arrow / 2 - 1, run->height() / 2));
    EXPECT_EQ(modals.popups, 1);
    EXPECT_EQ(modals.checked, std::vector<UINT>{ID_DROP_REPLACE});
    EXPECT_EQ(doc->GetSettings()->m_recordingMode, 2);  // the document took the choice
}

// However the Run button's drop-down closes, the mouse is the user's again: the next click on a
// toolbar button does what it says at once, and no pop-up is left to take it.
TEST_F(MainFrameEventTest, AfterTheRunDropDownClosesTheNextToolbarClickActsAtOnce) {
    QWidget* window = frame->GetWidget();
    const auto clickAt = [](QWidget* w, QPoint at) {
        QWindow* handle = w->window()->windowHandle();
        QTest::mouseClick(handle, Qt::LeftButton, {}, handle->mapFromGlobal(w->mapToGlobal(at)));
    };
    const struct {
        const char* name;
        std::function<void(QMenu&)> close;
        BYTE mode;  // the recording mode after it
    } ways[] = {
        {"choosing Add",
         [&](QMenu& menu) {
             for (QAction* a : menu.actions())
                 if (a->data().toUInt() == ID_DROP_ADD)
                     clickAt(&menu, menu.actionGeometry(a).center());
         },
         2},
        {"Escape", [](QMenu& menu) { QTest::keyClick(&menu, Qt::Key_Escape); }, 1},
        {"a click outside",
         [&](QMenu&) { clickAt(window, QPoint(window->width() / 2, window->height() - 4)); }, 1},
    };
    CToolBar& bar = frame->GetAdvancedToolbar();
    QToolButton* tableButton = bar.Button(bar.CommandToIndex(ID_TABLE_TB));
    ASSERT_NE(tableButton, nullptr);
    int tableClicks = 0;
    QObject::connect(tableButton, &QToolButton::clicked, [&tableClicks] { ++tableClicks; });
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        modals.realMenu = way.close;
        const auto openAndClose = [&] {
            doc->GetSettings()->m_recordingMode = 1;
            const int popups = modals.popups;
            ASSERT_TRUE(testing_support::PressDropDownArrow(*frame, ID_RUN_TB));
            EXPECT_EQ(modals.popups, popups + 1);
            EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
            EXPECT_EQ(doc->GetSettings()->m_recordingMode, way.mode);
        };

        openAndClose();
        ASSERT_EQ(doc->m_pendingCommand, 0);
        ASSERT_TRUE(testing_support::ClickToolbarButton(*frame, ID_RUN_TB));
        EXPECT_EQ(doc->m_pendingCommand, CVarnelDoc::kCommandRun) << "Run acted at once";
        EXPECT_EQ(frame->m_runEnded, 0);

        openAndClose();
        ASSERT_TRUE(testing_support::ClickToolbarButton(*frame, ID_STOP_TB));
        EXPECT_EQ(frame->m_runEnded, 1) << "Stop acted at once";
        EXPECT_EQ(doc->m_pendingCommand, 0);

        openAndClose();
        const int clicks = tableClicks;
        ASSERT_TRUE(testing_support::ClickToolbarButton(*frame, ID_TABLE_TB));
        EXPECT_EQ(tableClicks, clicks + 1) << "Display Table took the click";
        EXPECT_TRUE(frame->m_tableShown);
    }
    modals.realMenu = nullptr;
}

TEST_F(MainFrameTest, HoveringAButtonShowsItsPromptInPaneZeroUntilThePointerLeaves) {
    CToolBar& bar = frame->GetAdvancedToolbar();
    QToolButton* graph = bar.Button(bar.CommandToIndex(ID_GRAPH_TB));
    ASSERT_NE(graph, nullptr);
    auto* status = qobject_cast<QStatusBar*>(frame->GetStatusBar().GetWidget());
    ASSERT_NE(status, nullptr);
    frame->GetStatusBar().SetPaneText(0, "Dorvik QK was detected");

    // The pointer's arrival and departure, as the window system reports them to the button.
    const QPointF centre = graph->rect().center();
    QEnterEvent enter(centre, centre, graph->mapToGlobal(centre));
    QApplication::sendEvent(graph, &enter);
    EXPECT_EQ(status->currentMessage(), "Display multi axis Graph");
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(graph, &leave);
    EXPECT_TRUE(status->currentMessage().isEmpty());
    EXPECT_EQ(frame->GetMessageText(), "Ready");
}

// The key indicators keep clear of the window's right edge, which a window frame may cover.
TEST_F(MainFrameTest, TheKeyIndicatorsShowWholeClearOfTheRightEdge) {
    auto* status = qobject_cast<QStatusBar*>(frame->GetStatusBar().GetWidget());
    ASSERT_NE(status, nullptr);
    testing_support::ProcessQtEvents();
    QLabel* last = nullptr;
    for (QLabel* label : status->findChildren<QLabel*>())
        if (label->text() == "SCRL") last = label;
    ASSERT_NE(last, nullptr);
    const int text = last->fontMetrics().horizontalAdvance(last->text());
    const QRect at(last->mapTo(status, QPoint(0, 0)), last->size());
    EXPECT_LE(at.left() + last->contentsMargins().left() + text, status->width() - 3)
        << "SCRL ends at " << at.left() + text << " of " << status->width();
}

TEST_F(MainFrameTest, AcceleratorsReachTheirCommandsUnlessGreyedAndCtrlNIsNewProject) {
    auto press = [&](Qt::Key key) {
        const QKeySequence seq(Qt::CTRL | key);
        for (QShortcut* sc : frame->GetWidget()->findChildren<QShortcut*>())
            if (sc->key() == seq) emit sc->activated();
    };
    // Open, Save, Print and New project are the document's.
    modals.ExpectFileDialog("").ExpectFileDialog("").ExpectMessage(CVarnelDoc::kNoDataText, IDOK);
    press(Qt::Key_O);
    press(Qt::Key_S);
    press(Qt::Key_P);
    press(Qt::Key_N);
    EXPECT_EQ(modals.Pending(), 0u);
    EXPECT_TRUE(app.commands.empty());
    app.commands.clear();
    app.greySave = true;
    press(Qt::Key_S);
    EXPECT_EQ(modals.Pending(), 0u) << "a greyed command's key sends nothing";
    // The framework's new document is New project.
    doc->m_modified = 1;
    modals.ExpectMessage(CVarnelDoc::kDataChangedText, IDCANCEL);
    frame->SendMessage(WM_COMMAND, ID_FILE_NEW);
    EXPECT_EQ(modals.Pending(), 0u);
}

TEST_F(MainFrameTest, PrintSetupSetsThePrinterAndPageThatPrintDialogsStartFrom) {
    QPrinter& defaults = platform::DefaultPrinter();
    const QPageLayout before = defaults.pageLayout();
    auto choose = [](QPrinter& p) {
        p.setPageSize(QPageSize(QPageSize::A5));
        p.setPageOrientation(QPageLayout::Landscape);
    };
    modals.ExpectPageSetup(choose, IDCANCEL);
    ASSERT_TRUE(testing_support::UseCommand(*frame, ID_FILE_PRINT_SETUP));
    EXPECT_TRUE(defaults.pageLayout().isEquivalentTo(before))
        << "a cancelled set-up changes nothing";

    modals.ExpectPageSetup(choose);
    ASSERT_TRUE(testing_support::UseCommand(*frame, ID_FILE_PRINT_SETUP));
    EXPECT_EQ(modals.Pending(), 0u);
    const CPrintDialog dialog(FALSE);
    EXPECT_EQ(dialog.GetPrinter()->pageLayout().pageSize().id(), QPageSize::A5);
    EXPECT_EQ(dialog.GetPrinter()->pageLayout().orientation(), QPageLayout::Landscape);
    defaults.setPageLayout(before);
}

TEST_F(MainFrameTest, SmallSizesReTileNothing) {
    const struct {
        int cx, cy;
        bool autoLayout;
        int layouts;
    } rows[] = {
        {399, 600, true, 0}, {600, 299, true, 0}, {400, 300, true, 1}, {400, 300, false, 0}};
    for (const auto& r : rows) {
        frame->m_layoutCount = 0;
        frame->m_autoLayout = r.autoLayout;
        frame->SendMessage(WM_SIZE, 0, MAKELPARAM(r.cx, r.cy));
        EXPECT_EQ(frame->m_layoutCount, r.layouts) << r.cx << " x " << r.cy;
    }
}

}  // namespace

namespace {

// Closing, read back from the settings file: the questions and the display modes kept.
TEST(MainFrameClose, QuestionsSaveAndTheSettingsKept) {
    enum Ends { Stays, Closes };
    struct Row {
        const char* name;
        bool recording;
        bool modified;
        int answer;  // to the save question; 0 when none is asked
        bool saveResult;
        Ends ends;
    };
    const Row rows[] = {
        {"recording", true, true, 0, false, Stays},
        {"modified, Cancel", false, true, IDCANCEL, false, Stays},
        {"modified, Yes, the save fails", false, true, IDYES, false, Stays},
        {"modified, Yes, the save succeeds", false, true, IDYES, true, Closes},
        {"modified, No", false, true, IDNO, false, Closes},
        {"unmodified", false, false, 0, false, Closes},
    };
    for (const Row& r : rows) {
        testing_support::TempEnvironment env;
        testing_support::NoComPorts noPorts;
        // A port where no logger answers: the program's search for one waits on the clock.
        testing_support::SimulatedComPort silent{2, CDorvik::kBasicBaudRate};
        PopupScript modals;
        modals.Install(&modals);
        RecordingApp app;
        ASSERT_TRUE(app.InitInstance());
        SaveDoubleFrame* frame = app.Frame();
        CVarnelDoc* doc = app.GetDocument();
        doc->GetSettings()->m_workbookMode = 3;
        doc->m_modified = r.modified ? 1 : 0;
        doc->GetRecordingVideoView()->m_recording = r.recording;
        frame->saveResult = r.saveResult;
        if (r.recording)
            modals.ExpectMessage("Video recording is still in progress. Stop it before exiting.",
                                 IDOK);
        if (r.answer) modals.ExpectMessage(CVarnelDoc::kDataChangedText, r.answer);
        const CString file = doc->GetSettings()->m_filePath;
        ASSERT_TRUE(doc->GetSettings()->Save());
        frame->SendMessage(WM_CLOSE);
        EXPECT_EQ(modals.Pending(), 0u) << r.name;
        EXPECT_EQ(app.m_pMainWnd == nullptr, r.ends == Closes) << r.name;
        EXPECT_EQ(frame->saves, r.answer == IDYES ? 1 : 0) << r.name;
        CSettings saved(file);
        EXPECT_EQ(saved.m_workbookMode, r.ends == Closes ? 0 : 3) << r.name;
        if (r.ends == Closes) {
            EXPECT_EQ(saved.m_graphMode, 3) << r.name;
        }
        app.ExitInstance();
        platform::ModalHost::Install(nullptr);
    }
}

TEST(MainFrameClose, DisplayModesAreNormalisedAndTheQualityCleared) {
    struct Row {
        LONG workbook, meter, table, graph, video, videoHidden;
        LONG wantTable, wantGraph, wantVideo, wantMeter;
    };
    const Row rows[] = {
        {0, 0, 2, 2, 2, 0, 2, 2, 2, 0},  // nothing to change
        {1, 0, 2, 2, 2, 0, 2, 3, 1, 0},  // the workbook gives the main area to the graph
        {1, 0, 2, 2, 2, 1, 1, 3, 2, 0},  // with the video window hidden the table takes it
        {0, 1, 0, 2, 2, 0, 1, 2, 2, 0},  // the meters give their place to the table
        {0, 0, 4, 4, 2, 0, 0, 0, 2, 0},  // mode 4 is not kept
    };
    for (const Row& r : rows) {
        CSettings s(CString("/nonexistent/Settings.vns"));
        s.m_workbookMode = r.workbook;
        s.m_meterMode = r.meter;
        s.m_tableMode = r.table;
        s.m_graphMode = r.graph;
        s.m_videoMode = r.video;
        s.m_videoHidden = r.videoHidden;
        s.m_videoQuality = 5;
        NormaliseDisplayModes(s);
        EXPECT_EQ(s.m_tableMode, r.wantTable);
        EXPECT_EQ(s.m_graphMode, r.wantGraph);
        EXPECT_EQ(s.m_videoMode, r.wantVideo);
        EXPECT_EQ(s.m_meterMode, r.wantMeter);
        EXPECT_EQ(s.m_workbookMode, 0);
        EXPECT_EQ(s.m_videoQuality, 0);
    }
}

TEST(MainFrameClose, TheRectangleItClosesWithIsKeptAndFittedToTheScreenAtTheNextStart) {
    testing_support::TempEnvironment env;
    testing_support::NoComPorts noPorts;
    auto text = [](const CRect& r) {
        return std::to_string(r.left) + ", " + std::to_string(r.top) + ", " +
               std::to_string(r.right) + ", " + std::to_string(r.bottom);
    };
    CString file;
    QRect closed;
    {
        RecordingApp app;
        ASSERT_TRUE(app.InitInstance());
        file = app.GetDocument()->GetSettings()->m_filePath;
        QWidget* w = app.Frame()->GetWidget();
        w->setGeometry(30, 40, 640, 480);
        closed = w->frameGeometry();  // title bar and borders included
        app.Frame()->SendMessage(WM_CLOSE);
        app.ExitInstance();
    }
    const CRect want(closed.left(), closed.top(), closed.right() + 1, closed.bottom() + 1);
    EXPECT_EQ(text(CSettings(file).m_mainWindowRect), text(want));

    const CRect area(0, 0, 1600, 1000);
    struct Row {
        CRect saved, want;
    };
    for (const Row& r : {
             Row{CRect(30, 40, 670, 520), CRect(30, 40, 670, 520)},           // fits
             Row{CRect(-100, -20, 700, 580), CRect(0, 0, 800, 600)},          // title bar above
             Row{CRect(1500, 900, 2300, 1500), CRect(800, 400, 1600, 1000)},  // off bottom right
             Row{CRect(-9, -9, 3000, 2000), area},                            // larger than it
             Row{CRect(10, 10, 60, 40), CRect(10, 10, 410, 310)},             // too small to use
             Row{CRect(700, 600, 100, 100), CRect(100, 100, 700, 600)},       // turned round
         })
        EXPECT_EQ(text(FitWindowRect(r.saved, area)), text(r.want)) << text(r.saved);
}

TEST(MainFrameClose, AMinimisedFrameGetsTheSettingsRectangleBack) {
    testing_support::TempEnvironment env;
    testing_support::NoComPorts noPorts;
    // A port where no logger answers: the program's search for one waits on the clock.
    testing_support::SimulatedComPort silent{2, CDorvik::kBasicBaudRate};
    RecordingApp app;
    ASSERT_TRUE(app.InitInstance());
    SaveDoubleFrame* frame = app.Frame();
    QPointer<QWidget> widget = frame->GetWidget();
    app.GetDocument()->GetSettings()->m_mainWindowRect = CRect(10, 20, 710, 520);
    widget->showMinimized();
    frame->SendMessage(WM_CLOSE);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    ASSERT_FALSE(widget.isNull());  // deleted once the event is handled
    EXPECT_FALSE(widget->isMinimized());
    EXPECT_EQ(widget->frameGeometry().size(), QSize(700, 500)) << "the frame, borders included";
    app.ExitInstance();
}

}  // namespace
