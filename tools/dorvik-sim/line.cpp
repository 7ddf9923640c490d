#include "tools/dorvik-sim/line.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>
#include <utility>

#include "platform/comm/comm.h"

namespace dorvik_sim {
namespace {

// The longest the thread sleeps, so that the model's tick and a closed slave are seen in time.
constexpr int kTickMs = 2;
constexpr size_t kReadChunk = 4096;
constexpr size_t kUnpacedChunk = 4096;

// Every line alive, for AnyBehind.
std::mutex g_linesMutex;
std::set<const Line*> g_lines;

int Poll(pollfd* fds, nfds_t count, int timeoutMs) {
    for (;;) {
        const int r = ::poll(fds, count, timeoutMs);
        if (r >= 0 || errno != EINTR) return r;
    }
}

}  // namespace

Line::Line(std::unique_ptr<Model> model) : m_model(std::move(model)) {
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    char name[128] = {};
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 ||
        ::ptsname_r(m_master, name, sizeof name) != 0) {
        m_error = std::string("no pseudo-terminal: ") + std::strerror(errno);
        if (m_master >= 0) ::close(m_master);
        m_master = -1;
        return;
    }
    // A serial port starts raw; the program's own settings follow when it opens the port.
    termios t{};
    if (::tcgetattr(m_master, &t) == 0) {
        cfmakeraw(&t);
        t.c_cflag |= CLOCAL | CREAD;
        cfsetispeed(&t, B9600);
        cfsetospeed(&t, B9600);
        ::tcsetattr(m_master, TCSANOW, &t);
    }
    m_wake = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (m_wake < 0) {
        m_error = std::string("no eventfd: ") + std::strerror(errno);
        ::close(m_master);
        m_master = -1;
        return;
    }
    m_slavePath = name;
    m_ready = true;
    m_nextSend = Clock::now();
    m_thread = std::thread([this] { Run(); });
    std::lock_guard lines(g_linesMutex);
    g_lines.insert(this);
}

Line::Line(std::unique_ptr<Model> model, OverSocket)
    : m_overSocket(true), m_model(std::move(model)) {
    m_wake = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (m_wake < 0) {
        m_error = std::string("no eventfd: ") + std::strerror(errno);
        return;
    }
    m_ready = true;
    m_nextSend = Clock::now();
    m_thread = std::thread([this] { Run(); });
    std::lock_guard lines(g_linesMutex);
    g_lines.insert(this);
}

void Line::AttachSocket(int socket) {
    if (!m_overSocket || socket < 0) return;
    ::fcntl(socket, F_SETFL, ::fcntl(socket, F_GETFL) | O_NONBLOCK);
    {
        std::lock_guard lock(m_mutex);
        if (m_pendingSocket >= 0) ::close(m_pendingSocket);
        m_pendingSocket = socket;
    }
    Wake();
}

void Line::TakePendingSocket() {
    int old = -1;
    {
        std::lock_guard lock(m_mutex);
        if (m_pendingSocket < 0) return;
        old = m_master;
        m_master = m_pendingSocket;
        m_pendingSocket = -1;
        m_hungUp = false;
        m_hangUpAsked = false;
        m_slaveOpen = true;
        m_chunkLeft = 0;
    }
    if (old >= 0) ::close(old);
}

Line::~Line() {
    {
        std::lock_guard lines(g_linesMutex);
        g_lines.erase(this);
    }
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    if (m_thread.joinable()) {
        Wake();
        m_thread.join();
    }
    CloseMaster();
    if (m_pendingSocket >= 0) ::close(m_pendingSocket);
    if (m_busyFd >= 0) ::close(m_busyFd);
    if (m_wake >= 0) ::close(m_wake);
}

bool Line::AnyBehind() {
    std::lock_guard lines(g_linesMutex);
    return std::any_of(g_lines.begin(), g_lines.end(), [](const Line* l) { return l->IsBehind(); });
}

bool Line::IsBehind() const {
    // A little slack: the thread sleeps up to a tick between rounds.
    constexpr auto kSlack = std::chrono::milliseconds(kTickMs + 2);
    std::lock_guard lock(m_mutex);
    if (m_master < 0 || m_hungUp) return false;
    if (m_handling) return true;
    int unread = 0;
    if (m_reading && ::ioctl(m_master, FIONREAD, &unread) == 0 && unread > 0) return true;
    return !m_output.empty() && m_slaveOpen && Clock::now() > m_nextSend + kSlack;
}

void Line::Wake() {
    const uint64_t one = 1;
    if (m_wake >= 0) (void)!::write(m_wake, &one, sizeof one);
}

void Line::CloseMaster() {
    std::lock_guard lock(m_mutex);
    if (m_master >= 0) ::close(m_master);
    m_master = -1;
    m_slaveOpen = false;
}

DWORD Line::ProgramBaudRate() const {
    std::lock_guard lock(m_mutex);
    if (m_master < 0) return 0;
    termios t{};
    if (::tcgetattr(m_master, &t) != 0) return 0;
    return platform::BaudOfTermiosSpeed(cfgetospeed(&t));
}

std::vector<DWORD> Line::SeenBaudRates() const {
    std::lock_guard lock(m_mutex);
    return m_seenBauds;
}

bool Line::IsSlaveOpen() const {
    std::lock_guard lock(m_mutex);
    return m_slaveOpen;
}

std::vector<BYTE> Line::Received() const {
    std::lock_guard lock(m_mutex);
    return m_received;
}

std::vector<BYTE> Line::TakeReceived() {
    std::lock_guard lock(m_mutex);
    return std::exchange(m_received, {});
}

size_t Line::LostInput() const {
    std::lock_guard lock(m_mutex);
    return m_lostInput;
}

void Line::SetReading(bool reading) {
    {
        std::lock_guard lock(m_mutex);
        m_reading = reading;
    }
    Wake();
}

void Line::Send(const void* data, size_t size) {
    if (!data || size == 0) return;
    {
        std::lock_guard lock(m_mutex);
        const auto* bytes = static_cast<const BYTE*>(data);
        m_output.insert(m_output.end(), bytes, bytes + size);
    }
    Wake();
}

void Line::SetPacing(bool paced) {
    std::lock_guard lock(m_mutex);
    m_paced = paced;
}

void Line::SetByteRate(DWORD bytesPerSecond) {
    std::lock_guard lock(m_mutex);
    m_byteRate = bytesPerSecond;
}

void Line::SetChunks(std::vector<size_t> sizes, std::chrono::milliseconds gap) {
    sizes.erase(std::remove(sizes.begin(), sizes.end(), size_t(0)), sizes.end());
    std::lock_guard lock(m_mutex);
    m_chunkSizes = std::move(sizes);
    m_chunkGap = gap;
    m_chunkIndex = 0;
}

size_t Line::PendingOutput() const {
    std::lock_guard lock(m_mutex);
    return m_output.size();
}

size_t Line::SentOutput() const {
    std::lock_guard lock(m_mutex);
    return m_sent;
}

size_t Line::LostOutput() const {
    std::lock_guard lock(m_mutex);
    return m_lostOutput;
}

bool Line::HoldBusy(bool busy) {
    std::lock_guard lock(m_mutex);
    if (!busy) {
        if (m_busyFd >= 0) ::close(m_busyFd);
        m_busyFd = -1;
        return true;
    }
    if (m_busyFd >= 0) return true;
    if (m_slavePath.empty() || m_hungUp) return false;
    const int fd = ::open(m_slavePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_busyFd = fd;
    return true;
}

void Line::HangUp() {
    {
        std::lock_guard lock(m_mutex);
        if (m_master < 0) return;
    }
    RequestHangUp();
    WaitFor([this] { return IsHungUp(); }, std::chrono::seconds(30));
}

void Line::RequestHangUp() {
    {
        std::lock_guard lock(m_mutex);
        if (m_master < 0) return;
        m_hangUpAsked = true;
    }
    Wake();
}

bool Line::IsHungUp() const {
    std::lock_guard lock(m_mutex);
    return m_hungUp;
}

bool Line::WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const Clock::time_point deadline = Clock::now() + timeout;
    for (;;) {
        if (done()) return true;
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

Line::LineState Line::SampleLine() {
    LineState state;
    termios t{};
    if (m_overSocket || ::tcgetattr(m_master, &t) != 0) return state;
    state.baud = platform::BaudOfTermiosSpeed(cfgetospeed(&t));
    unsigned dataBits = 8;
    switch (t.c_cflag & CSIZE) {
        case CS5:
            dataBits = 5;
            break;
        case CS6:
            dataBits = 6;
            break;
        case CS7:
            dataBits = 7;
            break;
        default:
            break;
    }
    state.frameBits =
        1 + dataBits + ((t.c_cflag & PARENB) ? 1 : 0) + ((t.c_cflag & CSTOPB) ? 2 : 1);
    std::lock_guard lock(m_mutex);
    if (state.baud && (m_seenBauds.empty() || m_seenBauds.back() != state.baud))
        m_seenBauds.push_back(state.baud);
    return state;
}

void Line::ReadInput() {
    BYTE buffer[kReadChunk];
    struct Handling {
        Line& line;
        explicit Handling(Line& l) : line(l) { Set(true); }
        ~Handling() { Set(false); }
        void Set(bool on) {
            std::lock_guard lock(line.m_mutex);
            line.m_handling = on;
        }
    } handling(*this);
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (m_overSocket && (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK))) {
            // The program closed its end: this connection is over.
            CloseMaster();
            return;
        }
        if (n <= 0) return;  // nothing more, or EIO: the slave is closed
        // The rate once the bytes are in: the program sets its rate before it writes.
        const LineState state = SampleLine();
        std::lock_guard modelLock(m_modelMutex);
        const bool rateMatches = m_overSocket || state.baud == m_model->BaudRate();
        {
            std::lock_guard lock(m_mutex);
            if (rateMatches)
                m_received.insert(m_received.end(), buffer, buffer + n);
            else
                m_lostInput += static_cast<size_t>(n);
        }
        if (rateMatches) m_model->OnReceived(*this, buffer, static_cast<size_t>(n));
    }
}

int Line::OutputDueIn() const {
    if (m_output.empty()) return -1;
    const auto left = m_nextSend - Clock::now();
    if (left <= Clock::duration::zero()) return 0;
    return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

void Line::WriteOutput() {
    {
        std::lock_guard lock(m_mutex);
        if (m_output.empty()) return;
    }
    // A socket handed over before the output was queued is the one to hear it.
    if (m_overSocket) TakePendingSocket();
    // Looked at once the output is queued: the program set its rate and opened its port before
    // the test or the model queued what it is meant to hear.
    const LineState state = SampleLine();
    pollfd master{m_master, POLLOUT, 0};
    Poll(&master, 1, 0);
    const bool slaveOpen = m_overSocket ? m_master >= 0 && !(master.revents & (POLLHUP | POLLERR))
                                        : !(master.revents & POLLHUP);
    const bool writable = master.revents & POLLOUT;
    DWORD modelBaud = 0;
    {
        std::lock_guard modelLock(m_modelMutex);
        modelBaud = m_model->BaudRate();
    }
    std::lock_guard lock(m_mutex);
    if (m_output.empty()) return;
    if (!slaveOpen) {
        // Nobody listens: what the logger sends is gone.
        m_lostOutput += m_output.size();
        m_output.clear();
        m_chunkLeft = 0;
        return;
    }
    const Clock::time_point now = Clock::now();
    if (m_chunkLeft == 0) {
        if (now < m_nextSend) return;
        size_t size = m_output.size();
        const bool socketPaced = m_overSocket && m_paced && m_byteRate > 0;
        if (!m_chunkSizes.empty()) {
            size = m_chunkSizes[m_chunkIndex++ % m_chunkSizes.size()];
        } else if (socketPaced) {
            size = std::max<size_t>(1, size_t(m_byteRate) * kTickMs / 1000);
        } else if (m_paced && state.baud) {
            // About one tick's worth, so the bytes arrive spread as on a wire.
            size = std::max<size_t>(1, state.baud / state.frameBits * kTickMs / 1000);
        } else {
            size = kUnpacedChunk;
        }
        size = std::min(size, m_output.size());
        if (!m_overSocket && state.baud != modelBaud) {
            m_lostOutput += size;
            m_output.erase(m_output.begin(), m_output.begin() + static_cast<ptrdiff_t>(size));
        } else {
            m_chunkLeft = size;
        }
        auto wait = std::chrono::duration_cast<Clock::duration>(m_chunkGap);
        if (socketPaced)
            wait += std::chrono::duration_cast<Clock::duration>(
                std::chrono::duration<double>(double(size) / m_byteRate));
        else if (!m_overSocket && m_paced && state.baud)
            wait += std::chrono::duration_cast<Clock::duration>(
                std::chrono::duration<double>(double(size) * state.frameBits / state.baud));
        m_nextSend = std::max(m_nextSend, now) + wait;
        if (m_chunkLeft == 0) return;
    }
    if (!writable) return;
    const ssize_t n =
        m_overSocket ? ::send(m_master, m_output.data(), m_chunkLeft, MSG_NOSIGNAL | MSG_DONTWAIT)
                     : ::write(m_master, m_output.data(), m_chunkLeft);
    if (n <= 0) return;  // the program's input queue is full; try again later
    m_output.erase(m_output.begin(), m_output.begin() + n);
    m_chunkLeft -= static_cast<size_t>(n);
    m_sent += static_cast<size_t>(n);
}

void Line::Run() {
    for (;;) {
        TakePendingSocket();
        {
            std::unique_lock lock(m_mutex);
            if (m_stop) return;
            if (m_hangUpAsked) {
                if (m_busyFd >= 0) ::close(m_busyFd);
                m_busyFd = -1;
                lock.unlock();
                CloseMaster();
                lock.lock();
                m_hungUp = true;
                m_hangUpAsked = false;
            }
        }
        if (IsHungUp()) {
            pollfd wake{m_wake, POLLIN, 0};
            Poll(&wake, 1, 50);
            uint64_t count = 0;
            (void)!::read(m_wake, &count, sizeof count);
            continue;
        }

        SampleLine();  // keeps the rates seen, also while nothing moves
        bool reading = false;
        {
            std::lock_guard lock(m_mutex);
            reading = m_reading;
        }
        pollfd now{m_master, short(POLLOUT | (reading ? POLLIN : 0)), 0};
        Poll(&now, 1, 0);
        // A closed slave shows as a hang-up on the master until it is opened again. A socket
        // without one, or whose peer is gone, has nobody listening.
        const bool slaveOpen = m_overSocket ? m_master >= 0 && !(now.revents & POLLERR)
                                            : !(now.revents & POLLHUP) || (now.revents & POLLIN);
        {
            std::lock_guard lock(m_mutex);
            m_slaveOpen = slaveOpen || m_busyFd >= 0;
        }
        if (reading && (now.revents & POLLIN)) ReadInput();
        WriteOutput();
        {
            std::lock_guard modelLock(m_modelMutex);
            m_model->OnTick(*this);
        }

        int dueIn = -1;
        {
            std::lock_guard lock(m_mutex);
            dueIn = OutputDueIn();
        }
        pollfd fds[2] = {{m_wake, POLLIN, 0}, {-1, 0, 0}};
        if (slaveOpen) {
            short events = reading ? POLLIN : 0;
            if (dueIn == 0) events |= POLLOUT;
            if (events) fds[1] = {m_master, events, 0};
        }
        int timeout = kTickMs;
        if (dueIn > 0 && dueIn < timeout) timeout = dueIn;
        if (dueIn == 0 && !(fds[1].events & POLLOUT)) timeout = 0;
        Poll(fds, 2, timeout);
        if (fds[0].revents & POLLIN) {
            uint64_t count = 0;
            (void)!::read(m_wake, &count, sizeof count);
        }
    }
}

}  // namespace dorvik_sim
