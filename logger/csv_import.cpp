#include "logger/csv_import.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <deque>
#include <iterator>
#include <limits>

#include <sys/mman.h>

#include "logger/helpers.h"
#include "platform/base/codepage.h"

namespace csv {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool IsValidUtf8(std::string_view s) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const auto* end = p + s.size();
    while (p < end) {
        // Most of a data file is ASCII: skip it eight bytes at a time.
        while (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            if (word & 0x8080808080808080ull) break;
            p += 8;
        }
        if (p >= end) break;
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int more;
        unsigned min;
        unsigned code;
        if ((c & 0xE0) == 0xC0) {
            more = 1, min = 0x80, code = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            more = 2, min = 0x800, code = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            more = 3, min = 0x10000, code = c & 0x07;
        } else {
            return false;
        }
        if (end - p <= more) return false;
        for (int i = 1; i <= more; ++i) {
            if ((p[i] & 0xC0) != 0x80) return false;
            code = code << 6 | (p[i] & 0x3F);
        }
        if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        p += more + 1;
    }
    return true;
}

// Reads one record at a time. Unquoted fields point into the text; quoted ones into scratch
// strings owned by the reader, valid until the next record.
class Reader {
public:
    Reader(std::string_view text, char separator) : m_text(text), m_separator(separator) {
        m_stop[static_cast<unsigned char>('\n')] = m_stop[static_cast<unsigned char>('\r')] = true;
        m_stop[static_cast<unsigned char>(separator)] = true;
        std::copy(std::begin(m_stop), std::end(m_stop), std::begin(m_plainStop));
        m_plainStop[static_cast<unsigned char>('"')] = true;
    }

    bool AtEnd() const { return m_pos >= m_text.size(); }

    // False at the end of the text. `blank`: the line holds nothing but blanks. A record of more
    // than `most` fields stops after its first `most` + 1.
    bool Next(std::vector<std::string_view>& fields, bool& blank, size_t most = SIZE_MAX) {
        fields.clear();
        if (AtEnd()) return false;
        blank = true;
        const size_t size = m_text.size();
        for (;;) {
            size_t i = m_pos;
            while (i < size && IsBlank(m_text[i]))
                ++i;
            if (i < size && m_text[i] == '"') {
                blank = false;
                fields.push_back(ReadQuoted(i + 1, fields.size()));
            } else {
                const char* base = m_text.data();
                // The separator, or a line end, whichever is first.
                size_t j = m_pos;
                while (j < size && !m_stop[static_cast<unsigned char>(base[j])])
                    ++j;
                std::string_view field(base + m_pos, j - m_pos);
                if (blank && !Trim(field).empty()) blank = false;
                fields.push_back(field);
                m_pos = j;
            }
            if (m_pos >= size || fields.size() > most) return true;
            const char c = m_text[m_pos];
            if (c == m_separator) {
                blank = false;
                ++m_pos;
                continue;
            }
            if (c == '\r') {
                ++m_pos;
                if (m_pos < size && m_text[m_pos] == '\n') ++m_pos;
                return true;
            }
            if (c == '\n') {
                ++m_pos;
                return true;
            }
            // Text after a closing quote: it joins the field, as spreadsheets read it.
            size_t j = m_pos;
            while (j < size && m_text[j] != m_separator && m_text[j] != '\n' && m_text[j] != '\r')
                ++j;
            std::string& scratch = Scratch(fields.size() - 1);
            scratch.assign(fields.back());
            scratch.append(m_text.substr(m_pos, j - m_pos));
            fields.back() = scratch;
            m_pos = j;
        }
    }

    // A row of nothing but plain decimals and empty fields after its first field, read in one
    // pass straight into the columns as row `row`. False, with nothing consumed or kept, for any
    // other row (quotes, text, blanks only, more than the columns' fields...), which Next reads.
    bool NextPlain(std::vector<ColumnStruct>& columns, char decimal, double row) {
        const char* const begin = m_text.data();
        const char* const end = begin + m_text.size();
        const char* p = begin + m_pos;
        while (p < end && !m_plainStop[static_cast<unsigned char>(*p)])
            ++p;
        if (p >= end || *p != m_separator) return false;
        ++p;
        const size_t n = columns.size();
        size_t c = 0;
        const auto undo = [&] {
            for (size_t k = 0; k < c; ++k) {
                ColumnStruct& col = columns[k];
                if (!col.samples.empty() && col.samples.back() == row) {
                    col.samples.pop_back();
                    col.values.pop_back();
                }
            }
            return false;
        };
        for (;; ++c) {
            if (c >= n) return undo();
            while (p < end && IsBlank(*p))
                ++p;
            const bool negative = p < end && *p == '-';
            if (negative) ++p;
            std::uint64_t mantissa = 0;
            int digits = 0, fraction = 0;
            bool point = false;
            for (; p < end; ++p) {
                const char ch = *p;
                if (ch >= '0' && ch <= '9') {
                    if (++digits > 15) return undo();
                    mantissa = mantissa * 10 + static_cast<std::uint64_t>(ch - '0');
                    fraction += point;
                } else if (!point && (ch == '.' || (decimal && ch == decimal))) {
                    point = true;
                } else {
                    break;
                }
            }
            while (p < end && IsBlank(*p))
                ++p;
            if (digits > 0) {
                const double v = static_cast<double>(mantissa) / kPowers[fraction];
                columns[c].samples.push_back(row);
                columns[c].values.push_back(negative ? -v : v);
            } else if (negative || point) {
                return undo();
            }
            if (p >= end) break;
            const char stop = *p;
            if (stop == m_separator) {
                ++p;
                continue;
            }
            if (stop == '\r') {
                ++p;
                if (p < end && *p == '\n') ++p;
                break;
            }
            if (stop == '\n') {
                ++p;
                break;
            }
            ++c;
            return undo();
        }
        m_pos = static_cast<size_t>(p - begin);
        return true;
    }

private:
    static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

    std::string& Scratch(size_t index) {
        if (m_scratch.size() <= index) m_scratch.resize(index + 1);
        return m_scratch[index];
    }

    std::string_view ReadQuoted(size_t from, size_t index) {
        std::string& out = Scratch(index);
        out.clear();
        size_t i = from;
        const size_t size = m_text.size();
        while (i < size) {
            const char c = m_text[i];
            if (c == '"') {
                if (i + 1 < size && m_text[i + 1] == '"') {
                    out += '"';
                    i += 2;
                    continue;
                }
                ++i;
                break;
            }
            if (c == '\r') {
                out += '\n';
                i += (i + 1 < size && m_text[i + 1] == '\n') ? 2 : 1;
                continue;
            }
            out += c;
            ++i;
        }
        // Blanks after the closing quote are no part of the field.
        while (i < size && IsBlank(m_text[i]))
            ++i;
        m_pos = i;
        return out;
    }

    std::string_view m_text;
    char m_separator;
    bool m_stop[256] = {};       // the bytes that end an unquoted field
    bool m_plainStop[256] = {};  // and a quote, which a plain row does not hold
    size_t m_pos = 0;
    // A deque: growing it keeps the strings earlier fields point into where they are.
    std::deque<std::string> m_scratch;
};

// The header's first record, to look for separators outside quotes.
std::vector<char> SeparatorsOutsideQuotes(std::string_view text) {
    std::vector<char> found;
    bool quoted = false;
    for (char c : text) {
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted) {
            if (c == '\n' || c == '\r') break;
            found.push_back(c);
        }
    }
    return found;
}

char ChooseSeparator(std::string_view text, std::string_view listSeparator) {
    const std::vector<char> chars = SeparatorsOutsideQuotes(text);
    const auto holds = [&](char c) {
        for (char h : chars)
            if (h == c) return true;
        return false;
    };
    if (listSeparator.size() == 1 && listSeparator[0] != '"' && holds(listSeparator[0]))
        return listSeparator[0];
    for (char c : {',', ';', '\t'})
        if (holds(c)) return c;
    return 0;
}

bool Digits(std::string_view s, int& value) {
    if (s.empty() || s.size() > 9) return false;
    value = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

std::vector<std::string_view> Split(std::string_view s, char c) {
    std::vector<std::string_view> parts;
    for (;;) {
        const size_t at = s.find(c);
        parts.push_back(s.substr(0, at));
        if (at == std::string_view::npos) return parts;
        s.remove_prefix(at + 1);
    }
}

// Plain decimals ("-12.345") are most of a data file: read them without the general routine
// when their digits fit a double exactly, so that one division rounds them as it would.
bool PlainDecimal(const char* p, const char* end, char decimal, double& value) {
    static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const bool negative = p < end && *p == '-';
    if (negative) ++p;
    std::uint64_t mantissa = 0;
    int digits = 0;
    int fraction = 0;
    bool point = false;
    for (; p < end; ++p) {
        const char c = *p;
        if (c >= '0' && c <= '9') {
            if (++digits > 15) return false;
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
            if (point) ++fraction;
        } else if (!point && (c == '.' || (decimal && c == decimal))) {
            point = true;
        } else {
            return false;
        }
    }
    if (digits == 0) return false;
    value = static_cast<double>(mantissa) / kPowers[fraction];
    if (negative) value = -value;
    return true;
}

// The column arrays of a big file are written once from start to end: in large pages the
// kernel faults them in a few hundred times instead of tens of thousands.
void PreferLargePages(std::vector<double>& array) {
#ifdef MADV_HUGEPAGE
    constexpr std::uintptr_t kLarge = 2u << 20;
    const auto begin = reinterpret_cast<std::uintptr_t>(array.data());
    const std::uintptr_t end = begin + array.capacity() * sizeof(double);
    const std::uintptr_t from = (begin + kLarge - 1) & ~(kLarge - 1);
    const std::uintptr_t to = end & ~(kLarge - 1);
    if (to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#else
    (void)array;
#endif
}

}  // namespace

std::vector<std::string> SplitLine(std::string_view line, char separator) {
    Reader reader(line, separator);
    std::vector<std::string_view> fields;
    bool blank = false;
    reader.Next(fields, blank);
    return {fields.begin(), fields.end()};
}

bool ParseNumber(std::string_view field, char decimal, double& value) {
    field = Trim(field);
    if (field.empty() || field.size() > 64) return false;
    if (PlainDecimal(field.data(), field.data() + field.size(), decimal, value)) return true;
    char buffer[64];
    const char* begin = field.data();
    if (decimal && decimal != '.' && field.find(decimal) != std::string_view::npos) {
        std::memcpy(buffer, field.data(), field.size());
        for (size_t i = 0; i < field.size(); ++i)
            if (buffer[i] == decimal) buffer[i] = '.';
        begin = buffer;
    }
    const char* end = begin + field.size();
    // from_chars takes no leading "+"; spreadsheets may write one.
    if (*begin == '+' && end - begin > 1 && begin[1] != '-') ++begin;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    return ec == std::errc() && ptr == end && std::isfinite(value);
}

FileStruct Parse(std::string_view bytes, std::string_view listSeparator,
                 std::string_view decimalSymbol) {
    FileStruct file;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    // Only the header and the time texts are kept as text, and ASCII reads the same either way:
    // the whole file is checked once one of them holds anything else.
    int utf8 = -1;
    const auto text = [&](std::string_view s) {
        if (std::all_of(s.begin(), s.end(), [](char c) { return (c & 0x80) == 0; }))
            return std::string(s);
        if (utf8 < 0) utf8 = IsValidUtf8(bytes) ? 1 : 0;
        return utf8 ? std::string(s) : platform::Cp1252ToUtf8(s);
    };

    const char separator = ChooseSeparator(bytes, listSeparator);
    file.separator = separator ? separator : ',';
    Reader reader(bytes, separator ? separator : '\n');
    std::vector<std::string_view> fields;
    bool blank = false;
    if (!reader.Next(fields, blank, kMaxColumns)) return file;
    if (fields.size() > kMaxColumns) {
        file.result = Result::tooManyColumns;
        return file;
    }
    for (std::string_view f : fields)
        file.header.push_back(text(Trim(f)));
    if (!separator || file.header.size() < 2) {
        file.result = Result::noColumns;
        return file;
    }

    char decimal = 0;
    if (decimalSymbol.size() == 1 && decimalSymbol[0] != separator) decimal = decimalSymbol[0];
    const size_t n = file.header.size() - 1;
    std::vector<ColumnStruct> columns(n);
    // Growing by doubling would copy the arrays over again: a line count bounds the rows.
    size_t lines = 1;
    for (const char *p = bytes.data(), *end = p + bytes.size();
         (p = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)))); ++p)
        ++lines;
    // Only as much as the file could fill: a wide header over few bytes reserves nothing.
    if (lines * n <= bytes.size()) {
        for (ColumnStruct& column : columns) {
            column.samples.reserve(lines);
            column.values.reserve(lines);
            PreferLargePages(column.samples);
            PreferLargePages(column.values);
        }
    }
    size_t row = 0;
    size_t rowCount = 0;
    for (;;) {
        // Rows 0 and 1 give the time texts: those two are read in full.
        if (row >= 2 && reader.NextPlain(columns, decimal, static_cast<double>(row))) {
            ++row;
            rowCount = row;
            continue;
        }
        if (!reader.Next(fields, blank)) break;
        if (blank) {
            ++row;
            continue;
        }
        if (row < 2 && !fields.empty())
            (row == 0 ? file.time0 : file.time1) = text(Trim(fields[0]));
        const size_t count = std::min(fields.size() - 1, n);
        for (size_t c = 0; c < count; ++c) {
            double value;
            if (ParseNumber(fields[c + 1], decimal, value)) {
                columns[c].samples.push_back(static_cast<double>(row));
                columns[c].values.push_back(value);
            }
        }
        ++row;
        rowCount = row;
    }
    if (rowCount == 0) {
        file.result = Result::noData;
        return file;
    }
    file.rowCount = rowCount;
    file.columns = std::move(columns);
    file.result = Result::ok;
    return file;
}

std::string ColumnName(std::string_view field) {
    const size_t open = field.find('(');
    if (open == std::string_view::npos) return {};
    return std::string(Trim(field.substr(0, open)));
}

std::string ColumnUnit(std::string_view field) {
    const size_t open = field.find('(');
    std::string_view unit = open == std::string_view::npos ? field : field.substr(open);
    while (!unit.empty() && unit.front() == '(')
        unit.remove_prefix(1);
    while (!unit.empty() && unit.back() == ')')
        unit.remove_suffix(1);
    return std::string(unit);
}

WORD TimeModeFromUnit(std::string_view unit) {
    if (unit == "ms") return 2;
    if (unit == "mm:ss") return 4;
    if (unit == "hh:mm:ss") return 5;
    if (unit == "Date") return 6;
    return 3;
}

CPreciseDateTime ParseTime(std::string_view text, WORD mode, const CPreciseDateTime& today) {
    CPreciseDateTime bad;
    bad.SetStatus(CPreciseDateTime::invalid);
    text = Trim(text);
    int day = today.GetDay();
    int month = today.GetMonth();
    int year = today.GetYear();
    std::string_view time;
    std::string minutesSeconds;
    if (mode == 4) {
        if (text.size() < 5) return bad;
        minutesSeconds = "00:";
        minutesSeconds.append(text.substr(0, 2)).append(":").append(text.substr(3, 2));
        time = minutesSeconds;
    } else if (mode == 5) {
        time = text;
    } else if (mode == 6) {
        std::string_view date;
        const size_t space = text.find(' ');
        if (space != std::string_view::npos) {
            date = text.substr(0, space);
            time = Trim(text.substr(space + 1));
        } else {
            if (text.size() < 16) return bad;
            date = text.substr(0, 8);
            time = text.substr(text.size() - 8);
        }
        const char mark = date.find('-') != std::string_view::npos ? '-' : '/';
        const std::vector<std::string_view> parts = Split(date, mark);
        if (parts.size() != 3 || !Digits(parts[0], day) || !Digits(parts[1], month) ||
            !Digits(parts[2], year))
            return bad;
        if (year < 100) year += 2000;
    } else {
        return bad;
    }
    if (today.GetStatus() != CPreciseDateTime::valid && mode != 6) return bad;
    const std::vector<std::string_view> parts = Split(time, ':');
    int t[4] = {0, 0, 0, 0};
    const int limits[4] = {23, 59, 59, 999};
    if (parts.size() > 4) return bad;
    for (size_t i = 0; i < parts.size(); ++i)
        if (!Digits(parts[i], t[i]) || t[i] > limits[i]) return bad;
    if (day < 1 || day > 31 || month < 1 || month > 12) return bad;
    CPreciseDateTime result(year, month, day, t[0], t[1], t[2], t[3]);
    // A day past the month's end would carry into the next month.
    if (result.GetStatus() != CPreciseDateTime::valid || result.GetDay() != day) return bad;
    return result;
}

std::optional<WORD> RateCodeFromStep(double t1, double t0, WORD mode) {
    double step = t1 - t0;
    if (step == 0) return WORD(0);
    if (mode == 2) step /= 1000.0;
    if (!(step > 0) || !std::isfinite(step)) return std::nullopt;
    for (WORD code = 1; code <= 255; ++code) {
        const double interval = RateInfo(code).intervalSeconds;
        if (interval > 0 && std::fabs(interval - step) <= kStepTolerance * interval) return code;
    }
    return std::nullopt;
}

std::optional<WORD> RateCodeFromTimes(std::string_view text0, std::string_view text1, WORD mode,
                                      const CPreciseDateTime& today) {
    const CPreciseDateTime a = ParseTime(text0, mode, today);
    const CPreciseDateTime b = ParseTime(text1, mode, today);
    if (a.GetStatus() != CPreciseDateTime::valid || b.GetStatus() != CPreciseDateTime::valid)
        return std::nullopt;
    return RateCodeFromStep(static_cast<double>((b - a).GetTotalSeconds()), 0, mode);
}

CPreciseDateTime DefaultStart() {
    return CPreciseDateTime(2002, 7, 18, 0, 0, 0);
}

}  // namespace csv
