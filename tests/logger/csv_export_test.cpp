// The spreadsheet export's text: exact bytes, separators, units, gaps and quoting.

#include <gtest/gtest.h>

#include <QLocale>
#include <memory>

#include "logger/csv_export.h"
#include "logger/data_tree.h"

namespace {

std::unique_ptr<CDataTreeBrench> Set(const char* name, const char* unit, std::vector<double> x,
                                     std::vector<double> y, WORD rate = 49) {
    auto d = std::make_unique<CDataTreeBrench>();
    d->m_name = name;
    d->m_unit = unit;
    d->m_rateCode = rate;
    d->m_modelCode = 100;
    d->m_inputKind = 2;  // not a temperature input
    d->m_x = std::make_shared<CDataArray>(std::move(x));
    d->m_y = std::make_shared<CDataArray>(std::move(y));
    return d;
}

std::string Text(const ExportTable& t) {
    return ExportText(t).toStdString();
}

ExportTable Table(std::vector<const CDataTreeBrench*> sets, ExportSeparators sep = {}) {
    ExportTable t;
    t.sets = std::move(sets);
    t.timeHeader = "Time(s)";
    t.timeCell = [](LONG r) { return CString::Formatted("%.1f", r * 0.5); };
    t.separators = sep;
    return t;
}

TEST(CsvExport, WritesOneRowPerSampleNumberWithEmptyCellsInTheGaps) {
    const auto a = Set("A", "V", {0, 1, 2}, {1.5, 2, 2.25});
    const auto b = Set("B", "V", {0, 2}, {10, 30});
    EXPECT_EQ(Text(Table({a.get(), b.get()})),
              "\xEF\xBB\xBFTime(s),A(V),B(V)\r\n0.0,1.5,10\r\n0.5,2,\r\n1.0,2.25,30\r\n");

    // A decimal-comma locale: ";" between cells, "," in numbers and in the time column.
    EXPECT_EQ(Text(Table({a.get(), b.get()}, {";", ","})),
              "\xEF\xBB\xBFTime(s);A(V);B(V)\r\n0,0;1,5;10\r\n0,5;2;\r\n1,0;2,25;30\r\n");

    // Without a time column (Y versus X), and with sample numbers for rate 0.
    ExportTable noTime = Table({a.get(), b.get()});
    noTime.timeColumn = false;
    EXPECT_EQ(Text(noTime),
              "\xEF\xBB\xBF"
              "A(V),B(V)\r\n1.5,10\r\n2,\r\n2.25,30\r\n");
    ExportTable samples = Table({a.get()});
    samples.timeHeader = "Samples";
    samples.timeCell = nullptr;
    EXPECT_EQ(Text(samples), "\xEF\xBB\xBFSamples,A(V)\r\n0,1.5\r\n1,2\r\n2,2.25\r\n");
}

TEST(CsvExport, EmptySetsAreLeftOutAndGappySetsRunToTheirLastSample) {
    const auto shortSet = Set("S", "V", {0, 1, 2}, {1, 2, 3});
    const auto empty = Set("E", "V", {}, {});
    const auto gappy = Set("G", "V", {0, 10, 40}, {5, 6, 7});
    ExportTable t = Table({shortSet.get(), empty.get(), gappy.get()});
    t.timeColumn = false;
    const std::string text = Text(t);
    ASSERT_EQ(ExportLastRow(t.sets), 40);
    EXPECT_EQ(text.substr(0, 3 + 11), "\xEF\xBB\xBFS(V),G(V)\r\n");
    const QList<QByteArray> lines = ExportText(t).split('\n');
    ASSERT_EQ(lines.size(), 1 + 41 + 1);  // header, rows 0..40, nothing after the last CRLF
    EXPECT_EQ(lines[1], "1,5\r");
    EXPECT_EQ(lines[3], "3,\r");
    EXPECT_EQ(lines[4], ",\r");
    EXPECT_EQ(lines[11], ",6\r");
    EXPECT_EQ(lines[41], ",7\r");

    ExportTable none = Table({empty.get()});
    EXPECT_EQ(ExportLastRow(none.sets), -1);
}

TEST(CsvExport, TemperatureSetsAreWrittenInTheChosenUnit) {
    auto temp = Set("Temp", "C", {0, 1}, {0, 100});
    temp->m_inputKind = 0;  // the QK's own temperature input
    ExportTable t = Table({temp.get()});
    t.temperatureUnit = 1;
    EXPECT_EQ(Text(t), "\xEF\xBB\xBFTime(s),Temp(°F)\r\n0.0,32\r\n0.5,212\r\n");
}

TEST(CsvExport, FieldsHoldingTheSeparatorAQuoteOrALineBreakAreQuoted) {
    const auto force = Set("Force, left", "N", {0}, {1});
    const auto odd = Set("Odd", "in\"ch", {0}, {2});
    const auto plain = Set("Line\nbreak", "V", {0}, {3});
    ExportTable t = Table({force.get(), odd.get(), plain.get()});
    t.timeColumn = false;
    EXPECT_EQ(Text(t),
              "\xEF\xBB\xBF\"Force, left(N)\",\"Odd(in\"\"ch)\",\"Line\nbreak(V)\"\r\n1,2,3\r\n");
    // With ";" between fields a comma needs no quotes.
    t.separators = {";", ","};
    t.sets = {force.get()};
    EXPECT_EQ(Text(t),
              "\xEF\xBB\xBF"
              "Force, left(N)\r\n1\r\n");
}

TEST(CsvExport, SeparatorsFollowTheLocale) {
    struct Case {
        const char* locale;
        const char* list;
        const char* decimal;
    };
    for (const Case& c : {Case{"en_US", ",", "."}, Case{"de_DE", ";", ","}, Case{"fr_FR", ";", ","},
                          Case{"C", ",", "."}}) {
        const ExportSeparators s = LocaleExportSeparators(QLocale(c.locale));
        EXPECT_EQ(s.list, c.list) << c.locale;
        EXPECT_EQ(s.decimal, c.decimal) << c.locale;
    }
}

}  // namespace
