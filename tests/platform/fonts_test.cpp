#include <gtest/gtest.h>

#include <QFont>
#include <QImage>
#include <QPainter>
#include <cstring>
#include <vector>

#include "platform/gdi/fonts.h"

namespace {

TEST(Fonts, FaceNamesAreCutWithinTheFaceAtACharacterBoundary) {
    struct Case {
        const char* name;
        const char* face;
    };
    const Case cases[] = {
        {"DejaVu Sans", "DejaVu Sans"},
        {"", ""},
        {nullptr, ""},
        // 31 bytes fit; the 32nd would leave no room for the end.
        {"abcdefghijklmnopqrstuvwxyz01234", "abcdefghijklmnopqrstuvwxyz01234"},
        {"abcdefghijklmnopqrstuvwxyz012345", "abcdefghijklmnopqrstuvwxyz01234"},
        // A two-byte letter at bytes 31 and 32 goes whole.
        {"abcdefghijklmnopqrstuvwxyz0123\xc3\xa9", "abcdefghijklmnopqrstuvwxyz0123"},
        // A three-byte one at bytes 29 to 31 fits exactly.
        {"abcdefghijklmnopqrstuvwxyz01\xe2\x82\xac", "abcdefghijklmnopqrstuvwxyz01\xe2\x82\xac"},
    };
    for (const Case& c : cases) {
        LOGFONT lf;
        std::memset(lf.lfFaceName, 'x', sizeof lf.lfFaceName);
        SetLogFontFaceName(lf, c.name);
        EXPECT_STREQ(lf.lfFaceName, c.face) << (c.name ? c.name : "(null)");
    }
}

struct Listed {
    std::vector<ENUMLOGFONTEX> fonts;
    std::vector<NEWTEXTMETRICEX> metrics;
    std::vector<DWORD> types;
    int stopAfter = -1;
};

int Note(const ENUMLOGFONTEX* elf, const NEWTEXTMETRICEX* ntm, DWORD type, LPARAM data) {
    auto* listed = reinterpret_cast<Listed*>(data);
    listed->fonts.push_back(*elf);
    listed->metrics.push_back(*ntm);
    listed->types.push_back(type);
    return static_cast<int>(listed->fonts.size()) == listed->stopAfter ? 0 : 1;
}

TEST(Fonts, EnumerationDescribesEachFamily) {
    QImage image(10, 10, QImage::Format_RGB32);
    QPainter painter(&image);
    CDC dc(&painter);
    LOGFONT lf;
    SetLogFontFaceName(lf, "dejavu sans mono");
    Listed listed;
    EXPECT_EQ(EnumFontFamiliesEx(dc.GetSafeHdc(), &lf, Note, reinterpret_cast<LPARAM>(&listed), 0),
              1);
    ASSERT_EQ(listed.fonts.size(), 1u);
    const ENUMLOGFONTEX& mono = listed.fonts[0];
    EXPECT_EQ(mono.elfFullName, "DejaVu Sans Mono");
    EXPECT_STREQ(mono.elfLogFont.lfFaceName, "DejaVu Sans Mono");
    EXPECT_EQ(mono.elfLogFont.lfPitchAndFamily & 0x3, FIXED_PITCH);
    EXPECT_EQ(listed.types[0], TRUETYPE_FONTTYPE);
    const NEWTEXTMETRIC& tm = listed.metrics[0].ntmTm;
    EXPECT_EQ(tm.tmPitchAndFamily & TMPF_FIXED_PITCH, 0) << "set only for a variable pitch";
    EXPECT_TRUE(tm.tmPitchAndFamily & TMPF_TRUETYPE);
    EXPECT_GT(tm.tmHeight, 0);
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);

    // A zero from the callback stops the listing there.
    LOGFONT all;
    Listed first;
    first.stopAfter = 1;
    EXPECT_EQ(EnumFontFamiliesEx(dc.GetSafeHdc(), &all, Note, reinterpret_cast<LPARAM>(&first), 0),
              0);
    EXPECT_EQ(first.fonts.size(), 1u);
    EXPECT_EQ(EnumFontFamiliesEx(nullptr, &all, Note, reinterpret_cast<LPARAM>(&first), 0), 0);
}

TEST(Fonts, AFontDrawsByItsWholeFamilyName) {
    LOGFONT lf;
    lf.lfHeight = -12;
    SetLogFontFaceName(lf, "DejaVu Sans");
    CFont cut;
    ASSERT_TRUE(cut.CreateFontIndirect(&lf, "DejaVu Sans Mono"));
    EXPECT_EQ(platform::FontOf(cut).family(), "DejaVu Sans Mono");
    CFont plain;
    ASSERT_TRUE(plain.CreateFontIndirect(&lf));
    EXPECT_EQ(platform::FontOf(plain).family(), "DejaVu Sans");
    cut.DeleteObject();
    ASSERT_TRUE(cut.CreateFontIndirect(&lf));
    EXPECT_EQ(platform::FontOf(cut).family(), "DejaVu Sans") << "a font made again forgets it";
}

}  // namespace
