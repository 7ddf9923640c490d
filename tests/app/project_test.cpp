// The project through the document and its real views: save, save as, the last project, open,
// clear, new project and the start-up project; and the data map's mouse, menus and commands.

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTreeWidget>
#include <cstring>
#include <fstream>
#include <random>

#include "models/varnel_file.h"
#include "platform/base/file.h"
#include "tests/app/doc_fixture.h"
#include "video/recording_video_view.h"
#include "video/video_view.h"

namespace {

using namespace doc_test;

CPreciseDateTime FixedNow() {
    return CPreciseDateTime(2024, 3, 5, 14, 7, 9);
}

std::vector<BYTE> FileBytes(const CString& path) {
    std::ifstream in(path.GetString(), std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const CString& path, const std::vector<BYTE>& bytes) {
    std::ofstream(path.GetString(), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

class ProjectTest : public DocTest {
protected:
    void SetUp() override {
        tree.SetDocument(&doc);
        doc.ClearProject(false);  // the data map's "Linear fit"
        doc.m_now = &FixedNow;
        mainFrame.m_statusText.Empty();
    }
    void TearDown() override { platform::SetAtomicReplaceHookForTests(nullptr); }

    CString Folder() const { return CVarnelDoc::GetProjectFolder(); }
    CString Status() const { return mainFrame.m_statusText; }

    // An experiment of `count` data sets, each with `samples` values.
    CDataTreeBrench* AddExperiment(const char* name, int count, int samples = 5,
                                   const CString& video = "") {
        CDataTreeBrench* e = doc.AddDataGroup(name);
        for (int i = 0; i < count; ++i) {
            auto x = std::make_shared<CDataArray>(), y = std::make_shared<CDataArray>();
            for (int s = 0; s < samples; ++s)
                x->push_back(s), y->push_back(i * 10 + s * 0.5);
            CDataTreeBrench* d =
                doc.AddDataBranch(e, std::move(x), std::move(y), CString::Formatted("Set %d", i),
                                  WORD(41 + i), "V", FixedNow(), 1, -1, 0, video, WORD(i), 0, 100);
            EXPECT_NE(d, nullptr);
        }
        return e;
    }
    CDataTreeBrench* FitLine() {
        auto x = std::make_shared<CDataArray>(CDataArray{0, 1}),
             y = std::make_shared<CDataArray>(CDataArray{1, 2});
        CDataTreeBrench* fit = doc.m_dataList.FindById(tree.m_fitGroupId);
        return doc.AddDataBranch(fit, std::move(x), std::move(y), "Fit", 7, "V", FixedNow(), 3, -1,
                                 0, "", 255, 0, 0);
    }
    // A file dialog: `check` looks at it; an empty path cancels it.
    void ExpectFile(const CString& path, std::function<void(QFileDialog&)> check) {
        modals.ExpectQtDialog([path, check](QDialog& d) {
            auto* files = qobject_cast<QFileDialog*>(&d);
            EXPECT_TRUE(files) << "not a file dialog";
            if (!files) return int(QDialog::Rejected);
            check(*files);
            if (path.IsEmpty()) return int(QDialog::Rejected);
            files->selectFile(path.ToQString());
            return int(QDialog::Accepted);
        });
    }
    // The name a file dialog proposes, with its folder.
    static CString Proposed(const QFileDialog& d) { return CString(d.selectedFiles().value(0)); }
    // Saves under a name through Save As.
    bool SaveAs(const CString& path) {
        modals.ExpectFileDialog(path);
        return doc.SaveProject(true);
    }
    void Touch(const CString& path) { std::ofstream(path.GetString()) << "video " << path; }

    // ---- the mouse on the data map
    QTreeWidget* TreeWidget() { return qobject_cast<QTreeWidget*>(tree.GetTreeCtrl().GetWidget()); }
    void Click(HTREEITEM item, QEvent::Type type, Qt::MouseButton button, bool onBox = false) {
        for (HTREEITEM p = item; p; p = tree.GetTreeCtrl().GetParentItem(p))
            tree.Expand(p);
        QTreeWidget* w = TreeWidget();
        const QRect r = w->visualItemRect(reinterpret_cast<QTreeWidgetItem*>(item));
        ASSERT_TRUE(r.isValid());
        const QPoint at(onBox ? r.left() + 6 : r.left() + 60, r.center().y());
        QMouseEvent press(type, at, w->viewport()->mapToGlobal(at), button, button, Qt::NoModifier);
        QApplication::sendEvent(w->viewport(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, w->viewport()->mapToGlobal(at), button,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w->viewport(), &release);
    }
    // Right-clicks the item: the menu's entries ("*" before a ticked one), choosing `choose`;
    // `message`, when given, is the box the command shows, answered OK.
    std::vector<std::string> Menu(HTREEITEM item, UINT choose = 0, const char* message = nullptr,
                                  int answer = IDOK) {
        std::vector<std::string> entries;
        modals.ExpectMenu([&](CMenu& menu) {
            for (int i = 0; i < menu.GetMenuItemCount(); ++i) {
                CString text;
                menu.GetMenuString(UINT(i), text, MF_BYPOSITION);
                const bool ticked = menu.GetMenuState(UINT(i), MF_BYPOSITION) & MF_CHECKED;
                entries.push_back((ticked ? "*" : "") + text.str());
            }
            return choose;
        });
        if (message) modals.ExpectMessage(message, answer);
        Click(item, QEvent::MouseButtonPress, Qt::RightButton);
        return entries;
    }
    // A right-click that opens no menu (the script fails on one it does not expect).
    bool NoMenu(HTREEITEM item) {
        const size_t before = modals.Shown().size();
        Click(item, QEvent::MouseButtonPress, Qt::RightButton);
        return modals.Shown().size() == before;
    }
    HTREEITEM ItemOf(const CDataTreeBrench* node) {
        return node->IsExperiment() ? tree.FindExperimentItem(node->m_id)
                                    : tree.FindDataSetItem(node->m_id);
    }
};

// ---- save

TEST_F(ProjectTest, SaveNamesTheProjectAndOpenGivesItBack) {
    CDataTreeBrench* e = AddExperiment("Exp. 1", 2);
    DataSetsOf(e)[0]->m_comment = "kept";
    FitLine();
    settings.m_interfaceLevel = 2;

    // Unnamed: the dialog proposes "Dorvik" and the file stamp in the project folder.
    for (int style : {0, 1}) {
        doc.m_dateStyle = style;
        CString proposed;
        ExpectFile("", [&](QFileDialog& d) {
            proposed = Proposed(d);
            EXPECT_EQ(d.acceptMode(), QFileDialog::AcceptSave);
            EXPECT_EQ(d.defaultSuffix(), "vnp");
            EXPECT_EQ(d.nameFilters(), QStringList{"Varnel Files (*.vnp)"});
            EXPECT_FALSE(d.testOption(QFileDialog::DontConfirmOverwrite));
        });
        EXPECT_FALSE(doc.SaveProject(false));
        EXPECT_EQ(proposed, Folder() + (style == 0 ? "Dorvik 05.03.24 14.07.09.vnp"
                                                   : "Dorvik 03.05.2024 14.07.09.vnp"));
        EXPECT_EQ(doc.m_title, "");
    }
    const CString path = Folder() + "Mine.vnp";
    modals.ExpectFileDialog(Folder() + "Mine");  // the extension is added
    ASSERT_TRUE(doc.SaveProject(false));
    EXPECT_EQ(Status(), "File saved");
    EXPECT_EQ(doc.m_title, "Mine.vnp");
    EXPECT_EQ(doc.m_path, path);
    EXPECT_EQ(doc.m_folder, Folder());
    EXPECT_EQ(doc.GetTitle(), "Mine.vnp");
    EXPECT_EQ(doc.m_modified, 0);
    const std::vector<BYTE> saved = FileBytes(path);
    ASSERT_FALSE(saved.empty());

    // Named: Save writes without asking.
    DataSetsOf(e)[1]->m_name = "Renamed";
    doc.m_modified = 1;
    ASSERT_TRUE(doc.SaveProject(false));
    EXPECT_NE(FileBytes(path), saved);

    doc.ClearProject(false);
    ASSERT_TRUE(doc.OpenProject(path));
    EXPECT_EQ(Status(), "File opened");
    EXPECT_EQ(doc.m_title, "Mine.vnp");
    EXPECT_EQ(doc.m_modified, 0);
    const CDataTreeBrench* back = doc.m_dataList.FindByName("Exp. 1");
    ASSERT_NE(back, nullptr);
    const auto sets = DataSetsOf(back);
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_EQ(sets[1]->m_name, "Renamed");
    EXPECT_EQ(sets[0]->m_comment, "kept");
    EXPECT_EQ(sets[0]->m_originCode, 1);
    EXPECT_EQ(*sets[0]->m_y, (CDataArray{0, 0.5, 1, 1.5, 2}));
    EXPECT_EQ(tree.GetTreeCtrl().GetItemText(tree.FindDataSetItem(sets[1]->m_id)), "Renamed");
    const CDataTreeBrench* fit = doc.m_dataList.FindByName("Fit");
    ASSERT_NE(fit, nullptr);
    EXPECT_EQ(doc.m_dataList.GetExperimentId(fit->m_id), tree.m_fitGroupId);
    EXPECT_EQ(fit->m_derived, 1);
    // The reported rate is the first recorded data set's, not the fitted line's in front.
    EXPECT_EQ(logger.GetReportedRateCode(), 41);
}

TEST_F(ProjectTest, SavesThatCannotHappenChangeNothing) {
    // Only "Linear fit": no file, no box, the name and the flag as they were.
    doc.m_title = "Named.vnp";
    doc.m_path = Folder() + "Named.vnp";
    doc.m_modified = 1;
    EXPECT_TRUE(doc.SaveProject(false));
    EXPECT_EQ(Status(), CVarnelDoc::kNothingToSaveText);
    EXPECT_FALSE(CFile::Exists(doc.m_path.GetString()));
    EXPECT_EQ(doc.m_title, "Named.vnp");
    EXPECT_EQ(doc.m_modified, 1);

    AddExperiment("Exp. 1", 1);
    ASSERT_TRUE(doc.SaveProject(false));
    const std::vector<BYTE> good = FileBytes(doc.m_path);

    // Interrupted between the flush and the rename: the old file stays byte for byte.
    AddExperiment("Exp. 2", 1);
    platform::SetAtomicReplaceHookForTests([] { return false; });
    modals.ExpectMessage(CVarnelDoc::kCannotSaveText, IDOK);
    EXPECT_FALSE(doc.SaveProject(false));
    platform::SetAtomicReplaceHookForTests(nullptr);
    EXPECT_EQ(Status(), CVarnelDoc::kCannotSaveText);
    EXPECT_EQ(FileBytes(Folder() + "Named.vnp"), good);
    EXPECT_EQ(doc.m_modified, 1);

    // A folder that does not exist.
    modals.ExpectFileDialog(env.Path() + "/no/such/folder/P.vnp")
        .ExpectMessage(CVarnelDoc::kCannotSaveText, IDOK);
    EXPECT_FALSE(doc.SaveProject(true));
    EXPECT_EQ(doc.m_modified, 1);

    // During a run nothing is saved.
    doc.m_runInProgress = 1;
    modals.ExpectMessage(CVarnelDoc::kRunningText, IDOK);
    EXPECT_FALSE(doc.SaveProject(false));
    doc.m_runInProgress = 0;
}

// A child process saves the project in a loop, each save with its number in every sample, and is
// killed at a random moment: the file is always one whole save, never older than the last one the
// child finished, and the next save leaves no temporary beside it.
TEST_F(ProjectTest, AKilledSaveLeavesAWholeEarlierProjectAndTheNextSaveNoTemporary) {
    constexpr int kKills = 20;
    constexpr size_t kSamples = 5000;
    CDataTreeBrench* e = AddExperiment("Exp. 1", 3, int(kSamples));
    const std::vector<CDataTreeBrench*> sets = DataSetsOf(e);
    ASSERT_TRUE(SaveAs(Folder() + "Killed.vnp"));
    const CString path = doc.m_path;
    const QDir folder(Folder().ToQString());
    std::mt19937 random(46);
    int strays = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        int report[2];
        ASSERT_EQ(::pipe(report), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(report[0]);
            for (int n = 1;; ++n) {
                for (CDataTreeBrench* set : sets)
                    std::fill(set->m_y->begin(), set->m_y->end(), double(n));
                if (CVarnelFile(&doc).SaveWithVideo(path, doc.m_folder, false) !=
                        CVarnelFile::SaveResult::written ||
                    ::write(report[1], &n, sizeof n) != sizeof n)
                    ::_exit(1);
            }
        }
        ::close(report[1]);
        // Killed once it has saved, anywhere in a later save.
        int finished = 0;
        pollfd ready{report[0], POLLIN, 0};
        ASSERT_EQ(::poll(&ready, 1, 10000), 1) << "the child saved nothing";
        ASSERT_EQ(::read(report[0], &finished, sizeof finished), ssize_t(sizeof finished));
        ::usleep(std::uniform_int_distribution<useconds_t>(0, 20000)(random));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        for (int n; ::read(report[0], &n, sizeof n) == sizeof n;)
            finished = n;
        ::close(report[0]);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the child stopped saving by itself";

        CVarnelFile file;
        ASSERT_TRUE(file.Open(path)) << "kill " << kill;
        const auto& branches = file.m_contents.branches;
        ASSERT_EQ(branches.size(), 4u);
        const double saved = (*branches[1].node->m_y)[0];
        EXPECT_TRUE(saved == finished || saved == finished + 1)
            << "kill " << kill << ": save " << saved << " after " << finished;
        for (const auto& b : branches) {
            if (!b.node->m_y) continue;
            EXPECT_TRUE(b.node->m_y->size() == kSamples &&
                        std::all_of(b.node->m_y->begin(), b.node->m_y->end(),
                                    [&](double v) { return v == saved; }))
                << "kill " << kill << ": " << b.node->m_name;
        }

        strays += int(folder.entryList(QDir::Files | QDir::Hidden).size()) - 1;
        doc.m_modified = 1;
        ASSERT_TRUE(doc.SaveProject(false));
        ASSERT_EQ(folder.entryList(QDir::Files | QDir::Hidden).join(' ').toStdString(),
                  "Killed.vnp")
            << "kill " << kill;
    }
    // Else no kill caught a save writing, and the clean-up went untried.
    EXPECT_GT(strays, 0);
}

TEST_F(ProjectTest, SaveAsKeepsANamedTitleOnCancelAndASampleAlwaysAsks) {
    AddExperiment("Exp. 1", 1);
    ASSERT_TRUE(SaveAs(Folder() + "First.vnp"));
    modals.ExpectFileDialog("");
    EXPECT_FALSE(doc.SaveProject(true));
    EXPECT_EQ(doc.m_title, "First.vnp");
    EXPECT_EQ(doc.m_path, Folder() + "First.vnp");

    // A sample experiment is saved under a new name: the dialog proposes its name in the folder.
    doc.m_sampleExperiment = 1;
    doc.m_title = "Pendulum.vnp";
    CString proposed;
    ExpectFile(Folder() + "My pendulum.vnp", [&](QFileDialog& d) { proposed = Proposed(d); });
    ASSERT_TRUE(doc.SaveProject(false));
    EXPECT_EQ(proposed, Folder() + "Pendulum.vnp");
    EXPECT_EQ(doc.m_sampleExperiment, 0);
    EXPECT_EQ(doc.m_title, "My pendulum.vnp");
}

TEST_F(ProjectTest, RunVideosAreCopiedOncePerSaveAndOldCopiesGoOnlyAfterwards) {
    const CString fresh = env.Path() + "/recording.wmv";
    Touch(fresh);
    CDataTreeBrench* e = AddExperiment("Exp. 1", 2, 5, fresh);
    const CString path = Folder() + "P.vnp";
    QDir().mkpath(Folder().ToQString());
    Touch(Folder() + "P - Video 4.wmv");            // a stale copy under this project's name
    Touch(Folder() + "P - Video 2 - Video 1.wmv");  // another project's copy
    ASSERT_TRUE(SaveAs(path));
    // One copy for the two data sets that share the recording, numbered from 1.
    for (const CDataTreeBrench* d : DataSetsOf(e)) {
        EXPECT_EQ(d->m_videoFile, "P - Video 1.wmv");
        EXPECT_EQ(d->m_videoUnsaved, 0);
    }
    EXPECT_EQ(FileBytes(Folder() + "P - Video 1.wmv"), FileBytes(fresh));
    EXPECT_FALSE(CFile::Exists((Folder() + "P - Video 2.wmv").GetString()));
    EXPECT_FALSE(CFile::Exists((Folder() + "P - Video 4.wmv").GetString()));
    EXPECT_TRUE(CFile::Exists((Folder() + "P - Video 2 - Video 1.wmv").GetString()));

    // Save As onto its own path copies nothing again.
    ASSERT_TRUE(SaveAs(path));
    EXPECT_EQ(DataSetsOf(e)[0]->m_videoFile, "P - Video 1.wmv");
    EXPECT_FALSE(CFile::Exists((Folder() + "P - Video 2.wmv").GetString()));

    // Under a new name the copy is copied from the old project's folder.
    ASSERT_TRUE(SaveAs(Folder() + "Q.vnp"));
    EXPECT_EQ(DataSetsOf(e)[0]->m_videoFile, "Q - Video 1.wmv");
    EXPECT_EQ(FileBytes(Folder() + "Q - Video 1.wmv"), FileBytes(fresh));
    EXPECT_TRUE(CFile::Exists((Folder() + "P - Video 1.wmv").GetString()));

    // The video names come back on open while their files are there.
    doc.ClearProject(false);
    ASSERT_TRUE(doc.OpenProject(Folder() + "Q.vnp"));
    const CDataTreeBrench* back = doc.m_dataList.FindByName("Exp. 1");
    ASSERT_NE(back, nullptr);
    const CDataTreeBrench* first = DataSetsOf(back)[0];
    EXPECT_EQ(first->m_videoFile, "Q - Video 1.wmv");
    int image = 0, selected = 0;
    tree.GetTreeCtrl().GetItemImage(tree.FindDataSetItem(first->m_id), image, selected);
    EXPECT_EQ(image, CDataTreeView::kVideoDataSetImage);
}

TEST_F(ProjectTest, TheLastProjectIsSavedOnlyWhenThereIsSomethingToKeep) {
    EXPECT_TRUE(doc.SaveLastProject());  // only "Linear fit"
    AddExperiment("Exp. 1", 1);
    doc.m_modified = 0;
    EXPECT_TRUE(doc.SaveLastProject());
    EXPECT_FALSE(CFile::Exists((Folder() + "Last Project.vnp").GetString()));
    doc.m_modified = 1;
    EXPECT_TRUE(doc.SaveLastProject());
    EXPECT_TRUE(CFile::Exists((Folder() + "Last Project.vnp").GetString()));
    EXPECT_EQ(Status(), "Last project saved !");
    platform::SetAtomicReplaceHookForTests([] { return false; });
    EXPECT_FALSE(doc.SaveLastProject());
}

// ---- clear, new, open

TEST_F(ProjectTest, ClearProjectAsksWhenModified) {
    struct Case {
        const char* name;
        int answer;
        bool saveWorks;
        bool cleared;
    };
    const Case cases[] = {{"Yes", IDYES, true, true},
                          {"No", IDNO, true, true},
                          {"Cancel", IDCANCEL, true, false},
                          {"Yes, the save fails", IDYES, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        doc.ClearProject(false);
        AddExperiment("Exp. 1", 1);
        doc.m_title = "C.vnp";
        doc.m_path = Folder() + "C.vnp";
        modals.ExpectMessage(CVarnelDoc::kDataChangedText, c.answer);
        if (!c.saveWorks) {
            platform::SetAtomicReplaceHookForTests([] { return false; });
            modals.ExpectMessage(CVarnelDoc::kCannotSaveText, IDOK);
        }
        doc.ClearProject(true);
        platform::SetAtomicReplaceHookForTests(nullptr);
        EXPECT_EQ(modals.Pending(), 0u);
        EXPECT_EQ(doc.m_dataList.FindByName("Exp. 1") == nullptr, c.cleared);
        if (c.cleared) {
            EXPECT_EQ(doc.m_title, "");
            EXPECT_EQ(doc.m_dataList.GetCount(), 1);  // "Linear fit"
        }
    }
}

TEST_F(ProjectTest, NewAndOpenAreRefusedDuringARunAndOpenAsksFirst) {
    AddExperiment("Exp. 1", 1);
    settings.m_recordingMode = 0;
    doc.m_scrollRun = TRUE;
    doc.m_runInProgress = 1;
    modals.ExpectMessage(CVarnelDoc::kRunningText, IDOK)
        .ExpectMessage(CVarnelDoc::kRunningText, IDOK);
    Command(ID_NEW_PROJECT);
    Command(ID_FILE_OPEN);
    EXPECT_NE(doc.m_dataList.FindByName("Exp. 1"), nullptr);
    doc.m_runInProgress = 0;

    // In predict mode Open asks first; No stops there.
    graph.m_predictMode = 1;
    modals.ExpectMessage(CVarnelDoc::kEndPredictText, IDNO);
    doc.OnFileOpen();
    graph.m_predictMode = 0;

    // The save question's Yes whose save is cancelled: no open dialog.
    modals.ExpectMessage(CVarnelDoc::kSaveBeforeOpenText, IDYES).ExpectFileDialog("");
    doc.OnFileOpen();
    // Cancel stops too; No goes on to the dialog, which proposes every project of the folder.
    modals.ExpectMessage(CVarnelDoc::kSaveBeforeOpenText, IDCANCEL);
    doc.OnFileOpen();
    CString proposed;
    modals.ExpectMessage(CVarnelDoc::kSaveBeforeOpenText, IDNO);
    ExpectFile("", [&](QFileDialog& d) {
        proposed = CString(d.directory().absolutePath()) + "/";
        EXPECT_EQ(d.acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_TRUE(d.selectedFiles().value(0).isEmpty() ||
                    !d.selectedFiles().value(0).endsWith(".vnp"));
    });
    doc.OnFileOpen();
    EXPECT_EQ(proposed, Folder());
    EXPECT_EQ(modals.Pending(), 0u);
    EXPECT_NE(doc.m_dataList.FindByName("Exp. 1"), nullptr);

    // New project: replace mode, scroll run off, the project cleared after its question.
    modals.ExpectMessage(CVarnelDoc::kDataChangedText, IDNO);
    doc.OnNewProject();
    EXPECT_EQ(settings.m_recordingMode, 1);
    EXPECT_FALSE(doc.m_scrollRun);
    EXPECT_EQ(doc.m_dataList.FindByName("Exp. 1"), nullptr);
}

TEST_F(ProjectTest, AFileThatCannotBeReadLeavesTheOpenProjectAsItWas) {
    AddExperiment("Exp. 1", 2);
    ASSERT_TRUE(SaveAs(Folder() + "Whole.vnp"));
    const std::vector<BYTE> whole = FileBytes(Folder() + "Whole.vnp");
    AddExperiment("Exp. 2", 1);
    settings.m_graphMode = 1;
    const int count = doc.m_dataList.GetCount();
    for (size_t cut : {size_t(0), size_t(5), whole.size() / 2, whole.size() - 1}) {
        SCOPED_TRACE(cut);
        WriteFile(Folder() + "Cut.vnp", std::vector<BYTE>(whole.begin(), whole.begin() + cut));
        modals.ExpectMessage(CVarnelDoc::kCannotOpenText, IDOK);
        testing_support::LogCapture log("varnel.doc");
        EXPECT_FALSE(doc.OpenProject(Folder() + "Cut.vnp"));
        // A damaged project leaves a trace for the developer; an empty file is simply no project.
        EXPECT_EQ(log.messages.size(), cut ? 1u : 0u);
        if (cut && !log.messages.empty()) {
            EXPECT_TRUE(log.messages[0].contains("project not read"));
        }
        EXPECT_EQ(Status(), CVarnelDoc::kCannotOpenText);
        EXPECT_EQ(doc.m_dataList.GetCount(), count);
        EXPECT_EQ(doc.m_title, "Whole.vnp");
        EXPECT_EQ(doc.m_modified, 1);
        EXPECT_EQ(settings.m_graphMode, 1);
    }
    // Another kind of file is no project either.
    WriteFile(Folder() + "Other.vnp", {0x08, 'S', 'e', 't', 't', 'i', 'n', 'g', 's'});
    modals.ExpectMessage(CVarnelDoc::kCannotOpenText, IDOK);
    EXPECT_FALSE(doc.OpenProject(Folder() + "Other.vnp"));
    EXPECT_EQ(doc.m_dataList.GetCount(), count);
}

TEST_F(ProjectTest, TheFilesDisplayModesAreBroughtIntoRange) {
    AddExperiment("Exp. 1", 1);
    ASSERT_TRUE(SaveAs(Folder() + "M.vnp"));
    const std::vector<BYTE> saved = FileBytes(Folder() + "M.vnp");
    struct Case {
        LONG in[5];  // data map, graph, table, third window, workbook
        LONG scrollRun;
        LONG out[5];
    };
    const Case cases[] = {
        {{1, 3, 0, 2, 0}, 1, {1, 3, 0, 2, 0}},
        {{1, 4, 4, 2, 0}, 0, {1, 3, 0, 2, 0}},   // 4 is no mode for graph or table
        {{1, 0, 3, 2, 0}, 0, {1, 0, 3, 2, 0}},   // the table in the main area
        {{1, 1, 1, 1, 2}, 0, {1, 3, 1, 1, 0}},   // no workbook: the graph takes the main area
        {{1, -1, 0, 9, 0}, 0, {1, 3, 0, 0, 0}},  // out of any range
    };
    for (const Case& c : cases) {
        std::vector<BYTE> bytes = saved;
        for (int i = 0; i < 6; ++i) {
            const LONG v = i < 5 ? c.in[i] : c.scrollRun;
            std::memcpy(bytes.data() + bytes.size() - 24 + 4 * i, &v, 4);
        }
        WriteFile(Folder() + "Modes.vnp", bytes);
        settings.m_meterMode = 1;
        ASSERT_TRUE(doc.OpenProject(Folder() + "Modes.vnp"));
        const LONG out[5] = {settings.m_dataMapMode, settings.m_graphMode, settings.m_tableMode,
                             settings.m_videoMode, settings.m_workbookMode};
        EXPECT_EQ(std::vector<LONG>(out, out + 5), std::vector<LONG>(c.out, c.out + 5));
        EXPECT_EQ(settings.m_meterMode, 0);
        EXPECT_EQ(doc.m_scrollRun, c.scrollRun != 0);
        EXPECT_EQ(mainFrame.m_scrollRunOn, c.scrollRun != 0);
    }
}

TEST_F(ProjectTest, OpenShowsTheFirstSavedGraphOrAtLowLevelsTheLastExperiment) {
    CDataTreeBrench* e1 = AddExperiment("Exp. 1", 2);
    AddExperiment("Exp. 2", 3);
    graph.ShowDataSet(DataSetsOf(e1)[1]);
    graph.OnAddGraphToProject();
    ASSERT_EQ(doc.m_graphList.GetCount(), 1);
    settings.m_interfaceLevel = 2;
    ASSERT_TRUE(SaveAs(Folder() + "G.vnp"));

    doc.ClearProject(false);
    ASSERT_TRUE(doc.OpenProject(Folder() + "G.vnp"));
    ASSERT_EQ(doc.m_graphList.GetCount(), 1);
    EXPECT_EQ(graph.m_currentGraph, doc.m_graphList.GetAt(0));
    ASSERT_EQ(graph.m_plotCount, 1);
    EXPECT_EQ(graph.m_plots[0].dataSet->m_name, "Set 1");
    EXPECT_EQ(tree.GetGraphCheckState(doc.m_graphList.GetAt(0)->m_item), 2);
    EXPECT_TRUE(tree.GetTreeCtrl().GetItemState(tree.GetDataRoot(), TVIS_EXPANDED));

    // Without a saved graph, levels 0 and 1 show the last experiment's data sets.
    for (BYTE level : {0, 1, 2}) {
        SCOPED_TRACE(int(level));
        doc.ClearProject(false);
        AddExperiment("Exp. A", 1);
        AddExperiment("Exp. B", 2);
        settings.m_interfaceLevel = 2;
        ASSERT_TRUE(SaveAs(Folder() + "L.vnp"));
        doc.ClearProject(false);
        settings.m_interfaceLevel = level;
        ASSERT_TRUE(doc.OpenProject(Folder() + "L.vnp"));
        EXPECT_EQ(graph.m_plotCount, level <= 1 ? 2 : 0);
        if (level <= 1) {
            EXPECT_EQ(doc.m_dataList.GetExperimentName(graph.m_plots[0].dataSet->m_id), "Exp. B");
        }
    }
}

TEST_F(ProjectTest, TheStartUpProjectOpensOnceTheViewsExist) {
    AddExperiment("Exp. 1", 1);
    ASSERT_TRUE(SaveAs(Folder() + "S.vnp"));
    doc.ClearProject(false);
    doc.m_startupPath = Folder() + "S.vnp";
    doc.m_dataTreeView = nullptr;
    tree.SetDocument(nullptr);
    doc.OpenStartupProject();  // no data map yet
    EXPECT_EQ(doc.m_title, "");
    tree.SetDocument(&doc);
    tree.OnInitialUpdate();
    EXPECT_EQ(doc.m_title, "S.vnp");
    EXPECT_NE(doc.m_dataList.FindByName("Exp. 1"), nullptr);
    doc.ClearProject(false);
    doc.OpenStartupProject();
    EXPECT_EQ(doc.m_dataList.FindByName("Exp. 1"), nullptr) << "opened once only";
}

// ---- experiments and data sets

TEST_F(ProjectTest, DataSetsTakeTheirRangeEditedCopiesShareOneExperimentAndRunsTheirVideo) {
    CDataTreeBrench* e = AddExperiment("Exp. 1", 2, 4);
    const auto sets = DataSetsOf(e);
    EXPECT_DOUBLE_EQ(sets[0]->m_rangeMin, 35);
    EXPECT_DOUBLE_EQ(sets[0]->m_rangeMax, 65);
    CDataTreeBrench* a = doc.AddEditedData("Copy 1", 41, "V", 2, -1);
    CDataTreeBrench* b = doc.AddEditedData("Copy 2", 41, "V", 2, -1);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    const CDataTreeBrench* edited = doc.m_dataList.FindByName("Edited Data");
    ASSERT_NE(edited, nullptr);
    EXPECT_EQ(doc.m_dataList.GetExperimentOf(a->m_id), edited);
    EXPECT_EQ(doc.m_dataList.GetExperimentOf(b->m_id), edited);
    EXPECT_EQ(a->m_rangeMin, 9999999.0);  // unset
    EXPECT_EQ(a->m_rangeMax, -9999999.0);
    EXPECT_EQ(a->m_inputKind, 255);

    // The current run: its largest count, and a recording attached unless it has one.
    EXPECT_EQ(doc.GetMaxSampleCount(), 0);
    doc.m_currentRun[0] = sets[0], doc.m_currentRun[1] = b, doc.m_currentRunCount = 2;
    EXPECT_EQ(doc.GetMaxSampleCount(), 4);
    EXPECT_TRUE(doc.AttachVideoFileToRuns("/tmp/rec.wmv"));
    EXPECT_EQ(b->m_videoFile, "/tmp/rec.wmv");
    int image = 0, selected = 0;
    tree.GetTreeCtrl().GetItemImage(tree.FindDataSetItem(sets[0]->m_id), image, selected);
    EXPECT_EQ(image, CDataTreeView::kVideoDataSetImage);
    EXPECT_FALSE(doc.AttachVideoFileToRuns("/tmp/second.wmv"));
    EXPECT_EQ(sets[0]->m_videoFile, "/tmp/rec.wmv");
    doc.m_currentRun[0] = doc.m_currentRun[1] = nullptr, doc.m_currentRunCount = 0;

    // The graph's current run's video: the recording itself, or the copy beside the project.
    EXPECT_EQ(doc.GetCurrentRunVideoPath(), "");
    graph.ShowDataSet(sets[0]);
    EXPECT_EQ(doc.GetCurrentRunVideoPath(), "/tmp/rec.wmv");
    sets[0]->m_videoFile = "P - Video 1.wmv";
    sets[0]->m_videoUnsaved = 0;
    doc.m_folder = Folder();
    EXPECT_EQ(doc.GetCurrentRunVideoPath(), Folder() + "P - Video 1.wmv");

    // Without a data map nothing can be added.
    doc.m_dataTreeView = nullptr;
    tree.SetDocument(nullptr);
    EXPECT_EQ(doc.AddDataGroup("Exp. 9"), nullptr);
    EXPECT_EQ(doc.AddDataBranch(e, std::make_shared<CDataArray>(), std::make_shared<CDataArray>(),
                                "x", 41, "V", FixedNow(), 1, -1, 0, "", 0, 0, 1),
              nullptr);
    tree.SetDocument(&doc);
    doc.m_dataTreeView = &tree;
}

// ---- the data map

TEST_F(ProjectTest, TheDataMapLooksAsItShould) {
    EXPECT_EQ(tree.GetCaption().GetWindowText(), "Data map");
    EXPECT_EQ(tree.GetTreeCtrl().GetDlgCtrlID(), int(CDataTreeView::kTreeId));
    CRect caption, treeRect;
    tree.GetCaption().GetWindowRect(&caption);
    tree.GetTreeCtrl().GetWindowRect(&treeRect);
    EXPECT_EQ(caption.Height(), CDataTreeView::kCaptionHeight);
    EXPECT_EQ(treeRect.top, caption.bottom);
    int image = -1, selected = -1;
    tree.GetTreeCtrl().GetItemImage(tree.GetDataRoot(), image, selected);
    EXPECT_EQ(image, CDataTreeView::kDataRootImage);
    tree.GetTreeCtrl().GetItemImage(tree.GetGraphRoot(), image, selected);
    EXPECT_EQ(image, CDataTreeView::kGraphRootImage);
    ASSERT_NE(tree.GetTreeCtrl().GetImageList(TVSIL_NORMAL), nullptr);
    EXPECT_EQ(tree.GetTreeCtrl().GetImageList(TVSIL_NORMAL)->GetImageCount(), 10);
    EXPECT_EQ(tree.GetTreeCtrl().GetImageList(TVSIL_STATE)->GetImageCount(), 3);
    testing_support::SaveTestImage(testing_support::RenderWidget(tree.GetWidget()), "data_map.png");
}

TEST_F(ProjectTest, EachKindOfItemHasItsMenu) {
    CDataTreeBrench* e = AddExperiment("Exp. 1", 2);
    CDataTreeBrench* edited = AddExperiment("Edited Data", 1);
    CDataTreeBrench* d0 = DataSetsOf(e)[0];
    graph.ShowDataSet(d0);
    graph.OnAddGraphToProject();
    const DWORD g = doc.m_graphList.GetAt(0)->m_item;
    using V = std::vector<std::string>;
    EXPECT_EQ(Menu(tree.FindGraphItem(g)), (V{"*Display", "Delete graph"}));
    EXPECT_EQ(Menu(ItemOf(d0)), (V{"*Display", "Delete Data"}));
    EXPECT_EQ(Menu(ItemOf(DataSetsOf(e)[1])), (V{"Display", "Delete Data"}));
    EXPECT_EQ(Menu(ItemOf(e)), (V{"Delete Experiment"}));
    EXPECT_EQ(Menu(tree.GetDataRoot()), (V{"Delete all data"}));
    EXPECT_TRUE(NoMenu(ItemOf(edited)));
    EXPECT_TRUE(NoMenu(tree.FindExperimentItem(tree.m_fitGroupId)));
    EXPECT_TRUE(NoMenu(tree.GetGraphRoot()));

    // Display from the menu hides a shown data set and shows it again.
    Menu(ItemOf(d0), CDataTreeView::ID_DATAMAP_DISPLAY_PLOT);
    EXPECT_EQ(graph.m_plotCount, 0);
    EXPECT_EQ(tree.GetCheckState(d0->m_id), 1);
    Menu(ItemOf(d0), CDataTreeView::ID_DATAMAP_DISPLAY_PLOT);
    EXPECT_EQ(graph.m_plotCount, 1);
    EXPECT_EQ(tree.GetCheckState(d0->m_id), 2);

    // Delete all data asks as New project does.
    doc.m_modified = 1;
    Menu(tree.GetDataRoot(), CDataTreeView::ID_DATAMAP_DELETE_ALL, CVarnelDoc::kDataChangedText,
         IDNO);
    EXPECT_EQ(doc.m_dataList.GetCount(), 1);
}

TEST_F(ProjectTest, TheCheckBoxAndDoubleClickShowAndHide) {
    CDataTreeBrench* e = AddExperiment("Exp. 1", 2);
    CDataTreeBrench* d1 = DataSetsOf(e)[1];
    Click(ItemOf(d1), QEvent::MouseButtonPress, Qt::LeftButton, true);
    EXPECT_EQ(tree.m_clickedItem, ItemOf(d1));
    EXPECT_EQ(graph.FindPlotByDataSet(d1->m_id), 0);
    EXPECT_EQ(tree.GetCheckState(d1->m_id), 2);
    EXPECT_GE(graph.m_graphState, 3);
    Click(ItemOf(d1), QEvent::MouseButtonPress, Qt::LeftButton, true);
    EXPECT_EQ(graph.FindPlotByDataSet(d1->m_id), -1);
    EXPECT_EQ(tree.GetCheckState(d1->m_id), 1);
    // A click on the label only selects.
    Click(ItemOf(d1), QEvent::MouseButtonPress, Qt::LeftButton);
    EXPECT_EQ(graph.m_plotCount, 0);
    {
        CRecordingVideoView recorder;
        ASSERT_TRUE(recorder.Create(&host, &doc));
        CVideoView video;
        ASSERT_TRUE(video.Create(&host, &doc));
        recorder.m_recording = true;
        modals.ExpectMessage("Stop video recording first", IDOK);
        Click(ItemOf(d1), QEvent::MouseButtonDblClick, Qt::LeftButton);
        EXPECT_EQ(graph.m_plotCount, 0);
        recorder.m_recording = false;
        video.DestroyWindow();
        recorder.DestroyWindow();
    }
    Click(ItemOf(d1), QEvent::MouseButtonDblClick, Qt::LeftButton);
    EXPECT_EQ(graph.FindPlotByDataSet(d1->m_id), 0);

    // In predict mode Display asks first; No leaves everything.
    graph.m_predictMode = 1;
    modals.ExpectMessage(CVarnelDoc::kEndPredictText, IDNO);
    tree.DisplayPlot(ItemOf(d1));
    EXPECT_EQ(graph.FindPlotByDataSet(d1->m_id), 0);
    graph.m_predictMode = 0;

    // A saved graph is shown by a double-click and ticked.
    graph.m_graphState = 0;
    graph.OnAddGraphToProject();
    const DWORD g = doc.m_graphList.GetAt(0)->m_item;
    tree.SetGraphCheckState(g, 1);
    graph.RefreshGraph(TRUE);
    graph.m_currentGraph = nullptr;
    Click(tree.FindGraphItem(g), QEvent::MouseButtonDblClick, Qt::LeftButton);
    EXPECT_EQ(graph.m_currentGraph, doc.m_graphList.GetAt(0));
    EXPECT_EQ(tree.GetGraphCheckState(g), 2);
}

TEST_F(ProjectTest, DeletionsFollowTheirRules) {
    const CString fresh = env.Path() + "/fresh.wmv";
    Touch(fresh);
    CDataTreeBrench* e1 = AddExperiment("Exp. 1", 2, 5, fresh);
    CDataTreeBrench* e2 = AddExperiment("Exp. 2", 2);
    CDataTreeBrench* e3 = doc.AddDataGroup("Empty");
    const DWORD id1 = e1->m_id, id3 = e3->m_id;
    CDataTreeBrench* used = DataSetsOf(e2)[1];
    graph.ShowDataSet(used);
    graph.OnAddGraphToProject();
    const DWORD g = doc.m_graphList.GetAt(0)->m_item;

    // During a run nothing is deleted.
    doc.m_runInProgress = 1;
    const char* running = CVarnelDoc::kRunningText;
    Menu(ItemOf(DataSetsOf(e1)[0]), CDataTreeView::ID_DATAMAP_DELETE_DATA, running);
    Menu(ItemOf(e1), CDataTreeView::ID_DATAMAP_DELETE_EXPERIMENT, running);
    Menu(tree.GetDataRoot(), CDataTreeView::ID_DATAMAP_DELETE_ALL, running);
    EXPECT_EQ(DataSetsOf(e1).size(), 2u);
    doc.m_runInProgress = 0;

    // One of two goes, its experiment stays; the last takes the experiment and its recording.
    doc.m_modified = 0;
    Menu(ItemOf(DataSetsOf(e1)[0]), CDataTreeView::ID_DATAMAP_DELETE_DATA);
    EXPECT_EQ(DataSetsOf(e1).size(), 1u);
    EXPECT_TRUE(CFile::Exists(fresh.GetString()));
    EXPECT_EQ(doc.m_modified, 1);
    Menu(ItemOf(DataSetsOf(e1)[0]), CDataTreeView::ID_DATAMAP_DELETE_DATA);
    EXPECT_EQ(doc.m_dataList.FindById(id1), nullptr);
    EXPECT_EQ(tree.FindExperimentItem(id1), nullptr);
    EXPECT_FALSE(CFile::Exists(fresh.GetString()));

    // Delete Experiment stops at the data set a saved graph uses.
    Menu(ItemOf(e2), CDataTreeView::ID_DATAMAP_DELETE_EXPERIMENT, CDataTreeView::kDataInUseText);
    ASSERT_EQ(DataSetsOf(e2).size(), 1u);
    EXPECT_EQ(DataSetsOf(e2)[0], used);
    // Once the saved graph is gone, the data set and its experiment go.
    Menu(tree.FindGraphItem(g), CDataTreeView::ID_DATAMAP_DELETE_GRAPH);
    EXPECT_EQ(doc.m_graphList.GetCount(), 0);
    EXPECT_EQ(graph.m_currentGraph, nullptr);
    EXPECT_EQ(graph.m_graphState, 4);
    const DWORD id2 = e2->m_id;
    Menu(ItemOf(e2), CDataTreeView::ID_DATAMAP_DELETE_EXPERIMENT);
    EXPECT_EQ(doc.m_dataList.FindById(id2), nullptr);

    // An experiment without data sets is deleted too.
    Menu(tree.FindExperimentItem(id3), CDataTreeView::ID_DATAMAP_DELETE_EXPERIMENT);
    EXPECT_EQ(doc.m_dataList.FindById(id3), nullptr);
    EXPECT_EQ(tree.FindExperimentItem(id3), nullptr);
    EXPECT_EQ(doc.m_dataList.GetCount(), 1);
}

TEST_F(ProjectTest, RenamesAreAllowedOnExperimentsAndDataSetsOnly) {
    CDataTreeBrench* e = AddExperiment("Exp. 1", 1);
    CDataTreeBrench* d = DataSetsOf(e)[0];
    CDataTreeBrench* fit = FitLine();
    graph.ShowDataSet(d);
    graph.OnAddGraphToProject();
    CTreeCtrl& t = tree.GetTreeCtrl();
    struct Case {
        const char* what;
        HTREEITEM item;
        bool allowed;
    };
    const Case cases[] = {
        {"experiment", ItemOf(e), true},
        {"data set", ItemOf(d), true},
        {"roots", tree.GetDataRoot(), false},
        {"graphs root", tree.GetGraphRoot(), false},
        {"fit group", tree.FindExperimentItem(tree.m_fitGroupId), false},
        {"fitted line", ItemOf(fit), false},
        {"saved graph", tree.FindGraphItem(doc.m_graphList.GetAt(0)->m_item), false}};
    for (const Case& c : cases)
        EXPECT_EQ(t.EditLabel(c.item) != nullptr, c.allowed) << c.what;
    t.EndEditLabelNow(TRUE);

    QLineEdit* editor = t.EditLabel(ItemOf(d));
    ASSERT_NE(editor, nullptr);
    editor->setText("Height");
    t.EndEditLabelNow(FALSE);
    EXPECT_EQ(d->m_name, "Height");
    EXPECT_EQ(t.GetItemText(ItemOf(d)), "Height");
    editor = t.EditLabel(ItemOf(e));
    editor->setText("Ignored");
    t.EndEditLabelNow(TRUE);  // cancelled
    EXPECT_EQ(e->m_name, "Exp. 1");
    EXPECT_EQ(t.GetItemText(ItemOf(e)), "Exp. 1");
}

}  // namespace
