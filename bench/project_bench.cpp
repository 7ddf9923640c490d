// The project file with one experiment of four data sets of 250,000 samples each (1,000,000
// samples, x and y) and one saved graph. In one run: Save (CVarnelFile::SaveWithVideo to a new
// path) against a raw write of as many bytes through the same temporary file, flush and rename;
// Open (CVarnelFile::Open into a cleared document with a data map) against one CFile read of the
// file; and building the bytes in memory against copying as many. Each time is the best of a few
// tries; save_vs_raw and open_vs_raw should be 2 or less.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>

#include "app/data_tree_view.h"
#include "app/varnel_doc.h"
#include "logger/data_tree.h"
#include "logger/dorvik.h"
#include "models/varnel_file.h"
#include "platform/base/file.h"
#include "platform/base/registry.h"
#include "platform/msg/message_loop.h"

namespace {

constexpr int kSets = 4;
constexpr int kSamples = 250000;
constexpr int kTries = 3;

double Best(const std::function<void()>& step) {
    double best = 1e9;
    for (int i = 0; i < kTries; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        step();
        best = std::min(
            best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    return best;
}

class Project {
public:
    Project() {
        m_host.Create(nullptr, "bench", WS_VISIBLE, CRect(0, 0, 300, 600), nullptr, 0);
        m_tree.Create(&m_host, CRect(0, 0, 300, 600));
        m_tree.SetDocument(&m_doc);
        m_doc.m_dataTreeView = &m_tree;
        m_doc.ClearProject(false);
    }
    ~Project() {
        m_tree.DestroyWindow();
        m_host.DestroyWindow();
    }
    void Fill() {
        CDataTreeBrench* e = m_doc.AddDataGroup("Exp. 1");
        PlotRecordStruct plots[CGraphTreeBrench::kMaxPlots];
        for (int s = 0; s < kSets; ++s) {
            auto x = std::make_shared<CDataArray>(kSamples),
                 y = std::make_shared<CDataArray>(kSamples);
            for (int i = 0; i < kSamples; ++i)
                (*x)[size_t(i)] = i * 0.02, (*y)[size_t(i)] = std::sin(i * 0.001 * (s + 1));
            CDataTreeBrench* d = m_doc.AddDataBranch(
                e, std::move(x), std::move(y), CString::Formatted("Set %d", s), 51, "V",
                CPreciseDateTime(2026, 1, 1, 9, 0, 0), 1, -1, 0, "", WORD(s), 0, 100);
            plots[s].dataSet = d;
            plots[s].SetPlotNumber(s + 1);
        }
        const DWORD item = m_doc.m_graphList.NewItem();
        m_tree.AddGraphItem(item, "Graph 1", 0);
        m_doc.m_graphList.AddGraph(item, "Graph 1", plots, kSets, PlotRecordStruct(), 0, 0);
    }
    CVarnelDoc& Doc() { return m_doc; }

private:
    CVarnelDoc m_doc;
    CWnd m_host;
    CDataTreeView m_tree;
};

void BM_ProjectFile(benchmark::State& state) {
    QTemporaryDir dir;
    const CString folder = CString(dir.path()) + "/";
    for (auto _ : state) {
        Project saved;
        saved.Fill();
        int n = 0;
        const double save = Best([&] {
            CVarnelFile file(&saved.Doc());
            const CString path = folder + CString::Formatted("P%d.vnp", n++);
            if (file.SaveWithVideo(path, folder, false) != CVarnelFile::SaveResult::written)
                state.SkipWithError("save failed");
        });
        const CString path = folder + "P0.vnp";
        CFile probe(path.GetString(), CFile::modeRead);
        std::vector<BYTE> raw(static_cast<size_t>(probe.GetLength()));
        probe.Close();
        const double rawWrite = Best([&] {
            if (!platform::ReplaceFileAtomically(folder + CString::Formatted("R%d.raw", n++), raw))
                state.SkipWithError("raw write failed");
        });

        Project opened;
        const double open = Best([&] {
            opened.Doc().ClearProject(false);
            if (!CVarnelFile(&opened.Doc()).Open(path)) state.SkipWithError("open failed");
        });
        const double rawRead = Best([&] {
            CFile file(path.GetString(), CFile::modeRead);
            std::vector<BYTE> bytes(static_cast<size_t>(file.GetLength()));
            file.Read(bytes.data(), UINT(bytes.size()));
            benchmark::DoNotOptimize(bytes.data());
        });

        CVarnelFile gather(&saved.Doc());
        gather.SaveWithVideo(folder + "G.vnp", folder, false);
        const double build = Best([&] {
            const std::vector<BYTE> bytes = CVarnelFile::BuildBytes(gather.m_image);
            benchmark::DoNotOptimize(bytes.data());
        });
        const double copy = Best([&] {
            std::vector<BYTE> bytes(raw.size());
            std::memcpy(bytes.data(), raw.data(), raw.size());
            benchmark::DoNotOptimize(bytes.data());
        });

        state.counters["file_MB"] = double(raw.size()) / 1e6;
        state.counters["save_ms"] = save * 1e3;
        state.counters["raw_write_ms"] = rawWrite * 1e3;
        state.counters["save_vs_raw"] = save / rawWrite;
        state.counters["open_ms"] = open * 1e3;
        state.counters["raw_read_ms"] = rawRead * 1e3;
        state.counters["open_vs_raw"] = open / rawRead;
        state.counters["build_ms"] = build * 1e3;
        state.counters["copy_ms"] = copy * 1e3;
        state.counters["build_vs_copy"] = build / copy;
    }
}
BENCHMARK(BM_ProjectFile)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Settings and registry in a folder of their own.
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
    QDir().mkpath(home.path() + "/data");
    QDir().mkpath(home.path() + "/config");
    platform::SetRegistryFile(CString(home.path() + "/registry.ini"));
    QApplication app(argc, argv);
    platform::VirtualClock clock;
    platform::MessageLoop::Install(&clock);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    platform::MessageLoop::Install(nullptr);
    return 0;
}
