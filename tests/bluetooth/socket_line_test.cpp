// The simulator's line over a connected socket, as an RFCOMM link: no line rate, pacing by bytes
// per second, chunks, and the ends of a connection.

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <vector>

#include "tools/dorvik-sim/line.h"

namespace {

using namespace std::chrono_literals;
using dorvik_sim::Line;
using Bytes = std::vector<BYTE>;
using Clock = std::chrono::steady_clock;

// The program's end of a connection.
struct Program {
    int fd = -1;
    explicit Program(Line& line) {
        int pair[2];
        EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair), 0);
        fd = pair[0];
        line.AttachSocket(pair[1]);
    }
    ~Program() { Close(); }
    void Close() {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
    // Reads until `count` bytes came, the far end closed, or 5 s passed.
    Bytes Read(size_t count, bool* closed = nullptr) {
        Bytes got;
        const auto until = Clock::now() + 5s;
        while (got.size() < count && Clock::now() < until) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) continue;
            BYTE buffer[512];
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0) {
                if (closed) *closed = true;
                break;
            }
            got.insert(got.end(), buffer, buffer + n);
        }
        return got;
    }
};

Bytes Counting(size_t size) {
    Bytes b(size);
    for (size_t i = 0; i < size; ++i)
        b[i] = BYTE(i * 7);
    return b;
}

TEST(SocketLine, TheModelHearsEveryByteAndOutputIsPacedInBytesPerSecond) {
    // A model of 19200 baud hears whatever comes: a socket has no rate.
    Line line(std::make_unique<dorvik_sim::ListeningModel>(19200), Line::OverSocket{});
    ASSERT_TRUE(line.IsReady());
    EXPECT_TRUE(line.IsOverSocket());
    Program program(line);
    const Bytes sent = Counting(300);
    ASSERT_EQ(::send(program.fd, sent.data(), sent.size(), 0), ssize_t(sent.size()));
    ASSERT_TRUE(Line::WaitFor([&] { return line.Received().size() == sent.size(); }, 5s));
    EXPECT_EQ(line.Received(), sent);
    EXPECT_EQ(line.LostInput(), 0u);
    EXPECT_EQ(line.ProgramBaudRate(), 0u);

    struct Case {
        const char* what;
        DWORD byteRate;
        bool paced;
        std::vector<size_t> chunks;
        std::chrono::milliseconds gap;
        std::chrono::milliseconds atLeast, below;
    };
    const Case cases[] = {
        {"unpaced", 0, true, {}, 0ms, 0ms, 1000ms},
        {"200 bytes a second", 200, true, {}, 0ms, 1300ms, 4000ms},
        {"pacing off", 200, false, {}, 0ms, 0ms, 1000ms},
        {"chunks of 100 with 60 ms between", 0, true, {100}, 60ms, 110ms, 2000ms},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        line.SetByteRate(c.byteRate);
        line.SetPacing(c.paced);
        line.SetChunks(c.chunks, c.gap);
        const Bytes out = Counting(300);
        const auto start = Clock::now();
        line.Send(out);
        EXPECT_EQ(program.Read(out.size()), out);
        const auto took = Clock::now() - start;
        EXPECT_GE(took, c.atLeast);
        EXPECT_LT(took, c.below);
    }
    EXPECT_EQ(line.LostOutput(), 0u);
}

TEST(SocketLine, AHangUpClosesTheSocketAndANewConnectionReachesTheSameModel) {
    Line line(std::make_unique<dorvik_sim::ListeningModel>(19200), Line::OverSocket{});
    {
        Program first(line);
        line.Send({1, 2, 3});
        EXPECT_EQ(first.Read(3), (Bytes{1, 2, 3}));
        line.HangUp();
        EXPECT_TRUE(line.IsHungUp());
        bool closed = false;
        EXPECT_TRUE(first.Read(1, &closed).empty());
        EXPECT_TRUE(closed) << "the program reads the end of the stream";
    }

    Program second(line);
    ASSERT_TRUE(Line::WaitFor([&] { return !line.IsHungUp(); }, 5s));
    ASSERT_EQ(::send(second.fd, "ab", 2, 0), 2);
    ASSERT_TRUE(Line::WaitFor([&] { return line.Received().size() == 2; }, 5s));
    line.Send({4});
    EXPECT_EQ(second.Read(1), Bytes{4});

    // The program closes its end: what the model sends meanwhile is lost, and the line waits for
    // the next connection.
    second.Close();
    ASSERT_TRUE(Line::WaitFor([&] { return !line.IsSlaveOpen(); }, 5s));
    const size_t lost = line.LostOutput();
    line.Send({5, 6});
    ASSERT_TRUE(Line::WaitFor([&] { return line.LostOutput() == lost + 2; }, 5s));
    Program third(line);
    ASSERT_TRUE(Line::WaitFor([&] { return line.IsSlaveOpen(); }, 5s));
    line.Send({7});
    EXPECT_EQ(third.Read(1), Bytes{7});
}

}  // namespace
