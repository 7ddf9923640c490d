#include "platform/base/graph_style.h"

#include <QFile>
#include <set>
#include <sstream>

namespace platform::graph {
namespace {

constexpr qint64 kMaxStyleFile = 64 * 1024;

std::string Trimmed(const std::string& s) {
    const size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return std::string();
    const size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

bool ParseColour(const std::string& v, COLORREF& out) {
    if (v.size() != 7 || v[0] != '#') return false;
    unsigned rgb = 0;
    for (size_t i = 1; i < 7; ++i) {
        const char c = v[i];
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return false;
        rgb = rgb * 16 + static_cast<unsigned>(d);
    }
    out = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    return true;
}

}  // namespace

bool ParseGraphStyle(const std::string& text, GraphStyle& out) {
    if (text.size() > static_cast<size_t>(kMaxStyleFile)) return false;
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line)) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line != "graph-style 1") return false;
    GraphStyle style;
    std::set<std::string> seen;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::string t = Trimmed(line);
        if (t.empty() || t[0] == '#') continue;
        const size_t eq = t.find('=');
        if (eq == std::string::npos) return false;
        const std::string key = Trimmed(t.substr(0, eq)), value = Trimmed(t.substr(eq + 1));
        if (!seen.insert(key).second) return false;  // a key given twice is ambiguous
        if (key == "kind") {
            if (value == "standard")
                style.bar = false;
            else if (value == "bar")
                style.bar = true;
            else
                return false;
        } else if (key == "background") {
            if (!ParseColour(value, style.background)) return false;
        } else if (key == "plot-background") {
            if (!ParseColour(value, style.plotBackground)) return false;
        } else if (key == "grid") {
            if (!ParseColour(value, style.grid)) return false;
        } else if (key == "font-size") {
            if (value.empty() || value.size() > 2 ||
                value.find_first_not_of("0123456789") != std::string::npos)
                return false;
            const int size = std::stoi(value);
            if (size < 6 || size > 20) return false;
            style.fontSize = size;
        } else {
            return false;
        }
    }
    if (!seen.count("kind")) return false;
    out = style;
    return true;
}

bool LoadGraphStyle(const CString& path, GraphStyle& out) {
    QFile file(path.ToQString());
    if (!file.open(QIODevice::ReadOnly)) return false;
    if (file.size() > kMaxStyleFile) return false;
    const QByteArray data = file.read(kMaxStyleFile + 1);
    if (data.size() > kMaxStyleFile) return false;
    return ParseGraphStyle(data.toStdString(), out);
}

}  // namespace platform::graph
