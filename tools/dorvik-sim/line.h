#pragma once
// The simulator's line: the master side of a pseudo-terminal whose slave the program opens as its
// COM port, with a logger model at the far end.
//
// The line runs its own thread from construction to destruction. That thread reads what the
// program sends, writes what the model sends, and calls the model; the model's calls come one at a
// time with the line's model lock held, and tests reach the model only through WithModel, under
// the same lock, so a model needs no locking of its own. Every other member may be called from any
// thread.
//
// What the line models:
// - the rate: the line reads the baud rate the program set from the slave's termios. Bytes the
//   program sends at a rate other than the model's are lost, and so is the model's output while
//   the program listens at another rate (both are counted). The rate of received bytes is the one
//   in force when the line reads them, within a few milliseconds of their arrival, so a program
//   that changes its rate at once after writing may see its last bytes judged by the new rate;
// - the time on the wire: output goes out at the line rate (start, data, parity and stop bits per
//   byte), unless pacing is switched off;
// - chunks: output can be split into chosen chunk sizes, with a pause between chunks;
// - a busy device: the line can open the slave itself and hold an exclusive lock on it, as another
//   program holding the port would;
// - a hang-up: the line closes the master, as a pulled-out adapter vanishes; the program's port
//   then reads a hang-up and fails to write, and the line is dead;
// - a stalled reader: the line can stop reading, so that the program's writes back up.
// A closed slave (the program closed its port) makes the master read EIO; the line takes that as
// "port closed", drops what the model sends meanwhile and keeps listening.
//
// A line made with OverSocket runs on a connected stream socket instead, as an RFCOMM link does:
// there is no line rate, so the model hears every byte; output is paced at a chosen byte rate or
// not at all, and split into chunks as above; a hang-up closes the socket. The program closing its
// end is "port closed"; each new connection comes as a new socket (AttachSocket), to the same
// model.

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/base/types.h"

namespace dorvik_sim {

class Line;

// A logger at the far end of the line. Called on the line's thread.
class Model {
public:
    virtual ~Model() = default;
    // The logger's line rate.
    virtual DWORD BaudRate() const = 0;
    // Bytes the program sent at the model's rate, in arrival order.
    virtual void OnReceived(Line& /*line*/, const BYTE* /*data*/, size_t /*size*/) {}
    // Called at least every few milliseconds, for what the logger does by itself.
    virtual void OnTick(Line& /*line*/) {}
};

// A model that only listens at one rate.
class ListeningModel : public Model {
public:
    explicit ListeningModel(DWORD baudRate) : m_baudRate(baudRate) {}
    DWORD BaudRate() const override { return m_baudRate; }

private:
    DWORD m_baudRate;
};

class Line {
public:
    struct OverSocket {};

    explicit Line(std::unique_ptr<Model> model);
    explicit Line(DWORD baudRate) : Line(std::make_unique<ListeningModel>(baudRate)) {}
    // A line on sockets that AttachSocket hands it; none at first.
    Line(std::unique_ptr<Model> model, OverSocket);
    ~Line();
    Line(const Line&) = delete;
    Line& operator=(const Line&) = delete;

    // False when no pseudo-terminal could be made (the error is in ErrorText).
    bool IsReady() const { return m_ready; }
    bool IsOverSocket() const { return m_overSocket; }
    // A line over sockets takes this connected stream socket and owns it; the one before, if
    // any, is closed. Undoes a hang-up.
    void AttachSocket(int socket);
    const std::string& ErrorText() const { return m_error; }
    // The device the program opens ("/dev/pts/7").
    const std::string& SlavePath() const { return m_slavePath; }

    // ---- the program's side
    // The rate the program set on its side, 0 when unknown or after the hang-up.
    DWORD ProgramBaudRate() const;
    // Every rate the line has seen, in order, repeats left out.
    std::vector<DWORD> SeenBaudRates() const;
    // The slave is open (by the program, or by HoldBusy).
    bool IsSlaveOpen() const;

    // ---- from the program
    // Every byte that arrived at the model's rate.
    std::vector<BYTE> Received() const;
    // The same, emptied.
    std::vector<BYTE> TakeReceived();
    // Bytes that arrived at another rate.
    size_t LostInput() const;
    // false: the line stops reading, so that the program's writes back up.
    void SetReading(bool reading);

    // ---- to the program
    // Queues bytes for the program; also called by the model.
    void Send(const void* data, size_t size);
    void Send(const std::vector<BYTE>& bytes) { Send(bytes.data(), bytes.size()); }
    // On by default.
    void SetPacing(bool paced);
    // Over a socket: the pace in bytes per second while pacing is on; 0 (the default) sends as
    // fast as the socket takes it.
    void SetByteRate(DWORD bytesPerSecond);
    // Output goes out in chunks of these sizes in turn (empty: as pacing allows), each chunk
    // followed by at least `gap`.
    void SetChunks(std::vector<size_t> sizes, std::chrono::milliseconds gap);
    // Bytes queued and not yet written.
    size_t PendingOutput() const;
    // Bytes written to the program, and bytes dropped for a rate mismatch or a closed port.
    size_t SentOutput() const;
    size_t LostOutput() const;

    // ---- faults
    // true: opens the slave and locks it exclusively; false when that fails (the program holds
    // it). false: lets it go.
    bool HoldBusy(bool busy);
    // Closes the master: the program's port reads a hang-up. Waits until it is done.
    void HangUp();
    // The same without waiting: a model may ask for it from its own calls.
    void RequestHangUp();
    bool IsHungUp() const;

    // Runs f(model) under the model lock.
    template <class F>
    auto WithModel(F&& f) {
        std::lock_guard lock(m_modelMutex);
        return f(*m_model);
    }
    // The same for a line made with a model of type M.
    template <class M, class F>
    auto WithModelAs(F&& f) {
        std::lock_guard lock(m_modelMutex);
        return f(static_cast<M&>(*m_model));
    }

    // True while some line has fallen behind the real time it models: bytes from the program not
    // yet read, a model call in progress, or output overdue. A test that moves a virtual clock
    // along with real time holds it meanwhile, so that a starved line thread cannot look like a
    // silent logger.
    static bool AnyBehind();

    // Waits until `done` holds, checking every millisecond; false when `timeout` passed first.
    static bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout);

private:
    using Clock = std::chrono::steady_clock;
    struct LineState {
        DWORD baud = 0;
        unsigned frameBits = 10;
    };

    void Run();
    bool IsBehind() const;
    void Wake();
    LineState SampleLine();
    void ReadInput();
    void WriteOutput();
    // Milliseconds until the next chunk may go, or -1 when there is nothing to send.
    int OutputDueIn() const;
    void CloseMaster();
    void TakePendingSocket();

    const bool m_overSocket = false;
    bool m_ready = false;
    std::unique_ptr<Model> m_model;
    std::mutex m_modelMutex;  // taken before m_mutex, never after

    mutable std::mutex m_mutex;
    int m_master = -1;  // closed on the line's thread; used elsewhere only under m_mutex
    int m_wake = -1;    // an eventfd that wakes the thread
    int m_busyFd = -1;
    int m_pendingSocket = -1;  // handed over by AttachSocket, taken by the thread
    DWORD m_byteRate = 0;
    std::string m_slavePath;
    std::string m_error;
    bool m_stop = false;
    bool m_hangUpAsked = false;
    bool m_hungUp = false;
    bool m_slaveOpen = false;
    bool m_reading = true;
    bool m_handling = false;  // between reading the program's bytes and the model's answer
    bool m_paced = true;
    std::vector<size_t> m_chunkSizes;
    std::chrono::milliseconds m_chunkGap{0};
    size_t m_chunkIndex = 0;
    size_t m_chunkLeft = 0;  // bytes of a chunk that the pseudo-terminal did not take at once
    Clock::time_point m_nextSend;
    std::vector<BYTE> m_output;  // front first
    size_t m_sent = 0;
    size_t m_lostOutput = 0;
    std::vector<BYTE> m_received;
    size_t m_lostInput = 0;
    std::vector<DWORD> m_seenBauds;

    std::thread m_thread;
};

}  // namespace dorvik_sim
