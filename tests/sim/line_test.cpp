#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "platform/comm/comm.h"
#include "tests/support/core/harness.h"
#include "tests/support/core/sim_port.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using dorvik_sim::Line;
using testing_support::SimulatedComPort;

constexpr auto kPatience = 10s;

// Answers every byte with the next one, and counts its ticks.
class EchoNextModel : public dorvik_sim::Model {
public:
    DWORD BaudRate() const override { return 2400; }
    void OnReceived(Line& line, const BYTE* data, size_t size) override {
        std::vector<BYTE> answer(data, data + size);
        for (BYTE& b : answer)
            ++b;
        line.Send(answer);
    }
    void OnTick(Line& /*line*/) override { ++ticks; }
    int ticks = 0;
};

// The program's side: a COM port opened as the logger link opens it.
class ProgramPort {
public:
    ProgramPort(const SimulatedComPort& sim, DWORD baud) {
        m_handle = CreateFile(sim.DeviceName(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(m_handle, INVALID_HANDLE_VALUE);
        SetBaud(baud);
        COMMTIMEOUTS t;
        t.ReadTotalTimeoutConstant = 10;
        t.WriteTotalTimeoutConstant = 10;
        EXPECT_TRUE(SetCommTimeouts(m_handle, &t));
    }
    ~ProgramPort() { Close(); }
    void Close() {
        if (m_handle != INVALID_HANDLE_VALUE) CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
    }
    void SetBaud(DWORD baud) {
        DCB dcb;
        EXPECT_TRUE(GetCommState(m_handle, &dcb));
        dcb.BaudRate = baud;
        EXPECT_TRUE(SetCommState(m_handle, &dcb));
    }
    void Write(const std::vector<BYTE>& bytes) {
        DWORD written = 0;
        EXPECT_TRUE(WriteFile(m_handle, bytes.data(), DWORD(bytes.size()), &written, nullptr));
        EXPECT_EQ(written, bytes.size());
    }
    DWORD Waiting() {
        COMSTAT status;
        return ClearCommError(m_handle, nullptr, &status) ? status.cbInQue : 0;
    }
    // Reads until `count` bytes came or the patience ran out.
    std::vector<BYTE> ReadAtLeast(size_t count) {
        std::vector<BYTE> got;
        Line::WaitFor(
            [&] {
                BYTE buffer[256];
                DWORD n = 0;
                if (ReadFile(m_handle, buffer, sizeof buffer, &n, nullptr))
                    got.insert(got.end(), buffer, buffer + n);
                return got.size() >= count;
            },
            kPatience);
        return got;
    }

private:
    HANDLE m_handle = INVALID_HANDLE_VALUE;
};

std::vector<BYTE> Pattern(size_t count) {
    std::vector<BYTE> v(count);
    for (size_t i = 0; i < count; ++i)
        v[i] = BYTE(0x30 + i % 64);
    return v;
}

class SimLine : public testing_support::CoreHarnessTest {};

TEST_F(SimLine, AModelHearsItsRateAndAnswers) {
    SimulatedComPort sim(3, std::make_unique<EchoNextModel>());
    ASSERT_TRUE(sim.line.IsReady()) << sim.line.ErrorText();
    sim.line.SetPacing(false);
    ProgramPort program(sim, 2400);
    program.Write({0x10, 0x20, 0xFF});
    EXPECT_EQ(program.ReadAtLeast(3), (std::vector<BYTE>{0x11, 0x21, 0x00}));
    EXPECT_GT(sim.line.WithModel(
                  [](dorvik_sim::Model& m) { return static_cast<EchoNextModel&>(m).ticks; }),
              0);
}

TEST_F(SimLine, BytesAtAnotherRateAreLostBothWays) {
    SimulatedComPort sim(3, 19200);
    ASSERT_TRUE(sim.line.IsReady());
    sim.line.SetPacing(false);
    ProgramPort program(sim, 2400);
    program.Write({0xEB, 0x92, 0xF0});
    ASSERT_TRUE(Line::WaitFor([&] { return sim.line.LostInput() == 3; }, kPatience));
    sim.line.Send({1, 2, 3, 4});
    ASSERT_TRUE(Line::WaitFor([&] { return sim.line.LostOutput() == 4; }, kPatience));
    EXPECT_EQ(program.Waiting(), 0u);
    EXPECT_TRUE(sim.line.Received().empty());

    program.SetBaud(19200);
    program.Write({'A', 'A'});
    ASSERT_TRUE(Line::WaitFor([&] { return sim.line.Received().size() == 2; }, kPatience));
    sim.line.Send({5, 6});
    EXPECT_EQ(program.ReadAtLeast(2), (std::vector<BYTE>{5, 6}));
    EXPECT_EQ(sim.line.LostInput(), 3u);
    EXPECT_EQ(sim.line.LostOutput(), 4u);
}

TEST_F(SimLine, OutputTakesItsTimeOnTheWire) {
    SimulatedComPort sim(3, 2400);
    ASSERT_TRUE(sim.line.IsReady());
    ProgramPort program(sim, 2400);
    // 48 bytes of 10 bits at 2400 baud take 200 ms.
    const std::vector<BYTE> bytes = Pattern(48);
    const Clock::time_point start = Clock::now();
    sim.line.Send(bytes);
    EXPECT_EQ(program.ReadAtLeast(bytes.size()), bytes);
    EXPECT_GE(Clock::now() - start, 180ms);
}

TEST_F(SimLine, OutputCanComeInChunksWithPauses) {
    SimulatedComPort sim(3, 2400);
    ASSERT_TRUE(sim.line.IsReady());
    sim.line.SetPacing(false);
    sim.line.SetChunks({2, 3}, 100ms);
    ProgramPort program(sim, 2400);
    const std::vector<BYTE> bytes = Pattern(7);
    const Clock::time_point start = Clock::now();
    sim.line.Send(bytes);
    // Chunks of 2, 3 and 2 bytes, at least 100 ms apart.
    EXPECT_EQ(program.ReadAtLeast(5), std::vector<BYTE>(bytes.begin(), bytes.begin() + 5));
    EXPECT_GE(Clock::now() - start, 90ms);
    EXPECT_EQ(program.ReadAtLeast(2), std::vector<BYTE>(bytes.begin() + 5, bytes.end()));
    EXPECT_GE(Clock::now() - start, 190ms);
}

TEST_F(SimLine, WhatIsSentToAClosedPortIsGone) {
    SimulatedComPort sim(3, 2400);
    ASSERT_TRUE(sim.line.IsReady());
    sim.line.SetPacing(false);
    {
        ProgramPort program(sim, 2400);
        ASSERT_TRUE(Line::WaitFor([&] { return sim.line.IsSlaveOpen(); }, kPatience));
    }
    ASSERT_TRUE(Line::WaitFor([&] { return !sim.line.IsSlaveOpen(); }, kPatience));
    sim.line.Send({1, 2, 3});
    ASSERT_TRUE(Line::WaitFor([&] { return sim.line.LostOutput() == 3; }, kPatience));
    EXPECT_EQ(sim.line.SentOutput(), 0u);

    // The line keeps listening for the next open.
    ProgramPort again(sim, 2400);
    sim.line.Send({4});
    EXPECT_EQ(again.ReadAtLeast(1), std::vector<BYTE>{4});
}

}  // namespace
