// The table view's paging over a recorded experiment of three data sets of N samples with its
// Comment column, in a table showing 25 rows. An iteration asks for the next of 256 top samples
// spread over the run (fixed seed), as the grid's scrolling does, then refills the last page as a
// run's refresh does. The first fill is not timed. "page_vs_1k" is the time of a page against
// N = 1,000 in the same process: a page's cost should not grow with the run's length.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <chrono>
#include <memory>
#include <random>
#include <vector>

#include "app/varnel_doc.h"
#include "displays/table/table_view.h"
#include "logger/data_tree.h"
#include "logger/dorvik.h"
#include "platform/base/registry.h"
#include "platform/msg/message_loop.h"

namespace {

constexpr int kTops = 256;
constexpr int kRows = 25;

class Table {
public:
    explicit Table(int n) : m_doc([](CSettings*) { return std::unique_ptr<CDorvik>(); }) {
        m_host.Create(nullptr, "bench", WS_VISIBLE, CRect(0, 0, 600, 800), nullptr, 0);
        m_view.Create(&m_host, &m_doc);
        m_view.OnInitialUpdate();
        CDataTreeBrench* experiment = m_doc.m_dataList.AddExperiment("Exp. 1");
        experiment->m_experimentTexts.assign(static_cast<size_t>(n), CString());
        for (int c = 0; c < 3; ++c) {
            auto x = std::make_shared<CDataArray>(static_cast<size_t>(n));
            auto y = std::make_shared<CDataArray>(static_cast<size_t>(n));
            for (int i = 0; i < n; ++i) {
                (*x)[static_cast<size_t>(i)] = i;
                (*y)[static_cast<size_t>(i)] = c * 100 + i * 0.25;
            }
            CDataTreeBrench* set = m_doc.m_dataList.InsertDataSet(
                experiment->m_id, x, y, CString::Formatted("Set %d", c + 1), 41, "V",
                CPreciseDateTime(2026, 1, 1, 9, 0, 0), 1, 1, 0, "", 9999999, -9999999, 2);
            set->m_modelCode = 100;
            m_view.AddDataSetColumns(set);
        }
        CGridCtrl* grid = m_view.GetGrid();
        const int h = grid->GetRowHeight(2);
        for (int extra = 0; extra < h && m_view.GetVisibleRows() != kRows; ++extra)
            m_view.MoveWindow(0, 0, 600,
                              grid->GetRowHeight(0) + grid->GetRowHeight(1) + kRows * h + extra);
        std::mt19937 random(24);
        std::uniform_int_distribution<int> pick(0, n - 1);
        for (int& top : m_tops)
            top = pick(random);
        m_view.FillGrid(-1);
    }
    ~Table() {
        m_view.DestroyWindow();
        m_host.DestroyWindow();
    }
    void Page(int i) {
        m_view.SendMessage(UM_GRID_SCROLL_ROW, 0, m_tops[i % kTops]);
        m_view.FillGrid(-1);
    }
    int VisibleRows() const { return m_view.GetVisibleRows(); }

private:
    CVarnelDoc m_doc;
    CWnd m_host;
    CTableView m_view;
    int m_tops[kTops] = {};
};

double g_pageAt1k = 0;

void BM_TablePage(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    Table table(n);
    if (table.VisibleRows() != kRows) state.SkipWithError("the table does not show 25 rows");
    double total = 0;
    int i = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        table.Page(i++);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        total += seconds;
    }
    const double mean = state.iterations() ? total / static_cast<double>(state.iterations()) : 0;
    state.counters["page_us"] = mean * 1e6;
    if (n == 1000)
        g_pageAt1k = mean;
    else if (g_pageAt1k > 0)
        state.counters["page_vs_1k"] = mean / g_pageAt1k;
}
BENCHMARK(BM_TablePage)->Arg(1000)->Arg(1000000)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
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
