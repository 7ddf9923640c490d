#include <gtest/gtest.h>

#include <QFile>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "logger/serial_port.h"
#include "logger/settings.h"
#include "platform/comm/comm.h"
#include "tests/support/core/harness.h"
#include "tests/support/core/sim_port.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using dorvik_sim::Line;
using testing_support::ScopedEnv;
using testing_support::SimulatedComPort;

constexpr auto kPatience = 10s;  // generous: CI machines are loaded

class SerialLink : public testing_support::CoreHarnessTest {
protected:
    SimulatedComPort sim{7, 2400};
    CString settingsFile = env.File("Settings.vns");
    CSettings settings{settingsFile};
    CSerialPort port;

    void SetUp() override {
        ASSERT_TRUE(sim.line.IsReady()) << sim.line.ErrorText();
        sim.line.SetPacing(false);
        settings.m_comNumber = 7;
        port.SetSettings(&settings);
    }

    bool SettingsSaved() const { return QFile::exists(settingsFile.ToQString()); }

    // What the logger object does on its 10 ms receive timer, until `count` bytes came.
    std::vector<BYTE> ReceiveAtLeast(size_t count) {
        std::vector<BYTE> got;
        Line::WaitFor(
            [&] {
                const DWORD n = port.GetBytesWaiting();
                if (n) {
                    std::vector<BYTE> buffer(n);
                    const DWORD read = port.Receive(buffer.data(), WORD(n));
                    got.insert(got.end(), buffer.begin(), buffer.begin() + read);
                }
                return got.size() >= count || port.IsLinkLost();
            },
            kPatience);
        return got;
    }
    bool LineReceived(size_t count) {
        return Line::WaitFor([&] { return sim.line.Received().size() >= count; }, kPatience);
    }
};

TEST_F(SerialLink, OpensAtTheKeptRateSwitchesAndCarriesBytesBothWays) {
    EXPECT_EQ(port.GetBaudRate(), 2400u);
    ASSERT_EQ(port.SetOpen(true), 1);
    EXPECT_TRUE(port.IsOpen());
    EXPECT_TRUE(SettingsSaved()) << "the chosen port survives a crash";
    EXPECT_EQ(sim.line.ProgramBaudRate(), 2400u);

    const BYTE wake[] = {0xEB, 0x92, 0xF0};
    EXPECT_EQ(port.Send(wake, 3), 3u);
    ASSERT_TRUE(LineReceived(3));
    EXPECT_EQ(sim.line.TakeReceived(), std::vector<BYTE>(wake, wake + 3));

    const std::vector<BYTE> status = {0xEB, 0x90, 0x00, 0x0A, 0x0D, 0x11, 0x13, 0xFF};
    sim.line.Send(status);
    EXPECT_EQ(ReceiveAtLeast(status.size()), status);

    port.SetBaudRate(19200);
    EXPECT_EQ(port.GetBaudRate(), 19200u);
    EXPECT_EQ(sim.line.ProgramBaudRate(), 19200u);
    EXPECT_EQ(port.Send("AA", 2), 2u);
    ASSERT_TRUE(Line::WaitFor([&] { return sim.line.LostInput() == 2; }, kPatience))
        << "a 2400-baud logger cannot read 19200 baud";
    EXPECT_TRUE(sim.line.Received().empty());
    const std::vector<DWORD> seen = sim.line.SeenBaudRates();
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen[seen.size() - 2], 2400u);
    EXPECT_EQ(seen.back(), 19200u);

    // The kept rate is the one the next open uses.
    port.SetOpen(false);
    EXPECT_FALSE(port.IsOpen());
    ASSERT_EQ(port.SetOpen(true), 1);
    EXPECT_EQ(sim.line.ProgramBaudRate(), 19200u);
    EXPECT_FALSE(port.IsLinkLost());
}

TEST_F(SerialLink, DevicesThatCannotBeOpenedLeaveThePortClosed) {
    const CString file = env.File("a-plain-file");
    QFile f(file.ToQString());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    ScopedEnv none("VARNEL_COM250", "");
    ScopedEnv plainFile("VARNEL_COM251", file);
    struct Case {
        const char* what;
        BYTE com;
        bool busy;
        LONG error;
    };
    const Case cases[] = {
        {"no device", 250, false, ERROR_FILE_NOT_FOUND},
        {"held by another program", 7, true, ERROR_ACCESS_DENIED},
        {"not a serial port", 251, false, ERROR_INVALID_FUNCTION},
    };
    for (const Case& c : cases) {
        settings.m_comNumber = c.com;
        ASSERT_TRUE(sim.line.HoldBusy(c.busy)) << c.what;
        EXPECT_EQ(port.SetOpen(true), 0) << c.what;
        EXPECT_FALSE(port.IsOpen()) << c.what;
        EXPECT_EQ(port.GetLastLinkError(), DWORD(c.error)) << c.what;
        EXPECT_EQ(port.Send("AA", 2), 0u) << c.what;
        EXPECT_EQ(port.GetBytesWaiting(), 0u) << c.what;
        EXPECT_FALSE(port.IsLinkLost()) << c.what << ": a failed open is no lost link";
        sim.line.HoldBusy(false);
    }
    EXPECT_TRUE(sim.line.Received().empty());
}

TEST_F(SerialLink, SetOpenOnAnOpenLinkDoesNothing) {
    ASSERT_EQ(port.SetOpen(true), 1);
    ASSERT_TRUE(QFile::remove(settingsFile.ToQString()));
    EXPECT_EQ(port.SetOpen(true), 0);
    EXPECT_TRUE(port.IsOpen());
    EXPECT_FALSE(SettingsSaved());

    EXPECT_EQ(port.SetOpen(false), 0);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(SettingsSaved()) << "closing saves nothing";
    EXPECT_TRUE(sim.line.HoldBusy(true)) << "the device is free again";
}

TEST_F(SerialLink, AHangUpWhileReadingIsALostLink) {
    ASSERT_EQ(port.SetOpen(true), 1);
    sim.line.Send({0x01, 0x02, 0x03});
    ASSERT_EQ(ReceiveAtLeast(3).size(), 3u);
    EXPECT_FALSE(port.IsLinkLost());

    sim.line.HangUp();
    ReceiveAtLeast(1);  // the receive timer goes on
    EXPECT_TRUE(port.IsLinkLost());
    EXPECT_FALSE(port.IsOpen()) << "a vanished device is closed at once";
    EXPECT_EQ(port.GetLastLinkError(), DWORD(ERROR_DEVICE_REMOVED));
    EXPECT_EQ(port.Send("AA", 2), 0u);
    EXPECT_EQ(port.GetBytesWaiting(), 0u);
}

TEST_F(SerialLink, AWriteToAVanishedDeviceIsALostLink) {
    ASSERT_EQ(port.SetOpen(true), 1);
    sim.line.HangUp();
    EXPECT_EQ(port.Send("AA", 2), 0u);
    EXPECT_TRUE(port.IsLinkLost());
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.GetLastLinkError(), DWORD(ERROR_DEVICE_REMOVED));
}

TEST_F(SerialLink, AFrameGoesOutWholeOrTheLinkIsLost) {
    ASSERT_EQ(port.SetOpen(true), 1);
    // Larger than what the pseudo-terminal holds, so it needs many 10 ms writes.
    std::vector<BYTE> frame(30000);
    for (size_t i = 0; i < frame.size(); ++i)
        frame[i] = BYTE(i * 7 + 1);

    sim.line.SetReading(false);
    std::thread resume([&] {
        std::this_thread::sleep_for(100ms);
        sim.line.SetReading(true);
    });
    const DWORD sent = port.Send(frame.data(), WORD(frame.size()));
    resume.join();
    // A machine so loaded that the line did not drain in a second would make this a lost link.
    ASSERT_FALSE(port.IsLinkLost()) << "the line was stalled for only 100 ms";
    EXPECT_EQ(sent, frame.size());
    ASSERT_TRUE(LineReceived(frame.size()));
    EXPECT_EQ(sim.line.TakeReceived(), frame);

    // A line that stays stalled: the frame that cannot go out ends the link after about a second.
    sim.line.SetReading(false);
    const Clock::time_point start = Clock::now();
    DWORD last = 0;
    for (int i = 0; i < 5 && !port.IsLinkLost(); ++i)
        last = port.Send(frame.data(), WORD(frame.size()));
    const auto took = Clock::now() - start;
    ASSERT_TRUE(port.IsLinkLost());
    EXPECT_LT(last, frame.size());
    EXPECT_GE(took, 900ms);
    EXPECT_LT(took, 30s);
    EXPECT_EQ(port.GetLastLinkError(), DWORD(ERROR_TIMEOUT));
    EXPECT_FALSE(port.IsOpen());

    // The next open starts afresh.
    sim.line.SetReading(true);
    ASSERT_EQ(port.SetOpen(true), 1);
    EXPECT_FALSE(port.IsLinkLost());
}

TEST_F(SerialLink, LineControlWithoutModemLines) {
    // No port: nothing to ask.
    EXPECT_EQ(port.GetCTS(), 0);
    port.SetDTR(true);
    ASSERT_EQ(port.SetOpen(true), 1);
    // A pseudo-terminal has no modem lines: the query fails, which reads as 0.
    EXPECT_EQ(port.GetCTS(), 0);
    EXPECT_EQ(port.GetDSR(), 0);
    EXPECT_EQ(port.GetRing(), 0);
    EXPECT_EQ(port.GetRLSD(), 0);
    port.SetDTR(true);
    port.SetRTS(false);
    port.SetBreak(false);
    EXPECT_TRUE(port.IsOpen());
    EXPECT_FALSE(port.IsLinkLost());
}

TEST_F(SerialLink, AnUnknownCommunicationTypeDoesNothing) {
    settings.m_communicationType = 2;
    sim.line.Send({0x55});
    EXPECT_EQ(port.SetOpen(true), 0);
    EXPECT_EQ(port.Open(2400), 0);
    EXPECT_EQ(port.IsOpen(), 0);
    port.SetBaudRate(19200);
    BYTE buffer[8] = {};
    EXPECT_EQ(port.GetBytesWaiting(), 0u);
    EXPECT_EQ(port.Read(buffer, 8), 0u);
    EXPECT_EQ(port.Receive(buffer, 8), 0u);
    EXPECT_EQ(port.Write("AA", 2), 0u);
    EXPECT_EQ(port.Send("AA", 2), 0u);
    EXPECT_EQ(port.GetCTS(), 0);
    EXPECT_EQ(port.GetDSR(), 0);
    EXPECT_EQ(port.GetRing(), 0);
    EXPECT_EQ(port.GetRLSD(), 0);
    EXPECT_EQ(port.SetOpen(false), 0);
    EXPECT_NE(sim.line.ProgramBaudRate(), 19200u) << "the device was never touched";
    EXPECT_TRUE(sim.line.HoldBusy(true));
    EXPECT_TRUE(sim.line.Received().empty());
}

}  // namespace
