// The notes file reader on any bytes: it never crashes, its text saves and reads back the same,
// and the printed wrapping always takes something, never more than the width, and drops nothing.

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
    std::string printed;
    for (notes_text::LineWrapper lines(text.str(), 70); !lines.AtEnd();) {
        const std::string_view line = lines.Next();
        Check(!line.empty() && CodePoints(CString(line)) <= 71);
        printed += line;
    }
    Check(printed == text.str());
    return 0;
}
