// The document's remaining commands on the real program: recording mode, the settings dialogs,
// the data path, the sample experiments, help, scroll run, video and the forwarders.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <fstream>
#include <memory>

#include "RES/commands.h"
#include "RES/dialogs/com_setup.h"
#include "RES/dialogs/graph_title.h"
#include "RES/dialogs/option_dialogs.h"
#include "RES/dialogs/video_quality.h"
#include "RES/graph_bars.h"
#include "app/data_tree_view.h"
#include "app/varnel_app.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_view.h"
#include "experiment/html_doc_view.h"
#include "experiment/setup_view.h"
#include "logger/dorvik.h"
#include "logger/helpers.h"
#include "logger/launch_header.h"
#include "logger/settings.h"
#include "models/varnel_file.h"
#include "platform/activex/graph_model.h"
#include "platform/base/archive.h"
#include "platform/base/file.h"
#include "platform/msg/standard_ids.h"
#include "platform/ui/property_sheet.h"
#include "platform/ui/shell.h"
#include "tests/support/core/sim_port.h"
#include "tests/support/harness.h"
#include "tests/support/user_commands.h"
#include "video/video_view.h"

namespace {

using testing_support::Press;

class CommandsTest : public ::testing::Test {
public:
    CommandsTest() { Start(); }
    ~CommandsTest() override { Stop(); }

    void Start() {
        app = std::make_unique<CVarnelApp>();
        ASSERT_TRUE(app->InitInstance());
        doc = app->GetDocument();
        frame = app->GetMainFrame();
        graph = doc->GetGraphView();
    }
    void Stop() {
        if (app) app->ExitInstance();
        app.reset();
    }
    void Command(UINT id) { ASSERT_TRUE(testing_support::UseCommand(*frame, id)); }
    CSettings& S() const { return *doc->GetSettings(); }
    bool Checked(UINT id) {
        CCmdUI ui;
        ui.m_nID = id;
        ui.DoUpdate(frame, TRUE);
        return ui.m_checked != 0;
    }
    // A temperature data set on the graph.
    CDataTreeBrench* PlotTemperature() {
        CDataTreeBrench* e = doc->AddDataGroup("Exp. 1");
        auto x = std::make_unique<CDataArray>(CDataArray{0, 1, 2});
        auto y = std::make_unique<CDataArray>(CDataArray{20, 21, 22});
        CDataTreeBrench* d =
            doc->AddDataBranch(e, std::move(x), std::move(y), "Temperature", '1', "°C",
                               CPreciseDateTime(), 1, -1, 0, "", 0, -10, 110);
        d->m_inputKind = 4;
        BOOL added = FALSE;
        const SHORT position = graph->AddPlot(d, 0, FALSE, added, TRUE, -1);
        graph->PlotAllData(position);
        return d;
    }
    const platform::graph::GraphState& GraphState() const {
        return std::dynamic_pointer_cast<platform::graph::GraphModel>(
                   graph->GetGraph().GetGraph().GetHandle().Target())
            ->State();
    }

    testing_support::ScopedVirtualClock clock;
    testing_support::TempEnvironment env;
    testing_support::NoComPorts noPorts;
    // A port where no logger answers: the program's search for one waits on the clock.
    testing_support::SimulatedComPort silent{2, CDorvik::kBasicBaudRate};
    testing_support::ModalScript modals;
    std::unique_ptr<CVarnelApp> app;
    CVarnelDoc* doc = nullptr;
    CMainFrame* frame = nullptr;
    CGraphView* graph = nullptr;
};

TEST_F(CommandsTest, RecordingModeCommandsSetTheModeAndTheChecksFollowAtEveryLevel) {
    const std::pair<UINT, BYTE> commands[] = {
        {ID_MODE_ADD, 2}, {ID_MODE_SINGLE, 0}, {ID_MODE_REPLACE, 1}};
    for (BYTE level : {2, 1}) {
        doc->RebuildMenus(level, 2);
        for (const auto& [id, mode] : commands) {
            Command(id);
            EXPECT_EQ(S().m_recordingMode, mode) << level;
            EXPECT_EQ(Checked(ID_MODE_SINGLE), mode == 0) << level;
            EXPECT_EQ(Checked(ID_MODE_REPLACE), mode == 1) << level;
            EXPECT_EQ(Checked(ID_MODE_ADD), mode == 2) << level;
        }
    }
    // Basic has no Recording Mode menu; the Run drop-down's choices still set the mode.
    doc->RebuildMenus(0, 1);
    for (const auto& [choice, mode] : {std::pair{ID_DROP_ADD, 2}, {ID_DROP_SINGLE, 0}}) {
        modals.ExpectMenu([choice = choice](CMenu&) { return choice; });
        ASSERT_TRUE(testing_support::PressDropDownArrow(*frame, ID_RUN_TB));
        EXPECT_EQ(S().m_recordingMode, mode);
    }
    doc->SetRecordingMode(7);
    EXPECT_EQ(S().m_recordingMode, 0);
    doc->SetRecordingMode(1);
    EXPECT_EQ(S().m_recordingMode, 1);
}

TEST_F(CommandsTest, UnitSettingsArePresetSavedAndReCaptionTheGraph) {
    PlotTemperature();
    EXPECT_EQ(GraphState().axes.at(1).caption, "Temperature(°C)");
    S().m_temperatureUnit = 2;
    S().m_pressureUnit = 5;
    modals.ExpectDialog(IDD_UNIT_SETTINGS, [](CDialog& d) {
        auto& t = dynamic_cast<CComboBox&>(*d.GetDlgItem(IDC_TEMPERATURE_UNIT));
        auto& p = dynamic_cast<CComboBox&>(*d.GetDlgItem(IDC_PRESSURE_UNIT));
        CString text;
        t.GetLBText(t.GetCurSel(), text);
        EXPECT_EQ(text, "°K");
        p.GetLBText(p.GetCurSel(), text);
        EXPECT_EQ(text, "Millibars");
        t.SetCurSel(1);
        d.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_TEMPERATURE_UNIT, CBN_SELCHANGE));
        Press(d, IDOK);
    });
    Command(ID_UNIT_SETTINGS);
    EXPECT_EQ(S().m_temperatureUnit, 1);
    EXPECT_EQ(S().m_pressureUnit, 5);
    EXPECT_EQ(CSettings().m_temperatureUnit, 1) << "saved";
    EXPECT_EQ(GraphState().axes.at(1).caption, "Temperature(°F)");

    modals.ExpectDialog(IDD_UNIT_SETTINGS, [](CDialog& d) { Press(d, IDCANCEL); });
    Command(ID_UNIT_SETTINGS);
    EXPECT_EQ(S().m_temperatureUnit, 1);
}

TEST_F(CommandsTest, GraphTitleIsPresetAndNamesTheSavedGraph) {
    PlotTemperature();
    graph->OnAddGraphToProject();
    ASSERT_TRUE(graph->m_currentGraph);
    const CString before = graph->GetGraph().GetCaption();
    modals.ExpectDialog(IDD_GRAPH_TITLE, [&](CDialog& d) {
        EXPECT_EQ(d.GetDlgItemText(IDC_GRAPH_TITLE_EDIT), before);
        testing_support::TypeText(d, IDC_GRAPH_TITLE_EDIT, "Cooling");
        Press(d, IDOK);
    });
    Command(ID_GRAPH_TITLE);
    EXPECT_EQ(graph->GetGraph().GetCaption(), "Cooling");
    EXPECT_EQ(graph->m_currentGraph->m_name, "Cooling");
    CDataTreeView* tree = doc->GetDataTreeView();
    EXPECT_EQ(tree->GetTreeCtrl().GetItemText(tree->FindGraphItem(graph->m_currentGraph->m_item)),
              "Cooling");
}

TEST_F(CommandsTest, TheDataPathMovesOnlyWhenTheProjectWasCleared) {
    const QString newRoot = env.Path().ToQString() + "/new root";
    QDir().mkpath(newRoot);
    const CString oldRoot = GetDataRoot();
    auto browse = [&](const QString& folder) {
        return [folder](CDialog& d) {
            Press(d, IDC_STORAGE_BROWSE);
            Press(d, IDOK);
            (void)folder;
        };
    };
    auto choose = [](const QString& folder) {
        return [folder](QDialog& d) {
            if (folder.isEmpty()) return int(QDialog::Rejected);
            auto& f = dynamic_cast<QFileDialog&>(d);
            f.setDirectory(QFileInfo(folder).absolutePath());
            f.selectFile(folder);
            return int(QDialog::Accepted);
        };
    };
    struct Row {
        const char* name;
        QString chosen;  // empty: the browser is cancelled
        bool modified;
        int clearAnswer;  // 0: no question
        bool moves;
    };
    const Row rows[] = {
        {"browser cancelled", "", false, 0, false},
        {"the same path", QString(oldRoot.ToQString()).chopped(1), false, 0, false},
        {"Cancel at the clear question", newRoot, true, IDCANCEL, false},
        {"a new path that clears", newRoot, true, IDNO, true},
    };
    for (const Row& r : rows) {
        doc->m_modified = r.modified ? 1 : 0;
        S().m_temperatureUnit = 2;
        modals.ExpectDialog(IDD_STORAGE_PATH, browse(r.chosen));
        modals.ExpectQtDialog(choose(r.chosen));
        if (r.clearAnswer) modals.ExpectMessage(CVarnelDoc::kDataChangedText, r.clearAnswer);
        Command(ID_USER_DATA_PATH);
        EXPECT_EQ(modals.Pending(), 0u) << r.name;
        EXPECT_EQ(GetDataRoot(), r.moves ? CString(newRoot) + "/" : oldRoot) << r.name;
        EXPECT_EQ(QDir(newRoot + "/Varnel Data").exists(), r.moves) << r.name;
        EXPECT_EQ(QDir(newRoot + "/Workbook").exists(), r.moves) << r.name;
        EXPECT_EQ(QDir(newRoot + "/Temp Data").exists(), r.moves) << r.name;
        EXPECT_EQ(QFile::exists(newRoot + "/Settings.vns"), r.moves) << r.name;
        EXPECT_EQ(doc->m_modified, r.moves ? 0 : (r.modified ? 1 : 0)) << r.name;
    }
    Stop();
    Start();
    EXPECT_EQ(S().m_temperatureUnit, 2) << "the settings of the new root are read";
}

// A help file in the program folder while it lives.
class ProgramFile {
public:
    explicit ProgramFile(const char* name) : m_path((GetExeFolder() + name).ToQString()) {
        QFile f(m_path);
        f.open(QIODevice::WriteOnly);
    }
    ~ProgramFile() { QFile::remove(m_path); }

private:
    QString m_path;
};

TEST_F(CommandsTest, HelpOpensTheModelsFileOrSaysWhatIsMissing) {
    std::vector<QUrl> opened;
    bool viewer = true;
    platform::SetShellOpener([&](const QUrl& url) {
        if (viewer) opened.push_back(url);
        return viewer;
    });
    modals.ExpectMessage(CString::Formatted("The help file \"Varnel Help for Dorvik.chm\" is not "
                                            "installed in %s.",
                                            GetExeFolder().GetString()),
                         IDOK);
    Command(ID_HELP_DORVIK);
    {
        ProgramFile file("Varnel Help for Dorvik QK.chm");
        viewer = false;
        modals.ExpectMessage(
            "No program to show help files (application/vnd.ms-htmlhelp) is installed, for "
            "example xchm.",
            IDOK);
        Command(ID_HELP_DORVIK_QK);
        viewer = true;
        Command(ID_HELP_DORVIK_QK);
    }
    platform::SetShellOpener({});
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0],
              QUrl::fromLocalFile((GetExeFolder() + "Varnel Help for Dorvik QK.chm").ToQString()));
}

TEST_F(CommandsTest, SampleExperimentAsksAndStopsWhereItMust) {
    struct Row {
        const char* name;
        std::function<void(CommandsTest&)> setUp;
        bool opens;
    };
    const CString sample = GetExeFolder() + "Sample experiments/Pendulum.vnp";
    const Row rows[] = {
        {"a run in progress",
         [](CommandsTest& t) {
             t.doc->m_runInProgress = 1;
             t.modals.ExpectMessage(CVarnelDoc::kRunningText, IDOK);
         },
         false},
        {"predict mode kept",
         [](CommandsTest& t) {
             t.graph->m_predictMode = 1;
             t.modals.ExpectMessage(CVarnelDoc::kEndPredictText, IDNO);
         },
         false},
        {"modified, Yes and a save that does not happen",
         [](CommandsTest& t) {
             t.doc->m_modified = 1;
             t.modals.ExpectMessage(CVarnelDoc::kSaveBeforeOpenText, IDYES);
             t.modals.ExpectFileDialog("");  // the unnamed project's Save As, cancelled
         },
         false},
        {"a file that is no project",
         [&](CommandsTest& t) {
             std::ofstream(sample.GetString()) << "no project";
             t.modals.ExpectFileDialog(sample);
             t.modals.ExpectMessage(CVarnelDoc::kCannotOpenText, IDOK);
         },
         false},
        {"the file dialog cancelled", [](CommandsTest& t) { t.modals.ExpectFileDialog(""); },
         false},
        {"a file chosen",
         [&](CommandsTest& t) {
             CDataTreeBrench experiment;
             experiment.m_name = "Pendulum";
             ProjectImage image;
             image.dataBranches = {&experiment};
             const std::vector<BYTE> bytes = CVarnelFile::BuildBytes(image);
             std::ofstream(sample.GetString(), std::ios::binary)
                 .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
             t.doc->m_modified = 1;
             t.modals.ExpectMessage(CVarnelDoc::kSaveBeforeOpenText, IDNO);
             t.modals.ExpectQtDialog([&](QDialog& d) {
                 auto& f = dynamic_cast<QFileDialog&>(d);
                 EXPECT_EQ(f.directory().absolutePath() + "/",
                           (GetExeFolder() + "Sample experiments/").ToQString());
                 f.selectFile(sample.ToQString());
                 return int(QDialog::Accepted);
             });
         },
         true},
    };
    for (const Row& r : rows) {
        Stop();
        Start();
        r.setUp(*this);
        Command(ID_SAMPLE_EXPERIMENT);
        EXPECT_EQ(modals.Pending(), 0u) << r.name;
        EXPECT_EQ(doc->m_sampleExperiment, r.opens ? 1 : 0) << r.name;
    }
    EXPECT_NE(doc->m_dataList.FindByName("Pendulum"), nullptr);
    QFile::remove(sample.ToQString());
    // Made when missing, by the rows that reached the file dialog.
    EXPECT_TRUE(QDir().rmdir((GetExeFolder() + "Sample experiments").ToQString()));
}

TEST_F(CommandsTest, ScrollRunTwiceReturnsAndTheCheckFollows) {
    const BOOL first = doc->m_scrollRun;
    Command(ID_GRAPH_SCROLL_RUN);
    EXPECT_NE(doc->m_scrollRun, first);
    EXPECT_EQ(Checked(ID_GRAPH_SCROLL_RUN), doc->m_scrollRun != 0);
    Command(ID_GRAPH_SCROLL_RUN);
    EXPECT_EQ(doc->m_scrollRun, first);
    EXPECT_EQ(Checked(ID_GRAPH_SCROLL_RUN), first != 0);
}

TEST(ExternalSensorNames, AreTabledAndTheSignIsOneWindowsByte) {
    CString name;
    CVarnelDoc::GetExternalSensorName(name, 19);
    EXPECT_EQ(name, "Pressure 0 - 700");
    CVarnelDoc::GetExternalSensorName(name, 20);
    EXPECT_EQ(name, "");
    CVarnelDoc::GetExternalSensorName(name, 0xFFFF);
    EXPECT_EQ(name, "");
    CVarnelDoc::GetExternalSensorName(name, 1);
    EXPECT_EQ(name, "Current ±2.5");
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        ar << name;
    }
    const std::vector<BYTE> bytes = file.Bytes();
    ASSERT_EQ(bytes.size(), 13u);
    EXPECT_EQ(bytes[0], 12);
    EXPECT_EQ(bytes[9], 0xB1);
}

// A video view that counts the device starts.
class CountingVideoView : public CVideoView {
public:
    std::vector<int> inits;
    void InitVideoDevice(int mode) override { inits.push_back(mode); }
};

TEST_F(CommandsTest, VideoStateOperationsPropertiesAndTheToggle) {
    const struct {
        std::function<void(CVarnelDoc&, BOOL)> op;
        UINT button, item;
    } ops[] = {
        {[](CVarnelDoc& d, BOOL on) { d.EnableVideoRecord(on); }, ID_PLAYBACK_RECORD,
         ID_VIDEO_RECORD},
        {[](CVarnelDoc& d, BOOL on) { d.EnableVideoPlay(on); }, ID_PLAYBACK_PLAY, ID_VIDEO_PLAY},
        {[](CVarnelDoc& d, BOOL on) { d.EnableVideoPause(on); }, ID_PLAYBACK_PAUSE, ID_VIDEO_PAUSE},
        {[](CVarnelDoc& d, BOOL on) { d.EnableVideoStop(on); }, ID_PLAYBACK_STOP, ID_VIDEO_STOP}};
    for (const auto& o : ops)
        for (BOOL on : {TRUE, FALSE}) {
            o.op(*doc, on);
            EXPECT_EQ(frame->IsCommandEnabled(o.button), on) << o.button;
            EXPECT_EQ(frame->IsCommandEnabled(o.item), on) << o.item;
        }

    doc->GetVideoView()->SetQualityCode(21);
    modals.ExpectDialog(IDD_VIDEO_QUALITY, [](CDialog& d) {
        EXPECT_EQ(d.IsDlgButtonChecked(IDC_CONTENT_VIDEO), 1u);
        EXPECT_EQ(d.IsDlgButtonChecked(IDC_QUALITY_LOW), 1u);
        EXPECT_EQ(d.GetDlgItemText(IDC_QUALITY_HIGH), "High (12KBps)");
        Press(d, IDC_CONTENT_AUDIO);
        EXPECT_EQ(d.GetDlgItemText(IDC_QUALITY_LOW), "Low (1.5KBps)");
        Press(d, IDC_QUALITY_HIGH);
        Press(d, IDOK);
    });
    Command(ID_VIDEO_PROPERTIES);
    EXPECT_EQ(doc->GetVideoView()->GetQualityCode(), 13);

    CWnd host;
    host.Create(nullptr, "host", 0, CRect(0, 0, 10, 10), nullptr, 0);
    CVideoView* original = doc->m_videoView;
    CountingVideoView counting;
    counting.Create(&host, doc);
    Command(ID_VIDEO_ENABLE);
    EXPECT_EQ(counting.inits, std::vector<int>{1});
    counting.DestroyWindow();
    doc->m_videoView = original;

    doc->SetVideoToggleCaption(FALSE);
    CMenu* video = frame->GetMainMenu().GetSubMenu(4);
    frame->UpdateMenuPopup(video);
    CString text;
    video->GetMenuString(ID_VIDEO_ENABLE, text, MF_BYCOMMAND);
    EXPECT_EQ(text, "Disable video");
}

TEST(Forwarders, DoNothingWithoutTheirViews) {
    testing_support::ScopedVirtualClock clock;
    testing_support::TempEnvironment env;
    testing_support::ModalScript modals;
    CVarnelDoc doc;
    for (UINT id :
         {ID_GRAPH_AUTOSCALE, ID_GRAPH_ADD_TO_PROJECT, ID_SINGLE_AXIS, ID_PLAYBACK_PLAY,
          ID_PLAYBACK_STOP, ID_PLAYBACK_PAUSE, ID_PLAYBACK_RECORD, ID_GRAPH_TITLE,
          ID_GRAPH_PROPERTIES, ID_GRAPH_VIEW_PROPERTIES, ID_GRAPH_SCROLL_RUN, ID_VIDEO_PROPERTIES,
          ID_VIDEO_ENABLE, ID_SPARE_TOGGLE, ID_NOTHING_4793, ID_GRAPH_PAUSE, ID_GRAPH_PREDICTION})
        EXPECT_TRUE(doc.OnCmdMsg(id, 0, nullptr, nullptr)) << id;
    doc.StartGraphReplay();
    doc.StopGraphReplay();
    doc.PauseGraphReplay();
    doc.SetVideoToggleCaption(TRUE);
    EXPECT_EQ(modals.Shown().size(), 0u);
}

TEST(LaunchFilePath, ReplacesTheFileNamesOwnSuffixOnly) {
    const struct {
        const char* worksheet;
        int model;
        const char* launch;
    } rows[] = {
        {"/w/Pendulum.htm", 0, "/w/Pendulum.hdr"},
        {"/w/Pendulum.htm", 1, "/w/Pendulum.qdr"},
        {"/w/v1.2/Pendulum", 1, "/w/v1.2/Pendulum.qdr"},
        {"/w/a.b.mht", 0, "/w/a.b.hdr"},
        {"Pendulum.", 0, "Pendulum.hdr"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(LaunchFilePath(r.worksheet, r.model), r.launch) << r.worksheet;
}

}  // namespace

namespace {

TEST_F(CommandsTest, GraphPropertiesOpenTheFormatSheetOnlyOverAPlot) {
    CFrameWnd& graphFrame = *graph->GetParentFrame();
    EXPECT_FALSE(testing_support::MenuCommandState(*frame, ID_GRAPH_PROPERTIES).enabled)
        << "no plot: greyed";
    EXPECT_FALSE(testing_support::ToolbarButtonState(graphFrame, ID_GRAPH_VIEW_PROPERTIES).enabled);
    PlotTemperature();
    for (UINT id : {ID_GRAPH_PROPERTIES, ID_GRAPH_VIEW_PROPERTIES}) {
        modals.ExpectDialog(IDD_PROPERTY_SHEET, [](CDialog& d) {
            auto& sheet = dynamic_cast<CPropertySheet&>(d);
            EXPECT_EQ(sheet.GetCaption(), "Format graph");
            ASSERT_EQ(sheet.GetPageCount(), 2);
            EXPECT_EQ(sheet.GetPage(0)->GetTemplateId(), 2047u);
            EXPECT_EQ(sheet.GetPage(1)->GetTemplateId(), 2046u);
            auto* entries = dynamic_cast<CComboBox*>(sheet.GetPage(0)->GetDlgItem(1089));
            ASSERT_TRUE(entries);
            EXPECT_EQ(entries->GetCount(), 2) << "the X axis and the plot";
            Press(d, IDCANCEL);
        });
        ASSERT_TRUE(
            testing_support::UseCommand(id == ID_GRAPH_PROPERTIES ? *frame : graphFrame, id));
    }
    EXPECT_EQ(modals.Pending(), 0u);
}

TEST_F(CommandsTest, WorksheetPromptCommSetupAndTheWorkbookCopy) {
    const CString sheet = env.File("Pendulum.htm");
    QFile f(sheet.ToQString());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    CString path = "unchanged";
    modals.ExpectQtDialog([](QDialog& d) {
        auto& files = dynamic_cast<QFileDialog&>(d);
        EXPECT_EQ(files.directory().absolutePath() + "/",
                  (GetDataRoot() + "Workbook/").ToQString());
        EXPECT_EQ(files.nameFilters(), QStringList{"Html files (*.htm *.html *.mht)"});
        return int(QDialog::Rejected);
    });
    doc->PromptWorksheetFile(path);
    EXPECT_EQ(path, "");
    modals.ExpectFileDialog(sheet);
    doc->PromptWorksheetFile(path);
    EXPECT_EQ(path, sheet);

    modals.ExpectDialog(IDD_COM_SETUP, [](CDialog& d) { Press(d, IDCANCEL); });
    Command(ID_COMM_SETUP);
    EXPECT_EQ(modals.Pending(), 0u);

    CCmdUI ui;
    ui.m_nID = ID_WORKBOOK_COPY;
    ui.DoUpdate(frame, TRUE);
    EXPECT_FALSE(ui.m_enabled) << "no worksheet, no notes: nothing to copy";
}

// Workbook > Launch with a graph launch file of version 1.0, which holds no model flag: the
// file is for the model its name gives, and its rate is that model's.
TEST_F(CommandsTest, AVersionOneZeroGraphLaunchFileLaunchesFromTheMenu) {
    const CString sheet = env.File("Lesson.htm");
    struct Case {
        bool qk;
        const char* file;
        WORD rate;  // 1 s: 41 for the QK, 64 for the basic logger
    } cases[] = {{true, "Lesson.qdr", 41}, {false, "Lesson.hdr", 64}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        LaunchChannelStruct channels[CLaunchHeader::kChannels] = {};
        channels[0].selected = 1;  // Temperature
        channels[0].autoScale = 1;
        channels[CLaunchHeader::kXAxisRecord].index = -1;
        const BYTE bits[CLaunchHeader::kMaxSensors] = {16};
        const CLaunchHeader header(channels, c.rate, 60, 1, bits, 0, 0, 0, 0, 1, c.qk, 0, -1, 0);
        // As 1.0 wrote it: the older tag, without the model flag, the single graph fields and
        // the properties flag (4 + 4 + 2 + 4 bytes).
        std::vector<BYTE> bytes = header.GetFileBytes(CLaunchHeader::kGraph);
        bytes.resize(bytes.size() - 14);
        const std::string tag = CLaunchHeader::kGraphTag;
        const auto at = std::search(bytes.begin(), bytes.end(), tag.begin(), tag.end());
        ASSERT_NE(at, bytes.end());
        at[static_cast<std::ptrdiff_t>(tag.size()) - 1] = '0';
        ASSERT_TRUE(platform::ReplaceFileAtomically(env.File(c.file), bytes));

        doc->GetLogger()->SetQKModel(c.qk);
        doc->m_htmlDocView->OnWorksheetNavigated(sheet);
        ASSERT_EQ(doc->m_htmlDocView->m_launchPath, env.File(c.file));
        doc->m_launchPlots = 0;
        // A refused file would show a message no script expects.
        ASSERT_TRUE(testing_support::ChooseMenuCommand(*frame, ID_WORKBOOK_LAUNCH));
        EXPECT_EQ(modals.Pending(), 0u);
        EXPECT_EQ(doc->m_launchPlots, 1);
        EXPECT_EQ(doc->GetSetupView()->m_rateCode, c.rate);
        QFile::remove(env.File(c.file).ToQString());
    }
}

TEST_F(CommandsTest, ANewModelLooksForItsLaunchFileBesideTheWorksheet) {
    const QString folder = env.Path().ToQString() + "/sheets.v2";
    QDir().mkpath(folder);
    QFile launch(folder + "/Pendulum.qdr");
    ASSERT_TRUE(launch.open(QIODevice::WriteOnly));
    launch.close();
    doc->m_htmlDocView->m_worksheetPath = CString(folder + "/Pendulum");
    doc->GetLogger()->SetQKModel(true);
    doc->OnLoggerAnswered();
    EXPECT_EQ(doc->m_htmlDocView->m_launchPath, CString(folder + "/Pendulum.qdr"));
    doc->GetLogger()->SetQKModel(false);
    doc->OnLoggerAnswered();
    EXPECT_EQ(doc->m_htmlDocView->m_launchPath, "") << "no .hdr beside it";
}

}  // namespace

namespace {

TEST_F(CommandsTest, PauseAndAddPredictionReachTheGraph) {
    PlotTemperature();
    Command(ID_GRAPH_PAUSE);  // outside predict mode it enters it, paused, with one prediction
    EXPECT_EQ(graph->m_predictMode, 1);
    EXPECT_EQ(graph->m_paused, 1);
    EXPECT_EQ(graph->m_predictionCount, 1);
    Command(ID_GRAPH_PREDICTION);
    EXPECT_EQ(graph->m_predictionCount, 2);
    ASSERT_TRUE(
        testing_support::PressToolbarButton(*graph->GetParentFrame(), ID_GV_ADD_PREDICTION));
    EXPECT_EQ(graph->m_predictionCount, 3);
    Command(ID_GRAPH_PAUSE);
    EXPECT_EQ(graph->m_paused, 0);
    Command(ID_GRAPH_PAUSE);
    EXPECT_EQ(graph->m_paused, 1);
    // Out of predict mode (as a new run leaves it), both ways to add one are greyed again.
    graph->TogglePredictMode();
    EXPECT_FALSE(testing_support::MenuCommandState(*frame, ID_GRAPH_PREDICTION).enabled);
    EXPECT_FALSE(testing_support::ToolbarButtonState(*graph->GetParentFrame(), ID_GV_ADD_PREDICTION)
                     .enabled);
}

}  // namespace
