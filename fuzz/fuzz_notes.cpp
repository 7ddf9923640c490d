// The notes file reader on any bytes: it never crashes, its text saves and reads back the same,
// and the printed wrapping always takes something and never more than the width.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "logger/notes_text.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

size_t CodePoints(const CString& s) {
    size_t n = 0;
    for (unsigned char c : s.str())
        n += (c & 0xC0) != 0x80;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const CString text = notes_text::FromFileBytes(bytes);
    Check(notes_text::FromFileBytes(notes_text::ToFileBytes(text)) == text);
    CString rest = text;
    for (int lines = 0; !rest.IsEmpty(); ++lines) {
        const int before = rest.GetLength();
        const CString line = notes_text::WrapLine(rest, 70);
        Check(!line.IsEmpty() && CodePoints(line) <= 71);
        Check(rest.GetLength() < before);
        Check(lines < 1000000);
    }
    return 0;
}
