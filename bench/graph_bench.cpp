// The graph control with one monotone plot: a redraw into a 1000 x 600 image, the write of its
// points and appends to them, at 1e3 to 1e7 points. Counters give each redraw's ratio to the 1e3
// case and to one plain pass summing the same arrays (the memory-scan limit).
//
// Two kinds of points: the same picture at every size (four periods and a little noise), and a
// curve of fixed period whose picture grows denser with the size until, at 1e7 points, it is a
// solid band (so that redraw also pays for the ink).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>

#include "platform/activex/graph_model.h"
#include "platform/activex/graph_render.h"

namespace {

using platform::graph::GraphModel;

struct Data {
    DoubleArray x, y;
};

const Data& Points(size_t n, bool band = false) {
    static std::map<std::pair<size_t, bool>, Data> cache;
    auto it = cache.find({n, band});
    if (it != cache.end()) return it->second;
    std::vector<double> x(n), y(n);
    const double k = band ? 1e-3 : 8 * M_PI / static_cast<double>(std::max<size_t>(n, 1));
    for (size_t i = 0; i < n; ++i)
        x[i] = static_cast<double>(i), y[i] = std::sin(i * k) + 0.1 * std::sin(i * 0.7);
    return cache[{n, band}] = {std::make_shared<const std::vector<double>>(std::move(x)),
                               std::make_shared<const std::vector<double>>(std::move(y))};
}

std::shared_ptr<GraphModel> GraphWith(size_t n, bool band) {
    auto model = GraphModel::Create();
    model->SetClientSize(QSizeF(1000, 600));
    VARIANT plots, plot;
    const DispatchHandle graph = model->Graph();
    graph.Invoke(10, DISPATCH_PROPERTYGET, {}, &plots);
    plots.pdispVal.Invoke(258, DISPATCH_METHOD, {}, &plot);
    const VARIANT args[2] = {VarArray(Points(n, band).x), VarArray(Points(n, band).y)};
    plot.pdispVal.Invoke(21, DISPATCH_METHOD, args, nullptr);
    VARIANT axes, axis;
    graph.Invoke(11, DISPATCH_PROPERTYGET, {}, &axes);
    for (LONG i : {1, 2}) {
        const VARIANT index = VarI4(i);
        axes.pdispVal.Invoke(0, DISPATCH_PROPERTYGET, std::span<const VARIANT>(&index, 1), &axis);
        const VARIANT on = VarBool(true);
        axis.pdispVal.Invoke(9, DISPATCH_PROPERTYPUT, std::span<const VARIANT>(&on, 1), nullptr);
    }
    return model;
}

double ScanSeconds(size_t n) {
    const Data& d = Points(n);
    const auto t0 = std::chrono::steady_clock::now();
    double sum = 0;
    for (int rep = 0; rep < 5; ++rep)
        for (size_t i = 0; i < n; ++i)
            sum += (*d.x)[i] + (*d.y)[i];
    benchmark::DoNotOptimize(sum);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count() / 5;
}

std::map<std::pair<int, size_t>, double> g_redraw;

void BM_Redraw(benchmark::State& state) {
    const auto n = static_cast<size_t>(state.range(0));
    const bool band = state.range(1) != 0;
    // With a third argument of 1, summaries use the 64-point blocks alone, for comparison.
    const bool flat = state.range(2) != 0;
    using Method = platform::graph::PlotPoints::Method;
    platform::graph::PlotPoints::UseMethod(flat ? Method::Blocks : Method::Summaries);
    const auto model = GraphWith(n, band);
    QImage image(1000, 600, QImage::Format_RGB32);
    double total = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        QPainter p(&image);
        platform::graph::RenderGraph(p, model->State(), QRectF(0, 0, 1000, 600), QSizeF(1000, 600));
        p.end();
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    }
    platform::graph::PlotPoints::UseMethod(Method::Summaries);
    const double each = total / static_cast<double>(state.iterations());
    g_redraw[{band + 2 * flat, n}] = each;
    if (g_redraw.count({band + 2 * flat, 1000}))
        state.counters["vs_1e3"] = each / g_redraw[{band + 2 * flat, 1000}];
    state.counters["vs_scan"] = each / ScanSeconds(n);
}
// The same picture at every size, then the band; each with the pyramid, then without.
BENCHMARK(BM_Redraw)
    ->ArgsProduct({{1000, 100000, 1000000, 10000000}, {0}, {0}})
    ->ArgsProduct({{1000, 100000, 1000000, 10000000}, {1}, {0}})
    ->ArgsProduct({{1000, 100000, 1000000, 10000000}, {0}, {1}})
    ->ArgsProduct({{1000, 100000, 1000000, 10000000}, {1}, {1}})
    ->Unit(benchmark::kMillisecond);

void BM_Write(benchmark::State& state) {
    const auto n = static_cast<size_t>(state.range(0));
    auto model = GraphModel::Create();
    VARIANT plots, plot;
    model->Graph().Invoke(10, DISPATCH_PROPERTYGET, {}, &plots);
    plots.pdispVal.Invoke(258, DISPATCH_METHOD, {}, &plot);
    const VARIANT args[2] = {VarArray(Points(n).x), VarArray(Points(n).y)};
    for (auto _ : state)
        plot.pdispVal.Invoke(21, DISPATCH_METHOD, args, nullptr);
}
BENCHMARK(BM_Write)->Arg(1000)->Arg(100000)->Arg(1000000)->Arg(10000000)->Unit(
    benchmark::kMillisecond);

// Appending a live run's points in chunks of `range(1)` onto `range(0)` points already there,
// themselves written whole (method 21) when `range(2)` is 1, else appended.
void BM_Append(benchmark::State& state) {
    const auto n = static_cast<size_t>(state.range(0));
    const auto chunk = static_cast<size_t>(state.range(1));
    const Data& d = Points(n + 100 * chunk);
    // Freed outside the timing: the model and the arrays handed to it.
    std::shared_ptr<GraphModel> model;
    std::vector<VARIANT> first, chunks;
    for (auto _ : state) {
        state.PauseTiming();
        model.reset();
        first.clear();
        chunks.clear();
        model = GraphModel::Create();
        VARIANT plots, plot;
        model->Graph().Invoke(10, DISPATCH_PROPERTYGET, {}, &plots);
        plots.pdispVal.Invoke(258, DISPATCH_METHOD, {}, &plot);
        first.push_back(VarArray(std::vector<double>(d.x->begin(), d.x->begin() + n)));
        first.push_back(VarArray(std::vector<double>(d.y->begin(), d.y->begin() + n)));
        plot.pdispVal.Invoke(state.range(2) ? 21 : 9021, DISPATCH_METHOD, first, nullptr);
        for (size_t at = n; at < n + 100 * chunk; at += chunk) {
            chunks.push_back(
                VarArray(std::vector<double>(d.x->begin() + at, d.x->begin() + at + chunk)));
            chunks.push_back(
                VarArray(std::vector<double>(d.y->begin() + at, d.y->begin() + at + chunk)));
        }
        state.ResumeTiming();
        for (size_t k = 0; k < chunks.size(); k += 2)
            plot.pdispVal.Invoke(9021, DISPATCH_METHOD, std::span<const VARIANT>(&chunks[k], 2),
                                 nullptr);
    }
    state.counters["points_per_append"] = static_cast<double>(chunk);
}
// 100 appends each time. After a write the first append copies the written points once.
BENCHMARK(BM_Append)
    ->Args({0, 100, 0})
    ->Args({1000000, 100, 0})
    ->Args({10000000, 100, 0})
    ->Args({10000000, 10000, 0})
    ->Args({10000000, 100, 1})
    ->Iterations(5)  // the untimed set-up of ten million points dominates otherwise
    ->Unit(benchmark::kMillisecond);

// Redraws `count` times, for an instruction count that load does not disturb:
//   valgrind --tool=callgrind --toggle-collect='*Redraws*' bench_graph --redraws=N,BAND,COUNT
// after one redraw outside it, which loads the fonts.
void Redraw(const GraphModel& model, QImage& image) {
    QPainter p(&image);
    platform::graph::RenderGraph(p, model.State(), QRectF(0, 0, 1000, 600), QSizeF(1000, 600));
}

[[gnu::noinline]] void Redraws(const GraphModel& model, QImage& image, int count) {
    for (int k = 0; k < count; ++k)
        Redraw(model, image);
}

int RedrawsOnly(const char* spec) {
    unsigned long long n = 0;
    int band = 0, count = 0, used = 0;
    if (std::sscanf(spec, "%llu,%d,%d%n", &n, &band, &count, &used) != 3) return 2;
    const auto model = GraphWith(static_cast<size_t>(n), band != 0);
    QImage image(1000, 600, QImage::Format_RGB32);
    Redraw(*model, image);
    Redraws(*model, image, count);
    // ",file.png" after the count keeps the picture, to compare builds.
    if (spec[used] == ',' && !image.save(QString::fromLocal8Bit(spec + used + 1))) return 1;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc == 2 && std::strncmp(argv[1], "--redraws=", 10) == 0) return RedrawsOnly(argv[1] + 10);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
