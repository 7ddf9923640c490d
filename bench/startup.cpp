// Start-up time: one Xvfb, then the program ten times, each with a fresh HOME and data folders,
// timed from the fork to the first MapNotify of its main window, as the X server reports it.
// Prints the median and the maximum. Usage: bench_startup <path of varnel>

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRuns = 10;
constexpr auto kPatience = std::chrono::seconds(30);

// Starts Xvfb on a free display; returns the display name, or empty.
std::string StartXvfb(pid_t& pid) {
    int fds[2];
    if (pipe(fds) != 0) return {};
    pid = fork();
    if (pid == 0) {
        close(fds[0]);
        const std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24",
               "-nolisten", "tcp", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    char buffer[32] = {};
    const ssize_t n = read(fds[0], buffer, sizeof buffer - 1);
    close(fds[0]);
    if (n <= 0) return {};
    return ":" + std::to_string(atoi(buffer));
}

std::string WindowName(xcb_connection_t* c, xcb_window_t w) {
    const auto cookie =
        xcb_get_property(c, 0, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(c, cookie, nullptr);
    if (!reply) return {};
    std::string name(static_cast<const char*>(xcb_get_property_value(reply)),
                     static_cast<size_t>(xcb_get_property_value_length(reply)));
    free(reply);
    return name;
}

// One start: the seconds until the main window was mapped, or a negative value.
double TimeOneStart(xcb_connection_t* c, const std::string& display, const char* program) {
    char folder[] = "/tmp/varnel-startup-XXXXXX";
    if (!mkdtemp(folder)) return -1;
    const std::string home = folder;
    const auto start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
        setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
        setenv("DISPLAY", display.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        // Every COM number pointed at nothing: the timing does not depend on this machine's ports.
        for (int com = 1; com <= 255; ++com)
            setenv(("VARNEL_COM" + std::to_string(com)).c_str(), "", 1);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execl(program, program, static_cast<char*>(nullptr));
        _exit(127);
    }
    double seconds = -1;
    const int fd = xcb_get_file_descriptor(c);
    while (Clock::now() - start < kPatience && seconds < 0) {
        fd_set set;
        FD_ZERO(&set);
        FD_SET(fd, &set);
        timeval tv{0, 10000};
        select(fd + 1, &set, nullptr, nullptr, &tv);
        while (xcb_generic_event_t* e = xcb_poll_for_event(c)) {
            if ((e->response_type & 0x7F) == XCB_MAP_NOTIFY) {
                const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(e);
                const auto at = Clock::now();
                if (seconds < 0 && WindowName(c, map->window).rfind("Varnel", 0) == 0)
                    seconds = std::chrono::duration<double>(at - start).count();
            }
            free(e);
        }
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) break;  // ended before its window showed
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    std::filesystem::remove_all(home);
    return seconds;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <path of varnel>\n", argv[0]);
        return 2;
    }
    pid_t xvfb = 0;
    const std::string display = StartXvfb(xvfb);
    xcb_connection_t* c = display.empty() ? nullptr : xcb_connect(display.c_str(), nullptr);
    if (!c || xcb_connection_has_error(c)) {
        std::fprintf(stderr, "no X server\n");
        if (xvfb > 0) kill(xvfb, SIGTERM);
        return 1;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);

    std::vector<double> times;
    int result = 0;
    for (int i = 0; i < kRuns; ++i) {
        const double t = TimeOneStart(c, display, argv[1]);
        if (t < 0) {
            std::fprintf(stderr, "start %d: the main window never showed\n", i + 1);
            result = 1;
            break;
        }
        times.push_back(t);
    }
    xcb_disconnect(c);
    kill(xvfb, SIGTERM);
    waitpid(xvfb, nullptr, 0);
    if (times.empty()) return 1;
    std::sort(times.begin(), times.end());
    const size_t n = times.size();
    const double median = n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
    std::printf("start-up over %zu starts: median %.3f s, maximum %.3f s\n", n, median,
                times.back());
    return result;
}
