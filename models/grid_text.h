#pragma once
// The grid's text rules, free of any window: what a pasted number is, how pasted lines split into
// fields, the comma-separated files it writes and reads, and how printed rows fall on pages.

#include <string_view>
#include <vector>

#include "platform/base/cstring.h"

namespace grid_text {

// A whole decimal number: an optional sign, digits with an optional point (or a point and
// digits), and an optional exponent of either case with an optional sign and digits.
bool IsNumber(std::string_view token);
// The fields of a pasted line: split at every run of tabs, commas and newlines; empty fields
// vanish.
std::vector<CString> SplitFields(std::string_view line);
// Every token of the text is a number once cut at its first carriage return and trimmed of
// blanks; a text without tokens counts as numeric.
bool IsNumericText(std::string_view text);

// One field of a comma-separated line, quoted as RFC 4180 asks when it holds a comma, a quote,
// a line break or blanks at either end.
CString CsvField(const CString& text);
// The records of comma-separated text: quoted fields may hold commas, doubled quotes and line
// breaks; lines end in LF or CR LF. A final line break ends the last record, it does not start
// another.
std::vector<std::vector<CString>> ParseCsv(std::string_view text);

// The most a reader takes of comma-separated text: records, fields in one record, and fields in
// all. Each record and field costs far more memory as cells than as text, so a file within its
// size limit can still be too much.
struct CsvLimits {
    size_t records;
    size_t fieldsPerRecord;
    size_t fields;
};
enum class CsvOverflow { none, records, fieldsPerRecord, fields };
// The same as ParseCsv while the text stays within `limits`; on the first step past one it stops,
// leaves `records` empty and says which.
CsvOverflow ParseCsv(std::string_view text, const CsvLimits& limits,
                     std::vector<std::vector<CString>>& records);

// Printed rows: a page's rows area holds max(1, pageHeight / rowHeight) rows.
struct PageSplit {
    int rowsPerPage = 1;
    int pages = 1;
    // The rows (counted from the first printed one) of page p, from 1: [first, end).
    int FirstRow(int page) const { return (page - 1) * rowsPerPage; }
};
PageSplit SplitRowsIntoPages(int rows, int pageHeight, int rowHeight);

}  // namespace grid_text
