#pragma once
// The delimited text the spreadsheet export writes: one column per data set, rows by sample
// number. No window code; the caller supplies the time column's texts.

#include <algorithm>
#include <functional>
#include <vector>

#include <QByteArray>

#include "platform/base/cstring.h"
#include "platform/base/types.h"

class CDataTreeBrench;
class QLocale;

struct ExportSeparators {
    CString list = ",";
    CString decimal = ".";
};

// The locale's decimal symbol, and ";" as the list separator where that symbol is "," (else ","):
// a spreadsheet there splits on ";", and a decimal comma never splits a value.
ExportSeparators LocaleExportSeparators(const QLocale& locale);

struct ExportTable {
    std::vector<const CDataTreeBrench*> sets;
    bool timeColumn = true;
    CString timeHeader;                         // "Samples" or "Time(s)"
    std::function<CString(LONG row)> timeCell;  // the row's time; the row number when empty
    int temperatureUnit = 0;
    int pressureUnit = 0;
    ExportSeparators separators;
};

// The last row: the largest last sample number of the sets that hold values; -1 when none does.
LONG ExportLastRow(const std::vector<const CDataTreeBrench*>& sets);

// The whole file: UTF-8 with a byte-order mark, CRLF line ends; a name or unit holding the list
// separator, a quote or a line break is quoted. Empty sets are left out.
QByteArray ExportText(const ExportTable& table);
