// dorvik-sim: a simulated Dorvik QK, or a basic Dorvik, on a pseudo-terminal, for trying Varnel
// without a logger. It prints the device path and each command the program sends.
//
//   dorvik-sim [--model qk|basic] [--variant full|81|timer]
//   VARNEL_COM1=/dev/pts/N varnel

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "tools/dorvik-sim/basic_model.h"
#include "tools/dorvik-sim/qk_model.h"

namespace {

std::atomic<bool> g_quit{false};

void OnSignal(int) {
    g_quit = true;
}

int Usage(const char* program) {
    std::fprintf(stderr, "usage: %s [--model qk|basic] [--variant full|81|timer]\n", program);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    using dorvik_sim::QkModel;
    BYTE variant = QkModel::kFullVariant;
    bool basic = false;
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
    while (!g_quit)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return 0;
}
