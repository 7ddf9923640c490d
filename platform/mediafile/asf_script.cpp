#include "platform/mediafile/asf_script.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <array>
#include <cstring>

#include "platform/base/log.h"

namespace media {
namespace {

using Guid = std::array<uint8_t, 16>;

// GUIDs as ASF stores them: the first three fields little-endian.
constexpr Guid MakeGuid(uint32_t a, uint16_t b, uint16_t c, uint64_t d) {
    Guid g{};
    for (int i = 0; i < 4; ++i)
        g[i] = uint8_t(a >> (8 * i));
    for (int i = 0; i < 2; ++i)
        g[4 + i] = uint8_t(b >> (8 * i));
    for (int i = 0; i < 2; ++i)
        g[6 + i] = uint8_t(c >> (8 * i));
    for (int i = 0; i < 8; ++i)
        g[8 + i] = uint8_t(d >> (8 * (7 - i)));
    return g;
}

constexpr Guid kHeaderObject = MakeGuid(0x75B22630, 0x668E, 0x11CF, 0xA6D900AA0062CE6Cull);
constexpr Guid kFilePropertiesObject = MakeGuid(0x8CABDCA1, 0xA947, 0x11CF, 0x8EE400C00C205365ull);
constexpr Guid kScriptCommandObject = MakeGuid(0x1EFB1A30, 0x0B62, 0x11D0, 0xA39B00A0C90348F6ull);
constexpr Guid kDataObject = MakeGuid(0x75B22636, 0x668E, 0x11CF, 0xA6D900AA0062CE6Cull);
constexpr Guid kScriptCommandReserved = MakeGuid(0x4B1ACBE3, 0x100B, 0x11D0, 0xA39B00A0C90348F6ull);

constexpr int kHeaderFixed = 30;      // GUID, size, count, two reserved bytes
constexpr int kObjectFixed = 24;      // GUID, size
constexpr int kFileSizeOffset = 40;   // in the File Properties Object
constexpr int kMinPacketOffset = 92;  // then the largest packet size, 4 bytes each
constexpr int kDataObjectFixed = 50;  // GUID, size, file id, packet count, reserved

bool Fail(QString* error, const QString& why) {
    if (error) *error = why;
    return false;
}

class Reader {
public:
    Reader(const char* data, size_t size)
        : m_p(reinterpret_cast<const uint8_t*>(data)), m_n(size) {}
    size_t Left() const { return m_n - m_pos; }
    bool Guid(media::Guid& g) {
        if (Left() < 16) return false;
        std::memcpy(g.data(), m_p + m_pos, 16);
        m_pos += 16;
        return true;
    }
    template <typename T>
    bool Int(T& v) {
        if (Left() < sizeof(T)) return false;
        v = 0;
        for (size_t i = 0; i < sizeof(T); ++i)
            v |= T(m_p[m_pos + i]) << (8 * i);
        m_pos += sizeof(T);
        return true;
    }
    // `chars` UTF-16 code units; a trailing null is not part of the text.
    bool Text(uint16_t chars, QString& s) {
        if (Left() / 2 < chars) return false;
        s.resize(chars);
        for (uint16_t i = 0; i < chars; ++i)
            s[i] = QChar(char16_t(m_p[m_pos + 2 * i] | (m_p[m_pos + 2 * i + 1] << 8)));
        m_pos += 2 * size_t(chars);
        while (!s.isEmpty() && s.back() == QChar(0))
            s.chop(1);
        return true;
    }

private:
    const uint8_t* m_p;
    size_t m_n;
    size_t m_pos = 0;
};

void PutGuid(QByteArray& out, const Guid& g) {
    out.append(reinterpret_cast<const char*>(g.data()), 16);
}
template <typename T>
void PutInt(QByteArray& out, T v) {
    for (size_t i = 0; i < sizeof(T); ++i)
        out.append(char(uint8_t(uint64_t(v) >> (8 * i))));
}
template <typename T>
void SetInt(QByteArray& out, qsizetype at, T v) {
    for (size_t i = 0; i < sizeof(T); ++i)
        out[at + qsizetype(i)] = char(uint8_t(uint64_t(v) >> (8 * i)));
}
void PutText(QByteArray& out, const QString& s) {
    // Length in code units with the terminating null; longer texts are cut to fit the count.
    const qsizetype n = std::min<qsizetype>(s.size(), 0xFFFE);
    PutInt<uint16_t>(out, uint16_t(n + 1));
    for (qsizetype i = 0; i < n; ++i)
        PutInt<uint16_t>(out, s[i].unicode());
    PutInt<uint16_t>(out, 0);
}

struct HeaderObject {
    qsizetype offset;
    qsizetype size;
    Guid id;
};

// Splits a header object into its children, checking every size against the header.
bool SplitHeader(const QByteArray& bytes, uint64_t& headerSize, std::vector<HeaderObject>& objects,
                 QString* error) {
    Reader r(bytes.constData(), size_t(bytes.size()));
    Guid id{};
    uint32_t count = 0;
    uint8_t r1 = 0, r2 = 0;
    if (!r.Guid(id) || !r.Int(headerSize) || !r.Int(count) || !r.Int(r1) || !r.Int(r2))
        return Fail(error, "the file is shorter than an ASF header");
    if (id != kHeaderObject) return Fail(error, "not an ASF file");
    if (headerSize < kHeaderFixed || headerSize > kMaxAsfHeaderSize ||
        headerSize > uint64_t(bytes.size()))
        return Fail(error, "the ASF header's size is past the end of the file");
    // Each child takes at least 24 bytes: a count above that is a lie, refused before reserving.
    if (count > (headerSize - kHeaderFixed) / kObjectFixed)
        return Fail(error, "the ASF header counts more objects than it holds");
    objects.clear();
    objects.reserve(count);
    qsizetype pos = kHeaderFixed;
    for (uint32_t i = 0; i < count; ++i) {
        Reader o(bytes.constData() + pos, size_t(headerSize) - size_t(pos));
        HeaderObject obj{pos, 0, {}};
        uint64_t size = 0;
        if (!o.Guid(obj.id) || !o.Int(size)) return Fail(error, "an ASF header object is cut");
        if (size < kObjectFixed || size > headerSize - uint64_t(pos))
            return Fail(error, "an ASF header object's size is past the header's end");
        obj.size = qsizetype(size);
        objects.push_back(obj);
        pos += obj.size;
    }
    return true;
}

bool ParseScriptObject(const char* data, size_t size, std::vector<AsfScriptCommand>& commands,
                       QString* error) {
    Reader r(data, size);
    Guid id{}, reserved{};
    uint64_t objSize = 0;
    uint16_t commandCount = 0, typeCount = 0;
    if (!r.Guid(id) || !r.Int(objSize) || !r.Guid(reserved) || !r.Int(commandCount) ||
        !r.Int(typeCount))
        return Fail(error, "the script command object is cut");
    // A type takes at least 2 bytes, a command at least 8.
    if (typeCount > r.Left() / 2 || commandCount > (r.Left() - 2 * size_t(typeCount)) / 8)
        return Fail(error, "the script command object counts more than it holds");
    std::vector<QString> types(typeCount);
    for (auto& t : types) {
        uint16_t n = 0;
        if (!r.Int(n) || !r.Text(n, t)) return Fail(error, "a script command type is cut");
    }
    std::vector<AsfScriptCommand> read;
    read.reserve(commandCount);
    for (uint16_t i = 0; i < commandCount; ++i) {
        AsfScriptCommand c;
        uint16_t typeIndex = 0, n = 0;
        if (!r.Int(c.timeMs) || !r.Int(typeIndex) || !r.Int(n) || !r.Text(n, c.text))
            return Fail(error, "a script command is cut");
        if (typeIndex >= types.size()) return Fail(error, "a script command names no type");
        c.type = types[typeIndex];
        read.push_back(std::move(c));
    }
    commands = std::move(read);
    return true;
}

}  // namespace

bool ReadAsfScriptCommands(const QByteArray& fileStart, std::vector<AsfScriptCommand>& commands,
                           QString* error) {
    uint64_t headerSize = 0;
    std::vector<HeaderObject> objects;
    if (!SplitHeader(fileStart, headerSize, objects, error)) return false;
    commands.clear();
    for (const auto& o : objects)
        if (o.id == kScriptCommandObject)
            return ParseScriptObject(fileStart.constData() + o.offset, size_t(o.size), commands,
                                     error);
    return true;
}

bool ReadAsfScriptCommandsFromFile(const QString& path, std::vector<AsfScriptCommand>& commands,
                                   QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return Fail(error, file.errorString());
    QByteArray start = file.read(kHeaderFixed);
    if (start.size() < kHeaderFixed) return Fail(error, "the file is shorter than an ASF header");
    uint64_t headerSize = 0;
    for (int i = 0; i < 8; ++i)
        headerSize |= uint64_t(uint8_t(start[16 + i])) << (8 * i);
    if (headerSize < kHeaderFixed || headerSize > kMaxAsfHeaderSize ||
        headerSize > uint64_t(file.size()))
        return Fail(error, "the ASF header's size is past the end of the file");
    start += file.read(qint64(headerSize) - kHeaderFixed);
    return ReadAsfScriptCommands(start, commands, error);
}

QByteArray BuildAsfScriptCommandObject(const std::vector<AsfScriptCommand>& all) {
    const size_t count = std::min(all.size(), kMaxAsfScriptCommands);
    if (count < all.size())
        qCWarning(lcMedia, "%zu script commands past the %zu an ASF header holds are not kept",
                  all.size() - count, count);
    std::vector<QString> types;
    std::vector<uint16_t> typeIndex(count);
    for (size_t i = 0; i < count; ++i) {
        auto it = std::find(types.begin(), types.end(), all[i].type);
        if (it == types.end()) it = types.insert(types.end(), all[i].type);
        typeIndex[i] = uint16_t(it - types.begin());
    }
    QByteArray out;
    PutGuid(out, kScriptCommandObject);
    PutInt<uint64_t>(out, 0);  // size, set below
    PutGuid(out, kScriptCommandReserved);
    PutInt<uint16_t>(out, uint16_t(count));
    PutInt<uint16_t>(out, uint16_t(types.size()));
    for (const auto& t : types)
        PutText(out, t);
    for (size_t i = 0; i < count; ++i) {
        PutInt<uint32_t>(out, all[i].timeMs);
        PutInt<uint16_t>(out, typeIndex[i]);
        PutText(out, all[i].text);
    }
    SetInt<uint64_t>(out, 16, uint64_t(out.size()));
    return out;
}

bool RewriteAsfHeader(const QByteArray& header, const std::vector<AsfScriptCommand>& commands,
                      QByteArray& newHeader, int64_t& sizeChange, QString* error) {
    uint64_t headerSize = 0;
    std::vector<HeaderObject> objects;
    if (!SplitHeader(header, headerSize, objects, error)) return false;
    QByteArray out = header.left(kHeaderFixed);
    uint32_t count = 0;
    qsizetype fileProps = -1;
    for (const auto& o : objects) {
        if (o.id == kScriptCommandObject) continue;
        if (o.id == kFilePropertiesObject && o.size >= kFileSizeOffset + 8) fileProps = out.size();
        out.append(header.constData() + o.offset, o.size);
        ++count;
    }
    // Bytes after the last object (padding some writers leave) stay at the header's end.
    const qsizetype pos =
        objects.empty() ? kHeaderFixed : objects.back().offset + objects.back().size;
    const QByteArray tail = header.mid(pos, qsizetype(headerSize) - pos);
    out += BuildAsfScriptCommandObject(commands);
    ++count;
    out += tail;
    if (fileProps < 0) return Fail(error, "the ASF header has no file properties");
    sizeChange = int64_t(out.size()) - int64_t(headerSize);
    SetInt<uint64_t>(out, 16, uint64_t(out.size()));
    SetInt<uint32_t>(out, 24, count);
    uint64_t fileSize = 0;
    for (int i = 0; i < 8; ++i)
        fileSize |= uint64_t(uint8_t(out[fileProps + kFileSizeOffset + i])) << (8 * i);
    // A writer that could not seek back leaves 0 (unknown); that stays unknown.
    if (fileSize != 0)
        SetInt<uint64_t>(out, fileProps + kFileSizeOffset,
                         uint64_t(int64_t(fileSize) + sizeChange));
    newHeader = std::move(out);
    return true;
}

bool WriteAsfScriptCommands(const QString& path, const std::vector<AsfScriptCommand>& commands,
                            QString* error) {
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) return Fail(error, in.errorString());
    QByteArray start = in.read(kHeaderFixed);
    uint64_t headerSize = 0;
    if (start.size() == kHeaderFixed)
        for (int i = 0; i < 8; ++i)
            headerSize |= uint64_t(uint8_t(start[16 + i])) << (8 * i);
    if (headerSize < kHeaderFixed || headerSize > kMaxAsfHeaderSize ||
        headerSize > uint64_t(in.size()))
        return Fail(error, "not a whole ASF file");
    start += in.read(qint64(headerSize) - kHeaderFixed);
    QByteArray header;
    int64_t change = 0;
    if (!RewriteAsfHeader(start, commands, header, change, error)) return false;
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly)) return Fail(error, out.errorString());
    bool ok = out.write(header) == header.size();
    while (ok && !in.atEnd()) {
        const QByteArray chunk = in.read(1 << 20);
        if (chunk.isEmpty()) {
            ok = false;
            break;
        }
        ok = out.write(chunk) == chunk.size();
    }
    if (!ok) {
        out.cancelWriting();
        return Fail(error, "the recording could not be copied: " + out.errorString());
    }
    if (!out.commit()) return Fail(error, out.errorString());
    return true;
}

namespace {

// The width of a field of the payload parsing information by its two-bit length type.
int FieldWidth(int type) {
    return type == 3 ? 4 : type;
}

uint32_t GetInt(const QByteArray& b, qsizetype at, int width) {
    uint32_t v = 0;
    for (int i = 0; i < width; ++i)
        v |= uint32_t(uint8_t(b[at + i])) << (8 * i);
    return v;
}

}  // namespace

bool CompleteAsfDataPackets(const QString& path, int* mended, QString* error) {
    if (mended) *mended = 0;
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite)) return Fail(error, f.errorString());
    QByteArray start = f.read(kHeaderFixed);
    uint64_t headerSize = 0;
    if (start.size() == kHeaderFixed)
        headerSize = GetInt(start, 16, 4) | uint64_t(GetInt(start, 20, 4)) << 32;
    if (headerSize < kHeaderFixed || headerSize > kMaxAsfHeaderSize ||
        headerSize + kDataObjectFixed > uint64_t(f.size()))
        return Fail(error, "not a whole ASF file");
    start += f.read(qint64(headerSize) - kHeaderFixed + kDataObjectFixed);
    std::vector<HeaderObject> objects;
    if (!SplitHeader(start, headerSize, objects, error)) return false;
    uint32_t packetSize = 0;
    for (const auto& o : objects)
        if (o.id == kFilePropertiesObject && o.size >= kMinPacketOffset + 8) {
            const uint32_t least = GetInt(start, o.offset + kMinPacketOffset, 4);
            const uint32_t most = GetInt(start, o.offset + kMinPacketOffset + 4, 4);
            if (least == most) packetSize = least;
        }
    // Packets of varying size carry their own lengths: nothing to pad to.
    if (packetSize == 0) return true;
    const qsizetype dataAt = qsizetype(headerSize);
    Reader r(start.constData() + dataAt, size_t(start.size() - dataAt));
    Guid id{};
    uint64_t dataSize = 0;
    if (!r.Guid(id) || !r.Int(dataSize) || id != kDataObject)
        return Fail(error, "no data object after the ASF header");
    // A writer that could not seek back leaves the size 0: the packets then run to the file's end.
    uint64_t end = uint64_t(f.size());
    if (dataSize >= kDataObjectFixed) end = std::min(end, headerSize + dataSize);
    // The longest packet head: error correction, both flag bytes and three fields of 4 bytes.
    constexpr int kHeadMost = 1 + 15 + 2 + 12;
    for (uint64_t at = headerSize + kDataObjectFixed; at + packetSize <= end; at += packetSize) {
        if (!f.seek(qint64(at))) return Fail(error, f.errorString());
        QByteArray head = f.read(std::min<qint64>(kHeadMost, packetSize));
        qsizetype p = 0;
        const uint8_t first = head.isEmpty() ? 0 : uint8_t(head[0]);
        // Error correction data comes first when its flag is set.
        if (first & 0x80) p += 1 + (first & 0x0F);
        if (p + 2 > head.size()) return Fail(error, "a data packet is cut");
        const uint8_t lengthTypes = uint8_t(head[p]);
        p += 2;  // and the property flags
        const int lengthWidth = FieldWidth((lengthTypes >> 5) & 3);
        const int sequenceWidth = FieldWidth((lengthTypes >> 1) & 3);
        const int paddingWidth = FieldWidth((lengthTypes >> 3) & 3);
        if (lengthWidth == 0) continue;  // the packet size holds
        if (p + lengthWidth + sequenceWidth + paddingWidth > head.size())
            return Fail(error, "a data packet is cut");
        const uint32_t length = GetInt(head, p, lengthWidth);
        if (length == packetSize) continue;
        const uint32_t padding =
            paddingWidth ? GetInt(head, p + lengthWidth + sequenceWidth, paddingWidth) : 0;
        // Only the length is short: the padding already fills the packet, and the field holds
        // the packet size.
        if (uint64_t(length) + padding != packetSize ||
            (lengthWidth < 4 && (packetSize >> (8 * lengthWidth)) != 0))
            return Fail(error, QString("the data packet at %1 is %2 bytes with %3 of padding, not "
                                       "%4")
                                   .arg(at)
                                   .arg(length)
                                   .arg(padding)
                                   .arg(packetSize));
        QByteArray field(lengthWidth, 0);
        for (int i = 0; i < lengthWidth; ++i)
            field[i] = char(uint8_t(packetSize >> (8 * i)));
        if (!f.seek(qint64(at) + p) || f.write(field) != field.size())
            return Fail(error, f.errorString());
        if (mended) ++*mended;
    }
    return f.flush() || Fail(error, f.errorString());
}

}  // namespace media
