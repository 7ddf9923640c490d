#pragma once
// Web archives (.mht, .mhtml): a MIME multipart message whose parts are a page and the files it
// uses. The reader decodes the parts; the server lays them out as files beside the archive, so a
// page's relative addresses find them, and rewrites the page's absolute addresses of its parts.

#include <QByteArray>
#include <QString>
#include <vector>

namespace platform::mht {

struct Part {
    QByteArray mimeType;  // lower case, without parameters
    QByteArray charset;   // lower case; empty when the part names none
    QString location;     // Content-Location as written
    QString contentId;    // Content-ID without its angle brackets
    QByteArray body;      // decoded
};

struct Archive {
    std::vector<Part> parts;
    int mainIndex = -1;  // the page: the `start` part, else the first text/html one
};

// False when the bytes are no multipart archive holding a page. Never reads past the input.
bool Parse(const QByteArray& data, Archive& out);

// Transfer decodings; malformed input decodes what it can.
QByteArray DecodeQuotedPrintable(const QByteArray& in);
QByteArray DecodeBase64(const QByteArray& in);

struct ServedPart {
    QString path;  // the local path it is served at
    QByteArray mimeType;
    QString contentId;
    QByteArray body;
};

struct Served {
    QByteArray html;  // UTF-8
    std::vector<ServedPart> parts;
};

// Lays the archive at `archivePath` out for serving: the page itself at the archive's path, each
// other part at its location relative to the page's own (or under "<archive>_files/N/" when it
// lies elsewhere). `addressOf` turns a local path into the address the page should use.
Served Serve(const Archive& archive, const QString& archivePath,
             QString (*addressOf)(const QString& path));

}  // namespace platform::mht
