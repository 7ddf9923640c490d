// The graph view during a live QK run of 7 channels at 50 samples a second, set up as a run's
// start does, on a 1000 x 600 control. A tick: 5 new samples per channel, the view's write of what
// grew, and one render of the control (its repaint). "First minute" times ticks 0-599 of an empty
// run; "Last minute" grows the run to 59 minutes untimed, then times ticks 35,400-35,999. Each
// case reports the mean and worst tick of the view and of the render, and the last minute its
// mean tick against the first minute's (last_vs_first).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>

#include "app/varnel_doc.h"
#include "displays/graph/graph_view.h"
#include "logger/data_tree.h"
#include "logger/dorvik.h"
#include "platform/activex/register.h"
#include "platform/base/registry.h"
#include "platform/msg/message_loop.h"

namespace {

constexpr int kChannels = 7;
constexpr int kPerTick = 5;
constexpr int kTicksPerMinute = 600;

class Run {
public:
    Run() : m_doc([](CSettings*) { return std::unique_ptr<CDorvik>(); }) {
        platform::RegisterActiveXControls();
        m_host.Create(nullptr, "bench", WS_VISIBLE, CRect(0, 0, 1000, 600), nullptr, 0);
        m_view.Create(&m_host, CRect(0, 0, 1000, 600));
        m_view.Attach(&m_doc, nullptr);
        m_view.RefreshGraph(TRUE);
        CDataTreeBrench* experiment = m_doc.m_dataList.AddExperiment("Run");
        for (int c = 0; c < kChannels; ++c) {
            m_sets[c] = m_doc.m_dataList.InsertDataSet(
                experiment->m_id, std::make_unique<CDataArray>(), std::make_unique<CDataArray>(),
                CString::Formatted("Channel %d", c + 1), 51, "V",
                CPreciseDateTime(2026, 1, 1, 9, 0, 0), 1, 1, 0, "", 9999999, -9999999,
                static_cast<WORD>(c));
            m_sets[c]->m_modelCode = 100;
            BOOL added = FALSE;
            m_view.AddPlot(m_sets[c], static_cast<WORD>(c), FALSE, added, TRUE, -1);
        }
        m_view.PlotRecordingData(m_sets, kChannels);
    }
    ~Run() {
        m_view.DestroyWindow();
        m_host.DestroyWindow();
    }

    void Grow() {
        for (int c = 0; c < kChannels; ++c)
            for (int i = 0; i < kPerTick; ++i) {
                const double n = static_cast<double>(m_sets[c]->m_x->size());
                m_sets[c]->m_x->push_back(n);
                m_sets[c]->m_y->push_back(c + std::sin(n * 0.01) + 0.1 * std::sin(n * 0.7));
            }
    }
    // One tick; the seconds of the view's write and of the render.
    std::pair<double, double> Tick() {
        Grow();
        const auto t0 = std::chrono::steady_clock::now();
        m_view.PlotNewPoints();
        const auto t1 = std::chrono::steady_clock::now();
        QPainter painter(&m_image);
        m_view.GetGraph().GetGraphControl()->Render(painter, QRectF(0, 0, 1000, 600),
                                                    QSizeF(1000, 600));
        painter.end();
        const auto t2 = std::chrono::steady_clock::now();
        return {std::chrono::duration<double>(t1 - t0).count(),
                std::chrono::duration<double>(t2 - t1).count()};
    }
    CGraphView& View() { return m_view; }
    const QImage& Image() const { return m_image; }

private:
    CVarnelDoc m_doc;
    CWnd m_host;
    CGraphView m_view;
    CDataTreeBrench* m_sets[kChannels] = {};
    QImage m_image{1000, 600, QImage::Format_RGB32};
};

double g_firstMean = 0;
const char* g_picture = nullptr;  // where the last minute's last picture goes, to compare builds

void Measure(benchmark::State& state, Run& run, bool first) {
    double viewSum = 0, renderSum = 0, viewWorst = 0, renderWorst = 0;
    for (auto _ : state) {
        for (int t = 0; t < kTicksPerMinute; ++t) {
            const auto [v, r] = run.Tick();
            viewSum += v, renderSum += r;
            viewWorst = std::max(viewWorst, v);
            renderWorst = std::max(renderWorst, r);
        }
    }
    const double ticks = static_cast<double>(kTicksPerMinute * state.iterations());
    const double mean = (viewSum + renderSum) / ticks;
    state.counters["view_mean_ms"] = viewSum / ticks * 1e3;
    state.counters["view_worst_ms"] = viewWorst * 1e3;
    state.counters["render_mean_ms"] = renderSum / ticks * 1e3;
    state.counters["render_worst_ms"] = renderWorst * 1e3;
    if (first)
        g_firstMean = mean;
    else if (g_firstMean > 0)
        state.counters["last_vs_first"] = mean / g_firstMean;
}

void BM_FirstMinute(benchmark::State& state) {
    Run run;
    Measure(state, run, true);
}
BENCHMARK(BM_FirstMinute)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_LastMinute(benchmark::State& state) {
    Run run;
    // 59 minutes, sample by sample; the view writes once a minute here, which leaves the control
    // and the records where tick-by-tick writes would.
    for (int t = 0; t < 59 * kTicksPerMinute; ++t) {
        run.Grow();
        if ((t + 1) % kTicksPerMinute == 0) run.View().PlotNewPoints();
    }
    Measure(state, run, false);
    if (g_picture) run.Image().save(QString::fromLocal8Bit(g_picture));
}
BENCHMARK(BM_LastMinute)->Iterations(1)->Unit(benchmark::kMillisecond);

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
    if (argc > 1 && std::strncmp(argv[1], "--picture=", 10) == 0) {
        g_picture = argv[1] + 10;
        argv[1] = argv[0];
        --argc, ++argv;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    platform::MessageLoop::Install(nullptr);
    return 0;
}
