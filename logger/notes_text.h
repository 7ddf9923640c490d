#pragma once
// The workbook notes as text: the file form they are kept in, and the lines they are printed in.
// No window code.

#include <string>

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
// too long for an empty line is cut at the width.
CString WrapLine(CString& text, int width);

}  // namespace notes_text
