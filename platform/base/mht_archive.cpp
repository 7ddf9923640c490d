#include "platform/base/mht_archive.h"

#include <QRegularExpression>
#include <QUrl>
#include <algorithm>
#include <functional>
#include <map>
#include <string>

#include "platform/base/codepage.h"

namespace platform::mht {

namespace {

constexpr int kMaxDepth = 8;

// A location a relative address can be resolved against: one with folders.
bool IsHierarchical(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return scheme == "http" || scheme == "https" || scheme == "file";
}

QString WithoutFragment(const QUrl& url) {
    return url.adjusted(QUrl::RemoveFragment).toString(QUrl::FullyEncoded);
}

// The addresses a stylesheet names (url(...) and @import "..."), each replaced by what `map`
// gives, or kept when that is empty. Read as Latin-1 so that every byte comes back as it was.
QByteArray RewriteStyleAddresses(const QByteArray& css,
                                 const std::function<QString(const QString&)>& map) {
    static const QRegularExpression address(
        R"re((url\(\s*(["']?))([^"')]*)(\2\s*\))|(@import\s+(["']))([^"']*)(\6))re",
        QRegularExpression::CaseInsensitiveOption);
    const QString text = QString::fromLatin1(css);
    QString out;
    qsizetype at = 0;
    for (auto it = address.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const bool isUrl = m.capturedStart(1) >= 0;
        const int group = isUrl ? 3 : 7;
        const QString replacement = map(m.captured(group).trimmed());
        if (replacement.isEmpty()) continue;
        out += QStringView(text).mid(at, m.capturedStart(group) - at);
        out += replacement;
        at = m.capturedEnd(group);
    }
    if (at == 0) return css;
    out += QStringView(text).mid(at);
    return out.toLatin1();
}

struct Headers {
    std::map<QByteArray, QByteArray> fields;  // lower-case names
    QByteArray Get(const char* name) const {
        auto it = fields.find(name);
        return it == fields.end() ? QByteArray() : it->second;
    }
};

// Splits a header value into its first token and its parameters (lower-case names).
QByteArray SplitValue(const QByteArray& value, std::map<QByteArray, QByteArray>* params) {
    QList<QByteArray> pieces;
    QByteArray cur;
    bool quoted = false;
    for (char c : value) {
        if (c == '"') quoted = !quoted;
        if (c == ';' && !quoted) {
            pieces.append(cur);
            cur.clear();
        } else {
            cur.append(c);
        }
    }
    pieces.append(cur);
    if (params)
        for (qsizetype i = 1; i < pieces.size(); ++i) {
            const QByteArray p = pieces[i].trimmed();
            const qsizetype eq = p.indexOf('=');
            if (eq <= 0) continue;
            QByteArray v = p.mid(eq + 1).trimmed();
            if (v.size() >= 2 && v.startsWith('"') && v.endsWith('"')) v = v.mid(1, v.size() - 2);
            (*params)[p.left(eq).trimmed().toLower()] = v;
        }
    return pieces[0].trimmed().toLower();
}

// Reads the header block at `pos`; leaves `pos` at the body.
Headers ReadHeaders(const QByteArray& data, qsizetype& pos) {
    Headers h;
    QByteArray lastName;
    while (pos < data.size()) {
        qsizetype end = data.indexOf('\n', pos);
        if (end < 0) end = data.size();
        QByteArray line = data.mid(pos, end - pos);
        pos = std::min(end + 1, data.size());
        if (line.endsWith('\r')) line.chop(1);
        if (line.isEmpty()) break;
        if ((line[0] == ' ' || line[0] == '\t') && !lastName.isEmpty()) {
            h.fields[lastName] += ' ' + line.trimmed();
            continue;
        }
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0) continue;
        lastName = line.left(colon).trimmed().toLower();
        h.fields[lastName] = line.mid(colon + 1).trimmed();
    }
    return h;
}

QByteArray StripAngles(QByteArray id) {
    id = id.trimmed();
    if (id.startsWith('<') && id.endsWith('>')) id = id.mid(1, id.size() - 2);
    return id;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

void ParseEntity(const QByteArray& data, int depth, Archive& out, QByteArray* startId);

void ParseMultipart(const QByteArray& body, const QByteArray& boundary, int depth, Archive& out) {
    if (boundary.isEmpty()) return;
    const QByteArray marker = "--" + boundary;
    // Part bodies lie between boundary lines; the line break before a boundary belongs to it.
    qsizetype pos = body.indexOf(marker);
    while (pos >= 0) {
        qsizetype after = pos + marker.size();
        if (body.mid(after, 2) == "--") return;
        const qsizetype lineEnd = body.indexOf('\n', after);
        if (lineEnd < 0) return;
        const qsizetype start = lineEnd + 1;
        qsizetype next = body.indexOf("\n" + marker, start - 1);
        const qsizetype stop = next < 0 ? body.size() : next;
        QByteArray part = body.mid(start, std::max<qsizetype>(0, stop - start));
        if (part.endsWith('\r')) part.chop(1);
        ParseEntity(part, depth + 1, out, nullptr);
        if (next < 0) return;
        pos = next + 1;
    }
}

void ParseEntity(const QByteArray& data, int depth, Archive& out, QByteArray* startId) {
    if (depth > kMaxDepth) return;
    qsizetype pos = 0;
    const Headers h = ReadHeaders(data, pos);
    std::map<QByteArray, QByteArray> params;
    QByteArray type = SplitValue(h.Get("content-type"), &params);
    if (type.isEmpty()) type = "text/plain";
    const QByteArray body = data.mid(pos);
    if (type.startsWith("multipart/")) {
        if (startId) *startId = StripAngles(params["start"]);
        ParseMultipart(body, params["boundary"], depth, out);
        return;
    }
    Part p;
    p.mimeType = type;
    p.charset = params["charset"].toLower();
    p.location = QString::fromUtf8(h.Get("content-location"));
    p.contentId = QString::fromUtf8(StripAngles(h.Get("content-id")));
    const QByteArray encoding = SplitValue(h.Get("content-transfer-encoding"), nullptr);
    if (encoding == "base64")
        p.body = DecodeBase64(body);
    else if (encoding == "quoted-printable")
        p.body = DecodeQuotedPrintable(body);
    else
        p.body = body;  // 7bit, 8bit, binary
    out.parts.push_back(std::move(p));
}

QByteArray ToUtf8(const QByteArray& body, const QByteArray& charset) {
    if (charset == "windows-1252" || charset == "iso-8859-1" || charset == "latin1" ||
        charset == "us-ascii") {
        const std::string s = Cp1252ToUtf8(std::string_view(body.constData(), body.size()));
        return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
    }
    if (charset == "utf-16" || charset == "utf-16le") {
        std::u16string s(static_cast<size_t>(body.size() / 2), u'\0');
        for (size_t i = 0; i < s.size(); ++i)
            s[i] = static_cast<char16_t>(static_cast<unsigned char>(body[2 * i]) |
                                         static_cast<unsigned char>(body[2 * i + 1]) << 8);
        if (!s.empty() && s[0] == u'\xFEFF') s.erase(0, 1);
        const std::string u = Utf16ToUtf8(s);
        return QByteArray(u.data(), static_cast<qsizetype>(u.size()));
    }
    return body;
}

// The page's own charset declaration would contradict the UTF-8 it is now served in.
QByteArray DropCharsetDeclarations(QByteArray html) {
    QByteArray lower = html.toLower();
    qsizetype from = 0;
    for (;;) {
        const qsizetype meta = lower.indexOf("<meta", from);
        if (meta < 0) break;
        const qsizetype end = html.indexOf('>', meta);
        if (end < 0) break;
        if (lower.mid(meta, end - meta + 1).contains("charset")) {
            html.remove(meta, end - meta + 1);
            lower.remove(meta, end - meta + 1);
            from = meta;
        } else {
            from = end + 1;
        }
    }
    return html;
}

}  // namespace

QByteArray DecodeQuotedPrintable(const QByteArray& in) {
    QByteArray out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        const char c = in[i];
        if (c != '=') {
            out.append(c);
            continue;
        }
        // A soft line break: "=" at the end of a line.
        qsizetype j = i + 1;
        while (j < in.size() && (in[j] == ' ' || in[j] == '\t'))
            ++j;
        if (j < in.size() && (in[j] == '\n' || in[j] == '\r')) {
            if (in[j] == '\r' && j + 1 < in.size() && in[j + 1] == '\n') ++j;
            i = j;
            continue;
        }
        if (j >= in.size()) {
            i = j;
            continue;
        }
        if (i + 2 < in.size()) {
            const int hi = HexValue(in[i + 1]), lo = HexValue(in[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out.append(static_cast<char>(hi * 16 + lo));
                i += 2;
                continue;
            }
        }
        out.append(c);
    }
    return out;
}

QByteArray DecodeBase64(const QByteArray& in) {
    return QByteArray::fromBase64(in, QByteArray::Base64Encoding);
}

bool Parse(const QByteArray& data, Archive& out) {
    out = Archive();
    QByteArray startId;
    ParseEntity(data, 0, out, &startId);
    // The named start part is the page only when it is one: the pane shows HTML.
    for (size_t i = 0; i < out.parts.size() && !startId.isEmpty(); ++i)
        if (out.parts[i].contentId == QString::fromUtf8(startId) &&
            out.parts[i].mimeType == "text/html") {
            out.mainIndex = static_cast<int>(i);
            break;
        }
    if (out.mainIndex < 0)
        for (size_t i = 0; i < out.parts.size(); ++i)
            if (out.parts[i].mimeType == "text/html") {
                out.mainIndex = static_cast<int>(i);
                break;
            }
    return out.mainIndex >= 0;
}

Served Serve(const Archive& archive, const QString& archivePath,
             QString (*addressOf)(const QString& path)) {
    Served served;
    if (archive.mainIndex < 0 || archive.mainIndex >= static_cast<int>(archive.parts.size()))
        return served;
    const Part& page = archive.parts[static_cast<size_t>(archive.mainIndex)];
    const qsizetype slash = archivePath.lastIndexOf('/');
    const QString folder = slash >= 0 ? archivePath.left(slash) : QString();
    const QString archiveName = archivePath.mid(slash + 1);

    const QUrl base(page.location);
    const bool absoluteBase = base.isValid() && !base.scheme().isEmpty();
    QString baseFolder;  // the page's folder, as an address ending in "/"
    if (absoluteBase) {
        QUrl f = base.adjusted(QUrl::RemoveFilename | QUrl::RemoveQuery | QUrl::RemoveFragment);
        baseFolder = f.toString(QUrl::FullyEncoded);
    }

    // Absolute addresses in the page, longest first, and what they become.
    std::vector<std::pair<QString, QString>> rewrites;
    if (absoluteBase) rewrites.push_back({page.location, addressOf(archivePath)});
    for (size_t i = 0; i < archive.parts.size(); ++i) {
        if (static_cast<int>(i) == archive.mainIndex) continue;
        const Part& part = archive.parts[i];
        ServedPart sp;
        sp.mimeType = part.mimeType;
        sp.contentId = part.contentId;
        sp.body = part.body;
        QString relative;
        const QUrl loc(part.location);
        if (!part.location.isEmpty() && loc.isValid()) {
            if (loc.scheme().isEmpty() && !part.location.startsWith('/')) {
                relative = loc.path();
            } else if (absoluteBase) {
                const QString full = base.resolved(loc)
                                         .adjusted(QUrl::RemoveQuery | QUrl::RemoveFragment)
                                         .toString(QUrl::FullyEncoded);
                if (full.startsWith(baseFolder))
                    relative = QUrl::fromPercentEncoding(full.mid(baseFolder.size()).toUtf8());
            }
        }
        // Nothing may climb out of the archive's folder.
        if (relative.isEmpty() || relative.contains("..") || relative.startsWith('/')) {
            QString name = loc.fileName();
            if (name.isEmpty() || name.contains("..")) name = "part";
            relative = archiveName + "_files/" + QString::number(i) + "/" + name;
        }
        sp.path = folder + "/" + relative;
        if (!loc.scheme().isEmpty()) rewrites.push_back({part.location, addressOf(sp.path)});
        served.parts.push_back(std::move(sp));
    }
    // A stylesheet's relative addresses belong to its own location when that has folders, else (a
    // cid: or no location, as browsers write them) to the page's; where they name a part they are
    // served from the archive, wherever the part was laid out.
    std::map<QString, QString> pathByLocation;
    for (size_t i = 0, k = 0; i < archive.parts.size(); ++i) {
        if (static_cast<int>(i) == archive.mainIndex) continue;
        const QString& location = archive.parts[i].location;
        const QString& path = served.parts[k++].path;
        if (location.isEmpty()) continue;
        pathByLocation.emplace(location, path);
        pathByLocation.emplace(WithoutFragment(QUrl(location)), path);
    }
    const QUrl pageServed(addressOf(archivePath));
    for (size_t i = 0, k = 0; i < archive.parts.size(); ++i) {
        if (static_cast<int>(i) == archive.mainIndex) continue;
        ServedPart& sp = served.parts[k++];
        if (sp.mimeType != "text/css") continue;
        const QUrl own(archive.parts[i].location);
        const bool ownBase = IsHierarchical(own);
        const QUrl partBase = ownBase ? own : base;
        sp.body = RewriteStyleAddresses(sp.body, [&](const QString& text) -> QString {
            if (text.isEmpty() || text.startsWith('#')) return QString();
            const QUrl url(text);
            if (!url.isValid()) return QString();
            const bool relative = url.scheme().isEmpty();
            const QUrl full = !relative                  ? url
                              : IsHierarchical(partBase) ? partBase.resolved(url)
                                                         : QUrl();
            if (!full.isEmpty()) {
                auto it = pathByLocation.find(text);
                if (it == pathByLocation.end()) it = pathByLocation.find(WithoutFragment(full));
                if (it != pathByLocation.end()) {
                    QUrl served(addressOf(it->second));
                    served.setFragment(url.fragment());
                    return served.toString(QUrl::FullyEncoded);
                }
            }
            // Not in the archive: beside the page, where its own files lie.
            if (relative && !ownBase) return pageServed.resolved(url).toString(QUrl::FullyEncoded);
            return QString();
        });
    }

    // A page saved from local files names its siblings by their old folder.
    if (absoluteBase && base.scheme() == "file" && baseFolder.size() > 8)
        rewrites.push_back({baseFolder, addressOf(folder + "/")});
    std::sort(rewrites.begin(), rewrites.end(),
              [](const auto& a, const auto& b) { return a.first.size() > b.first.size(); });

    QByteArray html = DropCharsetDeclarations(ToUtf8(page.body, page.charset));
    if (!rewrites.empty()) {
        // One pass, so that a replacement is never rewritten again.
        std::vector<std::pair<QByteArray, QByteArray>> bytes;
        for (const auto& [from, to] : rewrites)
            if (!from.isEmpty()) bytes.push_back({from.toUtf8(), to.toUtf8()});
        QByteArray out;
        out.reserve(html.size());
        qsizetype i = 0;
        while (i < html.size()) {
            bool replaced = false;
            const QByteArrayView rest = QByteArrayView(html).sliced(i);
            for (const auto& [f, to] : bytes) {
                if (rest.startsWith(f)) {
                    out += to;
                    i += f.size();
                    replaced = true;
                    break;
                }
            }
            if (!replaced) out.append(html[i++]);
        }
        html = out;
    }
    served.html = html;
    return served;
}

}  // namespace platform::mht
