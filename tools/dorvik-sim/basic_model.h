#pragma once
// The basic Dorvik at the far end of a line: 2400 baud, commands EB 92 and a code (the set-up
// carries ten bytes more), answers that start EB 90, one raw byte per channel 0..7.
//
// What it does:
// - EB 92 F0 (wake and status): EB 90 and its 12-byte status, state 2 (idle); nothing while a
//   run streams, whose own statuses answer it;
// - EB 92 0F, mask, rate code, run length (high, low), hour, minute, second, year, month, day:
//   takes the regime and the clock and echoes them in a status (state 2, or `setupEchoState`);
//   a run ignores it;
// - EB 92 AA (run): at every rate but 255, each sample at the rate's period is EB 90, a running
//   status (state 0) and the 8 raw bytes; at 255 (fast mode) the running status comes once, then
//   EB 90 and the 8 raw bytes per sample, as fast as the line takes them, and the idle status ends
//   the stream. The first sample goes at once. What was recorded (the enabled channels' bytes of
//   each sample) becomes the stored run, also when the run is stopped;
// - EB 92 FA (live poll, while idle): EB 90 and the 8 raw bytes of sample 0;
// - EB 92 44 (stop): ends a run and answers with the idle status;
// - EB 92 C8 (sensor query): a status with state 5 (acknowledged);
// - EB 92 55 (download): the stored run as numbered blocks, each EB 90, the status with state 1
//   and the stored run's regime, the block number, 256 data bytes (the last block padded), and the
//   low 8 bits of the sum of the status, EB, 90, the block number and the 256 bytes. Without a
//   stored run it answers with the idle status.
// A command left unfinished for 200 ms is dropped; bytes outside a command are skipped.
//
// Faults on request: silence for the next commands, garbage before the next answer, a bad
// checksum in a chosen block, a block left out or sent under another number, a hang-up after a
// number of blocks or run records.
//
// Like every model it runs on the line's thread under the model lock: tests change and read it
// through Line::WithModelAs<BasicModel>.

#include <array>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tools/dorvik-sim/line.h"

namespace dorvik_sim {

// The run a basic logger keeps in its memory.
struct BasicStoredRun {
    BYTE mask = 0x07;
    BYTE rateCode = 64;
    WORD runLength = 0;  // samples
    // The enabled channels' bytes of each sample, one sample after another.
    std::vector<BYTE> data;
};

class BasicModel : public Model {
public:
    static constexpr DWORD kBaudRate = 2400;
    static constexpr size_t kBlockSize = 256;
    // The logger states of a status record.
    static constexpr BYTE kRunning = 0;
    static constexpr BYTE kBlockFollows = 1;
    static constexpr BYTE kIdle = 2;
    static constexpr BYTE kAcknowledged = 5;

    BasicModel();
    DWORD BaudRate() const override { return kBaudRate; }
    void OnReceived(Line& line, const BYTE* data, size_t size) override;
    void OnTick(Line& line) override;

    // The seconds per sample of a rate code; 0 for a code the logger does not know.
    static double PeriodSeconds(BYTE rateCode);
    static size_t ChannelCount(BYTE mask);
    // The 12 bytes of a status record with this state and the logger's regime, clock and version.
    std::array<BYTE, 12> Status(BYTE state) const;
    // The blocks that serve `run`: EB 90 onwards, checksum included, faults left out.
    std::vector<std::vector<BYTE>> Blocks(const BasicStoredRun& run) const;

    // A run starts as EB 92 AA starts one; a test may start it before the program looks.
    void StartRun();

    // ---- the logger
    BYTE mask = 0x07;
    BYTE rateCode = 64;
    WORD runLength = 10;
    BYTE version = 4;
    // hour, minute, second, year - 2000, month, day: the clock as the last set-up set it.
    std::array<BYTE, 6> clock = {9, 30, 0, 26, 3, 14};
    // The raw byte of a channel at a sample of a run (sample 0 for the live poll).
    std::function<BYTE(int channel, DWORD sample)> rawValue;
    BYTE setupEchoState = kIdle;
    std::optional<BasicStoredRun> storedRun;
    // The run's sample period is divided by it, so that tests of a 1 s rate need not wait.
    double timeScale = 1;

    // ---- faults
    int ignoreCommands = 0;                 // the next commands get no answer and do nothing
    std::vector<BYTE> garbageBeforeAnswer;  // sent once, before the next answer
    int corruptBlock = -1;                  // this block's checksum is one off
    int dropBlock = -1;                     // this block is not sent
    int misnumberBlock = -1;                // this block goes out numbered `misnumberAs`
    BYTE misnumberAs = 0;
    int hangUpAfterBlocks = -1;
    int hangUpAfterRecords = -1;

    // ---- what the program did
    std::vector<BYTE> commands;                // the code of each command, in order
    std::vector<std::array<BYTE, 10>> setups;  // the bytes after EB 92 0F of each set-up
    bool running = false;
    bool fastMode = false;
    DWORD recordsSent = 0;
    size_t blocksSent = 0;
    // Every command as it arrives, for a person watching.
    std::function<void(const std::string&)> trace;

    size_t CountOf(BYTE code) const;

private:
    using Clock = std::chrono::steady_clock;

    void OnCommand(Line& line, BYTE code, const BYTE* setup);
    void Answer(Line& line, std::vector<BYTE> bytes);
    void AnswerStatus(Line& line, BYTE state);
    void SendDownload(Line& line);
    void SendRunRecords(Line& line);
    std::array<BYTE, 8> Record(DWORD sample) const;
    void EndRun();

    std::vector<BYTE> m_command;
    Clock::time_point m_commandStarted;

    DWORD m_nextSample = 0;
    bool m_statusDue = false;  // fast mode: the running status goes first
    Clock::time_point m_nextRecordAt;
    BasicStoredRun m_recording;
    bool m_hangUpPending = false;
};

}  // namespace dorvik_sim
