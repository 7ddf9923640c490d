#include "models/grid_text.h"

#include <algorithm>
#include <cctype>

namespace grid_text {
namespace {

bool IsSeparator(char c) {
    return c == '\t' || c == ',' || c == '\n';
}
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

}  // namespace

bool IsNumber(std::string_view t) {
    size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    size_t digits = 0;
    while (i < t.size() && IsDigit(t[i]))
        ++i, ++digits;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && IsDigit(t[i]))
            ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
        size_t expDigits = 0;
        while (i < t.size() && IsDigit(t[i]))
            ++i, ++expDigits;
        if (expDigits == 0) return false;
    }
    return i == t.size();
}

std::vector<CString> SplitFields(std::string_view line) {
    std::vector<CString> fields;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsSeparator(line[i]))
            ++i;
        const size_t start = i;
        while (i < line.size() && !IsSeparator(line[i]))
            ++i;
        if (i > start) fields.emplace_back(line.substr(start, i - start));
    }
    return fields;
}

bool IsNumericText(std::string_view text) {
    for (const CString& field : SplitFields(text)) {
        std::string_view token(field.str());
        if (const size_t cr = token.find('\r'); cr != std::string_view::npos)
            token = token.substr(0, cr);
        token = Trimmed(token);
        if (!token.empty() && !IsNumber(token)) return false;
    }
    return true;
}

CString CsvField(const CString& text) {
    const std::string& s = text.str();
    const bool quote = s.find_first_of(",\"\r\n") != std::string::npos ||
                       (!s.empty() && (IsBlank(s.front()) || IsBlank(s.back())));
    if (!quote) return text;
    std::string out = "\"";
    for (char c : s) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return CString(std::move(out));
}

std::vector<std::vector<CString>> ParseCsv(std::string_view text) {
    std::vector<std::vector<CString>> records;
    std::vector<CString> record;
    std::string field;
    bool quoted = false;
    bool any = false;  // something of the current record has been read
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"') {
                if (i + 1 < text.size() && text[i + 1] == '"') {
                    field += '"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
            continue;
        }
        if (c == '"' && field.empty()) {
            quoted = true;
            any = true;
        } else if (c == ',') {
            record.emplace_back(std::move(field));
            field.clear();
            any = true;
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            record.emplace_back(std::move(field));
            field.clear();
            records.push_back(std::move(record));
            record.clear();
            any = false;
        } else {
            field += c;
            any = true;
        }
    }
    if (any || !field.empty()) {
        record.emplace_back(std::move(field));
        records.push_back(std::move(record));
    }
    return records;
}

PageSplit SplitRowsIntoPages(int rows, int pageHeight, int rowHeight) {
    PageSplit split;
    split.rowsPerPage = rowHeight > 0 ? std::max(1, pageHeight / rowHeight) : 1;
    split.pages = rows <= 0 ? 1 : (rows + split.rowsPerPage - 1) / split.rowsPerPage;
    return split;
}

}  // namespace grid_text
