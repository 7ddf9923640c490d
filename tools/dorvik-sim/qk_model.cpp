#include "tools/dorvik-sim/qk_model.h"

#include <algorithm>
#include <cstring>

namespace dorvik_sim {
namespace {

constexpr auto kFrameTimeout = std::chrono::milliseconds(100);
constexpr auto kRegimeTimeout = std::chrono::milliseconds(500);
constexpr size_t kRegimeSize = 23;
constexpr BYTE kRecordLead = 0xAA;

BYTE Sum8(const BYTE* bytes, size_t count, DWORD start = 0) {
    DWORD sum = start;
    for (size_t i = 0; i < count; ++i)
        sum += bytes[i];
    return static_cast<BYTE>(sum);
}

void PutFloat(std::vector<BYTE>& out, float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<BYTE>(bits >> shift));
}

void PutWord(std::vector<BYTE>& out, WORD value) {
    out.push_back(static_cast<BYTE>(value >> 8));
    out.push_back(static_cast<BYTE>(value));
}

QkSensor Sensor(const char* name, const char* unit, float minimum, float maximum) {
    return {name, unit, minimum, maximum, 0, 1023};
}

// The sensors a QK reports when nothing else is plugged in: its own and two external inputs.
std::array<QkSensor, 7> DefaultSensors() {
    return {Sensor("Temperature",
                   "\xDF"
                   "C",
                   -10, 110),
            Sensor("Sound", "db", 50, 105.2f),
            Sensor("Light", "lx", 0, 138.09765625f),
            Sensor("Humidity", "%", 0, 100),
            Sensor("Pressure", "KPa", 0, 200),
            Sensor("Voltage", "V", -2.5f, 2.5f),
            Sensor("No Sensor", "", 0, 0)};
}

}  // namespace

std::array<BYTE, 24> QkStoredSet::Header() const {
    std::array<BYTE, 24> h{};
    std::memcpy(h.data(), start, 6);
    h[12] = static_cast<BYTE>((mode & 3) << 4);
    h[13] = kind;
    h[15] = period[0];
    h[16] = period[1];
    h[19] = mask;
    h[22] = static_cast<BYTE>(sampleCount >> 8);
    h[23] = static_cast<BYTE>(sampleCount);
    return h;
}

QkStoredSet MakeStoredSet(BYTE mask, WORD sampleCount,
                          const std::function<WORD(int channel, DWORD sample)>& raw) {
    QkStoredSet set;
    set.mask = mask;
    set.sampleCount = sampleCount;
    set.sensors = DefaultSensors();
    for (int ch = 0; ch < 7; ++ch) {
        if (!((mask >> ch) & 1)) continue;
        std::vector<WORD>& samples = set.samples[size_t(ch)];
        samples.reserve(sampleCount);
        for (DWORD i = 0; i < sampleCount; ++i)
            samples.push_back(static_cast<WORD>(raw(ch, i) & (ch == 3 ? 0xFF : 0x3FF)));
    }
    return set;
}

QkStoredSet MakeTimingSet(std::vector<QkTimingEvent> events) {
    QkStoredSet set;
    set.kind = 5;
    set.mask = 0x60;
    set.sampleCount = static_cast<WORD>(events.size());
    set.events = std::move(events);
    set.sensors = DefaultSensors();
    set.sensors[5] = set.sensors[6] = Sensor("Photogate", "V", 0, 5);
    return set;
}

QkModel::QkModel(BYTE variantByte) : variant(variantByte), liveSensors(DefaultSensors()) {
    rawValue = [](int channel, DWORD sample) {
        const DWORD value = 100 * DWORD(channel) + sample;
        return static_cast<WORD>(channel == 3 ? value & 0xFF : value & 0x3FF);
    };
}

double QkModel::PeriodMs(const BYTE timer[2]) {
    const double value = (timer[0] & 0x0F) * 256.0 + timer[1];
    switch (timer[0] >> 4) {
        case 0:
            return value / 1000;
        case 1:
            return value;
        default:
            return value * 1000;
    }
}

std::array<BYTE, 13> QkModel::RunRecord(DWORD sample, const std::array<WORD, 7>& raw) {
    const DWORD number = sample + 1;  // the logger counts from 1
    std::array<BYTE, 13> r{};
    r[0] = static_cast<BYTE>((number >> 4) & 63);
    r[1] = static_cast<BYTE>((number & 15) << 4);
    r[2] = static_cast<BYTE>(raw[0]);
    r[3] = static_cast<BYTE>(raw[1]);
    r[4] = static_cast<BYTE>(raw[2]);
    r[5] = static_cast<BYTE>(raw[3]);
    r[6] = static_cast<BYTE>(raw[4]);
    r[7] = static_cast<BYTE>(((raw[0] >> 8) & 3) | ((raw[1] >> 8) & 3) << 2 |
                             ((raw[2] >> 8) & 3) << 4 | ((raw[4] >> 8) & 3) << 6);
    r[8] = static_cast<BYTE>(raw[5]);
    r[9] = static_cast<BYTE>(((raw[5] >> 8) & 3) << 6);
    r[10] = static_cast<BYTE>(raw[6]);
    r[11] = static_cast<BYTE>(((raw[6] >> 8) & 3) << 6);
    r[12] = Sum8(r.data(), 12, kRecordLead + 1);
    return r;
}

std::vector<std::string> QkModel::Letters() const {
    std::vector<std::string> out;
    for (const QkCommand& c : commands)
        out.push_back(c.letters);
    return out;
}

size_t QkModel::CountOf(const std::string& letters) const {
    return static_cast<size_t>(
        std::count_if(commands.begin(), commands.end(),
                      [&](const QkCommand& c) { return c.letters == letters; }));
}

void QkModel::Trace(const std::string& text) const {
    if (trace) trace(text);
}

void QkModel::OnReceived(Line& line, const BYTE* data, size_t size) {
    const Clock::time_point now = Clock::now();
    for (size_t i = 0; i < size; ++i) {
        const BYTE b = data[i];
        if (m_regimeExpected) {
            m_regimeBytes.push_back(b);
            if (m_regimeBytes.size() == kRegimeSize) OnRegimeFrame(line);
            continue;
        }
        if (!m_frame.empty() && now - m_frameStarted > kFrameTimeout) m_frame.clear();
        if (m_frame.empty()) {
            if (b == 0) {
                ++zeroBytesSkipped;
                continue;
            }
            m_frameStarted = now;
        }
        m_frame.push_back(b);
        if (m_frame.size() == 8) {
            std::array<BYTE, 8> frame;
            std::copy(m_frame.begin(), m_frame.end(), frame.begin());
            m_frame.clear();
            OnFrame(line, frame);
        }
    }
}

void QkModel::Answer(Line& line, std::vector<BYTE> bytes) {
    if (!garbageBeforeAnswer.empty()) {
        bytes.insert(bytes.begin(), garbageBeforeAnswer.begin(), garbageBeforeAnswer.end());
        garbageBeforeAnswer.clear();
    }
    if (duplicateAnswers) {
        const std::vector<BYTE> copy = bytes;
        bytes.insert(bytes.end(), copy.begin(), copy.end());
    }
    if (answerDelay.count() > 0)
        m_delayed.push_back({Clock::now() + answerDelay, std::move(bytes)});
    else
        line.Send(bytes);
}

void QkModel::AnswerToken(Line& line, const char* token) {
    std::vector<BYTE> bytes = {'S'};
    bytes.insert(bytes.end(), token, token + std::strlen(token));
    Answer(line, std::move(bytes));
}

void QkModel::AnswerData(Line& line, const std::vector<BYTE>& body, DWORD extraSum) {
    std::vector<BYTE> bytes = {'S'};
    bytes.insert(bytes.end(), body.begin(), body.end());
    BYTE checksum = Sum8(body.data(), body.size(), 'S' + extraSum);
    if (corruptAnswerChecksums > 0) {
        --corruptAnswerChecksums;
        ++checksum;
    }
    bytes.push_back(checksum);
    Answer(line, std::move(bytes));
}

void QkModel::AnswerSensor(Line& line, const QkSensor& sensor) {
    std::vector<BYTE> body(4, 0);
    PutFloat(body, sensor.minimum);
    PutFloat(body, sensor.maximum);
    PutWord(body, static_cast<WORD>(sensor.rawMinimum << 6));
    PutWord(body, static_cast<WORD>(sensor.rawMaximum << 6));
    body.insert(body.end(), sensor.name.begin(), sensor.name.end());
    body.push_back('\r');
    body.insert(body.end(), sensor.unit.begin(), sensor.unit.end());
    body.push_back('\r');
    // The length counts itself, the body and the checksum; the checksum counts its value.
    const WORD length = static_cast<WORD>(body.size() + 3);
    std::vector<BYTE> withLength;
    PutWord(withLength, length);
    withLength.insert(withLength.end(), body.begin(), body.end());
    std::vector<BYTE> bytes = {'S'};
    bytes.insert(bytes.end(), withLength.begin(), withLength.end());
    BYTE checksum = Sum8(body.data(), body.size(), 'S' + DWORD(length));
    if (corruptAnswerChecksums > 0) {
        --corruptAnswerChecksums;
        ++checksum;
    }
    bytes.push_back(checksum);
    Answer(line, std::move(bytes));
}

void QkModel::AnswerStoredData(Line& line, int set, int channel, WORD first, WORD last) {
    const auto& stored = storedSets[set];
    if (!stored || !((stored->mask >> channel) & 1) || last < first ||
        last >= stored->samples[channel].size()) {
        AnswerToken(line, "NAK");
        return;
    }
    std::vector<BYTE> body;
    for (DWORD i = first; i <= last; ++i) {
        const WORD raw = stored->samples[channel][i];
        if (channel == 3) {
            body.push_back(static_cast<BYTE>(raw));
            body.push_back(0);
        } else {
            PutWord(body, static_cast<WORD>(raw << 6));
        }
    }
    AnswerDataRead(line, body);
}

bool QkModel::AnswerDataRead(Line& line, const std::vector<BYTE>& body) {
    if (ignoreDataReads > 0) {
        --ignoreDataReads;
        return false;
    }
    DWORD offBy = 0;
    if (corruptDataChecksums > 0) {
        --corruptDataChecksums;
        offBy = 1;
    }
    AnswerData(line, body, offBy);
    return true;
}

void QkModel::AnswerTimingData(Line& line, int set, WORD first, WORD last) {
    const auto& stored = storedSets[set];
    if (!stored || last < first || last >= stored->events.size()) {
        AnswerToken(line, "NAK");
        return;
    }
    std::vector<BYTE> body;
    for (DWORD i = first; i <= last; ++i) {
        const QkTimingEvent& e = stored->events[i];
        body.push_back(e.state);
        for (int shift = 24; shift >= 0; shift -= 8)
            body.push_back(static_cast<BYTE>(e.ticks >> shift));
    }
    AnswerDataRead(line, body);
}

void QkModel::OnFrame(Line& line, const std::array<BYTE, 8>& frame) {
    QkCommand command;
    command.letters = std::string(reinterpret_cast<const char*>(frame.data()), 2);
    command.frame = frame;
    command.checksumOk = Sum8(frame.data(), 7) == frame[7];
    commands.push_back(command);
    Trace(command.letters);
    if (!command.checksumOk) {
        AnswerToken(line, "CKS");
        return;
    }
    if (ignoreCommands > 0) {
        --ignoreCommands;
        return;
    }
    if (!tokenAnswers.empty()) {
        const std::string token = tokenAnswers.front();
        tokenAnswers.pop_front();
        AnswerToken(line, token.c_str());
        return;
    }
    const BYTE* p = frame.data() + 2;
    const WORD first = static_cast<WORD>(p[1] << 8 | p[2]);
    const WORD last = static_cast<WORD>(p[3] << 8 | p[4]);
    const std::string& l = command.letters;
    if (l == "AA") {
        AnswerData(line, {'V', variant, 0});
    } else if (l == "AS") {
        std::vector<BYTE> body = {'C'};
        for (int ch = 0; ch < 7; ++ch) {
            PutWord(body, static_cast<WORD>(rawValue(ch, 0) << 6));
        }
        body.push_back(0);
        body.push_back(0);
        AnswerData(line, body);
    } else if (l == "AJ") {
        const BYTE set = p[0];
        const BYTE channel = p[1];
        if (channel >= 7 || (set != 255 && (set >= 4 || !storedSets[set]))) {
            AnswerToken(line, "NAK");
        } else {
            AnswerSensor(line,
                         set == 255 ? liveSensors[channel] : storedSets[set]->sensors[channel]);
        }
    } else if (l == "BA") {
        if (p[0] >= 4 || !storedSets[p[0]]) {
            AnswerToken(line, "NAK");
        } else {
            const auto header = storedSets[p[0]]->Header();
            AnswerData(line, std::vector<BYTE>(header.begin(), header.end()));
        }
    } else if (l == "BB") {
        AnswerData(line, {dateSet[0], dateSet[1], dateSet[2], timeSet[0], timeSet[1], timeSet[2]});
    } else if (l == "BF") {
        std::memcpy(dateSet, p, 3);
        AnswerToken(line, "ACK");
    } else if (l == "BG") {
        std::memcpy(timeSet, p, 3);
        AnswerToken(line, "ACK");
    } else if (l == "BD") {
        m_regimeExpected = true;
        m_regimeAsked = Clock::now();
        m_regimeBytes.clear();
        AnswerToken(line, "WDN");
    } else if (l == "AQ") {
        if (p[0] == 1) {
            for (auto& set : storedSets)
                set.reset();
        } else {
            running = false;
            timing = false;
        }
        AnswerToken(line, "ACK");
    } else if (l == "AK" && p[0] == 1) {
        timing = true;
        m_endTiming = false;
        Answer(line, {'S'});
    } else if (l == "CS") {
        if (p[0] >= 4) {
            AnswerToken(line, "NAK");
        } else {
            AnswerTimingData(line, p[0], first, last);
        }
    } else if (l[0] == 'C' && l[1] >= 'A' && l[1] <= 'G' && p[0] < 4) {
        AnswerStoredData(line, p[0], l[1] - 'A', first, last);
    } else {
        AnswerToken(line, "INV");
    }
}

void QkModel::OnRegimeFrame(Line& line) {
    m_regimeExpected = false;
    QkRegime regime;
    regime.bytes = m_regimeBytes;
    regime.checksumOk = Sum8(m_regimeBytes.data(), 22) == m_regimeBytes[22];
    regime.startsRun = m_regimeBytes[6] == 0x10;
    regime.timer[0] = m_regimeBytes[15];
    regime.timer[1] = m_regimeBytes[16];
    regime.mask = m_regimeBytes[19];
    regime.runLength = static_cast<WORD>(m_regimeBytes[20] << 8 | m_regimeBytes[21]);
    regimes.push_back(regime);
    Trace("regime frame");
    if (!regime.checksumOk) {
        AnswerToken(line, "CKS");
        return;
    }
    RegimeReply reply = regimeReply;
    if (!regimeReplies.empty()) {
        reply = regimeReplies.front();
        regimeReplies.pop_front();
    }
    switch (reply) {
        case RegimeReply::Cks:
            AnswerToken(line, "CKS");
            return;  // refused: nothing taken
        case RegimeReply::Nak:
            AnswerToken(line, "NAK");
            return;
        case RegimeReply::Ack:
            AnswerToken(line, "ACK");
            break;
        case RegimeReply::None:
            break;
    }
    if (regime.startsRun) {
        running = true;
        timing = false;
        m_runLength = regime.runLength;
        m_runMask = regime.mask;
        m_nextSample = 0;
        m_periodMs = std::max(1.0, PeriodMs(regime.timer));
        m_nextRecordAt = Clock::now() + std::chrono::microseconds(long(m_periodMs * 1000));
    }
}

void QkModel::SendRunRecords(Line& line) {
    const Clock::time_point now = Clock::now();
    while (running && now >= m_nextRecordAt) {
        if (m_nextSample >= m_runLength) {
            const BYTE end[] = {kRecordLead, 0};
            line.Send(end, sizeof end);
            running = false;
            break;
        }
        std::array<WORD, 7> raw{};
        for (int ch = 0; ch < 7; ++ch)
            if ((m_runMask >> ch) & 1) raw[ch] = rawValue(ch, m_nextSample);
        std::array<BYTE, 13> record = RunRecord(m_nextSample, raw);
        if (corruptRecordChecksums > 0) {
            --corruptRecordChecksums;
            ++record[12];
        }
        std::vector<BYTE> bytes = {kRecordLead, 1};
        bytes.insert(bytes.end(), record.begin(), record.end());
        line.Send(bytes);
        ++m_nextSample;
        ++recordsSent;
        m_nextRecordAt += std::chrono::microseconds(long(m_periodMs * 1000));
        if (m_nextSample >= m_runLength) m_nextRecordAt = now;  // the end record at once
        if (hangUpAfterRecords >= 0 && recordsSent >= DWORD(hangUpAfterRecords)) {
            running = false;
            m_hangUpPending = true;
            break;
        }
    }
}

void QkModel::OnTick(Line& line) {
    const Clock::time_point now = Clock::now();
    if (m_regimeExpected && now - m_regimeAsked > kRegimeTimeout) {
        m_regimeExpected = false;
        m_regimeBytes.clear();
    }
    while (!m_delayed.empty() && m_delayed.front().due <= now) {
        line.Send(m_delayed.front().bytes);
        m_delayed.pop_front();
    }
    if (m_sensorChange) {
        m_sensorChange = false;
        const BYTE change[] = {kRecordLead, 2};
        line.Send(change, sizeof change);
    }
    SendRunRecords(line);
    if (m_hangUpPending && line.PendingOutput() == 0) {
        // Once the last record is on the wire.
        m_hangUpPending = false;
        line.RequestHangUp();
    }
    if (timing) {
        while (!m_timingEvents.empty()) {
            const QkTimingEvent e = m_timingEvents.front();
            m_timingEvents.pop_front();
            const BYTE record[] = {e.state, BYTE(e.ticks >> 24), BYTE(e.ticks >> 16),
                                   BYTE(e.ticks >> 8), BYTE(e.ticks)};
            line.Send(record, sizeof record);
        }
        if (m_endTiming) {
            m_endTiming = false;
            timing = false;
            const BYTE end[] = {kRecordLead, 0};
            line.Send(end, sizeof end);
        }
    }
}

}  // namespace dorvik_sim
