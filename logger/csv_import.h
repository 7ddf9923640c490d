#pragma once
// Reading comma-separated text files into columns: the parser of File > Import CSV File. No
// window is needed here; the document turns the result into an experiment and its data sets.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "logger/precise_time.h"
#include "platform/base/file_limit.h"
#include "platform/base/types.h"

namespace csv {

struct ColumnStruct {
    // Sample numbers, ascending, of the rows that hold a number: their times in steps of the
    // rate when the file is timed, else the rows' own numbers.
    std::vector<double> samples;
    std::vector<double> values;
};

enum class Result { ok, noColumns, noData, tooManyColumns };

// No data logger writes a file nearly so large: a larger one is refused unread.
inline platform::FileSizeLimit fileLimit{256ull << 20};
// Nor nearly so many columns, the time column among them; a wider header is
// refused before its fields are kept.
constexpr size_t kMaxColumns = 4096;

// The start of a file whose times say none: 18 July 2002, midnight.
CPreciseDateTime DefaultStart();

struct FileStruct {
    Result result = Result::noColumns;
    char separator = ',';
    std::vector<std::string> header;    // the header's fields, unquoted, UTF-8
    std::vector<ColumnStruct> columns;  // one per value column (header fields 1 to n)
    std::string time0, time1;           // field 0 of the first two rows, unquoted and trimmed
    size_t rowCount = 0;                // rows after the header, blank lines at the end not counted
    // How the rows' times read: the mode the time column's unit gives, and the rate their steps
    // give (0: the samples are numbered). A timed file's samples are numbered by their times, so
    // a row after a jump of whole steps leaves the samples between as gaps.
    WORD timeMode = 3;
    WORD rateCode = 0;
    // The times step irregularly (off the rate's steps, back, repeated, unreadable), so the
    // samples are numbered by row instead; the user is to be told.
    bool irregular = false;
    CPreciseDateTime start = DefaultStart();
    size_t sampleCount = 0;  // one past the last sample number
};

// Bytes in: UTF-8 (a byte-order mark dropped) or, when not valid UTF-8, Windows-1252. Lines end
// in LF, CRLF or CR; quoted fields may hold the separator, doubled quotes and line breaks.
// `listSeparator` and `decimalSymbol` are the document's; the separator is the list separator
// when the header holds it outside quotes, else the first of ",", ";" and tab that it holds.
// With ";" between fields a "," is a decimal mark too, as a decimal-comma desktop writes it.
// Empty headings at the header's end with no values under them make no column. A refused file
// (no value column, no number in any, more than kMaxColumns) comes back with no columns.
// `today` dates the times of modes 4 and 5. The bytes are read in one pass: memory follows the
// values, never the whole text.
FileStruct Parse(std::string_view bytes, std::string_view listSeparator,
                 std::string_view decimalSymbol, const CPreciseDateTime& today = DefaultStart());
// Where a file's bytes come from, in order: up to `size` of them into `to`, and how many; 0 at
// the end. It may throw; Parse lets it through.
using ReadBytes = std::function<size_t(char* to, size_t size)>;
// The same, read from `read` a window at a time; `size` (what the file is expected to hold)
// sizes the columns ahead.
FileStruct Parse(const ReadBytes& read, ULONGLONG size, std::string_view listSeparator,
                 std::string_view decimalSymbol, const CPreciseDateTime& today);

// One line's fields, unquoted, split at `separator` outside quotes.
std::vector<std::string> SplitLine(std::string_view line, char separator);

// A field read as a number: blanks trimmed, all of it a number with "." or `decimal` (0 for
// none) as the decimal point. False for empty, text and non-finite fields.
bool ParseNumber(std::string_view field, char decimal, double& value);

// Header field parts: the name is the text before the first "(" without surrounding blanks, the
// unit the rest without leading "(" and trailing ")". A field without "(" is all unit.
std::string ColumnName(std::string_view field);
std::string ColumnUnit(std::string_view field);

// 2 ms, 3 s, 4 mm:ss, 5 hh:mm:ss, 6 Date; anything else 3.
WORD TimeModeFromUnit(std::string_view unit);
// The unit a time heading names in parentheses when it is none of those five ("min", "\xC2\xB5s");
// empty for those and for a heading without one ("Time").
std::string UnreadTimeUnit(std::string_view heading);

// A time field of modes 4 to 6 (`today` gives the date in modes 4 and 5); the status is invalid
// when the text does not read as a date and time.
CPreciseDateTime ParseTime(std::string_view text, WORD mode, const CPreciseDateTime& today);

// The largest sample number a timed file's jumps may reach: far more rows than the largest file
// holds, and a table of that many rows still scrolls.
constexpr double kMaxSampleNumber = double(1 << 26);

// The rate code of the step from t0 to t1: 0 for a zero step, else the first code (1 to 255)
// whose interval is the step within kStepTolerance relative; none when no code's is, and the
// samples are then numbered. Mode 2 steps are milliseconds.
constexpr double kStepTolerance = 1e-5;
std::optional<WORD> RateCodeFromStep(double t1, double t0, WORD mode);
// Whole seconds between two time texts as the step; none also when either text does not read.
std::optional<WORD> RateCodeFromTimes(std::string_view text0, std::string_view text1, WORD mode,
                                      const CPreciseDateTime& today);

}  // namespace csv
