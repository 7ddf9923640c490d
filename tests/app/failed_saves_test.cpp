// Every writer of a file, on a full disk and in a read-only folder: the save fails as it always
// did, and the document's log says why, in the "Error (Class::Method): " form with the path and
// the system's own words.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <functional>

#include "RES/commands.h"
#include "app/main_frame.h"
#include "app/varnel_app.h"
#include "app/varnel_doc.h"
#include "controls/grid_ctrl.h"
#include "experiment/text_view.h"
#include "logger/dorvik.h"
#include "logger/launch_header.h"
#include "logger/settings.h"
#include "platform/base/exceptions.h"
#include "platform/msg/standard_ids.h"
#include "tests/support/core/failing_folder.h"
#include "tests/support/core/sim_port.h"
#include "tests/support/harness.h"
#include "tests/support/user_commands.h"

namespace {

class FailedSaves : public testing_support::HarnessTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(app.InitInstance());
        frame = app.GetMainFrame();
        doc = app.GetDocument();
        ASSERT_TRUE(frame && doc && doc->m_textView);
        // One experiment with a data set, for the project and the export.
        CDataTreeBrench* experiment = doc->AddDataGroup("Exp. 1");
        ASSERT_TRUE(experiment);
        set = doc->AddDataBranch(experiment, std::make_shared<CDataArray>(3, 1.0),
                                 std::make_shared<CDataArray>(3, 2.0), "Temperature", 41, "C",
                                 CPreciseDateTime(2024, 3, 5, 14, 0, 0), 0, 0, 0, "", 0, -10, 50);
        ASSERT_TRUE(set);
    }
    void TearDown() override { app.ExitInstance(); }

    testing_support::NoComPorts noPorts;
    // A port where no logger answers: the search for one goes on while the test saves.
    testing_support::SimulatedComPort silent{2, CDorvik::kBasicBaudRate};
    CVarnelApp app;
    CMainFrame* frame = nullptr;
    CVarnelDoc* doc = nullptr;
    CDataTreeBrench* set = nullptr;
};

TEST_F(FailedSaves, AFullDiskAndAReadOnlyFolderAreLoggedWithTheirReason) {
    struct Writer {
        const char* where;
        const char* file;
        // Saves to `path` as the program does, expecting it to fail with `cause` and `error`.
        std::function<void(const CString& path, CFileException::Cause cause, int error)> save;
    };
    const Writer writers[] = {
        {"CVarnelFile::Save", "project.vnp",
         [&](const CString& path, CFileException::Cause, int) {
             modals.ExpectFileDialog(path).ExpectMessage(CVarnelDoc::kCannotSaveText, IDOK);
             EXPECT_TRUE(testing_support::ChooseMenuCommand(*frame, ID_FILE_SAVE_AS));
         }},
        {"CTextView::SaveText", "notes.txt",
         [&](const CString& path, CFileException::Cause cause, int error) {
             doc->m_textView->GetEdit().SetWindowText(
                 "Seen at 20 \xC2\xB0"
                 "C");
             doc->m_textView->m_textPath = path;
             modals.ExpectMessage(CFileException(cause, error, path).GetErrorMessage(), IDOK);
             EXPECT_TRUE(testing_support::ChooseMenuCommand(*frame, ID_WORKBOOK_SAVE_TEXT));
         }},
        {"CSettings::Save", "Settings.vns",
         [](const CString& path, CFileException::Cause, int) {
             EXPECT_FALSE(CSettings(path).Save());
         }},
        {"CLaunchHeader::SaveToFile", "lesson.hdr",
         [](const CString& path, CFileException::Cause, int) {
             EXPECT_FALSE(CLaunchHeader().SaveToFile(path, CLaunchHeader::kGraph));
         }},
        {"CVarnelDoc::ExportToExcel", "export.csv",
         [&](const CString& path, CFileException::Cause, int) {
             modals.ExpectMessage(CVarnelDoc::kExcelErrorText, IDOK);
             EXPECT_FALSE(doc->ExportToExcel(path, {set->m_id}, TRUE));
         }},
        {"CGridCtrl::Save", "grid.csv",
         [&](const CString& path, CFileException::Cause cause, int error) {
             CGridCtrl grid;
             grid.InsertColumn("A");
             grid.InsertRow("1");
             // The file is made before anything is written: only a folder that takes no file at
             // all stops it there.
             if (error == ENOSPC)
                 modals.ExpectMessage("Unable to save grid list", IDOK);
             else
                 modals.ExpectMessage(CFileException(cause, error, path).GetErrorMessage(), IDOK);
             EXPECT_FALSE(grid.Save(path));
         }},
    };
    int checked = 0;
    for (const bool full : {true, false}) {
        SCOPED_TRACE(full ? "full disk" : "read-only folder");
        const QString folder = env.File(full ? "full" : "read-only").ToQString();
        testing_support::FailingFolder failing(folder, full);
        // Only root may mount; anyone else is shown the read-only folder alone.
        if (!failing.Fails()) continue;
        ++checked;
        const auto cause = full ? CFileException::diskFull : CFileException::accessDenied;
        for (const Writer& w : writers) {
            SCOPED_TRACE(w.where);
            const CString path = CString(folder) + "/" + w.file;
            testing_support::LogCapture log("varnel.doc");
            w.save(path, cause, failing.Error());
            EXPECT_EQ(modals.Pending(), 0u);
            const QString prefix = QString("Error (%1): ").arg(w.where);
            const bool told = std::any_of(log.messages.begin(), log.messages.end(), [&](auto& m) {
                return m.startsWith(prefix) && m.contains(path.ToQString()) &&
                       m.contains(failing.Reason());
            });
            EXPECT_TRUE(told) << (log.messages.empty() ? std::string("nothing logged")
                                                       : log.messages.back().toStdString());
            EXPECT_FALSE(QFile::exists(path.ToQString()));
        }
    }
    if (checked == 0) GTEST_SKIP() << "no failing folder can be made here";
}

}  // namespace
