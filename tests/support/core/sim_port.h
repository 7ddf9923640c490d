#pragma once
// A simulated logger line that a COM number names for the test's lifetime (through VARNEL_COM<n>),
// a scoped environment variable, a port list emptied for a test, and a test that talks to a
// simulated logger through a raw COM port.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QtGlobal>
#include <chrono>
#include <memory>
#include <utility>
#include <vector>

#include "platform/base/cstring.h"
#include "platform/comm/comm.h"
#include "tools/dorvik-sim/line.h"

namespace testing_support {

class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        m_had = qEnvironmentVariableIsSet(name);
        m_old = qgetenv(name);
        qputenv(name, value);
    }
    ~ScopedEnv() {
        if (m_had)
            qputenv(m_name.constData(), m_old);
        else
            qunsetenv(m_name.constData());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    QByteArray m_name;
    QByteArray m_old;
    bool m_had = false;
};

class SimulatedComPort {
public:
    SimulatedComPort(int com, std::unique_ptr<dorvik_sim::Model> model)
        : line(std::move(model)),
          comNumber(com),
          m_env(CString::Formatted("VARNEL_COM%d", com).GetString(), line.SlavePath().c_str()) {}
    SimulatedComPort(int com, DWORD baudRate)
        : SimulatedComPort(com, std::make_unique<dorvik_sim::ListeningModel>(baudRate)) {}

    // "\\.\COM<n>"
    CString DeviceName() const { return CString::Formatted("\\\\.\\COM%d", comNumber); }

    dorvik_sim::Line line;
    const int comNumber;

private:
    ScopedEnv m_env;
};

// Takes every COM number out of the port list for its lifetime, so that a port search finds only
// the simulated lines a test makes afterwards (each names its number again).
class NoComPorts {
public:
    NoComPorts() {
        for (int com = 1; com <= 255; ++com)
            m_env.push_back(std::make_unique<ScopedEnv>(
                CString::Formatted("VARNEL_COM%d", com).GetString(), ""));
    }

private:
    std::vector<std::unique_ptr<ScopedEnv>> m_env;
};

// The simulated logger seen from a raw COM port at the given baud rate, reads and writes bounded by
// 10 ms each.
class RawPortTest : public ::testing::Test {
protected:
    RawPortTest(int com, std::unique_ptr<dorvik_sim::Model> model, DWORD baudRate)
        : sim(com, std::move(model)), m_baudRate(baudRate) {}

    SimulatedComPort sim;
    HANDLE port = INVALID_HANDLE_VALUE;

    void SetUp() override {
        ASSERT_TRUE(sim.line.IsReady()) << sim.line.ErrorText();
        port = CreateFile(sim.DeviceName(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          0, nullptr);
        ASSERT_NE(port, INVALID_HANDLE_VALUE);
        DCB dcb;
        ASSERT_TRUE(GetCommState(port, &dcb));
        dcb.BaudRate = m_baudRate;
        ASSERT_TRUE(SetCommState(port, &dcb));
        COMMTIMEOUTS t{};
        t.ReadTotalTimeoutConstant = 10;
        t.WriteTotalTimeoutConstant = 10;
        ASSERT_TRUE(SetCommTimeouts(port, &t));
    }
    void TearDown() override {
        if (port != INVALID_HANDLE_VALUE) CloseHandle(port);
    }
    void Write(const std::vector<BYTE>& bytes) {
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(port, bytes.data(), DWORD(bytes.size()), &written, nullptr));
        ASSERT_EQ(written, bytes.size());
    }
    // Reads until `count` bytes came, or for all of `patience` when count is 0.
    std::vector<BYTE> Read(size_t count,
                           std::chrono::milliseconds patience = std::chrono::seconds(10)) {
        std::vector<BYTE> got;
        dorvik_sim::Line::WaitFor(
            [&] {
                BYTE buffer[512];
                DWORD n = 0;
                if (ReadFile(port, buffer, sizeof buffer, &n, nullptr))
                    got.insert(got.end(), buffer, buffer + n);
                return count > 0 && got.size() >= count;
            },
            patience);
        return got;
    }

private:
    DWORD m_baudRate;
};

}  // namespace testing_support
