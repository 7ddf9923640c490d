#include "logger/csv_import.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "models/graph_axis.h"

namespace {

using csv::ColumnStruct;
using csv::FileStruct;
using csv::Result;

FileStruct Read(std::string_view bytes, std::string_view list = ",", std::string_view dec = ".") {
    return csv::Parse(bytes, list, dec);
}

void ExpectColumn(const ColumnStruct& c, std::vector<double> samples, std::vector<double> values) {
    EXPECT_EQ(c.samples, samples);
    ASSERT_EQ(c.values.size(), values.size());
    for (size_t i = 0; i < values.size(); ++i)
        EXPECT_DOUBLE_EQ(c.values[i], values[i]) << i;
}

TEST(CsvImport, SpreadsheetExportsReadToTheSameColumns) {
    // Windows-1252 "°" (0xB0), CRLF, the program's list separator.
    const FileStruct ansi = Read(
        "Time (s),Temperature (\xB0"
        "C),Light (%)\r\n0,21.5,40\r\n0.1,21.75,41\r\n0.2,22,42\r\n");
    // A German-locale export: UTF-8 with BOM, ";" and decimal commas, read in that locale.
    const FileStruct german = Read(
        "\xEF\xBB\xBFTime (s);Temperature (\xC2\xB0"
        "C);Light (%)\r\n0;21,5;40\r\n"
        "0,1;21,75;41\r\n0,2;22;42\r\n",
        ";", ",");
    // The same file opened in a "." locale whose list separator is ",": the separator is found.
    const FileStruct germanInComma = Read(
        "\xEF\xBB\xBFTime (s);Temperature (\xC2\xB0"
        "C);Light (%)\r\n0;21,5;40\r\n"
        "0,1;21,75;41\r\n0,2;22;42\r\n",
        ",", ",");
    for (const FileStruct* f : {&ansi, &german, &germanInComma}) {
        ASSERT_EQ(f->result, Result::ok);
        ASSERT_EQ(f->columns.size(), 2u);
        EXPECT_EQ(csv::ColumnName(f->header[1]), "Temperature");
        EXPECT_EQ(csv::ColumnUnit(f->header[1]),
                  "\xC2\xB0"
                  "C");
        EXPECT_EQ(csv::ColumnUnit(f->header[2]), "%");
        EXPECT_EQ(f->rowCount, 3u);
        ExpectColumn(f->columns[0], {0, 1, 2}, {21.5, 21.75, 22});
        ExpectColumn(f->columns[1], {0, 1, 2}, {40, 41, 42});
        for (const auto& field : f->header)
            EXPECT_EQ(field.find('\r'), std::string::npos);
    }
    double t0 = 0, t1 = 0;
    ASSERT_TRUE(csv::ParseNumber(german.time1, ',', t1));
    ASSERT_TRUE(csv::ParseNumber(german.time0, ',', t0));
    EXPECT_EQ(csv::RateCodeFromStep(t1, t0, 3), WORD(49));
}

TEST(CsvImport, QuotedFieldsHoldSeparatorsQuotesAndLineBreaks) {
    const FileStruct f = Read(
        "Time (s),\"Force, left (N)\",\"Note \"\"A\"\" (V)\",\"Two\r\nlines (m)\"\n"
        "0,\"1,5\",\"2\",3\n1,4,5,6\n",
        ",", ",");
    ASSERT_EQ(f.result, Result::ok);
    ASSERT_EQ(f.columns.size(), 3u);
    EXPECT_EQ(csv::ColumnName(f.header[1]), "Force, left");
    EXPECT_EQ(csv::ColumnUnit(f.header[1]), "N");
    EXPECT_EQ(csv::ColumnName(f.header[2]), "Note \"A\"");
    EXPECT_EQ(csv::ColumnUnit(f.header[2]), "V");
    EXPECT_EQ(csv::ColumnName(f.header[3]), "Two\nlines");
    // "," is the separator, so it is no decimal point: the quoted "1,5" is text.
    ExpectColumn(f.columns[0], {1}, {4});
    ExpectColumn(f.columns[1], {0, 1}, {2, 5});
}

TEST(CsvImport, GapsStayGapsAndTrailingBlankLinesAreNoRows) {
    const FileStruct f =
        Read("Time (s),A (V),B (V)\n0,1,2\n1,,3\n2,#N/A,4\n\n4,5\n5, 6 ,7\n\n  \n");
    ASSERT_EQ(f.result, Result::ok);
    EXPECT_EQ(f.rowCount, 6u);
    ExpectColumn(f.columns[0], {0, 4, 5}, {1, 5, 6});
    ExpectColumn(f.columns[1], {0, 1, 2, 5}, {2, 3, 4, 7});
}

TEST(CsvImport, RefusedFilesYieldNoColumns) {
    EXPECT_EQ(Read("Time\n0\n1\n").result, Result::noColumns);
    EXPECT_EQ(Read("").result, Result::noColumns);
    const FileStruct headerOnly = Read("Time (s),A (V)\r\n\r\n");
    EXPECT_EQ(headerOnly.result, Result::noData);
    EXPECT_TRUE(headerOnly.columns.empty());
    const FileStruct one = Read("Time (s),A (V)\n0,1\n");
    ASSERT_EQ(one.result, Result::ok);
    EXPECT_EQ(one.rowCount, 1u);
}

TEST(CsvImport, LineEndsOfEveryKind) {
    for (std::string_view text :
         {"T (s),A (V)\r1,2\r3,4\r", "T (s),A (V)\n1,2\n3,4", "T (s),A (V)\r\n1,2\r\n3,4\r\n"}) {
        const FileStruct f = Read(text);
        ASSERT_EQ(f.result, Result::ok) << text;
        ExpectColumn(f.columns[0], {0, 1}, {2, 4});
        EXPECT_EQ(f.time1, "3");
    }
}

TEST(CsvImport, NumbersParseWholeOrNotAtAll) {
    struct Case {
        const char* text;
        char decimal;
        bool ok;
        double value;
    } cases[] = {
        {" 21.5 ", 0, true, 21.5}, {"21,5", ',', true, 21.5}, {"21,5", 0, false, 0},
        {"1e3", 0, true, 1000},    {"-0.25", 0, true, -0.25}, {"+2", 0, true, 2},
        {"12abc", 0, false, 0},    {"", 0, false, 0},         {"#N/A", 0, false, 0},
        {"nan", 0, false, 0},      {"inf", 0, false, 0},      {"1.5.2", 0, false, 0},
    };
    for (const Case& c : cases) {
        double v = 0;
        EXPECT_EQ(csv::ParseNumber(c.text, c.decimal, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_DOUBLE_EQ(v, c.value) << c.text;
        }
    }
}

TEST(CsvImport, PlainDecimalsReadExactlyAsTheGeneralRoutine) {
    for (const char* text : {"0.1", "123.456", "-4.013", "0.000000000000001", "999999999999999",
                             "9999999999999999", "1.7976931348623157", "5.", ".5"}) {
        double v = 0;
        ASSERT_TRUE(csv::ParseNumber(text, 0, v)) << text;
        EXPECT_EQ(v, std::strtod(text, nullptr)) << text;
    }
}

// Plain rows are read in one pass; every other row goes the general way. Both must give what
// the field-by-field reading gives.
TEST(CsvImport, EveryRowReadsAsItsFieldsDo) {
    const std::vector<std::string> rows = {
        "0,1,2",
        "1,3,4",
        "2, 5 ,-6.5",
        "3,,7",
        "4,#N/A,8",
        "5,+6,1e3",
        "6,\"8\",9",
        "7,-,.",
        "8,1.2.3,2",
        "9,21;5,3",
        "10,12345678901234567,1",
        "11,1,2,3,4",
        "12,  ,  ",
        "13,7\r14,8",
        "15,0.5 x,1",
        "16,9,10",
    };
    std::string text = "Time (s),A (V),B (V)\n";
    for (const std::string& r : rows)
        text += r + "\n";
    const FileStruct file = Read(text);
    ASSERT_EQ(file.result, Result::ok);
    std::vector<ColumnStruct> expect(2);
    double row = 0;
    for (const std::string& r : rows) {
        for (const std::string& line :
             {r.substr(0, r.find('\r')),
              r.find('\r') == std::string::npos ? std::string() : r.substr(r.find('\r') + 1)}) {
            if (line.empty()) continue;
            const std::vector<std::string> fields = csv::SplitLine(line, ',');
            for (size_t c = 0; c < 2 && c + 1 < fields.size(); ++c) {
                double v = 0;
                if (csv::ParseNumber(fields[c + 1], 0, v)) {
                    expect[c].samples.push_back(row);
                    expect[c].values.push_back(v);
                }
            }
            ++row;
        }
    }
    EXPECT_EQ(file.rowCount, static_cast<size_t>(row));
    for (size_t c = 0; c < 2; ++c) {
        EXPECT_EQ(file.columns[c].samples, expect[c].samples) << c;
        EXPECT_EQ(file.columns[c].values, expect[c].values) << c;
    }
}

TEST(CsvImport, ColumnNamesAndUnits) {
    struct Case {
        const char* field;
        const char* name;
        const char* unit;
    } cases[] = {
        {"Time (s)", "Time", "s"},
        {"(((kPa)))", "", "kPa"},
        {"Time", "", "Time"},
        {"Pressure (kPa)", "Pressure", "kPa"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(csv::ColumnName(c.field), c.name) << c.field;
        EXPECT_EQ(csv::ColumnUnit(c.field), c.unit) << c.field;
    }
    EXPECT_EQ(csv::TimeModeFromUnit("ms"), 2);
    EXPECT_EQ(csv::TimeModeFromUnit("s"), 3);
    EXPECT_EQ(csv::TimeModeFromUnit("mm:ss"), 4);
    EXPECT_EQ(csv::TimeModeFromUnit("hh:mm:ss"), 5);
    EXPECT_EQ(csv::TimeModeFromUnit("Date"), 6);
    EXPECT_EQ(csv::TimeModeFromUnit("date"), 3);
    EXPECT_EQ(csv::TimeModeFromUnit("Time"), 3);
}

TEST(CsvImport, ParseTime) {
    const CPreciseDateTime today(2026, 3, 9, 15, 4, 5);
    struct Case {
        const char* text;
        WORD mode;
        CPreciseDateTime expect;  // invalid when the text must not read
    } cases[] = {
        {"25/12/08 10:00:00", 6, CPreciseDateTime(2008, 12, 25, 10, 0, 0)},
        {"25-12-2008 10:00:00:500", 6, CPreciseDateTime(2008, 12, 25, 10, 0, 0, 500)},
        {"25/12/0810:00:01", 6, CPreciseDateTime(2008, 12, 25, 10, 0, 1)},
        {"03:07", 4, CPreciseDateTime(2026, 3, 9, 0, 3, 7)},
        {"10:20:30", 5, CPreciseDateTime(2026, 3, 9, 10, 20, 30)},
        {"25/12/08", 6, CPreciseDateTime(0, CPreciseDateTime::invalid)},
        {"3:7", 4, CPreciseDateTime(0, CPreciseDateTime::invalid)},
        {"31/02/08 10:00:00", 6, CPreciseDateTime(0, CPreciseDateTime::invalid)},
        {"ab:cd:ef", 5, CPreciseDateTime(0, CPreciseDateTime::invalid)},
        {"10:00:00", 3, CPreciseDateTime(0, CPreciseDateTime::invalid)},
    };
    for (const Case& c : cases) {
        const CPreciseDateTime got = csv::ParseTime(c.text, c.mode, today);
        if (c.expect.GetStatus() == CPreciseDateTime::valid) {
            EXPECT_EQ(got, c.expect) << c.text;
        } else {
            EXPECT_NE(got.GetStatus(), CPreciseDateTime::valid) << c.text;
        }
    }
}

TEST(CsvImport, RateCodes) {
    constexpr std::optional<WORD> kNone;  // no rate's interval: the samples are numbered
    struct Step {
        double t1, t0;
        WORD mode;
        std::optional<WORD> code;
    } steps[] = {
        {0.1, 0, 3, 49},        // 0.1 s: 49 is the first code of that interval (128 the basic's)
        {1, 0, 3, 41},          // 1 s: 41 before 64
        {0.4, 0.3, 3, 49},      // 0.1 s less a rounding in the last digit
        {0.1000001, 0, 3, 49},  // a time written to 7 digits: 1e-6 off, within the tolerance
        {0.1001, 0, 3, kNone},  // 1e-3 off is another step
        {1.5, 1, 3, kNone},     // 0.5 s: no code has it
        {3, 0, 3, kNone},      {0, 1, 3, kNone},  // backwards
        {5, 5, 3, 0},                             // no step at all
        {1, 0, 2, 255},                           // 1 ms
        {100, 0, 2, 49},                          // 100 ms
        {500, 0, 2, kNone},
    };
    for (const Step& s : steps)
        EXPECT_EQ(csv::RateCodeFromStep(s.t1, s.t0, s.mode), s.code) << s.t1 << " " << s.t0;
    const CPreciseDateTime today(2026, 3, 9, 0, 0, 0);
    EXPECT_EQ(csv::RateCodeFromTimes("25/12/08 10:00:00", "25/12/08 10:00:01", 6, today), 41);
    EXPECT_EQ(csv::RateCodeFromTimes("25/12/08 10:00:00", "25/12/08 10:00:03", 6, today), kNone);
    // Whole seconds: half a second apart is no step.
    EXPECT_EQ(csv::RateCodeFromTimes("25/12/08 10:00:00:000", "25/12/08 10:00:00:500", 6, today),
              0);
    EXPECT_EQ(csv::RateCodeFromTimes("x", "25/12/08 10:00:01", 6, today), kNone);
}

// Every row's time is read: a timed file numbers its samples by their times in steps of the
// rate, so a jump of whole steps keeps its times and leaves gaps; any other step numbers them by
// row, and the file says so.
TEST(CsvImport, EveryRowsTimeNumbersItsSamples) {
    const CPreciseDateTime today(2026, 3, 9, 15, 4, 5);
    struct Case {
        const char* name;
        std::string text;
        WORD rate;
        bool irregular;
        std::vector<double> samples;  // of the first value column
    } cases[] = {
        {"jump",
         "Time (s),A (V)\n0,1\n1,2\n2,3\n3,4\n10,5\n11,6\n12,7\n",
         41,
         false,
         {0, 1, 2, 3, 10, 11, 12}},
        {"jump of milliseconds",
         "Time (ms),A (V)\n0,1\n100,2\n200,3\n500,4\n",
         49,
         false,
         {0, 1, 2, 5}},
        {"a blank line takes no place",
         "Time (s),A (V)\n0,1\n1,2\n\n2,3\n3,4\n",
         41,
         false,
         {0, 1, 2, 3}},
        {"gaps after the jump", "Time (s),A (V),B (V)\n0,1,1\n1,,2\n5,3,3\n", 41, false, {0, 5}},
        {"over midnight",
         "Time (hh:mm:ss),A (V)\n23:59:58,1\n23:59:59,2\n00:00:00,3\n00:00:02,4\n",
         41,
         false,
         {0, 1, 2, 4}},
        {"first step over midnight",
         "Time (hh:mm:ss),A (V)\n23:59:59,1\n00:00:00,2\n00:00:01,3\n",
         41,
         false,
         {0, 1, 2}},
        {"over the hour",
         "Time (mm:ss),A (V)\n59:58,1\n59:59,2\n00:00,3\n00:01,4\n",
         41,
         false,
         {0, 1, 2, 3}},
        {"dates",
         "Time (Date),A (V)\n31/12/25 23:59:59,1\n01/01/26 00:00:00,2\n01/01/26 00:00:03,3\n",
         41,
         false,
         {0, 1, 4}},
        {"seven digits",
         "Time (s),A (V)\n0,1\n0.1000001,2\n0.2000002,3\n0.3000003,4\n",
         49,
         false,
         {0, 1, 2, 3}},
        {"one row", "Time (s),A (V)\n5,1\n", 0, false, {0}},
        {"two and a half steps",
         "Time (s),A (V)\n0,1\n1,2\n2,3\n4.5,4\n5.5,5\n",
         0,
         true,
         {0, 1, 2, 3, 4}},
        {"back", "Time (s),A (V)\n0,1\n1,2\n2,3\n1.5,4\n", 0, true, {0, 1, 2, 3}},
        {"repeated", "Time (s),A (V)\n0,1\n1,2\n1,3\n2,4\n", 0, true, {0, 1, 2, 3}},
        {"repeated first", "Time (s),A (V)\n5,1\n5,2\n6,3\n", 0, true, {0, 1, 2}},
        {"unreadable", "Time (s),A (V)\n0,1\n1,2\nlater,3\n3,4\n", 0, true, {0, 1, 2, 3}},
        // Numbered by row, a blank line keeps its place.
        {"numbered with a blank line", "Time (s),A (V)\n0,1\n0.5,2\n\n1,3\n", 0, true, {0, 1, 3}},
        {"off the steps late",
         "Time (s),A (V)\n0,1\n1,2\n2,3\n3,4\n4.2,5\n",
         0,
         true,
         {0, 1, 2, 3, 4}},
        {"dates back",
         "Time (Date),A (V)\n01/01/26 10:00:01,1\n01/01/26 10:00:02,2\n"
         "01/01/26 10:00:00,3\n",
         0,
         true,
         {0, 1, 2}},
        {"milliseconds off the whole seconds",
         "Time (Date),A (V)\n01/01/26 10:00:00:000,1\n01/01/26 10:00:01:000,2\n"
         "01/01/26 10:00:02:500,3\n",
         0,
         true,
         {0, 1, 2}},
        {"a jump past any table", "Time (s),A (V)\n0,1\n1,2\n1e9,3\n", 0, true, {0, 1, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FileStruct f = csv::Parse(c.text, ",", ".", today);
        ASSERT_EQ(f.result, Result::ok);
        EXPECT_EQ(f.rateCode, c.rate);
        EXPECT_EQ(f.irregular, c.irregular);
        EXPECT_EQ(f.columns[0].samples, c.samples);
        EXPECT_EQ(f.sampleCount, c.rate ? size_t(c.samples.back()) + 1 : f.rowCount);
    }
    const FileStruct midnight = csv::Parse(cases[4].text, ",", ".", today);
    EXPECT_EQ(midnight.start, CPreciseDateTime(2026, 3, 9, 23, 59, 58));
}

// Long runs as the program's own export writes their times stay timed to the last row.
TEST(CsvImport, LongExportsStayTimed) {
    struct Case {
        const char* header;
        double interval;
        int mode;
        CPreciseDateTime start;
        WORD rate;
    } cases[] = {
        {"Time (s)", 0.02, 3, CPreciseDateTime(2002, 7, 18, 0, 0, 0), 51},
        {"Time (hh:mm:ss)", 1, 5, CPreciseDateTime(2026, 3, 9, 23, 0, 0), 41},
    };
    constexpr int kRows = 100000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.header);
        std::string text = std::string(c.header) + ",A (V)\r\n";
        for (int r = 0; r < kRows; ++r)
            text +=
                graph_axis::TimeValueText(c.start, c.interval, c.interval, c.mode, 0, r, 0).str() +
                "," + std::to_string(r % 7) + "\r\n";
        const FileStruct f = csv::Parse(text, ",", ".", c.start);
        ASSERT_EQ(f.result, Result::ok);
        EXPECT_EQ(f.rateCode, c.rate);
        EXPECT_FALSE(f.irregular);
        ASSERT_EQ(f.columns[0].samples.size(), size_t(kRows));
        EXPECT_EQ(f.columns[0].samples.back(), kRows - 1);
        EXPECT_EQ(f.sampleCount, size_t(kRows));
    }
}

TEST(CsvImport, EmptyHeadingsAtTheEndMakeNoColumns) {
    struct Case {
        const char* text;
        size_t columns;
        Result result;
    } cases[] = {
        {"Time (s),Temp (C),Volt (V),\n0,1,2,\n1,2,3,\n", 2, Result::ok},
        {"Time (s),Temp (C),, ,\"\"\n0,1\n1,2\n", 1, Result::ok},
        // Values under an empty heading are a column still.
        {"Time (s),Temp (C),\n0,1,5\n1,2,6\n", 2, Result::ok},
        {"Time (s),\n0,\n1,\n", 0, Result::noColumns},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const FileStruct f = Read(c.text);
        EXPECT_EQ(f.result, c.result);
        EXPECT_EQ(f.columns.size(), c.columns);
        if (c.result == Result::ok) {
            EXPECT_EQ(f.header.size(), c.columns + 1);
        }
    }
}

TEST(CsvImport, SemicolonsSeparateFieldsWithDecimalCommas) {
    // The text a decimal-comma desktop's export writes, in Windows-1252.
    const std::string europe =
        "Zeit (s);Temperatur (\xB0"
        "C);Spannung (V)\r\n0;20,0;3,3\r\n0,1;20,5;3,4\r\n0,2;21;3.5\r\n";
    using Desktop = std::pair<const char*, const char*>;  // list separator, decimal symbol
    for (auto [list, decimal] : {Desktop{",", "."}, Desktop{";", ","}, Desktop{",", ","}}) {
        SCOPED_TRACE(std::string(list) + decimal);
        const FileStruct f = Read(europe, list, decimal);
        ASSERT_EQ(f.result, Result::ok);
        EXPECT_EQ(f.separator, ';');
        EXPECT_EQ(f.rateCode, 49);
        EXPECT_FALSE(f.irregular);
        ExpectColumn(f.columns[0], {0, 1, 2}, {20, 20.5, 21});
        ExpectColumn(f.columns[1], {0, 1, 2}, {3.3, 3.4, 3.5});
        EXPECT_EQ(csv::ColumnUnit(f.header[1]),
                  "\xC2\xB0"
                  "C");
    }
    EXPECT_EQ(Read("Time (s);Note\n0;start\n1;stop\n").result, Result::noData);
    EXPECT_EQ(Read("Time (s),A (V)\n0,#N/A\n1,\n").result, Result::noData);
}

TEST(CsvImport, TimeUnitsNotRead) {
    struct Case {
        const char* heading;
        const char* unit;
    } cases[] = {
        {"Time (\xC2\xB5s)", "\xC2\xB5s"},
        {"Time (min)", "min"},
        {"Time", ""},
        {"Time ()", ""},
        {"Time (s)", ""},
        {"Time (ms)", ""},
        {"Zeit (Date)", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(csv::UnreadTimeUnit(c.heading), c.unit) << c.heading;
}

// A file read a few bytes at a time, as a slow device gives it, reads as it does whole: records,
// quotes, line ends and the encoding's verdict across the pieces' edges.
TEST(CsvImport, ReadInPiecesAsWhole) {
    std::string long1252 = "Time (s),T (\xB0)\r\n";
    for (int r = 0; r < 3000; ++r)
        long1252 += std::to_string(r) + "," + std::to_string(r % 13) + ".25\r\n";
    long1252 += "3000,\"1\xB0\"\r\n";  // the one byte that is no UTF-8 comes last
    const std::string texts[] = {
        "\xEF\xBB\xBFTime (s),\"Force, left (N)\",\"Two\r\nlines (m)\"\r\n0,\"1,5\",2\r\n"
        "1,3,\"4\"\"\"\r\n2,  5 ,6 \r\n\r\n3,7\r8,9\n",
        "Time (s);A (V);B (V)\n0;1,5;2\n0,1;\"3\";4,25\n0,2;;\n",
        "Time (s),A (V)\n0,1\n1,2\n2,3\n10,4\n11,5\n",
        "Time (s),A (V)\r\r\n0,1\r\n\r\n1,2",
        long1252,
        // Tabs between fields are no blanks, however many rows read the quick way.
        "Time (s)\tA (V)\tB (V)\n0\t\t2.5\n1\t1\t\n2\t\t3\n3\t \"4\"\t\t\n",
        // A file refused for its header is judged by its header's bytes, not by the window's.
        std::string("\xEF\xBB\xBF\n\n,-\xEF\xBB\xBF\r\n\xEF\xBB\xBF;\t", 17),
    };
    for (const std::string& text : texts) {
        const FileStruct whole = Read(text);
        for (size_t piece : {1, 2, 3, 7, 64, 100000}) {
            SCOPED_TRACE(piece);
            size_t at = 0;
            const csv::ReadBytes read = [&](char* to, size_t size) {
                const size_t n = std::min({size, text.size() - at, piece});
                std::memcpy(to, text.data() + at, n);
                at += n;
                return n;
            };
            const FileStruct f = csv::Parse(read, text.size(), ",", ".", csv::DefaultStart());
            ASSERT_EQ(f.result, whole.result);
            EXPECT_EQ(f.header, whole.header);
            EXPECT_EQ(f.time0, whole.time0);
            EXPECT_EQ(f.time1, whole.time1);
            EXPECT_EQ(f.rowCount, whole.rowCount);
            EXPECT_EQ(f.rateCode, whole.rateCode);
            ASSERT_EQ(f.columns.size(), whole.columns.size());
            for (size_t c = 0; c < f.columns.size(); ++c) {
                EXPECT_EQ(f.columns[c].samples, whole.columns[c].samples) << c;
                EXPECT_EQ(f.columns[c].values, whole.columns[c].values) << c;
            }
        }
    }
    EXPECT_EQ(Read(long1252).header[1], "T (\xC2\xB0)");
    const FileStruct tabs = Read(texts[5]);
    ASSERT_EQ(tabs.columns.size(), 2u);
    ExpectColumn(tabs.columns[0], {1, 3}, {1, 4});
    ExpectColumn(tabs.columns[1], {0, 2}, {2.5, 3});
    EXPECT_EQ(Read(texts[6]).header.back(), ",-\xEF\xBB\xBF");
}

}  // namespace
