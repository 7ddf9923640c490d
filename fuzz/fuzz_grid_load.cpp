// The grid's load of a comma-separated file into its cells, on any bytes: it must never crash,
// refuse what lies past its limits with one message and complain about no other file it can read,
// and the cells must hold the fields the file has: the first record as the headings, each later
// record as a row under its first field.

#include <unistd.h>

#include <QApplication>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "controls/grid_ctrl.h"
#include "models/grid_text.h"
#include "platform/ui/modal_host.h"

// Names the line of a failed check, for the person reading the finding.
#define CHECK(ok) ((ok) ? void() : Fail(__LINE__))

namespace {

[[noreturn]] void Fail(int line) {
    std::fprintf(stderr, "check failed at line %d\n", line);
    std::abort();
}

// A readable file loads without a word; one past the grid's limits is refused with one message.
class CountingModals : public platform::ModalHost {
public:
    int RunMessageBox(CWnd*, const CString&, const CString&, UINT) override {
        ++messages;
        return IDOK;
    }
    void RunDialog(CDialog&) override { std::abort(); }
    int messages = 0;
};

QApplication& App() {
    static int argc = 1;
    static char name[] = "fuzz_grid_load";
    static char* argv[] = {name, nullptr};
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: at exit Qt's graphics contexts are already gone, and tearing the
    // application down then crashes inside Qt.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// A file of this process's own, removed again at exit.
struct ScratchFile {
    std::string path;
    ~ScratchFile() { std::remove(path.c_str()); }
};

std::string FilePath() {
    static const ScratchFile file = [] {
        std::error_code ec;
        const std::filesystem::path base = std::filesystem::exists("/dev/shm", ec)
                                               ? std::filesystem::path("/dev/shm")
                                               : std::filesystem::temp_directory_path();
        return ScratchFile{
            (base / ("varnel-fuzz-grid-" + std::to_string(getpid()) + ".csv")).string()};
    }();
    return file.path;
}

}  // namespace

// The grid's cells take C strings: a field ends at a NUL byte.
CString CellText(const CString& field) {
    const std::string& s = field.str();
    return CString(s.substr(0, s.find('\0')));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    App();
    static CountingModals modals;
    modals.messages = 0;
    platform::ModalHost::Install(&modals);
    {
        std::ofstream out(FilePath(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    const auto records =
        grid_text::ParseCsv(std::string_view(reinterpret_cast<const char*>(data), size));
    // The limits as a person reads them: rows under the headings, fields of any one line, fields
    // in all, and the cells the headings' columns make of the rows.
    size_t widest = 0, fields = 0;
    for (const auto& r : records) {
        widest = std::max(widest, r.size());
        fields += r.size();
    }
    const size_t rows = records.empty() ? 0 : records.size() - 1;
    size_t headingCount = records.empty() ? 0 : records.front().size();
    if (headingCount > 0 && records.front().back().IsEmpty()) --headingCount;
    const bool refused = !CGridCtrl::s_fileLimit.Admits(size) || rows > CGridCtrl::kMaxLoadRows ||
                         widest > CGridCtrl::kMaxLoadColumns ||
                         fields > size_t(CGridCtrl::kMaxLoadCells) + CGridCtrl::kMaxLoadColumns ||
                         rows * headingCount > size_t(CGridCtrl::kMaxLoadCells);

    CGridCtrl grid;
    CHECK(grid.Load(FilePath().c_str()) == !refused);
    CHECK(modals.messages == (refused ? 1 : 0));
    if (refused || records.empty()) {
        CHECK(grid.GetRowCount() == 0);
        return 0;
    }
    std::vector<CString> headings = records.front();
    if (!headings.empty() && headings.back().IsEmpty()) headings.pop_back();
    const int columns = grid.GetColumnCount();
    CHECK(columns >= static_cast<int>(headings.size()));
    for (size_t c = 0; c < headings.size(); ++c)
        CHECK(grid.GetItemText(0, static_cast<int>(c)) == CellText(headings[c]));
    int row = headings.empty() ? 0 : 1;
    for (size_t r = 1; r < records.size(); ++r) {
        const auto& fields = records[r];
        if (fields.size() == 1 && fields[0].IsEmpty()) continue;
        CHECK(row < grid.GetRowCount());
        for (size_t k = 0; k < fields.size() && k < static_cast<size_t>(columns); ++k)
            CHECK(grid.GetItemText(row, static_cast<int>(k)) == CellText(fields[k]));
        ++row;
    }
    CHECK(row == grid.GetRowCount());
    return 0;
}
