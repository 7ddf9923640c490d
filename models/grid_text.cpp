#include "models/grid_text.h"

#include <algorithm>
#include <cctype>
#include <limits>

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
    const size_t none = std::numeric_limits<size_t>::max();
    ParseCsv(text, CsvLimits{none, none, none}, records);
    return records;
}

CsvOverflow ParseCsv(std::string_view text, const CsvLimits& limits,
                     std::vector<std::vector<CString>>& records) {
    records.clear();
    std::vector<CString> record;
    std::string field;
    size_t fields = 0;
    bool quoted = false;
    bool any = false;  // something of the current record has been read
    // Checked before each field is kept, so that memory never runs past the limits.
    const auto endField = [&]() -> CsvOverflow {
        if (record.size() >= limits.fieldsPerRecord) return CsvOverflow::fieldsPerRecord;
        if (fields >= limits.fields) return CsvOverflow::fields;
        record.emplace_back(std::move(field));
        field.clear();
        ++fields;
        return CsvOverflow::none;
    };
    const auto endRecord = [&]() -> CsvOverflow {
        if (records.size() >= limits.records) return CsvOverflow::records;
        records.push_back(std::move(record));
        record.clear();
        return CsvOverflow::none;
    };
    CsvOverflow overflow = CsvOverflow::none;
    for (size_t i = 0; i < text.size() && overflow == CsvOverflow::none; ++i) {
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
            overflow = endField();
            any = true;
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            overflow = endField();
            if (overflow == CsvOverflow::none) overflow = endRecord();
            any = false;
        } else {
            field += c;
            any = true;
        }
    }
    if (overflow == CsvOverflow::none && (any || !field.empty())) {
        overflow = endField();
        if (overflow == CsvOverflow::none) overflow = endRecord();
    }
    if (overflow != CsvOverflow::none) records.clear();
    return overflow;
}

PageSplit SplitRowsIntoPages(int rows, int pageHeight, int rowHeight) {
    PageSplit split;
    split.rowsPerPage = rowHeight > 0 ? std::max(1, pageHeight / rowHeight) : 1;
    split.pages = rows <= 0 ? 1 : (rows + split.rowsPerPage - 1) / split.rowsPerPage;
    return split;
}

}  // namespace grid_text
