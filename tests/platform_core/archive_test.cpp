#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/base/archive.h"

namespace {

std::vector<BYTE> Store(const std::function<void(CArchive&)>& write) {
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        write(ar);
        ar.Close();
    }
    return file.Detach();
}

CString LoadString(const std::vector<BYTE>& bytes) {
    CMemFile file(bytes);
    CArchive ar(&file, CArchive::load);
    CString s;
    ar >> s;
    EXPECT_EQ(ar.Remaining(), 0u);
    return s;
}

std::vector<BYTE> Bytes(std::initializer_list<int> list) {
    std::vector<BYTE> v;
    for (int b : list)
        v.push_back(static_cast<BYTE>(b));
    return v;
}

TEST(Archive, StringLengthPrefixes) {
    struct Case {
        size_t length;
        std::vector<BYTE> prefix;
    };
    const Case cases[] = {
        {0, Bytes({0x00})},
        {254, Bytes({0xFE})},
        {255, Bytes({0xFF, 0xFF, 0x00})},
        {65533, Bytes({0xFF, 0xFD, 0xFF})},
        {65534, Bytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00})},
        {70000, Bytes({0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        const CString text(std::string(c.length, 'x'));
        const auto bytes = Store([&](CArchive& ar) { ar << text; });
        ASSERT_EQ(bytes.size(), c.prefix.size() + c.length);
        EXPECT_EQ(
            std::vector<BYTE>(bytes.begin(), bytes.begin() + static_cast<long>(c.prefix.size())),
            c.prefix);
        EXPECT_EQ(LoadString(bytes), text);
    }
}

TEST(Archive, WindowsCodePageAndUnicodeForm) {
    // "°C" fits Windows-1252: two bytes, B0 43.
    EXPECT_EQ(Store([](CArchive& ar) { ar << CString("°C"); }), Bytes({0x02, 0xB0, 0x43}));
    EXPECT_EQ(LoadString(Bytes({0x03, 0x80, 0xB1, 0x41})), CString("€±A"));

    // Greek does not: the Unicode marker, the length in UTF-16 units, then UTF-16LE.
    const CString greek("Δt = 0.5 s");
    const auto bytes = Store([&](CArchive& ar) { ar << greek; });
    const std::vector<BYTE> head(bytes.begin(), bytes.begin() + 6);
    EXPECT_EQ(head, Bytes({0xFF, 0xFE, 0xFF, 10, 0x94, 0x03}));
    EXPECT_EQ(bytes.size(), 4u + 2 * 10);
    EXPECT_EQ(LoadString(bytes), greek);
}

TEST(Archive, NumbersAndCounts) {
    const auto bytes = Store([](CArchive& ar) {
        ar << BYTE(0x12) << WORD(0x3456) << DWORD(0x789ABCDE) << int(-2) << short(-3) << 1.5;
        ar.WriteCount(0xFFFE);
        ar.WriteCount(0xFFFF);
        ar.WriteCount(70000);
    });
    const auto expected = Bytes({0x12, 0x56, 0x34, 0xDE, 0xBC, 0x9A, 0x78, 0xFE, 0xFF, 0xFF, 0xFF,
                                 0xFD, 0xFF, 0,    0,    0,    0,    0,    0,    0xF8, 0x3F,  // 1.5
                                 0xFE, 0xFF,                       // 0xFFFE as 16 bits
                                 0xFF, 0xFF, 0xFF, 0xFF, 0,    0,  // 0xFFFF needs 32 bits
                                 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00});
    EXPECT_EQ(bytes, expected);

    CMemFile file(bytes);
    CArchive ar(&file, CArchive::load);
    BYTE b;
    WORD w;
    DWORD d;
    int i;
    short s;
    double x;
    ar >> b >> w >> d >> i >> s >> x;
    EXPECT_EQ(b, 0x12);
    EXPECT_EQ(w, 0x3456);
    EXPECT_EQ(d, 0x789ABCDEu);
    EXPECT_EQ(i, -2);
    EXPECT_EQ(s, -3);
    EXPECT_EQ(x, 1.5);
    EXPECT_EQ(ar.ReadCount(), 0xFFFEu);
    EXPECT_EQ(ar.ReadCount(), 0xFFFFu);
    EXPECT_EQ(ar.ReadCount(), 70000u);
}

TEST(Archive, SixtyFourBitValuesAndTheLongFormsTakeEightBytes) {
    const LONGLONG fiveGiB = 5LL << 30;
    const auto bytes = Store([&](CArchive& ar) {
        ar << LONGLONG(-fiveGiB) << ULONGLONG(0x0102030405060708) << (long long)(fiveGiB)
           << (unsigned long long)(7);
        ar.WriteCount(DWORD_PTR(fiveGiB));
    });
    const auto expected = Bytes({
        0x00, 0x00, 0x00, 0xC0, 0xFE, 0xFF, 0xFF, 0xFF,  // -5 GiB
        0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01,  //
        0x00, 0x00, 0x00, 0x40, 0x01, 0x00, 0x00, 0x00,  // 5 GiB
        0x07, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  //
        0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,              // a count past 32 bits
        0x00, 0x00, 0x00, 0x40, 0x01, 0x00, 0x00, 0x00,
    });
    EXPECT_EQ(bytes, expected);

    CMemFile file(bytes);
    CArchive ar(&file, CArchive::load);
    LONGLONG a = 0;
    ULONGLONG b = 0;
    long long c = 0;
    unsigned long long d = 0;
    ar >> a >> b >> c >> d;
    EXPECT_EQ(a, -fiveGiB);
    EXPECT_EQ(b, 0x0102030405060708u);
    EXPECT_EQ(c, fiveGiB);
    EXPECT_EQ(d, 7u);
    EXPECT_EQ(ar.ReadCount(), DWORD_PTR(fiveGiB));
    EXPECT_EQ(ar.Remaining(), 0u);

    // The long length forms of both string kinds, as another writer may use them for short text.
    EXPECT_EQ(LoadString(Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 3, 0, 0, 0, 0, 0, 0, 0,
                                'a', 'b', 'c'})),
              "abc");
    EXPECT_EQ(LoadString(Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                1,    0,    0,    0,    0,    0,    0,    0,    0x94, 0x03})),
              "Δ");
}

TEST(Archive, EveryTruncationThrows) {
    const auto full = Store([](CArchive& ar) {
        ar << CString("name") << DWORD(7) << 2.25 << CString("Δ");
        ar.WriteDoubles({1.0, 2.0, 3.0});
    });
    auto readAll = [](CArchive& ar) {
        CString a, c;
        DWORD d;
        double x;
        ar >> a >> d >> x >> c;
        return ar.ReadDoubles();
    };
    {
        CMemFile file(full);
        CArchive ar(&file, CArchive::load);
        EXPECT_EQ(readAll(ar), (std::vector<double>{1.0, 2.0, 3.0}));
    }
    for (size_t cut = 0; cut < full.size(); ++cut) {
        SCOPED_TRACE(cut);
        CMemFile file(std::vector<BYTE>(full.begin(), full.begin() + static_cast<long>(cut)));
        CArchive ar(&file, CArchive::load);
        EXPECT_THROW(readAll(ar), CArchiveException);
    }
}

TEST(Archive, HugeLengthsInTinyFilesThrowWithoutAllocating) {
    // A string claiming 2^31 bytes, a Unicode string claiming 2^31 units, and an array claiming
    // 2^31 doubles, each in a file of a few bytes.
    const std::vector<std::vector<BYTE>> files = {
        Bytes({0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x80, 'a'}),
        Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x80, 'a', 0}),
    };
    for (const auto& bytes : files) {
        CMemFile file(bytes);
        CArchive ar(&file, CArchive::load);
        CString s;
        EXPECT_THROW(ar >> s, CArchiveException);
    }
    CMemFile file(Bytes({0xFF, 0xFF, 0x00, 0x00, 0x00, 0x80, 1, 2, 3}));
    CArchive ar(&file, CArchive::load);
    EXPECT_THROW(ar.ReadDoubles(), CArchiveException);
}

TEST(Archive, FileRoundTrip) {
    const std::string path = ::testing::TempDir() + "/archive_round_trip.bin";
    {
        CFile file(path.c_str(), CFile::modeCreate | CFile::modeWrite);
        CArchive ar(&file, CArchive::store);
        for (int i = 0; i < 5000; ++i)
            ar << static_cast<double>(i);  // spans many buffers
        ar << CString("end");
        ar.Close();
    }
    CFile file(path.c_str(), CFile::modeRead);
    CArchive ar(&file, CArchive::load);
    double x = 0;
    for (int i = 0; i < 5000; ++i) {
        ar >> x;
        ASSERT_EQ(x, i);
    }
    CString end;
    ar >> end;
    EXPECT_EQ(end, "end");
    EXPECT_EQ(ar.Remaining(), 0u);
    CFile::Remove(path.c_str());
}

TEST(File, OpenFailuresReportTheirCause) {
    CFile file;
    CFileException error(CFileException::none, 0, "");
    EXPECT_FALSE(file.Open("/nonexistent-folder/x.bin", CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
    EXPECT_THROW(CFile("/nonexistent-folder/x.bin", CFile::modeRead), CFileException);
    EXPECT_FALSE(file.Open("/tmp", CFile::modeRead, &error));  // a folder is not a file
}

}  // namespace
