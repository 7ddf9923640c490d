#include "platform/bt/bluez_driver.h"

#include <bluetooth/bluetooth.h>
#include <bluetooth/hci.h>
#include <bluetooth/hci_lib.h>
#include <bluetooth/rfcomm.h>
#include <bluetooth/sdp.h>
#include <bluetooth/sdp_lib.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>

#include "platform/base/errors.h"
#include "platform/base/log.h"

namespace platform::bt {

namespace {

using Clock = std::chrono::steady_clock;

constexpr WORD kMaxPorts = 20;
constexpr BYTE kMaxScn = 30;
constexpr int kMaxSecurityIndex = 255;
// Received bytes the driver holds for a port before it stops reading the socket.
constexpr size_t kReceiveLimit = 64 * 1024;

constexpr DWORD kRxChar = 0x0001;
constexpr DWORD kConnected = 0x0200;
constexpr DWORD kConnectError = 0x8000;

int Remaining(Clock::time_point deadline) {
    const auto left = deadline - Clock::now();
    if (left <= Clock::duration::zero()) return 0;
    return int(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

bool Fail(DWORD error) {
    SetLastError(error);
    return false;
}

struct Port {
    enum class State { Waiting, Connecting, Connected, Dead };

    Address address{};  // settings' order
    Address bdaddr{};   // the same, as BlueZ holds it
    BYTE scn = 0;
    bool lookUp = false;  // ask the remote for its channel
    int security = BT_SECURITY_LOW;
    // The rest under the driver's lock.
    State state = State::Waiting;
    DWORD mask = 0;
    bool maskSet = false;
    bool closed = false;
    bool rxReported = true;  // RXCHAR went out for what is in `rx`
    std::deque<BYTE> rx;
    int fd = -1;
    int abortPipe[2] = {-1, -1};  // readable once the port is closed
    std::mutex writeMutex;

    Port() {
        if (::pipe2(abortPipe, O_CLOEXEC | O_NONBLOCK) != 0) abortPipe[0] = abortPipe[1] = -1;
    }
    ~Port() {
        for (int f : {fd, abortPipe[0], abortPipe[1]})
            if (f >= 0) ::close(f);
    }
    void Abort() {
        if (abortPipe[1] >= 0) {
            const BYTE b = 1;
            [[maybe_unused]] ssize_t r = ::write(abortPipe[1], &b, 1);
        }
    }
};

class Driver {
public:
    static Driver& Instance() {
        static Driver driver;
        return driver;
    }

    void SetFactory(std::shared_ptr<SocketFactory> factory) {
        std::lock_guard lock(m_mutex);
        m_factory = factory ? std::move(factory) : MakeRfcommSocketFactory();
    }
    std::shared_ptr<SocketFactory> Factory() {
        std::lock_guard lock(m_mutex);
        if (!m_factory) m_factory = MakeRfcommSocketFactory();
        return m_factory;
    }

    bool Control(DWORD code, const BYTE* in, DWORD inSize, BYTE* out, DWORD outSize,
                 DWORD* returned) {
        *returned = 0;
        if ((code >> 16) != kDeviceType || (code & 3) != 0) return Fail(ERROR_INVALID_FUNCTION);
        switch ((code >> 2) & 0xFFF) {
            case IOCTL_GET_VERSION:
                if (outSize < 4) return Fail(ERROR_INVALID_PARAMETER);
                PutDword(out, kDriverVersion);
                *returned = 4;
                return true;
            case IOCTL_PORT_OPEN:
                return Open(in, inSize, out, outSize, returned);
            case IOCTL_PORT_EVENT_MASK:
                return SetMask(in, inSize);
            case IOCTL_PORT_CLOSE:
                return Close(in, inSize);
            case IOCTL_PORT_CHECK_CONNECTION:
                return CheckConnection(in, inSize, out, outSize, returned);
            case IOCTL_PORT_READ:
                return Read(in, inSize, out, outSize, returned);
            case IOCTL_PORT_WRITE:
                return Write(in, inSize, out, outSize, returned);
            case BTKRNL_IOCTL_PORT_RESULT:
                return Result(in, inSize, out, outSize, returned);
            case IOCTL_RFCOMM_ALLOCATE_SCN:
                return AllocateScn(inSize, out, outSize, returned);
            case IOCTL_RFCOMM_FREE_SCN:
                return FreeScn(in, inSize);
            case IOCTL_BTM_ALLOCATE_SECURITY_INDEX:
                return AllocateSecurityIndex(inSize, out, outSize, returned);
            case IOCTL_BTM_SET_SECURITY_LEVEL:
                return SetSecurityLevel(in, inSize, out, outSize, returned);
            case IOCTL_BTM_RELEASE_SECURITY_INDEX:
                return ReleaseSecurityIndex(in, inSize);
            default:
                return Fail(ERROR_INVALID_FUNCTION);
        }
    }

private:
    struct SecurityRecord {
        bool used = false;
        std::map<BYTE, WORD> levelOfScn;
    };

    std::shared_ptr<Port> Find(const BYTE* in, DWORD inSize) {
        if (inSize < 2) return nullptr;
        const WORD handle = Word(in);
        if (handle == 0 || handle > kMaxPorts) return nullptr;
        return m_ports[handle];
    }

    bool Open(const BYTE* in, DWORD inSize, BYTE* out, DWORD outSize, DWORD* returned) {
        if (inSize != 53 || outSize < 4) return Fail(ERROR_INVALID_PARAMETER);
        std::lock_guard lock(m_mutex);
        WORD result = 0, handle = 0;
        if (in[44] != 0) {
            result = 1;  // only clients are made here
        } else {
            for (WORD h = 1; h <= kMaxPorts && !handle; ++h)
                if (!m_ports[h]) handle = h;
            if (!handle) result = 1;
        }
        if (handle) {
            auto port = std::make_shared<Port>();
            std::memcpy(port->address.data(), in + 47, 6);
            port->bdaddr = ReverseAddress(port->address);
            port->scn = in[42];
            // A channel handed out here is a local one: the remote's must be asked for.
            port->lookUp = port->scn == 0 || (port->scn <= kMaxScn && m_scnUsed[port->scn]);
            port->security = SecurityOf(port->scn);
            m_ports[handle] = std::move(port);
        }
        PutWord(out, result);
        PutWord(out + 2, handle);
        *returned = 4;
        return true;
    }

    // Level 0 is BT_SECURITY_LOW.
    int SecurityOf(BYTE scn) const {
        int level = -1;
        for (const SecurityRecord& r : m_security) {
            const auto it = r.levelOfScn.find(scn);
            if (r.used && it != r.levelOfScn.end()) level = std::max(level, int(it->second));
        }
        if (level <= 0) return BT_SECURITY_LOW;
        return level == 1 ? BT_SECURITY_MEDIUM : BT_SECURITY_HIGH;
    }

    bool SetMask(const BYTE* in, DWORD inSize) {
        if (inSize != 6) return Fail(ERROR_INVALID_PARAMETER);
        std::lock_guard lock(m_mutex);
        const std::shared_ptr<Port> port = Find(in, inSize);
        if (!port) return Fail(ERROR_INVALID_HANDLE);
        port->mask = Dword(in + 2);
        port->maskSet = true;
        m_changed.notify_all();
        return true;
    }

    bool Close(const BYTE* in, DWORD inSize) {
        if (inSize != 2) return Fail(ERROR_INVALID_PARAMETER);
        std::lock_guard lock(m_mutex);
        std::shared_ptr<Port> port = Find(in, inSize);
        if (!port) return Fail(ERROR_INVALID_HANDLE);
        port->closed = true;
        port->Abort();
        m_ports[Word(in)].reset();
        m_changed.notify_all();
        return true;
    }

    bool CheckConnection(const BYTE* in, DWORD inSize, BYTE* out, DWORD outSize, DWORD* returned) {
        if (inSize != 2 || outSize < 10) return Fail(ERROR_INVALID_PARAMETER);
        std::lock_guard lock(m_mutex);
        const std::shared_ptr<Port> port = Find(in, inSize);
        if (!port) return Fail(ERROR_INVALID_HANDLE);
        if (port->state != Port::State::Connected) return Fail(ERROR_GEN_FAILURE);
        const Address peer = ReverseAddress(port->bdaddr);
        std::memcpy(out, peer.data(), 6);
        PutWord(out + 6, Word(in));
        PutWord(out + 8, 0);
        *returned = 10;
        return true;
    }

    bool Read(const BYTE* in, DWORD inSize, BYTE* out, DWORD outSize, DWORD* returned) {
        if (inSize != 2) return Fail(ERROR_INVALID_PARAMETER);
        std::lock_guard lock(m_mutex);
        const std::shared_ptr<Port> port = Find(in, inSize);
        if (!port) return Fail(ERROR_INVALID_HANDLE);
        const size_t n = std::min<size_t>(outSize, port->rx.size());
        std::copy_n(port->rx.begin(), n, out);
        port->rx.erase(port->rx.begin(), port->rx.begin() + long(n));
        *returned = DWORD(n);
        if (n) m_changed.notify_all();  // a full buffer may take the socket's bytes again
        return true;
    }

    bool Write(const BYTE* in, DWORD inSize, BYTE* out, DWORD outSize, DWORD* returned) {
        if (inSize < 10 || outSize < 2 || Dword(in + 2) != inSize - 10)
            return Fail(ERROR_INVALID_PARAMETER);
        std::shared_ptr<Port> port;
        int fd = -1;
        {
            std::lock_guard lock(m_mutex);
            port = Find(in, inSize);
            if (!port) return Fail(ERROR_INVALID_HANDLE);
            if (port->state != Port::State::Connected) return Fail(ERROR_GEN_FAILURE);
            fd = port->fd;  // stays open while `port` is held
        }
        const DWORD length = inSize - 10;
        if (length > 0xFFFF) return Fail(ERROR_INVALID_PARAMETER);
        std::lock_guard writing(port->writeMutex);
        const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kWriteLimitMs);
        DWORD sent = 0;
        while (sent < length) {
            const ssize_t n =
                ::send(fd, in + 10 + sent, length - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n > 0) {
                sent += DWORD(n);
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return Fail(ERROR_GEN_FAILURE);
            const int wait = Remaining(deadline);
            if (wait == 0) return Fail(ERROR_TIMEOUT);
            pollfd p[2] = {{fd, POLLOUT, 0}, {port->abortPipe[0], POLLIN, 0}};
            if (::poll(p, 2, wait) < 0 && errno != EINTR) return Fail(ERROR_GEN_FAILURE);
            if (p[1].revents) return Fail(ERROR_GEN_FAILURE);
        }
        PutWord(out, WORD(sent));
        *returned = 2;
        return true;
    }

    bool Reply(const std::shared_ptr<Port>& port, WORD handle, DWORD bits, BYTE* out,
               DWORD* returned) {
        if (bits & kRxChar) port->rxReported = true;
        PutDword(out, bits & port->mask);
        PutWord(out + 4, handle);
        out[6] = 0;
        *returned = 7;
        return true;
    }

    bool Result(const BYTE* in, DWORD inSize, BYTE* out, DWORD outSize, DWORD* returned) {
        if (inSize != 2 || outSize < 7) return Fail(ERROR_INVALID_PARAMETER);
        const WORD handle = Word(in);
        std::unique_lock lock(m_mutex);
        const std::shared_ptr<Port> port = Find(in, inSize);
        if (!port) return Fail(ERROR_INVALID_HANDLE);
        for (;;) {
            m_changed.wait(lock, [&] { return port->closed || port->maskSet; });
            if (port->closed) return Fail(ERROR_GEN_FAILURE);
            if (!port->rx.empty() && !port->rxReported)
                return Reply(port, handle, kRxChar, out, returned);
            switch (port->state) {
                case Port::State::Dead:
                    return Fail(ERROR_GEN_FAILURE);
                case Port::State::Connecting:
                    // Another wait on the same port is connecting it.
                    m_changed.wait(lock);
                    continue;
                case Port::State::Waiting: {
                    port->state = Port::State::Connecting;
                    lock.unlock();
                    const int fd = Connect(*port);
                    lock.lock();
                    if (port->closed) {
                        if (fd >= 0) ::close(fd);
                        return Fail(ERROR_GEN_FAILURE);
                    }
                    port->fd = fd;
                    port->state = fd >= 0 ? Port::State::Connected : Port::State::Dead;
                    m_changed.notify_all();
                    return Reply(port, handle, fd >= 0 ? kConnected : kConnectError, out, returned);
                }
                case Port::State::Connected:
                    break;
            }
            if (port->rx.size() >= kReceiveLimit) {
                m_changed.wait(lock);  // until a read makes room
                continue;
            }
            lock.unlock();
            pollfd p[2] = {{port->fd, POLLIN, 0}, {port->abortPipe[0], POLLIN, 0}};
            const int r = ::poll(p, 2, -1);
            const int pollError = errno;
            BYTE buffer[4096];
            ssize_t n = 0;
            int readError = 0;
            const bool readable = r > 0 && !p[1].revents && p[0].revents;
            if (readable) {
                n = ::recv(port->fd, buffer, sizeof buffer, MSG_DONTWAIT);
                readError = errno;
            }
            lock.lock();
            if (port->closed) return Fail(ERROR_GEN_FAILURE);
            if (r < 0 && pollError == EINTR) continue;
            if (readable && n < 0 &&
                (readError == EAGAIN || readError == EWOULDBLOCK || readError == EINTR))
                continue;
            if (readable && n > 0) {
                port->rx.insert(port->rx.end(), buffer, buffer + n);
                port->rxReported = false;
                return Reply(port, handle, kRxChar, out, returned);
            }
            if (r < 0 || readable) {
                // The end of the stream, a hang-up or an error.
                if (n < 0 || r < 0)
                    qCDebug(lcBluetooth)
                        << "RFCOMM link failed:" << std::strerror(r < 0 ? pollError : readError);
                port->state = Port::State::Dead;
                const DWORD data = port->rx.empty() || port->rxReported ? 0 : kRxChar;
                return Reply(port, handle, kConnectError | data, out, returned);
            }
        }
    }

    int Connect(const Port& port) {
        const std::shared_ptr<SocketFactory> factory = Factory();
        int channel = port.scn;
        if (port.lookUp) channel = factory->LookUpSerialPortChannel(port.address);
        if (channel <= 0 || channel > kMaxScn) {
            qCWarning(lcBluetooth) << "No serial port channel on the remote device";
            return -1;
        }
        const int fd = factory->Connect(port.address, channel, port.security, port.abortPipe[0]);
        if (fd < 0) qCWarning(lcBluetooth) << "RFCOMM connect on channel" << channel << "failed";
        return fd;
    }

    bool AllocateScn(DWORD inSize, BYTE* out, DWORD outSize, DWORD* returned) {
        if (inSize != 116 || outSize < 1) return Fail(ERROR_INVALID_PARAMETER);
        std::lock_guard lock(m_mutex);
        out[0] = 0;
        for (BYTE scn = 1; scn <= kMaxScn; ++scn) {
            if (!m_scnUsed[scn]) {
                m_scnUsed[scn] = true;
                out[0] = scn;
                break;
            }
        }
        *returned = 1;
        return true;
    }

    bool FreeScn(const BYTE* in, DWORD inSize) {
        if (inSize != 1) return Fail(ERROR_INVALID_PARAMETER);
        std::lock_guard lock(m_mutex);
        if (in[0] == 0 || in[0] > kMaxScn || !m_scnUsed[in[0]]) return Fail(ERROR_GEN_FAILURE);
        m_scnUsed[in[0]] = false;
        return true;
    }

    bool AllocateSecurityIndex(DWORD inSize, BYTE* out, DWORD outSize, DWORD* returned) {
        if (inSize != 16 || outSize < 1) return Fail(ERROR_INVALID_PARAMETER);
        std::lock_guard lock(m_mutex);
        out[0] = 0;
        for (int i = 1; i <= kMaxSecurityIndex; ++i) {
            if (!m_security[i].used) {
                m_security[i].used = true;
                out[0] = BYTE(i);
                break;
            }
        }
        *returned = 1;
        return true;
    }

    bool SetSecurityLevel(const BYTE* in, DWORD inSize, BYTE* out, DWORD outSize, DWORD* returned) {
        if (inSize != 117 || outSize < 2) return Fail(ERROR_INVALID_PARAMETER);
        std::lock_guard lock(m_mutex);
        const DWORD index = Dword(in + 100);
        const DWORD channel = Dword(in + 113);
        WORD status = 1;
        if (index >= 1 && index <= DWORD(kMaxSecurityIndex) && m_security[index].used &&
            channel <= kMaxScn) {
            m_security[index].levelOfScn[BYTE(channel)] = Word(in + 105);
            status = 0;
        }
        PutWord(out, status);
        *returned = 2;
        return true;
    }

    bool ReleaseSecurityIndex(const BYTE* in, DWORD inSize) {
        if (inSize != 1) return Fail(ERROR_INVALID_PARAMETER);
        std::lock_guard lock(m_mutex);
        if (in[0] == 0 || !m_security[in[0]].used) return Fail(ERROR_GEN_FAILURE);
        m_security[in[0]] = SecurityRecord();
        return true;
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::shared_ptr<SocketFactory> m_factory;
    std::shared_ptr<Port> m_ports[kMaxPorts + 1];
    bool m_scnUsed[kMaxScn + 1] = {};
    SecurityRecord m_security[kMaxSecurityIndex + 1];
};

class BlueZHandle : public DeviceHandle {
public:
    bool Control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                 DWORD* returned) override {
        return Driver::Instance().Control(code, static_cast<const BYTE*>(in), inSize,
                                          static_cast<BYTE*>(out), outSize, returned);
    }
};

class RfcommSocketFactory : public SocketFactory {
public:
    bool Available() override {
        const int fd = ::socket(AF_BLUETOOTH, SOCK_STREAM | SOCK_CLOEXEC, BTPROTO_RFCOMM);
        if (fd < 0) {
            qCDebug(lcBluetooth) << "No RFCOMM sockets:" << std::strerror(errno);
            return false;
        }
        ::close(fd);
        if (hci_get_route(nullptr) < 0) {
            qCDebug(lcBluetooth) << "No Bluetooth adapter";
            return false;
        }
        return true;
    }

    int LookUpSerialPortChannel(const Address& address) override {
        bdaddr_t any{}, remote;
        const Address reversed = ReverseAddress(address);
        std::memcpy(remote.b, reversed.data(), 6);
        sdp_session_t* session = sdp_connect(&any, &remote, SDP_RETRY_IF_BUSY);
        if (!session) return 0;
        uuid_t serial;
        sdp_uuid16_create(&serial, SERIAL_PORT_SVCLASS_ID);
        sdp_list_t* search = sdp_list_append(nullptr, &serial);
        uint32_t range = 0x0000FFFF;
        sdp_list_t* attributes = sdp_list_append(nullptr, &range);
        sdp_list_t* records = nullptr;
        int channel = 0;
        if (sdp_service_search_attr_req(session, search, SDP_ATTR_REQ_RANGE, attributes,
                                        &records) == 0) {
            for (sdp_list_t* r = records; r && channel == 0; r = r->next) {
                auto* record = static_cast<sdp_record_t*>(r->data);
                sdp_list_t* protocols = nullptr;
                if (sdp_get_access_protos(record, &protocols) == 0) {
                    channel = sdp_get_proto_port(protocols, RFCOMM_UUID);
                    for (sdp_list_t* p = protocols; p; p = p->next)
                        sdp_list_free(static_cast<sdp_list_t*>(p->data), nullptr);
                    sdp_list_free(protocols, nullptr);
                }
            }
            sdp_list_free(records, reinterpret_cast<sdp_free_func_t>(sdp_record_free));
        }
        sdp_list_free(search, nullptr);
        sdp_list_free(attributes, nullptr);
        sdp_close(session);
        return channel;
    }

    int Connect(const Address& address, int channel, int security, int abortFd) override {
        const int fd =
            ::socket(AF_BLUETOOTH, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, BTPROTO_RFCOMM);
        if (fd < 0) return -1;
        bt_security level{};
        level.level = uint8_t(security);
        if (::setsockopt(fd, SOL_BLUETOOTH, BT_SECURITY, &level, sizeof level) != 0)
            qCDebug(lcBluetooth) << "BT_SECURITY refused:" << std::strerror(errno);
        sockaddr_rc target{};
        target.rc_family = AF_BLUETOOTH;
        const Address reversed = ReverseAddress(address);
        std::memcpy(target.rc_bdaddr.b, reversed.data(), 6);
        target.rc_channel = uint8_t(channel);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&target), sizeof target) == 0) return fd;
        if (errno == EINPROGRESS) {
            pollfd p[2] = {{fd, POLLOUT, 0}, {abortFd, POLLIN, 0}};
            const int r = ::poll(p, 2, int(kConnectLimitMs));
            int error = 0;
            socklen_t size = sizeof error;
            if (r > 0 && !p[1].revents &&
                ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0)
                return fd;
        }
        ::close(fd);
        return -1;
    }
};

}  // namespace

bool ParseAddress(const char* text, BYTE out[6]) {
    if (!text || std::strlen(text) != 17) return false;
    BYTE bytes[6];
    for (int i = 0; i < 6; ++i) {
        const char* p = text + 3 * i;
        if (i < 5 && p[2] != ':') return false;
        int value = 0;
        for (int k = 0; k < 2; ++k) {
            const char c = p[k];
            const int digit = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
            if (digit < 0) return false;
            value = value * 16 + digit;
        }
        bytes[i] = BYTE(value);
    }
    std::memcpy(out, bytes, 6);
    return true;
}

Address ReverseAddress(const Address& address) {
    return {address[5], address[4], address[3], address[2], address[1], address[0]};
}

std::shared_ptr<SocketFactory> MakeRfcommSocketFactory() {
    return std::make_shared<RfcommSocketFactory>();
}

void SetSocketFactory(std::shared_ptr<SocketFactory> factory) {
    Driver::Instance().SetFactory(std::move(factory));
}

std::unique_ptr<DeviceHandle> OpenBlueZDevice() {
    if (!Driver::Instance().Factory()->Available()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    return std::make_unique<BlueZHandle>();
}

}  // namespace platform::bt
