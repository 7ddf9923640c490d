#include "logger/notes_text.h"

#include <QString>
#include <QStringDecoder>
#include <algorithm>

#include "platform/base/codepage.h"

namespace notes_text {

std::string ToFileBytes(const CString& editText) {
    const std::string in = editText.str();
    std::string out;
    out.reserve(in.size() + in.size() / 16);
    // Notes that begin with the byte order mark's character keep it: the reader takes one mark
    // off.
    if (in.rfind("\xEF\xBB\xBF", 0) == 0) out = "\xEF\xBB\xBF";
    for (char c : in) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

namespace {

bool IsUtf8(std::string_view bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    return !decoder.hasError();
}

}  // namespace

CString FromFileBytes(const std::string& bytes) {
    std::string_view body(bytes);
    std::string utf8;
    const bool bom = body.size() >= 3 && body.substr(0, 3) == "\xEF\xBB\xBF";
    if (bom && IsUtf8(body.substr(3)))
        utf8 = body.substr(3);
    else if (!bom && IsUtf8(body))
        utf8 = body;
    else
        utf8 = platform::Cp1252ToUtf8(body);

    std::string out;
    out.reserve(utf8.size() + utf8.size() / 16);
    for (size_t i = 0; i < utf8.size();) {
        const std::string_view rest = std::string_view(utf8).substr(i);
        if (rest.substr(0, 3) == "\r\r\n") {
            i += 3;
        } else if (rest.substr(0, 2) == "\r\n") {
            i += 2;
        } else if (rest[0] == '\r' || rest[0] == '\n') {
            i += 1;
        } else {
            out += rest[0];
            ++i;
            continue;
        }
        out += "\r\n";
    }
    return CString(out);
}

CString WrapLine(CString& text, int width) {
    width = std::max(width, 1);
    // A byte order mark's character at the front is text here, not a mark to skip.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                     QStringDecoder::Flag::ConvertInitialBom);
    const std::string bytes = text.str();
    QString rest = decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    QString line;
    for (;;) {
        const qsizetype n = rest.indexOf(u'\n');
        const qsizetype s = rest.indexOf(u' ');
        if (n < 0 && s < 0) {
            if (line.size() + rest.size() < width) {
                line += rest;
                rest.clear();
            } else if (line.isEmpty()) {
                line = rest.left(width);
                rest.remove(0, width);
            }
            // A last word that does not fit starts the next line whole, as any other word does.
            break;
        }
        if (s >= 0 && (n < 0 || s < n)) {
            if (line.size() + s + 1 < width) {
                line += rest.left(s + 1);
                rest.remove(0, s + 1);
                continue;
            }
            if (line.isEmpty()) {
                line = rest.left(width);
                rest.remove(0, width);
            }
            break;
        }
        if (line.size() + n + 1 < width) {
            line += rest.left(n + 1);
            rest.remove(0, n + 1);
        } else if (line.isEmpty()) {
            const qsizetype k = rest.size() > width && rest[width] == u'\n' ? width + 1 : width;
            line = rest.left(k);
            rest.remove(0, k);
        }
        break;
    }
    text = CString(rest);
    return CString(line);
}

}  // namespace notes_text
