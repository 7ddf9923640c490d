#include <gtest/gtest.h>

#include <QFile>
#include <atomic>
#include <chrono>
#include <numeric>
#include <random>
#include <thread>
#include <vector>

#include "bluetooth/rfcomm_port.h"
#include "bluetooth/sdk.h"
#include "logger/serial_port.h"
#include "logger/settings.h"
#include "tests/support/core/harness.h"

namespace {

using namespace std::chrono_literals;

std::vector<BYTE> Bytes(size_t count, BYTE first) {
    std::vector<BYTE> v(count);
    std::iota(v.begin(), v.end(), first);
    return v;
}

class BluetoothLink : public testing_support::CoreHarnessTest {
protected:
    CString settingsFile = env.File("Settings.vns");
    CSettings settings{settingsFile};
    CSerialPort port;

    void SetUp() override {
        settings.m_communicationType = CSerialPort::kBluetooth;
        settings.m_serverChannel = 3;
        port.SetSettings(&settings);
    }
    void Append(const std::vector<BYTE>& bytes) {
        port.OnDataReceived(bytes.data(), WORD(bytes.size()));
    }
    std::vector<BYTE> Read(WORD length) {
        std::vector<BYTE> buffer(length + 1, 0xEE);
        const DWORD n = port.Read(buffer.data(), length);
        EXPECT_LE(n, length);
        EXPECT_EQ(buffer[length], 0xEE) << "read past the length asked for";
        buffer.resize(n);
        return buffer;
    }
};

TEST(BluetoothStack, StartsAndStopsAreCounted) {
    ASSERT_EQ(BtSdkStartCount(), 0u);
    sdk_close();  // a stop without a start
    EXPECT_EQ(BtSdkStartCount(), 0u);
    {
        CSerialPort port;  // its port base and its channel each start the interface
        EXPECT_EQ(BtSdkStartCount(), 2u);
        {
            CSerialPort second;
            EXPECT_EQ(BtSdkStartCount(), 4u);
        }
        EXPECT_EQ(BtSdkStartCount(), 2u);
    }
    EXPECT_EQ(BtSdkStartCount(), 0u);
}

TEST(BluetoothStack, WithoutAStackNothingOpensButArgumentsAreChecked) {
    EXPECT_FALSE(CSerialPort::IsBluetoothSdkPresent());
    CRfCommPort rf;
    const BYTE address[6] = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(rf.OpenClient(1, nullptr, 127), CRfCommPort::kBadArgument);
    EXPECT_EQ(rf.OpenClient(1, address, 47), CRfCommPort::kBadArgument);
    const DWORD result = rf.OpenClient(1, address, 48);
    EXPECT_NE(result, CRfCommPort::kSuccess);
    EXPECT_NE(result, CRfCommPort::kBadArgument);
    EXPECT_FALSE(rf.IsConnectionOpen());
    WORD written = 9;
    EXPECT_EQ(rf.Write("AA", 2, &written), CRfCommPort::kNotOpen);
    EXPECT_EQ(written, 9) << "a refused write leaves the count alone";
    EXPECT_EQ(rf.Close(), CRfCommPort::kNotOpen);

    CRfCommChannel channel;
    const GUID guid = {0x00001101, 0, 0x1000, {0x80, 0, 0, 0x80, 0x5F, 0x9B, 0x34, 0xFB}};
    EXPECT_FALSE(channel.AssignChannel(nullptr, 5, ""));
    EXPECT_FALSE(channel.SetSecurityLevel("Mercant Tessmark", 0, false)) << "no channel yet";
    EXPECT_TRUE(channel.AssignChannel(&guid, 5, ""));
    EXPECT_EQ(channel.GetServerChannel(), 5);
    EXPECT_FALSE(channel.SetSecurityLevel(nullptr, 0, false));
    EXPECT_FALSE(channel.SetSecurityLevel("Mercant Tessmark", 0, false)) << "no stack";
    EXPECT_FALSE(channel.AssignChannel(&guid, 0, "")) << "no stack to allocate a channel";
    EXPECT_EQ(channel.GetServerChannel(), 0);
}

TEST_F(BluetoothLink, OpenFailsWithoutAStackAndSavesTheSettings) {
    EXPECT_EQ(port.SetOpen(true), 0);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_TRUE(QFile::exists(settingsFile.ToQString()));
    EXPECT_EQ(port.SetOpen(false), 0);
}

TEST_F(BluetoothLink, ReadsTakeTheOldestBytesAndAppendsStayInBounds) {
    // Fewer than are waiting: the oldest, the rest kept in order.
    Append(Bytes(10, 0));
    EXPECT_EQ(Read(4), Bytes(4, 0));
    EXPECT_EQ(port.GetBytesWaiting(), 6u);
    // Asking for more than are waiting gives all of them.
    EXPECT_EQ(Read(100), Bytes(6, 4));
    EXPECT_EQ(port.GetBytesWaiting(), 0u);

    // Exactly the waiting count empties the buffer, so a full one fits after it.
    Append(Bytes(900, 0));
    EXPECT_EQ(Read(900), Bytes(900, 0));
    EXPECT_EQ(port.GetBytesWaiting(), 0u);
    Append(Bytes(1000, 7));
    EXPECT_EQ(port.GetDroppedByteCount(), 0u);
    EXPECT_EQ(Read(1000), Bytes(1000, 7));

    // Unread bytes move to the front to make room.
    Append(Bytes(600, 0));
    EXPECT_EQ(Read(500), Bytes(500, 0));
    Append(Bytes(800, 100));
    EXPECT_EQ(port.GetDroppedByteCount(), 0u);
    std::vector<BYTE> want = Bytes(100, BYTE(500));
    const std::vector<BYTE> next = Bytes(800, 100);
    want.insert(want.end(), next.begin(), next.end());
    EXPECT_EQ(Read(1000), want);

    // What still does not fit is dropped and counted; the buffer never holds more than 1000.
    Append(Bytes(700, 0));
    Append(Bytes(700, 1));
    EXPECT_EQ(port.GetBytesWaiting(), 1000u);
    EXPECT_EQ(port.GetDroppedByteCount(), 400u);
    Append(Bytes(1500, 0));
    EXPECT_EQ(port.GetDroppedByteCount(), 1900u);
    want = Bytes(700, 0);
    const std::vector<BYTE> head = Bytes(300, 1);
    want.insert(want.end(), head.begin(), head.end());
    EXPECT_EQ(Read(1000), want);
    EXPECT_EQ(port.GetBytesWaiting(), 0u);
}

// Records what Send hands to Write.
class RecordingPort : public CSerialPort {
public:
    DWORD Write(const void* /*buffer*/, WORD length) override {
        ++writes;
        return length;
    }
    int writes = 0;
};

TEST_F(BluetoothLink, SendWaitsForTheConnectedEventAndStopsAtTheLostEvent) {
    RecordingPort rec;
    rec.SetSettings(&settings);
    EXPECT_EQ(rec.Send("AA", 2), 0u);
    EXPECT_EQ(rec.writes, 0);

    rec.OnEventReceived(0x0004);  // other bits change nothing
    EXPECT_EQ(rec.Send("AA", 2), 0u);
    rec.OnEventReceived(CRfCommPort::kEventConnected);
    EXPECT_EQ(rec.Send("AA", 2), 2u);
    EXPECT_EQ(rec.writes, 1);
    EXPECT_FALSE(rec.IsLinkLost());

    rec.OnEventReceived(CRfCommPort::kEventConnectError);
    EXPECT_EQ(rec.Send("AA", 2), 0u);
    EXPECT_EQ(rec.writes, 1);
    EXPECT_TRUE(rec.IsLinkLost());

    // Without a stack the write itself sends nothing even when connected.
    port.OnEventReceived(CRfCommPort::kEventConnected);
    EXPECT_EQ(port.Send("AA", 2), 0u);
}

TEST_F(BluetoothLink, TheReaderThreadHandsOverEveryAcceptedByteOnce) {
    // The stack's reader thread delivers random chunks; the GUI thread drains as its 10 ms timer
    // would, sometimes slowly enough that the buffer fills. Every byte the buffer accepted must
    // come out once, in order; what it refused must be counted.
    constexpr int kChunks = 4000;
    std::vector<BYTE> accepted;
    size_t offered = 0;
    std::atomic<bool> done{false};
    std::thread reader([&] {
        std::mt19937 rng(12345);
        std::vector<BYTE> chunk;
        for (int i = 0; i < kChunks; ++i) {
            chunk.resize(1 + rng() % 1000);
            for (BYTE& b : chunk)
                b = BYTE(rng());
            // Half the time the stack is slow enough for the drain to make room first.
            if (rng() % 2 == 0) {
                const auto until = std::chrono::steady_clock::now() + 2ms;
                while (port.GetBytesWaiting() + chunk.size() > 1000 &&
                       std::chrono::steady_clock::now() < until)
                    std::this_thread::yield();
            }
            const DWORD droppedBefore = port.GetDroppedByteCount();
            port.OnDataReceived(chunk.data(), WORD(chunk.size()));
            const DWORD dropped = port.GetDroppedByteCount() - droppedBefore;
            accepted.insert(accepted.end(), chunk.begin(), chunk.end() - dropped);
            offered += chunk.size();
            if (rng() % 4 == 0) std::this_thread::sleep_for(std::chrono::microseconds(rng() % 300));
        }
        done = true;
    });

    std::mt19937 rng(54321);
    std::vector<BYTE> received;
    std::vector<BYTE> buffer(1000);
    bool overfull = false;
    for (;;) {
        const bool finished = done.load();
        const DWORD waiting = port.GetBytesWaiting();
        overfull = overfull || waiting > 1000;
        if (waiting) {
            // Now and then a partial read, as when the ring has little room.
            const WORD ask = rng() % 3 == 0 ? WORD(1 + rng() % waiting) : WORD(waiting);
            const DWORD got = port.Receive(buffer.data(), ask);
            EXPECT_EQ(got, ask) << "bytes only come in between the count and the read";
            received.insert(received.end(), buffer.begin(), buffer.begin() + got);
        } else if (finished) {
            break;
        }
        const unsigned pause = rng() % 10;
        if (pause > 6) std::this_thread::sleep_for(std::chrono::microseconds(pause * 300));
    }
    reader.join();

    EXPECT_FALSE(overfull);
    EXPECT_EQ(accepted.size() + port.GetDroppedByteCount(), offered);
    ASSERT_EQ(received.size(), accepted.size());
    EXPECT_TRUE(received == accepted) << "a byte was lost, doubled or moved";
}

}  // namespace
