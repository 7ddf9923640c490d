// The serial link's Bluetooth side on a scripted kernel device: what an open asks for, short
// writes, the stack's presence, and the start-up switch to a Bluetooth logger.

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "bluetooth/sdk.h"
#include "logger/serial_port.h"
#include "logger/settings.h"
#include "tests/bluetooth/fake_device.h"
#include "tests/support/core/harness.h"
#include "tests/support/core/sim_port.h"

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<BYTE>;
using testing_support::FakeBtDevice;
using testing_support::ScopedEnv;

constexpr DWORD kWrite = 0x10E;

// The data of a block write record (version 0x30004): after the 10-byte head.
Bytes WrittenData(const FakeBtDevice::Request& r) {
    return Bytes(r.in.begin() + 10, r.in.end());
}

class SerialPortOverBluetooth : public testing_support::CoreHarnessTest {
protected:
    FakeBtDevice fake;
    CSettings settings{env.File("Settings.vns")};
    std::unique_ptr<CSerialPort> port;

    void SetUp() override {
        ASSERT_EQ(BtSdkStartCount(), 0u);
        settings.m_communicationType = CSerialPort::kBluetooth;
        settings.m_serverChannel = 3;
        port = std::make_unique<CSerialPort>();
        port->SetSettings(&settings);
    }
    void TearDown() override { port.reset(); }
    void Connect() {
        ASSERT_EQ(port->SetOpen(true), 1);
        const WORD handle = port->GetPortHandle();
        fake.PushResult(handle, 0x0200, handle);
        const auto until = std::chrono::steady_clock::now() + 5s;
        while (!port->IsConnected() && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(1ms);
        ASSERT_TRUE(port->IsConnected());
        fake.ClearLog();
    }
};

TEST_F(SerialPortOverBluetooth, AShortWriteSendsTheRestAndOneThatStaysShortIsALostLink) {
    Connect();
    const Bytes frame = {'A', 'A', 1, 2, 3, 4, 5, 6};
    // The driver takes 3, then 0, then the rest: all of it goes, in order.
    fake.Script(kWrite, {true, {3, 0}});
    fake.Script(kWrite, {true, {0, 0}});
    EXPECT_EQ(port->Send(frame.data(), WORD(frame.size())), frame.size());
    auto writes = fake.Requests(kWrite);
    ASSERT_EQ(writes.size(), 3u);
    EXPECT_EQ(WrittenData(writes[0]), frame);
    EXPECT_EQ(WrittenData(writes[1]), Bytes(frame.begin() + 3, frame.end()));
    EXPECT_EQ(WrittenData(writes[2]), Bytes(frame.begin() + 3, frame.end()));
    EXPECT_FALSE(port->IsLinkLost());

    struct Case {
        const char* what;
        FakeBtDevice::Reply reply;  // to every write
        DWORD sent;
        DWORD error;
    };
    const Case cases[] = {
        {"the driver fails", {false, {}, ERROR_GEN_FAILURE}, 0, ERROR_GEN_FAILURE},
        {"the driver takes 2 and then nothing for a second", {true, {0, 0}}, 2, ERROR_TIMEOUT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        port->SetOpen(false);
        Connect();
        if (c.sent) fake.Script(kWrite, {true, {BYTE(c.sent), 0}});
        fake.ScriptAlways(kWrite, c.reply);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(port->Send(frame.data(), WORD(frame.size())), c.sent);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
        EXPECT_TRUE(port->IsLinkLost());
        EXPECT_EQ(port->GetLastLinkError(), c.error);
        // The next open starts afresh.
        port->SetOpen(false);
        fake.ClearScripts();
    }
}

TEST_F(SerialPortOverBluetooth, AnOpenAsksForTheSettingsChannelAsAClientWithoutSecurity) {
    const BYTE address[6] = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55};
    std::memcpy(settings.m_btAddress, address, 6);
    // A given channel is used as it is; none is one the stack hands out (5 here).
    for (const BYTE given : {3, 0}) {
        SCOPED_TRACE(int(given));
        settings.m_serverChannel = given;
        const BYTE scn = given ? given : 5;
        fake.ClearLog();
        ASSERT_EQ(port->SetOpen(true), 1);
        EXPECT_EQ(fake.Requests(0x110).size(), given ? 0u : 1u);
        const auto level = fake.Requests(0x22D);
        ASSERT_EQ(level.size(), 1u);
        Bytes want(100, 0);
        std::memcpy(want.data(), "Mercant Tessmark", 16);
        // Index 7, originator, level 0, RFCOMM's PSM and protocol, the channel.
        const Bytes tail = {7, 0, 0, 0, 1, 0, 0, 3, 0, 3, 0, 0, 0, scn, 0, 0, 0};
        want.insert(want.end(), tail.begin(), tail.end());
        EXPECT_EQ(level[0].in, want);
        const auto open = fake.Requests(0x101);
        ASSERT_EQ(open.size(), 1u);
        ASSERT_EQ(open[0].in.size(), 53u);
        EXPECT_EQ(open[0].in[42], scn);
        EXPECT_EQ(open[0].in[45], 127);
        EXPECT_EQ(Bytes(open[0].in.begin() + 47, open[0].in.end()), Bytes(address, address + 6));
        port->SetOpen(false);
    }
}

TEST_F(SerialPortOverBluetooth, TheStackIsPresentWhenTheKernelDeviceOpens) {
    EXPECT_EQ(CSerialPort::IsBluetoothSdkPresent(), TRUE);
    fake.RefuseOpen(true);
    EXPECT_EQ(CSerialPort::IsBluetoothSdkPresent(), FALSE);
}

class BluetoothTarget : public testing_support::CoreHarnessTest {};

TEST_F(BluetoothTarget, TheVariableSetsALinkForOneStartOnly) {
    struct Case {
        const char* text;
        bool ok;
        Bytes address;
        BYTE channel;
    };
    const Bytes address = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55};
    const Case cases[] = {
        {"00:11:22:33:44:55", true, address, 0},
        {"00:11:22:33:44:55,1", true, address, 1},
        {"aa:BB:cc:dd:ee:0F,30", true, {0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0x0F}, 30},
        {"00:11:22:33:44:55,", false, {}, 0},
        {"00:11:22:33:44:55,0", false, {}, 0},
        {"00:11:22:33:44:55,31", false, {}, 0},
        {"00:11:22:33:44:55,007", false, {}, 0},
        {"00:11:22:33:44:55,5x", false, {}, 0},
        {"00:11:22:33:44:55 ", false, {}, 0},
        {",5", false, {}, 0},
        {"00-11-22-33-44-55", false, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        BYTE got[6] = {9, 9, 9, 9, 9, 9};
        BYTE channel = 99;
        EXPECT_EQ(CSettings::ParseBluetoothTarget(c.text, got, &channel), c.ok);
        if (c.ok) {
            EXPECT_EQ(Bytes(got, got + 6), c.address);
            EXPECT_EQ(channel, c.channel);
        } else {
            EXPECT_EQ(Bytes(got, got + 6), Bytes(6, 9)) << "left alone";
            EXPECT_EQ(channel, 99);
        }
    }

    const CString file = env.File("Settings.vns");
    {
        ScopedEnv bluetooth("VARNEL_BLUETOOTH", "00:11:22:33:44:55,7");
        CSettings settings(file);
        EXPECT_EQ(settings.m_communicationType, CSerialPort::kBluetooth);
        EXPECT_EQ(Bytes(settings.m_btAddress, settings.m_btAddress + 6), address);
        EXPECT_EQ(settings.m_serverChannel, 7);
        ASSERT_TRUE(settings.Save());
    }
    for (const char* next : {"", "00:11:22:33:44"}) {
        ScopedEnv bluetooth("VARNEL_BLUETOOTH", next);
        const CSettings reread(file);
        EXPECT_EQ(reread.m_communicationType, CSerialPort::kComPort) << next;
        EXPECT_EQ(Bytes(reread.m_btAddress, reread.m_btAddress + 6), Bytes(6, 0));
        EXPECT_EQ(reread.m_serverChannel, 0);
    }
}

}  // namespace
