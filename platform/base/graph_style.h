#pragma once
// Graph style files: UTF-8 text, first line "graph-style 1", then "key = value" lines; blank lines
// and lines beginning with '#' are ignored. Keys: kind (standard or bar, required), background,
// plot-background and grid (#RRGGBB), font-size (points, 6 to 20).

#include <string>

#include "platform/base/cstring.h"

namespace platform::graph {

struct GraphStyle {
    bool bar = false;
    COLORREF background = RGB(0xF0, 0xF0, 0xF0);
    COLORREF plotBackground = RGB(0xFF, 0xFF, 0xFF);
    COLORREF grid = RGB(0xD0, 0xD0, 0xD0);
    int fontSize = 8;
    friend bool operator==(const GraphStyle&, const GraphStyle&) = default;
};

// False, with `out` unchanged, for an unknown key, a bad value or line, a missing kind, or a file
// that is missing, unreadable or over 64 KiB.
bool ParseGraphStyle(const std::string& text, GraphStyle& out);
bool LoadGraphStyle(const CString& path, GraphStyle& out);

}  // namespace platform::graph
