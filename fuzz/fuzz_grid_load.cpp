// The grid's load of a comma-separated file into its cells, on any bytes: it must never crash or
// complain about a file it can read, and the cells must hold the fields the file has: the first
// record as the headings, each later record as a row under its first field.

#include <unistd.h>

#include <QApplication>
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

// A readable file loads without a word.
class NoModals : public platform::ModalHost {
public:
    int RunMessageBox(CWnd*, const CString&, const CString&, UINT) override { std::abort(); }
    void RunDialog(CDialog&) override { std::abort(); }
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
    static NoModals noModals;
    platform::ModalHost::Install(&noModals);
    {
        std::ofstream out(FilePath(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    CGridCtrl grid;
    CHECK(grid.Load(FilePath().c_str()));

    const auto records =
        grid_text::ParseCsv(std::string_view(reinterpret_cast<const char*>(data), size));
    if (records.empty()) {
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
