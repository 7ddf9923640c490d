#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/mediafile/asf_script.h"

using media::AsfScriptCommand;

namespace {

void Put(QByteArray& out, const char* guid16) {
    out.append(guid16, 16);
}
template <typename T>
void PutInt(QByteArray& out, T v) {
    for (size_t i = 0; i < sizeof(T); ++i)
        out.append(char(uint8_t(uint64_t(v) >> (8 * i))));
}
template <typename T>
T GetInt(const QByteArray& b, qsizetype at) {
    T v = 0;
    for (size_t i = 0; i < sizeof(T); ++i)
        v |= T(uint8_t(b[at + qsizetype(i)])) << (8 * i);
    return v;
}

const char kHeaderGuid[] = "\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C";
const char kFilePropsGuid[] = "\xA1\xDC\xAB\x8C\x47\xA9\xCF\x11\x8E\xE4\x00\xC0\x0C\x20\x53\x65";
const char kStreamPropsGuid[] = "\x91\x07\xDC\xB7\xB7\xA9\xCF\x11\x8E\xE6\x00\xC0\x0C\x20\x53\x65";
const char kDataGuid[] = "\x36\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C";

// A small ASF file as a muxer leaves it: a header with file properties and one other object, a
// data object and a trailing index-like object.
QByteArray SmallAsf() {
    QByteArray fileProps;
    Put(fileProps, kFilePropsGuid);
    PutInt<uint64_t>(fileProps, 104);
    fileProps.append(16, '\x11');    // file id
    PutInt<uint64_t>(fileProps, 0);  // file size, set below
    fileProps.append(104 - 48, '\x22');
    QByteArray other;
    Put(other, kStreamPropsGuid);
    PutInt<uint64_t>(other, 40);
    other.append(16, '\x33');
    QByteArray data;
    Put(data, kDataGuid);
    PutInt<uint64_t>(data, 74);
    data.append(50, '\x44');
    QByteArray index(60, '\x55');
    QByteArray file;
    Put(file, kHeaderGuid);
    PutInt<uint64_t>(file, 30 + fileProps.size() + other.size());
    PutInt<uint32_t>(file, 2);
    file.append('\x01').append('\x02');
    file += fileProps + other + data + index;
    const uint64_t size = uint64_t(file.size());
    for (int i = 0; i < 8; ++i)
        file[30 + 40 + i] = char(uint8_t(size >> (8 * i)));
    return file;
}

std::vector<AsfScriptCommand> Markers(int n) {
    std::vector<AsfScriptCommand> out;
    for (int i = 0; i < n; ++i)
        out.push_back({uint32_t(i * 100), "TEXT", QString::number(i + 1)});
    return out;
}

}  // namespace

TEST(AsfScript, RoundTripsThroughTheHeader) {
    const QByteArray original = SmallAsf();
    const uint64_t headerSize = GetInt<uint64_t>(original, 16);
    const struct {
        const char* name;
        std::vector<AsfScriptCommand> commands;
    } cases[] = {
        {"none", {}},
        {"one", {{0, "TEXT", "1"}}},
        {"an hour of markers", Markers(36000)},
        {"non-ASCII type and text",
         {{5, QString::fromUtf8("Tëxt ✓"), QString::fromUtf8("größe")},
          {7, "TEXT", ""},
          {9, QString::fromUtf8("Tëxt ✓"), "2"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray header;
        int64_t change = 0;
        ASSERT_TRUE(media::RewriteAsfHeader(original.left(qsizetype(headerSize)), c.commands,
                                            header, change));
        const QByteArray object = media::BuildAsfScriptCommandObject(c.commands);
        EXPECT_EQ(change, object.size());
        // The original but the new object and three fields: header size, count, file size.
        EXPECT_EQ(GetInt<uint64_t>(header, 16), headerSize + uint64_t(change));
        EXPECT_EQ(GetInt<uint32_t>(header, 24), 3u);
        EXPECT_EQ(GetInt<uint64_t>(header, 70), uint64_t(original.size() + change));
        QByteArray expected = original.left(qsizetype(headerSize)) + object;
        for (int i = 0; i < 8; ++i)
            expected[16 + i] = header[16 + i];
        for (int i = 0; i < 4; ++i)
            expected[24 + i] = header[24 + i];
        for (int i = 0; i < 8; ++i)
            expected[70 + i] = header[70 + i];
        EXPECT_EQ(header, expected);

        std::vector<AsfScriptCommand> read{{1, "x", "y"}};
        QString error;
        ASSERT_TRUE(media::ReadAsfScriptCommands(header + original.mid(qsizetype(headerSize)), read,
                                                 &error))
            << error.toStdString();
        EXPECT_EQ(read, c.commands);
    }
}

TEST(AsfScript, FileRewriteKeepsDataAndIndexAndReplacesAnOldObject) {
    QTemporaryDir dir;
    const QString path = dir.filePath("rec.wmv");
    const QByteArray original = SmallAsf();
    const qsizetype headerSize = qsizetype(GetInt<uint64_t>(original, 16));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(original);
    }
    std::vector<AsfScriptCommand> read;
    ASSERT_TRUE(media::ReadAsfScriptCommandsFromFile(path, read));
    EXPECT_TRUE(read.empty());

    ASSERT_TRUE(media::WriteAsfScriptCommands(path, Markers(3)));
    // Rewritten a second time, the old object goes and the new one takes its place.
    ASSERT_TRUE(media::WriteAsfScriptCommands(path, Markers(5)));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray now = f.readAll();
    const qsizetype newHeader = qsizetype(GetInt<uint64_t>(now, 16));
    EXPECT_EQ(GetInt<uint32_t>(now, 24), 3u);
    EXPECT_EQ(GetInt<uint64_t>(now, 70), uint64_t(now.size()));
    EXPECT_EQ(now.mid(newHeader), original.mid(headerSize));
    // The header's own objects come first as they were (but the file size).
    EXPECT_EQ(now.mid(30, 40), original.mid(30, 40));
    EXPECT_EQ(now.mid(78, headerSize - 78), original.mid(78, headerSize - 78));
    ASSERT_TRUE(media::ReadAsfScriptCommandsFromFile(path, read));
    EXPECT_EQ(read, Markers(5));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"rec.wmv"});
}

TEST(AsfScript, CutOrLyingHeadersAreRefused) {
    QByteArray header;
    int64_t change = 0;
    const QByteArray original = SmallAsf();
    ASSERT_TRUE(media::RewriteAsfHeader(original.left(qsizetype(GetInt<uint64_t>(original, 16))),
                                        Markers(4), header, change));
    std::vector<AsfScriptCommand> read;
    for (qsizetype n = 0; n < header.size(); ++n)
        EXPECT_FALSE(media::ReadAsfScriptCommands(header.left(n), read)) << "cut at " << n;

    const qsizetype script = header.size() - media::BuildAsfScriptCommandObject(Markers(4)).size();
    struct Lie {
        const char* name;
        qsizetype at;
        int bytes;
        uint64_t value;
    } lies[] = {
        {"header size", 16, 8, ~0ull},
        {"object count", 24, 4, 0xFFFFFFFFu},
        {"first object size", 30 + 16, 8, 1ull << 40},
        {"script object size", script + 16, 8, 1ull << 40},
        {"command count", script + 40, 2, 0xFFFF},
        {"type count", script + 42, 2, 0xFFFF},
        {"type name length", script + 44, 2, 0xFFFF},
        {"type index", script + 44 + 2 + 10 + 4, 2, 7},
    };
    for (const auto& lie : lies) {
        QByteArray bad = header;
        for (int i = 0; i < lie.bytes; ++i)
            bad[lie.at + i] = char(uint8_t(lie.value >> (8 * i)));
        QString error;
        EXPECT_FALSE(media::ReadAsfScriptCommands(bad, read, &error)) << lie.name;
        EXPECT_FALSE(error.isEmpty()) << lie.name;
    }
    EXPECT_FALSE(media::ReadAsfScriptCommands("not an asf file at all, but long enough", read));
}

namespace {

// A packet head: the length type flags, the property flags, then the packet length and the
// padding length, each as wide as the flags say (0, 1, 2 or 4 bytes), filled to `size`.
QByteArray Packet(int size, int lengthWidth, uint32_t length, int paddingWidth, uint32_t padding,
                  bool errorCorrection = false) {
    auto type = [](int width) { return width == 4 ? 3 : width; };
    QByteArray p;
    if (errorCorrection) p.append('\x82').append('\0').append('\0');
    p.append(char(0x01 | type(lengthWidth) << 5 | type(paddingWidth) << 3)).append('\x5d');
    for (int i = 0; i < lengthWidth; ++i)
        p.append(char(uint8_t(length >> (8 * i))));
    for (int i = 0; i < paddingWidth; ++i)
        p.append(char(uint8_t(padding >> (8 * i))));
    p.append(size - p.size(), '\x66');
    return p;
}

// An ASF file of fixed-size packets: file properties with both packet sizes, a data object of
// the packets, and an index after it.
QByteArray PacketFile(uint32_t packetSize, const std::vector<QByteArray>& packets) {
    QByteArray fileProps;
    Put(fileProps, kFilePropsGuid);
    PutInt<uint64_t>(fileProps, 104);
    fileProps.append(92 - 24, '\x11');
    PutInt<uint32_t>(fileProps, packetSize);
    PutInt<uint32_t>(fileProps, packetSize);
    PutInt<uint32_t>(fileProps, 0);
    QByteArray data;
    Put(data, kDataGuid);
    PutInt<uint64_t>(data, 50 + packetSize * packets.size());
    data.append(16, '\x44');
    PutInt<uint64_t>(data, packets.size());
    data.append(2, '\x01');
    for (const QByteArray& p : packets)
        data += p;
    QByteArray file;
    Put(file, kHeaderGuid);
    PutInt<uint64_t>(file, 30 + fileProps.size());
    PutInt<uint32_t>(file, 1);
    file.append('\x01').append('\x02');
    return file + fileProps + data + QByteArray(40, '\x55');
}

}  // namespace

TEST(AsfScript, DataPacketsAreMadeWholeWhereOnlyTheirLengthIsShort) {
    constexpr int kSize = 300;
    const QByteArray whole = Packet(kSize, 2, kSize, 2, 0);
    const QByteArray noLength = Packet(kSize, 0, 0, 2, 40);
    struct Row {
        const char* name;
        std::vector<QByteArray> packets;
        bool ok;
        int mended;
        std::vector<QByteArray> after;  // empty: as before
    } rows[] = {
        {"whole packets stay", {whole, noLength}, true, 0, {}},
        {"a muxer's last packet",
         {whole, Packet(kSize, 2, 120, 2, 180)},
         true,
         1,
         {whole, Packet(kSize, 2, kSize, 2, 180)}},
        {"after error correction data, a length of 4 bytes",
         {Packet(kSize, 4, 10, 4, 290, true)},
         true,
         1,
         {Packet(kSize, 4, kSize, 4, 290, true)}},
        {"padding that does not fill the packet", {Packet(kSize, 2, 120, 2, 100)}, false, 0, {}},
        {"a length field too narrow for the size", {Packet(kSize, 1, 100, 2, 200)}, false, 0, {}},
    };
    QTemporaryDir dir;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const QString path = dir.filePath("packets.wmv");
        const QByteArray before = PacketFile(kSize, r.packets);
        {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(before);
        }
        int mended = -1;
        QString error;
        EXPECT_EQ(media::CompleteAsfDataPackets(path, &mended, &error), r.ok)
            << error.toStdString();
        EXPECT_EQ(mended, r.mended);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), r.after.empty() ? before : PacketFile(kSize, r.after));
    }
    EXPECT_FALSE(media::CompleteAsfDataPackets(dir.filePath("none.wmv")));
}
