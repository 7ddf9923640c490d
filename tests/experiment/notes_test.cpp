// The workbook's notes pane on the real program: the notes file's form, saving and loading through
// the commands, the toolbar flags the edit sets, and printing with its own wrapping.

#include <gtest/gtest.h>

#include <QFile>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTest>

#include "RES/commands.h"
#include "app/main_frame.h"
#include "app/varnel_app.h"
#include "app/varnel_doc.h"
#include "experiment/html_doc_view.h"
#include "experiment/text_view.h"
#include "logger/dorvik.h"
#include "logger/notes_text.h"
#include "platform/base/file.h"
#include "platform/gdi/dc.h"
#include "platform/msg/standard_ids.h"
#include "tests/support/core/sim_port.h"
#include "tests/support/harness.h"
#include "tests/support/user_commands.h"

namespace {

std::string ReadFile(const CString& path) {
    QFile f(path.ToQString());
    if (!f.open(QIODevice::ReadOnly)) return "<missing>";
    return f.readAll().toStdString();
}

void WriteFile(const CString& path, const std::string& bytes) {
    QFile f(path.ToQString());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes.data(), qint64(bytes.size()));
}

TEST(NotesFile, TheEditsTextComesBackExactlyAndForeignFilesLoseNothing) {
    for (const char* text : {"", "a", "a\r\nb", "a\r\nb\r\n", "\r\n\r\n", "\xEF\xBB\xBFmark",
                             "\xC2\xB0"
                             "C \xC3\xA9"}) {
        const std::string bytes = notes_text::ToFileBytes(text);
        EXPECT_EQ(notes_text::FromFileBytes(bytes), CString(text)) << text;
    }
    EXPECT_EQ(notes_text::ToFileBytes("a\r\nb\r\n"), "a\r\r\nb\r\r\n");
    const struct {
        const char* name;
        std::string file;
        const char* text;
    } files[] = {
        {"CR CR LF", "one\r\r\ntwo\r\r\n", "one\r\ntwo\r\n"},
        {"CR LF", "one\r\ntwo", "one\r\ntwo"},
        {"LF", "one\ntwo\n", "one\r\ntwo\r\n"},
        {"lone CR", "one\rtwo\r\rthree", "one\r\ntwo\r\n\r\nthree"},
        {"Windows-1252",
         "20\xB0"
         "C",
         "20\xC2\xB0"
         "C"},
        {"UTF-8 with BOM", "\xEF\xBB\xBF\xC3\xA9t\xC3\xA9\n", "\xC3\xA9t\xC3\xA9\r\n"},
    };
    for (const auto& f : files)
        EXPECT_EQ(notes_text::FromFileBytes(f.file), CString(f.text)) << f.name;
}

TEST(NotesWrap, WordsFillTheLineAndLongWordsAreCut) {
    const std::string word75(75, 'w');
    const std::string word60(60, 'a');
    const std::string cutAtLf = std::string(70, 'x') + "\nnext";
    std::string accents;  // 75 characters of two bytes each
    for (int i = 0; i < 75; ++i)
        accents += "\xC3\xA9";
    const std::string smile = "\xF0\x9F\x98\x80";  // one character, outside 16 bits
    const struct {
        const char* name;
        std::string text;
        std::vector<std::string> lines;
    } cases[] = {
        {"long word", word75, {std::string(70, 'w'), std::string(5, 'w')}},
        {"short line", "short\nrest", {"short\n", "rest"}},
        // A word is taken while line + word + space stays below the width; the text's last
        // word moves to the next line whole.
        {"words", word60 + " bbbbbbbb ccc", {word60 + " ", "bbbbbbbb ccc"}},
        {"last word", word60 + " bbbbbbb ccc", {word60 + " bbbbbbb ", "ccc"}},
        {"LF at the cut", cutAtLf, {std::string(70, 'x') + "\n", "next"}},
        // The edit's breaks: CR LF, each CR counted as a character.
        {"CR LF breaks", "ab cd\r\nef\r\n\r\n", {"ab cd\r\n", "ef\r\n", "\r\n"}},
        {"CR LF at the cut",
         std::string(69, 'x') + "\r\nnext",
         {std::string(69, 'x') + "\r\n", "next"}},
        {"lone CR", "a\rb c", {"a\rb c"}},
        {"two-byte characters", accents, {accents.substr(0, 140), accents.substr(140)}},
        {"a character is never split",
         std::string(69, 'x') + smile + "yy",
         {std::string(69, 'x') + smile, "yy"}},
    };
    for (const auto& c : cases) {
        CString text(c.text);
        std::vector<std::string> lines, wrapped;
        while (!text.IsEmpty() && lines.size() < 10)
            lines.push_back(CTextView::WrapLine(text, CTextView::kWrapWidth).str());
        EXPECT_EQ(lines, c.lines) << c.name;
        // Printing takes the same lines in one pass.
        for (notes_text::LineWrapper w(c.text, CTextView::kWrapWidth); !w.AtEnd();)
            wrapped.emplace_back(w.Next());
        EXPECT_EQ(wrapped, c.lines) << c.name;
    }
}

class Notes : public ::testing::Test {
protected:
    Notes() {
        EXPECT_TRUE(app.InitInstance());
        doc = app.GetDocument();
        frame = app.GetMainFrame();
        workbook = doc->GetHtmlDocView();
        workbookFrame = dynamic_cast<CHtmlDocFrame*>(workbook->GetParentFrame());
        // The notes pane as the workbook's splitter holds it.
        EXPECT_TRUE(notes.Create(workbook, doc));
        notes.OnInitialUpdate();
        // The workbook's own toolbar is in reach while the workbook is shown.
        testing_support::ChooseMenuCommand(*frame, ID_VIEW_WORKBOOK);
    }
    ~Notes() override {
        platform::SetAtomicReplaceHookForTests(nullptr);
        notes.DestroyWindow();
        app.ExitInstance();
    }
    // The workbook toolbar's button, or the menu item.
    void Command(UINT id) {
        ASSERT_TRUE(testing_support::ToolbarButtonState(*workbookFrame, id).present
                        ? testing_support::PressToolbarButton(*workbookFrame, id)
                        : testing_support::ChooseMenuCommand(*frame, id));
    }
    QPlainTextEdit* Edit() { return qobject_cast<QPlainTextEdit*>(notes.GetEdit().GetWidget()); }

    testing_support::ScopedVirtualClock clock;
    testing_support::TempEnvironment env;
    testing_support::NoComPorts noPorts;
    // A port where no logger answers: the program's search for one waits on the clock.
    testing_support::SimulatedComPort silent{2, CDorvik::kBasicBaudRate};
    testing_support::ModalScript modals;
    CVarnelApp app;
    CVarnelDoc* doc = nullptr;
    CMainFrame* frame = nullptr;
    CHtmlDocView* workbook = nullptr;
    CHtmlDocFrame* workbookFrame = nullptr;
    CTextView notes;
};

TEST_F(Notes, SaveAsksOnceAndOpenGivesTheTextBack) {
    ASSERT_TRUE(workbookFrame);
    EXPECT_EQ(doc->m_textView, &notes);
    const CString path = env.File("notes.txt");
    notes.GetEdit().SetWindowText(
        "First line\r\n20 \xC2\xB0"
        "C\r\n");
    modals.ExpectFileDialog(path);
    Command(ID_WORKBOOK_SAVE_TEXT_TB);
    EXPECT_EQ(ReadFile(path),
              "First line\r\r\n20 \xC2\xB0"
              "C\r\r\n");
    EXPECT_EQ(notes.m_textPath, path);
    // The second save writes the same file without asking.
    notes.GetEdit().SetWindowText("Changed");
    Command(ID_WORKBOOK_SAVE_TEXT);
    EXPECT_EQ(ReadFile(path), "Changed");

    // A file of the Windows program opens exactly; the pane is shown.
    WriteFile(path, "a\r\r\nb\r\r\nc");
    modals.ExpectFileDialog(path);
    Command(ID_WORKBOOK_OPEN_TEXT_TB);
    EXPECT_EQ(notes.GetEdit().GetWindowText(), "a\r\nb\r\nc");
    EXPECT_TRUE(workbookFrame->m_notesShown);
    EXPECT_TRUE(frame->m_splitViewOn);
    notes.MoveWindow(0, 0, 400, 150);
    testing_support::SaveTestImage(testing_support::RenderWidget(notes.GetWidget()),
                                   "workbook_notes");

    // New text: empty, no file, the pane shown; the next save asks again.
    Command(ID_WORKBOOK_NEW_TEXT);
    EXPECT_EQ(notes.GetEdit().GetWindowText(), "");
    EXPECT_TRUE(notes.m_textPath.IsEmpty());
    modals.ExpectFileDialog("");
    EXPECT_FALSE(notes.SaveText());
    // A cancelled open changes nothing.
    notes.GetEdit().SetWindowText("kept");
    modals.ExpectMessage(CTextView::kNotesChangedText, IDNO);
    modals.ExpectFileDialog("");
    Command(ID_WORKBOOK_OPEN_TEXT);
    EXPECT_EQ(notes.GetEdit().GetWindowText(), "kept");
    EXPECT_EQ(modals.Pending(), 0u);
}

TEST_F(Notes, OpenAndNewTextAskBeforeChangedNotesAreReplaced) {
    struct Row {
        const char* name;
        UINT command;
        int answer;
        const char* saveFile;  // the save dialog's answer after Yes; nullptr when none is asked
        bool replaced;
    };
    const Row rows[] = {
        {"open, Cancel", ID_WORKBOOK_OPEN_TEXT, IDCANCEL, nullptr, false},
        {"open, No", ID_WORKBOOK_OPEN_TEXT_TB, IDNO, nullptr, true},
        {"open, Yes saves first", ID_WORKBOOK_OPEN_TEXT, IDYES, "typed.txt", true},
        {"open, Yes, the save cancelled", ID_WORKBOOK_OPEN_TEXT, IDYES, "", false},
        {"new, Cancel", ID_WORKBOOK_NEW_TEXT_TB, IDCANCEL, nullptr, false},
        {"new, No", ID_WORKBOOK_NEW_TEXT, IDNO, nullptr, true},
        {"new, Yes saves first", ID_WORKBOOK_NEW_TEXT, IDYES, "typed.txt", true},
    };
    const CString other = env.File("other.txt");
    WriteFile(other, "other\r\r\n");
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const bool open =
            r.command == ID_WORKBOOK_OPEN_TEXT || r.command == ID_WORKBOOK_OPEN_TEXT_TB;
        const CString saved = env.File("typed.txt");
        QFile::remove(saved.GetString());
        notes.NewText();
        QTest::keyClicks(Edit(), "second notes");
        modals.ExpectMessage(CTextView::kNotesChangedText, r.answer);
        if (r.saveFile) modals.ExpectFileDialog(*r.saveFile ? env.File(r.saveFile) : CString());
        const bool goesOn = r.answer == IDNO || (r.answer == IDYES && r.saveFile && *r.saveFile);
        if (open && goesOn) modals.ExpectFileDialog(other);
        Command(r.command);
        EXPECT_EQ(modals.Pending(), 0u);
        EXPECT_EQ(notes.GetEdit().GetWindowText(), !r.replaced ? "second notes"
                                                   : open      ? "other\r\n"
                                                               : "");
        EXPECT_EQ(ReadFile(saved), r.saveFile && *r.saveFile ? "second notes" : "<missing>");
    }
    // Notes that are as they were saved are replaced without a question.
    modals.ExpectFileDialog(other);
    Command(ID_WORKBOOK_OPEN_TEXT);
    Command(ID_WORKBOOK_NEW_TEXT);
    EXPECT_EQ(notes.GetEdit().GetWindowText(), "");
    EXPECT_EQ(modals.Pending(), 0u);
}

TEST_F(Notes, AFailedSaveKeepsTheOldFileThePathAndTheText) {
    const CString path = env.File("notes.txt");
    WriteFile(path, "old notes\r\r\n");
    notes.m_textPath = path;
    notes.GetEdit().SetWindowText("new notes");
    // Stopped before the rename, as a crash or a full disk would stop it.
    platform::SetAtomicReplaceHookForTests([] { return false; });
    modals.ExpectMessage(
        CFileException(CFileException::genericException, 0, path).GetErrorMessage(), IDOK);
    EXPECT_FALSE(notes.SaveText());
    platform::SetAtomicReplaceHookForTests(nullptr);
    EXPECT_EQ(ReadFile(path), "old notes\r\r\n");
    EXPECT_EQ(notes.m_textPath, path);
    EXPECT_EQ(notes.GetEdit().GetWindowText(), "new notes");

    // A folder that is not there: the file's error, the path kept for the next try.
    const CString lost = env.File("gone/notes.txt");
    notes.m_textPath = lost;
    modals.ExpectMessage(
        CFileException(CFileException::fileNotFound, ENOENT, lost).GetErrorMessage(), IDOK);
    EXPECT_FALSE(notes.SaveText());
    EXPECT_EQ(notes.m_textPath, lost);
    // Opening a file that is not there says so and keeps the notes.
    const CString absent = env.File("absent.txt");
    modals.ExpectMessage(CTextView::kNotesChangedText, IDNO);
    modals.ExpectFileDialog(absent);
    modals.ExpectMessage(
        CFileException(CFileException::fileNotFound, ENOENT, absent).GetErrorMessage(), IDOK);
    EXPECT_FALSE(notes.LoadText());
    EXPECT_EQ(notes.GetEdit().GetWindowText(), "new notes");
    EXPECT_EQ(modals.Pending(), 0u);
}

TEST_F(Notes, TypingEnablesPrintAndSaveAndDeletingAllDisablesThem) {
    ASSERT_TRUE(workbookFrame);
    EXPECT_FALSE(workbookFrame->m_notesNotEmpty);
    QTest::keyClicks(Edit(), "x");
    EXPECT_TRUE(workbookFrame->m_notesNotEmpty);
    QTest::keyClick(Edit(), Qt::Key_Backspace);
    EXPECT_EQ(notes.GetEdit().GetWindowText(), "");
    EXPECT_FALSE(workbookFrame->m_notesNotEmpty);
}

// 57 wrapped lines on A4 at each resolution: 56 on the first page and 1 on the second, every line
// inside the page's margins.
TEST_F(Notes, PagesHoldFiftySixLinesAtEveryResolution) {
    CString text;
    for (int i = 1; i <= 57; ++i)
        text += CString::Formatted("Line %d of the notes, long enough to be seen\r\n", i);
    for (int dpi : {600, 300, 1200}) {
        const int width = 8268 * dpi / 1000, height = 11693 * dpi / 1000;  // A4
        testing_support::RecordingDevice page(width, height, dpi);
        QPainter painter(&page);
        {
            CDC dc(&painter, true);
            EXPECT_EQ(notes.PrintPages(dc, text), (std::vector<int>{56, 1})) << dpi;
        }
        painter.end();
        const double s = dpi / 600.0;
        ASSERT_EQ(page.texts.size(), 57u) << dpi;
        for (const auto& t : page.texts) {
            EXPECT_GE(t.at.x(), 500 * s - 1) << dpi;
            EXPECT_GE(t.at.y(), 450 * s) << dpi;
            EXPECT_LE(t.at.y(), height - 450 * s) << dpi << " " << t.text.toStdString();
        }
        EXPECT_TRUE(page.AllText().contains("Line 57 of the notes")) << dpi;
    }
}

TEST_F(Notes, PrintTextPrintsThroughTheDialogAndCancelPrintsNothing) {
    notes.GetEdit().SetWindowText("Notes to print\r\nsecond line");
    const CString pdf = env.File("notes.pdf");
    modals.ExpectPrint(pdf);
    Command(ID_WORKBOOK_PRINT_TEXT);
    EXPECT_GT(QFile(pdf.ToQString()).size(), 0);
    const CString none = env.File("none.pdf");
    modals.ExpectPrint(none, IDCANCEL);
    Command(ID_WORKBOOK_PRINT_TEXT);
    EXPECT_FALSE(QFile::exists(none.ToQString()));
    EXPECT_EQ(modals.Pending(), 0u);
}

// File > Exit as a user chooses it: the menu's update pass, then its item.
void ChooseFileExit(CMainFrame* frame, platform::VirtualClock& clock) {
    auto* window = qobject_cast<QMainWindow*>(frame->GetWidget());
    ASSERT_NE(window, nullptr);
    for (QMenu* menu :
         window->menuBar()->findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly)) {
        emit menu->aboutToShow();
        for (QAction* item : menu->actions()) {
            if (item->isSeparator() || item->data().toUInt() != ID_APP_EXIT) continue;
            ASSERT_TRUE(item->isEnabled());
            item->trigger();
            clock.RunPending();
            return;
        }
    }
    FAIL() << "no File > Exit";
}

// Notes changed since they were saved, loaded or emptied are offered for saving at File > Exit;
// Cancel, or a save that did not happen, keeps the program open with the notes.
TEST(NotesAtExit, ChangedNotesAreOfferedForSaving) {
    enum Start { Empty, Loaded, LoadedThenNew };
    struct Row {
        const char* name;
        Start start;
        const char* typed;
        bool erased;       // the typed text deleted again
        int answer;        // to the notes question; 0 when none is asked
        const char* file;  // the file dialog's answer when the save asks for one
        bool closes;
        const char* saved;  // what notes.txt holds at the end; nullptr when it is not there
    };
    const Row rows[] = {
        {"typed, Cancel", Empty, "lab", false, IDCANCEL, nullptr, false, nullptr},
        {"typed, Yes asks for a file", Empty, "lab", false, IDYES, "notes.txt", true, "lab"},
        {"typed, Yes, the file dialog cancelled", Empty, "lab", false, IDYES, "", false, nullptr},
        {"typed, No", Empty, "lab", false, IDNO, nullptr, true, nullptr},
        {"typed and deleted", Empty, "lab", true, 0, nullptr, true, nullptr},
        {"loaded, untouched", Loaded, "", false, 0, nullptr, true, "old\r\r\n"},
        {"loaded, typed, Yes saves to its file", Loaded, "new", false, IDYES, nullptr, true,
         "old\r\r\nnew"},
        {"loaded, then a new text", LoadedThenNew, "", false, 0, nullptr, true, "old\r\r\n"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        testing_support::ScopedVirtualClock clock;
        testing_support::TempEnvironment env;
        testing_support::NoComPorts noPorts;
        testing_support::ModalScript modals;
        CVarnelApp app;
        ASSERT_TRUE(app.InitInstance());
        // The logger search that start-up begins finds no port.
        modals.ExpectMessage(CDorvik::kConnectFailedText, IDOK);
        clock.RunPending();
        CVarnelDoc* doc = app.GetDocument();
        CTextView* notes = doc->m_textView;
        ASSERT_NE(notes, nullptr);
        const CString path = env.File("notes.txt");
        if (r.start != Empty) {
            WriteFile(path, "old\r\r\n");
            modals.ExpectFileDialog(path);
            app.GetMainFrame()->SendMessage(WM_COMMAND, ID_WORKBOOK_OPEN_TEXT);
        }
        if (r.start == LoadedThenNew)
            app.GetMainFrame()->SendMessage(WM_COMMAND, ID_WORKBOOK_NEW_TEXT);
        auto* edit = qobject_cast<QPlainTextEdit*>(notes->GetEdit().GetWidget());
        ASSERT_NE(edit, nullptr);
        edit->moveCursor(QTextCursor::End);
        QTest::keyClicks(edit, r.typed);
        for (size_t i = 0; r.erased && i < std::strlen(r.typed); ++i)
            QTest::keyClick(edit, Qt::Key_Backspace);
        const CString text = notes->GetEdit().GetWindowText();

        if (r.answer) modals.ExpectMessage(CTextView::kNotesChangedText, r.answer);
        if (r.file) modals.ExpectFileDialog(*r.file ? env.File(r.file) : CString());
        ChooseFileExit(app.GetMainFrame(), clock);
        EXPECT_EQ(modals.Pending(), 0u);
        EXPECT_EQ(app.m_pMainWnd == nullptr, r.closes);
        EXPECT_EQ(ReadFile(path), r.saved ? r.saved : "<missing>");
        if (!r.closes) {
            EXPECT_EQ(notes->GetEdit().GetWindowText(), text);
        }
        app.ExitInstance();
    }
}

}  // namespace
