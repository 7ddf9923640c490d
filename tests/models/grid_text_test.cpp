#include <gtest/gtest.h>

#include "models/grid_text.h"

namespace {

using grid_text::CsvField;
using grid_text::IsNumber;
using grid_text::IsNumericText;
using grid_text::ParseCsv;
using grid_text::SplitFields;
using grid_text::SplitRowsIntoPages;

TEST(GridText, NumbersAreParsedWhole) {
    struct Case {
        const char* token;
        bool number;
    };
    const Case cases[] = {
        {"1", true},      {"-1.5", true},   {"+.5", true},    {"2.", true},    {"1e5", true},
        {"1E5", true},    {"1.5e-3", true}, {"-2E+07", true}, {"", false},     {".", false},
        {"e", false},     {"1e", false},    {"1e+", false},   {"1-2", false},  {"--1", false},
        {"1.2.3", false}, {"inf", false},   {"nan", false},   {"0x10", false}, {"12a", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsNumber(c.token), c.number) << c.token;
}

TEST(GridText, PastedLinesAreNumericWhenEveryTokenIs) {
    EXPECT_TRUE(IsNumericText("1\t-2.5e3\r"));  // a Windows line end is not part of the token
    EXPECT_TRUE(IsNumericText("1,,2"));
    EXPECT_TRUE(IsNumericText("1E5\t2"));
    EXPECT_TRUE(IsNumericText(""));
    EXPECT_TRUE(IsNumericText(" 3 \t 4"));
    EXPECT_FALSE(IsNumericText("Time\tValue"));
    EXPECT_FALSE(IsNumericText("1\t2x"));
    EXPECT_FALSE(IsNumericText("1-2"));

    const std::vector<CString> fields = SplitFields("\t1,,2\t\t3\n");
    ASSERT_EQ(fields.size(), 3u);
    EXPECT_EQ(fields[0], "1");
    EXPECT_EQ(fields[1], "2");
    EXPECT_EQ(fields[2], "3");
}

TEST(GridText, CsvFieldsAreQuotedOnlyWhenTheyNeedIt) {
    EXPECT_EQ(CsvField("12.5"), "12.5");
    EXPECT_EQ(CsvField(""), "");
    EXPECT_EQ(CsvField("Temp, inside"), "\"Temp, inside\"");
    EXPECT_EQ(CsvField("5\" pipe"), "\"5\"\" pipe\"");
    EXPECT_EQ(CsvField("two\nlines"), "\"two\nlines\"");
    EXPECT_EQ(CsvField(" padded"), "\" padded\"");
}

TEST(GridText, CsvRecordsComeBackAsWritten) {
    const std::vector<CString> fields = {"a,b", "say \"hi\"", "", "line\nbreak", "plain"};
    std::string text;
    for (size_t i = 0; i < fields.size(); ++i)
        text += (i ? "," : "") + CsvField(fields[i]).str();
    text += "\r\nx,y\n";
    const auto records = ParseCsv(text);
    ASSERT_EQ(records.size(), 2u);
    ASSERT_EQ(records[0].size(), fields.size());
    for (size_t i = 0; i < fields.size(); ++i)
        EXPECT_EQ(records[0][i], fields[i]) << i;
    ASSERT_EQ(records[1].size(), 2u);
    EXPECT_EQ(records[1][1], "y");
    // A last line without its break still counts; an empty text has no records.
    EXPECT_EQ(ParseCsv("1,2").size(), 1u);
    EXPECT_TRUE(ParseCsv("").empty());
}

// Limits hold to the field: a text at them reads whole, one past them reads nothing and says
// which it passed. Quoted commas and breaks are no fields or records of their own.
TEST(GridText, CsvWithinLimitsReadsWholeAndPastThemNothing) {
    using grid_text::CsvLimits;
    using grid_text::CsvOverflow;
    const CsvLimits limits{3, 3, 6};
    struct Case {
        const char* text;
        CsvOverflow overflow;
    };
    const Case cases[] = {
        {"a,b,c\nd,e,f\n", CsvOverflow::none},
        {"a,b,c\nd,e,f", CsvOverflow::none},
        {"\"a,b\",\"c\nd\"\n\n\n", CsvOverflow::none},
        {"a\nb\nc\nd\n", CsvOverflow::records},
        {"a\nb\nc\nd", CsvOverflow::records},
        {"a,b,c,d\n", CsvOverflow::fieldsPerRecord},
        {"a,b,c\nd,e,f\ng\n", CsvOverflow::fields},
        {"a,b,c\nd,e,f,", CsvOverflow::fieldsPerRecord},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<std::vector<CString>> records = {{"old"}};
        EXPECT_EQ(ParseCsv(c.text, limits, records), c.overflow);
        if (c.overflow == CsvOverflow::none)
            EXPECT_EQ(records, ParseCsv(c.text));
        else
            EXPECT_TRUE(records.empty());
    }
}

TEST(GridText, RowsFallOnPagesByWholeRows) {
    // 19 units a row: 100 units hold 5 rows.
    EXPECT_EQ(SplitRowsIntoPages(0, 100, 19).pages, 1);
    EXPECT_EQ(SplitRowsIntoPages(5, 100, 19).pages, 1);
    EXPECT_EQ(SplitRowsIntoPages(6, 100, 19).pages, 2);
    EXPECT_EQ(SplitRowsIntoPages(11, 100, 19).FirstRow(3), 10);
    // A page too short for a row still takes one, instead of never ending.
    EXPECT_EQ(SplitRowsIntoPages(3, 10, 19).pages, 3);
}

}  // namespace
