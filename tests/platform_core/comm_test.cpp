#include <gtest/gtest.h>

#include <QFile>
#include <chrono>
#include <vector>

#include "platform/comm/comm.h"
#include "tests/support/core/harness.h"
#include "tests/support/core/sim_port.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using testing_support::ScopedEnv;
using testing_support::SimulatedComPort;

class Comm : public testing_support::CoreHarnessTest {
protected:
    SimulatedComPort port{5, 2400};

    void SetUp() override { ASSERT_TRUE(port.line.IsReady()) << port.line.ErrorText(); }

    HANDLE Open(DWORD share = 0) {
        return CreateFile(port.DeviceName(), GENERIC_READ | GENERIC_WRITE, share, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    // An open port at 2400 8N1 with 10 ms time-outs, as the logger link uses it.
    HANDLE OpenConfigured() {
        HANDLE h = Open();
        EXPECT_NE(h, INVALID_HANDLE_VALUE);
        DCB dcb;
        EXPECT_TRUE(GetCommState(h, &dcb));
        dcb.BaudRate = 2400;
        dcb.ByteSize = 8;
        dcb.Parity = NOPARITY;
        dcb.StopBits = ONESTOPBIT;
        EXPECT_TRUE(SetCommState(h, &dcb));
        COMMTIMEOUTS t;
        t.ReadTotalTimeoutConstant = 10;
        t.WriteTotalTimeoutConstant = 10;
        EXPECT_TRUE(SetCommTimeouts(h, &t));
        return h;
    }
    static DWORD InQueue(HANDLE h) {
        COMSTAT status;
        DWORD errors = 0;
        return ClearCommError(h, &errors, &status) ? status.cbInQue : 0;
    }
};

TEST_F(Comm, NamesWithoutADeviceFailToOpen) {
    ScopedEnv none("VARNEL_COM250", "");
    ScopedEnv missing("VARNEL_COM251", "/dev/no-such-device-here");
    for (const char* name :
         {"\\\\.\\COM250", "\\\\.\\COM251", "\\\\.\\COM0", "\\\\.\\COM256", "COMX", "LPT1", ""}) {
        SetLastError(0);
        EXPECT_EQ(
            CreateFile(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE)
            << name;
        EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND)) << name;
    }
}

TEST_F(Comm, AFileThatIsNoTerminalTakesNoSerialSettings) {
    const CString path = env.File("not-a-port");
    QFile f(path.ToQString());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    ScopedEnv file("VARNEL_COM9", path);
    HANDLE h = CreateFile("\\\\.\\COM9", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                          nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DCB dcb;
    EXPECT_FALSE(GetCommState(h, &dcb));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_FUNCTION));
    EXPECT_FALSE(SetCommState(h, &dcb));
    COMMTIMEOUTS t;
    EXPECT_FALSE(SetCommTimeouts(h, &t));
    EXPECT_FALSE(ClearCommError(h, nullptr, nullptr));
    EXPECT_TRUE(CloseHandle(h));
}

TEST_F(Comm, APortAdmitsOneOpenerAndABusyDeviceFails) {
    HANDLE first = Open(FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    // Whatever the share modes, as the Windows serial driver does.
    EXPECT_EQ(Open(FILE_SHARE_READ | FILE_SHARE_WRITE), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
    EXPECT_EQ(CreateFile(port.DeviceName(), 0, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_FALSE(port.line.HoldBusy(true)) << "another program cannot take our port either";
    EXPECT_TRUE(CloseHandle(first));

    ASSERT_TRUE(port.line.HoldBusy(true));
    EXPECT_EQ(Open(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
    port.line.HoldBusy(false);
    HANDLE again = Open();
    EXPECT_NE(again, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(CloseHandle(again));
}

TEST_F(Comm, StateReachesTheLineAndBadStatesAreRefused) {
    HANDLE h = Open();
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DCB dcb;
    ASSERT_TRUE(GetCommState(h, &dcb));
    dcb.BaudRate = 19200;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = TWOSTOPBITS;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;  // a pseudo-terminal has no modem lines: ignored
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    ASSERT_TRUE(SetCommState(h, &dcb));
    EXPECT_EQ(port.line.ProgramBaudRate(), 19200u);
    DCB back;
    ASSERT_TRUE(GetCommState(h, &back));
    EXPECT_EQ(back.BaudRate, 19200u);
    EXPECT_EQ(back.ByteSize, 8);
    EXPECT_EQ(back.Parity, NOPARITY);
    EXPECT_EQ(back.StopBits, TWOSTOPBITS);
    EXPECT_EQ(back.fDtrControl, DTR_CONTROL_DISABLE);

    struct Bad {
        const char* what;
        void (*spoil)(DCB&);
        LONG error;
    };
    const Bad bad[] = {
        {"rate", [](DCB& d) { d.BaudRate = 12345; }, ERROR_INVALID_PARAMETER},
        {"byte size", [](DCB& d) { d.ByteSize = 9; }, ERROR_INVALID_PARAMETER},
        {"parity", [](DCB& d) { d.Parity = 7; }, ERROR_INVALID_PARAMETER},
        // A pseudo-terminal carries eight data bits only.
        {"framing the device cannot do", [](DCB& d) { d.ByteSize = 7, d.Parity = EVENPARITY; },
         ERROR_INVALID_PARAMETER},
        {"stop bits", [](DCB& d) { d.StopBits = 3; }, ERROR_INVALID_PARAMETER},
        {"DSR flow", [](DCB& d) { d.fOutxDsrFlow = 1; }, ERROR_NOT_SUPPORTED},
        {"DTR handshake", [](DCB& d) { d.fDtrControl = DTR_CONTROL_HANDSHAKE; },
         ERROR_NOT_SUPPORTED},
    };
    for (const Bad& b : bad) {
        DCB d = back;
        b.spoil(d);
        EXPECT_FALSE(SetCommState(h, &d)) << b.what;
        EXPECT_EQ(GetLastError(), DWORD(b.error)) << b.what;
        EXPECT_EQ(port.line.ProgramBaudRate(), 19200u) << b.what << " left the port as it was";
    }
    DCB none;
    EXPECT_FALSE(SetCommState(h, nullptr));
    EXPECT_FALSE(GetCommState(h, nullptr));
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_FALSE(GetCommState(h, &none));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(CloseHandle(h));
}

TEST_F(Comm, BytesRoundTripWithinTheTimeouts) {
    port.line.SetPacing(false);
    HANDLE h = OpenConfigured();
    DWORD mask = 0;
    EXPECT_TRUE(SetCommMask(h, EV_CTS | EV_DSR));
    EXPECT_TRUE(GetCommMask(h, &mask));
    EXPECT_EQ(mask, DWORD(EV_CTS | EV_DSR));
    EXPECT_TRUE(PurgeComm(h, PURGE_TXCLEAR | PURGE_RXCLEAR));

    // Nothing waiting: the read gives up after its 10 ms.
    BYTE buffer[64] = {};
    DWORD read = 99;
    const Clock::time_point start = Clock::now();
    ASSERT_TRUE(ReadFile(h, buffer, sizeof buffer, &read, nullptr));
    EXPECT_EQ(read, 0u);
    EXPECT_GE(Clock::now() - start, 9ms);
    EXPECT_LT(Clock::now() - start, 5s);

    const std::vector<BYTE> toProgram = {0x00, 0x0A, 0x0D, 0x11, 0x13, 0x7F, 0xFF, 0x03};
    port.line.Send(toProgram);
    ASSERT_TRUE(dorvik_sim::Line::WaitFor([&] { return InQueue(h) == toProgram.size(); }, 10s));
    ASSERT_TRUE(ReadFile(h, buffer, sizeof buffer, &read, nullptr));
    EXPECT_EQ(std::vector<BYTE>(buffer, buffer + read), toProgram) << "raw: no byte changed";

    const std::vector<BYTE> toLine = {0xEB, 0x92, 0xF0, 0x0A, 0x0D, 0x04};
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(h, toLine.data(), DWORD(toLine.size()), &written, nullptr));
    EXPECT_EQ(written, toLine.size());
    ASSERT_TRUE(dorvik_sim::Line::WaitFor([&] { return port.line.Received().size() >= 6; }, 10s));
    EXPECT_EQ(port.line.Received(), toLine);

    // An interval of MAXDWORD alone returns at once with what has arrived.
    COMMTIMEOUTS now;
    now.ReadIntervalTimeout = MAXDWORD;
    ASSERT_TRUE(SetCommTimeouts(h, &now));
    ASSERT_TRUE(ReadFile(h, buffer, sizeof buffer, &read, nullptr));
    EXPECT_EQ(read, 0u);
    EXPECT_TRUE(CloseHandle(h));
}

TEST_F(Comm, AHungUpDeviceReportsItsRemoval) {
    HANDLE h = OpenConfigured();
    port.line.HangUp();
    BYTE b = 0;
    DWORD n = 0;
    EXPECT_FALSE(ClearCommError(h, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_DEVICE_REMOVED));
    EXPECT_FALSE(ReadFile(h, &b, 1, &n, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_DEVICE_REMOVED));
    EXPECT_FALSE(WriteFile(h, &b, 1, &n, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_DEVICE_REMOVED));
    DCB dcb;
    EXPECT_FALSE(GetCommState(h, &dcb));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_DEVICE_REMOVED));
    EXPECT_TRUE(CloseHandle(h));
}

TEST_F(Comm, ModemLinesOfAPseudoTerminalAreReportedMissing) {
    HANDLE h = OpenConfigured();
    DWORD status = 0;
    EXPECT_FALSE(GetCommModemStatus(h, &status));
    EXPECT_FALSE(EscapeCommFunction(h, SETDTR));
    EXPECT_FALSE(EscapeCommFunction(h, 77));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(CloseHandle(h));
}

}  // namespace
