// dorvik-sim: a line for people to point Varnel at. It makes a pseudo-terminal, prints its device
// path, and shows what the program sends at the chosen rate and how much arrived at other rates.
//
//   dorvik-sim [--baud RATE]
//   VARNEL_COM1=/dev/pts/N varnel

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "tools/dorvik-sim/line.h"

namespace {

std::atomic<bool> g_quit{false};

void OnSignal(int) {
    g_quit = true;
}

class TraceModel : public dorvik_sim::Model {
public:
    explicit TraceModel(DWORD baudRate) : m_baudRate(baudRate) {}
    DWORD BaudRate() const override { return m_baudRate; }
    void OnReceived(dorvik_sim::Line& /*line*/, const BYTE* data, size_t size) override {
        std::printf("received at %u baud:", unsigned(m_baudRate));
        for (size_t i = 0; i < size; ++i)
            std::printf(" %02X", data[i]);
        std::printf("\n");
        std::fflush(stdout);
    }

private:
    DWORD m_baudRate;
};

}  // namespace

int main(int argc, char** argv) {
    DWORD baud = 2400;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--baud") == 0 && i + 1 < argc) {
            baud = static_cast<DWORD>(std::strtoul(argv[++i], nullptr, 10));
        } else {
            std::fprintf(stderr, "usage: %s [--baud RATE]\n", argv[0]);
            return 2;
        }
    }
    dorvik_sim::Line line(std::make_unique<TraceModel>(baud));
    if (!line.IsReady()) {
        std::fprintf(stderr, "dorvik-sim: %s\n", line.ErrorText().c_str());
        return 1;
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::printf("line at %s, listening at %u baud\n", line.SlavePath().c_str(), unsigned(baud));
    std::printf("point a COM number at it: VARNEL_COM1=%s\n", line.SlavePath().c_str());
    std::fflush(stdout);
    size_t lost = 0;
    DWORD rate = 0;
    while (!g_quit) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const DWORD now = line.ProgramBaudRate();
        if (now != rate && line.IsSlaveOpen()) {
            std::printf("the program set %u baud\n", unsigned(now));
            rate = now;
        }
        if (line.LostInput() != lost) {
            lost = line.LostInput();
            std::printf("%zu bytes lost at other rates so far\n", lost);
        }
        std::fflush(stdout);
    }
    return 0;
}
