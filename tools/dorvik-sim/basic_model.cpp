#include "tools/dorvik-sim/basic_model.h"

#include <algorithm>
#include <cstdio>

namespace dorvik_sim {
namespace {

constexpr auto kCommandTimeout = std::chrono::milliseconds(200);
constexpr BYTE kLead = 0xEB;
constexpr BYTE kCommandByte = 0x92;
constexpr BYTE kAnswerByte = 0x90;
constexpr BYTE kFastModeRate = 255;
constexpr size_t kSetupBytes = 10;

enum Code : BYTE {
    CODE_STATUS = 0xF0,
    CODE_RUN = 0xAA,
    CODE_SETUP = 0x0F,
    CODE_DOWNLOAD = 0x55,
    CODE_STOP = 0x44,
    CODE_LIVE_POLL = 0xFA,
    CODE_SENSOR_QUERY = 0xC8,
};

std::string NameOf(BYTE code) {
    switch (code) {
        case CODE_STATUS:
            return "status";
        case CODE_RUN:
            return "run";
        case CODE_SETUP:
            return "set-up";
        case CODE_DOWNLOAD:
            return "download";
        case CODE_STOP:
            return "stop";
        case CODE_LIVE_POLL:
            return "live poll";
        case CODE_SENSOR_QUERY:
            return "sensor query";
        default: {
            char text[16];
            std::snprintf(text, sizeof text, "code %02X", code);
            return text;
        }
    }
}

}  // namespace

BasicModel::BasicModel() {
    rawValue = [](int channel, DWORD sample) { return static_cast<BYTE>(30 * channel + sample); };
}

double BasicModel::PeriodSeconds(BYTE code) {
    switch (code) {
        case 1:
            return 1800;
        case 2:
            return 600;
        case 4:
            return 120;
        case 8:
            return 60;
        case 16:
            return 10;
        case 32:
            return 2;
        case 64:
            return 1;
        case 128:
            return 0.1;
        case 255:
            return 0.001;
        default:
            return 0;
    }
}

size_t BasicModel::ChannelCount(BYTE m) {
    size_t n = 0;
    for (int ch = 0; ch < 8; ++ch)
        n += (m >> ch) & 1;
    return n;
}

size_t BasicModel::CountOf(BYTE code) const {
    return static_cast<size_t>(std::count(commands.begin(), commands.end(), code));
}

std::array<BYTE, 12> BasicModel::Status(BYTE state) const {
    return {state,           mask,     rateCode, BYTE(runLength >> 8),
            BYTE(runLength), clock[0], clock[1], clock[2],
            clock[3],        clock[4], clock[5], version};
}

std::vector<std::vector<BYTE>> BasicModel::Blocks(const BasicStoredRun& run) const {
    std::array<BYTE, 12> status = Status(kBlockFollows);
    status[1] = run.mask;
    status[2] = run.rateCode;
    status[3] = BYTE(run.runLength >> 8);
    status[4] = BYTE(run.runLength);
    std::vector<std::vector<BYTE>> blocks;
    const size_t count = (run.data.size() + kBlockSize - 1) / kBlockSize;
    for (size_t i = 0; i < count; ++i) {
        std::vector<BYTE> block = {kLead, kAnswerByte};
        block.insert(block.end(), status.begin(), status.end());
        block.push_back(BYTE(i));
        const size_t from = i * kBlockSize;
        const size_t to = std::min(run.data.size(), from + kBlockSize);
        block.insert(block.end(), run.data.begin() + ptrdiff_t(from),
                     run.data.begin() + ptrdiff_t(to));
        block.resize(2 + status.size() + 1 + kBlockSize, 0);  // the padding
        DWORD sum = 0;
        for (BYTE b : block)
            sum += b;
        block.push_back(BYTE(sum));
        blocks.push_back(std::move(block));
    }
    return blocks;
}

void BasicModel::OnReceived(Line& line, const BYTE* data, size_t size) {
    const Clock::time_point now = Clock::now();
    for (size_t i = 0; i < size; ++i) {
        const BYTE b = data[i];
        if (!m_command.empty() && now - m_commandStarted > kCommandTimeout) m_command.clear();
        if (m_command.empty()) {
            if (b != kLead) continue;
            m_commandStarted = now;
        } else if (m_command.size() == 1 && b != kCommandByte) {
            m_command.clear();
            if (b == kLead) {
                m_command.push_back(b);
                m_commandStarted = now;
            }
            continue;
        }
        m_command.push_back(b);
        if (m_command.size() < 3) continue;
        const BYTE code = m_command[2];
        if (code == CODE_SETUP && m_command.size() < 3 + kSetupBytes) continue;
        const std::vector<BYTE> command = std::move(m_command);
        m_command.clear();
        OnCommand(line, code, code == CODE_SETUP ? command.data() + 3 : nullptr);
    }
}

void BasicModel::Answer(Line& line, std::vector<BYTE> bytes) {
    if (!garbageBeforeAnswer.empty()) {
        bytes.insert(bytes.begin(), garbageBeforeAnswer.begin(), garbageBeforeAnswer.end());
        garbageBeforeAnswer.clear();
    }
    line.Send(bytes);
}

void BasicModel::AnswerStatus(Line& line, BYTE state) {
    const std::array<BYTE, 12> status = Status(state);
    std::vector<BYTE> bytes = {kLead, kAnswerByte};
    bytes.insert(bytes.end(), status.begin(), status.end());
    Answer(line, std::move(bytes));
}

void BasicModel::OnCommand(Line& line, BYTE code, const BYTE* setup) {
    commands.push_back(code);
    if (trace) trace(NameOf(code));
    if (code == CODE_SETUP) {
        std::array<BYTE, 10> bytes;
        std::copy(setup, setup + kSetupBytes, bytes.begin());
        setups.push_back(bytes);
    }
    if (ignoreCommands > 0) {
        --ignoreCommands;
        return;
    }
    switch (code) {
        case CODE_STATUS:
            if (!running) AnswerStatus(line, kIdle);
            break;
        case CODE_SETUP:
            if (running) break;
            mask = setup[0];
            rateCode = setup[1];
            runLength = static_cast<WORD>(setup[2] << 8 | setup[3]);
            std::copy(setup + 4, setup + 10, clock.begin());
            AnswerStatus(line, setupEchoState);
            break;
        case CODE_RUN:
            if (!running) StartRun();
            break;
        case CODE_STOP:
            if (running) EndRun();
            AnswerStatus(line, kIdle);
            break;
        case CODE_LIVE_POLL:
            if (!running) {
                const std::array<BYTE, 8> record = Record(0);
                std::vector<BYTE> bytes = {kLead, kAnswerByte};
                bytes.insert(bytes.end(), record.begin(), record.end());
                Answer(line, std::move(bytes));
            }
            break;
        case CODE_SENSOR_QUERY:
            if (!running) AnswerStatus(line, kAcknowledged);
            break;
        case CODE_DOWNLOAD:
            if (!running) SendDownload(line);
            break;
        default:
            break;
    }
}

void BasicModel::SendDownload(Line& line) {
    if (!storedRun || storedRun->data.empty()) {
        AnswerStatus(line, kIdle);
        return;
    }
    const std::vector<std::vector<BYTE>> blocks = Blocks(*storedRun);
    for (size_t i = 0; i < blocks.size(); ++i) {
        if (int(i) == dropBlock) continue;
        std::vector<BYTE> block = blocks[i];
        const size_t numberAt = 2 + 12;
        if (int(i) == misnumberBlock) {
            block.back() = BYTE(block.back() - block[numberAt] + misnumberAs);
            block[numberAt] = misnumberAs;
        }
        if (int(i) == corruptBlock) ++block.back();
        Answer(line, std::move(block));
        ++blocksSent;
        if (hangUpAfterBlocks >= 0 && blocksSent >= size_t(hangUpAfterBlocks)) {
            m_hangUpPending = true;
            return;
        }
    }
}

std::array<BYTE, 8> BasicModel::Record(DWORD sample) const {
    std::array<BYTE, 8> record{};
    for (int ch = 0; ch < 8; ++ch)
        record[size_t(ch)] = rawValue(ch, sample);
    return record;
}

void BasicModel::StartRun() {
    running = true;
    fastMode = rateCode == kFastModeRate;
    m_nextSample = 0;
    m_statusDue = fastMode;
    m_nextRecordAt = Clock::now();
    m_recording = BasicStoredRun{mask, rateCode, 0, {}};
}

void BasicModel::EndRun() {
    running = false;
    fastMode = false;
    storedRun = m_recording;
}

void BasicModel::SendRunRecords(Line& line) {
    const Clock::time_point now = Clock::now();
    const double seconds = std::max(PeriodSeconds(rateCode), 0.001) / std::max(timeScale, 1e-6);
    const auto period =
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    while (running && now >= m_nextRecordAt) {
        // At 1 ms the line is the limit: the next record waits until the last is out.
        if (rateCode == 255 && line.PendingOutput() > 0) return;
        std::vector<BYTE> bytes = {kLead, kAnswerByte};
        if (m_statusDue || !fastMode) {
            const std::array<BYTE, 12> status = Status(kRunning);
            bytes.insert(bytes.end(), status.begin(), status.end());
        }
        if (m_statusDue) {
            // Fast mode: the running status alone, then the records.
            m_statusDue = false;
            line.Send(bytes);
            continue;
        }
        const std::array<BYTE, 8> record = Record(m_nextSample);
        bytes.insert(bytes.end(), record.begin(), record.end());
        line.Send(bytes);
        for (int ch = 0; ch < 8; ++ch)
            if ((m_recording.mask >> ch) & 1) m_recording.data.push_back(record[size_t(ch)]);
        ++m_nextSample;
        m_recording.runLength = static_cast<WORD>(m_nextSample);
        ++recordsSent;
        m_nextRecordAt += period;
        if (m_nextSample >= runLength) {
            const bool fast = fastMode;
            EndRun();
            if (fast) {
                const std::array<BYTE, 12> status = Status(kIdle);
                std::vector<BYTE> end = {kLead, kAnswerByte};
                end.insert(end.end(), status.begin(), status.end());
                line.Send(end);
            }
        }
        if (hangUpAfterRecords >= 0 && recordsSent >= DWORD(hangUpAfterRecords)) {
            running = false;
            m_hangUpPending = true;
        }
    }
}

void BasicModel::OnTick(Line& line) {
    SendRunRecords(line);
    if (m_hangUpPending && line.PendingOutput() == 0) {
        // Once the last bytes are on the wire.
        m_hangUpPending = false;
        line.RequestHangUp();
    }
}

}  // namespace dorvik_sim
