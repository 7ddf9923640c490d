// Downloads of stored data: the QK's stored sets and timing sets, and the basic model's stored run,
// end to end against the simulated loggers over pseudo-terminals; the basic model's block download
// and the data read's retry timing on the virtual clock.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "tests/logger/dorvik_fixture.h"
#include "tests/support/core/sim_port.h"
#include "tools/dorvik-sim/basic_model.h"
#include "tools/dorvik-sim/qk_model.h"

namespace {

using namespace dorvik_test;
using dorvik_sim::BasicModel;
using dorvik_sim::BasicStoredRun;
using dorvik_sim::QkModel;
using dorvik_sim::QkStoredSet;
using dorvik_sim::QkTimingEvent;
using testing_support::SimulatedComPort;
using Progress = std::vector<std::pair<WPARAM, LPARAM>>;

constexpr int kCom = 10;

// The logger object with the few inner fields a test sets up: the basic run, and the status
// record that state 3 of the answer machine hands on before each block.
class TestDorvik : public CDorvik {
public:
    using CDorvik::CDorvik;

    // One header read of the memory survey that comes before the user's choice.
    void QueueSurveyOf(BYTE set) {
        CommandParametersStruct command;
        command.code = QK_COMMAND_READ_MEMORY;
        command.setIndex = set;
        AppendCommand(command);
    }
    // Create without the port search: the test makes the link.
    void Attach(CWnd* host) {
        m_hostWindow = host->GetSafeHwnd();
        ResetAnswerMachine();
    }

    void SetBasicRun(std::vector<BYTE> channels, DWORD runLength) {
        m_connected = 1;
        m_channelCount = BYTE(channels.size());
        std::copy(channels.begin(), channels.end(), m_channelList);
        m_runLength = runLength;
    }
    // What the status record of a block leaves behind: the record kept, state 4.
    void EnterBlock(const Bytes& status) {
        std::copy(status.begin(), status.end(), m_lastBasicStatus);
        m_answerState = BASIC_DOWNLOAD;
        m_expectedBasicLength = short(kBasicBlockLength);
    }
};

// The document's progress box as the logger sees it: the cancel flag, which the box's Cancel sets
// (the box itself is tested with the other dialogs).
struct ProgressBox {
    BYTE* cancelFlag = nullptr;
    void Cancel() { *cancelFlag = 1; }
};

// The document's side of UM_FETCH_PROGRESS: it owns the progress box, gives it the logger's
// cancel flag, and destroys it when told.
class ProgressDocument {
public:
    ProgressDocument(HostWindow& host, CDorvik& dorvik) : m_host(host), m_dorvik(dorvik) {
        host.onMessage = [this](UINT message) {
            if (message != UM_FETCH_PROGRESS) return;
            const HostMessage& m = m_host.messages.back();
            progress.push_back({m.wParam, m.lParam});
            OnProgress(m.wParam);
        };
    }
    ~ProgressDocument() { m_host.onMessage = nullptr; }

    std::unique_ptr<ProgressBox> box;
    Progress progress;
    int created = 0;

private:
    void OnProgress(WPARAM mode) {
        switch (mode) {
            case 0:
                box.reset();
                break;
            case 1:
                if (box) break;
                box = std::make_unique<ProgressBox>();
                ++created;
                box->cancelFlag = m_dorvik.GetDownloadCancelFlag();
                break;
            default:
                break;
        }
    }

    HostWindow& m_host;
    CDorvik& m_dorvik;
};

// ---- on the virtual clock

class DownloadUnit : public testing_support::CoreHarnessTest {
protected:
    CSettings settings{env.File("Settings.vns")};
    HostWindow host;
    RecordingPort* port = nullptr;
    std::unique_ptr<TestDorvik> dorvik;

    void SetUp() override {
        ASSERT_TRUE(host.CreateMessageTarget());
        Remake();
    }
    void Remake() {
        host.dorvik = nullptr;
        dorvik.reset();
        auto link = std::make_unique<RecordingPort>();
        port = link.get();
        dorvik = std::make_unique<TestDorvik>(&settings, std::move(link));
        host.dorvik = dorvik.get();
        dorvik->Attach(&host);
        host.messages.clear();
    }
    void TearDown() override {
        host.dorvik = nullptr;
        dorvik.reset();
    }
    void Feed(const Bytes& bytes) {
        ASSERT_EQ(dorvik->AcceptReceivedBytes(bytes.data(), DWORD(bytes.size())), bytes.size());
    }
    size_t CountOf(const char* letters) const {
        size_t n = 0;
        for (const std::string& l : port->Letters())
            n += l == letters;
        return n;
    }
    Progress ProgressSent() const {
        Progress out;
        for (const HostMessage& m : host.messages)
            if (m.message == UM_FETCH_PROGRESS) out.push_back({m.wParam, m.lParam});
        return out;
    }
};

// A data read's answer as the QK sends it: two bytes per sample, 10 bits in the top.
Bytes SetDataAnswer(DWORD count, WORD (*raw)(DWORD)) {
    Bytes body;
    for (DWORD i = 0; i < count; ++i) {
        const WORD field = WORD(raw(i) << 6);
        body.push_back(BYTE(field >> 8));
        body.push_back(BYTE(field));
    }
    return DataAnswer(body);
}

TEST_F(DownloadUnit, ADataReadWaitsForItsAnswerOnTheWireAndStartsOverOnARepeat) {
    dorvik->SendQKStatusRequest();
    Feed(Identification(0x80));
    ASSERT_TRUE(dorvik->IsQKModel());
    dorvik->QueueReadDataHeader(1);
    dorvik->StartCommandTimer(100);
    Bytes header(24, 0);
    header[19] = 0x02;  // channel 1, sound: its conversion is the QK's own
    header[22] = 400 >> 8, header[23] = 400 & 0xFF;
    port->writes.clear();
    Feed(DataAnswer(header));
    ASSERT_EQ(CountOf("CB"), 1u);
    auto raw = [](DWORD i) { return WORD((i * 7) & 0x3FF); };
    const Bytes answer = SetDataAnswer(400, raw);  // 802 bytes: 418 ms at 19200 baud

    // Not again while the answer could still be on its way...
    clock.Advance(700);
    EXPECT_EQ(CountOf("CB"), 1u);
    // ...and again once it is overdue.
    clock.Advance(100);
    ASSERT_EQ(CountOf("CB"), 2u);

    // Bytes that keep coming, however slowly, keep the read from going out again.
    size_t at = 0;
    for (int i = 0; i < 20; ++i, at += 20) {
        Feed(Bytes(answer.begin() + long(at), answer.begin() + long(at + 20)));
        clock.Advance(150);
    }
    EXPECT_EQ(CountOf("CB"), 2u);
    EXPECT_EQ(dorvik->GetRunX(0)->size(), 199u);  // 400 bytes after the "S"
    // Once they stop, the read goes out again and what came of its answer is dropped.
    clock.Advance(300);
    ASSERT_EQ(CountOf("CB"), 3u);
    EXPECT_TRUE(dorvik->GetRunX(0)->empty());
    EXPECT_TRUE(dorvik->GetRunY(0)->empty());

    // A whole answer with a bad checksum leaves nothing either.
    Bytes bad = answer;
    ++bad.back();
    Feed(bad);
    EXPECT_FALSE(dorvik->IsCommandAnswered());
    EXPECT_TRUE(dorvik->GetRunX(0)->empty());
    clock.Advance(800);
    ASSERT_EQ(CountOf("CB"), 4u);
    Feed(answer);
    EXPECT_TRUE(dorvik->IsCommandAnswered());
    const ChannelInfoStruct& sound = dorvik->GetStoredChannel(1);
    ASSERT_EQ(dorvik->GetRunY(0)->size(), 400u);
    for (DWORD i = 0; i < 400; ++i) {
        EXPECT_EQ((*dorvik->GetRunX(0))[i], i);
        EXPECT_DOUBLE_EQ((*dorvik->GetRunY(0))[i], raw(i) * sound.gain + sound.offset) << i;
    }
    EXPECT_EQ(host.Count(UM_RUN_ENDED), 1u);
    EXPECT_EQ(ProgressSent(), (Progress{{1, 1}, {2, 0}, {2, 1}, {0, 0}}));
    clock.Advance(200);
    EXPECT_EQ(CountOf("CB"), 4u);
    EXPECT_TRUE(prompts.Shown().empty());
}

// ---- the basic model's stored run

// A basic block after its status record: number, 256 data bytes, checksum.
Bytes Block(const Bytes& status, BYTE number, const Bytes& data, size_t from, bool corrupt) {
    Bytes block = {number};
    for (size_t i = 0; i < 256; ++i)
        block.push_back(from + i < data.size() ? data[from + i] : BYTE(0xEE));  // then padding
    DWORD sum = 0xEB + 0x90;
    for (BYTE b : status)
        sum += b;
    for (BYTE b : block)
        sum += b;
    block.push_back(BYTE(sum + (corrupt ? 1 : 0)));
    return block;
}

TEST_F(DownloadUnit, ABasicRunComesInNumberedBlocks) {
    struct Sent {
        BYTE number;
        bool corrupt = false;
        bool cancelFirst = false;  // the progress box's Cancel before this block
    };
    struct Case {
        const char* name;
        std::vector<BYTE> channels;
        DWORD runLength;
        std::vector<Sent> blocks;
        bool built;
        bool told = !built;
    };
    const Case cases[] = {
        {"300 bytes: the second block is 44 bytes and padding", {2, 5, 7}, 100, {{0}, {1}}, true},
        {"512 bytes: two full blocks", {0, 4}, 256, {{0}, {1}}, true},
        {"a repeat of the block just taken", {0, 4}, 256, {{0}, {0}, {1}}, true},
        {"a bad checksum in a middle block", {2, 5, 7}, 200, {{0}, {1, true}, {2}}, false},
        {"a bad checksum in the last block", {2, 5, 7}, 100, {{0}, {1, true}}, false},
        {"a block left out", {2, 5, 7}, 200, {{0}, {2}}, false},
        {"a number beyond the count", {2, 5, 7}, 100, {{0}, {7}, {1}}, false},
        {"no block 0", {2, 5, 7}, 100, {{1}, {2}}, false},
        {"cancelled", {2, 5, 7}, 200, {{0}, {1, false, true}, {2}}, false, false},
    };
    const Bytes status = {1, 0xA4, 0x08, 0, 100, 10, 20, 30, 26, 3, 14, 4};
    size_t told = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Remake();
        dorvik->SetBasicRun(c.channels, c.runLength);
        const DWORD size = DWORD(c.channels.size()) * c.runLength;
        Bytes data(size);
        for (size_t i = 0; i < size; ++i)
            data[i] = BYTE(i * 31 + 7);
        dorvik->QueueDownload();
        dorvik->StartCommandTimer(100);
        EXPECT_TRUE(dorvik->IsDownloadTimerOn());
        for (const Sent& s : c.blocks) {
            if (s.cancelFirst) *dorvik->GetDownloadCancelFlag() = 1;
            dorvik->EnterBlock(status);
            Feed(Block(status, s.number, data, size_t(s.number) * 256, s.corrupt));
            EXPECT_EQ(dorvik->GetAnswerState(), WAIT_FOR_ANSWER);
        }
        if (c.told) prompts.ExpectMessage(CDorvik::kDownloadFailedText, IDOK);
        clock.Advance(2500);
        EXPECT_EQ(prompts.Pending(), 0u);
        if (c.told) ++told;
        EXPECT_EQ(prompts.Shown().size(), told) << "told once";
        EXPECT_EQ(host.Count(UM_RUN_ENDED), 1u);
        EXPECT_EQ(ProgressSent().back(), (std::pair<WPARAM, LPARAM>{0, 0}));
        EXPECT_FALSE(dorvik->IsDownloadTimerOn());
        EXPECT_TRUE(dorvik->IsSetDownloadFinished());
        if (!c.built) {
            EXPECT_EQ(host.Count(UM_NEW_EXPERIMENT), 0u);
            EXPECT_EQ(host.Count(UM_REFRESH_RUN), 1u);
            continue;
        }
        EXPECT_EQ(host.Count(UM_NEW_EXPERIMENT), 1u);
        EXPECT_EQ(ProgressSent(), (Progress{{1, 2}, {2, 1}, {2, 2}, {0, 0}}));
        for (size_t k = 0; k < c.channels.size(); ++k) {
            const CDataArray* x = dorvik->GetRunX(int(k));
            const CDataArray* y = dorvik->GetRunY(int(k));
            ASSERT_TRUE(x && y);
            ASSERT_EQ(x->size(), c.runLength);
            ASSERT_EQ(y->size(), c.runLength);
            for (DWORD s = 0; s < c.runLength; ++s) {
                EXPECT_EQ((*x)[s], s);
                EXPECT_DOUBLE_EQ(
                    (*y)[s], dorvik->RawToValue(c.channels[k], data[s * c.channels.size() + k]));
            }
        }
        EXPECT_EQ(dorvik->GetRunX(int(c.channels.size())), nullptr);
    }
}

TEST_F(DownloadUnit, ABasicDownloadFailsOnlyAfterTwoSecondsWithoutAByte) {
    const Bytes status = {1, 0x04, 0x08, 0, 200, 10, 20, 30, 26, 3, 14, 4};
    dorvik->SetBasicRun({2}, 512);
    Bytes data(512, 0x42);
    dorvik->QueueDownload();
    dorvik->StartCommandTimer(100);
    dorvik->EnterBlock(status);
    Feed(Block(status, 0, data, 0, false));
    // The second block trickles in, a byte now and then, over far more than two seconds.
    dorvik->EnterBlock(status);
    const Bytes second = Block(status, 1, data, 256, false);
    for (size_t i = 0; i < second.size(); i += 26) {
        clock.Advance(1500);
        Feed(Bytes(second.begin() + long(i),
                   second.begin() + long(std::min(i + 26, second.size()))));
    }
    EXPECT_EQ(host.Count(UM_NEW_EXPERIMENT), 1u);
    EXPECT_EQ(host.Count(UM_RUN_ENDED), 1u);

    // A download that stops short is given up two seconds after its last byte.
    Remake();
    dorvik->SetBasicRun({2}, 512);
    dorvik->QueueDownload();
    dorvik->StartCommandTimer(100);
    dorvik->EnterBlock(status);
    Feed(Block(status, 0, data, 0, false));
    dorvik->EnterBlock(status);
    Feed(Bytes(second.begin(), second.begin() + 100));
    clock.Advance(1900);
    EXPECT_EQ(host.Count(UM_RUN_ENDED), 0u);
    prompts.ExpectMessage(CDorvik::kDownloadFailedText, IDOK);
    clock.Advance(300);
    EXPECT_EQ(host.Count(UM_RUN_ENDED), 1u);
    EXPECT_EQ(host.Count(UM_NEW_EXPERIMENT), 0u);
    EXPECT_EQ(dorvik->GetAnswerState(), WAIT_FOR_ANSWER);
    EXPECT_EQ(prompts.Shown().size(), 1u);
}

TEST_F(DownloadUnit, ACancelledTimingDownloadEndsAtOnceAndSwallowsTheRestOfItsStream) {
    dorvik->SendQKStatusRequest();
    Feed(Identification(0x80));
    dorvik->QueueReadDataHeader(0);
    dorvik->StartCommandTimer(100);
    Bytes header(24, 0);
    header[13] = 5;
    header[23] = 40;
    Feed(DataAnswer(header));
    ASSERT_EQ(port->Letters().back(), "CS");
    // Records whose bytes would start answers and records of their own.
    Bytes records;
    for (int i = 0; i < 40; ++i)
        for (BYTE b : {BYTE(i % 2), BYTE('S'), BYTE(0xAA), BYTE(0x01), BYTE(0xEB)})
            records.push_back(b);
    const Bytes answer = DataAnswer(records);
    Feed(Bytes(answer.begin(), answer.begin() + 101));
    *dorvik->GetDownloadCancelFlag() = 1;
    clock.Advance(150);
    EXPECT_EQ(host.Count(UM_RUN_ENDED), 1u);
    EXPECT_EQ(host.Count(UM_REFRESH_RUN), 1u);
    Feed(Bytes(answer.begin() + 101, answer.end()));
    EXPECT_EQ(dorvik->GetAnswerState(), WAIT_FOR_ANSWER);
    EXPECT_EQ(dorvik->GetBufferedCount(), 0u);
    clock.Advance(2500);
    EXPECT_EQ(host.Count(UM_RUN_ENDED), 1u);
    EXPECT_EQ(host.Count(UM_NEW_EXPERIMENT), 0u);
    EXPECT_TRUE(dorvik->GetTimingTimes().empty());
    EXPECT_FALSE(dorvik->IsDownloadTimerOn());
    EXPECT_TRUE(prompts.Shown().empty());
}

TEST_F(DownloadUnit, ASetDownloadRightAfterAFailedTimingDownloadIsNotJudgedByIt) {
    dorvik->SendQKStatusRequest();
    Feed(Identification(0x80));
    dorvik->QueueReadDataHeader(0);
    dorvik->StartCommandTimer(100);
    Bytes header(24, 0);
    header[13] = 5;
    header[23] = 2;
    Feed(DataAnswer(header));
    Bytes bad = DataAnswer({1, 0, 0, 0, 9, 0, 0, 0, 1, 9});
    ++bad.back();
    Feed(bad);
    prompts.ExpectMessage(CDorvik::kDownloadFailedText, IDOK);
    clock.Advance(200);
    EXPECT_EQ(prompts.Shown().size(), 1u);

    // The next download, within the old one's two seconds of silence.
    dorvik->QueueReadDataHeader(1);
    dorvik->StartCommandTimer(100);
    header[13] = 0;
    header[19] = 0x02;
    header[23] = 3;
    Feed(DataAnswer(header));
    clock.Advance(500);
    Feed(SetDataAnswer(3, [](DWORD i) { return WORD(i); }));
    clock.Advance(2500);
    EXPECT_EQ(prompts.Shown().size(), 1u);
    EXPECT_EQ(host.Count(UM_NEW_EXPERIMENT), 1u);
    ASSERT_NE(dorvik->GetRunY(0), nullptr);
    EXPECT_EQ(dorvik->GetRunY(0)->size(), 3u);
}

// ---- the QK against the simulator

class QkDownload : public testing_support::SimulatedQkTest<TestDorvik> {
protected:
    QkDownload() : SimulatedQkTest(kCom) {}

    void SetUp() override {
        SimulatedQkTest::SetUp();
        if (HasFatalFailure()) return;
        dorvik->Attach(&host);
        OpenQkLink();
        if (HasFatalFailure()) return;
        dorvik->SendQKStatusRequest();
        ASSERT_TRUE(Wait([&] { return dorvik->IsQKModel(); }));
        host.messages.clear();
    }
    // The set's header as the survey read it, then what the document does once the user chose
    // the set.
    void ChooseSet(BYTE set) {
        dorvik->QueueSurveyOf(set);
        for (BYTE part : {0, 2, 5, 6})
            dorvik->QueueReadSensorInfo(set, part);
        dorvik->QueueReadDataHeader(set);
        dorvik->StartCommandTimer(100);
    }
    bool Ended() {
        return Wait([&] { return host.Count(UM_RUN_ENDED) >= 1; });
    }
    // The line hangs up while the set's answer is on the wire: the download ends once, and the
    // user hears of the lost link alone.
    void HangUpMidDownload(BYTE index, const QkStoredSet& set) {
        Qk([&](QkModel& m) { m.storedSets[index] = set; });
        ProgressDocument document(host, *dorvik);
        prompts.ExpectMessage(CDorvik::kLinkLostText, IDOK);
        ChooseSet(index);
        ASSERT_TRUE(Wait([&] { return document.created == 1; }));
        Settle(300);
        ASSERT_EQ(host.Count(UM_RUN_ENDED), 0u) << "still downloading";
        sim.line.HangUp();
        ASSERT_TRUE(Ended());
        EXPECT_FALSE(dorvik->IsDownloadTimerOn());
        EXPECT_FALSE(dorvik->IsCommandTimerOn());
        Settle(2300);  // past the download's two seconds of silence
        EXPECT_EQ(prompts.Pending(), 0u);
        EXPECT_EQ(prompts.Shown().size(), 1u);
        EXPECT_EQ(host.Count(UM_RUN_ENDED), 1u);
        EXPECT_EQ(host.Count(UM_REFRESH_RUN), 1u);
        EXPECT_EQ(std::count(document.progress.begin(), document.progress.end(),
                             std::pair<WPARAM, LPARAM>{0, 0}),
                  1);
        EXPECT_EQ(document.box, nullptr);
        EXPECT_TRUE(dorvik->IsSetDownloadFinished());
        EXPECT_TRUE(dorvik->GetTimingTimes().empty());
        EXPECT_EQ(dorvik->GetAnswerState(), WAIT_FOR_ANSWER);
    }
    // The run pair's values against the set's raw samples, converted by the stored channel.
    void ExpectPair(int pair, int channel, const QkStoredSet& set) {
        SCOPED_TRACE(testing::Message() << "channel " << channel);
        const CDataArray* x = dorvik->GetRunX(pair);
        const CDataArray* y = dorvik->GetRunY(pair);
        ASSERT_TRUE(x && y);
        const std::vector<WORD>& raw = set.samples[size_t(channel)];
        ASSERT_EQ(x->size(), raw.size());
        ASSERT_EQ(y->size(), raw.size());
        const ChannelInfoStruct& r = dorvik->GetStoredChannel(channel);
        for (size_t i = 0; i < raw.size(); ++i) {
            ASSERT_EQ((*x)[i], double(i));
            ASSERT_DOUBLE_EQ((*y)[i], raw[i] * r.gain + r.offset) << i;
        }
    }
};

WORD StoredRaw(int channel, DWORD sample) {
    return WORD(channel * 97 + sample * 5);
}

TEST_F(QkDownload, AChosenSetBecomesOneRunOfItsEnabledChannelsInOrder) {
    QkStoredSet set = dorvik_sim::MakeStoredSet(0x3B, 60, StoredRaw);  // 0, 1, 3, 4, 5
    set.period[0] = 16, set.period[1] = 200;                           // 0.2 s
    Qk([&](QkModel& m) { m.storedSets[2] = set; });
    ProgressDocument document(host, *dorvik);
    ChooseSet(2);
    ASSERT_TRUE(Ended());
    Settle(300);
    EXPECT_EQ(DataReads(), (std::vector<std::string>{"CA", "CB", "CD", "CE", "CF"}));
    EXPECT_EQ(host.Count(UM_NEW_EXPERIMENT), 1u);
    EXPECT_EQ(host.Count(UM_RUN_ENDED), 1u);
    EXPECT_EQ(host.Count(UM_REFRESH_RUN), 0u);
    const auto it =
        std::find_if(host.messages.begin(), host.messages.end(),
                     [](const HostMessage& m) { return m.message == UM_NEW_EXPERIMENT; });
    EXPECT_EQ(it->lParam, CDorvik::kStoredRun);
    EXPECT_EQ(document.progress,
              (Progress{{1, 5}, {2, 0}, {2, 1}, {2, 2}, {2, 3}, {2, 4}, {2, 5}, {0, 0}}));
    EXPECT_EQ(document.created, 1);
    EXPECT_EQ(document.box, nullptr) << "closed by its owner";
    const int channels[] = {0, 1, 3, 4, 5};
    for (int pair = 0; pair < 5; ++pair)
        ExpectPair(pair, channels[pair], set);
    EXPECT_EQ(dorvik->GetRunX(5), nullptr);
    EXPECT_EQ(dorvik->GetChannelCount(CDorvik::kStoredRun), 5);
    EXPECT_EQ(dorvik->GetRateCode(CDorvik::kStoredRun), 48);
    EXPECT_EQ(dorvik->GetStartTime(), CPreciseDateTime(2026, 3, 14, 9, 30, 0));
    EXPECT_TRUE(dorvik->IsSetDownloadFinished());
    EXPECT_FALSE(dorvik->IsCommandFailed());
    EXPECT_TRUE(prompts.Shown().empty());
}

TEST_F(QkDownload, ALongSetIsReadWithoutARepeatedRequest) {
    // 4002 bytes: over two seconds on the wire.
    const QkStoredSet set = dorvik_sim::MakeStoredSet(0x08, 2000, StoredRaw);
    Qk([&](QkModel& m) { m.storedSets[0] = set; });
    ChooseSet(0);
    ASSERT_TRUE(Ended());
    EXPECT_EQ(DataReads(), (std::vector<std::string>{"CD"}));
    ExpectPair(0, 3, set);
    EXPECT_TRUE(prompts.Shown().empty());
}

TEST_F(QkDownload, AnUnreadableHeaderOrAnEmptySetEndsAtOnce) {
    struct Case {
        const char* name;
        std::optional<QkStoredSet> set;
        const char* text;
    };
    QkStoredSet noSamples = dorvik_sim::MakeStoredSet(0x03, 0, StoredRaw);
    const Case cases[] = {
        // Only its header is asked for: its sensors would have failed first.
        {"absent header", std::nullopt, CDorvik::kDownloadFailedText},
        {"mask 0", dorvik_sim::MakeStoredSet(0x00, 50, StoredRaw), CDorvik::kDataSetEmptyText},
        {"no samples", noSamples, CDorvik::kDataSetEmptyText},
        {"no timing events", dorvik_sim::MakeTimingSet({}), CDorvik::kDataSetEmptyText},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host.messages.clear();
        Qk([&](QkModel& m) {
            m.storedSets[1] = c.set;
            m.commands.clear();
        });
        prompts.ExpectMessage(c.text, IDOK);
        if (c.set) {
            ChooseSet(1);
        } else {
            dorvik->QueueReadDataHeader(1);
            dorvik->StartCommandTimer(100);
        }
        ASSERT_TRUE(Ended());
        Settle(300);
        EXPECT_EQ(prompts.Pending(), 0u);
        EXPECT_EQ(host.Count(UM_RUN_ENDED), 1u);
        EXPECT_EQ(host.Count(UM_NEW_EXPERIMENT), 0u);
        EXPECT_TRUE(DataReads().empty());
        EXPECT_TRUE(dorvik->IsSetDownloadFinished());
        EXPECT_FALSE(dorvik->IsCommandTimerOn());
    }
    EXPECT_EQ(prompts.Shown().size(), 4u);
}

TEST_F(QkDownload, CancelHidesTheProgressAndStopsTheDownloadWithoutFailing) {
    const QkStoredSet set = dorvik_sim::MakeStoredSet(0x03, 1500, StoredRaw);
    Qk([&](QkModel& m) { m.storedSets[3] = set; });
    ProgressDocument document(host, *dorvik);
    ChooseSet(3);
    ASSERT_TRUE(Wait([&] {
        const CDataArray* x = dorvik->GetRunX(0);
        return x && x->size() > 200;
    }));
    ASSERT_NE(document.box, nullptr);
    document.box->Cancel();
    ASSERT_TRUE(Ended());
    const size_t stored = dorvik->GetRunX(0)->size();
    EXPECT_LT(stored, 1500u);
    // The rest of the answer comes and is swallowed; on a slow machine it takes its time.
    ASSERT_TRUE(Wait([&] { return dorvik->GetAnswerState() == WAIT_FOR_ANSWER; }));
    Settle(200);
    EXPECT_EQ(dorvik->GetRunX(0)->size(), stored);
    EXPECT_EQ(dorvik->GetRunX(1)->size(), 0u);
    EXPECT_EQ(DataReads(), (std::vector<std::string>{"CA"}));
    EXPECT_EQ(host.Count(UM_RUN_ENDED), 1u);
    EXPECT_EQ(host.Count(UM_REFRESH_RUN), 1u);
    EXPECT_EQ(document.box, nullptr) << "deleted by its owner, once";
    EXPECT_EQ(document.created, 1);
    EXPECT_TRUE(prompts.Shown().empty()) << "no Download Failed";
    EXPECT_EQ(dorvik->GetAnswerState(), WAIT_FOR_ANSWER);
}

TEST_F(QkDownload, AnUnansweredReadFailsTheDownloadOnce) {
    Qk([](QkModel& m) {
        m.storedSets[0] = dorvik_sim::MakeStoredSet(0x05, 20, StoredRaw);
        m.ignoreDataReads = 1000;
    });
    prompts.ExpectMessage(CDorvik::kDownloadFailedText, IDOK);
    ChooseSet(0);
    ASSERT_TRUE(Ended());
    Settle(500);
    EXPECT_EQ(DataReads(), std::vector<std::string>(9, "CA"));
    EXPECT_EQ(host.Count(UM_RUN_ENDED), 1u);
    EXPECT_EQ(host.Count(UM_REFRESH_RUN), 1u);
    EXPECT_EQ(prompts.Shown().size(), 1u);
    EXPECT_FALSE(dorvik->IsCommandTimerOn());
}

std::vector<QkTimingEvent> GateEvents(size_t count) {
    std::vector<QkTimingEvent> events;
    for (size_t i = 0; i < count; ++i)
        events.push_back({BYTE(i % 2 ? 0 : (i % 4 ? 3 : 1)), DWORD(1000 + 7919 * i)});
    return events;
}

TEST_F(QkDownload, ATimingSetLongerThanTwoSecondsIsConverted) {
    const std::vector<QkTimingEvent> events = GateEvents(900);  // 4502 bytes: 2.3 s
    Qk([&](QkModel& m) { m.storedSets[1] = dorvik_sim::MakeTimingSet(events); });
    ProgressDocument document(host, *dorvik);
    ChooseSet(1);
    ASSERT_TRUE(Ended());
    EXPECT_EQ(Qk([](QkModel& m) { return m.CountOf("CS"); }), 1u);
    EXPECT_EQ(host.Count(UM_NEW_EXPERIMENT), 1u);
    const std::vector<double>& times = dorvik->GetTimingTimes();
    const std::vector<double>& a = dorvik->GetTimingInputA();
    const std::vector<double>& b = dorvik->GetTimingInputB();
    ASSERT_EQ(times.size(), events.size());
    ASSERT_EQ(a.size(), events.size());
    ASSERT_EQ(b.size(), events.size());
    for (size_t i = 0; i < events.size(); ++i) {
        EXPECT_DOUBLE_EQ(times[i], events[i].ticks * 0.000002) << i;
        EXPECT_EQ(a[i], events[i].state & 1) << i;
        EXPECT_EQ(b[i], events[i].state >> 1) << i;
    }
    EXPECT_EQ(dorvik->GetChannelCount(CDorvik::kStoredTimingRun), 1);
    ASSERT_NE(dorvik->GetRunY(0), nullptr);
    EXPECT_EQ(dorvik->GetRunY(0)->size(), 450u) << "one blocked time per pass of gate 1";
    ASSERT_FALSE(document.progress.empty());
    EXPECT_EQ(document.progress.front(), (std::pair<WPARAM, LPARAM>{1, 4500}));
    EXPECT_EQ(document.progress[document.progress.size() - 2],
              (std::pair<WPARAM, LPARAM>{2, 4500}));
    EXPECT_EQ(document.progress.back(), (std::pair<WPARAM, LPARAM>{0, 0}));
    for (size_t i = 2; i + 1 < document.progress.size(); ++i)
        EXPECT_GT(document.progress[i].second, document.progress[i - 1].second);
    Settle(2500);
    EXPECT_TRUE(prompts.Shown().empty());
    EXPECT_FALSE(dorvik->IsDownloadTimerOn());
}

TEST_F(QkDownload, ATimingSetWithABadChecksumFailsOnce) {
    Qk([](QkModel& m) {
        m.storedSets[2] = dorvik_sim::MakeTimingSet(GateEvents(40));
        m.corruptDataChecksums = 1;
    });
    prompts.ExpectMessage(CDorvik::kDownloadFailedText, IDOK);
    ChooseSet(2);
    ASSERT_TRUE(Ended());
    Settle(2500);
    EXPECT_EQ(prompts.Shown().size(), 1u);
    EXPECT_EQ(host.Count(UM_NEW_EXPERIMENT), 0u);
    EXPECT_EQ(host.Count(UM_RUN_ENDED), 1u);
    EXPECT_EQ(Qk([](QkModel& m) { return m.CountOf("CS"); }), 1u);
}

TEST_F(QkDownload, AHangUpMidSetEndsTheDownloadOnce) {
    HangUpMidDownload(3, dorvik_sim::MakeStoredSet(0x03, 1500, StoredRaw));
}

TEST_F(QkDownload, AHangUpMidTimingSetEndsTheDownloadOnce) {
    HangUpMidDownload(1, dorvik_sim::MakeTimingSet(GateEvents(900)));
    EXPECT_EQ(host.Count(UM_NEW_EXPERIMENT), 0u);
}

// ---- the basic model against the simulator

class BasicDownload : public testing_support::CoreHarnessTest {
protected:
    testing_support::NoComPorts noPorts;  // the search finds the simulated logger or nothing
    CSettings settings{env.File("Settings.vns")};
    HostWindow host;
    std::unique_ptr<SimulatedComPort> sim;
    std::unique_ptr<TestDorvik> dorvik;

    void SetUp() override { ASSERT_TRUE(host.CreateMessageTarget()); }
    void TearDown() override { Drop(); }
    void Drop() {
        host.dorvik = nullptr;
        dorvik.reset();
        sim.reset();
    }
    template <class F>
    auto Basic(F&& f) {
        return sim->line.WithModelAs<BasicModel>(std::forward<F>(f));
    }
    // A fresh logger keeping `run`, found on its remembered port as at start-up.
    void Connect(const BasicStoredRun& run) {
        Drop();
        sim = std::make_unique<SimulatedComPort>(kCom, std::make_unique<BasicModel>());
        ASSERT_TRUE(sim->line.IsReady()) << sim->line.ErrorText();
        Basic([&](BasicModel& m) { m.storedRun = run; });
        settings.m_rememberPort = 1;
        settings.m_comNumber = kCom;
        dorvik = std::make_unique<TestDorvik>(&settings);
        host.dorvik = dorvik.get();
        dorvik->Attach(&host);
        dorvik->Connect();
        ASSERT_TRUE(Wait([&] {
            return dorvik->IsConnected() && !dorvik->IsDetectionTimerOn() &&
                   dorvik->IsCommandQueueEmpty() && !dorvik->IsCommandTimerOn();
        }));
        host.messages.clear();
    }
    bool Wait(const std::function<bool()>& done) { return RunUntil(clock, done); }
    Progress ProgressSent() const {
        Progress out;
        for (const HostMessage& m : host.messages)
            if (m.message == UM_FETCH_PROGRESS) out.push_back({m.wParam, m.lParam});
        return out;
    }
};

TEST_F(BasicDownload, TheStoredRunComesInBlocksAndAnyBadBlockFailsItOnce) {
    struct Case {
        const char* name;
        BYTE mask;
        WORD samples;
        std::function<void(BasicModel&)> fault;
        bool built;
        // At the line's rate, over a second a block; else at once, in odd chunks.
        bool paced = false;
        // What the user is told of a download that built nothing.
        const char* told = CDorvik::kDownloadFailedText;
    };
    const auto none = [](BasicModel&) {};
    const Case cases[] = {
        {"300 bytes: the second block is 44 bytes and padding", 0x85, 100, none, true},
        {"512 bytes: two full blocks", 0x12, 256, none, true, true},
        {"a bad checksum in a middle block", 0x85, 200, [](BasicModel& m) { m.corruptBlock = 1; },
         false},
        {"a bad checksum in the last block", 0x85, 100, [](BasicModel& m) { m.corruptBlock = 1; },
         false},
        {"a block left out", 0x85, 200, [](BasicModel& m) { m.dropBlock = 1; }, false},
        {"a number beyond the count", 0x85, 100,
         [](BasicModel& m) {
             m.misnumberBlock = 1;
             m.misnumberAs = 2;
         },
         false},
        {"a hang-up after the first block", 0x85, 200,
         [](BasicModel& m) { m.hangUpAfterBlocks = 1; }, false, false, CDorvik::kLinkLostText},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BasicStoredRun run;
        run.mask = c.mask;
        run.runLength = c.samples;
        const size_t channels = BasicModel::ChannelCount(c.mask);
        for (size_t i = 0; i < channels * c.samples; ++i)
            run.data.push_back(BYTE(i * 31 + 7));
        Connect(run);
        if (HasFatalFailure()) return;
        Basic(c.fault);
        if (!c.paced) {
            sim->line.SetPacing(false);
            sim->line.SetChunks({37, 101, 5}, std::chrono::milliseconds(1));
        }
        if (!c.built) prompts.ExpectMessage(c.told, IDOK);
        const size_t shown = prompts.Shown().size();
        dorvik->QueueDownload();
        dorvik->StartCommandTimer(100);
        ASSERT_TRUE(Wait([&] {
            return host.Count(UM_RUN_ENDED) >= 1 && sim->line.PendingOutput() == 0 &&
                   dorvik->GetBufferedCount() == 0;
        }));
        const bool lost = c.told == CDorvik::kLinkLostText;
        if (lost) {
            EXPECT_FALSE(dorvik->IsDownloadTimerOn());
        }
        // A lost link is waited out past the two seconds that give a silent download up.
        RunUntil(
            clock, [] { return false; }, std::chrono::milliseconds(lost ? 2300 : 300));
        EXPECT_EQ(prompts.Pending(), 0u);
        EXPECT_EQ(prompts.Shown().size(), shown + (c.built ? 0 : 1)) << "told once";
        EXPECT_EQ(host.Count(UM_RUN_ENDED), 1u);
        EXPECT_EQ(Basic([](BasicModel& m) { return m.CountOf(0x55); }), 1u) << "asked once";
        EXPECT_TRUE(dorvik->IsSetDownloadFinished());
        const Progress progress = ProgressSent();
        EXPECT_EQ(progress.back(), (std::pair<WPARAM, LPARAM>{0, 0}));
        EXPECT_EQ(std::count(progress.begin(), progress.end(), std::pair<WPARAM, LPARAM>{0, 0}), 1);
        if (!c.built) {
            EXPECT_EQ(host.Count(UM_NEW_EXPERIMENT), 0u);
            EXPECT_EQ(host.Count(UM_REFRESH_RUN), 1u);
            continue;
        }
        ASSERT_EQ(host.Count(UM_NEW_EXPERIMENT), 1u);
        EXPECT_EQ(ProgressSent(), (Progress{{1, 2}, {2, 1}, {2, 2}, {0, 0}}));
        int pair = 0;
        for (int ch = 0; ch < 8; ++ch) {
            if (!((c.mask >> ch) & 1)) continue;
            SCOPED_TRACE(testing::Message() << "channel " << ch);
            const CDataArray* x = dorvik->GetRunX(pair);
            const CDataArray* y = dorvik->GetRunY(pair);
            ASSERT_TRUE(x && y);
            ASSERT_EQ(x->size(), c.samples);
            ASSERT_EQ(y->size(), c.samples);
            for (size_t s = 0; s < c.samples; ++s) {
                ASSERT_EQ((*x)[s], double(s));
                ASSERT_DOUBLE_EQ((*y)[s],
                                 dorvik->RawToValue(ch, run.data[s * channels + size_t(pair)]))
                    << s;
            }
            ++pair;
        }
        EXPECT_EQ(dorvik->GetRunX(pair), nullptr);
    }
}

}  // namespace
