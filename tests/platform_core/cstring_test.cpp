#include <gtest/gtest.h>

#include "platform/base/codepage.h"
#include "platform/base/cstring.h"

namespace {

TEST(CString, FormatTakesCStringArguments) {
    CString name("Exp.");
    CString s;
    s.Format("%s %d", name, 3);
    EXPECT_EQ(s, "Exp. 3");
    s.AppendFormat(" %.1f%%", 2.25);
    EXPECT_EQ(s, "Exp. 3 2.2%");
    EXPECT_EQ(CString::Formatted("%05d|%-3s|", 42, "ab"), "00042|ab |");
    const CString longText(std::string(1000, 'y'));
    s.Format("<%s>", longText);
    EXPECT_EQ(s.GetLength(), 1002);
}

TEST(CString, SlicesClampLikeTheClassLibrary) {
    const CString s("Settings v.1.08");
    EXPECT_EQ(s.Left(8), "Settings");
    EXPECT_EQ(s.Mid(11), "1.08");
    EXPECT_EQ(s.Right(4), "1.08");
    EXPECT_EQ(s.Left(100), s);
    EXPECT_EQ(s.Left(-1), "");
    EXPECT_EQ(s.Mid(100), "");
    EXPECT_EQ(s.Mid(-5, 3), "Set");
    EXPECT_EQ(s.Find('v'), 9);
    EXPECT_EQ(s.Find("1.0"), 11);
    EXPECT_EQ(s.Find('z'), -1);
    EXPECT_EQ(s.ReverseFind('.'), 12);
}

TEST(CString, EditingMembers) {
    CString s("  a,b,,c  ");
    s.Trim();
    EXPECT_EQ(s, "a,b,,c");
    int pos = 0;
    std::vector<CString> tokens;
    for (CString t = s.Tokenize(",", pos); pos >= 0; t = s.Tokenize(",", pos))
        tokens.push_back(t);
    EXPECT_EQ(tokens, (std::vector<CString>{"a", "b", "c"}));
    EXPECT_EQ(s.Replace(",", ";"), 3);
    EXPECT_EQ(s, "a;b;;c");
    EXPECT_EQ(CString("abc°").MakeUpper(), "ABC°");  // only ASCII letters change
    EXPECT_EQ(CString("Dorvik").CompareNoCase("DORVIK"), 0);
    EXPECT_LT(CString("a").Compare("b"), 0);
    CString buf;
    std::snprintf(buf.GetBuffer(16), 16, "%d", 1234);
    buf.ReleaseBuffer();
    EXPECT_EQ(buf, "1234");
}

TEST(CodePage, RoundTripsEveryByte) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    std::string back;
    EXPECT_TRUE(platform::Utf8ToCp1252(platform::Cp1252ToUtf8(all), back));
    EXPECT_EQ(back, all);
    EXPECT_FALSE(platform::Utf8ToCp1252("Ω", back));
    EXPECT_EQ(platform::Utf16ToUtf8(platform::Utf8ToUtf16("x😀y")), "x😀y");
}

}  // namespace
