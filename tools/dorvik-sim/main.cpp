// dorvik-sim: a simulated Dorvik QK, or a basic Dorvik, on a pseudo-terminal, for trying Varnel
// without a logger. It prints the device path and each command the program sends.
//
//   dorvik-sim [--model qk|basic] [--variant full|81|timer] [--passes N]
//   VARNEL_COM1=/dev/pts/N varnel
//
// In timing mode the QK plays a cart's passes: gate 1 blocked for 50 ms, then gate 2 half a
// second later, every 3 s from 2 s on, N times (default 10); then it ends the run.

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tools/dorvik-sim/basic_model.h"
#include "tools/dorvik-sim/qk_model.h"

namespace {

std::atomic<bool> g_quit{false};

void OnSignal(int) {
    g_quit = true;
}

int Usage(const char* program) {
    std::fprintf(stderr, "usage: %s [--model qk|basic] [--variant full|81|timer] [--passes N]\n",
                 program);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    using dorvik_sim::QkModel;
    BYTE variant = QkModel::kFullVariant;
    bool basic = false;
    int passes = 10;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--model") == 0 && i + 1 < argc) {
            const std::string name = argv[++i];
            if (name == "basic")
                basic = true;
            else if (name != "qk")
                return Usage(argv[0]);
        } else if (std::strcmp(argv[i], "--variant") == 0 && i + 1 < argc) {
            const std::string name = argv[++i];
            if (name == "full")
                variant = QkModel::kFullVariant;
            else if (name == "81")
                variant = QkModel::kVariant81;
            else if (name == "timer")
                variant = QkModel::kTimerVariant;
            else
                return Usage(argv[0]);
        } else if (std::strcmp(argv[i], "--passes") == 0 && i + 1 < argc) {
            passes = std::atoi(argv[++i]);
            if (passes < 0) return Usage(argv[0]);
        } else {
            return Usage(argv[0]);
        }
    }
    auto trace = [](const std::string& what) {
        std::printf("received %s\n", what.c_str());
        std::fflush(stdout);
    };
    std::unique_ptr<dorvik_sim::Model> model;
    if (basic) {
        auto m = std::make_unique<dorvik_sim::BasicModel>();
        m->trace = trace;
        model = std::move(m);
    } else {
        auto m = std::make_unique<QkModel>(variant);
        m->trace = trace;
        // A timer measures gates: photogates sit on both external inputs.
        if (variant == QkModel::kTimerVariant)
            m->liveSensors[5] = m->liveSensors[6] = {"Photogate", "V", 0, 5, 0, 1023};
        model = std::move(m);
    }
    dorvik_sim::Line line(std::move(model));
    if (!line.IsReady()) {
        std::fprintf(stderr, "dorvik-sim: %s\n", line.ErrorText().c_str());
        return 1;
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::printf("%s at %s\n", basic ? "Dorvik" : "Dorvik QK", line.SlavePath().c_str());
    std::printf("point a COM number at it: VARNEL_COM1=%s\n", line.SlavePath().c_str());
    std::fflush(stdout);
    // The cart's gate events, in seconds from the start of a timing run.
    struct Pass {
        double at;
        BYTE state;
    };
    std::vector<Pass> plan;
    for (int k = 0; k < passes; ++k) {
        const double t = 2.0 + 3.0 * k;
        plan.push_back({t, 1});
        plan.push_back({t + 0.05, 0});
        plan.push_back({t + 0.5, 2});
        plan.push_back({t + 0.55, 0});
    }
    using Clock = std::chrono::steady_clock;
    bool playing = false;
    Clock::time_point start;
    size_t next = 0;
    while (!g_quit) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (basic) continue;
        const bool timing = line.WithModelAs<QkModel>([](QkModel& m) { return m.timing; });
        if (!timing) {
            playing = false;
            continue;
        }
        if (!playing) {
            playing = true;
            start = Clock::now();
            next = 0;
        }
        const double now = std::chrono::duration<double>(Clock::now() - start).count();
        while (next < plan.size() && plan[next].at <= now) {
            const Pass p = plan[next++];
            line.WithModelAs<QkModel>([&](QkModel& m) {
                m.QueueTimingEvent(p.state, static_cast<DWORD>(p.at / 2e-6 + 0.5));
            });
            std::printf("gate event at %.3f s: gate 1 %s, gate 2 %s\n", p.at,
                        p.state & 1 ? "blocked" : "clear", p.state & 2 ? "blocked" : "clear");
            std::fflush(stdout);
        }
        if (next == plan.size()) {
            line.WithModelAs<QkModel>([](QkModel& m) { m.EndTimingRun(); });
            std::printf("timing run ended (AA 00)\n");
            std::fflush(stdout);
            next = plan.size() + 1;
        }
    }
    return 0;
}
