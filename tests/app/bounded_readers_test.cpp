// Every reader of a file against the files it must not take in whole: one far larger than its
// limit (sparse, so no disk is used) and one whose counts claim more than it holds. Each is refused
// clearly, changes nothing and takes no memory to speak of. The limits hold to the byte, which the
// tests reach by setting them. A reader that takes a file within its limit into memory may still
// find too little of it (ulimit -v): it says so and changes nothing either.

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "RES/commands.h"
#include "app/main_frame.h"
#include "app/varnel_app.h"
#include "app/varnel_doc.h"
#include "controls/grid_ctrl.h"
#include "experiment/html_doc_view.h"
#include "experiment/text_view.h"
#include "logger/csv_import.h"
#include "logger/dorvik.h"
#include "logger/launch_header.h"
#include "logger/settings.h"
#include "models/varnel_file.h"
#include "platform/activex/web_browser.h"
#include "platform/base/exceptions.h"
#include "tests/support/core/address_space_limit.h"
#include "tests/support/core/sim_port.h"
#include "tests/support/harness.h"
#include "tests/support/user_commands.h"

namespace {

constexpr ULONGLONG kSparseSize = 9ull << 30;  // far past every limit
constexpr long long kMemorySlack = 256ll << 20;

// The resident memory's peak is set back to what is resident now.
long long ResetPeakMemory() {
    std::ofstream("/proc/self/clear_refs") << "5";
    std::ifstream status("/proc/self/status");
    long long kb = 0;
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) kb = std::stoll(line.substr(6));
    return kb << 10;
}

long long PeakMemory() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::stoll(line.substr(6)) << 10;
    return 0;
}

enum class Refusal { none, tooLarge, hostile, noMemory };

// A file within the reader's limit that needs more memory than `room` leaves; `logged` is what
// the log says of it.
struct DemandStruct {
    const char* what;
    std::string bytes;
    rlim_t room;
    const char* logged;
    // Under a window system its threads and drawing take address space as they please, so that
    // a room between two needs cannot be set there.
    bool offscreenOnly = false;
};

struct Reader {
    const char* name;
    platform::FileSizeLimit& limit;
    const char* extension;
    std::string valid;
    std::string hostile;  // empty where the format has no counts to lie with
    // Reads the file as the program does and checks that it is taken, or refused as `refusal`
    // says with its message.
    std::function<void(const CString& path, Refusal refusal)> read;
    // What a read changes, and what a refusal leaves (empty: what was there before).
    std::function<std::string()> state;
    std::function<std::string()> afterRefusal = nullptr;
    std::vector<DemandStruct> demands = {};
};

// A CSV file of `rows` timed rows of one value, all as long, so that the import judges the
// rest of the file from its start as it would a logger's.
std::string Rows(int rows) {
    std::string text = "Time (s),A (V)\n";
    char row[32];
    for (int r = 0; r < rows; ++r)
        text.append(row,
                    static_cast<size_t>(std::snprintf(row, sizeof row, "%08d,%d\n", r, r % 10)));
    return text;
}

std::string Bytes(const std::vector<BYTE>& b) {
    return std::string(b.begin(), b.end());
}

// A project of one experiment and one data set of `samples` values, a second apart (as the CSV
// files here are: an import adds to it without asking).
std::string Project(size_t samples) {
    CDataTreeBrench experiment;
    experiment.m_name = "Exp. 1";
    CDataTreeBrench set;
    set.m_name = "Temperature";
    set.m_id = 2;
    set.m_rateCode = 41;
    set.m_x = std::make_shared<CDataArray>(samples, 1.0);
    set.m_y = std::make_shared<CDataArray>(samples, 2.0);
    ProjectImage image;
    image.dataBranches = {&experiment, &set};
    return Bytes(CVarnelFile::BuildBytes(image));
}

class BoundedReaders : public testing_support::HarnessTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(app.InitInstance());
        frame = app.GetMainFrame();
        doc = app.GetDocument();
        ASSERT_TRUE(frame && doc && doc->m_textView && doc->m_htmlFormView);
        doc->GetSettings()->m_recordingMode = 2;  // an import adds to the project
    }
    void TearDown() override { app.ExitInstance(); }

    CString Write(const char* name, const std::string& bytes, ULONGLONG size = 0) {
        const CString path = env.File(name);
        QFile out(path.ToQString());
        EXPECT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(bytes.data(), static_cast<qint64>(bytes.size()));
        if (size) {
            EXPECT_TRUE(out.resize(static_cast<qint64>(size)));
        }
        return path;
    }

    void Choose(UINT id) { testing_support::ChooseMenuCommand(*frame, id); }

    QWebEngineView* Web() const { return doc->m_htmlFormView->m_browser.Browser()->View(); }
    // The worksheet pane's text, once it holds `wanted`.
    bool PaneShows(const QString& title, const QString& wanted) {
        return QTest::qWaitFor(
            [&] {
                if (!Web() || Web()->title() != title) return false;
                QString text;
                bool done = false;
                Web()->page()->toPlainText([&](const QString& t) {
                    text = t;
                    done = true;
                });
                return QTest::qWaitFor([&] { return done; }, 2000) && text.contains(wanted);
            },
            30000);
    }

    testing_support::NoComPorts noPorts;
    // A port where no logger answers: the search for one goes on while the test reads.
    testing_support::SimulatedComPort silent{2, CDorvik::kBasicBaudRate};
    CVarnelApp app;
    CMainFrame* frame = nullptr;
    CVarnelDoc* doc = nullptr;
};

TEST_F(BoundedReaders, RefuseWhatTheyCannotHoldAndChangeNothing) {
    // A valid project whose x array claims 2^30 doubles.
    std::string claims = Project(0x10000);
    const std::string count = {'\xFF', '\xFF', '\x00', '\x00', '\x01', '\x00'};
    const size_t at = claims.find(count);
    ASSERT_NE(at, std::string::npos);
    claims.replace(at + 2, 4, std::string("\x00\x00\x00\x40", 4));

    const auto projectState = [this] {
        std::string s;
        for (int i = 0; i < doc->m_dataList.GetCount(); ++i) {
            const CDataTreeBrench* node = doc->m_dataList.GetAt(i);
            s += node->m_name.str() + ":" + std::to_string(node->GetYCount()) + ";";
        }
        return s;
    };
    const auto openProject = [this](const CString& path, Refusal refusal) {
        modals.ExpectFileDialog(path);
        if (refusal != Refusal::none) modals.ExpectMessage(CVarnelDoc::kCannotOpenText, IDOK);
        Choose(ID_FILE_OPEN);
    };

    const auto importCsv = [this](const CString& path, Refusal refusal) {
        modals.ExpectFileDialog(path);
        if (refusal == Refusal::noMemory) modals.ExpectMessage(CVarnelDoc::kCsvNoMemoryText, IDOK);
        if (refusal == Refusal::tooLarge)
            modals.ExpectMessage(
                CString::Formatted(CVarnelDoc::kCsvTooLargeText, csv::fileLimit.Text().GetString()),
                IDOK);
        if (refusal == Refusal::hostile)
            modals.ExpectMessage(
                CString::Formatted(CVarnelDoc::kCsvTooWideText, static_cast<int>(csv::kMaxColumns)),
                IDOK);
        Choose(ID_IMPORT_CSV);
    };

    const std::string archive =
        "Content-Type: multipart/related; boundary=\"XX\"\r\n\r\n--XX\r\n"
        "Content-Location: file:///C:/Lessons/lesson.htm\r\nContent-Type: text/html\r\n\r\n"
        "<html><head><title>Lesson</title></head><body><p>Falling bodies</p>"
        "<img src=\"lesson_files/p.png\"></body></html>\r\n--XX\r\n"
        "Content-Location: file:///C:/Lessons/lesson_files/p.png\r\n"
        "Content-Transfer-Encoding: base64\r\nContent-Type: image/png\r\n\r\n"
        "cGljdHVyZQ==\r\n--XX--\r\n";
    const QString picture = env.File("lesson_files/p.png").ToQString();
    const auto openWorksheet = [this](const CString& path, Refusal refusal) {
        modals.ExpectFileDialog(path);
        Choose(ID_OPEN_WORKSHEET);
        if (refusal == Refusal::none) {
            EXPECT_TRUE(PaneShows("Lesson", "Falling bodies"));
            return;
        }
        EXPECT_TRUE(PaneShows(platform::web::kTooLargeTitle,
                              QFileInfo(path.ToQString()).fileName() + "\" is larger than " +
                                  platform::web::fileLimit.Text().ToQString()));
    };

    const auto openNotes = [this](const CString& path, Refusal refusal) {
        modals.ExpectFileDialog(path);
        if (refusal != Refusal::none)
            modals.ExpectMessage(
                CFileException(CFileException::invalidFile, EFBIG, path).GetErrorMessage(), IDOK);
        Choose(ID_WORKBOOK_OPEN_TEXT);
    };

    CLaunchHeader launch;
    const CLaunchHeader timing(1, 2, 0.5, 0.25, 0, 1);
    // A tag of 2^31 characters.
    const std::string tagClaims =
        std::string("\xFF\xFF\xFF\x00\x00\x00\x80", 7) + std::string(64, 'x');
    const auto readLaunch = [&launch](const CString& path, Refusal refusal) {
        CString reason;
        EXPECT_EQ(launch.LoadFromFile(path, &reason), refusal == Refusal::none);
        if (refusal == Refusal::tooLarge) {
            EXPECT_EQ(reason, "the file is larger than " + CLaunchHeader::s_fileLimit.Text());
        } else if (refusal == Refusal::hostile) {
            EXPECT_EQ(reason, "the file is cut short");
        }
    };

    std::string settingsHeld;
    CSettings changed(env.File("unused.vns"));
    changed.m_comNumber = 7;
    changed.m_interfaceLevel = 0;
    // A header of 5 GiB.
    const std::string stringClaims = std::string(7, '\xFF') +
                                     std::string("\x00\x00\x00\x40\x01\x00\x00\x00", 8) +
                                     std::string(64, 'x');
    const auto readSettings = [&settingsHeld](const CString& path, Refusal refusal) {
        testing_support::LogCapture log("varnel.settings");
        settingsHeld = Bytes(CSettings(path).GetFileBytes());
        const QString why = refusal == Refusal::tooLarge
                                ? "is larger than " + CSettings::s_fileLimit.Text().ToQString()
                                : "cannot be read";
        const bool warned = std::any_of(log.messages.begin(), log.messages.end(), [&](auto& m) {
            return m.contains(path.ToQString()) && m.contains(why);
        });
        EXPECT_EQ(warned, refusal != Refusal::none) << log.messages.size();
        // A refused file is moved aside, so that the defaults saved next do not replace it.
        const QString kept = path.ToQString() + CSettings::kRefusedSuffix;
        EXPECT_EQ(QFile::exists(kept), refusal != Refusal::none);
        EXPECT_EQ(QFile::exists(path.ToQString()), refusal == Refusal::none);
        QFile::remove(kept);
    };

    CGridCtrl grid;
    // `overCap` is the refusal of a file within the size limit whose cells would not be.
    const auto loadGrid = [&grid, this](CString overCap) {
        return [&grid, this, overCap](const CString& path, Refusal refusal) {
            if (refusal == Refusal::tooLarge)
                modals.ExpectMessage(CString::Formatted(CGridCtrl::kTooLargeText,
                                                        CGridCtrl::s_fileLimit.Text().GetString()),
                                     IDOK);
            if (refusal == Refusal::hostile) modals.ExpectMessage(overCap, IDOK);
            EXPECT_EQ(grid.Load(path), refusal == Refusal::none);
        };
    };
    const auto gridState = [&grid] {
        return grid.GetRowCount() > 1 ? grid.GetItemText(1, 1).str() : std::string();
    };
    const auto lines = [](int count, const std::string& line) {
        std::string s;
        for (int i = 0; i < count; ++i)
            s += line;
        return s;
    };
    // Each row of the table loads a file of its own, so that its load changes the cells.
    const auto gridFile = [](const char* value) { return std::string("A,B\nrow,") + value + "\n"; };

    const std::vector<Reader> readers = {
        {"project", CVarnelFile::s_fileLimit, "vnp", Project(3), claims, openProject, projectState},
        {"csv",
         csv::fileLimit,
         "csv",
         "Time (s),A (V)\n0,1\n1,2\n",
         "Time (s)" + std::string(5'000'000, ',') + "\n0,1\n",
         importCsv,
         projectState,
         nullptr,
         // The values alone are more than the room; the values (64 MB) fit, the graph's copies
         // (some 30 MB more) do not.
         {{"values", Rows(6'000'000), 16 << 20, "the project is left as it was"},
          {"graph", Rows(4'000'000), 80 << 20, "the import is taken back", true}}},
        {"worksheet", platform::web::fileLimit, "mht", archive, "", openWorksheet,
         [&] {
             const auto served = platform::web::Serve(picture);
             return served ? served->body.toStdString() : std::string("no picture");
         }},
        {"notes", CTextView::s_fileLimit, "txt",
         "Seen at 20 \xC2\xB0"
         "C\r\r\n",
         "", openNotes, [this] { return doc->m_textView->GetEdit().GetWindowText().str(); }},
        {"launch", CLaunchHeader::s_fileLimit, "hdr",
         Bytes(timing.GetFileBytes(CLaunchHeader::kTiming)), tagClaims, readLaunch,
         [&] { return Bytes(launch.GetFileBytes(launch.m_kind)); }},
        {"settings", CSettings::s_fileLimit, "vns", Bytes(changed.GetFileBytes()), stringClaims,
         readSettings, [&] { return settingsHeld; },
         [&] { return Bytes(CSettings(env.File("missing.vns")).GetFileBytes()); }},
        {"grid", CGridCtrl::s_fileLimit, "csv", gridFile("value"), "", loadGrid(""), gridState},
        {"grid rows", CGridCtrl::s_fileLimit, "csv", gridFile("rows"),
         "A\n" + lines(CGridCtrl::kMaxLoadRows + 1, "x\n"),
         loadGrid(CString::Formatted(CGridCtrl::kTooManyRowsText, CGridCtrl::kMaxLoadRows)),
         gridState},
        {"grid columns", CGridCtrl::s_fileLimit, "csv", gridFile("columns"),
         "A\nx" + std::string(CGridCtrl::kMaxLoadColumns, ',') + "\n",
         loadGrid(CString::Formatted(CGridCtrl::kTooManyColumnsText, CGridCtrl::kMaxLoadColumns)),
         gridState},
        // 100 columns of headings over rows of one field each: the cells, not the text, are many.
        {"grid cells", CGridCtrl::s_fileLimit, "csv", gridFile("cells"),
         lines(100, "h,") + "\n" + lines(CGridCtrl::kMaxLoadCells / 100 + 1, "x\n"),
         loadGrid(CString::Formatted(CGridCtrl::kTooManyCellsText, CGridCtrl::kMaxLoadCells)),
         gridState},
    };

    for (const Reader& r : readers) {
        SCOPED_TRACE(r.name);
        const std::string name = r.name;
        const CString valid = Write((name + "." + r.extension).c_str(), r.valid);
        const std::string initial = r.state();
        std::string taken;
        {
            platform::FileSizeLimit::Override exactly(r.limit, r.valid.size());
            r.read(valid, Refusal::none);
            taken = r.state();
            EXPECT_NE(taken, initial);
        }
        const std::string left = r.afterRefusal ? r.afterRefusal() : taken;
        {
            platform::FileSizeLimit::Override under(r.limit, r.valid.size() - 1);
            r.read(valid, Refusal::tooLarge);
            EXPECT_EQ(r.state(), left);
        }

        const CString huge = Write((name + "-huge." + r.extension).c_str(),
                                   r.hostile.empty() ? r.valid : r.hostile, kSparseSize);
        struct Case {
            const char* what;
            CString path;
            Refusal refusal;
            const DemandStruct* demand = nullptr;
        };
        std::vector<Case> cases = {{"sparse", huge, Refusal::tooLarge}};
        if (!r.hostile.empty())
            cases.push_back({"claims", Write((name + "-claims." + r.extension).c_str(), r.hostile),
                             Refusal::hostile});
        if (testing_support::kAllocationsMayFail)
            for (const DemandStruct& d : r.demands)
                if (!d.offscreenOnly || QGuiApplication::platformName() == "offscreen")
                    cases.push_back(
                        {d.what, Write((name + "-" + d.what + "." + r.extension).c_str(), d.bytes),
                         Refusal::noMemory, &d});
        for (const Case& c : cases) {
            SCOPED_TRACE(c.what);
            testing_support::LogCapture log("varnel.doc");
            const long long before = ResetPeakMemory();
            {
                std::optional<testing_support::AddressSpaceLimit> limit;
                if (c.demand) limit.emplace(c.demand->room);
                r.read(c.path, c.refusal);
            }
            EXPECT_LT(PeakMemory() - before, kMemorySlack);
            EXPECT_EQ(r.state(), left);
            if (c.demand) {
                EXPECT_TRUE(std::any_of(log.messages.begin(), log.messages.end(), [&](auto& m) {
                    return m.contains(c.path.ToQString()) && m.contains(c.demand->logged);
                })) << (log.messages.empty() ? QString() : log.messages.back()).toStdString();
            }
        }
        EXPECT_EQ(modals.Pending(), 0u);
    }
    EXPECT_NE(projectState().find("Temperature:3"), std::string::npos);
}

}  // namespace
