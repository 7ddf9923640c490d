#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <cmath>
#include <cstring>

#include "logger/helpers.h"
#include "logger/settings.h"
#include "platform/base/archive.h"
#include "platform/base/file.h"
#include "tests/support/core/harness.h"

namespace {

// The file's fields, with the defaults of the settings file table.
struct FileFields {
    int dataMap = 2, graph = 3, table = 0, third = 1, meters = 0, workbook = 0;
    int meterView = 4;
    int seventh = 0;
    struct Line {
        uint32_t color;
        int32_t style;
        uint16_t width;
        int32_t lineVisible;
        uint32_t markerColor;
        int32_t markerStyle, markerVisible;
    };
    Line lines[9];
    int recording = 1;
    int rect[4] = {0, 0, 800, 600};
    int external1 = 0, external2 = 0;
    int rememberPort = 0, com = 1;
    int v103 = 0, v104 = 0;
    int timingByte1 = 0, timingByte2 = 0;
    double timing2 = 20.0, timing1 = 3.0;
    int temperatureUnit = 0, pressureUnit = 0;
    int singleAxis = 0;
    uint32_t colors[8] = {0x0000FF, 0x3E9EFF, 0xFF0000, 0x800080,
                          0x00B700, 0xFF8080, 0xC08080, 0xF000F0};
    int v108 = 0;
    int level = 2;

    FileFields() {
        for (int i = 0; i < 8; ++i)
            lines[i] = {colors[i], 1, 1, 1, 0, 0, 0};
        lines[8] = {0, 0, 0, 0, 0, 0, 0};
    }
};

// Writes the bytes by hand, little-endian, the header as a one-byte length and its characters.
std::vector<BYTE> BuildFile(const FileFields& f, const char* header = "Settings v.1.08") {
    std::vector<BYTE> b;
    auto put = [&b](const void* p, size_t n) {
        const auto* bytes = static_cast<const BYTE*>(p);
        b.insert(b.end(), bytes, bytes + n);
    };
    auto u8 = [&](int v) { b.push_back(static_cast<BYTE>(v)); };
    auto u16 = [&](int v) {
        u8(v & 0xFF);
        u8((v >> 8) & 0xFF);
    };
    auto u32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            u8(static_cast<int>((v >> (8 * i)) & 0xFF));
    };
    auto f64 = [&](double v) { put(&v, 8); };
    u8(static_cast<int>(std::strlen(header)));
    put(header, std::strlen(header));
    for (int v : {f.dataMap, f.graph, f.table, f.third, f.meters, f.workbook})
        u32(static_cast<uint32_t>(v));
    u16(f.meterView);
    u32(static_cast<uint32_t>(f.seventh));
    for (const FileFields::Line& l : f.lines) {
        u32(l.color);
        u32(static_cast<uint32_t>(l.style));
        u16(l.width);
        u32(static_cast<uint32_t>(l.lineVisible));
        u32(l.markerColor);
        u32(static_cast<uint32_t>(l.markerStyle));
        u32(static_cast<uint32_t>(l.markerVisible));
    }
    u8(f.recording);
    for (int v : f.rect)
        u32(static_cast<uint32_t>(v));
    u8(f.external1);
    u8(f.external2);
    u32(static_cast<uint32_t>(f.rememberPort));
    u8(f.com);
    u32(static_cast<uint32_t>(f.v103));
    u32(static_cast<uint32_t>(f.v104));
    u8(f.timingByte1);
    u8(f.timingByte2);
    f64(f.timing2);
    f64(f.timing1);
    u8(f.temperatureUnit);
    u8(f.pressureUnit);
    u32(static_cast<uint32_t>(f.singleAxis));
    for (uint32_t c : f.colors)
        u32(c);
    u32(static_cast<uint32_t>(f.v108));
    u8(f.level);
    return b;
}

// A record in which every field of the file differs from its default, and is valid.
FileFields Changed() {
    FileFields f;
    f.dataMap = 0, f.graph = 1, f.table = 3, f.third = 0, f.meters = 1, f.workbook = 3;
    f.meterView = 7;
    f.seventh = 1;
    for (int i = 0; i < 9; ++i)
        f.lines[i] = {0x10203u + i, 4, 5, 0, 0xABCDEFu, static_cast<int32_t>(i) + 2, 1};
    f.recording = 2;
    f.rect[0] = -20, f.rect[1] = 10, f.rect[2] = 1300, f.rect[3] = 900;
    f.external1 = 8, f.external2 = 19;
    f.rememberPort = 1, f.com = 17;
    f.v103 = -5, f.v104 = 23;
    f.timingByte1 = 2, f.timingByte2 = 1;
    f.timing2 = 55.5, f.timing1 = 1.25;
    f.temperatureUnit = 2, f.pressureUnit = 5;
    f.singleAxis = 1;
    for (int i = 0; i < 8; ++i)
        f.colors[i] = 0x00111111u * static_cast<uint32_t>(i + 1);
    f.v108 = 1;
    f.level = 0;
    return f;
}

class Settings : public testing_support::CoreHarnessTest {
protected:
    CString path = env.File("Settings.vns");

    void WriteFile(const std::vector<BYTE>& bytes) {
        QFile f(path.ToQString());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    }
    std::vector<BYTE> ReadFile() const {
        QFile f(path.ToQString());
        if (!f.open(QIODevice::ReadOnly)) return {};
        const QByteArray data = f.readAll();
        return std::vector<BYTE>(data.begin(), data.end());
    }
    static CSettings LoadBytes(const std::vector<BYTE>& bytes, CSettings start) {
        CMemFile file(bytes);
        start.LoadFrom(file);
        return start;
    }
    std::vector<BYTE> Defaults() const { return BuildFile(FileFields()); }
};

TEST_F(Settings, DefaultFileIsByteForByteTheDocumentedLayout) {
    CSettings s(path);  // no file: the defaults
    EXPECT_EQ(s.GetFileBytes(), Defaults());
    EXPECT_EQ(Defaults().size(),
              16u + 24 + 2 + 4 + 9 * 26 + 1 + 16 + 2 + 5 + 8 + 2 + 16 + 2 + 4 + 32 + 4 + 1);
    ASSERT_TRUE(s.Save());
    EXPECT_EQ(ReadFile(), Defaults());

    // The values that never reach the file.
    EXPECT_EQ(s.m_communicationType, 0);
    EXPECT_EQ(s.m_btPin, "9847");
    EXPECT_EQ(s.m_serverChannel, 0);
    EXPECT_EQ(s.m_spareText, "");
    EXPECT_EQ(s.m_sensorSlots[0].name, "");  // empty until a type is chosen or a file is read
    EXPECT_EQ(s.m_sensorSlots[4].name, "Temperature");
    EXPECT_EQ(s.m_sensorSlots[4].unit, "°C");
    EXPECT_DOUBLE_EQ(s.m_sensorSlots[6].factor, 0.11890625);
    EXPECT_EQ(s.m_sensorTypes[19].name, "Pressure 0 - 700");
    EXPECT_DOUBLE_EQ(s.m_sensorTypes[19].offset, -37.142857142857146);
    for (int i = 0; i < CSettings::kSensorTypes; ++i)
        EXPECT_EQ(s.m_sensorTypes[i].type, i);
}

TEST_F(Settings, TheDefaultFileLivesInTheDataRoot) {
    SetInstallPath(env.File("data root"));
    CSettings s;
    EXPECT_EQ(s.m_filePath, env.File("data root") + "/Settings.vns");
    ASSERT_TRUE(s.Save());  // the folder is made when missing
    EXPECT_TRUE(QFile::exists(s.m_filePath.ToQString()));
}

TEST_F(Settings, WrittenAndReadBackEqualsTheOriginal) {
    const std::vector<BYTE> changed = BuildFile(Changed());
    WriteFile(changed);
    CSettings s(path);
    EXPECT_EQ(s.GetFileBytes(), changed);
    EXPECT_EQ(s.m_graphMode, 1);
    EXPECT_EQ(s.m_clockMode, 1);
    EXPECT_EQ(s.m_lineRecords[3].markerStyle, 5);
    EXPECT_EQ(s.m_mainWindowRect, CRect(-20, 10, 1300, 900));
    EXPECT_EQ(s.m_comNumber, 17);
    EXPECT_DOUBLE_EQ(s.m_timingDistance1, 1.25);
    EXPECT_DOUBLE_EQ(s.m_timingDistance2, 55.5);
    EXPECT_EQ(s.m_videoHidden, 1);
    EXPECT_EQ(s.m_videoQuality, 23);
    EXPECT_EQ(s.m_sensorSlots[1].name, "Pressure 0 - 700");

    s.m_interfaceLevel = 0;
    s.m_pressureUnit = 3;
    ASSERT_TRUE(s.Save());
    const CSettings restarted(path);
    EXPECT_EQ(restarted.m_interfaceLevel, 0);  // Basic survives a restart
    EXPECT_EQ(restarted.m_pressureUnit, 3);
    EXPECT_EQ(restarted.GetFileBytes(), s.GetFileBytes());
}

TEST_F(Settings, ExternalSensorSlotsComeFromTheTypeTable) {
    CSettings s(path);
    s.m_sensorSlots[0].shortName = "Input 1";
    s.SetExternalSensor(0, 8);
    EXPECT_EQ(s.m_sensorSlots[0].name, "Spirometer ±315");
    EXPECT_EQ(s.m_sensorSlots[0].unit, "L/min");
    EXPECT_DOUBLE_EQ(s.m_sensorSlots[0].minimum, -315);
    EXPECT_DOUBLE_EQ(s.m_sensorSlots[0].maximum, 315);
    EXPECT_DOUBLE_EQ(s.m_sensorSlots[0].offset, -621.7);
    EXPECT_EQ(s.m_sensorSlots[0].type, 8);
    EXPECT_EQ(s.m_sensorSlots[0].shortName, "Input 1");
    s.SetExternalSensor(1, 20);  // no such type
    s.SetExternalSensor(8, 1);   // no such slot
    EXPECT_EQ(s.m_sensorSlots[1].name, "");

    FileFields f;
    f.external1 = 8;
    const CSettings loaded = LoadBytes(BuildFile(f), CSettings(path));
    EXPECT_EQ(loaded.m_externalSensor1, 8);
    EXPECT_EQ(loaded.m_sensorSlots[0].name, "Spirometer ±315");
    EXPECT_EQ(loaded.m_sensorSlots[0].shortName, "");  // a slot keeps its own short name
    EXPECT_EQ(loaded.m_sensorSlots[1].name, "Conductivity");
}

TEST_F(Settings, LineRecordsResetToTheirDefaults) {
    CSettings s(path);
    for (GraphLinesInfoStruct& r : s.m_lineRecords)
        r = {1, 2, 3, 4, 5, 6, 7};
    s.ResetLineRecords(false, 2);
    EXPECT_EQ(s.m_lineRecords[2], (GraphLinesInfoStruct{RGB(0, 0, 255), 1, 1, 1, 0, 0, 0}));
    EXPECT_EQ(s.m_lineRecords[1], (GraphLinesInfoStruct{1, 2, 3, 4, 5, 6, 7}));
    s.ResetLineRecords(true);
    EXPECT_EQ(s.GetFileBytes(), Defaults());
}

TEST_F(Settings, ShortForeignAndOlderFiles) {
    CSettings changed = LoadBytes(BuildFile(Changed()), CSettings(path));
    // Nine bytes are too short to be read: the defaults.
    EXPECT_EQ(LoadBytes(std::vector<BYTE>(9, 0x41), changed).GetFileBytes(), Defaults());
    // Ten bytes of another kind of file: nothing is read, the record keeps what it had.
    const std::vector<BYTE> foreign = {9, 'V', 'a', 'r', 'n', 'e', 'l', 'F', 'i', 'l'};
    EXPECT_EQ(LoadBytes(foreign, changed).GetFileBytes(), changed.GetFileBytes());
    WriteFile(foreign);
    EXPECT_EQ(CSettings(path).GetFileBytes(), Defaults());
    // A header without a version reads nothing more.
    EXPECT_EQ(LoadBytes(BuildFile(FileFields(), "Settings v."), changed).GetFileBytes(),
              changed.GetFileBytes());

    // Version 1.01: the fields from the remember-port flag on are not read.
    FileFields f = Changed();
    f.graph = 1;
    CSettings v101 = LoadBytes(BuildFile(f, "Settings v.1.01"), CSettings(path));
    EXPECT_EQ(v101.m_graphMode, 1);
    EXPECT_EQ(v101.m_externalSensor2, 19);
    EXPECT_EQ(v101.m_rememberPort, 0);
    EXPECT_EQ(v101.m_comNumber, 1);

    // Version 1.05: the timing values are read, the units and everything later are not.
    CSettings v105 = LoadBytes(BuildFile(f, "Settings v.1.05"), CSettings(path));
    EXPECT_EQ(v105.m_comNumber, 17);
    EXPECT_EQ(v105.m_videoQuality, 23);
    EXPECT_EQ(v105.m_timingMethod, 2);
    EXPECT_DOUBLE_EQ(v105.m_timingDistance2, 55.5);
    EXPECT_EQ(v105.m_temperatureUnit, 0);
    EXPECT_EQ(v105.m_pressureUnit, 0);
    EXPECT_EQ(v105.m_singleAxis, 0);
    EXPECT_EQ(v105.m_plotColors[0], RGB(255, 0, 0));
    EXPECT_EQ(v105.m_interfaceLevel, 2);
}

TEST_F(Settings, DisplayModesAreFixedUpAfterLoading) {
    struct Case {
        int graph, table, third;
        LONG wantGraph, wantTable;
    };
    const Case cases[] = {
        {4, 0, 1, 0, 0},  // a graph at the right bottom moves out
        {3, 2, 1, 3, 0},  // a full-height table beside the video is hidden
        {3, 2, 0, 3, 1},  // and goes to the right top without it
        {3, 4, 1, 3, 0}, {1, 3, 1, 1, 3},
    };
    for (const Case& c : cases) {
        FileFields f;
        f.graph = c.graph, f.table = c.table, f.third = c.third;
        const CSettings s = LoadBytes(BuildFile(f), CSettings(path));
        EXPECT_EQ(s.m_graphMode, c.wantGraph) << c.graph << " " << c.table << " " << c.third;
        EXPECT_EQ(s.m_tableMode, c.wantTable) << c.graph << " " << c.table << " " << c.third;
    }
}

TEST_F(Settings, InvalidValuesFromAFileTakeTheirDefaults) {
    struct Case {
        const char* what;
        void (*spoil)(FileFields&);
        bool (*isDefault)(const CSettings&);
    };
    const Case cases[] = {
        {"graph mode", [](FileFields& f) { f.graph = 7; },
         [](const CSettings& s) { return s.m_graphMode == 3; }},
        {"table mode", [](FileFields& f) { f.table = -1; },
         [](const CSettings& s) { return s.m_tableMode == 0; }},
        {"video mode", [](FileFields& f) { f.third = 2; },
         [](const CSettings& s) { return s.m_videoMode == 1; }},
        {"data map mode", [](FileFields& f) { f.dataMap = 99; },
         [](const CSettings& s) { return s.m_dataMapMode == 2; }},
        {"meter mode", [](FileFields& f) { f.meters = 4; },
         [](const CSettings& s) { return s.m_meterMode == 0; }},
        {"workbook mode", [](FileFields& f) { f.workbook = 1; },
         [](const CSettings& s) { return s.m_workbookMode == 0; }},
        {"clock mode", [](FileFields& f) { f.seventh = 3; },
         [](const CSettings& s) { return s.m_clockMode == 0; }},
        {"recording mode", [](FileFields& f) { f.recording = 3; },
         [](const CSettings& s) { return s.m_recordingMode == 1; }},
        {"COM number", [](FileFields& f) { f.com = 0; },
         [](const CSettings& s) { return s.m_comNumber == 1; }},
        {"interface level", [](FileFields& f) { f.level = 9; },
         [](const CSettings& s) { return s.m_interfaceLevel == 2; }},
        {"temperature unit", [](FileFields& f) { f.temperatureUnit = 3; },
         [](const CSettings& s) { return s.m_temperatureUnit == 0; }},
        {"pressure unit", [](FileFields& f) { f.pressureUnit = 6; },
         [](const CSettings& s) { return s.m_pressureUnit == 0; }},
        {"timing method", [](FileFields& f) { f.timingByte1 = 200; },
         [](const CSettings& s) { return s.m_timingMethod == 0; }},
        {"timing measurement", [](FileFields& f) { f.timingByte2 = 3; },
         [](const CSettings& s) { return s.m_timingMeasurement == 0; }},
        {"timing distance", [](FileFields& f) { f.timing1 = std::nan(""); },
         [](const CSettings& s) { return s.m_timingDistance1 == 3.0; }},
        {"external type", [](FileFields& f) { f.external1 = 25; },
         [](const CSettings& s) {
             return s.m_externalSensor1 == 0 && s.m_sensorSlots[0].name == "Conductivity";
         }},
        {"external type 2", [](FileFields& f) { f.external2 = 255; },
         [](const CSettings& s) {
             return s.m_externalSensor2 == 0 && s.m_sensorSlots[1].type == 0;
         }},
    };
    for (const Case& c : cases) {
        FileFields f = Changed();
        c.spoil(f);
        const CSettings s = LoadBytes(BuildFile(f), CSettings(path));
        EXPECT_TRUE(c.isDefault(s)) << c.what;
        EXPECT_EQ(s.m_interfaceLevel, std::string(c.what) == "interface level" ? 2 : 0)
            << c.what;  // the rest is read
    }
}

TEST_F(Settings, AFileCutAtAnyLengthLoadsAsTheDefaults) {
    const std::vector<BYTE> full = BuildFile(Changed());
    const CSettings changed = LoadBytes(full, CSettings(path));
    ASSERT_EQ(changed.GetFileBytes(), full);
    for (size_t length = 0; length < full.size(); ++length) {
        const std::vector<BYTE> cut(full.begin(), full.begin() + static_cast<long>(length));
        ASSERT_EQ(LoadBytes(cut, changed).GetFileBytes(), Defaults()) << "cut at " << length;
    }
    // Serialize itself throws on a cut file and leaves the record as it was.
    CSettings before = changed;
    CMemFile cutFile(std::vector<BYTE>(full.begin(), full.begin() + 200));
    CArchive ar(&cutFile, CArchive::load);
    EXPECT_THROW(before.Serialize(ar), CArchiveException);
    EXPECT_EQ(before.GetFileBytes(), full);

    // The same through the file on disk.
    WriteFile(std::vector<BYTE>(full.begin(), full.end() - 1));
    EXPECT_EQ(CSettings(path).GetFileBytes(), Defaults());
}

TEST_F(Settings, AnOversizedFileLoadsAsTheDefaultsWithoutBeingRead) {
    const std::vector<BYTE> changed = BuildFile(Changed());
    // A header claiming a 5 GiB string, in a sparse file that really is that long.
    std::vector<BYTE> hugeString = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    for (int i = 0; i < 8; ++i)
        hugeString.push_back(BYTE((5ULL << 30) >> (8 * i)));
    struct Case {
        const char* what;
        std::vector<BYTE> head;
        qint64 size;
        bool keepsFields;
    };
    const Case cases[] = {
        {"padded to the cap", changed, qint64(CSettings::s_fileLimit.Bytes()), true},
        {"one byte over the cap", changed, qint64(CSettings::s_fileLimit.Bytes()) + 1, false},
        {"a huge string in a 6 GiB file", hugeString, qint64(6) << 30, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFile(c.head);
        ASSERT_TRUE(QFile::resize(path.ToQString(), c.size));  // sparse: no disk is used
        EXPECT_EQ(CSettings(path).GetFileBytes(), c.keepsFields ? changed : Defaults());
        // Loaded onto a changed record, too: the defaults, not a half-read record. (A refused
        // file has been moved aside: it is written again.)
        WriteFile(c.head);
        ASSERT_TRUE(QFile::resize(path.ToQString(), c.size));
        CSettings onto = LoadBytes(changed, CSettings(env.File("elsewhere.vns")));
        onto.m_filePath = path;
        onto.Load();
        EXPECT_EQ(onto.GetFileBytes(), c.keepsFields ? changed : Defaults());
    }
}

// A file that is there and not taken is moved aside with its reason logged, so the defaults that
// are saved next cannot take its place unnoticed; a missing file is simply the first start.
TEST_F(Settings, ARefusedFileIsLoggedAndKeptAsideBeforeTheDefaultsAreSaved) {
    const std::vector<BYTE> full = BuildFile(Changed());
    const CString bad = path + CSettings::kRefusedSuffix;
    struct Case {
        const char* what;
        std::vector<BYTE> bytes;
        qint64 size;  // sparse beyond the bytes; 0: as written
        const char* reason;
    };
    const Case cases[] = {
        {"wrong header", BuildFile(Changed(), "Setup v.1.08"), 0,
         "is not a settings file: its header is \"Setup v.1.08\""},
        {"no version", BuildFile(Changed(), "Settings"), 0, "has no version in its header"},
        {"cut short", std::vector<BYTE>(full.begin(), full.begin() + 100), 0, "cannot be read"},
        {"too large", full, qint64(3) << 30, "is larger than"},
        {"too short", std::vector<BYTE>(9, 'S'), 0, "is shorter than 10 bytes"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // An older refused file is replaced.
        QFile older(bad.ToQString());
        ASSERT_TRUE(older.open(QIODevice::WriteOnly | QIODevice::Truncate));
        older.write("older");
        older.close();
        WriteFile(c.bytes);
        if (c.size) {
            ASSERT_TRUE(QFile::resize(path.ToQString(), c.size));
        }

        testing_support::LogCapture log("varnel.settings");
        CSettings s(path);
        EXPECT_EQ(s.GetFileBytes(), Defaults());
        ASSERT_EQ(log.messages.size(), 1u);
        const QString& line = log.messages.front();
        EXPECT_TRUE(line.contains(path.ToQString())) << line.toStdString();
        EXPECT_TRUE(line.contains(c.reason)) << line.toStdString();
        EXPECT_TRUE(line.contains(bad.ToQString())) << line.toStdString();

        ASSERT_TRUE(s.Save());
        EXPECT_EQ(ReadFile(), Defaults());
        QFile kept(bad.ToQString());
        EXPECT_EQ(kept.size(), c.size ? c.size : qint64(c.bytes.size()));
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        const QByteArray head = kept.read(qint64(c.bytes.size()));
        EXPECT_EQ(std::vector<BYTE>(head.begin(), head.end()), c.bytes);
    }

    QFile::remove(bad.ToQString());
    QFile::remove(path.ToQString());
    testing_support::LogCapture log("varnel.settings");
    CSettings first(path);
    ASSERT_TRUE(first.Save());
    EXPECT_EQ(CSettings(path).GetFileBytes(), Defaults());
    EXPECT_TRUE(log.messages.empty());
    EXPECT_FALSE(QFile::exists(bad.ToQString()));
}

TEST_F(Settings, AnInterruptedSaveLeavesTheOldFile) {
    CSettings s(path);
    ASSERT_TRUE(s.Save());
    const std::vector<BYTE> before = ReadFile();
    s.m_comNumber = 42;
    platform::SetAtomicReplaceHookForTests([] { return false; });
    const BOOL saved = s.Save();
    platform::SetAtomicReplaceHookForTests(nullptr);
    EXPECT_FALSE(saved);
    EXPECT_EQ(ReadFile(), before);
    EXPECT_EQ(QDir(env.Path().ToQString()).entryList({"Settings.vns*"}, QDir::Files),
              QStringList{"Settings.vns"});
    ASSERT_TRUE(s.Save());
    EXPECT_EQ(CSettings(path).m_comNumber, 42);
}

TEST_F(Settings, AnUnwritableFileIsSkipped) {
    QFile(env.File("blocker").ToQString()).open(QIODevice::WriteOnly);
    CSettings s(env.File("blocker") + "/Settings.vns");  // a file where the folder should be
    EXPECT_FALSE(s.Save());
}

}  // namespace
