// Turning the loggers' raw numbers into values: QK run records, snapshots, sensor descriptions
// and timing events; the basic model's run and live records; the rate codes; and what the
// document is told of a run's channels.
//
// A run's arrays are filled only while the run is active: from BeginRun to UM_RUN_ENDED. After
// that the document owns them, and a late record must not change a finished data set.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "analysis/timing_measurement.h"
#include "logger/calibration.h"
#include "logger/dorvik.h"
#include "logger/logger_messages.h"
#include "logger/settings.h"
#include "platform/base/codepage.h"

namespace {

constexpr int kSlotOfChannel[CDorvik::kChannels] = {4, 7, 2, 5, 6, 0, 1};
constexpr BYTE kHeartRateType = 3;
// Timer 1999 polls the basic logger's live values this often: the interval of the live pulse.
constexpr double kLivePollSeconds = 0.2;
// A sensor description: four bytes, the two limits, the two raw limits, then the name.
constexpr DWORD kSensorNameOffset = 16;

WORD BigEndianWord(const BYTE* p) {
    return static_cast<WORD>(p[0] << 8 | p[1]);
}

double BigEndianFloat(const BYTE* p) {
    const uint32_t bits = uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// A text of a sensor description, to its carriage return or to the end of the body.
CString TakeText(const BYTE* body, DWORD length, DWORD& at) {
    std::string bytes;
    while (at < length && body[at] != '\r') {
        const BYTE b = body[at++];
        if (b < 0x20) continue;                            // no control characters in a name
        bytes += static_cast<char>(b == 0xDF ? 0xB0 : b);  // the logger's degree sign
    }
    if (at < length) ++at;
    CString text(platform::Cp1252ToUtf8(bytes));
    text.Trim();
    return text;
}

bool IsFahrenheitChannel(int channel) {
    return channel == 0 || channel == 5 || channel == 6;
}

// What a sensor's name and limits make of it.
struct SensorChoice {
    CString name;
    CString unit;
    BYTE id = 255;
};

SensorChoice ChooseSensor(const CString& kind, const CString& unit, double maximum, int channel) {
    auto choice = [](const char* name, const CString& u, BYTE id) {
        return SensorChoice{name, u, id};
    };
    if (kind == "Light") {
        const CString u = unit == "lx" || unit == "klx" ? unit : CString("units");
        if (maximum == 138.09765625) return choice("Light 0 - 130", u, 4);
        if (maximum == 365) return choice("Light 0 - 300", u, 17);
        return choice("Light", u, 22);
    }
    if (kind == "Voltage") {
        if (maximum == 2.5) return choice("Voltage ±2.5", "V", 11);
        if (maximum == 25.125) return choice("Voltage ±25", "V", 12);
        return choice("Voltage", "V", 23);
    }
    if (kind == "Temperature") {
        if (maximum == 110 && channel != 0) return choice("Temperature -10 - 110", "°C", 9);
        if (maximum == 1245.375) return choice("Temperature 0 - 1250", "°C", 10);
        return choice("Temperature", "°C", 24);
    }
    if (kind == "Pressure") {
        if (maximum == 10) return choice("Pressure 0 - 10", "KPa", 18);
        if (maximum == 693) return choice("Pressure 0 - 700", "KPa", 19);
        return choice("Pressure", "KPa", 255);
    }
    if (kind == "Current") {
        if (unit == "A" && maximum == 2.5) return choice("Current ±2.5", "A", 1);
        if (unit == "mA" && maximum == 250) return choice("Current ±250", "mA", 2);
        return choice("Current", unit, 255);
    }
    struct Plain {
        const char* kind;
        const char* name;
        const char* unit;
        BYTE id;
    };
    static const Plain kPlain[] = {
        {"Humidity", "Humidity", "%", 7},
        {"Sound", "Sound", "db", 20},
        {"Conductivity", "Conductivity", "mS", 0},
        {"Heart rate", "Heart rate", "bpm", 3},
        {"Oxygen", "Oxygen", "%", 5},
        {"pH", "pH", "pH", 6},
        {"Spirometer", "Spirometer ±315", "L/min", 8},
        {"Colorimeter", "Colorimeter", "%T", 15},
        {"Distance", "Distance", "m", 13},
        {"Turbidity", "Turbidity", "Unit", 14},
        {"Photogate", "Photogate", "V", 21},
    };
    for (const Plain& p : kPlain)
        if (kind == p.kind) return choice(p.name, p.unit, p.id);
    return {kind, unit, 255};
}

}  // namespace

// ---- rates and slots

int CDorvik::ChannelToSlot(int channel) {
    return channel >= 0 && channel < kChannels ? kSlotOfChannel[channel] : -1;
}

double CDorvik::RateCodeToSeconds(WORD rateCode) {
    return qk::RateOfCode(rateCode).seconds;
}

BYTE CDorvik::SecondsToRateCode(double seconds) {
    return qk::RateCodeOfSeconds(seconds);
}

double CDorvik::DecodeQKPeriod(BYTE first, BYTE second) {
    return qk::DecodePeriod(first, second);
}

double CDorvik::GetLiveValue(int slot) const {
    return slot >= 0 && slot < 8 ? m_liveValues[slot] : 0;
}

void CDorvik::AppendToRun(int pair, double x, double y) {
    if (pair < 0 || pair >= kRunPairs) return;
    const CDataArrayPtr xs = m_runX[pair].lock(), ys = m_runY[pair].lock();
    if (!xs || !ys) return;  // its data set was deleted
    xs->push_back(x);
    ys->push_back(y);
}

double CDorvik::HeartRateFromRaw(int input, double raw, DWORD sample) {
    if (input < 0 || input > 1) return 0;
    return m_heartRate[input].Add(raw, sample, m_rateInfo.intervalSeconds);
}

// ---- the QK's run records and snapshots

WORD CDorvik::QKRawValue(const BYTE* r, int channel) {
    switch (channel) {
        case 0:
            return static_cast<WORD>((r[7] & 3) << 8 | r[2]);
        case 1:
            return static_cast<WORD>(((r[7] >> 2) & 3) << 8 | r[3]);
        case 2:
            return static_cast<WORD>(((r[7] >> 4) & 3) << 8 | r[4]);
        case 3:
            return r[5];
        case 4:
            return static_cast<WORD>((r[7] >> 6) << 8 | r[6]);
        case 5:
            return static_cast<WORD>((r[9] >> 6) << 8 | r[8]);
        case 6:
            return static_cast<WORD>((r[11] >> 6) << 8 | r[10]);
        default:
            return 0;
    }
}

double CDorvik::QKLinearValue(const ChannelInfoStruct& record, int channel, WORD raw) {
    const double value = raw * record.gain + record.offset;
    return record.fahrenheit && IsFahrenheitChannel(channel)
               ? calibration::FahrenheitToCelsius(value)
               : value;
}

void CDorvik::StoreQKSample(const BYTE* record) {
    const int sample = (record[0] & 63) * 16 + (record[1] >> 4) - 1;
    if (sample < 0) return;
    if (sample == 0 || (!m_runActive && m_runRequested)) {
        // The run's channels are the ones enabled now, whatever changes during it.
        m_channelCount = 0;
        std::fill(std::begin(m_channelList), std::end(m_channelList), BYTE(0));
        for (BYTE ch = 0; ch < kChannels; ++ch)
            if (m_liveChannels[ch].enabled) m_channelList[m_channelCount++] = ch;
        m_startTime = CPreciseDateTime(LocalTimeNow());
        BeginRun(m_channelCount, kLiveRun);
    } else if (!m_runActive) {
        return;  // after its run ended
    }
    m_sampleCounter = DWORD(sample);
    for (int i = 0; i < m_runChannelCount; ++i) {
        const int ch = m_runChannels[i];
        const WORD raw = QKRawValue(record, ch);
        const int slot = ChannelToSlot(ch);
        const bool pulse = (ch == 5 || ch == 6) && m_settings &&
                           m_settings->m_sensorSlots[slot].type == kHeartRateType;
        const double value = pulse ? HeartRateFromRaw(ch - 5, raw, DWORD(sample))
                                   : QKLinearValue(m_liveChannels[ch], ch, raw);
        AppendToRun(i, sample, value);
    }
    if (DWORD(sample) + 1 >= m_runLength) SendToHost(UM_RUN_ENDED);
}

void CDorvik::DecodeQKSnapshot(const BYTE* body, DWORD length) {
    // "C", then a 16-bit field per channel; the caller tells the meters.
    if (length < 1 + 2 * kChannels) return;
    for (int ch = 0; ch < kChannels; ++ch) {
        const WORD raw = static_cast<WORD>(BigEndianWord(body + 1 + 2 * ch) >> 6);
        m_liveValues[ChannelToSlot(ch)] = QKLinearValue(m_liveChannels[ch], ch, raw);
    }
}

// ---- the QK's sensor descriptions

void CDorvik::DecodeSensorInfo(const BYTE* body, DWORD length, BYTE channel, BYTE setIndex) {
    if (channel >= kChannels || length <= kSensorNameOffset) return;
    const bool live = setIndex == kLiveChannels;
    if (!live && setIndex >= kStoredSets) return;
    ChannelInfoStruct& r = live ? m_liveChannels[channel] : m_storedChannels[channel];

    const double minimum = BigEndianFloat(body + 4);
    const double maximum = BigEndianFloat(body + 8);
    const double rawMinimum = BigEndianWord(body + 12) >> 6;
    const double rawMaximum = BigEndianWord(body + 14) >> 6;
    DWORD at = kSensorNameOffset;
    const CString kind = TakeText(body, length, at);
    const CString receivedUnit = TakeText(body, length, at);

    // Without a raw range or with limits that are no numbers, readings cannot be converted.
    const bool usable =
        rawMaximum != rawMinimum && std::isfinite(minimum) && std::isfinite(maximum);
    const bool absent = kind == "No Sensor" || !usable;
    const BYTE mask = live ? m_mask : m_dataSetHeaders[setIndex].mask;

    r.channelIndex = channel;
    r.kindName = kind;
    r.minimum = usable ? minimum : 0;
    r.maximum = usable ? maximum : 0;
    r.rawMinimum = rawMinimum;
    r.rawMaximum = rawMaximum;
    r.gain = usable ? (maximum - minimum) / (rawMaximum - rawMinimum) : 0;
    r.offset = usable ? minimum - r.gain * rawMinimum : 0;
    r.enabled = !absent && ((mask >> channel) & 1) ? 1 : 0;
    r.absent = absent ? 1 : 0;
    r.fahrenheit = 0;

    const SensorChoice choice = ChooseSensor(kind, receivedUnit, maximum, channel);
    r.name = choice.name;
    r.unit = choice.unit;
    r.sensorId = choice.id;
    if (kind == "Heart rate") {
        r.minimum = 0;
        r.maximum = 100;
    }
    const bool celsius =
        !receivedUnit.IsEmpty() && receivedUnit[receivedUnit.GetLength() - 1] == 'C';
    if (kind == "Temperature" && !celsius) {
        r.fahrenheit = 1;
        r.minimum = calibration::FahrenheitToCelsius(r.minimum);
        r.maximum = calibration::FahrenheitToCelsius(r.maximum);
    }
    r.name = ExternalInputName(channel - 5, r.name);

    // A stored set's sensors are not the ones plugged in now: the settings keep the live ones.
    if (!live) return;
    if (m_settings) {
        SensorInfoStruct& slot = m_settings->m_sensorSlots[ChannelToSlot(channel)];
        slot.name = r.name;
        slot.shortName = r.kindName;
        slot.unit = r.unit;
        slot.minimum = r.minimum;
        slot.maximum = r.maximum;
        slot.factor = r.gain;
        slot.offset = r.offset;
        slot.type = r.sensorId;
        slot.absent = absent ? 1 : 0;
        slot.photogate = kind == "Photogate" ? 1 : 0;
    }
    if (channel == kChannels - 1) {
        ShowStatusBarText(m_timerVariant ? "Dorvik QK Timer was detected"
                                         : "Dorvik QK was detected");
        SendToHost(UM_LOGGER_ANSWERED);
    }
}

// ---- timing events

int CDorvik::TimingMeasurementCode() const {
    return m_settings ? m_settings->m_timingMethod * 10 + m_settings->m_timingMeasurement : 0;
}

void CDorvik::StoreTimingEvent(const BYTE* record) {
    if (m_sampleCounter == 0) {
        // Collision velocities go to two result pairs, one per gate.
        m_channelCount = TimingMeasurementCode() == 21 ? 2 : 1;
        m_timingTimes.clear();
        m_timingInputA.clear();
        m_timingInputB.clear();
        BeginRun(m_channelCount, kLiveTimingRun);
    } else if (!m_runActive) {
        return;
    }
    const BYTE state = record[0];
    const DWORD ticks =
        DWORD(record[1]) << 24 | DWORD(record[2]) << 16 | DWORD(record[3]) << 8 | record[4];
    const bool inputA = m_liveChannels[5].enabled != 0;
    if (inputA) m_timingInputA.push_back(state == 1 || state == 3 ? 1 : 0);
    if (m_liveChannels[6].enabled)
        (inputA ? m_timingInputB : m_timingInputA).push_back(state == 2 || state == 3 ? 1 : 0);
    m_timingTimes.push_back(ticks * 0.000002);
    ++m_sampleCounter;

    // Every event recomputes the results from all events so far.
    const CDataArrayPtr x[2] = {m_runX[0].lock(), m_runX[1].lock()};
    const CDataArrayPtr y[2] = {m_runY[0].lock(), m_runY[1].lock()};
    for (int pair = 0; pair < 2; ++pair) {
        if (x[pair]) x[pair]->clear();
        if (y[pair]) y[pair]->clear();
    }
    if (!m_settings) return;
    const bool fits =
        ComputeTimingMeasurement({x[0].get(), y[0].get()}, {x[1].get(), y[1].get()}, m_timingTimes,
                                 m_timingInputA, m_timingInputB, TimingMeasurementCode(),
                                 m_settings->m_timingDistance1, m_settings->m_timingDistance2);
    if (!fits) ReportTimingMismatch();
}

// ---- the basic model's records

double CDorvik::BasicValue(int channel, BYTE raw, CHeartRateDetector* pulses, DWORD sample,
                           double secondsPerSample) {
    const auto linear = [&](const SensorInfoStruct& slot) {
        return raw * slot.factor + slot.offset;
    };
    switch (channel) {
        case 0:
        case 1: {
            if (!m_settings) return 0;
            const SensorInfoStruct& slot = m_settings->m_sensorSlots[channel];
            switch (slot.type) {
                case kHeartRateType:
                    // The detector's thresholds are in 10-bit units.
                    return pulses[channel].Add(raw * 4.0, sample, secondsPerSample);
                case 9:
                    return calibration::kTemperatureTableA[raw];
                case 10:
                    return calibration::ThermocoupleValue(raw);
                default:
                    return slot.type < CSettings::kSensorTypes ? linear(slot) : 0;
            }
        }
        case 2:
        case 5:
        case 6:
            return m_settings ? linear(m_settings->m_sensorSlots[channel]) : 0;
        case 4:
            return calibration::kTemperatureTableB[raw];
        case 7:
            return calibration::SoundLevel(raw);
        default:
            return 0;
    }
}

double CDorvik::RawToValue(int channel, BYTE raw) {
    return BasicValue(channel, raw, m_heartRate, m_sampleCounter, m_rateInfo.intervalSeconds);
}

void CDorvik::StoreBasicRunRecord(const BYTE* record) {
    if (!m_runActive) BeginRun(m_channelCount, kLiveRun);
    for (int i = 0; i < m_runChannelCount; ++i) {
        const int ch = m_runChannels[i];
        if (ch < 8) AppendToRun(i, m_sampleCounter, RawToValue(ch, record[ch]));
    }
    ++m_sampleCounter;
    if (m_sampleCounter >= m_runLength) {
        m_basicFastMode = 0;
        m_sampleCounter = 0;
        SendToHost(UM_RUN_ENDED);
    }
}

void CDorvik::StoreLiveValues(const BYTE* record) {
    for (int ch = 0; ch < 8; ++ch)
        m_liveValues[ch] =
            BasicValue(ch, record[ch], m_liveHeartRate, m_liveAnswerCount, kLivePollSeconds);
    ++m_liveAnswerCount;
    SendToHost(UM_UPDATE_METERS);
}

// ---- for the document

CString CDorvik::ExternalInputName(int input, const CString& name) {
    // The two inputs often hold sensors of one type: their sets must not share a name.
    if (input == 0) return "Input A: " + name;
    if (input == 1) return "Input B: " + name;
    return name;
}

bool CDorvik::GetChannelDescription(int index, BYTE runKind, ChannelDescriptionStruct& d) const {
    d = ChannelDescriptionStruct();
    if (index < 0 || index >= std::min<int>(GetChannelCount(runKind), kRunPairs)) return false;
    d.x = m_runX[index].lock().get();
    d.y = m_runY[index].lock().get();

    if (runKind == kStoredTimingRun || runKind == kLiveTimingRun) {
        const int measurement = m_settings ? m_settings->m_timingMeasurement : 0;
        const int method = m_settings ? m_settings->m_timingMethod : 0;
        if (measurement == 1) {
            d.name = "Velocity";
            d.unit = "m/s";
            if (method == 2) d.name += CString::Formatted(" %d", index + 1);
        } else if (measurement == 2) {
            d.name = "Acceleration";
            d.unit = "m/s²";
        } else {
            d.name = "Time";
            d.unit = "s";
        }
        d.kindName = d.name;
        d.channel = static_cast<BYTE>(5 + index);
        d.sensorId = 21;
        d.minimum = 9999999;
        d.maximum = -9999999;
        return true;
    }

    auto fromRecord = [&d](const ChannelInfoStruct& r, int channel) {
        d.name = r.name;
        d.kindName = r.kindName;
        d.unit = r.unit;
        d.channel = static_cast<BYTE>(channel);
        d.sensorId = r.sensorId;
        d.minimum = r.minimum;
        d.maximum = r.maximum;
    };
    if (m_qkModel && runKind == kStoredRun) {
        // The set's pairs hold its enabled channels in order.
        int n = 0;
        for (int ch = 0; ch < kChannels; ++ch) {
            if (!m_storedChannels[ch].enabled) continue;
            if (n++ == index) {
                fromRecord(m_storedChannels[ch], ch);
                return true;
            }
        }
        return false;
    }
    if (index >= m_runChannelCount) return false;
    const int ch = m_runChannels[index];
    if (m_qkModel) {
        if (ch >= kChannels) return false;
        fromRecord(m_liveChannels[ch], ch);
        return true;
    }
    if (ch >= CSettings::kSensorSlots) return false;
    d.channel = static_cast<BYTE>(ch);
    if (m_settings) {
        const SensorInfoStruct& slot = m_settings->m_sensorSlots[ch];
        d.name = ExternalInputName(ch, slot.name);
        d.kindName = slot.shortName;
        d.unit = slot.unit;
        d.minimum = slot.minimum;
        d.maximum = slot.maximum;
        if (ch == 0) d.sensorId = m_settings->m_externalSensor1;
        if (ch == 1) d.sensorId = m_settings->m_externalSensor2;
    }
    return true;
}

int CDorvik::GetSensorList(SensorListItemStruct* items, int capacity) const {
    if (!items) return 0;
    int count = 0;
    if (m_qkModel) {
        for (int ch = 0; ch < kChannels && count < capacity; ++ch) {
            const ChannelInfoStruct& r = m_liveChannels[ch];
            if (r.enabled) items[count++] = {static_cast<BYTE>(ch), r.name, r.unit, 0};
        }
        return count;
    }
    for (int i = 0; i < m_channelCount && i < 8 && count < capacity; ++i) {
        const int ch = m_channelList[i];
        SensorListItemStruct item;
        item.index = static_cast<BYTE>(i);
        if (m_settings && ch < CSettings::kSensorSlots) {
            item.name = ExternalInputName(ch, m_settings->m_sensorSlots[ch].name);
            item.unit = m_settings->m_sensorSlots[ch].unit;
        }
        items[count++] = item;
    }
    return count;
}
