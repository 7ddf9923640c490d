#include "bluetooth/trace.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>

#include "platform/base/registry.h"

namespace {

struct TraceState {
    std::once_flag decided;
    bool enabled = false;
    DWORD listener = 0;
    std::mutex socketLock;
    int socket = -1;

    ~TraceState() {
        if (socket >= 0) ::close(socket);
    }
};

std::unique_ptr<TraceState>& State() {
    static std::unique_ptr<TraceState> state = std::make_unique<TraceState>();
    return state;
}

}  // namespace

bool LogIsEnabled() {
    TraceState& s = *State();
    std::call_once(s.decided, [&s] {
        CRegKey key;
        if (key.Open(HKEY_CURRENT_USER, "Software\\BtStack\\BTConfig\\Debug") != ERROR_SUCCESS)
            return;
        DWORD address = 0;
        if (key.QueryDWORDValue("LogIPAddr", address) == ERROR_SUCCESS && address != 0) {
            s.listener = address;
            s.enabled = true;
        }
        key.Close();
    });
    return s.enabled;
}

void LogMsg(WORD kind, const char* format, ...) {
    if (!LogIsEnabled()) return;
    TraceState& s = *State();
    if (s.listener == 0 || !format) return;

    BYTE datagram[8 + kBtTraceLineLimit + 1] = {};
    char* text = reinterpret_cast<char*>(datagram + 8);
    va_list args;
    va_start(args, format);
    const int formatted = std::vsnprintf(text, kBtTraceLineLimit + 1, format, args);
    va_end(args);
    if (formatted < 0) return;
    const size_t length = std::min(size_t(formatted), kBtTraceLineLimit);
    datagram[0] = BYTE(kind);
    datagram[1] = BYTE(kind >> 8);
    datagram[2] = BYTE(length);
    datagram[3] = BYTE(length >> 8);

    std::lock_guard lock(s.socketLock);
    if (s.socket < 0) {
        s.socket = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (s.socket < 0) return;  // the next line tries again
        sockaddr_in local{};
        local.sin_family = AF_INET;
        [[maybe_unused]] int bound =
            ::bind(s.socket, reinterpret_cast<sockaddr*>(&local), sizeof local);
    }
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(kBtTracePort);
    target.sin_addr.s_addr = htonl(s.listener);
    ::sendto(s.socket, datagram, 8 + length, 0, reinterpret_cast<sockaddr*>(&target),
             sizeof target);
}

void BtTraceReset() {
    State() = std::make_unique<TraceState>();
}
