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

// The bytes the header's first record holds outside quotes; false while its line end is not in
// the text.
bool HeaderBytes(std::string_view text, bool (&held)[256]) {
    std::fill(std::begin(held), std::end(held), false);
    bool quoted = false;
    for (char c : text) {
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted) {
            if (c == '\n' || c == '\r') return true;
            held[static_cast<unsigned char>(c)] = true;
        }
    }
    return false;
}

char ChooseSeparator(const bool (&held)[256], std::string_view listSeparator) {
    if (listSeparator.size() == 1 && listSeparator[0] != '"' &&
        held[static_cast<unsigned char>(listSeparator[0])])
        return listSeparator[0];
    for (char c : {',', ';', '\t'})
        if (held[static_cast<unsigned char>(c)]) return c;
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

enum class Got { record, more, end };

// Reads one record at a time from a window of the text. Unquoted fields point into the window;
// quoted ones into scratch strings owned by the reader, valid until the next record. A record
// that runs past the window's end, when more text follows, is left unread: `more`.
class Reader {
public:
    explicit Reader(char separator) : m_separator(separator) {
        m_stop[static_cast<unsigned char>('\n')] = m_stop[static_cast<unsigned char>('\r')] = true;
        m_stop[static_cast<unsigned char>(separator)] = true;
        std::copy(std::begin(m_stop), std::end(m_stop), std::begin(m_plainStop));
        m_plainStop[static_cast<unsigned char>('"')] = true;
    }

    void SetText(std::string_view text, bool final) {
        m_text = text;
        m_final = final;
        m_pos = 0;
    }
    size_t Pos() const { return m_pos; }

    // `blank`: the line holds nothing but blanks. A record of more than `most` fields stops
    // after its first `most` + 1.
    Got Next(std::vector<std::string_view>& fields, bool& blank, size_t most = SIZE_MAX) {
        fields.clear();
        if (m_pos >= m_text.size()) return m_final ? Got::end : Got::more;
        const size_t start = m_pos;
        const auto more = [&] {
            m_pos = start;
            fields.clear();
            return Got::more;
        };
        blank = true;
        const size_t size = m_text.size();
        for (;;) {
            size_t i = m_pos;
            while (i < size && Blank(m_text[i]))
                ++i;
            if (i < size && m_text[i] == '"') {
                blank = false;
                std::string_view field;
                if (!ReadQuoted(i + 1, fields.size(), field)) return more();
                fields.push_back(field);
            } else {
                const char* base = m_text.data();
                // The separator, or a line end, whichever is first.
                size_t j = m_pos;
                while (j < size && !m_stop[static_cast<unsigned char>(base[j])])
                    ++j;
                if (j >= size && !m_final) return more();
                std::string_view field(base + m_pos, j - m_pos);
                if (blank && !Trim(field).empty()) blank = false;
                fields.push_back(field);
                m_pos = j;
            }
            if (fields.size() > most) return Got::record;
            if (m_pos >= size) return m_final ? Got::record : more();
            const char c = m_text[m_pos];
            if (c == m_separator) {
                blank = false;
                ++m_pos;
                continue;
            }
            if (c == '\r') {
                // A CRLF may be split between two windows.
                if (m_pos + 1 >= size && !m_final) return more();
                ++m_pos;
                if (m_pos < size && m_text[m_pos] == '\n') ++m_pos;
                return Got::record;
            }
            if (c == '\n') {
                ++m_pos;
                return Got::record;
            }
            // Text after a closing quote: it joins the field, as spreadsheets read it.
            size_t j = m_pos;
            while (j < size && m_text[j] != m_separator && m_text[j] != '\n' && m_text[j] != '\r')
                ++j;
            if (j >= size && !m_final) return more();
            std::string& scratch = Scratch(fields.size() - 1);
            scratch.assign(fields.back());
            scratch.append(m_text.substr(m_pos, j - m_pos));
            fields.back() = scratch;
            m_pos = j;
        }
    }

    // A row of nothing but plain decimals and empty fields after its first field, read in one
    // pass straight into the columns as row `row`; `time` is its first field. False, with
    // nothing consumed or kept, for any other row (quotes, text, blanks only, more than the
    // columns' fields, one that runs past the window...), which Next reads.
    template <class Columns>
    bool NextPlain(Columns& columns, char decimal, double row, std::string_view& time) {
        const char* const begin = m_text.data();
        const char* const end = begin + m_text.size();
        const char* p = begin + m_pos;
        while (p < end && !m_plainStop[static_cast<unsigned char>(*p)])
            ++p;
        if (p >= end || *p != m_separator) return false;
        time = std::string_view(begin + m_pos, static_cast<size_t>(p - begin) - m_pos);
        ++p;
        const size_t n = columns.Count();
        size_t c = 0;
        const auto undo = [&] {
            for (size_t k = 0; k < c; ++k)
                columns.Unappend(k, row);
            return false;
        };
        for (;; ++c) {
            if (c >= n) return undo();
            while (p < end && Blank(*p))
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
            while (p < end && Blank(*p))
                ++p;
            if (p >= end && !m_final) return undo();
            if (digits > 0) {
                const double v = static_cast<double>(mantissa) / kPowers[fraction];
                columns.Append(c, row, negative ? -v : v);
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
                if (p + 1 >= end && !m_final) {
                    ++c;
                    return undo();
                }
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
    // A blank around a field; a tab between fields is none.
    bool Blank(char c) const { return c != m_separator && IsBlank(c); }

    static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

    std::string& Scratch(size_t index) {
        if (m_scratch.size() <= index) m_scratch.resize(index + 1);
        return m_scratch[index];
    }

    // False when the field runs past the window and more text follows.
    bool ReadQuoted(size_t from, size_t index, std::string_view& field) {
        std::string& out = Scratch(index);
        out.clear();
        size_t i = from;
        const size_t size = m_text.size();
        bool closed = false;
        while (i < size) {
            const char c = m_text[i];
            if (c == '"') {
                if (i + 1 >= size && !m_final) return false;
                if (i + 1 < size && m_text[i + 1] == '"') {
                    out += '"';
                    i += 2;
                    continue;
                }
                ++i;
                closed = true;
                break;
            }
            if (c == '\r') {
                if (i + 1 >= size && !m_final) return false;
                out += '\n';
                i += (i + 1 < size && m_text[i + 1] == '\n') ? 2 : 1;
                continue;
            }
            out += c;
            ++i;
        }
        if (!closed && !m_final) return false;
        // Blanks after the closing quote are no part of the field.
        while (i < size && Blank(m_text[i]))
            ++i;
        if (i >= size && !m_final) return false;
        m_pos = i;
        field = out;
        return true;
    }

    std::string_view m_text;
    bool m_final = true;
    char m_separator;
    bool m_stop[256] = {};       // the bytes that end an unquoted field
    bool m_plainStop[256] = {};  // and a quote, which a plain row does not hold
    size_t m_pos = 0;
    // A deque: growing it keeps the strings earlier fields point into where they are.
    std::deque<std::string> m_scratch;
};

// The file's bytes, a window at a time: the window holds what is not yet consumed and grows
// when one record is longer than it, so the text is never held whole. Consumed bytes are
// checked for UTF-8 as long as the verdict may be wanted.
class Source {
public:
    static constexpr size_t kWindow = 1u << 20;

    explicit Source(std::string_view bytes)
        : m_view(bytes), m_total(bytes.size()), m_end(std::min(bytes.size(), kWindow)) {}
    Source(const ReadBytes& read, ULONGLONG size) : m_read(&read), m_total(size) {
        m_buffer.resize(size < kWindow ? static_cast<size_t>(size) + 1 : kWindow);
        Fill();
    }

    std::string_view Window() const { return {Data() + m_begin, m_end - m_begin}; }
    bool Final() const { return m_read ? m_final : m_end == m_view.size(); }
    // Bytes consumed, and what the file was expected to hold.
    ULONGLONG Consumed() const { return m_consumed; }
    ULONGLONG Total() const { return m_total; }

    // The window's first `n` bytes are done with; they end at a record's end, which is never
    // inside a character.
    void Consume(size_t n) {
        if (m_check && m_utf8) m_utf8 = IsValidUtf8(Window().substr(0, n));
        m_begin += n;
        m_consumed += n;
    }
    // More text in the window; false at the end.
    bool More() {
        if (!m_read) {
            if (m_end == m_view.size()) return false;
            m_end = std::min(m_view.size(), m_end + std::max(kWindow, m_end - m_begin));
            return true;
        }
        if (m_final) return false;
        if (m_begin > 0) {
            std::memmove(m_buffer.data(), m_buffer.data() + m_begin, m_end - m_begin);
            m_end -= m_begin;
            m_begin = 0;
        }
        if (m_end == m_buffer.size()) m_buffer.resize(m_buffer.size() * 2);
        Fill();
        return true;
    }
    void StopChecking() { m_check = false; }
    // Whether every byte consumed while checking is UTF-8. Only consumed bytes count: how far
    // the window reaches past them depends on how the file was read, and the verdict must not.
    bool Utf8() const { return m_utf8; }

private:
    const char* Data() const { return m_read ? m_buffer.data() : m_view.data(); }

    // One read: a window is as long as the reads give.
    void Fill() {
        const size_t n = (*m_read)(m_buffer.data() + m_end, m_buffer.size() - m_end);
        if (n == 0) m_final = true;
        m_end += n;
    }

    std::string_view m_view;
    const ReadBytes* m_read = nullptr;
    std::string m_buffer;
    ULONGLONG m_total;
    size_t m_begin = 0;
    size_t m_end = 0;
    bool m_final = false;
    ULONGLONG m_consumed = 0;
    bool m_check = true;
    bool m_utf8 = true;
};

// The value columns as they fill. Their arrays are sized from how fast the file fills them, so
// that they hold little more than the values: doubling would leave up to half unused and copy
// everything over again.
class Columns {
public:
    Columns(size_t n, const Source& source, const Reader& reader)
        : m_list(n), m_source(source), m_reader(reader) {}

    size_t Count() const { return m_list.size(); }
    std::vector<ColumnStruct>& List() { return m_list; }

    void Append(size_t c, double sample, double value) {
        ColumnStruct& column = m_list[c];
        if (column.values.size() == column.values.capacity()) Grow(column);
        column.samples.push_back(sample);
        column.values.push_back(value);
    }
    // Takes back the value of row `sample`, if it has one.
    void Unappend(size_t c, double sample) {
        ColumnStruct& column = m_list[c];
        if (!column.samples.empty() && column.samples.back() == sample) {
            column.samples.pop_back();
            column.values.pop_back();
        }
    }

    // What an estimate reserved past the values is given back, one column at a time.
    void Fit() {
        for (ColumnStruct& column : m_list) {
            const size_t size = column.values.size();
            if (column.values.capacity() > size + size / 8 + 4096) {
                column.samples.shrink_to_fit();
                column.values.shrink_to_fit();
            }
        }
    }

private:
    // Past the first megabyte the rows so far tell how many more the rest of the file holds.
    static constexpr ULONGLONG kJudgeAfter = 1u << 20;

    void Grow(ColumnStruct& column) {
        const size_t size = column.values.size();
        const ULONGLONG done = m_source.Consumed() + m_reader.Pos();
        const ULONGLONG total = m_source.Total();
        size_t want = std::max<size_t>(size * 2, 256);
        if (done >= kJudgeAfter && total > done) {
            const double expected = static_cast<double>(size + 1) * static_cast<double>(total) /
                                    static_cast<double>(done);
            // A value takes two bytes at least, its digit and what ends it.
            const double most = static_cast<double>(total / 2 + 256);
            want = std::max<size_t>(size + size / 8 + 256,
                                    static_cast<size_t>(std::min(expected * 1.03 + 256, most)));
        }
        column.samples.reserve(want);
        column.values.reserve(want);
        PreferLargePages(column.samples);
        PreferLargePages(column.values);
    }

    std::vector<ColumnStruct> m_list;
    const Source& m_source;
    const Reader& m_reader;
};

// Every row's time against the step of the first two: a timed file numbers its samples by their
// times, in whole steps from the first row's; any other step numbers them by row.
class Timing {
public:
    Timing(WORD mode, char decimal, const CPreciseDateTime& today)
        : m_mode(mode), m_decimal(decimal), m_today(today) {}

    // A row that is not blank, with its time field; `row` counts every row.
    void Row(double row, std::string_view field) {
        ++m_seen;
        if (m_numbered) return;
        double seconds = 0;
        LONGLONG whole = 0;
        if (!Elapsed(field, seconds, whole)) return Number();
        if (m_rows++ == 0) {
            m_lastRow = row;
            m_segments.push_back({row, 0});
            return;
        }
        if (m_rows == 2) {
            // Clock times step in whole seconds, as the rate of two texts always did.
            const std::optional<WORD> rate =
                TextTimes() ? RateCodeFromStep(static_cast<double>(whole), 0, 3)
                            : RateCodeFromStep(seconds, 0, 3);
            if (!rate || *rate == 0) return Number();
            m_rate = *rate;
            m_interval = RateInfo(m_rate).intervalSeconds;
        }
        const double steps = seconds / m_interval;
        if (!(steps > m_lastK) || steps > kMaxSampleNumber) return Number();
        const double k = std::round(steps);
        // Relative to the time from the first row, as the rate's own step is judged; never as
        // much as a tenth of a step, so that a time off the steps is found however late.
        const double tolerance = std::min(kStepTolerance * k, 0.1) * m_interval;
        if (k <= m_lastK || std::fabs(seconds - k * m_interval) > tolerance) return Number();
        if (k - m_lastK != row - m_lastRow) m_segments.push_back({row, k});
        m_lastK = k;
        m_lastRow = row;
    }

    // The rate, the message and the sample numbers of a timed file.
    void Finish(FileStruct& file, std::vector<ColumnStruct>& columns) {
        file.irregular = m_numbered && m_seen >= 2;
        if (m_numbered || m_rows < 2) {
            file.rateCode = 0;
            file.sampleCount = file.rowCount;
            return;
        }
        file.rateCode = m_rate;
        file.sampleCount = static_cast<size_t>(m_lastK) + 1;
        if (m_segments.size() == 1 && m_segments[0].row == m_segments[0].sample) return;
        for (ColumnStruct& column : columns) {
            size_t s = 0;
            for (double& sample : column.samples) {
                while (s + 1 < m_segments.size() && m_segments[s + 1].row <= sample)
                    ++s;
                sample = m_segments[s].sample + (sample - m_segments[s].row);
            }
        }
    }

private:
    bool TextTimes() const { return m_mode >= 4 && m_mode <= 6; }

    void Number() {
        m_numbered = true;
        m_segments = {};
    }

    // Seconds after the first row's time; for clock times also its whole seconds.
    bool Elapsed(std::string_view field, double& seconds, LONGLONG& whole) {
        if (!TextTimes()) {
            double t = 0;
            if (!ParseNumber(field, m_decimal, t)) return false;
            if (m_rows == 0) m_origin = t;
            seconds = t - m_origin;
            if (m_mode == 2) seconds /= 1000.0;
            return true;
        }
        const CPreciseDateTime t = ParseTime(field, m_mode, m_today);
        if (t.GetStatus() != CPreciseDateTime::valid) return false;
        const LONGLONG ticks = t.GetTicks();
        if (m_rows == 0) m_originTicks = m_previousTicks = ticks;
        // A clock time before the last one is of the next day (of the next hour in mm:ss), as
        // the program's own exports wrap.
        if ((m_mode == 4 || m_mode == 5) && ticks < m_previousTicks)
            m_wrap +=
                m_mode == 4 ? CPreciseTimeSpan::kTicksPerHour : CPreciseTimeSpan::kTicksPerDay;
        m_previousTicks = ticks;
        const LONGLONG elapsed = ticks + m_wrap - m_originTicks;
        whole = elapsed / CPreciseTimeSpan::kTicksPerSecond;
        seconds = static_cast<double>(elapsed) / CPreciseTimeSpan::kTicksPerSecond;
        return true;
    }

    // From `row` on, sample numbers run on from `sample`: one entry per jump.
    struct Segment {
        double row, sample;
    };

    WORD m_mode;
    char m_decimal;
    CPreciseDateTime m_today;
    size_t m_seen = 0;
    size_t m_rows = 0;
    bool m_numbered = false;
    double m_origin = 0;
    LONGLONG m_originTicks = 0, m_previousTicks = 0, m_wrap = 0;
    WORD m_rate = 0;
    double m_interval = 0;
    double m_lastK = 0, m_lastRow = 0;
    std::vector<Segment> m_segments;
};

}  // namespace

std::vector<std::string> SplitLine(std::string_view line, char separator) {
    Reader reader(separator);
    reader.SetText(line, true);
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

namespace {

bool Ascii(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return (c & 0x80) == 0; });
}

FileStruct ParseSource(Source& source, std::string_view listSeparator,
                       std::string_view decimalSymbol, const CPreciseDateTime& today) {
    FileStruct file;
    while (source.Window().size() < 3 && source.More()) {
    }
    if (source.Window().substr(0, 3) == "\xEF\xBB\xBF") source.Consume(3);
    // Only the header and the time texts are kept as text, and ASCII reads the same either way:
    // whether the file is UTF-8 is asked once one of them holds anything else.
    int utf8 = -1;
    const auto text = [&](std::string& s) {
        if (Ascii(s)) return;
        if (utf8 < 0) utf8 = source.Utf8() ? 1 : 0;
        if (!utf8) s = platform::Cp1252ToUtf8(s);
    };
    // The result, with the header in UTF-8. It fills `file`, which goes back as it is: a copy
    // would hold the values twice.
    const auto finish = [&](Result result) {
        file.result = result;
        for (std::string& field : file.header)
            text(field);
    };

    bool held[256];
    while (!HeaderBytes(source.Window(), held) && source.More()) {
    }
    const char separator = ChooseSeparator(held, listSeparator);
    file.separator = separator ? separator : ',';
    Reader reader(separator ? separator : '\n');
    reader.SetText(source.Window(), source.Final());
    std::vector<std::string_view> fields;
    bool blank = false;
    const auto next = [&](size_t most) {
        for (;;) {
            const Got got = reader.Next(fields, blank, most);
            if (got != Got::more) return got == Got::record;
            source.Consume(reader.Pos());
            source.More();
            reader.SetText(source.Window(), source.Final());
        }
    };
    if (!next(kMaxColumns)) return file;
    // A file refused for its header is judged UTF-8 or not by its header alone.
    const auto refuse = [&](Result result) {
        source.Consume(reader.Pos());
        finish(result);
        return file;
    };
    if (fields.size() > kMaxColumns) return refuse(Result::tooManyColumns);
    for (std::string_view f : fields)
        file.header.emplace_back(Trim(f));
    if (!separator || file.header.size() < 2) return refuse(Result::noColumns);

    char decimal = 0;
    if (decimalSymbol.size() == 1 && decimalSymbol[0] != separator) decimal = decimalSymbol[0];
    // Fields apart by ";" are what a decimal-comma desktop writes: there "," is a decimal mark.
    if (separator == ';' && (decimal == 0 || decimal == '.')) decimal = ',';
    file.timeMode = TimeModeFromUnit(ColumnUnit(file.header[0]));
    Timing timing(file.timeMode, decimal, today);
    Columns columns(file.header.size() - 1, source, reader);
    const size_t n = columns.Count();
    size_t row = 0;
    size_t rows = 0;  // not blank
    std::string_view time;
    for (;;) {
        // The first two rows give the time texts: those are read in full.
        if (rows >= 2 && reader.NextPlain(columns, decimal, static_cast<double>(row), time)) {
            timing.Row(static_cast<double>(row), time);
            file.rowCount = ++row;
            continue;
        }
        if (!next(SIZE_MAX)) break;
        if (blank) {
            ++row;
            continue;
        }
        time = Trim(fields[0]);
        if (rows < 2) {
            (rows == 0 ? file.time0 : file.time1) = time;
            // The texts that are kept are known now: if all are ASCII, no verdict is wanted.
            if (rows == 1 && Ascii(file.time0) && Ascii(file.time1) &&
                std::all_of(file.header.begin(), file.header.end(),
                            [](const std::string& s) { return Ascii(s); }))
                source.StopChecking();
        }
        ++rows;
        timing.Row(static_cast<double>(row), time);
        const size_t count = std::min(fields.size() - 1, n);
        for (size_t c = 0; c < count; ++c) {
            double value;
            if (ParseNumber(fields[c + 1], decimal, value))
                columns.Append(c, static_cast<double>(row), value);
        }
        file.rowCount = ++row;
    }
    source.Consume(reader.Pos());

    std::vector<ColumnStruct>& list = columns.List();
    // Empty headings at the end, with nothing under them, are no columns.
    while (file.header.size() > 1 && file.header.back().empty() && list.back().values.empty()) {
        file.header.pop_back();
        list.pop_back();
    }
    const bool anyValue = std::any_of(list.begin(), list.end(),
                                      [](const ColumnStruct& c) { return !c.values.empty(); });
    if (file.header.size() < 2 || !anyValue) {
        file.rowCount = 0;
        finish(file.header.size() < 2 ? Result::noColumns : Result::noData);
        return file;
    }
    timing.Finish(file, list);
    text(file.time0);
    text(file.time1);
    if (file.timeMode >= 4 && file.timeMode <= 6) {
        const CPreciseDateTime first = ParseTime(file.time0, file.timeMode, today);
        if (first.GetStatus() == CPreciseDateTime::valid) file.start = first;
    }
    columns.Fit();
    file.columns = std::move(list);
    finish(Result::ok);
    return file;
}

}  // namespace

FileStruct Parse(std::string_view bytes, std::string_view listSeparator,
                 std::string_view decimalSymbol, const CPreciseDateTime& today) {
    Source source(bytes);
    return ParseSource(source, listSeparator, decimalSymbol, today);
}

FileStruct Parse(const ReadBytes& read, ULONGLONG size, std::string_view listSeparator,
                 std::string_view decimalSymbol, const CPreciseDateTime& today) {
    Source source(read, size);
    return ParseSource(source, listSeparator, decimalSymbol, today);
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

std::string UnreadTimeUnit(std::string_view heading) {
    if (heading.find('(') == std::string_view::npos) return {};
    std::string unit = ColumnUnit(heading);
    for (const char* read : {"ms", "s", "mm:ss", "hh:mm:ss", "Date"})
        if (unit == read) return {};
    return unit;
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
