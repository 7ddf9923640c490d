#pragma once
// The Dorvik QK at the far end of a line: 19200 baud, 8-byte command frames, answers that start
// with "S", run records that start with AA.
//
// What it does:
// - takes frames of two letters, five parameters and a checksum, skipping the zero bytes of the
//   wake block between frames; a frame left unfinished for 100 ms is dropped, as is a regime frame
//   that has not come whole 500 ms after "WDN";
// - answers "AA" (identification, by variant), "AS" (snapshot), "AJ" (sensor description of a live
//   or stored channel), "BA" (stored-set header), "BB" (date and time), "BF" and "BG" (set date and
//   time), "C" + 'A'..'G' (data of a stored channel), "CS" (timing events of a stored set), "BD"
//   (then "WDN" and the 23-byte regime frame), "AQ" 00 (stop) and 01 (clear memory), "AK" 01
//   (timing mode with photogates); a bad frame checksum gets "CKS", unknown letters "INV";
// - after the regime frame: nothing by default, or "ACK", "CKS" or "NAK" as asked; a frame that
//   starts a run streams run records at the regime's period, sample numbers from 1, and ends with
//   the run-end record AA 00 after the run length;
// - in timing mode, sends the timing events a test queues, and AA 00 when asked to end.
//
// Faults on request: bad checksums on answers or records, a token in place of the next answers,
// silence for the next commands, late or duplicated answers, garbage before the next answer, a
// hang-up after a number of run records.
//
// Like every model it runs on the line's thread under the model lock: tests change and read it
// through Line::WithModelAs<QkModel>.

#include <array>
#include <chrono>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tools/dorvik-sim/line.h"

namespace dorvik_sim {

// A sensor as the QK describes it.
struct QkSensor {
    std::string name;
    std::string unit;  // byte DF stands for the degree sign
    float minimum = 0;
    float maximum = 0;
    WORD rawMinimum = 0;  // 10-bit
    WORD rawMaximum = 1023;
};

struct QkTimingEvent {
    BYTE state = 0;   // bit 0 input A blocked, bit 1 input B
    DWORD ticks = 0;  // 2-microsecond ticks since the start
};

// One of the four data sets in the QK's memory.
struct QkStoredSet {
    BYTE start[6] = {26, 3, 14, 9, 30, 0};  // year - 2000, month, day, hour, minute, second
    BYTE mode = 0;                          // bits 4-5 of header byte 12
    BYTE kind = 0;                          // 5: timing data
    BYTE period[2] = {32, 1};               // as the regime's timer bytes
    BYTE mask = 0;
    WORD sampleCount = 0;
    std::array<std::vector<WORD>, 7> samples;  // raw values per channel (channel 3: 8-bit)
    std::vector<QkTimingEvent> events;
    std::array<QkSensor, 7> sensors;

    std::array<BYTE, 24> Header() const;
};

// A stored set of `sampleCount` samples on the channels of `mask`, raw(channel, sample) each
// (cut to 8 bits on channel 3, 10 on the others), described by the QK's default sensors.
QkStoredSet MakeStoredSet(BYTE mask, WORD sampleCount,
                          const std::function<WORD(int channel, DWORD sample)>& raw);
// A timing set (kind 5) of these events, read by both inputs.
QkStoredSet MakeTimingSet(std::vector<QkTimingEvent> events);

// A frame the program sent.
struct QkCommand {
    std::string letters;
    std::array<BYTE, 8> frame{};
    bool checksumOk = false;
};

// A regime frame the program sent.
struct QkRegime {
    std::vector<BYTE> bytes;
    bool checksumOk = false;
    bool startsRun = false;
    BYTE timer[2] = {};
    BYTE mask = 0;
    WORD runLength = 0;
};

enum class RegimeReply { None, Ack, Cks, Nak };

class QkModel : public Model {
public:
    static constexpr BYTE kFullVariant = 0x80;
    static constexpr BYTE kVariant81 = 0x81;  // without humidity and pressure
    static constexpr BYTE kTimerVariant = 0x82;

    explicit QkModel(BYTE variant = kFullVariant);
    DWORD BaudRate() const override { return 19200; }
    void OnReceived(Line& line, const BYTE* data, size_t size) override;
    void OnTick(Line& line) override;

    // The run period of a regime's timer bytes, in milliseconds.
    static double PeriodMs(const BYTE timer[2]);
    // The 13 bytes after AA 01 of a run record for `sample` (from 0) with these raw values.
    static std::array<BYTE, 13> RunRecord(DWORD sample, const std::array<WORD, 7>& raw);

    // ---- the logger
    BYTE variant;
    std::array<QkSensor, 7> liveSensors;
    // The raw value of a channel at a sample of a live run or snapshot (channel 3: 8 bits, the
    // others 10).
    std::function<WORD(int channel, DWORD sample)> rawValue;
    std::array<std::optional<QkStoredSet>, 4> storedSets;
    // Replies to the next regime frames, then `regimeReply`.
    std::deque<RegimeReply> regimeReplies;
    RegimeReply regimeReply = RegimeReply::None;

    // ---- faults
    int corruptAnswerChecksums = 0;        // of the next answers that carry one
    int corruptRecordChecksums = 0;        // of the next run records
    std::deque<std::string> tokenAnswers;  // "S" + these answer the next commands
    int ignoreCommands = 0;                // the next commands get no answer
    std::chrono::milliseconds answerDelay{0};
    bool duplicateAnswers = false;
    std::vector<BYTE> garbageBeforeAnswer;  // sent once, before the next answer
    int hangUpAfterRecords = -1;            // during a run
    // Of stored data: the next data and timing reads get no answer, or a bad checksum.
    int ignoreDataReads = 0;
    int corruptDataChecksums = 0;

    // ---- timing mode
    void QueueTimingEvent(BYTE state, DWORD ticks) { m_timingEvents.push_back({state, ticks}); }
    void EndTimingRun() { m_endTiming = true; }
    // AA 02: the external sensors changed.
    void ReportSensorChange() { m_sensorChange = true; }

    // ---- what the program did
    std::vector<QkCommand> commands;
    std::vector<QkRegime> regimes;
    size_t zeroBytesSkipped = 0;
    BYTE dateSet[3] = {};
    BYTE timeSet[3] = {};
    bool running = false;
    bool timing = false;
    DWORD recordsSent = 0;
    // Every command's letters as it arrives, for a person watching.
    std::function<void(const std::string&)> trace;

    // Letters of the commands received, in order.
    std::vector<std::string> Letters() const;
    size_t CountOf(const std::string& letters) const;

private:
    using Clock = std::chrono::steady_clock;

    void OnFrame(Line& line, const std::array<BYTE, 8>& frame);
    void OnRegimeFrame(Line& line);
    // Sends an answer to a command, with the faults that apply to answers.
    void Answer(Line& line, std::vector<BYTE> bytes);
    void AnswerToken(Line& line, const char* token);
    // "S", the body and its checksum (counting the "S" and `extraSum`).
    void AnswerData(Line& line, const std::vector<BYTE>& body, DWORD extraSum = 0);
    void AnswerSensor(Line& line, const QkSensor& sensor);
    void AnswerStoredData(Line& line, int set, int channel, WORD first, WORD last);
    // Stored data with its faults; false when the read gets no answer.
    bool AnswerDataRead(Line& line, const std::vector<BYTE>& body);
    void AnswerTimingData(Line& line, int set, WORD first, WORD last);
    void SendRunRecords(Line& line);
    void Trace(const std::string& text) const;

    std::vector<BYTE> m_frame;
    Clock::time_point m_frameStarted;
    bool m_regimeExpected = false;
    Clock::time_point m_regimeAsked;
    std::vector<BYTE> m_regimeBytes;

    WORD m_runLength = 0;
    BYTE m_runMask = 0;
    DWORD m_nextSample = 0;
    double m_periodMs = 1000;
    Clock::time_point m_nextRecordAt;

    std::deque<QkTimingEvent> m_timingEvents;
    bool m_endTiming = false;
    bool m_sensorChange = false;
    bool m_hangUpPending = false;

    struct Delayed {
        Clock::time_point due;
        std::vector<BYTE> bytes;
    };
    std::deque<Delayed> m_delayed;
};

}  // namespace dorvik_sim
