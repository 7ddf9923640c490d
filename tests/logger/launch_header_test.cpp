#include <gtest/gtest.h>

#include <QFile>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

#include "logger/launch_header.h"
#include "platform/base/file.h"
#include "tests/support/core/harness.h"

namespace {

// Little-endian bytes assembled by hand, field by field, as the layout gives them.
struct Bytes {
    std::vector<BYTE> b;
    Bytes& u8(int v) {
        b.push_back(static_cast<BYTE>(v));
        return *this;
    }
    Bytes& u16(int v) { return u8(v & 0xFF).u8((v >> 8) & 0xFF); }
    Bytes& u32(long long v) {
        return u16(static_cast<int>(v & 0xFFFF)).u16(static_cast<int>((v >> 16) & 0xFFFF));
    }
    Bytes& f64(double v) {
        BYTE raw[8];
        std::memcpy(raw, &v, 8);
        b.insert(b.end(), raw, raw + 8);
        return *this;
    }
    Bytes& str(const char* s) {
        u8(static_cast<int>(std::strlen(s)));
        b.insert(b.end(), s, s + std::strlen(s));
        return *this;
    }
};

// Fields 1, 10, 12, 11, 3, 4, 6, 5, 7, 8, 9, 2, 13.
void PutChannel(Bytes& out, const LaunchChannelStruct& c) {
    out.u32(c.selected).u32(c.autoScale).f64(c.maximum).f64(c.minimum).u32(c.color);
    out.u32(c.lineStyle).u32(c.lineVisible).u16(c.lineWidth).u32(c.markerColor);
    out.u32(c.markerStyle).u32(c.markerVisible).u16(c.index).u16(c.sensorBit);
}

// A graph file with the first `gates` of its three gated groups.
std::vector<BYTE> HandGraph(const CLaunchHeader& h, const char* tag, int gates) {
    Bytes out;
    out.str(tag);
    for (const LaunchChannelStruct& c : h.m_channels)
        PutChannel(out, c);
    out.u16(h.m_rateCode).u32(h.m_runLength).u16(h.m_sensorCount).u32(h.m_barGraph);
    out.u32(h.m_scrollRun).u8(h.m_externalType1).u8(h.m_externalType2).u16(h.m_recordingMode);
    for (BYTE bit : h.m_sensorBits)
        out.u8(bit);
    if (gates > 0) out.u32(h.m_qkModel);
    if (gates > 1) out.u32(h.m_singleGraphMode).u16(h.m_singleGraphSelection);
    if (gates > 2) out.u32(h.m_propertiesChanged);
    return out.b;
}

std::vector<BYTE> HandSnapshot(const CLaunchHeader& h, const char* tag, int gates) {
    Bytes out;
    out.str(tag).u8(h.m_meterSensor).u16(h.m_meterType).u8(h.m_externalType1);
    out.u8(h.m_externalType2);
    if (gates > 0) out.u32(h.m_qkModel);
    if (gates > 1) {
        out.u32(h.m_fourMeterLayout);
        for (BYTE t : h.m_meterTypes)
            out.u8(t);
        for (BYTE s : h.m_meterSensors)
            out.u8(s);
    }
    return out.b;
}

std::vector<BYTE> HandTiming(const CLaunchHeader& h) {
    Bytes out;
    out.str("TimeLaunchHeader v.1.1").u8(h.m_timingMethod).u8(h.m_timingMeasurement);
    out.f64(h.m_distance1).f64(h.m_distance2).u32(h.m_barGraph).u32(h.m_scrollRun);
    return out.b;
}

// Every field apart from the others, the X axis at position 1 of three sensors.
CLaunchHeader DistinctGraph() {
    LaunchChannelStruct channels[8];
    for (int i = 0; i < 8; ++i) {
        LaunchChannelStruct& c = channels[i];
        c.selected = static_cast<DWORD>(i % 2);
        c.index = static_cast<short>(i);
        c.color = 0x102030 + i;
        c.lineStyle = 11;
        c.lineWidth = 12;
        c.lineVisible = 13;
        c.markerColor = 14;
        c.markerStyle = 15;
        c.markerVisible = 16;
        c.autoScale = 17 + static_cast<DWORD>(i);
        c.minimum = 1.25 + i;
        c.maximum = 8.5 + i;
        c.sensorBit = static_cast<WORD>(100 + i);
    }
    channels[7].index = 1;
    const BYTE bits[7] = {16, 128, 4, 0, 0, 0, 0};
    return CLaunchHeader(channels, 49, 300, 3, bits, 7, 12, 1, 2, 2, 1, 1, 2, 1);
}

CLaunchHeader Snapshot(DWORD layout) {
    const BYTE types[4] = {3, 2, 1, 0};
    const BYTE sensors[4] = {1, 2, 4, 128};
    return CLaunchHeader(4, 3, 5, 9, 1, layout, types, sensors);
}

CLaunchHeader DefaultTiming() {
    return CLaunchHeader(0, 0, 3.0, 20.0, 0, 0);
}

bool Load(CLaunchHeader& h, const std::vector<BYTE>& bytes, CString* reason = nullptr) {
    CMemFile file(bytes);
    return h.LoadFrom(file, reason);
}

// A loaded header carries the tag it was read with.
CLaunchHeader Tagged(CLaunchHeader h, const char* tag) {
    h.m_tag = tag;
    return h;
}

class LaunchFile : public testing_support::CoreHarnessTest {
protected:
    CString path = env.File("Lesson.qdr");
    std::vector<BYTE> ReadFile() const {
        QFile f(path.ToQString());
        if (!f.open(QIODevice::ReadOnly)) return {};
        const QByteArray all = f.readAll();
        return std::vector<BYTE>(all.begin(), all.end());
    }
};

}  // namespace

TEST_F(LaunchFile, EachKindIsWrittenByteForByteAndReadBack) {
    const CLaunchHeader graph = DistinctGraph();
    const CLaunchHeader snap0 = Snapshot(0), snap1 = Snapshot(1), timing = DefaultTiming();

    // Layout 0 stores the four meters' defaults.
    const BYTE chosenSensors[4] = {1, 2, 4, 128};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(snap0.m_meterTypes[i], i);
        EXPECT_EQ(snap0.m_meterSensors[i], 16);
        EXPECT_EQ(snap1.m_meterSensors[i], chosenSensors[i]);
    }

    struct Case {
        const CLaunchHeader* header;
        WORD kind;
        std::vector<BYTE> expected;
        const char* tag;
        size_t size;
    } cases[] = {
        {&graph, 2, HandGraph(graph, "LaunchHeaderFile v.1.4", 3), CLaunchHeader::kGraphTag, 496},
        {&snap0, 1, HandSnapshot(snap0, "SnapLaunchHeader v.1.2", 2), CLaunchHeader::kSnapshotTag,
         44},
        {&snap1, 1, HandSnapshot(snap1, "SnapLaunchHeader v.1.2", 2), CLaunchHeader::kSnapshotTag,
         44},
        {&timing, 0, HandTiming(timing), CLaunchHeader::kTimingTag, 49},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(c.header->SaveToFile(path, c.kind));
        const std::vector<BYTE> bytes = ReadFile();
        EXPECT_EQ(bytes.size(), c.size) << c.tag;
        EXPECT_EQ(bytes, c.expected) << c.tag;
        CLaunchHeader read;
        CString reason;
        ASSERT_TRUE(read.LoadFromFile(path, &reason)) << c.tag << ": " << reason.GetString();
        EXPECT_EQ(read, Tagged(*c.header, c.tag)) << c.tag;
    }
    // The timing file of the defaults, as the layout spells it.
    const std::vector<BYTE> example = {
        22,  'T', 'i', 'm', 'e', 'L',  'a',  'u', 'n', 'c', 'h', 'H', 'e', 'a', 'd', 'e',  'r',
        ' ', 'v', '.', '1', '.', '1',  0,    0,   0,   0,   0,   0,   0,   0,   8,   0x40, 0,
        0,   0,   0,   0,   0,   0x34, 0x40, 0,   0,   0,   0,   0,   0,   0,   0};
    EXPECT_EQ(timing.GetFileBytes(7), example);
}

TEST_F(LaunchFile, OlderVersionsKeepTheFieldsTheyLack) {
    // What the header held before the read: every gated field away from the file's.
    CLaunchHeader before = DistinctGraph();
    before.m_qkModel = 1;
    before.m_singleGraphMode = 5;
    before.m_singleGraphSelection = 4;
    before.m_propertiesChanged = 6;
    before.m_fourMeterLayout = 7;
    for (BYTE& t : before.m_meterTypes)
        t = 2;
    CLaunchHeader file = DistinctGraph();
    file.m_qkModel = 3;
    file.m_singleGraphMode = 8;
    file.m_singleGraphSelection = 5;
    file.m_propertiesChanged = 9;
    file.m_runLength = 77;
    const CLaunchHeader snap = Snapshot(1);

    struct Case {
        const char* tag;
        std::vector<BYTE> bytes;
        size_t size;
        std::function<void(CLaunchHeader&)> expect;  // turns `before` into the result
    } cases[] = {
        {"LaunchHeaderFile v.1.0", HandGraph(file, "LaunchHeaderFile v.1.0", 0), 482,
         [&](CLaunchHeader& h) {
             CLaunchHeader r = file;
             r.m_qkModel = h.m_qkModel;
             r.m_singleGraphMode = h.m_singleGraphMode;
             r.m_singleGraphSelection = h.m_singleGraphSelection;
             r.m_propertiesChanged = h.m_propertiesChanged;
             r.m_fourMeterLayout = h.m_fourMeterLayout;
             std::memcpy(r.m_meterTypes, h.m_meterTypes, 4);
             h = r;
         }},
        {"LaunchHeaderFile v.1.2", HandGraph(file, "LaunchHeaderFile v.1.2", 1), 486,
         [&](CLaunchHeader& h) {
             const CLaunchHeader old = h;
             h = file;
             h.m_singleGraphMode = old.m_singleGraphMode;
             h.m_singleGraphSelection = old.m_singleGraphSelection;
             h.m_propertiesChanged = old.m_propertiesChanged;
             h.m_fourMeterLayout = old.m_fourMeterLayout;
             std::memcpy(h.m_meterTypes, old.m_meterTypes, 4);
         }},
        {"LaunchHeaderFile v.1.3", HandGraph(file, "LaunchHeaderFile v.1.3", 2), 492,
         [&](CLaunchHeader& h) {
             const CLaunchHeader old = h;
             h = file;
             h.m_propertiesChanged = old.m_propertiesChanged;
             h.m_fourMeterLayout = old.m_fourMeterLayout;
             std::memcpy(h.m_meterTypes, old.m_meterTypes, 4);
         }},
        {"SnapLaunchHeader v.1.0", HandSnapshot(snap, "SnapLaunchHeader v.1.0", 0), 28,
         [&](CLaunchHeader& h) {
             h.m_kind = 1;
             h.m_meterSensor = snap.m_meterSensor;
             h.m_meterType = snap.m_meterType;
             h.m_externalType1 = snap.m_externalType1;
             h.m_externalType2 = snap.m_externalType2;
         }},
        {"SnapLaunchHeader v.1.1", HandSnapshot(snap, "SnapLaunchHeader v.1.1", 1), 32,
         [&](CLaunchHeader& h) {
             h.m_kind = 1;
             h.m_meterSensor = snap.m_meterSensor;
             h.m_meterType = snap.m_meterType;
             h.m_externalType1 = snap.m_externalType1;
             h.m_externalType2 = snap.m_externalType2;
             h.m_qkModel = snap.m_qkModel;
         }},
    };
    for (Case& c : cases) {
        EXPECT_EQ(c.bytes.size(), c.size) << c.tag;
        CLaunchHeader read = before;
        CString reason;
        ASSERT_TRUE(Load(read, c.bytes, &reason)) << c.tag << ": " << reason.GetString();
        CLaunchHeader expected = before;
        c.expect(expected);
        expected.m_tag = c.tag;
        EXPECT_EQ(read, expected) << c.tag;
    }

    // A later version is read as far as it is known; what follows is left alone.
    std::vector<BYTE> later = HandGraph(file, "LaunchHeaderFile v.1.5", 3);
    later.insert(later.end(), {0xDE, 0xAD, 0xBE, 0xEF});
    CLaunchHeader read = before;
    ASSERT_TRUE(Load(read, later));
    EXPECT_EQ(read.GetFileBytes(2), file.GetFileBytes(2));
    EXPECT_EQ(read.m_tag, "LaunchHeaderFile v.1.5");
}

TEST_F(LaunchFile, AFileWithoutTheModelFlagIsForTheModelItsNameGives) {
    // A QK rate (41, 1 s) and a basic one (64, 1 s; a power of two).
    CLaunchHeader qkGraph = DistinctGraph();
    qkGraph.m_rateCode = 41;
    CLaunchHeader basicGraph = DistinctGraph();
    basicGraph.m_rateCode = 64;
    basicGraph.m_qkModel = 0;
    const CLaunchHeader snap = Snapshot(1);
    struct Case {
        const char* name;
        std::vector<BYTE> bytes;
        DWORD before;        // the reading header's model
        const char* file;    // the name the file is read from
        const char* reason;  // null: read, with the model below
        DWORD model;
    } cases[] = {
        {"1.0 QK graph from a .qdr", HandGraph(qkGraph, "LaunchHeaderFile v.1.0", 0), 0,
         "Lesson.qdr", nullptr, 1},
        {"1.0 basic graph from an .hdr", HandGraph(basicGraph, "LaunchHeaderFile v.1.0", 0), 1,
         "Lesson.hdr", nullptr, 0},
        {"the name's letters in any case", HandGraph(qkGraph, "LaunchHeaderFile v.1.0", 0), 0,
         "LESSON.QDR", nullptr, 1},
        {"1.0 snapshot from a .qdr", HandSnapshot(snap, "SnapLaunchHeader v.1.0", 0), 0,
         "Meter.qdr", nullptr, 1},
        // A QK rate in a basic file is still refused, and the flag, once in the file, holds.
        {"1.0 QK rate from an .hdr", HandGraph(qkGraph, "LaunchHeaderFile v.1.0", 0), 1,
         "Lesson.hdr", "the rate is out of range", 0},
        {"1.4 basic flag from a .qdr", HandGraph(basicGraph, "LaunchHeaderFile v.1.4", 3), 1,
         "Lesson.qdr", nullptr, 0},
        // Another name says nothing: the header's model stays.
        {"1.0 QK graph from a .dat", HandGraph(qkGraph, "LaunchHeaderFile v.1.0", 0), 1,
         "Lesson.dat", nullptr, 1},
    };
    for (const Case& c : cases) {
        const CString file = env.File(c.file);
        QFile out(file.ToQString());
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(reinterpret_cast<const char*>(c.bytes.data()), qint64(c.bytes.size()));
        out.close();
        CLaunchHeader read = DistinctGraph();
        read.m_qkModel = c.before;
        const CLaunchHeader before = read;
        CString reason;
        const bool ok = read.LoadFromFile(file, &reason);
        if (c.reason) {
            EXPECT_FALSE(ok) << c.name;
            EXPECT_EQ(reason, c.reason) << c.name;
            EXPECT_EQ(read, before) << c.name;
        } else {
            EXPECT_TRUE(ok) << c.name << ": " << reason.GetString();
            EXPECT_EQ(read.m_qkModel, c.model) << c.name;
        }
        QFile::remove(file.ToQString());
    }
}

TEST_F(LaunchFile, OnlyTheFirstSixteenCharactersOfTheTagChooseTheKind) {
    const CLaunchHeader before = DistinctGraph();
    const CLaunchHeader snap = Snapshot(1);
    CLaunchHeader graphFile = DistinctGraph();
    graphFile.m_runLength = 55;

    // No version: no gated group.
    CLaunchHeader read = before;
    std::vector<BYTE> bytes = HandSnapshot(snap, "SnapLaunchHeaderXYZ", 0);
    EXPECT_EQ(bytes.size(), 25u);
    ASSERT_TRUE(Load(read, bytes));
    EXPECT_EQ(read.m_kind, CLaunchHeader::kSnapshot);
    EXPECT_EQ(read.m_meterType, snap.m_meterType);
    EXPECT_EQ(read.m_qkModel, before.m_qkModel);
    EXPECT_EQ(CLaunchHeader::TagVersion("SnapLaunchHeaderXYZ"), 0.0);

    read = before;
    bytes = HandGraph(graphFile, "LaunchHeaderFile v.abc", 0);
    EXPECT_EQ(bytes.size(), 482u);
    ASSERT_TRUE(Load(read, bytes));
    EXPECT_EQ(read.m_runLength, 55);
    EXPECT_EQ(read.m_singleGraphSelection, before.m_singleGraphSelection);
    EXPECT_EQ(read.m_propertiesChanged, before.m_propertiesChanged);

    for (const char* tag : {"SnapLaunchHeade", "VarnelFile v.1.5"}) {
        read = before;
        CString reason;
        EXPECT_FALSE(Load(read, HandSnapshot(snap, tag, 2), &reason)) << tag;
        EXPECT_EQ(reason, "it is not a launch file") << tag;
        EXPECT_EQ(read, before) << tag;
    }
}

TEST_F(LaunchFile, HostileFilesAreRefusedWithTheirReasonAndChangeNothing) {
    // The header that reads them: a whole, valid graph set-up.
    const CLaunchHeader before = DistinctGraph();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* name;
        std::function<CLaunchHeader()> make;
        WORD kind;
        const char* reason;  // null: read
    } cases[] = {
        {"count 8",
         [] {
             auto h = DistinctGraph();
             h.m_sensorCount = 8;
             return h;
         },
         2, "the number of sensors is out of range"},
        {"sensor 0",
         [] {
             auto h = DistinctGraph();
             h.m_sensorBits[1] = 0;
             return h;
         },
         2, "a sensor is out of range"},
        {"sensor 3",
         [] {
             auto h = DistinctGraph();
             h.m_sensorBits[2] = 3;
             return h;
         },
         2, "a sensor is out of range"},
        {"16 twice",
         [] {
             auto h = DistinctGraph();
             h.m_sensorBits[2] = 16;
             return h;
         },
         2, "a sensor is out of range"},
        {"X 2 of 2",
         [] {
             auto h = DistinctGraph();
             h.m_sensorCount = 2;
             h.m_sensorBits[2] = 0;
             h.m_channels[7].index = 2;
             return h;
         },
         2, "the X axis is out of range"},
        {"X -2",
         [] {
             auto h = DistinctGraph();
             h.m_channels[7].index = -2;
             return h;
         },
         2, "the X axis is out of range"},
        {"QK rate 42",
         [] {
             auto h = DistinctGraph();
             h.m_rateCode = 42;
             return h;
         },
         2, "the rate is out of range"},
        {"basic rate 3",
         [] {
             auto h = DistinctGraph();
             h.m_qkModel = 0;
             h.m_rateCode = 3;
             return h;
         },
         2, "the rate is out of range"},
        {"run length 0",
         [] {
             auto h = DistinctGraph();
             h.m_runLength = 0;
             return h;
         },
         2, "the recording time is out of range"},
        {"external 20",
         [] {
             auto h = DistinctGraph();
             h.m_externalType2 = 20;
             return h;
         },
         2, "an external sensor type is out of range"},
        {"single graph 7",
         [] {
             auto h = DistinctGraph();
             h.m_singleGraphSelection = 7;
             return h;
         },
         2, "the single graph is out of range"},
        {"NaN minimum",
         [=] {
             auto h = DistinctGraph();
             h.m_channels[3].minimum = nan;
             return h;
         },
         2, "an axis range is out of range"},
        {"inf maximum",
         [=] {
             auto h = DistinctGraph();
             h.m_channels[7].maximum = inf;
             return h;
         },
         2, "an axis range is out of range"},
        {"meter type 5",
         [] {
             auto h = Snapshot(1);
             h.m_meterType = 5;
             return h;
         },
         1, "the meter type is out of range"},
        {"meter kind 4",
         [] {
             auto h = Snapshot(1);
             h.m_meterTypes[2] = 4;
             return h;
         },
         1, "a meter's type is out of range"},
        {"snapshot external 20",
         [] {
             auto h = Snapshot(0);
             h.m_externalType1 = 20;
             return h;
         },
         1, "an external sensor type is out of range"},
        {"method 3",
         [] {
             auto h = DefaultTiming();
             h.m_timingMethod = 3;
             return h;
         },
         0, "the timing method is out of range"},
        {"measurement 3",
         [] {
             auto h = DefaultTiming();
             h.m_timingMeasurement = 3;
             return h;
         },
         0, "the timing measurement is out of range"},
        {"NaN distance",
         [=] {
             auto h = DefaultTiming();
             h.m_distance1 = nan;
             return h;
         },
         0, "a distance is out of range"},
        {"inf distance",
         [=] {
             auto h = DefaultTiming();
             h.m_distance2 = -inf;
             return h;
         },
         0, "a distance is out of range"},
        // What the Windows program can write is read as it is.
        {"minimum above maximum",
         [] {
             auto h = DistinctGraph();
             h.m_channels[0].minimum = 9;
             h.m_channels[0].maximum = 1;
             return h;
         },
         2, nullptr},
        {"bit 8 and mode 7",
         [] {
             auto h = DistinctGraph();
             h.m_sensorBits[2] = 8;
             h.m_recordingMode = 7;
             return h;
         },
         2, nullptr},
        {"distance 0",
         [] {
             auto h = DefaultTiming();
             h.m_distance2 = 0;
             return h;
         },
         0, nullptr},
    };
    for (const Case& c : cases) {
        const CLaunchHeader file = c.make();
        CLaunchHeader read = before;
        CString reason;
        const bool ok = Load(read, file.GetFileBytes(c.kind), &reason);
        if (c.reason) {
            EXPECT_FALSE(ok) << c.name;
            EXPECT_EQ(reason, c.reason) << c.name;
            EXPECT_EQ(read, before) << c.name;
        } else {
            EXPECT_TRUE(ok) << c.name << ": " << reason.GetString();
            EXPECT_EQ(read.GetFileBytes(c.kind), file.GetFileBytes(c.kind)) << c.name;
        }
    }
}

TEST_F(LaunchFile, EveryTruncationIsRefusedAsCutShort) {
    const CLaunchHeader before = DistinctGraph();
    const std::vector<BYTE> files[] = {DistinctGraph().GetFileBytes(2), Snapshot(1).GetFileBytes(1),
                                       DefaultTiming().GetFileBytes(0)};
    for (const std::vector<BYTE>& whole : files)
        for (size_t n = 0; n < whole.size(); ++n) {
            CLaunchHeader read = before;
            CString reason;
            EXPECT_FALSE(Load(read, std::vector<BYTE>(whole.begin(), whole.begin() + n), &reason))
                << n;
            EXPECT_EQ(reason, "the file is cut short") << n;
            EXPECT_EQ(read, before) << n;
        }
}

TEST_F(LaunchFile, MissingFilesAndFailedSavesSaySo) {
    CLaunchHeader h = DistinctGraph();
    CString reason;
    EXPECT_FALSE(h.LoadFromFile(env.File("None.qdr"), &reason));
    EXPECT_EQ(reason, "the file does not exist");
    EXPECT_FALSE(h.SaveToFile("", 2));

    // An interrupted save leaves the old file byte for byte.
    ASSERT_TRUE(DefaultTiming().SaveToFile(path, 0));
    const std::vector<BYTE> old = ReadFile();
    platform::SetAtomicReplaceHookForTests([] { return false; });
    const bool saved = h.SaveToFile(path, 2);
    platform::SetAtomicReplaceHookForTests(nullptr);
    EXPECT_FALSE(saved);
    EXPECT_EQ(ReadFile(), old);

    // A folder that cannot be made: nothing is written.
    QFile blocker(env.File("blocker").ToQString());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const CString inside = env.File("blocker/Lesson.hdr");
    EXPECT_FALSE(h.SaveToFile(inside, 2));
    EXPECT_FALSE(QFile::exists(inside.ToQString()));
}
