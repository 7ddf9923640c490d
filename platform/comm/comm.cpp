#include "platform/comm/comm.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/bt/bluez_driver.h"
#include "platform/comm/device_io.h"
#include "platform/comm/port_list.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Device {
    int fd = -1;
    std::shared_ptr<platform::DeviceHandle> io;  // a named device instead of a port
    bool terminal = false;                       // a hung-up terminal no longer answers isatty
    COMMTIMEOUTS timeouts;
    DWORD eventMask = 0;
    // termios keeps no DTR and RTS control; GetCommState reports what was last set.
    DWORD dtrControl = DTR_CONTROL_ENABLE;
    DWORD rtsControl = RTS_CONTROL_ENABLE;
    WORD xonLimit = 2048;
    WORD xoffLimit = 512;

    ~Device() {
        if (fd >= 0) ::close(fd);  // also drops the lock
    }
};

// Handles are numbers that are never reused, so a stale handle finds nothing.
class HandleTable {
public:
    HANDLE Add(std::shared_ptr<Device> device) {
        std::lock_guard lock(m_mutex);
        const std::intptr_t id = m_next++;
        m_devices[id] = std::move(device);
        return reinterpret_cast<HANDLE>(id);
    }
    std::shared_ptr<Device> Find(HANDLE handle) {
        std::lock_guard lock(m_mutex);
        const auto it = m_devices.find(reinterpret_cast<std::intptr_t>(handle));
        return it == m_devices.end() ? nullptr : it->second;
    }
    std::shared_ptr<Device> Remove(HANDLE handle) {
        std::lock_guard lock(m_mutex);
        const auto it = m_devices.find(reinterpret_cast<std::intptr_t>(handle));
        if (it == m_devices.end()) return nullptr;
        std::shared_ptr<Device> device = std::move(it->second);
        m_devices.erase(it);
        return device;
    }

private:
    std::mutex m_mutex;
    std::intptr_t m_next = 0x1000;
    std::map<std::intptr_t, std::shared_ptr<Device>> m_devices;
};

HandleTable& Handles() {
    static HandleTable table;
    return table;
}

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

bool IsGoneErrno(int e) {
    return e == EIO || e == ENXIO || e == ENODEV;
}

// The Windows code of a failed call on an open device.
DWORD ErrorOfErrno(int e) {
    if (IsGoneErrno(e)) return ERROR_DEVICE_REMOVED;
    switch (e) {
        case ENOTTY:
            return ERROR_INVALID_FUNCTION;
        case EBADF:
            return ERROR_INVALID_HANDLE;
        case EINVAL:
            return ERROR_INVALID_PARAMETER;
        case EACCES:
        case EPERM:
            return ERROR_ACCESS_DENIED;
        case EAGAIN:
        case ETIMEDOUT:
            return ERROR_TIMEOUT;
        default:
            return ERROR_GEN_FAILURE;
    }
}

// A device that is not there, one that another program holds (a terminal's exclusive mode answers
// EBUSY) and one this user may not open are three different things to tell the user.
DWORD ErrorOfOpenErrno(int e) {
    switch (e) {
        case ENOENT:
        case ENXIO:
        case ENODEV:
        case EIO:
            return ERROR_FILE_NOT_FOUND;
        case EBUSY:
            return ERROR_ACCESS_DENIED;
        case EACCES:
        case EPERM:
            return ERROR_PRIVILEGE_NOT_HELD;
        default:
            return ErrorOfErrno(e);
    }
}

BOOL FailErrno() {
    return Fail(ErrorOfErrno(errno));
}

// The port of a handle, or null with ERROR_INVALID_HANDLE set (ERROR_INVALID_FUNCTION for a named
// device).
std::shared_ptr<Device> Lookup(HANDLE handle) {
    std::shared_ptr<Device> device = Handles().Find(handle);
    if (!device) {
        SetLastError(ERROR_INVALID_HANDLE);
    } else if (device->io) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return nullptr;
    }
    return device;
}

class DeviceRegistry {
public:
    void Set(const std::string& name, platform::DeviceOpener opener) {
        std::lock_guard lock(m_mutex);
        if (opener)
            m_openers[name] = std::move(opener);
        else
            m_openers.erase(name);
    }
    platform::DeviceOpener Get(const std::string& name) {
        std::lock_guard lock(m_mutex);
        const auto it = m_openers.find(name);
        if (it != m_openers.end()) return it->second;
        if (name == "BTKRNL") return platform::bt::OpenBlueZDevice;
        return {};
    }

private:
    std::mutex m_mutex;
    std::map<std::string, platform::DeviceOpener> m_openers;
};

DeviceRegistry& Devices() {
    static DeviceRegistry registry;
    return registry;
}

std::string UpperCase(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return s;
}

// The opener of "\\.\NAME", or an empty one.
platform::DeviceOpener OpenerOfName(const char* name) {
    if (!name || std::strncmp(name, "\\\\.\\", 4) != 0) return {};
    return Devices().Get(UpperCase(name + 4));
}

// The COM number of "\\.\COM<n>" or "COM<n>", or 0.
int ComNumberOfName(const char* name) {
    if (!name) return 0;
    std::string s(name);
    if (s.compare(0, 4, "\\\\.\\") == 0) s.erase(0, 4);
    if (s.size() < 4 || s.size() > 6 || strncasecmp(s.c_str(), "COM", 3) != 0) return 0;
    int n = 0;
    for (size_t i = 3; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9') return 0;
        n = n * 10 + (s[i] - '0');
    }
    return n >= 1 && n <= platform::kMaxComNumber ? n : 0;
}

struct SpeedEntry {
    speed_t code;
    DWORD baud;
};
constexpr SpeedEntry kSpeeds[] = {
    {B50, 50},           {B75, 75},           {B110, 110},         {B134, 134},
    {B150, 150},         {B200, 200},         {B300, 300},         {B600, 600},
    {B1200, 1200},       {B1800, 1800},       {B2400, 2400},       {B4800, 4800},
    {B9600, 9600},       {B19200, 19200},     {B38400, 38400},     {B57600, 57600},
    {B115200, 115200},   {B230400, 230400},   {B460800, 460800},   {B500000, 500000},
    {B576000, 576000},   {B921600, 921600},   {B1000000, 1000000}, {B1152000, 1152000},
    {B1500000, 1500000}, {B2000000, 2000000}, {B2500000, 2500000}, {B3000000, 3000000},
    {B3500000, 3500000}, {B4000000, 4000000},
};

std::optional<speed_t> SpeedOfBaud(DWORD baud) {
    for (const SpeedEntry& s : kSpeeds)
        if (s.baud == baud) return s.code;
    return std::nullopt;
}

// Milliseconds left until `deadline`, rounded up, for poll.
int MillisecondsUntil(Clock::time_point deadline) {
    const auto left = deadline - Clock::now();
    if (left <= Clock::duration::zero()) return 0;
    return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

// Waits for `events`; returns the revents, 0 on a time-out, -1 on a failed poll (errno set).
int WaitFor(int fd, short events, int timeoutMs) {
    for (;;) {
        pollfd p{fd, events, 0};
        const int r = ::poll(&p, 1, timeoutMs);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return r;
        return p.revents;
    }
}

// Raises or lowers modem lines; a device without them (a pseudo-terminal) is left alone.
bool SetModemLines(int fd, int lines, bool on, bool ignoreMissing) {
    if (::ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &lines) == 0) return true;
    return ignoreMissing && (errno == ENOTTY || errno == EINVAL);
}

}  // namespace

HANDLE CreateFile(LPCSTR name, DWORD access, DWORD /*shareMode*/, void* /*security*/,
                  DWORD disposition, DWORD flags, HANDLE /*templateFile*/) {
    constexpr DWORD kOverlapped = 0x40000000;
    if (flags & kOverlapped) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return INVALID_HANDLE_VALUE;
    }
    if (platform::DeviceOpener opener = OpenerOfName(name)) {
        if (disposition != OPEN_EXISTING) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
        std::unique_ptr<platform::DeviceHandle> io = opener();
        if (!io) return INVALID_HANDLE_VALUE;
        auto device = std::make_shared<Device>();
        device->io = std::move(io);
        return Handles().Add(std::move(device));
    }
    const int com = ComNumberOfName(name);
    const CString path = com ? platform::ComPortDevice(com) : CString();
    if (path.IsEmpty() || disposition != OPEN_EXISTING) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    int mode = O_RDONLY;
    if ((access & GENERIC_READ) && (access & GENERIC_WRITE))
        mode = O_RDWR;
    else if (access & GENERIC_WRITE)
        mode = O_WRONLY;
    auto device = std::make_shared<Device>();
    device->fd = ::open(path.GetString(), mode | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (device->fd < 0) {
        SetLastError(ErrorOfOpenErrno(errno));
        return INVALID_HANDLE_VALUE;
    }
    device->terminal = ::isatty(device->fd);
    if (::flock(device->fd, LOCK_EX | LOCK_NB) != 0) {
        SetLastError(errno == EWOULDBLOCK ? ERROR_ACCESS_DENIED : ErrorOfErrno(errno));
        return INVALID_HANDLE_VALUE;
    }
    return Handles().Add(std::move(device));
}

BOOL CloseHandle(HANDLE handle) {
    if (!Handles().Remove(handle)) return Fail(ERROR_INVALID_HANDLE);
    return TRUE;
}

void platform::RegisterDevice(const char* name, DeviceOpener opener) {
    Devices().Set(UpperCase(name ? name : ""), std::move(opener));
}

BOOL DeviceIoControl(HANDLE handle, DWORD code, const void* in, DWORD inSize, void* out,
                     DWORD outSize, DWORD* returned, void* overlapped) {
    if (returned) *returned = 0;
    const std::shared_ptr<Device> device = Handles().Find(handle);
    if (!device) return Fail(ERROR_INVALID_HANDLE);
    if (!device->io) return Fail(ERROR_INVALID_FUNCTION);
    if (overlapped || (!in && inSize) || (!out && outSize)) return Fail(ERROR_INVALID_PARAMETER);
    DWORD count = 0;
    // The handle's object outlives the call even when another thread closes the handle.
    const std::shared_ptr<platform::DeviceHandle> io = device->io;
    if (!io->Control(code, in, inSize, out, outSize, &count)) return FALSE;
    if (returned) *returned = count;
    return TRUE;
}

BOOL ReadFile(HANDLE handle, void* buffer, DWORD toRead, DWORD* read, void* overlapped) {
    if (read) *read = 0;
    const std::shared_ptr<Device> device = Lookup(handle);
    if (!device) return FALSE;
    if (overlapped || (!buffer && toRead)) return Fail(ERROR_INVALID_PARAMETER);
    const COMMTIMEOUTS t = device->timeouts;
    const bool immediate = t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == 0 &&
                           t.ReadTotalTimeoutConstant == 0;
    const ULONGLONG totalMs =
        ULONGLONG(t.ReadTotalTimeoutMultiplier) * toRead + t.ReadTotalTimeoutConstant;
    const bool intervalLimit = t.ReadIntervalTimeout != 0 && t.ReadIntervalTimeout != MAXDWORD;
    const Clock::time_point start = Clock::now();
    Clock::time_point lastByte = start;
    auto* out = static_cast<BYTE*>(buffer);
    DWORD got = 0;
    // Bytes already read are handed over; the failure shows on the next call.
    auto gone = [&]() -> BOOL {
        if (got) return TRUE;
        return Fail(ERROR_DEVICE_REMOVED);
    };
    while (got < toRead) {
        const ssize_t r = ::read(device->fd, out + got, toRead - got);
        if (r > 0) {
            got += static_cast<DWORD>(r);
            lastByte = Clock::now();
            continue;
        }
        if (r == 0) {
            // A terminal in raw, non-blocking mode reads 0 only once it was hung up.
            if (device->terminal) return gone();
            break;
        }
        if (errno == EINTR) continue;
        if (IsGoneErrno(errno)) return gone();
        if (errno != EAGAIN) {
            if (got) break;
            return FailErrno();
        }
        if (immediate) break;
        int waitMs = -1;
        if (totalMs) {
            waitMs = MillisecondsUntil(start + std::chrono::milliseconds(totalMs));
            if (waitMs == 0) break;
        }
        if (intervalLimit && got) {
            const int intervalMs =
                MillisecondsUntil(lastByte + std::chrono::milliseconds(t.ReadIntervalTimeout));
            if (intervalMs == 0) break;
            if (waitMs < 0 || intervalMs < waitMs) waitMs = intervalMs;
        }
        const int revents = WaitFor(device->fd, POLLIN, waitMs);
        if (revents < 0) return FailErrno();
        if ((revents & (POLLHUP | POLLERR)) && !(revents & POLLIN)) return gone();
    }
    if (read) *read = got;
    return TRUE;
}

BOOL WriteFile(HANDLE handle, const void* buffer, DWORD toWrite, DWORD* written, void* overlapped) {
    if (written) *written = 0;
    const std::shared_ptr<Device> device = Lookup(handle);
    if (!device) return FALSE;
    if (overlapped || (!buffer && toWrite)) return Fail(ERROR_INVALID_PARAMETER);
    const COMMTIMEOUTS t = device->timeouts;
    const ULONGLONG totalMs =
        ULONGLONG(t.WriteTotalTimeoutMultiplier) * toWrite + t.WriteTotalTimeoutConstant;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(totalMs);
    const auto* in = static_cast<const BYTE*>(buffer);
    DWORD sent = 0;
    while (sent < toWrite) {
        const ssize_t r = ::write(device->fd, in + sent, toWrite - sent);
        if (r > 0) {
            sent += static_cast<DWORD>(r);
            continue;
        }
        if (r < 0 && errno == EINTR) continue;
        if (r < 0 && errno != EAGAIN) {
            if (written) *written = sent;
            return FailErrno();
        }
        int waitMs = -1;
        if (totalMs) {
            waitMs = MillisecondsUntil(deadline);
            if (waitMs == 0) break;
        }
        const int revents = WaitFor(device->fd, POLLOUT, waitMs);
        if (revents < 0) return FailErrno();
        if ((revents & POLLHUP) && !(revents & POLLOUT)) {
            if (written) *written = sent;
            return Fail(ERROR_DEVICE_REMOVED);
        }
    }
    if (written) *written = sent;
    return TRUE;
}

BOOL GetCommState(HANDLE handle, DCB* dcb) {
    const std::shared_ptr<Device> device = Lookup(handle);
    if (!device) return FALSE;
    if (!dcb) return Fail(ERROR_INVALID_PARAMETER);
    termios t{};
    if (::tcgetattr(device->fd, &t) != 0) return FailErrno();
    DCB d;
    d.BaudRate = platform::BaudOfTermiosSpeed(cfgetospeed(&t));
    switch (t.c_cflag & CSIZE) {
        case CS5:
            d.ByteSize = 5;
            break;
        case CS6:
            d.ByteSize = 6;
            break;
        case CS7:
            d.ByteSize = 7;
            break;
        default:
            d.ByteSize = 8;
            break;
    }
    if (!(t.c_cflag & PARENB))
        d.Parity = NOPARITY;
    else if (t.c_cflag & CMSPAR)
        d.Parity = (t.c_cflag & PARODD) ? MARKPARITY : SPACEPARITY;
    else
        d.Parity = (t.c_cflag & PARODD) ? ODDPARITY : EVENPARITY;
    d.StopBits = (t.c_cflag & CSTOPB) ? TWOSTOPBITS : ONESTOPBIT;
    d.fParity = (t.c_iflag & INPCK) ? 1 : 0;
    d.fOutxCtsFlow = (t.c_cflag & CRTSCTS) ? 1 : 0;
    d.fOutX = (t.c_iflag & IXON) ? 1 : 0;
    d.fInX = (t.c_iflag & IXOFF) ? 1 : 0;
    d.fDtrControl = device->dtrControl;
    d.fRtsControl = (t.c_cflag & CRTSCTS) ? RTS_CONTROL_HANDSHAKE : device->rtsControl;
    d.XonLim = device->xonLimit;
    d.XoffLim = device->xoffLimit;
    d.XonChar = static_cast<char>(t.c_cc[VSTART]);
    d.XoffChar = static_cast<char>(t.c_cc[VSTOP]);
    *dcb = d;
    return TRUE;
}

BOOL SetCommState(HANDLE handle, const DCB* dcb) {
    const std::shared_ptr<Device> device = Lookup(handle);
    if (!device) return FALSE;
    if (!dcb) return Fail(ERROR_INVALID_PARAMETER);
    const std::optional<speed_t> speed = SpeedOfBaud(dcb->BaudRate);
    if (!speed || dcb->ByteSize < 5 || dcb->ByteSize > 8 || dcb->Parity > SPACEPARITY ||
        dcb->StopBits > TWOSTOPBITS)
        return Fail(ERROR_INVALID_PARAMETER);
    if (dcb->fOutxDsrFlow || dcb->fDsrSensitivity || dcb->fDtrControl == DTR_CONTROL_HANDSHAKE ||
        dcb->fRtsControl == RTS_CONTROL_TOGGLE)
        return Fail(ERROR_NOT_SUPPORTED);
    termios old{};
    if (::tcgetattr(device->fd, &old) != 0) return FailErrno();
    termios t = old;
    t.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF |
                   IXANY | INPCK | IGNPAR);
    t.c_iflag |= dcb->fParity ? INPCK : IGNPAR;
    if (dcb->fOutX) t.c_iflag |= IXON;
    if (dcb->fInX) t.c_iflag |= IXOFF;
    t.c_oflag &= ~OPOST;
    t.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    t.c_cflag |= CREAD | CLOCAL | kSizes[dcb->ByteSize - 5];
    switch (dcb->Parity) {
        case ODDPARITY:
            t.c_cflag |= PARENB | PARODD;
            break;
        case EVENPARITY:
            t.c_cflag |= PARENB;
            break;
        case MARKPARITY:
            t.c_cflag |= PARENB | CMSPAR | PARODD;
            break;
        case SPACEPARITY:
            t.c_cflag |= PARENB | CMSPAR;
            break;
        default:
            break;
    }
    if (dcb->StopBits != ONESTOPBIT) t.c_cflag |= CSTOPB;
    if (dcb->fOutxCtsFlow || dcb->fRtsControl == RTS_CONTROL_HANDSHAKE) t.c_cflag |= CRTSCTS;
    if (dcb->XonChar) t.c_cc[VSTART] = static_cast<cc_t>(dcb->XonChar);
    if (dcb->XoffChar) t.c_cc[VSTOP] = static_cast<cc_t>(dcb->XoffChar);
    // With VMIN 1 a non-blocking read of nothing fails with EAGAIN, so that a read of 0 bytes
    // means a hang-up.
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    cfsetispeed(&t, *speed);
    cfsetospeed(&t, *speed);
    if (::tcsetattr(device->fd, TCSANOW, &t) != 0) return FailErrno();
    // tcsetattr succeeds when any part was taken; what the driver refused (a rate, or the byte
    // size and parity on a pseudo-terminal) shows on reading back.
    termios check{};
    if (::tcgetattr(device->fd, &check) != 0) return FailErrno();
    constexpr tcflag_t kFraming = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB;
    if (cfgetospeed(&check) != *speed || (check.c_cflag & kFraming) != (t.c_cflag & kFraming)) {
        ::tcsetattr(device->fd, TCSANOW, &old);
        return Fail(ERROR_INVALID_PARAMETER);
    }
    if (!SetModemLines(device->fd, TIOCM_DTR, dcb->fDtrControl == DTR_CONTROL_ENABLE, true))
        return FailErrno();
    if (dcb->fRtsControl != RTS_CONTROL_HANDSHAKE &&
        !SetModemLines(device->fd, TIOCM_RTS, dcb->fRtsControl == RTS_CONTROL_ENABLE, true))
        return FailErrno();
    device->dtrControl = dcb->fDtrControl;
    if (dcb->fRtsControl != RTS_CONTROL_HANDSHAKE) device->rtsControl = dcb->fRtsControl;
    device->xonLimit = dcb->XonLim;
    device->xoffLimit = dcb->XoffLim;
    return TRUE;
}

namespace {
// The comm calls that only keep values refuse a device that is no terminal, as Windows does.
std::shared_ptr<Device> LookupTerminal(HANDLE handle) {
    std::shared_ptr<Device> device = Lookup(handle);
    if (!device) return nullptr;
    termios t{};
    if (::tcgetattr(device->fd, &t) != 0) {
        FailErrno();
        return nullptr;
    }
    return device;
}
}  // namespace

BOOL GetCommTimeouts(HANDLE handle, COMMTIMEOUTS* timeouts) {
    const std::shared_ptr<Device> device = LookupTerminal(handle);
    if (!device) return FALSE;
    if (!timeouts) return Fail(ERROR_INVALID_PARAMETER);
    *timeouts = device->timeouts;
    return TRUE;
}

BOOL SetCommTimeouts(HANDLE handle, const COMMTIMEOUTS* timeouts) {
    const std::shared_ptr<Device> device = LookupTerminal(handle);
    if (!device) return FALSE;
    if (!timeouts) return Fail(ERROR_INVALID_PARAMETER);
    device->timeouts = *timeouts;
    return TRUE;
}

BOOL SetCommMask(HANDLE handle, DWORD mask) {
    const std::shared_ptr<Device> device = LookupTerminal(handle);
    if (!device) return FALSE;
    device->eventMask = mask;
    return TRUE;
}

BOOL GetCommMask(HANDLE handle, DWORD* mask) {
    const std::shared_ptr<Device> device = LookupTerminal(handle);
    if (!device) return FALSE;
    if (!mask) return Fail(ERROR_INVALID_PARAMETER);
    *mask = device->eventMask;
    return TRUE;
}

BOOL PurgeComm(HANDLE handle, DWORD flags) {
    const std::shared_ptr<Device> device = Lookup(handle);
    if (!device) return FALSE;
    const bool rx = flags & PURGE_RXCLEAR;
    const bool tx = flags & PURGE_TXCLEAR;
    // Nothing is ever pending asynchronously, so the abort flags have nothing to abort.
    if (!rx && !tx) return TRUE;
    if (::tcflush(device->fd, rx && tx ? TCIOFLUSH : rx ? TCIFLUSH : TCOFLUSH) != 0)
        return FailErrno();
    return TRUE;
}

BOOL ClearCommError(HANDLE handle, DWORD* errors, COMSTAT* status) {
    if (errors) *errors = 0;
    const std::shared_ptr<Device> device = Lookup(handle);
    if (!device) return FALSE;
    if (!device->terminal) return Fail(ERROR_INVALID_FUNCTION);
    int in = 0;
    if (::ioctl(device->fd, TIOCINQ, &in) != 0) return FailErrno();
    int out = 0;
    if (::ioctl(device->fd, TIOCOUTQ, &out) != 0) out = 0;
    // A hung-up device may still answer the queue query; the poll tells.
    const int revents = WaitFor(device->fd, POLLIN, 0);
    if (revents > 0 && (revents & POLLHUP) && in == 0) return Fail(ERROR_DEVICE_REMOVED);
    if (status) {
        *status = COMSTAT();
        status->cbInQue = static_cast<DWORD>(in > 0 ? in : 0);
        status->cbOutQue = static_cast<DWORD>(out > 0 ? out : 0);
    }
    return TRUE;
}

BOOL EscapeCommFunction(HANDLE handle, DWORD function) {
    const std::shared_ptr<Device> device = Lookup(handle);
    if (!device) return FALSE;
    bool ok = false;
    switch (function) {
        case SETXOFF:
            ok = ::tcflow(device->fd, TCOOFF) == 0;
            break;
        case SETXON:
            ok = ::tcflow(device->fd, TCOON) == 0;
            break;
        case SETRTS:
        case CLRRTS:
            ok = SetModemLines(device->fd, TIOCM_RTS, function == SETRTS, false);
            break;
        case SETDTR:
        case CLRDTR:
            ok = SetModemLines(device->fd, TIOCM_DTR, function == SETDTR, false);
            break;
        case SETBREAK:
            ok = ::ioctl(device->fd, TIOCSBRK) == 0;
            break;
        case CLRBREAK:
            ok = ::ioctl(device->fd, TIOCCBRK) == 0;
            break;
        default:
            return Fail(ERROR_INVALID_PARAMETER);
    }
    return ok ? TRUE : FailErrno();
}

BOOL SetCommBreak(HANDLE handle) {
    return EscapeCommFunction(handle, SETBREAK);
}
BOOL ClearCommBreak(HANDLE handle) {
    return EscapeCommFunction(handle, CLRBREAK);
}

BOOL GetCommModemStatus(HANDLE handle, DWORD* status) {
    const std::shared_ptr<Device> device = Lookup(handle);
    if (!device) return FALSE;
    if (!status) return Fail(ERROR_INVALID_PARAMETER);
    int lines = 0;
    if (::ioctl(device->fd, TIOCMGET, &lines) != 0) return FailErrno();
    DWORD s = 0;
    if (lines & TIOCM_CTS) s |= MS_CTS_ON;
    if (lines & TIOCM_DSR) s |= MS_DSR_ON;
    if (lines & TIOCM_RI) s |= MS_RING_ON;
    if (lines & TIOCM_CD) s |= MS_RLSD_ON;
    *status = s;
    return TRUE;
}

namespace platform {

DWORD BaudOfTermiosSpeed(unsigned speed) {
    for (const SpeedEntry& s : kSpeeds)
        if (s.code == speed) return s.baud;
    return 0;
}

}  // namespace platform
