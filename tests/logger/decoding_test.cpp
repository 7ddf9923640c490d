// Raw numbers into values: QK run records bit by bit, snapshots, sensor descriptions, timing
// events, the basic model's records, the calibrations, the rate codes and what the document is
// told of a run's channels; and the runs' bounds: where they start, what they hold, when they end.

#include <gtest/gtest.h>

#include <cmath>

#include "analysis/timing_measurement.h"
#include "logger/calibration.h"
#include "tests/logger/dorvik_fixture.h"

namespace {

using namespace dorvik_test;

// The decoding itself, with its protected state in reach.
class DecodingDorvik : public CDorvik {
public:
    using CDorvik::CDorvik;
    using CDorvik::DecodeQKSnapshot;

    // The link is fed by hand; a real search would reach for this machine's serial ports, which
    // other tests running alongside may hold.
    BOOL Connect() override { return TRUE; }
    using CDorvik::DecodeSensorInfo;
    using CDorvik::StoreQKSample;
    using CDorvik::StoreTimingEvent;

    ChannelInfoStruct& Live(int ch) { return m_liveChannels[ch]; }
    ChannelInfoStruct& Stored(int ch) { return m_storedChannels[ch]; }
    void SetRunLength(DWORD length) { m_runLength = length; }
    void SetMask(BYTE mask) { m_mask = mask; }
    void SetSampleCounter(DWORD n) { m_sampleCounter = n; }
    void SetStoredMask(int set, BYTE mask) { m_dataSetHeaders[set].mask = mask; }
    void SetStoredSet(int set, BYTE count) {
        m_chosenSet = BYTE(set);
        m_dataSetHeaders[set].channelCount = count;
    }
    // A basic logger's regime as its status record would leave it.
    void SetBasicRegime(std::vector<BYTE> channels, DWORD length, WORD rateCode = 41) {
        m_channelCount = BYTE(channels.size());
        std::fill(std::begin(m_channelList), std::end(m_channelList), BYTE(0));
        std::copy(channels.begin(), channels.end(), m_channelList);
        m_runLength = length;
        m_rateCode = rateCode;
        m_connected = 1;
    }
    void SetFastMode() { m_basicFastMode = 1; }
    bool IsFastMode() const { return m_basicFastMode != 0; }
    SYSTEMTIME LocalTimeNow() const override { return {2026, 3, 6, 14, 9, 26, 53, 0}; }
};

// A run record with the wire's sample number (the logger counts from 1) and chosen data bytes.
Bytes QkRecord(int wireNumber, std::initializer_list<std::pair<int, BYTE>> bytes = {}) {
    Bytes r(12, 0);
    r[0] = BYTE((wireNumber >> 4) & 63);
    r[1] = BYTE((wireNumber & 15) << 4);
    for (const auto& [at, value] : bytes)
        r[size_t(at)] = value;
    return r;
}

// A sensor description body as a QK sends it (after the length field).
Bytes SensorBody(const char* name, const char* unit, float minimum, float maximum,
                 WORD rawMinimum = 0, WORD rawMaximum = 1023) {
    Bytes body(4, 0);
    auto putFloat = [&](float v) {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        for (int s = 24; s >= 0; s -= 8)
            body.push_back(BYTE(bits >> s));
    };
    putFloat(minimum);
    putFloat(maximum);
    for (WORD raw : {rawMinimum, rawMaximum}) {
        body.push_back(BYTE((raw << 6) >> 8));
        body.push_back(BYTE(raw << 6));
    }
    return Cat({body, Text(name), {'\r'}, Text(unit), {'\r'}});
}

class Decoding : public testing_support::CoreHarnessTest {
protected:
    CSettings settings{env.File("Settings.vns")};
    HostWindow host;
    RecordingPort* port = nullptr;
    std::unique_ptr<DecodingDorvik> dorvik;

    void SetUp() override {
        ASSERT_TRUE(host.CreateMessageTarget());
        auto link = std::make_unique<RecordingPort>();
        port = link.get();
        dorvik = std::make_unique<DecodingDorvik>(&settings, std::move(link));
        dorvik->Create(&host);
    }
    void TearDown() override { dorvik.reset(); }

    void Feed(const Bytes& bytes) {
        dorvik->AcceptReceivedBytes(bytes.data(), DWORD(bytes.size()));
    }
    void IdentifyQk(BYTE variant = 0x80) {
        dorvik->SendQKStatusRequest();
        Feed(Identification(variant));
        ASSERT_TRUE(dorvik->IsQKModel());
        host.messages.clear();
    }
    // Every live channel reads its raw value.
    void RawGains() {
        for (int ch = 0; ch < 7; ++ch) {
            dorvik->Live(ch).gain = 1;
            dorvik->Live(ch).offset = 0;
        }
    }
    void Store(const Bytes& record) { dorvik->StoreQKSample(record.data()); }
    void Describe(BYTE channel, const Bytes& body, BYTE set = 255) {
        dorvik->DecodeSensorInfo(body.data(), DWORD(body.size()), channel, set);
    }
    std::vector<double> Y(int pair) const {
        const CDataArray* y = dorvik->GetRunY(pair);
        return y ? *y : std::vector<double>{};
    }
    std::vector<double> X(int pair) const {
        const CDataArray* x = dorvik->GetRunX(pair);
        return x ? *x : std::vector<double>{};
    }
    // As the document's Run command on a QK, up to the regime frame.
    void RequestRun(BYTE mask, DWORD length) {
        dorvik->StopCommandTimer();
        ASSERT_TRUE(dorvik->QueueWriteLoggingRegime(51, mask, length, 1));
        dorvik->StartCommandTimer(50);
        Feed(Token("WDN"));
        Feed(Token("ACK"));
        dorvik->StopCommandTimer();
        host.messages.clear();
    }
    void Stop() {
        dorvik->StopCommandTimer();
        dorvik->QueueQKStop();
        dorvik->StartCommandTimer(100);
        Feed(Token("ACK"));
    }
    // What "S" to "AK" does: the timing stream starts.
    void StartTiming() {
        dorvik->StopCommandTimer();
        dorvik->QueueQKTiming();
        dorvik->StartCommandTimer(50);
        Feed({'S'});
        dorvik->ResetAnswerMachine();
    }
};

// ---- QK run records

TEST_F(Decoding, QkRecordFieldsGoToTheirChannelsBitByBit) {
    struct Case {
        int byte;
        BYTE value;
        int channel;
        int raw;
    };
    const Case cases[] = {
        {2, 0xFF, 0, 255}, {7, 0x01, 0, 256},  {7, 0x02, 0, 512},  {3, 0x81, 1, 129},
        {7, 0x04, 1, 256}, {7, 0x08, 1, 512},  {4, 0x7E, 2, 126},  {7, 0x10, 2, 256},
        {7, 0x20, 2, 512}, {5, 0xFF, 3, 255},  {6, 0x01, 4, 1},    {7, 0x40, 4, 256},
        {7, 0x80, 4, 512}, {8, 0x33, 5, 51},   {9, 0x40, 5, 256},  {9, 0x80, 5, 512},
        {9, 0x3F, -1, 0},  {10, 0xA5, 6, 165}, {11, 0x40, 6, 256}, {11, 0x80, 6, 512},
        {11, 0x3F, -1, 0},
    };
    IdentifyQk();
    RawGains();
    dorvik->SetRunLength(1000);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "byte " << c.byte << " = " << int(c.value));
        Store(QkRecord(1, {{c.byte, c.value}}));
        for (int ch = 0; ch < 7; ++ch)
            EXPECT_EQ(Y(ch), std::vector<double>{ch == c.channel ? double(c.raw) : 0.0}) << ch;
    }
    // Channel 3 is the 8-bit one: the bits of byte 7 never reach it.
    Store(QkRecord(1, {{5, 0x80}, {7, 0xFF}}));
    EXPECT_EQ(Y(3), std::vector<double>{128});
}

TEST_F(Decoding, AQkRunHoldsItsEnabledChannelsInOrderWithGainsAndSampleNumbers) {
    IdentifyQk();
    RawGains();
    dorvik->Live(2).gain = 0.5;
    dorvik->Live(2).offset = -3;
    for (int ch : {1, 3, 6})
        dorvik->Live(ch).enabled = 0;
    dorvik->SetRunLength(1023);
    Store(QkRecord(1, {{2, 10}, {4, 20}, {6, 30}, {8, 40}, {10, 50}}));
    Store(QkRecord(2, {{2, 11}, {4, 22}}));
    Store(QkRecord(1023, {{2, 12}}));  // the largest number the wire carries
    EXPECT_EQ(host.Count(UM_NEW_EXPERIMENT), 1u);
    EXPECT_EQ(host.Count(UM_RUN_ENDED), 1u);
    EXPECT_EQ(dorvik->GetRegimeChannelCount(), 4);
    const std::vector<BYTE> list(dorvik->GetChannelList(), dorvik->GetChannelList() + 4);
    EXPECT_EQ(list, Bytes({0, 2, 4, 5}));
    EXPECT_EQ(X(0), (std::vector<double>{0, 1, 1022}));
    EXPECT_EQ(X(3), (std::vector<double>{0, 1, 1022}));
    EXPECT_EQ(Y(0), (std::vector<double>{10, 11, 12}));
    EXPECT_EQ(Y(1), (std::vector<double>{7, 8, -3}));
    EXPECT_EQ(Y(2), (std::vector<double>{30, 0, 0}));
    EXPECT_EQ(Y(3), (std::vector<double>{40, 0, 0}));
    EXPECT_EQ(dorvik->GetRunX(4), nullptr);
    EXPECT_EQ(dorvik->GetSampleCounter(), 1022u);
}

TEST_F(Decoding, AQkRunEndsAtItsLengthAndNothingMoreGoesIntoItsArrays) {
    IdentifyQk();
    RawGains();
    RequestRun(0x01, 3);
    for (int n = 1; n <= 3; ++n)
        Store(QkRecord(n, {{2, BYTE(n)}}));
    EXPECT_EQ(host.Count(UM_RUN_ENDED), 1u);
    EXPECT_FALSE(dorvik->IsRunActive());
    // A late or repeated record, and one past the end: the finished data set stays as it is.
    for (int n : {3, 4, 9})
        Store(QkRecord(n, {{2, 99}}));
    EXPECT_EQ(Y(0), (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(host.Count(UM_NEW_EXPERIMENT), 1u);
    EXPECT_EQ(host.Count(UM_RUN_ENDED), 1u);
}

// The document deletes a data set while its run goes on: its arrays go with it, and the run fills
// the others to its end.
TEST_F(Decoding, ADataSetDeletedMidRunTakesItsArraysAndTheRunGoesOn) {
    IdentifyQk();
    RawGains();
    CDataTreeList list;
    std::vector<DWORD> ids;
    host.onMessage = [&](UINT message) {
        if (message != UM_NEW_EXPERIMENT) return;
        const DWORD experiment = list.AddExperiment("Run")->m_id;
        for (int i = 0; i < 2; ++i) {
            CDataTreeBrench* node =
                list.InsertDataSet(experiment, dorvik->TakeRunX(i), dorvik->TakeRunY(i), "", 51, "",
                                   dorvik->GetStartTime(), 1, -1, 0, "", 0, 0, 0);
            ids.push_back(node->m_id);
        }
    };
    RequestRun(0x03, 6);
    for (int n = 1; n <= 6; ++n) {
        if (n == 4) {
            ASSERT_EQ(ids.size(), 2u);
            ASSERT_TRUE(list.Remove(ids[0]));
        }
        Store(QkRecord(n, {{2, BYTE(n)}, {3, BYTE(10 + n)}}));
    }
    EXPECT_EQ(host.Count(UM_RUN_ENDED), 1u);
    EXPECT_EQ(dorvik->GetRunX(0), nullptr);
    const CDataTreeBrench* kept = list.FindById(ids[1]);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(*kept->m_x, (std::vector<double>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(*kept->m_y, (std::vector<double>{11, 12, 13, 14, 15, 16}));
}

TEST_F(Decoding, ARunWhoseFirstRecordWasLostStartsAtItsFirstGoodRecord) {
    IdentifyQk();
    RawGains();
    // The earlier run ended with a stop; its last record is still on its way.
    RequestRun(0x01, 100);
    Store(QkRecord(1, {{2, 1}}));
    Store(QkRecord(2, {{2, 2}}));
    Stop();
    ASSERT_EQ(host.Count(UM_RUN_ENDED), 1u);
    Store(QkRecord(3, {{2, 3}}));
    EXPECT_EQ(Y(0), (std::vector<double>{1, 2}));

    // The next run's sample 0 never came.
    RequestRun(0x01, 100);
    Store(QkRecord(0, {{2, 7}}));  // number -1: no sample at all
    EXPECT_EQ(host.Count(UM_NEW_EXPERIMENT), 0u);
    Store(QkRecord(3, {{2, 30}}));
    Store(QkRecord(4, {{2, 40}}));
    EXPECT_EQ(host.Count(UM_NEW_EXPERIMENT), 1u);
    EXPECT_EQ(X(0), (std::vector<double>{2, 3}));
    EXPECT_EQ(Y(0), (std::vector<double>{30, 40}));
    EXPECT_EQ(dorvik->GetSampleCounter(), 3u);

    // A run the logger refused on every try never comes: a stray record is no run.
    Stop();
    dorvik->StopCommandTimer();
    dorvik->QueueWriteLoggingRegime(51, 0x01, 100, 1);
    dorvik->StartCommandTimer(50);
    for (int tick = 0; tick < 20 && !dorvik->IsCommandFailed(); ++tick) {
        Feed(Token("WDN"));
        Feed(Token("CKS"));
        dorvik->OnCommandTimer();
    }
    ASSERT_TRUE(dorvik->IsCommandFailed());
    prompts.ExpectMessage(CDorvik::kRegimeRefusedText, IDOK);
    clock.RunPending();
    host.messages.clear();
    Store(QkRecord(6));
    EXPECT_EQ(host.Count(UM_NEW_EXPERIMENT), 0u);
}

TEST_F(Decoding, TheRunsChannelsAreTheOnesEnabledAtItsStart) {
    IdentifyQk();
    RawGains();
    for (int ch : {0, 3, 4, 5, 6})
        dorvik->Live(ch).enabled = 0;  // the run holds channels 1 and 2
    dorvik->SetRunLength(100);
    Store(QkRecord(1, {{2, 4}, {3, 5}, {4, 6}}));
    // A sensor is plugged into channel 0, ahead of the run's channels, during the run.
    dorvik->SetMask(0x07);
    Describe(0, SensorBody("Voltage", "V", -2.5f, 2.5f));
    ASSERT_EQ(dorvik->GetLiveChannel(0).enabled, 1);
    Store(QkRecord(2, {{2, 7}, {3, 8}, {4, 9}}));
    EXPECT_EQ(Y(0), (std::vector<double>{5, 8}));
    EXPECT_EQ(Y(1), (std::vector<double>{6, 9}));
    EXPECT_EQ(dorvik->GetRunY(2), nullptr);
    EXPECT_EQ(dorvik->GetChannelCount(CDorvik::kLiveRun), 2);
    ChannelDescriptionStruct d;
    ASSERT_TRUE(dorvik->GetChannelDescription(0, CDorvik::kLiveRun, d));
    EXPECT_EQ(d.channel, 1);
    ASSERT_TRUE(dorvik->GetChannelDescription(1, CDorvik::kLiveRun, d));
    EXPECT_EQ(d.channel, 2);
    EXPECT_FALSE(dorvik->GetChannelDescription(2, CDorvik::kLiveRun, d));
}

TEST_F(Decoding, QkValuesConvertFahrenheitAndHeartRateByChannel) {
    IdentifyQk();
    for (BYTE ch : {0, 5, 6})
        Describe(ch, SensorBody("Temperature",
                                "\xDF"
                                "F",
                                32, 212));
    dorvik->Live(5).fahrenheit = 1;
    dorvik->Live(2).fahrenheit = 1;  // only 0, 5 and 6 are converted
    dorvik->Live(2).gain = 1;
    dorvik->Live(2).offset = 0;
    settings.m_sensorSlots[1].type = 3;  // input B holds a pulse sensor
    dorvik->SetRunLength(100);
    Store(QkRecord(1, {{2, 0xFF}, {7, 0x03}, {4, 200}, {8, 0}, {10, 0xFF}, {11, 0xC0}}));
    EXPECT_DOUBLE_EQ(Y(0)[0], 100);  // 212 °F
    EXPECT_DOUBLE_EQ(Y(2)[0], 200);
    EXPECT_DOUBLE_EQ(Y(5)[0], 0);  // 32 °F
    EXPECT_DOUBLE_EQ(Y(6)[0], 0) << "a heart rate, not a temperature";
}

// ---- run lengths the wire cannot carry

TEST_F(Decoding, RunLengthsBeyondTheWireAreRefusedWithAMessageAfterTheCall) {
    struct Case {
        const char* what;
        std::function<bool(CDorvik&)> queue;
        bool accepted;
        unsigned limit;
    };
    const Case cases[] = {
        {"QK run of 1023", [](CDorvik& d) { return d.QueueWriteLoggingRegime(51, 1, 1023, 1); },
         true, 0},
        {"QK run of 1024", [](CDorvik& d) { return d.QueueWriteLoggingRegime(51, 1, 1024, 1); },
         false, 1023},
        {"QK set-up of 65535",
         [](CDorvik& d) { return d.QueueWriteLoggingRegime(51, 1, 65535, 0); }, true, 0},
        {"QK set-up of 65536",
         [](CDorvik& d) { return d.QueueWriteLoggingRegime(51, 1, 65536, 0); }, false, 65535},
        {"basic set-up of 65535", [](CDorvik& d) { return d.QueueSetup(1, 41, 65535); }, true, 0},
        {"basic set-up of 70000", [](CDorvik& d) { return d.QueueSetup(1, 41, 70000); }, false,
         65535},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dorvik->StopCommandTimer();
        const size_t shown = prompts.Shown().size();
        EXPECT_EQ(c.queue(*dorvik), c.accepted);
        EXPECT_EQ(dorvik->GetQueuedCommandCount(), c.accepted ? 1u : 0u);
        EXPECT_EQ(prompts.Shown().size(), shown) << "never from inside the caller";
        if (!c.accepted)
            prompts.ExpectMessage(CString::Formatted(CDorvik::kRunTooLongText, c.limit), IDOK);
        clock.RunPending();
        EXPECT_EQ(prompts.Pending(), 0u);
    }
}

// ---- snapshots

TEST_F(Decoding, ASnapshotGivesTheLiveValuesBySlotAndTellsTheMetersOnce) {
    IdentifyQk();
    RawGains();
    dorvik->Live(0).gain = 0.5;
    dorvik->Live(0).offset = 32;
    dorvik->Live(0).fahrenheit = 1;
    Bytes body = {'C'};
    for (int ch = 0; ch < 7; ++ch) {
        const WORD field = WORD((100 * ch + 50) << 6 | 0x3F);  // the low six bits are not the value
        body.push_back(BYTE(field >> 8));
        body.push_back(BYTE(field));
    }
    body.push_back(0);
    body.push_back(0);
    dorvik->SendQKSnapshot();
    Feed(DataAnswer(body));
    EXPECT_EQ(host.Count(UM_UPDATE_METERS), 1u);
    EXPECT_DOUBLE_EQ(dorvik->GetLiveValue(4), 25.0 * 5 / 9);  // channel 0, (25 + 32) °F
    const int kSlots[] = {4, 7, 2, 5, 6, 0, 1};
    for (int ch = 1; ch < 7; ++ch)
        EXPECT_DOUBLE_EQ(dorvik->GetLiveValue(kSlots[ch]), 100 * ch + 50) << ch;

    // A body too short for seven fields changes nothing.
    dorvik->DecodeQKSnapshot(body.data(), 14);
    EXPECT_DOUBLE_EQ(dorvik->GetLiveValue(0), 550);
}

// ---- sensor descriptions

TEST_F(Decoding, SensorDescriptionsGiveIdsNamesUnitsAndGains) {
    struct Case {
        BYTE channel;
        const char* name;
        const char* unit;
        float minimum, maximum;
        const char* shown;
        const char* shownUnit;
        BYTE id;
    };
    const Case cases[] = {
        {2, "Light", "klx", 0, 138.09765625f, "Light 0 - 130", "klx", 4},
        {2, "Light", "lux", 0, 365, "Light 0 - 300", "units", 17},
        {2, "Light", "lx", 0, 200, "Light", "lx", 22},
        {5, "Voltage", "V", -2.5f, 2.5f, "Input A: Voltage ±2.5", "V", 11},
        {6, "Voltage", "volt", -25, 25.125f, "Input B: Voltage ±25", "V", 12},
        {5, "Voltage", "V", 0, 5, "Input A: Voltage", "V", 23},
        {5, "Temperature",
         "\xDF"
         "C",
         -10, 110, "Input A: Temperature -10 - 110", "°C", 9},
        {0, "Temperature",
         "\xDF"
         "C",
         -10, 110, "Temperature", "°C", 24},
        {6, "Temperature", "C", 0, 1245.375f, "Input B: Temperature 0 - 1250", "°C", 10},
        {5, "Humidity", "%RH", 0, 100, "Input A: Humidity", "%", 7},
        {5, "Pressure", "kPa", 0, 10, "Input A: Pressure 0 - 10", "KPa", 18},
        {5, "Pressure", "kPa", 0, 693, "Input A: Pressure 0 - 700", "KPa", 19},
        {5, "Pressure", "kPa", 0, 200, "Input A: Pressure", "KPa", 255},
        {5, "Sound", "dB", 40, 110, "Input A: Sound", "db", 20},
        {5, "Conductivity", "uS", 0, 20, "Input A: Conductivity", "mS", 0},
        {5, "Current", "A", -2.5f, 2.5f, "Input A: Current ±2.5", "A", 1},
        {5, "Current", "mA", -250, 250, "Input A: Current ±250", "mA", 2},
        {5, "Current", "A", -250, 250, "Input A: Current", "A", 255},
        {5, "Oxygen", "%", 0, 100, "Input A: Oxygen", "%", 5},
        {5, "pH", "", 0, 14, "Input A: pH", "pH", 6},
        {5, "Spirometer", "l/s", -315, 315, "Input A: Spirometer ±315", "L/min", 8},
        {5, "Colorimeter", "%", 0, 100, "Input A: Colorimeter", "%T", 15},
        {5, "Distance", "cm", 0, 6, "Input A: Distance", "m", 13},
        {5, "Turbidity", "NTU", 0, 100, "Input A: Turbidity", "Unit", 14},
        {6, "Photogate", "V", 0, 5, "Input B: Photogate", "V", 21},
        {6, "Force", "N", -10, 10, "Input B: Force", "N", 255},
    };
    IdentifyQk();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << " " << c.maximum);
        Describe(c.channel, SensorBody(c.name, c.unit, c.minimum, c.maximum, 64, 960));
        const ChannelInfoStruct& r = dorvik->GetLiveChannel(c.channel);
        EXPECT_EQ(r.name, c.shown);
        EXPECT_EQ(r.unit, c.shownUnit);
        EXPECT_EQ(r.kindName, c.name);
        EXPECT_EQ(r.sensorId, c.id);
        EXPECT_EQ(r.channelIndex, c.channel);
        EXPECT_EQ(r.enabled, 1);
        EXPECT_EQ(r.fahrenheit, 0);
        const double gain = (double(c.maximum) - c.minimum) / (960 - 64);
        EXPECT_DOUBLE_EQ(r.gain, gain);
        EXPECT_DOUBLE_EQ(r.offset, c.minimum - gain * 64);
        const SensorInfoStruct& slot = settings.m_sensorSlots[CDorvik::ChannelToSlot(c.channel)];
        EXPECT_EQ(slot.name, c.shown);
        EXPECT_EQ(slot.shortName, c.name);
        EXPECT_EQ(slot.unit, c.shownUnit);
        EXPECT_EQ(slot.type, c.id);
        EXPECT_DOUBLE_EQ(slot.factor, gain);
        EXPECT_DOUBLE_EQ(slot.minimum, c.minimum);
        EXPECT_DOUBLE_EQ(slot.maximum, c.maximum);
        EXPECT_EQ(slot.photogate, c.id == 21 ? 1 : 0);
        EXPECT_EQ(slot.absent, 0);
    }
}

TEST_F(Decoding, SpecialSensorsSetTheirFlagsAndRanges) {
    IdentifyQk();
    // Fahrenheit: the range in Celsius, the unit in Celsius, the gain still in Fahrenheit.
    Describe(0, SensorBody("Temperature",
                           "\xDF"
                           "F",
                           14, 230));
    const ChannelInfoStruct& t = dorvik->GetLiveChannel(0);
    EXPECT_EQ(t.fahrenheit, 1);
    EXPECT_EQ(t.unit, "°C");
    EXPECT_DOUBLE_EQ(t.minimum, -10);
    EXPECT_DOUBLE_EQ(t.maximum, 110);
    EXPECT_DOUBLE_EQ(settings.m_sensorSlots[4].maximum, 110);
    EXPECT_DOUBLE_EQ(t.gain, 216.0 / 1023);

    Describe(5, SensorBody("Heart rate", "bpm", 0, 250));
    EXPECT_DOUBLE_EQ(dorvik->GetLiveChannel(5).maximum, 100);
    EXPECT_EQ(settings.m_sensorSlots[0].type, 3);

    // No sensor, or a raw range of nothing: the input cannot be used.
    dorvik->SetMask(0x7F);
    for (const Bytes& body :
         {SensorBody("No Sensor", "", 0, 0), SensorBody("Voltage", "V", -2.5f, 2.5f, 512, 512)}) {
        Describe(6, body);
        const ChannelInfoStruct& r = dorvik->GetLiveChannel(6);
        EXPECT_EQ(r.enabled, 0);
        EXPECT_EQ(r.gain, 0);
        EXPECT_TRUE(std::isfinite(r.offset));
        EXPECT_EQ(settings.m_sensorSlots[1].absent, 1);
    }
    // A masked-off channel is described but not enabled.
    dorvik->SetMask(0x5F);
    Describe(5, SensorBody("Voltage", "V", -2.5f, 2.5f));
    EXPECT_EQ(dorvik->GetLiveChannel(5).enabled, 0);
    EXPECT_EQ(settings.m_sensorSlots[0].absent, 0);
}

TEST_F(Decoding, SensorDescriptionsAreReadWithinTheirBody) {
    IdentifyQk();
    Describe(2, SensorBody("Light", "lx", 0, 200));
    const ChannelInfoStruct before = dorvik->GetLiveChannel(2);
    // Too short to hold the limits and a name: nothing is taken.
    const Bytes voltage = SensorBody("Voltage", "V", -1, 1);
    for (size_t length : {0, 4, 12, 16}) {
        Describe(2, Bytes(voltage.begin(), voltage.begin() + long(length)));
        EXPECT_EQ(dorvik->GetLiveChannel(2).kindName, before.kindName) << length;
    }
    // Name and unit without their carriage returns end with the body; a vector of exactly that
    // size shows a read past it under the address sanitizer.
    Describe(2, Bytes(voltage.begin(), voltage.end() - 3));
    EXPECT_EQ(dorvik->GetLiveChannel(2).kindName, "Voltage");
    EXPECT_EQ(dorvik->GetLiveChannel(2).unit, "V");
    Describe(2, Cat({Bytes(voltage.begin(), voltage.begin() + 16), Text("Sound")}));
    EXPECT_EQ(dorvik->GetLiveChannel(2).kindName, "Sound");
    EXPECT_EQ(dorvik->GetLiveChannel(2).unit, "db");
}

TEST_F(Decoding, TheLastLiveDescriptionAnnouncesTheLoggerStoredOnesLeaveTheSettings) {
    IdentifyQk();
    const SensorInfoStruct slot1 = settings.m_sensorSlots[1];
    dorvik->SetStoredMask(2, 0x40);
    Describe(6, SensorBody("Photogate", "V", 0, 5), 2);
    EXPECT_EQ(dorvik->GetStoredChannel(6).name, "Input B: Photogate");
    EXPECT_EQ(dorvik->GetStoredChannel(6).enabled, 1);
    EXPECT_EQ(dorvik->GetLiveChannel(6).name, "");
    EXPECT_EQ(settings.m_sensorSlots[1], slot1);
    EXPECT_EQ(host.Count(UM_LOGGER_ANSWERED), 0u);

    Describe(5, SensorBody("Voltage", "V", -2.5f, 2.5f));
    EXPECT_EQ(host.Count(UM_LOGGER_ANSWERED), 0u);
    Describe(6, SensorBody("Voltage", "V", -2.5f, 2.5f));
    EXPECT_EQ(host.Count(UM_LOGGER_ANSWERED), 1u);
    EXPECT_EQ(dorvik->GetStatusBarText(), "Dorvik QK was detected");
}

TEST_F(Decoding, TheTimerVariantIsAnnouncedAsSuch) {
    IdentifyQk(0x82);
    Describe(6, SensorBody("Photogate", "V", 0, 5));
    EXPECT_EQ(dorvik->GetStatusBarText(), "Dorvik QK Timer was detected");
}

// ---- timing events

TEST_F(Decoding, TimingEventsFillTheGateSeriesAdvanceAndRecomputeTheResults) {
    IdentifyQk();
    settings.m_timingMethod = 0;
    settings.m_timingMeasurement = 0;  // blocked time at one gate
    StartTiming();
    auto event = [&](BYTE state, DWORD ticks) {
        const Bytes r = {state, BYTE(ticks >> 24), BYTE(ticks >> 16), BYTE(ticks >> 8),
                         BYTE(ticks)};
        dorvik->StoreTimingEvent(r.data());
    };
    event(1, 500000);  // 1.0 s, input A blocked
    event(0, 525000);
    event(3, 1000000);
    event(2, 1020000);
    EXPECT_EQ(host.Count(UM_NEW_EXPERIMENT), 1u);
    EXPECT_EQ(host.messages[0].lParam, CDorvik::kLiveTimingRun);
    EXPECT_EQ(dorvik->GetSampleCounter(), 4u);
    EXPECT_EQ(dorvik->GetTimingTimes(),
              (std::vector<double>{500000 * 0.000002, 525000 * 0.000002, 1000000 * 0.000002,
                                   1020000 * 0.000002}));
    EXPECT_EQ(dorvik->GetTimingInputA(), (std::vector<double>{1, 0, 1, 0}));
    EXPECT_EQ(dorvik->GetTimingInputB(), (std::vector<double>{0, 0, 1, 1}));
    ASSERT_EQ(Y(0).size(), 2u);
    EXPECT_NEAR(Y(0)[0], 0.05, 1e-9);
    EXPECT_NEAR(Y(0)[1], 0.04, 1e-9);
    EXPECT_EQ(X(0), (std::vector<double>{0, 1}));
    EXPECT_EQ(dorvik->GetRateCode(CDorvik::kLiveTimingRun), 0);

    // After the stop the run's results stay as they are.
    Stop();
    ASSERT_EQ(host.Count(UM_RUN_ENDED), 1u);
    event(1, 1500000);
    event(0, 1510000);
    EXPECT_EQ(Y(0).size(), 2u);
    EXPECT_EQ(dorvik->GetTimingTimes().size(), 4u);
}

TEST_F(Decoding, OnlyInputBEnabledGoesToTheFirstSeriesAndCollisionsUseTwoPairs) {
    IdentifyQk();
    settings.m_timingMethod = 2;
    settings.m_timingMeasurement = 1;  // collision: velocities at both gates
    StartTiming();
    dorvik->Live(5).enabled = 0;
    const Bytes r = {2, 0, 0, 0, 1};
    dorvik->StoreTimingEvent(r.data());
    EXPECT_EQ(dorvik->GetTimingInputA(), (std::vector<double>{1}));
    EXPECT_TRUE(dorvik->GetTimingInputB().empty());
    EXPECT_EQ(dorvik->GetChannelCount(CDorvik::kLiveTimingRun), 2);
    ASSERT_NE(dorvik->GetRunX(1), nullptr);
    ChannelDescriptionStruct d;
    ASSERT_TRUE(dorvik->GetChannelDescription(1, CDorvik::kLiveTimingRun, d));
    EXPECT_EQ(d.name, "Velocity 2");
    // One gate's events cannot give collision velocities.
    prompts.ExpectMessage(kTimingMismatchMessage, IDOK);
    clock.RunPending();
}

TEST_F(Decoding, EachTimingRunMayReportDataThatDoesNotFitOnce) {
    IdentifyQk();
    settings.m_timingMethod = 1;  // between gates, but input B is off
    settings.m_timingMeasurement = 0;
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        StartTiming();
        dorvik->Live(6).enabled = 0;
        for (DWORD t : {1000u, 2000u, 3000u}) {
            const Bytes r = {1, 0, 0, BYTE(t >> 8), BYTE(t)};
            dorvik->StoreTimingEvent(r.data());
        }
        prompts.ExpectMessage(kTimingMismatchMessage, IDOK);
        clock.RunPending();
        EXPECT_EQ(prompts.Pending(), 0u);
        EXPECT_EQ(prompts.Shown().size(), size_t(run + 1));
    }
}

// ---- the basic model

TEST_F(Decoding, BasicRawValuesByChannelAndSensorType) {
    struct Case {
        int channel;
        int type;  // of the external input's slot; -1 for the internal ones
        BYTE raw;
        double value;
    };
    const Case cases[] = {
        {0, 1, 128, 0.0},   // Current ±2.5, linear
        {1, 12, 0, -25.0},  // Voltage ±25
        {0, 19, 13, -37.142857142857146 + 13 * 2.857142857142857},
        {1, 9, 120, 46.9},  // table A
        {1, 9, 255, 110.0},
        {0, 10, 0, 1.667},                 // the thermocouple's first segment
        {0, 10, 5, 20 * 1.42857 + 1.429},  // 4 r = 20: segment 2
        {0, 10, 6, 24 * 1.66667 - 5.0},
        {1, 25, 200, 0.0},  // no such type
        {2, -1, 2, 39.0625},
        {3, -1, 200, 0.0},
        {4, -1, 0, 40.0},  // table B
        {4, -1, 127, 22.0},
        {4, -1, 255, -10.5},
        {5, -1, 100, 34.375},
        {6, -1, 10, 79.08 + 10 * 0.11890625},
        {7, -1, 0, 0.0},  // not minus infinity
        {7, -1, 100, 96.0},
        {8, -1, 100, 0.0},
        {-1, -1, 100, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "channel " << c.channel << " type " << c.type);
        if (c.type >= 0 && c.type < CSettings::kSensorTypes)
            settings.SetExternalSensor(c.channel, c.type);
        else if (c.type >= 0)
            settings.m_sensorSlots[c.channel].type = BYTE(c.type);
        EXPECT_NEAR(dorvik->RawToValue(c.channel, c.raw), c.value, 1e-9);
    }
}

TEST_F(Decoding, ABasicRunAppendsItsChannelListAndEndsAtItsLength) {
    dorvik->SetBasicRegime({0, 4, 7}, 3);
    dorvik->SetFastMode();
    settings.SetExternalSensor(0, 11);  // Voltage ±2.5
    dorvik->BeginRun(3, CDorvik::kLiveRun);
    host.messages.clear();
    const BYTE records[3][8] = {
        {128, 1, 2, 3, 0, 5, 6, 100}, {0, 1, 2, 3, 127, 5, 6, 10}, {255, 1, 2, 3, 255, 5, 6, 1}};
    for (const BYTE* r : records)
        dorvik->StoreBasicRunRecord(r);
    EXPECT_EQ(X(0), (std::vector<double>{0, 1, 2}));
    EXPECT_EQ(X(2), (std::vector<double>{0, 1, 2}));
    EXPECT_NEAR(Y(0)[0], 0.0, 1e-12);
    EXPECT_NEAR(Y(0)[1], -2.5, 1e-12);
    EXPECT_EQ(Y(1), (std::vector<double>{40.0, 22.0, -10.5}));
    ASSERT_EQ(Y(2).size(), 3u);
    EXPECT_NEAR(Y(2)[0], 96.0, 1e-12);
    EXPECT_NEAR(Y(2)[1], 76.0, 1e-12);
    EXPECT_NEAR(Y(2)[2], 56.0, 1e-12);
    EXPECT_EQ(host.Count(UM_RUN_ENDED), 1u);
    EXPECT_EQ(dorvik->GetSampleCounter(), 0u);
    EXPECT_FALSE(dorvik->IsFastMode());

    // A record after the end starts a run of its own instead of growing the finished one.
    dorvik->StoreBasicRunRecord(records[0]);
    EXPECT_EQ(host.Count(UM_NEW_EXPERIMENT), 1u);
    EXPECT_EQ(X(0), (std::vector<double>{0}));
}

TEST_F(Decoding, BasicLiveValuesConvertAllEightChannels) {
    dorvik->SetBasicRegime({0}, 10);
    settings.SetExternalSensor(0, 0);
    settings.SetExternalSensor(1, 9);
    const BYTE record[8] = {0, 120, 2, 3, 127, 100, 10, 100};
    dorvik->StoreLiveValues(record);
    const double expected[8] = {0.024, 46.9, 39.0625, 0, 22.0, 34.375, 79.08 + 10 * 0.11890625,
                                96.0};
    for (int slot = 0; slot < 8; ++slot)
        EXPECT_NEAR(dorvik->GetLiveValue(slot), expected[slot], 1e-9) << slot;
    EXPECT_EQ(host.Count(UM_UPDATE_METERS), 1u);
}

// ---- heart rate

TEST(HeartRate, IsZeroUntilBeatsAreKnownThenTheirRate) {
    constexpr double kSeconds = 0.02;
    auto pulse = [](DWORD n) { return 500 + 100 * std::sin(2 * M_PI * double(n) / 40); };
    struct Case {
        const char* what;
        std::function<double(DWORD)> raw;
        double rateAfterSettling;
    };
    const Case cases[] = {
        {"flat", [](DWORD) { return 500.0; }, 0},
        {"one beat", [&](DWORD n) { return n < 40 ? pulse(n) : 500.0; }, 0},
        {"too small a swing", [](DWORD n) { return 500 + 10 * std::sin(2 * M_PI * n / 40.0); }, 0},
        {"75 per minute", pulse, 75},
        {"a missed beat", [&](DWORD n) { return n >= 400 && n < 440 ? 600.0 : pulse(n); }, 75},
        {"a spike",
         [&](DWORD n) { return pulse(n) + (n >= 395 && n < 400 ? 150 : 0) - (n == 402 ? 300 : 0); },
         75},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CHeartRateDetector detector;
        for (DWORD n = 0; n < 750; ++n) {
            const double rate = detector.Add(c.raw(n), n, kSeconds);
            ASSERT_TRUE(std::isfinite(rate)) << n;
            if (n * kSeconds <= 5) {
                ASSERT_EQ(rate, 0) << n;
            }
            if (n == 600) {  // a few beats after the faults below
                EXPECT_NEAR(rate, c.rateAfterSettling, 2);
            }
        }
        // Sample 0 starts afresh.
        EXPECT_EQ(detector.Add(c.raw(0), 0, kSeconds), 0);
    }
}

// ---- calibrations and rate codes

TEST(Calibration, TablesHoldTheirFixedPoints) {
    using namespace calibration;
    struct Run {
        const double* table;
        int first;
        std::vector<double> values;
    };
    const Run runs[] = {
        {kTemperatureTableA, 0, std::vector<double>(8, -10.0)},
        {kTemperatureTableA, 120, {46.9, 47.3, 47.7, 48.1, 48.5, 48.9, 49.3, 49.8}},
        {kTemperatureTableA, 248, std::vector<double>(8, 110.0)},
        {kTemperatureTableB, 0, std::vector<double>(8, 40.0)},
        {kTemperatureTableB, 120, {24.0, 23.7, 23.5, 23.2, 23.0, 22.7, 22.3, 22.0}},
        {kTemperatureTableB, 248, {-7.0, -7.4, -7.7, -8.0, -8.4, -8.8, -9.0, -10.5}},
        {kThermocoupleSlopes, 0, {1.66667, 1.42857, 1.42857, 1.66667}},
        {kThermocoupleSlopes, 136, {1.51381}},
        {kThermocoupleOffsets, 0, {1.667, 1.429, 1.429, -5.0, 2.857, 2.857}},
        {kThermocoupleOffsets, 136, {0.0}},
    };
    for (const Run& r : runs)
        for (size_t i = 0; i < r.values.size(); ++i)
            EXPECT_DOUBLE_EQ(r.table[r.first + int(i)], r.values[i]) << r.first + int(i);
    const DWORD firstBreakpoints[] = {0, 7, 13, 20, 27, 33, 40, 47, 54, 61};
    const DWORD lastBreakpoints[] = {871, 876, 882, 888, 893};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(kThermocoupleBreakpoints[i], firstBreakpoints[i]) << i;
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(kThermocoupleBreakpoints[131 + i], lastBreakpoints[i]) << 131 + i;
    for (int i = 1; i < kTableSize; ++i) {
        EXPECT_GE(kTemperatureTableA[i], kTemperatureTableA[i - 1]) << i;
        EXPECT_LE(kTemperatureTableB[i], kTemperatureTableB[i - 1]) << i;
    }
    for (int i = 1; i < kBreakpointCount; ++i)
        EXPECT_GT(kThermocoupleBreakpoints[i], kThermocoupleBreakpoints[i - 1]) << i;
}

TEST(Calibration, FindSegmentTakesTheSegmentBelowTheFirstBreakpointAtOrAbove) {
    const std::pair<double, int> cases[] = {{0, 0},    {4, 0},     {7, 0},     {8, 1},     {13, 1},
                                            {13.5, 2}, {893, 134}, {894, 135}, {1020, 135}};
    for (const auto& [x, segment] : cases)
        EXPECT_EQ(calibration::FindSegment(x), segment) << x;
}

TEST(RateCodes, ConvertBothWays) {
    const std::pair<WORD, double> table[] = {
        {33, 3600}, {34, 1800}, {35, 900}, {36, 300}, {37, 60},   {38, 30},   {39, 15},
        {40, 5},    {41, 1},    {48, 0.2}, {49, 0.1}, {50, 0.05}, {51, 0.02},
    };
    for (const auto& [code, seconds] : table) {
        EXPECT_DOUBLE_EQ(CDorvik::RateCodeToSeconds(code), seconds) << code;
        EXPECT_EQ(CDorvik::SecondsToRateCode(seconds), code) << seconds;
    }
    for (WORD other : {0, 42, 47, 52, 255})
        EXPECT_DOUBLE_EQ(CDorvik::RateCodeToSeconds(other), 1) << other;
    for (double other : {2.0, 0.03, 0.0})
        EXPECT_EQ(CDorvik::SecondsToRateCode(other), 0) << other;
    EXPECT_DOUBLE_EQ(CDorvik::DecodeQKPeriod(0x10, 20), 0.02);
    EXPECT_DOUBLE_EQ(CDorvik::DecodeQKPeriod(0x2E, 16), 3600);
    EXPECT_DOUBLE_EQ(CDorvik::DecodeQKPeriod(0x01, 0xF4), 0.0005);
}

// ---- what the document is told

TEST_F(Decoding, ChannelDescriptionsByModelAndRunKind) {
    // Basic: the channel list's slots; the external inputs carry their chosen sensor and are
    // named apart, also when both hold the same type.
    for (int input : {0, 1})
        settings.SetExternalSensor(input, 12);
    settings.m_externalSensor1 = settings.m_externalSensor2 = 12;
    dorvik->SetBasicRegime({0, 1, 4}, 10);
    dorvik->BeginRun(3, CDorvik::kLiveRun);
    ChannelDescriptionStruct d;
    ASSERT_TRUE(dorvik->GetChannelDescription(0, CDorvik::kLiveRun, d));
    EXPECT_EQ(d.name, "Input A: Voltage ±25");
    EXPECT_EQ(d.channel, 0);
    ASSERT_TRUE(dorvik->GetChannelDescription(1, CDorvik::kLiveRun, d));
    EXPECT_EQ(d.x, dorvik->GetRunX(1));
    EXPECT_EQ(d.name, "Input B: Voltage ±25");
    EXPECT_EQ(d.unit, "V");
    EXPECT_EQ(d.channel, 1);
    EXPECT_EQ(d.sensorId, 12);
    EXPECT_DOUBLE_EQ(d.minimum, -25);
    ASSERT_TRUE(dorvik->GetChannelDescription(2, CDorvik::kLiveRun, d));
    EXPECT_EQ(d.name, "Temperature");
    EXPECT_EQ(d.channel, 4);
    EXPECT_EQ(d.sensorId, 255);
    EXPECT_FALSE(dorvik->GetChannelDescription(3, CDorvik::kLiveRun, d));
    SensorListItemStruct items[100];
    ASSERT_EQ(dorvik->GetSensorList(items, 100), 3);
    EXPECT_EQ(items[0].name, "Input A: Voltage ±25");
    EXPECT_EQ(items[2].index, 2);
    EXPECT_EQ(items[2].name, "Temperature");
    EXPECT_EQ(items[2].unit, "°C");

    // QK live: the live records of the run's channels.
    IdentifyQk();
    Describe(5, SensorBody("pH", "pH", 0, 14));
    dorvik->Live(0).enabled = dorvik->Live(2).enabled = 0;
    dorvik->SetRunLength(10);
    Store(QkRecord(1));
    ASSERT_TRUE(dorvik->GetChannelDescription(3, CDorvik::kLiveRun, d));
    EXPECT_EQ(d.name, "Input A: pH");
    EXPECT_EQ(d.channel, 5);
    EXPECT_EQ(d.sensorId, 6);
    EXPECT_EQ(d.y, dorvik->GetRunY(3));
    ASSERT_EQ(dorvik->GetSensorList(items, 100), 5);
    EXPECT_EQ(items[0].index, 1);
    EXPECT_EQ(items[3].name, "Input A: pH");
    EXPECT_EQ(dorvik->GetSensorList(items, 2), 2);

    // QK stored: the set's enabled channels in order.
    dorvik->SetStoredMask(1, 0x24);
    for (int ch = 0; ch < 7; ++ch)
        dorvik->Stored(ch).enabled = 0;
    Describe(2, SensorBody("Light", "lx", 0, 365), 1);
    Describe(5, SensorBody("Oxygen", "%", 0, 100), 1);
    dorvik->SetStoredSet(1, 2);
    dorvik->BeginRun(2, CDorvik::kStoredRun);
    ASSERT_TRUE(dorvik->GetChannelDescription(1, CDorvik::kStoredRun, d));
    EXPECT_EQ(d.name, "Input A: Oxygen");
    EXPECT_EQ(d.channel, 5);
    EXPECT_FALSE(dorvik->GetChannelDescription(2, CDorvik::kStoredRun, d));

    // Timing: by the measurement.
    struct Timing {
        BYTE method, measurement;
        int index;
        const char* name;
        const char* unit;
    };
    const Timing timings[] = {{0, 0, 0, "Time", "s"},
                              {1, 1, 0, "Velocity", "m/s"},
                              {2, 1, 0, "Velocity 1", "m/s"},
                              {0, 2, 0, "Acceleration", "m/s²"}};
    dorvik->SetStoredSet(1, 2);
    for (const Timing& t : timings) {
        settings.m_timingMethod = t.method;
        settings.m_timingMeasurement = t.measurement;
        ASSERT_TRUE(dorvik->GetChannelDescription(t.index, CDorvik::kStoredTimingRun, d));
        EXPECT_EQ(d.name, t.name);
        EXPECT_EQ(d.unit, t.unit);
        EXPECT_EQ(d.sensorId, 21);
        EXPECT_EQ(d.minimum, 9999999);
        EXPECT_EQ(d.maximum, -9999999);
    }
}

TEST(ChannelSlots, FollowTheBasicModelsNumbering) {
    const int kSlots[] = {4, 7, 2, 5, 6, 0, 1};
    for (int ch = 0; ch < 7; ++ch)
        EXPECT_EQ(CDorvik::ChannelToSlot(ch), kSlots[ch]);
    EXPECT_EQ(CDorvik::ChannelToSlot(7), -1);
    EXPECT_EQ(CDorvik::ChannelToSlot(-1), -1);
}

}  // namespace
