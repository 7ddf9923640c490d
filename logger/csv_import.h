#pragma once
// Reading comma-separated text files into columns: the parser of File > Import CSV File. No
// window is needed here; the document turns the result into an experiment and its data sets.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "logger/precise_time.h"
#include "platform/base/file_limit.h"
#include "platform/base/types.h"

namespace csv {

struct ColumnStruct {
    std::vector<double> samples;  // row numbers, ascending, of the rows that hold a number
    std::vector<double> values;
};

enum class Result { ok, noColumns, noData, tooManyColumns };

// No data logger writes a file nearly so large: a larger one is refused unread.
inline platform::FileSizeLimit fileLimit{256ull << 20};
// Nor nearly so many columns, the time column among them; a wider header is
// refused before its fields are kept.
constexpr size_t kMaxColumns = 4096;

struct FileStruct {
    Result result = Result::noColumns;
    char separator = ',';
    std::vector<std::string> header;    // the header's fields, unquoted, UTF-8
    std::vector<ColumnStruct> columns;  // one per value column (header fields 1 to n)
    std::string time0, time1;           // field 0 of rows 0 and 1, unquoted and trimmed
    size_t rowCount = 0;                // rows after the header, blank lines at the end not counted
};

// Bytes in: UTF-8 (a byte-order mark dropped) or, when not valid UTF-8, Windows-1252. Lines end
// in LF, CRLF or CR; quoted fields may hold the separator, doubled quotes and line breaks.
// `listSeparator` and `decimalSymbol` are the document's; the separator is the list separator
// when the header holds it outside quotes, else the first of ",", ";" and tab that it holds.
// A refused file (no value column, no data row, more than kMaxColumns) comes back with no columns.
FileStruct Parse(std::string_view bytes, std::string_view listSeparator,
                 std::string_view decimalSymbol);

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

// A time field of modes 4 to 6 (`today` gives the date in modes 4 and 5); the status is invalid
// when the text does not read as a date and time.
CPreciseDateTime ParseTime(std::string_view text, WORD mode, const CPreciseDateTime& today);

// The rate code of the step from t0 to t1: 0 for a zero step, else the first code (1 to 255)
// whose interval is the step within kStepTolerance relative; none when no code's is, and the
// samples are then numbered. Mode 2 steps are milliseconds.
constexpr double kStepTolerance = 1e-5;
std::optional<WORD> RateCodeFromStep(double t1, double t0, WORD mode);
// Whole seconds between two time texts as the step; none also when either text does not read.
std::optional<WORD> RateCodeFromTimes(std::string_view text0, std::string_view text1, WORD mode,
                                      const CPreciseDateTime& today);

// The start of a file whose times say none: 18 July 2002, midnight.
CPreciseDateTime DefaultStart();

}  // namespace csv
