// The stack interface on a scripted kernel device: the request records byte for byte, the replies,
// the port's notifications, start and stop, and the trace channel.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <thread>

#include "bluetooth/rfcomm_api.h"
#include "bluetooth/rfcomm_port.h"
#include "bluetooth/sdk.h"
#include "bluetooth/trace.h"
#include "platform/base/registry.h"
#include "tests/bluetooth/fake_device.h"
#include "tests/support/core/harness.h"

namespace {

using namespace std::chrono_literals;
using testing_support::FakeBtDevice;
using Bytes = std::vector<BYTE>;

constexpr GUID kSerialPortProfile = {
    0x00001101, 0x0000, 0x1000, {0x80, 0x00, 0x00, 0x80, 0x5F, 0x9B, 0x34, 0xFB}};
constexpr BYTE kAddress[6] = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55};

// Keeps what its notifications received.
class RecordingPort : public CRfCommPort {
public:
    // No notification may run while the members below go.
    ~RecordingPort() override { Close(); }
    void OnDataReceived(const void* data, WORD length) override {
        std::lock_guard lock(m_mutex);
        chunks.push_back(length);
        const auto* p = static_cast<const BYTE*>(data);
        received.insert(received.end(), p, p + length);
    }
    void OnEventReceived(DWORD bits) override {
        std::lock_guard lock(m_mutex);
        events.push_back(bits);
    }
    template <class F>
    auto With(F f) {
        std::lock_guard lock(m_mutex);
        return f();
    }
    std::vector<WORD> chunks;
    Bytes received;
    std::vector<DWORD> events;

private:
    std::mutex m_mutex;
};

// Until `done` or a few seconds.
template <class F>
bool Eventually(F done) {
    const auto until = std::chrono::steady_clock::now() + 5s;
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

DWORD Code(DWORD type, DWORD function) {
    return type << 16 | function << 2;
}

class BtStack : public testing_support::CoreHarnessTest {
protected:
    void SetUp() override { ASSERT_EQ(BtSdkStartCount(), 0u); }
    void TearDown() override {
        EXPECT_EQ(BtSdkStartCount(), 0u);
        EXPECT_EQ(RfcRunningReaders(), 0);
        BtSetOsVersion(2, 6, 1);
    }
};

TEST_F(BtStack, TheVersionPicksTheRequestCodes) {
    struct Case {
        DWORD version;
        DWORD type;
    };
    for (const Case c : {Case{0x30001, 0xEC54}, Case{0x30003, 0x002A}, Case{0x30004, 0x002A}}) {
        SCOPED_TRACE(c.version);
        FakeBtDevice fake(c.version);
        RecordingPort port;
        EXPECT_EQ(BtSdkDriverVersion(), c.version);
        // The 0x002A code goes first; a driver that answers only 0xEC54 still gets asked.
        const auto versions = fake.Requests(0x1FF);
        ASSERT_GE(versions.size(), 1u);
        EXPECT_EQ(versions[0].code, 0x002A07FCu);
        if (c.type == 0xEC54) {
            ASSERT_EQ(versions.size(), 2u);
            EXPECT_EQ(versions[1].code, 0xEC5407FCu);
        }
        ASSERT_EQ(port.OpenClient(3, kAddress, 127), 0u);
        ASSERT_TRUE(fake.WaitDelivered(1));
        EXPECT_EQ(fake.Requests(0x101).at(0).code, Code(c.type, 0x101));
        EXPECT_EQ(fake.Requests(0x102).at(0).code, Code(c.type, 0x102));
        EXPECT_EQ(fake.Requests(0x11A).at(0).code, Code(c.type, 0x11A));
        EXPECT_EQ(port.Close(), 0u);
        EXPECT_EQ(fake.Requests(0x103).at(0).code, Code(c.type, 0x103));
    }
}

TEST_F(BtStack, OpenSendsTheConnectionRecordAndTheEventMask) {
    FakeBtDevice fake;
    RecordingPort port;
    EXPECT_EQ(port.OpenClient(5, nullptr, 127), CRfCommPort::kBadArgument);
    EXPECT_EQ(port.OpenClient(5, kAddress, 47), CRfCommPort::kBadArgument);
    EXPECT_TRUE(fake.Requests(0x101).empty());
    // An event waiting at the very start still finds the port's callback.
    fake.PushResult(1, 0x0200, 1);
    ASSERT_EQ(port.OpenClient(5, kAddress, 48), 0u);
    EXPECT_TRUE(Eventually([&] { return port.IsPortConnected(); }));
    EXPECT_EQ(port.OpenClient(5, kAddress, 127), CRfCommPort::kAlreadyOpen);

    Bytes open(53, 0);
    open[0] = 0x01;
    open[1] = 0x11;
    open[42] = 5;
    open[45] = 48;
    std::copy(kAddress, kAddress + 6, open.begin() + 47);
    ASSERT_EQ(fake.Requests(0x101).size(), 1u);
    EXPECT_EQ(fake.Requests(0x101)[0].in, open);
    EXPECT_EQ(fake.Requests(0x102).at(0).in, (Bytes{1, 0, 0xFF, 0xFF, 0x03, 0x00}));
    EXPECT_EQ(port.GetPortHandle(), 1);
    EXPECT_EQ(RfcGetPortEntry(1).eventCallback, &CRfCommPort::PortEventCallback);
    EXPECT_EQ(port.Close(), 0u);
    EXPECT_EQ(fake.Requests(0x103).at(0).in, (Bytes{1, 0}));
    EXPECT_EQ(port.GetReleasedHandle(), 1);
    EXPECT_EQ(port.Close(), CRfCommPort::kNotOpen);

    // The released handle goes to another port: destroying the first leaves its callback alone.
    auto first = std::make_unique<RecordingPort>();
    ASSERT_EQ(first->OpenClient(5, kAddress, 127), 0u);
    const WORD handle = first->GetPortHandle();
    ASSERT_EQ(first->Close(), 0u);
    RecordingPort second;
    fake.Script(0x101, {true, {0, 0, BYTE(handle), 0}});
    ASSERT_EQ(second.OpenClient(5, kAddress, 127), 0u);
    first.reset();
    fake.PushResult(handle, 0x0200, handle);
    EXPECT_TRUE(Eventually([&] { return second.IsPortConnected(); }));
}

TEST_F(BtStack, ChannelRecordsCarryTheGuidAndBoundedNames) {
    FakeBtDevice fake;
    const std::string name99(99, 'n'), name120(120, 'm'), name100(100, 's');
    {
        CRfCommChannel channel;
        EXPECT_TRUE(channel.AssignChannel(&kSerialPortProfile, 0, name99.c_str()));
        EXPECT_EQ(channel.GetServerChannel(), 5);
        EXPECT_TRUE(channel.AssignChannel(&kSerialPortProfile, 0, name120.c_str()));
        const auto scn = fake.Requests(0x110);
        ASSERT_EQ(scn.size(), 2u);
        const Bytes uuid = {0x00, 0x00, 0x11, 0x01, 0x00, 0x00, 0x10, 0x00,
                            0x80, 0x00, 0x00, 0x80, 0x5F, 0x9B, 0x34, 0xFB};
        for (size_t i = 0; i < 2; ++i) {
            ASSERT_EQ(scn[i].in.size(), 116u);
            EXPECT_EQ(Bytes(scn[i].in.begin(), scn[i].in.begin() + 16), uuid);
            EXPECT_EQ(std::string(scn[i].in.begin() + 16, scn[i].in.begin() + 115),
                      std::string(99, i == 0 ? 'n' : 'm'));
            EXPECT_EQ(scn[i].in[115], 0) << "always terminated";
        }
        // The allocated channel went back before the second allocation.
        EXPECT_EQ(fake.Requests(0x111).size(), 1u);

        EXPECT_TRUE(channel.SetSecurityLevel(name100.c_str(), 2, false));
        const auto index = fake.Requests(0x231);
        ASSERT_EQ(index.size(), 1u);
        EXPECT_EQ(index[0].in, Bytes({0x01, 0x11, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x80, 0x00,
                                      0x00, 0x80, 0x5F, 0x9B, 0x34, 0xFB}));
        const auto level = fake.Requests(0x22D);
        ASSERT_EQ(level.size(), 1u);
        Bytes want(name100.begin(), name100.end());  // no terminator
        const Bytes tail = {7, 0, 0, 0, 1, 2, 0, 3, 0, 3, 0, 0, 0, 5, 0, 0, 0};
        want.insert(want.end(), tail.begin(), tail.end());
        EXPECT_EQ(level[0].in, want);
        fake.ClearLog();
    }
    // The destructor gives back the allocated channel and the index.
    EXPECT_EQ(fake.Requests(0x111).at(0).in, Bytes{5});
    EXPECT_EQ(fake.Requests(0x232).at(0).in, Bytes{7});

    fake.ClearLog();
    {
        CRfCommChannel channel;
        EXPECT_TRUE(channel.AssignChannel(&kSerialPortProfile, 4, ""));
        EXPECT_FALSE(channel.SetSecurityLevel(nullptr, 0, false));
        fake.Script(0x231, {true, {0}});  // no index to be had
        EXPECT_FALSE(channel.SetSecurityLevel("Mercant Tessmark", 0, false));
        fake.Script(0x22D, {true, {1, 0}});  // the driver refuses the level
        EXPECT_FALSE(channel.SetSecurityLevel("Mercant Tessmark", 0, false));
    }
    EXPECT_TRUE(fake.Requests(0x110).empty());
    EXPECT_TRUE(fake.Requests(0x111).empty()) << "a given channel is not given back";
}

TEST_F(BtStack, WritesUseTheLayoutOfTheDriverVersion) {
    // A buffer below 4 GiB, as the address layout needs.
    void* low =
        mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_32BIT, -1, 0);
    ASSERT_NE(low, MAP_FAILED);
    const auto lowAddress = reinterpret_cast<std::uintptr_t>(low);
    ASSERT_LE(lowAddress, 0xFFFFFFFFu);
    std::memcpy(low, "ABC", 3);
    BYTE high[3] = {'A', 'B', 'C'};
    ASSERT_GT(reinterpret_cast<std::uintptr_t>(high), 0xFFFFFFFFu);

    for (const DWORD version : {DWORD(0x30001), DWORD(0x30003), DWORD(0x30004)}) {
        SCOPED_TRACE(version);
        FakeBtDevice fake(version);
        RecordingPort port;
        ASSERT_EQ(port.OpenClient(1, kAddress, 127), 0u);
        WORD written = 77;
        EXPECT_EQ(port.Write(nullptr, 3, &written), CRfCommPort::kBadArgument);
        EXPECT_EQ(written, 77);
        if (version < 0x30004) {
            ASSERT_EQ(port.Write(low, 3, &written), 0u);
            EXPECT_EQ(written, 3);
            const auto w = fake.Requests(0x10E);
            ASSERT_EQ(w.size(), 1u);
            EXPECT_EQ(w[0].code, Code(fake.DeviceType(), 0x10E));
            Bytes want = {1,
                          0,
                          BYTE(lowAddress),
                          BYTE(lowAddress >> 8),
                          BYTE(lowAddress >> 16),
                          BYTE(lowAddress >> 24),
                          3,
                          0,
                          0,
                          0};
            EXPECT_EQ(w[0].in, want);
            // The data's address does not fit 32 bits: refused, nothing sent.
            EXPECT_EQ(port.Write(high, 3, &written), 1u);
            EXPECT_EQ(written, 0);
            EXPECT_EQ(fake.Requests(0x10E).size(), 1u);
        } else {
            ASSERT_EQ(port.Write(high, 3, &written), 0u);
            EXPECT_EQ(written, 3);
            EXPECT_EQ(fake.Requests(0x10E).at(0).in,
                      (Bytes{1, 0, 3, 0, 0, 0, 0, 0, 0, 0, 'A', 'B', 'C'}));
        }
        // A driver that takes fewer bytes: the count says so.
        fake.Script(0x10E, {true, {2, 0}});
        ASSERT_EQ(port.Write(low, 3, &written), 0u);
        EXPECT_EQ(written, 2);
        fake.Script(0x10E, {false, {}, ERROR_GEN_FAILURE});
        EXPECT_EQ(port.Write(low, 3, &written), 1u);
        EXPECT_EQ(written, 0);
    }
    munmap(low, 4096);
}

TEST_F(BtStack, BadOpenRepliesLeaveNoHandle) {
    FakeBtDevice fake;
    RecordingPort port;
    struct Case {
        const char* what;
        FakeBtDevice::Reply reply;
        DWORD result;
        bool closes;
    };
    const Case cases[] = {
        {"3-byte reply, no error", {true, {0, 0, 1}, 0}, 1, false},
        {"3-byte reply, an error", {true, {0, 0, 1}, ERROR_GEN_FAILURE}, 1, false},
        {"failed call", {false, {}, ERROR_INVALID_HANDLE}, 1, false},
        {"refused", {true, {3, 0, 1, 0}}, 1, false},
        {"handle 0", {true, {0, 0, 0, 0}}, 1, false},
        {"handle 21", {true, {0, 0, 21, 0}}, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fake.ClearLog();
        SetLastError(ERROR_FILE_NOT_FOUND);  // stale, must not pass for the call's
        fake.Script(0x101, c.reply);
        EXPECT_EQ(port.OpenClient(1, kAddress, 127), c.result);
        EXPECT_FALSE(port.IsConnectionOpen());
        EXPECT_TRUE(fake.Requests(0x102).empty());
        EXPECT_EQ(fake.Requests(0x103).size(), c.closes ? 1u : 0u);
        if (c.closes) {
            EXPECT_EQ(fake.Requests(0x103)[0].in, (Bytes{21, 0}));
        }
    }
    EXPECT_EQ(RfcRunningReaders(), 0);

    // A failed event mask gives the connection back, and the port can open again.
    fake.ClearLog();
    fake.Script(0x102, {false, {}, ERROR_GEN_FAILURE});
    EXPECT_EQ(port.OpenClient(1, kAddress, 127), 1u);
    EXPECT_FALSE(port.IsConnectionOpen());
    EXPECT_EQ(fake.Requests(0x103).size(), 1u);
    EXPECT_EQ(RfcRunningReaders(), 0);
    EXPECT_EQ(port.OpenClient(1, kAddress, 127), 0u);
}

TEST_F(BtStack, HandlesOutsideTheTableAreRefusedWithoutADeviceCall) {
    FakeBtDevice fake;
    CRfCommChannel holder;  // keeps the stack up
    fake.ClearLog();
    for (const WORD h : {WORD(0), WORD(21)}) {
        SCOPED_TRACE(h);
        BYTE buffer[8];
        WORD count = 5;
        EXPECT_EQ(PORT_SetEventCallback(h, nullptr), kRfcBadHandle);
        EXPECT_EQ(PORT_SetEventMask(h, 1), kRfcBadHandle);
        EXPECT_EQ(RFCOMM_RemoveConnection(h), kRfcBadHandle);
        EXPECT_EQ(PORT_CheckConnection(h, buffer, &count), kRfcBadHandle);
        EXPECT_EQ(PORT_ReadData(h, buffer, 8, &count), kRfcBadHandle);
        EXPECT_EQ(count, 0);
        count = 5;
        EXPECT_EQ(PORT_WriteData(h, buffer, 8, &count), kRfcBadHandle);
        EXPECT_EQ(count, 0);
    }
    // A port that never opened makes no device call at all.
    { RecordingPort never; }
    EXPECT_EQ(fake.RequestCount(), 0u);
}

TEST_F(BtStack, PortEventsReachTheNotificationsInOrder) {
    FakeBtDevice fake;
    RecordingPort port;
    ASSERT_EQ(port.OpenClient(1, kAddress, 127), 0u);

    // Data and connected together: connected first, the data, then the event less RXCHAR.
    fake.AddData(1, Bytes(5, 9));
    fake.PushResult(1, 0x0201, 1);
    ASSERT_TRUE(fake.WaitDelivered(1));
    EXPECT_TRUE(port.IsPortConnected());
    BYTE peer[6];
    port.GetPeerAddress(peer);
    EXPECT_EQ(Bytes(peer, peer + 6), (Bytes{0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6}));
    port.With([&] {
        EXPECT_EQ(port.chunks, std::vector<WORD>{5});
        EXPECT_EQ(port.events, std::vector<DWORD>{0x0200});
        port.chunks.clear();
        port.events.clear();
        port.received.clear();
        return 0;
    });

    // 2500 bytes arrive as 1000, 1000 and 500; RXCHAR alone gives no event.
    Bytes burst(2500);
    for (size_t i = 0; i < burst.size(); ++i)
        burst[i] = BYTE(i * 7);
    fake.AddData(1, burst);
    fake.PushResult(1, 0x0001, 1);
    // Another handle: no port holds it.
    fake.PushResult(1, 0x8000, 9);
    // Management: 0 does nothing.
    fake.PushResult(1, 0, 1, 1);
    ASSERT_TRUE(fake.WaitDelivered(1));
    fake.AddData(1, Bytes(3, 1));
    fake.PushResult(1, 0x0005, 1);
    ASSERT_TRUE(fake.WaitDelivered(1));
    port.With([&] {
        EXPECT_EQ(port.chunks, (std::vector<WORD>{1000, 1000, 500, 3}));
        Bytes want = burst;
        want.insert(want.end(), 3, 1);
        EXPECT_EQ(port.received, want);
        EXPECT_EQ(port.events, std::vector<DWORD>{0x0004});
        return 0;
    });
    EXPECT_TRUE(port.IsPortConnected());
    EXPECT_EQ(RfcGetPortEntry(1).inUse, 1u);

    // A failed management result reads as a lost connection, not as DSR, and ends the reader.
    fake.PushResult(1, 16, 1, 1);
    EXPECT_TRUE(Eventually([] { return RfcRunningReaders() == 0; }));
    EXPECT_FALSE(port.IsPortConnected());
    EXPECT_EQ(RfcGetPortEntry(1).inUse, 0u);
    port.With([&] {
        EXPECT_EQ(port.events, (std::vector<DWORD>{0x0004, 0x8000}));
        return 0;
    });
    EXPECT_EQ(port.Close(), 0u);
}

TEST_F(BtStack, StartsNestAndTheLastStopEndsTheReaders) {
    FakeBtDevice fake;
    sdk_init();
    sdk_init();
    EXPECT_EQ(fake.LiveHandles(), 1);
    sdk_close();
    EXPECT_EQ(fake.LiveHandles(), 1);
    EXPECT_NE(BtSdkDevice(), INVALID_HANDLE_VALUE);

    // A connection nobody removes: the last stop ends its wait and joins its reader.
    WORD handle = 0;
    ASSERT_EQ(RFCOMM_CreateConnection(0x1101, 1, 0, 127, kAddress, &handle, nullptr), 0u);
    EXPECT_EQ(handle, 1);
    EXPECT_TRUE(Eventually([&] { return fake.LiveHandles() == 2; }));
    EXPECT_EQ(RfcRunningReaders(), 1);
    sdk_close();
    EXPECT_EQ(RfcRunningReaders(), 0);
    EXPECT_EQ(fake.LiveHandles(), 0);
    EXPECT_EQ(BtSdkDevice(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(BtSdkDriverVersion(), 0u);
    EXPECT_EQ(fake.Requests(0x103).size(), 1u);

    // A start after a full stop gets working readers.
    {
        RecordingPort port;
        ASSERT_EQ(port.OpenClient(1, kAddress, 127), 0u);
        fake.PushResult(port.GetPortHandle(), 0x0200, port.GetPortHandle());
        EXPECT_TRUE(Eventually([&] { return port.IsPortConnected(); }));
    }

    // Version class 0 opens nothing, and connections fail.
    BtSetOsVersion(2, 3, 51);
    const int opens = fake.Opens();
    {
        RecordingPort port;
        EXPECT_EQ(fake.Opens(), opens);
        EXPECT_EQ(port.OpenClient(1, kAddress, 127), 1u);
    }
    BtSetOsVersion(2, 6, 1);
}

// The trace listener's side: a UDP socket on the loopback port. Tests that run beside this one
// (other test programs, other checkouts) may hold the port for a moment: wait for it, not forever.
class Listener {
public:
    Listener() {
        const auto deadline = std::chrono::steady_clock::now() + 15s;
        while (!Bind() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(50ms);
    }
    ~Listener() {
        if (m_fd >= 0) ::close(m_fd);
    }
    bool Ok() const { return m_fd >= 0; }
    // The next datagram within `wait`, or nothing.
    std::optional<Bytes> Next(std::chrono::milliseconds wait = 2s) {
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, int(wait.count())) <= 0) return std::nullopt;
        Bytes d(2048);
        const ssize_t n = ::recv(m_fd, d.data(), d.size(), 0);
        if (n < 0) return std::nullopt;
        d.resize(size_t(n));
        return d;
    }

private:
    bool Bind() {
        m_fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(kBtTracePort);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (m_fd >= 0 && ::bind(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
        return m_fd >= 0;
    }

    int m_fd = -1;
};

Bytes Datagram(WORD kind, const std::string& text) {
    Bytes d(8 + text.size(), 0);
    d[0] = BYTE(kind);
    d[2] = BYTE(text.size());
    d[3] = BYTE(text.size() >> 8);
    std::copy(text.begin(), text.end(), d.begin() + 8);
    return d;
}

TEST_F(BtStack, TraceLinesGoToTheListenerInTheRegistry) {
    Listener listener;
    ASSERT_TRUE(listener.Ok()) << "the trace port stayed busy";
    CRegKey key;
    ASSERT_EQ(key.Create(HKEY_CURRENT_USER, "Software\\BtStack\\BTConfig\\Debug"), 0);
    key.SetDWORDValue("LogIPAddr", 0x7F000001);
    BtTraceReset();

    sdk_close();  // a stop without a start
    const std::optional<Bytes> mismatch = listener.Next();
    ASSERT_TRUE(mismatch);
    EXPECT_EQ(mismatch->size(), 38u);
    EXPECT_EQ(*mismatch, Datagram(1, "sdk_close - sdk_init mismatch!"));

    // A reader that cannot open the device says so.
    {
        FakeBtDevice fake;
        RecordingPort port;
        fake.RefuseOpen(true);
        ASSERT_EQ(port.OpenClient(1, kAddress, 127), 0u);
        const std::optional<Bytes> line = listener.Next();
        ASSERT_TRUE(line);
        EXPECT_EQ(*line, Datagram(0, "Unable to open BTKRNL device..."));
        EXPECT_TRUE(Eventually([] { return RfcRunningReaders() == 0; }));
    }

    // Lines from several threads at once, the first of them deciding: each arrives whole.
    BtTraceReset();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 5; ++i)
                LogMsg(0, "line %d.%d", t, i);
        });
    for (std::thread& t : threads)
        t.join();
    std::set<Bytes> lines;
    while (const std::optional<Bytes> line = listener.Next(500ms))
        lines.insert(*line);
    EXPECT_EQ(lines.size(), 20u);
    EXPECT_EQ(lines.count(Datagram(0, "line 3.4")), 1u);

    // Long lines are cut.
    LogMsg(0, "%s", std::string(2000, 'x').c_str());
    const std::optional<Bytes> cut = listener.Next();
    ASSERT_TRUE(cut);
    EXPECT_EQ(*cut, Datagram(0, std::string(kBtTraceLineLimit, 'x')));
    BtTraceReset();
}

TEST_F(BtStack, NoTraceWithoutAUsableAddressAndTheRegistryIsReadOnce) {
    Listener listener;
    ASSERT_TRUE(listener.Ok()) << "the trace port stayed busy";
    enum Setting { NoKey, Zero, Text };
    for (const Setting s : {NoKey, Zero, Text}) {
        SCOPED_TRACE(int(s));
        if (s == NoKey) {
            platform::SetRegistryFile(env.File("empty-registry.ini"));
        } else {
            CRegKey key;
            key.Create(HKEY_CURRENT_USER, "Software\\BtStack\\BTConfig\\Debug");
            if (s == Zero) key.SetDWORDValue("LogIPAddr", 0);
            if (s == Text) key.SetStringValue("LogIPAddr", "127.0.0.1");
        }
        BtTraceReset();
        sdk_close();
        EXPECT_FALSE(listener.Next(200ms));
        EXPECT_FALSE(LogIsEnabled());
        platform::SetRegistryFile(env.File("registry.ini"));
    }
    // Set while the process runs: not read again.
    CRegKey key;
    key.Create(HKEY_CURRENT_USER, "Software\\BtStack\\BTConfig\\Debug");
    key.SetDWORDValue("LogIPAddr", 0x7F000001);
    sdk_close();
    EXPECT_FALSE(listener.Next(200ms));
    BtTraceReset();
}

}  // namespace
