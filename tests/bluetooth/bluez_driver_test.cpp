// The BlueZ kernel device with socket pairs in place of RFCOMM sockets: its tables, its waits and
// write limit, and the serial link over it.

#include <bluetooth/bluetooth.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "bluetooth/rfcomm_api.h"
#include "bluetooth/rfcomm_port.h"
#include "bluetooth/sdk.h"
#include "logger/serial_port.h"
#include "logger/settings.h"
#include "platform/bt/bluez_driver.h"
#include "platform/comm/comm.h"
#include "platform/comm/device_io.h"
#include "tests/support/core/harness.h"

namespace {

using namespace std::chrono_literals;
using platform::bt::Address;
using Bytes = std::vector<BYTE>;

constexpr GUID kSerialPortProfile = {
    0x00001101, 0x0000, 0x1000, {0x80, 0x00, 0x00, 0x80, 0x5F, 0x9B, 0x34, 0xFB}};
constexpr BYTE kAddress[6] = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55};

template <class F>
bool Eventually(F done, std::chrono::milliseconds limit = 5000ms) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

// Hands out one end of a socket pair per connection and keeps the other for the test.
class PairFactory : public platform::bt::SocketFactory {
public:
    struct Connection {
        Address address;
        int channel;
        int security;
    };

    ~PairFactory() override {
        for (int fd : m_peers)
            ::close(fd);
    }

    bool Available() override { return true; }
    int LookUpSerialPortChannel(const Address& /*address*/) override {
        std::lock_guard lock(m_mutex);
        ++lookUps;
        return sdpChannel;
    }
    int Connect(const Address& address, int channel, int security, int abortFd) override {
        std::unique_lock lock(m_mutex);
        connections.push_back({address, channel, security});
        m_changed.notify_all();
        // Held until the test lets it go or the port closes.
        while (hold) {
            lock.unlock();
            pollfd p{abortFd, POLLIN, 0};
            const bool aborted = ::poll(&p, 1, 5) > 0;
            lock.lock();
            if (aborted) return -1;
        }
        if (refuse) return -1;
        int pair[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return -1;
        // Small buffers, so that a peer that does not read soon stops the writer.
        const int size = 4096;
        for (int fd : pair) {
            ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
            ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
        }
        m_peers.push_back(pair[1]);
        m_changed.notify_all();
        return pair[0];
    }

    void Release() {
        std::lock_guard lock(m_mutex);
        hold = false;
    }
    // The far end of the `index`th connection, once it is made.
    int Peer(size_t index) {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, 5s, [&] { return m_peers.size() > index; });
        return m_peers.size() > index ? m_peers[index] : -1;
    }
    void HangUp(size_t index) {
        std::lock_guard lock(m_mutex);
        ::shutdown(m_peers.at(index), SHUT_RDWR);
    }
    std::vector<Connection> Connections() {
        std::lock_guard lock(m_mutex);
        return connections;
    }
    int LookUps() {
        std::lock_guard lock(m_mutex);
        return lookUps;
    }

    std::atomic<bool> hold{false};
    std::atomic<bool> refuse{false};
    int sdpChannel = 4;

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Connection> connections;
    int lookUps = 0;
    std::vector<int> m_peers;
};

Bytes ReadPeer(int fd, size_t count) {
    Bytes got;
    const auto until = std::chrono::steady_clock::now() + 5s;
    while (got.size() < count && std::chrono::steady_clock::now() < until) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0) continue;
        BYTE buffer[4096];
        const ssize_t n = ::recv(fd, buffer, std::min(sizeof buffer, count - got.size()), 0);
        if (n <= 0) break;
        got.insert(got.end(), buffer, buffer + n);
    }
    return got;
}

bool Nothing(int fd) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 50) == 0;
}

class BlueZDriver : public testing_support::CoreHarnessTest {
protected:
    std::shared_ptr<PairFactory> factory = std::make_shared<PairFactory>();

    void SetUp() override {
        ASSERT_EQ(BtSdkStartCount(), 0u);
        platform::bt::SetSocketFactory(factory);
    }
    void TearDown() override {
        EXPECT_EQ(BtSdkStartCount(), 0u);
        EXPECT_EQ(RfcRunningReaders(), 0) << "a reader outlived the last stop";
        platform::bt::SetSocketFactory(nullptr);
    }
};

// One request on a handle of the device.
struct Device {
    HANDLE handle = CreateFile("\\\\.\\BTKRNL", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    ~Device() {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
    bool Call(DWORD function, Bytes in, Bytes* out = nullptr, DWORD outSize = 0) {
        Bytes reply(outSize);
        DWORD returned = 0;
        const bool ok =
            DeviceIoControl(handle, platform::bt::ControlCode(0x002A, function), in.data(),
                            DWORD(in.size()), reply.data(), outSize, &returned, nullptr);
        reply.resize(returned);
        if (out) *out = reply;
        return ok;
    }
    // The handle of a new client port, or 0.
    WORD Open(BYTE scn) {
        Bytes request(53, 0);
        request[0] = 0x01;
        request[1] = 0x11;
        request[42] = scn;
        Bytes reply;
        if (!Call(IOCTL_PORT_OPEN, request, &reply, 4) || reply.size() != 4 || reply[0]) return 0;
        return WORD(reply[2] | reply[3] << 8);
    }
};

TEST_F(BlueZDriver, KeepsItsTablesOfPortsChannelsAndSecurity) {
    Device device;
    ASSERT_NE(device.handle, INVALID_HANDLE_VALUE);
    Bytes reply;
    ASSERT_TRUE(device.Call(IOCTL_GET_VERSION, {}, &reply, 4));
    EXPECT_EQ(reply, (Bytes{0x04, 0x00, 0x03, 0x00}));
    DWORD returned = 0;
    BYTE version[4];
    EXPECT_FALSE(
        DeviceIoControl(device.handle, 0xEC5407FC, nullptr, 0, version, 4, &returned, nullptr));

    // Port handles 1..20, a closed one handed out again, and only then.
    for (WORD h = 1; h <= 20; ++h)
        ASSERT_EQ(device.Open(1), h);
    EXPECT_EQ(device.Open(1), 0);
    ASSERT_TRUE(device.Call(IOCTL_PORT_CLOSE, {7, 0}));
    EXPECT_FALSE(device.Call(IOCTL_PORT_CLOSE, {7, 0}));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(device.Call(IOCTL_PORT_READ, {7, 0}, &reply, 10));
    EXPECT_EQ(device.Open(1), 7);
    for (BYTE h = 1; h <= 20; ++h)
        device.Call(IOCTL_PORT_CLOSE, {h, 0});
    // Reading a port with nothing waits for nothing.
    const WORD quiet = device.Open(1);
    ASSERT_TRUE(device.Call(IOCTL_PORT_READ, {BYTE(quiet), 0}, &reply, 10));
    EXPECT_TRUE(reply.empty());
    device.Call(IOCTL_PORT_CLOSE, {BYTE(quiet), 0});

    // Channels 1..30.
    for (int scn = 1; scn <= 30; ++scn) {
        ASSERT_TRUE(device.Call(IOCTL_RFCOMM_ALLOCATE_SCN, Bytes(116, 0), &reply, 1));
        ASSERT_EQ(reply, Bytes{BYTE(scn)});
    }
    ASSERT_TRUE(device.Call(IOCTL_RFCOMM_ALLOCATE_SCN, Bytes(116, 0), &reply, 1));
    EXPECT_EQ(reply, Bytes{0});
    ASSERT_TRUE(device.Call(IOCTL_RFCOMM_FREE_SCN, {12}));
    ASSERT_TRUE(device.Call(IOCTL_RFCOMM_ALLOCATE_SCN, Bytes(116, 0), &reply, 1));
    EXPECT_EQ(reply, Bytes{12});
    for (BYTE scn = 1; scn <= 30; ++scn)
        ASSERT_TRUE(device.Call(IOCTL_RFCOMM_FREE_SCN, {scn}));

    // Security indexes 1..255; a level needs an index that is held.
    for (int index = 1; index <= 255; ++index) {
        ASSERT_TRUE(device.Call(IOCTL_BTM_ALLOCATE_SECURITY_INDEX, Bytes(16, 0), &reply, 269));
        ASSERT_EQ(reply, Bytes{BYTE(index)});
    }
    ASSERT_TRUE(device.Call(IOCTL_BTM_ALLOCATE_SECURITY_INDEX, Bytes(16, 0), &reply, 269));
    EXPECT_EQ(reply, Bytes{0});
    for (BYTE index = 1; index != 0; ++index)
        ASSERT_TRUE(device.Call(IOCTL_BTM_RELEASE_SECURITY_INDEX, {index}));
    Bytes level(117, 0);
    level[100] = 9;  // not held
    ASSERT_TRUE(device.Call(IOCTL_BTM_SET_SECURITY_LEVEL, level, &reply, 269));
    EXPECT_EQ(reply, (Bytes{1, 0}));
}

// A port that keeps its events.
class EventPort : public CRfCommPort {
public:
    // No notification may run while the members below go.
    ~EventPort() override { Close(); }
    void OnDataReceived(const void* data, WORD length) override {
        std::lock_guard lock(m_mutex);
        const auto* p = static_cast<const BYTE*>(data);
        received.insert(received.end(), p, p + length);
    }
    void OnEventReceived(DWORD bits) override {
        std::lock_guard lock(m_mutex);
        events.push_back(bits);
    }
    std::vector<DWORD> Events() {
        std::lock_guard lock(m_mutex);
        return events;
    }
    Bytes Received() {
        std::lock_guard lock(m_mutex);
        return received;
    }

private:
    std::mutex m_mutex;
    std::vector<DWORD> events;
    Bytes received;
};

TEST_F(BlueZDriver, ConnectsWithTheChannelsSecurityAndReportsTheLink) {
    CRfCommChannel high, low;
    ASSERT_TRUE(high.AssignChannel(&kSerialPortProfile, 4, ""));
    ASSERT_TRUE(high.SetSecurityLevel("Mercant Tessmark", 2, false));
    ASSERT_TRUE(low.AssignChannel(&kSerialPortProfile, 6, ""));
    ASSERT_TRUE(low.SetSecurityLevel("Mercant Tessmark", 0, false));
    {
        EventPort port;
        ASSERT_EQ(port.OpenClient(4, kAddress, 127), 0u);
        ASSERT_TRUE(Eventually([&] { return port.IsPortConnected(); }));
        BYTE peer[6];
        port.GetPeerAddress(peer);
        EXPECT_EQ(Bytes(peer, peer + 6), Bytes(kAddress, kAddress + 6));
        EXPECT_EQ(port.Events(), std::vector<DWORD>{0x0200});

        const int far = factory->Peer(0);
        ASSERT_GE(far, 0);
        ASSERT_EQ(::send(far, "hello", 5, 0), 5);
        EXPECT_TRUE(Eventually([&] { return port.Received().size() == 5; }));
        WORD written = 0;
        ASSERT_EQ(port.Write("abc", 3, &written), 0u);
        EXPECT_EQ(written, 3);
        EXPECT_EQ(ReadPeer(far, 3), (Bytes{'a', 'b', 'c'}));

        // The far end hangs up: one lost-link event, the reader ends, writes fail.
        factory->HangUp(0);
        EXPECT_TRUE(Eventually([&] { return !port.IsPortConnected(); }));
        EXPECT_TRUE(Eventually([] { return RfcRunningReaders() == 0; }));
        EXPECT_EQ(port.Events(), (std::vector<DWORD>{0x0200, 0x8000}));
        EXPECT_EQ(port.Write("abc", 3, &written), 1u);
        EXPECT_EQ(port.Close(), 0u);
    }
    {
        EventPort port;
        ASSERT_EQ(port.OpenClient(6, kAddress, 127), 0u);
        ASSERT_TRUE(Eventually([&] { return port.IsPortConnected(); }));
    }
    factory->refuse = true;
    {
        EventPort port;
        ASSERT_EQ(port.OpenClient(9, kAddress, 127), 0u);
        ASSERT_TRUE(Eventually([&] { return !port.Events().empty(); }));
        EXPECT_EQ(port.Events(), std::vector<DWORD>{0x8000});
        EXPECT_FALSE(port.IsPortConnected());
    }
    const auto c = factory->Connections();
    ASSERT_EQ(c.size(), 3u);
    EXPECT_EQ(c[0].channel, 4);
    EXPECT_EQ(c[0].security, BT_SECURITY_HIGH);
    EXPECT_EQ(c[0].address, (Address{0x00, 0x11, 0x22, 0x33, 0x44, 0x55}));
    EXPECT_EQ(c[1].channel, 6);
    EXPECT_EQ(c[1].security, BT_SECURITY_LOW);
    EXPECT_EQ(c[2].security, BT_SECURITY_LOW) << "a channel without a record";
    EXPECT_EQ(factory->LookUps(), 0) << "given channels need no look-up";
}

TEST_F(BlueZDriver, AWriteTakesEverythingWithinASecondOrFails) {
    EventPort port;
    ASSERT_EQ(port.OpenClient(2, kAddress, 127), 0u);
    ASSERT_TRUE(Eventually([&] { return port.IsPortConnected(); }));
    const int far = factory->Peer(0);

    // A far end that reads keeps up with a large write.
    std::atomic<size_t> drained{0};
    std::thread reader([&] { drained = ReadPeer(far, 60000).size(); });
    Bytes big(60000, 0x5A);
    WORD written = 0;
    EXPECT_EQ(port.Write(big.data(), WORD(big.size()), &written), 0u);
    EXPECT_EQ(written, 60000);
    reader.join();
    EXPECT_EQ(drained.load(), 60000u);

    // One that stops reading: the write gives up after about a second, reporting nothing taken.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port.Write(big.data(), WORD(big.size()), &written), 1u);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(written, 0);
    EXPECT_GE(took, 900ms);
    EXPECT_LT(took, 3s);
}

TEST_F(BlueZDriver, ACloseEndsAConnectStillUnderWay) {
    factory->hold = true;
    EventPort port;
    ASSERT_EQ(port.OpenClient(3, kAddress, 127), 0u);
    ASSERT_TRUE(Eventually([&] { return factory->Connections().size() == 1; }));
    EXPECT_EQ(port.Close(), 0u);  // returns once the reader has ended
    EXPECT_EQ(RfcRunningReaders(), 0);
    EXPECT_TRUE(port.Events().empty());
}

class SerialLink : public BlueZDriver {
protected:
    CString settingsFile = env.File("Settings.vns");
    CSettings settings{settingsFile};

    void SetUp() override {
        BlueZDriver::SetUp();
        settings.m_communicationType = CSerialPort::kBluetooth;
        settings.m_serverChannel = 0;  // ask the logger
        std::memcpy(settings.m_btAddress, kAddress, 6);
    }
    static Bytes Drain(CSerialPort& port, size_t count) {
        Bytes got;
        Eventually([&] {
            const DWORD waiting = port.GetBytesWaiting();
            if (waiting) {
                Bytes buffer(waiting);
                const DWORD n = port.Receive(buffer.data(), WORD(waiting));
                got.insert(got.end(), buffer.begin(), buffer.begin() + n);
            }
            return got.size() >= count;
        });
        return got;
    }
};

TEST_F(SerialLink, TheSerialPortTalksOverTheDriver) {
    factory->hold = true;
    auto port = std::make_unique<CSerialPort>();
    port->SetSettings(&settings);
    ASSERT_EQ(port->SetOpen(true), 1);
    EXPECT_TRUE(port->IsOpen());
    ASSERT_TRUE(Eventually([&] { return factory->Connections().size() == 1; }));
    // The channel the driver handed out is a local one: the remote's comes from SDP.
    EXPECT_EQ(factory->LookUps(), 1);
    EXPECT_EQ(factory->Connections()[0].channel, 4);

    // Before the link is up nothing is sent.
    EXPECT_EQ(port->Send("EARLY", 5), 0u);
    factory->Release();
    ASSERT_TRUE(Eventually([&] { return port->IsConnected(); }));
    const int far = factory->Peer(0);
    EXPECT_TRUE(Nothing(far));
    EXPECT_EQ(port->Send("ABC", 3), 3u);
    EXPECT_EQ(ReadPeer(far, 3), (Bytes{'A', 'B', 'C'}));
    Bytes answer(900);
    for (size_t i = 0; i < answer.size(); ++i)
        answer[i] = BYTE(i);
    ASSERT_EQ(::send(far, answer.data(), answer.size(), 0), ssize_t(answer.size()));
    EXPECT_EQ(Drain(*port, answer.size()), answer);

    // Closed and opened again: a new connection.
    EXPECT_EQ(port->SetOpen(false), 0);
    EXPECT_FALSE(port->IsOpen());
    ASSERT_EQ(port->SetOpen(true), 1);
    ASSERT_TRUE(Eventually([&] { return port->IsConnected(); }));
    const int second = factory->Peer(1);
    EXPECT_EQ(port->Send("X", 1), 1u);
    EXPECT_EQ(ReadPeer(second, 1), Bytes{'X'});

    // A hang-up is a lost link.
    EXPECT_FALSE(port->IsLinkLost());
    factory->HangUp(1);
    ASSERT_TRUE(Eventually([&] { return port->IsLinkLost(); }));
    EXPECT_EQ(port->Send("Y", 1), 0u);

    // Destroyed in the middle of traffic.
    ASSERT_EQ(port->SetOpen(false), 0);
    ASSERT_EQ(port->SetOpen(true), 1);
    ASSERT_TRUE(Eventually([&] { return port->IsConnected(); }));
    const int third = factory->Peer(2);
    std::atomic<bool> stop{false};
    std::thread talker([&] {
        const Bytes chunk(300, 0x77);
        while (!stop) {
            if (::send(third, chunk.data(), chunk.size(), MSG_NOSIGNAL | MSG_DONTWAIT) < 0 &&
                errno != EAGAIN)
                break;
        }
    });
    Drain(*port, 2000);
    port.reset();
    stop = true;
    talker.join();
}

TEST_F(BlueZDriver, AddressesConvertBothWays) {
    BYTE bytes[6] = {};
    ASSERT_TRUE(platform::bt::ParseAddress("00:11:22:33:44:55", bytes));
    EXPECT_EQ(Bytes(bytes, bytes + 6), (Bytes{0x00, 0x11, 0x22, 0x33, 0x44, 0x55}));
    ASSERT_TRUE(platform::bt::ParseAddress("aa:BB:cc:DD:ee:0F", bytes));
    EXPECT_EQ(Bytes(bytes, bytes + 6), (Bytes{0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0x0F}));
    for (const char* bad : {"", "00:11:22:33:44", "00:11:22:33:44:55:66", "00-11-22-33-44-55",
                            "0g:11:22:33:44:55", "00:11:22:33:44:5"}) {
        EXPECT_FALSE(platform::bt::ParseAddress(bad, bytes)) << bad;
    }
    EXPECT_FALSE(platform::bt::ParseAddress(nullptr, bytes));

    // bdaddr_t keeps the bytes the other way round.
    bdaddr_t b;
    const Address reversed = platform::bt::ReverseAddress({0x00, 0x11, 0x22, 0x33, 0x44, 0x55});
    std::memcpy(b.b, reversed.data(), 6);
    EXPECT_EQ(b.b[0], 0x55);
    EXPECT_EQ(b.b[5], 0x00);
    EXPECT_EQ(platform::bt::ReverseAddress(reversed),
              (Address{0x00, 0x11, 0x22, 0x33, 0x44, 0x55}));
}

TEST(BlueZOnThisMachine, WithoutBluetoothSocketsTheDeviceDoesNotOpen) {
    if (platform::bt::MakeRfcommSocketFactory()->Available())
        GTEST_SKIP() << "this machine gives Bluetooth sockets";
    EXPECT_FALSE(BtSdkPresent());
    SetLastError(0);
    EXPECT_EQ(CreateFile("\\\\.\\BTKRNL", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
    CRfCommPort port;
    EXPECT_EQ(BtSdkDevice(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(port.OpenClient(1, kAddress, 127), 1u);
}

}  // namespace
