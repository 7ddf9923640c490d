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
    LineWrapper wrapper(text.str(), width);
    CString line(wrapper.Next());
    text = CString(wrapper.Rest());
    return line;
}

LineWrapper::LineWrapper(std::string_view text, int width)
    : m_text(text), m_width(static_cast<size_t>(std::max(width, 1))) {}

size_t LineWrapper::Advance(size_t at, size_t count) const {
    for (; count > 0 && at < m_text.size(); --count) {
        ++at;
        while (at < m_text.size() && (static_cast<unsigned char>(m_text[at]) & 0xC0) == 0x80)
            ++at;
    }
    return at;
}

std::string_view LineWrapper::Next() {
    const size_t start = m_pos;
    const size_t end = m_text.size();
    size_t lineLength = 0;
    for (;;) {
        // The first space or LF decides; one lying more than the width ahead acts as none.
        size_t at = m_pos, ahead = 0;
        while (at < end && ahead <= m_width && m_text[at] != ' ' && m_text[at] != '\n') {
            at = Advance(at, 1);
            ++ahead;
        }
        const bool found = at < end && ahead <= m_width;
        if (found && lineLength + ahead + 1 < m_width) {
            m_pos = at + 1;
            lineLength += ahead + 1;
            // A word with its space may be followed by more; a line break ends the line.
            if (m_text[at] == ' ') continue;
        } else if (!found && at == end && lineLength + ahead < m_width) {
            m_pos = end;
        } else if (lineLength == 0) {
            m_pos = Advance(m_pos, m_width);
            // A hard cut just before a line break takes the break with it.
            if (found && m_text[at] == '\n' && m_pos < end && m_text[m_pos] == '\n') ++m_pos;
        }
        // A last word that does not fit starts the next line whole, as any other word does.
        return m_text.substr(start, m_pos - start);
    }
}

}  // namespace notes_text
