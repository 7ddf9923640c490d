#pragma once
// The logger object under test: a link that records what is sent, and a logger object that
// records what its answer machine hands on. The host window and the simulated link are the
// harness's (tests/support/logger_link.h).

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "logger/dorvik.h"
#include "logger/logger_messages.h"
#include "logger/serial_port.h"
#include "logger/settings.h"
#include "platform/msg/message_loop.h"
#include "platform/msg/wnd.h"
#include "tests/support/core/harness.h"
#include "tests/support/core/logger_link.h"
#include "tools/dorvik-sim/line.h"

namespace dorvik_test {

using Bytes = std::vector<BYTE>;

using testing_support::HostMessage;
using testing_support::HostWindow;
using testing_support::RunUntil;

// A link that says it is open until it is closed; no device is behind it, so opening it again
// finds none and nothing sent arrives.
class OpenLink : public CSerialPort {
public:
    bool open = true;
    BOOL IsOpen() const override { return open; }
    void Close() override { open = false; }
};

// A link that is open and keeps every write, with the clock's time. It can be made to fail
// (throw) the next sends or receives.
class RecordingPort : public CSerialPort {
public:
    struct Write {
        ULONGLONG time;
        Bytes bytes;
    };
    std::vector<Write> writes;
    bool open = true;
    int failingSends = 0;
    int failingReceives = 0;

    BOOL IsOpen() const override { return open; }
    void Close() override { open = false; }
    DWORD Receive(void* buffer, WORD length) override {
        if (failingReceives > 0 && failingReceives--) throw std::runtime_error("receive failed");
        return CSerialPort::Receive(buffer, length);
    }
    DWORD Send(const void* buffer, WORD length) override {
        if (failingSends > 0 && failingSends--) throw std::runtime_error("send failed");
        const auto* b = static_cast<const BYTE*>(buffer);
        writes.push_back({GetTickCount64(), Bytes(b, b + length)});
        return length;
    }
    // The two letters of each 8-byte frame written, in order ("" for other writes).
    std::vector<std::string> Letters() const {
        std::vector<std::string> out;
        for (const Write& w : writes)
            out.push_back(w.bytes.size() == 8 ? std::string(w.bytes.begin(), w.bytes.begin() + 2)
                                              : std::string());
        return out;
    }
};

// Records what the answer machine hands on; the local time is fixed.
class WatchedDorvik : public CDorvik {
public:
    using CDorvik::CDorvik;

    struct SensorInfo {
        BYTE channel;
        BYTE setIndex;
        Bytes body;
    };
    std::vector<Bytes> runRecords;
    std::vector<SensorInfo> sensorInfos;
    std::vector<Bytes> snapshots;
    std::vector<Bytes> timingEvents;
    std::vector<std::pair<BYTE, Bytes>> headers;
    std::vector<BYTE> plannedSets;
    std::vector<Bytes> setData;
    int aborts = 0;
    SYSTEMTIME now = {2026, 3, 6, 14, 9, 26, 53, 0};

    // A header's kind and sample count, as the download will read them.
    void ParseDataHeader(BYTE setIndex, const BYTE* body, DWORD length) override {
        headers.push_back({setIndex, Bytes(body, body + length)});
        if (length >= 24) {
            m_dataSetHeaders[setIndex].kind = body[13];
            m_dataSetHeaders[setIndex].sampleCount = DWORD(body[22]) << 8 | body[23];
        }
    }
    void SetHeaderReadOrder(int set, std::vector<BYTE> order) {
        m_dataSetHeaders[set].channelCount = BYTE(order.size());
        std::copy(order.begin(), order.end(), m_dataSetHeaders[set].readOrder);
    }
    void SetDownloadStop(bool stop) { m_downloadStop = stop ? 1 : 0; }
    // Off: Create keeps the link the test made instead of searching the ports.
    bool searchPorts = false;
    BOOL Connect() override { return searchPorts ? CDorvik::Connect() : TRUE; }

protected:
    void StoreQKSample(const BYTE* record) override {
        runRecords.emplace_back(record, record + 12);
        CDorvik::StoreQKSample(record);
    }
    void DecodeSensorInfo(const BYTE* body, DWORD length, BYTE channel, BYTE setIndex) override {
        sensorInfos.push_back({channel, setIndex, Bytes(body, body + length)});
    }
    void DecodeQKSnapshot(const BYTE* body, DWORD length) override {
        snapshots.emplace_back(body, body + length);
    }
    void StoreTimingEvent(const BYTE* record) override {
        timingEvents.emplace_back(record, record + 5);
    }
    void PlanSetDownload(BYTE setIndex) override { plannedSets.push_back(setIndex); }
    // A data answer arrives in parts: one entry per answer.
    void StoreQKSetData(const BYTE* data, DWORD length) override {
        if (GetSetDataTaken() == 0 || setData.empty()) setData.emplace_back();
        setData.back().insert(setData.back().end(), data, data + length);
    }
    void AbortSetDownload() override { ++aborts; }
    SYSTEMTIME LocalTimeNow() const override { return now; }
};

// What the logger object makes of a raw reading on the QK's own channels 0..4.
inline double QkOwnChannelValue(int ch, double raw) {
    switch (ch) {
        case 0:
            return raw * 120 / 1023 - 10;
        case 1:
            return raw * 0.10802195450098 + 50;
        case 2:
            return raw * 138.09765625 / 1023;
        case 3:
            return raw * 0.5;
        case 4:
            return raw * 0.2;
        default:
            ADD_FAILURE() << "channel " << ch << " is an input";
            return 0;
    }
}

// ---- answers as a QK sends them

inline BYTE Sum8(const Bytes& bytes, DWORD start = 0) {
    for (BYTE b : bytes)
        start += b;
    return BYTE(start);
}
inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}
inline Bytes Text(const char* text) {
    return Bytes(text, text + std::char_traits<char>::length(text));
}
// "S", the body, its checksum.
inline Bytes DataAnswer(const Bytes& body) {
    return Cat({{'S'}, body, {Sum8(body, 'S')}});
}
// "S", the length field, the body, the checksum (counting the field's value).
inline Bytes SensorAnswer(const Bytes& body) {
    const DWORD length = DWORD(body.size()) + 3;
    return Cat({{'S', BYTE(length >> 8), BYTE(length)}, body, {Sum8(body, 'S' + length)}});
}
inline Bytes Token(const char* token) {
    return Cat({{'S'}, Text(token)});
}
inline Bytes Identification(BYTE variant) {
    return DataAnswer({'V', variant, 0});
}
// AA 01, 12 record bytes for sample `sample` (from 0) with the given first data byte, checksum.
inline Bytes RunRecord(DWORD sample, BYTE data = 0x11) {
    const DWORD n = sample + 1;
    Bytes record = {BYTE((n >> 4) & 63), BYTE((n & 15) << 4), data, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    return Cat({{0xAA, 0x01}, record, {Sum8(record, 0xAA + 0x01)}});
}

// A logger object on a recording link, a host window and the harness's virtual clock.
class DorvikTest : public testing_support::CoreHarnessTest {
protected:
    CSettings settings{env.File("Settings.vns")};
    HostWindow host;
    RecordingPort* port = nullptr;
    std::unique_ptr<WatchedDorvik> dorvik;

    void SetUp() override {
        ASSERT_TRUE(host.CreateMessageTarget());
        MakeDorvik();
    }
    void TearDown() override {
        host.dorvik = nullptr;
        dorvik.reset();
    }
    void MakeDorvik() {
        host.dorvik = nullptr;
        dorvik.reset();
        auto link = std::make_unique<RecordingPort>();
        port = link.get();
        dorvik = std::make_unique<WatchedDorvik>(&settings, std::move(link));
        host.dorvik = dorvik.get();
        host.messages.clear();
        dorvik->Create(&host);
    }
    void Feed(const Bytes& bytes) {
        ASSERT_EQ(dorvik->AcceptReceivedBytes(bytes.data(), DWORD(bytes.size())), bytes.size());
    }
    // The QK known and connected, as after its identification.
    void Identify(BYTE variant = 0x80) {
        dorvik->SendQKStatusRequest();
        Feed(Identification(variant));
        ASSERT_TRUE(dorvik->IsQKModel());
        port->writes.clear();
        host.messages.clear();
    }
    const Bytes& LastWrite() const { return port->writes.back().bytes; }
};

}  // namespace dorvik_test
