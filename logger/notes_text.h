#pragma once
// The workbook notes as text: the file form they are kept in, and the lines they are printed in.
// No window code.

#include <string>
#include <string_view>

#include "platform/base/cstring.h"

namespace notes_text {

// The file's bytes for the edit's text (UTF-8, line breaks CR LF): each LF written as CR LF, so
// that a break is stored as CR CR LF, as the notes' files have always been.
std::string ToFileBytes(const CString& editText);

// The edit's text for a file's bytes: UTF-8 when they are valid UTF-8 (with or without a byte
// order mark), else Windows-1252. LF, CR LF, CR CR LF and a lone CR are each one break (CR LF in
// the result); nothing else is dropped.
CString FromFileBytes(const std::string& bytes);

// Takes the next printed line, at most `width` characters (CR and LF counted), from the front of
// `text`: whole words while they fit below the width, a line break ending the line with it; a word
// too long for an empty line is cut at the width. A character is a Unicode code point.
CString WrapLine(CString& text, int width);

// The printed lines of a text, as WrapLine takes them, one after another in one pass: each line
// reads no further than its own width past where it starts. The text must outlive the wrapper.
class LineWrapper {
public:
    LineWrapper(std::string_view text, int width);
    bool AtEnd() const { return m_pos >= m_text.size(); }
    // The next line, a view into the text; empty at the end.
    std::string_view Next();
    std::string_view Rest() const { return m_text.substr(m_pos); }

private:
    // The byte offset `count` characters on from `at`, or the end.
    size_t Advance(size_t at, size_t count) const;

    std::string_view m_text;
    size_t m_width;
    size_t m_pos = 0;
};

}  // namespace notes_text
